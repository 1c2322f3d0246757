#pragma once
// The working state of one RTF read, shared by the group machine and the
// control-word effects (RtfReader.cpp) and the destination readers
// (RtfDestinations.cpp, RtfPictures.cpp). Only those files include it.
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/DocumentFile.h"
#include "formats/rtf/ControlWords.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TDocOLEObject;
class TDocPicture;

// Groups nest at most this deep; a text that nests deeper ends the read with
// the open-failure message instead of exhausting the stack.
constexpr int32_t RtfMaxGroupDepth = 400;

// What a group saves when it opens and gets back when it closes.
struct TRtfGroupState {
    TCharFormat CharFormat{};
    TParFormat ParFormat{};
    int32_t UnicodeSkip = 1;
    bool Discard = false;
    int32_t CharStyle = -1;
};

// One font of the file's font table.
struct TRtfFont {
    int32_t Number = 0;
    int32_t Index = 0;  // registered font
    uint8_t Pitch = 0;
    uint8_t Family = 0;
    int32_t Charset = NotSet;
    std::string Name;
};

// A character style of the style sheet (used only to suppress the Hyperlink
// style in tables of contents).
struct TRtfCharStyle {
    int32_t Number = 0;
    std::string Name;
    TCharFormat Format{};
};

// A bookmark or field whose start was read and whose end was not.
struct TRtfOpenRange {
    TField* Field = nullptr;
    TParagraph* Paragraph = nullptr;
};

class TRtfReader {
public:
    explicit TRtfReader(TDocLoadContext& context);
    ~TRtfReader();
    TRtfReader(const TRtfReader&) = delete;
    TRtfReader& operator=(const TRtfReader&) = delete;

    void Read();
    // Puts the paragraphs of notes, headers and footers into the document
    // and brings the range positions up to date; also after a failure.
    void Finish();

    // --- Buffer (RtfReader.cpp)
    void Refill() { FContext.RefillReadBuffer(); }
    bool AtEnd() const { return FContext.BufferPos >= FContext.BufferFill; }
    int32_t Available() const { return FContext.BufferFill - FContext.BufferPos; }
    const uint8_t* Here() const { return FContext.ReadBuffer + FContext.BufferPos; }
    const uint8_t* BufferEnd() const { return FContext.ReadBuffer + FContext.BufferFill; }
    uint8_t Peek(int32_t ahead = 0) const
    {
        return FContext.BufferPos + ahead < FContext.BufferFill ? FContext.ReadBuffer[FContext.BufferPos + ahead]
                                                                : 0;
    }
    void Skip(int32_t count) { FContext.BufferPos += count; }
    // A backslash and a letter at the position (offset bytes ahead).
    bool AtControlWord(int32_t offset = 0) const
    {
        return Available() >= offset + 2 && IsControlWordStart(Here() + offset);
    }
    // At an opening brace followed by \*.
    bool AtIgnorableGroup() const { return Available() >= 3 && IsIgnorableDestination(Here()); }
    // Decodes the run of \'hh groups at the position into FHexRun and moves
    // past it; the number of bytes (0: no group, nothing consumed).
    int32_t TakeHexRun();
    // At a backslash followed by a letter: scans the control word, moves past
    // it and returns its keyword index (-1 when unknown).
    int32_t TakeControlWord(TControlToken& token);
    // Skips the \bin data that follows a \binN word (count bytes).
    void SkipBinary(int64_t count);
    // The unknown word is \bin.
    static bool IsBinWord(const TControlToken& token);

