// TGIFImage: frames, extensions, comments and transparency as read, the LZW
// coder against damaged codes, colour reduction, and pictures written and
// read back.
#include "imaging/ImagingFixtures.h"

#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/Exception.h"

#include <random>

namespace {

// A GIF: screen of w x h with a global table of 4 colours, then body, then ";".
std::string Gif(int w, int h, const std::string& body, const char* version = "89a")
{
    std::string s = std::string("GIF") + version;
    imaging::PutLE16(s, static_cast<uint16_t>(w));
    imaging::PutLE16(s, static_cast<uint16_t>(h));
    s += '\x81';  // global table of 4 entries
    s += '\x03';  // background index 3
    s += '\0';
    s += std::string("\0\0\0\xFF\0\0\0\xFF\0\x20\x30\x40", 12);
    return s + body + ";";
}

std::string Image(int w, int h, const std::string& lzw, int codeSize = 2)
{
    std::string s = ",";
    imaging::PutLE16(s, 0);
    imaging::PutLE16(s, 0);
    imaging::PutLE16(s, static_cast<uint16_t>(w));
    imaging::PutLE16(s, static_cast<uint16_t>(h));
    s += '\0';
    s += static_cast<char>(codeSize);
    for (size_t pos = 0; pos < lzw.size(); pos += 255) {
        const std::string piece = lzw.substr(pos, 255);
        s += static_cast<char>(piece.size());
        s += piece;
    }
    return s + '\0';
}

std::string Control(int flags, int delay, int transparent)
{
    std::string s = "!\xF9\x04";
    s += static_cast<char>(flags);
    imaging::PutLE16(s, static_cast<uint16_t>(delay));
    s += static_cast<char>(transparent);
    return s + '\0';
}

std::string Comment(const std::string& text)
{
    return "!\xFE" + std::string(1, static_cast<char>(text.size())) + text + '\0';
}

// LZW data of pixels (without the code size byte).
std::string Lzw(const std::vector<uint8_t>& pixels, int bits)
{
    return EncodeGifLzw(pixels, bits).substr(1);
}

class GifTest : public TImagingTest {};

}  // namespace

TEST_F(GifTest, FramesExtensionsAndCommentsAsRead)
{
    const std::vector<uint8_t> pixels = {0, 1, 2, 3, 3, 2};
    const std::string file = Gif(3, 2,
                                 Control(0x09, 7, 1) + Comment("un") + Image(3, 2, Lzw(pixels, 2)) +
                                     Control(0x00, 6554, 2) + Image(3, 2, Lzw(pixels, 2)) + Comment("fin"));
    auto gif = LoadBytes<TGIFImage>(file);
    ASSERT_EQ(gif->FrameCount(), 2);
    EXPECT_EQ(gif->CurrentFrame(), 0);
    EXPECT_EQ(gif->Version(), 2);
    EXPECT_EQ(RgbBytes(gif->GetBitmap()), std::string("\0\0\0\xFF\0\0\0\xFF\0\x20\x30\x40\x20\x30\x40\0\xFF\0", 18));
    EXPECT_EQ(gif->Frame(0).TransparentColor, 0x0000FF);  // entry 1, as a colour value
    EXPECT_EQ(gif->Frame(0).Delay, 70);
    EXPECT_EQ(gif->Frame(0).Disposal, 2);
    EXPECT_EQ(gif->Frame(1).TransparentColor, clNone);  // flag bit 0 clear
    // 6554 hundredths would wrap a 16-bit count of milliseconds.
    EXPECT_EQ(gif->Frame(1).Delay, 0xFFFF);
    EXPECT_EQ(gif->Frame(0).Extensions.size(), 2u);
    // The comment after the last image is the picture's comment.
    EXPECT_EQ(gif->Comment(), std::vector<std::string>{"fin"});
    EXPECT_EQ(gif->PictureTransparentColor(), 0x403020);

    // Saved: "89a", both frames with their extensions; read back alike.
    auto back = LoadBytes<TGIFImage>(SaveBytes(*gif));
    ASSERT_EQ(back->FrameCount(), 2);
    EXPECT_EQ(back->Version(), 2);
    EXPECT_EQ(back->Frame(0).Delay, 70);
    EXPECT_EQ(back->Frame(0).TransparentColor, 0x0000FF);
    EXPECT_EQ(RgbBytes(back->Frame(1).Bitmap()), RgbBytes(gif->Frame(1).Bitmap()));
}

