#pragma once
// The setup program's small routines: its temporary files, folder creation
// and tree copies that log what they make, shortcuts, cluster rounding and
// the size format of the components page, the install log that the
// uninstaller reads back, and the test for a running copy of the program.
#include <cstdint>
#include <string>

class TStrings;

// The setup's title; its ASCII letters make the temporary-file prefix.
extern const char* const SetupTitle;
// The installed program's file name in the installation folder.
extern const char* const ProgramExeName;

// "~" followed by the ASCII letters of the setup title.
std::string GetTempFilePrefix();
// The first name "<temporary folder><prefix><n><extension>" (n counting from
// 0) that does not exist yet. Made with O_EXCL semantics: the file is created
// empty so that no other process can take the same name in between.
std::string MakeTempFileNameWithExt(const std::string& extension);
std::string MakeTempFileName();
// Deletes every file, and every folder as a whole tree, of the temporary
// folder whose name begins with the prefix.
void DeleteTempFiles();

// Appends the names (or full paths) of the folder's subfolders.
void ListSubfolders(const std::string& folder, TStrings& list, bool fullPaths);
// The size rounded up to whole clusters of the given cluster size (an exact
// multiple stays), and the same with the cluster size of the path's drive.
int64_t RoundUpToClusters(int64_t size, int64_t clusterSize);
int64_t RoundToClusters(const std::string& path, int64_t size);
// "1,50 Mo", "1 536 Ko", "2 Mo": a space between thousands, the decimal
// separator of the format settings.
std::string FormatDiskSize(int64_t size);

// The folder, a separator when the folder is not empty and does not end with
// one, then the name.
std::string AppendPathName(const std::string& folder, const std::string& name);
// Creates the folder and each missing parent, parents first, logging
// "Made Dir: " for each one made. Failures are left to the file creation
// that follows.
void ForceFolders(const std::string& path);
// Copies the source tree into the target: folders are made (and logged),
// files copied (and logged) only when the target has none of that name.
// Only what the source held before the copy began is visited.
void CopyFolderWithLog(const std::string& source, const std::string& target);
// Writes a desktop entry for the target (its arguments, its working folder)
// and logs "File Copy: " with the entry's path. The icon file and index are
// written as the entry's icon when an icon file is given. Returns false when
// the entry cannot be written.
bool CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& arguments,
                     int32_t iconIndex, const std::string& iconFile, const std::string& workingFolder);

// The install log: a list of lines kept in memory from the start of the
// installation until it is saved. StartInstallLog loads an existing log at the
// path so that its lines stay; without a started log nothing is recorded.
// The log is used from one thread at a time (the wizard before and after the
// install thread, the thread while it runs); a mutex keeps it sound anyway.
void StartInstallLog(const std::string& path);
bool InstallLogStarted();
const std::string& InstallLogPath();
void LogInstallAction(const std::string& line);
void SuspendInstallLog();
void ResumeInstallLog();
bool InstallLogSuspended();
// The lines logged so far (joined by CR LF).
std::string InstallLogText();
// Writes the log to its path (lines ended by CR LF); false on failure.
bool SaveInstallLog();
// Forgets the log (after it was saved).
void EndInstallLog();

// Undoes an install log: the log file is deleted first (it lies in the
// installation folder), then its lines from the last to the first: "File
// Copy: " deletes the file, "Made Dir: " removes the folder when it is empty
// (anything the user put there stays), other lines are ignored. Paths outside the log's own installation are handled the
// same: the log lists only what the installer wrote. False when the log cannot
// be read.
bool UndoInstallLog(const std::string& logPath);

// True when a copy of the program runs for this user: a process of the user
// whose executable is named ProgramExeName (the desktop has no window list
// that other programs may read).
bool IsProgramRunning();
// Tests replace the query (nullptr restores the process scan); returns the previous one.
using TProgramRunningQuery = bool (*)();
TProgramRunningQuery SetProgramRunningQuery(TProgramRunningQuery query);

// The user's desktop folder, the applications menu folder (the "Programs"
// folder of the menu), and the default "program files" folder of a per-user
// installation (~/.local/opt).
std::string UserDesktopFolder();
std::string UserProgramsFolder();
std::string UserProgramFilesFolder();
