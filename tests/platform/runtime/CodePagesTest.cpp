#include "platform/runtime/CodePages.h"
#include "platform/testing/Testing.h"

namespace {
struct TPair {
    uint32_t CodePage;
    uint8_t Byte;
    char16_t Wide;
};
}  // namespace

TEST(CodePages, KnownBytesConvertBothWays)
{
    const TPair cases[] = {
        {1252, 0x80, 0x20AC}, {1252, 0x9C, 0x0153}, {1252, 0xE9, 0x00E9}, {1252, 0x81, 0x0081},
        {1250, 0x8A, 0x0160}, {1250, 0xB9, 0x0105}, {1250, 0xF8, 0x0159},
        {1251, 0xC0, 0x0410}, {1251, 0xFF, 0x044F}, {1251, 0xA8, 0x0401},
        {1253, 0xC1, 0x0391}, {1253, 0xF9, 0x03C9},
        {1254, 0xD0, 0x011E}, {1254, 0xFD, 0x0131},
        {1255, 0xE0, 0x05D0}, {1256, 0xC7, 0x0627}, {1257, 0xC0, 0x0104}, {1258, 0xD5, 0x01A0},
        {437, 0x82, 0x00E9}, {437, 0xC9, 0x2554}, {437, 0xE1, 0x00DF}, {437, 0x01, 0x0001},
        {850, 0x82, 0x00E9}, {850, 0xD0, 0x00F0}, {850, 0xFF, 0x00A0},
        {CP_MACROMAN, 0x8E, 0x00E9}, {CP_MACROMAN, 0xD2, 0x201C}, {CP_MACROMAN, 0xDB, 0x20AC},
        {CP_SYMBOL, 0x41, 0xF041},
    };
    for (const TPair& c : cases) {
        std::string b(1, static_cast<char>(c.Byte));
        EXPECT_EQ(ToWide(b, c.CodePage), std::u16string(1, c.Wide)) << "cp " << c.CodePage << " byte " << int(c.Byte);
        bool used = true;
        EXPECT_EQ(FromWide(std::u16string(1, c.Wide), c.CodePage, &used), b) << "cp " << c.CodePage;
        EXPECT_FALSE(used);
    }
}

TEST(CodePages, EveryByteRoundTripsInEverySingleByteCodePage)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (uint32_t cp : {1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 437u, 850u, CP_MACROMAN}) {
        bool used = true;
        EXPECT_EQ(FromWide(ToWide(all, cp), cp, &used), all) << "cp " << cp;
        EXPECT_FALSE(used) << "cp " << cp;
    }
}

TEST(CodePages, UnmappableCharactersUseTheDefaultAndSaySo)
{
    struct TCase {
        uint32_t CodePage;
        std::u16string Text;
        std::string Expected;
        bool UsedDefault;
    };
    const TCase cases[] = {
        {1252, u"\u0416", "?", true},           // Cyrillic Zhe has no byte in 1252
        {1252, u"a\u4E2Db", "a?b", true},
        {1252, u"\u0101", "a", false},          // a with macron: best fit to the base letter
        {1251, u"\u00E9", "e", false},
        {1250, u"\u00C6", "?", true},
        {437, u"\u20AC", "?", true},
        {1253, u"\U0001F600", "?", true},       // one default for a surrogate pair
    };
    for (const TCase& c : cases) {
        bool used = !c.UsedDefault;
        EXPECT_EQ(FromWide(c.Text, c.CodePage, &used), c.Expected) << "cp " << c.CodePage;
        EXPECT_EQ(used, c.UsedDefault) << "cp " << c.CodePage;
    }
    bool used = false;
    EXPECT_EQ(FromWide(u"\u0101", 1252, &used, '_', false), "_");
    EXPECT_TRUE(used);
}

TEST(CodePages, Utf8Boundary)
{
    const std::string ansi = "Été « 5 € »";
    EXPECT_EQ(Utf8FromAnsi(ansi), std::string(reinterpret_cast<const char*>(u8"Été « 5 € »")));
    EXPECT_EQ(AnsiFromUtf8(Utf8FromAnsi(ansi)), ansi);
    EXPECT_TRUE(Utf8FitsAnsi(reinterpret_cast<const char*>(u8"Noël")));
    // Characters outside code page 1252 are spelled with escapes: the test
    // macros turn their arguments into 1252 strings.
    const std::string moscow = reinterpret_cast<const char*>(u8"\u041C\u043E\u0441\u043A\u0432\u0430");
    EXPECT_FALSE(Utf8FitsAnsi(moscow));
    EXPECT_EQ(WideFromUtf8(reinterpret_cast<const char*>(u8"x\U0001F600")), u"x\U0001F600");
}

TEST(CodePages, LanguagesAndCharsets)
{
    EXPECT_EQ(CodePageFromLangId(0x040C), 1252u);  // French
    EXPECT_EQ(CodePageFromLangId(0x0419), 1251u);  // Russian
    EXPECT_EQ(CodePageFromLangId(0x0415), 1250u);  // Polish
    EXPECT_EQ(CodePageFromLangId(0x0408), 1253u);
    EXPECT_EQ(CodePageFromLangId(0x041F), 1254u);
    EXPECT_EQ(CodePageFromLangId(0x0C1A), 1251u);  // Serbian, Cyrillic
    EXPECT_EQ(CodePageFromLangId(0x081A), 1250u);  // Serbian, Latin
    for (uint32_t cp : {1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, CP_SYMBOL, CP_MACROMAN})
        EXPECT_EQ(CodePageFromCharset(CharsetFromCodePage(cp)), cp);
    EXPECT_EQ(CodePageFromCharset(OEM_CHARSET), 437u);
}

TEST(CodePages, DosTextConvertsReversiblyInBothDosCodePages)
{
    for (const uint32_t codePage : {437u, 850u}) {
        SCOPED_TRACE(codePage);
        uint8_t toAnsi[256], toOem[256];
        GetOemAnsiTables(codePage, toAnsi, toOem);
        bool hit[256] = {};
        for (int b = 0; b < 256; ++b) {
            EXPECT_EQ(toOem[toAnsi[b]], b) << "DOS byte " << b << " does not come back";
            EXPECT_FALSE(hit[toAnsi[b]]) << "two DOS bytes share ANSI byte " << int(toAnsi[b]);
            hit[toAnsi[b]] = true;
            if (b < 128) {
                EXPECT_EQ(toAnsi[b], b) << "controls and ASCII stay";
            }
        }
        // A character both code pages hold keeps its meaning.
        for (int b = 128; b < 256; ++b) {
            const char16_t c = ByteToWide(static_cast<uint8_t>(b), codePage);
            bool lost = false;
            const std::string ansi = FromWide(std::u16string(1, c), 1252, &lost, '?', false);
            if (!lost) {
                EXPECT_EQ(toAnsi[b], static_cast<uint8_t>(ansi[0])) << "DOS byte " << b;
            }
        }
    }
    // The program's conversion follows the DOS code page in force.
    const uint32_t previous = GetOEMCP();
    EXPECT_FALSE(SetOEMCP(1252));
    ASSERT_TRUE(SetOEMCP(850));
    char text[] = "\x90t\x82 \xC9";  // "Été" and a box corner
    OemToCharBuff(text, text, 5);
    EXPECT_EQ(std::string(text, 4), "\xC9t\xE9 ");
    CharToOemBuff(text, text, 5);
    EXPECT_EQ(std::string(text, 5), "\x90t\x82 \xC9");
    SetOEMCP(previous);
}
