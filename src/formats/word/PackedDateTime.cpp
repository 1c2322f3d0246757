#include "formats/word/PackedDateTime.h"

#include <cmath>

TDateTime PackedDateTimeToDateTime(TPackedDateTime value)
{
    if (value == 0)
        return 0.0;
    const auto minutes = static_cast<uint16_t>(value & 0x3F);
    const auto hours = static_cast<uint16_t>((value >> 6) & 0x1F);
    const auto day = static_cast<uint16_t>((value >> 11) & 0x1F);
    const auto month = static_cast<uint16_t>((value >> 16) & 0x0F);
    const auto year = static_cast<uint16_t>(((value >> 20) & 0x1FF) + 1900);
    TDateTime date = 0;
    TDateTime time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hours, minutes, 0, 0, time))
        return Now();
    return date + time;
}

TPackedDateTime DateTimeToPackedDateTime(TDateTime value)
{
    if (value == 0.0)
        return 0;
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    return (static_cast<uint32_t>(year - 1900) & 0x1FF) << 20 | static_cast<uint32_t>(month) << 16 |
           static_cast<uint32_t>(day) << 11 | static_cast<uint32_t>(hour) << 6 | minute;
}

uint8_t PageNumberStyleToNfc(uint8_t style)
{
    switch (style) {
    case 0: return 0;
    case 1: return 4;
    case 2: return 3;
    case 3: return 2;
    case 4: return 1;
    default: return 4;
    }
}

uint8_t NfcToPageNumberStyle(int32_t nfc)
{
    switch (nfc) {
    case 0: return 0;
    case 1: return 4;
    case 2: return 3;
    case 3: return 2;
    case 4: return 1;
    default: return 1;
    }
}

const int32_t (&DefaultWordSection())[WordSectionScalarCount]
{
    static const int32_t defaults[WordSectionScalarCount] = {1,   12240, 15840, 1800, 1800, 1440, 1440,
                                                              720, 720,   0,     0,    0,    2,    1,
                                                              720, 0,     0,     1,    0};
    return defaults;
}
