// Documents printed to the PDF printer and read back with poppler: the
// pages chosen, their order (ranges, filter, reverse order, copies and
// collation, manual two-sided passes, booklets, pages per sheet), the size
// and orientation of every page, the text of every page, and a printer that
// cannot start a job.
#include "PrintFixtures.h"

#include "document/model/Page.h"
#include "layout/LayoutLine.h"
#include "platform/runtime/CodePages.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace {

using Markers = std::vector<int>;

// All markers of a page in the order the text shows them.
std::multiset<int> MarkersOfPage(const std::string& path, int page)
{
    std::multiset<int> found;
    const std::string text = PdfPageText(path, page);
    for (size_t at = text.find("Marque"); at != std::string::npos; at = text.find("Marque", at + 6))
        found.insert(std::atoi(text.c_str() + at + 6));
    return found;
}

bool FileExists(const std::string& path)
{
    return std::ifstream(path).good();
}

}  // namespace

TEST_F(PrintTest, RangesFilterAndReverseOrder)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(6);
    struct TCase {
        const char* Name;
        std::vector<TPageRange> Ranges;
        int32_t Filter;
        bool Reverse;
        Markers Expected;
    } cases[] = {
        {"all", {}, pfAllPages, false, {1, 2, 3, 4, 5, 6}},
        {"ranges", {{0, 1}, {4, 5}}, pfAllPages, false, {1, 2, 5, 6}},
        {"ranges-reverse", {{0, 2}, {4, 5}}, pfAllPages, true, {6, 5, 3, 2, 1}},
        {"odd-reverse", {{0, 4}}, pfOddPages, true, {5, 3, 1}},
        {"even", {}, pfEvenPages, false, {2, 4, 6}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintChoices choices = ToPdf(std::string("print-order-") + c.Name);
        choices.Ranges = c.Ranges;
        choices.PageFilter = c.Filter;
        choices.ReverseOrder = c.Reverse;
        const TPrintReport report = PrintWithChoices(*Doc, choices);
        EXPECT_EQ(report.Result, TPrintResult::Printed);
        EXPECT_EQ(PdfMarkers(choices.OutputFile), c.Expected);
    }
}

TEST_F(PrintTest, CopiesAndCollation)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(3);
    struct TCase {
        const char* Name;
        bool Collate;
        Markers Expected;
        int32_t Jobs;
    } cases[] = {
        // Collated copies are printed copy after copy; the PDF printer keeps
        // them in its one file (a second document would replace the first).
        {"collated", true, {1, 2, 3, 1, 2, 3}, 1},
        {"uncollated", false, {1, 1, 2, 2, 3, 3}, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintChoices choices = ToPdf(std::string("print-copies-") + c.Name);
        choices.Copies = choices.CopiesTyped = 2;
        choices.Collate = c.Collate;
        const TPrintReport report = PrintWithChoices(*Doc, choices);
        EXPECT_EQ(report.Jobs, c.Jobs);
        EXPECT_EQ(report.SheetSides, 6);
        EXPECT_EQ(PdfMarkers(choices.OutputFile), c.Expected);
    }
}

// Manual two-sided printing: the order of the faces in the file for each
// way a printer feeds and stacks its sheets (0 is a blank face), and the
// prompts with the sheet count.
TEST_F(PrintTest, ManualTwoSidedOrders)
{
    ELDRAVIN_NEED_POPPLER();
    struct TCase {
        int Pages;
        uint8_t Feed;
        Markers Expected;
        int32_t Sheets;
    } cases[] = {
        {5, 0, {0, 5, 3, 1, 4, 2}, 3},
        {5, 1, {1, 3, 5, 0, 4, 2}, 3},
        {5, 2, {2, 4, 0, 5, 3, 1}, 3},
        {5, 3, {0, 4, 2, 5, 3, 1}, 3},
        {4, 3, {4, 2, 3, 1}, 2},
    };
    MarkedPages(5);
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Pages << " pages, feed " << int(c.Feed));
        FHost.Prompts.clear();
        TPrintChoices choices = ToPdf("print-two-sided-" + std::to_string(c.Pages) + "-" + std::to_string(c.Feed));
        choices.Ranges = {{0, c.Pages - 1}};
        choices.TwoSided = true;
        choices.Duplex = {0, 0, c.Feed};
        const TPrintReport report = PrintWithChoices(*Doc, choices);
        EXPECT_EQ(report.Result, TPrintResult::Printed);
        EXPECT_EQ(PdfMarkers(choices.OutputFile), c.Expected);
        ASSERT_EQ(FHost.Prompts.size(), 2u);
        EXPECT_EQ(FHost.Prompts[0].Step, 0);
        EXPECT_EQ(FHost.Prompts[0].Sheets, c.Sheets);
        EXPECT_EQ(FHost.Prompts[1].Step, 1);
    }
}

