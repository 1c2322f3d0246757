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
    scControlByte = 16,    // a control byte of a plain-text file that means nothing here: takes no room
};
constexpr uint8_t FirstSpecialChar = scParagraphMark;
constexpr uint8_t LastSpecialChar = scControlByte;

// The argument of a special-character record (code 22): the kind in the low
// byte. The plain-text reader adds where a character came from wherever
// writing the kind as text would not give back what the file held, so that a
// text file saves back as it was read: a non-breaking space read from 0xA0, a
// line break read from a vertical tab, a control byte, a paragraph end read
// from a line end other than the file's usual one. Everything else reads only
// the kind.
constexpr int32_t scfSourceByte = 0x10000;   // bits 8 to 15 hold the file's byte
constexpr int32_t scfLineEndPair = 0x20000;  // a paragraph end: that byte and the other of CR and LF
constexpr int32_t MakeSpecialCharArgument(uint8_t kind, uint8_t sourceByte)
{
    return kind | (sourceByte << 8) | scfSourceByte;
}
constexpr uint8_t SpecialCharKind(int32_t argument)
{
    return static_cast<uint8_t>(argument & 0xFF);
}
// The file's byte a special character came from; -1 when it carries none.
constexpr int32_t SpecialCharSourceByte(int32_t argument)
{
    return (argument & scfSourceByte) ? (argument >> 8) & 0xFF : -1;
}
// A kind that a code-22 record may hold (2 to 16 without 3, 8 and 9, which
// have records of their own), alone or with where it came from.
constexpr bool IsValidSpecialCharArgument(int32_t argument)
{
    const uint32_t high = static_cast<uint32_t>(argument) >> 8;
    if (high != 0 && (!(high & 0x100u) || high > 0x3FFu))
        return false;
    const uint8_t kind = SpecialCharKind(argument);
    return kind >= FirstSpecialChar && kind <= LastSpecialChar && kind != scSectionBreak && kind != scPicture &&
           kind != scOleObject;
}

// A handle of the owning document's object table; 0 names no object.
using TObjectHandle = int32_t;
constexpr TObjectHandle NoObjectHandle = 0;

struct TInlineControl {
    uint16_t Code = 0;
    int32_t Argument = 0;
};

// Reads the record that starts at p (8 bytes must follow).
TInlineControl ReadInlineControl(const uint8_t* p);
// The code of the record that starts at byte pos of a text.
inline uint16_t InlineControlCodeAt(const uint8_t* text, int32_t pos)
{
    return static_cast<uint16_t>(text[pos + 1] | (text[pos + 2] << 8));
}
// Writes a record at p (8 bytes).
void WriteInlineControl(uint8_t* p, uint16_t code, int32_t argument);

// The plain-buffer byte of a character record (codes 22 to 25).
uint8_t PlainCharOfControl(const TInlineControl& control);

// Appends a record to the buffer. Raises EInternalError for a code that is no
// record code.
void AppendFormatCode(TMemory& buffer, uint16_t code, int32_t argument);
// Inserts a record at a byte offset of the buffer (0 to its size).
void InsertFormatCode(TMemory& buffer, int32_t offset, uint16_t code, int32_t argument);
