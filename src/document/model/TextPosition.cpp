#include "document/model/TextPosition.h"

void MakeTextPos(int32_t paragraph, int32_t offset, TTextPosition& position)
{
    position.Paragraph = paragraph;
    position.Offset = offset;
}

int32_t CompareTextPos(const TTextPosition& a, const TTextPosition& b)
{
    if (a.Paragraph != b.Paragraph)
        return a.Paragraph < b.Paragraph ? -1 : 1;
    if (a.Offset != b.Offset)
        return a.Offset < b.Offset ? -1 : 1;
    return 0;
}

bool IsRangeEmpty(const TTextRange& range)
{
    return CompareTextPos(range.Start, range.End) == 0;
}

bool TextRangesEqual(const TTextRange& a, const TTextRange& b)
{
    return CompareTextPos(a.Start, b.Start) == 0 && CompareTextPos(a.End, b.End) == 0;
}

bool TextPosInRange(const TTextPosition& position, const TTextRange& range)
{
    return CompareTextPos(range.Start, position) <= 0 && CompareTextPos(position, range.End) < 0;
}

bool IntersectTextRanges(TTextRange& result, const TTextRange& a, const TTextRange& b)
{
    const TTextPosition start = CompareTextPos(a.Start, b.Start) >= 0 ? a.Start : b.Start;
    const TTextPosition end = CompareTextPos(a.End, b.End) < 0 ? a.End : b.End;
    result.Start = start;
    result.End = end;
    return CompareTextPos(start, end) <= 0;
}

int32_t SymmetricDiffTextRanges(TTextRange& first, TTextRange& a, TTextRange& b)
{
    const bool aEmpty = IsRangeEmpty(a);
    const bool bEmpty = IsRangeEmpty(b);
    if (aEmpty && bEmpty)
        return 0;
    if (aEmpty || bEmpty) {
        first = aEmpty ? b : a;
        return 1;
    }
    const bool bStartsFirst = CompareTextPos(a.Start, b.Start) >= 0;
    const TTextRange early = bStartsFirst ? b : a;
    TTextRange& late = bStartsFirst ? a : b;
    // The second piece goes back into the parameter that held the later range.
    TTextRange second = late;
    first = early;

    const int32_t startOrder = CompareTextPos(early.Start, late.Start);
    const int32_t endOrder = CompareTextPos(early.End, late.End);
    if (CompareTextPos(early.End, late.Start) < 0) {
        late = second;
        return 2;
    }
    if (startOrder == 0 && endOrder == 0)
        return 0;
    if (startOrder == 0) {
        if (endOrder <= 0) {
            first.Start = early.End;
            first.End = second.End;
        } else {
            first.Start = second.End;
            first.End = early.End;
        }
        return 1;
    }
    if (endOrder == 0) {
        first.Start = early.Start;
        first.End = second.Start;
        return 1;
    }
    if (endOrder < 0) {
        // The earlier range ends inside the later one.
        first.End = second.Start;
        const TTextPosition lateEnd = second.End;
        second.Start = early.End;
        second.End = lateEnd;
    } else {
        // The earlier range contains the later one.
        first.End = second.Start;
        second.Start = second.End;
        second.End = early.End;
    }
    late = second;
    return 2;
}
