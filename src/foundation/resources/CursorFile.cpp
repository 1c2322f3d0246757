#include "foundation/resources/CursorFile.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Dib.h"
#include "platform/gdi/Drawing.h"

namespace {

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

constexpr int32_t kMaxCursorSide = 256;

} // namespace

bool ReadCursorFile(const uint8_t* data, size_t size, TCursorFileImage& image)
{
    // Directory: reserved 0, type 2 (cursor), count; then 16-byte entries.
    if (!data || size < 6 + 16 || U16(data) != 0 || U16(data + 2) != 2 || U16(data + 4) == 0)
        return false;
    const uint8_t* entry = data + 6;
    const uint32_t hotX = U16(entry + 4), hotY = U16(entry + 6);
    const uint32_t length = U32(entry + 8), offset = U32(entry + 12);
    if (offset > size || length > size - offset || length < 40)
        return false;
    const uint8_t* dib = data + offset;
    const uint32_t headerSize = U32(dib);
    const int32_t width = static_cast<int32_t>(U32(dib + 4));
    const int32_t doubleHeight = static_cast<int32_t>(U32(dib + 8));
    const uint16_t bitCount = U16(dib + 14);
    const uint32_t compression = U32(dib + 16);
    uint32_t colorsUsed = U32(dib + 32);
    if (headerSize < 40 || headerSize > length || compression != 0 || width <= 0 || width > kMaxCursorSide ||
        doubleHeight <= 0 || doubleHeight % 2 != 0 || doubleHeight / 2 > kMaxCursorSide)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    const int32_t height = doubleHeight / 2;
    if (bitCount <= 8 && (colorsUsed == 0 || colorsUsed > (1u << bitCount)))
        colorsUsed = 1u << bitCount;
    if (bitCount > 8)
        colorsUsed = 0;
    const size_t tableSize = static_cast<size_t>(colorsUsed) * 4;
    const size_t xorStride = static_cast<size_t>(DibStride(width, bitCount));
    const size_t andStride = static_cast<size_t>(DibStride(width, 1));
    const size_t need = headerSize + tableSize + xorStride * static_cast<size_t>(height) +
                        andStride * static_cast<size_t>(height);
    if (need > length)
        return false;
    const uint8_t* table = dib + headerSize;
    const uint8_t* xorBits = table + tableSize;
    const uint8_t* andBits = xorBits + xorStride * static_cast<size_t>(height);
    if (hotX >= static_cast<uint32_t>(width) || hotY >= static_cast<uint32_t>(height))
        return false;

    image = {};
    image.Width = width;
    image.Height = height;
    image.HotX = static_cast<int32_t>(hotX);
    image.HotY = static_cast<int32_t>(hotY);
    image.Alpha = bitCount == 32;
    image.Color.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    image.Transparent.resize(image.Color.size());
    for (int32_t y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const uint8_t* xr = xorBits + xorStride * static_cast<size_t>(height - 1 - y);
        const uint8_t* ar = andBits + andStride * static_cast<size_t>(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c = 0;
            if (bitCount <= 8) {
                const int perByte = 8 / bitCount;
                const int shift = (perByte - 1 - x % perByte) * bitCount;
                const uint32_t index = (xr[x / perByte] >> shift) & ((1u << bitCount) - 1);
                if (index < colorsUsed) {
                    const uint8_t* q = table + index * 4;
                    c = static_cast<uint32_t>(q[2]) << 16 | static_cast<uint32_t>(q[1]) << 8 | q[0];
                }
            } else if (bitCount == 24) {
                const uint8_t* q = xr + x * 3;
                c = static_cast<uint32_t>(q[2]) << 16 | static_cast<uint32_t>(q[1]) << 8 | q[0];
            } else {
                c = U32(xr + x * 4);
            }
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            image.Color[i] = c;
            image.Transparent[i] = (ar[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

HCURSOR CreateCursorFromImage(const TCursorFileImage& image)
{
    if (image.Width <= 0 || image.Height <= 0)
        return 0;
    TDibImage color;
    AllocateDib(color, image.Width, image.Height, 32);
    TDibImage mask;
    AllocateDib(mask, image.Width, image.Height, 1);
    mask.Colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0; x < image.Width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(image.Width) + static_cast<size_t>(x);
            uint32_t c = image.Color[i] & 0x00FFFFFF;
            if (image.Alpha)
                c = image.Color[i];
            else if (!image.Transparent[i])
                c |= 0xFF000000u;
            SetDibPixel(color, x, y, c);
            if (image.Transparent[i])
                mask.Row(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    HBITMAP colorBitmap = CreateBitmapFromDib(std::move(color));
    HBITMAP maskBitmap = CreateBitmapFromDib(std::move(mask));
    const HCURSOR cursor = CreateCursorFromBitmaps(colorBitmap, maskBitmap, image.HotX, image.HotY);
    DeleteObject(colorBitmap);
    DeleteObject(maskBitmap);
    return cursor;
}

uint32_t CursorPixelOn(const TCursorFileImage& image, int32_t x, int32_t y, COLORREF background)
{
    const uint32_t bg = (background & 0xFF) << 16 | (background & 0xFF00) | ((background >> 16) & 0xFF);
    if (x < 0 || y < 0 || x >= image.Width || y >= image.Height)
        return bg;
    const size_t i = static_cast<size_t>(y) * static_cast<size_t>(image.Width) + static_cast<size_t>(x);
    const uint32_t c = image.Color[i] & 0x00FFFFFF;
    if (image.Transparent[i])
        return (bg ^ c) & 0x00FFFFFF;  // 0 keeps the background, white inverts it
    if (image.Alpha) {
        const uint32_t a = image.Color[i] >> 24;
        uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t fg = (c >> shift) & 0xFF, b = (bg >> shift) & 0xFF;
            out |= ((fg * a + b * (255 - a) + 127) / 255) << shift;
        }
        return out;
    }
    return c;
}
