#include "platform/runtime/SysUtils.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

const char* const kInvalidInteger = "'%s' n'est pas une valeur entière correcte";
const char* const kInvalidFloat = "'%s' n'est pas une valeur à virgule flottante correcte";
const char* const kInvalidFormat = "Format '%s' incorrect ou incompatible avec l'argument";
const char* const kArgumentMissing = "Aucun argument pour le format '%s'";

// Puts text in place of the one "%s" of a message.
std::string WithText(const char* message, std::string_view text)
{
    std::string m(message);
    size_t p = m.find("%s");
    if (p != std::string::npos)
        m.replace(p, 2, text);
    return m;
}

// A bad format: the message shows at most its first 31 characters.
[[noreturn]] void FormatError(const char* message, std::string_view fmt)
{
    throw EConvertError(WithText(message, fmt.substr(0, 31)));
}

// ---------------------------------------------------------------------------
// Case maps of code page 1252.

struct TCaseTables {
    std::array<char, 256> Upper{};
    std::array<char, 256> Lower{};
    constexpr TCaseTables()
    {
        for (int c = 0; c < 256; ++c) {
            Upper[c] = static_cast<char>(c);
            Lower[c] = static_cast<char>(c);
        }
        auto pair = [this](int upper, int lower) {
            Upper[lower] = static_cast<char>(upper);
            Lower[upper] = static_cast<char>(lower);
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7)  // the multiplication sign has no partner (nor has the division sign 0xF7)
                pair(c, c + 32);
        pair(0x8A, 0x9A);  // Š š
        pair(0x8C, 0x9C);  // Œ œ
        pair(0x8E, 0x9E);  // Ž ž
        pair(0x9F, 0xFF);  // Ÿ ÿ
    }
};
constexpr TCaseTables kCase;

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// ---------------------------------------------------------------------------
// Collation by the rules of French, one collator pair per thread (collators are
// not shared between threads).

struct TCollators {
    UCollator* Tertiary = nullptr;   // accents and case matter
    UCollator* Secondary = nullptr;  // accents matter, case does not
    TCollators()
    {
        UErrorCode err = U_ZERO_ERROR;
        Tertiary = ucol_open("fr", &err);
        if (U_FAILURE(err))
            Tertiary = nullptr;
        err = U_ZERO_ERROR;
        Secondary = ucol_open("fr", &err);
        if (U_FAILURE(err))
            Secondary = nullptr;
        if (Secondary)
            ucol_setStrength(Secondary, UCOL_SECONDARY);
    }
    ~TCollators()
    {
        if (Tertiary)
            ucol_close(Tertiary);
        if (Secondary)
            ucol_close(Secondary);
    }
    TCollators(const TCollators&) = delete;
    TCollators& operator=(const TCollators&) = delete;
};

TCollators& Collators()
{
    thread_local TCollators collators;
    return collators;
}

const std::array<char16_t, 256>& WideTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = ByteToWide(static_cast<uint8_t>(b), 1252);
        return t;
    }();
    return table;
}

void Widen(std::string_view s, std::u16string& out)
{
    const auto& table = WideTable();
    out.resize(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        out[i] = table[static_cast<uint8_t>(s[i])];
}

int32_t Sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int32_t Collate(UCollator* collator, std::string_view a, std::string_view b)
{
    if (!collator)
        return 0;
    thread_local std::u16string wa, wb;
    Widen(a, wa);
    Widen(b, wb);
    UCollationResult r = ucol_strcoll(collator, reinterpret_cast<const UChar*>(wa.data()),
                                      static_cast<int32_t>(wa.size()), reinterpret_cast<const UChar*>(wb.data()),
                                      static_cast<int32_t>(wb.size()));
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Integers.

// Reads an integer as the original runtime does: leading spaces, a sign, then
// decimal digits or hexadecimal ones after "$", "x" or "0x". Hexadecimal values
// fill the whole width (so "$FFFFFFFF" is -1 in 32 bits).
bool ParseInteger(std::string_view s, int64_t& value, bool wide)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;
    uint64_t acc = 0;
    if (hex) {
        const uint64_t full = wide ? 0xF000000000000000ull : 0xF0000000ull;
        for (; i < n; ++i) {
            char c = s[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else
                return false;
            if (acc & full)
                return false;
            acc = (acc << 4) | static_cast<uint64_t>(d);
        }
        if (wide) {
            uint64_t v = negative ? 0 - acc : acc;
            value = static_cast<int64_t>(v);
        } else {
            uint32_t v = static_cast<uint32_t>(acc);
            if (negative)
                v = 0u - v;
            value = static_cast<int32_t>(v);
        }
        return true;
    }
    const uint64_t limit = wide ? static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0)
                                : static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    for (; i < n; ++i) {
        char c = s[i];
        if (c < '0' || c > '9')
            return false;
        uint64_t d = static_cast<uint64_t>(c - '0');
        if (acc > (limit - d) / 10)
            return false;
        acc = acc * 10 + d;
    }
    value = negative ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
    return true;
}

std::string HexDigits(uint64_t v, int32_t minDigits)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    std::string s(buf, r.ptr);
    for (char& c : s)
        c = AsciiUpper(c);
    if (minDigits > static_cast<int32_t>(s.size()))
        s.insert(0, static_cast<size_t>(minDigits) - s.size(), '0');
    return s;
}

