#pragma once
// The undo protocol's smallest pieces. Every step of an edit reports in a
// TUpdateRange what must be laid out again and where the selection and the
// caret go; the records of all steps of one action are merged into one, and
// the re-layout queue fills the same record when it lays paragraphs out
// again.
#include "foundation/NotSet.h"

#include <cstdint>

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

