#include "platform/gdi/Dib.h"

#include <algorithm>
#include <cstring>

#include "platform/runtime/Exception.h"

int32_t DibStride(int32_t width, int bitCount)
{
    const int64_t bits = static_cast<int64_t>(std::max(0, width)) * bitCount;
    return static_cast<int32_t>(((bits + 31) / 32) * 4);
}

std::vector<RGBQUAD> StandardColorTable(int bitCount)
{
    auto q = [](uint8_t r, uint8_t g, uint8_t b) { return RGBQUAD{b, g, r, 0}; };
    static const RGBQUAD vga[16] = {
        q(0, 0, 0),       q(128, 0, 0),   q(0, 128, 0),   q(128, 128, 0), q(0, 0, 128),   q(128, 0, 128),
        q(0, 128, 128),   q(192, 192, 192), q(128, 128, 128), q(255, 0, 0), q(0, 255, 0), q(255, 255, 0),
        q(0, 0, 255),     q(255, 0, 255), q(0, 255, 255), q(255, 255, 255)};
    std::vector<RGBQUAD> t;
    if (bitCount == 1) {
        t = {q(0, 0, 0), q(255, 255, 255)};
    } else if (bitCount == 4) {
        t.assign(vga, vga + 16);
    } else if (bitCount == 8) {
        t.assign(vga, vga + 16);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    t.push_back(q(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                  static_cast<uint8_t>(b * 51)));
        for (int i = 0; t.size() < 256; ++i) {
            const uint8_t v = static_cast<uint8_t>(8 + i * 10);
            t.push_back(q(v, v, v));
        }
    }
    return t;
}

void AllocateDib(TDibImage& img, int32_t width, int32_t height, int bitCount, bool rgb565)
{
    if (width < 0 || height < 0)
        throw EInvalidArgument("Dimensions d'image non valides");
    const int32_t stride = DibStride(width, bitCount);
    const int64_t pixels = static_cast<int64_t>(width) * height;
    const int64_t bytes = static_cast<int64_t>(stride) * height;
    if (pixels > MaxDibPixels || bytes > MaxDibBytes)
        throw EOutOfMemory();
    TDibImage out;
    out.Width = width;
    out.Height = height;
    out.BitCount = static_cast<uint16_t>(bitCount);
    out.Rgb565 = bitCount == 16 && rgb565;
    out.Stride = stride;
    out.Bits.assign(static_cast<size_t>(bytes), 0);
    if (bitCount <= 8)
        out.Colors = StandardColorTable(bitCount);
    img = std::move(out);
}

namespace {

inline uint32_t QuadToXrgb(const RGBQUAD& c)
{
    return (static_cast<uint32_t>(c.rgbRed) << 16) | (static_cast<uint32_t>(c.rgbGreen) << 8) | c.rgbBlue;
}

inline uint32_t IndexColor(const TDibImage& img, unsigned index)
{
    return index < img.Colors.size() ? QuadToXrgb(img.Colors[index]) : 0;
}

inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

// Remembers the last colour looked up, which covers runs of one colour.
struct TNearest {
    const std::vector<RGBQUAD>* Colors;
    uint32_t LastColor = 0xFFFFFFFF;
    uint8_t LastIndex = 0;
    uint8_t Find(uint32_t xrgb)
    {
        if (xrgb != LastColor) {
            LastColor = xrgb;
            LastIndex = NearestColorIndex(*Colors, xrgb);
        }
        return LastIndex;
    }
};

}  // namespace

