// The document window's mouse: presses, releases, double clicks and moves of
// the left and middle buttons turned into caret moves, selections by
// character, word, sentence, line and paragraph, text drags, rectangular
// selections, picture resizing and link following; the cursor that tells what
// a click would do; the wheel; the autoscroll timer that scrolls while a drag
// goes past the document rectangle; focus; WM_CANCELMODE, which ends every
// mouse state; and the right button with the context menus.
#include "docwindow/DocumentForm.h"

#include "docwindow/ClipboardManager.h"
#include "docwindow/DocumentWindowHost.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Page.h"
#include "document/model/ParLine.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationDispatcher.h"
#include "document/steps/FormatObjectOperation.h"
#include "document/text/TextAccess.h"
#include "foundation/CharFormat.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/resources/CursorManager.h"
#include "layout/CaretDisplay.h"
#include "layout/LinePainter.h"
#include "platform/framework/controls/Ranges.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Program events.
constexpr int32_t evTextDragStarted = 10000;
constexpr int32_t evTextDropped = 10020;
constexpr int32_t evPanningReleased = 10060;
constexpr int32_t evLinkClicked = 10140;
constexpr int32_t evMouseClick = 13000;
constexpr int32_t evDoubleClick = 13100;

// Commands.
constexpr int32_t cmdPageSetup = 260;
constexpr int32_t cmdMouseModeNormal = 700;
constexpr int32_t cmdZoomOutStep = 6195;
constexpr int32_t cmdZoomInStep = 6196;
constexpr int32_t cmdHighlight = 12500;
constexpr int32_t cmdFontColor = 12520;
constexpr int32_t cmdObjectProperties = 15000;
constexpr int32_t cmdFormatPainter = 15550;

// Mouse modes of the main frame.
constexpr int32_t mmNormal = 0;
constexpr int32_t mmHand = 1;
constexpr int32_t mmFormatPainter = 2;
constexpr int32_t mmMagnifier = 3;
constexpr int32_t mmHighlighter = 4;
constexpr int32_t mmFontColor = 5;
constexpr int32_t mmFormatPickUp = 6;

// Drag granularities.
constexpr uint8_t dgCharacter = 0;
constexpr uint8_t dgSentence = 1;
constexpr uint8_t dgLine = 2;
constexpr uint8_t dgParagraph = 3;
constexpr uint8_t dgWord = 4;

// Cursor numbers of the cursor manager.
constexpr int32_t cuArrow = -2;
constexpr int32_t cuIBeam = 1;

constexpr uint32_t WheelPageScroll = 0xFFFFFFFFu;
constexpr int32_t WheelNotch = 120;
constexpr uint32_t NoCaretGoal = 0x80000000u;
constexpr int32_t MaxBlockTwips = 31680;

constexpr uint32_t MouseStateFlags = dwfTextDragArmed | dwfTextDragCopy | dwfClipInsertDrag | dwfDragSelecting |
                                     dwfBlockSelecting | dwfAutoscrollTimerOn | dwfObjectResizing | dwfPanning |
                                     dwfWheelAutoscroll | dwfPendingLinkClick;

uint32_t KeyFlags(const TMessage& message)
{
    return static_cast<uint32_t>(message.WParam) & 0xFFFF;
}

TPoint MousePoint(const TMessage& message)
{
    return {GetXLParam(message.LParam), GetYLParam(message.LParam)};
}

void AddEntropy(const TPoint& point)
{
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(point.X));
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(point.Y));
}

bool IsTextKind(uint8_t kind)
{
    return kind == hkTextLine || kind == hkTopMargin || kind == hkRightOfLine || kind == hkBottomMargin;
}

bool IsToolMode(int32_t mode)
{
    return mode == mmFormatPainter || mode == mmHighlighter || mode == mmFontColor;
}

bool SamePlace(const TTextPosition& a, const TTextPosition& b)
{
    return a.Paragraph == b.Paragraph && a.Offset == b.Offset;
}

bool Before(const TTextPosition& a, const TTextPosition& b)
{
    return CompareTextPos(a, b) < 0;
}

// The character under the point, or the caret's place when that is a space.
TTextPosition CharUnder(const THitTestResult& hit)
{
    return hit.CharPosition.Offset == HitOnSpace ? hit.Position : hit.CharPosition;
}

// The field of the hit that follows a link when clicked: a hyperlink, or a
// page reference with the hyperlink switch.
TField* LinkFieldOf(const THitTestResult& hit)
{
    if (hit.HyperlinkAtPoint)
        return hit.HyperlinkAtPoint;
    if (hit.FieldAtPoint && hit.FieldAtPoint->IsHyperlinkPageRef())
        return hit.FieldAtPoint;
    return nullptr;
}

// The rectangular selection between the anchor and the current position:
// lines in text order, the x range of the two page-relative x values.
TBlockSelection BlockBetween(const TTextPosition& anchor, const TTextPosition& current, int32_t anchorX,
                             int32_t currentX)
{
    TBlockSelection block;
    const bool anchorFirst = !Before(current, anchor);
    const TTextPosition& first = anchorFirst ? anchor : current;
    const TTextPosition& last = anchorFirst ? current : anchor;
    block.First = first;
    block.StartParagraph = first.Paragraph;
    block.StartLine = first.PlaceData1;
    block.EndParagraph = last.Paragraph;
    block.EndLine = last.PlaceData1;
    block.LeftX = std::min(anchorX, currentX);
    block.RightX = std::max(anchorX, currentX);
    return block;
}

}  // namespace

// --- Routing ---------------------------------------------------------------------------

bool TDocumentForm::DispatchMouseMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(message); return true;
    case WM_LBUTTONUP: WMLButtonUp(message); return true;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(message); return true;
    case WM_MBUTTONDOWN: WMMButtonDown(message); return true;
    case WM_MBUTTONUP: WMMButtonUp(message); return true;
    case WM_MOUSEMOVE: WMMouseMove(message); return true;
    case WM_RBUTTONDOWN: WMRButtonDown(message); return true;
    case WM_RBUTTONUP: WMRButtonUp(message); return true;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(message); return true;
    case WM_CONTEXTMENU: WMContextMenu(message); return true;
    case WM_MOUSEWHEEL: WMMouseWheel(message); return true;
    case WM_TIMER:
        if (message.WParam != AutoscrollTimer)
            return false;
        WMTimer(message);
        return true;
    case WM_SETFOCUS: WMSetFocus(message); return true;
    case WM_KILLFOCUS: WMKillFocus(message); return true;
    case WM_CANCELMODE: WMCancelMode(message); return true;
    default: return false;
    }
}

bool TDocumentForm::IsBusy() const
{
    return (WindowFlags & (dwfTextDragArmed | dwfDragSelecting | dwfBlockSelecting | dwfObjectResizing |
                           dwfPanning | dwfWheelAutoscroll | dwfClipInsertDrag)) != 0;
}

