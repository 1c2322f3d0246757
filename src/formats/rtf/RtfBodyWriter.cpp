// The RTF writer's body: paragraphs with their formatting runs, special
// characters and inline records, and what hangs off them: section
// properties, headers and footers, fields, bookmarks, notes, pictures and
// embedded objects.
#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "foundation/NotSet.h"
#include "foundation/managers/FontManager.h"
#include "formats/rtf/RtfWriterState.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <vector>

namespace {

// Field types whose language goes into the instruction group.
bool CarriesLanguage(uint8_t type)
{
    return type == 21 || type == 22 || type == 23 || type == 31 || type == 32;
}

// The document's default character format: what \plain gives in the reader.
TCharFormat DocumentDefaultFormat(const TDocument& document)
{
    TCharFormat format = DefaultCharFormat();
    if (document.DocumentLanguage != 0)
        format[cfLanguage] = document.DocumentLanguage;
    return format;
}

// A record that a temporary run may span: a character that writes no group
// or paragraph end.
bool IsRunCharacter(const TInlineControl& record)
{
    if (record.Code == icSpecialChar)
        return SpecialCharKind(record.Argument) != scParagraphMark;
    return record.Code == icPicture || record.Code == icOleObject;
}

}  // namespace

void TRtfWriter::ResetFormat()
{
    const TCharFormat defaults = DocumentDefaultFormat(FDocument);
    Keyword(kwPlain);
    KeywordNum(kwF, defaults[cfFont]);
    KeywordNum(kwFs, defaults[cfSize]);
    Keyword(kwPard);
    FCurrentChar = defaults;
    FCurrentPar = DefaultParFormat();
}

void TRtfWriter::SyncCharFormat()
{
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (FRun[slot] != FCurrentChar[slot] && FRun[slot] != NotSet) {
            CharAttribute(slot, FRun[slot]);
            FCurrentChar[slot] = FRun[slot];
        }
}

void TRtfWriter::WriteParFormat(const TParFormat& format)
{
    if (format == FCurrentPar)
        return;
    const TParFormat& defaults = DefaultParFormat();
    int32_t fromCurrent = 0;
    int32_t fromDefault = 0;
    for (int slot = 0; slot < TParFormat::Count; ++slot) {
        fromCurrent += format[slot] != FCurrentPar[slot];
        fromDefault += format[slot] != defaults[slot];
    }
    bool differences = fromCurrent <= fromDefault;
    for (int slot : {pfKeepWithNext, pfKeepTogether, pfPageBreakBefore, pfInternal})
        if (format[slot] == 0 && FCurrentPar[slot] != 0)
            differences = false;
    if (format[pfTabTable] != FCurrentPar[pfTabTable] && FCurrentPar[pfTabTable] != -1)
        differences = false;
    if (differences) {
        ParFormatDiff(format, FCurrentPar);
    } else {
        Keyword(kwPard);
        ParFormatDiff(format, defaults);
    }
    if (format[pfInternal] != 0 && format[pfInternal] != NotSet) {
        // The bullet: the text the reader shows for it, then the level that
        // makes it a bullet.
        const int32_t symbol = GetFontManager() ? GetFontManager()->SymbolIndex() : 0;
        const uint8_t bullet = 0xB7;
        OpenBrace();
        Keyword(kwPntext);
        KeywordNum(kwF, symbol);
        Raw(" ");
        FKeywordPending = false;
        Text(&bullet, 1);
        Keyword(kwTab);
        CloseBrace();
        Raw("{\\*");
        Keyword(kwPn);
        Keyword(kwPnlvlblt);
        KeywordNum(kwPnf, symbol);
        OpenBrace();
        Keyword(kwPntxtb);
        Raw(" ");
        FKeywordPending = false;
        Text(&bullet, 1);
        CloseBrace();
        CloseBrace();
    }
    FCurrentPar = format;
}

void TRtfWriter::WriteSpecialChar(uint8_t kind)
{
    switch (kind) {
    case scParagraphMark:
        if (FCompact) {
            Raw("\\\r");
            FKeywordPending = false;
        } else {
            Keyword(kwPar);
        }
        break;
    case scColumnBreak: Keyword(kwColumn); break;
    case scLineBreak: Keyword(kwLine); break;
    case scPageBreak: Keyword(kwPage); break;
    case scTab: Keyword(kwTab); break;
    case scNonBreakingSpace: Raw("\\~"); FKeywordPending = false; break;
    case scNonBreakingHyphen: Raw("\\_"); FKeywordPending = false; break;
    case scEmDash: Keyword(kwEmdash); break;
    case scEnDash: Keyword(kwEndash); break;
    case scOptionalHyphen: Raw("\\-"); FKeywordPending = false; break;
    case scReaderSpecial: Keyword(kwChftn); break;
    default: break;
    }
}

