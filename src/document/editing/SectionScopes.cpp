#include "document/editing/SectionScopes.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

// Change flag raised while a section break is put in for a scope.
constexpr int32_t chfScopeBreak = 41;

bool EndsWithSectionBreak(TDocument& document, int32_t index)
{
    const TParagraph& paragraph = document.Paragraphs(index);
    const int32_t count = paragraph.GetCharCount();
    return count > 0 && paragraph.GetPlainChars().Data()[count - 1] == scSectionBreak;
}

bool StartsWithSectionBreak(TDocument& document, int32_t index)
{
    const TParagraph& paragraph = document.Paragraphs(index);
    return paragraph.GetCharCount() > 0 && paragraph.GetPlainChars().Data()[0] == scSectionBreak;
}

// The selection covers the whole body.
bool SelectionIsWholeBody(TDocument& document)
{
    const TTextSelection& selection = document.Selection();
    const int32_t last = document.StoryLast(stBody);
    return selection.Start.Paragraph == 0 && selection.Start.Offset == 0 && selection.End.Paragraph >= last &&
           selection.End.Offset >= document.Paragraphs(last).GetCharCount() - 1;
}

// The paragraph is its section's last and that section ends with a
// continuous break, before the body's end.
bool EndsContinuousSection(TDocument& document, int32_t paragraph)
{
    if (paragraph < 0 || paragraph >= document.StoryLast(stBody))
        return false;
    const TSection& section = document.GetSectionOfParagraph(paragraph);
    return section.LastParagraph == paragraph && section.BreakKind() == sbContinuous;
}

}  // namespace

std::string ApplyToScopeName(uint8_t scope)
{
    switch (scope) {
    case atWholeDocument:
        return "à tout le document";
    case atFromHere:
        return "à partir de ce point";
    case atSelection:
        return "à la sélection";
    case atThisSection:
        return "à cette section";
    case atSelectedSections:
        return "aux sections sélectionnées";
    default:
        return {};
    }
}

void FillApplyToScopes(TDocument& document, TStrings& list, uint8_t& defaultScope)
{
    list.Clear();
    auto add = [&](uint8_t scope) {
        list.AddObject(ApplyToScopeName(scope), reinterpret_cast<void*>(static_cast<uintptr_t>(scope)));
    };
    document.RebuildSectionRanges();
    const bool selection = document.HasSelection();
    const bool editingHeader = document.EditedHeaderFooter != nullptr;
    const int32_t sections = document.SectionCount();
    if (selection) {
        const TTextSelection& range = document.Selection();
        if (editingHeader) {
            add(atThisSection);
        } else if (sections == 1) {
            if (!SelectionIsWholeBody(document))
                add(atSelection);
        } else if (range.Start.Paragraph <= document.StoryLast(stBody) &&
                   range.End.Paragraph > document.GetSectionOfParagraph(range.Start.Paragraph).LastParagraph) {
            add(atSelectedSections);
            if (!SelectionIsWholeBody(document))
                add(atSelection);
        } else {
            add(atSelection);
            add(atThisSection);
        }
        add(atWholeDocument);
    } else {
        if (sections > 1)
            add(atThisSection);
        add(atWholeDocument);
        if (!editingHeader) {
            const int32_t last = document.StoryLast(stBody);
            const int32_t paragraph = document.Caret.Paragraph;
            const int32_t offset = document.Caret.Offset;
            const bool atStart = paragraph == 0 && offset == 0;
            const bool atEnd = paragraph == last && offset >= document.Paragraphs(last).GetCharCount() - 1;
            if (!atStart && !atEnd)
                add(atFromHere);
        }
    }
    if (list.Count() > 0 &&
        (defaultScope == NoApplyToScope || (defaultScope == atWholeDocument && (selection || sections > 1))))
        defaultScope = static_cast<uint8_t>(reinterpret_cast<uintptr_t>(list.Objects(0)));
}

