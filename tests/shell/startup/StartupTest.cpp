// The program's real start-up and shutdown in this process, under the
// offscreen platform: the frame made by the start-up sequence, the
// command-line document in its window, the order of creation and freeing,
// the questions about changed documents, a failing start-up; and the frame's
// status-bar services.
#include "DocumentProbe.h"
#include "shell/ShellTesting.h"
#include "document/model/Document.h"

#include "docwindow/DocumentForm.h"
#include "docwindow/DocumentFormSupport.h"
#include "formats/DocDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/FontManager.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Forms.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Folders.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "shell/BaseForms.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/sound/SoundManager.h"
#include "shell/sound/SoundTesting.h"
#include "shell/startup/Startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

std::string ProductKey()
{
    std::string key = SettingsKeyPrefix;
    key.pop_back();
    return key;
}

int32_t StoredRunCount()
{
    TRegistryEx store;
    store.Prefix = SettingsKeyPrefix;
    store.OpenKey("Internal");
    return store.ReadInteger("RunCount", -1, -1, INT32_MAX);
}

class StartupTest : public testing::Test {
protected:
    StartupTest()
    {
        Dir = MakeTestDir("startup");
        TRegistryEx registry;
        registry.Registry().DeleteKey(ProductKey());
        registry.Flush();
        SetRemovableMediaQuery([] { return false; });
    }
    ~StartupTest() override
    {
        SetStartupObserver(nullptr);
        SetRemovableMediaQuery(nullptr);
        SetProgramArguments(std::vector<std::string>{"eldravin"});
    }
    void Args(std::vector<std::string> args)
    {
        args.insert(args.begin(), "eldravin");
        SetProgramArguments(std::move(args));
    }
    // The position of a step in the trace (fails when it is missing).
    size_t Step(const std::string& name)
    {
        const auto& trace = StartupTrace();
        const auto it = std::find(trace.begin(), trace.end(), name);
        EXPECT_NE(it, trace.end()) << name;
        return static_cast<size_t>(it - trace.begin());
    }
    // Closes the frame as its close box does and runs the loop to its end.
    void CloseAndShutDown(TProgramRun& run)
    {
        PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
        run.RunMessageLoop();
        run.Shutdown();
        run.EndOfRun();
    }

    std::string Dir;
    TScriptedAnswers Messages;
};

}  // namespace

