#pragma once
// HTTP GET of one resource, read piece by piece, for callers that write it to
// a file as it comes (the program's update check). Blocking calls, usable on
// the user-interface thread or on a worker thread (each request runs its own
// event loop while it waits, so windows stay painted on the user-interface
// thread). Both http and https addresses are taken; https certificates are
// checked by the desktop's TLS stack and a bad one fails the request.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// How to reach the server: through the desktop's configured proxy, or direct.
enum class THttpAccess : uint8_t { Preconfigured, Direct };

class THttpRequest {
public:
    virtual ~THttpRequest() = default;
    // The HTTP status (200, 206, 404, ...).
    virtual int32_t Status() const = 0;
    // Whether the server gave the resource's length, and that length: the
    // whole resource's, also for a part (from Content-Range).
    virtual bool HasLength() const = 0;
    virtual int64_t Length() const = 0;
    // The byte of the resource the body starts at: the asked offset when the
    // server sent that part (206), 0 when it sent the whole resource.
    virtual int64_t StartOffset() const = 0;
    // A validator of this version of the resource (ETag, else Last-Modified),
    // for a later request that must only resume the same version.
    virtual std::string Validator() const = 0;
    // Reads up to size bytes: the count, 0 at the end of the body, -1 when the
    // transfer failed (connection lost, stalled for the time-out).
    virtual int64_t Read(char* buffer, int64_t size) = 0;
};

struct THttpOptions {
    THttpAccess Access = THttpAccess::Preconfigured;
    // Asks for the resource from this byte on (a Range request); 0 for all.
    int64_t From = 0;
    // With From: resume only while the resource still has this validator
    // (If-Range); a changed resource comes whole.
    std::string Validator;
    std::string UserAgent;
    // Longest wait for the headers and for each piece of the body.
    int32_t TimeoutMs = 30000;
    // Asked a few times a second while waiting: true ends the wait and the
    // request fails (a worker whose download the user stopped).
    std::function<bool()> Cancelled;
};

// Opens the address and waits for the reply's headers. Null, with a reason
// in error, when the server cannot be reached or answers with an error status.
std::unique_ptr<THttpRequest> OpenHttpRequest(const std::string& url, const THttpOptions& options, std::string& error);

// The SHA-256 of a file's bytes in lower-case hexadecimal; empty when the file
// cannot be read.
std::string Sha256OfFile(const std::string& fileName);
