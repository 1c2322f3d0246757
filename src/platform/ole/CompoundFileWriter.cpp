#include "platform/ole/CompoundFileWriter.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kFreeSector = 0xFFFFFFFFu;
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kFatSector = 0xFFFFFFFDu;
constexpr uint32_t kDifatSector = 0xFFFFFFFCu;
constexpr uint32_t kNoStream = 0xFFFFFFFFu;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kEntriesPerSector = kSectorSize / 4;
constexpr uint32_t kDirectoryEntrySize = 128;
constexpr size_t kMaxNameLength = 31;

uint32_t CeilDiv(uint64_t value, uint64_t unit)
{
    return static_cast<uint32_t>(value / unit + (value % unit != 0 ? 1 : 0));
}

void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Links count sectors from first on into one chain of the table.
void Chain(std::vector<uint32_t>& table, uint32_t first, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        table[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
}

}  // namespace

int CompareStorageNames(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const UChar32 x = u_toupper(a[i]);
        const UChar32 y = u_toupper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------

void TStorageWriteStream::Seek(int64_t position)
{
    if (position < 0 || position > 0x7FFFFFFF)
        throw EStreamError("Position de flux invalide");
    FPosition = position;
}

void TStorageWriteStream::Write(const void* data, size_t count)
{
    if (count == 0)
        return;
    const auto end = static_cast<uint64_t>(FPosition) + count;
    if (end > 0x7FFFFFFF)
        throw EWriteError("Flux trop long");
    if (end > FData.size())
        FData.resize(static_cast<size_t>(end), 0);
    std::memcpy(FData.data() + FPosition, data, count);
    FPosition = static_cast<int64_t>(end);
}

void TStorageWriteStream::WriteU16(uint16_t value)
{
    uint8_t b[2];
    PutU16(b, value);
    Write(b, 2);
}

void TStorageWriteStream::WriteU32(uint32_t value)
{
    uint8_t b[4];
    PutU32(b, value);
    Write(b, 4);
}

// ---------------------------------------------------------------------------

TStorageWriteStream& TCompoundFileWriter::CreateStream(const std::u16string& name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        throw EStreamError("Nom de flux invalide");
    for (const TEntry& entry : FStreams)
        if (CompareStorageNames(entry.Name, name) == 0)
            throw EStreamError("Nom de flux en double");
    FStreams.push_back({name, std::make_unique<TStorageWriteStream>()});
    return *FStreams.back().Stream;
}

std::vector<uint8_t> TCompoundFileWriter::Build() const
{
    const size_t streamCount = FStreams.size();

    // The directory: the root first, then the streams in the order given;
    // the streams' tree is a balanced tree over the name order, coloured so
    // that every path holds as many black entries.
    struct TDirEntry {
        uint32_t Left = kNoStream;
        uint32_t Right = kNoStream;
        uint32_t Child = kNoStream;
        uint8_t Color = 1;  // black
        uint32_t Start = kEndOfChain;
        uint32_t Size = 0;
    };
    std::vector<TDirEntry> dir(streamCount + 1);
    std::vector<uint32_t> order(streamCount);
    for (size_t i = 0; i < streamCount; ++i)
        order[i] = static_cast<uint32_t>(i + 1);
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        return CompareStorageNames(FStreams[a - 1].Name, FStreams[b - 1].Name) < 0;
    });
    int maxDepth = 0;
    for (size_t n = streamCount; n > 0; n /= 2)
        ++maxDepth;
    --maxDepth;  // depth of the deepest entry, root at 0
    std::function<uint32_t(size_t, size_t, int)> build = [&](size_t lo, size_t hi, int depth) -> uint32_t {
        if (lo >= hi)
            return kNoStream;
        const size_t mid = lo + (hi - lo) / 2;
        const uint32_t entry = order[mid];
        dir[entry].Left = build(lo, mid, depth + 1);
        dir[entry].Right = build(mid + 1, hi, depth + 1);
        dir[entry].Color = depth == maxDepth && depth > 0 ? 0 : 1;
        return entry;
    };
    dir[0].Child = build(0, streamCount, 0);

    // The mini stream holds the short streams, each from a 64-byte boundary.
    std::vector<uint8_t> mini;
    std::vector<uint32_t> miniFat;
    std::vector<size_t> large;
    for (size_t i = 0; i < streamCount; ++i) {
        const std::vector<uint8_t>& data = FStreams[i].Stream->Data();
        if (data.size() > 0xFFFFFFFFu - kSectorSize)
            throw EWriteError("Flux trop long");
        TDirEntry& entry = dir[i + 1];
        entry.Size = static_cast<uint32_t>(data.size());
        if (data.empty())
            continue;
        if (data.size() >= kMiniCutoff) {
            large.push_back(i);
            continue;
        }
        const auto first = static_cast<uint32_t>(miniFat.size());
        const uint32_t count = CeilDiv(data.size(), kMiniSectorSize);
        miniFat.resize(first + count);
        Chain(miniFat, first, count);
        entry.Start = first;
        mini.insert(mini.end(), data.begin(), data.end());
        mini.resize(static_cast<size_t>(first + count) * kMiniSectorSize, 0);
    }

    // Sectors, in file order: the large streams, the mini stream, the mini
    // allocation table, the directory, then the allocation table and its
    // extension.
    uint32_t next = 0;
    std::vector<std::pair<uint32_t, uint32_t>> runs;  // first sector and count of each chain
    auto place = [&](uint64_t bytes) {
        const uint32_t count = CeilDiv(bytes, kSectorSize);
        const uint32_t first = count > 0 ? next : kEndOfChain;
        runs.emplace_back(next, count);
        next += count;
        return first;
    };
    for (size_t i : large)
        dir[i + 1].Start = place(FStreams[i].Stream->Data().size());
    dir[0].Start = place(mini.size());
    dir[0].Size = static_cast<uint32_t>(mini.size());
    const uint32_t miniFatStart = place(static_cast<uint64_t>(miniFat.size()) * 4);
    const uint32_t miniFatSectors = CeilDiv(static_cast<uint64_t>(miniFat.size()) * 4, kSectorSize);
    const uint32_t directoryStart = place(static_cast<uint64_t>(dir.size()) * kDirectoryEntrySize);
    const uint32_t dataSectors = next;
    // The allocation table must also cover its own sectors and those of its
    // extension.
    uint32_t fatSectors = 1;
    uint32_t difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > kHeaderDifatEntries ? CeilDiv(fatSectors - kHeaderDifatEntries, kEntriesPerSector - 1)
                                                        : 0;
        const uint32_t needed = CeilDiv(static_cast<uint64_t>(dataSectors) + fatSectors + difatSectors,
                                        kEntriesPerSector);
        if (needed <= fatSectors)
            break;
        fatSectors = needed;
    }
    const uint32_t fatStart = next;
    const uint32_t difatStart = fatStart + fatSectors;
    const uint32_t totalSectors = difatStart + difatSectors;

    std::vector<uint32_t> fat(static_cast<size_t>(fatSectors) * kEntriesPerSector, kFreeSector);
    for (const auto& [first, count] : runs)
        Chain(fat, first, count);
    for (uint32_t i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = kFatSector;
    for (uint32_t i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = kDifatSector;

    std::vector<uint8_t> file((static_cast<size_t>(totalSectors) + 1) * kSectorSize, 0);
    auto sector = [&file](uint32_t index) { return file.data() + (static_cast<size_t>(index) + 1) * kSectorSize; };

    // Header.
    uint8_t* h = file.data();
    static const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, signature, 8);
    PutU16(h + 0x18, 0x003E);
    PutU16(h + 0x1A, 3);
    PutU16(h + 0x1C, 0xFFFE);
    PutU16(h + 0x1E, 9);
    PutU16(h + 0x20, 6);
    PutU32(h + 0x2C, fatSectors);
    PutU32(h + 0x30, directoryStart);
    PutU32(h + 0x38, kMiniCutoff);
    PutU32(h + 0x3C, miniFatSectors > 0 ? miniFatStart : kEndOfChain);
    PutU32(h + 0x40, miniFatSectors);
    PutU32(h + 0x44, difatSectors > 0 ? difatStart : kEndOfChain);
    PutU32(h + 0x48, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        PutU32(h + 0x4C + i * 4, i < fatSectors ? fatStart + i : kFreeSector);
    // Extension sectors: 127 allocation-table sectors each, then the next one.
    for (uint32_t d = 0; d < difatSectors; ++d) {
        uint8_t* s = sector(difatStart + d);
        for (uint32_t i = 0; i < kEntriesPerSector - 1; ++i) {
            const uint32_t fatIndex = kHeaderDifatEntries + d * (kEntriesPerSector - 1) + i;
            PutU32(s + i * 4, fatIndex < fatSectors ? fatStart + fatIndex : kFreeSector);
        }
        PutU32(s + (kEntriesPerSector - 1) * 4, d + 1 < difatSectors ? difatStart + d + 1 : kEndOfChain);
    }

    // Contents.
    for (size_t i : large) {
        const std::vector<uint8_t>& data = FStreams[i].Stream->Data();
        std::memcpy(sector(dir[i + 1].Start), data.data(), data.size());
    }
    if (!mini.empty())
        std::memcpy(sector(dir[0].Start), mini.data(), mini.size());
    if (!miniFat.empty()) {
        uint8_t* p = sector(miniFatStart);
        const uint32_t slots = miniFatSectors * kEntriesPerSector;
        for (uint32_t i = 0; i < slots; ++i)
            PutU32(p + i * 4, i < miniFat.size() ? miniFat[i] : kFreeSector);
    }
    uint8_t* d = sector(directoryStart);
    const uint32_t dirSlots = CeilDiv(static_cast<uint64_t>(dir.size()) * kDirectoryEntrySize, kSectorSize) *
                              (kSectorSize / kDirectoryEntrySize);
    for (uint32_t i = 0; i < dirSlots; ++i) {
        uint8_t* e = d + static_cast<size_t>(i) * kDirectoryEntrySize;
        if (i >= dir.size()) {
            PutU32(e + 0x44, kNoStream);
            PutU32(e + 0x48, kNoStream);
            PutU32(e + 0x4C, kNoStream);
            continue;
        }
        const std::u16string name = i == 0 ? u"Root Entry" : FStreams[i - 1].Name;
        for (size_t k = 0; k < name.size(); ++k)
            PutU16(e + k * 2, name[k]);
        PutU16(e + 0x40, static_cast<uint16_t>((name.size() + 1) * 2));
        e[0x42] = i == 0 ? 5 : 2;
        e[0x43] = dir[i].Color;
        PutU32(e + 0x44, dir[i].Left);
        PutU32(e + 0x48, dir[i].Right);
        PutU32(e + 0x4C, dir[i].Child);
        PutU32(e + 0x74, dir[i].Start);
        PutU32(e + 0x78, dir[i].Size);
    }
    for (uint32_t i = 0; i < fat.size(); ++i)
        PutU32(sector(fatStart) + static_cast<size_t>(i) * 4, fat[i]);
    return file;
}
