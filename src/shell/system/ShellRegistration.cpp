#include "shell/system/ShellRegistration.h"

#include "foundation/MessageDlg.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/DesktopAssociations.h"
#include "platform/win/Registry.h"
#include "shell/BaseForms.h"
#include "shell/system/InstanceLink.h"

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

const TFileTypeRow FileTypeTable[FileTypeCount] = {
    {".rtf", "Eldravin.Document", "Document Eldravin", "text/rtf"},
    {".cod", "Eldravin.EncryptedDocument", "Document Eldravin crypté", "application/x-eldravin-encrypted-document"},
    {".eti", "Eldravin.ToolbarImageSet", "Jeu de boutons pour barre d'outils Eldravin",
     "application/x-eldravin-toolbar-image-set"},
    {".ets", "Eldravin.ToolbarSettings", "Configuration de barre d'outils Eldravin",
     "application/x-eldravin-toolbar-settings"},
    {".esc", "Eldravin.SpellCheckSystem", "Vérificateur orthographique Eldravin",
     "application/x-eldravin-spell-check-system"},
    {".esn", "Eldravin.SoundScheme", "Module sonore Eldravin", "application/x-eldravin-sound-scheme"},
    {".esd", "Eldravin.SoundSettings", "Configuration sonore Eldravin", "application/x-eldravin-sound-settings"},
    {".fpl", "Eldravin.FormatPalette", "Palette de formats Eldravin", "application/x-eldravin-format-palette"},
};

const char* const AssociationDesktopId = "eldravin-documents.desktop";
const char* const ProgramMimePackage = "eldravin";
const char* const InternalKey = "\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\Internal";
const char* const UninstallRegKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Eldravin Brightfold";

namespace {

const char* const SaveValue = "Eldravin_Save";
const char* const LastValue = "Eldravin_Last";
const char* const MimeValue = "Eldravin_Mime";
const char* const FileAssocValue = "FileAssoc";

std::string DesktopValue()
{
    return std::string(AssociationDesktopId) + ";";
}

std::string NormalizedExtension(std::string extension)
{
    extension = LowerCase(extension);
    if (extension.empty() || extension.front() != '.')
        extension.insert(extension.begin(), '.');
    return extension;
}

int32_t TableRow(const std::string& extension)
{
    for (int32_t i = 0; i < FileTypeCount; ++i)
        if (extension == FileTypeTable[i].Extension)
            return i;
    return -1;
}

// The MIME type an extension's files have: the table's, the desktop's, or
// one of the conventional names for an extension nobody defined.
std::string MimeTypeOf(const std::string& extension)
{
    const int32_t row = TableRow(extension);
    if (row >= 0)
        return FileTypeTable[row].MimeType;
    const std::string known = MimeTypeForExtension(extension);
    return known.empty() ? "application/x-extension-" + extension.substr(1) : known;
}

std::vector<std::string> SplitBlanks(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text + " ") {
        if (c == ' ') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

// The types the desktop entry opens: the document rows, the data-file rows
// and every type the program took as default.
std::vector<std::string> EntryMimeTypes()
{
    std::vector<std::string> types;
    auto add = [&](const std::string& t) {
        for (const std::string& s : types)
            if (s == t)
                return;
        types.push_back(t);
    };
    for (const TFileTypeRow& row : FileTypeTable)
        add(row.MimeType);
    for (const std::string& ext : SplitBlanks(RecordedAssociations())) {
        TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        if (reg.OpenKeyReadOnly("\\" + ext) && reg.ValueExists(MimeValue))
            add(reg.ReadString(MimeValue));
    }
    return types;
}

void WriteAssociationEntry()
{
    const std::string program = QuoteDesktopExecArgument(ProgramPath());
    std::string types;
    for (const std::string& t : EntryMimeTypes())
        types += t + ";";
    WriteDesktopEntry(AssociationDesktopId, {"Type=Application", "Name=Eldravin",
                                             std::string("Comment=") + FileTypeTable[0].Description,
                                             "Exec=" + program + " %F", "MimeType=" + types, "NoDisplay=true",
                                             "Actions=print;", "", "[Desktop Action print]", "Name=Imprimer",
                                             "Exec=" + program + " /p %F"});
}

}  // namespace

void RegisterProgId()
{
    // The program's own types, with their descriptions; the document type of
    // rtf files is the desktop's own. Any extension nobody defined that the
    // user associated is defined here too, so that the desktop can tell it.
    std::vector<TMimeTypeDefinition> types;
    for (int32_t i = 1; i < FileTypeCount; ++i)
        types.push_back({FileTypeTable[i].MimeType, FileTypeTable[i].Description,
                         std::string("*") + FileTypeTable[i].Extension, "x-office-document"});
    for (const std::string& ext : SplitBlanks(RecordedAssociations())) {
        const std::string type = MimeTypeOf(ext);
        if (TableRow(ext) < 0 && type.rfind("application/x-extension-", 0) == 0)
            types.push_back({type, FileTypeTable[0].Description, "*" + ext, "x-office-document"});
    }
    WriteMimePackage(ProgramMimePackage, types);
    WriteAssociationEntry();
}

std::string RecordedAssociations()
{
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(InternalKey))
        return {};
    return reg.ReadString(FileAssocValue);
}

