#pragma once
// The document window: an MDI child of the main frame that shows one
// document. It is the document's view (the document asks it to repaint,
// scroll and keep the caret), owns the controls around the document view
// (the two scroll bars, the page buttons beside the vertical one and the
// bookmark tabs), works out the rectangle left for the document, paints the
// document's pages there through the page painter, shows the page number
// while the vertical scroll box is dragged, zooms at a point, scrolls by hand,
// maps a point to what lies under it, and asks about unsaved changes before
// it closes.
#include "docwindow/HitTest.h"
#include "document/model/DocumentView.h"
#include "platform/framework/Forms.h"

#include <functional>

class TDocument;
class TPanel;
class TScrollBar;
class TSpeedButton;
class TStraightEdge;
class TTabSet;

// Bits of the window's flags.
constexpr uint32_t dwfControlsSuppressed = 1u << 0;  // the document rectangle is the whole client area
constexpr uint32_t dwfCaretShown = 1u << 5;
constexpr uint32_t dwfCaretAllowed = 1u << 6;
constexpr uint32_t dwfProgramScroll = 1u << 14;      // the scroll bars are being set by the program
constexpr uint32_t dwfPageHintShown = 1u << 15;
constexpr uint32_t dwfPanning = 1u << 16;

// Commands and program events of the window.
constexpr int32_t cmdPageUp = 4225;
constexpr int32_t cmdPageDown = 4226;
constexpr int32_t cmdBookmarkDialog = 4520;
constexpr int32_t evDocumentClosed = 2040;
constexpr int32_t evPanningStarted = 10040;
constexpr int32_t evZoomIn = 10100;
constexpr int32_t evZoomOut = 10120;

// The X of ZoomAtPoint that stands for the middle of the document view.
constexpr int32_t ZoomAtCentre = static_cast<int32_t>(0x80000000u);

// Sizes of the controls.
constexpr int32_t BookmarkTabHeight = 20;

// The page hint's text for a page: "Page n", and, when a heading is found
// (the first heading paragraph of the body on the page, else the nearest one
// before it), a line break and the heading; a text longer than 200
// characters is cut to 200 and ends with the ellipsis character.
std::string PageHintText(TDocument& document, int32_t pageIndex);

class TDocumentForm : public TForm, public TDocumentView {
public:
    TDocumentForm(TComponent* owner, TDocument& document);
    ~TDocumentForm() override;

    TDocument* Document() const { return FDocument; }

    // TDocumentView: the document view is DocRect.
    int32_t ClientWidth() const override { return DocWidth; }
    int32_t ClientHeight() const override { return DocHeight; }
    void SetScrollRanges(int32_t maxX, int32_t largeX, int32_t maxY, int32_t largeY) override;
    void SetScrollPositions(int32_t x, int32_t y) override;
    void ScrollContent(int32_t dx, int32_t dy) override;
    void Repaint() override;
    void InvalidateArea(const TRect& rect) override;
    void HideCaret() override;
    void ShowCaret() override;
    void RestoreAndActivate() override;
    void DocumentDestroyed(bool now) override;
    void SelectBookmarkTab(const std::string& name) override;
    // When focused: the caret made again in the document's caret shape and
    // put at its place, shown when nothing is selected.
    void RecreateCaret() override;
    bool UpdateCaretAllowed() const override;

    // The caption: the document's file name, or "Nouveau document".
    void UpdateCaption();

    // False while the window goes, without a document, or while its document
    // has no view yet: input and painting are then ignored.
    bool CanHandleInput() const;

    // Layout of the controls and of the document rectangle.
    void ArrangeControls(const TRect& clientRect);
    void GetDocumentRect(const TRect& clientRect);
    void UpdateScrollPageSizes();
    // After a change of view options: the controls, the document rectangle
    // and the document's layout for the new size.
    void RealignView();
    bool ClipToDocumentRect(TRect& rect) const;
    TPoint ClientToDocument(TPoint point) const;
    TPoint DocumentToClient(TPoint point) const;
    void UpdatePageButtons();
    // Refills the bookmark tabs from the document's bookmarks.
    void UpdateBookmarkTabs();