void TRtfWriter::WriteParagraph(int32_t index, int32_t from, int32_t to, bool lastOfRange)
{
    TParagraph& paragraph = FDocument.Paragraphs(index);
    if (!paragraph.GetNormalizedFlag())
        paragraph.NormalizeControlCodes();
    FParagraph = &paragraph;
    // A new paragraph starts with the default widow control in the reader,
    // whatever the paragraph before had.
    FCurrentPar[pfWidowControl] = DefaultParFormat()[pfWidowControl];
    WriteParFormat(paragraph.Format);

    const uint8_t* text = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    const int32_t count = paragraph.GetCharCount();
    from = std::clamp(from, 0, count);
    to = std::clamp(to, from, count);
    // The run format: the defaults with the records before the first
    // character written. Ranges that start before it (and do not end there)
    // are opened.
    FRun = DefaultCharFormat();
    int32_t pos = 0;
    int32_t chars = 0;
    std::vector<TField*> opened;
    while (pos < size) {
        if (text[pos] != InlineControlStartByte) {
            if (chars == from)
                break;
            ++chars;
            ++pos;
            continue;
        }
        const TInlineControl record = ReadInlineControl(text + pos);
        if (IsCharacterCode(record.Code)) {
            if (chars == from)
                break;
            ++chars;
        } else if (IsFormatCode(record.Code)) {
            FRun[record.Code] = record.Argument;
        } else if (chars == from) {
            break;  // ranges at the first character are written in place
        } else if (TField* field = FDocument.Objects().GetField(record.Argument)) {
            if (record.Code == icRangeStart)
                opened.push_back(field);
            else
                std::erase(opened, field);
        }
        pos += InlineControlSize;
    }
    for (TField* field : opened)
        WriteRangeStart(*field, paragraph, pos);
    SyncCharFormat();

    // The end: the byte of character `to`, with the range ends right behind it.
    int32_t end = to == count ? size : paragraph.CharToByteOffset(to);
    while (end + InlineControlSize <= size && text[end] == InlineControlStartByte &&
           InlineControlCodeAt(text, end) == icRangeEnd)
        end += InlineControlSize;
    end = std::min(end, size);

    int32_t temporaryEnd = -1;      // where the run that ends the temporary group starts
    int32_t temporaryResume = -1;   // and where it ends
    while (pos < end) {
        if (FTemporaryOpen && pos == temporaryEnd) {
            CloseBrace();
            FCurrentChar = FBeforeTemporary;
            FRun = FBeforeTemporary;
            FTemporaryOpen = false;
            pos = temporaryResume;
            continue;
        }
        if (text[pos] != InlineControlStartByte) {
            int32_t run = pos;
            while (run < end && text[run] != InlineControlStartByte)
                ++run;
            SyncCharFormat();
            Text(text + pos, run - pos);
            pos = run;
            continue;
        }
        const TInlineControl record = ReadInlineControl(text + pos);
        if (IsFormatCode(record.Code)) {
            // The run of format records.
            TCharFormat next = FRun;
            std::bitset<TCharFormat::Count> changed;
            int32_t after = pos;
            while (after < end && text[after] == InlineControlStartByte &&
                   IsFormatCode(InlineControlCodeAt(text, after))) {
                const TInlineControl format = ReadInlineControl(text + after);
                next[format.Code] = format.Argument;
                after += InlineControlSize;
            }
            for (int slot = 0; slot < TCharFormat::Count; ++slot)
                changed[static_cast<size_t>(slot)] = next[slot] != FRun[slot];
            // Characters, then a run that sets exactly the changed slots back:
            // a temporary run, written as a group.
            bool temporary = false;
            int32_t undoStart = -1;
            int32_t undoEnd = -1;
            if (!FTemporaryOpen && changed.any()) {
                SyncCharFormat();
                int32_t look = after;
                int32_t between = 0;
                while (look < end) {
                    if (text[look] != InlineControlStartByte) {
                        ++between;
                        ++look;
                        continue;
                    }
                    const TInlineControl ahead = ReadInlineControl(text + look);
                    if (!IsRunCharacter(ahead))
                        break;
                    ++between;
                    look += InlineControlSize;
                }
                if (between > 0 && look < end && IsFormatCode(InlineControlCodeAt(text, look))) {
                    TCharFormat back = next;
                    std::bitset<TCharFormat::Count> touched;
                    int32_t stop = look;
                    while (stop < end && text[stop] == InlineControlStartByte &&
                           IsFormatCode(InlineControlCodeAt(text, stop))) {
                        const TInlineControl format = ReadInlineControl(text + stop);
                        back[format.Code] = format.Argument;
                        touched[format.Code] = true;
                        stop += InlineControlSize;
                    }
                    if (touched == changed && back == FRun) {
                        temporary = true;
                        undoStart = look;
                        undoEnd = stop;
                    }
                }
            }
            if (temporary) {
                OpenBrace();
                FBeforeTemporary = FCurrentChar;
                FRun = next;
                SyncCharFormat();
                FTemporaryOpen = true;
                temporaryEnd = undoStart;
                temporaryResume = undoEnd;
            } else {
                FRun = next;
            }
            pos = after;
            continue;
        }
        pos += InlineControlSize;
        switch (record.Code) {
        case icSpecialChar: {
            const uint8_t kind = SpecialCharKind(record.Argument);
            SyncCharFormat();
            WriteSpecialChar(kind);
            break;
        }
        case icSectionBreak: {
            SyncCharFormat();
            TSection* ended = FDocument.Objects().GetSection(record.Argument);
            const int32_t next = ended ? FDocument.IndexOfSection(ended) + 1 : -1;
            if (lastOfRange || next <= 0 || next >= FDocument.SectionCount()) {
                WriteSpecialChar(scParagraphMark);
                break;
            }
            Keyword(kwSect);
            Keyword(kwSectd);
            WriteSectionProperties(FDocument.Sections(next), false);
            switch (ended->BreakKind()) {
            case sbContinuous: Keyword(kwSbknone); break;
            case sbEvenPage: Keyword(kwSbkeven); break;
            case sbOddPage: Keyword(kwSbkodd); break;
            default: break;
            }
            break;
        }
        case icPicture:
            SyncCharFormat();
            if (const auto* picture = dynamic_cast<const TDocPicture*>(FDocument.Objects().GetDocObject(record.Argument)))
                WritePicture(*picture);
            break;
        case icOleObject:
            SyncCharFormat();
            if (const auto* object =
                    dynamic_cast<const TDocOLEObject*>(FDocument.Objects().GetDocObject(record.Argument)))
                WriteObject(*object);
            break;
        case icRangeStart:
            if (TField* field = FDocument.Objects().GetField(record.Argument))
                WriteRangeStart(*field, paragraph, pos);
            break;
        case icRangeEnd:
            if (TField* field = FDocument.Objects().GetField(record.Argument))
                WriteRangeEnd(*field);
            break;
        default: break;
        }
    }
    if (FTemporaryOpen) {
        CloseBrace();
        FCurrentChar = FBeforeTemporary;
        FTemporaryOpen = false;
    }
    // The line end delimits a control word before it.
    if (!FCompact) {
        Raw("\r\n");
        FKeywordPending = false;
    }
}

