// The document previewer.
#include "layout/print/DocPreviewer.h"

#include <algorithm>

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/EngineWorkBuffer.h"
#include "document/model/Page.h"
#include "document/model/Section.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "layout/PagePainter.h"
#include "layout/PaintSettings.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"
#include "platform/win/Windows.h"

namespace {

TPreviewLoader& PreviewLoader()
{
    static TPreviewLoader loader;
    return loader;
}

TColorPalette& Palette()
{
    TColorManager* colors = GetColorManager();
    if (!colors)
        throw EInternalError("Affichage impossible : aucun gestionnaire de couleurs");
    return colors->CurrentPalette();
}

// The largest preview made for a size the caller gives.
constexpr int32_t MaxPreviewSide = 8192;

}  // namespace

void SetPreviewLoader(TPreviewLoader loader)
{
    PreviewLoader() = std::move(loader);
}

TDocPreviewer::~TDocPreviewer()
{
    Unload();
}

void TDocPreviewer::Unload()
{
    FDocument.reset();
    FLoaded = false;
}

bool TDocPreviewer::LoadFromFile(const std::string& fileName, int32_t coding)
{
    Unload();
    if (!PreviewLoader())
        return false;
    auto document = std::make_unique<TDocument>(true);
    // A preview shows a fixed percentage and stays out of the list of open documents.
    document->IsPreview = 1;
    document->SuppressPaginationProgress = 1;
    bool ok = false;
    {
        // Another document may be in the middle of a load: its buffer is put aside.
        TEngineWorkBufferSwap swap;
        TDocumentHost& host = DocumentHost();
        host.PushStatus();
        try {
            ok = PreviewLoader()(*document, fileName, coding);
        } catch (...) {
            host.PopStatus();
            throw;
        }
        host.PopStatus();
    }
    if (!ok)
        return false;
    FDocument = std::move(document);
    FLoaded = true;
    return true;
}

void TDocPreviewer::Draw(const TSize* size, TBitmap& target)
{
    if (!FLoaded)
        return;
    TDocument& document = *FDocument;
    const int32_t layout = document.LayoutResolution() > 0 ? document.LayoutResolution() : 96;
    document.RebuildSectionRanges();
    const TPageParams& first = document.Sections(0).PageParams;
    int32_t width, height;
    if (size) {
        width = std::clamp<int32_t>(size->cx, 1, MaxPreviewSide);
        height = std::clamp<int32_t>(size->cy, 1, MaxPreviewSide);
        // The whole page fits the size less a border of 10.
        const int32_t pageW = std::max(1, first[ppPaperWidth] * layout / 1440);
        const int32_t pageH = std::max(1, first[ppPaperHeight] * layout / 1440);
        const int32_t zoom = std::max(1, std::min((width - 20) * 100 / pageW, (height - 20) * 100 / pageH));
        document.SetPrintScale(zoom, zoom);
    } else {
        document.SetZoom(100);
        // The page and a border, never more than the screen: the preview of
        // a very large page shows its top-left part.
        width = std::min(first[ppPaperWidthDevice] + 20, std::max(1, GetSystemMetrics(SM_CXSCREEN)));
        height = std::min(first[ppPaperHeightDevice] + 20, std::max(1, GetSystemMetrics(SM_CYSCREEN)));
    }
    target.SetPixelFormat(TPixelFormat::pf24bit);
    target.SetSize(width, height);
    HDC dc = target.Canvas().Handle();
    FillRect(dc, {0, 0, width, height}, Palette().Colors(4).GetBrush());
    document.Paginate(0, 0, 0);
    if (document.PageCount() == 0)
        return;
    TPage& page = *document.Pages()[0];
    const TPageParams& params = document.GetPageSectionOfPage(0).PageParams;
    const TRect rect = Bounds(10, 10, params[ppPaperWidthDevice], params[ppPaperHeightDevice]);
    FillRect(dc, rect, Palette().Colors(2).GetBrush());
    FrameRect(dc, {rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1}, Palette().Colors(5).GetBrush());
    SetBkMode(dc, TRANSPARENT);
    if (TFontManager* fonts = GetFontManager())
        fonts->Selected = 0;
    {
        TPaintModeScope plain(TPaintMode::Plain);
        PaintPage(page, dc, rect.Left, NotSet, rect.Top);
    }
    if (TFontManager* fonts = GetFontManager())
        fonts->Selected = 0;
}
