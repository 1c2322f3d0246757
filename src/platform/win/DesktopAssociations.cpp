#include "platform/win/DesktopAssociations.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Processes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool g_RefreshEnabled = true;
const char* const DefaultSection = "[Default Applications]";

// The UTF-8 file-system path of a program path.
fs::path FsPath(const std::string& path)
{
    return fs::path(FileSystemName(path));
}

bool ReadText(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// Written beside the target, flushed to the disk, then renamed over it, so a
// crash leaves the old file or the new one, never half of one.
bool WriteTextAtomically(const fs::path& path, const std::string& text)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const fs::path temp = path.string() + ".new-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(put);
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

fs::path MimeAppsList()
{
    return FsPath(GetUserFolder(TUserFolder::ufConfig)) / "mimeapps.list";
}

std::string XmlEscape(const std::string& utf8)
{
    std::string out;
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string DefaultApplicationEntry(const std::string& mimeType)
{
    std::string text;
    if (!ReadText(MimeAppsList(), text))
        return {};
    bool inSection = false;
    const std::string key = Utf8FromAnsi(mimeType) + "=";
    for (const std::string& line : SplitLines(text)) {
        if (!line.empty() && line.front() == '[')
            inSection = line == DefaultSection;
        else if (inSection && line.compare(0, key.size(), key) == 0)
            return AnsiFromUtf8(line.substr(key.size()));
    }
    return {};
}

bool SetDefaultApplicationEntry(const std::string& mimeType, const std::string& value)
{
    std::string text;
    const bool existed = ReadText(MimeAppsList(), text);
    std::vector<std::string> lines = existed ? SplitLines(text) : std::vector<std::string>();
    const std::string key = Utf8FromAnsi(mimeType) + "=";
    const std::string newLine = key + Utf8FromAnsi(value);
    // The section's range and the line of the type in it.
    size_t sectionStart = lines.size(), sectionEnd = lines.size(), found = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i].front() == '[') {
            if (sectionStart != lines.size() && sectionEnd == lines.size())
                sectionEnd = i;
            if (lines[i] == DefaultSection && sectionStart == lines.size())
                sectionStart = i;
        } else if (sectionStart != lines.size() && sectionEnd == lines.size() &&
                   lines[i].compare(0, key.size(), key) == 0) {
            found = i;
        }
    }
    if (value.empty()) {
        if (found == lines.size())
            return true;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(found));
        --sectionEnd;
        // A section left without any entry goes with its header.
        bool emptySection = true;
        for (size_t i = sectionStart + 1; i < sectionEnd && i < lines.size(); ++i)
            emptySection = emptySection && lines[i].empty();
        if (emptySection) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(sectionStart),
                        lines.begin() + static_cast<std::ptrdiff_t>(std::min(sectionEnd, lines.size())));
        }
    } else if (found != lines.size()) {
        lines[found] = newLine;
    } else if (sectionStart != lines.size()) {
        // After the section's last entry, before any blank lines that end it.
        size_t at = sectionEnd;
        while (at > sectionStart + 1 && lines[at - 1].empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine);
    } else {
        if (!lines.empty() && !lines.back().empty())
            lines.emplace_back();
        lines.emplace_back(DefaultSection);
        lines.push_back(newLine);
    }
    if (lines.empty() && existed) {
        // Nothing left: the file goes, unless it was there before with other content.
        std::error_code ec;
        return fs::remove(MimeAppsList(), ec) || !ec;
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return WriteTextAtomically(MimeAppsList(), out);
}

std::string DesktopEntryPath(const std::string& desktopId)
{
    return IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "applications/" + desktopId;
}

std::string MimePackagePath(const std::string& packageName)
{
    return IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "mime/packages/" + packageName +
           ".xml";
}

bool WriteDesktopEntry(const std::string& desktopId, const std::vector<std::string>& lines)
{
    std::string text = "[Desktop Entry]\n";
    for (const std::string& line : lines)
        text += Utf8FromAnsi(line) + "\n";
    return WriteTextAtomically(FsPath(DesktopEntryPath(desktopId)), text);
}

bool RemoveDesktopEntry(const std::string& desktopId)
{
    std::error_code ec;
    fs::remove(FsPath(DesktopEntryPath(desktopId)), ec);
    return !ec;
}

bool WriteMimePackage(const std::string& packageName, const std::vector<TMimeTypeDefinition>& types)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const TMimeTypeDefinition& t : types) {
        text += "  <mime-type type=\"" + XmlEscape(Utf8FromAnsi(t.Type)) + "\">\n";
        text += "    <comment>" + XmlEscape(Utf8FromAnsi(t.Comment)) + "</comment>\n";
        if (!t.Icon.empty())
            text += "    <generic-icon name=\"" + XmlEscape(Utf8FromAnsi(t.Icon)) + "\"/>\n";
        text += "    <glob pattern=\"" + XmlEscape(Utf8FromAnsi(t.Glob)) + "\"/>\n";
        text += "  </mime-type>\n";
    }
    text += "</mime-info>\n";
    return WriteTextAtomically(FsPath(MimePackagePath(packageName)), text);
}

bool RemoveMimePackage(const std::string& packageName)
{
    std::error_code ec;
    const fs::path package = FsPath(MimePackagePath(packageName));
    fs::remove(package, ec);
    const bool removed = !ec;
    // The folders go too when nothing else is left in them.
    std::error_code ignored;
    if (fs::is_empty(package.parent_path(), ignored))
        fs::remove(package.parent_path(), ignored);
    if (fs::is_empty(package.parent_path().parent_path(), ignored))
        fs::remove(package.parent_path().parent_path(), ignored);
    return removed;
}

void RefreshDesktopDatabases()
{
    if (!g_RefreshEnabled)
        return;
    const std::string data = GetUserFolder(TUserFolder::ufData);
    StartProcess("update-mime-database", {IncludeTrailingPathDelimiter(data) + "mime"});
    StartProcess("update-desktop-database", {IncludeTrailingPathDelimiter(data) + "applications"});
}

void SetDesktopRefreshEnabled(bool enabled)
{
    g_RefreshEnabled = enabled;
}

std::string QuoteDesktopExecArgument(const std::string& argument)
{
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
        if (c == '%')
            out += '%';  // a field code otherwise
    }
    return out + "\"";
}
