#pragma once
// Character classes and maps over the 256 bytes of code page 1252 (with the
// program's special-character codes below 32), the locale-aware case routines,
// and the constant keyword tables (number formats, field types, date and time
// formats, built-in style names, picture extensions).
#include "platform/runtime/Locale.h"

#include <array>
#include <cstdint>
#include <string>

// A constant set of byte values.
struct TCharSet {
    uint64_t Bits[4] = {};
    constexpr bool Contains(uint8_t ch) const { return (Bits[ch >> 6] >> (ch & 63)) & 1; }
    constexpr void Include(uint8_t ch) { Bits[ch >> 6] |= uint64_t(1) << (ch & 63); }
};

using TCharClassTable = std::array<bool, 256>;
using TCharMap = std::array<uint8_t, 256>;

// Class tables: true for the codes of the class. They hold the classes of a
// non-Spanish locale until BuildTextTables runs.
extern TCharClassTable DelimiterCharTable;
extern TCharClassTable DelimiterNoBlankCharTable;  // the delimiters without the blank
extern TCharClassTable ControlCodeCharTable;
extern TCharClassTable BreakAfterCharTable;
extern TCharClassTable SentenceEndCharTable;
extern TCharClassTable BlankCharTable;
extern TCharClassTable LeadingPunctCharTable;
extern TCharClassTable TrailingPunctCharTable;
extern TCharClassTable LeadingPunctCharTable2;
extern TCharClassTable TrailingPunctCharTable2;
extern TCharClassTable DigitCharTable;
extern TCharClassTable DigitBlankCharTable;
extern TCharClassTable PlainRtfCharTable;        // characters the RTF writer puts out as themselves
extern TCharClassTable InvalidFileNameCharTable;

// "¡" and "¿".
extern const TCharSet InvertedPunctuationSet;
// " ' ` „ ‘ ’ “ ” « »
extern const TCharSet QuoteCharSet;

// "A" to "Z" to "a" to "z"; every other code to itself.
extern const TCharMap LowerCaseMap;
// Letters "A" to "Z" and "a" to "z" to the lower-case letter; every other code to 0.
extern const TCharMap LetterLowerCaseMap;
// Hexadecimal digits to 0 to 15; every other code to 255.
extern const TCharMap HexDigitValueTable;
// By special-character code: the glyph drawn for it when special characters are
// shown (0 = none).
extern const TCharMap SpecialCharGlyphTable;
// By character code: the special-character code an incoming character stands
// for (0 = none).
extern const TCharMap CharToSpecialCodeTable;

// Builds the class tables for the user's locale: with Spanish as its primary
// language, "¡" and "¿" are delimiters and leading punctuation.
void BuildTextTables();
void BuildTextTables(LANGID userLanguage);

// 2 for French (primary language 12), 1 for US English (1033), 0 otherwise.
int GetLanguageKind(LANGID language);

// The character is alphabetic or a digit for the locale.
bool IsAlphaNumericChar(LCID locale, uint8_t ch);
// Upper case for the locale, buffer to buffer (source and destination may be
// the same buffer).
void MapUpperCase(LCID locale, const char* source, char* destination, int32_t length);
std::string UpperCaseLocale(LCID locale, const std::string& text);
// Accented capitals "ÀÁÂÈÉÊÌÍÎÒÓÔÙÚÛ" become "AAAEEEIIIOOOUUU"; other bytes
// (capitals with diaeresis or cedilla among them) are copied.
void RemoveCapitalAccents(const char* source, char* destination, int32_t length);
// Upper case for the language; for French, when the language's autocorrection
// options say that capitals carry no accents, the accents are removed too.
void UpperCaseForLanguage(const char* source, char* destination, int32_t length, LANGID language);
// Equal lengths and equal after UpperCaseForLanguage.
bool SameTextForLanguage(const char* a, int32_t lengthA, const char* b, int32_t lengthB, LANGID language);
uint8_t UpperCaseCharLocale(uint8_t ch, LCID locale, bool upperCase);
// Lower and upper case forms differ.
bool CharHasCase(uint8_t ch, LCID locale);
// Has case and equals its upper-case form.
bool IsUpperCaseChar(uint8_t ch, LCID locale);

// Whether capitals carry no accents in a language: an option of the proofing
// tools' autocorrection, which installs this query at start-up. Without it no
// language removes accents. Returns the previous query.
using TCapitalsWithoutAccentsQuery = bool (*)(LANGID language);
TCapitalsWithoutAccentsQuery SetCapitalsWithoutAccentsQuery(TCapitalsWithoutAccentsQuery query);

// Keyword tables.
constexpr int NumberFormatCount = 12;
constexpr int NumberFormatLanguageCount = 4;  // English, French, German, Spanish
extern const char* const NumberFormatKeywords[NumberFormatCount][NumberFormatLanguageCount];

// By field-type number; "?" where a number has no keyword.
constexpr int FieldKeywordCount = 92;
extern const char* const FieldKeywords[FieldKeywordCount];

// Three groups (by GetLanguageKind) of 31 slots; "" after the group's last format.
constexpr int DateTimeFormatGroupCount = 3;
constexpr int DateTimeFormatSlotCount = 31;
extern const char* const DateTimeFormats[DateTimeFormatGroupCount][DateTimeFormatSlotCount];

// By built-in style number.
constexpr int BuiltInStyleCount = 92;
extern const char* const BuiltInStyleNames[BuiltInStyleCount];

// By picture format.
constexpr int PictureExtensionCount = 13;
extern const char* const PictureExtensions[PictureExtensionCount];

// The accented capitals, sorted, and the capitals without accent at the same
// positions.
extern const char AccentedCapitals[];
extern const char UnaccentedCapitals[];
