#pragma once
// Compound files (structured storage) read: the container of Word documents
// and embedded objects. A compound file is a small file system inside one file:
// sectors of 512 or 4,096 bytes chained through an allocation table, a
// directory of named storages and streams kept as a tree under each storage,
// and a mini stream of 64-byte sectors for the short streams.
//
// The reader trusts nothing it reads: chains that loop, run off the file or
// end early, directory trees that loop, sizes beyond the file all make the
// file invalid (EStorageError) or cut a stream short, never a crash or an
// endless loop.
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The file is no valid compound file, or a stream or storage asked for is
// missing.
class EStorageError : public EStreamError {
    using EStreamError::EStreamError;
};

// True when the file can be read and begins with the compound-file signature.
bool StgIsStorageFile(const std::string& fileName);

// Directory entry kinds.
enum TStorageEntryType : uint8_t {
    stgUnused = 0,
    stgStorage = 1,
    stgStream = 2,
    stgRoot = 5,
};

struct TStorageEntry {
    int32_t Index = -1;  // in the directory; the root storage is 0
    std::u16string Name;
    uint8_t Type = stgUnused;
    uint64_t Size = 0;   // streams
};

class TCompoundFile {
public:
    // Opens the file for reading, granting others the sharing given
    // (FILE_SHARE_READ and FILE_SHARE_WRITE of FileHandles.h; 0 = exclusive),
    // and reads its header, allocation tables and directory. Raises EFOpenError
    // with the system's error code when the file cannot be opened (another open
    // holds it, for instance) and EStorageError when it is no valid compound file.
    TCompoundFile(const std::string& fileName, uint32_t share);
    ~TCompoundFile();
    TCompoundFile(const TCompoundFile&) = delete;
    TCompoundFile& operator=(const TCompoundFile&) = delete;

    static constexpr int32_t RootStorage = 0;

    // The entries of a storage, in the order of its tree.
    std::vector<TStorageEntry> Children(int32_t storage) const;
    // The child with that name (compared as the format compares names,
    // ignoring case); -1 when there is none.
    int32_t FindChild(int32_t storage, std::u16string_view name) const;
    const TStorageEntry& Entry(int32_t index) const;

    // A read-only stream over a stream entry; it must not outlive this object.
    // Raises EStorageError for an entry that is no stream, and for a name that
    // names no stream of the root storage.
    std::unique_ptr<TStream> OpenStream(int32_t entry);
    std::unique_ptr<TStream> OpenStream(std::u16string_view name);

    int32_t SectorSize() const { return FSectorSize; }

private:
    friend class TStorageStream;
    void ReadHeader();
    void ReadAllocationTable();
    void ReadDirectory();
    // The mini stream and its table, read when a short stream is first opened.
    void ReadMiniStream();
    // The sectors of a chain, at most maxCount of them; raises EStorageError
    // for a chain that loops or leaves the table.
    std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t start, uint64_t maxCount) const;
    // Cuts a chain of regular sectors before the first that does not lie
    // whole in the file (keeping one the file's end cuts) and returns the
    // bytes the rest holds in the file; the same for a chain of mini sectors
    // and the mini stream.
    uint64_t CutToFile(std::vector<uint32_t>& sectors) const;
    uint64_t CutToMiniStream(std::vector<uint32_t>& sectors) const;
    void ReadSector(uint32_t sector, uint8_t* buffer) const;
    // Reads count bytes at a byte offset of a sector; false past the file's end.
    bool ReadAt(uint64_t fileOffset, void* buffer, int32_t count) const;
    [[noreturn]] void Invalid(const char* what) const;

    std::string FFileName;
    THandle FHandle = INVALID_HANDLE_VALUE;
    uint64_t FFileSize = 0;
    int32_t FSectorShift = 9;
    int32_t FSectorSize = 512;
    int32_t FMiniSectorSize = 64;
    uint32_t FMiniCutoff = 4096;
    uint32_t FFirstDirectorySector = 0;
    uint32_t FFirstMiniFatSector = 0;
    uint32_t FMiniFatSectorCount = 0;
    uint32_t FFirstDifatSector = 0;
    uint32_t FDifatSectorCount = 0;
    uint32_t FFatSectorCount = 0;
    uint32_t FHeaderDifat[109] = {};
    std::vector<uint32_t> FFat;
    std::vector<uint32_t> FMiniFat;
    std::vector<uint32_t> FMiniStreamSectors;  // the regular sectors of the mini stream
    uint64_t FMiniStreamSize = 0;              // its bytes that can be read
    bool FMiniStreamRead = false;
    struct TDirEntry {
        TStorageEntry Public;
        uint32_t Left = 0xFFFFFFFFu;
        uint32_t Right = 0xFFFFFFFFu;
        uint32_t Child = 0xFFFFFFFFu;
        uint32_t Start = 0;
    };
    std::vector<TDirEntry> FEntries;
};
