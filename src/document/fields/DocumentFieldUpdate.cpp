// TDocument: field update. The results of the fields of a range are computed
// again; each one that differs from the text between its field's anchors
// replaces that text, undoably, keeping the field, its anchors and the format
// of its first result character.
#include "document/model/Document.h"

#include "document/model/DocumentHost.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "foundation/Memory.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace {

// The change brackets of the replacement of one result.
constexpr int32_t chfDetachingResult = 0x48;
constexpr int32_t chfReadingResultFormat = 0x4C;
constexpr int32_t chfReplacingResult1 = 0x29;
constexpr int32_t chfReplacingResult2 = 0x45;

const char* const NoResultText = "Aucun(e)";

// One queued result.
struct TFieldResult {
    std::string Text;
    int32_t Language = NotSet;
    TTextRange Range;
    TField* Field = nullptr;
};

// Raises change flags and ends them however the block ends.
class TChangeBracket {
public:
    TChangeBracket(TDocument& document, std::initializer_list<int32_t> flags) : FDocument(document)
    {
        for (int32_t flag : flags) {
            FDocument.BeginChange(flag);
            ++FCount;
        }
    }
    ~TChangeBracket() { FDocument.EndChanges(FCount); }
    TChangeBracket(const TChangeBracket&) = delete;
    TChangeBracket& operator=(const TChangeBracket&) = delete;

private:
    TDocument& FDocument;
    int32_t FCount = 0;
};

// Sets a byte of the document for the lifetime of the object.
class TByteFlag {
public:
    TByteFlag(uint8_t& flag, uint8_t value) : FFlag(flag), FSaved(flag) { FFlag = value; }
    ~TByteFlag() { FFlag = FSaved; }
    TByteFlag(const TByteFlag&) = delete;
    TByteFlag& operator=(const TByteFlag&) = delete;

private:
    uint8_t& FFlag;
    uint8_t FSaved;
};

// The page (0-based) of the line that holds the character, and the line;
// -1 when the paragraph is not placed.
int32_t PageOfChar(const TParagraph& paragraph, int32_t offset, const TParLine** line = nullptr)
{
    const int32_t index = paragraph.FindLineOfChar(offset, 0, false);
    if (index < 0 || index >= paragraph.GetLineCount())
        return -1;
    const TParLine& found = paragraph.GetLine(index);
    if (line)
        *line = &found;
    return found.Page ? found.Page->Index : -1;
}

// The section values kept in the two trailing slots: the page-number style
// and the first page number (-1: the numbering runs on).
int32_t PageNumberStyle(const TSection& section)
{
    return section.Trailing[0];
}
int32_t PageNumberStart(const TSection& section)
{
    return section.Trailing[1];
}

class TFieldUpdater {
public:
    TFieldUpdater(TDocument& document, const TFieldTypeSet& types) : FDocument(document), FTypes(types) {}

    std::vector<TFieldResult> Queue;

    void UpdateParagraph(int32_t index, int32_t from, int32_t to);

private:
    bool IsComplexResult(const TField& field) const;
    void Evaluate(TField& field, TFieldResult& result);
    void EvaluateStyleRef(TField& field, TFieldResult& result);
    int32_t FindStyledParagraph(int32_t first, int32_t last, bool forwards, int32_t style) const;
    void QueueResult(TFieldResult& result);
    void EnsureStatistics();
    int32_t LanguageAtFieldStart(const TField& field);
    TFormatSettings DateSettingsOf(const TField& field);
    TSection& Section();
    std::string PageNumberText(TField& field, int32_t number);
    bool InHeaders(const TField& field) const
    {
        return FDocument.GetStoryOfParagraph(field.Range.Start.Paragraph) == stHeadersFooters;
    }

    TDocument& FDocument;
    const TFieldTypeSet& FTypes;
    bool FHaveStatistics = false;
    TDocStatistics FStatistics;
};

TSection& TFieldUpdater::Section()
{
    return *FDocument.EvaluationSection;
}

