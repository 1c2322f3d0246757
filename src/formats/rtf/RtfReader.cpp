#include "formats/rtf/RtfReader.h"

#include "document/model/Section.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/NotSet.h"
#include "formats/rtf/RtfReaderState.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

// The special character a raw text byte stands for (0: none).
uint8_t SpecialOfByte(uint8_t b)
{
    switch (b) {
    case 150: return scEnDash;
    case 151: return scEmDash;
    case 160: return scNonBreakingSpace;
    default: return 0;
    }
}

}  // namespace

TRtfReader::TRtfReader(TDocLoadContext& context) : FContext(context), FDocument(context.Document)
{
    FCharFormat = DefaultCharFormat();
    FWidowDefault = DefaultParFormat()[pfWidowControl];
    FStack.reserve(25);
    // The font table's default entry, used until the file gives one.
    TRtfFont font;
    font.Number = 0x7FFFFFFF;
    font.Index = DefaultCharFormat()[cfFont];
    font.Name = "Times New Roman";
    font.Charset = DefaultCharset();
    FFonts.push_back(font);
    FParagraph = &FDocument.Paragraphs(0);
    FParagraph->Format = DefaultParFormat();
    FParagraph->Format[pfWidowControl] = FWidowDefault;
}

TRtfReader::~TRtfReader() = default;

// ---------------------------------------------------------------------------
// Buffer

int32_t TRtfReader::TakeControlWord(TControlToken& token)
{
    ScanControlWord(Here() + 1, BufferEnd(), token);
    const int32_t index = FindControlWord(token);
    Skip(1 + token.Length);
    return index;
}

bool TRtfReader::IsBinWord(const TControlToken& token)
{
    return token.Letters == 3 && (token.Text[0] | 0x20) == 'b' && (token.Text[1] | 0x20) == 'i' &&
           (token.Text[2] | 0x20) == 'n';
}

void TRtfReader::SkipBinary(int64_t count)
{
    while (count > 0) {
        Refill();
        if (AtEnd())
            return;
        const int32_t step = static_cast<int32_t>(std::min<int64_t>(count, Available()));
        Skip(step);
        count -= step;
    }
}

void TRtfReader::TakeBinary(int64_t count, std::vector<uint8_t>& data)
{
    while (count > 0) {
        Refill();
        if (AtEnd())
            return;
        const int32_t step = static_cast<int32_t>(std::min<int64_t>(count, Available()));
        data.insert(data.end(), Here(), Here() + step);
        Skip(step);
        count -= step;
    }
}

void TRtfReader::ReadDestinationOrSkip()
{
    TControlToken token;
    const int32_t destination = PeekDestination(token);
    if (destination >= 0)
        ReadDestination(destination, token);
    else
        SkipGroup();
}

// ---------------------------------------------------------------------------
// Reading

void TRtfReader::Read()
{
    if (FContext.Coding == ciEncrypted)
        FContext.BufferPos = std::max(FContext.BufferPos, 42);
    FStack.push_back({FCharFormat, FParagraph->Format, FUnicodeSkip, FDiscard, FCharStyle});
    Refill();
    ReadGroup(false);
    // Ranges still open end in the current paragraph.
    for (const TRtfOpenRange& range : FOpenRanges)
        AppendRecord(icRangeEnd, range.Field->Handle());
    FOpenRanges.clear();
}

void TRtfReader::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    // A read that failed inside a note or header: the body is current again.
    FStory = nullptr;
    FlushText();
    FDocument.ReplaceParagraphObjects(FDocument.StoryFirst(stFootnotes), 0, stFootnotes, FFootnotes);
    FDocument.ReplaceParagraphObjects(FDocument.StoryFirst(stEndnotes), 0, stEndnotes, FEndnotes);
    FDocument.ReplaceParagraphObjects(FDocument.StoryFirst(stHeadersFooters), 0, stHeadersFooters,
                                      FHeaderFooters);
    FDocument.RefreshRangeObjectPositions();
    if (FZoom > 0)
        FDocument.SetZoom(std::clamp(FZoom, MinZoom, MaxZoom));
}

void TRtfReader::EnterGroup()
{
    if (++FDepth > RtfMaxGroupDepth)
        throw Exception("Groupes RTF imbriqués trop profondément");
}

