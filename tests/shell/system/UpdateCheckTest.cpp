// The update check: reading the list of versions, when the monthly check is
// due, and the dialog against a server on the loopback address: the newer
// versions shown (PNG), the update downloaded on a worker thread, accepted
// only when its checksum matches, never started.
#include "LocalHttpServer.h"
#include "shell/ShellTesting.h"
#include "shell/system/HttpDownload.h"
#include "shell/system/UpdateCheck.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/win/Http.h"
#include "shell/about/VersionInfo.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string ListText(const std::string& sections, int32_t count, const std::string& general = "")
{
    return "[General]\r\nUpdate_Count=" + std::to_string(count) +
           "\r\nUpdate_URL=files/eldravin-1.6.deb\r\nDetails_URL=http://example.org/details\r\n" + general +
           sections;
}

std::string Section(int n, const std::string& version, const std::string& type, const std::string& details)
{
    std::string s = "[Update_" + std::to_string(n) + "]\r\nVersion=" + version + "\r\n";
    if (!type.empty())
        s += "Type=" + type + "\r\n";
    return s + "Release_Date=20050307\r\nDetails=" + details + "\r\n";
}

}  // namespace

TEST(UpdateListTest, NewerVersionsAreListedNewestFirstWithTheSmallestKind)
{
    struct TCase {
        const char* Name;
        std::string Text;
        TUpdateKind Kind;
        std::string Newest;
        std::vector<std::string> Listed;  // versions in the order shown
    };
    const TCase cases[] = {
        {"two of three newer",
         ListText(Section(1, "1.5.2", "0", "ancienne") + Section(2, "1.5.4", "2", "corrections") +
                      Section(3, "1.6", "1", "nouveau||menu"),
                  3),
         ukMinor, "1.6", {"1.6", "1.5.4"}},
        {"only the running version", ListText(Section(1, "1.5.3", "0", "rien"), 1), ukNone, "", {}},
        {"missing type", ListText(Section(1, "1.7", "", "x"), 1), ukNumber, "1.7", {"1.7"}},
        // A count beyond the sections present reads what is there.
        {"count too large", ListText(Section(1, "1.8", "2", "x"), 2147483647), ukMaintenance, "1.8", {"1.8"}},
        {"not a list", "\x01\x02garbage without sections", ukNone, "", {}},
    };
    const std::string dir = MakeTestDir("update-list");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = dir + "/list.ini";
        WriteTestFile(file, c.Text);
        const TUpdateList list = ReadUpdateList(file, "1.5.3");
        EXPECT_EQ(list.Kind, c.Kind);
        EXPECT_EQ(list.NewestVersion, c.Newest);
        size_t at = 0;
        for (const std::string& v : c.Listed) {
            const size_t found = list.Details.find("Version " + v + " (sortie le ", at);
            ASSERT_NE(found, std::string::npos) << v;
            at = found + 1;
        }
        if (c.Listed.empty()) {
            EXPECT_EQ(list.Details, "");
        }
    }
    WriteTestFile(dir + "/list.ini", ListText(Section(1, "1.6", "1", "nouveau||menu"), 1));
    const TUpdateList list = ReadUpdateList(dir + "/list.ini", "1.5.3");
    // The date as the short date of 7 March 2005, and "||" as line breaks.
    EXPECT_EQ(list.Details, "Version 1.6 (sortie le " + FormatDateTime("ddddd", EncodeDate(2005, 3, 7)) +
                                ")\r\n-------\r\nnouveau\r\nmenu\r\n\r\n");
}

