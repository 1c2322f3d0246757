// The read-only picture classes: PCX, Photo CD and Targa, and the BMP form
// they are saved in.
#include "imaging/ImagingFixtures.h"
#include "imaging/PcdImage.h"
#include "imaging/PcxImage.h"
#include "imaging/TargaImage.h"

#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"

namespace {

// A PCX header: bits per plane, planes, width x height, bytes per line, with
// a 16-colour palette whose entry i is (i * 16, 255 - i * 16, i).
std::string PcxHeader(int version, int bits, int planes, int w, int h, int bytesPerLine)
{
    std::string s(128, '\0');
    s[0] = 0x0A;
    s[1] = static_cast<char>(version);
    s[2] = 1;
    s[3] = static_cast<char>(bits);
    s[8] = static_cast<char>(w - 1);
    s[10] = static_cast<char>(h - 1);
    for (int i = 0; i < 16; ++i) {
        s[16 + i * 3] = static_cast<char>(i * 16);
        s[17 + i * 3] = static_cast<char>(255 - i * 16);
        s[18 + i * 3] = static_cast<char>(i);
    }
    s[65] = static_cast<char>(planes);
    s[66] = static_cast<char>(bytesPerLine);
    return s;
}

uint32_t PaletteEntry(int i)
{
    return static_cast<uint32_t>((i * 16) << 16 | (255 - i * 16) << 8 | i);
}

std::string TgaHeader(int mapType, int type, int mapLength, int mapEntry, int w, int h, int depth, int descriptor)
{
    std::string s(18, '\0');
    s[1] = static_cast<char>(mapType);
    s[2] = static_cast<char>(type);
    s[5] = static_cast<char>(mapLength & 0xFF);
    s[6] = static_cast<char>(mapLength >> 8);
    s[7] = static_cast<char>(mapEntry);
    s[12] = static_cast<char>(w);
    s[14] = static_cast<char>(h);
    s[16] = static_cast<char>(depth);
    s[17] = static_cast<char>(descriptor);
    return s;
}

class ReadersTest : public TImagingTest {};

}  // namespace

