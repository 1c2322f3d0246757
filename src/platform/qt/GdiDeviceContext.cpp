// Device contexts: creation, state, selection, origins, clipping and
// capabilities, and the painter each drawing call goes through.
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "platform/qt/GdiBackend.h"
#include "platform/qt/GdiPdfJob.h"

// --- Bitmap painting ---------------------------------------------------------

QImage* TBitmapObject::PaintImage()
{
    if (Image.Empty())
        return nullptr;
    if (Image.Indexed()) {
        if (!FWorking) {
            FWorking = std::make_unique<QImage>(Image.Width, Image.Height, QImage::Format_RGB32);
            for (int32_t y = 0; y < Image.Height; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(FWorking->scanLine(y));
                ReadDibRow(Image, y, 0, Image.Width, row);
                for (int32_t x = 0; x < Image.Width; ++x)
                    row[x] |= 0xFF000000u;
            }
        }
        return FWorking.get();
    }
    QImage::Format format = QImage::Format_RGB32;
    if (Image.BitCount == 16)
        format = Image.Rgb565 ? QImage::Format_RGB16 : QImage::Format_RGB555;
    else if (Image.BitCount == 24)
        format = QImage::Format_BGR888;
    if (!FWrapped || FWrapped->constBits() != Image.Bits.data())
        FWrapped = std::make_unique<QImage>(Image.Bits.data(), Image.Width, Image.Height, Image.Stride, format);
    return FWrapped.get();
}

void TBitmapObject::FinishPainting()
{
    if (!FWorking)
        return;
    for (int32_t y = 0; y < Image.Height; ++y)
        WriteDibRow(Image, y, 0, Image.Width, reinterpret_cast<const uint32_t*>(FWorking->constScanLine(y)));
    FWorking.reset();
}

void TBitmapObject::PrepareAccess()
{
    if (!FWorking)
        return;
    if (PaintedBy)
        PaintedBy->EndPainter();
    FinishPainting();
}

void TBitmapObject::ReplaceImage(TDibImage&& image)
{
    if (PaintedBy)
        PaintedBy->EndPainter();
    FWorking.reset();
    FWrapped.reset();
    Image = std::move(image);
}

// --- Screen --------------------------------------------------------------------

int ScreenDpi()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = app->primaryScreen())
            return std::max(1, static_cast<int>(std::lround(s->logicalDotsPerInchY())));
    return 96;
}

QSize ScreenSize()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = app->primaryScreen())
            return s->geometry().size();
    return {1024, 768};
}

// --- Context -------------------------------------------------------------------

TDc::TDc(TDcKind kind, int dpiX, int dpiY) : Kind(kind), DpiX(dpiX), DpiY(dpiY)
{
    State.Pen = StockPen(BLACK_PEN);
    State.Brush = StockBrush(WHITE_BRUSH);
    State.Font = StockFont(SYSTEM_FONT);
    if (kind == TDcKind::Memory)
        State.Bitmap = StockMonoBitmap();
}

TDc::~TDc()
{
    EndPainter();
    FlushDirty();
    if (State.Bitmap && State.Bitmap->SelectedInto == this)
        State.Bitmap->SelectedInto = nullptr;
    for (auto& s : Saved)
        if (s.Bitmap && s.Bitmap->SelectedInto == this)
            s.Bitmap->SelectedInto = nullptr;
}

std::shared_ptr<TBitmapObject> TDc::TargetBitmap()
{
    if (Kind == TDcKind::Memory)
        return State.Bitmap;
    if (Kind == TDcKind::Window && Surface)
        return FindGdiObject<TBitmapObject>(Surface->SurfaceBitmap());
    return nullptr;
}

QPainter* TDc::Painter()
{
    if (Kind == TDcKind::Pdf) {
        QPainter* p = Pdf ? Pdf->PagePainter() : nullptr;
        if (p && FClipDirty) {
            if (State.HasClip)
                p->setClipRegion(State.Clip);
            else
                p->setClipping(false);
            FClipDirty = false;
        }
        return p;
    }
    auto bmp = TargetBitmap();
    if (!bmp || bmp->Image.Empty()) {
        EndPainter();
        return nullptr;
    }
    if (!FPainter || FPaintBitmap != bmp) {
        EndPainter();
        if (bmp->PaintedBy && bmp->PaintedBy != this)
            bmp->PaintedBy->EndPainter();
        QImage* image = bmp->PaintImage();
        if (!image)
            return nullptr;
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(image))
            return nullptr;
        FPainter = std::move(painter);
        FPaintBitmap = bmp;
        bmp->PaintedBy = this;
        FClipDirty = true;
    }
    if (FClipDirty) {
        if (State.HasClip)
            FPainter->setClipRegion(State.Clip);
        else
            FPainter->setClipping(false);
        FClipDirty = false;
    }
    FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter->setOpacity(1.0);
    FPainter->resetTransform();
    return FPainter.get();
}

