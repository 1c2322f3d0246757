// Backup copies: their stamped names, the copy made around a save within the
// interval, count and folder-size limits, and the housekeeping over the
// backup folder, which never touches a file that is not a backup.
#include "formats/FormatsFixtures.h"

#include "formats/BackupCopies.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Backup options a test sets, and the limit a backup raised.
class TBackupHost : public TRecordingFileHost {
public:
    TBackupOptions Options;
    int32_t RaisedTo = 0;
    int OptionsShown = 0;
    TBackupOptions BackupOptions() override { return Options; }
    void SetBackupMaxAmount(int32_t megabytes) override
    {
        RaisedTo = megabytes;
        Options.MaxAmount = megabytes;
    }
    void ShowBackupOptions() override { ++OptionsShown; }
};

// Sets a file's last-write time (local time).
void SetWriteTime(const std::string& path, TDateTime time)
{
    const TFileTime t = LocalFileTimeToFileTime(static_cast<TFileTime>(DateTimeToFileTime(time)));
    ASSERT_TRUE(SetFileTimes(path, nullptr, &t));
}

// The file names below the folder (relative, sorted).
std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> names;
    if (!fs::exists(folder))
        return names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            names.push_back(fs::relative(e.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

class BackupCopiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Host.Options.CreateBackup = true;
        Host.Options.Folder = Dir + "/Sauvegardes";
        Host.Options.SepFolders = false;
        Host.Options.MinDiff = 0;   // 1 minute
        Host.Options.MaxFiles = 9;  // unlimited
        Host.Options.MaxAmount = 100;
        Doc = MakeFile(Dir, "Lettre.rtf", "{\\rtf1 Lettre.}");
    }
    std::string Backups() const { return Host.Options.Folder; }
    TBackupHost Host;
    TDocument Document{true};
    std::string Dir;
    std::string Doc;
};

}  // namespace

TEST(BackupNamesTest, StampNamesAndTheirInverse)
{
    EXPECT_EQ(FormatBackupTimeStamp(EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 59, 0)), " 24-03-05 1407");
    EXPECT_EQ(FormatBackupTimeStamp(EncodeDate(2009, 12, 31) + EncodeTime(0, 0, 0, 0)), " 09-12-31 0000");

    const std::string dir = MakeTestDir("backupnames");
    const std::string file = MakeFile(dir, "Lettre.rtf", "x");
    SetWriteTime(file, EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0));
    EXPECT_EQ(MakeBackupFileName("/docs/Lettre.rtf", file), "Lettre 24-03-05 1407.rtf");
    EXPECT_EQ(MakeBackupFileName("sans extension", file), "sans extension 24-03-05 1407");

    struct {
        const char* Path;
        bool Stamped;
        const char* Document;
    } const cases[] = {
        {"/b/Lettre 24-03-05 1407.rtf", true, "Lettre.rtf"},
        {"/b/Lettre.rtf/Lettre 24-03-05 1407.rtf", true, "Lettre.rtf"},
        {"/b/a.b 99-01-01 2359.txt", true, "a.b.txt"},
        {"/b/Notes personnelles.txt", false, nullptr},
        {"/b/Lettre 24-03-05 14h7.rtf", false, nullptr},
        {"/b/Lettre 24/03/05 1407.rtf", false, nullptr},
        {"/b/court.rtf", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(HasBackupTimeStamp(c.Path), c.Stamped);
        if (c.Document) {
            EXPECT_EQ(RemoveBackupTimeStamp(c.Path), c.Document);
        }
    }
}

TEST_F(BackupCopiesTest, OneCopyPerIntervalAndDocument)
{
    Host.Options.MinDiff = 3;  // 10 minutes
    const TDateTime base = EncodeDate(2024, 3, 5) + EncodeTime(9, 0, 0, 0);
    SetWriteTime(Doc, base);
    ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    // Saved again four minutes later: within the interval, no copy.
    SetWriteTime(Doc, base + EncodeTime(0, 4, 0, 0));
    ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    EXPECT_EQ(FilesBelow(Backups()), std::vector<std::string>{"Lettre 24-03-05 0900.rtf"});
    // Eleven minutes after the copy: a second one.
    SetWriteTime(Doc, base + EncodeTime(0, 11, 0, 0));
    ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    EXPECT_EQ(FilesBelow(Backups()),
              (std::vector<std::string>{"Lettre 24-03-05 0900.rtf", "Lettre 24-03-05 0911.rtf"}));
    EXPECT_EQ(ReadTestFile(Backups() + "/Lettre 24-03-05 0911.rtf"), "{\\rtf1 Lettre.}");

    // Without CreateBackup nothing is copied.
    Host.Options.CreateBackup = false;
    SetWriteTime(Doc, base + EncodeTime(2, 0, 0, 0));
    ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    EXPECT_EQ(FilesBelow(Backups()).size(), 2u);
}