TEST_F(StartupTest, ATextFileFromTheCommandLineOpensInItsWindowAndTheRunEndsCleanly)
{
    const std::string path = Dir + "/lettre.txt";
    WriteTestFile(path, "Ch\xE8re Jeanne,\r\nVoici la lettre promise, avec tous mes voeux.\r\n");
    Args({path});
    // The shared managers exist while the last window goes.
    bool fontsAtLastWindow = false;
    SetStartupObserver([&](const std::string& step) {
        if (step == "free main frame")
            fontsAtLastWindow = GetFontManager() != nullptr;
    });

    TRecordingSink sounds;
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    ASSERT_NE(MainForm, nullptr);
    EXPECT_TRUE(MainForm->Visible());
    // The sound manager hears the events from start-up on; the exit sound is
    // played to its end.
    ASSERT_NE(SoundManager, nullptr);
    const std::string exitWave = Dir + "/fin.wav";
    WriteTestFile(exitWave, WaveImage("fin"));
    SoundManager->Settings().Overrides = {{exitWave, 220}};
    EXPECT_EQ(Application->MainForm(), MainForm);
    EXPECT_EQ(Application->Title(), "Eldravin 1.5");
    EXPECT_FALSE(DeferredShow);
    ASSERT_NE(MainForm->MainMenu(), nullptr);
    ASSERT_GT(MainForm->MainMenu()->Items().Count(), 3);
    EXPECT_EQ(MainForm->StatusBar()->PanelCount(), 8);

    ASSERT_EQ(DocDispatcher->Count(), 1);
    TDocument* document = DocDispatcher->Documents(0);
    EXPECT_EQ(ParagraphText(*document, 0).rfind("Ch\xE8re Jeanne,", 0), 0u);
    EXPECT_EQ(ParagraphText(*document, 1).rfind("Voici la lettre promise", 0), 0u);
    ASSERT_EQ(MainForm->MDIChildCount(), 1);
    auto* window = dynamic_cast<TDocumentForm*>(MainForm->MDIChildren(0));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Document(), document);
    EXPECT_EQ(window->Caption(), "lettre.txt");
    EXPECT_EQ(MainForm->GetActiveDocument(), document);
    EXPECT_TRUE(Messages.Texts.empty());

    // The deferred start-up message ends the start-up once the loop runs.
    ASSERT_TRUE(RunUntil([] { return !StartupInProgress; }));
    RunPending();
    TBitmap frame;
    ASSERT_TRUE(GrabWindow(MainForm->Handle(), frame));
    WriteBitmapPng(frame, TestOutputDir() + "/startup-frame.png");
    // The page shows white, and the two lines of text stand on it below the
    // top margin (an inch at 96 dots per inch), away from the page's edges.
    TBitmap page;
    ASSERT_TRUE(GrabWindow(window->Handle(), page));
    ASSERT_GT(page.Width(), 500);
    ASSERT_GT(page.Height(), 300);
    int white = 0, dark = 0;
    for (int32_t y = 0; y < page.Height(); ++y) {
        const uint8_t* line = page.ScanLine(y);
        for (int32_t x = 0; x < page.Width(); ++x) {
            const int sum = line[4 * x] + line[4 * x + 1] + line[4 * x + 2];
            white += sum >= 3 * 250 ? 1 : 0;
            if (sum < 3 * 100 && y >= 80 && y < 200 && x >= 60 && x < 500)
                ++dark;
        }
    }
    EXPECT_GT(white, page.Width() * page.Height() / 2);
    EXPECT_GT(dark, 300);

    CloseAndShutDown(run);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(DocDispatcher, nullptr);
    EXPECT_EQ(OptionsHolder, nullptr);
    EXPECT_EQ(SoundManager, nullptr);
    ASSERT_FALSE(sounds.Played.empty());
    EXPECT_EQ(sounds.Played.back().FileName, exitWave);
    EXPECT_TRUE(sounds.Played.back().Waited);
    EXPECT_TRUE(fontsAtLastWindow);
    EXPECT_EQ(StoredRunCount(), 1);

    // Created before first use, freed after the last use, in the fixed order.
    EXPECT_LT(Step("version"), Step("sound manager"));
    EXPECT_LT(Step("sound manager"), Step("command line"));
    EXPECT_LT(Step("command line"), Step("options holder"));
    EXPECT_LT(Step("options holder"), Step("shared managers"));
    EXPECT_LT(Step("command line"), Step("clipboard manager"));
    EXPECT_LT(Step("clipboard manager"), Step("options holder"));
    EXPECT_LT(Step("shared managers"), Step("main frame"));
    EXPECT_LT(Step("main frame"), Step("command manager"));
    EXPECT_LT(Step("command manager"), Step("menus"));
    EXPECT_LT(Step("menus"), Step("document dispatcher"));
    EXPECT_LT(Step("document dispatcher"), Step("options loaded"));
    EXPECT_LT(Step("options loaded"), Step("frame shown"));
    EXPECT_LT(Step("frame shown"), Step("documents"));
    EXPECT_LT(Step("documents"), Step("settings saved"));
    EXPECT_LT(Step("settings saved"), Step("free document dispatcher"));
    EXPECT_LT(Step("free document dispatcher"), Step("free options holder"));
    EXPECT_LT(Step("free options holder"), Step("free clipboard manager"));
    EXPECT_LT(Step("free clipboard manager"), Step("free command manager"));
    EXPECT_LT(Step("free command manager"), Step("free main frame"));
    EXPECT_LT(Step("free main frame"), Step("free shared managers"));
    EXPECT_LT(Step("free shared managers"), Step("free spelling and command line"));
    EXPECT_LT(Step("free spelling and command line"), Step("free sound manager"));
    EXPECT_LT(Step("free sound manager"), Step("temporary files"));
}

