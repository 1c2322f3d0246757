#include "shell/frame/MainForm.h"
#include "document/model/Document.h"

#include "docwindow/DocumentForm.h"
#include "docwindow/DocumentFormSupport.h"
#include "formats/DocDispatcher.h"
#include "foundation/SharedManagers.h"
#include "foundation/StringRoutines.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/resources/MenuResources.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "shell/ThemeServices.h"
#include "shell/frame/ButtonBar.h"
#include "shell/frame/FrameServices.h"
#include "shell/options/OptionsHolder.h"
#include "shell/toolbars/ToolbarManager.h"

#include <algorithm>
#include <functional>

TMainForm* MainForm = nullptr;

namespace {

// Panel widths of the status bar; panels 4 and 6 are drawn by the frame.
const int32_t kPanelWidths[8] = {130, 150, 55, 60, 95, 150, 35, 10000};

constexpr uintptr_t kStatusMessageTimer = 6;
constexpr uintptr_t kRecoveryTimer = 9;
constexpr uint32_t kStatusMessagePeriod = 5000;
constexpr int32_t kProgressMax = 24;

// The two scratch bitmaps' maxima grow to the frame's size: document windows
// inside it never need more.
void GrowScratchBitmaps(int32_t width, int32_t height)
{
    for (int32_t n = 1; n <= 2; ++n) {
        if (TServiceBitmap* bitmap = ServiceBitmap(n)) {
            bitmap->MaxWidth = std::max(bitmap->MaxWidth, width);
            bitmap->MaxHeight = std::max(bitmap->MaxHeight, height);
        }
    }
}

// The frame's colour: the menu-bar colour with themes, the button face with
// the newer common controls, else the workspace colour.
TColor FrameColor()
{
    if (ThemeServices && ThemeServices->GetThemesEnabled())
        return clSystemColor | 30;
    if (ThemeServices && ThemeServices->CommonControls6())
        return clBtnFace;
    return clAppWorkSpace;
}

}  // namespace

const TMessageMap& TMainForm::ClassMessageMap()
{
    static const TMessageMap map{&TEldravinCommandForm::ClassMessageMap(),
                                 {MessageEntry<&TMainForm::WMTimer>(WM_TIMER),
                                  MessageEntry<&TMainForm::WMQueryEndSession>(WM_QUERYENDSESSION),
                                  MessageEntry<&TMainForm::WMDeferredStartup>(WM_DEFERREDSTARTUP),
                                  MessageEntry<&TMainForm::WMActivateApp>(WM_ACTIVATEAPP),
                                  MessageEntry<&TMainForm::WMWindowPosChanging>(WM_WINDOWPOSCHANGING)}};
    return map;
}

TMainForm::TMainForm(TComponent* owner) : TEldravinCommandForm(owner)
{
    SetFormStyle(TFormStyle::fsMDIForm);
    SetCaption(Application ? Application->Title() : std::string());
    SetClientSize(592, 434);
    OnCloseQuery = [this](TForm*, bool& canClose) { FormCloseQuery(canClose); };

    // The document bar, at the top until the options say otherwise.
    FButtonBar = new TButtonBar(this);
    FButtonBar->SetAlign(TAlign::alTop);
    FButtonBar->SetParent(this);
    FButtonBar->OnActivateDocument = [](TButtonBarButton* button) {
        if (button->Window)
            if (auto* view = dynamic_cast<TDocumentView*>(button->Window))
                view->RestoreAndActivate();
    };

    FStatusBar = new TStatusBar(this);
    FStatusBar->SetName("StatusBar");
    FStatusBar->SetParent(this);
    for (int i = 0; i < 8; ++i) {
        TStatusPanel& panel = FStatusBar->AddPanel();
        panel.SetWidth(kPanelWidths[i]);
        if (i == 4 || i == 6)
            panel.SetStyle(TStatusPanelStyle::psOwnerDraw);
    }
    FStatusBar->OnDrawPanel = [this](TStatusBar* bar, TStatusPanel& panel, const TRect& rect) {
        StatusBarDrawPanel(bar, panel.Index(), rect);
    };
    FStatusBar->OnMouseDown = [this](TControl*, TMouseButton, TShiftState, int32_t x, int32_t) { FStatusClickX = x; };
    FStatusBar->OnDblClick = [this](TControl*) { StatusBarDblClick(FStatusClickX); };

    // The progress bar lives in the status bar, hidden until a progress starts.
    FProgressBar = new TProgressBar(this);
    FProgressBar->SetParent(FStatusBar);
    FProgressBar->SetBounds(0, 0, ScaleByScreenDPI(153), ScaleByScreenDPI(11));
    FProgressBar->Max = kProgressMax;
    FProgressBar->Hide();
    FStatusMode = smPanels;

    // The application's idle and exception events are the frame's.
    if (Application) {
        Application->OnIdle = [this](TApplication*, bool& done) { ApplicationIdle(done); };
        Application->OnException = [this](TComponent*, const std::exception& e) { HandleApplicationException(e); };
    }
    if (ThemeServices)
        ThemeServices->OnThemeChange = [this] { SetColor(FrameColor()); };
    SetColor(FrameColor());
}

