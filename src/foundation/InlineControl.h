#pragma once
// Inline records of paragraph text. Paragraph text is 8-bit: bytes of 32 and
// above are code page 1252 characters, and everything else is an 8-byte record:
//   byte 0     0 (a record starts here; 0 is never a character)
//   bytes 1-2  code, 16-bit little-endian (below 32, so byte 2 is 0)
//   bytes 3-6  argument, signed 32-bit little-endian
//   byte 7     1 (a record ends here, so that a backward scan finds records: the
//              byte before a position is 1 only where a record ends)
// Records that refer to objects (sections, pictures, OLE objects, range objects)
// carry a 32-bit handle from the owning document's object table, never a pointer.
#include <cstdint>

class TMemory;

constexpr int32_t InlineControlSize = 8;
constexpr uint8_t InlineControlStartByte = 0;
constexpr uint8_t InlineControlEndByte = 1;

// Record codes. 0 to 21: from here on character slot N (TCharSlot) takes the
// argument.
constexpr uint16_t icLastFormatCode = 21;
constexpr uint16_t icSpecialChar = 22;   // argument: a TSpecialChar code
constexpr uint16_t icSectionBreak = 23;  // argument: the section the break closes
constexpr uint16_t icPicture = 24;       // argument: the picture
constexpr uint16_t icOleObject = 25;     // argument: the embedded object
constexpr uint16_t icRangeStart = 26;    // argument: the range object (field, bookmark...)
constexpr uint16_t icRangeEnd = 27;      // argument: the same range object
constexpr uint16_t icCodeCount = 28;

constexpr bool IsFormatCode(uint16_t code)
{
    return code <= icLastFormatCode;
}
// Records that stand for one character: 22 to 25.
constexpr bool IsCharacterCode(uint16_t code)
{
    return code >= icSpecialChar && code <= icOleObject;
}
constexpr bool IsAnchorCode(uint16_t code)
{
    return code == icRangeStart || code == icRangeEnd;
}
constexpr bool IsZeroWidthCode(uint16_t code)
{
    return IsFormatCode(code) || IsAnchorCode(code);
}

// Special characters: the bytes below 32 of the one-byte-per-character buffer
// and the arguments of code-22 records.
enum TSpecialChar : uint8_t {
    scParagraphMark = 2,  // every paragraph ends with one (or with a section break)
    scSectionBreak = 3,   // only through code 23
    scColumnBreak = 4,
    scLineBreak = 5,
    scPageBreak = 6,
    scTab = 7,
    scPicture = 8,        // only through code 24
    scOleObject = 9,      // only through code 25
    scNonBreakingSpace = 10,
    scNonBreakingHyphen = 11,
    scEmDash = 12,
    scEnDash = 13,
    scOptionalHyphen = 14,
    scReaderSpecial = 15,  // written by the RTF reader; given no meaning here
};
constexpr uint8_t FirstSpecialChar = scParagraphMark;
constexpr uint8_t LastSpecialChar = scReaderSpecial;

// A handle of the owning document's object table; 0 names no object.
using TObjectHandle = int32_t;
constexpr TObjectHandle NoObjectHandle = 0;

struct TInlineControl {
    uint16_t Code = 0;
    int32_t Argument = 0;
};

// Reads the record that starts at p (8 bytes must follow).
TInlineControl ReadInlineControl(const uint8_t* p);
// Writes a record at p (8 bytes).
void WriteInlineControl(uint8_t* p, uint16_t code, int32_t argument);

// The plain-buffer byte of a character record (codes 22 to 25).
uint8_t PlainCharOfControl(const TInlineControl& control);

// Appends a record to the buffer. Raises EInternalError for a code that is no
// record code.
void AppendFormatCode(TMemory& buffer, uint16_t code, int32_t argument);
// Inserts a record at a byte offset of the buffer (0 to its size).
void InsertFormatCode(TMemory& buffer, int32_t offset, uint16_t code, int32_t argument);
