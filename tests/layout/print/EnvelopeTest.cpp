// Envelopes: the envelope section that the insert-envelope operation makes
// (with its undo), and envelopes of several sizes and feeds printed to the
// PDF printer, the addresses found with poppler where the settings put them.
#include "PrintFixtures.h"

#include "document/editing/EnvelopeSettings.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "formats/DocFiler.h"
#include "foundation/managers/PaperSizes.h"
#include "foundation/managers/Style.h"
#include "layout/print/EnvelopePrinting.h"

#include <cmath>
#include <cstring>

namespace {

const std::string kAddress = "Mme Hélène Dupré\r\n12, rue des Écoles\r\n75005 Paris\r\n\r\n";
const std::string kSender = "Eldravin SA\r\n1 place Carnot\r\n\r\n\r\n";

std::string PlainText(const TParagraph& paragraph)
{
    std::string text;
    const TMemory& chars = paragraph.GetPlainChars();
    for (int32_t i = 0; i < chars.Size(); ++i)
        if (chars.Data()[i] >= 32)
            text += static_cast<char>(chars.Data()[i]);
    return text;
}

struct TPdfWord {
    std::string Text;  // UTF-8
    double X = 0, Y = 0;
};

// The words of one page with the top-left corner of each (points, from the
// page's top-left corner), by pdftotext -bbox.
std::vector<TPdfWord> PdfWords(const std::string& path, int page)
{
    std::string out;
    RunCommand("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + path + "' -",
               out);
    std::vector<TPdfWord> words;
    auto attribute = [&](size_t from, const char* name) {
        const size_t at = out.find(std::string(name) + "=\"", from);
        return at == std::string::npos ? 0.0 : std::atof(out.c_str() + at + std::strlen(name) + 2);
    };
    for (size_t at = out.find("<word "); at != std::string::npos; at = out.find("<word ", at + 1)) {
        const size_t open = out.find('>', at), close = out.find("</word>", at);
        if (open == std::string::npos || close == std::string::npos)
            break;
        words.push_back({out.substr(open + 1, close - open - 1), attribute(at, "xMin"), attribute(at, "yMin")});
    }
    return words;
}

const TPdfWord* FindWord(const std::vector<TPdfWord>& words, const std::string& text)
{
    for (const TPdfWord& w : words)
        if (w.Text == text)
            return &w;
    return nullptr;
}

}  // namespace

class EnvelopeTest : public PrintTest {
protected:
    EnvelopeTest()
    {
        CreateDocFiler();
        EnvelopeSettings() = {};
    }
    ~EnvelopeTest() override
    {
        EnvelopeSettings() = {};
        FreeDocFiler();
    }

    void Insert(const std::string& address, const std::string& sender, uint8_t keepSection)
    {
        std::string a = address, s = sender;
        Doc->ExecuteOperation(docInsertEnvelope, {&a, &s, &keepSection});
    }

    int32_t StandardOf(const TParagraph& paragraph) const
    {
        const TStyle* style = Doc->Styles().Find(paragraph.Format[pfStyle]);
        return style ? style->StandardNumber : -1;
    }
};

