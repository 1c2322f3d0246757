// The resampler and the stretched drawing of pictures.
#include "imaging/ImagingFixtures.h"
#include "imaging/ResampleImage.h"

namespace {

class ResampleTest : public TImagingTest {
protected:
    void TearDown() override
    {
        SetResampleFastFilter(false);
        TImagingTest::TearDown();
    }
};

}  // namespace

TEST_F(ResampleTest, UniformPicturesStayUniformWithBothFilters)
{
    for (bool fast : {false, true}) {
        SetResampleFastFilter(fast);
        for (auto [sw, sh, tw, th] : {std::array{10, 7, 25, 3}, std::array{40, 40, 9, 13}, std::array{1, 1, 5, 5},
                                      std::array{5, 5, 1, 1}, std::array{3, 1, 1, 4}}) {
            SCOPED_TRACE(std::to_string(sw) + "x" + std::to_string(sh) + " -> " + std::to_string(tw) + "x" +
                         std::to_string(th) + (fast ? " triangle" : " cubic"));
            TBitmap source, target;
            FillBitmap(source, sw, sh, 24, [](int, int) { return 0x4080C0u; });
            target.SetPixelFormat(TPixelFormat::pf24bit);
            target.SetSize(tw, th);
            ResampleBitmap(source, target);
            ASSERT_EQ(target.Width(), tw);
            // The weights are the filter's samples, not normalised: shrinking
            // with the triangle may stray a few levels, never more.
            const int tolerance = fast ? 5 : 1;
            for (int y = 0; y < th; ++y)
                for (int x = 0; x < tw; ++x) {
                    const uint32_t c = PixelAt(target, x, y);
                    EXPECT_NEAR(static_cast<int>(c >> 16), 0x40, tolerance);
                    EXPECT_NEAR(static_cast<int>((c >> 8) & 0xFF), 0x80, tolerance);
                    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, tolerance);
                }
        }
    }
}

TEST_F(ResampleTest, OnePixelWidePictureFillsTheWidth)
{
    TBitmap source, target;
    FillBitmap(source, 1, 3, 24, [](int, int y) { return y == 1 ? 0xFF0000u : 0x0000FFu; });
    target.SetPixelFormat(TPixelFormat::pf24bit);
    target.SetSize(9, 3);
    ResampleBitmap(source, target);
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(PixelAt(target, x, 0), PixelAt(target, 0, 0));
}

TEST_F(ResampleTest, DrawingStretchedLeavesThePictureAsItWas)
{
    TBitmap picture;
    FillBitmap(picture, 6, 4, 8, [](int x, int) { return x < 3 ? 0xFF0000u : 0x00FF00u; });
    const std::string before = RgbBytes(picture);
    TBitmap canvas;
    FillBitmap(canvas, 30, 30, 24, [](int, int) { return 0xFFFFFFu; });
    // Own size: drawn as it is.
    DrawResampledPicture(canvas.Canvas(), {2, 2, 8, 6}, &picture);
    EXPECT_EQ(PixelAt(canvas, 2, 2), 0xFF0000u);
    EXPECT_EQ(PixelAt(canvas, 7, 5), 0x00FF00u);
    // Stretched: resampled into the rectangle; the picture keeps its format.
    DrawResampledPicture(canvas.Canvas(), {10, 10, 28, 22}, &picture);
    EXPECT_EQ(picture.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(RgbBytes(picture), before);
    EXPECT_EQ(PixelAt(canvas, 10, 10), 0xFF0000u);
    EXPECT_EQ(PixelAt(canvas, 27, 21), 0x00FF00u);
    EXPECT_EQ(PixelAt(canvas, 9, 9), 0xFFFFFFu);
    // A 1 x 1 destination: the picture at its own size at the corner.
    DrawResampledPicture(canvas.Canvas(), {20, 0, 21, 1}, &picture);
    EXPECT_EQ(PixelAt(canvas, 25, 3), 0x00FF00u);
    DrawResampledPicture(canvas.Canvas(), {0, 0, 5, 5}, nullptr);
}