void TRtfReader::ReadGroup(bool push)
{
    Refill();
    if (Peek() == '{') {
        TControlToken token;
        const int32_t destination = PeekDestination(token);
        if (destination >= 0) {
            ReadDestination(destination, token);
            return;
        }
        if (destination == -2) {
            SkipGroup();
            return;
        }
        Skip(1);
        if (Peek() == '\\' && AtControlWord()) {
            if (push)
                PushState();
            const int32_t index = TakeControlWord(token);
            if (index == -1 && IsBinWord(token))
                SkipBinary(ControlWordParam(token));
            else
                ApplyControlWord(token, index, FCharFormat, FParagraph->Format);
            ReadGroupContent(false);
            if (push)
                PopState();
            return;
        }
    }
    ReadGroupContent(push);
}

void TRtfReader::ReadGroupContent(bool push)
{
    EnterGroup();
    if (push)
        PushState();
    for (;;) {
        Refill();
        if (AtEnd())
            break;
        const uint8_t b = Peek();
        if (b == '{') {
            ReadGroup(true);
            continue;
        }
        if (b == '}') {
            Skip(1);
            break;
        }
        if (b == '\\') {
            const uint8_t next = Peek(1);
            if (AtControlWord()) {
                TControlToken token;
                const int32_t index = TakeControlWord(token);
                if (index == -1 && IsBinWord(token))
                    SkipBinary(ControlWordParam(token));
                else
                    ApplyControlWord(token, index, FCharFormat, FParagraph->Format);
                continue;
            }
            switch (next) {
            case kCR:
            case kLF:
                Skip(2);
                EndParagraph(false);
                continue;
            case '\\':
            case '{':
            case '}':
                AppendByte(next);
                Skip(2);
                continue;
            case '~':
                AppendSpecial(scNonBreakingSpace);
                Skip(2);
                continue;
            case '_':
                AppendSpecial(scNonBreakingHyphen);
                Skip(2);
                continue;
            case '-':
                AppendSpecial(scOptionalHyphen);
                Skip(2);
                continue;
            case '\'':
                AppendHexRun();
                continue;
            default:
                Skip(AtEnd() || Available() < 2 ? Available() : 2);
                continue;
            }
        }
        if (b == kCR || b == kLF) {
            Skip(1);
            continue;
        }
        if (const uint8_t special = SpecialOfByte(b)) {
            AppendSpecial(special);
            Skip(1);
            continue;
        }
        const int32_t run = PlainRunLength(Here(), Available());
        if (run == 0) {
            // A control byte: nothing in the text.
            Skip(1);
            continue;
        }
        AppendChars(Here(), run);
        Skip(run);
    }
    if (push)
        PopState();
    LeaveGroup();
    FContext.ReadProgressStep();
}

void TRtfReader::SkipGroup()
{
    // From the opening brace.
    Skip(1);
    SkipRest();
}

void TRtfReader::SkipRest()
{
    int64_t depth = 1;
    for (;;) {
        Refill();
        if (AtEnd())
            return;
        const uint8_t b = Peek();
        if (b == '\\') {
            if (AtControlWord()) {
                TControlToken token;
                const int32_t index = TakeControlWord(token);
                if (index == -1 && IsBinWord(token))
                    SkipBinary(ControlWordParam(token));
                continue;
            }
            Skip(std::min(2, Available()));
            continue;
        }
        if (b == '{') {
            ++depth;
            Skip(1);
            continue;
        }
        if (b == '}') {
            Skip(1);
            if (--depth == 0)
                return;
            continue;
        }
        int32_t run = 1;
        while (run < Available()) {
            const uint8_t c = Here()[run];
            if (c == '\\' || c == '{' || c == '}')
                break;
            ++run;
        }
        Skip(run);
    }
}

void TRtfReader::PushState()
{
    if (FStyleSheet) {
        FStack.push_back({FCharFormat, FParagraph->Format, FUnicodeSkip, FDiscard, FCharStyle});
        return;
    }
    FlushTabs(FParagraph->Format);
    FStack.push_back({FCharFormat, FParagraph->Format, FUnicodeSkip, FDiscard, FCharStyle});
}

