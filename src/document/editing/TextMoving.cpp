// Operations that rearrange text rather than type it: moving a block of text
// (operation 20), joining paragraphs (22) and splitting paragraphs at their
// lines (23).
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/MoveTextOperation.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/Memory.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

// Change flag raised while the selection is cleared before a restructuring.
constexpr int32_t chfSelectionCleared = 14;

void RefuseWithName(TDocument& document, const TOperation* op, uint8_t fallbackKind, std::string text)
{
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, OperationName(op ? op->Kind : fallbackKind));
    document.MessageShownInOperation = 1;
    ShowInformation(text);
}

// A position moved by a space adjustment made at `at`: the characters removed
// before and after it and the space inserted there shift what follows in the
// same paragraph.
void ShiftByAdjustment(TTextPosition& position, const TTextPosition& at, const TDocument::TSpaceAdjustment& a)
{
    if (position.Paragraph != at.Paragraph || position.Offset < at.Offset)
        return;
    if (position.Offset == at.Offset) {
        position.Offset = at.Offset - a.RemovedBefore + a.Inserted;
        return;
    }
    position.Offset = std::max(position.Offset - a.RemovedAfter, at.Offset) - a.RemovedBefore + a.Inserted;
}

// Lays the paragraph out when it has no lines (and a layout exists).
void EnsureLaidOut(TDocument& document, int32_t index)
{
    TParagraph& paragraph = document.Paragraphs(index);
    if (paragraph.GetLineCount() > 0 || !GetParagraphLayout())
        return;
    const TSection& section = document.GetStoryOfParagraph(index) == stBody ? document.GetPageSection(index)
                                                                             : document.Sections(0);
    paragraph.Invalidate(true, section.PageParams[ppTextWidth]);
}

bool IsEmptyParagraph(const TDocument& document, int32_t index)
{
    return document.Paragraphs(index).GetCharCount() <= 1;
}

}  // namespace

