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
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
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
    // Colour i, or the element's default when it is DefaultElementColor.
    int32_t GetColor(int32_t element) const;
    // The colours from element 0 to the last one that is not default, each as
    // 8 upper-case hexadecimal digits ("FFFFFFFF" for a default inside the
    // range); empty when all are default.
    std::string GetAsText() const;
    // All colours default, then one per whole group of 8 hexadecimal digits
    // (at most 13); a trailing part group is ignored.
    void SetAsText(const std::string& text);
};

// The default of an element: a literal colour (the entries with a high byte)
// or the current value of a system colour.
int32_t DefaultElementColorOf(int32_t element);

// One palette colour with its solid brush.
class TPaletteColor {
public:
    TPaletteColor() = default;
    ~TPaletteColor();
    TPaletteColor(const TPaletteColor&) = delete;
    TPaletteColor& operator=(const TPaletteColor&) = delete;

    int32_t Color() const { return FColor; }
    // Frees the brush of the previous colour.
    void SetColor(int32_t color);
    // The colour's solid brush, made on first use; owned by the colour
    // (callers never delete it).
    HBRUSH GetBrush();

private:
    HBRUSH FBrush = nullptr;
    int32_t FColor = 0;
};

// The 13 colours of the editor's screen elements.
class TColorPalette {
public:
    TColorPalette() = default;
    TColorPalette(const TColorPalette&) = delete;
    TColorPalette& operator=(const TColorPalette&) = delete;

    TPaletteColor& Colors(int32_t element) { return FColors[element]; }
    const TPaletteColor& Colors(int32_t element) const { return FColors[element]; }
    // Each element takes the scheme's colour (its default where the scheme has none).
    void ApplyScheme(const TColorScheme& scheme);

private:
    TPaletteColor FColors[ColorElementCount];
};

// One colour of a document's colour table, as a reader found it, and the basic
// colour index that character formats will use for it.
struct TDocColorEntry {
    int32_t Color = 0;
    bool Automatic = false;
    int32_t Index = 0;
};

// The screen palette (the user's scheme) and the default palette (the factory
// scheme, for printing and envelopes), and which of them painting uses.
class TColorManager {
public:
    TColorManager();
    ~TColorManager();
    TColorManager(const TColorManager&) = delete;
    TColorManager& operator=(const TColorManager&) = delete;

    // The palette painting uses now.
    TColorPalette& CurrentPalette() { return *FCurrent; }
    TColorPalette& ScreenPalette() { return *FScreen; }
    // Made from the factory scheme on first use.
    TColorPalette& GetDefaultPalette();
    void UseScreenPalette();
    void UseDefaultPalette();
    // A document in full-screen mode is its print preview: its pages show as
    // they print, in the default palette, whatever the user's scheme.
    TColorPalette& GetFullScreenPalette() { return GetDefaultPalette(); }
    void UseFullScreenPalette();
    // The options' scheme onto the screen palette; the default palette is
    // made again (its system colours may have changed); open documents are
    // repainted.
    void ApplyOptionsScheme();
    // Each entry's index: 0 for automatic, else the nearest basic colour.
    void MapDocumentColors(std::vector<TDocColorEntry>& table) const;

    static bool SameSchemes(const TColorScheme& a, const TColorScheme& b);
    // The factory scheme of the default palette.
    static TColorScheme FactoryScheme();

private:
    std::unique_ptr<TColorPalette> FDefault;
    std::unique_ptr<TColorPalette> FScreen;
    TColorPalette* FCurrent;
};

// The program-wide instance; null outside CreateColorManager and
// FreeColorManager.
TColorManager* GetColorManager();
void CreateColorManager();
void FreeColorManager();

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
