#include "document/model/Paragraph.h"
#include "document/TextNotation.h"

#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

// Paragraph text is written here in a small notation: characters stand for
// themselves and "{code:argument}" for an inline record, so that
// "{2:1}Oui{22:2}" is a bold record, three characters and a paragraph mark.

namespace {

// A page column no line of these tests is given: a mark that tells a line kept
// from a line made again.
constexpr int32_t kLineMark = 0x4C4D;

std::string Describe(const uint8_t* p, int32_t size)
{
    std::string out;
    for (int32_t i = 0; i < size;) {
        if (p[i] != 0) {
            out.push_back(static_cast<char>(p[i++]));
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        out += "{" + std::to_string(c.Code) + ":" + std::to_string(c.Argument) + "}";
        i += InlineControlSize;
    }
    return out;
}

std::string Describe(const TMemory& m)
{
    return Describe(m.Data(), m.Size());
}

// Plain characters with the special codes written as "<n>".
std::string DescribePlain(const TMemory& m)
{
    std::string out;
    for (int32_t i = 0; i < m.Size(); ++i) {
        const uint8_t b = m.Data()[i];
        if (b < 32)
            out += "<" + std::to_string(b) + ">";
        else
            out.push_back(static_cast<char>(b));
    }
    return out;
}

// The plain characters that a text holds, worked out on their own: the buffer
// the paragraph keeps must always be exactly this.
std::string ExpectedPlain(const TMemory& text)
{
    std::string out;
    const uint8_t* p = text.Data();
    for (int32_t i = 0; i < text.Size();) {
        if (p[i] != 0) {
            out.push_back(static_cast<char>(p[i++]));
            continue;
        }
        const int code = p[i + 1];
        const int arg = p[i + 3];
        if (code == 22)
            out.push_back(static_cast<char>(arg));
        else if (code == 23)
            out.push_back('\x03');
        else if (code == 24)
            out.push_back('\x08');
        else if (code == 25)
            out.push_back('\x09');
        i += 8;
    }
    return out;
}

void ExpectInStep(const TParagraph& par, const std::string& where)
{
    const TMemory& plain = par.GetPlainChars();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.Data()), static_cast<size_t>(plain.Size())),
              ExpectedPlain(par.GetText()))
        << where;
    EXPECT_EQ(par.GetCharCount(), plain.Size());
}

void Fill(TParagraph& par, const std::string& notation)
{
    const std::string encoded = EncodeText(notation);
    par.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
}

// A line layout for tests: a line holds as many characters as its right limit
// and ends after a column, line or page break; format records change the
// running format, font sizes going into view units (x 8).
class TTestLine : public TParLine {
public:
    explicit TTestLine(int* finished) : FFinished(finished) {}

    void BuildLine(TLineBuildState& state) override
    {
        int32_t chars = 0;
        int32_t i = 0;
        while (i < state.Remaining && chars < RightLimit) {
            const uint8_t* p = state.Text + i;
            if (*p != 0) {
                FLast = *p;
                ++chars;
                ++i;
                continue;
            }
            const TInlineControl c = ReadInlineControl(p);
            i += InlineControlSize;
            if (IsFormatCode(c.Code)) {
                state.Format[c.Code] = c.Code == cfSize ? c.Argument * 8 : c.Argument;
            } else if (IsCharacterCode(c.Code)) {
                FLast = PlainCharOfControl(c);
                ++chars;
                if (FLast >= scColumnBreak && FLast <= scPageBreak)
                    break;
            }
        }
        state.Text += i;
        state.Remaining -= i;
    }
    void FinishLine() override { ++*FFinished; }
    bool EndsWithBreak() const override { return FLast >= scColumnBreak && FLast <= scPageBreak; }

private:
    int* FFinished;
    uint8_t FLast = 0;
};

class TTestLayout : public TParagraphLayout {
public:
    int Finished = 0;
    int TabsPrepared = 0;
    int32_t LastWidthTwips = 0;
    TCharFormat RunFont;
    bool ConsumeNothing = false;

