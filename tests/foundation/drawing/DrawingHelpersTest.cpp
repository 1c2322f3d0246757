// The drawing helpers checked pixel by pixel on small bitmaps: dotted lines,
// the zigzag and wave of wavy underlines, dashed frames, and the contrast
// shades of the smart-colour option.
#include "foundation/drawing/DrawingHelpers.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/framework/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Regions.h"
#include "platform/gdi/Drawing.h"

namespace {

constexpr COLORREF kInk = 0x000000;

// A white 32-bit bitmap to draw on.
class TWhiteBitmap {
public:
    TWhiteBitmap(int32_t w, int32_t h)
    {
        FBitmap.SetPixelFormat(TPixelFormat::pf32bit);
        FBitmap.SetSize(w, h);
        FBitmap.Canvas().Brush().SetColor(clWhite);
        FBitmap.Canvas().FillRect({0, 0, w, h});
    }
    HDC DC() { return FBitmap.Canvas().Handle(); }
    TCanvas& Canvas() { return FBitmap.Canvas(); }
    bool Inked(int32_t x, int32_t y) { return FBitmap.Canvas().Pixels(x, y) != clWhite; }
    TColor At(int32_t x, int32_t y) { return FBitmap.Canvas().Pixels(x, y); }
    // Every inked pixel.
    std::set<std::pair<int32_t, int32_t>> InkedPixels()
    {
        std::set<std::pair<int32_t, int32_t>> s;
        for (int32_t y = 0; y < FBitmap.Height(); ++y)
            for (int32_t x = 0; x < FBitmap.Width(); ++x)
                if (Inked(x, y))
                    s.insert({x, y});
        return s;
    }

private:
    TBitmap FBitmap;
};

TEST(ContrastShadeTest, ShadesAgainstTheBackground)
{
    struct TCase { COLORREF Color, Background, Expected; const char* What; };
    const TCase cases[] = {
        {0x000000, 0xFFFFFF, 0x000000, "black on white stays black"},
        {0x000000, 0x000000, 0xFFFFFF, "black on black becomes white"},
        {0x0000FF, 0x000000, 0xFFFF00, "red on black becomes cyan"},
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, "white on white stays white"},
        // Blue text on a light magenta background: the red and green channels
        // overflow into the carry, which the second pass takes off the blue.
        {0xFF0000, 0xFA64FA, 0x91FF00, "second pass spends the carry"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(GetContrastShade(c.Color, c.Background), c.Expected) << c.What;
}

TEST(PixelLinesTest, DottedPatternsRepeatFromTheStart)
{
    TWhiteBitmap b(24, 24);
    DrawDottedHLine(b.DC(), 2, 9, 1, kInk);
    DrawSparseDottedHLine(b.DC(), 2, 9, 3, kInk);
    DrawDottedVLine(b.DC(), 20, 2, 11, kInk);
    DrawTwoColorDottedHLine(b.DC(), 0, 9, 6, 0x0000FF, 0xFF0000);
    DrawTwoColorDottedVLine(b.DC(), 22, 0, 4, 0x0000FF, 0xFF0000);
    for (int32_t x = 0; x < 12; ++x) {
        EXPECT_EQ(b.Inked(x, 1), x >= 2 && x <= 9 && x % 2 == 0) << "dotted x=" << x;
        EXPECT_EQ(b.Inked(x, 3), x >= 2 && x <= 9 && (x - 2) % 3 == 0) << "sparse x=" << x;
    }
    for (int32_t y = 0; y < 14; ++y)
        EXPECT_EQ(b.Inked(20, y), y >= 2 && y <= 11 && ((y - 2) % 5 == 0 || (y - 2) % 5 == 2)) << "vertical y=" << y;
    // Period 5: places 0 and 2 in the second colour (blue), the rest in the first (red).
    for (int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(b.At(x, 6), (x % 5 == 0 || x % 5 == 2) ? clBlue : clRed) << "two-colour x=" << x;
    for (int32_t y = 0; y < 5; ++y)
        EXPECT_EQ(b.At(22, y), (y == 0 || y == 2) ? clBlue : clRed) << "two-colour y=" << y;
}

TEST(ZigzagLineTest, PointsFollowThePhase)
{
    // Phase 10: up at distances 0 (mod 4), down at 2.
    {
        TWhiteBitmap b(30, 60);
        DrawZigzagLine(b.DC(), 10, 20, kInk, 10, 50);
        for (auto [x, y] : {std::pair{10, 49}, {12, 51}, {14, 49}, {16, 51}, {18, 49}})
            EXPECT_TRUE(b.Inked(x, y)) << x << "," << y;
        // Between two points the line passes the baseline.
        EXPECT_TRUE(b.Inked(11, 50));
        EXPECT_TRUE(b.Inked(19, 50));
        for (auto [x, y] : b.InkedPixels()) {
            EXPECT_GE(y, 49);
            EXPECT_LE(y, 51);
            EXPECT_GE(x, 10);
            EXPECT_LE(x, 20);
        }
    }
    // Phase 9: the points are 10, 11, 13, 15, 17, 19 and 20.
    {
        TWhiteBitmap b(30, 60);
        DrawZigzagLine(b.DC(), 10, 20, kInk, 9, 50);
        for (auto [x, y] : {std::pair{10, 50}, {11, 51}, {13, 49}, {15, 51}, {17, 49}, {19, 51}})
            EXPECT_TRUE(b.Inked(x, y)) << x << "," << y;
        EXPECT_TRUE(b.Inked(12, 50));
        EXPECT_FALSE(b.Inked(12, 49));
        EXPECT_FALSE(b.Inked(12, 51));
    }
    // Pieces drawn with one phase join into the zigzag drawn at once.
    TWhiteBitmap whole(40, 20), pieces(40, 20);
    DrawZigzagLine(whole.DC(), 0, 30, kInk, 0, 10);
    DrawZigzagLine(pieces.DC(), 0, 14, kInk, 0, 10);
    DrawZigzagLine(pieces.DC(), 14, 30, kInk, 0, 10);
    EXPECT_EQ(pieces.InkedPixels(), whole.InkedPixels());
}

TEST(WaveLineTest, ClippedToItsBandAndClipRestored)
{
    TWhiteBitmap b(40, 40);
    // A clip of the caller that the wave must leave as it found it.
    HRGN callerClip = CreateRectRgn(0, 0, 30, 40);
    SelectClipRgn(b.DC(), callerClip);
    DrawWaveLine(b.DC(), 0, 16, kInk, 1, 2, 8, 0, 20);
    // Points every half period: low (baseline + amplitude) at multiples of the period.
    for (auto [x, y] : {std::pair{0, 22}, {4, 18}, {8, 22}, {12, 18}})
        EXPECT_TRUE(b.Inked(x, y)) << x << "," << y;
    // The line goes on to x2 + period, but the band stops at x2.
    for (int32_t y = 0; y < 40; ++y)
        EXPECT_FALSE(b.Inked(18, y)) << "outside the band, y=" << y;
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(b.DC(), after), 1);
    EXPECT_TRUE(EqualRgn(after, callerClip));
    DeleteObject(after);
    DeleteObject(callerClip);

    // A wave without a period draws nothing (and returns).
    TWhiteBitmap none(20, 20);
    DrawWaveLine(none.DC(), 0, 10, kInk, 1, 2, 0, 0, 10);
    DrawWaveLine(none.DC(), 0, 10, kInk, 1, 2, 1, 0, 10);
    EXPECT_TRUE(none.InkedPixels().empty());
}

TEST(DashedFrameTest, DashesCarryRoundTheCorners)
{
    TWhiteBitmap b(24, 16);
    b.Canvas().Brush().SetColor(clBlack);
    DrawDashedFrame(b.Canvas(), 0, 0, 20, 12);
    std::set<std::pair<int32_t, int32_t>> expected;
    // Top, left to right: positions 0-19.
    for (int32_t x : {0, 1, 2, 3, 8, 9, 10, 11, 16, 17, 18, 19})
        expected.insert({x, 0});
    // Right, downwards from y 1: positions 20-30, dashes at 24-27.
    for (int32_t y : {5, 6, 7, 8})
        expected.insert({19, y});
    // Bottom, right to left from x 18: positions 31-49, dashes at 32-35, 40-43, 48-49.
    for (int32_t x : {17, 16, 15, 14, 9, 8, 7, 6, 1, 0})
        expected.insert({x, 11});
    // Left, upwards from y 10: positions 50-59, dashes at 50-51 and 56-59.
    for (int32_t y : {10, 9, 4, 3, 2, 1})
        expected.insert({0, y});
    EXPECT_EQ(b.InkedPixels(), expected);
}

TEST(DashedFrameTest, NegativeCoordinatesAreClampedNotWrapped)
{
    TWhiteBitmap b(12, 12);
    b.Canvas().Brush().SetColor(clBlack);
    DrawDashedFrame(b.Canvas(), -2, -2, 8, 8);
    // The top and left edges lie outside and are skipped; a dash that starts
    // outside keeps its part inside: the right edge's first dash covers y -1
    // and 0, the bottom edge's last one x 1 down to -2.
    const std::set<std::pair<int32_t, int32_t>> expected{{7, 0}, {7, 5}, {7, 6}, {7, 7}, {6, 7}, {1, 7}, {0, 7}};
    EXPECT_EQ(b.InkedPixels(), expected);
}

TEST(GeometryTest, IntersectionsAndRegions)
{
    TRect a{0, 0, 10, 10};
    EXPECT_FALSE(IntersectRectWith(a, {10, 0, 20, 10})) << "touching rectangles do not intersect";
    EXPECT_EQ(a, (TRect{0, 0, 0, 0}));
    TRect c{0, 0, 10, 10};
    EXPECT_TRUE(IntersectRectWith(c, {5, -5, 20, 5}));
    EXPECT_EQ(c, (TRect{5, 0, 10, 5}));
    EXPECT_TRUE(SamePoint({3, 4}, {3, 4}));
    EXPECT_FALSE(SamePoint({3, 4}, {4, 3}));

    HRGN r = CreateRectRgn(0, 0, 10, 10);
    ExcludeRectFromRegion({0, 0, 5, 10}, r);
    TRect box;
    GetRgnBox(r, &box);
    EXPECT_EQ(box, (TRect{5, 0, 10, 10}));
    DeleteObject(r);
}

TEST(UnderlineSampleTest, KindsDrawWithinTheLimitedWidth)
{
    for (int32_t kind : {1, 3, 4, 6, 7, 9, 10, 11, 20, 23, 25, 26, 27, 39, 43, 55}) {
        TWhiteBitmap b(60, 20);
        b.Canvas().Font().SetColor(clBlack);
        DrawUnderlineSample(b.Canvas(), {0, 0, 60, 20}, kind, 40);
        const auto inked = b.InkedPixels();
        EXPECT_FALSE(inked.empty()) << "kind " << kind;
        for (auto [x, y] : inked)
            EXPECT_LT(x, 40) << "kind " << kind;
    }
    // Dotted (4) and dash (7) differ from single (1).
    TWhiteBitmap single(60, 20), dotted(60, 20);
    DrawUnderlineSample(single.Canvas(), {0, 0, 60, 20}, 1, 60);
    DrawUnderlineSample(dotted.Canvas(), {0, 0, 60, 20}, 4, 60);
    EXPECT_GT(single.InkedPixels().size(), dotted.InkedPixels().size());
}

} // namespace
