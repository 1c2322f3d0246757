// Randomized checks of the graphics layer (fixed seeds): region arithmetic
// against a pixel-set model, random drawing on memory contexts that must stay
// inside the clip region and free what it made, and misuse that must fail
// cleanly.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/testing/Testing.h"

namespace {

// --- Region model ------------------------------------------------------------

// A set of sample points; a region is modelled by which of them it holds.
struct TSamples {
    std::vector<TPoint> Points;
};

using TModel = std::vector<bool>;

bool InRect(const TRect& r, const TPoint& p)
{
    const int64_t l = std::min(r.Left, r.Right), ri = std::max(r.Left, r.Right);
    const int64_t t = std::min(r.Top, r.Bottom), b = std::max(r.Top, r.Bottom);
    return p.X >= l && p.X < ri && p.Y >= t && p.Y < b;
}

TModel RectModel(const TSamples& s, const TRect& r)
{
    TModel m(s.Points.size());
    for (size_t i = 0; i < s.Points.size(); ++i)
        m[i] = InRect(r, s.Points[i]);
    return m;
}

TModel SampleRegion(const TSamples& s, HRGN rgn)
{
    TModel m(s.Points.size());
    for (size_t i = 0; i < s.Points.size(); ++i)
        m[i] = PtInRegion(rgn, s.Points[i].X, s.Points[i].Y);
    return m;
}

TModel Combine(const TModel& a, const TModel& b, int mode)
{
    TModel m(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        switch (mode) {
        case RGN_AND: m[i] = a[i] && b[i]; break;
        case RGN_OR: m[i] = a[i] || b[i]; break;
        case RGN_XOR: m[i] = a[i] != b[i]; break;
        case RGN_DIFF: m[i] = a[i] && !b[i]; break;
        default: m[i] = a[i]; break;
        }
    }
    return m;
}

std::string Describe(const TSamples& s, const TModel& want, const TModel& got)
{
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] != got[i])
            return "first difference at " + std::to_string(s.Points[i].X) + "," + std::to_string(s.Points[i].Y) +
                   (want[i] ? " (missing)" : " (extra)");
    return "same";
}

