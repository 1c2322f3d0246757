#pragma once
// Streams over files: THandleStream works on a handle its caller owns (a
// document's kept-open file), TFileStream opens the file itself with an open
// mode and a share mode (platform/runtime/FileHandles.h) and closes it when
// freed. Files may be larger than 2 GB: positions and sizes are 64-bit.
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Stream.h"

#include <string>

class THandleStream : public TStream {
public:
    explicit THandleStream(THandle handle) : FHandle(handle) {}
    THandleStream(const THandleStream&) = delete;
    THandleStream& operator=(const THandleStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    // Cuts or extends the file; a position beyond the new end moves to it, as
    // in the memory streams.
    void SetSize(int64_t newSize) override;
    THandle Handle() const { return FHandle; }

protected:
    THandle FHandle;
};

class TFileStream : public THandleStream {
public:
    // Raises EFCreateError (fmCreate) or EFOpenError with the system's code and
    // its French text: ErrorCode ERROR_SHARING_VIOLATION when another open holds
    // the file in a conflicting mode.
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
};
