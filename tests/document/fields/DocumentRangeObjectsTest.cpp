// Bookmarks, fields and hyperlinks: the bookmark list, the position search,
// bookmark names, navigation, the operations of the dispatcher (each undone
// and redone byte for byte), following a hyperlink, and bookmarks that stay in
// place while the text around them is edited.
#include "document/FormattingFixtures.h"
#include "document/fields/FieldInstructions.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TFieldHost : public TEditHost {
public:
    bool TextOrder = false;
    std::vector<std::string> Commands;
    bool BookmarksInTextOrder() override { return TextOrder; }
    // The space-adjustment switch, and what it was when insertion asked
    // whether typing replaces the selection.
    bool SpaceAdjust = true;
    std::vector<bool> SpaceAdjustSeen;
    bool SpaceAdjustment() override { return SpaceAdjust; }
    void SetSpaceAdjustment(bool on) override { SpaceAdjust = on; }
    bool TypingReplacesSelection() override
    {
        SpaceAdjustSeen.push_back(SpaceAdjust);
        return TEditHost::TypingReplacesSelection();
    }
};

class RangeObjectsTest : public EditingTest {
protected:
    TFieldHost Fields;
    TField* Zeta = nullptr;
    TField* Alpha = nullptr;
    TField* Link = nullptr;
    TField* PageRef = nullptr;

    TField& Add(uint8_t kind, uint8_t type, const std::string& instruction)
    {
        TField& object = Doc->AddRangeObject(kind);
        object.Type = type;
        object.Instruction = instruction;
        return object;
    }
    std::string Open(const TField* object) { return Rec(icRangeStart, object->Handle()); }
    std::string Close(const TField* object) { return Rec(icRangeEnd, object->Handle()); }

    // "Un deux trois quatre 5 six" with the bookmark Zeta on "deux" (3..7), a
    // hyperlink to #alpha on "quatre 5" (14..22) holding a page reference on
    // "5" (21..22); "Fin" with the bookmark alpha on it.
    void BuildFixture()
    {
        Zeta = &Add(rkBookmark, 0, "Zeta");
        Link = &Add(rkField, fkHyperlink, R"(HYPERLINK \l "alpha")");
        PageRef = &Add(rkField, fkPageRef, "PAGEREF alpha \\h");
        Alpha = &Add(rkBookmark, 0, "alpha");
        Build({"Un " + Open(Zeta) + "deux" + Close(Zeta) + " trois " + Open(Link) + "quatre " + Open(PageRef) + "5" +
                   Close(PageRef) + Close(Link) + " six" + kMark,
               Open(Alpha) + "Fin" + Close(Alpha) + kMark});
        Doc->RefreshRangeObjectPositions();
    }

    TField* At(int32_t paragraph, int32_t offset, uint8_t type = 255, uint8_t kind = 255,
               const TFieldTypeSet* excluded = nullptr)
    {
        return Doc->FindRangeAt({paragraph, offset}, type, kind, excluded);
    }

    std::string Names()
    {
        std::string out;
        TStringList& list = Doc->GetBookmarkList();
        for (int32_t i = 0; i < list.Count(); ++i)
            out += (i ? "," : "") + list.Strings(i);
        return out;
    }

    std::string RoundTrip(TDocOperationCode code, std::initializer_list<void*> params)
    {
        return RoundTripOperation(*Doc, code, params);
    }

    TTextPosition CaretPos() const { return {Doc->Caret.Paragraph, Doc->Caret.Offset}; }
};

void ExpectRange(const TField* object, int32_t p1, int32_t o1, int32_t p2, int32_t o2)
{
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Range.Start.Paragraph, p1);
    EXPECT_EQ(object->Range.Start.Offset, o1);
    EXPECT_EQ(object->Range.End.Paragraph, p2);
    EXPECT_EQ(object->Range.End.Offset, o2);
}

}  // namespace

