#pragma once
// The document window's caret: its shape (a plain bar, or a slanted shape
// drawn into the caret bitmap for italic text), its place in view
// coordinates, moving it to a text position, and scrolling it into view.
#include "foundation/CharFormat.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/win/Geometry.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

class TDocument;
struct TTextPosition;

// What layout keeps of a document's caret beside the model's TCaret.
struct TCaretDisplay {
    int32_t XShift = 1;     // pixels the image stands left of the character's x
    bool Italic = false;    // the slanted shape of the caret bitmap
    int32_t Slant = 0;
    int32_t Page = -1;      // page of the caret's line
    int32_t CharWidth = 0;  // width of the character at the caret
    // The format the caret shows and its font's ascent and descent (full
    // size with small capitals).
    TCharFormat Format{};
    int32_t Ascent = 0;
    int32_t Descent = 0;
};
TCaretDisplay& CaretDisplay(const TDocument& document);
void ReleaseCaretDisplay(const TDocument& document);

// Flags of ShowPosition.
constexpr uint32_t spfKeepIfUnchanged = 1;  // nothing to do when nothing changed
constexpr uint32_t spfAfterBreaks = 2;      // the caret may stay after break characters
constexpr uint32_t spfClearSelection = 4;

// Fills the line and page of a position, paginating 1, 2, 4, ... pages more
// until its paragraph stands on a page; the character width at the offset
// goes to charWidth. False when the position cannot be placed.
bool LocatePosition(TDocument& document, int32_t paragraph, int32_t offset, int32_t& line, int32_t& page,
                    int32_t& charWidth);
// Makes the position the caret's (the offset cut to the paragraph), updates
// the caret's shape and place, and scrolls it into view.
void ShowPosition(TDocument& document, int32_t paragraph, int32_t offset, uint32_t flags);
void GoToPosition(TDocument& document, int32_t paragraph, int32_t offset, uint32_t flags);

// The caret's width, height, shift and bitmap from the caret format's font.
void UpdateCaretShape(TDocument& document);
// The caret's x and y (view coordinates) from its line and page.
void UpdateCaretGeometry(TDocument& document);

// The caret rectangle grown 10 pixels left and right and 2 up and down.
TRect GetCaretZone(const TDocument& document);
bool IsCaretVisible(const TDocument& document);
// Mode 1 always computes a new origin (the caret's bottom at mid-window when
// it was below); other modes only when the zone is not wholly visible; mode
// 2 keeps 20 % of the window beside the caret. True when the view moved.
bool ScrollToCaret(TDocument& document, int32_t mode);
// The view origin that shows the rectangle (view coordinates).
TPoint CalcScrollToRect(TDocument& document, const TRect& rect, int32_t mode);
// A page's rectangle grown by its frame and shadow meets the rectangle.
bool IsPageVisible(TDocument& document, int32_t page, const TRect& rect);

// The window's caret: created with the shape (the caret bitmap for an italic
// caret), placed at the caret's window position, and its image inverted
// on a context by tool windows that hide the caret themselves.
void CreateDocumentCaret(TDocument& document, HWND window);
void PlaceDocumentCaret(TDocument& document);
void InvertCaretImage(TDocument& document, HDC dc);