// Random combinations of a pool of regions, checked point by point after
// every step, with the region's kind, box and rectangles.
void RunRegionRounds(const TSamples& samples, std::mt19937& rng, const std::vector<int32_t>& coords, int rounds,
                     bool exactArea)
{
    auto coord = [&] { return coords[rng() % coords.size()]; };
    constexpr int kPool = 4;
    for (int round = 0; round < rounds; ++round) {
        std::vector<HRGN> pool;
        std::vector<TModel> models;
        for (int i = 0; i < kPool; ++i) {
            const TRect r{coord(), coord(), coord(), coord()};  // may be inverted or empty
            pool.push_back(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
            ASSERT_NE(pool.back(), nullptr);
            models.push_back(RectModel(samples, r));
            ASSERT_EQ(SampleRegion(samples, pool.back()), models.back())
                << "rect " << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ": "
                << Describe(samples, models.back(), SampleRegion(samples, pool.back()));
        }
        for (int step = 0; step < 12; ++step) {
            const size_t d = rng() % kPool, a = rng() % kPool, b = rng() % kPool;
            static const int kModes[] = {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY};
            const int mode = kModes[rng() % 5];
            if (rng() % 6 == 0) {
                // Reset one region to a rectangle instead.
                const TRect r{coord(), coord(), coord(), coord()};
                ASSERT_TRUE(SetRectRgn(pool[d], r.Left, r.Top, r.Right, r.Bottom));
                models[d] = RectModel(samples, r);
            } else {
                const int kind = CombineRgn(pool[d], pool[a], pool[b], mode);
                models[d] = Combine(models[a], models[b], mode);
                bool any = false;
                for (bool v : models[d])
                    any = any || v;
                ASSERT_NE(kind, RGN_ERROR);
                if (exactArea) {
                    ASSERT_EQ(kind == NULLREGION, !any) << "mode " << mode;
                } else if (any) {
                    ASSERT_NE(kind, NULLREGION) << "mode " << mode;
                }
            }
            const TModel got = SampleRegion(samples, pool[d]);
            ASSERT_EQ(got, models[d]) << "round " << round << " step " << step << " mode " << mode << ": "
                                      << Describe(samples, models[d], got);
            // The rectangles cover the region exactly once, within its box.
            TRect box;
            const int kind = GetRgnBox(pool[d], &box);
            const auto rects = GetRegionRects(pool[d]);
            ASSERT_EQ(kind == NULLREGION, rects.empty());
            if (kind == SIMPLEREGION) {
                ASSERT_EQ(rects.size(), 1u);
            }
            for (const TRect& r : rects) {
                ASSERT_LT(r.Left, r.Right);
                ASSERT_LT(r.Top, r.Bottom);
                ASSERT_GE(r.Left, box.Left);
                ASSERT_LE(r.Right, box.Right);
                ASSERT_GE(r.Top, box.Top);
                ASSERT_LE(r.Bottom, box.Bottom);
            }
            if (exactArea) {
                int64_t area = 0, count = 0;
                for (const TRect& r : rects)
                    area += static_cast<int64_t>(r.Right - r.Left) * (r.Bottom - r.Top);
                for (bool v : models[d])
                    count += v;
                ASSERT_EQ(area, count) << "rectangles overlap or stray outside the sampled grid";
                // A random rectangle meets the region exactly when it meets a pixel of the model.
                const TRect probe{coord(), coord(), coord(), coord()};
                const TModel probeModel = RectModel(samples, probe);
                bool meets = false;
                for (size_t i = 0; i < probeModel.size(); ++i)
                    meets = meets || (probeModel[i] && models[d][i]);
                ASSERT_EQ(RectInRegion(pool[d], probe), meets);
            }
        }
        for (HRGN h : pool)
            ASSERT_TRUE(DeleteObject(h));
        for (HRGN h : pool)
            ASSERT_EQ(GetObjectType(h), 0);
    }
}

}  // namespace

TEST(RandomizedRegions, CombinationsMatchAPixelModel)
{
    // Coordinates on a small grid; every pixel of the grid (and a margin) is
    // sampled, so areas must match exactly.
    TSamples grid;
    for (int32_t y = -4; y < 24; ++y)
        for (int32_t x = -4; x < 24; ++x)
            grid.Points.push_back({x, y});
    std::vector<int32_t> coords;
    for (int32_t c = -2; c <= 21; ++c)
        coords.push_back(c);
    std::mt19937 rng(1234);
    RunRegionRounds(grid, rng, coords, 60, true);

    // Offsetting and offsetting back is the identity; ellipses and polygons
    // combine like any other region.
    for (int round = 0; round < 40; ++round) {
        auto c = [&] { return static_cast<int32_t>(rng() % 24) - 2; };
        HRGN e = CreateEllipticRgn(c(), c(), c(), c());
        TPoint pts[5];
        const int n = static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i)
            pts[i] = {c(), c()};
        HRGN p = CreatePolygonRgn(pts, n, rng() % 2 ? WINDING : ALTERNATE);
        ASSERT_NE(e, nullptr);
        ASSERT_NE(p, nullptr);
        const TModel me = SampleRegion(grid, e), mp = SampleRegion(grid, p);
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
            CombineRgn(r, e, p, mode);
            ASSERT_EQ(SampleRegion(grid, r), Combine(me, mp, mode));
        }
        const int32_t dx = static_cast<int32_t>(rng() % 11) - 5, dy = static_cast<int32_t>(rng() % 11) - 5;
        const TModel before = SampleRegion(grid, r);
        OffsetRgn(r, dx, dy);
        for (size_t i = 0; i < grid.Points.size(); ++i)
            if (before[i]) {
                ASSERT_TRUE(PtInRegion(r, grid.Points[i].X + dx, grid.Points[i].Y + dy));
            }
        OffsetRgn(r, -dx, -dy);
        ASSERT_EQ(SampleRegion(grid, r), before);
        for (HRGN h : {e, p, r})
            ASSERT_TRUE(DeleteObject(h));
    }
}