TEST_F(RangeObjectsTest, BookmarkListAndPositionSearch)
{
    BuildFixture();
    // Sorted by name without regard to case, or left in text order.
    EXPECT_EQ(Names(), "alpha,Zeta");
    Fields.TextOrder = true;
    Doc->BookmarkListDirty = 1;
    EXPECT_EQ(Names(), "Zeta,alpha");
    Fields.TextOrder = false;
    Doc->RebuildBookmarkListInTextOrder();
    EXPECT_EQ(Doc->BookmarkNames().Strings(0), "Zeta");
    EXPECT_EQ(Names(), "alpha,Zeta");
    // The rebuild sets ranges and nesting.
    ExpectRange(PageRef, 0, 21, 0, 22);
    EXPECT_EQ(PageRef->StartsInside, 1);
    EXPECT_EQ(PageRef->EndsInside, 1);
    EXPECT_EQ(Link->StartsInside, 0);
    EXPECT_EQ(Link->EndsInside, 0);
    TTextRange range;
    Doc->GetBookmarkRange(Alpha, range);
    EXPECT_EQ(range.End.Offset, 3);

    // An object's start is found, its end is not; of nested objects the inner one.
    EXPECT_EQ(At(0, 14), Link);
    EXPECT_EQ(At(0, 20), Link);
    EXPECT_EQ(At(0, 21), PageRef);
    EXPECT_EQ(At(0, 22), nullptr);
    EXPECT_EQ(At(0, 13), nullptr);
    EXPECT_EQ(At(0, 21, fkHyperlink), Link);
    TFieldTypeSet pageRefs;
    pageRefs.set(fkPageRef);
    EXPECT_EQ(At(0, 21, 255, 255, &pageRefs), Link);
    EXPECT_EQ(At(0, 21, 255, rkBookmark), nullptr);
    // Bookmarks only while hidden kinds are searched.
    EXPECT_EQ(At(0, 4), nullptr);
    Doc->FindHiddenKinds = 1;
    EXPECT_EQ(At(0, 4), Zeta);
    EXPECT_EQ(At(1, 0), Alpha);
    Doc->FindHiddenKinds = 0;

    // The field at the caret, or at the selection's start.
    Caret(0, 16);
    EXPECT_EQ(Doc->FindFieldAtCaret(fkHyperlink), Link);
    Select(0, 21, 1, 2);
    EXPECT_EQ(Doc->FindFieldAtCaret(fkPageRef), PageRef);
    EXPECT_FALSE(Doc->HasHeaderFooterFieldsOfTypes(pageRefs));
}

TEST_F(RangeObjectsTest, BookmarkNames)
{
    BuildFixture();
    EXPECT_TRUE(Doc->BookmarkNameExists("ZETA"));
    EXPECT_TRUE(Doc->BookmarkNameExists("Alpha"));
    EXPECT_FALSE(Doc->BookmarkNameExists("beta"));
    TField extra(nullptr, rkBookmark);
    extra.Instruction = "Beta";
    std::vector<TField*> others{&extra};
    EXPECT_TRUE(Doc->BookmarkNameExists("beta", &others));

    AddToStory(stBody, std::string("1er chapitre : Introduction. ...! Zeta alpha") + kMark);
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 0, 2, 27)), "_er_chapitre___Introduction");
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 29, 2, 33)), "Signet_1");
    Add(rkBookmark, 0, "Signet_1");
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 29, 2, 33)), "Signet_2");
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 34, 2, 38)), "Zeta_1");
    // Only the first 32 characters count; an empty range takes the sentence
    // from the caret on.
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 0, 2, 40)), "_er_chapitre___Introduction");
    Caret(2, 4);
    EXPECT_EQ(Doc->MakeBookmarkName(MakeRange(2, 4, 2, 4)), "chapitre___Introduction");
}

TEST_F(RangeObjectsTest, NavigationGoesRound)
{
    BuildFixture();
    TTestDocumentLayout layout;
    Caret(0, 0);
    // Before every bookmark: previous goes to the last one.
    Doc->GoToPrevBookmark();
    EXPECT_EQ(CaretPos().Paragraph, 1);
    EXPECT_EQ(CaretPos().Offset, 0);
    // After every bookmark: next goes to the first.
    Caret(1, 3);
    Doc->GoToNextBookmark();
    EXPECT_EQ(CaretPos().Paragraph, 0);
    EXPECT_EQ(CaretPos().Offset, 3);
    Doc->GoToNextBookmark();
    EXPECT_EQ(CaretPos().Paragraph, 1);
    Doc->GoToPrevBookmark();
    EXPECT_EQ(CaretPos().Offset, 3);
    EXPECT_FALSE(Doc->HasSelection());
    // The list is sorted by name again for its next user.
    EXPECT_EQ(Names(), "alpha,Zeta");

    Doc->GoToBookmark("ZETA", true);
    EXPECT_EQ(Doc->Selection().Start.Offset, 3);
    EXPECT_EQ(Doc->Selection().End.Offset, 7);
    Doc->GoToBookmark("inconnu", true);
    EXPECT_EQ(Doc->Selection().End.Offset, 7);
}

