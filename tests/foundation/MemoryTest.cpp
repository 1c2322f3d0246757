#include "foundation/Memory.h"

#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

std::string Content(const TMemory& m)
{
    return std::string(reinterpret_cast<const char*>(m.Data()), static_cast<size_t>(m.Size()));
}

void SetText(TMemory& m, const std::string& s)
{
    m.SetData(s.data(), static_cast<int32_t>(s.size()));
}

// A reallocator that refuses blocks from a given size on, or every call.
size_t g_RefuseFrom = std::numeric_limits<size_t>::max();
int g_Calls = 0;
void* Refusing(void* block, size_t size)
{
    ++g_Calls;
    if (size >= g_RefuseFrom)
        return nullptr;
    return std::realloc(block, size);
}

class TRefuseAllocations {
public:
    explicit TRefuseAllocations(size_t from)
    {
        g_RefuseFrom = from;
        g_Calls = 0;
        FPrevious = SetMemoryReallocator(&Refusing);
    }
    ~TRefuseAllocations()
    {
        SetMemoryReallocator(FPrevious);
        g_RefuseFrom = std::numeric_limits<size_t>::max();
    }

private:
    TMemoryReallocator FPrevious;
};

}  // namespace

TEST(Memory, GrowthRule)
{
    struct TCase {
        int32_t Start;     // size set first (to reach a capacity)
        int32_t NewSize;
        int32_t Capacity;  // expected after NewSize
    };
    const TCase cases[] = {
        {0, 16, 32},     {0, 15, 16},     {0, 256, 320},  {0, 1, 16},     {0, 31, 32},
        {0, 32, 64},     {0, 127, 128},   {0, 128, 256},  {0, 255, 256},  {0, 1000, 1250},
        {256, 300, 320}, {256, 200, 256}, {256, 0, 0},    {1000, 1100, 1250}, {1000, 257, 1250},
        {1000, 10, 16},  {16, 40, 64},    {0, 0, 0},
        // A size equal to the capacity keeps it, even where the steps would differ.
        {16, 32, 32},
    };
    for (const TCase& c : cases) {
        TMemory m;
        m.SetSize(c.Start);
        m.SetSize(c.NewSize);
        EXPECT_EQ(m.Capacity(), c.Capacity) << c.Start << " -> " << c.NewSize;
        EXPECT_EQ(m.Size(), c.NewSize);
        EXPECT_EQ(m.Data() == nullptr, c.Capacity == 0);
    }
}

TEST(Memory, ContentSurvivesGrowthAndShrink)
{
    TMemory m;
    for (int i = 0; i < 1000; ++i)
        m.AppendByte(static_cast<uint8_t>(i));
    EXPECT_EQ(m.Size(), 1000);
    m.SetSize(100);  // below 256: reallocated to its step, content kept
    EXPECT_EQ(m.Capacity(), 128);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(m.Data()[i], static_cast<uint8_t>(i));
}

TEST(Memory, AppendsLittleEndian)
{
    TMemory m;
    m.AppendByte(0x11);
    m.AppendWord(0x2233);
    m.AppendDWord(0x44556677);
    EXPECT_EQ(Content(m), std::string("\x11\x33\x22\x77\x66\x55\x44", 7));
}

TEST(Memory, InsertDeleteReadAssign)
{
    TMemory m;
    SetText(m, "abcdef");
    m.Insert("XY", 2, 2);
    EXPECT_EQ(Content(m), "abXYcdef");
    m.Insert("!", m.Size(), 1);  // at the end: an append
    EXPECT_EQ(Content(m), "abXYcdef!");
    m.Insert("<", 0, 1);
    EXPECT_EQ(Content(m), "<abXYcdef!");
    m.Delete(m.Size() - 3, 3);  // the last bytes: only the size shrinks
    EXPECT_EQ(Content(m), "<abXYcd");
    EXPECT_EQ(m.Capacity(), 16);
    m.Delete(0, 3);
    EXPECT_EQ(Content(m), "XYcd");
    char out[3] = {};
    m.Read(out, 1, 2);
    EXPECT_EQ(std::string(out, 2), "Yc");

    TMemory other;
    other.Assign(m);
    EXPECT_EQ(Content(other), "XYcd");
    other.AppendMemory(m);
    EXPECT_EQ(Content(other), "XYcdXYcd");
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Capacity(), 0);
}

TEST(Memory, CopiesFromItself)
{
    // Growing moves the block: a source inside the buffer must still be read
    // from where its bytes are.
    TMemory m;
    SetText(m, "0123456789abcdef");  // 16 bytes, capacity 32
    m.AppendMemory(m);
    EXPECT_EQ(Content(m), "0123456789abcdef0123456789abcdef");
    SetText(m, "abcdefghijklmnop");
    m.Insert(m.Data() + 2, 4, 6);  // source straddles the insertion point
    EXPECT_EQ(Content(m), "abcdcdefghefghijklmnop");
    SetText(m, "abcdefgh");
    m.SetData(m.Data() + 3, 4);
    EXPECT_EQ(Content(m), "defg");
}

