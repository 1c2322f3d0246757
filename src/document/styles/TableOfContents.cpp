// TDocument::BuildTableOfContents (operation 41): a table of contents made of
// ordinary paragraphs, one per heading, each a copy of the heading's text in
// the TOC style of its level, followed by a page reference and made into a
// hyperlink to a bookmark at the heading; a TOC field and a bookmark hold the
// table together. Rebuilding replaces an existing table in place.
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t TocTitleStandard = 91;
constexpr int32_t TocLevelBase = 18;  // "TOC n" is standard number 18 + n
constexpr int32_t MaxEntryChars = 256;
constexpr uint8_t RightTab = 2;

// The level of a heading paragraph within the levels asked for; 0 for any
// other paragraph.
int32_t HeadingLevel(TDocument& document, int32_t index, int32_t levels)
{
    const TParagraph& paragraph = document.Paragraphs(index);
    const TStyle* style = document.Styles().Find(paragraph.Format[pfStyle]);
    if (!style || !style->IsHeading() || style->StandardNumber > levels)
        return 0;
    return paragraph.GetCharCount() > 1 ? style->StandardNumber : 0;
}

void Insert(TDocument& document, const TTextPosition& position, const std::string& text, TUpdateRange& update,
            TOperation* op)
{
    TMemory buffer;
    buffer.Append(text.data(), static_cast<int32_t>(text.size()));
    document.PrepareTypingFormat(position, 0);
    TUpdateRange local;
    document.InsertPlainTextAt(buffer, position, local, op, 0);
    document.UndoManager().MergeUpdateRange(update, local);
}

void SetStyle(TDocument& document, int32_t paragraph, int32_t standard, TUpdateRange& update, TOperation* op)
{
    const int32_t style = document.Styles().IndexOfStandardId(standard);
    if (style < 0)
        return;
    TParFormat format;
    ClearParFormat(format);
    format[pfStyle] = style;
    TTextRange range;
    MakeTextPos(paragraph, 0, range.Start);
    range.End = range.Start;
    TUpdateRange local;
    document.FormatParagraphs(range, format, local, op);
    document.UndoManager().MergeUpdateRange(update, local);
}

// The heading's text as a fragment: at most 256 characters before its mark,
// with their format records; column, line and page breaks and tabs become
// blanks (dropped at the very start); anchors, pictures and objects stay
// behind.
TMemory HeadingFragment(const TParagraph& heading)
{
    TMemory fragment;
    TCharFormat start;
    heading.GetStartFormat(start);
    for (uint16_t slot = 0; slot < TCharFormat::Count; ++slot)
        if (start[slot] != NotSet)
            AppendFormatCode(fragment, slot, start[slot]);
    const uint8_t* p = heading.GetText().Data();
    const int32_t size = heading.GetText().Size();
    const int32_t last = heading.GetCharCount() - 1;  // the mark
    int32_t chars = 0;
    for (int32_t pos = 0; pos < size && chars < std::min(last, MaxEntryChars);) {
        if (p[pos] != InlineControlStartByte) {
            fragment.AppendByte(p[pos]);
            ++pos;
            ++chars;
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + pos);
        if (IsFormatCode(c.Code)) {
            fragment.Append(p + pos, InlineControlSize);
        } else if (c.Code == icSpecialChar) {
            const uint8_t kind = SpecialCharKind(c.Argument);
            if (kind >= scColumnBreak && kind <= scTab) {
                if (chars > 0)
                    fragment.AppendByte(' ');
            } else {
                fragment.Append(p + pos, InlineControlSize);
            }
        }
        if (IsCharacterCode(c.Code))
            ++chars;
        pos += InlineControlSize;
    }
    return fragment;
}

// A right-aligned stop at the position with the leader: the paragraph needs
// a table of its own unless it has exactly that one stop.
bool NeedsTOCTabTable(const TTabTable* table, int32_t position, uint8_t leader)
{
    if (!table || table->Count() != 1)
        return true;
    const TTabStop stop = table->Stops(0);
    return TabStopKind(stop) != RightTab || TabStopPosition(stop) > position || TabStopLeader(stop) != leader;
}

}  // namespace

