#include "document/steps/FormatTextOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParLine.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {

// Copies the bytes from..to of paragraph text, leaving out the format records
// of the attributes that the new values set.
void CopyWithout(TMemory& out, const uint8_t* p, int32_t from, int32_t to, const TCharFormat& values)
{
    int32_t run = from;
    int32_t pos = from;
    while (pos < to) {
        if (p[pos] != InlineControlStartByte) {
            ++pos;
            continue;
        }
        const uint16_t code = InlineControlCodeAt(p, pos);
        if (IsFormatCode(code) && values[code] != NotSet) {
            out.Append(p + run, pos - run);
            pos += InlineControlSize;
            run = pos;
            continue;
        }
        pos += InlineControlSize;
    }
    out.Append(p + run, to - run);
}

// The character format in force after the bytes 0..to of a paragraph.
TCharFormat FormatAfter(const TParagraph& paragraph, int32_t to)
{
    TCharFormat format = DefaultCharFormat();
    const uint8_t* p = paragraph.GetText().Data();
    for (int32_t pos = 0; pos < to;) {
        if (p[pos] != InlineControlStartByte) {
            ++pos;
            continue;
        }
        const TInlineControl record = ReadInlineControl(p + pos);
        if (IsFormatCode(record.Code))
            format[record.Code] = record.Argument;
        pos += InlineControlSize;
    }
    return format;
}

}  // namespace

bool CharSlotChangesLineHeight(int slot)
{
    return slot == cfFont || slot == cfSize || slot == cfVerticalPosition || slot == cfRaise;
}

TFormatTextOperation::TFormatTextOperation(TDocument* document, const TTextRange& range, const TCharFormat& values)
    : TSubOperation(document), FRange(range), FNew(values)
{
    ClearCharFormat(FEndValues);
}

TFormatTextOperation::~TFormatTextOperation() = default;

int64_t TFormatTextOperation::MemorySize() const
{
    int64_t size = static_cast<int64_t>(sizeof(TFormatTextOperation) + FEntries.capacity() * sizeof(TEntry));
    for (const TEntry& entry : FEntries)
        size += static_cast<int64_t>(sizeof(TParagraph)) + entry.Other->GetText().Size() +
                entry.Other->GetPlainChars().Size();
    return size;
}

void TFormatTextOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    if (!FApplied)
        throw EInternalError("Mise en forme de texte annulée avant d'avoir été appliquée");
    Exchange(update);
}

void TFormatTextOperation::Redo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    if (FApplied)
        Exchange(update);
    else
        Forward(update);
}

void TFormatTextOperation::Forward(TUpdateRange& update)
{
    update.Reset();
    TDocument& document = *FDocument;
    const int32_t firstIndex = FRange.Start.Paragraph;
    const int32_t lastIndex = FRange.End.Paragraph;
    if (firstIndex < 0 || lastIndex >= document.ParagraphCount() || CompareTextPos(FRange.End, FRange.Start) < 0)
        throw EInternalError("Plage à mettre en forme hors du document");

    // The values at the end of the range, before the change.
    {
        TParagraph& last = document.Paragraphs(lastIndex);
        if (!last.GetNormalizedFlag())
            last.NormalizeControlCodes();
        const int32_t offset = std::clamp(FRange.End.Offset, 0, last.GetCharCount());
        const TCharFormat atEnd = FormatAfter(last, offset > 0 ? last.ByteAfterChar(offset - 1) : 0);
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            FEndValues[slot] = FNew[slot] != NotSet ? atEnd[slot] : NotSet;
    }

    // The new text of every paragraph the range touches, built aside.
    std::vector<TEntry> entries;
    for (int32_t index = firstIndex; index <= lastIndex; ++index) {
        TParagraph& paragraph = document.Paragraphs(index);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
        const int32_t count = paragraph.GetCharCount();
        const int32_t from = index == firstIndex ? std::clamp(FRange.Start.Offset, 0, count) : 0;
        const int32_t to = index == lastIndex ? std::clamp(FRange.End.Offset, 0, count) : count;
        if (from >= to)
            continue;
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        const int32_t gapStart = from > 0 ? paragraph.ByteAfterChar(from - 1) : 0;
        const int32_t firstChar = paragraph.CharToByteOffset(from);
        const int32_t partEnd = paragraph.ByteAfterChar(to - 1);

        TMemory text;
        text.Append(p, gapStart);
        CopyWithout(text, p, gapStart, firstChar, FNew);
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (FNew[slot] != NotSet)
                AppendFormatCode(text, static_cast<uint16_t>(slot), FNew[slot]);
        CopyWithout(text, p, firstChar, partEnd, FNew);
        if (to < count) {
            // The text after the range keeps the values it had.
            const TCharFormat atEnd = FormatAfter(paragraph, partEnd);
            for (int slot = 0; slot < TCharFormat::Count; ++slot)
                if (FNew[slot] != NotSet)
                    AppendFormatCode(text, static_cast<uint16_t>(slot), atEnd[slot]);
        }
        text.Append(p + partEnd, size - partEnd);

        auto other = std::make_unique<TParagraph>(&document);
        other->SetText(text.Data(), text.Size());
        other->NormalizeControlCodes();
        const TMemory& built = other->GetText();
        if (built.Size() == size && std::equal(p, p + size, built.Data()))
            continue;
        entries.push_back({index, std::move(other)});
    }

    // From here on nothing fails.
    for (TEntry& entry : entries)
        document.Paragraphs(entry.Paragraph).SwapText(*entry.Other);
    FEntries = std::move(entries);
    FApplied = true;
    AfterChange(update);
}

void TFormatTextOperation::Exchange(TUpdateRange& update)
{
    update.Reset();
    TDocument& document = *FDocument;
    for (const TEntry& entry : FEntries)
        if (entry.Paragraph < 0 || entry.Paragraph >= document.ParagraphCount())
            throw EInternalError("Paragraphe mis en forme hors du document");
    for (TEntry& entry : FEntries)
        document.Paragraphs(entry.Paragraph).SwapText(*entry.Other);
    AfterChange(update);
}

void TFormatTextOperation::AfterChange(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TOperationManager& manager = document.UndoManager();
    const int32_t first = std::clamp(FRange.Start.Paragraph, 0, document.ParagraphCount() - 1);
    manager.GetRelayoutStart(update, first);

    bool done = false;
    if (FEntries.size() == 1 && GetParagraphLayout()) {
        // One paragraph is laid out again at once, with the width it had.
        TParagraph& paragraph = document.Paragraphs(FEntries.front().Paragraph);
        if (paragraph.GetLaidOutFlag() && paragraph.GetLineCount() > 0) {
            try {
                paragraph.Reformat(0, paragraph.GetLine(0).RightLimit);
                for (int32_t line = 0; line < paragraph.GetLineCount(); ++line)
                    manager.AddChangedLine(paragraph.Index, line);
                done = true;
            } catch (...) {
                // The re-layout queue tries again.
            }
        }
    }
    if (!done) {
        for (const TEntry& entry : FEntries) {
            document.Paragraphs(entry.Paragraph).Invalidate(false, 0);
            document.ReformatingManager().AddParagraph(entry.Paragraph);
        }
        if (!FEntries.empty())
            document.RelayoutPending = 1;
    }
    if (update.FirstParagraph == NotSet)
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (FNew[slot] != NotSet && CharSlotChangesLineHeight(slot)) {
                update.FullUpdate = 1;
                break;
            }
    document.CaretMetricsChanged = 1;
    if (FNew[cfLanguage] != NotSet)
        document.RestartSpellCheck();
}