TEST_F(RangeObjectsTest, BookmarkOperations)
{
    BuildFixture();
    // A bookmark around the selection, then removed by name; its text stays.
    Select(0, 8, 0, 13);
    std::string name = "Trois";
    RoundTrip(docInsertBookmark, {&name});
    Doc->FindHiddenKinds = 1;
    TField* trois = At(0, 10);
    Doc->FindHiddenKinds = 0;
    ASSERT_NE(trois, nullptr);
    EXPECT_EQ(trois->Instruction, "Trois");
    ExpectRange(trois, 0, 8, 0, 13);
    EXPECT_EQ(Names(), "alpha,Trois,Zeta");
    // An empty one at the caret.
    Caret(1, 3);
    name = "Fin";
    RoundTrip(docInsertBookmark, {&name});
    EXPECT_EQ(Names(), "alpha,Fin,Trois,Zeta");

    name = "trois";
    RoundTrip(docDeleteBookmark, {&name});
    EXPECT_EQ(Names(), "alpha,Fin,Zeta");
    EXPECT_EQ(Plain(0), "Un deux trois quatre 5 six\x02");
    // An unknown name changes nothing.
    const int32_t count = Undo().Count();
    name = "personne";
    Doc->ExecuteOperation(docDeleteBookmark, {&name});
    EXPECT_EQ(Undo().Count(), count);
}

TEST_F(RangeObjectsTest, HyperlinkOperations)
{
    BuildFixture();
    auto& styles = Doc->Styles();
    auto normal = std::make_unique<TStyle>(&styles);
    normal->Name = normal->DisplayName = "Normal";
    ClearCharFormat(normal->CharFormat);
    ClearParFormat(normal->ParFormat);
    normal->CharFormat[cfColor] = 6;
    const int32_t style = styles.Add(std::move(normal));
    Doc->Paragraphs(0).Format[pfStyle] = style;

    // Around the selection, without display text: the text stays, with the
    // hyperlink format.
    Select(0, 8, 0, 13);
    std::string instruction = BuildHyperlinkField("http://www.example.fr/", "");
    std::string display;
    RoundTrip(docInsertHyperlink, {&instruction, &display});
    TField* link = At(0, 9, fkHyperlink);
    ASSERT_NE(link, nullptr);
    ExpectRange(link, 0, 8, 0, 13);
    EXPECT_EQ(Plain(0), "Un deux trois quatre 5 six\x02");
    TCharFormat format;
    Doc->GetCharFormatAt({0, 9}, format);
    EXPECT_EQ(format[cfUnderline], 1);
    EXPECT_EQ(format[cfColor], 2);

    // Removed at the caret: the text takes the style's underline and colour.
    Caret(0, 10);
    RoundTrip(docRemoveHyperlink, {});
    EXPECT_EQ(At(0, 9, fkHyperlink), nullptr);
    Doc->GetCharFormatAt({0, 9}, format);
    EXPECT_EQ(format[cfUnderline], 0);
    EXPECT_EQ(format[cfColor], 6);

    // With a display text and a selection: the text replaces the selection
    // and the hyperlink runs over it.
    Select(1, 0, 1, 3);
    display = "Voir";
    instruction = BuildHyperlinkField("#Zeta", "Aller");
    Fields.SpaceAdjustSeen.clear();
    RoundTrip(docInsertHyperlink, {&instruction, &display});
    EXPECT_EQ(Plain(1), "Voir\x02");
    ExpectRange(At(1, 0, fkHyperlink), 1, 0, 1, 4);
    // The space-adjustment switch was off for the insertion and is back on.
    EXPECT_EQ(Fields.SpaceAdjustSeen, std::vector<bool>{false});
    EXPECT_TRUE(Fields.SpaceAdjust);

    // Without a selection, removing the hyperlinks of a selection only says so.
    Caret(0, 0);
    const std::string before = DumpAll(*Doc);
    const int32_t count = Undo().Count();
    {
        TMessageAnswers answers;
        answers.Expect("Cette action (\"la d\xE9sactivation des liens hypertextes\") ne s'applique qu'\xE0 une "
                       "s\xE9lection.",
                       mrOk);
        Doc->ExecuteOperation(docRemoveHyperlinksInSelection);
    }
    EXPECT_EQ(Undo().Count(), count);
    EXPECT_EQ(DumpAll(*Doc), before);
    // Over both paragraphs: both hyperlinks go.
    Select(0, 0, 1, 2);
    RoundTrip(docRemoveHyperlinksInSelection, {});
    EXPECT_EQ(At(0, 15, fkHyperlink), nullptr);
    EXPECT_EQ(At(1, 1, fkHyperlink), nullptr);
    EXPECT_EQ(At(0, 21, fkPageRef), PageRef);
}

