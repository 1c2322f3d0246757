// Operation 26: the characters of a range rewritten (letter case, keyboard
// layout, character set of the fonts) and put back in place of the range, with
// the range's format records, fields and bookmarks kept as they are.
#include "document/editing/EditingRecords.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/InsertDeleteOperation.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/Memory.h"
#include "foundation/TextTables.h"
#include "foundation/managers/FontManager.h"
#include "platform/runtime/Locale.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

void RefuseWithName(TDocument& document, const TOperation* op, uint8_t kind, std::string text, bool warning)
{
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, OperationName(op ? op->Kind : kind));
    document.MessageShownInOperation = 1;
    if (warning)
        ShowWarning(text);
    else
        ShowInformation(text);
}

// One character in upper or lower case under the language's locale; a
// character whose other case the code page cannot hold stays as it is.
uint8_t Upper(uint8_t c, int32_t language)
{
    const char ch = static_cast<char>(c);
    const std::string mapped = LocaleUpperCase(static_cast<LCID>(language), std::string_view(&ch, 1));
    return mapped.size() == 1 ? static_cast<uint8_t>(mapped[0]) : c;
}

uint8_t Lower(uint8_t c, int32_t language)
{
    const char ch = static_cast<char>(c);
    const std::string mapped = LocaleLowerCase(static_cast<LCID>(language), std::string_view(&ch, 1));
    return mapped.size() == 1 ? static_cast<uint8_t>(mapped[0]) : c;
}

// Every character of the run is in capitals (characters without case count
// as capitals).
bool AllCapitals(const uint8_t* chars, int32_t from, int32_t to, int32_t language)
{
    for (int32_t i = from; i < to; ++i)
        if (chars[i] >= 32 && Upper(chars[i], language) != chars[i])
            return false;
    return true;
}

// The sentence and the word around the characters being changed, looked up
// once per sentence and per word.
class TCaseContext {
public:
    TCaseContext(TDocument& document, const TTextRange& range) : FDocument(document), FRange(range) {}

    // The sentence-case form of the character at the position.
    uint8_t SentenceCase(const TTextPosition& at, uint8_t c, int32_t language)
    {
        Locate(at, language);
        if (at.Offset == FFirstLetter)
            return Upper(c, language);
        if (FSentenceCapitals)
            return Lower(c, language);
        if (at.Offset == FWordStart || FWordCapitals)
            return c;
        return Lower(c, language);
    }

    // The capitalised-words form of the character at the position.
    uint8_t CapitalizeWords(const TTextPosition& at, uint8_t c, int32_t language)
    {
        Locate(at, language);
        if (FWordEnd <= FWordStart || at.Offset < FWordStart || at.Offset >= FWordEnd)
            return c;
        if (FWordCapitals && !FSentenceCapitals)
            return c;
        if (at.Offset == FWordFirstLetter)
            return Upper(c, language);
        return Lower(c, language);
    }

private:
    void Locate(const TTextPosition& at, int32_t language)
    {
        const TParagraph& paragraph = FDocument.Paragraphs(at.Paragraph);
        const uint8_t* chars = paragraph.GetPlainChars().Data();
        const int32_t count = paragraph.GetCharCount();
        if (at.Paragraph != FParagraph || at.Offset < FSentenceStart || at.Offset >= FSentenceEnd) {
            TTextRange sentence;
            FDocument.GetSentenceAt(at, sentence);
            int32_t from = sentence.Start.Paragraph == at.Paragraph ? sentence.Start.Offset : 0;
            int32_t to = sentence.End.Paragraph == at.Paragraph ? sentence.End.Offset : count;
            // Clamped to the range being changed.
            if (FRange.Start.Paragraph == at.Paragraph)
                from = std::max(from, FRange.Start.Offset);
            if (FRange.End.Paragraph == at.Paragraph)
                to = std::min(to, FRange.End.Offset);
            from = std::clamp(from, 0, at.Offset);
            to = std::clamp(to, at.Offset + 1, count);
            FParagraph = at.Paragraph;
            FSentenceStart = from;
            FSentenceEnd = to;
            // The characters that open a sentence (quotes, brackets, spaces)
            // are skipped up to its first letter or digit.
            FFirstLetter = -1;
            for (int32_t i = from; i < to; ++i)
                if (chars[i] >= 32 && IsAlphaNumericChar(static_cast<LCID>(language), chars[i])) {
                    FFirstLetter = i;
                    break;
                }
            FSentenceCapitals = AllCapitals(chars, from, to, language);
            FWordStart = FWordEnd = -1;
        }
        if (at.Offset < FWordStart || at.Offset >= FWordEnd) {
            TFoundWord word;
            FDocument.GetWordAt(at, word);
            if (word.Length > 0 && word.Position.Paragraph == at.Paragraph && word.Position.Offset <= at.Offset &&
                at.Offset < word.Position.Offset + word.Length) {
                FWordStart = word.Position.Offset;
                FWordEnd = std::min(word.Position.Offset + word.Length, count);
            } else {
                FWordStart = at.Offset;
                FWordEnd = at.Offset + 1;
            }
            FWordFirstLetter = -1;
            for (int32_t i = FWordStart; i < FWordEnd; ++i)
                if (chars[i] >= 32 && IsAlphaNumericChar(static_cast<LCID>(language), chars[i])) {
                    FWordFirstLetter = i;
                    break;
                }
            // A word holds a letter to be in capitals.
            FWordCapitals = FWordFirstLetter >= 0 && AllCapitals(chars, FWordStart, FWordEnd, language);
        }
    }