TEST_F(StartupTest, WithoutDocumentsTheFrameShowsAfterTheNewDocumentExists)
{
    Args({});
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    EXPECT_TRUE(DeferredShow);
    EXPECT_LT(Step("documents"), Step("frame shown"));
    ASSERT_EQ(DocDispatcher->Count(), 1);
    EXPECT_EQ(DocDispatcher->Documents(0)->FileName, "");
    EXPECT_EQ(MainForm->MDIChildren(0)->Caption(), "Nouveau document");
    CloseAndShutDown(run);

    // "n" (no new document): an empty frame.
    Args({"-n"});
    TProgramRun second;
    ASSERT_EQ(second.Start(), TStartResult::Running);
    EXPECT_EQ(DocDispatcher->Count(), 0);
    EXPECT_EQ(MainForm->GetActiveDocument(), nullptr);
    CloseAndShutDown(second);
    EXPECT_EQ(StoredRunCount(), 2);
}

TEST_F(StartupTest, AFileThatCannotBeReadIsReportedAndTheFrameStillComesUp)
{
    Args({Dir + "/absent.txt", "-sn", "abc"});
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    // Nothing could be opened: a new, untitled document stands in.
    ASSERT_EQ(DocDispatcher->Count(), 1);
    EXPECT_TRUE(DocDispatcher->Documents(0)->FileName.empty());
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_NE(Messages.Texts[0].find("absent.txt"), std::string::npos);
    EXPECT_TRUE(MainForm->Visible());
    EXPECT_EQ(Application->Title(), "Eldravin 1.5 - <abc>");
    CloseAndShutDown(run);
}

TEST_F(StartupTest, ARelativeNameMeansTheFolderTheProgramStartedIn)
{
    // The stored folder, made current while the options load, holds a file
    // of that name; the start folder does not.
    const std::string elsewhere = MakeTestDir("ailleurs");
    WriteTestFile(elsewhere + "/memo.txt", "Pas celui-ci.\r\n");
    {
        TRegistryEx store;
        store.Prefix = SettingsKeyPrefix;
        store.OpenKey("Internal");
        store.WriteString("InitDir", elsewhere);
        store.Flush();
    }
    const std::string startFolder = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(Dir));
    Args({"memo.txt"});
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    SetCurrentDir(startFolder);
    // Nothing could be opened: a new, untitled document stands in.
    ASSERT_EQ(DocDispatcher->Count(), 1);
    EXPECT_TRUE(DocDispatcher->Documents(0)->FileName.empty());
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_NE(Messages.Texts[0].find(Dir + "/memo.txt"), std::string::npos) << Messages.Texts[0];
    CloseAndShutDown(run);
}