TMainForm::~TMainForm()
{
    BeginDestroy();
    if (HandleAllocated())
        KillTimer(FHandle, kStatusMessageTimer);
    StopRecoveryTimer();
    if (Application) {
        Application->OnIdle = nullptr;
        Application->OnException = nullptr;
    }
    if (ThemeServices)
        ThemeServices->OnThemeChange = nullptr;
}

void TMainForm::BuildMenus()
{
    FMainMenu = new TMainMenu(this);
    FMainMenu->SetName("MainMenu");
    std::string stored;
    if (OptionsHolder)
        stored.assign(OptionsHolder->MainMenuLayout.begin(), OptionsHolder->MainMenuLayout.end());
    // A damaged stored layout gives the built-in menu.
    LoadStoredMenu(*FMainMenu, stored, "MAIN", true);
    FMainMenu->SetForm(this);
    // Preparing the items (states, shortcut texts) and the frame's system-menu
    // entry are the command manager's, which binds them once it exists.
    FDocBarPopup = new TPopupMenu(this);
    LoadMenuResource(*FDocBarPopup, "DOCBAR", true);
    FStatusBarPopup = new TPopupMenu(this);
    LoadMenuResource(*FStatusBarPopup, "STATBAR", true);
    FStatusBar->PopupMenu = FStatusBarPopup;
}

TDocument* TMainForm::GetActiveDocument() const
{
    if (!DocDispatcher || DocDispatcher->Count() == 0)
        return nullptr;
    auto* form = dynamic_cast<TDocumentForm*>(ActiveMDIChild());
    return form ? form->Document() : nullptr;
}

void TMainForm::SetStatusBarMode(uint8_t mode)
{
    FStatusMode = mode;
    FStatusBar->SetSimplePanel(mode != smPanels);
    const bool statusBarOn = !OptionsHolder || OptionsHolder->CurrentView.StatusBar;
    if (mode == smTextWithProgress && statusBarOn && !FullScreen) {
        FProgressBar->SetTop((FStatusBar->Height() - FProgressBar->Height()) / 2 + 1);
        FProgressBar->Show();
    } else {
        FProgressBar->Hide();
    }
    FStatusBar->Repaint();
}

std::string TMainForm::GetStatusText() const
{
    return FStatusBar->SimpleText();
}

void TMainForm::SetStatusText(const std::string& text)
{
    FStatusBar->SetSimpleText(text);
}

void TMainForm::PushStatus()
{
    if (FStatusDepth++ == 0) {
        FSavedStatusMode = FStatusMode;
        FSavedStatusText = GetStatusText();
    }
}

void TMainForm::PopStatus()
{
    if (FStatusDepth == 0)
        return;
    if (--FStatusDepth == 0) {
        SetStatusText(FSavedStatusText);
        SetStatusBarMode(FSavedStatusMode);
    }
}

void TMainForm::PlaceProgressBar(int32_t textWidth)
{
    FProgressBar->SetLeft(textWidth + 20);
}

void TMainForm::ProgressStart(int32_t total, const std::string& text)
{
    if (OptionsHolder && !OptionsHolder->CurrentView.StatusBar)
        return;
    FProgressBar->SetPosition(0);
    FProgressTotal = total;
    FProgressLastStep = 0;
    SetStatusText(text);
    PlaceProgressBar(FStatusBar->Canvas().TextWidth(text));
    ClearStatusMessage();
    SetStatusBarMode(smTextWithProgress);
    Flags |= ffProgressShown;
}

