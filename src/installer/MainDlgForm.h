#pragma once
// The setup wizard: ten pages (welcome, licence, menu folder, installation
// folder, components, ready, installation, file types, shortcuts, end). It
// runs the install thread with a progress bar, starts the program to register
// file types and spelling systems, writes the shortcuts, and keeps every
// choice in the registry so that a later run starts from them.
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/MessageDlg.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Timer.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/controls/Tabs.h"

class TAttachedFiles;
class TInstallThread;

constexpr int SetupComponentCount = 9;
// The product's key below HKEY_CURRENT_USER, and the wizard's own key in it.
extern const char* const ProductKey;
extern const char* const InstallKey;
extern const char* const UninstallKey;

// The component rows: letter, name, and the names and folder prefixes whose
// size the row shows (separated by CR).
struct TSetupComponent {
    char Letter;
    const char* Name;
    const char* Files;
};
const TSetupComponent& SetupComponent(int index);

// The component list: each row shows its disk space at the right.
class TComponentListBox : public TCheckListBox {
public:
    explicit TComponentListBox(TComponent* owner) : TCheckListBox(owner) {}
    std::string SpaceText[SetupComponentCount];

protected:
    void DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state) override;
};

class TMainDlgForm : public TForm {
public:
    TMainDlgForm(TComponent* owner, TAttachedFiles& files);
    ~TMainDlgForm() override;

    int CurrentPage() const { return FPage; }
    void GoToPage(int from, int to);
    void BuildInstallLists();
    void UpdateDiskSpace();
    // The settings and the uninstall entry (after a run that installed).
    void SaveInstallSettings();
    // A message box over the wizard (the backdrop stays disabled meanwhile).
    int32_t ShowMessageBox(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons);
    void WMTimer();
    bool InstallStarted() const { return FInstallStarted; }

    // The choices as the settings keep them.
    const std::string& InstallFolder() const { return FMainDir; }
    const std::string& Components() const { return FComponents; }
    // The arguments of the program's registration run after the copy (empty: none).
    std::vector<std::string> RegistrationArguments() const;

    // Controls (public for the tests, as the framework's forms have them).
    TPanel* TitlePnl;
    TLabel* TitleLbl;
    TPanel* LogoPnl;
    TPageControl* Pages;
    TTabSheet* Sheets[10];
    TButton* BackBtn;
    TButton* NextBtn;
    TButton* CancelBtn;
    TMemo* LicenceMemo;
    TRadioButton* AcceptRdBtn;
    TRadioButton* RefuseRdBtn;
    TCheckBox* ProgGrpChkBx;
    TLabel* ProgGrpLbl;
    TEdit* ProgGrpEdt;
    TListBox* ProgGrpLstBx;
    TEdit* DestDirEdt;
    TListBox* DestDirLstBx;
    TComponentListBox* SelCompLstBx;
    TLabel* RequiredLbl;
    TLabel* FreeLbl;
    TLabel* ComponentLbl;
    TProgressBar* ProgressBar;
    TCheckBox* AssocChkBx[3];
    TCheckBox* ShortcutChkBx[3];
    TCheckBox* LaunchChkBx;

private:
    TTabSheet* MakeSheet(int page);
    TLabel* MakeLabel(TWinControl* parent, const std::string& caption, int32_t left, int32_t top, int32_t width,
                      int32_t height);
    TCheckBox* MakeCheckBox(TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                            int32_t width);
    void ReadSettings();
    void AfterPageChange();
    bool LeavePage2();
    bool EnterPage1();
    void StartInstallation();
    void RegisterAndLink();
    void CreateFinalShortcuts();
    void FillDirectoryList();
    void FormCloseQuery(bool& canClose);
    void ProgGrpChkBxClick();
    void ProgGrpEdtChange();
    void ProgGrpLstBxClick();
    void DestDirLstBxChange();
    void SelCompLstBxClickCheck();
    std::string ProgramPath() const;
    std::string InstallPath(const std::string& name) const;

    TAttachedFiles& FFiles;
    TTimer* FTimer;
    int FPage = 255;
    std::string FMainDir;
    bool FCreateGroup = true;
    std::string FGroup;
    std::string FComponents;
    uint32_t FChosen = 0;  // bit per component
    std::string FExtensions;
    std::string FShortcuts;
    bool FLaunch = true;
    std::string FClipLibFolder;
    std::string FDirListFolder;
    int64_t FComponentSpace[SetupComponentCount] = {};
    bool FCloseAllowed = false;
    bool FInstallStarted = false;
    bool FInGoToPage = false;
    std::unique_ptr<TInstallThread> FThread;
};
