#pragma once
// The single-instance link's transport: each running instance listens on a
// local socket in a folder private to the user ($XDG_RUNTIME_DIR/eldravin,
// else a private folder below the temporary folder). A request is one command
// byte and an optional text; the answer is one 32-bit number.
//
// Nothing here trusts the file system blindly: the folder must be a real
// folder owned by the user with no access for anyone else, each socket must
// be owned by the user and closed to others, and both ends check the other
// end's user through the kernel's peer credentials. A socket that fails any
// test is passed over.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The link folder, made (mode 0700) when missing. Empty, with the reason in
// error, when it cannot be made or is not private to the user.
std::string LocalLinkFolder(std::string& error);

// Whether a path is a socket fit to talk to: owned by this user, with no
// permission for group or others, inside a private link folder.
bool IsTrustedLinkSocket(const std::string& path, std::string& why);

// The sockets of the link folder other than this process's own, in name
// order (oldest instance first is not promised). Sockets nobody listens on
// any more are removed as they are met.
std::vector<std::string> LocalLinkSockets();

// Sends one request to the instance listening on the socket and returns its
// answer; false when the socket is not trusted, the peer is another user, or
// the exchange fails. The text is cut at 1,023 bytes and at its first zero.
bool SendLocalLinkRequest(const std::string& socketPath, uint8_t code, const std::string& text, int32_t& answer);

// The receiving end: requests are handed to the handler on the user-interface
// thread, one at a time, as the event loop runs. Returns false (with the
// reason) when the socket cannot be made; a second call replaces the handler.
using TLocalLinkHandler = std::function<int32_t(uint8_t code, const std::string& text)>;
bool StartLocalLinkServer(TLocalLinkHandler handler, std::string& error);
// Closes and removes this process's socket.
void StopLocalLinkServer();
// This process's socket path while the server runs, else empty.
std::string LocalLinkServerPath();

// The wire format, shared by both ends (and tests that play a peer).
namespace LocalLinkWire {
constexpr size_t MaxText = 1023;
// Reads exactly n bytes (bounded by the socket's time-outs); false on failure.
bool ReadAll(int fd, void* buffer, size_t n);
bool WriteAll(int fd, const void* buffer, size_t n);
// The uid of the process at the other end of a connected socket, or -1.
int64_t PeerUid(int fd);
}  // namespace LocalLinkWire
