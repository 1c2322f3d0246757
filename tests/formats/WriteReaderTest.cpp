// Windows Write documents: text, character and paragraph runs, fonts, tab
// stops, running heads and pictures, built page by page as the format lays
// them out; damaged files end with the error message, never a crash; the
// Write file of the corpus against the text an independent converter made.
#include "formats/CompoundFileBuilder.h"
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/CodePages.h"

#include <random>

namespace {

// One run of properties: its end in the file (text offsets count from 128)
// and the property bytes laid over the defaults (none: the defaults).
struct TRun {
    uint32_t End;
    std::string Props;
};

struct TFont {
    uint8_t Family;
    std::string Name;
};

// Builds a Write file: header page, text, character pages, paragraph pages,
// font table. With fontPageBreak the font table continues on a second page
// after its first entry.
struct TWriteBuilder {
    std::string Text;
    std::vector<TRun> CharRuns;
    std::vector<TRun> ParRuns;
    std::vector<TFont> Fonts;
    bool FontPageBreak = false;
    bool FontTable = true;

    // Runs of at most 10 per page, properties from the page's end backwards.
    static void AppendRunPages(std::string& file, const std::vector<TRun>& runs, uint32_t first)
    {
        for (size_t start = 0; start < runs.size(); start += 10) {
            std::string page(128, '\0');
            PutDWord(page, 0, first);
            size_t propEnd = 127;
            const size_t count = std::min<size_t>(10, runs.size() - start);
            for (size_t i = 0; i < count; ++i) {
                const TRun& run = runs[start + i];
                const size_t at = 4 + i * 6;
                PutDWord(page, at, run.End);
                if (run.Props.empty()) {
                    PutWord(page, at + 4, 0xFFFF);
                } else {
                    propEnd -= run.Props.size() + 1;
                    page[propEnd] = static_cast<char>(run.Props.size());
                    page.replace(propEnd + 1, run.Props.size(), run.Props);
                    PutWord(page, at + 4, static_cast<uint16_t>(propEnd - 4));
                }
                first = run.End;
            }
            page[127] = static_cast<char>(count);
            file += page;
        }
    }

    std::string Build() const
    {
        std::string file(128, '\0');
        PutWord(file, 0, 0xBE31);
        PutWord(file, 4, 0xAB00);
        const uint32_t textEnd = static_cast<uint32_t>(128 + Text.size());
        PutDWord(file, 0x0E, textEnd);
        file += Text;
        file.resize((file.size() + 127) / 128 * 128, '\0');
        AppendRunPages(file, CharRuns, 128);
        PutWord(file, 0x12, static_cast<uint16_t>(file.size() / 128));
        AppendRunPages(file, ParRuns, 128);
        const uint16_t fontPage = static_cast<uint16_t>(file.size() / 128);
        PutWord(file, 0x1C, fontPage);
        if (FontTable) {
            std::string table(2, '\0');
            PutWord(table, 0, static_cast<uint16_t>(Fonts.size()));
            for (size_t i = 0; i < Fonts.size(); ++i) {
                std::string entry(2, '\0');
                PutWord(entry, 0, static_cast<uint16_t>(Fonts[i].Name.size() + 2));
                entry += static_cast<char>(Fonts[i].Family);
                entry += Fonts[i].Name + '\0';
                table += entry;
                if (i == 0 && FontPageBreak) {
                    table += "\xFF\xFF";
                    table.resize(128, '\0');
                }
            }
            table += std::string(2, '\0');
            table.resize((table.size() + 127) / 128 * 128, '\0');
            file += table;
        }
        PutWord(file, 0x60, static_cast<uint16_t>(FontTable ? file.size() / 128 : fontPage));
        return file;
    }
};

// Character property bytes: byte 0 is 1 in every run.
std::string CharProps(uint8_t flags, uint8_t halfPoints, uint8_t underline = 0, uint8_t fontHigh = 0,
                      uint8_t offset = 0)
{
    return std::string{1, static_cast<char>(flags), static_cast<char>(halfPoints), static_cast<char>(underline),
                       static_cast<char>(fontHigh), static_cast<char>(offset)};
}

// Paragraph property bytes up to the tab stops (78 with them).
std::string ParProps(uint8_t alignment, int16_t right, int16_t left, int16_t first, int16_t spacing,
                     uint8_t flags16 = 0, std::vector<std::pair<uint16_t, uint8_t>> tabs = {})
{
    std::string p(tabs.empty() ? 22 : 78, '\0');
    p[0] = 61;
    p[1] = static_cast<char>(alignment);
    p[2] = 30;
    PutWord(p, 4, static_cast<uint16_t>(right));
    PutWord(p, 6, static_cast<uint16_t>(left));
    PutWord(p, 8, static_cast<uint16_t>(first));
    PutWord(p, 10, static_cast<uint16_t>(spacing));
    p[16] = static_cast<char>(flags16);
    for (size_t i = 0; i < tabs.size(); ++i) {
        PutWord(p, 22 + i * 4, tabs[i].first);
        p[22 + i * 4 + 2] = static_cast<char>(tabs[i].second);
    }
    return p;
}

// The 40-byte picture header and its data.
std::string PictureParagraph(uint16_t mappingMode, const std::string& data)
{
    std::string h(40, '\0');
    PutWord(h, 0, mappingMode);
    PutWord(h, 2, 2540);
    PutWord(h, 4, 1270);
    PutWord(h, 10, 1440);
    PutWord(h, 12, 720);
    PutDWord(h, 32, static_cast<uint32_t>(data.size()));
    PutWord(h, 36, 500);
    PutWord(h, 38, 1000);
    return h + data;
}

// The character format of a paragraph's character: the default format with
// every format record before it applied.
int32_t SlotOfChar(const TParagraph& paragraph, int32_t charIndex, int slot)
{
    TCharFormat format = DefaultCharFormat();
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    int32_t seen = 0;
    for (int32_t i = 0; i < size;) {
        if (p[i] != InlineControlStartByte) {
            if (seen++ == charIndex)
                break;
            ++i;
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        if (IsFormatCode(c.Code))
            format[c.Code] = c.Argument;
        else if (IsCharacterCode(c.Code) && seen++ == charIndex)
            break;
        i += InlineControlSize;
    }
    return format[slot];
}

// The characters of a paragraph: a special character as "<kind>", an
// object as "{code:argument}", format records left out.
std::string CharsOf(const TParagraph& paragraph)
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
        if (c.Code == icSpecialChar)
            out += "<" + std::to_string(SpecialCharKind(c.Argument)) + ">";
        else if (!IsFormatCode(c.Code))
            out += "{" + std::to_string(c.Code) + ":" + std::to_string(c.Argument) + "}";
        i += InlineControlSize;
    }
    return out;
}

