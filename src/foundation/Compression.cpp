#include "foundation/Compression.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kLevels[4] = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION, Z_BEST_COMPRESSION};
constexpr int64_t kMaxBlock = std::numeric_limits<int32_t>::max();

[[noreturn]] void RaiseCompression()
{
    throw ECompressionError("Erreur de compression");
}

[[noreturn]] void RaiseDecompression()
{
    throw EDecompressionError("Données compressées endommagées");
}

int64_t RoundUp256(int64_t n)
{
    return (n + 255) & ~int64_t(255);
}

// Reallocates block to size; raises the out-of-memory error and leaves the
// block alone when that fails.
void Grow(void*& block, int64_t size)
{
    void* moved = std::realloc(block, static_cast<size_t>(std::max<int64_t>(size, 1)));
    if (!moved)
        throw EOutOfMemory();
    block = moved;
}

// Frees the block unless released (the output of the memory routines).
struct TBlockGuard {
    void* Block = nullptr;
    ~TBlockGuard() { std::free(Block); }
};

}  // namespace

int ZlibCompressionLevel(int32_t level)
{
    return kLevels[std::clamp(level, 0, 3)];
}

void CompressMemoryBlock(const void* input, int32_t inputSize, int32_t level, void*& output, int32_t& outputSize)
{
    output = nullptr;
    outputSize = 0;
    const int64_t n = std::max(inputSize, 0);
    int64_t size = RoundUp256(n + n / 10 + 12);
    TBlockGuard out;
    Grow(out.Block, size);
    z_stream z{};
    if (deflateInit(&z, ZlibCompressionLevel(level)) != Z_OK)
        throw EOutOfMemory();
    z.next_in = static_cast<Bytef*>(const_cast<void*>(input));
    z.avail_in = static_cast<uInt>(n);
    z.next_out = static_cast<Bytef*>(out.Block);
    z.avail_out = static_cast<uInt>(size);
    for (;;) {
        const int rc = deflate(&z, Z_FINISH);
        if (rc == Z_STREAM_END)
            break;
        // Z_OK: more room wanted; Z_BUF_ERROR: no progress without it.
        if ((rc != Z_OK && rc != Z_BUF_ERROR) || size + 256 > kMaxBlock) {
            deflateEnd(&z);
            RaiseCompression();
        }
        try {
            Grow(out.Block, size + 256);
        } catch (...) {
            deflateEnd(&z);
            throw;
        }
        z.next_out = static_cast<Bytef*>(out.Block) + size;
        z.avail_out = 256;
        size += 256;
    }
    const int64_t produced = static_cast<int64_t>(z.total_out);
    deflateEnd(&z);
    if (void* shrunk = std::realloc(out.Block, static_cast<size_t>(std::max<int64_t>(produced, 1))))
        out.Block = shrunk;
    output = out.Block;
    outputSize = static_cast<int32_t>(produced);
    out.Block = nullptr;
}

void DecompressMemoryBlock(const void* input, int32_t inputSize, int32_t estimate, void*& output,
                           int32_t& outputSize)
{
    output = nullptr;
    outputSize = 0;
    const int64_t n = std::max(inputSize, 0);
    const int64_t step = std::max<int64_t>(RoundUp256(n), 256);
    int64_t size = estimate > 0 ? estimate : step;
    TBlockGuard out;
    Grow(out.Block, size);
    z_stream z{};
    z.next_in = static_cast<Bytef*>(const_cast<void*>(input));
    z.avail_in = static_cast<uInt>(n);
    if (inflateInit(&z) != Z_OK)
        throw EOutOfMemory();
    z.next_out = static_cast<Bytef*>(out.Block);
    z.avail_out = static_cast<uInt>(size);
    for (;;) {
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            break;
        // Room is handed out only when inflate has filled what it had; input
        // that ends first, or damaged data, is an error rather than a reason
        // to grow.
        if ((rc != Z_OK && rc != Z_BUF_ERROR) || z.avail_out != 0 || size + step > kMaxBlock) {
            inflateEnd(&z);
            RaiseDecompression();
        }
        try {
            Grow(out.Block, size + step);
        } catch (...) {
            inflateEnd(&z);
            throw;
        }
        z.next_out = static_cast<Bytef*>(out.Block) + size;
        z.avail_out = static_cast<uInt>(step);
        size += step;
    }
    const int64_t produced = static_cast<int64_t>(z.total_out);
    inflateEnd(&z);
    if (void* shrunk = std::realloc(out.Block, static_cast<size_t>(std::max<int64_t>(produced, 1))))
        out.Block = shrunk;
    output = out.Block;
    outputSize = static_cast<int32_t>(produced);
    out.Block = nullptr;
}

// ---------------------------------------------------------------------------

TCustomZStream::TCustomZStream(TStream& stream) : FStream(stream), FStreamPosition(stream.Position()) {}

