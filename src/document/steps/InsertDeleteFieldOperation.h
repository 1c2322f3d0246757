#pragma once
// TInsertDeleteFieldOperation: the anchors of one range object put into the
// text or taken out of it. A range object stands in the text between a start
// anchor (record code 26) and an end anchor (code 27); the step handles one of
// them or both, and with both it also adds the object to the document's
// range-object list or takes it out. It swaps: each application removes what
// is in the document and puts back what is not.
//
// An anchor's place is a paragraph, a character offset and its ordinal among
// the anchors that stand at that offset (between the character before it and
// the next one). Removing an anchor stores the number of anchors before it;
// putting it back steps over that many anchors first, so that its order among
// neighbouring anchors comes back exactly.
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"

#include <cstdint>
#include <memory>

class TField;

// Which anchors the step handles.
constexpr uint8_t idfStartAnchor = 1;
constexpr uint8_t idfEndAnchor = 2;
constexpr uint8_t idfBothAnchors = 3;  // and the object's place in the range-object list

class TInsertDeleteFieldOperation : public TSubOperation {
public:
    // inDocument: the anchors are in the text now, so that applying the step
    // removes them; otherwise applying it inserts them at the places given,
    // after stepping over `skip` anchors already standing there (0: before
    // all of them; SkipAllAnchors: after all of them).
    TInsertDeleteFieldOperation(TDocument* document, TField* field, bool inDocument, uint8_t kind);
    ~TInsertDeleteFieldOperation() override;

    void SetStart(int32_t paragraph, int32_t offset, int32_t skip);
    void SetEnd(int32_t paragraph, int32_t offset, int32_t skip);
    // A new object that is not in the document yet: the step keeps it until
    // its anchors go in (kind idfBothAnchors only).
    void Adopt(std::unique_ptr<TField> field);

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    TField* Field() const { return FField; }
    bool IsInDocument() const { return FInDocument; }
    uint8_t Kind() const { return FKind; }

private:
    struct TAnchorPlace {
        int32_t Paragraph = 0;
        int32_t Offset = 0;
        int32_t Ordinal = 0;
    };
    void Remove();
    void Insert();

    TField* FField;
    // The object while the step keeps it out of the document.
    std::unique_ptr<TField> FOwned;
    // Its place in the range-object list (-1: at the end).
    int32_t FListIndex = -1;
    bool FInDocument;
    uint8_t FKind;
    TAnchorPlace FStart;
    TAnchorPlace FEnd;
};
