#include "document/steps/InsertDeleteFieldOperation.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void RaiseBadAnchor(const char* what)
{
    throw EInternalError(std::string("Ancre d'objet de plage introuvable : ") + what);
}

// The bytes of the records that stand at a character offset: between the
// character before it and the character at it.
void GapAt(const TParagraph& paragraph, int32_t offset, int32_t& from, int32_t& to)
{
    const int32_t count = paragraph.GetCharCount();
    from = offset > 0 ? paragraph.ByteAfterChar(offset - 1) : 0;
    to = offset < count ? paragraph.CharToByteOffset(offset) : paragraph.GetText().Size();
}

struct TFound {
    int32_t Paragraph = -1;
    int32_t Offset = 0;
    int32_t Byte = 0;
    int32_t Ordinal = 0;
};

// Looks for the anchor within the records at one offset of a paragraph.
bool FindInGap(const TParagraph& paragraph, int32_t offset, uint16_t code, TObjectHandle handle, TFound& found)
{
    int32_t from = 0;
    int32_t to = 0;
    GapAt(paragraph, offset, from, to);
    const uint8_t* p = paragraph.GetText().Data();
    int32_t anchors = 0;
    for (int32_t pos = from; pos < to; pos += InlineControlSize) {
        const uint16_t c = InlineControlCodeAt(p, pos);
        if (!IsAnchorCode(c))
            continue;
        if (c == code && ReadInlineControl(p + pos).Argument == handle) {
            found = {paragraph.Index, offset, pos, anchors};
            return true;
        }
        ++anchors;
    }
    return false;
}

// The anchor where the step says, or else wherever it stands in the text.
bool LocateAnchor(TDocument& document, int32_t paragraph, int32_t offset, uint16_t code, TObjectHandle handle,
                  TFound& found)
{
    if (paragraph >= 0 && paragraph < document.ParagraphCount()) {
        TParagraph& hinted = document.Paragraphs(paragraph);
        if (offset >= 0 && offset <= hinted.GetCharCount() && FindInGap(hinted, offset, code, handle, found))
            return true;
    }
    for (int32_t index = 0; index < document.ParagraphCount(); ++index) {
        const TParagraph& candidate = document.Paragraphs(index);
        for (TRecordCursor cursor(candidate); cursor.Next();) {
            if (cursor.Record().Code == code && cursor.Record().Argument == handle)
                return FindInGap(candidate, cursor.Chars(), code, handle, found);
        }
    }
    return false;
}

void PrepareParagraph(TDocument& document, int32_t index)
{
    if (index < 0 || index >= document.ParagraphCount())
        return;
    TParagraph& paragraph = document.Paragraphs(index);
    if (!paragraph.GetNormalizedFlag())
        paragraph.NormalizeControlCodes();
}

}  // namespace

TInsertDeleteFieldOperation::TInsertDeleteFieldOperation(TDocument* document, TField* field, bool inDocument,
                                                         uint8_t kind)
    : TSubOperation(document), FField(field), FInDocument(inDocument), FKind(kind & idfBothAnchors)
{
    if (!field || FKind == 0)
        throw EInternalError("Étape d'ancre sans objet de plage");
}

TInsertDeleteFieldOperation::~TInsertDeleteFieldOperation()
{
    if (FOwned && !FDocument->IsDestroying())
        FDocument->ForgetRangeObject(FOwned.get());
}

void TInsertDeleteFieldOperation::SetStart(int32_t paragraph, int32_t offset, int32_t skip)
{
    FStart = {paragraph, offset, skip};
}

void TInsertDeleteFieldOperation::SetEnd(int32_t paragraph, int32_t offset, int32_t skip)
{
    FEnd = {paragraph, offset, skip};
}

void TInsertDeleteFieldOperation::Adopt(std::unique_ptr<TField> field)
{
    if (!field || field.get() != FField || FKind != idfBothAnchors || FInDocument)
        throw EInternalError("Objet de plage étranger à l'étape");
    FOwned = std::move(field);
    FListIndex = -1;
}

int64_t TInsertDeleteFieldOperation::MemorySize() const
{
    int64_t size = sizeof(TInsertDeleteFieldOperation);
    if (FOwned)
        size += static_cast<int64_t>(sizeof(TField) + FOwned->Instruction.capacity() + FOwned->Result.capacity());
    return size;
}

void TInsertDeleteFieldOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    if (FInDocument)
        Remove();
    else
        Insert();
    FInDocument = !FInDocument;

    // The paragraphs whose records changed are laid out again.
    TOperationManager& manager = document.UndoManager();
    const int32_t first = (FKind & idfStartAnchor) ? FStart.Paragraph : FEnd.Paragraph;
    const int32_t last = (FKind & idfEndAnchor) ? FEnd.Paragraph : FStart.Paragraph;
    const int32_t from = std::max(std::min(first, last), 0);
    if (from < document.ParagraphCount())
        manager.GetRelayoutStart(update, from);
    for (int32_t index : {first, last}) {
        if (index < 0 || index >= document.ParagraphCount())
            continue;
        document.Paragraphs(index).Invalidate(false, 0);
        document.ReformatingManager().AddParagraph(index);
    }
    document.RelayoutPending = 1;
    document.BookmarkListDirty = 1;
    // Anchors take no room: only the object's own ends have moved.
    if (FInDocument) {
        if (FKind & idfStartAnchor)
            MakeTextPos(FStart.Paragraph, FStart.Offset, FField->Range.Start);
        if (FKind & idfEndAnchor)
            MakeTextPos(FEnd.Paragraph, FEnd.Offset, FField->Range.End);
    }
}

void TInsertDeleteFieldOperation::Remove()
{
    TDocument& document = *FDocument;
    const TObjectHandle handle = FField->Handle();
    PrepareParagraph(document, FStart.Paragraph);
    PrepareParagraph(document, FEnd.Paragraph);

    // The end first, then the start: putting them back in the other order
    // finds the same neighbours.
    TFound end;
    TFound start;
    if ((FKind & idfEndAnchor) && !LocateAnchor(document, FEnd.Paragraph, FEnd.Offset, icRangeEnd, handle, end))
        RaiseBadAnchor("fin");
    if ((FKind & idfStartAnchor) &&
        !LocateAnchor(document, FStart.Paragraph, FStart.Offset, icRangeStart, handle, start))
        RaiseBadAnchor("début");
    if (FKind & idfEndAnchor) {
        PrepareParagraph(document, end.Paragraph);
        if (!LocateAnchor(document, end.Paragraph, end.Offset, icRangeEnd, handle, end))
            RaiseBadAnchor("fin");
        document.Paragraphs(end.Paragraph).DeleteText(end.Byte, InlineControlSize);
    }
    if (FKind & idfStartAnchor) {
        try {
            PrepareParagraph(document, start.Paragraph);
            if (!LocateAnchor(document, start.Paragraph, start.Offset, icRangeStart, handle, start))
                RaiseBadAnchor("début");
            document.Paragraphs(start.Paragraph).DeleteText(start.Byte, InlineControlSize);
        } catch (...) {
            if (FKind & idfEndAnchor)
                document.Paragraphs(end.Paragraph).InsertControl(end.Byte, icRangeEnd, handle);
            throw;
        }
    }
    if (FKind & idfEndAnchor)
        FEnd = {end.Paragraph, end.Offset, end.Ordinal};
    if (FKind & idfStartAnchor)
        FStart = {start.Paragraph, start.Offset, start.Ordinal};
    if (FKind == idfBothAnchors) {
        int32_t index = -1;
        std::unique_ptr<TField> taken = document.TakeRangeObject(FField, &index);
        if (taken) {
            FOwned = std::move(taken);
            FListIndex = index;
        }
    }
}

void TInsertDeleteFieldOperation::Insert()
{
    TDocument& document = *FDocument;
    const TObjectHandle handle = FField->Handle();
    auto check = [&document](const TAnchorPlace& place) {
        if (place.Paragraph < 0 || place.Paragraph >= document.ParagraphCount() || place.Offset < 0 ||
            place.Offset > document.Paragraphs(place.Paragraph).GetCharCount())
            throw EInternalError("Place d'ancre hors du texte");
    };
    if (FKind & idfStartAnchor)
        check(FStart);
    if (FKind & idfEndAnchor)
        check(FEnd);
    if (FKind == idfBothAnchors && FOwned)
        document.ReserveRangeObjects(1);

    // Where an anchor goes: behind `ordinal` anchors of those at the offset,
    // ahead of the format records there (anchors come first in a paragraph's
    // normal form).
    auto insert = [&document, handle](TAnchorPlace& place, uint16_t code) -> int32_t {
        PrepareParagraph(document, place.Paragraph);
        TParagraph& paragraph = document.Paragraphs(place.Paragraph);
        int32_t from = 0;
        int32_t to = 0;
        GapAt(paragraph, place.Offset, from, to);
        const uint8_t* p = paragraph.GetText().Data();
        int32_t pos = from;
        int32_t skipped = 0;
        while (pos < to && IsAnchorCode(InlineControlCodeAt(p, pos)) && skipped < place.Ordinal) {
            pos += InlineControlSize;
            ++skipped;
        }
        paragraph.InsertControl(pos, code, handle);
        place.Ordinal = skipped;
        return pos;
    };
    int32_t startByte = -1;
    if (FKind & idfStartAnchor)
        startByte = insert(FStart, icRangeStart);
    if (FKind & idfEndAnchor) {
        try {
            insert(FEnd, icRangeEnd);
        } catch (...) {
            if (startByte >= 0)
                document.Paragraphs(FStart.Paragraph).DeleteText(startByte, InlineControlSize);
            throw;
        }
    }
    if (FKind == idfBothAnchors && FOwned) {
        document.PutRangeObject(std::move(FOwned), FListIndex);
        FOwned.reset();
    }
}