// ---------------------------------------------------------------------------
// Floating point: a value becomes decimal digits 0.d1d2d3... x 10^Exponent,
// rounded half away from zero, as the original formatter rounds.

constexpr int kMaxDigits = 17;  // what a double holds

struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    std::string Digits;  // no trailing zeros; empty for zero
};

TFloatRec FloatToDecimal(double value, int precision, int decimals)
{
    TFloatRec rec;
    if (value == 0)
        return rec;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, kMaxDigits - 1);
    std::string_view text(buf, static_cast<size_t>(r.ptr - buf));
    size_t e = text.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    int exp10 = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exp10);
    rec.Exponent = exp10 + 1;
    rec.Negative = value < 0;

    precision = std::clamp(precision, 1, kMaxDigits);
    long long keep = std::min<long long>(precision, static_cast<long long>(rec.Exponent) + decimals);
    if (keep < 0) {
        return {};
    }
    if (keep == 0) {
        if (digits[0] >= '5') {
            rec.Digits = "1";
            rec.Exponent += 1;
            return rec;
        }
        return {};
    }
    size_t n = static_cast<size_t>(keep);
    if (n < digits.size()) {
        bool up = digits[n] >= '5';
        digits.resize(n);
        if (up) {
            size_t i = n;
            while (i > 0) {
                --i;
                if (digits[i] == '9') {
                    digits[i] = '0';
                    if (i == 0) {
                        digits.insert(digits.begin(), '1');
                        digits.pop_back();
                        rec.Exponent += 1;
                    }
                } else {
                    ++digits[i];
                    break;
                }
            }
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return {};
    rec.Digits = std::move(digits);
    return rec;
}

char DigitAt(const TFloatRec& rec, int index)
{
    return (index >= 0 && index < static_cast<int>(rec.Digits.size())) ? rec.Digits[static_cast<size_t>(index)] : '0';
}

std::string ExponentText(int exponent, bool alwaysSign, int minDigits)
{
    std::string s;
    s += 'E';
    if (exponent < 0)
        s += '-';
    else if (alwaysSign)
        s += '+';
    std::string d = std::to_string(exponent < 0 ? -exponent : exponent);
    minDigits = std::clamp(minDigits, 0, 4);
    if (static_cast<int>(d.size()) < minDigits)
        d.insert(0, static_cast<size_t>(minDigits) - d.size(), '0');
    return s + d;
}

// Integer part and decimals of a rounded value, with optional thousand grouping.
std::string FixedDigits(const TFloatRec& rec, int decimals, char decimalSeparator, char thousandSeparator)
{
    std::string intPart;
    if (rec.Exponent <= 0 || rec.Digits.empty())
        intPart = "0";
    else
        for (int i = 0; i < rec.Exponent; ++i)
            intPart += DigitAt(rec, i);
    if (thousandSeparator != '\0' && intPart.size() > 3) {
        std::string grouped;
        size_t lead = intPart.size() % 3;
        if (lead == 0)
            lead = 3;
        grouped.append(intPart, 0, lead);
        for (size_t i = lead; i < intPart.size(); i += 3) {
            grouped += thousandSeparator;
            grouped.append(intPart, i, 3);
        }
        intPart = std::move(grouped);
    }
    if (decimals > 0) {
        intPart += decimalSeparator;
        const int start = rec.Digits.empty() ? 0 : rec.Exponent;
        for (int i = 0; i < decimals; ++i)
            intPart += rec.Digits.empty() ? '0' : DigitAt(rec, start + i);
    }
    return intPart;
}

std::string FormatGeneral(double value, int precision, int expDigits, const TFormatSettings& fs)
{
    precision = std::clamp(precision, 1, 18);
    TFloatRec rec = FloatToDecimal(value, precision, 9999);
    if (rec.Digits.empty())
        return "0";
    std::string s = rec.Negative ? "-" : "";
    const int n = static_cast<int>(rec.Digits.size());
    if (rec.Exponent > precision || rec.Exponent < -3) {
        s += rec.Digits[0];
        if (n > 1) {
            s += fs.DecimalSeparator;
            s.append(rec.Digits, 1, std::string::npos);
        }
        return s + ExponentText(rec.Exponent - 1, false, expDigits);
    }
    if (rec.Exponent <= 0) {
        s += '0';
        s += fs.DecimalSeparator;
        s.append(static_cast<size_t>(-rec.Exponent), '0');
        return s + rec.Digits;
    }
    for (int i = 0; i < rec.Exponent; ++i)
        s += DigitAt(rec, i);
    if (n > rec.Exponent) {
        s += fs.DecimalSeparator;
        s.append(rec.Digits, static_cast<size_t>(rec.Exponent), std::string::npos);
    }
    return s;
}

std::string FormatExponent(double value, int precision, int expDigits, const TFormatSettings& fs)
{
    precision = std::clamp(precision, 1, 18);
    TFloatRec rec = FloatToDecimal(value, precision, 9999);
    std::string s = rec.Negative ? "-" : "";
    s += DigitAt(rec, 0);
    if (precision > 1) {
        s += fs.DecimalSeparator;
        for (int i = 1; i < precision; ++i)
            s += DigitAt(rec, i);
    }
    return s + ExponentText(rec.Digits.empty() ? 0 : rec.Exponent - 1, true, expDigits);
}

std::string CurrencyText(bool negative, const std::string& number, const TFormatSettings& fs)
{
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 0: return c + number;
        case 1: return number + c;
        case 2: return c + " " + number;
        default: return number + " " + c;
        }
    }
    switch (fs.NegCurrFormat) {
    case 0: return "(" + c + number + ")";
    case 1: return "-" + c + number;
    case 2: return c + "-" + number;
    case 3: return c + number + "-";
    case 4: return "(" + number + c + ")";
    case 5: return "-" + number + c;
    case 6: return number + "-" + c;
    case 7: return number + c + "-";
    case 8: return "-" + number + " " + c;
    case 9: return "-" + c + " " + number;
    case 10: return number + " " + c + "-";
    case 11: return c + " " + number + "-";
    case 12: return c + " -" + number;
    case 13: return number + "- " + c;
    case 14: return "(" + c + " " + number + ")";
    default: return "(" + number + " " + c + ")";
    }
}

