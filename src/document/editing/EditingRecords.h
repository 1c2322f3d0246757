#pragma once
// The records that callers hand to the restructuring operations of the
// dispatcher: the block (rectangular) selection, the click-and-type plan, the
// modes of text transformation and of block operations.
#include "document/model/TextPosition.h"

#include <cstdint>
#include <vector>

// Text transformation modes (operation 26; the operation kind is 29 + mode).
enum TTransformMode : uint8_t {
    tmKeyboardLayout = 0,
    tmUpperCase = 1,
    tmLowerCase = 2,
    tmToggleCase = 3,
    tmSentenceCase = 4,
    tmCapitalizeWords = 5,
    tmCharset = 6,
};

// Block operation modes.
enum TBlockMode : uint8_t {
    bmDelete = 0,
    bmFormat = 1,
    bmCopy = 2,
    bmSum = 3,
};

// A rectangular selection: the position the caret goes to first (its caret
// value handed on), the block's first and last line (paragraph and line index
// in that paragraph) and the horizontal extent, in the line layout's units,
// that each line turns into the character offsets of its piece.
struct TBlockSelection {
    TTextPosition First;
    int32_t StartParagraph = 0;
    int32_t StartLine = 0;
    int32_t EndParagraph = 0;
    int32_t EndLine = 0;
    int32_t LeftX = 0;
    int32_t RightX = 0;
};

// Kinds of the steps of a click-and-type plan.
enum TClickAndTypeStepKind : uint8_t {
    ctAddParagraphs = 0,
    ctAlignment = 1,
    ctFirstIndent = 2,
    ctInsertTab = 3,
    ctRemoveTabsFrom = 4,
    ctSetTab = 5,
    ctCaretOffset = 6,
};

struct TClickAndTypeStep {
    uint8_t Kind = ctAddParagraphs;
    int32_t Value = 0;
    uint8_t Alignment = 0;  // the tab stop's alignment kind (ctSetTab)
};

// What the document window plans for a click in empty space (operation 30).
struct TClickAndTypePlan {
    int32_t Reserved = 0;
    int32_t TargetParagraph = 0;
    std::vector<TClickAndTypeStep> Steps;
};
