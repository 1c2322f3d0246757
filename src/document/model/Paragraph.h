#pragma once
// TParagraph: the text of one paragraph in a compact 8-bit form in which
// formatting, fields, objects and special characters stand as inline records
// between the characters (foundation/InlineControl.h). Beside the text the
// paragraph keeps a buffer of exactly one byte per character (the plain
// characters), its paragraph format, the lines that layout built for it, a pool
// of the character formats in force at those lines' starts, and what the
// spelling checker has already checked. Character offsets everywhere in the
// document model count plain characters.
//
// Every change of the text goes through the routines below, which keep the two
// buffers in step and leave both as they were when they raise.
#include "document/model/ParLine.h"
#include "foundation/CharFormat.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TDocument;
class TField;

// A paragraph's layout state, taken out for undo and put back later.
struct TParagraphSaveState {
    std::vector<std::unique_ptr<TParLine>> Lines;
    TMemory Text;
    TMemory PlainChars;
    TMemory Pool;
    bool LaidOut = false;
    bool Normalized = false;
    bool Saved = false;  // holds a state that RestoreState can take back
};

struct TMisspelling {
    int32_t From = 0;
    int32_t To = 0;
    int32_t Value = 0;
};

class TParagraph {
public:
    explicit TParagraph(TDocument* document);
    ~TParagraph();
    TParagraph(const TParagraph&) = delete;
    TParagraph& operator=(const TParagraph&) = delete;

    // Set by the creator: the paragraph's own format and its index in the
    // document's paragraph list.
    TParFormat Format = DefaultParFormat();
    int32_t Index = 0;

    TDocument* GetDocument() const { return FDocument; }

    bool GetNormalizedFlag() const { return FNormalized; }
    void SetNormalizedFlag(bool normalized) { FNormalized = normalized; }
    bool GetLaidOutFlag() const { return FLaidOut; }
    void SetLaidOutFlag(bool laidOut) { FLaidOut = laidOut; }

    // The text: characters (bytes of 32 and above) and 8-byte records.
    const TMemory& GetText() const { return FText; }
    // One byte per character: the character itself, or the special-character
    // code a record of codes 22 to 25 stands for.
    const TMemory& GetPlainChars() const { return FPlainChars; }
    int32_t GetCharCount() const { return FPlainChars.Size(); }

    // Editing the text. Encoded text is text in the paragraph's own form; byte
    // offsets must lie between elements (never inside a record). Malformed text
    // or offsets raise EInternalError and change nothing. Adding or removing a
    // record clears the normalised flag.
    void AppendChars(std::string_view chars);
    void AppendControl(uint16_t code, int32_t argument);
    void InsertText(int32_t byteOffset, const void* encoded, int32_t count);
    void InsertChars(int32_t byteOffset, std::string_view chars);
    void InsertControl(int32_t byteOffset, uint16_t code, int32_t argument);
    // Removes count bytes at byteOffset (whole elements), appending them to
    // `removed` when given.
    void DeleteText(int32_t byteOffset, int32_t count, TMemory* removed = nullptr);
    // Replaces the whole text (a reader's finished buffer).
    void SetText(const void* encoded, int32_t count);
    // Exchanges the text, the plain characters and the normalised flag with
    // another paragraph (a scratch one that an edit built); never raises.
    // The lines stay: the caller lays the paragraph out again.
    void SwapText(TParagraph& other) noexcept;
    // The character offset of a byte offset between elements.
    int32_t ByteToCharOffset(int32_t byteOffset) const;

    // Drops the lines and the format pool; with relayout, normalises the
    // records when needed and lays the paragraph out again for the available
    // width in twips (less its right indent). The laid-out flag becomes
    // relayout.
    void Invalidate(bool relayout, int32_t widthTwips);
    int32_t GetLineCount() const { return static_cast<int32_t>(FLines.size()); }
    // Raises EListError for an index outside the line list.
    TParLine& GetLine(int32_t index) const;
    // Moves anchors ahead of the format records before them, removes redundant
    // format records and trailing ones; sets the normalised flag.
    void NormalizeControlCodes();
    // Rebuilds the lines from firstLine on at a width in layout units.
    void Reformat(int32_t firstLine, int32_t width);
    // The line that holds a character offset; -1 without lines.
    int32_t FindLineOfChar(int32_t charOffset, int32_t lowestLine, bool preferPrevious) const;
    // Byte offset of a character (the offset is clamped to the characters),
    // behind the zero-width records that precede it.
    int32_t CharToByteOffset(int32_t charOffset) const;
    // The byte just behind a character (the text's size past the last one).
    int32_t ByteAfterChar(int32_t charIndex) const;
    // Laid out, and the first line placed on a page.
    bool IsPaginated() const;
    // Renumbers the note references (range objects of kind 3 that belong to
    // a note record) from the start of the line on (from the start of the
    // text when the paragraph has no such line): each takes the next number
    // of the endnote counter when its note is an endnote, else of the
    // footnote counter, and that counter advances. The paragraphs of a note
    // whose number text changed lose their lines (they are laid out again
    // when next needed). True when a number text changed; the paragraph's
    // own lines are the caller's to rebuild.
    bool RenumberNotes(int32_t lineIndex, int32_t& footnotes, int32_t& endnotes);
    // The note references that RenumberNotes numbers whose start records lie
    // in the byte range [fromByte, toByte), in text order.
    std::vector<TField*> NoteReferencesIn(int32_t fromByte, int32_t toByte) const;