void TDocument::MoveText(const TTextPosition& startPosition, const TTextPosition& endPosition,
                         const TTextPosition& targetPosition, TEditFlags flags, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const int32_t count = ParagraphCount();
    if (startPosition.Paragraph < 0 || startPosition.Paragraph >= count || endPosition.Paragraph < 0 ||
        endPosition.Paragraph >= count || targetPosition.Paragraph < 0 || targetPosition.Paragraph >= count)
        return;
    TTextPosition start = startPosition;
    TTextPosition end = endPosition;
    TTextPosition target = targetPosition;
    start.Offset = std::clamp(start.Offset, 0, Paragraphs(start.Paragraph).GetCharCount());
    end.Offset = std::clamp(end.Offset, 0, Paragraphs(end.Paragraph).GetCharCount());
    target.Offset = std::clamp(target.Offset, 0, Paragraphs(target.Paragraph).GetCharCount() - 1);
    const int32_t story = GetStoryOfParagraph(start.Paragraph);
    if (GetStoryOfParagraph(end.Paragraph) != story)
        return;

    // 1. The mark that ends the part being edited does not move, unless whole
    // paragraphs are moved from the part's end.
    TTextRange part;
    GetEditRange(part);
    const int32_t storyLast = StoryLast(story);
    const int32_t endLength = Paragraphs(end.Paragraph).GetCharCount();
    const bool lastOfPart = end.Paragraph == storyLast || end.Paragraph == part.End.Paragraph;
    if (end.Offset == endLength && lastOfPart) {
        const bool wholeParagraphs =
            (flags & efStoryEnd) && start.Offset == 0 && start.Paragraph != StoryFirst(story) &&
            (SectionCount() == 1 || GetSectionOfParagraph(start.Paragraph).FirstParagraph != start.Paragraph);
        // The mark can only travel with its paragraph when a paragraph of
        // the same story follows it; the story's last mark always stays.
        if (!wholeParagraphs || end.Paragraph >= storyLast)
            end.Offset = std::max(end.Offset - 1, 0);
    }
    // 2. Nothing to move.
    if (CompareTextPos(end, start) <= 0)
        return;
    if (end.Offset >= Paragraphs(end.Paragraph).GetCharCount())
        MakeTextPos(end.Paragraph + 1, 0, end);
    if (CompareTextPos(end, start) <= 0)
        return;
    // A target inside the block or at one of its edges leaves the text where
    // it is.
    if (CompareTextPos(start, target) <= 0 && CompareTextPos(target, end) <= 0)
        return;

    // 3. and 4. The fields and bookmarks that cross the block's edges stand
    // aside; those wholly inside travel with the text.
    auto step = std::make_unique<TMoveTextOperation>(this, start, end, target);
    const size_t depth = FDetachedAnchors.size();
    {
        TUpdateRange local;
        const uint8_t savedMoveMode = MoveMode;
        MoveMode = 1;
        try {
            DetachAnchors(start, end, false, local, op);
        } catch (...) {
            MoveMode = savedMoveMode;
            throw;
        }
        MoveMode = savedMoveMode;
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 5. The move itself.
    try {
        if (op)
            op->ReserveSteps(1);
        TUpdateRange local;
        step->Undo(local);
        FUndoManager->MergeUpdateRange(update, local);
    } catch (...) {
        if (FDetachedAnchors.size() > depth)
            FDetachedAnchors.resize(depth);
        throw;
    }
    TTextPosition newStart = step->SourceStart();
    TTextPosition newEnd = step->SourceEnd();
    // Where the block stood, as the document is now: its old start, which a
    // move backwards pushed behind the block.
    TTextPosition oldPlace = start;
    if (CompareTextPos(target, start) < 0) {
        if (start.Paragraph == newStart.Paragraph)
            MakeTextPos(newEnd.Paragraph, newEnd.Offset + (start.Offset - newStart.Offset), oldPlace);
        else
            oldPlace.Paragraph += newEnd.Paragraph - newStart.Paragraph;
    }
    if (op)
        op->AddStep(std::move(step));
    else
        step.reset();
    // 7. The anchors that stood aside close up at the old place.
    {
        TUpdateRange local;
        ReattachAnchors(oldPlace, oldPlace, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 8. The caret and the view hints.
    if (!(flags & efAdjustSpaces)) {
        if (flags & efReportRange)
            update.SetViewHints(newStart.Paragraph, newStart.Offset, newEnd.Paragraph, newEnd.Offset);
        else
            update.SetViewHints(0, 0, 0, 0);
        Caret.Paragraph = newStart.Paragraph;
        Caret.Offset = newStart.Offset;
    } else {
        // The three edges, the last in the document first, so that an
        // adjustment never moves an edge still to come; an edge that an
        // adjustment already reached is left alone.
        std::array<TTextPosition, 3> edges = {oldPlace, newStart, newEnd};
        std::sort(edges.begin(), edges.end(),
                  [](const TTextPosition& a, const TTextPosition& b) { return CompareTextPos(a, b) > 0; });
        bool haveLimit = false;
        TTextPosition limit;
        for (const TTextPosition& edge : edges) {
            if (haveLimit && CompareTextPos(edge, limit) >= 0)
                continue;
            TUpdateRange local;
            const TSpaceAdjustment a = AdjustSpaces(edge, local, op);
            if (a.RemovedBefore || a.RemovedAfter || a.Inserted)
                FUndoManager->MergeUpdateRange(update, local);
            ShiftByAdjustment(newStart, edge, a);
            ShiftByAdjustment(newEnd, edge, a);
            limit = edge;
            limit.Offset -= a.RemovedBefore;
            haveLimit = true;
        }
        if (flags & efReportRange)
            update.SetViewHints(newStart.Paragraph, newStart.Offset, newEnd.Paragraph, newEnd.Offset);
        else
            update.SetViewHints(0, 0, 0, 0);
        Caret.Paragraph = newEnd.Paragraph;
        Caret.Offset = newEnd.Offset;
    }
    // 9.
    update.SetCaret(Caret.Paragraph, Caret.Offset, 0);
}

void TDocument::JoinParagraphs(int32_t first, int32_t last, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (first < 0 || last < first || last >= ParagraphCount())
        return;
    const int32_t story = GetStoryOfParagraph(first);
    if (GetStoryOfParagraph(last) != story)
        return;
    bool cleared = false;
    auto clearSelection = [&] {
        if (cleared)
            return;
        BeginChange(chfSelectionCleared);
        ClearSelection();
        EndChanges(1);
        cleared = true;
    };

    // 1. Single line ends go; doubled ones stay.
    int32_t removed = 0;
    if (HasSelection()) {
        for (int32_t index = first; index <= last; ++index) {
            for (int32_t i = Paragraphs(index).GetCharCount() - 2; i >= 0; --i) {
                const TMemory& plain = Paragraphs(index).GetPlainChars();
                const uint8_t* chars = plain.Data();
                const int32_t length = plain.Size();
                if (chars[i] != scLineBreak)
                    continue;
                const bool before = i > 0 && chars[i - 1] == scLineBreak;
                const bool after = i + 1 < length && chars[i + 1] == scLineBreak;
                if (before || after) {
                    if (before)
                        --i;  // the neighbour is part of the same pair
                    continue;
                }
                clearSelection();
                TUpdateRange local;
                DeleteRange({index, i}, {index, i + 1}, local, op, efAdjustSpaces);
                FUndoManager->MergeUpdateRange(update, local);
                ++removed;
            }
        }
        if (removed)
            update.SetViewHints(first, 0, last, Paragraphs(last).GetCharCount());
    }

    // 3. Neighbouring non-empty paragraphs become one.
    if (first != last) {
        int32_t gaps = 0;
        for (int32_t i = last - 1; i >= first; --i)
            if (IsEmptyParagraph(*this, i) || IsEmptyParagraph(*this, i + 1))
                ++gaps;
        if (gaps < last - first) {
            clearSelection();
            for (int32_t i = last - 1; i >= first; --i) {
                if (IsEmptyParagraph(*this, i) || IsEmptyParagraph(*this, i + 1))
                    continue;
                const int32_t length = Paragraphs(i).GetCharCount();
                TUpdateRange local;
                DeleteRange({i, length - 1}, {i, length}, local, op, efAdjustSpaces);
                FUndoManager->MergeUpdateRange(update, local);
            }
            update.SetViewHints(first, 0, first + gaps, Paragraphs(first + gaps).GetCharCount());
        }
        return;
    }
    // 4.
    if (removed == 0)
        RefuseWithName(*this, op, 25,
                       "Cette action (\"%s\") ne s'applique qu'à une sélection de plusieurs paragraphes.||"
                       "Sélectionnez les paragraphes visés et recommencez.");
}

void TDocument::SplitParagraphs(int32_t first, int32_t last, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (first < 0 || last < first || last >= ParagraphCount())
        return;
    if (GetStoryOfParagraph(first) != GetStoryOfParagraph(last))
        return;
    // 1. One paragraph of one line: nothing to split.
    if (first == last) {
        EnsureLaidOut(*this, first);
        if (Paragraphs(first).GetLineCount() <= 1)
            return;
    }
    // 2.
    BeginChange(chfSelectionCleared);
    const TTextSelection saved = Selection();
    ClearSelection();
    EndChanges(1);
    // 3.
    for (int32_t index = first; index <= last; ++index)
        EnsureLaidOut(*this, index);
    // 4.
    const TEditFlags flags = DocumentHost().SpaceAdjustment() ? efAdjustSpaces : 0;
    TMemory mark;
    mark.Append("\r", 1);
    // 5. From the last paragraph and the last line backwards, so that the
    // offsets still to come stay valid.
    int32_t total = 0;
    for (int32_t index = last; index >= first; --index) {
        TParagraph& paragraph = Paragraphs(index);
        const int32_t lines = paragraph.GetLineCount();
        if (lines <= 1)
            continue;
        total += lines - 1;
        std::vector<int32_t> starts;
        for (int32_t line = 1; line < lines; ++line)
            starts.push_back(paragraph.GetLine(line).FirstChar);
        for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
            const TTextPosition at{index, *it};
            PrepareTypingFormat(at, 0);
            TUpdateRange local;
            InsertPlainTextAt(mark, at, local, op, flags);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }
    // 6.
    if (total == 0) {
        SetSelection(saved.Start.Paragraph, saved.Start.Offset, saved.End.Paragraph, saved.End.Offset, ssfNoNotify);
        return;
    }
    // 7.
    const int32_t end = last + total;
    const int32_t length = Paragraphs(end).GetCharCount();
    update.SetCaret(end, std::max(length - 1, 0), 0);
    update.SetViewHints(first, 0, end, length);
}
