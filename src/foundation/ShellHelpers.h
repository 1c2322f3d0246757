#pragma once
// Work handed to the desktop and the system: opening a hyperlink target (web
// address, e-mail address or file), shortcut files, internet shortcuts, system
// beeps that follow the user's sound scheme, the machine's memory and the
// logged-on user's name.
#include <cstdint>
#include <functional>
#include <string>

// True when the text starts, ignoring case, with "http", "ftp", "news" or "www".
bool HasURLPrefix(const std::string& text);
// True when the text holds "@" or has one of those prefixes.
bool IsURLOrEMail(const std::string& text);
// True for a real web address, one that cannot name a local file: a scheme
// ("http://", "https://", "ftp://", "news:", "nntp://", "mailto:") or "www."
// followed by a host name.
bool IsWebAddress(const std::string& text);

// What opening a hyperlink needs of the document dispatcher, the options and
// the clipboard; start-up installs them. A missing one does nothing (false).
struct THyperlinkServices {
    // Activates the window of the open document of that name; false when none is open.
    std::function<bool(const std::string& fileName)> ActivateOpenDocument;
    // True when the program opens the file itself: the option to open
    // hyperlinks in the program is on and the file has the extension of one of
    // its document or picture formats.
    std::function<bool(const std::string& fileName)> OpensInProgram;
    std::function<void(const std::string& fileName)> OpenInProgram;
    std::function<void(const std::string& text)> PutTextOnClipboard;
};
void SetHyperlinkServices(THyperlinkServices services);

// Opens a hyperlink target: an e-mail address with the mail program, a web
// address with the browser, a document the program has open or opens itself in
// the program; any other file (a "file:" address included, and any text that
// names an existing file however it is written) only after the safety question.
void OpenHyperlinkTarget(const std::string& target);

// Shortcut files are the desktop's entries (".desktop"); ".lnk" names are
// recognised too.
bool IsShortcutFile(const std::string& name);
// The target of a shortcut file: the file, folder or address it points to, or
// the program it starts; the name unchanged when it is no readable shortcut.
std::string ResolveShortcut(const std::string& name);
// Writes a shortcut file: to a program with its arguments and working folder,
// or to a document, folder or address. Raises EFCreateError when it cannot be written.
void CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    const std::string& workingFolder);
// The address of an internet shortcut: the rest of its first line that begins
// with "URL=". The argument is the shortcut's file name, or its text when no
// such file exists. Empty when there is none.
std::string GetInternetShortcutURL(const std::string& fileNameOrText);

// Shows the folder browser owned by the active form, with the title, the start
// folder selected; true and the chosen folder (without a trailing separator),
// or false when the user cancels.
bool BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& folder);

// Beep kinds (the message-box icon values).
constexpr uint32_t BeepHand = 0x10;
constexpr uint32_t BeepQuestion = 0x20;
constexpr uint32_t BeepExclamation = 0x30;
constexpr uint32_t BeepAsterisk = 0x40;
// Beeps for the four kinds above only when the user's sound scheme assigns
// them a sound (registry key "AppEvents\Schemes\Apps\.Default\System<event>\.Current");
// any other kind beeps directly.
void PlaySystemBeep(uint32_t kind);
// The desktop's beep, installed by the platform host at start-up (no sound
// without one). Returns the previous one.
using TBeepHandler = void (*)(uint32_t kind);
TBeepHandler SetBeepHandler(TBeepHandler handler);

int64_t GetTotalPhysicalMemory();
// The logged-on user's name, empty when the system gives none.
std::string GetLoginUserName();