bool TDocumentForm::IsTracking() const
{
    return (WindowFlags & (dwfTextDragArmed | dwfDragSelecting | dwfBlockSelecting | dwfObjectResizing)) != 0;
}

// --- Helpers of the mouse states ------------------------------------------------------------

void TDocumentForm::HideDocumentCaret()
{
    if (!(WindowFlags & dwfCaretShown))
        return;
    if (HandleAllocated())
        ::HideCaret(FHandle);
    WindowFlags &= ~dwfCaretShown;
}

void TDocumentForm::EraseFeedback()
{
    if (!FDocument || !HandleAllocated())
        return;
    if (WindowFlags & dwfDropCaretShown) {
        InvertDropCaret();
        WindowFlags &= ~dwfDropCaretShown;
    }
    if (ResizeRecord.FrameDrawn) {
        ResizeRecord.FrameDrawn = false;
        Repaint();
    }
}

void TDocumentForm::InvertDropCaret()
{
    if (!FDocument || !HandleAllocated())
        return;
    HDC dc = GetDC(FHandle);
    if (!dc)
        return;
    InvertCaretImage(*FDocument, dc);
    ReleaseDC(FHandle, dc);
}

void TDocumentForm::CheckMouseCapture()
{
    if (!HandleAllocated())
        return;
    // The timer keeps running while the pointer stays outside (restarting it
    // at every move would hold its ticks back while the mouse moves).
    const TPoint point = MousePoint(LastMouseMessage);
    const bool outside = !PtInRect(DocRect, point);
    if (outside && !(WindowFlags & dwfAutoscrollTimerOn)) {
        SetTimer(FHandle, AutoscrollTimer, 1);
        WindowFlags |= dwfAutoscrollTimerOn;
    } else if (!outside && (WindowFlags & dwfAutoscrollTimerOn)) {
        KillTimer(FHandle, AutoscrollTimer);
        WindowFlags &= ~dwfAutoscrollTimerOn;
    }
}

int32_t TDocumentForm::AutoscrollStep(int32_t overshoot)
{
    // Rounded to nearest, halves to even (the current rounding mode).
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(overshoot) * 5.0 / 9.0));
}

void TDocumentForm::ShowPositionWithChanges(const TTextPosition& position)
{
    FDocument->BeginSuppressChange(0x20);
    try {
        ::ShowPosition(*FDocument, position.Paragraph, position.Offset, 0);
    } catch (...) {
        FDocument->EndChanges(1);
        throw;
    }
    FDocument->EndChanges(1);
}

void TDocumentForm::ExtendSelectionTo(const TTextPosition& position)
{
    TTextPosition anchorStart = DragAnchorStart;
    TTextPosition anchorEnd = DragAnchorEnd;
    const bool wholeWords = DocumentWindowHost().MouseEditOptions().SelWholeWords || DragGranularity == dgWord;
    TTextPosition start, end;
    bool movingAtEnd = true;
    if (!wholeWords) {
        start = anchorStart;
        end = position;
        movingAtEnd = !Before(position, anchorStart);
        if (!movingAtEnd)
            std::swap(start, end);
    } else {
        // Word granularity keeps the double-clicked word whole; otherwise
        // both ends are widened to word boundaries.
        if (DragGranularity != dgWord)
            anchorEnd = anchorStart;
        movingAtEnd = !Before(position, anchorStart);
        start = movingAtEnd ? anchorStart : position;
        end = movingAtEnd ? position : anchorEnd;
        if (!SamePlace(start, end) || DragGranularity == dgWord) {
            TFoundWord word;
            if (!(DragGranularity == dgWord && movingAtEnd)) {
                FDocument->GetWordAt(start, word);
                if (word.Length > 0 && word.Position.Paragraph == start.Paragraph && word.Position.Offset <= start.Offset)
                    start.Offset = word.Position.Offset;
            }
            if (!(DragGranularity == dgWord && !movingAtEnd) && end.Offset > 0) {
                TTextPosition last = end;
                --last.Offset;
                FDocument->GetWordAt(last, word);
                if (word.Length > 0 && word.Position.Paragraph == end.Paragraph &&
                    word.Position.Offset + word.Length > end.Offset)
                    end.Offset = word.Position.Offset + word.Length;
            }
            if (movingAtEnd && DragGranularity == dgWord && Before(end, anchorEnd))
                end = anchorEnd;
            if (!movingAtEnd && DragGranularity == dgWord && Before(anchorStart, start))
                start = anchorStart;
        }
        // An end at a paragraph's start goes back to the previous paragraph's
        // end; a start at a paragraph's end goes to the next one's start.
        if (end.Offset == 0 && end.Paragraph > start.Paragraph)
            end = {end.Paragraph - 1, FDocument->Paragraphs(end.Paragraph - 1).GetCharCount() - 1};
        if (start.Paragraph < end.Paragraph &&
            start.Offset >= FDocument->Paragraphs(start.Paragraph).GetCharCount() - 1)
            start = {start.Paragraph + 1, 0};
    }
    const TTextSelection& selection = FDocument->Selection();
    if (SamePlace(selection.Start, start) && SamePlace(selection.End, end))
        return;
    FDocument->SetSelection(start.Paragraph, start.Offset, end.Paragraph, end.Offset);
    const TTextPosition moving = movingAtEnd ? end : start;
    ShowPositionWithChanges(moving);
}

void TDocumentForm::ApplyMouseModeTool()
{
    TDocumentWindowHost& host = DocumentWindowHost();
    switch (host.MouseMode()) {
    case mmFormatPainter:
        host.RunCommand(cmdFormatPainter);
        break;
    case mmHighlighter:
    case mmFontColor:
        host.RunCommand(host.MouseMode() == mmHighlighter ? cmdHighlight : cmdFontColor);
        if (FDocument)
            ::ShowPosition(*FDocument, FDocument->Caret.Paragraph, FDocument->Caret.Offset, spfClearSelection);
        break;
    default:
        break;
    }
}

// --- Left button ------------------------------------------------------------------------------