TEST_F(PrintTest, TwoSidedCancelledAtTurnOverKeepsTheFirstPass)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(4);
    FHost.CancelAtStep = 1;
    TPrintChoices choices = ToPdf("print-two-sided-cancelled");
    choices.TwoSided = true;
    choices.Duplex = {0, 0, 1};
    const TPrintReport report = PrintWithChoices(*Doc, choices);
    EXPECT_EQ(report.Result, TPrintResult::Cancelled);
    EXPECT_EQ(PdfMarkers(choices.OutputFile), (Markers{1, 3}));

    // A printer that prints both sides itself gets the pages in order, without prompts.
    FHost.Prompts.clear();
    choices = ToPdf("print-two-sided-duplex-printer");
    choices.TwoSided = true;
    choices.Duplex = {1, 0, 0};
    PrintWithChoices(*Doc, choices);
    EXPECT_TRUE(FHost.Prompts.empty());
    EXPECT_EQ(PdfMarkers(choices.OutputFile), (Markers{1, 2, 3, 4}));
}

TEST_F(PrintTest, PagesPerSheetAndBooklets)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(8);
    // Four pages a sheet: 5 pages on two sheets, the second holding one page.
    TPrintChoices four = ToPdf("print-four-per-sheet");
    four.Ranges = {{0, 4}};
    four.PagesPerSheetIndex = 2;
    EXPECT_EQ(PrintWithChoices(*Doc, four).SheetSides, 2);
    std::vector<TPdfPage> sheets = PdfPages(four.OutputFile);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_NEAR(sheets[0].Width, 595.3, 1);  // A4 upright: a 2 x 2 grid
    EXPECT_EQ(MarkersOfPage(four.OutputFile, 1), (std::multiset<int>{1, 2, 3, 4}));
    EXPECT_EQ(MarkersOfPage(four.OutputFile, 2), (std::multiset<int>{5}));

    // Two pages a sheet: the sheet is turned.
    TPrintChoices two = ToPdf("print-two-per-sheet");
    two.Ranges = {{0, 3}};
    two.PagesPerSheetIndex = 1;
    PrintWithChoices(*Doc, two);
    sheets = PdfPages(two.OutputFile);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_NEAR(sheets[0].Width, 841.9, 1);
    EXPECT_NEAR(sheets[0].Height, 595.3, 1);

    // A booklet of 8 pages, 2 a side, on a printer that prints both sides:
    // the sides hold 8+1, 2+7, 6+3, 4+5.
    TPrintChoices booklet = ToPdf("print-booklet");
    booklet.TwoSided = true;
    booklet.Booklet = true;
    booklet.PagesPerSheetIndex = 1;
    booklet.Duplex = {1, 0, 0};
    PrintWithChoices(*Doc, booklet);
    ASSERT_EQ(PdfPages(booklet.OutputFile).size(), 4u);
    const std::multiset<int> expected[4] = {{8, 1}, {2, 7}, {6, 3}, {4, 5}};
    for (int side = 0; side < 4; ++side)
        EXPECT_EQ(MarkersOfPage(booklet.OutputFile, side + 1), expected[side]) << side;
}

TEST_F(PrintTest, LandscapeBookletIsRefused)
{
    Doc->Sections(0).PageParams[ppPaperWidth] = 16838;
    Doc->Sections(0).PageParams[ppPaperHeight] = 11906;
    Doc->Sections(0).PageParams[ppOrientation] = 1;
    Doc->RecalcPageExtents();
    Para("Marque01" + kMark);
    Para("Marque02" + kMark, With({{pfPageBreakBefore, 1}}));
    TMessageAnswers answers;
    answers.Expect("ne peuvent pas être imprimés en tant que brochures", mrOk);
    TPrintChoices choices = ToPdf("print-landscape-booklet");
    choices.TwoSided = choices.Booklet = true;
    choices.PagesPerSheetIndex = 1;
    choices.Duplex = {1, 0, 0};
    const TPrintReport report = PrintWithChoices(*Doc, choices);
    EXPECT_EQ(report.Result, TPrintResult::Refused);
    EXPECT_EQ(report.SheetSides, 0);
    EXPECT_FALSE(FileExists(choices.OutputFile));
}

// A printer that cannot start the job: one message, nothing counted as
// printed, no file left behind.
TEST_F(PrintTest, FailingPrinterIsReported)
{
    MarkedPages(2);
    TMessageAnswers answers;
    answers.Expect("Impossible d'initialiser l'imprimante.", mrOk);
    TPrintChoices choices = ToPdf("print-failing");
    choices.OutputFile = TestOutputDir() + "/dossier-absent/sortie.pdf";
    const TPrintReport report = PrintWithChoices(*Doc, choices);
    EXPECT_EQ(report.Result, TPrintResult::PrinterFailed);
    EXPECT_EQ(report.Jobs, 0);
    EXPECT_EQ(report.SheetSides, 0);
    EXPECT_TRUE(report.PagesPainted.empty());
    EXPECT_FALSE(FileExists(choices.OutputFile));

    // An unknown printer gets no context at all.
    answers.Expect("Impossible d'initialiser l'imprimante.", mrOk);
    choices.PrinterName = "Imprimante disparue";
    EXPECT_EQ(PrintWithChoices(*Doc, choices).Result, TPrintResult::PrinterFailed);
}

