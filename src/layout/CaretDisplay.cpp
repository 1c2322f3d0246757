#include "layout/CaretDisplay.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/NotSet.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/FontManager.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "layout/PageGrid.h"
#include "layout/PaintSettings.h"
#include "layout/RunFont.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <map>

namespace {

// Never destroyed: a document may be freed during program exit, after the
// destructors of function statics made later than it have run.
std::map<const TDocument*, TCaretDisplay>& Displays()
{
    static auto* displays = new std::map<const TDocument*, TCaretDisplay>;
    return *displays;
}

int32_t CeilDiv(int32_t value, int32_t divisor)
{
    return (value + divisor - 1) / divisor;
}

// The caret's line, or null when the caret's paragraph has no lines on a page.
TLayoutLine* CaretLine(TDocument& document)
{
    const int32_t paragraph = document.Caret.Paragraph;
    if (paragraph < 0 || paragraph >= document.ParagraphCount())
        return nullptr;
    TParagraph& par = document.Paragraphs(paragraph);
    if (document.Caret.Line < 0 || document.Caret.Line >= par.GetLineCount())
        return nullptr;
    return AsLayoutLine(&par.GetLine(document.Caret.Line));
}

}  // namespace

TCaretDisplay& CaretDisplay(const TDocument& document)
{
    return Displays()[&document];
}

void ReleaseCaretDisplay(const TDocument& document)
{
    Displays().erase(&document);
}

bool LocatePosition(TDocument& document, int32_t paragraph, int32_t offset, int32_t& line, int32_t& page,
                    int32_t& charWidth)
{
    line = 0;
    page = -1;
    charWidth = 0;
    if (paragraph < 0 || paragraph >= document.ParagraphCount())
        return false;
    const int32_t depth = document.ChangeStackDepth();
    document.BeginSuppressChange(chfLayoutChange);
    try {
        TParagraph& par = document.Paragraphs(paragraph);
        const bool body = document.GetStoryOfParagraph(paragraph) == stBody;
        // Paginate further, 1, 2, 4, ... pages at a time, until the
        // paragraph is laid out and its last line stands on a page.
        int32_t step = 1;
        auto placed = [&] {
            return par.GetLaidOutFlag() && par.GetLineCount() > 0 &&
                   par.GetLine(par.GetLineCount() - 1).Page != nullptr;
        };
        while (body && !placed() && !document.PaginationComplete) {
            const int32_t count = document.PageCount();
            document.Paginate(count, count + step - 1, count);
            step *= 2;
            if (document.PageCount() == count && !placed())
                break;
        }
        if (par.GetLineCount() == 0) {
            document.EndChanges(document.ChangeStackDepth() - depth);
            return false;
        }
        offset = std::clamp(offset, 0, par.GetCharCount());
        line = par.FindLineOfChar(offset, 0, false);
        TLayoutLine* laid = AsLayoutLine(&par.GetLine(line));
        if (laid && laid->Page)
            page = laid->Page->Index;
        if (laid) {
            TLineGeometry geometry;
            GetLineGeometry(*laid, geometry);
            const int32_t i = offset - laid->FirstChar;
            if (i >= 0 && i < laid->CharCount)
                charWidth = geometry.X[static_cast<size_t>(i) + 1] - geometry.X[static_cast<size_t>(i)];
        }
    } catch (...) {
        document.EndChanges(document.ChangeStackDepth() - depth);
        throw;
    }
    document.EndChanges(document.ChangeStackDepth() - depth);
    return page >= 0 || document.GetStoryOfParagraph(paragraph) != stBody;
}

