#pragma once
// Field instructions: the keyword of a field followed by its arguments and
// switches, as in PAGEREF Intro \h. These pure routines turn instruction
// texts into values and back: a tokenizer, the readers of the HYPERLINK,
// PAGEREF, STYLEREF ("\l"), SYMBOL and TOC instructions and of the "\@" date
// picture and "\*" format switches, the writers of HYPERLINK, SYMBOL and TOC
// instructions, and the number formatter of page and note numbers.
//
// Instructions come from files as well as from the program, so every reader
// takes what it needs only when it is there: a switch counts only as a whole
// switch (an unquoted token such as \h, or \r2 where the switch carries its
// value), never as part of another word or of a quoted argument, and a switch
// that lacks its argument is not read past the end of the instruction.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;
class TStringList;

// Field types (the type byte of a TField): the field-type numbers of the Word
// binary format. The keyword of every number stands in FieldKeywords.
enum TFieldKind : uint8_t {
    fkStyleRef = 10,
    fkTOC = 13,
    fkTitle = 15,
    fkSubject = 16,
    fkAuthor = 17,
    fkKeywords = 18,
    fkComments = 19,
    fkLastSavedBy = 20,
    fkCreateDate = 21,
    fkSaveDate = 22,
    fkPrintDate = 23,
    fkNumPages = 26,
    fkNumWords = 27,
    fkNumChars = 28,
    fkFileName = 29,
    fkDate = 31,
    fkTime = 32,
    fkPage = 33,
    fkPageRef = 37,   // the character %
    fkSymbol = 57,
    fkSection = 65,
    fkSectionPages = 66,
    fkFileSize = 69,
    fkHyperlink = 88,  // the character X
    fkListNum = 90,
};
constexpr int32_t FieldKindCount = 92;

// What the table-of-contents builder and its dialog exchange; the first six
// values are those an instruction holds.
struct TTOCOptions {
    uint8_t ShowPageNumbers = 1;
    uint8_t RightAlignPageNumbers = 0;
    // Leader of the page number's tab stop (0-based); 255: the leader of the
    // tab stop already there.
    uint8_t TabLeader = 255;
    int32_t Levels = 3;  // 1 to 9
    uint8_t HasTitle = 0;
    std::string Title;
    std::string TemplateName;
    int32_t StyleSource = 0;
    // The document whose TOC styles are preferred (none: null).
    TDocument* StyleDocument = nullptr;
    uint8_t KeepInstruction = 0;
};

// One token of an instruction: quotes taken off, doubled backslashes made
// single. A quoted token is an argument even when it starts with a backslash.
struct TFieldToken {
    std::string Text;
    bool Quoted = false;
};
// Blanks outside quotes separate tokens; a quoted part is one token (a closing
// quote also ends its token), and a doubled quote inside it stands for one
// quote; a quote left open runs to the end. Empty tokens are dropped.
std::vector<TFieldToken> ScanFieldInstruction(const std::string& instruction);

// The tokens as a new string list (the caller owns it). Token 0 is the keyword.
std::unique_ptr<TStringList> TokenizeFieldInstruction(const std::string& instruction);

// HYPERLINK: the target ("#" and the bookmark after \l, appended to a file
// target) and the tool tip of \o. A switch without its argument is ignored.
// The writer doubles the quotes inside its arguments and the backslashes of
// a file target and of the tool tip, so that what it writes reads back.
void ParseHyperlinkField(const std::string& instruction, std::string& target, std::string& toolTip);
std::string BuildHyperlinkField(const std::string& target, const std::string& toolTip);

// TOC: the first six values of the options. An instruction whose \o, \r or \e
// switch lacks what it must carry reads as one without switches. The writer
// leaves out an empty title, which the reader could not take for one.
void ParseTOCField(const std::string& instruction, TTOCOptions& options);
std::string BuildTOCField(const TTOCOptions& options);

// The picture of the "\@" switch; empty without one.
std::string ParseDatePicture(const std::string& instruction);

// SYMBOL: the character code (63, "?", for an instruction without a blank,
// fontName then unchanged; 0 when no digits follow the keyword) and the font
// of \f (empty without one).
int32_t ParseSymbolField(const std::string& instruction, std::string& fontName);
std::string BuildSymbolField(int32_t code, const std::string& fontName);

// STYLEREF and table-of-contents links: whether \l is there, and the first
// other argument.
bool ParseLocalLinkField(const std::string& instruction, std::string& argument);

// PAGEREF: the \h and \p switches and the bookmark name.
void ParsePageRefField(const std::string& instruction, bool& hasH, bool& hasP, std::string& bookmark);

// The instruction holds the switch (a whole token, "\k", or a token that
// starts with it and carries its value, "\r2").
bool HasFieldSwitch(const std::string& instruction, const char* fieldSwitch);
// The arguments of every "\*" general format switch, in order.
std::vector<std::string> FieldFormatSwitches(const std::string& instruction);
// The number style that the "\*" switches name: 1 "alphabetic", 2
// "ALPHABETIC", 3 "roman", 4 "ROMAN" (searched in that order); -1 for none.
int32_t FieldNumberStyle(const std::string& instruction);

// Letters and roman numerals are cut to this many characters.
constexpr int32_t MaxNumberTextLength = 256;
// 0 decimal; 1 lower-case letters; 2 upper-case letters; 3 lower-case roman;
// 4 and above upper-case roman. Letters and roman numerals of 0 or less are empty.
std::string FormatNumberStyled(int32_t value, uint8_t style);
