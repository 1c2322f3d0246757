// TDocument: putting text into the document. The two insertion cores (a
// formatted fragment, and plain 8-bit text turned into a fragment first), the
// two replacements, the two entries that typing uses (operations 13 and 14)
// and the language that inserted text takes.
#include "document/model/Document.h"

#include "document/fields/Field.h"
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "foundation/Memory.h"
#include "foundation/managers/Style.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"

#include <functional>
#include <algorithm>

namespace {

// The HYPERLINK field type.
constexpr uint8_t HyperlinkFieldType = 88;

// Appends a format record for every slot of the format that is set.
void AppendFormat(TMemory& fragment, const TCharFormat& format)
{
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (format[slot] != NotSet)
            AppendFormatCode(fragment, static_cast<uint16_t>(slot), format[slot]);
}

// Appends a format record for every slot where the format differs from the
// reference.
void AppendFormatDiff(TMemory& fragment, const TCharFormat& format, const TCharFormat& reference)
{
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (format[slot] != NotSet && format[slot] != reference[slot])
            AppendFormatCode(fragment, static_cast<uint16_t>(slot), format[slot]);
}

bool IsSingleChar(const TMemory& text, uint8_t ch)
{
    return text.Size() == 1 && text.Data()[0] == ch;
}

}  // namespace

// ---------------------------------------------------------------------------
// The fragment core

// The paragraph breaks of a fragment are its separators, which the step counts itself.
void TDocument::InsertFragmentAt(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                                 TOperation* op, TEditFlags flags, int32_t story, int32_t /*paragraphBreaks*/)
{
    InsertFragmentCore(fragment, position, update, op, flags, story, nullptr);
}

void TDocument::InsertFragmentCore(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                                   TOperation* op, TEditFlags flags, int32_t story,
                                   std::vector<std::unique_ptr<TSection>>* newSections)
{
    update.Reset();

    // The anchors at the place stand aside while the text goes in.
    const size_t depth = FDetachedAnchors.size();
    TUpdateRange anchors;
    DetachAnchors(position, position, false, anchors, op);
    FUndoManager->MergeUpdateRange(update, anchors);
    try {
        InsertFragmentStep(fragment, position, update, op, flags, story, newSections);
    } catch (...) {
        if (FDetachedAnchors.size() > depth)
            FDetachedAnchors.resize(depth);
        throw;
    }
}

