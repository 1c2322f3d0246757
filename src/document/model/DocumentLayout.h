#pragma once
// What a document asks of layout beyond laying out single paragraphs (see
// ParLine.h): its pages, their place in the view, and painting. Layout lies
// above the document model and installs this service at start-up. Without it
// a document has no page grid and no pages: nothing is painted and nothing
// needs to be kept in place when the zoom changes.
#include "document/model/TextPosition.h"
#include "platform/win/Geometry.h"

#include <cstdint>

class TDocument;

class TDocumentLayout {
public:
    virtual ~TDocumentLayout() = default;
    // Pagination and the page grid as the document's own operations give
    // them (Document.h): rebuilds the pages from firstPage until the page
    // of index limit exists or the body ends (runStart: the first page of
    // the whole run, for its progress display); the rest of the body;
    // every page dropped with the paragraphs' lines; the page sizes
    // recomputed; the view mode changed. Without pagination (the defaults)
    // a document keeps no pages.
    virtual void PaginateFrom(TDocument& /*document*/, int32_t /*firstPage*/, int32_t /*limit*/,
                              int32_t /*runStart*/) {}
    virtual void PaginateAll(TDocument& /*document*/) {}
    virtual void FreePages(TDocument& /*document*/) {}
    virtual void RecalcPageExtents(TDocument& /*document*/) {}
    virtual void SetViewMode(TDocument& /*document*/, uint8_t /*mode*/) {}
    // Releases layout's state of a document being freed.
    virtual void ReleaseDocument(TDocument& document) = 0;
    // Recomputes the page grid and the view extent after a change of zoom,
    // view mode or page size.
    virtual void UpdatePageLayout(TDocument& document) = 0;
    // The page under the top of the view; -1 when there is none.
    virtual int32_t GetCurrentPage(TDocument& document) = 0;
    // A page's rectangle in view coordinates; false when it does not exist.
    virtual bool GetPageRect(TDocument& document, int32_t page, TRect& rect) = 0;
    // Draws again, at once, the laid-out lines of the visible pages that the
    // range covers.
    virtual void RepaintRange(TDocument& document, const TTextRange& range) = 0;

    // What the undo manager asks after an edit. Without pagination (the
    // defaults) a document keeps no pages and has no caret geometry.
    //
    // Lays out the paragraphs waiting in the re-layout queue and rebuilds the
    // page list from page firstPage to page lastPage (-1: to the end).
    virtual void Paginate(TDocument& /*document*/, int32_t /*firstPage*/, int32_t /*lastPage*/) {}
    // Completes the caret's line, page and coordinates from its paragraph and
    // offset, and gives the window's caret its shape and place.
    virtual void UpdateCaret(TDocument& /*document*/) {}
    // Scrolls the view so that the caret shows, keeping a margin of that
    // percentage of the window; true when it scrolled.
    virtual bool ScrollToCaret(TDocument& /*document*/, int32_t /*marginPercent*/) { return false; }
    // True when the line that holds the position lies wholly within the
    // window. Without pages or a window nothing is visible.
    virtual bool IsPositionVisible(TDocument& /*document*/, const TTextPosition& /*position*/) { return false; }
    // The first and last page visible in the window; -1 when none.
    virtual int32_t GetFirstVisiblePage(TDocument& /*document*/) { return -1; }
    virtual int32_t GetLastVisiblePage(TDocument& /*document*/) { return -1; }
};

// The program's document layout service (nullptr: none); returns the previous one.
TDocumentLayout* SetDocumentLayout(TDocumentLayout* layout);
TDocumentLayout* GetDocumentLayout();
