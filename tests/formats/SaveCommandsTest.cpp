// The save commands over several documents: save with its backups, save as
// through the dialog, the refusals, a failing save that leaves the document
// modified and the file untouched, copies, and the recovery copy a document
// comes back from.
#include "formats/FormatsFixtures.h"

#include "document/model/Paragraph.h"
#include "formats/BackupCopies.h"
#include "formats/DocDispatcher.h"
#include "formats/SaveCommands.h"
#include "foundation/MessageAnswers.h"
#include "platform/framework/ModalTesting.h"
#include "platform/testing/WindowTesting.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

class TSaveHost : public TRecordingFileHost {
public:
    TBackupOptions Options;
    TBackupOptions BackupOptions() override { return Options; }
};

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (fs::exists(folder))
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void Type(TDocument& document, const std::string& text)
{
    document.Paragraphs(0).InsertChars(0, text);
    document.SetModified(true);
    document.ChangedSinceRecovery = 1;
}

// Answers messages with OK, keeps their texts and arms the next system
// dialog's answer when one is given (a refusal is followed by the dialog again).
class TMessagesThenDialog : public TMessageAnswerer {
public:
    TMessagesThenDialog() : FPrevious(SetMessageAnswerer(this)) {}
    ~TMessagesThenDialog() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        if (Next) {
            AnswerNextSystemDialog(Next);
            Next = nullptr;
        }
        return mrOk;
    }
    std::function<void(TSystemDialogAnswer&)> Next;
    std::vector<std::string> Texts;

private:
    TMessageAnswerer* FPrevious;
};

class SaveCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitApplication();
        CreateCodingManager();
        Dir = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        DocDispatcher = &Dispatcher;
    }
    void TearDown() override
    {
        Dispatcher.CloseAll();
        DocDispatcher = nullptr;
        FreeCodingManager();
    }
    TSaveHost Host;
    TDocDispatcher Dispatcher;
    std::string Dir;
};

}  // namespace

TEST_F(SaveCommandsTest, SaveWritesTheFileAndKeepsTheOldVersionAsABackup)
{
    Host.Options.CreateBackup = true;
    Host.Options.Folder = Dir + "/Sauvegardes";
    Host.Options.SepFolders = false;
    Host.Options.MaxFiles = 9;
    const std::string a = MakeFile(Dir, "a.txt", "premier\r\n");
    const std::string b = MakeFile(Dir, "b.txt", "second\r\n");
    TDocument* docA = Dispatcher.OpenDocument(a);
    TDocument* docB = Dispatcher.OpenDocument(b);
    ASSERT_TRUE(docA && docB);
    Type(*docA, "Nouveau ");
    Type(*docB, "Autre ");
    ASSERT_TRUE(Dispatcher.SaveAll());
    EXPECT_EQ(ReadTestFile(a), "Nouveau premier\r\n");
    EXPECT_EQ(ReadTestFile(b), "Autre second\r\n");
    EXPECT_FALSE(docA->IsModified());
    EXPECT_FALSE(docB->IsModified());
    // The version before the save went to the backups (the new one falls in
    // the same minute and replaces nothing older).
    const std::vector<std::string> backups = FilesIn(Host.Options.Folder);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(RemoveBackupTimeStamp(backups[0]), "a.txt");
    EXPECT_EQ(RemoveBackupTimeStamp(backups[1]), "b.txt");
}

TEST_F(SaveCommandsTest, SaveAsThroughTheDialogAndItsRefusals)
{
    const std::string a = MakeFile(Dir, "a.rtf", "{\\rtf1 A\\par}");
    const std::string b = MakeFile(Dir, "b.rtf", "{\\rtf1 B\\par}");
    TDocument* docA = Dispatcher.OpenDocument(a);
    ASSERT_TRUE(Dispatcher.OpenDocument(b));
    TDocument* fresh = Dispatcher.NewDocument();
    ASSERT_TRUE(docA && fresh);
    Type(*fresh, "Texte neuf");

    // The name of another open document is refused.
    {
        TMessagesThenDialog answers;
        EXPECT_EQ(SaveAs(*fresh, b, false), srNotSaved);
        ASSERT_EQ(answers.Texts.size(), 1u);
        EXPECT_NE(answers.Texts[0].find("(\"b.rtf\") est d"), std::string::npos);
    }
    EXPECT_TRUE(fresh->IsModified());
    EXPECT_EQ(ReadTestFile(b), "{\\rtf1 B\\par}");

    // An untitled document asks for a name: a new one, typed without
    // extension; the filter's coding adds it.
    AnswerNextSystemDialog([&](TSystemDialogAnswer& r) {
        EXPECT_EQ(r.Text, "Enregistrer sous");
        r.FileName = Dir + "/neuf";
    });
    ASSERT_EQ(Save(*fresh), srSaved);
    EXPECT_EQ(fresh->FileName, ExpandFileName(Dir + "/neuf.rtf"));
    EXPECT_FALSE(fresh->FileState.Untitled);
    EXPECT_NE(ReadTestFile(Dir + "/neuf.rtf").find("Texte neuf"), std::string::npos);
    EXPECT_EQ(Dispatcher.FindOpenDocument(Dir + "/NEUF.RTF", true), fresh);

    // A copy leaves the document's name and state alone.
    Type(*docA, "Copie ");
    ASSERT_EQ(SaveCopyToFile(*docA, Dir + "/copie.rtf"), srSaved);
    EXPECT_EQ(docA->FileName, ExpandFileName(a));
    EXPECT_TRUE(docA->IsModified());
    EXPECT_NE(ReadTestFile(Dir + "/copie.rtf").find("Copie A"), std::string::npos);
    EXPECT_EQ(ReadTestFile(a), "{\\rtf1 A\\par}");
}

