// Long sequences of mixed edits (typing, Enter, overtype, typing over
// selections, deletions, moves and sorts, in formatted text with a bookmark,
// over two sections), drawn from a fixed seed: undoing all of them restores
// the document byte for byte, and redoing all of them brings back the end
// state.
#include "document/EditingFixtures.h"
#include "document/steps/MoveTextOperation.h"
#include "document/steps/SortParsOperation.h"

#include <random>

namespace {

class EditSequenceTest : public EditingTest {
protected:
    std::mt19937 Random{20240611};

    int32_t Pick(int32_t from, int32_t to) { return std::uniform_int_distribution<int32_t>(from, to)(Random); }

    TTextPosition AnyPosition()
    {
        const int32_t paragraph = Pick(0, Doc->StoryCount(stBody) - 1);
        return {paragraph, Pick(0, Doc->Paragraphs(paragraph).GetCharCount() - 1)};
    }

    // A tool's operation around one step-making call.
    template <typename Edit>
    void Record(uint8_t kind, Edit&& edit)
    {
        auto op = std::make_unique<TOperation>(Doc.get(), kind);
        TUpdateRange update;
        edit(op.get(), update);
        Undo().UpdateViews(update);
        Undo().AddOperation(op);
    }

    void RandomEdit()
    {
        switch (Pick(0, 7)) {
        case 0:
        case 1: {
            const TTextPosition at = AnyPosition();
            Caret(at.Paragraph, at.Offset);
            Type(std::string(1, "abc xyz\xE9"[Pick(0, 7)]));
            break;
        }
        case 2: {
            const TTextPosition at = AnyPosition();
            Caret(at.Paragraph, at.Offset);
            Type("\r");
            break;
        }
        case 3: {
            const TTextPosition at = AnyPosition();
            Caret(at.Paragraph, at.Offset);
            Host.Overtype = true;
            Type("OV");
            Host.Overtype = false;
            break;
        }
        case 4: {
            TTextPosition a = AnyPosition();
            TTextPosition b = AnyPosition();
            if (CompareTextPos(b, a) < 0)
                std::swap(a, b);
            Select(a.Paragraph, a.Offset, b.Paragraph, b.Offset);
            TypeText(Pick(0, 1) ? "R" : "r\rs");
            break;
        }
        case 5: {
            TTextPosition a = AnyPosition();
            TTextPosition b = AnyPosition();
            if (CompareTextPos(b, a) < 0)
                std::swap(a, b);
            Record(20, [&](TOperation* op, TUpdateRange& update) { Doc->DeleteRange(a, b, update, op, 0); });
            break;
        }
        case 6: {
            TTextPosition a = AnyPosition();
            TTextPosition b = AnyPosition();
            TTextPosition target = AnyPosition();
            if (CompareTextPos(b, a) < 0)
                std::swap(a, b);
            const bool inside = CompareTextPos(a, target) < 0 && CompareTextPos(target, b) < 0;
            if (CompareTextPos(a, b) == 0 || inside || Doc->GetStoryOfParagraph(target.Paragraph) != stBody)
                break;
            // A section break stays where it is.
            for (int32_t p = a.Paragraph; p < b.Paragraph; ++p)
                if (Plain(p).back() == '\x03')
                    return;
            Record(21, [&](TOperation* op, TUpdateRange& update) {
                auto move = std::make_unique<TMoveTextOperation>(Doc.get(), a, b, target);
                move->Redo(update);
                op->AddStep(std::move(move));
            });
            break;
        }
        case 7: {
            const int32_t first = Pick(0, Doc->StoryCount(stBody) - 1);
            const int32_t last = std::min(first + Pick(1, 4), Doc->StoryCount(stBody) - 1);
            for (int32_t p = first; p <= last; ++p)
                if (Plain(p).back() == '\x03')
                    return;
            if (first == last)
                break;
            Record(27, [&](TOperation* op, TUpdateRange& update) {
                auto sort = std::make_unique<TSortParsOperation>(Doc.get(), first, last, Pick(0, 1) == 1);
                sort->Redo(update);
                op->AddStep(std::move(sort));
            });
            break;
        }
        }
    }
};

TEST_F(EditSequenceTest, EverythingUndoneAndRedoneByteForByte)
{
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        Doc = std::make_unique<TDocument>(false);
        TSection& section = Doc->InsertSection(0);
        TField& mark = Doc->AddRangeObject(rkBookmark);
        Build({"Premier {2:1}paragraphe{2:0} du texte{22:2}", "Deuxième {3:1}ligne en {2:1}italique{3:0} et " +
                                                               Rec(icRangeStart, mark.Handle()) + "gras{2:0}" +
                                                               Rec(icRangeEnd, mark.Handle()) + " fin" +
                                                               SectionBreak(section),
               "Troisième paragraphe{22:2}", "{14:3}Quatrième{14:0}{22:2}", "Cinq{22:2}"});
        Doc->Paragraphs(2).Format[pfAlignment] = 1;
        Doc->Paragraphs(3).Format[pfKeepWithNext] = 1;
        Doc->RefreshRangeObjectPositions();
        // Every other run with laid-out paragraphs, which edits lay out again.
        std::unique_ptr<TCharLayout> layout;
        if (run % 2) {
            layout = std::make_unique<TCharLayout>();
            for (int32_t i = 0; i < Doc->ParagraphCount(); ++i)
                Doc->Paragraphs(i).Invalidate(true, 7);
        }
        const std::string before = DumpDocument(*Doc);
        for (int i = 0; i < 40; ++i) {
            RandomEdit();
            ExpectDocumentConsistent(*Doc);
            if (HasFatalFailure())
                return;
        }
        const std::string after = DumpDocument(*Doc);
        Undo().UndoAll();
        EXPECT_EQ(DumpDocument(*Doc), before);
        Undo().RedoAll();
        EXPECT_EQ(DumpDocument(*Doc), after);
        while (Undo().CanUndo())
            Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before);
    }
}

}  // namespace