void TFieldUpdater::UpdateParagraph(int32_t index, int32_t from, int32_t to)
{
    TParagraph& paragraph = FDocument.Paragraphs(index);
    TSection* const saved = FDocument.EvaluationSection;
    if (!saved)
        FDocument.EvaluationSection = &FDocument.GetSectionOfParagraph(index);
    try {
        if (!paragraph.GetNormalizedFlag())
            paragraph.NormalizeControlCodes();
        // The end anchors of the paragraph's fields from `from` to `to`, then
        // taken from the last to the first.
        std::vector<TField*> ends;
        for (TRecordCursor cursor(paragraph); cursor.Next() && cursor.Chars() <= to;) {
            const TInlineControl& record = cursor.Record();
            if (record.Code == icRangeEnd && cursor.Chars() >= from) {
                TField* field = FDocument.Objects().GetField(record.Argument);
                if (field && field->Kind == rkField && FieldTypeInSet(FTypes, field->Type))
                    ends.push_back(field);
            }
        }
        const bool headers = FDocument.GetStoryOfParagraph(index) == stHeadersFooters;
        for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
            TField& field = **it;
            if (headers && IsComplexResult(field))
                continue;
            TFieldResult result;
            result.Field = &field;
            result.Range = field.Range;
            Evaluate(field, result);
            QueueResult(result);
        }
    } catch (...) {
        FDocument.EvaluationSection = saved;
        throw;
    }
    FDocument.EvaluationSection = saved;
}

