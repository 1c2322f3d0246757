#pragma once
// TChangeSectionHeadersOperation: the step that exchanges a section's six
// header and footer references with the six it stores.
#include "document/operations/SubOperation.h"

class TField;
class TSection;

class TChangeSectionHeadersOperation : public TSubOperation {
public:
    // The references the section takes when the step is first applied.
    TChangeSectionHeadersOperation(TDocument* document, TSection* section, TField* const (&references)[6]);

    int64_t MemorySize() const override { return sizeof(TChangeSectionHeadersOperation); }
    void Undo(TUpdateRange& update) override;

    TSection* Section() const { return FSection; }

private:
    TSection* FSection;
    TField* FReferences[6];
};