void TDocumentForm::WMLButtonDown(TMessage& message)
{
    const TPoint point = MousePoint(message);
    const uint32_t keys = KeyFlags(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    if (HandleAllocated())
        ::SetFocus(FHandle);
    if (!CanHandleInput())
        return;
    LastMouseMessage = message;
    // The word left by the caret is checked before the click moves it.
    FDocument->CheckPendingWord();
    TDocumentWindowHost& host = DocumentWindowHost();
    TDocumentHost& events = DocumentHost();
    const int32_t mode = host.MouseMode();
    TDocument& document = *FDocument;

    switch (mode) {
    case mmHand:
        BeginPanning(point.X, point.Y);
        return;
    case mmMagnifier:
        ZoomAtPoint(point.X, point.Y, false, keys);
        return;
    case mmFormatPickUp: {
        const THitTestResult hit = HitTest(point.X, point.Y);
        if (hit.Kind == hkHeader || hit.Kind == hkFooter || hit.Kind == hkOutside ||
            document.IsOutsideEditedStory(hit.Position.Paragraph))
            return;
        TCharFormat format;
        document.GetCharFormatAt(CharUnder(hit), format);
        host.PickUpFormat(format);
        host.RunCommand(cmdMouseModeNormal);
        return;
    }
    default:
        break;
    }

    THitTestResult hit = HitTest(point.X, point.Y);
    if ((hit.Kind == hkHeader || hit.Kind == hkFooter) && document.EditedHeaderFooter) {
        // Editing moves to this page's header or footer; the press then acts there.
        if (hit.Kind == hkHeader) {
            document.EnterHeaderFooterEditing(nullptr, hit.Position.Page);
            hit = HitTest(point.X, point.Y);
        }
    }
    if (!(IsTextKind(hit.Kind) || hit.Kind == hkLeftOfLine) || document.IsOutsideEditedStory(hit.Position.Paragraph))
        return;
    // A Click-and-Type press changes nothing of the document's display until it ends.
    const bool suppressed = hit.ClickTypeActive != 0;
    if (suppressed)
        document.BeginSuppressChange(0x20);
    try {
        const uint32_t exact = keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL);
        const bool alt = GetKeyState(VK_MENU) < 0;
        // A rectangular selection.
        if (alt &&
            (exact == MK_LBUTTON || exact == (MK_LBUTTON | MK_CONTROL) || exact == (MK_LBUTTON | MK_CONTROL | MK_SHIFT)) &&
            !document.EditedHeaderFooter && !document.HasMultiColumnSections() && hit.Position.Page >= 0 &&
            hit.Position.Page < document.PageCount()) {
            HideDocumentCaret();
            ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
            BlockAnchor = hit.Position;
            BlockCurrent = hit.Position;
            const TRect& page = document.Pages()[static_cast<size_t>(hit.Position.Page)]->Rect;
            const int32_t x = ClientToDocument(point).X - page.Left;
            BlockAnchorX = std::clamp(x & ~1, 0, MaxBlockTwips);
            BlockCurrentX = BlockAnchorX;
            WindowFlags |= dwfBlockSelecting;
            BlockKind = IsToolMode(mode) ? 1 : exact == (MK_LBUTTON | MK_CONTROL) ? 0 : exact == (MK_LBUTTON | MK_CONTROL | MK_SHIFT) ? 3 : 2;
            SetCapture(FHandle);
        } else {
            if (!IsToolMode(mode))
                events.FireProgramEvent(evMouseClick);
            // Timed by the mouse messages, so that what counts is how fast the
            // user clicked, not how fast the program handled the clicks.
            const bool tripleClick = LastDoubleClickTime != 0 &&
                                     GetMessageTime() - LastDoubleClickTime <= GetDoubleClickTime();
            if (exact == (MK_LBUTTON | MK_CONTROL) && !hit.InSelection) {
                // Ctrl+click: a web address opens; elsewhere the sentence is selected.
                if (hit.Kind == hkLeftOfLine) {
                    document.SelectAll();
                    const TTextSelection& all = document.Selection();
                    ShowPositionWithChanges(all.End);
                    ApplyMouseModeTool();
                    SendMessage(FHandle, WM_CANCELMODE, 0, 0);
                } else {
                    TFoundWord address;
                    document.GetUrlAt(CharUnder(hit), address);
                    if (address.Length > 0) {
                        events.FireProgramEvent(evLinkClicked);
                        host.OpenLinkTarget(
                            document.GetTextRun(address.Position.Paragraph, address.Position.Offset, address.Length));
                    } else {
                        TTextRange sentence;
                        document.GetSentenceAt(hit.Position, sentence);
                        AnchorSentence = sentence;
                        DragAnchorStart = sentence.Start;
                        DragAnchorEnd = sentence.End;
                        document.SetSelection(sentence.Start.Paragraph, sentence.Start.Offset, sentence.End.Paragraph,
                                              sentence.End.Offset);
                        ShowPositionWithChanges(sentence.End);
                        WindowFlags |= dwfDragSelecting;
                        DragGranularity = dgSentence;
                        SetCapture(FHandle);
                    }
                }
            } else if (exact == (MK_LBUTTON | MK_SHIFT)) {
                if (!document.HasSelection()) {
                    DragAnchorStart = {document.Caret.Paragraph, document.Caret.Offset};
                    DragAnchorEnd = DragAnchorStart;
                }
                ExtendSelectionTo(hit.Position);
                ApplyMouseModeTool();
            } else if (IsTextKind(hit.Kind)) {
                if (LinkFieldOf(hit)) {
                    WindowFlags |= dwfPendingLinkClick;
                    PressPoint = point;
                }
                if (hit.InSelection) {
                    if (tripleClick) {
                        const int32_t paragraph = hit.Position.Paragraph;
                        const int32_t length = document.Paragraphs(paragraph).GetCharCount();
                        document.SetSelection(paragraph, 0, paragraph, length);
                        DragAnchorStart = {paragraph, 0};
                        DragAnchorEnd = {paragraph, length};
                        AnchorParagraph = paragraph;
                        WindowFlags |= dwfDragSelecting;
                        DragGranularity = dgParagraph;
                    } else if (hit.OnObject && hit.ObjectHandle != 0 && hit.Object) {
                        // Resizing the selected picture by a handle.
                        HideDocumentCaret();
                        const TDocObject& object = *hit.Object;
                        const int32_t resX = document.DeviceResolutionX(), resY = document.DeviceResolutionY();
                        const TSize minimum{std::max(MulDiv(object.Width * 5 / 100, resX, 1440), 1),
                                            std::max(MulDiv(object.Height * 5 / 100, resY, 1440), 1)};
                        const TSize maximum{MulDiv(object.Width * 10, resX, 1440), MulDiv(object.Height * 10, resY, 1440)};
                        if (BeginObjectResize(ResizeRecord, object, hit.ObjectHandle, hit.ObjectRect, minimum, maximum,
                                              false)) {
                            ResizeObject = hit.Object;
                            ResizeObjectPosition = document.Selection().Start;
                            const TPoint topLeft = DocumentToClient({hit.ObjectRect.Left, hit.ObjectRect.Top});
                            const TPoint bottomRight = DocumentToClient({hit.ObjectRect.Right, hit.ObjectRect.Bottom});
                            const uint8_t h = hit.ObjectHandle;
                            ResizeRecord.GrabOffset.X = (h == 3 || h == 5 || h == 8)   ? bottomRight.X - point.X
                                                        : (h == 1 || h == 4 || h == 6) ? topLeft.X - point.X
                                                                                       : 0;
                            ResizeRecord.GrabOffset.Y = (h == 6 || h == 7 || h == 8)   ? bottomRight.Y - point.Y
                                                        : (h == 1 || h == 2 || h == 3) ? topLeft.Y - point.Y
                                                                                       : 0;
                            WindowFlags |= dwfObjectResizing;
                        }
                    } else if (host.MouseEditOptions().DragDrop) {
                        WindowFlags |= dwfTextDragArmed | dwfPendingCaretClick;
                        WindowFlags &= ~(dwfTextDragStarted | dwfTextDragCopy);
                        if (keys & MK_CONTROL)
                            WindowFlags |= dwfTextDragCopy;
                        ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, 0);
                    } else {
                        ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
                    }
                    SetCapture(FHandle);
                } else if (hit.OnObject && hit.Object) {
                    // A picture is selected by a click, and brought into view.
                    const TTextPosition at{hit.CharParagraph, hit.CharOffset};
                    document.SetSelection(at.Paragraph, at.Offset, at.Paragraph, at.Offset + 1);
                    document.ScrollTo(CalcScrollToRect(document, hit.ObjectRect, 0));
                    ShowPositionWithChanges({at.Paragraph, at.Offset + 1});
                } else {
                    ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
                    DragAnchorStart = {document.Caret.Paragraph, document.Caret.Offset};
                    DragAnchorEnd = DragAnchorStart;
                    PressPosition = hit.Position;
                    WindowFlags |= dwfDragSelecting;
                    DragGranularity = dgCharacter;
                    SetCapture(FHandle);
                }
            } else if (hit.Kind == hkLeftOfLine) {
                if (hit.ClickTypeActive) {
                    ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
                    DragAnchorStart = {document.Caret.Paragraph, document.Caret.Offset};
                    DragAnchorEnd = DragAnchorStart;
                    PressPosition = hit.Position;
                    WindowFlags |= dwfDragSelecting;
                    DragGranularity = dgCharacter;
                    SetCapture(FHandle);
                } else if (tripleClick) {
                    document.SelectAll();
                    ShowPositionWithChanges(document.Selection().End);
                    ApplyMouseModeTool();
                } else {
                    const int32_t paragraph = hit.Position.Paragraph;
                    TParagraph& par = document.Paragraphs(paragraph);
                    const int32_t lineIndex = std::clamp(hit.Position.PlaceData1, 0, std::max(par.GetLineCount() - 1, 0));
                    int32_t first = 0, last = par.GetCharCount();
                    if (par.GetLineCount() > 0) {
                        const TParLine& line = par.GetLine(lineIndex);
                        first = line.FirstChar;
                        last = line.FirstChar + line.CharCount;
                    }
                    document.SetSelection(paragraph, first, paragraph, last);
                    ShowPositionWithChanges({paragraph, last});
                    AnchorLineParagraph = paragraph;
                    AnchorLineIndex = lineIndex;
                    DragAnchorStart = {paragraph, first};
                    DragAnchorEnd = {paragraph, last};
                    WindowFlags |= dwfDragSelecting;
                    DragGranularity = dgLine;
                    SetCapture(FHandle);
                }
            }
        }
    } catch (...) {
        if (suppressed)
            document.EndChanges(1);
        throw;
    }
    if (suppressed)
        document.EndChanges(1);
    CaretGoalX = static_cast<int32_t>(NoCaretGoal);
}

