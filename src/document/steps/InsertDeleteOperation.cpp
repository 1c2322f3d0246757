#include "document/steps/InsertDeleteOperation.h"

#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/fields/Field.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/model/VectorGrowth.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstring>
#include <string>

// How one application works. The text of the step occupies a region of the
// story: from just after the character before the start (the records that
// stand before the first character of the text belong to the region) to the
// character that follows the text (exclusive; the records before it belong to
// the region too). Applying the step exchanges the bytes of that region with
// the bytes the step keeps. The records at both edges make the region
// self-contained: the format in force after it is the one the following
// character had, so the paragraphs around it keep their bytes, and the
// paragraphs the region touches are normalised without anything outside it
// changing. A region whose end lies just past the story's last paragraph
// takes whole paragraphs at the end of the story.

namespace {

[[noreturn]] void RaiseBadStep(const char* what)
{
    throw EInternalError(std::string("Étape d'insertion ou de suppression incorrecte : ") + what);
}

// The running character format after applying the format records of a byte run.
void ApplyFormatRecords(const uint8_t* p, int32_t from, int32_t to, TCharFormat& format)
{
    for (int32_t pos = from; pos < to;) {
        if (p[pos] != InlineControlStartByte) {
            ++pos;
            continue;
        }
        const uint16_t code = InlineControlCodeAt(p, pos);
        if (IsFormatCode(code))
            format[code] = ReadInlineControl(p + pos).Argument;
        pos += InlineControlSize;
    }
}

// One paragraph's part of stored text.
struct TPart {
    int32_t From = 0;
    int32_t Size = 0;
    bool HasFormat = false;
    TParFormat Format{};
};

// Splits stored text at its separators; raises for bytes that cannot stand in it.
std::vector<TPart> SplitStored(const TMemory& text)
{
    std::vector<TPart> parts(1);
    const uint8_t* p = text.Data();
    const int32_t size = text.Size();
    int32_t pos = 0;
    while (pos < size) {
        const uint8_t b = p[pos];
        if (b >= 32) {
            ++pos;
        } else if (b == InlineControlStartByte) {
            if (size - pos < InlineControlSize || p[pos + InlineControlSize - 1] != InlineControlEndByte)
                RaiseBadStep("enregistrement tronqué");
            pos += InlineControlSize;
        } else if (b == StoredParagraphSeparator) {
            TPart& part = parts.back();
            part.Size = pos - part.From;
            ++pos;
            if (pos < size && p[pos] == StoredParFormatMarker) {
                if (size - pos - 1 < StoredParFormatSize)
                    RaiseBadStep("format de paragraphe tronqué");
                part.HasFormat = true;
                std::memcpy(part.Format.Slots, p + pos + 1, StoredParFormatSize);
                pos += 1 + StoredParFormatSize;
            }
            parts.push_back(TPart{pos, 0, false, {}});
        } else {
            RaiseBadStep("caractère de contrôle isolé");
        }
    }
    parts.back().Size = size - parts.back().From;
    return parts;
}

void AppendSeparator(TMemory& out, const TParFormat& format)
{
    static_assert(sizeof(TParFormat::Slots) == StoredParFormatSize);
    out.AppendByte(StoredParagraphSeparator);
    out.AppendByte(StoredParFormatMarker);
    out.Append(format.Slots, StoredParFormatSize);
}

// Handles of the section breaks and range-object starts in encoded text.
void CollectObjects(const TMemory& text, std::vector<TObjectHandle>& sections, std::vector<TObjectHandle>& fields)
{
    const uint8_t* p = text.Data();
    const int32_t size = text.Size();
    for (int32_t pos = 0; pos < size;) {
        const uint8_t b = p[pos];
        if (b == StoredParagraphSeparator) {
            ++pos;
            if (pos < size && p[pos] == StoredParFormatMarker)
                pos += 1 + StoredParFormatSize;
        } else if (b == InlineControlStartByte && size - pos >= InlineControlSize) {
            const TInlineControl record = ReadInlineControl(p + pos);
            if (record.Code == icSectionBreak)
                sections.push_back(record.Argument);
            else if (record.Code == icRangeStart)
                fields.push_back(record.Argument);
            pos += InlineControlSize;
        } else {
            ++pos;
        }
    }
}

// The handles of `a` that `b` does not hold.
std::vector<TObjectHandle> Without(const std::vector<TObjectHandle>& a, const std::vector<TObjectHandle>& b)
{
    std::vector<TObjectHandle> result;
    for (TObjectHandle handle : a)
        if (std::find(b.begin(), b.end(), handle) == b.end())
            result.push_back(handle);
    return result;
}

// The anchors of a byte run, in order, split by whether their object has an
// anchor among the handles given.
void AppendAnchors(TMemory& belonging, TMemory& others, const uint8_t* p, int32_t from, int32_t to,
                   const std::vector<TObjectHandle>& handles)
{
    for (int32_t pos = from; pos < to;) {
        if (p[pos] != InlineControlStartByte) {
            ++pos;
            continue;
        }
        if (IsAnchorCode(InlineControlCodeAt(p, pos))) {
            const TObjectHandle handle = ReadInlineControl(p + pos).Argument;
            TMemory& out = std::find(handles.begin(), handles.end(), handle) != handles.end() ? belonging : others;
            out.Append(p + pos, InlineControlSize);
        }
        pos += InlineControlSize;
    }
}

// The anchors that stand at the edges of a text (between the character before
// it and its first character, and between its last character and the one
// after it) belong to the text when their object's other anchor lies inside
// it; the others stay where they are.
struct TEdgeAnchors {
    TMemory Leading;        // belong to the text, before it
    TMemory Trailing;       // belong to the text, after it
    TMemory KeptLeading;    // stay
    TMemory KeptTrailing;
};

void SplitEdgeAnchors(TDocument& document, const TTextPosition& start, const TTextPosition& end, TEdgeAnchors& edges)
{
    TParagraph& first = document.Paragraphs(start.Paragraph);
    // An end at the start of the paragraph after the last one has no gap after it.
    TParagraph* last = end.Paragraph < document.ParagraphCount() ? &document.Paragraphs(end.Paragraph) : nullptr;
    const int32_t firstCount = first.GetCharCount();
    const int32_t gapStart = start.Offset > 0 ? first.ByteAfterChar(start.Offset - 1) : 0;
    const int32_t textStart = start.Offset < firstCount ? first.CharToByteOffset(start.Offset) : first.GetText().Size();
    const int32_t tailStart = last && end.Offset > 0 ? last->ByteAfterChar(end.Offset - 1) : 0;
    const int32_t tailEnd = !last ? 0
                            : end.Offset < last->GetCharCount() ? last->CharToByteOffset(end.Offset)
                                                                : last->GetText().Size();

    // The anchors between the text's first and last character.
    std::vector<TObjectHandle> inside;
    for (int32_t index = start.Paragraph; index <= end.Paragraph && index < document.ParagraphCount(); ++index) {
        const TParagraph& paragraph = document.Paragraphs(index);
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t from = index == start.Paragraph ? textStart : 0;
        const int32_t to = index == end.Paragraph ? tailStart : paragraph.GetText().Size();
        for (int32_t pos = from; pos < to;) {
            if (p[pos] != InlineControlStartByte) {
                ++pos;
                continue;
            }
            if (IsAnchorCode(InlineControlCodeAt(p, pos)))
                inside.push_back(ReadInlineControl(p + pos).Argument);
            pos += InlineControlSize;
        }
    }
    AppendAnchors(edges.Leading, edges.KeptLeading, first.GetText().Data(), gapStart, textStart, inside);
    if (last && (start.Paragraph != end.Paragraph || end.Offset > start.Offset))
        AppendAnchors(edges.Trailing, edges.KeptTrailing, last->GetText().Data(), tailStart, tailEnd, inside);
}

}  // namespace