void TDocument::BuildTableOfContents(TTOCOptions& options, int32_t& entryCount, TUpdateRange& update,
                                     TOperation* op)
{
    update.Reset();
    entryCount = 0;
    TocEntryCount = 0;
    options.Levels = std::clamp(options.Levels, 1, 9);

    // 1. The reference position and a table already there.
    TTextPosition reference = HasSelection() ? FSelection.Start : TTextPosition{Caret.Paragraph, Caret.Offset};
    TTextPosition before = reference;
    before.Offset = std::max(before.Offset - 1, 0);
    TField* old = FindRangeAt(before, fkTOC, rkField);
    TTextPosition insertion = reference;
    bool replaced = false;

    // 2. Rebuilding.
    if (old) {
        const int32_t oldFirst = old->Range.Start.Paragraph;
        const int32_t oldLast = old->Range.End.Paragraph;
        if (options.KeepInstruction) {
            ParseTOCField(old->Instruction, options);
            options.ShowPageNumbers = 0;
            options.RightAlignPageNumbers = 0;
            for (int32_t index = oldFirst; index <= oldLast; ++index) {
                const TStyle* style = Styles().Find(Paragraphs(index).Format[pfStyle]);
                if (!style || style->StandardNumber < TocLevelBase + 1 || style->StandardNumber > TocLevelBase + 9)
                    continue;
                const TTabTable* table = TabManager().Tables(Paragraphs(index).Format[pfTabTable]);
                const TMemory& plain = Paragraphs(index).GetPlainChars();
                bool hasTab = false;
                for (int32_t i = 0; i < plain.Size(); ++i)
                    hasTab = hasTab || plain.Data()[i] == scTab;
                if (table && hasTab)
                    for (TTabStop stop : table->StopList())
                        if (TabStopKind(stop) == RightTab) {
                            options.RightAlignPageNumbers = 1;
                            options.TabLeader = TabStopLeader(stop);
                            break;
                        }
                for (const auto& object : RangeObjects())
                    if (object->Kind == rkField && object->Type == fkPageRef &&
                        CompareTextPos(old->Range.Start, object->Range.Start) <= 0 &&
                        CompareTextPos(object->Range.Start, old->Range.End) < 0)
                        options.ShowPageNumbers = 1;
                break;
            }
        }
        TUpdateRange local;
        DeleteRange({oldFirst, 0}, {oldLast, Paragraphs(oldLast).GetCharCount()}, local, op, 0);
        FUndoManager->MergeUpdateRange(update, local);
        MakeTextPos(oldFirst, 0, insertion);
        replaced = true;
    }

    // 3. The stretch scanned: up to the paragraph before the last TOC field
    // that starts after the insertion point.
    int32_t scan = insertion.Paragraph;
    int32_t scanLast = StoryLast(stBody);
    {
        int32_t lastToc = -1;
        for (const auto& object : RangeObjects())
            if (object->Kind == rkField && object->Type == fkTOC && object->Range.Start.Paragraph >= scan &&
                object->Range.Start.Paragraph <= scanLast)
                lastToc = std::max(lastToc, object->Range.Start.Paragraph);
        if (lastToc >= 0)
            scanLast = lastToc - 1;
    }

    // 4. The entries.
    const int32_t insertionParagraph = insertion.Paragraph;
    for (; scan <= scanLast; ++scan) {
        const int32_t level = HeadingLevel(*this, scan, options.Levels);
        if (level == 0)
            continue;
        if (entryCount == 0) {
            // The TOC styles, then an empty paragraph at the insertion point.
            TDocument* templated = nullptr;
            TDocument* formatTemplate = nullptr;
            bool freeTemplated = false;
            bool freeFormat = false;
            TDocumentHost& host = DocumentHost();
            if (!options.TemplateName.empty())
                templated = host.GetTemplateDocument(Format, options.TemplateName, freeTemplated);
            if (!IsTemplate())
                formatTemplate = host.GetTemplateDocument(Format, std::string(), freeFormat);
            TDocument* const sources[3] = {options.StyleDocument, templated, formatTemplate};
            try {
                TUpdateRange local;
                EnsureTocStyles(sources, options.Levels, true, local, op);
                FUndoManager->MergeUpdateRange(update, local);
            } catch (...) {
                if (freeTemplated)
                    host.ReleaseTemplateDocument(templated);
                if (freeFormat)
                    host.ReleaseTemplateDocument(formatTemplate);
                throw;
            }
            if (freeTemplated)
                host.ReleaseTemplateDocument(templated);
            if (freeFormat)
                host.ReleaseTemplateDocument(formatTemplate);

            TUpdateRange local;
            DetachAnchors(insertion, insertion, false, local, op);
            FUndoManager->MergeUpdateRange(update, local);
            Insert(*this, insertion, "\r", update, op);
            {
                TTextRange first;
                MakeTextPos(insertionParagraph, 0, first.Start);
                MakeTextPos(insertionParagraph, Paragraphs(insertionParagraph).GetCharCount(), first.End);
                const uint8_t flag = StyleApplicationFlag;
                StyleApplicationFlag = 1;
                try {
                    ApplyStyleToParagraphs(first, 0, local, op, nullptr, nullptr, true);
                } catch (...) {
                    StyleApplicationFlag = flag;
                    throw;
                }
                StyleApplicationFlag = flag;
                FUndoManager->MergeUpdateRange(update, local);
            }
            ReattachAnchors({insertionParagraph + 1, 0}, {insertionParagraph + 1, 0}, local, op);
            FUndoManager->MergeUpdateRange(update, local);
            ++scan;
            ++scanLast;
            if (options.HasTitle) {
                Insert(*this, {insertionParagraph, 0}, options.Title + "\r", update, op);
                SetStyle(*this, insertionParagraph, TocTitleStandard, update, op);
                ++entryCount;
                ++scan;
                ++scanLast;
            }
        }
        AddTOCEntry(options, scan, insertionParagraph + entryCount, level, update, op);
        ++entryCount;
        ++scan;
        ++scanLast;
    }
    TocEntryCount = entryCount;

    // 5. The table as a whole.
    if (entryCount == 0)
        return;
    const int32_t tableLast = insertionParagraph + entryCount - 1;
    TTextRange table;
    MakeTextPos(insertionParagraph, 0, table.Start);
    MakeTextPos(tableLast, Paragraphs(tableLast).GetCharCount() - 1, table.End);
    {
        TTextRange whole = table;
        MakeTextPos(tableLast, Paragraphs(tableLast).GetCharCount(), whole.End);
        TUpdateRange local;
        ResetFormatToStyle(whole, 0, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        ResetFormatToStyle(whole, 1, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    if (options.ShowPageNumbers && options.RightAlignPageNumbers) {
        TSection& section = GetSectionOfParagraph(insertionParagraph);
        int32_t position;
        if (section.Settings.UsableColumnCount() <= 1) {
            TPageParams params;
            GetCaretPageParams(params);
            position = params[ppTextWidth];
        } else {
            position = section.GetColumnGeometry(0).Width;
        }
        for (int32_t index = insertionParagraph; index <= tableLast; ++index) {
            const TTabTable* own = TabManager().Tables(Paragraphs(index).Format[pfTabTable]);
            uint8_t leader = options.TabLeader;
            if (leader == 255)
                leader = own && own->Count() > 0 ? TabStopLeader(own->Stops(own->Count() - 1)) : 1;
            if (!NeedsTOCTabTable(own, position, leader))
                continue;
            TTabTable stops;
            stops.AddTab(PackTabStop(position, RightTab, leader));
            TParFormat format;
            ClearParFormat(format);
            format[pfTabTable] = TabManager().AddTable(stops);
            TTextRange one;
            MakeTextPos(index, 0, one.Start);
            one.End = one.Start;
            TUpdateRange local;
            FormatParagraphs(one, format, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }
    {
        auto field = std::make_unique<TField>(this, rkField);
        field->Type = fkTOC;
        field->Instruction = BuildTOCField(options);
        TUpdateRange local;
        InsertRangeObject(std::move(field), table.Start, table.End, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    if (replaced) {
        const int32_t after = tableLast + 1;
        if (after < StoryLast(stBody) && Paragraphs(after).GetCharCount() == 1) {
            TUpdateRange local;
            DeleteRange({after, 0}, {after, 1}, local, op, 0);
            FUndoManager->MergeUpdateRange(update, local);
        }
    }
    {
        std::string name = "_Table_des_matières";
        if (BookmarkNameExists(name))
            for (int32_t number = 2;; ++number)
                if (!BookmarkNameExists(name + "_" + std::to_string(number))) {
                    name += "_" + std::to_string(number);
                    break;
                }
        SetSelection(table.Start.Paragraph, table.Start.Offset, table.End.Paragraph, table.End.Offset, ssfNoNotify);
        TUpdateRange local;
        InsertBookmark(name, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        SetSelection(table.End.Paragraph, table.End.Offset, table.End.Paragraph, table.End.Offset, ssfNoNotify);
    }
    update.SetViewHints(table.End.Paragraph, table.End.Offset, table.End.Paragraph, table.End.Offset);
    update.SetCaret(table.End.Paragraph, table.End.Offset, NotSet);
}

void TDocument::AddTOCEntry(const TTOCOptions& options, int32_t heading, int32_t entry, int32_t level,
                            TUpdateRange& update, TOperation* op)
{
    // 1. The heading's bookmark: one that starts with its text, or a new one.
    std::string name;
    for (const auto& object : RangeObjects())
        if (object->Kind == rkBookmark && object->Range.Start.Paragraph == heading && object->Range.Start.Offset == 0) {
            name = object->Instruction;
            break;
        }
    if (name.empty()) {
        const TParagraph& paragraph = Paragraphs(heading);
        const uint8_t* plain = paragraph.GetPlainChars().Data();
        const int32_t last = paragraph.GetCharCount() - 1;
        int32_t first = 0;
        while (first < last && plain[first] >= scParagraphMark && plain[first] <= scPageBreak)
            ++first;
        TTextRange range;
        MakeTextPos(heading, first, range.Start);
        MakeTextPos(heading, last, range.End);
        SetSelection(heading, first, heading, last, ssfNoNotify);
        name = MakeBookmarkName(range);
        TUpdateRange local;
        InsertBookmark(name, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        ClearSelection(ssfNoNotify);
    }

    // 2. and 3. The heading's text, breaks and tabs as blanks, at the start of
    // the entry's paragraph.
    {
        const TMemory fragment = HeadingFragment(Paragraphs(heading));
        TUpdateRange local;
        InsertFragmentAt(fragment, {entry, 0}, local, op, 0, stBody, 0);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 4. The page number's place and the paragraph mark.
    const int32_t textEnd = Paragraphs(entry).GetCharCount() - 1;
    std::string tail;
    if (options.ShowPageNumbers)
        tail = std::string(options.RightAlignPageNumbers ? "\t" : " ") + "?";
    Insert(*this, {entry, textEnd}, tail + "\r", update, op);

    // 5. The page reference around the "?".
    if (options.ShowPageNumbers) {
        const int32_t question = Paragraphs(entry).GetCharCount() - 2;
        auto field = std::make_unique<TField>(this, rkField);
        field->Type = fkPageRef;
        field->Instruction = "PAGEREF " + name;
        TUpdateRange local;
        InsertRangeObject(std::move(field), {entry, question}, {entry, question + 1}, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 6. The whole entry links to the heading.
    {
        SetSelection(entry, 0, entry, Paragraphs(entry).GetCharCount() - 1, ssfNoNotify);
        TUpdateRange local;
        InsertHyperlink(BuildHyperlinkField("#" + name, ""), "", local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 7. The entry's style.
    SetStyle(*this, entry, TocLevelBase + level, update, op);
    ClearSelection(ssfNoNotify);
}