void TDocumentForm::WMLButtonUp(TMessage& message)
{
    const TPoint point = MousePoint(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    TDocument& document = *FDocument;
    TDocumentWindowHost& host = DocumentWindowHost();
    const THitTestResult hit = HitTest(point.X, point.Y);
    const uint32_t flags = WindowFlags;

    // The states end first, so that what the release runs (a question, an
    // operation that fails) finds the mouse released.
    WindowFlags &= ~dwfPendingCaretClick;
    if ((flags & dwfPendingCaretClick) && document.HasSelection())
        ::ShowPosition(document, document.Caret.Paragraph, document.Caret.Offset, spfClearSelection);
    SendMessage(FHandle, WM_CANCELMODE, 0, 0);

    if ((flags & dwfPendingLinkClick) && point == PressPoint) {
        if (TField* link = LinkFieldOf(hit)) {
            if (link == hit.HyperlinkAtPoint) {
                document.FollowHyperlink(link->Instruction);
            } else {
                bool hasH = false, hasP = false;
                std::string bookmark;
                ParsePageRefField(link->Instruction, hasH, hasP, bookmark);
                document.GoToBookmark(bookmark, true);
            }
        }
    }

    if ((flags & dwfTextDragArmed) && !(flags & dwfClipInsertDrag) && !(flags & dwfPendingCaretClick) &&
        document.HasSelection()) {
        const TTextSelection selection = document.Selection();
        const TTextPosition drop{document.Caret.Paragraph, document.Caret.Offset};
        const bool copy = (flags & dwfTextDragCopy) != 0;
        const bool outside = Before(drop, selection.Start) || Before(selection.End, drop) ||
                             (copy && (SamePlace(drop, selection.Start) || SamePlace(drop, selection.End)));
        if (outside) {
            uint8_t options = 0x42;
            TTextRange range{selection.Start, selection.End};
            if (host.MouseEditOptions().WiseCutPaste && document.IsWordRange(range))
                options |= 0x20;
            TTextPosition start = selection.Start, end = selection.End, target = drop;
            document.ExecuteOperation(copy ? docDuplicateText : docMoveText, {&start, &end, &target, &options});
            if (flags & dwfTextDragStarted)
                DocumentHost().FireProgramEvent(evTextDropped);
        } else {
            ::ShowPosition(document, drop.Paragraph, drop.Offset, spfClearSelection);
        }
    }

    if ((flags & dwfObjectResizing) && ResizeObject) {
        const TObjectResize& r = ResizeRecord;
        const int32_t widthTwips = MulDiv(r.Frame.Right - r.Frame.Left, 1440, document.DeviceResolutionX());
        const int32_t heightTwips = MulDiv(r.Frame.Bottom - r.Frame.Top, 1440, document.DeviceResolutionY());
        const int32_t scaleX = std::clamp(MulDiv(widthTwips, 100, std::max(r.StoredWidth, 1)), 5, 1000);
        const int32_t scaleY = std::clamp(MulDiv(heightTwips, 100, std::max(r.StoredHeight, 1)), 5, 1000);
        if (scaleX != ResizeObject->ScaleX || scaleY != ResizeObject->ScaleY) {
            TObjectFormat format{ResizeObject->Width, ResizeObject->Height, scaleX, scaleY, ResizeObject->PlainPicture};
            TTextPosition at = ResizeObjectPosition;
            document.ExecuteOperation(docFormatObject, {&at, &format});
        }
        ResizeObject = nullptr;
    }

    if (flags & dwfBlockSelecting) {
        TBlockSelection block = BlockBetween(BlockAnchor, BlockCurrent, BlockAnchorX, BlockCurrentX);
        switch (BlockKind) {
        case 0:
            document.ExecuteOperation(docDeleteBlock, {&block});
            break;
        case 1: {
            TCharFormat format;
            if (host.MouseModeFormat(host.MouseMode(), format))
                document.ExecuteOperation(docFormatBlock, {&block, &format});
            break;
        }
        case 2: {
            // The block's pieces, a line each, as text on the clipboard.
            std::string text;
            for (int32_t p = block.StartParagraph; p <= block.EndParagraph; ++p) {
                TParagraph& paragraph = document.Paragraphs(p);
                const int32_t lines = paragraph.GetLineCount();
                const int32_t from = p == block.StartParagraph ? block.StartLine : 0;
                const int32_t to = p == block.EndParagraph ? block.EndLine : lines - 1;
                for (int32_t l = std::max(from, 0); l <= std::min(to, lines - 1); ++l) {
                    TParLine& line = paragraph.GetLine(l);
                    int32_t a = 0, b = 0;
                    line.GetBlockRange(block.LeftX, block.RightX, a, b);
                    if (!text.empty())
                        text += "\r\n";
                    text += document.GetTextRun(p, line.FirstChar + std::min(a, b), std::abs(b - a));
                }
            }
            if (TClipboardManager* clipboard = GetClipboardManager(); clipboard && !text.empty() && clipboard->Open(1000)) {
                clipboard->SetText(text);
                clipboard->Close();
            }
            break;
        }
        case 3:
            document.ExecuteOperation(docBlockSum, {&block});
            break;
        default:
            break;
        }
    }

    if (flags & dwfDragSelecting)
        ApplyMouseModeTool();
}

void TDocumentForm::WMLButtonDblClk(TMessage& message)
{
    const TPoint point = MousePoint(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    TDocumentWindowHost& host = DocumentWindowHost();
    const int32_t mode = host.MouseMode();
    if (mode == mmHand || mode == mmFormatPickUp)
        return;
    if (mode == mmMagnifier) {
        ZoomAtPoint(point.X, point.Y, false, KeyFlags(message));
        return;
    }
    TDocument& document = *FDocument;
    LastMouseMessage = message;
    const THitTestResult hit = HitTest(point.X, point.Y);
    if (!IsToolMode(mode))
        DocumentHost().FireProgramEvent(evDoubleClick);

    if (hit.Kind == hkHeader || hit.Kind == hkFooter) {
        if (!document.EditedHeaderFooter)
            document.ToggleHeaderFooterEditing(true, hit.Position.Page, nullptr);
        return;
    }
    if ((IsTextKind(hit.Kind) || hit.Kind == hkLeftOfLine) && document.IsOutsideEditedStory(hit.Position.Paragraph)) {
        TCaret caret = document.Caret;
        caret.Paragraph = hit.Position.Paragraph;
        caret.Offset = hit.Position.Offset;
        document.ToggleHeaderFooterEditing(false, -1, &caret);
        return;
    }
    if (hit.ClickTypeActive && !hit.ClickTypeActions.empty()) {
        ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
        TClickAndTypePlan plan;
        plan.TargetParagraph = hit.ClickTypeParagraph;
        // Action code 3 places the caret; the others are the plan's step kinds.
        for (const TClickTypeAction& action : hit.ClickTypeActions)
            plan.Steps.push_back({static_cast<uint8_t>(action.Code == 3 ? ctCaretOffset : action.Code), action.Argument,
                                  static_cast<uint8_t>(action.Value)});
        document.ExecuteOperation(docClickAndType, {&plan});
        return;
    }

    bool selected = false;
    if (hit.Kind == hkOutside) {
        host.RunCommand(cmdPageSetup);
    } else if (IsTextKind(hit.Kind)) {
        if (hit.OnObject && hit.Object) {
            const TTextPosition at{hit.CharParagraph, hit.CharOffset};
            const TTextSelection& s = document.Selection();
            if (!(s.Start.Paragraph == at.Paragraph && s.Start.Offset == at.Offset && s.End.Paragraph == at.Paragraph &&
                  s.End.Offset == at.Offset + 1)) {
                ::ShowPosition(document, at.Paragraph, at.Offset, spfClearSelection);
                document.SetSelection(at.Paragraph, at.Offset, at.Paragraph, at.Offset + 1);
            }
            host.RunCommand(cmdObjectProperties);
        } else {
            TFoundWord word;
            document.GetWordAt(hit.Position, word);
            TTextPosition start = word.Position, end = word.Position;
            end.Offset += word.Length;
            const TTextPosition ch = hit.CharPosition;
            if (ch.Offset != HitOnSpace && (word.Length == 0 || ch.Paragraph != start.Paragraph ||
                                            ch.Offset < start.Offset || ch.Offset >= end.Offset)) {
                start = ch;
                end = {ch.Paragraph, ch.Offset + 1};
            }
            if (word.Length == 0 && ch.Offset == HitOnSpace)
                start = end = hit.Position;
            document.SetSelection(start.Paragraph, start.Offset, end.Paragraph, end.Offset);
            ShowPositionWithChanges(end);
            DragAnchorStart = start;
            DragAnchorEnd = end;
            WindowFlags |= dwfDragSelecting;
            DragGranularity = dgWord;
            SetCapture(FHandle);
            selected = true;
        }
    } else if (hit.Kind == hkLeftOfLine) {
        const int32_t paragraph = hit.Position.Paragraph;
        const int32_t length = document.Paragraphs(paragraph).GetCharCount();
        document.SetSelection(paragraph, 0, paragraph, length);
        ShowPositionWithChanges({paragraph, length});
        AnchorParagraph = paragraph;
        DragAnchorStart = {paragraph, 0};
        DragAnchorEnd = {paragraph, length};
        WindowFlags |= dwfDragSelecting;
        DragGranularity = dgParagraph;
        SetCapture(FHandle);
        selected = true;
    }
    if (selected) {
        LastDoubleClickTime = std::max<uint32_t>(GetMessageTime(), 1);
        TripleClickMoves = 3;
    }
    CaretGoalX = static_cast<int32_t>(NoCaretGoal);
}

// --- Middle button ----------------------------------------------------------------------------

void TDocumentForm::WMMButtonDown(TMessage& message)
{
    const TPoint point = MousePoint(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!HandleAllocated())
        return;
    SendMessage(FHandle, WM_CANCELMODE, 0, 0);
    WindowFlags |= dwfWheelAutoscroll;
    AutoscrollOrigin = point;
    LastMouseMessage = message;
    SetCapture(FHandle);
}

void TDocumentForm::WMMButtonUp(TMessage& message)
{
    AddEntropy(MousePoint(message));
    if (HandleAllocated())
        SendMessage(FHandle, WM_CANCELMODE, 0, 0);
}

// --- Mouse moves and the cursor -----------------------------------------------------------------

void TDocumentForm::WMMouseMove(TMessage& message)
{
    const TPoint point = MousePoint(message);
    const uint32_t keys = KeyFlags(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    LastMouseMessage = message;
    TDocument& document = *FDocument;
    TDocumentWindowHost& host = DocumentWindowHost();
    const int32_t mode = host.MouseMode();
    int32_t cursor = 0x7FFF;
    auto setCursor = [&](int32_t number) {
        if (number == 0x7FFF)
            return;
        MouseCursor = number;
        if (CursorManager)
            CursorManager->SetCursor(*this, number);
    };

    if (WindowFlags & dwfWheelAutoscroll) {
        const int32_t dy = point.Y - AutoscrollOrigin.Y, dx = point.X - AutoscrollOrigin.X;
        const int32_t row = dy < -16 ? 0 : dy > 16 ? 2 : 1;
        const bool horizontal = document.ViewExtent.cx > DocWidth && document.ZoomKind != zkPageWidth &&
                                document.ZoomKind != zkTextWidth;
        const int32_t column = (!horizontal || std::abs(dx) <= 16) ? 1 : dx > 16 ? 2 : 0;
        setCursor(28 + 3 * row + column);
        return;
    }
    if (mode == mmHand) {
        PanTo(point.X, point.Y);
        setCursor((WindowFlags & dwfPanning) ? 12 : 11);
        return;
    }
    if (mode == mmMagnifier) {
        setCursor(13);
        return;
    }

    const THitTestResult hit = HitTest(point.X, point.Y);
    const bool usable =
        (IsTextKind(hit.Kind) || hit.Kind == hkLeftOfLine) && !document.IsOutsideEditedStory(hit.Position.Paragraph);
    if (!usable && !(WindowFlags & dwfObjectResizing)) {
        if (WindowFlags & (dwfTextDragArmed | dwfDragSelecting | dwfBlockSelecting)) {
            CheckMouseCapture();
            return;
        }
        setCursor(((hit.Kind == hkHeader || hit.Kind == hkFooter) && document.EditedHeaderFooter) ? cuIBeam : cuArrow);
        return;
    }
    WindowFlags &= ~dwfPendingCaretClick;
    if (TripleClickMoves > 0 && --TripleClickMoves == 0)
        LastDoubleClickTime = 0;

    auto slantCursor = [&](int32_t base) {
        TCharFormat format;
        document.GetCharFormatAt(CharUnder(hit), format);
        return base + (format[cfItalic] ? 1 : 0);
    };

    if (WindowFlags & dwfDragSelecting) {
        CheckMouseCapture();
        switch (DragGranularity) {
        case dgSentence: {
            TTextRange sentence;
            document.GetSentenceAt(hit.Position, sentence);
            TTextPosition start = AnchorSentence.Start, end = sentence.End;
            if (Before(sentence.Start, AnchorSentence.Start)) {
                start = sentence.Start;
                end = AnchorSentence.End;
            }
            const TTextSelection& s = document.Selection();
            if (!SamePlace(s.Start, start) || !SamePlace(s.End, end)) {
                document.SetSelection(start.Paragraph, start.Offset, end.Paragraph, end.Offset);
                ShowPositionWithChanges(Before(sentence.Start, AnchorSentence.Start) ? start : end);
            }
            break;
        }
        case dgLine:
        case dgParagraph: {
            const int32_t paragraph = hit.Position.Paragraph;
            TTextPosition start, end;
            auto lineBounds = [&](int32_t p, int32_t l, TTextPosition& from, TTextPosition& to) {
                TParagraph& par = document.Paragraphs(p);
                if (DragGranularity == dgParagraph || par.GetLineCount() == 0) {
                    from = {p, 0};
                    to = {p, par.GetCharCount()};
                    return;
                }
                const TParLine& line = par.GetLine(std::clamp(l, 0, par.GetLineCount() - 1));
                from = {p, line.FirstChar};
                to = {p, line.FirstChar + line.CharCount};
            };
            TTextPosition anchorFrom, anchorTo, pointFrom, pointTo;
            const int32_t anchorParagraph = DragGranularity == dgLine ? AnchorLineParagraph : AnchorParagraph;
            lineBounds(anchorParagraph, AnchorLineIndex, anchorFrom, anchorTo);
            lineBounds(paragraph, hit.Position.PlaceData1, pointFrom, pointTo);
            const bool forward = !Before(pointFrom, anchorFrom);
            start = forward ? anchorFrom : pointFrom;
            end = forward ? pointTo : anchorTo;
            const TTextSelection& s = document.Selection();
            if (!SamePlace(s.Start, start) || !SamePlace(s.End, end)) {
                document.SetSelection(start.Paragraph, start.Offset, end.Paragraph, end.Offset);
                ShowPositionWithChanges(forward ? end : start);
            }
            break;
        }
        default: {
            TTextPosition target = hit.Position;
            const TTextSelection& s = document.Selection();
            const TTextPosition anchor{s.AnchorParagraph, s.AnchorOffset};
            if (DragGranularity == dgCharacter && SamePlace(hit.Position, PressPosition) && Before(anchor, PressPosition))
                target = anchor;
            ExtendSelectionTo(target);
            break;
        }
        }
        CaretGoalX = static_cast<int32_t>(NoCaretGoal);
        const int32_t base = mode == mmFormatPainter ? 7 : mode == mmHighlighter ? 15 : mode == mmFontColor ? 19 : 1;
        cursor = slantCursor(base);
    } else if (WindowFlags & dwfTextDragArmed) {
        CheckMouseCapture();
        if (!(WindowFlags & dwfTextDragStarted)) {
            WindowFlags |= dwfTextDragStarted;
            DocumentHost().FireProgramEvent(evTextDragStarted);
        }
        if (!SamePlace(hit.Position, {document.Caret.Paragraph, document.Caret.Offset})) {
            TTextPosition target = hit.Position;
            TFoundWord word;
            document.GetWordAt(hit.Position, word);
            TTextRange selection{document.Selection().Start, document.Selection().End};
            if (host.MouseEditOptions().SelWholeWords && word.Length >= 1 && document.HasSelection() &&
                document.IsWordRange(selection) && !IsSingleObjectRange(document, selection) &&
                word.Position.Paragraph == hit.Position.Paragraph) {
                const int32_t toStart = hit.Position.Offset - word.Position.Offset;
                const int32_t toEnd = word.Position.Offset + word.Length - hit.Position.Offset;
                target.Offset = toStart < toEnd ? word.Position.Offset : word.Position.Offset + word.Length;
            }
            if (WindowFlags & dwfDropCaretShown)
                InvertDropCaret();
            ::ShowPosition(document, target.Paragraph, target.Offset, 0);
            ScrollToCaret(document, 0);
            InvertDropCaret();
            WindowFlags |= dwfDropCaretShown;
        }
        cursor = (WindowFlags & dwfTextDragCopy) ? 5 : 4;
    } else if (WindowFlags & dwfObjectResizing) {
        CheckMouseCapture();
        const TPoint moved = ClientToDocument({point.X + ResizeRecord.GrabOffset.X, point.Y + ResizeRecord.GrabOffset.Y});
        ::ResizeObjectFrame(ResizeRecord, moved);
        ResizeRecord.FrameDrawn = true;
        Repaint();
    } else if (WindowFlags & dwfBlockSelecting) {
        CheckMouseCapture();
        if (hit.Position.Page >= 0 && hit.Position.Page < document.PageCount()) {
            const TRect& page = document.Pages()[static_cast<size_t>(hit.Position.Page)]->Rect;
            BlockCurrentX = std::clamp((ClientToDocument(point).X - page.Left) & ~1, 0, MaxBlockTwips);
        }
        BlockCurrent = hit.Position;
        TBlockSelection shown = BlockBetween(BlockAnchor, BlockCurrent, BlockAnchorX, BlockCurrentX);
        SetShownBlockSelection(document, &shown);
        Repaint();
        cursor = mode == mmFormatPainter ? 9 : mode == mmHighlighter ? 17 : mode == mmFontColor ? 21 : cuArrow;
    } else {
        // No button: the cursor tells what a click would do.
        if (hit.ClickTypeActive && mode == mmNormal) {
            cursor = hit.ClickTypeCursor;
        } else if (hit.Kind == hkLeftOfLine) {
            cursor = mode == mmFormatPainter ? 10 : mode == mmHighlighter ? 18 : mode == mmFontColor ? 22
                     : mode == mmFormatPickUp ? 27 : 3;
        } else if (IsTextKind(hit.Kind)) {
            TFoundWord address;
            if (LinkFieldOf(hit)) {
                cursor = 14;
            } else if (hit.InSelection && hit.OnObject) {
                static const int32_t handleCursors[9] = {-2, -5, -4, -3, -6, -6, -3, -4, -5};
                cursor = handleCursors[std::min<uint8_t>(hit.ObjectHandle, 8)];
            } else if (hit.InSelection) {
                cursor = cuArrow;
            } else if (hit.OnObject) {
                cursor = 6;
            } else if (((keys & ~MK_LBUTTON) == MK_CONTROL) &&
                       (document.GetUrlAt(CharUnder(hit), address), address.Length > 0)) {
                cursor = 14;
            } else if (mode == mmFormatPickUp) {
                cursor = 27;
            } else {
                cursor = slantCursor(mode == mmHighlighter ? 15 : mode == mmFontColor ? 19 : mode == mmFormatPainter ? 7 : 1);
            }
        } else {
            cursor = cuArrow;
        }
    }
    setCursor(cursor);
}

// --- Wheel --------------------------------------------------------------------------------------

void TDocumentForm::WMMouseWheel(TMessage& message)
{
    const uint32_t keys = KeyFlags(message);
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(keys));
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(GetXLParam(message.LParam)));
    if (!CanHandleInput())
        return;
    const int32_t delta = GetWheelDelta(message.WParam);
    const bool shift = (keys & MK_SHIFT) != 0, ctrl = (keys & MK_CONTROL) != 0, alt = GetKeyState(VK_MENU) < 0;
    // High-resolution wheels and touchpads send parts of a notch: they are
    // added up until a whole notch is there; turning back starts again.
    auto accumulate = [delta](int32_t& remainder) {
        if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0))
            remainder = 0;
        remainder += delta;
        const int32_t notches = remainder / WheelNotch;
        remainder -= notches * WheelNotch;
        return notches;
    };
    if (ctrl && !shift && !alt) {
        const int32_t notches = accumulate(ZoomWheelRemainder);
        if (notches != 0)
            DocumentWindowHost().RunCommand(notches > 0 ? cmdZoomInStep : cmdZoomOutStep);
        return;
    }
    if (ctrl || alt)
        return;
    const int32_t notches = accumulate(WheelRemainder);
    if (notches == 0)
        return;
    const uint32_t lines = WheelScrollLines();
    if (lines == 0)
        return;
    const int32_t direction = notches > 0 ? -1 : 1;
    const int32_t lineStep = FVerScrollBar ? FVerScrollBar->SmallChange : 16;
    const int32_t pageStep = FVerScrollBar ? FVerScrollBar->LargeChange : DocHeight;
    const bool byPage = shift || lines == WheelPageScroll || static_cast<int64_t>(lines) * lineStep >= pageStep;
    const int32_t step = byPage ? pageStep : static_cast<int32_t>(lines) * lineStep;
    for (int32_t n = std::abs(notches); n > 0; --n)
        FDocument->ScrollTo({FDocument->ViewOrigin.X, FDocument->ViewOrigin.Y + step * direction});
}

