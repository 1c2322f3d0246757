#pragma once
// TFormatPageNumberOperation: the two page-numbering values of each section
// of a scope (the numbering format and the number the section starts with,
// kept as the section's two trailing values) exchanged with the pairs the
// step stores.
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"

#include <array>
#include <cstdint>
#include <vector>

class TFormatPageNumberOperation : public TSubOperation {
public:
    // A copy of the value for each section from the section of the range's
    // first paragraph to the section that holds its last one.
    TFormatPageNumberOperation(TDocument* document, const TTextRange& range, const int32_t (&value)[2]);

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

private:
    TTextRange FRange;
    std::vector<std::array<int32_t, 2>> FValues;
};
