#include "formats/BackupCopies.h"

#include "document/model/Document.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "formats/DocFileHost.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cctype>

const int32_t BackupIntervalMinutes[BackupIntervalCount] = {1,   2,   5,   10,  15,  20,  30,  45,  60,
                                                            120, 180, 240, 300, 360, 540, 720, 1440};
const char* const BackupIntervalNames[BackupIntervalCount] = {
    "1 minute",  "2 minutes", "5 minutes", "10 minutes", "15 minutes", "20 minutes",
    "30 minutes", "45 minutes", "1 heure",  "2 heures",   "3 heures",   "4 heures",
    "5 heures",  "6 heures",  "9 heures",  "12 heures",  "24 heures"};
const int32_t BackupMaxFilesTable[BackupMaxFilesCount] = {1, 2, 3, 4, 6, 10, 20, 30, 50, BackupUnlimited};

int32_t BackupIntervalOf(int32_t index)
{
    return BackupIntervalMinutes[std::clamp(index, 0, BackupIntervalCount - 1)];
}

int32_t BackupMaxFilesOf(int32_t index)
{
    return BackupMaxFilesTable[std::clamp(index, 0, BackupMaxFilesCount - 1)];
}

namespace {

void AddTwoDigits(std::string& out, int32_t value)
{
    out += static_cast<char>('0' + (value / 10) % 10);
    out += static_cast<char>('0' + value % 10);
}

// Every file of the folder tree, sub-folders' files first, with the folders
// (deepest last) when asked.
void ListTreeFiles(const std::string& folder, std::vector<TSearchRec::TEntry>& files,
                   std::vector<std::string>* folders)
{
    const std::string root = IncludeTrailingPathDelimiter(folder);
    TSearchRec rec;
    std::vector<std::string> subfolders;
    if (FindFirst(root + "*", faAnyFile | faDirectory | faHidden, rec) == 0) {
        do {
            if (rec.Attr & faDirectory)
                subfolders.push_back(root + rec.Name);
            else
                files.push_back({root + rec.Name, rec.Size, rec.Attr, rec.LastWriteTime});
        } while (FindNext(rec) == 0);
    }
    FindClose(rec);
    for (const std::string& sub : subfolders) {
        if (folders)
            folders->push_back(sub);
        ListTreeFiles(sub, files, folders);
    }
}

// Removes the sub-folders of the tree that are left empty (deepest first).
void RemoveEmptyFolders(const std::string& folder)
{
    std::vector<TSearchRec::TEntry> files;
    std::vector<std::string> folders;
    ListTreeFiles(folder, files, &folders);
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return a.size() > b.size();
    });
    for (const std::string& f : folders)
        if (IsFolderEmpty(f))
            RemoveDir(f);
}

bool LessByName(const TBackupFile& a, const TBackupFile& b)
{
    return AnsiCompareText(ExtractFileName(a.Path), ExtractFileName(b.Path)) < 0;
}

// The backups of one document, oldest first.
std::vector<TBackupFile> GroupOf(const std::vector<TBackupFile>& all, const std::string& docName)
{
    std::vector<TBackupFile> group;
    for (const TBackupFile& f : all)
        if (AnsiSameText(f.DocName, docName))
            group.push_back(f);
    return group;
}

}  // namespace

std::string FormatBackupTimeStamp(TDateTime time)
{
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(time, year, month, day);
    DecodeTime(time, hour, minute, second, msec);
    std::string stamp = " ";
    AddTwoDigits(stamp, year % 100);
    stamp += '-';
    AddTwoDigits(stamp, month);
    stamp += '-';
    AddTwoDigits(stamp, day);
    stamp += ' ';
    AddTwoDigits(stamp, hour);
    AddTwoDigits(stamp, minute);
    return stamp;
}

std::string FormatBackupTimeStamp(const std::string& fileName)
{
    return FormatBackupTimeStamp(GetFileTimeAsDateTime(fileName, true));
}

std::string MakeBackupFileName(const std::string& docName, const std::string& timeFile)
{
    const std::string name = ExtractFileName(docName);
    const std::string ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size()) + FormatBackupTimeStamp(timeFile) + ext;
}

bool HasBackupTimeStamp(const std::string& fileName)
{
    const std::string name = ExtractFileName(fileName);
    const std::string ext = ExtractFileExt(name);
    const size_t stem = name.size() - ext.size();
    if (stem < BackupStampLength)
        return false;
    // " dd-dd-dd dddd"
    static const char kPattern[] = " 00-00-00 0000";
    const std::string stamp = name.substr(stem - BackupStampLength, BackupStampLength);
    for (size_t i = 0; i < BackupStampLength; ++i) {
        const bool digit = kPattern[i] == '0';
        if (digit ? !std::isdigit(static_cast<unsigned char>(stamp[i])) : stamp[i] != kPattern[i])
            return false;
    }
    return true;
}

