#include "document/calc/FunctionInsertion.h"

#include "document/calc/Evaluator.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

constexpr uint8_t okFunctionInsertion = 19;

bool StartsWithText(const std::string& name, const std::string& prefix)
{
    return name.size() >= prefix.size() && SameText(std::string_view(name).substr(0, prefix.size()), prefix);
}

int32_t FirstMatch(const std::vector<TFunctionItem>& items, const std::string& prefix)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (StartsWithText(items[i].Name, prefix))
            return static_cast<int32_t>(i);
    return -1;
}

TMemory TextMemory(const std::string& text)
{
    TMemory memory;
    memory.Append(text.data(), static_cast<int32_t>(text.size()));
    return memory;
}

}  // namespace

std::vector<TFunctionItem> FunctionPopupItems()
{
    std::vector<TFunctionItem> items;
    for (int32_t f = 1; f < EvaluatorFunctionCount; ++f)
        items.push_back({EvaluatorFunctionNames[f], f});
    std::stable_sort(items.begin(), items.end(), [](const TFunctionItem& a, const TFunctionItem& b) {
        return AnsiCompareText(a.Name, b.Name) < 0;
    });
    return items;
}

int32_t FunctionTypeAhead(const std::vector<TFunctionItem>& items, int32_t current, std::string& prefix, char typed)
{
    if (static_cast<uint8_t>(typed) <= ' ')
        return current;
    prefix += typed;
    const bool currentValid = current >= 0 && current < static_cast<int32_t>(items.size());
    if (currentValid && StartsWithText(items[static_cast<size_t>(current)].Name, prefix))
        return current;
    int32_t found = FirstMatch(items, prefix);
    if (found < 0) {
        prefix = std::string(1, typed);
        if (currentValid && StartsWithText(items[static_cast<size_t>(current)].Name, prefix))
            return current;
        found = FirstMatch(items, prefix);
    }
    return found >= 0 ? found : current;
}

void TDocument::InsertFunctionCall(int32_t function)
{
    if (function < 1 || function >= EvaluatorFunctionCount)
        throw EInternalError("Fonction inconnue");
    const std::string name = EvaluatorFunctionNames[function];

    LockDispatcher();
    const TTextSelection selection = Selection();
    const TCaret caret = Caret;
    std::unique_ptr<TOperation> op;
    try {
        TTextRange range;
        if (HasSelection()) {
            range.Start = selection.Start;
            range.End = selection.End;
            // The paragraph mark stays outside the parentheses.
            const int32_t count = Paragraphs(range.End.Paragraph).GetCharCount();
            if (range.End.Offset >= count)
                range.End.Offset = std::max(count - 1, 0);
        } else {
            range.Start = {Caret.Paragraph, Caret.Offset};
            range.End = range.Start;
        }
        const bool empty = range.Start.Paragraph == range.End.Paragraph && range.Start.Offset == range.End.Offset;

        op = std::make_unique<TOperation>(this, okFunctionInsertion);
        TUpdateRange update;
        PrepareTypingFormat(range.Start, 1);
        InsertPlainTextAt(TextMemory(name + "("), range.Start, update, op.get(), 0);
        TUpdateRange closing;
        if (empty) {
            const TTextPosition at{Caret.Paragraph, Caret.Offset};
            InsertPlainTextAt(TextMemory(")"), at, closing, op.get(), 0);
            FUndoManager->MergeUpdateRange(update, closing);
            // The caret stands between the parentheses.
            update.SetCaret(at.Paragraph, at.Offset, update.CaretColumn);
            update.SetViewHints(at.Paragraph, at.Offset, at.Paragraph, at.Offset);
        } else {
            TTextPosition end = range.End;
            if (range.Start.Paragraph == range.End.Paragraph)
                end.Offset += static_cast<int32_t>(name.size()) + 1;
            PrepareTypingFormat(end, 1);
            InsertPlainTextAt(TextMemory(")"), end, closing, op.get(), 0);
            FUndoManager->MergeUpdateRange(update, closing);
        }
        op->CaptureFieldsAfter();
        FUndoManager->UpdateViews(update);
        FUndoManager->AddOperation(op);
    } catch (...) {
        // Nothing of a failed insertion stays in the text.
        if (op) {
            TUpdateRange back;
            if (op->Rollback(back)) {
                SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                             selection.End.Offset, ssfNoNotify);
                Caret = caret;
            }
        }
        UnlockDispatcher();
        throw;
    }
    UnlockDispatcher();
}
