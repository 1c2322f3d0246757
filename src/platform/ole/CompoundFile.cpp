#include "platform/ole/CompoundFile.h"

#include "platform/runtime/SystemErrors.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kFreeSector = 0xFFFFFFFFu;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFAu;
constexpr uint32_t kNoStream = 0xFFFFFFFFu;
constexpr int32_t kDirEntrySize = 128;
constexpr int32_t kHeaderSize = 512;

uint16_t Word(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t DWord(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t CeilDiv(uint64_t value, uint64_t unit)
{
    return value / unit + (value % unit != 0 ? 1 : 0);
}

// Names compare as the format orders them: upper case, character by character.
bool SameEntryName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (u_toupper(a[i]) != u_toupper(b[i]))
            return false;
    return true;
}

}  // namespace

// A stream of a compound file, read through its sector chain.
class TStorageStream : public TStream {
public:
    TStorageStream(const TCompoundFile& file, bool mini, std::vector<uint32_t> sectors, uint64_t size)
        : FFile(file), FMini(mini), FSectors(std::move(sectors)), FSize(size)
    {
    }

    int32_t Read(void* buffer, int32_t count) override
    {
        if (count <= 0 || FPosition < 0)
            return 0;
        auto* out = static_cast<uint8_t*>(buffer);
        int32_t done = 0;
        const uint64_t unit = FMini ? static_cast<uint64_t>(FFile.FMiniSectorSize)
                                    : static_cast<uint64_t>(FFile.FSectorSize);
        while (done < count && static_cast<uint64_t>(FPosition) < FSize) {
            const uint64_t pos = static_cast<uint64_t>(FPosition);
            const uint64_t index = pos / unit;
            if (index >= FSectors.size())
                break;  // the chain ended before the size the directory gives
            const uint64_t inSector = pos % unit;
            const uint64_t want = std::min<uint64_t>({unit - inSector, FSize - pos, static_cast<uint64_t>(count - done)});
            uint64_t fileOffset;
            if (!FMini) {
                fileOffset = (static_cast<uint64_t>(FSectors[index]) + 1) << FFile.FSectorShift;
                fileOffset += inSector;
            } else {
                const uint64_t miniOffset = static_cast<uint64_t>(FSectors[index]) * unit + inSector;
                const uint64_t regular = miniOffset / static_cast<uint64_t>(FFile.FSectorSize);
                if (regular >= FFile.FMiniStreamSectors.size())
                    break;
                fileOffset = (static_cast<uint64_t>(FFile.FMiniStreamSectors[regular]) + 1) << FFile.FSectorShift;
                fileOffset += miniOffset % static_cast<uint64_t>(FFile.FSectorSize);
            }
            if (!FFile.ReadAt(fileOffset, out + done, static_cast<int32_t>(want)))
                break;
            done += static_cast<int32_t>(want);
            FPosition += static_cast<int64_t>(want);
        }
        return done;
    }

    int32_t Write(const void*, int32_t) override { return 0; }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        switch (origin) {
        case TSeekOrigin::soBeginning: FPosition = offset; break;
        case TSeekOrigin::soCurrent: FPosition += offset; break;
        case TSeekOrigin::soEnd: FPosition = static_cast<int64_t>(FSize) + offset; break;
        }
        return FPosition;
    }

    int64_t Size() override { return static_cast<int64_t>(FSize); }

private:
    const TCompoundFile& FFile;
    bool FMini;
    std::vector<uint32_t> FSectors;
    uint64_t FSize;
    int64_t FPosition = 0;
};

