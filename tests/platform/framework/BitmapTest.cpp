// TBitmap: pixel formats, rows, palettes, resizing, copies, and the BMP file
// format read and written, damaged files included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"
#include "platform/runtime/Stream.h"

namespace {

void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
uint32_t Get32(const std::string& s, size_t at)
{
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24);
}

// A BMP file: 40-byte header (or the given header bytes), colour table, extra
// bytes (masks), pixels.
std::string Bmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const std::vector<uint32_t>& colors,
                const std::string& pixels, const std::string& afterHeader = "")
{
    std::string info;
    Put32(info, 40);
    Put32(info, static_cast<uint32_t>(w));
    Put32(info, static_cast<uint32_t>(h));
    Put16(info, 1);
    Put16(info, bits);
    Put32(info, compression);
    Put32(info, static_cast<uint32_t>(pixels.size()));
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, static_cast<uint32_t>(colors.size()));
    Put32(info, 0);
    info += afterHeader;
    for (uint32_t c : colors)
        Put32(info, c);
    std::string file = "BM";
    Put32(file, static_cast<uint32_t>(14 + info.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(14 + info.size()));
    return file + info + pixels;
}

void Load(TBitmap& b, const std::string& bytes)
{
    TStringStream s(bytes);
    b.LoadFromStream(s);
}

std::string Save(TBitmap& b)
{
    TStringStream s;
    b.SaveToStream(s);
    return s.DataString();
}

}  // namespace

TEST(Bitmap, EveryPixelFormatSurvivesSavingAndLoading)
{
    struct TCase {
        TPixelFormat Format;
        uint16_t Bits;
        uint32_t Compression;
    };
    const TCase cases[] = {
        {TPixelFormat::pf1bit, 1, BI_RGB},   {TPixelFormat::pf4bit, 4, BI_RGB},
        {TPixelFormat::pf8bit, 8, BI_RGB},   {TPixelFormat::pf15bit, 16, BI_RGB},
        {TPixelFormat::pf16bit, 16, BI_BITFIELDS}, {TPixelFormat::pf24bit, 24, BI_RGB},
        {TPixelFormat::pf32bit, 32, BI_RGB},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Bits);
        TBitmap b;
        b.SetPixelFormat(c.Format);
        b.SetSize(7, 5);
        ASSERT_EQ(b.PixelFormat(), c.Format);
        if (c.Bits <= 8) {
            std::vector<RGBQUAD> table;
            for (int i = 0; i < (1 << c.Bits); ++i)
                table.push_back({static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 5), static_cast<uint8_t>(255 - i), 0});
            b.SetColorTable(table);
        }
        // Pixel bytes written through the rows.
        const int rowBytes = (7 * c.Bits + 7) / 8;
        for (int y = 0; y < 5; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int i = 0; i < rowBytes; ++i)
                row[i] = static_cast<uint8_t>(y * 37 + i * 11 + 1);
            if (c.Bits == 16)
                for (int i = 1; i < rowBytes; i += 2)
                    row[i] &= c.Format == TPixelFormat::pf15bit ? 0x7F : 0xFF;
            if (c.Bits == 32)
                for (int i = 3; i < rowBytes; i += 4)
                    row[i] = 0xFF;
            if (c.Bits < 8)  // bits past the last pixel
                row[rowBytes - 1] &= static_cast<uint8_t>(0xFF << (rowBytes * 8 - 7 * c.Bits));
        }
        const std::string file = Save(b);
        ASSERT_GT(file.size(), 54u);
        EXPECT_EQ(file.substr(0, 2), "BM");
        EXPECT_EQ(Get32(file, 2), file.size());
        EXPECT_EQ(static_cast<uint8_t>(file[28]), c.Bits);
        EXPECT_EQ(Get32(file, 30), c.Compression);
        EXPECT_EQ(static_cast<int32_t>(Get32(file, 22)), 5) << "rows stored from the bottom";

        TBitmap back;
        Load(back, file);
        EXPECT_EQ(back.Width(), 7);
        EXPECT_EQ(back.Height(), 5);
        EXPECT_EQ(back.PixelFormat(), c.Format == TPixelFormat::pfDevice ? TPixelFormat::pf32bit : c.Format);
        EXPECT_EQ(back.ColorTable(), b.ColorTable());
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(std::string(reinterpret_cast<char*>(back.ScanLine(y)), rowBytes),
                      std::string(reinterpret_cast<char*>(b.ScanLine(y)), rowBytes))
                << "row " << y;
        // And the same colours through the canvas.
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(back.Canvas().Pixels(x, y), b.Canvas().Pixels(x, y));
    }
}