void UpdateCaretShape(TDocument& document)
{
    TCaretDisplay& display = CaretDisplay(document);
    TTextPosition position;
    MakeTextPos(document.Caret.Paragraph, document.Caret.Offset, position);
    TCharFormat format{};
    // With a selection the caret shows the format at its position; without,
    // the typing format (which a format command given without a selection
    // changes before anything is typed). Slots the typing format leaves
    // unset come from the text at the caret.
    document.GetCharFormatAt(position, format);
    if (!document.HasSelection()) {
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (document.SelCharFormat[slot] != NotSet)
                format[slot] = document.SelCharFormat[slot];
    }
    display.Format = format;

    TFontManager* fonts = GetFontManager();
    if (!fonts)
        throw EInternalError("Curseur impossible : aucun gestionnaire de polices");
    const int32_t full = SlotValue(format[cfSize]) > 0 ? format[cfSize] : 24;
    const bool smallCaps = SlotOn(format[cfSmallCaps]);
    const bool vertical = SlotOn(format[cfVerticalPosition]);
    int32_t size = full;
    if (smallCaps && vertical)
        size = static_cast<int32_t>(static_cast<int64_t>(full) * 52 / 100);
    else if (smallCaps)
        size = MulDiv(full, 80, 100);
    else if (vertical)
        size = MulDiv(full, 65, 100);
    HDC dc = LayoutWorkingState().DC;
    TSharedFont* font = fonts->SelectSharedFont(format, document.FontSizeToDeviceHeight(size), false, true, dc);
    const TEXTMETRIC& metrics = font->Metrics;

    int32_t ascent = metrics.tmAscent;
    int32_t descent = metrics.tmDescent;
    int32_t h = ascent + descent;
    if (smallCaps) {
        h = h * 100 / 80;
        ascent = ascent * 100 / 80;
        descent = descent * 100 / 80;
    }
    h = std::max(h, 1);
    display.Ascent = ascent;
    display.Descent = descent;
    display.Italic = metrics.tmItalic != 0;
    document.Caret.Height = h;
    if (!display.Italic) {
        document.Caret.Width = h >= 16 ? 2 : 1;
        display.XShift = 1;
        display.Slant = 0;
        return;
    }
    const int32_t s = CeilDiv(h, 4);
    display.Slant = s;
    document.Caret.Width = s + 1;
    display.XShift = CeilDiv(font->Descent, 4) + 1;
    TCaretBitmap* bitmap = CaretBitmap();
    if (!bitmap)
        return;
    bitmap->SetSize(document.Caret.Width, h);
    if (!bitmap->Bitmap())
        return;
    FillRect(bitmap->DC(), TRect{0, 0, document.Caret.Width, h}, GetStockBrush(BLACK_BRUSH));
    const int32_t blockWidth = h >= 16 ? 2 : 1;
    for (int32_t i = 0; i < s; ++i) {
        const int32_t y = h - 4 * (i + 1);
        FillRect(bitmap->DC(), TRect{i, y, i + blockWidth, y + 4}, GetStockBrush(WHITE_BRUSH));
    }
}

void UpdateCaretGeometry(TDocument& document)
{
    TCaretDisplay& display = CaretDisplay(document);
    int32_t line = 0;
    int32_t page = -1;
    int32_t charWidth = 0;
    LocatePosition(document, document.Caret.Paragraph, document.Caret.Offset, line, page, charWidth);
    document.Caret.Line = line;
    display.Page = page;
    display.CharWidth = charWidth;
    TLayoutLine* laid = CaretLine(document);
    if (!laid || !laid->Page)
        return;
    const TRect pageRect = GetPageRect(document, laid->Page->Index);
    TLineGeometry geometry;
    GetLineGeometry(*laid, geometry);
    const int32_t i = std::clamp(document.Caret.Offset - laid->FirstChar, 0, laid->CharCount);
    document.Caret.X = pageRect.Left + geometry.X[static_cast<size_t>(i)] - display.XShift;

    const int32_t a = display.Ascent;
    const int32_t d = display.Descent;
    const int32_t baseline = pageRect.Top + geometry.Baseline;
    int32_t y = baseline - a;
    const int32_t vertical = SlotValue(display.Format[cfVerticalPosition]);
    if (vertical == 1)
        y = baseline - a * 100 / 65;
    else if (vertical == 2)
        y = baseline + d * 100 / 65 - d - a;
    const int32_t raise = SlotValue(display.Format[cfRaise]);
    if (raise != 0)
        y -= document.TwipsToDeviceY(raise * 10);
    // A line whose exact height is smaller than its content keeps the caret
    // within its box.
    if (laid->Overlap) {
        const int32_t top = pageRect.Top + geometry.Top;
        const int32_t bottom = top + geometry.BandHeight;
        y = std::min(y, bottom - document.Caret.Height);
        y = std::max(y, top);
    }
    document.Caret.Y = y;
}

