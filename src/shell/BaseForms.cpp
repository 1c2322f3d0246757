#include "shell/BaseForms.h"

#include "foundation/StringRoutines.h"
#include "foundation/managers/SharedManagersHost.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

bool StartupInProgress = false;
bool EmergencySaveInProgress = false;

namespace {

struct TModuleData {
    std::vector<std::string> Classes;
    std::string ProgramPath;
    std::string ProgramFolder;
};

TModuleData& Module()
{
    static TModuleData data;
    return data;
}

// The first page control among the form's controls (depth first), if any.
TPageControl* FirstPageControl(TWinControl* parent)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        if (auto* p = dynamic_cast<TPageControl*>(parent->Controls(i)))
            return p;
        if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)))
            if (TPageControl* p = FirstPageControl(w))
                return p;
    }
    return nullptr;
}

} // namespace

TBaseFormServices& BaseFormServices()
{
    static TBaseFormServices services;
    return services;
}

void InitBaseForms()
{
    TModuleData& m = Module();
    m.Classes = {"TAdvComboBox", "TAnimate",      "TBevel",        "TButton",           "TButtonBar",
                 "TCharMap",     "TCheckBox",     "TCheckListBox", "TColorDialog",      "TComboBox",
                 "TDlgButtons",  "TDlgFormManager", "TEdit",       "TExOpenDialog",     "TExSaveDialog",
                 "TGroupBox",    "THotKey",       "TImage",        "TLabel",            "TListBox",
                 "TListView",    "TMemo",         "TMenuItem",     "TOpenPictureDialog", "TPageControl",
                 "TPaintBox",    "TPanel",        "TPopupMenu",    "TProgressBar",      "TRadioButton",
                 "TRichViewer",  "TSaveDialog",   "TSavePictureDialog", "TScrollBar95", "TScrollBox",
                 "TSpeedButton", "TStraightEdge", "TTabSet",       "TTabSheet",         "TTrackBar",
                 "TTreeView",    "TUpDownEdit",   "TStatusBar"};
    m.ProgramPath = GetModuleFileName();
    m.ProgramFolder = GetProgramFolder();
    StartupInProgress = true;
}

void DoneBaseForms()
{
    TModuleData& m = Module();
    m.Classes.clear();
    m.ProgramPath.clear();
    m.ProgramFolder.clear();
}

const std::vector<std::string>& RegisteredComponentClasses()
{
    return Module().Classes;
}

bool IsRegisteredComponentClass(const std::string& name)
{
    const auto& c = Module().Classes;
    return std::any_of(c.begin(), c.end(), [&](const std::string& n) { return SameText(n, name); });
}

const std::string& ProgramPath()
{
    return Module().ProgramPath;
}

const std::string& ProgramFolder()
{
    return Module().ProgramFolder;
}

// --- TEldravinForm ---------------------------------------------------------------------

const TMessageMap& TEldravinForm::ClassMessageMap()
{
    static const TMessageMap map{&TForm::ClassMessageMap(),
                                 {MessageEntry<&TEldravinForm::WMHelp>(WM_HELP),
                                  MessageEntry<&TEldravinForm::WMSysCommand>(WM_SYSCOMMAND),
                                  MessageEntry<&TEldravinForm::CMShowingChanged>(CM_SHOWINGCHANGED)}};
    return map;
}

TEldravinForm::TEldravinForm(TComponent* owner) : TForm(owner)
{
    // The program's font: 8 points of MS Sans Serif in the window-text colour.
    Font().SetCharset(1);  // DEFAULT_CHARSET
    Font().SetColor(clWindowText);
    Font().SetHeight(-11);
    Font().SetName("MS Sans Serif");
    Font().SetStyle(0);
    OnCloseQuery = [this](TForm*, bool& canClose) { CloseQueryHook(canClose); };
}

void TEldravinForm::CreateWnd()
{
    TForm::CreateWnd();
    // The new window's handle feeds the encryption manager's random pool.
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(Handle()));
}

void TEldravinForm::SetHelpTopic(int32_t topic)
{
    FHelpTopic = topic;
    if (topic != 0)
        FHelpButton = true;
}

void TEldravinForm::SetVisible(bool visible)
{
    const bool was = Visible();
    TForm::SetVisible(visible);
    if (was != Visible())
        Perform(CM_SHOWINGCHANGED, 0, 0);
}

void TEldravinForm::WMHelp(TMessage& m)
{
    m.Result = 1;
    if (FHelpTopic == 0)
        return;
    int32_t topic = FHelpTopic;
    if (TPageControl* pages = FirstPageControl(this))
        topic += std::max(0, pages->ActivePageIndex());
    if (BaseFormServices().ShowHelpTopic)
        BaseFormServices().ShowHelpTopic(topic);
}

void TEldravinForm::WMSysCommand(TMessage& m)
{
    if ((static_cast<uint32_t>(m.WParam) & 0xFFF0u) == SC_CONTEXTHELP) {
        m.Result = Perform(WM_HELP, 0, 0);
        return;
    }
    Inherited(ClassMessageMap(), m);
}

