#include "layout/PagePainter.h"

#include "document/fields/Field.h"
#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/NotSet.h"
#include "foundation/drawing/DrawingHelpers.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "layout/PageGrid.h"
#include "layout/PaintSettings.h"
#include "platform/framework/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <vector>

TPaintSettings& PaintSettings()
{
    static TPaintSettings settings;
    return settings;
}

TPaintFlags& PaintFlags()
{
    static TPaintFlags flags;
    return flags;
}

namespace {

TColorPalette& Palette()
{
    TColorManager* colors = GetColorManager();
    if (!colors)
        throw EInternalError("Affichage impossible : aucun gestionnaire de couleurs");
    return colors->CurrentPalette();
}

bool IsHeaderFooterRange(const TPage& page, const TParLine* line)
{
    if (!line)
        return true;
    int32_t slot = 0;
    for (const TParagraphOnPageInfo& range : page.Ranges) {
        const int32_t count = range.LineCount();
        if (line->PageIndex >= slot && line->PageIndex < slot + count)
            return range.HeaderFooter != 0;
        slot += count;
    }
    return false;
}

// The page's window rectangle (view rectangle less the view origin).
TRect PageWindowRect(const TDocument& document, const TPage& page)
{
    TRect rect = page.Rect;
    OffsetRect(rect, -document.ViewOrigin.X, -document.ViewOrigin.Y);
    return rect;
}

bool MeetsUpdateRegion(const TDocument& document, const TRect& rect)
{
    if (PaintFlags().Mode != TPaintMode::Screen)
        return true;
    HRGN region = document.UpdateRegion();
    return !region || RectInRegion(region, rect);
}

// Paints the lines of the page's header and footer ranges that stand on it.
void PaintHeaderFooterLines(TPage& page, HDC dc, int32_t x, int32_t y)
{
    TDocument& document = *page.GetDocument();
    const bool screen = PaintFlags().Mode == TPaintMode::Screen;
    int32_t slot = 0;
    for (const TParagraphOnPageInfo& range : page.Ranges) {
        const int32_t count = range.LineCount();
        if (range.HeaderFooter) {
            for (int32_t s = slot; s < slot + count; ++s) {
                TLayoutLine* line = AsLayoutLine(page.LineAt(s));
                if (!line || line->Height == 0)
                    continue;
                const TRect rect{x, y + document.ApplyZoom(line->Top), x + page.Rect.Width(),
                                 y + document.ApplyZoom(line->Top) + line->GetPageHeight()};
                if (screen && !MeetsUpdateRegion(document, rect))
                    continue;
                PaintLine(*line, dc, x, y);
            }
        }
        slot += count;
    }
}

// The header or footer of the page: laid out for this page, painted, and
// taken off again, unless it is the range being edited on this page.
void PaintHeaderFooter(TPage& page, TField* range, HDC dc, int32_t x, int32_t y, TRect* frameRect = nullptr)
{
    if (!range)
        return;
    TDocument& document = *page.GetDocument();
    const bool editedHere = document.EditedHeaderFooter && document.EditedHeaderFooterPage == page.Index;
    // In header and footer editing the area is framed with dashes.
    auto frame = [&] {
        TRect rect{};
        if (PaintFlags().Mode == TPaintMode::Screen && document.EditedHeaderFooter &&
            HeaderFooterFrameRect(page, range == page.Footer, rect)) {
            DrawHeaderFooterFrame(dc, rect, x, y);
            if (frameRect)
                *frameRect = rect;
        }
    };
    if (editedHere && document.EditedHeaderFooter == range) {
        PaintHeaderFooterLines(page, dc, x, y);
        frame();
        return;
    }
    page.LayoutHeaderFooter(range);
    try {
        PaintHeaderFooterLines(page, dc, x, y);
        frame();
    } catch (...) {
        page.RemoveHeaderFooter();
        throw;
    }
    page.RemoveHeaderFooter();
    if (editedHere)
        page.LayoutHeaderFooter(document.EditedHeaderFooter);
}

// The margin guides of a page: dotted lines along the text area's edges.
void PaintMarginGuides(TDocument& document, TPage& page, HDC dc, int32_t x, int32_t y)
{
    const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
    const TPageMargins margins = GetPageMargins(document, params, page.Index);
    const int32_t width = params[ppPaperWidthDevice];
    const int32_t height = params[ppPaperHeightDevice];
    const int32_t left = x + margins.LeftDevice - 1;
    const int32_t right = x + width - margins.RightDevice;
    const int32_t top = y + document.TwipsToDeviceY(params[ppTopMargin]) - 1;
    const int32_t bottom = y + height - document.TwipsToDeviceY(params[ppBottomMargin]);
    const COLORREF guide = static_cast<COLORREF>(Palette().Colors(3).Color());
    const COLORREF back = static_cast<COLORREF>(Palette().Colors(2).Color());
    auto colour = [&](int32_t i) { return MarginGuideColor(i, guide, back); };
    for (int32_t px = left; px <= right; ++px) {
        SetPixelV(dc, px, top, colour(px - x));
        SetPixelV(dc, px, bottom, colour(px - x));
    }
    for (int32_t py = top; py <= bottom; ++py) {
        SetPixelV(dc, left, py, colour(py - y));
        SetPixelV(dc, right, py, colour(py - y));
    }
}


// The lines between columns over the whole height that each section with
// such lines takes on the page (the lines' own bands draw their parts
// again; this covers the rows of a column that holds no line there).
void PaintColumnSeparators(TDocument& document, TPage& page, HDC dc, int32_t x, int32_t y)
{
    struct TExtent {
        const TSection* Section;
        int32_t Top;
        int32_t Bottom;
    };
    std::vector<TExtent> extents;
    for (int32_t slot = 0; slot < static_cast<int32_t>(page.Lines.size()); ++slot) {
        TLayoutLine* line = AsLayoutLine(page.LineAt(slot));
        if (!line || line->Column < 0 || IsHeaderFooterRange(page, line))
            continue;
        const TSection& section = document.GetSectionOfParagraph(line->Paragraph().Index);
        if (!section.LineBetweenColumns || section.Settings.UsableColumnCount() < 2)
            continue;
        const int32_t top = document.ApplyZoom(line->Top);
        const int32_t bottom = top + line->GetPageHeight();
        if (extents.empty() || extents.back().Section != &section) {
            extents.push_back({&section, top, bottom});
        } else {
            extents.back().Top = std::min(extents.back().Top, top);
            extents.back().Bottom = std::max(extents.back().Bottom, bottom);
        }
    }
    if (extents.empty())
        return;
    const bool screen = PaintFlags().Mode == TPaintMode::Screen;
    const int32_t width = screen ? 1 : std::max(1, document.TwipsToDeviceX(20));
    const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
    const TPageMargins margins = GetPageMargins(document, params, page.Index);
    HBRUSH brush = Palette().Colors(0).GetBrush();
    for (const TExtent& extent : extents) {
        for (int32_t column = 1; column < extent.Section->Settings.UsableColumnCount(); ++column) {
            const int32_t left = x + margins.LeftDevice +
                                 document.TwipsToDeviceX(extent.Section->GetColumnGeometry(column).LeftBoundary) -
                                 width / 2;
            FillRect(dc, TRect{left, y + extent.Top, left + width, y + extent.Bottom}, brush);
        }
    }
}

}  // namespace

