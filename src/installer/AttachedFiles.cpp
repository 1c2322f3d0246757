#include "installer/AttachedFiles.h"

#include "installer/InstallUtils.h"
#include "foundation/Compression.h"
#include "platform/framework/ModalResults.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"


#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

const char* const CorruptSetupMessage =
    "Ce fichier d'installation est corrompu. S'il a été téléchargé à partir d'Internet, veuillez le "
    "télécharger à nouveau.";

namespace {

constexpr int32_t ChunkSize = 0x4000;
// No real directory comes near this; a larger one is a damaged or hostile file.
constexpr size_t MaxDirectorySize = 64u << 20;

int32_t ReadInt32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The payload's "\" between folders becomes the system's separator.
std::string SystemPath(const std::string& payloadName)
{
    std::string path = payloadName;
    for (char& c : path)
        if (c == '\\')
            c = PathDelim;
    return path;
}

bool StartsWithText(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && AnsiSameText(std::string_view(s).substr(0, prefix.size()), prefix);
}

} // namespace

bool IsSafePayloadName(const std::string& name)
{
    if (name.empty() || name.front() == '\\' || name.back() == '\\')
        return false;
    for (unsigned char c : name)
        if (c < 32 || c == '/' || c == ':')
            return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

TAttachedFiles::TAttachedFiles(const std::string& setupFileName) : FGroups(InstallGroupCount)
{
    if (!ReadDirectory(setupFileName)) {
        FFiles.clear();
        FCorrupt = true;
        ShowSetupQuestion(CorruptSetupMessage, mtError, mbOK, false);
    }
}

TAttachedFiles::~TAttachedFiles()
{
    FGroups.clear();
    FStream.reset();
    FFiles.clear();
    DeleteTempFiles();
}

bool TAttachedFiles::ReadDirectory(const std::string& setupFileName)
{
    try {
        FStream = std::make_unique<TFileStream>(setupFileName, fmOpenRead | fmShareDenyNone);
        FStreamSize = FStream->Size();
        if (FStreamSize < 8 || FStreamSize > INT32_MAX)
            return false;
        uint8_t trailer[8];
        FStream->Seek(FStreamSize - 8, TSeekOrigin::soBeginning);
        FStream->ReadBuffer(trailer, 8);
        const int32_t dirOffset = ReadInt32(trailer);
        if (ReadInt32(trailer + 4) != dirOffset || dirOffset < 0 || dirOffset >= FStreamSize - 8)
            return false;

        // The directory: one zlib stream that must end exactly where the trailer begins.
        std::string directory;
        FStream->Seek(dirOffset, TSeekOrigin::soBeginning);
        {
            const int32_t compressedSize = static_cast<int32_t>(FStreamSize - 8 - dirOffset);
            TZDecompressionStream z(*FStream);
            z.InputLimit = compressedSize;
            char out[ChunkSize];
            for (int32_t got; (got = z.Read(out, ChunkSize)) > 0;) {
                directory.append(out, static_cast<size_t>(got));
                if (directory.size() > MaxDirectorySize)
                    return false;
            }
            if (!z.Ended() || z.UnusedInput() != 0 || z.ReadCount() != compressedSize)
                return false;
        }

        // Records, read until the inflated data ends.
        const auto* p = reinterpret_cast<const uint8_t*>(directory.data());
        const size_t size = directory.size();
        size_t pos = 0;
        while (pos < size) {
            const size_t n = p[pos];
            if (size - pos < 1 + n + 16)
                return false;
            auto record = std::make_unique<TAttachedFile>();
            record->Name.assign(reinterpret_cast<const char*>(p + pos + 1), n);
            pos += 1 + n;
            record->Size = ReadInt32(p + pos);
            std::memcpy(&record->Date, p + pos + 4, 8);
            record->Offset = ReadInt32(p + pos + 12);
            pos += 16;
            // Every offset lies before the directory, and each stream
            // follows the one before it.
            if (record->Offset < 0 || record->Offset > dirOffset)
                return false;
            if (!FFiles.empty()) {
                TAttachedFile& previous = *FFiles.back();
                if (record->Offset <= previous.Offset)
                    return false;
                previous.CompressedSize = record->Offset - previous.Offset;
            }
            FFiles.push_back(std::move(record));
        }
        // The last record only closes the one before it.
        if (FFiles.empty())
            return false;
        FFiles.pop_back();
        for (const auto& f : FFiles)
            if (!IsSafePayloadName(f->Name) || f->Size < 0 || !std::isfinite(f->Date))
                return false;
        return true;
    } catch (const Exception&) {
        return false;
    }
}

const TAttachedFile* TAttachedFiles::FindFile(const std::string& name) const
{
    for (auto it = FFiles.rbegin(); it != FFiles.rend(); ++it)
        if (AnsiSameText((*it)->Name, name))
            return it->get();
    return nullptr;
}

bool TAttachedFiles::TryExtract(const TAttachedFile& file, const std::string& targetPath, bool logged)
{
    std::lock_guard guard(FStreamLock);
    bool ok = false;
    bool created = false;
    try {
        FStream->Seek(file.Offset, TSeekOrigin::soBeginning);
        ForceFolders(ExtractFilePath(targetPath));
        {
            TFileStream target(targetPath, fmCreate);
            created = true;
            TZDecompressionStream z(*FStream);
            z.InputLimit = file.CompressedSize;
            int64_t written = 0;
            uint8_t out[ChunkSize];
            for (int32_t got; (got = z.Read(out, ChunkSize)) > 0;) {
                written += got;
                if (written > file.Size)
                    break;
                target.WriteBuffer(out, got);
            }
            ok = z.Ended() && written == file.Size;
        }
        if (ok && file.Name == ProgramExeName) {
            // The payload keeps no modes: the program is the one file that runs.
            std::error_code ec;
            std::filesystem::permissions(FileSystemName(targetPath),
                                         std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                             std::filesystem::perms::group_exec |
                                             std::filesystem::perms::others_read |
                                             std::filesystem::perms::others_exec,
                                         ec);
        }
        if (ok) {
            // The record's local date, to the two seconds of a DOS time.
            const int32_t dos = DateTimeToFileDate(file.Date);
            if (dos != 0) {
                const TFileTime local = static_cast<TFileTime>(DateTimeToFileTime(FileDateToDateTime(dos)));
                const TFileTime utc = LocalFileTimeToFileTime(local);
                SetFileTimes(targetPath, nullptr, &utc);
            }
        }
    } catch (const Exception&) {
        ok = false;
    }
    if (!ok) {
        // A damaged stream leaves no half-written file behind.
        if (created)
            DeleteFile(targetPath);
        return false;
    }
    if (logged)
        LogInstallAction("File Copy: " + targetPath);
    return true;
}

bool TAttachedFiles::ExtractFile(const TAttachedFile* file, const std::string& name, const std::string& targetPath,
                                 bool logged)
{
    if (!file)
        file = FindFile(name);
    if (!file || FCorrupt)
        return false;
    for (;;) {
        if (TryExtract(*file, targetPath, logged))
            return true;
        const int32_t answer = AskFromInstallThread(
            Format("Impossible de créer le fichier \"%s\".\rCe fichier est peut-être actuellement utilisé par "
                   "une autre application.",
                   {targetPath}),
            mtError, mbAbort | mbRetry | mbIgnore, true);
        if (answer == mrIgnore)
            return true;
        if (answer != mrRetry)
            return false;
    }
}

std::string TAttachedFiles::TargetPathOf(const TAttachedFile& file, const std::string& targetFolder) const
{
    std::string name = file.Name;
    if (StripFirstFolder) {
        const size_t slash = name.find('\\');
        if (slash != std::string::npos)
            name = name.substr(slash + 1);
    }
    return AppendPathName(targetFolder, SystemPath(name));
}

bool TAttachedFiles::QueueFileToInstall(const TAttachedFile& file, const std::string& targetFolder, uint8_t rule,
                                        int group)
{
    const std::string target = TargetPathOf(file, targetFolder);
    if (FileExists(target)) {
        const int32_t ours = DateTimeToFileDate(file.Date);
        TFileTime written = 0;
        int32_t theirs = 0;
        if (GetFileTimes(target, nullptr, nullptr, &written))
            theirs = DateTimeToFileDate(
                FileTimeToDateTime(static_cast<uint64_t>(FileTimeToLocalFileTime(written))));
        bool replace = false;
        switch (rule) {
        case orIfNewer:
            replace = FileDateToDateTime(ours) > FileDateToDateTime(theirs);
            break;
        case orIfDifferent:
            replace = ours != theirs;
            break;
        case orAlways:
            replace = true;
            break;
        default:
            break;
        }
        if (!replace)
            return false;
    }
    auto entry = std::make_unique<TFileToInstall>();
    entry->Source = &file;
    entry->TargetPath = target;
    entry->Logged = !InstallLogSuspended();
    FGroups.at(group).push_back(std::move(entry));
    return true;
}

bool TAttachedFiles::AddToInstallList(const std::string& name, const std::string& targetFolder, uint8_t rule,
                                      int group)
{
    if (group < 0 || group >= InstallGroupCount || name.empty())
        return false;
    bool queued = false;
    if (name.back() == '\\') {
        for (const auto& f : FFiles)
            if (StartsWithText(f->Name, name) && QueueFileToInstall(*f, targetFolder, rule, group))
                queued = true;
    } else {
        for (const auto& f : FFiles)
            if (AnsiSameText(f->Name, name))
                return QueueFileToInstall(*f, targetFolder, rule, group);
    }
    return queued;
}

void TAttachedFiles::ClearInstallList(int group)
{
    FGroups.at(group).clear();
}

int64_t TAttachedFiles::GetTotalInstallSize() const
{
    int64_t total = 0;
    for (const auto& group : FGroups)
        for (const auto& f : group)
            total += f->Source->Size;
    return total;
}

int64_t TAttachedFiles::GetRequiredSpace(const std::string& lines, const std::string& targetFolder) const
{
    int64_t total = 0;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = lines.size();
        const std::string name = lines.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        const bool prefix = name.back() == '\\';
        for (const auto& f : FFiles)
            if (prefix ? StartsWithText(f->Name, name) : AnsiSameText(f->Name, name))
                total += RoundToClusters(targetFolder, f->Size);
    }
    return total;
}