void TMainForm::ProgressStep(int32_t done)
{
    if (FProgressTotal <= 0)
        return;
    const int32_t step = static_cast<int32_t>(static_cast<int64_t>(done) * 25 / FProgressTotal);
    // The bar only moves forwards.
    if (step <= FProgressLastStep)
        return;
    FProgressLastStep = step;
    FProgressBar->SetPosition(std::min(step, kProgressMax));
}

void TMainForm::ProgressEnd(bool showFull)
{
    if (showFull)
        FProgressBar->SetPosition(kProgressMax);
    SetStatusBarMode(smPanels);
    Flags &= ~ffProgressShown;
}

void TMainForm::UpdateRecoveryTimer(int32_t minutes)
{
    if (minutes == FRecoveryMinutes)
        return;
    StopRecoveryTimer();
    if (minutes > 0 && HandleAllocated()) {
        SetTimer(FHandle, kRecoveryTimer, static_cast<uint32_t>(minutes) * 60000u);
        Flags |= ffRecoveryTimerRuns;
    }
    FRecoveryMinutes = minutes;
}

void TMainForm::StopRecoveryTimer()
{
    if (HasFlag(ffRecoveryTimerRuns) && HandleAllocated())
        KillTimer(FHandle, kRecoveryTimer);
    Flags &= ~ffRecoveryTimerRuns;
    FRecoveryMinutes = 0;
}

void TMainForm::HoldStatusMessage()
{
    if (HandleAllocated())
        SetTimer(FHandle, kStatusMessageTimer, kStatusMessagePeriod);
    Flags |= ffStatusMessageHeld;
}

void TMainForm::ClearStatusMessage()
{
    if (!HasFlag(ffStatusMessageHeld))
        return;
    if (HandleAllocated())
        KillTimer(FHandle, kStatusMessageTimer);
    SetStatusBarMode(smPanels);
    Flags &= ~ffStatusMessageHeld;
}

void TMainForm::UpdateDocumentCaptions()
{
    for (int i = 0; i < MDIChildCount(); ++i)
        if (auto* form = dynamic_cast<TDocumentForm*>(MDIChildren(i)))
            form->UpdateCaption();
    RequestLayout();
}

void TMainForm::UpdateFrameLayout()
{
    if ((Application && Application->Terminated()) || EmergencySaveInProgress || HasFlag(ffLayoutSuppressed))
        return;
    TDocument* document = GetActiveDocument();
    if (document && document->InOperation)
        return;
    Flags &= ~ffLayoutNeeded;
    if (CommandManager) {
        // The open windows changed (opened, closed, activated, renamed): the
        // Window menu's list is rebuilt.
        std::vector<std::string> windows = WindowCaptions();
        windows.push_back(std::to_string(ActiveWindowIndex()));
        if (windows != FLastWindowList) {
            FLastWindowList = std::move(windows);
            CommandManager->DirtyFlags |= TCommandManager::dfWindows;
        }
        CommandManager->UpdateFavouritesMenu(FMainMenu);
        CommandManager->UpdateRecentFilesMenu(FMainMenu);
        CommandManager->UpdateWindowsMenu(FMainMenu);
        // The bar's own items follow their commands at once; their drop-downs
        // are refreshed as they open.
        if (FMainMenu)
            for (int i = 0; i < FMainMenu->Items().Count(); ++i) {
                TMenuItem* item = FMainMenu->Items().Items(i);
                if (item->Tag != 0)
                    item->Enabled = CommandManager->IsCommandEnabled(static_cast<TCommandId>(item->Tag));
            }
    }
    UpdateStatusPanels();
    SyncButtonBar();
    if (ToolbarManager)
        ToolbarManager->RefreshToolbarStates();
    // The clip library joins this refresh with its manager.
}

