#pragma once
// One laid-out line of a paragraph. The paragraph's re-layout creates its
// lines, builds each from the running layout state (BuildLine) and finishes
// them from the last to the first (FinishLine); pagination places them on
// pages; painting, hit-testing and the caret read their geometry.
//
// Character positions are cumulative: entry 0 is the line's start x, entry i
// the x of the boundary after character i, in eighths of a layout unit. An
// entry stores its magnitude in bits 0-29, the sign in bit 30 and, in bit 31,
// the flag of the shared font that measured the character. Ascent, descent and
// height are in layout units once the line is finished.
#include "document/model/ParLine.h"
#include "foundation/Memory.h"

#include <cstdint>
#include <vector>

class TDocument;
class TField;
class TParagraph;
struct TLayoutUnits;

// A tab of the line with the stop it was resolved against, for painting (kind
// as TTabKind, leader 0 none, 1 dots, 2 hyphens, 3 underline).
struct TLineTab {
    int32_t Char = 0;  // index of the tab on the line
    uint8_t Kind = 0;
    uint8_t Leader = 0;
};

class TLayoutLine : public TParLine {
public:
    explicit TLayoutLine(TParagraph& paragraph);
    ~TLayoutLine() override;
    TLayoutLine(const TLayoutLine&) = delete;
    TLayoutLine& operator=(const TLayoutLine&) = delete;

    // --- The document model's side ---------------------------------------
    void BuildLine(TLineBuildState& state) override;
    void FinishLine() override;
    // The last character is a column, line or page break (4, 5 or 6).
    bool EndsWithBreak() const override;

    // Re-lays the line out from its start format at its right limit, over
    // the rest of the paragraph's text as a full layout does. Keeps the
    // result when the line still ends at the same byte; otherwise the line
    // returns to what it was (character count, byte length, overlap flag,
    // positions and metrics) and false is returned (the paragraph must be
    // laid out again).
    bool TryRebuild();

    // --- Positions -------------------------------------------------------------
    // Entry i (0 .. CharCount): the x of the boundary after i characters.
    int32_t GetCharPosition(int32_t i) const;
    bool GetPosFlag(int32_t i) const;
    void SetPosFlag(int32_t i, bool flag);
    // Keeps the entry's font flag. Values are formed in 64 bits and stored
    // within the entry's 30 bits of magnitude (saturated at its edge).
    void SetPosition(int32_t i, int64_t value);
    void AddToPosition(int32_t i, int64_t delta);
    // Writes entry CharCount + 1 (the caller counts the character).
    void AppendPosition(int64_t value, bool flag);

    // --- Geometry ----------------------------------------------------------------
    // Space above the line in layout units.
    int32_t GetSpaceBefore() const;
    // Display x of the boundary after n characters at zoom 100 %, from the
    // display widths of the document's zoom.
    int32_t GetCharOffset(int32_t n);
    // The nearest character boundary of a display x.
    int32_t CharIndexAtX(int32_t x);
    // The first and last character index inside a block selection's span,
    // given the block's two x values on the page (zoomed view units from the
    // page's left edge; the page's left margin is taken off here); both 0
    // when the two are equal.
    void GetBlockRange(int32_t leftX, int32_t rightX, int32_t& first, int32_t& last);
    // Vertical room of the line on its page (zoomed): its height, or the
    // distance to the next line of the page when that line stands in the
    // same column and lower; at least 1.
    int32_t GetPageHeight() const;
    // The left boundary of the line's column in device units: 0 for a
    // single-column line; for columns 1 and up, from the page's left margin.
    int32_t GetColumnLeft() const;
    // No later line of the page, of a paragraph of the line's section, stands
    // in a column further right.
    bool IsLastColumnOnPage() const;
    // The last character is a column break, a page break, or a section break
    // whose section starts on a new page.
    bool EndsWithPageBreak() const;
    // One character, and it is such a break.
    bool IsBreakOnlyLine() const;
    // The selection is exactly one picture or embedded object, in this line's
    // paragraph, from the line's first character on, and the line reaches
    // the selection's end.
    bool HoldsSelectedObject() const;
    // The display widths of the document's zoom, made when the zoom changed.
    void UpdateDisplayWidths();
    int32_t DisplayWidth(int32_t i) const;

    TParagraph& Paragraph() const { return *FParagraph; }
    // The tabs of the line with their stops.
    const std::vector<TLineTab>& Tabs() const { return FTabs; }

    // Height, Top, Column, PageIndex and Overlap are the document model's
    // (TParLine).
    int32_t TextAscent = 0;  // largest ascent of the fonts (objects excluded)
    int32_t DisplayZoom = NotSet;
    int32_t Ascent = 0;      // largest height above the baseline, objects included
    int32_t Descent = 0;
    uint16_t Raise = 0;      // largest raise, points
    uint16_t Lower = 0;      // largest lower, points
    // The line ends at an automatic hyphenation point.
    uint8_t HyphenEnd = 0;

private:
    friend class TLineBuilder;
    friend class TLineAligner;

    void Build(const TLayoutUnits& units, TLineBuildState& state, bool endsAtHyphenPoint = false);
    void AlignLine(const TLayoutUnits& units);
    void ResizePositions(int32_t entries);
    // The character of the line at an index, from the paragraph's plain characters.
    uint8_t CharAt(int32_t i) const;
    bool IsLastLine() const;
    TLayoutLine* LineBefore() const;

    TParagraph* FParagraph;
    uint32_t* FPositions = nullptr;
    int32_t FCapacity = 0;  // bytes
    TMemory FDisplayWidths;
    std::vector<TLineTab> FTabs;
};

// The layout's line of a paragraph's line list; null when the line is none of
// the layout's.
TLayoutLine* AsLayoutLine(TParLine* line);

// The length of the plain run before the first 0 byte; the length when there
// is none; -1 for length 0.
int32_t FindNextControlRecord(const uint8_t* bytes, int32_t length);
// Replaces each byte of a run by its entry in the table when that is not 0.
void MapDisplayChars(uint8_t* bytes, int32_t count, const uint8_t table[256]);