// --- shared status -----------------------------------------------------------------------

uint8_t TInstallThreadStatus::State()
{
    std::lock_guard guard(FLock);
    return FState;
}

void TInstallThreadStatus::SetState(uint8_t state)
{
    {
        std::lock_guard guard(FLock);
        FState = state;
    }
    FChanged.notify_all();
}

bool TInstallThreadStatus::ChangeState(uint8_t from, uint8_t to)
{
    {
        std::lock_guard guard(FLock);
        if (FState != from)
            return false;
        FState = to;
    }
    FChanged.notify_all();
    return true;
}

bool TInstallThreadStatus::WaitWhilePaused()
{
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FState != ursPaused; });
    return FState != ursStop;
}

int32_t TInstallThreadStatus::Ask(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                                  bool overBackdrop)
{
    std::unique_lock lock(FLock);
    FQuestion = {message, type, buttons, overBackdrop};
    FState = ursQuestion;
    FChanged.notify_all();
    FChanged.wait(lock, [this] { return FState == ursAnswered || FState == ursStop; });
    if (FState == ursStop)
        return mrAbort;  // the wizard went away: nobody can answer
    FState = ursRunning;
    return FAnswer;
}

bool TInstallThreadStatus::TakeQuestion(TQuestion& question)
{
    std::lock_guard guard(FLock);
    if (FState != ursQuestion)
        return false;
    question = FQuestion;
    FState = ursPaused;
    return true;
}

