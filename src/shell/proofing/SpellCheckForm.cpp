#include "shell/proofing/SpellCheckForm.h"

#include "document/model/Document.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/LanguageManager.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/AutocorrectLangOptions.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "proofing/SpellCheckSystem.h"
#include "shell/StringEditors.h"
#include "shell/frame/MainForm.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

std::unique_ptr<TSpellCheckForm> gForm;

constexpr int32_t kBufferSize = 2065;
constexpr int32_t kSpellDialogEvent = 2180;

// Tags of the buttons.
constexpr int32_t tagChange = 0;
constexpr int32_t tagChangeAll = 1;
constexpr int32_t tagIgnore = 2;
constexpr int32_t tagIgnoreAll = 3;
constexpr int32_t tagAddWord = 4;
constexpr int32_t tagAddReplacement = 5;
constexpr int32_t tagEditLexicon = 6;
constexpr int32_t tagAutocorrect = 7;
constexpr int32_t tagCancel = 8;

TLabel* MakeLabel(TForm* form, const std::string& name, const std::string& caption, int32_t left, int32_t top)
{
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetParent(form);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TEdit* MakeEdit(TForm* form, const std::string& name, int32_t left, int32_t top, int32_t width)
{
    auto* edit = new TEdit(form);
    edit->SetName(name);
    edit->SetParent(form);
    edit->SetBounds(left, top, width, 21);
    edit->Font().SetName("Arial");
    edit->MaxLength = 128;
    return edit;
}

// The first text of a suggestion buffer.
std::string FirstText(const char* buffer)
{
    return buffer ? std::string(buffer) : std::string();
}

// The file name of a lexicon without folder and extension.
std::string BareName(const std::string& fileName)
{
    return ChangeFileExt(ExtractFileName(fileName), "");
}

SSCE_S16 LexiconId(TSpellCheckSystem& system, int32_t index)
{
    return static_cast<SSCE_S16>(IntFromObject(system.EditableLexicons.Objects(index)));
}

// The application's hint pauses, lengthened while the dialog shows.
class THintPauses {
public:
    THintPauses() : FPause(Application->HintPause), FHide(Application->HintHidePause)
    {
        Application->HintPause = FPause * 3;
        Application->HintHidePause = FHide * 4;
    }
    ~THintPauses()
    {
        Application->HintPause = FPause;
        Application->HintHidePause = FHide;
    }
    THintPauses(const THintPauses&) = delete;
    THintPauses& operator=(const THintPauses&) = delete;

private:
    int32_t FPause;
    int32_t FHide;
};

}  // namespace

TSpellCheckForm& GetSpellCheckForm()
{
    if (!gForm)
        gForm = std::make_unique<TSpellCheckForm>(nullptr);
    return *gForm;
}

void FreeSpellCheckForm()
{
    gForm.reset();
}