// Random edits, copies from the buffer itself included, against a string; the
// capacity always follows the growth rule from the one before.
TEST(Memory, RandomEditsAgreeWithAString)
{
    std::mt19937 random(4242u);
    auto below = [&random](int32_t n) { return n <= 0 ? 0 : std::uniform_int_distribution<int32_t>(0, n - 1)(random); };
    TMemory m;
    std::string model;
    for (int step = 0; step < 20000; ++step) {
        const auto size = static_cast<int32_t>(model.size());
        const int32_t before = m.Capacity();
        switch (below(7)) {
        case 0:
        case 1: {
            const std::string bytes(static_cast<size_t>(below(size < 600 ? 300 : 40)), static_cast<char>('a' + below(26)));
            const int32_t at = below(size + 1);
            m.Insert(bytes.data(), at, static_cast<int32_t>(bytes.size()));
            model.insert(static_cast<size_t>(at), bytes);
            break;
        }
        case 2: {
            if (size == 0)
                break;
            const int32_t from = below(size);
            const int32_t count = below(size - from) + 1;
            const int32_t at = below(size + 1);
            const std::string bytes = model.substr(static_cast<size_t>(from), static_cast<size_t>(count));
            m.Insert(m.Data() + from, at, count);
            model.insert(static_cast<size_t>(at), bytes);
            break;
        }
        case 3:
        case 4: {
            const int32_t at = below(size + 1);
            const int32_t count = below(std::min(size - at, 400) + 1);
            m.Delete(at, count);
            model.erase(static_cast<size_t>(at), static_cast<size_t>(count));
            break;
        }
        case 5:
            if (size > 0 && below(4) == 0) {
                const int32_t from = below(size);
                const int32_t count = below(size - from) + 1;
                m.SetData(m.Data() + from, count);
                model = model.substr(static_cast<size_t>(from), static_cast<size_t>(count));
            }
            break;
        default: {
            const auto value = static_cast<uint32_t>(random());
            m.AppendDWord(value);
            for (int i = 0; i < 4; ++i)
                model.push_back(static_cast<char>(value >> (8 * i)));
            break;
        }
        }
        const auto expectedSize = static_cast<int32_t>(model.size());
        ASSERT_EQ(Content(m), model) << "step " << step;
        ASSERT_GE(m.Capacity(), m.Size());
        if (expectedSize != size) {
            ASSERT_EQ(m.Capacity(), MemoryCapacityFor(expectedSize, before)) << "step " << step;
        }
    }
}

TEST(Memory, AttachTakesTheBlock)
{
    TMemory m;
    SetText(m, "old");
    void* block = std::malloc(5);
    std::memcpy(block, "fresh", 5);
    m.Attach(block, 5);
    EXPECT_EQ(Content(m), "fresh");
    EXPECT_EQ(m.Capacity(), 5);
    m.AppendByte('!');
    EXPECT_EQ(Content(m), "fresh!");
    // An empty block handed over is released, not leaked (the leak checker
    // would report it).
    m.Attach(std::malloc(8), 0);
    EXPECT_EQ(m.Size(), 0);
}

TEST(Memory, ResizeExternalAppliesTheRule)
{
    void* block = nullptr;
    int32_t capacity = 0;
    TMemory::ResizeExternal(block, capacity, 20);
    EXPECT_EQ(capacity, 32);
    ASSERT_NE(block, nullptr);
    std::memset(block, 'x', 20);
    TMemory::ResizeExternal(block, capacity, 300);
    EXPECT_EQ(capacity, 375);
    EXPECT_EQ(static_cast<char*>(block)[19], 'x');
    TMemory::ResizeExternal(block, capacity, 280);
    EXPECT_EQ(capacity, 375);
    TMemory::ResizeExternal(block, capacity, 0);
    EXPECT_EQ(capacity, 0);
    EXPECT_EQ(block, nullptr);
}

TEST(Memory, FailedAllocationLeavesTheBufferAsItWas)
{
    TMemory m;
    SetText(m, "keep me");
    const uint8_t* data = m.Data();
    {
        TRefuseAllocations refuse(64);
        EXPECT_THROW(m.SetSize(100), EOutOfMemory);
        EXPECT_EQ(Content(m), "keep me");
        EXPECT_EQ(m.Capacity(), 16);
        EXPECT_EQ(m.Data(), data);
        const std::string big(200, 'z');
        EXPECT_THROW(m.Append(big.data(), 200), EOutOfMemory);
        EXPECT_THROW(m.Insert(big.data(), 0, 200), EOutOfMemory);
        EXPECT_EQ(Content(m), "keep me");
        m.Append("!", 1);  // still usable within what can be allocated
        EXPECT_EQ(Content(m), "keep me!");

        void* block = nullptr;
        int32_t capacity = 0;
        TMemory::ResizeExternal(block, capacity, 10);
        EXPECT_THROW(TMemory::ResizeExternal(block, capacity, 1000), EOutOfMemory);
        EXPECT_EQ(capacity, 16);
        std::free(block);
    }
    {
        // A shrinking reallocation that fails keeps the larger block.
        TMemory big;
        big.SetSize(1000);
        std::memset(big.Data(), 'q', 1000);
        TRefuseAllocations refuse(0);
        big.SetSize(10);
        EXPECT_EQ(big.Size(), 10);
        EXPECT_EQ(big.Capacity(), 1250);
        EXPECT_EQ(big.Data()[9], 'q');
    }
}

TEST(Memory, BadRangesRaiseInsteadOfCorrupting)
{
    TMemory m;
    SetText(m, "12345678");
    char out[16];
    EXPECT_THROW(m.Delete(5, 10), EInternalError);
    EXPECT_THROW(m.Delete(-1, 2), EInternalError);
    EXPECT_THROW(m.Read(out, 4, 5), EInternalError);
    EXPECT_THROW(m.Insert("x", 9, 1), EInternalError);
    EXPECT_THROW(m.Insert("x", 0, -1), EInternalError);
    EXPECT_THROW(m.SetSize(-1), EInternalError);
    // A size beyond 32 bits is refused before anything is allocated.
    EXPECT_THROW(m.Append("x", std::numeric_limits<int32_t>::max()), EOutOfMemory);
    EXPECT_EQ(Content(m), "12345678");
}
