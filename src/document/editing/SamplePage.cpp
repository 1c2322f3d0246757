#include "document/editing/SamplePage.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/Controls.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The colours of the miniature.
constexpr TColor StripeColor = clGray;
constexpr TColor PaperColor = clWhite;
constexpr TColor MarginColor = clSilver;
constexpr TColor NumberColor = clBlack;
constexpr TColor ShadowColor = 0x505050;

// a / b truncating, for a divisor that may have become 0 or negative with
// a tiny rectangle: never below 1.
int64_t SafeDivide(int64_t a, int64_t b)
{
    return a / std::max<int64_t>(b, 1);
}

int32_t Pixels(int64_t twips, int32_t scale)
{
    return static_cast<int32_t>(SafeDivide(twips, scale));
}

// The column offsets and widths of the text area, in twips.
struct TColumn {
    int32_t Offset;
    int32_t Width;
};

std::vector<TColumn> Columns(const TSectionSettings& section, int32_t textWidth)
{
    std::vector<TColumn> columns;
    const int32_t count = std::clamp(section.UsableColumnCount(), 1, MaxColumns);
    if (count == 1) {
        columns.push_back({0, textWidth});
        return columns;
    }
    if (section[ssEqualColumns] != 0) {
        const int32_t spacing = std::max(section[ssColumnSpacing], 0);
        const int32_t width = static_cast<int32_t>(
            SafeDivide(static_cast<int64_t>(textWidth) - static_cast<int64_t>(spacing) * (count - 1), count));
        for (int32_t i = 0; i < count; ++i)
            columns.push_back({static_cast<int32_t>(static_cast<int64_t>(i) * (width + spacing)), width});
        return columns;
    }
    int64_t offset = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t width = std::max(section[TSectionSettings::ColumnValue(i, crWidth)], 0);
        columns.push_back({static_cast<int32_t>(std::min<int64_t>(offset, INT32_MAX)), width});
        offset += static_cast<int64_t>(width) + std::max(section[TSectionSettings::ColumnValue(i, crSpacing)], 0);
    }
    return columns;
}

// One page at (x, y): paper, margin lines, the columns' stripes and the page
// number's mark (alignment 0 left, 1 centre, 2 right; 255 none).
void DrawPage(TCanvas& canvas, int32_t x, int32_t y, const TPageParams& page, int32_t leftMargin,
              int32_t rightMargin, const TSectionSettings& section, int32_t scale, uint8_t numberAlignment,
              bool numberAtTop)
{
    const int32_t width = page[ppPaperWidth];
    const int32_t height = page[ppPaperHeight];
    const TRect paper{x, y, x + Pixels(width, scale), y + Pixels(height, scale)};
    if (paper.Right <= paper.Left || paper.Bottom <= paper.Top)
        return;
    // A shadow, the paper and its edge.
    canvas.Pen().SetStyle(TPenStyle::psClear);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(ShadowColor);
    canvas.FillRect({paper.Left + 2, paper.Top + 2, paper.Right + 2, paper.Bottom + 2});
    canvas.Brush().SetColor(PaperColor);
    canvas.FillRect(paper);
    canvas.Brush().SetColor(clBlack);
    canvas.FrameRect(paper);

    // The text area.
    const int32_t top = page[ppTopMargin];
    const int32_t bottom = height - page[ppBottomMargin];
    const int32_t textWidth = width - leftMargin - rightMargin;
    if (textWidth <= 0 || bottom <= top)
        return;
    const TRect area{x + Pixels(leftMargin, scale), y + Pixels(top, scale), x + Pixels(leftMargin + textWidth, scale),
                     y + Pixels(bottom, scale)};
    // The margins as light lines across the paper.
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(MarginColor);
    canvas.Pen().SetWidth(1);
    canvas.MoveTo(area.Left - 1, paper.Top + 1);
    canvas.LineTo(area.Left - 1, paper.Bottom - 1);
    canvas.MoveTo(area.Right, paper.Top + 1);
    canvas.LineTo(area.Right, paper.Bottom - 1);
    canvas.MoveTo(paper.Left + 1, area.Top - 1);
    canvas.LineTo(paper.Right - 1, area.Top - 1);
    canvas.MoveTo(paper.Left + 1, area.Bottom);
    canvas.LineTo(paper.Right - 1, area.Bottom);

    for (const TColumn& column : Columns(section, textWidth)) {
        const TRect r = GetColumnRect(leftMargin, top, bottom, column.Offset, column.Width, scale);
        DrawColumnStripes(canvas, {x + r.Left, y + r.Top, x + r.Right, y + r.Bottom}, StripeColor);
    }

    // The page number's mark, in the margin above or below the text.
    if (numberAlignment <= 2) {
        const int32_t markWidth = std::max<int32_t>(Pixels(360, scale), 2);
        int32_t left = area.Left;
        if (numberAlignment == 1)
            left = (area.Left + area.Right - markWidth) / 2;
        else if (numberAlignment == 2)
            left = area.Right - markWidth;
        const int32_t markTop = numberAtTop ? std::max((paper.Top + area.Top) / 2 - 1, paper.Top + 1)
                                            : std::min((area.Bottom + paper.Bottom) / 2, paper.Bottom - 3);
        canvas.Brush().SetColor(NumberColor);
        canvas.FillRect({left, markTop, left + markWidth, markTop + 2});
    }
}

}  // namespace

