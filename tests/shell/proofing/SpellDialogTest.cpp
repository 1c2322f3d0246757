// The interactive check with the spelling dialog, driven by clicks and keys:
// ignore, ignore all, change, change all, add to the personal dictionary,
// doubled words, the undo of a run's changes, the wrap from the end of the
// document to its start, and the language question.
#include "shell/proofing/SpellingFixtures.h"

#include "foundation/managers/LanguageManager.h"
#include "platform/framework/ModalTesting.h"
#include "shell/ShellTesting.h"
#include "shell/proofing/ChooseLangForm.h"
#include "shell/proofing/SpellCheckForm.h"

#include <deque>
#include <functional>

namespace {

using TDialogStep = std::function<void(TSpellCheckForm& form)>;

class SpellDialogTest : public SpellingTest {
protected:
    // One step for each dialog the run shows, in order; the words the
    // dialogs showed are kept.
    void Dialogs(std::deque<TDialogStep> steps)
    {
        FSteps = std::move(steps);
        Arm();
    }
    void Click(TControl& control)
    {
        ASSERT_TRUE(control.Enabled()) << control.Name();
        Mouse.Click(static_cast<TWinControl&>(control).Handle(), {control.Width() / 2, control.Height() / 2});
    }
    // Replaces the replacement field's text by typing (lower-case letters).
    void TypeReplacement(TSpellCheckForm& form, const std::string& text)
    {
        form.ReplaceWithEdit->SetFocus();
        ASSERT_TRUE(RunUntil([&] { return form.ReplaceWithEdit->Focused(); }));
        form.ReplaceWithEdit->SelectAll();
        Keys.Tap("Del");
        for (char c : text)
            Keys.Tap(std::string(1, static_cast<char>(c - 'a' + 'A')));
    }
    void Snapshot(TForm& form, const std::string& name)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name));
    }
    void RunCheck()
    {
        GetSpellCheckManager().CheckSpelling(*Doc, scmInteractive);
        EXPECT_TRUE(FSteps.empty()) << FSteps.size() << " dialogs did not come";
        Application->OnIdle = nullptr;
    }

    std::vector<std::string> Shown;
    TTestMouse Mouse;
    TTestKeyboard Keys;
    TScriptedAnswers Answers;

private:
    void Arm()
    {
        if (FSteps.empty())
            return;
        DuringNextModal([this](TForm& form) {
            auto* dialog = dynamic_cast<TSpellCheckForm*>(&form);
            if (!dialog) {
                // Another modal form is still on its way out.
                Arm();
                return;
            }
            TDialogStep step = std::move(FSteps.front());
            FSteps.pop_front();
            Shown.push_back(dialog->MisspelledWordEdit->Text());
            Arm();
            step(*dialog);
        });
    }
    std::deque<TDialogStep> FSteps;
};

}  // namespace

// Ignore all, change all and ignore over a run; the run's replacements are
// undone together; the final message counts them.
TEST_F(SpellDialogTest, IgnoreAllChangeAllAndIgnore)
{
    Build({"Le chatt dort. Le chienn aboie. Un chatt joue.", "Le chienn mange. Il voitt la mer."});
    SetLanguage(kFrench);
    Dialogs({
        [&](TSpellCheckForm& f) {
            EXPECT_EQ(f.Caption(), "Vérification orthographique - " + GetLanguageManager().GetLanguageName(kFrench));
            EXPECT_EQ(f.MisspelledWordLabel->Caption(), "A&bsent du dictionnaire :");
            EXPECT_EQ(f.HelpTopic(), 20000);
            EXPECT_TRUE(f.ChangeAllBtn->Enabled());
            EXPECT_FALSE(f.AddToLexBtn->Enabled()) << "no personal dictionary";
            EXPECT_GT(f.SuggestionListBox->Items().Count(), 0);
            EXPECT_EQ(f.ReplaceWithEdit->Text(), f.SuggestionListBox->Items().Strings(f.SuggestionListBox->ItemIndex()));
            EXPECT_EQ(f.IgnoreAllBtn->Hint(), "Ignorer le mot \"chatt\" dans tout le document");
            Snapshot(f, "spelling-dialog.png");
            Click(*f.IgnoreAllBtn);
        },
        [&](TSpellCheckForm& f) {
            TypeReplacement(f, "chien");
            EXPECT_EQ(f.ChangeAllBtn->Hint(), "Remplacer \"chienn\" par \"chien\" dans tout le document");
            Click(*f.ChangeAllBtn);
        },
        [&](TSpellCheckForm& f) { Click(*f.IgnoreBtn); },
    });
    RunCheck();
    EXPECT_EQ(Shown, (std::vector<std::string>{"chatt", "chienn", "voitt"}));
    EXPECT_EQ(PlainText(0), "Le chatt dort. Le chien aboie. Un chatt joue.");
    EXPECT_EQ(PlainText(1), "Le chien mange. Il voitt la mer.");
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_EQ(Answers.Texts[0], "Vérification orthographique terminée.\r\n2 changement(s) effectué(s).");

    // One undo takes the run's replacements back.
    Undo().Undo();
    EXPECT_EQ(PlainText(0), "Le chatt dort. Le chienn aboie. Un chatt joue.");
    EXPECT_EQ(PlainText(1), "Le chienn mange. Il voitt la mer.");

    // The next run asks again for what "Tout remplacer" replaced.
    Answers.Texts.clear();
    Dialogs({
        [&](TSpellCheckForm& f) { Click(*f.CancelBtn); },
    });
    Caret(0, 15);
    RunCheck();
    EXPECT_EQ(Shown.back(), "chienn");
    EXPECT_TRUE(Answers.Texts.empty()) << "a cancelled run ends without a message";
}

