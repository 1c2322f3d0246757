#include "imaging/PictureData.h"

#include "foundation/Compression.h"

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

// Inflation and deflation go through the program's compression streams.
struct TInflater::TState {
    explicit TState(std::string_view input) : Source(input.data(), static_cast<int64_t>(input.size())), Z(Source) {}
    TForeignMemoryStream Source;
    TZDecompressionStream Z;
};

TInflater::TInflater(std::string_view compressed) : FState(new TState(compressed)), FInput(compressed) {}

TInflater::~TInflater()
{
    delete FState;
}

size_t TInflater::Read(uint8_t* out, size_t count)
{
    if (FEnded || count == 0)
        return 0;
    size_t done = 0;
    try {
        while (done < count) {
            const int32_t piece = static_cast<int32_t>(std::min<size_t>(count - done, 0x40000000));
            const int32_t got = FState->Z.Read(out + done, piece);
            done += static_cast<size_t>(got);
            if (got < piece) {
                FEnded = true;
                break;
            }
        }
    } catch (const EDecompressionError&) {
        Abort();  // damaged picture data ends the read silently
    }
    return done;
}

void TInflater::ReadExact(uint8_t* out, size_t count)
{
    if (Read(out, count) != count)
        ReadPastEnd();
}

struct TDeflater::TState {
    explicit TState(int level) : Z(level, Target) {}
    TStringStream Target;
    TZCompressionStream Z;
};

TDeflater::TDeflater(int levelIndex) : FState(new TState(levelIndex)) {}

TDeflater::~TDeflater()
{
    delete FState;
}

void TDeflater::Write(const uint8_t* data, size_t count)
{
    while (count > 0) {
        const int32_t piece = static_cast<int32_t>(std::min<size_t>(count, 0x40000000));
        FState->Z.Write(data, piece);
        data += piece;
        count -= static_cast<size_t>(piece);
    }
}

std::string TDeflater::Finish()
{
    FState->Z.Finish();
    FOut = FState->Target.DataString();
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
