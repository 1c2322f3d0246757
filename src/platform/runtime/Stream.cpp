#include "platform/runtime/Stream.h"

#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {
const char* const kReadError = "Erreur de lecture du flux";
const char* const kWriteError = "Erreur d'écriture dans le flux";
constexpr int32_t kMaxChunk = std::numeric_limits<int32_t>::max();
}  // namespace

int64_t TStream::Size()
{
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("Ce flux ne peut pas changer de taille");
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(count, kMaxChunk));
        int32_t got = Read(p, chunk);
        if (got != chunk)
            throw EReadError(kReadError);
        p += got;
        count -= got;
    }
    if (count < 0)
        throw EReadError(kReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    auto* p = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(count, kMaxChunk));
        int32_t put = Write(p, chunk);
        if (put != chunk)
            throw EWriteError(kWriteError);
        p += put;
        count -= put;
    }
    if (count < 0)
        throw EWriteError(kWriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)) + 1);
    while (count > 0) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(buf.size())));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

uint8_t TStream::ReadByte()
{
    uint8_t v;
    ReadBuffer(&v, 1);
    return v;
}

uint16_t TStream::ReadWord()
{
    uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadDWord()
{
    uint8_t b[4];
    ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

void TStream::WriteWord(uint16_t v)
{
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteDWord(uint32_t v)
{
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    WriteBuffer(b, 4);
}

// --- TCustomMemoryStream ---------------------------------------------------

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || FPosition >= FSize)
        return 0;
    int64_t n = std::min<int64_t>(count, FSize - FPosition);
    std::memcpy(buffer, static_cast<uint8_t*>(FMemory) + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return static_cast<int32_t>(n);
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize;
    int64_t pos = base + offset;
    if (pos < 0)
        throw EStreamError("Position de flux incorrecte");
    FPosition = pos;
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream)
{
    if (FSize > 0)
        stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SetPointer(void* ptr, int64_t size)
{
    FMemory = ptr;
    FSize = size;
}

// --- TMemoryStream ---------------------------------------------------------

TMemoryStream::~TMemoryStream()
{
    std::free(FMemory);
}

void TMemoryStream::SetCapacity(int64_t newCapacity)
{
    if (newCapacity < 0)
        throw EStreamError("Capacité de flux incorrecte");
    if (newCapacity == FCapacity)
        return;
    if (newCapacity == 0) {
        std::free(FMemory);
        FMemory = nullptr;
        FCapacity = 0;
        return;
    }
    void* p = std::realloc(FMemory, static_cast<size_t>(newCapacity));
    if (!p)
        throw EOutOfMemory();
    FMemory = p;
    FCapacity = newCapacity;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Taille de flux incorrecte");
    if (newSize > FCapacity)
        SetCapacity(newSize);
    FSize = newSize;
    if (FPosition > newSize)
        FPosition = newSize;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    int64_t end = FPosition + count;
    if (end > FCapacity) {
        // Grow geometrically so that appending stays linear.
        int64_t cap = std::max<int64_t>(end, FCapacity + FCapacity / 2);
        cap = (cap + 0xFFF) & ~int64_t(0xFFF);
        SetCapacity(cap);
    }
    if (FPosition > FSize)
        std::memset(static_cast<uint8_t*>(FMemory) + FSize, 0, static_cast<size_t>(FPosition - FSize));
    std::memcpy(static_cast<uint8_t*>(FMemory) + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    if (end > FSize)
        FSize = end;
    return count;
}

void TMemoryStream::Clear()
{
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    int64_t n = stream.Size();
    SetSize(n);
    if (n > 0)
        stream.ReadBuffer(FMemory, n);
    FPosition = 0;
}

void TMemoryStream::TakeOver(void* block, int64_t size)
{
    std::free(FMemory);
    FMemory = block;
    FSize = size;
    FCapacity = size;
    FPosition = 0;
}

void* TMemoryStream::Release()
{
    void* p = FMemory;
    FMemory = nullptr;
    FSize = FCapacity = FPosition = 0;
    return p;
}

int32_t TForeignMemoryStream::Write(const void*, int32_t)
{
    return 0;  // the block belongs to someone else and cannot grow
}

// --- TStringStream ---------------------------------------------------------

int32_t TStringStream::Read(void* buffer, int32_t count)
{
    const int64_t size = static_cast<int64_t>(FData.size());
    if (count <= 0 || FPosition >= size)
        return 0;
    int64_t n = std::min<int64_t>(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return static_cast<int32_t>(n);
}

int32_t TStringStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    size_t end = static_cast<size_t>(FPosition) + static_cast<size_t>(count);
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = static_cast<int64_t>(end);
    return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? FPosition
                                                      : static_cast<int64_t>(FData.size());
    int64_t pos = base + offset;
    if (pos < 0)
        throw EStreamError("Position de flux incorrecte");
    FPosition = pos;
    return FPosition;
}

void TStringStream::SetSize(int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Taille de flux incorrecte");
    FData.resize(static_cast<size_t>(newSize));
    if (FPosition > newSize)
        FPosition = newSize;
}
