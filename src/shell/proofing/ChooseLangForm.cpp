#include "shell/proofing/ChooseLangForm.h"

#include "foundation/managers/LanguageManager.h"

#include <algorithm>

TChooseLangForm::TChooseLangForm(TComponent* owner, int32_t language, uint8_t flags)
    : TStandardDialogForm(owner), Language(language), Flags(flags)
{
    SetName("ChooseLangForm");
    Position = TPosition::poScreenCenter;
    SetClientSize(320, 199);
    LanguageListBox = new TListBox(this);
    LanguageListBox->SetName("LanguageListBox");
    LanguageListBox->SetParent(this);
    LanguageListBox->SetBounds(9, 10, 300, 148);
    LanguageListBox->Style = TListBoxStyle::lbOwnerDrawFixed;
    LanguageListBox->IntegralHeight = true;
    LanguageListBox->SetItemHeight(18);
    LanguageListBox->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                         TOwnerDrawState) {
        if (index < 0 || index >= static_cast<int32_t>(EntryLanguages.size()))
            return;
        GetLanguageManager().DrawLanguageItem(EntryLanguages[static_cast<size_t>(index)], canvas,
                                              index == LastRecentEntry, rect);
    };
    LanguageListBox->OnDblClick = [this](TControl*) { Confirm(); };
    LanguageListBox->SetTabOrder(0);
    FillList(language);
}

void TChooseLangForm::AddEntry(int32_t language)
{
    EntryLanguages.push_back(language);
    LanguageListBox->Items().Add(GetLanguageManager().GetLanguageName(language));
}

void TChooseLangForm::FillList(int32_t language)
{
    TLanguageManager& manager = GetLanguageManager();
    for (int32_t recent : manager.History())
        AddEntry(recent);
    LastRecentEntry = static_cast<int32_t>(EntryLanguages.size()) - 1;
    if (Flags & clfOfferNoLanguage)
        AddEntry(LanguageNeutral);
    for (const TLanguageName& entry : manager.Names())
        AddEntry(entry.Language);
    if (language != LanguageNotSet &&
        std::find(EntryLanguages.begin(), EntryLanguages.end(), language) == EntryLanguages.end())
        AddEntry(language);
    const auto it = std::find(EntryLanguages.begin(), EntryLanguages.end(), language);
    LanguageListBox->SetItemIndex(it == EntryLanguages.end() ? -1
                                                             : static_cast<int32_t>(it - EntryLanguages.begin()));
}

void TChooseLangForm::DialogButtonClick(TControl* sender)
{
    auto* button = dynamic_cast<TDlgButton*>(sender);
    if (button && button->Kind() == DlgButtonOK)
        Confirm();
}

void TChooseLangForm::Confirm()
{
    const int32_t index = LanguageListBox->ItemIndex();
    Language = index >= 0 && index < static_cast<int32_t>(EntryLanguages.size())
                   ? EntryLanguages[static_cast<size_t>(index)]
                   : LanguageNotSet;
    if (Language != LanguageNotSet)
        GetLanguageManager().AddToHistory(Language);
    SetModalResult(mrOk);
}

bool AskTextLanguage(int32_t& language, uint8_t flags, const std::string& caption, int32_t helpTopic)
{
    auto* form = new TChooseLangForm(nullptr, language, flags);
    TModalResult result = mrNone;
    try {
        form->SetHelpTopic(helpTopic);
        form->SetCaption(caption);
        result = form->ShowModal();
    } catch (...) {
        delete form;
        throw;
    }
    const int32_t chosen = form->Language;
    delete form;
    if (result != mrOk || (chosen == language && !(flags & clfAlwaysChoice)))
        return false;
    language = chosen;
    return true;
}
