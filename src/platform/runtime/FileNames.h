#pragma once
// File names. The program's paths are 8-bit code page 1252 strings like all its
// text; the file system's names are UTF-8. This module converts between the two
// and holds the path-string routines.
//
// '/' separates folders; '\' is accepted as a separator too, since paths in
// documents and settings written on Windows use it.
//
// A name that 1252 cannot hold (a Cyrillic name, invalid UTF-8, a name holding a
// '\') is shown to the program as an alias: the name with '?' for every character
// that has no 1252 byte ('\' included), plus "~2", "~3"... before the extension
// when that alias is already taken in the folder. Best-fit letters are not used,
// so an alias never looks like a name a user would type ("Lodz.rtf" must not open
// "Łódź.rtf"). Aliases are remembered per folder for the life of the process, so
// the alias of a file keeps reaching it: opened, saved, deleted and created
// again under its real name. The first time a folder needs aliases, all of its
// names without a 1252 form get theirs at once, in the order of their UTF-8
// bytes, so a folder's aliases depend only on its content (and stay the same
// from one run to the next while it does not change).
#include <string>
#include <string_view>

constexpr char PathDelim = '/';

inline bool IsPathDelimiter(char c)
{
    return c == '/' || c == '\\';
}

// 1252 program path -> UTF-8 file-system path ('\' becomes '/', aliases become
// the real names they stand for).
std::string FileSystemName(std::string_view path);
// UTF-8 file-system path -> 1252 program path (aliases for names 1252 cannot hold).
std::string ProgramFileName(std::string_view fsPath);
// The current folder as the file system names it (UTF-8); empty on failure.
std::string CurrentFsDir();
// The 1252 name of one entry of a folder (both UTF-8), as a folder listing gives it.
std::string ProgramNameInFolder(std::string_view fsFolder, std::string_view fsName);

// Upper case of a 1252 name as file names are compared (letters with accents
// included), for case-insensitive matching.
std::string AnsiUpperCaseFileName(std::string_view name);

// Path strings (1252; both separators are recognised).
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Drops one trailing separator, except from the root "/".
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// The folder part with its trailing separator ("" for a bare name).
std::string ExtractFilePath(std::string_view path);
// The folder part without its trailing separator (the root stays "/").
std::string ExtractFileDir(std::string_view path);
std::string ExtractFileName(std::string_view path);
// The extension with its dot (".rtf"), "" when the name has none.
std::string ExtractFileExt(std::string_view path);
// Replaces (or adds, or with "" removes) the extension; ext includes its dot.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The absolute form: relative to the current folder, "." and ".." resolved by
// the text, separators made '/'.
std::string ExpandFileName(std::string_view path);
