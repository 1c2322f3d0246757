#pragma once
// The records of the style and format-stepping operations: the format
// painter's picked-up formats and the modes of paragraph stepping.
#include "foundation/CharFormat.h"

#include <cstdint>
#include <string>

// What the format painter picked up: a character format, a paragraph format
// (wholly unset when only characters were picked up) and the display name of
// a style.
struct TFormatPainterRecord {
    TCharFormat Char{};
    TParFormat Par{};
    std::string StyleName;
};

// Modes of TDocument::StepParagraphFormat.
enum TParStepMode : uint8_t {
    psmLeftIndent = 0,        // left indent + amount, within the text width
    psmLeftIndentKeepFirst = 1,  // the same, the first line staying in place
    psmHanging = 2,           // a hanging indent of 270 twips
    psmNoHanging = 3,         // the hanging indent folded into the left indent
    psmSpaceBeforeLess = 4,
    psmSpaceBeforeMore = 5,
    psmSpaceAfterLess = 6,
    psmSpaceAfterMore = 7,
};

// The step of paragraph spacing and the hanging indent, in twips.
constexpr int32_t ParSpacingStep = 60;
constexpr int32_t HangingIndentStep = 270;
