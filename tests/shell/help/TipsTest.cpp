// The tips window: the rich viewer's markup and line building, and the window
// itself driven by clicks: the first tips in order over the first runs (the
// counter kept in the settings across a restart), going back, the help topic
// of a tip, and the start-up check box.
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/win/DesktopPages.h"
#include "shell/ShellTesting.h"
#include "shell/help/HelpManager.h"
#include "shell/help/TipsForm.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string Plain(const std::vector<TRichRun>& runs)
{
    std::string text;
    for (const TRichRun& r : runs)
        text += r.Text;
    return text;
}

class RichViewerTest : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        Viewer = std::make_unique<TRichViewer>(nullptr);
        Viewer->SetBounds(0, 0, 350, 200);
    }
    std::unique_ptr<TRichViewer> Viewer;
};

}  // namespace

TEST_F(RichViewerTest, MarkupStylesRunsAndIsNeverShown)
{
    Viewer->SetText("^bAstuce^d : le texte ^x reste ^Rrouge^A et ^r^usouligné");
    ASSERT_EQ(Viewer->Lines().size(), 1u);
    const std::vector<TRichRun> runs = Viewer->LineRuns(0);
    EXPECT_EQ(Plain(runs), "Astuce : le texte  reste rouge et soulign\xE9");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].Text, "Astuce");
    EXPECT_TRUE(runs[0].Style.Bold);
    EXPECT_EQ(runs[1].Style, TRichStyle());
    EXPECT_EQ(runs[2].Text, "rouge");
    EXPECT_EQ(runs[2].Style.Color, static_cast<TColor>(0x0000FF));
    EXPECT_TRUE(runs[4].Style.Reverse && runs[4].Style.Underline);
}

// "^p" ends a line (two give an empty line); a long text breaks after the
// last blank that fits, and the style in force runs on into the next line.
TEST_F(RichViewerTest, LinesEndAtParagraphCodesAndBlanks)
{
    Viewer->SetText("Un^p^pdeux");
    ASSERT_EQ(Viewer->Lines().size(), 3u);
    EXPECT_EQ(Plain(Viewer->LineRuns(0)), "Un");
    EXPECT_EQ(Plain(Viewer->LineRuns(1)), "");
    EXPECT_EQ(Plain(Viewer->LineRuns(2)), "deux");

    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "mot ";
    Viewer->SetText("^i" + words);
    const auto& lines = Viewer->Lines();
    ASSERT_GT(lines.size(), 1u);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string text = Plain(Viewer->LineRuns(static_cast<int32_t>(i)));
        EXPECT_EQ(text.back(), ' ') << i;  // broken after a blank
        EXPECT_EQ(text.rfind("mot", 0), 0u) << i;
    }
    EXPECT_TRUE(lines[1]->Style.Italic);
    EXPECT_TRUE(Viewer->LineRuns(1)[0].Style.Italic);
}

namespace {

class TipsWindowTest : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        Dir = MakeTestDir("tips");
        SetProgramArguments(std::vector<std::string>{"eldravin", "-lsi", "-ssi", "-sfn", Dir + "/Eldravin.ini"});
        OptionsHolder = new TOptionsHolder();
        FreeTipsData();
        SetURLOpener([this](const std::string& url) {
            Urls.push_back(url);
            return true;
        });
        ASSERT_TRUE(ForceDirectories(Dir + "/Aide/html"));
        GetHelpManager().HelpFile = Dir + "/Aide";
    }
    void TearDown() override
    {
        FreeTipsData();
        FreeHelpManager();
        SetURLOpener(nullptr);
        delete OptionsHolder;
        OptionsHolder = nullptr;
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        ShellWindowTest::TearDown();
    }
    // The end of one run and the start of the next: the options saved and
    // read again by a new holder, the tips source made afresh.
    void Restart()
    {
        SaveSettings(*OptionsHolder);
        delete OptionsHolder;
        OptionsHolder = new TOptionsHolder();
        std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
        OptionsHolder->Load(*store);
        FreeTipsData();
    }
    void Click(TControl& control)
    {
        Mouse.Click(static_cast<TWinControl&>(control).Handle(), {control.Width() / 2, control.Height() / 2});
    }
    std::string Dir;
    std::vector<std::string> Urls;
    TScriptedAnswers Answers;
};