// --- Autoscroll timer -------------------------------------------------------------------------------

void TDocumentForm::WMTimer(TMessage& message)
{
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    TPoint point = MousePoint(LastMouseMessage);
    TPoint origin = FDocument->ViewOrigin;
    if (point.X <= DocRect.Left)
        origin.X -= AutoscrollStep(DocRect.Left - point.X);
    if (point.Y <= DocRect.Top)
        origin.Y -= AutoscrollStep(DocRect.Top - point.Y);
    if (point.X >= DocRect.Right)
        origin.X += AutoscrollStep(point.X - DocRect.Right);
    if (point.Y >= DocRect.Bottom)
        origin.Y += AutoscrollStep(point.Y - DocRect.Bottom);
    FDocument->ClampViewOrigin(origin);
    if (origin == FDocument->ViewOrigin)
        return;
    EraseFeedback();
    FDocument->ScrollTo(origin);
    // The drag follows the scrolled view.
    SendMessage(FHandle, WM_MOUSEMOVE, LastMouseMessage.WParam, LastMouseMessage.LParam);
}

// --- Focus and cancel mode -----------------------------------------------------------------------------

void TDocumentForm::WMSetFocus(TMessage& message)
{
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    RecreateCaret();
}

void TDocumentForm::WMKillFocus(TMessage& message)
{
    TForm::WndProc(message);
    HideDocumentCaret();
    if (HandleAllocated() && CaretWindow() == FHandle)
        DestroyCaret();
    // Losing the focus in the middle of a drag ends it the whole way: the
    // autoscroll timer stops, a block or hand scroll ends and the mouse is
    // released, as WM_CANCELMODE does.
    if (WindowFlags & (MouseStateFlags & ~dwfClipInsertDrag)) {
        TMessage cancel{WM_CANCELMODE, 0, 0, 0};
        WMCancelMode(cancel);
    }
}

