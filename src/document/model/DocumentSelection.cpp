// TDocument: the selection, and the paragraph and character formats common to
// the selected text (the formats at the caret when nothing is selected).
#include "document/model/Document.h"

#include "document/model/DocObject.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/model/Paragraph.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstring>

namespace {

// Walks the elements of paragraph text from one byte offset to another (both
// between elements), handing every record to the visitor.
template <typename Visitor>
void ForEachRecord(const TParagraph& paragraph, int32_t from, int32_t to, Visitor&& visit)
{
    const uint8_t* p = paragraph.GetText().Data();
    to = std::min(to, paragraph.GetText().Size());
    // Plain characters never take the record byte, so the walk jumps from
    // record to record: asking the format deep inside a long paragraph of
    // plain text (line layout does it for every hyphenated line) costs a
    // memchr, not a loop over every byte before it.
    for (int32_t pos = std::max(from, 0); pos < to;) {
        const void* next = std::memchr(p + pos, InlineControlStartByte, static_cast<size_t>(to - pos));
        if (!next)
            break;
        pos = static_cast<int32_t>(static_cast<const uint8_t*>(next) - p);
        visit(ReadInlineControl(p + pos));
        pos += InlineControlSize;
    }
}

// The byte offset just behind a character.
uint8_t PlainCharAt(const TParagraph& paragraph, int32_t offset)
{
    return paragraph.GetPlainChars().Data()[offset];
}

}  // namespace

// ---------------------------------------------------------------------------
// Free routines

int32_t ApplyLineSpacing(const TDocument& document, int32_t height, int32_t single, const TParFormat& format)
{
    const int32_t value = format[pfLineSpacing];
    if (value == NotSet)
        return height;
    switch (format[pfLineRule]) {
    case 0:
        if (value < 0)
            return document.TwipsToLayout(-value);
        return std::max(height, document.TwipsToLayout(value));
    case 1: {
        // single × (value - 240) / 240, rounded as the platform's MulDiv rounds.
        const int64_t product = static_cast<int64_t>(single) * (static_cast<int64_t>(value) - 240);
        const int64_t extra = product < 0 ? (product - 120) / 240 : (product + 120) / 240;
        return static_cast<int32_t>(std::clamp<int64_t>(height + extra, 1, INT32_MAX));
    }
    default:
        return height;
    }
}

bool RunHasSpecialChars(const TParagraph& paragraph, int32_t from, int32_t to)
{
    const int32_t count = paragraph.GetCharCount();
    from = std::clamp(from, 0, count);
    to = std::clamp(to, from, count);
    const uint8_t* plain = paragraph.GetPlainChars().Data();
    for (int32_t i = from; i < to; ++i)
        if (plain[i] < 32)
            return true;
    return false;
}

bool IsSingleObjectRange(const TDocument& document, const TTextRange& range)
{
    if (range.Start.Paragraph != range.End.Paragraph || range.End.Offset != range.Start.Offset + 1 ||
        range.Start.Paragraph < 0 || range.Start.Paragraph >= document.ParagraphCount())
        return false;
    const TParagraph& paragraph = document.Paragraphs(range.Start.Paragraph);
    if (range.Start.Offset < 0 || range.Start.Offset >= paragraph.GetCharCount())
        return false;
    const uint8_t ch = PlainCharAt(paragraph, range.Start.Offset);
    return ch == scPicture || ch == scOleObject;
}

// ---------------------------------------------------------------------------
// Setting the selection

