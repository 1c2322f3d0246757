#pragma once
// Paragraph text in a small notation for tests: characters stand for
// themselves and "{code:argument}" for an inline record, so "{2:1}Oui{22:2}" is
// a bold record, three characters and a paragraph mark.
#include "foundation/InlineControl.h"

#include <string>

inline std::string EncodeText(const std::string& notation)
{
    std::string out;
    for (size_t i = 0; i < notation.size(); ++i) {
        if (notation[i] != '{') {
            out.push_back(notation[i]);
            continue;
        }
        const size_t colon = notation.find(':', i);
        const size_t close = notation.find('}', i);
        const auto code = static_cast<uint16_t>(std::stoi(notation.substr(i + 1, colon - i - 1)));
        const auto arg = static_cast<int32_t>(std::stoll(notation.substr(colon + 1, close - colon - 1)));
        uint8_t record[InlineControlSize];
        WriteInlineControl(record, code, arg);
        out.append(reinterpret_cast<const char*>(record), InlineControlSize);
        i = close;
    }
    return out;
}
