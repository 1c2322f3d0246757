#pragma once
// TFormatSectionOperation: the settings blocks of the sections of a range
// exchanged with the blocks the step stores, one per section.
#include "document/Section.h"
#include "document/SubOperation.h"
#include "document/TextPosition.h"

#include <vector>

// For more than one column: every column's width and spacing as equal
// columns would have them on the page (unequal widths that look equal).
void CalcEqualColumnWidths(TSectionSettings& settings, const TPageParams& params);

class TFormatSectionOperation : public TSubOperation {
public:
    // One block per section of the range: the section's own block, with the
    // column values of the new settings when they set the column count, and
    // their break kind, equal-widths flag and last value when those are set.
    // Equal widths given as -1 (a selection of sections that differ) keep
    // equal widths where a section of several columns has them and otherwise
    // turn the columns into unequal ones of equal widths.
    TFormatSectionOperation(TDocument* document, const TTextRange& range, const TSectionSettings& settings);

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    // Whether applying the step changes any section.
    bool ChangesSomething() const;

private:
    TTextRange FRange;
    std::vector<TSectionSettings> FBlocks;
};
