#include "foundation/managers/KerningPairsManager.h"

#include "foundation/managers/FontManager.h"
#include "platform/gdi/Fonts.h"

#include <algorithm>
#include <cstring>

namespace {

std::unique_ptr<TKerningPairsManager> g_Manager;

// A pair as the buffer stores it: first and second character (16 bits each),
// then the amount (32 bits), 8 bytes.
constexpr int32_t kPairSize = 8;

}  // namespace

// --- TSharedKerningPairs ---

TSharedKerningPairs::TSharedKerningPairs(const TCharFormat& description, HDC dc, int32_t height)
    : Description(description)
{
    Description[cfSize] = height;
    const uint32_t count = GetKerningPairs(dc, 0, nullptr);
    if (count == 0 || count > 0x7FFFFFFF / kPairSize)
        return;
    std::vector<KERNINGPAIR> pairs(count);
    FCount = static_cast<int32_t>(GetKerningPairs(dc, count, pairs.data()));
    FPairs.SetSize(FCount * kPairSize);
    for (int32_t i = 0; i < FCount; ++i) {
        const KERNINGPAIR& pair = pairs[static_cast<size_t>(i)];
        uint8_t* record = FPairs.Data() + i * kPairSize;
        std::memcpy(record, &pair.wFirst, 2);
        std::memcpy(record + 2, &pair.wSecond, 2);
        std::memcpy(record + 4, &pair.iKernAmount, 4);
        // Characters are bytes of the font's character set; a pair of a wider
        // character would fall into another character's group.
        if (pair.wFirst > 255)
            continue;
        TGroup& group = FIndex[pair.wFirst];
        if (group.Count == 0)
            group.First = i;
        ++group.Count;
    }
}

KERNINGPAIR TSharedKerningPairs::Pairs(int32_t index) const
{
    KERNINGPAIR pair;
    if (index < 0 || index >= FCount)
        return pair;
    const uint8_t* record = FPairs.Data() + index * kPairSize;
    std::memcpy(&pair.wFirst, record, 2);
    std::memcpy(&pair.wSecond, record + 2, 2);
    std::memcpy(&pair.iKernAmount, record + 4, 4);
    return pair;
}

int32_t TSharedKerningPairs::GetKernAmount(uint8_t first, uint8_t second) const
{
    const TGroup& group = FIndex[first];
    // The group ascends by second character: scanned from its end, a smaller
    // second character means the pair is not there.
    for (int32_t i = group.First + group.Count - 1; i >= group.First && group.Count > 0; --i) {
        const KERNINGPAIR pair = Pairs(i);
        if (pair.wSecond < second)
            return 0;
        if (pair.wSecond == second)
            return pair.iKernAmount;
    }
    return 0;
}

// --- TKerningPairsManager ---

TKerningPairsManager::~TKerningPairsManager() = default;

TSharedKerningPairs* TKerningPairsManager::SelectKerningPairs(const TCharFormat& description, int32_t height, HDC dc)
{
    if (FCurrent && SameFontDescription(FCurrent->Description, description, height))
        return FCurrent;
    for (auto& table : FCache) {
        if (table.get() != FCurrent && SameFontDescription(table->Description, description, height)) {
            FCurrent = table.get();
            ++FCurrent->UseCount;
            return FCurrent;
        }
    }
    if (Count() >= MaxTables) {
        // The last table used less than the first, else the first.
        auto victim = FCache.begin();
        for (auto it = FCache.end() - 1; it != FCache.begin(); --it) {
            if ((*it)->UseCount < FCache.front()->UseCount) {
                victim = it;
                break;
            }
        }
        if (victim->get() == FCurrent)
            FCurrent = nullptr;
        FCache.erase(victim);
    }
    auto table = std::make_unique<TSharedKerningPairs>(description, dc, height);
    table->UseCount = 1;
    FCurrent = table.get();
    FCache.push_back(std::move(table));
    return FCurrent;
}

void TKerningPairsManager::SortByUsage()
{
    std::stable_sort(FCache.begin(), FCache.end(),
                     [](const auto& a, const auto& b) { return a->UseCount > b->UseCount; });
}

void TKerningPairsManager::Clear()
{
    FCurrent = nullptr;
    FCache.clear();
}

// --- The program-wide instance ---

TKerningPairsManager* GetKerningPairsManager()
{
    return g_Manager.get();
}

void CreateKerningPairsManager()
{
    g_Manager = std::make_unique<TKerningPairsManager>();
}

void FreeKerningPairsManager()
{
    g_Manager.reset();
}

TSharedKerningPairs* CurrentKerningPairs()
{
    return g_Manager ? g_Manager->Current() : nullptr;
}
