#pragma once
// The exception family the program raises. Messages are French, in code page
// 1252, with "||" standing for a line break where they are shown.
#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message = {}) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Ends an action without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Opération abandonnée") {}
};

// Raises the silent abort.
[[noreturn]] void Abort();

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Mémoire insuffisante") {}
    using Exception::Exception;
};

class EConvertError : public Exception {
    using Exception::Exception;
};

// A failed file or device operation; ErrorCode is the system's error number.
class EInOutError : public Exception {
public:
    explicit EInOutError(std::string message, int errorCode = 0)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

class EStreamError : public Exception {
    using Exception::Exception;
};
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};
// A file could not be opened (also when another program holds it in a
// conflicting sharing mode).
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(std::string message, int errorCode = 0)
        : EStreamError(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(std::string message, int errorCode = 0)
        : EStreamError(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// Index out of range or a duplicate refused by a list.
class EListError : public Exception {
    using Exception::Exception;
};
class EStringListError : public EListError {
    using EListError::EListError;
};

class EInvalidOperation : public Exception {
    using Exception::Exception;
};

class EInvalidArgument : public Exception {
    using Exception::Exception;
};

// A program fault that must be reported, never swallowed (an operation code whose
// routine is not available, an impossible state).
class EInternalError : public Exception {
    using Exception::Exception;
};
