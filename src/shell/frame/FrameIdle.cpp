// The frame's idle work: what the rest of the program defers to the moment
// the program becomes idle, in a fixed order, one deferred message box per
// pass. Input that arrives while a step runs ends the pass: the remaining
// steps wait until the input was handled and the program is idle again.
#include "shell/frame/MainForm.h"
#include "document/model/Document.h"

#include "docwindow/ClipboardManager.h"
#include "docwindow/DocumentForm.h"
#include "foundation/SharedManagers.h"
#include "platform/framework/Forms.h"
#include "platform/win/InputState.h"
#include "shell/commands/CommandManager.h"
#include "shell/proofing/SpellCheckManager.h"

namespace {

constexpr int32_t kClipboardWait = 50;
constexpr int32_t kMouseResendWait = 50;
constexpr int32_t kTrayRemovalWait = 200;
constexpr TCommandId kTipsCommand = 101100;

bool Idle(int32_t milliseconds)
{
    return !CommandManager || CommandManager->IdleFor(milliseconds);
}

}  // namespace

void TMainForm::ApplicationIdle(bool& done)
{
    done = true;
    LastIdleSteps = 0;
    if (!Application || Application->Terminated() || Application->MainForm() != this || StartupInProgress ||
        EmergencySaveInProgress)
        return;
    // Keys and clicks that come while a step runs (a message box's loop, a
    // command) end the pass; so does input already waiting.
    const uint64_t inputAtStart = InputMessageCount();
    const auto inputArrived = [&] {
        if (InputMessageCount() == inputAtStart && !GetInputState())
            return false;
        done = false;
        return true;
    };
    const auto ran = [&](int step) { LastIdleSteps |= 1u << step; };
    if (inputArrived())
        return;

    // 1. The clipboard changed: its text joins the clipboard history.
    if (HasFlag(ffClipboardChanged) && Idle(kClipboardWait)) {
        CollectClipboard();
        ran(1);
        if (inputArrived())
            return;
    }
    // 2. Scrolls and carets the document windows left for now.
    FinishPendingScrolls();
    // 3. The frame's layout.
    if (Flags & (ffLayoutNeeded | ffToolbarsChanged)) {
        UpdateFrameLayout();
        ran(3);
        if (inputArrived())
            return;
    }
    // 4. A mouse move for the document window under the pointer.
    if (HasFlag(ffResendMouseMove)) {
        Flags &= ~ffResendMouseMove;
        TDocument* document = GetActiveDocument();
        if (document && !document->IsViewBusy()) {
            ResendMouseMove();
            ran(4);
        }
    }
    // 5. Bringing the header or footer being edited into view is the
    // document window's scrolling, which joins with it; the request is taken.
    Flags &= ~ffShowEditedHeader;
    // 6. The tips. The flag goes before the command runs: a tips command
    // that is not available must not come back at every pass (and stamp the
    // last user action each time, holding back all waiting work).
    if (HasFlag(ffShowTipsAtIdle)) {
        Flags &= ~ffShowTipsAtIdle;
        if (CommandManager)
            CommandManager->ExecuteCommand(kTipsCommand);
        ran(6);
        if (inputArrived())
            return;
    }
    // 7. A tray icon left after the frame came back from the tray.
    if (!HasFlag(ffInSystemTray) && HasFlag(ffTrayIconExists) && Idle(kTrayRemovalWait)) {
        Flags &= ~ffTrayIconExists;
        ran(7);
    }
    // 8 and 9 (the toolbar manager's combo-box editing mark, the clip-library
    // preview) come with those managers.
    // Spelling as the user types: a slice of the active document's check,
    // then the input goes first.
    if (SpellingIdleStep(GetActiveDocument())) {
        done = false;
        if (inputArrived())
            return;
    }
    // 10. One deferred message box; the next one waits for another pass.
    ShowDeferredMessage();
    if (!FDeferredMessages.empty())
        done = false;
}

void TMainForm::CollectClipboard()
{
    TClipboardManager* clipboard = GetClipboardManager();
    if (!clipboard) {
        Flags &= ~ffClipboardChanged;
        return;
    }
    if (!clipboard->Open(0))
        return;  // tried again at a later pass
    Flags &= ~ffClipboardChanged;
    try {
        if (clipboard->HasTextData())
            clipboard->AddHistoryItem();
    } catch (...) {
        clipboard->Close();
        throw;
    }
    clipboard->Close();
    RequestLayout();
}

void TMainForm::FinishPendingScrolls()
{
    // The pending scrolls, scroll-bar page sizes and carets waiting to be
    // shown are the document window's; it finishes them with its own input.
}

void TMainForm::ShowDeferredMessage()
{
    for (TQueuedMessage& m : TakeQueuedMessages())
        FDeferredMessages.push_back(std::move(m));
    if (FDeferredMessages.empty() || HasFlag(ffDeferredMessageShown))
        return;
    const TQueuedMessage m = FDeferredMessages.front();
    FDeferredMessages.erase(FDeferredMessages.begin());
    Flags |= ffDeferredMessageShown;
    LastIdleSteps |= 1u << 10;
    try {
        if (m.Flag != NoMessagePreset)
            ShowMessageDlgPreset(m.Text, m.Type, m.Flag);
        else
            ShowMessageDlg(m.Text, m.Type, m.Buttons);
    } catch (...) {
        Flags &= ~ffDeferredMessageShown;
        throw;
    }
    Flags &= ~ffDeferredMessageShown;
}

void TMainForm::ResendMouseMove()
{
    TPoint cursor;
    if (!GetCursorPos(&cursor))
        return;
    const HWND window = WindowFromPoint(cursor);
    TDocumentForm* target = nullptr;
    for (int i = 0; i < MDIChildCount() && !target; ++i)
        if (auto* form = dynamic_cast<TDocumentForm*>(MDIChildren(i)))
            if (form->HandleAllocated() && form->Handle() == window)
                target = form;
    if (!target)
        return;
    if (!Idle(kMouseResendWait)) {
        Flags |= ffResendMouseMove;
        return;
    }
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= 4;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= 8;
    if (GetKeyState(VK_LBUTTON) < 0)
        keys |= 1;
    if (GetKeyState(VK_RBUTTON) < 0)
        keys |= 2;
    ::ScreenToClient(window, &cursor);
    SendMessage(window, WM_MOUSEMOVE, keys, MakeLParam(cursor.X, cursor.Y));
}
