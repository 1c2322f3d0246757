#include "foundation/MessageAnswers.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/CodePages.h"
#include "platform/win/Registry.h"
#include "platform/testing/Testing.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Puts a desktop opener of its own first on the PATH: it writes its argument
// to a pipe that the test reads, so nothing is really opened.
class TFakeOpener {
public:
    TFakeOpener()
    {
        const std::string dir = MakeTestDir("opener");
        Fifo = dir + "/calls";
        EXPECT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
        WriteTestFile(dir + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"" + Fifo + "\"\n");
        fs::permissions(dir + "/xdg-open", fs::perms::owner_all);
        // Opened for writing too, so that reading never sees an end of file.
        Fd = open(Fifo.c_str(), O_RDWR);
        const char* path = std::getenv("PATH");
        SavedPath = path ? path : "";
        setenv("PATH", (dir + ":" + SavedPath).c_str(), 1);
    }
    ~TFakeOpener()
    {
        setenv("PATH", SavedPath.c_str(), 1);
        close(Fd);
    }
    // The argument of the next call (waits for it).
    std::string NextCall()
    {
        std::string line;
        char c;
        while (read(Fd, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

private:
    std::string Fifo, SavedPath;
    int Fd = -1;
};

struct TRecordedServices {
    std::vector<std::string> Activated, Opened, Clipboard;
    std::vector<std::string> OpenDocuments;
    bool OpenInProgram = false;
    THyperlinkServices Make()
    {
        THyperlinkServices s;
        s.ActivateOpenDocument = [this](const std::string& f) {
            for (const std::string& d : OpenDocuments)
                if (d == f) {
                    Activated.push_back(f);
                    return true;
                }
            return false;
        };
        s.OpensInProgram = [this](const std::string&) { return OpenInProgram; };
        s.OpenInProgram = [this](const std::string& f) { Opened.push_back(f); };
        s.PutTextOnClipboard = [this](const std::string& t) { Clipboard.push_back(t); };
        return s;
    }
};

}  // namespace

TEST(ShellHelpers, AddressesAndEMailAreToldApartFromFiles)
{
    struct TCase {
        const char* Text;
        bool Prefix, UrlOrMail, Web;
    };
    const TCase cases[] = {
        {"http://exemple.fr/page", true, true, true},
        {"HTTPS://exemple.fr", true, true, true},
        {"ftp://serveur/fichier.zip", true, true, true},
        {"www.exemple.fr", true, true, true},
        {"WWW.exemple.fr/a?b=c", true, true, true},
        {"news:comp.lang.c", true, true, true},
        {"mailto:jeanne@exemple.fr", false, true, true},
        {"jeanne@exemple.fr", false, true, false},
        {"news.bat", true, true, false},
        {"httpd.exe", true, true, false},
        {"www.", true, true, false},
        {"wwwroot/index.htm", true, true, false},
        {"http://", true, true, false},
        {"/home/jeanne/lettre.rtf", false, false, false},
        {"file:///etc/passwd", false, false, false},
        {"lettre.rtf", false, false, false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(HasURLPrefix(c.Text), c.Prefix) << c.Text;
        EXPECT_EQ(IsURLOrEMail(c.Text), c.UrlOrMail) << c.Text;
        EXPECT_EQ(IsWebAddress(c.Text), c.Web) << c.Text;
    }
}

TEST(ShellHelpers, OnlyRealAddressesOpenWithoutTheSafetyQuestion)
{
    TFakeOpener opener;
    TYesNoPresetHost host;
    TRecordedServices services;
    SetHyperlinkServices(services.Make());
    const std::string dir = AnsiFromUtf8(MakeTestDir("links"));
    WriteTestFile(Utf8FromAnsi(dir + "/news.bat"), "echo");
    WriteTestFile(Utf8FromAnsi(dir + "/là.rtf"), "{\\rtf1}");
    WriteTestFile("news.bat", "echo");  // in the current folder
    WriteTestFile("news:x.sh", "echo");
    WriteTestFile("moi@ici", "echo");
    {
        TMessageAnswers answers;
        // Addresses and e-mail go straight to the desktop, without a question.
        OpenHyperlinkTarget("http://exemple.fr/page");
        EXPECT_EQ(opener.NextCall(), "http://exemple.fr/page");
        OpenHyperlinkTarget("www.exemple.fr");
        EXPECT_EQ(opener.NextCall(), "http://www.exemple.fr");
        OpenHyperlinkTarget("jeanne@exemple.fr");
        EXPECT_EQ(opener.NextCall(), "MAILTO:jeanne@exemple.fr");
        OpenHyperlinkTarget("mailto:paul@exemple.fr");
        EXPECT_EQ(opener.NextCall(), "mailto:paul@exemple.fr");

        // Files, even named like an address, are asked about first.
        answers.Expect("Ouverture de " + dir + "/news.bat", mrNo)
            .Expect("Ouverture de news.bat", mrNo)
            .Expect("Ouverture de news:x.sh", mrNo)
            .Expect("Ouverture de moi@ici", mrNo)
            .Expect("Ouverture de " + dir + "/là.rtf", mrYes)
            .Expect("Ouverture de " + dir + "/là.rtf", mrYes)
            .Expect("Ouverture de " + dir + "/parti.rtf", mrYes)
            .Expect("Impossible d'ouvrir \"" + dir + "/parti.rtf\".", mrOk);
        OpenHyperlinkTarget(dir + "/news.bat");
        OpenHyperlinkTarget("news.bat");
        OpenHyperlinkTarget("news:x.sh");  // a local file, though written like an address
        OpenHyperlinkTarget("moi@ici");
        OpenHyperlinkTarget(dir + "/là.rtf");
        EXPECT_EQ(opener.NextCall(), Utf8FromAnsi(dir + "/là.rtf"));
        OpenHyperlinkTarget("file://" + dir + "/l%C3%A0.rtf");
        EXPECT_EQ(opener.NextCall(), Utf8FromAnsi(dir + "/là.rtf"));
        OpenHyperlinkTarget(dir + "/parti.rtf");  // asked, then reported missing
        ASSERT_EQ(answers.Asked().size(), 8u);
        EXPECT_EQ(answers.Asked()[0].Preset, 15);
        EXPECT_EQ(answers.Asked()[0].Type, mtConfirmation);
        EXPECT_EQ(answers.Asked()[7].Type, mtError);

        // Documents the program has open, or opens itself, ask nothing.
        services.OpenDocuments = {dir + "/là.rtf"};
        OpenHyperlinkTarget(dir + "/là.rtf");
        EXPECT_EQ(services.Activated, std::vector<std::string>{dir + "/là.rtf"});
        services.OpenInProgram = true;
        OpenHyperlinkTarget(dir + "/autre.rtf");
        EXPECT_EQ(services.Opened, std::vector<std::string>{dir + "/autre.rtf"});
        EXPECT_EQ(answers.Asked().size(), 8u);
    }
    {
        // Without a desktop opener the address is left on the clipboard and the user told.
        TMessageAnswers answers;
        answers.Expect("Impossible de lancer votre navigateur Internet.", mrOk);
        const char* path = std::getenv("PATH");
        const std::string savedPath = path ? path : "";
        setenv("PATH", MakeTestDir("empty").c_str(), 1);
        OpenHyperlinkTarget("https://exemple.fr/x");
        setenv("PATH", savedPath.c_str(), 1);
        EXPECT_EQ(services.Clipboard, std::vector<std::string>{"https://exemple.fr/x"});
        ASSERT_EQ(answers.Asked().size(), 1u);
        EXPECT_NE(answers.Asked()[0].Text.find("https://exemple.fr/x"), std::string::npos);
    }
    SetHyperlinkServices({});
}

TEST(ShellHelpers, ShortcutsPointBackToTheirTargets)
{
    const std::string dir = AnsiFromUtf8(MakeTestDir("shortcuts"));
    WriteTestFile(Utf8FromAnsi(dir + "/lettre d'été.rtf"), "{\\rtf1}");
    WriteTestFile(Utf8FromAnsi(dir + "/programme"), "#!/bin/sh\n");
    fs::permissions(Utf8FromAnsi(dir + "/programme"), fs::perms::owner_all);

    CreateShortcut(dir + "/Lettre.desktop", dir + "/lettre d'été.rtf", "", "");
    EXPECT_TRUE(IsShortcutFile(dir + "/Lettre.desktop"));
    EXPECT_EQ(ResolveShortcut(dir + "/Lettre.desktop"), dir + "/lettre d'été.rtf");
    const std::string text = ReadTestFile(Utf8FromAnsi(dir + "/Lettre.desktop"));
    EXPECT_NE(text.find("Type=Link\nURL=file://"), std::string::npos) << text;

    CreateShortcut(dir + "/Eldravin (perso).desktop", dir + "/programme", "-lsi -sfn \"" + dir + "/mes réglages.ini\"",
                   dir);
    EXPECT_EQ(ResolveShortcut(dir + "/Eldravin (perso).desktop"), dir + "/programme");
    const std::string app = ReadTestFile(Utf8FromAnsi(dir + "/Eldravin (perso).desktop"));
    EXPECT_NE(app.find("Type=Application\n"), std::string::npos) << app;
    EXPECT_NE(app.find(" -lsi -sfn \"" + Utf8FromAnsi(dir) + "/mes r\xC3\xA9glages.ini\""), std::string::npos) << app;

    CreateShortcut(dir + "/Site.desktop", "http://exemple.fr/", "", "");
    EXPECT_EQ(ResolveShortcut(dir + "/Site.desktop"), "http://exemple.fr/");

    // Anything else comes back unchanged.
    EXPECT_EQ(ResolveShortcut(dir + "/lettre d'été.rtf"), dir + "/lettre d'été.rtf");
    EXPECT_EQ(ResolveShortcut(dir + "/absent.lnk"), dir + "/absent.lnk");
    EXPECT_TRUE(IsShortcutFile("C:\\Bureau\\Eldravin.LNK"));
    EXPECT_FALSE(IsShortcutFile("lnk"));
}

TEST(ShellHelpers, InternetShortcutsGiveTheirAddress)
{
    const std::string dir = AnsiFromUtf8(MakeTestDir("url"));
    WriteTestFile(Utf8FromAnsi(dir + "/site.url"), "[InternetShortcut]\r\nURL=http://exemple.fr/a b\r\nURL=x\r\n");
    EXPECT_EQ(GetInternetShortcutURL(dir + "/site.url"), "http://exemple.fr/a b");
    EXPECT_EQ(GetInternetShortcutURL("[InternetShortcut]\nurl=ftp://f\n"), "ftp://f");
    EXPECT_EQ(GetInternetShortcutURL("[InternetShortcut]\nIcon=1\n"), "");
}

namespace {
std::vector<uint32_t> g_Beeps;
void RecordBeep(uint32_t kind)
{
    g_Beeps.push_back(kind);
}
}  // namespace

TEST(ShellHelpers, BeepsFollowTheSoundScheme)
{
    TBeepHandler previous = SetBeepHandler(RecordBeep);
    g_Beeps.clear();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\AppEvents\\Schemes\\Apps\\.Default\\SystemHand\\.Current", true));
        reg.WriteString("", "/usr/share/sounds/erreur.wav");
        ASSERT_TRUE(reg.OpenKey("\\AppEvents\\Schemes\\Apps\\.Default\\SystemQuestion\\.Current", true));
        reg.WriteString("", "");
    }
    for (uint32_t kind : {BeepHand, BeepQuestion, BeepExclamation, BeepAsterisk, 0u, 0xFFFFFFFFu})
        PlaySystemBeep(kind);
    EXPECT_EQ(g_Beeps, (std::vector<uint32_t>{BeepHand, 0u, 0xFFFFFFFFu}));
    // Looking did not create the keys of the silent kinds.
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\AppEvents\\Schemes\\Apps\\.Default\\SystemExclamation"));
    SetBeepHandler(previous);
}

TEST(ShellHelpers, SystemFacts)
{
    EXPECT_GT(GetTotalPhysicalMemory(), 16 * 1024 * 1024);
    EXPECT_FALSE(GetLoginUserName().empty());
}
