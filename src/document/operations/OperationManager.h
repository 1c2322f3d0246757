#pragma once
// A document's undo and redo manager, created by the document and freed with
// it. It keeps the document's recorded operations in one list with a current
// position, records new operations, undoes and redoes them (taking runs of
// typing back together when the user asks for it), bounds the memory the list
// may hold, tracks which position matches the saved file and the last
// recovery copy, and after every recorded operation, undo or redo brings
// layout, pagination, caret, selection and the window up to date.
#include "document/operations/SubOperation.h"
#include "foundation/NotSet.h"

#include <cstdint>
#include <memory>
#include <vector>

class TDocument;
class TOperation;

// The memory the undo list of one document may hold: one eighth of the
// machine's physical memory, computed in 64 bits once on first use.
int64_t UndoMemoryLimit();
// Replaces the limit (tests); 0 or less computes it from the machine again.
void SetUndoMemoryLimit(int64_t bytes);

class TOperationManager {
public:
    explicit TOperationManager(TDocument* document);
    ~TOperationManager();
    TOperationManager(const TOperationManager&) = delete;
    TOperationManager& operator=(const TOperationManager&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    bool CanUndo() const { return FCurrentIndex >= 0; }
    bool CanRedo() const { return FCurrentIndex < Count() - 1; }

    int32_t Count() const { return static_cast<int32_t>(FOperations.size()); }
    TOperation& Operations(int32_t index) const;
    // The last operation done; -1 when nothing can be undone.
    int32_t CurrentIndex() const { return FCurrentIndex; }
    // The current index at which the document matched its file; -1 at first,
    // NotSet when no position matches the file. The saving and loading code
    // writes it.
    int32_t SavedIndex = -1;
    // The current index when the last recovery copy was written; NotSet: none.
    int32_t RecoveryIndex = NotSet;
    // Bytes the recorded operations hold.
    int64_t TotalSize() const { return FTotalSize; }

    // Records a finished operation: an empty one is freed; otherwise the
    // document is marked modified, the undone operations are dropped, the
    // oldest ones are dropped while the list would exceed the memory limit,
    // and the operation becomes the current one. The manager takes the
    // operation only when it is recorded; when recording fails for lack of
    // memory the operation stays with the caller, undisturbed.
    void AddOperation(std::unique_ptr<TOperation>& operation);
    // Undoes the current operation and, under the grouping rules, those
    // before it. With updateViews false the document is changed without
    // re-layout or repaint, and the modified flag and window are left alone.
    void Undo(bool updateViews, TUpdateRange& update);
    void Undo();
    // Redoes the next operation and those that go with it.
    void Redo();
    // Every done operation undone, or every undone one redone, with one view
    // update at the end; no grouping rules.
    void UndoAll();
    void RedoAll();
    // Frees the done operations (nothing is left to undo).
    void ClearUndo();
    // Frees the undone operations (nothing is left to redo).
    void ClearRedo();

    // Lines that layout changed during the current action, to repaint.
    void AddChangedLine(int32_t paragraph, int32_t line);
    void RemoveChangedLinesFrom(int32_t paragraph);
    int32_t ChangedLineCount() const { return static_cast<int32_t>(FChangedLines.size()); }

    // Merges a step's record into an accumulated one: the full flag is or-ed
    // (and then the first paragraph is none); otherwise the earlier first
    // paragraph wins with its page; a first paragraph in the header and
    // footer story repaints from the first page that shows that header or
    // footer; the selection and caret are the step's.
    void MergeUpdateRange(TUpdateRange& accumulated, const TUpdateRange& step);
    // Where re-layout starts for a changed paragraph: the first of the run
    // of keep-with-next paragraphs before it, with the page of its first line
    // (of the previous paragraph's last line when it stands on no page).
    void GetRelayoutStart(TUpdateRange& update, int32_t paragraph);
    // Re-lays out, re-paginates and repaints what the record names, and sets
    // the selection and caret it gives.
    void UpdateViews(TUpdateRange& update);
    // Only the selection and caret that the record gives (a document without
    // a view has nothing else to bring up to date).
    void ApplySelection(const TUpdateRange& update);

private:
    void Replay(TOperation& operation, bool undo, TUpdateRange& update);
    void ReplayAll(bool undo);
    void UpdateViewsAfterReplay(uint8_t scrollOnReplay, TUpdateRange& update);
    bool ContinuesRun(const TOperation& done, bool doneWasInsertion, bool first, const TOperation& next,
                      bool redo) const;
    void FinishReplay(bool updateViews);
    void FreeOperation(int32_t index);
    void LowerMarks(int32_t count);

    struct TChangedLine {
        int32_t Paragraph;
        int32_t Line;
    };
    std::vector<TChangedLine> FChangedLines;
    std::vector<std::unique_ptr<TOperation>> FOperations;
    TDocument* FDocument;
    int32_t FCurrentIndex = -1;
    int64_t FTotalSize = 0;
};