TSpellCheckForm::TSpellCheckForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("SpellCheckForm");
    SetHelpTopic(20000);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientSize(416, 176);
    MisspelledWordLabel = MakeLabel(this, "MisspelledWordLabel", "A&bsent du dictionnaire :", 8, 6);
    MisspelledWordEdit = MakeEdit(this, "MisspelledWordEdit", 8, 22, 152);
    MisspelledWordEdit->ReadOnly = true;
    MisspelledWordEdit->SetColor(clBtnFace);
    ReplaceWithLabel = MakeLabel(this, "ReplaceWithLabel", "&Suggestion de remplacement :", 8, 48);
    ReplaceWithEdit = MakeEdit(this, "ReplaceWithEdit", 8, 64, 152);
    SuggestionListBox = new TListBox(this);
    SuggestionListBox->SetName("SuggestionListBox");
    SuggestionListBox->SetParent(this);
    SuggestionListBox->SetBounds(8, 90, 152, 80);
    SuggestionListBox->IntegralHeight = true;
    SuggestionListBox->Font().SetName("Arial");
    MisspelledWordLabel->SetFocusControl(MisspelledWordEdit);
    ReplaceWithLabel->SetFocusControl(ReplaceWithEdit);

    auto button = [this](const std::string& name, const std::string& caption, int32_t tag, int32_t left,
                         int32_t top, int32_t width) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(left, top, width, 23);
        b->SetCaption(caption);
        b->Tag = tag;
        b->OnClick = [this, tag](TControl*) { ButtonClick(tag); };
        return b;
    };
    ChangeBtn = button("ChangeBtn", "R&emplacer", tagChange, 168, 6, 118);
    ChangeBtn->SetDefault(true);
    ChangeAllBtn = button("ChangeAllBtn", "To&ut remplacer", tagChangeAll, 290, 6, 118);
    IgnoreBtn = button("IgnoreBtn", "Igno&rer", tagIgnore, 168, 33, 118);
    IgnoreAllBtn = button("IgnoreAllBtn", "T&oujours ignorer", tagIgnoreAll, 290, 33, 118);
    AddToLexBtn = button("AddToLexBtn", "Ajouter le mot du docu&ment au dictionnaire", tagAddWord, 168, 62, 240);
    AddReplacementToLexBtn =
        button("AddReplacementToLexBtn", "Ajouter le mot de rempl&acement au dictionnaire", tagAddReplacement, 168,
               89, 240);
    LexComboBox = new TComboBox(this);
    LexComboBox->SetName("LexComboBox");
    LexComboBox->SetParent(this);
    LexComboBox->Style = TComboBoxStyle::csDropDownList;
    LexComboBox->SetBounds(168, 118, 160, 21);
    EditLexBtn = button("EditLexBtn", "Mo&difier...", tagEditLexicon, 332, 117, 76);
    AutocorrectBtn = button("AutocorrectBtn", "Auto&correction", tagAutocorrect, 168, 147, 118);
    CancelBtn = button("CancelBtn", "Annuler", tagCancel, 290, 147, 118);
    CancelBtn->Cancel = true;

    int32_t order = 0;
    for (TWinControl* control : std::initializer_list<TWinControl*>{
             MisspelledWordEdit, ReplaceWithEdit, SuggestionListBox, ChangeBtn, ChangeAllBtn, IgnoreBtn, IgnoreAllBtn,
             AddToLexBtn, AddReplacementToLexBtn, LexComboBox, EditLexBtn, AutocorrectBtn, CancelBtn})
        control->SetTabOrder(order++);

    SuggestionListBox->OnClick = [this](TControl*) {
        const int32_t index = SuggestionListBox->ItemIndex();
        if (index >= 0)
            ReplaceWithEdit->SetText(SuggestionListBox->Items().Strings(index));
    };
    SuggestionListBox->OnDblClick = [this](TControl*) { ButtonClick(tagChange); };
    ReplaceWithEdit->OnChange = [this](TControl*) { RefreshHints(); };
    MisspelledWordEdit->OnChange = [this](TControl*) { RefreshHints(); };
    LexComboBox->OnChange = [this](TControl*) { RefreshHints(); };
}

void TSpellCheckForm::Prepare(const std::string& word, const std::string& replacement, const char* suggestions,
                              size_t size, bool doubled, int32_t language, TSpellCheckSystem& system,
                              TDocument& document)
{
    FDocument = &document;
    FSystem = &system;
    FDoubled = doubled;
    FLanguage = language;
    FAction = saCancel;
    SetCaption(Format("Vérification orthographique - %s", {GetLanguageManager().GetLanguageName(system.Language)}));
    MisspelledWordLabel->SetCaption(doubled ? "&Doublon :" : "A&bsent du dictionnaire :");
    MisspelledWordEdit->SetText(word);
    ReplaceWithEdit->SetText(replacement);
    for (TControl* control : std::initializer_list<TControl*>{MisspelledWordEdit, ReplaceWithEdit, SuggestionListBox})
        SetFontCharsetForLocale(control->Font(), static_cast<LCID>(system.Language));
    TStringList& items = SuggestionListBox->Items();
    items.Clear();
    if (doubled || !suggestions) {
        items.Add(replacement);
    } else {
        FillListFromBuffer(suggestions, size, items);
    }
    SuggestionListBox->SetItemIndex(items.IndexOf(replacement));
    TSpellCheckManager& manager = GetSpellCheckManager();
    ChangeAllBtn->SetEnabled(!doubled);
    IgnoreBtn->SetEnabled(!manager.SingleWordCheck);
    const bool dictionaries = system.EditableLexicons.Count() > 0 && !doubled;
    for (TControl* control : std::initializer_list<TControl*>{AddToLexBtn, AddReplacementToLexBtn, LexComboBox,
                                                              EditLexBtn})
        control->SetEnabled(dictionaries);
    LexComboBox->Items().Clear();
    for (int32_t i = 0; i < system.EditableLexicons.Count(); ++i)
        LexComboBox->Items().Add(BareName(system.EditableLexicons.Strings(i)));
    LexComboBox->SetItemIndex(LexComboBox->Items().Count() > 0
                                  ? std::clamp(system.CurrentDictionary, 0, LexComboBox->Items().Count() - 1)
                                  : -1);
    RefreshHints();
}

