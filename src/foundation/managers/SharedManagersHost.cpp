#include "foundation/managers/SharedManagersHost.h"

namespace {

TSharedManagersHost* g_Host = nullptr;

}  // namespace

TSharedManagersHost& SharedManagersHost()
{
    static TSharedManagersHost factory;
    return g_Host ? *g_Host : factory;
}

TSharedManagersHost* SetSharedManagersHost(TSharedManagersHost* host)
{
    TSharedManagersHost* previous = g_Host;
    g_Host = host;
    return previous;
}
