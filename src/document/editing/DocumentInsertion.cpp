// Another document's content put into a document: the insertion buffer made
// of a source document (TDocument::InsertDocument), inserting a file, and
// duplicating text through a copy of it.
#include "document/editing/EditingRecords.h"
#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "document/model/ObjectManager.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/FormatStyleListOperation.h"
#include "document/steps/InsertDeleteOperation.h"
#include "foundation/CharFormat.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

// The operation kinds of inserting a file and of duplicating text.
constexpr uint8_t okFileInsertion = 18;

// Special characters of a plain-text source as the bytes a text insertion
// turns back into them.
uint8_t PlainByteOf(uint8_t code)
{
    switch (code) {
    case 4:
        return 15;
    case scPageBreak:
        return 12;
    case scTab:
        return 9;
    case 10:
        return 160;
    case 11:
        return 16;
    case 12:
        return 151;
    case 13:
        return 150;
    case 14:
        return 31;
    default:
        return code;
    }
}

// The plain characters of a paragraph, converted, without its final mark.
void AppendPlainParagraph(TMemory& buffer, const TParagraph& paragraph)
{
    const uint8_t* p = paragraph.GetPlainChars().Data();
    int32_t count = paragraph.GetCharCount();
    if (count > 0 && p[count - 1] == scParagraphMark)
        --count;
    for (int32_t i = 0; i < count; ++i)
        buffer.AppendByte(p[i] < 32 ? PlainByteOf(p[i]) : p[i]);
}

uint8_t LastPlainChar(const TParagraph& paragraph)
{
    const int32_t count = paragraph.GetCharCount();
    return count > 0 ? paragraph.GetPlainChars().Data()[count - 1] : 0;
}

using THandleMap = std::map<TObjectHandle, TObjectHandle>;

// Appends text bytes with the handles of section, object and range-object
// records translated; records whose object did not come along are left out.
void AppendTranslated(TMemory& out, const uint8_t* p, int32_t size, const THandleMap& handles)
{
    for (int32_t pos = 0; pos < size;) {
        if (p[pos] != InlineControlStartByte || size - pos < InlineControlSize) {
            out.AppendByte(p[pos++]);
            continue;
        }
        const TInlineControl record = ReadInlineControl(p + pos);
        pos += InlineControlSize;
        switch (record.Code) {
        case icSectionBreak:
        case icPicture:
        case icOleObject:
        case icRangeStart:
        case icRangeEnd: {
            const auto it = handles.find(static_cast<TObjectHandle>(record.Argument));
            if (it != handles.end())
                AppendFormatCode(out, record.Code, static_cast<int32_t>(it->second));
            else if (record.Code == icSectionBreak)
                // A break whose section stayed behind ends its paragraph all the same.
                AppendFormatCode(out, icSpecialChar, scParagraphMark);
            break;
        }
        default:
            out.Append(p + pos - InlineControlSize, InlineControlSize);
            break;
        }
    }
}

// A paragraph as a buffer holds it: its text, the separator and its format
// when it differs from the last one written.
void AppendWholeParagraph(TMemory& out, const TParagraph& paragraph, const THandleMap& handles, TParFormat& last,
                          bool alwaysFormat)
{
    AppendTranslated(out, paragraph.GetText().Data(), paragraph.GetText().Size(), handles);
    out.AppendByte(StoredParagraphSeparator);
    if (alwaysFormat || !SameParFormat(paragraph.Format, last)) {
        out.AppendByte(StoredParFormatMarker);
        out.Append(paragraph.Format.Slots, StoredParFormatSize);
        last = paragraph.Format;
    }
}

// The text of the paragraph before its final mark, records included.
void AppendPartialParagraph(TMemory& out, const TParagraph& paragraph, const THandleMap& handles)
{
    int32_t size = paragraph.GetText().Size();
    if (LastPlainChar(paragraph) == scParagraphMark)
        size = paragraph.CharToByteOffset(paragraph.GetCharCount() - 1);
    AppendTranslated(out, paragraph.GetText().Data(), size, handles);
}

}  // namespace

