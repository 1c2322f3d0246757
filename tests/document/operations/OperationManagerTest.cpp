// The undo manager: runs of typing taken back together, joined operations,
// the saved and recovery marks, the memory bound of the list, the update
// records and the views brought up to date.
#include "document/EditingFixtures.h"
#include "document/model/Page.h"
#include "foundation/ShellHelpers.h"

#include <climits>

namespace {

class OperationManagerTest : public EditingTest {
protected:
    void TearDown() override { SetUndoMemoryLimit(0); }
};

TEST_F(OperationManagerTest, TypingRunsUndoAndRedoTogether)
{
    Build({"{22:2}"});
    Type("abc def");
    ASSERT_EQ(Undo().Count(), 7);
    // The space with d, e and f, then a, b and c.
    Undo().Undo();
    EXPECT_EQ(Plain(0), "abc\x02");
    EXPECT_EQ(Undo().CurrentIndex(), 2);
    Undo().Undo();
    EXPECT_EQ(Plain(0), "\x02");
    // Redo from the start: a, b and c with the space, then d, e and f.
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abc \x02");
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abc def\x02");
    EXPECT_FALSE(Undo().CanRedo());
}

TEST_F(OperationManagerTest, WithoutGroupingEachCharacterIsOneUndo)
{
    Host.Group = false;
    Build({"{22:2}"});
    Type("abc");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "ab\x02");
}

TEST_F(OperationManagerTest, ARunEndsWhereTheCaretJumpedOrTheKindChanges)
{
    Build({"wxyz{22:2}"});
    Type("ab");
    Caret(0, 5);
    Type("c");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "abwxyz\x02");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "wxyz\x02");

    // Deletions and insertions do not join.
    Undo().Redo();
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abwxycz\x02");
    auto deletion = std::make_unique<TOperation>(Doc.get(), okTyping);
    TUpdateRange update;
    Doc->DeleteRange({0, 6}, {0, 7}, update, deletion.get(), 0);
    Undo().UpdateViews(update);
    Undo().AddOperation(deletion);
    ASSERT_TRUE(Undo().Operations(2).IsTyping());
    Type("d");
    EXPECT_EQ(Plain(0), "abwxycd\x02");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "abwxyc\x02");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "abwxycz\x02");
}

TEST_F(OperationManagerTest, AutocorrectionEndsARun)
{
    Build({"{22:2}"});
    Type("ab");
    Doc->KindOverride = okAutocorrect;
    Type("c");
    Type("d");
    // d and the autocorrection before it: the run ends once that is undone.
    Undo().Undo();
    EXPECT_EQ(Plain(0), "ab\x02");
    Undo().Undo();
    EXPECT_EQ(Plain(0), "\x02");
    // Redo never runs into or out of it.
    Undo().Redo();
    EXPECT_EQ(Plain(0), "ab\x02");
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abc\x02");
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abcd\x02");
}

TEST_F(OperationManagerTest, JoinedOperationsGoTogether)
{
    Host.Group = false;
    Build({"{22:2}"});
    Type("abc");
    Undo().Operations(2).Joined = 1;
    Undo().Undo();
    EXPECT_EQ(Plain(0), "a\x02");
    Undo().Redo();
    EXPECT_EQ(Plain(0), "abc\x02");
}

TEST_F(OperationManagerTest, TheSavedMarkTellsWhetherTheDocumentIsModified)
{
    Build({"{22:2}"});
    Host.Group = false;
    Type("a");
    Undo().SavedIndex = Undo().CurrentIndex();  // saved here
    Doc->SetModified(false);
    Type("b");
    EXPECT_TRUE(Doc->IsModified());
    Undo().Undo();
    EXPECT_FALSE(Doc->IsModified());
    Undo().Undo();
    EXPECT_TRUE(Doc->IsModified());
    Undo().Redo();
    EXPECT_FALSE(Doc->IsModified());
    // A new operation drops the undone one and the mark above it.
    Undo().Undo();
    Type("c");
    EXPECT_EQ(Undo().SavedIndex, NotSet);
    Undo().Undo();
    EXPECT_TRUE(Doc->IsModified());
}