void TDocumentForm::WMCancelMode(TMessage& message)
{
    const bool tracking = FDocument && IsTracking();
    EraseFeedback();
    if ((WindowFlags & dwfAutoscrollTimerOn) && HandleAllocated())
        KillTimer(FHandle, AutoscrollTimer);
    if ((WindowFlags & dwfBlockSelecting) && FDocument) {
        SetShownBlockSelection(*FDocument, nullptr);
        Repaint();
        FDocument->BeginSuppressChange(0x20);
        ::ShowPosition(*FDocument, FDocument->Caret.Paragraph, FDocument->Caret.Offset, 0);
        FDocument->EndChanges(1);
    }
    if (WindowFlags & dwfPanning)
        DocumentHost().FireProgramEvent(evPanningReleased);
    EndPanning();
    WindowFlags &= ~MouseStateFlags;
    if (HandleAllocated() && GetCapture() == FHandle)
        ReleaseCapture();
    if (tracking && CanHandleInput())
        RecreateCaret();
    TForm::WndProc(message);
}

// --- Right button and context menus -------------------------------------------------------------------

void TDocumentForm::ShowDocumentContextMenu(uint32_t parts, TPoint screenPoint)
{
    static const char* const names[6] = {"CLIPBRD", "TXTFMT", "OBJ", "HLINK", "TOC", "FIELD"};
    std::vector<std::string> menus;
    for (int bit = 0; bit < 6; ++bit) {
        if (!(parts & (1u << bit)))
            continue;
        const bool tocAfterLink = bit == 4 && (parts & (1u << 3));
        if (!menus.empty() && !tocAfterLink)
            menus.emplace_back();
        menus.emplace_back(names[bit]);
    }
    if (!menus.empty())
        DocumentWindowHost().ShowContextMenu(menus, screenPoint);
}

