#pragma once
// Places and ranges in a document's text. A position is a paragraph index
// (all stories share one index space) and a character offset in that
// paragraph's plain characters, 0 to its character count; the count itself
// lies after the paragraph mark and ends a range that takes the whole
// paragraph. Four further values carry caret placement data unchanged through
// copies. Positions order by paragraph, then offset; the placement values never
// take part in a comparison.
#include "foundation/NotSet.h"

#include <cstdint>

// The placement hint of a selection's start.
constexpr int32_t SelectionStartHint = 0x7FFFFFFF;
// The placement hint of a selection's end.
constexpr int32_t SelectionEndHint = NotSet;

struct TTextPosition {
    int32_t Paragraph = 0;
    int32_t Offset = 0;
    // Caret placement hint (SelectionStartHint, SelectionEndHint).
    int32_t Placement = 0;
    // Placement data that the caret keeps with its position; the first is the
    // page index.
    int32_t Page = 0;
    int32_t PlaceData1 = 0;
    int32_t PlaceData2 = 0;
};

struct TTextRange {
    TTextPosition Start;
    TTextPosition End;
};

// Stores paragraph and offset; the other values are left as they are.
void MakeTextPos(int32_t paragraph, int32_t offset, TTextPosition& position);
// -1 when a comes first, 0 when paragraph and offset are equal, 1 otherwise.
int32_t CompareTextPos(const TTextPosition& a, const TTextPosition& b);
// Start and end at the same paragraph and offset.
bool IsRangeEmpty(const TTextRange& range);
bool TextRangesEqual(const TTextRange& a, const TTextRange& b);
// start <= position < end: the end itself is outside.
bool TextPosInRange(const TTextPosition& position, const TTextRange& range);
// result := the later start (a's on a tie) and the earlier end (b's on a tie),
// whole positions copied. True when the result's start does not come after its
// end: ranges that only touch give an empty range and true.
bool IntersectTextRanges(TTextRange& result, const TTextRange& a, const TTextRange& b);
// The positions covered by exactly one of two ordered ranges, as at most two
// pieces: the first in `first`, the second in whichever of a and b held the
// range that starts later. Returns the number of pieces, 0 to 2.
int32_t SymmetricDiffTextRanges(TTextRange& first, TTextRange& a, TTextRange& b);
