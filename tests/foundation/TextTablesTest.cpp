#include "foundation/TextTables.h"

#include "foundation/InlineControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace {

// The members of a class written as the lists of codes and ranges that
// describe it: "2-13,15,32-38".
TCharClassTable Members(const std::string& list)
{
    TCharClassTable t{};
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const size_t dash = item.find('-');
        const int from = std::stoi(item.substr(0, dash));
        const int to = dash == std::string::npos ? from : std::stoi(item.substr(dash + 1));
        for (int c = from; c <= to; ++c)
            t[c] = true;
    }
    return t;
}

void ExpectClass(const TCharClassTable& table, const std::string& members, const char* name)
{
    const TCharClassTable expected = Members(members);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(table[c], expected[c]) << name << ", code " << c;
}

const char kDelimiters[] = "2-13,15,32-38,40-47,58-64,91-95,123-126,128,132,133,147,148,171,187";
const char kLeading[] = "2-7,10,11,32,35,36,40,42,43,45,47,61,64,91,94,95,123,126,128,132,147,171";

class TextTablesTest : public testing::Test {
protected:
    void TearDown() override { BuildTextTables(0x040C); }
};

}  // namespace

TEST_F(TextTablesTest, ClassesCoverEveryByte)
{
    BuildTextTables(0x040C);  // French
    ExpectClass(DelimiterCharTable, kDelimiters, "Delimiter");
    ExpectClass(DelimiterNoBlankCharTable, "2-13,15,33-38,40-47,58-64,91-95,123-126,128,132,133,147,148,171,187",
                "DelimiterNoBlank");
    ExpectClass(ControlCodeCharTable, "2-6", "ControlCode");
    ExpectClass(BreakAfterCharTable, "7,12,13,14,32,45", "BreakAfter");
    ExpectClass(SentenceEndCharTable, "33,46,63", "SentenceEnd");
    ExpectClass(BlankCharTable, "2-7,10,32", "Blank");
    ExpectClass(LeadingPunctCharTable, kLeading, "LeadingPunct");
    ExpectClass(TrailingPunctCharTable, "2-7,10,11,15,32,33,37,41-47,58,59,63,64,93,94,95,125,126,148,187",
                "TrailingPunct");
    ExpectClass(LeadingPunctCharTable2, "2-7,10,11,32,35,40,42,43,45,47,61,64,91,94,95,123,126,132,147",
                "LeadingPunct2");
    ExpectClass(TrailingPunctCharTable2, "2-7,10,11,15,32,41-47,59,61,64,93-95,125,126,148", "TrailingPunct2");
    ExpectClass(DigitCharTable, "45,48-57", "Digit");
    ExpectClass(DigitBlankCharTable, "32,45,48-57", "DigitBlank");
    ExpectClass(PlainRtfCharTable, "32-91,93-122,124,126-149,152-159,161-255", "PlainRtf");
    ExpectClass(InvalidFileNameCharTable, "34,42,47,58,60,62,63,92,124,132,147,148,171,187", "InvalidFileName");
}

TEST_F(TextTablesTest, SpanishAddsInvertedPunctuation)
{
    BuildTextTables(0x0C0A);  // Spanish, modern sort
    EXPECT_TRUE(DelimiterCharTable[static_cast<uint8_t>('\xBF')]);
    ExpectClass(DelimiterCharTable, std::string(kDelimiters) + ",161,191", "Delimiter (es)");
    ExpectClass(DelimiterNoBlankCharTable,
                "2-13,15,33-38,40-47,58-64,91-95,123-126,128,132,133,147,148,161,171,187,191", "NoBlank (es)");
    ExpectClass(LeadingPunctCharTable, std::string(kLeading) + ",161,191", "LeadingPunct (es)");
    EXPECT_FALSE(LeadingPunctCharTable2[161]);
    BuildTextTables(0x040C);
    EXPECT_FALSE(DelimiterCharTable[191]) << "with a French locale \"¿\" is no delimiter";
    EXPECT_FALSE(LeadingPunctCharTable[161]);
}

TEST(TextTables, ConstantSets)
{
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<uint8_t>(c);
        EXPECT_EQ(InvertedPunctuationSet.Contains(ch), c == 161 || c == 191) << c;
        const bool quote = c == 34 || c == 39 || c == 96 || c == 132 || c == 145 || c == 146 || c == 147 ||
                           c == 148 || c == 171 || c == 187;
        EXPECT_EQ(QuoteCharSet.Contains(ch), quote) << c;
    }
}

