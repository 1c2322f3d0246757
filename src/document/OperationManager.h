#pragma once
// A document's undo and redo manager, created by the document and freed with
// it. It keeps the positions in the document's list of recorded operations
// that the document and its file layer mark: the last operation done, the
// position that matches the saved file and the one of the last recovery copy.
#include "foundation/NotSet.h"

#include <cstdint>

class TDocument;

class TOperationManager {
public:
    explicit TOperationManager(TDocument* document);
    TOperationManager(const TOperationManager&) = delete;
    TOperationManager& operator=(const TOperationManager&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    bool CanUndo() const { return FCurrentIndex >= 0; }

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
