#include "foundation/AdviseManager.h"

#include "platform/runtime/Resources.h"

#include <algorithm>

TAdviseManager::TAdviseManager()
{
    if (const TResourceData data = FindResourceData("TIPS", "TIPS"))
        FText.Append(data.Data, static_cast<int32_t>(data.Size));
    IndexTips();
}

TAdviseManager::TAdviseManager(const std::string& text)
{
    FText.Append(text.data(), static_cast<int32_t>(text.size()));
    IndexTips();
}

// A tip starts at 0 and after each carriage return while text remains.
void TAdviseManager::IndexTips()
{
    const uint8_t* p = FText.Data();
    const int32_t size = FText.Size();
    if (size == 0)
        return;
    FStarts.push_back(0);
    for (int32_t i = 0; i < size; ++i)
        if (p[i] == 13 && i + 1 < size)
            FStarts.push_back(i + 1);
}

TTipInfo TAdviseManager::GetTip(int32_t index) const
{
    TTipInfo tip;
    if (index < 0 || index >= TipCount())
        return tip;
    const char* p = reinterpret_cast<const char*>(FText.Data());
    const int32_t start = FStarts[static_cast<size_t>(index)];
    int32_t end = start;
    while (end < FText.Size() && p[end] != 13)
        ++end;
    tip.Text.assign(p + start, static_cast<size_t>(end - start));
    // "#" and at least one digit at the end: the command's id.
    size_t digits = tip.Text.size();
    while (digits > 0 && tip.Text[digits - 1] >= '0' && tip.Text[digits - 1] <= '9')
        --digits;
    if (digits < tip.Text.size() && digits > 0 && tip.Text[digits - 1] == '#') {
        int64_t number = 0;
        for (size_t i = digits; i < tip.Text.size(); ++i)
            number = std::min<int64_t>(number * 10 + (tip.Text[i] - '0'), INT32_MAX);
        tip.Number = static_cast<int32_t>(number);
        tip.Text.resize(digits - 1);
    }
    return tip;
}

TTipInfo TAdviseManager::GetPreviousTip()
{
    if (FPosition < 0 || FPosition >= static_cast<int32_t>(FHistory.size()))
        return {};
    const TTipInfo tip = GetTip(FHistory[static_cast<size_t>(FPosition)]);
    --FPosition;
    return tip;
}

TTipInfo TAdviseManager::GetNextTip()
{
    const int32_t shown = static_cast<int32_t>(FHistory.size());
    // Forward again through the tips seen after going back.
    if (FPosition < shown - 2) {
        ++FPosition;
        return GetTip(FHistory[static_cast<size_t>(FPosition + 1)]);
    }
    const int32_t count = TipCount();
    if (count == 0)
        return {};
    int32_t chosen;
    const int32_t counter = FTipCounter ? FTipCounter() : 10;
    if (FDrawn.empty() && counter >= 0 && counter < 10 && counter < count) {
        // The first runs of the program show the first ten tips in order.
        chosen = counter;
    } else {
        if (static_cast<int32_t>(FDrawn.size()) >= count)
            FDrawn.clear();
        std::uniform_int_distribution<int32_t> pick(0, count - 1);
        do
            chosen = pick(FRandom);
        while (std::find(FDrawn.begin(), FDrawn.end(), chosen) != FDrawn.end());
    }
    FDrawn.push_back(chosen);
    FHistory.push_back(chosen);
    FPosition = static_cast<int32_t>(FHistory.size()) - 2;
    return GetTip(chosen);
}
