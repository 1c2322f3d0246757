#include "shell/proofing/AutocorrectForms.h"

#include "dialogs/InsertSymbolForm.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InterfaceTexts.h"
#include "foundation/TextTables.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Messages.h"
#include "proofing/AutocorrectLangOptions.h"
#include "shell/StringEditors.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>
#include <memory>

namespace {

// The visible mark of a non-breaking space (the degree sign, as the
// formatting marks show it).
constexpr char NonBreakingSpaceMark = '\xB0';

TSpellingExceptionsRefresher& Refresher()
{
    static TSpellingExceptionsRefresher refresher;
    return refresher;
}

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const std::string& name, const std::string& caption, int32_t left,
        int32_t top, int32_t width, int32_t height)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    if (!caption.empty())
        control->SetCaption(caption);
    return control;
}

std::string LanguageName(LANGID language)
{
    std::string name = GetLocaleLanguageName(static_cast<LCID>(language));
    if (name.empty())
        name = GetLocaleLanguageName(static_cast<LCID>(language & 0x3FF));
    return name.empty() ? std::to_string(language) : name;
}

uint8_t DefaultPick(const std::string& font, int32_t language, bool delimitersOnly)
{
    if (!delimitersOnly)
        return PickSymbolChar(font, language, nullptr);
    TGlyphFilter filter{};
    for (int c = 0; c < 256; ++c)
        filter[static_cast<size_t>(c)] = DelimiterCharTable[static_cast<uint8_t>(c)];
    return PickSymbolChar(font, language, &filter);
}

}  // namespace

TSpellingExceptionsRefresher SetSpellingExceptionsRefresher(TSpellingExceptionsRefresher refresher)
{
    TSpellingExceptionsRefresher previous = std::move(Refresher());
    Refresher() = std::move(refresher);
    return previous;
}

void RefreshSpellingExceptions(int32_t language)
{
    if (Refresher())
        Refresher()(language);
}

void RestartSpellingSystems()
{
    // Language 0 asks for no reload, only the restart of every system.
    if (Refresher())
        Refresher()(0);
}

bool IsValidCapSentException(const std::string& text)
{
    if (text.size() < 2)
        return false;
    const char last = text.back();
    if (last != '.' && last != '!' && last != '?')
        return false;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (DelimiterCharTable[static_cast<uint8_t>(text[i])])
            return false;
    return true;
}

std::string ShownReplacement(const std::string& replacement)
{
    std::string shown;
    for (size_t i = 0; i < replacement.size(); ++i) {
        if (replacement.compare(i, 3, "^s^") == 0) {
            shown += NonBreakingSpaceMark;
            i += 2;
        } else {
            shown += replacement[i];
        }
    }
    return shown;
}

// --- TAutocorrectOptionsForm ----------------------------------------------------------

