#pragma once
// Sample text files for tests and benchmarks: lines of French words in code
// page 1252 with now and then any byte at all (but CR and LF), each ended by
// CR LF, cut to the size asked. The same seed gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

inline std::string GenerateTextFileBytes(size_t size, uint32_t seed)
{
    static const char* const kWords[] = {"le",        "traitement", "de",   "texte", "\xE9t\xE9",  "\xE0",
                                         "c\xF4t\xE9", "na\xEFve",  "\x9C" "uvre", "fen\xEAtre", "\xAB",
                                         "\xBB",      "d\xE9j\xE0",  "\x80", "gar\xE7on", "No\xEBl"};
    std::string text;
    text.reserve(size + 256);
    uint32_t state = seed;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    while (text.size() < size) {
        const uint32_t words = next() % 24;
        for (uint32_t w = 0; w < words; ++w) {
            if (w)
                text += ' ';
            if (next() % 16 == 0) {
                const char any = static_cast<char>(next() % 256);
                text += any == '\r' || any == '\n' ? '#' : any;
            } else {
                text += kWords[next() % (sizeof kWords / sizeof kWords[0])];
            }
        }
        text += "\r\n";
    }
    text.resize(size);
    return text;
}