TEST_F(GifTest, DamagedCodesStopTheDecodingWithoutError)
{
    // Code size byte 12: nothing decoded, no error.
    auto wide = LoadBytes<TGIFImage>(Gif(2, 1, Image(2, 1, "\xFF\xFF\xFF\xFF", 12)));
    EXPECT_EQ(RgbBytes(wide->GetBitmap()), std::string(6, '\0'));
    // Clear (4), then 0, then 7: 7 is above the free code 6 and stops the frame.
    std::vector<uint8_t> pixels;
    std::string codes;
    codes += static_cast<char>(0x04 | (0x00 << 3) | (0x07 << 6));
    codes += static_cast<char>(0x07 >> 2);
    EXPECT_TRUE(DecodeGifLzw(std::string("\x02", 1) + codes, 4, 8, pixels));
    EXPECT_EQ(pixels, (std::vector<uint8_t>{0, 0, 0, 0}));
    // Data that ends before the pixels and without an end code: refused.
    EXPECT_THROW(LoadBytes<TGIFImage>(Gif(8, 8, Image(8, 8, "\x04"))), EAbort);
    // Not a GIF, an unknown extension label, an unknown block.
    EXPECT_THROW(LoadBytes<TGIFImage>("GIF90a" + std::string(7, '\0')), EAbort);
    EXPECT_THROW(LoadBytes<TGIFImage>(Gif(1, 1, "!\x42\0")), EAbort);
    EXPECT_THROW(LoadBytes<TGIFImage>(Gif(1, 1, "\x55")), EAbort);
}

TEST_F(GifTest, LzwCodingRoundTripsAcrossTableResets)
{
    std::mt19937 random(31);
    for (int bits : {1, 2, 4, 8}) {
        for (int run = 0; run < 4; ++run) {
            // Long enough to fill the table several times; runs and noise mixed.
            std::vector<uint8_t> pixels(20000 + random() % 20000);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = static_cast<uint8_t>((run % 2 ? random() : (i / 7)) & ((1u << bits) - 1));
            std::vector<uint8_t> decoded;
            ASSERT_TRUE(DecodeGifLzw(EncodeGifLzw(pixels, bits), static_cast<int32_t>(pixels.size()),
                                     std::max(bits, 1), decoded));
            ASSERT_EQ(decoded, pixels) << bits << " bits, run " << run;
        }
    }
}

TEST_F(GifTest, PictureFromABitmapSavesAsOneReducedFrame)
{
    TBitmap bitmap;
    FillBitmap(bitmap, 40, 30, 24, [](int x, int y) { return static_cast<uint32_t>((x / 10) * 0x400000 + (y / 10) * 0x4000 + 0x20); });
    TGIFImage gif;
    gif.Assign(bitmap);
    const std::string saved = SaveBytes(gif);
    EXPECT_EQ(saved.substr(0, 6), "GIF87a");
    auto back = LoadBytes<TGIFImage>(saved);
    ASSERT_EQ(back->FrameCount(), 1);
    EXPECT_EQ(back->GetBitmap().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(RgbBytes(back->GetBitmap()), RgbBytes(bitmap));  // 12 colours: kept exactly
}

TEST_F(GifTest, ColourReductionKeepsTheFrequentColoursAndMapsTheRest)
{
    std::mt19937 random(7);
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 30000; ++i)
        pixels.push_back(random() & 0xFFFFFF);  // far more than 2049 colours
    for (int i = 0; i < 5000; ++i)
        pixels.push_back(0x123456);  // the most frequent colour
    std::vector<TGIFColor> table;
    std::vector<uint8_t> indices;
    ReduceColors(pixels, 256, table, indices);
    ASSERT_EQ(table.size(), 256u);
    ASSERT_EQ(indices.size(), pixels.size());
    // The masks drop low bits, so the top colour comes back masked.
    EXPECT_EQ(table[0].R & 0xF0, 0x10);
    EXPECT_EQ(table[0].G & 0xF0, 0x30);
    EXPECT_EQ(indices.back(), 0);
}

TEST_F(GifTest, AddedFramesMakeAnAnimation)
{
    TGIFImage gif;
    TBitmap a, b;
    FillBitmap(a, 4, 4, 8, [](int, int) { return 0xFF0000u; });
    FillBitmap(b, 6, 2, 8, [](int x, int) { return x % 2 ? 0xFFu : 0u; });
    EXPECT_EQ(gif.AddFrame(a), 0);
    EXPECT_EQ(gif.Version(), 1);
    EXPECT_EQ(gif.AddFrame(b), 1);
    EXPECT_EQ(gif.Version(), 2);
    gif.Frame(1).Delay = 250;
    EXPECT_EQ(gif.ScreenWidth(), 6);
    EXPECT_EQ(gif.ScreenHeight(), 4);
    const std::string saved = SaveBytes(gif);
    WriteTestFile(TestOutputDir() + "/animation.gif", saved);  // for a look with other readers
    auto back = LoadBytes<TGIFImage>(saved);
    ASSERT_EQ(back->FrameCount(), 2);
    EXPECT_EQ(back->Frame(1).Delay, 250);
    EXPECT_EQ(RgbBytes(back->Frame(1).Bitmap()), RgbBytes(b));
    EXPECT_EQ(RgbBytes(back->Frame(0).Bitmap()), RgbBytes(a));
}
