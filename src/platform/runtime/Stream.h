#pragma once
// The stream family: a byte stream with a position, read and written in blocks.
// Read and Write move as many bytes as they can and return the count;
// ReadBuffer and WriteBuffer raise on a short transfer.
#include <cstddef>
#include <cstdint>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // Raise EReadError / EWriteError unless all bytes move.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole source
    // from its start. Returns the bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);

    // Small conveniences for the binary formats (little-endian).
    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadDWord();
    void WriteByte(uint8_t v) { WriteBuffer(&v, 1); }
    void WriteWord(uint16_t v);
    void WriteDWord(uint32_t v);
    void WriteString(const std::string& s) { WriteBuffer(s.data(), static_cast<int64_t>(s.size())); }
};

// A stream over a block of memory. Read-only views over a foreign block can be
// made with SetPointer; the block is then neither grown nor freed.
class TCustomMemoryStream : public TStream {
public:
    int32_t Read(void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }
    void* Memory() const { return FMemory; }
    void SaveToStream(TStream& stream);

protected:
    void SetPointer(void* ptr, int64_t size);
    void* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// A growable stream in memory that owns its block.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int32_t Write(const void* buffer, int32_t count) override;
    void SetSize(int64_t newSize) override;
    void Clear();
    void LoadFromStream(TStream& stream);
    int64_t Capacity() const { return FCapacity; }
    void SetCapacity(int64_t newCapacity);

    // Takes over a block allocated with malloc: the stream owns and frees it.
    void TakeOver(void* block, int64_t size);
    // Gives up the block (to be freed with free by the caller) and empties the stream.
    void* Release();

private:
    int64_t FCapacity = 0;
};

// A read-only stream over memory that someone else owns.
class TForeignMemoryStream : public TCustomMemoryStream {
public:
    TForeignMemoryStream(const void* data, int64_t size) { SetPointer(const_cast<void*>(data), size); }
    int32_t Write(const void* buffer, int32_t count) override;
};

// A stream over an owned std::string, handy for text and tests.
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string data = {}) : FData(std::move(data)) {}
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    const std::string& DataString() const { return FData; }

private:
    std::string FData;
    int64_t FPosition = 0;
};
