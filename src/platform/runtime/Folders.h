#pragma once
// The program's places: the current folder and its saved stack, the per-user
// temporary folder and temporary file names, the program folder and the user's
// folders. All paths are 1252 program paths (platform/runtime/FileNames.h).
#include <string>

// The current folder, without a trailing separator.
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dirName);
// A process-wide stack of current folders: push saves the current one, pop
// makes the last saved one current again and drops it (false, nothing done,
// when the stack is empty).
void PushCurrentDir();
bool PopCurrentDir();

// The user's own temporary folder, with a trailing separator: "eldravin-<uid>"
// in $TMPDIR (or /tmp), created for the user alone (mode 0700). A folder of
// that name that is not the user's own, or that others may enter, is not used:
// a fresh private folder is made in its place. Empty when none can be made.
std::string GetTempPath();
// Creates an empty file (mode 0600) named prefix + 8 unpredictable letters and
// digits + extension in the folder (the temporary folder when empty), made with
// O_EXCL so that it is new; returns its name, or "" with GetLastError set.
std::string GetTempFileName(const std::string& folder, const std::string& prefix,
                            const std::string& extension = ".tmp");

// The running executable, and its folder with a trailing separator.
std::string GetModuleFileName();
std::string GetProgramFolder();

// The user's folders (XDG), without a trailing separator.
enum class TUserFolder {
    ufHome,
    ufDocuments,  // XDG_DOCUMENTS_DIR, else the home folder
    ufDesktop,    // XDG_DESKTOP_DIR, else ~/Desktop
    ufPictures,   // XDG_PICTURES_DIR, else the home folder
    ufTemplates,  // XDG_TEMPLATES_DIR, else ~/Templates
    ufConfig,     // $XDG_CONFIG_HOME, else ~/.config
    ufData,       // $XDG_DATA_HOME, else ~/.local/share
    ufCache       // $XDG_CACHE_HOME, else ~/.cache
};
std::string GetUserFolder(TUserFolder folder);
