// The program's file types and associations in a private XDG tree, and the
// uninstaller: registration writes the desktop entry, the MIME definitions
// and the default applications; dissociation puts back what was there;
// uninstalling leaves the tree as it was before and deletes nothing the
// installer did not write, whatever the install log says.
#include "shell/ShellTesting.h"
#include "shell/system/ShellRegistration.h"
#include "shell/system/AssociateForm.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "platform/runtime/StringList.h"

#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/win/DesktopAssociations.h"
#include "platform/win/Registry.h"
#include "shell/BaseForms.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ReadAllText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every file below the root with its content (folders as "<dir>").
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        files[fs::relative(e.path(), root).string()] = e.is_directory() ? "<dir>" : ReadAllText(e.path());
    return files;
}

std::string ExpectedType(const std::string& extension)
{
    const std::string known = MimeTypeForExtension(extension);
    return known.empty() ? "application/x-extension-" + extension.substr(1) : known;
}

class ShellRegistrationTest : public ShellWindowTest {
protected:
    ShellRegistrationTest()
    {
        Root = fs::path(MakeTestDir("xdg"));
        for (const char* sub : {"config", "data/applications", "desktop", "opt"})
            fs::create_directories(Root / sub);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            if (const char* value = std::getenv(name))
                Saved[name] = value;
        setenv("XDG_CONFIG_HOME", (Root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (Root / "data").c_str(), 1);
        std::ofstream(Root / "config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"" << (Root / "desktop").string() << "\"\n";
        // What other programs left: their defaults and their entry.
        std::ofstream(Root / "config/mimeapps.list")
            << "[Default Applications]\ntext/plain=gedit.desktop;\n" << ExpectedType(".doc")
            << "=writer.desktop;\n\n[Added Associations]\ntext/plain=gedit.desktop;\n";
        std::ofstream(Root / "data/applications/writer.desktop") << "[Desktop Entry]\nName=Writer\n";
        SetDesktopRefreshEnabled(false);
        TRegistry reg;
        reg.DeleteKey(InternalKey);
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        for (const char* ext : {".rtf", ".cod", ".eti", ".ets", ".esc", ".esn", ".esd", ".fpl", ".doc", ".txt"})
            reg.DeleteKey(std::string("\\") + ext);
    }
    ~ShellRegistrationTest() override
    {
        for (const auto& [name, value] : Saved)
            setenv(name.c_str(), value.c_str(), 1);
        SetDesktopRefreshEnabled(true);
    }
    std::string Default(const std::string& type) { return DefaultApplicationEntry(type); }

    fs::path Root;
    std::map<std::string, std::string> Saved;
};

}  // namespace

TEST_F(ShellRegistrationTest, TheAssociateSwitchRegistersAndUninstallingLeavesTheTreeAsItWas)
{
    const auto before = Snapshot(Root);
    const std::string doc = ExpectedType(".doc");
    HandleAssociateSwitch("rtf_cod_doc");

    EXPECT_EQ(RecordedAssociations(), ".rtf .cod .doc ");
    const std::string entry = ReadAllText(Root / "data/applications" / AssociationDesktopId);
    EXPECT_NE(entry.find("Exec=\"" + ProgramPath() + "\" %F\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("MimeType=text/rtf;application/x-eldravin-encrypted-document;"), std::string::npos);
    EXPECT_NE(entry.find(doc + ";"), std::string::npos);
    const std::string package = ReadAllText(Root / "data/mime/packages/eldravin.xml");
    EXPECT_NE(package.find("<glob pattern=\"*.fpl\"/>"), std::string::npos);
    // The description in UTF-8.
    EXPECT_NE(package.find("<comment>Document Eldravin crypt\xC3\xA9</comment>"), std::string::npos);
    const std::string ours = std::string(AssociationDesktopId) + ";";
    EXPECT_EQ(Default("text/rtf"), ours);
    EXPECT_EQ(Default(doc), ours);
    EXPECT_EQ(Default("application/x-eldravin-format-palette"), ours);
    EXPECT_EQ(Default("text/plain"), "gedit.desktop;");
    const std::string list = ReadAllText(Root / "config/mimeapps.list");
    EXPECT_NE(list.find("[Added Associations]\ntext/plain=gedit.desktop;\n"), std::string::npos) << list;

    // An installation to undo: the program folder, the menu and desktop shortcuts.
    const fs::path prog = Root / "opt/eldravin";
    fs::create_directories(prog / "Modeles");
    fs::create_directories(Root / "data/applications/Eldravin");
    for (const fs::path& f : {prog / "eldravin", prog / "Modeles/Normal.rtf",
                              Root / "data/applications/Eldravin/Eldravin.desktop", Root / "desktop/Eldravin.desktop"})
        std::ofstream(f) << "x";
    std::ofstream(prog / "Install.log")
        << "Made Dir: " << prog.string() << "\r\nFile Copy: " << (prog / "eldravin").string() << "\r\nMade Dir: "
        << (prog / "Modeles").string() << "\r\nFile Copy: " << (prog / "Modeles/Normal.rtf").string()
        << "\r\nMade Dir: " << (Root / "data/applications/Eldravin").string() << "\r\nFile Copy: "
        << (Root / "data/applications/Eldravin/Eldravin.desktop").string() << "\r\nFile Copy: "
        << (Root / "desktop/Eldravin.desktop").string() << "\r\n";
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.OpenKey(UninstallRegKey, true);
        reg.WriteString("DisplayName", "Eldravin Brightfold");
    }
    TScriptedAnswers answers;
    ASSERT_TRUE(UninstallProgramFrom(prog.string(), (prog / "eldravin").string()));
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_EQ(answers.Texts[0].rfind("Désinstallation terminée.", 0), 0u);

    EXPECT_FALSE(fs::exists(prog));
    EXPECT_EQ(Snapshot(Root), before);
    EXPECT_EQ(RecordedAssociations(), "");
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.KeyExists(UninstallRegKey));
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    for (const char* ext : {".rtf", ".cod", ".fpl", ".doc"})
        EXPECT_FALSE(reg.KeyExists(std::string("\\") + ext)) << ext;
}

TEST_F(ShellRegistrationTest, DissociatingKeepsWhatAnotherProgramSetSince)
{
    const std::string doc = ExpectedType(".doc");
    RegisterProgId();
    // Twice: the first saved default stays, the extension is listed once.
    RegisterFileAssociation("DOC", true);
    RegisterFileAssociation(".doc", true);
    EXPECT_EQ(RecordedAssociations(), ".doc ");
    UnassociateExtension(".doc");
    EXPECT_EQ(Default(doc), "writer.desktop;");
    EXPECT_EQ(RecordedAssociations(), "");

    RegisterFileAssociation("txt", true);
    const std::string txt = ExpectedType(".txt");
    // Another program takes the type afterwards: dissociating leaves it.
    SetDefaultApplicationEntry(txt, "other.desktop;");
    UnassociateExtension(".txt");
    EXPECT_EQ(Default(txt), "other.desktop;");
    EXPECT_EQ(RecordedAssociations(), "");

    // One character does nothing.
    RegisterFileAssociation("rtf", true);
    UnassociateExtension(".");
    EXPECT_EQ(RecordedAssociations(), ".rtf ");
}

TEST_F(ShellRegistrationTest, TheAssociateSwitchWithoutValueRecordsTheTwoDocumentTypes)
{
    HandleAssociateSwitch("");
    EXPECT_EQ(RecordedAssociations(), ".rtf .cod ");
    EXPECT_EQ(Default("application/x-eldravin-sound-scheme"), std::string(AssociationDesktopId) + ";");
}

TEST_F(ShellRegistrationTest, TheUninstallerDeletesNothingOutsideTheInstallationWhateverTheLogSays)
{
    const fs::path prog = Root / "opt/eldravin";
    const fs::path victim = Root / "victim";
    fs::create_directories(prog);
    fs::create_directories(victim / "empty");
    std::ofstream(victim / "important.txt") << "keep";
    std::ofstream(prog / "eldravin") << "x";
    std::ofstream(Root / "desktop/notes.txt") << "keep";
    std::ofstream(Root / "desktop/Other.desktop") << "keep";
    fs::create_directory_symlink(victim, prog / "link");
    std::ofstream(prog / "Install.log")
        << "File Copy: " << (victim / "important.txt").string() << "\r\n"
        << "File Copy: " << (prog / ".." / ".." / "victim" / "important.txt").string() << "\r\n"
        << "File Copy: " << (prog / "link" / "important.txt").string() << "\r\n"
        << "Shell Link: " << (Root / "data/applications/writer.desktop").string() << "\r\n"
        << "Shell Link: " << (Root / "desktop/notes.txt").string() << "\r\n"
        << "Shell Link: " << (Root / "desktop/Other.desktop").string() << "\r\n"
        << "Made Dir: " << (victim / "empty").string() << "\r\n"
        << "File Copy: " << (Root / "config/mimeapps.list").string() << "\r\n"
        << "File Copy: " << (prog / "eldravin").string() << "\r\n";
    TScriptedAnswers answers;
    ASSERT_TRUE(UninstallProgramFrom(prog.string(), (prog / "eldravin").string()));
    EXPECT_TRUE(fs::exists(victim / "important.txt"));
    EXPECT_TRUE(fs::exists(victim / "empty"));
    EXPECT_TRUE(fs::exists(Root / "data/applications/writer.desktop"));
    EXPECT_TRUE(fs::exists(Root / "desktop/notes.txt"));
    EXPECT_TRUE(fs::exists(Root / "desktop/Other.desktop"));
    EXPECT_TRUE(fs::exists(Root / "config/mimeapps.list"));
    EXPECT_FALSE(fs::exists(prog / "eldravin"));
    EXPECT_FALSE(fs::exists(prog / "Install.log"));

    // A log that cannot be read stops everything.
    answers.Texts.clear();
    EXPECT_FALSE(UninstallProgramFrom((Root / "nowhere").string(), (Root / "nowhere/eldravin").string()));
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_EQ(answers.Texts[0].rfind("Impossible d'ouvrir le fichier d'installation", 0), 0u);
}

TEST_F(ShellRegistrationTest, TheDialogAssociatesAndDissociatesAndListsOnlyWhatTheProgramHolds)
{
    RegisterFileAssociation("txt", true);
    RegisterFileAssociation("doc", true);
    // Another program's class on the extension: the dialog leaves it out.
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        reg.OpenKey("\\.doc", false);
        reg.WriteString("", "Writer.Document");
    }
    TScriptedAnswers answers;
    auto form = std::make_unique<TAssociateForm>(nullptr);
    form->Show();
    ASSERT_EQ(form->FileExt2CmbBx->Items().Count(), 1);
    EXPECT_EQ(form->FileExt2CmbBx->Items().Strings(0), "txt");
    EXPECT_TRUE(form->UnAssocBtn->Enabled());

