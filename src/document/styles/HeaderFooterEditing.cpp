// TDocument: editing headers and footers in place on their page. Entering
// creates the first section's missing headers and footers (one undoable
// action), remembers the body caret and moves the caret into the header or
// footer of the page; pagination keeps the edited one valid; leaving puts
// the caret back in the body.
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/fields/Field.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/InsertDeleteOperation.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/Style.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t chfSelectionQuiet = 14;   // the selection changes without notification
constexpr int32_t chfHeaderCreated = 73;    // a header or footer is being created
constexpr uint8_t okHeaderFooterCreation = 54;

constexpr int32_t HeaderStandard = 31;
constexpr int32_t FooterStandard = 32;

bool IsFooterSlot(int32_t slot)
{
    return slot == 2 || slot == 3 || slot == 5;
}

}  // namespace

int32_t TDocument::PageOfPosition(const TTextPosition& position) const
{
    for (const auto& page : FPages)
        for (const TParagraphOnPageInfo& range : page->Ranges) {
            if (!range.Paragraph || range.HeaderFooter || range.Paragraph->Index != position.Paragraph)
                continue;
            for (int32_t line = range.FirstLine; line <= range.LastLine; ++line) {
                const TParLine& shown = range.Paragraph->GetLine(line);
                if (position.Offset < shown.FirstChar + std::max(shown.CharCount, 1) ||
                    line == range.Paragraph->GetLineCount() - 1)
                    return page->Index;
            }
        }
    return FPages.empty() ? -1 : 0;
}

void TDocument::ToggleHeaderFooterEditing(bool enter, int32_t page, const TCaret* caret)
{
    if (EditedHeaderFooter) {
        // Leaving: back to the body caret.
        BeginChange(chfSelectionQuiet);
        ClearSelection(ssfNoNotify);
        if (EditedHeaderFooterPage >= 0 && EditedHeaderFooterPage < PageCount())
            FPages[static_cast<size_t>(EditedHeaderFooterPage)]->RemoveHeaderFooter();
        EditedHeaderFooter = nullptr;
        EndChanges(1);
        if (caret && caret->Paragraph != NotSet)
            SavedBodyCaret = *caret;
        const int32_t bodyLast = StoryLast(stBody);
        const int32_t paragraph = std::clamp(SavedBodyCaret.Paragraph, 0, bodyLast);
        GoToPosition(paragraph, std::clamp(SavedBodyCaret.Offset, 0, Paragraphs(paragraph).GetCharCount() - 1));
        RestartSpellCheck();
        if (FView)
            FView->Repaint();
        DocumentHost().RequestLayout();
        return;
    }
    if (!enter)
        return;

    // 1. The body caret, and the page.
    SavedBodyCaret = Caret;
    if (FPages.empty()) {
        PaginationComplete = 0;
        PaginateAll();
    }
    const int32_t current = PageOfPosition({Caret.Paragraph, Caret.Offset});
    if (page >= 0 && page != current && page < PageCount()) {
        const TPage& target = *FPages[static_cast<size_t>(page)];
        for (const TParagraphOnPageInfo& range : target.Ranges)
            if (range.Paragraph && !range.HeaderFooter && range.LineCount() > 0) {
                BeginChange(chfNoReplayScroll);
                GoToPosition(range.Paragraph->Index, range.Paragraph->GetLine(range.FirstLine).FirstChar);
                EndChanges(1);
                break;
            }
    }
    if (page < 0)
        page = std::max(current, 0);

    // 2. Not in full screen.
    if (IsFullScreen())
        SetFullScreen(false);

    // 3. to 5. The missing headers and footers, as one undoable action.
    auto op = std::make_unique<TOperation>(this, okHeaderFooterCreation);
    const TTextSelection selection = FSelection;
    const TCaret savedCaret = Caret;
    LockDispatcher();
    TUpdateRange update;
    try {
        TSection& section = Sections(0);
        TField* references[6];
        std::copy(std::begin(section.HeadersFooters), std::end(section.HeadersFooters), references);
        if (std::any_of(std::begin(references), std::end(references), [](TField* f) { return f == nullptr; })) {
            TUpdateRange local;
            EnsureHeaderFooterStyles(local, op.get());
            FUndoManager->MergeUpdateRange(update, local);
        }
        for (int32_t slot = 0; slot < 6; ++slot) {
            if (references[slot])
                continue;
            auto object = std::make_unique<TField>(this, rkHeaderFooter);
            TField* field = object.get();
            TMemory text;
            AppendFormatCode(text, icRangeStart, static_cast<int32_t>(field->Handle()));
            AppendFormatCode(text, icSpecialChar, scParagraphMark);
            AppendFormatCode(text, icRangeEnd, static_cast<int32_t>(field->Handle()));
            text.AppendByte(StoredParagraphSeparator);
            text.AppendByte(StoredParFormatMarker);
            text.Append(DefaultParFormat().Slots, StoredParFormatSize);
            // At the end of the story, where no anchor of another header
            // stands at the place.
            const int32_t end = StoryFirst(stHeadersFooters) + StoryCount(stHeadersFooters);
            BeginChange(chfHeaderCreated);
            try {
                auto step = TInsertDeleteOperation::CreateInsertion(this, {end, 0}, stHeadersFooters, text);
                step->AdoptRangeObject(std::move(object));
                TUpdateRange local;
                ApplyStep(*this, std::move(step), local, op.get());
                FUndoManager->MergeUpdateRange(update, local);
            } catch (...) {
                EndChanges(1);
                throw;
            }
            EndChanges(1);
            RefreshRangeObjectPositions();
            references[slot] = field;
        }
        // Their styles, once every one stands in the story.
        RefreshRangeObjectPositions();
        for (int32_t slot = 0; slot < 6; ++slot) {
            if (section.HeadersFooters[slot] || !references[slot])
                continue;
            const int32_t style = Styles().IndexOfStandardId(IsFooterSlot(slot) ? FooterStandard : HeaderStandard);
            if (style < 0)
                continue;
            const int32_t paragraph = references[slot]->Range.Start.Paragraph;
            TTextRange range;
            MakeTextPos(paragraph, 0, range.Start);
            MakeTextPos(paragraph, Paragraphs(paragraph).GetCharCount(), range.End);
            const uint8_t flag = StyleApplicationFlag;
            StyleApplicationFlag = 1;
            TUpdateRange local;
            try {
                ApplyStyleToParagraphs(range, style, local, op.get(), nullptr, nullptr, true);
            } catch (...) {
                StyleApplicationFlag = flag;
                throw;
            }
            StyleApplicationFlag = flag;
            FUndoManager->MergeUpdateRange(update, local);
        }
        if (!op->IsEmpty()) {
            TUpdateRange local;
            ChangeSectionHeaders(section, references, local, op.get());
            FUndoManager->MergeUpdateRange(update, local);
        }
    } catch (...) {
        TUpdateRange back;
        op->Rollback(back);
        UnlockDispatcher();
        throw;
    }
    UnlockDispatcher();
    if (!op->IsEmpty()) {
        SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                     selection.End.Offset, ssfNoNotify);
        Caret = savedCaret;
        update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                            selection.End.Offset);
        update.SetCaret(savedCaret.Paragraph, savedCaret.Offset, NotSet);
        BeginChange(chfNoReplayScroll);
        try {
            if (!NoUndo) {
                FUndoManager->UpdateViews(update);
                FUndoManager->AddOperation(op);
            }
        } catch (...) {
            EndChanges(1);
            throw;
        }
        EndChanges(1);
        // Without undo the pages were not made again: they go.
        if (NoUndo) {
            ClearPageList();
            PaginationComplete = 0;
        }
    }
    op.reset();

    // 6. The page's header.
    EnterHeaderFooterEditing(nullptr, page);
}

