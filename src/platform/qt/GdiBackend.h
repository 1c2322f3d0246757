#pragma once
// The objects behind the graphics layer's handles, and the device context, as
// the Qt backend implements them. Only the backend's sources include this.
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRegion>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Dib.h"
#include "platform/gdi/FontMetrics.h"
#include "platform/gdi/Gdi.h"

class QPdfWriter;
class TDc;

// --- Objects ---------------------------------------------------------------

class TPenObject final : public TGdiPen {
public:
    LOGPEN Log;
};

class TBrushObject final : public TGdiBrush {
public:
    LOGBRUSH Log;
    std::shared_ptr<const TDibImage> Pattern;  // BS_PATTERN
};

class TPaletteObject final : public TGdiPalette {
public:
    std::vector<PALETTEENTRY> Entries;
};

class TRegionObject final : public TGdiRegion {
public:
    QRegion Region;
};

// A bitmap's pixels, painted through a QImage: 16-, 24- and 32-bit pixels
// directly in place, indexed ones through a 32-bit working copy that goes back
// to the indices (nearest colour) when painting ends or the pixels are read.
class TBitmapObject final : public TGdiBitmap {
public:
    TDibImage Image;
    // A monochrome device bitmap (not a DIB): its bits stand for the text and
    // background colours of the contexts it is copied between.
    bool DeviceMono = false;
    // The context holding a painter on this bitmap, if any.
    TDc* PaintedBy = nullptr;
    // The memory context the bitmap is selected into, if any.
    TDc* SelectedInto = nullptr;

    // The image to paint on; valid until FinishPainting or a change of size.
    QImage* PaintImage();
    // Ends painting: indexed pixels are brought up to date.
    void FinishPainting();
    // Makes Image current before its pixels are read or written directly.
    void PrepareAccess();
    // Replaces the pixels (a painter on the old ones is ended first).
    void ReplaceImage(TDibImage&& image);

private:
    std::unique_ptr<QImage> FWrapped;
    std::unique_ptr<QImage> FWorking;
};

struct TFontFace;
struct TRealisedFont;

class TFontObject final : public TGdiFont {
public:
    LOGFONT Log;
    // The last realisation, reused while the default size stays the same.
    std::shared_ptr<TRealisedFont> Realised;
    int32_t RealisedDefaultEm = 0;
};

// --- Registry ----------------------------------------------------------------

// Owns every live object and context. Handles are the objects' addresses;
// lookups tell live handles from stale ones, so a stale handle fails instead
// of touching freed memory.
class TGdiRegistry {
public:
    static TGdiRegistry& Instance();

    template <class T>
    T* Add(std::shared_ptr<T> object)
    {
        T* raw = object.get();
        std::lock_guard<std::mutex> lock(FLock);
        FObjects[raw] = std::move(object);
        return raw;
    }
    void MarkStock(const TGdiObject* object);
    bool IsStock(const TGdiObject* object);
    std::shared_ptr<TGdiObject> Find(const TGdiObject* handle);
    bool Remove(const TGdiObject* handle);

    TDc* AddDC(std::unique_ptr<TDc> dc);
    TDc* FindDC(const TDeviceContext* handle);
    bool RemoveDC(const TDeviceContext* handle);

    // Frees everything (the windowing host is going away).
    void Clear();

private:
    std::mutex FLock;
    std::unordered_map<const TGdiObject*, std::shared_ptr<TGdiObject>> FObjects;
    std::unordered_map<const TGdiObject*, bool> FStock;
    std::unordered_map<const TDeviceContext*, std::unique_ptr<TDc>> FDCs;
};

template <class T> inline constexpr uint8_t GdiObjectKind = 0;
template <> inline constexpr uint8_t GdiObjectKind<class TPenObject> = OBJ_PEN;
template <> inline constexpr uint8_t GdiObjectKind<class TBrushObject> = OBJ_BRUSH;
template <> inline constexpr uint8_t GdiObjectKind<class TFontObject> = OBJ_FONT;
template <> inline constexpr uint8_t GdiObjectKind<class TBitmapObject> = OBJ_BITMAP;
template <> inline constexpr uint8_t GdiObjectKind<class TRegionObject> = OBJ_REGION;
template <> inline constexpr uint8_t GdiObjectKind<class TPaletteObject> = OBJ_PAL;

