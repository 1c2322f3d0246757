#include "platform/runtime/Locale.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/SysUtils.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

constexpr LCID kEnglishUS = 0x0409;

std::atomic<LCID> g_UserLocale{0};  // 0 until read from the environment

LCID LocaleFromEnvironment()
{
    for (const char* var : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) {
            const LCID id = LCIDFromLocaleName(value);
            return id ? id : kEnglishUS;
        }
    }
    return kEnglishUS;
}

LCID Resolve(LCID locale)
{
    if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0)
        return GetUserDefaultLCID();
    return locale;
}

uint16_t TypeOf(uint8_t byte, UChar32 c)
{
    uint16_t t = 0;
    if (u_isupper(c))
        t |= C1_UPPER;
    if (u_islower(c))
        t |= C1_LOWER;
    // The system counts the superscript digits as digits.
    if (u_isdigit(c) || byte == 0xB2 || byte == 0xB3 || byte == 0xB9)
        t |= C1_DIGIT;
    if (u_isUWhiteSpace(c) || c == 0x0B || c == 0x0C)
        t |= C1_SPACE;
    if (u_iscntrl(c))
        t |= C1_CNTRL;
    if (c == 0x20 || c == 0x09 || c == 0xA0)
        t |= C1_BLANK;
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
        t |= C1_XDIGIT;
    if (u_isalpha(c))
        t |= C1_ALPHA;
    // Punctuation here covers the symbols too, as the system's type set does.
    if (!(t & (C1_ALPHA | C1_DIGIT | C1_CNTRL | C1_SPACE)) && u_isgraph(c))
        t |= C1_PUNCT;
    return t;
}

// Character types of the 256 bytes of code page 1252.
const std::array<uint16_t, 256>& CharTypes()
{
    static const std::array<uint16_t, 256> types = [] {
        std::array<uint16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = TypeOf(static_cast<uint8_t>(b), ByteToWide(static_cast<uint8_t>(b), 1252));
        return t;
    }();
    return types;
}

// One collator per locale and strength, kept for the life of the process.
struct TCollators {
    std::mutex Lock;
    std::map<std::pair<LCID, bool>, UCollator*> Items;
    ~TCollators()
    {
        for (auto& [key, coll] : Items)
            ucol_close(coll);
    }
};

UCollator* CollatorFor(LCID locale, bool ignoreCase)
{
    static TCollators collators;
    std::lock_guard<std::mutex> guard(collators.Lock);
    auto& slot = collators.Items[{locale, ignoreCase}];
    if (!slot) {
        UErrorCode status = U_ZERO_ERROR;
        slot = ucol_open(LocaleNameFromLCID(locale).c_str(), &status);
        if (U_FAILURE(status) || !slot) {
            status = U_ZERO_ERROR;
            slot = ucol_open("", &status);  // the root order
        }
        status = U_ZERO_ERROR;
        ucol_setAttribute(slot, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        ucol_setStrength(slot, ignoreCase ? UCOL_SECONDARY : UCOL_TERTIARY);
    }
    return slot;
}

}  // namespace

LCID GetUserDefaultLCID()
{
    LCID id = g_UserLocale.load();
    if (id == 0) {
        id = LocaleFromEnvironment();
        g_UserLocale.store(id);
    }
    return id;
}

LANGID GetUserDefaultLangID()
{
    return static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF);
}

void SetUserDefaultLCID(LCID locale)
{
    g_UserLocale.store(locale);
}

std::string LocaleNameFromLCID(LCID locale)
{
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = uloc_getLocaleForLCID(Resolve(locale), name, sizeof name, &status);
    if (U_FAILURE(status) || len <= 0)
        return "en_US";
    return std::string(name, static_cast<size_t>(len));
}

std::string LocaleDisplayName(LCID locale)
{
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = uloc_getLocaleForLCID(Resolve(locale), name, sizeof name, &status);
    if (U_FAILURE(status) || len <= 0)
        return {};
    UChar display[128];
    status = U_ZERO_ERROR;
    const int32_t n = uloc_getDisplayName(name, "fr", display, 128, &status);
    if (U_FAILURE(status) || n <= 0 || n > 128)
        return {};
    std::string text = FromWide(std::u16string_view(reinterpret_cast<const char16_t*>(display), static_cast<size_t>(n)), 1252);
    // The desktop names languages with a capital: "Français (France)".
    text[0] = AnsiUpperCase(text.substr(0, 1))[0];
    return text;
}

LCID LCIDFromLocaleName(std::string_view name)
{
    std::string n(name);
    // "fr_FR.UTF-8@euro": drop the encoding and the modifier.
    n = n.substr(0, n.find_first_of(".@"));
    if (n.empty() || n == "C" || n == "POSIX")
        return kEnglishUS;
    return uloc_getLCID(n.c_str());
}

// The system's non-linguistic case mapping is the same in every locale: that of
// the runtime.
std::string LocaleUpperCase(LCID /*locale*/, std::string_view text)
{
    return AnsiUpperCase(text);
}

std::string LocaleLowerCase(LCID /*locale*/, std::string_view text)
{
    return AnsiLowerCase(text);
}

uint16_t GetCharTypeFlags(LCID /*locale*/, uint8_t ch)
{
    return CharTypes()[ch];
}

int CompareStringLocale(LCID locale, bool ignoreCase, std::string_view a, std::string_view b)
{
    const std::u16string wa = ToWide(a, 1252);
    const std::u16string wb = ToWide(b, 1252);
    UCollator* coll = CollatorFor(Resolve(locale), ignoreCase);
    const UCollationResult r = ucol_strcoll(coll, reinterpret_cast<const UChar*>(wa.data()),
                                            static_cast<int32_t>(wa.size()),
                                            reinterpret_cast<const UChar*>(wb.data()),
                                            static_cast<int32_t>(wb.size()));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}
