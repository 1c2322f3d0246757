#pragma once
// The text painter: draws one laid-out line of a paragraph with its runs,
// fonts, colours and character effects, highlight, field shading,
// underlines and strike-through, objects, formatting marks and, on screen,
// the selection. On screen the line's band is composed in the first scratch
// bitmap and copied to the target with one block transfer, so the window
// never shows a half-drawn line; printing and plain output draw directly.
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <vector>

class TDocument;
class TLayoutLine;
struct TPageMargins;
struct TPageParams;

// The device geometry of a laid-out line on its page (zoomed; relative to
// the page's top-left corner).
struct TLineGeometry {
    int32_t Top = 0;       // the line's top
    int32_t Baseline = 0;  // top + space before + ascent
    int32_t BandHeight = 0;  // its height on the page (TLayoutLine::GetPageHeight)
    int32_t TextLeft = 0;  // the left edge of its text area (margin, column)
    // The horizontal span of its band: the page's width, or its column's
    // share of it (from the middle of the gap before to the middle of the
    // gap after).
    int32_t BandLeft = 0;
    int32_t BandRight = 0;
    // CharCount + 1 values: the x of the boundary before each character, and
    // after the last.
    std::vector<int32_t> X;
};
void GetLineGeometry(TLayoutLine& line, TLineGeometry& geometry);

// The page parameters that govern the line's page.
const TPageParams& LinePageParams(TLayoutLine& line);

// Paints the line with its page's top-left corner at (x, y) of the target.
void PaintLine(TLayoutLine& line, HDC target, int32_t x, int32_t y);

// The colour of a character colour index (0: automatic, palette entry 0).
COLORREF CharColor(int32_t index);

// The block (rectangular) selection a document's window shows: the lines
// from (StartParagraph, StartLine) to (EndParagraph, EndLine) and the block's
// two x values on the page (zoomed, from the page's left edge). The window
// sets it while it shows one and clears it (null) afterwards.
struct TBlockSelection;
void SetShownBlockSelection(const TDocument& document, const TBlockSelection* block);
const TBlockSelection* ShownBlockSelection(const TDocument& document);
