#include "document/operations/OperationManager.h"

#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/Operation.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/VectorGrowth.h"
#include "foundation/ShellHelpers.h"
#include "platform/gdi/Regions.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

int64_t g_UndoMemoryLimit = 0;

// The insertion bit of a typing operation's step.
bool StepInserts(const TOperation& operation)
{
    const auto* step = dynamic_cast<const TInsertDeleteOperation*>(&operation.Steps(0));
    return step && step->IsInDocument();
}

bool StepIsSpace(const TOperation& operation)
{
    const auto* step = dynamic_cast<const TInsertDeleteOperation*>(&operation.Steps(0));
    return step && (step->Flags() & idfSpace) != 0;
}

}  // namespace

int64_t UndoMemoryLimit()
{
    if (g_UndoMemoryLimit <= 0) {
        // One eighth of the physical memory, in 64 bits: with 16 GiB or more a
        // 32-bit value would turn negative and drop the whole history at every
        // edit.
        const int64_t physical = GetTotalPhysicalMemory();
        g_UndoMemoryLimit = physical > 0 ? physical / 2 / 4 : int64_t{64} * 1024 * 1024;
    }
    return g_UndoMemoryLimit;
}

void SetUndoMemoryLimit(int64_t bytes)
{
    g_UndoMemoryLimit = bytes;
}

TOperationManager::TOperationManager(TDocument* document) : FDocument(document) {}

TOperationManager::~TOperationManager()
{
    // The newest first: each operation's steps expect the ones after them gone.
    while (!FOperations.empty())
        FOperations.pop_back();
}

