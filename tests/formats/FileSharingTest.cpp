// A loaded document keeps its file open so that nobody else writes it; a
// file in use is offered as a copy; a read-only file opens read-only.
#include "formats/CompoundFileBuilder.h"
#include "formats/FormatsFixtures.h"

#include "foundation/MessageAnswers.h"
#include "document/operations/OperationManager.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SystemErrors.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The files of the program's own temporary kind in the temporary folder.
int CountTempCopies()
{
    int count = 0;
    TSearchRec rec;
    for (int32_t rc = FindFirst(GetTempPath() + "~Eldrav*", faAnyFile, rec); rc == 0; rc = FindNext(rec))
        ++count;
    FindClose(rec);
    return count;
}

// Answers the copy question of a load in another process.
class TAnswerYes : public TMessageAnswerer {
public:
    int32_t Answer(const TMessageRequest& request) override
    {
        Asked += request.Text;
        return mrYes;
    }
    std::string Asked;
};

}  // namespace

TEST(FileSharing, TheDocumentsFileCannotBeWrittenByASecondInstance)
{
    const std::string dir = MakeTestDir("sharing-instance");
    const std::string path = MakeFile(dir, "lettre.txt", "Bonjour\r\n");
    TLoaded loaded = LoadFile(path);
    ASSERT_TRUE(loaded.Ok);
    ASSERT_GT(loaded.Document->FileState.Handle, 0);

    // A second program run: it may read the file but not write it, and its
    // own load of the document reads a copy.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        const THandle write = CreateFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        if (write != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
            failures |= 1;
        const THandle read = CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        if (read == INVALID_HANDLE_VALUE)
            failures |= 2;
        TAnswerYes yes;
        TMessageAnswerer* previous = SetMessageAnswerer(&yes);
        {
            TDocument second(true);
            TDocLoadRequest request;
            request.FileName = path;
            if (!LoadFromFile(second, request) || !second.FileState.OpenedAsCopy ||
                yes.Asked.find("est en cours d'utilisation par une autre application") == std::string::npos)
                failures |= 4;
            if (second.FileName != path || second.FileState.Handle != 0)
                failures |= 8;
        }
        SetMessageAnswerer(previous);
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: not readable, 4: no copy offered, 8: copy kept";

    // Once the document is gone, the file is free.
    loaded.Document.reset();
    const THandle write = CreateFile(path, GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(write, INVALID_HANDLE_VALUE);
    FileClose(write);
}

TEST(FileSharing, AFileInUseIsOfferedAsACopy)
{
    const std::string dir = MakeTestDir("sharing-copy");
    const std::string path = MakeFile(dir, "journal.txt", "ligne 1\r\nligne 2");
    TFileStream other(path, fmOpenReadWrite | fmShareDenyNone);
    const int copiesBefore = CountTempCopies();
    {
        TMessageAnswers answers;
        answers.Expect("Le fichier \"" + path +
                           "\" est en cours d'utilisation par une autre application. Faire une copie ?",
                       mrYes);
        TLoaded loaded = LoadFile(path);
        ASSERT_TRUE(loaded.Ok);
        const TDocument& document = *loaded.Document;
        EXPECT_TRUE(document.FileState.OpenedAsCopy);
        EXPECT_EQ(document.FileState.SizeAtLoad, 0);
        EXPECT_EQ(document.FileState.Handle, 0) << "a copy is not kept open";
        EXPECT_EQ(document.FileName, path);
        EXPECT_EQ(BodyTexts(document), (std::vector<std::string>{"ligne 1<2>", "ligne 2<2>"}));
        EXPECT_EQ(answers.Asked()[0].Buttons, mbYes | mbCancel);
    }
    EXPECT_EQ(CountTempCopies(), copiesBefore) << "the copy is deleted once read";
    {
        // Cancel: no document.
        TMessageAnswers answers;
        answers.Expect("Faire une copie ?", mrCancel);
        EXPECT_FALSE(LoadFile(path).Ok);
    }
    {
        // Asked by the dispatcher to copy without asking.
        TRecordingFileHost host;
        host.Flags = ofCopyWithoutAsking;
        TLoaded loaded = LoadFile(path);
        EXPECT_TRUE(loaded.Ok);
        EXPECT_TRUE(loaded.Document->FileState.OpenedAsCopy);
    }
    EXPECT_EQ(CountTempCopies(), copiesBefore);
}

TEST(FileSharing, AReadOnlyFileOpensReadOnly)
{
    const std::string dir = MakeTestDir("sharing-readonly");
    const std::string path = MakeFile(dir, "archive.txt", "lecture seule");
    ASSERT_EQ(FileSetAttr(path, faReadOnly), 0);
    {
        TLoaded loaded = LoadFile(path);
        ASSERT_TRUE(loaded.Ok);
        EXPECT_TRUE(loaded.Document->FileState.ReadOnly);
        EXPECT_EQ(loaded.Document->FileState.Handle, 0) << "closed once read";
        EXPECT_EQ(loaded.Document->FileState.SizeAtLoad, 13);
        EXPECT_EQ(ShowText(loaded.Document->Paragraphs(0)), "lecture seule<2>");
    }
    FileSetAttr(path, 0);
    {
        // The dispatcher's read-only request on a writable file.
        TRecordingFileHost host;
        host.Flags = ofReadOnly;
        TLoaded loaded = LoadFile(path);
        ASSERT_TRUE(loaded.Ok);
        EXPECT_TRUE(loaded.Document->FileState.ReadOnly);
        EXPECT_EQ(loaded.Document->FileState.Handle, 0);
    }
}

TEST(FileSharing, AFileThatCannotBeOpenedIsAskedAgain)
{
    const std::string dir = MakeTestDir("sharing-missing");
    const std::string path = dir + "/absent.txt";
    {
        TMessageAnswers answers;
        answers.Expect("Impossible d'ouvrir le fichier \"" + path + "\".", mrCancel);
        EXPECT_FALSE(LoadFile(path).Ok);
    }
    {
        // Retry once the file is there.
        struct TCreateOnRetry : TMessageAnswerer {
            TMessageAnswerer* Previous = SetMessageAnswerer(this);
            std::string Path;
            int Asked = 0;
            ~TCreateOnRetry() override { SetMessageAnswerer(Previous); }
            int32_t Answer(const TMessageRequest&) override
            {
                ++Asked;
                WriteTestFile(Path, "enfin");
                return mrRetry;
            }
        } retry;
        retry.Path = path;
        TLoaded loaded = LoadFile(path);
        EXPECT_TRUE(loaded.Ok);
        EXPECT_EQ(retry.Asked, 1);
    }
}

TEST(FileSharing, TheLoadShowsItsProgress)
{
    const std::string dir = MakeTestDir("sharing-progress");
    const std::string path = MakeFile(dir, "progres.txt", std::string(100000, 'x'));
    TRecordingFileHost host;
    TLoaded loaded = LoadFile(path);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(host.Started, std::vector<std::string>{"Chargement du document \"progres.txt\" ..."});
    EXPECT_EQ(host.Totals, std::vector<int64_t>{100000});
    EXPECT_EQ(host.LastStep, 100000);
    EXPECT_EQ(host.Ended, 1);
    EXPECT_TRUE(host.EndedFull);
}

TEST(FileSharing, ARecoveryCopyIsNotTheDocumentsFile)
{
    const std::string dir = MakeTestDir("sharing-recovery");
    const std::string path = MakeFile(dir, "copie.ead", "texte sauv\xE9");
    TDocument document(false);
    document.FileState.Recovered = 1;
    TDocLoadRequest request;
    request.FileName = path;
    request.Coding = ciAnsiText;
    ASSERT_TRUE(LoadFromFile(document, request));
    const std::string name = ExtractFileName(document.FileName);
    EXPECT_TRUE(name.rfind("Doc", 0) == 0 && name.size() == 9 && name.substr(5) == ".txt") << "untitled: " << name;
    EXPECT_EQ(document.FileState.Handle, 0);
    EXPECT_GT(document.FileState.RecoveryHandle, 0);
    EXPECT_EQ(document.FileState.RecoveryFileName, path);
    EXPECT_TRUE(document.FileState.HasRecoveryFile);
    EXPECT_TRUE(document.IsModified()) << "closing it asks to save";
    EXPECT_EQ(document.UndoManager().SavedIndex, NotSet);
}

TEST(FileSharing, AWordDocumentAnotherProgramReadsIsStillAWordDocument)
{
    // A viewer that reads the file while letting others read and write it
    // does not turn the Word document into text for the load.
    const std::string dir = MakeTestDir("sharing-word");
    const std::string bytes = BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1, 5000)}});
    const std::string path = MakeFile(dir, "rapport.doc", bytes);
    {
        TFileStream viewer(path, fmOpenRead | fmShareDenyNone);
        TMessageAnswers answers;
        // The stream's pattern sets the encrypted flag: refused as a Word document.
        answers.Expect("est un document MS Word crypt", mrOk);
        TLoaded loaded = LoadFile(path);
        EXPECT_FALSE(loaded.Ok);
        EXPECT_EQ(loaded.Document->Format, ciWord6);
    }
    {
        // One that forbids writing: the load reads a copy, a Word document too.
        TFileStream viewer(path, fmOpenRead | fmShareDenyWrite);
        TMessageAnswers answers;
        answers.Expect("Faire une copie ?", mrYes)
            .Expect("est un document MS Word crypt", mrOk);
        TLoaded loaded = LoadFile(path);
        EXPECT_FALSE(loaded.Ok);
        EXPECT_EQ(loaded.Document->Format, ciWord6);
    }
    EXPECT_TRUE(ReadTestFile(path) == bytes);
}
