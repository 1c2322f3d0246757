#include "formats/zip/ZipFile.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "formats/DocFileHost.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBlockSize = 16384;
constexpr uint32_t kLocalSignature = 0x04034B50u;
constexpr uint32_t kCentralSignature = 0x02014B50u;
constexpr uint32_t kEndSignature = 0x06054B50u;
constexpr size_t kCentralFixed = 46;

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

uint16_t ZipFlagsOfLevel(int32_t level)
{
    switch (level) {
    case 1: return 6;
    case 2: return 4;
    case 8:
    case 9: return 2;
    default: return 0;
    }
}

std::string ZipNumberedName(const std::string& name, int32_t number)
{
    const std::string extension = ExtractFileExt(name);
    const std::string stem = name.substr(0, name.size() - extension.size());
    return stem + " (" + std::to_string(number) + ")" + extension;
}

TZipFile::TZipFile() : FOutput(kBlockSize) {}

TZipFile::~TZipFile()
{
    if (FStreamOpen)
        deflateEnd(&FStream);
    if (FArchive != INVALID_HANDLE_VALUE) {
        FileClose(FArchive);
        DeleteFile(FFileName);
    }
}

bool TZipFile::Open(const std::string& fileName)
{
    FFileName = fileName;
    FArchive = CreateFile(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    FCentral.clear();
    FEntryCount = 0;
    FError = false;
    return FArchive != INVALID_HANDLE_VALUE;
}

void TZipFile::WriteArchive(const void* data, size_t count)
{
    if (count == 0)
        return;
    if (FArchive == INVALID_HANDLE_VALUE || count > 0x7FFFFFFF ||
        FileWrite(FArchive, data, static_cast<int32_t>(count)) != static_cast<int32_t>(count))
        Abort();
}

void TZipFile::FlushOutput()
{
    WriteArchive(FOutput.data(), FPending);
    FPending = 0;
    FStream.next_out = FOutput.data();
    FStream.avail_out = static_cast<uInt>(FOutput.size());
}

void TZipFile::AppendCentral(const std::vector<uint8_t>& record)
{
    size_t done = 0;
    while (done < record.size()) {
        if (FCentral.empty() || FCentral.back()->Used == FCentral.back()->Data.size())
            FCentral.push_back(std::make_unique<TChunk>());
        TChunk& chunk = *FCentral.back();
        const size_t count = std::min(record.size() - done, chunk.Data.size() - chunk.Used);
        std::memcpy(chunk.Data.data() + chunk.Used, record.data() + done, count);
        chunk.Used += count;
        done += count;
    }
}

bool TZipFile::BeginEntry(const std::string& oemName, const TZipEntryInfo& info, int32_t level)
{
    try {
        if (oemName.size() > 0xFFFF)
            Abort();
        FDosDateTime = info.DosDateTime;
        FFlags = ZipFlagsOfLevel(level);
        FCrc = 0;
        FPending = 0;
        FLocalHeaderOffset = FileSeek(FArchive, 0, 1);
        if (FLocalHeaderOffset < 0 || FLocalHeaderOffset > 0xFFFFFFFFll)
            Abort();
        FRecord.assign(kCentralFixed + oemName.size(), 0);
        uint8_t* r = FRecord.data();
        Put32(r, kCentralSignature);
        Put16(r + 6, 20);
        Put16(r + 8, FFlags);
        Put16(r + 10, 8);
        Put32(r + 12, FDosDateTime);
        Put16(r + 28, static_cast<uint32_t>(oemName.size()));
        Put16(r + 36, info.InternalAttributes);
        Put32(r + 38, info.ExternalAttributes);
        Put32(r + 42, static_cast<uint32_t>(FLocalHeaderOffset));
        std::memcpy(r + kCentralFixed, oemName.data(), oemName.size());

        std::vector<uint8_t> local(30 + oemName.size(), 0);
        Put32(local.data(), kLocalSignature);
        Put16(local.data() + 4, 20);
        Put16(local.data() + 6, FFlags);
        Put16(local.data() + 8, 8);
        Put32(local.data() + 10, FDosDateTime);
        Put16(local.data() + 26, static_cast<uint32_t>(oemName.size()));
        std::memcpy(local.data() + 30, oemName.data(), oemName.size());
        WriteArchive(local.data(), local.size());

        FStream = z_stream{};
        if (deflateInit2(&FStream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            Abort();
        FStreamOpen = true;
        FStream.next_out = FOutput.data();
        FStream.avail_out = static_cast<uInt>(FOutput.size());
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool TZipFile::WriteEntryData(const void* data, size_t count)
{
    try {
        if (!FStreamOpen)
            Abort();
        FCrc = static_cast<uint32_t>(crc32(FCrc, static_cast<const Bytef*>(data), static_cast<uInt>(count)));
        FStream.next_in = static_cast<Bytef*>(const_cast<void*>(data));
        FStream.avail_in = static_cast<uInt>(count);
        while (FStream.avail_in > 0) {
            if (deflate(&FStream, Z_NO_FLUSH) != Z_OK)
                Abort();
            FPending = FOutput.size() - FStream.avail_out;
            if (FStream.avail_out == 0)
                FlushOutput();
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool TZipFile::EndEntry()
{
    bool ok = true;
    try {
        if (!FStreamOpen)
            Abort();
        FStream.next_in = nullptr;
        FStream.avail_in = 0;
        for (;;) {
            const int result = deflate(&FStream, Z_FINISH);
            if (result != Z_OK && result != Z_STREAM_END)
                Abort();
            FPending = FOutput.size() - FStream.avail_out;
            if (result == Z_STREAM_END)
                break;
            if (FStream.avail_out == 0)
                FlushOutput();
        }
        FlushOutput();
    } catch (const Exception&) {
        ok = false;
    }
    // The entry's records are completed also after a failure, so that the
    // archive stays consistent.
    const uint32_t compressed = FStreamOpen ? static_cast<uint32_t>(FStream.total_out) : 0;
    const uint32_t uncompressed = FStreamOpen ? static_cast<uint32_t>(FStream.total_in) : 0;
    if (FStreamOpen) {
        deflateEnd(&FStream);
        FStreamOpen = false;
    }
    Put32(FRecord.data() + 16, FCrc);
    Put32(FRecord.data() + 20, compressed);
    Put32(FRecord.data() + 24, uncompressed);
    AppendCentral(FRecord);
    try {
        const int64_t position = FileSeek(FArchive, 0, 1);
        if (position < 0 || FileSeek(FArchive, FLocalHeaderOffset + 14, 0) < 0)
            Abort();
        uint8_t values[12];
        Put32(values, FCrc);
        Put32(values + 4, compressed);
        Put32(values + 8, uncompressed);
        WriteArchive(values, sizeof values);
        if (FileSeek(FArchive, position, 0) != position)
            Abort();
    } catch (const Exception&) {
        ok = false;
    }
    ++FEntryCount;
    return ok;
}

bool TZipFile::ZipAddFile(const std::string& sourcePath, const std::string& entryName)
{
    const THandle source =
        CreateFile(sourcePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    if (source == INVALID_HANDLE_VALUE) {
        ShowMessageDlg("Impossible d'ouvrir le fichier \"" + sourcePath + "\".", mtError, mbOK);
        FError = true;
        return false;
    }
    TZipEntryInfo info;
    const int32_t attributes = FileGetAttr(sourcePath);
    if (attributes >= 0) {
        info.InternalAttributes = static_cast<uint16_t>(attributes);
        info.ExternalAttributes = static_cast<uint32_t>(attributes);
    }
    TFileTime written = 0;
    if (GetFileTime(source, nullptr, nullptr, &written))
        info.DosDateTime = static_cast<uint32_t>(
            DateTimeToFileDate(FileTimeToDateTime(static_cast<uint64_t>(FileTimeToLocalFileTime(written)))));

    std::string name = entryName;
    for (int32_t number = 2;; ++number) {
        const bool used = std::any_of(FUsedNames.begin(), FUsedNames.end(),
                                      [&name](const std::string& u) { return AnsiSameText(u, name); });
        if (!used)
            break;
        name = ZipNumberedName(entryName, number);
    }
    std::string oem(name.size(), '\0');
    CharToOemBuff(name.data(), oem.data(), name.size());

    bool ok = BeginEntry(oem, info, 9);
    const int64_t size = std::max<int64_t>(FileGetSize(source), 0);
    const std::string shown =
        GetDisplayFileName(name, [](const std::string& text) { return static_cast<int32_t>(text.size()) * 7; }, 350);
    DocFileHost().ProgressStart(size, "Compression du document \"" + shown + "\" ...");
    if (ok) {
        std::vector<uint8_t> block(kBlockSize);
        int64_t done = 0;
        for (;;) {
            const int32_t count = FileRead(source, block.data(), static_cast<int32_t>(block.size()));
            if (count < 0) {
                ok = false;
                break;
            }
            if (count == 0)
                break;
            if (!WriteEntryData(block.data(), static_cast<size_t>(count))) {
                ok = false;
                break;
            }
            done += count;
            DocFileHost().ProgressStep(done);
        }
        if (!EndEntry())
            ok = false;
    }
    FileClose(source);
    if (!ok)
        FError = true;
    else
        FUsedNames.push_back(name);
    DocFileHost().ProgressEnd(ok);
    return ok;
}

bool TZipFile::ZipFinish()
{
    try {
        if (FArchive == INVALID_HANDLE_VALUE)
            Abort();
        const int64_t offset = FileSeek(FArchive, 0, 1);
        if (offset < 0 || offset > 0xFFFFFFFFll)
            Abort();
        uint64_t size = 0;
        for (const auto& chunk : FCentral) {
            WriteArchive(chunk->Data.data(), chunk->Used);
            size += chunk->Used;
        }
        FCentral.clear();
        uint8_t end[22] = {};
        Put32(end, kEndSignature);
        Put16(end + 8, static_cast<uint32_t>(FEntryCount));
        Put16(end + 10, static_cast<uint32_t>(FEntryCount));
        Put32(end + 12, static_cast<uint32_t>(size));
        Put32(end + 16, static_cast<uint32_t>(offset));
        WriteArchive(end, sizeof end);
        const bool flushed = FlushFileBuffers(FArchive);
        FileClose(FArchive);
        FArchive = INVALID_HANDLE_VALUE;
        return flushed;
    } catch (const Exception&) {
        return false;
    }
}

bool TZipFile::Close()
{
    const bool ok = ZipFinish();
    if (FArchive != INVALID_HANDLE_VALUE) {
        FileClose(FArchive);
        FArchive = INVALID_HANDLE_VALUE;
    }
    if (!ok || FError)
        DeleteFile(FFileName);
    return ok;
}