bool StgIsStorageFile(const std::string& fileName)
{
    const THandle h = CreateFile(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    uint8_t head[8];
    const bool ok = FileRead(h, head, 8) == 8 && std::memcmp(head, kSignature, 8) == 0;
    FileClose(h);
    return ok;
}

TCompoundFile::TCompoundFile(const std::string& fileName, uint32_t share) : FFileName(fileName)
{
    FHandle = CreateFile(fileName, GENERIC_READ, share, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS);
    if (FHandle == INVALID_HANDLE_VALUE) {
        const uint32_t error = GetLastError();
        throw EFOpenError("Impossible d'ouvrir le fichier \"" + fileName + "\". " + SysErrorMessage(error),
                          static_cast<int>(error));
    }
    try {
        const int64_t size = FileGetSize(FHandle);
        FFileSize = size > 0 ? static_cast<uint64_t>(size) : 0;
        ReadHeader();
        ReadAllocationTable();
        ReadDirectory();
    } catch (...) {
        FileClose(FHandle);
        throw;
    }
}

TCompoundFile::~TCompoundFile()
{
    if (FHandle != INVALID_HANDLE_VALUE)
        FileClose(FHandle);
}

void TCompoundFile::Invalid(const char* what) const
{
    throw EStorageError("Le fichier \"" + FFileName + "\" n'est pas un fichier composé valide (" + what + ").");
}

bool TCompoundFile::ReadAt(uint64_t fileOffset, void* buffer, int32_t count) const
{
    if (fileOffset + static_cast<uint64_t>(count) > FFileSize)
        return false;
    if (FileSeek(FHandle, static_cast<int64_t>(fileOffset), 0) < 0)
        return false;
    return FileRead(FHandle, buffer, count) == count;
}

void TCompoundFile::ReadSector(uint32_t sector, uint8_t* buffer) const
{
    if (sector > kMaxRegularSector ||
        !ReadAt((static_cast<uint64_t>(sector) + 1) << FSectorShift, buffer, FSectorSize))
        Invalid("secteur hors du fichier");
}

void TCompoundFile::ReadHeader()
{
    uint8_t h[kHeaderSize];
    if (!ReadAt(0, h, kHeaderSize) || std::memcmp(h, kSignature, 8) != 0)
        Invalid("en-tête");
    if (Word(h + 0x1C) != 0xFFFE)
        Invalid("ordre des octets");
    FSectorShift = Word(h + 0x1E);
    if (FSectorShift != 9 && FSectorShift != 12)
        Invalid("taille de secteur");
    FSectorSize = 1 << FSectorShift;
    const int32_t miniShift = Word(h + 0x20);
    if (miniShift != 6)
        Invalid("taille de mini-secteur");
    FMiniSectorSize = 1 << miniShift;
    FFatSectorCount = DWord(h + 0x2C);
    FFirstDirectorySector = DWord(h + 0x30);
    FMiniCutoff = DWord(h + 0x38);
    FFirstMiniFatSector = DWord(h + 0x3C);
    FMiniFatSectorCount = DWord(h + 0x40);
    FFirstDifatSector = DWord(h + 0x44);
    FDifatSectorCount = DWord(h + 0x48);
    for (int i = 0; i < 109; ++i)
        FHeaderDifat[i] = DWord(h + 0x4C + 4 * i);
}

void TCompoundFile::ReadAllocationTable()
{
    const uint64_t sectorsInFile = FFileSize > static_cast<uint64_t>(FSectorSize)
                                       ? CeilDiv(FFileSize - static_cast<uint64_t>(FSectorSize),
                                                 static_cast<uint64_t>(FSectorSize))
                                       : 0;
    if (FFatSectorCount == 0 || FFatSectorCount > sectorsInFile)
        Invalid("table d'allocation");
    std::vector<uint32_t> fatSectors;
    fatSectors.reserve(FFatSectorCount);
    for (int i = 0; i < 109 && fatSectors.size() < FFatSectorCount; ++i)
        fatSectors.push_back(FHeaderDifat[i]);
    // Further table sectors are listed in the chain of extension sectors, whose
    // last entry names the next one.
    const int32_t perSector = FSectorSize / 4;
    std::vector<uint8_t> buffer(static_cast<size_t>(FSectorSize));
    uint32_t next = FFirstDifatSector;
    uint32_t visited = 0;
    while (fatSectors.size() < FFatSectorCount) {
        if (next > kMaxRegularSector || ++visited > FDifatSectorCount || visited > sectorsInFile)
            Invalid("liste des secteurs de la table");
        ReadSector(next, buffer.data());
        for (int32_t i = 0; i < perSector - 1 && fatSectors.size() < FFatSectorCount; ++i)
            fatSectors.push_back(DWord(buffer.data() + 4 * i));
        next = DWord(buffer.data() + 4 * (perSector - 1));
    }
    // A table sector that lies beyond the end of a cut file leaves its part of
    // the table free: only the streams that reach there are lost.
    FFat.assign(static_cast<size_t>(FFatSectorCount) * static_cast<size_t>(perSector), kFreeSector);
    for (size_t s = 0; s < fatSectors.size(); ++s) {
        if (fatSectors[s] > kMaxRegularSector ||
            !ReadAt((static_cast<uint64_t>(fatSectors[s]) + 1) << FSectorShift, buffer.data(), FSectorSize))
            continue;
        for (int32_t i = 0; i < perSector; ++i)
            FFat[s * static_cast<size_t>(perSector) + static_cast<size_t>(i)] = DWord(buffer.data() + 4 * i);
    }
}

std::vector<uint32_t> TCompoundFile::Chain(const std::vector<uint32_t>& table, uint32_t start, uint64_t maxCount) const
{
    std::vector<uint32_t> sectors;
    std::vector<bool> seen(table.size(), false);
    uint32_t sector = start;
    while (sectors.size() < maxCount) {
        if (sector == kEndOfChain || sector == kFreeSector)
            break;
        if (sector >= table.size())
            Invalid("chaîne de secteurs");
        if (seen[sector])
            Invalid("chaîne de secteurs en boucle");
        seen[sector] = true;
        sectors.push_back(sector);
        sector = table[sector];
    }
    return sectors;
}

void TCompoundFile::ReadDirectory()
{
    const std::vector<uint32_t> sectors = Chain(FFat, FFirstDirectorySector, FFat.size());
    if (sectors.empty())
        Invalid("répertoire");
    std::vector<uint8_t> buffer(static_cast<size_t>(FSectorSize));
    const int32_t perSector = FSectorSize / kDirEntrySize;
    for (uint32_t sector : sectors) {
        if (!ReadAt((static_cast<uint64_t>(sector) + 1) << FSectorShift, buffer.data(), FSectorSize))
            break;  // a cut file: the entries read so far
        for (int32_t i = 0; i < perSector; ++i) {
            const uint8_t* p = buffer.data() + i * kDirEntrySize;
            TDirEntry e;
            e.Public.Index = static_cast<int32_t>(FEntries.size());
            const int32_t nameBytes = std::min<int32_t>(Word(p + 0x40), 64);
            for (int32_t c = 0; c + 1 < nameBytes; c += 2) {
                const char16_t ch = static_cast<char16_t>(Word(p + c));
                if (ch == 0)
                    break;
                e.Public.Name += ch;
            }
            e.Public.Type = p[0x42];
            e.Left = DWord(p + 0x44);
            e.Right = DWord(p + 0x48);
            e.Child = DWord(p + 0x4C);
            e.Start = DWord(p + 0x74);
            e.Public.Size = DWord(p + 0x78);
            if (FSectorShift == 12)
                e.Public.Size |= static_cast<uint64_t>(DWord(p + 0x7C)) << 32;
            FEntries.push_back(std::move(e));
        }
    }
    if (FEntries.empty() || FEntries[0].Public.Type != stgRoot)
        Invalid("entrée racine");
}

void TCompoundFile::ReadMiniStream()
{
    if (FMiniStreamRead)
        return;
    FMiniStreamRead = true;
    const TDirEntry& root = FEntries[0];
    if (root.Public.Size == 0 || root.Public.Size > FFileSize)
        return;
    // Short streams are lost when the mini stream or its table cannot be
    // had; the other streams stay readable.
    try {
        FMiniStreamSectors =
            Chain(FFat, root.Start, CeilDiv(root.Public.Size, static_cast<uint64_t>(FSectorSize)));
        FMiniStreamSize = std::min(root.Public.Size, CutToFile(FMiniStreamSectors));
        const std::vector<uint32_t> miniFatSectors = Chain(FFat, FFirstMiniFatSector, FMiniFatSectorCount);
        std::vector<uint8_t> buffer(static_cast<size_t>(FSectorSize));
        for (uint32_t sector : miniFatSectors) {
            if (!ReadAt((static_cast<uint64_t>(sector) + 1) << FSectorShift, buffer.data(), FSectorSize))
                break;
            for (int32_t i = 0; i < FSectorSize / 4; ++i)
                FMiniFat.push_back(DWord(buffer.data() + 4 * i));
        }
    } catch (const EStorageError&) {
        FMiniStreamSectors.clear();
        FMiniStreamSize = 0;
        FMiniFat.clear();
    }
}

namespace {

// Cuts a chain at its first sector that does not lie wholly within `limit`
// bytes (keeping one the limit cuts through); returns the bytes the chain
// still holds. Sector n starts at (n + first) * unit.
uint64_t CutChain(std::vector<uint32_t>& sectors, uint64_t unit, uint64_t first, uint64_t limit)
{
    uint64_t bytes = 0;
    for (size_t i = 0; i < sectors.size(); ++i) {
        const uint64_t start = (static_cast<uint64_t>(sectors[i]) + first) * unit;
        const uint64_t inside = start < limit ? std::min(limit - start, unit) : 0;
        bytes += inside;
        if (inside < unit) {
            sectors.resize(inside > 0 ? i + 1 : i);
            break;
        }
    }
    return bytes;
}

}  // namespace

uint64_t TCompoundFile::CutToFile(std::vector<uint32_t>& sectors) const
{
    // Sector 0 follows the header, which takes one sector's room.
    return CutChain(sectors, static_cast<uint64_t>(FSectorSize), 1, FFileSize);
}

uint64_t TCompoundFile::CutToMiniStream(std::vector<uint32_t>& sectors) const
{
    return CutChain(sectors, static_cast<uint64_t>(FMiniSectorSize), 0, FMiniStreamSize);
}

const TStorageEntry& TCompoundFile::Entry(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= FEntries.size())
        throw EStorageError("Entrée de fichier composé inexistante");
    return FEntries[static_cast<size_t>(index)].Public;
}

