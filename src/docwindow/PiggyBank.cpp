#include "docwindow/PiggyBank.h"

#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"

#include <string>

namespace {

constexpr uint8_t okClearNoteSpike = 20;
constexpr uint8_t okAddToNoteSpike = 15;

// A hidden copy of a range of a document, through the native format; null
// when it cannot be written or read.
std::unique_ptr<TDocument> CopyOfRange(TDocument& document, const TTextRange& range, int32_t& paragraphs)
{
    TMemory rtf;
    try {
        if (!DocumentFiler().WriteRange(document, range, 0, rtf))
            return nullptr;
    } catch (const EAbort&) {
        return nullptr;
    }
    auto copy = std::make_unique<TDocument>(true);
    int32_t coding = 0;
    const std::string bytes(reinterpret_cast<const char*>(rtf.Data()), static_cast<size_t>(rtf.Size()));
    if (!DocumentFiler().Load(*copy, bytes, true, coding, paragraphs))
        return nullptr;
    copy->Format = coding;
    return copy;
}

}  // namespace

TPiggyBank::TPiggyBank()
{
    CreateDocument();
}

TPiggyBank::~TPiggyBank() = default;

void TPiggyBank::CreateDocument()
{
    FDocument.reset();
    // A document without a window whose edits are kept for undo all the same.
    auto document = std::make_unique<TDocument>(true);
    document->NoUndo = 0;
    bool freeAfter = false;
    if (TDocument* model = DocumentHost().GetTemplateDocument(0, std::string(), freeAfter)) {
        if (model->SectionCount() > 0 && document->SectionCount() > 0)
            document->Sections(0).PageParams = model->Sections(0).PageParams;
        if (freeAfter)
            DocumentHost().ReleaseTemplateDocument(model);
    }
    document->InitNewDocument();
    document->Properties.Title = "Pique-notes";
    document->IsNoteSpike = 1;
    FDocument = std::move(document);
}

bool TPiggyBank::IsEmpty() const
{
    return FDocument->StoryCount(stBody) == 1 && FDocument->Paragraphs(0).GetCharCount() <= 1;
}

void TPiggyBank::Clear()
{
    if (IsEmpty())
        return;
    TDocument& document = *FDocument;
    try {
        document.ExecuteEdit(okClearNoteSpike, [&](TOperation* op, TUpdateRange& update) {
            const int32_t last = document.StoryLast(stBody);
            document.DeleteRange({0, 0}, {last, document.Paragraphs(last).GetCharCount() - 1}, update, op, 0);
        });
    } catch (...) {
        CreateDocument();
        throw;
    }
    document.SetModified(true);
}

bool TPiggyBank::AddSelection(TDocument& source, const TTextRange& range)
{
    // 1. and 2. The range as a document of its own.
    int32_t count = 0;
    std::unique_ptr<TDocument> copy = CopyOfRange(source, range, count);
    if (!copy)
        return false;

    // 3. to 7. One step on the note spike. When it fails the dispatcher takes
    // back what it did: what was collected before stays.
    TDocument& document = *FDocument;
    if (document.EditedHeaderFooter)
        document.ToggleHeaderFooterEditing(false, -1, nullptr);
    document.ExecuteEdit(okAddToNoteSpike, [&](TOperation* op, TUpdateRange& update) {
        TMemory buffer;
        try {
            TUpdateRange local;
            document.InsertDocument(*copy, count, local, op, buffer);
            document.UndoManager().MergeUpdateRange(update, local);
            if (document.Caret.Offset > 0) {
                TMemory mark;
                mark.AppendByte(13);
                document.PrepareTypingFormat({document.Caret.Paragraph, document.Caret.Offset}, 1);
                local.Reset();
                document.InsertPlainTextAt(mark, {document.Caret.Paragraph, document.Caret.Offset}, local, op, 0);
                document.UndoManager().MergeUpdateRange(update, local);
            }
            const int32_t last = document.StoryLast(stBody);
            document.GoToPosition(last, document.Paragraphs(last).GetCharCount() - 1);
            document.PrepareTypingFormat({document.Caret.Paragraph, document.Caret.Offset}, 1);
            if (buffer.Size() > 0) {
                local.Reset();
                const TEditFlags flags = DocumentHost().SpaceAdjustment() ? efAdjustSpaces : 0;
                document.InsertFragmentAt(buffer, {document.Caret.Paragraph, document.Caret.Offset}, local, op, flags,
                                          stBody, count);
                document.UndoManager().MergeUpdateRange(update, local);
            }
        } catch (...) {
            document.DropCarriedObjects();
            throw;
        }
        document.DropCarriedObjects();
    });
    document.SetModified(true);
    return true;
}

bool TPiggyBank::MakeInsertion(TDocument& target, TMemory& buffer, int32_t& paragraphs, TUpdateRange& update,
                               TOperation* op)
{
    if (IsEmpty())
        return false;
    TDocument& document = *FDocument;
    const int32_t last = document.StoryLast(stBody);
    TTextRange body;
    MakeTextPos(0, 0, body.Start);
    MakeTextPos(last, document.Paragraphs(last).GetCharCount() - 1, body.End);
    std::unique_ptr<TDocument> copy = CopyOfRange(document, body, paragraphs);
    if (!copy)
        return false;
    TUpdateRange local;
    target.InsertDocument(*copy, paragraphs, local, op, buffer);
    target.UndoManager().MergeUpdateRange(update, local);
    return true;
}
