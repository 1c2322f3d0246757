#include "platform/runtime/FileNames.h"

#include "platform/runtime/CodePages.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <vector>

// The current folder as the file system names it (UTF-8).
std::string CurrentFsDir()
{
    std::string buf(256, '\0');
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE)
            return {};
        buf.resize(buf.size() * 2);
    }
    buf.resize(buf.find('\0'));
    return buf;
}

namespace {

// Aliases given out in one folder: upper-cased alias -> real name, and back.
struct TAliasFolder {
    std::map<std::string, std::string> ByAlias;
    std::map<std::string, std::string> ByReal;
};

// Folders by their absolute UTF-8 path (resolved by the text, not through links).
struct TAliasRegistry {
    std::mutex Lock;
    std::map<std::string, TAliasFolder> Folders;
};

TAliasRegistry& Registry()
{
    static TAliasRegistry registry;
    return registry;
}

// True when a UTF-8 name has an exact 1252 form that reads back as the same
// name. A '\' does not count: the program would take it for a separator.
bool NameFits(std::string_view utf8)
{
    return utf8.find('\\') == std::string_view::npos && Utf8FitsAnsi(utf8);
}

std::string LossyName(std::string_view utf8)
{
    std::string name = FromWide(WideFromUtf8(utf8), CP_ACP, nullptr, '?', false);
    std::replace(name.begin(), name.end(), '\\', '?');
    // Every alias holds a '?': that is how a program path is known to need the
    // alias table. A name that does not fit always loses a character, so this
    // only guards the rule.
    if (name.find('?') == std::string::npos)
        name += '?';
    return name;
}

std::string WithSuffix(const std::string& base, int n)
{
    const std::string suffix = "~" + std::to_string(n);
    const size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return base + suffix;
    return base.substr(0, dot) + suffix + base.substr(dot);
}


// Adds one component to an absolute path, resolving "." and ".." by the text.
void AppendComponent(std::string& abs, std::string_view comp)
{
    if (comp.empty() || comp == ".")
        return;
    if (comp == "..") {
        const size_t slash = abs.rfind('/');
        if (slash != std::string::npos)
            abs.resize(slash == 0 ? 1 : slash);
        return;
    }
    if (abs.empty() || abs.back() != '/')
        abs += '/';
    abs += comp;
}

std::string AbsoluteFsPath(std::string_view fsPath)
{
    std::string abs = !fsPath.empty() && fsPath[0] == '/' ? "/" : CurrentFsDir();
    size_t i = 0;
    while (i <= fsPath.size()) {
        size_t j = fsPath.find('/', i);
        if (j == std::string_view::npos)
            j = fsPath.size();
        AppendComponent(abs, fsPath.substr(i, j - i));
        i = j + 1;
    }
    return abs;
}

bool EntryExists(const std::string& folder, const std::string& name)
{
    struct stat st;
    return lstat((folder + "/" + name).c_str(), &st) == 0;
}

// Gives aliases to the names of the folder that have none yet (and to extra, a
// name that may not exist yet), in the order of their bytes. Caller holds the lock.
void AssignAliases(TAliasFolder& f, const std::string& folder, std::string_view extra)
{
    std::vector<std::string> pending;
    std::set<std::string> literal;  // names on disk that fit 1252 and hold a '?'
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            if (NameFits(name)) {
                if (name.find('?') != std::string::npos)
                    literal.insert(AnsiUpperCaseFileName(AnsiFromUtf8(name)));
            } else if (!f.ByReal.count(name)) {
                pending.push_back(std::move(name));
            }
        }
        closedir(dir);
    }
    if (!extra.empty() && !NameFits(extra) && !f.ByReal.count(std::string(extra)))
        pending.emplace_back(extra);
    std::sort(pending.begin(), pending.end());
    pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
    for (const std::string& real : pending) {
        const std::string base = LossyName(real);
        std::string alias = base;
        for (int n = 2; f.ByAlias.count(AnsiUpperCaseFileName(alias)) || literal.count(AnsiUpperCaseFileName(alias));
             ++n)
            alias = WithSuffix(base, n);
        f.ByAlias[AnsiUpperCaseFileName(alias)] = real;
        f.ByReal[real] = alias;
    }
}

// The real name of a 1252 component holding a '?' in the folder: an alias given
// out before, else a file of exactly that name, else an alias of the folder's
// current names, else the plain conversion (a new file of that name).
std::string ResolveComponent(const std::string& folder, std::string_view comp)
{
    const std::string direct = Utf8FromAnsi(comp);
    const std::string key = AnsiUpperCaseFileName(comp);
    TAliasRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    TAliasFolder& f = r.Folders[folder];
    if (auto it = f.ByAlias.find(key); it != f.ByAlias.end())
        return it->second;
    if (EntryExists(folder, direct))
        return direct;
    AssignAliases(f, folder, {});
    if (auto it = f.ByAlias.find(key); it != f.ByAlias.end())
        return it->second;
    return direct;
}

