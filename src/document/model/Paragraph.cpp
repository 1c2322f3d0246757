#include "document/model/Paragraph.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/model/ObjectTable.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace {

constexpr uint8_t kPoolTerminator = 29;
constexpr int32_t kPoolEntrySize = 5;

[[noreturn]] void RaiseMalformed(const char* what)
{
    throw EInternalError(std::string("Texte de paragraphe incorrect : ") + what);
}

// Checks encoded text and collects the plain characters it holds. Returns
// whether it holds any record.
bool ScanEncoded(const uint8_t* p, int32_t count, std::string* plain)
{
    bool hasRecord = false;
    int32_t i = 0;
    while (i < count) {
        const uint8_t b = p[i];
        if (b >= 32) {
            if (plain)
                plain->push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (b != InlineControlStartByte)
            RaiseMalformed("caractère de contrôle isolé");
        if (count - i < InlineControlSize || p[i + 7] != InlineControlEndByte)
            RaiseMalformed("enregistrement tronqué");
        const TInlineControl c = ReadInlineControl(p + i);
        if (c.Code >= icCodeCount)
            RaiseMalformed("code d'enregistrement inconnu");
        if (c.Code == icSpecialChar && !IsValidSpecialCharArgument(c.Argument))
            RaiseMalformed("caractère spécial inconnu");
        if (plain && IsCharacterCode(c.Code))
            plain->push_back(static_cast<char>(PlainCharOfControl(c)));
        hasRecord = true;
        i += InlineControlSize;
    }
    return hasRecord;
}

// Number of characters in a run of valid text that starts at an element
// boundary; raises when the run does not end at one.
int32_t CountChars(const uint8_t* text, int32_t from, int32_t count)
{
    int32_t chars = 0;
    int32_t i = from;
    const int32_t end = from + count;
    while (i < end) {
        if (text[i] != InlineControlStartByte) {
            ++chars;
            ++i;
            continue;
        }
        if (IsCharacterCode(InlineControlCodeAt(text, i)))
            ++chars;
        i += InlineControlSize;
    }
    if (i != end)
        throw EInternalError("Ligne arrêtée au milieu d'un enregistrement");
    return chars;
}

}  // namespace

TParagraph::TParagraph(TDocument* document) : FDocument(document) {}

TParagraph::~TParagraph() = default;

TParagraphLayout& TParagraph::Layout()
{
    TParagraphLayout* layout = GetParagraphLayout();
    if (!layout)
        throw EInternalError("Aucun service de mise en page n'est disponible");
    return *layout;
}

// ---------------------------------------------------------------------------
// Editing the text

int32_t TParagraph::ByteToCharOffset(int32_t byteOffset) const
{
    const int32_t size = FText.Size();
    if (byteOffset < 0 || byteOffset > size)
        throw EInternalError("Position hors du texte du paragraphe");
    const uint8_t* p = FText.Data();
    int32_t pos = 0;
    int32_t chars = 0;
    while (pos < byteOffset) {
        if (p[pos] != InlineControlStartByte) {
            ++chars;
            ++pos;
            continue;
        }
        if (IsCharacterCode(InlineControlCodeAt(p, pos)))
            ++chars;
        pos += InlineControlSize;
    }
    if (pos != byteOffset)
        throw EInternalError("Position au milieu d'un enregistrement");
    return chars;
}

void TParagraph::AppendChars(std::string_view chars)
{
    InsertChars(FText.Size(), chars);
}

void TParagraph::AppendControl(uint16_t code, int32_t argument)
{
    InsertControl(FText.Size(), code, argument);
}

