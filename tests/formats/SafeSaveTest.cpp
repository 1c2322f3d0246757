// A save that fails or is cancelled leaves the user's file as it was and the
// document modified; a save that succeeds replaces the file and keeps it held.
#include "formats/FormatsFixtures.h"

#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/MessageAnswers.h"
#include "formats/OutputFile.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SystemErrors.h"

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

namespace {

const std::string kOriginal = "Le texte que l'utilisateur avait.\r\nDeuxi\xE8me ligne.";

// Loads the file and changes the document: the next save writes "kept" text
// followed by a long added line.
std::unique_ptr<TDocument> LoadAndEdit(const std::string& path, size_t added)
{
    TLoaded loaded = LoadFile(path);
    EXPECT_TRUE(loaded.Ok);
    TParagraph& first = loaded.Document->Paragraphs(0);
    first.InsertChars(0, std::string(added, 'n'));
    loaded.Document->SetModified(true);
    return std::move(loaded.Document);
}

std::string ExpectedAfterEdit(size_t added)
{
    return std::string(added, 'n') + kOriginal;
}

// Files the save left in the folder besides the document.
std::vector<std::string> Leftovers(const std::string& dir, const std::string& keep)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != keep)
            names.push_back(entry.path().filename().string());
    return names;
}

// What a failed save must leave: the file untouched, still held by the
// document, the document modified, no new file beside it.
void ExpectNothingLost(TDocument& document, const std::string& dir, const std::string& name)
{
    EXPECT_EQ(ReadTestFile(dir + "/" + name), kOriginal);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(Leftovers(dir, name), std::vector<std::string>{});
}

// Write functions that fail like a full disk.
int32_t g_FailuresLeft = 0;
int32_t g_PartialBytes = 0;
int32_t FailingWrite(THandle handle, const void* buffer, int32_t count)
{
    if (g_FailuresLeft > 0) {
        --g_FailuresLeft;
        if (g_PartialBytes > 0 && count > g_PartialBytes) {
            // Part of the block reaches the file, then the disk is full.
            const int32_t written = FileWrite(handle, buffer, g_PartialBytes);
            g_PartialBytes = 0;
            return written;
        }
        SetLastError(ERROR_DISK_FULL);
        return -1;
    }
    return FileWrite(handle, buffer, count);
}

class TWriteFailures {
public:
    TWriteFailures(int32_t failures, int32_t partialBytes)
        : FPrevious(SetOutputWriteFunction(FailingWrite))
    {
        g_FailuresLeft = failures;
        g_PartialBytes = partialBytes;
    }
    ~TWriteFailures() { SetOutputWriteFunction(FPrevious); }
    TWriteFailures(const TWriteFailures&) = delete;
    TWriteFailures& operator=(const TWriteFailures&) = delete;

private:
    TOutputWriteFunction FPrevious;
};

}  // namespace

TEST(SafeSave, ASaveReplacesTheFileAndKeepsItHeld)
{
    const std::string dir = MakeTestDir("save-ok");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    TRecordingFileHost host;
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 10);
    EXPECT_EQ(SaveAs(*document, ciAnsiText), wrWritten);
    EXPECT_EQ(ReadTestFile(path), ExpectedAfterEdit(10));
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(Leftovers(dir, "lettre.txt"), std::vector<std::string>{});
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "the file keeps its permissions";
    // The document holds the new file as it held the old one.
    EXPECT_EQ(FileOpen(path, fmOpenWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(host.Started.back(), "Enregistrement du document \"lettre.txt\" ...");
    EXPECT_TRUE(host.EndedFull);
}

TEST(SafeSave, TheUndoHistoryGoesWithASaveUnlessTheOptionKeepsIt)
{
    const std::string dir = MakeTestDir("save-undo");
    for (const bool keep : {true, false}) {
        const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
        TRecordingFileHost host;
        host.KeepUndo = keep;
        TLoaded loaded = LoadFile(path);
        ASSERT_TRUE(loaded.Ok);
        TDocument& document = *loaded.Document;
        // Two recorded edits, the second undone.
        for (const char* text : {"un ", "deux "}) {
            TMemory buffer;
            buffer.Append(text, static_cast<int32_t>(std::strlen(text)));
            auto op = std::make_unique<TOperation>(&document, okTyping);
            document.PrepareTypingFormat({0, 0}, 0);
            TUpdateRange update;
            document.InsertPlainTextAt(buffer, {0, 0}, update, op.get(), 0);
            document.UndoManager().AddOperation(op);
        }
        TUpdateRange update;
        document.UndoManager().Undo(false, update);
        ASSERT_TRUE(document.UndoManager().CanUndo());
        ASSERT_TRUE(document.UndoManager().CanRedo());

        EXPECT_EQ(SaveAs(document, ciAnsiText), wrWritten);
        const TOperationManager& undo = document.UndoManager();
        EXPECT_EQ(undo.CanUndo(), keep) << keep;
        EXPECT_EQ(undo.CanRedo(), keep) << keep;
        EXPECT_EQ(undo.Count(), keep ? 2 : 0);
        EXPECT_EQ(undo.SavedIndex, undo.CurrentIndex());
        EXPECT_FALSE(document.IsModified());
    }
}

TEST(SafeSave, ACancelledWriteLeavesTheFileAsItWas)
{
    const std::string dir = MakeTestDir("save-cancel");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 200000);
    const THandle held = document->FileState.Handle;
    TWriteFailures failures(1, 0);
    TMessageAnswers answers;
    answers.Expect("Erreur lors de l'écriture du fichier \"" + path + "\".", mrCancel);
    EXPECT_EQ(SaveAs(*document, ciAnsiText), wrFailed);
    EXPECT_EQ(answers.Asked().at(0).Type, mtError);
    EXPECT_EQ(answers.Asked().at(0).Buttons, mbRetry | mbCancel);
    ExpectNothingLost(*document, dir, "lettre.txt");
    EXPECT_EQ(document->FileState.Handle, held) << "the document keeps its file";
    EXPECT_EQ(FileOpen(path, fmOpenWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);
}

TEST(SafeSave, RetryGoesOnWhereTheWriteStopped)
{
    // Half of a block reached the disk before it was full: Retry writes the
    // rest once, not the whole block again.
    const std::string dir = MakeTestDir("save-retry");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 150000);
    TWriteFailures failures(2, 1000);
    TMessageAnswers answers;
    answers.Expect("Erreur lors de l'écriture du fichier", mrRetry);
    EXPECT_EQ(SaveAs(*document, ciAnsiText), wrWritten);
    EXPECT_TRUE(ReadTestFile(path) == ExpectedAfterEdit(150000));
    EXPECT_FALSE(document->IsModified());
}