void RegisterFileAssociation(std::string extension, bool record)
{
    extension = NormalizedExtension(extension);
    const int32_t row = TableRow(extension);
    AssociateExtension(extension, row >= 0 ? FileTypeTable[row].ClassName : FileTypeTable[0].ClassName, record);
}

void AssociateExtension(const std::string& extension, const std::string& className, bool record)
{
    if (record) {
        TRegistry reg;
        reg.OpenKey(InternalKey, true);
        const std::string list = reg.ReadString(FileAssocValue);
        if ((" " + list).find(" " + extension + " ") == std::string::npos)
            reg.WriteString(FileAssocValue, list + extension + " ");
    }
    const std::string type = MimeTypeOf(extension);
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        reg.OpenKey("\\" + extension, true);
        // What the desktop used before the program first took the type.
        if (!reg.ValueExists(SaveValue))
            reg.WriteString(SaveValue, DefaultApplicationEntry(type));
        reg.WriteString("", className);
        reg.WriteString(LastValue, DesktopValue());
        reg.WriteString(MimeValue, type);
    }
    SetDefaultApplicationEntry(type, DesktopValue());
    // The entry lists the types it opens, and a new undefined type needs its definition.
    RegisterProgId();
}

void UnassociateExtension(const std::string& extension)
{
    if (extension.size() <= 1)
        return;
    const std::string ext = NormalizedExtension(extension);
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        if (reg.OpenKey("\\" + ext, false) && reg.ValueExists(SaveValue)) {
            const std::string type = reg.ValueExists(MimeValue) ? reg.ReadString(MimeValue) : MimeTypeOf(ext);
            // Only while the desktop still uses what the program set: another
            // program that took the type since keeps it.
            if (DefaultApplicationEntry(type) == reg.ReadString(LastValue))
                SetDefaultApplicationEntry(type, reg.ReadString(SaveValue));
            reg.DeleteValue(LastValue);
            reg.DeleteValue(SaveValue);
            reg.DeleteValue(MimeValue);
            reg.DeleteValue("");
            const bool empty = reg.GetValueNames().empty() && !reg.HasSubKeys();
            reg.CloseKey();
            if (empty)
                reg.DeleteKey("\\" + ext);
        }
    }
    TRegistry reg;
    if (reg.OpenKey(InternalKey, false) && reg.ValueExists(FileAssocValue)) {
        std::string list = reg.ReadString(FileAssocValue);
        const size_t at = (" " + list).find(" " + ext + " ");
        if (at != std::string::npos)
            list.erase(at, ext.size() + 1);
        if (list.empty())
            reg.DeleteValue(FileAssocValue);
        else
            reg.WriteString(FileAssocValue, list);
    }
}

void UnassociateAll()
{
    const std::vector<std::string> recorded = SplitBlanks(RecordedAssociations());
    for (auto it = recorded.rbegin(); it != recorded.rend(); ++it)
        UnassociateExtension(*it);
    {
        TRegistry reg;
        if (reg.OpenKey(InternalKey, false))
            reg.DeleteValue(FileAssocValue);
    }
    for (int32_t i = 2; i < FileTypeCount; ++i)
        UnassociateExtension(FileTypeTable[i].Extension);
}