TEST(UpdateListTest, TheMonthlyCheckIsDueAfterThirtyTrueDays)
{
    TOptionsHolder options;
    options.ChkForUpdts = true;
    const int32_t dec31 = static_cast<int32_t>(EncodeDate(2023, 12, 31));
    struct TCase {
        int32_t Today;
        bool Due;
    } cases[] = {
        {dec31 + 29, false},
        {dec31 + 30, true},  // 30 January 2024: the old day index gave only 30 - 31 + 365 - 365 + ... days
        {dec31 + 400, true},
        {dec31, false},
    };
    options.LastChkForUpdDay = dec31;
    for (const TCase& c : cases)
        EXPECT_EQ(IsUpdateCheckDue(options, c.Today), c.Due) << c.Today - dec31;
    options.ChkForUpdts = false;
    EXPECT_FALSE(IsUpdateCheckDue(options, dec31 + 400));
    // A check records the true day beside the index.
    options.ChkForUpdts = true;
    RecordUpdateCheck(options);
    EXPECT_EQ(options.LastChkForUpdDay, static_cast<int32_t>(std::floor(Date())));
    EXPECT_EQ(options.LastChkForUpd, DayIndexOfToday());
    EXPECT_FALSE(IsUpdateCheckDue(options, options.LastChkForUpdDay + 29));
    EXPECT_TRUE(IsUpdateCheckDue(options, options.LastChkForUpdDay + 30));
}

TEST(UpdateListTest, OnlyVerifiedChannelsAndMatchingChecksumsAreBelieved)
{
    EXPECT_TRUE(IsVerifiedChannel("https://www.example.org"));
    EXPECT_TRUE(IsVerifiedChannel("www.example.org"));
    EXPECT_TRUE(IsVerifiedChannel("http://127.0.0.1:8080"));
    EXPECT_TRUE(IsVerifiedChannel("http://[::1]:8080"));
    EXPECT_FALSE(IsVerifiedChannel("http://www.example.org"));
    EXPECT_FALSE(IsVerifiedChannel("http://127.0.0.1.evil.example"));
    EXPECT_FALSE(IsVerifiedChannel("ftp://127.0.0.1"));

    const std::string file = MakeTestDir("verify") + "/u.deb";
    WriteTestFile(file, "abc");
    // SHA-256 of "abc" (FIPS 180-2 test vector).
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(Sha256OfFile(file), abc);
    EXPECT_TRUE(VerifyDownloadedUpdate(file, "http://127.0.0.1:1", abc));
    EXPECT_TRUE(VerifyDownloadedUpdate(file, "http://127.0.0.1:1", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
    EXPECT_FALSE(VerifyDownloadedUpdate(file, "https://www.example.org", std::string(64, '0')));
    // Without a checksum only https counts.
    EXPECT_FALSE(VerifyDownloadedUpdate(file, "http://127.0.0.1:1", ""));
    EXPECT_TRUE(VerifyDownloadedUpdate(file, "https://www.example.org", ""));
}

class UpdateDialogTest : public ShellWindowTest {
protected:
    UpdateDialogTest() : FSavedServer(UpdateServer) { ReadVersionInfo(); }
    ~UpdateDialogTest() override
    {
        UpdateServer = FSavedServer;
        PendingInstaller.clear();
    }
    // The dialog after "Continuer" against the server's list.
    std::unique_ptr<TCheckUpdateForm> OpenWithList(TLocalHttpServer& server, const std::string& checksum)
    {
        UpdateServer = server.Host();
        TServedResource list;
        list.Body = ListText(Section(1, "1.4", "0", "vieille") + Section(2, "99.1", "1", "Nouveau||correcteur") +
                                 Section(3, "99.2", "2", "Corrections"),
                             3, "Update_SHA256=" + checksum + "\r\n");
        server.Set(UpdateListPath, list);
        auto form = std::make_unique<TCheckUpdateForm>(nullptr);
        form->Show();
        form->ContinueButtonClick();
        return form;
    }
    std::string FSavedServer;
};

TEST_F(UpdateDialogTest, TheNewerVersionsAreShownAndAVerifiedUpdateIsLeftToShowNeverToRun)
{
    TLocalHttpServer server;
    TServedResource update;
    update.Body = "abc";
    update.SendLength = false;
    server.Set("files/eldravin-1.6.deb", update);
    TScriptedAnswers answers;
    auto form = OpenWithList(server, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    ASSERT_TRUE(answers.Texts.empty()) << answers.Texts.front();
    EXPECT_TRUE(form->NewVersionFoundLabel->Visible());
    EXPECT_FALSE(form->IntroLabel->Visible());
    EXPECT_FALSE(form->ContinueButton->Visible());
    EXPECT_TRUE(form->UpdateButton->Visible());
    EXPECT_TRUE(form->MoreDetailsButton->Visible());
    EXPECT_EQ(form->NewVersionFoundLabel->Caption().rfind("Une mise à jour mineure d'Eldravin - la version 99.2 -", 0),
              0u);
    EXPECT_EQ(form->DetailsMemo->Text().rfind("Version 99.2 (sortie le ", 0), 0u);
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(form->Handle(), grab) && grab.Width() > 0; }));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/update-dialog.png"));

    form->UpdateButtonClick();
    EXPECT_FALSE(form->CloseAllowed);
    EXPECT_EQ(form->InstallerFile.substr(form->InstallerFile.size() - 4), ".deb");
    // The closing question comes once the download is verified.
    ASSERT_TRUE(RunUntil([&] { return !answers.Texts.empty(); }, 30000));
    EXPECT_EQ(answers.Texts.front().rfind("Eldravin va maintenant se fermer", 0), 0u);
    EXPECT_TRUE(form->Accepted);
    EXPECT_EQ(PendingInstaller, form->InstallerFile);
    EXPECT_TRUE(FileExists(PendingInstaller));
    EXPECT_EQ(form->ModalResult(), mrOk);
    DeleteFile(PendingInstaller);
}

