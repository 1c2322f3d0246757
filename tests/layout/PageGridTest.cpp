// The page grid of a document's view: cells, pages across, the extent,
// visible pages, scrolling and margins, in a window of a chosen size.
#include "PaginationFixtures.h"

class PageGridTest : public PaginationTest {
protected:
    PageGridTest() : FPrevious(SetDocumentViewFactory(&TFakeView::Create))
    {
        TFakeView::State = &View;
        Doc = std::make_unique<TDocument>(false);
        Doc->RecalcPageExtents();
    }
    ~PageGridTest() override
    {
        Doc.reset();
        SetDocumentViewFactory(FPrevious);
        TFakeView::State = nullptr;
    }
    static void SetText(TParagraph& paragraph, const std::string& notation)
    {
        const std::string text = EncodeText(notation);
        paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
    }
    // A document of count + 1 pages of A4 (the default page), paginated:
    // each paragraph ends its page, and its mark begins the next one.
    void Pages(int32_t count)
    {
        SetText(Doc->Paragraphs(0), "un" + kPageBreak + kMark);
        for (int32_t i = 1; i < count; ++i)
            SetText(Doc->AppendParagraph(stBody), "page" + kPageBreak + kMark);
        Doc->PaginateAll();
        ASSERT_EQ(Doc->PageCount(), count + 1);  // the last paragraph mark on a page of its own
    }
    int32_t W() const { return Doc->LargestPage().WidthDevice; }
    int32_t H() const { return Doc->LargestPage().HeightDevice; }

    TFakeViewState View;

private:
    TDocumentViewFactory FPrevious;
};

// Pages across, the extent and each page's cell for windows of several
// widths; a window narrower than a page shows one page across.
TEST_F(PageGridTest, Cells)
{
    Pages(4);  // five pages
    struct TCase {
        int32_t ClientWidth;
        int32_t Across;
        int32_t ExtentWidth;
    };
    const int32_t w = W();
    for (const TCase& c : {TCase{w / 2, 1, w + 20}, TCase{w + 30, 1, w + 30}, TCase{2 * w + 40, 2, 2 * w + 40},
                           TCase{10 * w, 5, 10 * w}}) {
        SCOPED_TRACE(c.ClientWidth);
        View.ClientWidth = c.ClientWidth;
        UpdatePageLayout(*Doc);
        EXPECT_EQ(Doc->PagesAcross, c.Across);
        EXPECT_EQ(Doc->ViewExtent.cx, c.ExtentWidth);
        const int32_t rows = (5 + c.Across - 1) / c.Across;
        EXPECT_EQ(Doc->ViewExtent.cy, std::max((H() + 10) * rows + 10, View.ClientHeight));
        for (int32_t page = 0; page < 5; ++page) {
            const TRect rect = Doc->Pages()[static_cast<size_t>(page)]->Rect;
            const int32_t row = page / c.Across;
            const int32_t column = page % c.Across;
            EXPECT_EQ(rect.Left, column * (w + 10) + (c.ExtentWidth - (w + 10) * (c.Across - 1) - w) / 2);
            EXPECT_EQ(rect.Top, row * (H() + 10) + (Doc->ViewExtent.cy - (H() + 10) * (rows - 1) - H()) / 2);
            EXPECT_EQ(rect.Width(), w);
            EXPECT_EQ(rect.Height(), H());
        }
    }
    // The scroll bars: the extent, and large steps of 90 % of the window.
    EXPECT_EQ(View.MaxX, Doc->ViewExtent.cx);
    EXPECT_EQ(View.LargeX, View.ClientWidth * 9 / 10);
    EXPECT_EQ(View.MaxY, Doc->ViewExtent.cy);
    EXPECT_EQ(View.LargeY, View.ClientHeight * 9 / 10);
}

// In two-page mode the first page stands on the right of the first row, and
// the vertical scroll bar steps by rows.
TEST_F(PageGridTest, TwoPageMode)
{
    View.ClientWidth = 5000;
    Pages(2);  // three pages
    Doc->SetViewMode(vmTwoPages);
    EXPECT_EQ(Doc->ViewMode, vmTwoPages);
    EXPECT_EQ(Doc->PagesAcross, 2);
    const auto& pages = Doc->Pages();
    EXPECT_GT(pages[0]->Rect.Left, pages[1]->Rect.Left);
    EXPECT_EQ(pages[1]->Rect.Left, pages[2]->Rect.Left - (W() + 10));
    EXPECT_EQ(pages[1]->Rect.Top, pages[0]->Rect.Top + H() + 10);
    EXPECT_EQ(pages[1]->Rect.Top, pages[2]->Rect.Top);
    EXPECT_EQ(View.LargeY, H() + 10);
    EXPECT_EQ(Doc->PageGridCount, 3);  // the extra cell only counted for the grid
    // The visible range counts the empty cell before the first page.
    Doc->ViewOrigin = {0, 0};
    EXPECT_EQ(GetFirstVisiblePage(*Doc), 0);
}