// Sections of different orientation: each page has its own size in the file,
// and the document is back at its zoom afterwards.
TEST_F(PrintTest, EachSectionPrintsOnItsOwnPaper)
{
    ELDRAVIN_NEED_POPPLER();
    TSection& first = Doc->InsertSection(0);
    first.Settings[ssBreakKind] = sbNewPage;
    A4(first);
    A4(Doc->Sections(1), true);
    Doc->Sections(1).Settings[ssBreakKind] = sbNewPage;
    Doc->RecalcPageExtents();
    Para("Marque01 en portrait" + SectionBreak(first));
    Para("Marque02 en paysage" + kMark);
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 2);
    const int32_t zoom = Doc->Zoom();
    TPrintChoices choices = ToPdf("print-sections");
    PrintWithChoices(*Doc, choices);
    const std::vector<TPdfPage> pages = PdfPages(choices.OutputFile);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NEAR(pages[0].Width, 595.3, 1);
    EXPECT_NEAR(pages[0].Height, 841.9, 1);
    EXPECT_NEAR(pages[1].Width, 841.9, 1);
    EXPECT_NEAR(pages[1].Height, 595.3, 1);
    EXPECT_EQ(PdfMarkers(choices.OutputFile), (Markers{1, 2}));
    EXPECT_EQ(Doc->Zoom(), zoom);
    EXPECT_EQ(Doc->DeviceResolutionY(), 96 * zoom / 100);
}

TEST_F(PrintTest, SelectionPrintsAHiddenCopy)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(4);
    Doc->SetSelection(1, 0, 2, 4);
    TPrintChoices choices = ToPdf("print-selection");
    choices.Selection = true;
    choices.Ranges = {{0, 0}};  // ranges do not apply to a selection
    const TPrintReport report = PrintWithChoices(*Doc, choices);
    EXPECT_EQ(report.Result, TPrintResult::Printed);
    const Markers markers = PdfMarkers(choices.OutputFile);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.front(), 2);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 1), 0);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 4), 0);
}

// Corpus documents: the file has the pages chosen, each of its section's
// size, and each page shows the words that layout put on it.
TEST_F(PrintTest, CorpusDocumentsPrintPageByPage)
{
    ELDRAVIN_NEED_POPPLER();
    const std::string corpus = SharedDir() + "/corpus/rtf";
    ELDRAVIN_NEED_SHARED(corpus);
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    for (const char* name : {"abiword-testsuite/RTF-Spec-1.5.rtf", "abiword-testsuite/guadec-5.rtf",
                             "poi/message.rtf", "abiword-exported/10177-symptoms.abw.exp.raw.rtf"}) {
        SCOPED_TRACE(name);
        TLoaded loaded = LoadFile(corpus + "/" + name, ciDetect, true);
        ASSERT_TRUE(loaded.Ok);
        TDocument& doc = *loaded.Document;
        doc.PaginateAll();
        const int32_t count = std::min<int32_t>(doc.PageCount(), 4);
        ASSERT_GE(count, 1);
        std::string file = name;
        std::replace(file.begin(), file.end(), '/', '-');
        TPrintChoices choices = ToPdf("print-corpus-" + file);
        choices.Ranges = {{0, count - 1}};
        EXPECT_EQ(PrintWithChoices(doc, choices).Result, TPrintResult::Printed);
        const std::vector<TPdfPage> pages = PdfPages(choices.OutputFile);
        ASSERT_EQ(static_cast<int32_t>(pages.size()), count);
        for (int32_t p = 0; p < count; ++p) {
            SCOPED_TRACE(p + 1);
            const TPageParams& params = doc.GetPageSectionOfPage(p).PageParams;
            EXPECT_NEAR(pages[p].Width, params[ppPaperWidth] / 20.0, 1.0);
            EXPECT_NEAR(pages[p].Height, params[ppPaperHeight] / 20.0, 1.0);
            // The words of the page's body lines (letters only), found in
            // the text poppler reads from the page.
            const std::string text = PdfPageText(choices.OutputFile, p + 1);
            TPage& page = *doc.Pages()[static_cast<size_t>(p)];
            int words = 0, found = 0;
            for (TParLine* line : page.Lines) {
                TLayoutLine* layout = AsLayoutLine(line);
                if (!layout || layout->Paragraph().Index > doc.StoryLast(stBody))
                    continue;
                const std::string plain(reinterpret_cast<const char*>(layout->Paragraph().GetPlainChars().Data()) +
                                            line->FirstChar,
                                        static_cast<size_t>(line->CharCount));
                std::string word;
                for (char ch : plain + " ") {
                    const auto u = static_cast<unsigned char>(ch);
                    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0xC0) {
                        word += ch;
                        continue;
                    }
                    if (word.size() >= 4) {
                        ++words;
                        found += text.find(Utf8FromAnsi(word)) != std::string::npos;
                    }
                    word.clear();
                }
            }
            // Every word of the page is in the file's page (a few may be
            // split by hyphenation or ligatures).
            EXPECT_GE(found, words * 95 / 100) << found << " of " << words;
        }
    }
}
