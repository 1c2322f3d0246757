#pragma once
// The miniature of a page that the page-setup, column, page-number and
// envelope dialogs show: the paper, its margins, the text area divided into
// columns, stripes standing for lines of text and the place of a page number.
#include "document/model/Section.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/win/Geometry.h"

#include <cstdint>

class TCanvas;
class TControl;

// Where the page number goes: 0 left, 1 centred, 2 right, 3 outside, 4
// inside; at the top of the page or at its bottom.
struct TSamplePageNumber {
    uint8_t Alignment = 1;
    bool AtTop = false;
};

// Draws one page, or two facing pages when the page parameters ask for
// mirrored margins and singlePage is false, into a bitmap of the rectangle's
// size (its background the owner's colour, the button face without an owner)
// and copies it into the target canvas at the rectangle. number: none when
// null. Any rectangle, however small, is drawn without fault.
void DrawSamplePage(const TControl* owner, TCanvas& target, const TRect& rect, const TPageParams& page,
                    const TSectionSettings& section, const TSamplePageNumber* number, bool singlePage);

// The miniature rectangle of a column's text area, in pixels from the page's
// corner: the area's left edge plus the column's offset, the column's width,
// and the area's top and bottom (all twips from the page's corner), divided
// by the scale (twips per pixel).
TRect GetColumnRect(int32_t areaLeft, int32_t areaTop, int32_t areaBottom, int32_t columnOffset,
                    int32_t columnWidth, int32_t scale);

// Stripes one pixel high on every second row from the top of the column to
// its bottom; every stripe 4 rows past a multiple of 6 from the top is 6
// pixels shorter (at least 1), the end of a paragraph, unless shortEnds is
// off.
void DrawColumnStripes(TCanvas& canvas, const TRect& column, TColor color, bool shortEnds = true);
void DrawLineStripe(TCanvas& canvas, int32_t x, int32_t y, int32_t width, TColor color);
