#include "platform/win/LocalLink.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr const char* SocketPrefix = "instance-";
constexpr const char* SocketSuffix = ".sock";

// A folder that is ours alone: a real folder (no symbolic link), owned by this
// user, with no permission for group or others.
bool IsPrivateFolder(const std::string& path, std::string& why)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        why = "cannot examine " + path;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = path + " is not a folder";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        why = path + " belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        why = path + " is open to other users";
        return false;
    }
    return true;
}

bool MakePrivateFolder(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make " + path + ": " + std::strerror(errno);
        return false;
    }
    return IsPrivateFolder(path, error);
}

bool FillAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    return true;
}

void SetTimeouts(int fd, int seconds)
{
    timeval tv{seconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

namespace LocalLinkWire {

bool ReadAll(int fd, void* buffer, size_t n)
{
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
        const ssize_t got = ::recv(fd, p, n, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const void* buffer, size_t n)
{
    const auto* p = static_cast<const char*>(buffer);
    while (n > 0) {
        const ssize_t put = ::send(fd, p, n, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        p += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

int64_t PeerUid(int fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred)
        return -1;
    return static_cast<int64_t>(cred.uid);
}

}  // namespace LocalLinkWire

std::string LocalLinkFolder(std::string& error)
{
    // The runtime folder is the user's and the login session's; without one
    // (a bare console, some containers) a private folder below the program's
    // temporary folder stands in.
    std::string base;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        std::string why;
        if (IsPrivateFolder(runtime, why))
            base = runtime;
    }
    if (base.empty()) {
        base = FileSystemName(ExcludeTrailingPathDelimiter(GetTempPath()));
        if (!MakePrivateFolder(base, error))
            return {};
    }
    const std::string folder = base + "/eldravin";
    if (!MakePrivateFolder(folder, error))
        return {};
    return folder;
}

bool IsTrustedLinkSocket(const std::string& path, std::string& why)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || !IsPrivateFolder(path.substr(0, slash), why))
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        why = "cannot examine " + path;
        return false;
    }
    if (!S_ISSOCK(st.st_mode)) {
        why = path + " is not a socket";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        why = path + " belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        why = path + " is open to other users";
        return false;
    }
    return true;
}

std::vector<std::string> LocalLinkSockets()
{
    std::vector<std::string> sockets;
    std::string error;
    const std::string folder = LocalLinkFolder(error);
    if (folder.empty())
        return sockets;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return sockets;
    const std::string own = LocalLinkServerPath();
    const size_t prefix = std::strlen(SocketPrefix);
    const size_t suffix = std::strlen(SocketSuffix);
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix + suffix || name.compare(0, prefix, SocketPrefix) != 0 ||
            name.compare(name.size() - suffix, suffix, SocketSuffix) != 0)
            continue;
        const std::string path = folder + "/" + name;
        if (path != own)
            sockets.push_back(path);
    }
    ::closedir(dir);
    std::sort(sockets.begin(), sockets.end());
    return sockets;
}

bool SendLocalLinkRequest(const std::string& socketPath, uint8_t code, const std::string& text, int32_t& answer)
{
    answer = 0;
    std::string why;
    if (!IsTrustedLinkSocket(socketPath, why))
        return false;
    sockaddr_un addr{};
    if (!FillAddress(socketPath, addr))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        // Nobody listens: an instance that ended without removing its socket.
        if (errno == ECONNREFUSED)
            ::unlink(socketPath.c_str());
        ::close(fd);
        return false;
    }
    // A request may open a document (with its questions to the user), so the
    // answer may take a while; a hung instance still does not hang this one.
    SetTimeouts(fd, 120);
    std::string body = text.substr(0, std::min(text.find('\0'), LocalLinkWire::MaxText));
    const uint32_t length = static_cast<uint32_t>(body.size());
    unsigned char head[5] = {static_cast<unsigned char>(code & 0x7F), static_cast<unsigned char>(length),
                             static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length >> 16),
                             static_cast<unsigned char>(length >> 24)};
    bool ok = LocalLinkWire::PeerUid(fd) == static_cast<int64_t>(::getuid());
    ok = ok && LocalLinkWire::WriteAll(fd, head, sizeof head) && LocalLinkWire::WriteAll(fd, body.data(), body.size());
    unsigned char reply[4] = {};
    ok = ok && LocalLinkWire::ReadAll(fd, reply, sizeof reply);
    ::close(fd);
    if (ok)
        answer = static_cast<int32_t>(static_cast<uint32_t>(reply[0]) | static_cast<uint32_t>(reply[1]) << 8 |
                                      static_cast<uint32_t>(reply[2]) << 16 | static_cast<uint32_t>(reply[3]) << 24);
    return ok;
}
