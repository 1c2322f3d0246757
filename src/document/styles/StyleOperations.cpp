// TDocument: the operations that change formats in steps or through styles
// (operations 4, 5, 6, 9, 10 and 12 of the dispatcher). Each adds its format
// steps to the operation it is given through FormatText, FormatParagraphs
// or a style-list change, and merges their update ranges into its own.
#include "document/styles/StyleOperations.h"

#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/Style.h"

#include <algorithm>
#include <memory>
#include <vector>

int32_t StepCharAttributeValue(int32_t slot, int32_t value, int32_t delta);

namespace {

int32_t ValueOrZero(int32_t value)
{
    return value == NotSet ? 0 : value;
}

void SetSelectionHints(const TDocument& document, TUpdateRange& update)
{
    const TTextSelection& selection = document.Selection();
    update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                        selection.End.Offset);
    update.SetCaret(document.Caret.Paragraph, document.Caret.Offset, NotSet);
}

// The value of one character slot over a range: NotSet when it is mixed.
int32_t CommonCharValue(TDocument& document, const TTextRange& range, int32_t slot)
{
    TCharFormat common;
    document.GetCommonCharFormat(range, common, false);
    return common[slot];
}

// The character runs of a paragraph: offsets and the format in force.
struct TCharRun {
    int32_t From;
    int32_t To;
    TCharFormat Format;
};

std::vector<TCharRun> CharRunsOf(const TParagraph& paragraph)
{
    std::vector<TCharRun> runs;
    TCharFormat current = DefaultCharFormat();
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    int32_t chars = 0;
    for (int32_t pos = 0; pos < size;) {
        bool character = true;
        if (p[pos] == InlineControlStartByte) {
            const TInlineControl c = ReadInlineControl(p + pos);
            pos += InlineControlSize;
            if (IsFormatCode(c.Code)) {
                current[c.Code] = c.Argument;
                character = false;
            } else if (!IsCharacterCode(c.Code)) {
                character = false;
            }
        } else {
            ++pos;
        }
        if (!character)
            continue;
        if (!runs.empty() && runs.back().To == chars && CharFormatsEqual(runs.back().Format, current))
            ++runs.back().To;
        else
            runs.push_back({chars, chars + 1, current});
        ++chars;
    }
    return runs;
}

// The full formats of a style (program defaults for none).
void FullStyleFormat(const TStyleList& styles, int32_t index, TCharFormat& charFormat, TParFormat& parFormat)
{
    if (const TStyle* style = styles.Find(index)) {
        style->GetFullFormat(charFormat, parFormat, gffKeepLanguage);
        return;
    }
    charFormat = DefaultCharFormat();
    parFormat = DefaultParFormat();
}

}  // namespace

// ---------------------------------------------------------------------------
// Operation 10