TEST(TextTables, MapsCoverEveryByte)
{
    for (int c = 0; c < 256; ++c) {
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        EXPECT_EQ(LowerCaseMap[c], upper ? c + 32 : c) << c;
        EXPECT_EQ(LetterLowerCaseMap[c], upper ? c + 32 : lower ? c : 0) << c;
        int hex = 255;
        if (c >= '0' && c <= '9')
            hex = c - '0';
        else if ((c | 32) >= 'a' && (c | 32) <= 'f' && (upper || lower))
            hex = (c | 32) - 'a' + 10;
        EXPECT_EQ(HexDigitValueTable[c], hex) << c;
    }
    EXPECT_EQ(HexDigitValueTable['g'], 255);
    EXPECT_EQ(LowerCaseMap[static_cast<uint8_t>('\xC9')], 0xC9) << "only ASCII letters are lowered";

    const std::pair<int, int> glyphs[] = {{2, 182}, {10, 176}, {11, 150}, {12, 151}, {13, 150}, {14, '-'}};
    const std::pair<int, int> specials[] = {{9, 7},    {11, 5},   {12, 6},   {15, 4}, {16, 11},
                                            {31, 14},  {150, 13}, {151, 12}, {160, 10}};
    for (int c = 0; c < 256; ++c) {
        int glyph = 0, special = 0;
        for (auto [code, value] : glyphs)
            if (code == c)
                glyph = value;
        for (auto [code, value] : specials)
            if (code == c)
                special = value;
        EXPECT_EQ(SpecialCharGlyphTable[c], glyph) << c;
        EXPECT_EQ(CharToSpecialCodeTable[c], special) << c;
    }
    EXPECT_EQ(CharToSpecialCodeTable[9], scTab);
    EXPECT_EQ(CharToSpecialCodeTable[160], scNonBreakingSpace);
}

TEST(TextTables, LanguageKinds)
{
    EXPECT_EQ(GetLanguageKind(0x040C), 2);
    EXPECT_EQ(GetLanguageKind(0x0C0C), 2);
    EXPECT_EQ(GetLanguageKind(0x0409), 1);
    EXPECT_EQ(GetLanguageKind(0x0809), 0);
    EXPECT_EQ(GetLanguageKind(0x0407), 0);
}

TEST(TextTables, CaseRoutines)
{
    const LCID fr = 0x040C;
    EXPECT_EQ(UpperCaseLocale(fr, "élève à œuvre ÿ š ß µ 1"), "ÉLÈVE À ŒUVRE Ÿ Š ß µ 1");
    EXPECT_TRUE(IsUpperCaseChar(static_cast<uint8_t>('\xC9'), fr));   // É
    EXPECT_FALSE(IsUpperCaseChar(static_cast<uint8_t>('\xE9'), fr));  // é
    EXPECT_FALSE(CharHasCase('1', fr));
    EXPECT_FALSE(CharHasCase(static_cast<uint8_t>('\xDF'), fr));      // ß has no capital byte
    EXPECT_EQ(UpperCaseCharLocale('a', fr, false), 'a');
    EXPECT_EQ(UpperCaseCharLocale(static_cast<uint8_t>('\xE7'), fr, true), 0xC7);  // ç
    EXPECT_TRUE(IsAlphaNumericChar(fr, static_cast<uint8_t>('\xE9')));
    EXPECT_TRUE(IsAlphaNumericChar(fr, '7'));
    EXPECT_FALSE(IsAlphaNumericChar(fr, '-'));
    EXPECT_FALSE(IsAlphaNumericChar(fr, static_cast<uint8_t>('\xAB')));  // «
    // Upper-casing is stable and never changes a byte that has no case.
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<uint8_t>(c);
        const uint8_t up = UpperCaseCharLocale(ch, fr, true);
        EXPECT_EQ(UpperCaseCharLocale(up, fr, true), up) << c;
        if (!CharHasCase(ch, fr)) {
            EXPECT_EQ(up, ch) << c;
        }
    }
}