int32_t CountEncodedChars(const uint8_t* text, int32_t size)
{
    int32_t chars = 0;
    for (int32_t pos = 0; pos < size;) {
        const uint8_t b = text[pos];
        if (b >= 32) {
            ++chars;
            ++pos;
        } else if (b == InlineControlStartByte && size - pos >= InlineControlSize) {
            if (IsCharacterCode(InlineControlCodeAt(text, pos)))
                ++chars;
            pos += InlineControlSize;
        } else if (b == StoredParagraphSeparator) {
            ++pos;
            if (pos < size && text[pos] == StoredParFormatMarker)
                pos += 1 + StoredParFormatSize;
        } else {
            ++pos;
        }
    }
    return chars;
}

void CopyStoredText(TDocument& document, const TTextPosition& start, const TTextPosition& end, TMemory& out)
{
    TTextPosition from = start;
    if (from.Paragraph < document.ParagraphCount() && from.Offset >= document.Paragraphs(from.Paragraph).GetCharCount())
        MakeTextPos(from.Paragraph + 1, 0, from);
    if (from.Paragraph > end.Paragraph || from.Paragraph >= document.ParagraphCount())
        return;
    const int32_t lastIndex = std::min(end.Paragraph, document.ParagraphCount() - 1);
    for (int32_t index = from.Paragraph; index <= lastIndex; ++index) {
        TParagraph& paragraph = document.Paragraphs(index);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
    }
    TEdgeAnchors edges;
    SplitEdgeAnchors(document, from, end, edges);
    out.AppendMemory(edges.Leading);
    for (int32_t index = from.Paragraph; index <= lastIndex; ++index) {
        TParagraph& paragraph = document.Paragraphs(index);
        const int32_t count = paragraph.GetCharCount();
        const int32_t size = paragraph.GetText().Size();
        const int32_t first = index == from.Paragraph ? (from.Offset < count ? paragraph.CharToByteOffset(from.Offset)
                                                                             : size)
                                                      : 0;
        int32_t last = size;
        if (index == end.Paragraph)
            last = end.Offset > 0 ? paragraph.ByteAfterChar(std::min(end.Offset, count) - 1) : 0;
        if (last > first)
            out.Append(paragraph.GetText().Data() + first, last - first);
        if (index != end.Paragraph)
            AppendSeparator(out, paragraph.Format);
    }
    out.AppendMemory(edges.Trailing);
}

