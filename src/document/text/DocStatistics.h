#pragma once
// Document statistics: pages, words, sentences, characters with and without
// spaces, paragraphs, lines and pictures of the selection, of the header or
// footer being edited, or of the whole document; the command "Statistiques sur
// le document" shows them, and the information fields (NUMWORDS, NUMCHARS)
// take their counts in a quick mode that leaves the costly ones out.
#include <cstdint>

struct TDocStatistics {
    int32_t Pages = 0;
    int32_t Words = 0;
    int32_t Sentences = 0;
    int32_t CharsWithoutSpaces = 0;
    int32_t CharsWithSpaces = 0;
    int32_t Paragraphs = 0;
    int32_t Lines = 0;
    int32_t Pictures = 0;
    // Copied from the document: its file's size in bytes and its coding.
    int32_t FileSize = 0;
    int32_t Coding = 0;
};
