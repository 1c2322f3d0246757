// The bookmark dialog driven by keys and clicks: names checked before a
// bookmark is added, renamed through the string editor, deleted, gone to;
// the changes of one opening undone in one step; pick mode; the question
// about hyperlinks whose bookmark went away.
#include "DialogTesting.h"

#include "dialogs/BookmarkForm.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "platform/framework/ModalTesting.h"
#include "shell/StringEditors.h"

namespace {

class BookmarkDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Build({"Le premier chapitre commence ici" + std::string(kMark), "Suite du texte" + std::string(kMark)});
    }
    void AddBookmark(std::string name, int32_t paragraph, int32_t from, int32_t to)
    {
        Select(paragraph, from, paragraph, to);
        Doc->NoUndo = 1;
        Doc->ExecuteOperation(docInsertBookmark, {&name});
        Doc->NoUndo = 0;
        Caret(0, 0);
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        TStringList& list = Doc->GetBookmarkList();
        for (int32_t i = 0; i < list.Count(); ++i)
            names.push_back(list.Strings(i));
        return names;
    }
    // Typing with "_" (the 8 key of the French layout) too.
    void TypeName(const std::string& text)
    {
        for (char c : text) {
            if (c == '_')
                Keys.Tap("8");
            else
                Type(std::string(1, c));
        }
    }
    void RetypeName(TCustomEdit& edit, const std::string& text)
    {
        Focus(edit);
        edit.SelectAll();
        Keys.Tap("Del");
        TypeName(text);
    }
    // "Renommer..." with the new name typed into the string editor; the
    // editor stays open on a refusal and is then cancelled.
    void Rename(TBookmarkForm& f, const std::string& typed, bool refused = false)
    {
        bool done = false;
        DuringNextModal([&](TForm& form) {
            auto& editor = dynamic_cast<TStrEditForm&>(form);
            EXPECT_EQ(editor.Caption(), "Renommer le signet");
            RetypeName(*editor.StrEdt, typed);
            Keys.Tap("Enter");
            if (refused) {
                RunPending();
                EXPECT_TRUE(editor.Visible());
                Keys.Tap("Esc");
            }
            done = true;
        });
        Click(*f.RenameBtn);
        ASSERT_TRUE(RunUntil([&] { return done; }));
    }
};

}  // namespace

