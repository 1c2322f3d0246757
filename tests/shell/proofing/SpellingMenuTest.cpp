// A document window with the marks of the background check (wavy red lines
// under the misspelled words) and the spelling menu of a marked word: its
// suggestions, and the replacement a chosen suggestion makes.
#include "docwindow/DocumentWindowFixture.h"
#include "shell/proofing/SpellingFixtures.h"

#include "layout/PaintSettings.h"
#include "platform/framework/Timer.h"
#include "platform/framework/menus/MenuWindows.h"
#include "platform/framework/menus/Menus.h"

#include <deque>

namespace {

const char* const kRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs28\\lang1036 "
    "Le chatt dort sur le tapis. Il a vu le le chien.\\par "
    "Une phrase sans faute.\\par}";

class SpellingMenuTest : public DocumentWindowTest {
protected:
    // Keys or clicks for the menu windows, one step each time one shows.
    void MenuScript(std::deque<std::function<void()>> steps)
    {
        FSteps = std::move(steps);
        FTimer = std::make_unique<TTimer>(nullptr);
        FTimer->SetInterval(1);
        FTimer->SetOnTimer([this](TTimer* timer) {
            if (!ActiveMenuWindow())
                return;
            if (FSteps.empty()) {
                timer->SetEnabled(false);
                return;
            }
            auto step = std::move(FSteps.front());
            FSteps.pop_front();
            step();
        });
    }
    // Red pixels (the misspelling marks) in the window.
    int32_t RedPixels(TDocumentForm& window, const std::string& png)
    {
        window.Repaint();
        RunPending();
        TBitmap bitmap;
        EXPECT_TRUE(GrabWindow(window.Handle(), bitmap));
        if (!png.empty())
            WriteBitmapPng(bitmap, TestOutputDir() + "/" + png);
        int32_t count = 0;
        for (int32_t y = 0; y < bitmap.Height(); ++y) {
            const uint8_t* line = bitmap.ScanLine(y);
            for (int32_t x = 0; x < bitmap.Width(); ++x) {
                const uint8_t* p = line + x * 4;
                if (p[2] > 200 && p[1] < 80 && p[0] < 80)
                    ++count;
            }
        }
        return count;
    }

    TSpellingSetup Spelling;
    TTestKeyboard Keys;

private:
    std::deque<std::function<void()>> FSteps;
    std::unique_ptr<TTimer> FTimer;
};

}  // namespace

// The background check underlines the misspelled word and the doubled word
// in red; nothing is red before it ran or with underlining off.
TEST_F(SpellingMenuTest, MisspelledWordsAreUnderlined)
{
    TDocument* document = OpenRtf("marks.rtf", kRtf);
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    // The options give the painters the spelling switches.
    const TPaintSettings saved = PaintSettings();
    PaintSettings().CheckAsYouType = true;
    PaintSettings().ShowSpellingErrors = true;
    EXPECT_EQ(RedPixels(window, ""), 0) << "nothing checked yet";
    ASSERT_TRUE(CheckInBackground(*document));
    EXPECT_EQ(MarkedWords(*document), (std::vector<std::string>{"chatt", "le"}));
    EXPECT_GT(RedPixels(window, "spelling-marks.png"), 20);
    PaintSettings().ShowSpellingErrors = false;
    EXPECT_EQ(RedPixels(window, ""), 0) << "underlining off";
    PaintSettings() = saved;
}

// The selection that is a marked word opens the spelling menu; another
// selection does not, and stays as it was.
TEST_F(SpellingMenuTest, SpellingMarkAtTheCaret)
{
    TDocument* document = OpenRtf("mark.rtf", kRtf);
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    ASSERT_TRUE(CheckInBackground(*document));
    struct TCase {
        int32_t From, To;
        bool Mark;
        const char* What;
    };
    const TCase cases[] = {
        {3, 8, true, "the misspelled word"},
        {36, 41, true, "the doubled words"},
        {9, 13, false, "a correct word"},
        {3, 6, false, "part of the misspelled word"},
    };
    for (const TCase& c : cases) {
        document->SetSelection(0, c.From, 0, c.To);
        EXPECT_EQ(window.IsSpellingMarkAtCaret(), c.Mark) << c.What;
        if (!c.Mark) {
            EXPECT_EQ(document->Selection().Start.Offset, c.From) << c.What;
            EXPECT_EQ(document->Selection().End.Offset, c.To) << c.What;
        }
    }
    document->SetSelection(0, 5, 0, 5);
    EXPECT_TRUE(window.IsSpellingMenuAtCaret()) << "the caret in the misspelled word";
    document->SetSelection(0, 10, 0, 10);
    EXPECT_FALSE(window.IsSpellingMenuAtCaret()) << "the caret in a correct word";
}

// The menu of a misspelled word offers its suggestions first, as default
// items; Enter on the first replaces the word.
TEST_F(SpellingMenuTest, MenuOffersTheSuggestions)
{
    TDocument* document = OpenRtf("menu.rtf", kRtf);
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    ASSERT_TRUE(CheckInBackground(*document));
    document->SetSelection(0, 5, 0, 5);
    ASSERT_TRUE(window.IsSpellingMenuAtCaret());
    std::vector<std::string> captions;
    MenuScript({[&] {
        TMenu& menu = *window.SpellingMenu();
        for (int i = 0; i < menu.Items().Count(); ++i)
            captions.push_back(menu.Items().Items(i)->Caption());
        ASSERT_GT(menu.Items().Count(), 0);
        EXPECT_TRUE(menu.Items().Items(0)->Default);
        EXPECT_EQ(menu.Items().Items(0)->Tag, -1);
        Keys.Tap("Down");
    },
                [&] { Keys.Tap("Enter"); }});
    const std::string first = [&] {
        GetSpellCheckManager().CheckWordAtCaret(*document);
        return GetSpellCheckManager().Suggestions.empty() ? std::string() : GetSpellCheckManager().Suggestions[0];
    }();
    ASSERT_EQ(first, "chat");
    ASSERT_TRUE(window.IsSpellingMenuAtCaret());
    window.PopupContextMenu(document->Selection().End);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], "chat");
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Toujours &ignorer"), captions.end());
    EXPECT_EQ(document->GetTextRun(0, 0, 12), "Le chat dort");
}
