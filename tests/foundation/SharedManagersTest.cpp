// The shared managers' start-up and shutdown, and the two scratch bitmap
// classes.
#include "foundation/CodePageRoutines.h"
#include "foundation/Memory.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/StyleManager.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

TEST(SharedManagersTest, CreatedAndFreedTogether)
{
    CreateSharedManagers();
    EXPECT_NE(GetFontManager(), nullptr);
    EXPECT_NE(GetColorManager(), nullptr);
    EXPECT_NE(GetKerningPairsManager(), nullptr);
    EXPECT_NE(GetMeasurementsManager(), nullptr);
    EXPECT_NE(GetStyleManager(), nullptr);
    for (int32_t number : {1, 2, 3, 4, 5, 11, 12, 13, 23})
        EXPECT_NE(ScratchBuffer(number), nullptr) << number;
    EXPECT_EQ(ScratchBuffer(6), nullptr);
    ASSERT_NE(ServiceBitmap(1), nullptr);
    ASSERT_NE(ServiceBitmap(2), nullptr);
    EXPECT_NE(CaretBitmap(), nullptr);
    // The first scratch bitmap's context is the output context.
    EXPECT_EQ(OutputDC(), ServiceBitmap(1)->DC());
    EXPECT_NE(DefaultAnsiCodePage(), 0u);

    // A second start keeps what exists.
    TServiceBitmap* first = ServiceBitmap(1);
    CreateSharedManagers();
    EXPECT_EQ(ServiceBitmap(1), first);

    FreeSharedManagers();
    EXPECT_EQ(GetFontManager(), nullptr);
    EXPECT_EQ(GetStyleManager(), nullptr);
    EXPECT_EQ(GetColorManager(), nullptr);
    EXPECT_EQ(ServiceBitmap(1), nullptr);
    EXPECT_EQ(CaretBitmap(), nullptr);
    EXPECT_EQ(ScratchBuffer(1), nullptr);
    EXPECT_EQ(OutputDC(), nullptr);
    // Freeing what was never made does nothing.
    FreeSharedManagers();
}

TEST(SharedManagersTest, ServiceBitmapSizes)
{
    TServiceBitmap bitmap;
    bitmap.MaxWidth = 100;
    bitmap.MaxHeight = 50;
    bitmap.SetSize(300, 20);
    EXPECT_EQ(bitmap.Width(), 100);
    EXPECT_EQ(bitmap.Height(), 20);
    ASSERT_NE(bitmap.Bitmap(), nullptr);
    BITMAP info{};
    ASSERT_TRUE(GetObject(bitmap.Bitmap(), &info));
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmBitsPixel, 32);
    // A side below 1 leaves no bitmap.
    bitmap.SetSize(0, 100);
    EXPECT_EQ(bitmap.Bitmap(), nullptr);
    // Growing on demand raises the maxima and never shrinks.
    bitmap.EnsureSize(400, 30);
    EXPECT_EQ(bitmap.Width(), 400);
    bitmap.EnsureSize(10, 10);
    EXPECT_EQ(bitmap.Width(), 400);
    EXPECT_EQ(bitmap.Height(), 30);
    // It is drawn on through its context.
    FillRect(bitmap.DC(), TRect{0, 0, 400, 30}, GetStockBrush(BLACK_BRUSH));
    EXPECT_EQ(GetPixel(bitmap.DC(), 399, 29) & 0xFFFFFF, 0u);
}

TEST(SharedManagersTest, CaretBitmapIsOneBit)
{
    TCaretBitmap caret;
    caret.SetSize(4, 12);
    HBITMAP made = caret.Bitmap();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(BitmapBitCount(made), 1);
    caret.SetSize(4, 12);
    EXPECT_EQ(caret.Bitmap(), made);  // unchanged size: the same bitmap
    caret.SetSize(5, 12);
    EXPECT_EQ(caret.Width(), 5);
    FillRect(caret.DC(), TRect{0, 0, 5, 12}, GetStockBrush(WHITE_BRUSH));
    EXPECT_EQ(GetPixel(caret.DC(), 4, 11) & 0xFFFFFF, 0xFFFFFFu);
}