TEST_F(OperationManagerTest, ClearUndoAtTheSavedIndexKeepsTheSavedState)
{
    Build({"{22:2}"});
    Host.Group = false;
    Type("ab");
    Undo().SavedIndex = Undo().CurrentIndex();
    Undo().RecoveryIndex = Undo().CurrentIndex();
    Doc->SetModified(false);
    Undo().ClearUndo();
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(Undo().TotalSize(), 0);
    // The state the document is in is still the saved one.
    EXPECT_EQ(Undo().SavedIndex, -1);
    EXPECT_EQ(Undo().RecoveryIndex, -1);
    Type("c");
    EXPECT_TRUE(Doc->IsModified());
    Undo().Undo();
    EXPECT_FALSE(Doc->IsModified());
    EXPECT_EQ(Doc->ChangedSinceRecovery, 0);
}

TEST_F(OperationManagerTest, ClearUndoPastTheSavedIndexLeavesNoSavedState)
{
    Build({"{22:2}"});
    Host.Group = false;
    Type("a");
    Undo().SavedIndex = Undo().CurrentIndex();
    Type("b");
    Undo().Undo();
    Undo().Redo();
    Type("c");
    Undo().Undo();
    // Saved at 0; the current index is 1 and index 2 can be redone.
    Undo().ClearUndo();
    EXPECT_EQ(Undo().SavedIndex, NotSet);
    EXPECT_EQ(Undo().Count(), 1);
    EXPECT_TRUE(Undo().CanRedo());
    Undo().Redo();
    Undo().Undo();
    EXPECT_TRUE(Doc->IsModified());
    Undo().ClearRedo();
    EXPECT_FALSE(Undo().CanRedo());
    EXPECT_EQ(Undo().TotalSize(), 0);
}

TEST_F(OperationManagerTest, TheLimitIsAnEighthOfTheMemoryIn64Bits)
{
    const int64_t physical = GetTotalPhysicalMemory();
    ASSERT_GT(physical, 0);
    EXPECT_EQ(UndoMemoryLimit(), physical / 2 / 4);
    // A machine with 16 GiB or more has a limit beyond 32 bits; every edit
    // stays in the history.
    SetUndoMemoryLimit(int64_t{16} << 30 >> 3);
    EXPECT_GT(UndoMemoryLimit(), INT32_MAX / 2);
    Build({"{22:2}"});
    Host.Group = false;
    Type(std::string(100, 'x'));
    EXPECT_EQ(Undo().Count(), 100);
}

TEST_F(OperationManagerTest, TheListStaysWithinItsMemoryBound)
{
    Build({"{22:2}"});
    Host.Group = false;
    Type("a");
    const int64_t one = Undo().TotalSize();
    ASSERT_GT(one, 0);
    SetUndoMemoryLimit(one * 3 + one / 2);
    Type("b");
    Undo().SavedIndex = Undo().CurrentIndex();  // saved after "ab"
    Type("cdefgh");
    EXPECT_LE(Undo().Count(), 3);
    EXPECT_LE(Undo().TotalSize(), UndoMemoryLimit());
    int64_t total = 0;
    for (int32_t i = 0; i < Undo().Count(); ++i)
        total += Undo().Operations(i).MemorySize();
    EXPECT_EQ(total, Undo().TotalSize());
    // The saved state lies further back than the list reaches.
    EXPECT_EQ(Undo().SavedIndex, NotSet);
    while (Undo().CanUndo())
        Undo().Undo();
    EXPECT_EQ(Plain(0), std::string("abcdefgh").substr(0, 8 - Undo().Count()) + "\x02");

    // The saved mark moves down with the dropped operations while its state
    // is still reachable.
    Undo().ClearRedo();
    Undo().ClearUndo();
    Type("x");
    Undo().SavedIndex = Undo().CurrentIndex();
    Type("y");
    Type("z");
    const int32_t saved = Undo().SavedIndex;
    EXPECT_EQ(saved, Undo().CurrentIndex() - 2);
    while (Undo().CurrentIndex() > Undo().SavedIndex)
        Undo().Undo();
    EXPECT_FALSE(Doc->IsModified());

    // An operation larger than the limit is still recorded, alone.
    SetUndoMemoryLimit(1);
    Type("w");
    EXPECT_EQ(Undo().Count(), 1);
}

