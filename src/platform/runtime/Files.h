#pragma once
// Files and folders by name (1252 program paths, platform/runtime/FileNames.h):
// existence, attributes, times, folder listings with DOS masks, creating and
// removing folders, copying, moving and deleting files, sizes, disk space and
// drive kinds. Functions returning bool leave an error code in GetLastError
// (platform/runtime/SystemErrors.h) on failure.
//
// As on the original platform, a read-only file cannot be deleted or replaced,
// and a file that some open holds (in any process, platform/runtime/FileHandles.h)
// cannot be deleted or renamed (ERROR_SHARING_VIOLATION).
#include "platform/runtime/FileHandles.h"

#include <cstdint>
#include <string>
#include <vector>

// File attributes. Read-only is "nobody may write" in the permission bits;
// hidden is a name beginning with '.'; every regular file carries the archive
// bit; a special file (device, pipe, socket) counts as a system file.
constexpr int32_t faReadOnly = 0x01;
constexpr int32_t faHidden = 0x02;
constexpr int32_t faSysFile = 0x04;
constexpr int32_t faVolumeID = 0x08;
constexpr int32_t faDirectory = 0x10;
constexpr int32_t faArchive = 0x20;
constexpr int32_t faAnyFile = 0x3F;

bool FileExists(const std::string& fileName);       // a file, not a folder
bool DirectoryExists(const std::string& dirName);
// The attributes, -1 when the name does not exist.
int32_t FileGetAttr(const std::string& fileName);
// Sets or clears read-only (removes every write permission / gives the owner
// write permission back). The other attributes cannot be set on this system and
// are left as they are. 0 on success, else the error code.
int32_t FileSetAttr(const std::string& fileName, int32_t attr);

// Times by name; a null pointer skips that time (see GetFileTime / SetFileTime).
bool GetFileTimes(const std::string& fileName, TFileTime* creation, TFileTime* lastAccess, TFileTime* lastWrite);
bool SetFileTimes(const std::string& fileName, const TFileTime* lastAccess, const TFileTime* lastWrite);

// Size in bytes, -1 when the file cannot be reached.
int64_t GetFileSize(const std::string& fileName);

// True when the 1252 name matches the DOS mask, ignoring case: '*' any run of
// characters, '?' one character (or none before a dot or at the end of the
// name), "*.*" every name, "*." the names without extension; a '*' followed by a
// dot never swallows the name's last dot.
bool MatchesMask(const std::string& name, const std::string& mask);

// A folder listing: FindFirst(folder/mask, attributes, rec) then FindNext until
// it returns non-zero, then FindClose. Entries come sorted by name ignoring
// case; "." and ".." are never listed. Hidden entries, system files and folders
// are listed only when attr includes faHidden, faSysFile and faDirectory. Names
// are 1252 (aliases for names 1252 cannot hold: they open the real file).
struct TSearchRec {
    std::string Name;
    int64_t Size = 0;
    int32_t Attr = 0;
    TFileTime LastWriteTime = 0;

    struct TEntry {
        std::string Name;
        int64_t Size;
        int32_t Attr;
        TFileTime LastWriteTime;
    };
    std::vector<TEntry> Entries;  // the listing, taken whole by FindFirst
    size_t Index = 0;
};
// 0 on success, else ERROR_FILE_NOT_FOUND (nothing matches), ERROR_PATH_NOT_FOUND...
int32_t FindFirst(const std::string& path, int32_t attr, TSearchRec& rec);
// 0, or ERROR_NO_MORE_FILES after the last entry.
int32_t FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// Folders. CreateDir fails with ERROR_ALREADY_EXISTS on an existing name;
// ForceDirectories makes every missing folder of the path and is true when the
// folder exists at the end; RemoveDir removes an empty folder.
bool CreateDir(const std::string& dirName);
bool ForceDirectories(const std::string& dirName);
bool RemoveDir(const std::string& dirName);

// Copies content, permissions and last-write time. With failIfExists an existing
// target is left alone (ERROR_FILE_EXISTS); otherwise it is replaced, and only
// by a complete copy: a copy that fails leaves it as it was. The source
// is read sharing reads and writes, so a file another program writes to can
// still be copied, as long as nobody denies reading it.
bool CopyFile(const std::string& source, const std::string& target, bool failIfExists);
// Moves or renames a file or folder. An existing target is refused
// (ERROR_ALREADY_EXISTS) unless replaceExisting is set (files only). A file
// moves to another file system by copy and delete; a folder cannot.
bool MoveFile(const std::string& source, const std::string& target, bool replaceExisting = false);
bool RenameFile(const std::string& oldName, const std::string& newName);
// Deletes a file (never a folder).
bool DeleteFile(const std::string& fileName);
// Puts a complete new file in the place of another in one step, for a save
// that never leaves half a file behind: the replacement, written and flushed
// beside the replaced file (same file system), takes its name, its permissions
// and, where allowed, its owner. The replaced name may be missing (the
// replacement just takes the name, with the permissions of a newly created
// file) or a symbolic link (its target is replaced,
// the link stays). Opens of either file stay valid: an open of the replacement
// now reaches the file under the replaced name, with its sharing, and opens of
// the replaced file keep its old content. A read-only replaced file is refused
// (ERROR_ACCESS_DENIED), and so is one on another file system
// (ERROR_NOT_SAME_DEVICE); nothing changes on failure.
bool ReplaceFile(const std::string& replaced, const std::string& replacement);
// The name with its symbolic links resolved (the file itself, where a link
// leads); the name as it stands when it does not exist.
std::string GetFinalPathName(const std::string& fileName);

// Space on the file system of a path; a null pointer skips that value.
bool GetDiskFreeSpaceEx(const std::string& path, int64_t* freeToCaller, int64_t* total, int64_t* totalFree);
// The allocation unit of that file system in bytes, 0 when unknown.
int64_t GetDiskClusterSize(const std::string& path);

// Drive kinds.
constexpr uint32_t DRIVE_UNKNOWN = 0;
constexpr uint32_t DRIVE_NO_ROOT_DIR = 1;
constexpr uint32_t DRIVE_REMOVABLE = 2;
constexpr uint32_t DRIVE_FIXED = 3;
constexpr uint32_t DRIVE_REMOTE = 4;
constexpr uint32_t DRIVE_CDROM = 5;
constexpr uint32_t DRIVE_RAMDISK = 6;
// The kind of storage a path lies on: network file systems are remote, disc
// file systems CD-ROM, memory file systems RAM disks, a disk the kernel marks as
// removable (USB sticks, card readers) removable; DRIVE_NO_ROOT_DIR when the path
// does not exist.
uint32_t GetDriveType(const std::string& path);
