// The string-list and string editors driven by the keyboard and the mouse:
// adding, refusing duplicates, deleting, cancelling, validation; and a
// picture of the list editor for people to look at.
#include "shell/StringEditors.h"

#include "platform/testing/Testing.h"
#include "ShellTesting.h"

#include <memory>

namespace {

using StringEditorsTest = ShellWindowTest;

TStrLstEditForm& ListEditor(TForm& form)
{
    return dynamic_cast<TStrLstEditForm&>(form);
}

TEST_F(StringEditorsTest, FreeTextListAddsDeletesAndRefusesDuplicates)
{
    TStringList words;
    words.SetCommaText("poire,abricot");
    TTestKeyboard& keys = Keys;
    TTestMouse& mouse = Mouse;
    std::vector<std::string> seen;
    DuringNextModal([&](TForm& form) {
        TStrLstEditForm& f = ListEditor(form);
        EXPECT_EQ(f.StrLstBx->ItemIndex(), -1);  // no line selected at first
        EXPECT_EQ(f.StrLstBx->Items().Strings(0), "abricot");  // sorted
        EXPECT_TRUE(f.StrEdit->Focused());
        EXPECT_FALSE(f.AddBtn->Enabled());
        for (const char* k : {"P", "O", "I", "R", "E"})
            keys.Tap(k);
        // The text is in the list: its line is selected, Ajouter is off, Supprimer on.
        EXPECT_EQ(f.StrLstBx->ItemIndex(), 1);
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_TRUE(f.DelBtn->Enabled());
        keys.Tap("Back");
        EXPECT_TRUE(f.AddBtn->Enabled());  // "poir" is new
        EXPECT_EQ(f.StrLstBx->ItemIndex(), -1);
        keys.Chord({"Alt"}, "U");           // Ajo&uter
        EXPECT_EQ(f.StrLstBx->Items().CommaText(), "abricot,poir,poire");
        EXPECT_EQ(f.StrLstBx->ItemIndex(), 1);
        // A click on the last line brings its text into the edit; deleting
        // the last line selects the new last line.
        const TRect last = f.StrLstBx->ItemRect(2);
        mouse.Click(f.StrLstBx->Handle(), {last.Left + 5, last.Top + 3});
        EXPECT_EQ(f.StrEdit->Text(), "poire");
        EXPECT_TRUE(f.StrEdit->Focused());
        keys.Chord({"Alt"}, "S");  // &Supprimer
        EXPECT_EQ(f.StrLstBx->Items().CommaText(), "abricot,poir");
        EXPECT_EQ(f.StrLstBx->ItemIndex(), 1);
        for (int i = 0; i < f.StrLstBx->Items().Count(); ++i)
            seen.push_back(f.StrLstBx->Items().Strings(i));
        // Enter on the edit presses the default button, OK.
        f.StrEdit->SetFocus();
        keys.Tap("Enter");
    });
    EXPECT_TRUE(EditStringList(words, nullptr, "Mots", "&Mot :", 0, nullptr, nullptr));
    EXPECT_EQ(words.CommaText(), "abricot,poir");
    EXPECT_EQ(seen, (std::vector<std::string>{"abricot", "poir"}));
}

TEST_F(StringEditorsTest, CancelKeepsTheCallersListAndValidationGatesAdding)
{
    TStringList words;
    words.SetCommaText("un");
    TTestKeyboard& keys = Keys;
    DuringNextModal([&](TForm& form) {
        TStrLstEditForm& f = ListEditor(form);
        keys.Tap("D");
        EXPECT_FALSE(f.AddBtn->Enabled());  // the caller refuses one letter
        keys.Tap("E");
        EXPECT_TRUE(f.AddBtn->Enabled());
        f.AddBtn->Click();
        EXPECT_EQ(f.StrLstBx->Items().Count(), 2);
        keys.Tap("Esc");
    });
    EXPECT_FALSE(EditStringList(words, nullptr, "Mots", "Mot :", 0, nullptr,
                                [](const std::string& s) { return s.size() > 1; }));
    EXPECT_EQ(words.CommaText(), "un");
}

TEST_F(StringEditorsTest, PredefinedChoicesAndADeletedOnlyLine)
{
    TStringList chosen;
    chosen.SetCommaText("Rouge");
    TStringList colours;
    colours.SetCommaText("Bleu,Rouge,Vert");
    TTestKeyboard& keys = Keys;
    DuringNextModal([&](TForm& form) {
        TStrLstEditForm& f = ListEditor(form);
        EXPECT_TRUE(f.PredefinedComboBox->Visible());
        EXPECT_FALSE(f.StrEdit->Visible());
        EXPECT_FALSE(f.DelBtn->Enabled());
        // Delete the only line: no line is left selected.
        f.StrLstBx->SetFocus();
        keys.Tap("Down");
        EXPECT_TRUE(f.DelBtn->Enabled());
        f.DelBtn->Click();
        EXPECT_EQ(f.StrLstBx->Items().Count(), 0);
        EXPECT_EQ(f.StrLstBx->ItemIndex(), -1);
        // Choose "Vert" in the combo box and add it; it cannot be added twice.
        f.PredefinedComboBox->SetFocus();
        keys.Tap("Down");  // opens the list
        keys.Tap("Down");
        keys.Tap("Down");
        keys.Tap("Down");
        keys.Tap("Enter");
        EXPECT_EQ(f.PredefinedComboBox->Text(), "Vert");
        EXPECT_TRUE(f.AddBtn->Enabled());
        f.AddBtn->Click();
        EXPECT_FALSE(f.AddBtn->Enabled());
        f.SetModalResult(mrOk);
    });
    EXPECT_TRUE(EditStringList(chosen, &colours, "Couleurs", "&Couleur :", 0, nullptr, nullptr));
    EXPECT_EQ(chosen.CommaText(), "Vert");
}

TEST_F(StringEditorsTest, OneLineEditorKeepsARefusedTextOpen)
{
    std::string text = "abc";
    TTestKeyboard& keys = Keys;
    int refused = 0;
    bool focusedAfterRefusal = false;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TStrEditForm&>(form);
        keys.Tap("Enter");  // "abc" is refused
        RunPending();
        focusedAfterRefusal = f.StrEdt->Focused() && f.Modal() && IsWindowVisible(f.Handle());
        keys.Tap("End");
        keys.Tap("D");
        keys.Tap("Enter");
    });
    EXPECT_TRUE(EditString(text, "Nom", [&](const std::string& s) {
        if (s == "abcd")
            return true;
        ++refused;
        return false;
    }));
    EXPECT_EQ(text, "abcd");
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(focusedAfterRefusal);
    // Cancel closes without a check.
    DuringNextModal([&](TForm&) { keys.Tap("Esc"); });
    EXPECT_FALSE(EditString(text, "Nom", [](const std::string&) -> bool { throw std::logic_error("checked"); }));
}

TEST_F(StringEditorsTest, PictureOfTheListEditor)
{
    auto form = std::make_unique<TStrLstEditForm>(nullptr);
    form->SetCaption("Mots ignorés");
    form->MainLbl->SetCaption("&Mot :");
    TStringList words;
    words.SetCommaText("abricot,cerise,poire");
    form->Prepare(words, nullptr);
    form->StrEdit->SetText("pomme");
    form->Show();
    RunPending();
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(form->Handle(), grab) && grab.Width() > 0; }));
    RunPending();
    ASSERT_TRUE(GrabWindow(form->Handle(), grab));
    // The list's white field and the OK button's face are where they were put.
    const TRect list = form->StrLstBx->BoundsRect();
    EXPECT_EQ(ColorToRGB(grab.Canvas().Pixels(list.Right - 6, list.Bottom - 6)), ColorToRGB(clWindow));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/string-list-editor.png"));
}

} // namespace