    // The character formats at line starts, as differences from the default
    // character format. AddFormatDiff returns the list's pool offset, or -1 when
    // the format is the default.
    int32_t AddFormatDiff(const TCharFormat& format);
    // Target := the default format with the list's entries (none for -1), its
    // size slot brought back from view units. Raises EInternalError for an
    // offset that is no list of the pool.
    void ExpandFormatDiff(TCharFormat& target, int32_t poolOffset);
    // Target := the default format with the format records before the first
    // character applied.
    void GetStartFormat(TCharFormat& target) const;
    // The section that the paragraph's closing section break names (trailing
    // anchors skipped), or NoObjectHandle.
    TObjectHandle GetSectionBreak() const;

    // Hands the line list, copies of both buffers and of the pool, and both
    // flags to the save record; the paragraph keeps its buffers and pool but no
    // lines, and is no longer laid out.
    void SaveState(TParagraphSaveState& state);
    // Takes everything back from the record, which is left empty.
    void RestoreState(TParagraphSaveState& state);

    // Spell checking. The spelling manager passes its generation stamp: a
    // checked range is valid only while the stamp is the one it was made with.
    void MarkSpellChecked(int32_t from, int32_t to, int32_t generation);
    void AddMisspelling(int32_t from, int32_t to, int32_t value);
    bool IsSpellChecked(int32_t from, int32_t to, int32_t generation) const;
    int32_t GetSpellGeneration() const { return FSpellGeneration; }
    // The checked range, first and last offset inclusive (last < first: none).
    int32_t GetCheckedFirst() const { return FCheckedFirst; }
    int32_t GetCheckedLast() const { return FCheckedLast; }
    int32_t GetMisspellingCount() const { return FMisspellingCount; }
    TMisspelling GetMisspelling(int32_t index) const;

private:
    void DeleteRecordAt(int32_t byteOffset);
    void RemoveLines(int32_t firstLine);
    TParagraphLayout& Layout();
    // What the spelling checker knew of the text is dropped, or, after a
    // change of from..to by delta characters, kept where the text is the same.
    void ForgetSpelling() noexcept;
    void ShiftSpelling(int32_t from, int32_t to, int32_t delta) noexcept;
    // After the text was exchanged: the marks follow the change from the old
    // characters to the new ones.
    void CarrySpelling(const TMemory& oldPlain) noexcept;

    bool FNormalized = false;
    bool FLaidOut = false;
    TDocument* FDocument;
    std::vector<std::unique_ptr<TParLine>> FLines;
    TMemory FText;
    TMemory FPlainChars;
    TMemory FPool;
    int32_t FSpellGeneration = NotSet;
    int32_t FCheckedFirst = 0;
    int32_t FCheckedLast = -1;
    std::unique_ptr<TMemory> FMisspellings;
    int32_t FMisspellingCount = 0;
};

// Walks the records of a paragraph's text in order:
//   for (TRecordCursor cursor(paragraph); cursor.Next();)
//       use(cursor.Record(), cursor.Chars());
// Chars() counts the characters before the current record (plain bytes and
// character records). The text must not change during the walk.
class TRecordCursor {
public:
    explicit TRecordCursor(const TParagraph& paragraph, int32_t byteLimit = -1);
    // Moves to the next record (below the byte limit, when one was given);
    // false when none is left.
    bool Next();
    const TInlineControl& Record() const { return FRecord; }
    int32_t Chars() const { return FChars; }
    int32_t Byte() const { return FPos; }

private:
    const uint8_t* FText;
    int32_t FSize;
    int32_t FPos = 0;
    int32_t FChars = 0;
    bool FStarted = false;
    TInlineControl FRecord;
};

// The plain-character run holds a column, line or page break (4, 5 or 6).
bool HasBreakChars(const void* chars, int32_t count);
// The run holds a tab (7).
bool HasTabChar(const void* chars, int32_t count);