TEST_F(EnvelopeTest, InsertedAsASectionOfItsOwnAndUndone)
{
    A4(Doc->Sections(0));
    Doc->RecalcPageExtents();
    Para("Lettre" + kMark);
    Doc->PaginateAll();
    Doc->GoToPosition(0, 6);
    Doc->NoUndo = 0;
    Insert(kAddress, kSender, 0);

    ASSERT_EQ(Doc->SectionCount(), 2);
    const TSection& envelope = Doc->GetSectionOfParagraph(Doc->StoryLast(stBody));
    const TPageParams& p = envelope.PageParams;
    EXPECT_EQ(p[ppPaperWidth], 9184);
    EXPECT_EQ(p[ppPaperHeight], 6463);
    EXPECT_EQ(p[ppOrientation], 1);
    for (int slot : {ppLeftMargin, ppRightMargin, ppTopMargin, ppBottomMargin, ppHeaderDistance, ppFooterDistance})
        EXPECT_EQ(p[slot], 0) << slot;
    for (TField* header : envelope.HeadersFooters)
        EXPECT_NE(header, nullptr);

    // The sender in "Envelope Return", its trailing line ends down to one;
    // the address in "Envelope Address" without any; each placed by indents.
    struct TExpected {
        const char* Text;
        int32_t Standard;
        int32_t LeftIndent;
    } expected[] = {
        {"Eldravin SA", 37, 918},
        {"1 place Carnot", 37, 918},
        {"Mme Hélène Dupré", 36, 3674},
        {"12, rue des Écoles", 36, 3674},
        {"75005 Paris", 36, 3674},
    };
    ASSERT_EQ(envelope.LastParagraph - envelope.FirstParagraph + 1, 5);
    for (int i = 0; i < 5; ++i) {
        const TParagraph& paragraph = Doc->Paragraphs(envelope.FirstParagraph + i);
        SCOPED_TRACE(expected[i].Text);
        EXPECT_EQ(PlainText(paragraph), expected[i].Text);
        EXPECT_EQ(StandardOf(paragraph), expected[i].Standard);
        EXPECT_EQ(paragraph.Format[pfLeftIndent], expected[i].LeftIndent);
    }
    EXPECT_EQ(Doc->Paragraphs(envelope.FirstParagraph).Format[pfSpaceBefore], 646);
    // The address starts at its height less the sender block's.
    const int32_t addressSpace = Doc->Paragraphs(envelope.FirstParagraph + 2).Format[pfSpaceBefore];
    EXPECT_GT(addressSpace, 0);
    EXPECT_LT(addressSpace, 3232 - 646);

    Doc->PaginateAll();
    EXPECT_EQ(Doc->PageCount(), 2);
    EXPECT_EQ(Doc->CountEnvelopePages(), 1);

    // One undo takes the whole envelope back; redo brings it again.
    Doc->UndoManager().Undo();
    EXPECT_EQ(Doc->SectionCount(), 1);
    EXPECT_EQ(Doc->StoryCount(stBody), 1);
    EXPECT_EQ(PlainText(Doc->Paragraphs(0)), "Lettre");
    Doc->PaginateAll();
    EXPECT_EQ(Doc->CountEnvelopePages(), 0);
    Doc->UndoManager().Redo();
    EXPECT_EQ(Doc->SectionCount(), 2);
    EXPECT_EQ(PlainText(Doc->Paragraphs(Doc->Sections(1).FirstParagraph + 2)), "Mme Hélène Dupré");
}

TEST_F(EnvelopeTest, SectionBreakRuleAndSeveralEnvelopes)
{
    // An empty single-section document: a new section unless told to keep it.
    struct TCase {
        uint8_t Keep;
        int32_t Sections;
    } cases[] = {{0, 2}, {1, 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Keep));
        Doc = std::make_unique<TDocument>(true);
        Doc->InitNewDocument();
        Insert("A\r\nB", "", c.Keep);
        EXPECT_EQ(Doc->SectionCount(), c.Sections);
        // Without a sender the address alone, at its full height.
        const TSection& last = Doc->Sections(Doc->SectionCount() - 1);
        EXPECT_EQ(StandardOf(Doc->Paragraphs(last.FirstParagraph)), 36);
        EXPECT_EQ(Doc->Paragraphs(last.FirstParagraph).Format[pfSpaceBefore], 3232);
    }

    // Three envelopes built one after the other: three envelope pages.
    Doc = std::make_unique<TDocument>(true);
    Doc->InitNewDocument();
    BuildEnvelopes(*Doc, {"Un\r\nAdresse 1", "Deux\r\nAdresse 2", "Trois\r\nAdresse 3"}, "Exp\r\n");
    Doc->PaginateAll();
    EXPECT_EQ(Doc->PageCount(), 3);
    EXPECT_EQ(Doc->CountEnvelopePages(), 2);  // the first page never counts
}