TAutocorrectOptionsForm::TAutocorrectOptionsForm(TComponent* owner, LANGID language)
    : TEldravinForm(owner), FOptions(&GetAutocorrectLangOptionsManager().GetLangOptions(language)),
      FLanguage(language)
{
    SetName("AutocorrectOptionsForm");
    SetHelpTopic(20150);
    SetCaption(Format("Options de correction automatique : %s", {LanguageName(language)}));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(560, 500);

    AsYouTypeChkBx = Make<TCheckBox>(this, this, "AsYouTypeChkBx", "Correction automatique en cours de &frappe", 10, 10, 360, 17);
    InitCapsChkBx = Make<TCheckBox>(this, this, "InitCapsChkBx", "Corriger &DEux MAjuscules INitiales", 10, 36, 300, 17);
    CapSentChkBx = Make<TCheckBox>(this, this, "CapSentChkBx", "Majuscule en début de p&hrase", 10, 58, 300, 17);
    CapSentenceExceptBtn = Make<TButton>(this, this, "CapSentenceExceptBtn", "Excepti&ons...", 320, 55, 110, 23);
    CapsLockChkBx = Make<TCheckBox>(this, this, "CapsLockChkBx", "Corriger l'utilisation erro&née de la touche vERR.mAJ.", 10, 80, 400, 17);
    RemoveSpacesChkBx = Make<TCheckBox>(this, this, "RemoveSpacesChkBx", "&Gestion des espaces", 10, 102, 300, 17);
    RulesBtn = Make<TButton>(this, this, "RulesBtn", "Règles...", 320, 99, 110, 23);
    RplcQuotesChkBx = Make<TCheckBox>(this, this, "RplcQuotesChkBx", "Guillemets - Rempla&cer \" \" par", 10, 124, 210, 17);
    const char* const quoteCaptions[4] = {"\x93 \x94", "\xAB \xBB", "\x84 \x93", "\xBB \xAB"};
    const char* const quoteNames[4] = {"SmartQuotesRadBtn", "FrQuotesRadBtn", "GerQuotesRadBtn", "GerGuillQuotesRadBtn"};
    TRadioButton* quotes[4];
    for (int i = 0; i < 4; ++i) {
        quotes[i] = Make<TRadioButton>(this, this, quoteNames[i], quoteCaptions[i], 230 + i * 60, 124, 56, 17);
        quotes[i]->Font().SetName("Times New Roman");
    }
    SmartQuotesRadBtn = quotes[0];
    FrQuotesRadBtn = quotes[1];
    GerQuotesRadBtn = quotes[2];
    GerGuillQuotesRadBtn = quotes[3];
    FmtUrlChkBx = Make<TCheckBox>(this, this, "FmtUrlChkBx", "Conver&tir les URLs en liens hypertextes", 10, 146, 300, 17);
    FileExtBtn = Make<TButton>(this, this, "FileExtBtn", "Fichiers pris en ch&arge...", 320, 143, 180, 23);
    OrdinalChkBx = Make<TCheckBox>(this, this, "OrdinalChkBx", "Ordinaux - M&ettre les abréviations en exposant (1°, 2°)", 10, 168, 380, 17);
    OrdinalBtn = Make<TButton>(this, this, "OrdinalBtn", "Ordi&naux...", 400, 165, 100, 23);
    FractChkBx = Make<TCheckBox>(this, this, "FractChkBx", "Fractions (1/2) - Mettre en exposant et &indice (\xBD)", 10, 190, 380, 17);
    OtherExBtn = Make<TButton>(this, this, "OtherExBtn", "Autres E&xceptions...", 400, 187, 140, 23);

    RplcChkBx = Make<TCheckBox>(this, this, "RplcChkBx", "Remplace&ment de texte", 10, 218, 300, 17);
    RplcLbl = Make<TLabel>(this, this, "RplcLbl", "Rempl&acer :", 10, 240, 100, 15);
    RplcEdit = Make<TEdit>(this, this, "RplcEdit", "", 10, 256, 120, 21);
    RplcEdit->MaxLength = 32;
    RplcLbl->SetFocusControl(RplcEdit);
    WithLbl = Make<TLabel>(this, this, "WithLbl", "Pa&r :", 140, 240, 100, 15);
    WithEdit = Make<TEdit>(this, this, "WithEdit", "", 140, 256, 290, 21);
    WithLbl->SetFocusControl(WithEdit);
    CharMapSpdBtn = Make<TSpeedButton>(this, this, "CharMapSpdBtn", "\xA7", 434, 256, 22, 21);
    CharMapSpdBtn->SetHint("Table de caractères");
    CharMapSpdBtn->ShowHint = true;
    RplcLstBx = Make<TListBox>(this, this, "RplcLstBx", "", 10, 282, 446, 150);
    RplcLstBx->Style = TListBoxStyle::lbOwnerDrawFixed;
    RplcLstBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                   TOwnerDrawState state) { DrawListItem(canvas, index, rect, state); };
    AddBtn = Make<TButton>(this, this, "AddBtn", "Ajo&uter", 466, 256, 84, 23);
    RplcBtn = Make<TButton>(this, this, "RplcBtn", "Remp&lacer", 466, 284, 84, 23);
    DelBtn = Make<TButton>(this, this, "DelBtn", "&Supprimer", 466, 312, 84, 23);
    SplchkChkBx = Make<TCheckBox>(this, this, "SplchkChkBx",
                                  "Ajout automatique des éléments associés à la commande \"Tout remplacer\" du &vérificateur orthographique",
                                  10, 440, 540, 17);
    MoreOptBtn = Make<TButton>(this, this, "MoreOptBtn", "Autres o&ptions...", 10, 468, 130, 23);
    CloseBtn = Make<TButton>(this, this, "CloseBtn", "Fermer", 466, 468, 84, 23);
    CloseBtn->ModalResult = mrOk;
    CloseBtn->Cancel = true;

    for (TCheckBox* box : {AsYouTypeChkBx, InitCapsChkBx, CapSentChkBx, CapsLockChkBx, RemoveSpacesChkBx,
                           RplcQuotesChkBx, FmtUrlChkBx, OrdinalChkBx, FractChkBx, RplcChkBx, SplchkChkBx})
        box->OnClick = [this](TControl* sender) { SwitchClick(sender); };
    for (TRadioButton* button : quotes)
        button->OnClick = [this](TControl* sender) { SwitchClick(sender); };
    RplcEdit->OnChange = [this](TControl* sender) { EditsChange(sender); };
    WithEdit->OnChange = [this](TControl* sender) { EditsChange(sender); };
    RplcEdit->OnKeyDown = [this](TControl*, uint16_t& key, TShiftState) { RplcEditKeyDown(key); };
    RplcLstBx->OnClick = [this](TControl*) { ListClick(); };
    AddBtn->OnClick = [this](TControl*) { AddBtnClick(); };
    RplcBtn->OnClick = [this](TControl*) { RplcBtnClick(); };
    DelBtn->OnClick = [this](TControl*) { DelBtnClick(); };
    CharMapSpdBtn->OnClick = [this](TControl*) { CharMapSpdBtnClick(); };
    CapSentenceExceptBtn->OnClick = [this](TControl*) { CapSentenceExceptBtnClick(); };
    OtherExBtn->OnClick = [this](TControl*) { OtherExBtnClick(); };
    OrdinalBtn->OnClick = [this](TControl*) { OrdinalBtnClick(); };
    FileExtBtn->OnClick = [this](TControl*) { FileExtBtnClick(); };
    RulesBtn->OnClick = [this](TControl*) { RulesBtnClick(); };
    MoreOptBtn->OnClick = [this](TControl*) { MoreOptBtnClick(); };
    PickChar = [](const std::string& font, int32_t lang) { return DefaultPick(font, lang, false); };

    // The edits and the list show the language's character set.
    for (TWinControl* control : std::initializer_list<TWinControl*>{RplcEdit, WithEdit, RplcLstBx})
        SetFontCharsetForLocale(control->Font(), static_cast<LCID>(language));

    for (int32_t i = 0; i < FOptions->Replacements.Count(); ++i) {
        std::string typed, replacement;
        TAutocorrectLangOptions::SplitReplacementEntry(FOptions->Replacements.Strings(i), typed, replacement);
        RplcLstBx->Items().Add(typed);
    }
    RefreshControls();
    RplcLstBx->SetItemIndex(-1);
    FReady = true;
    RefreshControls();
}