void TMainForm::SyncButtonBar()
{
    TDocument* active = GetActiveDocument();
    if (FullScreen || !active || !DocDispatcher) {
        FButtonBar->Hide();
        return;
    }
    // Buttons of closed documents go; new documents join at the end.
    for (int32_t i = FButtonBar->ButtonCount() - 1; i >= 0; --i)
        if (DocDispatcher->IndexOf(FButtonBar->Buttons(i)->Document) < 0)
            FButtonBar->RemoveDocument(i);
    for (int32_t i = 0; i < DocDispatcher->Count(); ++i) {
        TDocument* document = DocDispatcher->Documents(i);
        if (FButtonBar->IndexOfDocument(document) < 0)
            FButtonBar->AddDocument(dynamic_cast<TForm*>(document->View()), document);
    }
    FButtonBar->SetActiveIndex(FButtonBar->IndexOfDocument(active), true);
    FButtonBar->Show();
}

void TMainForm::HandleApplicationException(const std::exception& e)
{
    if (EmergencySaveInProgress)
        return;
    // The emergency save of a document whose update failed comes with the
    // dispatcher's update count; every other failure is reported.
    ShowError("Anomalie :||" + std::string(e.what()) + ".");
}

void TMainForm::FormCloseQuery(bool& canClose)
{
    Flags |= ffCloseQueryRunning;
    // The clipboard manager's questions and the due update check join here
    // once they exist; the documents were asked first, as MDI children.
    canClose = true;
    Flags &= ~(ffCloseQueryRunning | ffEndSessionQueried);
}

void TMainForm::WMTimer(TMessage& m)
{
    if (!Application || Application->Terminated() || EmergencySaveInProgress || StartupInProgress)
        return;
    switch (m.WParam) {
    case kStatusMessageTimer:
        ClearStatusMessage();
        break;
    case kRecoveryTimer:
        if (DocDispatcher)
            DocDispatcher->SaveRecoveryCopies();
        break;
    default:
        // Repagination, spelling, recovery copies and cache trimming start
        // their timers with the services that do the work.
        break;
    }
}

void TMainForm::WMQueryEndSession(TMessage& m)
{
    // The end of the desktop session asks like closing the program does:
    // every changed document first, then the frame.
    Flags |= ffEndSessionQueried;
    if (!CloseQuery()) {
        Flags &= ~ffEndSessionQueried;
        m.Result = 0;
        return;
    }
    if (OptionsHolder)
        SaveSettings(*OptionsHolder);
    if (DocDispatcher)
        DocDispatcher->CloseAll();
    m.Result = 1;
}

void TMainForm::WMDeferredStartup(TMessage&)
{
    StartupInProgress = false;
    if (OptionsHolder && OptionsHolder->AdviseAtStartUp && StartMode() == smNoDocuments)
        Flags |= ffShowTipsAtIdle;
    // Scrolling the documents to their first position, the format palette,
    // the clip library and the notice of new commands come with their services.
    RequestLayout();
}

void TMainForm::WMActivateApp(TMessage& m)
{
    if (m.WParam) {
        Flags |= ffClipLibRescan;
        RequestLayout();
    }
    Inherited(ClassMessageMap(), m);
}

void TMainForm::WMWindowPosChanging(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
    if (wp && !(wp->flags & SWP_NOSIZE)) {
        wp->cx = std::max(wp->cx, MinFrameWidth);
        wp->cy = std::max(wp->cy, MinFrameHeight);
        GrowScratchBitmaps(wp->cx, wp->cy);
    }
}

void TMainForm::Resize()
{
    TEldravinCommandForm::Resize();
    // Sizes the window layer sets without asking first (maximising) count too.
    GrowScratchBitmaps(Width(), Height());
    RequestLayout();
}

// --- services for code without the forms ------------------------------------------------

void FrameProgressStart(int32_t total, const std::string& text)
{
    if (MainForm)
        MainForm->ProgressStart(total, text);
}

void FrameProgressStep(int32_t done)
{
    if (MainForm)
        MainForm->ProgressStep(done);
}

void FrameProgressEnd(bool showFull)
{
    if (MainForm)
        MainForm->ProgressEnd(showFull);
}

void FrameResetStatusBar()
{
    if (MainForm)
        MainForm->SetStatusBarMode(smPanels);
}

void FrameUpdateLayout()
{
    if (MainForm)
        MainForm->UpdateFrameLayout();
}

void FrameRequestLayout()
{
    if (MainForm)
        MainForm->RequestLayout();
}
