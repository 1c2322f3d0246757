#pragma once
// Kerning pairs. Line layout asks, for each pair of adjacent characters of a
// run whose format kerns, how far the font's kerning table moves the second
// character. TKerningPairsManager caches up to 40 tables, one per font
// description and height, read from the device context with the font
// selected and indexed by first character.
#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

class TSharedKerningPairs {
public:
    // Reads the pairs of the font selected in dc; the description is kept
    // with slot cfSize holding the height.
    TSharedKerningPairs(const TCharFormat& description, HDC dc, int32_t height);

    int32_t Count() const { return FCount; }
    // The pair at an index, in the order the system gave them.
    KERNINGPAIR Pairs(int32_t index) const;
    // How far the second character moves after the first (device units); 0
    // when the pair has no kerning.
    int32_t GetKernAmount(uint8_t first, uint8_t second) const;

    TCharFormat Description{};
    int32_t UseCount = 0;

private:
    struct TGroup {
        int32_t First = 0;  // index of the group's first pair
        int32_t Count = 0;
    };
    int32_t FCount = 0;
    TMemory FPairs;
    TGroup FIndex[256] = {};
};

class TKerningPairsManager {
public:
    TKerningPairsManager() = default;
    ~TKerningPairsManager();
    TKerningPairsManager(const TKerningPairsManager&) = delete;
    TKerningPairsManager& operator=(const TKerningPairsManager&) = delete;

    static constexpr int32_t MaxTables = 40;

    // Makes the table of the description at the height current, reading it
    // from dc (whose selected font it must be) on first use; returns it.
    TSharedKerningPairs* SelectKerningPairs(const TCharFormat& description, int32_t height, HDC dc);
    // Most used first.
    void SortByUsage();
    // Frees every table (the installed fonts changed).
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(FCache.size()); }
    TSharedKerningPairs& Tables(int32_t index) { return *FCache.at(static_cast<size_t>(index)); }
    TSharedKerningPairs* Current() const { return FCurrent; }

private:
    std::vector<std::unique_ptr<TSharedKerningPairs>> FCache;
    TSharedKerningPairs* FCurrent = nullptr;
};

// The program-wide instance; null outside CreateKerningPairsManager and
// FreeKerningPairsManager.
TKerningPairsManager* GetKerningPairsManager();
void CreateKerningPairsManager();
void FreeKerningPairsManager();
// The current table of the program-wide manager; null when none.
TSharedKerningPairs* CurrentKerningPairs();
