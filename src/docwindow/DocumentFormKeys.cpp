// The document window's keyboard: every key press goes to the shortcut
// manager first (editing keys such as Enter, Backspace and Delete are
// commands there); the window itself moves the caret and extends the
// selection with the movement keys, handles Escape, the context-menu key and
// the lock keys, and turns typed characters into typing operations of the
// document.
#include "docwindow/DocumentForm.h"

#include "docwindow/DocumentKeyRouter.h"
#include "docwindow/DocumentWindowHost.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/text/TextAccess.h"
#include "foundation/Memory.h"
#include "layout/CaretDisplay.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "layout/PageGrid.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cstdlib>

namespace {

TDocumentKeyRouter* g_KeyRouter = nullptr;

constexpr uint8_t kmShift = 0x01;
constexpr uint8_t kmAlt = 0x02;
constexpr uint8_t kmCtrl = 0x04;

// Commands the window runs.
constexpr int32_t cmdNormalMouseMode = 700;
constexpr int32_t cmdLeavePrintPreview = 290;
constexpr int32_t cmdFullScreenMode = 7000;
// Program events of the lock keys.
constexpr int32_t evCapsLock = 12420;
constexpr int32_t evNumLock = 12430;

bool IsMovementKey(uint16_t key)
{
    return key >= VK_PRIOR && key <= VK_DOWN;
}

uint8_t ModifiersNow()
{
    uint8_t m = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        m |= kmShift;
    if (GetKeyState(VK_MENU) < 0)
        m |= kmAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        m |= kmCtrl;
    return m;
}

TTextPosition Pos(int32_t paragraph, int32_t offset)
{
    TTextPosition p;
    p.Paragraph = paragraph;
    p.Offset = offset;
    return p;
}

bool SamePlace(TDocument& document, const TTextPosition& a, int32_t paragraph, int32_t offset)
{
    if (a.Paragraph == paragraph && a.Offset == offset)
        return true;
    // Offset 0 of a paragraph and the end of the one before are one place.
    auto lastOf = [&](int32_t p) { return document.Paragraphs(p).GetCharCount() - 1; };
    if (a.Paragraph + 1 == paragraph && offset == 0 && a.Offset >= lastOf(a.Paragraph))
        return true;
    if (paragraph + 1 == a.Paragraph && a.Offset == 0 && offset >= lastOf(paragraph))
        return true;
    return false;
}

TLayoutLine* LaidLine(TDocument& document, int32_t paragraph, int32_t line)
{
    TParagraph& par = document.Paragraphs(paragraph);
    if (line < 0 || line >= par.GetLineCount())
        return nullptr;
    return dynamic_cast<TLayoutLine*>(&par.GetLine(line));
}

// The view x of the boundary before character i of the line; false when the
// line is not on a page.
bool LineBoundaries(TDocument& document, TLayoutLine& line, int32_t& pageLeft, TLineGeometry& geometry)
{
    if (!line.Page)
        return false;
    pageLeft = GetPageRect(document, line.Page->Index).Left;
    GetLineGeometry(line, geometry);
    return true;
}

} // namespace

TDocumentKeyRouter* DocumentKeyRouter()
{
    return g_KeyRouter;
}

TDocumentKeyRouter* SetDocumentKeyRouter(TDocumentKeyRouter* router)
{
    TDocumentKeyRouter* previous = g_KeyRouter;
    g_KeyRouter = router;
    return previous;
}

// --- Routing ----------------------------------------------------------------------------------

bool TDocumentForm::HandleKeyMessage(TMessage& message)
{
    switch (message.Msg) {
    case CN_KEYDOWN: CNKeyDown(message); return true;
    case CN_CHAR: CNChar(message); return true;
    case WM_KEYDOWN: WMKeyDown(message); return true;
    case WM_KEYUP: WMKeyUp(message); return true;
    case WM_SYSKEYDOWN: WMSysKeyDown(message); return true;
    case WM_SYSCHAR: WMSysChar(message); return true;
    default: return false;
    }
}

// --- Key-down notification ------------------------------------------------------------------

