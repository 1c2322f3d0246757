// The receiving end of the single-instance link: a listening socket watched
// by the Qt event loop, so requests are answered on the user-interface thread
// between other events, as window messages would be.
#include "platform/win/LocalLink.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct TLinkServer {
    int Fd = -1;
    std::string Path;
    std::shared_ptr<TLocalLinkHandler> Handler;
    std::unique_ptr<QSocketNotifier> Notifier;
};

std::unique_ptr<TLinkServer> g_Server;

void AnswerConnection(int fd, const std::shared_ptr<TLocalLinkHandler>& handler)
{
    // Only this user's processes may give orders.
    if (LocalLinkWire::PeerUid(fd) != static_cast<int64_t>(::getuid()))
        return;
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    unsigned char head[5] = {};
    if (!LocalLinkWire::ReadAll(fd, head, sizeof head))
        return;
    const uint32_t length = static_cast<uint32_t>(head[1]) | static_cast<uint32_t>(head[2]) << 8 |
                            static_cast<uint32_t>(head[3]) << 16 | static_cast<uint32_t>(head[4]) << 24;
    if (length > LocalLinkWire::MaxText)
        return;
    std::string text(length, '\0');
    if (length > 0 && !LocalLinkWire::ReadAll(fd, text.data(), length))
        return;
    text.resize(std::strlen(text.c_str()));
    const int32_t answer = (*handler)(static_cast<uint8_t>(head[0] & 0x7F), text);
    const uint32_t a = static_cast<uint32_t>(answer);
    const unsigned char reply[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(a >> 8),
                                    static_cast<unsigned char>(a >> 16), static_cast<unsigned char>(a >> 24)};
    LocalLinkWire::WriteAll(fd, reply, sizeof reply);
}

void AcceptPending()
{
    if (!g_Server)
        return;
    const int listenFd = g_Server->Fd;
    // The handler outlives a server stopped while a request is being answered.
    const std::shared_ptr<TLocalLinkHandler> handler = g_Server->Handler;
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        AnswerConnection(fd, handler);
        ::close(fd);
        if (!g_Server || g_Server->Fd != listenFd)
            return;
    }
}

}  // namespace

bool StartLocalLinkServer(TLocalLinkHandler handler, std::string& error)
{
    if (g_Server) {
        *g_Server->Handler = std::move(handler);
        return true;
    }
    const std::string folder = LocalLinkFolder(error);
    if (folder.empty())
        return false;
    auto server = std::make_unique<TLinkServer>();
    server->Path = folder + "/instance-" + std::to_string(::getpid()) + ".sock";
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (server->Path.size() >= sizeof addr.sun_path) {
        error = "socket path too long: " + server->Path;
        return false;
    }
    std::memcpy(addr.sun_path, server->Path.c_str(), server->Path.size());
    // A socket of an earlier process with this number is gone with it.
    ::unlink(server->Path.c_str());
    server->Fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (server->Fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // The folder is already closed to others; the socket is closed as well so
    // that it never passes for anyone else's.
    if (::bind(server->Fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(server->Path.c_str(), 0600) != 0 || ::listen(server->Fd, 8) != 0) {
        error = "cannot listen on " + server->Path + ": " + std::strerror(errno);
        ::close(server->Fd);
        ::unlink(server->Path.c_str());
        return false;
    }
    server->Handler = std::make_shared<TLocalLinkHandler>(std::move(handler));
    server->Notifier = std::make_unique<QSocketNotifier>(server->Fd, QSocketNotifier::Read);
    QObject::connect(server->Notifier.get(), &QSocketNotifier::activated, [] { AcceptPending(); });
    g_Server = std::move(server);
    return true;
}

void StopLocalLinkServer()
{
    if (!g_Server)
        return;
    std::unique_ptr<TLinkServer> server = std::move(g_Server);
    // The notifier may be the sender of the signal being handled now.
    server->Notifier->setEnabled(false);
    server->Notifier.release()->deleteLater();
    ::close(server->Fd);
    ::unlink(server->Path.c_str());
}

std::string LocalLinkServerPath()
{
    return g_Server ? g_Server->Path : std::string();
}
