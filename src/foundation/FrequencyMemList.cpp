#include "foundation/FrequencyMemList.h"

#include <cstring>

TFrequencyMemList::TFrequencyMemList(int32_t itemSize) : FItemSize(itemSize < 0 ? 0 : itemSize) {}

void TFrequencyMemList::Add(const void* item, int32_t weight)
{
    const size_t size = static_cast<size_t>(FItemSize);
    // From the last to the first: a run of equal records meets its own copy first.
    for (size_t i = FItems.size(); i-- > 0;) {
        if (std::memcmp(FItems[i].data(), item, size) != 0)
            continue;
        // Counts saturate rather than wrap on very long documents.
        const int64_t count = static_cast<int64_t>(FCounts[i]) + weight;
        FCounts[i] = static_cast<int32_t>(count > INT32_MAX ? INT32_MAX : count);
        if (FCounts[i] > FBestCount) {
            FBestCount = FCounts[i];
            FBestIndex = static_cast<int32_t>(i);
        }
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(item);
    FItems.emplace_back(bytes, bytes + size);
    FCounts.push_back(weight);
    if (FItems.size() == 1 || weight > FBestCount) {
        FBestCount = weight;
        FBestIndex = static_cast<int32_t>(FItems.size() - 1);
    }
}

const void* TFrequencyMemList::BestItem() const
{
    return FItems.empty() ? nullptr : FItems[static_cast<size_t>(FBestIndex)].data();
}

const void* TFrequencyMemList::Items(int32_t index) const
{
    return FItems.at(static_cast<size_t>(index)).data();
}