COLORREF MarginGuideColor(int32_t coordinate, COLORREF guide, COLORREF background)
{
    const int32_t phase = ((coordinate % 5) + 5) % 5;
    return phase == 0 || phase == 2 ? guide : background;
}

bool HeaderFooterFrameRect(TPage& page, bool footer, TRect& rect)
{
    TDocument& document = *page.GetDocument();
    const TField* range = footer ? page.Footer : page.Header;
    if (!range)
        return false;
    int32_t top = INT32_MAX;
    int32_t bottom = INT32_MIN;
    int32_t slot = 0;
    for (const TParagraphOnPageInfo& info : page.Ranges) {
        const int32_t count = info.LineCount();
        if (info.HeaderFooter) {
            for (int32_t s = slot; s < slot + count; ++s) {
                TLayoutLine* line = AsLayoutLine(page.LineAt(s));
                if (!line || line->Height == 0)
                    continue;
                const int32_t index = line->Paragraph().Index;
                if (index < range->Range.Start.Paragraph || index > range->Range.End.Paragraph)
                    continue;
                top = std::min(top, document.ApplyZoom(line->Top));
                bottom = std::max(bottom, document.ApplyZoom(line->Top + line->Height));
            }
        }
        slot += count;
    }
    if (top >= bottom)
        return false;
    const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
    const TPageMargins margins = GetPageMargins(document, params, page.Index);
    rect = {margins.LeftDevice - 1, top, params[ppPaperWidthDevice] - margins.RightDevice + 1, bottom};
    return true;
}