TEST_F(ReadersTest, PcxHeadersAndPalettes)
{
    EXPECT_THROW(LoadBytes<TPCXImage>(PcxHeader(3, 8, 1, 2, 1, 2) + "ab"), EAbort);
    EXPECT_THROW(LoadBytes<TPCXImage>(PcxHeader(5, 8, 2, 2, 1, 2) + "abab"), EAbort);
    // 1 bit, 1 plane: a 4-bit picture with the header palette (0x40: 0 1 0 0 ...).
    auto mono = LoadBytes<TPCXImage>(PcxHeader(5, 1, 1, 4, 1, 2) + std::string("\x40\x00", 2));
    EXPECT_EQ(mono->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(PixelAt(*mono, 1, 0), PaletteEntry(1));
    EXPECT_EQ(PixelAt(*mono, 0, 0), PaletteEntry(0));
    // 2 bits, 1 plane and 1 bit, 3 planes: the header palette as well.
    auto two = LoadBytes<TPCXImage>(PcxHeader(5, 2, 1, 4, 1, 2) + std::string("\x1B\x00", 2));  // 0 1 2 3
    EXPECT_EQ(PixelAt(*two, 3, 0), PaletteEntry(3));
    auto three = LoadBytes<TPCXImage>(PcxHeader(5, 1, 3, 1, 1, 2) + std::string("\x80\0\0\0\x80\0", 6));
    EXPECT_EQ(PixelAt(*three, 0, 0), PaletteEntry(5));
    // 8 bits with the 256 colours after 0x0C at the end.
    std::string pal(769, '\0');
    pal[0] = 0x0C;
    pal[1 + 7 * 3] = '\x11';
    auto eight = LoadBytes<TPCXImage>(PcxHeader(5, 8, 1, 2, 1, 2) + "\x07\x07" + pal);
    EXPECT_EQ(PixelAt(*eight, 1, 0), 0x110000u);
}

TEST_F(ReadersTest, PcxRunsPastThePictureAreCut)
{
    // A run of 63 bytes for a picture of 4 bytes, then more runs.
    auto pcx = LoadBytes<TPCXImage>(PcxHeader(5, 8, 1, 2, 2, 2) + std::string("\xFF\x05\xFF\x06\xFF\x07", 6));
    EXPECT_EQ(pcx->Width(), 2);
    EXPECT_EQ(RgbBytes(*pcx).size(), 12u);
    // Two loads one after the other keep nothing of each other.
    auto second = LoadBytes<TPCXImage>(PcxHeader(5, 8, 1, 2, 1, 2) + std::string("\x01\x02", 2));
    EXPECT_EQ(RgbBytes(*second), std::string("\x01\x01\x01\x02\x02\x02", 6));
}

TEST_F(ReadersTest, TargaOrientationsColourMapsAndSixteenBitColour)
{
    // The same 2 x 2 picture stored bottom-up and top-down, raw and RLE.
    const std::string bottomUp = TgaHeader(0, 2, 0, 0, 2, 2, 24, 0) + std::string("\1\2\3\4\5\6\7\x08\x09\x0A\x0B\x0C", 12);
    const std::string topDown = TgaHeader(0, 10, 0, 0, 2, 2, 24, 0x20) +
                                std::string("\x01\x07\x08\x09\x0A\x0B\x0C\x01\1\2\3\4\5\6", 14);
    EXPECT_EQ(RgbBytes(*LoadBytes<TTargaImage>(bottomUp)), RgbBytes(*LoadBytes<TTargaImage>(topDown)));
    // Mirrored rows (bit 4).
    const std::string mirrored = TgaHeader(0, 2, 0, 0, 2, 1, 24, 0x10) + std::string("\1\2\3\4\5\6", 6);
    EXPECT_EQ(RgbBytes(*LoadBytes<TTargaImage>(mirrored)), std::string("\6\5\4\3\2\1", 6));
    // A colour map of 300 entries: those past 256 are read and dropped.
    std::string map = TgaHeader(1, 1, 300, 24, 2, 1, 8, 0x20);
    for (int i = 0; i < 300; ++i)
        map += {static_cast<char>(i), 0, static_cast<char>(255 - i % 256)};
    map += std::string("\x00\xFF", 2);
    auto mapped = LoadBytes<TTargaImage>(map);
    EXPECT_EQ(RgbBytes(*mapped), std::string("\xFF\0\0\0\0\xFF", 6));
    // 16-bit colour: 31 is full intensity.
    auto c16 = LoadBytes<TTargaImage>(TgaHeader(0, 2, 0, 0, 1, 1, 16, 0) + std::string("\xFF\x7F", 2));
    EXPECT_EQ(RgbBytes(*c16), "\xFF\xFF\xFF");
    // RLE packets past the picture are cut; raw data cut short is a read error.
    auto rle = LoadBytes<TTargaImage>(TgaHeader(0, 11, 0, 0, 2, 1, 8, 0) + std::string("\xFF\x09\xFF\x09", 4));
    EXPECT_EQ(RgbBytes(*rle), std::string(6, '\x09'));
    EXPECT_THROW(LoadBytes<TTargaImage>(TgaHeader(0, 2, 0, 0, 4, 4, 24, 0) + "abc"), EReadError);
    EXPECT_THROW(LoadBytes<TTargaImage>(TgaHeader(0, 4, 0, 0, 1, 1, 8, 0) + "a"), EAbort);
    EXPECT_THROW(LoadBytes<TTargaImage>(TgaHeader(0, 2, 0, 0, 1, 1, 12, 0) + "ab"), EAbort);
}

TEST_F(ReadersTest, PhotoCdBasePictureAndItsOrientation)
{
    for (int landscape = 0; landscape < 2; ++landscape) {
        std::string file(0x30000 + 3 * 768 * 256, '\0');
        file[72] = landscape ? 8 : 0;
        // Luma 100 everywhere, chroma at their neutral values: grey 141.
        for (int pair = 0; pair < 256; ++pair) {
            const size_t at = 0x30000 + static_cast<size_t>(pair) * 3 * 768;
            std::fill_n(file.begin() + static_cast<ptrdiff_t>(at), 1536, static_cast<char>(100));
            std::fill_n(file.begin() + static_cast<ptrdiff_t>(at + 1536), 384, static_cast<char>(156));
            std::fill_n(file.begin() + static_cast<ptrdiff_t>(at + 1920), 384, static_cast<char>(137));
        }
        auto pcd = LoadBytes<TPCDImage>(file);
        EXPECT_EQ(pcd->Width(), landscape ? 768 : 512);
        EXPECT_EQ(pcd->Height(), landscape ? 512 : 768);
        EXPECT_EQ(PixelAt(*pcd, 10, 20), 0x8D8D8Du);
    }
    EXPECT_THROW(LoadBytes<TPCDImage>(std::string(0x30010, '\0')), EReadError);
}

TEST_F(ReadersTest, ReadOnlyPicturesSaveAsBmp)
{
    auto tga = LoadBytes<TTargaImage>(TgaHeader(0, 2, 0, 0, 1, 1, 24, 0) + "\1\2\3");
    const std::string saved = SaveBytes(*tga);
    EXPECT_EQ(saved.substr(0, 2), "BM");
    TBitmap bmp;
    TStringStream stream(saved);
    bmp.LoadFromStream(stream);
    EXPECT_EQ(RgbBytes(bmp), "\3\2\1");
    for (const char* name : {"a.pcx", "a.pcd", "a.tga", "a.png", "a.gif", "a.jpg", "a.jpeg"})
        EXPECT_TRUE(TPicture::FindGraphicClass(name)) << name;
}