// Pages of a smaller size stand centred in their cells.
TEST_F(PageGridTest, PagesCentredInTheirCells)
{
    TSection& first = Doc->InsertSection(0);
    SetText(Doc->Paragraphs(0), "petite" + Rec(icSectionBreak, first.Handle()));
    SetText(Doc->AppendParagraph(stBody), "grande" + kMark);
    first.PageParams[ppPaperWidth] = 8000;
    first.PageParams[ppPaperHeight] = 10000;
    Doc->RecalcPageExtents();
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 2);
    const TRect small = Doc->Pages()[0]->Rect;
    const TRect cell = CalcPageRect(*Doc, 0);
    EXPECT_EQ(small.Width(), Doc->TwipsToDeviceX(8000));
    EXPECT_EQ(small.Height(), Doc->TwipsToDeviceY(10000));
    EXPECT_EQ(small.Left - cell.Left, (cell.Width() - small.Width()) / 2);
    EXPECT_EQ(small.Top - cell.Top, (cell.Height() - small.Height()) / 2);
    EXPECT_EQ(Doc->Pages()[1]->Rect, CalcPageRect(*Doc, 1));
}

// The visible page range follows the scroll origin: a page whose bottom gap
// only shows in the top 6 units still counts.
TEST_F(PageGridTest, VisiblePages)
{
    View.ClientWidth = 2 * W() + 40;
    View.ClientHeight = H() / 2;
    Pages(7);  // eight pages, two across
    const int32_t cell = H() + 10;
    struct TCase {
        int32_t Y;
        int32_t First;
        int32_t Last;
    };
    // At the top of a row, the row above still counts (its gap shows).
    for (const TCase& c : {TCase{0, 0, 1}, TCase{cell + 5, 0, 3}, TCase{cell + 6, 2, 3}, TCase{cell * 3, 4, 7},
                           TCase{cell * 2 + cell / 2 + 10, 4, 7}}) {
        SCOPED_TRACE(c.Y);
        Doc->ViewOrigin = {0, c.Y};
        EXPECT_EQ(Doc->GetFirstVisiblePage(), c.First);
        EXPECT_EQ(Doc->GetLastVisiblePage(), c.Last);
    }
}

// Scrolling by less than 0.85 of the window moves the window's content;
// further paints the whole view. A shrinking extent pulls the origin back.
TEST_F(PageGridTest, Scrolling)
{
    View.ClientWidth = W() / 2;
    View.ClientHeight = 400;
    Pages(3);
    ScrollVert(*Doc, 339);
    EXPECT_EQ(View.Scrolls, 1);
    EXPECT_EQ(View.ScrollDy, 339);
    EXPECT_EQ(Doc->ViewOrigin.Y, 339);
    const int32_t repaints = View.Repaints;
    ScrollVert(*Doc, 339 + 340);
    EXPECT_EQ(View.Scrolls, 1);
    EXPECT_EQ(View.Repaints, repaints + 1);
    EXPECT_EQ(Doc->ViewOrigin.Y, 679);
    ScrollHorz(*Doc, 100);
    EXPECT_EQ(View.Scrolls, 2);
    EXPECT_EQ(View.ScrollDx, 100);
    EXPECT_EQ(View.ScrollDy, 0);

    Doc->ViewOrigin = {5000, 100000};
    UpdatePageLayout(*Doc);
    EXPECT_EQ(Doc->ViewOrigin.X, Doc->ViewExtent.cx - View.ClientWidth);
    EXPECT_EQ(Doc->ViewOrigin.Y, Doc->ViewExtent.cy - View.ClientHeight);
}

// With mirrored margins the pages of odd index (even page numbers) have
// their left and right margins swapped.
TEST_F(PageGridTest, MirroredMargins)
{
    TPageParams params = Doc->Sections(0).PageParams;
    params[ppLeftMargin] = 1440;
    params[ppRightMargin] = 720;
    const TPageMargins plain = GetPageMargins(*Doc, params, 1);
    EXPECT_EQ(plain.LeftTwips, 1440);
    EXPECT_EQ(plain.LeftLayout, 96);
    EXPECT_EQ(plain.RightDevice, 48);
    params[ppReserved8] = 1;
    const TPageMargins even = GetPageMargins(*Doc, params, 0);
    const TPageMargins odd = GetPageMargins(*Doc, params, 1);
    EXPECT_EQ(even.LeftTwips, 1440);
    EXPECT_EQ(odd.LeftTwips, 720);
    EXPECT_EQ(odd.RightTwips, 1440);
    EXPECT_EQ(odd.LeftLayout, 48);
    EXPECT_EQ(odd.RightDevice, 96);
}

// Page sizes: every section's text height and width recomputed, the pages
// dropped; a paginated document's grid count follows its page count.
TEST_F(PageGridTest, PageExtents)
{
    Pages(2);
    EXPECT_EQ(Doc->PageGridCount, 3);
    TPageParams& p = Doc->Sections(0).PageParams;
    p[ppTopMargin] = 1440;
    p[ppBottomMargin] = 1440;
    p[ppLeftMargin] = 2000;
    Doc->RecalcPageExtents();
    EXPECT_EQ(p[ppReserved3], Doc->TwipsToLayout(16838 - 2880));
    EXPECT_EQ(p[ppTextWidth], 11905 - 2000 - 1417);
    EXPECT_TRUE(Doc->Pages().empty());
    EXPECT_FALSE(Doc->PaginationComplete);
    EXPECT_FALSE(Doc->Paragraphs(0).GetLaidOutFlag());
}
