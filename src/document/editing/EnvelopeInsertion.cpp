// Operation 50: an envelope put into the document as a section of its own
// (the envelope's paper, no margins, empty headers and footers) holding the
// return address and the address in the two envelope styles, placed by left
// indents and space before; and the count of the envelope pages that end a
// document.
#include "document/editing/EnvelopeSettings.h"

#include "document/fields/Field.h"
#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/InsertDeleteOperation.h"
#include "foundation/CharFormat.h"
#include "foundation/InlineControl.h"
#include "foundation/NotSet.h"
#include "foundation/Memory.h"
#include "foundation/managers/Style.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t chfInsertingEnvelope = 41;
constexpr int32_t chfHeaderCreated = 73;

bool HasEnvelopeStyles(const TDocument& document)
{
    return document.Styles().IndexOfStandardId(EnvelopeAddressStandard) >= 0 &&
           document.Styles().IndexOfStandardId(EnvelopeReturnStandard) >= 0;
}

std::unique_ptr<TDocument> LoadTemplate(const std::string& rtf)
{
    if (rtf.empty() || !GetDocumentFiler())
        return nullptr;
    auto hidden = std::make_unique<TDocument>(true);
    int32_t coding = 0, paragraphs = 0;
    try {
        if (!DocumentFiler().Load(*hidden, rtf, true, coding, paragraphs))
            return nullptr;
    } catch (const Exception&) {
        return nullptr;
    }
    return HasEnvelopeStyles(*hidden) ? std::move(hidden) : nullptr;
}

}  // namespace

// --- Settings ----------------------------------------------------------------------

TEnvelopeSettings& EnvelopeSettings()
{
    static TEnvelopeSettings settings;
    return settings;
}

void LoadEnvelopeSettings(TSettingsStorage& storage)
{
    TEnvelopeSettings& s = EnvelopeSettings();
    storage.OpenKey("Internal\\Envelopes");
    s.LastAddr = storage.ReadString("LastAddr", "");
    s.OmitRetAddr = storage.ReadBool("OmitRetAddr", false);
    s.RetAddr = storage.ReadString("RetAddr", "");
    s.Width = storage.ReadInteger("Width", 1440, 9184, 31680);
    s.Height = storage.ReadInteger("Height", 1440, 6463, 31680);
    s.DA_Left = storage.ReadInteger("DA_Left", 0, 4000, 8000);
    s.DA_Top = storage.ReadInteger("DA_Top", 4000, 5000, 8000);
    s.RA_Left = storage.ReadInteger("RA_Left", 0, 1000, 8000);
    s.RA_Top = storage.ReadInteger("RA_Top", 0, 1000, 2000);
    s.FeedMethod = storage.ReadInteger("FeedMethod", 0, 5, 5);
    s.FeedFace = storage.ReadBool("FeedFace", false);
    s.AddrFont = storage.ReadLongString("AddrFont", "");
    s.PrinterName = storage.ReadString("DEVNAMES", "");
}

void SaveEnvelopeSettings(TSettingsStorage& storage)
{
    const TEnvelopeSettings& s = EnvelopeSettings();
    storage.OpenKey("Internal\\Envelopes");
    storage.WriteString("LastAddr", s.LastAddr);
    storage.WriteBool("OmitRetAddr", s.OmitRetAddr);
    storage.WriteString("RetAddr", s.RetAddr);
    storage.WriteInteger("Width", s.Width);
    storage.WriteInteger("Height", s.Height);
    storage.WriteInteger("DA_Left", s.DA_Left);
    storage.WriteInteger("DA_Top", s.DA_Top);
    storage.WriteInteger("RA_Left", s.RA_Left);
    storage.WriteInteger("RA_Top", s.RA_Top);
    storage.WriteInteger("FeedMethod", s.FeedMethod);
    storage.WriteBool("FeedFace", s.FeedFace);
    storage.WriteLongString("AddrFont", s.AddrFont);
    storage.WriteString("DEVNAMES", s.PrinterName);
}

std::string DefaultEnvelopeFontTemplate()
{
    const TResourceData data = FindResourceData("DOCTEMPLATE", "ENVADDRFNT");
    return data ? std::string(data.View()) : std::string();
}

// --- The operation -----------------------------------------------------------------

