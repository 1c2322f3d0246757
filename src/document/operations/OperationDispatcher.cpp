// The operation dispatcher: TDocument::ExecuteOperation and the table of the
// 52 operation codes.
#include "document/operations/OperationDispatcher.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/editing/EditingRecords.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "document/steps/FormatObjectOperation.h"
#include "document/steps/FormatStyleListOperation.h"
#include "document/styles/StyleOperations.h"
#include "foundation/MessageDlg.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>

namespace {

[[noreturn]] void RaiseMissingParameter(size_t index)
{
    throw EInternalError("Paramètre " + std::to_string(index) + " absent de l'opération");
}

// --- The routines of this subsystem, as the table calls them ----------------

void RunInsertFragment(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertFragment(ParamRefAs<TMemory>(params, 0), ParamInt(params, 1), update, op, ParamByte(params, 2));
}

void RunInsertText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertText(ParamRefAs<TMemory>(params, 0), ParamByte(params, 1), update, op);
}

void RunReplaceText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    auto* text = static_cast<TMemory*>(ParamPtr(params, 2));
    if (!text)
        RaiseMissingParameter(2);
    document.ReplaceText(ParamRefAs<TTextPosition>(params, 0), ParamRefAs<TTextPosition>(params, 1), update, op,
                         ParamByte(params, 3), *text);
}

void RunChangePageParams(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ChangePageParams(ParamRefAs<TPageParams>(params, 0), ParamRefAs<TTextRange>(params, 1), update, op);
}

void RunFormatParagraphs(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatParagraphs(ParamRefAs<TTextRange>(params, 0), ParamRefAs<TParFormat>(params, 1), update, op);
}

void RunFormatText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatText(ParamRefAs<TTextRange>(params, 0), ParamRefAs<TCharFormat>(params, 1), ParamByte(params, 2),
                        update, op);
}

void RunFormatTabs(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatTabs(ParamRefAs<TTabChange>(params, 0), update, op);
}

void RunResetFormatToStyle(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ResetFormatToStyle(ParamRefAs<TTextRange>(params, 0), ParamByte(params, 1), update, op);
}

// P0: the range to calculate (the selection).
void RunCalculate(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.CalculateExpression(ParamRefAs<TTextRange>(params, 0), false, update, op, nullptr);
}

void RunDeleteRange(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.DeleteRange(ParamRefAs<TTextPosition>(params, 0), ParamRefAs<TTextPosition>(params, 1), update, op,
                         ParamByte(params, 2));
}

void RunFormatSections(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatSections(ParamRefAs<TTextRange>(params, 0), ParamRefAs<TSectionSettings>(params, 1), update, op);
}

// P0: the new instruction (a string), P1: the field's handle.
void RunChangeFieldInstruction(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    TField* field = document.Objects().GetField(ParamInt(params, 1));
    if (!field)
        throw EInternalError("Champ inconnu (" + std::to_string(ParamInt(params, 1)) + ")");
    document.ChangeFieldInstruction(field, ParamRefAs<std::string>(params, 0), update, op);
}

void RunChangeSectionBreak(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ChangeSectionBreak(ParamInt(params, 0), ParamByte(params, 1), update, op);
}

// P0: the range, P1: the change record (a std::unique_ptr<TFormatStyleListInfo>
// that the routine takes).
void RunChangeStyleList(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    auto& info = ParamRefAs<std::unique_ptr<TFormatStyleListInfo>>(params, 1);
    document.ChangeStyleList(ParamRefAs<TTextRange>(params, 0), std::move(info), update, op);
}

// --- Styles and format stepping -----------------------------------------------

// P0: the range, P1: the character slot, P2: the step.
void RunScaleCharAttribute(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ScaleCharAttribute(ParamRefAs<TTextRange>(params, 0), ParamInt(params, 1), ParamInt(params, 2), update,
                                op);
}

// P0: the picked-up formats, P1: not 0 when the record's style is applied.
void RunApplyFormatPainter(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ApplyFormatPainter(ParamRefAs<TFormatPainterRecord>(params, 0), ParamInt(params, 1) != 0, update, op);
}

void RunReducePageCount(TDocument& document, TOperationParams /*params*/, TOperation* op, TUpdateRange& update)
{
    document.ReducePageCount(update, op);
}

// P0: the range, P1: the mode, P2: the amount.
void RunStepParagraphFormat(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.StepParagraphFormat(ParamRefAs<TTextRange>(params, 0), ParamByte(params, 1), ParamInt(params, 2),
                                 update, op);
}