// Floating-point text in the C convention ('.' decimal point, 'e' exponent),
// converted whatever the process locale says.
bool ParseCFloat(const std::string& text, bool mantissaIsZero, int64_t decimalExponent, double& value)
{
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large is refused.
        if (mantissaIsZero || decimalExponent < 0) {
            value = 0;
            return true;
        }
        return false;
    }
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        return false;
    value = v;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

std::string Format(std::string_view fmt, std::span<const TVarRec> args, const TFormatSettings& fs)
{
    std::string out;
    size_t argIndex = 0;
    size_t i = 0;
    const size_t n = fmt.size();

    auto nextArg = [&]() -> const TVarRec& {
        if (argIndex >= args.size())
            FormatError(kArgumentMissing, fmt);
        return args[argIndex++];
    };
    auto isInteger = [](const TVarRec& a) {
        return a.Kind() == TVarRec::TKind::vtInteger || a.Kind() == TVarRec::TKind::vtInt64;
    };
    // A number of the specifier: digits, or "*" for the next integer argument.
    auto readNumber = [&](int32_t& value) -> bool {
        if (i < n && fmt[i] == '*') {
            ++i;
            const TVarRec& a = nextArg();
            if (!isInteger(a))
                FormatError(kInvalidFormat, fmt);
            int64_t v = a.AsInteger();
            value = static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                             std::numeric_limits<int32_t>::max()));
            return true;
        }
        if (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
            int64_t v = 0;
            while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
                v = v * 10 + (fmt[i] - '0');
                if (v > std::numeric_limits<int32_t>::max())
                    FormatError(kInvalidFormat, fmt);
                ++i;
            }
            value = static_cast<int32_t>(v);
            return true;
        }
        return false;
    };

    while (i < n) {
        char c = fmt[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i >= n)
            FormatError(kInvalidFormat, fmt);
        if (fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool leftJustify = false;
        int32_t width = -1;
        int32_t precision = -1;
        int32_t number = 0;
        bool haveNumber = readNumber(number);
        if (haveNumber && i < n && fmt[i] == ':') {
            ++i;
            if (number < 0)
                FormatError(kInvalidFormat, fmt);
            argIndex = static_cast<size_t>(number);
            haveNumber = false;
        }
        if (!haveNumber) {
            if (i < n && fmt[i] == '-') {
                leftJustify = true;
                ++i;
            }
            if (readNumber(number))
                width = number;
        } else {
            width = number;
        }
        if (i < n && fmt[i] == '.') {
            ++i;
            precision = readNumber(number) ? number : 0;
        }
        if (i >= n)
            FormatError(kInvalidFormat, fmt);
        const char type = AsciiUpper(fmt[i++]);

        std::string text;
        switch (type) {
        case 'D':
        case 'U':
        case 'X': {
            const TVarRec& a = nextArg();
            if (!isInteger(a))
                FormatError(kInvalidFormat, fmt);
            const bool is64 = a.Kind() == TVarRec::TKind::vtInt64;
            const int64_t v = a.AsInteger();
            std::string digits;
            bool negative = false;
            if (type == 'X') {
                digits = HexDigits(is64 ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v), 0);
            } else if (type == 'U') {
                digits = std::to_string(is64 ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v));
            } else {
                negative = v < 0;
                digits = std::to_string(negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
            }
            if (precision > static_cast<int32_t>(digits.size()))
                digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
            text = negative ? "-" + digits : digits;
            break;
        }
        case 'E':
        case 'F':
        case 'G':
        case 'N':
        case 'M': {
            const TVarRec& a = nextArg();
            if (a.Kind() != TVarRec::TKind::vtExtended)
                FormatError(kInvalidFormat, fmt);
            const double v = a.AsFloat();
            switch (type) {
            case 'E': text = FloatToStrF(v, TFloatFormat::ffExponent, precision < 0 ? 15 : precision, 3, fs); break;
            case 'F': text = FloatToStrF(v, TFloatFormat::ffFixed, 18, precision < 0 ? 2 : precision, fs); break;
            case 'G': text = FloatToStrF(v, TFloatFormat::ffGeneral, precision < 0 ? 15 : precision, 3, fs); break;
            case 'N': text = FloatToStrF(v, TFloatFormat::ffNumber, 18, precision < 0 ? 2 : precision, fs); break;
            default:
                text = FloatToStrF(v, TFloatFormat::ffCurrency, 18, precision < 0 ? fs.CurrencyDecimals : precision,
                                   fs);
                break;
            }
            break;
        }
        case 'P': {
            const TVarRec& a = nextArg();
            if (a.Kind() != TVarRec::TKind::vtPointer)
                FormatError(kInvalidFormat, fmt);
            text = HexDigits(reinterpret_cast<uintptr_t>(a.AsPointer()), static_cast<int32_t>(sizeof(void*) * 2));
            break;
        }
        case 'S': {
            const TVarRec& a = nextArg();
            if (a.Kind() == TVarRec::TKind::vtString)
                text = a.AsString();
            else if (a.Kind() == TVarRec::TKind::vtChar)
                text = std::string(1, static_cast<char>(a.AsInteger()));
            else
                FormatError(kInvalidFormat, fmt);
            if (precision >= 0 && static_cast<size_t>(precision) < text.size())
                text.resize(static_cast<size_t>(precision));
            break;
        }
        case 'C': {
            const TVarRec& a = nextArg();
            if (a.Kind() != TVarRec::TKind::vtChar && !isInteger(a))
                FormatError(kInvalidFormat, fmt);
            text = std::string(1, static_cast<char>(a.AsInteger()));
            break;
        }
        default:
            FormatError(kInvalidFormat, fmt);
        }
        if (width > static_cast<int32_t>(text.size())) {
            const size_t pad = static_cast<size_t>(width) - text.size();
            if (leftJustify)
                text.append(pad, ' ');
            else
                text.insert(0, pad, ' ');
        }
        out += text;
    }
    return out;
}

