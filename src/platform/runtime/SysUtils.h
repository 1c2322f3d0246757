#pragma once
// Utility routines of the language runtime on 8-bit strings (code page 1252):
// number and text conversion, formatting, case maps and comparison. The
// file-name parts (ExtractFileName, ChangeFileExt...) live in FileNames.h, which
// comes along. Where the original routine counts from 1 (Pos, Copy), so do these.
#include "platform/runtime/FileNames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// Number, currency and date conventions. The defaults are those of a French
// desktop: decimal comma, no-break space (byte 0xA0) between thousands, euro
// after the amount, dates "dd/MM/yyyy", times "HH:mm:ss".
struct TFormatSettings {
    uint8_t CurrencyFormat = 3;   // 0 "€1", 1 "1€", 2 "€ 1", 3 "1 €"
    uint8_t NegCurrFormat = 8;    // 0..15 as the original platform numbers them; 8 is "-1 €"
    char ThousandSeparator = '\xA0';
    char DecimalSeparator = ',';
    uint8_t CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ';';
    std::string CurrencyString = "€";
    std::string ShortDateFormat = "dd/MM/yyyy";
    std::string LongDateFormat = "dddd d MMMM yyyy";
    std::string TimeAMString;
    std::string TimePMString;
    std::string ShortTimeFormat = "HH:mm";
    std::string LongTimeFormat = "HH:mm:ss";
    std::array<std::string, 12> ShortMonthNames = {"janv.", "févr.", "mars", "avr.", "mai", "juin",
                                                   "juil.", "août", "sept.", "oct.", "nov.", "déc."};
    std::array<std::string, 12> LongMonthNames = {"janvier", "février", "mars", "avril", "mai", "juin",
                                                  "juillet", "août", "septembre", "octobre", "novembre",
                                                  "décembre"};
    // Index 0 is Sunday.
    std::array<std::string, 7> ShortDayNames = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
    std::array<std::string, 7> LongDayNames = {"dimanche", "lundi", "mardi", "mercredi",
                                               "jeudi", "vendredi", "samedi"};
};

// The program-wide settings (the French defaults until someone changes them).
TFormatSettings& FormatSettings();

// One argument of Format. It only refers to strings it is given, so it lives no
// longer than the call it is built for.
class TVarRec {
public:
    enum class TKind { vtInteger, vtInt64, vtExtended, vtChar, vtString, vtPointer };

    template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                               !std::is_same_v<T, char>, int> = 0>
    TVarRec(T value)
    {
        if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) {
            FKind = TKind::vtInteger;
            FInt = value;
        } else if constexpr (std::is_unsigned_v<T> && sizeof(T) < 4) {
            FKind = TKind::vtInteger;
            FInt = value;
        } else {
            // Unsigned 32-bit values and all 64-bit values: carried as 64-bit so
            // that none changes sign.
            FKind = TKind::vtInt64;
            FInt = static_cast<int64_t>(value);
        }
    }
    TVarRec(bool) = delete;  // the original refuses Booleans: say so at compile time
    TVarRec(char c) : FKind(TKind::vtChar), FInt(static_cast<uint8_t>(c)) {}
    TVarRec(double value) : FKind(TKind::vtExtended), FFloat(value) {}
    TVarRec(float value) : FKind(TKind::vtExtended), FFloat(value) {}
    TVarRec(const char* s) : FKind(TKind::vtString), FText(s ? s : "") {}
    TVarRec(const std::string& s) : FKind(TKind::vtString), FText(s) {}
    TVarRec(std::string_view s) : FKind(TKind::vtString), FText(s) {}
    TVarRec(std::nullptr_t) : FKind(TKind::vtPointer), FPointer(nullptr) {}
    template <typename T, std::enable_if_t<!std::is_same_v<std::remove_cv_t<T>, char>, int> = 0>
    TVarRec(T* p) : FKind(TKind::vtPointer), FPointer(const_cast<void*>(static_cast<const void*>(p)))
    {
    }

    TKind Kind() const { return FKind; }
    int64_t AsInteger() const { return FInt; }
    double AsFloat() const { return FFloat; }
    std::string_view AsString() const { return FText; }
    const void* AsPointer() const { return FPointer; }

