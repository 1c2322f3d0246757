// Click and type (operation 30): the plan that the document window made for a
// click in empty space, carried out as one undoable operation; and the
// go-to-last-edit command.
#include "document/editing/EditingRecords.h"
#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <string>

namespace {

// Where new paragraphs go: the last character of the caret's line (the
// paragraph's mark when the paragraph has no lines).
TTextPosition EndOfCaretLine(TDocument& document)
{
    const int32_t index = std::clamp(document.Caret.Paragraph, 0, document.ParagraphCount() - 1);
    TParagraph& paragraph = document.Paragraphs(index);
    const int32_t mark = std::max(paragraph.GetCharCount() - 1, 0);
    const int32_t lineIndex = paragraph.FindLineOfChar(document.Caret.Offset, 0, false);
    if (lineIndex < 0)
        return {index, mark};
    const TParLine& line = paragraph.GetLine(lineIndex);
    return {index, std::clamp(line.FirstChar + line.CharCount - 1, 0, mark)};
}

TTextRange WholeParagraph(TDocument& document, int32_t index)
{
    return {{index, 0}, {index, document.Paragraphs(index).GetCharCount()}};
}

}  // namespace

void TDocument::ClickAndType(const TClickAndTypePlan& plan, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    const int32_t target = plan.TargetParagraph;
    auto checkTarget = [&] {
        if (target < 0 || target >= ParagraphCount())
            throw EInternalError("Paragraphe de cliquer-taper hors du document (" + std::to_string(target) + ")");
    };
    const int32_t tablesBefore = TabManager().Count();
    try {
        for (const TClickAndTypeStep& step : plan.Steps) {
            TUpdateRange local;
            switch (step.Kind) {
            case ctAddParagraphs: {
                if (step.Value <= 0)
                    break;
                std::string breaks;
                for (int32_t i = 0; i < step.Value; ++i)
                    breaks += "\r\n";
                TMemory text;
                text.Append(breaks.data(), static_cast<int32_t>(breaks.size()));
                const TTextPosition at = EndOfCaretLine(*this);
                PrepareTypingFormat(at, 0);
                InsertPlainTextAt(text, at, local, op, 0);
                FUndoManager->MergeUpdateRange(update, local);
                checkTarget();
                if (target > at.Paragraph) {
                    TParFormat format;
                    ClearParFormat(format);
                    format[pfInternal] = 0;
                    const TTextRange range{{at.Paragraph + 1, 0}, {target, Paragraphs(target).GetCharCount()}};
                    FormatParagraphs(range, format, local, op);
                    FUndoManager->MergeUpdateRange(update, local);
                }
                break;
            }
            case ctAlignment:
            case ctFirstIndent: {
                checkTarget();
                TParFormat format;
                ClearParFormat(format);
                format[step.Kind == ctAlignment ? pfAlignment : pfFirstIndent] = step.Value;
                FormatParagraphs(WholeParagraph(*this, target), format, local, op);
                FUndoManager->MergeUpdateRange(update, local);
                break;
            }
            case ctInsertTab: {
                checkTarget();
                const TTextPosition at{target,
                                       std::clamp(step.Value, 0, std::max(Paragraphs(target).GetCharCount() - 1, 0))};
                TMemory tab;
                tab.Append("\t", 1);
                PrepareTypingFormat(at, 0);
                InsertPlainTextAt(tab, at, local, op, 0);
                FUndoManager->MergeUpdateRange(update, local);
                break;
            }
            case ctRemoveTabsFrom:
            case ctSetTab: {
                checkTarget();
                TTabTable table;
                if (const TTabTable* own = TabManager().Tables(Paragraphs(target).Format[pfTabTable]))
                    table.Assign(*own);
                if (step.Kind == ctRemoveTabsFrom) {
                    while (table.Count() > 0 && TabStopPosition(table.Stops(table.Count() - 1)) >= step.Value)
                        table.RemoveTabAt(TabStopPosition(table.Stops(table.Count() - 1)));
                } else {
                    table.RemoveTabAt(step.Value);
                    table.AddTab(PackTabStop(step.Value, step.Alignment, 0));
                    table.Sort();
                }
                TTabChange change;
                change.TableIndex = TabManager().AddTable(table);
                change.Range = WholeParagraph(*this, target);
                FormatTabs(change, local, op);
                FUndoManager->MergeUpdateRange(update, local);
                break;
            }
            case ctCaretOffset:
                update.CaretOffset = step.Value;
                break;
            default:
                break;
            }
        }
    } catch (...) {
        TabManager().DropTablesFrom(tablesBefore);
        throw;
    }
    update.SetViewHints(0, 0, 0, 0);
}

void TDocument::GoToLastEdit()
{
    TOperationManager& undo = UndoManager();
    TTextRange part;
    GetEditRange(part);
    auto inPart = [&](int32_t paragraph) {
        return paragraph >= part.Start.Paragraph && paragraph <= part.End.Paragraph;
    };
    const int32_t* caret = nullptr;
    if (undo.CurrentIndex() >= 0)
        caret = undo.Operations(undo.CurrentIndex()).CaretAfter;
    else if (undo.Count() > 0)
        caret = undo.Operations(0).CaretBefore;
    if (caret) {
        if (inPart(caret[0]))
            GoToPosition(caret[0], caret[1]);
        return;
    }
    if (TDocumentLayout* layout = GetDocumentLayout()) {
        layout->UpdateCaret(*this);
        layout->ScrollToCaret(*this, 0);
    }
}
