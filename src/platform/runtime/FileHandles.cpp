#include "platform/runtime/FileHandles.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/SystemErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <limits>
#include <mutex>

namespace {

// The sharing bytes (see the header).
constexpr off_t kShareBase = std::numeric_limits<off_t>::max() - 15;
enum TShareByte { sbReads, sbWrites, sbDeniesRead, sbDeniesWrite, sbCount };

// Opens of this process are checked one at a time, so that two of its threads
// never refuse each other in the window between taking and testing locks.
std::mutex& OpenMutex()
{
    static std::mutex m;
    return m;
}

bool LockingUnsupported(int err)
{
    return err == EINVAL || err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS;
}

int HoldByte(int fd, int byte)
{
    struct flock fl = {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kShareBase + byte;
    fl.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &fl);
}

// 1 when another open holds a lock on the byte, 0 when none does, -1 when the
// file system cannot tell.
int HeldByOther(int fd, int byte)
{
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kShareBase + byte;
    fl.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &fl) < 0)
        return -1;
    return fl.l_type == F_UNLCK ? 0 : 1;
}

// Takes this open's sharing locks and checks them against the other opens.
uint32_t ApplySharing(int fd, uint32_t access, uint32_t share)
{
    const bool reads = access & GENERIC_READ;
    const bool writes = access & GENERIC_WRITE;
    if (!reads && !writes)
        return ERROR_SUCCESS;  // an open for querying only takes part in no sharing
    const bool hold[sbCount] = {reads, writes, !(share & FILE_SHARE_READ), !(share & FILE_SHARE_WRITE)};
    for (int b = 0; b < sbCount; ++b) {
        if (hold[b] && HoldByte(fd, b) < 0) {
            if (errno == EAGAIN || errno == EACCES)
                return ERROR_SHARING_VIOLATION;  // another program's lock over the whole file
            if (LockingUnsupported(errno))
                return ERROR_SUCCESS;
            return ErrorFromErrno(errno);
        }
    }
    // Reading conflicts with someone denying reads, writing with someone denying
    // writes, denying reads with someone reading, denying writes with someone writing.
    const int conflicting[sbCount] = {sbDeniesRead, sbDeniesWrite, sbReads, sbWrites};
    for (int b = 0; b < sbCount; ++b) {
        if (!hold[b])
            continue;
        const int held = HeldByOther(fd, conflicting[b]);
        if (held < 0)
            return ERROR_SUCCESS;
        if (held > 0)
            return ERROR_SHARING_VIOLATION;
    }
    return ERROR_SUCCESS;
}

uint32_t OpenError(int err, const std::string& fsName)
{
    if (err == ENOENT) {
        // A missing folder on the way is a path error, as the original platform says.
        const std::string dir = ExtractFileDir(fsName);
        struct stat st;
        if (!dir.empty() && stat(dir.c_str(), &st) != 0)
            return ERROR_PATH_NOT_FOUND;
    }
    return ErrorFromErrno(err);
}

