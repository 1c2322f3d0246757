// The frame made by the real start-up as the command manager's context: its
// menus bound to the manager, the recent documents after opening files, the
// status panels after caret moves and mode changes, idle work that ends when
// a key arrives, and edit messages that reach the document only from the
// frame and the document windows.
#include "DocumentProbe.h"
#include "shell/ShellTesting.h"
#include "document/model/Document.h"

#include "docwindow/DocumentForm.h"
#include "formats/DocDispatcher.h"
#include "foundation/resources/MenuResources.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/menus/Menus.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMemory.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/startup/Startup.h"

#include <gtest/gtest.h>

namespace {

std::string ProductKey()
{
    std::string key = SettingsKeyPrefix;
    key.pop_back();
    return key;
}

class TRecordingBlock : public TCommandHandler {
public:
    std::vector<TCommandId> Ran;
    std::function<void(TCommandId)> OnRun;
    void HandleCommand(TCommandManager&, TCommandId id) override
    {
        Ran.push_back(id);
        if (OnRun)
            OnRun(id);
    }
};

class FrameCommandsTest : public testing::Test {
protected:
    FrameCommandsTest()
    {
        Dir = MakeTestDir("frame-commands");
        TRegistryEx registry;
        registry.Registry().DeleteKey(ProductKey());
        registry.Flush();
    }
    ~FrameCommandsTest() override { SetProgramArguments(std::vector<std::string>{"eldravin"}); }
    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), "eldravin");
        SetProgramArguments(std::move(args));
        ASSERT_EQ(Run.Start(), TStartResult::Running);
        ASSERT_TRUE(RunUntil([] { return !StartupInProgress; }));
        RunPending();
    }
    void ShutDown()
    {
        if (CommandManager)
            for (TCommandBlock block : {TCommandBlock::Edit, TCommandBlock::Help})
                CommandManager->SetBlockHandler(block, nullptr);
        PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
        Run.RunMessageLoop();
        Run.Shutdown();
        Run.EndOfRun();
    }
    TMenuItem* MainMenuItem(TCommandId id) { return FindMenuItemByTag(*MainForm->MainMenu(), id); }

    std::string Dir;
    TProgramRun Run;
    TRecordedMessages Messages;
};

TEST_F(FrameCommandsTest, TheMenusRunThroughTheCommandManagerAndFollowTheActiveDocument)
{
    const std::string path = Dir + "/lettre.txt";
    WriteTestFile(path, "Bonjour.\r\n");
    Start({path});
    ASSERT_NE(CommandManager, nullptr);
    TDocument* document = MainForm->GetActiveDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(CommandManager->GetTargetDocument(), document);

    // Every item with a command was prepared: its click runs the command.
    TMenuItem* copy = MainMenuItem(3340);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copy->OnClick);
    TRecordingBlock edit;
    CommandManager->SetBlockHandler(TCommandBlock::Edit, &edit);
    document->SetSelection(0, 0, 0, 7);
    CommandManager->UpdateMenu(copy->Parent() ? *copy->Parent() : MainForm->MainMenu()->Items());
    EXPECT_TRUE(copy->Enabled);
    copy->Click();
    EXPECT_EQ(edit.Ran, (std::vector<TCommandId>{3340}));
    // No selection: copy is disabled when its menu opens, and clicking it
    // anyway runs nothing.
    document->SetSelection(0, 2, 0, 2);
    CommandManager->UpdateMenu(*copy->Parent());
    EXPECT_FALSE(copy->Enabled);
    copy->Click();
    EXPECT_EQ(edit.Ran.size(), 1u);
    // Nothing to undo yet.
    if (TMenuItem* undo = MainMenuItem(3840)) {
        EXPECT_EQ(undo->Caption().rfind("Pas d'action \xE0 annuler", 0), 0u) << undo->Caption();
    }

    // The Window menu lists the open document, checked.
    MainForm->RequestLayout();
    bool done = false;
    MainForm->ApplicationIdle(done);
    TMenuItem* listed = MainMenuItem(90105);
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->Caption(), "&1 lettre.txt");
    EXPECT_TRUE(listed->Checked);
    ShutDown();
}

