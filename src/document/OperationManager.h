#pragma once
// A document's undo and redo manager. The document creates it and frees it
// with itself. So far it keeps the positions in the (still empty) operation
// list that the document and its file layer mark: the last operation done,
// the position that matches the saved file and the one of the last recovery
// copy. Recording, undoing and redoing operations come with the operations.
#include "foundation/NotSet.h"

#include <cstdint>

class TDocument;

class TOperationManager {
public:
    explicit TOperationManager(TDocument* document);
    TOperationManager(const TOperationManager&) = delete;
    TOperationManager& operator=(const TOperationManager&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    int32_t Count() const { return 0; }
    bool CanUndo() const { return FCurrentIndex >= 0; }
    bool CanRedo() const { return FCurrentIndex < Count() - 1; }

    // The last operation done; -1 when nothing can be undone.
    int32_t CurrentIndex() const { return FCurrentIndex; }
    // The current index at which the document matched its file; -1 at first,
    // NotSet when no position matches the file.
    int32_t SavedIndex = -1;
    // The current index when the last recovery copy was written; NotSet: none.
    int32_t RecoveryIndex = NotSet;
    // Bytes the recorded operations hold.
    int32_t TotalSize() const { return FTotalSize; }

private:
    TDocument* FDocument;
    int32_t FCurrentIndex = -1;
    int32_t FTotalSize = 0;
};
