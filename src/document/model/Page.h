#pragma once
// A page of a document's page list. Pagination (layout) builds the list and
// the document owns it. A page holds the ranges of the paragraphs placed on
// it, in paragraph order, each a run of consecutive lines of one paragraph,
// and the lines themselves in placement order: the lines of a range stand
// together in the line list, in the order of the ranges, and a line's
// PageIndex is its slot there.
//
// A line freed while it stands on a page (its paragraph was laid out again or
// deleted) leaves an empty slot. A range with an empty slot no longer shows
// what its paragraph holds; its paragraph pointer must not be trusted and the
// page waits for the next pagination. The queries below skip such ranges.
#include "platform/win/Geometry.h"

#include <cstdint>
#include <vector>

class TDocument;
class TField;
class TParagraph;
class TParLine;
class TSection;

// One paragraph's lines on a page.
struct TParagraphOnPageInfo {
    TParagraph* Paragraph = nullptr;
    int32_t FirstLine = 0;  // line indices in the paragraph
    int32_t LastLine = -1;
    int32_t Height = 0;     // the lines' heights summed
    // A header or footer paragraph laid out on the page (LayoutHeaderFooter).
    uint8_t HeaderFooter = 0;
    int32_t LineCount() const { return LastLine >= FirstLine ? LastLine - FirstLine + 1 : 0; }
};

class TPage {
public:
    // An empty page with the given index in the page list.
    TPage(TDocument* document, int32_t index);
    // Takes its lines off the page and frees its ranges.
    virtual ~TPage();
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    // Column index of a column page while pagination builds the page; -1
    // for a single-column section.
    int32_t Column = -1;
    std::vector<TParagraphOnPageInfo> Ranges;
    std::vector<TParLine*> Lines;
    // 0-based position in the page list.
    int32_t Index = 0;
    // Rectangle in view coordinates (the page grid).
    TRect Rect;
    // Height taken by the placed lines, layout units.
    int32_t UsedHeight = 0;
    // Room the header and the footer take from the body beyond the margins.
    int32_t HeaderSpace = 0;
    int32_t FooterSpace = 0;
    // No more lines may be placed (a break, a page-break-before paragraph).
    uint8_t Closed = 0;
    // The header and footer shown on the page.
    TField* Header = nullptr;
    TField* Footer = nullptr;

    TDocument* GetDocument() const { return FDocument; }

    // A range of the paragraph's lines first to last (none when last <
    // first): its height is the sum of the lines' heights; each line gets
    // this page and its slot and is appended to the line list. The used
    // height is left to the caller.
    void AddParagraphRange(TParagraph& paragraph, int32_t firstLine, int32_t lastLine);
    // Position of the (last) range of the paragraph with that index; -1 when
    // the page holds none.
    int32_t FindParagraph(int32_t paragraphIndex) const;
    // Removes the range at the position (-1: nothing): its height leaves the
    // used height, its lines leave the line list from the last to the first.
    void RemoveParagraphRange(int32_t position);
    // The section of the paragraph of the page's first line; for a page
    // without text, the section whose page setup governs the page.
    TSection& GetSection() const;
    // Lays a header or footer out on the page, in place of the header and
    // footer ranges the page holds (used while one is shown or edited).
    void LayoutHeaderFooter(TField* range);
    // Removes the ranges of every header and footer paragraph; the used
    // height stays.
    void RemoveHeaderFooter();

    // The slot of the first line of the range at the position.
    int32_t RangeFirstSlot(int32_t position) const;
    // Every line of the range still stands in its slot.
    bool IsRangeIntact(int32_t position) const;
    // The paragraph index of an intact range; -1 for one that is not.
    int32_t RangeParagraphIndex(int32_t position) const;
    // The page shows some paragraph.
    bool HasParagraphs() const;
    // The paragraph of the first intact range; -1 when there is none.
    int32_t FirstParagraph() const;
    bool HoldsParagraph(int32_t paragraph) const;
    // The line in a slot; nullptr for an empty slot or one outside the list.
    TParLine* LineAt(int32_t slot) const;
    // The last line of the page that belongs to the body (header and footer
    // lines skipped); nullptr when there is none.
    TParLine* LastBodyLine() const;

    // Gives every line of the list this page and its slot.
    void RenumberLines();
    // Appends the ranges and lines of another page (FinishPage of
    // pagination); `merge` joins the first range with this page's last one
    // when they are of the same paragraph. The other page is left empty.
    void TakeOver(TPage& other, bool merge);
    // Called by a line being freed: empties its slot.
    void DetachLine(int32_t slot, const TParLine* line);
    // Puts a line (a new line of the same paragraph) into a slot.
    void ReplaceLine(int32_t slot, TParLine* line);

private:
    TDocument* FDocument;
};

// The room a header or footer takes: its lines' heights summed in order, a
// line that would bring the sum beyond 80 % of the page height (layout units)
// getting height 0. Adds the line to the running sum; pagination and a page's
// own header layout both measure with it, so that both agree.
int64_t AddHeaderFooterLine(TParLine& line, int64_t total, int32_t pageHeight);

