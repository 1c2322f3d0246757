#pragma once
// The autocorrection engine's records: the correction kinds, the result of
// the replacement matcher, what the last corrections were (for the
// confirmation popup) and the per-kind state of a document pass.
#include <array>
#include <cstdint>
#include <string>

class TAutocorrectLangOptions;

// The correction kinds, tried in this order; one bit each in a kind mask.
enum TAutocorrectKind : uint8_t {
    acReplaceText = 0,
    acInitialCaps = 1,
    acCapsLock = 2,
    acSentenceCaps = 3,
    acQuotes = 4,
    acCollapseBlanks = 5,
    acInsertSpace = 6,
    acNonBreakingSpace = 7,
    acOrdinals = 8,
    acFractions = 9,
    acHyperlinks = 10,
    acLangRule1 = 11,
    acLangRule2 = 12,
    acLangRule3 = 13,
};
constexpr int32_t AutocorrectKindCount = 14;

// The masks of typing: after Enter or a space every kind but the blank
// rules; after another character the same without hyperlinks.
constexpr uint16_t AutocorrectTypingMaskAfterBlank = 0x3F1F;
constexpr uint16_t AutocorrectTypingMaskOther = 0x3B1F;

// A pass runs while typing, or over a range on request.
constexpr uint8_t AutocorrectAsYouType = 2;
constexpr uint8_t AutocorrectExplicitPass = 1;

// The replacement matcher's result.
struct TAutocorrectMatch {
    int32_t Index = -1;
    std::string Typed;
    std::string Replacement;
    std::string Text;
    int32_t Start = 0;
    int32_t End = 0;
    int32_t SuperscriptStart = -1;
    int32_t SuperscriptEnd = -1;
};

// What the last pass corrected.
struct TAutocorrectLast {
    std::string Word;
    uint8_t TypedQuote = 0;
    uint8_t NewQuote = 0;
    int32_t DeletedStart = 0;
    int32_t DeletedEnd = 0;
    bool SpaceBefore = false;
    bool SpaceAfter = false;
};

// One byte a kind; 2 skips the kind (refused for the rest of a pass).
using TAutocorrectPassState = std::array<uint8_t, AutocorrectKindCount>;

// The program-wide records of the engine.
TAutocorrectMatch& AutocorrectMatch();
TAutocorrectLast& AutocorrectLast();
TAutocorrectPassState& AutocorrectPassState();

// The replacement matcher over the options' list, for the text that ends at
// the typing point (window, in the document's characters). Fills the match
// with offsets relative to the window's start; false when nothing fits.
bool MatchReplacement(const std::string& window, TAutocorrectLangOptions& options, uint16_t language,
                      TAutocorrectMatch& match);
