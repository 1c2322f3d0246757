#pragma once
// Compound files built in memory for the tests of detection and of the
// compound-file reader: sectors of 512 bytes, the allocation table in sector 0,
// the directory in sector 1, the mini-stream table in sector 2, the streams
// from sector 3 on.
#include "platform/ole/CompoundFile.h"

#include <cstdint>
#include <string>
#include <vector>

inline void PutWord(std::string& s, size_t at, uint16_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

inline void PutDWord(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct TStreamSpec {
    std::u16string Name;
    std::string Data;
};

// A compound file of 512-byte sectors: the allocation table in sector 0, the
// directory in sector 1 (root and up to three streams), the mini-stream table
// in sector 2, then the streams; streams under 4,096 bytes go to the mini
// stream. With loopChain the first stream's chain turns back on itself at its
// second sector.
inline std::string BuildCompoundFile(const std::vector<TStreamSpec>& streams, bool loopChain = false)
{
    constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    std::vector<uint32_t> fat(128, kFree);
    fat[0] = kFatSector;
    fat[1] = kEnd;  // directory
    fat[2] = kEnd;  // mini-stream table
    std::vector<uint32_t> miniFat(128, kFree);
    std::string body;   // sectors from 3 on
    std::string mini;   // the mini stream
    std::vector<uint32_t> starts;
    uint32_t next = 3;
    for (const TStreamSpec& s : streams) {
        if (s.Data.size() < 4096) {
            const uint32_t first = static_cast<uint32_t>(mini.size() / 64);
            const uint32_t count = static_cast<uint32_t>((s.Data.size() + 63) / 64);
            for (uint32_t i = 0; i < count; ++i)
                miniFat[first + i] = i + 1 < count ? first + i + 1 : kEnd;
            std::string padded = s.Data;
            padded.resize(count * 64, '\0');
            mini += padded;
            starts.push_back(count ? first : kEnd);
            continue;
        }
        const uint32_t count = static_cast<uint32_t>((s.Data.size() + 511) / 512);
        for (uint32_t i = 0; i < count; ++i)
            fat[next + i] = i + 1 < count ? next + i + 1 : kEnd;
        if (loopChain && starts.empty() && count > 2)
            fat[next + 1] = next;
        std::string padded = s.Data;
        padded.resize(count * 512, '\0');
        body += padded;
        starts.push_back(next);
        next += count;
    }
    uint32_t miniStart = kEnd;
    if (!mini.empty()) {
        const uint32_t count = static_cast<uint32_t>((mini.size() + 511) / 512);
        for (uint32_t i = 0; i < count; ++i)
            fat[next + i] = i + 1 < count ? next + i + 1 : kEnd;
        miniStart = next;
        std::string padded = mini;
        padded.resize(count * 512, '\0');
        body += padded;
    }

    std::string header(512, '\0');
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    header.replace(0, 8, signature, 8);
    PutWord(header, 0x18, 0x3E);
    PutWord(header, 0x1A, 3);
    PutWord(header, 0x1C, 0xFFFE);
    PutWord(header, 0x1E, 9);
    PutWord(header, 0x20, 6);
    PutDWord(header, 0x2C, 1);
    PutDWord(header, 0x30, 1);
    PutDWord(header, 0x38, 4096);
    PutDWord(header, 0x3C, mini.empty() ? kEnd : 2);
    PutDWord(header, 0x40, mini.empty() ? 0 : 1);
    PutDWord(header, 0x44, kEnd);
    PutDWord(header, 0x4C, 0);
    for (int i = 1; i < 109; ++i)
        PutDWord(header, 0x4C + 4 * static_cast<size_t>(i), kFree);

    std::string fatSector(512, '\0');
    for (size_t i = 0; i < 128; ++i)
        PutDWord(fatSector, 4 * i, fat[i]);
    std::string miniFatSector(512, '\0');
    for (size_t i = 0; i < 128; ++i)
        PutDWord(miniFatSector, 4 * i, miniFat[i]);

    std::string directory(512, '\0');
    auto entry = [&directory](int index, const std::u16string& name, uint8_t type, uint32_t right, uint32_t child,
                              uint32_t start, uint32_t size) {
        const size_t at = static_cast<size_t>(index) * 128;
        for (size_t c = 0; c < name.size(); ++c)
            PutWord(directory, at + 2 * c, name[c]);
        PutWord(directory, at + 0x40, static_cast<uint16_t>(2 * (name.size() + 1)));
        directory[at + 0x42] = static_cast<char>(type);
        PutDWord(directory, at + 0x44, kFree);
        PutDWord(directory, at + 0x48, right);
        PutDWord(directory, at + 0x4C, child);
        PutDWord(directory, at + 0x74, start);
        PutDWord(directory, at + 0x78, size);
    };
    entry(0, u"Root Entry", stgRoot, kFree, streams.empty() ? kFree : 1, miniStart,
          static_cast<uint32_t>(mini.size()));
    for (size_t i = 0; i < streams.size(); ++i)
        entry(static_cast<int>(i) + 1, streams[i].Name, stgStream, i + 1 < streams.size() ? i + 2 : kFree, kFree,
              starts[i], static_cast<uint32_t>(streams[i].Data.size()));
    return header + fatSector + directory + miniFatSector + body;
}

inline std::string WordStream(uint16_t ident, uint16_t version, size_t size = 4096)
{
    std::string data(size, '\0');
    PutWord(data, 0, ident);
    PutWord(data, 2, version);
    for (size_t i = 4; i < size; ++i)
        data[i] = static_cast<char>(i * 13);
    return data;
}