void TDocument::EnterHeaderFooterEditing(TField* object, int32_t page)
{
    // 2. The old one leaves its page.
    BeginChange(chfSelectionQuiet);
    ClearSelection(ssfNoNotify);
    if (EditedHeaderFooter && EditedHeaderFooterPage >= 0 && EditedHeaderFooterPage < PageCount())
        FPages[static_cast<size_t>(EditedHeaderFooterPage)]->RemoveHeaderFooter();
    EndChanges(1);

    // 4. The page made when it does not exist yet.
    if (page >= PageCount()) {
        Paginate(PageCount(), page, 0);
        if (page >= PageCount())
            page = PageCount() - 1;
    }
    if (page < 0)
        page = std::max(PageOfPosition({Caret.Paragraph, Caret.Offset}), 0);
    if (page >= PageCount())
        return;
    TPage& shown = *FPages[static_cast<size_t>(page)];

    // 3. The edited one.
    if (object) {
        EditedHeaderFooter = object;
        EditedHeaderFooterPage = page;
        const TCaret caret = Caret;
        StampFields(object->Range, PageDependentFieldTypes(), page + 1, &shown.GetSection());
        Caret = caret;
    } else {
        EditedHeaderFooter = shown.Header ? shown.Header : shown.Footer;
        EditedHeaderFooterPage = page;
    }
    if (!EditedHeaderFooter)
        return;

    // 5. On its page, the caret at its start.
    shown.LayoutHeaderFooter(EditedHeaderFooter);
    const TTextPosition start = EditedHeaderFooter->Range.Start;
    Caret.Paragraph = start.Paragraph;
    Caret.Offset = start.Offset;
    SetSelection(start.Paragraph, start.Offset, start.Paragraph, start.Offset, ssfNoNotify);
    if (FView)
        FView->Repaint();
    DocumentHost().RequestLayout();
}

void TDocument::RefreshHeaderFooterEditing()
{
    if (!EditedHeaderFooter)
        return;
    const int32_t page = EditedHeaderFooterPage;
    if (page < 0 || page >= PageCount()) {
        EditedHeaderFooter = nullptr;
        return;
    }
    TPage& shown = *FPages[static_cast<size_t>(page)];
    // The header the caret is in, or else the other one of the page.
    if (shown.Header != EditedHeaderFooter && shown.Footer != EditedHeaderFooter) {
        EditedHeaderFooter = nullptr;
        shown.RemoveHeaderFooter();
        DocumentHost().RequestLayout();
        return;
    }
    const TTextRange range = EditedHeaderFooter->Range;
    BeginChange(chfStampingFields);
    try {
        const TCaret caret = Caret;
        const TTextSelection selection = FSelection;
        StampFields(range, PageDependentFieldTypes(), page + 1, &shown.GetSection());
        Caret = caret;
        const TTextPosition at{Caret.Paragraph, Caret.Offset};
        if (CompareTextPos(at, range.Start) < 0 || CompareTextPos(range.End, at) < 0) {
            Caret.Paragraph = range.Start.Paragraph;
            Caret.Offset = range.Start.Offset;
        }
        const bool inside = CompareTextPos(range.Start, selection.Start) <= 0 &&
                            CompareTextPos(selection.End, range.End) <= 0;
        if (!inside)
            SetSelection(Caret.Paragraph, Caret.Offset, Caret.Paragraph, Caret.Offset, ssfNoNotify);
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);
    shown.LayoutHeaderFooter(EditedHeaderFooter);
}
