#pragma once
// Code pages and wide text: which code page a UTF-16 character belongs to,
// conversion of UTF-16 text to 8-bit text in one guessed code page or run by run
// (so that a reader can give each run the font character set of its code page),
// symbol-font characters kept intact, Mac OS Roman bytes translated, and the
// relation between locales, font character sets and code pages.
//
// Conversions here give exactly one byte per UTF-16 code unit, so that byte
// positions match the positions in the wide text.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/Locale.h"

class TFont;

// The program-wide default ANSI code page and font character set, set at
// start-up (1252 and the ANSI character set until then).
uint32_t DefaultAnsiCodePage();
uint8_t DefaultCharset();
void SetDefaultAnsiCodePage(uint32_t codePage);
void SetDefaultCharset(uint8_t charset);

// The locale's default ANSI code page; 0 for a locale that has none (the
// languages written only in Unicode). The pseudo locales stand for the user's.
uint32_t GetLocaleAnsiCodePage(LCID locale);
// The font character set of the locale's ANSI code page; when there is none,
// that of the system's code page with fallback, else the default character set.
uint8_t GetLocaleCharset(LCID locale, bool fallback);
// The locale's language name as the desktop shows it; empty when unknown.
std::string GetLocaleLanguageName(LCID locale);
// Gives the font the character set of the locale (no fallback).
void SetFontCharsetForLocale(TFont& font, LCID locale);
// Sets the default ANSI code page and character set from a locale (the system's
// code page when the locale has none).
void SetDefaultCodePagesForLocale(LCID locale);

// The code page of a font character set; the default ANSI code page for a
// character set the system relates to none (default, OEM, Mac).
uint32_t CharsetToCodePage(uint8_t charset);
// The font character set of a code page; the default character set for one the
// system relates to none (the DOS and Mac code pages).
uint8_t CodePageToCharset(uint32_t codePage);

// The code page a UTF-16 code unit belongs to by its range, or def (ASCII too).
uint32_t GetCodePageOfWideChar(char16_t c, uint32_t def);
// The code page most code units belong to (a tie goes to the lower number); def
// when none belongs to any.
uint32_t GuessWideTextCodePage(const char16_t* text, int32_t length, uint32_t def);
// For every code unit of a symbol font's private range (0xF000 and up) the byte
// at the same position becomes the unit's low byte.
void CopySymbolChars(const char16_t* text, char* buffer, int32_t length);
// Converts length code units into as many bytes, in the guessed code page (the
// default ANSI code page when there is no guess), and returns that code page.
uint32_t WideToAnsiGuessCodePage(const char16_t* text, char* buffer, int32_t length);
// Converts length code units into as many bytes, each run of code units in its
// own code page. runEnds receives the index after each run, codePages the run's
// code page (both cleared first); runs are contiguous and start at 0.
void WideToAnsiByRuns(const char16_t* text, char* buffer, int32_t length, std::vector<int32_t>& runEnds,
                      std::vector<int32_t>& codePages);
// Maps bytes of Mac OS Roman text to code page 1252 through the program's table.
// Source and destination may be the same.
void TranslateBytes(const uint8_t* source, uint8_t* destination, int32_t length);
