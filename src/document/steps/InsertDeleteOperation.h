#pragma once
// TInsertDeleteOperation: a run of text, possibly spanning paragraphs, put
// into or taken out of a document. It swaps: each application takes the text
// out of the document when it is there and puts it back when it is not.
//
// Text out of the document is kept in the paragraph text encoding: characters
// and 8-byte inline records, the byte 29 between the texts of two paragraphs
// and, right after a 29, the byte 30 with the 64-byte paragraph format of the
// paragraph whose text just ended.
//
// The step keeps exactly what leaves the document: besides the characters, the
// format records and anchors between the character before the text and the
// first character of it, and those before the character that follows it. So
// every application restores the bytes of the paragraphs it touches exactly as
// they were, and the format of the text around the change never moves. The
// paragraphs it changes are left in their normalised form.
//
// Sections and range objects whose records leave the document with the text
// leave the document's lists with it and belong to the step until the text
// goes back.
#include "document/model/ObjectTable.h"
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"
#include "foundation/Memory.h"

#include <cstdint>
#include <memory>
#include <vector>

class TField;
class TSection;

// Flag bits of the step.
constexpr uint8_t idfInDocument = 1;  // the text is in the document: applying removes it
constexpr uint8_t idfSpace = 2;       // the text is one space character
constexpr uint8_t idfOneChar = 4;     // the text is exactly one character, within a paragraph

// The paragraph separator and the format block marker of stored text.
constexpr uint8_t StoredParagraphSeparator = 29;
constexpr uint8_t StoredParFormatMarker = 30;
constexpr int32_t StoredParFormatSize = 64;

class TInsertDeleteOperation : public TSubOperation {
public:
    // A step that inserts Text at Start (Insertion true; Text in the stored
    // encoding; the paragraph span is the number of separators in it), or one
    // that deletes the text from Start to End (Insertion false; End in the
    // same story; an end paragraph just past the story's last paragraph, at
    // offset 0, takes whole paragraphs up to the story's end, which needs a
    // start at offset 0). Story is the story of Start. Nothing changes until
    // the first application.
    static std::unique_ptr<TInsertDeleteOperation> CreateInsertion(TDocument* document, const TTextPosition& start,
                                                                   int32_t story, const TMemory& text);
    static std::unique_ptr<TInsertDeleteOperation> CreateDeletion(TDocument* document, const TTextPosition& start,
                                                                  const TTextPosition& end, int32_t story);
    ~TInsertDeleteOperation() override;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    // Bits idf*.
    uint8_t Flags() const { return FFlags; }
    bool IsInDocument() const { return (FFlags & idfInDocument) != 0; }
    int32_t Story() const { return FStory; }
    // Where the text stands while it is in the document (the end is the
    // position after it).
    const TTextPosition& Start() const { return FStart; }
    const TTextPosition& End() const { return FEnd; }
    int32_t CharCount() const { return FCharCount; }
    // Paragraph separators in the text: paragraphs it adds or removes.
    int32_t ParagraphSpan() const { return FSpan; }
    // The text while it is out of the document (empty before a deletion is
    // applied).
    const TMemory& StoredText() const { return FStored; }
    // Bytes held by the objects that the stored text carries.
    int64_t ExtraBytes() const { return FExtraBytes; }
    // Read by the move step to find this step after it has been made.
    int32_t Anchor = NotSet;
    // When set (the default), sections and range objects whose records come
    // and go with the text join and leave the document's lists with it; a move
    // clears it, since what it moves never leaves the document.
    uint8_t OwnsRecords = 1;
    // A section or range object that the text to insert carries and that is
    // not in the document yet (a new section of a section break): the step
    // keeps it until the text goes in.
    void AdoptSection(std::unique_ptr<TSection> section);
    void AdoptRangeObject(std::unique_ptr<TField> field);

private:
    TInsertDeleteOperation(TDocument* document, int32_t story);

    struct TSwapState;
    void Apply(TUpdateRange& update);
    void Commit(TSwapState& state);
    void Revert(TSwapState& state) noexcept;
    void AfterSwap(TSwapState& state, TUpdateRange& update);
    void MoveObjects(TSwapState& state);
    void ReturnObjects(TSwapState& state) noexcept;
    void TakeFields(const std::vector<TObjectHandle>& handles);
    void PutFields(const std::vector<TObjectHandle>& handles);

    int64_t FExtraBytes = 0;
    int32_t FStory;
    uint8_t FFlags = 0;
    TTextPosition FStart;
    TTextPosition FEnd;
    int32_t FCharCount = 0;
    int32_t FSpan = 0;
    TMemory FStored;
    // 1 until the first application: the stored text of an insertion goes in
    // after the records that stand before the character at the start.
    uint8_t FFirstInsertion = 0;
    // 1 until the first application of a deletion.
    uint8_t FFirstDeletion = 0;
    std::vector<std::unique_ptr<TSection>> FSections;
    // Range objects with the place they had in the document's list.
    struct TOwnedField {
        std::unique_ptr<TField> Field;
        int32_t Index;
    };
    std::vector<TOwnedField> FFields;
};

// The number of characters in encoded text (stored separators and format
// blocks skipped).
int32_t CountEncodedChars(const uint8_t* text, int32_t size);
// The text from start to end (positions of one story, start before end) in
// the stored encoding: from its first character to its last with the records
// between them, a separator and the paragraph's format after each paragraph
// end the text holds.
void CopyStoredText(TDocument& document, const TTextPosition& start, const TTextPosition& end, TMemory& out);