TTextPosition InsertSectionBreakAt(TDocument& document, TTextPosition position, TUpdateRange& update,
                                   TOperation* op)
{
    update.Reset();
    const int32_t bodyLast = document.StoryLast(stBody);
    position.Paragraph = std::clamp(position.Paragraph, 0, bodyLast);
    const int32_t length = document.Paragraphs(position.Paragraph).GetCharCount();
    position.Offset = std::clamp(position.Offset, 0, std::max(length - 1, 0));
    // At the end of its paragraph: at the start of the next one.
    if (position.Offset >= length - 1 && position.Paragraph < bodyLast)
        MakeTextPos(position.Paragraph + 1, 0, position);

    TMemory text;
    const uint8_t bytes[3] = {12, 0, 0};
    text.Append(bytes, 3);
    TOperationManager& undo = document.UndoManager();
    document.BeginChange(chfScopeBreak);
    try {
        document.PrepareTypingFormat(position, 0);
        TUpdateRange local;
        document.InsertPlainTextAt(text, position, local, op, 0);
        undo.MergeUpdateRange(update, local);
    } catch (...) {
        document.EndChanges(1);
        throw;
    }
    document.EndChanges(1);

    // The break now ends paragraph position.Paragraph; the text that followed
    // it starts the next one. An empty paragraph the insertion left goes.
    TTextPosition after{position.Paragraph + 1, 0};
    TUpdateRange local;
    if (position.Offset == 0 && position.Paragraph > 0 && !EndsWithSectionBreak(document, position.Paragraph - 1)) {
        const int32_t previous = position.Paragraph - 1;
        const int32_t count = document.Paragraphs(previous).GetCharCount();
        document.DeleteRange({previous, count - 1}, {previous, count}, local, op, efKeepEndFormat);
        undo.MergeUpdateRange(update, local);
        after.Paragraph = position.Paragraph;
    } else if (position.Offset > 0 && position.Offset == length - 1 && position.Paragraph + 1 <= bodyLast &&
               position.Paragraph + 2 <= bodyLast && !StartsWithSectionBreak(document, position.Paragraph + 2)) {
        // The mark left alone after the break.
        document.DeleteRange({position.Paragraph + 1, 0}, {position.Paragraph + 2, 0}, local, op, 0);
        undo.MergeUpdateRange(update, local);
    }
    return after;
}

void ExtendRangeToSections(TDocument& document, const TTextRange& range, TTextRange& out)
{
    document.RebuildSectionRanges();
    const int32_t bodyLast = document.StoryLast(stBody);
    out = range;
    out.Start.Paragraph = document.GetPageSection(std::clamp(range.Start.Paragraph, 0, bodyLast)).FirstParagraph;
    int32_t last = document.GetSectionOfParagraph(std::clamp(range.End.Paragraph, 0, bodyLast)).LastParagraph;
    // The sections that go on on the same page belong to the group; the walk
    // ends with the body.
    while (last < bodyLast && document.GetSectionOfParagraph(last).BreakKind() == sbContinuous) {
        const int32_t next = document.GetSectionOfParagraph(last + 1).LastParagraph;
        if (next <= last)
            break;
        last = next;
    }
    out.End.Paragraph = last;
}

