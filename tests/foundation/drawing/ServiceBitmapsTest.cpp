// The off-screen bitmap holders: sizes limited to the maxima, no bitmap for
// an empty side, DIB depths and colour tables, the caret's one-bit bitmap.
#include "foundation/drawing/ServiceBitmaps.h"

#include <gtest/gtest.h>

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"

namespace {

TEST(ServiceBitmapTest, SizeIsLimitedToTheMaxima)
{
    TServiceBitmap b;
    b.MaxWidth = 100;
    b.MaxHeight = 50;
    const HBITMAP initial = static_cast<HBITMAP>(GetCurrentObject(b.DC(), OBJ_BITMAP));
    b.SetSize(300, 20);
    EXPECT_EQ(b.UsedWidth(), 100);
    EXPECT_EQ(b.UsedHeight(), 20);
    ASSERT_NE(b.Bitmap(), nullptr);
    EXPECT_EQ(GetCurrentObject(b.DC(), OBJ_BITMAP), b.Bitmap());
    BITMAP info;
    ASSERT_TRUE(GetObject(b.Bitmap(), &info));
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmHeight, 20);
    // A side below 1: no bitmap, the context holds the one it was made with.
    b.SetSize(0, 100);
    EXPECT_EQ(b.Bitmap(), nullptr);
    EXPECT_EQ(GetCurrentObject(b.DC(), OBJ_BITMAP), initial);
    EXPECT_EQ(GetBkMode(b.DC()), TRANSPARENT);
}

TEST(DIBBitmapTest, DepthsAndColourTables)
{
    struct TCase { int32_t Asked, Made; size_t Colours; };
    for (const TCase& c : {TCase{1, 1, 2}, {4, 4, 16}, {8, 8, 256}, {16, 24, 0}, {24, 24, 0}, {32, 24, 0}}) {
        TDIBBitmap b(nullptr, c.Asked);
        EXPECT_EQ(b.BitDepth(), c.Made);
        EXPECT_EQ(b.Info().bmiColors.size(), c.Colours) << c.Asked;
        EXPECT_EQ(b.Bitmap(), nullptr) << "no bitmap before SetSize";
        b.SetSize(10, 6);
        ASSERT_NE(b.Bitmap(), nullptr);
        EXPECT_EQ(BitmapBitCount(b.Bitmap()), c.Made);
        EXPECT_NE(b.ScanLine(5), nullptr);
        const HBITMAP first = b.Bitmap();
        b.SetSize(10, 6);
        EXPECT_EQ(b.Bitmap(), first) << "same size keeps the bitmap";
        b.SetSize(12, 6);
        EXPECT_NE(b.Bitmap(), nullptr);
        EXPECT_EQ(b.Width(), 12);
    }
    // Black and white for one bit; the system palette's ends for eight.
    TDIBBitmap mono(nullptr, 1);
    EXPECT_EQ(mono.Info().bmiColors[0].rgbRed, 0);
    EXPECT_EQ(mono.Info().bmiColors[1].rgbBlue, 255);
    TDIBBitmap indexed(nullptr, 8);
    EXPECT_EQ(indexed.Info().bmiColors[1].rgbRed, 128);  // dark red
    EXPECT_EQ(indexed.Info().bmiColors[1].rgbBlue, 0);
    EXPECT_EQ(indexed.Info().bmiColors[255].rgbGreen, 255);
}

TEST(CaretBitmapTest, OneBitBitmapOfTheSize)
{
    TCaretBitmap caret;
    caret.SetSize(2, 18);
    ASSERT_NE(caret.Bitmap(), nullptr);
    EXPECT_EQ(BitmapBitCount(caret.Bitmap()), 1);
    const HBITMAP first = caret.Bitmap();
    caret.SetSize(2, 18);
    EXPECT_EQ(caret.Bitmap(), first);
    caret.SetSize(3, 18);
    BITMAP info;
    ASSERT_TRUE(GetObject(caret.Bitmap(), &info));
    EXPECT_EQ(info.bmWidth, 3);
    const auto table = GetBitmapColorTable(caret.Bitmap());
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].rgbGreen, 0);
    EXPECT_EQ(table[1].rgbGreen, 255);
}

} // namespace