TEST(TextTables, CapitalAccents)
{
    const std::string in = "ÉÈÊÀÇÖÛxé";
    std::string out(in.size(), '\0');
    RemoveCapitalAccents(in.data(), out.data(), static_cast<int32_t>(in.size()));
    EXPECT_EQ(out, "EEEAÇÖUxé");
    EXPECT_EQ(std::strlen(AccentedCapitals), std::strlen(UnaccentedCapitals));
    for (size_t i = 1; i < std::strlen(AccentedCapitals); ++i)
        EXPECT_LT(static_cast<uint8_t>(AccentedCapitals[i - 1]), static_cast<uint8_t>(AccentedCapitals[i]));

    const std::string lower = "été", upper = "ÉTÉ", plain = "ETE";
    const auto same = [](const std::string& a, const std::string& b, LANGID lang) {
        return SameTextForLanguage(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                   static_cast<int32_t>(b.size()), lang);
    };
    EXPECT_TRUE(same(lower, upper, 0x040C));
    EXPECT_FALSE(same(lower, plain, 0x040C)) << "capitals keep their accents without the option";
    EXPECT_FALSE(same("ab", "abc", 0x040C));

    const TCapitalsWithoutAccentsQuery previous =
        SetCapitalsWithoutAccentsQuery([](LANGID lang) { return PRIMARYLANGID(lang) == LANG_FRENCH; });
    EXPECT_TRUE(same(lower, upper, 0x040C));
    EXPECT_TRUE(same(lower, plain, 0x040C));
    EXPECT_TRUE(same(lower, plain, 0x0C0C));
    EXPECT_FALSE(same(lower, plain, 0x0409)) << "only French removes accents";
    SetCapitalsWithoutAccentsQuery(previous);
}

TEST(TextTables, KeywordTables)
{
    for (const auto& row : NumberFormatKeywords)
        for (const char* keyword : row)
            ASSERT_NE(keyword, nullptr);
    EXPECT_STREQ(NumberFormatKeywords[11][3], "ROMANOMAYÚS");
    EXPECT_STREQ(NumberFormatKeywords[5][2], "WÄHRUNGSTEXT");

    int unnamed = 0;
    for (const char* keyword : FieldKeywords) {
        ASSERT_NE(keyword, nullptr);
        unnamed += std::strcmp(keyword, "?") == 0;
    }
    EXPECT_EQ(unnamed, 13);
    EXPECT_STREQ(FieldKeywords[2], "BOOKMARK");
    EXPECT_STREQ(FieldKeywords[34], "=");
    EXPECT_STREQ(FieldKeywords[37], "PAGEREF");
    EXPECT_STREQ(FieldKeywords[88], "HYPERLINK");
    EXPECT_STREQ(FieldKeywords[90], "LISTNUM");
    EXPECT_STREQ(FieldKeywords[91], "?");

    const int filled[DateTimeFormatGroupCount] = {22, 22, 31};
    for (int g = 0; g < DateTimeFormatGroupCount; ++g)
        for (int s = 0; s < DateTimeFormatSlotCount; ++s) {
            ASSERT_NE(DateTimeFormats[g][s], nullptr);
            EXPECT_EQ(DateTimeFormats[g][s][0] != '\0', s < filled[g]) << g << "/" << s;
        }
    EXPECT_STREQ(DateTimeFormats[2][30], "hh 'h' mm");
    EXPECT_STREQ(DateTimeFormats[1][2], "MMMM dd, yyyy");

    for (const char* name : BuiltInStyleNames)
        ASSERT_NE(name, nullptr);
    EXPECT_STREQ(BuiltInStyleNames[9], "Heading 9");
    EXPECT_STREQ(BuiltInStyleNames[27], "TOC 9");
    EXPECT_STREQ(BuiltInStyleNames[56], "List Bullet 5");
    EXPECT_STREQ(BuiltInStyleNames[72], "List Continue 5");
    EXPECT_STREQ(BuiltInStyleNames[91], "TOC Title");
    EXPECT_STREQ(PictureExtensions[PictureExtensionCount - 1], "ani");
}

TEST(TextTables, UserLocaleFromTheDesktop)
{
    EXPECT_EQ(LCIDFromLocaleName("fr_FR.UTF-8"), 0x040Cu);
    EXPECT_EQ(LCIDFromLocaleName("fr_CA"), 0x0C0Cu);
    EXPECT_EQ(PRIMARYLANGID(static_cast<LANGID>(LCIDFromLocaleName("es_ES@euro"))), LANG_SPANISH);
    EXPECT_EQ(LCIDFromLocaleName("C"), 0x0409u);
    EXPECT_EQ(LCIDFromLocaleName("POSIX"), 0x0409u);
    EXPECT_EQ(LocaleNameFromLCID(0x040C), "fr_FR");
}