void TRtfReader::PopState()
{
    if (FStack.size() <= 1)
        return;
    const TRtfGroupState saved = FStack.back();
    FStack.pop_back();
    for (int slot = TCharFormat::Count - 1; slot >= 0; --slot) {
        if (saved.CharFormat[slot] == FCharFormat[slot])
            continue;
        FCharFormat[slot] = saved.CharFormat[slot];
        if (!FStyleSheet)
            AppendRecord(static_cast<uint16_t>(slot), saved.CharFormat[slot]);
    }
    const int32_t bullet = FParagraph->Format[pfInternal];
    FParagraph->Format = saved.ParFormat;
    FParagraph->Format[pfInternal] = bullet;
    FUnicodeSkip = saved.UnicodeSkip;
    FDiscard = saved.Discard;
    FCharStyle = saved.CharStyle;
}

// ---------------------------------------------------------------------------
// Text

void TRtfReader::AppendChars(const uint8_t* chars, int32_t count)
{
    if (FDiscard || count <= 0)
        return;
    const int32_t at = FText.Size();
    FText.Append(chars, count);
    if (FMac)
        TranslateBytes(FText.Data() + at, FText.Data() + at, count);
    FChars += count;
}

void TRtfReader::AppendByte(uint8_t b)
{
    AppendChars(&b, 1);
}

void TRtfReader::AppendSpecial(uint8_t kind)
{
    if (FDiscard)
        return;
    AppendFormatCode(FText, icSpecialChar, kind);
    ++FChars;
}

void TRtfReader::AppendRecord(uint16_t code, int32_t argument)
{
    AppendFormatCode(FText, code, argument);
    if (IsCharacterCode(code))
        ++FChars;
}

void TRtfReader::AppendDecodedByte(uint8_t b)
{
    // Every decoded byte counts as if it stood in the text, but for the
    // characters that have a meaning there: an escaped brace or backslash is
    // the character itself.
    if (const uint8_t special = SpecialOfByte(b))
        AppendSpecial(special);
    else if (b >= 32)
        AppendByte(b);
}

int32_t TRtfReader::TakeHexRun()
{
    // The length of the run first, so that the output holds just its bytes.
    int32_t length = 0;
    const uint8_t* p = Here();
    const int32_t available = Available();
    while (length + 4 <= available && p[length] == '\\' && p[length + 1] == '\'' &&
           HexDigitValue(p[length + 2]) != 255 && HexDigitValue(p[length + 3]) != 255)
        length += 4;
    FHexRun.resize(static_cast<size_t>(length / 4 + 1));
    int32_t consumed = 0;
    const int32_t count = DecodeHexEscapes(p, length, FHexRun.data(), consumed);
    Skip(consumed);
    return count;
}

void TRtfReader::AppendHexRun()
{
    const int32_t count = TakeHexRun();
    if (count == 0) {
        // \' without two digits: both bytes skipped.
        Skip(std::min(2, Available()));
        return;
    }
    const std::vector<uint8_t>& bytes = FHexRun;
    for (int32_t i = 0; i < count;) {
        int32_t run = 0;
        while (i + run < count && IsPlainRtfByte(bytes[static_cast<size_t>(i + run)]))
            ++run;
        if (run == 0) {
            AppendDecodedByte(bytes[static_cast<size_t>(i)]);
            ++i;
            continue;
        }
        AppendChars(FHexRun.data() + i, run);
        i += run;
    }
}

uint8_t TRtfReader::TakeUnicodeChar(int32_t code, bool switchFont)
{
    const auto unit = static_cast<char16_t>(static_cast<uint32_t>(code) & 0xFFFF);
    const uint32_t codePage = GetCodePageOfWideChar(unit, DefaultAnsiCodePage());
    bool usedDefault = false;
    std::string converted;
    try {
        converted = FromWide(std::u16string(1, unit), codePage, &usedDefault);
    } catch (const Exception&) {
        usedDefault = true;
    }
    const bool succeeded = !usedDefault && converted.size() == 1 && converted[0] != 0;
    // The substitute characters that follow: a \'hh group or a plain byte
    // counts as one, and so does a control word; a brace ends them.
    uint8_t substitute = '?';
    for (int32_t left = FUnicodeSkip; left > 0;) {
        Refill();
        if (AtEnd())
            break;
        const uint8_t b = Peek();
        if (b == '{' || b == '}')
            break;
        if (b == '\\') {
            if (Peek(1) == '\'' && Available() >= 4 && HexDigitValue(Peek(2)) != 255 && HexDigitValue(Peek(3)) != 255) {
                substitute = static_cast<uint8_t>(HexDigitValue(Peek(2)) << 4 | HexDigitValue(Peek(3)));
                Skip(4);
                --left;
                continue;
            }
            if (AtControlWord()) {
                TControlToken token;
                const int32_t index = TakeControlWord(token);
                if (index == -1 && IsBinWord(token))
                    SkipBinary(ControlWordParam(token));
                --left;
                continue;
            }
            substitute = Peek(1);
            Skip(std::min(2, Available()));
            --left;
            continue;
        }
        if (b < 32) {
            Skip(1);
            continue;
        }
        substitute = b;
        Skip(1);
        --left;
    }
    const uint8_t result = succeeded ? static_cast<uint8_t>(converted[0]) : substitute;
    if (switchFont && !FStyleSheet && succeeded) {
        if (TFontManager* fonts = GetFontManager()) {
            if (const TRegisteredFont* font = fonts->FindFont(FCharFormat[cfFont])) {
                const uint8_t charset = CodePageToCharset(codePage);
                if (font->RequestedCharset != 2 && CharsetToCodePage(font->RequestedCharset) != codePage)
                    SetChar(FCharFormat, cfFont, fonts->GetCharsetVariant(font->FontNumber, charset));
            }
        }
    }
    return result;
}

