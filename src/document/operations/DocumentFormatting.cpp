// TDocument: the routines that change formats and section properties. Each
// builds one undoable step, applies it, and appends it to the operation it is
// given (null: the change is applied and cannot be undone).
#include "document/model/Document.h"

#include "document/steps/ChangePageParamsOperation.h"
#include "document/steps/ChangeSectionBreakOperation.h"
#include "document/steps/FormatParagraphsOperation.h"
#include "document/steps/FormatSectionOperation.h"
#include "document/steps/FormatTabsOperation.h"
#include "document/steps/FormatTextOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "foundation/TextTables.h"
#include "platform/win/Geometry.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

namespace {

// 40 % of a paper dimension, rounded down: the most a margin set on its own
// may take. (Validating a whole page set-up rounds instead.)
int32_t FortyPercent(int32_t dimension)
{
    return static_cast<int32_t>(static_cast<int64_t>(dimension) * 40 / 100);
}

// Standard font sizes in half-points.
constexpr int32_t kStandardSizes[] = {12, 14, 16, 18, 20, 22, 24, 28, 32, 36, 40, 44, 48, 52, 56, 72, 96, 144};


void SetSelectionHints(const TDocument& document, TUpdateRange& update)
{
    const TTextSelection& selection = document.Selection();
    update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                        selection.End.Offset);
}

// A character that belongs to a word for the whole-word rule.
bool IsWordChar(uint8_t c)
{
    return c >= 32 && !DelimiterCharTable[c];
}

int32_t ValueOrZero(int32_t value)
{
    return value == NotSet ? 0 : value;
}

}  // namespace

int32_t StepCharAttributeValue(int32_t slot, int32_t value, int32_t delta)
{
    int64_t result = static_cast<int64_t>(value) + delta;
    switch (slot) {
    case cfSize:
        if (delta == -2000) {
            result = value;
            for (int32_t size : kStandardSizes)
                if (size < value)
                    result = size;
        } else if (delta == 2000) {
            result = value;
            for (auto it = std::rbegin(kStandardSizes); it != std::rend(kStandardSizes); ++it)
                if (*it > value)
                    result = *it;
        } else if (delta < -1999 || delta > 1999) {
            result = MulDiv(value, delta - 2000, 100);
        }
        return static_cast<int32_t>(std::clamp<int64_t>(result, 2, 2000));
    case cfLetterSpacing:
        result = static_cast<int64_t>(MulDiv(value, 1, 20)) * 20 + delta;
        return static_cast<int32_t>(std::clamp<int64_t>(result, -20000, 20000));
    case cfRaise:
        return static_cast<int32_t>(std::clamp<int64_t>(result, -1000, 1000));
    default:
        return static_cast<int32_t>(std::clamp<int64_t>(result, INT32_MIN + 1, INT32_MAX));
    }
}

// ---------------------------------------------------------------------------
// Page set-up