TOperation& TOperationManager::Operations(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    return *FOperations[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------
// The marks

void TOperationManager::LowerMarks(int32_t count)
{
    for (int32_t* mark : {&SavedIndex, &RecoveryIndex}) {
        if (*mark == NotSet)
            continue;
        *mark -= count;
        // Below -1 the state lies before the oldest operation kept: it can no
        // longer be reached.
        if (*mark < -1)
            *mark = NotSet;
    }
}

void TOperationManager::FreeOperation(int32_t index)
{
    FTotalSize -= FOperations[static_cast<size_t>(index)]->MemorySize();
    FOperations.erase(FOperations.begin() + index);
}

// ---------------------------------------------------------------------------
// Recording

void TOperationManager::AddOperation(std::unique_ptr<TOperation>& operation)
{
    if (!operation)
        return;
    if (operation->IsEmpty()) {
        operation.reset();
        return;
    }
    // The one allocation comes first: failing here records nothing and changes nothing.
    ReserveMore(FOperations, 1);

    TDocument& document = *FDocument;
    document.SetModified(true);
    operation->CaptureSelectionAfter();
    operation->ScrollOnReplay = document.GetChangeFlag(chfNoReplayScroll) ? 0 : 1;

    // The undone operations can no longer be redone.
    while (Count() - 1 > FCurrentIndex)
        FreeOperation(Count() - 1);
    if (SavedIndex != NotSet && SavedIndex > FCurrentIndex)
        SavedIndex = NotSet;
    if (RecoveryIndex != NotSet && RecoveryIndex > FCurrentIndex)
        RecoveryIndex = NotSet;

    // The oldest go while the list would hold more than the limit; an
    // operation larger than the limit is still recorded, alone.
    const int64_t size = operation->MemorySize();
    const int64_t limit = UndoMemoryLimit();
    while (!FOperations.empty() && FTotalSize + size > limit) {
        FreeOperation(0);
        --FCurrentIndex;
        LowerMarks(1);
    }

    FOperations.push_back(std::move(operation));
    FTotalSize += size;
    ++FCurrentIndex;

    document.ChangedSinceRecovery = 1;
    document.BookmarkListDirty = 1;
    document.KeyboardLayoutChanged = 0;
    DocumentHost().RequestLayout();
}

// ---------------------------------------------------------------------------
// Undo and redo

bool TOperationManager::ContinuesRun(const TOperation& done, bool doneWasInsertion, bool first,
                                     const TOperation& next, bool redo) const
{
    // The steps are compared as they stood before this call took the first
    // of them back: both insertions or both deletions.
    if (!done.IsTyping() || !next.IsTyping())
        return false;
    if (doneWasInsertion != StepInserts(next))
        return false;
    // An autocorrection ends a run once it is undone; redo never goes into
    // or out of one through it.
    if (done.Kind == okAutocorrect || (redo && next.Kind == okAutocorrect))
        return false;
    if (StepIsSpace(done) && !first)
        return false;
    return done.CaretBefore[0] == next.CaretBefore[0] && std::abs(done.CaretBefore[1] - next.CaretBefore[1]) <= 1;
}

void TOperationManager::Undo()
{
    TUpdateRange update;
    Undo(true, update);
}

void TOperationManager::Undo(bool updateViews, TUpdateRange& update)
{
    TDocument& document = *FDocument;
    document.LockDispatcher();
    document.Undoing = 1;
    document.Replaying = 1;
    update.Reset();
    try {
        int32_t undone = 0;
        TOperation* lastDone = nullptr;
        const bool grouping = DocumentHost().GroupTypingUndo();
        while (FCurrentIndex >= 0) {
            TOperation& done = *FOperations[static_cast<size_t>(FCurrentIndex)];
            const bool typing = done.IsTyping();
            const bool wasInsertion = typing && StepInserts(done);
            Replay(done, true, update);
            --FCurrentIndex;
            ++undone;
            lastDone = &done;
            if (FCurrentIndex < 0)
                break;
            const TOperation& before = *FOperations[static_cast<size_t>(FCurrentIndex)];
            if (grouping && typing && ContinuesRun(done, wasInsertion, undone == 1, before, false))
                continue;
            if (!done.Joined)
                break;
        }
        if (undone == 1 && lastDone->IsTyping())
            document.SingleTypingUndo = 1;
        if (updateViews && lastDone)
            UpdateViewsAfterReplay(lastDone->ScrollOnReplay, update);
    } catch (...) {
        FinishReplay(updateViews);
        throw;
    }
    FinishReplay(updateViews);
}

// Undoes or redoes one operation, adding what it changed to the update range
// and keeping the undo list's memory total in step with what the operation
// holds now.
void TOperationManager::Replay(TOperation& operation, bool undo, TUpdateRange& update)
{
    const int64_t size = operation.MemorySize();
    TUpdateRange local;
    if (undo)
        operation.Undo(local);
    else
        operation.Redo(local);
    MergeUpdateRange(update, local);
    FTotalSize += operation.MemorySize() - size;
}

// The views after an undo or redo; an operation that asks not to scroll on
// replay keeps the view where it is.
void TOperationManager::UpdateViewsAfterReplay(uint8_t scrollOnReplay, TUpdateRange& update)
{
    TDocument& document = *FDocument;
    const bool keepView = scrollOnReplay == 0;
    if (keepView)
        document.BeginChange(chfNoReplayScroll);
    try {
        UpdateViews(update);
    } catch (...) {
        if (keepView)
            document.EndChanges(1);
        throw;
    }
    if (keepView)
        document.EndChanges(1);
}

void TOperationManager::Redo()
{
    TDocument& document = *FDocument;
    document.LockDispatcher();
    document.Replaying = 1;
    TUpdateRange update;
    try {
        int32_t redone = 0;
        TOperation* lastDone = nullptr;
        const bool grouping = DocumentHost().GroupTypingUndo();
        while (FCurrentIndex < Count() - 1) {
            TOperation& done = *FOperations[static_cast<size_t>(FCurrentIndex + 1)];
            const bool typing = done.IsTyping();
            const bool wasInsertion = typing && StepInserts(done);
            Replay(done, false, update);
            ++FCurrentIndex;
            ++redone;
            lastDone = &done;
            if (FCurrentIndex >= Count() - 1)
                break;
            const TOperation& next = *FOperations[static_cast<size_t>(FCurrentIndex + 1)];
            if (grouping && typing && ContinuesRun(done, wasInsertion, redone == 1, next, true))
                continue;
            if (!next.Joined)
                break;
        }
        if (lastDone)
            UpdateViewsAfterReplay(lastDone->ScrollOnReplay, update);
    } catch (...) {
        FinishReplay(true);
        throw;
    }
    FinishReplay(true);
}

void TOperationManager::UndoAll()
{
    ReplayAll(true);
}

void TOperationManager::RedoAll()
{
    ReplayAll(false);
}

// Undoes every done operation, or redoes every undone one, without regard
// to typing runs or joined operations; the views follow the last one's
// scrolling.
void TOperationManager::ReplayAll(bool undo)
{
    TDocument& document = *FDocument;
    document.LockDispatcher();
    document.Undoing = undo ? 1 : 0;
    document.Replaying = 1;
    TUpdateRange update;
    try {
        uint8_t scroll = 1;
        while (undo ? FCurrentIndex >= 0 : FCurrentIndex < Count() - 1) {
            TOperation& done = *FOperations[static_cast<size_t>(undo ? FCurrentIndex : FCurrentIndex + 1)];
            Replay(done, undo, update);
            FCurrentIndex += undo ? -1 : 1;
            scroll = done.ScrollOnReplay;
        }
        UpdateViewsAfterReplay(scroll, update);
    } catch (...) {
        FinishReplay(true);
        throw;
    }
    FinishReplay(true);
}

void TOperationManager::FinishReplay(bool updateViews)
{
    TDocument& document = *FDocument;
    document.Undoing = 0;
    document.Replaying = 0;
    document.SingleTypingUndo = 0;
    if (updateViews)
        document.SetModified(FCurrentIndex != SavedIndex);
    document.ChangedSinceRecovery = FCurrentIndex != RecoveryIndex ? 1 : 0;
    document.BookmarkListDirty = 1;
    document.KeyboardLayoutChanged = 0;
    if (updateViews)
        DocumentHost().RequestLayout();
    document.RestartSpellCheck();
    document.UnlockDispatcher();
}

void TOperationManager::ClearUndo()
{
    const int32_t freed = FCurrentIndex + 1;
    for (int32_t i = 0; i < freed; ++i)
        FTotalSize -= FOperations[static_cast<size_t>(i)]->MemorySize();
    // The oldest last, so that each operation's steps go after the newer ones.
    for (int32_t i = freed - 1; i >= 0; --i)
        FOperations[static_cast<size_t>(i)].reset();
    FOperations.erase(FOperations.begin(), FOperations.begin() + freed);
    // A mark at the current index names the state the document is in now,
    // which stays reachable (index -1); a mark below it named a freed state.
    for (int32_t* mark : {&SavedIndex, &RecoveryIndex})
        if (*mark != NotSet)
            *mark = *mark >= FCurrentIndex ? *mark - freed : NotSet;
    FCurrentIndex = -1;
    DocumentHost().RequestLayout();
}

void TOperationManager::ClearRedo()
{
    while (Count() - 1 > FCurrentIndex)
        FreeOperation(Count() - 1);
    for (int32_t* mark : {&SavedIndex, &RecoveryIndex})
        if (*mark != NotSet && *mark > FCurrentIndex)
            *mark = NotSet;
    DocumentHost().RequestLayout();
}

// ---------------------------------------------------------------------------
// Changed lines

void TOperationManager::AddChangedLine(int32_t paragraph, int32_t line)
{
    for (const TChangedLine& changed : FChangedLines)
        if (changed.Paragraph == paragraph && changed.Line == line)
            return;
    FChangedLines.push_back({paragraph, line});
}

void TOperationManager::RemoveChangedLinesFrom(int32_t paragraph)
{
    FChangedLines.erase(std::remove_if(FChangedLines.begin(), FChangedLines.end(),
                                       [paragraph](const TChangedLine& changed) { return changed.Paragraph >= paragraph; }),
                        FChangedLines.end());
}

// ---------------------------------------------------------------------------
// Update records

void TOperationManager::MergeUpdateRange(TUpdateRange& accumulated, const TUpdateRange& step)
{
    TDocument& document = *FDocument;
    accumulated.FullUpdate = (accumulated.FullUpdate | step.FullUpdate) & 0xFF;
    if (accumulated.IsFull()) {
        accumulated.FirstParagraph = NotSet;
    } else {
        if (step.FirstParagraph != NotSet &&
            (accumulated.FirstParagraph == NotSet || accumulated.FirstParagraph > step.FirstParagraph)) {
            accumulated.FirstParagraph = step.FirstParagraph;
            accumulated.FirstPage = step.FirstPage;
        }
        if (accumulated.FirstParagraph != NotSet &&
            document.GetStoryOfParagraph(accumulated.FirstParagraph) == stHeadersFooters) {
            // A header or footer shows on many pages: repaint from the first.
            document.BeginChange(chfLocatingHeader);
            const TField* holder = nullptr;
            for (const auto& object : document.RangeObjects())
                if (object->Kind == rkHeaderFooter && object->Range.Start.Paragraph <= accumulated.FirstParagraph &&
                    accumulated.FirstParagraph <= object->Range.End.Paragraph) {
                    holder = object.get();
                    break;
                }
            if (holder)
                for (const auto& page : document.Pages())
                    if (page->Header == holder || page->Footer == holder) {
                        // A page not given counts as later than any.
                        if (accumulated.FirstPage == NotSet || page->Index < accumulated.FirstPage)
                            accumulated.FirstPage = page->Index;
                        accumulated.FullUpdate = 1;
                        break;
                    }
            document.EndChanges(1);
        }
    }
    accumulated.SelStartParagraph = step.SelStartParagraph;
    accumulated.SelStartOffset = step.SelStartOffset;
    accumulated.SelEndParagraph = step.SelEndParagraph;
    accumulated.SelEndOffset = step.SelEndOffset;
    accumulated.CaretParagraph = step.CaretParagraph;
    accumulated.CaretOffset = step.CaretOffset;
}

void TOperationManager::GetRelayoutStart(TUpdateRange& update, int32_t paragraph)
{
    TDocument& document = *FDocument;
    if (paragraph < 0 || paragraph >= document.ParagraphCount()) {
        update.FirstParagraph = NotSet;
        update.FirstPage = NotSet;
        return;
    }
    const int32_t story = document.GetStoryOfParagraph(paragraph);
    const int32_t storyFirst = document.StoryFirst(story);
    auto keepsWithNext = [&document](int32_t index) {
        const int32_t value = document.Paragraphs(index).Format[pfKeepWithNext];
        return value != 0 && value != NotSet;
    };
    while (paragraph > storyFirst && keepsWithNext(paragraph - 1))
        --paragraph;
    if (story == stHeadersFooters) {
        update.FirstParagraph = paragraph;
        update.FirstPage = NotSet;
        return;
    }
    // The page of the paragraph's first placed line: once changed, the
    // paragraph may fit on the page before it (a shorter paragraph kept
    // together or under widow control moves back), so pagination must start
    // there; the page of its last line would leave that page as it was.
    const TParagraph& target = document.Paragraphs(paragraph);
    if (target.GetLaidOutFlag()) {
        for (int32_t i = 0; i < target.GetLineCount(); ++i) {
            if (const TPage* page = target.GetLine(i).Page) {
                update.FirstParagraph = paragraph;
                update.FirstPage = page->Index;
                return;
            }
        }
    }
    // Not placed (pagination stopped before it, or it is new) right after a
    // paragraph whose last line is placed: the page of that line was made
    // with this paragraph as it was (a keep-with-next run, a paragraph kept
    // together or under widow control that did not fit was sent on to the
    // next page), so it is made again.
    if (paragraph > storyFirst) {
        const TParagraph& previous = document.Paragraphs(paragraph - 1);
        if (previous.GetLaidOutFlag() && previous.GetLineCount() > 0) {
            if (const TPage* page = previous.GetLine(previous.GetLineCount() - 1).Page) {
                update.FirstParagraph = paragraph;
                update.FirstPage = page->Index;
                return;
            }
        }
    }
    // Background pagination will get there.
    update.FirstParagraph = NotSet;
    update.FirstPage = NotSet;
}

// ---------------------------------------------------------------------------
// Bringing the views up to date

void TOperationManager::ApplySelection(const TUpdateRange& update)
{
    TDocument& document = *FDocument;
    const int32_t lastParagraph = document.ParagraphCount() - 1;
    const int32_t caretParagraph = std::clamp(update.CaretParagraph, 0, lastParagraph);
    const int32_t caretOffset =
        std::clamp(update.CaretOffset, 0, document.Paragraphs(caretParagraph).GetCharCount());
    const bool selectionGiven = update.SelStartParagraph != NotSet;
    const bool selectionEmpty = update.SelStartParagraph == update.SelEndParagraph &&
                                update.SelStartOffset == update.SelEndOffset;
    if (selectionGiven && !selectionEmpty) {
        document.SetSelection(update.SelStartParagraph, update.SelStartOffset, update.SelEndParagraph,
                              update.SelEndOffset);
        document.Caret.Paragraph = caretParagraph;
        document.Caret.Offset = caretOffset;
    } else if (selectionGiven || !document.HasSelection()) {
        document.SetSelection(caretParagraph, caretOffset, caretParagraph, caretOffset);
    } else {
        document.Caret.Paragraph = caretParagraph;
        document.Caret.Offset = caretOffset;
    }
    document.Caret.Column = update.CaretColumn;
}

void TOperationManager::UpdateViews(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TDocumentLayout* layout = GetDocumentLayout();
    TDocumentView* view = document.View();
    TDocumentHost& host = DocumentHost();

    // 1. What the view shows before.
    if (view)
        SetRectRgn(document.UpdateRegion(), 0, 0, view->ClientWidth(), view->ClientHeight());
    document.PaginationPending = 1;
    const int32_t depth = document.ChangeStackDepth();
    document.BeginSuppressChange(chfLayoutChange);
    document.BeginChange(chfPageLayout);
    document.BeginChange(chfUpdatingViews);
    try {
        const TPoint origin = document.ViewOrigin;
        const int32_t lastVisible = layout ? layout->GetLastVisiblePage(document) : -1;

        // 2. Pagination from the first changed paragraph's page.
        if (update.FirstParagraph != NotSet) {
            update.FirstParagraph = std::clamp(update.FirstParagraph, 0, document.ParagraphCount() - 1);
            if (document.GetStoryOfParagraph(update.FirstParagraph) == stBody) {
                const TSection& section = document.GetSectionOfParagraph(update.FirstParagraph);
                const bool continuousUnequal = section.BreakKind() != sbContinuous && section.Settings[ssLastValue] != 1;
                if (section.Settings[ssColumnCount] > 1 && !continuousUnequal)
                    update.FirstParagraph = section.FirstParagraph;
            }
            int32_t page = 0;
            if (update.FirstPage == NotSet)
                update.FullUpdate = 1;
            else if (update.FirstPage > 0)
                page = update.FirstPage - 1;
            if (layout)
                layout->Paginate(document, page, std::max(page, lastVisible));
            RemoveChangedLinesFrom(update.FirstParagraph);
        } else if (update.IsFull() && layout) {
            layout->Paginate(document, 0, std::max(0, lastVisible));
        }

        // 3. The caret and the selection; a caret that left the header or
        // footer being edited ends its editing.
        const int32_t caretStory = document.GetStoryOfParagraph(
            std::clamp(update.CaretParagraph, 0, document.ParagraphCount() - 1));
        if (!document.EditedHeaderFooter && caretStory == stHeadersFooters) {
            const TTextSelection& selection = document.Selection();
            update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                                selection.End.Offset);
            update.CaretParagraph = document.Caret.Paragraph;
            update.CaretOffset = document.Caret.Offset;
            update.FullUpdate = 1;
        } else if (document.EditedHeaderFooter && caretStory != stHeadersFooters) {
            // Editing ends: the caret goes where it was sent, the selection
            // in the header or footer goes, and the header or footer leaves
            // the page it was laid out on for editing.
            update.SetViewHints(0, 0, 0, 0);
            const int32_t page = document.EditedHeaderFooterPage;
            if (page >= 0 && page < document.PageCount())
                document.Pages()[static_cast<size_t>(page)]->RemoveHeaderFooter();
            document.EditedHeaderFooter = nullptr;
            document.RestartSpellCheck();
            update.FullUpdate = 1;
        }
        ApplySelection(update);

        // 4. Scroll to the caret unless the view is to stay or the selection
        // lies in a header or footer.
        document.BeginChange(chfToolsRefresh);
        bool scroll = !document.GetChangeFlag(chfNoReplayScroll);
        if (update.SelStartParagraph != NotSet &&
            document.GetStoryOfParagraph(update.SelStartParagraph) == stHeadersFooters)
            scroll = false;
        // A selection whose two ends the window already shows stays in view
        // as it is, the caret at its own end (undo gives back the selection
        // exactly as it was); otherwise the view goes to the selection's end.
        if (scroll && document.HasSelection()) {
            const TTextSelection& selection = document.Selection();
            if (layout && layout->IsPositionVisible(document, selection.Start) &&
                layout->IsPositionVisible(document, selection.End)) {
                scroll = false;
            } else {
                document.Caret.Paragraph = selection.End.Paragraph;
                document.Caret.Offset = selection.End.Offset;
                document.Caret.Column = 0x7FFFFFFF;
            }
        }

        // 5. The header or footer being edited stays valid on its page.
        if (document.EditedHeaderFooter && (update.IsFull() || update.FirstParagraph != NotSet)) {
            const int32_t page = document.EditedHeaderFooterPage;
            if (layout && page >= document.PageCount())
                layout->Paginate(document, document.PageCount(), page);
            document.RefreshHeaderFooterEditing();
            update.FullUpdate = 1;
        }

        // 6. The caret's place, and the scroll to it.
        if (layout)
            layout->UpdateCaret(document);
        document.EndChanges(1);
        if (view)
            view->HideCaret();
        if (scroll && layout)
            layout->ScrollToCaret(document, document.SingleTypingUndo ? 20 : 0);
        if (view)
            view->ShowCaret();

        // 7. and 8. Repaint.
        if (document.ViewOrigin != origin)
            update.FullUpdate = 1;
        if (view && !document.SuppressRepaint) {
            if (update.IsFull()) {
                view->Repaint();
            } else if (layout) {
                for (const TChangedLine& changed : FChangedLines) {
                    if (changed.Paragraph >= document.ParagraphCount())
                        continue;
                    const TParagraph& paragraph = document.Paragraphs(changed.Paragraph);
                    if (changed.Line >= paragraph.GetLineCount())
                        continue;
                    const TParLine& line = paragraph.GetLine(changed.Line);
                    TTextRange range;
                    MakeTextPos(changed.Paragraph, line.FirstChar, range.Start);
                    MakeTextPos(changed.Paragraph, line.FirstChar + std::max(line.CharCount, 1), range.End);
                    layout->RepaintRange(document, range);
                }
                if (update.FirstParagraph != NotSet) {
                    TTextRange range;
                    MakeTextPos(update.FirstParagraph, 0, range.Start);
                    const int32_t story = document.GetStoryOfParagraph(update.FirstParagraph);
                    const int32_t last = document.StoryLast(story);
                    MakeTextPos(last, document.Paragraphs(last).GetCharCount(), range.End);
                    layout->RepaintRange(document, range);
                }
            }
        }
    } catch (...) {
        document.EndChanges(document.ChangeStackDepth() - depth);
        FChangedLines.clear();
        throw;
    }

    // 9.
    document.EndChanges(document.ChangeStackDepth() - depth);
    document.RelayoutPending = 0;
    host.RequestLayout();
    FChangedLines.clear();
    host.RequestMouseMoveRefresh();
}
