#pragma once
// The program's multiple-document frame: the document windows, the main menu,
// the status bar with its progress bar, and the frame services the rest of
// the program calls (status texts, progress, the active document, layout
// requests). It is also the program's idle worker and clock: the
// application's idle and exception events are bound to it, a word of
// deferred-work flags lets any part ask for work at the next idle pass, and
// its window timers drive the periodic work.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/MessageDlg.h"
#include "shell/BaseForms.h"
#include "shell/commands/CommandManager.h"

class TButtonBar;
class TDocument;
class TMainMenu;
class TPopupMenu;
class TProgressBar;
class TStatusBar;

// Deferred-work flags of the frame.
using TFrameFlags = uint32_t;
constexpr TFrameFlags ffLayoutNeeded = 0x1;
constexpr TFrameFlags ffLayoutSuppressed = 0x2;
constexpr TFrameFlags ffSpellCheckRunning = 0x4;
constexpr TFrameFlags ffStatusMessageHeld = 0x8;
constexpr TFrameFlags ffToolbarsChanged = 0x10;
constexpr TFrameFlags ffResendMouseMove = 0x20;
constexpr TFrameFlags ffShowEditedHeader = 0x40;
constexpr TFrameFlags ffInSystemTray = 0x80;
constexpr TFrameFlags ffTrayIconExists = 0x100;
constexpr TFrameFlags ffCloseQueryRunning = 0x200;
constexpr TFrameFlags ffEndSessionQueried = 0x400;
constexpr TFrameFlags ffCommandRunning = 0x800;
constexpr TFrameFlags ffOpeningDocument = 0x1000;
constexpr TFrameFlags ffRecoveryTimerRuns = 0x2000;
constexpr TFrameFlags ffClipboardChanged = 0x4000;
constexpr TFrameFlags ffShowTipsAtIdle = 0x8000;
constexpr TFrameFlags ffDocBarRebuild1 = 0x10000;
constexpr TFrameFlags ffDocBarRebuild2 = 0x20000;
constexpr TFrameFlags ffClipLibRescan = 0x40000;
constexpr TFrameFlags ffClipLibPreview = 0x80000;
constexpr TFrameFlags ffClipLibRebuild = 0x100000;
constexpr TFrameFlags ffClipLibKeepShown = 0x200000;
constexpr TFrameFlags ffProgressShown = 0x400000;
constexpr TFrameFlags ffDeferredMessageShown = 0x800000;

// Status-bar modes.
constexpr uint8_t smPanels = 0;
constexpr uint8_t smTextWithProgress = 1;
constexpr uint8_t smText = 2;

class TMainForm : public TEldravinCommandForm, public TCommandContext {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // Builds the main menu from the stored layout or the "MAIN" resource, and
    // the document-bar and status-bar popups.
    void BuildMenus();
    TMainMenu* MainMenu() const { return FMainMenu; }
    TStatusBar* StatusBar() const { return FStatusBar; }
    TProgressBar* ProgressBar() const { return FProgressBar; }

    TFrameFlags Flags = 0;
    bool HasFlag(TFrameFlags flag) const { return (Flags & flag) != 0; }

    // --- Frame services ------------------------------------------------------
    // The document of the active document window; null when there is none.
    TDocument* GetActiveDocument() const;
    uint8_t StatusBarMode() const { return FStatusMode; }
    void SetStatusBarMode(uint8_t mode);
    std::string GetStatusText() const;
    void SetStatusText(const std::string& text);
    void PushStatus();
    void PopStatus();
    void ProgressStart(int32_t total, const std::string& text);
    void ProgressStep(int32_t done);
    void ProgressEnd(bool showFull);
    void HoldStatusMessage();
    void ClearStatusMessage();
    void RequestLayout() { Flags |= ffLayoutNeeded; }
    // The frame's refresh: document captions, the status bar, the MDI area.
    void UpdateFrameLayout();
    void UpdateDocumentCaptions();
    // The document bar: its buttons brought in line with the open documents
    // (in the order of opening) and the active one down; shown while a
    // document is active outside full-screen mode.
    TButtonBar* ButtonBar() const { return FButtonBar; }
    void SyncButtonBar();

    // The progress bar's last step shown (0 to 24).
    int32_t ProgressLastStep() const { return FProgressLastStep; }

