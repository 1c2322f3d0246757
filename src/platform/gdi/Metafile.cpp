#include "platform/gdi/Metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Regions.h"
#include "platform/runtime/CodePages.h"

class TEnhMetafileData {
public:
    std::vector<uint8_t> Bits;     // enhanced-metafile records
    std::vector<uint8_t> WinBits;  // the Windows metafile it was made from
};

namespace {

constexpr uint32_t EmfSignature = 0x464D4520;   // " EMF"
constexpr uint32_t GdiCommentIdent = 0x43494447;  // "GDIC"
constexpr uint32_t GdiCommentWindowsMetafile = 0x80000001;
constexpr uint32_t EmfHeaderSize = 88;
constexpr int MaxNesting = 4;
// A bitmap inside a metafile larger than this is not drawn.
constexpr int64_t MaxMetafileBitmapPixels = 64LL * 1024 * 1024;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// One record, every field read checked against its size.
struct TRec {
    const uint8_t* P = nullptr;
    size_t N = 0;
    bool Has(size_t off, size_t len) const { return off <= N && len <= N - off; }
    uint32_t U32(size_t off) const { return Has(off, 4) ? Le32(P + off) : 0; }
    int32_t I32(size_t off) const { return static_cast<int32_t>(U32(off)); }
    uint16_t U16(size_t off) const { return Has(off, 2) ? Le16(P + off) : 0; }
    int16_t I16(size_t off) const { return static_cast<int16_t>(U16(off)); }
    uint8_t U8(size_t off) const { return Has(off, 1) ? P[off] : 0; }
    float F32(size_t off) const
    {
        const uint32_t v = U32(off);
        float f;
        std::memcpy(&f, &v, 4);
        return std::isfinite(f) ? f : 0.0f;
    }
};

void PutU32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutI32(std::string& s, int32_t v) { PutU32(s, static_cast<uint32_t>(v)); }
void PutU16(std::string& s, uint16_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void PutRect(std::string& s, const TRect& r)
{
    PutI32(s, r.Left);
    PutI32(s, r.Top);
    PutI32(s, r.Right);
    PutI32(s, r.Bottom);
}

// --- Device-independent bitmaps inside records ----------------------------

// Decodes a packed DIB (header, colour table, bits) given as two ranges of a
// record. Colour tables hold at most 256 entries.
bool DecodeRecordDib(const TRec& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                     TDibImage& img)
{
    if (cbBmi < 12 || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
        return false;
    TRec h{r.P + offBmi, cbBmi};
    BITMAPINFO info;
    const uint32_t headerSize = h.U32(0);
    size_t colorSize = 4;
    if (headerSize == 12) {
        info.bmiHeader.biWidth = h.U16(4);
        info.bmiHeader.biHeight = h.I16(6);
        info.bmiHeader.biBitCount = h.U16(10);
        colorSize = 3;
    } else if (headerSize >= 40 && headerSize <= cbBmi) {
        info.bmiHeader.biWidth = h.I32(4);
        info.bmiHeader.biHeight = h.I32(8);
        info.bmiHeader.biBitCount = h.U16(14);
        info.bmiHeader.biCompression = h.U32(16);
        info.bmiHeader.biSizeImage = h.U32(20);
        info.bmiHeader.biClrUsed = h.U32(32);
    } else {
        return false;
    }
    const int bits = info.bmiHeader.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const int64_t w = info.bmiHeader.biWidth;
    const int64_t hgt = std::llabs(static_cast<int64_t>(info.bmiHeader.biHeight));
    if (w <= 0 || hgt <= 0 || w * hgt > MaxMetafileBitmapPixels)
        return false;
    size_t colors = 0;
    if (bits <= 8)
        colors = info.bmiHeader.biClrUsed ? std::min<size_t>(info.bmiHeader.biClrUsed, size_t{1} << bits)
                                          : size_t{1} << bits;
    else if (info.bmiHeader.biCompression == BI_BITFIELDS)
        colors = 3;
    size_t off = headerSize;
    for (size_t i = 0; i < colors; ++i, off += colorSize) {
        if (!h.Has(off, colorSize)) {
            // A short colour table: the missing entries stay black.
            info.bmiColors.resize(colors);
            break;
        }
        RGBQUAD q;
        q.rgbBlue = h.U8(off);
        q.rgbGreen = h.U8(off + 1);
        q.rgbRed = h.U8(off + 2);
        q.rgbReserved = colorSize == 4 ? h.U8(off + 3) : 0;
        info.bmiColors.push_back(q);
    }
    std::string error;
    return DecodeDib(info, r.P + offBits, cbBits, img, error);
}

// --- Transformations -------------------------------------------------------

struct TXform {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    // this applied first, then b.
    TXform Then(const TXform& b) const
    {
        TXform r;
        r.M11 = M11 * b.M11 + M12 * b.M21;
        r.M12 = M11 * b.M12 + M12 * b.M22;
        r.M21 = M21 * b.M11 + M22 * b.M21;
        r.M22 = M21 * b.M12 + M22 * b.M22;
        r.Dx = Dx * b.M11 + Dy * b.M21 + b.Dx;
        r.Dy = Dx * b.M12 + Dy * b.M22 + b.Dy;
        return r;
    }
};

struct TPt {
    double X = 0, Y = 0;
};

// What a metafile object describes; realised as a device object when selected.
struct TMetaObject {
    enum TKind : uint8_t { None, Pen, Brush, Font, Palette, Region } Kind = None;
    LOGPEN LogPen;
    bool CosmeticPen = false;
    LOGBRUSH LogBrush;
    std::shared_ptr<TDibImage> Pattern;
    LOGFONT LogFont;
    std::vector<TRect> Rects;  // region, logical units
};

struct TPlayState {
    int32_t MapMode = MM_TEXT;
    double WinOrgX = 0, WinOrgY = 0, WinExtX = 1, WinExtY = 1;
    double VpOrgX = 0, VpOrgY = 0, VpExtX = 1, VpExtY = 1;
    TXform World;
    TMetaObject Pen, Brush, Font;
    TPt Position;
    uint32_t TextAlign = 0;
    int PolyFillMode = ALTERNATE;
    HRGN Clip = nullptr;  // device units; null: the clip playback started with
};

int32_t Round(double v)
{
    if (!(v > -1e9))
        return -1000000000;
    if (!(v < 1e9))
        return 1000000000;
    return static_cast<int32_t>(std::lround(v));
}

class TPlayer {
public:
    TPlayer(HDC dc) : FDC(dc)
    {
        FSaved = SaveDC(dc);
        FInitialClip = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(dc, FInitialClip) != 1) {
            DeleteObject(FInitialClip);
            FInitialClip = nullptr;
        }
        FRefDpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
    }
    ~TPlayer()
    {
        RestoreDC(FDC, FSaved);
        for (HGDIOBJ o : {static_cast<HGDIOBJ>(FPenHandle), static_cast<HGDIOBJ>(FBrushHandle),
                          static_cast<HGDIOBJ>(FFontHandle)})
            if (o)
                DeleteObject(o);
        for (TPlayState& s : FStack)
            if (s.Clip)
                DeleteObject(s.Clip);
        if (FState.Clip)
            DeleteObject(FState.Clip);
        if (FInitialClip)
            DeleteObject(FInitialClip);
    }
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    void PlayEmf(const uint8_t* data, size_t size, const TRect& dest, int depth);
    void PlayWmf(const uint8_t* data, size_t size, const TRect& dest, const TRect& window);

private:
    // --- mapping ---
    TXform PageXform() const;
    TPt Map(double x, double y) const;
    TPoint MapI(double x, double y) const
    {
        const TPt p = Map(x, y);
        return {Round(p.X), Round(p.Y)};
    }
    double ScaleX() const;
    double ScaleY() const;
    bool Mirrored() const;
    void UpdateTotal() { FTotal = FState.World.Then(PageXform()).Then(FOut); }

    // --- objects ---
    void Realize();
    void SelectMetaObject(const TMetaObject& o);
    void SelectStock(uint32_t index);
    void ResetState();

    // --- drawing ---
    void DrawPolygon(const std::vector<TPt>& pts, bool closed);
    void DrawPolyPolygon(const std::vector<std::vector<TPt>>& polys);
    void DrawRect(double l, double t, double r, double b);
    void DrawEllipse(double l, double t, double r, double b);
    void DrawRoundRect(double l, double t, double r, double b, double w, double h);
    void DrawArc(int kind, const TRec& r, size_t off, bool wmf);
    void LineTo(double x, double y);
    void MoveTo(double x, double y);
    void BezierTo(const std::vector<TPt>& pts, bool relativeToCurrent);
    void Text(double x, double y, const std::string& text, const std::vector<int32_t>& dx, uint32_t options,
              const TRect* rect, bool hasRect);
    void Blit(const TDibImage* img, double x, double y, double w, double h, int32_t sx, int32_t sy, int32_t sw,
              int32_t sh, uint32_t rop, bool transparent, COLORREF transparentColor);
    void ClipRect(double l, double t, double r, double b, bool exclude);
    void ClipDeviceRects(const TRec& r, size_t off, size_t count, int mode);
    void SaveState();
    void RestoreState(int32_t relative);

    // --- paths ---
    void PathAddFigure(const std::vector<TPt>& pts, bool closed);
    HRGN PathRegion() const;
    void PathFill();
    void PathStroke();

    void PlayEmfRecord(uint32_t type, const TRec& r, const TRect& dest, int depth, bool playComment);
    void PlayWmfRecord(uint16_t func, const TRec& r);
    std::vector<TPt> EmfPoints(const TRec& r, size_t off, uint32_t count, bool small) const;
    void EmfCreateObject(uint32_t index, TMetaObject o);
    void WmfCreateObject(TMetaObject o);

    HDC FDC;
    int FSaved = 0;
    HRGN FInitialClip = nullptr;
    int FRefDpiX = 96;
    TXform FOut;    // reference device units to dc's logical units
    TXform FTotal;  // logical units to dc's logical units
    bool FWmf = false;
    double FRefMmX = 1, FRefMmY = 1;  // reference pixels per millimetre
    TPlayState FState;
    std::vector<TPlayState> FStack;
    std::vector<TMetaObject> FObjects;
    HPEN FPenHandle = nullptr;
    HBRUSH FBrushHandle = nullptr;
    HFONT FFontHandle = nullptr;
    bool FPenDirty = true, FBrushDirty = true, FFontDirty = true;
    bool FInPath = false;
    std::vector<std::pair<std::vector<TPt>, bool>> FPath;  // figures in dc units, closed flag
    bool FFigureOpen = false;
};

TXform TPlayer::PageXform() const
{
    TXform t;
    double sx = 1, sy = 1;
    switch (FState.MapMode) {
    case MM_LOMETRIC: sx = FRefMmX / 10; sy = -FRefMmY / 10; break;
    case MM_HIMETRIC: sx = FRefMmX / 100; sy = -FRefMmY / 100; break;
    case MM_LOENGLISH: sx = FRefMmX * 0.254; sy = -FRefMmY * 0.254; break;
    case MM_HIENGLISH: sx = FRefMmX * 0.0254; sy = -FRefMmY * 0.0254; break;
    case MM_TWIPS: sx = FRefMmX * 25.4 / 1440; sy = -FRefMmY * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = FState.WinExtX ? FState.VpExtX / FState.WinExtX : 1;
        sy = FState.WinExtY ? FState.VpExtY / FState.WinExtY : 1;
        if (FState.MapMode == MM_ISOTROPIC && !FWmf) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = sx < 0 ? -m : m;
            sy = sy < 0 ? -m : m;
        }
        break;
    default: break;
    }
    t.M11 = sx;
    t.M22 = sy;
    t.Dx = FState.VpOrgX - FState.WinOrgX * sx;
    t.Dy = FState.VpOrgY - FState.WinOrgY * sy;
    return t;
}

TPt TPlayer::Map(double x, double y) const
{
    return {x * FTotal.M11 + y * FTotal.M21 + FTotal.Dx, x * FTotal.M12 + y * FTotal.M22 + FTotal.Dy};
}

double TPlayer::ScaleX() const { return std::hypot(FTotal.M11, FTotal.M12); }
double TPlayer::ScaleY() const { return std::hypot(FTotal.M21, FTotal.M22); }
bool TPlayer::Mirrored() const { return FTotal.M11 * FTotal.M22 - FTotal.M12 * FTotal.M21 < 0; }

void TPlayer::ResetState()
{
    FState.Pen = {};
    FState.Pen.Kind = TMetaObject::Pen;
    FState.Pen.LogPen.lopnColor = RGB(0, 0, 0);
    FState.Brush = {};
    FState.Brush.Kind = TMetaObject::Brush;
    FState.Brush.LogBrush.lbColor = RGB(255, 255, 255);
    FState.Font = {};
    FState.Font.Kind = TMetaObject::Font;
    FState.Font.LogFont.lfFaceName = "Arial";
    FPenDirty = FBrushDirty = FFontDirty = true;
    SetTextColor(FDC, RGB(0, 0, 0));
    SetBkColor(FDC, RGB(255, 255, 255));
    SetBkMode(FDC, OPAQUE);
    SetROP2(FDC, R2_COPYPEN);
    SetPolyFillMode(FDC, ALTERNATE);
    SetTextAlign(FDC, TA_LEFT | TA_TOP);
}

void TPlayer::Realize()
{
    if (FPenDirty) {
        LOGPEN p = FState.Pen.LogPen;
        const int style = static_cast<int>(p.lopnStyle & PS_STYLE_MASK);
        int width = 1;
        if (!FState.Pen.CosmeticPen && p.lopnWidth.X > 0)
            width = std::clamp(Round(p.lopnWidth.X * ScaleX()), 1, 4096);
        HPEN pen = CreatePen(style > PS_INSIDEFRAME ? PS_SOLID : style, width, p.lopnColor & 0xFFFFFF);
        if (pen) {
            SelectObject(FDC, pen);
            if (FPenHandle)
                DeleteObject(FPenHandle);
            FPenHandle = pen;
        }
        FPenDirty = false;
    }
    if (FBrushDirty) {
        HBRUSH brush = nullptr;
        const LOGBRUSH& b = FState.Brush.LogBrush;
        if (b.lbStyle == BS_PATTERN && FState.Brush.Pattern) {
            TDibImage copy = *FState.Brush.Pattern;
            HBITMAP bmp = CreateBitmapFromDib(std::move(copy));
            brush = CreatePatternBrush(bmp);
            DeleteObject(bmp);
        } else if (b.lbStyle == BS_NULL) {
            brush = CreateBrushIndirect(b);
        } else if (b.lbStyle == BS_HATCHED) {
            brush = CreateHatchBrush(std::clamp(b.lbHatch, 0, HS_DIAGCROSS), b.lbColor & 0xFFFFFF);
        } else {
            brush = CreateSolidBrush(b.lbColor & 0xFFFFFF);
        }
        if (brush) {
            SelectObject(FDC, brush);
            if (FBrushHandle)
                DeleteObject(FBrushHandle);
            FBrushHandle = brush;
        }
        FBrushDirty = false;
    }
    if (FFontDirty) {
        LOGFONT f = FState.Font.LogFont;
        const double h = f.lfHeight * ScaleY();
        f.lfHeight = std::clamp(Round(h), -20000, 20000);
        if (FState.Font.LogFont.lfHeight != 0 && f.lfHeight == 0)
            f.lfHeight = FState.Font.LogFont.lfHeight < 0 ? -1 : 1;
        f.lfWidth = std::clamp(Round(std::fabs(f.lfWidth * ScaleX())), 0, 20000);
        HFONT font = CreateFontIndirect(f);
        if (font) {
            SelectObject(FDC, font);
            if (FFontHandle)
                DeleteObject(FFontHandle);
            FFontHandle = font;
        }
        FFontDirty = false;
    }
}

void TPlayer::SelectMetaObject(const TMetaObject& o)
{
    switch (o.Kind) {
    case TMetaObject::Pen: FState.Pen = o; FPenDirty = true; break;
    case TMetaObject::Brush: FState.Brush = o; FBrushDirty = true; break;
    case TMetaObject::Font: FState.Font = o; FFontDirty = true; break;
    case TMetaObject::Region: {
        // Selecting a region makes it the clip (Windows metafiles).
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        for (const TRect& rc : o.Rects) {
            TPoint a = MapI(rc.Left, rc.Top), b = MapI(rc.Right, rc.Bottom);
            TPoint pts[2] = {a, b};
            LPtoDP(FDC, pts, 2);
            HRGN part = CreateRectRgn(std::min(pts[0].X, pts[1].X), std::min(pts[0].Y, pts[1].Y),
                                      std::max(pts[0].X, pts[1].X), std::max(pts[0].Y, pts[1].Y));
            CombineRgn(rgn, rgn, part, RGN_OR);
            DeleteObject(part);
        }
        ExtSelectClipRgn(FDC, rgn, RGN_COPY);
        DeleteObject(rgn);
        break;
    }
    default: break;
    }
}

void TPlayer::SelectStock(uint32_t index)
{
    TMetaObject o;
    switch (index) {
    case WHITE_BRUSH: case LTGRAY_BRUSH: case GRAY_BRUSH: case DKGRAY_BRUSH: case BLACK_BRUSH: {
        static const uint8_t greys[] = {255, 192, 128, 64, 0};
        o.Kind = TMetaObject::Brush;
        o.LogBrush.lbColor = RGB(greys[index], greys[index], greys[index]);
        break;
    }
    case NULL_BRUSH: o.Kind = TMetaObject::Brush; o.LogBrush.lbStyle = BS_NULL; break;
    case WHITE_PEN: o.Kind = TMetaObject::Pen; o.LogPen.lopnColor = RGB(255, 255, 255); break;
    case BLACK_PEN: o.Kind = TMetaObject::Pen; o.LogPen.lopnColor = 0; break;
    case NULL_PEN: o.Kind = TMetaObject::Pen; o.LogPen.lopnStyle = PS_NULL; break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        o.Kind = TMetaObject::Font;
        o.LogFont.lfFaceName = "Arial";
        o.LogFont.lfHeight = -MulDiv(8, FRefDpiX, 72);
        break;
    default: return;
    }
    // Stock objects do not scale with the mapping: their sizes are device units.
    if (o.Kind == TMetaObject::Font && ScaleY() > 0)
        o.LogFont.lfHeight = Round(o.LogFont.lfHeight / ScaleY());
    o.CosmeticPen = true;
    SelectMetaObject(o);
}

// --- Drawing ---------------------------------------------------------------

void TPlayer::PathAddFigure(const std::vector<TPt>& pts, bool closed)
{
    if (pts.empty())
        return;
    std::vector<TPt> mapped;
    mapped.reserve(pts.size());
    for (const TPt& p : pts)
        mapped.push_back(Map(p.X, p.Y));
    FPath.emplace_back(std::move(mapped), closed);
    FFigureOpen = !closed;
}

void TPlayer::DrawPolygon(const std::vector<TPt>& pts, bool closed)
{
    if (pts.empty())
        return;
    if (FInPath) {
        PathAddFigure(pts, closed);
        FFigureOpen = false;
        return;
    }
    Realize();
    std::vector<TPoint> out;
    out.reserve(pts.size());
    for (const TPt& p : pts)
        out.push_back(MapI(p.X, p.Y));
    if (closed)
        Polygon(FDC, out.data(), static_cast<int>(out.size()));
    else
        Polyline(FDC, out.data(), static_cast<int>(out.size()));
}

// The part of a device polygon inside a rectangle (the polygon clipped edge
// by edge). A region is built scan line by scan line, so a polygon that
// reaches far past the visible area is cut to it first: what shows stays the
// same and the cost stays bounded by the area.
std::vector<TPoint> ClipPolygon(const std::vector<TPoint>& polygon, const TRect& r)
{
    struct TD {
        double X, Y;
    };
    std::vector<TD> points;
    for (const TPoint& p : polygon)
        points.push_back({static_cast<double>(p.X), static_cast<double>(p.Y)});
    auto clipEdge = [&points](auto inside, auto cross) {
        std::vector<TD> out;
        for (size_t i = 0; i < points.size(); ++i) {
            const TD a = points[i];
            const TD b = points[(i + 1) % points.size()];
            const bool ia = inside(a), ib = inside(b);
            if (ia)
                out.push_back(a);
            if (ia != ib)
                out.push_back(cross(a, b));
        }
        points.swap(out);
    };
    const double l = r.Left, t = r.Top, rr = r.Right, b = r.Bottom;
    auto atX = [](TD a, TD c, double x) { return TD{x, a.Y + (c.Y - a.Y) * (x - a.X) / (c.X - a.X)}; };
    auto atY = [](TD a, TD c, double y) { return TD{a.X + (c.X - a.X) * (y - a.Y) / (c.Y - a.Y), y}; };
    clipEdge([l](TD p) { return p.X >= l; }, [&](TD a, TD c) { return atX(a, c, l); });
    clipEdge([rr](TD p) { return p.X <= rr; }, [&](TD a, TD c) { return atX(a, c, rr); });
    clipEdge([t](TD p) { return p.Y >= t; }, [&](TD a, TD c) { return atY(a, c, t); });
    clipEdge([b](TD p) { return p.Y <= b; }, [&](TD a, TD c) { return atY(a, c, b); });
    std::vector<TPoint> out;
    for (const TD& p : points)
        out.push_back({static_cast<int32_t>(std::lround(p.X)), static_cast<int32_t>(std::lround(p.Y))});
    return out;
}

// The visible area of a device context in device units, with a margin.
TRect VisibleDeviceBounds(HDC dc)
{
    TRect visible;
    GetClipBox(dc, &visible);
    TPoint corners[2] = {{visible.Left, visible.Top}, {visible.Right, visible.Bottom}};
    LPtoDP(dc, corners, 2);
    return {std::min(corners[0].X, corners[1].X) - 2, std::min(corners[0].Y, corners[1].Y) - 2,
            std::max(corners[0].X, corners[1].X) + 2, std::max(corners[0].Y, corners[1].Y) + 2};
}

void TPlayer::DrawPolyPolygon(const std::vector<std::vector<TPt>>& polys)
{
    if (FInPath) {
        for (const auto& p : polys)
            PathAddFigure(p, true);
        FFigureOpen = false;
        return;
    }
    // Filled as one region (the holes stay empty), then the outlines.
    Realize();
    const TRect bounds = VisibleDeviceBounds(FDC);
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    std::vector<std::vector<TPoint>> outs;
    for (const auto& poly : polys) {
        std::vector<TPoint> out;
        for (const TPt& p : poly)
            out.push_back(MapI(p.X, p.Y));
        std::vector<TPoint> dev = out;
        LPtoDP(FDC, dev.data(), static_cast<int>(dev.size()));
        dev = ClipPolygon(dev, bounds);
        if (dev.size() >= 3) {
            HRGN part = CreatePolygonRgn(dev.data(), static_cast<int>(dev.size()), GetPolyFillMode(FDC));
            CombineRgn(all, all, part, GetPolyFillMode(FDC) == WINDING ? RGN_OR : RGN_XOR);
            DeleteObject(part);
        }
        outs.push_back(std::move(out));
    }
    if (FState.Brush.LogBrush.lbStyle != BS_NULL && FBrushHandle)
        FillRgn(FDC, all, FBrushHandle);
    DeleteObject(all);
    if ((FState.Pen.LogPen.lopnStyle & PS_STYLE_MASK) != PS_NULL)
        for (auto& out : outs) {
            if (out.empty())
                continue;
            out.push_back(out.front());
            Polyline(FDC, out.data(), static_cast<int>(out.size()));
        }
}

void TPlayer::DrawRect(double l, double t, double r, double b)
{
    if (FInPath || FTotal.M12 != 0 || FTotal.M21 != 0) {
        DrawPolygon({{l, t}, {r, t}, {r, b}, {l, b}}, true);
        return;
    }
    Realize();
    const TPoint a = MapI(l, t), c = MapI(r, b);
    Rectangle(FDC, std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y));
}