TEST(RandomizedRegions, CoordinatesNearTheIntegerLimits)
{
    const std::vector<int32_t> coords = {INT32_MIN, INT32_MIN + 1, -(1 << 27), -1, 0, 1, 7, (1 << 27),
                                         INT32_MAX - 1, INT32_MAX};
    // Regions are exact within +-2^30 (far beyond any device); edges further
    // out are brought back to that range.
    constexpr int32_t kFar = (1 << 30) - 1;
    const int32_t at[] = {-kFar, -kFar + 1, -(1 << 27) - 1, -(1 << 27), -1, 0, 1, 6, 7, (1 << 27) - 1, 1 << 27,
                          kFar - 1};
    TSamples samples;
    for (int32_t y : at)
        for (int32_t x : at)
            samples.Points.push_back({x, y});
    std::mt19937 rng(99);
    RunRegionRounds(samples, rng, coords, 60, false);

    // Offsets that would leave the coordinate range do not corrupt memory.
    HRGN r = CreateRectRgn(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    EXPECT_EQ(OffsetRgn(r, INT32_MAX, INT32_MAX), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(r, kFar - 1, kFar - 1));
    TRect box;
    EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
    EXPECT_LE(box.Left, box.Right);
    EXPECT_TRUE(DeleteObject(r));
}

namespace {

// All pixels of a bitmap, 0x00RRGGBB, top-down.
std::vector<uint32_t> PixelsOf(HDC dc, HBITMAP bitmap, int w, int h)
{
    BITMAPINFO info;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, static_cast<uint32_t>(h), px.data(), &info, DIB_RGB_COLORS), h);
    for (auto& p : px)
        p &= 0xFFFFFF;
    return px;
}

// Random drawing calls on one memory context; every object made is recorded
// for deletion.
class TRandomPainter {
public:
    TRandomPainter(std::mt19937& rng, HDC dc, HDC other) : Rng(rng), DC(dc), Other(other) {}

    int32_t Coord()
    {
        // Mostly around the bitmap, sometimes far away or at the integer limits.
        switch (Rng() % 40) {
        case 0: return INT32_MAX;
        case 1: return INT32_MIN;
        case 2: return (Rng() % 2 ? 1 : -1) * static_cast<int32_t>(Rng() % 100000);
        default: return static_cast<int32_t>(Rng() % 48) - 8;
        }
    }
    int32_t Small() { return static_cast<int32_t>(Rng() % 21) - 10; }
    COLORREF Colour() { return RGB(Rng() % 256, Rng() % 256, Rng() % 256); }
    TRect AnyRect() { return {Coord(), Coord(), Coord(), Coord()}; }

    HBRUSH NewBrush()
    {
        HBRUSH b = nullptr;
        switch (Rng() % 4) {
        case 0: b = CreateSolidBrush(Colour()); break;
        case 1: b = CreateHatchBrush(static_cast<int>(Rng() % 6), Colour()); break;
        case 2: {
            HDC screen = GetScreenDC();
            HBITMAP pattern = CreateCompatibleBitmap(screen, 1 + static_cast<int32_t>(Rng() % 9),
                                                     1 + static_cast<int32_t>(Rng() % 9));
            ReleaseDC(screen);
            b = CreatePatternBrush(pattern);
            EXPECT_TRUE(DeleteObject(pattern));
            break;
        }
        default: {
            LOGBRUSH lb;
            lb.lbStyle = BS_NULL;
            return CreateBrushIndirect(lb);  // the stock null brush: not deleted
        }
        }
        EXPECT_NE(b, nullptr);
        Made.push_back(b);
        return b;
    }

