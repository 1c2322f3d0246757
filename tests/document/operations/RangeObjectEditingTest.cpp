// Range objects in edits: removing and inserting objects and single anchors
// undoably among neighbouring anchors, field instructions, the detach and
// re-attach phases around replacements (with and without keeping an object
// that spans the replaced text), and typing next to anchors.
#include "document/FormattingFixtures.h"
#include "document/fields/FieldInstructions.h"
#include "document/steps/InsertDeleteFieldOperation.h"

namespace {

class RangeObjectEditingTest : public FormattingTest {
protected:
    TField* A = nullptr;
    TField* B = nullptr;
    TField* C = nullptr;

    // Three objects whose anchors share places: A over "bc", B over "b" and C
    // empty at the end of "bc".
    void BuildNested()
    {
        A = &Doc->AddRangeObject(rkBookmark);
        B = &Doc->AddRangeObject(rkField);
        C = &Doc->AddRangeObject(rkBookmark);
        Build({"a" + Rec(26, A->Handle()) + Rec(26, B->Handle()) + "{2:1}b" + Rec(27, B->Handle()) + "c" +
                   Rec(27, A->Handle()) + Rec(26, C->Handle()) + Rec(27, C->Handle()) + "{2:0}d{22:2}",
               "Fin{22:2}"});
        Doc->RefreshRangeObjectPositions();
    }

    // The paragraph of BuildNested with its anchors spelled out.
    std::string Nested() const
    {
        return "a" + Rec(26, A->Handle()) + Rec(26, B->Handle()) + "{2:1}b" + Rec(27, B->Handle()) + "c" +
               Rec(27, A->Handle()) + Rec(26, C->Handle()) + Rec(27, C->Handle()) + "{2:0}d{22:2}";
    }

    // A tool's operation around the calls.
    template <typename Edit>
    void Record(Edit&& edit)
    {
        auto op = std::make_unique<TOperation>(Doc.get(), okCommand);
        TUpdateRange update;
        edit(op.get(), update);
        Undo().UpdateViews(update);
        Undo().AddOperation(op);
    }

    void ExpectRoundTrip(const std::string& before, const std::string& after)
    {
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(DumpAll(*Doc), after);
    }

    int32_t IndexOf(const TField* field) const
    {
        const auto& list = Doc->RangeObjects();
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == field)
                return static_cast<int32_t>(i);
        return -1;
    }
};

TEST_F(RangeObjectEditingTest, ARemovedObjectComesBackAmongItsNeighbours)
{
    BuildNested();
    for (TField** which : {&A, &B, &C}) {
        TField* object = *which;
        const std::string before = DumpAll(*Doc);
        const int32_t index = IndexOf(object);
        Record([&](TOperation* op, TUpdateRange& update) { Doc->RemoveRangeObject(object, update, op); });
        EXPECT_EQ(IndexOf(object), -1);
        EXPECT_EQ(Plain(0), "abcd\x02");
        const std::string after = DumpAll(*Doc);
        ExpectRoundTrip(before, after);
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), before);
        EXPECT_EQ(IndexOf(object), index);
    }
    EXPECT_EQ(Text(0), Nested());
}

TEST_F(RangeObjectEditingTest, ANewObjectTakesItsPlaceAndIsFreedWithItsStep)
{
    BuildNested();
    const std::string before = DumpAll(*Doc);
    auto object = std::make_unique<TField>(Doc.get(), rkField);
    TField* field = object.get();
    const TObjectHandle handle = field->Handle();
    // From the place of A's and B's starts to the place of C: its start goes
    // before the anchors at its start, its end after those at its end.
    Record([&](TOperation* op, TUpdateRange& update) {
        Doc->InsertRangeObject(std::move(object), {0, 1}, {0, 3}, update, op);
    });
    EXPECT_EQ(Text(0), "a" + Rec(26, handle) + Rec(26, A->Handle()) + Rec(26, B->Handle()) + "{2:1}b" +
                           Rec(27, B->Handle()) + "c" + Rec(27, A->Handle()) + Rec(26, C->Handle()) +
                           Rec(27, C->Handle()) + Rec(27, handle) + "{2:0}d{22:2}");
    EXPECT_EQ(field->Range.Start.Offset, 1);
    EXPECT_EQ(field->Range.End.Offset, 3);
    ExpectRoundTrip(before, DumpAll(*Doc));
    Undo().Undo();
    Undo().ClearRedo();
    EXPECT_EQ(Doc->Objects().GetField(handle), nullptr);
    EXPECT_EQ(DumpAll(*Doc), before);
}