void TDocument::ChangePageParams(const TPageParams& params, const TTextRange& scope, TUpdateRange& update,
                                 TOperation* op)
{
    update.Reset();
    auto step = std::make_unique<TChangePageParamsOperation>(this);
    step->Scope = scope;

    // The kind of change, from the values the record sets.
    auto set = [&params](int slot) { return params[slot] != NotSet; };
    uint8_t kind = ppcOrientation;
    if (set(ppLeftMargin) && set(ppRightMargin) && set(ppTopMargin) && set(ppBottomMargin)) {
        kind = ppcWhole;
    } else {
        constexpr int kSlots[] = {ppLeftMargin, ppRightMargin, ppTopMargin, ppBottomMargin, ppHeaderDistance,
                                  ppFooterDistance};
        bool found = false;
        for (uint8_t i = 0; i < std::size(kSlots); ++i)
            if (set(kSlots[i])) {
                kind = i;
                found = true;
                break;
            }
        // A record that sets other values than the orientation (a new paper
        // size) is a page set-up of those values, not a turn of the pages.
        if (!found)
            for (int slot = 0; slot < TPageParams::Count; ++slot)
                if (slot != ppOrientation && set(slot)) {
                    kind = ppcWhole;
                    break;
                }
    }
    step->ChangeKind = kind;

    std::vector<TSection*> sections;
    GetSectionsOfRange(scope, sections);
    step->Records.resize(sections.size());
    for (size_t i = sections.size(); i-- > 0;) {
        TSection& section = *sections[i];
        TPageParams& record = step->Records[i];
        record = section.PageParams;
        const TPageParams& governing = GetPageSectionOf(section).PageParams;
        switch (kind) {
        case ppcWhole:
            for (int slot = 0; slot < TPageParams::Count; ++slot)
                if (set(slot))
                    record[slot] = params[slot];
            ValidatePageParams(record);
            break;
        case ppcLeftMargin:
        case ppcRightMargin: {
            const int slot = kind == ppcLeftMargin ? ppLeftMargin : ppRightMargin;
            record[slot] = std::clamp(params[slot], 0, FortyPercent(governing[ppPaperWidth]));
            break;
        }
        case ppcTopMargin:
        case ppcBottomMargin: {
            const int slot = kind == ppcTopMargin ? ppTopMargin : ppBottomMargin;
            record[slot] = std::clamp(params[slot], 0, FortyPercent(governing[ppPaperHeight]));
            break;
        }
        case ppcHeaderDistance:
        case ppcFooterDistance: {
            const int slot = kind == ppcHeaderDistance ? ppHeaderDistance : ppFooterDistance;
            record[slot] = std::min(params[slot], FortyPercent(governing[ppPaperHeight]));
            break;
        }
        default:
            // The step turns the pages itself.
            break;
        }
    }
    ApplyStep(*this, std::move(step), update, op);
    update.SetCaret(Caret.Paragraph, Caret.Offset, Caret.Column);
}

// ---------------------------------------------------------------------------
// Paragraph and character formats

void TDocument::FormatParagraphs(const TTextRange& range, const TParFormat& format, TUpdateRange& update,
                                 TOperation* op)
{
    update.Reset();
    if (IsParFormatEmpty(format))
        return;
    const int32_t first = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(range.End.Paragraph, first, ParagraphCount() - 1);
    FUndoManager->GetRelayoutStart(update, first);

    auto step = std::make_unique<TFormatParagraphsOperation>(this);
    for (int32_t index = first; index <= last; ++index) {
        const TParFormat& own = Paragraphs(index).Format;
        std::vector<std::pair<int32_t, int32_t>> values;
        const bool firstSet = format[pfFirstIndent] != NotSet;
        const bool leftSet = format[pfLeftIndent] != NotSet;
        if (firstSet || leftSet) {
            // A hanging first line is kept within the left indent, so that the
            // first line stays where it was when only one of them changes.
            const int32_t oldFirst = ValueOrZero(own[pfFirstIndent]);
            const int32_t oldLeft = ValueOrZero(own[pfLeftIndent]);
            int32_t newFirst = oldFirst;
            int32_t newLeft = oldLeft;
            if (firstSet && leftSet) {
                newFirst = format[pfFirstIndent];
                newLeft = format[pfLeftIndent];
            } else if (firstSet) {
                if (oldFirst < 0)
                    newLeft += oldFirst;
                newFirst = format[pfFirstIndent];
                if (newFirst < 0)
                    newLeft -= newFirst;
            } else {
                newLeft = format[pfLeftIndent];
                if (oldFirst < 0)
                    newLeft -= oldFirst;
            }
            if (newFirst != own[pfFirstIndent])
                values.emplace_back(pfFirstIndent, newFirst);
            if (newLeft != own[pfLeftIndent])
                values.emplace_back(pfLeftIndent, newLeft);
        }
        for (int slot = pfLineSpacing; slot < TParFormat::Count; ++slot)
            if (format[slot] != NotSet && format[slot] != own[slot])
                values.emplace_back(slot, format[slot]);
        if (!values.empty())
            step->AddBlock(index, std::move(values));
    }
    if (!step->IsEmpty())
        ApplyStep(*this, std::move(step), update, op);
    SetSelectionHints(*this, update);
    update.SetCaret(Caret.Paragraph, Caret.Offset, Caret.Column);
}