private:
    TKind FKind;
    int64_t FInt = 0;
    double FFloat = 0;
    std::string_view FText;
    const void* FPointer = nullptr;
};

// Format as the original: "%" [index ":"] ["-"] [width] ["." precision] type, with
// types d u x X e f g n m p s c and "%%"; "*" takes the width, precision or index
// from the arguments. A type that does not suit its argument raises EConvertError
// "Format '%s' incorrect ou incompatible avec l'argument", a missing argument
// EConvertError "Aucun argument pour le format '%s'".
std::string Format(std::string_view fmt, std::span<const TVarRec> args,
                   const TFormatSettings& settings = FormatSettings());
inline std::string Format(std::string_view fmt, std::initializer_list<TVarRec> args,
                          const TFormatSettings& settings = FormatSettings())
{
    return Format(fmt, std::span<const TVarRec>(args.begin(), args.size()), settings);
}

// Integers.
std::string IntToStr(int32_t value);
std::string IntToStr(int64_t value);
// Upper-case hexadecimal with at least digits digits; negative values in two's
// complement over 8 (32-bit) or 16 (64-bit) digits.
// Value of a hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char c);
std::string IntToHex(int32_t value, int32_t digits);
std::string IntToHex(int64_t value, int32_t digits);
// Decimal, or hexadecimal after "$", "0x" or "x"; leading blanks and a sign are
// allowed, nothing may follow the digits. EConvertError "'%s' n'est pas une
// valeur entière correcte" when the text is no 32-bit (64-bit) integer.
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t defaultValue);
int64_t StrToInt64Def(std::string_view s, int64_t defaultValue);
bool TryStrToInt(std::string_view s, int32_t& value);
bool TryStrToInt64(std::string_view s, int64_t& value);

// Floating point.
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
std::string FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits,
                        const TFormatSettings& settings = FormatSettings());
// General format with 15 significant digits.
std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings());
// Optional blanks, sign, digits with the decimal separator, optional exponent;
// EConvertError "'%s' n'est pas une valeur à virgule flottante correcte".
double StrToFloat(std::string_view s, const TFormatSettings& settings = FormatSettings());
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings = FormatSettings());
double StrToFloatDef(std::string_view s, double defaultValue, const TFormatSettings& settings = FormatSettings());

// Blanks: every character up to and including the space.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Every letter of code page 1252 with a case partner (œ/Œ, š/Š, ž/Ž, ÿ/Ÿ, à/À ...);
// ß and µ have none.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);

// Byte-wise (CompareStr) and ASCII-case-insensitive (CompareText) comparison:
// < 0, 0 or > 0.
int32_t CompareStr(std::string_view a, std::string_view b);
int32_t CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// By the rules of the French language (accents sort with their letter), with or
// without regard to case: -1, 0 or 1. Only texts that differ in nothing else than
// letter case (AnsiCompareText) or in nothing at all (AnsiCompareStr) are equal.
int32_t AnsiCompareStr(std::string_view a, std::string_view b);
int32_t AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);

enum TReplaceFlag : uint8_t { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          uint8_t flags);

// 1-based position of sub in s; 0 when absent or when sub is empty.
int32_t Pos(std::string_view sub, std::string_view s);
// count characters from the 1-based index; an index below 1 counts as 1, a range
// past the end is cut.
std::string Copy(std::string_view s, int32_t index, int32_t count);

// quote + s with every quote doubled + quote.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
// Reads a quoted text from the start of s (a doubled quote stands for one, the
// text ends at the closing quote or at the end of s); *consumed receives the
// number of bytes read. Empty when s does not start with the quote.
std::string AnsiExtractQuotedStr(std::string_view s, char quote, size_t* consumed = nullptr);
// The text of a quoted s (what follows its closing quote is dropped); s itself
// when it does not both start and end with the quote.
std::string AnsiDequotedStr(std::string_view s, char quote);

// "-1" / "0", or "True" / "False" with useBoolStrs.
std::string BoolToStr(bool value, bool useBoolStrs = false);