TEST_F(StartupTest, ClosingAndTheEndOfTheSessionAskAboutEveryChangedDocument)
{
    const std::string path = Dir + "/note.txt";
    WriteTestFile(path, "Premier jet.\r\n");
    Args({path});
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    ASSERT_EQ(DocDispatcher->Count(), 1);
    MarkModified(*DocDispatcher->Documents(0));

    // Closing the frame: Cancel keeps everything open.
    Messages.Script = {mrCancel};
    PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(RunUntil([&] { return Messages.Texts.size() == 1; }));
    RunPending();
    // The question names the file as the program shows file names: without its folder.
    EXPECT_EQ(Messages.Texts[0], "Le document \"note.txt\" a chang\xE9. Voulez-vous enregistrer les modifications ?");
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(DocDispatcher->Count(), 1);

    // The end of the session asks the same way; Cancel refuses it.
    Messages.Script = {mrCancel};
    EXPECT_EQ(SendMessage(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_EQ(Messages.Texts.size(), 2u);
    EXPECT_EQ(DocDispatcher->Count(), 1);
    EXPECT_EQ(StoredRunCount(), -1);

    // No: the session may end; the settings are saved and the documents closed.
    Messages.Script = {mrNo};
    EXPECT_EQ(SendMessage(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(Messages.Texts.size(), 3u);
    EXPECT_EQ(DocDispatcher->Count(), 0);
    EXPECT_EQ(StoredRunCount(), 1);
    EXPECT_EQ(ReadTestFile(path), "Premier jet.\r\n");
    CloseAndShutDown(run);
}

TEST_F(StartupTest, AFailingStartUpIsReportedOnceAndLeavesTheSettingsAsTheyWere)
{
    {
        TRegistryEx store;
        store.Prefix = SettingsKeyPrefix;
        store.OpenKey("Internal");
        store.WriteInteger("RunCount", 7);
        store.Flush();
    }
    Args({});
    SetStartupObserver([](const std::string& step) {
        if (step == "menus")
            throw Exception("menu introuvable");
    });
    TProgramRun run;
    EXPECT_EQ(run.Start(), TStartResult::Failed);
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_EQ(Messages.Texts[0], "Anomalie :\r\nmenu introuvable.");
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(OptionsHolder, nullptr);
    EXPECT_EQ(DocDispatcher, nullptr);
    run.EndOfRun();
    EXPECT_EQ(StoredRunCount(), 7);
    EXPECT_EQ(std::count(StartupTrace().begin(), StartupTrace().end(), "settings saved"), 0);
    EXPECT_LT(Step("free main frame"), Step("free shared managers"));
}

TEST(MainFrameTest, StatusBarProgressAndFrameServices)
{
    InitApplication();
    InitBaseForms();
    StartupInProgress = false;
    auto* frame = new TMainForm(Application);
    Application->SetMainForm(frame);
    frame->Show();

    // The progress bar only moves forwards and shows 25 steps of 24 as full.
    frame->ProgressStart(200, "Chargement");
    EXPECT_TRUE(frame->HasFlag(ffProgressShown));
    EXPECT_EQ(frame->StatusBarMode(), smTextWithProgress);
    EXPECT_TRUE(frame->ProgressBar()->Visible());
    EXPECT_EQ(frame->GetStatusText(), "Chargement");
    frame->ProgressStep(100);
    EXPECT_EQ(frame->ProgressBar()->Position(), 12);
    frame->ProgressStep(40);
    EXPECT_EQ(frame->ProgressBar()->Position(), 12);
    frame->ProgressStep(200);
    EXPECT_EQ(frame->ProgressLastStep(), 25);
    EXPECT_EQ(frame->ProgressBar()->Position(), 24);
    frame->ProgressEnd(false);
    EXPECT_FALSE(frame->HasFlag(ffProgressShown));
    EXPECT_EQ(frame->StatusBarMode(), smPanels);
    EXPECT_FALSE(frame->ProgressBar()->Visible());

    // Nested use: the outermost push saves, the matching pop restores.
    frame->SetStatusBarMode(smText);
    frame->SetStatusText("Avant");
    frame->PushStatus();
    frame->SetStatusText("Dedans");
    frame->PushStatus();
    frame->SetStatusBarMode(smPanels);
    frame->PopStatus();
    EXPECT_EQ(frame->GetStatusText(), "Dedans");
    frame->PopStatus();
    EXPECT_EQ(frame->GetStatusText(), "Avant");
    EXPECT_EQ(frame->StatusBarMode(), smText);

    // A held message ends on request; a layout request waits for the idle pass.
    frame->HoldStatusMessage();
    EXPECT_TRUE(frame->HasFlag(ffStatusMessageHeld));
    frame->ClearStatusMessage();
    EXPECT_FALSE(frame->HasFlag(ffStatusMessageHeld));
    EXPECT_EQ(frame->StatusBarMode(), smPanels);
    bool done = false;
    frame->RequestLayout();
    frame->ApplicationIdle(done);
    EXPECT_FALSE(frame->HasFlag(ffLayoutNeeded));

    // Deferred messages are shown at idle, one per pass, in order.
    TScriptedAnswers messages;
    QueueMessageDlg("Premier", mtInformation, mbOK, NoMessagePreset);
    QueueMessageDlg("Second", mtWarning, mbOK, NoMessagePreset);
    frame->ApplicationIdle(done);
    EXPECT_EQ(messages.Texts, (std::vector<std::string>{"Premier"}));
    EXPECT_FALSE(done);
    frame->ApplicationIdle(done);
    EXPECT_EQ(messages.Texts, (std::vector<std::string>{"Premier", "Second"}));
    EXPECT_TRUE(done);

    // The frame is held at its minimum size.
    SetWindowPos(frame->Handle(), HWND_NONE, 10, 10, 100, 80, SWP_NOZORDER);
    RunPending();
    EXPECT_GE(frame->Width(), MinFrameWidth);
    EXPECT_GE(frame->Height(), MinFrameHeight);

    EXPECT_EQ(frame->GetActiveDocument(), nullptr);
    Application->SetMainForm(nullptr);
    delete frame;
    DoneBaseForms();
    DoneApplication();
}