// Everything one application works out before it changes the document, and
// what it needs to go back when a later part of it fails.
struct TInsertDeleteOperation::TSwapState {
    bool Inserting = false;
    int32_t First = 0;       // paragraph of the region's start
    int32_t StartOffset = 0;
    int32_t Last = 0;        // paragraph of the region's end
    int32_t EndOffset = 0;
    bool FirstVirtual = false;  // the start lies just past the story's end
    bool LastVirtual = false;   // the region runs through the story's end
    int32_t OldCount = 0;       // real paragraphs the region touches
    bool InPlace = false;       // one paragraph keeps its object, only its text changes
    TMemory Outgoing;
    int32_t IncomingSpan = 0;
    int32_t IncomingChars = 0;
    int32_t OutgoingChars = 0;
    std::unique_ptr<TParagraph> Scratch;                   // InPlace: the new text, then the old
    std::vector<std::unique_ptr<TParagraph>> Paragraphs;   // otherwise: the new objects, then the old
    int32_t NewCount = 0;
    TTextPosition NewEnd;
    std::vector<TObjectHandle> LeavingSections, JoiningSections, LeavingFields, JoiningFields;
    bool SectionRecords = false;
    bool Committed = false;
    bool ObjectsMoved = false;
    TCharFormat StartFormat{};  // the format of the first character of text that leaves
};

TInsertDeleteOperation::TInsertDeleteOperation(TDocument* document, int32_t story)
    : TSubOperation(document), FStory(story)
{
}

std::unique_ptr<TInsertDeleteOperation> TInsertDeleteOperation::CreateInsertion(TDocument* document,
                                                                                const TTextPosition& start,
                                                                                int32_t story, const TMemory& text)
{
    std::unique_ptr<TInsertDeleteOperation> step(new TInsertDeleteOperation(document, story));
    step->FStart = start;
    step->FEnd = start;
    step->FStored.Assign(text);
    step->FSpan = static_cast<int32_t>(SplitStored(text).size()) - 1;
    step->FCharCount = CountEncodedChars(text.Data(), text.Size());
    step->FFirstInsertion = 1;
    return step;
}

