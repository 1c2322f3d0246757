// Lines, shapes, pixels and rectangle fills.
#include <algorithm>
#include <cmath>

#include "platform/qt/GdiBackend.h"

QBrush MakeQtBrush(const TBrushObject* brush, COLORREF bkColor, bool opaque)
{
    if (!brush || brush->Log.lbStyle == BS_NULL)
        return QBrush(Qt::NoBrush);
    if (brush->Log.lbStyle == BS_SOLID || (brush->Log.lbStyle == BS_PATTERN && !brush->Pattern))
        return QBrush(ToQColor(brush->Log.lbColor));
    const TBrushSampler sampler(brush, {0, 0}, bkColor);
    const int w = brush->Pattern ? brush->Pattern->Width : 8;
    const int h = brush->Pattern ? brush->Pattern->Height : 8;
    QImage texture(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(texture.scanLine(y));
        for (int x = 0; x < w; ++x) {
            bool background = false;
            const uint32_t c = sampler.At(x, y, background);
            row[x] = (background && !opaque) ? 0u : (0xFF000000u | c);
        }
    }
    return QBrush(texture);
}

namespace {

// How a mix mode draws: the composition and, for the modes that ignore the
// pen's colour, the colour to use.
struct TMix {
    bool Skip = false;
    QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
    bool ForceColor = false;
    QColor Color;
};

TMix MixFor(TDc* d)
{
    TMix m;
    const bool raster = d->IsRaster();
    switch (d->State.Rop2) {
    case R2_NOP: m.Skip = true; break;
    case R2_BLACK: m.ForceColor = true; m.Color = Qt::black; break;
    case R2_WHITE: m.ForceColor = true; m.Color = Qt::white; break;
    case R2_COPYPEN: break;
    case R2_NOT: m.Mode = QPainter::RasterOp_NotDestination; m.ForceColor = true; m.Color = Qt::black; break;
    case R2_NOTCOPYPEN: m.Mode = QPainter::RasterOp_NotSource; break;
    case R2_XORPEN: m.Mode = QPainter::RasterOp_SourceXorDestination; break;
    case R2_NOTXORPEN: m.Mode = QPainter::RasterOp_NotSourceXorDestination; break;
    case R2_MASKPEN: m.Mode = QPainter::RasterOp_SourceAndDestination; break;
    case R2_NOTMASKPEN: m.Mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case R2_MERGEPEN: m.Mode = QPainter::RasterOp_SourceOrDestination; break;
    case R2_NOTMERGEPEN: m.Mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case R2_MASKNOTPEN: m.Mode = QPainter::RasterOp_NotSourceAndDestination; break;
    case R2_MASKPENNOT: m.Mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case R2_MERGENOTPEN: m.Mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case R2_MERGEPENNOT: m.Mode = QPainter::RasterOp_SourceOrNotDestination; break;
    default: break;
    }
    if (!raster && m.Mode != QPainter::CompositionMode_SourceOver) {
        // Files have no destination pixels to mix with: inverting modes draw nothing.
        if (m.Mode == QPainter::RasterOp_NotDestination || m.Mode == QPainter::RasterOp_SourceXorDestination ||
            m.Mode == QPainter::RasterOp_NotSourceXorDestination)
            m.Skip = true;
        m.Mode = QPainter::CompositionMode_SourceOver;
    }
    return m;
}

constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

// The pen as Qt draws it; false for the null pen.
bool MakeQtPen(TDc* d, const TMix& mix, QPen& out, QPen* gapPen)
{
    const TPenObject* pen = d->State.Pen.get();
    const int style = pen ? static_cast<int>(pen->Log.lopnStyle & PS_STYLE_MASK) : PS_NULL;
    if (style == PS_NULL)
        return false;
    const QColor color = mix.ForceColor ? mix.Color : ToQColor(pen->Log.lopnColor);
    const int width = pen->Log.lopnWidth.X;
    QPen p(color);
    if (width <= 1) {
        p.setWidth(0);
        p.setCapStyle(Qt::FlatCap);
        const int* pattern = nullptr;
        int count = 0;
        switch (style) {
        case PS_DASH: pattern = kDash; count = 2; break;
        case PS_DOT: pattern = kDot; count = 2; break;
        case PS_DASHDOT: pattern = kDashDot; count = 4; break;
        case PS_DASHDOTDOT: pattern = kDashDotDot; count = 6; break;
        default: break;
        }
        if (pattern) {
            QVector<qreal> dashes;
            for (int i = 0; i < count; ++i)
                dashes << pattern[i];
            p.setDashPattern(dashes);
            if (gapPen && d->State.BkMode == OPAQUE && d->State.Rop2 == R2_COPYPEN) {
                *gapPen = QPen(ToQColor(d->State.BkColor));
                gapPen->setWidth(0);
                gapPen->setCapStyle(Qt::FlatCap);
            }
        }
    } else {
        p.setWidth(width);
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
    }
    out = p;
    return true;
}

// Prepares the painter for a shape: returns false when nothing is drawn.
struct TShapeDraw {
    QPainter* P = nullptr;
    bool HasPen = false;
    bool HasBrush = false;
    QPen Pen;
    QPen GapPen = QPen(Qt::NoPen);
    QBrush Brush;
    int PenWidth = 1;
};

bool BeginShape(TDc* d, bool fill, TShapeDraw& s)
{
    const TMix mix = MixFor(d);
    if (mix.Skip)
        return false;
    s.P = d->Painter();
    if (!s.P)
        return false;
    s.HasPen = MakeQtPen(d, mix, s.Pen, &s.GapPen);
    s.PenWidth = s.HasPen ? std::max(1, d->State.Pen->Log.lopnWidth.X) : 0;
    if (fill && d->State.Brush && d->State.Brush->Log.lbStyle != BS_NULL) {
        s.HasBrush = true;
        if (mix.ForceColor)
            s.Brush = QBrush(mix.Color);
        else
            s.Brush = MakeQtBrush(d->State.Brush.get(), d->State.BkColor, d->State.BkMode == OPAQUE);
    }
    s.P->setCompositionMode(mix.Mode);
    s.P->setRenderHint(QPainter::Antialiasing, false);
    s.P->setBrushOrigin(d->State.BrushOrg.X, d->State.BrushOrg.Y);
    return s.HasPen || s.HasBrush;
}

template <class Draw>
void StrokeWith(TShapeDraw& s, Draw&& draw)
{
    s.P->setBrush(Qt::NoBrush);
    if (s.GapPen.style() != Qt::NoPen) {
        s.P->setPen(s.GapPen);
        draw();
    }
    s.P->setPen(s.Pen);
    draw();
}

// A closed shape: the interior with the brush, then the outline with the pen.
template <class Draw>
void FillAndStroke(TShapeDraw& s, Draw&& draw)
{
    if (s.HasBrush) {
        s.P->setPen(Qt::NoPen);
        s.P->setBrush(s.Brush);
        draw();
    }
    if (s.HasPen)
        StrokeWith(s, draw);
}

QRect ShapeBounds(TDc* d, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return d->ToDevice(NormalizedRect({left, top, right, bottom}));
}

void MarkShape(TDc* d, const QRect& r, int penWidth)
{
    d->MarkDirty(r.adjusted(-penWidth, -penWidth, penWidth, penWidth));
}

// Angle in degrees (counter-clockwise, 0 at three o'clock) of a point seen from a centre.
double AngleOf(double cx, double cy, double x, double y)
{
    if (x == cx && y == cy)
        return 0;
    double a = std::atan2(-(y - cy), x - cx) * 180.0 / M_PI;
    return a < 0 ? a + 360.0 : a;
}

enum class TArcKind { Arc, Pie, Chord };

bool DrawArcShape(HDC dc, TArcKind kind, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xs,
                  int32_t ys, int32_t xe, int32_t ye)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, kind != TArcKind::Arc, s))
        return true;
    const QRect r = ShapeBounds(d, left, top, right, bottom);
    if (r.width() < 2 || r.height() < 2)
        return true;
    const QRect box(r.left(), r.top(), r.width() - 1, r.height() - 1);
    const QPoint ps = d->ToDevice(xs, ys), pe = d->ToDevice(xe, ye);
    const double cx = box.left() + box.width() / 2.0, cy = box.top() + box.height() / 2.0;
    const double a1 = AngleOf(cx, cy, ps.x(), ps.y());
    const double a2 = AngleOf(cx, cy, pe.x(), pe.y());
    double span;
    if (d->State.ArcDirection == AD_COUNTERCLOCKWISE) {
        span = a2 - a1;
        if (span <= 0)
            span += 360.0;
    } else {
        span = a2 - a1;
        if (span >= 0)
            span -= 360.0;
    }
    const int start16 = static_cast<int>(std::lround(a1 * 16));
    const int span16 = static_cast<int>(std::lround(span * 16));
    FillAndStroke(s, [&] {
        if (kind == TArcKind::Arc)
            s.P->drawArc(box, start16, span16);
        else if (kind == TArcKind::Pie)
            s.P->drawPie(box, start16, span16);
        else
            s.P->drawChord(box, start16, span16);
    });
    MarkShape(d, r, s.PenWidth);
    return true;
}

}  // namespace