void TAutocorrectOptionsForm::StartWithText(const std::string& text)
{
    RplcEdit->SetText(text);
    SetActiveControl(WithEdit);
}

int32_t TAutocorrectOptionsForm::IndexOfTyped(const std::string& typed) const
{
    if (typed.empty())
        return -1;
    TStringList& items = RplcLstBx->Items();
    for (int32_t i = 0; i < items.Count(); ++i)
        if (items.Strings(i) == typed)
            return i;
    return -1;
}

std::string TAutocorrectOptionsForm::ReplacementAt(int32_t index) const
{
    if (index < 0 || index >= FOptions->Replacements.Count())
        return {};
    std::string typed, replacement;
    TAutocorrectLangOptions::SplitReplacementEntry(FOptions->Replacements.Strings(index), typed, replacement);
    return replacement;
}

void TAutocorrectOptionsForm::RefreshControls()
{
    const bool ready = FReady;
    FReady = false;
    const TAutocorrectSwitches& s = GetAutocorrectLangOptionsManager().Switches;
    AsYouTypeChkBx->SetChecked(s.AsYouType);
    InitCapsChkBx->SetChecked(s.InitialCaps);
    CapSentChkBx->SetChecked(s.SentenceCaps);
    CapsLockChkBx->SetChecked(s.CapsLock);
    RemoveSpacesChkBx->SetChecked(s.SpaceRules);
    RplcChkBx->SetChecked(s.ReplaceText);
    OrdinalChkBx->SetChecked(s.RaiseOrdinals);
    FractChkBx->SetChecked(s.Fractions);
    FmtUrlChkBx->SetChecked(s.UrlToHyperlink);
    SplchkChkBx->SetChecked(s.AddSpellReplacements);
    CapSentenceExceptBtn->SetEnabled(CapSentChkBx->Checked());
    RulesBtn->SetEnabled(RemoveSpacesChkBx->Checked());
    RplcQuotesChkBx->SetChecked(FOptions->AllowQuotes != 0);
    TRadioButton* quotes[4] = {SmartQuotesRadBtn, FrQuotesRadBtn, GerQuotesRadBtn, GerGuillQuotesRadBtn};
    for (int i = 0; i < 4; ++i) {
        quotes[i]->SetEnabled(RplcQuotesChkBx->Checked());
        if (FOptions->Quotes == i)
            quotes[i]->SetChecked(true);
    }
    OrdinalChkBx->SetEnabled(FOptions->Ordinals.Count() > 0);
    OrdinalBtn->SetVisible(FOptions->OrdinalsStored != 0);
    if (!FListClick)
        FollowEdits();
    const std::string typed = RplcEdit->Text();
    const int32_t listed = IndexOfTyped(typed);
    AddBtn->SetEnabled(!typed.empty() && listed < 0);
    RplcBtn->SetEnabled(listed >= 0 && ReplacementAt(listed) != WithEdit->Text());
    DelBtn->SetEnabled(RplcLstBx->ItemIndex() >= 0);
    MoreOptBtn->SetVisible(FOptions->LangRecord >= 0);
    FReady = ready;
}

