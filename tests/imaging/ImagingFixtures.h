#pragma once
// Helpers of the picture codec tests: codecs registered, pictures loaded from
// bytes, their pixels as R, G, B bytes, and small pictures built in code.
#include "imaging/GifImage.h"
#include "imaging/ImagingUnits.h"
#include "imaging/JpegImage.h"
#include "imaging/PictureData.h"
#include "platform/framework/Bitmap.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/runtime/Stream.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Registers the codecs for the test (counted: every test may do it).
class TImagingTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeImagingUnits(); }
    void TearDown() override { FinalizeImagingUnits(); }
};

// The bitmap that shows a picture of any codec class.
inline TBitmap* ShownBitmap(TGraphic& g)
{
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(&g))
        return &jpeg->Bitmap();
    if (auto* gif = dynamic_cast<TGIFImage*>(&g))
        return &gif->GetBitmap();
    return dynamic_cast<TBitmap*>(&g);
}

// Pixels as R, G, B bytes, rows from the top.
inline std::string RgbBytes(TBitmap& bitmap)
{
    const TDibImage img = imaging::BitmapPixels(bitmap);
    std::string out;
    out.reserve(static_cast<size_t>(img.Width) * img.Height * 3);
    std::vector<uint32_t> row(static_cast<size_t>(std::max(0, img.Width)));
    for (int32_t y = 0; y < img.Height; ++y) {
        ReadDibRow(img, y, 0, img.Width, row.data());
        for (uint32_t c : row) {
            out += static_cast<char>((c >> 16) & 0xFF);
            out += static_cast<char>((c >> 8) & 0xFF);
            out += static_cast<char>(c & 0xFF);
        }
    }
    return out;
}

inline uint32_t RgbCrc(const std::string& rgb)
{
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(rgb.data()), static_cast<uInt>(rgb.size())));
}

// Loads bytes with a picture of class T.
template <class T>
std::unique_ptr<T> LoadBytes(const std::string& bytes)
{
    auto picture = std::make_unique<T>();
    TStringStream stream(bytes);
    picture->LoadFromStream(stream);
    return picture;
}

template <class T>
std::string SaveBytes(T& picture)
{
    TStringStream stream;
    picture.SaveToStream(stream);
    return stream.DataString();
}

// A 24-bit bitmap filled by a function of (x, y) giving 0x00RRGGBB.
template <class F>
void FillBitmap(TBitmap& bitmap, int32_t width, int32_t height, int bitCount, F colour)
{
    TDibImage img;
    AllocateDib(img, width, height, bitCount);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetDibPixel(img, x, y, colour(x, y));
    imaging::SetBitmapPixels(bitmap, std::move(img));
}

inline uint32_t PixelAt(TBitmap& bitmap, int32_t x, int32_t y)
{
    const TDibImage img = imaging::BitmapPixels(bitmap);
    return DibPixel(img, x, y);
}