    void Step()
    {
        switch (Rng() % 26) {
        case 0: MoveToEx(DC, Coord(), Coord()); break;
        case 1: LineTo(DC, Coord(), Coord()); break;
        case 2: Rectangle(DC, Coord(), Coord(), Coord(), Coord()); break;
        case 3: Ellipse(DC, Coord(), Coord(), Coord(), Coord()); break;
        case 4: RoundRect(DC, Coord(), Coord(), Coord(), Coord(), Small(), Small()); break;
        case 5: {
            std::vector<TPoint> pts(Rng() % 7);
            for (auto& p : pts)
                p = Rng() % 3 ? TPoint{Coord(), Coord()} : (pts.empty() ? TPoint{} : pts.front());
            if (Rng() % 2)
                Polygon(DC, pts.data(), static_cast<int>(pts.size()));
            else
                Polyline(DC, pts.data(), static_cast<int>(pts.size()));
            break;
        }
        case 6: {
            const int kind = static_cast<int>(Rng() % 3);
            const TRect r = AnyRect();
            const int32_t a = Coord(), b = Coord(), c = Coord(), d = Coord();
            if (kind == 0)
                Arc(DC, r.Left, r.Top, r.Right, r.Bottom, a, b, c, d);
            else if (kind == 1)
                Pie(DC, r.Left, r.Top, r.Right, r.Bottom, a, b, c, d);
            else
                Chord(DC, r.Left, r.Top, r.Right, r.Bottom, a, b, c, d);
            break;
        }
        case 7: {
            std::string text;
            const size_t n = Rng() % 6;
            std::vector<int32_t> dx;
            for (size_t i = 0; i < n; ++i) {
                text += static_cast<char>(32 + Rng() % 224);
                dx.push_back(Rng() % 10 == 0 ? Coord() : Small() + 6);
            }
            const TRect r = AnyRect();
            const uint32_t options = Rng() % 4 == 0 ? 0 : (Rng() % 2 ? ETO_OPAQUE : 0) | (Rng() % 2 ? ETO_CLIPPED : 0);
            SetTextAlign(DC, (Rng() % 2 ? TA_BASELINE : TA_TOP) | (Rng() % 3 == 0 ? TA_RIGHT : TA_LEFT));
            ExtTextOut(DC, Coord(), Coord(), options, Rng() % 2 ? &r : nullptr, text,
                       Rng() % 3 ? dx.data() : nullptr);
            break;
        }
        case 8: FillRect(DC, AnyRect(), NewBrush()); break;
        case 9: FrameRect(DC, AnyRect(), NewBrush()); break;
        case 10: InvertRect(DC, AnyRect()); break;
        case 11: DrawFocusRect(DC, AnyRect()); break;
        case 12: {
            static const uint32_t kRops[] = {PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS};
            PatBlt(DC, Coord(), Coord(), Coord(), Coord(), kRops[Rng() % 5]);
            break;
        }
        case 13: {
            const int32_t x = Coord(), y = Coord();
            SetPixel(DC, x, y, Colour());
            GetPixel(DC, x, y);
            break;
        }
        case 14:
        case 15: {
            static const uint32_t kRops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, MERGECOPY,
                                             PATCOPY, DSTINVERT};
            HDC src = Rng() % 2 ? DC : Other;
            SetStretchBltMode(DC, Rng() % 2 ? HALFTONE : COLORONCOLOR);
            const uint32_t rop = kRops[Rng() % 9];
            if (Rng() % 2)
                BitBlt(DC, Coord(), Coord(), Coord(), Coord(), src, Coord(), Coord(), rop);
            else
                StretchBlt(DC, Coord(), Coord(), Coord(), Coord(), src, Coord(), Coord(), Coord(), Coord(), rop);
            break;
        }
        case 16: {
            BITMAPINFO info;
            info.bmiHeader.biWidth = 3;
            info.bmiHeader.biHeight = Rng() % 2 ? 2 : -2;
            info.bmiHeader.biBitCount = 32;
            const uint32_t bits[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0, 0xFFFFFF};
            StretchDIBits(DC, Coord(), Coord(), Coord(), Coord(), Small(), Small(), Small(), Small(), bits, info,
                          DIB_RGB_COLORS, SRCCOPY);
            break;
        }
        case 17:
            if (Rng() % 2)
                SaveDC(DC);
            else
                RestoreDC(DC, Rng() % 2 ? -1 : 1);
            break;
        case 18:
            if (Rng() % 2)
                SetViewportOrgEx(DC, Small(), Small());
            else
                SetWindowOrgEx(DC, Small(), Small());
            break;
        case 19: {
            static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
            HPEN pen = CreatePen(kStyles[Rng() % 6], static_cast<int>(Rng() % 5), Colour());
            Made.push_back(pen);
            SelectObject(DC, pen);
            break;
        }
        case 20: SelectObject(DC, NewBrush()); break;
        case 21:
            SetROP2(DC, 1 + static_cast<int>(Rng() % 16));
            SetBkMode(DC, Rng() % 2 ? OPAQUE : TRANSPARENT);
            SetBkColor(DC, Colour());
            SetTextColor(DC, Colour());
            break;
        case 22:
            SetArcDirection(DC, Rng() % 2 ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE);
            SetPolyFillMode(DC, Rng() % 2 ? WINDING : ALTERNATE);
            SetBrushOrgEx(DC, Small(), Small());
            break;
        case 23:
            // Narrowing the clip keeps drawing inside the original one.
            if (Rng() % 2)
                IntersectClipRect(DC, Coord(), Coord(), Coord(), Coord());
            else
                ExcludeClipRect(DC, Coord(), Coord(), Coord(), Coord());
            break;
        case 24: {
            const TRect r = AnyRect();
            HRGN rgn = Rng() % 2 ? CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom)
                                 : CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom);
            Made.push_back(rgn);
            if (Rng() % 2)
                FillRgn(DC, rgn, NewBrush());
            else
                InvertRgn(DC, rgn);
            break;
        }
        default: {
            TRect box;
            GetClipBox(DC, &box);
            RectVisible(DC, AnyRect());
            PtVisible(DC, Coord(), Coord());
            TPoint p[2] = {{Coord(), Coord()}, {Coord(), Coord()}};
            LPtoDP(DC, p, 2);
            DPtoLP(DC, p, 2);
            break;
        }
        }
    }

    std::mt19937& Rng;
    HDC DC;
    HDC Other;
    std::vector<HGDIOBJ> Made;
};

}  // namespace

