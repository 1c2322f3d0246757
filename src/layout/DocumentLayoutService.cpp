#include "layout/DocumentLayoutService.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "layout/PageGrid.h"
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

void TDocumentLayoutService::ReleaseDocument(TDocument& /*document*/)
{
    // Layout keeps no state of its own for a document: its pages and lines
    // are the document's.
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

void TDocumentLayoutService::RepaintRange(TDocument& document, const TTextRange& /*range*/)
{
    if (TDocumentView* view = document.View(); view && !document.SuppressRepaint)
        view->Repaint();
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