int32_t TSpellCheckForm::ChosenDictionary() const
{
    return LexComboBox->ItemIndex();
}

void TSpellCheckForm::RefreshHints()
{
    const std::string word = MisspelledWordEdit->Text();
    const std::string replacement = ReplaceWithEdit->Text();
    ChangeBtn->SetHint(Format("Remplacer le mot \"%s\" actuel par \"%s\"", {word, replacement}));
    ChangeAllBtn->SetHint(Format("Remplacer \"%s\" par \"%s\" dans tout le document", {word, replacement}));
    IgnoreBtn->SetHint(Format("Ignorer le mot \"%s\" à cet endroit du document", {word}));
    IgnoreAllBtn->SetHint(Format("Ignorer le mot \"%s\" dans tout le document", {word}));
    if (ChosenDictionary() >= 0) {
        AddToLexBtn->SetHint(Format("Ajouter le mot \"%s\" du document au dictionnaire personnel actuel", {word}));
        AddReplacementToLexBtn->SetHint(
            replacement.empty()
                ? std::string()
                : Format("\"%s\", suggéré comme mot de remplacement,||sera ajouté au dictionnaire personnel "
                         "actuel||et remplacera le mot se trouvant dans le document",
                         {replacement}));
    } else {
        AddToLexBtn->SetHint("");
        AddReplacementToLexBtn->SetHint("");
    }
    AutocorrectBtn->SetHint("Active la vérification automatique de l'orthographe du document.||l'utilisateur "
                            "n'intervient plus dans le processus");
}

bool TSpellCheckForm::ConfirmFullCheck()
{
    TSpellCheckManager& manager = GetSpellCheckManager();
    if (!manager.SingleWordCheck)
        return false;
    if (ShowMessageDlg("Cette fonction nécessite une vérification orthographique de tout le document.||||Voulez-vous "
                       "vérifier tout l'orthographe de ce document ?",
                       mtConfirmation, mbYesNo) == mrYes) {
        manager.FullCheckRequested = true;
        FAction = saCancel;
        SetModalResult(mrCancel);
    }
    return true;
}

void TSpellCheckForm::ButtonClick(int32_t tag)
{
    TSpellCheckSystem& system = *FSystem;
    const std::string word = MisspelledWordEdit->Text();
    auto close = [this](uint8_t action) {
        FAction = action;
        SetModalResult(action == saCancel ? mrCancel : mrOk);
    };
    switch (tag) {
    case tagChange:
        close(saReplace);
        break;
    case tagChangeAll: {
        if (ConfirmFullCheck())
            return;
        if (system.ReplaceAllLexId < 0) {
            system.ReplaceAllLexId = system.CreateMemoryLexicon();
            TSpellCheckSystem::CheckEngineResult(system.ReplaceAllLexId);
        }
        const std::string replacement = ReplaceWithEdit->Text();
        if (system.ReplaceAllLexId >= 0)
            TSpellCheckSystem::CheckEngineResult(system.AddToLexicon(
                system.ReplaceAllLexId, SSCE_AUTO_CHANGE_ACTION, &replacement, system.NormalizeLexiconWord(word)));
        // Later occurrences are looked up again, and come back as replacements.
        system.ForgetMisspelling(word);
        TAutocorrectLangOptionsManager& autocorrect = GetAutocorrectLangOptionsManager();
        if (autocorrect.Switches.AddSpellReplacements)
            autocorrect.GetLangOptions(static_cast<LANGID>(FLanguage)).SetReplacement(word, replacement);
        close(saReplace);
        break;
    }
    case tagIgnore:
        close(saGoOn);
        break;
    case tagIgnoreAll:
        system.IgnoreWordAlways(word);
        if (FDocument)
            FDocument->RepaintRange(TTextRange{FDocument->Selection().Start, FDocument->Selection().End});
        close(saGoOn);
        break;
    case tagAddWord:
        system.AddWordToDictionary(word, ChosenDictionary());
        if (FDocument)
            FDocument->RepaintRange(TTextRange{FDocument->Selection().Start, FDocument->Selection().End});
        close(saGoOn);
        break;
    case tagAddReplacement:
        if (ReplaceWithEdit->Text().empty()) {
            ReplaceWithEdit->SetFocus();
            ShowInformation("S'il vous plaît, veuillez préciser les mots que vous voulez ajouter au dictionnaire.");
            return;
        }
        system.AddWordToDictionary(ReplaceWithEdit->Text(), ChosenDictionary());
        close(saReplace);
        break;
    case tagEditLexicon:
        EditPersonalDictionary();
        break;
    case tagAutocorrect:
        if (ConfirmFullCheck())
            return;
        GetSpellCheckManager().AutoReplace = true;
        close(saReplace);
        break;
    default:
        close(saCancel);
        break;
    }
}