void TRtfWriter::WriteRangeStart(TField& field, const TParagraph& paragraph, int32_t afterByte)
{
    FOpenRanges.push_back(&field);
    switch (field.Kind) {
    case rkField: {
        SyncCharFormat();
        FFieldStack.push_back({&field, FCurrentChar, FCurrentPar});
        OpenBrace();
        // The format of the first character of the result.
        TCharFormat result = FRun;
        const uint8_t* text = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        for (int32_t pos = afterByte; pos + InlineControlSize <= size && text[pos] == InlineControlStartByte;
             pos += InlineControlSize) {
            const TInlineControl record = ReadInlineControl(text + pos);
            if (IsCharacterCode(record.Code))
                break;
            if (IsFormatCode(record.Code))
                result[record.Code] = record.Argument;
        }
        for (int slot = cfSize; slot < TCharFormat::Count; ++slot)
            if (result[slot] != FCurrentChar[slot] && result[slot] != NotSet) {
                CharAttribute(slot, result[slot]);
                FCurrentChar[slot] = result[slot];
            }
        const TCharFormat& start = FFieldStack.back().Char;
        OpenBrace();
        Keyword(kwField);
        Raw("{\\*");
        Keyword(kwFldinst);
        OpenBrace();
        bool any = false;
        for (int slot = 0; slot < TCharFormat::Count; ++slot) {
            if (slot == cfSize || (slot == cfLanguage && !CarriesLanguage(field.Type)))
                continue;
            if (start[slot] != result[slot] && start[slot] != NotSet) {
                CharAttribute(slot, start[slot]);
                any = true;
            }
        }
        if (any) {
            Raw(" ");
            FKeywordPending = false;
        }
        Text(field.Instruction);
        Raw("}}{");
        Keyword(kwFldrslt);
        OpenBrace();
        KeywordNum(kwF, result[cfFont]);
        FCurrentChar[cfFont] = result[cfFont];
        break;
    }
    case rkBookmark: StarGroup(kwBkmkstart, field.Instruction); break;
    default: break;
    }
}

