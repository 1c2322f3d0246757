#pragma once
// TFormatSectionOperation: the settings blocks of the sections of a range
// exchanged with the blocks the step stores, one per section.
#include "document/model/Section.h"
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"

#include <vector>

// For more than one column: every column's width and spacing as equal
// columns would have them on the page (unequal widths that look equal).
void CalcEqualColumnWidths(TSectionSettings& settings, const TPageParams& params);

// The widths of unequal columns that the sections refit to their page after a
// change of page sizes, page groups or columns. The step that causes the
// change refits them at once and keeps the settings of every section from
// before and after, so that each later application gives back exactly the
// widths of its side instead of refitting them again (refitting is not
// reversible).
class TColumnRefit {
public:
    // Call before the step's first change, then After once the change is made.
    void Before(TDocument& document);
    void After(TDocument& document);
    // Call after each later application: forward gives the settings from after
    // the change, otherwise those from before it.
    void Restore(TDocument& document, bool forward);
    int64_t MemorySize() const;

private:
    struct TSnapshot {
        TSection* Section;
        TSectionSettings Settings;
    };
    std::vector<TSnapshot> FBefore;
    std::vector<TSnapshot> FAfter;
    bool FTaken = false;
};

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
    TColumnRefit FRefit;
    bool FForward = true;
};