    // One layout unit per twip, so that the tests' widths are their characters.
    int32_t WidthToLayout(TParagraph&, int32_t twips) override { return LastWidthTwips = twips; }
    int32_t ScaleToViewX(TParagraph&, int32_t value) override { return value * 8; }
    int32_t ScaleFromViewX(TParagraph&, int32_t value) override { return value / 8; }
    void PrepareParagraphTabs(TParagraph&) override { ++TabsPrepared; }
    void SelectRunFont(TParagraph&, const TCharFormat& format) override { RunFont = format; }
    std::unique_ptr<TParLine> CreateLine(TParagraph&) override
    {
        if (ConsumeNothing) {
            struct TStuck : TParLine {
                void BuildLine(TLineBuildState&) override {}
                void FinishLine() override {}
                bool EndsWithBreak() const override { return false; }
            };
            return std::make_unique<TStuck>();
        }
        return std::make_unique<TTestLine>(&Finished);
    }
};

class ParagraphTest : public testing::Test {
protected:
    void SetUp() override { FPrevious = SetParagraphLayout(&Layout); }
    void TearDown() override { SetParagraphLayout(FPrevious); }

    TTestLayout Layout;

private:
    TParagraphLayout* FPrevious = nullptr;
};

// Each line, read on its own, holds the characters the plain buffer gives for
// it, and the lines cover the text from end to end.
void ExpectLinesTileText(const TParagraph& par)
{
    int32_t byte = 0, chars = 0;
    for (int32_t i = 0; i < par.GetLineCount(); ++i) {
        const TParLine& line = par.GetLine(i);
        EXPECT_EQ(line.Index, i);
        EXPECT_EQ(line.StartByte, byte) << "line " << i;
        EXPECT_EQ(line.FirstChar, chars) << "line " << i;
        TMemory bytes;
        bytes.Append(par.GetText().Data() + line.StartByte, line.ByteLength);
        EXPECT_EQ(ExpectedPlain(bytes),
                  std::string(reinterpret_cast<const char*>(par.GetPlainChars().Data()) + line.FirstChar,
                              static_cast<size_t>(line.CharCount)))
            << "line " << i;
        byte += line.ByteLength;
        chars += line.CharCount;
    }
    EXPECT_EQ(byte, par.GetText().Size());
    EXPECT_EQ(chars, par.GetCharCount());
}

}  // namespace

TEST(Paragraph, EditsKeepThePlainCharactersInStep)
{
    TParagraph par(nullptr);
    enum TOp { AppendText, AppendRecord, InsertAtChar, InsertAtByte, DeleteBytes, DeleteChars };
    struct TEdit {
        TOp Op;
        int32_t At;     // byte or character offset
        int32_t Count;  // bytes or characters to delete
        const char* Payload;
        const char* Text;   // the whole text afterwards
        const char* Plain;  // the plain characters afterwards
    };
    const TEdit edits[] = {
        {AppendText, 0, 0, "Bonjour", "Bonjour", "Bonjour"},
        {AppendRecord, 0, 0, "{22:2}", "Bonjour{22:2}", "Bonjour<2>"},
        // A record at the very start.
        {InsertAtByte, 0, 0, "{2:1}", "{2:1}Bonjour{22:2}", "Bonjour<2>"},
        // Records at the very end, side by side.
        {InsertAtByte, 23, 0, "{26:5}{27:5}", "{2:1}Bonjour{22:2}{26:5}{27:5}", "Bonjour<2>"},
        // Before the mark: behind the zero-width records in front of it.
        {InsertAtChar, 7, 0, " monde", "{2:1}Bonjour monde{22:2}{26:5}{27:5}", "Bonjour monde<2>"},
        // Format and character records side by side at the first character.
        {InsertAtChar, 0, 0, "{3:1}{24:9}", "{2:1}{3:1}{24:9}Bonjour monde{22:2}{26:5}{27:5}", "<8>Bonjour monde<2>"},
        // Between the two anchors at the end.
        {InsertAtByte, 53, 0, "{22:7}x", "{2:1}{3:1}{24:9}Bonjour monde{22:2}{26:5}{22:7}x{27:5}",
         "<8>Bonjour monde<2><7>x"},
        {DeleteBytes, 16, 8, "", "{2:1}{3:1}Bonjour monde{22:2}{26:5}{22:7}x{27:5}", "Bonjour monde<2><7>x"},
        {DeleteChars, 7, 6, "", "{2:1}{3:1}Bonjour{22:2}{26:5}{22:7}x{27:5}", "Bonjour<2><7>x"},
        // Zero-width records only: the plain characters do not move.
        {DeleteBytes, 0, 16, "", "Bonjour{22:2}{26:5}{22:7}x{27:5}", "Bonjour<2><7>x"},
        {DeleteBytes, 23, 9, "", "Bonjour{22:2}{26:5}{27:5}", "Bonjour<2>"},
        {DeleteBytes, 0, 7, "", "{22:2}{26:5}{27:5}", "<2>"},
        {InsertAtChar, 0, 0, "{23:12}{25:4}", "{23:12}{25:4}{22:2}{26:5}{27:5}", "<3><9><2>"},
    };
    for (const TEdit& e : edits) {
        const std::string payload = EncodeText(e.Payload);
        const auto n = static_cast<int32_t>(payload.size());
        switch (e.Op) {
        case AppendText: par.AppendChars(payload); break;
        case AppendRecord: par.InsertText(par.GetText().Size(), payload.data(), n); break;
        case InsertAtChar: par.InsertText(par.CharToByteOffset(e.At), payload.data(), n); break;
        case InsertAtByte: par.InsertText(e.At, payload.data(), n); break;
        case DeleteBytes: par.DeleteText(e.At, e.Count); break;
        case DeleteChars: {
            const int32_t from = par.CharToByteOffset(e.At);
            par.DeleteText(from, par.CharToByteOffset(e.At + e.Count) - from);
            break;
        }
        }
        EXPECT_EQ(Describe(par.GetText()), e.Text);
        EXPECT_EQ(DescribePlain(par.GetPlainChars()), e.Plain);
        ExpectInStep(par, e.Text);
    }
}