std::vector<TPt> EllipsePoints(double l, double t, double r, double b)
{
    std::vector<TPt> pts;
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    for (int i = 0; i < 64; ++i) {
        const double a = i * 2 * M_PI / 64;
        pts.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return pts;
}

void TPlayer::DrawEllipse(double l, double t, double r, double b)
{
    if (FInPath || FTotal.M12 != 0 || FTotal.M21 != 0) {
        DrawPolygon(EllipsePoints(l, t, r, b), true);
        return;
    }
    Realize();
    const TPoint a = MapI(l, t), c = MapI(r, b);
    Ellipse(FDC, std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y));
}

void TPlayer::DrawRoundRect(double l, double t, double r, double b, double w, double h)
{
    if (FInPath || FTotal.M12 != 0 || FTotal.M21 != 0) {
        DrawRect(l, t, r, b);
        return;
    }
    Realize();
    const TPoint a = MapI(l, t), c = MapI(r, b);
    RoundRect(FDC, std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y),
              Round(std::fabs(w * FTotal.M11)), Round(std::fabs(h * FTotal.M22)));
}

// kind: 0 arc, 1 pie, 2 chord. Fields: rectangle, start point, end point (in
// that order for enhanced records, reversed for Windows records).
void TPlayer::DrawArc(int kind, const TRec& r, size_t off, bool wmf)
{
    double l, t, rt, b, xs, ys, xe, ye;
    if (wmf) {
        ye = r.I16(off); xe = r.I16(off + 2); ys = r.I16(off + 4); xs = r.I16(off + 6);
        b = r.I16(off + 8); rt = r.I16(off + 10); t = r.I16(off + 12); l = r.I16(off + 14);
    } else {
        l = r.I32(off); t = r.I32(off + 4); rt = r.I32(off + 8); b = r.I32(off + 12);
        xs = r.I32(off + 16); ys = r.I32(off + 20); xe = r.I32(off + 24); ye = r.I32(off + 28);
    }
    if (FInPath) {
        DrawEllipse(l, t, rt, b);
        return;
    }
    Realize();
    TPoint a = MapI(l, t), c = MapI(rt, b), s = MapI(xs, ys), e = MapI(xe, ye);
    // A mirrored mapping turns the arc's direction round.
    if (Mirrored())
        std::swap(s, e);
    const int32_t L = std::min(a.X, c.X), T = std::min(a.Y, c.Y), R = std::max(a.X, c.X), B = std::max(a.Y, c.Y);
    if (kind == 0)
        Arc(FDC, L, T, R, B, s.X, s.Y, e.X, e.Y);
    else if (kind == 1)
        Pie(FDC, L, T, R, B, s.X, s.Y, e.X, e.Y);
    else
        Chord(FDC, L, T, R, B, s.X, s.Y, e.X, e.Y);
}