TEST(RandomizedDrawing, NothingChangesOutsideTheClipAndEverythingIsFreed)
{
    std::mt19937 rng(4321);
    constexpr int kW = 32, kH = 24;
    HDC screen = GetScreenDC();
    for (int round = 0; round < 200; ++round) {
        HDC dc = CreateCompatibleDC(screen);
        HDC other = CreateCompatibleDC(screen);
        ASSERT_NE(dc, nullptr);
        // The bitmap drawn on: the screen's depth, or an indexed or monochrome one.
        HBITMAP bitmap = nullptr;
        switch (round % 3) {
        case 0: bitmap = CreateCompatibleBitmap(screen, kW, kH); break;
        case 1: {
            BITMAPINFO info;
            info.bmiHeader.biWidth = kW;
            info.bmiHeader.biHeight = kH;
            info.bmiHeader.biBitCount = 8;
            bitmap = CreateDIBSection(dc, info, DIB_RGB_COLORS);
            break;
        }
        default: bitmap = CreateBitmap(kW, kH, 1, 1, nullptr); break;
        }
        ASSERT_NE(bitmap, nullptr);
        HBITMAP source = CreateCompatibleBitmap(screen, 1 + static_cast<int32_t>(rng() % 40),
                                                1 + static_cast<int32_t>(rng() % 40));
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldSource = SelectObject(other, source);
        ASSERT_NE(oldBitmap, nullptr);
        PatBlt(other, 0, 0, 40, 40, BLACKNESS);
        PatBlt(dc, 0, 0, kW, kH, WHITENESS);
        HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
        HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
        HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);

        // A random clip of rectangles and an ellipse, in device units.
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        for (int i = 0, n = 1 + static_cast<int>(rng() % 3); i < n; ++i) {
            auto c = [&] { return static_cast<int32_t>(rng() % 44) - 6; };
            HRGN part = rng() % 4 ? CreateRectRgn(c(), c(), c(), c()) : CreateEllipticRgn(c(), c(), c(), c());
            CombineRgn(clip, clip, part, rng() % 3 ? RGN_OR : RGN_XOR);
            DeleteObject(part);
        }
        ASSERT_NE(SelectClipRgn(dc, clip), RGN_ERROR);
        const auto before = PixelsOf(dc, bitmap, kW, kH);

        HFONT font = CreateFont(-static_cast<int32_t>(6 + rng() % 14), 0, 0, 0, rng() % 2 ? 700 : 400, rng() % 2,
                                0, 0, 0, 0, 0, 0, 0, "Arial");
        SelectObject(dc, font);
        TRandomPainter painter(rng, dc, other);
        for (int step = 0; step < 60; ++step)
            painter.Step();

        // Back to the starting state, then check the pixels.
        while (RestoreDC(dc, -1)) {
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldFont);
        const auto after = PixelsOf(dc, bitmap, kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (!PtInRegion(clip, x, y)) {
                    ASSERT_EQ(after[static_cast<size_t>(y) * kW + x], before[static_cast<size_t>(y) * kW + x])
                        << "round " << round << ": drawn outside the clip at " << x << "," << y;
                }

        // Every object made is still live (deleted once), and gone afterwards.
        EXPECT_EQ(SelectObject(dc, oldBitmap), bitmap);
        SelectObject(other, oldSource);
        painter.Made.push_back(font);
        painter.Made.push_back(clip);
        painter.Made.push_back(bitmap);
        painter.Made.push_back(source);
        for (HGDIOBJ o : painter.Made)
            ASSERT_TRUE(DeleteObject(o)) << "round " << round;
        for (HGDIOBJ o : painter.Made)
            ASSERT_EQ(GetObjectType(o), 0);
        EXPECT_TRUE(DeleteDC(dc));
        EXPECT_TRUE(DeleteDC(other));
    }
    ReleaseDC(screen);
}