// P0: the range, P1: the style, P2: not 0 to bring the characters to the
// style; optional P3 and P4: the paragraph and character formats that
// replace the style's.
void RunApplyStyle(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ApplyStyleToParagraphs(ParamRefAs<TTextRange>(params, 0), ParamInt(params, 1), update, op,
                                    static_cast<const TParFormat*>(ParamPtr(params, 3)),
                                    static_cast<const TCharFormat*>(ParamPtr(params, 4)), ParamByte(params, 2) != 0);
}

void RunUpdateStyleFromSelection(TDocument& document, TOperationParams /*params*/, TOperation* op,
                                 TUpdateRange& update)
{
    document.UpdateStyleFromSelection(update, op);
}

// P0: the table-of-contents options.
void RunBuildTableOfContents(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    int32_t entries = 0;
    document.BuildTableOfContents(ParamRefAs<TTOCOptions>(params, 0), entries, update, op);
}

void RunSortParagraphs(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.SortParagraphs(ParamInt(params, 0), ParamInt(params, 1), ParamByte(params, 2), update, op);
}

void RunFormatObject(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatObject(ParamRefAs<TTextPosition>(params, 0), ParamRefAs<TObjectFormat>(params, 1), update, op);
}

void RunChangeDefaultLanguage(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ChangeDefaultLanguage(ParamInt(params, 0), update, op);
}

// P0: the numbering format and the first number (two 32-bit values).
void RunFormatPageNumbers(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.FormatPageNumbers(ParamRefAs<int32_t[2]>(params, 0), update, op);
}

void RunChangeHyphenationOptions(TDocument& document, TOperationParams params, TOperation* op,
                                 TUpdateRange& update)
{
    document.ChangeHyphenationOptions(ParamRefAs<THyphenationOptions>(params, 0), update, op);
}

// --- Moving and restructuring text ------------------------------------------

// P0: start, P1: end, P2: the target position, P3: flags.
void RunMoveText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    const auto* target = static_cast<const TTextPosition*>(ParamPtr(params, 2));
    if (!target)
        RaiseMissingParameter(2);
    document.MoveText(ParamRefAs<TTextPosition>(params, 0), ParamRefAs<TTextPosition>(params, 1), *target,
                      ParamByte(params, 3), update, op);
}

void RunJoinParagraphs(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.JoinParagraphs(ParamInt(params, 0), ParamInt(params, 1), update, op);
}

void RunSplitParagraphs(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.SplitParagraphs(ParamInt(params, 0), ParamInt(params, 1), update, op);
}

// P0: the mode, P1: the range, P2: flags, P3: the layout or language choice
// (null when the array holds three entries).
void RunTransformText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.TransformText(ParamByte(params, 0), ParamRefAs<TTextRange>(params, 1), ParamByte(params, 2),
                           ParamPtr(params, 3), update, op);
}

// P0: the block selection; P1: the character format (code 3).
void RunFormatBlock(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.BlockOperation(bmFormat, ParamRefAs<TBlockSelection>(params, 0), ParamPtr(params, 1), update, op);
}

void RunDeleteBlock(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.BlockOperation(bmDelete, ParamRefAs<TBlockSelection>(params, 0), nullptr, update, op);
}

void RunBlockSum(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.BlockOperation(bmSum, ParamRefAs<TBlockSelection>(params, 0), nullptr, update, op);
}

// P0: the click-and-type plan.
void RunClickAndType(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ClickAndType(ParamRefAs<TClickAndTypePlan>(params, 0), update, op);
}

// --- Bookmarks, fields and hyperlinks ----------------------------------------

// P0: the bookmark's name.
void RunInsertBookmark(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertBookmark(ParamRefAs<std::string>(params, 0), update, op);
}

// P0: the name of the bookmark to remove.
void RunDeleteBookmark(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.DeleteBookmark(ParamRefAs<std::string>(params, 0), update, op);
}

// The hyperlink at the caret.
void RunRemoveHyperlink(TDocument& document, TOperationParams /*params*/, TOperation* op, TUpdateRange& update)
{
    document.RemoveHyperlink(document.FindFieldAtCaret(fkHyperlink), update, op);
}

void RunRemoveHyperlinksInSelection(TDocument& document, TOperationParams /*params*/, TOperation* op,
                                    TUpdateRange& update)
{
    document.RemoveHyperlinksInSelection(update, op);
}

void RunRemoveBrokenBookmarkLinks(TDocument& document, TOperationParams /*params*/, TOperation* op,
                                  TUpdateRange& update)
{
    document.RemoveBrokenBookmarkLinks(update, op);
}

