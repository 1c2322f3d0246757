#include "shell/commands/OptionalMsgForm.h"

#include "shell/commands/OptionalMessages.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t kNoId = 255;

std::string WithoutAccelerator(const std::string& caption)
{
    std::string text;
    for (char c : caption)
        if (c != '&')
            text += c;
    return text;
}

void* IdObject(uint8_t id)
{
    return reinterpret_cast<void*>(static_cast<intptr_t>(id));
}

}  // namespace

TOptionalMsgForm::TOptionalMsgForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("OptionalMsgForm");
    SetCaption("Messages facultatifs");
    Position = TPosition::poScreenCenter;
    SetClientSize(600, 330);
    ListLbl = new TLabel(this);
    ListLbl->SetName("ListLbl");
    ListLbl->SetParent(this);
    ListLbl->SetLeft(8);
    ListLbl->SetTop(8);
    ListLbl->SetCaption("Les messages suivants sont &facultatifs. Désactivez les options pour lesquelles vous ne "
                        "voulez pas de message:");
    ChkLstBx = new TCheckListBox(this);
    ChkLstBx->SetName("ChkLstBx");
    ChkLstBx->SetParent(this);
    ChkLstBx->SetBounds(8, 26, 584, 196);
    AnswerLbl = new TLabel(this);
    AnswerLbl->SetName("AnswerLbl");
    AnswerLbl->SetParent(this);
    AnswerLbl->SetLeft(8);
    AnswerLbl->SetTop(232);
    AnswerLbl->SetCaption("Eldravin n'affichera pas le message ci-dessus. Veuillez indiquer votre &réponse par "
                          "défaut:");
    AnswerCmbBx = new TComboBox(this);
    AnswerCmbBx->SetName("AnswerCmbBx");
    AnswerCmbBx->Style = TComboBoxStyle::csDropDownList;
    AnswerCmbBx->SetParent(this);
    AnswerCmbBx->SetBounds(8, 250, 220, 21);
    ChkLstBx->SetTabOrder(0);
    AnswerCmbBx->SetTabOrder(1);
    ListLbl->SetFocusControl(ChkLstBx);
    AnswerLbl->SetFocusControl(AnswerCmbBx);

    ChkLstBx->OnClick = [this](TControl*) { ChkLstBxClick(); };
    ChkLstBx->OnClickCheck = [this](TControl*) { ChkLstBxClickCheck(); };
    ChkLstBx->OnMouseMove = [this](TControl*, TShiftState, int32_t x, int32_t y) { ChkLstBxMouseMove(x, y); };
    AnswerCmbBx->OnChange = [this](TControl*) { AnswerCmbBxChange(); };
}

void TOptionalMsgForm::Prepare(const std::vector<uint8_t>& answers)
{
    FUpdating = true;
    FAnswers = answers;
    if (FAnswers.size() < static_cast<size_t>(OptionalMessageCount))
        FAnswers.resize(OptionalMessageCount, 0);
    ChkLstBx->HandleNeeded();
    TCanvas& canvas = ChkLstBx->Canvas();
    canvas.Font().Assign(ChkLstBx->Font());
    const int32_t room = ChkLstBx->ClientWidth() - 10 - GetSystemMetrics(SM_CXVSCROLL);
    ChkLstBx->Items().Clear();
    FShortened.clear();
    for (int id = 0; id < OptionalMessageCount; ++id) {
        if (!OptionalMessages[id].Text || !*OptionalMessages[id].Text)
            continue;
        std::string text = OptionalMsgDisplayText(static_cast<uint8_t>(id), false);
        bool shortened = false;
        if (canvas.TextWidth(text) > room) {
            shortened = true;
            // The longest beginning that fits with "..." (found by halving: a
            // longer beginning is never narrower).
            size_t low = 0, high = text.size();
            while (low < high) {
                const size_t middle = (low + high + 1) / 2;
                if (canvas.TextWidth(text.substr(0, middle) + "...") <= room)
                    low = middle;
                else
                    high = middle - 1;
            }
            text = text.substr(0, low) + "...";
        }
        const int32_t index = ChkLstBx->Items().AddObject(text, IdObject(static_cast<uint8_t>(id)));
        ChkLstBx->SetChecked(index, FAnswers[static_cast<size_t>(id)] < 128);
        FShortened.push_back(shortened);
    }
    ChkLstBx->SetItemIndex(ChkLstBx->Items().Count() > 0 ? 0 : -1);
    RefreshSelection();
    FUpdating = false;
}