void ApplySectionFormatToScope(TDocument& document, uint8_t scope, uint8_t mode, const void* settings)
{
    if (!settings || scope >= ApplyToScopeCount)
        return;
    TOperationManager& undo = document.UndoManager();
    // 1.
    document.LockDispatcher();
    auto op = std::make_unique<TOperation>(&document, okSectionFormat);
    TUpdateRange update;
    const TTextSelection selection = document.Selection();
    const TCaret caret = document.Caret;
    try {
        document.RebuildSectionRanges();
        // 2. The target range.
        TTextRange range;
        TUpdateRange local;
        switch (scope) {
        case atWholeDocument:
            document.GetBodyRange(range);
            break;
        case atFromHere: {
            TTextPosition at{caret.Paragraph, caret.Offset};
            const TSection& section = document.GetSectionOfParagraph(at.Paragraph);
            range.Start = at;
            if (!(at.Offset == 0 && section.FirstParagraph == at.Paragraph)) {
                range.Start = InsertSectionBreakAt(document, at, local, op.get());
                undo.MergeUpdateRange(update, local);
            }
            TTextRange body;
            document.GetBodyRange(body);
            range.End = body.End;
            break;
        }
        case atSelection: {
            range.Start = selection.Start;
            range.End = selection.End;
            document.ClearSelection(ssfNoNotify);
            document.RebuildSectionRanges();
            const TSection& section = document.GetSectionOfParagraph(range.Start.Paragraph);
            if (!(range.Start.Offset == 0 && section.FirstParagraph == range.Start.Paragraph)) {
                const int32_t before = document.ParagraphCount();
                const TTextPosition oldStart = range.Start;
                const TTextPosition after = InsertSectionBreakAt(document, range.Start, local, op.get());
                undo.MergeUpdateRange(update, local);
                if (range.End.Paragraph == oldStart.Paragraph) {
                    range.End.Paragraph = after.Paragraph;
                    range.End.Offset = std::max(range.End.Offset - oldStart.Offset, 0);
                } else {
                    range.End.Paragraph += document.ParagraphCount() - before;
                }
                range.Start = after;
            }
            document.RebuildSectionRanges();
            const int32_t endLength = document.Paragraphs(range.End.Paragraph).GetCharCount();
            const bool atParagraphEnd = range.End.Offset >= endLength - 1;
            if (!(atParagraphEnd && document.GetSectionOfParagraph(range.End.Paragraph).LastParagraph ==
                                        range.End.Paragraph)) {
                InsertSectionBreakAt(document, range.End, local, op.get());
                undo.MergeUpdateRange(update, local);
                range.End.Offset = std::min(range.End.Offset,
                                            std::max(document.Paragraphs(range.End.Paragraph).GetCharCount() - 1, 0));
            }
            break;
        }
        case atThisSection: {
            const TSection& section = document.GetSectionOfParagraph(std::min(caret.Paragraph, document.StoryLast(stBody)));
            MakeTextPos(section.FirstParagraph, 0, range.Start);
            MakeTextPos(section.FirstParagraph, 1, range.End);
            break;
        }
        case atSelectedSections:
            range.Start = selection.Start;
            range.End = selection.End;
            break;
        }
        // 3.
        document.KeepFormat = 0;
        document.RebuildSectionRanges();
        // 4.
        if (mode == sfPageSetup) {
            document.ChangePageParams(*static_cast<const TPageParams*>(settings), range, local, op.get());
            undo.MergeUpdateRange(update, local);
            document.RebuildSectionRanges();
            const int32_t firstOfRange = document.GetSectionOfParagraph(range.Start.Paragraph).FirstParagraph;
            if (EndsContinuousSection(document, firstOfRange - 1)) {
                document.ChangeSectionBreak(firstOfRange - 1, sbNewPage, local, op.get());
                undo.MergeUpdateRange(update, local);
            }
            const int32_t lastOfRange = document.GetSectionOfParagraph(range.End.Paragraph).LastParagraph;
            if (EndsContinuousSection(document, lastOfRange)) {
                document.ChangeSectionBreak(lastOfRange, sbNewPage, local, op.get());
                undo.MergeUpdateRange(update, local);
            }
            op->Kind = okPageSetup;
        } else {
            document.FormatSections(range, *static_cast<const TSectionSettings*>(settings), local, op.get());
            undo.MergeUpdateRange(update, local);
        }
        // 5.
        if (op->IsEmpty() || document.NoUndo || document.IsHidden()) {
            if (!op->IsEmpty())
                undo.ApplySelection(update);
            op.reset();
        } else {
            undo.UpdateViews(update);
            undo.AddOperation(op);
            document.OperationRecorded = 1;
        }
    } catch (...) {
        if (op) {
            TUpdateRange back;
            if (op->Rollback(back)) {
                document.SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                                      selection.End.Offset, ssfNoNotify);
                document.Caret = caret;
            }
        }
        document.UnlockDispatcher();
        throw;
    }
    // 6.
    document.UnlockDispatcher();
}