std::vector<TStorageEntry> TCompoundFile::Children(int32_t storage) const
{
    const TStorageEntry& parent = Entry(storage);
    std::vector<TStorageEntry> result;
    if (parent.Type != stgStorage && parent.Type != stgRoot)
        return result;
    // In-order walk of the children's tree; an entry met twice ends the walk
    // of that branch (a damaged tree must not loop).
    std::vector<bool> seen(FEntries.size(), false);
    std::vector<uint32_t> stack;
    uint32_t node = FEntries[static_cast<size_t>(storage)].Child;
    while (node != kNoStream || !stack.empty()) {
        while (node != kNoStream && node < FEntries.size() && !seen[node]) {
            seen[node] = true;
            stack.push_back(node);
            node = FEntries[node].Left;
        }
        if (stack.empty())
            break;
        node = stack.back();
        stack.pop_back();
        const TDirEntry& e = FEntries[node];
        if (e.Public.Type == stgStorage || e.Public.Type == stgStream)
            result.push_back(e.Public);
        node = e.Right;
    }
    return result;
}

int32_t TCompoundFile::FindChild(int32_t storage, std::u16string_view name) const
{
    for (const TStorageEntry& e : Children(storage))
        if (SameEntryName(e.Name, name))
            return e.Index;
    return -1;
}

