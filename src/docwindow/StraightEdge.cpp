#include "docwindow/StraightEdge.h"

#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/NotSet.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/TabManager.h"
#include "layout/PageGrid.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

uint8_t CurrentTabKind = 0;

namespace {

constexpr int32_t RulerSize = 24;
constexpr TColor BandColor = clWhite;
constexpr TColor MarginColor = 0xC0C0C0;
constexpr TColor FaceColor = 0xE0E0E0;
constexpr TColor MarkerColor = 0x606060;
constexpr TColor GrayedColor = 0xA8A8A8;
constexpr TColor GhostColor = 0xA0A0A0;

// Per unit (cm, inch, point, pica, mm): numbering step in hundredths of the
// unit, least pixels between numbers, subdivisions of a step.
struct TUnitScale {
    int32_t Step;
    int32_t MinNumberPixels;
    int32_t Subdivisions;
};
constexpr TUnitScale UnitScales[5] = {{100, 16, 4}, {100, 16, 8}, {3600, 20, 6}, {600, 16, 6}, {2000, 16, 10}};
constexpr int32_t MinTickPixels = 6;

const TUnitScale& ScaleOf(uint8_t unit)
{
    return UnitScales[unit < 5 ? unit : 4];
}

// A tab glyph: width, height, anchor (pixels left of the position).
struct TTabGlyph {
    int32_t Width, Height, Anchor;
};
constexpr TTabGlyph TabGlyphs[5] = {{6, 6, 0}, {8, 6, 3}, {6, 6, 4}, {8, 6, 3}, {2, 6, 0}};

void DrawTabGlyph(TCanvas& canvas, uint8_t kind, int32_t x, int32_t bottom, TColor color)
{
    kind = std::min<uint8_t>(kind, 4);
    const TTabGlyph& g = TabGlyphs[kind];
    const int32_t left = x - g.Anchor;
    const int32_t top = bottom - g.Height;
    canvas.Brush().SetColor(color);
    auto bar = [&](int32_t l, int32_t t, int32_t r, int32_t b) { canvas.FillRect({l, t, r, b}); };
    switch (kind) {
    case 0:  // left: a bar on the left with a foot to the right
        bar(left, top, left + 2, bottom);
        bar(left, bottom - 2, left + g.Width, bottom);
        break;
    case 1:  // centred: a bar in the middle on a foot
    case 3:  // decimal: the same with a dot
        bar(left + 3, top, left + 5, bottom);
        bar(left, bottom - 2, left + g.Width, bottom);
        if (kind == 3)
            bar(left + 6, top, left + 8, top + 2);
        break;
    case 2:  // right: a bar on the right with a foot to the left
        bar(left + g.Width - 2, top, left + g.Width, bottom);
        bar(left, bottom - 2, left + g.Width, bottom);
        break;
    default:  // bar
        bar(left, top, left + 2, bottom);
        break;
    }
}

// The indent markers, 9 pixels wide, centred on their position: a triangle
// pointing down (first line), one pointing up (left and right indents) and a
// box (under the left indent).
void DrawDownMarker(TCanvas& canvas, int32_t x, int32_t top, TColor color)
{
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    canvas.Polygon({{x - 4, top}, {x + 4, top}, {x + 4, top + 2}, {x, top + 6}, {x - 4, top + 2}});
}

void DrawUpMarker(TCanvas& canvas, int32_t x, int32_t bottom, TColor color)
{
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    canvas.Polygon({{x, bottom - 7}, {x + 4, bottom - 3}, {x + 4, bottom}, {x - 4, bottom}, {x - 4, bottom - 3}});
}

}  // namespace

TStraightEdge::TStraightEdge(TDocumentForm* form, uint8_t orientation)
    : TCustomControl(form), FForm(form), FOrientation(orientation)
{
    SetParent(form);
    if (orientation == 0)
        SetHeight(RulerSize);
    else
        SetWidth(RulerSize);
    SetVisible(false);
}

