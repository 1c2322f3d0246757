#pragma once
// Other programs, the desktop, and time: starting a program (without waiting, or
// waiting for its exit code), opening a document or an address with the
// desktop's default application, a millisecond tick count and sleeping.
//
// Arguments are 1252 program strings. An argument that names an existing file
// or folder (once separators and aliases are resolved, platform/runtime/FileNames.h)
// is passed as the real file-system name; every other one as its UTF-8 text. A
// relative argument is looked up in the folder the program starts in.
#include <cstdint>
#include <string>
#include <vector>

// Starts program (found through PATH when it holds no '/') with the arguments,
// in workDir when given. Does not wait; the ended process is reaped. False, with
// GetLastError set, when it cannot be started.
bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workDir = {});
// Starts the program and waits until it ends. exitCode gets its exit status
// (128 + the signal number when a signal ended it).
bool RunProcess(const std::string& program, const std::vector<std::string>& args, int32_t& exitCode,
                const std::string& workDir = {});

// Splits a command line the way the original platform's programs read theirs:
// blanks separate arguments, double quotes group blanks into one and are dropped.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Starts the program of a command line (first word) with the other words as
// arguments, without waiting. Like its original, a result above 31 is success;
// otherwise it is the error code. The window-show mode has no counterpart here:
// programs show their own windows.
uint32_t WinExec(const std::string& commandLine);

// Opens a document, a folder, a web address or an e-mail address with the
// desktop's default application (xdg-open). A text that begins with "www." is
// taken as "http://" + it. Does not wait: false only when the desktop's opener
// cannot be started, so an address without any handler is reported by the
// desktop, not here.
bool ShellOpen(const std::string& target);

// Milliseconds since an arbitrary start, monotonic; the 32-bit count wraps after
// 49.7 days as the original does.
uint32_t GetTickCount();
uint64_t GetTickCount64();
void Sleep(uint32_t milliseconds);
