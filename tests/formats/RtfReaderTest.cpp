// The RTF reader on small texts, one behaviour each: the text and records of
// the paragraphs, formats, styles, fonts, colours, tabs, sections, stories,
// fields, bookmarks, pictures, bullets and Unicode.
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "document/model/Section.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "platform/runtime/DateTime.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/LoadRoutines.h"
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
        // The model has no hidden attribute: hidden text stays text.
        {"hidden text", "{\\rtf1 a{\\v b}c}", {"abc"}},
        {"backslash at the very end", "{\\rtf1 a\\", {"a"}},
        {"section break in a footnote ends its paragraph", "{\\rtf1 x{\\footnote a\\sect b}}", {"{26}x{27}"}},
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

TEST(RtfReader, UnicodeCharacters)
{
    TRtfManagersScope managers;
    struct TCase {
        const char* Name;
        const char* Rtf;
        const char* Expected;
    };
    const TCase cases[] = {
        {"euro in the Western code page", "{\\rtf1 \\uc1\\u8364?}", "\x80"},
        // A code below 128 that converts gives its own character, not the
        // substitute.
        {"ASCII code", "{\\rtf1 \\u65?}", "A"},
        {"no substitute", "{\\rtf1 \\uc0\\u233 x}", "\xE9x"},
        {"two substitutes", "{\\rtf1 {\\uc2\\u228\\'e8a}b}", "\xE4" "b"},
        {"substitute kept when nothing converts", "{\\rtf1 \\u-3913?}", "?"},
        {"negative code", "{\\rtf1 \\u-4064?}", "?"},
        {"Unicode alternative", "{\\rtf1 {\\upr{ab}{\\*\\ud{\\u233 e}}}}", "\xE9"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRtfRead read = ReadRtfText(c.Rtf);
        ASSERT_TRUE(read.Ok);
        EXPECT_EQ(PlainText(read.Doc().Paragraphs(0)), c.Expected);
    }
    // A Greek character: its byte in the Greek code page, the font switched to
    // the Greek variant of its face.
    TRtfRead greek = ReadRtfText("{\\rtf1 \\u945a}");
    ASSERT_TRUE(greek.Ok);
    EXPECT_EQ(PlainText(greek.Doc().Paragraphs(0)), "\xE1");
    TCharFormat format;
    greek.Doc().GetCharFormatAt(TTextPosition{}, format);
    const TRegisteredFont* font = GetFontManager()->FindFont(format[cfFont]);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->RequestedCharset, 161);
}

TEST(RtfReader, ParagraphFormatsTabsAndBullets)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText(
        "{\\rtf1 \\fi-360\\li720\\ri144\\sb120\\sa60\\qj\\keepn\\keep\\pagebb\\sl-300\\slmult1 un\\par"
        "\\pard\\sl0\\qc\\tqc\\tldot\\tx720\\tx1440\\tb2000 deux\\par"
        "\\pard{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}trois\\par"
        "\\pard quatre{\\*\\pn\\pnlvlblt}cinq\\par}");
    ASSERT_TRUE(read.Ok);
    TDocument& document = read.Doc();
    const TParFormat& first = document.Paragraphs(0).Format;
    EXPECT_EQ(first[pfFirstIndent], -360);
    EXPECT_EQ(first[pfLeftIndent], 720);
    EXPECT_EQ(first[pfRightIndent], 144);
    EXPECT_EQ(first[pfSpaceBefore], 120);
    EXPECT_EQ(first[pfSpaceAfter], 60);
    EXPECT_EQ(first[pfAlignment], 3);
    EXPECT_EQ(first[pfKeepWithNext], 1);
    EXPECT_EQ(first[pfKeepTogether], 1);
    EXPECT_EQ(first[pfPageBreakBefore], 1);
    EXPECT_EQ(first[pfLineSpacing], -300);
    EXPECT_EQ(first[pfLineRule], 0);  // exact spacing stays exact

    const TParFormat& second = document.Paragraphs(1).Format;
    EXPECT_EQ(second[pfLineSpacing], 240);
    EXPECT_EQ(second[pfAlignment], 1);
    const TTabTable* tabs = document.TabManager().Tables(second[pfTabTable]);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->Count(), 3);
    EXPECT_EQ(TabStopPosition(tabs->Stops(0)), 720);
    EXPECT_EQ(TabStopKind(tabs->Stops(0)), tkCenter);
    EXPECT_EQ(TabStopLeader(tabs->Stops(0)), 1);
    EXPECT_EQ(TabStopKind(tabs->Stops(1)), tkLeft);
    EXPECT_EQ(TabStopLeader(tabs->Stops(1)), 0);
    EXPECT_EQ(TabStopKind(tabs->Stops(2)), tkBar);

    // The bullet text goes, exactly what the \pntext group added; without
    // such a group no text goes.
    EXPECT_EQ(document.Paragraphs(2).Format[pfInternal], 1);
    EXPECT_EQ(PlainText(document.Paragraphs(2)), "trois<2>");
    EXPECT_EQ(document.Paragraphs(3).Format[pfInternal], 1);
    EXPECT_EQ(PlainText(document.Paragraphs(3)), "quatrecinq<2>");
}

