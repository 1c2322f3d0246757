#pragma once
// Helpers shared by the picture codecs: whole-stream reads, bounded byte
// access to data held in memory, big- and little-endian fields, zlib
// inflation and deflation of picture data, and the hand-over of decoded
// pixels to a bitmap.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Dib.h"

class TBitmap;
class TStream;

namespace imaging {

// The bytes from the stream's position to its end.
std::string ReadRest(TStream& stream);

// The read error of a stream, for data that ends before what it announces.
[[noreturn]] void ReadPastEnd();

uint16_t GetLE16(const uint8_t* p);
uint32_t GetLE32(const uint8_t* p);
uint16_t GetBE16(const uint8_t* p);
uint32_t GetBE32(const uint8_t* p);
void PutLE16(std::string& out, uint16_t v);
void PutLE32(std::string& out, uint32_t v);
void PutBE32(std::string& out, uint32_t v);

// Sequential reads of a block in memory; every read past the end raises the
// stream read error, so no field is ever taken from outside the data.
class TByteReader {
public:
    explicit TByteReader(std::string_view data) : FData(data) {}
    size_t Position() const { return FPos; }
    size_t Size() const { return FData.size(); }
    size_t Left() const { return FData.size() - FPos; }
    bool AtEnd() const { return FPos >= FData.size(); }
    void Seek(size_t pos) { FPos = pos <= FData.size() ? pos : FData.size(); }
    void Skip(size_t count);
    uint8_t Byte();
    uint16_t LE16();
    uint32_t LE32();
    // A view of the next count bytes.
    std::string_view Bytes(size_t count);

private:
    std::string_view FData;
    size_t FPos = 0;
};

// zlib inflation of a block, read in fixed pieces: ReadExact raises the stream
// read error when the data ends first and the silent abort on damaged data.
class TInflater {
public:
    explicit TInflater(std::string_view compressed);
    ~TInflater();
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    void ReadExact(uint8_t* out, size_t count);
    // Reads at most count bytes; returns the bytes produced (0 at the end).
    size_t Read(uint8_t* out, size_t count);

private:
    struct TState;
    TState* FState;
    std::string_view FInput;
    bool FEnded = false;
};

// zlib deflation at a level index: 0 none, 1 fastest, 2 zlib's default, 3 best.
class TDeflater {
public:
    explicit TDeflater(int levelIndex);
    ~TDeflater();
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;
    void Write(const uint8_t* data, size_t count);
    // Flushes the rest and returns all compressed bytes.
    std::string Finish();

private:
    struct TState;
    TState* FState;
    std::string FOut;
};

// The standard CRC-32 of the bytes, continuing from crc (0 to start).
uint32_t Crc32(uint32_t crc, const void* data, size_t count);

// Makes the bitmap hold the pixels (its handle is replaced).
void SetBitmapPixels(TBitmap& bitmap, TDibImage&& image);
// A copy of the bitmap's pixels (empty image when the bitmap is empty).
TDibImage BitmapPixels(TBitmap& bitmap);
// A copy of the bitmap's pixels at 24 bits per pixel.
TDibImage BitmapPixels24(TBitmap& bitmap);

// Refuses a picture whose pixels could not be held: a width or height of 0
// or below, or more than the bitmap limits allow, raises the silent abort.
void CheckPictureSize(int64_t width, int64_t height, int bitCount);

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b);

}  // namespace imaging