std::string RemoveBackupTimeStamp(const std::string& backupPath)
{
    const std::string name = ExtractFileName(backupPath);
    const std::string ext = ExtractFileExt(name);
    const size_t length = FormatBackupTimeStamp(Now()).size();
    const size_t stem = name.size() - ext.size();
    if (stem < length)
        return name;
    return name.substr(0, stem - length) + ext;
}

std::vector<TBackupFile> ListBackupFiles(const std::string& folder)
{
    std::vector<TBackupFile> result;
    if (folder.empty() || !DirectoryExists(folder))
        return result;
    std::vector<TSearchRec::TEntry> files;
    ListTreeFiles(folder, files, nullptr);
    for (const TSearchRec::TEntry& e : files) {
        if (!HasBackupTimeStamp(e.Name))
            continue;
        result.push_back({e.Name, RemoveBackupTimeStamp(e.Name), e.Size, GetFileModificationTime(e.Name)});
    }
    std::stable_sort(result.begin(), result.end(), LessByName);
    return result;
}

int64_t BackupFolderSize(const std::string& folder)
{
    if (folder.empty() || !DirectoryExists(folder))
        return 0;
    std::vector<TSearchRec::TEntry> files;
    ListTreeFiles(folder, files, nullptr);
    int64_t total = 0;
    for (const TSearchRec::TEntry& e : files)
        total += e.Size;
    return total;
}

std::vector<std::string> ListBackedUpDocuments(const std::string& folder)
{
    std::vector<std::string> names;
    for (const TBackupFile& f : ListBackupFiles(folder))
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return AnsiSameText(n, f.DocName); }))
            names.push_back(f.DocName);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    return names;
}

bool MakeBackupCopy(TDocument& document, const std::string& docName, const std::string& sourceFile)
{
    (void)document;
    TDocFileHost& host = DocFileHost();
    const TBackupOptions options = host.BackupOptions();
    if (!options.CreateBackup || options.Folder.empty())
        return true;
    if (!FileExists(sourceFile))
        return true;
    const std::string folder = IncludeTrailingPathDelimiter(options.Folder);
    ForceDirectories(folder);
    const std::string docFile = ExtractFileName(docName);
    std::vector<TBackupFile> all = ListBackupFiles(folder);
    std::vector<TBackupFile> group = GroupOf(all, docFile);

    // At most one copy per interval.
    const TDateTime sourceTime = GetFileModificationTime(sourceFile);
    if (!group.empty()) {
        TDateTime newest = group.front().Time;
        for (const TBackupFile& f : group)
            newest = std::max(newest, f.Time);
        const double minutes = (sourceTime - newest) * MinsPerDay;
        if (minutes < BackupIntervalOf(options.MinDiff))
            return true;
    }

    // The oldest copies go, so that with the new one at most MaxFiles remain.
    const int32_t maxFiles = BackupMaxFilesOf(options.MaxFiles);
    if (maxFiles != BackupUnlimited) {
        size_t keep = static_cast<size_t>(maxFiles - 1);
        for (size_t i = 0; group.size() > keep && i < group.size() - keep; ++i)
            DeleteFile(group[i].Path);
    }

    // The folder's size limit.
    const int64_t megabyte = 1048576;
    int64_t limit = static_cast<int64_t>(std::max(options.MaxAmount, 1)) * megabyte;
    const int64_t needed = GetFileSizeOnDisk(sourceFile);
    int64_t size = BackupFolderSize(folder);
    if (size > limit - needed) {
        const int32_t answer = ShowMessageDlg(
            "Votre dossier de sauvegarde a atteint sa taille limite. Vous pouvez soit supprimer certaines des "
            "sauvegardes les plus anciennes, soit augmenter la taille du dossier de sauvegarde actuel.||||Cliquez "
            "sur \"Oui\" si vous voulez qu'Eldravin supprime automatiquement une partie des sauvegardes les plus "
            "anciennes.||||Cliquez sur \"Non\" si vous voulez augmenter la taille de votre dossier de "
            "sauvegarde.||||Cliquez sur \"Annuler\" si vous voulez revoir les options de sauvegarde, ou bien "
            "supprimer des fichiers de sauvegarde manuellement.",
            mtConfirmation, mbYesNoCancel);
        if (answer == mrYes) {
            // Oldest first by their stamps; files without a stamp are never touched.
            std::vector<TBackupFile> files = ListBackupFiles(folder);
            std::stable_sort(files.begin(), files.end(), [](const TBackupFile& a, const TBackupFile& b) {
                const std::string sa = ExtractFileName(a.Path), sb = ExtractFileName(b.Path);
                const std::string ta = sa.substr(sa.size() - ExtractFileExt(sa).size() - BackupStampLength + 1, 13);
                const std::string tb = sb.substr(sb.size() - ExtractFileExt(sb).size() - BackupStampLength + 1, 13);
                return ta < tb;
            });
            for (const TBackupFile& f : files) {
                if (BackupFolderSize(folder) <= limit - needed)
                    break;
                DeleteFile(f.Path);
            }
        } else if (answer == mrNo) {
            int32_t amount = std::max(options.MaxAmount, 1);
            while (size > static_cast<int64_t>(amount) * megabyte - needed)
                amount = std::max(amount + 1, static_cast<int32_t>(static_cast<int64_t>(amount) * 12 / 10));
            host.SetBackupMaxAmount(amount);
        } else {
            host.ShowBackupOptions();
            return true;
        }
    }

    RemoveEmptyFolders(folder);
    std::string target = folder;
    if (options.SepFolders && maxFiles > 1) {
        target = IncludeTrailingPathDelimiter(folder + docFile);
        ForceDirectories(target);
    }
    const std::string copyName = target + MakeBackupFileName(docName, sourceFile);
    if (copyName.size() >= 256) {
        ShowInformation("Eldravin ne peut pas sauvegarder||\"" + docName +
                        "\"||parce que le nom de ce fichier est trop long.||||Veuillez, s'il vous plaît, ou bien "
                        "désactiver l'option \"Créer des sauvegardes\" (commandes \"Outils | Options...\", "
                        "\"Chargement/Enregistrement\", \"Sauvegardes...\"), ou bien enregistrer ce document avec un "
                        "nom plus court (commande \"Fichier | Enregistrer sous...\")");
        return false;
    }
    while (!CopyFile(sourceFile, copyName, false)) {
        if (ShowMessageDlg("Erreur lors de la création d'une copie de sauvegarde (" + copyName +
                               ") pour le document \"" + docName + "\". S'il vous plaît, veuillez vérifier que le "
                               "fichier \"" + copyName + "\" n'est pas en cours d'utilisation dans une autre "
                               "application ou qu'il y a assez d'espace libre sur le lecteur de destination.",
                           mtError, mbRetry | mbCancel) != mrRetry)
            return false;
    }
    return true;
}

