#include "layout/DocumentLayoutService.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/model/ParReformatingManager.h"
#include "layout/CaretDisplay.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"
#include "layout/Pagination.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<TDocumentLayoutService> g_Service;
TDocumentLayout* g_Previous = nullptr;

}  // namespace

void TDocumentLayoutService::PaginateFrom(TDocument& document, int32_t firstPage, int32_t limit, int32_t runStart)
{
    ::Paginate(document, firstPage, limit, runStart);
}

void TDocumentLayoutService::PaginateAll(TDocument& document)
{
    ::PaginateAll(document);
}

void TDocumentLayoutService::FreePages(TDocument& document)
{
    ::FreePages(document);
}

void TDocumentLayoutService::RecalcPageExtents(TDocument& document)
{
    ::RecalcPageExtents(document);
}

void TDocumentLayoutService::SetViewMode(TDocument& document, uint8_t mode)
{
    ::SetViewMode(document, mode);
}

void TDocumentLayoutService::ReleaseDocument(TDocument& document)
{
    // Its pages and lines are the document's; layout keeps only the caret's
    // display state.
    ReleaseCaretDisplay(document);
    SetShownBlockSelection(document, nullptr);
}

void TDocumentLayoutService::UpdatePageLayout(TDocument& document)
{
    ::UpdatePageLayout(document);
}

int32_t TDocumentLayoutService::GetCurrentPage(TDocument& document)
{
    const int32_t count = std::max(document.PageCount(), document.PageGridCount);
    if (count <= 0)
        return -1;
    return std::min(::GetFirstVisiblePage(document), count - 1);
}

bool TDocumentLayoutService::GetPageRect(TDocument& document, int32_t page, TRect& rect)
{
    if (page < 0 || page >= std::max(document.PageCount(), document.PageGridCount))
        return false;
    rect = ::GetPageRect(document, page);
    return true;
}

void TDocumentLayoutService::RepaintRange(TDocument& document, const TTextRange& range)
{
    TDocumentView* view = document.View();
    if (!view || document.SuppressRepaint)
        return;
    // Only the window rectangles of the range's lines that the window shows
    // are painted again.
    const TRect client{0, 0, view->ClientWidth(), view->ClientHeight()};
    const int32_t first = std::max(range.Start.Paragraph, 0);
    const int32_t last = std::min(range.End.Paragraph, document.ParagraphCount() - 1);
    for (int32_t index = first; index <= last; ++index) {
        TParagraph& paragraph = document.Paragraphs(index);
        bool below = false;
        for (int32_t i = 0; i < paragraph.GetLineCount(); ++i) {
            const TParLine& line = paragraph.GetLine(i);
            if (index == range.Start.Paragraph && line.FirstChar + line.CharCount <= range.Start.Offset &&
                i + 1 < paragraph.GetLineCount())
                continue;
            if (index == range.End.Paragraph && line.FirstChar >= range.End.Offset && i > 0)
                break;
            const TRect rect = LineWindowRect(document, index, i);
            if (rect.Right <= rect.Left)
                continue;
            if (rect.Top >= client.Bottom && line.Column < 0) {
                below = true;
                break;
            }
            TRect meet{};
            if (IntersectRect(meet, rect, client))
                view->InvalidateArea(meet);
        }
        if (below && document.GetStoryOfParagraph(index) == stBody)
            break;
    }
    // A range that runs to the end of the body (the lines after an edit that
    // changed their places) also repaints what lies below the last line of
    // each visible page from the range's first page on: lines that moved up
    // left their old places empty there.
    if (first > last || document.GetStoryOfParagraph(first) != stBody || last < document.StoryLast(stBody) ||
        range.End.Offset < document.Paragraphs(last).GetCharCount())
        return;
    TParagraph& start = document.Paragraphs(first);
    int32_t firstPage = -1;
    for (int32_t i = 0; i < start.GetLineCount() && firstPage < 0; ++i)
        if (const TParLine& line = start.GetLine(i); line.Page)
            firstPage = line.Page->Index;
    if (firstPage < 0)
        return;
    const int32_t lastPage = std::min(::GetLastVisiblePage(document), document.PageCount() - 1);
    for (int32_t index = std::max(firstPage, ::GetFirstVisiblePage(document)); index <= lastPage; ++index) {
        TPage& page = *document.Pages()[static_cast<size_t>(index)];
        TRect pageRect = page.Rect;
        OffsetRect(pageRect, -document.ViewOrigin.X, -document.ViewOrigin.Y);
        const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
        int32_t top = pageRect.Top + document.TwipsToDeviceY(params[ppTopMargin]);
        if (TLayoutLine* line = AsLayoutLine(page.LastBodyLine())) {
            int32_t height = line->GetPageHeight();
            if (line->Overlap && line->Column < 0)
                height += height * 15 / 100;
            top = pageRect.Top + document.ApplyZoom(line->Top) + height;
            // Lines of other columns may end lower: their column's area
            // keeps them; the area under the whole width starts below the
            // lowest of them.
            for (TParLine* other : page.Lines)
                if (TLayoutLine* laid = AsLayoutLine(other); laid && laid->Column >= 0 && laid != line)
                    top = std::max(top, pageRect.Top + document.ApplyZoom(laid->Top) + laid->GetPageHeight());
        }
        const int32_t bottom =
            pageRect.Bottom - std::min(document.TwipsToDeviceY(params[ppBottomMargin]), pageRect.Height());
        TRect vacated{pageRect.Left, top, pageRect.Right, bottom};
        TRect meet{};
        if (vacated.Bottom > vacated.Top && IntersectRect(meet, vacated, client))
            view->InvalidateArea(meet);
    }
}