TEST_F(OperationManagerTest, UndoWithoutViewsLeavesTheFlagsAndTheWindowAlone)
{
    Build({"{22:2}"});
    Type("a");
    const int layouts = Host.LayoutRequests;
    const int repaints = Views.Log.Repaints;
    TUpdateRange update;
    Undo().Undo(false, update);
    EXPECT_EQ(Plain(0), "\x02");
    EXPECT_TRUE(Doc->IsModified());
    EXPECT_EQ(Host.LayoutRequests, layouts);
    EXPECT_EQ(Views.Log.Repaints, repaints);
    EXPECT_EQ(Host.Locks, 0);
    EXPECT_EQ(update.CaretOffset, 0);
}

TEST_F(OperationManagerTest, UndoOnAnEmptySideOnlyRefreshes)
{
    Build({"{22:2}"});
    const std::string before = DumpDocument(*Doc);
    Undo().Undo();
    Undo().Redo();
    Undo().UndoAll();
    Undo().RedoAll();
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_FALSE(Doc->IsModified());
    EXPECT_EQ(Host.Locks, 0);
}

// ---------------------------------------------------------------------------
// Update records

struct TMergeCase {
    const char* Name;
    TUpdateRange Accumulated;
    TUpdateRange Step;
    int32_t Full, First, Page;
};

TUpdateRange Range(int32_t full, int32_t first, int32_t page)
{
    TUpdateRange range;
    range.FullUpdate = full;
    range.FirstParagraph = first;
    range.FirstPage = page;
    return range;
}

TEST_F(OperationManagerTest, MergingUpdateRecords)
{
    Build({"a{22:2}", "b{22:2}", "c{22:2}", "d{22:2}", "e{22:2}", "f{22:2}"});
    const TMergeCase cases[] = {
        {"step names the first", Range(0, NotSet, NotSet), Range(0, 5, 2), 0, 5, 2},
        {"earlier kept", Range(0, 3, 1), Range(0, 5, 4), 0, 3, 1},
        {"earlier wins with its page", Range(0, 5, 4), Range(0, 3, 1), 0, 3, 1},
        {"none leaves it", Range(0, 3, 1), Range(0, NotSet, NotSet), 0, 3, 1},
        {"full drops the first", Range(0, 3, 1), Range(1, 4, 2), 1, NotSet, 1},
        {"full stays full", Range(1, NotSet, NotSet), Range(0, 2, 0), 1, NotSet, NotSet},
    };
    for (const TMergeCase& c : cases) {
        TUpdateRange accumulated = c.Accumulated;
        accumulated.CaretColumn = 77;
        TUpdateRange step = c.Step;
        step.SetViewHints(1, 2, 3, 4);
        step.SetCaret(5, 6, 99);
        Undo().MergeUpdateRange(accumulated, step);
        EXPECT_EQ(accumulated.FullUpdate, c.Full) << c.Name;
        EXPECT_EQ(accumulated.FirstParagraph, c.First) << c.Name;
        EXPECT_EQ(accumulated.FirstPage, c.Page) << c.Name;
        // The step's selection and caret, the accumulated column.
        EXPECT_EQ(accumulated.SelStartParagraph, 1) << c.Name;
        EXPECT_EQ(accumulated.SelEndOffset, 4) << c.Name;
        EXPECT_EQ(accumulated.CaretParagraph, 5) << c.Name;
        EXPECT_EQ(accumulated.CaretOffset, 6) << c.Name;
        EXPECT_EQ(accumulated.CaretColumn, 77) << c.Name;
    }
}

TEST_F(OperationManagerTest, AHeaderRepaintsFromTheFirstPageThatShowsIt)
{
    Build({"Corps{22:2}"});
    AddToStory(stHeadersFooters, "En-tête{22:2}");
    TField& header = Doc->AddRangeObject(rkHeaderFooter);
    MakeTextPos(1, 0, header.Range.Start);
    MakeTextPos(1, 8, header.Range.End);
    for (int32_t i = 0; i < 5; ++i) {
        auto page = std::make_unique<TPage>(Doc.get(), i);
        if (i == 2 || i == 4)
            page->Header = &header;
        Doc->Pages().push_back(std::move(page));
    }
    TUpdateRange accumulated;
    Undo().MergeUpdateRange(accumulated, Range(0, 1, NotSet));
    EXPECT_EQ(accumulated.FullUpdate, 1);
    EXPECT_EQ(accumulated.FirstParagraph, 1);
    EXPECT_EQ(accumulated.FirstPage, 2);
    Doc->Pages().clear();
}

