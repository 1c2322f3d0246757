#pragma once
// The order in which pages go to paper: the page choice of the print dialog
// read into ranges, the ranges expanded with the odd/even filter and reverse
// order, booklet imposition and its sheet sides, the two passes of manual
// two-sided printing, the grid of pages per sheet, and the two-sided
// settings kept for each printer. Pure computations, shared by the print
// routine and its dialogs.
#include <cstdint>
#include <string>
#include <vector>

class TStrings;

// An empty cell of a sheet (booklet padding).
constexpr int32_t BlankSlot = 2147483647;
// "Max" pages per booklet.
constexpr int32_t BookletSizeMax = 2147483647;

// A chosen range of zero-based page indices.
struct TPageRange {
    int32_t First = 0;
    int32_t Last = 0;
    bool operator==(const TPageRange&) const = default;
};

// Reads the text of "P&ages :" (spaces ignored; items separated by "," or
// ";", each "n" or "first-last", one-based). Each item must lie within
// 1..pageCount with last >= first; false for the first item that does not
// (ranges then undefined). An empty text is valid and gives no range.
bool ParsePageRange(const std::string& text, int32_t pageCount, std::vector<TPageRange>& ranges);

// Page filter of "I&mprimer :".
constexpr int32_t pfAllPages = 0;
constexpr int32_t pfOddPages = 1;   // page numbers 1, 3, 5 (indices 0, 2, 4)
constexpr int32_t pfEvenPages = 2;

// Every range becomes its indices in ascending order, kept by the filter;
// the whole list is reversed when asked.
std::vector<int32_t> ExpandPageList(const std::vector<TPageRange>& ranges, int32_t filter, bool reverse);

// Slots of booklet number `booklet`: the booklet size, except the last
// booklet, which gets the pages left rounded up to a multiple of 4.
int32_t ComputeBookletSize(int32_t booklet, int32_t pageCount, int32_t bookletSize);

// The slots of a booklet job for n listed pages, in the order the sheet
// sides take them (side after side, pagesPerSheet entries a side), padded
// with BlankSlot; entries are positions in the page list (BlankSlot and
// positions >= n are empty cells). columns: the sheet grid's columns.
std::vector<int32_t> BookletSideList(int32_t n, int32_t bookletSize, int32_t pagesPerSheet, int32_t columns);

// Manual two-sided printing: the units (list entries or sheet sides,
// numbered in print order) of the first and the second pass, and whether a
// blank face is printed before or after the first pass.
struct TTwoPassOrder {
    std::vector<int32_t> First;
    std::vector<int32_t> Second;
    bool BlankBefore = false;
    bool BlankAfter = false;
};
// feedMode: bit 0 prints on the fed sheet's top side, bit 1 sheets come out
// face up. The blank face is added for an odd unit count unless booklet.
TTwoPassOrder TwoPassOrder(int32_t units, uint8_t feedMode, bool booklet);

// The grid of pages per sheet.
constexpr int32_t PagesPerSheetCounts[6] = {1, 2, 4, 6, 8, 16};
struct TSheetGrid {
    int32_t Columns = 1;
    int32_t Rows = 1;
    bool Rotated = false;   // the sheet is held landscape
    int32_t SheetWidth = 0;  // twips, as held
    int32_t SheetHeight = 0;
    double Scale = 1.0;     // of a cell
};
// The candidate grids of the index tried on the sheet held portrait and then
// landscape; the largest cell scale wins, the first on a tie.
TSheetGrid ChooseSheetGrid(int32_t pagesPerSheetIndex, int32_t sheetWidth, int32_t sheetHeight,
                           int32_t pageWidth, int32_t pageHeight);

// Two-sided settings of one printer.
struct TDuplexSettings {
    uint8_t Duplex = 0;   // 1: the printer prints both sides itself
    uint8_t Binding = 0;  // 0 book, 1 tablet
    uint8_t FeedMode = 0; // bit 0 prints on the fed sheet's top, bit 1 face up
    bool operator==(const TDuplexSettings&) const = default;
};
// Three digits; a text shorter than three characters reads as "000".
TDuplexSettings ParseDuplexSettings(const std::string& digits);
std::string FormatDuplexSettings(const TDuplexSettings& settings);
// The settings of a printer in the list of pairs (name line, digits line);
// "000" when the printer is not there. found says whether it was.
TDuplexSettings FindDuplexSettings(const TStrings& printers, const std::string& printerName, bool* found = nullptr);
// Removes the printer's two lines and puts its name and digits at the top.
void StoreDuplexSettings(TStrings& printers, const std::string& printerName, const TDuplexSettings& settings);
// The device mode's duplex field for a page: 1 simplex, 2 vertical, 3
// horizontal; 0 when it is left as the device mode has it.
int32_t DuplexModeForPage(const TDuplexSettings& settings, bool twoSided, bool landscapePage);