TEST(RtfReader, StylesColoursAndDocumentSettings)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "{\\stylesheet{\\s0\\fs22 Normal;}{\\s5\\sbasedon0\\snext0\\b\\fs32 Titre;}"
        "{\\s6\\sbasedon7 A;}{\\s7\\sbasedon6 B;}{\\*\\cs10 \\ul Lien;}{\\s8\\sbasedon99 C;}}"
        "{\\info{\\title Mon document}{\\author Moi}{\\creatim\\yr2001\\mo2\\dy30}"
        "{\\revtim\\yr2004\\mo5\\dy6\\hr7\\min8}}\\deftab567\\viewzk2\\ftnnruc\\aftnnalc"
        "\\s5 \\cf1 titre\\cf2 b\\cf7 c\\highlight1 d\\par\\pard\\s99 x}");
    ASSERT_TRUE(read.Ok);
    TDocument& document = read.Doc();
    const TStyleList& styles = document.Styles();
    // Normal changes the first style instead of being added; the character
    // style goes only to the reader.
    ASSERT_EQ(styles.Count(), 5);
    EXPECT_EQ(styles[0].Name, "Normal");
    EXPECT_EQ(styles[1].DisplayName, "Titre");
    EXPECT_EQ(styles[1].BasedOn, 0);
    EXPECT_EQ(styles[1].NextStyle, 0);
    EXPECT_EQ(document.Paragraphs(0).Format[pfStyle], 1);
    EXPECT_EQ(document.Paragraphs(1).Format[pfStyle], 0);  // an unknown number: the first style
    // Two styles based on each other: no cycle is left.
    std::vector<int32_t> chain;
    TStyleList& list = document.Styles();
    EXPECT_NE(list.GetAncestors(2, chain), nullptr);
    EXPECT_LT(chain.size(), 4u);
    EXPECT_TRUE(styles[2].BasedOn == 0 || styles[3].BasedOn == 0);
    EXPECT_EQ(styles[4].BasedOn, 0);  // a based-on number no style carries

    EXPECT_EQ(document.Properties.Title, "Mon document");
    EXPECT_EQ(document.Properties.Author, "Moi");
    EXPECT_GT(document.Properties.Created, EncodeDate(2020, 1, 1));  // invalid date: now
    EXPECT_EQ(document.Properties.LastSaved, EncodeDate(2004, 5, 6) + EncodeTime(7, 8, 0, 0));
    EXPECT_EQ(document.TabManager().DefaultInterval(), 567);
    EXPECT_EQ(document.ZoomKind, zkPageWidth);
    EXPECT_EQ(document.FootnoteNumbering.Style, 1);
    EXPECT_EQ(document.EndnoteNumbering.Style, 4);

    std::vector<std::pair<uint16_t, int32_t>> colours;
    for (TRecordCursor cursor(document.Paragraphs(0)); cursor.Next();)
        if (cursor.Record().Code == cfColor || cursor.Record().Code == cfHighlight)
            colours.push_back({cursor.Record().Code, cursor.Record().Argument});
    const int32_t red = FindNearestBasicColor(0x0000FF);
    const int32_t blue = FindNearestBasicColor(0xFF0000);
    EXPECT_EQ(colours, (std::vector<std::pair<uint16_t, int32_t>>{
                           {cfColor, red}, {cfColor, blue}, {cfColor, 0}, {cfHighlight, red}}));
}