class WriteReader : public ::testing::Test {
protected:
    TRtfManagersScope Managers;
    std::string Dir = MakeTestDir("write-reader");

    TLoaded Load(const std::string& bytes, const std::string& name = "d.wri")
    {
        return LoadFile(MakeFile(Dir, name, bytes), ciDetect, true);
    }
};

}  // namespace

TEST_F(WriteReader, TextAndCharacterRuns)
{
    TWriteBuilder b;
    b.Text = "Gras italique\r\nSous\tEx\x0c" "fin\r\n";
    b.Fonts = {{0x10, "Times New Roman"}, {0x20, "Arial"}};
    // "Gras " bold 12 pt in font 1; "italique" italic 10 pt underlined; the
    // line end plain; "Sous" subscript (offset 0x80); tab; "Ex" superscript;
    // the rest plain.
    b.CharRuns = {{128 + 5, CharProps(0x01 | (1 << 2), 24)},
                  {128 + 13, CharProps(0x02, 20, 1)},
                  {128 + 15, ""},
                  {128 + 19, CharProps(0, 24, 0, 0, 0x80)},
                  {128 + 20, ""},
                  {128 + 22, CharProps(0, 24, 0, 0, 0x05)},
                  {0x7FFFFFFF, ""}};
    b.ParRuns = {{0x7FFFFFFF, ""}};
    TLoaded loaded = Load(b.Build());
    ASSERT_TRUE(loaded.Ok);
    const TDocument& d = *loaded.Document;
    EXPECT_EQ(d.Format, ciWrite);
    ASSERT_EQ(d.StoryCount(stBody), 2);
    EXPECT_EQ(CharsOf(d.Paragraphs(0)), "Gras italique<2>");
    EXPECT_EQ(CharsOf(d.Paragraphs(1)), "Sous<7>Ex<6>fin<2>");
    const int32_t arial = GetFontManager()->IndexOfFont("Arial");
    ASSERT_GE(arial, 0);
    struct {
        int32_t Paragraph, Char, Slot, Value;
    } const cases[] = {
        {0, 0, cfBold, 1},          {0, 0, cfFont, arial},      {0, 0, cfSize, 24},
        {0, 5, cfItalic, 1},        {0, 5, cfBold, 0},          {0, 5, cfUnderline, 1},
        {0, 5, cfSize, 20},         {0, 13, cfItalic, 0},       {1, 0, cfVerticalPosition, 2},
        {1, 4, cfVerticalPosition, 0}, {1, 5, cfVerticalPosition, 1}, {1, 8, cfVerticalPosition, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "paragraph " << c.Paragraph << " char " << c.Char << " slot " << c.Slot);
        EXPECT_EQ(SlotOfChar(d.Paragraphs(c.Paragraph), c.Char, c.Slot), c.Value);
    }
}

