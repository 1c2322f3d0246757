#pragma once
// Pens, brushes and drawing: lines, shapes, pixels and rectangle fills.
// Shapes follow the original platform's conventions: a line leaves out its
// last pixel, a rectangle (l, t, r, b) covers l..r-1 and t..b-1, outlines
// are drawn with the selected pen and interiors filled with the selected
// brush, in the selected mix mode (SetROP2).
#include "platform/gdi/GdiTypes.h"

// Styled pens (dash, dot...) wider than one pixel draw solid, as on the
// original platform. In OPAQUE background mode the gaps of styled pens and of
// hatched brushes take the background colour.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN& pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// A brush repeating a bitmap (8 x 8 or any size); the bitmap is copied.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH& brush);
// A shared solid brush of a system colour (never deleted).
HBRUSH GetSysColorBrush(int index);

HGDIOBJ GetStockObject(int index);
inline HBRUSH GetStockBrush(int index) { return static_cast<HBRUSH>(GetStockObject(index)); }
inline HPEN GetStockPen(int index) { return static_cast<HPEN>(GetStockObject(index)); }
inline HFONT GetStockFont(int index) { return static_cast<HFONT>(GetStockObject(index)); }

// Frees an object made by a Create function. Stock objects are never freed.
// False for a handle that is not a live object.
bool DeleteObject(HGDIOBJ object);
// The kind of object (OBJ_PEN, ...) or 0 when the handle is not live.
uint8_t GetObjectType(HGDIOBJ object);
bool GetObject(HPEN pen, LOGPEN* out);
bool GetObject(HBRUSH brush, LOGBRUSH* out);
bool GetObject(HFONT font, LOGFONT* out);
bool GetObject(HBITMAP bitmap, BITMAP* out);

bool MoveToEx(HDC dc, int32_t x, int32_t y, TPoint* old = nullptr);
bool LineTo(HDC dc, int32_t x, int32_t y);
bool GetCurrentPositionEx(HDC dc, TPoint* position);
bool Polyline(HDC dc, const TPoint* points, int count);
bool Polygon(HDC dc, const TPoint* points, int count);
bool Rectangle(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool RoundRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height);
bool Ellipse(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Arcs of the ellipse in the rectangle, from the radial through (xStart,
// yStart) to the radial through (xEnd, yEnd), in the arc direction
// (counter-clockwise unless SetArcDirection says otherwise). Equal radials
// give the whole ellipse.
bool Arc(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
         int32_t xEnd, int32_t yEnd);
bool Pie(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
         int32_t xEnd, int32_t yEnd);
bool Chord(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
           int32_t xEnd, int32_t yEnd);

// Sets a pixel (clipped); returns the colour set, CLR_INVALID when outside.
COLORREF SetPixel(HDC dc, int32_t x, int32_t y, COLORREF color);
bool SetPixelV(HDC dc, int32_t x, int32_t y, COLORREF color);
// CLR_INVALID outside the bitmap or the clip, and on devices that cannot be read.
COLORREF GetPixel(HDC dc, int32_t x, int32_t y);

// Fills with a brush (not the selected one); no outline. Returns 0 on failure.
int FillRect(HDC dc, const TRect& rect, HBRUSH brush);
// A one-pixel frame painted with a brush.
int FrameRect(HDC dc, const TRect& rect, HBRUSH brush);
// Inverts the colours (NOT destination).
bool InvertRect(HDC dc, const TRect& rect);
// Inverts every other pixel of the rectangle's edge; drawing it twice restores it.
bool DrawFocusRect(HDC dc, const TRect& rect);
// Fills a rectangle through the selected brush with a raster operation
// (PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS...).
bool PatBlt(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop);