TEST_F(BackupCopiesTest, OldestCopiesGoAtTheCountLimitInTheDocumentsOwnFolder)
{
    Host.Options.MaxFiles = 2;  // 3 copies
    Host.Options.SepFolders = true;
    const TDateTime base = EncodeDate(2024, 3, 5) + EncodeTime(9, 0, 0, 0);
    // Another document's copy and a file of the user's own in the folder.
    ForceDirectories(Backups());
    MakeFile(Backups(), "Autre 20-01-01 1200.rtf", "autre");
    MakeFile(Backups(), "mes notes.txt", "à garder");
    for (int i = 0; i < 4; ++i) {
        SetWriteTime(Doc, base + i * EncodeTime(1, 0, 0, 0));
        ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    }
    EXPECT_EQ(FilesBelow(Backups()),
              (std::vector<std::string>{"Autre 20-01-01 1200.rtf", "Lettre.rtf/Lettre 24-03-05 1000.rtf",
                                        "Lettre.rtf/Lettre 24-03-05 1100.rtf", "Lettre.rtf/Lettre 24-03-05 1200.rtf",
                                        "mes notes.txt"}));
}

TEST_F(BackupCopiesTest, FolderLimitRaisedByTwentyPerCentOrOldestCopiesDeleted)
{
    Host.Options.MaxAmount = 10;
    ForceDirectories(Backups());
    // 13 MB of older copies of another document, and a large file of the user's.
    for (int i = 0; i < 13; ++i) {
        const std::string name = Backups() + "/Ancien 20-01-" + (i < 9 ? "0" : "") + std::to_string(i + 1) + " 1200.rtf";
        WriteTestFile(name, "");
        fs::resize_file(name, 1048576);
    }
    WriteTestFile(Backups() + "/film.avi", "");
    SetWriteTime(Doc, EncodeDate(2024, 3, 5) + EncodeTime(9, 0, 0, 0));
    {
        // No: 10 MB is too small for 13 MB and the copy, 12 MB as well; 14 MB fits.
        TMessageAnswers answers;
        answers.Expect("taille limite", mrNo);
        ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    }
    EXPECT_EQ(Host.RaisedTo, 14);
    EXPECT_TRUE(FileExists(Backups() + "/Lettre 24-03-05 0900.rtf"));

    // Yes: the oldest copies go until the folder fits; the user's file stays.
    Host.Options.MaxAmount = 10;
    SetWriteTime(Doc, EncodeDate(2024, 3, 5) + EncodeTime(10, 0, 0, 0));
    {
        TMessageAnswers answers;
        answers.Expect("taille limite", mrYes);
        ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    }
    EXPECT_TRUE(FileExists(Backups() + "/film.avi"));
    EXPECT_FALSE(FileExists(Backups() + "/Ancien 20-01-01 1200.rtf"));
    EXPECT_FALSE(FileExists(Backups() + "/Ancien 20-01-04 1200.rtf"));
    EXPECT_TRUE(FileExists(Backups() + "/Ancien 20-01-05 1200.rtf"));
    EXPECT_TRUE(FileExists(Backups() + "/Lettre 24-03-05 1000.rtf"));
    EXPECT_LE(BackupFolderSize(Backups()), 10 * 1048576);

    // Cancel: the options are shown and no copy is made.
    SetWriteTime(Doc, EncodeDate(2024, 3, 5) + EncodeTime(11, 0, 0, 0));
    fs::resize_file(Backups() + "/film.avi", 11 * 1048576);
    {
        TMessageAnswers answers;
        answers.Expect("taille limite", mrCancel);
        ASSERT_TRUE(MakeBackupCopy(Document, Doc, Doc));
    }
    EXPECT_EQ(Host.OptionsShown, 1);
    EXPECT_FALSE(FileExists(Backups() + "/Lettre 24-03-05 1100.rtf"));
    EXPECT_TRUE(FileExists(Backups() + "/film.avi"));
}

