#pragma once
// A ZIP archive of existing files, written once: one deflated entry per
// file, the central directory kept in memory until the archive is closed.
// There is no reading, listing or appending.
#include "platform/runtime/FileHandles.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>


// What the caller of an entry tells about it.
struct TZipEntryInfo {
    uint32_t DosDateTime = 0;  // time in the low half, date in the high half
    uint16_t InternalAttributes = 0;
    uint32_t ExternalAttributes = 0;
};

class TZipFile {
public:
    TZipFile();
    ~TZipFile();
    TZipFile(const TZipFile&) = delete;
    TZipFile& operator=(const TZipFile&) = delete;

    // Creates the archive file (an existing one is overwritten); false,
    // without a message, when it cannot be created.
    bool Open(const std::string& fileName);
    // Adds the file under the name (made unique among the names used, its
    // characters in the OEM code page); true when the entry was written
    // completely. A file that cannot be opened is reported.
    bool ZipAddFile(const std::string& sourcePath, const std::string& entryName);
    // Writes the central directory and the end record and closes the
    // archive; the archive is deleted when that failed or an entry failed.
    bool Close();

    // The entry steps (true on success).
    bool BeginEntry(const std::string& oemName, const TZipEntryInfo& info, int32_t level);
    bool WriteEntryData(const void* data, size_t count);
    bool EndEntry();

    int32_t EntryCount() const { return FEntryCount; }
    bool Failed() const { return FError; }

private:
    void WriteArchive(const void* data, size_t count);
    void FlushOutput();
    void AppendCentral(const std::vector<uint8_t>& record);
    bool ZipFinish();

    THandle FArchive = INVALID_HANDLE_VALUE;
    // The central directory, in chunks of 4,096 bytes.
    struct TChunk {
        std::array<uint8_t, 4080> Data{};
        size_t Used = 0;
    };
    std::vector<std::unique_ptr<TChunk>> FCentral;
    int32_t FEntryCount = 0;
    z_stream FStream{};
    bool FStreamOpen = false;
    size_t FPending = 0;
    int64_t FLocalHeaderOffset = 0;
    // The current entry's central record: 46 bytes and the name, of any length.
    std::vector<uint8_t> FRecord;
    uint16_t FFlags = 0;
    std::vector<uint8_t> FOutput;
    uint32_t FDosDateTime = 0;
    uint32_t FCrc = 0;
    std::string FFileName;
    std::vector<std::string> FUsedNames;  // in the ANSI code page
    bool FError = false;
};

// The general-purpose flags of the compression level.
uint16_t ZipFlagsOfLevel(int32_t level);
// "Lettre.rtf", "Lettre (2).rtf", ...: the name with the number before its
// extension.
std::string ZipNumberedName(const std::string& name, int32_t number);
