#include "document/steps/FormatStyleListOperation.h"

#include "document/model/Document.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {

enum TStyleMark : uint8_t {
    smUnchanged = 0,
    smDeleted = 1,
    smChanged = 2,
};

}  // namespace

void ApplyStyleFormats(TDocument& document, const TTextRange& range, int32_t styleIndex, TUpdateRange& update,
                       TOperation* op)
{
    update.Reset();
    const TStyle* style = document.Styles().Find(styleIndex);
    if (!style)
        return;
    TCharFormat charFormat;
    TParFormat parFormat;
    style->GetFullFormat(charFormat, parFormat, 0);
    parFormat[pfStyle] = styleIndex;
    parFormat[pfInternal] = NotSet;
    charFormat[cfHighlight] = NotSet;
    TOperationManager& manager = document.UndoManager();
    TUpdateRange local;
    document.FormatParagraphs(range, parFormat, local, op);
    manager.MergeUpdateRange(update, local);
    document.FormatText(range, charFormat, ftfNoSelectionHint, local, op);
    manager.MergeUpdateRange(update, local);
}

TFormatStyleListInfo::TFormatStyleListInfo() = default;
TFormatStyleListInfo::~TFormatStyleListInfo() = default;

int64_t TFormatStyleListInfo::MemorySize() const
{
    int64_t size = static_cast<int64_t>(sizeof(TFormatStyleListInfo) + (Deleted.size() + Changed.size()) * 4);
    if (Styles)
        size += Styles->GetMemorySize();
    return size;
}

TFormatStyleListOperation::TFormatStyleListOperation(TDocument* document, std::unique_ptr<TFormatStyleListInfo> info)
    : TSubOperation(document), FNested(std::make_unique<TOperation>(document, okStyleChange)), FInfo(std::move(info))
{
    if (!FInfo || !FInfo->Styles)
        throw EInternalError("Modification des styles sans liste de styles");
}

TFormatStyleListOperation::~TFormatStyleListOperation() = default;

int64_t TFormatStyleListOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TFormatStyleListOperation)) + FNested->MemorySize() + FInfo->MemorySize();
}

void TFormatStyleListOperation::ReplayNested(bool undo, TUpdateRange& update)
{
    TOperationManager& manager = FDocument->UndoManager();
    const int32_t count = FNested->StepCount();
    for (int32_t i = 0; i < count; ++i) {
        TSubOperation& step = FNested->Steps(undo ? count - 1 - i : i);
        TUpdateRange local;
        if (undo)
            step.Undo(local);
        else
            step.Redo(local);
        manager.MergeUpdateRange(update, local);
    }
}

void TFormatStyleListOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    ReplayNested(true, update);
    FInfo->Styles = FDocument->ExchangeStyles(std::move(FInfo->Styles));
    update.FullUpdate = 1;
    DocumentHost().RefreshStyleBox();
}

void TFormatStyleListOperation::Redo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    FInfo->Styles = FDocument->ExchangeStyles(std::move(FInfo->Styles));
    if (!FApplied) {
        try {
            Remap(update);
        } catch (...) {
            // The steps already made are taken back with the list.
            TUpdateRange back;
            ReplayNested(true, back);
            FNested = std::make_unique<TOperation>(FDocument, okStyleChange);
            FInfo->Styles = FDocument->ExchangeStyles(std::move(FInfo->Styles));
            throw;
        }
        FApplied = 1;
    } else {
        ReplayNested(false, update);
    }
    update.FullUpdate = 1;
    DocumentHost().RefreshStyleBox();
}