TEST_F(FrameCommandsTest, TheRecentDocumentsAfterOpeningMoreThanTwentySixFiles)
{
    {
        TRegistryEx store;
        store.Prefix = SettingsKeyPrefix;
        store.OpenKey("General");
        store.WriteInteger("DocsToKeep", 30);
        store.Flush();
    }
    Start({"-n"});
    // 26 letters, then two names that differ only in case: different files here.
    std::vector<std::string> files;
    for (int i = 0; i < 26; ++i)
        files.push_back(Dir + "/lettre" + std::to_string(i) + ".txt");
    files.push_back(Dir + "/Memo.txt");
    files.push_back(Dir + "/memo.txt");
    for (const std::string& file : files) {
        WriteTestFile(file, "Texte.\r\n");
        TDocument* document = DocDispatcher->OpenDocument(file);
        ASSERT_NE(document, nullptr) << file;
        DocDispatcher->CloseDocument(document);
    }
    // Reopening one moves it to the top instead of adding it again.
    DocDispatcher->CloseDocument(DocDispatcher->OpenDocument(files[5]));
    bool done = false;
    MainForm->ApplicationIdle(done);

    TMenuItem* placeholder = MainMenuItem(cmRecentFilesList);
    ASSERT_NE(placeholder, nullptr);
    TMenuItem& menu = *placeholder->Parent();
    std::vector<std::string> shown;
    for (int i = menu.IndexOf(placeholder) + 1; i < menu.Count() && menu.Items(i)->Tag != cmRecentFilesListEnd; ++i)
        if (menu.Items(i)->Tag <= 0 && menu.Items(i)->Caption() != "-")
            shown.push_back(menu.Items(i)->Hint);
    ASSERT_EQ(shown.size(), 28u);
    EXPECT_EQ(shown[0], files[5]);
    EXPECT_EQ(shown[1], files[27]);
    EXPECT_EQ(shown[2], files[26]);
    EXPECT_EQ(shown[27], files[0]);

    // A recent item opens its file.
    for (int i = 0; i < menu.Count(); ++i)
        if (menu.Items(i)->Hint == files[26]) {
            menu.Items(i)->Click();
            break;
        }
    ASSERT_EQ(DocDispatcher->Count(), 1);
    EXPECT_EQ(DocDispatcher->Documents(0)->FileName, files[26]);
    ShutDown();

    // The list outlives the run, entries beyond "Z" included.
    TRegistryEx store;
    store.Prefix = SettingsKeyPrefix;
    store.OpenKey("RecentDocs");
    EXPECT_EQ(store.ReadInteger("Count", 0, 0, 30), 28);
    EXPECT_EQ(store.ReadString("AB", ""), files[0]);
}

TEST_F(FrameCommandsTest, TheStatusPanelsFollowTheCaretAndTheModes)
{
    const std::string path = Dir + "/notes.txt";
    WriteTestFile(path, "Premi\xE8re ligne.\r\nDeuxi\xE8me ligne, un peu plus longue.\r\nTroisi\xE8me.\r\n");
    Start({path});
    TStatusBar& bar = *MainForm->StatusBar();
    TDocument* document = MainForm->GetActiveDocument();
    ASSERT_NE(document, nullptr);

    const auto idle = [] {
        MainForm->RequestLayout();
        bool done = false;
        MainForm->ApplicationIdle(done);
    };
    document->SetSelection(1, 8, 1, 8);
    idle();
    EXPECT_EQ(bar.Panels(0).Text(), " Page 1/1   Sec 1/1");
    EXPECT_NE(bar.Panels(1).Text().find("Li. 2  Col. 9"), std::string::npos) << bar.Panels(1).Text();
    EXPECT_EQ(bar.Panels(1).Text().rfind("\xE0 ", 0), 0u);
    EXPECT_EQ(bar.Panels(2).Text(), "");
    EXPECT_EQ(bar.Panels(3).Text(), "Insertion");

    document->SetSelection(2, 0, 2, 0);
    MarkModified(*document);
    MainForm->InsertMode = 1;
    idle();
    EXPECT_NE(bar.Panels(1).Text().find("Li. 3  Col. 1"), std::string::npos) << bar.Panels(1).Text();
    EXPECT_EQ(bar.Panels(2).Text(), "Modifi\xE9");
    EXPECT_EQ(bar.Panels(3).Text(), "Refrappe");
    TBitmap picture;
    ASSERT_TRUE(GrabWindow(bar.Handle(), picture));
    WriteBitmapPng(picture, TestOutputDir() + "/status-bar.png");

    // A selection has no line and column; no document leaves the panels empty.
    document->SetSelection(0, 0, 1, 4);
    idle();
    EXPECT_EQ(bar.Panels(1).Text(), "");
    MainForm->InsertMode = 0;
    Messages.Texts.clear();
    DocDispatcher->CloseAll();
    idle();
    for (int i : {0, 1, 2, 3, 5, 6})
        EXPECT_EQ(bar.Panels(i).Text(), "") << i;
    ShutDown();
}