void TParagraph::InsertChars(int32_t byteOffset, std::string_view chars)
{
    if (chars.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EOutOfMemory();
    InsertText(byteOffset, chars.data(), static_cast<int32_t>(chars.size()));
}

void TParagraph::InsertControl(int32_t byteOffset, uint16_t code, int32_t argument)
{
    if (code >= icCodeCount)
        RaiseMalformed("code d'enregistrement inconnu");
    uint8_t record[InlineControlSize];
    WriteInlineControl(record, code, argument);
    InsertText(byteOffset, record, InlineControlSize);
}

void TParagraph::InsertText(int32_t byteOffset, const void* encoded, int32_t count)
{
    if (count < 0)
        RaiseMalformed("longueur négative");
    const int32_t charOffset = ByteToCharOffset(byteOffset);
    if (count == 0)
        return;
    std::string plain;
    const bool hasRecord = ScanEncoded(static_cast<const uint8_t*>(encoded), count, &plain);
    FText.Insert(encoded, byteOffset, count);
    try {
        FPlainChars.Insert(plain.data(), charOffset, static_cast<int32_t>(plain.size()));
    } catch (...) {
        FText.Delete(byteOffset, count);
        throw;
    }
    if (hasRecord)
        FNormalized = false;
    ShiftSpelling(charOffset, charOffset, static_cast<int32_t>(plain.size()));
}

void TParagraph::DeleteText(int32_t byteOffset, int32_t count, TMemory* removed)
{
    if (count < 0 || byteOffset < 0 || static_cast<int64_t>(byteOffset) + count > FText.Size())
        throw EInternalError("Suppression hors du texte du paragraphe");
    const int32_t firstChar = ByteToCharOffset(byteOffset);
    const int32_t endChar = ByteToCharOffset(byteOffset + count);
    if (count == 0)
        return;
    const bool hasRecord = ScanEncoded(FText.Data() + byteOffset, count, nullptr);
    if (removed)
        removed->Append(FText.Data() + byteOffset, count);
    FText.Delete(byteOffset, count);
    FPlainChars.Delete(firstChar, endChar - firstChar);
    if (hasRecord)
        FNormalized = false;
    ShiftSpelling(firstChar, endChar, firstChar - endChar);
}

void TParagraph::SetText(const void* encoded, int32_t count)
{
    if (count < 0)
        RaiseMalformed("longueur négative");
    std::string plain;
    const bool hasRecord = ScanEncoded(static_cast<const uint8_t*>(encoded), count, &plain);
    TMemory text;
    TMemory plainChars;
    text.SetData(encoded, count);
    plainChars.SetData(plain.data(), static_cast<int32_t>(plain.size()));
    FText = std::move(text);
    FPlainChars = std::move(plainChars);
    FNormalized = !hasRecord;
    ForgetSpelling();
}

void TParagraph::SwapText(TParagraph& other) noexcept
{
    std::swap(FText, other.FText);
    std::swap(FPlainChars, other.FPlainChars);
    std::swap(FNormalized, other.FNormalized);
    // Each paragraph keeps its marks where its new text is the same as the old.
    CarrySpelling(other.FPlainChars);
    other.CarrySpelling(FPlainChars);
}

void TParagraph::CarrySpelling(const TMemory& oldPlain) noexcept
{
    if (FMisspellingCount == 0 && FCheckedLast < FCheckedFirst)
        return;
    const uint8_t* a = oldPlain.Data();
    const uint8_t* b = FPlainChars.Data();
    const int32_t oldLength = oldPlain.Size();
    const int32_t newLength = FPlainChars.Size();
    int32_t prefix = 0;
    while (prefix < oldLength && prefix < newLength && a[prefix] == b[prefix])
        ++prefix;
    int32_t suffix = 0;
    while (suffix < oldLength - prefix && suffix < newLength - prefix &&
           a[oldLength - 1 - suffix] == b[newLength - 1 - suffix])
        ++suffix;
    // The same characters: a change of format, perhaps of the language, which
    // decides the check.
    if (prefix == oldLength && oldLength == newLength) {
        ForgetSpelling();
        return;
    }
    ShiftSpelling(prefix, oldLength - suffix, newLength - oldLength);
}

void TParagraph::DeleteRecordAt(int32_t byteOffset)
{
    FText.Delete(byteOffset, InlineControlSize);
}

// ---------------------------------------------------------------------------
// Normalisation

void TParagraph::NormalizeControlCodes()
{
    // 1. Anchors stand ahead of the format records that precede them.
    {
        uint8_t* p = FText.Data();
        const int32_t size = FText.Size();
        int32_t pos = 0;
        while (pos < size) {
            if (p[pos] != InlineControlStartByte) {
                ++pos;
                continue;
            }
            if (IsAnchorCode(InlineControlCodeAt(p, pos))) {
                int32_t q = pos;
                while (q >= InlineControlSize && p[q - 1] == InlineControlEndByte &&
                       IsFormatCode(InlineControlCodeAt(p, q - InlineControlSize))) {
                    uint8_t tmp[InlineControlSize];
                    std::memcpy(tmp, p + q - InlineControlSize, InlineControlSize);
                    std::memmove(p + q - InlineControlSize, p + q, InlineControlSize);
                    std::memcpy(p + q, tmp, InlineControlSize);
                    q -= InlineControlSize;
                }
            }
            pos += InlineControlSize;
        }
    }

    // 2. Redundant format records.
    TCharFormat current = DefaultCharFormat();
    TCharFormat atLastChar = current;
    int32_t pending[TCharFormat::Count];
    std::fill(std::begin(pending), std::end(pending), -1);
    auto removeRecord = [&](int32_t at) {
        DeleteRecordAt(at);
        for (int32_t& slot : pending)
            if (slot > at)
                slot -= InlineControlSize;
    };
    auto characterSeen = [&] {
        atLastChar = current;
        std::fill(std::begin(pending), std::end(pending), -1);
    };
    int32_t pos = 0;
    while (pos < FText.Size()) {
        const uint8_t* p = FText.Data();
        if (p[pos] != InlineControlStartByte) {
            while (pos < FText.Size() && p[pos] != InlineControlStartByte)
                ++pos;
            characterSeen();
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + pos);
        if (IsCharacterCode(c.Code)) {
            characterSeen();
            pos += InlineControlSize;
        } else if (IsAnchorCode(c.Code)) {
            pos += InlineControlSize;
        } else if (c.Argument == current[c.Code]) {
            removeRecord(pos);
        } else {
            current[c.Code] = c.Argument;
            if (pending[c.Code] < 0) {
                pending[c.Code] = pos;
                pos += InlineControlSize;
            } else {
                const int32_t earlier = pending[c.Code];
                pending[c.Code] = -1;
                removeRecord(earlier);
                pos -= InlineControlSize;
                if (c.Argument == atLastChar[c.Code]) {
                    removeRecord(pos);
                } else {
                    pending[c.Code] = pos;
                    pos += InlineControlSize;
                }
            }
        }
    }

    // 3. Trailing format records, keeping a paragraph of one record as it is.
    while (FText.Size() > 15) {
        const int32_t last = FText.Size() - InlineControlSize;
        const uint8_t* p = FText.Data();
        if (p[FText.Size() - 1] != InlineControlEndByte || !IsFormatCode(InlineControlCodeAt(p, last)))
            break;
        DeleteRecordAt(last);
    }
    FNormalized = true;
}

// ---------------------------------------------------------------------------
// Lines

TParLine& TParagraph::GetLine(int32_t index) const
{
    if (index < 0 || index >= GetLineCount())
        throw EListError("Index de ligne hors limites (" + std::to_string(index) + ")");
    return *FLines[static_cast<size_t>(index)];
}

void TParagraph::RemoveLines(int32_t firstLine)
{
    if (firstLine < GetLineCount())
        FLines.erase(FLines.begin() + firstLine, FLines.end());
}

void TParagraph::Invalidate(bool relayout, int32_t widthTwips)
{
    TParagraphLayout* layout = relayout ? &Layout() : nullptr;
    FLines.clear();
    FPool.Clear();
    FLaidOut = false;
    if (layout) {
        if (!FNormalized)
            NormalizeControlCodes();
        const int32_t right = Format[pfRightIndent] == NotSet ? 0 : Format[pfRightIndent];
        const int64_t twips = std::clamp<int64_t>(static_cast<int64_t>(widthTwips) - right, 0,
                                                  std::numeric_limits<int32_t>::max());
        Reformat(0, layout->WidthToLayout(*this, static_cast<int32_t>(twips)));
    }
    FLaidOut = relayout;
}

void TParagraph::Reformat(int32_t firstLine, int32_t width)
{
    TParagraphLayout& layout = Layout();
    int32_t start = FLines.empty() ? 0 : std::clamp(firstLine, 0, GetLineCount() - 1);
    TLineBuildState state;
    int32_t startByte = 0;
    int32_t startChar = 0;
    // A line kept from before an edit is a valid starting point only while it
    // still starts between elements at its character; otherwise start over.
    bool resume = false;
    if (start > 0) {
        const TParLine& line = *FLines[static_cast<size_t>(start)];
        try {
            resume = line.StartByte <= FText.Size() && ByteToCharOffset(line.StartByte) == line.FirstChar;
        } catch (const EInternalError&) {
            resume = false;
        }
    }
    if (resume) {
        const TParLine& line = *FLines[static_cast<size_t>(start)];
        ExpandFormatDiff(state.Format, line.StartFormat);
        startByte = line.StartByte;
        startChar = line.FirstChar;
    } else {
        start = 0;
        state.Format = DefaultCharFormat();
    }
    layout.PrepareParagraphTabs(*this);
    if (state.Format[cfSize] != NotSet)
        state.Format[cfSize] = layout.ScaleToViewX(*this, state.Format[cfSize]);
    layout.SelectRunFont(*this, state.Format);
    RemoveLines(start);

    const uint8_t* text = FText.Data();
    state.Text = text + startByte;
    state.Remaining = FText.Size() - startByte;
    int32_t byte = startByte;
    int32_t chars = startChar;
    do {
        std::unique_ptr<TParLine> created = layout.CreateLine(*this);
        TParLine* line = created.get();
        line->FirstChar = chars;
        line->StartByte = byte;
        line->StartFormat = AddFormatDiff(state.Format);
        line->RightLimit = width;
        line->Index = GetLineCount();
        FLines.push_back(std::move(created));

        const int32_t before = state.Remaining;
        line->BuildLine(state);
        const int32_t taken = before - state.Remaining;
        if (taken < 0 || (taken == 0 && before > 0) || state.Text != text + byte + taken)
            throw EInternalError("La mise en page n'a pas consommé le texte de la ligne");
        line->ByteLength = taken;
        line->CharCount = CountChars(text, byte, taken);
        byte += taken;
        chars += line->CharCount;
    } while (state.Remaining > 0);

    for (int32_t i = GetLineCount() - 1; i >= start; --i)
        FLines[static_cast<size_t>(i)]->FinishLine();
}

int32_t TParagraph::FindLineOfChar(int32_t charOffset, int32_t lowestLine, bool preferPrevious) const
{
    if (FLines.empty())
        return -1;
    int32_t lo = 0;
    int32_t hi = GetLineCount() - 1;
    int32_t probed = 0;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        probed = mid;
        const TParLine& line = *FLines[static_cast<size_t>(mid)];
        if (charOffset < line.FirstChar) {
            hi = mid - 1;
        } else if (static_cast<int64_t>(charOffset) >= static_cast<int64_t>(line.FirstChar) + line.CharCount) {
            lo = mid + 1;
        } else {
            if (charOffset == line.FirstChar && mid > lowestLine && mid >= 1) {
                if (preferPrevious)
                    return mid - 1;
                return FLines[static_cast<size_t>(mid - 1)]->EndsWithBreak() ? mid : mid - 1;
            }
            return mid;
        }
    }
    return probed;
}

