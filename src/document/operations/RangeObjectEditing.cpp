// TDocument: range objects (fields, bookmarks, hyperlinks, notes, headers and
// footers) in edits. The undoable steps that put one anchor or both into the
// text or take them out, or change a field's instruction; and the two phases
// around every deletion or replacement of a range: the anchors inside the
// range are detached before its text goes, and those of objects that cross its
// edges are put back afterwards.
#include "document/model/Document.h"

#include "document/steps/EditFieldOperation.h"
#include "document/fields/Field.h"
#include "document/steps/InsertDeleteFieldOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {


bool SamePlace(int32_t paragraph, int32_t offset, const TTextPosition& position)
{
    return paragraph == position.Paragraph && offset == position.Offset;
}

}  // namespace

void TDocument::InsertRangeObject(std::unique_ptr<TField> object, const TTextPosition& start,
                                  const TTextPosition& end, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!object || object->GetDocument() != this)
        throw EInternalError("Objet de plage étranger au document");
    TField* field = object.get();
    auto step = std::make_unique<TInsertDeleteFieldOperation>(this, field, false, idfBothAnchors);
    step->SetStart(start.Paragraph, start.Offset, SkipNoAnchor);
    step->SetEnd(end.Paragraph, end.Offset, SkipAllAnchors);
    step->Adopt(std::move(object));
    ApplyStep(*this, std::move(step), update, op);
}

void TDocument::RemoveRangeObject(TField* object, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!object)
        return;
    auto step = std::make_unique<TInsertDeleteFieldOperation>(this, object, true, idfBothAnchors);
    step->SetStart(object->Range.Start.Paragraph, object->Range.Start.Offset, 0);
    step->SetEnd(object->Range.End.Paragraph, object->Range.End.Offset, 0);
    ApplyStep(*this, std::move(step), update, op);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::ToggleSingleAnchor(int32_t paragraph, int32_t offset, TField* object, uint8_t anchor, bool remove,
                                   int32_t skip, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const uint8_t kind = anchor == anchorStart ? idfStartAnchor : idfEndAnchor;
    auto step = std::make_unique<TInsertDeleteFieldOperation>(this, object, remove, kind);
    if (kind == idfStartAnchor)
        step->SetStart(paragraph, offset, skip);
    else
        step->SetEnd(paragraph, offset, skip);
    ApplyStep(*this, std::move(step), update, op);
}

