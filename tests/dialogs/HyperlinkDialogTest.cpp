// The hyperlink dialog driven by keys and clicks: links inserted to a
// bookmark (the text taken from its name), around a selection that cannot
// be typed, to a file chosen in the file dialog; links edited, removed and
// followed (a local file only after the safety question); the refusals.
#include "DialogTesting.h"

#include "dialogs/BookmarkForm.h"
#include "dialogs/HyperlinkForm.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "platform/framework/ModalTesting.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

#include <fstream>

namespace {

class HyperlinkDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Build({"Voir le plan ici" + std::string(kMark), "Plan" + std::string(kMark)});
        std::string name = "plan";
        Select(1, 0, 1, 4);
        Doc->NoUndo = 1;
        Doc->ExecuteOperation(docInsertBookmark, {&name});
        Doc->NoUndo = 0;
        Undo().ClearUndo();
    }
    TField* LinkAt(int32_t paragraph, int32_t offset) { return Doc->FindRangeAt({paragraph, offset}, fkHyperlink); }
    std::string TargetOf(TField* link)
    {
        std::string target, tip;
        ParseHyperlinkField(link->Instruction, target, tip);
        return target;
    }
    std::string TipOf(TField* link)
    {
        std::string target, tip;
        ParseHyperlinkField(link->Instruction, target, tip);
        return tip;
    }
    std::string LinkText(TField* link) { return Doc->GetRangeText(link->Range); }
    // Typing "#" (AltGr+3 on the French layout) and the letters of a name.
    void TypeAddress(const std::string& text)
    {
        for (char c : text) {
            if (c == '#')
                Keys.Chord({"AltGr"}, "3");
            else if (c == '/')
                Keys.Tap("Num/");
            else
                Type(std::string(1, c));
        }
    }
};

}  // namespace

// "#plan" with an empty text: the link's text is the bookmark's name; one
// undo takes the link away again.
TEST_F(HyperlinkDialogTest, LinkToBookmarkTakesItsName)
{
    Caret(0, 16);
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        EXPECT_EQ(f.Caption(), "Insérer un lien hypertexte");
        EXPECT_EQ(f.HelpTopic(), 8150);
        EXPECT_FALSE(f.RemoveBtn->Visible());
        EXPECT_TRUE(RunUntil([&] { return f.URLEdit->Focused(); }));
        TypeAddress("#plan");
        Focus(*f.TipEdit);
        Type("Le plan");
        Snapshot(f, "hyperlink-dialog.png");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    TField* link = LinkAt(0, 16);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(LinkText(link), "plan");
    EXPECT_EQ(TargetOf(link), "#plan");
    EXPECT_EQ(TipOf(link), "Le plan");
    Undo().Undo();
    EXPECT_EQ(State(), before);
}

// The refusals keep the dialog open and the document as it was: no
// address; an unknown bookmark, which opens the bookmark list in pick mode,
// whose choice then becomes the address.
TEST_F(HyperlinkDialogTest, RefusalsKeepTheDialogOpen)
{
    Select(0, 5, 0, 12);
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        EXPECT_EQ(f.TextEdit->Text(), "le plan");
        Keys.Tap("Enter");
        ASSERT_EQ(Answers.Texts.size(), 1u);
        EXPECT_EQ(Answers.Texts[0],
                  "Veuillez préciser quel fichier ou page Web vous voulez associer à ce lien hypertexte.");
        EXPECT_TRUE(f.Visible());
        EXPECT_EQ(State(), before);
        TypeAddress("#nulle");
        bool picked = false;
        DuringNextModal([&](TForm& nested) {
            auto& b = dynamic_cast<TBookmarkForm&>(nested);
            EXPECT_TRUE(b.PickOnly());
            EXPECT_TRUE(b.NameEdit->Text().empty());
            // Down in the empty edit takes the list's first name.
            Focus(*b.NameEdit);
            Keys.Tap("Down");
            EXPECT_EQ(b.NameEdit->Text(), "plan");
            Snapshot(b, "hyperlink-bookmark-pick.png");
            Keys.Tap("Enter");
            picked = true;
        });
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return picked; }));
        ASSERT_EQ(Answers.Texts.size(), 2u);
        EXPECT_EQ(Answers.Texts[1], "Le signet \"nulle\" n'existe pas. Choisissez un signet existant, s'il vous plaît.");
        EXPECT_TRUE(RunUntil([&] { return f.URLEdit->Text() == "#plan"; }));
        EXPECT_EQ(State(), before);
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    TField* link = LinkAt(0, 6);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(TargetOf(link), "#plan");
    EXPECT_EQ(LinkText(link), "le plan");
}

