#pragma once
// Sections. A document's body is divided into sections; each carries its
// settings (break kind, columns and the rest of the section block), its page
// parameters, the range of body paragraphs it covers and the number of pages
// it spans. A section ends with a section-break record (code 23) in its last
// paragraph, whose argument is the section's handle; the last section runs to
// the end of the body. The page setup of a section also governs the sections
// that follow it across continuous breaks (a page group).
#include "document/model/ObjectTable.h"
#include "document/model/TextPosition.h"

#include <cstdint>

class TDocument;
class TField;

// Kinds of the break that ends a section.
enum TSectionBreakKind : uint8_t {
    sbContinuous = 0,  // the next section goes on on the same page
    sbNewPage = 1,
    sbEvenPage = 2,
    sbOddPage = 3,
};

constexpr int32_t MaxColumns = 64;

// The section block: 325 values.
enum TSectionSetting : int {
    ssBreakKind = 0,      // TSectionBreakKind
    ssColumnCount = 1,
    ssEqualColumns = 2,   // 0 / 1
    ssColumnSpacing = 3,  // twips between equal columns
    ssFirstColumn = 4,    // one record of ColumnRecordSize values per column
    ssLastValue = 324,    // compared when sections are merged for display
};
constexpr int32_t ColumnRecordSize = 5;
// Values of a column record that the section code reads.
constexpr int32_t crWidth = 1;
constexpr int32_t crSpacing = 2;  // spacing after the column

struct TSectionSettings {
    static constexpr int Count = 325;
    int32_t Values[Count] = {};

    int32_t& operator[](int index) { return Values[index]; }
    const int32_t& operator[](int index) const { return Values[index]; }
    bool operator==(const TSectionSettings&) const = default;

    // The index of a value of a column's record (column 0 to MaxColumns - 1).
    static constexpr int ColumnValue(int32_t column, int32_t value)
    {
        return ssFirstColumn + column * ColumnRecordSize + value;
    }
    // The column count the geometry works with: 1 to MaxColumns.
    int32_t UsableColumnCount() const;
};
static_assert(TSectionSettings::ColumnValue(MaxColumns - 1, ColumnRecordSize - 1) < ssLastValue);

// The page parameters: 26 values, lengths in twips unless said otherwise.
enum TPageParam : int {
    ppPaperWidth = 0,
    ppPaperHeight = 1,
    ppOrientation = 2,
    ppReserved3 = 3,
    ppLeftMargin = 4,
    ppRightMargin = 5,
    ppTopMargin = 6,
    ppBottomMargin = 7,
    ppReserved8 = 8,
    // Derived by TDocument::UpdateSectionDeviceSizes:
    ppPaperWidthLayout = 9,
    ppPaperHeightLayout = 10,
    ppLeftMarginLayout = 11,
    ppRightMarginLayout = 12,
    ppTopMarginLayout = 13,
    ppBottomMarginLayout = 14,
    ppPaperWidthDevice = 15,    // horizontal device units
    ppPaperHeightDevice = 16,   // vertical device units
    ppPaperHeightDevice15 = 17, // the paper height in device units + 15
    ppLeftMarginScaled = 18,    // layout units scaled by the document's second percentage
    ppRightMarginScaled = 19,
    ppTopMarginScaled = 20,     // layout units scaled by the zoom
    ppBottomMarginScaled = 21,
    // Paper width less the left and right margins.
    ppTextWidth = 22,
    ppHeaderDistance = 23,  // from the page top
    ppFooterDistance = 24,  // from the page bottom
    ppFlags = 25,           // two flag bytes
};

constexpr int32_t MinPaperSize = 1440;
constexpr int32_t MaxPaperSize = 31680;

struct TPageParams {
    static constexpr int Count = 26;
    int32_t Values[Count] = {};

    int32_t& operator[](int index) { return Values[index]; }
    const int32_t& operator[](int index) const { return Values[index]; }
    bool operator==(const TPageParams&) const = default;
};

// The flags of the page parameters: mirrored margins (the low byte of value
// 8), different headers and footers on odd and even pages (the first byte of
// value 25) and a first page with its own (the second byte of value 25).
inline bool HasMirroredMargins(const TPageParams& params)
{
    return (params[ppReserved8] & 0xFF) != 0;
}
inline bool HasOddEvenHeaders(const TPageParams& params)
{
    return (params[ppFlags] & 0xFF) != 0;
}
inline bool HasTitlePage(const TPageParams& params)
{
    return ((params[ppFlags] >> 8) & 0xFF) != 0;
}

// A column's place, twips relative to the left edge of the text area.
struct TColumnGeometry {
    int32_t Left = 0;
    int32_t Width = 0;
    int32_t Gap = 0;
    int32_t LeftBoundary = 0;
    int32_t RightBoundary = 0;
};

// The program's default section block: a new-page break, one column, equal
// widths, 720 twips between columns, every other value 0.
const TSectionSettings& DefaultSectionSettings();
// A4 upright, 1417-twip margins, header and footer 720 twips from the edges.
// Value 3 is left as it is; the derived values are not computed.
void SetDefaultPageParams(TPageParams& params);
// Paper 1440 to 31680 twips each way; margins 0 to 40 % of the paper's
// dimension; header and footer distances at most 40 % of its height; the text
// width made to agree with the result.
void ValidatePageParams(TPageParams& params);
// The place of a column (its index is brought within the columns). Equal
// columns share the text width less the gaps; a single column is as wide as
// the text.
TColumnGeometry GetColumnGeometry(const TSectionSettings& settings, const TPageParams& params, int32_t column);
// For more than one column of unequal widths: rescales the widths so that,
// with the gaps between them, they fill the text width.
void FitColumnWidths(TSectionSettings& settings, const TPageParams& params);

class TSection {
public:
    // Takes a handle in the document's object table; settings and page
    // parameters all 0 until SetDefaults or Assign.
    explicit TSection(TDocument* document);
    ~TSection();
    TSection(const TSection&) = delete;
    TSection& operator=(const TSection&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    // The handle that section-break records carry for this section.
    TObjectHandle Handle() const { return FHandle; }
    // Moves the section to another document, as TField::SetDocument does.
    void SetDocument(TDocument* document);

    // 0-based position in the body, and the body paragraphs it covers (an
    // empty range, last < first, when no paragraph closes it).
    int32_t Number = 0;
    int32_t FirstParagraph = 0;
    int32_t LastParagraph = -1;
    TSectionSettings Settings;
    TPageParams PageParams;
    // Headers in slots 0, 1 and 4, footers in 2, 3 and 5 (range objects of the
    // document's list).
    TField* HeadersFooters[6] = {};
    // Stored and copied, not interpreted here.
    int32_t Trailing[2] = {0, 0};
    // Pages the section spans, as information fields show it.
    int32_t PageCount = 1;
    // A line is drawn between the columns.
    uint8_t LineBetweenColumns = 0;

    // Copies the settings, the page parameters and the two trailing values.
    void Assign(const TSection& other);
    void SetDefaults();
    TSectionBreakKind BreakKind() const { return static_cast<TSectionBreakKind>(Settings[ssBreakKind] & 0xFF); }
    // A column's place with the page parameters of the section's page group.
    TColumnGeometry GetColumnGeometry(int32_t column) const;
    // The range ends after this section's last paragraph, or at the very end
    // of it.
    bool ReachesRangeEnd(const TTextRange& range) const;
    // Counts the pages the section spans in the document's page list (1 when
    // its first paragraph is on no page), stores and returns it.
    int32_t GetPageCount();

private:
    TDocument* FDocument;
    TObjectHandle FHandle = NoObjectHandle;
};
