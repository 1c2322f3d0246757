#pragma once
// The spelling manager: the one owner of the spelling systems and the driver
// of every check of document text. It decides what a word is (its extent,
// hyphens, apostrophes, addresses, quotes), which system checks it (by the
// word's language), how doubled words are found and what happens with each
// answer: the interactive check with the spelling dialog, the background
// check that marks misspellings while the user types, the quiet re-check of
// a range, the search for the next misspelling or the next word without a
// language, and the analysis of the word at the caret for the context menu.
// Text, selection, edits and the marks kept in paragraphs are the document's.
#include "document/text/BackgroundSpelling.h"
#include "document/model/TextPosition.h"
#include "proofing/SpellCheckSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;
class TSettingsStorage;

using TSpellWordRange = TFoundWord;

// Check modes of CheckSpelling.
enum TSpellCheckMode : uint8_t {
    scmInteractive = 0,       // with the spelling dialog
    scmBackground = 1,        // the next piece of the background check
    scmRange = 2,             // a quiet re-check of a range
    scmNextMisspelling = 3,   // the caret goes to the next misspelling
    scmNextWithoutSystem = 4, // the caret goes to the next word without a language or system
    scmReplace = 5,           // the selection is replaced by a text
};

// Values of the marks in paragraphs.
constexpr int32_t SpellMarkMisspelled = 255;
constexpr int32_t SpellMarkNoSystem = 0x800000;

// The background check works on pieces of this many characters, and goes on
// with the next piece while a call has taken less than this many ms.
constexpr int32_t BackgroundPieceLength = 32;
constexpr uint32_t BackgroundSliceMs = 10;
// The main window's timer checks a typed word that waits this long.
constexpr uint32_t PendingWordDelayMs = 7000;

// The analysis of the word at the caret.
struct TCaretWordAnalysis {
    TSpellWordRange Range;
    TSpellWordRange Copy;
    TSpellCheckSystem* System = nullptr;
    std::string Text;
    std::string DoubledText;
    int32_t Language = 0;
    bool Misspelled = false;
    bool Doubled = false;
    bool NoSystem = false;
};

class TSpellCheckManager : public TDocumentSpeller {
public:
    // The systems named by the spelling settings, in their order (not
    // loaded yet).
    TSpellCheckManager();
    ~TSpellCheckManager() override;
    TSpellCheckManager(const TSpellCheckManager&) = delete;
    TSpellCheckManager& operator=(const TSpellCheckManager&) = delete;

    // Paragraphs compare their spell-checked stamp with it.
    int32_t Generation = 1;
    std::vector<std::unique_ptr<TSpellCheckSystem>> Systems;
    // Set by the dialog's autocorrection button; cleared at the start of
    // every check.
    bool AutoReplace = false;
    // Set by the dialog when the user agrees to check the whole document
    // during a single-word check.
    bool FullCheckRequested = false;
    // Set by the command layer while the spelling of one word is checked.
    bool SingleWordCheck = false;
    TCaretWordAnalysis CaretWord;
    std::vector<std::string> Suggestions;

    // What the last run did.
    int32_t Changes = 0;
    int32_t WordsChecked = 0;
    int32_t WordsWithoutLanguage = 0;
    int32_t MarkedCount = 0;
    bool Cancelled = false;

    bool HasSystemForLanguage(int32_t language);
    // The system whose language is the given one, else the first of the same
    // primary language; with start it is started (asking whether to keep a
    // system that cannot start). Null when none.
    TSpellCheckSystem* GetSystemForLanguage(int32_t language, bool start);
    TSpellCheckSystem* EnsureSystemStarted(TSpellCheckSystem* system);
    void AddSystem(const std::string& name);
    void RemoveSystem(int32_t index);
    // Every paragraph becomes unchecked and every open document's
    // background check starts over.
    void InvalidateChecks();
    void RestartAllSystems();
    void SaveSystemSettings(TSettingsStorage& store);

    void FindWordAt(TDocument& document, const TTextPosition& position, TSpellWordRange& word, bool& isAddress,
                    int32_t& language);
    // The text of a word of the document.
    static std::string WordText(TDocument& document, const TSpellWordRange& word);
    bool IsRepeatedWord(TDocument& document, const TSpellWordRange& previous, const TSpellWordRange& word,
                        const std::string& previousText, const std::string& wordText, std::string& doubledText);
    // Fills CaretWord and Suggestions for the word at the document's caret.
    void CheckWordAtCaret(TDocument& document);
    // Runs a check. The range is the one of mode 2; the text the replacement
    // of mode 5.
    void CheckSpelling(TDocument& document, uint8_t mode, const TTextRange* range = nullptr,
                       const std::string& text = {});
    // Replaces the selection by the text as one undoable operation of the run.
    void ReplaceCurrentWord(const std::string& text);
    // Closes every system's replace-all lexicon (the end of an interactive run).
    void CloseRunLexicons();
    // What the main window's timer does for the active document: checks a
    // typed word that has waited long enough, then the next pieces of the
    // background check, and notes the end of the check. True when the
    // document's state changed.
    bool BackgroundStep(TDocument& document);

    // The document's speller.
    bool CheckAsYouType() override;
    void FindWordAt(TDocument& document, const TTextPosition& position, TFoundWord& word) override;
    void CheckRange(TDocument& document, const TTextRange& range) override;

private:
    void FindSpellWordExtent(int32_t language, TDocument& document, const TTextPosition& position,
                             TSpellWordRange& word);
    bool IsNearlyCorrect(TSpellCheckSystem& system, int32_t language, const std::string& word);
    void RunRange(const TTextRange& range);
    void CheckRangeWords(const TTextRange& range);
    bool CheckNextWord(TTextPosition& cursor);
    bool CheckDoubledWord(const TSpellWordRange& word, const std::string& text, TSpellCheckSystem& system,
                          int32_t language, TTextPosition& cursor);
    void MarkWordsChecked(TTextRange& range);
    bool NextPiece(TTextRange& piece);
    void StepCursor(TTextPosition& cursor) const;
    void MarkWord(const TSpellWordRange& word, int32_t value);
    void AfterInteractiveRun(bool hadSelection, const TTextRange& selection);
    bool IsTypingWord(const TSpellWordRange& word) const;
    void SetRunning(bool running);

    TDocument* FDocument = nullptr;
    uint8_t FMode = 0;
    TTextRange FPart{};
    TTextPosition FRangeEnd{};
    bool FStopped = false;
    bool FHasPrevious = false;
    TSpellWordRange FPrevious;
    std::string FPreviousText;
    std::vector<int32_t> FMissingLanguages;
};

TSpellCheckManager& GetSpellCheckManager();
// Null before the first use.
TSpellCheckManager* SpellCheckManagerIfAny();
void FreeSpellCheckManager();

// The frame's idle work for spelling as the user types: the next pieces of
// the document's background check. True while more remains to be checked.
bool SpellingIdleStep(TDocument* document);
