#include "foundation/CodePageRoutines.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/CodePages.h"
#include "platform/testing/Testing.h"

#include <string>
#include <vector>

namespace {

std::string ByRuns(const std::u16string& text, std::vector<int32_t>& ends, std::vector<int32_t>& pages)
{
    std::string bytes(text.size(), '\0');
    WideToAnsiByRuns(text.data(), bytes.data(), static_cast<int32_t>(text.size()), ends, pages);
    return bytes;
}

}  // namespace

TEST(CodePageRoutines, EachCharacterConvertsInTheCodePageOfItsRange)
{
    struct TCase {
        char16_t Unit;
        uint32_t CodePage;
        uint8_t Byte;
    };
    const TCase cases[] = {
        {0x00E9, 1252, 0xE9}, {0x0152, 1252, 0x8C}, {0x0153, 1252, 0x9C}, {0x00A0, 1252, 0xA0},
        {0x0160, 1250, 0x8A}, {0x0105, 1250, 0xB9}, {0x0142, 1250, 0xB3}, {0x0159, 1250, 0xF8},
        {0x0150, 1250, 0xD5}, {0x017E, 1250, 0x9E},
        {0x0410, 1251, 0xC0}, {0x044F, 1251, 0xFF}, {0x0401, 1251, 0xA8}, {0x0457, 1251, 0xBF},
        {0x0391, 1253, 0xC1}, {0x03C9, 1253, 0xF9}, {0x03AC, 1253, 0xDC},
        {0x05D0, 1255, 0xE0}, {0x05EA, 1255, 0xFA},
        {0x0627, 1256, 0xC7}, {0x064A, 1256, 0xED},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(GetCodePageOfWideChar(c.Unit, 7), c.CodePage) << std::hex << int(c.Unit);
        std::vector<int32_t> ends, pages;
        const std::string bytes = ByRuns(std::u16string(1, c.Unit), ends, pages);
        EXPECT_EQ(static_cast<uint8_t>(bytes[0]), c.Byte) << std::hex << int(c.Unit);
        EXPECT_EQ(pages, std::vector<int32_t>{static_cast<int32_t>(c.CodePage)});
        char guessed = 0;
        EXPECT_EQ(WideToAnsiGuessCodePage(&c.Unit, &guessed, 1), c.CodePage);
        EXPECT_EQ(static_cast<uint8_t>(guessed), c.Byte);
    }
    // Range edges, and the code units that belong to no code page.
    const std::pair<char16_t, uint32_t> edges[] = {
        {0x0041, 7}, {0x007F, 7}, {0x0080, 1252}, {0x00FF, 1252}, {0x0100, 1250}, {0x0151, 1250},
        {0x0154, 1250}, {0x017F, 1250}, {0x0180, 1257}, {0x024F, 1257}, {0x0250, 7}, {0x036F, 7},
        {0x0370, 1253}, {0x03FF, 1253}, {0x0400, 1251}, {0x04FF, 1251}, {0x0500, 7}, {0x0590, 1255},
        {0x05FF, 1255}, {0x0600, 1256}, {0x06FF, 1256}, {0x0700, 7}, {0x20AC, 7}, {0xF04A, 7},
    };
    for (const auto& [unit, cp] : edges)
        EXPECT_EQ(GetCodePageOfWideChar(unit, 7), cp) << std::hex << int(unit);
}

