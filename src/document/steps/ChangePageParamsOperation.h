#pragma once
// TChangePageParamsOperation: page parameters of the sections of a scope
// exchanged with the records the step stores, one per section. The change
// kind says what is exchanged: one margin (0 left, 1 right, 2 top, 3 bottom),
// the header distance (4), the footer distance (5), the orientation (6), or
// the whole record (7, which also gives every other section of the document
// the record's flag word).
#include "document/steps/FormatSectionOperation.h"
#include "document/model/Section.h"
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"

#include <cstdint>
#include <vector>

class TSection;

enum TPageParamsChange : uint8_t {
    ppcLeftMargin = 0,
    ppcRightMargin = 1,
    ppcTopMargin = 2,
    ppcBottomMargin = 3,
    ppcHeaderDistance = 4,
    ppcFooterDistance = 5,
    ppcOrientation = 6,
    ppcWhole = 7,
};

class TChangePageParamsOperation : public TSubOperation {
public:
    explicit TChangePageParamsOperation(TDocument* document);

    // The scope and the change; then one record per section of the scope, in
    // section order (the sections' values after the change; not read for an
    // orientation change).
    TTextRange Scope;
    uint8_t ChangeKind = ppcWhole;
    std::vector<TPageParams> Records;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

private:
    void Exchange(TSection& section, TPageParams& record);
    // An orientation change has been applied: the records hold the sections'
    // parameters from before it.
    bool FTurned = false;
    // For a whole page set-up: the flag word of every section outside the
    // scope, exchanged with these.
    std::vector<std::pair<TSection*, int32_t>> FOtherFlags;
    bool FOtherFlagsTaken = false;
    TColumnRefit FRefit;
    bool FForward = true;
};
