#pragma once
// Tab tables. Tab stops are not kept per paragraph: each document's
// TTabManager stores every distinct table once, and a paragraph or style names
// its table by index (paragraph format slot pfTabTable; -1 = none of its own).
// The manager also builds the working list of stops for the paragraph being
// laid out: its own stops up to the right limit, then default stops at a fixed
// interval.
#include "foundation/CharFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;

// A packed tab stop, one 32-bit value (stops are equal when these are):
// bits 0-23 position in twips from the left edge of the text (at least 15),
// bits 24-27 kind, bits 28-31 leader (the fill character kind).
using TTabStop = uint32_t;

enum TTabKind : uint8_t {
    tkLeft = 0,
    tkCenter = 1,
    tkRight = 2,
    tkDecimal = 3,
    tkBar = 4,  // a vertical line, not a stop
};

// What GetNextTab gives when no stop follows.
constexpr TTabStop NoNextTab = 0x7FFFFFFF;
constexpr int32_t MaxTabStops = 50;
// The page width limit that tab positions are measured against.
constexpr int32_t MaxTabLimit = 31680;
constexpr int32_t DefaultTabInterval = 720;

// A position below 16 is stored as 15; the kind keeps its low four bits.
TTabStop PackTabStop(int32_t position, uint8_t kind, uint8_t leader);
void UnpackTabStop(TTabStop stop, int32_t& position, uint8_t& kind, uint8_t& leader);
inline int32_t TabStopPosition(TTabStop stop)
{
    return static_cast<int32_t>(stop & 0xFFFFFF);
}
inline uint8_t TabStopKind(TTabStop stop)
{
    return static_cast<uint8_t>((stop >> 24) & 0xF);
}
inline uint8_t TabStopLeader(TTabStop stop)
{
    return static_cast<uint8_t>(stop >> 28);
}

class TTabTable {
public:
    TTabTable() = default;

    int32_t Count() const { return static_cast<int32_t>(FStops.size()); }
    TTabStop Stops(int32_t index) const { return FStops.at(static_cast<size_t>(index)); }
    const std::vector<TTabStop>& StopList() const { return FStops; }
    bool operator==(const TTabTable&) const = default;

    // The last stop at the position, searched from the end; -1 when none.
    int32_t IndexOfPosition(int32_t position) const;
    bool HasTabAt(int32_t position) const { return IndexOfPosition(position) != -1; }
    void Assign(const TTabTable& source);
    void Clear() { FStops.clear(); }
    // Ignored when the table is full (MaxTabStops) or holds an equal stop; a
    // position below 15 becomes 15. A second stop at the same position with
    // another kind or leader is appended beside the first.
    void AddTab(TTabStop stop);
    void RemoveTabAt(int32_t position);
    // Orders the stops by position (stops at one position keep their order).
    void Sort();
    // The first stop in list order that is no bar and lies after the position
    // (or at it, when inclusive); NoNextTab when none. Expects a sorted table.
    TTabStop GetNextTab(int32_t position, bool inclusive) const;

private:
    std::vector<TTabStop> FStops;
};

class TTabManager {
public:
    explicit TTabManager(TDocument* document);
    ~TTabManager();
    TTabManager(const TTabManager&) = delete;
    TTabManager& operator=(const TTabManager&) = delete;

    // The owning document; null for the default style sheet's manager.
    TDocument* Document() const { return FDocument; }

    int32_t Count() const { return static_cast<int32_t>(FTables.size()); }
    // The stored table of an index; null when the index names none.
    const TTabTable* Tables(int32_t index) const;

    // -1 for a table without stops; else the index of a stored table with the
    // same stops in the same order, storing a copy when there is none.
    int32_t AddTable(const TTabTable& table);
    // Forgets the tables from index count on (those an abandoned edit added
    // after the manager held count tables).
    void DropTablesFrom(int32_t count);

    // The interval of default stops, in twips. A value below 1 counts as the
    // standard 720 when the working list is built.
    int32_t DefaultInterval() const { return FDefaultInterval; }
    void SetDefaultInterval(int32_t interval) { FDefaultInterval = interval; }

    // Builds the working list for a paragraph of this format (its tab table and
    // right indent), unless it was last built for the same table index.
    void PrepareParagraphTabs(const TParFormat& format);
    const TTabTable& WorkingTable() const { return *FWorking; }
    // The table index the working list was built for; NotSet when none.
    int32_t WorkingTableIndex() const { return FWorkingIndex; }
    // Makes the next PrepareParagraphTabs build the list again (after a change
    // of page width or right indent).
    void InvalidateWorkingTable() { FWorkingIndex = NotSet; }

private:
    TDocument* FDocument;
    std::vector<std::unique_ptr<TTabTable>> FTables;
    int32_t FDefaultInterval = DefaultTabInterval;
    std::unique_ptr<TTabTable> FWorking;
    int32_t FWorkingIndex = NotSet;
};

// A copied paragraph format with its tabs, for the format-painter tools, which
// fill and read it (an empty capture: the flag set, every slot unset, no name).
class TParFormatingStateClipboard {
public:
    TParFormatingStateClipboard();
    ~TParFormatingStateClipboard();
    TParFormatingStateClipboard(const TParFormatingStateClipboard&) = delete;
    TParFormatingStateClipboard& operator=(const TParFormatingStateClipboard&) = delete;

    // A state has been captured.
    uint8_t Captured = 0;
    TTabTable& Tabs() { return *FTabs; }
    const TTabTable& Tabs() const { return *FTabs; }
    TParFormat Format{};
    // The display name of the paragraph's style.
    std::string StyleName;

private:
    std::unique_ptr<TTabTable> FTabs;
};

// The program-wide instance; null outside CreateParFormatingStateClipboard
// and FreeParFormatingStateClipboard.
TParFormatingStateClipboard* GetParFormatingStateClipboard();
void CreateParFormatingStateClipboard();
void FreeParFormatingStateClipboard();
