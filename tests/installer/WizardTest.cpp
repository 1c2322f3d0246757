// The setup wizard driven with real clicks and keys under the offscreen
// platform: the payload built from the program's tree installed into a
// temporary folder (every file byte for byte, desktop entries, settings, the
// installed program starting and ending), then uninstalled from its log; the
// first-run defaults, the refusals and messages of its pages, a failed
// installation, and a picture of each page.
#include "installer/MainDlgForm.h"

#include "InstallerTesting.h"
#include "foundation/MessageAnswers.h"
#include "installer/AttachedFiles.h"
#include "installer/InstallUtils.h"
#include "installer/SetupBackdropForm.h"
#include "platform/framework/ModalTesting.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/testing/WindowTesting.h"
#include "platform/win/Registry.h"

#include <filesystem>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Starts a program under the offscreen platform with a temporary folder of its
// own, waits until it is up to take requests (its instance lock appears in that
// folder), asks it to end as the desktop does (SIGTERM) and returns its exit
// code; -1 when it did not end.
int32_t StartAndEndProgram(const std::string& program)
{
    const std::filesystem::path temp = std::filesystem::temp_directory_path() / "installed-run";
    std::filesystem::remove_all(temp);
    std::filesystem::create_directories(temp);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("TMPDIR=", 0) && entry.rfind("QT_QPA_PLATFORM=", 0))
            env.push_back(entry);
    }
    env.push_back("TMPDIR=" + temp.string());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    int status = 0;
    bool ended = false;
    auto reap = [&] {
        if (!ended && waitpid(pid, &status, WNOHANG) == pid)
            ended = true;
        return ended;
    };
    auto up = [&] {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(temp))
            if (entry.path().filename() == "Eldravin.instances")
                return true;
        return false;
    };
    if (RunUntil([&] { return reap() || up(); }, 60000) && !ended)
        kill(pid, SIGTERM);
    if (!RunUntil(reap, 60000)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

namespace fs = std::filesystem;

bool NoProgramRunning() { return false; }
bool ProgramRunning() { return true; }

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitApplication();
        FPreviousQuery = SetProgramRunningQuery(NoProgramRunning);
        TRegistry reg;
        reg.DeleteKey(InstallKey);
        User = UseTestUserFolders(std::string("user-") +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        SetProgramRunningQuery(FPreviousQuery);
        InstallStatus().Reset();
        EndInstallLog();
    }

    void Click(TControl* control)
    {
        TWinControl* w = dynamic_cast<TWinControl*>(control);
        ASSERT_NE(w, nullptr);
        Mouse.Click(w->Handle(), {w->Width() / 2, w->Height() / 2});
    }
    void ClickNext(TMainDlgForm& w) { Click(w.NextBtn); }
    void Picture(TMainDlgForm& w, int page)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(GrabWindow(w.Handle(), grab));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/setup-page-" + std::to_string(page) + ".png"));
    }
    // Runs the wizard on its backdrop with the script inside it; returns how it ended.
    TModalResult RunWizard(TAttachedFiles& files, std::function<void(TMainDlgForm&)> script)
    {
        TSetupBackdropForm backdrop(nullptr, files);
        DuringNextModal([this, script](TForm& form) {
            auto& wizard = dynamic_cast<TMainDlgForm&>(form);
            script(wizard);
            RunPending();
            if (wizard.Modal() && wizard.ModalResult() == mrNone) {
                // A script that stopped early: the wizard is closed, not left waiting.
                ADD_FAILURE() << "the wizard was left open on page " << wizard.CurrentPage();
                SetMessageAnswerer(&FAbortAll);
                wizard.SetModalResult(mrCancel);
            }
        });
        backdrop.Show();
        EXPECT_TRUE(RunUntil([&] { return backdrop.WizardDone(); }, 180000));
        return backdrop.WizardResult();
    }

    TTestMouse Mouse;
    TTestKeyboard Keys;
    std::string User;

private:
    struct TAbortAll : TMessageAnswerer {
        int32_t Answer(const TMessageRequest&) override { return mrAbort; }
    } FAbortAll;
    TProgramRunningQuery FPreviousQuery = nullptr;
};