TRect GetColumnRect(int32_t areaLeft, int32_t areaTop, int32_t areaBottom, int32_t columnOffset,
                    int32_t columnWidth, int32_t scale)
{
    const int64_t left = static_cast<int64_t>(areaLeft) + columnOffset;
    return {Pixels(left, scale), Pixels(areaTop, scale), Pixels(left + columnWidth, scale), Pixels(areaBottom, scale)};
}

void DrawLineStripe(TCanvas& canvas, int32_t x, int32_t y, int32_t width, TColor color)
{
    if (width <= 0)
        return;
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRect({x, y, x + width, y + 1});
}

void DrawColumnStripes(TCanvas& canvas, const TRect& column, TColor color, bool shortEnds)
{
    const int32_t width = column.Right - column.Left;
    if (width <= 0)
        return;
    for (int32_t y = column.Top; y < column.Bottom; y += 2) {
        const bool paragraphEnd = shortEnds && (y - column.Top) % 6 == 4;
        DrawLineStripe(canvas, column.Left, y, paragraphEnd ? std::max(width - 6, 1) : width, color);
    }
}

void DrawSamplePage(const TControl* owner, TCanvas& target, const TRect& rect, const TPageParams& page,
                    const TSectionSettings& section, const TSamplePageNumber* number, bool singlePage)
{
    const int32_t bitmapWidth = rect.Right - rect.Left;
    const int32_t bitmapHeight = rect.Bottom - rect.Top;
    if (bitmapWidth <= 0 || bitmapHeight <= 0)
        return;
    TBitmap bitmap;
    bitmap.SetSize(bitmapWidth, bitmapHeight);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(owner ? owner->Color() : clBtnFace);
    canvas.FillRect({0, 0, bitmapWidth, bitmapHeight});

    // 1. Facing pages.
    const int32_t two = HasMirroredMargins(page) && !singlePage ? 1 : 0;
    const int64_t width = std::max(page[ppPaperWidth], 1);
    const int64_t height = std::max(page[ppPaperHeight], 1);
    // 2. Twips per pixel; a rectangle too small for the frame still gives a
    // scale of at least 1.
    const int64_t byHeight = SafeDivide(height, bitmapHeight - 25);
    const int64_t byWidth = SafeDivide(width * (1 + two), bitmapWidth - 25 - 10 * two);
    const int32_t scale = static_cast<int32_t>(std::clamp<int64_t>(std::max(byHeight, byWidth), 1, INT32_MAX));
    // 3. Centred.
    const int32_t pageWidth = Pixels(width, scale);
    const int32_t x = static_cast<int32_t>((bitmapWidth - (width * (1 + two) / scale + 15 * two)) / 2);
    const int32_t y = static_cast<int32_t>((bitmapHeight - height / scale) / 2);

    // 5. The page number's place on each page drawn.
    uint8_t firstAlignment = 255;
    uint8_t secondAlignment = 255;
    if (number) {
        firstAlignment = secondAlignment = number->Alignment;
        if (number->Alignment == 3) {
            firstAlignment = 2;
            secondAlignment = 0;
        } else if (number->Alignment == 4) {
            firstAlignment = 0;
            secondAlignment = 2;
        }
    }
    const bool atTop = number && number->AtTop;
    const int32_t left = page[ppLeftMargin];
    const int32_t right = page[ppRightMargin];
    if (two) {
        // 4. The right-hand page first, its margins exchanged, then the
        // left-hand page beside it.
        DrawPage(canvas, x, y, page, right, left, section, scale, firstAlignment, atTop);
        DrawPage(canvas, x + pageWidth + 10, y, page, left, right, section, scale, secondAlignment, atTop);
    } else {
        DrawPage(canvas, x, y, page, left, right, section, scale, firstAlignment, atTop);
    }
    target.Draw(rect.Left, rect.Top, bitmap);
}