THandle Fail(uint32_t code)
{
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

THandle CreateFile(const std::string& fileName, uint32_t access, uint32_t share, uint32_t disposition,
                   uint32_t flags)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING || fileName.empty())
        return Fail(ERROR_INVALID_PARAMETER);
    const std::string fs = FileSystemName(fileName);
    const bool reads = access & GENERIC_READ;
    const bool writes = access & GENERIC_WRITE;
    const bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;

    // A write-only open is made read-write when the file allows it: the sharing
    // locks need a readable descriptor. A file nobody may read is then opened
    // write-only, outside the sharing checks.
    int accMode = (writes || truncate) ? O_RDWR : O_RDONLY;
    bool canShare = true;
    int base = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // non-blocking so that a FIFO cannot hang the open
    if (flags & FILE_FLAG_WRITE_THROUGH)
        base |= O_DSYNC;

    std::lock_guard<std::mutex> guard(OpenMutex());
    int fd = -1;
    bool created = false;
    for (;;) {
        if (disposition == CREATE_NEW) {
            fd = open(fs.c_str(), base | accMode | O_CREAT | O_EXCL, 0666);
            created = fd >= 0;
        } else {
            fd = open(fs.c_str(), base | accMode);
            if (fd < 0 && errno == ENOENT && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)) {
                fd = open(fs.c_str(), base | accMode | O_CREAT | O_EXCL, 0666);
                if (fd < 0 && errno == EEXIST)
                    continue;  // made by someone else meanwhile: open it as existing
                created = fd >= 0;
            }
        }
        if (fd < 0 && errno == EACCES && accMode == O_RDWR && !reads && !truncate) {
            accMode = O_WRONLY;
            canShare = false;
            continue;
        }
        if (fd < 0 && errno == EACCES && !reads && !writes && accMode == O_RDONLY) {
            accMode = O_PATH;  // querying a file that cannot be read
            continue;
        }
        break;
    }
    if (fd < 0)
        return Fail(OpenError(errno, fs));

    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return Fail(ERROR_ACCESS_DENIED);
    }
    // A read-only file is never opened for writing, whoever asks: the
    // permission bits play the part of the read-only attribute.
    if ((writes || truncate) && !created && S_ISREG(st.st_mode) && !(st.st_mode & 0222)) {
        close(fd);
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (accMode != O_PATH)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (fd < 3) {
        // Never hand out 0 (a stored 0 means "no handle") nor a standard stream.
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        close(fd);
        if (moved < 0)
            return Fail(SetLastErrorFromErrno());
        fd = moved;
    }

    const uint32_t shareError = canShare && accMode != O_PATH ? ApplySharing(fd, access, share) : ERROR_SUCCESS;
    if (shareError != ERROR_SUCCESS) {
        close(fd);
        if (created)
            unlink(fs.c_str());
        return Fail(shareError);
    }
    if (truncate && !created && ftruncate(fd, 0) != 0) {
        const int err = errno;
        close(fd);
        return Fail(ErrorFromErrno(err));
    }
    if (flags & FILE_FLAG_SEQUENTIAL_SCAN)
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    else if (flags & FILE_FLAG_RANDOM_ACCESS)
        posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    const bool reportExisting = !created && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return fd;
}

uint32_t AccessFromMode(uint16_t mode)
{
    if ((mode & 0xFF00) == fmCreate)
        return GENERIC_READ | GENERIC_WRITE;
    switch (mode & 3) {
    case fmOpenWrite: return GENERIC_WRITE;
    case fmOpenReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
    }
}

uint32_t ShareFromMode(uint16_t mode)
{
    switch (mode & 0xF0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;  // exclusive and compatibility mode
    }
}

