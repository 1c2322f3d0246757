#include "foundation/ShellHelpers.h"

#include "foundation/MessageDlg.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Registry.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

THyperlinkServices& Services()
{
    static auto* services = new THyperlinkServices;
    return *services;
}

TBeepHandler g_BeepHandler = nullptr;

bool StartsWithText(const std::string& text, const char* prefix)
{
    const size_t n = std::char_traits<char>::length(prefix);
    return text.size() >= n && SameText(text.substr(0, n), prefix);
}

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// ---- desktop entries ----

// A value of a desktop entry: reserved characters escaped.
std::string EscapeValue(const std::string& utf8)
{
    std::string out;
    for (char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string UnescapeValue(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char e = value[++i];
        out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 's' ? ' ' : e;
    }
    return out;
}

// One argument of an Exec line, quoted when it needs it.
std::string ExecArgument(const std::string& utf8)
{
    std::string plain;
    bool quote = utf8.empty();
    for (char c : utf8) {
        if (c == '%') {
            plain += "%%";
            continue;
        }
        if (std::string_view(" \t\n\"'\\><~|&;$*?#()`=").find(c) != std::string_view::npos)
            quote = true;
        plain += c;
    }
    if (!quote)
        return plain;
    std::string out = "\"";
    for (char c : plain) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// The first argument of an Exec line, quotes and escapes removed.
std::string FirstExecArgument(const std::string& exec)
{
    std::string out;
    size_t i = 0;
    while (i < exec.size() && exec[i] == ' ')
        ++i;
    if (i < exec.size() && exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size())
                ++i;
            out += exec[i];
        }
        return out;
    }
    for (; i < exec.size() && exec[i] != ' '; ++i)
        out += exec[i];
    return out;
}

