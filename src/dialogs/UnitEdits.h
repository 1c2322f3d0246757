#pragma once
// The numeric edits of the format dialogs that hold lengths: in hundredths of
// the user's measurement unit (with its text as tail) or in hundredths of a
// point (tail " pt"). Either accepts a length typed in another unit ("2,5 cm",
// "15 mm", "12 pt", "1 pouce", "1,5\"", "2 pi"), with a comma or a point as
// decimal separator, and gives back the exact twips of what was typed.
#include <cstdint>
#include <string>

class TValidationEdit;

// The unit the user chose in the options; centimetres when no options are loaded.
uint8_t DialogMeasurementUnit();

// Parses "<number>[ <unit>]"; the number may use a comma or a point. Without
// a unit the length is in defaultUnit (TMeasurementUnit); false when the text
// is no length. hasUnit tells whether a unit was typed.
bool ParseLengthText(const std::string& text, uint8_t defaultUnit, int32_t& twips, bool* hasUnit = nullptr);

// Twips shown in hundredths of a point: exact, 1 twip = 0,05 pt.
inline int32_t TwipsToPointHundredths(int32_t twips)
{
    return twips * 5;
}
// Hundredths of a point to twips, halves away from zero.
int32_t PointHundredthsToTwips(int32_t hundredths);

// A length edit in hundredths of the unit, range in twips.
void SetupLengthEdit(TValidationEdit& edit, uint8_t unit, int32_t minTwips, int32_t maxTwips);
// A length edit in hundredths of a point, range in twips.
void SetupPointEdit(TValidationEdit& edit, int32_t minTwips, int32_t maxTwips);
// The twips of what the edit shows: exact when a unit was typed.
int32_t LengthEditTwips(const TValidationEdit& edit, uint8_t unit);
int32_t PointEditTwips(const TValidationEdit& edit);
