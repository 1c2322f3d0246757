#pragma once
// The rulers of the document window: the horizontal one above the view shows
// the page width with its margins, the indents, tab stops and default tabs
// of the selected paragraphs and the section's columns; the vertical one
// left of the view shows the page height with its top and bottom margins.
// Their markers are dragged with the mouse; a finished drag becomes one
// undoable format change through the document's operation dispatcher.
#include "document/model/Section.h"
#include "foundation/CharFormat.h"
#include "platform/framework/Controls.h"

#include <cstdint>
#include <string>

class TDocument;
class TDocumentForm;

// Hit codes of TStraightEdge::HitTest.
enum TRulerHit : uint8_t {
    rhNone = 0,
    rhTabSelector = 1,
    rhLeftMarginZone = 2,
    rhLeftMarginEdge = 3,
    rhTextZone = 4,
    rhRightMarginEdge = 5,
    rhRightMarginZone = 6,
    rhFirstLineIndent = 7,
    rhLeftIndent = 8,
    rhIndentBox = 9,
    rhRightIndent = 10,
    rhTabStop = 11,
    rhOffBand = 12,
    rhTopMarginZone = 13,
    rhTopMarginEdge = 14,
    rhBottomMarginZone = 15,
    rhBottomMarginEdge = 16,
    rhColumnGap = 17,
    rhGapLeftEdge = 18,
    rhGapGrip = 19,
    rhGapRightEdge = 20,
};

enum TRulerDragMode : uint8_t { rdNone = 0, rdMargin = 1, rdIndent = 2, rdTabStop = 3, rdGapEdge = 4, rdGapGrip = 5 };

// Program events of the rulers.
constexpr int32_t evRulerTabKind = 11000;
constexpr int32_t evRulerMargins = 11020;
constexpr int32_t evRulerIndent = 11040;
constexpr int32_t evRulerTabAdded = 11060;
constexpr int32_t evRulerTabMoved = 11080;

// The kind of tab stop a click on the text zone adds (0 left to 4 bar),
// shared by every ruler.
extern uint8_t CurrentTabKind;

struct TRulerHitResult {
    TRulerHit Hit = rhNone;
    int32_t GrabOffset = 0;
    int32_t Column = 0;
    int32_t TabIndex = -1;
};

// What a ruler shows, read from the document.
struct TRulerState {
    TParFormat Common{};
    TParFormat First{};
    TPageParams Page{};
    int32_t CaretParagraph = 0;
    int32_t CaretOffset = 0;
    int32_t PageIndex = 0;
    TRect PageRect{};
    int32_t Zoom = 100;
    TPoint Origin{};
    TRect DocRect{};
    uint8_t Unit = 0;
    int32_t DefaultTab = 720;
    TSectionSettings Settings{};
    int32_t Column = 0;
    const void* EditedHeaderFooter = nullptr;
    bool Valid = false;
    bool operator==(const TRulerState&) const = default;
};

class TStraightEdge : public TCustomControl {
public:
    // Orientation 0 horizontal, 1 vertical.
    TStraightEdge(TDocumentForm* form, uint8_t orientation);
    ~TStraightEdge() override;

    uint8_t Orientation() const { return FOrientation; }
    // Reads the document's state; repaints when it differs from what is shown.
    void UpdateFromDocument();
    // Forgets the shown state, so that the next update repaints.
    void ClearState() { FShown.Valid = false; }
    const TRulerState& Shown() const { return FShown; }
    TRulerHitResult HitTest(TPoint point);
    // The hint for a point ("" when none).
    std::string HintAt(TPoint point);
    // A value in twips snapped to the unit's grid; a starting value (NotSet:
    // none) wins when the value lies nearer to it than to the grid.
    int32_t SnapToGrid(int32_t twips, int32_t start) const;
    // The snapping step in twips (rounded): an eighth of a centimetre, a
    // sixteenth of an inch, 3 points, half a pica or a millimetre.
    int32_t SnapStepTwips() const;

    TRulerDragMode DragMode() const { return FDrag; }
    // The value tip's text during a drag.
    const std::string& DragValueText() const { return FTipText; }
    // Ends a drag without writing anything.
    void CancelDrag();
    // The pixel position of the marker kinds, for the tests and the drags.
    int32_t IndentPixel(TRulerHit marker) const;
    int32_t TabPixel(int32_t index) const;
    int32_t TextLeftPixel() const { return FTextLeft; }
    int32_t TextRightPixel() const { return FTextRight; }
    int32_t ColumnLeftPixel() const { return FColumnLeft; }
    int32_t BandTop() const { return FBandTop; }
    int32_t BandBottom() const { return FBandBottom; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void DblClick() override;

private:
    TDocument* Document() const;
    bool ReadState(TRulerState& state) const;
    void ComputeGeometry();
    void Redraw(TCanvas& canvas);
    void DrawScale(TCanvas& canvas);
    void DrawMarkers(TCanvas& canvas);
    const TParFormat& ShownFormat() const;
    int32_t Px(int32_t twips) const;
    int32_t Twips(int32_t pixels) const;
    int32_t ColumnWidthTwips() const;
    const class TTabTable* ShownTabTable() const;

    void DragMove(int32_t x, int32_t y);
    void FinishDrag();
    void AddTabAt(int32_t x);
    void DragColumns(int32_t pointer);
    // The gap between equal columns whose layout puts the dragged edge nearest the pointer.
    int32_t NearestEqualColumnSpacing(int32_t pointer) const;

    TDocumentForm* FForm;
    uint8_t FOrientation;
    TRulerState FShown;
    // Geometry in the ruler's pixels.
    int32_t FPageStart = 0, FPageEnd = 0;
    int32_t FTextLeft = 0, FTextRight = 0;
    int32_t FColumnLeft = 0, FColumnRight = 0;
    int32_t FBandTop = 5, FBandBottom = 18;

    // The drag.
    TRulerDragMode FDrag = rdNone;
    uint8_t FSubKind = 0;
    int32_t FGrab = 0;
    int32_t FStart = 0;
    int32_t FCurrent = 0;
    TParFormat FDragFormat{};
    TParFormat FStartFormat{};
    TPoint FLastDown{};
    // Column drags: the column left of the gap, the section block at the
    // start, and the block as dragged.
    int32_t FColumn = 0;
    TSectionSettings FStartSettings{};
    int32_t FTabIndex = -1;
    bool FTabRemoved = false;
    std::string FTipText;
};