TEST(RtfReader, SectionsColumnsHeadersAndFooters)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText(
        "{\\rtf1\\paperw12240\\paperh15840\\margl1000\\margr1100\\margt1200\\margb1300\\facingp\\margmirror"
        "\\sectd\\sbkpage\\cols2\\colw3000\\colsr400\\colsx500\\titlepg\\pgnlcrm\\pgnrestart"
        "{\\header En-t\\'eate\\par}{\\headerl Gauche\\par}{\\headerf Premi\\'e8re\\par}{\\footer Pied\\par}"
        "{\\footerl}{\\footerr Droite}"
        "un\\sect\\sectd\\sbknone\\cols3\\colno9\\colw1234 deux\\sect\\sectd\\cols100 trois\\par}");
    ASSERT_TRUE(read.Ok);
    TDocument& document = read.Doc();
    ASSERT_EQ(document.SectionCount(), 3);
    const TSection& first = document.Sections(0);
    EXPECT_EQ(first.PageParams[ppPaperWidth], 12240);
    EXPECT_EQ(first.PageParams[ppPaperHeight], 15840);
    EXPECT_EQ(first.PageParams[ppLeftMargin], 1000);
    EXPECT_EQ(first.PageParams[ppRightMargin], 1100);
    EXPECT_TRUE(HasMirroredMargins(first.PageParams));
    EXPECT_TRUE(HasOddEvenHeaders(first.PageParams));
    EXPECT_TRUE(HasTitlePage(first.PageParams));
    EXPECT_EQ(first.Settings[ssColumnCount], 2);
    // Before any \colno the first column.
    EXPECT_EQ(first.Settings[TSectionSettings::ColumnValue(0, crWidth)], 3000);
    EXPECT_EQ(first.Settings[TSectionSettings::ColumnValue(0, crSpacing)], 400);
    EXPECT_EQ(first.Settings[ssEqualColumns], 0);
    EXPECT_EQ(first.Settings[ssColumnSpacing], 500);
    EXPECT_EQ(first.Settings[ssBreakKind], sbContinuous);  // \sbknone of the second section ends the first
    EXPECT_EQ(first.Trailing[0], 3);
    EXPECT_EQ(first.Trailing[1], 1);
    const TSection& second = document.Sections(1);
    EXPECT_EQ(second.Settings[ssColumnCount], 3);
    EXPECT_EQ(second.Settings[TSectionSettings::ColumnValue(2, crWidth)], 1234);
    EXPECT_EQ(document.Sections(2).Settings[ssColumnCount], 64);
    EXPECT_EQ(second.PageParams[ppPaperWidth], 12240);

    // Kinds: 0 left-page header, 1 header, 2 left-page footer, 3 footer,
    // 4 first-page header, 5 first-page footer; an empty one gives nothing.
    // \footer and \footerr are both the footer: the last one read stays.
    const char* expected[6] = {"Gauche<2>", "En-t\xEAte<2>", nullptr, "Droite<2>", "Premi\xE8re<2>", nullptr};
    for (int kind = 0; kind < 6; ++kind) {
        SCOPED_TRACE(kind);
        TField* range = first.HeadersFooters[kind];
        if (!expected[kind]) {
            EXPECT_EQ(range, nullptr);
            continue;
        }
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(range->Kind, rkHeaderFooter);
        EXPECT_EQ(PlainText(document.Paragraphs(range->Range.Start.Paragraph)), std::string("{26}") + expected[kind] + "{27}");
    }
    EXPECT_EQ(BodyPlain(document), (TTexts{"un{23}", "deux{23}", "trois<2>"}));
}