uint8_t NearestColorIndex(const std::vector<RGBQUAD>& colors, uint32_t xrgb)
{
    const int r = (xrgb >> 16) & 0xFF, g = (xrgb >> 8) & 0xFF, b = xrgb & 0xFF;
    int best = 0;
    int bestDistance = 1 << 30;
    const int n = static_cast<int>(std::min<size_t>(colors.size(), 256));
    for (int i = 0; i < n; ++i) {
        const int dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return static_cast<uint8_t>(best);
}

void ReadDibRow(const TDibImage& img, int32_t y, int32_t x0, int32_t count, uint32_t* out)
{
    const uint8_t* row = img.Row(y);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = x0 + i;
        switch (img.BitCount) {
        case 1: out[i] = IndexColor(img, (row[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: out[i] = IndexColor(img, (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)); break;
        case 8: out[i] = IndexColor(img, row[x]); break;
        case 16: {
            const uint32_t v = row[2 * x] | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
            if (img.Rgb565)
                out[i] = (Expand5((v >> 11) & 31) << 16) | (Expand6((v >> 5) & 63) << 8) | Expand5(v & 31);
            else
                out[i] = (Expand5((v >> 10) & 31) << 16) | (Expand5((v >> 5) & 31) << 8) | Expand5(v & 31);
            break;
        }
        case 24: {
            const uint8_t* p = row + 3 * x;
            out[i] = (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
            break;
        }
        default: {
            const uint8_t* p = row + 4 * x;
            out[i] = (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
            break;
        }
        }
    }
}

void WriteDibRow(TDibImage& img, int32_t y, int32_t x0, int32_t count, const uint32_t* xrgb)
{
    uint8_t* row = img.Row(y);
    TNearest nearest{&img.Colors};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = x0 + i;
        const uint32_t c = xrgb[i] & 0x00FFFFFF;
        switch (img.BitCount) {
        case 1: {
            const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
            if (nearest.Find(c) & 1)
                row[x >> 3] |= mask;
            else
                row[x >> 3] &= static_cast<uint8_t>(~mask);
            break;
        }
        case 4: {
            const uint8_t v = nearest.Find(c) & 0x0F;
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
            break;
        }
        case 8: row[x] = nearest.Find(c); break;
        case 16: {
            const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            const uint32_t v = img.Rgb565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                          : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
            row[2 * x] = static_cast<uint8_t>(v);
            row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            break;
        }
        case 24: {
            uint8_t* p = row + 3 * x;
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
            break;
        }
        default: {
            uint8_t* p = row + 4 * x;
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
            p[3] = 0xFF;
            break;
        }
        }
    }
}

uint32_t DibPixel(const TDibImage& img, int32_t x, int32_t y)
{
    uint32_t c = 0;
    ReadDibRow(img, y, x, 1, &c);
    return c;
}

void SetDibPixel(TDibImage& img, int32_t x, int32_t y, uint32_t xrgb)
{
    WriteDibRow(img, y, x, 1, &xrgb);
}

TDibImage ConvertDib(const TDibImage& src, int bitCount, bool rgb565, const std::vector<RGBQUAD>* colors)
{
    TDibImage out;
    AllocateDib(out, src.Width, src.Height, bitCount, rgb565);
    if (bitCount <= 8) {
        if (colors)
            out.Colors = *colors;
        else if (src.BitCount == bitCount)
            out.Colors = src.Colors;
    }
    std::vector<uint32_t> row(static_cast<size_t>(std::max(0, src.Width)));
    for (int32_t y = 0; y < src.Height; ++y) {
        ReadDibRow(src, y, 0, src.Width, row.data());
        WriteDibRow(out, y, 0, src.Width, row.data());
    }
    return out;
}

uint32_t ApplyRop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d)
{
    switch (rop) {
    case SRCCOPY: return s;
    case PATCOPY: return p;
    case SRCPAINT: return s | d;
    case SRCAND: return s & d;
    case SRCINVERT: return (s ^ d) & 0x00FFFFFF;
    case DSTINVERT: return ~d & 0x00FFFFFF;
    case PATINVERT: return (p ^ d) & 0x00FFFFFF;
    case BLACKNESS: return 0;
    case WHITENESS: return 0x00FFFFFF;
    default: break;
    }
    // Each bit of the operation code is the result for one combination of
    // pattern (weight 4), source (2) and destination (1) bits.
    const uint32_t code = (rop >> 16) & 0xFF;
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (code & (1u << i))
            result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return result & 0x00FFFFFF;
}

bool RopUsesSource(uint32_t rop)
{
    const uint32_t code = (rop >> 16) & 0xFF;
    return ((code >> 2) & 0x33) != (code & 0x33);
}

bool RopUsesPattern(uint32_t rop)
{
    const uint32_t code = (rop >> 16) & 0xFF;
    return ((code >> 4) & 0x0F) != (code & 0x0F);
}

// --- Decoding ------------------------------------------------------------

namespace {

uint32_t MaskFromQuad(const RGBQUAD& q)
{
    return q.rgbBlue | (static_cast<uint32_t>(q.rgbGreen) << 8) | (static_cast<uint32_t>(q.rgbRed) << 16) |
           (static_cast<uint32_t>(q.rgbReserved) << 24);
}

// Value of a pixel under a colour mask, scaled to 0..255.
uint32_t MaskedChannel(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint32_t m = mask >> shift;
    const uint32_t v = (pixel >> shift) & m;
    return m == 0 ? 0 : static_cast<uint32_t>((static_cast<uint64_t>(v) * 255 + m / 2) / m);
}

bool DecodeRle(const uint8_t* bits, size_t size, bool rle4, TDibImage& img)
{
    int32_t x = 0;
    int32_t line = 0;  // counted from the bottom
    size_t i = 0;
    auto put = [&](uint8_t index) {
        if (x >= 0 && x < img.Width && line < img.Height) {
            const int32_t y = img.Height - 1 - line;
            uint8_t* row = img.Row(y);
            if (rle4) {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                            : static_cast<uint8_t>((b & 0x0F) | (index << 4));
            } else {
                row[x] = index;
            }
        }
        ++x;
    };
    while (i + 1 < size) {
        const uint8_t count = bits[i];
        const uint8_t value = bits[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(rle4 ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++line;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (i + 1 >= size)
                return false;
            x += bits[i];
            line += bits[i + 1];
            i += 2;
        } else {  // absolute run of value pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1u) / 2 : value;
            if (i + bytes > size)
                return false;
            for (int k = 0; k < value; ++k) {
                const uint8_t b = bits[i + (rle4 ? k / 2 : k)];
                put(rle4 ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += bytes + (bytes & 1);
        }
        if (line >= img.Height)
            return true;
    }
    // Streams that end without the end-of-bitmap mark keep what they hold.
    return true;
}

}  // namespace

bool DecodeDib(const BITMAPINFO& info, const uint8_t* bits, size_t size, TDibImage& img, std::string& error)
{
    const BITMAPINFOHEADER& h = info.bmiHeader;
    const int bitCount = h.biBitCount;
    const bool topDown = h.biHeight < 0;
    const int64_t height64 = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (h.biWidth <= 0 || height64 == 0 || height64 > 0x7FFFFFFF) {
        error = "dimensions de l'image non valides";
        return false;
    }
    const int32_t width = h.biWidth;
    const int32_t height = static_cast<int32_t>(height64);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        error = "nombre de bits par pixel non pris en charge";
        return false;
    }
    const uint32_t compression = h.biCompression;
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if ((compression == BI_RLE8 && bitCount != 8) || (compression == BI_RLE4 && bitCount != 4) ||
        (compression == BI_BITFIELDS && bitCount != 16 && bitCount != 32) ||
        (compression != BI_RGB && !rle && compression != BI_BITFIELDS)) {
        error = "compression non prise en charge";
        return false;
    }
    if (rle && topDown) {
        error = "image compressée non valide";
        return false;
    }
    if (static_cast<int64_t>(width) * height > MaxDibPixels) {
        error = "image trop grande";
        return false;
    }

    // Pixel layout of the stored image.
    int targetBits = bitCount;
    bool rgb565 = false;
    uint32_t masks[3] = {0, 0, 0};
    bool genericMasks = false;
    if (bitCount == 16 || bitCount == 32) {
        if (compression == BI_BITFIELDS) {
            if (info.bmiColors.size() < 3) {
                error = "masques de couleur absents";
                return false;
            }
            for (int i = 0; i < 3; ++i)
                masks[i] = MaskFromQuad(info.bmiColors[i]);
        } else if (bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
        if (bitCount == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) {
        } else if (bitCount == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
            rgb565 = true;
        } else if (bitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF) {
        } else {
            genericMasks = true;
            targetBits = 24;
        }
    }

    TDibImage out;
    try {
        AllocateDib(out, width, height, targetBits, rgb565);
    } catch (const EOutOfMemory&) {
        error = "image trop grande";
        return false;
    }
    if (bitCount <= 8) {
        const size_t entries = size_t{1} << bitCount;
        size_t used = h.biClrUsed ? std::min<size_t>(h.biClrUsed, entries) : entries;
        out.Colors.assign(info.bmiColors.begin(),
                          info.bmiColors.begin() + static_cast<std::ptrdiff_t>(std::min(used, info.bmiColors.size())));
        if (out.Colors.empty())
            out.Colors = StandardColorTable(bitCount);
    }

    if (rle) {
        if (!DecodeRle(bits, size, compression == BI_RLE4, out)) {
            error = "données compressées tronquées";
            return false;
        }
        img = std::move(out);
        return true;
    }

    const int32_t srcStride = DibStride(width, bitCount);
    if (static_cast<uint64_t>(srcStride) * height > size) {
        error = "données de l'image tronquées";
        return false;
    }
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = bits + static_cast<size_t>(topDown ? y : height - 1 - y) * srcStride;
        uint8_t* dst = out.Row(y);
        if (!genericMasks) {
            std::memcpy(dst, src, static_cast<size_t>(std::min(srcStride, out.Stride)));
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            uint32_t v;
            if (bitCount == 16)
                v = src[2 * x] | (static_cast<uint32_t>(src[2 * x + 1]) << 8);
            else
                v = src[4 * x] | (static_cast<uint32_t>(src[4 * x + 1]) << 8) |
                    (static_cast<uint32_t>(src[4 * x + 2]) << 16) | (static_cast<uint32_t>(src[4 * x + 3]) << 24);
            dst[3 * x + 2] = static_cast<uint8_t>(MaskedChannel(v, masks[0]));
            dst[3 * x + 1] = static_cast<uint8_t>(MaskedChannel(v, masks[1]));
            dst[3 * x + 0] = static_cast<uint8_t>(MaskedChannel(v, masks[2]));
        }
    }
    img = std::move(out);
    return true;
}

BITMAPINFO DibInfo(const TDibImage& img)
{
    BITMAPINFO info;
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = 40;
    h.biWidth = img.Width;
    h.biHeight = img.Height;
    h.biPlanes = 1;
    h.biBitCount = img.BitCount;
    h.biCompression = img.BitCount == 16 && img.Rgb565 ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(static_cast<int64_t>(img.Stride) * img.Height);
    if (img.Indexed()) {
        info.bmiColors = img.Colors;
        h.biClrUsed = static_cast<uint32_t>(img.Colors.size());
    } else if (h.biCompression == BI_BITFIELDS) {
        auto quad = [](uint32_t m) {
            return RGBQUAD{static_cast<uint8_t>(m), static_cast<uint8_t>(m >> 8), static_cast<uint8_t>(m >> 16),
                           static_cast<uint8_t>(m >> 24)};
        };
        info.bmiColors = {quad(0xF800), quad(0x07E0), quad(0x001F)};
    }
    return info;
}

std::string PackDibBottomUp(const TDibImage& img)
{
    std::string out;
    out.resize(static_cast<size_t>(img.Stride) * std::max(0, img.Height));
    for (int32_t y = 0; y < img.Height; ++y)
        std::memcpy(out.data() + static_cast<size_t>(img.Height - 1 - y) * img.Stride, img.Row(y),
                    static_cast<size_t>(img.Stride));
    return out;
}

// --- BMP files -------------------------------------------------------------

namespace {

uint16_t Le16(std::string_view d, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | (static_cast<uint8_t>(d[at + 1]) << 8));
}
uint32_t Le32(std::string_view d, size_t at)
{
    return Le16(d, at) | (static_cast<uint32_t>(Le16(d, at + 2)) << 16);
}
void Put16(std::string& s, uint16_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, static_cast<uint16_t>(v));
    Put16(s, static_cast<uint16_t>(v >> 16));
}

}  // namespace

bool ReadBmp(std::string_view data, TDibImage& img, std::string& error)
{
    if (data.size() < 14 + 12 || data[0] != 'B' || data[1] != 'M') {
        error = "en-tête de fichier bitmap absent";
        return false;
    }
    const uint32_t offBits = Le32(data, 10);
    const uint32_t headerSize = Le32(data, 14);
    if (headerSize < 12 || headerSize > data.size() - 14) {
        error = "en-tête de bitmap non valide";
        return false;
    }
    BITMAPINFO info;
    BITMAPINFOHEADER& h = info.bmiHeader;
    size_t at = 14 + headerSize;
    size_t quadSize = 4;
    if (headerSize == 12) {
        h.biWidth = Le16(data, 18);
        h.biHeight = Le16(data, 20);
        h.biBitCount = Le16(data, 24);
        quadSize = 3;
    } else if (headerSize >= 40) {
        h.biWidth = static_cast<int32_t>(Le32(data, 18));
        h.biHeight = static_cast<int32_t>(Le32(data, 22));
        h.biBitCount = Le16(data, 28);
        h.biCompression = Le32(data, 30);
        h.biClrUsed = Le32(data, 46);
        if (h.biCompression == BI_BITFIELDS) {
            // Masks stand inside headers of 52 bytes and more, after a 40-byte one.
            const size_t maskAt = headerSize >= 52 ? 14 + 40 : at;
            if (maskAt + 12 > data.size()) {
                error = "masques de couleur absents";
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                const uint32_t m = Le32(data, maskAt + 4 * i);
                info.bmiColors.push_back({static_cast<uint8_t>(m), static_cast<uint8_t>(m >> 8),
                                          static_cast<uint8_t>(m >> 16), static_cast<uint8_t>(m >> 24)});
            }
            if (headerSize < 52)
                at += 12;
        }
    } else {
        error = "en-tête de bitmap non valide";
        return false;
    }
    if (h.biBitCount <= 8) {
        const size_t entries = size_t{1} << std::min<int>(h.biBitCount, 8);
        const size_t count = (h.biClrUsed && h.biClrUsed < entries) ? h.biClrUsed : entries;
        for (size_t i = 0; i < count && at + quadSize <= data.size(); ++i, at += quadSize)
            info.bmiColors.push_back({static_cast<uint8_t>(data[at]), static_cast<uint8_t>(data[at + 1]),
                                      static_cast<uint8_t>(data[at + 2]), 0});
    }
    size_t pixels = at;
    if (offBits >= at && offBits < data.size())
        pixels = offBits;
    if (pixels > data.size()) {
        error = "données de l'image absentes";
        return false;
    }
    return DecodeDib(info, reinterpret_cast<const uint8_t*>(data.data()) + pixels, data.size() - pixels, img,
                     error);
}

std::string WriteBmp(const TDibImage& img)
{
    const BITMAPINFO info = DibInfo(img);
    const BITMAPINFOHEADER& h = info.bmiHeader;
    const uint32_t tableSize = static_cast<uint32_t>(info.bmiColors.size() * 4);
    const uint32_t offBits = 14 + 40 + tableSize;
    const std::string pixels = PackDibBottomUp(img);
    std::string s;
    s.reserve(offBits + pixels.size());
    s += "BM";
    Put32(s, static_cast<uint32_t>(offBits + pixels.size()));
    Put32(s, 0);
    Put32(s, offBits);
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(h.biWidth));
    Put32(s, static_cast<uint32_t>(h.biHeight));
    Put16(s, 1);
    Put16(s, h.biBitCount);
    Put32(s, h.biCompression);
    Put32(s, static_cast<uint32_t>(pixels.size()));
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, h.biClrUsed);
    Put32(s, 0);
    for (const RGBQUAD& q : info.bmiColors) {
        s += static_cast<char>(q.rgbBlue);
        s += static_cast<char>(q.rgbGreen);
        s += static_cast<char>(q.rgbRed);
        s += static_cast<char>(q.rgbReserved);
    }
    s += pixels;
    return s;
}

bool ReadPackedDib(std::string_view data, TDibImage& img, std::string& error)
{
    // A file header whose pixel offset is 0 makes ReadBmp take the pixels
    // right after the header, the colour table and any colour masks.
    std::string file = "BM";
    Put32(file, static_cast<uint32_t>(std::min<size_t>(data.size() + 14, UINT32_MAX)));
    Put32(file, 0);
    Put32(file, 0);
    file.append(data);
    return ReadBmp(file, img, error);
}

std::string WritePackedDib(const TDibImage& img)
{
    return WriteBmp(img).substr(14);
}
