// The insert/delete step: what a deletion leaves, and every byte back when
// the text returns; paragraph formats, section breaks and range objects that
// leave the document with the text and come back with it.
#include "document/EditingFixtures.h"
#include "document/steps/InsertDeleteOperation.h"
#include "platform/runtime/Exception.h"

namespace {

struct TDeletionCase {
    const char* Name;
    std::vector<std::string> Body;
    TTextPosition Start;
    TTextPosition End;
    std::vector<std::string> Expected;  // the body after the deletion
};

class InsertDeleteTest : public EditingTest {
protected:
    // Applies a deletion step, then swaps it back and forth.
    std::unique_ptr<TInsertDeleteOperation> Delete(const TTextPosition& start, const TTextPosition& end,
                                                   int32_t story = stBody)
    {
        auto step = TInsertDeleteOperation::CreateDeletion(Doc.get(), start, end, story);
        TUpdateRange update;
        step->Redo(update);
        return step;
    }
    std::vector<std::string> Body() const
    {
        std::vector<std::string> texts;
        for (int32_t i = 0; i < Doc->StoryCount(stBody); ++i)
            texts.push_back(Text(i));
        return texts;
    }
};

TEST_F(InsertDeleteTest, DeletionsAndTheirReturn)
{
    const TDeletionCase cases[] = {
        {"within a paragraph", {"Bonjour{22:2}"}, {0, 1}, {0, 4}, {"Bour{22:2}"}},
        {"a bold run", {"a{2:1}bc{2:0}d{22:2}"}, {0, 1}, {0, 3}, {"ad{22:2}"}},
        {"into a bold run", {"a{2:1}bc{2:0}d{22:2}"}, {0, 2}, {0, 4}, {"a{2:1}b{2:0}{22:2}"}},
        {"from a bold run", {"a{2:1}bc{2:0}de{22:2}"}, {0, 0}, {0, 2}, {"{2:1}c{2:0}de{22:2}"}},
        {"a paragraph end", {"un{22:2}", "deux{22:2}"}, {0, 2}, {1, 0}, {"undeux{22:2}"}},
        {"across paragraphs", {"un{22:2}", "{2:1}deux{22:2}", "trois{22:2}"}, {0, 1}, {2, 2},
         {"uois{22:2}"}},
        {"into formatted text", {"un{22:2}", "{2:1}deux{22:2}"}, {0, 1}, {1, 2}, {"u{2:1}ux{22:2}"}},
        {"whole paragraphs at the end", {"un{22:2}", "deux{22:2}", "trois{22:2}"}, {1, 0}, {3, 0},
         {"un{22:2}"}},
        {"whole paragraphs inside", {"un{22:2}", "deux{22:2}", "trois{22:2}"}, {1, 0}, {2, 0},
         {"un{22:2}", "trois{22:2}"}},
        {"one character", {"a b{22:2}"}, {0, 1}, {0, 2}, {"ab{22:2}"}},
        {"a special character", {"a{22:7}b{22:2}"}, {0, 1}, {0, 2}, {"ab{22:2}"}},
    };
    for (const TDeletionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(false);
        Build(c.Body);
        for (int32_t i = 0; i < Doc->StoryCount(stBody); ++i)
            Doc->Paragraphs(i).Format[pfAlignment] = i + 1;
        const std::string before = DumpDocument(*Doc);
        auto step = Delete(c.Start, c.End);
        EXPECT_EQ(Body(), c.Expected);
        EXPECT_FALSE(step->IsInDocument());
        ExpectDocumentConsistent(*Doc);
        const std::string after = DumpDocument(*Doc);
        for (int round = 0; round < 2; ++round) {
            TUpdateRange update;
            step->Undo(update);
            EXPECT_EQ(DumpDocument(*Doc), before);
            EXPECT_TRUE(step->IsInDocument());
            step->Redo(update);
            EXPECT_EQ(DumpDocument(*Doc), after);
        }
        ExpectDocumentConsistent(*Doc);
    }
}

TEST_F(InsertDeleteTest, TheSurvivingParagraphHasTheEndsFormatAndUndoBringsBothBack)
{
    Build({"un{22:2}", "deux{22:2}", "trois{22:2}"});
    Doc->Paragraphs(0).Format[pfAlignment] = 1;
    Doc->Paragraphs(1).Format[pfAlignment] = 2;
    Doc->Paragraphs(2).Format[pfSpaceBefore] = 120;
    auto step = Delete({0, 1}, {2, 1});
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 0);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfSpaceBefore], 120);
    EXPECT_EQ(step->ParagraphSpan(), 2);
    EXPECT_EQ(step->CharCount(), 2 + 5 + 1);
    TUpdateRange update;
    step->Undo(update);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 1);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfAlignment], 2);
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfSpaceBefore], 120);
}

TEST_F(InsertDeleteTest, OneCharacterStepsAreMarked)
{
    Build({"a b{22:2}", "c{22:2}"});
    auto space = Delete({0, 1}, {0, 2});
    EXPECT_EQ(space->Flags(), idfOneChar | idfSpace);
    TUpdateRange update;
    space->Undo(update);
    EXPECT_EQ(space->Flags(), idfInDocument | idfOneChar | idfSpace);
    auto letter = Delete({0, 0}, {0, 1});
    EXPECT_EQ(letter->Flags(), idfOneChar);
    // A paragraph end is no character of a line.
    auto mark = Delete({0, 2}, {1, 0});
    EXPECT_EQ(mark->Flags(), 0);
    EXPECT_EQ(mark->ParagraphSpan(), 1);
}

