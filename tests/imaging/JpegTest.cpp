// TJPEGImage: size known before decoding, one decoding per picture, loaded
// bytes written back unchanged, grey pictures on a palette, and bitmaps
// encoded as baseline 4:2:0 at quality 90.
#include "imaging/ImagingFixtures.h"

#include "platform/runtime/Exception.h"

namespace {

class JpegTest : public TImagingTest {};

// The payload of the first marker m (after its length), empty when absent.
std::string Segment(const std::string& jpeg, uint8_t m)
{
    for (size_t i = 2; i + 4 <= jpeg.size();) {
        if (static_cast<uint8_t>(jpeg[i]) != 0xFF)
            return {};
        const uint8_t marker = static_cast<uint8_t>(jpeg[i + 1]);
        const size_t len = (static_cast<uint8_t>(jpeg[i + 2]) << 8) | static_cast<uint8_t>(jpeg[i + 3]);
        if (marker == m)
            return jpeg.substr(i + 4, len - 2);
        i += 2 + len;
    }
    return {};
}

}  // namespace

TEST_F(JpegTest, LoadedPictureKnowsItsSizeAndSavesItsOwnBytes)
{
    const std::string path = SharedDir() + "/corpus/images/pillow/hopper.jpg";
    ELDRAVIN_NEED_SHARED(path);
    const std::string bytes = ReadTestFile(path);
    auto jpeg = LoadBytes<TJPEGImage>(bytes);
    EXPECT_EQ(jpeg->Width(), 128);
    EXPECT_EQ(jpeg->Height(), 128);
    EXPECT_FALSE(jpeg->HasBitmap());
    TBitmap& first = jpeg->Bitmap();
    EXPECT_EQ(&first, &jpeg->Bitmap());  // decoded once
    EXPECT_EQ(first.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(SaveBytes(*jpeg), bytes);
    jpeg->FreeBitmap();
    EXPECT_FALSE(jpeg->HasBitmap());
    EXPECT_EQ(jpeg->Width(), 128);
}

TEST_F(JpegTest, GreyPictureDecodesOnAPaletteOfAtMost236Greys)
{
    const std::string path = SharedDir() + "/corpus/images/pillow/hopper_gray.jpg";
    ELDRAVIN_NEED_SHARED(path);
    auto jpeg = LoadBytes<TJPEGImage>(ReadTestFile(path));
    EXPECT_EQ(jpeg->ColorDepth(), 8);
    const std::vector<RGBQUAD> colors = jpeg->Bitmap().ColorTable();
    EXPECT_LE(colors.size(), 236u);
    EXPECT_GT(colors.size(), 100u);
    for (const RGBQUAD& q : colors)
        EXPECT_TRUE(q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue);
}

TEST_F(JpegTest, BitmapIsEncodedAsBaselineFourTwoZeroAtQualityNinety)
{
    TBitmap bitmap;
    FillBitmap(bitmap, 64, 48, 24, [](int x, int y) { return static_cast<uint32_t>((x * 4) << 16 | (y * 5) << 8 | 0x80); });
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    const std::string saved = SaveBytes(jpeg);
    WriteTestFile(TestOutputDir() + "/saved.jpg", saved);
    const std::string sof = Segment(saved, 0xC0);  // baseline
    ASSERT_EQ(sof.size(), 15u);
    EXPECT_EQ(static_cast<uint8_t>(sof[5]), 3);  // components
    EXPECT_EQ(static_cast<uint8_t>(sof[7]), 0x22);
    EXPECT_EQ(static_cast<uint8_t>(sof[10]), 0x11);
    EXPECT_EQ(static_cast<uint8_t>(sof[13]), 0x11);
    // The first luminance value of the standard table (16) at 20 %: 3.
    const std::string dqt = Segment(saved, 0xDB);
    ASSERT_GE(dqt.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(dqt[1]), 3);
    auto back = LoadBytes<TJPEGImage>(saved);
    ASSERT_EQ(back->Width(), 64);
    const std::string a = RgbBytes(bitmap), b = RgbBytes(back->Bitmap());
    ASSERT_EQ(a.size(), b.size());
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i])));
    EXPECT_LE(worst, 12);
}

TEST_F(JpegTest, DataThatIsNoJpegIsRefused)
{
    EXPECT_THROW(LoadBytes<TJPEGImage>("not a picture at all"), EAbort);
    // A header cut short after the start marker.
    EXPECT_THROW(LoadBytes<TJPEGImage>(std::string("\xFF\xD8\xFF\xC0\x00\x11\x08", 7)), EAbort);
    // Empty data is an empty picture.
    EXPECT_TRUE(LoadBytes<TJPEGImage>("")->Empty());
}
