// The autocorrection options dialog, its space rules and language flags
// dialogs and the exception editors, driven by keys and clicks; what they
// change is saved to the settings store and read back.
#include "shell/proofing/AutocorrectForms.h"

#include "AutocorrectTesting.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InterfaceTexts.h"
#include "shell/StringEditors.h"

#include <gtest/gtest.h>

namespace {

constexpr LANGID kFrench = 0x040C;
constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kSpanish = 0x0C0A;

class AutocorrectDialogsTest : public AutocorrectWindowTest {
protected:
    TAutocorrectLangOptions& French() { return GetAutocorrectLangOptionsManager().GetLangOptions(kFrench); }
    std::string ReplacementOf(TAutocorrectLangOptions& options, const std::string& typed)
    {
        const int32_t index = options.FindReplacement(typed);
        if (index < 0)
            return "<none>";
        std::string t, r;
        TAutocorrectLangOptions::SplitReplacementEntry(options.Replacements.Strings(index), t, r);
        return r;
    }
    void ClickItem(TListBox& list, int32_t index)
    {
        const TRect r = list.ItemRect(index);
        Mouse.Click(list.Handle(), {20, (r.Top + r.Bottom) / 2});
    }
    std::string Selected(TAutocorrectOptionsForm& f)
    {
        const int32_t index = f.RplcLstBx->ItemIndex();
        return index < 0 ? "<none>" : f.RplcLstBx->Items().Strings(index);
    }
};

}  // namespace

// Adding, replacing and deleting entries through the edits and buttons; the
// buttons follow the edits; the list is saved and read back.
TEST_F(AutocorrectDialogsTest, ReplacementEntriesAreEditedSavedAndReadBack)
{
    ASSERT_EQ(ReplacementOf(French(), "ca"), "\xE7" "a");
    const int32_t entries = French().Replacements.Count();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAutocorrectOptionsForm&>(form);
        EXPECT_EQ(f.Caption(), "Options de correction automatique : " + GetLocaleLanguageName(kFrench));
        EXPECT_EQ(f.RplcLstBx->Items().Count(), entries);
        EXPECT_EQ(f.RplcLstBx->ItemIndex(), -1);
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_FALSE(f.DelBtn->Enabled());

        // A new typed text: only "Ajouter".
        Retype(*f.RplcEdit, "zq");
        Retype(*f.WithEdit, "zorro");
        EXPECT_TRUE(f.AddBtn->Enabled());
        EXPECT_FALSE(f.RplcBtn->Enabled());
        Click(*f.AddBtn);
        EXPECT_EQ(Selected(f), "zq");
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_FALSE(f.RplcBtn->Enabled());
        // Another replacement for it: only "Remplacer".
        Retype(*f.WithEdit, "zebre");
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_TRUE(f.RplcBtn->Enabled());
        Click(*f.RplcBtn);
        EXPECT_FALSE(f.RplcBtn->Enabled());

        // An existing typed text with its own replacement: neither.
        Retype(*f.WithEdit, "");
        Retype(*f.RplcEdit, "ca");
        EXPECT_EQ(Selected(f), "ca");
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_TRUE(f.RplcBtn->Enabled());
        f.WithEdit->SetText("\xE7" "a");
        EXPECT_FALSE(f.RplcBtn->Enabled());

        // A click in the list fills the edits; "Supprimer" selects the next.
        const int32_t cie = f.RplcLstBx->Items().IndexOf("Cie");
        ASSERT_GE(cie, 0);
        f.RplcLstBx->SetTopIndex(cie);
        ClickItem(*f.RplcLstBx, cie);
        EXPECT_EQ(Selected(f), "Cie");
        EXPECT_EQ(f.RplcEdit->Text(), "Cie");
        EXPECT_EQ(f.WithEdit->Text(), "C^^ie");
        EXPECT_TRUE(f.RplcEdit->Focused());
        const std::string next = f.RplcLstBx->Items().Strings(cie + 1);
        Click(*f.DelBtn);
        EXPECT_EQ(Selected(f), next);
        EXPECT_EQ(f.RplcEdit->Text(), next);
        Snapshot(f, "autocorrect-options.png");
        Click(*f.CloseBtn);
    });
    EXPECT_TRUE(ShowAutocorrectOptions(kFrench));
    EXPECT_EQ(French().Modified, 1);

    TAutocorrectLangOptions& read = SavedAndReadBack(kFrench);
    EXPECT_EQ(ReplacementOf(read, "zq"), "zebre");
    EXPECT_EQ(ReplacementOf(read, "Cie"), "<none>");
    EXPECT_EQ(ReplacementOf(read, "ca"), "\xE7" "a");
    EXPECT_EQ(read.Replacements.Count(), entries);
}