// P0: the instruction, P1: the display text (both strings).
void RunInsertHyperlink(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertHyperlink(ParamRefAs<std::string>(params, 0), ParamRefAs<std::string>(params, 1), update, op);
}

// P0: the field type. The bookmarks of a table of contents (the targets of
// its entry links, and a bookmark that starts where it starts) are noted
// first, to be offered for deletion when the operation is over.
void RunDeleteField(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.PendingTocBookmarks.clear();
    TField* field = document.FindFieldAtCaret(ParamByte(params, 0));
    if (!field)
        return;
    const TTextRange range = field->Range;
    TStringList& bookmarks = document.GetBookmarkList();
    std::vector<std::string> names;
    auto note = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    const auto& objects = document.RangeObjects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const TField& object = **it;
        if (object.Kind == rkField && object.Type == fkHyperlink &&
            CompareTextPos(range.Start, object.Range.Start) <= 0 && CompareTextPos(object.Range.Start, range.End) < 0) {
            std::string target, toolTip;
            ParseHyperlinkField(object.Instruction, target, toolTip);
            if (target.size() >= 2 && target[0] == '#') {
                const int32_t index = bookmarks.IndexOf(target.substr(1));
                if (index >= 0)
                    note(bookmarks.Strings(index));
            }
        } else if (object.Kind == rkBookmark && CompareTextPos(object.Range.Start, range.Start) == 0) {
            note(object.Instruction);
        }
    }
    document.DeleteField(field, update, op);
    document.PendingTocBookmarks = std::move(names);
}

// P0: the field type, P1: the instruction after the keyword (a string, may be
// missing), P2: where the new field is handed back (TField*, may be missing).
void RunInsertField(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    const auto* instruction = static_cast<const std::string*>(ParamPtr(params, 1));
    TField* field = document.InsertField(ParamByte(params, 0), instruction ? *instruction : std::string(), update, op);
    if (auto** out = static_cast<TField**>(ParamPtr(params, 2)))
        *out = field;
}

// P0: the range, P1: the set of field types.
void RunUpdateFields(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.UpdateFields(ParamRefAs<TTextRange>(params, 0), ParamRefAs<TFieldTypeSet>(params, 1), update, op);
}

// P0: the field type; the field at the caret goes, its text stays.
void RunRemoveFieldRecord(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    update.Reset();
    if (TField* field = document.FindFieldAtCaret(ParamByte(params, 0)))
        document.RemoveRangeObject(field, update, op);
}

// P0: the typed character (byte), P1: the caret position after it.
void RunAutocorrectTypedChar(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.AutocorrectTypedChar(ParamRefAs<TTextPosition>(params, 1), ParamByte(params, 0), op, update);
}

// P0: the range, P1: the kind mask (uint16_t, one bit a correction kind).
void RunAutocorrectRange(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.ApplyAutocorrectToRange(ParamRefAs<TTextRange>(params, 0), ParamRefAs<uint16_t>(params, 1), op, update);
}

// The last recorded operation joins the one before it: one undo takes both.
void JoinLastOperation(TDocument& document)
{
    TOperationManager& undo = document.UndoManager();
    if (document.OperationRecorded && undo.CurrentIndex() >= 0)
        undo.Operations(undo.CurrentIndex()).Joined = 1;
}

// After an inserted field: its result, as part of the same action, and the
// caret after it.
void UpdateInsertedField(TDocument& document, TOperationParams /*params*/)
{
    TField* field = document.Objects().GetField(document.LastInsertedField);
    if (!field)
        return;
    TTextRange range = field->Range;
    TFieldTypeSet types;
    if (field->Type < types.size())
        types.set(field->Type);
    document.KindOverride = 50;
    document.ExecuteOperation(docUpdateFields, {&range, &types});
    document.KindOverride = 255;
    field = document.Objects().GetField(document.LastInsertedField);
    if (!field)
        return;
    const TTextPosition end = field->Range.End;
    if (document.OperationRecorded) {
        JoinLastOperation(document);
        TOperation& op = document.UndoManager().Operations(document.UndoManager().CurrentIndex());
        op.CaretAfter[0] = end.Paragraph;
        op.CaretAfter[1] = end.Offset;
    }
    document.GoToPosition(end.Paragraph, end.Offset);
}