std::unique_ptr<TInsertDeleteOperation> TInsertDeleteOperation::CreateDeletion(TDocument* document,
                                                                               const TTextPosition& start,
                                                                               const TTextPosition& end,
                                                                               int32_t story)
{
    if (CompareTextPos(end, start) < 0)
        RaiseBadStep("fin avant le début");
    std::unique_ptr<TInsertDeleteOperation> step(new TInsertDeleteOperation(document, story));
    step->FStart = start;
    step->FEnd = end;
    step->FSpan = end.Paragraph - start.Paragraph;
    step->FFlags = idfInDocument;
    step->FFirstDeletion = 1;
    return step;
}

TInsertDeleteOperation::~TInsertDeleteOperation()
{
    // Range objects that leave with this step go for good: nothing may keep
    // pointing at them. (Sections and handles take care of themselves.)
    if (!FDocument->IsDestroying())
        for (const auto& owned : FFields)
            FDocument->ForgetRangeObject(owned.Field.get());
}

int64_t TInsertDeleteOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TInsertDeleteOperation)) + sizeof(TMemory) + FStored.Size() + FExtraBytes;
}

void TInsertDeleteOperation::AdoptSection(std::unique_ptr<TSection> section)
{
    if (section)
        FSections.push_back(std::move(section));
}

void TInsertDeleteOperation::AdoptRangeObject(std::unique_ptr<TField> field)
{
    if (field)
        FFields.push_back({std::move(field), -1});
}

void TInsertDeleteOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    Apply(update);
}

