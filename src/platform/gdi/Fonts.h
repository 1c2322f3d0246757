#pragma once
// Logical fonts, their realisation on a device context, font enumeration,
// metrics, widths, kerning pairs and 8-bit text output.
//
// Realisation follows the original platform's font mapper: the face named
// (compared without regard to case) when it is installed; else a face with the
// same metrics (Times New Roman -> Liberation Serif, Arial -> Liberation Sans,
// Courier New -> Liberation Mono); else fontconfig's choice for the name,
// guided by the pitch and family; a face that lacks the character set asked
// for gives way to one that has it. GetTextFace reads the face actually used.
// Metrics and widths come from the face's own tables (see FontMetrics.h for
// the exact definitions); nothing is hinted, kerned or shaped.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/gdi/GdiTypes.h"

HFONT CreateFontIndirect(const LOGFONT& font);
HFONT CreateFont(int32_t height, int32_t width, int32_t escapement, int32_t orientation, int32_t weight,
                 uint8_t italic, uint8_t underline, uint8_t strikeOut, uint8_t charset, uint8_t outPrecision,
                 uint8_t clipPrecision, uint8_t quality, uint8_t pitchAndFamily, std::string_view face);

// Called once per face and character set; returning 0 stops the enumeration.
using TFontEnumProc = std::function<int(const ENUMLOGFONTEX& font, const TEXTMETRIC& metrics, uint32_t fontType)>;
// Enumerates the installed scalable faces: with an empty face name every
// family, else the family of that name; with DEFAULT_CHARSET every character
// set of each, else only faces that have that set. Families are reported in
// the order of their names (ignoring case), each family's sets together.
// Returns the last value the callback returned, 0 when nothing matched.
int EnumFontFamiliesEx(HDC dc, const LOGFONT& filter, const TFontEnumProc& proc);

// Metrics of the font selected in dc.
bool GetTextMetrics(HDC dc, TEXTMETRIC* metrics);
// The face the selected font was realised with (code page 1252).
std::string GetTextFace(HDC dc);
// The character set of the selected font as realised.
int GetTextCharset(HDC dc);
// Advance widths of the bytes first..last (at most 255) of the selected font's
// character set.
bool GetCharWidth32(HDC dc, uint32_t first, uint32_t last, int32_t* widths);
// Kerning pairs of the selected font: with pairs null (or count 0) the number
// of pairs; else up to count pairs copied and their number returned. Pairs
// are ordered by first, then second character.
uint32_t GetKerningPairs(HDC dc, uint32_t count, KERNINGPAIR* pairs);
// Width (sum of the advance widths) and height (tmHeight) of a text.
bool GetTextExtentPoint32(HDC dc, std::string_view text, TSize* size);
// As GetTextExtentPoint32; fit receives how many characters fit in maxExtent
// (when fit is given) and dx the position after each character (when given).
bool GetTextExtentExPoint(HDC dc, std::string_view text, int32_t maxExtent, int32_t* fit, int32_t* dx,
                          TSize* size);

uint32_t SetTextAlign(HDC dc, uint32_t align);
uint32_t GetTextAlign(HDC dc);

// Draws 8-bit text with the selected font, text colour and background mode.
// dx (optional) holds one advance per character: character i+1 starts dx[i]
// to the right of character i; without it the font's widths are used. Each
// glyph is placed exactly at its position. ETO_OPAQUE fills rect with the
// background colour first; ETO_CLIPPED clips the text to rect. In OPAQUE
// background mode the text's cell (its advances by tmHeight) is filled too.
bool ExtTextOut(HDC dc, int32_t x, int32_t y, uint32_t options, const TRect* rect, std::string_view text,
                const int32_t* dx);
bool TextOut(HDC dc, int32_t x, int32_t y, std::string_view text);

// Makes the fonts of a font file's bytes available to this process (to
// enumeration and realisation) until removed. Returns 0 when the data holds no
// usable font; numFonts (optional) receives the number of faces added.
uintptr_t AddFontMemResourceEx(const void* data, size_t size, uint32_t* numFonts);
bool RemoveFontMemResourceEx(uintptr_t handle);

// Drops what was learnt about the installed families, so that the next
// enumeration and realisation see fonts installed or removed since. Fonts
// already realised keep working.
void RefreshFontDatabase();
