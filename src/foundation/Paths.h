#pragma once
// Paths, file facts, temporary files and folder trees, for the places where a
// name is shown, a temporary file is needed, a folder is measured, copied or
// removed, or a path handed in from outside must be put in its full form.
// Paths are the program's 1252 strings; folder paths returned here end with the
// separator "/".
#include <cstdint>
#include <functional>
#include <string>

#include "platform/runtime/DateTime.h"

class TCanvas;
class TStrings;

// Paths.
std::string GetCurrentFolder();
void PushCurrentFolder();
void PopCurrentFolder();
// True when both name the same file: the same text once separators are made
// "/", or, when both exist, the same file of the file system (names on this
// system are case-sensitive).
bool SameFileName(const std::string& a, const std::string& b);
std::string RemoveFileExt(const std::string& path);
// The text shown for a path in width pixels: the bare file name unless full
// paths are shown, else the path shortened in the middle with ".../". textWidth
// measures a text in the font it is shown in.
std::string GetDisplayFileName(const std::string& path, const std::function<int32_t(const std::string&)>& textWidth,
                               int32_t width);
// The same, measured in the canvas's font.
std::string GetDisplayFileName(const std::string& path, TCanvas& canvas, int32_t width);
// The full form of a path handed in from outside: the absolute path of an
// existing file or folder; any other text unchanged.
std::string ExpandLongPathName(const std::string& path);
// The system's temporary folder (this user's own); when there is none, the
// user's documents folder.
std::string GetTempFolder();
// Special folders by their shell numbers: 0 desktop, 2 programs, 5 documents,
// 7 start-up, 11 start menu, 16 desktop folder, 26 and 28 application data,
// 39 pictures, 40 home; empty for any other.
std::string GetSpecialFolder(int32_t csidl);
// The drive type of the file system the path lies on (DRIVE_REMOVABLE,
// DRIVE_CDROM, ... of platform/runtime/Files.h).
uint32_t GetDriveTypeOf(const std::string& path);
// Drive type removable or CD-ROM.
bool IsRemovableDrive(const std::string& path);

// File facts.
int64_t GetFileSizeByName(const std::string& fileName);
// The size rounded up to whole clusters of its file system.
int64_t GetFileSizeOnDisk(const std::string& fileName);
std::string FormatFileSize(const std::string& fileName);
std::string FormatFolderSize(const std::string& folder);
// The last-write (lastWrite true) or creation time in local time, to the two
// seconds of the packed DOS date and time; the current time when the file is missing.
TDateTime GetFileTimeAsDateTime(const std::string& fileName, bool lastWrite);
TDateTime GetFileCreationTime(const std::string& fileName);
TDateTime GetFileModificationTime(const std::string& fileName);
// Whether a file of that name can exist: tried in the temporary folder.
bool IsValidFileName(const std::string& name);
// Moves the file position of an open file to its start.
bool RewindFile(int32_t handle);
// Writes the text as a file, its lines ended by CR LF.
void SaveTextToFile(const std::string& fileName, const std::string& text);

// Temporary files: a new, empty file in this user's temporary folder named
// "~Eldrav" + unpredictable characters + the extension (with its dot), which
// the clean-up at start and shutdown removes; the "kept" form starts with
// "Eldrav" and survives the clean-up.
std::string GetUniqueTempFileName(const std::string& extension);
std::string GetUniqueKeptTempFileName(const std::string& extension);
// Kinds: 0 ".tmp", 1 ".ead", 2 ".rtf", 3 ".bmp".
std::string GetTempFileNameForKind(int32_t kind);
// Deletes the files and folders of this user's temporary folder whose names begin
// with "~Eldrav", unless another instance of the program is running.
void DeleteOldTempFiles();
// The shell's test for another running instance of the program, installed at
// start-up. Without one the clean-up does nothing: it cannot know that no other
// instance still uses its files. Returns the previous test.
using TOtherInstanceQuery = bool (*)();
TOtherInstanceQuery SetOtherInstanceQuery(TOtherInstanceQuery query);

// Folders.
bool FolderExists(const std::string& path);
bool IsFolderEmpty(const std::string& path);
int64_t GetClusterSize(const std::string& path);
// The whole tree, each file rounded up to whole clusters.
int64_t GetFolderSize(const std::string& path);
// Adds every file matching the mask in the folder and below (sub-folders first).
void FindFilesRecursive(const std::string& folder, const std::string& mask, TStrings& list);
bool DeleteFolderTree(const std::string& path);
void RemoveEmptySubfolders(const std::string& path);
// Copies the whole tree; existing files are replaced only with overwrite.
void CopyFolder(const std::string& source, const std::string& target, bool overwrite);

// The options holder's show-full-paths flag, installed at start-up (off until then).
using TShowFullPathsQuery = bool (*)();
TShowFullPathsQuery SetShowFullPathsQuery(TShowFullPathsQuery query);
