// TDocument: bookmarks, fields and hyperlinks. The bookmark list and the
// position search over the range objects, bookmark names and navigation, the
// undoable operations that insert and remove bookmarks, fields and
// hyperlinks, and following a hyperlink.
#include "document/model/Document.h"

#include "document/model/DocumentHost.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/steps/InsertDeleteFieldOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/MessageDlg.h"
#include "foundation/ShellHelpers.h"
#include "foundation/managers/Style.h"
#include "foundation/TextTables.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <unordered_set>

namespace {

// The change brackets of these operations.
constexpr int32_t chfGoToBookmark = 0x20;
constexpr int32_t chfInsertingLink = 0x48;

// The program event fired before a hyperlink opens a file or an address.
constexpr int32_t HyperlinkEvent = 10140;
// The command that ends header and footer editing.
constexpr int32_t LeaveHeaderFooterCommand = 7200;

const char* const RemoveLinksName = "la désactivation des liens hypertextes";

bool Holds(const TField& object, const TTextPosition& position)
{
    return CompareTextPos(object.Range.Start, position) <= 0 && CompareTextPos(object.Range.End, position) > 0;
}

// Start not after the position, end not before it.
bool Touches(const TField& object, const TTextPosition& position)
{
    return CompareTextPos(object.Range.Start, position) <= 0 && CompareTextPos(object.Range.End, position) >= 0;
}

bool IsHiddenKind(uint8_t kind)
{
    return kind == rkBookmark || kind == rkReserved2 || kind == rkHeaderFooter;
}

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    return CompareStringLocale(GetUserDefaultLCID(), true, a, b) == 0;
}

// One step that puts a new range object into the text with the skip counts
// given; the document takes the object.
void InsertObject(TDocument& document, std::unique_ptr<TField> object, const TTextPosition& start, int32_t startSkip,
                  const TTextPosition& end, int32_t endSkip, TUpdateRange& update, TOperation* op)
{
    TField* field = object.get();
    auto step = std::make_unique<TInsertDeleteFieldOperation>(&document, field, false, idfBothAnchors);
    step->SetStart(start.Paragraph, start.Offset, startSkip);
    step->SetEnd(end.Paragraph, end.Offset, endSkip);
    step->Adopt(std::move(object));
    ApplyStep(document, std::move(step), update, op);
}

bool IsHyperlink(const TField& object)
{
    return object.Kind == rkField && object.Type == fkHyperlink;
}

}  // namespace

// ---------------------------------------------------------------------------
// The bookmark list and the position search

TStringList& TDocument::GetBookmarkList()
{
    TStringList& list = *FBookmarkNames;
    if (!BookmarkListDirty)
        return list;
    const bool partial = BookmarkRescanFirst != NotSet;
    int32_t first = 0;
    int32_t last = ParagraphCount() - 1;
    if (partial) {
        first = std::max(BookmarkRescanFirst, 0);
        last = std::min(BookmarkRescanLast, ParagraphCount() - 1);
        // Entries of objects that left the document go.
        std::unordered_set<const void*> present;
        for (const auto& object : FRangeObjects)
            present.insert(object.get());
        for (int32_t i = list.Count() - 1; i >= 0; --i)
            if (!present.count(list.Objects(i)))
                list.Delete(i);
    } else {
        list.Clear();
    }
    // Built in text order; sorted by name afterwards when wanted.
    list.SetSorted(false);
    const int32_t bodyLast = StoryLast(stBody);
    int32_t depth = 0;
    for (int32_t index = first; index <= last; ++index) {
        for (TRecordCursor cursor(Paragraphs(index)); cursor.Next();) {
            const TInlineControl& record = cursor.Record();
            const int32_t chars = cursor.Chars();
            if (!IsAnchorCode(record.Code))
                continue;
            TField* object = FObjects.GetField(record.Argument);
            if (!object)
                continue;
            if (record.Code == icRangeStart) {
                object->StartsInside = depth > 0 ? 1 : 0;
                ++depth;
                MakeTextPos(index, chars, object->Range.Start);
                if (object->Kind == rkBookmark && index <= bodyLast && !partial)
                    list.AddObject(object->Instruction, object);
            } else {
                depth = std::max(depth - 1, 0);
                object->EndsInside = depth > 0 ? 1 : 0;
                MakeTextPos(index, chars, object->Range.End);
            }
        }
    }
    if (!partial) {
        if (!BookmarkListTextOrder && !DocumentHost().BookmarksInTextOrder())
            list.Sort();
        RangeObjectsUnsorted = 1;
    }
    BookmarkListDirty = 0;
    return list;
}

