#pragma once
// Locales: the user's language and the national-language services the program
// asks of the system for a given locale (upper and lower case, character types,
// string comparison in the locale's sort order). Strings are the program's code
// page 1252 bytes; the work is done on their Unicode forms (ICU). The runtime's
// own conventions (decimal separator, French collation) are in SysUtils.h.
#include <cstdint>
#include <string>
#include <string_view>

using LANGID = uint16_t;
using LCID = uint32_t;

// Pseudo locales that stand for the user's and the system's default locale.
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Primary languages (the low 10 bits of a language identifier).
constexpr uint16_t LANG_NEUTRAL = 0x00;
constexpr uint16_t LANG_GERMAN = 0x07;
constexpr uint16_t LANG_ENGLISH = 0x09;
constexpr uint16_t LANG_SPANISH = 0x0A;
constexpr uint16_t LANG_FRENCH = 0x0C;

constexpr uint16_t PRIMARYLANGID(LANGID id)
{
    return id & 0x3FF;
}
constexpr uint16_t SUBLANGID(LANGID id)
{
    return id >> 10;
}
constexpr LANGID MAKELANGID(uint16_t primary, uint16_t sub)
{
    return static_cast<LANGID>((sub << 10) | primary);
}

// The user's locale, as the desktop gives it (LC_ALL, then LANG); a "C" or POSIX
// locale counts as English (United States). Read once; SetUserDefaultLCID
// replaces it (tests fix the locale with it).
LCID GetUserDefaultLCID();
LANGID GetUserDefaultLangID();
void SetUserDefaultLCID(LCID locale);

// The locale's name in the form "fr_FR" ("en_US" for one ICU does not know).
std::string LocaleNameFromLCID(LCID locale);
// The locale's language (and country) named in French, as the desktop shows it:
// "Français (France)", "Anglais (États-Unis)"; empty for an unknown locale.
std::string LocaleDisplayName(LCID locale);
// The identifier of a locale name such as "fr_FR.UTF-8"; 0 when unknown.
LCID LCIDFromLocaleName(std::string_view name);

// The date and time conventions of a locale, as the system gives them for it:
// month and day names, AM/PM designators and the short and long date and time
// pictures (in the picture letters of the runtime: "dddd d MMMM yyyy"). The
// other values are those of the program's settings. Pseudo and unknown locales
// give the program's settings unchanged.
struct TFormatSettings;
TFormatSettings GetLocaleFormatSettings(LCID locale);

// Case mapping of 8-bit text, character by character, as the system maps case
// for a locale (the simple mapping, one character to one: "ß" stays "ß"). A
// character whose other case has no byte in code page 1252 stays as it is ("µ").
std::string LocaleUpperCase(LCID locale, std::string_view text);
std::string LocaleLowerCase(LCID locale, std::string_view text);

// Character type flags of one byte (the system's first character-type set).
constexpr uint16_t C1_UPPER = 0x0001;
constexpr uint16_t C1_LOWER = 0x0002;
constexpr uint16_t C1_DIGIT = 0x0004;
constexpr uint16_t C1_SPACE = 0x0008;
constexpr uint16_t C1_PUNCT = 0x0010;
constexpr uint16_t C1_CNTRL = 0x0020;
constexpr uint16_t C1_BLANK = 0x0040;
constexpr uint16_t C1_XDIGIT = 0x0080;
constexpr uint16_t C1_ALPHA = 0x0100;
uint16_t GetCharTypeFlags(LCID locale, uint8_t ch);

// String comparison in the locale's sort order with string sort: punctuation
// and symbols are significant and sort before digits and letters. Ignoring case
// still tells accents apart. The result is -1, 0 or 1.
int CompareStringLocale(LCID locale, bool ignoreCase, std::string_view a, std::string_view b);