TEST_F(RangeObjectsTest, ReplacingALinksTextRemovesThatLinkOnly)
{
    // "A lien et autre": one hyperlink on "lien" (2..6), another on "autre"
    // (10..15) holding the caret.
    TField* first = &Add(rkField, fkHyperlink, BuildHyperlinkField("#un", ""));
    TField* second = &Add(rkField, fkHyperlink, BuildHyperlinkField("#deux", ""));
    Build({"A " + Open(first) + "lien" + Close(first) + " et " + Open(second) + "autre" + Close(second) + kMark});
    Doc->RefreshRangeObjectPositions();
    Caret(0, 12);
    TTextPosition start{0, 2}, end{0, 6};
    TMemory text;
    text.Append("XY", 2);
    uint8_t flags = 0;
    RoundTrip(docReplaceText, {&start, &end, &text, &flags});
    EXPECT_EQ(Plain(0), "A XY et autre\x02");
    EXPECT_EQ(At(0, 2, fkHyperlink), nullptr);
    ExpectRange(At(0, 8, fkHyperlink), 0, 8, 0, 13);
    EXPECT_EQ(At(0, 8, fkHyperlink), second);
}

TEST_F(RangeObjectsTest, BrokenBookmarkLinks)
{
    BuildFixture();
    TField& broken = Add(rkField, fkHyperlink, BuildHyperlinkField("#perdu", ""));
    Doc->Paragraphs(1).InsertControl(0, icRangeStart, broken.Handle());
    Doc->Paragraphs(1).InsertControl(Doc->Paragraphs(1).GetText().Size() - InlineControlSize, icRangeEnd,
                                     broken.Handle());
    Doc->RefreshRangeObjectPositions();
    const int32_t count = Undo().Count();
    {
        TMessageAnswers answers;
        answers.Expect("Certains liens hypertextes sont associ\xE9s \xE0 des signets", mrNo);
        Doc->ExecuteOperation(docRemoveBrokenBookmarkLinks);
    }
    EXPECT_EQ(Undo().Count(), count);
    {
        TMessageAnswers answers;
        answers.Expect("Certains liens hypertextes", mrYes);
        Doc->ExecuteOperation(docRemoveBrokenBookmarkLinks);
    }
    EXPECT_EQ(Undo().Count(), count + 1);
    // The link to #alpha, whose bookmark exists, stays.
    EXPECT_EQ(At(1, 1, fkHyperlink), nullptr);
    EXPECT_EQ(At(0, 15, fkHyperlink), Link);
    // Nothing broken: no question.
    Doc->ExecuteOperation(docRemoveBrokenBookmarkLinks);
    EXPECT_EQ(Undo().Count(), count + 1);
}

TEST_F(RangeObjectsTest, FieldOperations)
{
    BuildFixture();
    Doc->Properties.Title = "Rapport";
    // Inserted: "?" then its result, in one undoable action, the caret after it.
    Caret(1, 3);
    uint8_t type = fkTitle;
    std::string instruction = "\\* Upper";
    const std::string before = DumpAll(*Doc);
    TField* field = nullptr;
    Doc->ExecuteOperation(docInsertField, {&type, &instruction, &field});
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Instruction, "TITLE \\* Upper");
    EXPECT_EQ(Plain(1), "FinRAPPORT\x02");
    ExpectRange(field, 1, 3, 1, 10);
    EXPECT_EQ(CaretPos().Offset, 10);
    // The bookmark that ends where the field starts keeps its end.
    EXPECT_EQ(Alpha->Range.End.Offset, 3);
    const std::string after = DumpAll(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpAll(*Doc), after);

    // Over a selection, within a paragraph and across paragraphs: the "?"
    // replaces the selected text and the field runs over it, the caret after it.
    for (int32_t last : {0, 1}) {
        SCOPED_TRACE(last);
        Select(0, 8, last, last == 0 ? 13 : 1);
        const std::string start = DumpAll(*Doc);
        TField* over = nullptr;
        std::string none;
        Doc->ExecuteOperation(docInsertField, {&type, &none, &over});
        ASSERT_NE(over, nullptr);
        ExpectRange(over, 0, 8, 0, 15);
        EXPECT_EQ(Doc->GetRangeText(over->Range), "Rapport");
        EXPECT_FALSE(Doc->HasSelection());
        EXPECT_EQ(CaretPos().Paragraph, 0);
        EXPECT_EQ(CaretPos().Offset, 15);
        ExpectDocumentConsistent(*Doc);
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), start);
        Undo().ClearRedo();
    }

    // Removing the field record at the caret keeps its text.
    Caret(1, 5);
    RoundTrip(docRemoveFieldRecord, {&type});
    EXPECT_EQ(At(1, 5, fkTitle), nullptr);
    EXPECT_EQ(Plain(1), "FinRAPPORT\x02");

    // Deleting a field takes the hyperlinks and page references that start
    // inside it.
    TField& toc = Add(rkField, fkTOC, "TOC \\h \\o \"1-3\"");
    Doc->Paragraphs(0).InsertControl(0, icRangeStart, toc.Handle());
    Doc->Paragraphs(0).InsertControl(Doc->Paragraphs(0).GetText().Size() - InlineControlSize, icRangeEnd,
                                     toc.Handle());
    Doc->RefreshRangeObjectPositions();
    Caret(0, 1);
    type = fkTOC;
    // The position search puts the list in text order first.
    ASSERT_EQ(Doc->FindFieldAtCaret(fkTOC), &toc);
    {
        // Its entries link to alpha: the bookmark is offered for deletion too,
        // and goes with the same undo.
        TMessageAnswers answers;
        answers.Expect("Voulez-vous que les signets correspondants soient eux aussi supprim\xE9s ?", mrYes);
        const std::string start = DumpAll(*Doc);
        Doc->ExecuteOperation(docDeleteField, {&type});
        EXPECT_EQ(Doc->FindRangeAt({0, 1}, fkTOC), nullptr);
        EXPECT_EQ(At(0, 15, fkHyperlink), nullptr);
        EXPECT_EQ(At(0, 21, fkPageRef), nullptr);
        EXPECT_EQ(Names(), "Zeta");
        EXPECT_EQ(Plain(0), "Un deux trois quatre 5 six\x02");
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), start);
    }
}

