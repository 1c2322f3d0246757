#include "docwindow/DocumentFormSupport.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "formats/DocumentFile.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"
#include "platform/gdi/Gdi.h"

bool DocumentModified(const TDocument& document)
{
    return document.IsModified();
}

void PaintDocumentInWindow(TDocument& document, HWND window, int32_t clientWidth, int32_t clientHeight)
{
    // The painter clips to the document's update region: the window's.
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(window, update, false);
    CombineRgn(document.UpdateRegion(), update, nullptr, RGN_COPY);
    DeleteObject(update);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
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

bool SaveDocument(TDocument& document, const std::string& newFileName)
{
    if (!newFileName.empty()) {
        document.FileName = newFileName;
        document.Format = ciRtf;
    }
    TDocWriteParams params;
    params.Coding = document.Format;
    return WriteToFile(document, params) == wrWritten;
}