// Where the wizard puts each payload name of the program's tree.
std::string InstalledPath(const std::string& dir, const std::string& name)
{
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".esc") == 0)
        return dir + "/Orthographe/" + name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".hlx") == 0)
        return dir + "/Orthographe/Lex/" + name;
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return dir + "/" + path;
}

TEST_F(WizardTest, InstallsTheBuiltPayloadAndUninstallsItFromTheLog)
{
    const std::string dir = MakeTestDir("full") + "/Logiciels/Eldravin";
    TMessageAnswers answers;
    TAttachedFiles files(ELDRAVIN_SETUP_FILE);
    ASSERT_FALSE(files.Corrupt());
    int pagesSeen = 0;
    const TModalResult result = RunWizard(files, [&](TMainDlgForm& w) {
        EXPECT_EQ(w.Caption(), "Installation d'Eldravin Brightfold 1.5");
        EXPECT_EQ(w.CurrentPage(), 0);
        EXPECT_FALSE(w.BackBtn->Visible());
        Picture(w, 0);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 1);
        EXPECT_NE(w.LicenceMemo->Text().find("ACCORD DE LICENCE"), std::string::npos);
        EXPECT_EQ(w.TitleLbl->Caption(), "Accord de licence");
        Picture(w, 1);
        Keys.Tap("Enter");  // the default button
        ASSERT_EQ(w.CurrentPage(), 2);
        Picture(w, 2);
        // The folder name: typed at the end of the proposed one.
        Click(w.ProgGrpEdt);
        Keys.Tap("End");
        Keys.Tap("Space");
        Keys.Tap("X");
        EXPECT_EQ(w.ProgGrpEdt->Text(), "Eldravin x");
        Keys.Chord({"Alt"}, "S");  // &Suite >
        ASSERT_EQ(w.CurrentPage(), 3);
        w.DestDirEdt->SetText(dir);
        Picture(w, 3);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 4);
        for (int i = 0; i < SetupComponentCount; ++i)
            EXPECT_TRUE(w.SelCompLstBx->Checked(i)) << i;
        EXPECT_FALSE(w.SelCompLstBx->SpaceText[0].empty());
        EXPECT_TRUE(w.NextBtn->Enabled());
        // The program's row stays checked, whatever the click.
        const TRect row0 = w.SelCompLstBx->ItemRect(0);
        Mouse.Click(w.SelCompLstBx->Handle(), {row0.Left + 8, (row0.Top + row0.Bottom) / 2});
        EXPECT_TRUE(w.SelCompLstBx->Checked(0));
        Picture(w, 4);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 5);
        Picture(w, 5);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 6);
        EXPECT_FALSE(w.NextBtn->Enabled());
        EXPECT_FALSE(w.BackBtn->Enabled());
        Picture(w, 6);
        ASSERT_TRUE(RunUntil([&] { return w.CurrentPage() == 7; }, 120000));
        EXPECT_EQ(w.ProgressBar->Position(), w.ProgressBar->Max);
        EXPECT_TRUE(w.AssocChkBx[0]->Checked());
        EXPECT_TRUE(w.AssocChkBx[1]->Checked());
        EXPECT_FALSE(w.AssocChkBx[2]->Checked());
        Picture(w, 7);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 8);
        EXPECT_FALSE(w.ShortcutChkBx[2]->Visible());
        Picture(w, 8);
        ClickNext(w);
        ASSERT_EQ(w.CurrentPage(), 9);
        EXPECT_EQ(w.NextBtn->Caption(), "&Terminer");
        EXPECT_FALSE(w.CancelBtn->Enabled());
        Click(w.LaunchChkBx);
        EXPECT_FALSE(w.LaunchChkBx->Checked());
        Picture(w, 9);
        pagesSeen = 10;
        Keys.Tap("Enter");
    });
    ASSERT_EQ(pagesSeen, 10);
    EXPECT_EQ(result, mrOk);

    // Every file of the program's tree, byte for byte.
    std::ifstream manifest(std::string(ELDRAVIN_SETUP_FILE) + ".manifest");
    std::string line;
    int count = 0;
    while (std::getline(manifest, line)) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        const std::string name = line.substr(0, tab);
        const std::string target = InstalledPath(dir, name);
        EXPECT_EQ(ReadTestFile(target), ReadTestFile(line.substr(tab + 1))) << name;
        ++count;
    }
    EXPECT_GE(count, 9);

    // The desktop entries, the settings and the uninstall entry.
    const std::string apps = User + "/data/applications";
    for (const std::string& entry : {User + "/desktop/Eldravin.desktop", apps + "/Eldravin.desktop",
                                     apps + "/Eldravin x/Eldravin.desktop"})
        EXPECT_NE(ReadTestFile(entry).find("Exec=" + dir + "/eldravin"), std::string::npos) << entry;
    EXPECT_NE(ReadTestFile(apps + "/Eldravin x/D\xC3\xA9sinstallation.desktop").find(" -ui"), std::string::npos);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(InstallKey));
    EXPECT_EQ(reg.ReadString("MAINDIR"), dir);
    EXPECT_EQ(reg.ReadString("GROUP"), "Eldravin x");
    EXPECT_EQ(reg.ReadString("COMPONENTS_FR (1.5.3)"), "ABCDEFGHI");
    EXPECT_EQ(reg.ReadString("EXTENSIONS"), "AB");
    EXPECT_EQ(reg.ReadString("SHORTCUTS"), "AB");
    EXPECT_EQ(reg.ReadString("LAUNCH"), "");
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKeyReadOnly(UninstallKey));
    EXPECT_EQ(machine.ReadString("UninstallString"), "\"" + dir + "/eldravin\" -ui");
    const std::string log = ReadTestFile(dir + "/Install.log");
    EXPECT_NE(log.find("File Copy: " + dir + "/eldravin\r\n"), std::string::npos);
    EXPECT_NE(log.find("Made Dir: " + dir + "/Orthographe/Lex\r\n"), std::string::npos);

    // The installed program starts (offscreen) and ends on the desktop's request.
    EXPECT_EQ(StartAndEndProgram(dir + "/eldravin"), 0);

    // A second run starts from the earlier answers.
    DuringNextModal([&](TForm& form) {
        auto& w = dynamic_cast<TMainDlgForm&>(form);
        EXPECT_EQ(w.ProgGrpEdt->Text(), "Eldravin x");
        EXPECT_EQ(w.DestDirEdt->Text(), dir);
        EXPECT_EQ(w.ProgGrpLstBx->Items().IndexOf("Eldravin x"), w.ProgGrpLstBx->ItemIndex());
        w.SetModalResult(mrAbort);
    });
    {
        answers.Expect("L'installation n'est pas terminée", mrAbort);
        TMainDlgForm again(nullptr, files);
        again.ShowModal();
    }

    // Uninstalling from the log leaves nothing of the installation.
    ASSERT_TRUE(UndoInstallLog(dir + "/Install.log"));
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(ListTreeFiles(User + "/desktop").empty());
    // The installer's own entries go; the file types the program registered
    // when the installer ran it with "-assoc" are the program's uninstall's
    // business ("-ui"), tested with the registration.
    EXPECT_FALSE(fs::exists(apps + "/Eldravin.desktop"));
    EXPECT_FALSE(fs::exists(apps + "/Eldravin x"));
}