bool TOptionalMsgForm::Shortened(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < FShortened.size() && FShortened[static_cast<size_t>(index)];
}

uint8_t TOptionalMsgForm::SelectedId() const
{
    const int32_t index = ChkLstBx->ItemIndex();
    if (index < 0)
        return kNoId;
    return static_cast<uint8_t>(reinterpret_cast<intptr_t>(ChkLstBx->Items().Objects(index)));
}

void TOptionalMsgForm::RefreshSelection()
{
    const bool updating = FUpdating;
    FUpdating = true;
    const uint8_t id = SelectedId();
    AnswerCmbBx->Items().Clear();
    FListedAnswers.clear();
    const bool off = id != kNoId && FAnswers[id] >= 128;
    if (off) {
        int32_t selected = -1;
        for (int answer = 0; answer < OptionalAnswerCount; ++answer) {
            if (!(OptionalMessages[id].Answers & (1u << answer)))
                continue;
            if ((FAnswers[id] & 0x7F) == answer)
                selected = static_cast<int32_t>(FListedAnswers.size());
            FListedAnswers.push_back(answer);
            AnswerCmbBx->Items().Add(WithoutAccelerator(OptionalAnswerCaptions[answer]));
        }
        AnswerCmbBx->SetItemIndex(selected);
    }
    AnswerLbl->SetEnabled(off);
    AnswerCmbBx->SetEnabled(off);
    FUpdating = updating;
}

void TOptionalMsgForm::ChkLstBxClick()
{
    if (FUpdating)
        return;
    RefreshSelection();
}

void TOptionalMsgForm::ChkLstBxClickCheck()
{
    if (FUpdating)
        return;
    // The check toggled is the selected line's (a click selects first, Space acts on it).
    const uint8_t id = SelectedId();
    if (id == kNoId)
        return;
    const int32_t index = ChkLstBx->ItemIndex();
    if (ChkLstBx->Checked(index)) {
        FAnswers[id] = 0;
    } else {
        // Switched off: the stored answer when the message offers it, else
        // the lowest answer it offers.
        const uint16_t offered = OptionalMessages[id].Answers;
        int answer = FAnswers[id] & 0x7F;
        if (answer >= OptionalAnswerCount || !(offered & (1u << answer))) {
            answer = 0;
            while (answer < OptionalAnswerCount && !(offered & (1u << answer)))
                ++answer;
        }
        FAnswers[id] = static_cast<uint8_t>(answer + 128);
    }
    RefreshSelection();
}

void TOptionalMsgForm::ChkLstBxMouseMove(int32_t x, int32_t y)
{
    const int32_t index = ChkLstBx->ItemAtPos({x, y}, true);
    if (index == FHintItem)
        return;
    FHintItem = index;
    if (Shortened(index)) {
        const auto id = static_cast<uint8_t>(reinterpret_cast<intptr_t>(ChkLstBx->Items().Objects(index)));
        ChkLstBx->SetHint(OptionalMsgDisplayText(id, true));
        ChkLstBx->ShowHint = true;
    } else {
        ChkLstBx->SetHint(std::string());
        ChkLstBx->ShowHint = false;
    }
    if (Application)
        Application->CancelHint();
}

void TOptionalMsgForm::AnswerCmbBxChange()
{
    if (FUpdating)
        return;
    const uint8_t id = SelectedId();
    const int32_t choice = AnswerCmbBx->ItemIndex();
    if (id == kNoId || choice < 0 || static_cast<size_t>(choice) >= FListedAnswers.size())
        return;
    FAnswers[id] = static_cast<uint8_t>(FListedAnswers[static_cast<size_t>(choice)] + 128);
}

bool ExecuteOptionalMsgDialog(std::vector<uint8_t>& answers)
{
    auto form = std::make_unique<TOptionalMsgForm>(nullptr);
    form->Prepare(answers);
    // Long messages are read in their hints: they stay up ten times longer.
    const int32_t hidePause = Application ? Application->HintHidePause : 0;
    if (Application)
        Application->HintHidePause = hidePause * 10;
    TModalResult result = mrNone;
    try {
        result = form->ShowModal();
    } catch (...) {
        if (Application)
            Application->HintHidePause = hidePause;
        throw;
    }
    if (Application)
        Application->HintHidePause = hidePause;
    if (result != mrOk)
        return false;
    answers = form->Answers();
    return true;
}
