#include "shell/proofing/HyphenationForms.h"

#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/managers/MeasurementsManager.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/HyphManager.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t kMinZoneTwips = 144;
constexpr int32_t kMaxZoneTwips = 31680;

uint8_t CurrentMeasurementUnit()
{
    // Without the manager (a program part that runs without options) lengths show in centimetres.
    TMeasurementsManager* manager = GetMeasurementsManager();
    return manager ? manager->CurrentUnit() : static_cast<uint8_t>(muCentimeter);
}

TLabel* MakeLabel(TForm* form, const std::string& caption, int32_t left, int32_t top)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TButton* MakeButton(TForm* form, const std::string& name, const std::string& caption, int32_t left, int32_t top,
                    int32_t width)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetBounds(left, top, width, 23);
    button->SetCaption(caption);
    return button;
}

bool LessText(const std::string& a, const std::string& b)
{
    return AnsiCompareText(a, b) < 0;
}

}  // namespace

std::string HyphLanguageName(int32_t languageId)
{
    std::string name = GetLocaleLanguageName(static_cast<LCID>(languageId));
    if (name.empty())
        name = GetLocaleLanguageName(static_cast<LCID>(languageId & 0x3FF));
    return name.empty() ? std::to_string(languageId) : name;
}

// --- THyphOptForm -----------------------------------------------------------------------

THyphOptForm::THyphOptForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("HyphOptForm");
    SetHelpTopic(37510);
    Position = TPosition::poScreenCenter;
    SetClientSize(420, 176);
    AutoChkBx = new TCheckBox(this);
    AutoChkBx->SetName("AutoChkBx");
    AutoChkBx->SetParent(this);
    AutoChkBx->SetBounds(10, 12, 290, 17);
    AutoChkBx->SetCaption("Coupe de mots automatique pour le document");
    CustomizeBtn = MakeButton(this, "CustomizeBtn", "&Personnaliser...", 306, 9, 104);
    CapsChkBx = new TCheckBox(this);
    CapsChkBx->SetName("CapsChkBx");
    CapsChkBx->SetParent(this);
    CapsChkBx->SetBounds(10, 40, 290, 17);
    CapsChkBx->SetCaption("Coupe de mots TOUT EN &MAJUSCULES");
    ZoneLbl = MakeLabel(this, "&Zone de coupe :", 10, 73);
    HyphZoneUpDnEdt = new TUpDownEdit(this);
    HyphZoneUpDnEdt->SetName("HyphZoneUpDnEdt");
    HyphZoneUpDnEdt->SetParent(this);
    HyphZoneUpDnEdt->SetBounds(230, 70, 90, 21);
    LimitLbl = MakeLabel(this, "&Limiter les coupes consécutives à :", 10, 103);
    ConsecHyphLimitUpDnEdt = new TUpDownEdit(this);
    ConsecHyphLimitUpDnEdt->SetName("ConsecHyphLimitUpDnEdt");
    ConsecHyphLimitUpDnEdt->SetParent(this);
    ConsecHyphLimitUpDnEdt->SetBounds(230, 100, 90, 21);
    ConsecHyphLimitUpDnEdt->SetNrOfDigitsAfterSeparator(0);
    ConsecHyphLimitUpDnEdt->Increment = 1;
    ConsecHyphLimitUpDnEdt->Min = 0;
    ConsecHyphLimitUpDnEdt->Max = 32767;
    ConsecHyphLimitUpDnEdt->OnTextToValue = [](const std::string& text, int32_t& value) {
        if (!AnsiSameText(text, NoHyphLimitText))
            return false;
        value = 0;
        return true;
    };
    ConsecHyphLimitUpDnEdt->OnChange = [this](TControl*) { LimitChange(); };
    ManualBtn = MakeButton(this, "ManualBtn", "&Manuelle...", 10, 0, 90);
    ZoneLbl->SetFocusControl(HyphZoneUpDnEdt);
    LimitLbl->SetFocusControl(ConsecHyphLimitUpDnEdt);
    AutoChkBx->SetTabOrder(0);
    CustomizeBtn->SetTabOrder(1);
    CapsChkBx->SetTabOrder(2);
    HyphZoneUpDnEdt->SetTabOrder(3);
    ConsecHyphLimitUpDnEdt->SetTabOrder(4);
    ManualBtn->SetTabOrder(5);

    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    // OK closes only once the numbers are checked.
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    // The row stands at the bottom right; "Manuelle..." on its line at the left.
    DlgButtons().PlaceButtons();
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ManualBtn->SetTop(ok->Top());
    ManualBtn->OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    CustomizeBtn->OnClick = [this](TControl*) { CustomizeBtnClick(); };
}

