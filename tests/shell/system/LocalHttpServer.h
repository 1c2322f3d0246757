#pragma once
// A small HTTP/1.1 server on the loopback address for the download tests:
// each resource has a body and a validator, may leave out its length, may
// cut the connection after some bytes (once), and answers "Range: bytes=N-"
// with the rest (206) unless its validator changed (If-Range). It serves one
// request per connection on a thread of its own and records what it was asked.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

struct TServedResource {
    std::string Body;
    std::string ETag = "\"v1\"";
    bool SendLength = true;
    bool HonourRange = true;
    // Closes the connection after this many body bytes of the next answer (-1: never).
    int64_t CutAfter = -1;
};

class TLocalHttpServer {
public:
    TLocalHttpServer()
    {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(FListen, 16);
        socklen_t len = sizeof addr;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len);
        FPort = ntohs(addr.sin_port);
        FThread = std::thread([this] { Serve(); });
    }
    ~TLocalHttpServer()
    {
        FStop = true;
        FThread.join();
        ::close(FListen);
    }

    // "http://127.0.0.1:port".
    std::string Host() const { return "http://127.0.0.1:" + std::to_string(FPort); }

    void Set(const std::string& path, const TServedResource& resource)
    {
        std::lock_guard guard(FLock);
        FResources[path] = resource;
    }
    // The request lines and Range headers received, in order ("GET /a", "Range: bytes=10-").
    std::vector<std::string> Requests()
    {
        std::lock_guard guard(FLock);
        return FRequests;
    }

private:
    void Serve()
    {
        while (!FStop) {
            pollfd p{FListen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            Answer(fd);
            ::close(fd);
        }
    }

    void Answer(int fd)
    {
        std::string head;
        char c = 0;
        while (head.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0 || ::recv(fd, &c, 1, 0) != 1)
                return;
            head += c;
        }
        const std::string line = head.substr(0, head.find("\r\n"));
        const std::string target = line.substr(4, line.rfind(' ') - 4);
        const std::string path = target.substr(1);
        auto header = [&](const std::string& name) {
            std::string lower = head;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            std::string key = "\r\n" + name + ":";
            for (char& ch : key)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            const size_t at = lower.find(key);
            if (at == std::string::npos)
                return std::string();
            const size_t start = head.find_first_not_of(' ', at + key.size());
            return head.substr(start, head.find("\r\n", start) - start);
        };
        TServedResource resource;
        bool found = false;
        {
            std::lock_guard guard(FLock);
            FRequests.push_back(line.substr(0, line.rfind(' ')));
            const std::string range = header("Range");
            if (!range.empty())
                FRequests.push_back("Range: " + range);
            auto it = FResources.find(path);
            if (it != FResources.end()) {
                resource = it->second;
                found = true;
                it->second.CutAfter = -1;  // the cut happens once
            }
        }
        if (!found) {
            Send(fd, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        int64_t from = 0;
        const std::string range = header("Range");
        const std::string ifRange = header("If-Range");
        if (!range.empty() && resource.HonourRange && (ifRange.empty() || ifRange == resource.ETag))
            from = std::stoll(range.substr(range.find('=') + 1));
        const int64_t total = static_cast<int64_t>(resource.Body.size());
        std::string response = from > 0 ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
        response += "ETag: " + resource.ETag + "\r\nConnection: close\r\n";
        if (from > 0)
            response += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(total - 1) + "/" +
                        std::to_string(total) + "\r\n";
        if (resource.SendLength)
            response += "Content-Length: " + std::to_string(total - from) + "\r\n";
        response += "\r\n";
        std::string body = resource.Body.substr(static_cast<size_t>(from));
        if (resource.CutAfter >= 0 && resource.CutAfter < static_cast<int64_t>(body.size()))
            body.resize(static_cast<size_t>(resource.CutAfter));
        Send(fd, response + body);
    }

    static void Send(int fd, const std::string& data)
    {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t put = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (put <= 0)
                return;
            done += static_cast<size_t>(put);
        }
    }

    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    std::mutex FLock;
    std::map<std::string, TServedResource> FResources;
    std::vector<std::string> FRequests;
};
