#include "document/operations/SubOperation.h"

#include <utility>

namespace {

TSubOperationFaultHook g_FaultHook = nullptr;

}  // namespace

TSubOperation::TSubOperation(TDocument* document) : FDocument(document) {}

TSubOperation::~TSubOperation() = default;

int64_t TSubOperation::MemorySize() const
{
    return sizeof(TSubOperation);
}

void TSubOperation::Undo(TUpdateRange& /*update*/) {}

void TSubOperation::Redo(TUpdateRange& update)
{
    Undo(update);
}

TSubOperationFaultHook SetSubOperationFaultHook(TSubOperationFaultHook hook)
{
    return std::exchange(g_FaultHook, hook);
}

void CheckSubOperationFault(const TSubOperation& step)
{
    if (g_FaultHook)
        g_FaultHook(step);
}
