#include "formats/text/TextReader.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/TextTables.h"
#include "formats/DocumentFile.h"
#include "formats/text/TextWriter.h"
#include "platform/runtime/Exception.h"

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

// The records every paragraph's text starts with, and the paragraph format:
// those of the template's first paragraph, else none and the program's default.
void TextReadInitialFormat(TDocLoadContext& context, TMemory& prefix, TParFormat& parFormat)
{
    parFormat = DefaultParFormat();
    TDocument* templateDocument = context.TemplateDocument;
    if (!templateDocument || templateDocument->ParagraphCount() == 0)
        return;
    TCharFormat format;
    TTextPosition start;
    templateDocument->GetCharFormatAt(start, format);
    // The template's face in the user's own character set.
    if (TFontManager* fonts = GetFontManager())
        if (const TRegisteredFont* font = fonts->FindFont(format[cfFont]))
            format[cfFont] = fonts->GetCharsetVariant(font->FontNumber, DefaultCharset());
    const TCharFormat& defaults = DefaultCharFormat();
    // The language slot would come only with the template's language coding,
    // which documents do not carry yet.
    for (int slot = 0; slot < cfLanguage; ++slot)
        if (format[slot] != defaults[slot])
            AppendFormatCode(prefix, static_cast<uint16_t>(slot), format[slot]);
    parFormat = templateDocument->Paragraphs(0).Format;
}

// Bytes that stand as themselves: 32 and above, but for those the text input
// table turns into special characters.
bool IsPlainByte(uint8_t b)
{
    return b >= 32 && CharToSpecialCodeTable[b] == 0;
}

class TTextReader {
public:
    explicit TTextReader(TDocLoadContext& context) : FContext(context), FDocument(context.Document) {}

    void Read()
    {
        TextReadInitialFormat(FContext, FPrefix, FParFormat);
        FParagraph = &FDocument.Paragraphs(0);
        FText.Assign(FPrefix);
        bool lastWasLineEnd = false;
        bool lineEndKnown = false;
        for (;;) {
            FContext.RefillReadBuffer();
            if (FContext.BufferPos >= FContext.BufferFill)
                break;
            const uint8_t* buffer = FContext.ReadBuffer;
            const uint8_t b = buffer[FContext.BufferPos];
            if (b == kCR || b == kLF) {
                ++FContext.BufferPos;
                // CR LF and LF CR are one line end; two equal bytes are two.
                std::string lineEnd(1, static_cast<char>(b));
                FContext.RefillReadBuffer();
                if (FContext.BufferPos < FContext.BufferFill) {
                    const uint8_t next = FContext.ReadBuffer[FContext.BufferPos];
                    if ((next == kCR || next == kLF) && next != b) {
                        lineEnd += static_cast<char>(next);
                        ++FContext.BufferPos;
                    }
                }
                // The file's first line end is its usual one; a paragraph end
                // read from another keeps it.
                if (!lineEndKnown) {
                    FDocument.FileState.TextLineEnd = lineEnd;
                    lineEndKnown = true;
                }
                int32_t mark = scParagraphMark;
                if (lineEnd != FDocument.FileState.TextLineEnd)
                    mark = MakeSpecialCharArgument(scParagraphMark, b) | (lineEnd.size() > 1 ? scfLineEndPair : 0);
                FContext.CharacterCount += FCharCount;
                AppendControl(mark);
                FinishParagraph();
                FParagraph = &FDocument.AppendParagraph(stBody);
                FText.Assign(FPrefix);
                FCharCount = 0;
                FContext.ReadProgressStep();
                lastWasLineEnd = true;
                continue;
            }
            lastWasLineEnd = false;
            if (const uint8_t kind = CharToSpecialCodeTable[b]) {
                // Tagged with the byte when writing the kind would not give it back.
                AppendControl(TextByteOfSpecialChar(kind) == b ? kind : MakeSpecialCharArgument(kind, b));
                ++FContext.BufferPos;
            } else if (b < 32) {
                // A control byte the text model has no use for (NUL, ESC...)
                // is kept, not dropped, so that saving the file gives back
                // every byte the user had. It takes no room, and the text
                // routines (words, sentences, links, statistics, search,
                // spelling) pass over it as if it were not there; see
                // IsKeptControlChar.
                AppendControl(MakeSpecialCharArgument(scControlByte, b));
                ++FContext.BufferPos;
            } else {
                int32_t end = FContext.BufferPos + 1;
                while (end < FContext.BufferFill && IsPlainByte(buffer[end]))
                    ++end;
                FText.Append(buffer + FContext.BufferPos, end - FContext.BufferPos);
                FCharCount += end - FContext.BufferPos;
                FContext.BufferPos = end;
            }
        }
        FContext.CharacterCount += FCharCount;
        FinishParagraph();
        FDocument.FileState.TextFinalLineEnd = lastWasLineEnd;
        if (!lineEndKnown)
            FDocument.FileState.TextLineEnd = "\r\n";
    }

private:
    void AppendControl(int32_t argument)
    {
        AppendFormatCode(FText, icSpecialChar, argument);
        ++FCharCount;
    }

    void FinishParagraph()
    {
        FParagraph->SetText(FText.Data(), FText.Size());
        FParagraph->Format = FParFormat;
    }

    TDocLoadContext& FContext;
    TDocument& FDocument;
    TMemory FPrefix;
    TParFormat FParFormat{};
    TParagraph* FParagraph = nullptr;
    TMemory FText;
    int64_t FCharCount = 0;
};

}  // namespace

bool ReadText(TDocLoadContext& context)
{
    try {
        TTextReader reader(context);
        reader.Read();
        return true;
    } catch (const EAbort&) {
        throw;
    } catch (const Exception&) {
        return context.ReadFailed();
    }
}
