#pragma once
// Files opened by handle, with the original platform's access and sharing
// rules: every open states what it does (read, write) and what it lets others
// do; an open that conflicts with any other open of the same file, in this
// process or in another one, is refused with ERROR_SHARING_VIOLATION (32).
//
// Sharing is enforced through open-file-description byte-range locks on
// reserved offsets far beyond any real data (2^63 - 16 onwards): one byte each
// for "reads", "writes", "denies reading", "denies writing". An open takes
// shared locks on the bytes of its own access and denials, then looks for locks
// of other opens on the bytes that conflict with it, and gives up when it finds
// one. Open file description locks belong to the open, not to the process, so
// two opens in one process exclude each other just like two programs, and
// closing one descriptor of a file never drops the locks of another.
// Limits: programs that ignore these locks are not held back (the locks are
// advisory); a file system without such locks opens without sharing checks; a
// whole-file lock taken by another program counts as holding the file in every
// mode; and two programs opening one file at the same instant in conflicting
// modes may both be refused (never both admitted).
//
// Handles are never 0, so a stored handle of 0 means "none". Errors leave their
// code in GetLastError (platform/runtime/SystemErrors.h).
#include <cstdint>
#include <string>

using THandle = int32_t;
constexpr THandle INVALID_HANDLE_VALUE = -1;

// Access.
constexpr uint32_t GENERIC_READ = 0x80000000u;
constexpr uint32_t GENERIC_WRITE = 0x40000000u;
// Sharing granted to other opens.
constexpr uint32_t FILE_SHARE_READ = 1;
constexpr uint32_t FILE_SHARE_WRITE = 2;
// Creation disposition.
constexpr uint32_t CREATE_NEW = 1;         // fails with ERROR_FILE_EXISTS when the file exists
constexpr uint32_t CREATE_ALWAYS = 2;      // creates or empties it
constexpr uint32_t OPEN_EXISTING = 3;
constexpr uint32_t OPEN_ALWAYS = 4;        // opens, creating it when missing
constexpr uint32_t TRUNCATE_EXISTING = 5;  // opens an existing file and empties it
// Flags.
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_FLAG_WRITE_THROUGH = 0x80000000u;  // every write reaches the disk
constexpr uint32_t FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
constexpr uint32_t FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;

// Opens or creates a file (1252 name). A file created anew gets the default
// permissions; an existing file is emptied only once the sharing check passed.
// CREATE_ALWAYS and OPEN_ALWAYS leave ERROR_ALREADY_EXISTS in GetLastError when
// the file was there. A folder cannot be opened (ERROR_ACCESS_DENIED).
THandle CreateFile(const std::string& fileName, uint32_t access, uint32_t share, uint32_t disposition,
                   uint32_t flags = 0);

// The runtime's open modes: an access mode or-ed with a share mode.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;  // as exclusive
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;
// Creates the file anew for reading and writing; may be or-ed with a share mode
// (exclusive when none is given).
constexpr uint16_t fmCreate = 0xFF00;

uint32_t AccessFromMode(uint16_t mode);
uint32_t ShareFromMode(uint16_t mode);

// Opens an existing file; INVALID_HANDLE_VALUE on failure.
THandle FileOpen(const std::string& fileName, uint16_t mode);
// Creates (or empties) a file for reading and writing.
THandle FileCreate(const std::string& fileName, uint16_t shareMode = fmShareExclusive);
// Transfers up to count bytes; the count moved (0 at the end), -1 on error.
int32_t FileRead(THandle handle, void* buffer, int32_t count);
int32_t FileWrite(THandle handle, const void* buffer, int32_t count);
// origin 0 = beginning, 1 = current, 2 = end; the new position, -1 on error.
int64_t FileSeek(THandle handle, int64_t offset, int32_t origin);
void FileClose(THandle handle);
int64_t FileGetSize(THandle handle);
// Cuts or extends the file to the current position / to size.
bool SetEndOfFile(THandle handle);
bool FileSetSize(THandle handle, int64_t size);
bool FlushFileBuffers(THandle handle);

// File times: 100-nanosecond intervals since 1601-01-01 UTC, as the original
// platform counts them.
using TFileTime = int64_t;
TFileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds = 0);
// Seconds since 1970-01-01 UTC (rounded down) and the rest in nanoseconds.
int64_t UnixFromFileTime(TFileTime time, int64_t* nanoseconds = nullptr);
// Between UTC and local time, with the offset in force at that instant.
TFileTime FileTimeToLocalFileTime(TFileTime utc);
TFileTime LocalFileTimeToFileTime(TFileTime local);
// The date-time type's conversions (days since 1899-12-30) are in DateTime.h.
TFileTime CurrentFileTime();

// Times of an open file; a null pointer skips that time. The creation time is
// the file's birth time where the file system records it, else its last-write
// time; it cannot be set here (SetFileTime ignores it).
bool GetFileTime(THandle handle, TFileTime* creation, TFileTime* lastAccess, TFileTime* lastWrite);
bool SetFileTime(THandle handle, const TFileTime* creation, const TFileTime* lastAccess, const TFileTime* lastWrite);

// True when some open (any process) holds the file for reading or writing, as far
// as the sharing locks tell: such a file cannot be deleted or renamed, as on the
// original platform. fsPath is a file-system (UTF-8) path.
bool FileIsOpenElsewhere(const std::string& fsPath);
