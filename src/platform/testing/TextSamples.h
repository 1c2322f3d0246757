#pragma once
// Sample and random texts for tests and benchmarks; the same seed gives the
// same bytes.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

// Up to maxLength random bytes; none below 32 unless allBytes.
inline std::string RandomBytes(std::mt19937& rng, size_t maxLength, bool allBytes = true)
{
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<int> byte(allBytes ? 0 : 32, 255);
    std::string s(length(rng), '\0');
    for (char& c : s)
        c = static_cast<char>(byte(rng));
    return s;
}

// Up to maxLength characters drawn from an alphabet (the characters that mean
// something to the code under test), about one in anyOneIn any byte at all.
inline std::string RandomTextFrom(std::mt19937& rng, size_t maxLength, const std::string& alphabet, int anyOneIn = 3)
{
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, anyOneIn - 1);
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> any(0, 255);
    std::string s(length(rng), '\0');
    for (char& c : s)
        c = pick(rng) == 0 ? static_cast<char>(any(rng)) : alphabet[letter(rng)];
    return s;
}

// Lines of French words in code page 1252 with now and then any byte at all
// (but CR and LF), each ended by CR LF, cut to the size asked.

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
