#pragma once
// The language chooser: a small modal dialog in which the user picks the
// language of text, the attribute that decides which spelling system checks a
// word. The recently used languages come first, then (on request) no
// language, then every language the system names.
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"

#include <cstdint>
#include <string>

// Option flags: offer an entry for no language; count the dialog as a choice
// even when the language did not change.
constexpr uint8_t clfOfferNoLanguage = 1;
constexpr uint8_t clfAlwaysChoice = 2;

class TChooseLangForm : public TStandardDialogForm {
public:
    TChooseLangForm(TComponent* owner, int32_t language, uint8_t flags);

    TListBox* LanguageListBox;
    // The chosen language (LanguageNotSet before a choice).
    int32_t Language;
    uint8_t Flags;
    // The language of each list entry.
    std::vector<int32_t> EntryLanguages;
    // The index of the last entry of the recently used group.
    int32_t LastRecentEntry = -1;

    void DialogButtonClick(TControl* sender) override;
    // Takes the selected entry's language, puts it first among the recently
    // used ones and closes with OK.
    void Confirm();

private:
    void FillList(int32_t language);
    void AddEntry(int32_t language);
};

// Runs the chooser; true when it closed with OK and the chosen language
// differs from the given one (or clfAlwaysChoice is set): the variable then
// holds the chosen language.
bool AskTextLanguage(int32_t& language, uint8_t flags, const std::string& caption, int32_t helpTopic);