void TAutocorrectOptionsForm::FollowEdits()
{
    TStringList& items = RplcLstBx->Items();
    if (FSearchByReplacement) {
        const std::string with = WithEdit->Text();
        if (with.empty())
            return;
        int32_t best = -1;
        size_t bestLength = 0;
        for (int32_t i = 0; i < items.Count(); ++i) {
            const std::string replacement = ReplacementAt(i);
            if (replacement.compare(0, with.size(), with) == 0 && replacement.size() >= bestLength) {
                best = i;
                bestLength = replacement.size();
            }
        }
        if (best >= 0)
            RplcLstBx->SetItemIndex(best);
        return;
    }
    const std::string typed = RplcEdit->Text();
    if (typed.empty())
        return;
    for (int32_t i = 0; i < items.Count(); ++i) {
        const std::string& item = items.Strings(i);
        const size_t length = std::min(item.size(), typed.size());
        if (item.compare(0, length, typed, 0, length) == 0) {
            RplcLstBx->SetItemIndex(i);
            if (RplcLstBx->ItemIndex() >= 0)
                RplcLstBx->SetTopIndex(std::max(0, i - 2));
            return;
        }
    }
}

void TAutocorrectOptionsForm::SwitchClick(TControl* sender)
{
    if (!FReady)
        return;
    TAutocorrectSwitches& s = GetAutocorrectLangOptionsManager().Switches;
    s.AsYouType = AsYouTypeChkBx->Checked();
    s.InitialCaps = InitCapsChkBx->Checked();
    s.SentenceCaps = CapSentChkBx->Checked();
    s.CapsLock = CapsLockChkBx->Checked();
    s.SpaceRules = RemoveSpacesChkBx->Checked();
    s.ReplaceText = RplcChkBx->Checked();
    s.RaiseOrdinals = OrdinalChkBx->Checked();
    s.Fractions = FractChkBx->Checked();
    s.UrlToHyperlink = FmtUrlChkBx->Checked();
    s.AddSpellReplacements = SplchkChkBx->Checked();
    // The program options keep the switches across runs.
    if (OptionsHolder) {
        OptionsHolder->AsYouType = s.AsYouType;
        OptionsHolder->IniCaps = s.InitialCaps;
        OptionsHolder->CapSent = s.SentenceCaps;
        OptionsHolder->CapsLock = s.CapsLock;
        OptionsHolder->RmvSpcs = s.SpaceRules;
        OptionsHolder->ReplTxt = s.ReplaceText;
        OptionsHolder->SuperscriptOrdinals = s.RaiseOrdinals;
        OptionsHolder->ScriptFract = s.Fractions;
        OptionsHolder->FmtURL = s.UrlToHyperlink;
        OptionsHolder->SplChkrAdds = s.AddSpellReplacements;
    }
    FOptions->AllowQuotes = RplcQuotesChkBx->Checked() ? 1 : 0;
    TRadioButton* quotes[4] = {SmartQuotesRadBtn, FrQuotesRadBtn, GerQuotesRadBtn, GerGuillQuotesRadBtn};
    for (int i = 0; i < 4; ++i)
        if (quotes[i]->Checked()) {
            FOptions->Quotes = static_cast<uint8_t>(i);
            break;
        }
    if (sender == RplcQuotesChkBx || std::find(std::begin(quotes), std::end(quotes), sender) != std::end(quotes))
        FOptions->Modified = 1;
    RefreshControls();
}