TEST(Paragraph, BadEditsRaiseAndChangeNothing)
{
    TParagraph par(nullptr);
    Fill(par, "ab{2:1}cd{22:2}");
    par.SetNormalizedFlag(true);
    const std::string before = Describe(par.GetText());
    const std::string truncated = EncodeText("{2:1}").substr(0, 5);
    struct TBad {
        const char* Name;
        int32_t At;
        std::string Bytes;
    };
    const TBad inserts[] = {
        {"inside a record", 5, "x"},
        {"beyond the end", 100, "x"},
        {"negative offset", -1, "x"},
        {"isolated control byte", 0, "a\x05z"},
        {"truncated record", 0, truncated},
        {"unknown code", 0, EncodeText("{28:0}")},
        {"picture through code 22", 0, EncodeText("{22:8}")},
        {"special code out of range", 0, EncodeText("{22:17}")},
        {"record without its end mark", 0, std::string("\0\x02\0\x01\0\0\0\x07", 8)},
    };
    for (const TBad& b : inserts) {
        EXPECT_THROW(par.InsertText(b.At, b.Bytes.data(), static_cast<int32_t>(b.Bytes.size())), EInternalError)
            << b.Name;
        EXPECT_EQ(Describe(par.GetText()), before) << b.Name;
        ExpectInStep(par, b.Name);
    }
    EXPECT_THROW(par.DeleteText(1, 5), EInternalError) << "ends inside a record";
    EXPECT_THROW(par.DeleteText(3, 2), EInternalError) << "starts inside a record";
    EXPECT_THROW(par.DeleteText(20, 10), EInternalError);
    EXPECT_THROW(par.InsertControl(0, 40, 1), EInternalError);
    EXPECT_THROW(par.SetText("\x01", 1), EInternalError);
    EXPECT_THROW(par.AppendChars("tab\there"), EInternalError);
    EXPECT_EQ(Describe(par.GetText()), before);
    ExpectInStep(par, "after bad edits");
    EXPECT_TRUE(par.GetNormalizedFlag());
    EXPECT_THROW(par.GetLine(0), EListError);
}

namespace {
int g_AllocCalls = 0;
int g_FailAt = 0;
void* FailNth(void* block, size_t size)
{
    if (++g_AllocCalls == g_FailAt)
        return nullptr;
    return std::realloc(block, size);
}
}  // namespace

TEST(Paragraph, OutOfMemoryInTheSecondBufferUndoesTheFirst)
{
    TParagraph par(nullptr);
    par.AppendChars("fifteen chars..");  // 15 bytes in both buffers, capacity 16
    g_AllocCalls = 0;
    g_FailAt = 2;  // the text grows first, the plain characters second
    const TMemoryReallocator previous = SetMemoryReallocator(&FailNth);
    EXPECT_THROW(par.AppendChars("!!"), EOutOfMemory);
    SetMemoryReallocator(previous);
    EXPECT_EQ(Describe(par.GetText()), "fifteen chars..");
    ExpectInStep(par, "after the failed insertion");
}