void TDocument::GetBookmarkRange(TField* object, TTextRange& range)
{
    GetBookmarkList();
    range = object ? object->Range : TTextRange();
}

void TDocument::RebuildBookmarkListInTextOrder()
{
    BookmarkListDirty = 1;
    BookmarkListTextOrder = 1;
    const int32_t savedFirst = BookmarkRescanFirst;
    BookmarkRescanFirst = NotSet;
    try {
        GetBookmarkList();
    } catch (...) {
        BookmarkListTextOrder = 0;
        BookmarkRescanFirst = savedFirst;
        BookmarkListDirty = 1;
        throw;
    }
    BookmarkListTextOrder = 0;
    BookmarkRescanFirst = savedFirst;
    BookmarkListDirty = 1;
}

TField* TDocument::FindRangeAt(const TTextPosition& position, uint8_t type, uint8_t kind,
                               const TFieldTypeSet* excluded, TTextRange* range)
{
    if (FRangeObjects.empty())
        return nullptr;
    GetBookmarkList();
    auto byStart = [](const std::unique_ptr<TField>& a, const std::unique_ptr<TField>& b) {
        return CompareTextPos(a->Range.Start, b->Range.Start) < 0;
    };
    // Objects put into the list by a reader or another path than the edit
    // steps may stand out of order too.
    if (RangeObjectsUnsorted || !std::is_sorted(FRangeObjects.begin(), FRangeObjects.end(), byStart)) {
        std::stable_sort(FRangeObjects.begin(), FRangeObjects.end(), byStart);
        RangeObjectsUnsorted = 0;
    }
    const int32_t count = static_cast<int32_t>(FRangeObjects.size());
    auto at = [this](int32_t i) -> const TField& { return *FRangeObjects[static_cast<size_t>(i)]; };

    // A binary search by start lands near the objects that hold the position.
    int32_t low = 0;
    int32_t high = count - 1;
    while (low <= high) {
        const int32_t middle = low + (high - low) / 2;
        const TField& object = at(middle);
        if (Touches(object, position)) {
            low = high = middle;
            break;
        }
        if (CompareTextPos(object.Range.Start, position) <= 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    low = std::clamp(low, 0, count - 1);
    high = std::clamp(high, 0, count - 1);
    if (low > high)
        std::swap(low, high);
    // Objects nested in others, or holding the position, widen the window.
    while (low > 0 && (at(low - 1).EndsInside || Touches(at(low - 1), position)))
        --low;
    while (high < count - 1 && (at(high + 1).StartsInside || Touches(at(high + 1), position)))
        ++high;

    TField* chosen = nullptr;
    for (int32_t i = low; i <= high; ++i) {
        TField& object = *FRangeObjects[static_cast<size_t>(i)];
        if (!FindHiddenKinds && IsHiddenKind(object.Kind))
            continue;
        if ((kind != 255 && object.Kind != kind) || (type != 255 && object.Type != type))
            continue;
        if (excluded && FieldTypeInSet(*excluded, object.Type))
            continue;
        if (!Holds(object, position))
            continue;
        if (!chosen || (CompareTextPos(object.Range.Start, chosen->Range.Start) >= 0 &&
                        CompareTextPos(object.Range.End, chosen->Range.End) <= 0))
            chosen = &object;
    }
    if (chosen && range)
        *range = chosen->Range;
    return chosen;
}

TField* TDocument::FindFieldAtCaret(uint8_t type)
{
    TTextPosition position{Caret.Paragraph, Caret.Offset};
    if (HasSelection() && !IsInSelection(position) && CompareTextPos(position, Selection().End) != 0)
        position = Selection().Start;
    return FindRangeAt(position, type, rkField);
}

bool TDocument::FindNoteAt(const TTextPosition& position, uint8_t noteKind)
{
    GetBookmarkList();
    for (auto it = FRangeObjects.rbegin(); it != FRangeObjects.rend(); ++it) {
        const TField& object = **it;
        if (object.Kind != rkNoteReference || !Holds(object, position))
            continue;
        const uint8_t endnote = IsEndnoteReference(object) ? 1 : 0;
        if (noteKind == 255 || endnote == noteKind)
            return true;
    }
    return false;
}

bool TDocument::HasHeaderFooterFieldsOfTypes(const TFieldTypeSet& types) const
{
    for (const auto& object : FRangeObjects)
        if (object->Kind == rkField && FieldTypeInSet(types, object->Type) &&
            GetStoryOfParagraph(object->Range.Start.Paragraph) == stHeadersFooters &&
            GetStoryOfParagraph(object->Range.End.Paragraph) == stHeadersFooters)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Bookmark names

bool TDocument::BookmarkNameExists(const std::string& name, const std::vector<TField*>* extra)
{
    for (const auto& object : FRangeObjects)
        if (object->Kind == rkBookmark && SameNameNoCase(object->Instruction, name))
            return true;
    if (extra)
        for (const TField* object : *extra)
            if (object && SameNameNoCase(object->Instruction, name))
                return true;
    return false;
}

std::string TDocument::MakeBookmarkName(const TTextRange& given)
{
    TTextRange range = given;
    if (IsRangeEmpty(range)) {
        const TTextPosition caret{Caret.Paragraph, Caret.Offset};
        TTextRange sentence;
        GetSentenceAt(caret, sentence);
        range.Start = caret;
        range.End = CompareTextPos(sentence.End, caret) > 0 ? sentence.End : caret;
    }
    std::string name = GetRangeText(range).substr(0, 32);
    for (char& c : name) {
        const auto b = static_cast<uint8_t>(c);
        if (DelimiterCharTable[b] || b == '\'' || b == '`' || b == 0x91 || b == 0x92)
            c = '_';
    }
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        name[0] = '_';
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty()) {
        for (int32_t n = 1;; ++n) {
            const std::string candidate = "Signet_" + std::to_string(n);
            if (!BookmarkNameExists(candidate))
                return candidate;
        }
    }
    if (!BookmarkNameExists(name))
        return name;
    for (int32_t n = 1;; ++n) {
        const std::string candidate = name + "_" + std::to_string(n);
        if (!BookmarkNameExists(candidate))
            return candidate;
    }
}

// ---------------------------------------------------------------------------
// Navigation

void TDocument::GoToBookmark(const std::string& name, bool select)
{
    TStringList& list = GetBookmarkList();
    const int32_t index = list.IndexOf(name);
    if (index < 0)
        return;
    TField* object = static_cast<TField*>(list.Objects(index));
    if (!object)
        return;
    if (EditedHeaderFooter)
        DocumentHost().ExecuteCommand(LeaveHeaderFooterCommand);
    const TTextRange range = object->Range;
    BeginChange(chfGoToBookmark);
    try {
        if (select)
            SetSelection(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
        else
            SetSelection(range.End.Paragraph, range.End.Offset, range.End.Paragraph, range.End.Offset);
        Caret.Paragraph = range.End.Paragraph;
        Caret.Offset = range.End.Offset;
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);
    if (TDocumentLayout* layout = GetDocumentLayout()) {
        layout->UpdateCaret(*this);
        layout->ScrollToCaret(*this, 0);
    }
    // The caret ends at the bookmark's start.
    if (select) {
        Caret.Paragraph = range.Start.Paragraph;
        Caret.Offset = range.Start.Offset;
        if (TDocumentLayout* layout = GetDocumentLayout())
            layout->UpdateCaret(*this);
    } else {
        GoToPosition(range.Start.Paragraph, range.Start.Offset);
    }
    if (FView)
        FView->SelectBookmarkTab(object->Instruction);
}

void TDocument::GoToPrevBookmark()
{
    if (FRangeObjects.empty())
        return;
    RebuildBookmarkListInTextOrder();
    // The list as that rebuild left it, in text order.
    const TStringList& list = *FBookmarkNames;
    if (list.Count() == 0)
        return;
    const TTextPosition reference =
        HasSelection() ? Selection().Start : TTextPosition{Caret.Paragraph, Caret.Offset};
    int32_t target = list.Count() - 1;
    for (int32_t i = list.Count() - 1; i >= 0; --i) {
        const auto* object = static_cast<const TField*>(list.Objects(i));
        if (CompareTextPos(object->Range.End, reference) < 0) {
            target = i;
            break;
        }
    }
    const std::string name = list.Strings(target);
    GoToBookmark(name, false);
}

void TDocument::GoToNextBookmark()
{
    if (FRangeObjects.empty())
        return;
    RebuildBookmarkListInTextOrder();
    const TStringList& list = *FBookmarkNames;
    if (list.Count() == 0)
        return;
    const TTextPosition reference = HasSelection() ? Selection().End : TTextPosition{Caret.Paragraph, Caret.Offset};
    int32_t target = 0;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const auto* object = static_cast<const TField*>(list.Objects(i));
        if (CompareTextPos(object->Range.Start, reference) > 0) {
            target = i;
            break;
        }
    }
    const std::string name = list.Strings(target);
    GoToBookmark(name, false);
}

void TDocument::FollowHyperlink(const std::string& instruction)
{
    std::string target, toolTip;
    ParseHyperlinkField(instruction, target, toolTip);
    if (target.empty())
        return;
    if (target[0] == '#') {
        GoToBookmark(target.substr(1), false);
        return;
    }
    DocumentHost().FireProgramEvent(HyperlinkEvent);
    // A relative target is relative to the document's folder.
    const std::string folder = FileName.empty() ? std::string() : ExtractFilePath(FileName);
    const std::string previous = GetCurrentDir();
    const bool moved = !folder.empty() && SetCurrentDir(folder);
    try {
        OpenHyperlinkTarget(target);
    } catch (...) {
        if (moved)
            SetCurrentDir(previous);
        throw;
    }
    if (moved)
        SetCurrentDir(previous);
}

// ---------------------------------------------------------------------------
// Operations

void TDocument::InsertBookmark(const std::string& name, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const TTextSelection selection = Selection();
    TTextPosition start = selection.Start;
    TTextPosition end = selection.End;
    if (!HasSelection()) {
        MakeTextPos(Caret.Paragraph, Caret.Offset, start);
        end = start;
    }
    auto object = std::make_unique<TField>(this, rkBookmark);
    object->Instruction = name;
    InsertObject(*this, std::move(object), start, SkipNoAnchor, end, SkipAllAnchors, update, op);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
    update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                        selection.End.Offset);
}

void TDocument::DeleteBookmark(const std::string& name, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TStringList& list = GetBookmarkList();
    const int32_t index = list.IndexOf(name);
    if (index < 0)
        return;
    RemoveRangeObject(static_cast<TField*>(list.Objects(index)), update, op);
}

void TDocument::RemoveHyperlink(TField* field, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!field)
        return;
    const TTextRange text = field->Range;
    RemoveRangeObject(field, update, op);
    if (IsRangeEmpty(text))
        return;
    // The text takes the underline and colour of its paragraph's style.
    TCharFormat styleFormat = DefaultCharFormat();
    TParFormat styleParagraph{};
    if (text.Start.Paragraph >= 0 && text.Start.Paragraph < ParagraphCount())
        if (const TStyle* style = Styles().Find(Paragraphs(text.Start.Paragraph).Format[pfStyle]))
            style->GetFullFormat(styleFormat, styleParagraph, 0);
    TCharFormat format;
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        format[slot] = NotSet;
    format[cfUnderline] = styleFormat[cfUnderline] == NotSet ? 0 : styleFormat[cfUnderline];
    format[cfColor] = styleFormat[cfColor] == NotSet ? 0 : styleFormat[cfColor];
    TUpdateRange local;
    FormatText(text, format, ftfNoSelectionHint, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::RemoveHyperlinksInSelection(TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!HasSelection()) {
        std::string text = "Cette action (\"%s\") ne s'applique qu'à une sélection. Sélectionnez le fragment de "
                           "texte visé et recommencez.";
        text.replace(text.find("%s"), 2, RemoveLinksName);
        MessageShownInOperation = 1;
        ShowInformation(text);
        return;
    }
    const TTextSelection selection = Selection();
    ClearSelection();
    GetBookmarkList();
    std::vector<TField*> links;
    for (auto it = FRangeObjects.rbegin(); it != FRangeObjects.rend(); ++it) {
        TField& object = **it;
        if (IsHyperlink(object) && CompareTextPos(object.Range.Start, selection.End) < 0 &&
            CompareTextPos(object.Range.End, selection.Start) > 0)
            links.push_back(&object);
    }
    for (TField* link : links) {
        TUpdateRange local;
        RemoveHyperlink(link, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
}

void TDocument::RemoveBrokenBookmarkLinks(TUpdateRange& update, TOperation* op)
{
    update.Reset();
    GetBookmarkList();
    std::vector<TField*> broken;
    for (const auto& object : FRangeObjects) {
        if (!IsHyperlink(*object))
            continue;
        std::string target, toolTip;
        ParseHyperlinkField(object->Instruction, target, toolTip);
        if (!target.empty() && target[0] == '#' && !BookmarkNameExists(target.substr(1)))
            broken.push_back(object.get());
    }
    if (broken.empty())
        return;
    MessageShownInOperation = 1;
    if (ShowMessageDlg("Certains liens hypertextes sont associés à des signets qui ne sont plus présents dans ce "
                       "document. Voulez-vous qu'Eldravin désactive ces liens hypertextes ?",
                       mtConfirmation, mbYesNo) != mrYes)
        return;
    ClearSelection();
    for (TField* link : broken) {
        TUpdateRange local;
        RemoveHyperlink(link, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
}

void TDocument::InsertHyperlink(const std::string& instruction, const std::string& displayText,
                                TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TTextRange range;
    if (HasSelection() && displayText.empty()) {
        range.Start = Selection().Start;
        range.End = Selection().End;
    } else {
        range.Start = HasSelection() ? Selection().Start : TTextPosition{Caret.Paragraph, Caret.Offset};
        // The display text goes in as it is: no space adjustment around it.
        TDocumentHost& host = DocumentHost();
        const bool spaces = host.SpaceAdjustment();
        host.SetSpaceAdjustment(false);
        BeginChange(chfInsertingLink);
        try {
            TMemory text;
            text.Append(displayText.data(), static_cast<int32_t>(displayText.size()));
            TUpdateRange local;
            InsertText(text, 0, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        } catch (...) {
            EndChanges(1);
            host.SetSpaceAdjustment(spaces);
            throw;
        }
        EndChanges(1);
        host.SetSpaceAdjustment(spaces);
        MakeTextPos(Caret.Paragraph, Caret.Offset, range.End);
    }
    auto object = std::make_unique<TField>(this, rkField);
    object->Type = fkHyperlink;
    object->Instruction = instruction;
    TUpdateRange local;
    InsertObject(*this, std::move(object), range.Start, SkipAllAnchors, range.End, SkipAllAnchors, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    if (!IsRangeEmpty(range)) {
        FormatText(range, DocumentHost().HyperlinkCharFormat(), ftfNoSelectionHint, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::DeleteField(TField* field, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!field)
        return;
    const TTextRange range = field->Range;
    RemoveRangeObject(field, update, op);
    // The entry links and page references of a table of contents go with it.
    std::vector<TField*> inside;
    for (const auto& object : FRangeObjects)
        if (object->Kind == rkField && (object->Type == fkPageRef || object->Type == fkHyperlink) &&
            CompareTextPos(object->Range.Start, range.Start) >= 0 && CompareTextPos(object->Range.Start, range.End) < 0)
            inside.push_back(object.get());
    for (TField* object : inside) {
        TUpdateRange local;
        RemoveRangeObject(object, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }
}

TField* TDocument::InsertField(uint8_t type, const std::string& instruction, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const TTextPosition start = HasSelection() ? Selection().Start : TTextPosition{Caret.Paragraph, Caret.Offset};
    TMemory text;
    text.AppendByte('?');
    TUpdateRange local;
    InsertText(text, 0, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    // The "?" replaced a selection: the selection, which still names the
    // replaced text, becomes the caret behind the "?" (clearing it would put
    // the caret, and the field's end, at the start of the document).
    const TTextPosition end{Caret.Paragraph, Caret.Offset};
    if (HasSelection())
        SetSelection(end.Paragraph, end.Offset, end.Paragraph, end.Offset);
    TTextPosition first = end;
    first.Offset = std::max(end.Offset - 1, 0);
    if (CompareTextPos(start, first) > 0)
        first = start;

    auto object = std::make_unique<TField>(this, rkField);
    TField* field = object.get();
    field->Type = type;
    field->Instruction = type < FieldKeywordCount ? FieldKeywords[type] : "?";
    if (!instruction.empty())
        field->Instruction += " " + instruction;
    InsertObject(*this, std::move(object), first, SkipAllAnchors, end, SkipNoAnchor, local, op);
    FUndoManager->MergeUpdateRange(update, local);
    LastInsertedField = field->Handle();
    update.SetCaret(field->Range.End.Paragraph, field->Range.End.Offset, NotSet);
    return field;
}