void TInstallThreadStatus::Answer(int32_t answer)
{
    {
        std::lock_guard guard(FLock);
        FAnswer = answer;
        FState = ursAnswered;
    }
    FChanged.notify_all();
}

uint8_t TInstallThreadStatus::CurrentGroup()
{
    std::lock_guard guard(FLock);
    return FCurrentGroup;
}

void TInstallThreadStatus::SetCurrentGroup(uint8_t group)
{
    std::lock_guard guard(FLock);
    FCurrentGroup = group;
}

int64_t TInstallThreadStatus::Total()
{
    std::lock_guard guard(FLock);
    return FTotal;
}

void TInstallThreadStatus::AddToTotal(int64_t bytes)
{
    std::lock_guard guard(FLock);
    FTotal += bytes;
}

void TInstallThreadStatus::Reset()
{
    {
        std::lock_guard guard(FLock);
        FState = ursIdle;
        FCurrentGroup = NoInstallGroup;
        FTotal = 0;
        FAnswer = 0;
    }
    FChanged.notify_all();
}

TInstallThreadStatus& InstallStatus()
{
    static TInstallThreadStatus status;
    return status;
}

namespace {

TQuestionShower& Shower()
{
    static TQuestionShower shower = nullptr;
    return shower;
}

thread_local bool OnInstallThread = false;

} // namespace

TQuestionShower SetQuestionShower(TQuestionShower shower)
{
    const TQuestionShower previous = Shower();
    Shower() = shower;
    return previous;
}

int32_t ShowSetupQuestion(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, bool overBackdrop)
{
    if (Shower())
        return Shower()(message, type, buttons, overBackdrop);
    // The message service breaks lines at "||".
    return ShowMessageDlg(StringReplace(message, "\r", "||", rfReplaceAll), type, buttons);
}

int32_t AskFromInstallThread(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                             bool overBackdrop)
{
    if (!OnInstallThread)
        return ShowSetupQuestion(message, type, buttons, overBackdrop);
    return InstallStatus().Ask(message, type, buttons, overBackdrop);
}

void MarkInstallThread()
{
    OnInstallThread = true;
}
