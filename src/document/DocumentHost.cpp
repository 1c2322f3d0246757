#include "document/DocumentHost.h"

#include <utility>

namespace {

TDocumentHost* g_DocumentHost = nullptr;

TDocumentHost& FactoryHost()
{
    static TDocumentHost host;
    return host;
}

}  // namespace

TDocumentHost& DocumentHost()
{
    return g_DocumentHost ? *g_DocumentHost : FactoryHost();
}

TDocumentHost* SetDocumentHost(TDocumentHost* host)
{
    return std::exchange(g_DocumentHost, host);
}
