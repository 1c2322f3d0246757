#pragma once
// The look of the non-printing formatting marks, tab leaders and underlines.
// The line painter decides when each is drawn; everything here draws on a
// device context in device pixels at the positions the painter gives: a
// character cell's left x, its text top y, its width, and the ascent and
// descent of the current font.
#include "foundation/CharFormat.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// One underlined stretch of a line, recorded for each run with an underline
// kind and for each tab: its x span, the text top, the font's ascent and
// descent, the run's format, and the characters it covers (for underlines of
// words only).
struct TUnderlineSegment {
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Ascent = 0;
    int32_t Descent = 0;
    TCharFormat Format{};
    int32_t FirstChar = 0;
    int32_t CharCount = 0;
};

// Break-mark captions by index: 0 page break, 1 column break, 2 to 5 section
// breaks (continuous, next page, even page, odd page).
const std::string& BreakMarkCaption(int32_t index);

// The tab arrow (10 x 5) centred in the tab's width and the ascent.
void DrawTabArrow(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent);
// The line-break arrow (11 x 7) centred in a cell of the width and the ascent.
void DrawLineBreakArrow(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent);
// The optional-hyphen mark in the cell.
void DrawOptionalHyphenMark(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent,
                            int32_t descent);
// A break mark: the caption of the index, in the font selected in dc (the
// painter selects 8-point text of the default character format), centred in
// the width max(cell width, caption width + 30), dotted lines on both sides
// at the caption's middle height (page break: one pixel in two; column
// break: one in three; section breaks: two such lines 2 pixels apart).
// Returns the width the mark took.
int32_t DrawBreakMark(HDC dc, COLORREF markColor, COLORREF captionColor, int32_t captionIndex, int32_t x,
                      int32_t top, int32_t width);
// A bookmark bracket (start or end) at the character's x over the height.
void DrawBookmarkBracket(HDC dc, HBRUSH brush, bool start, int32_t x, int32_t top, int32_t height);
// The paragraph-attribute glyphs of a paragraph (keep with next, keep lines
// together, page break before: each when set), XOR-blitted right to left
// from the right edge x, at the zoom.
void DrawParagraphAttributeGlyphs(HDC dc, const bool (&attributes)[3], int32_t right, int32_t top, int32_t zoom);

// Tab leaders (1 dots, 2 hyphens, 3 underline) over the tab's cell, drawn
// with the font selected in dc (whose widths are given); centred tabs start
// after half the remainder.
void DrawTabLeader(HDC dc, uint8_t leader, bool centred, int32_t x, int32_t top, int32_t width, int32_t height,
                   const int32_t (&widths)[256]);

// The colour an underline of the segment is drawn in: its underline colour
// when set, else its text colour (automatic: the text colour given).
COLORREF UnderlineColor(const TCharFormat& format, COLORREF automatic);

// Joins neighbouring segments of the same look (see the rules of the
// underline painter); the result replaces the list.
void MergeUnderlineSegments(std::vector<TUnderlineSegment>& segments);
// Draws one (merged) segment; lineLeft is the x the pattern periods are
// counted from; x (CharCount + 1 values from the segment's first character)
// and text (the display characters) serve underlines of words only.
void DrawUnderlineSegment(HDC dc, const TUnderlineSegment& segment, int32_t lineLeft, COLORREF color,
                          const int32_t* x = nullptr, const uint8_t* text = nullptr);
// A wave along y over x0 .. x1 (exclusive) with the pen width, sampling step
// and wave height (crest to trough).
void DrawWaveLine(HDC dc, int32_t x0, int32_t x1, int32_t y, int32_t penWidth, int32_t step, int32_t height,
                  COLORREF color);