void TDocumentForm::WMRButtonDown(TMessage& message)
{
    const TPoint point = MousePoint(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    TDocument& document = *FDocument;
    // The word left by the caret is checked before the caret moves.
    document.CheckPendingWord();
    TDocumentWindowHost& host = DocumentWindowHost();
    const int32_t mode = host.MouseMode();
    if (mode == mmMagnifier) {
        ZoomAtPoint(point.X, point.Y, true, KeyFlags(message));
        return;
    }
    if (mode == mmFormatPickUp) {
        host.RunCommand(cmdMouseModeNormal);
        return;
    }
    if (mode == mmHand && document.IsPreview) {
        BeginPanning(point.X, point.Y);
        return;
    }
    SendMessage(FHandle, WM_CANCELMODE, 0, 0);
    if (mode == mmHand)
        host.RunCommand(cmdMouseModeNormal);
    ::SetFocus(FHandle);
    if (!CanHandleInput())
        return;

    THitTestResult hit = HitTest(point.X, point.Y);
    if ((hit.Kind == hkHeader || hit.Kind == hkFooter) && document.EditedHeaderFooter && hit.Kind == hkHeader) {
        document.EnterHeaderFooterEditing(nullptr, hit.Position.Page);
        hit = HitTest(point.X, point.Y);
    }
    if (!(IsTextKind(hit.Kind) || hit.Kind == hkLeftOfLine) || document.IsOutsideEditedStory(hit.Position.Paragraph))
        return;
    uint32_t parts = 1;
    if (hit.HyperlinkAtPoint)
        parts |= 1u << 3;
    if (hit.TocAtPoint)
        parts |= 1u << 4;
    TField* field = hit.HyperlinkAtPoint ? hit.HyperlinkAtPoint : hit.TocAtPoint ? hit.TocAtPoint : hit.FieldAtPoint;
    if (field && field->Type == fkSymbol)
        field = nullptr;
    if (field) {
        const TTextPosition start = field->Range.Start;
        if (document.HasSelection() && document.IsInSelection(start))
            ::ShowPosition(document, start.Paragraph, start.Offset, 0);
        else
            ::ShowPosition(document, start.Paragraph, start.Offset, spfClearSelection);
        if (!(parts & ((1u << 3) | (1u << 4))))
            parts |= 1u << 5;
    }
    if (hit.InSelection) {
        if (document.IsObjectSelected()) {
            parts |= 1u << 2;
        } else if (IsSpellingMarkAtCaret()) {
            SendMessage(FHandle, WM_CONTEXTMENU, FHandle, 0);
            return;
        } else if (!field) {
            parts |= 1u << 1;
        }
    } else if (hit.OnObject && hit.Object) {
        const TTextPosition at{hit.CharParagraph, hit.CharOffset};
        document.SetSelection(at.Paragraph, at.Offset, at.Paragraph, at.Offset + 1);
        ShowPositionWithChanges({at.Paragraph, at.Offset + 1});
        parts |= 1u << 2;
    } else {
        if (!field)
            ::ShowPosition(document, hit.Position.Paragraph, hit.Position.Offset, spfClearSelection);
        if (IsSpellingMenuAtCaret()) {
            PopupContextMenu(document.Selection().End);
            return;
        }
        if (!field)
            parts |= 1u << 1;
    }
    if (!document.HasSelection())
        RecreateCaret();
    ShowDocumentContextMenu(parts, ClientToScreen(point));
}

void TDocumentForm::WMRButtonUp(TMessage& message)
{
    // The press showed the menu: the release is not handed on, so no
    // second context-menu message follows it.
    AddEntropy(MousePoint(message));
    if (!CanHandleInput())
        return;
    if (IsBusy())
        SendMessage(FHandle, WM_CANCELMODE, 0, 0);
}

void TDocumentForm::WMRButtonDblClk(TMessage& message)
{
    const TPoint point = MousePoint(message);
    AddEntropy(point);
    TForm::WndProc(message);
    if (!CanHandleInput())
        return;
    if (DocumentWindowHost().MouseMode() == mmMagnifier)
        ZoomAtPoint(point.X, point.Y, true, KeyFlags(message));
}

void TDocumentForm::WMContextMenu(TMessage& message)
{
    message.Result = 1;
    if (!CanHandleInput() || static_cast<HWND>(message.WParam) != FHandle)
        return;
    TDocument& document = *FDocument;
    if (IsSpellingMenuAtCaret()) {
        PopupContextMenu(document.Selection().End);
        return;
    }
    uint32_t parts = 1u | (1u << 1);
    const bool link = document.FindFieldAtCaret(fkHyperlink) != nullptr;
    const bool toc = document.FindFieldAtCaret(fkTOC) != nullptr;
    if (link || toc)
        parts = 1u | (link ? 1u << 3 : 0u) | (toc ? 1u << 4 : 0u);
    if (!document.HasSelection())
        RecreateCaret();
    ShowDocumentContextMenu(parts, {GetXLParam(message.LParam), GetYLParam(message.LParam)});
}
