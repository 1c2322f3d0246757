#pragma once
// TChangeSectionBreakOperation: the kind of the section break that ends at a
// paragraph exchanged with the kind the step stores.
#include "document/steps/FormatSectionOperation.h"
#include "document/operations/SubOperation.h"

#include <cstdint>

class TChangeSectionBreakOperation : public TSubOperation {
public:
    TChangeSectionBreakOperation(TDocument* document, int32_t paragraph, uint8_t breakKind);

    int64_t MemorySize() const override { return sizeof(TChangeSectionBreakOperation) + FRefit.MemorySize(); }
    void Undo(TUpdateRange& update) override;

    int32_t Paragraph() const { return FParagraph; }
    uint8_t BreakKind() const { return FBreakKind; }

private:
    int32_t FParagraph;
    uint8_t FBreakKind;
    TColumnRefit FRefit;
    bool FForward = true;
};
