#pragma once
// Small drawing routines shared by the page painter, the ruler, the toolbars
// and the formatting dialogs: rectangle and region arithmetic, point
// conversions, the contrast shade of the smart-colour display option, dotted
// lines drawn pixel by pixel, the zigzag and wave lines of wavy underlines and
// proofing marks, dashed and etched frames, and the underline samples of the
// font dialogs.
#include <cstdint>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Geometry.h"

class TCanvas;
class TControl;

// --- Geometry ---------------------------------------------------------------------

// Removes the rectangle from the region (region difference).
void ExcludeRectFromRegion(const TRect& rect, HRGN region);
// Clips the rectangle to clip in place; true when the result is not empty
// (rectangles that only touch give an empty result).
bool IntersectRectWith(TRect& rect, const TRect& clip);
bool SamePoint(TPoint a, TPoint b);
// A point in one control's client coordinates in another's, through the screen.
TPoint MapPointBetweenControls(TPoint point, TControl& from, TControl& to);
// A normal-position rectangle (work-area coordinates) in screen coordinates.
TRect NormalRectToScreen(const TRect& rect);
TPoint GetMousePos();
TPoint GetMousePosInControl(TControl& control);

// --- Colour -------------------------------------------------------------------------

// The colour to draw a text colour in on a background when the smart-colour
// option is on (both 0x00BBGGRR).
COLORREF GetContrastShade(COLORREF color, COLORREF background);

// --- Lines drawn pixel by pixel (ends inclusive) ---------------------------------------

// One pixel in two.
void DrawDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF color);
// One pixel in three.
void DrawSparseDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF color);
// Period 5: pixels 0 and 2 in the second colour, 1, 3 and 4 in the first.
void DrawTwoColorDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF first, COLORREF second);
// Pixels 0 and 2 of every 5.
void DrawDottedVLine(HDC dc, int32_t x, int32_t y1, int32_t y2, COLORREF color);
void DrawTwoColorDottedVLine(HDC dc, int32_t x, int32_t y1, int32_t y2, COLORREF first, COLORREF second);

// --- Zigzag and wave lines ------------------------------------------------------------

// A zigzag through x1, every second position at an even distance from phaseX
// between them, and x2; a point is one pixel above the baseline at distance 0
// (mod 4), one below at 2, on it otherwise, so that pieces drawn with one
// phase join up. Drawn with a solid one-pixel pen of the colour.
void DrawZigzagLine(HDC dc, int32_t x1, int32_t x2, COLORREF color, int32_t phaseX, int32_t baseline);
// A wave of the amplitude and period with a solid pen of penWidth, clipped to
// the band it needs between x1 and x2; the clip region is restored
// afterwards. A period below 2 draws nothing (there is no wave to draw).
void DrawWaveLine(HDC dc, int32_t x1, int32_t x2, COLORREF color, int32_t penWidth, int32_t amplitude, int32_t period,
                  int32_t phase, int32_t baseline);

// --- Frames and samples ---------------------------------------------------------------

// A one-pixel frame of dashes 4 pixels long every 8, drawn clockwise from the
// top-left corner with the pattern carried round the corners; each dash is a
// rectangle filled with the canvas brush. right and bottom are exclusive.
void DrawDashedFrame(TCanvas& canvas, int32_t left, int32_t top, int32_t right, int32_t bottom);
// A line in the button-shadow colour and one pixel lower one in the
// button-highlight colour, from x1 to x2 (exclusive).
void DrawEtchedLine(TCanvas& canvas, int32_t x1, int32_t x2, int32_t y);
// The sample of an underline kind of the character format in a rectangle
// whose right edge is limited to width.
void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, int32_t underlineKind, int32_t width);
