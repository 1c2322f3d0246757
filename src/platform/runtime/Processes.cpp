#include "platform/runtime/Processes.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/SystemErrors.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>

extern char** environ;

namespace {

// A relative argument names a file of the folder the program starts in.
std::string ArgumentText(const std::string& arg, const std::string& workDir)
{
    if (arg.empty())
        return arg;
    const std::string base = !IsPathDelimiter(arg[0]) && !workDir.empty() ? IncludeTrailingPathDelimiter(workDir) : "";
    const std::string fsBase = FileSystemName(base);
    const std::string fs = FileSystemName(base + arg);
    struct stat st;
    if (stat(fs.c_str(), &st) == 0 && fs.compare(0, fsBase.size(), fsBase) == 0)
        return fs.substr(fsBase.size());
    return Utf8FromAnsi(arg);
}

// Starts the process; its id, or 0 with the last error set.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& workDir)
{
    if (program.empty())
        return SetLastError(ERROR_FILE_NOT_FOUND), 0;
    const bool searchPath = program.find('/') == std::string::npos && program.find('\\') == std::string::npos;
    std::vector<std::string> texts;
    texts.push_back(searchPath ? Utf8FromAnsi(program) : FileSystemName(program));
    for (const std::string& a : args)
        texts.push_back(ArgumentText(a, workDir));
    std::vector<char*> argv;
    for (std::string& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string fsDir = workDir.empty() ? std::string() : FileSystemName(workDir);
    if (!fsDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, fsDir.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The child starts with default signal handling and no blocked signals,
    // whatever the program set up for itself.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int rc = searchPath ? posix_spawnp(&pid, texts[0].c_str(), &actions, &attr, argv.data(), environ)
                              : posix_spawn(&pid, texts[0].c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        SetLastError(ErrorFromErrno(rc));
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return pid;
}

int32_t WaitExitCode(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

bool StartProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir)
{
    const pid_t pid = Spawn(program, args, workDir);
    if (pid == 0)
        return false;
    // A small thread waits for the end, so that no finished process stays a zombie.
    std::thread([pid] { WaitExitCode(pid); }).detach();
    return true;
}

bool RunProcess(const std::string& program, const std::vector<std::string>& args, int32_t& exitCode,
                const std::string& workDir)
{
    const pid_t pid = Spawn(program, args, workDir);
    if (pid == 0)
        return false;
    exitCode = WaitExitCode(pid);
    return true;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

uint32_t WinExec(const std::string& commandLine)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return ERROR_FILE_NOT_FOUND;
    const std::string program = words.front();
    words.erase(words.begin());
    if (StartProcess(program, words))
        return 33;
    const uint32_t code = GetLastError();
    return code == ERROR_SUCCESS || code > 31 ? ERROR_FILE_NOT_FOUND : code;
}

bool ShellOpen(const std::string& target)
{
    if (target.empty())
        return SetLastError(ERROR_FILE_NOT_FOUND), false;
    std::string what = target;
    if (what.size() > 4 && (what.compare(0, 4, "www.") == 0 || what.compare(0, 4, "WWW.") == 0))
        what = "http://" + what;
    // An address goes as its text, a file as its real name (the argument rule).
    return StartProcess("xdg-open", {what});
}

uint64_t GetTickCount64()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uint32_t GetTickCount()
{
    return static_cast<uint32_t>(GetTickCount64());
}

void Sleep(uint32_t milliseconds)
{
    struct timespec ts;
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}
