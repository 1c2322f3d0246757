#include "dialogs/UnitEdits.h"

#include "platform/runtime/SysUtils.h"
#include "foundation/managers/MeasurementsManager.h"
#include "shell/SmallControls.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr uint8_t kPointHundredths = 255;  // the unit of the point edits

// Twips per unit as a fraction.
void UnitRatio(uint8_t unit, int64_t& num, int64_t& den)
{
    switch (unit) {
    case muCentimeter: num = 144000; den = 254; break;
    case muInch: num = 1440; den = 1; break;
    case muPoint: num = 20; den = 1; break;
    case muPica: num = 240; den = 1; break;
    default: num = 14400; den = 254; break;
    }
}

int64_t DivRound(int64_t a, int64_t b)
{
    const int64_t q = (std::llabs(a) * 2 + b) / (2 * b);
    return a < 0 ? -q : q;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The unit a typed word names; 255 when none.
uint8_t UnitOfWord(const std::string& word)
{
    const std::string w = Lower(word);
    if (w == "cm")
        return muCentimeter;
    if (w == "mm")
        return muMillimeter;
    if (w == "pt" || w == "point" || w == "points")
        return muPoint;
    if (w == "pi" || w == "pica" || w == "picas")
        return muPica;
    if (w == "\"" || w == "po" || w == "pouce" || w == "pouces" || w == "in")
        return muInch;
    return 255;
}

bool TypedUnit(const std::string& text, uint8_t unit, int32_t& hundredths)
{
    int32_t twips = 0;
    bool hasUnit = false;
    if (!ParseLengthText(text, muPoint, twips, &hasUnit) || !hasUnit)
        return false;
    hundredths = unit == kPointHundredths ? TwipsToPointHundredths(twips) : TwipsToUnits(unit, twips);
    return true;
}

void SetRangeAndParser(TValidationEdit& edit, uint8_t unit)
{
    edit.SetNrOfDigitsAfterSeparator(2);
    edit.OnTextToValue = [unit](const std::string& text, int32_t& value) { return TypedUnit(text, unit, value); };
}

}  // namespace

uint8_t DialogMeasurementUnit()
{
    TMeasurementsManager* manager = GetMeasurementsManager();
    return manager ? manager->CurrentUnit() : static_cast<uint8_t>(muCentimeter);
}

bool ParseLengthText(const std::string& source, uint8_t defaultUnit, int32_t& twips, bool* hasUnit)
{
    std::string text = Trim(source);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t mantissa = 0, scale = 1;
    bool digits = false, fraction = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (mantissa > 100000000000LL)
                return false;
            mantissa = mantissa * 10 + (c - '0');
            if (fraction)
                scale *= 10;
            digits = true;
        } else if ((c == ',' || c == '.') && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    if (!digits || scale > 1000000)
        return false;
    const std::string word = Trim(text.substr(i));
    uint8_t unit = defaultUnit;
    if (!word.empty()) {
        unit = UnitOfWord(word);
        if (unit == 255)
            return false;
    }
    if (hasUnit)
        *hasUnit = !word.empty();
    int64_t num = 0, den = 1;
    UnitRatio(unit, num, den);
    const int64_t value = DivRound(mantissa * num, den * scale);
    if (value > 0x7FFFFFFF)
        return false;
    twips = static_cast<int32_t>(negative ? -value : value);
    return true;
}

int32_t PointHundredthsToTwips(int32_t hundredths)
{
    return static_cast<int32_t>(DivRound(hundredths, 5));
}

void SetupLengthEdit(TValidationEdit& edit, uint8_t unit, int32_t minTwips, int32_t maxTwips)
{
    SetRangeAndParser(edit, unit);
    edit.SetTailString(UnitSuffix(unit));
    edit.Min = TwipsToUnits(unit, minTwips);
    edit.Max = TwipsToUnits(unit, maxTwips);
}

void SetupPointEdit(TValidationEdit& edit, int32_t minTwips, int32_t maxTwips)
{
    SetRangeAndParser(edit, kPointHundredths);
    edit.SetTailString(" pt");
    edit.Min = TwipsToPointHundredths(minTwips);
    edit.Max = TwipsToPointHundredths(maxTwips);
}

int32_t LengthEditTwips(const TValidationEdit& edit, uint8_t unit)
{
    int32_t twips = 0;
    bool hasUnit = false;
    const std::string text = Trim(edit.Text());
    const std::string tail = Trim(edit.TailString());
    std::string number = text;
    if (!tail.empty() && number.size() >= tail.size() && number.compare(number.size() - tail.size(), tail.size(), tail) == 0)
        number.erase(number.size() - tail.size());
    if (ParseLengthText(number, unit, twips, &hasUnit))
        return twips;
    return UnitsToTwips(unit, edit.Value());
}

int32_t PointEditTwips(const TValidationEdit& edit)
{
    int32_t twips = 0;
    bool hasUnit = false;
    std::string number = Trim(edit.Text());
    if (number.size() >= 2 && Lower(number.substr(number.size() - 2)) == "pt")
        number.erase(number.size() - 2);
    if (ParseLengthText(number, muPoint, twips, &hasUnit) && hasUnit)
        return twips;
    return PointHundredthsToTwips(edit.Value());
}