bool MoveToEx(HDC dc, int32_t x, int32_t y, TPoint* old)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    if (old)
        *old = d->State.Position;
    d->State.Position = {x, y};
    return true;
}

bool GetCurrentPositionEx(HDC dc, TPoint* position)
{
    TDc* d = FindDC(dc);
    if (!d || !position)
        return false;
    *position = d->State.Position;
    return true;
}

bool LineTo(HDC dc, int32_t x, int32_t y)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    const TPoint from = d->State.Position;
    d->State.Position = {x, y};
    if (from.X == x && from.Y == y)
        return true;  // a line leaves out its last point: nothing to draw
    TShapeDraw s;
    if (!BeginShape(d, false, s))
        return true;
    const QPoint a = d->ToDevice(from.X, from.Y), b = d->ToDevice(x, y);
    StrokeWith(s, [&] { s.P->drawLine(a, b); });
    MarkShape(d, QRect(a, b).normalized(), s.PenWidth);
    return true;
}

bool Polyline(HDC dc, const TPoint* points, int count)
{
    TDc* d = FindDC(dc);
    if (!d || count < 2 || !points)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, false, s))
        return true;
    QPolygon poly;
    for (int i = 0; i < count; ++i) {
        const QPoint p = d->ToDevice(points[i].X, points[i].Y);
        if (poly.isEmpty() || poly.last() != p)
            poly << p;
    }
    if (poly.size() < 2)
        return true;
    StrokeWith(s, [&] { s.P->drawPolyline(poly); });
    MarkShape(d, poly.boundingRect(), s.PenWidth);
    return true;
}

