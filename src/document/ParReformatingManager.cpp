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
