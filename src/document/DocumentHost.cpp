#include "document/DocumentHost.h"

#include "foundation/CodePageRoutines.h"
#include "platform/runtime/Locale.h"

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

int32_t TDocumentHost::KeyboardLanguage()
{
    return GetUserDefaultLangID();
}

uint32_t TDocumentHost::KeyboardCodePage()
{
    const uint32_t codePage = GetLocaleAnsiCodePage(static_cast<LCID>(KeyboardLanguage()));
    return codePage ? codePage : DefaultAnsiCodePage();
}
