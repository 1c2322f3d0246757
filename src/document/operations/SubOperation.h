#pragma once
// The undo protocol's smallest pieces. Every edit of a document is recorded as
// a TOperation (Operation.h) holding an ordered list of reversible steps, the
// TSubOperation objects. Each step applies itself when it is made and reports
// in a TUpdateRange what must be laid out again and where the selection and
// the caret go; the records of all steps of one action are merged into one.
#include "foundation/NotSet.h"

#include <cstdint>

class TDocument;

// What a step or an action asks of the views afterwards.
struct TUpdateRange {
    // Nonzero: lay out again from the start and repaint the whole view (only
    // the low byte counts).
    int32_t FullUpdate = 0;
    // The first paragraph to lay out again; NotSet: none.
    int32_t FirstParagraph = NotSet;
    // The page from which pagination must be redone; NotSet: none given.
    int32_t FirstPage = NotSet;
    // The selection to set afterwards; a start paragraph of NotSet leaves the
    // selection as it is, a start equal to the end collapses it at the caret.
    int32_t SelStartParagraph = NotSet;
    int32_t SelStartOffset = NotSet;
    int32_t SelEndParagraph = 0;
    int32_t SelEndOffset = 0;
    // The caret to set afterwards, and the caret's column word.
    int32_t CaretParagraph = 0;
    int32_t CaretOffset = 0;
    int32_t CaretColumn = 0;

    bool IsFull() const { return (FullUpdate & 0xFF) != 0; }
    // Back to the default record.
    void Reset() { *this = TUpdateRange(); }
    // The selection hints: start and end of a range (both (0, 0) when the
    // routine reports none).
    void SetViewHints(int32_t startParagraph, int32_t startOffset, int32_t endParagraph, int32_t endOffset)
    {
        SelStartParagraph = startParagraph;
        SelStartOffset = startOffset;
        SelEndParagraph = endParagraph;
        SelEndOffset = endOffset;
    }
    void SetCaret(int32_t paragraph, int32_t offset, int32_t column)
    {
        CaretParagraph = paragraph;
        CaretOffset = offset;
        CaretColumn = column;
    }
};

// One reversible step of an edit. A step swaps: one call of Undo takes the
// document from the state after the change to the state before it, the next
// call back again. A step whose Undo raises leaves the document as it was
// before the call.
class TSubOperation {
public:
    explicit TSubOperation(TDocument* document);
    virtual ~TSubOperation();
    TSubOperation(const TSubOperation&) = delete;
    TSubOperation& operator=(const TSubOperation&) = delete;

    TDocument* GetDocument() const { return FDocument; }

    // The bytes the step holds: its own size and, in descendants, the buffers
    // and lists it owns.
    virtual int64_t MemorySize() const;
    // Exchanges the state the step stores with the document's and fills the
    // update record. The base does nothing.
    virtual void Undo(TUpdateRange& update);
    // The base calls Undo; steps that re-apply their change forwards override it.
    virtual void Redo(TUpdateRange& update);

protected:
    TDocument* FDocument;
};

// A test hook: when installed, every step calls it before it changes the
// document, so that a test can make a chosen step fail (by raising) and see
// what the failure leaves behind. Returns the previous hook.
using TSubOperationFaultHook = void (*)(const TSubOperation& step);
TSubOperationFaultHook SetSubOperationFaultHook(TSubOperationFaultHook hook);
// Called by the steps; raises whatever the installed hook raises.
void CheckSubOperationFault(const TSubOperation& step);
