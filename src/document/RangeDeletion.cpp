// TDocument::DeleteRange: the text between two positions taken out as one
// insert/delete step of the caller's operation.
//
// This is the deletion that typing, overtype, replacement and moving need:
// the range normalised at paragraph ends, the step applied, the headers and
// footers of a removed section break kept, the caret at the place of the text.
// The range-deletion operation of the dispatcher (code 17) adds to it the
// survivor's paragraph format, the bookkeeping of fields and bookmarks, the
// removal of orphaned notes and the section settings at the document's end;
// it is wired when those pieces exist.
#include "document/Document.h"

#include "document/InsertDeleteOperation.h"
#include "document/Operation.h"
#include "document/OperationManager.h"
#include "document/Paragraph.h"

#include <algorithm>

void TDocument::DeleteRange(const TTextPosition& startPosition, const TTextPosition& endPosition,
                            TUpdateRange& update, TOperation* op, TEditFlags flags)
{
    // 1. The story of the start.
    TTextPosition start = startPosition;
    start.Paragraph = std::clamp(start.Paragraph, 0, ParagraphCount() - 1);
    start.Offset = std::clamp(start.Offset, 0, Paragraphs(start.Paragraph).GetCharCount());
    const int32_t story = GetStoryOfParagraph(start.Paragraph);
    const int32_t storyLast = StoryLast(story);

    // 2. The end, normalised at paragraph ends and kept within the story.
    TTextPosition end = endPosition;
    if (end.Paragraph >= ParagraphCount() || end.Paragraph > storyLast) {
        end.Paragraph = storyLast;
        end.Offset = Paragraphs(storyLast).GetCharCount();
    }
    end.Paragraph = std::max(end.Paragraph, start.Paragraph);
    end.Offset = std::clamp(end.Offset, 0, Paragraphs(end.Paragraph).GetCharCount());
    if (end.Paragraph == start.Paragraph)
        end.Offset = std::max(end.Offset, start.Offset);
    if (end.Offset == Paragraphs(end.Paragraph).GetCharCount()) {
        TTextRange part;
        GetEditRange(part);
        const bool lastOfPart = end.Paragraph == part.End.Paragraph || end.Paragraph == storyLast;
        if (!lastOfPart) {
            MakeTextPos(end.Paragraph + 1, 0, end);
        } else {
            const bool wholeParagraphs =
                (flags & efStoryEnd) && story == stBody && start.Paragraph != part.Start.Paragraph &&
                start.Offset == 0 &&
                !(SectionCount() > 1 && GetSectionOfParagraph(start.Paragraph).FirstParagraph == start.Paragraph);
            if (wholeParagraphs)
                MakeTextPos(end.Paragraph + 1, 0, end);
            else
                end.Offset = std::max(end.Offset - 1, 0);
        }
    }
    if (CompareTextPos(end, start) < 0)
        end = start;

    // 4.
    update.Reset();

    // 5. An empty range only reads the format there.
    if (CompareTextPos(start, end) == 0) {
        GetCharFormatAt(start, PositionFormat);
        DeletedStartFormat = PositionFormat;
        update.SetCaret(start.Paragraph, start.Offset, NotSet);
        update.SetViewHints(0, 0, 0, 0);
        return;
    }

    // 6.2 A section break inside the range: the section that survives takes
    // the headers and footers the removed one had and it lacks.
    if (story == stBody && start.Paragraph != end.Paragraph) {
        TSection& startSection = GetPageSection(start.Paragraph);
        TSection& endSection = GetPageSection(std::min(end.Paragraph, storyLast));
        if (&startSection != &endSection) {
            TField* startRefs[6];
            TField* endRefs[6];
            std::copy(std::begin(startSection.HeadersFooters), std::end(startSection.HeadersFooters), startRefs);
            std::copy(std::begin(endSection.HeadersFooters), std::end(endSection.HeadersFooters), endRefs);
            bool moved = false;
            for (int i = 0; i < 6; ++i)
                if (startRefs[i] && !endRefs[i]) {
                    endRefs[i] = startRefs[i];
                    startRefs[i] = nullptr;
                    moved = true;
                }
            if (moved) {
                TUpdateRange local;
                ChangeSectionHeaders(startSection, startRefs, local, op);
                FUndoManager->MergeUpdateRange(update, local);
                ChangeSectionHeaders(endSection, endRefs, local, op);
                FUndoManager->MergeUpdateRange(update, local);
            }
        }
    }

    // 6.5 The step.
    auto step = TInsertDeleteOperation::CreateDeletion(this, start, end, story);
    step->OwnsRecords = (flags & efKeepRecordObjects) ? 0 : 1;
    if (op)
        op->ReserveSteps(1);
    TUpdateRange local;
    step->Redo(local);
    FUndoManager->MergeUpdateRange(update, local);

    // 6.6 The caret: at the start, or at the end of the paragraph before when
    // the start paragraph went with the range.
    const int32_t lastNow = StoryLast(story);
    if (lastNow < start.Paragraph) {
        const int32_t previous = std::max(start.Paragraph - 1, 0);
        Caret.Paragraph = previous;
        Caret.Offset = std::max(Paragraphs(previous).GetCharCount() - 1, 0);
    } else {
        Caret.Paragraph = start.Paragraph;
        Caret.Offset = start.Offset;
    }
    if (op)
        op->AddStep(std::move(step));

    // What the text after the deletion point keeps: the format there now, so
    // that a replacement never restores a format left by an earlier deletion.
    GetCharFormatAt({Caret.Paragraph, Caret.Offset}, DeletedStartFormat);

    // 6.9 to 6.11
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
    if ((flags & efAdjustSpaces) && lastNow >= start.Paragraph) {
        TUpdateRange spaces;
        AdjustSpaces({Caret.Paragraph, Caret.Offset}, spaces, op);
        FUndoManager->MergeUpdateRange(update, spaces);
    }
    update.SetViewHints(0, 0, 0, 0);
}