// Field update over a range for a set of field types, recorded under a kind
// and joined to the operation before it.
void UpdateFieldsJoined(TDocument& document, TTextRange range, std::initializer_list<uint8_t> types, uint8_t kind)
{
    TFieldTypeSet set;
    for (uint8_t type : types)
        set.set(type);
    document.KindOverride = kind;
    try {
        document.ExecuteOperation(docUpdateFields, {&range, &set});
    } catch (...) {
        document.KindOverride = 255;
        throw;
    }
    document.KindOverride = 255;
    JoinLastOperation(document);
}

// After a table of contents was built: its page references show the pages
// of the headings, as part of the same action.
void UpdateTableOfContentsPages(TDocument& document, TOperationParams /*params*/)
{
    if (document.TocEntryCount <= 0)
        return;
    // The table's field, found one character before the caret.
    TTextPosition before;
    MakeTextPos(document.Caret.Paragraph, std::max(document.Caret.Offset - 1, 0), before);
    TField* table = document.FindRangeAt(before, fkTOC, rkField);
    if (!table)
        return;
    document.ClearPageList();
    document.PaginationComplete = 0;
    document.PaginateAll();
    UpdateFieldsJoined(document, table->Range, {fkPageRef}, 49);
}

// No table of contents could be made: the user is told why.
void ReportEmptyTableOfContents(TDocument& document, TOperationParams /*params*/)
{
    if (document.TocEntryCount > 0)
        return;
    ShowMessageDlg("Aucun paragraphe n'est associé à un style de type \"Titre\".||En conséquence, Eldravin "
                   "n'a pas pu créer de table des matières pour ce document.||||Remarque : Eldravin recherche "
                   "les styles de type \"Titre\" à partir de la position actuelle du curseur et procède "
                   "jusqu'à la fin du document, ou bien jusqu'à la rencontre d'une autre table des "
                   "matières. Il est peut-être nécessaire de changer l'emplacement actuel du curseur, ou "
                   "d'associer les paragraphes adéquats avec des styles de type \"Titre\".",
                   mtInformation, mbOK);
}

// After the page numbering changed: the page numbers of the sections
// concerned show it, as part of the same action.
void UpdatePageNumberFields(TDocument& document, TOperationParams /*params*/)
{
    UpdateFieldsJoined(document, document.PageNumberingScope(), {fkPage, fkPageRef}, 56);
}

// After a deleted table of contents: its bookmarks too, when the user wants.
void AskDeleteTocBookmarks(TDocument& document, TOperationParams /*params*/)
{
    std::vector<std::string> names = std::move(document.PendingTocBookmarks);
    document.PendingTocBookmarks.clear();
    if (names.empty())
        return;
    if (ShowMessageDlg("Eldravin est en train de supprimer une table des matières.||||Voulez-vous que les signets "
                       "correspondants soient eux aussi supprimés ?",
                       mtConfirmation, mbYesNo) != mrYes)
        return;
    for (std::string& name : names) {
        document.KindOverride = 51;
        document.ExecuteOperation(docDeleteBookmark, {&name});
        document.KindOverride = 255;
        JoinLastOperation(document);
    }
}

// --- Follow-ups and end steps ----------------------------------------------

// A language given to text: the text is checked for spelling at once when it
// is short enough, and the background check starts again.
void CheckSpellingAfterLanguage(TDocument& document, TOperationParams params)
{
    if (ParamRefAs<TCharFormat>(params, 1)[cfLanguage] == NotSet)
        return;
    TTextRange range = ParamRefAs<TTextRange>(params, 0);
    if (IsRangeEmpty(range)) {
        MakeTextPos(document.Caret.Paragraph, document.Caret.Offset, range.Start);
        range.End = range.Start;
    }
    const bool empty = IsRangeEmpty(range);
    if (!(empty && !DocumentHost().EmptySelectionTakesWord()) && range.End.Paragraph - range.Start.Paragraph <= 10)
        DocumentHost().CheckSpelling(document, range);
    document.RestartSpellCheck();
}

// Formats changed at the caret: the window's caret takes its new shape.
void RecreateCaretAfterFormat(TDocument& document, TOperationParams /*params*/)
{
    if (!document.CaretMetricsChanged)
        return;
    if (TDocumentView* view = document.View())
        view->RecreateCaret();
    DocumentHost().RequestLayout();
}

void RestartSpellCheckAfter(TDocument& document, TOperationParams /*params*/)
{
    document.RestartSpellCheck();
}

void RunPaste(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.PasteFromClipboard(ParamByte(params, 0) != 0, static_cast<uint32_t>(ParamInt(params, 1)), update, op);
}