TEST(CodePageRoutines, TextsSplitIntoRunsOfOneCodePage)
{
    std::vector<int32_t> ends, pages;
    // Latin then Cyrillic: the leading ASCII joins the first run.
    std::string bytes = ByRuns(u"Le caf\u00e9 \u0416\u0443\u043a ok", ends, pages);
    EXPECT_EQ(ends, (std::vector<int32_t>{8, 14}));
    EXPECT_EQ(pages, (std::vector<int32_t>{1252, 1251}));
    EXPECT_EQ(bytes, "Le caf\xE9 \xC6\xF3\xEA ok");

    // ASCII only: one run in the default ANSI code page.
    bytes = ByRuns(u"plain", ends, pages);
    EXPECT_EQ(ends, std::vector<int32_t>{5});
    EXPECT_EQ(pages, std::vector<int32_t>{1252});
    EXPECT_EQ(bytes, "plain");

    // A symbol character keeps its low byte whatever the run's code page.
    bytes = ByRuns(u"\u0416\uF04A\u0416", ends, pages);
    EXPECT_EQ(ends, std::vector<int32_t>{3});
    EXPECT_EQ(pages, std::vector<int32_t>{1251});
    EXPECT_EQ(bytes, "\xC6\x4A\xC6");

    // Greek, Hebrew, Arabic and Polish in turn; a surrogate pair keeps one byte per unit.
    bytes = ByRuns(u"\u03b1\u05d0\u0627\u0105\U0001F600", ends, pages);
    EXPECT_EQ(ends, (std::vector<int32_t>{1, 2, 3, 6}));
    EXPECT_EQ(pages, (std::vector<int32_t>{1253, 1255, 1256, 1250}));
    EXPECT_EQ(bytes, "\xE1\xE0\xC7\xB9??");

    // The lists are refilled, not appended to.
    ByRuns(u"", ends, pages);
    EXPECT_EQ(ends, std::vector<int32_t>{0});
}

TEST(CodePageRoutines, GuessingTakesTheMostFrequentCodePage)
{
    const std::u16string greekAndCyrillic = u"\u03b1\u03b2\u03b3\u0430\u0431\u0432";
    EXPECT_EQ(GuessWideTextCodePage(greekAndCyrillic.data(), 6, 1252), 1251u);  // a tie: the lower number
    const std::u16string moreGreek = u"\u03b1\u03b2\u03b3\u0430 abc";
    EXPECT_EQ(GuessWideTextCodePage(moreGreek.data(), static_cast<int32_t>(moreGreek.size()), 1252), 1253u);
    EXPECT_EQ(GuessWideTextCodePage(u"abc", 3, 1250), 1250u);

    std::string bytes(7, '\0');
    const std::u16string mixed = u"\u0416\u0416 \u00e9\uF04A\u20AC!";
    EXPECT_EQ(WideToAnsiGuessCodePage(mixed.data(), bytes.data(), 7), 1251u);
    EXPECT_EQ(bytes, "\xC6\xC6 e?\x88!");  // best fit for the accent, the euro sign is 0x88 in 1251

    SetDefaultAnsiCodePage(1250);
    EXPECT_EQ(WideToAnsiGuessCodePage(u"ab", bytes.data(), 2), 1250u);
    SetDefaultAnsiCodePage(1252);
}

TEST(CodePageRoutines, CharacterSetsAndCodePages)
{
    const std::pair<uint8_t, uint32_t> known[] = {
        {ANSI_CHARSET, 1252},   {EASTEUROPE_CHARSET, 1250}, {RUSSIAN_CHARSET, 1251}, {GREEK_CHARSET, 1253},
        {TURKISH_CHARSET, 1254}, {HEBREW_CHARSET, 1255},    {ARABIC_CHARSET, 1256},  {BALTIC_CHARSET, 1257},
        {VIETNAMESE_CHARSET, 1258}, {THAI_CHARSET, 874},    {SHIFTJIS_CHARSET, 932}, {SYMBOL_CHARSET, 42},
    };
    for (const auto& [charset, cp] : known) {
        EXPECT_EQ(CharsetToCodePage(charset), cp) << int(charset);
        EXPECT_EQ(CodePageToCharset(cp), charset) << cp;
    }
    SetDefaultAnsiCodePage(1250);
    SetDefaultCharset(EASTEUROPE_CHARSET);
    EXPECT_EQ(CharsetToCodePage(DEFAULT_CHARSET), 1250u);
    EXPECT_EQ(CharsetToCodePage(OEM_CHARSET), 1250u);
    EXPECT_EQ(CodePageToCharset(437), EASTEUROPE_CHARSET);
    EXPECT_EQ(CodePageToCharset(10000), EASTEUROPE_CHARSET);
    SetDefaultAnsiCodePage(1252);
    SetDefaultCharset(ANSI_CHARSET);
}