void TDocument::AddEnvelopeBlock(const std::string& text, int32_t standardId, int32_t leftIndent, int32_t& height,
                                 bool isAddress, int32_t spaceBefore, TDocument& fonts, TUpdateRange& update,
                                 TOperation* op)
{
    // 1. The line ends at the end: none after the address; exactly one after
    //    the return address, so that the address starts a paragraph of its own.
    std::string body = text;
    auto endsWithLineEnd = [&] { return body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0; };
    if (isAddress) {
        while (body.size() > 2 && endsWithLineEnd())
            body.resize(body.size() - 2);
    } else {
        while (body.size() > 4 && endsWithLineEnd() && body.compare(body.size() - 4, 2, "\r\n") == 0)
            body.resize(body.size() - 2);
        if (!endsWithLineEnd())
            body += "\r\n";
    }

    // 2. The text at the caret.
    const int32_t first = Caret.Paragraph;
    TMemory bytes;
    bytes.Append(body.data(), static_cast<int32_t>(body.size()));
    PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 0);
    TUpdateRange local;
    BeginChange(chfInsertingEnvelope);
    try {
        InsertPlainTextAt(bytes, {Caret.Paragraph, Caret.Offset}, local, op, 0);
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);
    FUndoManager->MergeUpdateRange(update, local);

    // 3. The block's paragraphs take the style, then its whole character format.
    const int32_t last = isAddress ? Caret.Paragraph : std::max(first, Caret.Paragraph - 1);
    TTextRange block;
    MakeTextPos(first, 0, block.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), block.End);
    const int32_t style = Styles().IndexOfStandardId(standardId);
    if (style >= 0) {
        local.Reset();
        ApplyStyleToParagraphs(block, style, local, op, nullptr, nullptr, true);
        FUndoManager->MergeUpdateRange(update, local);
    }
    if (const TStyle* source = fonts.Styles().Find(fonts.Styles().IndexOfStandardId(standardId))) {
        TCharFormat format;
        TParFormat unused;
        source->GetFullFormat(format, unused, 0);
        const TCharFormat& defaults = DefaultCharFormat();
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (format[slot] == NotSet)
                format[slot] = defaults[slot];
        TTextRange characters = block;
        MakeTextPos(last, std::max(0, Paragraphs(last).GetCharCount() - 1), characters.End);
        local.Reset();
        FormatText(characters, format, 0, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 4. The block's height: its lines times the height of its first line.
    int32_t lines = 0;
    int32_t lineHeight = 0;
    const int32_t width = EnvelopeSettings().Width;
    for (int32_t p = first; p <= last; ++p) {
        TParagraph& paragraph = Paragraphs(p);
        paragraph.Invalidate(true, width);
        lines += paragraph.GetLineCount();
        if (p == first && paragraph.GetLineCount() > 0)
            lineHeight = paragraph.GetLine(0).Height;
    }
    height = LayoutToTwips(lines * lineHeight);

    // 5. The place: left indent over the block, space before its first paragraph.
    if (leftIndent != 0) {
        TParFormat indent;
        ClearParFormat(indent);
        indent[pfLeftIndent] = leftIndent;
        local.Reset();
        FormatParagraphs(block, indent, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    if (spaceBefore != 0) {
        TParFormat space;
        ClearParFormat(space);
        space[pfSpaceBefore] = spaceBefore;
        TTextRange firstParagraph;
        MakeTextPos(first, 0, firstParagraph.Start);
        MakeTextPos(first, 0, firstParagraph.End);
        local.Reset();
        FormatParagraphs(firstParagraph, space, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        height += spaceBefore;
    }
}

void TDocument::InsertEnvelope(const std::string& address, const std::string& returnAddress, TUpdateRange& update,
                               TOperation* op, bool keepSection)
{
    // 1.
    update.Reset();
    const TEnvelopeSettings& settings = EnvelopeSettings();

    // 2. A section of its own, with six empty headers and footers.
    {
        const TSection& section = GetSectionOfParagraph(Caret.Paragraph);
        const bool emptyFirst = Caret.Paragraph == section.FirstParagraph && Caret.Offset == 0 &&
                                Paragraphs(Caret.Paragraph).GetCharCount() <= 1;
        if (!(emptyFirst && (keepSection || SectionCount() > 1))) {
            TMemory breakChars;
            const uint8_t chars[3] = {12, 0, 1};
            breakChars.Append(chars, 3);
            const uint8_t include = IncludeBookmarks;
            IncludeBookmarks = 1;
            BeginChange(chfInsertingEnvelope);
            TUpdateRange local;
            try {
                PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
                InsertPlainTextAt(breakChars, {Caret.Paragraph, Caret.Offset}, local, op, 0);
            } catch (...) {
                EndChanges(1);
                IncludeBookmarks = include;
                throw;
            }
            EndChanges(1);
            IncludeBookmarks = include;
            FUndoManager->MergeUpdateRange(update, local);
        }
        TField* references[6] = {};
        for (TField*& reference : references) {
            auto object = std::make_unique<TField>(this, rkHeaderFooter);
            TField* field = object.get();
            TMemory text;
            AppendFormatCode(text, icRangeStart, static_cast<int32_t>(field->Handle()));
            AppendFormatCode(text, cfSize, 2);
            AppendFormatCode(text, icSpecialChar, scParagraphMark);
            AppendFormatCode(text, icRangeEnd, static_cast<int32_t>(field->Handle()));
            text.AppendByte(StoredParagraphSeparator);
            text.AppendByte(StoredParFormatMarker);
            text.Append(DefaultParFormat().Slots, StoredParFormatSize);
            const int32_t end = StoryFirst(stHeadersFooters) + StoryCount(stHeadersFooters);
            BeginChange(chfHeaderCreated);
            try {
                auto step = TInsertDeleteOperation::CreateInsertion(this, {end, 0}, stHeadersFooters, text);
                step->AdoptRangeObject(std::move(object));
                TUpdateRange local;
                ApplyStep(*this, std::move(step), local, op);
                FUndoManager->MergeUpdateRange(update, local);
            } catch (...) {
                EndChanges(1);
                throw;
            }
            EndChanges(1);
            RefreshRangeObjectPositions();
            reference = field;
        }
        TUpdateRange local;
        ChangeSectionHeaders(GetSectionOfParagraph(Caret.Paragraph), references, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 3. The page set-up and the section settings of the envelope's section.
    {
        const TSection& section = GetSectionOfParagraph(Caret.Paragraph);
        TTextRange scope;
        MakeTextPos(section.FirstParagraph, 0, scope.Start);
        MakeTextPos(section.LastParagraph, Paragraphs(section.LastParagraph).GetCharCount(), scope.End);
        TPageParams params;
        SetDefaultPageParams(params);
        params[ppPaperWidth] = settings.Width;
        params[ppPaperHeight] = settings.Height;
        params[ppOrientation] = 1;
        params[ppLeftMargin] = params[ppRightMargin] = params[ppTopMargin] = params[ppBottomMargin] = 0;
        params[ppHeaderDistance] = params[ppFooterDistance] = 0;
        TUpdateRange local;
        ChangePageParams(params, scope, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        TSectionSettings values;
        values[ssBreakKind] = 1;
        values[ssColumnCount] = 1;
        values[ssEqualColumns] = 1;
        values[ssColumnSpacing] = 720;
        local.Reset();
        FormatSections(scope, values, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 4. The two envelope styles, from the stored template or the built-in one
    //    (which then replaces the stored one).
    std::unique_ptr<TDocument> fonts = LoadTemplate(settings.AddrFont);
    if (!fonts) {
        EnvelopeSettings().AddrFont = DefaultEnvelopeFontTemplate();
        fonts = LoadTemplate(EnvelopeSettings().AddrFont);
    }
    if (!fonts)
        fonts = std::make_unique<TDocument>(true);
    {
        TUpdateRange local;
        ImportStandardStyles(*fonts, {EnvelopeAddressStandard, EnvelopeReturnStandard}, true, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 5. and 6. The return address, then the address below it.
    int32_t returnHeight = 0;
    if (!returnAddress.empty())
        AddEnvelopeBlock(returnAddress, EnvelopeReturnStandard, MulDiv(settings.Width, settings.RA_Left, 10000),
                         returnHeight, false, MulDiv(settings.Height, settings.RA_Top, 10000), *fonts, update, op);
    int32_t addressHeight = 0;
    AddEnvelopeBlock(address, EnvelopeAddressStandard, MulDiv(settings.Width, settings.DA_Left, 10000), addressHeight,
                     true, std::max(0, MulDiv(settings.Height, settings.DA_Top, 10000) - returnHeight), *fonts, update,
                     op);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

int32_t TDocument::CountEnvelopePages()
{
    int32_t count = 0;
    for (int32_t page = PageCount() - 1; page >= 1; --page) {
        bool envelope = false;
        for (const TParagraphOnPageInfo& range : FPages[static_cast<size_t>(page)]->Ranges) {
            if (!range.Paragraph || range.HeaderFooter || range.LineCount() <= 0)
                continue;
            const TStyle* style = Styles().Find(range.Paragraph->Format[pfStyle]);
            if (style && (style->StandardNumber == EnvelopeAddressStandard ||
                          style->StandardNumber == EnvelopeReturnStandard)) {
                envelope = true;
                break;
            }
        }
        if (!envelope)
            break;
        ++count;
    }
    return count;
}