void THyphOptForm::Prepare(const THyphenationOptions& options, int32_t languageId)
{
    FLanguageId = languageId;
    SetCaption(Format("Coupe de mots : %s", {HyphLanguageName(languageId)}));
    AutoChkBx->SetChecked((options.Flags & hofAutomatic) != 0);
    CapsChkBx->SetChecked((options.Flags & hofCapitals) != 0);
    FUnit = CurrentMeasurementUnit();
    HyphZoneUpDnEdt->SetNrOfDigitsAfterSeparator(2);
    HyphZoneUpDnEdt->SetTailString(UnitSuffix(FUnit));
    HyphZoneUpDnEdt->Min = TwipsToUnits(FUnit, kMinZoneTwips);
    HyphZoneUpDnEdt->Max = TwipsToUnits(FUnit, kMaxZoneTwips);
    HyphZoneUpDnEdt->SetValue(
        std::clamp(TwipsToUnits(FUnit, options.Zone), HyphZoneUpDnEdt->Min, HyphZoneUpDnEdt->Max));
    ConsecHyphLimitUpDnEdt->SetValue(std::clamp(options.ConsecutiveLimit, 0, 32767));
    LimitChange();
}

void THyphOptForm::LimitChange()
{
    if (ConsecHyphLimitUpDnEdt->Text() == "0")
        ConsecHyphLimitUpDnEdt->SetText(NoHyphLimitText);
}

THyphenationOptions THyphOptForm::Options() const
{
    THyphenationOptions options;
    options.Flags = (AutoChkBx->Checked() ? hofAutomatic : 0) | (CapsChkBx->Checked() ? hofCapitals : 0);
    options.Zone = UnitsToTwips(FUnit, HyphZoneUpDnEdt->Value());
    options.ConsecutiveLimit = ConsecHyphLimitUpDnEdt->Value();
    return options;
}

void THyphOptForm::DialogButtonClick(TControl* sender)
{
    // The cancel button closes at once, unless the word list was changed: it
    // then reads "Fermer" and keeps the options like OK.
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel && !FWordsChanged) {
        SetModalResult(mrCancel);
        return;
    }
    for (TUpDownEdit* edit : {HyphZoneUpDnEdt, ConsecHyphLimitUpDnEdt})
        if (!edit->IsValueValid()) {
            edit->ReportInvalidValue();
            return;
        }
    if (sender == ManualBtn) {
        if (AutoChkBx->Checked() &&
            ShowMessageDlg("La coupe de mots manuelle ne peut pas être lancée en même temps que la coupe de mots "
                           "automatique. La coupe de mots automatique sera désactivée pour ce document si vous "
                           "choisissez de lancer la coupe de mots manuelle.||||Cliquez \"Oui\" si vous voulez "
                           "toujours lancer la coupe de mots manuelle.||||Cliquez \"Non\" si vous voulez retourner à "
                           "la boîte de dialogue de coupe de mots.",
                           mtConfirmation, mbYesNo) != mrYes)
            return;
        AutoChkBx->SetChecked(false);
        SetModalResult(mrYes);
        return;
    }
    SetModalResult(mrOk);
}

void THyphOptForm::CustomizeBtnClick()
{
    TLanguageHyphData& data = GetHyphManager().GetLanguageData(FLanguageId);
    if (!ExecuteCustomizeAutoHyph(data.UserWords, data.UserHyphenatedWords, FLanguageId, std::string()))
        return;
    data.Modified = true;
    FWordsChanged = true;
    if (TDlgButton* cancel = DlgButtons().Button(DlgButtonCancel))
        cancel->SetCaption("Fermer");
}

int32_t ShowHyphenationOptions(THyphenationOptions& options, int32_t languageId)
{
    auto form = std::make_unique<THyphOptForm>(nullptr);
    form->Prepare(options, languageId);
    const TModalResult result = form->ShowModal();
    if (result == mrOk || result == mrYes) {
        options = form->Options();
        return result == mrYes ? hoResultManual : hoResultOK;
    }
    return hoResultCancelled;
}