int32_t TParagraph::CharToByteOffset(int32_t charOffset) const
{
    const int32_t count = GetCharCount();
    const int32_t target = std::clamp(charOffset, 0, std::max(count - 1, 0));
    const uint8_t* p = FText.Data();
    const int32_t size = FText.Size();
    int32_t pos = 0;
    int32_t chars = 0;
    while (pos < size) {
        if (p[pos] == InlineControlStartByte) {
            if (IsZeroWidthCode(InlineControlCodeAt(p, pos))) {
                pos += InlineControlSize;
                continue;
            }
            if (chars == target)
                return pos;
            ++chars;
            pos += InlineControlSize;
            continue;
        }
        if (chars == target)
            return pos;
        int32_t runEnd = pos;
        while (runEnd < size && p[runEnd] != InlineControlStartByte)
            ++runEnd;
        const int32_t step = std::min(runEnd - pos, target - chars);
        pos += step;
        chars += step;
    }
    return pos;
}

TRecordCursor::TRecordCursor(const TParagraph& paragraph, int32_t byteLimit)
    : FText(paragraph.GetText().Data()),
      FSize(byteLimit >= 0 ? std::min(byteLimit, paragraph.GetText().Size()) : paragraph.GetText().Size())
{
}

bool TRecordCursor::Next()
{
    if (FStarted) {
        if (IsCharacterCode(FRecord.Code))
            ++FChars;
        FPos += InlineControlSize;
    }
    FStarted = true;
    if (FPos >= FSize)
        return false;
    const void* found = std::memchr(FText + FPos, InlineControlStartByte, static_cast<size_t>(FSize - FPos));
    const int32_t at = found ? static_cast<int32_t>(static_cast<const uint8_t*>(found) - FText) : FSize;
    FChars += at - FPos;
    FPos = at;
    if (FPos + InlineControlSize > FSize)
        return false;
    FRecord = ReadInlineControl(FText + FPos);
    return true;
}

