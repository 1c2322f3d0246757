// TDocument: its pages. Pagination and the page grid belong to layout, which
// lies above the document model and installs its service at start-up; these
// operations hand over to it.
#include "document/model/Document.h"

#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {

TDocumentLayout& Layout()
{
    TDocumentLayout* layout = GetDocumentLayout();
    if (!layout)
        throw EInternalError("Aucun service de mise en page n'est disponible");
    return *layout;
}

}  // namespace

void TDocument::Paginate(int32_t firstPage, int32_t limit, int32_t runStart)
{
    Layout().PaginateFrom(*this, firstPage, limit, runStart);
}

void TDocument::PaginateAll()
{
    Layout().PaginateAll(*this);
}

void TDocument::ClearPageList()
{
    FPages.clear();
}

void TDocument::FreePages()
{
    Layout().FreePages(*this);
}

void TDocument::InvalidateAllParagraphs()
{
    for (const auto& paragraph : FParagraphs)
        paragraph->Invalidate(false, 0);
}

void TDocument::RecalcPageExtents()
{
    Layout().RecalcPageExtents(*this);
}

void TDocument::SetViewMode(uint8_t mode)
{
    Layout().SetViewMode(*this, mode);
}

int32_t TDocument::GetFirstVisiblePage()
{
    TDocumentLayout* layout = GetDocumentLayout();
    return layout ? std::max(layout->GetFirstVisiblePage(*this), 0) : 0;
}

int32_t TDocument::GetLastVisiblePage()
{
    TDocumentLayout* layout = GetDocumentLayout();
    return layout ? std::max(layout->GetLastVisiblePage(*this), 0) : 0;
}

bool TDocument::IsViewBusy() const
{
    return FView && FView->IsBusy();
}