int32_t ShowDocumentHyphenationOptions(TDocument& document, int32_t languageId)
{
    THyphenationOptions options;
    options.Flags = (document.AutoHyphenation ? hofAutomatic : 0) | (document.HyphenateCapitals ? hofCapitals : 0);
    options.Zone = document.HyphenationZone;
    options.ConsecutiveLimit = document.HyphenationLimit;
    const int32_t result = ShowHyphenationOptions(options, languageId);
    // The manual run records the options itself (automatic hyphenation off)
    // before it goes over the text.
    if (result == hoResultManual)
        document.HyphenateDocument(options);
    else if (result != hoResultCancelled)
        document.ExecuteOperation(docChangeHyphenationOptions, {&options});
    return result;
}

// --- TCustomizeAutoHyphForm -------------------------------------------------------------

TCustomizeAutoHyphForm::TCustomizeAutoHyphForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("CustomizeAutoHyphForm");
    SetHelpTopic(37500);
    Position = TPosition::poScreenCenter;
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientSize(440, 330);
    // The explanation, on lines of its own (labels show one line).
    const char* explanation[] = {
        "Vous pouvez créer ici des listes personnalisées pour la coupe des mots.",
        "Les schémas de coupe de mots définis dans la liste actuelle seront utilisés à la",
        "place des schémas normalement utilisés par Eldravin pour la coupe de mots",
        "automatique.",
    };
    for (int32_t line = 0; line < 4; ++line) {
        TLabel* label = MakeLabel(this, explanation[line], 10, 8 + 14 * line);
        label->ShowAccelChar = false;
        if (line == 0)
            ExplanationLbl = label;
    }
    PatternLbl = MakeLabel(this, "&Schéma de coupe de mot :", 10, 74);
    PatternLbl->Font().SetStyle(PatternLbl->Font().Style() | fsBold);
    ExampleLbl = MakeLabel(this, "Exemples : com-bi-nai-son, crème.", 190, 74);
    PatternEdt = new TEdit(this);
    PatternEdt->SetName("PatternEdt");
    PatternEdt->SetParent(this);
    PatternEdt->SetBounds(10, 92, 300, 21);
    PatternEdt->Font().SetName("Arial");
    AddBtn = MakeButton(this, "AddBtn", "&Ajouter", 320, 91, 110);
    PatternLstBx = new TListBox(this);
    PatternLstBx->SetName("PatternLstBx");
    PatternLstBx->SetParent(this);
    PatternLstBx->SetBounds(10, 120, 300, 200);
    PatternLstBx->Font().SetName("Arial");
    DelBtn = MakeButton(this, "DelBtn", "Su&pprimer", 320, 120, 110);
    LoadBtn = MakeButton(this, "LoadBtn", "&Utiliser un fichier...", 320, 150, 110);
    SaveBtn = MakeButton(this, "SaveBtn", "&Enregistrer dans un fichier...", 320, 180, 110);
    OKBtn = MakeButton(this, "OKBtn", "OK", 320, 267, 110);
    OKBtn->SetDefault(true);
    CancelBtn = MakeButton(this, "CancelBtn", "Annuler", 320, 297, 110);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
    PatternLbl->SetFocusControl(PatternEdt);
    int32_t order = 0;
    for (TWinControl* control : std::initializer_list<TWinControl*>{PatternEdt, AddBtn, PatternLstBx, DelBtn, LoadBtn,
                                                                    SaveBtn, OKBtn, CancelBtn})
        control->SetTabOrder(order++);

    PatternEdt->OnChange = [this](TControl*) { UpdateControls(); };
    PatternLstBx->OnClick = [this](TControl*) { PatternLstBxClick(); };
    AddBtn->OnClick = [this](TControl*) { AddBtnClick(); };
    DelBtn->OnClick = [this](TControl*) { DelBtnClick(); };
    LoadBtn->OnClick = [this](TControl*) { LoadBtnClick(); };
    SaveBtn->OnClick = [this](TControl*) { SaveBtnClick(); };
    OKBtn->OnClick = [this](TControl*) { OKBtnClick(); };
}

