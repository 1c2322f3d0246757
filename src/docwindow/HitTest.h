#pragma once
// What lies under a point of the document window: the page and its area
// (margins, header, footer, a text line, left or right of a line), the text
// position for the caret and the character under the point, whether the
// point is on the selection, a word, a picture or object (and which of its
// resize handles) or a field. The mouse handling, the zoom at a point and the
// cursor shape read it.
//
// Kept apart from the window classes (see DocumentFormSupport.h): the point
// is given in the document's view coordinates.
#include "document/model/TextPosition.h"
#include "platform/win/Geometry.h"

#include <cstdint>
#include <vector>

class TDocObject;
class TDocument;
class TField;

// The area of the page under the point.
enum THitKind : uint8_t {
    hkTextLine = 0,
    hkHeader = 1,
    hkFooter = 2,
    hkTopMargin = 3,
    hkLeftOfLine = 4,   // the selection margin
    hkRightOfLine = 5,  // beyond the line's end
    hkBottomMargin = 6,
    hkOutside = 7,      // on no page
};

// The character offset of CharPosition when the character under the point
// is a space.
constexpr int32_t HitOnSpace = static_cast<int32_t>(0x80000000u);

// One Click-and-Type action: code, argument, value.
struct TClickTypeAction {
    int32_t Code = 0;
    int32_t Argument = 0;
    int32_t Value = 0;
};

struct THitTestResult {
    uint8_t Kind = hkOutside;
    // The boundary nearest to the point (the caret's place); Page is the
    // page index (-1: none) and PlaceData1 the line index.
    TTextPosition Position{0, 0, 0, -1, 0, 0};
    // The character under the point (offset HitOnSpace for a space).
    TTextPosition CharPosition{0, 0, 0, -1, 0, 0};
    uint8_t InSelection = 0;
    uint8_t OnWord = 0;
    TTextRange WordRange{};
    uint8_t OnObject = 0;
    TField* HyperlinkAtPoint = nullptr;
    TField* TocAtPoint = nullptr;
    TField* FieldAtPoint = nullptr;
    uint8_t InLineHeight = 0;
    uint8_t InLineWidth = 0;
    TDocObject* Object = nullptr;
    int32_t CharParagraph = 0;
    int32_t CharOffset = 0;
    // In view coordinates (moved to the page's place).
    TRect ObjectRect{};
    // 0 none; 1 top-left, 2 top, 3 top-right, 4 left, 5 right, 6 bottom-left,
    // 7 bottom, 8 bottom-right.
    uint8_t ObjectHandle = 0;
    uint8_t ClickTypeActive = 0;
    uint8_t ClickTypeCursor = 0;
    int32_t ClickTypeParagraph = 0;
    std::vector<TClickTypeAction> ClickTypeActions;
    void AddClickTypeAction(int32_t code, int32_t argument, int32_t value)
    {
        ClickTypeActions.push_back({code, argument, value});
    }
};

// A candidate rectangle measured against a point: inside, the distances of
// its centre (halved toward zero) along each axis, and their sum.
struct TRectDistance {
    TRect Rect{};
    bool Inside = false;
    int32_t Dx = 0;
    int32_t Dy = 0;
    int32_t Distance = 0;
};
void MeasureRectDistance(TRectDistance& candidate, TPoint point);

// The resize handle of an object frame (view coordinates) under a point: of
// the eight 12-pixel squares on its corners and edge middles, the one holding
// the point whose centre is nearest (the later one on equal distance); 0 when
// none holds it.
uint8_t ObjectHandleAt(const TRect& frame, TPoint point);

// The hit test of a point in view coordinates. A point below the last page
// of a document not yet fully paginated paginates further until the page is
// there or the text ends.
THitTestResult HitTestDocument(TDocument& document, TPoint viewPoint);