void TRtfWriter::WriteRangeEnd(TField& field)
{
    const auto it = std::find(FOpenRanges.begin(), FOpenRanges.end(), &field);
    if (it == FOpenRanges.end())
        return;
    FOpenRanges.erase(it);
    switch (field.Kind) {
    case rkField: {
        Raw("}}}}");
        FKeywordPending = false;
        const auto saved = std::find_if(FFieldStack.rbegin(), FFieldStack.rend(),
                                        [&field](const TSavedFormats& s) { return s.Field == &field; });
        if (saved == FFieldStack.rend())
            break;
        FCurrentChar = saved->Char;
        FCurrentPar = saved->Par;
        FFieldStack.erase(std::next(saved).base());
        // The reader puts the formats of the field's start back; the text
        // goes on with its own.
        SyncCharFormat();
        if (FParagraph)
            WriteParFormat(FParagraph->Format);
        break;
    }
    case rkBookmark: StarGroup(kwBkmkend, field.Instruction); break;
    case rkNoteReference: {
        const TField* note = field.NoteRecord;
        if (!note)
            break;
        WriteStory(kwFootnote, note->Range.Start.Paragraph, note->Range.End.Paragraph, true,
                   IsEndnoteReference(field));
        break;
    }
    default: break;
    }
}

void TRtfWriter::WriteStory(int32_t keyword, int32_t firstParagraph, int32_t lastParagraph, bool dropFinalMark,
                            bool endnote)
{
    firstParagraph = std::max(firstParagraph, 0);
    lastParagraph = std::min(lastParagraph, FDocument.ParagraphCount() - 1);
    const TCharFormat savedChar = FCurrentChar;
    const TParFormat savedPar = FCurrentPar;
    const TCharFormat savedRun = FRun;
    const TParagraph* savedParagraph = FParagraph;
    std::vector<TField*> savedOpen = std::move(FOpenRanges);
    FOpenRanges.clear();
    OpenBrace();
    Keyword(keyword);
    if (endnote)
        Keyword(kwFtnalt);
    ResetFormat();
    for (int32_t p = firstParagraph; p <= lastParagraph; ++p) {
        const int32_t count = FDocument.Paragraphs(p).GetCharCount();
        const int32_t to = (p == lastParagraph && dropFinalMark && count > 0) ? count - 1 : count;
        WriteParagraph(p, 0, to, false);
    }
    // Fields cut by the story's end close inside it.
    while (!FOpenRanges.empty())
        WriteRangeEnd(*FOpenRanges.back());
    CloseBrace();
    FOpenRanges = std::move(savedOpen);
    FCurrentChar = savedChar;
    FCurrentPar = savedPar;
    FRun = savedRun;
    FParagraph = savedParagraph;
}

TSection& TRtfWriter::SectionOfParagraph(int32_t index)
{
    // The section ranges brought up to date, without refitting columns: a
    // write leaves the document as it is.
    FDocument.RebuildSectionRanges();
    for (int32_t s = FDocument.SectionCount() - 1; s >= 0; --s) {
        TSection& section = FDocument.Sections(s);
        if (section.FirstParagraph <= index && index <= section.LastParagraph)
            return section;
    }
    return FDocument.Sections(0);
}

bool TRtfWriter::ReachesSectionEnd(const TSection& section) const
{
    TTextRange range;
    range.End.Paragraph = FRange.LastParagraph;
    range.End.Offset = FRange.LastOffset;
    return section.ReachesRangeEnd(range);
}