int32_t TParagraph::ByteAfterChar(int32_t charIndex) const
{
    const int32_t pos = CharToByteOffset(charIndex);
    if (pos >= FText.Size())
        return pos;
    return FText.Data()[pos] == InlineControlStartByte ? pos + InlineControlSize : pos + 1;
}

bool TParagraph::IsPaginated() const
{
    return FLaidOut && !FLines.empty() && FLines.front()->Page != nullptr;
}

// ---------------------------------------------------------------------------
// Note numbers

std::vector<TField*> TParagraph::NoteReferencesIn(int32_t fromByte, int32_t toByte) const
{
    std::vector<TField*> references;
    const uint8_t* p = FText.Data();
    const int32_t size = FText.Size();
    const int32_t end = std::min(toByte, size);
    for (int32_t pos = std::max(fromByte, 0); pos < end;) {
        if (p[pos] != InlineControlStartByte) {
            ++pos;
            continue;
        }
        if (pos + InlineControlSize > size)
            break;
        const TInlineControl record = ReadInlineControl(p + pos);
        pos += InlineControlSize;
        if (record.Code != icRangeStart)
            continue;
        TField* field = FDocument->Objects().GetField(record.Argument);
        if (field && field->Kind == rkNoteReference && field->NoteRecord)
            references.push_back(field);
    }
    return references;
}