void TDocument::ApplyStyleToParagraphs(const TTextRange& range, int32_t styleIndex, TUpdateRange& update,
                                       TOperation* op, const TParFormat* parOverride,
                                       const TCharFormat* charOverride, bool reset)
{
    update.Reset();
    const TStyle* style = Styles().Find(styleIndex);
    if (!style)
        return;
    TTextRange target = range;
    if (IsRangeEmpty(target)) {
        MakeTextPos(Caret.Paragraph, 0, target.Start);
        MakeTextPos(Caret.Paragraph, Paragraphs(Caret.Paragraph).GetCharCount(), target.End);
    }
    const int32_t first = std::clamp(target.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(target.End.Paragraph, first, ParagraphCount() - 1);
    TTextRange whole;
    MakeTextPos(first, 0, whole.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), whole.End);

    TParFormat indexOnly;
    ClearParFormat(indexOnly);
    indexOnly[pfStyle] = styleIndex;
    if (!reset) {
        FormatParagraphs(whole, indexOnly, update, op);
        return;
    }

    TCharFormat newChar;
    TParFormat newPar;
    style->GetFullFormat(newChar, newPar, gffKeepLanguage);
    if (!StyleApplicationFlag) {
        newChar[cfHighlight] = NotSet;
        newPar[pfInternal] = NotSet;
    }
    if (parOverride)
        newPar = *parOverride;
    if (charOverride)
        newChar = *charOverride;
    newPar[pfStyle] = styleIndex;

    // The characters first, paragraph by paragraph, against the style each
    // paragraph had.
    for (int32_t index = first; index <= last; ++index) {
        TParagraph& paragraph = Paragraphs(index);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
        TCharFormat oldChar;
        TParFormat oldPar;
        FullStyleFormat(Styles(), paragraph.Format[pfStyle], oldChar, oldPar);
        TTextRange all;
        MakeTextPos(index, 0, all.Start);
        MakeTextPos(index, paragraph.GetCharCount(), all.End);
        TUpdateRange local;
        if (paragraph.GetCharCount() <= 1) {
            FormatText(all, newChar, ftfNoSelectionHint, local, op);
            FUndoManager->MergeUpdateRange(update, local);
            continue;
        }
        for (const TCharRun& run : CharRunsOf(Paragraphs(index))) {
            const bool inLink = FindRangeAt({index, run.From}, fkHyperlink, rkField) != nullptr;
            TCharFormat values;
            ClearCharFormat(values);
            for (int32_t slot = TCharFormat::Count - 1; slot >= 0; --slot) {
                if (inLink && (slot == cfColor || slot == cfUnderline))
                    continue;
                const int32_t own = run.Format[slot];
                int32_t wanted;
                if (own == oldChar[slot])
                    wanted = newChar[slot];
                else if (slot >= cfBold && slot <= cfUnderline)
                    // Direct bold, italic, strike-through or underline stays
                    // the opposite of the style.
                    wanted = newChar[slot] == NotSet ? NotSet : (newChar[slot] ^ 1);
                else
                    wanted = own;
                if (wanted != own)
                    values[slot] = wanted;
            }
            if (IsCharFormatEmpty(values))
                continue;
            TTextRange part;
            MakeTextPos(index, run.From, part.Start);
            MakeTextPos(index, run.To, part.End);
            FormatText(part, values, ftfNoSelectionHint, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }
    TUpdateRange local;
    FormatParagraphs(whole, newPar, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    SetSelectionHints(*this, update);
}

// ---------------------------------------------------------------------------
// Operation 4

void TDocument::ScaleCharAttribute(const TTextRange& range, int32_t slot, int32_t step, TUpdateRange& update,
                                   TOperation* op)
{
    update.Reset();
    if (slot < 0 || slot >= TCharFormat::Count)
        return;
    TCharFormat format;
    ClearCharFormat(format);
    if (IsRangeEmpty(range)) {
        int32_t value = SelCharFormat[slot];
        if (value == NotSet)
            value = DefaultCharFormat()[slot];
        format[slot] = StepCharAttributeValue(slot, value, step);
        FormatText(range, format, 0, update, op);
        return;
    }
    const int32_t common = CommonCharValue(*this, range, slot);
    if (common == NotSet) {
        StepCharAttribute(range, slot, step, update, op);
        SetSelectionHints(*this, update);
        return;
    }
    format[slot] = StepCharAttributeValue(slot, common, step);
    TCharFormat reference;
    ClearCharFormat(reference);
    reference[slot] = common;
    DiffCharFormat(format, reference);
    FormatText(range, format, 0, update, op);
}

// ---------------------------------------------------------------------------
// Operation 5

void TDocument::ApplyFormatPainter(const TFormatPainterRecord& record, bool useStyleName, TUpdateRange& update,
                                   TOperation* op)
{
    update.Reset();
    TTextRange selected;
    selected.Start = FSelection.Start;
    selected.End = FSelection.End;
    if (useStyleName) {
        const int32_t index = Styles().IndexOfDisplayName(record.StyleName);
        if (index < 0)
            return;
        ApplyStyleToParagraphs(selected, index, update, op, nullptr, nullptr, true);
        return;
    }
    TCharFormat characters = record.Char;
    characters[cfHighlight] = NotSet;
    TUpdateRange local;
    FormatText(selected, characters, 0, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    if (!IsParFormatEmpty(record.Par)) {
        TTextRange paragraphs = selected;
        if (!HasSelection()) {
            MakeTextPos(Caret.Paragraph, 0, paragraphs.Start);
            MakeTextPos(Caret.Paragraph, Paragraphs(Caret.Paragraph).GetCharCount(), paragraphs.End);
        }
        FormatParagraphs(paragraphs, record.Par, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    SetSelectionHints(*this, update);
}

// ---------------------------------------------------------------------------
// Operation 6

void TDocument::ReducePageCount(TUpdateRange& update, TOperation* op)
{
    update.Reset();
    PaginationComplete = 0;
    PaginateAll();
    if (PageCount() <= 1) {
        ShowMessageDlg("Impossible de réduire le nombre de pages. Ce document n'a qu'une page.", mtInformation,
                       mbOK);
        return;
    }
    const TTextSelection saved = FSelection;
    const TCaret savedCaret = Caret;
    // The steps are gathered apart, so that a run that cannot succeed is
    // taken back whole.
    TOperation work(this, okCommand);
    BeginChange(14);
    BeginChange(chfToolsRefresh);
    BeginSuppressChange(chfLayoutChange);
    bool failed = false;
    try {
        const int32_t pages = PageCount();
        for (;;) {
            TTextRange body;
            GetBodyRange(body);
            SetSelection(body.Start.Paragraph, body.Start.Offset, body.End.Paragraph, body.End.Offset,
                         ssfNoNotify);
            TCharFormat common;
            GetCommonCharFormat(body, common, false);
            if (common[cfSize] == 2) {
                failed = true;
                break;
            }
            TUpdateRange local;
            StepCharAttribute(body, cfSize, -1, local, &work);
            FUndoManager->MergeUpdateRange(update, local);
            ClearPageList();
            InvalidateAllParagraphs();
            PaginationComplete = 0;
            PaginateAll();
            if (PageCount() != pages)
                break;
        }
    } catch (...) {
        TUpdateRange back;
        work.Rollback(back);
        EndChanges(3);
        throw;
    }
    if (failed) {
        TUpdateRange back;
        work.Rollback(back);
        ClearPageList();
        InvalidateAllParagraphs();
        PaginationComplete = 0;
        DocumentHost().PushStatus();
        PaginateAll();
        DocumentHost().PopStatus();
        ShowMessageDlg("Impossible de réduire le nombre de pages.", mtInformation, mbOK);
        update.Reset();
    } else if (op) {
        op->TakeSteps(work);
    }
    SetSelection(saved.Start.Paragraph, saved.Start.Offset, saved.End.Paragraph, saved.End.Offset, ssfNoNotify);
    Caret = savedCaret;
    EndChanges(3);
    if (!failed) {
        update.FullUpdate = 1;
        SetSelectionHints(*this, update);
    }
}

// ---------------------------------------------------------------------------
// Operation 9

void TDocument::StepParagraphFormat(const TTextRange& range, uint8_t mode, int32_t amount, TUpdateRange& update,
                                    TOperation* op)
{
    update.Reset();
    if (mode > psmSpaceAfterMore)
        return;
    TTextRange target = range;
    if (IsRangeEmpty(target)) {
        MakeTextPos(Caret.Paragraph, 0, target.Start);
        target.End = target.Start;
    }
    const int32_t first = std::clamp(target.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(target.End.Paragraph, first, ParagraphCount() - 1);

    // The new values of each paragraph, then runs of paragraphs of one
    // section with equal old values changed together.
    struct TChange {
        int32_t Paragraph;
        const TSection* Section;
        TParFormat Format;
        TParFormat Old;
    };
    std::vector<TChange> changes;
    for (int32_t index = first; index <= last; ++index) {
        const TParFormat& own = Paragraphs(index).Format;
        const TSection& section = GetPageSection(index);
        const int32_t width = std::max(section.PageParams[ppTextWidth], 0);
        const int32_t height = section.PageParams[ppPaperHeight];
        TParFormat format;
        ClearParFormat(format);
        TParFormat old;
        ClearParFormat(old);
        int32_t firstIndent = ValueOrZero(own[pfFirstIndent]);
        int32_t left = ValueOrZero(own[pfLeftIndent]);
        auto fold = [&] {
            if (firstIndent < 0) {
                left = std::max(left + firstIndent, 0);
                firstIndent = 0;
            }
        };
        switch (mode) {
        case psmLeftIndent:
            left = static_cast<int32_t>(std::clamp<int64_t>(int64_t{left} + amount, 0, width));
            if (firstIndent < 0 && -firstIndent > left)
                firstIndent = -left;
            break;
        case psmLeftIndentKeepFirst: {
            const int32_t newLeft = static_cast<int32_t>(std::clamp<int64_t>(int64_t{left} + amount, 0, width));
            firstIndent -= newLeft - left;
            left = newLeft;
            break;
        }
        case psmHanging:
            fold();
            left += HangingIndentStep;
            firstIndent = -HangingIndentStep;
            break;
        case psmNoHanging:
            fold();
            break;
        default: {
            const int slot = mode <= psmSpaceBeforeMore ? pfSpaceBefore : pfSpaceAfter;
            const bool more = mode == psmSpaceBeforeMore || mode == psmSpaceAfterMore;
            const int32_t value = ValueOrZero(own[slot]);
            const int32_t limit = static_cast<int32_t>(static_cast<int64_t>(std::max(height, 0)) * 40 / 100);
            format[slot] = more ? std::max(std::min(value + ParSpacingStep, limit), std::min(value, limit))
                                : std::max(value - ParSpacingStep, 0);
            old[slot] = own[slot];
            break;
        }
        }
        if (mode <= psmNoHanging) {
            format[pfFirstIndent] = firstIndent;
            format[pfLeftIndent] = left;
            old[pfFirstIndent] = own[pfFirstIndent];
            old[pfLeftIndent] = own[pfLeftIndent];
        }
        changes.push_back({index, &section, format, old});
    }
    for (size_t i = 0; i < changes.size();) {
        size_t j = i + 1;
        while (j < changes.size() && changes[j].Section == changes[i].Section &&
               SameParFormat(changes[j].Old, changes[i].Old) && SameParFormat(changes[j].Format, changes[i].Format))
            ++j;
        TTextRange run;
        MakeTextPos(changes[i].Paragraph, 0, run.Start);
        MakeTextPos(changes[j - 1].Paragraph, 0, run.End);
        TUpdateRange local;
        FormatParagraphs(run, changes[i].Format, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        i = j;
    }
    SetSelectionHints(*this, update);
}

// ---------------------------------------------------------------------------
// Operation 12

void TDocument::UpdateStyleFromSelection(TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TTextRange selected;
    selected.Start = FSelection.Start;
    selected.End = FSelection.End;
    TParFormat common;
    if (HasSelection())
        GetCommonParFormat(selected, common, false);
    else
        common = SelParFormat;
    const int32_t styleIndex = common[pfStyle];
    TStyle* style = styleIndex == NotSet ? nullptr : Styles().Find(styleIndex);
    if (!style) {
        ShowMessageDlg("Cette action (\"la mise à jour des styles\") ne peut s'appliquer qu'à une sélection de "
                       "paragraphes relevant du même style.",
                       mtInformation, mbOK);
        return;
    }
    // 1. The formats at the selection.
    TParFormat parFormat;
    TCharFormat charFormat;
    if (HasSelection()) {
        parFormat = Paragraphs(selected.Start.Paragraph).Format;
        GetCharFormatAt(selected.Start, charFormat);
    } else {
        parFormat = SelParFormat;
        charFormat = SelCharFormat;
    }
    // 2. What differs from the parent.
    TCharFormat parentChar;
    TParFormat parentPar;
    if (const TStyle* parent = Styles().Find(style->BasedOn); parent && style->BasedOn != styleIndex) {
        parent->GetFullFormat(parentChar, parentPar, 0);
    } else {
        parentChar = DefaultCharFormat();
        parentPar = DefaultParFormat();
    }
    DiffCharFormat(charFormat, parentChar);
    DiffParFormat(parFormat, parentPar);
    // 3. Never the highlight, the language or the internal slot.
    charFormat[cfHighlight] = NotSet;
    charFormat[cfLanguage] = NotSet;
    parFormat[pfInternal] = NotSet;
    parFormat[pfStyle] = style->ParFormat[pfStyle];
    // 4. Nothing to do.
    if (CharFormatsEqual(charFormat, style->CharFormat) && SameParFormat(parFormat, style->ParFormat))
        return;
    // 5. The style redefined in a copy of the list.
    auto info = std::make_unique<TFormatStyleListInfo>();
    info->Styles = std::make_unique<TStyleList>(this, &TabManager());
    info->Styles->Assign(Styles());
    TStyle& changed = (*info->Styles)[styleIndex];
    changed.CharFormat = charFormat;
    changed.ParFormat = parFormat;
    info->Changed.push_back(styleIndex);
    ChangeStyleList(selected, std::move(info), update, op);
}