TEST_F(WizardTest, FirstRunDefaultsAndTheRefusalsOfTheFirstPages)
{
    TPayloadWriter w;
    w.Files = {{"Licence.txt", "Licence"}, {"eldravin", "#!/bin/sh\n"}};
    const std::string dir = MakeTestDir("refusals");
    TMessageAnswers answers;
    TAttachedFiles files(w.WriteTo(dir));
    SetProgramRunningQuery(ProgramRunning);
    answers.Expect("Un exemplaire d'Eldravin Brightfold est en cours d'exécution", mrOk)
        .Expect("vous devez accepter", mrNo)
        .Expect("Veuillez spécifier un nom de dossier", mrOk)
        .Expect("contient des caractères non autorisés", mrOk)
        .Expect("L'installation n'est pas terminée", mrNo)
        .Expect("L'installation n'est pas terminée", mrAbort);
    const TModalResult result = RunWizard(files, [&](TMainDlgForm& f) {
        EXPECT_EQ(f.ProgGrpEdt->Text(), "Eldravin");
        EXPECT_EQ(f.DestDirEdt->Text(), UserProgramFilesFolder() + "/Eldravin");
        for (int i = 0; i < SetupComponentCount; ++i)
            EXPECT_TRUE(f.SelCompLstBx->Checked(i));
        ClickNext(f);  // a running copy: the page stays
        EXPECT_EQ(f.CurrentPage(), 0);
        SetProgramRunningQuery(NoProgramRunning);
        ClickNext(f);
        ASSERT_EQ(f.CurrentPage(), 1);
        EXPECT_EQ(f.LicenceMemo->Text(), "Licence");
        Click(f.RefuseRdBtn);
        ClickNext(f);  // refused, and No to leaving: the page stays
        EXPECT_EQ(f.CurrentPage(), 1);
        Click(f.AcceptRdBtn);
        ClickNext(f);
        ASSERT_EQ(f.CurrentPage(), 2);
        f.ProgGrpEdt->SetText("   ");
        ClickNext(f);
        EXPECT_EQ(f.CurrentPage(), 2);
        EXPECT_TRUE(f.ProgGrpEdt->Focused());
        f.ProgGrpEdt->SetText("Mes <programmes>");
        ClickNext(f);
        EXPECT_EQ(f.CurrentPage(), 2);
        // Off, the name is not looked at.
        Click(f.ProgGrpChkBx);
        EXPECT_FALSE(f.ProgGrpEdt->Visible());
        ClickNext(f);
        EXPECT_EQ(f.CurrentPage(), 3);
        // The close query: "Non" goes on, "Abandonner" (here through Escape) ends the wizard.
        EXPECT_FALSE(f.CloseQuery());
        EXPECT_EQ(f.CurrentPage(), 3);
        Keys.Tap("Esc");
    });
    EXPECT_EQ(result, mrCancel);
    // Nothing was installed: no settings saved.
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(InstallKey));
}