bool TParagraph::RenumberNotes(int32_t lineIndex, int32_t& footnotes, int32_t& endnotes)
{
    int32_t from = 0;
    if (lineIndex > 0 && lineIndex < GetLineCount())
        from = std::clamp(FLines[static_cast<size_t>(lineIndex)]->StartByte, 0, FText.Size());
    bool changed = false;
    for (TField* reference : NoteReferencesIn(from, FText.Size())) {
        int32_t& counter = IsEndnoteReference(*reference) ? endnotes : footnotes;
        if (reference->SetNoteNumber(*FDocument, counter)) {
            changed = true;
            // The note's own paragraphs show its number too.
            const TTextRange& range = reference->NoteRecord->Range;
            const int32_t last = std::min(range.End.Paragraph, FDocument->ParagraphCount() - 1);
            for (int32_t index = std::max(range.Start.Paragraph, 0); index <= last; ++index) {
                TParagraph& note = FDocument->Paragraphs(index);
                if (&note != this)
                    note.Invalidate(false, 0);
            }
        }
        if (counter < std::numeric_limits<int32_t>::max())
            ++counter;
    }
    return changed;
}

// ---------------------------------------------------------------------------
// Formats

int32_t TParagraph::AddFormatDiff(const TCharFormat& format)
{
    const TCharFormat& def = DefaultCharFormat();
    uint8_t list[TCharFormat::Count * kPoolEntrySize + 1];
    int32_t length = 0;
    for (int slot = 0; slot < TCharFormat::Count; ++slot) {
        if (format[slot] == def[slot])
            continue;
        const auto value = static_cast<uint32_t>(format[slot]);
        list[length++] = static_cast<uint8_t>(slot);
        for (int b = 0; b < 4; ++b)
            list[length++] = static_cast<uint8_t>(value >> (8 * b));
    }
    if (length == 0)
        return -1;
    list[length++] = kPoolTerminator;
    const int32_t offset = FPool.Size();
    FPool.Append(list, length);
    return offset;
}

