#pragma once
// The tips of the tips window, from the program's "TIPS" resource: Windows-1252
// text, one tip per line (lines end with a carriage return). A tip may end with
// "#" and a decimal help context id: the help topic that explains the tip
// further (the tips window's details button opens it). Tips are browsed back and
// forth through the history of those shown since the program started; new ones
// are drawn at random without repeating a tip before all were shown, except
// over the first runs of the program, which show the first ten in order.
#include "foundation/Memory.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

struct TTipInfo {
    std::string Text;
    // The help topic (help context id) of the tip; 0 when it names none.
    int32_t Number = 0;
};

class TAdviseManager {
public:
    // Loads the "TIPS" resource.
    TAdviseManager();
    // Tips from the given text instead of the resource.
    explicit TAdviseManager(const std::string& text);

    int32_t TipCount() const { return static_cast<int32_t>(FStarts.size()); }
    TTipInfo GetTip(int32_t index) const;
    bool HasPreviousTip() const { return FPosition >= 0; }
    TTipInfo GetPreviousTip();
    TTipInfo GetNextTip();

    // The options' tip counter: how many tips the tips window has shown over
    // the runs of the program (the window advances it). Without a source the
    // counter counts as 10: tips are drawn at random from the first.
    void SetTipCounterSource(std::function<int32_t()> source) { FTipCounter = std::move(source); }
    // Draws from a fixed seed (tests).
    void SeedRandom(uint32_t seed) { FRandom.seed(seed); }

    const std::vector<int32_t>& History() const { return FHistory; }
    int32_t HistoryPosition() const { return FPosition; }

private:
    void IndexTips();

    TMemory FText;
    std::vector<int32_t> FStarts;
    std::vector<int32_t> FHistory;
    int32_t FPosition = -1;
    std::vector<int32_t> FDrawn;
    std::function<int32_t()> FTipCounter;
    std::mt19937 FRandom{std::random_device{}()};
};
