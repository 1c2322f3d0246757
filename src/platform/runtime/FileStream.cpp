#include "platform/runtime/FileStream.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/SystemErrors.h"

int32_t THandleStream::Read(void* buffer, int32_t count)
{
    const int32_t n = FileRead(FHandle, buffer, count);
    return n < 0 ? 0 : n;
}

int32_t THandleStream::Write(const void* buffer, int32_t count)
{
    const int32_t n = FileWrite(FHandle, buffer, count);
    return n < 0 ? 0 : n;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t pos = FileSeek(FHandle, offset, static_cast<int32_t>(origin));
    if (pos < 0)
        throw EStreamError("Position de flux incorrecte");
    return pos;
}

int64_t THandleStream::Size()
{
    const int64_t size = FileGetSize(FHandle);
    if (size < 0)
        throw EStreamError("Taille de flux inconnue");
    return size;
}

void THandleStream::SetSize(int64_t newSize)
{
    const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    if (newSize < 0 || !FileSetSize(FHandle, newSize))
        throw EStreamError("Impossible de changer la taille du flux. " + SysErrorMessage(GetLastError()));
    if (pos > newSize)
        Seek(newSize, TSeekOrigin::soBeginning);
}

TFileStream::TFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(fileName)
{
    if ((mode & 0xFF00) == fmCreate) {
        FHandle = FileCreate(fileName, mode & 0x00F0);
        if (FHandle == INVALID_HANDLE_VALUE) {
            const uint32_t code = GetLastError();
            throw EFCreateError("Impossible de créer le fichier \"" + fileName + "\". " + SysErrorMessage(code),
                                static_cast<int>(code));
        }
    } else {
        FHandle = FileOpen(fileName, mode);
        if (FHandle == INVALID_HANDLE_VALUE) {
            const uint32_t code = GetLastError();
            throw EFOpenError("Impossible d'ouvrir le fichier \"" + fileName + "\". " + SysErrorMessage(code),
                              static_cast<int>(code));
        }
    }
}

TFileStream::~TFileStream()
{
    FileClose(FHandle);
}