bool Polygon(HDC dc, const TPoint* points, int count)
{
    TDc* d = FindDC(dc);
    if (!d || count < 2 || !points)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, true, s))
        return true;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << d->ToDevice(points[i].X, points[i].Y);
    const Qt::FillRule rule = d->State.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    FillAndStroke(s, [&] { s.P->drawPolygon(poly, rule); });
    MarkShape(d, poly.boundingRect(), s.PenWidth);
    return true;
}

bool Rectangle(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, true, s))
        return true;
    const QRect r = ShapeBounds(d, left, top, right, bottom);
    if (r.width() < 1 || r.height() < 1)
        return true;
    if (s.HasBrush) {
        // The interior inside a one-pixel outline; without an outline the fill
        // stops one pixel short on the right and at the bottom, as on the
        // original platform.
        const QRect inner = s.HasPen ? r.adjusted(1, 1, -1, -1) : r.adjusted(0, 0, -1, -1);
        if (inner.isValid())
            s.P->fillRect(inner, s.Brush);
    }
    if (s.HasPen)
        StrokeWith(s, [&] { s.P->drawRect(QRect(r.left(), r.top(), r.width() - 1, r.height() - 1)); });
    MarkShape(d, r, s.PenWidth);
    return true;
}

bool RoundRect(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, true, s))
        return true;
    const QRect r = ShapeBounds(d, left, top, right, bottom);
    if (r.width() < 2 || r.height() < 2)
        return true;
    const QRectF box(r.left(), r.top(), r.width() - 1, r.height() - 1);
    const qreal rx = std::abs(width) / 2.0, ry = std::abs(height) / 2.0;
    FillAndStroke(s, [&] { s.P->drawRoundedRect(box, rx, ry); });
    MarkShape(d, r, s.PenWidth);
    return true;
}

