#pragma once
// Hyphenation data and break points. For a word of a language the rule gives
// the places where the word may be broken: a break point p means that the
// word may be broken after its first p characters.
//
// The data of every language lives in the data file "Coupe de mots.dat" of
// the program folder: a signature, one zlib-compressed block per language
// (its patterns, and its exception words with their break masks) and a
// directory. The user's own hyphenated words of a language override both.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TFileStream;
class TSettingsStorage;

// One language's hyphenation data.
class TLanguageHyphData {
public:
    // A language without data (only the user's words give points).
    explicit TLanguageHyphData(int32_t languageId);

    struct TException {
        std::string Word;
        uint32_t Mask = 0;  // bit b: a break after the first b characters
    };

    int32_t LanguageId = 0;
    std::vector<std::string> Patterns;
    // Sorted without regard to case.
    std::vector<TException> Exceptions;
    // The user's words without hyphens, sorted without regard to case, and
    // as the user hyphenated them ("com-bi-nai-son"), entry for entry.
    std::vector<std::string> UserWords;
    std::vector<std::string> UserHyphenatedWords;
    bool HasData = false;
    bool Modified = false;

    // Reads a decompressed language block: its patterns and exceptions.
    // Raises EReadError for a block that ends too early.
    void LoadBlock(const std::string& block);
    // Sets the user's words from their hyphenated forms (a word given twice
    // keeps its first hyphenation).
    void SetUserWords(const std::vector<std::string>& hyphenated);
    // Writes the user's words under the program's "Hyphenation" key, as the
    // long string named by the language id; the store's key is kept.
    void SaveToStorage(TSettingsStorage& store) const;
    // The break points of a word in ascending order.
    void GetHyphenationPoints(const std::string& word, std::vector<int32_t>& points) const;

    // The pattern rule on a lower-case word: its syllables, as patterns
    // allow them, with "-" between them.
    std::string ApplyPatterns(const std::string& word) const;
    // The syllable split of a word, with "-" between syllables.
    std::string SplitSyllables(const std::string& word) const;
};

class THyphManager {
public:
    // Opens the data file of the program folder.
    THyphManager();
    // Opens a data file of that path; without one (or with a damaged one)
    // the manager works without data.
    explicit THyphManager(const std::string& path);
    ~THyphManager();
    THyphManager(const THyphManager&) = delete;
    THyphManager& operator=(const THyphManager&) = delete;

    static constexpr uint32_t Signature = 0xAA07C3D2;
    static constexpr const char* DataFileName = "Coupe de mots.dat";

    // The data of the primary language of a language id, read on first
    // request and kept; never null.
    TLanguageHyphData& GetLanguageData(int32_t languageId);
    bool FileValid() const { return FFileValid; }

    // The settings store the user's words are read from when a language is
    // first asked for (the options' store opened for loading); without one a
    // language starts without user words.
    using TStoreSource = std::function<std::unique_ptr<TSettingsStorage>()>;
    void SetStoreSource(TStoreSource source) { FStoreSource = std::move(source); }
    // Writes the user's words of every cached language that changed, or of
    // every language when the settings are being transferred (which first
    // reads every language the loading store holds).
    void SaveToStorage(TSettingsStorage& store, bool transfer = false);

private:
    void Open(const std::string& path);
    std::string ReadBlock(uint32_t offset, uint32_t length);
    void LoadUserWords(TLanguageHyphData& data);
    void LanguageNotice(int32_t key);

    std::unique_ptr<TFileStream> FDataFile;
    std::vector<uint8_t> FDirectory;
    std::vector<std::unique_ptr<TLanguageHyphData>> FLanguages;
    bool FFileValid = false;
    std::string FPath;
    TStoreSource FStoreSource;
};

// The key the user's hyphenated words are kept under.
constexpr const char* HyphenationSettingsKey = "\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\Hyphenation\\";

// The process-wide manager, created on first call; FreeHyphManager frees it.
THyphManager& GetHyphManager();
void FreeHyphManager();
// Puts a manager in place of the process-wide one (one made over another
// data file); returns the previous one.
std::unique_ptr<THyphManager> SetHyphManager(std::unique_ptr<THyphManager> manager);
