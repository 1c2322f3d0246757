// Page order computations of the print routine.
#include "layout/print/PrintOrder.h"

#include <algorithm>
#include <cstdlib>

#include "platform/runtime/StringList.h"

namespace {

// Decimal digits only; anything else reads as 0, as the dialog's number
// conversion does.
int32_t ReadNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return 0;
    return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

int64_t RoundUp4(int64_t v)
{
    return (v + 3) / 4 * 4;
}

}  // namespace

bool ParsePageRange(const std::string& text, int32_t pageCount, std::vector<TPageRange>& ranges)
{
    ranges.clear();
    std::string compact;
    for (char c : text.substr(0, 1024))
        if (c != ' ')
            compact += c == ',' ? ';' : c;
    size_t start = 0;
    while (start <= compact.size()) {
        size_t end = compact.find(';', start);
        if (end == std::string::npos)
            end = compact.size();
        const std::string item = compact.substr(start, end - start);
        start = end + 1;
        // Empty items (a trailing separator, an empty text) name nothing.
        if (item.empty())
            continue;
        const size_t dash = item.find('-');
        const int32_t first = ReadNumber(dash == std::string::npos ? item : item.substr(0, dash));
        const int32_t last = dash == std::string::npos ? first : ReadNumber(item.substr(dash + 1));
        if (first < 1 || first > pageCount || last < 1 || last > pageCount || last < first)
            return false;
        ranges.push_back({first - 1, last - 1});
    }
    return true;
}

std::vector<int32_t> ExpandPageList(const std::vector<TPageRange>& ranges, int32_t filter, bool reverse)
{
    std::vector<int32_t> list;
    for (const TPageRange& range : ranges)
        for (int32_t page = range.First; page <= range.Last; ++page) {
            if (filter == pfOddPages && page % 2 != 0)
                continue;
            if (filter == pfEvenPages && page % 2 == 0)
                continue;
            list.push_back(page);
        }
    if (reverse)
        std::reverse(list.begin(), list.end());
    return list;
}

int32_t ComputeBookletSize(int32_t booklet, int32_t pageCount, int32_t bookletSize)
{
    const int64_t size = std::max(bookletSize, 4);
    const int64_t booklets = (int64_t{pageCount} + size - 1) / size;
    if (booklet < booklets - 1)
        return static_cast<int32_t>(size);
    return static_cast<int32_t>(RoundUp4(int64_t{pageCount} - booklet * size));
}

std::vector<int32_t> BookletSideList(int32_t n, int32_t bookletSize, int32_t pagesPerSheet, int32_t columns)
{
    std::vector<int32_t> sides;
    if (n <= 0 || pagesPerSheet < 2)
        return sides;
    const int64_t size = std::max(bookletSize, 4);
    const int64_t booklets = (int64_t{n} + size - 1) / size;
    const int64_t stride = RoundUp4(std::max<int64_t>(4, RoundUp4(n) / (pagesPerSheet / 2)));

    // Imposition: each booklet's sheets folded in the middle.
    std::vector<int32_t> imposed;
    for (int64_t b = 0; b < booklets; ++b) {
        const int64_t s4 = ComputeBookletSize(static_cast<int32_t>(b), n, static_cast<int32_t>(size));
        auto slot = [&](int64_t position) {
            const int64_t v = b * size + position;
            return v < n ? static_cast<int32_t>(v) : BlankSlot;
        };
        for (int64_t s = 0; s < s4 / 2; ++s) {
            if (s % 2 == 0) {
                imposed.push_back(slot(s4 - s - 1));
                imposed.push_back(slot(s));
            } else {
                imposed.push_back(slot(s));
                imposed.push_back(slot(s4 - s - 1));
            }
        }
    }
    while (imposed.size() % (2 * static_cast<size_t>(pagesPerSheet)) != 0)
        imposed.push_back(BlankSlot);

    // The sides: pairs taken a stride apart, mirrored within a row on the
    // backs so that they fall behind their fronts.
    const int64_t h = std::max(1, columns / 2);
    auto at = [&](int64_t i) { return i < static_cast<int64_t>(imposed.size()) ? imposed[i] : BlankSlot; };
    const int64_t sideCount = static_cast<int64_t>(imposed.size()) / pagesPerSheet;
    for (int64_t k = 0; k < sideCount; ++k)
        for (int64_t s = 0; s < pagesPerSheet / 2; ++s) {
            const int64_t c = k % 2 == 0 ? s : s - (s % h) + (h - 1 - s % h);
            sides.push_back(at(2 * k + c * stride));
            sides.push_back(at(2 * k + c * stride + 1));
        }
    return sides;
}