void TFormatStyleListOperation::Remap(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TOperationManager& manager = document.UndoManager();
    const TStyleList& oldList = *FInfo->Styles;
    const TStyleList& newList = document.Styles();
    if (!FInfo->Deleted.empty() || !FInfo->Changed.empty()) {
        // 1. Each old style's mark and new index.
        const int32_t count = oldList.Count();
        std::vector<uint8_t> marks(static_cast<size_t>(count), smUnchanged);
        std::vector<int32_t> newIndex(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            newIndex[static_cast<size_t>(i)] = i;
        for (int32_t index : FInfo->Changed)
            if (index >= 0 && index < count)
                marks[static_cast<size_t>(index)] = smChanged;
        std::vector<int32_t> deleted;
        for (int32_t index : FInfo->Deleted)
            if (index >= 0 && index < count && marks[static_cast<size_t>(index)] != smDeleted) {
                marks[static_cast<size_t>(index)] = smDeleted;
                deleted.push_back(index);
            }
        std::sort(deleted.begin(), deleted.end());
        // The styles behind a deleted one move down...
        for (int32_t gone : deleted)
            for (int32_t later = gone + 1; later < count; ++later)
                --newIndex[static_cast<size_t>(later)];
        // ...and a deleted one maps to the style of its name, or of its nearest
        // remaining ancestor, or the first style.
        for (int32_t gone : deleted) {
            int32_t target = newList.IndexOfDisplayName(oldList[gone].DisplayName);
            if (target < 0) {
                target = 0;
                std::vector<bool> seen(static_cast<size_t>(count), false);
                for (int32_t parent = oldList[gone].BasedOn;
                     parent >= 0 && parent < count && !seen[static_cast<size_t>(parent)];
                     parent = oldList[parent].BasedOn) {
                    seen[static_cast<size_t>(parent)] = true;
                    if (marks[static_cast<size_t>(parent)] != smDeleted) {
                        target = newIndex[static_cast<size_t>(parent)];
                        break;
                    }
                }
            }
            newIndex[static_cast<size_t>(gone)] = target;
        }
        const int32_t newCount = newList.Count();
        for (int32_t& index : newIndex)
            index = std::clamp(index, 0, std::max(newCount - 1, 0));

        // 2. Runs of paragraphs (within one story) that map alike.
        auto mapOf = [&](int32_t paragraph, int32_t& index, bool& reapply) {
            const int32_t old = document.Paragraphs(paragraph).Format[pfStyle];
            if (old >= 0 && old < count) {
                index = newIndex[static_cast<size_t>(old)];
                reapply = marks[static_cast<size_t>(old)] != smUnchanged;
            } else {
                index = old;
                reapply = false;
            }
        };
        std::vector<std::pair<TTextRange, std::pair<int32_t, bool>>> runs;
        for (int32_t first = 0; first < document.ParagraphCount();) {
            int32_t index = 0;
            bool reapply = false;
            mapOf(first, index, reapply);
            const int32_t story = document.GetStoryOfParagraph(first);
            int32_t last = first;
            while (last + 1 < document.ParagraphCount() && document.GetStoryOfParagraph(last + 1) == story) {
                int32_t nextIndex = 0;
                bool nextReapply = false;
                mapOf(last + 1, nextIndex, nextReapply);
                if (nextIndex != index || nextReapply != reapply)
                    break;
                ++last;
            }
            TTextRange range;
            MakeTextPos(first, 0, range.Start);
            MakeTextPos(last, document.Paragraphs(last).GetCharCount(), range.End);
            runs.push_back({range, {index, reapply}});
            first = last + 1;
        }
        for (const auto& [range, mapping] : runs) {
            TUpdateRange local;
            if (mapping.second) {
                ApplyStyleFormats(document, range, mapping.first, local, FNested.get());
            } else if (mapping.first >= 0 && mapping.first < newCount) {
                TParFormat format;
                ClearParFormat(format);
                format[pfStyle] = mapping.first;
                document.FormatParagraphs(range, format, local, FNested.get());
            }
            manager.MergeUpdateRange(update, local);
        }
    }
    if (FInfo->Apply) {
        int32_t first = 0;
        int32_t last = 0;
        document.GetSelectedParagraphs(first, last);
        TTextRange range;
        MakeTextPos(first, 0, range.Start);
        MakeTextPos(last, document.Paragraphs(last).GetCharCount(), range.End);
        TUpdateRange local;
        ApplyStyleFormats(document, range, FInfo->StyleIndex, local, FNested.get());
        manager.MergeUpdateRange(update, local);
    }
}
