#pragma once
// The tips window "Trucs et astuces d'Eldravin": one tip at a time from the
// program's tips, with the next and previous tip, and the help topic that
// explains the tip further. A tip's ending "#" and number names that help
// topic (a help context id).
#include <cstdint>
#include <string>

#include "foundation/AdviseManager.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "shell/BaseForms.h"
#include "shell/help/RichViewer.h"

class TAdviseForm : public TEldravinForm {
public:
    explicit TAdviseForm(TComponent* owner);

    TBevel* Bevel;
    TRichViewer* RichViewer;
    TButton* NextBtn;
    TButton* PrevBtn;
    TButton* DetailsBtn;
    TButton* CloseBtn;
    TCheckBox* ShowAtStartUpCheckBox;

    void NextBtnClick();
    void PrevBtnClick();
    void DetailsBtnClick();
    const TTipInfo& CurrentTip() const { return FTip; }

private:
    void ShowTip(const TTipInfo& tip);
    void DrawHeader(TRichViewer& viewer, TCanvas& canvas);
    TTipInfo FTip;
    TBitmap FBulb;
};

// Fires "TIPS", shows the tips window modally and keeps its check box in the
// option that shows tips at start-up.
void ShowTipsDialog();
// The tips source, made on first use.
TAdviseManager& TipsData();
// Frees the tips source (shutdown).
void FreeTipsData();
