#pragma once
// Autocorrection options per language. Each primary language has one options
// object, made by the program-wide manager on first use: the replacement
// list, the two exception lists, the ordinal suffixes, the quote style, the
// spacing tables (characters that attach to the text that follows them, and
// to the text before them) and a few switches. The lists start from the
// default lists among the program's resources ("TXT" resources named after
// the list and the language) and keep the user's additions and removals in
// the settings store, below "Autocorrect\" and the language id.
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSettingsStorage;

// The key the autocorrection settings are kept under, one sub-key a language.
constexpr const char* AutocorrectSettingsKey = "\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\Autocorrect\\";

// The program-wide switches of autocorrection (kept by the program options).
struct TAutocorrectSwitches {
    bool AsYouType = true;
    bool InitialCaps = true;
    bool SentenceCaps = true;
    bool CapsLock = true;
    bool SpaceRules = true;
    bool ReplaceText = true;
    bool RaiseOrdinals = true;
    bool Fractions = true;
    bool UrlToHyperlink = true;
    bool AddSpellReplacements = false;
};

class TAutocorrectLangOptions {
public:
    // The defaults of the language (primary language, the low 10 bits): the
    // resource lists, no stored settings.
    explicit TAutocorrectLangOptions(int32_t language);
    // The language's options read from the store (null: the defaults).
    TAutocorrectLangOptions(int32_t language, TSettingsStorage* store);
    TAutocorrectLangOptions(const TAutocorrectLangOptions&) = delete;
    TAutocorrectLangOptions& operator=(const TAutocorrectLangOptions&) = delete;

    // Set once the ordinal list has been sorted for matching.
    uint8_t OrdinalsSorted = 0;
    int32_t Language;
    // Something changed since loading; the manager saves only changed options.
    uint8_t Modified = 0;
    // Abbreviations after which a full stop ends no sentence ("etc."), and
    // words no rule may change; compared without regard to case.
    TStringList CapSentEx;
    TStringList OtherEx;
    // Replacement entries: the typed text, a TAB, the replacement; kept in
    // the order of the typed texts, compared case-sensitively.
    TStringList Replacements;
    // Typed texts decided for the rest of a document pass (object 1 accept,
    // 2 refuse).
    TStringList Decisions;
    // Ordinal forms: a number and its suffix ("1er", "2e", "1st", "11th").
    TStringList Ordinals;
    // The ordinals come from the store (the language has no ordinal resource).
    uint8_t OrdinalsStored = 0;
    // Index of the language's record in the language-flag table; -1: none.
    int32_t LangRecord = -1;
    // Language flag bits (bit i = flag i of the language's record); for French
    // bit 0 asks for the "ae"/"oe" ligatures, bit 1 for the space as thousands
    // separator, bit 2 accepts capitals without accents.
    int32_t Flags = 0x7FFFFFFF;
    // Straight quotes are replaced; the quote style: 0 “ ”, 1 « », 2 „ “, 3 » «.
    uint8_t AllowQuotes = 1;
    uint8_t Quotes = 0;
    // Characters after which no space is wanted (opening signs).
    std::array<bool, 256> LeftAdjSep{};
    // Characters before which no space is wanted (closing signs).
    std::array<bool, 256> RightAdjSep{};
    // Two blanks are accepted between sentences; non-breaking spaces beside
    // punctuation.
    uint8_t TwoSentSpcs = 1;
    uint8_t NonbrSpcs = 1;

    // Reads everything again from the store (null: the defaults).
    void Load(TSettingsStorage* store);
    // Writes the values and lists into the store, below the language's key.
    void SaveToStorage(TSettingsStorage& store);

    // The character ends a word for autocorrection.
    bool IsWordDelimiter(uint8_t c) const;
    bool IsOpeningQuote(uint8_t c) const;
    bool IsClosingQuote(uint8_t c) const;
    // An opening quote or ( [ {; a closing quote or ) ] }.
    bool IsOpeningMark(uint8_t c) const;
    bool IsClosingMark(uint8_t c) const;
    // The word, with its full stop, is one after which no sentence starts.
    bool IsCapSentException(const std::string& word) const;
    // The word or token is one that no rule may change.
    bool IsOtherException(const std::string& word) const;
    // The record of the language-flag table has flag i, and the bit is set.
    bool HasLangFlag(int32_t flag) const;

    // The index of the entry of a typed text, -1 when there is none.
    int32_t FindReplacement(const std::string& typed) const;
    // Adds the entry, or gives the existing entry of the typed text the new
    // replacement; the options become modified.
    void SetReplacement(const std::string& typed, const std::string& replacement);
    // The typed text (all before the first TAB, the whole entry without one)
    // and the replacement (all after it).
    static void SplitReplacementEntry(const std::string& entry, std::string& typed, std::string& replacement);

    // The suffix of an ordinal of the list in the word: true with its start
    // and length in the word ("21st": 2 and 2).
    bool MatchOrdinal(const std::string& word, int32_t& suffixStart, int32_t& suffixLength);

    // The text with the French ligatures made in each run of printable
    // characters, when the ligature flag is set; else the text unchanged
    // (proofing/Ligatures.cpp).
    std::string ApplyLigatures(const std::string& text) const;
    // The word with its ligatures written out: œ "oe", æ "ae", Œ "OE" or "Oe",
    // Æ "AE" or "Ae".
    std::string ExpandLigatures(const std::string& word) const;

private:
    void SetDefaultTables(std::array<bool, 256>& left, std::array<bool, 256>& right) const;
    void SortOrdinals();
};

// An ordinal split into its number (roman numerals read as decimal digits
// when allowed) and its suffix; false when either part is empty.
bool SplitOrdinal(const std::string& text, bool romansAllowed, std::string& number, std::string& suffix);

class TAutocorrectLangOptionsManager {
public:
    TAutocorrectLangOptionsManager() = default;
    TAutocorrectLangOptionsManager(const TAutocorrectLangOptionsManager&) = delete;
    TAutocorrectLangOptionsManager& operator=(const TAutocorrectLangOptionsManager&) = delete;
    // The options of the primary language of the id, made on first use.
    TAutocorrectLangOptions& GetLangOptions(LANGID language);

    // The store a language's settings are read from when it is first asked
    // for (the program's store opened for loading); without one a language
    // starts with its defaults.
    using TStoreSource = std::function<std::unique_ptr<TSettingsStorage>()>;
    void SetStoreSource(TStoreSource source) { FStoreSource = std::move(source); }
    // Writes every changed language, or, when the settings move to another
    // store (transfer), every language the loading store holds and every one
    // in use.
    void SaveToStorage(TSettingsStorage& store, bool transfer = false);
    // Forgets every language (the next request reads it again).
    void Clear() { FList.clear(); }

    // A pass over a document begins (silent: it asks nothing): every
    // language's decisions of the last pass are forgotten and the popup
    // counts as unused. The windows are the caller's business.
    void BeginPass(bool silent);
    void EndPass();
    uint8_t PassSilent = 0;
    // The confirmation popup was shown during the pass.
    uint8_t PopupUsed = 0;

    // 1 during an explicit pass over a document.
    uint8_t PassMode = 0;
    // The program-wide switches.
    TAutocorrectSwitches Switches;

private:
    std::vector<std::unique_ptr<TAutocorrectLangOptions>> FList;
    TStoreSource FStoreSource;
};

// The program-wide manager, made on first use.
TAutocorrectLangOptionsManager& GetAutocorrectLangOptionsManager();