void TDocument::FormatText(const TTextRange& range, const TCharFormat& format, uint8_t flags, TUpdateRange& update,
                           TOperation* op)
{
    update.Reset();
    if (IsCharFormatEmpty(format))
        return;
    TTextRange target = range;

    // The whole word at the caret.
    if (IsRangeEmpty(target) && (DocumentHost().FormatWholeWord() || LanguageCommand) &&
        target.Start.Paragraph >= 0 && target.Start.Paragraph < ParagraphCount()) {
        const TParagraph& paragraph = Paragraphs(target.Start.Paragraph);
        const uint8_t* plain = paragraph.GetPlainChars().Data();
        const int32_t count = paragraph.GetCharCount();
        const int32_t caret = std::clamp(target.Start.Offset, 0, count);
        int32_t from = caret;
        while (from > 0 && IsWordChar(plain[from - 1]))
            --from;
        int32_t to = caret;
        while (to < count && IsWordChar(plain[to]))
            ++to;
        if (to > from) {
            const bool inside = from < caret && caret < to;
            if (inside || (LanguageCommand && format[cfLanguage] != NotSet)) {
                MakeTextPos(target.Start.Paragraph, from, target.Start);
                MakeTextPos(target.Start.Paragraph, to, target.End);
            }
        } else if (count == 1) {
            MakeTextPos(target.Start.Paragraph, 1, target.End);
        }
    }

    // Still nothing: the typing format takes the values.
    if (IsRangeEmpty(target)) {
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (format[slot] != NotSet)
                SelCharFormat[slot] = format[slot];
        if (CaretFormatFlag)
            TypingFormatChanged = 1;
        return;
    }

    TCharFormat values = format;
    if (TypingFormatChanged)
        FillUnsetCharFormat(values, SelCharFormat);
    // Font indices are the program's own in this model: slot 0 needs no
    // translation to a table of the document.
    ApplyStep(*this, std::make_unique<TFormatTextOperation>(this, target, values), update, op);
    if (flags & ftfNoSelectionHint)
        update.SetViewHints(0, 0, 0, 0);
    else
        SetSelectionHints(*this, update);
    update.SetCaret(Caret.Paragraph, Caret.Offset, Caret.Column);
}