// ---------------------------------------------------------------------------

std::string IntToStr(int32_t value)
{
    return std::to_string(value);
}

std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string IntToHex(int32_t value, int32_t digits)
{
    return HexDigits(static_cast<uint32_t>(value), digits);
}

std::string IntToHex(int64_t value, int32_t digits)
{
    return HexDigits(static_cast<uint64_t>(value), digits);
}

bool TryStrToInt(std::string_view s, int32_t& value)
{
    int64_t v = 0;
    if (!ParseInteger(s, v, false))
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool TryStrToInt64(std::string_view s, int64_t& value)
{
    return ParseInteger(s, value, true);
}

int32_t StrToInt(std::string_view s)
{
    int32_t v = 0;
    if (!TryStrToInt(s, v))
        throw EConvertError(WithText(kInvalidInteger, s));
    return v;
}

int64_t StrToInt64(std::string_view s)
{
    int64_t v = 0;
    if (!TryStrToInt64(s, v))
        throw EConvertError(WithText(kInvalidInteger, s));
    return v;
}

int32_t StrToIntDef(std::string_view s, int32_t defaultValue)
{
    int32_t v = 0;
    return TryStrToInt(s, v) ? v : defaultValue;
}

int64_t StrToInt64Def(std::string_view s, int64_t defaultValue)
{
    int64_t v = 0;
    return TryStrToInt64(s, v) ? v : defaultValue;
}

// ---------------------------------------------------------------------------

std::string FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits,
                        const TFormatSettings& fs)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    switch (format) {
    case TFloatFormat::ffGeneral:
        return FormatGeneral(value, precision, digits, fs);
    case TFloatFormat::ffExponent:
        return FormatExponent(value, precision, digits, fs);
    default:
        break;
    }
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    TFloatRec rec = FloatToDecimal(value, precision, digits);
    if (rec.Exponent > precision)  // more integer digits than the precision: scientific
        return FormatGeneral(value, precision, 0, fs);
    const char thousands = format == TFloatFormat::ffFixed ? '\0' : fs.ThousandSeparator;
    std::string number = FixedDigits(rec, digits, fs.DecimalSeparator, thousands);
    if (format == TFloatFormat::ffCurrency)
        return CurrencyText(rec.Negative, number, fs);
    return rec.Negative ? "-" + number : number;
}

