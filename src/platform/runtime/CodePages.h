#pragma once
// Code pages: conversion of 8-bit text to wide text (UTF-16) and back, with the
// original platform's behaviour: every byte of a single-byte code page converts,
// ASCII is identity, a character the target code page cannot hold becomes its
// best-fit byte if it has one, otherwise the default character, and the caller
// learns that the default was used.
#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t CP_ACP = 0;         // the program's code page, 1252
constexpr uint32_t CP_OEMCP = 1;       // the DOS code page (437 unless set)
constexpr uint32_t CP_SYMBOL = 42;     // symbol fonts: byte b is U+F000 + b
constexpr uint32_t CP_UTF8 = 65001;
constexpr uint32_t CP_MACROMAN = 10000;

// Character sets of logical fonts.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SYMBOL_CHARSET = 2;
constexpr uint8_t MAC_CHARSET = 77;
constexpr uint8_t SHIFTJIS_CHARSET = 128;
constexpr uint8_t HANGEUL_CHARSET = 129;
constexpr uint8_t JOHAB_CHARSET = 130;
constexpr uint8_t GB2312_CHARSET = 134;
constexpr uint8_t CHINESEBIG5_CHARSET = 136;
constexpr uint8_t GREEK_CHARSET = 161;
constexpr uint8_t TURKISH_CHARSET = 162;
constexpr uint8_t VIETNAMESE_CHARSET = 163;
constexpr uint8_t HEBREW_CHARSET = 177;
constexpr uint8_t ARABIC_CHARSET = 178;
constexpr uint8_t BALTIC_CHARSET = 186;
constexpr uint8_t RUSSIAN_CHARSET = 204;
constexpr uint8_t THAI_CHARSET = 222;
constexpr uint8_t EASTEUROPE_CHARSET = 238;
constexpr uint8_t OEM_CHARSET = 255;

// The code page of the program's strings, and the DOS code page.
uint32_t GetACP();
uint32_t GetOEMCP();
// Makes 437 or 850 the DOS code page (false, nothing changed, for any other).
bool SetOEMCP(uint32_t codePage);

// DOS text to ANSI text and back, byte for byte (source and destination may be
// the same buffer). The conversion is reversible, so that DOS text read and
// written again comes back unchanged: bytes below 128 stay as they are, a
// character both code pages hold keeps its meaning, and the DOS characters
// 1252 lacks (box drawing, Greek letters...) take, one each, the 1252 bytes left
// over (their best fit when that byte is free, else in the order of the codes).
void OemToCharBuff(const char* source, char* destination, size_t length);
void CharToOemBuff(const char* source, char* destination, size_t length);
// The pair of tables behind them for one DOS code page (437 or 850).
void GetOemAnsiTables(uint32_t oemCodePage, uint8_t (&oemToAnsi)[256], uint8_t (&ansiToOem)[256]);

// True for the code pages converted here: 1250-1258, 437, 850, Mac Roman,
// symbol, UTF-8 (and CP_ACP / CP_OEMCP).
bool IsValidCodePage(uint32_t codePage);

// Bytes to wide text. Unknown code pages convert as 1252.
std::u16string ToWide(std::string_view bytes, uint32_t codePage = CP_ACP);
// Wide text to bytes. defaultChar replaces characters without a byte (and
// without a best fit when bestFit is true); *usedDefault tells whether it did.
std::string FromWide(std::u16string_view text, uint32_t codePage = CP_ACP, bool* usedDefault = nullptr,
                     char defaultChar = '?', bool bestFit = true);

// One character of a single-byte code page.
char16_t ByteToWide(uint8_t byte, uint32_t codePage = CP_ACP);

// Between code pages through wide text.
std::string ConvertCodePage(std::string_view bytes, uint32_t fromCodePage, uint32_t toCodePage,
                            bool* usedDefault = nullptr);

// The boundary with the file system, widgets and the clipboard.
std::string Utf8FromWide(std::u16string_view text);
std::u16string WideFromUtf8(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);
std::string AnsiFromUtf8(std::string_view utf8, bool* usedDefault = nullptr);
// True when every character of the UTF-8 text has a byte in code page 1252.
bool Utf8FitsAnsi(std::string_view utf8);

// Language identifiers (primary language in the low 10 bits) to their ANSI code
// page, and code pages to character sets and back.
uint32_t CodePageFromLangId(uint16_t langId);
uint8_t CharsetFromCodePage(uint32_t codePage);
uint32_t CodePageFromCharset(uint8_t charset);
