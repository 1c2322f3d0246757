// The sound settings dialog driven by clicks and keys: the pack and its
// description, the event list with its state pictures, own waves, listening,
// switching events on and off, Cancel putting everything back, OK marking
// the settings for saving, and F1 opening the dialog's help page.
#include "SoundTesting.h"

#include "foundation/settings/CmdLineSwitches.h"
#include "platform/framework/ModalTesting.h"
#include "platform/testing/Testing.h"
#include "platform/win/DesktopPages.h"
#include "shell/ShellTesting.h"
#include "shell/help/HelpManager.h"
#include "shell/sound/SoundSettingsForm.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// An open dialog that "chooses" a given file, as the user would.
class TChosenFile : public TOpenDialog {
public:
    TChosenFile(TComponent* owner, std::string file) : TOpenDialog(owner), FFile(std::move(file)) {}
    bool Execute() override
    {
        ++Shown;
        FileName = FFile;
        return !FFile.empty();
    }
    int Shown = 0;

private:
    std::string FFile;
};

class SoundDialogTest : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        Dir = MakeTestDir("sounddialog");
        SetProgramArguments(std::vector<std::string>{"eldravin", "-ssfn", Dir + "/Sons.esd"});
        PackA = Dir + "/Cristal.esn";
        WriteTestFile(PackA, SoundPack("Sons cristallins||pour Eldravin||version 2||par l'\xE9quipe",
                                       {{"OPENDOC", "open"}, {"START", "start"}, {"ERRORMSG", "error"}}));
        PackB = Dir + "/Bois.esn";
        WriteTestFile(PackB, SoundPack("Sons de bois", {{"CLOSEDOC", "close"}}));
        Wave = Dir + "/clavier.wav";
        WriteTestFile(Wave, WaveImage("key"));
        SoundManager = new TSoundManager();
        SoundManager->Settings().SoundScheme = PackA;
    }
    void TearDown() override
    {
        delete SoundManager;
        SoundManager = nullptr;
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        ShellWindowTest::TearDown();
    }
    void Click(TControl& control)
    {
        Mouse.Click(static_cast<TWinControl&>(control).Handle(), {control.Width() / 2, control.Height() / 2});
    }
    // Selects a line of the list by clicking it.
    void ClickLine(TSoundSettingsForm& f, TEventId id)
    {
        TStringList& items = f.EventListBox->Items();
        for (int32_t i = 0; i < items.Count(); ++i)
            if (f.LineEventId(i) == id) {
                f.EventListBox->SetTopIndex(std::max(0, i - 2));
                RunPending();
                const TRect r = f.EventListBox->ItemRect(i);
                Mouse.Click(f.EventListBox->Handle(), {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
                EXPECT_TRUE(RunUntil([&] { return f.SelectedEventId() == id; }));
                return;
            }
        FAIL() << "no line for " << id;
    }
    int32_t LineOf(TSoundSettingsForm& f, TEventId id)
    {
        for (int32_t i = 0; i < f.EventListBox->Items().Count(); ++i)
            if (f.LineEventId(i) == id)
                return i;
        return -1;
    }

    std::string Dir, PackA, PackB, Wave;
    TRecordingSink Sink;
    TScriptedAnswers Answers;
};

}  // namespace

