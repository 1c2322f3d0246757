#include "docwindow/DocumentFormSupport.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"
#include "platform/gdi/Gdi.h"

namespace {

// The operation kind of the header and footer command.
constexpr uint8_t HeaderFooterOperationKind = 54;

}  // namespace

bool DocumentChangedOnlyByHeaderFooterCommand(const TDocument& document)
{
    const TOperationManager& undo = document.UndoManager();
    return undo.Count() == 1 && undo.Operations(0).Kind == HeaderFooterOperationKind;
}

void PaintDocumentInWindow(TDocument& document, HWND window, int32_t clientWidth, int32_t clientHeight,
                           TPoint origin)
{
    // The painter clips to the document's update region: the window's, in
    // the coordinates of the document view (which starts at origin, beside
    // the rulers).
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(window, update, false);
    if (origin.X != 0 || origin.Y != 0)
        OffsetRgn(update, -origin.X, -origin.Y);
    CombineRgn(document.UpdateRegion(), update, nullptr, RGN_COPY);
    DeleteObject(update);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (origin.X != 0 || origin.Y != 0)
        SetViewportOrgEx(dc, origin.X, origin.Y);
    PaintDocument(document, dc, clientWidth, clientHeight);
    EndPaint(window, &ps);
}

void RelayoutDocumentWindow(TDocument& document)
{
    if (document.View() && document.PageCount() > 0) {
        UpdatePageLayout(document);
        document.View()->Repaint();
    }
}
