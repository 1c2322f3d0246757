#pragma once
// The desktop's file associations (XDG): desktop entries in
// $XDG_DATA_HOME/applications, MIME type definitions in
// $XDG_DATA_HOME/mime/packages, and the user's default applications in
// $XDG_CONFIG_HOME/mimeapps.list. Texts are program strings (code page
// 1252); the files are written in UTF-8. Files are replaced atomically
// (written beside, then renamed), and lines of mimeapps.list that are not
// ours are kept as they stand.
#include <string>
#include <vector>

// The MIME type the desktop's database gives for a file extension (".doc"),
// or empty when it knows none.
std::string MimeTypeForExtension(const std::string& extension);

// The default application of a MIME type in the user's mimeapps.list (the
// desktop entry names as written, e.g. "writer.desktop;"), or empty.
std::string DefaultApplicationEntry(const std::string& mimeType);
// Sets the default application of a MIME type; an empty value removes the
// line (and the section when nothing else is left in it).
bool SetDefaultApplicationEntry(const std::string& mimeType, const std::string& value);

// The folders and files the associations live in.
std::string DesktopEntryPath(const std::string& desktopId);
std::string MimePackagePath(const std::string& packageName);

// One MIME type the program defines: its name, its description, its glob
// ("*.cod") and the icon name.
struct TMimeTypeDefinition {
    std::string Type;
    std::string Comment;
    std::string Glob;
    std::string Icon;
};

// Writes the desktop entry from its key lines ("Name=...", in program
// strings; the "[Desktop Entry]" header is added).
bool WriteDesktopEntry(const std::string& desktopId, const std::vector<std::string>& lines);
bool RemoveDesktopEntry(const std::string& desktopId);
// Writes a MIME package with the definitions.
bool WriteMimePackage(const std::string& packageName, const std::vector<TMimeTypeDefinition>& types);
bool RemoveMimePackage(const std::string& packageName);

// Tells the desktop that definitions changed (the MIME cache is rebuilt in
// the background when the desktop's tool is there). Tests switch it off.
void RefreshDesktopDatabases();
void SetDesktopRefreshEnabled(bool enabled);

// A desktop entry's Exec argument, quoted the way desktop entries require
// (in double quotes, reserved characters escaped, "%" doubled).
std::string QuoteDesktopExecArgument(const std::string& argument);
