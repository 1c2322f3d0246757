#pragma once
// TFormatParagraphsOperation: paragraph attributes exchanged with the values
// the step stores: for each paragraph it touches, the attributes that change
// with their values.
#include "document/operations/SubOperation.h"

#include <cstdint>
#include <utility>
#include <vector>

class TFormatParagraphsOperation : public TSubOperation {
public:
    explicit TFormatParagraphsOperation(TDocument* document);

    // Adds a paragraph's block: each pair is an attribute (TParSlot) and the
    // value the paragraph takes when the step is applied.
    void AddBlock(int32_t paragraph, std::vector<std::pair<int32_t, int32_t>> values);
    bool IsEmpty() const { return FBlocks.empty(); }
    int32_t BlockCount() const { return static_cast<int32_t>(FBlocks.size()); }

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

private:
    struct TBlock {
        int32_t Paragraph;
        std::vector<std::pair<int32_t, int32_t>> Values;
    };
    std::vector<TBlock> FBlocks;
};