void TDocument::ChangeFieldInstruction(TField* object, const std::string& instruction, TUpdateRange& update,
                                       TOperation* op)
{
    update.Reset();
    if (!object)
        return;
    ApplyStep(*this, std::make_unique<TEditFieldOperation>(this, object, instruction), update, op);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

// ---------------------------------------------------------------------------
// The two phases around a deletion

void TDocument::DetachAnchors(const TTextPosition& start, const TTextPosition& endPosition, bool filter,
                              TUpdateRange& update, TOperation* op)
{
    update.Reset();
    FDetachedAnchors.emplace_back();
    if (FRangeObjects.empty())
        return;
    try {
        CollectDetachedAnchors(start, endPosition, filter, update, op);
    } catch (...) {
        FDetachedAnchors.pop_back();
        throw;
    }
}

void TDocument::CollectDetachedAnchors(const TTextPosition& start, const TTextPosition& endPosition, bool filter,
                                       TUpdateRange& update, TOperation* op)
{
    std::vector<TDetachedAnchor>& list = FDetachedAnchors.back();

    // An end behind a paragraph's mark is the next paragraph's start.
    TTextPosition end = endPosition;
    if (end.Paragraph >= 0 && end.Paragraph < ParagraphCount() - 1 &&
        end.Offset == Paragraphs(end.Paragraph).GetCharCount())
        MakeTextPos(end.Paragraph + 1, 0, end);

    // 1. The anchors from those at the start up to those at the end, in text
    // order.
    // The scan stays within the story of the start.
    const int32_t first = std::clamp(start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t storyLast = StoryLast(GetStoryOfParagraph(first));
    const int32_t last = std::min(end.Paragraph, storyLast);
    for (int32_t index = first; index <= last; ++index) {
        const TParagraph& paragraph = Paragraphs(index);
        const int32_t from = index == start.Paragraph ? start.Offset : 0;
        const bool lastParagraph = index == end.Paragraph;
        for (TRecordCursor cursor(paragraph); cursor.Next();) {
            const int32_t chars = cursor.Chars();
            if (lastParagraph && chars > end.Offset)
                break;
            const TInlineControl& record = cursor.Record();
            if (!IsAnchorCode(record.Code) || chars < from)
                continue;
            TField* object = FObjects.GetField(record.Argument);
            if (!object)
                continue;
            const uint8_t which = record.Code == icRangeStart ? anchorStart : anchorEnd;
            if (filter) {
                if (which == anchorStart) {
                    if (object->Kind == rkReserved2 || object->Kind == rkHeaderFooter)
                        continue;
                    if (object->Kind == rkBookmark && !IncludeBookmarks)
                        continue;
                } else {
                    const bool startTaken = std::any_of(list.begin(), list.end(), [object](const TDetachedAnchor& e) {
                        return e.Object == object && e.Anchor == anchorStart;
                    });
                    if (object->Kind != rkBookmark || !IncludeBookmarks || !startTaken)
                        continue;
                }
            }
            list.push_back({object, which, index, chars});
        }
    }

    // 2. Objects wholly inside the range go, undoably; those that cross its
    // edges keep their entries.
    for (size_t i = 0; i < list.size();) {
        const TDetachedAnchor entry = list[i];
        if (entry.Anchor != anchorStart) {
            ++i;
            continue;
        }
        size_t match = i + 1;
        while (match < list.size() && !(list[match].Object == entry.Object && list[match].Anchor == anchorEnd))
            ++match;
        const bool found = match < list.size();
        if (SamePlace(entry.Paragraph, entry.Offset, end) || !found) {
            // An object that starts where the range ends, or whose end lies
            // beyond it.
            ++i;
            continue;
        }
        const TDetachedAnchor endEntry = list[match];
        if (MoveMode) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(match));
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (KeepSpanningObject && SamePlace(entry.Paragraph, entry.Offset, start) &&
            SamePlace(endEntry.Paragraph, endEntry.Offset, end)) {
            ++i;
            continue;
        }
        auto step = std::make_unique<TInsertDeleteFieldOperation>(this, entry.Object, true, idfBothAnchors);
        step->SetStart(entry.Paragraph, entry.Offset, 0);
        step->SetEnd(endEntry.Paragraph, endEntry.Offset, 0);
        TUpdateRange local;
        ApplyStep(*this, std::move(step), local, op);
        FUndoManager->MergeUpdateRange(update, local);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(match));
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }

    // 3. The anchors left are taken out of the text, the last first.
    for (size_t i = list.size(); i-- > 0;) {
        const TDetachedAnchor& entry = list[i];
        TUpdateRange local;
        ToggleSingleAnchor(entry.Paragraph, entry.Offset, entry.Object, entry.Anchor, true, SkipAllAnchors, local,
                           op);
        FUndoManager->MergeUpdateRange(update, local);
    }
}

void TDocument::ReattachAnchors(const TTextPosition& start, const TTextPosition& collapsed, TUpdateRange& update,
                                TOperation* op)
{
    update.Reset();
    if (FDetachedAnchors.empty())
        return;
    std::vector<TDetachedAnchor> list = std::move(FDetachedAnchors.back());
    FDetachedAnchors.pop_back();
    for (const TDetachedAnchor& entry : list) {
        TTextPosition place = SamePlace(entry.Paragraph, entry.Offset, start) ? start : collapsed;
        const int32_t story = GetStoryOfParagraph(place.Paragraph);
        if (entry.Anchor == anchorEnd && place.Offset == 0 && story != NoStory &&
            place.Paragraph > StoryFirst(story)) {
            // An end does not open the next paragraph: it closes the one before,
            // except for an object that starts in this paragraph (at its very
            // start, then), whose end would otherwise come before its start.
            const bool startsHere = entry.Object->Range.Start.Paragraph == place.Paragraph;
            if (!startsHere)
                MakeTextPos(place.Paragraph - 1, Paragraphs(place.Paragraph - 1).GetCharCount(), place);
        }
        TUpdateRange local;
        ToggleSingleAnchor(place.Paragraph, place.Offset, entry.Object, entry.Anchor, false, SkipAllAnchors, local,
                           op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}
