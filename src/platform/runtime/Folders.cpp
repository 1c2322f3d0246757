#include "platform/runtime/Folders.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/SystemErrors.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

struct TDirStack {
    std::mutex Lock;
    std::vector<std::string> Dirs;  // file-system paths
};

TDirStack& DirStack()
{
    static TDirStack stack;
    return stack;
}

// The absolute value of an environment variable, or "".
std::string EnvPath(const char* name)
{
    const char* v = std::getenv(name);
    return v && v[0] == '/' ? std::string(v) : std::string();
}

std::string HomeFsDir()
{
    std::string home = EnvPath("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    }
    return home.empty() ? "/" : home;
}

// True when the folder is a real folder (no link) of this user that nobody else
// may enter; a folder of the user with wider rights is narrowed.
bool PrivateFolder(const std::string& fs)
{
    struct stat st;
    if (lstat(fs.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return false;
    if ((st.st_mode & 077) != 0 && chmod(fs.c_str(), 0700) != 0)
        return false;
    return true;
}

// The user's folder entry from ~/.config/user-dirs.dirs (XDG_DOCUMENTS_DIR="$HOME/Documents").
std::string XdgUserDir(const char* key)
{
    std::string config = EnvPath("XDG_CONFIG_HOME");
    if (config.empty())
        config = HomeFsDir() + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string prefix = std::string(key) + "=\"";
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0)
            value = HomeFsDir() + value.substr(5);
        return value.empty() || value[0] != '/' ? std::string() : value;
    }
    return {};
}

}  // namespace

std::string GetCurrentDir()
{
    return ProgramFileName(CurrentFsDir());
}

bool SetCurrentDir(const std::string& dirName)
{
    if (chdir(FileSystemName(dirName).c_str()) != 0)
        return SetLastErrorFromErrno(), false;
    return true;
}

void PushCurrentDir()
{
    TDirStack& s = DirStack();
    std::lock_guard<std::mutex> guard(s.Lock);
    s.Dirs.push_back(CurrentFsDir());
}

bool PopCurrentDir()
{
    TDirStack& s = DirStack();
    std::lock_guard<std::mutex> guard(s.Lock);
    if (s.Dirs.empty())
        return false;
    const std::string dir = std::move(s.Dirs.back());
    s.Dirs.pop_back();
    return chdir(dir.c_str()) == 0;
}

std::string GetTempPath()
{
    static std::mutex lock;
    static std::string lastBase, lastFolder;  // the folder found for the last base
    std::lock_guard<std::mutex> guard(lock);

    std::string base = EnvPath("TMPDIR");
    struct stat st;
    if (base.empty() || stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        base = "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (base == lastBase && PrivateFolder(lastFolder))
        return ProgramFileName(lastFolder) + "/";

    std::string folder = base + "/eldravin-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return SetLastErrorFromErrno(), std::string();
    if (!PrivateFolder(folder)) {
        // Someone else's folder of that name: make a private one of our own.
        std::string tmpl = folder + "-XXXXXX";
        if (!mkdtemp(tmpl.data()))
            return SetLastErrorFromErrno(), std::string();
        folder = tmpl;
    }
    lastBase = base;
    lastFolder = folder;
    return ProgramFileName(folder) + "/";
}

std::string GetTempFileName(const std::string& folder, const std::string& prefix, const std::string& extension)
{
    const std::string dir = folder.empty() ? GetTempPath() : IncludeTrailingPathDelimiter(folder);
    if (dir.empty())
        return {};
    static const char kLetters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[8];
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return SetLastErrorFromErrno(), std::string();
        std::string name = dir + prefix;
        for (unsigned char r : random)
            name += kLetters[r % 62];
        name += extension;
        const int fd = open(FileSystemName(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            SetLastError(ERROR_SUCCESS);
            return name;
        }
        if (errno != EEXIST)
            return SetLastErrorFromErrno(), std::string();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return {};
}

std::string GetModuleFileName()
{
    std::string buf(512, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return ProgramFileName(buf);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string GetProgramFolder()
{
    return ExtractFilePath(GetModuleFileName());
}

std::string GetUserFolder(TUserFolder folder)
{
    const std::string home = HomeFsDir();
    std::string fs;
    switch (folder) {
    case TUserFolder::ufHome: fs = home; break;
    case TUserFolder::ufDocuments: fs = XdgUserDir("XDG_DOCUMENTS_DIR"); if (fs.empty()) fs = home; break;
    case TUserFolder::ufDesktop: fs = XdgUserDir("XDG_DESKTOP_DIR"); if (fs.empty()) fs = home + "/Desktop"; break;
    case TUserFolder::ufPictures: fs = XdgUserDir("XDG_PICTURES_DIR"); if (fs.empty()) fs = home; break;
    case TUserFolder::ufTemplates: fs = XdgUserDir("XDG_TEMPLATES_DIR"); if (fs.empty()) fs = home + "/Templates"; break;
    case TUserFolder::ufConfig: fs = EnvPath("XDG_CONFIG_HOME"); if (fs.empty()) fs = home + "/.config"; break;
    case TUserFolder::ufData: fs = EnvPath("XDG_DATA_HOME"); if (fs.empty()) fs = home + "/.local/share"; break;
    case TUserFolder::ufCache: fs = EnvPath("XDG_CACHE_HOME"); if (fs.empty()) fs = home + "/.cache"; break;
    }
    return ProgramFileName(ExcludeTrailingPathDelimiter(fs));
}
