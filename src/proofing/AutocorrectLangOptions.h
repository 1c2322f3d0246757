#pragma once
// Autocorrection options per language: what the document's spacing context and
// sentence finder read of them. Each primary language has one options object,
// made by the program-wide manager on first use with the program's defaults:
// the quote style, the two spacing tables (characters that attach to the text
// that follows them, and to the text before them) and the exception lists.
// Loading the user's settings and the default lists, the replacements, the
// ordinals and the options dialogs belong to the autocorrection engine and
// extend this class; until then every language has its defaults and empty
// lists.
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TAutocorrectLangOptions {
public:
    // The defaults of the language (primary language, the low 10 bits).
    explicit TAutocorrectLangOptions(int32_t language);
    TAutocorrectLangOptions(const TAutocorrectLangOptions&) = delete;
    TAutocorrectLangOptions& operator=(const TAutocorrectLangOptions&) = delete;

    int32_t Language;
    // 0 “ ”, 1 « », 2 „ “, 3 » «.
    uint8_t Quotes = 0;
    // Characters after which no space is wanted (opening signs).
    std::array<bool, 256> LeftAdjSep{};
    // Characters before which no space is wanted (closing signs).
    std::array<bool, 256> RightAdjSep{};
    // Abbreviations after which a full stop ends no sentence ("etc."), and
    // words no rule may change; compared without regard to case.
    TStringList CapSentEx;
    TStringList OtherEx;
    // Language flag bits (bit i = flag i of the language's record); for French
    // bit 0 asks for the "ae"/"oe" ligatures, bit 2 for Canadian spelling.
    int32_t Flags = 0x7FFFFFFF;

    // The character ends a word for autocorrection.
    bool IsWordDelimiter(uint8_t c) const;
    bool IsOpeningQuote(uint8_t c) const;
    bool IsClosingQuote(uint8_t c) const;
    // The word, with its full stop, is one after which no sentence starts.
    bool IsCapSentException(const std::string& word) const;

    // The text with the French ligatures made in each run of printable
    // characters, when the ligature flag is set; else the text unchanged
    // (proofing/Ligatures.cpp).
    std::string ApplyLigatures(const std::string& text) const;
    // The word with its ligatures written out: œ "oe", æ "ae", Œ "OE" or "Oe",
    // Æ "AE" or "Ae".
    std::string ExpandLigatures(const std::string& word) const;
};

class TAutocorrectLangOptionsManager {
public:
    TAutocorrectLangOptionsManager() = default;
    TAutocorrectLangOptionsManager(const TAutocorrectLangOptionsManager&) = delete;
    TAutocorrectLangOptionsManager& operator=(const TAutocorrectLangOptionsManager&) = delete;
    // The options of the primary language of the id, made on first use.
    TAutocorrectLangOptions& GetLangOptions(LANGID language);

private:
    std::vector<std::unique_ptr<TAutocorrectLangOptions>> FList;
};

// The program-wide manager, made on first use.
TAutocorrectLangOptionsManager& GetAutocorrectLangOptionsManager();