void HandleAssociateSwitch(const std::string& value)
{
    RegisterProgId();
    std::vector<std::string> extensions;
    std::string part;
    for (char c : value + "_") {
        if (c == '_') {
            if (!part.empty())
                extensions.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!extensions.empty()) {
        for (const std::string& ext : extensions)
            RegisterFileAssociation(ext, true);
    } else {
        RegisterFileAssociation(FileTypeTable[0].Extension, true);
        RegisterFileAssociation(FileTypeTable[1].Extension, true);
    }
    for (int32_t i = 2; i < FileTypeCount; ++i)
        RegisterFileAssociation(FileTypeTable[i].Extension, false);
    RefreshDesktopDatabases();
}

// --- uninstall ----------------------------------------------------------------------------

namespace {

// The path with "." and ".." resolved and symbolic links of its folders
// followed (the last part itself is not followed: deleting a link deletes
// the link). Empty when the folder does not exist.
fs::path RealPath(const std::string& path)
{
    std::error_code ec;
    const fs::path p = fs::path(FileSystemName(path)).lexically_normal();
    if (p.is_relative())
        return {};
    fs::path parent = p.has_filename() ? p.parent_path() : p.parent_path().parent_path();
    const fs::path name = p.has_filename() ? p.filename() : p.parent_path().filename();
    const fs::path realParent = fs::canonical(parent, ec);
    if (ec || name.empty() || name == "." || name == "..")
        return {};
    return realParent / name;
}

bool IsInside(const fs::path& path, const std::string& root, bool allowRoot)
{
    std::error_code ec;
    const fs::path realRoot = fs::canonical(fs::path(FileSystemName(ExcludeTrailingPathDelimiter(root))), ec);
    if (ec || path.empty())
        return false;
    if (path == realRoot)
        return allowRoot;
    const fs::path rel = path.lexically_relative(realRoot);
    return !rel.empty() && *rel.begin() != ".." && *rel.begin() != ".";
}

// The shortcuts the installer makes, by name (in the program group, the
// applications menu and on the desktop).
bool IsInstallerShortcutName(const fs::path& path)
{
    static const char* const names[] = {"Eldravin.desktop", "Aide d'Eldravin.desktop", "Désinstallation.desktop"};
    const std::string name = AnsiFromUtf8(path.filename().string());
    for (const char* n : names)
        if (name == n)
            return true;
    return false;
}

}  // namespace

bool IsInstallerPlace(const std::string& path, const std::string& programFolder)
{
    const fs::path real = RealPath(path);
    if (real.empty())
        return false;
    if (IsInside(real, programFolder, true))
        return true;
    // The applications menu: the program group's folder (a folder directly in
    // it) and the shortcuts in it or in the menu itself.
    const fs::path menu = RealPath(IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "applications");
    if (!menu.empty() && IsInside(real, IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "applications", false)) {
        std::error_code ec;
        const fs::path rel = real.lexically_relative(menu);
        const size_t depth = static_cast<size_t>(std::distance(rel.begin(), rel.end()));
        if (depth == 1 && fs::is_directory(fs::symlink_status(real, ec)))
            return true;
        return depth <= 2 && IsInstallerShortcutName(real);
    }
    const fs::path desktop = RealPath(IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufDesktop)) + "x");
    return !desktop.empty() && real.parent_path() == desktop.parent_path() &&
           AnsiFromUtf8(real.filename().string()) == "Eldravin.desktop";
}

bool UninstallProgramFrom(const std::string& programFolder, const std::string& programPath)
{
    const std::string folder = IncludeTrailingPathDelimiter(programFolder);
    const std::string logPath = folder + "Install.log";
    TStringList log;
    try {
        if (!FileExists(logPath))
            throw Exception("no log");
        log.LoadFromFile(logPath);
    } catch (const std::exception&) {
        ShowMessageDlg("Impossible d'ouvrir le fichier d'installation (\"" + logPath +
                           "\").||Impossible de procéder à la désinstallation.",
                       mtError, mbOK);
        return false;
    }
    static const std::string fileCopy = "File Copy: ";
    static const std::string madeDir = "Made Dir: ";
    static const std::string shellLink = "Shell Link: ";
    bool removeProgram = false;
    for (int32_t i = log.Count() - 1; i >= 0; --i) {
        const std::string& line = log.Strings(i);
        std::string path;
        bool folderLine = false;
        if (line.compare(0, fileCopy.size(), fileCopy) == 0)
            path = line.substr(fileCopy.size());
        else if (line.compare(0, shellLink.size(), shellLink) == 0)
            path = line.substr(shellLink.size());
        else if (line.compare(0, madeDir.size(), madeDir) == 0) {
            path = line.substr(madeDir.size());
            folderLine = true;
        } else {
            continue;
        }
        // The log is a file anybody with access to the folder may have
        // changed: it never makes the uninstaller touch anything else.
        if (!IsInstallerPlace(path, folder))
            continue;
        if (folderLine) {
            RemoveDir(ExcludeTrailingPathDelimiter(path));  // only when empty
        } else if (RealPath(path) == RealPath(programPath)) {
            removeProgram = true;
        } else {
            DeleteFile(path);
        }
    }
    // A running program's file can be removed on this system: the process
    // keeps it open until it ends. Its folder then goes when it is empty.
    if (removeProgram) {
        DeleteFile(programPath);
        RemoveDir(ExcludeTrailingPathDelimiter(folder));
    }
    DeleteFile(logPath);
    RemoveDir(ExcludeTrailingPathDelimiter(folder));
    UnassociateAll();
    RemoveDesktopEntry(AssociationDesktopId);
    RemoveMimePackage(ProgramMimePackage);
    RefreshDesktopDatabases();
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.DeleteKey(UninstallRegKey);
    }
    ShowMessageDlg("Désinstallation terminée.||Il sera peut-être nécessaire de supprimer le dossier \"" + folder +
                       "\" manuellement.",
                   mtInformation, mbOK);
    return true;
}

bool UninstallProgram()
{
    if (!FindInstanceWindow(0).empty()) {
        ShowMessageDlg("Il y a des exemplaires d'Eldravin Brightfold actuellement ouverts sur votre ordinateur.\r"
                       "Veuillez les fermer s'il vous plaît.",
                       mtError, mbOK);
        return false;
    }
    if (ShowMessageDlg("Êtes-vous sûr(e) de vouloir retirer Eldravin Brightfold de votre ordinateur ?",
                       mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    return UninstallProgramFrom(ProgramFolder(), ProgramPath());
}
