#pragma once
// The fixed list of paper sizes that page set-up, envelopes and printing offer:
// 13 sheets, 22 envelopes and the custom size. A size found in a document is
// matched against the list with a tolerance, in either orientation; the list
// gives the display name and the printer paper identifier.
#include <cstdint>
#include <string>

struct TPaperSize {
    int32_t Width;   // twips; -1 for the custom size
    int32_t Height;  // twips; -1 for the custom size
    int32_t PaperId; // the printer's paper identifier; 0 = none
    // The display name, each of its two dimensions between two "^".
    const char* Name;
};

constexpr int32_t PaperSizeCount = 36;
constexpr int32_t FirstSheetSize = 0;
constexpr int32_t LastSheetSize = 12;
constexpr int32_t FirstEnvelopeSize = 13;
constexpr int32_t LastEnvelopeSize = 34;
constexpr int32_t CustomPaperSize = 35;
// Largest difference, in twips, of each dimension from a listed size.
constexpr int32_t PaperSizeTolerance = 20;

// The entry of an index 0 to 35 (raises EListError beyond).
const TPaperSize& PaperSizes(int32_t index);

// The entry's name with the "^" removed; landscape puts the second dimension
// first. Empty for an index outside the list.
std::string GetPaperSizeName(int32_t index, bool landscape);
// The first of entries 0 to 34 that matches the size, upright or turned:
// CustomPaperSize when none does.
int32_t FindPaperSize(int32_t width, int32_t height);
// The same over the envelopes (13 to 34); -1 when none matches.
int32_t FindEnvelopeSize(int32_t width, int32_t height);
// The paper identifier of the size FindPaperSize finds (0 for the custom size).
int32_t GetPaperSizeId(int32_t width, int32_t height);