void TDocumentForm::CNKeyDown(TMessage& message)
{
    const uint16_t key = static_cast<uint16_t>(message.WParam);
    const uint8_t modifiers = ModifiersNow();
    LastKeyCode = key;
    message.Result = 0;
    KeyTakenByShortcut = false;
    if (TDocumentKeyRouter* router = DocumentKeyRouter()) {
        router->ClearCommandRan();
        if (router->TranslateKey(modifiers, key))
            message.Result = 1;
    }
    KeyTakenByShortcut = message.Result != 0;
    if (message.Result != 0)
        return;
    TForm::WndProc(message);
    if (message.Result != 0 || !CanHandleInput())
        return;

    const bool shift = (modifiers & kmShift) != 0;
    const bool alt = (modifiers & kmAlt) != 0;
    const bool extend = shift && IsMovementKey(key);
    if (extend)
        WindowFlags |= dwfKeyboardExtend;
    const bool collapse = !extend;

    // The x that vertical moves keep.
    if (!alt && (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN)) {
        if (CaretGoalX == -1) {
            TLayoutLine* line = LaidLine(*FDocument, FDocument->Caret.Paragraph, FDocument->Caret.Line);
            int32_t pageLeft = 0;
            TLineGeometry geometry;
            if (line && LineBoundaries(*FDocument, *line, pageLeft, geometry)) {
                const int32_t i = std::clamp(FDocument->Caret.Offset - line->FirstChar, 0, line->CharCount);
                CaretGoalX = pageLeft + geometry.X[static_cast<size_t>(i)];
            } else {
                CaretGoalX = FDocument->Caret.X;
            }
        }
    } else if (key >= 0x13 && key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU) {
        CaretGoalX = -1;
        PagingRect = {};
    }

    // With a selection, the movement works from the end it goes towards.
    if (FDocument->HasSelection() && !alt && IsMovementKey(key)) {
        const TTextSelection& sel = FDocument->Selection();
        TTextPosition from;
        if (collapse) {
            const bool toStart = key == VK_PRIOR || key == VK_HOME || key == VK_LEFT || key == VK_UP;
            from = toStart ? sel.Start : sel.End;
        } else {
            const bool anchorAtStart =
                sel.Start.Paragraph == sel.AnchorParagraph && sel.Start.Offset == sel.AnchorOffset;
            from = anchorAtStart ? sel.End : sel.Start;
        }
        if (!SamePlace(*FDocument, from, FDocument->Caret.Paragraph, FDocument->Caret.Offset)) {
            if (collapse)
                ShowPosition(*FDocument, from.Paragraph, from.Offset, spfClearSelection);
            else
                ShowPosition(*FDocument, from.Paragraph, from.Offset, 0);
        }
        if (collapse) {
            CaretGoalX = -1;
            PagingRect = {};
        }
        if (collapse && (key == VK_LEFT || key == VK_RIGHT) && !(modifiers & kmCtrl)) {
            // Left and Right only collapse the selection at its edge.
            ShowPosition(*FDocument, from.Paragraph, from.Offset, spfClearSelection);
            message.Result = 1;
            WindowFlags &= ~dwfKeyboardExtend;
            return;
        }
    }

    if (MovementKey(key, modifiers, collapse))
        message.Result = 1;
    else if ((key == VK_CAPITAL || key == VK_NUMLOCK) && (message.LParam & KEYDATA_PREVIOUSDOWN) == 0) {
        DocumentHost().FireProgramEvent(key == VK_CAPITAL ? evCapsLock : evNumLock);
        WindowFlags |= key == VK_CAPITAL ? dwfCapsLockPressed : dwfNumLockPressed;
        message.Result = 1;
    }
    if (key != VK_PRIOR && key != VK_NEXT)
        PagingRect = {};
    WindowFlags &= ~dwfKeyboardExtend;
}