void TDocumentLayoutService::UpdateCaret(TDocument& document)
{
    if (document.ParagraphCount() == 0)
        return;
    UpdateCaretShape(document);
    UpdateCaretGeometry(document);
    if (TDocumentView* view = document.View())
        view->RecreateCaret();
}

bool TDocumentLayoutService::ScrollToCaret(TDocument& document, int32_t marginPercent)
{
    return ::ScrollToCaret(document, marginPercent > 0 ? 2 : 0);
}

void TDocumentLayoutService::Paginate(TDocument& document, int32_t firstPage, int32_t lastPage)
{
    // The paragraphs waiting in the re-layout queue first: pagination must
    // start early enough for all of them.
    TUpdateRange merged;
    if (document.ReformatingManager().ReformatQueued(merged)) {
        if (merged.IsFull()) {
            firstPage = 0;
        } else if (merged.FirstParagraph != NotSet) {
            const int32_t page = merged.FirstPage == NotSet ? 0 : std::max(merged.FirstPage - 1, 0);
            firstPage = std::min(firstPage, page);
        }
    }
    const int32_t limit = lastPage < 0 ? std::numeric_limits<int32_t>::max() : lastPage;
    ::Paginate(document, firstPage, limit, firstPage);
}

int32_t TDocumentLayoutService::GetFirstVisiblePage(TDocument& document)
{
    return ::GetFirstVisiblePage(document);
}

int32_t TDocumentLayoutService::GetLastVisiblePage(TDocument& document)
{
    return ::GetLastVisiblePage(document);
}

bool TDocumentLayoutService::IsPositionVisible(TDocument& document, const TTextPosition& position)
{
    const TDocumentView* view = document.View();
    if (!view || position.Paragraph < 0 || position.Paragraph >= document.ParagraphCount())
        return false;
    const TParagraph& paragraph = document.Paragraphs(position.Paragraph);
    if (paragraph.GetLineCount() == 0)
        return false;
    const TParLine& line = paragraph.GetLine(paragraph.FindLineOfChar(position.Offset, 0, false));
    if (!line.Page)
        return false;
    // The line's place on its page, from layout units to the view's.
    const TRect rect = ::GetPageRect(document, line.Page->Index);
    const TPageParams& params = document.GetPageSectionOf(line.Page->GetSection()).PageParams;
    const int64_t layoutHeight = std::max(params[ppPaperHeightLayout], 1);
    const int64_t deviceHeight = params[ppPaperHeightDevice];
    const int64_t top = rect.Top + static_cast<int64_t>(line.Top) * deviceHeight / layoutHeight;
    const int64_t bottom = rect.Top + (static_cast<int64_t>(line.Top) + line.Height) * deviceHeight / layoutHeight;
    const int64_t viewTop = document.ViewOrigin.Y;
    const int64_t viewBottom = viewTop + view->ClientHeight();
    const int64_t viewLeft = document.ViewOrigin.X;
    const int64_t viewRight = viewLeft + view->ClientWidth();
    return top >= viewTop && bottom <= viewBottom && rect.Right > viewLeft && rect.Left < viewRight;
}

void CreateDocumentLayout()
{
    if (g_Service)
        return;
    g_Service = std::make_unique<TDocumentLayoutService>();
    g_Previous = SetDocumentLayout(g_Service.get());
}

void FreeDocumentLayout()
{
    if (!g_Service)
        return;
    SetDocumentLayout(g_Previous);
    g_Previous = nullptr;
    g_Service.reset();
}