TEST_F(SoundDialogTest, ThePackOwnWavesAndListeningWorkFromTheDialog)
{
    bool ran = false;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TSoundSettingsForm&>(form);
        EXPECT_EQ(f.Caption(), "Effets sonores");
        EXPECT_EQ(f.HelpTopic(), 23000);
        EXPECT_EQ(f.SchemeEdit->Text(), "Cristal.esn");
        EXPECT_EQ(f.DescriptionMemo->Text(), "Sons cristallins\r\npour Eldravin\r\nversion 2\r\npar l'\xE9quipe");
        EXPECT_TRUE(f.DescriptionScrollBar());
        EXPECT_TRUE(f.RemoveBtn->Enabled());
        ASSERT_EQ(f.EventListBox->Items().Count(), 69);
        EXPECT_EQ(f.EventListBox->Items().Strings(0), "Lancement d'Eldravin");
        EXPECT_EQ(f.SelectedEventId(), 200);
        EXPECT_TRUE(f.PlayBtn->Enabled());
        EXPECT_FALSE(f.CustSndClearBtn->Enabled());
        // State pictures: pack sound on; a message event without sound shows
        // none (the system beep does not count); nothing for 2040.
        EXPECT_EQ(f.LineCell(LineOf(f, 200)), 1);
        EXPECT_EQ(f.LineCell(LineOf(f, 1000)), -1);
        EXPECT_EQ(f.LineCell(LineOf(f, 2040)), -1);

        // Listening to the pack's sound, by the button and by a double click.
        Click(*f.PlayBtn);
        EXPECT_TRUE(RunUntil([&] { return Sink.Played.size() == 1; }));
        EXPECT_EQ(std::string(Sink.Played[0].Samples.begin(), Sink.Played[0].Samples.end()), "start");

        // An own wave for the typing event: cell 3, and it serves every key.
        ClickLine(f, 12000);
        EXPECT_FALSE(f.PlayBtn->Enabled());
        delete f.OpenWavDialog;
        auto* chooser = new TChosenFile(&f, Wave);
        f.OpenWavDialog = chooser;
        Click(*f.CustSndBrowseBtn);
        EXPECT_TRUE(RunUntil([&] { return chooser->Shown == 1; }));
        EXPECT_EQ(f.CustSndEdit->Text(), Wave);
        EXPECT_TRUE(f.CustSndClearBtn->Enabled());
        EXPECT_TRUE(f.PlayBtn->Enabled());
        EXPECT_EQ(f.LineCell(LineOf(f, 12000)), 3);
        Click(*f.EnableCheckBox);
        EXPECT_TRUE(RunUntil([&] { return !f.EnableCheckBox->Checked(); }));
        EXPECT_EQ(f.LineCell(LineOf(f, 12000)), 4);
        Click(*f.EnableCheckBox);
        EXPECT_TRUE(RunUntil([&] { return f.EnableCheckBox->Checked(); }));

        // A wave that cannot be played is reported.
        ClickLine(f, 220);
        const std::string broken = Dir + "/casse.wav";
        WriteTestFile(broken, "RIFF\x04\0\0\0WAVE");
        delete f.OpenWavDialog;
        f.OpenWavDialog = new TChosenFile(&f, broken);
        Click(*f.CustSndBrowseBtn);
        EXPECT_TRUE(RunUntil([&] { return f.CustSndEdit->Text() == broken; }));
        Click(*f.PlayBtn);
        EXPECT_TRUE(RunUntil([&] { return !Answers.Texts.empty(); }));
        EXPECT_EQ(Answers.Texts.back(), "Impossible de lire ce son.");
        Click(*f.CustSndClearBtn);
        EXPECT_TRUE(RunUntil([&] { return f.CustSndEdit->Text().empty(); }));

        RunPending();
        TBitmap grab;
        EXPECT_TRUE(RunUntil([&] { return GrabWindow(f.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/sound-settings.png"));
        ran = true;
        Click(*f.DlgButtons().Button(DlgButtonOK));
    });
    EXPECT_TRUE(ShowSoundSettingsDialog());
    EXPECT_TRUE(ran);
    const TSoundSettings& s = SoundManager->Settings();
    EXPECT_TRUE(s.Modified);
    ASSERT_EQ(s.Overrides.size(), 1u);
    EXPECT_EQ(s.Overrides[0].EventId, 12000);
    EXPECT_TRUE(s.DisabledEvents.empty());
    Sink.Played.clear();
    FireEvent(12116);
    ASSERT_EQ(Sink.Played.size(), 1u);
    EXPECT_EQ(Sink.Played[0].FileName, Wave);
}

// "Tout désactiver" switches off the listed events only; events reached
// through a line (the letter keys) keep their own state; "Tout activer"
// switches everything on again.
TEST_F(SoundDialogTest, AllEventsSwitchedOffAndOn)
{
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TSoundSettingsForm&>(form);
        Click(*f.DisableAllBtn);
        EXPECT_TRUE(RunUntil([&] { return !f.EnableCheckBox->Checked(); }));
        EXPECT_EQ(SoundManager->Settings().DisabledEvents.size(), 69u);
        EXPECT_FALSE(SoundManager->Settings().IsDisabled(12100));
        EXPECT_EQ(f.LineCell(LineOf(f, 200)), 2);
        EXPECT_EQ(f.LineCell(LineOf(f, 2040)), 0);
        Click(*f.EnableAllBtn);
        EXPECT_TRUE(RunUntil([&] { return f.EnableCheckBox->Checked(); }));
        EXPECT_TRUE(SoundManager->Settings().DisabledEvents.empty());
        Click(*f.DlgButtons().Button(DlgButtonOK));
    });
    EXPECT_TRUE(ShowSoundSettingsDialog());
}