void TDc::EndPainter()
{
    if (FPainter) {
        FPainter->end();
        FPainter.reset();
    }
    if (FPaintBitmap) {
        FPaintBitmap->PaintedBy = nullptr;
        FPaintBitmap->FinishPainting();
        FPaintBitmap.reset();
    }
    FClipDirty = true;
}

QSize TDc::DeviceSize()
{
    switch (Kind) {
    case TDcKind::Pdf: return Pdf ? Pdf->PageSizePixels() : QSize();
    case TDcKind::Screen: return ScreenSize();
    default: {
        auto bmp = TargetBitmap();
        return bmp ? QSize(bmp->Image.Width, bmp->Image.Height) : QSize();
    }
    }
}

QRegion TDc::VisibleRegion()
{
    QRegion r(QRect(QPoint(0, 0), DeviceSize()));
    return State.HasClip ? r.intersected(State.Clip) : r;
}

void TDc::MarkDirty(const QRect& deviceRect)
{
    if (Kind == TDcKind::Window)
        FDirty = FDirty.united(deviceRect.normalized().intersected(QRect(QPoint(0, 0), DeviceSize())));
}

void TDc::FlushDirty()
{
    if (Kind == TDcKind::Window && Surface && !FDirty.isEmpty()) {
        const QRect r = FDirty;
        FDirty = QRect();
        Surface->SurfaceChanged({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    }
}

std::shared_ptr<TRealisedFont> TDc::Font()
{
    auto font = State.Font ? State.Font : StockFont(SYSTEM_FONT);
    if (!font)
        return nullptr;
    // lfHeight 0: 12 points at this context's resolution.
    const int32_t defaultEm = std::max(1, static_cast<int32_t>(std::lround(12.0 * DpiY / 72.0)));
    if (!font->Realised || font->RealisedDefaultEm != defaultEm) {
        font->Realised = RealiseFont(font->Log, defaultEm, DpiX, DpiY);
        font->RealisedDefaultEm = defaultEm;
    }
    return font->Realised;
}

TDc* FindDC(HDC dc)
{
    return TGdiRegistry::Instance().FindDC(dc);
}

HDC GetScreenDC()
{
    EnsureGdiCleanup();
    const int dpi = ScreenDpi();
    return TGdiRegistry::Instance().AddDC(std::make_unique<TDc>(TDcKind::Screen, dpi, dpi));
}

HDC CreateCompatibleDC(HDC dc)
{
    EnsureGdiCleanup();
    int dpiX = ScreenDpi(), dpiY = dpiX;
    if (dc) {
        TDc* d = FindDC(dc);
        if (!d)
            return nullptr;
        dpiX = d->DpiX;
        dpiY = d->DpiY;
    }
    return TGdiRegistry::Instance().AddDC(std::make_unique<TDc>(TDcKind::Memory, dpiX, dpiY));
}

HDC CreateWindowSurfaceDC(TWindowSurface* surface)
{
    if (!surface)
        return nullptr;
    EnsureGdiCleanup();
    const int dpi = ScreenDpi();
    auto dc = std::make_unique<TDc>(TDcKind::Window, dpi, dpi);
    dc->Surface = surface;
    return TGdiRegistry::Instance().AddDC(std::move(dc));
}

bool DeleteDC(HDC dc)
{
    return TGdiRegistry::Instance().RemoveDC(dc);
}

int ReleaseDC(HDC dc)
{
    return DeleteDC(dc) ? 1 : 0;
}

bool GdiFlush(HDC dc)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    d->EndPainter();
    d->FlushDirty();
    return true;
}

bool IsDC(HDC dc)
{
    return FindDC(dc) != nullptr;
}

int SaveDC(HDC dc)
{
    TDc* d = FindDC(dc);
    if (!d)
        return 0;
    d->Saved.push_back(d->State);
    return static_cast<int>(d->Saved.size());
}

bool RestoreDC(HDC dc, int saved)
{
    TDc* d = FindDC(dc);
    if (!d || saved == 0)
        return false;
    const int size = static_cast<int>(d->Saved.size());
    const int level = saved > 0 ? saved : size + 1 + saved;
    if (level < 1 || level > size)
        return false;
    TDcState restored = std::move(d->Saved[level - 1]);
    d->Saved.resize(level - 1);
    if (restored.Bitmap != d->State.Bitmap) {
        d->EndPainter();
        if (d->State.Bitmap && d->State.Bitmap->SelectedInto == d)
            d->State.Bitmap->SelectedInto = nullptr;
        if (restored.Bitmap && restored.Bitmap != StockMonoBitmap())
            restored.Bitmap->SelectedInto = d;
    }
    d->State = std::move(restored);
    d->ClipChanged();
    return true;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    TDc* d = FindDC(dc);
    auto obj = TGdiRegistry::Instance().Find(object);
    if (!d || !obj)
        return nullptr;
    TDcState& s = d->State;
    switch (obj->ObjectType()) {
    case OBJ_PEN: {
        HGDIOBJ old = s.Pen.get();
        s.Pen = std::static_pointer_cast<TPenObject>(obj);
        return old;
    }
    case OBJ_BRUSH: {
        HGDIOBJ old = s.Brush.get();
        s.Brush = std::static_pointer_cast<TBrushObject>(obj);
        return old;
    }
    case OBJ_FONT: {
        HGDIOBJ old = s.Font.get();
        s.Font = std::static_pointer_cast<TFontObject>(obj);
        return old;
    }
    case OBJ_BITMAP: {
        if (d->Kind != TDcKind::Memory)
            return nullptr;
        auto bmp = std::static_pointer_cast<TBitmapObject>(obj);
        const bool stock = bmp == StockMonoBitmap();
        if (!stock && bmp->SelectedInto && bmp->SelectedInto != d)
            return nullptr;
        HGDIOBJ old = s.Bitmap.get();
        if (bmp != s.Bitmap) {
            d->EndPainter();
            if (s.Bitmap && s.Bitmap->SelectedInto == d)
                s.Bitmap->SelectedInto = nullptr;
            s.Bitmap = bmp;
            if (!stock)
                bmp->SelectedInto = d;
            d->ClipChanged();
        }
        return old;
    }
    case OBJ_REGION:
        return SelectClipRgn(dc, static_cast<HRGN>(object)) == RGN_ERROR ? nullptr : object;
    default: return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC dc, uint8_t objectType)
{
    TDc* d = FindDC(dc);
    if (!d)
        return nullptr;
    switch (objectType) {
    case OBJ_PEN: return d->State.Pen.get();
    case OBJ_BRUSH: return d->State.Brush.get();
    case OBJ_FONT: return d->State.Font.get();
    case OBJ_BITMAP: return d->TargetBitmap().get();
    default: return nullptr;
    }
}

// --- Simple state --------------------------------------------------------------

namespace {

template <class T, class F>
T SetState(HDC dc, T failure, F&& change)
{
    TDc* d = FindDC(dc);
    return d ? change(d->State) : failure;
}

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    return SetState(dc, CLR_INVALID, [&](TDcState& s) { return std::exchange(s.TextColor, color & 0xFFFFFF); });
}
COLORREF GetTextColor(HDC dc)
{
    return SetState(dc, CLR_INVALID, [](TDcState& s) { return s.TextColor; });
}
COLORREF SetBkColor(HDC dc, COLORREF color)
{
    return SetState(dc, CLR_INVALID, [&](TDcState& s) { return std::exchange(s.BkColor, color & 0xFFFFFF); });
}
COLORREF GetBkColor(HDC dc)
{
    return SetState(dc, CLR_INVALID, [](TDcState& s) { return s.BkColor; });
}
int SetBkMode(HDC dc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return SetState(dc, 0, [&](TDcState& s) { return std::exchange(s.BkMode, mode); });
}
int GetBkMode(HDC dc)
{
    return SetState(dc, 0, [](TDcState& s) { return s.BkMode; });
}
int SetROP2(HDC dc, int mode)
{
    if (mode < R2_BLACK || mode > R2_WHITE)
        return 0;
    return SetState(dc, 0, [&](TDcState& s) { return std::exchange(s.Rop2, mode); });
}
int GetROP2(HDC dc)
{
    return SetState(dc, 0, [](TDcState& s) { return s.Rop2; });
}
int SetPolyFillMode(HDC dc, int mode)
{
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    return SetState(dc, 0, [&](TDcState& s) { return std::exchange(s.PolyFillMode, mode); });
}
int GetPolyFillMode(HDC dc)
{
    return SetState(dc, 0, [](TDcState& s) { return s.PolyFillMode; });
}
int SetStretchBltMode(HDC dc, int mode)
{
    if (mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    return SetState(dc, 0, [&](TDcState& s) { return std::exchange(s.StretchMode, mode); });
}
int GetStretchBltMode(HDC dc)
{
    return SetState(dc, 0, [](TDcState& s) { return s.StretchMode; });
}
int SetArcDirection(HDC dc, int direction)
{
    if (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE)
        return 0;
    return SetState(dc, 0, [&](TDcState& s) { return std::exchange(s.ArcDirection, direction); });
}
int GetArcDirection(HDC dc)
{
    return SetState(dc, 0, [](TDcState& s) { return s.ArcDirection; });
}
uint32_t SetTextAlign(HDC dc, uint32_t align)
{
    return SetState(dc, GDI_ERROR, [&](TDcState& s) { return std::exchange(s.TextAlign, align); });
}
uint32_t GetTextAlign(HDC dc)
{
    return SetState(dc, GDI_ERROR, [](TDcState& s) { return s.TextAlign; });
}

namespace {

bool SetOrigin(HDC dc, TPoint TDcState::*field, TPoint value, TPoint* old)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    if (old)
        *old = d->State.*field;
    d->State.*field = value;
    return true;
}

}  // namespace

bool SetViewportOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
    return SetOrigin(dc, &TDcState::ViewportOrg, {x, y}, old);
}
bool OffsetViewportOrgEx(HDC dc, int32_t dx, int32_t dy, TPoint* old)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    auto sum = [](int32_t a, int32_t b) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
    };
    return SetOrigin(dc, &TDcState::ViewportOrg, {sum(d->State.ViewportOrg.X, dx), sum(d->State.ViewportOrg.Y, dy)},
                     old);
}
bool GetViewportOrgEx(HDC dc, TPoint* origin)
{
    TDc* d = FindDC(dc);
    if (!d || !origin)
        return false;
    *origin = d->State.ViewportOrg;
    return true;
}
bool SetWindowOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
    return SetOrigin(dc, &TDcState::WindowOrg, {x, y}, old);
}
bool GetWindowOrgEx(HDC dc, TPoint* origin)
{
    TDc* d = FindDC(dc);
    if (!d || !origin)
        return false;
    *origin = d->State.WindowOrg;
    return true;
}
bool SetBrushOrgEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
    return SetOrigin(dc, &TDcState::BrushOrg, {x, y}, old);
}

