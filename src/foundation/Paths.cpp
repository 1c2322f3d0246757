#include "foundation/Paths.h"

#include "platform/framework/Canvas.h"
#include "foundation/StringRoutines.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <filesystem>
#include <system_error>

namespace {

TOtherInstanceQuery g_OtherInstanceQuery = nullptr;
TShowFullPathsQuery g_ShowFullPathsQuery = nullptr;

const char kTempPrefix[] = "~Eldrav";
const char kKeptTempPrefix[] = "Eldrav";

std::string Normalised(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

// A symbolic link is never followed by the tree walks: deleting or measuring a
// tree must not reach into what the link points to.
bool IsSymbolicLink(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_symlink(FileSystemName(ExcludeTrailingPathDelimiter(path)), ec);
}

// The entries of a folder other than "." and "..": folders (hidden ones too)
// and files.
std::vector<TSearchRec::TEntry> ListFolder(const std::string& folder)
{
    std::vector<TSearchRec::TEntry> entries;
    TSearchRec rec;
    if (FindFirst(IncludeTrailingPathDelimiter(folder) + "*.*", faAnyFile, rec) == 0) {
        do
            entries.push_back({rec.Name, rec.Size, rec.Attr, rec.LastWriteTime});
        while (FindNext(rec) == 0);
    }
    FindClose(rec);
    return entries;
}

int64_t RoundUpToClusters(int64_t size, int64_t cluster)
{
    if (cluster <= 0 || size <= 0)
        return size;
    return (size + cluster - 1) / cluster * cluster;
}

int64_t FolderSize(const std::string& folder, int64_t cluster)
{
    int64_t total = 0;
    for (const TSearchRec::TEntry& e : ListFolder(folder)) {
        const std::string path = IncludeTrailingPathDelimiter(folder) + e.Name;
        if ((e.Attr & faDirectory) && !IsSymbolicLink(path))
            total += FolderSize(path, cluster);
        else
            total += RoundUpToClusters(e.Size, cluster);
    }
    return total;
}

// Adds the files of the tree relative to the root ("sub/name"), sub-folders first.
void ListTree(const std::string& root, const std::string& relative, std::vector<std::string>& folders,
              std::vector<std::string>& files)
{
    const std::string folder = IncludeTrailingPathDelimiter(root) + relative;
    const std::vector<TSearchRec::TEntry> entries = ListFolder(folder);
    for (const TSearchRec::TEntry& e : entries) {
        if ((e.Attr & faDirectory) && !IsSymbolicLink(IncludeTrailingPathDelimiter(folder) + e.Name)) {
            folders.push_back(relative + e.Name);
            ListTree(root, relative + e.Name + "/", folders, files);
        }
    }
    for (const TSearchRec::TEntry& e : entries)
        if (!(e.Attr & faDirectory) || IsSymbolicLink(IncludeTrailingPathDelimiter(folder) + e.Name))
            files.push_back(relative + e.Name);
}

}  // namespace

TOtherInstanceQuery SetOtherInstanceQuery(TOtherInstanceQuery query)
{
    TOtherInstanceQuery previous = g_OtherInstanceQuery;
    g_OtherInstanceQuery = query;
    return previous;
}

TShowFullPathsQuery SetShowFullPathsQuery(TShowFullPathsQuery query)
{
    TShowFullPathsQuery previous = g_ShowFullPathsQuery;
    g_ShowFullPathsQuery = query;
    return previous;
}

// ---- paths ----

std::string GetCurrentFolder()
{
    return IncludeTrailingPathDelimiter(GetCurrentDir());
}

void PushCurrentFolder()
{
    PushCurrentDir();
}

void PopCurrentFolder()
{
    PopCurrentDir();
}

bool SameFileName(const std::string& a, const std::string& b)
{
    if (Normalised(a) == Normalised(b))
        return true;
    std::error_code ec;
    const std::filesystem::path pa = FileSystemName(a), pb = FileSystemName(b);
    return std::filesystem::exists(pa, ec) && std::filesystem::exists(pb, ec) &&
           std::filesystem::equivalent(pa, pb, ec);
}

std::string RemoveFileExt(const std::string& path)
{
    return ChangeFileExt(path, "");
}

std::string GetDisplayFileName(const std::string& path, const std::function<int32_t(const std::string&)>& textWidth,
                               int32_t width)
{
    const bool showFullPaths = g_ShowFullPathsQuery && g_ShowFullPathsQuery();
    // A folder path (ending with its separator) is always shown as a path.
    if (!showFullPaths && ExtractFilePath(path) != path)
        return ExtractFileName(path);
    if (textWidth(path) <= width)
        return path;
    // The root of the path ("/" here, "C:\" in a path written on Windows), then
    // the first folder are kept; folders after them give way to ".../" until
    // the text fits, keeping at least the last two.
    const std::string p = Normalised(path);
    size_t rootLength = 0;
    if (!p.empty() && p[0] == '/')
        rootLength = 1;
    else if (p.size() >= 3 && p[1] == ':' && p[2] == '/')
        rootLength = 3;
    int32_t separators = 0;
    for (size_t i = rootLength; i < p.size(); ++i)
        separators += p[i] == '/';
    if (separators <= 2)
        return path;
    const size_t keepEnd = p.find('/', rootLength) + 1;
    std::string kept = path.substr(0, keepEnd);
    std::string rest = path.substr(keepEnd);
    const std::string ellipsis = std::string("...") + path[keepEnd - 1];
    while (separators >= 3 && textWidth(kept + ellipsis + rest) >= width) {
        size_t next = rest.find_first_of("/\\");
        if (next == std::string::npos)
            break;
        rest.erase(0, next + 1);
        --separators;
    }
    return kept + ellipsis + rest;
}

std::string GetDisplayFileName(const std::string& path, TCanvas& canvas, int32_t width)
{
    return GetDisplayFileName(path, [&canvas](const std::string& text) { return canvas.TextWidth(text); }, width);
}

std::string ExpandLongPathName(const std::string& path)
{
    if (path.empty() || (!FileExists(path) && !DirectoryExists(path)))
        return path;
    return ExpandFileName(path);
}

std::string GetTempFolder()
{
    const std::string temp = GetTempPath();
    if (!temp.empty() && DirectoryExists(temp))
        return IncludeTrailingPathDelimiter(temp);
    return IncludeTrailingPathDelimiter(GetSpecialFolder(5));
}

std::string GetSpecialFolder(int32_t csidl)
{
    switch (csidl) {
    case 0:    // desktop
    case 16:   // desktop folder
        return GetUserFolder(TUserFolder::ufDesktop);
    case 5:    // documents
        return GetUserFolder(TUserFolder::ufDocuments);
    case 2:    // programs of the start menu
    case 11:   // start menu
        return GetUserFolder(TUserFolder::ufData) + "/applications";
    case 7:    // programs started with the session
        return GetUserFolder(TUserFolder::ufConfig) + "/autostart";
    case 21:   // templates
        return GetUserFolder(TUserFolder::ufTemplates);
    case 26:   // application data
        return GetUserFolder(TUserFolder::ufConfig);
    case 28:   // local application data
        return GetUserFolder(TUserFolder::ufData);
    case 39:   // pictures
        return GetUserFolder(TUserFolder::ufPictures);
    case 40:   // the user's profile
        return GetUserFolder(TUserFolder::ufHome);
    default:
        return {};
    }
}

uint32_t GetDriveTypeOf(const std::string& path)
{
    return GetDriveType(path);
}

bool IsRemovableDrive(const std::string& path)
{
    const uint32_t type = GetDriveTypeOf(path);
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

// ---- file facts ----

int64_t GetFileSizeByName(const std::string& fileName)
{
    return GetFileSize(fileName);
}

int64_t GetFileSizeOnDisk(const std::string& fileName)
{
    return RoundUpToClusters(GetFileSize(fileName), GetDiskClusterSize(fileName));
}

std::string FormatFileSize(const std::string& fileName)
{
    return FormatByteSize(GetFileSizeByName(fileName));
}

std::string FormatFolderSize(const std::string& folder)
{
    return FormatByteSize(GetFolderSize(folder));
}

TDateTime GetFileTimeAsDateTime(const std::string& fileName, bool lastWrite)
{
    TFileTime creation = 0, written = 0;
    if (!GetFileTimes(fileName, &creation, nullptr, &written))
        return Now();
    const TFileTime local = FileTimeToLocalFileTime(lastWrite ? written : creation);
    // Through the packed DOS date and time, as the program always showed it.
    return FileDateToDateTime(DateTimeToFileDate(FileTimeToDateTime(static_cast<uint64_t>(local))));
}

TDateTime GetFileCreationTime(const std::string& fileName)
{
    return GetFileTimeAsDateTime(fileName, false);
}

TDateTime GetFileModificationTime(const std::string& fileName)
{
    return GetFileTimeAsDateTime(fileName, true);
}

bool IsValidFileName(const std::string& name)
{
    const std::string path = GetTempFolder() + name;
    if (FileExists(path)) {
        THandle h = FileOpen(path, fmOpenRead | fmShareDenyNone);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        FileClose(h);
        return true;
    }
    THandle h = CreateFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FileClose(h);
    DeleteFile(path);
    return true;
}

bool RewindFile(int32_t handle)
{
    return FileSeek(handle, 0, 0) == 0;
}

void SaveTextToFile(const std::string& fileName, const std::string& text)
{
    TStringList lines;
    lines.SetText(text);
    lines.SaveToFile(fileName);
}

// ---- temporary files ----

std::string GetUniqueTempFileName(const std::string& extension)
{
    return GetTempFileName(GetTempFolder(), kTempPrefix, extension);
}

std::string GetUniqueKeptTempFileName(const std::string& extension)
{
    return GetTempFileName(GetTempFolder(), kKeptTempPrefix, extension);
}

std::string GetTempFileNameForKind(int32_t kind)
{
    static const char* const kExtensions[] = {"tmp", "ead", "rtf", "bmp"};
    const char* ext = (kind >= 0 && kind < 4) ? kExtensions[kind] : kExtensions[0];
    return GetUniqueTempFileName(std::string(".") + ext);
}

void DeleteOldTempFiles()
{
    if (!g_OtherInstanceQuery || g_OtherInstanceQuery())
        return;
    // The folder is this user's own: everything in it was made by this user's
    // program runs.
    const std::string temp = GetTempPath();
    if (temp.empty())
        return;
    for (const TSearchRec::TEntry& e : ListFolder(temp)) {
        if (e.Name.compare(0, sizeof kTempPrefix - 1, kTempPrefix) != 0)
            continue;
        const std::string path = IncludeTrailingPathDelimiter(temp) + e.Name;
        if ((e.Attr & faDirectory) && !IsSymbolicLink(path))
            DeleteFolderTree(path);
        else
            DeleteFile(path);
    }
}

// ---- folders ----

bool FolderExists(const std::string& path)
{
    if (!DirectoryExists(path))
        return false;
    // It must also be possible to make it current.
    PushCurrentDir();
    const bool entered = SetCurrentDir(path);
    PopCurrentDir();
    return entered;
}

bool IsFolderEmpty(const std::string& path)
{
    return ListFolder(path).empty();
}

int64_t GetClusterSize(const std::string& path)
{
    return GetDiskClusterSize(path);
}

int64_t GetFolderSize(const std::string& path)
{
    return FolderSize(path, GetClusterSize(path));
}

void FindFilesRecursive(const std::string& folder, const std::string& mask, TStrings& list)
{
    std::vector<std::string> folders, files;
    ListTree(folder, "", folders, files);
    const std::string root = IncludeTrailingPathDelimiter(folder);
    // ListTree gives each folder's files after its sub-folders' files.
    for (const std::string& f : files)
        if (MatchesMask(ExtractFileName(f), mask))
            list.Add(root + f);
}

bool DeleteFolderTree(const std::string& path)
{
    const std::string folder = IncludeTrailingPathDelimiter(path);
    for (const TSearchRec::TEntry& e : ListFolder(folder)) {
        const std::string entry = folder + e.Name;
        if ((e.Attr & faDirectory) && !IsSymbolicLink(entry)) {
            DeleteFolderTree(entry);
        } else if (IsSymbolicLink(entry)) {
            std::error_code ec;
            std::filesystem::remove(FileSystemName(entry), ec);
        } else {
            DeleteFile(entry);
        }
    }
    return RemoveDir(ExcludeTrailingPathDelimiter(path));
}

void RemoveEmptySubfolders(const std::string& path)
{
    const std::string folder = IncludeTrailingPathDelimiter(path);
    for (const TSearchRec::TEntry& e : ListFolder(folder))
        if ((e.Attr & faDirectory) && IsFolderEmpty(folder + e.Name))
            RemoveDir(folder + e.Name);
}

void CopyFolder(const std::string& source, const std::string& target, bool overwrite)
{
    std::vector<std::string> folders, files;
    ListTree(source, "", folders, files);
    const std::string from = IncludeTrailingPathDelimiter(source);
    const std::string to = IncludeTrailingPathDelimiter(target);
    ForceDirectories(to);
    for (const std::string& f : folders)
        ForceDirectories(to + f);
    for (const std::string& f : files)
        CopyFile(from + f, to + f, !overwrite);
}