void DeleteExcessBackups(const std::string& folder, int32_t maxCopies)
{
    const std::vector<TBackupFile> all = ListBackupFiles(folder);
    // Runs of one document's copies, in name order: the oldest first.
    size_t start = 0;
    while (start < all.size()) {
        size_t end = start;
        while (end < all.size() && AnsiSameText(all[end].DocName, all[start].DocName))
            ++end;
        const size_t count = end - start;
        if (maxCopies >= 0 && count > static_cast<size_t>(maxCopies))
            for (size_t i = start; i < end - static_cast<size_t>(maxCopies); ++i)
                DeleteFile(all[i].Path);
        start = end;
    }
    RemoveEmptyFolders(folder);
}

void DeleteBackupsOf(const std::string& folder, const std::vector<std::string>& docNames)
{
    for (const TBackupFile& f : ListBackupFiles(folder))
        if (std::any_of(docNames.begin(), docNames.end(),
                        [&](const std::string& n) { return AnsiSameText(n, f.DocName); }))
            DeleteFile(f.Path);
    RemoveEmptyFolders(folder);
}

void DeleteAllBackups(const std::string& folder)
{
    for (const TBackupFile& f : ListBackupFiles(folder))
        DeleteFile(f.Path);
    RemoveEmptyFolders(folder);
}

bool TransferFolderFiles(const std::string& source, const std::string& target, bool move, bool overwrite,
                         std::vector<std::string>& skipped)
{
    const std::string from = IncludeTrailingPathDelimiter(source);
    const std::string to = IncludeTrailingPathDelimiter(target);
    std::vector<TSearchRec::TEntry> files;
    std::vector<std::string> folders;
    ListTreeFiles(source, files, &folders);
    ForceDirectories(to);
    for (const std::string& f : folders)
        ForceDirectories(to + f.substr(from.size()));
    for (const TSearchRec::TEntry& e : files) {
        const std::string relative = e.Name.substr(from.size());
        const std::string copy = to + relative;
        bool inPlace = false;
        if (FileExists(copy) && !overwrite)
            inPlace = false;  // the file there is the user's: kept, and the source stays too
        else
            inPlace = CopyFile(e.Name, copy, false);
        if (!inPlace) {
            skipped.push_back(e.Name);
            continue;
        }
        if (move && !DeleteFile(e.Name))
            skipped.push_back(e.Name);
    }
    if (move)
        RemoveEmptyFolders(source);
    return skipped.empty();
}
