#pragma once
// The notice that tells which commands are new in this version and where they
// can be put to use: a list of the new commands with their images.
#include <vector>

#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"
#include "shell/commands/CommandIds.h"

class TWrappedLabel;

class TNewCmdFrm : public TEldravinForm {
public:
    explicit TNewCmdFrm(TComponent* owner);
    TWrappedLabel* Lbl1;
    TListBox* LstBx;
    TButton* CancelBtn;
    // Lists the commands, the last of the list first.
    void FillCommands(const std::vector<TCommandId>& ids);
    void LstBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state);
};

// Shows the notice modally for the commands.
void ShowNewCommands(const std::vector<TCommandId>& ids);