std::unique_ptr<TStream> TCompoundFile::OpenStream(int32_t entry)
{
    const TDirEntry& e = FEntries.at(static_cast<size_t>(Entry(entry).Index));
    if (e.Public.Type != stgStream)
        throw EStorageError("L'entrée n'est pas un flux");
    const bool mini = e.Public.Size < FMiniCutoff;
    // A stream whose chain ends early or leaves the file (or the mini stream)
    // is cut there: its size is what can be read of it, never more.
    if (mini) {
        ReadMiniStream();
        const uint64_t count = CeilDiv(e.Public.Size, static_cast<uint64_t>(FMiniSectorSize));
        std::vector<uint32_t> sectors = Chain(FMiniFat, e.Start, count);
        const uint64_t size = std::min(e.Public.Size, CutToMiniStream(sectors));
        return std::make_unique<TStorageStream>(*this, true, std::move(sectors), size);
    }
    const uint64_t count = CeilDiv(e.Public.Size, static_cast<uint64_t>(FSectorSize));
    std::vector<uint32_t> sectors = Chain(FFat, e.Start, count);
    const uint64_t size = std::min(e.Public.Size, CutToFile(sectors));
    return std::make_unique<TStorageStream>(*this, false, std::move(sectors), size);
}

std::unique_ptr<TStream> TCompoundFile::OpenStream(std::u16string_view name)
{
    const int32_t index = FindChild(RootStorage, name);
    if (index < 0 || FEntries[static_cast<size_t>(index)].Public.Type != stgStream)
        throw EStorageError("Flux inexistant dans le fichier \"" + FFileName + "\"");
    return OpenStream(index);
}