void TCustomizeAutoHyphForm::Prepare(const std::vector<std::string>& plain,
                                     const std::vector<std::string>& hyphenated, int32_t languageId,
                                     const std::string& text)
{
    SetCaption(Format("Coupe de mots personnalisée : %s", {HyphLanguageName(languageId)}));
    // The two lists belong together entry for entry; a short hyphenated list
    // is completed with the plain words.
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t i = 0; i < plain.size(); ++i)
        entries.emplace_back(plain[i], i < hyphenated.size() ? hyphenated[i] : plain[i]);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return LessText(a.first, b.first); });
    FListClicksCopy = false;
    FPlain.clear();
    PatternLstBx->Items().Clear();
    for (const auto& [word, hyphenatedWord] : entries) {
        FPlain.push_back(word);
        PatternLstBx->Items().Add(hyphenatedWord);
    }
    SetFontCharsetForLocale(PatternEdt->Font(), static_cast<LCID>(languageId));
    SetFontCharsetForLocale(PatternLstBx->Font(), static_cast<LCID>(languageId));
    PatternEdt->SetText(text);
    FListClicksCopy = true;
    UpdateControls();
}

std::vector<std::string> TCustomizeAutoHyphForm::HyphenatedWords() const
{
    std::vector<std::string> words;
    for (int32_t i = 0; i < PatternLstBx->Items().Count(); ++i)
        words.push_back(PatternLstBx->Items().Strings(i));
    return words;
}

std::string TCustomizeAutoHyphForm::NormaliseWord(const std::string& text)
{
    std::string word;
    for (char c : text)
        if (c != ' ' && c != '\t')
            word += c;
    // "--" becomes "-" in one pass from the left.
    std::string single;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '-' && i + 1 < word.size() && word[i + 1] == '-') {
            single += '-';
            ++i;
        } else {
            single += word[i];
        }
    }
    const size_t first = single.find_first_not_of('-');
    if (first == std::string::npos)
        return {};
    const size_t last = single.find_last_not_of('-');
    return single.substr(first, last - first + 1);
}

std::string TCustomizeAutoHyphForm::PlainForm(const std::string& word)
{
    std::string plain;
    for (char c : word)
        if (c != '-')
            plain += c;
    return plain;
}

std::string TCustomizeAutoHyphForm::TypedWord() const
{
    return NormaliseWord(PatternEdt->Text());
}

void TCustomizeAutoHyphForm::UpdateControls()
{
    const std::string typed = TypedWord();
    const std::string plain = PlainForm(typed);
    if (!plain.empty()) {
        const auto at = std::lower_bound(FPlain.begin(), FPlain.end(), plain, LessText);
        if (at != FPlain.end() && AnsiSameText(*at, plain)) {
            const auto index = static_cast<int32_t>(at - FPlain.begin());
            const bool copy = FListClicksCopy;
            FListClicksCopy = false;
            if (!FFromListClick)
                PatternLstBx->SetTopIndex(index);
            PatternLstBx->SetItemIndex(index);
            FListClicksCopy = copy;
        }
    }
    const int32_t selected = SelectedIndex();
    AddBtn->SetEnabled(!typed.empty());
    const bool replaces = selected >= 0 && AnsiSameText(FPlain[static_cast<size_t>(selected)], plain);
    AddBtn->SetCaption(replaces ? "&Remplacer" : "&Ajouter");
    DelBtn->SetEnabled(selected >= 0);
}

void TCustomizeAutoHyphForm::PatternLstBxClick()
{
    if (!FListClicksCopy)
        return;
    const int32_t selected = SelectedIndex();
    if (selected < 0)
        return;
    FFromListClick = true;
    PatternEdt->SetText(PatternLstBx->Items().Strings(selected));
    UpdateControls();
    FFromListClick = false;
}

void TCustomizeAutoHyphForm::AddBtnClick()
{
    const std::string typed = TypedWord();
    if (typed.empty())
        return;
    const std::string plain = PlainForm(typed);
    const int32_t selected = SelectedIndex();
    const bool copy = FListClicksCopy;
    FListClicksCopy = false;
    if (selected >= 0 && AnsiSameText(FPlain[static_cast<size_t>(selected)], plain)) {
        PatternLstBx->Items().SetStrings(selected, typed);
        FPlain[static_cast<size_t>(selected)] = plain;
        PatternLstBx->SetItemIndex(selected);
    } else {
        const auto at = std::upper_bound(FPlain.begin(), FPlain.end(), plain, LessText);
        const auto index = static_cast<int32_t>(at - FPlain.begin());
        FPlain.insert(at, plain);
        PatternLstBx->Items().Insert(index, typed);
        PatternLstBx->SetItemIndex(index);
    }
    FListClicksCopy = copy;
    UpdateControls();
}