TEST(Paragraph, NormalisationTable)
{
    struct TCase {
        const char* Name;
        const char* Before;
        const char* After;
    };
    const TCase cases[] = {
        {"restating the value in force", "{1:24}A{2:0}B{22:2}", "AB{22:2}"},
        {"two of one slot collapse into the later", "A{2:1}{2:5}B", "A{2:5}B"},
        {"the later one restores the value at the last character", "A{2:1}{2:0}B{22:2}", "AB{22:2}"},
        {"the same value twice", "A{2:1}{2:1}B", "A{2:1}B"},
        {"other slots stay between", "A{2:1}{3:1}{2:0}B", "A{3:1}B"},
        {"records after a character record", "A{24:5}{2:1}{2:0}B", "A{24:5}B"},
        {"format in front of a field start", "A{2:1}{26:7}B", "A{26:7}{2:1}B"},
        {"several formats before several anchors", "{2:1}{3:1}{26:1}{27:1}X", "{26:1}{27:1}{2:1}{3:1}X"},
        {"a leading format of the lone mark stays", "{1:20}{22:2}", "{1:20}{22:2}"},
        {"trailing formats go", "AB{22:2}{2:1}{3:1}", "AB{22:2}"},
        {"trailing formats behind moved anchors go", "Texte{2:1}{26:3}{27:3}", "Texte{26:3}{27:3}"},
        {"a short text keeps its format", "A{2:1}", "A{2:1}"},
        {"not set is a value like any other", "A{2:-2147483648}B{2:0}C", "A{2:-2147483648}B{2:0}C"},
        {"values carried over a run", "{2:1}Ab{2:1}c{2:0}d", "{2:1}Abc{2:0}d"},
    };
    for (const TCase& c : cases) {
        TParagraph par(nullptr);
        Fill(par, c.Before);
        const std::string plainBefore = DescribePlain(par.GetPlainChars());
        par.NormalizeControlCodes();
        EXPECT_EQ(Describe(par.GetText()), c.After) << c.Name;
        EXPECT_TRUE(par.GetNormalizedFlag());
        EXPECT_EQ(DescribePlain(par.GetPlainChars()), plainBefore) << c.Name;
        ExpectInStep(par, c.Name);
        par.NormalizeControlCodes();
        EXPECT_EQ(Describe(par.GetText()), c.After) << c.Name << " (twice)";
    }
}

TEST(Paragraph, CharacterByCharacter)
{
    TParagraph par(nullptr);
    // Bytes: {2:1} 0-7, A 8, b 9, {26:1} 10-17, {22:7} 18-25, c 26, {27:1} 27-34, {22:2} 35-42.
    Fill(par, "{2:1}Ab{26:1}{22:7}c{27:1}{22:2}");
    const std::pair<int32_t, int32_t> offsets[] = {
        {-3, 8}, {0, 8}, {1, 9}, {2, 18}, {3, 26}, {4, 35}, {5, 35}, {std::numeric_limits<int32_t>::max(), 35},
    };
    for (auto [charOffset, byteOffset] : offsets)
        EXPECT_EQ(par.CharToByteOffset(charOffset), byteOffset) << charOffset;
    const char* const glyphs[] = {"A", "b", "{22:7}", "c", "{22:2}"};
    for (int32_t i = 0; i < par.GetCharCount(); ++i) {
        const int32_t at = par.CharToByteOffset(i);
        const int32_t width = par.GetText().Data()[at] == 0 ? InlineControlSize : 1;
        EXPECT_EQ(Describe(par.GetText().Data() + at, width), glyphs[i]) << i;
        EXPECT_EQ(par.ByteToCharOffset(at), i);
    }
    EXPECT_THROW(par.ByteToCharOffset(12), EInternalError);
    EXPECT_EQ(par.ByteAfterChar(1), 10);
    EXPECT_EQ(par.ByteAfterChar(2), 26);
    EXPECT_EQ(par.ByteAfterChar(4), 43);

    // The record walk: each record with its byte and the characters before it,
    // and only the records below a byte limit.
    std::string walked;
    for (TRecordCursor cursor(par); cursor.Next();)
        walked += std::to_string(cursor.Record().Code) + "@" + std::to_string(cursor.Byte()) + "/" +
                  std::to_string(cursor.Chars()) + " ";
    EXPECT_EQ(walked, "2@0/0 26@10/2 22@18/2 27@27/4 22@35/4 ");
    int32_t below = 0;
    for (TRecordCursor cursor(par, 26); cursor.Next();)
        ++below;
    EXPECT_EQ(below, 3);

    TCharFormat start;
    Fill(par, "{2:1}{26:3}{1:20}A{3:1}{22:2}");
    par.GetStartFormat(start);
    EXPECT_EQ(start[cfBold], 1);
    EXPECT_EQ(start[cfSize], 20);
    EXPECT_EQ(start[cfItalic], 0);
    EXPECT_EQ(start[cfLanguage], DefaultCharFormat()[cfLanguage]);

    TParagraph empty(nullptr);
    EXPECT_EQ(empty.CharToByteOffset(0), 0);
    EXPECT_EQ(empty.GetSectionBreak(), NoObjectHandle);
}

