#pragma once
// The files that the setup program carries behind its own image: a
// zlib-compressed directory and one zlib stream per file, found through an
// 8-byte trailer (the directory's offset, twice) at the very end of the file.
// TAttachedFiles reads and checks the directory, resolves names and folder
// prefixes against it, keeps nine install groups of queued files and extracts
// single files. The state that the install thread and the wizard share lives
// here too.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/MessageDlg.h"
#include "platform/runtime/DateTime.h"

class TFileStream;

struct TAttachedFile {
    std::string Name;  // relative, "\" between folders
    int32_t Size = 0;
    TDateTime Date = 0;
    int32_t Offset = 0;
    int32_t CompressedSize = 0;
};

struct TFileToInstall {
    const TAttachedFile* Source = nullptr;  // not owned
    std::string TargetPath;
    bool Logged = true;  // its "File Copy: " line goes to the install log
};

// When an existing target is replaced.
enum TOverwriteRule : uint8_t {
    orNever = 0,
    orIfNewer = 1,     // the payload's date is later
    orIfDifferent = 2, // the dates differ
    orIfAbsent = 3,    // never (installed only when absent)
    orAlways = 4,
};

constexpr int InstallGroupCount = 9;
constexpr uint8_t NoInstallGroup = 255;

extern const char* const CorruptSetupMessage;

class TAttachedFiles {
public:
    // Opens the setup file and reads its directory. A damaged trailer or
    // directory shows the corrupt-file message; Corrupt() then holds and
    // nothing is listed.
    explicit TAttachedFiles(const std::string& setupFileName);
    // Frees everything and deletes the setup's temporary files.
    ~TAttachedFiles();
    TAttachedFiles(const TAttachedFiles&) = delete;
    TAttachedFiles& operator=(const TAttachedFiles&) = delete;

    bool Corrupt() const { return FCorrupt; }
    const std::vector<std::unique_ptr<TAttachedFile>>& Files() const { return FFiles; }
    const std::vector<std::unique_ptr<TFileToInstall>>& Group(int index) const { return FGroups.at(index); }

    // The last record of that name (ignoring case), or nullptr.
    const TAttachedFile* FindFile(const std::string& name) const;
    // Extracts one file (the record, or the name looked up) to the target;
    // on failure asks Abort, Retry, Ignore: Abort gives false, Ignore true.
    bool ExtractFile(const TAttachedFile* file, const std::string& name, const std::string& targetPath,
                     bool logged = true);
    // Queues a name, or every record below a folder prefix (a name ending in
    // "\"), into the group; true when something was queued.
    bool AddToInstallList(const std::string& name, const std::string& targetFolder, uint8_t rule, int group);
    void ClearInstallList(int group);
    // The sum of the sizes queued in all groups.
    int64_t GetTotalInstallSize() const;
    // Lines of names and folder prefixes (separated by CR): the sizes of the
    // matching records rounded to the clusters of the target's drive.
    int64_t GetRequiredSpace(const std::string& lines, const std::string& targetFolder) const;

    // While set, a queued file's target drops the first folder of its name.
    bool StripFirstFolder = false;

    // Path of a record's name below a folder (separators made the system's).
    std::string TargetPathOf(const TAttachedFile& file, const std::string& targetFolder) const;

private:
    bool ReadDirectory(const std::string& setupFileName);
    bool QueueFileToInstall(const TAttachedFile& file, const std::string& targetFolder, uint8_t rule, int group);
    bool TryExtract(const TAttachedFile& file, const std::string& targetPath, bool logged);

    std::unique_ptr<TFileStream> FStream;
    int64_t FStreamSize = 0;
    std::mutex FStreamLock;  // the file position is shared by every extraction
    std::vector<std::unique_ptr<TAttachedFile>> FFiles;
    std::vector<std::vector<std::unique_ptr<TFileToInstall>>> FGroups;
    bool FCorrupt = false;
};

// True when the name can be installed: not empty, relative, no empty, "."
// or ".." part, no "/" (the payload separates folders with "\"), no control
// character, no drive.
bool IsSafePayloadName(const std::string& name);

// --- state shared by the install thread and the wizard ---------------------------------

enum TUiRequestState : uint8_t {
    ursIdle = 0,
    ursRunning = 1,
    ursPaused = 2,      // the wizard holds the thread (a question or its close query)
    ursStop = 3,        // stop requested, or finished
    ursFailed = 4,
    ursQuestion = 5,    // the thread asks; the wizard shows the question
    ursAnswered = 6,
};

// The one record of the install thread and the wizard, guarded by a mutex;
// each side waits on the condition variable instead of polling.
class TInstallThreadStatus {
public:
    uint8_t State();
    void SetState(uint8_t state);
    // Sets the state only when it is still `from`; true when it was.
    bool ChangeState(uint8_t from, uint8_t to);
    // The thread's check point: waits while the state is "paused"; true when
    // the thread may go on (not asked to stop).
    bool WaitWhilePaused();
    // The thread's question: posts it and waits for the answer.
    int32_t Ask(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, bool overBackdrop);
    // The wizard's side: a question waiting, taken (state becomes "paused").
    struct TQuestion {
        std::string Message;
        TMsgDlgType DialogType = mtInformation;
        TMsgDlgButtons Buttons = mbOK;
        bool OverBackdrop = false;
    };
    bool TakeQuestion(TQuestion& question);
    void Answer(int32_t answer);

    // The group being extracted (NoInstallGroup: none) and the bytes done.
    uint8_t CurrentGroup();
    void SetCurrentGroup(uint8_t group);
    int64_t Total();
    void AddToTotal(int64_t bytes);
    // Back to idle, no group, nothing done.
    void Reset();

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    uint8_t FState = ursIdle;
    TQuestion FQuestion;
    int32_t FAnswer = 0;
    uint8_t FCurrentGroup = NoInstallGroup;
    int64_t FTotal = 0;
};

TInstallThreadStatus& InstallStatus();

// Shows a question on the user-interface thread. The wizard installs its own
// (over the backdrop); without one the message box service shows it.
using TQuestionShower = int32_t (*)(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                                    bool overBackdrop);
TQuestionShower SetQuestionShower(TQuestionShower shower);
int32_t ShowSetupQuestion(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                          bool overBackdrop);
// From either thread: on the user-interface thread the question shows at
// once; on the install thread it goes through the shared status.
int32_t AskFromInstallThread(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                             bool overBackdrop);
// Marks the calling thread as the install thread (for its lifetime).
void MarkInstallThread();