std::string FloatToStr(double value, const TFormatSettings& settings)
{
    return FloatToStrF(value, TFloatFormat::ffGeneral, 15, 0, settings);
}

bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& fs)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    std::string c;
    if (i < n && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-')
            c += '-';
        ++i;
    }
    bool anyDigit = false;
    bool nonZero = false;
    int64_t pointShift = 0;  // digits before the decimal point, for the underflow test
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        anyDigit = true;
        nonZero |= s[i] != '0';
        if (nonZero)
            ++pointShift;
        c += s[i++];
    }
    if (i < n && s[i] == fs.DecimalSeparator) {
        ++i;
        c += '.';
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            anyDigit = true;
            if (!nonZero && s[i] == '0')
                --pointShift;
            nonZero |= s[i] != '0';
            c += s[i++];
        }
    }
    if (!anyDigit)
        return false;
    int64_t exponent = 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        c += 'e';
        bool expNegative = false;
        if (i < n && (s[i] == '-' || s[i] == '+')) {
            expNegative = s[i] == '-';
            c += s[i++];
        }
        bool expDigit = false;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            expDigit = true;
            if (exponent < 100000)
                exponent = exponent * 10 + (s[i] - '0');
            c += s[i++];
        }
        if (!expDigit)
            return false;
        if (expNegative)
            exponent = -exponent;
    }
    while (i < n && s[i] == ' ')
        ++i;
    if (i != n)
        return false;
    return ParseCFloat(c, !nonZero, exponent + pointShift, value);
}

double StrToFloat(std::string_view s, const TFormatSettings& settings)
{
    double v = 0;
    if (!TryStrToFloat(s, v, settings))
        throw EConvertError(WithText(kInvalidFloat, s));
    return v;
}

double StrToFloatDef(std::string_view s, double defaultValue, const TFormatSettings& settings)
{
    double v = 0;
    return TryStrToFloat(s, v, settings) ? v : defaultValue;
}

// ---------------------------------------------------------------------------

std::string Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

