#include "foundation/CodePageRoutines.h"

#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/CodePages.h"

#include <array>
#include <cstring>
#include <map>

namespace {

uint32_t g_DefaultAnsiCodePage = 1252;
uint8_t g_DefaultCharset = ANSI_CHARSET;

// Code pages and character sets the system relates to each other.
struct TCharsetCodePage {
    uint8_t Charset;
    uint32_t CodePage;
};
constexpr TCharsetCodePage kCharsetCodePages[] = {
    {ANSI_CHARSET, 1252},       {EASTEUROPE_CHARSET, 1250}, {RUSSIAN_CHARSET, 1251},
    {GREEK_CHARSET, 1253},      {TURKISH_CHARSET, 1254},    {HEBREW_CHARSET, 1255},
    {ARABIC_CHARSET, 1256},     {BALTIC_CHARSET, 1257},     {VIETNAMESE_CHARSET, 1258},
    {THAI_CHARSET, 874},        {SHIFTJIS_CHARSET, 932},    {GB2312_CHARSET, 936},
    {HANGEUL_CHARSET, 949},     {CHINESEBIG5_CHARSET, 950}, {JOHAB_CHARSET, 1361},
    {SYMBOL_CHARSET, CP_SYMBOL},
};

// Mac OS Roman to code page 1252: the codes that do not map to themselves.
constexpr uint8_t kMacRoman[][2] = {
    {128, 196}, {129, 197}, {130, 199}, {131, 201}, {132, 209}, {133, 214}, {134, 220}, {135, 225},
    {136, 224}, {137, 226}, {138, 228}, {139, 227}, {140, 229}, {141, 231}, {142, 233}, {143, 232},
    {144, 234}, {145, 235}, {146, 237}, {147, 236}, {148, 238}, {149, 239}, {150, 241}, {151, 243},
    {152, 242}, {153, 244}, {154, 246}, {155, 245}, {156, 250}, {157, 249}, {158, 251}, {159, 252},
    {161, 176}, {164, 167}, {166, 182}, {167, 223}, {168, 174}, {171, 180}, {172, 168}, {174, 198},
    {175, 216}, {180, 165}, {187, 170}, {188, 186}, {190, 230}, {191, 248}, {192, 191}, {193, 161},
    {194, 172}, {199, 171}, {200, 187}, {202, 160}, {203, 192}, {204, 195}, {205, 213}, {214, 247},
    {216, 255}, {219, 164}, {225, 183}, {229, 194}, {230, 202}, {231, 193}, {232, 203}, {233, 200},
    {234, 205}, {235, 206}, {236, 207}, {237, 204}, {238, 211}, {239, 212}, {241, 210}, {242, 218},
    {243, 219}, {244, 217}, {248, 175}, {252, 184},
};

const std::array<uint8_t, 256>& MacRomanTable()
{
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<uint8_t>(i);
        for (const auto& pair : kMacRoman)
            t[pair[0]] = pair[1];
        return t;
    }();
    return table;
}

// Converts code units one byte each into buffer in a single-byte code page.
void ConvertUnits(const char16_t* text, char* buffer, int32_t length, uint32_t codePage)
{
    if (length <= 0)
        return;
    if (codePage == CP_UTF8 || !IsValidCodePage(codePage))
        codePage = 1252;
    std::u16string units(text, static_cast<size_t>(length));
    // A surrogate has no byte of its own: keep the one-byte-per-unit positions.
    for (char16_t& c : units)
        if (c >= 0xD800 && c <= 0xDFFF)
            c = u'?';
    const std::string bytes = FromWide(units, codePage);
    std::memcpy(buffer, bytes.data(), std::min(bytes.size(), static_cast<size_t>(length)));
}

}  // namespace

uint32_t DefaultAnsiCodePage()
{
    return g_DefaultAnsiCodePage;
}

uint8_t DefaultCharset()
{
    return g_DefaultCharset;
}

void SetDefaultAnsiCodePage(uint32_t codePage)
{
    g_DefaultAnsiCodePage = codePage;
}

void SetDefaultCharset(uint8_t charset)
{
    g_DefaultCharset = charset;
}

uint32_t GetLocaleAnsiCodePage(LCID locale)
{
    if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0)
        locale = GetUserDefaultLCID();
    const auto language = static_cast<LANGID>(locale & 0xFFFF);
    // Languages whose scripts no ANSI code page holds.
    static constexpr uint16_t kUnicodeOnly[] = {
        0x2B, 0x37, 0x39, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
        0x51, 0x53, 0x54, 0x57, 0x5A, 0x5B, 0x5D, 0x5E, 0x61, 0x65, 0x78,
    };
    for (uint16_t primary : kUnicodeOnly)
        if (PRIMARYLANGID(language) == primary)
            return 0;
    return CodePageFromLangId(language);
}