void TSpellCheckForm::EditPersonalDictionary()
{
    TSpellCheckSystem& system = *FSystem;
    const int32_t index = ChosenDictionary();
    if (index < 0 || index >= system.EditableLexicons.Count())
        return;
    const SSCE_S16 lexId = LexiconId(system, index);
    TStringList words;
    if (TSpellCheckSystem::CheckEngineResult(system.GetLexiconWords(lexId, words)))
        return;
    words.Sort();
    TFont font;
    font.SetName("Arial");
    SetFontCharsetForLocale(font, static_cast<LCID>(system.Language));
    const std::string caption =
        Format("Dictionnaire personnel \"%s\"", {ExtractFileName(system.EditableLexicons.Strings(index))});
    if (!EditStringList(words, nullptr, caption, "M&ots :", 0, &font, nullptr))
        return;
    TSpellCheckSystem::CheckEngineResult(system.SetLexiconWords(lexId, words));
    system.AcceptedCache.clear();
    system.MisspelledCache.clear();
    GetSpellCheckManager().InvalidateChecks();
}

uint8_t AskSpellingAction(const std::string& word, int32_t language, const TSpellWordRange& range,
                          std::string& replacement, uint8_t flags, TSpellCheckSystem& system, TDocument& document)
{
    TSpellCheckManager& manager = GetSpellCheckManager();
    const bool doubled = (flags & sfDoubled) != 0;
    const bool quiet = (flags & sfQuiet) != 0;
    std::array<char, kBufferSize> buffer{};
    uint8_t state = csMisspelled;
    if (!doubled)
        state = system.CheckWordCached(word, language, quiet ? 0 : kBufferSize, quiet ? nullptr : buffer.data());
    if (state == csMisspelled && manager.AutoReplace)
        state = csAutoReplace;
    if (state == csAccepted)
        return saGoOn;
    if (quiet)
        return saMisspelled;
    const TTextPosition& start = range.Position;
    if (state == csAutoReplace) {
        // With nothing to put in its place the word stays as it is.
        if (FirstText(buffer.data()).empty())
            return saGoOn;
        document.SetSelection(start.Paragraph, start.Offset, start.Paragraph, start.Offset + range.Length);
        replacement = FirstText(buffer.data());
        return saReplace;
    }
    document.GoToPosition(start.Paragraph, start.Offset);
    document.SetSelection(start.Paragraph, start.Offset, start.Paragraph, start.Offset + range.Length);
    if (!doubled)
        replacement = FirstText(buffer.data());

    if (BaseFormServices().FireProgramEvent)
        BaseFormServices().FireProgramEvent(kSpellDialogEvent);
    TSpellCheckForm& form = GetSpellCheckForm();
    form.Prepare(word, replacement, doubled ? nullptr : buffer.data(), buffer.size(), doubled, language, system,
                 document);
    // Centred on the main window, its bottom on the main window's bottom
    // (above the status bar when it shows).
    if (MainForm) {
        int32_t bottom = MainForm->Top() + MainForm->Height();
        if (MainForm->StatusBar() && MainForm->StatusBar()->Visible())
            bottom -= MainForm->StatusBar()->Height();
        form.SetLeft(MainForm->Left() + (MainForm->Width() - form.Width()) / 2);
        form.SetTop(bottom - form.Height());
    }
    form.ReplaceWithEdit->SelectAll();
    form.MisspelledWordEdit->SelectAll();
    form.SetActiveControl(form.ReplaceWithEdit);
    THintPauses pauses;
    const TModalResult result = form.ShowModal();
    if (result != mrOk)
        return saCancel;
    if (form.Action() == saReplace)
        replacement = form.Replacement();
    return form.Action();
}
