// The RTF reader on small texts, one behaviour each: the text and records of
// the paragraphs, formats, styles, fonts, colours, tabs, sections, stories,
// fields, bookmarks, pictures, bullets and Unicode.
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "document/model/Section.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/rtf/ControlWords.h"

#include <cstring>

namespace {

// Reads the text as an RTF block in memory into a hidden document.
struct TRtfRead {
    std::unique_ptr<TDocument> Document = std::make_unique<TDocument>(true);
    bool Ok = false;
    TDocument& Doc() { return *Document; }
};

TRtfRead ReadRtfText(const std::string& text)
{
    TRtfRead read;
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = reinterpret_cast<const uint8_t*>(text.data());
    request.BufferSize = static_cast<int32_t>(text.size());
    read.Ok = LoadFromFile(*read.Document, request);
    return read;
}

// Paragraph text with format records left out (characters, special
// characters and the other records as ShowText writes them).
std::string PlainText(const TParagraph& paragraph)
{
    std::string out;
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    for (int32_t i = 0; i < size;) {
        if (p[i] != InlineControlStartByte) {
            out += static_cast<char>(p[i++]);
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        i += InlineControlSize;
        if (IsFormatCode(c.Code))
            continue;
        if (c.Code == icSpecialChar)
            out += "<" + std::to_string(SpecialCharKind(c.Argument)) + ">";
        else
            out += "{" + std::to_string(c.Code) + "}";
    }
    return out;
}

std::vector<std::string> BodyPlain(const TDocument& document)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < document.StoryCount(stBody); ++i)
        texts.push_back(PlainText(document.Paragraphs(i)));
    return texts;
}

std::vector<std::string> StoryPlain(const TDocument& document, int32_t story)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < document.StoryCount(story); ++i)
        texts.push_back(PlainText(document.Paragraphs(document.StoryFirst(story) + i)));
    return texts;
}

using TTexts = std::vector<std::string>;

}  // namespace

TEST(RtfControlWords, LookupAndScanning)
{
    struct TCase {
        const char* Text;
        int32_t Index;
        int32_t Param;
        int32_t ParamOrOne;
        int32_t Length;
    };
    const TCase cases[] = {
        {"B", kwB, 0, 1, 1},           {"b0", kwB, 0, 0, 2},         {"fs24\\b", kwFs, 24, 24, 4},
        {"li-360 x", kwLi, -360, -360, 7}, {"ftnsep", kwFtnsep, 0, 1, 6}, {"ftnsepc", kwFtnsepc, 0, 1, 7},
        {"xyz", -1, 0, 1, 3},          {"q", -1, 0, 1, 1},           {"par ", kwPar, 0, 1, 4},
        {"par\r\n", kwPar, 0, 1, 3},   {"par\\par", kwPar, 0, 1, 3}, {"aenddoc", kwAenddoc, 0, 1, 7},
        {"yr2001", kwYr, 2001, 2001, 6}, {"autosavedorigname", kwAutosavedorigname, 0, 1, 17},
        {"u-3913?", kwU, -3913, -3913, 6}, {"ftnse", -1, 0, 1, 5},
    };
    for (const TCase& c : cases) {
        const auto* text = reinterpret_cast<const uint8_t*>(c.Text);
        TControlToken token;
        ScanControlWord(text, text + std::strlen(c.Text), token);
        EXPECT_EQ(FindControlWord(token), c.Index) << c.Text;
        EXPECT_EQ(ControlWordParam(token), c.Param) << c.Text;
        EXPECT_EQ(ControlWordParamOrOne(token), c.ParamOrOne) << c.Text;
        EXPECT_EQ(token.Length, c.Length) << c.Text;
    }
    // Every word of the table finds its own index (but for \private1, whose
    // digit reads as a parameter).
    for (int32_t i = 0; i < ControlWordCount; ++i) {
        const std::string_view word = ControlWordText(i);
        if (i == kwPrivate1)
            continue;
        TControlToken token;
        const auto* text = reinterpret_cast<const uint8_t*>(word.data());
        ScanControlWord(text, text + word.size(), token);
        EXPECT_EQ(FindControlWord(token), i) << word;
    }
}