bool TDocumentForm::MovementKey(uint16_t key, uint8_t modifiers, bool collapse)
{
    TDocument& doc = *FDocument;
    const bool shift = (modifiers & kmShift) != 0;
    const bool ctrl = (modifiers & kmCtrl) != 0;
    const bool alt = (modifiers & kmAlt) != 0;
    TTextRange edit;
    doc.GetEditRange(edit);
    const int32_t firstPar = edit.Start.Paragraph;
    const int32_t lastPar = edit.End.Paragraph;
    const int32_t p = doc.Caret.Paragraph;
    const int32_t o = doc.Caret.Offset;
    auto length = [&](int32_t par) { return doc.Paragraphs(par).GetCharCount(); };
    auto lastPos = [&](int32_t par) { return std::max(0, length(par) - 1); };
    TTextPosition caret = Pos(p, o);

    switch (key) {
    case VK_LEFT:
        if (alt)
            return false;
        if (ctrl) {
            TFoundWord word;
            doc.GetPrevWord(caret, word);
            MoveCaretOrExtend(word.Position, collapse);
        } else if (o > 0) {
            MoveCaretOrExtend(Pos(p, o - 1), collapse);
        } else if (p > firstPar) {
            MoveCaretOrExtend(Pos(p - 1, lastPos(p - 1)), collapse);
        }
        return true;
    case VK_RIGHT:
        if (alt)
            return false;
        if (ctrl) {
            TTextPosition next;
            doc.GetNextWord(caret, next);
            MoveCaretOrExtend(next, collapse);
        } else if ((!shift && o + 1 < length(p)) || (shift && o + 1 <= length(p))) {
            MoveCaretOrExtend(Pos(p, o + 1), collapse);
        } else if (p < lastPar) {
            MoveCaretOrExtend(Pos(p + 1, shift ? 1 : 0), collapse);
        }
        return true;
    case VK_UP:
    case VK_DOWN: {
        if (alt)
            return false;
        const bool up = key == VK_UP;
        if (ctrl) {
            if (up)
                MoveCaretOrExtend(o > 0 || p <= firstPar ? Pos(p, 0) : Pos(p - 1, 0), collapse);
            else if (p < lastPar)
                MoveCaretOrExtend(Pos(p + 1, 0), collapse);
            else if (o != lastPos(p))
                MoveCaretOrExtend(Pos(p, lastPos(p)), collapse);
            return true;
        }
        int32_t targetPar = p;
        int32_t targetLine = doc.Caret.Line + (up ? -1 : 1);
        if (targetLine < 0) {
            if (p <= firstPar) {
                if (shift)
                    MoveCaretOrExtend(edit.Start, collapse);
                return true;
            }
            targetPar = p - 1;
            targetLine = doc.Paragraphs(targetPar).GetLineCount() - 1;
        } else if (targetLine >= doc.Paragraphs(p).GetLineCount()) {
            if (p >= lastPar) {
                if (shift)
                    MoveCaretOrExtend(Pos(lastPar, lastPos(lastPar)), collapse);
                return true;
            }
            targetPar = p + 1;
            targetLine = 0;
        }
        MoveCaretOrExtend(Pos(targetPar, OffsetAtCaretGoalX(targetPar, targetLine, collapse)), collapse);
        return true;
    }
    case VK_HOME:
        if (ctrl) {
            MoveCaretOrExtend(edit.Start, collapse);
        } else if (TLayoutLine* line = LaidLine(doc, p, doc.Caret.Line)) {
            MoveCaretOrExtend(Pos(p, line->FirstChar), collapse);
        }
        return true;
    case VK_END:
        if (ctrl) {
            MoveCaretOrExtend(Pos(lastPar, lastPos(lastPar)), collapse);
        } else if (TLayoutLine* line = LaidLine(doc, p, doc.Caret.Line)) {
            int32_t end = line->FirstChar + line->CharCount;
            if (line->EndsWithBreak() || line->Index == doc.Paragraphs(p).GetLineCount() - 1)
                --end;  // before a break, before the paragraph mark
            MoveCaretOrExtend(Pos(p, std::max(line->FirstChar, end)), collapse);
        }
        return true;
    case VK_PRIOR:
    case VK_NEXT:
        return PageKey(key == VK_NEXT, ctrl, collapse);
    default:
        return false;
    }
}

