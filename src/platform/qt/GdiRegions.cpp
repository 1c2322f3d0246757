// Regions over QRegion.
#include <algorithm>

#include "platform/qt/GdiBackend.h"

namespace {

int RegionKind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN NewRegion(const QRegion& r)
{
    auto rgn = std::make_shared<TRegionObject>();
    rgn->Region = r;
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(std::move(rgn));
}

// Edges beyond the device coordinate range are brought back into it.
QRect ToQRect(const TRect& r)
{
    const TRect n = NormalizedRect(r);
    const int32_t left = ClampDeviceCoord(n.Left), top = ClampDeviceCoord(n.Top);
    const int32_t right = ClampDeviceCoord(n.Right), bottom = ClampDeviceCoord(n.Bottom);
    return QRect(left, top, right - left, bottom - top);
}

// The region moved from logical to device units of dc.
QRegion ToDevice(TDc* d, const QRegion& r)
{
    const QPoint o = d->ToDevice(0, 0);
    return r.translated(o);
}

}  // namespace

HRGN CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return NewRegion(QRegion(ToQRect({left, top, right, bottom})));
}

HRGN CreateRectRgnIndirect(const TRect& rect)
{
    return CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode)
{
    if (!points || count < 0)
        return nullptr;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(ClampDeviceCoord(points[i].X), ClampDeviceCoord(points[i].Y));
    if (count < 3)
        return NewRegion(QRegion());
    return NewRegion(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

HRGN CreateEllipticRgn(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return NewRegion(QRegion(ToQRect({left, top, right, bottom}), QRegion::Ellipse));
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode)
{
    auto d = FindGdiObject<TRegionObject>(dest);
    auto ra = FindGdiObject<TRegionObject>(a);
    if (!d || !ra)
        return RGN_ERROR;
    if (mode == RGN_COPY) {
        d->Region = ra->Region;
        return RegionKind(d->Region);
    }
    auto rb = FindGdiObject<TRegionObject>(b);
    if (!rb)
        return RGN_ERROR;
    switch (mode) {
    case RGN_AND: d->Region = ra->Region.intersected(rb->Region); break;
    case RGN_OR: d->Region = ra->Region.united(rb->Region); break;
    case RGN_XOR: d->Region = ra->Region.xored(rb->Region); break;
    case RGN_DIFF: d->Region = ra->Region.subtracted(rb->Region); break;
    default: return RGN_ERROR;
    }
    return RegionKind(d->Region);
}

bool SetRectRgn(HRGN region, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    auto r = FindGdiObject<TRegionObject>(region);
    if (!r)
        return false;
    r->Region = QRegion(ToQRect({left, top, right, bottom}));
    return true;
}

int OffsetRgn(HRGN region, int32_t dx, int32_t dy)
{
    auto r = FindGdiObject<TRegionObject>(region);
    if (!r)
        return RGN_ERROR;
    r->Region.translate(ClampRegionOffset(r->Region, dx, dy));
    return RegionKind(r->Region);
}

int GetRgnBox(HRGN region, TRect* box)
{
    auto r = FindGdiObject<TRegionObject>(region);
    if (!r || !box)
        return RGN_ERROR;
    const QRect b = r->Region.boundingRect();
    *box = r->Region.isEmpty() ? TRect{} : TRect{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
    return RegionKind(r->Region);
}

bool PtInRegion(HRGN region, int32_t x, int32_t y)
{
    auto r = FindGdiObject<TRegionObject>(region);
    return r && r->Region.contains(QPoint(x, y));
}

bool RectInRegion(HRGN region, const TRect& rect)
{
    auto r = FindGdiObject<TRegionObject>(region);
    const QRect q = ToQRect(rect);
    return r && !q.isEmpty() && r->Region.intersects(q);
}

bool EqualRgn(HRGN a, HRGN b)
{
    auto ra = FindGdiObject<TRegionObject>(a);
    auto rb = FindGdiObject<TRegionObject>(b);
    return ra && rb && ra->Region == rb->Region;
}

std::vector<TRect> GetRegionRects(HRGN region)
{
    std::vector<TRect> out;
    auto r = FindGdiObject<TRegionObject>(region);
    if (!r)
        return out;
    for (const QRect& q : r->Region)
        out.push_back({q.left(), q.top(), q.left() + q.width(), q.top() + q.height()});
    return out;
}

bool FillRgn(HDC dc, HRGN region, HBRUSH brush)
{
    TDc* d = FindDC(dc);
    auto r = FindGdiObject<TRegionObject>(region);
    auto b = FindGdiObject<TBrushObject>(brush);
    if (!d || !r || !b)
        return false;
    const QRegion device = ToDevice(d, r->Region);
    if (d->IsRaster()) {
        for (const QRect& q : device)
            RasterBlt(d, q, nullptr, PATCOPY, nullptr, b.get());
        return true;
    }
    QPainter* p = d->Painter();
    if (!p)
        return d->Kind == TDcKind::Screen;
    p->save();
    p->setClipRegion(device, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p->fillRect(device.boundingRect(), MakeQtBrush(b.get(), d->State.BkColor, d->State.BkMode == OPAQUE));
    p->restore();
    return true;
}

bool InvertRgn(HDC dc, HRGN region)
{
    TDc* d = FindDC(dc);
    auto r = FindGdiObject<TRegionObject>(region);
    if (!d || !r)
        return false;
    if (!d->IsRaster())
        return true;
    for (const QRect& q : ToDevice(d, r->Region))
        RasterBlt(d, q, nullptr, DSTINVERT);
    return true;
}