TEST_F(RangeObjectEditingTest, SingleAnchorsAndInstructions)
{
    BuildNested();
    const std::string before = DumpAll(*Doc);
    // C's end taken out and put back after "d", at the end of the anchors there.
    Record([&](TOperation* op, TUpdateRange& update) {
        Doc->ToggleSingleAnchor(0, 3, C, anchorEnd, true, SkipAllAnchors, update, op);
        Doc->ToggleSingleAnchor(0, 4, C, anchorEnd, false, SkipAllAnchors, update, op);
    });
    EXPECT_EQ(Text(0), "a" + Rec(26, A->Handle()) + Rec(26, B->Handle()) + "{2:1}b" + Rec(27, B->Handle()) + "c" +
                           Rec(27, A->Handle()) + Rec(26, C->Handle()) + "{2:0}d" + Rec(27, C->Handle()) + "{22:2}");
    EXPECT_EQ(C->Range.End.Offset, 4);
    ExpectRoundTrip(before, DumpAll(*Doc));

    std::string instruction = "PAGE \\* ROMAN";
    int32_t handle = B->Handle();
    const std::string middle = DumpAll(*Doc);
    Doc->ExecuteOperation(docChangeFieldInstruction, {&instruction, &handle});
    EXPECT_EQ(B->Instruction, "PAGE \\* ROMAN");
    ExpectRoundTrip(middle, DumpAll(*Doc));
}

TEST_F(RangeObjectEditingTest, ReplacingAFieldsTextKeepsItOnlyWhenAsked)
{
    BuildFixture();
    auto replace = [&](uint8_t keep) {
        Doc->KeepSpanningObject = keep;
        TMemory text;
        text.Append("XYZ", 3);
        Record([&](TOperation* op, TUpdateRange& update) {
            Doc->ReplaceText({4, 9}, {4, 11}, update, op, 0, text);
        });
        Doc->KeepSpanningObject = 0;
    };
    const std::string before = DumpAll(*Doc);
    replace(0);
    EXPECT_EQ(Text(4), "Quatorze XYZ seize{22:2}");
    EXPECT_EQ(IndexOf(Field), -1);
    ExpectRoundTrip(before, DumpAll(*Doc));
    Undo().Undo();

    replace(1);
    EXPECT_EQ(Text(4), "Quatorze " + Rec(26, Field->Handle()) + "XYZ" + Rec(27, Field->Handle()) + " seize{22:2}");
    EXPECT_EQ(Field->Range.End.Offset, 12);
    ExpectRoundTrip(before, DumpAll(*Doc));
}

TEST_F(RangeObjectEditingTest, TypingOverABookmarksStartKeepsTheRestOfIt)
{
    BuildFixture();
    // "ze do" typed over: the rest of the bookmark stays one, starting where
    // the replaced text ends.
    Select(3, 2, 3, 7);
    const std::string before = DumpAll(*Doc);
    TypeText("ZE DO");
    EXPECT_EQ(Text(3), "OnZE DO" + Rec(26, Mark->Handle()) + "uze" + Rec(27, Mark->Handle()) + " treize" +
                           SectionBreak(*S1));
    ExpectRoundTrip(before, DumpAll(*Doc));
}

TEST_F(RangeObjectEditingTest, TypingAtAnchorsLeavesThemInPlace)
{
    BuildNested();
    // At the place of A's end and C: the typed text follows them.
    Caret(0, 3);
    const std::string before = DumpAll(*Doc);
    Type("xy");
    EXPECT_EQ(Text(0), "a" + Rec(26, A->Handle()) + Rec(26, B->Handle()) + "{2:1}b" + Rec(27, B->Handle()) + "c" +
                           Rec(27, A->Handle()) + Rec(26, C->Handle()) + Rec(27, C->Handle()) + "{2:0}xyd{22:2}");
    Undo().UndoAll();
    EXPECT_EQ(DumpAll(*Doc), before);
    // Without anchors at the caret typing stays one step per character.
    Caret(1, 1);
    Type("ab");
    EXPECT_TRUE(Undo().Operations(Undo().CurrentIndex()).IsTyping());
}