TEST_F(OperationManagerTest, RelayoutStartsAtTheFirstOfAKeepWithNextRun)
{
    TCharLayout layout;
    Build({"un{22:2}", "deux{22:2}", "trois{22:2}", "quatre{22:2}"});
    TPage page(Doc.get(), 3);
    for (int32_t i = 0; i < 4; ++i) {
        TParagraph& paragraph = Doc->Paragraphs(i);
        paragraph.Invalidate(true, 4);
        paragraph.GetLine(paragraph.GetLineCount() - 1).Page = &page;
    }
    Doc->Paragraphs(1).Format[pfKeepWithNext] = 1;
    Doc->Paragraphs(2).Format[pfKeepWithNext] = 1;
    TUpdateRange update;
    Undo().GetRelayoutStart(update, 3);
    EXPECT_EQ(update.FirstParagraph, 1);
    EXPECT_EQ(update.FirstPage, 3);
    // Not laid out: background pagination will get there.
    Doc->Paragraphs(0).Invalidate(false, 0);
    Undo().GetRelayoutStart(update, 0);
    EXPECT_EQ(update.FirstParagraph, NotSet);
    EXPECT_EQ(update.FirstPage, NotSet);
    // Not placed after a placed paragraph: the page of that one's last line
    // was made with it.
    Doc->Paragraphs(3).Invalidate(false, 0);
    Undo().GetRelayoutStart(update, 3);
    EXPECT_EQ(update.FirstParagraph, 1);
    EXPECT_EQ(update.FirstPage, 3);
    Doc->Paragraphs(1).Format[pfKeepWithNext] = 0;
    Doc->Paragraphs(2).Format[pfKeepWithNext] = 0;
    Undo().GetRelayoutStart(update, 3);
    EXPECT_EQ(update.FirstParagraph, 3);
    EXPECT_EQ(update.FirstPage, 3);
    for (int32_t i = 0; i < 4; ++i)
        Doc->Paragraphs(i).Invalidate(false, 0);
}

TEST_F(OperationManagerTest, TypingLaysTheParagraphOutAgainAndRepaintsItsLines)
{
    TCharLayout layout;
    TTestDocumentLayout documentLayout;
    Build({"abcdefghijkl{22:2}"});
    TParagraph& paragraph = Doc->Paragraphs(0);
    paragraph.Invalidate(true, 5);
    ASSERT_EQ(paragraph.GetLineCount(), 3);
    Caret(0, 7);
    documentLayout.Repainted.clear();
    Type("XY");
    // Laid out again at once, from the line before the change.
    EXPECT_TRUE(paragraph.GetLaidOutFlag());
    EXPECT_EQ(paragraph.GetLineCount(), 3);
    EXPECT_EQ(paragraph.GetLine(1).FirstChar, 5);
    EXPECT_EQ(paragraph.GetLine(2).FirstChar, 10);
    EXPECT_EQ(paragraph.GetLine(2).CharCount, 5);
    EXPECT_FALSE(documentLayout.Repainted.empty());
    EXPECT_EQ(Undo().ChangedLineCount(), 0);
    Undo().Undo();
    EXPECT_EQ(Plain(0), "abcdefghijkl\x02");
}

TEST_F(OperationManagerTest, UndoRestoresTheSelectionAndRedoTheCaret)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    Select(0, 2, 1, 3);
    Type("Z");
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->Caret.Offset, 3);
    Undo().Undo();
    EXPECT_EQ(Doc->Selection().Start.Paragraph, 0);
    EXPECT_EQ(Doc->Selection().Start.Offset, 2);
    EXPECT_EQ(Doc->Selection().End.Paragraph, 1);
    EXPECT_EQ(Doc->Selection().End.Offset, 3);
    Undo().Redo();
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->Caret.Paragraph, 0);
    EXPECT_EQ(Doc->Caret.Offset, 3);
}

}  // namespace
