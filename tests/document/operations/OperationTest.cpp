// Operations: their names, the progress shown while a large one is undone
// or redone, and the steps taken back together.
#include "document/EditingFixtures.h"
#include "document/steps/InsertDeleteOperation.h"

#include <cstring>

namespace {

class OperationTest : public EditingTest {
protected:
    // An operation of `steps` one-character insertions at the end of the
    // first paragraph, recorded as a tool records it.
    void RecordInsertions(int32_t steps)
    {
        auto op = std::make_unique<TOperation>(Doc.get(), okTyping);
        TUpdateRange update;
        for (int32_t i = 0; i < steps; ++i) {
            TMemory text;
            text.AppendByte('x');
            const int32_t end = Doc->Paragraphs(0).GetCharCount() - 1;
            Doc->PrepareTypingFormat({0, end}, 0);
            TUpdateRange local;
            Doc->InsertPlainTextAt(text, {0, end}, local, op.get(), 0);
            Undo().MergeUpdateRange(update, local);
        }
        EXPECT_EQ(op->StepCount(), steps);
        EXPECT_EQ(op->IsLarge(), steps >= LargeOperationSteps);
        Undo().UpdateViews(update);
        Undo().AddOperation(op);
    }
};

TEST_F(OperationTest, NamesByKind)
{
    EXPECT_EQ(OperationName(okCommand), "la commande");
    EXPECT_EQ(OperationName(okTyping), "la saisie de texte");
    EXPECT_EQ(OperationName(okAutocorrect), "la correction automatique");
    EXPECT_EQ(OperationName(60), "la coupe de mots");
    EXPECT_EQ(OperationName(61), "la commande");
}

TEST_F(OperationTest, AnEmptyOperationIsNeverRecorded)
{
    Build({"{22:2}"});
    auto op = std::make_unique<TOperation>(Doc.get(), okTyping);
    EXPECT_TRUE(op->IsEmpty());
    Undo().AddOperation(op);
    EXPECT_EQ(op, nullptr);
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_FALSE(Doc->IsModified());
}

TEST_F(OperationTest, LargeOperationsShowTheirProgress)
{
    Build({"{22:2}"});
    RecordInsertions(LargeOperationSteps - 1);
    Undo().Undo();
    Undo().Redo();
    EXPECT_TRUE(Host.ProgressTexts.empty());

    RecordInsertions(LargeOperationSteps);
    Undo().Undo();
    ASSERT_EQ(Host.ProgressTexts.size(), 1u);
    EXPECT_EQ(Host.ProgressTexts[0], "Annulation de la saisie de texte ...");
    ASSERT_EQ(Host.ProgressSteps.size(), static_cast<size_t>(LargeOperationSteps));
    EXPECT_EQ(Host.ProgressSteps.front(), 1);
    EXPECT_EQ(Host.ProgressSteps.back(), LargeOperationSteps);
    EXPECT_EQ(Host.ProgressEnds, 1);
    Undo().Redo();
    ASSERT_EQ(Host.ProgressTexts.size(), 2u);
    EXPECT_EQ(Host.ProgressTexts[1], "Rétablissement de la saisie de texte ...");

    // A progress display that runs already is left alone.
    Host.Running = true;
    Undo().Undo();
    EXPECT_EQ(Host.ProgressTexts.size(), 2u);
    EXPECT_EQ(Plain(0), std::string(LargeOperationSteps - 1, 'x') + "\x02");
}

TEST_F(OperationTest, TypingOperationsAreOneCharacterSteps)
{
    Build({"Bonjour{22:2}"});
    Type("a");
    EXPECT_TRUE(Undo().Operations(0).IsTyping());
    TypeText("bc");
    EXPECT_FALSE(Undo().Operations(1).IsTyping());
    Type("\r");
    EXPECT_FALSE(Undo().Operations(2).IsTyping());
    Type(" ");
    const auto& step = dynamic_cast<const TInsertDeleteOperation&>(Undo().Operations(3).Steps(0));
    EXPECT_EQ(step.Flags(), idfInDocument | idfOneChar | idfSpace);
    EXPECT_GT(Undo().Operations(3).MemorySize(), 0);
}

TEST_F(OperationTest, RollbackTakesTheStepsBackInReverse)
{
    Build({"Bonjour{22:2}"});
    const std::string before = DumpDocument(*Doc);
    Caret(0, 3);
    auto op = std::make_unique<TOperation>(Doc.get(), okTyping);
    TUpdateRange update;
    for (const char* text : {"ab", "\r", "cd"}) {
        TMemory buffer;
        buffer.Append(text, static_cast<int32_t>(std::strlen(text)));
        Doc->PrepareTypingFormat({Doc->Caret.Paragraph, Doc->Caret.Offset}, 0);
        Doc->InsertPlainTextAt(buffer, {Doc->Caret.Paragraph, Doc->Caret.Offset}, update, op.get(), 0);
    }
    EXPECT_EQ(Plain(0), "Bonab\x02");
    EXPECT_EQ(Plain(1), "cdjour\x02");
    TUpdateRange back;
    EXPECT_TRUE(op->Rollback(back));
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(back.CaretParagraph, 0);
    EXPECT_EQ(back.CaretOffset, 3);
}

}  // namespace