void RunPasteNoteSpike(TDocument& document, TOperationParams /*params*/, TOperation* op, TUpdateRange& update)
{
    document.PasteNoteSpike(update, op);
}

// No parameters: the edited header or footer.
void RunLinkHeaderToPrevious(TDocument& document, TOperationParams, TOperation* op, TUpdateRange& update)
{
    document.LinkHeaderToPrevious(op, update);
}

void RunDuplicateText(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    const TTextPosition* target = static_cast<const TTextPosition*>(ParamPtr(params, 2));
    if (!target)
        RaiseMissingParameter(2);
    document.DuplicateText(ParamRefAs<TTextPosition>(params, 0), ParamRefAs<TTextPosition>(params, 1), update, op,
                           ParamByte(params, 3), *target);
}

void RunInsertEnvelope(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertEnvelope(ParamRefAs<std::string>(params, 0), ParamRefAs<std::string>(params, 1), update, op,
                            ParamByte(params, 2) != 0);
}

void RunInsertSymbol(TDocument& document, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    document.InsertSymbol(ParamByte(params, 0), ParamRefAs<std::string>(params, 1), update, op, ParamInt(params, 2));
}

// --- Kinds that depend on the parameters ------------------------------------

uint8_t KindOfResetFormat(TOperationParams params)
{
    return ParamByte(params, 1) == 0 ? okParagraphFormat : okCharFormat;
}

uint8_t KindOfStyleListChange(TOperationParams params)
{
    // The change record carries a new style list, or only names a style to
    // apply.
    const auto& record = ParamRefAs<const std::unique_ptr<TFormatStyleListInfo>>(params, 1);
    return record && record->Styles ? okStyleChange : 7;
}

uint8_t KindOfTransform(TOperationParams params)
{
    return static_cast<uint8_t>(29 + ParamByte(params, 0));
}