TStraightEdge::~TStraightEdge() = default;

TDocument* TStraightEdge::Document() const
{
    return FForm ? FForm->Document() : nullptr;
}

int32_t TStraightEdge::Px(int32_t twips) const
{
    const TDocument* document = Document();
    return document ? (FOrientation == 0 ? document->TwipsToDeviceX(twips) : document->TwipsToDeviceY(twips)) : 0;
}

int32_t TStraightEdge::Twips(int32_t pixels) const
{
    const TDocument* document = Document();
    return document ? document->DeviceYToTwips(pixels) : 0;
}

bool TStraightEdge::ReadState(TRulerState& state) const
{
    TDocument* document = Document();
    if (!document || !FForm->CanHandleInput() || document->ParagraphCount() == 0)
        return false;
    TDocument& doc = *document;
    const TTextRange selection{doc.Selection().Start, doc.Selection().End};
    doc.GetCommonParFormat(selection, state.Common, false);
    state.First = doc.Paragraphs(selection.Start.Paragraph).Format;
    doc.GetCaretPageParams(state.Page);
    state.CaretParagraph = doc.Caret.Paragraph;
    state.CaretOffset = doc.Caret.Offset;
    state.PageIndex = std::max(doc.PageOfPosition({doc.Caret.Paragraph, doc.Caret.Offset}), 0);
    if (doc.EditedHeaderFooter)
        state.PageIndex = std::max(doc.EditedHeaderFooterPage, 0);
    // With mirrored margins an odd page has its outer margin on the left.
    if (HasMirroredMargins(state.Page) && (state.PageIndex & 1))
        std::swap(state.Page[ppLeftMargin], state.Page[ppRightMargin]);
    state.PageRect = GetPageRect(doc, state.PageIndex);
    state.Zoom = doc.Zoom();
    state.Origin = doc.ViewOrigin;
    state.DocRect = FForm->DocRect;
    state.Unit = GetMeasurementsManager() ? GetMeasurementsManager()->CurrentUnit() : 0;
    state.DefaultTab = doc.TabManager().DefaultInterval();
    state.Settings = doc.GetSectionOfParagraph(std::min(doc.Caret.Paragraph, doc.StoryLast(0))).Settings;
    state.EditedHeaderFooter = doc.EditedHeaderFooter;
    if (doc.EditedHeaderFooter) {
        state.Settings[ssColumnCount] = 1;
        state.Column = -1;
    } else {
        state.Column = 0;
        const TParagraph& paragraph = doc.Paragraphs(doc.Caret.Paragraph);
        const int32_t line = paragraph.FindLineOfChar(doc.Caret.Offset, 0, false);
        if (line >= 0)
            state.Column = std::max<int32_t>(paragraph.GetLine(line).Column, 0);
    }
    state.Valid = true;
    return true;
}

void TStraightEdge::UpdateFromDocument()
{
    if (FDrag != rdNone || !Visible())
        return;
    TRulerState state;
    if (!ReadState(state))
        return;
    if (state == FShown)
        return;
    FShown = state;
    Invalidate();
}

void TStraightEdge::CancelDrag()
{
    if (FDrag == rdNone)
        return;
    FDrag = rdNone;
    FTipText.clear();
    if (MouseCapture())
        SetMouseCapture(false);
    ClearState();
    UpdateFromDocument();
    Invalidate();
}

int32_t TStraightEdge::ColumnWidthTwips() const
{
    if (FShown.Settings[ssColumnCount] <= 1)
        return FShown.Page[ppPaperWidth] - FShown.Page[ppLeftMargin] - FShown.Page[ppRightMargin];
    return GetColumnGeometry(FShown.Settings, FShown.Page, std::max(FShown.Column, 0)).Width;
}

