#include "layout/PageGrid.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "layout/Pagination.h"

#include <algorithm>
#include <limits>

namespace {

int32_t Clamp32(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The grid counts one cell more in two-page mode: page i stands in cell i + 1.
int32_t GridShift(const TDocument& document)
{
    return document.ViewMode == vmTwoPages ? 1 : 0;
}

}  // namespace

void UpdatePageLayout(TDocument& document)
{
    TDocumentView* view = document.View();
    if (!view)
        return;
    const TLargestPage& largest = document.LargestPage();
    const int64_t W = largest.WidthDevice;
    const int64_t H = largest.HeightDevice;
    const int64_t clientWidth = view->ClientWidth();
    const int64_t clientHeight = view->ClientHeight();
    const int64_t count = std::max<int64_t>(document.PageGridCount, 0) + GridShift(document);

    // Pages across.
    int64_t across;
    if (document.ViewMode == vmOnePage || document.ViewMode == vmWholePage)
        across = 1;
    else if (document.ViewMode == vmTwoPages)
        across = 2;
    else
        across = std::max<int64_t>((clientWidth - PageGap) / (W + PageGap), 0);
    across = std::min(across, count);
    int64_t extentWidth;
    if (across <= 0) {
        across = 1;
        extentWidth = W + 2 * PageGap;
    } else {
        extentWidth = std::max((W + PageGap) * across + PageGap, clientWidth);
    }
    const int64_t rows = std::max<int64_t>((count + across - 1) / across, 1);
    const int64_t extentHeight = (H + PageGap) * rows + PageGap;
    document.PagesAcross = Clamp32(across);
    document.PageRows = Clamp32(rows);
    document.ViewExtent = {Clamp32(std::max(extentWidth, clientWidth)), Clamp32(std::max(extentHeight, clientHeight))};

    // Every page in its cell, centred on its own size.
    for (const auto& page : document.Pages()) {
        TRect rect = CalcPageRect(document, page->Index);
        CenterPageRect(document, page->Index, rect);
        page->Rect = rect;
    }

    // The origin pulled back within the extent.
    TPoint origin = document.ViewOrigin;
    origin.X = Clamp32(std::max<int64_t>(std::min<int64_t>(origin.X, document.ViewExtent.cx - clientWidth), 0));
    origin.Y = Clamp32(std::max<int64_t>(std::min<int64_t>(origin.Y, document.ViewExtent.cy - clientHeight), 0));
    if (origin != document.ViewOrigin) {
        document.ViewOrigin = origin;
        view->SetScrollPositions(origin.X, origin.Y);
    }

    // The scroll bars.
    const bool pageSteps = document.ViewMode == vmWholePage || document.ViewMode == vmTwoPages;
    view->SetScrollRanges(document.ViewExtent.cx, Clamp32(clientWidth * 9 / 10), document.ViewExtent.cy,
                          Clamp32(pageSteps ? H + PageGap : clientHeight * 9 / 10));
}

void SetViewMode(TDocument& document, uint8_t mode)
{
    const bool changed = document.ViewMode != mode;
    document.ViewMode = mode;
    const int32_t zoom = document.CalcZoom();
    if (changed || zoom != document.Zoom())
        document.SetZoom(zoom);
}

namespace {

void Scroll(TDocument& document, int32_t target, bool vertical)
{
    TDocumentView* view = document.View();
    TPoint origin = document.ViewOrigin;
    int32_t& coordinate = vertical ? origin.Y : origin.X;
    const int64_t distance = static_cast<int64_t>(target) - coordinate;
    coordinate = target;
    if (!view) {
        document.ViewOrigin = origin;
        return;
    }
    view->HideCaret();
    const int64_t client = vertical ? view->ClientHeight() : view->ClientWidth();
    if (std::abs(distance) * 100 >= client * 85) {
        document.ViewOrigin = origin;
        view->SetScrollPositions(origin.X, origin.Y);
        if (!document.SuppressRepaint)
            view->Repaint();
    } else if (distance != 0) {
        view->ScrollContent(vertical ? 0 : static_cast<int32_t>(distance), vertical ? static_cast<int32_t>(distance) : 0);
        document.ViewOrigin = origin;
        view->SetScrollPositions(origin.X, origin.Y);
    }
    view->ShowCaret();
}

}  // namespace

void ScrollVert(TDocument& document, int32_t y)
{
    Scroll(document, y, true);
}

void ScrollHorz(TDocument& document, int32_t x)
{
    Scroll(document, x, false);
}

void RecalcPageExtents(TDocument& document)
{
    document.UpdateSectionDeviceSizes();
    for (int32_t i = 0; i < document.SectionCount(); ++i) {
        TPageParams& p = document.Sections(i).PageParams;
        p[ppReserved3] = TextHeightLayout(document, p);
        p[ppTextWidth] = Clamp32(static_cast<int64_t>(p[ppPaperWidth]) - p[ppLeftMargin] - p[ppRightMargin]);
    }
    document.CalcMaxPageSize();
    FreePages(document);
    document.PaginationComplete = 0;
}

TPageMargins GetPageMargins(const TDocument& document, const TPageParams& params, int32_t pageIndex)
{
    TPageMargins m;
    m.LeftTwips = params[ppLeftMargin];
    m.RightTwips = params[ppRightMargin];
    m.LeftLayout = document.TwipsToLayout(m.LeftTwips);
    m.RightLayout = document.TwipsToLayout(m.RightTwips);
    m.LeftDevice = document.TwipsToDeviceX(m.LeftTwips);
    m.RightDevice = document.TwipsToDeviceX(m.RightTwips);
    if (HasMirroredMargins(params) && pageIndex % 2 != 0) {
        std::swap(m.LeftTwips, m.RightTwips);
        std::swap(m.LeftLayout, m.RightLayout);
        std::swap(m.LeftDevice, m.RightDevice);
    }
    return m;
}

int32_t GetFirstVisiblePage(const TDocument& document)
{
    const int64_t cell = static_cast<int64_t>(document.LargestPage().HeightDevice) + PageGap;
    const int64_t y = document.ViewOrigin.Y;
    int64_t first = y / cell;
    if (first > 0 && y % cell < 6)
        --first;
    return Clamp32(std::max<int64_t>(0, first * document.PagesAcross - GridShift(document)));
}

int32_t GetLastVisiblePage(const TDocument& document)
{
    const int64_t cell = static_cast<int64_t>(document.LargestPage().HeightDevice) + PageGap;
    const int64_t clientHeight = document.View() ? document.View()->ClientHeight() : 0;
    const int64_t bottom = static_cast<int64_t>(document.ViewOrigin.Y) + clientHeight;
    return Clamp32(std::max<int64_t>(0, (bottom / cell + 1) * document.PagesAcross - 1 - GridShift(document)));
}

TRect CalcPageRect(const TDocument& document, int32_t page)
{
    const int64_t W = document.LargestPage().WidthDevice;
    const int64_t H = document.LargestPage().HeightDevice;
    const int64_t across = std::max(document.PagesAcross, 1);
    const int64_t rows = std::max(document.PageRows, 1);
    const int64_t cell = static_cast<int64_t>(page) + GridShift(document);
    const int64_t row = cell / across;
    const int64_t column = cell % across;
    const int64_t top = row * (H + PageGap) + (document.ViewExtent.cy - (H + PageGap) * (rows - 1) - H) / 2;
    const int64_t left = column * (W + PageGap) + (document.ViewExtent.cx - (W + PageGap) * (across - 1) - W) / 2;
    return {Clamp32(left), Clamp32(top), Clamp32(left + W), Clamp32(top + H)};
}

TRect GetPageRect(const TDocument& document, int32_t page)
{
    if (page >= 0 && page < document.PageCount())
        return document.Pages()[static_cast<size_t>(page)]->Rect;
    return CalcPageRect(document, page);
}

void CenterPageRect(TDocument& document, int32_t page, TRect& rect)
{
    const TSection& section = page >= 0 && page < document.PageCount()
                                  ? document.Pages()[static_cast<size_t>(page)]->GetSection()
                                  : document.GetPageSectionOfPage(page);
    const TPageParams& params = document.GetPageSectionOf(section).PageParams;
    const int32_t width = params[ppPaperWidthDevice];
    const int32_t height = params[ppPaperHeightDevice];
    rect.Left += (rect.Width() - width) / 2;
    rect.Right = rect.Left + width;
    rect.Top += (rect.Height() - height) / 2;
    rect.Bottom = rect.Top + height;
}

void PaginateAll(TDocument& document)
{
    if (document.PaginationComplete)
        return;
    TDocumentHost& host = DocumentHost();
    host.PushStatus();
    try {
        const int32_t count = document.PageCount();
        Paginate(document, count, std::numeric_limits<int32_t>::max(), count);
    } catch (...) {
        host.PopStatus();
        throw;
    }
    host.PopStatus();
}

void FreePages(TDocument& document)
{
    document.InvalidateAllParagraphs();
    document.ClearPageList();
    document.PaginationComplete = 0;
}