TEST_F(InsertDeleteTest, ASectionBreakLeavesWithItsTextAndComesBack)
{
    TSection& first = Doc->InsertSection(0);
    first.Settings[ssBreakKind] = sbOddPage;
    const TObjectHandle handle = first.Handle();
    Build({"un" + SectionBreak(first), "deux{22:2}"});
    ASSERT_EQ(Doc->SectionCount(), 2);
    const std::string before = DumpDocument(*Doc);
    auto step = Delete({0, 1}, {1, 1});
    EXPECT_EQ(Doc->SectionCount(), 1);
    EXPECT_EQ(Doc->IndexOfSection(&first), -1);
    EXPECT_GT(step->ExtraBytes(), 0);
    EXPECT_GT(step->MemorySize(), step->StoredText().Size());
    TUpdateRange update;
    step->Undo(update);
    EXPECT_EQ(Doc->SectionCount(), 2);
    EXPECT_EQ(Doc->IndexOfSection(&first), 0);
    EXPECT_EQ(DumpDocument(*Doc), before);
    // Freed while its text is out of the document, the step frees the section.
    step->Redo(update);
    step.reset();
    EXPECT_EQ(Doc->Objects().GetSection(handle), nullptr);
    EXPECT_EQ(Doc->SectionCount(), 1);
}

TEST_F(InsertDeleteTest, SectionsFollowTheirBreaksInTextOrder)
{
    TSection& a = Doc->InsertSection(0);
    TSection& b = Doc->InsertSection(1);
    Build({"a" + SectionBreak(a), "b" + SectionBreak(b), "c{22:2}"});
    auto step = Delete({0, 0}, {1, 0});
    EXPECT_EQ(Doc->SectionCount(), 2);
    TUpdateRange update;
    step->Undo(update);
    EXPECT_EQ(&Doc->Sections(0), &a);
    EXPECT_EQ(&Doc->Sections(1), &b);
}

TEST_F(InsertDeleteTest, RangeObjectsInsideTheTextLeaveAndComeBack)
{
    TField& inside = Doc->AddRangeObject(rkBookmark);
    TField& around = Doc->AddRangeObject(rkBookmark);
    Build({"a" + Rec(icRangeStart, around.Handle()) + "b" + Rec(icRangeStart, inside.Handle()) + "cd" +
               Rec(icRangeEnd, inside.Handle()) + "e" + Rec(icRangeEnd, around.Handle()) + "f{22:2}"});
    Doc->RefreshRangeObjectPositions();
    const TObjectHandle handle = inside.Handle();
    const std::string before = DumpDocument(*Doc);
    // From b to e: the bookmark around keeps its anchors at both edges.
    auto step = Delete({0, 1}, {0, 5});
    EXPECT_EQ(Doc->RangeObjects().size(), 1u);
    EXPECT_EQ(Doc->RangeObjects().front().get(), &around);
    EXPECT_EQ(Text(0), "a" + Rec(icRangeStart, around.Handle()) + Rec(icRangeEnd, around.Handle()) + "f{22:2}");
    EXPECT_EQ(around.Range.Start.Offset, 1);
    EXPECT_EQ(around.Range.End.Offset, 1);
    TUpdateRange update;
    step->Undo(update);
    EXPECT_EQ(DumpDocument(*Doc), before);
    step->Redo(update);
    step.reset();
    EXPECT_EQ(Doc->Objects().GetField(handle), nullptr);
}

TEST_F(InsertDeleteTest, InsertionsAtEveryKindOfPlace)
{
    Build({"un{22:2}", "deux{22:2}"});
    AddToStory(stFootnotes, "note{22:2}");
    const std::string before = DumpDocument(*Doc);
    struct TInsertion {
        TTextPosition At;
        int32_t Story;
        std::string Text;
    };
    const TInsertion insertions[] = {
        {{0, 0}, stBody, "X"},
        {{0, 2}, stBody, "X{22:2}" "\x1d" "Y"},
        {{1, 4}, stBody, "{22:2}" "\x1d" "Z"},
        // Whole paragraphs after the body's last one, before the notes.
        {{2, 0}, stBody, "fin{22:2}" "\x1d"},
        {{2, 4}, stFootnotes, "s"},
    };
    for (const TInsertion& insertion : insertions) {
        SCOPED_TRACE(insertion.Text);
        const std::string encoded = EncodeText(insertion.Text);
        TMemory text;
        text.Append(encoded.data(), static_cast<int32_t>(encoded.size()));
        auto step = TInsertDeleteOperation::CreateInsertion(Doc.get(), insertion.At, insertion.Story, text);
        TUpdateRange update;
        step->Redo(update);
        ExpectDocumentConsistent(*Doc);
        const std::string after = DumpDocument(*Doc);
        EXPECT_NE(after, before);
        step->Undo(update);
        EXPECT_EQ(DumpDocument(*Doc), before);
        step->Redo(update);
        EXPECT_EQ(DumpDocument(*Doc), after);
        step->Undo(update);
    }
    EXPECT_EQ(Doc->StoryCount(stFootnotes), 1);
}

TEST_F(InsertDeleteTest, TheBodyKeepsOneParagraph)
{
    Build({"seul{22:2}"});
    const std::string before = DumpDocument(*Doc);
    auto step = TInsertDeleteOperation::CreateDeletion(Doc.get(), {0, 0}, {1, 0}, stBody);
    TUpdateRange update;
    EXPECT_THROW(step->Redo(update), EInternalError);
    EXPECT_EQ(DumpDocument(*Doc), before);
}

}  // namespace