std::string PercentEncodePath(const std::string& utf8)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || std::string_view("/-._~").find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool ReadFileText(const std::string& fileName, std::string& text)
{
    try {
        TStringList lines;
        lines.LoadFromFile(fileName);
        text = lines.Text();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

bool HasURLPrefix(const std::string& text)
{
    for (const char* prefix : {"http", "ftp", "news", "www"})
        if (StartsWithText(text, prefix))
            return true;
    return false;
}

bool IsURLOrEMail(const std::string& text)
{
    return text.find('@') != std::string::npos || HasURLPrefix(text);
}

bool IsWebAddress(const std::string& text)
{
    for (const char* scheme : {"http://", "https://", "ftp://", "news:", "nntp://", "mailto:"})
        if (StartsWithText(text, scheme) && text.size() > std::char_traits<char>::length(scheme))
            return true;
    return StartsWithText(text, "www.") && text.size() > 4 && IsHostChar(text[4]);
}

void SetHyperlinkServices(THyperlinkServices services)
{
    Services() = std::move(services);
}

void OpenHyperlinkTarget(const std::string& link)
{
    const THyperlinkServices& services = Services();
    // A "file:" address is the local file it names.
    const std::string target =
        StartsWithText(link, "file://") ? ProgramFileName(PercentDecode(Utf8FromAnsi(link.substr(7)))) : link;
    // A text that names an existing file or folder ("news:x.sh", "a@b") is that
    // file, whatever it looks like.
    const bool localFile = FileExists(target) || DirectoryExists(target);
    // An e-mail address: a "mailto:" address, or a text with "@" and no web prefix.
    if (!localFile &&
        (StartsWithText(target, "mailto:") || (!HasURLPrefix(target) && target.find('@') != std::string::npos))) {
        const std::string address = StartsWithText(target, "mailto:") ? target : "MAILTO:" + target;
        if (!ShellOpen(address))
            ShowError("Impossible de lancer votre gestionnaire de courrier électronique.");
        return;
    }
    // A real web address goes to the browser. A text that only starts like one
    // ("news.bat", "httpd.exe") is a file like any other.
    if (!localFile && IsWebAddress(target)) {
        if (!ShellOpen(target)) {
            if (services.PutTextOnClipboard)
                services.PutTextOnClipboard(target);
            ShowError(Format("Impossible de lancer votre navigateur Internet.||Vous devez le lancer vous-même "
                             "manuellement et vous rendre à l'adresse voulue :||||%s||||Eldravin a placé cette "
                             "adresse URL dans votre Presse-papiers.",
                             {target}));
        }
        return;
    }
    if (services.ActivateOpenDocument && services.ActivateOpenDocument(target))
        return;
    if (services.OpensInProgram && services.OpensInProgram(target)) {
        if (services.OpenInProgram)
            services.OpenInProgram(target);
        return;
    }
    // Anything else the desktop would open or run: ask first.
    if (ShowMessageDlgPreset(Format("Ouverture de %s||||Certains fichiers peuvent contenir des virus ou bien "
                                    "provoquer des dégâts ||sur votre PC. Assurez-vous que ce fichier provient "
                                    "d'une source fiable.||||Voulez-vous toujours ouvrir ce fichier ?",
                                    {target}),
                             mtConfirmation, 15) != mrYes)
        return;
    if (!localFile || !ShellOpen(target))
        ShowError(Format("Impossible d'ouvrir \"%s\".||Il est possible que ce lien hypertexte soit associé à un "
                         "fichier qui n'est plus présent sur votre système.",
                         {target}));
}

bool IsShortcutFile(const std::string& name)
{
    const std::string ext = UpperCase(ExtractFileExt(name));
    return ext == ".LNK" || ext == ".DESKTOP";
}

std::string ResolveShortcut(const std::string& name)
{
    std::string text;
    if (!ReadFileText(name, text))
        return name;
    TStringList lines;
    lines.SetText(text);
    bool inEntry = false;
    std::string type, url, exec;
    for (int32_t i = 0; i < lines.Count(); ++i) {
        const std::string line = lines.Strings(i);
        if (!line.empty() && line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = Trim(line.substr(0, eq));
        const std::string value = UnescapeValue(Trim(line.substr(eq + 1)));
        if (key == "Type")
            type = value;
        else if (key == "URL")
            url = value;
        else if (key == "Exec")
            exec = value;
    }
    // The entry's values are UTF-8 bytes as read.
    if (type == "Link" && !url.empty()) {
        if (url.compare(0, 7, "file://") == 0)
            return ProgramFileName(PercentDecode(url.substr(7)));
        return AnsiFromUtf8(url);
    }
    if (type == "Application" && !exec.empty())
        return ProgramFileName(FirstExecArgument(exec));
    return name;
}

void CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    const std::string& workingFolder)
{
    const std::string fsTarget = IsWebAddress(target) ? Utf8FromAnsi(target) : FileSystemName(ExpandFileName(target));
    std::error_code ec;
    const auto status = std::filesystem::status(fsTarget, ec);
    const bool program = !IsWebAddress(target) && std::filesystem::is_regular_file(status) &&
                         (status.permissions() & std::filesystem::perms::owner_exec) != std::filesystem::perms::none;
    std::string entry = "[Desktop Entry]\n";
    entry += "Name=" + EscapeValue(Utf8FromAnsi(ChangeFileExt(ExtractFileName(linkFile), ""))) + "\n";
    if (program || !arguments.empty()) {
        std::string exec = ExecArgument(fsTarget);
        for (const std::string& a : SplitCommandLine(arguments))
            exec += " " + ExecArgument(FileExists(a) || DirectoryExists(a) ? FileSystemName(a) : Utf8FromAnsi(a));
        entry += "Type=Application\nExec=" + EscapeValue(exec) + "\n";
        if (!workingFolder.empty())
            entry += "Path=" + EscapeValue(FileSystemName(workingFolder)) + "\n";
    } else {
        entry += "Type=Link\nURL=" +
                 EscapeValue(IsWebAddress(target) ? fsTarget : "file://" + PercentEncodePath(fsTarget)) + "\n";
    }
    // The entry is UTF-8 already: written byte for byte, lines ended by LF.
    TFileStream stream(linkFile, fmCreate);
    stream.WriteString(entry);
}

std::string GetInternetShortcutURL(const std::string& fileNameOrText)
{
    std::string text = fileNameOrText;
    if (FileExists(fileNameOrText) && !ReadFileText(fileNameOrText, text))
        return {};
    TStringList lines;
    lines.SetText(text);
    for (int32_t i = 0; i < lines.Count(); ++i) {
        const std::string line = lines.Strings(i);
        if (StartsWithText(line, "URL="))
            return line.substr(4);
    }
    return {};
}

TBeepHandler SetBeepHandler(TBeepHandler handler)
{
    TBeepHandler previous = g_BeepHandler;
    g_BeepHandler = handler;
    return previous;
}

void PlaySystemBeep(uint32_t kind)
{
    const char* event = nullptr;
    switch (kind) {
    case BeepExclamation: event = "Exclamation"; break;
    case BeepHand: event = "Hand"; break;
    case BeepAsterisk: event = "Asterisk"; break;
    case BeepQuestion: event = "Question"; break;
    default: break;
    }
    if (event) {
        // Read without creating the key: a scheme that assigns nothing stays silent.
        TRegistry reg;
        if (!reg.OpenKeyReadOnly(std::string("\\AppEvents\\Schemes\\Apps\\.Default\\System") + event + "\\.Current"))
            return;
        const TRegDataType type = reg.GetDataType("");
        if ((type != rdString && type != rdExpandString) || reg.ReadString("").empty())
            return;
    }
    if (g_BeepHandler)
        g_BeepHandler(kind);
}

int64_t GetTotalPhysicalMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<int64_t>(pages) * pageSize;
}

std::string GetLoginUserName()
{
    if (const passwd* pw = getpwuid(geteuid()))
        if (pw->pw_name && *pw->pw_name)
            return AnsiFromUtf8(pw->pw_name);
    for (const char* var : {"USER", "LOGNAME"})
        if (const char* v = std::getenv(var); v && *v)
            return AnsiFromUtf8(v);
    return {};
}

bool BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& folder)
{
    std::string chosen;
    if (!ShowFolderDialog(DialogOwnerWindow(), title, startFolder, chosen))
        return false;
    while (chosen.size() > 1 && (chosen.back() == '/' || chosen.back() == '\\'))
        chosen.pop_back();
    folder = chosen;
    return true;
}
