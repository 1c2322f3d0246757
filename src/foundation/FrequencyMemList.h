#pragma once
// Counts how often each distinct fixed-size record occurs, weighted, and keeps
// the most frequent one (the web-page export finds the page's usual paragraph
// and character formats with it).
#include <cstddef>
#include <cstdint>
#include <vector>

class TFrequencyMemList {
public:
    explicit TFrequencyMemList(int32_t itemSize);

    // Adds weight to the count of the record equal to the item (itemSize
    // bytes, compared byte for byte), or stores a copy of it with that count.
    // A record becomes the best only when its count exceeds the best count,
    // so of two equal counts the earlier best stays.
    void Add(const void* item, int32_t weight);

    int32_t Count() const { return static_cast<int32_t>(FCounts.size()); }
    int32_t ItemSize() const { return FItemSize; }
    // The most frequent record; null while the list is empty.
    const void* BestItem() const;
    int32_t BestCount() const { return FBestCount; }
    int32_t BestIndex() const { return FBestIndex; }
    const void* Items(int32_t index) const;
    int32_t Counts(int32_t index) const { return FCounts.at(static_cast<size_t>(index)); }

private:
    std::vector<std::vector<uint8_t>> FItems;
    std::vector<int32_t> FCounts;
    int32_t FItemSize;
    int32_t FBestCount = 0;
    int32_t FBestIndex = 0;
};