std::string Shown(TAdviseForm& f)
{
    return Plain(f.RichViewer->LineRuns(0));
}

}  // namespace

TEST_F(TipsWindowTest, TheFirstRunsShowTheFirstTipsInOrder)
{
    TAdviseManager source;  // the program's tips, for the expected texts
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAdviseForm&>(form);
        EXPECT_EQ(f.Caption(), "Trucs et astuces d'Eldravin");
        EXPECT_EQ(f.CurrentTip().Text, source.GetTip(0).Text);
        EXPECT_EQ(f.CurrentTip().Number, 214000);
        EXPECT_EQ(Shown(f).rfind("Pour s\xE9lectionner un mot entier", 0), 0u);
        EXPECT_TRUE(f.RichViewer->LineRuns(0)[0].Style.Bold);
        EXPECT_FALSE(f.PrevBtn->Enabled());
        EXPECT_TRUE(f.DetailsBtn->Enabled());
        EXPECT_TRUE(f.ShowAtStartUpCheckBox->Checked());
        // The help topic of the tip.
        Click(*f.DetailsBtn);
        EXPECT_TRUE(RunUntil([&] { return Urls.size() == 1; }));
        EXPECT_EQ(Urls[0], "file://" + Dir + "/Aide/html/selecting_text.htm");
        RunPending();
        TBitmap grab;
        EXPECT_TRUE(RunUntil([&] { return GrabWindow(f.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/tips-first-run.png"));
        // Forward to a new tip and back again.
        Click(*f.NextBtn);
        EXPECT_TRUE(RunUntil([&] { return f.PrevBtn->Enabled(); }));
        const std::string second = f.CurrentTip().Text;
        Click(*f.PrevBtn);
        EXPECT_TRUE(RunUntil([&] { return f.CurrentTip().Number == 214000; }));
        Click(*f.NextBtn);
        EXPECT_TRUE(RunUntil([&] { return f.CurrentTip().Text == second; }));
        Click(*f.ShowAtStartUpCheckBox);
        EXPECT_TRUE(RunUntil([&] { return !f.ShowAtStartUpCheckBox->Checked(); }));
        Keys.Tap("Esc");
    });
    ShowTipsDialog();
    EXPECT_FALSE(OptionsHolder->AdviseAtStartUp);
    EXPECT_EQ(OptionsHolder->AdviseCounter, 1);

    // The next run begins with the second tip, which names its help topic.
    Restart();
    EXPECT_EQ(OptionsHolder->AdviseCounter, 1);
    EXPECT_FALSE(OptionsHolder->AdviseAtStartUp);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAdviseForm&>(form);
        EXPECT_EQ(f.CurrentTip().Text, source.GetTip(1).Text);
        EXPECT_EQ(f.CurrentTip().Number, 211000);
        EXPECT_FALSE(f.ShowAtStartUpCheckBox->Checked());
        Keys.Tap("Esc");
    });
    ShowTipsDialog();
    // And the one after it the third, which has no help topic.
    Restart();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TAdviseForm&>(form);
        EXPECT_EQ(f.CurrentTip().Text, source.GetTip(2).Text);
        EXPECT_FALSE(f.DetailsBtn->Enabled());
        RunPending();
        TBitmap grab;
        EXPECT_TRUE(RunUntil([&] { return GrabWindow(f.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/tips-third-run.png"));
        Keys.Tap("Esc");
    });
    ShowTipsDialog();
    EXPECT_EQ(OptionsHolder->AdviseCounter, 3);
}