void TStraightEdge::ComputeGeometry()
{
    if (FOrientation == 0) {
        // The page's left edge, in the ruler's pixels.
        FPageStart = FShown.PageRect.Left - FShown.Origin.X + FShown.DocRect.Left - Left();
        FPageEnd = FPageStart + Px(FShown.Page[ppPaperWidth]);
        FTextLeft = FPageStart + Px(FShown.Page[ppLeftMargin]);
        FTextRight = FPageEnd - Px(FShown.Page[ppRightMargin]);
        FColumnLeft = FTextLeft;
        FColumnRight = FTextRight;
        if (FShown.Settings[ssColumnCount] > 1) {
            const TColumnGeometry column =
                GetColumnGeometry(FShown.Settings, FShown.Page, std::max(FShown.Column, 0));
            FColumnLeft = FTextLeft + Px(column.Left);
            FColumnRight = FColumnLeft + Px(column.Width);
        }
    } else {
        FPageStart = FShown.PageRect.Top - FShown.Origin.Y + FShown.DocRect.Top - Top();
        FPageEnd = FPageStart + Px(FShown.Page[ppPaperHeight]);
        FTextLeft = FPageStart + Px(FShown.Page[ppTopMargin]);
        FTextRight = FPageEnd - Px(FShown.Page[ppBottomMargin]);
        FColumnLeft = FTextLeft;
        FColumnRight = FTextRight;
    }
}

const TParFormat& TStraightEdge::ShownFormat() const
{
    return FDrag == rdIndent ? FDragFormat : FShown.Common;
}

int32_t TStraightEdge::IndentPixel(TRulerHit marker) const
{
    const TParFormat& common = ShownFormat();
    const bool differs = common[pfLeftIndent] == NotSet || common[pfFirstIndent] == NotSet;
    const TParFormat& format = differs && FDrag != rdIndent ? FShown.First : common;
    switch (marker) {
    case rhFirstLineIndent: return FColumnLeft + Px(format[pfLeftIndent] + format[pfFirstIndent]);
    case rhLeftIndent:
    case rhIndentBox: return FColumnLeft + Px(format[pfLeftIndent]);
    case rhRightIndent: {
        const int32_t right = common[pfRightIndent] == NotSet ? FShown.First[pfRightIndent] : common[pfRightIndent];
        return FColumnRight - Px(FDrag == rdIndent ? FDragFormat[pfRightIndent] : right);
    }
    default: return 0;
    }
}

const TTabTable* TStraightEdge::ShownTabTable() const
{
    const TDocument* document = Document();
    if (!document)
        return nullptr;
    const int32_t index = FShown.Common[pfTabTable] == NotSet ? FShown.First[pfTabTable] : FShown.Common[pfTabTable];
    return index >= 0 ? document->TabManager().Tables(index) : nullptr;
}

int32_t TStraightEdge::TabPixel(int32_t index) const
{
    const TTabTable* table = ShownTabTable();
    if (!table || index < 0 || index >= table->Count())
        return 0;
    int32_t position = TabStopPosition(table->Stops(index));
    if (FDrag == rdTabStop && index == FTabIndex)
        position = FCurrent;
    return FColumnLeft + Px(position);
}

void TStraightEdge::Paint()
{
    TDocument* document = Document();
    if (!FForm->CanHandleInput() || !document)
        return;
    if (!FShown.Valid && !ReadState(FShown))
        return;
    // Drawn off screen, then copied in one step.
    TBitmap buffer;
    buffer.SetSize(Width(), Height());
    Redraw(buffer.Canvas());
    Canvas().Draw(0, 0, buffer);
}

void TStraightEdge::Redraw(TCanvas& canvas)
{
    ComputeGeometry();
    canvas.Brush().SetColor(FaceColor);
    canvas.FillRect({0, 0, Width(), Height()});
    DrawScale(canvas);
    if (FOrientation == 0)
        DrawMarkers(canvas);
}

