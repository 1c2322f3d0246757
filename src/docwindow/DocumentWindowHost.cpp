#include "docwindow/DocumentWindowHost.h"

namespace {

TDocumentWindowHost* InstalledHost = nullptr;

}  // namespace

TDocumentWindowHost& DocumentWindowHost()
{
    static TDocumentWindowHost defaults;
    return InstalledHost ? *InstalledHost : defaults;
}

TDocumentWindowHost* SetDocumentWindowHost(TDocumentWindowHost* host)
{
    TDocumentWindowHost* previous = InstalledHost;
    InstalledHost = host;
    return previous;
}