TRect GetCaretZone(const TDocument& document)
{
    const TCaret& caret = document.Caret;
    return {caret.X - 10, caret.Y - 2, caret.X + caret.Width + 10, caret.Y + caret.Height + 2};
}

bool IsCaretVisible(const TDocument& document)
{
    const TDocumentView* view = document.View();
    if (!view)
        return false;
    const TRect visible{document.ViewOrigin.X, document.ViewOrigin.Y, document.ViewOrigin.X + view->ClientWidth(),
                        document.ViewOrigin.Y + view->ClientHeight()};
    TRect meet{};
    return IntersectRect(meet, GetCaretZone(document), visible);
}

TPoint CalcScrollToRect(TDocument& document, const TRect& r, int32_t mode)
{
    const TDocumentView* view = document.View();
    TPoint origin = document.ViewOrigin;
    if (!view)
        return origin;
    const int32_t w = view->ClientWidth();
    const int32_t h = view->ClientHeight();
    const TRect v{origin.X, origin.Y, origin.X + w, origin.Y + h};
    const bool margin = mode == 2 && document.ViewMode != 2;
    // 1. Horizontal.
    if (r.Left < v.Left) {
        origin.X = r.Left - (margin ? w / 5 : 0);
    } else if (r.Right > v.Right) {
        if (r.Width() < w)
            origin.X += r.Right - v.Right + (margin ? w / 5 : 0);
        else
            origin.X = r.Left;
    }
    // 2. Vertical.
    bool up = false;
    if (r.Top < v.Top) {
        origin.Y = r.Top;
        up = true;
    } else if (mode == 1) {
        if (r.Bottom > v.Top + h / 2)
            origin.Y = std::max(origin.Y + r.Bottom - (v.Top + h / 2), v.Top);
    } else if (r.Bottom > v.Bottom) {
        if (r.Height() < h)
            origin.Y += r.Bottom - v.Bottom;
        else
            origin.Y = r.Top;
    }
    // 3. A third of the window around the caret.
    if (PaintSettings().CaretThird && r.Height() < h) {
        if (up)
            origin.Y -= (h - r.Height()) / 3;
        else if (r.Bottom >= v.Bottom)
            origin.Y += (h - r.Height()) / 3;
    }
    // 4. Within the view's extent.
    origin.X = std::min(origin.X, document.ViewExtent.cx - w);
    origin.X = std::max(origin.X, 0);
    origin.Y = std::min(origin.Y, document.ViewExtent.cy - h);
    origin.Y = std::max(origin.Y, 0);
    return origin;
}

bool ScrollToCaret(TDocument& document, int32_t mode)
{
    const TDocumentView* view = document.View();
    if (!view)
        return false;
    const TRect zone = GetCaretZone(document);
    if (mode != 1) {
        const TRect visible{document.ViewOrigin.X, document.ViewOrigin.Y,
                            document.ViewOrigin.X + view->ClientWidth(), document.ViewOrigin.Y + view->ClientHeight()};
        TRect clipped{};
        IntersectRect(clipped, zone, visible);
        if (clipped == zone)
            return false;
    }
    const TPoint before = document.ViewOrigin;
    document.ScrollTo(CalcScrollToRect(document, zone, mode));
    return document.ViewOrigin != before;
}

