#include "formats/text/TextWriter.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "formats/DocumentFile.h"
#include "formats/OutputFile.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view LineEnd(const TOutputFile& output)
{
    // A file gets the line end of the text it was read from; everything else
    // the platform's CR LF.
    const std::string& own = output.Document().FileState.TextLineEnd;
    return output.IsFile() && !own.empty() ? std::string_view(own) : kCrLf;
}

void WriteSpecialChar(TOutputFile& output, bool singleLine, uint8_t kind, int32_t argument)
{
    const int32_t sourceByte = output.IsFile() ? SpecialCharSourceByte(argument) : -1;
    if (sourceByte >= 0 && !singleLine) {
        output.OutputWriteChar(static_cast<uint8_t>(sourceByte));
        if (kind == scParagraphMark && (argument & scfLineEndPair))
            output.OutputWriteChar(sourceByte == '\r' ? '\n' : '\r');
        return;
    }
    switch (kind) {
    case scParagraphMark:
    case scSectionBreak:
    case scColumnBreak:
    case scLineBreak:
        if (singleLine)
            output.OutputWriteChar(' ');
        else
            output.OutputWriteString(LineEnd(output));
        return;
    case scPageBreak:
    case scTab:
        output.OutputWriteChar(singleLine ? ' ' : static_cast<uint8_t>(TextByteOfSpecialChar(kind)));
        return;
    case scEmDash:
    case scEnDash:
        output.OutputWriteChar(singleLine ? '-' : static_cast<uint8_t>(TextByteOfSpecialChar(kind)));
        return;
    case scOptionalHyphen:
        if (singleLine)
            output.OutputWriteChar('-');
        return;
    default: {
        const int32_t byte = TextByteOfSpecialChar(kind);
        if (byte >= 0)
            output.OutputWriteChar(static_cast<uint8_t>(byte));
        return;
    }
    }
}

}  // namespace

int32_t TextByteOfSpecialChar(uint8_t kind)
{
    switch (kind) {
    case scPageBreak: return 12;
    case scTab: return 9;
    case scPicture:
    case scOleObject:
    case scNonBreakingSpace: return ' ';
    case scNonBreakingHyphen: return '-';
    case scEmDash: return 0x97;
    case scEnDash: return 0x96;
    default: return -1;
    }
}

void WriteTextParagraph(TOutputFile& output, const TDocWriteParams& params, int32_t paragraph, int32_t from,
                        int32_t to)
{
    const TParagraph& par = output.Document().Paragraphs(paragraph);
    const bool singleLine = params.Flags & wfSingleLine;
    const uint8_t* text = par.GetText().Data();
    const int32_t size = par.GetText().Size();
    int32_t byte = par.CharToByteOffset(from);
    int32_t ch = from;
    while (ch < to && byte < size) {
        if (text[byte] != InlineControlStartByte) {
            // A run of characters: everything up to the next record.
            const void* next = std::memchr(text + byte, InlineControlStartByte, static_cast<size_t>(size - byte));
            const int32_t runEnd = next ? static_cast<int32_t>(static_cast<const uint8_t*>(next) - text) : size;
            const int32_t count = std::min(runEnd - byte, to - ch);
            output.OutputWriteBytes(text + byte, count);
            byte += count;
            ch += count;
            continue;
        }
        const TInlineControl control = ReadInlineControl(text + byte);
        byte += InlineControlSize;
        if (!IsCharacterCode(control.Code))
            continue;
        ++ch;
        WriteSpecialChar(output, singleLine, PlainCharOfControl(control),
                         control.Code == icSpecialChar ? control.Argument : 0);
    }
}

int32_t WriteText(TOutputFile& output, const TDocWriteParams& params, TTextWriteRange range)
{
    TDocument& document = output.Document();
    try {
        const bool file = output.IsFile();
        // A file does not end with the last paragraph's mark, unless it is the
        // document's text file that ended with a line end.
        const bool finalLineEnd =
            file && range.EndsBody && document.FileState.TextFinalLineEnd && !(params.Flags & wfSingleLine);
        bool finalMarkWritten = false;
        const TParagraph& last = document.Paragraphs(range.LastParagraph);
        if (file && range.LastOffset > 0 && range.LastOffset == last.GetCharCount()) {
            const uint8_t mark = last.GetPlainChars().Data()[range.LastOffset - 1];
            if (mark == scParagraphMark || mark == scSectionBreak) {
                if (finalLineEnd)
                    finalMarkWritten = true;
                else
                    --range.LastOffset;
            }
        }
        if (file)
            output.StartSaveProgress(range.FirstParagraph, range.LastParagraph, params.RecoveryCopy != 0);
        for (int32_t p = range.FirstParagraph; p <= range.LastParagraph; ++p) {
            const int32_t from = p == range.FirstParagraph ? range.FirstOffset : 0;
            const int32_t to = p == range.LastParagraph ? range.LastOffset : document.Paragraphs(p).GetCharCount();
            if (from < to)
                WriteTextParagraph(output, params, p, from, to);
            if (p < range.LastParagraph) {
                ++output.ParagraphCounter;
                output.SaveProgressStep();
            }
        }
        if (finalLineEnd && !finalMarkWritten)
            output.OutputWriteString(LineEnd(output));
        output.OutputFlush();
        return 0;
    } catch (const EAbort&) {
        return 2;
    } catch (const Exception& e) {
        ShowError(e.Message());
        return 2;
    }
}