bool TDocumentForm::PageKey(bool down, bool ctrl, bool collapse)
{
    TDocument& doc = *FDocument;
    TTextRange edit;
    doc.GetEditRange(edit);
    auto endOfEdit = [&] {
        const int32_t last = edit.End.Paragraph;
        return Pos(last, std::max(0, doc.Paragraphs(last).GetCharCount() - 1));
    };
    if (ctrl) {
        // The start of the neighbouring page; the view shows its top.
        const int32_t page = CaretDisplay(doc).Page;
        const int32_t target = page + (down ? 1 : -1);
        if (page < 0 || target < 0 || target >= static_cast<int32_t>(doc.Pages().size()))
            return true;
        TPage& p = *doc.Pages()[static_cast<size_t>(target)];
        const int32_t paragraph = p.FirstParagraph();
        if (paragraph < 0 || p.Ranges.empty())
            return true;
        const int32_t firstLine = p.Ranges.front().FirstLine;
        TLayoutLine* line = LaidLine(doc, paragraph, firstLine);
        const TRect pageRect = GetPageRect(doc, target);
        doc.ScrollTo({doc.ViewOrigin.X, std::max(0, pageRect.Top)});
        MoveCaretOrExtend(Pos(paragraph, line ? line->FirstChar : 0), collapse);
        return true;
    }
    if (doc.ViewMode == 3 || doc.ViewMode == 4) {
        DocumentWindowHost().RunCommand(down ? cmdPageDown : cmdPageUp);
        return true;
    }
    const int32_t oldY = doc.ViewOrigin.Y;
    if (!down && oldY <= 0) {
        MoveCaretOrExtend(edit.Start, collapse);
        return true;
    }
    if (PagingRect.Right <= PagingRect.Left) {
        const TPoint c = DocumentToClient({doc.Caret.X, doc.Caret.Y});
        const int32_t width = std::max(1, doc.Caret.Width), height = std::max(1, doc.Caret.Height);
        if (c.Y >= DocRect.Top && c.Y + height <= DocRect.Bottom)
            PagingRect = {c.X, c.Y, c.X + width, c.Y + height};
        else
            PagingRect = {c.X, DocRect.Top + 10, c.X + width, DocRect.Top + 10 + height};
    }
    int32_t distance = MulDiv(DocRect.Bottom - DocRect.Top, 90, 100);
    if (!down)
        distance = std::min(distance, oldY);
    doc.ScrollTo({doc.ViewOrigin.X, oldY + (down ? distance : -distance)});
    const int32_t moved = doc.ViewOrigin.Y - oldY;
    if (down && moved == 0) {
        // The view already shows the bottom.
        MoveCaretOrExtend(endOfEdit(), collapse);
        return true;
    }
    // The position that now lies under the centre of the paging rectangle.
    const THitTestResult hit =
        HitTest((PagingRect.Left + PagingRect.Right) / 2, (PagingRect.Top + PagingRect.Bottom) / 2);
    if (hit.Kind != hkOutside)
        MoveCaretOrExtend(hit.Position, collapse);
    Repaint();
    return true;
}

// --- Caret moves -------------------------------------------------------------------------------

void TDocumentForm::MoveCaretOrExtend(const TTextPosition& target, bool collapse)
{
    TDocument& doc = *FDocument;
    const bool hadSelection = doc.HasSelection();
    if (collapse) {
        ShowPosition(doc, target.Paragraph, target.Offset, spfClearSelection | spfKeepIfUnchanged);
    } else {
        int32_t anchorPar = doc.Caret.Paragraph, anchorOff = doc.Caret.Offset;
        if (hadSelection) {
            anchorPar = doc.Selection().AnchorParagraph;
            anchorOff = doc.Selection().AnchorOffset;
        }
        doc.SetSelection(anchorPar, anchorOff, target.Paragraph, target.Offset);
        if (!doc.HasSelection())
            ShowPosition(doc, anchorPar, anchorOff, 0);
        else
            ShowPosition(doc, target.Paragraph, target.Offset, spfKeepIfUnchanged);
    }
    if (hadSelection != doc.HasSelection())
        DocumentHost().RequestLayout();
}