std::string TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && static_cast<uint8_t>(s[i]) <= ' ')
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && static_cast<uint8_t>(s[n - 1]) <= ' ')
        --n;
    return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AsciiUpper(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

char AnsiUpperChar(char c)
{
    return kCase.Upper[static_cast<uint8_t>(c)];
}

char AnsiLowerChar(char c)
{
    return kCase.Lower[static_cast<uint8_t>(c)];
}

std::string AnsiUpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AnsiUpperChar(c);
    return r;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AnsiLowerChar(c);
    return r;
}

int32_t CompareStr(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]);
    return static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
}

int32_t CompareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char ca = AsciiUpper(a[i]);
        char cb = AsciiUpper(b[i]);
        if (ca != cb)
            return static_cast<uint8_t>(ca) - static_cast<uint8_t>(cb);
    }
    return static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

namespace {
// Byte-wise comparison of the upper-case forms: -1, 0 or 1.
int32_t CompareUpper(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint8_t ca = static_cast<uint8_t>(AnsiUpperChar(a[i]));
        uint8_t cb = static_cast<uint8_t>(AnsiUpperChar(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

int32_t AnsiCompareStr(std::string_view a, std::string_view b)
{
    if (a == b)
        return 0;
    int32_t r = Collate(Collators().Tertiary, a, b);
    // The collator holds some characters for equal (controls, for instance);
    // the bytes then decide, so that only identical texts compare equal.
    return r != 0 ? r : Sign(CompareStr(a, b));
}

int32_t AnsiCompareText(std::string_view a, std::string_view b)
{
    int32_t upper = CompareUpper(a, b);
    if (upper == 0)
        return 0;
    int32_t r = Collate(Collators().Secondary, a, b);
    return r != 0 ? r : upper;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    return AnsiCompareText(a, b) == 0;
}

bool AnsiSameStr(std::string_view a, std::string_view b)
{
    return a == b;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          uint8_t flags)
{
    if (oldPattern.empty())
        return std::string(s);
    std::string searchIn;
    std::string pattern;
    std::string_view hay = s;
    std::string_view needle = oldPattern;
    if (flags & rfIgnoreCase) {
        searchIn = AnsiUpperCase(s);
        pattern = AnsiUpperCase(oldPattern);
        hay = searchIn;
        needle = pattern;
    }
    std::string out;
    size_t from = 0;
    while (true) {
        size_t p = hay.find(needle, from);
        if (p == std::string_view::npos)
            break;
        out.append(s, from, p - from);
        out.append(newPattern);
        from = p + needle.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    out.append(s, from, std::string_view::npos);
    return out;
}

int32_t Pos(std::string_view sub, std::string_view s)
{
    if (sub.empty())
        return 0;
    size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : static_cast<int32_t>(p) + 1;
}

std::string Copy(std::string_view s, int32_t index, int32_t count)
{
    int64_t start = index < 1 ? 0 : static_cast<int64_t>(index) - 1;
    if (start >= static_cast<int64_t>(s.size()) || count <= 0)
        return {};
    int64_t len = std::min<int64_t>(count, static_cast<int64_t>(s.size()) - start);
    return std::string(s.substr(static_cast<size_t>(start), static_cast<size_t>(len)));
}

std::string QuotedStr(std::string_view s)
{
    return AnsiQuotedStr(s, '\'');
}

std::string AnsiQuotedStr(std::string_view s, char quote)
{
    std::string r;
    r.reserve(s.size() + 2);
    r += quote;
    for (char c : s) {
        r += c;
        if (c == quote)
            r += quote;
    }
    r += quote;
    return r;
}

std::string AnsiExtractQuotedStr(std::string_view s, char quote, size_t* consumed)
{
    if (consumed)
        *consumed = 0;
    if (s.empty() || s[0] != quote)
        return {};
    std::string r;
    size_t i = 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r += quote;
                i += 2;
                continue;
            }
            ++i;  // the closing quote
            break;
        }
        r += s[i++];
    }
    if (consumed)
        *consumed = i;
    return r;
}

std::string AnsiDequotedStr(std::string_view s, char quote)
{
    size_t consumed = 0;
    std::string r = AnsiExtractQuotedStr(s, quote, &consumed);
    // Text that is not quoted, or whose quotes do not close at its end, stands
    // as it is.
    if ((r.empty() || consumed == s.size()) && !s.empty() && (s.front() != quote || s.back() != quote))
        return std::string(s);
    return r;
}

std::string BoolToStr(bool value, bool useBoolStrs)
{
    if (useBoolStrs)
        return value ? "True" : "False";
    return value ? "-1" : "0";
}
