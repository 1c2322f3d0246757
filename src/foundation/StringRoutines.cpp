#include "foundation/StringRoutines.h"

#include "foundation/NotSet.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Controls.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

[[noreturn]] void RaiseInvalidInteger()
{
    throw EConvertError("Invalid integer constant");
}

int32_t RadixStrToInt(const std::string& text, uint32_t radix)
{
    if (text.empty())
        RaiseInvalidInteger();
    bool negative = false;
    size_t first = 0;
    if (text[0] == '-') {
        negative = true;
        first = 1;
    } else if (text[0] == '+') {
        first = 1;
    }
    const std::string digits = Trim(std::string_view(text).substr(first));
    if (digits.empty())
        RaiseInvalidInteger();
    int64_t magnitude = 0;
    for (char ch : digits) {
        const uint8_t digit = HexDigitValueTable[static_cast<uint8_t>(ch)];
        if (digit >= radix)
            RaiseInvalidInteger();
        magnitude = magnitude * radix + digit;
        if (magnitude > kMaxInt)
            RaiseInvalidInteger();
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::string IntToRadixStr(int32_t value, uint32_t radix)
{
    static const char digits[] = "0123456789ABCDEF";
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::string out;
    do {
        out.push_back(digits[magnitude % radix]);
        magnitude /= radix;
    } while (magnitude);
    if (value < 0)
        out.push_back('-');
    std::reverse(out.begin(), out.end());
    return out;
}

// "%.Nn" with a blank between thousands and the runtime's decimal separator.
std::string FormatNumber(const char* format, double number)
{
    TFormatSettings settings = FormatSettings();
    settings.ThousandSeparator = ' ';
    return Format(format, {number}, settings);
}

int RomanValue(char ch)
{
    switch (ch) {
    case 'I': case 'i': return 1;
    case 'V': case 'v': return 5;
    case 'X': case 'x': return 10;
    case 'L': case 'l': return 50;
    case 'C': case 'c': return 100;
    case 'D': case 'd': return 500;
    case 'M': case 'm': return 1000;
    default: return 0;
    }
}

}  // namespace

std::string ReplaceAllText(const std::string& text, const std::string& searched, const std::string& replacement)
{
    if (searched.empty())
        return text;
    std::string result = text;
    const bool restart = replacement.find(searched) == std::string::npos;
    size_t from = 0;
    for (;;) {
        const size_t at = result.find(searched, from);
        if (at == std::string::npos)
            return result;
        result.replace(at, searched.size(), replacement);
        if (restart) {
            // Nothing before `at` matched; a new occurrence can only begin
            // where it overlaps the replacement.
            from = at >= searched.size() - 1 ? at - (searched.size() - 1) : 0;
        } else {
            from = at + replacement.size();
        }
    }
}

std::string BarsToLineBreaks(const std::string& text)
{
    return ReplaceAllText(text, "||", "\r\n");
}

std::string LineBreaksToBars(const std::string& text)
{
    return ReplaceAllText(text, "\r\n", "||");
}

int CompareBytes(const char* text, const char* key, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        const auto t = static_cast<int8_t>(text[i]);
        const auto k = static_cast<int8_t>(key[i]);
        if (t == 0)
            return k < 0 ? 1 : -1;  // the text ends before n bytes
        if (t != k)
            return t < k ? -1 : 1;
    }
    return text[n > 0 ? n : 0] == 0 ? 0 : 1;
}

int32_t IndexOfByte(const void* buffer, int32_t length, uint8_t byte)
{
    const auto* p = static_cast<const uint8_t*>(buffer);
    for (int32_t i = 0; i < length; ++i)
        if (p[i] == byte)
            return i;
    return -1;
}

int32_t CountPrintableChars(const void* buffer, int32_t length)
{
    const auto* p = static_cast<const uint8_t*>(buffer);
    int32_t i = 0;
    while (i < length && p[i] >= 32)
        ++i;
    return i;
}

int CompareStrLocale(const std::string& a, const std::string& b)
{
    return CompareStringLocale(LOCALE_USER_DEFAULT, false, a, b);
}

int CompareTextLocale(const std::string& a, const std::string& b)
{
    return CompareStringLocale(LOCALE_USER_DEFAULT, true, a, b);
}

std::string EscapeMenuCaption(const std::string& text)
{
    if (text == "-")
        return "- ";
    return ReplaceAllText(text, "&", "&&");
}

std::string FormatCaptionWithHotKey(const std::string& caption)
{
    std::string plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                plain.push_back('&');
                ++i;
            }
            continue;
        }
        plain.push_back(caption[i]);
    }
    const size_t tab = plain.find('\t');
    if (tab == std::string::npos)
        return plain;
    return plain.substr(0, tab) + " (" + plain.substr(tab + 1) + ")";
}

