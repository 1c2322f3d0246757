#pragma once
// Colours. The editor draws its screen elements in 13 configurable colours: a
// TColorScheme holds one named set (the user's, saved as text, and the preset
// schemes), a TColorPalette turns a scheme into colours with solid brushes,
// and the program-wide TColorManager owns the screen palette (the user's
// scheme) and the default palette (the factory scheme, for printing and
// envelopes). Character formats colour text with the 16 basic colours, to
// which a document's RGB colours are mapped.
//
// Colours are 32-bit values 0x00BBGGRR.
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t ColorElementCount = 13;
// A scheme colour that stands for the element's default.
constexpr int32_t DefaultElementColor = -1;

class TColorScheme {
public:
    // Every colour the element's default, no name.
    TColorScheme();

    std::string Name;
    int32_t Colors[ColorElementCount];

    // The colours, not the name.
    void Assign(const TColorScheme& source);
    // The colours from element 0 to the last one that is not default, each as
    // 8 upper-case hexadecimal digits ("FFFFFFFF" for a default inside the
    // range); empty when all are default.
    std::string GetAsText() const;
    // All colours default, then one per whole group of 8 hexadecimal digits
    // (at most 13); a trailing part group is ignored.
    void SetAsText(const std::string& text);
};

// The 16 basic colours of character formats, index 1 to 16 (0 = automatic).
constexpr int32_t BasicColorCount = 16;
// The colour of index 1..16.
int32_t BasicColor(int32_t index);
// "Automatique" for 0, then "Noir", "Bleu", ... "Gris clair" for 16; empty
// beyond.
std::string BasicColorName(int32_t index);
// The basic colour at the smallest distance |dR| + |dG| + |dB| (the lowest
// index among equals).
int32_t FindNearestBasicColor(int32_t color);

// One colour of a document's colour table, as a reader found it, and the basic
// colour index that character formats will use for it.
struct TDocColorEntry {
    int32_t Color = 0;
    bool Automatic = false;
    int32_t Index = 0;
};
