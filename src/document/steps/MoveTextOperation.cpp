#include "document/steps/MoveTextOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "platform/runtime/Exception.h"

TMoveTextOperation::TMoveTextOperation(TDocument* document, const TTextPosition& sourceStart,
                                       const TTextPosition& sourceEnd, const TTextPosition& target)
    : TSubOperation(document), FSourceStart(sourceStart), FSourceEnd(sourceEnd), FTarget(target)
{
}

TMoveTextOperation::~TMoveTextOperation()
{
    // The insertion goes first: it came after the deletion.
    FInsertion.reset();
    FDeletion.reset();
}

int64_t TMoveTextOperation::MemorySize() const
{
    int64_t size = sizeof(TMoveTextOperation);
    if (FDeletion)
        size += FDeletion->MemorySize();
    if (FInsertion)
        size += FInsertion->MemorySize();
    return size;
}

void TMoveTextOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    if (!FDeletion) {
        FirstMove(update);
        return;
    }
    // Back or forth: the two steps of the last move, in the right order, each
    // restoring its place exactly.
    TUpdateRange first;
    TUpdateRange second;
    if (FMoved) {
        FInsertion->Undo(first);
        try {
            FDeletion->Undo(second);
        } catch (...) {
            TUpdateRange ignored;
            FInsertion->Redo(ignored);
            throw;
        }
        FSourceStart = FDeletion->Start();
        FSourceEnd = FDeletion->End();
        FTarget = FInsertion->Start();
    } else {
        FDeletion->Redo(first);
        try {
            FInsertion->Redo(second);
        } catch (...) {
            TUpdateRange ignored;
            FDeletion->Undo(ignored);
            throw;
        }
        FSourceStart = FInsertion->Start();
        FSourceEnd = FInsertion->End();
        FTarget = FDeletion->Start();
    }
    FMoved = !FMoved;
    TOperationManager& manager = FDocument->UndoManager();
    manager.MergeUpdateRange(update, first);
    manager.MergeUpdateRange(update, second);
    FDocument->BeginChange(chfTextMoved);
    FDocument->EndChanges(1);
}

void TMoveTextOperation::FirstMove(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    if (CompareTextPos(FSourceEnd, FSourceStart) <= 0)
        throw EInternalError("Déplacement d'un bloc vide");
    if (CompareTextPos(FSourceStart, FTarget) < 0 && CompareTextPos(FTarget, FSourceEnd) < 0)
        throw EInternalError("Déplacement d'un bloc à l'intérieur de lui-même");

    // Where the target stands once the block is out.
    TTextPosition target = FTarget;
    if (CompareTextPos(FTarget, FSourceEnd) >= 0) {
        if (target.Paragraph == FSourceEnd.Paragraph)
            target.Offset = FSourceStart.Offset + (target.Offset - FSourceEnd.Offset);
        target.Paragraph -= FSourceEnd.Paragraph - FSourceStart.Paragraph;
    }

    // The block, starting in the format its first character has.
    TMemory fragment;
    {
        // The records before the first character give its format.
        TParagraph& paragraph = document.Paragraphs(FSourceStart.Paragraph);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
        TCharFormat startFormat = DefaultCharFormat();
        const int32_t firstByte = FSourceStart.Offset < paragraph.GetCharCount()
                                      ? paragraph.CharToByteOffset(FSourceStart.Offset)
                                      : paragraph.GetText().Size();
        for (TRecordCursor cursor(paragraph, firstByte); cursor.Next();) {
            if (IsFormatCode(cursor.Record().Code))
                startFormat[cursor.Record().Code] = cursor.Record().Argument;
        }
        TMemory text;
        CopyStoredText(document, FSourceStart, FSourceEnd, text);
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            AppendFormatCode(fragment, static_cast<uint16_t>(slot), startFormat[slot]);
        fragment.AppendMemory(text);
    }

    // Out of the old place. What it carries never leaves the document.
    const int32_t sourceStory = document.GetStoryOfParagraph(FSourceStart.Paragraph);
    auto deletion = TInsertDeleteOperation::CreateDeletion(&document, FSourceStart, FSourceEnd, sourceStory);
    deletion->OwnsRecords = 0;
    TUpdateRange first;
    document.BeginChange(chfMoveDeletion);
    try {
        deletion->Redo(first);
    } catch (...) {
        document.EndChanges(1);
        throw;
    }
    document.EndChanges(1);

    // Into the new one, the text after it keeping its format.
    std::unique_ptr<TInsertDeleteOperation> insertion;
    TUpdateRange second;
    document.BeginChange(chfReplacing);
    try {
        document.PrepareTypingFormat(target, 0);
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            AppendFormatCode(fragment, static_cast<uint16_t>(slot), document.FollowingFormat[slot]);
        insertion = TInsertDeleteOperation::CreateInsertion(&document, target,
                                                            document.GetStoryOfParagraph(target.Paragraph), fragment);
        insertion->OwnsRecords = 0;
        insertion->Redo(second);
    } catch (...) {
        document.EndChanges(1);
        TUpdateRange ignored;
        try {
            deletion->Undo(ignored);
        } catch (...) {
        }
        throw;
    }
    document.EndChanges(1);

    FSourceStart = insertion->Start();
    FSourceEnd = insertion->End();
    FTarget = deletion->Start();
    Anchor = insertion->Anchor;
    FDeletion = std::move(deletion);
    FInsertion = std::move(insertion);
    FMoved = true;
    TOperationManager& manager = document.UndoManager();
    manager.MergeUpdateRange(update, first);
    manager.MergeUpdateRange(update, second);
    document.BeginChange(chfTextMoved);
    document.EndChanges(1);
}
