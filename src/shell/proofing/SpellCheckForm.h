#pragma once
// The spelling dialog of the interactive check and the decision the check
// asks for each misspelled or doubled word: go on, replace it (by the
// dictionary's automatic replacement or the user's choice), mark it (quiet
// checks) or end the run. The dialog is made at the first misspelling of the
// program run and kept.
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"
#include "shell/proofing/SpellCheckManager.h"

#include <cstdint>
#include <string>

class TDocument;
class TLabel;
class TSpellCheckSystem;

// Actions returned to the check loop.
constexpr uint8_t saGoOn = 0;
constexpr uint8_t saReplace = 1;
constexpr uint8_t saMisspelled = 2;
constexpr uint8_t saCancel = 3;
// Flags of AskSpellingAction: the word is a doubled word (the previous word,
// blanks and the word); the check is quiet (no dialog).
constexpr uint8_t sfDoubled = 1;
constexpr uint8_t sfQuiet = 2;

uint8_t AskSpellingAction(const std::string& word, int32_t language, const TSpellWordRange& range,
                          std::string& replacement, uint8_t flags, TSpellCheckSystem& system, TDocument& document);

class TSpellCheckForm : public TEldravinForm {
public:
    explicit TSpellCheckForm(TComponent* owner);

    TLabel* MisspelledWordLabel;
    TEdit* MisspelledWordEdit;
    TLabel* ReplaceWithLabel;
    TEdit* ReplaceWithEdit;
    TListBox* SuggestionListBox;
    TButton* ChangeBtn;
    TButton* ChangeAllBtn;
    TButton* IgnoreBtn;
    TButton* IgnoreAllBtn;
    TButton* AddToLexBtn;
    TButton* AddReplacementToLexBtn;
    TComboBox* LexComboBox;
    TButton* EditLexBtn;
    TButton* AutocorrectBtn;
    TButton* CancelBtn;

    // Fills the dialog for a word; suggestions is the engine's buffer (null
    // for a doubled word).
    void Prepare(const std::string& word, const std::string& replacement, const char* suggestions, size_t size,
                 bool doubled, int32_t language, TSpellCheckSystem& system, TDocument& document);
    // The action chosen when the dialog closed, and the replacement text.
    uint8_t Action() const { return FAction; }
    std::string Replacement() const { return ReplaceWithEdit->Text(); }
    void ButtonClick(int32_t tag);
    // Edits the chosen personal dictionary with the string-list editor.
    void EditPersonalDictionary();
    void RefreshHints();

private:
    bool ConfirmFullCheck();
    int32_t ChosenDictionary() const;

    uint8_t FAction = saCancel;
    bool FDoubled = false;
    int32_t FLanguage = 0;
    TSpellCheckSystem* FSystem = nullptr;
    TDocument* FDocument = nullptr;
};

// The kept dialog (made on first use) and its end with the spelling manager.
TSpellCheckForm& GetSpellCheckForm();
void FreeSpellCheckForm();