void TInsertDeleteOperation::Apply(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    update.Reset();
    TSwapState state;
    state.Inserting = !IsInDocument();

    // 1. The region as it stands in the document now.
    const int32_t storyFirst = document.StoryFirst(FStory);
    const int32_t storyEnd = storyFirst + document.StoryCount(FStory);  // just past the last paragraph
    TTextPosition start = FStart;
    TTextPosition end = state.Inserting ? FStart : FEnd;
    auto normalise = [&](TTextPosition& position) {
        if (position.Paragraph < storyFirst || position.Paragraph > storyEnd)
            RaiseBadStep("position hors de sa partie du document");
        if (position.Paragraph == storyEnd) {
            if (position.Offset != 0)
                RaiseBadStep("position après la fin de sa partie du document");
            return;
        }
        const int32_t count = document.Paragraphs(position.Paragraph).GetCharCount();
        if (position.Offset < 0 || position.Offset > count)
            RaiseBadStep("position hors de son paragraphe");
        // Behind a paragraph's end is the start of the next one.
        if (position.Offset == count && count > 0)
            MakeTextPos(position.Paragraph + 1, 0, position);
    };
    normalise(start);
    normalise(end);
    if (CompareTextPos(end, start) < 0)
        RaiseBadStep("fin avant le début");
    state.First = start.Paragraph;
    state.StartOffset = start.Offset;
    state.Last = end.Paragraph;
    state.EndOffset = end.Offset;
    state.FirstVirtual = state.First == storyEnd;
    state.LastVirtual = state.Last == storyEnd;
    state.OldCount = state.Last - state.First + (state.LastVirtual ? 0 : 1);
    for (int32_t index = state.First; index < state.First + state.OldCount; ++index) {
        TParagraph& paragraph = document.Paragraphs(index);
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
    }

    TParagraph* first = state.FirstVirtual ? nullptr : &document.Paragraphs(state.First);
    TParagraph* last = state.LastVirtual ? nullptr : &document.Paragraphs(state.Last);
    const int32_t regionStart =
        first && state.StartOffset > 0 ? first->ByteAfterChar(state.StartOffset - 1) : 0;
    const int32_t regionEnd = last ? last->CharToByteOffset(state.EndOffset) : 0;
    if (first == last && first && regionEnd < regionStart)
        RaiseBadStep("région inversée");

    // 2. What leaves the document.
    if (first == last) {
        if (first)
            state.Outgoing.Append(first->GetText().Data() + regionStart, regionEnd - regionStart);
    } else {
        state.Outgoing.Append(first->GetText().Data() + regionStart, first->GetText().Size() - regionStart);
        AppendSeparator(state.Outgoing, first->Format);
        for (int32_t index = state.First + 1; index < state.First + state.OldCount; ++index) {
            TParagraph& paragraph = document.Paragraphs(index);
            if (&paragraph == last) {
                state.Outgoing.Append(paragraph.GetText().Data(), regionEnd);
            } else {
                state.Outgoing.AppendMemory(paragraph.GetText());
                AppendSeparator(state.Outgoing, paragraph.Format);
            }
        }
    }
    state.OutgoingChars = CountEncodedChars(state.Outgoing.Data(), state.Outgoing.Size());

    // The format in force where the region starts, and the one its end must
    // leave for the character after it.
    TCharFormat before = DefaultCharFormat();
    if (first)
        ApplyFormatRecords(first->GetText().Data(), 0, regionStart, before);
    TCharFormat after = DefaultCharFormat();
    if (last)
        ApplyFormatRecords(last->GetText().Data(), 0, regionEnd, after);

    // 3. What comes in.
    TMemory incoming;
    if (state.Inserting && FFirstInsertion) {
        // The records before the character at the start stay in front of the text.
        incoming.AppendMemory(state.Outgoing);
        incoming.AppendMemory(FStored);
    } else if (!state.Inserting && FFirstDeletion) {
        // The anchors at both edges stay, and records carry the format of the
        // character after the text.
        if (!state.LastVirtual) {
            TEdgeAnchors edges;
            SplitEdgeAnchors(document, start, end, edges);
            incoming.AppendMemory(edges.KeptLeading);
            incoming.AppendMemory(edges.KeptTrailing);
            for (int slot = 0; slot < TCharFormat::Count; ++slot)
                if (after[slot] != before[slot])
                    AppendFormatCode(incoming, static_cast<uint16_t>(slot), after[slot]);
        }
    } else {
        incoming.Assign(FStored);
    }
    const std::vector<TPart> parts = SplitStored(incoming);
    state.IncomingSpan = static_cast<int32_t>(parts.size()) - 1;
    state.IncomingChars = CountEncodedChars(incoming.Data(), incoming.Size());
    const int32_t k = state.IncomingSpan;

    // The format of the first character that leaves (what typing over it takes).
    if (!state.Inserting) {
        state.StartFormat = before;
        if (first && state.StartOffset < first->GetCharCount())
            ApplyFormatRecords(first->GetText().Data(), regionStart, first->CharToByteOffset(state.StartOffset),
                               state.StartFormat);
    }

    // 4. The new paragraphs' texts and formats.
    const uint8_t* in = incoming.Data();
    TParFormat defaultFormat = DefaultParFormat();
    if (first)
        defaultFormat = first->Format;
    else if (storyEnd > storyFirst)
        defaultFormat = document.Paragraphs(storyEnd - 1).Format;
    std::vector<TMemory> texts(static_cast<size_t>(k) + 1);
    std::vector<TParFormat> formats(static_cast<size_t>(k) + 1);
    for (int32_t i = 0; i <= k; ++i) {
        const TPart& part = parts[static_cast<size_t>(i)];
        TMemory& text = texts[static_cast<size_t>(i)];
        if (i == 0 && first)
            text.Append(first->GetText().Data(), regionStart);
        text.Append(in + part.From, part.Size);
        formats[static_cast<size_t>(i)] = i < k ? (part.HasFormat ? part.Format : defaultFormat)
                                                : (last ? last->Format : defaultFormat);
    }
    if (last) {
        // The end of the region hands the following character the format it had.
        TCharFormat running = k == 0 ? before : DefaultCharFormat();
        const TPart& tail = parts.back();
        ApplyFormatRecords(in, tail.From, tail.From + tail.Size, running);
        TMemory& text = texts.back();
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (running[slot] != after[slot])
                AppendFormatCode(text, static_cast<uint16_t>(slot), after[slot]);
        text.Append(last->GetText().Data() + regionEnd, last->GetText().Size() - regionEnd);
    } else if (texts.back().Size() != 0) {
        RaiseBadStep("texte sans fin de paragraphe à la fin de sa partie du document");
    }
    state.NewCount = k + (last ? 1 : 0);
    state.InPlace = first && first == last && k == 0;
    if (state.InPlace) {
        state.Scratch = std::make_unique<TParagraph>(&document);
        state.Scratch->SetText(texts[0].Data(), texts[0].Size());
        state.Scratch->NormalizeControlCodes();
    } else {
        state.Paragraphs.reserve(static_cast<size_t>(state.NewCount));
        for (int32_t i = 0; i < state.NewCount; ++i) {
            auto paragraph = std::make_unique<TParagraph>(&document);
            paragraph->SetText(texts[static_cast<size_t>(i)].Data(), texts[static_cast<size_t>(i)].Size());
            paragraph->NormalizeControlCodes();
            paragraph->Format = formats[static_cast<size_t>(i)];
            state.Paragraphs.push_back(std::move(paragraph));
        }
    }
    // Where the text ends while it is in the document.
    if (state.Inserting) {
        if (k == 0)
            MakeTextPos(state.First, state.StartOffset + state.IncomingChars, state.NewEnd);
        else
            MakeTextPos(state.First + k, CountEncodedChars(in + parts.back().From, parts.back().Size),
                        state.NewEnd);
    } else {
        state.NewEnd = start;
    }

    // 5. Objects that come and go with the text.
    std::vector<TObjectHandle> outSections, outFields, inSections, inFields;
    CollectObjects(state.Outgoing, outSections, outFields);
    CollectObjects(incoming, inSections, inFields);
    state.SectionRecords = !outSections.empty() || !inSections.empty();
    state.LeavingSections = Without(outSections, inSections);
    state.JoiningSections = Without(inSections, outSections);
    state.LeavingFields = Without(outFields, inFields);
    state.JoiningFields = Without(inFields, outFields);

    // 6. Where re-layout starts, read before the lines go.
    TOperationManager& manager = document.UndoManager();
    const bool structural = !state.InPlace;
    {
        int32_t from = state.First;
        if (state.FirstVirtual)
            from = state.First > storyFirst ? state.First - 1 : -1;
        if (from >= 0)
            manager.GetRelayoutStart(update, from);
    }
    if (structural && FStory == stBody && state.First < storyEnd) {
        TSection& section = document.GetSectionOfParagraph(state.First);
        const bool lastSection = document.IndexOfSection(&section) == document.SectionCount() - 1;
        const int32_t reach = std::max(state.Last, state.First + k);
        if (!lastSection && reach > section.LastParagraph && section.FirstParagraph <= section.LastParagraph) {
            TUpdateRange fromSection;
            manager.GetRelayoutStart(fromSection, section.FirstParagraph);
            if (!state.Inserting || update.FirstParagraph == NotSet ||
                (fromSection.FirstParagraph != NotSet && fromSection.FirstParagraph < update.FirstParagraph)) {
                update.FirstParagraph = fromSection.FirstParagraph;
                update.FirstPage = fromSection.FirstPage;
            }
        }
    }

    // 7. The change itself, and what follows from it.
    if (FStory == stBody && document.StoryCount(stBody) - state.OldCount + state.NewCount < 1)
        RaiseBadStep("le corps du document garde au moins un paragraphe");
    if (!state.InPlace) {
        document.ReserveParagraphs(state.NewCount - state.OldCount);
        state.Paragraphs.reserve(static_cast<size_t>(std::max(state.NewCount, state.OldCount)));
    }
    Commit(state);
    try {
        MoveObjects(state);
        AfterSwap(state, update);
    } catch (...) {
        Revert(state);
        throw;
    }

    // 8. The step now holds the other side.
    const bool oneChar = k == 0 && state.OldCount == 1 && !state.FirstVirtual &&
                         (state.Inserting ? state.IncomingChars : state.OutgoingChars) == 1;
    const TMemory& text = state.Inserting ? incoming : state.Outgoing;
    uint8_t firstChar = 0;
    if (oneChar) {
        const uint8_t* p = text.Data();
        for (int32_t pos = 0; pos < text.Size();) {
            if (p[pos] != InlineControlStartByte) {
                firstChar = p[pos];
                break;
            }
            if (IsCharacterCode(InlineControlCodeAt(p, pos))) {
                firstChar = PlainCharOfControl(ReadInlineControl(p + pos));
                break;
            }
            pos += InlineControlSize;
        }
    }
    FStored = std::move(state.Outgoing);
    FFlags = static_cast<uint8_t>((FFlags & idfInDocument) ^ idfInDocument);
    if (oneChar) {
        FFlags |= idfOneChar;
        if (firstChar == ' ')
            FFlags |= idfSpace;
    }
    if (state.Inserting) {
        FEnd = state.NewEnd;
        FSpan = k;
        FCharCount = state.IncomingChars;
    } else {
        FEnd = end;
        FSpan = state.Last - state.First;
        FCharCount = state.OutgoingChars;
    }
    FStart = start;
    FFirstInsertion = 0;
    FFirstDeletion = 0;
}