bool Ellipse(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    TShapeDraw s;
    if (!BeginShape(d, true, s))
        return true;
    const QRect r = ShapeBounds(d, left, top, right, bottom);
    if (r.width() < 2 || r.height() < 2)
        return true;
    const QRect box(r.left(), r.top(), r.width() - 1, r.height() - 1);
    FillAndStroke(s, [&] { s.P->drawEllipse(box); });
    MarkShape(d, r, s.PenWidth);
    return true;
}

bool Arc(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
         int32_t xEnd, int32_t yEnd)
{
    return DrawArcShape(dc, TArcKind::Arc, left, top, right, bottom, xStart, yStart, xEnd, yEnd);
}

bool Pie(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
         int32_t xEnd, int32_t yEnd)
{
    return DrawArcShape(dc, TArcKind::Pie, left, top, right, bottom, xStart, yStart, xEnd, yEnd);
}

bool Chord(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t xStart, int32_t yStart,
           int32_t xEnd, int32_t yEnd)
{
    return DrawArcShape(dc, TArcKind::Chord, left, top, right, bottom, xStart, yStart, xEnd, yEnd);
}

// --- Pixels ----------------------------------------------------------------------

COLORREF SetPixel(HDC dc, int32_t x, int32_t y, COLORREF color)
{
    TDc* d = FindDC(dc);
    if (!d)
        return CLR_INVALID;
    const QPoint p = d->ToDevice(x, y);
    if (d->Kind == TDcKind::Pdf) {
        QPainter* painter = d->Painter();
        if (!painter)
            return CLR_INVALID;
        painter->fillRect(QRect(p, QSize(1, 1)), ToQColor(color));
        return color & 0xFFFFFF;
    }
    auto bmp = d->TargetBitmap();
    if (!bmp || !d->VisibleRegion().contains(p))
        return CLR_INVALID;
    bmp->PrepareAccess();
    SetDibPixel(bmp->Image, p.x(), p.y(), ToXrgb(color));
    d->MarkDirty(QRect(p, QSize(1, 1)));
    return FromXrgb(DibPixel(bmp->Image, p.x(), p.y()));
}

bool SetPixelV(HDC dc, int32_t x, int32_t y, COLORREF color)
{
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int32_t x, int32_t y)
{
    TDc* d = FindDC(dc);
    if (!d)
        return CLR_INVALID;
    auto bmp = d->TargetBitmap();
    const QPoint p = d->ToDevice(x, y);
    if (!bmp || !d->VisibleRegion().contains(p))
        return CLR_INVALID;
    bmp->PrepareAccess();
    return FromXrgb(DibPixel(bmp->Image, p.x(), p.y()));
}

// --- Rectangle fills -----------------------------------------------------------

