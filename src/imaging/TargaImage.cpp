#include "imaging/TargaImage.h"

#include <algorithm>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {

int gUnitCount = 0;

// A 5-bit component scaled to the full 8-bit range (31 gives 255).
uint8_t Scale5(uint32_t v)
{
    return static_cast<uint8_t>((v & 31) * 255 / 31);
}

}  // namespace

void TTargaImage::LoadFromStream(TStream& stream)
{
    uint8_t h[18];
    stream.ReadBuffer(h, 18);
    const uint8_t idLength = h[0], mapType = h[1], type = h[2];
    const uint16_t mapOrigin = GetLE16(h + 3), mapLength = GetLE16(h + 5);
    const uint8_t mapEntrySize = h[7];
    const uint16_t width = GetLE16(h + 12), height = GetLE16(h + 14);
    const uint8_t depth = h[16], descriptor = h[17];
    const bool typeOk = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool depthOk = depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    if (!typeOk || !depthOk)
        Abort();
    const int bitmapDepth = depth == 1 ? 1 : depth <= 8 ? 8 : 24;
    CheckPictureSize(width, height, bitmapDepth);
    const std::string rest = ReadRest(stream);
    TByteReader in(rest);
    in.Skip(idLength);
    // The palette of this load: full 8-bit components. Colour-map entries at
    // 256 and above are read past and dropped.
    std::vector<RGBQUAD> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<size_t>(i)] = Quad(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    if (mapType == 1) {
        const size_t entryBytes = (mapEntrySize + 7u) / 8u;
        for (uint32_t i = 0; i < mapLength; ++i) {
            const std::string_view e = in.Bytes(entryBytes);
            const uint32_t index = mapOrigin + i;
            if (index >= 256)
                continue;
            const auto* p = reinterpret_cast<const uint8_t*>(e.data());
            RGBQUAD& q = palette[index];
            if (entryBytes == 2) {
                const uint16_t v = GetLE16(p);
                q = Quad(Scale5(v >> 10), Scale5(v >> 5), Scale5(v));
            } else if (entryBytes >= 3) {
                q = Quad(p[2], p[1], p[0]);
            }
        }
    } else if (mapType != 0) {
        Abort();
    }
    if (depth == 1) {
        palette = {Quad(0, 0, 0), Quad(255, 255, 255)};
    }
    const size_t pixelBytes = depth <= 8 ? 1 : (depth + 7u) / 8u;
    const size_t pixels = static_cast<size_t>(width) * height;
    // Pixel data in one buffer of pixelBytes each (for 1 and 4 bits, one byte
    // holds 8 or 2 pixels and the rows are packed as the file has them).
    const size_t rowBytes = depth == 1 ? (width + 7u) / 8u : depth == 4 ? (width + 1u) / 2u : width * pixelBytes;
    std::vector<uint8_t> raw(rowBytes * height, 0);
    if (type >= 9) {
        // Run-length packets; a packet that runs past the picture is cut.
        const size_t unit = depth < 8 ? 1 : pixelBytes;
        size_t out = 0;
        while (out < raw.size() && !in.AtEnd()) {
            const uint8_t packet = in.Byte();
            const size_t count = (packet & 0x7F) + 1u;
            if (packet & 0x80) {
                const std::string_view v = in.Bytes(unit);
                for (size_t k = 0; k < count && out < raw.size(); ++k)
                    for (size_t b = 0; b < unit && out < raw.size(); ++b)
                        raw[out++] = static_cast<uint8_t>(v[b]);
            } else {
                const std::string_view v = in.Bytes(std::min(count * unit, in.Left()));
                for (size_t b = 0; b < v.size() && out < raw.size(); ++b)
                    raw[out++] = static_cast<uint8_t>(v[b]);
            }
        }
    } else {
        const std::string_view v = in.Bytes(std::min(raw.size(), in.Left()));
        std::copy(v.begin(), v.end(), raw.begin());
        if (v.size() < raw.size())
            ReadPastEnd();
    }
    (void)pixels;
    TDibImage img;
    AllocateDib(img, width, height, bitmapDepth);
    if (bitmapDepth <= 8)
        img.Colors = palette;
    const bool topDown = (descriptor & 0x20) != 0, mirrored = (descriptor & 0x10) != 0;
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t* src = raw.data() + static_cast<size_t>(r) * rowBytes;
        uint8_t* dst = img.Row(topDown ? r : height - 1 - r);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = mirrored ? width - 1 - x : x;
            switch (depth) {
            case 1:
                if ((src[sx / 8] >> (7 - (sx & 7))) & 1)
                    dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
                break;
            case 4: dst[x] = static_cast<uint8_t>((src[sx / 2] >> ((sx & 1) ? 0 : 4)) & 0xF); break;
            case 8: dst[x] = src[sx]; break;
            case 16: {
                const uint16_t v = GetLE16(src + sx * 2);
                dst[x * 3 + 0] = Scale5(v);
                dst[x * 3 + 1] = Scale5(v >> 5);
                dst[x * 3 + 2] = Scale5(v >> 10);
                break;
            }
            default: {
                // 24 and 32 bits: blue, green, red (and alpha, dropped).
                const uint8_t* p = src + static_cast<size_t>(sx) * pixelBytes;
                dst[x * 3 + 0] = p[0];
                dst[x * 3 + 1] = p[1];
                dst[x * 3 + 2] = p[2];
                break;
            }
            }
        }
    }
    SetBitmapPixels(*this, std::move(img));
}

void InitializeTargaImageUnit()
{
    if (gUnitCount++ == 0)
        TPicture::RegisterFileFormat("tga", "Images Targa", GraphicClassOf<TTargaImage>("TTargaImage"));
}

void FinalizeTargaImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TTargaImage");
}