TEST(Paragraph, SectionBreakAndBreakCharacters)
{
    TParagraph par(nullptr);
    Fill(par, "Fin{23:42}{27:3}{26:4}");
    EXPECT_EQ(par.GetSectionBreak(), 42);
    Fill(par, "Fin{23:42}x{22:2}");
    EXPECT_EQ(par.GetSectionBreak(), NoObjectHandle);
    Fill(par, "{26:1}{27:1}");
    EXPECT_EQ(par.GetSectionBreak(), NoObjectHandle);

    const std::string runs[] = {"ab\x05" "c", "a\x07", "abc", "\x04", "\x06"};
    const bool breaks[] = {true, false, false, true, true};
    const bool tabs[] = {false, true, false, false, false};
    for (size_t i = 0; i < std::size(runs); ++i) {
        EXPECT_EQ(HasBreakChars(runs[i].data(), static_cast<int32_t>(runs[i].size())), breaks[i]) << i;
        EXPECT_EQ(HasTabChar(runs[i].data(), static_cast<int32_t>(runs[i].size())), tabs[i]) << i;
    }
}

TEST_F(ParagraphTest, LineByLine)
{
    TParagraph par(nullptr);
    par.Format[pfRightIndent] = 100;
    // Five characters a line: "abcde" | "fgh" + line break | "ijk" + mark.
    Fill(par, "ab{2:1}cdefgh{1:20}{22:5}ijk{2:0}{22:2}");
    par.Invalidate(true, 105);
    EXPECT_EQ(Layout.LastWidthTwips, 5) << "the right indent comes off the width";
    EXPECT_TRUE(par.GetLaidOutFlag());
    EXPECT_TRUE(par.GetNormalizedFlag());
    ASSERT_EQ(par.GetLineCount(), 3);
    ExpectLinesTileText(par);
    EXPECT_EQ(Layout.Finished, 3);
    EXPECT_EQ(Layout.TabsPrepared, 1);
    EXPECT_EQ(Layout.RunFont[cfSize], 24 * 8) << "the run font is chosen in view units";
    EXPECT_EQ(par.GetLine(0).CharCount, 5);
    EXPECT_EQ(par.GetLine(1).CharCount, 4);
    EXPECT_TRUE(par.GetLine(1).EndsWithBreak());
    EXPECT_EQ(par.GetLine(2).CharCount, 4);

    // The format in force at each line start, kept in the pool.
    TCharFormat f;
    par.ExpandFormatDiff(f, par.GetLine(0).StartFormat);
    EXPECT_EQ(f, DefaultCharFormat());
    par.ExpandFormatDiff(f, par.GetLine(1).StartFormat);
    EXPECT_EQ(f[cfBold], 1);
    EXPECT_EQ(f[cfSize], 24);
    par.ExpandFormatDiff(f, par.GetLine(2).StartFormat);
    EXPECT_EQ(f[cfSize], 20);

    struct TFind {
        int32_t Offset, Lowest;
        bool PreferPrevious;
        int32_t Line;
    };
    const TFind finds[] = {
        {0, 0, false, 0},   {3, 0, false, 0},  {6, 0, false, 1},
        {5, 0, false, 0},   // first of a wrapped line: the end of the line before
        {5, 0, true, 0},    {5, 1, false, 1},  // not above the lowest line
        {9, 0, false, 2},   // after a line break it stays on its own line
        {9, 0, true, 1},    {12, 0, false, 2}, {std::numeric_limits<int32_t>::max(), 0, false, 2},
        {-5, 0, false, 0},
    };
    for (const TFind& q : finds)
        EXPECT_EQ(par.FindLineOfChar(q.Offset, q.Lowest, q.PreferPrevious), q.Line)
            << q.Offset << "/" << q.Lowest << "/" << q.PreferPrevious;

    // Re-layout from a later line keeps the lines before it: the first line
    // keeps a mark put on it (a new line would not have it, wherever it was
    // allocated).
    par.GetLine(0).Column = kLineMark;
    par.InsertChars(par.CharToByteOffset(10), "XYZ");
    par.Reformat(2, 5);
    EXPECT_EQ(par.GetLine(0).Column, kLineMark);
    par.GetLine(0).Column = -1;
    ASSERT_EQ(par.GetLineCount(), 4);
    ExpectLinesTileText(par);
    std::vector<int32_t> counts;
    for (int32_t i = 0; i < par.GetLineCount(); ++i)
        counts.push_back(par.GetLine(i).CharCount);
    par.Invalidate(true, 105);
    for (int32_t i = 0; i < par.GetLineCount(); ++i)
        EXPECT_EQ(par.GetLine(i).CharCount, counts[static_cast<size_t>(i)]) << "as a full re-layout";

    // A kept line that an edit left in the middle of a record is no starting
    // point: the paragraph is laid out from its start instead.
    par.InsertControl(0, cfItalic, 1);  // line 1 now starts inside the bold record
    par.Reformat(1, 5);
    ExpectLinesTileText(par);
    EXPECT_EQ(par.GetLine(1).StartByte, 21);
    par.DeleteText(0, InlineControlSize);

    EXPECT_FALSE(par.IsPaginated());
    par.Invalidate(false, 105);
    EXPECT_EQ(par.GetLineCount(), 0);
    EXPECT_FALSE(par.GetLaidOutFlag());
    EXPECT_EQ(par.FindLineOfChar(0, 0, false), -1);
}