void TCustomZStream::RestoreStreamPosition()
{
    if (FStream.Position() != FStreamPosition)
        FStream.SetPosition(FStreamPosition);
}

TZCompressionStream::TZCompressionStream(int32_t level, TStream& target) : TCustomZStream(target)
{
    FZ.next_out = FBuffer;
    FZ.avail_out = ZStreamBufferSize;
    if (deflateInit(&FZ, ZlibCompressionLevel(level)) != Z_OK)
        throw EOutOfMemory();
}

TZCompressionStream::~TZCompressionStream()
{
    if (!FFinished) {
        try {
            Finish();
        } catch (...) {
            // Nowhere to report it from a destructor: Finish is the way.
        }
    }
    deflateEnd(&FZ);
}

int32_t TZCompressionStream::Read(void*, int32_t)
{
    return 0;
}

void TZCompressionStream::WriteOut(int32_t count)
{
    FStream.WriteBuffer(FBuffer, count);
    FZ.next_out = FBuffer;
    FZ.avail_out = ZStreamBufferSize;
    FStreamPosition = FStream.Position();
}

int32_t TZCompressionStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0 || FFinished)
        return 0;
    FZ.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    FZ.avail_in = static_cast<uInt>(count);
    RestoreStreamPosition();
    while (FZ.avail_in > 0) {
        const int rc = deflate(&FZ, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            RaiseCompression();
        if (FZ.avail_out == 0)
            WriteOut(ZStreamBufferSize);
        else if (rc == Z_BUF_ERROR)
            RaiseCompression();  // no progress with room on both sides
    }
    return count;
}

int64_t TZCompressionStream::Seek(int64_t, TSeekOrigin)
{
    return static_cast<int64_t>(FZ.total_in);
}

void TZCompressionStream::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    FZ.next_in = nullptr;
    FZ.avail_in = 0;
    RestoreStreamPosition();
    for (;;) {
        const int rc = deflate(&FZ, Z_FINISH);
        if (rc == Z_STREAM_END)
            break;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            RaiseCompression();
        if (FZ.avail_out != 0)
            RaiseCompression();
        WriteOut(ZStreamBufferSize);
    }
    const int32_t rest = ZStreamBufferSize - static_cast<int32_t>(FZ.avail_out);
    if (rest > 0)
        WriteOut(rest);
}

// ---------------------------------------------------------------------------

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source)
{
    FZ.next_in = FBuffer;
    FZ.avail_in = 0;
    if (inflateInit(&FZ) != Z_OK)
        throw EOutOfMemory();
}

TZDecompressionStream::~TZDecompressionStream()
{
    inflateEnd(&FZ);
}

int32_t TZDecompressionStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || FEnded)
        return 0;
    FZ.next_out = static_cast<Bytef*>(buffer);
    FZ.avail_out = static_cast<uInt>(count);
    RestoreStreamPosition();
    while (FZ.avail_out > 0) {
        if (FZ.avail_in == 0) {
            const int32_t allowed = std::min(ZStreamBufferSize, std::max(InputLimit - FReadCount, 0));
            const int32_t got = allowed > 0 ? FStream.Read(FBuffer, allowed) : 0;
            if (got <= 0)
                return count - static_cast<int32_t>(FZ.avail_out);
            FReadCount += got;
            FStreamPosition = FStream.Position();
            FZ.next_in = FBuffer;
            FZ.avail_in = static_cast<uInt>(got);
        }
        const int rc = inflate(&FZ, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            FEnded = true;
            break;
        }
        if (rc != Z_OK)
            RaiseDecompression();
    }
    return count - static_cast<int32_t>(FZ.avail_out);
}

int32_t TZDecompressionStream::Write(const void*, int32_t)
{
    return 0;
}

int64_t TZDecompressionStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t delivered = static_cast<int64_t>(FZ.total_out);
    if (offset == 0 && origin == TSeekOrigin::soBeginning) {
        if (inflateReset(&FZ) != Z_OK)
            RaiseDecompression();
        FZ.next_in = FBuffer;
        FZ.avail_in = 0;
        FEnded = false;
        FReadCount = 0;
        FStream.SetPosition(0);
        FStreamPosition = 0;
        return 0;
    }
    int64_t skip = 0;
    if (origin == TSeekOrigin::soCurrent && offset > 0)
        skip = offset;
    else if (origin == TSeekOrigin::soBeginning && offset > delivered)
        skip = offset - delivered;
    uint8_t scratch[4096];
    while (skip > 0) {
        const int32_t piece = static_cast<int32_t>(std::min<int64_t>(skip, sizeof scratch));
        const int32_t got = Read(scratch, piece);
        skip -= got;
        if (got < piece)
            break;  // the data ended before the target position
    }
    return static_cast<int64_t>(FZ.total_out);
}
