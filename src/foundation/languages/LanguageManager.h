#pragma once
// TLanguageManager: the display names of the system's language identifiers,
// the language to use for a font character set, and the recently used
// languages ("LangHistory") that language boxes show first.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TSettingsStorage;

// 0x400 and the unset value both stand for no language.
constexpr int32_t NoLanguage = 0x400;
constexpr int32_t LanguageHistoryLimit = 8;

struct TLanguageName {
    std::string Name;
    int32_t Language = 0;
};

class TLanguageManager {
public:
    // Loads the names (primary languages 1 to 54, each with its sublanguages
    // from 1 until the first one the system has no name for), sorted by name.
    void LoadNames();
    // "( aucune )" for no language, the listed name, else
    // "( Autre langue (ID: n) )".
    std::string GetLanguageName(int32_t language) const;
    // The given language when its locale's character set is the wanted one;
    // the user's language when the wanted set is the user locale's; else the
    // first listed language (in name order) of that character set; else the
    // given language.
    int32_t LanguageForCharset(uint8_t charset, int32_t language) const;
    // The language goes first; at most eight are kept.
    void AddToHistory(int32_t language);
    // Reads the section "LangHistory" of the store (Count, then A, B, ...);
    // without a stored history the user's default language alone.
    void LoadHistory(TSettingsStorage& store);
    void SaveHistory(TSettingsStorage& store) const;
    // The first of count records of 20 bytes whose first 32-bit field is the
    // language and whose second is above 0; -1 when none.
    static int32_t IndexOfLanguageRecord(const void* records, int32_t lastIndex, int32_t language);

    const std::vector<TLanguageName>& Names() const { return FNames; }
    const std::vector<int32_t>& History() const { return FHistory; }

private:
    std::vector<TLanguageName> FNames;
    std::vector<int32_t> FHistory;
};

// The program's language manager, made and initialised (names, then the
// history from the store the opener gives, when it gives one) on first use.
TLanguageManager& GetLanguageManager();
void FreeLanguageManager();