void TAutocorrectOptionsForm::EditsChange(TControl* sender)
{
    if (!FReady)
        return;
    if (sender == WithEdit && RplcEdit->Text().empty() && !WithEdit->Text().empty())
        FSearchByReplacement = true;
    else if (sender == RplcEdit)
        FSearchByReplacement = false;
    RefreshControls();
}

void TAutocorrectOptionsForm::RplcEditKeyDown(uint16_t& key)
{
    if (key != VK_PRIOR && key != VK_NEXT && key != VK_UP && key != VK_DOWN)
        return;
    const int32_t listed = IndexOfTyped(RplcEdit->Text());
    if (listed >= 0 && listed != RplcLstBx->ItemIndex()) {
        RplcLstBx->SetItemIndex(listed);
        RefreshControls();
        key = 0;
    }
}

void TAutocorrectOptionsForm::ListClick()
{
    const int32_t index = RplcLstBx->ItemIndex();
    FListClick = true;
    FReady = false;
    RplcEdit->SetText(index >= 0 ? RplcLstBx->Items().Strings(index) : std::string());
    WithEdit->SetText(index >= 0 ? ReplacementAt(index) : std::string());
    FReady = true;
    FSearchByReplacement = false;
    RefreshControls();
    FListClick = false;
    RplcEdit->SetFocus();
    RplcEdit->SelectAll();
}