TEST(RandomizedDrawing, MisuseFailsCleanly)
{
    HDC screen = GetScreenDC();
    // Sizes: empty, negative and far too large requests fail or give an
    // empty bitmap without allocating without bound.
    const int32_t sizes[] = {0, -1, 1, INT32_MAX, INT32_MIN, 1 << 16, 1 << 30};
    for (int32_t w : sizes)
        for (int32_t h : sizes)
            for (uint32_t depth : {1u, 8u, 24u, 32u, 3u}) {
                HBITMAP a = CreateBitmap(w, h, 1, depth, nullptr);
                HBITMAP b = CreateCompatibleBitmap(screen, w, h);
                BITMAPINFO info;
                info.bmiHeader.biWidth = w;
                info.bmiHeader.biHeight = h;
                info.bmiHeader.biBitCount = static_cast<uint16_t>(depth);
                HBITMAP c = CreateDIBSection(screen, info, DIB_RGB_COLORS);
                for (HBITMAP bmp : {a, b, c})
                    if (bmp) {
                        BITMAP bm;
                        ASSERT_TRUE(GetObject(bmp, &bm));
                        ASSERT_LE(static_cast<int64_t>(bm.bmWidth) * bm.bmHeight, int64_t{1} << 28);
                        ASSERT_TRUE(DeleteObject(bmp));
                    }
            }

    // Drawing on a memory context with an empty bitmap, and with deleted
    // or foreign handles, does nothing harmful.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP empty = CreateBitmap(0, 0, 1, 32, nullptr);
    if (empty)
        SelectObject(dc, empty);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HRGN rgn = CreateRectRgn(0, 0, 5, 5);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(rgn));
    EXPECT_EQ(FillRect(dc, {0, 0, 5, 5}, brush), 0);
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    EXPECT_EQ(SelectClipRgn(dc, rgn), RGN_ERROR);
    EXPECT_EQ(CombineRgn(rgn, rgn, rgn, RGN_OR), RGN_ERROR);
    EXPECT_FALSE(FillRgn(dc, rgn, brush));
    // A region handle used as a brush, and a brush as a region, are refused.
    HRGN live = CreateRectRgn(0, 0, 2, 2);
    HBRUSH liveBrush = CreateSolidBrush(0);
    EXPECT_EQ(FillRect(dc, {0, 0, 5, 5}, reinterpret_cast<HBRUSH>(live)), 0);
    EXPECT_EQ(PtInRegion(reinterpret_cast<HRGN>(liveBrush), 0, 0), false);
    Rectangle(dc, 0, 0, 5, 5);
    Ellipse(dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    TextOut(dc, 0, 0, "abc");
    BitBlt(dc, 0, 0, 5, 5, dc, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_FALSE(BitBlt(dc, 0, 0, 5, 5, reinterpret_cast<HDC>(liveBrush), 0, 0, SRCCOPY));
    EXPECT_FALSE(RestoreDC(dc, 1));
    EXPECT_FALSE(RestoreDC(dc, INT32_MIN));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(live));
    EXPECT_TRUE(DeleteObject(liveBrush));
    if (empty) {
        EXPECT_TRUE(DeleteObject(empty));
    }
    // Every call on a deleted context fails.
    EXPECT_EQ(SaveDC(dc), 0);
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_EQ(PatBlt(dc, 0, 0, 1, 1, PATCOPY), false);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
    ReleaseDC(screen);
}