void TDocument::StepCharAttribute(const TTextRange& range, int32_t slot, int32_t delta, TUpdateRange& update,
                                  TOperation* op)
{
    update.Reset();
    if (slot < 0 || slot >= TCharFormat::Count)
        return;
    struct TRun {
        TTextRange Range;
        int32_t Value;
    };
    std::vector<TRun> runs;
    const int32_t first = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(range.End.Paragraph, first, ParagraphCount() - 1);
    for (int32_t index = first; index <= last; ++index) {
        TParagraph& paragraph = Paragraphs(index);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
        const int32_t count = paragraph.GetCharCount();
        const int32_t from = index == range.Start.Paragraph ? std::clamp(range.Start.Offset, 0, count) : 0;
        const int32_t to = index == range.End.Paragraph ? std::clamp(range.End.Offset, 0, count) : count;
        if (from >= to)
            continue;
        // At the paragraph's start the value is its style's.
        int32_t value = DefaultCharFormat()[slot];
        if (const TStyle* style = Styles().Find(Paragraphs(index).Format[pfStyle])) {
            TCharFormat charFormat;
            TParFormat parFormat;
            style->GetFullFormat(charFormat, parFormat, gffKeepLanguage);
            if (charFormat[slot] != NotSet)
                value = charFormat[slot];
        }
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        int32_t chars = 0;
        int32_t runStart = from;
        int32_t runValue = NotSet;
        for (int32_t pos = 0; pos < size && chars < to;) {
            if (p[pos] == InlineControlStartByte) {
                const TInlineControl record = ReadInlineControl(p + pos);
                pos += InlineControlSize;
                if (record.Code == slot) {
                    value = record.Argument;
                    continue;
                }
                if (!IsCharacterCode(record.Code))
                    continue;
            } else {
                ++pos;
            }
            // A character with the value in force.
            if (chars >= from) {
                if (runValue == NotSet) {
                    runValue = value;
                    runStart = chars;
                } else if (value != runValue) {
                    runs.push_back({{{index, runStart}, {index, chars}}, runValue});
                    runValue = value;
                    runStart = chars;
                }
            }
            ++chars;
        }
        if (runValue != NotSet)
            runs.push_back({{{index, runStart}, {index, std::min(chars, to)}}, runValue});
    }
    for (const TRun& run : runs) {
        const int32_t stepped = StepCharAttributeValue(slot, run.Value, delta);
        if (stepped == run.Value)
            continue;
        TCharFormat format;
        ClearCharFormat(format);
        format[slot] = stepped;
        TUpdateRange local;
        FormatText(run.Range, format, ftfNoSelectionHint, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
}

// ---------------------------------------------------------------------------
// Tabs and styles

void TDocument::FormatTabs(const TTabChange& change, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TTabChange applied = change;
    if (HasSelection()) {
        applied.Range.Start = FSelection.Start;
        applied.Range.End = FSelection.End;
    } else {
        MakeTextPos(Caret.Paragraph, 0, applied.Range.Start);
        MakeTextPos(Caret.Paragraph, Paragraphs(Caret.Paragraph).GetCharCount(), applied.Range.End);
    }
    FTabManager->InvalidateWorkingTable();
    ApplyStep(*this, std::make_unique<TFormatTabsOperation>(this, applied), update, op);
}

void TDocument::ResetFormatToStyle(const TTextRange& range, uint8_t what, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TTextRange target = range;
    if (IsRangeEmpty(target)) {
        MakeTextPos(Caret.Paragraph, Caret.Offset, target.Start);
        target.End = target.Start;
    }
    const int32_t first = std::clamp(target.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(target.End.Paragraph, first, ParagraphCount() - 1);
    for (int32_t runFirst = first; runFirst <= last;) {
        const int32_t styleIndex = Paragraphs(runFirst).Format[pfStyle];
        int32_t runLast = runFirst;
        while (runLast < last && Paragraphs(runLast + 1).Format[pfStyle] == styleIndex)
            ++runLast;
        TTextRange run;
        if (runFirst == target.Start.Paragraph)
            run.Start = target.Start;
        else
            MakeTextPos(runFirst, 0, run.Start);
        if (runLast == target.End.Paragraph)
            run.End = target.End;
        else
            MakeTextPos(runLast, Paragraphs(runLast).GetCharCount(), run.End);
        if (const TStyle* style = Styles().Find(styleIndex)) {
            TCharFormat charFormat;
            TParFormat parFormat;
            style->GetFullFormat(charFormat, parFormat, 0);
            charFormat[cfHighlight] = NotSet;
            parFormat[pfInternal] = NotSet;
            TUpdateRange local;
            if (what == 1)
                FormatText(run, charFormat, 0, local, op);
            else
                FormatParagraphs(run, parFormat, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }
        runFirst = runLast + 1;
    }
}

std::unique_ptr<TStyleList> TDocument::ExchangeStyles(std::unique_ptr<TStyleList> styles)
{
    if (!styles)
        return nullptr;
    std::swap(FStyles, styles);
    return styles;
}

// ---------------------------------------------------------------------------
// Sections

void TDocument::FormatSections(const TTextRange& range, const TSectionSettings& settings, TUpdateRange& update,
                               TOperation* op)
{
    update.Reset();
    auto step = std::make_unique<TFormatSectionOperation>(this, range, settings);
    if (step->ChangesSomething())
        ApplyStep(*this, std::move(step), update, op);
    SetSelectionHints(*this, update);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::ChangeSectionBreak(int32_t paragraph, uint8_t kind, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (paragraph < 0 || paragraph >= ParagraphCount())
        return;
    if (GetSectionOfParagraph(paragraph).BreakKind() == kind)
        return;
    ApplyStep(*this, std::make_unique<TChangeSectionBreakOperation>(this, paragraph, kind), update, op);
    update.SetViewHints(0, 0, 0, 0);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}