namespace {

bool FillWithBrush(TDc* d, const QRect& r, const TBrushObject* brush, uint32_t rop)
{
    if (r.isEmpty())
        return true;
    if (d->IsRaster())
        return RasterBlt(d, r, nullptr, rop, nullptr, brush);
    QPainter* p = d->Painter();
    if (!p)
        return d->Kind == TDcKind::Screen;
    switch (rop) {
    case PATCOPY:
        p->setBrushOrigin(d->State.BrushOrg.X, d->State.BrushOrg.Y);
        p->fillRect(r, MakeQtBrush(brush, d->State.BkColor, d->State.BkMode == OPAQUE));
        break;
    case BLACKNESS: p->fillRect(r, Qt::black); break;
    case WHITENESS: p->fillRect(r, Qt::white); break;
    default: break;  // a file has no pixels to mix with
    }
    return true;
}

}  // namespace

int FillRect(HDC dc, const TRect& rect, HBRUSH brush)
{
    TDc* d = FindDC(dc);
    auto b = FindGdiObject<TBrushObject>(brush);
    if (!d || !b)
        return 0;
    return FillWithBrush(d, d->ToDevice(NormalizedRect(rect)), b.get(), PATCOPY) ? 1 : 0;
}

int FrameRect(HDC dc, const TRect& rect, HBRUSH brush)
{
    TDc* d = FindDC(dc);
    auto b = FindGdiObject<TBrushObject>(brush);
    if (!d || !b)
        return 0;
    const QRect r = d->ToDevice(NormalizedRect(rect));
    if (r.isEmpty())
        return 1;
    FillWithBrush(d, QRect(r.left(), r.top(), r.width(), 1), b.get(), PATCOPY);
    FillWithBrush(d, QRect(r.left(), r.bottom(), r.width(), 1), b.get(), PATCOPY);
    FillWithBrush(d, QRect(r.left(), r.top() + 1, 1, r.height() - 2), b.get(), PATCOPY);
    FillWithBrush(d, QRect(r.right(), r.top() + 1, 1, r.height() - 2), b.get(), PATCOPY);
    return 1;
}

bool InvertRect(HDC dc, const TRect& rect)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    return FillWithBrush(d, d->ToDevice(NormalizedRect(rect)), nullptr, DSTINVERT);
}

bool PatBlt(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    auto end = [](int32_t a, int32_t b) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
    };
    const QRect r = d->ToDevice(NormalizedRect({x, y, end(x, width), end(y, height)}));
    return FillWithBrush(d, r, d->State.Brush.get(), rop);
}

bool DrawFocusRect(HDC dc, const TRect& rect)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    auto bmp = d->TargetBitmap();
    if (!bmp)
        return true;
    const QRect r = d->ToDevice(NormalizedRect(rect)).intersected(QRect(0, 0, bmp->Image.Width, bmp->Image.Height));
    const QRect full = d->ToDevice(NormalizedRect(rect));
    if (full.isEmpty())
        return true;
    bmp->PrepareAccess();
    const QRegion visible = d->VisibleRegion();
    auto invert = [&](int x, int y) {
        if (((x + y) & 1) == 0 && r.contains(x, y) && visible.contains(QPoint(x, y)))
            SetDibPixel(bmp->Image, x, y, ~DibPixel(bmp->Image, x, y) & 0xFFFFFF);
    };
    // Only the part of the edges on the bitmap is visited.
    if (r.isEmpty())
        return true;
    for (int x = std::max(full.left(), r.left()); x <= std::min(full.right(), r.right()); ++x) {
        invert(x, full.top());
        if (full.bottom() != full.top())
            invert(x, full.bottom());
    }
    for (int y = std::max(full.top() + 1, r.top()); y < full.bottom() && y <= r.bottom(); ++y) {
        invert(full.left(), y);
        if (full.right() != full.left())
            invert(full.right(), y);
    }
    d->MarkDirty(full);
    return true;
}