TTwoPassOrder TwoPassOrder(int32_t units, uint8_t feedMode, bool booklet)
{
    TTwoPassOrder order;
    std::vector<int32_t> evens, odds;
    for (int32_t u = 0; u < units; ++u)
        (u % 2 == 0 ? evens : odds).push_back(u);
    const bool blank = units % 2 != 0 && !booklet;
    switch (feedMode & 3) {
    case 0:  // back of the fed sheet, face down
        order.First.assign(evens.rbegin(), evens.rend());
        order.Second.assign(odds.rbegin(), odds.rend());
        order.BlankBefore = blank;
        break;
    case 1:  // top of the fed sheet, face down
        order.First = evens;
        order.Second.assign(odds.rbegin(), odds.rend());
        order.BlankAfter = blank;
        break;
    case 2:  // back of the fed sheet, face up
        order.First = odds;
        order.Second.assign(evens.rbegin(), evens.rend());
        order.BlankAfter = blank;
        break;
    default:  // top of the fed sheet, face up
        order.First.assign(odds.rbegin(), odds.rend());
        order.Second.assign(evens.rbegin(), evens.rend());
        order.BlankBefore = blank;
        break;
    }
    return order;
}

TSheetGrid ChooseSheetGrid(int32_t pagesPerSheetIndex, int32_t sheetWidth, int32_t sheetHeight,
                           int32_t pageWidth, int32_t pageHeight)
{
    static const int32_t grids[6][3][2] = {
        {{1, 1}, {0, 0}, {0, 0}}, {{1, 2}, {2, 1}, {0, 0}}, {{2, 2}, {0, 0}, {0, 0}},
        {{2, 3}, {3, 2}, {0, 0}}, {{2, 4}, {4, 2}, {0, 0}}, {{2, 8}, {4, 4}, {8, 2}},
    };
    const int32_t index = std::clamp(pagesPerSheetIndex, 0, 5);
    TSheetGrid best;
    best.Scale = -1.0;
    if (pageWidth <= 0 || pageHeight <= 0)
        return {1, 1, false, sheetWidth, sheetHeight, 1.0};
    const int32_t shortSide = std::min(sheetWidth, sheetHeight), longSide = std::max(sheetWidth, sheetHeight);
    for (bool rotated : {false, true}) {
        const int32_t w = rotated ? longSide : shortSide, h = rotated ? shortSide : longSide;
        for (const auto& grid : grids[index]) {
            if (grid[0] == 0)
                break;
            const double scale = std::min(static_cast<double>(w) / pageWidth / grid[0],
                                          static_cast<double>(h) / pageHeight / grid[1]);
            if (scale > best.Scale)
                best = {grid[0], grid[1], rotated, w, h, scale};
        }
    }
    return best;
}

TDuplexSettings ParseDuplexSettings(const std::string& digits)
{
    if (digits.size() < 3)
        return {};
    auto digit = [](char c) { return static_cast<uint8_t>(c >= '0' && c <= '9' ? c - '0' : 0); };
    return {digit(digits[0]), digit(digits[1]), digit(digits[2])};
}

std::string FormatDuplexSettings(const TDuplexSettings& settings)
{
    return {static_cast<char>('0' + settings.Duplex % 10), static_cast<char>('0' + settings.Binding % 10),
            static_cast<char>('0' + settings.FeedMode % 10)};
}

TDuplexSettings FindDuplexSettings(const TStrings& printers, const std::string& printerName, bool* found)
{
    // Names stand on the even lines, each followed by its digits.
    for (int32_t i = 0; i + 1 < printers.Count(); i += 2)
        if (printers.Strings(i) == printerName) {
            if (found)
                *found = true;
            return ParseDuplexSettings(printers.Strings(i + 1));
        }
    if (found)
        *found = false;
    return {};
}

void StoreDuplexSettings(TStrings& printers, const std::string& printerName, const TDuplexSettings& settings)
{
    for (int32_t i = 0; i < printers.Count(); i += 2)
        if (printers.Strings(i) == printerName) {
            printers.Delete(i);
            if (i < printers.Count())
                printers.Delete(i);
            break;
        }
    printers.Insert(0, FormatDuplexSettings(settings));
    printers.Insert(0, printerName);
}

int32_t DuplexModeForPage(const TDuplexSettings& settings, bool twoSided, bool landscapePage)
{
    if (settings.Duplex == 1) {
        if (!twoSided)
            return 1;
        return (settings.Binding == 0) != landscapePage ? 2 : 3;
    }
    return twoSided ? 1 : 0;
}