void TInsertDeleteOperation::Commit(TSwapState& state)
{
    TDocument& document = *FDocument;
    if (state.InPlace)
        document.Paragraphs(state.First).SwapText(*state.Scratch);
    else
        document.ReplaceParagraphObjects(state.First, state.OldCount, FStory, state.Paragraphs);
    state.Committed = true;
}

void TInsertDeleteOperation::MoveObjects(TSwapState& state)
{
    if (!OwnsRecords)
        return;
    TDocument& document = *FDocument;
    const int32_t sectionMoves = static_cast<int32_t>(state.LeavingSections.size() + state.JoiningSections.size());
    const int32_t fieldMoves = static_cast<int32_t>(state.LeavingFields.size() + state.JoiningFields.size());
    if (sectionMoves == 0 && fieldMoves == 0)
        return;
    // Room on both sides first, so that neither the moves nor their reversal
    // can fail.
    document.ReserveSections(sectionMoves);
    ReserveMore(FSections, static_cast<size_t>(sectionMoves));
    document.ReserveRangeObjects(fieldMoves);
    ReserveMore(FFields, static_cast<size_t>(fieldMoves));

    for (TObjectHandle handle : state.LeavingSections)
        if (TSection* section = document.Objects().GetSection(handle))
            if (std::unique_ptr<TSection> taken = document.TakeSection(section))
                FSections.push_back(std::move(taken));
    for (TObjectHandle handle : state.JoiningSections) {
        const auto it = std::find_if(FSections.begin(), FSections.end(),
                                     [handle](const auto& section) { return section->Handle() == handle; });
        if (it == FSections.end())
            continue;
        document.PutSection(std::move(*it));
        FSections.erase(it);
    }
    TakeFields(state.LeavingFields);
    PutFields(state.JoiningFields);
    state.ObjectsMoved = true;
    FExtraBytes = static_cast<int64_t>(FSections.size() * sizeof(TSection) + FFields.size() * sizeof(TField));
}