// The live object of a handle, of the kind T; null for stale or other handles.
template <class T>
std::shared_ptr<T> FindGdiObject(const TGdiObject* handle)
{
    auto o = TGdiRegistry::Instance().Find(handle);
    if (!o || o->ObjectType() != GdiObjectKind<T>)
        return nullptr;
    return std::static_pointer_cast<T>(o);
}

// Registers the clean-up of the graphics layer with the windowing host once.
void EnsureGdiCleanup();

// Stock objects as shared pointers (made on first use).
std::shared_ptr<TPenObject> StockPen(int index);
std::shared_ptr<TBrushObject> StockBrush(int index);
std::shared_ptr<TFontObject> StockFont(int index);
std::shared_ptr<TBitmapObject> StockMonoBitmap();

// --- Fonts -------------------------------------------------------------------

// One installed face (family, weight, slant) with its tables.
struct TFontFace {
    QRawFont Raw;
    TFontFaceTables Tables;
    std::string Family;  // code page 1252
    int Weight = 400;
    bool Italic = false;

    std::mutex Lock;
    std::unordered_map<uint8_t, std::shared_ptr<const std::vector<KERNINGPAIR>>> DesignKerning;
};

// A logical font realised: the face, its measures at the size, and the raw
// font at the em height for drawing.
struct TRealisedFont {
    std::shared_ptr<TFontFace> Face;
    TFontMeasures Measures;
    QRawFont Raw;
    std::string FaceName;
    uint8_t Charset = 0;
    bool SimulatedBold = false;
    bool SimulatedItalic = false;

    std::mutex Lock;
    std::shared_ptr<const std::vector<KERNINGPAIR>> Kerning;  // scaled, made on first request
};

// Realises a logical font (nullptr when no font at all can be loaded).
std::shared_ptr<TRealisedFont> RealiseFont(const LOGFONT& font, int32_t defaultEmHeight, int dpiX, int dpiY);
// Frees cached realisations and the family list.
void ClearFontCaches();

// --- Device context ----------------------------------------------------------

enum class TDcKind { Screen, Memory, Window, Pdf };

// Device coordinates and region edges are kept within +-2^30, so that the
// width of any rectangle and the sum of two coordinates fit in 32 bits;
// anything beyond lies far outside every device.
constexpr int64_t MaxDeviceCoord = (int64_t{1} << 30) - 1;
inline int32_t ClampDeviceCoord(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, -MaxDeviceCoord, MaxDeviceCoord));
}
// The device rectangle from a corner (in range) and a size, negative sizes
// kept, its far edge brought back into range.
inline QRect DeviceRect(const QPoint& corner, int32_t width, int32_t height)
{
    const int32_t right = ClampDeviceCoord(int64_t{corner.x()} + width);
    const int32_t bottom = ClampDeviceCoord(int64_t{corner.y()} + height);
    return QRect(corner.x(), corner.y(), right - corner.x(), bottom - corner.y());
}
// A translation of a region limited so that the region stays in that range.
inline QPoint ClampRegionOffset(const QRegion& region, int64_t dx, int64_t dy)
{
    if (region.isEmpty())
        return {};
    const QRect b = region.boundingRect();
    dx = std::clamp<int64_t>(dx, -MaxDeviceCoord - b.left(), MaxDeviceCoord - b.right());
    dy = std::clamp<int64_t>(dy, -MaxDeviceCoord - b.top(), MaxDeviceCoord - b.bottom());
    return {static_cast<int>(dx), static_cast<int>(dy)};
}

struct TDcState {
    std::shared_ptr<TPenObject> Pen;
    std::shared_ptr<TBrushObject> Brush;
    std::shared_ptr<TFontObject> Font;
    std::shared_ptr<TBitmapObject> Bitmap;  // memory contexts
    COLORREF TextColor = 0;
    COLORREF BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    int PolyFillMode = ALTERNATE;
    int StretchMode = BLACKONWHITE;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    uint32_t TextAlign = TA_TOP | TA_LEFT;
    TPoint ViewportOrg;
    TPoint WindowOrg;
    TPoint BrushOrg;
    TPoint Position;
    bool HasClip = false;
    QRegion Clip;  // device units
};

