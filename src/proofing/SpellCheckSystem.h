#pragma once
// Spelling systems: one installed checker for one language, described by a
// file ".esc" (language, description, fixed and editable lexicons), with its
// engine session, its lexicons and its word caches; and the program-wide list
// of installed systems.
//
// Files the user changes never go into the program folder: a changed
// description is written to the user's spelling folder (and read from there
// first afterwards), personal dictionaries live in the user's "Lex/" folder,
// and a personal dictionary that was shipped in the program folder is copied
// there before it is first opened.
#include "platform/runtime/StringList.h"
#include "platform/spelling/SpellEngine.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class TSettingsStorage;

// The program's spelling settings (kept with the program options).
struct TSC_SpellCheckSystemSettings {
    uint16_t Flags = 0x0D34;
    uint8_t SuggestQuality = 1;  // 0 fast, 1, 2 thorough
};
// Flag bits.
constexpr uint16_t scIgnoreCapitalized = 0x0001;
constexpr uint16_t scIgnoreAllCaps = 0x0002;
constexpr uint16_t scIgnoreDigits = 0x0004;
constexpr uint16_t scIgnoreMixedCase = 0x0008;
constexpr uint16_t scIgnoreAddresses = 0x0010;
constexpr uint16_t scRespectCase = 0x0020;
constexpr uint16_t scSuggestSplitWords = 0x0080;
constexpr uint16_t scReportDoubledWords = 0x0100;
constexpr uint16_t scCheckAsYouType = 0x0400;
constexpr uint16_t scUnderlineMisspellings = 0x0800;

// The record the options load and the systems apply.
TSC_SpellCheckSystemSettings& ProgramSpellSettings();

// The installed systems' description names, in settings order.
class TSC_Settings {
public:
    TStringList Systems;
    // The "Systems" value: names separated by ";"; empty names and later
    // repeats of a name (compared without regard to case) are dropped.
    void SetSystemsText(const std::string& text);
    std::string SystemsText() const;
};

void CreateSpellSettings();
void FreeSpellGlobals();
// nullptr before CreateSpellSettings.
TSC_Settings* GetSpellSettings();

// The spelling manager restarts the checks of every open document through this
// (installed by the manager; nothing happens before).
using TSpellChecksInvalidator = void (*)();
TSpellChecksInvalidator SetSpellChecksInvalidator(TSpellChecksInvalidator invalidator);

// Kinds of lexicon for AddLexicon.
constexpr int32_t lkFixed = 0;
constexpr int32_t lkEditable = 1;
constexpr int32_t lkNewEditable = 2;  // editable, created when missing

// Check states.
constexpr uint8_t csAccepted = 0;
constexpr uint8_t csAutoReplace = 1;
constexpr uint8_t csMisspelled = 2;

// Result of CheckWord for an accepted word.
constexpr int32_t CheckWordAccepted = 0x7FFFFFFF;
// Caches and bounds.
constexpr size_t AcceptedCacheLimit = 10000;
constexpr size_t MisspelledCacheLimit = 10000;
// Engine checks one compound split may make for one word.
constexpr int32_t CompoundSplitBudget = 400;

class TSpellCheckSystem {
public:
    explicit TSpellCheckSystem(const std::string& name);
    // Stops the session and writes a changed description (unless settings are
    // not saved).
    ~TSpellCheckSystem();
    TSpellCheckSystem(const TSpellCheckSystem&) = delete;
    TSpellCheckSystem& operator=(const TSpellCheckSystem&) = delete;

    // The settings record last applied to the session.
    TSC_SpellCheckSystemSettings EngineSettings;
    // Inflated copies of compressed lexicons made for this session.
    TStringList TempFiles;
    // Lexicons opened from files: file name and (session << 16) + lexicon id.
    struct TOpenLexRecord {
        std::string FileName;
        int32_t Key;
    };
    std::vector<TOpenLexRecord> OpenLexRecords;
    std::string DescriptionPath;
    bool Loaded = false;
    bool Running = false;
    bool Modified = false;
    int32_t Language = 0;
    std::string Description;
    // File names, each with its engine lexicon id (or negative result) as object.
    TStringList FixedLexicons;
    TStringList EditableLexicons;
    SSCE_S16 SessionId = -1;
    int32_t CurrentDictionary = 0;
    SSCE_S16 ReplaceAllLexId = -1;
    SSCE_S16 IgnoreLexId = -1;
    std::string IgnoreFileName;
    SSCE_S16 ExceptionLexId = -1;
    // Words found correct (at most AcceptedCacheLimit) and misspelled words
    // with their check state (1 or 2), case-sensitive.
    std::set<std::string> AcceptedCache;
    std::map<std::string, uint8_t> MisspelledCache;
    int32_t LanguageRecordIndex = -1;
    int32_t Flags = 0x7FFFFFFF;