TEST(SafeSave, AFullDiskLeavesTheFileAsItWas)
{
    // The file-size limit makes the disk full for this process: writes past
    // it fail as they do on a full disk.
    const std::string dir = MakeTestDir("save-full");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 300000);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int32_t result;
    {
        TMessageAnswers answers;
        answers.Expect("Erreur lors de l'écriture du fichier \"" + path + "\".", mrCancel);
        result = SaveAs(*document, ciAnsiText);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(result, wrFailed);
    ExpectNothingLost(*document, dir, "lettre.txt");
}

TEST(SafeSave, AReadOnlyFolderLeavesTheFileAsItWas)
{
    const std::string dir = MakeTestDir("save-readonly-folder");
    bool mounted = false;
    if (geteuid() == 0) {
        // The administrator writes into any folder: a file system mounted
        // read-only stands for the folder.
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "running as root without the right to mount a read-only file system";
        mounted = true;
    }
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    if (mounted)
        ASSERT_EQ(mount("tmpfs", dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=256k"), 0);
    else
        ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    {
        std::unique_ptr<TDocument> document = LoadAndEdit(path, 10);
        TMessageAnswers answers;
        answers.Expect("Erreur lors de l'écriture du fichier \"" + path + "\".", mrRetry)
            .Expect("Erreur lors de l'écriture du fichier \"" + path + "\".", mrCancel);
        EXPECT_EQ(SaveAs(*document, ciAnsiText), wrFailed);
        ExpectNothingLost(*document, dir, "lettre.txt");
    }
    if (mounted)
        umount(dir.c_str());
    else
        chmod(dir.c_str(), 0755);
}

TEST(SafeSave, AReadOnlyTargetIsNotOverwritten)
{
    // A document without a file of its own saved under the name of a
    // read-only file.
    const std::string dir = MakeTestDir("save-readonly-file");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    ASSERT_EQ(FileSetAttr(path, faReadOnly), 0);
    TDocument document(false);
    document.Paragraphs(0).AppendChars("autre chose");
    document.FileName = path;
    document.SetModified(true);
    TMessageAnswers answers;
    answers.Expect("Erreur lors de l'écriture du fichier", mrCancel);
    EXPECT_EQ(SaveAs(document, ciAnsiText), wrFailed);
    FileSetAttr(path, 0);
    ExpectNothingLost(document, dir, "lettre.txt");
}

TEST(SafeSave, AFileAnotherProgramWritesIsNotSavedOver)
{
    // A document that keeps no file (opened as a copy) saved onto the file
    // that another program still writes.
    const std::string dir = MakeTestDir("save-in-use");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    TFileStream other(path, fmOpenReadWrite | fmShareDenyNone);
    TMessageAnswers answers;
    answers.Expect("Faire une copie ?", mrYes).Expect("Erreur lors de l'écriture du fichier", mrCancel);
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 5);
    EXPECT_EQ(document->FileState.Handle, 0);
    EXPECT_EQ(SaveAs(*document, ciAnsiText), wrFailed);
    ExpectNothingLost(*document, dir, "lettre.txt");
}

TEST(SafeSave, AnUntitledDocumentCreatesItsFile)
{
    const std::string dir = MakeTestDir("save-new");
    TDocument document(false);
    document.Paragraphs(0).AppendChars("Nouveau");
    document.FileName = dir + "/nouveau.txt";
    document.FileState.Untitled = 1;
    document.SetModified(true);
    ASSERT_EQ(SaveAs(document, ciDosText), wrWritten);
    EXPECT_EQ(ReadTestFile(dir + "/nouveau.txt"), "Nouveau");
    EXPECT_FALSE(document.FileState.Untitled);
    EXPECT_EQ(document.Format, ciDosText);
    EXPECT_GT(document.FileState.Handle, 0) << "the new file is kept like a loaded one";
    // A copy leaves the document's state alone.
    TDocWriteParams params;
    params.Coding = ciAnsiText;
    params.Flags = wfCopy;
    document.SetModified(true);
    ASSERT_EQ(WriteToFile(document, params), wrWritten);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Format, ciDosText);
}

TEST(SafeSave, CodingsWithoutAWriterAreRefused)
{
    const std::string dir = MakeTestDir("save-refused");
    const std::string path = MakeFile(dir, "lettre.txt", kOriginal);
    std::unique_ptr<TDocument> document = LoadAndEdit(path, 3);
    TMessageAnswers answers;
    answers.Expect("Eldravin ne peut pas pour le moment enregistrer de document au format \"Document MS Write\"",
                   mrOk);
    EXPECT_EQ(SaveAs(*document, ciWrite), wrFailed);
    ExpectNothingLost(*document, dir, "lettre.txt");
}