// The table. A code's routine is wired in its row; a row without one raises
// EInternalError naming the code and the routine when it is asked for.
//   kind, kind rule, routine, routine's name, layout-wide, typing format,
//   pasting, paint allowed, follow-up, at end
constexpr TDispatchEntry DispatchTable[DocOperationCodeCount] = {
    /* 0 */ {1, nullptr, RunChangePageParams, "TDocument.ChangePageParams", true, false, false, false, nullptr, nullptr},
    /* 1 */ {5, nullptr, RunFormatParagraphs, "TDocument.FormatParagraphs", false, false, false, false, nullptr, nullptr},
    /* 2 */ {9, nullptr, RunFormatText, "TDocument.FormatText", false, false, false, false, CheckSpellingAfterLanguage,
             RecreateCaretAfterFormat},
    /* 3 */ {38, nullptr, RunFormatBlock, "TDocument.BlockOperation", true, false, false, false, nullptr, nullptr},
    /* 4 */ {9, nullptr, RunScaleCharAttribute, "TDocument.ScaleCharAttribute", false, false, false, false, nullptr,
             RecreateCaretAfterFormat},
    /* 5 */ {10, nullptr, RunApplyFormatPainter, "TDocument.ApplyFormatPainter", false, false, false, false, nullptr, nullptr},
    /* 6 */ {4, nullptr, RunReducePageCount, "TDocument.ReducePageCount", true, false, false, false, nullptr, nullptr},
    /* 7 */ {6, nullptr, RunFormatTabs, "TDocument.FormatTabs", false, false, false, false, nullptr, nullptr},
    /* 8 */ {5, KindOfResetFormat, RunResetFormatToStyle, "TDocument.ResetFormatToStyle", false, false, false, false, nullptr,
             nullptr},
    /* 9 */ {5, nullptr, RunStepParagraphFormat, "TDocument.StepParagraphFormat", false, false, false, false, nullptr, nullptr},
    /* 10 */ {7, nullptr, RunApplyStyle, "TDocument.ApplyStyleToParagraphs", false, false, false, false, nullptr, nullptr},
    /* 11 */ {7, KindOfStyleListChange, RunChangeStyleList, "TDocument.ChangeStyleList", false, false, false, false,
              nullptr, nullptr},
    /* 12 */ {28, nullptr, RunUpdateStyleFromSelection, "TDocument.UpdateStyleFromSelection", true, false, false, false, nullptr,
              nullptr},
    /* 13 */ {15, nullptr, RunInsertFragment, "TDocument.InsertFragment", false, true, false, false, nullptr,
              nullptr},
    /* 14 */ {15, nullptr, RunInsertText, "TDocument.InsertText", false, true, false, false, nullptr, nullptr},
    /* 15 */ {13, nullptr, RunPaste, "TDocument.PasteFromClipboard", false, false, true, false, nullptr, nullptr},
    /* 16 */ {13, nullptr, RunPasteNoteSpike, "TPiggyBank.PasteInto", false, false, true, false, nullptr, nullptr},
    /* 17 */ {20, nullptr, RunDeleteRange, "TDocument.DeleteRange", false, false, false, false, nullptr, nullptr},
    /* 18 */ {37, nullptr, RunDeleteBlock, "TDocument.BlockOperation", false, false, false, false, nullptr, nullptr},
    /* 19 */ {15, nullptr, RunReplaceText, "TDocument.ReplaceText", false, false, false, false, nullptr, nullptr},
    /* 20 */ {21, nullptr, RunMoveText, "TDocument.MoveText", false, false, false, false, nullptr, nullptr},
    /* 21 */ {24, nullptr, RunDuplicateText, "TDocument.DuplicateText", false, false, false, false, nullptr, nullptr},
    /* 22 */ {25, nullptr, RunJoinParagraphs, "TDocument.JoinParagraphs", false, false, false, false, nullptr, nullptr},
    /* 23 */ {26, nullptr, RunSplitParagraphs, "TDocument.SplitParagraphs", false, false, false, false, nullptr, nullptr},
    /* 24 */ {27, nullptr, RunSortParagraphs, "TDocument.SortParagraphs", false, false, false, false, nullptr, nullptr},
    /* 25 */ {39, nullptr, RunFormatObject, "TDocument.FormatObject", false, false, false, false, nullptr, nullptr},
    /* 26 */ {29, KindOfTransform, RunTransformText, "TDocument.TransformText", false, false, false, false, nullptr, nullptr},
    /* 27 */ {36, nullptr, RunCalculate, "TDocument.CalculateExpression", false, false, false, false, nullptr, nullptr},
    /* 28 */ {15, nullptr, RunBlockSum, "TDocument.BlockOperation", false, false, false, false, nullptr, nullptr},
    /* 29 */ {42, nullptr, RunChangeDefaultLanguage, "TDocument.ChangeDefaultLanguage", false, false, false, false,
              RestartSpellCheckAfter, nullptr},
    /* 30 */ {43, nullptr, RunClickAndType, "TDocument.ClickAndType", false, false, false, false, nullptr, nullptr},
    /* 31 */ {44, nullptr, RunAutocorrectTypedChar, "TDocument.AutocorrectTypedChar", false, false, false, false,
              nullptr, nullptr},
    /* 32 */ {44, nullptr, RunAutocorrectRange, "TDocument.ApplyAutocorrectToRange", false, false, false, false,
              nullptr, nullptr},
    /* 33 */ {45, nullptr, RunFormatSections, "TDocument.FormatSections", false, false, false, false, nullptr, nullptr},
    /* 34 */ {46, nullptr, RunInsertBookmark, "TDocument.InsertBookmark", false, false, false, false, nullptr,
              nullptr},
    /* 35 */ {46, nullptr, RunDeleteBookmark, "TDocument.RemoveRangeObject (signet)", false, false, false, false,
              nullptr, nullptr},
    /* 36 */ {0, nullptr, RunChangeFieldInstruction, "TDocument.ChangeFieldInstruction", false, false, false, false, nullptr, nullptr},
    /* 37 */ {47, nullptr, RunRemoveHyperlink, "TDocument.RemoveHyperlink", false, false, false, false, nullptr,
              nullptr},
    /* 38 */ {48, nullptr, RunRemoveHyperlinksInSelection, "TDocument.RemoveHyperlinksInSelection", false, false,
              false, false, nullptr, nullptr},
    /* 39 */ {48, nullptr, RunRemoveBrokenBookmarkLinks, "TDocument.RemoveBrokenBookmarkLinks", false, false, false,
              true, nullptr, nullptr},
    /* 40 */ {47, nullptr, RunInsertHyperlink, "TDocument.InsertHyperlink", false, false, false, false, nullptr,
              nullptr},
    /* 41 */ {49, nullptr, RunBuildTableOfContents, "TDocument.BuildTableOfContents", false, false, false, false,
              UpdateTableOfContentsPages, ReportEmptyTableOfContents},
    /* 42 */ {51, nullptr, RunDeleteField, "TDocument.DeleteField", false, false, false, false, nullptr,
              AskDeleteTocBookmarks},
    /* 43 */ {50, nullptr, RunInsertField, "TDocument.InsertField", false, false, false, false, UpdateInsertedField,
              nullptr},
    /* 44 */ {52, nullptr, RunUpdateFields, "TDocument.UpdateFields", false, false, false, false, nullptr, nullptr},
    /* 45 */ {51, nullptr, RunRemoveFieldRecord, "TDocument.RemoveRangeObject (champ)", false, false, false, false,
              nullptr, nullptr},
    /* 46 */ {53, nullptr, RunChangeSectionBreak, "TDocument.ChangeSectionBreak", false, false, false, false, nullptr, nullptr},
    /* 47 */ {55, nullptr, RunLinkHeaderToPrevious, "TDocument.LinkHeaderToPrevious", false, false, false, false, nullptr, nullptr},
    /* 48 */ {16, nullptr, RunInsertSymbol, "TDocument.InsertSymbol", false, false, false, false, nullptr, nullptr},
    /* 49 */ {56, nullptr, RunFormatPageNumbers, "TDocument.FormatPageNumbers", false, false, false, false,
              UpdatePageNumberFields, nullptr},
    /* 50 */ {57, nullptr, RunInsertEnvelope, "TDocument.InsertEnvelope", false, false, false, false, nullptr, nullptr},
    /* 51 */ {60, nullptr, RunChangeHyphenationOptions, "TDocument.ChangeHyphenationOptions", false, false, false,
              false, nullptr, nullptr},
};