void TRtfWriter::WriteSectionProperties(const TSection& section, bool first)
{
    const TPageParams& page = section.PageParams;
    const TPageParams* reference = nullptr;
    TPageParams firstPage;
    if (!first) {
        firstPage = SectionOfParagraph(FRange.FirstParagraph).PageParams;
        reference = &firstPage;
    }
    struct TPageWord {
        int Value;
        int32_t Document;
        int32_t Section;
    };
    static constexpr TPageWord kWords[] = {
        {ppPaperWidth, kwPaperw, kwPgwsxn},  {ppPaperHeight, kwPaperh, kwPghsxn},
        {ppLeftMargin, kwMargl, kwMarglsxn}, {ppRightMargin, kwMargr, kwMargrsxn},
        {ppTopMargin, kwMargt, kwMargtsxn},  {ppBottomMargin, kwMargb, kwMargbsxn},
    };
    for (const TPageWord& word : kWords) {
        if (first)
            KeywordNum(word.Document, page[word.Value]);
        else if (page[word.Value] != (*reference)[word.Value])
            KeywordNum(word.Section, page[word.Value]);
    }
    if (page[ppOrientation] == 1)
        Keyword(kwLndscpsxn);
    if (first && HasMirroredMargins(page))
        Keyword(kwMargmirror);
    if (page[ppHeaderDistance] != 720)
        KeywordNum(kwHeadery, page[ppHeaderDistance]);
    if (page[ppFooterDistance] != 720)
        KeywordNum(kwFootery, page[ppFooterDistance]);
    if (first && HasOddEvenHeaders(page))
        Keyword(kwFacingp);
    if (HasTitlePage(page))
        Keyword(kwTitlepg);
    switch (section.Trailing[0]) {
    case 0: Keyword(kwPgndec); break;
    case 2: Keyword(kwPgnucltr); break;
    case 3: Keyword(kwPgnlcrm); break;
    case 4: Keyword(kwPgnucrm); break;
    default: Keyword(kwPgnlcltr); break;
    }
    if (section.Trailing[1] == -1) {
        Keyword(kwPgncont);
    } else {
        Keyword(kwPgnrestart);
        KeywordNum(kwPgnstarts, section.Trailing[1]);
    }
    const TSectionSettings& settings = section.Settings;
    const int32_t columns = std::clamp(settings[ssColumnCount], 1, MaxColumns);
    if (columns > 1)
        KeywordNum(kwCols, columns);
    if (settings[ssColumnSpacing] != 720)
        KeywordNum(kwColsx, settings[ssColumnSpacing]);
    if (columns > 1 && settings[ssEqualColumns] == 0)
        for (int32_t i = 0; i < columns; ++i) {
            KeywordNum(kwColno, i + 1);
            KeywordNum(kwColw, settings[TSectionSettings::ColumnValue(i, crWidth)]);
            if (i + 1 < columns)
                KeywordNum(kwColsr, settings[TSectionSettings::ColumnValue(i, crSpacing)]);
        }
    if (section.LineBetweenColumns)
        Keyword(kwLinebetcol);
    WriteHeadersFooters(section, first);
    if (ReachesSectionEnd(section))
        Keyword(kwSectfullsaved);
}

void TRtfWriter::WriteHeadersFooters(const TSection& section, bool first)
{
    if (FDocument.EditedHeaderFooter || !ReachesSectionEnd(section))
        return;
    auto present = [&](int kind) {
        const TField* range = section.HeadersFooters[kind];
        return range && !(first && IsEmptyHeaderFooter(FDocument, *range));
    };
    auto write = [&](int32_t keyword, int kind) {
        if (!present(kind))
            return;
        const TField* range = section.HeadersFooters[kind];
        WriteStory(keyword, range->Range.Start.Paragraph, range->Range.End.Paragraph, false, false);
    };
    // Slot 0 holds the even-page one, slot 1 the one of every (odd) page and
    // slot 4 the first page's; footers likewise in 2, 3 and 5.
    if (present(0) || !first) {
        write(kwHeaderl, 0);
        write(kwHeaderr, 1);
    } else {
        write(kwHeader, 1);
    }
    write(kwHeaderf, 4);
    if (present(2) || !first) {
        write(kwFooterl, 2);
        write(kwFooterr, 3);
    } else {
        write(kwFooter, 3);
    }
    write(kwFooterf, 5);
}

