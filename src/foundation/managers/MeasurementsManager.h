#pragma once
// Measurement units. Lengths are stored in twips; dialogs, the ruler and style
// descriptions show them in hundredths of the unit the user chose in the
// options, with the unit's suffix. The free routines do the arithmetic for a
// given unit; TMeasurementsManager reads the options' unit each time.
#include <cstdint>
#include <string>

// The unit byte of the options; any other value behaves as millimetres.
enum TMeasurementUnit : uint8_t {
    muCentimeter = 0,
    muInch = 1,
    muPoint = 2,
    muPica = 3,
    muMillimeter = 4,
};

// Twips to hundredths of the unit and back, each a multiply-then-divide
// rounded to the nearest (halves away from zero). Points and millimetres are
// kept to a tenth of their unit.
int32_t TwipsToUnits(uint8_t unit, int32_t twips);
int32_t UnitsToTwips(uint8_t unit, int32_t hundredths);
// " cm", "\"", " pt", " pi", " mm".
std::string UnitSuffix(uint8_t unit);
// Centimetres, inches and picas to the hundredth in the shortest form with the
// decimal separator of the format settings ("2,54 cm", "1\"", "6 pi"); points
// and millimetres as whole numbers, halves to the even neighbour ("72 pt",
// "25 mm"); then the suffix.
std::string FormatTwipsIn(uint8_t unit, int32_t twips);

class TMeasurementsManager {
public:
    // The options' unit (SharedManagersHost).
    uint8_t CurrentUnit() const;
    int32_t TwipsToUnits(int32_t twips) const;
    int32_t UnitsToTwips(int32_t hundredths) const;
    std::string GetUnitSuffix() const;
    std::string FormatTwips(int32_t twips) const;
};

// The program-wide instance; null outside CreateMeasurementsManager and
// FreeMeasurementsManager.
TMeasurementsManager* GetMeasurementsManager();
void CreateMeasurementsManager();
void FreeMeasurementsManager();
