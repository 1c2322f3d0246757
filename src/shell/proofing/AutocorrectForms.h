#pragma once
// The autocorrection dialogs of one language: the options dialog (the
// program-wide switches, the quote style, the replacement list and the ways
// to the exception and ordinal lists), the space rules dialog (the
// punctuation that takes a space before or after it) and the language flags
// dialog. Every change goes straight into the language's options and marks
// them modified; the options dialog has no cancel.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/runtime/Locale.h"
#include "shell/BaseForms.h"

class TAutocorrectLangOptions;
struct TLanguageExtraOptions;

class TAutocorrectOptionsForm : public TEldravinForm {
public:
    TAutocorrectOptionsForm(TComponent* owner, LANGID language);

    TCheckBox* AsYouTypeChkBx;
    TCheckBox* InitCapsChkBx;
    TCheckBox* CapSentChkBx;
    TButton* CapSentenceExceptBtn;
    TCheckBox* CapsLockChkBx;
    TCheckBox* RemoveSpacesChkBx;
    TButton* RulesBtn;
    TCheckBox* RplcQuotesChkBx;
    TRadioButton* SmartQuotesRadBtn;
    TRadioButton* FrQuotesRadBtn;
    TRadioButton* GerQuotesRadBtn;
    TRadioButton* GerGuillQuotesRadBtn;
    TCheckBox* FmtUrlChkBx;
    TCheckBox* OrdinalChkBx;
    TButton* OrdinalBtn;
    TButton* FileExtBtn;
    TCheckBox* FractChkBx;
    TButton* OtherExBtn;
    TCheckBox* RplcChkBx;
    TLabel* RplcLbl;
    TEdit* RplcEdit;
    TLabel* WithLbl;
    TEdit* WithEdit;
    TSpeedButton* CharMapSpdBtn;
    TListBox* RplcLstBx;
    TButton* AddBtn;
    TButton* RplcBtn;
    TButton* DelBtn;
    TCheckBox* SplchkChkBx;
    TButton* MoreOptBtn;
    TButton* CloseBtn;

    TAutocorrectLangOptions& Options() { return *FOptions; }
    LANGID Language() const { return FLanguage; }
    // Puts a text into RplcEdit and gives WithEdit the focus.
    void StartWithText(const std::string& text);
    // Brings every control in line with the options and the edits.
    void RefreshControls();

    // What the buttons do (the click handlers).
    void AddBtnClick();
    void RplcBtnClick();
    void DelBtnClick();
    void CharMapSpdBtnClick();
    void CapSentenceExceptBtnClick();
    void OtherExBtnClick();
    void OrdinalBtnClick();
    void FileExtBtnClick();
    void RulesBtnClick();
    void MoreOptBtnClick();

    // How the character button picks a character (default: the symbol window).
    std::function<uint8_t(const std::string& font, int32_t language)> PickChar;

private:
    void SwitchClick(TControl* sender);
    void EditsChange(TControl* sender);
    void ListClick();
    void RplcEditKeyDown(uint16_t& key);
    void FollowEdits();
    void DrawListItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state);
    // The list's index of a typed text; -1 when it is not there.
    int32_t IndexOfTyped(const std::string& typed) const;
    std::string ReplacementAt(int32_t index) const;
    TAutocorrectLangOptions* FOptions;
    LANGID FLanguage;
    bool FReady = false;
    bool FListClick = false;
    bool FSearchByReplacement = false;
};

class TAutocorrectRulesForm : public TStandardDialogForm {
public:
    TAutocorrectRulesForm(TComponent* owner, TAutocorrectLangOptions& options);
    TLabel* RightAdjLbl;
    TEdit* RightAdjEdit;
    TSpeedButton* RightCharMapBtn;
    TLabel* LeftAdjLbl;
    TEdit* LeftAdjEdit;
    TSpeedButton* LeftCharMapBtn;
    TCheckBox* TwoSpacesChkBx;
    TCheckBox* NonbrSpcsChkBx;

    // Writes the edits and boxes into the options.
    void Apply();
    // Appends a picked character to the edit (not twice, nothing below 33).
    void AppendChar(TEdit& edit, uint8_t character);
    std::function<uint8_t(const std::string& font, int32_t language)> PickChar;

private:
    TAutocorrectLangOptions& FOptions;
};

class TLangSpecificFlagsForm : public TStandardDialogForm {
public:
    explicit TLangSpecificFlagsForm(TComponent* owner);
    TCheckListBox* ChkLstBx;
};

// The options dialog of the language, modal; a text given goes into
// "Remplacer" and the focus to "Par". The spelling exceptions of the language
// are refreshed afterwards. True when it closed with OK.
bool ShowAutocorrectOptions(LANGID language, const std::string& text = std::string());
// The space rules dialog on the options; true on OK (the caller sets Modified).
bool ShowSpaceRules(TAutocorrectLangOptions& options);
// The language flags dialog; on OK each listed bit of flags is set from its
// item, the others kept. True on OK.
bool ShowLangSpecificFlags(const std::string& caption, const TLanguageExtraOptions& record, int32_t language,
                           int32_t& flags);

// The spelling side: reloads the exception words of a language's spelling
// system and restarts the systems. The spelling manager installs it; until
// then there is no spelling system to refresh.
using TSpellingExceptionsRefresher = std::function<void(int32_t language)>;
TSpellingExceptionsRefresher SetSpellingExceptionsRefresher(TSpellingExceptionsRefresher refresher);
void RefreshSpellingExceptions(int32_t language);
// Restarts every spelling system (after lists they read changed).
void RestartSpellingSystems();

// A sentence-case exception is at least two characters, ends with ".", "!"
// or "?", and has no other delimiter before that mark.
bool IsValidCapSentException(const std::string& text);
// "^s^" in a replacement as the visible mark of a non-breaking space.
std::string ShownReplacement(const std::string& replacement);