void TPlayer::MoveTo(double x, double y)
{
    FState.Position = {x, y};
    FFigureOpen = false;
}

void TPlayer::LineTo(double x, double y)
{
    if (FInPath) {
        const TPt p = Map(x, y);
        if (!FFigureOpen || FPath.empty()) {
            FPath.push_back({{Map(FState.Position.X, FState.Position.Y)}, false});
            FFigureOpen = true;
        }
        FPath.back().first.push_back(p);
    } else {
        Realize();
        const TPoint a = MapI(FState.Position.X, FState.Position.Y), b = MapI(x, y);
        MoveToEx(FDC, a.X, a.Y);
        ::LineTo(FDC, b.X, b.Y);
    }
    FState.Position = {x, y};
}

// Cubic Bézier curves from the current position (or from pts[0] when not
// relative), flattened into line segments.
void TPlayer::BezierTo(const std::vector<TPt>& pts, bool relativeToCurrent)
{
    std::vector<TPt> line;
    size_t i = 0;
    TPt p0 = FState.Position;
    if (!relativeToCurrent) {
        if (pts.empty())
            return;
        p0 = pts[0];
        i = 1;
        MoveTo(p0.X, p0.Y);
    }
    line.push_back(p0);
    for (; i + 2 < pts.size(); i += 3) {
        const TPt a = p0, b = pts[i], c = pts[i + 1], d = pts[i + 2];
        for (int k = 1; k <= 16; ++k) {
            const double t = k / 16.0, u = 1 - t;
            line.push_back({u * u * u * a.X + 3 * u * u * t * b.X + 3 * u * t * t * c.X + t * t * t * d.X,
                            u * u * u * a.Y + 3 * u * u * t * b.Y + 3 * u * t * t * c.Y + t * t * t * d.Y});
        }
        p0 = d;
    }
    for (size_t k = 1; k < line.size(); ++k)
        LineTo(line[k].X, line[k].Y);
}

