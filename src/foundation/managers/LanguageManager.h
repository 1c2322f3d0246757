#pragma once
// The languages of the system: the display names of the language identifiers
// (sorted by name) and the recently used languages that language boxes show
// first. Made on first use; freed with the shared managers.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TCanvas;
class TBitmap;
class TSettingsStorage;
struct TRect;

// No language: the neutral identifier and the unset value.
constexpr int32_t LanguageNeutral = 0x400;
constexpr int32_t LanguageNotSet = static_cast<int32_t>(0x80000000u);
constexpr size_t LanguageHistoryLimit = 8;

struct TLanguageName {
    std::string Name;
    int32_t Language = 0;
};

class TLanguageManager {
public:
    // Loads the names, then the history.
    void Initialize();
    // "( aucune )" for no language; the listed name; else
    // "( Autre langue (ID: %d) )".
    std::string GetLanguageName(int32_t language) const;
    const std::vector<TLanguageName>& Names() const { return FNames; }
    const std::vector<int32_t>& History() const { return FHistory; }
    // Puts the language first in the history, which keeps at most 8.
    // The language to use for text in a character set: the given one when its
    // locale uses that set, else the user's language when it does, else the
    // first language of the list that does; the given one when none does.
    int32_t LanguageForCharset(uint8_t charset, int32_t language) const;
    // The index of the first of lastIndex + 1 records of 20 bytes (language
    // id, then a count) that names the language with a positive count; -1 when none.
    static int32_t IndexOfLanguageRecord(const void* records, int32_t lastIndex, int32_t language);
    void AddToHistory(int32_t language);
    void LoadHistory(TSettingsStorage& store);
    void SaveHistory(TSettingsStorage& store) const;
    // Draws a language entry: the spelling glyph when a spelling system
    // serves the language, then the name, both vertically centred; with the
    // separator, two lines along the bottom.
    void DrawLanguageItem(int32_t language, TCanvas& canvas, bool separator, const TRect& rect) const;

    // Set by the spelling manager: whether a spelling system serves the
    // language, and the glyph that says so (null: none).
    std::function<bool(int32_t language)> HasSpellingSystem;
    std::function<const TBitmap*()> SpellingGlyph;
    // The languages of the configured spelling systems, last first (the
    // history's start when none was stored).
    std::function<std::vector<int32_t>()> SpellingLanguages;

private:
    std::vector<TLanguageName> FNames;
    std::vector<int32_t> FHistory;
};

TLanguageManager& GetLanguageManager();
void FreeLanguageManager();