void DrawHeaderFooterFrame(HDC dc, const TRect& frame, int32_t dx, int32_t dy)
{
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Brush().SetColor(static_cast<TColor>(Palette().Colors(0).Color()));
    DrawDashedFrame(canvas, frame.Left + dx, frame.Top + dy, frame.Right + dx, frame.Bottom + dy);
    canvas.SetHandle(nullptr);
}

std::string HeaderFooterCaption(TDocument& document, const TPage& page, bool footer, bool* inherited)
{
    const TSection& section = page.GetSection();
    const TPageParams& params = document.GetPageSectionOf(section).PageParams;
    const bool first = page.Index == 0 ||
                       &document.Pages()[static_cast<size_t>(page.Index) - 1]->GetSection() != &section;
    std::string caption;
    if (HasTitlePage(params) && first)
        caption = footer ? "Pied de première page" : "En-tête de première page";
    else if (HasOddEvenHeaders(params))
        caption = (page.Index + 1) % 2 == 1 ? (footer ? "Pied de page impaire" : "En-tête de page impaire")
                                            : (footer ? "Pied de page paire" : "En-tête de page paire");
    else
        caption = footer ? "Pied de page" : "En-tête";
    if (document.SectionCount() > 1)
        caption += " de section " + std::to_string(document.IndexOfSection(&section) + 1);
    if (inherited) {
        const TField* shown = footer ? page.Footer : page.Header;
        *inherited = shown && std::find(std::begin(section.HeadersFooters), std::end(section.HeadersFooters), shown) ==
                                  std::end(section.HeadersFooters);
    }
    return caption;
}