std::string ProgramComponent(const std::string& folder, std::string_view name)
{
    if (NameFits(name))
        return AnsiFromUtf8(name);
    TAliasRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    TAliasFolder& f = r.Folders[folder];
    auto it = f.ByReal.find(std::string(name));
    if (it == f.ByReal.end()) {
        AssignAliases(f, folder, name);
        it = f.ByReal.find(std::string(name));
    }
    return it->second;
}

// Converts a path component by component; key follows the absolute UTF-8 folder.
template <typename TConvert>
std::string ConvertPath(std::string_view path, bool pathIsFs, TConvert convert)
{
    std::string out;
    std::string key = !path.empty() && path[0] == '/' ? "/" : CurrentFsDir();
    size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '/') {
            out += '/';
            ++i;
            continue;
        }
        size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        const std::string_view comp = path.substr(i, j - i);
        const std::string converted = convert(key, comp);
        out += converted;
        AppendComponent(key, pathIsFs ? std::string(comp) : converted);
        i = j;
    }
    return out;
}

}  // namespace

std::string AnsiUpperCaseFileName(std::string_view name)
{
    std::string s(name);
    for (char& ch : s) {
        const auto c = static_cast<uint8_t>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            ch = static_cast<char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)  // š œ ž
            ch = static_cast<char>(c - 0x10);
        else if (c == 0xFF)  // ÿ
            ch = static_cast<char>(0x9F);
    }
    return s;
}

std::string FileSystemName(std::string_view path)
{
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.find('?') == std::string::npos)
        return Utf8FromAnsi(p);
    return ConvertPath(p, false, [](const std::string& folder, std::string_view comp) {
        if (comp.find('?') == std::string_view::npos || folder.empty())
            return Utf8FromAnsi(comp);
        return ResolveComponent(folder, comp);
    });
}

std::string ProgramFileName(std::string_view fsPath)
{
    if (NameFits(fsPath))
        return AnsiFromUtf8(fsPath);
    return ConvertPath(fsPath, true, [](const std::string& folder, std::string_view comp) {
        if (NameFits(comp))
            return AnsiFromUtf8(comp);
        return ProgramComponent(folder, comp);
    });
}

std::string ProgramNameInFolder(std::string_view fsFolder, std::string_view fsName)
{
    if (NameFits(fsName))
        return AnsiFromUtf8(fsName);
    return ProgramComponent(AbsoluteFsPath(fsFolder), fsName);
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string s(path);
    if (s.empty() || !IsPathDelimiter(s.back()))
        s += PathDelim;
    return s;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string s(path);
    if (s.size() > 1 && IsPathDelimiter(s.back()))
        s.pop_back();
    return s;
}

namespace {
size_t LastDelimiter(std::string_view path)
{
    const size_t a = path.rfind('/');
    const size_t b = path.rfind('\\');
    if (a == std::string_view::npos)
        return b;
    if (b == std::string_view::npos)
        return a;
    return std::max(a, b);
}
}  // namespace

std::string ExtractFilePath(std::string_view path)
{
    const size_t d = LastDelimiter(path);
    return d == std::string_view::npos ? std::string() : std::string(path.substr(0, d + 1));
}

std::string ExtractFileDir(std::string_view path)
{
    const size_t d = LastDelimiter(path);
    if (d == std::string_view::npos)
        return {};
    return std::string(path.substr(0, d == 0 ? 1 : d));
}

std::string ExtractFileName(std::string_view path)
{
    const size_t d = LastDelimiter(path);
    return std::string(d == std::string_view::npos ? path : path.substr(d + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    const size_t d = LastDelimiter(path);
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (d != std::string_view::npos && dot < d))
        return {};
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::string current = ExtractFileExt(path);
    return std::string(path.substr(0, path.size() - current.size())) + std::string(ext);
}

std::string ExpandFileName(std::string_view path)
{
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty() || p[0] != '/')
        p = ProgramFileName(CurrentFsDir()) + "/" + p;
    const bool trailing = p.size() > 1 && p.back() == '/';
    std::string out = "/";
    size_t i = 0;
    while (i <= p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        AppendComponent(out, std::string_view(p).substr(i, j - i));
        i = j + 1;
    }
    if (trailing && out.back() != '/')
        out += '/';
    return out;
}