TEST(RtfReader, FieldsBookmarksAndNotes)
{
    TRtfManagersScope managers;
    TRtfRead read = ReadRtfText(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://exemple.fr\"}{\\fldrslt lien}}"
        " p{\\field{\\*\\fldinst PAGE \\\\* ROMAINMAJUSCULE}{\\fldrslt}}"
        "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\"}{\\fldrslt}}"
        "{\\*\\bkmkstart signet}a{\\*\\bkmkend signet}{\\*\\bkmkstart signet}b{\\*\\bkmkend orphelin}"
        "{\\*\\bkmkstart fin}c\\par{\\*\\bkmkend fin}"
        "note{\\super\\chftn}{\\footnote \\pard{\\super\\chftn} Texte de la note\\par}"
        " fin{\\footnote\\ftnalt {\\super\\chftn} Note de fin}\\par"
        "{\\footnote Sans marque}\\par}");
    ASSERT_TRUE(read.Ok);
    TDocument& document = read.Doc();
    EXPECT_EQ(BodyPlain(document),
              (TTexts{"{26}lien{27} p{26}?{27}{26}\xB7{27}{26}a{27}b{26}c<2>{27}",
                      // A note after a plain character takes that character as its mark.
                      "note{26}{26}<15>{27}{27} fi{26}n{27}<2>",
                      // A note in an empty paragraph gets a mark of its own.
                      "{26}<15>{27}<2>"}));
    std::vector<TField*> fields;
    std::vector<TField*> bookmarks;
    std::vector<TField*> references;
    for (const auto& object : document.RangeObjects()) {
        if (object->Kind == rkField)
            fields.push_back(object.get());
        else if (object->Kind == rkBookmark)
            bookmarks.push_back(object.get());
        else if (object->Kind == rkNoteReference)
            references.push_back(object.get());
    }
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0]->Type, 88);
    EXPECT_EQ(fields[0]->Instruction, "HYPERLINK \"http://exemple.fr\"");
    EXPECT_EQ(fields[1]->Type, 33);
    EXPECT_EQ(fields[1]->Instruction, "PAGE \\* ROMANUPPER");
    EXPECT_EQ(fields[2]->Type, 57);
    // The second bookmark of a name is dropped; one ending at the start of the
    // next paragraph ends at the end of the previous one.
    ASSERT_EQ(bookmarks.size(), 2u);
    EXPECT_EQ(bookmarks[0]->Instruction, "signet");
    EXPECT_EQ(bookmarks[1]->Range.End.Paragraph, 0);

    ASSERT_EQ(references.size(), 3u);
    EXPECT_EQ(references[0]->Numbered, 1);
    EXPECT_EQ(references[1]->Numbered, 0);
    EXPECT_EQ(IsEndnoteReference(*references[0]), false);
    EXPECT_EQ(IsEndnoteReference(*references[1]), true);
    EXPECT_EQ(StoryPlain(document, stFootnotes),
              (TTexts{"{26}{26}<15>{27} Texte de la note<2>{27}", "{26}Sans marque<2>{27}"}));
    EXPECT_EQ(StoryPlain(document, stEndnotes), (TTexts{"{26}{26}<15>{27} Note de fin<2>{27}"}));
}

TEST(RtfReader, PicturesKeepTheirData)
{
    TRtfManagersScope managers;
    struct TCase {
        const char* Name;
        std::string Rtf;
        uint8_t Kind;
        std::vector<uint8_t> Data;
        int32_t Width;
        int32_t Height;
    };
    const TCase cases[] = {
        {"png with goal size", "{\\pict\\pngblip\\picw10\\pich20\\picwgoal300\\pichgoal600 89504e47}", pdkPng,
         {0x89, 0x50, 0x4E, 0x47}, 300, 600},
        // Single-byte line breaks inside the data lose no digit.
        {"jpeg with line breaks", "{\\pict\\jpegblip\\picw2\\pich3 ff\nd8\rff\r\ne0}", pdkJpeg,
         {0xFF, 0xD8, 0xFF, 0xE0}, 30, 45},
        {"metafile in hundredths of a millimetre", "{\\pict\\wmetafile8\\picw2540\\pich1270 0100}", pdkWmf,
         {0x01, 0x00}, 1440, 720},
        {"enhanced metafile", "{\\pict\\emfblip\\picw254\\pich254 0102 03}", pdkEmf, {0x01, 0x02, 0x03}, 144, 144},
        {"device-independent bitmap", "{\\pict\\dibitmap0\\picw1\\pich1 2800}", pdkDib, {0x28, 0x00}, 15, 15},
        {"binary data", std::string("{\\pict\\pngblip\\picw1\\pich1\\bin3 ") + std::string("\x00}\x01", 3) + "}",
         pdkPng, {0x00, '}', 0x01}, 15, 15},
        {"an odd digit is dropped", "{\\pict\\pngblip\\picw1\\pich1 abc}", pdkPng, {0xAB}, 15, 15},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRtfRead read = ReadRtfText("{\\rtf1 a" + c.Rtf + "b}");
        ASSERT_TRUE(read.Ok);
        EXPECT_EQ(PlainText(read.Doc().Paragraphs(0)), "a{24}b");
        ASSERT_EQ(read.Doc().ObjectManager().Count(), 1);
        auto* picture = dynamic_cast<TDocPicture*>(&read.Doc().ObjectManager().Objects(0));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->DataKind, c.Kind);
        EXPECT_EQ(picture->Data, c.Data);
        EXPECT_EQ(picture->Width, c.Width);
        EXPECT_EQ(picture->Height, c.Height);
    }
    // The lock on the aspect ratio; a picture without data is left out.
    TRtfRead props = ReadRtfText(
        "{\\rtf1 {\\pict{\\*\\picprop{\\sp{\\sn fLockAspectRatio}{\\sv 0}}}\\pngblip 00}{\\pict\\pngblip}}");
    ASSERT_TRUE(props.Ok);
    ASSERT_EQ(props.Doc().ObjectManager().Count(), 1);
    EXPECT_EQ(dynamic_cast<TDocPicture&>(props.Doc().ObjectManager().Objects(0)).KeepAspectRatio, 0);
    // An embedded object is kept with its result picture.
    TRtfRead object = ReadRtfText("{\\rtf1 {\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0102}"
                                  "{\\result{\\pict\\wmetafile8\\picw100\\pich100 0304}}}}");
    ASSERT_TRUE(object.Ok);
    ASSERT_EQ(object.Doc().ObjectManager().Count(), 1);
    auto& ole = dynamic_cast<TDocOLEObject&>(object.Doc().ObjectManager().Objects(0));
    EXPECT_EQ(ole.ClassName, "Paint.Picture");
    EXPECT_EQ(ole.Data, (std::vector<uint8_t>{1, 2}));
    ASSERT_NE(ole.ResultPicture, nullptr);
    EXPECT_EQ(ole.ResultPicture->Data, (std::vector<uint8_t>{3, 4}));
    EXPECT_EQ(PlainText(object.Doc().Paragraphs(0)), "{25}");
}