void TPlayer::Text(double x, double y, const std::string& text, const std::vector<int32_t>& dx, uint32_t options,
                   const TRect* rect, bool hasRect)
{
    if (FInPath)
        return;
    Realize();
    if ((FState.TextAlign & TA_UPDATECP) != 0) {
        x = FState.Position.X;
        y = FState.Position.Y;
    }
    const TPoint p = MapI(x, y);
    std::vector<int32_t> sdx;
    if (!dx.empty()) {
        sdx.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            sdx[i] = i < dx.size() ? Round(dx[i] * FTotal.M11) : 0;
    }
    TRect out;
    if (hasRect && rect) {
        const TPoint a = MapI(rect->Left, rect->Top), b = MapI(rect->Right, rect->Bottom);
        out = {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    }
    SetTextAlign(FDC, FState.TextAlign & ~TA_UPDATECP);
    ExtTextOut(FDC, p.X, p.Y, options & (ETO_OPAQUE | ETO_CLIPPED), hasRect ? &out : nullptr, text,
               sdx.empty() ? nullptr : sdx.data());
    if ((FState.TextAlign & TA_UPDATECP) != 0) {
        double w = 0;
        for (int32_t d : dx)
            w += d;
        FState.Position.X += w;
    }
}

void TPlayer::Blit(const TDibImage* img, double x, double y, double w, double h, int32_t sx, int32_t sy, int32_t sw,
                   int32_t sh, uint32_t rop, bool transparent, COLORREF transparentColor)
{
    if (FInPath)
        return;
    Realize();
    const TPoint a = MapI(x, y), b = MapI(x + w, y + h);
    if (!img) {
        PatBlt(FDC, a.X, a.Y, b.X - a.X, b.Y - a.Y, rop);
        return;
    }
    HDC mem = CreateCompatibleDC(FDC);
    TDibImage copy = *img;
    HBITMAP bmp = CreateBitmapFromDib(std::move(copy));
    HBITMAP old = SelectObject(mem, bmp);
    if (transparent)
        TransparentBlt(FDC, a.X, a.Y, b.X - a.X, b.Y - a.Y, mem, sx, sy, sw, sh, transparentColor);
    else
        StretchBlt(FDC, a.X, a.Y, b.X - a.X, b.Y - a.Y, mem, sx, sy, sw, sh, rop);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

void TPlayer::ClipRect(double l, double t, double r, double b, bool exclude)
{
    const TPoint a = MapI(l, t), c = MapI(r, b);
    const int32_t L = std::min(a.X, c.X), T = std::min(a.Y, c.Y), R = std::max(a.X, c.X), B = std::max(a.Y, c.Y);
    if (exclude)
        ExcludeClipRect(FDC, L, T, R, B);
    else
        IntersectClipRect(FDC, L, T, R, B);
}

// Region data (header of 32 bytes, then rectangles) in reference-device units.
void TPlayer::ClipDeviceRects(const TRec& r, size_t off, size_t cb, int mode)
{
    if (cb == 0 || !r.Has(off, 32)) {
        if (mode == RGN_COPY)
            SelectClipRgn(FDC, FInitialClip);
        return;
    }
    const uint32_t count = r.U32(off + 8);
    const size_t rectsOff = off + 32;
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    for (uint32_t i = 0; i < count && r.Has(rectsOff + i * 16, 16); ++i) {
        const size_t o = rectsOff + i * 16;
        const double l = r.I32(o), t = r.I32(o + 4), rt = r.I32(o + 8), b = r.I32(o + 12);
        TPoint pts[2] = {{Round(l * FOut.M11 + FOut.Dx), Round(t * FOut.M22 + FOut.Dy)},
                         {Round(rt * FOut.M11 + FOut.Dx), Round(b * FOut.M22 + FOut.Dy)}};
        LPtoDP(FDC, pts, 2);
        HRGN part = CreateRectRgn(std::min(pts[0].X, pts[1].X), std::min(pts[0].Y, pts[1].Y),
                                  std::max(pts[0].X, pts[1].X), std::max(pts[0].Y, pts[1].Y));
        CombineRgn(rgn, rgn, part, RGN_OR);
        DeleteObject(part);
    }
    if (mode >= RGN_AND && mode <= RGN_COPY)
        ExtSelectClipRgn(FDC, rgn, mode);
    DeleteObject(rgn);
}

void TPlayer::SaveState()
{
    if (FStack.size() >= 1024)
        return;
    TPlayState copy = FState;
    copy.Clip = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(FDC, copy.Clip) != 1) {
        DeleteObject(copy.Clip);
        copy.Clip = nullptr;
    }
    FStack.push_back(std::move(copy));
}

void TPlayer::RestoreState(int32_t relative)
{
    if (relative >= 0 || FStack.empty())
        return;
    const size_t back = std::min<size_t>(FStack.size(), static_cast<size_t>(-static_cast<int64_t>(relative)));
    for (size_t i = 1; i < back; ++i) {
        if (FStack.back().Clip)
            DeleteObject(FStack.back().Clip);
        FStack.pop_back();
    }
    if (FState.Clip)
        DeleteObject(FState.Clip);
    FState = std::move(FStack.back());
    FStack.pop_back();
    SelectClipRgn(FDC, FState.Clip ? FState.Clip : FInitialClip);
    if (FState.Clip) {
        DeleteObject(FState.Clip);
        FState.Clip = nullptr;
    }
    SetPolyFillMode(FDC, FState.PolyFillMode);
    FPenDirty = FBrushDirty = FFontDirty = true;
    UpdateTotal();
}

HRGN TPlayer::PathRegion() const
{
    const TRect bounds = VisibleDeviceBounds(FDC);
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (const auto& [pts, closed] : FPath) {
        std::vector<TPoint> dev;
        for (const TPt& p : pts)
            dev.push_back({Round(p.X), Round(p.Y)});
        LPtoDP(FDC, dev.data(), static_cast<int>(dev.size()));
        dev = ClipPolygon(dev, bounds);
        if (dev.size() < 3)
            continue;
        HRGN part = CreatePolygonRgn(dev.data(), static_cast<int>(dev.size()), FState.PolyFillMode);
        CombineRgn(all, all, part, FState.PolyFillMode == WINDING ? RGN_OR : RGN_XOR);
        DeleteObject(part);
    }
    return all;
}

void TPlayer::PathFill()
{
    Realize();
    HRGN rgn = PathRegion();
    if (FState.Brush.LogBrush.lbStyle != BS_NULL && FBrushHandle)
        FillRgn(FDC, rgn, FBrushHandle);
    DeleteObject(rgn);
}

void TPlayer::PathStroke()
{
    Realize();
    for (const auto& [pts, closed] : FPath) {
        std::vector<TPoint> out;
        for (const TPt& p : pts)
            out.push_back({Round(p.X), Round(p.Y)});
        if (closed && !out.empty())
            out.push_back(out.front());
        Polyline(FDC, out.data(), static_cast<int>(out.size()));
    }
}

// --- Enhanced-metafile records ---------------------------------------------

std::vector<TPt> TPlayer::EmfPoints(const TRec& r, size_t off, uint32_t count, bool small) const
{
    std::vector<TPt> pts;
    const size_t each = small ? 4 : 8;
    if (!r.Has(off, static_cast<size_t>(count) * each))
        return pts;
    pts.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t o = off + i * each;
        if (small)
            pts.push_back({static_cast<double>(r.I16(o)), static_cast<double>(r.I16(o + 2))});
        else
            pts.push_back({static_cast<double>(r.I32(o)), static_cast<double>(r.I32(o + 4))});
    }
    return pts;
}

void TPlayer::EmfCreateObject(uint32_t index, TMetaObject o)
{
    if (index == 0 || index >= FObjects.size())
        return;
    FObjects[index] = std::move(o);
}

std::string WideRecordText(const TRec& r, size_t off, uint32_t count)
{
    std::u16string w;
    count = std::min<uint32_t>(count, 65536);
    for (uint32_t i = 0; i < count && r.Has(off + i * 2, 2); ++i)
        w += static_cast<char16_t>(r.U16(off + i * 2));
    return FromWide(w, 1252);
}

LOGFONT WideLogFont(const TRec& r, size_t off)
{
    LOGFONT f;
    f.lfHeight = r.I32(off);
    f.lfWidth = r.I32(off + 4);
    f.lfEscapement = r.I32(off + 8);
    f.lfOrientation = r.I32(off + 12);
    f.lfWeight = r.I32(off + 16);
    f.lfItalic = r.U8(off + 20);
    f.lfUnderline = r.U8(off + 21);
    f.lfStrikeOut = r.U8(off + 22);
    f.lfCharSet = r.U8(off + 23);
    f.lfPitchAndFamily = r.U8(off + 27);
    std::u16string face;
    for (size_t i = 0; i < 32 && r.Has(off + 28 + i * 2, 2); ++i) {
        const char16_t c = r.U16(off + 28 + i * 2);
        if (!c)
            break;
        face += c;
    }
    f.lfFaceName = FromWide(face, 1252).substr(0, LF_FACESIZE - 1);
    return f;
}

TXform ReadXform(const TRec& r, size_t off)
{
    return {r.F32(off), r.F32(off + 4), r.F32(off + 8), r.F32(off + 12), r.F32(off + 16), r.F32(off + 20)};
}