TEST_F(ParagraphTest, LayoutFaultsAreReported)
{
    TParagraph par(nullptr);
    Fill(par, "abc{22:2}");
    Layout.ConsumeNothing = true;
    EXPECT_THROW(par.Invalidate(true, 10), EInternalError) << "a line that takes nothing must not hang";
    EXPECT_FALSE(par.GetLaidOutFlag());

    Layout.ConsumeNothing = false;
    par.Invalidate(true, 10);
    SetParagraphLayout(nullptr);
    EXPECT_THROW(par.Invalidate(true, 10), EInternalError);
    EXPECT_EQ(par.GetLineCount(), 1) << "nothing is dropped when layout is missing";
    EXPECT_TRUE(par.GetLaidOutFlag());
    par.Invalidate(false, 10);  // dropping lines needs no layout
    EXPECT_EQ(par.GetLineCount(), 0);
}

TEST_F(ParagraphTest, FormatPool)
{
    TParagraph par(nullptr);
    EXPECT_EQ(par.AddFormatDiff(DefaultCharFormat()), -1);
    TCharFormat f;
    par.ExpandFormatDiff(f, -1);
    TCharFormat scaled = DefaultCharFormat();
    scaled[cfSize] = 3;  // the size comes back from view units even without differences
    EXPECT_EQ(f, scaled);

    TCharFormat g = DefaultCharFormat();
    g[cfSize] = 240;  // 30 half-points in view units
    g[cfBold] = 1;
    g[cfLanguage] = NotSet;
    g[cfFont] = NotSet;
    const int32_t first = par.AddFormatDiff(g);
    EXPECT_EQ(first, 0);
    TCharFormat h = DefaultCharFormat();
    h[cfColor] = 0x00FF0000;
    const int32_t second = par.AddFormatDiff(h);
    EXPECT_EQ(second, 4 * 5 + 1) << "four entries and the terminator";
    par.ExpandFormatDiff(f, first);
    EXPECT_EQ(f[cfSize], 30);
    EXPECT_EQ(f[cfBold], 1);
    EXPECT_EQ(f[cfLanguage], NotSet) << "not set survives the pool";
    EXPECT_EQ(f[cfFont], NotSet);
    par.ExpandFormatDiff(f, second);
    EXPECT_EQ(f[cfColor], 0x00FF0000);
    EXPECT_EQ(f[cfBold], 0);
    EXPECT_THROW(par.ExpandFormatDiff(f, 1), EInternalError) << "not the start of a list";
    EXPECT_THROW(par.ExpandFormatDiff(f, 500), EInternalError);
    EXPECT_EQ(f[cfColor], 0x00FF0000) << "the target is left as it was";
}

