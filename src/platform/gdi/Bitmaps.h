#pragma once
// Bitmaps, device-independent bitmaps (DIBs), palettes and block transfers.
#include <vector>

#include "platform/gdi/Dib.h"
#include "platform/gdi/GdiTypes.h"

// A bitmap of the given depth (1, 4, 8, 16, 24 or 32 bits); bits, when given,
// are rows padded to 16 bits, top-down, as device-dependent bitmaps store them.
HBITMAP CreateBitmap(int32_t width, int32_t height, uint32_t planes, uint32_t bitCount, const void* bits);
// A bitmap with the format of the bitmap selected in dc: 32 bits per pixel for
// the screen and window contexts, but monochrome for a memory context that
// still holds its initial 1 x 1 monochrome bitmap, as on the original platform.
HBITMAP CreateCompatibleBitmap(HDC dc, int32_t width, int32_t height);
// A bitmap keeping the DIB's own format (depth, 5-6-5 or 5-5-5, colour
// table). bits, when given, are the DIB's pixels (any compression DecodeDib
// reads); without them the bitmap is black.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO& info, uint32_t usage, const void* bits = nullptr,
                         size_t bitsSize = 0);
// A bitmap over an image (taken over).
HBITMAP CreateBitmapFromDib(TDibImage&& image);
// A copy of a bitmap's pixels in its own format.
bool GetBitmapDib(HBITMAP bitmap, TDibImage* image);
// Row y (0 = top) of a bitmap's pixels in its own format, for direct access.
// Valid until the bitmap is drawn on, resized or deleted.
uint8_t* DIBScanLine(HBITMAP bitmap, int32_t y);
int32_t BitmapBitCount(HBITMAP bitmap);  // 0 for a handle that is not a bitmap
bool BitmapIsRgb565(HBITMAP bitmap);
std::vector<RGBQUAD> GetBitmapColorTable(HBITMAP bitmap);
// Sets the colour table of an indexed bitmap (pixels keep their indices).
bool SetBitmapColorTable(HBITMAP bitmap, const std::vector<RGBQUAD>& colors);

// Reads lines start.. (counted from the bottom row for a bottom-up header) of
// a bitmap into bits in the format info asks for (1 to 32 bits, BI_RGB).
// With bits null, fills info's header (and colour table when biBitCount is
// set) and returns the bitmap's height. Returns the lines copied, 0 on error.
int GetDIBits(HDC dc, HBITMAP bitmap, uint32_t start, uint32_t lines, void* bits, BITMAPINFO* info,
              uint32_t usage);
// Writes DIB lines into a bitmap, converting to its format.
int SetDIBits(HDC dc, HBITMAP bitmap, uint32_t start, uint32_t lines, const void* bits, const BITMAPINFO& info,
              uint32_t usage);
// Draws a part of a DIB stretched into a rectangle of dc. ySrc counts from the
// bottom row for bottom-up DIBs, as on the original platform. Returns the
// number of lines drawn, 0 on error.
int StretchDIBits(HDC dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                  int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits, const BITMAPINFO& info,
                  uint32_t usage, uint32_t rop);

// Block transfers with raster operations. A monochrome source takes the text
// colour for 0 bits and the background colour for 1 bits of the destination
// context; a colour source copied to a monochrome bitmap gives 1 where it has
// the source context's background colour. Negative sizes mirror.
bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc, int32_t ySrc,
            uint32_t rop);
bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc,
                int32_t ySrc, int32_t srcWidth, int32_t srcHeight, uint32_t rop);
// Copies all source pixels except those of the transparent colour.
bool TransparentBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc,
                    int32_t ySrc, int32_t srcWidth, int32_t srcHeight, COLORREF transparent);

HPALETTE CreatePalette(const std::vector<PALETTEENTRY>& entries);
uint32_t GetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, PALETTEENTRY* entries);
uint32_t GetPaletteSize(HPALETTE palette);
uint32_t GetNearestPaletteIndex(HPALETTE palette, COLORREF color);