TEST_F(BackupCopiesTest, TooLongANameOrAFailedCopyStopsTheSave)
{
    Host.Options.Folder = Dir + "/" + std::string(240, 'd');
    {
        TMessageAnswers answers;
        answers.Expect("trop long", mrOk);
        EXPECT_FALSE(MakeBackupCopy(Document, Doc, Doc));
    }
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    Host.Options.Folder = Dir + "/ferme";
    ForceDirectories(Host.Options.Folder);
    chmod(Host.Options.Folder.c_str(), 0555);
    {
        TMessageAnswers answers;
        answers.Expect("Erreur lors de la cr", mrRetry).Expect("Erreur lors de la cr", mrCancel);
        EXPECT_FALSE(MakeBackupCopy(Document, Doc, Doc));
    }
    chmod(Host.Options.Folder.c_str(), 0755);
}

TEST_F(BackupCopiesTest, HousekeepingTouchesOnlyBackups)
{
    const std::string b = Backups();
    ForceDirectories(b + "/Lettre.rtf");
    ForceDirectories(b + "/Photos");
    for (int i = 1; i <= 7; ++i)
        MakeFile(b + "/Lettre.rtf", "Lettre 24-03-0" + std::to_string(i) + " 1200.rtf", "v" + std::to_string(i));
    MakeFile(b, "Rapport 24-01-01 0800.doc", "r1");
    MakeFile(b, "rapport 24-01-02 0800.doc", "r2");
    MakeFile(b, "Liste de courses.txt", "pain");
    MakeFile(b + "/Photos", "vacances.jpg", "jpg");

    EXPECT_EQ(ListBackedUpDocuments(b), (std::vector<std::string>{"Lettre.rtf", "Rapport.doc"}));

    DeleteExcessBackups(b, 3);
    EXPECT_EQ(FilesBelow(b), (std::vector<std::string>{"Lettre.rtf/Lettre 24-03-05 1200.rtf",
                                                       "Lettre.rtf/Lettre 24-03-06 1200.rtf",
                                                       "Lettre.rtf/Lettre 24-03-07 1200.rtf", "Liste de courses.txt",
                                                       "Photos/vacances.jpg", "Rapport 24-01-01 0800.doc",
                                                       "rapport 24-01-02 0800.doc"}));

    DeleteBackupsOf(b, {"RAPPORT.DOC"});
    EXPECT_EQ(FilesBelow(b).size(), 5u);
    EXPECT_FALSE(FileExists(b + "/Rapport 24-01-01 0800.doc"));

    DeleteAllBackups(b);
    EXPECT_EQ(FilesBelow(b), (std::vector<std::string>{"Liste de courses.txt", "Photos/vacances.jpg"}));
    EXPECT_FALSE(DirectoryExists(b + "/Lettre.rtf"));
    EXPECT_TRUE(DirectoryExists(b));
}

TEST_F(BackupCopiesTest, MovingAFolderDeletesOnlySourcesThatWereCopied)
{
    const std::string from = Dir + "/ancien";
    const std::string to = Dir + "/nouveau";
    ForceDirectories(from + "/sous");
    ForceDirectories(to);
    MakeFile(from, "a 24-01-01 1200.rtf", "a");
    MakeFile(from + "/sous", "b 24-01-01 1200.rtf", "b");
    MakeFile(from, "c 24-01-01 1200.rtf", "nouveau c");
    MakeFile(to, "c 24-01-01 1200.rtf", "c de l'utilisateur");
    std::vector<std::string> skipped;
    EXPECT_FALSE(TransferFolderFiles(from, to, true, false, skipped));
    // The copy that could not be made keeps its source.
    EXPECT_EQ(skipped, std::vector<std::string>{from + "/c 24-01-01 1200.rtf"});
    EXPECT_EQ(FilesBelow(from), std::vector<std::string>{"c 24-01-01 1200.rtf"});
    EXPECT_EQ(ReadTestFile(to + "/c 24-01-01 1200.rtf"), "c de l'utilisateur");
    EXPECT_EQ(ReadTestFile(to + "/sous/b 24-01-01 1200.rtf"), "b");

    if (geteuid() == 0)
        return;
    // An unreadable source is reported and stays where it is.
    const std::string other = Dir + "/autre";
    MakeFile(from, "d.rtf", "d");
    chmod((from + "/d.rtf").c_str(), 0);
    skipped.clear();
    EXPECT_FALSE(TransferFolderFiles(from, other, true, true, skipped));
    chmod((from + "/d.rtf").c_str(), 0644);
    EXPECT_EQ(skipped, std::vector<std::string>{from + "/d.rtf"});
    EXPECT_EQ(ReadTestFile(from + "/d.rtf"), "d");
    EXPECT_EQ(ReadTestFile(other + "/c 24-01-01 1200.rtf"), "nouveau c");
}