TEST(RtfControlWords, HexCodecs)
{
    uint8_t out[8] = {};
    int32_t consumed = 0;
    const std::string escapes = "\\'e9\\'E8\\'zz";
    EXPECT_EQ(DecodeHexEscapes(reinterpret_cast<const uint8_t*>(escapes.data()), 12, out, consumed), 2);
    EXPECT_EQ(consumed, 8);
    EXPECT_EQ(out[0], 0xE9);
    EXPECT_EQ(out[1], 0xE8);

    const std::string pairs = "4a6B4aZZ4Z";
    const auto* p = reinterpret_cast<const uint8_t*>(pairs.data());
    EXPECT_EQ(HexTextToBytes(p, out, 2), 2);
    EXPECT_EQ(out[0], 0x4A);
    EXPECT_EQ(out[1], 0x6B);
    // A pair with a byte that is no digit gives nothing, never 255.
    EXPECT_EQ(HexTextToBytes(p, out, 2), 1);
    EXPECT_EQ(p - reinterpret_cast<const uint8_t*>(pairs.data()), 6);
    const auto* q = reinterpret_cast<const uint8_t*>(pairs.data()) + 8;
    EXPECT_EQ(HexTextToBytes(q, out, 1), 0);

    char hex[8] = {};
    const uint8_t bytes[] = {0xAB, 0x01};
    BytesToHexText(bytes, hex, 2);
    EXPECT_EQ(std::string(hex, 4), "ab01");
    EncodeHexEscapes(bytes, hex, 2);
    EXPECT_EQ(std::string(hex, 8), "\\'ab\\'01");
}