uint8_t GetLocaleCharset(LCID locale, bool fallback)
{
    const uint32_t codePage = GetLocaleAnsiCodePage(locale);
    for (const TCharsetCodePage& e : kCharsetCodePages)
        if (codePage != 0 && e.CodePage == codePage)
            return e.Charset;
    if (fallback)
        for (const TCharsetCodePage& e : kCharsetCodePages)
            if (e.CodePage == GetACP())
                return e.Charset;
    return DEFAULT_CHARSET;
}

void SetDefaultCodePagesForLocale(LCID locale)
{
    const uint32_t codePage = GetLocaleAnsiCodePage(locale);
    g_DefaultAnsiCodePage = codePage ? codePage : GetACP();
    g_DefaultCharset = GetLocaleCharset(locale, true);
}

std::string GetLocaleLanguageName(LCID locale)
{
    return LocaleDisplayName(locale);
}

void SetFontCharsetForLocale(TFont& font, LCID locale)
{
    font.SetCharset(GetLocaleCharset(locale, false));
}

uint32_t CharsetToCodePage(uint8_t charset)
{
    for (const TCharsetCodePage& e : kCharsetCodePages)
        if (e.Charset == charset)
            return e.CodePage;
    return g_DefaultAnsiCodePage;
}

uint8_t CodePageToCharset(uint32_t codePage)
{
    for (const TCharsetCodePage& e : kCharsetCodePages)
        if (e.CodePage == codePage)
            return e.Charset;
    return g_DefaultCharset;
}

uint32_t GetCodePageOfWideChar(char16_t c, uint32_t def)
{
    if (c >= 128 && c <= 255)
        return 1252;
    if (c >= 256 && c <= 337)
        return 1250;
    if (c >= 338 && c <= 339)
        return 1252;
    if (c >= 340 && c <= 383)
        return 1250;
    if (c >= 384 && c <= 591)
        return 1257;
    if (c >= 880 && c <= 1023)
        return 1253;
    if (c >= 1024 && c <= 1279)
        return 1251;
    if (c >= 1424 && c <= 1535)
        return 1255;
    if (c >= 1536 && c <= 1791)
        return 1256;
    return def;
}

uint32_t GuessWideTextCodePage(const char16_t* text, int32_t length, uint32_t def)
{
    std::map<uint32_t, int32_t> counts;  // ordered, so the lower code page wins a tie
    for (int32_t i = 0; i < length; ++i) {
        const uint32_t cp = GetCodePageOfWideChar(text[i], 0);
        if (cp)
            ++counts[cp];
    }
    uint32_t best = def;
    int32_t bestCount = 0;
    for (const auto& [cp, count] : counts) {
        if (count > bestCount) {
            best = cp;
            bestCount = count;
        }
    }
    return best;
}

void CopySymbolChars(const char16_t* text, char* buffer, int32_t length)
{
    for (int32_t i = 0; i < length; ++i)
        if (text[i] >= 0xF000)
            buffer[i] = static_cast<char>(text[i] & 0xFF);
}

uint32_t WideToAnsiGuessCodePage(const char16_t* text, char* buffer, int32_t length)
{
    const uint32_t codePage = GuessWideTextCodePage(text, length, g_DefaultAnsiCodePage);
    ConvertUnits(text, buffer, length, codePage);
    return codePage;
}

void WideToAnsiByRuns(const char16_t* text, char* buffer, int32_t length, std::vector<int32_t>& runEnds,
                      std::vector<int32_t>& codePages)
{
    runEnds.clear();
    codePages.clear();
    int32_t runStart = 0;
    uint32_t runCodePage = 0;  // none yet
    auto endRun = [&](int32_t end) {
        const uint32_t cp = runCodePage ? runCodePage : g_DefaultAnsiCodePage;
        ConvertUnits(text + runStart, buffer + runStart, end - runStart, cp);
        CopySymbolChars(text + runStart, buffer + runStart, end - runStart);
        runEnds.push_back(end);
        codePages.push_back(static_cast<int32_t>(cp));
        runStart = end;
    };
    for (int32_t i = 0; i < length; ++i) {
        const uint32_t cp = GetCodePageOfWideChar(text[i], 0);
        if (!cp)
            continue;
        if (!runCodePage) {
            runCodePage = cp;
        } else if (cp != runCodePage) {
            endRun(i);
            runCodePage = cp;
        }
    }
    endRun(length);
}

void TranslateBytes(const uint8_t* source, uint8_t* destination, int32_t length)
{
    const std::array<uint8_t, 256>& table = MacRomanTable();
    for (int32_t i = 0; i < length; ++i)
        destination[i] = table[source[i]];
}