void TEldravinForm::CMShowingChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    // Focus rectangles and accelerator marks stay hidden until the keyboard is used.
    if (Visible() && HandleAllocated())
        SendMessage(Handle(), WM_CHANGEUISTATE, MakeWParam(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

void TEldravinForm::CloseQueryHook(bool& canClose)
{
    if (ModalResult() != mrCancel)
        return;
    // The first row (from the last component) that has a Cancel button decides.
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        auto* row = dynamic_cast<TDlgButtons*>(Components(i));
        if (!row || !row->Button(DlgButtonCancel))
            continue;
        if (row->LastClicked == DlgButtonCancel)
            return;  // the Cancel button itself closes: its handler has run
        row->Button(DlgButtonCancel)->Click();
        if (ModalResult() == mrNone)
            canClose = false;
        return;
    }
}

// --- TEldravinCommandForm ---------------------------------------------------------------

void TEldravinCommandForm::WndProc(TMessage& message)
{
    if (BaseFormServices().TranslateEditMessage && BaseFormServices().TranslateEditMessage(message))
        return;
    TForm::WndProc(message);
}

// --- Dialog buttons -------------------------------------------------------------------

TDlgButton::TDlgButton(TComponent* owner, TDlgButtons* row, uint8_t kind) : TButton(owner), FRow(row), FKind(kind)
{
    switch (kind) {
    case DlgButtonOK:
        SetCaption("OK");
        ModalResult = mrOk;
        SetDefault(true);
        break;
    case DlgButtonCancel:
        SetCaption("Annuler");
        ModalResult = mrCancel;
        Cancel = true;
        break;
    default:
        SetCaption("Appliquer");
        ModalResult = mrOk;
        break;
    }
}

void TDlgButton::Click()
{
    if (FRow)
        FRow->LastClicked = FKind;
    // The framework's click (the form's modal result), then the row's event.
    TDlgButtons* row = FRow;
    TButton::Click();
    if (row && row->OnClick)
        row->OnClick(this);
}

TDlgButtons::TDlgButtons(TComponent* owner) : TComponent(owner)
{
}

TDlgButtons::~TDlgButtons()
{
    BeginDestroy();
    for (TDlgButton*& b : FButtons)
        if (b) {
            RemoveFreeNotification(b);
            b = nullptr;
        }
}

void TDlgButtons::SetButtonIndexes(const std::string& indexes)
{
    FButtonIndexes = indexes;
    RebuildButtons();
}

void TDlgButtons::ScaleToScreen()
{
    for (int32_t* v : {&ButtonWidth, &ButtonHeight, &RightMargin, &BottomMargin, &Spacing})
        *v = ScaleByScreenDPI(*v);
}

void TDlgButtons::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove)
        for (TDlgButton*& b : FButtons)
            if (b == component)
                b = nullptr;
}

void TDlgButtons::RebuildButtons()
{
    for (TDlgButton*& b : FButtons) {
        TDlgButton* old = b;
        b = nullptr;
        if (old) {
            RemoveFreeNotification(old);
            delete old;
        }
    }
    auto* form = dynamic_cast<TForm*>(Owner());
    if (!form)
        return;
    // Made from the leftmost place on, so that the tab order runs left to right.
    const int32_t n = static_cast<int32_t>(
        std::count_if(FButtonIndexes.begin(), FButtonIndexes.end(), [](char c) { return c != ' '; }));
    for (int32_t i = 0; i < n; ++i) {
        for (size_t p = 0; p < FButtonIndexes.size() && p < 3; ++p)
            if (FButtonIndexes[p] == static_cast<char>('0' + i) && !FButtons[p]) {
                auto* b = new TDlgButton(form, this, static_cast<uint8_t>(p));
                b->SetParent(form);
                FButtons[p] = b;
                FreeNotification(b);
            }
    }
    PlaceButtons();
}

void TDlgButtons::PlaceButtons()
{
    auto* form = dynamic_cast<TForm*>(Owner());
    if (!form || Placement != 2)
        return;
    const int32_t n = static_cast<int32_t>(
        std::count_if(FButtonIndexes.begin(), FButtonIndexes.end(), [](char c) { return c != ' '; }));
    const int32_t clientWidth = form->ClientWidth(), clientHeight = form->ClientHeight();
    for (size_t p = 0; p < 3; ++p) {
        if (!FButtons[p] || p >= FButtonIndexes.size())
            continue;
        const int32_t i = FButtonIndexes[p] - '0';
        FButtons[p]->SetBounds(clientWidth - (n - i) * ButtonWidth - (n - i - 1) * Spacing - RightMargin,
                               clientHeight - BottomMargin - ButtonHeight, ButtonWidth, ButtonHeight);
    }
}

// --- TStandardDialogForm ---------------------------------------------------------------

TStandardDialogForm::TStandardDialogForm(TComponent* owner) : TEldravinForm(owner)
{
    SetBorderStyle(TFormBorderStyle::bsDialog);
    FDlgButtons = new TDlgButtons(this);
    FDlgButtons->OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    FDlgButtons->ScaleToScreen();
    FDlgButtons->RebuildButtons();
}

void TStandardDialogForm::Resize()
{
    TEldravinForm::Resize();
    if (FDlgButtons)
        FDlgButtons->PlaceButtons();
}

void TStandardDialogForm::DialogButtonClick(TControl* sender)
{
    CloseWithOK(sender);
}

void TStandardDialogForm::CloseWithOK(TControl* sender)
{
    if (!dynamic_cast<TDlgButton*>(sender))
        SetModalResult(mrOk);
}

// --- TPopupStayOnTopForm ---------------------------------------------------------------

const TMessageMap& TPopupStayOnTopForm::ClassMessageMap()
{
    static const TMessageMap map{&TForm::ClassMessageMap(),
                                 {MessageEntry<&TPopupStayOnTopForm::WMCancelModeRelease>(WM_CANCELMODE)}};
    return map;
}

TPopupStayOnTopForm::TPopupStayOnTopForm(TComponent* owner) : TForm(owner)
{
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderStyle(TFormBorderStyle::bsNone);
}

void TPopupStayOnTopForm::Deactivate()
{
    TForm::Deactivate();
    Release();
}

void TPopupStayOnTopForm::WMCancelModeRelease(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    Release();
}
