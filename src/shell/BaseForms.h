#pragma once
// The base forms every window of the program derives from: TEldravinForm (the
// program's font, a help topic answered on F1 and the context-help command,
// keyboard cues hidden until the keyboard is used, the veto of the Cancel
// button on closing), TEldravinCommandForm (the frame and document windows:
// the edit messages become commands first), TStandardDialogForm (the standard
// row of OK, Annuler and Appliquer buttons at the bottom right) and
// TPopupStayOnTopForm (a popup list that frees itself when it loses the
// activation). The module also holds the program-wide start-up data forms rely
// on: the component classes stored layouts may name, the program's path and
// folder, and the start-up flag.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/framework/Forms.h"
#include "platform/framework/controls/Buttons.h"

// What the base forms and the small controls call of the shell's help,
// command and event managers. Each is empty until its manager installs it:
// without the help manager F1 shows nothing, without the command manager the
// edit messages go to the window as they are, without the event manager no
// event sound plays.
struct TBaseFormServices {
    // Shows a help topic (a number of the help index).
    std::function<void(int32_t topic)> ShowHelpTopic;
    // Offers a message to the command manager's edit-message translation
    // (WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR become commands); true when it
    // took the message.
    std::function<bool(TMessage& message)> TranslateEditMessage;
    // Fires a program event through the event manager (its sound plays).
    std::function<void(int32_t eventId)> FireProgramEvent;
};
TBaseFormServices& BaseFormServices();

// Program-wide data set by InitBaseForms, in this order: the component
// classes, the program path and folder, the start-up flag.
void InitBaseForms();
void DoneBaseForms();
const std::vector<std::string>& RegisteredComponentClasses();
// Whether a stored layout may name the class (case-insensitive).
bool IsRegisteredComponentClass(const std::string& name);
const std::string& ProgramPath();
// The program's folder with its trailing separator.
const std::string& ProgramFolder();
// Set at start-up, cleared when the main frame handles its deferred start-up message.
extern bool StartupInProgress;
extern bool EmergencySaveInProgress;

class TEldravinForm : public TForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TEldravinForm(TComponent* owner);

    // Creates the form class without owner, shows it modally and frees it;
    // true when it closed with OK (modal result 1).
    template <class TFormClass>
    static bool Execute()
    {
        auto* form = new TFormClass(nullptr);
        TModalResult result = mrNone;
        try {
            result = form->ShowModal();
        } catch (...) {
            delete form;
            throw;
        }
        delete form;
        return result == mrOk;
    }

    int32_t HelpTopic() const { return FHelpTopic; }
    // A topic other than 0 adds the help button to the border icons.
    void SetHelpTopic(int32_t topic);
    bool HasHelpButton() const { return FHelpButton; }
    void SetVisible(bool visible) override;

protected:
    void CreateWnd() override;
    void WMHelp(TMessage& m);
    void WMSysCommand(TMessage& m);
    void CMShowingChanged(TMessage& m);
    // The close-query hook: the veto of a Cancel button (see the .cpp).
    void CloseQueryHook(bool& canClose);

private:
    int32_t FHelpTopic = 0;
    bool FHelpButton = false;
};

class TEldravinCommandForm : public TForm {
public:
    using TForm::TForm;
    void WndProc(TMessage& message) override;
};

class TDlgButtons;

// Button kinds: 0 OK, 1 Cancel, 2 Apply.
constexpr uint8_t DlgButtonOK = 0;
constexpr uint8_t DlgButtonCancel = 1;
constexpr uint8_t DlgButtonApply = 2;
constexpr uint8_t DlgButtonNone = 255;

class TDlgButton : public TButton {
public:
    TDlgButton(TComponent* owner, TDlgButtons* row, uint8_t kind);
    uint8_t Kind() const { return FKind; }
    // Records the kind as the row's last click, then the row's click event.
    void Click() override;

private:
    TDlgButtons* FRow;
    uint8_t FKind;
};

class TDlgButtons : public TComponent {
public:
    explicit TDlgButtons(TComponent* owner);
    ~TDlgButtons() override;
    uint8_t Placement = 2;  // 2: bottom right, the only mode that places buttons
    int32_t ButtonWidth = 74;
    int32_t ButtonHeight = 22;
    int32_t RightMargin = 8;
    int32_t BottomMargin = 8;
    int32_t Spacing = 6;
    const std::string& ButtonIndexes() const { return FButtonIndexes; }
    // Stores the text and builds the buttons again.
    void SetButtonIndexes(const std::string& indexes);
    std::function<void(TControl* sender)> OnClick;
    TDlgButton* Button(uint8_t kind) const { return kind < 3 ? FButtons[kind] : nullptr; }
    uint8_t LastClicked = DlgButtonNone;
    // Frees the present buttons and makes them again from ButtonIndexes.
    void RebuildButtons();
    // Places the buttons at the bottom right of the form's client area (the
    // form calls it again when its size changes, since dialogs are sized in
    // code after their row is built).
    void PlaceButtons();
    // The metrics scaled from 96 dots per inch to the screen (done once, as
    // when the row is loaded).
    void ScaleToScreen();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string FButtonIndexes = "01";
    TDlgButton* FButtons[3] = {nullptr, nullptr, nullptr};
};

class TStandardDialogForm : public TEldravinForm {
public:
    explicit TStandardDialogForm(TComponent* owner);
    TDlgButtons& DlgButtons() { return *FDlgButtons; }
    // What a click on a row button does: CloseWithOK unless a dialog checks
    // its input first (and then calls CloseWithOK when it is valid).
    virtual void DialogButtonClick(TControl* sender);
    // The modal result becomes 1, unless the sender is a row button (which
    // closes the dialog by its own modal result).
    void CloseWithOK(TControl* sender);

protected:
    void Resize() override;

private:
    TDlgButtons* FDlgButtons = nullptr;
};

// A popup list window: stays on top, and is released when it loses the
// activation or is sent WM_CANCELMODE.
class TPopupStayOnTopForm : public TForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TPopupStayOnTopForm(TComponent* owner);

protected:
    void Deactivate() override;
    void WMCancelModeRelease(TMessage& m);
};