TEST_F(FrameCommandsTest, IdleWorkStopsWhenAKeyArrives)
{
    Start({});
    TRecordingBlock help;
    CommandManager->SetBlockHandler(TCommandBlock::Help, &help);
    // The tips run at step 6 and a key comes in meanwhile: the deferred
    // message of step 10 waits for the next pass.
    auto* window = dynamic_cast<TDocumentForm*>(MainForm->ActiveMDIChild());
    ASSERT_NE(window, nullptr);
    help.OnRun = [&](TCommandId) { PostMessage(window->Handle(), WM_KEYDOWN, VK_SHIFT, 0); };
    MainForm->Flags |= ffShowTipsAtIdle | ffLayoutNeeded;
    QueueMessageDlg("Plus tard", mtInformation, mbOK, NoMessagePreset);
    bool done = true;
    MainForm->ApplicationIdle(done);
    EXPECT_EQ(help.Ran, (std::vector<TCommandId>{101100}));
    EXPECT_FALSE(done);
    EXPECT_TRUE(MainForm->LastIdleSteps & (1u << 3));
    EXPECT_FALSE(MainForm->LastIdleSteps & (1u << 10));
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_FALSE(MainForm->HasFlag(ffShowTipsAtIdle));

    // While the key waits, the pass does nothing; once it is handled the
    // message comes, and the tips do not run again.
    MainForm->ApplicationIdle(done);
    EXPECT_EQ(MainForm->LastIdleSteps, 0u);
    EXPECT_FALSE(done);
    TMsg key;
    ASSERT_TRUE(PeekMessage(&key, window->Handle(), WM_KEYDOWN, WM_KEYDOWN, true));
    DispatchMessage(key);
    MainForm->ApplicationIdle(done);
    EXPECT_EQ(Messages.Texts, (std::vector<std::string>{"Plus tard"}));
    EXPECT_EQ(help.Ran.size(), 1u);
    EXPECT_TRUE(done);
    ShutDown();
}

TEST_F(FrameCommandsTest, PastingIntoADialogEditFieldDoesNotReachTheDocument)
{
    const std::string path = Dir + "/cible.txt";
    WriteTestFile(path, "Texte.\r\n");
    Start({path});
    TRecordingBlock edit;
    CommandManager->SetBlockHandler(TCommandBlock::Edit, &edit);
    ASSERT_TRUE(OpenClipboard(MainForm->Handle()));
    EmptyClipboard();
    const std::string text = "coll\xE9";
    std::string block = text + '\0';
    SetClipboardData(CF_TEXT, GlobalAllocBytes(block.data(), block.size()));
    CloseClipboard();
    // What the frame's clipboard-chain notice does: the paste rule reads the
    // clipboard again.
    CommandManager->DirtyFlags |= TCommandManager::dfClipboard;
    TDocument* document = MainForm->GetActiveDocument();
    ASSERT_NE(document, nullptr);
    const std::string before = ParagraphText(*document, 0);

    auto* dialog = new TForm(Application);
    dialog->SetCaption("Rechercher");
    auto* field = new TEdit(dialog);
    field->SetParent(dialog);
    dialog->Show();
    ASSERT_TRUE(field->HandleAllocated());
    SendMessage(field->Handle(), WM_PASTE, 0, 0);
    EXPECT_TRUE(edit.Ran.empty());
    EXPECT_EQ(CommandManager->LastCommand, 0);
    EXPECT_EQ(ParagraphText(*document, 0), before);
    delete dialog;

    // The same message to the document window is the paste command; to the
    // frame, the copy command.
    auto* window = dynamic_cast<TDocumentForm*>(MainForm->ActiveMDIChild());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessage(window->Handle(), WM_PASTE, 0, 0), 1);
    MainForm->GetActiveDocument()->SetSelection(0, 0, 0, 5);
    EXPECT_EQ(SendMessage(MainForm->Handle(), WM_COPY, 0, 0), 1);
    EXPECT_EQ(edit.Ran, (std::vector<TCommandId>{3360, 3340}));
    ShutDown();
}

}  // namespace
