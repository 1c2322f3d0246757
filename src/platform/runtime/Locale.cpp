#include "platform/runtime/Locale.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/SysUtils.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/udat.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

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

namespace {

std::string AnsiFromIcu(const UChar* text, int32_t length)
{
    std::u16string wide(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(std::max(length, 0)));
    // Recent locale data puts narrow no-break spaces into time pictures; the
    // code page has none, a plain space stands for them.
    for (char16_t& c : wide)
        if (c == 0x202F || c == 0x2009)
            c = u' ';
    return FromWide(wide, 1252);
}

std::string IcuSymbol(UDateFormat* format, UDateFormatSymbolType type, int32_t index)
{
    UChar buffer[64];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = udat_getSymbols(format, type, index, buffer, 64, &status);
    if (U_FAILURE(status) || n <= 0 || n > 64)
        return {};
    return AnsiFromIcu(buffer, n);
}

// An ICU date pattern in the runtime's picture letters: days of the week
// "ddd"/"dddd", years "yy"/"yyyy", AM/PM "tt"; letters the pictures do not
// know (eras, time zones) are left out.
std::string PictureFromIcuPattern(std::string_view pattern)
{
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            const size_t end = pattern.find('\'', i + 1);
            const size_t stop = end == std::string_view::npos ? pattern.size() : end + 1;
            out.append(pattern.substr(i, stop - i));
            i = stop;
            continue;
        }
        size_t n = 1;
        while (i + n < pattern.size() && pattern[i + n] == c)
            ++n;
        switch (c) {
        case 'E': case 'c': case 'e':
            out += n >= 4 ? "dddd" : "ddd";
            break;
        case 'y': case 'Y': case 'u':
            out += n == 2 ? "yy" : "yyyy";
            break;
        case 'L':
            out.append(n, 'M');
            break;
        case 'M': case 'd': case 'H': case 'h': case 'm': case 's':
            out.append(n, c);
            break;
        case 'a': case 'b': case 'B':
            out += "tt";
            break;
        default:
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                break;  // a field the pictures have no letter for
            out.append(n, c);
            break;
        }
        i += n;
    }
    // A field left out may leave a separator at an end ("d MMMM yyyy G").
    while (!out.empty() && (out.back() == ' ' || out.back() == ','))
        out.pop_back();
    return out;
}

std::string IcuPicture(UDateFormatStyle timeStyle, UDateFormatStyle dateStyle, const char* locale)
{
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* format = udat_open(timeStyle, dateStyle, locale, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status) || !format)
        return {};
    UChar buffer[128];
    status = U_ZERO_ERROR;
    const int32_t n = udat_toPattern(format, false, buffer, 128, &status);
    udat_close(format);
    if (U_FAILURE(status) || n <= 0 || n > 128)
        return {};
    return PictureFromIcuPattern(AnsiFromIcu(buffer, n));
}

std::optional<TFormatSettings> BuildLocaleFormatSettings(LCID locale)
{
    TFormatSettings settings;
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = uloc_getLocaleForLCID(locale, name, sizeof name, &status);
    // Identifiers without a language of their own map to the root locale,
    // whose names are placeholders ("M01").
    if (U_FAILURE(status) || len <= 0 || std::string_view(name) == "root")
        return std::nullopt;
    status = U_ZERO_ERROR;
    UDateFormat* format = udat_open(UDAT_DEFAULT, UDAT_DEFAULT, name, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status) || !format)
        return std::nullopt;
    for (int32_t m = 0; m < 12; ++m) {
        const std::string longName = IcuSymbol(format, UDAT_MONTHS, m);
        const std::string shortName = IcuSymbol(format, UDAT_SHORT_MONTHS, m);
        if (!longName.empty())
            settings.LongMonthNames[static_cast<size_t>(m)] = longName;
        if (!shortName.empty())
            settings.ShortMonthNames[static_cast<size_t>(m)] = shortName;
    }
    // ICU counts the days from 1 (Sunday).
    for (int32_t d = 0; d < 7; ++d) {
        const std::string longName = IcuSymbol(format, UDAT_WEEKDAYS, d + 1);
        const std::string shortName = IcuSymbol(format, UDAT_SHORT_WEEKDAYS, d + 1);
        if (!longName.empty())
            settings.LongDayNames[static_cast<size_t>(d)] = longName;
        if (!shortName.empty())
            settings.ShortDayNames[static_cast<size_t>(d)] = shortName;
    }
    const std::string am = IcuSymbol(format, UDAT_AM_PMS, 0);
    const std::string pm = IcuSymbol(format, UDAT_AM_PMS, 1);
    udat_close(format);

    auto take = [](std::string& slot, std::string picture) {
        if (!picture.empty())
            slot = std::move(picture);
    };
    take(settings.ShortDateFormat, IcuPicture(UDAT_NONE, UDAT_SHORT, name));
    take(settings.LongDateFormat, IcuPicture(UDAT_NONE, UDAT_FULL, name));
    take(settings.ShortTimeFormat, IcuPicture(UDAT_SHORT, UDAT_NONE, name));
    take(settings.LongTimeFormat, IcuPicture(UDAT_MEDIUM, UDAT_NONE, name));
    // The designators belong to twelve-hour clocks; a 24-hour locale has none.
    const bool twelveHours = settings.LongTimeFormat.find("tt") != std::string::npos;
    settings.TimeAMString = twelveHours ? am : std::string();
    settings.TimePMString = twelveHours ? pm : std::string();
    return settings;
}

}  // namespace

TFormatSettings GetLocaleFormatSettings(LCID locale)
{
    if (locale == 0 || locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale > 0xFFFFF)
        return FormatSettings();
    // The locale's values are read once; the rest follows the program's
    // settings as they are at each call.
    static std::mutex lock;
    static std::map<LCID, std::optional<TFormatSettings>> cache;
    std::optional<TFormatSettings> found;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = cache.find(locale);
        if (it == cache.end())
            it = cache.emplace(locale, BuildLocaleFormatSettings(locale)).first;
        found = it->second;
    }
    TFormatSettings settings = FormatSettings();
    if (!found)
        return settings;
    const TFormatSettings& own = *found;
    settings.ShortDateFormat = own.ShortDateFormat;
    settings.LongDateFormat = own.LongDateFormat;
    settings.ShortTimeFormat = own.ShortTimeFormat;
    settings.LongTimeFormat = own.LongTimeFormat;
    settings.TimeAMString = own.TimeAMString;
    settings.TimePMString = own.TimePMString;
    settings.ShortMonthNames = own.ShortMonthNames;
    settings.LongMonthNames = own.LongMonthNames;
    settings.ShortDayNames = own.ShortDayNames;
    settings.LongDayNames = own.LongDayNames;
    return settings;
}