TEST(Bitmap, RowsAndCanvasShowTheSamePixels)
{
    for (TPixelFormat f : {TPixelFormat::pf8bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(4, 3);
        b.Canvas().Brush().SetColor(clRed);
        b.Canvas().FillRect({0, 0, 4, 3});
        if (f == TPixelFormat::pf8bit) {
            const uint8_t red = b.ScanLine(2)[0];
            EXPECT_EQ(b.ColorTable()[red].rgbRed, 255);
            b.ScanLine(1)[1] = 0;  // index 0 of the standard table: black
        } else {
            const int bpp = f == TPixelFormat::pf24bit ? 3 : 4;
            EXPECT_EQ(b.ScanLine(2)[2], 255);  // blue, green, red
            EXPECT_EQ(b.ScanLine(2)[0], 0);
            uint8_t* p = b.ScanLine(1) + bpp;
            p[0] = p[1] = p[2] = 0;
        }
        EXPECT_EQ(b.Canvas().Pixels(1, 1), clBlack);
        EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);
        // Drawing after a row was written keeps the row's change.
        b.Canvas().Pen().SetColor(clLime);
        b.Canvas().MoveTo(0, 0);
        b.Canvas().LineTo(1, 0);
        EXPECT_EQ(b.Canvas().Pixels(1, 1), clBlack);
        EXPECT_EQ(b.Canvas().Pixels(0, 0), clLime);
    }
    TBitmap b;
    EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);
    b.SetSize(2, 2);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(Bitmap, ResizingConvertingAndCopying)
{
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(4, 4);
    b.Canvas().SetPixels(1, 1, clRed);
    b.SetSize(8, 3);  // keeps the common area
    EXPECT_EQ(b.Canvas().Pixels(1, 1), clRed);
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Height(), 3);
    b.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(b.Canvas().Pixels(1, 1), clRed);  // in the standard table
    EXPECT_NE(b.Palette(), nullptr);
    b.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b.Palette(), nullptr);
    EXPECT_EQ(b.Canvas().Pixels(1, 1), clRed);

    TBitmap copy;
    copy.Assign(b);
    copy.Canvas().SetPixels(1, 1, clBlue);
    EXPECT_EQ(b.Canvas().Pixels(1, 1), clRed) << "a copy has pixels of its own";
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::pf24bit);

    b.SetMonochrome(true);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.Canvas().Pixels(1, 1), clBlack);
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clBlack);  // new pixels were black
    b.SetSize(0, 5);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(Save(b), "");
    TBitmap fromEmpty;
    Load(fromEmpty, "");
    EXPECT_TRUE(fromEmpty.Empty());
    EXPECT_THROW(b.SetSize(1 << 20, 1 << 20), EOutOfMemory);
    EXPECT_TRUE(b.Empty());

    // Form data: a byte count then the file.
    TMemoryStream data;
    copy.WriteData(data);
    data.WriteString("suite");
    data.SetPosition(0);
    TBitmap read;
    read.ReadData(data);
    EXPECT_EQ(read.Canvas().Pixels(1, 1), clBlue);
    EXPECT_EQ(data.Position(), data.Size() - 5);
}

