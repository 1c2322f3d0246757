#pragma once
// The sound settings dialog "Effets sonores": the sound pack and its
// description, and per event its own wave file, a way to listen to it, and
// whether it sounds at all. It edits the sound manager's live settings and
// puts back the copy it took when the user cancels.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "shell/BaseForms.h"
#include "shell/sound/SoundManager.h"

class TSoundSettingsForm : public TStandardDialogForm {
public:
    explicit TSoundSettingsForm(TComponent* owner);
    ~TSoundSettingsForm() override;

    TLabel* SchemeLabel;
    TEdit* SchemeEdit;
    TButton* BrowseBtn;
    TButton* RemoveBtn;
    TLabel* DescriptionLabel;
    TMemo* DescriptionMemo;
    TGroupBox* EventGroupBox;
    TListBox* EventListBox;
    TLabel* CustSndLbl;
    TEdit* CustSndEdit;
    TButton* CustSndBrowseBtn;
    TButton* CustSndClearBtn;
    TButton* PlayBtn;
    TCheckBox* EnableCheckBox;
    TButton* EnableAllBtn;
    TButton* DisableAllBtn;
    TOpenDialog* SetSchemeDialog;
    TOpenDialog* OpenWavDialog;

    // False while the event controls are being refreshed.
    bool ControlsReady() const { return FControlsReady; }
    // The event id of a list line, or of the selected one (-1 without).
    TEventId LineEventId(int32_t index) const;
    TEventId SelectedEventId() const;
    // The state cell of a line: 0 off, 1 pack on, 2 pack off, 3 own wave on,
    // 4 own wave off; -1 for no image.
    int32_t LineCell(int32_t index) const;
    // Whether the description memo wants its vertical scroll bar (4 lines or more).
    bool DescriptionScrollBar() const { return FDescriptionScrollBar; }

    void RefreshSchemeControls();
    void RefreshEventControls();
    void BrowseBtnClick();
    void RemoveBtnClick();
    void CustSndBrowseBtnClick();
    void CustSndClearBtnClick();
    void PlayBtnClick();
    void EnableClick(TControl* sender);
    void DialogButtonClick(TControl* sender) override;
    // After the dialog: OK marks the settings for saving, anything else puts
    // back the settings the dialog opened with and rebuilds their pack.
    void Finish(TModalResult result);

private:
    void AfterButton();
    void DrawLine(TCanvas& canvas, int32_t index, const TRect& rect);
    TSoundSettings FSavedSettings;
    std::vector<std::unique_ptr<TBitmap>> FCells;
    bool FControlsReady = false;
    bool FDescriptionScrollBar = false;
};

// Shows the dialog for the program's sound manager; true on OK.
bool ShowSoundSettingsDialog();