void TAutocorrectOptionsForm::DrawListItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state)
{
    const bool selected = (state & odSelected) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : clWindow);
    canvas.FillRect(rect);
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(rect.Left + 2, rect.Top + 1, RplcLstBx->Items().Strings(index));
    // The replacement from the middle; a part after "^^" raised and smaller.
    const std::string replacement = ShownReplacement(ReplacementAt(index));
    const size_t raise = replacement.find("^^");
    int32_t x = rect.Left + (rect.Right - rect.Left) / 2;
    canvas.TextOut(x, rect.Top + 1, replacement.substr(0, raise));
    if (raise != std::string::npos) {
        x += canvas.TextWidth(replacement.substr(0, raise));
        const int32_t size = canvas.Font().Size();
        canvas.Font().SetSize(size - 1);
        canvas.TextOut(x, rect.Top - 1, replacement.substr(raise + 2));
        canvas.Font().SetSize(size);
    }
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TAutocorrectOptionsForm::AddBtnClick()
{
    const std::string typed = RplcEdit->Text();
    if (typed.empty() || IndexOfTyped(typed) >= 0)
        return;
    FOptions->SetReplacement(typed, WithEdit->Text());
    const int32_t index = FOptions->FindReplacement(typed);
    RplcLstBx->Items().Insert(index, typed);
    RplcLstBx->SetItemIndex(index);
    FOptions->Modified = 1;
    RefreshControls();
}

void TAutocorrectOptionsForm::RplcBtnClick()
{
    const int32_t index = IndexOfTyped(RplcEdit->Text());
    if (index < 0)
        return;
    FOptions->Replacements.SetStrings(index, RplcEdit->Text() + "\t" + WithEdit->Text());
    FOptions->Modified = 1;
    RplcLstBx->SetItemIndex(index);
    RplcLstBx->Invalidate();
    RefreshControls();
}

void TAutocorrectOptionsForm::DelBtnClick()
{
    const int32_t index = RplcLstBx->ItemIndex();
    if (index < 0)
        return;
    FOptions->Replacements.Delete(index);
    RplcLstBx->Items().Delete(index);
    FOptions->Modified = 1;
    const int32_t count = RplcLstBx->Items().Count();
    RplcLstBx->SetItemIndex(count == 0 ? -1 : std::min(index, count - 1));
    // The edits show the entry now selected (nothing when the list is empty).
    ListClick();
}

void TAutocorrectOptionsForm::CharMapSpdBtnClick()
{
    const uint8_t c = PickChar ? PickChar("Arial", FLanguage) : 0;
    if (c == 0)
        return;
    WithEdit->SetSelText(std::string(1, static_cast<char>(c)));
}

void TAutocorrectOptionsForm::CapSentenceExceptBtnClick()
{
    if (EditStringList(FOptions->CapSentEx, nullptr, "Correction automatique - Exceptions", "&Pas de majuscule après :",
                       0, nullptr, IsValidCapSentException))
        FOptions->Modified = 1;
}

void TAutocorrectOptionsForm::OtherExBtnClick()
{
    if (!EditStringList(FOptions->OtherEx, nullptr, "Correction automatique - Exceptions",
                        "&Ne pas modifier les chaînes :", 0, nullptr, nullptr))
        return;
    FOptions->Modified = 1;
    RestartSpellingSystems();
}

void TAutocorrectOptionsForm::OrdinalBtnClick()
{
    if (!EditStringList(FOptions->Ordinals, nullptr, "Auto correction - Ordinaux", "Ordinaux se terminant en exposant :",
                        20200, nullptr, nullptr))
        return;
    FOptions->Modified = 1;
    FOptions->OrdinalsSorted = 0;
    RefreshControls();
}

void TAutocorrectOptionsForm::FileExtBtnClick()
{
    if (!OptionsHolder)
        return;
    TStringList types;
    types.SetText(OptionsHolder->AutocorrectFileExts);
    if (!EditStringList(types, nullptr, "Fichiers pris en charge", "&Types de fichier :", 0, nullptr,
                        [](const std::string& text) { return !text.empty() && text[0] != '.'; }))
        return;
    std::string lines;
    for (int32_t i = 0; i < types.Count(); ++i)
        lines += (i ? "\n" : "") + types.Strings(i);
    OptionsHolder->AutocorrectFileExts = lines;
    RestartSpellingSystems();
}