TEST(RtfReader, TextAndEscapes)
{
    TRtfManagersScope managers;
    struct TCase {
        const char* Name;
        std::string Rtf;
        TTexts Expected;
    };
    const TCase cases[] = {
        {"groups", "{\\rtf1 ab{\\b c}d}", {"abcd"}},
        {"paragraphs", "{\\rtf1 un\\par deux\\par trois}", {"un<2>", "deux<2>", "trois"}},
        {"backslash and line break", "{\\rtf1 un\\\r\ndeux}", {"un<2>", "deux"}},
        {"literal escapes", "{\\rtf1 a\\\\b\\{c\\}}", {"a\\b{c}"}},
        {"symbols", "{\\rtf1 a\\~b\\_c\\-d\\tab e\\line f\\emdash\\endash}",
         {"a<10>b<11>c<14>d<7>e<5>f<12><13>"}},
        {"raw special bytes", std::string("{\\rtf1 a\x96") + "b\x97" + "c\xA0" + "d\te\x0C" + "f}",
         {"a<13>b<12>c<10>def"}},
        {"quotes", "{\\rtf1 \\lquote x\\rquote \\ldblquote y\\rdblquote}", {"\x91x\x92\x93y\x94"}},
        {"hex run", "{\\rtf1 \\'e9t\\'e9}", {"\xE9t\xE9"}},
        // Every byte of a mixed run reaches the text.
        {"mixed hex run", "{\\rtf1 \\'e9\\'96\\'e8\\'0a\\'41\\'7b}", {"\xE9<13>\xE8" "A{"}},
        {"bad hex digit", "{\\rtf1 a\\'zzb}", {"azzb"}},
        {"deleted text", "{\\rtf1 a{\\deleted b\\par c}d}", {"ad"}},
        {"unknown words and destinations", "{\\rtf1 a\\xyz12 b{\\*\\unknown c{d}}e{\\*\\pnseclvl1\\pnucrm x}f}",
         {"abef"}},
        {"binary data", "{\\rtf1 a{\\*\\blob \\bin4 }{}x}b}", {"ab"}},
        {"unbalanced closing brace", "{\\rtf1 a}b}", {"a"}},
        {"missing closing braces", "{\\rtf1 a{\\b b", {"ab"}},
        {"table rows", "{\\rtf1 \\trowd\\cellx1\\cellx2\\cellx3 a\\cell b\\cell c\\cell\\row}",
         {"a<7>b<7>c<2>"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRtfRead read = ReadRtfText(c.Rtf);
        ASSERT_TRUE(read.Ok);
        EXPECT_EQ(BodyPlain(read.Doc()), c.Expected);
    }
}

TEST(RtfReader, CharacterRecords)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText("{\\rtf1 ab{\\b c}d\\b\\b e\\b0 f}");
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(ShowText(read.Doc().Paragraphs(0)), "ab{2:1}c{2:0}d{2:1}e{2:0}f");

    struct TCase {
        const char* Rtf;
        int Slot;
        int32_t Value;
    };
    const TCase cases[] = {
        {"\\fs1 x", cfSize, 24},          {"\\fs2001 x", cfSize, 24},      {"\\fs2 x", cfSize, 2},
        {"\\up6 x", cfRaise, 3},          {"\\dn5 x", cfRaise, -2},        {"\\expnd-4 x", cfLetterSpacing, -20},
        {"\\expndtw-4 x", cfLetterSpacing, -4}, {"\\charscalex700 x", cfHorizontalScale, 100},
        {"\\charscalex80 x", cfHorizontalScale, 80}, {"\\uldb x", cfUnderline, 3}, {"\\ulthldash x", cfUnderline, 55},
        {"\\ul x", cfUnderline, 1},       {"\\ul0 x", cfUnderline, 0},     {"\\striked x", cfDoubleStrikeOut, 0},
        {"\\striked1 x", cfDoubleStrikeOut, 1}, {"\\sub x", cfVerticalPosition, 2}, {"\\kerning16 x", cfKerning, 16},
        {"\\lang1036 x", cfLanguage, 1036}, {"\\caps x", cfAllCaps, 1},    {"\\impr x", cfEngrave, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Rtf);
        TRtfRead one = ReadRtfText(std::string("{\\rtf1 ") + c.Rtf + "}");
        ASSERT_TRUE(one.Ok);
        TCharFormat format;
        one.Doc().GetCharFormatAt(TTextPosition{}, format);
        EXPECT_EQ(format[c.Slot], c.Value);
    }
}

TEST(RtfReader, FontsWithCharacterSets)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText("{\\rtf1{\\fonttbl{\\f1\\fswiss\\fcharset77 Arial;}{\\f2\\fnil\\fcharset177 David;}"
                                "{\\f3\\froman\\fprq1 Times New Roman;}}\\f2 \\'e0\\f1 x\\f2 y\\f9 z}");
    ASSERT_TRUE(read.Ok);
    TFontManager* fonts = GetFontManager();
    ASSERT_NE(fonts, nullptr);
    const TParagraph& paragraph = read.Doc().Paragraphs(0);
    std::vector<int32_t> used;
    for (TRecordCursor cursor(paragraph); cursor.Next();)
        if (cursor.Record().Code == cfFont)
            used.push_back(cursor.Record().Argument);
    // The first font read becomes the current font; then \f2, \f1, \f2, and
    // an unknown number takes the table's first entry (\f1).
    ASSERT_EQ(used.size(), 5u);
    const TRegisteredFont* david = fonts->FindFont(used[1]);
    ASSERT_NE(david, nullptr);
    EXPECT_EQ(david->FaceName, "David");
    EXPECT_EQ(david->RequestedCharset, 177);
    const TRegisteredFont* arial = fonts->FindFont(used[2]);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->RequestedCharset, 0);  // the Macintosh set reads as Western
    EXPECT_EQ(used[0], used[2]);
    EXPECT_EQ(used[4], used[2]);
}