    TDocument& FDocument;
    TTextRange FRange;
    int32_t FParagraph = -1;
    int32_t FSentenceStart = 0;
    int32_t FSentenceEnd = 0;
    int32_t FFirstLetter = -1;
    bool FSentenceCapitals = false;
    int32_t FWordStart = -1;
    int32_t FWordEnd = -1;
    int32_t FWordFirstLetter = -1;
    bool FWordCapitals = false;
};

// The font's variant in the target character set, when its own differs.
// Variants are found by the font's number; a font without one stays.
int32_t FontInCharset(int32_t font, int32_t charset)
{
    TFontManager* fonts = GetFontManager();
    if (!fonts || charset < 0 || font == NotSet)
        return font;
    const TRegisteredFont* registered = fonts->FindFont(font);
    if (!registered || registered->RequestedCharset == charset)
        return font;
    const int32_t variant = fonts->GetCharsetVariant(registered->FontNumber, static_cast<uint8_t>(charset));
    return variant >= 0 ? variant : font;
}

}  // namespace

void TDocument::TransformText(uint8_t mode, const TTextRange& rangeGiven, TEditFlags flags, const void* choice,
                              TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const uint8_t kind = static_cast<uint8_t>(29 + std::min<int>(mode, 6));
    TTextRange range = rangeGiven;
    // 1. The word at the caret stands for an empty selection, when the
    // options say so.
    if (IsRangeEmpty(range) && DocumentHost().EmptySelectionTakesWord()) {
        TFoundWord word;
        GetWordAt(range.Start, word);
        if (word.Length >= 1) {
            range.Start = word.Position;
            MakeTextPos(word.Position.Paragraph, word.Position.Offset + word.Length, range.End);
            flags = 0;
        }
    }
    // 2.
    if (IsRangeEmpty(range)) {
        RefuseWithName(*this, op, kind,
                       "Cette action (\"%s\") ne s'applique qu'à une sélection. Sélectionnez le fragment de texte "
                       "visé et recommencez.",
                       false);
        return;
    }
    if (mode > tmCharset)
        return;
    const int32_t count = ParagraphCount();
    if (range.Start.Paragraph < 0 || range.End.Paragraph >= count || CompareTextPos(range.End, range.Start) < 0)
        return;
    if (GetStoryOfParagraph(range.Start.Paragraph) != GetStoryOfParagraph(range.End.Paragraph))
        return;

    // 3. Re-typing under another keyboard layout needs two layouts; the
    // program knows the desktop's active layout only.
    int32_t targetCharset = -1;
    if (mode == tmKeyboardLayout) {
        RefuseWithName(*this, op, kind,
                       "Cette action (\"%s\") n'est possible que si au moins deux configurations clavier sont "
                       "installées.",
                       true);
        return;
    }
    // 4. The character set of the language chosen.
    if (mode == tmCharset) {
        int32_t language = choice ? *static_cast<const int32_t*>(choice) : 0;
        if (language == 0 && !DocumentHost().AskTextLanguage(language))
            return;
        targetCharset = GetLocaleCharset(static_cast<LCID>(language), true);
    }

    // 5. The range that is rewritten: the last mark of the body stays, and
    // an end behind a paragraph's mark is the start of the next paragraph.
    const TTextRange passed = range;
    const int32_t bodyLast = StoryLast(stBody);
    range.Start.Offset = std::clamp(range.Start.Offset, 0, Paragraphs(range.Start.Paragraph).GetCharCount());
    range.End.Offset = std::clamp(range.End.Offset, 0, Paragraphs(range.End.Paragraph).GetCharCount());
    if (range.End.Paragraph == bodyLast && range.End.Offset >= Paragraphs(bodyLast).GetCharCount())
        range.End.Offset = Paragraphs(bodyLast).GetCharCount() - 1;
    if (range.End.Offset >= Paragraphs(range.End.Paragraph).GetCharCount() &&
        range.End.Paragraph + 1 <= StoryLast(GetStoryOfParagraph(range.End.Paragraph)))
        MakeTextPos(range.End.Paragraph + 1, 0, range.End);
    if (range.Start.Offset >= Paragraphs(range.Start.Paragraph).GetCharCount() &&
        range.Start.Paragraph < range.End.Paragraph)
        MakeTextPos(range.Start.Paragraph + 1, 0, range.Start);
    if (CompareTextPos(range.End, range.Start) <= 0)
        return;

    // 6. The fragment: the format in force at the start, then the stored text
    // of the range with each character rewritten.
    TParagraph& first = Paragraphs(range.Start.Paragraph);
    if (!first.GetNormalizedFlag())
        first.NormalizeControlCodes();
    TCharFormat startFormat = DefaultCharFormat();
    {
        const int32_t firstByte = range.Start.Offset < first.GetCharCount() ? first.CharToByteOffset(range.Start.Offset)
                                                                             : first.GetText().Size();
        for (TRecordCursor cursor(first, firstByte); cursor.Next();)
            if (IsFormatCode(cursor.Record().Code))
                startFormat[cursor.Record().Code] = cursor.Record().Argument;
    }
    if (targetCharset >= 0)
        startFormat[cfFont] = FontInCharset(startFormat[cfFont], targetCharset);
    TMemory fragment;
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        AppendFormatCode(fragment, static_cast<uint16_t>(slot), startFormat[slot]);

    TMemory stored;
    CopyStoredText(*this, range.Start, range.End, stored);
    TCaseContext context(*this, range);
    TTextPosition at = range.Start;
    int32_t language = GetLanguageAt(at.Paragraph, at.Offset);
    const uint8_t* p = stored.Data();
    const int32_t size = stored.Size();
    for (int32_t pos = 0; pos < size;) {
        const uint8_t b = p[pos];
        if (b == InlineControlStartByte && size - pos >= InlineControlSize && p[pos + 7] == InlineControlEndByte) {
            TInlineControl record = ReadInlineControl(p + pos);
            if (record.Code == cfFont && targetCharset >= 0)
                record.Argument = FontInCharset(record.Argument, targetCharset);
            else if (record.Code == cfLanguage && mode >= tmUpperCase && mode <= tmCapitalizeWords)
                language = record.Argument == NotSet ? GetLanguageAt(at.Paragraph, at.Offset) : record.Argument;
            AppendFormatCode(fragment, record.Code, record.Argument);
            if (IsCharacterCode(record.Code))
                ++at.Offset;
            pos += InlineControlSize;
            continue;
        }
        if (b == StoredParagraphSeparator) {
            fragment.Append(p + pos, 1);
            ++pos;
            if (pos < size && p[pos] == StoredParFormatMarker) {
                const int32_t block = std::min<int32_t>(1 + StoredParFormatSize, size - pos);
                fragment.Append(p + pos, block);
                pos += block;
            }
            MakeTextPos(at.Paragraph + 1, 0, at);
            if (mode >= tmUpperCase && mode <= tmCapitalizeWords && at.Paragraph < count)
                language = GetLanguageAt(at.Paragraph, 0);
            continue;
        }
        uint8_t c = b;
        switch (mode) {
        case tmUpperCase:
            c = Upper(b, language);
            break;
        case tmLowerCase:
            c = Lower(b, language);
            break;
        case tmToggleCase:
            c = Lower(b, language);
            if (c == b)
                c = Upper(b, language);
            break;
        case tmSentenceCase:
            c = context.SentenceCase(at, b, language);
            break;
        case tmCapitalizeWords:
            c = context.CapitalizeWords(at, b, language);
            break;
        default:
            break;
        }
        fragment.Append(&c, 1);
        ++at.Offset;
        ++pos;
    }

    // 7. In place of the range; the fields, bookmarks and notes of the text
    // are the same objects, their anchors copied with it.
    {
        const uint8_t saved = KeepRanges;
        KeepRanges = 1;
        try {
            ReplaceWithFragment(range.Start, range.End, update, op, efKeepRecordObjects | efKeepEndFormat,
                                range.End.Paragraph - range.Start.Paragraph, fragment);
        } catch (...) {
            KeepRanges = saved;
            throw;
        }
        KeepRanges = saved;
    }
    // 9.
    if (flags & efReportRange)
        update.SetViewHints(passed.Start.Paragraph, passed.Start.Offset, passed.End.Paragraph, passed.End.Offset);
}