void TDocument::SetSelection(int32_t startParagraph, int32_t startOffset, int32_t endParagraph, int32_t endOffset,
                             uint32_t flags)
{
    // Everything is worked out first and taken over at the end, so that a
    // failure leaves the selection and its formats as they were.
    const int32_t lastParagraph = ParagraphCount() - 1;
    startParagraph = std::clamp(startParagraph, 0, lastParagraph);
    endParagraph = std::clamp(endParagraph, 0, lastParagraph);
    // 1. Offsets within their paragraphs.
    startOffset = std::clamp(startOffset, 0, Paragraphs(startParagraph).GetCharCount());
    endOffset = std::clamp(endOffset, 0, Paragraphs(endParagraph).GetCharCount());

    // 2. The anchor stays while the selection grows or shrinks from it.
    TTextSelection next = FSelection;
    const bool anchorAtStart = next.AnchorParagraph == startParagraph && next.AnchorOffset == startOffset;
    const bool anchorAtEnd = next.AnchorParagraph == endParagraph && next.AnchorOffset == endOffset;
    if (!(HasSelection() && (anchorAtStart || anchorAtEnd))) {
        next.AnchorParagraph = startParagraph;
        next.AnchorOffset = startOffset;
    }

    // 3. Ordered.
    if (startParagraph > endParagraph || (startParagraph == endParagraph && startOffset > endOffset)) {
        std::swap(startParagraph, endParagraph);
        std::swap(startOffset, endOffset);
    }

    // 4. and 5.
    TTextSelection old = FSelection;
    if (flags & ssfOldIsEmpty)
        old.End = old.Start;
    TTextPosition& start = next.Start;
    TTextPosition& end = next.End;
    MakeTextPos(startParagraph, startOffset, start);
    start.Placement = SelectionStartHint;
    MakeTextPos(endParagraph, endOffset, end);
    end.Placement = SelectionEndHint;

    // 6. A start behind a paragraph mark belongs to the next paragraph, an end
    // before a paragraph's first character to the previous one; neither moves
    // into another story.
    const int32_t startStory = GetStoryOfParagraph(start.Paragraph);
    if (start.Offset == Paragraphs(start.Paragraph).GetCharCount() && start.Paragraph < StoryLast(startStory))
        MakeTextPos(start.Paragraph + 1, 0, start);
    const int32_t endStory = GetStoryOfParagraph(end.Paragraph);
    if (end.Offset == 0 && end.Paragraph > StoryFirst(endStory))
        MakeTextPos(end.Paragraph - 1, Paragraphs(end.Paragraph - 1).GetCharCount(), end);
    if (CompareTextPos(end, start) < 0)
        MakeTextPos(start.Paragraph, start.Offset, end);

    // 8. and 9. The common formats.
    TParFormat parFormat = SelParFormat;
    TCharFormat charFormat = SelCharFormat;
    const TTextRange current{start, end};
    if (!IsRangeEmpty(current)) {
        const TTextRange previous{old.Start, old.End};
        const int32_t startMove = CompareTextPos(start, old.Start);
        const int32_t endMove = CompareTextPos(end, old.End);
        if (IsRangeEmpty(previous)) {
            GetCommonParFormat(current, parFormat, false);
            GetCommonCharFormat(current, charFormat, false);
        } else if (startMove == 0 && endMove == 0) {
            // Unchanged: nothing to recompute.
        } else if (startMove < 0 && endMove == 0) {
            // Grown at the start: only the added part is merged in.
            const TTextRange added{start, old.Start};
            GetCommonParFormat(added, parFormat, true);
            GetCommonCharFormat(added, charFormat, true);
        } else if (startMove == 0 && endMove > 0) {
            const TTextRange added{old.End, end};
            GetCommonParFormat(added, parFormat, true);
            GetCommonCharFormat(added, charFormat, true);
        } else if ((startMove > 0 && endMove == 0) || (startMove == 0 && endMove < 0)) {
            // Shrunk at one end: the character format needs recomputing only
            // when the part taken away does not carry it throughout.
            const TTextRange removed = startMove > 0 ? TTextRange{old.Start, start} : TTextRange{end, old.End};
            GetCommonParFormat(current, parFormat, false);
            if (RangeFormatDiffers(removed, charFormat))
                GetCommonCharFormat(current, charFormat, false);
        } else {
            GetCommonParFormat(current, parFormat, false);
            GetCommonCharFormat(current, charFormat, false);
        }
    } else {
        parFormat = Paragraphs(start.Paragraph).Format;
        if (!KeepFormat)
            GetCharFormatAt(start, charFormat);
    }

    FSelection = next;
    SelParFormat = parFormat;
    SelCharFormat = charFormat;
    if (!HasSelection()) {
        Caret.Paragraph = FSelection.Start.Paragraph;
        Caret.Offset = FSelection.Start.Offset;
    }

    // 7. What changed is drawn again; a selected object that stays selected is
    // left as it is.
    if (!SuppressRepaint) {
        const bool objectKept = IsSingleObjectRange(*this, {old.Start, old.End}) &&
                                CompareTextPos(FSelection.Start, old.Start) <= 0 &&
                                CompareTextPos(old.End, FSelection.End) <= 0;
        if (!objectKept)
            RepaintSelectionChange(old);
    }

    // 10.
    if (!(flags & ssfNoNotify))
        DocumentHost().RequestLayout();
    SetChangeFlag(chfToolsRefresh, 1);
}