    // --- Groups (RtfReader.cpp)
    void ReadGroup(bool push);
    // The group's content after its opening (brace and first word consumed),
    // through its closing brace.
    void ReadGroupContent(bool push);
    void PushState();
    void PopState();
    // Skips the rest of a group whose opening was consumed (depth 1), or the
    // group at the position when it is at its opening brace.
    void SkipRest();
    void SkipGroup();
    void EnterGroup();
    void LeaveGroup() { --FDepth; }
    // Reads the rest of a group whose opening was consumed, through its
    // closing brace (or to the end of the input). An inner group goes to
    // onGroup at its opening brace (which must consume it), each control
    // word to onWord once taken, and any other byte to onByte, which either
    // consumes it (and what follows it, if it likes) and returns true, or
    // returns false to have it passed over. A backslash that starts no
    // control word is passed over with the character it escapes.
    template <class OnGroup, class OnWord, class OnByte>
    void WalkGroup(OnGroup&& onGroup, OnWord&& onWord, OnByte&& onByte)
    {
        for (;;) {
            Refill();
            if (AtEnd())
                return;
            const uint8_t b = Peek();
            if (b == '}') {
                Skip(1);
                return;
            }
            if (b == '{') {
                onGroup();
                continue;
            }
            if (AtControlWord()) {
                TControlToken token;
                const int32_t index = TakeControlWord(token);
                onWord(index, token);
                continue;
            }
            if (b == '\\')
                Skip(std::min(2, Available()));
            else if (!onByte(b))
                Skip(1);
        }
    }
    template <class OnGroup, class OnWord>
    void WalkGroup(OnGroup&& onGroup, OnWord&& onWord)
    {
        WalkGroup(onGroup, onWord, [](uint8_t) { return false; });
    }
    // At an opening brace: reads the destination when this reader knows it,
    // else passes the group over.
    void ReadDestinationOrSkip();
    // Reading a story of its own (a header, footer or note): BeginStory
    // keeps the body's paragraph state and starts the story's first
    // paragraph; EndStory puts the body's state back.
    struct TSavedStory {
        TParagraph* Paragraph;
        TParagraph* Previous;
        TMemory Text;
        int32_t Chars;
        std::vector<std::unique_ptr<TParagraph>>* Story;
        TParagraph* PnTextParagraph;
    };
    TSavedStory BeginStory(std::vector<std::unique_ptr<TParagraph>>& story);
    void EndStory(TSavedStory& saved);
    // Drops the empty paragraph that a story's last paragraph end opened;
    // false when the last paragraph holds text (or is the only one).
    bool DropEmptyLastParagraph(std::vector<std::unique_ptr<TParagraph>>& story);
    // Appends the count raw bytes of \bin data that follow a \binN word.
    void TakeBinary(int64_t count, std::vector<uint8_t>& data);

    // --- Text (RtfReader.cpp)
    void AppendChars(const uint8_t* chars, int32_t count);
    void AppendByte(uint8_t b);
    void AppendSpecial(uint8_t kind);
    void AppendRecord(uint16_t code, int32_t argument);
    void AppendHexRun();
    void AppendDecodedByte(uint8_t b);
    void ReadUnicodeChar(int32_t code);
    // The byte of a Unicode character (the substitutes after it consumed);
    // converts the current font to the character's set when asked.
    uint8_t TakeUnicodeChar(int32_t code, bool switchFont);
    void EndParagraph(bool sectionBreak);
    void FlushTabs(TParFormat& format);
    // The current paragraph's text into its paragraph.
    void FlushText();
    TParagraph& NewParagraph(const TParFormat& format);
    // Byte offset of the last character of the current text; -1 when none.
    int32_t LastCharByte() const;

    // --- Control words (RtfReader.cpp)
    void ApplyControlWord(const TControlToken& token, int32_t index, TCharFormat& charFormat, TParFormat& parFormat);
    void SetChar(TCharFormat& format, int slot, int32_t value);
    void SetToggle(TCharFormat& format, int slot, int32_t value);
    bool SuppressedByHyperlinkStyle(int slot, int32_t value) const;
    int32_t ColorIndex(int32_t entry) const;
    int32_t FontOfNumber(int32_t number) const;
    TSection& LastSection() const;
    void ApplySectionOrDocumentWord(int32_t index, int32_t n, int32_t n1);
    // The document style's index of a file style number; 0 when none has it.
    int32_t FindStyleIndexOfNumber(int32_t number) const;
    void EndSection();

