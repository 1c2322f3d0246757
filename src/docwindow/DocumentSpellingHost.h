#pragma once
// What the document window's spelling menu asks of the spelling manager,
// which lies above it: whether background spelling shows its marks, the
// analysis of the word at the caret, and the actions of the menu's
// suggestion and language items. The shell installs its host with the
// spelling manager; without one no word is ever marked.
#include "document/model/TextPosition.h"

#include <cstdint>
#include <string>
#include <vector>

class TDocument;

// The spelling manager's finding for the word at the caret.
struct TSpellingFinding {
    TTextRange Range{};
    std::string Word;
    int32_t Language = 0;
    bool Misspelled = false;
    bool Doubled = false;
    bool NoSystem = false;
    std::vector<std::string> Suggestions;
    int32_t Length() const { return Range.End.Offset - Range.Start.Offset; }
};

class TDocumentSpellingHost {
public:
    virtual ~TDocumentSpellingHost() = default;
    // Checking as the user types and underlining the errors are both on.
    virtual bool BackgroundSpellingShown() { return false; }
    // The analysis of the word at the document's caret; false when there is
    // no word there.
    virtual bool CheckWordAtCaret(TDocument& /*document*/, TSpellingFinding& /*finding*/) { return false; }
    // The selection (the marked word) replaced by a suggestion.
    virtual void ReplaceWord(TDocument& /*document*/, const std::string& /*text*/) {}
    // The pair (word, suggestion) added to the autocorrection list of the
    // word's language.
    virtual void AddAutocorrection(int32_t /*language*/, const std::string& /*word*/, const std::string& /*text*/) {}
    // The selection (the marked word) takes the language.
    virtual void SetLanguage(TDocument& /*document*/, int32_t /*language*/) {}
    // Runs a command of the spelling menu (its items' tags).
    virtual void RunCommand(int32_t /*commandId*/) {}
};

// The installed host, or one that marks nothing when none is.
TDocumentSpellingHost& DocumentSpellingHost();
// Installs the host (nullptr removes it); returns the previous one.
TDocumentSpellingHost* SetDocumentSpellingHost(TDocumentSpellingHost* host);
