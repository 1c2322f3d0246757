#pragma once
// The font mapper's arithmetic: how a logical font's size becomes an em
// height, how design units become device units, the text metrics, character
// widths and kerning pairs of a face in a character set, and which character
// sets a face supports. Pure computation on a face's tables.
//
// Definitions (all lengths in device units; R(x) rounds half away from zero,
// computed exactly on integers):
//   em height E:   lfHeight < 0: -lfHeight;
//                  lfHeight > 0: max(1, R(lfHeight * unitsPerEm / (winAscent + winDescent)));
//                  lfHeight = 0: the default em height given by the caller.
//   vertical scale E / unitsPerEm;
//   horizontal scale: the vertical one, or, when lfWidth != 0, |lfWidth| / xAvgCharWidth
//                  (so that the average character width becomes |lfWidth|).
//   tmAscent  = R(winAscent * E / unitsPerEm)      (internal leading included)
//   tmDescent = R(winDescent * E / unitsPerEm)
//   tmHeight  = tmAscent + tmDescent
//   tmInternalLeading = max(0, tmHeight - E)
//   tmExternalLeading = max(0, R((hhea.lineGap - ((winAscent + winDescent)
//                                - (hhea.ascender - hhea.descender))) * E / unitsPerEm))
//   tmAveCharWidth = R(xAvgCharWidth * horizontal scale)
//   tmMaxCharWidth = R(advanceWidthMax * horizontal scale)
//   width of a byte = R(advance of its glyph * horizontal scale): unhinted,
//                  so the width at 8 times a size is 8 times the width (to rounding).
//   kerning amount = R(design adjustment * horizontal scale).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/FontTables.h"
#include "platform/gdi/GdiTypes.h"

// value * num / den rounded half away from zero; den > 0.
int32_t ScaleRound(int64_t value, int64_t num, int64_t den);

// Horizontal and vertical design-to-device factors of one realisation.
struct TFontScale {
    int32_t EmHeight = 0;  // vertical: EmHeight / UnitsPerEm
    int32_t UnitsPerEm = 2048;
    int64_t XNum = 0;  // horizontal: XNum / XDen
    int64_t XDen = 1;

    int32_t X(int64_t designUnits) const { return ScaleRound(designUnits, XNum, XDen); }
    int32_t Y(int64_t designUnits) const { return ScaleRound(designUnits, EmHeight, UnitsPerEm); }
    // Horizontal stretch relative to the natural proportions (1.0 without lfWidth).
    double Stretch() const;
};

TFontScale ComputeFontScale(const TFontFaceTables& face, int32_t lfHeight, int32_t lfWidth, int32_t defaultEmHeight);

// The character sets a face supports, in enumeration order: a symbol font
// only SYMBOL_CHARSET; a text font the single-byte sets its OS/2 code-page
// bits (or, without them, its character map) cover, ANSI first.
std::vector<uint8_t> FaceCharsets(const TFontFaceTables& face);
bool FaceSupportsCharset(const TFontFaceTables& face, uint8_t charset);
// The character set a face is realised in when charset is asked for:
// DEFAULT_CHARSET becomes ANSI (the program's code page), a symbol face is
// always SYMBOL_CHARSET, a set the face lacks becomes its first set.
uint8_t ResolveFaceCharset(const TFontFaceTables& face, uint8_t charset);
// Pitch (FIXED_PITCH / VARIABLE_PITCH) and family (FF_ROMAN, FF_SWISS,
// FF_MODERN, FF_SCRIPT, FF_DECORATIVE) of a face, from 'post', PANOSE and the
// OS/2 family class.
uint8_t FacePitchAndFamily(const TFontFaceTables& face);
// The French name of a character set's script as font lists show it.
std::string CharsetScriptName(uint8_t charset);

// Glyph of each byte of a character set: ANSI and the other text sets through
// their code page to Unicode; SYMBOL_CHARSET through U+F000 + byte, then the
// byte itself. Unmapped bytes get glyph 0 (the font's missing-glyph shape).
std::array<uint16_t, 256> MapCharsetGlyphs(const TFontFaceTables& face, uint8_t charset);

// The character of each byte of the Symbol font's encoding (Greek letters,
// mathematical signs, arrows, the bullet at 0xB7...), 0 for unused bytes.
// A text face stands in for "Symbol" where that font is not installed, its
// glyphs reached through this table.
char16_t SymbolEncodingChar(uint8_t byte);
std::array<uint16_t, 256> MapSymbolStandInGlyphs(const TFontFaceTables& face);

// Everything measured about one realisation.
struct TFontMeasures {
    TFontScale Scale;
    TEXTMETRIC Metrics;
    std::array<int32_t, 256> Widths{};
    std::array<uint16_t, 256> Glyphs{};
    int32_t UnderlinePosition = 0;   // below the baseline, positive downwards (top of the line)
    int32_t UnderlineThickness = 1;
    int32_t StrikeoutPosition = 0;   // above the baseline, positive upwards (top of the bar)
    int32_t StrikeoutThickness = 1;
};

struct TFontRealisation {
    const TFontFaceTables* Face = nullptr;
    int32_t Height = 0;  // lfHeight
    int32_t Width = 0;   // lfWidth
    int32_t DefaultEmHeight = 16;
    uint8_t Charset = 0;  // resolved
    int32_t Weight = FW_NORMAL;  // reported weight (the face's, or bold when simulated)
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int32_t DpiX = 96;
    int32_t DpiY = 96;
    bool SymbolStandIn = false;  // bytes through the Symbol encoding (Charset is SYMBOL_CHARSET)
};

TFontMeasures MeasureFont(const TFontRealisation& r);

// Kerning pairs of the face between bytes of a character set, amounts in
// design units, ordered by first then second character. Pairs whose glyphs
// several bytes share are repeated for each byte.
std::vector<KERNINGPAIR> DesignKerningPairs(const TFontFaceTables& face, const std::array<uint16_t, 256>& glyphs);