void TRtfWriter::WritePicture(const TDocPicture& picture)
{
    OpenBrace();
    Keyword(kwPict);
    if (!picture.KeepAspectRatio) {
        Raw("{\\*");
        Keyword(kwPicprop);
        OpenBrace();
        Keyword(kwSp);
        OpenBrace();
        Keyword(kwSn);
        Raw(" fLockAspectRatio}{");
        Keyword(kwSv);
        Raw(" 0}}}");
        FKeywordPending = false;
    }
    // The data goes out in the form it is kept in, so that nothing is lost.
    // Forms without a word in the shared table are named by their letters.
    switch (picture.DataKind) {
    case pdkEmf: Keyword(kwEmfblip); break;
    case pdkWmf: KeywordNum(kwWmetafile, picture.MappingMode != 0 ? picture.MappingMode : 8); break;
    case pdkJpeg: Keyword(kwJpegblip); break;
    case pdkPng: Keyword(kwPngblip); break;
    case pdkDib: Raw("\\dibitmap0"); FKeywordPending = true; break;
    case pdkBitmap: Raw("\\wbitmap0"); FKeywordPending = true; break;
    default: Raw("\\macpict"); FKeywordPending = true; break;
    }
    // The picture's own size as it came, else the shown size in hundredths
    // of a millimetre (halves to even).
    auto hundredths = [](int32_t twips) {
        const double value = static_cast<double>(twips) * 1000.0 * 2.54 / 1440.0;
        return static_cast<int32_t>(std::nearbyint(value));
    };
    KeywordNum(kwPicw, picture.SourceWidth > 0 ? picture.SourceWidth : hundredths(picture.Width));
    KeywordNum(kwPich, picture.SourceHeight > 0 ? picture.SourceHeight : hundredths(picture.Height));
    KeywordNum(kwPicwgoal, picture.Width);
    KeywordNum(kwPichgoal, picture.Height);
    if (picture.ScaleX != 100)
        KeywordNum(kwPicscalex, picture.ScaleX);
    if (picture.ScaleY != 100)
        KeywordNum(kwPicscaley, picture.ScaleY);
    Raw(" ");
    FKeywordPending = false;
    Hex(picture.Data.data(), picture.Data.size());
    CloseBrace();
}

void TRtfWriter::WriteObject(const TDocOLEObject& object)
{
    static constexpr int32_t kTypes[] = {kwObjemb, kwObjlink, kwObjautlink, kwObjsub,
                                         kwObjpub, kwObjicemb, kwObjhtml,  kwObjocx};
    OpenBrace();
    Keyword(kwObject);
    Keyword(object.ObjectType >= 1 && object.ObjectType <= 8 ? kTypes[object.ObjectType - 1] : kwObjemb);
    StarGroup(kwObjclass, object.ClassName);
    StarGroup(kwObjname, object.ObjectName);
    Raw("{\\*");
    Keyword(kwObjdata);
    Raw(" ");
    FKeywordPending = false;
    Hex(object.Data.data(), object.Data.size());
    CloseBrace();
    OpenBrace();
    Keyword(kwResult);
    if (object.ResultPicture)
        WritePicture(*object.ResultPicture);
    CloseBrace();
    CloseBrace();
}

void TRtfWriter::WriteBody()
{
    TSection& first = SectionOfParagraph(FRange.FirstParagraph);
    if (FDocument.GetStoryOfParagraph(FRange.FirstParagraph) == stBody && ReachesSectionEnd(first))
        WriteSectionProperties(first, true);
    bool endnotes = false;
    for (const auto& field : FDocument.RangeObjects())
        if (field->Kind == rkNoteReference && IsEndnoteReference(*field) &&
            field->Range.Start.Paragraph >= FRange.FirstParagraph &&
            field->Range.Start.Paragraph <= FRange.LastParagraph) {
            endnotes = true;
            break;
        }
    KeywordNum(kwFet, endnotes ? 1 : 0);
    ResetFormat();
    FOutput.StartSaveProgress(FRange.FirstParagraph, FRange.LastParagraph, FParams.RecoveryCopy != 0);
    for (int32_t p = FRange.FirstParagraph; p <= FRange.LastParagraph; ++p) {
        const int32_t from = p == FRange.FirstParagraph ? FRange.FirstOffset : 0;
        const int32_t to = p == FRange.LastParagraph ? FRange.LastOffset : FDocument.Paragraphs(p).GetCharCount();
        WriteParagraph(p, from, to, p == FRange.LastParagraph);
        if (p != FRange.LastParagraph) {
            ++FOutput.ParagraphCounter;
            FOutput.SaveProgressStep();
        }
    }
    while (!FOpenRanges.empty())
        WriteRangeEnd(*FOpenRanges.back());
    if (FOutput.IsFile() && FRange.LastOffset < FDocument.Paragraphs(FRange.LastParagraph).GetCharCount())
        Keyword(kwPar);
}