// From the middle of the document the run goes to the end, then wraps to the
// start and stops where it began; a word changed and a word added to the
// personal dictionary.
TEST_F(SpellDialogTest, ChangeAddAndWrapToTheStart)
{
    Build({"Premier texxte ici.", "Second moot la."});
    SetLanguage(kFrench);
    TSpellCheckSystem* system = GetSpellCheckManager().GetSystemForLanguage(kFrench, true);
    ASSERT_NE(system, nullptr);
    system->AddLexicon(system->MakeDictionaryFileName(), lkNewEditable);
    Caret(1, 0);
    Dialogs({
        [&](TSpellCheckForm& f) {
            TypeReplacement(f, "mot");
            Click(*f.ChangeBtn);
        },
        [&](TSpellCheckForm& f) {
            EXPECT_TRUE(f.AddToLexBtn->Enabled());
            EXPECT_EQ(f.LexComboBox->Items().Count(), 1);
            Click(*f.AddToLexBtn);
        },
    });
    RunCheck();
    EXPECT_EQ(Shown, (std::vector<std::string>{"moot", "texxte"}));
    EXPECT_EQ(PlainText(0), "Premier texxte ici.");
    EXPECT_EQ(PlainText(1), "Second mot la.");
    EXPECT_EQ(system->CheckWordCached("texxte", kFrench, 0, nullptr), csAccepted);
    ASSERT_TRUE(CheckInBackground(*Doc));
    EXPECT_TRUE(MarkedWords(*Doc).empty());
}

// A doubled word: its own label, one suggestion (the word once), neither
// "Tout remplacer" nor the dictionary; changing it leaves one word.
TEST_F(SpellDialogTest, DoubledWord)
{
    Build({"Il a vu le le chat."});
    SetLanguage(kFrench);
    Dialogs({
        [&](TSpellCheckForm& f) {
            EXPECT_EQ(f.MisspelledWordLabel->Caption(), "&Doublon :");
            EXPECT_EQ(f.MisspelledWordEdit->Text(), "le le");
            ASSERT_EQ(f.SuggestionListBox->Items().Count(), 1);
            EXPECT_EQ(f.SuggestionListBox->Items().Strings(0), "le");
            EXPECT_FALSE(f.ChangeAllBtn->Enabled());
            EXPECT_FALSE(f.AddToLexBtn->Enabled());
            EXPECT_FALSE(f.LexComboBox->Enabled());
            Click(*f.ChangeBtn);
        },
    });
    RunCheck();
    EXPECT_EQ(PlainText(0), "Il a vu le chat.");
}

// A document whose words have no language: the user is told, picks the
// language in the chooser, and the run starts again in that language.
TEST_F(SpellDialogTest, TextWithoutLanguageAsksForOne)
{
    Build({"Une phrase sans fautte."});
    SetLanguage(LanguageNeutral);
    bool chooserShown = false;
    DuringNextModal([&](TForm& form) {
        auto* chooser = dynamic_cast<TChooseLangForm*>(&form);
        ASSERT_NE(chooser, nullptr);
        chooserShown = true;
        EXPECT_EQ(chooser->Caption(), "Langue du texte");
        EXPECT_EQ(chooser->HelpTopic(), 16000);
        const auto it = std::find(chooser->EntryLanguages.begin(), chooser->EntryLanguages.end(), kFrench);
        ASSERT_NE(it, chooser->EntryLanguages.end());
        const int32_t index = static_cast<int32_t>(it - chooser->EntryLanguages.begin());
        chooser->LanguageListBox->SetTopIndex(index);
        RunPending();
        const TRect item = chooser->LanguageListBox->ItemRect(index);
        Mouse.Click(chooser->LanguageListBox->Handle(), {item.Left + 20, (item.Top + item.Bottom) / 2});
        ASSERT_EQ(chooser->LanguageListBox->ItemIndex(), index);
        // The spelling dialog of the run in French comes next.
        Dialogs({[&](TSpellCheckForm&) { Keys.Tap("Esc"); }});
        Click(*chooser->DlgButtons().Button(DlgButtonOK));
    });
    GetSpellCheckManager().CheckSpelling(*Doc, scmInteractive);
    Application->OnIdle = nullptr;
    EXPECT_TRUE(chooserShown);
    ASSERT_GE(Answers.Texts.size(), 1u);
    EXPECT_EQ(Answers.Texts[0].rfind("Aucune indication concernant la langue", 0), 0u) << Answers.Texts[0];
    EXPECT_EQ(Shown, (std::vector<std::string>{"fautte"}));
    EXPECT_EQ(Doc->GetLanguageAt(0, 3), kFrench);
    EXPECT_EQ(GetLanguageManager().History().front(), kFrench);
}
