#include "foundation/managers/TabManager.h"

#include <algorithm>

namespace {

std::unique_ptr<TParFormatingStateClipboard> g_ParFormatClipboard;

}  // namespace

TTabStop PackTabStop(int32_t position, uint8_t kind, uint8_t leader)
{
    if (position < 16)
        position = 15;
    else if (position > 0xFFFFFF)
        position = 0xFFFFFF;  // beyond every page; the bits cannot hold more
    return static_cast<uint32_t>(position) | (static_cast<uint32_t>(kind & 0xF) << 24) |
           (static_cast<uint32_t>(leader) << 28);
}

void UnpackTabStop(TTabStop stop, int32_t& position, uint8_t& kind, uint8_t& leader)
{
    position = TabStopPosition(stop);
    kind = TabStopKind(stop);
    leader = TabStopLeader(stop);
}

// --- TTabTable ---

int32_t TTabTable::IndexOfPosition(int32_t position) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (TabStopPosition(FStops[static_cast<size_t>(i)]) == position)
            return i;
    return -1;
}

void TTabTable::Assign(const TTabTable& source)
{
    if (&source != this)
        FStops = source.FStops;
}

void TTabTable::AddTab(TTabStop stop)
{
    if (Count() >= MaxTabStops)
        return;
    if (TabStopPosition(stop) < 15)
        stop = PackTabStop(15, TabStopKind(stop), TabStopLeader(stop));
    if (std::find(FStops.begin(), FStops.end(), stop) == FStops.end())
        FStops.push_back(stop);
}

void TTabTable::RemoveTabAt(int32_t position)
{
    const int32_t index = IndexOfPosition(position);
    if (index != -1)
        FStops.erase(FStops.begin() + index);
}

void TTabTable::Sort()
{
    std::stable_sort(FStops.begin(), FStops.end(),
                     [](TTabStop a, TTabStop b) { return TabStopPosition(a) < TabStopPosition(b); });
}

TTabStop TTabTable::GetNextTab(int32_t position, bool inclusive) const
{
    for (TTabStop stop : FStops) {
        if (TabStopKind(stop) == tkBar)
            continue;
        const int32_t p = TabStopPosition(stop);
        if (p > position || (inclusive && p == position))
            return stop;
    }
    return NoNextTab;
}

// --- TTabManager ---

TTabManager::TTabManager(TDocument* document) : FDocument(document), FWorking(std::make_unique<TTabTable>()) {}

TTabManager::~TTabManager() = default;

const TTabTable* TTabManager::Tables(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FTables[static_cast<size_t>(index)].get();
}

int32_t TTabManager::AddTable(const TTabTable& table)
{
    if (table.Count() == 0)
        return -1;
    for (int32_t i = 0; i < Count(); ++i)
        if (*FTables[static_cast<size_t>(i)] == table)
            return i;
    auto copy = std::make_unique<TTabTable>();
    copy->Assign(table);
    FTables.push_back(std::move(copy));
    return Count() - 1;
}

void TTabManager::DropTablesFrom(int32_t count)
{
    if (count < 0 || count >= Count())
        return;
    FTables.erase(FTables.begin() + count, FTables.end());
    if (FWorkingIndex != NotSet && FWorkingIndex >= count)
        FWorkingIndex = NotSet;
}

void TTabManager::PrepareParagraphTabs(const TParFormat& format)
{
    const int32_t tableIndex = format[pfTabTable];
    if (FWorkingIndex != NotSet && FWorkingIndex == tableIndex)
        return;
    FWorking->Clear();
    FWorkingIndex = tableIndex;

    // The right limit. A right indent that is not set counts as none; one far
    // out of range must not overflow the arithmetic below.
    const int32_t rightIndent = format[pfRightIndent] == NotSet ? 0 : format[pfRightIndent];
    const int64_t limit = int64_t{MaxTabLimit} - rightIndent;
    int64_t p = 0;

    // The paragraph's own stops up to the limit (an index that names no table,
    // as a damaged file may hold, gives none).
    if (const TTabTable* own = Tables(tableIndex)) {
        for (TTabStop stop : own->StopList()) {
            if (TabStopKind(stop) == tkBar)
                continue;
            p = TabStopPosition(stop);
            if (p >= limit && FWorking->Count() > 0)
                break;
            FWorking->AddTab(stop);
        }
    }

    // Default stops from the next whole multiple of the interval on; at least
    // one stop in all. A full list takes no more, so the walk ends there.
    const int64_t interval = FDefaultInterval > 0 ? FDefaultInterval : DefaultTabInterval;
    while (FWorking->Count() < MaxTabStops) {
        const int64_t next = (p + interval) / interval * interval;
        if (FWorking->Count() > 0 && next > limit)
            break;
        p = next;
        FWorking->AddTab(PackTabStop(static_cast<int32_t>(std::min<int64_t>(p, 0xFFFFFF)), tkLeft, 0));
    }
}

// --- TParFormatingStateClipboard ---

TParFormatingStateClipboard::TParFormatingStateClipboard() : FTabs(std::make_unique<TTabTable>()) {}

TParFormatingStateClipboard::~TParFormatingStateClipboard() = default;

TParFormatingStateClipboard* GetParFormatingStateClipboard()
{
    return g_ParFormatClipboard.get();
}

void CreateParFormatingStateClipboard()
{
    g_ParFormatClipboard = std::make_unique<TParFormatingStateClipboard>();
}

void FreeParFormatingStateClipboard()
{
    g_ParFormatClipboard.reset();
}
