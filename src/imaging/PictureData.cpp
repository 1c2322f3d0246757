#include "imaging/PictureData.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/framework/Bitmap.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

namespace imaging {

std::string ReadRest(TStream& stream)
{
    const int64_t left = stream.Size() - stream.Position();
    std::string data;
    if (left <= 0)
        return data;
    data.resize(static_cast<size_t>(left));
    stream.ReadBuffer(data.data(), left);
    return data;
}

void ReadPastEnd()
{
    throw EReadError("Erreur de lecture du flux");
}

uint16_t GetLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetLE32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t GetBE16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t GetBE32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void PutLE16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutLE32(std::string& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void PutBE32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void TByteReader::Skip(size_t count)
{
    if (count > Left())
        ReadPastEnd();
    FPos += count;
}

uint8_t TByteReader::Byte()
{
    if (FPos >= FData.size())
        ReadPastEnd();
    return static_cast<uint8_t>(FData[FPos++]);
}

uint16_t TByteReader::LE16()
{
    const std::string_view b = Bytes(2);
    return GetLE16(reinterpret_cast<const uint8_t*>(b.data()));
}

uint32_t TByteReader::LE32()
{
    const std::string_view b = Bytes(4);
    return GetLE32(reinterpret_cast<const uint8_t*>(b.data()));
}

std::string_view TByteReader::Bytes(size_t count)
{
    if (count > Left())
        ReadPastEnd();
    const std::string_view v = FData.substr(FPos, count);
    FPos += count;
    return v;
}

struct TInflater::TState {
    z_stream Z{};
};

TInflater::TInflater(std::string_view compressed) : FState(new TState), FInput(compressed)
{
    if (inflateInit(&FState->Z) != Z_OK) {
        delete FState;
        throw EOutOfMemory();
    }
    FState->Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(FInput.data()));
    FState->Z.avail_in = static_cast<uInt>(std::min<size_t>(FInput.size(), 0x7FFFFFFF));
}

TInflater::~TInflater()
{
    inflateEnd(&FState->Z);
    delete FState;
}

size_t TInflater::Read(uint8_t* out, size_t count)
{
    if (FEnded || count == 0)
        return 0;
    z_stream& z = FState->Z;
    z.next_out = out;
    z.avail_out = static_cast<uInt>(count);
    while (z.avail_out > 0) {
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            FEnded = true;
            break;
        }
        if (rc == Z_BUF_ERROR)  // no more input
            break;
        if (rc != Z_OK)
            Abort();
    }
    return count - z.avail_out;
}

void TInflater::ReadExact(uint8_t* out, size_t count)
{
    if (Read(out, count) != count)
        ReadPastEnd();
}

struct TDeflater::TState {
    z_stream Z{};
};

TDeflater::TDeflater(int levelIndex) : FState(new TState)
{
    static const int kLevels[4] = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION, Z_BEST_COMPRESSION};
    const int level = kLevels[std::clamp(levelIndex, 0, 3)];
    if (deflateInit(&FState->Z, level) != Z_OK) {
        delete FState;
        throw EOutOfMemory();
    }
}

TDeflater::~TDeflater()
{
    deflateEnd(&FState->Z);
    delete FState;
}

void TDeflater::Write(const uint8_t* data, size_t count)
{
    z_stream& z = FState->Z;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(count);
    uint8_t buffer[65536];
    while (z.avail_in > 0) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        deflate(&z, Z_NO_FLUSH);
        FOut.append(reinterpret_cast<char*>(buffer), sizeof buffer - z.avail_out);
    }
}

std::string TDeflater::Finish()
{
    z_stream& z = FState->Z;
    z.next_in = nullptr;
    z.avail_in = 0;
    uint8_t buffer[65536];
    int rc;
    do {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        rc = deflate(&z, Z_FINISH);
        FOut.append(reinterpret_cast<char*>(buffer), sizeof buffer - z.avail_out);
    } while (rc == Z_OK);
    return std::move(FOut);
}

uint32_t Crc32(uint32_t crc, const void* data, size_t count)
{
    return static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(count)));
}

void SetBitmapPixels(TBitmap& bitmap, TDibImage&& image)
{
    if (image.Empty()) {
        bitmap.SetHandle(nullptr);
        return;
    }
    HBITMAP h = CreateBitmapFromDib(std::move(image));
    if (!h)
        throw EOutOfMemory();
    bitmap.SetHandle(h);
}

TDibImage BitmapPixels(TBitmap& bitmap)
{
    TDibImage img;
    if (bitmap.Handle())
        GetBitmapDib(bitmap.Handle(), &img);
    return img;
}

TDibImage BitmapPixels24(TBitmap& bitmap)
{
    TDibImage img = BitmapPixels(bitmap);
    if (img.Empty() || img.BitCount == 24)
        return img;
    return ConvertDib(img, 24);
}

void CheckPictureSize(int64_t width, int64_t height, int bitCount)
{
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        Abort();
    if (width * height > MaxDibPixels || static_cast<int64_t>(DibStride(static_cast<int32_t>(std::min<int64_t>(width, 0x7FFFFFF)), bitCount)) * height > MaxDibBytes)
        Abort();
}

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b)
{
    RGBQUAD q{};
    q.rgbRed = r;
    q.rgbGreen = g;
    q.rgbBlue = b;
    q.rgbReserved = 0;
    return q;
}

}  // namespace imaging