void TAutocorrectOptionsForm::RulesBtnClick()
{
    if (ShowSpaceRules(*FOptions))
        FOptions->Modified = 1;
}

void TAutocorrectOptionsForm::MoreOptBtnClick()
{
    if (FOptions->LangRecord < 0)
        return;
    if (ShowLangSpecificFlags("Correction automatique - Autres options",
                              AutocorrectLanguageOptions[FOptions->LangRecord], FLanguage, FOptions->Flags)) {
        FOptions->Modified = 1;
        RestartSpellingSystems();
    }
}

bool ShowAutocorrectOptions(LANGID language, const std::string& text)
{
    bool ok = false;
    {
        auto form = std::make_unique<TAutocorrectOptionsForm>(nullptr, language);
        if (!text.empty())
            form->StartWithText(text);
        ok = form->ShowModal() == mrOk;
    }
    RefreshSpellingExceptions(language);
    return ok;
}

// --- TAutocorrectRulesForm ----------------------------------------------------------------

TAutocorrectRulesForm::TAutocorrectRulesForm(TComponent* owner, TAutocorrectLangOptions& options)
    : TStandardDialogForm(owner), FOptions(options)
{
    SetName("AutocorrectRulesForm");
    SetCaption("Règles de gestion des espaces");
    SetHelpTopic(20175);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(420, 190);
    RightAdjLbl = Make<TLabel>(this, this, "RightAdjLbl", "Une espace A&VANT les signes de ponctuation suivants :", 10, 10, 380, 15);
    RightAdjEdit = Make<TEdit>(this, this, "RightAdjEdit", "", 10, 28, 370, 21);
    RightCharMapBtn = Make<TSpeedButton>(this, this, "RightCharMapBtn", "\xA7", 384, 28, 22, 21);
    LeftAdjLbl = Make<TLabel>(this, this, "LeftAdjLbl", "Une espace &APRÈS les signes de ponctuation suivants :", 10, 58, 380, 15);
    LeftAdjEdit = Make<TEdit>(this, this, "LeftAdjEdit", "", 10, 76, 370, 21);
    LeftCharMapBtn = Make<TSpeedButton>(this, this, "LeftCharMapBtn", "\xA7", 384, 76, 22, 21);
    RightAdjLbl->SetFocusControl(RightAdjEdit);
    LeftAdjLbl->SetFocusControl(LeftAdjEdit);
    for (TSpeedButton* button : {RightCharMapBtn, LeftCharMapBtn}) {
        button->SetHint("Table de caractères");
        button->ShowHint = true;
    }
    TwoSpacesChkBx = Make<TCheckBox>(this, this, "TwoSpacesChkBx", "Accepter une espace &double entre 2 phrases", 10, 108, 380, 17);
    NonbrSpcsChkBx = Make<TCheckBox>(this, this, "NonbrSpcsChkBx", "Utiliser des espaces &insécables si nécessaire", 10, 130, 380, 17);
    for (TEdit* edit : {RightAdjEdit, LeftAdjEdit}) {
        edit->Font().SetName("Times New Roman");
        SetFontCharsetForLocale(edit->Font(), static_cast<LCID>(options.Language));
    }
    PickChar = [](const std::string& font, int32_t lang) { return DefaultPick(font, lang, true); };
    RightCharMapBtn->OnClick = [this](TControl*) {
        if (PickChar)
            AppendChar(*RightAdjEdit, PickChar("Times New Roman", FOptions.Language));
    };
    LeftCharMapBtn->OnClick = [this](TControl*) {
        if (PickChar)
            AppendChar(*LeftAdjEdit, PickChar("Times New Roman", FOptions.Language));
    };

    std::string right, left;
    for (int c = 33; c <= 255; ++c) {
        if (!DelimiterCharTable[static_cast<uint8_t>(c)])
            continue;
        if (!options.RightAdjSep[static_cast<size_t>(c)])
            right += (right.empty() ? "" : " ") + std::string(1, static_cast<char>(c));
        if (!options.LeftAdjSep[static_cast<size_t>(c)])
            left += (left.empty() ? "" : " ") + std::string(1, static_cast<char>(c));
    }
    RightAdjEdit->SetText(right);
    LeftAdjEdit->SetText(left);
    TwoSpacesChkBx->SetChecked(options.TwoSentSpcs != 0);
    NonbrSpcsChkBx->SetChecked(options.NonbrSpcs != 0);
    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    DlgButtons().PlaceButtons();
}