int32_t TDocumentForm::OffsetAtCaretGoalX(int32_t paragraph, int32_t lineIndex, bool collapse)
{
    TDocument& doc = *FDocument;
    TParagraph& par = doc.Paragraphs(paragraph);
    TLayoutLine* line = LaidLine(doc, paragraph, lineIndex);
    if (!line)
        return std::min(doc.Caret.Offset, std::max(0, par.GetCharCount() - 1));
    int32_t lastUsable = line->FirstChar + line->CharCount;
    const bool lastLine = lineIndex == par.GetLineCount() - 1;
    if ((collapse && !lastLine) || line->EndsWithBreak() || lastLine)
        --lastUsable;  // not after a break or the paragraph mark
    lastUsable = std::max(line->FirstChar, lastUsable);
    int32_t pageLeft = 0;
    TLineGeometry geometry;
    if (!LineBoundaries(doc, *line, pageLeft, geometry))
        return line->FirstChar;
    if (CaretGoalX == -1)
        CaretGoalX = doc.Caret.X;
    // The boundary nearest to the goal.
    int32_t best = line->FirstChar;
    int32_t bestDistance = INT32_MAX;
    for (int32_t offset = line->FirstChar; offset <= lastUsable; ++offset) {
        const size_t i = static_cast<size_t>(offset - line->FirstChar);
        if (i >= geometry.X.size())
            break;
        const int32_t distance = std::abs(pageLeft + geometry.X[i] - CaretGoalX);
        if (distance < bestDistance) {
            best = offset;
            bestDistance = distance;
        }
    }
    return best;
}

// --- Key messages ----------------------------------------------------------------------------

void TDocumentForm::WMKeyDown(TMessage& message)
{
    TForm::WndProc(message);
    if (!CanHandleInput() || message.Result != 0)
        return;
    const uint16_t key = static_cast<uint16_t>(message.WParam);
    if (key == VK_ESCAPE) {
        TDocumentWindowHost& host = DocumentWindowHost();
        if (GetCapture() == FHandle)
            SendMessage(FHandle, WM_CANCELMODE, 0, 0);
        else if (host.MouseMode() != 0)
            host.RunCommand(cmdNormalMouseMode);
        else if (host.FullScreen())
            host.RunCommand(cmdFullScreenMode);
        else if (FDocument->IsPreview)
            host.RunCommand(cmdLeavePrintPreview);
    } else if (key == VK_APPS) {
        // The context menu at a third of the window's width and height.
        TPoint point{Left() + Width() / 3, Top() + Height() / 3};
        ::ClientToScreen(FHandle, &point);
        SendMessage(FHandle, WM_CONTEXTMENU, FHandle, MakeLParam(point.X, point.Y));
    }
    UpdateCaretAllowed();
}

void TDocumentForm::WMKeyUp(TMessage& message)
{
    TForm::WndProc(message);
}

void TDocumentForm::CNChar(TMessage& message)
{
    message.Result = 0;
    TDocumentKeyRouter* router = DocumentKeyRouter();
    const uint8_t ch = static_cast<uint8_t>(message.WParam);
    // The character of a key that ran a command, and the one the desktop
    // composes after a numeric-pad key pressed with Alt, are not typed.
    const bool dropped =
        KeyTakenByShortcut || (router && (router->NavKeyWithoutNumLockSet() || router->CommandRanForLastKey()));
    if (CanHandleInput() && ch >= 32 && !dropped) {
        if (LastKeyCode < 32)
            LastKeyCode = ch;
        WindowFlags &= ~(dwfCapsLockPressed | dwfNumLockPressed);
        TMemory buffer;
        buffer.AppendByte(ch);
        uint8_t option = 0;
        FDocument->ExecuteOperation(docInsertText, {&buffer, &option});
        message.Result = 1;
        LastKeyCode = 0;
    }
    if (router)
        router->ClearNavKeyWithoutNumLock();
}

void TDocumentForm::WMSysKeyDown(TMessage& message)
{
    TDocumentKeyRouter* router = DocumentKeyRouter();
    if (router && router->HandleSysKeyDown(static_cast<uint16_t>(message.WParam), ModifiersNow())) {
        message.Result = 0;
        return;
    }
    TForm::WndProc(message);
}

void TDocumentForm::WMSysChar(TMessage& message)
{
    TDocumentKeyRouter* router = DocumentKeyRouter();
    if (router) {
        if (router->HandleSysChar(static_cast<uint8_t>(message.WParam), ModifiersNow()) ||
            router->CommandRanForLastKey()) {
            message.Result = 0;
            return;
        }
    }
    TForm::WndProc(message);
}
