#pragma once
// The hyphenation options dialog (the options of the active document for one
// language, with the way to manual hyphenation) and the user word list dialog
// (the user's own hyphenated words of a language, which take precedence over
// the language's data).
#include <cstdint>
#include <string>
#include <vector>

#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

class TDocument;

// Results of ShowHyphenationOptions.
constexpr int32_t hoResultOK = 0;
constexpr int32_t hoResultCancelled = 1;
constexpr int32_t hoResultManual = 2;

// The text the limit field shows for the value 0.
constexpr const char* NoHyphLimitText = "Pas de limite";

class THyphOptForm : public TStandardDialogForm {
public:
    explicit THyphOptForm(TComponent* owner);

    TCheckBox* AutoChkBx;
    TButton* CustomizeBtn;
    TCheckBox* CapsChkBx;
    TLabel* ZoneLbl;
    TUpDownEdit* HyphZoneUpDnEdt;
    TLabel* LimitLbl;
    TUpDownEdit* ConsecHyphLimitUpDnEdt;
    TButton* ManualBtn;

    // Shows the options, for the language's caption.
    void Prepare(const THyphenationOptions& options, int32_t languageId);
    // The options as the controls give them.
    THyphenationOptions Options() const;
    int32_t LanguageId() const { return FLanguageId; }
    // Whether the user word list was changed (the dialog can no longer be cancelled).
    bool WordsChanged() const { return FWordsChanged; }

    void DialogButtonClick(TControl* sender) override;

private:
    void CustomizeBtnClick();
    void LimitChange();
    uint8_t FUnit = 0;
    int32_t FLanguageId = 0;
    bool FWordsChanged = false;
};

// Edits the options in place; hoResultOK, hoResultCancelled (options
// unchanged) or hoResultManual (options updated, automatic hyphenation off).
int32_t ShowHyphenationOptions(THyphenationOptions& options, int32_t languageId);

// What the shell's command does: the options of the document for the language
// at its caret, applied on OK as the document's operation (undoable). The
// result of the dialog; on hoResultManual the manual hyphenation run goes over
// the selection (or the part being edited) with the options, which it applies
// first.
int32_t ShowDocumentHyphenationOptions(TDocument& document, int32_t languageId);

class TCustomizeAutoHyphForm : public TEldravinForm {
public:
    explicit TCustomizeAutoHyphForm(TComponent* owner);

    TLabel* ExplanationLbl;
    TLabel* PatternLbl;
    TLabel* ExampleLbl;
    TEdit* PatternEdt;
    TButton* AddBtn;
    TListBox* PatternLstBx;
    TButton* DelBtn;
    TButton* LoadBtn;
    TButton* SaveBtn;
    TButton* OKBtn;
    TButton* CancelBtn;

    // Fills the lists (the plain words sorted, the hyphenated ones entry for
    // entry) and the edit field.
    void Prepare(const std::vector<std::string>& plain, const std::vector<std::string>& hyphenated,
                 int32_t languageId, const std::string& text);
    const std::vector<std::string>& PlainWords() const { return FPlain; }
    std::vector<std::string> HyphenatedWords() const;

    // The edit field's word: blanks removed, "--" made "-", no "-" at the ends.
    std::string TypedWord() const;
    static std::string NormaliseWord(const std::string& text);
    static std::string PlainForm(const std::string& word);

    void UpdateControls();
    void AddBtnClick();
    void DelBtnClick();
    // Reads the words of a text file in place of the lists; false (lists
    // unchanged) when the file cannot be read, after showing why.
    bool LoadWords(const std::string& fileName);
    // Writes the list's words, one a line; false after showing why.
    bool SaveWords(const std::string& fileName);
    // The first "Schémas de coupe de mots %d.txt" of the current folder no file has.
    static std::string ProposedFileName();

private:
    void PatternLstBxClick();
    void LoadBtnClick();
    void SaveBtnClick();
    void OKBtnClick();
    int32_t SelectedIndex() const { return PatternLstBx->ItemIndex(); }
    std::vector<std::string> FPlain;
    // List clicks copy the item into the edit field (off while the dialog
    // changes the list itself).
    bool FListClicksCopy = true;
    // The update was started by a click in the list.
    bool FFromListClick = false;
};

// Edits the user's words of a language; on OK the lists are replaced and true
// is returned.
bool ExecuteCustomizeAutoHyph(std::vector<std::string>& plain, std::vector<std::string>& hyphenated,
                              int32_t languageId, const std::string& text);

// "Coupe de mots : Français" and the like: the language's display name.
std::string HyphLanguageName(int32_t languageId);