THandle FileOpen(const std::string& fileName, uint16_t mode)
{
    if ((mode & 3) == 3)
        return Fail(ERROR_INVALID_PARAMETER);
    return CreateFile(fileName, AccessFromMode(mode), ShareFromMode(mode), OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

THandle FileCreate(const std::string& fileName, uint16_t shareMode)
{
    return CreateFile(fileName, GENERIC_READ | GENERIC_WRITE, ShareFromMode(shareMode), CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL);
}

int32_t FileRead(THandle handle, void* buffer, int32_t count)
{
    if (count < 0)
        return SetLastError(ERROR_INVALID_PARAMETER), -1;
    auto* p = static_cast<char*>(buffer);
    int32_t total = 0;
    while (total < count) {
        const ssize_t n = read(handle, p + total, static_cast<size_t>(count - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetLastErrorFromErrno();
            return total > 0 ? total : -1;
        }
        if (n == 0)
            break;
        total += static_cast<int32_t>(n);
    }
    return total;
}

int32_t FileWrite(THandle handle, const void* buffer, int32_t count)
{
    if (count < 0)
        return SetLastError(ERROR_INVALID_PARAMETER), -1;
    const auto* p = static_cast<const char*>(buffer);
    int32_t total = 0;
    while (total < count) {
        const ssize_t n = write(handle, p + total, static_cast<size_t>(count - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetLastErrorFromErrno();
            return total > 0 ? total : -1;
        }
        total += static_cast<int32_t>(n);
    }
    return total;
}

int64_t FileSeek(THandle handle, int64_t offset, int32_t origin)
{
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
    if (whence < 0)
        return SetLastError(ERROR_INVALID_PARAMETER), -1;
    const off_t pos = lseek(handle, offset, whence);
    if (pos < 0)
        SetLastErrorFromErrno();
    return pos;
}

void FileClose(THandle handle)
{
    if (handle > 0)
        close(handle);
}

int64_t FileGetSize(THandle handle)
{
    struct stat st;
    if (fstat(handle, &st) != 0)
        return SetLastErrorFromErrno(), -1;
    return st.st_size;
}

bool SetEndOfFile(THandle handle)
{
    const off_t pos = lseek(handle, 0, SEEK_CUR);
    return pos >= 0 && FileSetSize(handle, pos);
}

bool FileSetSize(THandle handle, int64_t size)
{
    if (ftruncate(handle, size) != 0)
        return SetLastErrorFromErrno(), false;
    return true;
}

bool FlushFileBuffers(THandle handle)
{
    if (fsync(handle) != 0)
        return SetLastErrorFromErrno(), false;
    return true;
}

// --- File times ---------------------------------------------------------------

namespace {
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kUnixEpochSeconds = 11'644'473'600;  // 1601-01-01 to 1970-01-01

int64_t UtcOffsetSeconds(int64_t unixSeconds)
{
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local;
    if (!localtime_r(&t, &local))
        return 0;
    return local.tm_gmtoff;
}

TFileTime FromTimespec(const struct timespec& ts)
{
    return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

struct timespec ToTimespec(const TFileTime* t)
{
    struct timespec ts = {};
    if (!t) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    int64_t ns = 0;
    ts.tv_sec = static_cast<time_t>(UnixFromFileTime(*t, &ns));
    ts.tv_nsec = static_cast<long>(ns);
    return ts;
}
}  // namespace

TFileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds)
{
    return (seconds + kUnixEpochSeconds) * kTicksPerSecond + nanoseconds / 100;
}

int64_t UnixFromFileTime(TFileTime time, int64_t* nanoseconds)
{
    int64_t seconds = time / kTicksPerSecond;
    int64_t rest = time % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    if (nanoseconds)
        *nanoseconds = rest * 100;
    return seconds - kUnixEpochSeconds;
}

TFileTime FileTimeToLocalFileTime(TFileTime utc)
{
    return utc + UtcOffsetSeconds(UnixFromFileTime(utc)) * kTicksPerSecond;
}

TFileTime LocalFileTimeToFileTime(TFileTime local)
{
    // The offset is that of the UTC instant, found from a first guess.
    const int64_t guess = UnixFromFileTime(local) - UtcOffsetSeconds(UnixFromFileTime(local));
    return local - UtcOffsetSeconds(guess) * kTicksPerSecond;
}


TFileTime CurrentFileTime()
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return FromTimespec(ts);
}

bool GetFileTime(THandle handle, TFileTime* creation, TFileTime* lastAccess, TFileTime* lastWrite)
{
    struct statx sx;
    if (statx(handle, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return SetLastErrorFromErrno(), false;
    const auto conv = [](const struct statx_timestamp& t) { return FileTimeFromUnix(t.tv_sec, t.tv_nsec); };
    if (creation)
        *creation = (sx.stx_mask & STATX_BTIME) ? conv(sx.stx_btime) : conv(sx.stx_mtime);
    if (lastAccess)
        *lastAccess = conv(sx.stx_atime);
    if (lastWrite)
        *lastWrite = conv(sx.stx_mtime);
    return true;
}

bool SetFileTime(THandle handle, const TFileTime*, const TFileTime* lastAccess, const TFileTime* lastWrite)
{
    const struct timespec times[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
    if (futimens(handle, times) != 0)
        return SetLastErrorFromErrno(), false;
    return true;
}

bool FileIsOpenElsewhere(const std::string& fsPath)
{
    const int fd = open(fsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = HeldByOther(fd, sbReads) > 0 || HeldByOther(fd, sbWrites) > 0;
    close(fd);
    return held;
}
