#pragma once
// The page grid of a document's view: the pages stand in equal cells, each
// the size of the largest page of the document, 10 units apart and centred
// in the view; which pages the window shows; scrolling; the page sizes that
// layout reads from the sections; the mirrored margins; and the operations on
// the whole page list (paginate the rest, drop all pages). The document
// window calls these when it is resized, scrolled or zoomed; painting reads
// the page rectangles and the visible page range.
//
// All grid values are device units of the view (pixels at the zoom).
#include "platform/win/Geometry.h"

#include <cstdint>

class TDocument;
struct TPageParams;

// View modes that change the grid: one page across (2, 3), two pages across
// with the first page on the right (4).
constexpr uint8_t vmOnePage = 2;
constexpr uint8_t vmWholePage = 3;
constexpr uint8_t vmTwoPages = 4;

// Distance between two cells of the grid.
constexpr int32_t PageGap = 10;

// Recomputes pages across, rows, the view extent, every page's rectangle, the
// scroll origin (kept within the extent) and the scroll bars. Nothing for a
// document without a view.
void UpdatePageLayout(TDocument& document);
// Stores the mode; recomputes and applies the zoom when it or the mode changed.
void SetViewMode(TDocument& document, uint8_t mode);
// Scrolls the view to a new origin: by moving the window's content when the
// distance is below 0.85 of the window, else by painting the whole view.
void ScrollVert(TDocument& document, int32_t y);
void ScrollHorz(TDocument& document, int32_t x);
// Every section's text height (page parameter 3, layout units) and text width
// (value 22, twips) recomputed with the largest page; every page dropped.
void RecalcPageExtents(TDocument& document);

// The left and right margins of a page, in twips, layout units and device
// units; swapped on pages of odd index (even page numbers) when the margins
// are mirrored.
struct TPageMargins {
    int32_t LeftTwips = 0;
    int32_t RightTwips = 0;
    int32_t LeftLayout = 0;
    int32_t RightLayout = 0;
    int32_t LeftDevice = 0;
    int32_t RightDevice = 0;
};
TPageMargins GetPageMargins(const TDocument& document, const TPageParams& params, int32_t pageIndex);

// The range of page indices the window shows.
int32_t GetFirstVisiblePage(const TDocument& document);
int32_t GetLastVisiblePage(const TDocument& document);
// The cell of a page index in the grid.
TRect CalcPageRect(const TDocument& document, int32_t page);
// The stored rectangle of an existing page, else its cell.
TRect GetPageRect(const TDocument& document, int32_t page);
// Centres a cell rectangle on the page's own size.
void CenterPageRect(TDocument& document, int32_t page, TRect& rect);

// Unless pagination is complete, paginates from the page count to the end of
// the text, the status bar saved before and restored after.
void PaginateAll(TDocument& document);
// Drops the lines of every paragraph, frees every page and empties the list.
void FreePages(TDocument& document);
