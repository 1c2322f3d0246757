#include "document/steps/ChangePageParamsOperation.h"

#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "foundation/managers/TabManager.h"

#include <algorithm>
#include <utility>

namespace {

// Change flags raised while the view follows the new page sizes.
constexpr int32_t chfPageSizes = 13;
constexpr int32_t chfPageParams = 17;

// The slot each single-value change exchanges.
constexpr int kChangedSlot[6] = {ppLeftMargin, ppRightMargin, ppTopMargin, ppBottomMargin, ppHeaderDistance,
                                 ppFooterDistance};

}  // namespace

TChangePageParamsOperation::TChangePageParamsOperation(TDocument* document) : TSubOperation(document) {}

int64_t TChangePageParamsOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TChangePageParamsOperation) + Records.capacity() * sizeof(TPageParams) +
                                FOtherFlags.capacity() * sizeof(FOtherFlags[0])) +
           FRefit.MemorySize();
}

void TChangePageParamsOperation::Exchange(TSection& section, TPageParams& record)
{
    TPageParams& params = section.PageParams;
    if (ChangeKind < ppcOrientation) {
        std::swap(params[kChangedSlot[ChangeKind]], record[kChangedSlot[ChangeKind]]);
    } else if (ChangeKind == ppcOrientation) {
        if (FTurned) {
            params = record;
        } else {
            record = params;
            const bool landscape = params[ppOrientation] == 0;
            params[ppOrientation] = landscape ? 1 : 0;
            const bool fits = landscape ? params[ppPaperWidth] >= params[ppPaperHeight]
                                        : params[ppPaperHeight] >= params[ppPaperWidth];
            if (!fits)
                std::swap(params[ppPaperWidth], params[ppPaperHeight]);
        }
    } else {
        std::swap(params, record);
    }
}

void TChangePageParamsOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    std::vector<TSection*> sections;
    document.GetSectionsOfRange(Scope, sections);
    const size_t count = std::min(sections.size(), Records.size());
    if (ChangeKind == ppcWhole && !FOtherFlagsTaken) {
        // Every other section takes the new flag word too.
        const int32_t flags = Records.empty() ? 0 : Records.front()[ppFlags];
        for (int32_t i = 0; i < document.SectionCount(); ++i) {
            TSection* section = &document.Sections(i);
            if (std::find(sections.begin(), sections.end(), section) == sections.end())
                FOtherFlags.emplace_back(section, flags);
        }
        FOtherFlagsTaken = true;
    }

    auto exchangeAll = [&] {
        for (size_t i = count; i-- > 0;)
            Exchange(*sections[i], Records[i]);
        if (ChangeKind == ppcOrientation)
            FTurned = !FTurned;
        for (auto& [section, flags] : FOtherFlags)
            std::swap(section->PageParams[ppFlags], flags);
        document.UpdateSectionDeviceSizes();
    };
    FRefit.Before(document);
    exchangeAll();
    document.TabManager().InvalidateWorkingTable();
    document.BeginSuppressChange(chfLayoutChange);
    document.BeginChange(chfPageLayout);
    document.BeginChange(chfPageSizes);
    document.BeginChange(chfPageParams);
    try {
        if (TDocumentLayout* layout = GetDocumentLayout())
            layout->UpdatePageLayout(document);
    } catch (...) {
        document.EndChanges(4);
        exchangeAll();
        throw;
    }
    document.EndChanges(4);
    document.SectionsDirty = 1;
    // Unequal columns fit the new text widths.
    FRefit.After(document);
    FRefit.Restore(document, FForward);
    FForward = !FForward;
    update.FullUpdate = 1;
}