TEST_F(RangeObjectsTest, FollowingHyperlinks)
{
    BuildFixture();
    TYesNoPresetHost presets;
    // A bookmark of the document: the caret goes there.
    Caret(0, 0);
    Doc->FollowHyperlink(Link->Instruction);
    EXPECT_EQ(CaretPos().Paragraph, 1);
    Doc->FollowHyperlink(R"(HYPERLINK \l "Zeta")");
    EXPECT_EQ(CaretPos().Paragraph, 0);
    EXPECT_EQ(CaretPos().Offset, 3);
    Doc->FollowHyperlink("HYPERLINK");
    EXPECT_EQ(CaretPos().Offset, 3);

    // A file beside the document: the safety question first, with the
    // document's folder as the current folder; the folder comes back after.
    const std::string folder = MakeTestDir("liens");
    WriteTestFile(folder + "/rapport.rtf", "{\\rtf1}");
    Doc->FileName = folder + "/lettre.rtf";
    const std::string current = GetCurrentDir();
    TMessageAnswers answers;
    answers.Expect("Ouverture de rapport.rtf", mrNo);
    Doc->FollowHyperlink(BuildHyperlinkField("rapport.rtf", ""));
    EXPECT_EQ(GetCurrentDir(), current);
    EXPECT_EQ(answers.Asked().at(0).Preset, 15);
    EXPECT_EQ(Fields.Events, std::vector<int32_t>{10140});
}

TEST_F(RangeObjectsTest, BookmarksSurviveEditsAroundThem)
{
    BuildFixture();
    // Typing before, after and inside the bookmark on "deux".
    Caret(0, 0);
    TypeText("A ");
    ExpectRange(Zeta, 0, 5, 0, 9);
    Caret(0, 9);
    TypeText("x");
    ExpectRange(Zeta, 0, 5, 0, 9);
    Caret(0, 6);
    TypeText("yy");
    ExpectRange(Zeta, 0, 5, 0, 11);
    EXPECT_EQ(Doc->GetRangeText(Zeta->Range), "dyyeux");
    // Deleting across its start keeps it, from where the text was.
    TTextPosition from{0, 2};
    TTextPosition to{0, 7};
    uint8_t flags = 0;
    Doc->ExecuteOperation(docDeleteRange, {&from, &to, &flags});
    ExpectRange(Zeta, 0, 2, 0, 6);
    EXPECT_EQ(Doc->GetRangeText(Zeta->Range), "yeux");
    // The list finds it where it now stands; undo brings everything back.
    Doc->GoToBookmark("Zeta", true);
    EXPECT_EQ(Doc->Selection().Start.Offset, 2);
    EXPECT_EQ(Doc->Selection().End.Offset, 6);
    while (Undo().CanUndo())
        Undo().Undo();
    ExpectRange(Zeta, 0, 3, 0, 7);
    EXPECT_EQ(Names(), "alpha,Zeta");
}
