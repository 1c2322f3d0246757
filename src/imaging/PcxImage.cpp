#include "imaging/PcxImage.h"

#include <algorithm>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {
int gUnitCount = 0;
}

void TPCXImage::LoadFromStream(TStream& stream)
{
    uint8_t h[128];
    stream.ReadBuffer(h, 128);
    const uint8_t version = h[1], bits = h[3], planes = h[65];
    if (h[0] != 0x0A || (version != 0 && version != 2 && version != 5) || (planes != 1 && planes != 3 && planes != 4))
        Abort();
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
        Abort();
    const int64_t width = static_cast<int64_t>(GetLE16(h + 8)) - GetLE16(h + 4) + 1;
    const int64_t height = static_cast<int64_t>(GetLE16(h + 10)) - GetLE16(h + 6) + 1;
    const uint32_t bytesPerLine = GetLE16(h + 66);
    const int total = bits * planes;
    // 1 to 4 bits in all (2-bit and 3-plane pictures too) take the header's
    // 16 colours; 8 bits the 256 colours at the end of the file; more, 24 bits.
    const int depth = total <= 4 ? 4 : total == 8 ? 8 : 24;
    CheckPictureSize(width, height, depth);
    if (bytesPerLine == 0)
        Abort();
    const std::string rest = ReadRest(stream);
    // Only the bytes of a plane's line that hold pixels are kept: a header
    // may declare lines far longer than the picture (padding), which would
    // otherwise cost memory out of all proportion to the file.
    const size_t used = std::min<size_t>(bytesPerLine, (static_cast<size_t>(width) * bits + 7) / 8);
    const size_t lineBytes = used * planes;
    const size_t need = static_cast<size_t>(bytesPerLine) * planes * static_cast<size_t>(height);
    // Runs are decoded into exactly the picture's bytes: a run that goes past
    // the end is cut there. Data that ends early leaves the rest 0.
    std::vector<uint8_t> raw(lineBytes * static_cast<size_t>(height), 0);
    size_t out = 0, in = 0;
    const size_t dataEnd = depth == 8 && rest.size() >= 769 ? rest.size() - 769 : rest.size();
    while (out < need && in < dataEnd) {
        uint8_t b = static_cast<uint8_t>(rest[in++]);
        size_t count = 1;
        if (b >= 0xC0) {
            count = b & 0x3F;
            if (in >= rest.size())
                break;
            b = static_cast<uint8_t>(rest[in++]);
        }
        count = std::min(count, need - out);
        for (size_t k = 0; k < count; ++k, ++out) {
            const size_t column = out % bytesPerLine;
            if (column < used)
                raw[out / bytesPerLine * used + column] = b;
        }
    }
    TDibImage img;
    AllocateDib(img, static_cast<int32_t>(width), static_cast<int32_t>(height), depth);
    if (depth == 4) {
        img.Colors.clear();
        for (int i = 0; i < 16; ++i)
            img.Colors.push_back(Quad(h[16 + i * 3], h[17 + i * 3], h[18 + i * 3]));
    } else if (depth == 8) {
        img.Colors.clear();
        // The 256 colours follow a 0x0C byte at the end; without them, greys.
        const bool has = rest.size() >= 769 && static_cast<uint8_t>(rest[rest.size() - 769]) == 0x0C;
        for (int i = 0; i < 256; ++i) {
            if (has) {
                const auto* p = reinterpret_cast<const uint8_t*>(rest.data()) + rest.size() - 768 + i * 3;
                img.Colors.push_back(Quad(p[0], p[1], p[2]));
            } else {
                img.Colors.push_back(Quad(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
            }
        }
    }
    const uint32_t mask = (1u << bits) - 1;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* line = raw.data() + static_cast<size_t>(y) * lineBytes;
        uint8_t* dst = img.Row(static_cast<int32_t>(y));
        for (int64_t x = 0; x < width; ++x) {
            const uint64_t bit = static_cast<uint64_t>(x) * bits;
            if (bit / 8 >= used)
                break;  // a line shorter than the picture: the rest stays 0
            uint32_t v[4] = {0, 0, 0, 0};
            for (int p = 0; p < planes; ++p)
                v[p] = (line[static_cast<size_t>(p) * used + bit / 8] >> (8 - bits - bit % 8)) & mask;
            if (depth == 24) {
                dst[x * 3 + 0] = static_cast<uint8_t>(v[2]);
                dst[x * 3 + 1] = static_cast<uint8_t>(v[1]);
                dst[x * 3 + 2] = static_cast<uint8_t>(v[0]);
                continue;
            }
            uint32_t value = 0;
            for (int p = 0; p < planes; ++p)
                value |= v[p] << (p * bits);
            if (depth == 8)
                dst[x] = static_cast<uint8_t>(value);
            else
                dst[x / 2] |= static_cast<uint8_t>((value & 0xF) << ((x & 1) ? 0 : 4));
        }
    }
    SetBitmapPixels(*this, std::move(img));
}

void InitializePcxImageUnit()
{
    if (gUnitCount++ == 0)
        TPicture::RegisterFileFormat("pcx", "Images PCX", GraphicClassOf<TPCXImage>("TPCXImage"));
}

void FinalizePcxImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TPCXImage");
}
