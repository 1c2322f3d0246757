#include "foundation/DisplayScale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct TScaleCase {
    bool Scaled;
    int32_t Percent;
    int32_t Value;
    int32_t ToView;
    int32_t FromView;
};

// Each case runs through both axes: the horizontal pair takes the zoom, the
// vertical pair the second percentage.
const TScaleCase kCases[] = {
    // Unscaled: 8 layout units per view unit, negatives by reflection.
    {false, 0, 0, 0, 0},
    {false, 0, 10, 80, 1},
    {false, 0, 80, 640, 10},
    {false, 0, -1, -15, 1},  // from the view: 1 - (2 div 8)
    {false, 0, -15, -127, -1},
    {false, 0, 3, 24, 0},
    {false, 0, 4, 32, 1},
    {false, 0, 12, 96, 2},
    // At 100 % nothing changes.
    {true, 100, 0, 0, 0},
    {true, 100, 37, 37, 37},
    {true, 100, -37, -37, -37},
    // At 50 %: 1.5 rounds up to 2 on the way to the view; -3 reflects to -1.
    {true, 50, 3, 2, 6},
    {true, 50, -3, -1, -7},
    {true, 50, 1, 1, 2},
    // At 400 %, from the view: the remainder (100) is compared with 50.
    {true, 400, 1, 4, 1},
    {true, 400, 2, 8, 1},
    {true, 400, -1, -7, 0},
};

}  // namespace

TEST(DisplayScale, ConvertsBothWaysOnBothAxes)
{
    for (const TScaleCase& c : kCases) {
        TViewScale x{c.Scaled, c.Percent, 1};
        TViewScale y{c.Scaled, 1, c.Percent};
        if (!c.Scaled) {
            x.Zoom = 250;  // percentages play no part without a scaled view
            y.SecondZoom = 250;
        }
        SCOPED_TRACE(testing::Message() << (c.Scaled ? "scaled " : "unscaled ") << c.Percent << " % value " << c.Value);
        EXPECT_EQ(ScaleToViewX(&x, c.Value), c.ToView);
        EXPECT_EQ(ScaleFromViewX(&x, c.Value), c.FromView);
        EXPECT_EQ(ScaleToViewY(&y, c.Value), c.ToView);
        EXPECT_EQ(ScaleFromViewY(&y, c.Value), c.FromView);
    }
}

TEST(DisplayScale, NoDocumentCountsAsUnscaled)
{
    EXPECT_EQ(ScaleToViewX(nullptr, 10), 80);
    EXPECT_EQ(ScaleFromViewY(nullptr, -15), -1);
}

// Unscaled, every value taken to the view and back lands where it started,
// and the two sides of 0 meet without a gap.
TEST(DisplayScale, UnscaledRoundTripIsExact)
{
    const TViewScale unscaled;
    for (int32_t v = -2000; v <= 2000; ++v)
        ASSERT_EQ(ScaleFromViewX(&unscaled, ScaleToViewX(&unscaled, v)), v) << v;
}

// Extreme values and a percentage of 0 neither overflow nor divide by zero.
TEST(DisplayScale, ExtremesSaturate)
{
    const TViewScale unscaled;
    const TViewScale zero{true, 0, 0};
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(ScaleToViewX(&unscaled, max), max);
    EXPECT_EQ(ScaleToViewX(&unscaled, min), min);
    EXPECT_EQ(ScaleFromViewX(&unscaled, min), -268435455);
    EXPECT_EQ(ScaleFromViewX(&zero, 7), 700);
    EXPECT_EQ(ScaleFromViewY(&zero, min), min);
}