void PaintPage(TPage& page, HDC dc, int32_t x, int32_t firstParagraph, int32_t y)
{
    TDocument& document = *page.GetDocument();
    TPaintFlags& flags = PaintFlags();
    const bool screen = flags.Mode == TPaintMode::Screen;
    const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
    const int32_t width = params[ppPaperWidthDevice];
    const int32_t height = params[ppPaperHeightDevice];
    const TRect pageRect{x, y, x + width, y + height};

    int saved = 0;
    if (screen) {
        saved = SaveDC(dc);
        HRGN clip = CreateRectRgnIndirect(pageRect);
        if (HRGN update = document.UpdateRegion())
            CombineRgn(clip, clip, update, RGN_AND);
        ExtSelectClipRgn(dc, clip, RGN_AND);
        DeleteObject(clip);
        // The page background; the lines compose their own bands over it.
        FillRect(dc, pageRect, Palette().Colors(2).GetBrush());
        if (PaintSettings().MarginGuides)
            PaintMarginGuides(document, page, dc, x, y);
    }

    try {
        PaintColumnSeparators(document, page, dc, x, y);
        TRect frames[2] = {};
        PaintHeaderFooter(page, page.Header, dc, x, y, &frames[0]);

        // The body lines (header and footer lines stand at the end and are
        // skipped).
        TParLine* lastBody = page.LastBodyLine();
        const int32_t windowBottom = document.View() ? document.View()->ClientHeight() : INT32_MAX;
        for (int32_t slot = 0; slot < static_cast<int32_t>(page.Lines.size()); ++slot) {
            TLayoutLine* line = AsLayoutLine(page.LineAt(slot));
            if (!line || IsHeaderFooterRange(page, line))
                continue;
            if (firstParagraph != NotSet && line->Paragraph().Index < firstParagraph)
                continue;
            const int32_t top = y + document.ApplyZoom(line->Top);
            const bool overlapping = line == lastBody && line->Overlap && line->Column < 0;
            int32_t bandHeight = line->GetPageHeight();
            if (overlapping)
                bandHeight += bandHeight * 15 / 100;
            const TRect rect{x, top, x + width, top + bandHeight};
            if (screen) {
                if (top >= windowBottom && line->Column < 0)
                    break;
                if (rect.Bottom <= 0 || !MeetsUpdateRegion(document, rect))
                    continue;
            }
            const bool savedOverlap = flags.OverlapExtended;
            flags.OverlapExtended = overlapping;
            try {
                PaintLine(*line, dc, x, y);
            } catch (...) {
                flags.OverlapExtended = savedOverlap;
                throw;
            }
            flags.OverlapExtended = savedOverlap;
        }

        PaintHeaderFooter(page, page.Footer, dc, x, y, &frames[1]);

        // Captions of header and footer editing.
        if (screen && document.EditedHeaderFooter) {
            TCharFormat format = DefaultCharFormat();
            TFontManager* fonts = GetFontManager();
            const int32_t arial = fonts ? fonts->ArialIndex() : -1;
            if (fonts && arial >= 0) {
                format[cfFont] = arial;
                const int32_t points = document.Zoom() <= 50 ? 7 : 8;
                fonts->SelectSharedFont(format, -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), false, true,
                                        dc);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, static_cast<COLORREF>(Palette().Colors(0).Color()));
                const TPageMargins margins = GetPageMargins(document, params, page.Index);
                for (bool footer : {false, true}) {
                    bool inherited = false;
                    const std::string caption = HeaderFooterCaption(document, page, footer, &inherited);
                    TSize size{};
                    GetTextExtentPoint32(dc, caption, &size);
                    const int32_t room = width - margins.LeftDevice - margins.RightDevice - (inherited ? 10 : 0);
                    if (size.cx > room)
                        continue;
                    // Above the header frame's top line, below the footer
                    // frame's top line (at the header and footer distances
                    // when the area shows no line).
                    const TRect& frame = frames[footer ? 1 : 0];
                    const bool framed = frame.Bottom > frame.Top;
                    int32_t lineY = footer ? y + height - document.TwipsToDeviceY(params[ppFooterDistance])
                                           : y + document.TwipsToDeviceY(params[ppHeaderDistance]) - size.cy;
                    if (framed)
                        lineY = footer ? y + frame.Top + 1 : y + frame.Top - size.cy;
                    if (lineY < y || lineY + size.cy > y + height)
                        continue;
                    TextOut(dc, x + margins.LeftDevice, lineY, caption);
                    if (inherited) {
                        const std::string same = "Identique au précédent";
                        TSize sameSize{};
                        GetTextExtentPoint32(dc, same, &sameSize);
                        TextOut(dc, x + width - margins.RightDevice - sameSize.cx, lineY, same);
                    }
                }
            }
        }
    } catch (...) {
        if (screen)
            RestoreDC(dc, saved);
        throw;
    }
    if (screen)
        RestoreDC(dc, saved);
}