void TPlayer::PlayEmfRecord(uint32_t type, const TRec& r, const TRect& dest, int depth, bool playComment)
{
    switch (type) {
    case 2: case 85: {  // POLYBEZIER
        const bool small = type == 85;
        const std::vector<TPt> pts = EmfPoints(r, 28, r.U32(24), small);
        if (FInPath) {
            BezierTo(pts, false);
        } else {
            const bool wasPath = FInPath;
            FInPath = true;
            FPath.clear();
            BezierTo(pts, false);
            FInPath = wasPath;
            PathStroke();
            FPath.clear();
        }
        break;
    }
    case 3: case 86: DrawPolygon(EmfPoints(r, 28, r.U32(24), type == 86), true); break;
    case 4: case 87: DrawPolygon(EmfPoints(r, 28, r.U32(24), type == 87), false); break;
    case 5: case 88: {  // POLYBEZIERTO
        const std::vector<TPt> pts = EmfPoints(r, 28, r.U32(24), type == 88);
        if (FInPath) {
            BezierTo(pts, true);
        } else {
            FInPath = true;
            FPath.clear();
            BezierTo(pts, true);
            FInPath = false;
            PathStroke();
            FPath.clear();
        }
        break;
    }
    case 6: case 89:  // POLYLINETO
        for (const TPt& p : EmfPoints(r, 28, r.U32(24), type == 89))
            LineTo(p.X, p.Y);
        break;
    case 7: case 8: case 90: case 91: {  // POLYPOLYLINE, POLYPOLYGON
        const bool small = type >= 90;
        const uint32_t polys = r.U32(24), total = r.U32(28);
        if (!r.Has(32, static_cast<size_t>(polys) * 4))
            break;
        size_t off = 32 + static_cast<size_t>(polys) * 4;
        const std::vector<TPt> all = EmfPoints(r, off, total, small);
        if (all.size() != total)
            break;
        std::vector<std::vector<TPt>> list;
        size_t at = 0;
        for (uint32_t i = 0; i < polys; ++i) {
            const uint32_t n = r.U32(32 + i * 4);
            if (n > all.size() - at)
                break;
            list.emplace_back(all.begin() + static_cast<ptrdiff_t>(at), all.begin() + static_cast<ptrdiff_t>(at + n));
            at += n;
        }
        if (type == 8 || type == 91)
            DrawPolyPolygon(list);
        else
            for (const auto& l : list)
                DrawPolygon(l, false);
        break;
    }
    case 9: if (r.I32(8) && r.I32(12)) { FState.WinExtX = r.I32(8); FState.WinExtY = r.I32(12); UpdateTotal(); FPenDirty = FFontDirty = true; } break;
    case 10: FState.WinOrgX = r.I32(8); FState.WinOrgY = r.I32(12); UpdateTotal(); break;
    case 11: if (r.I32(8) && r.I32(12)) { FState.VpExtX = r.I32(8); FState.VpExtY = r.I32(12); UpdateTotal(); FPenDirty = FFontDirty = true; } break;
    case 12: FState.VpOrgX = r.I32(8); FState.VpOrgY = r.I32(12); UpdateTotal(); break;
    case 15: {  // SETPIXELV
        const TPoint p = MapI(r.I32(8), r.I32(12));
        SetPixelV(FDC, p.X, p.Y, r.U32(16) & 0xFFFFFF);
        break;
    }
    case 17: FState.MapMode = r.I32(8); UpdateTotal(); FPenDirty = FFontDirty = true; break;
    case 18: SetBkMode(FDC, r.I32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE); break;
    case 19: FState.PolyFillMode = r.I32(8) == WINDING ? WINDING : ALTERNATE; SetPolyFillMode(FDC, FState.PolyFillMode); break;
    case 20: if (r.I32(8) >= R2_BLACK && r.I32(8) <= R2_WHITE) SetROP2(FDC, r.I32(8)); break;
    case 21: SetStretchBltMode(FDC, r.I32(8)); break;
    case 22: FState.TextAlign = r.U32(8); break;
    case 24: SetTextColor(FDC, r.U32(8) & 0xFFFFFF); break;
    case 25: SetBkColor(FDC, r.U32(8) & 0xFFFFFF); break;
    case 27: MoveTo(r.I32(8), r.I32(12)); break;
    case 29: ClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), true); break;
    case 30: ClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), false); break;
    case 31: case 32: {  // SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX
        const int32_t xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
        if (!xn || !xd || !yn || !yd)
            break;
        if (type == 31) {
            FState.VpExtX = FState.VpExtX * xn / xd;
            FState.VpExtY = FState.VpExtY * yn / yd;
        } else {
            FState.WinExtX = FState.WinExtX * xn / xd;
            FState.WinExtY = FState.WinExtY * yn / yd;
        }
        UpdateTotal();
        FPenDirty = FFontDirty = true;
        break;
    }
    case 33: SaveState(); break;
    case 34: RestoreState(r.I32(8)); break;
    case 35: FState.World = ReadXform(r, 8); UpdateTotal(); FPenDirty = FFontDirty = true; break;
    case 36: {
        const TXform x = ReadXform(r, 8);
        switch (r.U32(32)) {
        case 1: FState.World = {}; break;
        case 2: FState.World = x.Then(FState.World); break;
        case 3: FState.World = FState.World.Then(x); break;
        case 4: FState.World = x; break;
        default: break;
        }
        UpdateTotal();
        FPenDirty = FFontDirty = true;
        break;
    }
    case 37: {  // SELECTOBJECT
        const uint32_t index = r.U32(8);
        if (index & 0x80000000)
            SelectStock(index & 0x7FFFFFFF);
        else if (index < FObjects.size())
            SelectMetaObject(FObjects[index]);
        break;
    }
    case 38: {  // CREATEPEN
        TMetaObject o;
        o.Kind = TMetaObject::Pen;
        o.LogPen.lopnStyle = r.U32(12);
        o.LogPen.lopnWidth.X = r.I32(16);
        o.LogPen.lopnColor = r.U32(24) & 0xFFFFFF;
        EmfCreateObject(r.U32(8), o);
        break;
    }
    case 95: {  // EXTCREATEPEN
        TMetaObject o;
        o.Kind = TMetaObject::Pen;
        const uint32_t style = r.U32(28);
        o.LogPen.lopnStyle = style & PS_STYLE_MASK;
        o.CosmeticPen = (style & 0x00010000) == 0;  // PS_GEOMETRIC clear: cosmetic
        o.LogPen.lopnWidth.X = r.I32(32);
        o.LogPen.lopnColor = r.U32(40) & 0xFFFFFF;
        if (r.U32(36) == BS_NULL)
            o.LogPen.lopnStyle = PS_NULL;
        EmfCreateObject(r.U32(8), o);
        break;
    }
    case 39: {  // CREATEBRUSHINDIRECT
        TMetaObject o;
        o.Kind = TMetaObject::Brush;
        o.LogBrush.lbStyle = r.U32(12);
        if (o.LogBrush.lbStyle > BS_HATCHED)
            o.LogBrush.lbStyle = BS_SOLID;
        o.LogBrush.lbColor = r.U32(16) & 0xFFFFFF;
        o.LogBrush.lbHatch = static_cast<int>(r.U32(20) & 7);
        EmfCreateObject(r.U32(8), o);
        break;
    }
    case 93: case 94: {  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
        TMetaObject o;
        o.Kind = TMetaObject::Brush;
        auto img = std::make_shared<TDibImage>();
        if (DecodeRecordDib(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), *img)) {
            o.LogBrush.lbStyle = BS_PATTERN;
            o.Pattern = img;
        }
        EmfCreateObject(r.U32(8), o);
        break;
    }
    case 82: {  // EXTCREATEFONTINDIRECTW
        TMetaObject o;
        o.Kind = TMetaObject::Font;
        o.LogFont = WideLogFont(r, 12);
        EmfCreateObject(r.U32(8), o);
        break;
    }
    case 40: {  // DELETEOBJECT
        const uint32_t index = r.U32(8);
        if (index > 0 && index < FObjects.size())
            FObjects[index] = {};
        break;
    }
    case 42: DrawEllipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
    case 43: DrawRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
    case 44: DrawRoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28)); break;
    case 45: case 55: DrawArc(0, r, 8, false); break;
    case 46: DrawArc(2, r, 8, false); break;
    case 47: DrawArc(1, r, 8, false); break;
    case 54: LineTo(r.I32(8), r.I32(12)); break;
    case 59: FInPath = true; FPath.clear(); FFigureOpen = false; break;
    case 60: FInPath = false; break;
    case 61:  // CLOSEFIGURE
        if (!FPath.empty() && FFigureOpen) {
            FPath.back().second = true;
            FFigureOpen = false;
        }
        break;
    case 62: PathFill(); FPath.clear(); break;
    case 63: PathFill(); PathStroke(); FPath.clear(); break;
    case 64: PathStroke(); FPath.clear(); break;
    case 67: {  // SELECTCLIPPATH
        HRGN rgn = PathRegion();
        const int mode = r.I32(8);
        if (mode >= RGN_AND && mode <= RGN_COPY)
            ExtSelectClipRgn(FDC, rgn, mode);
        DeleteObject(rgn);
        FPath.clear();
        break;
    }
    case 68: FInPath = false; FPath.clear(); break;
    case 70: {  // GDICOMMENT
        const uint32_t cb = r.U32(8);
        if (!playComment || !r.Has(12, cb) || cb < 24 || r.U32(12) != GdiCommentIdent ||
            r.U32(16) != GdiCommentWindowsMetafile)
            break;
        const uint32_t wmfSize = r.U32(32);
        if (wmfSize > cb - 24 || depth >= MaxNesting)
            break;
        TPlayer inner(FDC);
        inner.PlayWmf(r.P + 36, wmfSize, dest, {0, 0, 0, 0});
        break;
    }
    case 71: case 74: {  // FILLRGN, PAINTRGN: region data in reference units
        const size_t dataOff = type == 71 ? 32 : 28;
        const uint32_t cb = r.U32(24);
        if (!r.Has(dataOff, cb) || cb < 32)
            break;
        if (type == 71) {
            const uint32_t index = r.U32(28);
            if (index & 0x80000000)
                SelectStock(index & 0x7FFFFFFF);
            else if (index < FObjects.size() && FObjects[index].Kind == TMetaObject::Brush)
                SelectMetaObject(FObjects[index]);
        }
        Realize();
        SaveDC(FDC);
        ClipDeviceRects(r, dataOff, cb, RGN_AND);
        TRect box;
        GetClipBox(FDC, &box);
        if (FBrushHandle && FState.Brush.LogBrush.lbStyle != BS_NULL)
            FillRect(FDC, box, FBrushHandle);
        RestoreDC(FDC, -1);
        FPenDirty = FBrushDirty = FFontDirty = true;
        break;
    }
    case 75: ClipDeviceRects(r, 16, r.U32(8), r.I32(12)); break;  // EXTSELECTCLIPRGN
    case 76: case 77: case 114: case 116: {  // BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT
        const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
        const uint32_t rop = type == 76 || type == 77 ? r.U32(40) : SRCCOPY;
        const uint32_t cbBmi = r.U32(88);
        if (cbBmi == 0) {
            Blit(nullptr, x, y, w, h, 0, 0, 0, 0, rop, false, 0);
            break;
        }
        TDibImage img;
        if (!DecodeRecordDib(r, r.U32(84), cbBmi, r.U32(92), r.U32(96), img))
            break;
        int32_t sw = type == 76 ? static_cast<int32_t>(w) : r.I32(100);
        int32_t sh = type == 76 ? static_cast<int32_t>(h) : r.I32(104);
        Blit(&img, x, y, w, h, r.I32(44), r.I32(48), sw, sh, rop, type == 116, r.U32(40) & 0xFFFFFF);
        break;
    }
    case 80: case 81: {  // SETDIBITSTODEVICE, STRETCHDIBITS
        TDibImage img;
        if (!DecodeRecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), img))
            break;
        const int32_t sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
        // Source rows count from the bottom of a bottom-up bitmap; the image
        // is kept top-down.
        const int32_t top = img.Height - sy - sh;
        const double w = type == 81 ? r.I32(72) : sw, h = type == 81 ? r.I32(76) : sh;
        Blit(&img, r.I32(24), r.I32(28), w, h, sx, top, sw, sh, type == 81 ? r.U32(68) : SRCCOPY, false, 0);
        break;
    }
    case 83: case 84: {  // EXTTEXTOUTA, EXTTEXTOUTW
        const uint32_t n = std::min<uint32_t>(r.U32(44), 65536);
        const uint32_t offString = r.U32(48);
        std::string text;
        if (type == 84) {
            if (!r.Has(offString, static_cast<size_t>(n) * 2))
                break;
            text = WideRecordText(r, offString, n);
        } else {
            if (!r.Has(offString, n))
                break;
            text.assign(reinterpret_cast<const char*>(r.P + offString), n);
        }
        std::vector<int32_t> dx;
        const uint32_t offDx = r.U32(72);
        if (offDx && r.Has(offDx, static_cast<size_t>(n) * 4))
            for (uint32_t i = 0; i < n; ++i)
                dx.push_back(r.I32(offDx + i * 4));
        // Characters that code page 1252 cannot hold became one byte each.
        if (text.size() != n)
            dx.clear();
        const TRect rc{r.I32(56), r.I32(60), r.I32(64), r.I32(68)};
        Text(r.I32(36), r.I32(40), text, dx, r.U32(52), &rc, (r.U32(52) & (ETO_OPAQUE | ETO_CLIPPED)) != 0);
        break;
    }
    default: break;
    }
}

void TPlayer::PlayEmf(const uint8_t* data, size_t size, const TRect& dest, int depth)
{
    TRec head{data, size};
    if (size < EmfHeaderSize || head.U32(0) != 1 || head.U32(40) != EmfSignature)
        return;
    const TRect frame{head.I32(24), head.I32(28), head.I32(32), head.I32(36)};
    double devX = head.I32(72), devY = head.I32(76), mmX = head.I32(80), mmY = head.I32(84);
    if (devX <= 0 || devY <= 0 || mmX <= 0 || mmY <= 0) {
        devX = 1024;
        devY = 768;
        mmX = 1024 * 25.4 / 96;
        mmY = 768 * 25.4 / 96;
    }
    FRefMmX = devX / mmX;
    FRefMmY = devY / mmY;
    FRefDpiX = std::max(1, Round(FRefMmX * 25.4));
    const double fl = frame.Left * FRefMmX / 100, ft = frame.Top * FRefMmY / 100;
    double fw = (static_cast<double>(frame.Right) - frame.Left) * FRefMmX / 100;
    double fh = (static_cast<double>(frame.Bottom) - frame.Top) * FRefMmY / 100;
    if (std::fabs(fw) < 1e-6)
        fw = 1;
    if (std::fabs(fh) < 1e-6)
        fh = 1;
    FOut = {};
    FOut.M11 = dest.Width() / fw;
    FOut.M22 = dest.Height() / fh;
    FOut.Dx = dest.Left - fl * FOut.M11;
    FOut.Dy = dest.Top - ft * FOut.M22;
    const uint16_t handles = head.U16(56);
    FObjects.assign(std::max<size_t>(handles, 1), TMetaObject{});
    ResetState();
    UpdateTotal();

    // A metafile that only carries a Windows metafile in a comment plays that.
    bool drawing = false;
    for (size_t pos = 0; pos + 8 <= size;) {
        const uint32_t type = Le32(data + pos), rs = Le32(data + pos + 4);
        if (rs < 8 || rs > size - pos)
            break;
        if (type != 1 && type != 70 && type != 14)
            drawing = true;
        if (type == 14)
            break;
        pos += rs;
    }
    for (size_t pos = 0; pos + 8 <= size;) {
        const uint32_t type = Le32(data + pos), rs = Le32(data + pos + 4);
        if (rs < 8 || rs > size - pos)
            break;
        if (type == 14)
            break;
        if (type != 1)
            PlayEmfRecord(type, TRec{data + pos, rs}, dest, depth, !drawing);
        pos += rs;
    }
}