std::string FormatThousands(double number)
{
    return FormatNumber("%.0n", number);
}

int32_t BinStrToInt(const std::string& text)
{
    return RadixStrToInt(text, 2);
}

int32_t OctStrToInt(const std::string& text)
{
    return RadixStrToInt(text, 8);
}

int32_t HexStrToInt(const std::string& text)
{
    return RadixStrToInt(text, 16);
}

std::string IntToBinStr(int32_t value)
{
    return IntToRadixStr(value, 2);
}

std::string IntToOctStr(int32_t value)
{
    return IntToRadixStr(value, 8);
}

std::string IntToHexStr(int32_t value)
{
    return IntToRadixStr(value, 16);
}

std::string IntToLetters(int32_t number)
{
    if (number <= 0)
        return {};
    return std::string(static_cast<size_t>((number - 1) / 26 + 1), static_cast<char>('A' + (number - 1) % 26));
}

std::string IntToRoman(int32_t number)
{
    if (number <= 0)
        return {};
    static const char* const hundreds[] = {"", "C", "CC", "CCC", "CD", "D", "DC", "DCC", "DCCC", "CM"};
    static const char* const tens[] = {"", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"};
    static const char* const units[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
    std::string out(static_cast<size_t>(number / 1000), 'M');
    out += hundreds[number / 100 % 10];
    out += tens[number / 10 % 10];
    out += units[number % 10];
    return out;
}

int32_t RomanToInt(const std::string& text, int32_t defaultValue)
{
    int64_t sum = 0;
    size_t i = 0;
    while (i < text.size()) {
        const int value = RomanValue(text[i]);
        if (value == 0)
            return defaultValue;
        const int next = i + 1 < text.size() ? RomanValue(text[i + 1]) : 0;
        if (next > value) {
            sum += next - value;
            i += 2;
        } else {
            sum += value;
            ++i;
        }
        if (sum > kMaxInt)
            return defaultValue;
    }
    return static_cast<int32_t>(sum);
}

std::string FormatByteSize(int64_t bytes)
{
    constexpr int64_t kKilo = 1024;
    constexpr int64_t kMega = 1048576;
    if (bytes < 65535)
        return FormatNumber("%.0n", static_cast<double>(bytes)) + " octets";
    if (bytes < 16777215) {
        if (bytes % kMega == 0)
            return FormatNumber("%.0n", static_cast<double>(bytes / kMega)) + " Mo";
        return FormatNumber("%.0n", static_cast<double>((bytes + kKilo / 2) / kKilo)) + " Ko";
    }
    return FormatNumber("%.2n", static_cast<double>(bytes) / kMega) + " Mo";
}

int32_t MulDivPercent(int32_t value, int32_t percent)
{
    const int64_t product = static_cast<int64_t>(value) * percent;
    const int64_t result = (product + (product >= 0 ? 50 : -50)) / 100;
    return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(), kMaxInt));
}

int32_t ScaleByDPI(int32_t value, int32_t pixelsPerInch)
{
    const int64_t product = static_cast<int64_t>(value) * pixelsPerInch;
    const int64_t result = (product + (product >= 0 ? 48 : -48)) / 96;
    return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(), kMaxInt));
}

int32_t ScaleByScreenDPI(int32_t value)
{
    return ScaleByDPI(value, ScreenPixelsPerInch());
}

void SetHintIfTextTruncated(TControl& control)
{
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas& canvas = measure.Canvas();
    canvas.Font().Assign(control.Font());
    const std::string& text = control.Caption();
    control.SetHint(canvas.TextWidth(text) > control.Width() ? text : std::string());
}

bool IsKeyDown(uint32_t virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

uint32_t GetAsyncShiftState()
{
    uint32_t state = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0)
        state |= 1;
    if (GetAsyncKeyState(VK_MENU) < 0)
        state |= 2;
    if (GetAsyncKeyState(VK_CONTROL) < 0)
        state |= 4;
    if (GetAsyncKeyState(VK_LBUTTON) < 0)
        state |= 8;
    if (GetAsyncKeyState(VK_RBUTTON) < 0)
        state |= 16;
    return state;
}

int32_t DateToDayIndex(TDateTime date)
{
    uint16_t year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    return year * 372 + month * 31 + day;
}

void FillDWords(int32_t* array, int32_t count, int32_t value)
{
    for (int32_t i = 0; i < count; ++i)
        array[i] = value;
}

void FillUnset(int32_t* array, int32_t count)
{
    FillDWords(array, count, NotSet);
}

void MoveDWords(const int32_t* source, int32_t* destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        destination[i] = source[i];
}
