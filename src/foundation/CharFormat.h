#pragma once
// Character and paragraph formats: flat records of signed 32-bit attribute
// slots. NotSet in a slot means "leave as it is" in a style or an operation and
// "mixed" in the common format of a selection.
#include "foundation/NotSet.h"

#include <cstdint>

// Slots of TCharFormat.
enum TCharSlot : int {
    cfFont = 0,             // index into the program's font table
    cfSize = 1,             // half-points (24 = 12 pt)
    cfBold = 2,
    cfItalic = 3,
    cfStrikeOut = 4,
    cfDoubleStrikeOut = 5,
    cfUnderline = 6,        // 0 none, 1 to 4 plain kinds, 5 and above decorative kinds
    cfUnderlineColor = 7,
    cfSmallCaps = 8,
    cfAllCaps = 9,
    cfShadow = 10,
    cfOutline = 11,
    cfEmboss = 12,
    cfEngrave = 13,
    cfColor = 14,
    cfHighlight = 15,       // 0 = no highlight
    cfVerticalPosition = 16,  // 0 normal, 1 superscript, 2 subscript
    cfHorizontalScale = 17,   // percent
    cfLetterSpacing = 18,     // twips, negative condenses
    cfRaise = 19,             // raise (positive) or lower offset
    cfKerning = 20,           // font size from which pairs are kerned
    cfLanguage = 21,          // language identifier
};

// Slots of TParFormat (lengths in twips).
enum TParSlot : int {
    pfFirstIndent = 0,   // relative to the left indent; negative = hanging
    pfLeftIndent = 1,
    pfLineSpacing = 2,   // with pfLineRule
    pfLineRule = 3,      // 1 multiple (240ths of single), 0 absolute (negative = exactly)
    pfRightIndent = 4,
    pfAlignment = 5,     // 0 left, 1 centred, 2 right, 3 justified
    pfKeepWithNext = 6,
    pfKeepTogether = 7,
    pfPageBreakBefore = 8,
    pfWidowControl = 9,
    pfNoHyphenation = 10,
    pfSpaceBefore = 11,
    pfSpaceAfter = 12,
    pfStyle = 13,        // index in the document's style list
    pfTabTable = 14,     // index in the document's tab manager; -1 = none of its own
    pfInternal = 15,
};

struct TCharFormat {
    static constexpr int Count = 22;
    int32_t Slots[Count] = {};

    int32_t& operator[](int slot) { return Slots[slot]; }
    const int32_t& operator[](int slot) const { return Slots[slot]; }
    // Slot by slot identity (no font-family rule; see CharFormatsEqual).
    bool operator==(const TCharFormat&) const = default;
};

struct TParFormat {
    static constexpr int Count = 16;
    int32_t Slots[Count] = {};

    int32_t& operator[](int slot) { return Slots[slot]; }
    const int32_t& operator[](int slot) const { return Slots[slot]; }
    bool operator==(const TParFormat&) const = default;
};

// The font table that slot 0 indexes belongs to the font manager, which tells
// here which family entry a font index names, so that two entries of one family
// count as the same font. Without a resolver, only equal indices are the same.
class TFontFamilyResolver {
public:
    virtual ~TFontFamilyResolver() = default;
    // The family entry of a font index; -1 when it names none.
    virtual int32_t FontFamilyOf(int32_t fontIndex) const = 0;
};
// Installs the resolver (none: nullptr); returns the previous one.
const TFontFamilyResolver* SetFontFamilyResolver(const TFontFamilyResolver* resolver);
// Both set and naming the same family entry (or equal).
bool SameFontFamily(int32_t fontA, int32_t fontB);

void ClearCharFormat(TCharFormat& format);
void ClearParFormat(TParFormat& format);
bool CharFormatsEqual(const TCharFormat& a, const TCharFormat& b);
// Every slot of target that differs from other becomes NotSet.
void MergeCharFormat(TCharFormat& target, const TCharFormat& other);
// Every NotSet slot of target takes the source's value.
void FillUnsetCharFormat(TCharFormat& target, const TCharFormat& source);
// Every slot of target equal to the reference becomes NotSet.
void DiffCharFormat(TCharFormat& target, const TCharFormat& reference);
// Reduces target to its differences from the reference; slots 0-1 and 2-3 go
// together as pairs.
void DiffParFormat(TParFormat& target, const TParFormat& reference);

// All 22 slots NotSet.
bool IsCharFormatEmpty(const TCharFormat& format);
// At least one slot NotSet (a mixed selection).
bool CharFormatHasUnset(const TCharFormat& format);
bool IsParFormatEmpty(const TParFormat& format);
bool SameParFormat(const TParFormat& a, const TParFormat& b);

// The program's default records, built on first use. The font manager stores its
// font indices into slot 0 of the character records at start-up.
// Default character format: size 24, scale 100, the user's default language.
TCharFormat& DefaultCharFormat();
// Two preset copies of it: plain, and with bold = 1.
TCharFormat& PresetCharFormat();
TCharFormat& PresetBoldCharFormat();
// Font and size NotSet, scale 100, every other slot 0.
const TCharFormat& UnsetFontCharFormat();
// Single line spacing (240, rule 1), no tab table of its own.
const TParFormat& DefaultParFormat();
// The base style's paragraph format: indents and alignment NotSet, single
// spacing, widow and orphan control on, no tab table.
const TParFormat& BaseStyleParFormat();
