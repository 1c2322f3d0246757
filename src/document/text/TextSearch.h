#pragma once
// Searching the text of the story being edited: typed search texts compiled
// into patterns (caret codes for special characters and wildcards), the text
// a typed replacement inserts, and the search itself, forward or backward
// from a position, within one paragraph or across paragraph ends.
//
// A pattern is an 8-bit string: ordinary characters stand for themselves;
// the codes 2 to 15 are the special characters a paragraph's plain
// characters hold (paragraph mark, tab, ...), 16 to 18 are wildcards. A
// paragraph mark or section break in a pattern ends a part: a pattern with
// parts matches across paragraphs, each part ending exactly at one
// paragraph's end.
#include "document/model/TextPosition.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TDocument;
class TMemory;

// Search flags (FindTextFlags): the direction is forward exactly when
// ftUpward is clear.
constexpr uint8_t ftMatchCase = 1;
constexpr uint8_t ftWholeWords = 2;
constexpr uint8_t ftUpward = 4;

// Wildcards of a pattern.
constexpr uint8_t pcAnyChar = 16;
constexpr uint8_t pcAnyDigit = 17;
constexpr uint8_t pcAnyLetter = 18;

// One part of a pattern that holds paragraph marks or section breaks:
// offset and length in the pattern.
struct TSearchPart {
    int32_t Start = 0;
    int32_t Length = 0;
};

struct TSearchResult {
    uint8_t Found = 0;
    int32_t StartParagraph = 0;
    int32_t StartOffset = 0;
    int32_t EndParagraph = 0;
    int32_t EndOffset = 0;
};

// One caret code: "^" and the letter; the menu caption of the special
// character buttons; the pattern code (the "^" row stands for "^" itself);
// whether the replacement box offers it.
struct TSpecialSearchChar {
    char Letter;
    const char* Caption;
    uint8_t Code;
    bool ForReplacement;
};
constexpr int32_t SpecialSearchCharCount = 18;
extern const std::array<TSpecialSearchChar, SpecialSearchCharCount> SpecialSearchChars;

// The pattern of a typed text; parts receives its parts (empty when it holds
// no paragraph mark and no section break). A caret code the table does not
// know is dropped with its letter.
std::string CompileSearchPattern(const std::string& typed, std::vector<TSearchPart>& parts);
// The text a typed replacement inserts, in the external text form of the
// document's replace routine (paragraph marks as CR LF, tabs, line breaks as
// 0x0B, ...); codes that cannot be inserted (section break, picture, object,
// wildcards) are dropped.
std::string SearchPatternToText(const std::string& typed);

// The search of one pattern over the edit range of a document (the body, or
// the header or footer being edited).
class TTextSearcher {
public:
    TTextSearcher(TDocument& document, std::string pattern, std::vector<TSearchPart> parts, uint8_t flags);

    // One pattern character against one text character.
    bool MatchChar(uint8_t pattern, uint8_t text) const;
    // From a position: forward, the first match starting at or after it;
    // backward, the first match starting at or before it. With progress, the
    // document host's progress display is told the paragraphs passed
    // (total is the caller's).
    TSearchResult Search(int32_t paragraph, int32_t offset, bool showProgress) const;

private:
    struct TRun {
        bool Matched = false;
        int32_t Consumed = 0;
    };
    TRun MatchForward(const uint8_t* piece, int32_t pieceLength, const uint8_t* text, int32_t available) const;
    // Matches the piece so that it ends just before textEnd.
    TRun MatchBackward(const uint8_t* piece, int32_t pieceLength, const uint8_t* textEnd, int32_t available) const;
    bool FindInParagraph(int32_t paragraph, int32_t offset, TSearchResult& result) const;
    bool FindParts(int32_t paragraph, int32_t startOffset, TSearchResult& result) const;
    bool IsDelimiter(uint8_t ch) const;

    TDocument& FDocument;
    std::string FPattern;
    std::vector<TSearchPart> FParts;
    uint8_t FFlags;
    mutable int32_t FFirst = 0;
    mutable int32_t FLast = 0;
    std::array<uint8_t, 256> FUpper{};
    std::array<bool, 256> FAlpha{};
};

// The undo name of a replace all ("la commande Tout remplacer").
constexpr uint8_t okReplaceAll = 23;

// One pass of a replace all: each match from `next` on (forward), or before
// it (backward, where `next` is the start of the last replacement), is made
// the selection and replaced by the text (the external text form of
// TDocument::ReplaceText), all in one recorded operation of kind 23; the
// search goes on after each inserted text, so a pass never replaces inside
// its own replacements. A match at the story's final paragraph mark counts as
// none. `origin` is a position that moves with the replacements before it;
// with `bounded`, the pass stops there (forward: a match must end before it;
// backward: start at or after it). With `joinPrevious` the operation goes back
// with the one before it on undo. Returns the number of replacements; `next`
// is where the following pass would go on.
int32_t ReplaceAllPass(TDocument& document, const TTextSearcher& searcher, const TMemory& text, bool forward,
                       bool showProgress, bool bounded, bool joinPrevious, TTextPosition& next,
                       TTextPosition& origin);