// What brings the routine of a code that has none yet.
const char* ComingWith(uint8_t code)
{
    switch (code) {
    case docLinkHeaderToPrevious:
        return "la copie des en-têtes et pieds de page d'une section à l'autre";
    case docAutocorrectTypedChar:
    case docAutocorrectRange:
        return "la correction automatique";
    case docInsertEnvelope:
        return "l'insertion d'enveloppes";
    default:
        return "une version ultérieure";
    }
}

[[noreturn]] void RaiseMissingRoutine(uint8_t code, const TDispatchEntry& entry)
{
    throw EInternalError("L'opération " + std::to_string(code) + " (" + entry.RoutineName +
                         ") n'est pas disponible dans cette version : elle viendra avec " + ComingWith(code));
}

// The program event fired after a block deletion.
constexpr int32_t BlockDeletedEvent = 2300;

}  // namespace

void* ParamRef(TOperationParams params, size_t index)
{
    if (index >= params.size() || !params[index])
        RaiseMissingParameter(index);
    return params[index];
}

int32_t ParamInt(TOperationParams params, size_t index)
{
    return *static_cast<const int32_t*>(ParamRef(params, index));
}

uint8_t ParamByte(TOperationParams params, size_t index)
{
    return *static_cast<const uint8_t*>(ParamRef(params, index));
}

void* ParamPtr(TOperationParams params, size_t index)
{
    return index < params.size() ? params[index] : nullptr;
}

const TDispatchEntry* GetDispatchEntry(uint8_t code)
{
    return code < DocOperationCodeCount ? &DispatchTable[code] : nullptr;
}

void RunOperationRoutine(uint8_t code, TDocument& document, TOperationParams params, TOperation* op,
                         TUpdateRange& update)
{
    const TDispatchEntry* entry = GetDispatchEntry(code);
    if (!entry)
        throw EInternalError("Code d'opération inconnu (" + std::to_string(code) + ")");
    if (!entry->Routine)
        RaiseMissingRoutine(code, *entry);
    entry->Routine(document, params, op, update);
}

// ---------------------------------------------------------------------------
// TDocument::ExecuteOperation

void TDocument::ExecuteOperation(TDocOperationCode code, std::initializer_list<void*> params)
{
    ExecuteOperation(code, TOperationParams(params.begin(), params.size()));
}

void TDocument::ExecuteOperation(TDocOperationCode code, TOperationParams params)
{
    ExecuteEntry(code, GetDispatchEntry(code), params);
}

namespace {

void RunEditRoutine(TDocument& /*document*/, TOperationParams params, TOperation* op, TUpdateRange& update)
{
    (*static_cast<const std::function<void(TOperation*, TUpdateRange&)>*>(params[0]))(op, update);
}

}  // namespace

void TDocument::ExecuteEdit(uint8_t kind, const std::function<void(TOperation* op, TUpdateRange& update)>& routine)
{
    const TDispatchEntry entry{kind, nullptr, RunEditRoutine, "TDocument.ExecuteEdit", false, false, false, false,
                               nullptr, nullptr};
    void* params[] = {const_cast<std::function<void(TOperation*, TUpdateRange&)>*>(&routine)};
    ExecuteEntry(static_cast<TDocOperationCode>(DocOperationCodeCount), &entry, params);
}