    // --- Destinations (RtfDestinations.cpp)
    static bool IsDestination(int32_t index);
    // At an opening brace: the destination keyword that opens the group, or
    // -1 (for {\* followed by an unknown word: -2).
    int32_t PeekDestination(TControlToken& token) const;
    void ReadDestination(int32_t index, const TControlToken& token);
    // The text of a group (reading stops before its closing brace).
    void ReadGroupText(std::string& text, char stop = 0);
    std::string ReadTextDestination();
    TDateTime ReadDate();
    void ReadInfo();
    void ReadFontTable();
    void ReadFontEntry(TRtfFont& font, bool braced);
    void ReadColorTable();
    void ReadStyleSheet();
    void ReadStyleEntry(TStyle& style, bool& charStyle, bool& sectionStyle, std::string& name, int depth);
    void ReadKeycode(TStyle& style);
    void ReadField();
    void ReadFieldInstruction();
    void ReadBookmarkStart();
    void ReadBookmarkEnd();
    void ReadHeaderFooter(int32_t kind);
    void ReadFootnote();
    void ReadPnText();
    void ReadUpr();
    void ReadObject();
    void ReadResult();
    // Hexadecimal data up to and including the closing brace.
    void ReadHexData(std::vector<uint8_t>& data);

    // --- Pictures (RtfPictures.cpp)
    void ReadPicture();
    void ReadPictureProperties(TDocPicture& picture);

    TDocLoadContext& FContext;
    TDocument& FDocument;

    TCharFormat FCharFormat{};
    int32_t FUnicodeSkip = 1;
    bool FDiscard = false;
    int32_t FCharStyle = -1;
    bool FToc = false;
    std::vector<TRtfGroupState> FStack;
    int32_t FDepth = 0;

    TTabTable FPendingTabs;
    uint8_t FTabKind = 0;
    uint8_t FTabLeader = 0;
    std::vector<TRtfFont> FFonts;
    std::vector<TDocColorEntry> FColors;
    std::vector<TRtfCharStyle> FCharStyles;
    int32_t FCellDefs = 0;
    int32_t FCells = 0;
    // Columns are numbered from 1; before any \colno the first column.
    int32_t FColumn = 1;
    bool FEndnote = false;
    bool FMac = false;
    // While the style sheet is read, control words go to the style.
    bool FStyleSheet = false;
    TField* FCurrentField = nullptr;
    std::vector<uint8_t> FHex;
    std::vector<uint8_t> FHexRun;
    int32_t FWidowDefault = 0;
    int32_t FIgnoreBookmarks = 0;
    std::set<std::string> FBookmarkNames;
    int32_t FZoom = 0;

    // The paragraph being filled: its object, its text so far (records and
    // characters) and its character count. Text goes into the paragraph when
    // it ends, so that appending stays cheap however long it grows.
    TParagraph* FParagraph = nullptr;
    TParagraph* FPrevious = nullptr;
    TMemory FText;
    int32_t FChars = 0;
    // Null: the body; else the story list being filled.
    std::vector<std::unique_ptr<TParagraph>>* FStory = nullptr;
    std::vector<std::unique_ptr<TParagraph>> FHeaderFooters;
    std::vector<std::unique_ptr<TParagraph>> FFootnotes;
    std::vector<std::unique_ptr<TParagraph>> FEndnotes;
    std::vector<TRtfOpenRange> FOpenRanges;
    // The text the last \pntext group added to the current paragraph
    // (byte offsets; start < 0: none), which \pnlvlblt takes away again.
    TParagraph* FPnTextParagraph = nullptr;
    int32_t FPnTextStart = -1;
    int32_t FPnTextEnd = -1;
    // The embedded object being read (destinations write into it).
    TDocOLEObject* FObject = nullptr;
    bool FFinished = false;
};
