#pragma once
// Regions: sets of device pixels made of rectangles and polygons, combined by
// AND, OR, XOR and DIFF, used as clip regions and painted.
#include <vector>

#include "platform/gdi/GdiTypes.h"

HRGN CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
HRGN CreateRectRgnIndirect(const TRect& rect);
// fillMode ALTERNATE (even-odd) or WINDING.
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
HRGN CreateEllipticRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);

// dest := a <mode> b (RGN_COPY copies a). dest may be a or b. Returns
// NULLREGION, SIMPLEREGION, COMPLEXREGION or RGN_ERROR.
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
bool SetRectRgn(HRGN region, int32_t left, int32_t top, int32_t right, int32_t bottom);
int OffsetRgn(HRGN region, int32_t dx, int32_t dy);
int GetRgnBox(HRGN region, TRect* box);
bool PtInRegion(HRGN region, int32_t x, int32_t y);
// True when any part of the rectangle lies in the region.
bool RectInRegion(HRGN region, const TRect& rect);
bool EqualRgn(HRGN a, HRGN b);
// The rectangles the region is made of, top to bottom, left to right.
std::vector<TRect> GetRegionRects(HRGN region);

// Region is in logical units of dc here, as on the original platform.
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
bool InvertRgn(HDC dc, HRGN region);