void PaintDocument(TDocument& document, HDC dc, int32_t clientWidth, int32_t clientHeight)
{
    TColorPalette& palette = Palette();
    HRGN remaining = CreateRectRgn(0, 0, clientWidth, clientHeight);
    const int32_t depth = document.ChangeStackDepth();
    document.BeginSuppressChange(chfLayoutChange);
    try {
        const int32_t first = GetFirstVisiblePage(document);
        const int32_t last = document.ViewMode == vmOnePage ? first : GetLastVisiblePage(document);
        HBRUSH frame = palette.Colors(5).GetBrush();
        for (int32_t index = std::max(first, 0); index <= last; ++index) {
            if (index >= document.PageCount()) {
                if (document.PaginationComplete)
                    break;
                document.Paginate(document.PageCount(), last, document.PageCount());
                if (index >= document.PageCount())
                    break;
            }
            TPage& page = *document.Pages()[static_cast<size_t>(index)];
            const TRect rect = PageWindowRect(document, page);
            HRGN grown = CreateRectRgn(rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1);
            CombineRgn(remaining, remaining, grown, RGN_DIFF);
            DeleteObject(grown);
            if (MeetsUpdateRegion(document, rect))
                PaintPage(page, dc, rect.Left, NotSet, rect.Top);
            FrameRect(dc, TRect{rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1}, frame);
            const TRect shadows[2] = {{rect.Left + 4, rect.Bottom, rect.Right + 4, rect.Bottom + 4},
                                      {rect.Right, rect.Top + 4, rect.Right + 4, rect.Bottom}};
            for (const TRect& shadow : shadows) {
                if (MeetsUpdateRegion(document, shadow))
                    FillRect(dc, shadow, frame);
                HRGN strip = CreateRectRgnIndirect(shadow);
                CombineRgn(remaining, remaining, strip, RGN_DIFF);
                DeleteObject(strip);
            }
        }
        if (HRGN update = document.UpdateRegion())
            CombineRgn(remaining, remaining, update, RGN_AND);
        FillRgn(dc, remaining, palette.Colors(4).GetBrush());
    } catch (...) {
        DeleteObject(remaining);
        document.EndChanges(document.ChangeStackDepth() - depth);
        throw;
    }
    DeleteObject(remaining);
    document.EndChanges(document.ChangeStackDepth() - depth);
    document.FirstPaint = 1;
}

void SetUpdateRegion(TDocument& document, const TRect& rect)
{
    if (HRGN region = document.UpdateRegion())
        SetRectRgn(region, rect.Left, rect.Top, rect.Right, rect.Bottom);
}

TRect LineWindowRect(TDocument& document, int32_t paragraph, int32_t lineIndex)
{
    if (paragraph < 0 || paragraph >= document.ParagraphCount())
        return {};
    TParagraph& par = document.Paragraphs(paragraph);
    if (lineIndex < 0 || lineIndex >= par.GetLineCount())
        return {};
    TLayoutLine* line = AsLayoutLine(&par.GetLine(lineIndex));
    if (!line || !line->Page)
        return {};
    const TRect page = PageWindowRect(document, *line->Page);
    int32_t height = line->GetPageHeight();
    if (line->Overlap && line->Page->LastBodyLine() == line)
        height += height * 15 / 100;
    const int32_t top = page.Top + document.ApplyZoom(line->Top);
    return {page.Left, top, page.Right, top + height + 1};
}

bool RepaintLine(TDocument& document, HDC dc, int32_t paragraph, int32_t lineIndex)
{
    const TRect rect = LineWindowRect(document, paragraph, lineIndex);
    if (rect.Right <= rect.Left)
        return false;
    TParagraph& par = document.Paragraphs(paragraph);
    TLayoutLine* line = AsLayoutLine(&par.GetLine(lineIndex));
    if (line->Overlap && lineIndex > 0) {
        const TParLine& above = par.GetLine(lineIndex - 1);
        if (above.Column == line->Column)
            RepaintLine(document, dc, paragraph, lineIndex - 1);
    }
    const TDocumentView* view = document.View();
    const TRect visible{0, 0, view ? view->ClientWidth() : rect.Right, view ? view->ClientHeight() : rect.Bottom};
    TRect meet{};
    if (!IntersectRect(meet, rect, visible))
        return false;
    const TRect page = PageWindowRect(document, *line->Page);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.Left, rect.Top, rect.Right, rect.Bottom);
    TPaintFlags& flags = PaintFlags();
    const bool savedOverlap = flags.OverlapExtended;
    flags.OverlapExtended = line->Overlap && line->Page->LastBodyLine() == line;
    try {
        PaintLine(*line, dc, page.Left, page.Top);
    } catch (...) {
        flags.OverlapExtended = savedOverlap;
        RestoreDC(dc, saved);
        throw;
    }
    flags.OverlapExtended = savedOverlap;
    RestoreDC(dc, saved);
    document.FirstPaint = 1;
    return true;
}
