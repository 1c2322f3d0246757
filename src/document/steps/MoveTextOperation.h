#pragma once
// TMoveTextOperation: a block of text moved to another place. Applying it
// moves the block from where it stands to the other place; applying it again
// moves it back, so the same call undoes and redoes.
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/SubOperation.h"
#include "document/model/TextPosition.h"

#include <memory>

class TMoveTextOperation : public TSubOperation {
public:
    // The block from sourceStart to sourceEnd goes to target (a position
    // outside the block, in the document as it is before the move). The
    // callers give a range whose end lies before a paragraph's end or at the
    // start of a paragraph.
    TMoveTextOperation(TDocument* document, const TTextPosition& sourceStart, const TTextPosition& sourceEnd,
                       const TTextPosition& target);
    ~TMoveTextOperation() override;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

    // Where the block stands now, and where the next application takes it.
    const TTextPosition& SourceStart() const { return FSourceStart; }
    const TTextPosition& SourceEnd() const { return FSourceEnd; }
    const TTextPosition& Target() const { return FTarget; }
    // The anchor of the insertion step that performed the last move.
    int32_t Anchor = NotSet;

private:
    void FirstMove(TUpdateRange& update);

    TTextPosition FSourceStart;
    TTextPosition FSourceEnd;
    TTextPosition FTarget;
    // The block taken out of its old place and put into its new one, kept so
    // that moving back restores both places exactly.
    std::unique_ptr<TInsertDeleteOperation> FDeletion;
    std::unique_ptr<TInsertDeleteOperation> FInsertion;
    bool FMoved = false;
};
