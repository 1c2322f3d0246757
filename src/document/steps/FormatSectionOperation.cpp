#include "document/steps/FormatSectionOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"

#include <algorithm>
#include <utility>

void CalcEqualColumnWidths(TSectionSettings& settings, const TPageParams& params)
{
    const int32_t count = settings.UsableColumnCount();
    if (count <= 1)
        return;
    TSectionSettings equal = settings;
    equal[ssEqualColumns] = 1;
    for (int32_t column = 0; column < count; ++column) {
        const TColumnGeometry geometry = GetColumnGeometry(equal, params, column);
        settings[TSectionSettings::ColumnValue(column, crWidth)] = geometry.Width;
        settings[TSectionSettings::ColumnValue(column, crSpacing)] = column < count - 1 ? geometry.Gap : 0;
    }
}

void TColumnRefit::Before(TDocument& document)
{
    if (FTaken)
        return;
    FBefore.clear();
    FBefore.reserve(static_cast<size_t>(document.SectionCount()));
    for (int32_t i = 0; i < document.SectionCount(); ++i)
        FBefore.push_back({&document.Sections(i), document.Sections(i).Settings});
}

void TColumnRefit::After(TDocument& document)
{
    if (FTaken)
        return;
    // The section model refits the widths when it next looks a section up.
    document.ColumnsDirty = 1;
    document.GetSectionOfParagraph(0);
    FAfter.clear();
    FAfter.reserve(static_cast<size_t>(document.SectionCount()));
    for (int32_t i = 0; i < document.SectionCount(); ++i)
        FAfter.push_back({&document.Sections(i), document.Sections(i).Settings});
    FTaken = true;
}

void TColumnRefit::Restore(TDocument& document, bool forward)
{
    if (!FTaken)
        return;
    for (const TSnapshot& snapshot : forward ? FAfter : FBefore)
        if (document.IndexOfSection(snapshot.Section) >= 0)
            snapshot.Section->Settings = snapshot.Settings;
    document.ColumnsDirty = 0;
}

int64_t TColumnRefit::MemorySize() const
{
    return static_cast<int64_t>((FBefore.capacity() + FAfter.capacity()) * sizeof(TSnapshot));
}

TFormatSectionOperation::TFormatSectionOperation(TDocument* document, const TTextRange& range,
                                                 const TSectionSettings& settings)
    : TSubOperation(document), FRange(range)
{
    std::vector<TSection*> sections;
    document->GetSectionsOfRange(range, sections);
    FBlocks.reserve(sections.size());
    for (TSection* section : sections) {
        const TSectionSettings& own = section->Settings;
        // The new record when it gives a column count, else the section's
        // own block: a break kind alone is not taken here (breaks change
        // through their own step). The last slot goes in whenever it is set.
        TSectionSettings block = own;
        const bool columns = settings[ssColumnCount] != NotSet;
        for (int slot = 0; slot < TSectionSettings::Count; ++slot) {
            if (settings[slot] == NotSet || slot == ssEqualColumns)
                continue;
            if (columns || slot == ssLastValue)
                block[slot] = settings[slot];
        }
        const TPageParams& page = document->GetPageSectionOf(*section).PageParams;
        const int32_t equal = settings[ssEqualColumns];
        if (equal == -1) {
            if (block[ssColumnCount] > 1 && own[ssEqualColumns] == 1) {
                block[ssEqualColumns] = 1;
            } else {
                block[ssEqualColumns] = 0;
                CalcEqualColumnWidths(block, page);
            }
        } else if (equal != NotSet) {
            block[ssEqualColumns] = equal;
            if (equal == 0 && !columns && own[ssEqualColumns] == 1)
                CalcEqualColumnWidths(block, page);
        }
        FBlocks.push_back(block);
    }
}

int64_t TFormatSectionOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TFormatSectionOperation) + FBlocks.capacity() * sizeof(TSectionSettings)) +
           FRefit.MemorySize();
}

bool TFormatSectionOperation::ChangesSomething() const
{
    std::vector<TSection*> sections;
    FDocument->GetSectionsOfRange(FRange, sections);
    for (size_t i = 0; i < sections.size() && i < FBlocks.size(); ++i)
        if (!(sections[i]->Settings == FBlocks[i]))
            return true;
    return false;
}

void TFormatSectionOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    std::vector<TSection*> sections;
    document.GetSectionsOfRange(FRange, sections);
    const size_t count = std::min(sections.size(), FBlocks.size());
    FRefit.Before(document);
    for (size_t i = 0; i < count; ++i)
        std::swap(sections[i]->Settings, FBlocks[i]);
    document.SectionsDirty = 1;
    FRefit.After(document);
    FRefit.Restore(document, FForward);
    FForward = !FForward;
    if (count == 0)
        return;
    // The text of the sections is laid out again in its new columns.
    document.RebuildSectionRanges();
    for (size_t i = 0; i < count; ++i)
        for (int32_t index = sections[i]->FirstParagraph; index <= sections[i]->LastParagraph; ++index)
            document.ReformatingManager().AddParagraph(index);
    document.RelayoutPending = 1;
    if (sections.front()->FirstParagraph <= sections.front()->LastParagraph)
        document.UndoManager().GetRelayoutStart(update, sections.front()->FirstParagraph);
}