// Each name typed and "Ajouter" pressed: what the user is told, and the
// bookmark the document then holds.
TEST_F(BookmarkDialogTest, NamesCheckedBeforeAdding)
{
    AddBookmark("intro", 1, 0, 5);
    struct Case {
        std::string Typed;
        std::string Message;  // empty: accepted
        std::string Stored;
    };
    const std::vector<Case> cases = {
        {"mon signet", "", "mon_signet"},
        {"_x", "", "_x"},
        {"", "Veuillez choisir un nom pour le signet, s'il vous plaît.", ""},
        {"2e partie",
         "Désolé, mais les noms de signets doivent impérativement commencer par une lettre de l'alphabet.", ""},
        {"a,b", "Désolé, mais les noms de signets ne peuvent pas comporter le caractère \",\".", ""},
        {"a\"b", "Désolé, mais les noms de signets ne peuvent pas comporter le caractère \"\"\".", ""},
        {"Intro", "Le signet \"Intro\" existe déjà. Choisissez un autre nom, s'il vous plaît.", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        Answers.Texts.clear();
        const std::vector<std::string> before = Names();
        DuringNextModal([&](TForm& form) {
            auto& f = dynamic_cast<TBookmarkForm&>(form);
            RetypeName(*f.NameEdit, c.Typed);
            Click(*f.AddBtn);
            if (!c.Message.empty()) {
                ASSERT_EQ(Answers.Texts.size(), 1u);
                EXPECT_EQ(Answers.Texts[0], c.Message);
                EXPECT_TRUE(RunUntil([&] { return f.NameEdit->Focused(); }));
                if (c.Typed == "Intro") {
                    EXPECT_EQ(f.NameLstBx->Items().Strings(f.NameLstBx->ItemIndex()), "intro");
                }
                Click(*f.CloseBtn);
            }
        });
        std::string ignored;
        ExecuteBookmarkDialog(*Doc, false, ignored);
        std::vector<std::string> expected = before;
        if (c.Message.empty()) {
            EXPECT_TRUE(Answers.Texts.empty());
            ASSERT_TRUE(Doc->BookmarkNameExists(c.Stored));
            EXPECT_EQ(Names().size(), before.size() + 1);
        } else {
            EXPECT_EQ(Names(), before);
        }
    }
}

// Renamed (a refused name first, then one with a comma stored with "_",
// then the same name in other letter case), deleted and added in one
// opening: one undo takes all of it back, one redo brings it again.
TEST_F(BookmarkDialogTest, ChangesOfOneOpeningUndoneInOneStep)
{
    AddBookmark("alpha", 0, 3, 10);
    AddBookmark("beta", 0, 11, 19);
    Undo().ClearUndo();
    const std::string before = State();
    Select(1, 0, 1, 5);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TBookmarkForm&>(form);
        EXPECT_EQ(f.Caption(), "Signets");
        EXPECT_EQ(f.HelpTopic(), 8100);
        EXPECT_FALSE(f.ChooseBtn->Visible());
        // The proposal is the selection's word.
        EXPECT_EQ(f.NameEdit->Text(), "Suite");
        ASSERT_EQ(f.NameLstBx->Items().Count(), 2);
        ChooseListItem(*f.NameLstBx, 1);
        ChooseListItem(*f.NameLstBx, 0);
        EXPECT_EQ(f.NameEdit->Text(), f.NameLstBx->Items().Strings(0));
        const std::string first = f.NameLstBx->Items().Strings(0);
        const std::string other = f.NameLstBx->Items().Strings(1);
        Answers.Texts.clear();
        Rename(f, other, true);
        ASSERT_EQ(Answers.Texts.size(), 1u);
        EXPECT_EQ(Answers.Texts[0], "Le signet \"" + other + "\" existe déjà. Choisissez un autre nom, s'il vous plaît.");
        Rename(f, "a,b");
        EXPECT_EQ(f.NameLstBx->Items().Strings(f.NameLstBx->ItemIndex()), "a_b");
        Rename(f, "A_B");
        EXPECT_EQ(f.NameLstBx->Items().Strings(f.NameLstBx->ItemIndex()), "A_B");
        // Up and Down in the edit walk the list.
        Focus(*f.NameEdit);
        Keys.Tap("Down");
        EXPECT_EQ(f.NameLstBx->ItemIndex(), 1);
        EXPECT_EQ(f.NameEdit->Text(), f.NameLstBx->Items().Strings(1));
        Keys.Tap("Up");
        EXPECT_EQ(f.NameEdit->Text(), f.NameLstBx->Items().Strings(0));
        ChooseListItem(*f.NameLstBx, 1);
        Click(*f.DelBtn);
        EXPECT_EQ(f.NameLstBx->Items().Count(), 1);
        RetypeName(*f.NameEdit, "suite");
        Snapshot(f, "bookmark-dialog.png");
        Click(*f.AddBtn);
        (void)first;
    });
    std::string ignored;
    ASSERT_TRUE(ExecuteBookmarkDialog(*Doc, false, ignored));
    EXPECT_TRUE(Doc->BookmarkNameExists("A_B"));
    EXPECT_TRUE(Doc->BookmarkNameExists("suite"));
    EXPECT_EQ(Names().size(), 2u);
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(Undo().CanUndo());
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// A double click goes to the bookmark and selects it; pick mode hides the
// managing buttons and gives the chosen name, refusing an unknown one.
TEST_F(BookmarkDialogTest, GoToAndPick)
{
    AddBookmark("chapitre", 0, 11, 19);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TBookmarkForm&>(form);
        const TRect item = f.NameLstBx->ItemRect(0);
        Mouse.Click(f.NameLstBx->Handle(), {item.Left + 5, (item.Top + item.Bottom) / 2});
        Mouse.Click(f.NameLstBx->Handle(), {item.Left + 5, (item.Top + item.Bottom) / 2});
    });
    std::string name;
    ASSERT_TRUE(ExecuteBookmarkDialog(*Doc, false, name));
    EXPECT_EQ(Doc->Selection().Start.Offset, 11);
    EXPECT_EQ(Doc->Selection().End.Offset, 19);

    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TBookmarkForm&>(form);
        EXPECT_FALSE(f.AddBtn->Visible());
        EXPECT_FALSE(f.CloseBtn->Visible());
        EXPECT_TRUE(f.ChooseBtn->Visible());
        EXPECT_TRUE(f.ChooseBtn->Enabled());
        RetypeName(*f.NameEdit, "nulle");
        Answers.Texts.clear();
        Click(*f.ChooseBtn);
        ASSERT_EQ(Answers.Texts.size(), 1u);
        EXPECT_EQ(Answers.Texts[0], "Le signet \"nulle\" n'existe pas. Choisissez un signet existant, s'il vous plaît.");
        RetypeName(*f.NameEdit, "CHAPITRE");
        EXPECT_EQ(f.NameLstBx->ItemIndex(), 0);
        Snapshot(f, "bookmark-pick-dialog.png");
        Click(*f.ChooseBtn);
    });
    ASSERT_TRUE(ExecuteBookmarkDialog(*Doc, true, name));
    EXPECT_EQ(name, "chapitre");
}

// Closing the dialog after the bookmark a hyperlink goes to was deleted
// offers to deactivate that hyperlink.
TEST_F(BookmarkDialogTest, DeletedTargetOffersToDeactivateLinks)
{
    AddBookmark("cible", 1, 0, 5);
    Select(0, 3, 0, 10);
    std::string instruction = BuildHyperlinkField("#cible", "");
    std::string text;
    Doc->ExecuteOperation(docInsertHyperlink, {&instruction, &text});
    ASSERT_NE(Doc->FindRangeAt({0, 4}, fkHyperlink), nullptr);
    Answers.Script = {mrYes};
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TBookmarkForm&>(form);
        Click(*f.DelBtn);
        Keys.Tap("Esc");
    });
    std::string ignored;
    ASSERT_TRUE(ExecuteBookmarkDialog(*Doc, false, ignored));
    ASSERT_FALSE(Answers.Texts.empty());
    EXPECT_NE(Answers.Texts.back().find("Certains liens hypertextes sont associés à des signets"), std::string::npos);
    EXPECT_EQ(Doc->FindRangeAt({0, 4}, fkHyperlink), nullptr);
}
