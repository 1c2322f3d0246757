#pragma once
// The tab stop dialogs: "Tabulations" edits a whole tab table and the default
// tab interval; "Position du taquet" asks for the position of one stop.
#include "foundation/managers/TabManager.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

#include <array>

class TDocument;

// The record of "Tabulations": value 0 the default interval in twips, value
// 1 the tab table's number in the tab manager (-1: none); the other twelve
// are carried through.
using TTabsDialogRecord = std::array<int32_t, 14>;

class TEditTabStopForm : public TStandardDialogForm {
public:
    // stop: NotSet for no position yet (empty edit).
    TEditTabStopForm(TComponent* owner, int32_t stop);
    TUpDownEdit* TabStopUpDownEdit;
    // The position shown, in twips: the one given while the text is untouched.
    int32_t StopPosition() const;
    void DialogButtonClick(TControl* sender) override;

private:
    int32_t FStart;
    std::string FStartText;
    uint8_t FUnit;
};

// On OK returns PackTabStop of the position with kind 0 and leader 0.
bool ExecuteEditTabStopDialog(int32_t& stop);

class TEditTabsForm : public TStandardDialogForm {
public:
    TEditTabsForm(TComponent* owner, const TTabsDialogRecord& record, TTabManager& manager, bool hideDefault);

    TListBox* TabStopListBox;
    TUpDownEdit* DefaultTabStopUpDownEdit;
    TButton* AddTabStopBtn;
    TButton* EditTabStopBtn;
    TButton* DeleteTabStopBtn;
    TRadioButton* LeftAlignmentRadioBtn;
    TRadioButton* CenterAlignmentRadioBtn;
    TRadioButton* RightAlignmentRadioBtn;
    TRadioButton* DecimalAlignmentRadioBtn;
    TRadioButton* BarAlignmentRadioBtn;
    TRadioButton* NoneLeaderRadioBtn;
    TRadioButton* DotsLeaderRadioBtn;
    TRadioButton* HyphenLeaderRadioBtn;
    TRadioButton* UnderlineLeaderRadioBtn;

    const TTabsDialogRecord& Record() const { return FRecord; }
    const TTabTable& Table() const { return FTable; }

    void DialogButtonClick(TControl* sender) override;
    void AddTabStopBtnClick();
    void EditTabStopBtnClick();
    void DeleteTabStopBtnClick();

private:
    void FillList();
    void UpdateControls();
    void ControlsChange();
    void SelectPosition(int32_t position);
    TTabStop SelectedStop() const;

    TTabsDialogRecord FRecord;
    TTabManager& FManager;
    TTabTable FTable;
    bool FHideDefault;
    bool FUpdating = false;
    uint8_t FUnit;
    std::string FDefaultText;
};

bool ExecuteEditTabsDialog(TTabsDialogRecord& record, TTabManager& manager, int32_t preselectIndex, bool hideDefault);

// The tab command: the tab table of the selected paragraphs in the dialog;
// on OK the table and the default interval are applied as one undoable
// operation. True when the dialog closed with OK.
bool FormatTabsWithDialog(TDocument& document);
