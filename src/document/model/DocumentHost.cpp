#include "document/model/DocumentHost.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/NotSet.h"
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

bool TDocumentHost::IsDocumentExtension(const std::string& extension)
{
    std::string lower = extension;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    for (const char* known : {"rtf", "doc", "wri", "cod", "txt"})
        if (lower == known)
            return true;
    return false;
}

TCharFormat TDocumentHost::HyperlinkCharFormat()
{
    TCharFormat format;
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        format[slot] = NotSet;
    format[cfUnderline] = 1;
    format[cfColor] = 2;  // "Bleu" among the basic colours
    return format;
}
