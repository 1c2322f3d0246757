#pragma once
// Device-independent bitmaps in memory: pixels of 1, 4, 8, 16 (5-5-5 or
// 5-6-5), 24 or 32 bits in the layout of the original platform (rows padded to
// 4 bytes, blue-green-red byte order, palette indices most significant bits
// first), kept top-down. Conversion of rows to and from 0x00RRGGBB pixels,
// nearest-colour search, raster operations, and the BMP file format.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/GdiTypes.h"

// A bitmap's pixels. Rows are top-down: Row(0) is the top row.
struct TDibImage {
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t BitCount = 32;  // 1, 4, 8, 16, 24, 32
    bool Rgb565 = false;     // 16 bits: 5-6-5 instead of 5-5-5
    int32_t Stride = 0;
    std::vector<uint8_t> Bits;
    std::vector<RGBQUAD> Colors;  // colour table of 1, 4 and 8 bits

    bool Empty() const { return Width <= 0 || Height <= 0; }
    uint8_t* Row(int32_t y) { return Bits.data() + static_cast<size_t>(y) * Stride; }
    const uint8_t* Row(int32_t y) const { return Bits.data() + static_cast<size_t>(y) * Stride; }
    bool Indexed() const { return BitCount <= 8; }
};

// Bytes per row of a bitmap of that width and depth, padded to 4 bytes.
int32_t DibStride(int32_t width, int bitCount);

// The largest bitmap made or read: a quarter of a gigapixel and 1 GiB of rows.
constexpr int64_t MaxDibPixels = 256LL * 1024 * 1024;
constexpr int64_t MaxDibBytes = 1024LL * 1024 * 1024;

// Sizes img (contents zero: black, or palette entry 0) with the given depth.
// Indexed depths get the standard colour table of StandardColorTable. Raises
// EOutOfMemory for a size beyond the limits above.
void AllocateDib(TDibImage& img, int32_t width, int32_t height, int bitCount, bool rgb565 = false);

// Pixels as 0x00RRGGBB.
uint32_t DibPixel(const TDibImage& img, int32_t x, int32_t y);
void SetDibPixel(TDibImage& img, int32_t x, int32_t y, uint32_t xrgb);
void ReadDibRow(const TDibImage& img, int32_t y, int32_t x0, int32_t count, uint32_t* out);
void WriteDibRow(TDibImage& img, int32_t y, int32_t x0, int32_t count, const uint32_t* xrgb);

// Index of the colour-table entry nearest to a colour (squared distance; the
// first of equals).
uint8_t NearestColorIndex(const std::vector<RGBQUAD>& colors, uint32_t xrgb);

// A copy converted to another depth. Indexed targets take the given colour
// table, else the source's when the depth stays, else the standard table.
TDibImage ConvertDib(const TDibImage& src, int bitCount, bool rgb565 = false,
                     const std::vector<RGBQUAD>* colors = nullptr);

// The standard tables: black and white (1 bit), the 16 VGA colours (4 bits),
// the 16 VGA colours, a 6x6x6 colour cube and greys (8 bits).
std::vector<RGBQUAD> StandardColorTable(int bitCount);

// Raster operation of three operands (pattern, source, destination) on
// 0x00RRGGBB pixels: rop is a ternary raster code such as SRCCOPY.
uint32_t ApplyRop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t dest);
// Whether the operation reads the source or the pattern.
bool RopUsesSource(uint32_t rop);
bool RopUsesPattern(uint32_t rop);

// Decodes packed DIB pixels described by a header and colour table
// (BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS; 1 to 32 bits) into img. Bit
// fields other than 5-5-5, 5-6-5 and 8-8-8 become 24 bits per pixel. Returns
// false with a reason on data it cannot read; img is then unchanged.
bool DecodeDib(const BITMAPINFO& info, const uint8_t* bits, size_t size, TDibImage& img, std::string& error);

// The header and colour table that describe img, with bottom-up rows.
BITMAPINFO DibInfo(const TDibImage& img);
// img's rows in bottom-up order (the packed layout of DibInfo).
std::string PackDibBottomUp(const TDibImage& img);

// BMP files: "BM" file header, info header (12-byte core headers and 40- to
// 124-byte headers are read), colour table, pixels.
bool ReadBmp(std::string_view data, TDibImage& img, std::string& error);
std::string WriteBmp(const TDibImage& img);
// Packed DIBs, as the clipboard carries them: a BMP file without its 14-byte
// file header (the pixels follow the header and the colour table).
bool ReadPackedDib(std::string_view data, TDibImage& img, std::string& error);
std::string WritePackedDib(const TDibImage& img);