void TParagraph::ExpandFormatDiff(TCharFormat& target, int32_t poolOffset)
{
    TCharFormat result = DefaultCharFormat();
    if (poolOffset != -1) {
        if (poolOffset < 0 || poolOffset >= FPool.Size())
            throw EInternalError("Liste de mise en forme hors du tampon");
        const uint8_t* p = FPool.Data();
        int32_t i = poolOffset;
        for (;;) {
            if (i >= FPool.Size())
                throw EInternalError("Liste de mise en forme non terminée");
            if (p[i] == kPoolTerminator)
                break;
            if (p[i] >= TCharFormat::Count || FPool.Size() - i < kPoolEntrySize)
                throw EInternalError("Liste de mise en forme incorrecte");
            const uint32_t value = static_cast<uint32_t>(p[i + 1]) | (static_cast<uint32_t>(p[i + 2]) << 8) |
                                   (static_cast<uint32_t>(p[i + 3]) << 16) |
                                   (static_cast<uint32_t>(p[i + 4]) << 24);
            result[p[i]] = static_cast<int32_t>(value);
            i += kPoolEntrySize;
        }
    }
    if (result[cfSize] != NotSet)
        result[cfSize] = Layout().ScaleFromViewX(*this, result[cfSize]);
    target = result;
}

void TParagraph::GetStartFormat(TCharFormat& target) const
{
    TCharFormat result = DefaultCharFormat();
    const uint8_t* p = FText.Data();
    int32_t pos = 0;
    while (pos < FText.Size() && p[pos] == InlineControlStartByte) {
        const TInlineControl c = ReadInlineControl(p + pos);
        if (IsCharacterCode(c.Code))
            break;
        if (IsFormatCode(c.Code))
            result[c.Code] = c.Argument;
        pos += InlineControlSize;
    }
    target = result;
}

TObjectHandle TParagraph::GetSectionBreak() const
{
    const uint8_t* p = FText.Data();
    int32_t end = FText.Size();
    while (end >= InlineControlSize && p[end - 1] == InlineControlEndByte &&
           IsAnchorCode(InlineControlCodeAt(p, end - InlineControlSize)))
        end -= InlineControlSize;
    if (end >= InlineControlSize && p[end - 1] == InlineControlEndByte) {
        const TInlineControl c = ReadInlineControl(p + end - InlineControlSize);
        if (c.Code == icSectionBreak)
            return c.Argument;
    }
    return NoObjectHandle;
}

// ---------------------------------------------------------------------------
// Save and restore

void TParagraph::SaveState(TParagraphSaveState& state)
{
    TParagraphSaveState saved;
    saved.Text.Assign(FText);
    saved.PlainChars.Assign(FPlainChars);
    saved.Pool.Assign(FPool);
    saved.LaidOut = FLaidOut;
    saved.Normalized = FNormalized;
    saved.Lines = std::move(FLines);
    saved.Saved = true;
    FLines.clear();
    FLaidOut = false;
    state = std::move(saved);
}

void TParagraph::RestoreState(TParagraphSaveState& state)
{
    if (!state.Saved)
        throw EInternalError("Aucun état de paragraphe à restaurer");
    FLines = std::move(state.Lines);
    FText = std::move(state.Text);
    FPlainChars = std::move(state.PlainChars);
    FPool = std::move(state.Pool);
    FLaidOut = state.LaidOut;
    FNormalized = state.Normalized;
    state = TParagraphSaveState();
    ForgetSpelling();
}

// ---------------------------------------------------------------------------
// Spell checking

