// The language chooser, driven by keys and clicks, and the language it sets
// on a selection, which the spelling check then follows.
#include "shell/proofing/SpellingFixtures.h"

#include "docwindow/DocumentSpellingHost.h"
#include "foundation/managers/LanguageManager.h"
#include "platform/framework/ModalTesting.h"
#include "shell/ShellTesting.h"
#include "shell/proofing/ChooseLangForm.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int32_t kUnlisted = 0x3FF;

class LanguageChooserTest : public SpellingTest {
protected:
    // Runs the chooser with a script for its form; the result and the variable.
    bool Ask(int32_t& language, uint8_t flags, const std::function<void(TChooseLangForm&)>& script)
    {
        DuringNextModal([&](TForm& form) {
            auto& chooser = dynamic_cast<TChooseLangForm&>(form);
            script(chooser);
        });
        const bool result = AskTextLanguage(language, flags, "Langue du texte", 16000);
        Application->OnIdle = nullptr;
        return result;
    }
    // Clicks the entry of the language in the list.
    void Pick(TChooseLangForm& form, int32_t language)
    {
        const auto it = std::find(form.EntryLanguages.begin(), form.EntryLanguages.end(), language);
        ASSERT_NE(it, form.EntryLanguages.end());
        const int32_t index = static_cast<int32_t>(it - form.EntryLanguages.begin());
        form.LanguageListBox->SetTopIndex(index);
        RunPending();
        const TRect item = form.LanguageListBox->ItemRect(index);
        Mouse.Click(form.LanguageListBox->Handle(), {item.Left + 20, (item.Top + item.Bottom) / 2});
        ASSERT_EQ(form.LanguageListBox->ItemIndex(), index);
    }
    TTestMouse Mouse;
    TTestKeyboard Keys;
};

}  // namespace

// What the chooser returns for the ways it can close.
TEST_F(LanguageChooserTest, ChoicesAndTheirResults)
{
    struct TCase {
        int32_t Given;
        uint8_t Flags;
        int32_t Pick;  // 0: the preselected entry
        const char* Key;
        bool Result;
        int32_t Language;
        const char* What;
    };
    const TCase cases[] = {
        {kFrench, 0, 0, "Enter", false, kFrench, "the language that was set is no choice"},
        {kFrench, clfAlwaysChoice, 0, "Enter", true, kFrench, "unless the dialog always counts"},
        {kFrench, 0, kEnglishUS, "Enter", true, kEnglishUS, "another language"},
        {kFrench, 0, kEnglishUS, "Esc", false, kFrench, "Cancel leaves the variable"},
        {kUnlisted, clfAlwaysChoice, 0, "Enter", true, kUnlisted, "a language the system does not name"},
        {kFrench, clfOfferNoLanguage, LanguageNeutral, "Enter", true, LanguageNeutral, "no language"},
    };
    for (const TCase& c : cases) {
        int32_t language = c.Given;
        const bool result = Ask(language, c.Flags, [&](TChooseLangForm& form) {
            // The given language is preselected, and listed once.
            const int32_t selected = form.LanguageListBox->ItemIndex();
            ASSERT_GE(selected, 0) << c.What;
            EXPECT_EQ(form.EntryLanguages[static_cast<size_t>(selected)], c.Given) << c.What;
            const bool offersNone = std::count(form.EntryLanguages.begin(), form.EntryLanguages.end(),
                                               LanguageNeutral) == 1;
            EXPECT_EQ(offersNone, (c.Flags & clfOfferNoLanguage) != 0) << c.What;
            if (c.Given == kUnlisted) {
                EXPECT_EQ(std::count(form.EntryLanguages.begin(), form.EntryLanguages.end(), kUnlisted), 1);
                EXPECT_EQ(form.LanguageListBox->Items().Strings(selected), "( Autre langue (ID: 1023) )");
            }
            if (c.Pick)
                Pick(form, c.Pick);
            form.LanguageListBox->SetFocus();
            Keys.Tap(c.Key);
        });
        EXPECT_EQ(result, c.Result) << c.What;
        EXPECT_EQ(language, c.Language) << c.What;
        if (std::string(c.Key) == "Enter" && c.Language != LanguageNotSet) {
            EXPECT_EQ(GetLanguageManager().History().front(), c.Language) << c.What;
        }
    }
}

// The history keeps at most eight languages, the latest first.
TEST_F(LanguageChooserTest, HistoryKeepsEightLanguages)
{
    TLanguageManager& manager = GetLanguageManager();
    for (int32_t language = 1; language <= 9; ++language)
        manager.AddToHistory(0x400 + language);
    ASSERT_EQ(manager.History().size(), 8u);
    EXPECT_EQ(manager.History().front(), 0x409);
    EXPECT_EQ(manager.History().back(), 0x402);
    manager.AddToHistory(0x405);
    EXPECT_EQ(manager.History().front(), 0x405);
    EXPECT_EQ(manager.History().size(), 8u);
    EXPECT_EQ(manager.GetLanguageName(LanguageNeutral), "( aucune )");
    EXPECT_EQ(manager.GetLanguageName(LanguageNotSet), "( aucune )");
}

// An English word in French text is marked; once the chooser gave the
// selection the English language, the check accepts it.
TEST_F(LanguageChooserTest, TheCheckFollowsTheChosenLanguage)
{
    Build({"Il a dit thanks avec joie."});
    SetLanguage(kFrench);
    ASSERT_TRUE(CheckInBackground(*Doc));
    const std::vector<std::string> before = MarkedWords(*Doc);
    ASSERT_NE(std::find(before.begin(), before.end(), "thanks"), before.end());

    Select(0, 9, 0, 15);
    int32_t language = Doc->GetLanguageAt(0, 10);
    ASSERT_TRUE(Ask(language, 0, [&](TChooseLangForm& form) {
        Pick(form, kEnglishUS);
        Keys.Tap("Enter");
    }));
    GetSpellCheckManager();  // the spelling menu's host comes with the manager
    DocumentSpellingHost().SetLanguage(*Doc, language);
    EXPECT_EQ(Doc->GetLanguageAt(0, 10), kEnglishUS);
    EXPECT_EQ(Doc->GetLanguageAt(0, 3), kFrench);
    ASSERT_TRUE(CheckInBackground(*Doc));
    const std::vector<std::string> after = MarkedWords(*Doc);
    EXPECT_EQ(std::find(after.begin(), after.end(), "thanks"), after.end());
}