TEST_F(SaveCommandsTest, FailingSaveAsKeepsTheDocumentAsItWas)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    const std::string a = MakeFile(Dir, "a.txt", "original\r\n");
    TDocument* doc = Dispatcher.OpenDocument(a);
    ASSERT_TRUE(doc);
    Type(*doc, "Modifié ");
    const std::string locked = Dir + "/ferme";
    ForceDirectories(locked);
    chmod(locked.c_str(), 0555);
    {
        TMessageAnswers answers;
        answers.AnswerOthers(mrCancel);
        EXPECT_EQ(SaveAs(*doc, locked + "/a.txt", false), srFailed);
    }
    chmod(locked.c_str(), 0755);
    EXPECT_EQ(doc->FileName, ExpandFileName(a));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ReadTestFile(a), "original\r\n");
    EXPECT_TRUE(FilesIn(locked).empty());
    // The document still saves to its own file afterwards.
    ASSERT_EQ(Save(*doc), srSaved);
    EXPECT_EQ(ReadTestFile(a), "Modifié original\r\n");
}

TEST_F(SaveCommandsTest, ReadOnlyAndCopiesGoToSaveAs)
{
    const std::string a = MakeFile(Dir, "a.txt", "lecture seule\r\n");
    TDocument* doc = Dispatcher.OpenDocument(a);
    ASSERT_TRUE(doc);
    doc->FileState.ReadOnly = 1;
    Type(*doc, "x");
    // Told, then the dialog, cancelled here.
    TMessagesThenDialog answers;
    answers.Next = [](TSystemDialogAnswer& r) { r.Accept = false; };
    EXPECT_EQ(Save(*doc), srNotSaved);
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_NE(answers.Texts[0].find("lecture seule"), std::string::npos);
    EXPECT_EQ(ReadTestFile(a), "lecture seule\r\n");
}

TEST_F(SaveCommandsTest, RecoveryCopyBringsBackTheTypedText)
{
    const std::string a = MakeFile(Dir, "lettre.rtf", "{\\rtf1 Lettre\\par}");
    TDocument* doc = Dispatcher.OpenDocument(a);
    ASSERT_TRUE(doc);
    // Nothing changed: no recovery copy.
    Dispatcher.SaveRecoveryCopies();
    EXPECT_TRUE(doc->FileState.RecoveryFileName.empty());
    Type(*doc, "Tapé avant l'accident : ");
    Dispatcher.SaveRecoveryCopies();
    const std::string recovery = doc->FileState.RecoveryFileName;
    ASSERT_FALSE(recovery.empty());
    EXPECT_EQ(ExtractFileExt(recovery), ".ead");
    EXPECT_TRUE(doc->FileState.HasRecoveryFile);
    EXPECT_FALSE(doc->ChangedSinceRecovery);
    // The user's file is untouched; the copy holds the text.
    EXPECT_EQ(ReadTestFile(a), "{\\rtf1 Lettre\\par}");

    // Another dispatcher (the next start) leaves a copy that is still held alone.
    TDocDispatcher next;
    next.CollectRecoveryCopies(ExtractFileDir(recovery));
    EXPECT_TRUE(next.RecoveryCopies().empty());

    // Read back as a recovered document: the text, the original name, modified.
    const std::string kept = Dir + "/copie.ead";
    ASSERT_TRUE(CopyFile(recovery, kept, false));
    TDocument* back = next.OpenDocument(kept, ciDetect, odRecovery | odNoRecentList);
    ASSERT_TRUE(back);
    EXPECT_NE(ShowText(back->Paragraphs(0)).find("Tapé avant l'accident : Lettre"), std::string::npos);
    EXPECT_EQ(back->FileName, ExpandFileName(a));
    EXPECT_TRUE(back->FileState.Recovered);
    EXPECT_TRUE(back->IsModified());
    next.CloseAll();

    // Saving ends the need for the copy; so does closing.
    ASSERT_EQ(Save(*doc), srSaved);
    EXPECT_FALSE(FileExists(recovery));
    Type(*doc, "encore ");
    Dispatcher.SaveRecoveryCopies();
    const std::string second = doc->FileState.RecoveryFileName;
    ASSERT_TRUE(FileExists(second));
    Dispatcher.CloseDocument(doc);
    EXPECT_FALSE(FileExists(second));
}