void TInsertDeleteOperation::TakeFields(const std::vector<TObjectHandle>& handles)
{
    TDocument& document = *FDocument;
    for (TObjectHandle handle : handles)
        if (TField* field = document.Objects().GetField(handle)) {
            int32_t index = -1;
            if (std::unique_ptr<TField> taken = document.TakeRangeObject(field, &index))
                FFields.push_back({std::move(taken), index});
        }
}

void TInsertDeleteOperation::PutFields(const std::vector<TObjectHandle>& handles)
{
    // The last taken goes back first, each to the place it had.
    for (auto handle = handles.rbegin(); handle != handles.rend(); ++handle) {
        const auto it = std::find_if(FFields.begin(), FFields.end(),
                                     [&](const TOwnedField& owned) { return owned.Field->Handle() == *handle; });
        if (it == FFields.end())
            continue;
        FDocument->PutRangeObject(std::move(it->Field), it->Index);
        FFields.erase(it);
    }
}

void TInsertDeleteOperation::ReturnObjects(TSwapState& state) noexcept
{
    TDocument& document = *FDocument;
    try {
        for (TObjectHandle handle : state.JoiningSections)
            if (TSection* section = document.Objects().GetSection(handle))
                if (std::unique_ptr<TSection> taken = document.TakeSection(section))
                    FSections.push_back(std::move(taken));
        for (TObjectHandle handle : state.LeavingSections) {
            const auto it = std::find_if(FSections.begin(), FSections.end(),
                                         [handle](const auto& section) { return section->Handle() == handle; });
            if (it != FSections.end()) {
                document.PutSection(std::move(*it));
                FSections.erase(it);
            }
        }
        TakeFields(state.JoiningFields);
        PutFields(state.LeavingFields);
    } catch (...) {
        // Room was made for every move before the first one.
    }
    FExtraBytes = static_cast<int64_t>(FSections.size() * sizeof(TSection) + FFields.size() * sizeof(TField));
    state.ObjectsMoved = false;
}