TEST(RtfReader, FailuresEndTheReadWithTheMessage)
{
    TRtfManagersScope managers;
    // From memory: no message, false.
    TRtfRead deep = ReadRtfText("{\\rtf1 " + std::string(5000, '{') + "x");
    EXPECT_FALSE(deep.Ok);
    // Nesting within the bound reads.
    TRtfRead nested = ReadRtfText("{\\rtf1 " + std::string(100, '{') + "x" + std::string(100, '}') + "}");
    EXPECT_TRUE(nested.Ok);
    EXPECT_EQ(BodyPlain(nested.Doc()), (TTexts{"x"}));
}

TEST(LoadRoutines, StyleChainsAndFieldInstructions)
{
    TDocument document(true);
    TStyleList styles(&document, &document.TabManager());
    auto add = [&](int32_t number, int32_t basedOn, int32_t bold) {
        auto style = std::make_unique<TStyle>(&styles);
        style->FileStyleNumber = number;
        style->BasedOn = basedOn;
        style->CharFormat[cfBold] = bold;
        styles.Add(std::move(style));
    };
    add(0, -1, NotSet);
    add(10, 0, 1);              // bold
    add(11, 10, ToggleOpposite);  // the opposite of its bold parent
    add(12, 13, NotSet);        // 12 and 13 based on each other
    add(13, 12, NotSet);
    add(14, 99, NotSet);        // a number no style carries
    ResolveStyleNumbers(styles);
    RepairStyleBasedOn(styles);
    EXPECT_EQ(styles[2].BasedOn, 1);
    EXPECT_EQ(styles[2].CharFormat[cfBold], 0);
    std::vector<int32_t> chain;
    styles.GetAncestors(3, chain);
    EXPECT_LT(chain.size(), 3u);
    EXPECT_TRUE(styles[3].BasedOn == 0 || styles[4].BasedOn == 0);
    EXPECT_EQ(styles[5].BasedOn, 0);
    EXPECT_EQ(FindStyleIndexByNumber(styles, 13), 4);
    EXPECT_EQ(FindStyleIndexByNumber(styles, 77), 0);

    EXPECT_EQ(FieldTypeOfInstruction(" page \\* roman"), 33);
    EXPECT_EQ(FieldTypeOfInstruction("INCONNU x"), 0);
    EXPECT_EQ(NormalizeFieldInstruction(33, "page \\* ROMAINMAJUSCULE \"ROMAINMAJUSCULE\" arabisch"),
              "PAGE \\* ROMANUPPER \"ROMAINMAJUSCULE\" ARABIC");
}
