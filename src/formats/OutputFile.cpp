#include "formats/OutputFile.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/Style.h"
#include "formats/DocFileHost.h"
#include "formats/EncryptionManager.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <cstring>

namespace {

TOutputWriteFunction g_WriteFunction = FileWrite;

// The program-wide output buffer, kept between writes, and whether a write
// uses it now (a write nested in another takes a buffer of its own).
TMemory& SharedBuffer()
{
    static TMemory buffer;
    return buffer;
}
bool g_SharedBufferInUse = false;

void MarkFont(TFontManager& fonts, int32_t index)
{
    if (index < 0 || index >= fonts.RegisteredFontCount())
        return;
    fonts.RegisteredFonts(index).WriterUsed = 1;
}

}  // namespace

TOutputWriteFunction SetOutputWriteFunction(TOutputWriteFunction function)
{
    TOutputWriteFunction previous = g_WriteFunction;
    g_WriteFunction = function ? function : FileWrite;
    return previous;
}

TOutputFile::TOutputFile(TDocument& document, int32_t coding, THandle handle, std::string fileName)
    : FDocument(document), FCoding(coding), FHandle(handle), FFileName(std::move(fileName))
{
    if (!g_SharedBufferInUse) {
        g_SharedBufferInUse = true;
        FUsesSharedBuffer = true;
        FBuffer = &SharedBuffer();
    } else {
        FBuffer = &FOwnBuffer;
    }
    if (FBuffer->Size() < OutputBufferSize)
        FBuffer->SetSize(OutputBufferSize);
}

TOutputFile::TOutputFile(TDocument& document, int32_t coding, TMemory& target)
    : FDocument(document), FCoding(coding), FTarget(&target)
{
}

TOutputFile::~TOutputFile()
{
    if (FUsesSharedBuffer)
        g_SharedBufferInUse = false;
}

void TOutputFile::OutputWriteChar(uint8_t value)
{
    OutputWriteBytes(&value, 1);
}

void TOutputFile::OutputWriteWord(uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    OutputWriteBytes(bytes, 2);
}

void TOutputFile::OutputWriteBytes(const void* data, int32_t count)
{
    if (count <= 0)
        return;
    if (FTarget) {
        FTarget->Append(data, count);
        return;
    }
    OutputReserve(count);
    std::memcpy(FBuffer->Data() + FFill, data, static_cast<size_t>(count));
    FFill += count;
}

void TOutputFile::OutputReserve(int32_t count)
{
    if (FTarget)
        return;
    if (static_cast<int64_t>(FFill) + count > FBuffer->Size())
        OutputFlush();
    if (count > FBuffer->Size())
        FBuffer->SetSize(count + (count & 1));
}

void TOutputFile::OutputFlush()
{
    if (FTarget || FFill == 0)
        return;
    uint8_t* data = FBuffer->Data();
    if (!FConverted) {
        if (FCoding == ciDosText)
            CharToOemBuff(reinterpret_cast<const char*>(data), reinterpret_cast<char*>(data),
                          static_cast<size_t>(FFill));
        if (FCipher && FCipherFrom < FFill)
            FCipher->EncryptBuffer(data + FCipherFrom, FFill - FCipherFrom);
        FConverted = true;
    }
    while (FFlushed < FFill) {
        const int32_t written = g_WriteFunction(FHandle, data + FFlushed, FFill - FFlushed);
        if (written > 0) {
            FFlushed += written;
            continue;
        }
        if (ShowMessageDlg("Erreur lors de l'écriture du fichier \"" + FFileName + "\".", mtError,
                           mbRetry | mbCancel) != mrRetry)
            Abort();
    }
    FWritten += FFill;
    FFill = 0;
    FFlushed = 0;
    FConverted = false;
    FCipherFrom = 0;
}

void TOutputFile::StartEnciphering(TEncryptionManager& cipher)
{
    FCipher = &cipher;
    FCipherFrom = FFill;
}

void TOutputFile::StartSaveProgress(int32_t first, int32_t last, bool recoveryCopy)
{
    TDocFileHost& host = DocFileHost();
    const std::string name = host.DisplayFileName(FDocument.FileName, 350);
    const std::string text = recoveryCopy ? "Création d'une copie de secours du document \"" + name + "\" ..."
                                          : "Enregistrement du document \"" + name + "\" ...";
    host.ProgressStart(static_cast<int64_t>(last) - first + 1, text);
}

void TOutputFile::SaveProgressStep()
{
    if (IsFile())
        DocFileHost().ProgressStep(ParagraphCounter);
}

void MarkUsedFonts(TDocument& document, int32_t coding, bool& noColor)
{
    noColor = false;
    TFontManager* fonts = GetFontManager();
    if (!fonts)
        return;
    const int32_t count = fonts->RegisteredFontCount();
    if (coding >= ciAnsiText) {
        for (int32_t i = 0; i < count; ++i)
            fonts->RegisteredFonts(i).WriterUsed = 1;
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        fonts->RegisteredFonts(i).WriterUsed = 0;
    noColor = true;
    MarkFont(*fonts, DefaultCharFormat()[cfFont]);
    bool bullets = false;
    for (int32_t p = 0; p < document.ParagraphCount(); ++p) {
        const TParagraph& paragraph = document.Paragraphs(p);
        if (paragraph.Format[pfInternal] != 0 && paragraph.Format[pfInternal] != NotSet)
            bullets = true;
        const TMemory& text = paragraph.GetText();
        const uint8_t* data = text.Data();
        for (int32_t i = 0; i < text.Size();) {
            if (data[i] != InlineControlStartByte) {
                ++i;
                continue;
            }
            const TInlineControl control = ReadInlineControl(data + i);
            if (control.Code == cfFont)
                MarkFont(*fonts, control.Argument);
            else if ((control.Code == cfUnderlineColor || control.Code == cfColor || control.Code == cfHighlight) &&
                     control.Argument != 0 && control.Argument != NotSet)
                noColor = false;  // 0 is the automatic colour (or no highlight)
            i += InlineControlSize;
        }
    }
    if (bullets)
        MarkFont(*fonts, fonts->SymbolIndex());
    if (coding == ciWord6 || coding == ciWord97) {
        // The Word writer's font table always names these two.
        MarkFont(*fonts, fonts->TimesIndex());
        MarkFont(*fonts, fonts->SymbolIndex());
    }
    TStyleList& styles = document.Styles();
    for (int32_t s = 0; s < styles.Count(); ++s) {
        const TCharFormat& format = styles[s].CharFormat;
        if (format[cfFont] != NotSet)
            MarkFont(*fonts, format[cfFont]);
        if (format[cfColor] != NotSet && format[cfColor] != 0)
            noColor = false;
    }
}

void ClearUsedFontMarks()
{
    TFontManager* fonts = GetFontManager();
    if (!fonts)
        return;
    for (int32_t i = 0; i < fonts->RegisteredFontCount(); ++i) {
        fonts->RegisteredFonts(i).WriterUsed = NotSet;
        fonts->RegisteredFonts(i).WriterFontNumber = NotSet;
    }
}

bool IsEmptyHeaderFooter(const TDocument& document, const TField& headerFooter)
{
    const int32_t paragraph = headerFooter.Range.Start.Paragraph;
    if (headerFooter.Range.End.Paragraph != paragraph || paragraph < 0 || paragraph >= document.ParagraphCount())
        return false;
    const TMemory& chars = document.Paragraphs(paragraph).GetPlainChars();
    return chars.Size() == 1 && chars.Data()[0] == scParagraphMark;
}