    // What lies under a client point.
    THitTestResult HitTest(int32_t clientX, int32_t clientY);

    // Zooms in or out at a client point (X = ZoomAtCentre: the middle of the
    // document view) by the step of the key flags (MK_CONTROL 10, MK_SHIFT
    // 100, else 25).
    void ZoomAtPoint(int32_t x, int32_t y, bool zoomOut, uint32_t keyFlags);

    // Hand scrolling: begins at a client point; each mouse point moves the
    // view by the distance from the start; ends with EndPanning.
    void BeginPanning(int32_t x, int32_t y);
    void PanTo(int32_t x, int32_t y);
    void EndPanning();

    // The page hint of the vertical scroll bar (documents of two pages or more).
    void ShowPageHint(int32_t trackBarPos);
    void HidePageHint();
    // The page index and the text the hint shows (-1 and "" when none).
    int32_t PageHintPage() const { return FPageHintPage; }
    const std::string& PageHintTextShown() const { return FPageHintText; }
    THintWindow* PageHintWindow() const { return FPageHintWindow; }

    // The scroll bars' handlers.
    void HorScrollBar95Change();
    void VerScrollBar95Change();

    TRect DocRect{};
    int32_t DocWidth = 0;
    int32_t DocHeight = 0;
    uint32_t WindowFlags = 0;
    int32_t CaretGoalX = -1;

    TScrollBar* VerScrollBar95() const { return FVerScrollBar; }
    TScrollBar* HorScrollBar95() const { return FHorScrollBar; }
    TPanel* PageScrollPanel() const { return FPageScrollPanel; }
    TSpeedButton* PageUpSpeedButton() const { return FPageUp; }
    TSpeedButton* PageDownSpeedButton() const { return FPageDown; }
    TTabSet* BookmarkTabs() const { return FBookmarkTabs; }

    // --- Ruler ---
    // The horizontal ruler above the document view and the vertical one
    // left of it, shown as the view options say.
    TStraightEdge* StraightEdge = nullptr;
    TStraightEdge* VerStraightEdge = nullptr;
    void ClearRulerCaches() override;

    // The close question's handlers (called by the framework's close).
    void FormCloseQuery(bool& canClose);
    void FormClose(TCloseAction& action);

protected:
    void WndProc(TMessage& message) override;
    void Resize() override;

private:
    void CreateControls();
    void PaintDocumentWindow();
    void GoToBookmarkTab();

    TDocument* FDocument;
    TScrollBar* FVerScrollBar = nullptr;
    TScrollBar* FHorScrollBar = nullptr;
    TPanel* FPageScrollPanel = nullptr;
    TSpeedButton* FPageUp = nullptr;
    TSpeedButton* FPageDown = nullptr;
    TTabSet* FBookmarkTabs = nullptr;
    bool FRebuildingTabs = false;
    bool FArranging = false;
    THintWindow* FPageHintWindow = nullptr;
    int32_t FPageHintPage = -1;
    std::string FPageHintText;
    TPoint FPanOrigin{};
    TPoint FPanPoint{};
};

// The document view factory: every document that is not hidden gets a
// document window in the main frame (an MDI frame must be the main form).
TDocumentView* CreateDocumentForm(TDocument& document);
// Installs CreateDocumentForm as the documents' view factory; returns the previous one.
TDocumentViewFactory InstallDocumentForms();

// --- Edit messages ---------------------------------------------------------------
// The application's translation of WM_CUT, WM_COPY, WM_PASTE and WM_CLEAR into
// document commands, which the document window offers every message first;
// true when it took the message. Dialogs' edit fields never see it.
using TEditMessageTranslator = std::function<bool(TMessage& message)>;
void SetDocumentEditMessageTranslator(TEditMessageTranslator translator);
