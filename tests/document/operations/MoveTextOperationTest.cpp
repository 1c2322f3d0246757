// Moving a block of text: each move, undone and redone, restores every byte
// of both places.
#include "document/EditingFixtures.h"
#include "document/steps/MoveTextOperation.h"
#include "platform/runtime/Exception.h"

namespace {

struct TMoveCase {
    const char* Name;
    std::vector<std::string> Body;
    TTextPosition Start, End, Target;
    std::vector<std::string> Expected;
};

class MoveTextTest : public EditingTest {
protected:
    std::vector<std::string> Body() const
    {
        std::vector<std::string> texts;
        for (int32_t i = 0; i < Doc->StoryCount(stBody); ++i)
            texts.push_back(Text(i));
        return texts;
    }
};

TEST_F(MoveTextTest, MovesAndTheirUndo)
{
    const TMoveCase cases[] = {
        {"forward within a paragraph", {"Hello world{22:2}"}, {0, 3}, {0, 5}, {0, 11}, {"Hel worldlo{22:2}"}},
        {"backward within a paragraph", {"Hello world{22:2}"}, {0, 6}, {0, 11}, {0, 0}, {"worldHello {22:2}"}},
        {"a bold word forward", {"un {2:1}gras{2:0} mot{22:2}"}, {0, 3}, {0, 7}, {0, 11},
         {"un  mot{2:1}gras{2:0}{22:2}"}},
        {"to another paragraph", {"un{22:2}", "deux{22:2}"}, {0, 0}, {0, 2}, {1, 4}, {"{22:2}", "deuxun{22:2}"}},
        {"a whole paragraph back", {"un{22:2}", "deux{22:2}", "trois{22:2}"}, {2, 0}, {3, 0}, {0, 0},
         {"trois{22:2}", "un{22:2}", "deux{22:2}"}},
        {"paragraphs forward", {"un{22:2}", "deux{22:2}", "trois{22:2}"}, {0, 0}, {2, 0}, {2, 5},
         {"troisun{22:2}", "deux{22:2}", "{22:2}"}},
    };
    for (const TMoveCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(false);
        Build(c.Body);
        const std::string before = DumpDocument(*Doc);
        TMoveTextOperation move(Doc.get(), c.Start, c.End, c.Target);
        TUpdateRange update;
        move.Redo(update);
        ExpectDocumentConsistent(*Doc);
        EXPECT_EQ(Body(), c.Expected);
        const std::string after = DumpDocument(*Doc);
        for (int round = 0; round < 2; ++round) {
            move.Undo(update);
            EXPECT_EQ(DumpDocument(*Doc), before);
            EXPECT_EQ(CompareTextPos(move.SourceStart(), c.Start), 0);
            EXPECT_EQ(CompareTextPos(move.SourceEnd(), c.End), 0);
            move.Redo(update);
            EXPECT_EQ(DumpDocument(*Doc), after);
        }
    }
}

TEST_F(MoveTextTest, TheBlockKnowsWhereItStands)
{
    Build({"Hello world{22:2}"});
    TMoveTextOperation move(Doc.get(), {0, 3}, {0, 5}, {0, 11});
    TUpdateRange update;
    move.Redo(update);
    EXPECT_EQ(move.SourceStart().Offset, 9);
    EXPECT_EQ(move.SourceEnd().Offset, 11);
    EXPECT_EQ(move.Target().Offset, 3);
    EXPECT_GT(move.MemorySize(), static_cast<int64_t>(sizeof(TMoveTextOperation)));
}

TEST_F(MoveTextTest, ABookmarkInsideTheBlockTravelsWithIt)
{
    TField& mark = Doc->AddRangeObject(rkBookmark);
    Build({"ab" + Rec(icRangeStart, mark.Handle()) + "cd" + Rec(icRangeEnd, mark.Handle()) + "e{22:2}",
           "f{22:2}"});
    TMoveTextOperation move(Doc.get(), {0, 1}, {0, 4}, {1, 1});
    TUpdateRange update;
    move.Redo(update);
    EXPECT_EQ(Doc->RangeObjects().size(), 1u);
    EXPECT_EQ(mark.Range.Start.Paragraph, 1);
    EXPECT_EQ(mark.Range.Start.Offset, 2);
    EXPECT_EQ(mark.Range.End.Offset, 4);
    move.Undo(update);
    EXPECT_EQ(mark.Range.Start.Paragraph, 0);
    EXPECT_EQ(mark.Range.Start.Offset, 2);
}

TEST_F(MoveTextTest, ABlockCannotMoveIntoItself)
{
    Build({"Hello world{22:2}"});
    const std::string before = DumpDocument(*Doc);
    TMoveTextOperation move(Doc.get(), {0, 2}, {0, 6}, {0, 4});
    TUpdateRange update;
    EXPECT_THROW(move.Redo(update), EInternalError);
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(MoveTextTest, AMoveRecordedByATool)
{
    Build({"un{22:2}", "deux{22:2}"});
    const std::string before = DumpDocument(*Doc);
    auto op = std::make_unique<TOperation>(Doc.get(), 21);
    auto move = std::make_unique<TMoveTextOperation>(Doc.get(), TTextPosition{1, 0}, TTextPosition{2, 0},
                                                     TTextPosition{0, 0});
    TUpdateRange update;
    move->Redo(update);
    op->AddStep(std::move(move));
    Undo().UpdateViews(update);
    Undo().AddOperation(op);
    const std::string after = DumpDocument(*Doc);
    EXPECT_EQ(Text(0), "deux{22:2}");
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), after);
}

}  // namespace