void TParagraph::MarkSpellChecked(int32_t from, int32_t to, int32_t generation)
{
    if (generation != FSpellGeneration) {
        FSpellGeneration = generation;
        FCheckedFirst = 0;
        FCheckedLast = -1;
        FMisspellingCount = 0;
        if (FMisspellings)
            FMisspellings->Clear();
    }
    if (from > to)
        return;
    // Overlapping or adjacent ranges leave no unchecked character between them.
    if (static_cast<int64_t>(from) > static_cast<int64_t>(FCheckedLast) + 1 ||
        static_cast<int64_t>(to) < static_cast<int64_t>(FCheckedFirst) - 1)
        return;
    FCheckedFirst = std::min(FCheckedFirst, from);
    FCheckedLast = std::max(FCheckedLast, to);
}

void TParagraph::AddMisspelling(int32_t from, int32_t to, int32_t value)
{
    const bool startInside = from >= FCheckedFirst && from < FCheckedLast;
    const bool endInside = to > FCheckedFirst && to <= FCheckedLast;
    if (!startInside && !endInside)
        return;
    for (int32_t i = 0; i < FMisspellingCount; ++i) {
        const TMisspelling m = GetMisspelling(i);
        if (m.From == from && m.To == to)
            return;
    }
    if (!FMisspellings)
        FMisspellings = std::make_unique<TMemory>();
    const int32_t triple[3] = {from, to, value};
    FMisspellings->Append(triple, sizeof triple);
    ++FMisspellingCount;
}

bool TParagraph::IsSpellChecked(int32_t from, int32_t to, int32_t generation) const
{
    return generation == FSpellGeneration && from >= FCheckedFirst && to <= FCheckedLast;
}

void TParagraph::ForgetSpelling() noexcept
{
    FSpellGeneration = NotSet;
    FCheckedFirst = 0;
    FCheckedLast = -1;
    FMisspellingCount = 0;
    if (FMisspellings)
        FMisspellings->Clear();
}

// The text from..to changed its length by delta. Marks of words that touch the
// change go (the word is another one now), marks after it move with the text,
// and the checked range ends before the change: the rest is checked again.
void TParagraph::ShiftSpelling(int32_t from, int32_t to, int32_t delta) noexcept
{
    if (FMisspellingCount > 0) {
        std::vector<TMisspelling> kept;
        for (int32_t i = 0; i < FMisspellingCount; ++i) {
            TMisspelling m = GetMisspelling(i);
            if (m.To < from) {
                kept.push_back(m);
            } else if (m.From > to) {
                m.From += delta;
                m.To += delta;
                kept.push_back(m);
            }
        }
        FMisspellings->Clear();
        for (const TMisspelling& m : kept) {
            const int32_t triple[3] = {m.From, m.To, m.Value};
            FMisspellings->Append(triple, sizeof triple);
        }
        FMisspellingCount = static_cast<int32_t>(kept.size());
    }
    if (FCheckedLast >= from - 1)
        FCheckedLast = from - 2;
    if (FCheckedLast < FCheckedFirst) {
        FCheckedFirst = 0;
        FCheckedLast = -1;
    }
}

TMisspelling TParagraph::GetMisspelling(int32_t index) const
{
    if (index < 0 || index >= FMisspellingCount)
        throw EListError("Index de faute d'orthographe hors limites (" + std::to_string(index) + ")");
    int32_t triple[3];
    FMisspellings->Read(triple, index * static_cast<int32_t>(sizeof triple), sizeof triple);
    return TMisspelling{triple[0], triple[1], triple[2]};
}

// ---------------------------------------------------------------------------

bool HasBreakChars(const void* chars, int32_t count)
{
    const auto* p = static_cast<const uint8_t*>(chars);
    for (int32_t i = 0; i < count; ++i)
        if (p[i] == scColumnBreak || p[i] == scLineBreak || p[i] == scPageBreak)
            return true;
    return false;
}

bool HasTabChar(const void* chars, int32_t count)
{
    const auto* p = static_cast<const uint8_t*>(chars);
    for (int32_t i = 0; i < count; ++i)
        if (p[i] == scTab)
            return true;
    return false;
}