TEST_F(WizardTest, FailedInstallationClosesCancelledAndKeepsItsLog)
{
    TPayloadWriter w;
    w.Files = {{"Licence.txt", "Licence"}, {"eldravin", "#!/bin/sh\n"}, {"Lisez-moi.txt", std::string(9000, 'l')}};
    std::string bytes = w.Build();
    const std::string dir = MakeTestDir("failed");
    const std::string target = dir + "/Eldravin";
    fs::create_directories(target + "/Lisez-moi.txt");  // a folder in the way
    WriteTestFile(dir + "/setup.bin", bytes);
    TMessageAnswers answers;
    answers.Expect("Impossible de créer le fichier", mrAbort);
    TAttachedFiles files(dir + "/setup.bin");
    const TModalResult result = RunWizard(files, [&](TMainDlgForm& f) {
        ClickNext(f);
        ClickNext(f);
        ClickNext(f);
        f.DestDirEdt->SetText(target);
        ClickNext(f);
        ASSERT_EQ(f.CurrentPage(), 4);
        for (int i = 1; i < SetupComponentCount; ++i) {
            f.SelCompLstBx->SetItemIndex(i);
            f.SelCompLstBx->SetFocus();
            Keys.Tap("Space");
            EXPECT_FALSE(f.SelCompLstBx->Checked(i)) << i;
        }
        ClickNext(f);
        ClickNext(f);
        ASSERT_EQ(f.CurrentPage(), 6);
        // Abort on the file error closes the wizard as cancelled.
        EXPECT_TRUE(RunUntil([&] { return f.ModalResult() != mrNone; }, 60000));
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(ReadTestFile(target + "/eldravin"), "#!/bin/sh\n");
    // The installation had started: the log and the settings are kept.
    EXPECT_NE(ReadTestFile(target + "/Install.log").find("File Copy: " + target + "/eldravin"), std::string::npos);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(InstallKey));
    EXPECT_EQ(reg.ReadString("COMPONENTS_FR (1.5.3)"), "A");
}

TEST_F(WizardTest, RegistrationArgumentsAreAListAndTheFolderListProposesEldravin)
{
    TPayloadWriter w;
    w.Files = {{"Licence.txt", "Licence"}};
    const std::string dir = MakeTestDir("arguments");
    fs::create_directories(dir + "/Logiciels");
    fs::create_directories(dir + "/Eldravin");
    TMessageAnswers answers;
    TAttachedFiles files(w.WriteTo(dir));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(InstallKey, true));
    reg.WriteString("MAINDIR", dir + "/Ancien dossier");
    reg.WriteString("COMPONENTS_FR (1.5.3)", "AC");
    reg.WriteString("EXTENSIONS", "");
    reg.CloseKey();
    TMainDlgForm f(nullptr, files);
    // French only: one spelling system, passed whole, spaces and all.
    f.DestDirEdt->SetText(dir + "/Mon dossier");
    f.GoToPage(3, 4);
    f.GoToPage(4, 6);
    ASSERT_TRUE(RunUntil([&] { return f.CurrentPage() == 7; }, 60000));
    for (TCheckBox* box : f.AssocChkBx) {
        EXPECT_FALSE(box->Checked());
    }
    EXPECT_EQ(f.RegistrationArguments(),
              (std::vector<std::string>{"-iscs", dir + "/Mon dossier/Orthographe/Francais.esc"}));
    Click(f.AssocChkBx[2]);
    f.GoToPage(7, 8);
    EXPECT_EQ(f.RegistrationArguments(),
              (std::vector<std::string>{"-assoc", "_doc", "-iscs", dir + "/Mon dossier/Orthographe/Francais.esc"}));
    EndInstallLog();

    // The folder list: a folder chosen gets "Eldravin" added, unless it is one.
    TMainDlgForm g(nullptr, files);
    g.GoToPage(0, 3);
    g.Show();
    RunPending();
    const int32_t logiciels = g.DestDirLstBx->Items().IndexOf("Logiciels");
    ASSERT_GE(logiciels, 0);
    TRect r = g.DestDirLstBx->ItemRect(logiciels);
    Mouse.Click(g.DestDirLstBx->Handle(), {r.Left + 5, r.Top + 3});
    EXPECT_EQ(g.DestDirEdt->Text(), dir + "/Logiciels/Eldravin");
    r = g.DestDirLstBx->ItemRect(g.DestDirLstBx->Items().IndexOf("Eldravin"));
    Mouse.Click(g.DestDirLstBx->Handle(), {r.Left + 5, r.Top + 3});
    EXPECT_EQ(g.DestDirEdt->Text(), dir + "/Eldravin");
}