bool IsPageVisible(TDocument& document, int32_t page, const TRect& rect)
{
    TRect pageRect = GetPageRect(document, page);
    pageRect = {pageRect.Left - 1, pageRect.Top - 1, pageRect.Right + 5, pageRect.Bottom + 5};
    TRect meet{};
    return IntersectRect(meet, pageRect, rect);
}

void ShowPosition(TDocument& document, int32_t paragraph, int32_t offset, uint32_t flags)
{
    if (document.ParagraphCount() == 0)
        return;
    paragraph = std::clamp(paragraph, 0, document.ParagraphCount() - 1);
    TParagraph& par = document.Paragraphs(paragraph);
    offset = std::clamp(offset, 0, par.GetCharCount());
    const TCaret old = document.Caret;
    if (!document.HasSelection())
        flags &= ~spfClearSelection;
    if (flags & spfClearSelection)
        document.ClearSelection();
    int32_t line = 0;
    int32_t page = -1;
    int32_t width = 0;
    LocatePosition(document, paragraph, offset, line, page, width);
    // The caret does not stay after a paragraph end or a break at the end of
    // its line.
    if (!(flags & spfAfterBreaks) && !document.HasSelection() && par.GetLineCount() > 0) {
        const uint8_t* plain = par.GetPlainChars().Data();
        const int32_t lineStart = par.GetLine(line).FirstChar;
        bool moved = false;
        while (offset > lineStart && plain[offset - 1] >= scParagraphMark && plain[offset - 1] <= scPageBreak) {
            --offset;
            moved = true;
        }
        if (moved)
            LocatePosition(document, paragraph, offset, line, page, width);
    }
    document.Caret.Paragraph = paragraph;
    document.Caret.Offset = offset;
    document.Caret.Line = line;
    if (!document.HasSelection())
        document.SetSelection(paragraph, offset, paragraph, offset, ssfNoNotify);
    if ((flags & spfKeepIfUnchanged) && old.Paragraph == paragraph && old.Offset == offset && old.Line == line &&
        IsCaretVisible(document))
        return;
    UpdateCaretShape(document);
    UpdateCaretGeometry(document);
    ScrollToCaret(document, 0);
    TPoint origin = document.ViewOrigin;
    document.ClampViewOrigin(origin);
    if (origin != document.ViewOrigin)
        document.ScrollTo(origin);
    if (TDocumentView* view = document.View())
        view->RecreateCaret();
}

void GoToPosition(TDocument& document, int32_t paragraph, int32_t offset, uint32_t flags)
{
    ShowPosition(document, paragraph, offset, flags);
}

void CreateDocumentCaret(TDocument& document, HWND window)
{
    const TCaretDisplay& display = CaretDisplay(document);
    TCaretBitmap* bitmap = CaretBitmap();
    HBITMAP image = display.Italic && bitmap ? bitmap->Bitmap() : nullptr;
    CreateCaret(window, image, document.Caret.Width, document.Caret.Height);
}

void PlaceDocumentCaret(TDocument& document)
{
    SetCaretPos(document.Caret.X - document.ViewOrigin.X, document.Caret.Y - document.ViewOrigin.Y);
}

void InvertCaretImage(TDocument& document, HDC dc)
{
    const TCaretDisplay& display = CaretDisplay(document);
    const int32_t x = document.Caret.X - document.ViewOrigin.X;
    const int32_t y = document.Caret.Y - document.ViewOrigin.Y;
    TCaretBitmap* bitmap = CaretBitmap();
    if (display.Italic && bitmap && bitmap->Bitmap())
        BitBlt(dc, x, y, document.Caret.Width, document.Caret.Height, bitmap->DC(), 0, 0, SRCINVERT);
    else
        InvertRect(dc, TRect{x, y, x + document.Caret.Width, y + document.Caret.Height});
}
