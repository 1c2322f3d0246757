#include "document/steps/FormatTabsOperation.h"

#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "foundation/managers/TabManager.h"

#include <utility>

TFormatTabsOperation::TFormatTabsOperation(TDocument* document, const TTabChange& change)
    : TSubOperation(document), FChange(change)
{
}

TFormatTabsOperation::~TFormatTabsOperation() = default;

int64_t TFormatTabsOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TFormatTabsOperation)) + (FNested ? FNested->MemorySize() : 0);
}

void TFormatTabsOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    TOperationManager& manager = document.UndoManager();

    if (FChange.TableIndex != NotSet) {
        TUpdateRange local;
        if (!FApplied) {
            auto nested = std::make_unique<TOperation>(FDocument, okCommand);
            TParFormat format;
            ClearParFormat(format);
            format[pfTabTable] = FChange.TableIndex;
            document.FormatParagraphs(FChange.Range, format, local, nested.get());
            FNested = std::move(nested);
            FApplied = 1;
        } else {
            // The nested steps swap: taken back last to first, replayed
            // first to last.
            const int32_t count = FNested->StepCount();
            for (int32_t i = 0; i < count; ++i) {
                TSubOperation& step = FNested->Steps(FInForce ? count - 1 - i : i);
                TUpdateRange stepUpdate;
                step.Undo(stepUpdate);
                manager.MergeUpdateRange(local, stepUpdate);
            }
        }
        FInForce = !FInForce;
        manager.MergeUpdateRange(update, local);
    }

    const TTabManager& tabs = document.TabManager();
    if (FChange.DefaultInterval != NotSet && tabs.DefaultInterval() != FChange.DefaultInterval) {
        const int32_t old = tabs.DefaultInterval();
        document.TabManager().SetDefaultInterval(FChange.DefaultInterval);
        FChange.DefaultInterval = old;
        document.TabManager().InvalidateWorkingTable();
        for (int32_t index = 0; index < document.ParagraphCount(); ++index)
            document.ReformatingManager().AddParagraph(index);
        document.RelayoutPending = 1;
        update.FullUpdate = 1;
        update.FirstParagraph = NotSet;
    }
}