    int32_t PrimaryLanguage() const { return Language & 0x3FF; }
    bool IsCzech() const { return PrimaryLanguage() == 5; }

    // Description and settings.
    // Reads the description (and "Flags" from the store, when given); false
    // when it cannot be read. With report, a missing file is reported.
    bool LoadSettings(bool report, TSettingsStorage* store = nullptr);
    // Writes the description to the user's spelling folder; raises on failure.
    void SaveDescription();
    void SaveFlags(TSettingsStorage& store);

    // Session.
    void StartSession();
    void Stop();
    void Restart();

    // Engine wrappers.
    SSCE_S16 OpenSession();
    SSCE_S16 CloseSession();
    void ApplyOptions(const TSC_SpellCheckSystemSettings& settings);
    SSCE_S16 OpenLexicon(const std::string& fileName);
    SSCE_S16 CreateLexicon(const std::string& fileName);
    SSCE_S16 CreateMemoryLexicon();
    SSCE_S16 CloseLexicon(SSCE_S16 lexId);
    SSCE_S32 GetLexiconWords(SSCE_S16 lexId, TStrings& lines);
    SSCE_S16 AddToLexicon(SSCE_S16 lexId, SSCE_S16 action, const std::string* otherWord, const std::string& word);
    SSCE_S16 DeleteFromLexicon(SSCE_S16 lexId, const std::string& word);
    // Brings the lexicon to the entries of the display lines (as
    // GetLexiconWords gives them, edited by the user): entries no longer listed
    // are deleted, new and changed ones added; unchanged ones are left alone.
    // Returns the first negative engine result, else 0.
    int32_t SetLexiconWords(SSCE_S16 lexId, const TStrings& lines);
    // Reports a negative result; true then.
    static bool CheckEngineResult(int32_t result);

    // Lexicon lists.
    bool OpenListedLexicon(TStringList& list, int32_t index, bool editable);
    int32_t AddLexicon(const std::string& fileName, int32_t kind);
    void RemoveLexicon(int32_t index, bool editable);
    std::string MakeDictionaryFileName() const;
    void AddWordToDictionary(const std::string& word, int32_t dictionaryIndex);
    void IgnoreWordAlways(const std::string& word);
    void LoadExceptionWords();
    // The file a listed lexicon name stands for (editable ones in the user's folder).
    std::string ResolveLexiconPath(const std::string& name, bool editable) const;

    // Word check.
    uint8_t CheckWordCached(const std::string& word, int32_t language, int32_t size, char* buffer);
    int32_t CheckWord(int32_t language, const std::string& word, uint8_t& state, int32_t size, char* buffer);
    bool IsCachedMisspelling(const std::string& word) const;
    void ForgetMisspelling(const std::string& word);
    // The word made ready for a lexicon: French ligatures written out,
    // apostrophes made "'", code 11 made "-".
    std::string NormalizeLexiconWord(const std::string& word) const;

private:
    SSCE_S16 EngineCheck(const std::string& word, char* buffer, int32_t size);
    SSCE_S16 CheckWithRetries(int32_t language, const std::string& word, char* buffer, int32_t size);
    bool CanadianRetry(std::string& variant, size_t pos, int varied, SSCE_S16& result, char* buffer, int32_t size);
    bool SplitCompound(int32_t language, const std::string& part, size_t wholeLength, int depth, int32_t& budget);
    void TidySuggestions(const std::string& word, int32_t language, char* buffer, int32_t size) const;
    void AddMisspelling(const std::string& form, uint8_t state);
    int32_t LexiconListAdd(TStringList& list, const std::string& name, SSCE_S16 result);
    bool AskKeepLexicon(const std::string& name) const;
};

// One display line of a lexicon listing back into its entry: "word" (action
// 'i') or "word   --->   other" (action 'A'); blanks around the parts are
// dropped. False for a line without a word.
bool ParseLexiconLine(const std::string& line, std::string& word, char& action, std::string& other);

// Every 0x91, 0x92 and 0x60 made "'", every code 11 "-".
std::string NormalizeApostrophesAndHyphens(const std::string& word);
// Some part of the word between "'" and "-" mixes capitals and small letters
// irregularly (McDonald, iPod; not Paris).
bool HasIrregularCase(const std::string& word);
