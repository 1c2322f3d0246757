#include "document/model/TextPosition.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TTextPosition Pos(int32_t paragraph, int32_t offset, int32_t placement = 0)
{
    TTextPosition p;
    p.Paragraph = paragraph;
    p.Offset = offset;
    p.Placement = placement;
    return p;
}

TTextRange Range(int32_t p1, int32_t o1, int32_t p2, int32_t o2)
{
    return {Pos(p1, o1), Pos(p2, o2)};
}

std::string Show(const TTextRange& r)
{
    return "(" + std::to_string(r.Start.Paragraph) + "," + std::to_string(r.Start.Offset) + ")-(" +
           std::to_string(r.End.Paragraph) + "," + std::to_string(r.End.Offset) + ")";
}

}  // namespace

TEST(TextPosition, OrderByParagraphThenOffsetIgnoringPlacement)
{
    EXPECT_EQ(CompareTextPos(Pos(3, 5, 1), Pos(3, 5, SelectionEndHint)), 0);
    EXPECT_EQ(CompareTextPos(Pos(2, 90), Pos(3, 0)), -1);
    EXPECT_EQ(CompareTextPos(Pos(3, 0), Pos(2, 90)), 1);
    EXPECT_EQ(CompareTextPos(Pos(3, 4), Pos(3, 5)), -1);

    TTextPosition p = Pos(1, 1);
    p.Page = 7;
    p.PlaceData2 = 9;
    MakeTextPos(4, 2, p);
    EXPECT_EQ(p.Paragraph, 4);
    EXPECT_EQ(p.Offset, 2);
    EXPECT_EQ(p.Page, 7);
    EXPECT_EQ(p.PlaceData2, 9);
}

TEST(TextPosition, RangeTests)
{
    const TTextRange r = Range(1, 2, 3, 4);
    EXPECT_TRUE(TextPosInRange(Pos(1, 2), r));
    EXPECT_TRUE(TextPosInRange(Pos(2, 999), r));
    EXPECT_FALSE(TextPosInRange(Pos(3, 4), r));  // the end is outside
    EXPECT_FALSE(TextPosInRange(Pos(1, 1), r));
    EXPECT_TRUE(IsRangeEmpty({Pos(2, 2, 1), Pos(2, 2, 5)}));
    EXPECT_TRUE(TextRangesEqual(r, {Pos(1, 2, 77), Pos(3, 4, -1)}));
    EXPECT_FALSE(TextRangesEqual(r, Range(1, 2, 3, 5)));
}

TEST(TextPosition, Intersection)
{
    TTextRange result;
    EXPECT_TRUE(IntersectTextRanges(result, Range(0, 0, 2, 0), Range(1, 0, 5, 0)));
    EXPECT_EQ(Show(result), "(1,0)-(2,0)");
    // Touching at one position: empty, and still true.
    EXPECT_TRUE(IntersectTextRanges(result, Range(0, 0, 1, 3), Range(1, 3, 2, 0)));
    EXPECT_EQ(Show(result), "(1,3)-(1,3)");
    EXPECT_FALSE(IntersectTextRanges(result, Range(0, 0, 1, 2), Range(1, 3, 2, 0)));
    // Whole positions are copied: a's start on a tie, b's end on a tie.
    TTextRange a{Pos(1, 1, 11), Pos(2, 2, 12)};
    TTextRange b{Pos(1, 1, 21), Pos(2, 2, 22)};
    IntersectTextRanges(result, a, b);
    EXPECT_EQ(result.Start.Placement, 11);
    EXPECT_EQ(result.End.Placement, 22);
}

TEST(TextPosition, SymmetricDifference)
{
    struct {
        TTextRange A, B;
        int32_t Pieces;
        std::string First, Second;  // the second as found in the later-starting range
    } const cases[] = {
        {Range(1, 1, 1, 1), Range(2, 2, 2, 2), 0, "", ""},
        {Range(1, 1, 1, 1), Range(2, 0, 3, 0), 1, "(2,0)-(3,0)", ""},
        {Range(2, 0, 3, 0), Range(4, 4, 4, 4), 1, "(2,0)-(3,0)", ""},
        // Apart: both ranges as they are.
        {Range(0, 0, 0, 5), Range(1, 0, 1, 5), 2, "(0,0)-(0,5)", "(1,0)-(1,5)"},
        {Range(1, 0, 1, 5), Range(0, 0, 0, 5), 2, "(0,0)-(0,5)", "(1,0)-(1,5)"},
        // Equal: nothing.
        {Range(0, 1, 0, 5), Range(0, 1, 0, 5), 0, "", ""},
        // Equal starts: the tail of the longer one.
        {Range(0, 1, 0, 5), Range(0, 1, 0, 9), 1, "(0,5)-(0,9)", ""},
        {Range(0, 1, 0, 9), Range(0, 1, 0, 5), 1, "(0,5)-(0,9)", ""},
        // Equal ends: the head of the earlier one.
        {Range(0, 1, 0, 9), Range(0, 4, 0, 9), 1, "(0,1)-(0,4)", ""},
        {Range(0, 4, 0, 9), Range(0, 1, 0, 9), 1, "(0,1)-(0,4)", ""},
        // Overlapping: head and tail.
        {Range(0, 1, 0, 6), Range(0, 4, 0, 9), 2, "(0,1)-(0,4)", "(0,6)-(0,9)"},
        {Range(0, 4, 0, 9), Range(0, 1, 0, 6), 2, "(0,1)-(0,4)", "(0,6)-(0,9)"},
        // Touching: the two ranges.
        {Range(0, 1, 0, 4), Range(0, 4, 0, 9), 2, "(0,1)-(0,4)", "(0,4)-(0,9)"},
        // One inside the other: the parts around it.
        {Range(0, 1, 2, 0), Range(1, 0, 1, 3), 2, "(0,1)-(1,0)", "(1,3)-(2,0)"},
        {Range(1, 0, 1, 3), Range(0, 1, 2, 0), 2, "(0,1)-(1,0)", "(1,3)-(2,0)"},
    };
    for (const auto& c : cases) {
        TTextRange a = c.A;
        TTextRange b = c.B;
        const bool secondInA = !IsRangeEmpty(a) && !IsRangeEmpty(b) && CompareTextPos(a.Start, b.Start) >= 0;
        TTextRange first;
        const int32_t pieces = SymmetricDiffTextRanges(first, a, b);
        SCOPED_TRACE(Show(c.A) + " and " + Show(c.B));
        EXPECT_EQ(pieces, c.Pieces);
        if (pieces >= 1) {
            EXPECT_EQ(Show(first), c.First);
        }
        if (pieces == 2) {
            EXPECT_EQ(Show(secondInA ? a : b), c.Second);
            // The earlier-starting range is never touched.
            EXPECT_TRUE(TextRangesEqual(secondInA ? b : a, secondInA ? c.B : c.A));
        }
    }
}
