#include "document/steps/EditFieldOperation.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "platform/runtime/Exception.h"

#include <utility>

TEditFieldOperation::TEditFieldOperation(TDocument* document, TField* field, std::string instruction)
    : TSubOperation(document), FField(field), FInstruction(std::move(instruction))
{
    if (!field)
        throw EInternalError("Modification d'instruction sans champ");
}

int64_t TEditFieldOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TEditFieldOperation) + FInstruction.capacity());
}

void TEditFieldOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    std::swap(FField->Instruction, FInstruction);
    // A bookmark's name is its instruction text.
    FDocument->BookmarkListDirty = 1;
}