TEST_F(WizardTest, BackdropGradientAndPicture)
{
    // The backdrop's gradient: pale at the top left, blue towards the right.
    TPayloadWriter w;
    w.Files = {{"Licence.txt", "Licence"}};
    TMessageAnswers answers;
    TAttachedFiles files(w.WriteTo(MakeTestDir("backdrop")));
    TSetupBackdropForm backdrop(nullptr, files);
    ASSERT_NE(backdrop.Gradient(), nullptr);
    EXPECT_EQ(ColorToRGB(backdrop.Gradient()->Canvas().Pixels(0, 0)), static_cast<TColor>(0xD0FFFF));
    EXPECT_EQ(ColorToRGB(backdrop.Gradient()->Canvas().Pixels(377, 0)), static_cast<TColor>(0xD00101));
    DuringNextModal([&](TForm& form) {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(GrabWindow(backdrop.Handle(), grab));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/setup-backdrop.png"));
        answers.Expect("L'installation n'est pas terminée", mrAbort);
        Keys.Tap("Esc");
        (void)form;
    });
    backdrop.Show();
    ASSERT_TRUE(RunUntil([&] { return backdrop.WizardDone(); }, 60000));
    EXPECT_EQ(backdrop.WizardResult(), mrCancel);
}

} // namespace
