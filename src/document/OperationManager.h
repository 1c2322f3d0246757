#pragma once
// A document's undo and redo manager, created by the document and freed with
// it. It keeps the positions in the document's list of recorded operations
// that the document and its file layer mark: the last operation done, the
// position that matches the saved file and the one of the last recovery copy.
// After an edit or a re-layout it brings pagination and the window up to
// date (UpdateViews), from the update record that the edit or the re-layout
// queue filled.
#include "document/SubOperation.h"
#include "foundation/NotSet.h"

#include <cstdint>
#include <vector>

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

    // Lines that layout changed during the current action, to repaint.
    void AddChangedLine(int32_t paragraph, int32_t line);
    void RemoveChangedLinesFrom(int32_t paragraph);
    int32_t ChangedLineCount() const { return static_cast<int32_t>(FChangedLines.size()); }

    // Merges a step's record into an accumulated one: the full flag is or-ed
    // (and then the first paragraph is none); otherwise the earlier first
    // paragraph wins with its page; the selection and caret are the step's.
    void MergeUpdateRange(TUpdateRange& accumulated, const TUpdateRange& step);
    // Where re-layout starts for a changed paragraph: the first of the run
    // of keep-with-next paragraphs before it, with the page of its last line.
    void GetRelayoutStart(TUpdateRange& update, int32_t paragraph);
    // Re-paginates from the page the record names, sets the caret it gives
    // and repaints.
    void UpdateViews(TUpdateRange& update);

private:
    struct TChangedLine {
        int32_t Paragraph;
        int32_t Line;
    };
    std::vector<TChangedLine> FChangedLines;
    TDocument* FDocument;
    int32_t FCurrentIndex = -1;
    int32_t FTotalSize = 0;
};
