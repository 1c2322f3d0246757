#include "imaging/PcdImage.h"

#include <algorithm>
#include <cmath>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {

int gUnitCount = 0;
constexpr int32_t kBaseWidth = 768, kBaseHeight = 512;
constexpr int64_t kBaseOffset = 0x30000;

uint8_t Clamp(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

void TPCDImage::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t head[73];
    stream.ReadBuffer(head, sizeof head);
    const bool landscape = (head[72] & 0x3F) == 8;
    stream.SetPosition(start + kBaseOffset);
    const size_t pairBytes = kBaseWidth * 2 + kBaseWidth;
    std::string data(pairBytes * (kBaseHeight / 2), '\0');
    stream.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    TDibImage img;
    AllocateDib(img, landscape ? kBaseWidth : kBaseHeight, landscape ? kBaseHeight : kBaseWidth, 24);
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    for (int32_t pair = 0; pair < kBaseHeight / 2; ++pair) {
        const uint8_t* luma = p + static_cast<size_t>(pair) * pairBytes;
        const uint8_t* c1 = luma + kBaseWidth * 2;
        const uint8_t* c2 = c1 + kBaseWidth / 2;
        for (int r = 0; r < 2; ++r) {
            const int32_t y = pair * 2 + r;
            for (int32_t x = 0; x < kBaseWidth; ++x) {
                const double Y = 1.407488 * luma[r * kBaseWidth + x];
                const double C1 = c1[x / 2] - 156.0, C2 = c2[x / 2] - 137.0;
                const uint8_t red = Clamp(Y + 1.323034 * C2);
                const uint8_t green = Clamp(Y - 0.395418 * C1 - 0.67392 * C2);
                const uint8_t blue = Clamp(Y + 2.036045 * C1);
                // An upright picture: source row y becomes bitmap column y,
                // turned a quarter turn anticlockwise.
                const int32_t dx = landscape ? x : y, dy = landscape ? y : kBaseWidth - 1 - x;
                uint8_t* q = img.Row(dy) + dx * 3;
                q[0] = blue;
                q[1] = green;
                q[2] = red;
            }
        }
    }
    SetBitmapPixels(*this, std::move(img));
}

void InitializePcdImageUnit()
{
    if (gUnitCount++ == 0)
        TPicture::RegisterFileFormat("pcd", "Images Photo CD", GraphicClassOf<TPCDImage>("TPCDImage"));
}

void FinalizePcdImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TPCDImage");
}
