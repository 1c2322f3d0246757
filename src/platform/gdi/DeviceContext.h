#pragma once
// Device contexts: the drawing state (selected font, pen, brush and bitmap,
// colours, modes, origins, clip region) over a device. Coordinates are
// logical units; device = logical - window origin + viewport origin.
#include "platform/gdi/GdiTypes.h"

// A window's drawing surface. The framework gives each window a backing
// bitmap; device contexts made on the window draw into it and report what
// they changed, so that the window shows it.
class TWindowSurface {
public:
    virtual ~TWindowSurface() = default;
    // The client-area bitmap (32 bits per pixel); may change between contexts.
    virtual HBITMAP SurfaceBitmap() = 0;
    // The device rectangle drawn since the last report.
    virtual void SurfaceChanged(const TRect& deviceRect) = 0;
};

// A context on the screen: resolution and fonts, for measuring (drawing on it
// does nothing). Freed with ReleaseDC or DeleteDC.
HDC GetScreenDC();
// A memory context with the resolution of dc (the screen when nullptr),
// holding a 1 x 1 monochrome bitmap until one is selected.
HDC CreateCompatibleDC(HDC dc);
// A context drawing into a window surface at the screen's resolution. The
// surface must outlive the context.
HDC CreateWindowSurfaceDC(TWindowSurface* surface);
bool DeleteDC(HDC dc);
int ReleaseDC(HDC dc);
// Reports the drawing of a window context to its surface now (it is reported
// at release anyway).
bool GdiFlush(HDC dc);

// Whether dc is a live context.
bool IsDC(HDC dc);

// Saves the whole state; returns its level (1 for the first) or 0.
int SaveDC(HDC dc);
// saved > 0: back to that level; < 0: that many levels back.
bool RestoreDC(HDC dc, int saved);

// Selects a pen, brush, font or bitmap and returns the one it replaces
// (nullptr on failure). A bitmap can be selected into one memory context at a
// time. Objects deleted while selected live on until they are replaced.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
inline HPEN SelectObject(HDC dc, HPEN pen) { return static_cast<HPEN>(SelectObject(dc, static_cast<HGDIOBJ>(pen))); }
inline HBRUSH SelectObject(HDC dc, HBRUSH brush)
{
    return static_cast<HBRUSH>(SelectObject(dc, static_cast<HGDIOBJ>(brush)));
}
inline HFONT SelectObject(HDC dc, HFONT font)
{
    return static_cast<HFONT>(SelectObject(dc, static_cast<HGDIOBJ>(font)));
}
inline HBITMAP SelectObject(HDC dc, HBITMAP bitmap)
{
    return static_cast<HBITMAP>(SelectObject(dc, static_cast<HGDIOBJ>(bitmap)));
}
// The selected object of a kind (OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP).
HGDIOBJ GetCurrentObject(HDC dc, uint8_t objectType);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);  // TRANSPARENT or OPAQUE
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);  // ALTERNATE or WINDING
int GetPolyFillMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetArcDirection(HDC dc, int direction);
int GetArcDirection(HDC dc);

bool SetViewportOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old = nullptr);
bool OffsetViewportOrgEx(HDC dc, int32_t dx, int32_t dy, TPoint* old = nullptr);
bool GetViewportOrgEx(HDC dc, TPoint* origin);
bool SetWindowOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old = nullptr);
bool GetWindowOrgEx(HDC dc, TPoint* origin);
bool SetBrushOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old = nullptr);
bool LPtoDP(HDC dc, TPoint* points, int count);
bool DPtoLP(HDC dc, TPoint* points, int count);

// Capabilities: LOGPIXELSX/Y, HORZRES/VERTRES, PHYSICALWIDTH/HEIGHT,
// PHYSICALOFFSETX/Y, HORZSIZE/VERTSIZE, BITSPIXEL, PLANES, TECHNOLOGY,
// RASTERCAPS, NUMCOLORS, SIZEPALETTE, ASPECTX/Y/XY. 0 for others.
int GetDeviceCaps(HDC dc, int index);

// Clipping. Regions are in device units; rectangles of IntersectClipRect and
// ExcludeClipRect in logical units. Results: NULLREGION, SIMPLEREGION,
// COMPLEXREGION or RGN_ERROR.
int SelectClipRgn(HDC dc, HRGN region);  // nullptr removes the clip
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
int ExcludeClipRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
int OffsetClipRgn(HDC dc, int32_t dx, int32_t dy);
// The bounds of the visible area in logical units (the whole device without a clip).
int GetClipBox(HDC dc, TRect* rect);
// Copies the clip into region: 1 when there is one, 0 when none, -1 on error.
int GetClipRgn(HDC dc, HRGN region);
bool PtVisible(HDC dc, int32_t x, int32_t y);
bool RectVisible(HDC dc, const TRect& rect);
