#pragma once
// Compound files (structured storage) written: a root storage holding named
// streams, as the Word writer makes them. The streams are gathered in memory
// while the caller fills them and laid out once, when the file is built:
// streams of 4,096 bytes and more in 512-byte sectors, shorter ones in the
// mini stream of 64-byte sectors, then the mini allocation table, the
// directory (each storage's children kept as a red-black tree of the format's
// name order) and the allocation table with its extension sectors.
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One stream being written: a position and a block write, the stream
// growing as the writes go past its end (a seek past the end leaves zeros).
class TStorageWriteStream {
public:
    int64_t Position() const { return FPosition; }
    void Seek(int64_t position);
    void Write(const void* data, size_t count);
    void WriteU8(uint8_t value) { Write(&value, 1); }
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    int64_t Size() const { return static_cast<int64_t>(FData.size()); }
    const std::vector<uint8_t>& Data() const { return FData; }

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

class TCompoundFileWriter {
public:
    TCompoundFileWriter() = default;
    TCompoundFileWriter(const TCompoundFileWriter&) = delete;
    TCompoundFileWriter& operator=(const TCompoundFileWriter&) = delete;

    // A new stream of the root storage. Raises EStreamError for a name the
    // format cannot hold (empty, over 31 characters) or one given twice.
    TStorageWriteStream& CreateStream(const std::u16string& name);
    // The whole file. Raises EStreamError for streams beyond the format's
    // 32-bit sizes.
    std::vector<uint8_t> Build() const;

private:
    struct TEntry {
        std::u16string Name;
        std::unique_ptr<TStorageWriteStream> Stream;
    };
    std::vector<TEntry> FStreams;
};

// The order of names in a storage's tree: shorter names first, names of one
// length by their characters in upper case.
int CompareStorageNames(const std::u16string& a, const std::u16string& b);