    // Timer 9, the recovery copies: restarted when the interval (minutes, 0:
    // off) differs from the one it runs with; stopped.
    void UpdateRecoveryTimer(int32_t minutes);
    void StopRecoveryTimer();

    // The deferred messages not shown yet.
    const std::vector<TQueuedMessage>& DeferredMessages() const { return FDeferredMessages; }

    // Idle work: one deferred message per pass, then the layout when asked for.
    void ApplicationIdle(bool& done);
    void HandleApplicationException(const std::exception& e);
    // Sends the document window under the pointer a mouse move (so that it
    // sets its cursor again), once the user has been still for 50 ms.
    void ResendMouseMove();

    bool FullScreen = false;
    uint8_t InsertMode = 0;
    // 0 normal editing, 1 hand scrolling, 2 format painter, 3 magnifier,
    // 4 highlighter, 5 font colour, 6 format-palette painting.
    uint8_t MouseMode = 0;
    // The spelling-state animation's frame counter (0 to 5).
    uint8_t SpellCycle = 0;

    // --- The command manager's view of the frame (TCommandContext) ----------
    TDocument* ActiveDocument() override { return GetActiveDocument(); }
    void ReadDocumentState(TDocument& document, TCommandDocState& state) override;
    void ReadFrameState(TCommandFrameState& state) override;
    bool ReadClipboard(bool& pasteable) override;
    bool HasInternalClip() override;
    void RequestFrameLayout() override { RequestLayout(); }
    void ReleaseHeldStatusMessage() override { ClearStatusMessage(); }
    bool HasDocDispatcher() override;
    std::vector<std::string> RecentFiles() override;
    std::vector<std::string> WindowCaptions() override;
    int32_t ActiveWindowIndex() override;
    std::string FavouritesFolder() override;
    std::string ShortenMenuFileName(const std::string& fileName) override;
    bool OpenDocumentFile(const std::string& fileName, int32_t mode) override;
    bool IsMainMenu(const TMenu* menu) override;
    bool IsTrayMenu(const TMenu*) override { return false; }

    // Binds the menus to the command manager once it exists: every item
    // prepared, the main menu's drop-downs and the popups refreshed as they open.
    void PrepareMenus();
    TPopupMenu* DocBarPopup() const { return FDocBarPopup; }
    TPopupMenu* StatusBarPopup() const { return FStatusBarPopup; }
    // The status-bar panels from the active document (part of the layout).
    void UpdateStatusPanels();
    // A double click on a status-bar panel at a client x of the status bar.
    void StatusBarDblClick(int32_t x);
    // The idle pass's steps that ran last time (tests read it): bit N for step N.
    uint32_t LastIdleSteps = 0;

protected:
    void WMTimer(TMessage& m);
    void WMQueryEndSession(TMessage& m);
    void WMDeferredStartup(TMessage& m);
    void WMActivateApp(TMessage& m);
    void WMWindowPosChanging(TMessage& m);
    void Resize() override;

private:
    void FormCloseQuery(bool& canClose);
    void StatusBarDrawPanel(TStatusBar* bar, int index, const TRect& rect);
    void PlaceProgressBar(int32_t textWidth);

    TMainMenu* FMainMenu = nullptr;
    TPopupMenu* FDocBarPopup = nullptr;
    TPopupMenu* FStatusBarPopup = nullptr;
    TStatusBar* FStatusBar = nullptr;
    TProgressBar* FProgressBar = nullptr;
    TButtonBar* FButtonBar = nullptr;
    uint8_t FStatusMode = smPanels;
    int32_t FProgressTotal = 0;
    int32_t FProgressLastStep = 0;
    int32_t FRecoveryMinutes = 0;
    int32_t FStatusDepth = 0;
    uint8_t FSavedStatusMode = smPanels;
    std::string FSavedStatusText;
    std::vector<TQueuedMessage> FDeferredMessages;
    // The window list the Window menu was last built from.
    std::vector<std::string> FLastWindowList;
    int32_t FStatusClickX = 0;
    // Idle steps (FrameIdle.cpp).
    void CollectClipboard();
    void FinishPendingScrolls();
    void ShowDeferredMessage();
};

// The program's main frame; null before start-up makes it and after shutdown frees it.
extern TMainForm* MainForm;

// The minimum size of the frame.
constexpr int32_t MinFrameWidth = 350;
constexpr int32_t MinFrameHeight = 320;
