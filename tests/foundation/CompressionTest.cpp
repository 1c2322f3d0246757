#include "foundation/Compression.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string Sample(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::string text;
    const char* words[] = {"le ", "texte ", "est ", "compressé ", "puis ", "restitué. "};
    while (text.size() < size)
        text += words[random() % 6];
    text.resize(size);
    return text;
}

// zlib's own one-shot compression, to check that our output is standard.
std::string ReferenceCompress(const std::string& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                       static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(size);
    return out;
}

std::string CompressBlock(const std::string& data, int32_t level)
{
    void* out = nullptr;
    int32_t size = 0;
    CompressMemoryBlock(data.data(), static_cast<int32_t>(data.size()), level, out, size);
    std::string result(static_cast<char*>(out), static_cast<size_t>(size));
    std::free(out);
    return result;
}

std::string DecompressBlock(const std::string& data, int32_t estimate)
{
    void* out = nullptr;
    int32_t size = 0;
    DecompressMemoryBlock(data.data(), static_cast<int32_t>(data.size()), estimate, out, size);
    std::string result(static_cast<char*>(out), static_cast<size_t>(size));
    std::free(out);
    return result;
}

std::string InflateStream(const std::string& data)
{
    TStringStream source(data);
    TZDecompressionStream z(source);
    std::string out;
    char buffer[1000];
    for (int32_t got; (got = z.Read(buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(got));
    return out;
}

}  // namespace

TEST(CompressionTest, MemoryBlocksRoundTripAtEveryLevelAndSize)
{
    for (int32_t level = 0; level <= 3; ++level)
        for (size_t size : {size_t(0), size_t(1), size_t(100), size_t(1000), size_t(70000), size_t(300000)}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " size " << size);
            const std::string data = Sample(size, static_cast<uint32_t>(size + level));
            const std::string packed = CompressBlock(data, level);
            // Both our routines and zlib's one-shot inflation read it back.
            EXPECT_EQ(DecompressBlock(packed, 0), data);
            EXPECT_EQ(DecompressBlock(packed, 7), data);
            EXPECT_EQ(InflateStream(packed), data);
            std::string check(size, '\0');
            uLongf checkSize = static_cast<uLongf>(size);
            EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(check.data()), &checkSize,
                                 reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size())),
                      Z_OK);
            EXPECT_EQ(checkSize, size);
        }
}

TEST(CompressionTest, IncompressibleInputComesBackWhole)
{
    // Stored blocks are larger than their input.
    std::mt19937 random(7);
    for (size_t size : {size_t(5), size_t(256), size_t(5000)}) {
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        EXPECT_EQ(DecompressBlock(CompressBlock(data, cmpNone), 0), data);
    }
}

TEST(CompressionTest, DamagedOrTruncatedBlocksRaiseInsteadOfGrowing)
{
    const std::string data = Sample(50000, 3);
    const std::string packed = ReferenceCompress(data);
    std::string damaged = packed;
    damaged[packed.size() / 2] ^= 0x55;
    std::string wrongSum = packed;
    wrongSum.back() ^= 1;
    const std::string cases[] = {
        packed.substr(0, packed.size() / 2),  // truncated in the middle
        packed.substr(0, packed.size() - 2),  // checksum cut short
        damaged,
        wrongSum,
        std::string("\x78\x9c", 2),  // a header and nothing else
        std::string("not zlib at all"),
        std::string(),
    };
    for (const std::string& input : cases) {
        SCOPED_TRACE(input.size());
        EXPECT_THROW(DecompressBlock(input, 0), EDecompressionError);
    }
    // The stream: damaged data raises, a truncated stream just ends short.
    EXPECT_THROW(InflateStream(damaged), EDecompressionError);
    EXPECT_LT(InflateStream(packed.substr(0, packed.size() / 2)).size(), data.size());
}

TEST(CompressionTest, CompressionStreamWritesAStandardStreamAndCountsInput)
{
    const std::string data = Sample(200000, 11);
    TStringStream target("prefix");
    target.Seek(0, TSeekOrigin::soEnd);
    {
        TZCompressionStream z(cmpMax, target);
        for (size_t at = 0; at < data.size(); at += 777)
            z.Write(data.data() + at, static_cast<int32_t>(std::min<size_t>(777, data.size() - at)));
        // The position is the uncompressed count, whatever is asked.
        EXPECT_EQ(z.Seek(0, TSeekOrigin::soBeginning), static_cast<int64_t>(data.size()));
        EXPECT_EQ(z.Read(nullptr, 10), 0);
        // Someone else moves the target meanwhile: the stream goes on where it was.
        target.SetPosition(0);
        z.Finish();
    }
    const std::string& all = target.DataString();
    ASSERT_EQ(all.substr(0, 6), "prefix");
    EXPECT_EQ(DecompressBlock(all.substr(6), 0), data);
}

TEST(CompressionTest, DecompressionStreamHonoursItsInputLimitAndSeeks)
{
    const std::string first = Sample(30000, 1);
    const std::string second = Sample(4000, 2);
    const std::string packedFirst = ReferenceCompress(first);
    // Two compressed blocks back to back, as a larger file holds them.
    TStringStream source(packedFirst + ReferenceCompress(second));
    {
        TZDecompressionStream z(source);
        z.InputLimit = static_cast<int32_t>(packedFirst.size());
        std::string out(first.size() + 10, '\0');
        EXPECT_EQ(z.Read(out.data(), static_cast<int32_t>(out.size())), static_cast<int32_t>(first.size()));
        out.resize(first.size());
        EXPECT_EQ(out, first);
        EXPECT_EQ(z.ReadCount(), static_cast<int32_t>(packedFirst.size()));
        EXPECT_EQ(source.Position(), static_cast<int64_t>(packedFirst.size()));
    }
    source.SetPosition(0);
    TZDecompressionStream z(source);
    char c = 0;
    EXPECT_EQ(z.Seek(10000, TSeekOrigin::soBeginning), 10000);
    ASSERT_EQ(z.Read(&c, 1), 1);
    EXPECT_EQ(c, first[10000]);
    EXPECT_EQ(z.Seek(5000, TSeekOrigin::soCurrent), 15001);
    // Backwards and from the end change nothing.
    EXPECT_EQ(z.Seek(-5, TSeekOrigin::soCurrent), 15001);
    EXPECT_EQ(z.Seek(0, TSeekOrigin::soEnd), 15001);
    EXPECT_EQ(z.Seek(0, TSeekOrigin::soBeginning), 0);
    ASSERT_EQ(z.Read(&c, 1), 1);
    EXPECT_EQ(c, first[0]);
    EXPECT_EQ(z.Write("x", 1), 0);
}