void TAutocorrectRulesForm::AppendChar(TEdit& edit, uint8_t character)
{
    if (character <= 32)
        return;
    const std::string text = edit.Text();
    const auto at = text.find(static_cast<char>(character));
    if (at != std::string::npos) {
        edit.SetSelStart(static_cast<int32_t>(at));
        edit.SetSelLength(1);
        return;
    }
    edit.SetText(text + (text.empty() ? "" : " ") + std::string(1, static_cast<char>(character)));
    edit.SetSelStart(static_cast<int32_t>(edit.Text().size()) - 1);
    edit.SetSelLength(1);
}

void TAutocorrectRulesForm::Apply()
{
    const std::string right = RightAdjEdit->Text();
    const std::string left = LeftAdjEdit->Text();
    for (int c = 33; c <= 255; ++c) {
        const bool delimiter = DelimiterCharTable[static_cast<uint8_t>(c)];
        const char ch = static_cast<char>(c);
        FOptions.RightAdjSep[static_cast<size_t>(c)] = delimiter && right.find(ch) == std::string::npos;
        FOptions.LeftAdjSep[static_cast<size_t>(c)] = delimiter && left.find(ch) == std::string::npos;
    }
    FOptions.TwoSentSpcs = TwoSpacesChkBx->Checked() ? 1 : 0;
    FOptions.NonbrSpcs = NonbrSpcsChkBx->Checked() ? 1 : 0;
}

bool ShowSpaceRules(TAutocorrectLangOptions& options)
{
    auto form = std::make_unique<TAutocorrectRulesForm>(nullptr, options);
    if (form->ShowModal() != mrOk)
        return false;
    form->Apply();
    return true;
}

// --- TLangSpecificFlagsForm ---------------------------------------------------------------

TLangSpecificFlagsForm::TLangSpecificFlagsForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("LangSpecificFlagsForm");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(420, 150);
    ChkLstBx = Make<TCheckListBox>(this, this, "ChkLstBx", "", 10, 10, 400, 96);
    ChkLstBx->Font().SetName("Arial");
    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    DlgButtons().PlaceButtons();
}

bool ShowLangSpecificFlags(const std::string& caption, const TLanguageExtraOptions& record, int32_t language,
                           int32_t& flags)
{
    auto form = std::make_unique<TLangSpecificFlagsForm>(nullptr);
    form->SetCaption(caption);
    SetFontCharsetForLocale(form->ChkLstBx->Font(), static_cast<LCID>(language));
    const int32_t count = std::min<int32_t>(record.Count, 8);
    for (int32_t i = 0; i < count; ++i) {
        form->ChkLstBx->Items().Add(record.Captions[i] ? record.Captions[i] : "");
        form->ChkLstBx->SetChecked(i, (flags & (1 << i)) != 0);
    }
    if (form->ShowModal() != mrOk)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        if (form->ChkLstBx->Checked(i))
            flags |= 1 << i;
        else
            flags &= ~(1 << i);
    }
    return true;
}
