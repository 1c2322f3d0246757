// The page order of a print job: the page choice, the filter and reverse
// order, booklet imposition, the two passes of manual two-sided printing,
// the pages-per-sheet grid, the printers' two-sided settings, papers, forms
// and the unprintable border.
#include "layout/print/PrintJob.h"
#include "layout/print/PrintOrder.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/StringList.h"

#include <gtest/gtest.h>

namespace {

using Ranges = std::vector<TPageRange>;
using List = std::vector<int32_t>;
constexpr int32_t B = BlankSlot;

TEST(PrintOrder, PageChoiceIsReadOrRefused)
{
    struct TCase {
        const char* Text;
        bool Valid;
        Ranges Expected;
    } cases[] = {
        {"2-2;4,6-7", true, {{1, 1}, {3, 3}, {5, 6}}},
        {"3 - 5", true, {{2, 4}}},
        {"", true, {}},
        {"1;", true, {{0, 0}}},
        {"10", true, {{9, 9}}},  // the last page (envelopes included)
        {"5-3", false, {}},
        {"0", false, {}},
        {"11", false, {}},
        {"a", false, {}},       // not a number reads as 0
        {"2-x", false, {}},
        {"1-99999999999", false, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        Ranges ranges;
        EXPECT_EQ(ParsePageRange(c.Text, 10, ranges), c.Valid);
        if (c.Valid) {
            EXPECT_EQ(ranges, c.Expected);
        }
    }
}

TEST(PrintOrder, FilterAndReverseOrder)
{
    EXPECT_EQ(ExpandPageList({{0, 4}}, pfOddPages, true), (List{4, 2, 0}));  // pages 5, 3, 1
    EXPECT_EQ(ExpandPageList({{0, 4}}, pfEvenPages, false), (List{1, 3}));
    EXPECT_EQ(ExpandPageList({{2, 3}, {0, 0}}, pfAllPages, false), (List{2, 3, 0}));
    EXPECT_EQ(ExpandPageList({{2, 3}, {0, 0}}, pfAllPages, true), (List{0, 3, 2}));
    EXPECT_TRUE(ExpandPageList({}, pfAllPages, true).empty());
}

TEST(PrintOrder, BookletImposition)
{
    // 8 pages, 2 a side (two columns): the sheets fold in the middle.
    EXPECT_EQ(BookletSideList(8, BookletSizeMax, 2, 2), (List{7, 0, 1, 6, 5, 2, 3, 4}));
    // 6 pages are padded to 8 with blank cells (the outer sheet's inner side).
    EXPECT_EQ(BookletSideList(6, BookletSizeMax, 2, 2), (List{B, 0, 1, B, 5, 2, 3, 4}));
    // Booklets of 4: two booklets of one sheet each.
    EXPECT_EQ(BookletSideList(8, 4, 2, 2), (List{3, 0, 1, 2, 7, 4, 5, 6}));
    // "Max" makes one booklet whatever the count.
    EXPECT_EQ(ComputeBookletSize(0, 30, BookletSizeMax), 32);
    EXPECT_EQ(ComputeBookletSize(0, 30, 8), 8);
    EXPECT_EQ(ComputeBookletSize(3, 30, 8), 8);  // the last gets 6, rounded up
    EXPECT_EQ(ComputeBookletSize(3, 26, 8), 4);
    // 4 pages a side: each side holds every entry once, padded to whole sheets.
    const List sides = BookletSideList(8, BookletSizeMax, 4, 2);
    ASSERT_EQ(sides.size(), 8u);
    List sorted = sides;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (List{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(BookletSideList(0, 8, 2, 2).empty());
}

TEST(PrintOrder, TwoPassesByFeedMode)
{
    struct TCase {
        int32_t Units;
        uint8_t Feed;
        List First, Second;
        bool Before, After;
    } cases[] = {
        {5, 0, {4, 2, 0}, {3, 1}, true, false},   // blank, 5, 3, 1 / 4, 2
        {5, 1, {0, 2, 4}, {3, 1}, false, true},   // 1, 3, 5, blank / 4, 2
        {5, 2, {1, 3}, {4, 2, 0}, false, true},
        {5, 3, {3, 1}, {4, 2, 0}, true, false},
        {4, 3, {3, 1}, {2, 0}, false, false},     // 4, 2 / 3, 1
        {4, 0, {2, 0}, {3, 1}, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Units << " units, feed " << int(c.Feed));
        const TTwoPassOrder order = TwoPassOrder(c.Units, c.Feed, false);
        EXPECT_EQ(order.First, c.First);
        EXPECT_EQ(order.Second, c.Second);
        EXPECT_EQ(order.BlankBefore, c.Before);
        EXPECT_EQ(order.BlankAfter, c.After);
    }
    // Booklets never get a blank face.
    const TTwoPassOrder booklet = TwoPassOrder(3, 0, true);
    EXPECT_FALSE(booklet.BlankBefore || booklet.BlankAfter);
}

TEST(PrintOrder, SheetGridTakesTheLargestCells)
{
    const int32_t a4w = 11906, a4h = 16838;
    struct TCase {
        int32_t Index;
        int32_t PageW, PageH;
        int32_t Columns, Rows;
        bool Rotated;
    } cases[] = {
        {0, a4w, a4h, 1, 1, false},
        {1, a4w, a4h, 2, 1, true},    // two portrait pages side by side on a turned sheet
        {1, a4h, a4w, 1, 2, false},   // two landscape pages one above the other
        {2, a4w, a4h, 2, 2, false},
        {3, a4w, a4h, 3, 2, true},
        {4, a4w, a4h, 4, 2, true},
        {5, a4w, a4h, 4, 4, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Index);
        const TSheetGrid grid = ChooseSheetGrid(c.Index, a4w, a4h, c.PageW, c.PageH);
        EXPECT_EQ(grid.Columns, c.Columns);
        EXPECT_EQ(grid.Rows, c.Rows);
        EXPECT_EQ(grid.Rotated, c.Rotated);
        EXPECT_EQ(grid.SheetWidth, c.Rotated ? a4h : a4w);
    }
}

TEST(PrintOrder, TwoSidedSettingsOfPrinters)
{
    EXPECT_EQ(ParseDuplexSettings("1"), (TDuplexSettings{0, 0, 0}));  // too short: "000"
    EXPECT_EQ(ParseDuplexSettings("103"), (TDuplexSettings{1, 0, 3}));
    EXPECT_EQ(FormatDuplexSettings({1, 1, 2}), "112");
    TStringList printers;
    printers.SetText("Bureau\r\n003\r\nCouloir\r\n100\r\n");
    bool found = false;
    EXPECT_EQ(FindDuplexSettings(printers, "Couloir", &found), (TDuplexSettings{1, 0, 0}));
    EXPECT_TRUE(found);
    EXPECT_EQ(FindDuplexSettings(printers, "Cave", &found), TDuplexSettings{});
    EXPECT_FALSE(found);
    // The printer set up last moves to the top with its new digits.
    StoreDuplexSettings(printers, "Couloir", {1, 1, 0});
    StoreDuplexSettings(printers, "Cave", {0, 0, 1});
    EXPECT_EQ(printers.CommaText(), "Cave,001,Couloir,110,Bureau,003");

    // The device mode's duplex field.
    const TDuplexSettings book{1, 0, 0}, tablet{1, 1, 0}, single{0, 0, 0};
    EXPECT_EQ(DuplexModeForPage(book, true, false), 2);
    EXPECT_EQ(DuplexModeForPage(book, true, true), 3);
    EXPECT_EQ(DuplexModeForPage(tablet, true, true), 2);
    EXPECT_EQ(DuplexModeForPage(tablet, true, false), 3);
    EXPECT_EQ(DuplexModeForPage(book, false, false), 1);
    EXPECT_EQ(DuplexModeForPage(single, true, false), 1);  // the program turns the sheets
    EXPECT_EQ(DuplexModeForPage(single, false, false), 0);
}

TEST(PrintOrder, MarginsInTheUnprintableBorderShrinkThePage)
{
    const double inside[4] = {50, 50, 50, 50}, pageMargins[4] = {100, 100, 100, 100};
    EXPECT_DOUBLE_EQ(PageScaleForMargins(inside, pageMargins, 1000, 2000), 1.0);
    const double wideLeft[4] = {150, 0, 0, 0};
    EXPECT_DOUBLE_EQ(PageScaleForMargins(wideLeft, pageMargins, 1000, 2000), 0.9);
    const double wideBottom[4] = {0, 0, 0, 300};
    EXPECT_DOUBLE_EQ(PageScaleForMargins(wideBottom, pageMargins, 1000, 2000), 0.8);
    // A border wider than half the page does not turn the page over.
    const double huge[4] = {5000, 0, 0, 0};
    EXPECT_DOUBLE_EQ(PageScaleForMargins(huge, pageMargins, 1000, 2000), 0.1);
}

TEST(PrintOrder, PaperFormsAreFoundOrAddedForTheJob)
{
    const std::string printer = PdfPrinterName;
    std::vector<std::string> added;
    // A4 is the printer's first form: it is found too.
    ASSERT_FALSE(EnumForms(printer).empty());
    EXPECT_EQ(EnumForms(printer).front().Size.X, 210000);
    const std::string a4 = FindOrAddPaperForm(printer, {210400, 296800}, added);
    EXPECT_EQ(a4, EnumForms(printer).front().Name);
    EXPECT_TRUE(added.empty());
    // 200 x 300 mm has no form: one is added and deleted after the job.
    const size_t before = EnumForms(printer).size();
    EXPECT_EQ(FindOrAddPaperForm(printer, {200000, 300000}, added), "_eld_200000 x 300000");
    EXPECT_EQ(added, (std::vector<std::string>{"_eld_200000 x 300000"}));
    EXPECT_EQ(EnumForms(printer).size(), before + 1);
    // Asked again in the same job, the added form is found.
    EXPECT_EQ(FindOrAddPaperForm(printer, {200100, 299900}, added), "_eld_200000 x 300000");
    EXPECT_EQ(added.size(), 1u);
    DeleteAddedPaperForms(printer, added);
    EXPECT_EQ(EnumForms(printer).size(), before);
    EXPECT_TRUE(added.empty());
    EXPECT_FALSE(AddForm("Imprimante inconnue", {"x", {1000, 1000}, {}, false}));

    // The smallest paper that holds a size; none: the size itself.
    EXPECT_EQ(FindPrinterPaperSize(printer, {2000, 2900}).X, 2100);  // A4
    EXPECT_EQ(FindPrinterPaperSize(printer, {2100, 2970}).Y, 2970);
    const TPoint huge = FindPrinterPaperSize(printer, {9000, 9000});
    EXPECT_EQ(huge.X, 9000);
}

TEST(PrintOrder, MinimumMarginsOfTheDefaultPrinterAreAskedOnce)
{
    const std::string printer = GetDefaultPrinterName();
    const int32_t before = MinMarginQueries();
    const TRect first = GetPrinterMinMargins(printer, 11906, 16838, false);
    const TRect second = GetPrinterMinMargins(printer, 11906, 16838, false);
    EXPECT_EQ(MinMarginQueries(), before + 1);
    EXPECT_EQ(first.Left, second.Left);
    GetPrinterMinMargins(printer, 11906, 16838, true);  // another size (turned): asked
    EXPECT_EQ(MinMarginQueries(), before + 2);
    // The PDF printer prints to the edge.
    const TRect pdf = GetPrinterMinMargins(PdfPrinterName, 11906, 16838, false);
    EXPECT_EQ(pdf.Left + pdf.Top + pdf.Right + pdf.Bottom, 0);
}

}  // namespace
