#pragma once
// Backup copies of document files: their names (the document's file name with
// a date-time stamp before the extension), the copy made before and after a
// save within the limits of the backup options, and the housekeeping the
// backup settings dialogs run over the backup folder. Only files that carry
// the stamp count as backups: anything else a user keeps in the folder is
// never listed, counted against a document or deleted.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/DateTime.h"

class TDocument;

// Backup_MinDiff: the least time between two copies of a document, in
// minutes, by option index.
constexpr int32_t BackupIntervalCount = 17;
extern const int32_t BackupIntervalMinutes[BackupIntervalCount];
extern const char* const BackupIntervalNames[BackupIntervalCount];
// Backup_MaxFiles: copies kept per document, by option index ("Max" last).
constexpr int32_t BackupMaxFilesCount = 10;
extern const int32_t BackupMaxFilesTable[BackupMaxFilesCount];
constexpr int32_t BackupUnlimited = 2147483647;
int32_t BackupIntervalOf(int32_t index);
int32_t BackupMaxFilesOf(int32_t index);

// " YY-MM-DD HHMM" (14 characters) of the time.
std::string FormatBackupTimeStamp(TDateTime time);
// The stamp of the file's last-write time.
std::string FormatBackupTimeStamp(const std::string& fileName);
constexpr size_t BackupStampLength = 14;
// The backup file name of a document: its file name (no folder) without the
// extension, the stamp of timeFile's last-write time, the extension.
std::string MakeBackupFileName(const std::string& docName, const std::string& timeFile);
// The document file name a backup path stands for (the stamp removed).
std::string RemoveBackupTimeStamp(const std::string& backupPath);
// The file name carries a well-formed stamp before its extension.
bool HasBackupTimeStamp(const std::string& fileName);

struct TBackupFile {
    std::string Path;
    // The document's file name (RemoveBackupTimeStamp).
    std::string DocName;
    int64_t Size = 0;
    TDateTime Time = 0;
};
// The stamped files of the folder and its sub-folders, by file name ignoring
// case (which is their order of age within a document).
std::vector<TBackupFile> ListBackupFiles(const std::string& folder);
// The total size of the folder's files (all of them: the disk space used).
int64_t BackupFolderSize(const std::string& folder);
// The document names that have backups, each once ignoring case, in order.
std::vector<std::string> ListBackedUpDocuments(const std::string& folder);

// Copies sourceFile into the backup folder as a backup of docName, under the
// backup options; false stops the save that asked for it.
bool MakeBackupCopy(TDocument& document, const std::string& docName, const std::string& sourceFile);

// Deletes, per document, the oldest copies beyond maxCopies; empty sub-folders
// go as well.
void DeleteExcessBackups(const std::string& folder, int32_t maxCopies);
// Deletes every backup of the named documents (names compared ignoring case).
void DeleteBackupsOf(const std::string& folder, const std::vector<std::string>& docNames);
// Deletes every backup file of the folder tree and the sub-folders left empty;
// the folder itself and whatever else it holds stay.
void DeleteAllBackups(const std::string& folder);

// Copies (or moves) the files of the folder tree into the target folder:
// files of the same name are replaced only with overwrite. When moving, each
// source file is deleted only once its own copy is in place, and the folders
// left empty are removed. The files not copied (or, moving, not deleted) are
// listed in skipped; true when there are none.
bool TransferFolderFiles(const std::string& source, const std::string& target, bool move, bool overwrite,
                         std::vector<std::string>& skipped);