TEST(RandomizedDrawing, HugeTransfersAndFramesStayBounded)
{
    // Destination rectangles far larger than the bitmap are drawn through
    // their visible part only.
    HDC screen = GetScreenDC();
    HDC dc = CreateCompatibleDC(screen), src = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16), source = CreateCompatibleBitmap(screen, 4, 4);
    HGDIOBJ oldA = SelectObject(dc, bitmap), oldB = SelectObject(src, source);
    PatBlt(src, 0, 0, 4, 4, BLACKNESS);
    PatBlt(dc, 0, 0, 16, 16, WHITENESS);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        SetStretchBltMode(dc, mode);
        EXPECT_TRUE(StretchBlt(dc, -1000000000, -1000000000, 2000000000, 2000000000, src, 0, 0, 4, 4, SRCCOPY));
        EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
        PatBlt(dc, 0, 0, 16, 16, WHITENESS);
        EXPECT_TRUE(StretchBlt(dc, 0, 0, 16, 16, src, 0, 0, INT32_MAX, INT32_MAX, SRCCOPY));
        EXPECT_TRUE(StretchBlt(dc, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, src, 0, 0, 4, 4, SRCCOPY));
    }
    BITMAPINFO info;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biBitCount = 32;
    const uint32_t pixel = 0xFF0000;
    EXPECT_NE(StretchDIBits(dc, 0, 0, INT32_MAX, INT32_MAX, 0, 0, 1, 1, &pixel, info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(GetPixel(dc, 3, 3), RGB(255, 0, 0));
    // Sums beyond the integer range (far edges, advances, origins) saturate.
    PatBlt(dc, 0, 0, 16, 16, WHITENESS);
    EXPECT_TRUE(PatBlt(dc, 8, 8, INT32_MAX, INT32_MAX, BLACKNESS));
    EXPECT_EQ(GetPixel(dc, 15, 15), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(255, 255, 255));
    const int32_t advances[] = {INT32_MAX, INT32_MAX, 5};
    EXPECT_TRUE(ExtTextOut(dc, 4, INT32_MAX, 0, nullptr, "abc", advances));
    EXPECT_TRUE(OffsetViewportOrgEx(dc, INT32_MAX, 0));
    EXPECT_TRUE(OffsetViewportOrgEx(dc, INT32_MAX, 0));
    EXPECT_TRUE(LineTo(dc, INT32_MAX, 0));
    SetViewportOrgEx(dc, 0, 0);
    // A focus rectangle of the whole coordinate range is only drawn where seen.
    PatBlt(dc, 0, 0, 16, 16, WHITENESS);
    EXPECT_TRUE(DrawFocusRect(dc, {INT32_MIN / 2, 0, INT32_MAX / 2, 8}));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    SelectObject(dc, oldA);
    SelectObject(src, oldB);
    DeleteObject(bitmap);
    DeleteObject(source);
    DeleteDC(dc);
    DeleteDC(src);
    ReleaseDC(screen);
}