bool TFieldUpdater::IsComplexResult(const TField& field) const
{
    if (field.Range.Start.Paragraph != field.Range.End.Paragraph)
        return true;
    const TParagraph& paragraph = FDocument.Paragraphs(field.Range.Start.Paragraph);
    bool inside = false;
    for (TRecordCursor cursor(paragraph); cursor.Next();) {
        const TInlineControl& record = cursor.Record();
        const TField* object = IsAnchorCode(record.Code) ? FDocument.Objects().GetField(record.Argument) : nullptr;
        if (object == &field) {
            if (record.Code == icRangeEnd)
                return false;
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (IsAnchorCode(record.Code))
            return true;
        if (IsCharacterCode(record.Code)) {
            switch (PlainCharOfControl(record)) {
            case scParagraphMark: case scSectionBreak: case scColumnBreak: case scLineBreak: case scPageBreak:
            case scPicture: case scOleObject: case scReaderSpecial:
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

int32_t TFieldUpdater::LanguageAtFieldStart(const TField& field)
{
    TChangeBracket bracket(FDocument, {chfReadingResultFormat});
    return FDocument.GetLanguageAt(field.Range.Start.Paragraph, field.Range.Start.Offset + 1);
}

// Dates are written in the language of the field's first result character:
// its month and day names and its date pictures.
TFormatSettings TFieldUpdater::DateSettingsOf(const TField& field)
{
    const int32_t language = LanguageAtFieldStart(field);
    return GetLocaleFormatSettings(language == NotSet ? 0 : static_cast<LCID>(language));
}

void TFieldUpdater::EnsureStatistics()
{
    if (FHaveStatistics)
        return;
    const TTextSelection selection = FDocument.Selection();
    const TCaret caret = FDocument.Caret;
    TTextRange body;
    FDocument.GetBodyRange(body);
    TByteFlag quick(FDocument.CountingFieldStatistics, 1);
    FDocument.SetSelection(body.Start.Paragraph, body.Start.Offset, body.End.Paragraph, body.End.Offset,
                           ssfNoNotify);
    try {
        FDocument.ComputeStatistics(FStatistics);
    } catch (...) {
        FDocument.SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                               selection.End.Offset, ssfNoNotify);
        FDocument.Caret = caret;
        throw;
    }
    FDocument.SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                           selection.End.Offset, ssfNoNotify);
    FDocument.Caret = caret;
    FHaveStatistics = true;
}

std::string TFieldUpdater::PageNumberText(TField& field, int32_t number)
{
    return field.FormatNumber(number, PageNumberStyle(Section()));
}

void TFieldUpdater::Evaluate(TField& field, TFieldResult& result)
{
    result.Text.clear();
    result.Language = NotSet;
    if (FDocument.RestoringFieldResults) {
        result.Text = field.KeptResult;
    } else {
        TDocument& d = FDocument;
        const TDocProperties& properties = d.Properties;
        const bool frozen = InHeaders(field) || d.StatisticsFrozen;
        switch (field.Type) {
        case fkStyleRef:
            EvaluateStyleRef(field, result);
            break;
        case fkTitle:
            result.Text = properties.Title;
            break;
        case fkSubject:
            result.Text = properties.Subject;
            break;
        case fkKeywords:
            result.Text = properties.Keywords;
            break;
        case fkComments:
            result.Text = properties.Comments;
            break;
        case fkAuthor:
            result.Text = d.UseProgramUser ? DocumentHost().UserName() : properties.Author;
            break;
        case fkLastSavedBy:
            if (d.UseProgramUser)
                result.Text = DocumentHost().UserName();
            else if (!properties.LastAuthor.empty() || d.KeepsLastAuthor)
                result.Text = properties.LastAuthor;
            else
                result.Text = properties.Author;
            break;
        case fkCreateDate:
        case fkSaveDate:
        case fkPrintDate: {
            const TDateTime date = field.Type == fkCreateDate ? properties.Created
                                   : field.Type == fkSaveDate ? properties.LastSaved
                                                              : properties.LastPrinted;
            result.Text = field.FormatDate(DateSettingsOf(field), date);
            break;
        }
        case fkDate:
        case fkTime:
            result.Text = field.FormatDate(DateSettingsOf(field), Now());
            break;
        case fkNumPages:
            result.Text = field.FormatNumber(frozen ? d.FieldStatistics[0] : std::max(d.PageCount(), 1), 255);
            break;
        case fkNumWords:
        case fkNumChars: {
            int32_t value;
            if (frozen) {
                value = d.FieldStatistics[field.Type == fkNumWords ? 1 : 2];
            } else {
                EnsureStatistics();
                value = field.Type == fkNumWords ? FStatistics.Words : FStatistics.CharsWithoutSpaces;
            }
            result.Text = field.FormatNumber(value, 255);
            break;
        }
        case fkFileName:
            result.Text = HasFieldSwitch(field.Instruction, "\\p") ? d.FileName : ExtractFileName(d.FileName);
            break;
        case fkPage: {
            int32_t number = 1;
            if (d.StampingPage) {
                number = d.StampedPageNumber;
            } else {
                const int32_t page =
                    PageOfChar(d.Paragraphs(field.Range.Start.Paragraph), field.Range.Start.Offset);
                number = page >= 0 ? page + 1 : 1;
            }
            // The section that restarts the numbering: the current one, or the
            // nearest one before it that has a start number.
            const TSection* numbering = &Section();
            while (PageNumberStart(*numbering) == -1 && numbering->Number > 0 && numbering->FirstParagraph > 0)
                numbering = &d.GetSectionOfParagraph(numbering->FirstParagraph - 1);
            const int32_t start = PageNumberStart(*numbering);
            if (start != -1) {
                const int32_t firstPage = numbering->FirstParagraph < d.ParagraphCount()
                                              ? PageOfChar(d.Paragraphs(numbering->FirstParagraph), 0)
                                              : -1;
                const int64_t value = firstPage >= 0 ? static_cast<int64_t>(number) - 1 - firstPage + start
                                                     : static_cast<int64_t>(number) - d.PageCount() + start;
                number = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
            }
            result.Text = PageNumberText(field, number);
            break;
        }
        case fkPageRef: {
            result.Text = "?";
            bool hasH = false, hasP = false;
            std::string name;
            ParsePageRefField(field.Instruction, hasH, hasP, name);
            TStringList& bookmarks = d.GetBookmarkList();
            const int32_t index = name.empty() ? -1 : bookmarks.IndexOf(name);
            if (index < 0)
                break;
            const auto* bookmark = static_cast<const TField*>(bookmarks.Objects(index));
            if (!bookmark || bookmark->Range.Start.Paragraph < 0 ||
                bookmark->Range.Start.Paragraph >= d.ParagraphCount())
                break;
            const TParLine* markLine = nullptr;
            const int32_t markPage =
                PageOfChar(d.Paragraphs(bookmark->Range.Start.Paragraph), bookmark->Range.Start.Offset, &markLine);
            if (markPage < 0)
                break;
            if (hasP && !InHeaders(field)) {
                const TParLine* fieldLine = nullptr;
                const int32_t fieldPage =
                    PageOfChar(d.Paragraphs(field.Range.Start.Paragraph), field.Range.Start.Offset, &fieldLine);
                if (fieldPage == markPage && fieldLine) {
                    const bool above =
                        markLine->Top < fieldLine->Top ||
                        (markLine == fieldLine && CompareTextPos(bookmark->Range.Start, field.Range.Start) < 0);
                    result.Text = above ? "ci-dessus" : "ci-dessous";
                } else {
                    result.Text = "en page " + PageNumberText(field, markPage + 1);
                }
            } else {
                result.Text = PageNumberText(field, markPage + 1);
            }
            break;
        }
        case fkSection:
            result.Text = field.FormatNumber(Section().Number + 1, 255);
            break;
        case fkSectionPages:
            result.Text = field.FormatNumber(frozen ? Section().PageCount : Section().GetPageCount(), 255);
            break;
        case fkFileSize: {
            int64_t size = d.FileState.SizeAtLoad;
            if (HasFieldSwitch(field.Instruction, "\\k"))
                size /= 1024;
            else if (HasFieldSwitch(field.Instruction, "\\m"))
                size /= 1048576;
            result.Text = field.FormatNumber(static_cast<int32_t>(std::clamp<int64_t>(size, 0, INT32_MAX)), 255);
            break;
        }
        default:
            break;
        }
        result.Text = field.ApplyCaseSwitch(result.Text);
    }
    if (static_cast<int32_t>(result.Text.size()) > MaxFieldResultLength)
        result.Text.resize(static_cast<size_t>(MaxFieldResultLength));
}

int32_t TFieldUpdater::FindStyledParagraph(int32_t first, int32_t last, bool forwards, int32_t style) const
{
    if (first > last)
        return -1;
    auto matches = [&](int32_t index) {
        const TParagraph& paragraph = FDocument.Paragraphs(index);
        return paragraph.Format[pfStyle] == style && paragraph.GetCharCount() > 1;
    };
    if (forwards) {
        for (int32_t index = first; index <= last; ++index)
            if (matches(index))
                return index;
    } else {
        for (int32_t index = last; index >= first; --index)
            if (matches(index))
                return index;
    }
    return -1;
}

void TFieldUpdater::EvaluateStyleRef(TField& field, TFieldResult& result)
{
    std::string name;
    const bool local = ParseLocalLinkField(field.Instruction, name);
    TStyleList& styles = FDocument.Styles();
    int32_t style = styles.IndexOfName(name);
    if (style < 0)
        style = styles.IndexOfDisplayName(name);
    int32_t found = -1;
    if (style >= 0) {
        const int32_t bodyLast = FDocument.StoryLast(stBody);
        if (FDocument.StampingPage) {
            const auto& pages = FDocument.Pages();
            const int32_t pageIndex = FDocument.StampedPageNumber - 1;
            // The last paragraph of the page's body text.
            auto lastBodyParagraph = [&](const TPage& page) {
                for (int32_t i = static_cast<int32_t>(page.Ranges.size()) - 1; i >= 0; --i) {
                    const int32_t paragraph = page.RangeParagraphIndex(i);
                    if (paragraph >= 0 && paragraph <= bodyLast)
                        return paragraph;
                }
                return -1;
            };
            if (pageIndex >= 0 && pageIndex < static_cast<int32_t>(pages.size())) {
                const TPage& page = *pages[static_cast<size_t>(pageIndex)];
                const int32_t first = page.FirstParagraph();
                const int32_t last = lastBodyParagraph(page);
                if (first >= 0 && last >= first) {
                    found = FindStyledParagraph(first, last, !local, style);
                    if (found < 0)
                        found = FindStyledParagraph(0, first - 1, false, style);
                    if (found < 0)
                        found = FindStyledParagraph(last + 1, bodyLast, true, style);
                }
            } else if (!pages.empty()) {
                int32_t last = lastBodyParagraph(*pages.back());
                if (last < 0 && pages.size() >= 2)
                    last = lastBodyParagraph(*pages[pages.size() - 2]);
                if (last >= 0) {
                    found = FindStyledParagraph(0, last, false, style);
                    if (found < 0)
                        found = FindStyledParagraph(last + 1, bodyLast, true, style);
                }
            }
        } else {
            found = FindStyledParagraph(0, std::min(field.Range.Start.Paragraph - 1, bodyLast), false, style);
            if (found < 0)
                found = FindStyledParagraph(field.Range.End.Paragraph + 1, bodyLast, true, style);
        }
    }
    if (found >= 0) {
        const TParagraph& paragraph = FDocument.Paragraphs(found);
        result.Text = FDocument.GetTextRun(found, 0, paragraph.GetCharCount() - 1);
        result.Language = FDocument.GetLanguageAt(found, 1);
        return;
    }
    std::string shown = name;
    if (style >= 0)
        shown = styles[style].DisplayName.empty() ? styles[style].Name : styles[style].DisplayName;
    result.Text = "Aucun paragraphe de style \"" + shown + "\" n'a pu être trouvé !";
}

void TFieldUpdater::QueueResult(TFieldResult& result)
{
    const size_t cr = result.Text.find('\r');
    if (cr != std::string::npos)
        result.Text.resize(cr);
    if (result.Text.empty())
        result.Text = NoResultText;
    const TField& field = *result.Field;
    bool differs = result.Text != FDocument.GetRangeText(field.Range);
    if (!differs && result.Language != NotSet)
        differs = result.Language != LanguageAtFieldStart(field);
    if (differs)
        Queue.push_back(result);
}

bool InRangeObjectList(const TDocument& document, const TField* field)
{
    for (const auto& object : document.RangeObjects())
        if (object.get() == field)
            return true;
    return false;
}

}  // namespace

void TDocument::UpdateFields(const TTextRange& range, const TFieldTypeSet& types, TUpdateRange& update,
                             TOperation* op)
{
    update.Reset();
    if (ParagraphCount() == 0)
        return;

    // 1. Results that depend on pages are computed on fresh pages.
    if (!StampingPage && !RestoringFieldResults && (types & PageDependentFieldTypes()).any() &&
        GetDocumentLayout()) {
        ReformatingManager().ReformatPending();
        Paginate(0, INT32_MAX, 0);
    }

    // 2. The fields of the range, each paragraph's from its last to its first.
    TFieldUpdater updater(*this, types);
    const int32_t first = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(range.End.Paragraph, first, ParagraphCount() - 1);
    for (int32_t index = first; index <= last; ++index) {
        const int32_t count = Paragraphs(index).GetCharCount();
        const int32_t from = index == range.Start.Paragraph ? std::clamp(range.Start.Offset, 0, count) : 0;
        const int32_t to = index == range.End.Paragraph ? std::clamp(range.End.Offset, 0, count) : count;
        updater.UpdateParagraph(index, from, to);
    }

    // 3. The bookmarks; in headers and footers only their paragraphs are
    // scanned again after each replacement.
    GetBookmarkList();
    const bool partial = GetStoryOfParagraph(first) == stHeadersFooters;
    if (partial) {
        BookmarkRescanFirst = first;
        BookmarkRescanLast = last;
    }

    // 4. The replacements.
    TTextPosition caret{Caret.Paragraph, Caret.Offset};
    TTextPosition selectionStart = Selection().Start;
    TTextPosition selectionEnd = Selection().End;
    try {
        for (TFieldResult& result : updater.Queue) {
            TField* field = result.Field;
            // A field that went with the result of another one updated before.
            if (!InRangeObjectList(*this, field))
                continue;
            const TTextRange old = field->Range;
            TUpdateRange local;
            {
                TChangeBracket bracket(*this, {chfDetachingResult});
                TByteFlag keep(KeepSpanningObject, 1);
                DetachAnchors(old.Start, old.End, false, local, op);
                UndoManager().MergeUpdateRange(update, local);
            }
            bool reattached = false;
            try {
                TCharFormat format;
                {
                    TChangeBracket bracket(*this, {chfReadingResultFormat});
                    GetCharFormatAt({old.Start.Paragraph, old.Start.Offset + 1}, format);
                    if (result.Language != NotSet)
                        format[cfLanguage] = result.Language;
                }
                TTextPosition newEnd;
                {
                    TChangeBracket bracket(*this, {chfReplacingResult1, chfReplacingResult2});
                    TByteFlag keepRanges(KeepRanges, 1);
                    TByteFlag noLinkCheck(NoHyperlinkCheck, 1);
                    TMemory text;
                    text.Append(result.Text.data(), static_cast<int32_t>(result.Text.size()));
                    ReplaceText(old.Start, old.End, local, op, 0, text);
                    UndoManager().MergeUpdateRange(update, local);
                    MakeTextPos(Caret.Paragraph, Caret.Offset, newEnd);
                }
                // The caret and the selection follow the end of the result.
                for (TTextPosition* position : {&caret, &selectionStart, &selectionEnd}) {
                    if (CompareTextPos(*position, old.End) < 0)
                        continue;
                    if (position->Paragraph == old.End.Paragraph)
                        position->Offset += newEnd.Offset - old.End.Offset;
                    position->Paragraph += newEnd.Paragraph - old.End.Paragraph;
                }
                if (CompareTextPos(newEnd, old.End) != 0 || result.Language != NotSet) {
                    FormatText({old.Start, newEnd}, format, ftfNoSelectionHint, local, op);
                    UndoManager().MergeUpdateRange(update, local);
                }
                reattached = true;
                ReattachAnchors(old.Start, newEnd, local, op);
                UndoManager().MergeUpdateRange(update, local);
            } catch (...) {
                if (!reattached && !FDetachedAnchors.empty())
                    FDetachedAnchors.pop_back();
                throw;
            }
        }
    } catch (...) {
        if (partial) {
            BookmarkRescanFirst = NotSet;
            BookmarkListDirty = 1;
        }
        throw;
    }

    // 5. Headers and footers: their bookmarks once more, then a full scan
    // again next time.
    if (partial) {
        BookmarkListDirty = 1;
        GetBookmarkList();
        BookmarkRescanFirst = NotSet;
        BookmarkRescanLast = NotSet;
    }

    // 6. The caret and the selection where they were, within the part edited.
    TTextRange edit;
    GetEditRange(edit);
    const int32_t lastParagraph = std::clamp(edit.End.Paragraph, 0, ParagraphCount() - 1);
    auto limit = [&](TTextPosition& position, bool beforeMark) {
        position.Paragraph = std::clamp(position.Paragraph, 0, lastParagraph);
        const int32_t count = Paragraphs(position.Paragraph).GetCharCount();
        position.Offset = std::clamp(position.Offset, 0, beforeMark ? std::max(count - 1, 0) : count);
    };
    limit(caret, true);
    limit(selectionStart, false);
    limit(selectionEnd, false);
    Caret.Paragraph = caret.Paragraph;
    Caret.Offset = caret.Offset;
    update.SetCaret(caret.Paragraph, caret.Offset, NotSet);
    update.SetViewHints(selectionStart.Paragraph, selectionStart.Offset, selectionEnd.Paragraph,
                        selectionEnd.Offset);
}

// ---------------------------------------------------------------------------
// Fields and pages

void TDocument::StampFields(const TTextRange& range, const TFieldTypeSet& types, int32_t pageNumber,
                            TSection* section)
{
    // Most headers and footers hold no field: nothing to do then.
    if (ParagraphCount() == 0)
        return;
    bool any = false;
    const int32_t first = std::clamp(range.Start.Paragraph, 0, ParagraphCount() - 1);
    const int32_t last = std::clamp(range.End.Paragraph, first, ParagraphCount() - 1);
    for (int32_t index = first; index <= last && !any; ++index) {
        for (TRecordCursor cursor(Paragraphs(index)); !any && cursor.Next();) {
            const TInlineControl& record = cursor.Record();
            if (record.Code != icRangeEnd)
                continue;
            const TField* field = FObjects.GetField(record.Argument);
            any = field && field->Kind == rkField && FieldTypeInSet(types, field->Type);
        }
    }
    if (!any)
        return;

    // What the edit machinery of the replacements changes besides the text:
    // the user's caret, selection and typing formats, the re-layout queue and
    // the spelling state. Stamping a page shows it, it does not edit.
    const TCaret caret = Caret;
    const TTextSelection selection = FSelection;
    const TCharFormat preceding = PrecedingFormat;
    const TCharFormat following = FollowingFormat;
    const TCharFormat insert = InsertFormat;
    const TCharFormat position = PositionFormat;
    const TCharFormat deletedStart = DeletedStartFormat;
    const TCharFormat selChar = SelCharFormat;
    const TParFormat selPar = SelParFormat;
    const TBackgroundSpellState spelling = SpellState;
    const uint8_t relayout = RelayoutPending;
    const std::vector<int32_t> queued = ReformatingManager().Queue();
    const uint8_t stamping = StampingPage;
    const int32_t stampedNumber = StampedPageNumber;
    TSection* const evaluation = EvaluationSection;

    auto restore = [&]() noexcept {
        StampingPage = stamping;
        StampedPageNumber = stampedNumber;
        EvaluationSection = evaluation;
        // The paragraphs stamped are the caller's to lay out.
        std::vector<int32_t> added;
        for (int32_t index : ReformatingManager().Queue())
            if (std::find(queued.begin(), queued.end(), index) == queued.end())
                added.push_back(index);
        for (int32_t index : added)
            ReformatingManager().RemoveParagraph(index);
        RelayoutPending = relayout;
        SpellState = spelling;
        try {
            SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                         selection.End.Offset, ssfNoNotify);
        } catch (...) {
            // The selection stood in the document before; it still does.
        }
        FSelection = selection;
        Caret = caret;
        PrecedingFormat = preceding;
        FollowingFormat = following;
        InsertFormat = insert;
        PositionFormat = position;
        DeletedStartFormat = deletedStart;
        SelCharFormat = selChar;
        SelParFormat = selPar;
    };

    StampingPage = 1;
    StampedPageNumber = pageNumber;
    EvaluationSection = section;
    BeginChange(chfStampingFields);
    try {
        TUpdateRange update;
        UpdateFields(range, types, update, nullptr);
    } catch (...) {
        EndChanges(1);
        restore();
        throw;
    }
    EndChanges(1);
    restore();
}

void TDocument::UpdateAllFields(const TTextRange& range)
{
    const bool layout = GetDocumentLayout() != nullptr;
    if (layout) {
        ReformatingManager().ReformatPending();
        PaginateAll();
    }
    TTextRange fields = range;
    TFieldTypeSet types = LayoutDependentFieldTypes();
    ExecuteOperation(docUpdateFields, {&fields, &types});
    if (layout)
        PaginateAll();
}

bool TDocument::HasFieldsOfKinds(const TFieldTypeSet& types) const
{
    for (const auto& object : FRangeObjects)
        if (object->Kind == rkField && FieldTypeInSet(types, object->Type))
            return true;
    return false;
}

void TDocument::UpdateInfoFields()
{
    if (!LinesRebuilt || !HasFieldsOfKinds(LayoutDependentFieldTypes()) || !GetDocumentLayout())
        return;
    const TTextSelection selection = FSelection;
    const TCaret caret = Caret;
    auto putBack = [&] {
        SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                     selection.End.Offset, ssfNoNotify);
        Caret.Paragraph = caret.Paragraph;
        Caret.Offset = caret.Offset;
    };

    // 1. The word and character counts of the body.
    TFieldTypeSet counts;
    counts.set(fkNumWords);
    counts.set(fkNumChars);
    if (HasFieldsOfKinds(counts)) {
        TTextRange body;
        GetBodyRange(body);
        TDocStatistics statistics;
        {
            TByteFlag quick(CountingFieldStatistics, 1);
            SetSelection(body.Start.Paragraph, body.Start.Offset, body.End.Paragraph, body.End.Offset,
                         ssfNoNotify);
            try {
                ComputeStatistics(statistics);
            } catch (...) {
                putBack();
                throw;
            }
        }
        putBack();
        FieldStatistics[1] = statistics.Words;
        FieldStatistics[2] = statistics.CharsWithoutSpaces;
    }

    // 2. The page counts, of the document and of every section, over the
    // whole document.
    PaginateAll();
    FieldStatistics[0] = std::max(PageCount(), 1);
    for (int32_t i = 0; i < SectionCount(); ++i)
        Sections(i).GetPageCount();

    // 3. Every page again, its headers and footers stamped with the counts.
    TDocumentHost& host = DocumentHost();
    host.PushStatus();
    try {
        TByteFlag refreshing(RefreshingInfoFields, 1);
        Paginate(0, INT32_MAX, 0);
    } catch (...) {
        host.PopStatus();
        putBack();
        throw;
    }
    host.PopStatus();
    BeginChange(chfStampingFields);
    try {
        putBack();
        if (TDocumentLayout* layout = GetDocumentLayout())
            layout->UpdateCaret(*this);
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);
    if (FView && !SuppressRepaint)
        FView->Repaint();

    // 4.
    LinesRebuilt = 0;
}