// With "Remplacer" empty, typing in "Par" selects the entry whose replacement
// starts with the text and is the longest (the later one on a tie); a text
// handed over goes into "Remplacer" with the focus on "Par"; Up selects the
// listed typed text.
TEST_F(AutocorrectDialogsTest, TheListFollowsEitherEdit)
{
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAutocorrectOptionsForm&>(form);
        EXPECT_EQ(f.RplcEdit->Text(), "deja");
        EXPECT_TRUE(f.WithEdit->Focused());
        EXPECT_EQ(Selected(f), "deja");
        Retype(*f.RplcEdit, "");
        Retype(*f.WithEdit, "acc");
        // Two replacements of ten letters: the later in the list.
        EXPECT_EQ(Selected(f), "accomoder");
        // Typing a listed text and pressing Up selects it.
        Retype(*f.WithEdit, "");
        Focus(*f.RplcEdit);
        Type("ca");
        f.RplcLstBx->SetItemIndex(0);
        Keys.Tap("Up");
        EXPECT_EQ(Selected(f), "ca");
        Keys.Tap("Esc");
    });
    EXPECT_TRUE(ShowAutocorrectOptions(kFrench, "deja"));
}

// Deleting the last item selects the new last one; deleting the only one
// leaves nothing selected and both edits empty.
TEST_F(AutocorrectDialogsTest, DeletingAtTheEndOfTheList)
{
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(kEnglish);
    options.Replacements.Clear();
    options.SetReplacement("aa", "alpha");
    options.SetReplacement("bb", "beta");
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAutocorrectOptionsForm&>(form);
        ClickItem(*f.RplcLstBx, 1);
        EXPECT_EQ(Selected(f), "bb");
        Click(*f.DelBtn);
        EXPECT_EQ(Selected(f), "aa");
        EXPECT_EQ(f.WithEdit->Text(), "alpha");
        Click(*f.DelBtn);
        EXPECT_EQ(Selected(f), "<none>");
        EXPECT_EQ(f.RplcEdit->Text(), "");
        EXPECT_EQ(f.WithEdit->Text(), "");
        EXPECT_FALSE(f.DelBtn->Enabled());
        Keys.Tap("Esc");
    });
    ShowAutocorrectOptions(kEnglish);
    EXPECT_EQ(options.Replacements.Count(), 0);
}

// The check boxes and quote buttons write the switches (into the program
// options, which keep them across runs) and the quote style; dependent
// controls follow; the buttons shown depend on the language.
TEST_F(AutocorrectDialogsTest, SwitchesQuotesAndLanguageButtons)
{
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAutocorrectOptionsForm&>(form);
        EXPECT_TRUE(f.MoreOptBtn->Visible());
        EXPECT_FALSE(f.OrdinalBtn->Visible());
        EXPECT_TRUE(f.CapSentenceExceptBtn->Enabled());
        Click(*f.CapSentChkBx);
        EXPECT_FALSE(f.CapSentenceExceptBtn->Enabled());
        Click(*f.RemoveSpacesChkBx);
        EXPECT_FALSE(f.RulesBtn->Enabled());
        Click(*f.FmtUrlChkBx);
        Click(*f.SplchkChkBx);
        Click(*f.FrQuotesRadBtn);
        EXPECT_TRUE(f.FrQuotesRadBtn->Checked());
        Click(*f.RplcQuotesChkBx);
        EXPECT_FALSE(f.GerQuotesRadBtn->Enabled());
        Keys.Tap("Esc");
    });
    ShowAutocorrectOptions(kFrench);
    const TAutocorrectSwitches& s = GetAutocorrectLangOptionsManager().Switches;
    EXPECT_FALSE(s.SentenceCaps);
    EXPECT_FALSE(s.SpaceRules);
    EXPECT_FALSE(s.UrlToHyperlink);
    EXPECT_TRUE(s.AddSpellReplacements);
    EXPECT_TRUE(s.InitialCaps);
    EXPECT_EQ(French().Quotes, 1);
    EXPECT_EQ(French().AllowQuotes, 0);
    EXPECT_EQ(French().Modified, 1);

    // The program options carry the switches to the next run.
    SaveSettingsToRegistry(Options);
    TOptionsHolder next;
    next.Load(*OpenSettingsStorageForLoad());
    EXPECT_FALSE(next.CapSent);
    EXPECT_FALSE(next.FmtURL);
    EXPECT_TRUE(next.SplChkrAdds);
    TAutocorrectLangOptions& read = SavedAndReadBack(kFrench);
    EXPECT_EQ(read.Quotes, 1);
    EXPECT_EQ(read.AllowQuotes, 0);

    // English has no flag record; Spanish keeps its ordinals in the store.
    for (const auto& [language, moreOptions, ordinals] :
         {std::tuple{kEnglish, false, false}, std::tuple{kSpanish, true, true}}) {
        SCOPED_TRACE(language);
        DuringNextModal([&, moreOptions = moreOptions, ordinals = ordinals](TForm& form) {
            auto& f = dynamic_cast<TAutocorrectOptionsForm&>(form);
            EXPECT_EQ(f.MoreOptBtn->Visible(), moreOptions);
            EXPECT_EQ(f.OrdinalBtn->Visible(), ordinals);
            Keys.Tap("Esc");
        });
        ShowAutocorrectOptions(language);
    }
}