TEST_F(ParagraphTest, SaveAndRestore)
{
    TParagraph par(nullptr);
    Fill(par, "abcdefgh{22:2}");
    par.Invalidate(true, 4);
    ASSERT_EQ(par.GetLineCount(), 3);
    par.GetLine(0).Column = kLineMark;  // the restored lines are the lines saved
    TParagraphSaveState state;
    par.SaveState(state);
    EXPECT_EQ(par.GetLineCount(), 0);
    EXPECT_FALSE(par.GetLaidOutFlag());
    EXPECT_EQ(Describe(par.GetText()), "abcdefgh{22:2}");

    par.DeleteText(0, 4);
    par.InsertControl(0, cfBold, 1);
    EXPECT_FALSE(par.GetNormalizedFlag());
    par.RestoreState(state);
    EXPECT_EQ(Describe(par.GetText()), "abcdefgh{22:2}");
    ExpectInStep(par, "restored");
    EXPECT_TRUE(par.GetLaidOutFlag());
    EXPECT_TRUE(par.GetNormalizedFlag());
    ASSERT_EQ(par.GetLineCount(), 3);
    EXPECT_EQ(par.GetLine(0).Column, kLineMark);
    par.GetLine(0).Column = -1;
    TCharFormat f;
    par.ExpandFormatDiff(f, par.GetLine(0).StartFormat);
    EXPECT_EQ(f, DefaultCharFormat());
    EXPECT_THROW(par.RestoreState(state), EInternalError) << "the record was taken back already";
}

TEST(Paragraph, SpellCheckedRange)
{
    TParagraph par(nullptr);
    EXPECT_FALSE(par.IsSpellChecked(0, 0, 1)) << "nothing is checked at first";
    par.MarkSpellChecked(0, 10, 1);
    EXPECT_TRUE(par.IsSpellChecked(0, 10, 1));
    EXPECT_TRUE(par.IsSpellChecked(3, 5, 1));
    EXPECT_FALSE(par.IsSpellChecked(3, 11, 1));
    EXPECT_FALSE(par.IsSpellChecked(3, 5, 2)) << "another generation";
    par.MarkSpellChecked(11, 20, 1);  // touches: widened
    EXPECT_TRUE(par.IsSpellChecked(0, 20, 1));
    par.MarkSpellChecked(30, 40, 1);  // wholly after: ignored
    EXPECT_FALSE(par.IsSpellChecked(30, 40, 1));
    EXPECT_EQ(par.GetCheckedLast(), 20);

    par.AddMisspelling(2, 6, 0xFF);
    par.AddMisspelling(2, 6, 0xFF);    // the same range once
    par.AddMisspelling(18, 24, 0xFF);  // starts inside
    par.AddMisspelling(25, 28, 0xFF);  // outside: not recorded
    par.AddMisspelling(-4, 0, 0xFF);   // ends on the first offset only: not inside
    ASSERT_EQ(par.GetMisspellingCount(), 2);
    EXPECT_EQ(par.GetMisspelling(1).From, 18);
    EXPECT_EQ(par.GetMisspelling(1).To, 24);
    EXPECT_THROW(par.GetMisspelling(2), EListError);

    par.MarkSpellChecked(5, 8, 2);  // a new generation starts from nothing
    EXPECT_EQ(par.GetMisspellingCount(), 0);
    EXPECT_FALSE(par.IsSpellChecked(5, 8, 2)) << "a range away from the start does not join an empty one";
    par.MarkSpellChecked(0, 8, 2);
    EXPECT_TRUE(par.IsSpellChecked(0, 8, 2));
    EXPECT_FALSE(par.IsSpellChecked(0, 8, 1));
}
