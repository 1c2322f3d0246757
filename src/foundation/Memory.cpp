#include "foundation/Memory.h"

#include "platform/runtime/Exception.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

void* DefaultRealloc(void* block, size_t size)
{
    return std::realloc(block, size);
}

std::atomic<TMemoryReallocator> g_Realloc{&DefaultRealloc};

constexpr int32_t kMaxSize = std::numeric_limits<int32_t>::max();

[[noreturn]] void RaiseBadRange()
{
    throw EInternalError("Accès en dehors d'un tampon mémoire");
}

// Brings a block from capacity `capacity` to the capacity the rule gives for
// newSize. The block and capacity change only once the allocation succeeded;
// a shrinking reallocation that fails keeps the larger block.
void Reallocate(uint8_t*& data, int32_t& capacity, int32_t newSize)
{
    const int32_t newCapacity = MemoryCapacityFor(newSize, capacity);
    if (newCapacity == capacity)
        return;
    if (newCapacity == 0) {
        std::free(data);
        data = nullptr;
        capacity = 0;
        return;
    }
    void* block = g_Realloc.load()(data, static_cast<size_t>(newCapacity));
    if (!block) {
        if (newCapacity < capacity)
            return;
        throw EOutOfMemory();
    }
    data = static_cast<uint8_t*>(block);
    capacity = newCapacity;
}

}  // namespace

int32_t MemoryCapacityFor(int32_t n, int32_t capacity)
{
    if (n == capacity)
        return capacity;
    if (n <= 0)
        return 0;
    if (n >= 256) {
        if (n <= capacity)
            return capacity;
        const int64_t wanted = static_cast<int64_t>(n) + n / 4;
        return wanted > kMaxSize ? kMaxSize : static_cast<int32_t>(wanted);
    }
    if (n < 16)
        return 16;
    if (n < 32)
        return 32;
    if (n < 64)
        return 64;
    if (n < 128)
        return 128;
    return 256;
}

TMemoryReallocator SetMemoryReallocator(TMemoryReallocator reallocator)
{
    return g_Realloc.exchange(reallocator ? reallocator : &DefaultRealloc);
}

TMemory::~TMemory()
{
    std::free(FData);
}

TMemory::TMemory(TMemory&& other) noexcept
    : FCapacity(std::exchange(other.FCapacity, 0)),
      FData(std::exchange(other.FData, nullptr)),
      FSize(std::exchange(other.FSize, 0))
{
}

TMemory& TMemory::operator=(TMemory&& other) noexcept
{
    if (this != &other) {
        std::free(FData);
        FCapacity = std::exchange(other.FCapacity, 0);
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
    }
    return *this;
}

void TMemory::SetSize(int32_t newSize)
{
    if (newSize < 0)
        RaiseBadRange();
    Reallocate(FData, FCapacity, newSize);
    FSize = newSize;
}

void TMemory::Clear()
{
    SetSize(0);
}

void TMemory::Attach(void* block, int32_t count)
{
    Clear();
    if (count <= 0) {
        // Nothing to hold: a block given with it is released rather than lost.
        std::free(block);
        return;
    }
    FData = static_cast<uint8_t*>(block);
    FCapacity = count;
    FSize = count;
}

int32_t TMemory::GrownSize(int32_t count) const
{
    if (count < 0)
        RaiseBadRange();
    const int64_t total = static_cast<int64_t>(FSize) + count;
    if (total > kMaxSize)
        throw EOutOfMemory();
    return static_cast<int32_t>(total);
}

void TMemory::CheckRange(int64_t offset, int64_t count) const
{
    if (offset < 0 || count < 0 || offset + count > FSize)
        RaiseBadRange();
}

void TMemory::Append(const void* source, int32_t count)
{
    Insert(source, FSize, count);
}

void TMemory::AppendMemory(const TMemory& other)
{
    Append(other.FData, other.FSize);
}

void TMemory::AppendByte(uint8_t value)
{
    const int32_t at = FSize;
    SetSize(GrownSize(1));
    FData[at] = value;
}

void TMemory::AppendWord(uint16_t value)
{
    const int32_t at = FSize;
    SetSize(GrownSize(2));
    FData[at] = static_cast<uint8_t>(value);
    FData[at + 1] = static_cast<uint8_t>(value >> 8);
}

void TMemory::AppendDWord(uint32_t value)
{
    const int32_t at = FSize;
    SetSize(GrownSize(4));
    for (int i = 0; i < 4; ++i)
        FData[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void TMemory::Insert(const void* source, int32_t offset, int32_t count)
{
    const int32_t oldSize = FSize;
    const int32_t newSize = GrownSize(count);
    if (offset < 0 || offset > oldSize)
        RaiseBadRange();
    if (count == 0)
        return;
    // The source may lie inside this buffer (appending a buffer to itself):
    // remember it as an offset, since growing may move the block.
    const auto* src = static_cast<const uint8_t*>(source);
    const auto srcAddr = reinterpret_cast<uintptr_t>(src);
    const auto dataAddr = reinterpret_cast<uintptr_t>(FData);
    const bool inside = FData && srcAddr >= dataAddr && srcAddr < dataAddr + static_cast<uintptr_t>(oldSize);
    const ptrdiff_t srcOffset = inside ? static_cast<ptrdiff_t>(srcAddr - dataAddr) : 0;
    SetSize(newSize);
    std::memmove(FData + offset + count, FData + offset, static_cast<size_t>(oldSize - offset));
    if (inside) {
        // Bytes of the source that stood at or after offset have moved up.
        for (int32_t i = 0; i < count; ++i) {
            ptrdiff_t from = srcOffset + i;
            if (from >= offset)
                from += count;
            FData[offset + i] = FData[from];
        }
    } else {
        std::memcpy(FData + offset, src, static_cast<size_t>(count));
    }
}

void TMemory::Delete(int32_t offset, int32_t count)
{
    CheckRange(offset, count);
    if (count == 0)
        return;
    std::memmove(FData + offset, FData + offset + count, static_cast<size_t>(FSize - offset - count));
    SetSize(FSize - count);
}

void TMemory::Assign(const TMemory& other)
{
    if (&other == this)
        return;
    SetData(other.FData, other.FSize);
}

void TMemory::SetData(const void* source, int32_t count)
{
    if (count < 0)
        RaiseBadRange();
    const auto srcAddr = reinterpret_cast<uintptr_t>(source);
    const auto dataAddr = reinterpret_cast<uintptr_t>(FData);
    if (count > 0 && FData && srcAddr >= dataAddr && srcAddr < dataAddr + static_cast<uintptr_t>(FSize)) {
        // A part of this very buffer: move it to the front first.
        const auto at = static_cast<int64_t>(srcAddr - dataAddr);
        CheckRange(at, count);
        std::memmove(FData, source, static_cast<size_t>(count));
        SetSize(count);
        return;
    }
    SetSize(count);
    if (count > 0)
        std::memcpy(FData, source, static_cast<size_t>(count));
}

void TMemory::Read(void* destination, int32_t offset, int32_t count) const
{
    CheckRange(offset, count);
    if (count > 0)
        std::memcpy(destination, FData + offset, static_cast<size_t>(count));
}

void TMemory::ResizeExternal(void*& data, int32_t& capacity, int32_t newSize)
{
    if (newSize < 0)
        RaiseBadRange();
    // A capacity of 0 means that no block is held, whatever the pointer says.
    auto* block = capacity > 0 ? static_cast<uint8_t*>(data) : nullptr;
    int32_t cap = capacity > 0 ? capacity : 0;
    Reallocate(block, cap, newSize);
    data = block;
    capacity = cap;
}
