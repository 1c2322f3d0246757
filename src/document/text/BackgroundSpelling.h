#pragma once
// What a document keeps for spelling as the user types: where the background
// checker goes on, whether it found misspellings or text without a spelling
// system, and the word being typed. The checking itself belongs to the
// spelling manager, which sits above the document model and installs itself
// here as the document's speller.
#include "document/text/TextAccess.h"

#include <cstdint>

class TDocument;

// Phases of the background check.
constexpr uint8_t bsNotRunning = 1;
constexpr uint8_t bsFinishedClean = 2;
constexpr uint8_t bsFinishedNoSystem = 3;
constexpr uint8_t bsFinishedMisspelled = 4;
constexpr uint8_t bsChecking = 5;

struct TBackgroundSpellState {
    // A new document is checked from its start.
    uint8_t Phase = bsChecking;
    int32_t NextParagraph = 0;
    int32_t NextOffset = 0;
    // Set by the background checker: it marked misspellings, and it met text
    // without a language or without a spelling system for its language.
    uint8_t HasMisspellings = 0;
    uint8_t HasTextWithoutSystem = 0;
    // 1 while a typed word waits to be checked.
    uint8_t WordPending = 0;
    TFoundWord PendingWord;
    uint32_t PendingSince = 0;
};

// The spelling manager as the document sees it.
class TDocumentSpeller {
public:
    virtual ~TDocumentSpeller() = default;
    // The option to check spelling as the user types.
    virtual bool CheckAsYouType() = 0;
    // The word at a position as spelling takes it (length 0: none).
    virtual void FindWordAt(TDocument& document, const TTextPosition& position, TFoundWord& word) = 0;
    // Checks a range quietly and marks its misspellings.
    virtual void CheckRange(TDocument& document, const TTextRange& range) = 0;
};

// The installed speller (null: none, nothing is checked); SetDocumentSpeller
// returns the previous one.
TDocumentSpeller* DocumentSpeller();
TDocumentSpeller* SetDocumentSpeller(TDocumentSpeller* speller);