TEST_F(WriteReader, ParagraphFormatsAndTabStops)
{
    TWriteBuilder b;
    b.Text = "Un\r\nDeux\r\nTrois\r\n";
    b.Fonts = {{0x10, "Times New Roman"}};
    b.CharRuns = {{0x7FFFFFFF, ""}};
    b.ParRuns = {{128 + 4, ParProps(1, 360, 720, -360, 480, 0, {{1440, 0}, {720, 3}})},
                 {128 + 10, ""},
                 {0x7FFFFFFF, ParProps(3, 0, 0, 0, -300)}};
    TLoaded loaded = Load(b.Build());
    ASSERT_TRUE(loaded.Ok);
    const TDocument& d = *loaded.Document;
    ASSERT_EQ(d.StoryCount(stBody), 3);
    struct {
        int32_t Paragraph, Slot, Value;
    } const cases[] = {
        {0, pfAlignment, 1},   {0, pfRightIndent, 360}, {0, pfLeftIndent, 720}, {0, pfFirstIndent, -360},
        {0, pfLineSpacing, 480}, {1, pfAlignment, 0},   {1, pfLineSpacing, 240}, {1, pfTabTable, -1},
        {2, pfAlignment, 3},   {2, pfLineSpacing, -300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "paragraph " << c.Paragraph << " slot " << c.Slot);
        EXPECT_EQ(d.Paragraphs(c.Paragraph).Format[c.Slot], c.Value);
    }
    // The stops sorted, the second one decimal.
    const TTabTable* tabs = d.TabManager().Tables(d.Paragraphs(0).Format[pfTabTable]);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->Count(), 2);
    EXPECT_EQ(tabs->Stops(0), PackTabStop(720, tkDecimal, 0));
    EXPECT_EQ(tabs->Stops(1), PackTabStop(1440, tkLeft, 0));
}

TEST_F(WriteReader, RunningHeadsAreDroppedAndPicturesKept)
{
    const std::string metafile = "\x01\x00\x09\x00\x00\x03" + std::string(12, '\x07');
    TWriteBuilder b;
    const std::string head = "Page 1\r\n";
    const std::string picture = PictureParagraph(8, metafile);
    const std::string bitmap = PictureParagraph(0xE3, std::string(20, 'b'));
    b.Text = head + "Texte\r\n" + picture + bitmap + "Fin\r\n";
    b.Fonts = {{0x10, "Times New Roman"}};
    b.CharRuns = {{0x7FFFFFFF, ""}};
    const uint32_t textStart = 128;
    const uint32_t afterHead = textStart + static_cast<uint32_t>(head.size());
    const uint32_t pictureStart = afterHead + 7;
    const uint32_t bitmapStart = pictureStart + static_cast<uint32_t>(picture.size());
    b.ParRuns = {{afterHead, ParProps(0, 0, 0, 0, 240, 0x06)},
                 {pictureStart, ""},
                 {bitmapStart, ParProps(0, 0, 0, 0, 240, 0x10)},
                 {bitmapStart + static_cast<uint32_t>(bitmap.size()), ParProps(0, 0, 0, 0, 240, 0x10)},
                 {0x7FFFFFFF, ""}};
    TLoaded loaded = Load(b.Build());
    ASSERT_TRUE(loaded.Ok);
    const TDocument& d = *loaded.Document;
    ASSERT_EQ(d.StoryCount(stBody), 2);
    EXPECT_EQ(CharsOf(d.Paragraphs(0)), "Texte<2>");
    ASSERT_EQ(d.ObjectManager().Count(), 1) << "the bitmap picture is not read";
    const auto& pic = dynamic_cast<const TDocPicture&>(d.ObjectManager().Objects(0));
    EXPECT_EQ(CharsOf(d.Paragraphs(1)), "{24:" + std::to_string(pic.Handle()) + "}Fin<2>");
    EXPECT_EQ(pic.DataKind, pdkWmf);
    EXPECT_EQ(pic.MappingMode, 8);
    EXPECT_EQ(std::string(pic.Data.begin(), pic.Data.end()), metafile);
    EXPECT_EQ(pic.SourceWidth, 2540);
    EXPECT_EQ(pic.SourceHeight, 1270);
    EXPECT_EQ(pic.Width, 1440);
    EXPECT_EQ(pic.Height, 720);
    EXPECT_EQ(pic.ScaleX, 50);
    EXPECT_EQ(pic.ScaleY, 100);
}