TEST(Bitmap, ReadsTheBmpVariantsFilesContain)
{
    // Top-down 24 bits: first row stored is the top row.
    std::string px;
    px += std::string("\x00\x00\xFF\x00\xFF\x00", 6) + std::string(2, '\0');  // red, green
    px += std::string("\xFF\x00\x00\xFF\xFF\xFF", 6) + std::string(2, '\0');  // blue, white
    TBitmap b;
    Load(b, Bmp(2, -2, 24, BI_RGB, {}, px));
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas().Pixels(1, 0), clLime);
    EXPECT_EQ(b.Canvas().Pixels(0, 1), clBlue);

    // RLE8: a run, an absolute run, a delta, end of line, end of bitmap.
    const std::vector<uint32_t> colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    std::string rle = std::string("\x02\x01", 2) + std::string("\x00\x03\x02\x03\x01\x00", 6) +
                      std::string("\x00\x00", 2) + std::string("\x00\x02\x01\x00", 4) + std::string("\x01\x02", 2) +
                      std::string("\x00\x01", 2);
    Load(b, Bmp(5, 2, 8, BI_RLE8, colors, rle));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    // Bottom row (y = 1): 1 1 2 3 1; top row: 0 2 0 0 0 (a delta over one pixel, then one pixel).
    const TColor bottom[] = {static_cast<TColor>(0x0000FF), 0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.Canvas().Pixels(x, 1), bottom[x]) << x;
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clBlack);
    EXPECT_EQ(b.Canvas().Pixels(1, 0), static_cast<TColor>(0x00FF00));
    EXPECT_EQ(b.Canvas().Pixels(2, 0), clBlack);

    // RLE4: a run alternating two nibbles, then an absolute run.
    std::string rle4 = std::string("\x03\x12", 2) + std::string("\x00\x03\x30\x10", 4) + std::string("\x00\x01", 2);
    Load(b, Bmp(6, 1, 4, BI_RLE4, colors, rle4));
    const TColor row4[] = {static_cast<TColor>(0x0000FF), 0x00FF00, 0x0000FF, 0xFF0000, 0x000000, 0x0000FF};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(b.Canvas().Pixels(x, 0), row4[x]) << x;

    // 16 bits with 5-6-5 masks after the header.
    std::string masks;
    Put32(masks, 0xF800);
    Put32(masks, 0x07E0);
    Put32(masks, 0x001F);
    Load(b, Bmp(2, 1, 16, BI_BITFIELDS, {}, std::string("\x00\xF8\xE0\x07", 4), masks));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas().Pixels(1, 0), clLime);

    // 32 bits with unusual masks become 24 bits.
    std::string masks32;
    Put32(masks32, 0x000000FF);
    Put32(masks32, 0x0000FF00);
    Put32(masks32, 0x00FF0000);
    Load(b, Bmp(1, 1, 32, BI_BITFIELDS, {}, std::string("\xFF\x00\x00\x00", 4), masks32));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);

    // A 12-byte core header with a three-byte colour table.
    std::string core = "BM";
    Put32(core, 14 + 12 + 6 + 4);
    Put32(core, 0);
    Put32(core, 14 + 12 + 6);
    Put32(core, 12);
    Put16(core, 2);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    core += std::string("\x00\x00\x00\x00\xFF\x00", 6);  // black, green
    core += std::string("\x40\x00\x00\x00", 4);           // 0 1
    Load(b, core);
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clBlack);
    EXPECT_EQ(b.Canvas().Pixels(1, 0), clLime);

    // A bitmap followed by other data: only the file's bytes are read.
    TStringStream s(Bmp(1, 1, 24, BI_RGB, {}, std::string("\x00\x00\xFF\x00", 4)) + "APRES");
    b.LoadFromStream(s);
    EXPECT_EQ(s.Position(), s.Size() - 5);
}

TEST(Bitmap, DamagedFilesAreRefusedAndTheBitmapKept)
{
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(3, 3);
    b.Canvas().SetPixels(0, 0, clRed);
    const std::string good = Bmp(2, 2, 24, BI_RGB, {}, std::string(16, '\0'));
    std::string shortHeader = good;
    shortHeader[14] = 7;
    std::string noBits = good;
    noBits[28] = 7;
    std::string rleTopDown = Bmp(2, -2, 8, BI_RLE8, {0, 0xFFFFFF}, std::string("\x00\x01", 2));
    const std::string cases[] = {
        "XX" + good.substr(2),
        shortHeader,
        noBits,
        Bmp(0, 2, 24, BI_RGB, {}, std::string(16, '\0')),
        Bmp(2, 2, 24, BI_RGB, {}, std::string(10, '\0')),   // pixels cut short
        rleTopDown,
        Bmp(100000, 100000, 24, BI_RGB, {}, std::string(16, '\0')),  // claims 30 GB
        Bmp(2, 2, 24, 4, {}, std::string(16, '\0')),           // JPEG inside: not read here
        good.substr(0, 20),
    };
    for (const std::string& bytes : cases) {
        try {
            Load(b, bytes);
            ADD_FAILURE() << "accepted a damaged file of " << bytes.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message().rfind("Image bitmap non valide", 0), 0u) << e.Message();
        } catch (const EReadError&) {
            // a stream too short for the file header
        }
        EXPECT_EQ(b.Width(), 3);
        EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);
    }
}

TEST(Bitmap, BitmapsFromTheProgramsResources)
{
    for (const char* name : {"PACKEDGLYPH", "fileglyph"}) {
        TBitmap b;
        b.LoadFromResourceName(name);
        EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit) << name;
        EXPECT_EQ(b.Width(), 3);
        EXPECT_EQ(b.Height(), 2);
        EXPECT_EQ(b.Canvas().Pixels(0, 1), clRed) << name;
        EXPECT_EQ(b.Canvas().Pixels(2, 1), clBlue);
        EXPECT_EQ(b.Canvas().Pixels(0, 0), clBlue);
    }
    TBitmap b;
    EXPECT_THROW(b.LoadFromResourceName("ABSENT"), EInvalidGraphic);
}
