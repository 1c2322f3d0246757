#include "document/model/Section.h"

#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "platform/win/Geometry.h"

#include <algorithm>

namespace {

TSectionSettings MakeDefaultSettings()
{
    TSectionSettings settings;
    settings[ssBreakKind] = sbNewPage;
    settings[ssColumnCount] = 1;
    settings[ssEqualColumns] = 1;
    settings[ssColumnSpacing] = 720;
    return settings;
}

int32_t ClampToInt(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// At most 40 % of a paper dimension.
int32_t MarginLimit(int32_t dimension)
{
    return MulDiv(dimension, 40, 100);
}

}  // namespace

int32_t TSectionSettings::UsableColumnCount() const
{
    return std::clamp(Values[ssColumnCount], 1, MaxColumns);
}

const TSectionSettings& DefaultSectionSettings()
{
    static const TSectionSettings settings = MakeDefaultSettings();
    return settings;
}

void SetDefaultPageParams(TPageParams& params)
{
    params[ppPaperWidth] = 11905;
    params[ppPaperHeight] = 16838;
    params[ppOrientation] = 0;
    params[ppLeftMargin] = 1417;
    params[ppRightMargin] = 1417;
    params[ppTopMargin] = 1417;
    params[ppBottomMargin] = 1417;
    params[ppReserved8] = 0;
    params[ppTextWidth] = 11905 - 2 * 1417;
    params[ppHeaderDistance] = 720;
    params[ppFooterDistance] = 720;
    params[ppFlags] = 0;
}

void ValidatePageParams(TPageParams& params)
{
    params[ppPaperWidth] = std::clamp(params[ppPaperWidth], MinPaperSize, MaxPaperSize);
    params[ppPaperHeight] = std::clamp(params[ppPaperHeight], MinPaperSize, MaxPaperSize);
    const int32_t vertical = MarginLimit(params[ppPaperHeight]);
    const int32_t horizontal = MarginLimit(params[ppPaperWidth]);
    for (int index : {ppTopMargin, ppBottomMargin})
        params[index] = std::clamp(params[index], 0, vertical);
    for (int index : {ppLeftMargin, ppRightMargin})
        params[index] = std::clamp(params[index], 0, horizontal);
    // Header and footer distances have no lower bound.
    for (int index : {ppHeaderDistance, ppFooterDistance})
        params[index] = std::min(params[index], vertical);
    // The text width follows the paper and margins it is derived from; with the
    // limits above it is at least a fifth of the paper width.
    params[ppTextWidth] = params[ppPaperWidth] - params[ppLeftMargin] - params[ppRightMargin];
}

TColumnGeometry GetColumnGeometry(const TSectionSettings& settings, const TPageParams& params, int32_t column)
{
    const int32_t count = settings.UsableColumnCount();
    const int32_t index = std::clamp(column, 0, count - 1);
    const int64_t textWidth = std::max(params[ppTextWidth], 0);
    TColumnGeometry geometry;
    if (count == 1) {
        // One column is as wide as the text, whether its widths are equal or not.
        geometry.Width = static_cast<int32_t>(textWidth);
        geometry.RightBoundary = geometry.Width;
        return geometry;
    }
    if (settings[ssEqualColumns] != 0) {
        const int64_t gap = std::min<int64_t>(std::max(settings[ssColumnSpacing], 0), (textWidth * 7 / 10) / (count - 1));
        const int64_t width = std::max<int64_t>(0, (textWidth - (count - 1) * gap) / count);
        const int64_t left = (gap + width) * index;
        geometry.Left = ClampToInt(left);
        geometry.Width = ClampToInt(width);
        geometry.Gap = ClampToInt(gap);
        geometry.LeftBoundary = ClampToInt(index > 0 ? left - gap / 2 : left);
        geometry.RightBoundary = ClampToInt(index < count - 1 ? left + width + gap / 2 : left + width);
        return geometry;
    }
    int64_t left = 0;
    for (int32_t i = 0; i < index; ++i)
        left += static_cast<int64_t>(settings[TSectionSettings::ColumnValue(i, crWidth)]) +
                settings[TSectionSettings::ColumnValue(i, crSpacing)];
    const int64_t width = settings[TSectionSettings::ColumnValue(index, crWidth)];
    const int64_t gap = settings[TSectionSettings::ColumnValue(index, crSpacing)];
    geometry.Left = ClampToInt(left);
    geometry.Width = ClampToInt(width);
    geometry.Gap = ClampToInt(gap);
    geometry.LeftBoundary =
        ClampToInt(index > 0 ? left - settings[TSectionSettings::ColumnValue(index - 1, crSpacing)] / 2 : left);
    geometry.RightBoundary = ClampToInt(index < count - 1 ? left + width + gap / 2 : left + width);
    return geometry;
}

void FitColumnWidths(TSectionSettings& settings, const TPageParams& params)
{
    const int32_t count = settings.UsableColumnCount();
    if (count <= 1 || settings[ssEqualColumns] != 0)
        return;
    int64_t widths = 0;
    int64_t gaps = 0;
    for (int32_t i = 0; i < count; ++i) {
        widths += settings[TSectionSettings::ColumnValue(i, crWidth)];
        if (i < count - 1)
            gaps += settings[TSectionSettings::ColumnValue(i, crSpacing)];
    }
    const int64_t textWidth = params[ppTextWidth];
    if (widths + gaps == textWidth)
        return;
    const int64_t room = std::max<int64_t>(textWidth - gaps, 0);
    for (int32_t i = 0; i < count; ++i) {
        int32_t& width = settings[TSectionSettings::ColumnValue(i, crWidth)];
        if (widths <= 0) {
            // Widths that add up to nothing cannot be scaled: the room is shared
            // out evenly instead.
            width = ClampToInt(room / count);
        } else {
            // width × room / widths, rounded as the platform's MulDiv rounds.
            const int64_t product = static_cast<int64_t>(std::max(width, 0)) * room;
            width = ClampToInt((product + widths / 2) / widths);
        }
    }
}

TSection::TSection(TDocument* document) : FDocument(document)
{
    if (FDocument)
        FHandle = FDocument->Objects().Add(this);
}

TSection::~TSection()
{
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
}

void TSection::SetDocument(TDocument* document)
{
    if (document == FDocument)
        return;
    TObjectHandle handle = NoObjectHandle;
    if (document)
        handle = document->Objects().Add(this);
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
    FDocument = document;
    FHandle = handle;
}

void TSection::Assign(const TSection& other)
{
    Settings = other.Settings;
    PageParams = other.PageParams;
    Trailing[0] = other.Trailing[0];
    Trailing[1] = other.Trailing[1];
    LineBetweenColumns = other.LineBetweenColumns;
}

void TSection::SetDefaults()
{
    Settings = DefaultSectionSettings();
    SetDefaultPageParams(PageParams);
    Trailing[0] = 0;
    Trailing[1] = -1;
    LineBetweenColumns = 0;
}

TColumnGeometry TSection::GetColumnGeometry(int32_t column) const
{
    const TSection& pageSection = FDocument ? FDocument->GetPageSectionOf(*this) : *this;
    return ::GetColumnGeometry(Settings, pageSection.PageParams, column);
}

bool TSection::ReachesRangeEnd(const TTextRange& range) const
{
    if (range.End.Paragraph > LastParagraph)
        return true;
    if (range.End.Paragraph != LastParagraph || !FDocument || LastParagraph < 0 ||
        LastParagraph >= FDocument->ParagraphCount())
        return false;
    return range.End.Offset == FDocument->Paragraphs(LastParagraph).GetCharCount();
}

int32_t TSection::GetPageCount()
{
    int32_t result = 1;
    if (FDocument) {
        const auto& pages = FDocument->Pages();
        size_t first = pages.size();
        // A blank page (before an odd or even page break) does not end the
        // search: the sections after it have pages too.
        for (size_t i = 0; i < pages.size(); ++i) {
            if (pages[i]->HoldsParagraph(FirstParagraph)) {
                first = i;
                break;
            }
        }
        if (first < pages.size()) {
            int32_t following = 0;
            for (size_t i = first + 1; i < pages.size(); ++i) {
                // A page without text within the run (a blank page before an
                // odd or even page break) counts with it.
                if (pages[i]->HasParagraphs() && pages[i]->FirstParagraph() > LastParagraph)
                    break;
                ++following;
            }
            result = following + 1;
        }
    }
    PageCount = result;
    return result;
}