TEST_F(EnvelopeTest, FeedOffsets)
{
    // Physical page 1000 x 800, envelope 600 x 300.
    struct TCase {
        int32_t Feed;
        bool FaceUp;
        TPoint Offset;
    } cases[] = {
        {0, false, {0, 0}},   {1, false, {200, 0}}, {2, true, {400, 0}},  {3, true, {0, 500}}, {3, false, {0, 0}},
        {4, true, {0, 250}}, {5, true, {0, 0}},    {5, false, {0, 500}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(EnvelopeFeedOffset(c.Feed, c.FaceUp, 1000, 800, 600, 300), c.Offset) << c.Feed << c.FaceUp;
}

// Envelopes printed to the PDF printer: the page size and orientation of the
// feed, and the first words of the sender and of the address at their places.
TEST_F(EnvelopeTest, PrintedToPdfWithTheAddressesInPlace)
{
    ELDRAVIN_NEED_POPPLER();
    struct TCase {
        const char* Name;
        int32_t Row;       // envelope size
        int32_t Feed;
        bool FaceUp;
        bool OnA4;         // the paper loaded is an A4 sheet, else the envelope's own size
    } cases[] = {
        {"dl-feed5", 24, 5, false, false},
        {"c5-feed3", 15, 3, true, false},
        {"c4-feed4", 14, 4, false, false},
        {"us10-feed5-up", 29, 5, true, false},
        {"c6-a4-feed0", 16, 0, false, true},
        {"c6-a4-feed1", 16, 1, false, true},
        {"c6-a4-feed2", 16, 2, false, true},
        {"c6-a4-feed3-up", 16, 3, true, true},
        {"c6-a4-feed4", 16, 4, false, true},
        {"c6-a4-feed5-down", 16, 5, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEnvelopeSettings& s = EnvelopeSettings();
        s.Width = std::max(PaperSizes(c.Row).Width, PaperSizes(c.Row).Height);
        s.Height = std::min(PaperSizes(c.Row).Width, PaperSizes(c.Row).Height);
        s.FeedMethod = c.Feed;
        s.FeedFace = c.FaceUp;
        s.DA_Left = 4500;
        s.DA_Top = 5500;
        s.RA_Left = 500;
        s.RA_Top = 800;
        TEnvelopePrintChoices choices;
        choices.PrinterName = PdfPrinterName;
        choices.OutputFile = TestOutputDir() + "/envelope-" + c.Name + ".pdf";
        choices.Dpi = 300;
        if (c.OnA4) {
            choices.PaperWidth = 11906;
            choices.PaperHeight = 16838;
        }
        const TPrintReport report = PrintEnvelopesFor({kAddress}, kSender, choices);
        ASSERT_EQ(report.Result, TPrintResult::Printed);

        // The paper: portrait for the feeds 0 to 2, landscape for 3 to 5.
        const std::vector<TPdfPage> pages = PdfPages(choices.OutputFile);
        ASSERT_EQ(pages.size(), 1u);
        const double shortSide = (c.OnA4 ? 11906 : s.Height) / 20.0, longSide = (c.OnA4 ? 16838 : s.Width) / 20.0;
        const bool landscape = c.Feed >= 3;
        EXPECT_NEAR(pages[0].Width, landscape ? longSide : shortSide, 1);
        EXPECT_NEAR(pages[0].Height, landscape ? shortSide : longSide, 1);

        // The envelope's corner on the page, then the two addresses from it.
        const double w = s.Width / 20.0, h = s.Height / 20.0;
        const TPoint offset = EnvelopeFeedOffset(c.Feed, c.FaceUp, static_cast<int32_t>(std::lround(pages[0].Width * 100)),
                                                 static_cast<int32_t>(std::lround(pages[0].Height * 100)),
                                                 static_cast<int32_t>(std::lround(w * 100)),
                                                 static_cast<int32_t>(std::lround(h * 100)));
        const std::vector<TPdfWord> words = PdfWords(choices.OutputFile, 1);
        const TPdfWord* sender = FindWord(words, "Eldravin");
        const TPdfWord* address = FindWord(words, "Mme");
        const TPdfWord* town = FindWord(words, "75005");
        ASSERT_TRUE(sender && address && town);
        const double ox = offset.X / 100.0, oy = offset.Y / 100.0;
        EXPECT_NEAR(sender->X, ox + w * 0.05, 2.0);
        EXPECT_NEAR(address->X, ox + w * 0.45, 2.0);
        EXPECT_NEAR(town->X, ox + w * 0.45, 2.0);
        // The top of a word lies a little below the top of its line.
        EXPECT_GE(sender->Y, oy + h * 0.08 - 0.5);
        EXPECT_LE(sender->Y, oy + h * 0.08 + 5);
        EXPECT_GE(address->Y, oy + h * 0.55 - 0.5);
        EXPECT_LE(address->Y, oy + h * 0.55 + 5);
        EXPECT_GT(town->Y, address->Y + 20);
    }
}