// --- Windows-metafile records ----------------------------------------------

void TPlayer::WmfCreateObject(TMetaObject o)
{
    for (TMetaObject& slot : FObjects)
        if (slot.Kind == TMetaObject::None) {
            slot = std::move(o);
            if (slot.Kind == TMetaObject::None)
                slot.Kind = TMetaObject::Palette;  // occupies its slot all the same
            return;
        }
}

std::vector<TPt> WmfPoints(const TRec& r, size_t off, size_t count)
{
    std::vector<TPt> pts;
    if (!r.Has(off, count * 4))
        return pts;
    for (size_t i = 0; i < count; ++i)
        pts.push_back({static_cast<double>(r.I16(off + i * 4)), static_cast<double>(r.I16(off + i * 4 + 2))});
    return pts;
}

// Records' parameters start at byte 6 (after the size and function).
void TPlayer::PlayWmfRecord(uint16_t func, const TRec& r)
{
    constexpr size_t P = 6;
    switch (func) {
    case 0x020B: FState.WinOrgY = r.I16(P); FState.WinOrgX = r.I16(P + 2); UpdateTotal(); break;
    case 0x020C:
        if (r.I16(P) && r.I16(P + 2)) {
            FState.WinExtY = r.I16(P);
            FState.WinExtX = r.I16(P + 2);
            UpdateTotal();
            FPenDirty = FFontDirty = true;
        }
        break;
    case 0x020F: FState.WinOrgY += r.I16(P); FState.WinOrgX += r.I16(P + 2); UpdateTotal(); break;
    case 0x0410: {  // SCALEWINDOWEXT: yDenom, yNum, xDenom, xNum
        const int yd = r.I16(P), yn = r.I16(P + 2), xd = r.I16(P + 4), xn = r.I16(P + 6);
        if (yd && yn && xd && xn) {
            FState.WinExtX = FState.WinExtX * xn / xd;
            FState.WinExtY = FState.WinExtY * yn / yd;
            UpdateTotal();
            FPenDirty = FFontDirty = true;
        }
        break;
    }
    case 0x0102: SetBkMode(FDC, r.I16(P) == TRANSPARENT ? TRANSPARENT : OPAQUE); break;
    case 0x0201: SetBkColor(FDC, r.U32(P) & 0xFFFFFF); break;
    case 0x0209: SetTextColor(FDC, r.U32(P) & 0xFFFFFF); break;
    case 0x0104: if (r.I16(P) >= R2_BLACK && r.I16(P) <= R2_WHITE) SetROP2(FDC, r.I16(P)); break;
    case 0x0106: FState.PolyFillMode = r.I16(P) == WINDING ? WINDING : ALTERNATE; SetPolyFillMode(FDC, FState.PolyFillMode); break;
    case 0x0107: SetStretchBltMode(FDC, r.I16(P)); break;
    case 0x012E: FState.TextAlign = r.U16(P); break;
    case 0x0214: MoveTo(r.I16(P + 2), r.I16(P)); break;
    case 0x0213: LineTo(r.I16(P + 2), r.I16(P)); break;
    case 0x041B: DrawRect(r.I16(P + 6), r.I16(P + 4), r.I16(P + 2), r.I16(P)); break;
    case 0x0418: DrawEllipse(r.I16(P + 6), r.I16(P + 4), r.I16(P + 2), r.I16(P)); break;
    case 0x061C: DrawRoundRect(r.I16(P + 10), r.I16(P + 8), r.I16(P + 6), r.I16(P + 4), r.I16(P + 2), r.I16(P)); break;
    case 0x0817: DrawArc(0, r, P, true); break;
    case 0x081A: DrawArc(1, r, P, true); break;
    case 0x0830: DrawArc(2, r, P, true); break;
    case 0x0324: case 0x0325: {
        const int n = r.I16(P);
        if (n > 0)
            DrawPolygon(WmfPoints(r, P + 2, static_cast<size_t>(n)), func == 0x0324);
        break;
    }
    case 0x0538: {  // POLYPOLYGON
        const int polys = r.I16(P);
        if (polys <= 0 || !r.Has(P + 2, static_cast<size_t>(polys) * 2))
            break;
        size_t off = P + 2 + static_cast<size_t>(polys) * 2;
        std::vector<std::vector<TPt>> list;
        for (int i = 0; i < polys; ++i) {
            const int n = r.I16(P + 2 + i * 2);
            if (n < 0)
                break;
            std::vector<TPt> pts = WmfPoints(r, off, static_cast<size_t>(n));
            if (pts.size() != static_cast<size_t>(n))
                break;
            off += static_cast<size_t>(n) * 4;
            list.push_back(std::move(pts));
        }
        DrawPolyPolygon(list);
        break;
    }
    case 0x041F: {  // SETPIXEL: colour, y, x
        const TPoint p = MapI(r.I16(P + 6), r.I16(P + 4));
        SetPixelV(FDC, p.X, p.Y, r.U32(P) & 0xFFFFFF);
        break;
    }
    case 0x061D: {  // PATBLT: rop, height, width, y, x
        const double h = r.I16(P + 4), w = r.I16(P + 6), y = r.I16(P + 8), x = r.I16(P + 10);
        Blit(nullptr, x, y, w, h, 0, 0, 0, 0, r.U32(P), false, 0);
        break;
    }
    case 0x0521: {  // TEXTOUT: count, string (padded), y, x
        const int n = r.I16(P);
        if (n <= 0 || !r.Has(P + 2, static_cast<size_t>((n + 1) & ~1) + 4))
            break;
        const size_t after = P + 2 + static_cast<size_t>((n + 1) & ~1);
        Text(r.I16(after + 2), r.I16(after), std::string(reinterpret_cast<const char*>(r.P + P + 2), n), {}, 0,
             nullptr, false);
        break;
    }
    case 0x0A32: {  // EXTTEXTOUT: y, x, count, options, [rect], string, [dx]
        const double y = r.I16(P), x = r.I16(P + 2);
        const int n = r.I16(P + 4);
        const uint16_t options = r.U16(P + 6);
        size_t off = P + 8;
        TRect rc;
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (hasRect) {
            rc = {r.I16(off), r.I16(off + 2), r.I16(off + 4), r.I16(off + 6)};
            off += 8;
        }
        if (n < 0 || !r.Has(off, static_cast<size_t>(n)))
            break;
        const std::string text(reinterpret_cast<const char*>(r.P + off), static_cast<size_t>(n));
        off += static_cast<size_t>((n + 1) & ~1);
        std::vector<int32_t> dx;
        if (n > 0 && r.Has(off, static_cast<size_t>(n) * 2))
            for (int i = 0; i < n; ++i)
                dx.push_back(r.I16(off + i * 2));
        Text(x, y, text, dx, options, &rc, hasRect);
        break;
    }
    case 0x02FA: {  // CREATEPENINDIRECT: style, width (x, y), colour
        TMetaObject o;
        o.Kind = TMetaObject::Pen;
        o.LogPen.lopnStyle = r.U16(P);
        o.LogPen.lopnWidth.X = r.I16(P + 2);
        o.LogPen.lopnColor = r.U32(P + 6) & 0xFFFFFF;
        WmfCreateObject(o);
        break;
    }
    case 0x02FC: {  // CREATEBRUSHINDIRECT: style, colour, hatch
        TMetaObject o;
        o.Kind = TMetaObject::Brush;
        o.LogBrush.lbStyle = r.U16(P);
        if (o.LogBrush.lbStyle > BS_HATCHED)
            o.LogBrush.lbStyle = BS_SOLID;
        o.LogBrush.lbColor = r.U32(P + 2) & 0xFFFFFF;
        o.LogBrush.lbHatch = r.U16(P + 6) & 7;
        WmfCreateObject(o);
        break;
    }
    case 0x0142: {  // DIBCREATEPATTERNBRUSH: style, usage, DIB
        TMetaObject o;
        o.Kind = TMetaObject::Brush;
        auto img = std::make_shared<TDibImage>();
        const size_t off = P + 4;
        if (r.N > off) {
            TRec dib{r.P + off, r.N - off};
            const uint32_t hs = dib.U32(0);
            const uint16_t bits = hs == 12 ? dib.U16(10) : dib.U16(14);
            uint32_t used = hs >= 40 ? dib.U32(32) : 0;
            size_t colors = bits <= 8 ? (used ? std::min<uint32_t>(used, 1u << bits) : (1u << bits)) : 0;
            const size_t bmi = hs + colors * (hs == 12 ? 3 : 4);
            if (hs >= 12 && bmi < dib.N && DecodeRecordDib(dib, 0, static_cast<uint32_t>(bmi),
                                                           static_cast<uint32_t>(bmi),
                                                           static_cast<uint32_t>(dib.N - bmi), *img)) {
                o.LogBrush.lbStyle = BS_PATTERN;
                o.Pattern = img;
            }
        }
        WmfCreateObject(o);
        break;
    }
    case 0x02FB: {  // CREATEFONTINDIRECT
        TMetaObject o;
        o.Kind = TMetaObject::Font;
        LOGFONT& f = o.LogFont;
        f.lfHeight = r.I16(P);
        f.lfWidth = r.I16(P + 2);
        f.lfEscapement = r.I16(P + 4);
        f.lfOrientation = r.I16(P + 6);
        f.lfWeight = r.I16(P + 8);
        f.lfItalic = r.U8(P + 10);
        f.lfUnderline = r.U8(P + 11);
        f.lfStrikeOut = r.U8(P + 12);
        f.lfCharSet = r.U8(P + 13);
        f.lfPitchAndFamily = r.U8(P + 17);
        std::string face;
        for (size_t i = 0; i < 32 && r.Has(P + 18 + i, 1); ++i) {
            const char c = static_cast<char>(r.U8(P + 18 + i));
            if (!c)
                break;
            face += c;
        }
        f.lfFaceName = face.substr(0, LF_FACESIZE - 1);
        WmfCreateObject(o);
        break;
    }
    case 0x00F7: {  // CREATEPALETTE: kept only for its slot
        TMetaObject o;
        o.Kind = TMetaObject::Palette;
        WmfCreateObject(o);
        break;
    }
    case 0x06FF: {  // CREATEREGION: header of 10 words then scans
        TMetaObject o;
        o.Kind = TMetaObject::Region;
        // Scan records: count, top, bottom, count pairs of left/right, count.
        const int scans = r.I16(P + 14);
        size_t off = P + 20;
        for (int s = 0; s < scans && r.Has(off, 6); ++s) {
            const int n = r.I16(off);
            const int top = r.I16(off + 2), bottom = r.I16(off + 4);
            if (n < 0 || !r.Has(off + 6, static_cast<size_t>(n) * 2 + 2))
                break;
            for (int i = 0; i + 1 < n; i += 2)
                o.Rects.push_back({r.I16(off + 6 + i * 2), top, r.I16(off + 8 + i * 2), bottom});
            off += 6 + static_cast<size_t>(n) * 2 + 2;
        }
        WmfCreateObject(o);
        break;
    }
    case 0x012D: {  // SELECTOBJECT
        const uint16_t index = r.U16(P);
        if (index < FObjects.size())
            SelectMetaObject(FObjects[index]);
        break;
    }
    case 0x012C: {  // SELECTCLIPREGION
        const uint16_t index = r.U16(P);
        if (index < FObjects.size() && FObjects[index].Kind == TMetaObject::Region)
            SelectMetaObject(FObjects[index]);
        else
            SelectClipRgn(FDC, FInitialClip);
        break;
    }
    case 0x01F0: {  // DELETEOBJECT
        const uint16_t index = r.U16(P);
        if (index < FObjects.size())
            FObjects[index] = {};
        break;
    }
    case 0x001E: SaveState(); break;
    case 0x0127: RestoreState(r.I16(P) < 0 ? r.I16(P) : -1); break;
    case 0x0416: ClipRect(r.I16(P + 6), r.I16(P + 4), r.I16(P + 2), r.I16(P), false); break;
    case 0x0415: ClipRect(r.I16(P + 6), r.I16(P + 4), r.I16(P + 2), r.I16(P), true); break;
    case 0x0B41: case 0x0940: case 0x0F43: case 0x0D33: {  // bitmaps
        const bool stretch = func == 0x0B41 || func == 0x0F43;
        const size_t words = r.N / 2;
        // Without a bitmap the records hold one reserved word more.
        const bool noBitmap = (func == 0x0B41 && words == 3 + 11) || (func == 0x0940 && words == 3 + 9);
        size_t off = P;
        uint32_t rop = SRCCOPY;
        if (func != 0x0D33) {
            rop = r.U32(off);
            off += 4;
        } else {
            off += 2;
        }
        if (func == 0x0F43)
            off += 2;  // colour usage
        int32_t sx = 0, sy = 0, sw = 0, sh = 0;
        double x = 0, y = 0, w = 0, h = 0;
        if (func == 0x0D33) {
            off += 4;  // scan count, start scan
            sy = r.I16(off); sx = r.I16(off + 2); h = sh = r.I16(off + 4); w = sw = r.I16(off + 6);
            y = r.I16(off + 8); x = r.I16(off + 10);
            off += 12;
        } else if (stretch) {
            sh = r.I16(off); sw = r.I16(off + 2); sy = r.I16(off + 4); sx = r.I16(off + 6);
            off += 8;
            if (noBitmap)
                off += 2;
            h = r.I16(off); w = r.I16(off + 2); y = r.I16(off + 4); x = r.I16(off + 6);
            off += 8;
        } else {
            sy = r.I16(off); sx = r.I16(off + 2);
            off += 4;
            if (noBitmap)
                off += 2;
            h = sh = r.I16(off); w = sw = r.I16(off + 2); y = r.I16(off + 4); x = r.I16(off + 6);
            off += 8;
        }
        if (noBitmap) {
            Blit(nullptr, x, y, w, h, 0, 0, 0, 0, rop, false, 0);
            break;
        }
        if (off >= r.N)
            break;
        TRec dib{r.P + off, r.N - off};
        const uint32_t hs = dib.U32(0);
        if (hs < 12 || hs > dib.N)
            break;
        const uint16_t bits = hs == 12 ? dib.U16(10) : dib.U16(14);
        const uint32_t compression = hs >= 40 ? dib.U32(16) : 0;
        const uint32_t used = hs >= 40 ? dib.U32(32) : 0;
        size_t colors = 0;
        if (bits <= 8)
            colors = used ? std::min<uint32_t>(used, 1u << bits) : (1u << bits);
        else if (compression == BI_BITFIELDS)
            colors = 3;
        const size_t bmi = hs + colors * (hs == 12 ? 3 : 4);
        if (bmi >= dib.N)
            break;
        TDibImage img;
        if (!DecodeRecordDib(dib, 0, static_cast<uint32_t>(bmi), static_cast<uint32_t>(bmi),
                             static_cast<uint32_t>(dib.N - bmi), img))
            break;
        // Source rows count from the bottom of a bottom-up bitmap.
        const int32_t top = img.Height - sy - sh;
        Blit(&img, x, y, w, h, sx, top, sw, sh, rop, false, 0);
        break;
    }
    default: break;
    }
}

