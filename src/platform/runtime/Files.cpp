#include "platform/runtime/Files.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SystemErrors.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

bool Fail(uint32_t code)
{
    SetLastError(code);
    return false;
}

bool FailErrno()
{
    SetLastErrorFromErrno();
    return false;
}

// A missing name reports the path error when a folder on the way is missing.
bool FailMissing(const std::string& fs)
{
    const int err = errno;
    if (err == ENOENT) {
        struct stat st;
        const std::string dir = ExtractFileDir(fs);
        if (!dir.empty() && stat(dir.c_str(), &st) != 0)
            return Fail(ERROR_PATH_NOT_FOUND);
    }
    return Fail(ErrorFromErrno(err));
}

bool IsReadOnly(const struct stat& st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

int32_t AttrFromStat(const std::string& name, const struct stat& st)
{
    int32_t attr = S_ISDIR(st.st_mode) ? faDirectory : S_ISREG(st.st_mode) ? faArchive : faSysFile;
    if (IsReadOnly(st))
        attr |= faReadOnly;
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attr |= faHidden;
    return attr;
}

// stat following links, and the link itself when it leads nowhere.
bool StatEntry(const std::string& fs, struct stat& st)
{
    return stat(fs.c_str(), &st) == 0 || lstat(fs.c_str(), &st) == 0;
}

TFileTime LastWrite(const struct stat& st)
{
    return FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

bool MatchFrom(const std::string& n, size_t i, const std::string& m, size_t j, size_t lastDot)
{
    while (j < m.size()) {
        const char c = m[j];
        if (c == '*') {
            // A star before a dot stops short of the name's last dot.
            size_t limit = n.size();
            if (j + 1 < m.size() && m[j + 1] == '.' && lastDot != std::string::npos && lastDot >= i)
                limit = lastDot;
            for (size_t k = i; k <= limit; ++k)
                if (MatchFrom(n, k, m, j + 1, lastDot))
                    return true;
            return false;
        }
        if (c == '?') {
            if (i < n.size() && n[i] != '.')
                ++i;  // otherwise it matches nothing, before a dot or at the end
            ++j;
            continue;
        }
        if (c == '.') {
            if (i < n.size() && n[i] == '.') {
                ++i;
                ++j;
                continue;
            }
            // A dot before a wildcard or at the end of the mask also matches the
            // end of a name without extension.
            const bool optional = j + 1 == m.size() || m[j + 1] == '*' || m[j + 1] == '?';
            if (optional && i == n.size()) {
                ++j;
                continue;
            }
            return false;
        }
        if (i < n.size() && n[i] == c) {
            ++i;
            ++j;
            continue;
        }
        return false;
    }
    return i == n.size();
}

void FillSearchRec(TSearchRec& rec)
{
    const TSearchRec::TEntry& e = rec.Entries[rec.Index];
    rec.Name = e.Name;
    rec.Size = e.Size;
    rec.Attr = e.Attr;
    rec.LastWriteTime = e.LastWriteTime;
}

}  // namespace

bool FileExists(const std::string& fileName)
{
    struct stat st;
    return !fileName.empty() && stat(FileSystemName(fileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& dirName)
{
    struct stat st;
    return !dirName.empty() && stat(FileSystemName(dirName).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int32_t FileGetAttr(const std::string& fileName)
{
    const std::string fs = FileSystemName(fileName);
    struct stat st;
    if (fileName.empty() || !StatEntry(fs, st)) {
        SetLastErrorFromErrno();
        return -1;
    }
    return AttrFromStat(ExtractFileName(ExcludeTrailingPathDelimiter(fs)), st);
}

int32_t FileSetAttr(const std::string& fileName, int32_t attr)
{
    const std::string fs = FileSystemName(fileName);
    struct stat st;
    if (stat(fs.c_str(), &st) != 0)
        return static_cast<int32_t>(SetLastErrorFromErrno());
    if (!S_ISREG(st.st_mode))
        return 0;
    mode_t mode = st.st_mode & 07777;
    if (attr & faReadOnly)
        mode &= ~mode_t(0222);
    else if (IsReadOnly(st))
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && chmod(fs.c_str(), mode) != 0)
        return static_cast<int32_t>(SetLastErrorFromErrno());
    return 0;
}

bool GetFileTimes(const std::string& fileName, TFileTime* creation, TFileTime* lastAccess, TFileTime* lastWrite)
{
    struct statx sx;
    if (statx(AT_FDCWD, FileSystemName(fileName).c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return FailErrno();
    const auto conv = [](const struct statx_timestamp& t) { return FileTimeFromUnix(t.tv_sec, t.tv_nsec); };
    if (creation)
        *creation = (sx.stx_mask & STATX_BTIME) ? conv(sx.stx_btime) : conv(sx.stx_mtime);
    if (lastAccess)
        *lastAccess = conv(sx.stx_atime);
    if (lastWrite)
        *lastWrite = conv(sx.stx_mtime);
    return true;
}

bool SetFileTimes(const std::string& fileName, const TFileTime* lastAccess, const TFileTime* lastWrite)
{
    struct timespec times[2];
    const TFileTime* given[2] = {lastAccess, lastWrite};
    for (int i = 0; i < 2; ++i) {
        times[i] = {};
        if (!given[i]) {
            times[i].tv_nsec = UTIME_OMIT;
        } else {
            int64_t ns = 0;
            times[i].tv_sec = static_cast<time_t>(UnixFromFileTime(*given[i], &ns));
            times[i].tv_nsec = static_cast<long>(ns);
        }
    }
    if (utimensat(AT_FDCWD, FileSystemName(fileName).c_str(), times, 0) != 0)
        return FailErrno();
    return true;
}

int64_t GetFileSize(const std::string& fileName)
{
    struct stat st;
    if (stat(FileSystemName(fileName).c_str(), &st) != 0)
        return SetLastErrorFromErrno(), -1;
    if (S_ISDIR(st.st_mode))
        return SetLastError(ERROR_ACCESS_DENIED), -1;
    return st.st_size;
}

bool MatchesMask(const std::string& name, const std::string& mask)
{
    const std::string n = AnsiUpperCaseFileName(name);
    return MatchFrom(n, 0, AnsiUpperCaseFileName(mask), 0, n.rfind('.'));
}

int32_t FindFirst(const std::string& path, int32_t attr, TSearchRec& rec)
{
    FindClose(rec);
    const std::string folder = ExtractFilePath(path);
    const std::string mask = ExtractFileName(path);
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string fsFolder = FileSystemName(folder.empty() ? "." : folder);
    DIR* dir = opendir(fsFolder.c_str());
    if (!dir) {
        const uint32_t code = errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
        SetLastError(code);
        return static_cast<int32_t>(code);
    }
    const int32_t excluded = ~attr & (faHidden | faSysFile | faDirectory);
    while (dirent* d = readdir(dir)) {
        const std::string fsName = d->d_name;
        if (fsName == "." || fsName == "..")
            continue;
        std::string name = ProgramNameInFolder(fsFolder, fsName);
        if (!MatchesMask(name, mask))
            continue;
        struct stat st;
        if (!StatEntry(fsFolder + "/" + fsName, st))
            continue;  // gone meanwhile
        const int32_t a = AttrFromStat(fsName, st);
        if (a & excluded)
            continue;
        rec.Entries.push_back({std::move(name), S_ISDIR(st.st_mode) ? 0 : static_cast<int64_t>(st.st_size), a,
                               LastWrite(st)});
    }
    closedir(dir);
    if (rec.Entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    std::sort(rec.Entries.begin(), rec.Entries.end(), [](const TSearchRec::TEntry& a, const TSearchRec::TEntry& b) {
        const std::string ua = AnsiUpperCaseFileName(a.Name), ub = AnsiUpperCaseFileName(b.Name);
        return ua != ub ? ua < ub : a.Name < b.Name;
    });
    rec.Index = 0;
    FillSearchRec(rec);
    return 0;
}

int32_t FindNext(TSearchRec& rec)
{
    if (rec.Index + 1 >= rec.Entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return ERROR_NO_MORE_FILES;
    }
    ++rec.Index;
    FillSearchRec(rec);
    return 0;
}

void FindClose(TSearchRec& rec)
{
    rec.Entries.clear();
    rec.Entries.shrink_to_fit();
    rec.Index = 0;
}

bool CreateDir(const std::string& dirName)
{
    const std::string fs = FileSystemName(dirName);
    if (mkdir(fs.c_str(), 0777) == 0)
        return true;
    if (errno == EEXIST)
        return Fail(ERROR_ALREADY_EXISTS);
    return FailMissing(fs);
}

bool ForceDirectories(const std::string& dirName)
{
    if (dirName.empty())
        return Fail(ERROR_INVALID_NAME);
    const std::string fs = FileSystemName(ExcludeTrailingPathDelimiter(dirName));
    for (size_t slash = fs.find('/', 1); slash != std::string::npos; slash = fs.find('/', slash + 1))
        mkdir(fs.substr(0, slash).c_str(), 0777);  // existing ones fail harmlessly
    if (mkdir(fs.c_str(), 0777) != 0 && errno != EEXIST)
        return FailErrno();
    struct stat st;
    if (stat(fs.c_str(), &st) != 0)
        return FailErrno();
    return S_ISDIR(st.st_mode) || Fail(ERROR_ALREADY_EXISTS);
}

bool RemoveDir(const std::string& dirName)
{
    const std::string fs = FileSystemName(ExcludeTrailingPathDelimiter(dirName));
    if (rmdir(fs.c_str()) == 0)
        return true;
    if (errno == ENOTEMPTY || errno == EEXIST)
        return Fail(ERROR_DIR_NOT_EMPTY);
    if (errno == ENOTDIR)
        return Fail(ERROR_DIRECTORY);
    return FailMissing(fs);
}

namespace {

// Copies what is left of one open file into another, then gives the copy the
// source's last write time and permissions. Returns ERROR_SUCCESS or the error.
uint32_t CopyOpenFile(THandle in, THandle out, const struct stat& st)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const int32_t got = FileRead(in, buffer.data(), static_cast<int32_t>(buffer.size()));
        if (got < 0)
            return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        if (got == 0)
            break;
        if (FileWrite(out, buffer.data(), got) != got)
            return GetLastError() ? GetLastError() : ERROR_DISK_FULL;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
    return ERROR_SUCCESS;
}

}  // namespace

bool CopyFile(const std::string& source, const std::string& target, bool failIfExists)
{
    const THandle in = CreateFile(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    struct stat st;
    if (fstat(in, &st) != 0) {
        FileClose(in);
        return FailErrno();
    }
    // An existing target is replaced only by a complete copy: it is held
    // (which refuses a target that is read-only or in use, as emptying it
    // would) while the copy is written beside it, and the copy then takes its
    // name; a copy that fails halfway leaves the old file as it was. Only where
    // nothing can be written beside it is the target emptied and written over.
    const std::string finalTarget = GetFinalPathName(target);
    struct stat tt;
    if (!failIfExists && lstat(FileSystemName(finalTarget).c_str(), &tt) == 0 && S_ISREG(tt.st_mode)) {
        const THandle held = CreateFile(target, GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        if (held == INVALID_HANDLE_VALUE) {
            FileClose(in);
            return false;
        }
        const std::string temp = GetTempFileName(ExtractFilePath(finalTarget), "~Eldrav");
        const THandle out =
            temp.empty() ? INVALID_HANDLE_VALUE : CreateFile(temp, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
        if (out != INVALID_HANDLE_VALUE) {
            uint32_t error = CopyOpenFile(in, out, st);
            FileClose(out);
            if (error == ERROR_SUCCESS &&
                rename(FileSystemName(temp).c_str(), FileSystemName(finalTarget).c_str()) != 0) {
                SetLastErrorFromErrno();
                error = GetLastError();
            }
            if (error != ERROR_SUCCESS)
                unlink(FileSystemName(temp).c_str());
            FileClose(held);
            FileClose(in);
            return error == ERROR_SUCCESS || Fail(error);
        }
        if (!temp.empty())
            unlink(FileSystemName(temp).c_str());
        FileClose(held);
    }
    const THandle out = CreateFile(target, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                                   FILE_FLAG_SEQUENTIAL_SCAN);
    if (out == INVALID_HANDLE_VALUE) {
        FileClose(in);
        return false;
    }
    const uint32_t error = CopyOpenFile(in, out, st);
    FileClose(out);
    FileClose(in);
    if (error != ERROR_SUCCESS) {
        unlink(FileSystemName(target).c_str());  // no half copy stays behind
        return Fail(error);
    }
    return true;
}

bool MoveFile(const std::string& source, const std::string& target, bool replaceExisting)
{
    const std::string fsSource = FileSystemName(source);
    const std::string fsTarget = FileSystemName(target);
    struct stat st, tt;
    if (lstat(fsSource.c_str(), &st) != 0)
        return FailMissing(fsSource);
    if (S_ISREG(st.st_mode) && FileIsOpenElsewhere(fsSource))
        return Fail(ERROR_SHARING_VIOLATION);
    if (lstat(fsTarget.c_str(), &tt) == 0) {
        if (tt.st_dev == st.st_dev && tt.st_ino == st.st_ino && fsSource == fsTarget)
            return true;
        if (!replaceExisting || S_ISDIR(tt.st_mode) || S_ISDIR(st.st_mode))
            return Fail(ERROR_ALREADY_EXISTS);
        if (IsReadOnly(tt))
            return Fail(ERROR_ACCESS_DENIED);
        if (S_ISREG(tt.st_mode) && FileIsOpenElsewhere(fsTarget))
            return Fail(ERROR_SHARING_VIOLATION);
    }
    int rc;
    if (replaceExisting) {
        rc = rename(fsSource.c_str(), fsTarget.c_str());
    } else {
        rc = renameat2(AT_FDCWD, fsSource.c_str(), AT_FDCWD, fsTarget.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS))
            rc = rename(fsSource.c_str(), fsTarget.c_str());  // no such flag here; checked above
    }
    if (rc == 0)
        return true;
    if (errno == EEXIST || errno == ENOTEMPTY)
        return Fail(ERROR_ALREADY_EXISTS);
    if (errno == EXDEV) {
        if (!S_ISREG(st.st_mode))
            return Fail(ERROR_NOT_SAME_DEVICE);
        // Both copies stay when the source cannot be deleted: nothing is lost.
        return CopyFile(source, target, !replaceExisting) && DeleteFile(source);
    }
    return FailMissing(fsTarget);
}

bool RenameFile(const std::string& oldName, const std::string& newName)
{
    return MoveFile(oldName, newName, false);
}

bool DeleteFile(const std::string& fileName)
{
    const std::string fs = FileSystemName(fileName);
    struct stat st;
    if (lstat(fs.c_str(), &st) != 0)
        return FailMissing(fs);
    if (S_ISDIR(st.st_mode) || IsReadOnly(st))
        return Fail(ERROR_ACCESS_DENIED);
    if (S_ISREG(st.st_mode) && FileIsOpenElsewhere(fs))
        return Fail(ERROR_SHARING_VIOLATION);
    if (unlink(fs.c_str()) != 0)
        return FailMissing(fs);
    return true;
}

namespace {

// The process's file-creation mask, read without changing it.
mode_t ProcessUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

}  // namespace

bool ReplaceFile(const std::string& replaced, const std::string& replacement)
{
    const std::string fsTarget = FileSystemName(GetFinalPathName(replaced));
    const std::string fsSource = FileSystemName(replacement);
    struct stat st, tt;
    if (lstat(fsSource.c_str(), &st) != 0)
        return FailMissing(fsSource);
    if (!S_ISREG(st.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    const bool exists = lstat(fsTarget.c_str(), &tt) == 0;
    if (exists) {
        if (!S_ISREG(tt.st_mode) || IsReadOnly(tt))
            return Fail(ERROR_ACCESS_DENIED);
        if (tt.st_dev != st.st_dev)
            return Fail(ERROR_NOT_SAME_DEVICE);
        if (chmod(fsSource.c_str(), tt.st_mode & 07777) != 0)
            return FailErrno();
        if (tt.st_uid != st.st_uid || tt.st_gid != st.st_gid) {
            // Only a privileged user may give a file away; the permissions set
            // above stay the replaced file's all the same.
            [[maybe_unused]] const int ignored = chown(fsSource.c_str(), tt.st_uid, tt.st_gid);
        }
    } else if (chmod(fsSource.c_str(), 0666 & ~ProcessUmask()) != 0) {
        // A new name gets the permissions of a newly created file.
        return FailErrno();
    }
    if (rename(fsSource.c_str(), fsTarget.c_str()) != 0) {
        if (errno == EXDEV)
            return Fail(ERROR_NOT_SAME_DEVICE);
        return FailMissing(fsTarget);
    }
    return true;
}

std::string GetFinalPathName(const std::string& fileName)
{
    const std::string fs = FileSystemName(fileName);
    char* real = realpath(fs.c_str(), nullptr);
    if (!real)
        return fileName;
    std::string result = ProgramFileName(real);
    free(real);
    return result;
}

bool GetDiskFreeSpaceEx(const std::string& path, int64_t* freeToCaller, int64_t* total, int64_t* totalFree)
{
    struct statvfs sv;
    if (statvfs(FileSystemName(path.empty() ? "." : path).c_str(), &sv) != 0)
        return FailErrno();
    const auto unit = static_cast<int64_t>(sv.f_frsize);
    if (freeToCaller)
        *freeToCaller = static_cast<int64_t>(sv.f_bavail) * unit;
    if (total)
        *total = static_cast<int64_t>(sv.f_blocks) * unit;
    if (totalFree)
        *totalFree = static_cast<int64_t>(sv.f_bfree) * unit;
    return true;
}

int64_t GetDiskClusterSize(const std::string& path)
{
    struct statvfs sv;
    if (statvfs(FileSystemName(path.empty() ? "." : path).c_str(), &sv) != 0)
        return SetLastErrorFromErrno(), 0;
    return static_cast<int64_t>(sv.f_frsize ? sv.f_frsize : sv.f_bsize);
}

namespace {
// The kernel's "removable" mark of the disk holding a device (a partition's
// own folder has none: its parent disk's is read).
bool RemovableDevice(dev_t dev)
{
    char link[64];
    std::snprintf(link, sizeof link, "/sys/dev/block/%u:%u", major(dev), minor(dev));
    char* real = realpath(link, nullptr);
    if (!real)
        return false;
    std::string dir = real;
    free(real);
    for (int level = 0; level < 2; ++level) {
        std::ifstream in(dir + "/removable");
        int flag = 0;
        if (in >> flag)
            return flag == 1;
        dir = dir.substr(0, dir.rfind('/'));
    }
    return false;
}
}  // namespace

uint32_t GetDriveType(const std::string& path)
{
    const std::string fs = FileSystemName(path.empty() ? "." : path);
    struct statfs sf;
    struct stat st;
    if (statfs(fs.c_str(), &sf) != 0 || stat(fs.c_str(), &st) != 0)
        return DRIVE_NO_ROOT_DIR;
    switch (static_cast<uint64_t>(sf.f_type)) {
    case NFS_SUPER_MAGIC: case SMB_SUPER_MAGIC: case 0xFF534D42u /* cifs */: case 0xFE534D42u /* smb2 */:
    case AFS_SUPER_MAGIC: case CODA_SUPER_MAGIC: case V9FS_MAGIC: case 0x6B414653u /* kafs */:
        return DRIVE_REMOTE;
    case ISOFS_SUPER_MAGIC: case UDF_SUPER_MAGIC:
        return DRIVE_CDROM;
    case TMPFS_MAGIC: case RAMFS_MAGIC:
        return DRIVE_RAMDISK;
    default:
        return RemovableDevice(st.st_dev) ? DRIVE_REMOVABLE : DRIVE_FIXED;
    }
}