// Editing: the selection widens to the whole link; changing only the tip
// keeps the text; changing the text too is one undo step; Cancel gives the
// old selection back; "Supprimer le lien" leaves the text without the link.
TEST_F(HyperlinkDialogTest, LinkEditedAndRemoved)
{
    Select(0, 5, 0, 12);
    std::string instruction = BuildHyperlinkField("#plan", "");
    std::string none;
    Doc->ExecuteOperation(docInsertHyperlink, {&instruction, &none});
    Undo().ClearUndo();
    Caret(0, 8);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        EXPECT_EQ(f.Caption(), "Modifier le lien hypertexte");
        EXPECT_TRUE(f.RemoveBtn->Visible());
        EXPECT_EQ(f.URLEdit->Text(), "#plan");
        EXPECT_EQ(Doc->Selection().Start.Offset, 5);
        EXPECT_EQ(Doc->Selection().End.Offset, 12);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteHyperlinkDialog(*Doc));
    EXPECT_EQ(Doc->Selection().Start.Offset, 8);
    EXPECT_EQ(Doc->Selection().End.Offset, 8);

    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        Focus(*f.TipEdit);
        Type("Aller au plan");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    TField* link = LinkAt(0, 6);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(TipOf(link), "Aller au plan");
    EXPECT_EQ(LinkText(link), "le plan");

    const std::string tipOnly = State();
    Caret(0, 8);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        Retype(*f.TextEdit, "la carte");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    link = LinkAt(0, 6);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(LinkText(link), "la carte");
    EXPECT_EQ(TipOf(link), "Aller au plan");
    Undo().Undo();
    EXPECT_EQ(State(), tipOnly);

    Caret(0, 8);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        Click(*f.RemoveBtn);
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    EXPECT_EQ(LinkAt(0, 6), nullptr);
    EXPECT_EQ(Plain(0).substr(0, 16), "Voir le plan ici");
}

// A selection with mixed formatting is not typed again: the text edit is
// disabled and the link covers the selection as it is.
TEST_F(HyperlinkDialogTest, MixedSelectionBecomesTheLinkText)
{
    TTextRange bold{{0, 5}, {0, 7}};
    TCharFormat format;
    ClearCharFormat(format);
    format[cfBold] = 1;
    uint8_t flags = 0;
    Doc->NoUndo = 1;
    Doc->ExecuteOperation(docFormatText, {&bold, &format, &flags});
    Doc->NoUndo = 0;
    Select(0, 5, 0, 12);
    const std::string text = Plain(0);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        EXPECT_TRUE(f.TextFromSelection());
        EXPECT_FALSE(f.TextEdit->Enabled());
        EXPECT_EQ(f.TextEdit->Text(), SelectedPortionText);
        TypeAddress("www.exemple.fr");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    TField* link = LinkAt(0, 6);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(TargetOf(link), "www.exemple.fr");
    EXPECT_EQ(link->Range.Start.Offset, 5);
    EXPECT_EQ(link->Range.End.Offset, 12);
    EXPECT_EQ(Plain(0), text);
}

// A file named relative to the document's folder; following the link to that local file asks the safety question
// first, and No opens nothing.
TEST_F(HyperlinkDialogTest, FileLinkFollowedAfterTheSafetyQuestion)
{
    const std::string folder = IncludeTrailingPathDelimiter(GetCurrentDir());
    ForceDirectories(folder + "lettres/annexes");
    { std::ofstream(FileSystemName(folder + "lettres/annexes/plan.txt")) << "plan"; }
    Doc->FileName = folder + "lettres/courrier.rtf";
    Select(0, 5, 0, 12);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyperlinkForm&>(form);
        f.URLEdit->SetText(RelativeFileName(folder + "lettres/", folder + "lettres/annexes/plan.txt"));
        EXPECT_EQ(f.URLEdit->Text(), "annexes/plan.txt");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteHyperlinkDialog(*Doc));
    TField* link = LinkAt(0, 6);
    ASSERT_NE(link, nullptr);
    Answers.Texts.clear();
    Answers.Script = {mrNo};
    Doc->FollowHyperlink(link->Instruction);
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_EQ(Answers.Texts[0].rfind("Ouverture de annexes/plan.txt", 0), 0u) << Answers.Texts[0];
}

// File names made relative to a folder.
TEST(RelativeFileNameTest, Table)
{
    struct Case {
        const char* Folder;
        const char* File;
        const char* Relative;
    };
    const Case cases[] = {
        {"/home/a/docs/", "/home/a/docs/plan.txt", "plan.txt"},
        {"/home/a/docs/", "/home/a/docs/sous/plan.txt", "sous/plan.txt"},
        {"/home/a/docs/", "/home/a/images/logo.png", "../images/logo.png"},
        {"/home/a/docs/", "/tmp/x.txt", "/tmp/x.txt"},
        {"/home/a/docs/", "C:\\home\\a\\docs\\plan.txt", "C:\\home\\a\\docs\\plan.txt"},
        {"", "/tmp/x.txt", "/tmp/x.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelativeFileName(c.Folder, c.File), c.Relative) << c.Folder << " " << c.File;
}