// The window a Windows metafile draws in: its first window origin and
// extent records.
bool ScanWmfWindow(const uint8_t* data, size_t size, TRect& window)
{
    if (size < 18)
        return false;
    const size_t headerWords = Le16(data + 2);
    bool org = false, ext = false;
    int32_t ox = 0, oy = 0, ex = 0, ey = 0;
    for (size_t pos = headerWords * 2; pos + 6 <= size;) {
        const uint64_t rs = static_cast<uint64_t>(Le32(data + pos)) * 2;
        if (rs < 6 || rs > size - pos)
            break;
        const uint16_t func = Le16(data + pos + 4);
        if (func == 0)
            break;
        if (rs >= 10 && func == 0x020B && !org) {
            oy = static_cast<int16_t>(Le16(data + pos + 6));
            ox = static_cast<int16_t>(Le16(data + pos + 8));
            org = true;
        }
        if (rs >= 10 && func == 0x020C && !ext) {
            ey = static_cast<int16_t>(Le16(data + pos + 6));
            ex = static_cast<int16_t>(Le16(data + pos + 8));
            ext = ex && ey;
        }
        if (org && ext)
            break;
        pos += rs;
    }
    if (!ext)
        return false;
    window = {ox, oy, ox + ex, oy + ey};
    return true;
}

void TPlayer::PlayWmf(const uint8_t* data, size_t size, const TRect& dest, const TRect& window)
{
    if (size < 18)
        return;
    const uint16_t headerWords = Le16(data + 2);
    if (headerWords < 9 || static_cast<size_t>(headerWords) * 2 > size)
        return;
    FWmf = true;
    // The window maps onto the destination rectangle; the metafile's own
    // window records move and scale that window as it plays.
    TRect win = window;
    if (win.Width() == 0 || win.Height() == 0) {
        if (!ScanWmfWindow(data, size, win))
            win = {0, 0, std::max(1, dest.Width()), std::max(1, dest.Height())};
    }
    FOut = {};
    FState.MapMode = MM_ANISOTROPIC;
    FState.WinOrgX = win.Left;
    FState.WinOrgY = win.Top;
    FState.WinExtX = win.Width() ? win.Width() : 1;
    FState.WinExtY = win.Height() ? win.Height() : 1;
    FState.VpOrgX = dest.Left;
    FState.VpOrgY = dest.Top;
    FState.VpExtX = dest.Width() ? dest.Width() : 1;
    FState.VpExtY = dest.Height() ? dest.Height() : 1;
    FObjects.assign(std::min<size_t>(Le16(data + 6 + 4), 4096) + 1, TMetaObject{});
    ResetState();
    UpdateTotal();
    for (size_t pos = static_cast<size_t>(headerWords) * 2; pos + 6 <= size;) {
        const uint64_t rs = static_cast<uint64_t>(Le32(data + pos)) * 2;
        if (rs < 6 || rs > size - pos)
            break;
        const uint16_t func = Le16(data + pos + 4);
        if (func == 0)
            break;
        PlayWmfRecord(func, TRec{data + pos, static_cast<size_t>(rs)});
        pos += rs;
    }
}

// --- Making metafiles --------------------------------------------------------

bool ValidEmf(const uint8_t* bits, size_t size)
{
    TRec h{bits, size};
    return bits && size >= EmfHeaderSize && h.U32(0) == 1 && h.U32(40) == EmfSignature && h.U32(4) >= EmfHeaderSize &&
           h.U32(4) <= size;
}

bool ValidWmf(const uint8_t* bits, size_t size)
{
    if (!bits || size < 18)
        return false;
    const uint16_t type = Le16(bits), headerWords = Le16(bits + 2);
    return (type == 1 || type == 2) && headerWords == 9;
}

// Millimetre conversion of a mapping mode's units, in 0.01 mm per unit.
double HimetricPerUnit(int32_t mm)
{
    switch (mm) {
    case MM_LOMETRIC: return 10;
    case MM_HIMETRIC: return 1;
    case MM_LOENGLISH: return 25.4;
    case MM_HIENGLISH: return 2.54;
    case MM_TWIPS: return 2540.0 / 1440;
    default: return 2540.0 / 96;
    }
}

HENHMETAFILE WrapWmf(const uint8_t* bits, size_t size, const TRect& frameHimetric, TSize device, TSize millimetres)
{
    std::string comment;
    PutU32(comment, GdiCommentIdent);
    PutU32(comment, GdiCommentWindowsMetafile);
    PutU32(comment, 0x00010000);
    PutU32(comment, 0);  // checksum: not used by this player
    PutU32(comment, 0);
    PutU32(comment, static_cast<uint32_t>(size));
    comment.append(reinterpret_cast<const char*>(bits), size);
    while (comment.size() % 4)
        comment += '\0';
    std::string body;
    PutU32(body, static_cast<uint32_t>(comment.size() - 0));
    body += comment;

    std::string out;
    const uint32_t total = EmfHeaderSize + 8 + static_cast<uint32_t>(body.size()) + 20;
    PutU32(out, 1);
    PutU32(out, EmfHeaderSize);
    const TRect bounds{0, 0,
                       Round(static_cast<double>(frameHimetric.Width()) * device.cx / (millimetres.cx * 100.0)),
                       Round(static_cast<double>(frameHimetric.Height()) * device.cy / (millimetres.cy * 100.0))};
    PutRect(out, bounds);
    PutRect(out, frameHimetric);
    PutU32(out, EmfSignature);
    PutU32(out, 0x10000);
    PutU32(out, total);
    PutU32(out, 3);
    PutU16(out, 1);
    PutU16(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutI32(out, device.cx);
    PutI32(out, device.cy);
    PutI32(out, millimetres.cx);
    PutI32(out, millimetres.cy);
    PutU32(out, 70);
    PutU32(out, 8 + static_cast<uint32_t>(body.size()));
    out += body;
    PutU32(out, 14);
    PutU32(out, 20);
    PutU32(out, 0);
    PutU32(out, 16);
    PutU32(out, 20);
    auto* m = new TEnhMetafileData;
    m->Bits.assign(out.begin(), out.end());
    m->WinBits.assign(bits, bits + size);
    return m;
}

void ReferenceDevice(HDC ref, TSize& device, TSize& millimetres)
{
    HDC dc = ref ? ref : GetScreenDC();
    device = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    millimetres = {GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE)};
    if (!ref)
        ReleaseDC(dc);
    if (device.cx <= 0 || device.cy <= 0 || millimetres.cx <= 0 || millimetres.cy <= 0) {
        device = {1024, 768};
        millimetres = {271, 203};
    }
}

}  // namespace