TEST_F(UpdateDialogTest, AnUpdateWhoseChecksumDiffersIsDeletedAndNothingIsPending)
{
    TLocalHttpServer server;
    TServedResource update;
    update.Body = "tampered";
    server.Set("files/eldravin-1.6.deb", update);
    TScriptedAnswers answers;
    auto form = OpenWithList(server, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    ASSERT_TRUE(answers.Texts.empty());
    form->UpdateButtonClick();
    const std::string file = form->InstallerFile;
    ASSERT_TRUE(RunUntil([&] { return !answers.Texts.empty(); }, 30000));
    EXPECT_NE(answers.Texts.front().find("ne correspond pas"), std::string::npos) << answers.Texts.front();
    EXPECT_FALSE(form->Accepted);
    EXPECT_TRUE(PendingInstaller.empty());
    EXPECT_FALSE(FileExists(file));
}

TEST_F(UpdateDialogTest, ClosingDuringTheDownloadAsksAndNoLetsItGoOn)
{
    TLocalHttpServer server;
    TServedResource update;
    update.Body = "abc";
    update.CutAfter = 1;  // the worker then waits for an answer about the connection
    server.Set("files/eldravin-1.6.deb", update);
    TScriptedAnswers answers;
    auto form = OpenWithList(server, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    form->UpdateButtonClick();
    // While the worker runs, closing asks; No keeps the dialog and the download.
    answers.Script = {mrNo};
    EXPECT_FALSE(form->CloseQuery());
    EXPECT_EQ(answers.Texts.back(), "Voulez-vous vraiment renoncer à la mise à jour d'Eldravin ?");
    EXPECT_NE(UiRequest.State(), ursDone);
    // The cut connection is retried, then the update is verified and offered;
    // the user does not let the program close.
    answers.Script = {mrRetry, mrCancel};
    ASSERT_TRUE(RunUntil([&] { return form->CloseAllowed; }, 30000));
    EXPECT_EQ(answers.Texts.back().rfind("Eldravin va maintenant se fermer", 0), 0u);
    EXPECT_FALSE(form->Accepted);
    EXPECT_TRUE(PendingInstaller.empty());
}
