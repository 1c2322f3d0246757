// The display side of a laid-out line: display widths at the document's zoom
// and the geometry queries of painting, hit-testing and the caret.
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/managers/TabManager.h"
#include "layout/LayoutLine.h"
#include "layout/PageGrid.h"
#include "layout/RunFont.h"

#include <algorithm>
#include <vector>

namespace {

// Among the characters from `from` to i, the one that gets the next unit of
// the remainders: the one whose natural width exceeds its display width the
// most, the latest first; on an equal excess of at least 1 an earlier one
// wins with a larger remainder of its own, and one that already received a
// unit does not win a tie.
int32_t PickUnit(int32_t from, int32_t i, const std::vector<int32_t>& natural, const int32_t* widths,
                 const std::vector<int32_t>& remainders, const std::vector<uint8_t>& received)
{
    int32_t best = i;
    int64_t bestExcess = static_cast<int64_t>(natural[i]) - widths[i];
    for (int32_t j = i - 1; j >= from; --j) {
        const int64_t excess = static_cast<int64_t>(natural[j]) - widths[j];
        if (excess > bestExcess) {
            best = j;
            bestExcess = excess;
        } else if (excess == bestExcess && !received[j] &&
                   (received[best] || (excess >= 1 && remainders[j] > remainders[best]))) {
            best = j;
        }
    }
    return best;
}

}  // namespace

void TLayoutLine::UpdateDisplayWidths()
{
    TDocument& document = DocumentOfParagraph(*FParagraph);
    const int32_t zoom = document.Zoom();
    if (DisplayZoom == zoom)
        return;
    const int32_t count = CharCount;

    // 1. Natural widths: the line laid out again at the zoom, on a copy.
    std::vector<int32_t> natural(static_cast<size_t>(count), 0);
    {
        TLayoutWorkingState& state = LayoutWorkingState();
        const TCharFormat saved = state.Format;
        const TLayoutUnits display = DisplayLayoutUnits(document);
        TLayoutLine copy(*FParagraph);
        copy.FirstChar = FirstChar;
        copy.StartByte = StartByte;
        copy.ByteLength = ByteLength;
        copy.StartFormat = StartFormat;
        copy.RightLimit = RightLimit;
        copy.Index = Index;
        TLineBuildState build;
        FParagraph->ExpandFormatDiff(build.Format, StartFormat);
        if (build.Format[cfSize] != NotSet)
            build.Format[cfSize] = display.ToViewX(build.Format[cfSize]);
        SelectRunFont(display, build.Format, rfLineBuilding);
        document.TabManager().PrepareParagraphTabs(FParagraph->Format);
        build.Text = FParagraph->GetText().Data() + StartByte;
        build.Remaining = ByteLength;
        copy.Build(display, build, HyphenEnd != 0);
        copy.AlignLine(display);
        if (copy.CharCount == count) {
            for (int32_t i = 0; i < count; ++i)
                natural[static_cast<size_t>(i)] = copy.GetCharPosition(i + 1) - copy.GetCharPosition(i);
        } else {
            for (int32_t i = 0; i < count; ++i)
                natural[static_cast<size_t>(i)] = static_cast<int32_t>(
                    static_cast<int64_t>(GetCharPosition(i + 1) - GetCharPosition(i)) * zoom / 800);
        }
        state.Format = saved;
        SelectRunFont(NormalLayoutUnits(document), saved, rfLineBuilding);
    }

    // 2. Display widths with the remainders distributed.
    FDisplayWidths.SetSize(count * static_cast<int32_t>(sizeof(int32_t)));
    auto* widths = reinterpret_cast<int32_t*>(FDisplayWidths.Data());
    std::vector<int32_t> remainders(static_cast<size_t>(count), 0);
    std::vector<uint8_t> received(static_cast<size_t>(count), 0);
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t product = static_cast<int64_t>(GetCharPosition(i + 1) - GetCharPosition(i)) * zoom;
        widths[i] = static_cast<int32_t>(product / 800);
        remainders[static_cast<size_t>(i)] = static_cast<int32_t>(product % 800);
        sum += product % 800;
        const int64_t threshold = i == count - 1 ? 401 : 800;
        while (sum >= threshold) {
            const int32_t j = PickUnit(std::max(i - 5, 0), i, natural, widths, remainders, received);
            ++widths[j];
            received[static_cast<size_t>(j)] = 1;
            sum -= 800;
        }
    }
    // 3.
    DisplayZoom = zoom;
}

int32_t TLayoutLine::DisplayWidth(int32_t i) const
{
    if (i < 0 || i >= CharCount || FDisplayWidths.Size() < (i + 1) * static_cast<int32_t>(sizeof(int32_t)))
        return 0;
    return reinterpret_cast<const int32_t*>(FDisplayWidths.Data())[i];
}

