#pragma once
// The layout's service to the document model for whole documents: pagination,
// the page grid and the pages' rectangles, and the re-layout queue's drain
// before a re-pagination. Created and installed at start-up, removed and
// freed at shutdown.
#include "document/model/DocumentLayout.h"

class TDocumentLayoutService : public TDocumentLayout {
public:
    void PaginateFrom(TDocument& document, int32_t firstPage, int32_t limit, int32_t runStart) override;
    void PaginateAll(TDocument& document) override;
    void FreePages(TDocument& document) override;
    void RecalcPageExtents(TDocument& document) override;
    void SetViewMode(TDocument& document, uint8_t mode) override;
    void ReleaseDocument(TDocument& document) override;
    void UpdatePageLayout(TDocument& document) override;
    int32_t GetCurrentPage(TDocument& document) override;
    bool GetPageRect(TDocument& document, int32_t page, TRect& rect) override;
    // Invalidates the window rectangles of the visible lines of the range.
    void RepaintRange(TDocument& document, const TTextRange& range) override;
    void UpdateCaret(TDocument& document) override;
    bool ScrollToCaret(TDocument& document, int32_t marginPercent) override;
    void Paginate(TDocument& document, int32_t firstPage, int32_t lastPage) override;
    int32_t GetFirstVisiblePage(TDocument& document) override;
    int32_t GetLastVisiblePage(TDocument& document) override;
    bool IsPositionVisible(TDocument& document, const TTextPosition& position) override;
};

// Installs the program-wide service (once); FreeDocumentLayout removes it.
void CreateDocumentLayout();
void FreeDocumentLayout();