void TStraightEdge::DrawScale(TCanvas& canvas)
{
    const bool horizontal = FOrientation == 0;
    auto band = [&](int32_t from, int32_t to) -> TRect {
        return horizontal ? TRect{from, FBandTop, to, FBandBottom} : TRect{5, from, 19, to};
    };
    canvas.Brush().SetColor(MarginColor);
    canvas.FillRect(band(FPageStart, FPageEnd));
    canvas.Brush().SetColor(BandColor);
    canvas.FillRect(band(FTextLeft, FTextRight));
    // Column gaps are filled like the margins, between two edge lines.
    if (horizontal && FShown.Settings[ssColumnCount] > 1) {
        const int32_t count = std::min(FShown.Settings[ssColumnCount], MaxColumns);
        for (int32_t i = 0; i + 1 < count; ++i) {
            const TColumnGeometry column = GetColumnGeometry(FShown.Settings, FShown.Page, i);
            const int32_t gapLeft = FTextLeft + Px(column.Left + column.Width);
            const int32_t gapRight = gapLeft + Px(column.Gap);
            canvas.Brush().SetColor(MarginColor);
            canvas.FillRect(band(gapLeft, gapRight));
            canvas.Brush().SetColor(MarkerColor);
            canvas.FillRect(band(gapLeft, gapLeft + 2));
            canvas.FillRect(band(gapRight - 2, gapRight));
        }
    }

    // Numbering step and subdivisions for the unit at this zoom.
    const TUnitScale& scale = ScaleOf(FShown.Unit);
    int32_t stepHundredths = scale.Step;
    int32_t stepPixels = std::max(Px(UnitsToTwips(FShown.Unit, stepHundredths)), 1);
    while (stepPixels < scale.MinNumberPixels) {
        stepHundredths *= 2;
        stepPixels = std::max(Px(UnitsToTwips(FShown.Unit, stepHundredths)), 1);
    }
    int32_t subdivisions = scale.Subdivisions;
    while (subdivisions > 1 && stepPixels / subdivisions < MinTickPixels)
        subdivisions = subdivisions == 4 || subdivisions == 6 ? 2 : subdivisions / 2;
    const bool middleTick = FShown.Unit == 0 || FShown.Unit == 1 || FShown.Unit == 4;

    canvas.Font().SetName("Arial");
    canvas.Font().SetHeight(-7 * 96 / 72);
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const int32_t zero = FColumnLeft;
    const int32_t centre = horizontal ? (FBandTop + FBandBottom) / 2 : 12;
    const int32_t stepTwips = UnitsToTwips(FShown.Unit, stepHundredths);
    for (int direction = 1; direction >= -1; direction -= 2) {
        for (int32_t k = 0;; ++k) {
            const int32_t base = zero + direction * Px(stepTwips * k);
            if (direction > 0 ? base > FPageEnd : base < FPageStart)
                break;
            if (k > 0) {
                const std::string number = std::to_string(static_cast<int64_t>(stepHundredths) * k / 100);
                const int32_t w = canvas.TextWidth(number);
                const int32_t h = canvas.TextHeight(number);
                if (horizontal)
                    canvas.TextOut(base - w / 2, centre - h / 2, number);
                else
                    canvas.TextOut(centre - w / 2, base - h / 2, number);
            }
            for (int32_t s = 1; s < subdivisions; ++s) {
                const int32_t at = base + direction * Px(stepTwips * s / subdivisions);
                if (direction > 0 ? at > FPageEnd : at < FPageStart)
                    break;
                const int32_t length = middleTick && subdivisions % 2 == 0 && s == subdivisions / 2 ? 5 : 2;
                canvas.Brush().SetStyle(TBrushStyle::bsSolid);
                canvas.Brush().SetColor(clBlack);
                if (horizontal)
                    canvas.FillRect({at, centre - length / 2, at + 1, centre - length / 2 + length});
                else
                    canvas.FillRect({centre - length / 2, at, centre - length / 2 + length, at + 1});
                canvas.Brush().SetStyle(TBrushStyle::bsClear);
            }
        }
    }
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TStraightEdge::DrawMarkers(TCanvas& canvas)
{
    const TParFormat& common = ShownFormat();
    const bool differs = FDrag != rdIndent && (common[pfLeftIndent] == NotSet || common[pfFirstIndent] == NotSet);
    const TColor indentColor = differs ? GrayedColor : MarkerColor;
    DrawDownMarker(canvas, IndentPixel(rhFirstLineIndent), 0, indentColor);
    DrawUpMarker(canvas, IndentPixel(rhLeftIndent), FBandTop, indentColor);
    canvas.Brush().SetColor(indentColor);
    const int32_t left = IndentPixel(rhIndentBox);
    canvas.FillRect({left - 4, FBandTop, left + 5, FBandTop + 6});
    DrawUpMarker(canvas, IndentPixel(rhRightIndent), FBandTop,
                 FDrag != rdIndent && common[pfRightIndent] == NotSet ? GrayedColor : MarkerColor);

    // Tab stops at the bottom of the band; a stop dragged out is not drawn.
    const TTabTable* table = ShownTabTable();
    int32_t lastStop = 0;
    if (table) {
        for (int32_t i = 0; i < table->Count(); ++i) {
            if (FDrag == rdTabStop && i == FTabIndex && FTabRemoved)
                continue;
            DrawTabGlyph(canvas, TabStopKind(table->Stops(i)), TabPixel(i), FBandBottom, MarkerColor);
            lastStop = std::max(lastStop, TabStopPosition(table->Stops(i)));
        }
    }
    // Default stops after the last explicit one, when the paragraphs share a table.
    const bool shared = FShown.Common[pfTabTable] != NotSet;
    const int32_t interval = FShown.DefaultTab > 0 ? FShown.DefaultTab : DefaultTabInterval;
    if (shared && Px(interval) >= 20) {
        canvas.Brush().SetColor(MarkerColor);
        const int32_t width = ColumnWidthTwips();
        for (int32_t position = (lastStop / interval + 1) * interval; position <= width; position += interval) {
            const int32_t x = FColumnLeft + Px(position);
            canvas.FillRect({x, FBandBottom - 3, x + 1, FBandBottom});
        }
    }

    // The tab-kind selector in the top-left corner.
    canvas.Brush().SetColor(FaceColor);
    canvas.FillRect({0, 0, RulerSize, RulerSize});
    canvas.Brush().SetColor(BandColor);
    canvas.FillRect({3, 3, 20, 20});
    canvas.Brush().SetColor(MarkerColor);
    canvas.FrameRect({3, 3, 20, 20});
    DrawTabGlyph(canvas, CurrentTabKind, 11, 15, clBlack);
}

TRulerHitResult TStraightEdge::HitTest(TPoint p)
{
    TRulerHitResult r;
    if (!FShown.Valid && !ReadState(FShown))
        return r;
    ComputeGeometry();
    if (FOrientation == 1) {
        if (p.Y >= FPageStart && p.Y < FTextLeft - 3)
            r.Hit = rhTopMarginZone;
        else if (p.Y > FTextRight + 3 && p.Y < FPageEnd)
            r.Hit = rhBottomMarginZone;
        else if (p.Y >= FTextLeft + 3 && p.Y <= FTextRight - 3)
            r.Hit = rhTextZone;
        else if (std::abs(p.Y - FTextLeft) <= 3)
            r = {rhTopMarginEdge, p.Y - FTextLeft};
        else if (std::abs(p.Y - FTextRight) <= 3)
            r = {rhBottomMarginEdge, p.Y - FTextRight};
        return r;
    }
    if (p.X < RulerSize && p.Y < RulerSize)
        return {rhTabSelector};
    const bool inBand = p.Y >= FBandTop && p.Y < FBandBottom;
    if (p.X >= FPageStart && p.X < FTextLeft - 3 && inBand)
        r.Hit = rhLeftMarginZone;
    else if (p.X > FTextRight + 3 && p.X < FPageEnd && inBand)
        r.Hit = rhRightMarginZone;
    else if (p.X >= FTextLeft - 3 && p.X <= FTextRight + 3 && !inBand)
        r.Hit = rhOffBand;
    else if (p.X >= FTextLeft + 3 && p.X <= FTextRight - 3)
        r.Hit = rhTextZone;
    else if (std::abs(p.X - FTextLeft) <= 3)
        r = {rhLeftMarginEdge, p.X - FTextLeft};
    else if (std::abs(p.X - FTextRight) <= 3)
        r = {rhRightMarginEdge, p.X - FTextRight};

    if (FShown.Settings[ssColumnCount] > 1 && inBand) {
        const int32_t count = std::min(FShown.Settings[ssColumnCount], MaxColumns);
        for (int32_t i = 0; i + 1 < count; ++i) {
            const TColumnGeometry column = GetColumnGeometry(FShown.Settings, FShown.Page, i);
            const int32_t gapLeft = FTextLeft + Px(column.Left + column.Width);
            const int32_t gapRight = gapLeft + Px(column.Gap);
            const int32_t middle = (gapLeft + gapRight) / 2;
            if (p.X >= gapLeft - 2 && p.X <= gapLeft + 2)
                return {rhGapLeftEdge, p.X - gapLeft, i};
            if (p.X >= gapRight - 2 && p.X <= gapRight + 2)
                return {rhGapRightEdge, p.X - gapRight, i};
            if (p.X > gapLeft && p.X < gapRight) {
                if (!FShown.Settings[ssEqualColumns] && std::abs(p.X - middle) <= 4)
                    return {rhGapGrip, p.X - middle, i};
                return {rhColumnGap, 0, i};
            }
        }
    }

    // Indent markers: 9 x 6 rectangles starting 4 pixels left of their position.
    auto within = [&](int32_t x, int32_t top) { return p.X >= x - 4 && p.X < x + 5 && p.Y >= top && p.Y < top + 6; };
    const int32_t first = IndentPixel(rhFirstLineIndent);
    const int32_t left = IndentPixel(rhLeftIndent);
    const int32_t right = IndentPixel(rhRightIndent);
    if (within(first, 0))
        return {rhFirstLineIndent, p.X - first};
    if (within(left, FBandTop - 6))
        return {rhLeftIndent, p.X - left};
    if (within(left, FBandTop))
        return {rhIndentBox, p.X - left};
    if (within(right, FBandTop - 6))
        return {rhRightIndent, p.X - right};
    if (const TTabTable* table = ShownTabTable()) {
        for (int32_t i = 0; i < table->Count(); ++i) {
            const TTabGlyph& g = TabGlyphs[std::min<uint8_t>(TabStopKind(table->Stops(i)), 4)];
            const int32_t x = TabPixel(i);
            if (p.X >= x - g.Anchor && p.X < x - g.Anchor + g.Width && p.Y >= FBandBottom - g.Height &&
                p.Y < FBandBottom)
                return {rhTabStop, p.X - x, 0, i};
        }
    }
    return r;
}

std::string TStraightEdge::HintAt(TPoint point)
{
    const TRulerHitResult r = HitTest(point);
    TMeasurementsManager* units = GetMeasurementsManager();
    auto format = [&](int32_t twips) { return units ? units->FormatTwips(twips) : std::to_string(twips); };
    const bool mirrored = HasMirroredMargins(FShown.Page);
    const bool odd = FShown.PageIndex & 1;
    const TParFormat& common = FShown.Common;
    const TParFormat& shown = common[pfLeftIndent] == NotSet || common[pfFirstIndent] == NotSet ? FShown.First : common;
    switch (r.Hit) {
    case rhTabSelector: return "sélecteur de tabulations";
    case rhLeftMarginZone: {
        const std::string value = "(" + format(FShown.Page[ppLeftMargin]) + ")";
        if (!mirrored)
            return "marge gauche " + value;
        return (odd ? "marge extérieure de la page " : "marge intérieure de la page ") + value;
    }
    case rhRightMarginZone: {
        const std::string value = "(" + format(FShown.Page[ppRightMargin]) + ")";
        if (!mirrored)
            return "marge droite " + value;
        return (odd ? "marge intérieure de la page " : "marge extérieure de la page ") + value;
    }
    case rhLeftMarginEdge:
        return !mirrored ? "modifie la marge gauche"
                         : odd ? "modifie la marge extérieure de la page" : "modifie la marge intérieure de la page";
    case rhRightMarginEdge:
        return !mirrored ? "modifie la marge droite"
                         : odd ? "modifie la marge intérieure de la page" : "modifie la marge extérieure de la page";
    case rhFirstLineIndent: {
        const int32_t value = shown[pfFirstIndent];
        std::string hint = (value < 0 ? "retrait de 1ère ligne négatif (" : "retrait de 1ère ligne positif (") +
                           format(std::abs(value)) + ")";
        if (common[pfFirstIndent] == NotSet)
            hint += " (les paragraphes sélectionnés ont des valeurs différentes pour les retraits de première ligne "
                    "positif/négatif)";
        return hint;
    }
    case rhLeftIndent:
    case rhIndentBox: {
        std::string hint = "retrait gauche (" + format(shown[pfLeftIndent]) + ")";
        if (common[pfLeftIndent] == NotSet)
            hint += "  (les paragraphes sélectionnés ont des valeurs différentes pour les retraits gauches)";
        return hint;
    }
    case rhRightIndent: {
        const int32_t right = common[pfRightIndent] == NotSet ? FShown.First[pfRightIndent] : common[pfRightIndent];
        std::string hint = "retrait droit (" + format(right) + ")";
        if (common[pfRightIndent] == NotSet)
            hint += " (les paragraphes sélectionnés ont des valeurs différentes pour les retraits droits)";
        return hint;
    }
    case rhTabStop:
        if (const TTabTable* table = ShownTabTable())
            return "position du taquet (" + format(TabStopPosition(table->Stops(r.TabIndex))) + ")";
        return {};
    case rhTopMarginZone:
        return "marge haute (" +
               format(FShown.EditedHeaderFooter ? FShown.Page[ppHeaderDistance] : FShown.Page[ppTopMargin]) + ")";
    case rhTopMarginEdge: return "modifie la marge haute";
    case rhBottomMarginZone:
        return "marge basse (" +
               format(FShown.EditedHeaderFooter ? FShown.Page[ppFooterDistance] : FShown.Page[ppBottomMargin]) + ")";
    case rhBottomMarginEdge: return "modifie la marge basse";
    case rhColumnGap:
        return "Espacement des colonnes : " +
               format(GetColumnGeometry(FShown.Settings, FShown.Page, r.Column).Gap);
    case rhGapLeftEdge:
    case rhGapRightEdge: return "modifie l'espacement des colonnes";
    case rhGapGrip: return "modifie la largeur de la colonne";
    default: return {};
    }
}

int32_t TStraightEdge::SnapToGrid(int32_t twips, int32_t start) const
{
    const uint8_t unit = FShown.Unit < 5 ? FShown.Unit : 4;
    const TUnitScale& scale = ScaleOf(unit);
    const double step = static_cast<double>(UnitsToTwips(unit, scale.Step)) / scale.Subdivisions * 0.5;
    const double snappedRaw = std::round(static_cast<double>(twips) / step) * step;
    const int32_t snapped = UnitsToTwips(unit, TwipsToUnits(unit, static_cast<int32_t>(std::lround(snappedRaw))));
    if (start != NotSet && std::abs(twips - start) < std::abs(twips - snapped))
        return start;
    return snapped;
}

int32_t TStraightEdge::SnapStepTwips() const
{
    const uint8_t unit = FShown.Unit < 5 ? FShown.Unit : 4;
    const TUnitScale& scale = ScaleOf(unit);
    return static_cast<int32_t>(
        std::lround(static_cast<double>(UnitsToTwips(unit, scale.Step)) / scale.Subdivisions * 0.5));
}
