#pragma once
// Text access: what spelling, autocorrection, word selection, statistics and
// several commands read of the paragraphs' plain characters: the text of a
// run, the word at or around a position, a web address or file link under the
// caret, and the sentence around a position (the TDocument routines are
// declared with the document). Here: the result record of the word finders and
// the character classes they use beside the program-wide tables of
// foundation/TextTables.h (the word separators are DelimiterCharTable).
#include "document/model/TextPosition.h"
#include "foundation/InlineControl.h"
#include "foundation/TextTables.h"

#include <cstdint>
#include <string>

// A word found: where it starts and how many characters it has (0: nothing found).
struct TFoundWord {
    TTextPosition Position;
    int32_t Length = 0;
};

// Control bytes of a plain-text file that the text model gives no meaning
// (NUL, ESC and the like) are kept by the reader as special characters that
// take no room, so that the file saves back byte for byte and the user loses
// nothing. They are no part of the text: the routines that read words,
// sentences, links, statistics, search and spelling pass over them as if they
// were not there, so that "Bon<NUL>jour" is one word, "Bonjour".
constexpr bool IsKeptControlChar(uint8_t c)
{
    return c == scControlByte;
}

// The text of a run is cut to this many characters.
constexpr int32_t MaxTextRunLength = 1024;

// Characters that run together into one "word" of symbols ("...", "!!", "--",
// "**"): punctuation and symbols that are neither letters, digits nor blanks.
extern const TCharClassTable SymbolRunCharTable;
// Characters that end a run of symbols: blanks, quotes and brackets.
extern const TCharClassTable SymbolStopCharTable;
// What may follow a lone letter or number for it to stand for itself ("a)",
// "1.", "2:").
extern const TCharClassTable WordEndDelimiterCharTable;
// What may stand between the end of one sentence and the start of the next:
// blanks, quotes and brackets (and, for Spanish text, the opening marks).
extern const TCharClassTable SentenceGapCharTable;
// What may open a sentence before its first word: opening quotes and brackets.
extern const TCharClassTable SentenceOpeningCharTable;
// Trimmed off both ends of a file link found in the text.
extern const TCharClassTable LinkTrimCharTable;
// The characters of web addresses (letters, digits, # % & ' ( ) + , - . / : ;
// = ? @ \ _ ~ and the codes 128 to 255 except the quotation marks).
extern const TCharClassTable AddressCharTable;

// The character a plain character stands for in text handed out: itself for
// bytes 32 to 255, the dashes and the non-breaking space and hyphen as their
// 1252 characters; -1 for marks, tabs, breaks, objects and the optional hyphen,
// which make no letter of their own.
int TextCharOfPlain(uint8_t c);

// The text holds "." followed by two letters, or by a digit.
bool IsUrlLike(const std::string& text);
// The text names a file: after an optional "file:///", it has a drive or a
// root ("C:", "/", "\\\\server"), or a name with an extension of more than one
// character that the program opens (DocumentHost().IsDocumentExtension).
bool IsFileLinkText(const std::string& text);
