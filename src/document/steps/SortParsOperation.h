#pragma once
// TSortParsOperation: paragraphs reordered by their text. The first
// application sorts them and records every exchange of two paragraphs; each
// later application performs the recorded exchanges in the opposite order of
// the one before, which undoes or redoes the sort.
#include "document/operations/SubOperation.h"

#include <cstdint>
#include <vector>

class TSortParsOperation : public TSubOperation {
public:
    // Paragraphs first to last of one story, none of which closes a section.
    TSortParsOperation(TDocument* document, int32_t firstParagraph, int32_t lastParagraph, bool descending);

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    bool IsSorted() const { return FSorted != 0; }
    // The lowest paragraph index exchanged; NotSet when the sort exchanged none.
    int32_t LowestExchanged() const { return FLowest; }
    int32_t ExchangeCount() const { return static_cast<int32_t>(FExchanges.size() / 2); }

private:
    // -1, 0 or 1: the order of two paragraphs' texts in the system's locale.
    int Compare(int32_t a, int32_t b) const;

    uint8_t FSorted = 0;
    int32_t FLowest = NotSet;
    std::vector<int32_t> FExchanges;
    int32_t FFirst;
    int32_t FLast;
    uint8_t FDescending;
};