void TDocument::InsertFragmentStep(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                                   TOperation* op, TEditFlags flags, int32_t story,
                                   std::vector<std::unique_ptr<TSection>>* newSections)
{
    // The text after the insertion keeps its format.
    TMemory text;
    text.Assign(fragment);
    if (!(flags & efFollowingFormatDone))
        AppendFormat(text, FollowingFormat);

    auto step = TInsertDeleteOperation::CreateInsertion(this, position, story, text);
    step->OwnsRecords = (flags & efKeepRecordObjects) ? 0 : 1;
    if (newSections)
        for (auto& section : *newSections)
            step->AdoptSection(std::move(section));
    AdoptCarriedObjects(*step, text);
    if (op)
        op->ReserveSteps(1);
    TUpdateRange local;
    step->Redo(local);
    FUndoManager->MergeUpdateRange(update, local);
    const TTextPosition start = step->Start();
    const TTextPosition end = step->End();
    if (op)
        op->AddStep(std::move(step));
    {
        TUpdateRange anchors;
        ReattachAnchors(position, end, anchors, op);
        FUndoManager->MergeUpdateRange(update, anchors);
    }

    if (!(flags & efAdjustSpaces)) {
        Caret.Paragraph = end.Paragraph;
        Caret.Offset = end.Offset;
        if (flags & efReportRange)
            update.SetViewHints(start.Paragraph, start.Offset, end.Paragraph, end.Offset);
        else
            update.SetViewHints(0, 0, 0, 0);
    } else {
        // The spaces at both edges, the end first.
        TUpdateRange atEnd;
        const TSpaceAdjustment e = AdjustSpaces(end, atEnd, op);
        FUndoManager->MergeUpdateRange(update, atEnd);
        TSpaceAdjustment s;
        if (!(start.Paragraph == end.Paragraph && end.Offset - e.RemovedBefore <= start.Offset)) {
            TUpdateRange atStart;
            s = AdjustSpaces(start, atStart, op);
            FUndoManager->MergeUpdateRange(update, atStart);
        }
        Caret.Paragraph = end.Paragraph;
        Caret.Offset = end.Offset - e.RemovedBefore + e.Inserted;
        const bool skipped = start.Paragraph == end.Paragraph && end.Offset - e.RemovedBefore <= start.Offset;
        if (end.Paragraph == start.Paragraph && !skipped)
            Caret.Offset += s.Inserted - s.RemovedBefore - s.RemovedAfter;
        if (flags & efReportRange) {
            const int32_t endOffset = Caret.Offset - e.Inserted;
            if (skipped)
                update.SetViewHints(Caret.Paragraph, endOffset, Caret.Paragraph, endOffset);
            else
                update.SetViewHints(start.Paragraph, start.Offset + s.Inserted - s.RemovedBefore, Caret.Paragraph,
                                    endOffset);
        } else {
            update.SetViewHints(0, 0, 0, 0);
        }
    }
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::InsertPlainTextAt(const TMemory& text, const TTextPosition& position, TUpdateRange& update,
                                  TOperation* op, TEditFlags flags)
{
    update.Reset();
    TMemory fragment;
    AppendFormat(fragment, InsertFormat);
    const TCharFormat& defaults = DefaultCharFormat();

    std::vector<std::unique_ptr<TSection>> newSections;
    int32_t chars = 0;
    bool headersMoved = false;
    // The section the first break closes takes the headers and footers over
    // once it is in the document: a failed insertion frees it, and no step
    // of the operation may name it then.
    TSection* headerHolder = nullptr;
    TSection* headerTaker = nullptr;
    const uint8_t* p = text.Data();
    const int32_t size = text.Size();
    for (int32_t i = 0; i < size; ++i) {
        const uint8_t ch = p[i];
        if (ch == 13 || ch == 10) {
            AppendFormatCode(fragment, icSpecialChar, scParagraphMark);
            fragment.AppendByte(StoredParagraphSeparator);
            ++chars;
            // CR LF and LF CR make one break.
            if (i + 1 < size && (p[i + 1] == 13 || p[i + 1] == 10) && p[i + 1] != ch)
                ++i;
            AppendFormatDiff(fragment, InsertFormat, defaults);
        } else if (ch == 12 && i + 2 < size && p[i + 1] == 0) {
            // A section break: a new section like the one at the position,
            // with the break kind that follows.
            TSection& holder = GetSectionOfParagraph(std::clamp(position.Paragraph, 0, StoryLast(stBody)));
            auto section = std::make_unique<TSection>(this);
            section->Assign(holder);
            section->Settings[ssBreakKind] = p[i + 2];
            if (!headersMoved) {
                headersMoved = true;
                headerHolder = &holder;
                headerTaker = section.get();
            }
            AppendFormatCode(fragment, icSectionBreak, section->Handle());
            fragment.AppendByte(StoredParagraphSeparator);
            newSections.push_back(std::move(section));
            ++chars;
            i += 2;
            AppendFormatDiff(fragment, InsertFormat, defaults);
        } else if (CharToSpecialCodeTable[ch] != 0) {
            AppendFormatCode(fragment, icSpecialChar, CharToSpecialCodeTable[ch]);
            ++chars;
        } else if (ch >= 32) {
            fragment.AppendByte(ch);
            ++chars;
        }
        // Other control characters are dropped.
    }
    AppendFormatDiff(fragment, FollowingFormat, InsertFormat);

    if (chars == 0) {
        update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
        return;
    }
    TUpdateRange local;
    InsertFragmentCore(fragment, position, local, op, flags | efFollowingFormatDone, GetStoryOfParagraph(position.Paragraph),
                       &newSections);
    FUndoManager->MergeUpdateRange(update, local);
    if (headerTaker && std::any_of(std::begin(headerHolder->HeadersFooters), std::end(headerHolder->HeadersFooters),
                                   [](const TField* field) { return field != nullptr; })) {
        TField* moved[6];
        std::copy(std::begin(headerHolder->HeadersFooters), std::end(headerHolder->HeadersFooters), moved);
        TField* const cleared[6] = {};
        TUpdateRange headers;
        ChangeSectionHeaders(*headerTaker, moved, headers, op);
        FUndoManager->MergeUpdateRange(update, headers);
        ChangeSectionHeaders(*headerHolder, cleared, headers, op);
        FUndoManager->MergeUpdateRange(update, headers);
    }
}

// ---------------------------------------------------------------------------
// Replacements

namespace {

// The end rule of replacement: a range that takes the last paragraph of the
// part being edited to its very end keeps that paragraph's end, except under
// the end-of-story rule for whole paragraphs.
TTextPosition ReplacementEnd(TDocument& document, const TTextPosition& start, const TTextPosition& end,
                             TEditFlags flags)
{
    TTextPosition result = end;
    TTextRange part;
    document.GetEditRange(part);
    if (end.Paragraph < 0 || end.Paragraph >= document.ParagraphCount())
        return result;
    if (end.Offset != document.Paragraphs(end.Paragraph).GetCharCount() || end.Paragraph != part.End.Paragraph)
        return result;
    const bool wholeParagraphs =
        (flags & efStoryEnd) && start.Offset == 0 && start.Paragraph != part.Start.Paragraph &&
        (document.SectionCount() == 1 ||
         document.GetSectionOfParagraph(start.Paragraph).FirstParagraph != start.Paragraph);
    if (!wholeParagraphs)
        result.Offset = std::max(result.Offset - 1, 0);
    return result;
}

}  // namespace

// Replaces start..last: the anchors in the range are detached, the range is
// deleted, insertNew puts the new text at the caret, and the surviving anchors
// are attached again.
void TDocument::ReplaceRange(const TTextPosition& start, const TTextPosition& last, TUpdateRange& update,
                             TOperation* op, TEditFlags flags,
                             const std::function<void(TUpdateRange& local)>& insertNew)
{
    ReplacingText = 1;
    const bool bookkeeping = !KeepRanges;
    bool detached = false;
    try {
        TUpdateRange local;
        if (bookkeeping) {
            DetachAnchors(start, last, false, local, op);
            FUndoManager->MergeUpdateRange(update, local);
            detached = true;
        }
        DeleteRange(start, last, local, op, flags & ~efAdjustSpaces);
        FUndoManager->MergeUpdateRange(update, local);
        // The text after the new one keeps the format it had.
        FollowingFormat = DeletedStartFormat;
        if (start.Offset == 0)
            PrecedingFormat = DeletedStartFormat;
        BeginChange(chfReplacing);
        try {
            insertNew(local);
        } catch (...) {
            EndChanges(1);
            throw;
        }
        EndChanges(1);
        FUndoManager->MergeUpdateRange(update, local);
        ReplacingText = 0;
        if (bookkeeping) {
            detached = false;
            ReattachAnchors(start, {Caret.Paragraph, Caret.Offset}, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }
    } catch (...) {
        ReplacingText = 0;
        if (detached && !FDetachedAnchors.empty())
            FDetachedAnchors.pop_back();
        throw;
    }
    update.SetViewHints(0, 0, 0, 0);
}

void TDocument::ReplaceWithFragment(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update,
                                    TOperation* op, TEditFlags flags, int32_t paragraphBreaks,
                                    const TMemory& fragment)
{
    update.Reset();
    const TTextPosition last = ReplacementEnd(*this, start, end, flags);
    ReplaceRange(start, last, update, op, flags, [&](TUpdateRange& local) {
        InsertFragmentAt(fragment, {Caret.Paragraph, Caret.Offset}, local, op, flags,
                         GetStoryOfParagraph(Caret.Paragraph), paragraphBreaks);
    });
}

void TDocument::ReplaceText(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update,
                            TOperation* op, TEditFlags flags, const TMemory& text)
{
    update.Reset();
    const TTextPosition last = ReplacementEnd(*this, start, end, flags);

    // A hyperlink that is exactly the replaced text goes first, its text kept;
    // that one, not the one at the caret.
    if (!NoHyperlinkCheck) {
        TField* link = nullptr;
        for (const auto& object : RangeObjects())
            if (object->Kind == rkField && object->Type == HyperlinkFieldType &&
                CompareTextPos(object->Range.Start, start) == 0 && CompareTextPos(object->Range.End, last) == 0) {
                link = object.get();
                break;
            }
        if (link) {
            TUpdateRange local;
            RemoveHyperlink(link, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }

    ReplaceRange(start, last, update, op, flags, [&](TUpdateRange& local) {
        // The new text takes the format of the first character it replaces.
        const int32_t highlight = InsertFormat[cfHighlight];
        InsertFormat = PositionFormat;
        InsertFormat[cfHighlight] = highlight;
        int32_t language = InsertFormat[cfLanguage];
        int32_t font = InsertFormat[cfFont];
        ChooseInsertLanguage(font, language, font);
        InsertFormat[cfLanguage] = language;
        InsertFormat[cfFont] = font;
        InsertPlainTextAt(text, {Caret.Paragraph, Caret.Offset}, local, op, flags);
    });
}

// ---------------------------------------------------------------------------
// Operations 13 and 14

void TDocument::InsertFragment(const TMemory& fragment, int32_t paragraphBreaks, TUpdateRange& update,
                               TOperation* op, TEditFlags flags)
{
    if (HasSelection()) {
        const TTextSelection selection = Selection();
        if (DocumentHost().TypingReplacesSelection()) {
            ReplaceWithFragment(selection.Start, selection.End, update, op, flags, paragraphBreaks, fragment);
            return;
        }
        GoToPosition(selection.End.Paragraph, selection.End.Offset);
    }
    InsertFragmentAt(fragment, {Caret.Paragraph, Caret.Offset}, update, op, flags,
                     GetStoryOfParagraph(Caret.Paragraph), paragraphBreaks);
}

void TDocument::InsertText(const TMemory& text, TEditFlags flags, TUpdateRange& update, TOperation* op)
{
    if (HasSelection()) {
        const TTextSelection selection = Selection();
        if (DocumentHost().TypingReplacesSelection()) {
            ReplaceText(selection.Start, selection.End, update, op, flags, text);
            return;
        }
        GoToPosition(selection.End.Paragraph, selection.End.Offset);
    }
    PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
    InsertPlainTextAt(text, {Caret.Paragraph, Caret.Offset}, update, op, flags);

    // Overtype: the character after the one typed goes, never the paragraph's end.
    if (DocumentHost().OvertypeMode() && text.Size() == 1 && text.Data()[0] >= 32) {
        const int32_t count = Paragraphs(Caret.Paragraph).GetCharCount();
        if (Caret.Offset < count - 1) {
            TUpdateRange local;
            DeleteRange({Caret.Paragraph, Caret.Offset}, {Caret.Paragraph, Caret.Offset + 1}, local, op, 0);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }

    // Enter at the end of a paragraph.
    if (IsSingleChar(text, 13) && Caret.Offset == Paragraphs(Caret.Paragraph).GetCharCount() - 1) {
        TParagraph& paragraph = Paragraphs(Caret.Paragraph);
        const int32_t styleIndex = paragraph.Format[pfStyle];
        if (const TStyle* style = Styles().Find(styleIndex)) {
            if (style->NextStyle >= 0 && style->NextStyle != styleIndex) {
                // The new paragraph takes the style that follows.
                TTextRange range;
                MakeTextPos(Caret.Paragraph, 0, range.Start);
                MakeTextPos(Caret.Paragraph, paragraph.GetCharCount(), range.End);
                int32_t next = style->NextStyle;
                uint8_t styleFlags = 0;
                void* params[] = {&range, &next, &styleFlags};
                TUpdateRange local;
                RunOperationRoutine(docApplyStyle, *this, params, op, local);
                FUndoManager->MergeUpdateRange(update, local);
                update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
                TypedStyleApplied = 0;
            }
        }
        const int32_t storyFirst = StoryFirst(GetStoryOfParagraph(Caret.Paragraph));
        if (Caret.Paragraph > storyFirst) {
            const TParagraph& previous = Paragraphs(Caret.Paragraph - 1);
            const int32_t list = previous.Format[pfInternal];
            if (previous.GetCharCount() == 1 && list != 0 && list != NotSet) {
                // Enter on an empty list item ends the list on both paragraphs:
                // each takes its own style again, without the list attribute,
                // in the character format at the caret.
                TTextRange both;
                MakeTextPos(Caret.Paragraph - 1, 0, both.Start);
                MakeTextPos(Caret.Paragraph, Paragraphs(Caret.Paragraph).GetCharCount(), both.End);
                TCharFormat atCaret;
                GetCharFormatAt({Caret.Paragraph, Caret.Offset}, atCaret);
                TParFormat noList;
                ClearParFormat(noList);
                noList[pfInternal] = 0;
                uint8_t byParagraph = 0;
                TUpdateRange local;
                for (int32_t index : {Caret.Paragraph - 1, Caret.Paragraph}) {
                    TTextRange one;
                    MakeTextPos(index, 0, one.Start);
                    MakeTextPos(index, Paragraphs(index).GetCharCount(), one.End);
                    int32_t own = Paragraphs(index).Format[pfStyle];
                    void* params[] = {&one, &own, &byParagraph};
                    RunOperationRoutine(docApplyStyle, *this, params, op, local);
                    FUndoManager->MergeUpdateRange(update, local);
                }
                void* parParams[] = {&both, &noList};
                RunOperationRoutine(docFormatParagraphs, *this, parParams, op, local);
                FUndoManager->MergeUpdateRange(update, local);
                uint8_t textFlags = 0;
                void* textParams[] = {&both, &atCaret, &textFlags};
                RunOperationRoutine(docFormatText, *this, textParams, op, local);
                FUndoManager->MergeUpdateRange(update, local);
                update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
                TypedStyleApplied = 1;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Languages

void TDocument::ChooseInsertLanguage(int32_t fontIndex, int32_t& language, int32_t& font)
{
    if (NoInsertLanguage)
        return;
    TDocumentHost& host = DocumentHost();
    int32_t chosen = 0;
    if (PastingFromClipboard)
        chosen = host.ClipboardLanguage();
    if (chosen == 0) {
        const uint32_t keyboardCodePage = host.KeyboardCodePage();
        const int32_t selectionLanguage = SelCharFormat[cfLanguage];
        if (UseDefaultLanguage)
            chosen = DefaultCharFormat()[cfLanguage];
        else if (UseDocumentLanguage)
            chosen = DocumentLanguage;
        else if (selectionLanguage != NotSet && !KeyboardLayoutChanged &&
                 GetLocaleAnsiCodePage(static_cast<LCID>(selectionLanguage & 0xFFFF)) == 1252 &&
                 keyboardCodePage == 1252)
            chosen = selectionLanguage;
        else
            chosen = host.KeyboardLanguage();
    }
    language = FixedLanguage != 0 ? FixedLanguage : (chosen & 0xFFFF);
    const uint8_t charset = GetLocaleCharset(static_cast<LCID>(chosen & 0xFFFF), PastingFromClipboard != 0);
    if (TFontManager* fonts = GetFontManager(); fonts && fontIndex != NotSet && fontIndex >= 0)
        font = fonts->GetCharsetVariant(fontIndex, charset);
    else
        font = fontIndex;
}

int32_t TDocument::GetCurrentLanguage()
{
    if (SelCharFormat[cfLanguage] != NotSet)
        return SelCharFormat[cfLanguage];
    return GetLanguageAt(Selection().Start.Paragraph, Selection().Start.Offset + 1);
}
