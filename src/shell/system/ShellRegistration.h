#pragma once
// The program's place in the desktop: its file types (a desktop entry that
// opens and prints documents, MIME definitions of its own data files), the
// extensions the user associated with it (the desktop's default application
// of their MIME types, with what was there before kept so that it can be put
// back), and the uninstaller that undoes an installation.
#include <cstdint>
#include <string>

struct TFileTypeRow {
    const char* Extension;
    const char* ClassName;
    const char* Description;
    // The MIME type the desktop knows the files by.
    const char* MimeType;
};
constexpr int32_t FileTypeCount = 8;
// Rows 0 and 1 are documents; rows 2 to 7 the program's own data files.
extern const TFileTypeRow FileTypeTable[FileTypeCount];

// The desktop entry that carries the associations, and the MIME package.
extern const char* const AssociationDesktopId;
extern const char* const ProgramMimePackage;

// Where the program records the associations and its own values.
extern const char* const InternalKey;     // HKEY_CURRENT_USER
extern const char* const UninstallRegKey; // HKEY_LOCAL_MACHINE

// Writes the desktop entry and the MIME definitions of all file types.
void RegisterProgId();
// Lower-cases the extension and gives it its leading "."; a table extension
// gets its own type, any other the document type.
void RegisterFileAssociation(std::string extension, bool record);
void AssociateExtension(const std::string& extension, const std::string& className, bool record);
// Puts back what the extension's type had before, unless another program
// took it since; forgets the extension.
void UnassociateExtension(const std::string& extension);
// Every recorded extension, last first, then the data-file rows.
void UnassociateAll();
// The extensions the user associated, as recorded ("FileAssoc").
std::string RecordedAssociations();
// The switch "assoc": its value split at "_" into extensions.
void HandleAssociateSwitch(const std::string& value);

// Whether a path named by the install log is one the installer may have
// written: inside the program folder, or a desktop entry (or the program
// group's folder) in the applications menu or on the desktop. Paths are
// compared after "." and ".." are resolved and symbolic links followed.
bool IsInstallerPlace(const std::string& path, const std::string& programFolder);

// The switch "ui": asks, then undoes the installation of the program folder.
// False when it stopped (another instance runs, the user said No, the log
// cannot be read).
bool UninstallProgram();
bool UninstallProgramFrom(const std::string& programFolder, const std::string& programPath);