bool TDocument::HasSelection() const
{
    return CompareTextPos(FSelection.Start, FSelection.End) != 0;
}

bool TDocument::IsInSelection(const TTextPosition& position) const
{
    return HasSelection() && TextPosInRange(position, {FSelection.Start, FSelection.End});
}

void TDocument::SelectAll()
{
    TTextRange range;
    GetEditRange(range);
    SetSelection(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
}

void TDocument::ClearSelection(uint32_t flags)
{
    if (HasSelection())
        SetSelection(0, 0, 0, 0, flags);
}

bool TDocument::IsObjectSelected() const
{
    return IsSingleObjectRange(*this, {FSelection.Start, FSelection.End});
}

TDocObject* TDocument::GetObjectAt(const TTextPosition& position) const
{
    if (position.Paragraph < 0 || position.Paragraph >= ParagraphCount())
        return nullptr;
    const TParagraph& paragraph = Paragraphs(position.Paragraph);
    if (position.Offset < 0 || position.Offset >= paragraph.GetCharCount())
        return nullptr;
    const int32_t pos = paragraph.CharToByteOffset(position.Offset);
    const uint8_t* p = paragraph.GetText().Data();
    if (p[pos] != InlineControlStartByte)
        return nullptr;
    const TInlineControl record = ReadInlineControl(p + pos);
    if (record.Code != icPicture && record.Code != icOleObject)
        return nullptr;
    return FObjects.GetDocObject(record.Argument);
}

bool TDocument::RangeMeetsMultiParagraphObject(const TTextRange& range) const
{
    for (const auto& object : FRangeObjects) {
        const TTextRange& spans = object->Range;
        if (spans.Start.Paragraph == spans.End.Paragraph)
            continue;
        TTextRange common;
        if (!IntersectTextRanges(common, range, spans))
            continue;
        if (range.Start.Paragraph <= spans.Start.Paragraph || range.End.Paragraph >= spans.End.Paragraph)
            return true;
    }
    return false;
}

bool TDocument::IsWordRange(const TTextRange& range) const
{
    if (IsRangeEmpty(range) || IsSingleObjectRange(*this, range))
        return false;
    auto atWordEdge = [this](const TTextPosition& position) {
        if (position.Paragraph < 0 || position.Paragraph >= ParagraphCount())
            return false;
        const TParagraph& paragraph = Paragraphs(position.Paragraph);
        const int32_t count = paragraph.GetCharCount();
        if (position.Offset <= 0 || position.Offset >= count)
            return true;
        return DelimiterCharTable[PlainCharAt(paragraph, position.Offset - 1)] ||
               DelimiterCharTable[PlainCharAt(paragraph, position.Offset)];
    };
    return atWordEdge(range.Start) && atWordEdge(range.End);
}

bool TDocument::HasControlCodes(const TTextRange& range) const
{
    if (range.Start.Paragraph != range.End.Paragraph)
        return true;
    if (range.Start.Paragraph < 0 || range.Start.Paragraph >= ParagraphCount())
        return false;
    return RunHasSpecialChars(Paragraphs(range.Start.Paragraph), range.Start.Offset, range.End.Offset);
}

// ---------------------------------------------------------------------------
// Repainting

void TDocument::RepaintRange(const TTextRange& range)
{
    TDocumentLayout* layout = GetDocumentLayout();
    if (IsRangeEmpty(range) || !FView || !layout)
        return;
    TTextRange drawn = range;
    if (drawn.Start.Paragraph >= 0 && drawn.Start.Paragraph + 1 < ParagraphCount() &&
        drawn.Start.Offset >= Paragraphs(drawn.Start.Paragraph).GetCharCount())
        MakeTextPos(drawn.Start.Paragraph + 1, 0, drawn.Start);
    FView->HideCaret();
    try {
        layout->RepaintRange(*this, drawn);
    } catch (...) {
        FView->ShowCaret();
        throw;
    }
    FView->ShowCaret();
}

void TDocument::RepaintSelectionChange(const TTextSelection& old)
{
    TTextRange a{old.Start, old.End};
    TTextRange b{FSelection.Start, FSelection.End};
    // The second piece comes back in the range that starts later.
    const bool secondInA = CompareTextPos(a.Start, b.Start) >= 0;
    TTextRange first;
    const int32_t pieces = SymmetricDiffTextRanges(first, a, b);
    if (pieces >= 1)
        RepaintRange(first);
    if (pieces == 2)
        RepaintRange(secondInA ? a : b);
}

// ---------------------------------------------------------------------------
// Formats

void TDocument::PrepareParagraph(TParagraph& paragraph) const
{
    if (!paragraph.GetNormalizedFlag())
        paragraph.NormalizeControlCodes();
}

TCharFormat TDocument::FormatBeforeChar(TParagraph& paragraph, int32_t charIndex)
{
    TCharFormat format = DefaultCharFormat();
    ForEachRecord(paragraph, 0, paragraph.CharToByteOffset(charIndex), [&format](const TInlineControl& record) {
        if (IsFormatCode(record.Code))
            format[record.Code] = record.Argument;
    });
    return format;
}

void TDocument::MergeRecords(TParagraph& paragraph, int32_t fromByte, int32_t toByte, TCharFormat& format) const
{
    ForEachRecord(paragraph, fromByte, toByte, [&format](const TInlineControl& record) {
        if (!IsFormatCode(record.Code) || format[record.Code] == record.Argument)
            return;
        if (record.Code == cfFont && SameFontFamily(format[cfFont], record.Argument))
            return;
        format[record.Code] = NotSet;
    });
}

void TDocument::GetCommonParFormat(const TTextRange& range, TParFormat& format, bool incremental)
{
    const int32_t first = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(range.End.Paragraph, first, ParagraphCount() - 1);
    if (!incremental)
        format = Paragraphs(first).Format;
    for (int32_t index = first; index <= last; ++index) {
        const TParFormat& own = Paragraphs(index).Format;
        for (int slot = 0; slot < TParFormat::Count; ++slot)
            if (format[slot] != own[slot])
                format[slot] = NotSet;
    }
}

void TDocument::GetCommonCharFormat(const TTextRange& range, TCharFormat& format, bool incremental)
{
    const int32_t firstIndex = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t lastIndex = std::clamp(range.End.Paragraph, firstIndex, ParagraphCount() - 1);
    TParagraph& first = Paragraphs(firstIndex);
    PrepareParagraph(first);
    const int32_t startOffset = std::clamp(range.Start.Offset, 0, first.GetCharCount());
    const TCharFormat atStart = FormatBeforeChar(first, startOffset);
    if (incremental)
        MergeCharFormat(format, atStart);
    else
        format = atStart;
    const int32_t startByte = first.CharToByteOffset(startOffset);

    if (firstIndex == lastIndex) {
        const int32_t endOffset = std::clamp(range.End.Offset, 0, first.GetCharCount());
        if (endOffset - 1 > startOffset)
            MergeRecords(first, startByte, first.CharToByteOffset(endOffset - 1), format);
        return;
    }
    MergeRecords(first, startByte, first.GetText().Size(), format);
    for (int32_t index = firstIndex + 1; index <= lastIndex; ++index) {
        TParagraph& paragraph = Paragraphs(index);
        const bool isLast = index == lastIndex;
        const int32_t endOffset = isLast ? std::clamp(range.End.Offset, 0, paragraph.GetCharCount()) : 0;
        if (isLast && endOffset == 0)
            break;
        PrepareParagraph(paragraph);
        TCharFormat startFormat;
        paragraph.GetStartFormat(startFormat);
        MergeCharFormat(format, startFormat);
        MergeRecords(paragraph, 0, isLast ? paragraph.CharToByteOffset(endOffset - 1) : paragraph.GetText().Size(),
                     format);
    }
}

bool TDocument::RangeFormatDiffers(const TTextRange& range, const TCharFormat& format)
{
    if (IsRangeEmpty(range))
        return false;
    // Characters always carry a value: a slot that is not set is carried by none.
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (format[slot] == NotSet)
            return true;
    TCharFormat common;
    GetCommonCharFormat(range, common, false);
    for (int slot = 0; slot < TCharFormat::Count; ++slot) {
        if (common[slot] == format[slot])
            continue;
        if (slot == cfFont && SameFontFamily(common[slot], format[slot]))
            continue;
        return true;
    }
    return false;
}

void TDocument::GetCharFormatAt(const TTextPosition& position, TCharFormat& format)
{
    GetParagraphCharFormat(position.Paragraph, position.Offset, format);
}

void TDocument::GetParagraphCharFormat(int32_t paragraphIndex, int32_t offset, TCharFormat& format)
{
    TParagraph& paragraph = Paragraphs(paragraphIndex);
    PrepareParagraph(paragraph);
    const int32_t count = paragraph.GetCharCount();
    offset = std::clamp(offset, 0, count);
    const int32_t charIndex = offset > 0 ? offset - 1 : 0;
    TCharFormat result = FormatBeforeChar(paragraph, charIndex);
    if (offset > 0 && !PrecedingFormatOnly) {
        // The records between that character and the next one start the next
        // character's format, up to the end of a range object whose formatting
        // ends there.
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        for (int32_t pos = paragraph.ByteAfterChar(charIndex); pos < size && p[pos] == InlineControlStartByte;
             pos += InlineControlSize) {
            const TInlineControl record = ReadInlineControl(p + pos);
            if (IsCharacterCode(record.Code))
                break;
            if (record.Code == icRangeEnd) {
                const TField* field = FObjects.GetField(record.Argument);
                if (field && ClosesFormattedRun(field->Kind))
                    break;
            } else if (IsFormatCode(record.Code)) {
                result[record.Code] = record.Argument;
            }
        }
    }
    format = result;
}

int32_t TDocument::GetLanguageAt(int32_t paragraph, int32_t offset)
{
    TCharFormat format;
    GetParagraphCharFormat(paragraph, offset, format);
    return format[cfLanguage];
}

void TDocument::PrepareTypingFormat(const TTextPosition& position, int32_t mode)
{
    if (InsertionFreeze)
        return;
    // 2. The very end of the paragraph list counts as its last character.
    TTextPosition at = position;
    const int32_t lastParagraph = ParagraphCount() - 1;
    at.Paragraph = std::clamp(at.Paragraph, 0, lastParagraph);
    if (at.Paragraph == lastParagraph && at.Offset >= Paragraphs(lastParagraph).GetCharCount())
        at.Offset = std::max(Paragraphs(lastParagraph).GetCharCount() - 1, 0);

    const bool atCaret = at.Paragraph == Caret.Paragraph && at.Offset == Caret.Offset;
    if (mode == 1 && HasSelection()) {
        // 3. Over a selection.
        const TTextPosition& start = FSelection.Start;
        if (start.Offset == 0)
            PrecedingFormat = DefaultCharFormat();
        else
            GetCharFormatAt(start, PrecedingFormat);
        TTextPosition end = FSelection.End;
        if (end.Paragraph != StoryLast(stBody) && end.Paragraph < lastParagraph &&
            end.Offset >= Paragraphs(end.Paragraph).GetCharCount())
            MakeTextPos(end.Paragraph + 1, 0, end);
        GetParagraphCharFormat(end.Paragraph, end.Offset + 1, FollowingFormat);
        InsertFormat[cfHighlight] = FollowingFormat[cfHighlight];
    } else if (mode == 1 && atCaret) {
        // 4. Typing at the caret.
        InsertFormat = SelCharFormat;
        TParagraph& paragraph = Paragraphs(Caret.Paragraph);
        PrepareParagraph(paragraph);
        const int32_t count = paragraph.GetCharCount();
        const int32_t offset = std::clamp(Caret.Offset, 0, count);
        bool endFollows = false;
        bool startFollows = false;
        const int32_t from = offset > 0 ? paragraph.ByteAfterChar(offset - 1) : 0;
        const int32_t to = offset < count ? paragraph.CharToByteOffset(offset) : paragraph.GetText().Size();
        ForEachRecord(paragraph, from, to, [&](const TInlineControl& record) {
            if (record.Code == icRangeEnd) {
                const TField* field = FObjects.GetField(record.Argument);
                if (field && ClosesFormattedRun(field->Kind))
                    endFollows = true;
            } else if (record.Code == icRangeStart) {
                startFollows = true;
            }
        });
        BeginChange(chfReadingFormats);
        try {
            if (endFollows) {
                GetParagraphCharFormat(Caret.Paragraph, offset, PrecedingFormat);
                GetParagraphCharFormat(Caret.Paragraph, offset + 1, FollowingFormat);
            } else if (startFollows) {
                GetParagraphCharFormat(Caret.Paragraph, offset + 1, FollowingFormat);
                if (offset == 0)
                    PrecedingFormat = FollowingFormat;
                else
                    GetParagraphCharFormat(Caret.Paragraph, offset, PrecedingFormat);
            } else if (CaretFormatFlag) {
                GetParagraphCharFormat(Caret.Paragraph, offset, PrecedingFormat);
                FollowingFormat = PrecedingFormat;
            } else {
                PrecedingFormat = SelCharFormat;
                GetParagraphCharFormat(Caret.Paragraph, offset, FollowingFormat);
            }
        } catch (...) {
            EndChanges(1);
            throw;
        }
        EndChanges(1);
        if (InsertFormat[cfHighlight] != NotSet && InsertFormat[cfHighlight] >= 1) {
            // The highlight of the character after the caret; none before the
            // paragraph mark.
            if (offset < count - 1) {
                TCharFormat after;
                GetParagraphCharFormat(Caret.Paragraph, offset + 1, after);
                InsertFormat[cfHighlight] = after[cfHighlight];
            } else {
                InsertFormat[cfHighlight] = 0;
            }
        }
    } else {
        // 5. At a position.
        BeginChange(chfReadingFormats);
        try {
            GetCharFormatAt(at, PrecedingFormat);
            InsertFormat = PrecedingFormat;
            GetCharFormatAt(at, FollowingFormat);
        } catch (...) {
            EndChanges(1);
            throw;
        }
        EndChanges(1);
    }

    // 6. The main window's tool shapes what is typed.
    TDocumentHost& host = DocumentHost();
    switch (host.EditTool()) {
    case etFormatPainter: {
        const TCharFormat painter = host.PainterFormat();
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (slot != cfHighlight && painter[slot] != NotSet)
                InsertFormat[slot] = painter[slot];
        break;
    }
    case etHighlighter:
        InsertFormat[cfHighlight] = host.HighlightColor();
        break;
    case etFontColorPen:
        InsertFormat[cfColor] = host.FontColor();
        break;
    default:
        break;
    }
}

void TDocument::CaptureRangeEndFormats(const TTextRange& range)
{
    BeginChange(chfReadingFormats);
    try {
        GetParagraphCharFormat(range.Start.Paragraph, range.Start.Offset + 1, RangeStartFormat);
        GetParagraphCharFormat(range.End.Paragraph, range.End.Offset + 1, RangeEndFormat);
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);
}
