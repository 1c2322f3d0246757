#include "installer/InstallUtils.h"

#include "foundation/Paths.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <dirent.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <mutex>
#include <vector>

const char* const SetupTitle = "Installation d'Eldravin Brightfold 1.5";
const char* const ProgramExeName = "eldravin";

// --- temporary files -------------------------------------------------------------------

std::string GetTempFilePrefix()
{
    std::string prefix = "~";
    for (const char* p = SetupTitle; *p; ++p)
        if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'))
            prefix += *p;
    return prefix;
}

std::string MakeTempFileNameWithExt(const std::string& extension)
{
    const std::string base = GetTempPath() + GetTempFilePrefix();
    for (int32_t n = 0; n < 1000000; ++n) {
        const std::string name = base + std::to_string(n) + extension;
        // Taken only when it is new: another process cannot have it too.
        const int fd = ::open(FileSystemName(name).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    throw EFCreateError("Impossible de créer un fichier temporaire", 0);
}

std::string MakeTempFileName()
{
    return MakeTempFileNameWithExt(".tmp");
}

void DeleteTempFiles()
{
    const std::string folder = GetTempPath();
    if (folder.empty())
        return;
    const std::string prefix = GetTempFilePrefix();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FileSystemName(folder), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

// --- folders and sizes -------------------------------------------------------------------

void ListSubfolders(const std::string& folder, TStrings& list, bool fullPaths)
{
    TSearchRec rec;
    if (FindFirst(AppendPathName(folder, "*"), faDirectory | faHidden, rec) != 0)
        return;
    do {
        if ((rec.Attr & faDirectory) && rec.Name != "." && rec.Name != "..")
            list.Add(fullPaths ? AppendPathName(folder, rec.Name) : rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
}

int64_t RoundUpToClusters(int64_t size, int64_t clusterSize)
{
    if (clusterSize <= 0 || size <= 0)
        return size < 0 ? 0 : size;
    return (size + clusterSize - 1) / clusterSize * clusterSize;
}

int64_t RoundToClusters(const std::string& path, int64_t size)
{
    // The folder may not exist yet: its nearest existing parent tells the drive.
    std::string existing = ExcludeTrailingPathDelimiter(path);
    while (!existing.empty() && !DirectoryExists(existing)) {
        const std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(existing));
        if (parent == existing)
            break;
        existing = parent;
    }
    return RoundUpToClusters(size, GetClusterSize(existing.empty() ? std::string("/") : existing));
}

std::string FormatDiskSize(int64_t size)
{
    TFormatSettings settings = FormatSettings();
    settings.ThousandSeparator = ' ';
    constexpr double mebi = 1048576.0;
    if (size >= 0xFFFFFF) {
        const double mb = static_cast<double>(size) / mebi;
        return Format(mb < 100 ? "%.2n" : "%.0n", {mb}, settings) + " Mo";
    }
    if (size % 1048576 == 0)
        return Format("%.0n", {static_cast<double>(size) / mebi}, settings) + " Mo";
    return Format("%.0n", {static_cast<double>(size) / 1024.0}, settings) + " Ko";
}

std::string AppendPathName(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (IsPathDelimiter(folder.back()))
        return folder + name;
    return folder + PathDelim + name;
}

void ForceFolders(const std::string& path)
{
    const std::string dir = ExcludeTrailingPathDelimiter(path);
    if (dir.empty() || DirectoryExists(dir))
        return;
    const std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(dir));
    if (!parent.empty() && parent != dir)
        ForceFolders(parent);
    if (CreateDir(dir))
        LogInstallAction("Made Dir: " + dir);
}

namespace {

// Lists the whole tree first (relative paths, folders before what they hold).
void ListTree(const std::string& root, const std::string& relative,
              std::vector<std::pair<std::string, bool>>& entries)
{
    TSearchRec rec;
    if (FindFirst(AppendPathName(AppendPathName(root, relative), "*"), faAnyFile, rec) != 0)
        return;
    std::vector<std::pair<std::string, bool>> here;
    do
        here.emplace_back(AppendPathName(relative, rec.Name), (rec.Attr & faDirectory) != 0);
    while (FindNext(rec) == 0);
    FindClose(rec);
    for (const auto& entry : here) {
        entries.push_back(entry);
        if (entry.second)
            ListTree(root, entry.first, entries);
    }
}

} // namespace

void CopyFolderWithLog(const std::string& source, const std::string& target)
{
    // Everything is listed before anything is copied, so that what the copy
    // makes (a target inside the source) is not visited.
    const std::string from = ExcludeTrailingPathDelimiter(source);
    const std::string to = ExcludeTrailingPathDelimiter(target);
    std::vector<std::pair<std::string, bool>> entries;
    ListTree(from, "", entries);
    ForceFolders(to);
    for (const auto& entry : entries) {
        const std::string destination = AppendPathName(to, entry.first);
        if (entry.second) {
            ForceFolders(destination);
        } else if (!FileExists(destination)) {
            if (CopyFile(AppendPathName(from, entry.first), destination, true))
                LogInstallAction("File Copy: " + destination);
        }
    }
}

bool CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& arguments,
                     int32_t iconIndex, const std::string& iconFile, const std::string& workingFolder)
{
    // A desktop entry names an icon file, not an icon inside a program: the
    // index has no counterpart and the program's own icon is used.
    (void)iconIndex;
    (void)iconFile;
    ForceFolders(ExtractFilePath(linkFile));
    try {
        CreateShortcut(linkFile, target, arguments, workingFolder);
    } catch (const Exception&) {
        return false;
    }
    LogInstallAction("File Copy: " + linkFile);
    return true;
}

// --- install log -------------------------------------------------------------------------

namespace {

struct TInstallLogState {
    std::mutex Lock;
    bool Started = false;
    std::string Path;
    std::vector<std::string> Lines;
    int32_t Suspended = 0;
};

TInstallLogState& Log()
{
    static TInstallLogState state;
    return state;
}

std::vector<std::string> ReadLogLines(const std::string& path, bool& ok)
{
    std::vector<std::string> lines;
    ok = false;
    std::string bytes;
    try {
        TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
        const int64_t size = stream.Size();
        bytes.resize(static_cast<size_t>(size));
        if (size > 0 && stream.Read(bytes.data(), static_cast<int32_t>(size)) != size)
            return lines;
    } catch (const Exception&) {
        return lines;
    }
    ok = true;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

} // namespace

void StartInstallLog(const std::string& path)
{
    bool ok = false;
    std::vector<std::string> earlier = ReadLogLines(path, ok);
    TInstallLogState& log = Log();
    std::lock_guard guard(log.Lock);
    log.Started = true;
    log.Path = path;
    log.Lines = std::move(earlier);
    log.Suspended = 0;
}

bool InstallLogStarted()
{
    std::lock_guard guard(Log().Lock);
    return Log().Started;
}

const std::string& InstallLogPath()
{
    return Log().Path;
}

void LogInstallAction(const std::string& line)
{
    TInstallLogState& log = Log();
    std::lock_guard guard(log.Lock);
    if (log.Started && log.Suspended <= 0)
        log.Lines.push_back(line);
}

void SuspendInstallLog()
{
    std::lock_guard guard(Log().Lock);
    ++Log().Suspended;
}

void ResumeInstallLog()
{
    std::lock_guard guard(Log().Lock);
    --Log().Suspended;
}

bool InstallLogSuspended()
{
    std::lock_guard guard(Log().Lock);
    return Log().Suspended > 0;
}

std::string InstallLogText()
{
    TInstallLogState& log = Log();
    std::lock_guard guard(log.Lock);
    std::string text;
    for (const std::string& line : log.Lines)
        text += line + "\r\n";
    return text;
}

bool SaveInstallLog()
{
    std::string path;
    {
        std::lock_guard guard(Log().Lock);
        if (!Log().Started)
            return false;
        path = Log().Path;
    }
    const std::string text = InstallLogText();
    try {
        TFileStream stream(path, fmCreate);
        stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
    } catch (const Exception&) {
        return false;
    }
    return true;
}

void EndInstallLog()
{
    TInstallLogState& log = Log();
    std::lock_guard guard(log.Lock);
    log.Started = false;
    log.Path.clear();
    log.Lines.clear();
    log.Suspended = 0;
}

bool UndoInstallLog(const std::string& logPath)
{
    bool ok = false;
    const std::vector<std::string> lines = ReadLogLines(logPath, ok);
    if (!ok)
        return false;
    // The log goes first: it lies in the installation folder, which its own
    // "Made Dir: " line removes once it is empty.
    DeleteFile(logPath);
    static const std::string fileCopy = "File Copy: ";
    static const std::string madeDir = "Made Dir: ";
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->compare(0, fileCopy.size(), fileCopy) == 0)
            DeleteFile(it->substr(fileCopy.size()));
        else if (it->compare(0, madeDir.size(), madeDir) == 0)
            RemoveDir(it->substr(madeDir.size()));  // only when empty
    }
    return true;
}

// --- running copy and user folders -----------------------------------------------------

namespace {

bool ScanProcesses()
{
    const uid_t me = ::getuid();
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool found = false;
    while (dirent* e = ::readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9')
            continue;
        const std::string base = std::string("/proc/") + e->d_name;
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink(base + "/exe", ec);
        if (ec)
            continue;  // not ours to read
        struct stat st {};
        if (::stat(base.c_str(), &st) != 0 || st.st_uid != me)
            continue;
        if (exe.filename() == ProgramExeName) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

TProgramRunningQuery& RunningQuery()
{
    static TProgramRunningQuery query = nullptr;
    return query;
}

} // namespace

bool IsProgramRunning()
{
    return RunningQuery() ? RunningQuery()() : ScanProcesses();
}

TProgramRunningQuery SetProgramRunningQuery(TProgramRunningQuery query)
{
    const TProgramRunningQuery previous = RunningQuery();
    RunningQuery() = query;
    return previous;
}

std::string UserDesktopFolder()
{
    return GetUserFolder(TUserFolder::ufDesktop);
}

std::string UserProgramsFolder()
{
    return AppendPathName(GetUserFolder(TUserFolder::ufData), "applications");
}

std::string UserProgramFilesFolder()
{
    return AppendPathName(GetUserFolder(TUserFolder::ufHome), ".local/opt");
}