int32_t TLayoutLine::GetCharOffset(int32_t n)
{
    UpdateDisplayWidths();
    const int32_t zoom = DocumentOfParagraph(*FParagraph).Zoom();
    const int32_t start = GetCharPosition(0) / 8;
    n = std::clamp(n, 0, CharCount);
    int64_t s = 0;
    for (int32_t i = 0; i < n; ++i)
        s += DisplayWidth(i);
    if (zoom == 100 || zoom <= 0)
        return static_cast<int32_t>(start + s);
    const int64_t product = s * 100;
    return static_cast<int32_t>(start + product / zoom + (product % zoom >= 50 ? 1 : 0));
}

int32_t TLayoutLine::CharIndexAtX(int32_t x)
{
    UpdateDisplayWidths();
    for (int32_t i = 0; i < CharCount; ++i) {
        const int32_t offset = GetCharOffset(i);
        if (offset >= x) {
            if (i > 0 && offset - x > x - GetCharOffset(i - 1))
                return i - 1;
            return i;
        }
    }
    return IsLastLine() ? std::max(CharCount - 1, 0) : CharCount;
}

void TLayoutLine::GetBlockRange(int32_t leftX, int32_t rightX, int32_t& first, int32_t& last)
{
    first = 0;
    last = 0;
    if (leftX == rightX)
        return;
    if (leftX > rightX)
        std::swap(leftX, rightX);
    TDocument& document = DocumentOfParagraph(*FParagraph);
    if (Page) {
        const TSection& section = document.GetSectionOfParagraph(FParagraph->Index);
        const int32_t margin =
            GetPageMargins(document, document.GetPageSectionOf(section).PageParams, Page->Index).LeftDevice;
        leftX -= margin;
        rightX -= margin;
    }
    const int32_t limit = IsLastLine() ? std::max(CharCount - 1, 0) : CharCount;
    auto offset = [&](int32_t i) { return document.ApplyZoom(GetCharOffset(i)); };
    auto nearest = [&](int32_t from, int32_t x, bool laterOnTie) {
        int32_t best = from;
        int64_t bestDistance = -1;
        for (int32_t i = from; i <= limit; ++i) {
            const int64_t distance = std::abs(static_cast<int64_t>(offset(i)) - x);
            if (bestDistance < 0 || distance < bestDistance || (laterOnTie && distance == bestDistance)) {
                best = i;
                bestDistance = distance;
            }
        }
        return best;
    };
    first = nearest(0, leftX, true);
    last = nearest(first, rightX, false);
}

int32_t TLayoutLine::GetPageHeight() const
{
    const TDocument* document = FParagraph->GetDocument();
    auto zoomed = [&](int32_t value) { return document ? document->ApplyZoom(value) : value; };
    int32_t h = zoomed(Height);
    const TParLine* next = Page ? Page->LineAt(PageIndex + 1) : nullptr;
    if (next && (next->Column == Column || (Column == -1 && next->Column == 0)))
        h = std::max(h, zoomed(next->Top) - zoomed(Top));
    return std::max(h, 1);
}

int32_t TLayoutLine::GetColumnLeft() const
{
    if (Column < 0)
        return 0;
    TDocument& document = DocumentOfParagraph(*FParagraph);
    const TSection& section = document.GetSectionOfParagraph(FParagraph->Index);
    int64_t left = document.TwipsToDeviceX(section.GetColumnGeometry(Column).LeftBoundary);
    if (Column >= 1 && Page)
        left += GetPageMargins(document, document.GetPageSectionOf(section).PageParams, Page->Index).LeftDevice;
    return static_cast<int32_t>(left);
}

bool TLayoutLine::IsLastColumnOnPage() const
{
    if (!Page)
        return true;
    TDocument& document = DocumentOfParagraph(*FParagraph);
    const TSection& section = document.GetSectionOfParagraph(FParagraph->Index);
    for (int32_t slot = PageIndex + 1; slot < static_cast<int32_t>(Page->Lines.size()); ++slot) {
        TLayoutLine* later = AsLayoutLine(Page->LineAt(slot));
        if (!later || later->Column <= Column)
            continue;
        const int32_t index = later->Paragraph().Index;
        if (section.FirstParagraph <= index && index <= section.LastParagraph)
            return false;
    }
    return true;
}

int32_t FindNextControlRecord(const uint8_t* bytes, int32_t length)
{
    if (length <= 0)
        return -1;
    for (int32_t i = 0; i < length; ++i)
        if (bytes[i] == 0)
            return i;
    return length;
}

void MapDisplayChars(uint8_t* bytes, int32_t count, const uint8_t table[256])
{
    for (int32_t i = 0; i < count; ++i)
        if (const uint8_t mapped = table[bytes[i]])
            bytes[i] = mapped;
}