void TInsertDeleteOperation::AfterSwap(TSwapState& state, TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TOperationManager& manager = document.UndoManager();
    if (state.SectionRecords)
        document.SyncSectionOrder();

    if (state.InPlace) {
        TParagraph& paragraph = document.Paragraphs(state.First);
        if (GetParagraphLayout() && paragraph.GetLaidOutFlag() && paragraph.GetLineCount() > 0) {
            // Laid out again at once from the line before the one that holds
            // the change (a shorter word may now fit on it).
            const int32_t line = std::max(paragraph.FindLineOfChar(state.StartOffset, 0, true) - 1, 0);
            paragraph.Reformat(line, paragraph.GetLine(0).RightLimit);
            for (int32_t changed = line; changed < paragraph.GetLineCount(); ++changed)
                manager.AddChangedLine(state.First, changed);
        } else {
            paragraph.Invalidate(false, 0);
            document.ReformatingManager().AddParagraph(state.First);
            document.RelayoutPending = 1;
        }
    } else {
        for (int32_t index = state.First; index < state.First + state.NewCount; ++index)
            document.ReformatingManager().AddParagraph(index);
        document.RelayoutPending = 1;
        manager.RemoveChangedLinesFrom(state.First);
        // Paragraphs went: the pages from the changed one on are laid out anew.
        if (!state.Inserting && update.FirstPage != NotSet)
            update.FullUpdate = 1;
        if (TDocumentLayout* layout = GetDocumentLayout()) {
            document.BeginChange(chfPageLayout);
            document.BeginSuppressChange(chfLayoutChange);
            try {
                layout->UpdatePageLayout(document);
            } catch (...) {
                document.EndChanges(2);
                throw;
            }
            document.EndChanges(2);
        }
    }

    document.CaretMetricsChanged = 1;
    document.BookmarkListDirty = 1;
    document.RestartSpellCheck();
    if (!state.Inserting)
        document.PositionFormat = state.StartFormat;
    else if (state.NewEnd.Paragraph < document.StoryFirst(FStory) + document.StoryCount(FStory))
        document.GetCharFormatAt(state.NewEnd, document.PositionFormat);
    // A paragraph changed in place moves only the anchors it holds.
    if (state.InPlace)
        document.RefreshRangeObjectPositions(state.First, state.First);
    else
        document.RefreshRangeObjectPositions();
}

void TInsertDeleteOperation::Revert(TSwapState& state) noexcept
{
    TDocument& document = *FDocument;
    if (state.ObjectsMoved)
        ReturnObjects(state);
    if (!state.Committed)
        return;
    try {
        if (state.InPlace) {
            TParagraph& paragraph = document.Paragraphs(state.First);
            paragraph.SwapText(*state.Scratch);
            paragraph.Invalidate(false, 0);
            document.ReformatingManager().AddParagraph(state.First);
        } else {
            // The old objects come back untouched, lines and all.
            document.ReplaceParagraphObjects(state.First, state.NewCount, FStory, state.Paragraphs);
        }
        state.Committed = false;
        if (state.SectionRecords)
            document.SyncSectionOrder();
        if (state.InPlace)
            document.RefreshRangeObjectPositions(state.First, state.First);
        else
            document.RefreshRangeObjectPositions();
    } catch (...) {
        // The room for the old state was there before the change.
    }
}
