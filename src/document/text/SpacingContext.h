#pragma once
// The spacing context: at a text position, what kind of character stands
// before it and after it under the spacing rules of the text's language (a
// blank, the start or end of the paragraph, an opening sign after which no
// space is wanted, a closing sign before which no space is wanted, or another
// character). Typing-time autocorrection reads it, and the insertion, deletion
// and moving of whole words use it to leave exactly one space, or none, where
// two pieces of text meet (TDocument::FixSpacingAt).
#include <cstdint>

// The classes.
constexpr uint8_t scsBlank = 0;
constexpr uint8_t scsOpening = 1;  // before: also the paragraph start
constexpr uint8_t scsClosing = 2;  // after: also the paragraph end
constexpr uint8_t scsOther = 3;

struct TSpacingContext {
    // The character before the position.
    uint8_t BeforeClass = scsOpening;
    // The character at the position.
    uint8_t AfterClass = scsClosing;
    // The opening-sign table's entry for the character at the position (0 at
    // the paragraph end).
    uint8_t AfterOpening = 0;
    // The position is the paragraph end or the character at it a closing sign.
    uint8_t AfterClosing = 1;
    // Neither of the two above.
    uint8_t AfterPlain = 0;
};