TEST_F(WriteReader, FontTables)
{
    const int32_t arial = GetFontManager()->IndexOfFont("Arial");
    ASSERT_GE(arial, 0);
    struct {
        const char* Name;
        bool Table;
        bool PageBreak;
        int32_t Expected;
    } const cases[] = {
        {"no font table (its page is the page count)", false, false, DefaultCharFormat()[cfFont]},
        {"table on one page", true, false, arial},
        {"table continued on the next page", true, true, arial},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TWriteBuilder b;
        b.Text = "abc\r\n";
        b.FontTable = c.Table;
        b.FontPageBreak = c.PageBreak;
        b.Fonts = {{0x10, "Times New Roman"}, {0x20, "Arial"}};
        b.CharRuns = {{0x7FFFFFFF, CharProps(1 << 2, 24)}};
        b.ParRuns = {{0x7FFFFFFF, ""}};
        TLoaded loaded = Load(b.Build());
        ASSERT_TRUE(loaded.Ok);
        EXPECT_EQ(SlotOfChar(loaded.Document->Paragraphs(0), 0, cfFont), c.Expected);
    }
}

TEST_F(WriteReader, CarriageReturnWithoutLineFeedKeepsTheNextCharacter)
{
    TWriteBuilder b;
    b.Text = "un\rdeux\r\n";
    b.CharRuns = {{0x7FFFFFFF, ""}};
    b.ParRuns = {{0x7FFFFFFF, ""}};
    b.Fonts = {{0x10, "Times New Roman"}};
    TLoaded loaded = Load(b.Build());
    ASSERT_TRUE(loaded.Ok);
    ASSERT_EQ(loaded.Document->StoryCount(stBody), 2);
    EXPECT_EQ(CharsOf(loaded.Document->Paragraphs(0)), "un<2>");
    EXPECT_EQ(CharsOf(loaded.Document->Paragraphs(1)), "deux<2>");
}

TEST_F(WriteReader, DamagedFilesEndWithTheMessage)
{
    TWriteBuilder b;
    b.Text = "Bonjour\r\n";
    b.CharRuns = {{128 + 3, CharProps(1, 24)}, {0x7FFFFFFF, ""}};
    b.ParRuns = {{0x7FFFFFFF, ParProps(0, 0, 0, 0, 240, 0, {{720, 0}})}};
    b.Fonts = {{0x10, "Times New Roman"}};
    const std::string good = b.Build();
    {
        // The end of the text past the end of the file.
        std::string bad = good;
        PutDWord(bad, 0x0E, static_cast<uint32_t>(bad.size() + 1));
        TMessageAnswers answers;
        answers.Expect("Une erreur s'est produite lors de l'ouverture du document", mrOk);
        EXPECT_FALSE(LoadFile(MakeFile(Dir, "bad.wri", bad)).Ok);
    }
    // Mutations of every region (header, text, runs, fonts): each reads or
    // ends with the message.
    std::mt19937 random(135);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int step = 1 + static_cast<int>(random() % 6); step > 0; --step)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded = LoadFile(MakeFile(Dir, "m.wri", bytes));
        if (!loaded.Ok && loaded.Document->Format == ciWrite) {
            EXPECT_EQ(answers.Asked().size(), 1u);
        }
    }
}

// Words of ASCII letters and digits, in order.
std::vector<std::string> AsciiWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 128) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// The corpus file carries the family's identifiers but no page count at
// offset 96 (a style-sheet name lies there): it comes from an older program
// of the family, whose paragraph flags mean other things, and is read as
// plain text. Every word of the converter's text is still found, in order.
TEST_F(WriteReader, CorpusFileOpensWithEveryWordOfItsReference)
{
    const std::string path = SharedDir() + "/corpus/wri/poi/MSWriteOld.wri";
    ELDRAVIN_NEED_SHARED(path);
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    TLoaded loaded = LoadFile(path, ciDetect, true);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(loaded.Document->Format, ciAnsiText);
    const std::string reference =
        ReadTestFile(std::string(ELDRAVIN_FORMATS_REFERENCE_DIR) + "/write/MSWriteOld.txt");
    const std::vector<std::string> expected = AsciiWords(reference);
    ASSERT_GT(expected.size(), 5000u);
    std::string text;
    const TDocument& d = *loaded.Document;
    for (int32_t i = 0; i < d.StoryCount(stBody); ++i)
        text += CharsOf(d.Paragraphs(i)) + "\n";
    const std::vector<std::string> read = AsciiWords(text);
    size_t found = 0;
    for (const std::string& word : read)
        if (found < expected.size() && word == expected[found])
            ++found;
    EXPECT_EQ(found, expected.size()) << "first word not found: " << expected[std::min(found, expected.size() - 1)];
}
