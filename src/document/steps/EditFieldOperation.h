#pragma once
// TEditFieldOperation: a field's instruction text exchanged with the one the
// step stores (a new instruction, and after an application the old one).
#include "document/operations/SubOperation.h"

#include <string>

class TField;

class TEditFieldOperation : public TSubOperation {
public:
    TEditFieldOperation(TDocument* document, TField* field, std::string instruction);

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    TField* Field() const { return FField; }
    const std::string& Instruction() const { return FInstruction; }

private:
    TField* FField;
    std::string FInstruction;
};