bool LPtoDP(HDC dc, TPoint* points, int count)
{
    TDc* d = FindDC(dc);
    if (!d || (count > 0 && !points))
        return false;
    for (int i = 0; i < count; ++i) {
        const QPoint p = d->ToDevice(points[i].X, points[i].Y);
        points[i] = {p.x(), p.y()};
    }
    return true;
}

bool DPtoLP(HDC dc, TPoint* points, int count)
{
    TDc* d = FindDC(dc);
    if (!d || (count > 0 && !points))
        return false;
    const TDcState& s = d->State;
    auto back = [](int32_t v, int32_t viewport, int32_t window) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} - viewport + window, INT32_MIN, INT32_MAX));
    };
    for (int i = 0; i < count; ++i)
        points[i] = {back(points[i].X, s.ViewportOrg.X, s.WindowOrg.X), back(points[i].Y, s.ViewportOrg.Y, s.WindowOrg.Y)};
    return true;
}

int GetDeviceCaps(HDC dc, int index)
{
    TDc* d = FindDC(dc);
    if (!d)
        return 0;
    const bool printer = d->Kind == TDcKind::Pdf;
    const QSize size = printer ? d->DeviceSize() : ScreenSize();
    auto mm = [](int pixels, int dpi) { return static_cast<int>(std::lround(pixels * 25.4 / std::max(1, dpi))); };
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return printer ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZSIZE: return mm(size.width(), d->DpiX);
    case VERTSIZE: return mm(size.height(), d->DpiY);
    case HORZRES: return size.width();
    case VERTRES: return size.height();
    case BITSPIXEL: return printer ? 24 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX: return 36;
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: return d->DpiX;
    case LOGPIXELSY: return d->DpiY;
    case SIZEPALETTE: return 0;
    case COLORRES: return 24;
    case PHYSICALWIDTH: return printer ? size.width() : 0;
    case PHYSICALHEIGHT: return printer ? size.height() : 0;
    case PHYSICALOFFSETX: return 0;
    case PHYSICALOFFSETY: return 0;
    default: return 0;
    }
}

