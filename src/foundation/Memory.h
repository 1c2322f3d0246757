#pragma once
// TMemory: the program's growable byte buffer. Paragraph text, format pools,
// reader and writer buffers, loaded resources and file data live in it. Its
// growth rule decides how often every edit reallocates, so it is fixed: power-of-
// two steps below 256 bytes (16, 32, 64, 128, 256), a quarter of head room from
// 256 bytes on, and a buffer of 256 bytes or more never shrinks unless it is set
// below 256.
#include <cstddef>
#include <cstdint>

class TMemory {
public:
    TMemory() = default;
    ~TMemory();
    TMemory(const TMemory&) = delete;
    TMemory& operator=(const TMemory&) = delete;
    TMemory(TMemory&& other) noexcept;
    TMemory& operator=(TMemory&& other) noexcept;

    int32_t Size() const { return FSize; }
    int32_t Capacity() const { return FCapacity; }
    uint8_t* Data() { return FData; }
    const uint8_t* Data() const { return FData; }

    // Sets the size and applies the growth rule. Raises EOutOfMemory when the
    // block cannot be allocated; the buffer is then left as it was.
    void SetSize(int32_t newSize);
    // Size 0, which frees the block.
    void Clear();
    // Takes over a block allocated with malloc (or by MemoryReallocate) as the
    // whole content: capacity = size = count.
    void Attach(void* block, int32_t count);
    void Append(const void* source, int32_t count);
    void AppendMemory(const TMemory& other);
    // Little-endian, least significant byte first.
    void AppendByte(uint8_t value);
    void AppendWord(uint16_t value);
    void AppendDWord(uint32_t value);
    // Grows by count and copies count bytes to offset, moving the bytes from
    // offset on up by count. Offset may equal the size (an append).
    void Insert(const void* source, int32_t offset, int32_t count);
    // Removes count bytes at offset; never raises for offsets within the size.
    void Delete(int32_t offset, int32_t count);
    void Assign(const TMemory& other);
    void SetData(const void* source, int32_t count);
    void Read(void* destination, int32_t offset, int32_t count) const;

    // Applies the growth rule to a block that the caller keeps in its own two
    // variables (a malloc block and its capacity); on failure they are unchanged.
    static void ResizeExternal(void*& data, int32_t& capacity, int32_t newSize);

private:
    void CheckRange(int64_t offset, int64_t count) const;
    int32_t GrownSize(int32_t count) const;

    int32_t FCapacity = 0;
    uint8_t* FData = nullptr;
    int32_t FSize = 0;
};

// The capacity that the growth rule gives for a new size, starting from the
// current capacity (the current capacity itself when no reallocation is due).
int32_t MemoryCapacityFor(int32_t newSize, int32_t currentCapacity);

// The allocator behind every TMemory block: realloc semantics (a null block
// allocates, size 0 is never asked). Tests replace it to run out of memory on
// purpose; the previous one is returned.
using TMemoryReallocator = void* (*)(void* block, size_t size);
TMemoryReallocator SetMemoryReallocator(TMemoryReallocator reallocator);
