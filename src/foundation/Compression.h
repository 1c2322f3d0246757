#pragma once
// The program's compression routines: whole blocks in memory and streams that
// compress into, or inflate out of, another stream. All use the zlib format
// with its default window (zlib header and Adler-32 trailer). Every zlib
// result is examined: corrupt or truncated input ends with
// EDecompressionError, never with output that grows without bound or a read
// that never ends.
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

#include <zlib.h>

#include <cstdint>

// 0 none, 1 fastest, 2 zlib's default, 3 maximum.
enum TCompressionLevel : uint8_t { cmpNone = 0, cmpFastest = 1, cmpDefault = 2, cmpMax = 3 };

// The zlib level of a compression level index (out-of-range indexes are clamped).
int ZlibCompressionLevel(int32_t level);

// zlib refused to compress (an internal failure, never the data's fault).
class ECompressionError : public Exception {
public:
    using Exception::Exception;
};
// Compressed data that is damaged, truncated or inflates beyond 2 GB.
class EDecompressionError : public Exception {
public:
    using Exception::Exception;
};

// Compresses a whole block. The output block is allocated with malloc and
// belongs to the caller (TMemory::Attach takes it over).
void CompressMemoryBlock(const void* input, int32_t inputSize, int32_t level, void*& output, int32_t& outputSize);
// Inflates a whole block; estimate 0 means none. The output block is
// allocated with malloc and belongs to the caller. Damaged or truncated
// input raises EDecompressionError and allocates nothing.
void DecompressMemoryBlock(const void* input, int32_t inputSize, int32_t estimate, void*& output,
                           int32_t& outputSize);

// The size of the buffer a compression stream keeps between it and the
// underlying stream.
constexpr int32_t ZStreamBufferSize = 65536;

// What both stream classes share: the underlying stream (not owned), where
// this object last left it, the zlib state and the buffer.
class TCustomZStream : public TStream {
public:
    TCustomZStream(const TCustomZStream&) = delete;
    TCustomZStream& operator=(const TCustomZStream&) = delete;

protected:
    explicit TCustomZStream(TStream& stream);
    // Puts the underlying stream back where this object left it, when
    // someone else moved it meanwhile.
    void RestoreStreamPosition();

    TStream& FStream;
    int64_t FStreamPosition = 0;
    z_stream FZ{};
    uint8_t FBuffer[ZStreamBufferSize];
};

// Compresses what is written to it into the target stream.
class TZCompressionStream : public TCustomZStream {
public:
    TZCompressionStream(int32_t level, TStream& target);
    // Finishes the compressed stream unless Finish did; a failure here cannot
    // be reported, so callers that must know call Finish first.
    ~TZCompressionStream() override;

    // Transfers nothing.
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    // The number of uncompressed bytes taken so far, whatever is asked.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Writes the end of the compressed stream into the target. Raises the
    // target's write error or ECompressionError.
    void Finish();

private:
    void WriteOut(int32_t count);
    bool FFinished = false;
};

// Inflates from the source stream.
class TZDecompressionStream : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    ~TZDecompressionStream() override;

    // Inflates up to count bytes; fewer at the end of the compressed data or
    // of the source. Damaged data raises EDecompressionError.
    int32_t Read(void* buffer, int32_t count) override;
    // Transfers nothing.
    int32_t Write(const void* buffer, int32_t count) override;
    // Offset 0 from the beginning starts again; forward moves read and
    // discard; anything else changes nothing. Returns the uncompressed
    // position.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    // The most compressed bytes the stream may take from the source.
    int32_t InputLimit = 2147483647;
    int32_t ReadCount() const { return FReadCount; }
    // Whether the compressed data has reached its end mark (a source that
    // runs out before it is truncated data, not an end).
    bool Ended() const { return FEnded; }
    // Compressed bytes taken from the source but not used: what follows the
    // end mark in the last buffer read.
    int32_t UnusedInput() const { return static_cast<int32_t>(FZ.avail_in); }

private:
    int32_t FReadCount = 0;
    bool FEnded = false;
};