// --- Clipping ------------------------------------------------------------------

namespace {

int RegionKind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int SetClip(TDc* d, const QRegion& region)
{
    d->State.Clip = region;
    d->State.HasClip = true;
    d->ClipChanged();
    return RegionKind(d->VisibleRegion());
}

QRegion CurrentClip(TDc* d)
{
    return d->State.HasClip ? d->State.Clip : QRegion(QRect(QPoint(0, 0), d->DeviceSize()));
}

}  // namespace

int SelectClipRgn(HDC dc, HRGN region)
{
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode)
{
    TDc* d = FindDC(dc);
    if (!d)
        return RGN_ERROR;
    if (!region) {
        if (mode != RGN_COPY)
            return RGN_ERROR;
        d->State.HasClip = false;
        d->State.Clip = QRegion();
        d->ClipChanged();
        return RegionKind(d->VisibleRegion());
    }
    auto rgn = FindGdiObject<TRegionObject>(region);
    if (!rgn)
        return RGN_ERROR;
    const QRegion current = CurrentClip(d);
    switch (mode) {
    case RGN_COPY: return SetClip(d, rgn->Region);
    case RGN_AND: return SetClip(d, current.intersected(rgn->Region));
    case RGN_OR: return SetClip(d, current.united(rgn->Region));
    case RGN_XOR: return SetClip(d, current.xored(rgn->Region));
    case RGN_DIFF: return SetClip(d, current.subtracted(rgn->Region));
    default: return RGN_ERROR;
    }
}

int IntersectClipRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    TDc* d = FindDC(dc);
    if (!d)
        return RGN_ERROR;
    const QRect r = d->ToDevice(NormalizedRect({left, top, right, bottom}));
    return SetClip(d, CurrentClip(d).intersected(QRegion(r)));
}

int ExcludeClipRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    TDc* d = FindDC(dc);
    if (!d)
        return RGN_ERROR;
    const QRect r = d->ToDevice(NormalizedRect({left, top, right, bottom}));
    return SetClip(d, CurrentClip(d).subtracted(QRegion(r)));
}

int OffsetClipRgn(HDC dc, int32_t dx, int32_t dy)
{
    TDc* d = FindDC(dc);
    if (!d)
        return RGN_ERROR;
    if (!d->State.HasClip)
        return RegionKind(d->VisibleRegion());
    return SetClip(d, d->State.Clip.translated(ClampRegionOffset(d->State.Clip, dx, dy)));
}

int GetClipBox(HDC dc, TRect* rect)
{
    TDc* d = FindDC(dc);
    if (!d || !rect)
        return RGN_ERROR;
    const QRegion visible = d->VisibleRegion();
    const QRect b = visible.boundingRect();
    TPoint pts[2] = {{b.left(), b.top()}, {b.left() + b.width(), b.top() + b.height()}};
    if (visible.isEmpty())
        pts[0] = pts[1] = {0, 0};
    DPtoLP(dc, pts, 2);
    *rect = {pts[0].X, pts[0].Y, pts[1].X, pts[1].Y};
    return RegionKind(visible);
}

int GetClipRgn(HDC dc, HRGN region)
{
    TDc* d = FindDC(dc);
    auto rgn = FindGdiObject<TRegionObject>(region);
    if (!d || !rgn)
        return -1;
    if (!d->State.HasClip)
        return 0;
    rgn->Region = d->State.Clip;
    return 1;
}

bool PtVisible(HDC dc, int32_t x, int32_t y)
{
    TDc* d = FindDC(dc);
    return d && d->VisibleRegion().contains(d->ToDevice(x, y));
}

bool RectVisible(HDC dc, const TRect& rect)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    const QRect r = d->ToDevice(NormalizedRect(rect));
    return !r.isEmpty() && d->VisibleRegion().intersects(r);
}