void TDocument::DropCarriedObjects()
{
    FCarriedFields.clear();
    FCarriedSections.clear();
}

void TDocument::AdoptCarriedObjects(TInsertDeleteOperation& step, const TMemory& text)
{
    if (FCarriedSections.empty() && FCarriedFields.empty())
        return;
    std::vector<TObjectHandle> sections, fields;
    const uint8_t* p = text.Data();
    const int32_t size = text.Size();
    for (int32_t pos = 0; pos < size;) {
        if (p[pos] == StoredParagraphSeparator) {
            ++pos;
            if (pos < size && p[pos] == StoredParFormatMarker)
                pos += 1 + StoredParFormatSize;
        } else if (p[pos] == InlineControlStartByte && size - pos >= InlineControlSize) {
            const TInlineControl record = ReadInlineControl(p + pos);
            if (record.Code == icSectionBreak)
                sections.push_back(static_cast<TObjectHandle>(record.Argument));
            else if (record.Code == icRangeStart)
                fields.push_back(static_cast<TObjectHandle>(record.Argument));
            pos += InlineControlSize;
        } else {
            ++pos;
        }
    }
    auto named = [](const std::vector<TObjectHandle>& list, TObjectHandle handle) {
        return std::find(list.begin(), list.end(), handle) != list.end();
    };
    for (auto it = FCarriedSections.begin(); it != FCarriedSections.end();) {
        if (named(sections, (*it)->Handle())) {
            step.AdoptSection(std::move(*it));
            it = FCarriedSections.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = FCarriedFields.begin(); it != FCarriedFields.end();) {
        if (named(fields, (*it)->Handle())) {
            step.AdoptRangeObject(std::move(*it));
            it = FCarriedFields.erase(it);
        } else {
            ++it;
        }
    }
}

void TDocument::InsertDocument(TDocument& source, int32_t count, TUpdateRange& update, TOperation* op,
                               TMemory& buffer)
{
    // 1. An empty source gives nothing.
    update.Reset();
    const int32_t bodyCount = source.StoryCount(stBody);
    if (bodyCount == 0 || (count <= 0 && source.Paragraphs(0).GetCharCount() == 0))
        return;
    count = std::clamp(count, 0, bodyCount);

    // 2. Plain text: its characters, lines ending with CR LF.
    if (source.Format == ciAnsiText || source.Format == ciDosText) {
        for (int32_t i = 0; i < count; ++i) {
            AppendPlainParagraph(buffer, source.Paragraphs(i));
            buffer.AppendByte(13);
            buffer.AppendByte(10);
        }
        if (bodyCount > count)
            AppendPlainParagraph(buffer, source.Paragraphs(count));
        return;
    }

    // 3. The document dispatcher waits until the buffer is made.
    LockDispatcher();
    try {
        // 4. The styles and tab tables the text uses.
        const int32_t all = source.ParagraphCount();
        std::vector<int32_t> styleMap(static_cast<size_t>(source.Styles().Count()), -1);
        std::vector<int32_t> tabMap(static_cast<size_t>(source.TabManager().Count()), -1);
        std::vector<bool> styleUsed(styleMap.size(), false), tabUsed(tabMap.size(), false);
        if (count > 0 || all > 1) {
            const int32_t lowest = count == 0 ? 1 : 0;
            for (int32_t i = all - 1; i >= lowest; --i) {
                const TParagraph& paragraph = source.Paragraphs(i);
                const int32_t style = paragraph.Format[pfStyle];
                if (style >= 0 && style < static_cast<int32_t>(styleUsed.size()))
                    styleUsed[static_cast<size_t>(style)] = true;
                const int32_t tab = paragraph.Format[pfTabTable];
                if (tab >= 0 && tab < static_cast<int32_t>(tabUsed.size()))
                    tabUsed[static_cast<size_t>(tab)] = true;
            }
            TImportStylesInfo request(&source.Styles());
            for (size_t i = 0; i < styleUsed.size(); ++i)
                if (styleUsed[i])
                    request.Chosen.push_back(static_cast<int32_t>(i));
            auto list = std::make_unique<TStyleList>(this, &TabManager());
            list->Assign(Styles());
            if (!request.Chosen.empty())
                list->ImportStyles(request, false);
            for (int32_t index : request.Chosen) {
                const TStyle& style = source.Styles()[index];
                int32_t target = list->IndexOfName(style.Name);
                if (target < 0)
                    target = list->IndexOfDisplayName(style.DisplayName);
                styleMap[static_cast<size_t>(index)] = target;
            }
            if (!request.Added.empty()) {
                auto info = std::make_unique<TFormatStyleListInfo>();
                info->Styles = std::move(list);
                TTextRange none{};
                TUpdateRange local;
                ChangeStyleList(none, std::move(info), local, op);
                FUndoManager->MergeUpdateRange(update, local);
            }
            for (size_t i = 0; i < tabUsed.size(); ++i)
                if (tabUsed[i])
                    if (const TTabTable* table = source.TabManager().Tables(static_cast<int32_t>(i)))
                        tabMap[i] = TabManager().AddTable(*table);
        }

        // 6. The objects, the section breaks the text carries and the range
        // objects come over, their handles translated.
        THandleMap handles;
        for (auto& object : source.ObjectManager().TakeObjects()) {
            const TObjectHandle old = object->Handle();
            TDocObject& added = ObjectManager().AddObject(std::move(object));
            handles[old] = added.Handle();
        }
        for (int32_t i = 0; i < bodyCount; ++i) {
            const TParagraph& paragraph = source.Paragraphs(i);
            if (LastPlainChar(paragraph) != scSectionBreak)
                continue;
            TSection* section = source.Objects().GetSection(paragraph.GetSectionBreak());
            if (!section)
                continue;
            const TObjectHandle old = section->Handle();
            std::unique_ptr<TSection> taken = source.TakeSection(section);
            if (!taken)
                continue;
            taken->SetDocument(this);
            handles[old] = taken->Handle();
            FCarriedSections.push_back(std::move(taken));
        }
        std::vector<TField*> fields;
        for (const auto& field : source.RangeObjects())
            fields.push_back(field.get());
        for (TField* field : fields) {
            const TObjectHandle old = field->Handle();
            std::unique_ptr<TField> taken = source.TakeRangeObject(field);
            if (!taken)
                continue;
            taken->SetDocument(this);
            handles[old] = taken->Handle();
            FCarriedFields.push_back(std::move(taken));
        }

        // 7. The paragraphs take this document's style and tab indexes.
        for (int32_t i = all - 1; i >= 0; --i) {
            TParagraph& paragraph = source.Paragraphs(i);
            const int32_t style = paragraph.Format[pfStyle];
            if (style >= 0 && style < static_cast<int32_t>(styleMap.size()))
                paragraph.Format[pfStyle] = std::max(styleMap[static_cast<size_t>(style)], 0);
            const int32_t tab = paragraph.Format[pfTabTable];
            if (tab >= 0 && tab < static_cast<int32_t>(tabMap.size()))
                paragraph.Format[pfTabTable] = tabMap[static_cast<size_t>(tab)];
            paragraph.SetNormalizedFlag(true);
        }

        // 8. The buffer: the default character format, the whole paragraphs,
        // then the text of the last one.
        const TCharFormat& defaults = DefaultCharFormat();
        for (int32_t slot = 0; slot < TCharFormat::Count; ++slot)
            AppendFormatCode(buffer, static_cast<uint16_t>(slot), defaults[slot]);
        TParFormat last;
        ClearParFormat(last);
        for (int32_t i = 0; i < count; ++i)
            AppendWholeParagraph(buffer, source.Paragraphs(i), handles, last, false);
        if (bodyCount > count)
            AppendPartialParagraph(buffer, source.Paragraphs(count), handles);

        // 9. Footnotes, endnotes, headers and footers go to the end of this
        // document's stories, where the records of their anchors find them.
        for (int32_t story = stFootnotes; story <= stHeadersFooters; ++story) {
            const int32_t n = source.StoryCount(story);
            if (n == 0)
                continue;
            TMemory pass;
            TParFormat none;
            ClearParFormat(none);
            const int32_t first = source.StoryFirst(story);
            for (int32_t i = first; i < first + n; ++i)
                AppendWholeParagraph(pass, source.Paragraphs(i), handles, none, true);
            const int32_t at = StoryFirst(story) + StoryCount(story);
            const TCaret saved = Caret;
            BeginChange(73);
            try {
                auto step = TInsertDeleteOperation::CreateInsertion(this, {at, 0}, story, pass);
                AdoptCarriedObjects(*step, pass);
                TUpdateRange local;
                ApplyStep(*this, std::move(step), local, op);
                FUndoManager->MergeUpdateRange(update, local);
            } catch (...) {
                EndChanges(1);
                throw;
            }
            EndChanges(1);
            Caret = saved;
        }
        RefreshRangeObjectPositions();
    } catch (...) {
        UnlockDispatcher();
        throw;
    }
    UnlockDispatcher();
}

namespace {

// A hidden document read from a file or from bytes; null when the reader
// refused it (it told the user about a file).
std::unique_ptr<TDocument> LoadHidden(const std::string& fileOrBytes, bool fromMemory, int32_t coding,
                                      int32_t& paragraphs)
{
    auto hidden = std::make_unique<TDocument>(true);
    int32_t used = coding;
    if (!DocumentFiler().Load(*hidden, fileOrBytes, fromMemory, used, paragraphs))
        return nullptr;
    hidden->Format = used;
    return hidden;
}

// A copy of a whole document made through the native format, so that the
// document itself stays whole while its copy is consumed.
std::unique_ptr<TDocument> CopyOfDocument(TDocument& document, int32_t& paragraphs)
{
    TTextRange body;
    document.GetBodyRange(body);
    TMemory rtf;
    if (!DocumentFiler().WriteRange(document, body, ciRtf, rtf))
        return nullptr;
    return LoadHidden(std::string(reinterpret_cast<const char*>(rtf.Data()), static_cast<size_t>(rtf.Size())), true,
                      ciRtf, paragraphs);
}

}  // namespace

bool TDocument::InsertFile(const std::string& fileName, int32_t coding)
{
    std::unique_ptr<TDocument> source;
    int32_t count = 0;
    // An open document gives its current content, saved or not. It is
    // copied: inserting it must not take its text, objects and sections away
    // from it (inserting a document into itself included).
    TDocument* open = DocumentHost().FindOpenDocument(fileName);
    if (open && !EditedHeaderFooter)
        source = CopyOfDocument(*open, count);
    else
        source = LoadHidden(fileName, false, coding, count);
    if (!source)
        return false;

    bool inserted = false;
    TDocument& from = *source;
    ExecuteEdit(okFileInsertion, [&](TOperation* op, TUpdateRange& update) {
        TMemory buffer;
        try {
            InsertDocument(from, count, update, op, buffer);
            if (buffer.Size() > 0) {
                LockDispatcher();
                try {
                    BeginChange(chfFileInsertion);
                    PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
                    const TEditFlags flags = DocumentHost().SpaceAdjustment() ? efAdjustSpaces : 0;
                    TUpdateRange local;
                    if (from.Format == ciAnsiText || from.Format == ciDosText)
                        InsertText(buffer, flags, local, op);
                    else
                        InsertFragment(buffer, count, local, op, flags);
                    FUndoManager->MergeUpdateRange(update, local);
                    EndChanges(1);
                } catch (...) {
                    UnlockDispatcher();
                    throw;
                }
                UnlockDispatcher();
                inserted = true;
            }
        } catch (...) {
            DropCarriedObjects();
            throw;
        }
        DropCarriedObjects();
    });
    if (inserted)
        DocumentHost().AddRecentInsertedFile(fileName);
    return inserted;
}

void TDocument::DuplicateText(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update,
                              TOperation* op, TEditFlags flags, const TTextPosition& target)
{
    update.Reset();
    // 1. and 2. The range through the native format into a hidden document.
    TTextRange range{start, end};
    TMemory rtf;
    if (!DocumentFiler().WriteRange(*this, range, ciRtf, rtf))
        throw EAbort();
    int32_t count = 0;
    std::unique_ptr<TDocument> copy =
        LoadHidden(std::string(reinterpret_cast<const char*>(rtf.Data()), static_cast<size_t>(rtf.Size())), true,
                   ciRtf, count);
    if (!copy)
        throw EAbort();
    // 3. and 4. Its fragment at the target.
    TMemory buffer;
    try {
        TUpdateRange local;
        InsertDocument(*copy, count, local, op, buffer);
        FUndoManager->MergeUpdateRange(update, local);
        if (buffer.Size() > 0) {
            PrepareTypingFormat(target, 0);
            TUpdateRange inserted;
            InsertFragmentAt(buffer, target, inserted, op, flags, GetStoryOfParagraph(start.Paragraph), count);
            FUndoManager->MergeUpdateRange(update, inserted);
        }
    } catch (...) {
        DropCarriedObjects();
        throw;
    }
    DropCarriedObjects();
}

void TDocument::LinkHeaderToPrevious(TOperation* op, TUpdateRange& update)
{
    update.Reset();
    TField* edited = EditedHeaderFooter;
    if (!edited || EditedHeaderFooterPage < 0 || EditedHeaderFooterPage >= PageCount())
        return;
    // 1. The slot of the edited one: in the caret page's section, or else in
    // the nearest section before it that names it.
    TSection& own = GetPageSectionOfPage(EditedHeaderFooterPage);
    const auto slotIn = [edited](const TSection& section) {
        for (int32_t slot = 0; slot < 6; ++slot)
            if (section.HeadersFooters[slot] == edited)
                return slot;
        return -1;
    };
    // The section before one (null for the first).
    const auto previous = [this](const TSection& section) -> TSection* {
        return section.FirstParagraph > 0 ? &GetSectionOfParagraph(section.FirstParagraph - 1) : nullptr;
    };
    int32_t slot = slotIn(own);
    const bool isOwn = slot >= 0;
    for (TSection* section = previous(own); slot < 0 && section; section = previous(*section))
        slot = slotIn(*section);
    if (slot < 0)
        return;

    // 2. The caret page section's six references.
    TField* references[6];
    std::copy(std::begin(own.HeadersFooters), std::end(own.HeadersFooters), references);
    const TTextRange range = edited->Range;

    if (isOwn) {
        // 3. Linked to the previous one: the own one goes, and the nearest
        // earlier section's one in that slot is edited. The first section
        // has no previous one to take.
        TField* earlier = nullptr;
        for (TSection* section = previous(own); !earlier && section; section = previous(*section))
            earlier = section->HeadersFooters[slot];
        if (!earlier)
            return;
        references[slot] = nullptr;
        TUpdateRange local;
        ChangeSectionHeaders(own, references, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        // Its text goes; its last paragraph mark and anchors stay.
        TTextPosition end = range.End;
        end.Offset = std::min(end.Offset, Paragraphs(end.Paragraph).GetCharCount() - 1);
        if (CompareTextPos(range.Start, end) < 0) {
            local.Reset();
            DeleteRange(range.Start, end, local, op, 0);
            FUndoManager->MergeUpdateRange(update, local);
        }
        EditedHeaderFooter = earlier;
    } else {
        // 4. A copy of its own, made through the native format.
        TMemory rtf;
        if (!DocumentFiler().WriteRange(*this, range, ciRtf, rtf))
            throw EAbort();
        int32_t count = 0;
        std::unique_ptr<TDocument> copy = LoadHidden(
            std::string(reinterpret_cast<const char*>(rtf.Data()), static_cast<size_t>(rtf.Size())), true, ciRtf,
            count);
        if (!copy)
            throw EAbort();
        TField* field = nullptr;
        try {
            TMemory fragment;
            TUpdateRange local;
            InsertDocument(*copy, count, local, op, fragment);
            FUndoManager->MergeUpdateRange(update, local);
            // The new header or footer: its start record, the copied
            // paragraphs, its last paragraph mark and its end record. It
            // goes to the end of the story, where no anchor of another
            // header stands at the place.
            auto object = std::make_unique<TField>(this, rkHeaderFooter);
            field = object.get();
            const TObjectHandle handle = field->Handle();
            FCarriedFields.push_back(std::move(object));
            int32_t lastSeparator = -1;
            int32_t afterLast = 0;
            const uint8_t* p = fragment.Data();
            for (int32_t pos = 0; pos < fragment.Size();) {
                if (p[pos] == StoredParagraphSeparator) {
                    lastSeparator = pos++;
                    if (pos < fragment.Size() && p[pos] == StoredParFormatMarker)
                        pos += 1 + StoredParFormatSize;
                    afterLast = pos;
                } else if (p[pos] == InlineControlStartByte && fragment.Size() - pos >= InlineControlSize) {
                    pos += InlineControlSize;
                } else {
                    ++pos;
                }
            }
            TMemory anchored;
            AppendFormatCode(anchored, icRangeStart, static_cast<int32_t>(handle));
            if (lastSeparator >= 0 && afterLast == fragment.Size()) {
                // The copy ends with a whole paragraph, its mark included.
                anchored.Append(fragment.Data(), lastSeparator);
                AppendFormatCode(anchored, icRangeEnd, static_cast<int32_t>(handle));
                anchored.Append(fragment.Data() + lastSeparator, fragment.Size() - lastSeparator);
            } else {
                anchored.Append(fragment.Data(), fragment.Size());
                AppendFormatCode(anchored, icSpecialChar, scParagraphMark);
                AppendFormatCode(anchored, icRangeEnd, static_cast<int32_t>(handle));
                anchored.AppendByte(StoredParagraphSeparator);
                anchored.AppendByte(StoredParFormatMarker);
                anchored.Append(DefaultParFormat().Slots, StoredParFormatSize);
            }
            const int32_t end = StoryFirst(stHeadersFooters) + StoryCount(stHeadersFooters);
            BeginChange(73);
            try {
                auto step = TInsertDeleteOperation::CreateInsertion(this, {end, 0}, stHeadersFooters, anchored);
                AdoptCarriedObjects(*step, anchored);
                local.Reset();
                ApplyStep(*this, std::move(step), local, op);
                FUndoManager->MergeUpdateRange(update, local);
            } catch (...) {
                EndChanges(1);
                throw;
            }
            EndChanges(1);
            RefreshRangeObjectPositions();
            references[slot] = field;
            local.Reset();
            ChangeSectionHeaders(own, references, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        } catch (...) {
            DropCarriedObjects();
            throw;
        }
        DropCarriedObjects();
        EditedHeaderFooter = field;
    }

    // 5. The caret at the start of the edited one.
    const int32_t first = EditedHeaderFooter->Range.Start.Paragraph;
    update.SetCaret(first, 0, NotSet);
    update.SetViewHints(0, 0, 0, 0);
}