TEST_F(RangeObjectEditingTest, TypingBeforeAnEmptyObjectAtAParagraphStartLeavesItThere)
{
    // An empty field, hyperlink or bookmark at the start of the second
    // paragraph; text typed there goes after it, and the object's end stays
    // with its start (it never closes the paragraph before, which would put
    // it ahead of its start).
    const std::pair<uint8_t, uint8_t> kinds[] = {{rkField, fkPage}, {rkField, fkHyperlink}, {rkBookmark, 0}};
    for (const auto& [kind, type] : kinds) {
        SCOPED_TRACE(testing::Message() << int(kind) << " " << int(type));
        Doc = std::make_unique<TDocument>(false);
        TField& object = Doc->AddRangeObject(kind);
        object.Type = type;
        const std::string anchors = Rec(26, object.Handle()) + Rec(27, object.Handle());
        Build({"Un{22:2}", anchors + "Deux{22:2}"});
        Doc->RefreshRangeObjectPositions();
        const std::string before = DumpAll(*Doc);
        Caret(1, 0);
        Type("x\r");
        EXPECT_EQ(Text(0), "Un{22:2}");
        EXPECT_EQ(Text(1), anchors + "x{22:2}");
        EXPECT_EQ(Text(2), "Deux{22:2}");
        EXPECT_EQ(object.Range.Start.Paragraph, 1);
        EXPECT_EQ(object.Range.End.Paragraph, 1);
        EXPECT_EQ(object.Range.End.Offset, 0);
        Undo().UndoAll();
        EXPECT_EQ(DumpAll(*Doc), before);
    }
}

TEST_F(RangeObjectEditingTest, AFilteredDetachLeavesBookmarksAndHeaders)
{
    BuildNested();
    TUpdateRange update;
    auto op = std::make_unique<TOperation>(Doc.get(), okCommand);
    Doc->DetachAnchors({0, 1}, {0, 2}, true, update, op.get());
    // Field starts are taken, bookmarks and field ends are not: B's start
    // stood at the range start and goes back there.
    EXPECT_EQ(Text(0), "a" + Rec(26, A->Handle()) + "{2:1}b" + Rec(27, B->Handle()) + "c" + Rec(27, A->Handle()) +
                           Rec(26, C->Handle()) + Rec(27, C->Handle()) + "{2:0}d{22:2}");
    Doc->ReattachAnchors({0, 1}, {0, 1}, update, op.get());
    EXPECT_EQ(Text(0), Nested());
    EXPECT_EQ(op->StepCount(), 2);
    // With bookmarks: A, wholly inside, goes; B's start and the empty C at the
    // range end are put back at the start.
    Doc->IncludeBookmarks = 1;
    Doc->DetachAnchors({0, 1}, {0, 3}, true, update, op.get());
    Doc->IncludeBookmarks = 0;
    EXPECT_EQ(IndexOf(A), -1);
    EXPECT_EQ(IndexOf(B), 0);
    Doc->ReattachAnchors({0, 1}, {0, 1}, update, op.get());
    EXPECT_EQ(Text(0), "a" + Rec(26, B->Handle()) + Rec(26, C->Handle()) + Rec(27, C->Handle()) + "{2:1}b" +
                           Rec(27, B->Handle()) + "c{2:0}d{22:2}");
    TUpdateRange back;
    ASSERT_TRUE(op->Rollback(back));
    EXPECT_EQ(Text(0), Nested());
}

TEST_F(RangeObjectEditingTest, WithoutRangeObjectsBothPhasesDoNothing)
{
    Build({"Texte simple{22:2}"});
    TUpdateRange update;
    auto op = std::make_unique<TOperation>(Doc.get(), okCommand);
    Doc->DetachAnchors({0, 0}, {0, 5}, false, update, op.get());
    Doc->ReattachAnchors({0, 0}, {0, 0}, update, op.get());
    EXPECT_TRUE(op->IsEmpty());
    EXPECT_EQ(Text(0), "Texte simple{22:2}");
}

}  // namespace
