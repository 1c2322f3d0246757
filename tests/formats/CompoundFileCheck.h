#pragma once
// An independent structural check of a compound file, written from the
// format and sharing no code with the reader or the writer: the header, the
// allocation table gathered through the header's list and its extension
// sectors, every chain (directory, mini-stream table, mini stream, each
// stream), no sector used twice, the allocation table's own sectors marked,
// the directory tree ordered by the format's name order and coloured as a
// red-black tree. Returns the streams of the root storage with their bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TCheckedCompoundFile {
    bool Valid = false;
    std::string Error;
    std::map<std::u16string, std::string> Streams;
};

namespace compound_check {

inline uint32_t U32(const std::string& b, size_t at)
{
    if (at + 4 > b.size())
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

inline uint16_t U16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// Shorter first, then by upper-case characters (ASCII names here).
inline int CompareNames(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = a[i] >= u'a' && a[i] <= u'z' ? static_cast<char16_t>(a[i] - 32) : a[i];
        const char16_t y = b[i] >= u'a' && b[i] <= u'z' ? static_cast<char16_t>(b[i] - 32) : b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace compound_check

inline TCheckedCompoundFile CheckCompoundFile(const std::string& file)
{
    using namespace compound_check;
    TCheckedCompoundFile result;
    auto fail = [&result](const std::string& why) {
        result.Error = why;
        return result;
    };
    if (file.size() < 512 || file.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") != 0)
        return fail("signature");
    if (U16(file, 0x1C) != 0xFFFE || U16(file, 0x1E) != 9 || U16(file, 0x20) != 6 || U16(file, 0x1A) != 3)
        return fail("header values");
    if ((file.size() % 512) != 0)
        return fail("file size is no whole number of sectors");
    const uint32_t sectors = static_cast<uint32_t>(file.size() / 512 - 1);
    const uint32_t fatCount = U32(file, 0x2C);
    // The allocation table's sectors: the header's list, then the extension.
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32(file, 0x4C + i * 4));
    uint32_t difat = U32(file, 0x44);
    std::vector<uint32_t> difatSectors;
    for (uint32_t d = 0; d < U32(file, 0x48); ++d) {
        if (difat >= sectors)
            return fail("extension sector outside the file");
        difatSectors.push_back(difat);
        const size_t base = 512 + static_cast<size_t>(difat) * 512;
        for (uint32_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32(file, base + i * 4));
        difat = U32(file, base + 127 * 4);
    }
    if (fatSectors.size() != fatCount)
        return fail("allocation table list too short");
    std::vector<uint32_t> fat;
    for (uint32_t s : fatSectors) {
        if (s >= sectors)
            return fail("allocation table sector outside the file");
        for (uint32_t i = 0; i < 128; ++i)
            fat.push_back(U32(file, 512 + static_cast<size_t>(s) * 512 + i * 4));
    }
    if (fat.size() < sectors)
        return fail("allocation table shorter than the file");
    for (uint32_t s : fatSectors)
        if (fat[s] != 0xFFFFFFFDu)
            return fail("allocation table sector not marked");
    for (uint32_t s : difatSectors)
        if (fat[s] != 0xFFFFFFFCu)
            return fail("extension sector not marked");

    std::set<uint32_t> used(fatSectors.begin(), fatSectors.end());
    used.insert(difatSectors.begin(), difatSectors.end());
    std::string chainError;
    auto chain = [&](uint32_t start) {
        std::vector<uint32_t> out;
        for (uint32_t s = start; s != 0xFFFFFFFEu;) {
            if (s >= sectors || fat[s] == 0xFFFFFFFFu || !used.insert(s).second) {
                chainError = "bad or shared sector in a chain";
                return out;
            }
            out.push_back(s);
            s = fat[s];
        }
        return out;
    };
    auto read = [&](const std::vector<uint32_t>& list, uint64_t size) {
        std::string out;
        for (uint32_t s : list)
            out += file.substr(512 + static_cast<size_t>(s) * 512, 512);
        out.resize(std::min<uint64_t>(out.size(), size));
        return out;
    };
    const std::vector<uint32_t> dirChain = chain(U32(file, 0x30));
    if (!chainError.empty())
        return fail("directory: " + chainError);
    const std::string dir = read(dirChain, dirChain.size() * 512);
    struct TEntry {
        std::u16string Name;
        uint8_t Type, Color;
        uint32_t Left, Right, Child, Start, Size;
    };
    std::vector<TEntry> entries;
    for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
        TEntry e{};
        const uint16_t nameBytes = U16(dir, at + 0x40);
        for (size_t i = 0; i + 2 < nameBytes && i < 64; i += 2)
            e.Name += static_cast<char16_t>(U16(dir, at + i));
        e.Type = static_cast<uint8_t>(dir[at + 0x42]);
        e.Color = static_cast<uint8_t>(dir[at + 0x43]);
        e.Left = U32(dir, at + 0x44);
        e.Right = U32(dir, at + 0x48);
        e.Child = U32(dir, at + 0x4C);
        e.Start = U32(dir, at + 0x74);
        e.Size = U32(dir, at + 0x78);
        entries.push_back(e);
    }
    if (entries.empty() || entries[0].Type != 5)
        return fail("no root entry");

    // The mini stream and its table.
    const std::vector<uint32_t> miniChain = chain(entries[0].Start);
    if (!chainError.empty())
        return fail("mini stream: " + chainError);
    if (miniChain.size() * 512 < entries[0].Size || miniChain.size() != (entries[0].Size + 511) / 512)
        return fail("mini stream size");
    const std::string mini = read(miniChain, entries[0].Size);
    const std::vector<uint32_t> miniFatChain = chain(U32(file, 0x3C));
    if (!chainError.empty())
        return fail("mini table: " + chainError);
    if (miniFatChain.size() != U32(file, 0x40))
        return fail("mini table sector count");
    const std::string miniFatBytes = read(miniFatChain, miniFatChain.size() * 512);
    std::vector<uint32_t> miniFat;
    for (size_t at = 0; at + 4 <= miniFatBytes.size(); at += 4)
        miniFat.push_back(U32(miniFatBytes, at));
    std::set<uint32_t> miniUsed;

    // The tree: in order, every name after the one before; no red entry with
    // a red child; as many black entries on every path.
    std::vector<uint32_t> inOrder;
    std::set<uint32_t> visited;
    std::string treeError;
    std::function<int(uint32_t, bool)> walk = [&](uint32_t index, bool parentRed) -> int {
        if (index == 0xFFFFFFFFu)
            return 1;
        if (index >= entries.size() || !visited.insert(index).second) {
            treeError = "tree index";
            return 0;
        }
        const TEntry& e = entries[index];
        const bool red = e.Color == 0;
        if (red && parentRed)
            treeError = "red entry under a red entry";
        const int left = walk(e.Left, red);
        inOrder.push_back(index);
        const int right = walk(e.Right, red);
        if (left != right)
            treeError = "black heights differ";
        return left + (red ? 0 : 1);
    };
    walk(entries[0].Child, false);
    if (!treeError.empty())
        return fail(treeError);
    for (size_t i = 1; i < inOrder.size(); ++i)
        if (CompareNames(entries[inOrder[i - 1]].Name, entries[inOrder[i]].Name) >= 0)
            return fail("tree out of order");

    for (uint32_t index : inOrder) {
        const TEntry& e = entries[index];
        if (e.Type != 2)
            return fail("entry of the root is no stream");
        std::string data;
        if (e.Size == 0) {
            if (e.Start != 0xFFFFFFFEu && e.Start != 0)
                return fail("empty stream with sectors");
        } else if (e.Size < 4096) {
            for (uint32_t s = e.Start, n = 0; s != 0xFFFFFFFEu; s = miniFat[s], ++n) {
                if (s >= miniFat.size() || !miniUsed.insert(s).second || (s + 1) * 64 > mini.size())
                    return fail("bad mini chain");
                data += mini.substr(s * 64, 64);
            }
            if (data.size() != (e.Size + 63) / 64 * 64)
                return fail("mini chain length");
            data.resize(e.Size);
        } else {
            const std::vector<uint32_t> list = chain(e.Start);
            if (!chainError.empty())
                return fail("stream: " + chainError);
            if (list.size() != (e.Size + 511) / 512)
                return fail("stream chain length");
            data = read(list, e.Size);
        }
        result.Streams[e.Name] = data;
    }
    result.Valid = true;
    return result;
}
