#pragma once
// Conversions shared by the Word binary reader and writer: the packed
// date-time of Word documents (minutes, hours, day, month and year - 1900 in
// one 32-bit value), the page-number format codes and the default Word
// section properties.
#include "platform/runtime/DateTime.h"

#include <cstdint>

using TPackedDateTime = uint32_t;

// 0 gives 0.0; a value whose fields make no valid date and time gives the
// current date and time.
TDateTime PackedDateTimeToDateTime(TPackedDateTime value);
// 0.0 gives 0; seconds and milliseconds are dropped.
TPackedDateTime DateTimeToPackedDateTime(TDateTime value);

// Section page-number style (0 Arabic, 1 lower-case letters, 2 upper-case
// letters, 3 lower-case Roman, 4 upper-case Roman) against the Word
// page-number format code (0 Arabic, 1 upper-case Roman, 2 lower-case Roman,
// 3 upper-case letter, 4 lower-case letter).
uint8_t PageNumberStyleToNfc(uint8_t style);
uint8_t NfcToPageNumberStyle(int32_t nfc);

// Slots of the Word section record.
enum TWordSectionSlot : int {
    wsOrientation = 0,  // 1 portrait, 2 landscape
    wsPageWidth = 1,
    wsPageHeight = 2,
    wsLeftMargin = 3,
    wsRightMargin = 4,
    wsTopMargin = 5,
    wsBottomMargin = 6,
    wsHeaderDistance = 7,
    wsFooterDistance = 8,
    wsTitlePage = 9,
    wsHeaderFlags = 10,
    wsColumnCount = 11,
    wsBreakCode = 12,
    wsEvenlySpaced = 13,
    wsColumnSpacing = 14,
    wsLineBetween = 15,
    wsPageNumberFormat = 16,
    wsFirstPageNumber = 17,
    wsRestartNumbering = 18,
};
constexpr int WordSectionScalarCount = 19;

// The values a Word section takes where its properties give none.
const int32_t (&DefaultWordSection())[WordSectionScalarCount];