void TCustomizeAutoHyphForm::DelBtnClick()
{
    const int32_t selected = SelectedIndex();
    if (selected < 0)
        return;
    FListClicksCopy = false;
    FPlain.erase(FPlain.begin() + selected);
    PatternLstBx->Items().Delete(selected);
    const int32_t count = PatternLstBx->Items().Count();
    const int32_t next = selected < count ? selected : count - 1;
    PatternLstBx->SetItemIndex(next);
    FListClicksCopy = true;
    FFromListClick = true;
    PatternEdt->SetText(next >= 0 ? PatternLstBx->Items().Strings(next) : std::string());
    UpdateControls();
    FFromListClick = false;
}

bool TCustomizeAutoHyphForm::LoadWords(const std::string& fileName)
{
    TStringList lines;
    try {
        lines.LoadFromFile(fileName);
    } catch (const Exception& e) {
        ShowError(e.Message());
        return false;
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (int32_t i = 0; i < lines.Count(); ++i) {
        const std::string word = NormaliseWord(lines.Strings(i));
        const std::string plain = PlainForm(word);
        if (plain.empty())
            continue;
        // A word given twice keeps its first hyphenation.
        if (std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return AnsiSameText(e.first, plain); }))
            continue;
        entries.emplace_back(plain, word);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return LessText(a.first, b.first); });
    FListClicksCopy = false;
    FPlain.clear();
    PatternLstBx->Items().Clear();
    for (const auto& [plain, word] : entries) {
        FPlain.push_back(plain);
        PatternLstBx->Items().Add(word);
    }
    PatternEdt->SetText(std::string());
    FListClicksCopy = true;
    UpdateControls();
    return true;
}

bool TCustomizeAutoHyphForm::SaveWords(const std::string& fileName)
{
    TStringList lines;
    for (const std::string& word : HyphenatedWords())
        lines.Add(word);
    try {
        lines.SaveToFile(fileName);
    } catch (const Exception& e) {
        ShowError(e.Message());
        return false;
    }
    return true;
}

std::string TCustomizeAutoHyphForm::ProposedFileName()
{
    for (int32_t n = 1;; ++n) {
        const std::string name = Format("Schémas de coupe de mots %d.txt", {std::to_string(n)});
        if (!FileExists(name))
            return name;
    }
}

void TCustomizeAutoHyphForm::LoadBtnClick()
{
    TOpenDialog dialog(this);
    dialog.Title = "Chargement des schémas de coupe de mots";
    dialog.Filter = "Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*";
    dialog.DefaultExt = "txt";
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (dialog.Execute())
        LoadWords(dialog.FileName);
}

void TCustomizeAutoHyphForm::SaveBtnClick()
{
    TSaveDialog dialog(this);
    dialog.Title = "Enregistrement des schémas de coupe de mots";
    dialog.DefaultExt = "txt";
    dialog.FileName = ProposedFileName();
    if (dialog.Execute())
        SaveWords(dialog.FileName);
}

void TCustomizeAutoHyphForm::OKBtnClick()
{
    if (!TypedWord().empty())
        AddBtnClick();
    SetModalResult(mrOk);
}

bool ExecuteCustomizeAutoHyph(std::vector<std::string>& plain, std::vector<std::string>& hyphenated,
                              int32_t languageId, const std::string& text)
{
    PushCurrentFolder();
    SetCurrentDir(ProgramFolder());
    bool confirmed = false;
    try {
        auto form = std::make_unique<TCustomizeAutoHyphForm>(nullptr);
        form->Prepare(plain, hyphenated, languageId, text);
        if (form->ShowModal() == mrOk) {
            plain = form->PlainWords();
            hyphenated = form->HyphenatedWords();
            confirmed = true;
        }
    } catch (...) {
        PopCurrentFolder();
        throw;
    }
    PopCurrentFolder();
    return confirmed;
}
