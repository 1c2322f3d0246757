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
#include "docwindow/DocumentSpellingHost.h"
#include "docwindow/HitTest.h"
#include "docwindow/ObjectResize.h"
#include "document/editing/EditingRecords.h"
#include "document/model/DocumentView.h"
#include "platform/framework/Forms.h"

#include <functional>
#include <memory>

class TDocObject;
class TDocument;
class TDropTarget;
class TPanel;
class TPopupMenu;
class TScrollBar;
class TSpeedButton;
class TStraightEdge;
class TTabSet;

// Bits of the window's flags.
constexpr uint32_t dwfControlsSuppressed = 1u << 0;  // the document rectangle is the whole client area
// --- Mouse input ---
constexpr uint32_t dwfTextDragArmed = 1u << 1;     // a press inside the selection may become a text drag
constexpr uint32_t dwfTextDragCopy = 1u << 2;      // Ctrl was held at that press
constexpr uint32_t dwfClipInsertDrag = 1u << 3;    // dragged data from outside follows the mouse
constexpr uint32_t dwfTextDragStarted = 1u << 4;
constexpr uint32_t dwfDragSelecting = 1u << 7;
constexpr uint32_t dwfBlockSelecting = 1u << 8;
constexpr uint32_t dwfAutoscrollTimerOn = 1u << 10;
constexpr uint32_t dwfDropCaretShown = 1u << 11;
constexpr uint32_t dwfPendingCaretClick = 1u << 12;
constexpr uint32_t dwfObjectResizing = 1u << 13;
constexpr uint32_t dwfWheelAutoscroll = 1u << 18;
constexpr uint32_t dwfPendingLinkClick = 1u << 19;
constexpr uintptr_t AutoscrollTimer = 3;
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

    // --- Spelling ---
    // The spelling menu of the marked word that the spelling manager found
    // at the caret (DocumentFormSpelling.cpp): the word is selected, and the
    // menu (suggestions, languages, the spelling commands, and the clipboard
    // commands with a selection) shows below it. The position is the one the
    // finding was made at; the caret goes there first when no word is found.
    void PopupContextMenu(const TTextPosition& position);
    // The selection lies in one paragraph, background spelling shows its
    // marks, and the word at the selection's end is a marked word (misspelled
    // or doubled, of a language) whose range is the selection. Otherwise the
    // caret is put back.
    bool IsSpellingMarkAtCaret();
    // The context-menu message shows the spelling menu: not in print
    // preview, background spelling on, and the selection a marked word, or
    // no selection and (after the word typed last was checked) a misspelled
    // word at the caret.
    bool IsSpellingMenuAtCaret();
    // The last spelling menu built (the window keeps it until the next one).
    TPopupMenu* SpellingMenu() const { return FSpellingMenu; }
    const TSpellingFinding& SpellingFinding() const { return FSpellingFinding; }
    // --- Mouse input ---------------------------------------------------------------
    // Mouse states (bits of WindowFlags), the left, middle and right buttons,
    // mouse moves and the cursor, the wheel, the autoscroll timer, focus,
    // WM_CANCELMODE that ends every mouse state, the context menus and drops
    // from other programs (DocumentFormMouse.cpp, DocumentFormDrop.cpp).
    void WMLButtonDown(TMessage& message);
    void WMLButtonUp(TMessage& message);
    void WMLButtonDblClk(TMessage& message);
    void WMMButtonDown(TMessage& message);
    void WMMButtonUp(TMessage& message);
    void WMMouseMove(TMessage& message);
    void WMRButtonDown(TMessage& message);
    void WMRButtonUp(TMessage& message);
    void WMRButtonDblClk(TMessage& message);
    void WMContextMenu(TMessage& message);
    void WMMouseWheel(TMessage& message);
    void WMTimer(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMCancelMode(TMessage& message);
    // Routes the messages above to their handlers; true when it took one.
    bool DispatchMouseMessage(TMessage& message);
    bool IsBusy() const override;
    bool IsTracking() const override;
    // Scroll distance of the autoscroll timer for an overshoot of n pixels.
    static int32_t AutoscrollStep(int32_t overshoot);
    // Starts the autoscroll timer while the pointer lies outside the
    // document rectangle during a drag, stops it otherwise.
    void CheckMouseCapture();
    // The selection from the drag anchors to the position (whole words when
    // the option asks for them or in word granularity).
    void ExtendSelectionTo(const TTextPosition& position);
    // The tool of the frame's mouse mode applied to a selection made with the mouse.
    void ApplyMouseModeTool();
    // The position becomes the caret's place, the selection kept.
    void ShowPositionWithChanges(const TTextPosition& position);
    // Builds the menu list of the parts (bits 0 to 5) and hands it to the main
    // frame, which shows it at the screen point.
    void ShowDocumentContextMenu(uint32_t parts, TPoint screenPoint);
    // The system caret hidden while a drag shows its own drop caret.
    void HideDocumentCaret();
    // Removes the drop caret and the resize frame drawn over the view.
    void EraseFeedback();
    // Inverts the caret's image on the window: the drop caret of a drag,
    // shown while the system caret is hidden (a second call removes it).
    void InvertDropCaret();

    uint8_t DragGranularity = 0;
    TTextPosition PressPosition{};
    TTextPosition DragAnchorStart{};
    TTextPosition DragAnchorEnd{};
    TTextRange AnchorSentence{};
    int32_t AnchorLineParagraph = 0;
    int32_t AnchorLineIndex = 0;
    int32_t AnchorParagraph = 0;
    uint32_t LastDoubleClickTime = 0;
    int32_t TripleClickMoves = 0;
    TPoint PressPoint{};
    TPoint AutoscrollOrigin{};
    TMessage LastMouseMessage{};
    // The rectangular selection: anchor and current position, the x of each
    // relative to the page (pixels, even), and what the release does with it.
    TTextPosition BlockAnchor{};
    TTextPosition BlockCurrent{};
    int32_t BlockAnchorX = 0;
    int32_t BlockCurrentX = 0;
    uint8_t BlockKind = 0;
    TObjectResize ResizeRecord{};
    TDocObject* ResizeObject = nullptr;
    TTextPosition ResizeObjectPosition{};
    // The cursor number last chosen by a mouse move.
    int32_t MouseCursor = -2;
    // The drop target that takes text and files dragged from other programs
    // (announced while the window lives).
    void RegisterDropTarget();
    void RevokeDropTarget();
    std::unique_ptr<TDropTarget> DocumentDropTarget;
    // Wheel deltas not yet amounting to a notch (high-resolution wheels).
    int32_t WheelRemainder = 0;
    int32_t ZoomWheelRemainder = 0;
    // --- Keyboard input ---
    // Every key press goes to the shortcut manager first (DocumentKeyRouter);
    // what it does not take moves the caret or extends the selection, and
    // typed characters become typing operations of the document.
    // Routes the key messages and notifications; true when the message was
    // handled here (its result set).
    bool HandleKeyMessage(TMessage& message);
    void CNKeyDown(TMessage& message);
    void CNChar(TMessage& message);
    void WMKeyDown(TMessage& message);
    void WMKeyUp(TMessage& message);
    void WMSysKeyDown(TMessage& message);
    void WMSysChar(TMessage& message);
    // Moves the caret to the target (collapse), or extends the selection from
    // its anchor to it.
    void MoveCaretOrExtend(const TTextPosition& target, bool collapse);
    // The offset of a laid-out line nearest to CaretGoalX.
    int32_t OffsetAtCaretGoalX(int32_t paragraph, int32_t line, bool collapse);
    // The virtual key of the last key-down, until its character.
    int32_t LastKeyCode = 0;
    // The caret's rectangle (client coordinates) over a run of Page Up and Page Down.
    TRect PagingRect{};
    // The shortcut manager took the last key-down: the character the key
    // gives is not typed.
    bool KeyTakenByShortcut = false;
    static constexpr uint32_t dwfKeyboardExtend = 1u << 9;
    static constexpr uint32_t dwfCapsLockPressed = 1u << 21;
    static constexpr uint32_t dwfNumLockPressed = 1u << 22;

private:
    bool MovementKey(uint16_t key, uint8_t modifiers, bool collapse);
    bool PageKey(bool down, bool ctrl, bool collapse);
    // --- End of keyboard input ---
public:

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
    TPopupMenu* FSpellingMenu = nullptr;  // owned by the window
    TSpellingFinding FSpellingFinding;
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
