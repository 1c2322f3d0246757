#pragma once
// The painters above the line painter: a whole page (background, margin
// guides, header, body lines, footer), the visible part of a document's
// window (every visible page with its frame and shadow, and the area around
// the pages), and the redraw of single lines after an edit. Everything is
// clipped to the document's update region (window coordinates: a page's
// view rectangle less the view origin).
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <string>

class TDocument;
class TPage;

// Paints the page with its top-left corner at (x, y) of the context. First
// paragraph NotSet paints every body line; another value starts at the
// lines of that paragraph.
void PaintPage(TPage& page, HDC dc, int32_t x, int32_t firstParagraph, int32_t y);

// Paints what the update region holds of the window's document area
// (clientWidth x clientHeight) on the context.
void PaintDocument(TDocument& document, HDC dc, int32_t clientWidth, int32_t clientHeight);

// The update region becomes the rectangle (window coordinates).
void SetUpdateRegion(TDocument& document, const TRect& rect);

// The window rectangle of a line (page width, line height + 1); empty when
// the line is on no page.
TRect LineWindowRect(TDocument& document, int32_t paragraph, int32_t line);

// Draws one line again on the context (the window's), clipped to its
// rectangle; an overlapping line that is not its paragraph's first draws the
// line above it first. False when the line is not visible.
bool RepaintLine(TDocument& document, HDC dc, int32_t paragraph, int32_t line);

// The header or footer caption of a page in header and footer editing
// ("En-tête", "Pied de page impaire", "En-tête de section 2"...), and
// whether the range shown is inherited from an earlier section.
std::string HeaderFooterCaption(TDocument& document, const TPage& page, bool footer, bool* inherited = nullptr);

// The colour of the margin guides' dotted pattern at a page-relative
// coordinate: pixels 0 and 2 of every 5 in the guide colour, the others in
// the page background, so that the pattern stays fixed on the page.
COLORREF MarginGuideColor(int32_t coordinate, COLORREF guide, COLORREF background);

// In header and footer editing, the frame of the page's header or footer
// area (page-relative device units, from the top of its first line to the
// bottom of its last, between the margins); false when the page shows no
// such lines.
bool HeaderFooterFrameRect(TPage& page, bool footer, TRect& rect);
// Draws that frame (4-pixel dashes every 8, palette entry 0) moved by dx, dy.
void DrawHeaderFooterFrame(HDC dc, const TRect& frame, int32_t dx, int32_t dy);