// Sentence-case exceptions must end with a mark and hold no other delimiter.
TEST_F(AutocorrectDialogsTest, SentenceCaseExceptionsAreChecked)
{
    struct {
        const char* Text;
        bool Valid;
    } const cases[] = {{"etc.", true}, {"env.", true}, {"c.-\xE0-d.", false}, {".", false},
                       {"hein?", true}, {"mot", false}, {"a b.", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsValidCapSentException(c.Text), c.Valid) << c.Text;
}

// The space rules: ":" taken out of the "before" list attaches to the word
// before it; a picked character is appended once; the boxes are written.
TEST_F(AutocorrectDialogsTest, SpaceRulesAreWrittenBackOnOK)
{
    TAutocorrectLangOptions& options = French();
    ASSERT_FALSE(options.RightAdjSep[':']);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAutocorrectRulesForm&>(form);
        EXPECT_EQ(f.Caption(), "Règles de gestion des espaces");
        const std::string right = f.RightAdjEdit->Text();
        ASSERT_NE(right.find(':'), std::string::npos);
        std::string without = right;
        without.erase(without.find(':'), 1);
        f.RightAdjEdit->SetText(without);
        f.AppendChar(*f.LeftAdjEdit, '(');
        const std::string left = f.LeftAdjEdit->Text();
        f.AppendChar(*f.LeftAdjEdit, '(');
        EXPECT_EQ(f.LeftAdjEdit->Text(), left);
        Click(*f.TwoSpacesChkBx);
        Snapshot(f, "autocorrect-space-rules.png");
        Keys.Tap("Enter");
    });
    const uint8_t twoSpaces = options.TwoSentSpcs;
    ASSERT_TRUE(ShowSpaceRules(options));
    EXPECT_TRUE(options.RightAdjSep[':']);
    EXPECT_FALSE(options.LeftAdjSep['(']);
    EXPECT_FALSE(options.RightAdjSep['A']);
    EXPECT_NE(options.TwoSentSpcs, twoSpaces);
}

// The language flags: each listed bit from its item, the others kept.
TEST_F(AutocorrectDialogsTest, LanguageFlagsKeepTheUnlistedBits)
{
    int32_t flags = 0x7FFFFFFF;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TLangSpecificFlagsForm&>(form);
        EXPECT_EQ(f.Caption(), "Correction automatique - Autres options");
        ASSERT_EQ(f.ChkLstBx->Items().Count(), 3);
        EXPECT_TRUE(f.ChkLstBx->Checked(1));
        Focus(*f.ChkLstBx);
        f.ChkLstBx->SetItemIndex(1);
        Keys.Tap("Space");
        EXPECT_FALSE(f.ChkLstBx->Checked(1));
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ShowLangSpecificFlags("Correction automatique - Autres options", AutocorrectLanguageOptions[0], kFrench,
                                      flags));
    EXPECT_EQ(flags, 0x7FFFFFFD);
}
