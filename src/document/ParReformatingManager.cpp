#include "document/ParReformatingManager.h"

#include <algorithm>

TParReformatingManager::TParReformatingManager(TDocument* document) : FDocument(document) {}

void TParReformatingManager::AddParagraph(int32_t index)
{
    if (std::find(FQueue.begin(), FQueue.end(), index) == FQueue.end())
        FQueue.push_back(index);
}

void TParReformatingManager::RemoveParagraph(int32_t index)
{
    FQueue.erase(std::remove(FQueue.begin(), FQueue.end(), index), FQueue.end());
}

void TParReformatingManager::ParagraphsReplaced(int32_t index, int32_t oldCount, int32_t newCount) noexcept
{
    if (oldCount == newCount)
        return;
    const int32_t kept = std::min(oldCount, newCount);
    const int32_t delta = newCount - oldCount;
    auto gone = [&](int32_t queued) { return queued >= index + kept && queued < index + oldCount; };
    FQueue.erase(std::remove_if(FQueue.begin(), FQueue.end(), gone), FQueue.end());
    for (int32_t& queued : FQueue)
        if (queued >= index + oldCount)
            queued += delta;
}
