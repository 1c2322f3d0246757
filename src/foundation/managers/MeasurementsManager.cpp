#include "foundation/managers/MeasurementsManager.h"

#include "foundation/managers/SharedManagersHost.h"
#include "platform/runtime/SysUtils.h"

#include <cstdlib>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<TMeasurementsManager> g_Manager;

// value × numerator / denominator in 64 bits, rounded to the nearest with
// halves away from zero; -1 on a zero denominator or a result beyond 32 bits,
// as the system's routine answers.
int32_t MulDiv(int64_t value, int64_t numerator, int64_t denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = value * numerator;
    if (denominator < 0) {
        product = -product;
        denominator = -denominator;
    }
    const int64_t half = denominator / 2;
    const int64_t result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(result);
}

int32_t Tenfold(int32_t value)
{
    const int64_t result = int64_t{value} * 10;
    if (result > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (result < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(result);
}

// Hundredths as a number with at most two decimals, trailing zeros dropped.
std::string ShortestHundredths(int32_t hundredths)
{
    const bool negative = hundredths < 0;
    const int64_t magnitude = std::llabs(int64_t{hundredths});
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 100);
    const int64_t fraction = magnitude % 100;
    if (fraction != 0) {
        text += FormatSettings().DecimalSeparator;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

// Hundredths rounded to a whole number, halves to the even neighbour.
std::string RoundedHundredths(int32_t hundredths)
{
    const int64_t magnitude = std::llabs(int64_t{hundredths});
    int64_t whole = magnitude / 100;
    const int64_t rest = magnitude % 100;
    if (rest > 50 || (rest == 50 && whole % 2 != 0))
        ++whole;
    if (whole == 0)
        return "0";
    return (hundredths < 0 ? "-" : "") + std::to_string(whole);
}

}  // namespace

int32_t TwipsToUnits(uint8_t unit, int32_t twips)
{
    switch (unit) {
    case muCentimeter:
        return MulDiv(twips, 25400, 144000);
    case muInch:
        return MulDiv(twips, 100, 1440);
    case muPoint:
        return Tenfold(MulDiv(twips, 100, 200));
    case muPica:
        return MulDiv(twips, 600, 1440);
    default:
        return Tenfold(MulDiv(twips, 25400, 144000));
    }
}

int32_t UnitsToTwips(uint8_t unit, int32_t hundredths)
{
    switch (unit) {
    case muCentimeter:
        return MulDiv(hundredths, 1440, 254);
    case muInch:
        return MulDiv(hundredths, 1440, 100);
    case muPoint:
        return MulDiv(hundredths, 20, 100);
    case muPica:
        return MulDiv(hundredths, 1440, 600);
    default:
        return MulDiv(hundredths, 1440, 2540);
    }
}

std::string UnitSuffix(uint8_t unit)
{
    switch (unit) {
    case muCentimeter:
        return " cm";
    case muInch:
        return "\"";
    case muPoint:
        return " pt";
    case muPica:
        return " pi";
    default:
        return " mm";
    }
}

std::string FormatTwipsIn(uint8_t unit, int32_t twips)
{
    const int32_t hundredths = TwipsToUnits(unit, twips);
    const bool wholeUnits = unit != muCentimeter && unit != muInch && unit != muPica;
    return (wholeUnits ? RoundedHundredths(hundredths) : ShortestHundredths(hundredths)) + UnitSuffix(unit);
}

// --- TMeasurementsManager ---

uint8_t TMeasurementsManager::CurrentUnit() const
{
    return SharedManagersHost().MeasurementUnit();
}

int32_t TMeasurementsManager::TwipsToUnits(int32_t twips) const
{
    return ::TwipsToUnits(CurrentUnit(), twips);
}

int32_t TMeasurementsManager::UnitsToTwips(int32_t hundredths) const
{
    return ::UnitsToTwips(CurrentUnit(), hundredths);
}

std::string TMeasurementsManager::GetUnitSuffix() const
{
    return UnitSuffix(CurrentUnit());
}

std::string TMeasurementsManager::FormatTwips(int32_t twips) const
{
    return FormatTwipsIn(CurrentUnit(), twips);
}

TMeasurementsManager* GetMeasurementsManager()
{
    return g_Manager.get();
}

void CreateMeasurementsManager()
{
    g_Manager = std::make_unique<TMeasurementsManager>();
}

void FreeMeasurementsManager()
{
    g_Manager.reset();
}
