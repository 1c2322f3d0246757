#pragma once
// TFormatTextOperation: character attributes given to a range of text. The
// first application writes, at the start of each paragraph's part of the
// range, a format record for every attribute that changes, takes out the
// records of those attributes inside the part, and, where the part ends
// before its paragraph does, writes records that give the text after the
// range the values it had. The paragraphs are left in their normal form.
//
// The step keeps the texts of the paragraphs it changed as they were; every
// later application exchanges them with the paragraphs' texts, so that undo
// and redo restore each paragraph byte for byte.
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"
#include "foundation/CharFormat.h"

#include <memory>
#include <vector>

class TParagraph;

// Attributes whose change alters the height of lines.
bool CharSlotChangesLineHeight(int slot);

class TFormatTextOperation : public TSubOperation {
public:
    // The range and the new values (NotSet: the attribute does not change).
    TFormatTextOperation(TDocument* document, const TTextRange& range, const TCharFormat& values);
    ~TFormatTextOperation() override;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;
    // The first call applies the change forwards; later ones exchange.
    void Redo(TUpdateRange& update) override;

    const TTextRange& Range() const { return FRange; }
    const TCharFormat& NewValues() const { return FNew; }
    // The value of each changed attribute in force at the end of the range
    // before the change (NotSet for the others).
    const TCharFormat& EndValues() const { return FEndValues; }

private:
    void Forward(TUpdateRange& update);
    void Exchange(TUpdateRange& update);
    void AfterChange(TUpdateRange& update);

    struct TEntry {
        int32_t Paragraph;
        // Holds the paragraph's other text: the text before the change while
        // it is applied, the text after it while it is undone.
        std::unique_ptr<TParagraph> Other;
    };
    TTextRange FRange;
    TCharFormat FNew;
    TCharFormat FEndValues;
    bool FApplied = false;
    std::vector<TEntry> FEntries;
};