    form->FileExt1CmbBx->SetText("");
    form->AssocBtnClick();
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_EQ(answers.Texts[0], "S'il vous plaît, veuillez préciser une extension de fichier.");

    answers.Script = {mrYes, mrOk};
    form->FileExt1CmbBx->SetText("wri");
    form->AssocBtnClick();
    EXPECT_EQ(answers.Texts.back(),
              "Opération terminée. Eldravin est désormais associé par défaut aux fichiers d'extension \"wri\".");
    EXPECT_EQ(form->FileExt2CmbBx->Items().Count(), 2);
    EXPECT_EQ(Default(ExpectedType(".wri")), std::string(AssociationDesktopId) + ";");
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(form->Handle(), grab) && grab.Width() > 0; }));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/associate-dialog.png"));

    // No keeps the association.
    answers.Script = {mrNo};
    form->FileExt2CmbBx->SetItemIndex(form->FileExt2CmbBx->Items().IndexOf("wri"));
    form->UnAssocBtnClick();
    EXPECT_EQ(form->FileExt2CmbBx->Items().Count(), 2);
    answers.Script = {mrYes, mrOk};
    form->FileExt2CmbBx->SetItemIndex(form->FileExt2CmbBx->Items().IndexOf("wri"));
    form->UnAssocBtnClick();
    EXPECT_EQ(form->FileExt2CmbBx->Items().Count(), 1);
    EXPECT_EQ(Default(ExpectedType(".wri")), "");
    EXPECT_EQ(RecordedAssociations(), ".txt .doc ");
}