// Cancel after choosing another pack and switching events off puts back the
// pack, rebuilt, and the events; nothing is marked for saving.
TEST_F(SoundDialogTest, CancelRestoresTheSettingsAndThePack)
{
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TSoundSettingsForm&>(form);
        delete f.SetSchemeDialog;
        f.SetSchemeDialog = new TChosenFile(&f, PackB);
        Click(*f.BrowseBtn);
        EXPECT_TRUE(RunUntil([&] { return f.SchemeEdit->Text() == "Bois.esn"; }));
        EXPECT_EQ(f.DescriptionMemo->Text(), "Sons de bois");
        EXPECT_FALSE(f.DescriptionScrollBar());
        EXPECT_TRUE(SoundManager->HasSchemeSound(2040));
        Click(*f.DisableAllBtn);
        Click(*f.RemoveBtn);
        EXPECT_TRUE(RunUntil([&] { return f.SchemeEdit->Text() == "Aucun(e)"; }));
        EXPECT_FALSE(f.RemoveBtn->Enabled());
        EXPECT_FALSE(f.DescriptionMemo->Enabled());
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ShowSoundSettingsDialog());
    EXPECT_EQ(SoundManager->Settings().SoundScheme, PackA);
    EXPECT_TRUE(SoundManager->Settings().DisabledEvents.empty());
    EXPECT_FALSE(SoundManager->Settings().Modified);
    EXPECT_TRUE(SoundManager->HasSchemeSound(2020));
    EXPECT_FALSE(SoundManager->HasSchemeSound(2040));
}

// A damaged pack chosen in the dialog: its messages, then its name with an
// empty description.
TEST_F(SoundDialogTest, ADamagedPackShowsItsNameWithoutDescription)
{
    const std::string damaged = Dir + "/Casse.esn";
    WriteTestFile(damaged, "not a pack");
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TSoundSettingsForm&>(form);
        delete f.SetSchemeDialog;
        f.SetSchemeDialog = new TChosenFile(&f, damaged);
        Answers.Script = {mrOk, mrYes};
        Click(*f.BrowseBtn);
        EXPECT_TRUE(RunUntil([&] { return f.SchemeEdit->Text() == "Casse.esn"; }));
        EXPECT_EQ(Answers.Texts.size(), 2u);
        EXPECT_EQ(f.DescriptionMemo->Text(), "");
        EXPECT_FALSE(f.PlayBtn->Enabled());
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ShowSoundSettingsDialog());
}

// F1 opens the dialog's help page in the browser (the URL is checked, not opened).
TEST_F(SoundDialogTest, F1OpensTheDialogsHelpPage)
{
    std::vector<std::string> urls;
    SetURLOpener([&](const std::string& url) {
        urls.push_back(url);
        return true;
    });
    GetHelpManager().HelpFile = Dir;
    BaseFormServices().ShowHelpTopic = [](int32_t topic) { GetHelpManager().ShowTopic(topic); };
    DuringNextModal([&](TForm& form) {
        Keys.Tap("F1");
        EXPECT_TRUE(RunUntil([&] { return !urls.empty(); }));
        form.SetModalResult(mrCancel);
    });
    ShowSoundSettingsDialog();
    BaseFormServices().ShowHelpTopic = nullptr;
    FreeHelpManager();
    SetURLOpener(nullptr);
    EXPECT_EQ(urls, std::vector<std::string>{"file://" + Dir + "/html/_sound_settings.htm"});
}