TEST(CodePageRoutines, MacRomanBytesTranslateThroughTheTable)
{
    uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    uint8_t out[256];
    TranslateBytes(all, out, 256);
    const std::pair<uint8_t, uint8_t> samples[] = {
        {128, 196}, {135, 225}, {142, 233}, {159, 252}, {161, 176}, {167, 223}, {174, 198}, {191, 248},
        {202, 160}, {216, 255}, {219, 164}, {225, 183}, {244, 217}, {252, 184},
        {65, 65}, {160, 160}, {165, 165}, {210, 210}, {253, 253}, {255, 255},
    };
    for (const auto& [mac, ansi] : samples)
        EXPECT_EQ(out[mac], ansi) << int(mac);
    int changed = 0;
    for (int i = 0; i < 256; ++i)
        changed += out[i] != i;
    EXPECT_EQ(changed, 76);
    // In place.
    uint8_t text[3] = {'c', 0x8D, 0x8E};
    TranslateBytes(text, text, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text), 3), "c\xE7\xE9");
}

TEST(CodePageRoutines, LocalesGiveTheirCodePageAndCharacterSet)
{
    struct TCase {
        LCID Locale;
        uint32_t CodePage;
        uint8_t Charset;
    };
    const TCase cases[] = {
        {0x040C, 1252, ANSI_CHARSET},      // French
        {0x0415, 1250, EASTEUROPE_CHARSET},  // Polish
        {0x0419, 1251, RUSSIAN_CHARSET},   // Russian
        {0x0408, 1253, GREEK_CHARSET},     // Greek
        {0x041F, 1254, TURKISH_CHARSET},   // Turkish
        {0x040D, 1255, HEBREW_CHARSET},    // Hebrew
        {0x0401, 1256, ARABIC_CHARSET},    // Arabic
        {0x0426, 1257, BALTIC_CHARSET},    // Latvian
        {0x042A, 1258, VIETNAMESE_CHARSET},  // Vietnamese
        {0x0411, 932, SHIFTJIS_CHARSET},   // Japanese
        {0x0439, 0, DEFAULT_CHARSET},      // Hindi: no ANSI code page
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(GetLocaleAnsiCodePage(c.Locale), c.CodePage) << std::hex << c.Locale;
        EXPECT_EQ(GetLocaleCharset(c.Locale, false), c.Charset) << std::hex << c.Locale;
    }
    EXPECT_EQ(GetLocaleCharset(0x0439, true), ANSI_CHARSET);  // the system's code page instead

    const LCID user = GetUserDefaultLCID();
    SetUserDefaultLCID(0x0419);
    EXPECT_EQ(GetLocaleAnsiCodePage(LOCALE_USER_DEFAULT), 1251u);
    SetDefaultCodePagesForLocale(LOCALE_USER_DEFAULT);
    EXPECT_EQ(DefaultAnsiCodePage(), 1251u);
    EXPECT_EQ(DefaultCharset(), RUSSIAN_CHARSET);
    SetDefaultCodePagesForLocale(0x0439);
    EXPECT_EQ(DefaultAnsiCodePage(), 1252u);
    EXPECT_EQ(DefaultCharset(), ANSI_CHARSET);
    SetUserDefaultLCID(user);
    SetDefaultAnsiCodePage(1252);
    SetDefaultCharset(ANSI_CHARSET);
}

TEST(CodePageRoutines, LocalesAreNamedAndGiveTheirCharacterSetToFonts)
{
    EXPECT_EQ(GetLocaleLanguageName(0x040C), "Français (France)");
    EXPECT_EQ(GetLocaleLanguageName(0x0409), "Anglais (États-Unis)");
    EXPECT_EQ(GetLocaleLanguageName(0x0C0C), "Français (Canada)");
    EXPECT_EQ(GetLocaleLanguageName(0x7FFF), "");
    TFont font;
    SetFontCharsetForLocale(font, 0x0419);
    EXPECT_EQ(font.Charset(), RUSSIAN_CHARSET);
    SetFontCharsetForLocale(font, 0x0439);  // no ANSI code page, no fallback
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
}