struct TPdfJob;

class TDc final : public TDeviceContext {
public:
    TDc(TDcKind kind, int dpiX, int dpiY);
    ~TDc() override;

    TDcKind Kind;
    int DpiX;
    int DpiY;
    TDcState State;
    std::vector<TDcState> Saved;

    TWindowSurface* Surface = nullptr;
    std::unique_ptr<TPdfJob> Pdf;

    // The bitmap drawn on (memory: the selected one; window: the surface's).
    std::shared_ptr<TBitmapObject> TargetBitmap();
    // A painter on the device with the clip applied, or nullptr when the
    // device cannot be drawn on now.
    QPainter* Painter();
    void EndPainter();
    // The painter's clip must be set again (clip or device changed).
    void ClipChanged() { FClipDirty = true; }

    // Device size in pixels (bitmap, surface or page).
    QSize DeviceSize();
    // The region drawing may touch, device units.
    QRegion VisibleRegion();
    bool IsRaster() { return Kind == TDcKind::Memory || Kind == TDcKind::Window; }

    QPoint ToDevice(int32_t x, int32_t y) const
    {
        return {ClampDeviceCoord(int64_t{x} - State.WindowOrg.X + State.ViewportOrg.X),
                ClampDeviceCoord(int64_t{y} - State.WindowOrg.Y + State.ViewportOrg.Y)};
    }
    QRect ToDevice(const TRect& r) const
    {
        const QPoint a = ToDevice(r.Left, r.Top);
        const QPoint b = ToDevice(r.Right, r.Bottom);
        return QRect(a, QSize(b.x() - a.x(), b.y() - a.y()));
    }

    // Window contexts: the area drawn since the last report.
    void MarkDirty(const QRect& deviceRect);
    void FlushDirty();

    // The selected font realised (the stock system font when none).
    std::shared_ptr<TRealisedFont> Font();

private:
    std::unique_ptr<QPainter> FPainter;
    std::shared_ptr<TBitmapObject> FPaintBitmap;
    bool FClipDirty = true;
    QRect FDirty;
};

TDc* FindDC(HDC dc);
int ScreenDpi();
QSize ScreenSize();

// Colours between the two conventions.
inline QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline uint32_t ToXrgb(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF FromXrgb(uint32_t p)
{
    return RGB(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
}

// The colour of a brush at a device pixel; background pixels of hatched
// brushes report isBackground.
class TBrushSampler {
public:
    TBrushSampler(const TBrushObject* brush, TPoint origin, COLORREF bkColor);
    bool Null() const { return FNull; }
    bool Solid() const { return FSolid; }
    uint32_t At(int32_t x, int32_t y, bool& isBackground) const;

private:
    bool FNull = false;
    bool FSolid = true;
    uint32_t FColor = 0;
    uint32_t FBack = 0;
    int FHatch = 0;
    const TDibImage* FPattern = nullptr;
    TPoint FOrigin;
};

// Raster transfer on a memory or window context: every pixel of dest (device
// rectangle, negative sizes mirror) gets rop(pattern, source, dest), within the
// clip. source is optional (null for pattern-only operations).
struct TBltSource {
    const TDibImage* Image = nullptr;
    bool DeviceMono = false;      // a monochrome device bitmap
    QRect Rect;                  // source pixels (may be larger or smaller: stretched)
    COLORREF BkColor = 0xFFFFFF;  // of the source context, for colour to monochrome
};
// brush is the pattern (the selected brush when null).
bool RasterBlt(TDc* dest, const QRect& destRect, const TBltSource* source, uint32_t rop,
               const COLORREF* transparent = nullptr, const TBrushObject* brush = nullptr);

// A Qt brush with the look of a brush object (hatches and patterns as 8 x 8
// or pattern-sized textures; hatch background opaque or transparent).
QBrush MakeQtBrush(const TBrushObject* brush, COLORREF bkColor, bool opaque);
