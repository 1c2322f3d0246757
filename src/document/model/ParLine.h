#pragma once
// The hand-over of a paragraph's text to layout. The layout subsystem lies above
// the document model, so the model declares here what it needs of it: a line
// (TParLine) that it keeps in the paragraph's line list, and the layout service
// (TParagraphLayout) that creates lines, converts sizes for the view and selects
// fonts. The layout installs its service at start-up; without one a paragraph
// cannot be laid out and says so (EInternalError) rather than inventing lines.
#include "foundation/CharFormat.h"

#include <cstdint>
#include <memory>

class TField;
class TPage;
class TParagraph;

// The running state of line building: where the text not yet laid out starts,
// how many bytes remain, and the character format in force there (its size in
// view units, as the layout measures).
struct TLineBuildState {
    const uint8_t* Text = nullptr;
    int32_t Remaining = 0;
    TCharFormat Format;
};

// One laid-out line of a paragraph: what the document model reads of it. The
// layout derives its line class from this one and adds its measurements. The
// paragraph fills in where the line starts, what it covers, its right limit and
// its index; the layout's BuildLine only consumes the line's bytes; pagination
// places the line on a page (page, its slot there, column and top).
class TParLine {
public:
    TParLine() = default;
    // A line freed while it stands on a page leaves an empty slot in the
    // page's line list (the page is rebuilt by the next pagination).
    virtual ~TParLine();
    TParLine(const TParLine&) = delete;
    TParLine& operator=(const TParLine&) = delete;

    int32_t FirstChar = 0;    // index of the first character in the plain-character buffer
    int32_t CharCount = 0;    // characters on the line
    int32_t StartByte = 0;    // offset of the line's first byte in the text buffer
    int32_t ByteLength = 0;   // bytes the line covers
    int32_t StartFormat = -1; // pool list of the format in force at the line start; -1 = the default
    int32_t RightLimit = 0;   // right edge available to the text, layout units
    int32_t Index = 0;        // index in the paragraph's line list
    TPage* Page = nullptr;    // the page it is placed on; nullptr until pagination
    int32_t PageIndex = -1;   // its slot in the page's line list; -1 none
    int32_t Column = -1;      // column index on the page; -1 for a single-column section
    int32_t Top = 0;          // y of the line's top on its page, layout units
    int32_t Height = 0;       // height after line spacing and paragraph spacing, layout units
    // The line's drawing may reach beyond its own band (painted with its
    // neighbours).
    uint8_t Overlap = 0;
    // The last footnote and endnote reference measured on the line; the
    // document clears them when the note is freed.
    TField* FootnoteMark = nullptr;
    TField* EndnoteMark = nullptr;

    // Consumes the text of one line: advances state.Text, lowers
    // state.Remaining by the bytes taken (at least one), and leaves state.Format
    // as it stands after the line's last byte.
    virtual void BuildLine(TLineBuildState& state) = 0;
    // Completes the line's metrics once all lines of the paragraph exist.
    virtual void FinishLine() = 0;
    // The last character is a column, line or page break (4 to 6).
    virtual bool EndsWithBreak() const = 0;
    // The piece of the line inside a block selection's horizontal extent:
    // the character boundaries (from the line's first character) nearest to
    // the two x values; both 0 when the two are equal. The layout's lines
    // measure it; a line that cannot raises EInternalError.
    virtual void GetBlockRange(int32_t leftX, int32_t rightX, int32_t& first, int32_t& last);
};

// What a paragraph asks of layout to lay itself out.
class TParagraphLayout {
public:
    virtual ~TParagraphLayout() = default;
    // The width available to the lines (twips, the right indent already taken
    // off) in layout units of the paragraph's document and view.
    virtual int32_t WidthToLayout(TParagraph& paragraph, int32_t twips) = 0;
    // The size slot between stored half-points and the document's view units.
    virtual int32_t ScaleToViewX(TParagraph& paragraph, int32_t value) = 0;
    virtual int32_t ScaleFromViewX(TParagraph& paragraph, int32_t value) = 0;
    // Makes the paragraph's tab stops the ones that line building uses.
    virtual void PrepareParagraphTabs(TParagraph& paragraph) = 0;
    // Selects the run font of the format at the start of a re-layout.
    virtual void SelectRunFont(TParagraph& paragraph, const TCharFormat& format) = 0;
    // A new, empty line of the paragraph.
    virtual std::unique_ptr<TParLine> CreateLine(TParagraph& paragraph) = 0;
};

// The program's layout service (nullptr: none); returns the previous one.
TParagraphLayout* SetParagraphLayout(TParagraphLayout* layout);
TParagraphLayout* GetParagraphLayout();
