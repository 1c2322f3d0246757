#include "formats/DocumentFile.h"

#include "formats/LoadRoutines.h"
#include "platform/ole/CompoundFile.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SystemErrors.h"

#include <cstring>

namespace {

uint16_t WordAt(const uint8_t* p, int32_t offset)
{
    return static_cast<uint16_t>(p[offset] | (p[offset + 1] << 8));
}

char LowerAscii(uint8_t c)
{
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}

// The size of what is loaded: the file's, or the memory block's.
int64_t SourceSize(const TDocLoadContext& context)
{
    return context.Request.Source == lsFile ? context.FileSize : context.Request.BufferSize;
}

// Word documents keep a "WordDocument" stream that starts with the format's
// identifier (Word 6.0/95 or Word 97) and a version of at least 101.
bool IsWordHeader(const uint8_t* header, int32_t size)
{
    if (size < 4)
        return false;
    const uint16_t ident = WordAt(header, 0);
    return (ident == 0xA5DC || ident == 0xA5EC) && WordAt(header, 2) >= 0x65;
}

}  // namespace

bool TestCoding(TDocLoadContext& context, int32_t coding)
{
    const uint8_t* b = context.ReadBuffer;
    const int32_t fill = b ? context.BufferFill : 0;
    const int64_t size = SourceSize(context);
    switch (coding) {
    case ciRtf:
        if (context.Request.Source > lsMemory || size < 6 || fill < 5)
            return false;
        return b[0] == '{' && b[1] == '\\' && LowerAscii(b[2]) == 'r' && LowerAscii(b[3]) == 't' &&
               LowerAscii(b[4]) == 'f';
    case ciWord6:
    case ciWord97:
        return IsWordFile(context);
    case ciWrite:
        if (size <= 0 || size % 128 != 0 || fill < 98)
            return false;
        return (WordAt(b, 0) == 0xBE31 || WordAt(b, 0) == 0xBE32) && WordAt(b, 4) == 0xAB00 && WordAt(b, 96) != 0;
    case ciEncrypted:
        return size > 58 && fill >= 10 && std::memcmp(b, EncryptedSignature, sizeof EncryptedSignature) == 0;
    case ciAnsiText:
    case ciDosText:
        return true;
    default:
        return false;
    }
}

int32_t DetectCoding(TDocLoadContext& context)
{
    for (int32_t coding : {ciRtf, ciEncrypted, ciWrite, ciWord6})
        if (TestCoding(context, coding))
            return coding;
    return ciAnsiText;
}

bool IsWordFile(TDocLoadContext& context)
{
    if (context.WordTest != 0)
        return context.WordTest == 1;
    context.WordTest = 2;
    if (context.Request.Source != lsFile || !StgIsStorageFile(context.OpenedName))
        return false;
    TDocument& document = context.Document;
    // The compound file is opened for reading, denying writers, which the
    // kept handle forbids: a read-only document reads a copy, any other gives
    // its handle up meanwhile. Other programs that only read the file (a
    // viewer) do not stand in the way.
    std::string storageName = context.OpenedName;
    const bool useCopy = document.FileState.ReadOnly;
    if (useCopy) {
        if (!CopyDocumentFile(context))
            return false;
        storageName = context.CopyName;
    } else {
        document.CloseFile();
    }
    try {
        auto storage = std::make_unique<TCompoundFile>(storageName, FILE_SHARE_READ);
        const int32_t entry = storage->FindChild(TCompoundFile::RootStorage, u"WordDocument");
        if (entry >= 0 && storage->Entry(entry).Type == stgStream) {
            std::unique_ptr<TStream> stream = storage->OpenStream(entry);
            context.WordHeaderSize = std::max(stream->Read(context.WordHeader, sizeof context.WordHeader), 0);
            if (IsWordHeader(context.WordHeader, context.WordHeaderSize)) {
                context.Storage = std::move(storage);
                context.Stream = std::move(stream);
                context.WordTest = 1;
                return true;
            }
        }
    } catch (const EStreamError&) {
        // No compound file the Word reader could read: not Word.
    }
    if (useCopy) {
        DeleteFile(context.CopyName);
        context.CopyMade = false;
    } else {
        const THandle handle =
            CreateFile(context.OpenedName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFOpenError("Impossible d'ouvrir le fichier \"" + context.Request.FileName + "\".",
                              static_cast<int>(GetLastError()));
        document.FileState.Handle = handle;
        FileSeek(handle, context.BufferFileOffset + context.BufferFill, 0);
    }
    return false;
}