void TDocument::ExecuteEntry(TDocOperationCode code, const TDispatchEntry* entry, TOperationParams params)
{
    // 1. The document dispatcher waits; painting is deferred.
    LockDispatcher();
    InOperation = 1;
    DeferPaint = 1;
    OperationRecorded = 0;
    MessageShownInOperation = 0;
    const int32_t depth = ChangeStackDepth();
    const TTextSelection selection = Selection();
    const TCaret caret = Caret;
    bool recorded = false;

    auto finish = [&] {
        UnlockDispatcher();
        InOperation = 0;
        PaintRequested = 0;
        DeferPaint = 0;
    };

    // 2. to 5. The operation, its routine and its recording.
    std::unique_ptr<TOperation> op;
    try {
        op = std::make_unique<TOperation>(this, okCommand);
        TUpdateRange update;
        bool layoutWide = false;
        if (entry) {
            if (!entry->Routine)
                RaiseMissingRoutine(code, *entry);
            op->Kind = entry->KindRule ? entry->KindRule(params) : entry->Kind;
            layoutWide = entry->LayoutWide;
            if (entry->PaintAllowed)
                DeferPaint = 0;
            if (entry->PrepareTyping)
                PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
            if (entry->Pasting)
                BeginChange(chfPasting);
            entry->Routine(*this, params, op.get(), update);
            if (entry->Pasting)
                EndChanges(1);
            if (code == docDeleteBlock)
                DocumentHost().FireProgramEvent(BlockDeletedEvent);
            if (code == docClickAndType && !op->IsEmpty())
                ClickAndTypePending = 1;
        }

        if (PaintRequested) {
            update.FullUpdate = 1;
            if (FView)
                FView->ClearRulerCaches();
        }
        if (op->IsEmpty() || NoUndo) {
            if (!op->IsEmpty()) {
                FUndoManager->ApplySelection(update);
                // Without a view nobody paginates after the edit, while the
                // edited paragraphs' old lines have already left their pages:
                // the pages from the one before the first changed page go, so
                // that the next pagination makes them again instead of
                // keeping pages that no longer show the whole text.
                if (update.FirstParagraph != NotSet || update.IsFull()) {
                    const int32_t from = update.IsFull() || update.FirstPage == NotSet
                                             ? 0
                                             : std::max(update.FirstPage - 1, 0);
                    if (from < static_cast<int32_t>(FPages.size())) {
                        FPages.erase(FPages.begin() + from, FPages.end());
                        PaginationComplete = 0;
                    }
                }
            }
            op.reset();
            if (PaintRequested) {
                if (FView && !SuppressRepaint)
                    FView->Repaint();
                DocumentHost().RequestLayout();
            }
        } else {
            op->CaptureFieldsAfter();
            if (layoutWide)
                BeginChange(chfNoReplayScroll);
            FUndoManager->UpdateViews(update);
            if (KindOverride != 255) {
                op->Kind = KindOverride;
                KindOverride = 255;
            }
            FUndoManager->AddOperation(op);
            if (layoutWide)
                EndChanges(1);
            recorded = true;
            OperationRecorded = 1;
            KeyboardLayoutChanged = 0;
            BookmarkListDirty = 1;
        }
    } catch (...) {
        // The action did not happen: its steps are taken back, the selection
        // and the change flags are as they were, and the exception goes on to
        // be reported once, by whoever called.
        EndChanges(ChangeStackDepth() - depth);
        FDetachedAnchors.clear();
        if (op) {
            TUpdateRange back;
            if (op->Rollback(back)) {
                try {
                    SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                                 selection.End.Offset, ssfNoNotify);
                    Caret = caret;
                    if (!NoUndo)
                        FUndoManager->UpdateViews(back);
                    Caret = caret;
                } catch (...) {
                    // The document is back as it was; only its view lags.
                }
            }
            op.reset();
        }
        KindOverride = 255;
        finish();
        throw;
    }

    // 6. Follow-up edits of the same action.
    if (recorded && entry && entry->FollowUp) {
        try {
            entry->FollowUp(*this, params);
        } catch (...) {
            finish();
            throw;
        }
        OperationRecorded = 1;
    }

    // 7. The end.
    finish();
    if (entry && entry->AtEnd)
        entry->AtEnd(*this, params);
    if (MessageShownInOperation && FView && FView->UpdateCaretAllowed())
        FView->RecreateCaret();
    DocumentHost().RefreshToolbars();
}
