#pragma once
// French text for the benchmarks: paragraphs of three to eight sentences in
// code page 1252, from a fixed seed so that every run measures the same text.
#include "foundation/InlineControl.h"

#include <cstdint>
#include <string>
#include <vector>

// One paragraph ending with its paragraph mark; with boldOneIn > 0, about one
// word in that many is bold.
inline std::string MakeFrenchParagraph(uint32_t& seed, uint32_t boldOneIn = 0)
{
    static const std::vector<std::string> words = {
        "le",      "traitement", "de",     "texte",     "mesure",    "chaque", "caractère", "à",        "l'écran",
        "et",      "sur",        "papier", "avec",      "précision", "élève",  "où",        "ça",       "œuvre",
        "déjà",    "naïf",       "une",    "phrase",    "longue",    "qui",    "s'étend",   "jusqu'au", "bout",
        "ligne",   "paragraphe", "mots",   "français",  "été",       "hiver",  "château",   "forêt",    "île"};
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    auto record = [](uint16_t code, int32_t argument) {
        uint8_t bytes[InlineControlSize];
        WriteInlineControl(bytes, code, argument);
        return std::string(reinterpret_cast<const char*>(bytes), InlineControlSize);
    };
    std::string text;
    const uint32_t sentences = 3 + next() % 6;
    for (uint32_t s = 0; s < sentences; ++s) {
        const uint32_t count = 8 + next() % 14;
        for (uint32_t w = 0; w < count; ++w) {
            std::string word = words[next() % words.size()];
            if (w == 0)
                word[0] = static_cast<char>(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 32 : word[0]);
            if (boldOneIn > 0 && next() % boldOneIn == 0)
                word = record(2, 1) + word + record(2, 0);
            text += word;
            text += w + 1 == count ? ". " : (next() % 12 == 0 ? ", " : " ");
        }
    }
    return text + record(icSpecialChar, scParagraphMark);
}
