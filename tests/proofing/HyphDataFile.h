#pragma once
// Hyphenation data files made by the tests: the signature, one zlib block per
// language and the directory.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A language block before compression: patterns, exceptions as written
// (front-coded lines) and the break masks that follow them.
inline std::string HyphLanguageBlock(const std::string& patterns, const std::string& exceptions,
                                     const std::string& masks)
{
    auto u32 = [](uint32_t v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i)
            s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
        return s;
    };
    return u32(static_cast<uint32_t>(patterns.size())) + patterns + u32(static_cast<uint32_t>(exceptions.size())) +
           exceptions + masks;
}

// The file of (primary language, block) pairs; an empty block is written as a
// directory entry of length 0.
inline std::string HyphDataFile(const std::vector<std::pair<uint32_t, std::string>>& languages)
{
    auto u32 = [](uint32_t v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i)
            s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
        return s;
    };
    std::string file = u32(0xAA07C3D2);
    std::string directory;
    for (const auto& [language, block] : languages) {
        std::string compressed;
        if (!block.empty()) {
            uLongf size = compressBound(static_cast<uLong>(block.size()));
            compressed.resize(size);
            compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                      reinterpret_cast<const Bytef*>(block.data()), static_cast<uLong>(block.size()), 9);
            compressed.resize(size);
        }
        directory += u32(language) + u32(static_cast<uint32_t>(file.size())) +
                     u32(static_cast<uint32_t>(compressed.size()));
        file += compressed;
    }
    return file + directory + u32(static_cast<uint32_t>(directory.size()));
}
