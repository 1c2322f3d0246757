#include "foundation/InlineControl.h"

#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"

#include <string>

namespace {

void CheckCode(uint16_t code)
{
    if (code >= icCodeCount)
        throw EInternalError("Code de mise en forme inconnu : " + std::to_string(code));
}

}  // namespace

TInlineControl ReadInlineControl(const uint8_t* p)
{
    TInlineControl c;
    c.Code = static_cast<uint16_t>(p[1] | (p[2] << 8));
    const uint32_t arg = static_cast<uint32_t>(p[3]) | (static_cast<uint32_t>(p[4]) << 8) |
                         (static_cast<uint32_t>(p[5]) << 16) | (static_cast<uint32_t>(p[6]) << 24);
    c.Argument = static_cast<int32_t>(arg);
    return c;
}

void WriteInlineControl(uint8_t* p, uint16_t code, int32_t argument)
{
    const auto arg = static_cast<uint32_t>(argument);
    p[0] = InlineControlStartByte;
    p[1] = static_cast<uint8_t>(code);
    p[2] = static_cast<uint8_t>(code >> 8);
    p[3] = static_cast<uint8_t>(arg);
    p[4] = static_cast<uint8_t>(arg >> 8);
    p[5] = static_cast<uint8_t>(arg >> 16);
    p[6] = static_cast<uint8_t>(arg >> 24);
    p[7] = InlineControlEndByte;
}

uint8_t PlainCharOfControl(const TInlineControl& control)
{
    switch (control.Code) {
    case icSpecialChar: return static_cast<uint8_t>(control.Argument);
    case icSectionBreak: return scSectionBreak;
    case icPicture: return scPicture;
    case icOleObject: return scOleObject;
    default: return 0;
    }
}

void AppendFormatCode(TMemory& buffer, uint16_t code, int32_t argument)
{
    InsertFormatCode(buffer, buffer.Size(), code, argument);
}

void InsertFormatCode(TMemory& buffer, int32_t offset, uint16_t code, int32_t argument)
{
    CheckCode(code);
    uint8_t record[InlineControlSize];
    WriteInlineControl(record, code, argument);
    buffer.Insert(record, offset, InlineControlSize);
}
