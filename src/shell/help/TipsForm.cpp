#include "shell/help/TipsForm.h"

#include "platform/win/SysColors.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/help/HelpManager.h"
#include "shell/options/OptionsHolder.h"

#include <memory>

namespace {

std::unique_ptr<TAdviseManager>& TipsInstance()
{
    static std::unique_ptr<TAdviseManager> tips;
    return tips;
}

constexpr int32_t kButtonLeft = 374;
constexpr int32_t kButtonWidth = 106;
constexpr int32_t kButtonHeight = 23;

}  // namespace

TAdviseManager& TipsData()
{
    if (!TipsInstance()) {
        TipsInstance() = std::make_unique<TAdviseManager>();
        TipsInstance()->SetTipCounterSource([] { return OptionsHolder ? OptionsHolder->AdviseCounter : 10; });
    }
    return *TipsInstance();
}

void FreeTipsData()
{
    TipsInstance().reset();
}

TAdviseForm::TAdviseForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("AdviseForm");
    SetCaption("Trucs et astuces d'Eldravin");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientSize(490, 260);
    Position = TPosition::poScreenCenter;
    Bevel = new TBevel(this);
    Bevel->SetName("Bevel");
    Bevel->SetParent(this);
    Bevel->SetBounds(10, 10, 354, 221);
    RichViewer = new TRichViewer(this);
    RichViewer->SetName("RichViewer");
    RichViewer->SetParent(this);
    RichViewer->SetBounds(12, 12, 350, 217);
    RichViewer->Header = 50;
    RichViewer->Margin = 12;
    auto button = [this](const std::string& name, const std::string& caption, int32_t top) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(this);
        b->SetCaption(caption);
        b->SetBounds(kButtonLeft, top, kButtonWidth, kButtonHeight);
        return b;
    };
    NextBtn = button("NextBtn", "Astuce &suivante", 10);
    NextBtn->SetDefault(true);
    NextBtn->OnClick = [this](TControl*) { NextBtnClick(); };
    PrevBtn = button("PrevBtn", "Astuce p&récédente", 40);
    PrevBtn->OnClick = [this](TControl*) { PrevBtnClick(); };
    DetailsBtn = button("DetailsBtn", "Pl&us d'explications...", 70);
    DetailsBtn->OnClick = [this](TControl*) { DetailsBtnClick(); };
    CloseBtn = button("CloseBtn", "Fermer", 208);
    CloseBtn->Cancel = true;
    CloseBtn->ModalResult = mrCancel;
    ShowAtStartUpCheckBox = new TCheckBox(this);
    ShowAtStartUpCheckBox->SetName("ShowAtStartUpCheckBox");
    ShowAtStartUpCheckBox->SetParent(this);
    ShowAtStartUpCheckBox->SetCaption("Afficher les astuces au &démarrage");
    ShowAtStartUpCheckBox->SetBounds(10, 238, 300, 17);
    NextBtn->SetTabOrder(0);
    PrevBtn->SetTabOrder(1);
    DetailsBtn->SetTabOrder(2);
    CloseBtn->SetTabOrder(3);
    ShowAtStartUpCheckBox->SetTabOrder(4);

    FBulb.LoadFromResourceName("TIPBULB");
    FBulb.SetTransparent(true);
    RichViewer->OnDrawRichViewerHeader = [this](TRichViewer& viewer, TCanvas& canvas) { DrawHeader(viewer, canvas); };
    ShowAtStartUpCheckBox->SetChecked(OptionsHolder ? OptionsHolder->AdviseAtStartUp : true);
    NextBtnClick();
    // Each opening of the window counts, so that the first runs of the
    // program begin with the first tips in order.
    if (OptionsHolder && OptionsHolder->AdviseCounter < INT32_MAX)
        ++OptionsHolder->AdviseCounter;
}

void TAdviseForm::ShowTip(const TTipInfo& tip)
{
    FTip = tip;
    RichViewer->SetText(tip.Text);
    PrevBtn->SetEnabled(TipsData().HasPreviousTip());
    DetailsBtn->SetEnabled(tip.Number != 0);
}

void TAdviseForm::NextBtnClick()
{
    ShowTip(TipsData().GetNextTip());
}

void TAdviseForm::PrevBtnClick()
{
    ShowTip(TipsData().GetPreviousTip());
}

void TAdviseForm::DetailsBtnClick()
{
    if (FTip.Number != 0)
        GetHelpManager().ShowTopic(FTip.Number);
}

// The bulb at the margin, centred in the header's height, then the title in
// bold 12 points beside it.
void TAdviseForm::DrawHeader(TRichViewer& viewer, TCanvas& canvas)
{
    int32_t x = viewer.Margin;
    if (!FBulb.Empty()) {
        canvas.Draw(x, (viewer.Header - FBulb.Height()) / 2, FBulb);
        x += FBulb.Width() + 10;
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Font().SetName(viewer.FontName);
    canvas.Font().SetSize(12);
    canvas.Font().SetStyle(fsBold);
    canvas.Font().SetColor(static_cast<TColor>(GetSysColor(COLOR_WINDOWTEXT)));
    canvas.TextOut(x, 15, "Savez-vous que ...");
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void ShowTipsDialog()
{
    FireEvent(8500);
    auto form = std::make_unique<TAdviseForm>(nullptr);
    form->ShowModal();
    if (OptionsHolder)
        OptionsHolder->AdviseAtStartUp = form->ShowAtStartUpCheckBox->Checked();
}