void TRtfReader::ReadUnicodeChar(int32_t code)
{
    const uint8_t b = TakeUnicodeChar(code, true);
    AppendDecodedByte(b);
}

void TRtfReader::FlushTabs(TParFormat& format)
{
    if (FPendingTabs.Count() == 0)
        return;
    FPendingTabs.Sort();
    format[pfTabTable] = FDocument.TabManager().AddTable(FPendingTabs);
    FPendingTabs.Clear();
}

void TRtfReader::FlushText()
{
    if (!FParagraph)
        return;
    FParagraph->SetText(FText.Data(), FText.Size());
}

TParagraph& TRtfReader::NewParagraph(const TParFormat& format)
{
    TParagraph* paragraph;
    if (FStory) {
        FStory->push_back(std::make_unique<TParagraph>(&FDocument));
        paragraph = FStory->back().get();
    } else {
        paragraph = &FDocument.AppendParagraph(stBody);
    }
    paragraph->Format = format;
    FPrevious = FParagraph;
    FParagraph = paragraph;
    FText.Clear();
    FChars = 0;
    FPnTextParagraph = nullptr;
    return *paragraph;
}

int32_t TRtfReader::LastCharByte() const
{
    const uint8_t* p = FText.Data();
    const int32_t size = FText.Size();
    int32_t last = -1;
    for (int32_t pos = 0; pos < size;) {
        if (p[pos] != InlineControlStartByte) {
            last = pos++;
            continue;
        }
        if (IsCharacterCode(InlineControlCodeAt(p, pos)))
            last = pos;
        pos += InlineControlSize;
    }
    return last;
}

void TRtfReader::EndParagraph(bool sectionBreak)
{
    if (FDiscard)
        return;
    // Notes, headers and footers hold no section breaks.
    if (FStory)
        sectionBreak = false;
    FContext.CharacterCount += FChars;
    TSection* ended = nullptr;
    if (sectionBreak) {
        ended = &LastSection();
        AppendRecord(icSectionBreak, ended->Handle());
    } else {
        AppendSpecial(scParagraphMark);
    }
    FlushTabs(FParagraph->Format);
    FlushText();
    TParFormat format = FParagraph->Format;
    format[pfWidowControl] = FWidowDefault;
    if (sectionBreak) {
        auto section = std::make_unique<TSection>(&FDocument);
        section->Assign(*ended);
        FDocument.PutSection(std::move(section));
        FColumn = 1;
    }
    NewParagraph(format);
    // Every paragraph opens with its whole character formatting.
    const TCharFormat& defaults = DefaultCharFormat();
    for (int slot = TCharFormat::Count - 1; slot >= 0; --slot)
        if (FCharFormat[slot] != defaults[slot])
            AppendRecord(static_cast<uint16_t>(slot), FCharFormat[slot]);
}

TSection& TRtfReader::LastSection() const
{
    return FDocument.Sections(FDocument.SectionCount() - 1);
}

// ---------------------------------------------------------------------------

bool ReadRtf(TDocLoadContext& context)
{
    TRtfReader reader(context);
    try {
        reader.Read();
        reader.Finish();
        return true;
    } catch (const EAbort&) {
        try {
            reader.Finish();
        } catch (...) {
        }
        throw;
    } catch (const std::exception&) {
        try {
            reader.Finish();
        } catch (...) {
        }
    }
    return context.ReadFailed();
}