HENHMETAFILE SetEnhMetaFileBits(uint32_t size, const uint8_t* bits)
{
    if (!ValidEmf(bits, size))
        return nullptr;
    auto* m = new TEnhMetafileData;
    m->Bits.assign(bits, bits + size);
    return m;
}

HENHMETAFILE SetWinMetaFileBits(uint32_t size, const uint8_t* bits, HDC ref, const METAFILEPICT* mfp)
{
    if (!ValidWmf(bits, size))
        return nullptr;
    TSize device, millimetres;
    ReferenceDevice(ref, device, millimetres);
    METAFILEPICT pict = mfp ? *mfp : METAFILEPICT{};
    TRect frame;
    if ((pict.mm == MM_ANISOTROPIC || pict.mm == MM_ISOTROPIC) && pict.xExt > 0 && pict.yExt > 0) {
        frame = {0, 0, pict.xExt, pict.yExt};
    } else {
        TRect window;
        if (ScanWmfWindow(bits, size, window)) {
            const double k = HimetricPerUnit(pict.mm);
            frame = {0, 0, Round(std::fabs(window.Width() * k)), Round(std::fabs(window.Height() * k))};
        } else {
            frame = {0, 0, 2540, 2540};
        }
    }
    return WrapWmf(bits, size, frame, device, millimetres);
}

uint32_t GetEnhMetaFileBits(HENHMETAFILE metafile, uint32_t size, uint8_t* bits)
{
    if (!metafile)
        return 0;
    const uint32_t total = static_cast<uint32_t>(metafile->Bits.size());
    if (!bits)
        return total;
    const uint32_t n = std::min(size, total);
    std::memcpy(bits, metafile->Bits.data(), n);
    return n;
}

std::vector<uint8_t> GetWinMetaFileBitsOf(HENHMETAFILE metafile)
{
    return metafile ? metafile->WinBits : std::vector<uint8_t>();
}

bool GetEnhMetaFileHeader(HENHMETAFILE metafile, ENHMETAHEADER* header)
{
    if (!metafile || !header)
        return false;
    TRec h{metafile->Bits.data(), metafile->Bits.size()};
    header->rclBounds = {h.I32(8), h.I32(12), h.I32(16), h.I32(20)};
    header->rclFrame = {h.I32(24), h.I32(28), h.I32(32), h.I32(36)};
    header->nBytes = h.U32(48);
    header->nRecords = h.U32(52);
    header->nHandles = h.U16(56);
    header->szlDevice = {h.I32(72), h.I32(76)};
    header->szlMillimeters = {h.I32(80), h.I32(84)};
    return true;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile)
{
    if (!metafile)
        return nullptr;
    auto* m = new TEnhMetafileData;
    *m = *metafile;
    return m;
}

bool DeleteEnhMetaFile(HENHMETAFILE metafile)
{
    if (!metafile)
        return false;
    delete metafile;
    return true;
}

bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const TRect& rect)
{
    if (!metafile || !IsDC(dc))
        return false;
    TPlayer player(dc);
    player.PlayEmf(metafile->Bits.data(), metafile->Bits.size(), rect, 0);
    return true;
}

HENHMETAFILE MetafileFromFileBits(const std::vector<uint8_t>& data, uint16_t* inch)
{
    if (inch)
        *inch = 0;
    if (ValidEmf(data.data(), data.size()))
        return SetEnhMetaFileBits(static_cast<uint32_t>(data.size()), data.data());
    if (data.size() >= 22 + 18 && Le32(data.data()) == 0x9AC6CDD7) {
        // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
        const int16_t l = static_cast<int16_t>(Le16(&data[6])), t = static_cast<int16_t>(Le16(&data[8]));
        const int16_t r = static_cast<int16_t>(Le16(&data[10])), b = static_cast<int16_t>(Le16(&data[12]));
        uint16_t units = Le16(&data[14]);
        if (units == 0)
            units = 1440;
        if (inch)
            *inch = units;
        METAFILEPICT pict;
        pict.mm = MM_ANISOTROPIC;
        pict.xExt = Round(std::abs(r - l) * 2540.0 / units);
        pict.yExt = Round(std::abs(b - t) * 2540.0 / units);
        return SetWinMetaFileBits(static_cast<uint32_t>(data.size() - 22), data.data() + 22, nullptr, &pict);
    }
    if (ValidWmf(data.data(), data.size()))
        return SetWinMetaFileBits(static_cast<uint32_t>(data.size()), data.data(), nullptr, nullptr);
    return nullptr;
}

TRect FrameOfPixelSize(HDC ref, int32_t width, int32_t height)
{
    TSize device, millimetres;
    ReferenceDevice(ref, device, millimetres);
    auto up = [](int64_t pixels, int64_t mm, int64_t px) {
        return static_cast<int32_t>((pixels * mm * 100 + px - 1) / px);
    };
    return {0, 0, up(width, millimetres.cx, device.cx), up(height, millimetres.cy, device.cy)};
}

// --- Recording -----------------------------------------------------------------

TEnhMetafileRecorder::TEnhMetafileRecorder(HDC ref, const TRect& frame) : FFrame(frame)
{
    ReferenceDevice(ref, FDevice, FMillimeters);
}

void TEnhMetafileRecorder::Record(uint32_t type, const std::string& body)
{
    PutU32(FRecords, type);
    PutU32(FRecords, static_cast<uint32_t>(8 + body.size()));
    FRecords += body;
    ++FCount;
}

namespace {

// The packed DIB of an image: 40-byte header, colour table, bottom-up rows.
std::string PackedDib(const TDibImage& image)
{
    const BITMAPINFO info = DibInfo(image);
    std::string out;
    const BITMAPINFOHEADER& h = info.bmiHeader;
    PutU32(out, 40);
    PutI32(out, h.biWidth);
    PutI32(out, h.biHeight);
    PutU16(out, 1);
    PutU16(out, h.biBitCount);
    PutU32(out, h.biCompression);
    PutU32(out, h.biSizeImage);
    PutI32(out, 0);
    PutI32(out, 0);
    PutU32(out, static_cast<uint32_t>(info.bmiColors.size()));
    PutU32(out, 0);
    for (const RGBQUAD& q : info.bmiColors) {
        out += static_cast<char>(q.rgbBlue);
        out += static_cast<char>(q.rgbGreen);
        out += static_cast<char>(q.rgbRed);
        out += static_cast<char>(q.rgbReserved);
    }
    return out;
}

}  // namespace

void TEnhMetafileRecorder::FillRect(const TRect& rect, COLORREF color)
{
    // A brush, selected, the rectangle drawn without outline, the brush freed.
    std::string b;
    PutU32(b, 1);
    PutU32(b, BS_SOLID);
    PutU32(b, color & 0xFFFFFF);
    PutU32(b, 0);
    Record(39, b);
    std::string s;
    PutU32(s, 1);
    Record(37, s);
    std::string p;
    PutU32(p, 0x80000000u | NULL_PEN);
    Record(37, p);
    std::string r;
    PutRect(r, {rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1});
    Record(43, r);
    std::string w;
    PutU32(w, 0x80000000u | WHITE_BRUSH);
    Record(37, w);
    std::string d;
    PutU32(d, 1);
    Record(40, d);
}

void TEnhMetafileRecorder::StretchDib(const TRect& rect, const TDibImage& image)
{
    if (image.Empty())
        return;
    const std::string bmi = PackedDib(image);
    const std::string bits = PackDibBottomUp(image);
    std::string s;
    PutRect(s, rect);
    PutI32(s, rect.Left);
    PutI32(s, rect.Top);
    PutI32(s, 0);
    PutI32(s, 0);
    PutI32(s, image.Width);
    PutI32(s, image.Height);
    const uint32_t offBmi = 80;
    PutU32(s, offBmi);
    PutU32(s, static_cast<uint32_t>(bmi.size()));
    PutU32(s, offBmi + static_cast<uint32_t>(bmi.size()));
    PutU32(s, static_cast<uint32_t>(bits.size()));
    PutU32(s, DIB_RGB_COLORS);
    PutU32(s, SRCCOPY);
    PutI32(s, rect.Width());
    PutI32(s, rect.Height());
    s += bmi;
    s += bits;
    while (s.size() % 4)
        s += '\0';
    Record(81, s);
}

void TEnhMetafileRecorder::TransparentDib(const TRect& rect, const TDibImage& image, COLORREF transparent)
{
    if (image.Empty())
        return;
    const std::string bmi = PackedDib(image);
    const std::string bits = PackDibBottomUp(image);
    std::string s;
    PutRect(s, rect);
    PutI32(s, rect.Left);
    PutI32(s, rect.Top);
    PutI32(s, rect.Width());
    PutI32(s, rect.Height());
    PutU32(s, transparent & 0xFFFFFF);
    PutI32(s, 0);
    PutI32(s, 0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        PutU32(s, v);
    }
    PutU32(s, 0);
    PutU32(s, DIB_RGB_COLORS);
    const uint32_t offBmi = 108;
    PutU32(s, offBmi);
    PutU32(s, static_cast<uint32_t>(bmi.size()));
    PutU32(s, offBmi + static_cast<uint32_t>(bmi.size()));
    PutU32(s, static_cast<uint32_t>(bits.size()));
    PutI32(s, image.Width);
    PutI32(s, image.Height);
    s += bmi;
    s += bits;
    while (s.size() % 4)
        s += '\0';
    Record(116, s);
}

HENHMETAFILE TEnhMetafileRecorder::Close()
{
    std::string eof;
    PutU32(eof, 0);
    PutU32(eof, 16);
    PutU32(eof, 20);
    Record(14, eof);
    std::string out;
    PutU32(out, 1);
    PutU32(out, EmfHeaderSize);
    const TRect bounds{0, 0, Round(FFrame.Width() * FDevice.cx / (FMillimeters.cx * 100.0)),
                       Round(FFrame.Height() * FDevice.cy / (FMillimeters.cy * 100.0))};
    PutRect(out, bounds);
    PutRect(out, FFrame);
    PutU32(out, EmfSignature);
    PutU32(out, 0x10000);
    PutU32(out, static_cast<uint32_t>(EmfHeaderSize + FRecords.size()));
    PutU32(out, FCount);
    PutU16(out, 2);
    PutU16(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutI32(out, FDevice.cx);
    PutI32(out, FDevice.cy);
    PutI32(out, FMillimeters.cx);
    PutI32(out, FMillimeters.cy);
    out += FRecords;
    return SetEnhMetaFileBits(static_cast<uint32_t>(out.size()), reinterpret_cast<const uint8_t*>(out.data()));
}
