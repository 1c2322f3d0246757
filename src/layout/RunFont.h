#pragma once
// The measuring side of line layout: the units a line is built in, the run
// font, and the one program-wide working state of line building.
//
// Lines are measured at eight times the document's layout resolution: every
// length in twips and every font size first passes through the view scaling
// (times 8 in the normal mode, times the document's percentages in the scaled
// mode that display widths are made in) and then through the document's
// twips-to-layout conversion. Character positions, advances and a line's right
// limit are in these eighth units.
#include "foundation/CharFormat.h"
#include "foundation/DisplayScale.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <vector>

class TDocument;
class TParagraph;
class TSharedFont;
class TSharedKerningPairs;

// The conversions of one layout pass: a document and the mode of its view
// scaling.
struct TLayoutUnits {
    TDocument* Document = nullptr;
    TViewScale Scale;
    // Lines wrap at their right limit (off while display widths are made).
    bool Wrap = true;

    int32_t ToViewX(int32_t value) const { return ScaleToViewX(&Scale, value); }
    int32_t ToViewY(int32_t value) const { return ScaleToViewY(&Scale, value); }
    int32_t FromViewX(int32_t value) const { return ScaleFromViewX(&Scale, value); }
    int32_t FromViewY(int32_t value) const { return ScaleFromViewY(&Scale, value); }
    // A horizontal length in twips as eighth units: view scaling, then the
    // document's twips-to-layout conversion.
    int32_t TwipsToEighths(int32_t twips) const;
};

// The units of normal line building for a document (its own view scaling).
TLayoutUnits NormalLayoutUnits(TDocument& document);
// The units display widths are made in: the view scaling in its scaled mode
// at the document's zoom, and no wrapping.
TLayoutUnits DisplayLayoutUnits(TDocument& document);
// The document of a paragraph; raises EInternalError for a paragraph that
// belongs to none (such a paragraph cannot be measured).
TDocument& DocumentOfParagraph(const TParagraph& paragraph);

// Option bits of SelectRunFont.
constexpr uint32_t rfDeviceUnits = 1;    // device heights instead of layout heights
constexpr uint32_t rfKerning = 2;        // make the font's kerning pairs current
constexpr uint32_t rfVerticalPos = 4;    // superscript and subscript at a smaller size
constexpr uint32_t rfSmallCaps = 8;      // small capitals at 80 %
constexpr uint32_t rfSelectInDC = 16;    // select the font into the measuring context
constexpr uint32_t rfLineBuilding = rfKerning | rfVerticalPos | rfSmallCaps;

// The program-wide state of line building: only one line is built at a time.
struct TLayoutWorkingState {
    // The character format in force at the byte being read (size slot in view
    // units).
    TCharFormat Format{};
    // The run font: the shared font whose widths measure the characters, and
    // the ascent and descent that the characters take (those of the full-size
    // font for superscript and subscript).
    TSharedFont* Font = nullptr;
    int32_t FontAscent = 0;
    int32_t FontDescent = 0;
    // The flag every position of a character measured in this font carries:
    // set for a symbol font, whose bytes painting draws through the symbol
    // mapping.
    bool FontFlag = false;
    // The kerning pairs of the run font; null when the run is not kerned.
    TSharedKerningPairs* Kerning = nullptr;
    // The hyphenation points of the word being hyphenated (break after that
    // many characters of the word).
    std::vector<int32_t> HyphenationPoints;
    // The context fonts are measured on.
    HDC DC = nullptr;
};

// The state; created on first use, freed by FreeLayoutWorkingState.
TLayoutWorkingState& LayoutWorkingState();
void FreeLayoutWorkingState();

// Selects the run font of a format (size slot in view units) into the working
// state: the shared font, its ascent and descent, its flag and, with
// rfKerning, its kerning pairs.
void SelectRunFont(const TLayoutUnits& units, const TCharFormat& format, uint32_t options);
// The same in the document's own units.
void SelectRunFont(TDocument& document, const TCharFormat& format, uint32_t options);

// A slot's value, 0 when it is not set.
inline int32_t SlotValue(int32_t value)
{
    return value == NotSet ? 0 : value;
}
// The slot is set to a value other than 0.
inline bool SlotOn(int32_t value)
{
    return value != NotSet && value != 0;
}
