#pragma once
// Routines on the program's 8-bit strings (code page 1252), numbers and small
// arrays: message-text line breaks, numbering in letters and roman numerals,
// radix conversions, byte sizes in French units, locale comparisons and menu
// captions.
#include "platform/runtime/DateTime.h"

#include <cstdint>
#include <string>

// Replaces every occurrence of the searched text, searching again from the
// start after each replacement (so that a replacement that completes a new
// occurrence with the text before it is replaced too). When the replacement
// itself holds the searched text, each replacement is made once, left to right,
// so that the routine ends. An empty searched text changes nothing.
std::string ReplaceAllText(const std::string& text, const std::string& searched, const std::string& replacement);
// Message texts are stored with "||" for a line break.
std::string BarsToLineBreaks(const std::string& text);
std::string LineBreaksToBars(const std::string& text);

// Compares the zero-terminated text with n key bytes as signed 8-bit values:
// 0 only when the n bytes match and the text ends there; -1 when the text's
// first differing byte is smaller (or the text ends first); 1 otherwise, also
// when the text goes on after n equal bytes. Never reads past the text's end.
int CompareBytes(const char* text, const char* key, int32_t n);
// Index of the first occurrence of the byte; -1 when absent or length is 0.
int32_t IndexOfByte(const void* buffer, int32_t length, uint8_t byte);
// Number of leading bytes of code 32 or above.
int32_t CountPrintableChars(const void* buffer, int32_t length);

// The user's locale order with string sort (punctuation and symbols first).
int CompareStrLocale(const std::string& a, const std::string& b);
int CompareTextLocale(const std::string& a, const std::string& b);

// "-" alone becomes "- " (no separator); otherwise every "&" is doubled.
std::string EscapeMenuCaption(const std::string& text);
// Removes the accelerator marks ("&&" leaves one "&"); a caption with a tab
// becomes "text (key name)".
std::string FormatCaptionWithHotKey(const std::string& caption);

// The number rounded to a whole one, with a blank between groups of three
// digits ("%.0n" with a blank as thousands separator).
std::string FormatThousands(double number);

// Parse binary, octal and hexadecimal text: an optional "-" or "+", blanks
// around the digits, digits of the radix (either case for hexadecimal), a
// magnitude up to 2147483647. Anything else raises EConvertError
// "Invalid integer constant".
int32_t BinStrToInt(const std::string& text);
int32_t OctStrToInt(const std::string& text);
int32_t HexStrToInt(const std::string& text);
// Digits of the magnitude with "-" before a negative value; 0 gives "0";
// hexadecimal digits are upper-case.
std::string IntToBinStr(int32_t value);
std::string IntToOctStr(int32_t value);
std::string IntToHexStr(int32_t value);

// 1 "A", 26 "Z", 27 "AA", 28 "BB", 53 "AAA"; 0 or less gives "".
std::string IntToLetters(int32_t number);
// Upper-case roman numerals with the subtractive pairs; 0 or less gives "";
// 4000 gives "MMMM".
std::string IntToRoman(int32_t number);
// The value of roman numerals in either case (no check of their form: "IIII"
// is 4, "IC" 99); any other character, or a value beyond 2147483647, gives the
// default. An empty text gives 0.
int32_t RomanToInt(const std::string& text, int32_t defaultValue);

// "65 534 octets", "64 Ko", "2 Mo", "19,07 Mo" (the runtime's decimal separator).
std::string FormatByteSize(int64_t bytes);

// value × percent / 100 rounded to the nearest (halves away from zero),
// limited to the 32-bit range.
int32_t MulDivPercent(int32_t value, int32_t percent);

// value × the screen's pixels per inch / 96, formed in 64 bits and rounded to
// the nearest (halves away from zero): sizes given at 96 dots per inch.
int32_t ScaleByScreenDPI(int32_t value);
// The same at a given resolution.
int32_t ScaleByDPI(int32_t value, int32_t pixelsPerInch);

class TControl;
// Sets the control's hint to its text when the text, measured in the control's
// font, is wider than the control (so that a truncated text can be read in
// its hint); otherwise clears the hint.
void SetHintIfTextTruncated(TControl& control);

// True while the key is down, as of the message being handled.
bool IsKeyDown(uint32_t virtualKey);
// The keys and buttons held now (not as of a message), as shift flags:
// Shift 1, Alt 2, Ctrl 4, left button 8, right button 16. Alt is reported
// too, so that callers that act on "no modifier" or "Ctrl alone" do not
// take Alt combinations for those.
uint32_t GetAsyncShiftState();

// A number that orders dates but counts no days: year × 372 + month × 31 + day.
// (A year weighs twelve months of 31 days, so that the 31st of December comes
// before the 1st of January of the next year.)
int32_t DateToDayIndex(TDateTime date);

void FillDWords(int32_t* array, int32_t count, int32_t value);
// Every element becomes NotSet.
void FillUnset(int32_t* array, int32_t count);
// Copies element by element from the first upwards (so an overlapping move to a
// higher address repeats the first elements).
void MoveDWords(const int32_t* source, int32_t* destination, int32_t count);
