// TPNGImage: reading the colour types and depths, interlaced pictures, split
// image data, writing and reading back, and the refusal of damaged headers,
// palettes and chunk lengths.
#include "imaging/ImagingFixtures.h"
#include "imaging/PngImage.h"

#include "platform/runtime/Exception.h"

namespace {

std::string Be32(uint32_t v)
{
    std::string s;
    imaging::PutBE32(s, v);
    return s;
}

std::string Chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    return Be32(static_cast<uint32_t>(data.size())) + body + Be32(imaging::Crc32(0, body.data(), body.size()));
}

std::string Header(uint32_t w, uint32_t h, int depth, int colorType, int interlace = 0)
{
    return Be32(w) + Be32(h) + std::string{static_cast<char>(depth), static_cast<char>(colorType), 0, 0,
                                           static_cast<char>(interlace)};
}

std::string Deflate(const std::string& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

// A PNG of the given chunks after the header.
std::string Png(const std::string& ihdr, const std::string& middle, const std::string& rows)
{
    return kSignature + Chunk("IHDR", ihdr) + middle + Chunk("IDAT", Deflate(rows)) + Chunk("IEND", "");
}

class PngTest : public TImagingTest {};

}  // namespace

TEST_F(PngTest, GreyDepthsPaletteAndSixteenBitColourDecode)
{
    // 2-bit grey: levels 0, 85, 170, 255 (one row of four pixels 00 01 10 11).
    auto grey2 = LoadBytes<TPNGImage>(Png(Header(4, 1, 2, 0), "", std::string("\0\x1B", 2)));
    EXPECT_EQ(grey2->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(RgbBytes(*grey2), std::string("\0\0\0\x55\x55\x55\xAA\xAA\xAA\xFF\xFF\xFF", 12));
    // 16-bit RGB: the high bytes.
    auto rgb16 = LoadBytes<TPNGImage>(Png(Header(1, 1, 16, 2), "", std::string("\0\x12\x34\x56\x78\x9A\xBC", 7)));
    EXPECT_EQ(rgb16->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(RgbBytes(*rgb16), "\x12\x56\x9A");
    // Grey with alpha: the grey sample, alpha dropped.
    auto ga = LoadBytes<TPNGImage>(Png(Header(2, 1, 8, 4), "", std::string("\0\x40\xFF\x80\x00", 5)));
    EXPECT_EQ(RgbBytes(*ga), std::string("\x40\x40\x40\x80\x80\x80", 6));
    // Sub, Up, Average and Paeth filters over two rows of RGB.
    std::string rows;
    rows += std::string("\x01\x10\x20\x30\x01\x01\x01", 7);  // Sub: 10 20 30, 11 21 31
    rows += std::string("\x04\x01\x01\x01\x00\x00\x00", 7);  // Paeth: above + 1, then left
    auto filtered = LoadBytes<TPNGImage>(Png(Header(2, 2, 8, 2), "", rows));
    EXPECT_EQ(RgbBytes(*filtered), std::string("\x10\x20\x30\x11\x21\x31\x11\x21\x31\x11\x21\x31", 12));
}

TEST_F(PngTest, SplitImageDataIsOneStreamAndSavesAsOneChunk)
{
    std::string raw;
    for (int y = 0; y < 8; ++y) {
        raw += '\0';
        for (int x = 0; x < 8; ++x)
            raw += {static_cast<char>(x * 30), static_cast<char>(y * 30), static_cast<char>(x * y)};
    }
    const std::string z = Deflate(raw);
    const std::string file = kSignature + Chunk("IHDR", Header(8, 8, 8, 2)) + Chunk("tEXt", "a\0b") +
                             Chunk("IDAT", z.substr(0, 5)) + Chunk("pHYs", std::string(9, '\0')) +
                             Chunk("IDAT", z.substr(5, 7)) + Chunk("IDAT", z.substr(12)) + Chunk("IEND", "");
    auto png = LoadBytes<TPNGImage>(file);
    EXPECT_EQ(PixelAt(*png, 3, 5), (90u << 16) | (150u << 8) | 15u);
    const std::string saved = SaveBytes(*png);
    size_t idats = 0;
    for (size_t at = saved.find("IDAT"); at != std::string::npos; at = saved.find("IDAT", at + 1))
        ++idats;
    EXPECT_EQ(idats, 1u);
    EXPECT_EQ(saved.find("tEXt"), std::string::npos);
    EXPECT_EQ(saved.find("pHYs"), std::string::npos);
    auto back = LoadBytes<TPNGImage>(saved);
    EXPECT_EQ(RgbBytes(*back), RgbBytes(*png));
}

TEST_F(PngTest, InterlacedPicturesOfEveryNarrowWidthDecode)
{
    // Adam7 written here pass by pass (filter None): pixel (x, y) = x * 40 + y.
    static const int r0[7] = {0, 0, 4, 0, 2, 0, 1}, c0[7] = {0, 4, 0, 2, 0, 1, 0};
    static const int dy[7] = {8, 8, 8, 4, 4, 2, 2}, dx[7] = {8, 8, 4, 4, 2, 2, 1};
    for (int w = 1; w <= 4; ++w) {
        const int h = 9;
        std::string raw;
        for (int p = 0; p < 7; ++p) {
            if (c0[p] >= w || r0[p] >= h)
                continue;
            for (int y = r0[p]; y < h; y += dy[p]) {
                raw += '\0';
                for (int x = c0[p]; x < w; x += dx[p])
                    raw += static_cast<char>(x * 40 + y);
            }
        }
        auto png = LoadBytes<TPNGImage>(Png(Header(static_cast<uint32_t>(w), h, 8, 0, 1), "", raw));
        SCOPED_TRACE(w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(PixelAt(*png, x, y) & 0xFF, static_cast<uint32_t>(x * 40 + y));
    }
}

TEST_F(PngTest, WrittenPicturesReadBackWithTheirFormat)
{
    struct TCase {
        int Bits;
        uint8_t ColorType, Depth;
    } cases[] = {{32, 2, 8}, {24, 2, 8}, {8, 3, 8}, {4, 3, 4}, {1, 3, 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Bits);
        TPNGImage png;
        FillBitmap(png, 13, 7, c.Bits, [&](int x, int y) {
            return c.Bits == 1 ? ((x + y) % 2 ? 0xFFFFFFu : 0u) : static_cast<uint32_t>((x * 19) << 16 | (y * 31) << 8 | (x ^ y));
        });
        const std::string before = RgbBytes(png);
        const std::string saved = SaveBytes(png);
        WriteTestFile(TestOutputDir() + "/saved-" + std::to_string(c.Bits) + ".png", saved);
        ASSERT_GE(saved.size(), 33u);
        EXPECT_EQ(static_cast<uint8_t>(saved[24]), c.Depth);
        EXPECT_EQ(static_cast<uint8_t>(saved[25]), c.ColorType);
        EXPECT_EQ(c.ColorType == 3, saved.find("PLTE") != std::string::npos);
        auto back = LoadBytes<TPNGImage>(saved);
        EXPECT_EQ(RgbBytes(*back), before);
    }
}

TEST_F(PngTest, GammaChunkIsKeptAndItsTablesApplied)
{
    // Gamma 1.0 (100000): forward table v = 255 * (i / 255) ^ (1 / 2.2).
    auto png = LoadBytes<TPNGImage>(Png(Header(1, 1, 8, 2), Chunk("gAMA", Be32(100000)), std::string("\0\x40\x80\xFF", 4)));
    EXPECT_EQ(RgbBytes(*png), std::string("\x88\xBA\xFF", 3));
    const std::string saved = SaveBytes(*png);
    EXPECT_NE(saved.find("gAMA"), std::string::npos);
    auto back = LoadBytes<TPNGImage>(saved);
    EXPECT_EQ(RgbBytes(*back), RgbBytes(*png));
}

TEST_F(PngTest, DamagedFilesAreRefused)
{
    const std::string row("\0\0", 2);
    struct TCase {
        const char* Name;
        std::string File;
    } refused[] = {
        {"bad signature", "\x89PNX\r\n\x1a\n" + Chunk("IHDR", Header(1, 1, 8, 0))},
        {"header of 12 bytes", kSignature + Chunk("IHDR", Header(1, 1, 8, 0).substr(0, 12)) + Chunk("IDAT", Deflate(row))},
        {"header of 14 bytes", kSignature + Chunk("IHDR", Header(1, 1, 8, 0) + "x") + Chunk("IDAT", Deflate(row))},
        {"RGB of 4 bits", Png(Header(1, 1, 4, 2), "", row)},
        {"palette of 16 bits", Png(Header(1, 1, 16, 3), Chunk("PLTE", "abc"), row)},
        {"grey of 3 bits", Png(Header(1, 1, 3, 0), "", row)},
        {"colour type 5", Png(Header(1, 1, 8, 5), "", row)},
        {"palette without PLTE", Png(Header(1, 1, 8, 3), "", row)},
        {"PLTE of 4 bytes", Png(Header(1, 1, 8, 3), Chunk("PLTE", "abcd"), row)},
        {"filter type 5", Png(Header(1, 1, 8, 0), "", std::string("\x05\x00", 2))},
        {"interlace method 2", Png(Header(1, 1, 8, 0, 2), "", row)},
        {"width 0", Png(Header(0, 1, 8, 0), "", row)},
        {"no IDAT", kSignature + Chunk("IHDR", Header(1, 1, 8, 0)) + Chunk("IEND", "")},
        {"first chunk not IHDR", kSignature + Chunk("IDAT", Deflate(row)) + Chunk("IHDR", Header(1, 1, 8, 0))},
        {"rows missing", Png(Header(1, 5, 8, 0), "", row)},
        // 60000 x 60000 from a few bytes: refused before any pixel is allocated.
        {"size far beyond its data", Png(Header(60000, 60000, 8, 2), "", row)},
        {"chunk length past the end", kSignature + Chunk("IHDR", Header(1, 1, 8, 0)) + Be32(0x7FFFFFF0) + "IDAT"},
    };
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.Name);
        EXPECT_THROW(LoadBytes<TPNGImage>(c.File), Exception);
    }
}

TEST_F(PngTest, IndexesPastAShortPaletteShowBlack)
{
    // Two palette entries, pixels 0, 1 and 7: the last has no colour.
    auto png = LoadBytes<TPNGImage>(Png(Header(3, 1, 8, 3), Chunk("PLTE", "\x10\x20\x30\x40\x50\x60"),
                                        std::string("\0\x00\x01\x07", 4)));
    EXPECT_EQ(RgbBytes(*png), std::string("\x10\x20\x30\x40\x50\x60\0\0\0", 9));
}
