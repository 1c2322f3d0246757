#pragma once
// The manual hyphenation dialog: the word large in a box of its own with the
// suggested break points as red lines; the user clicks the gap where the word
// is to be broken and accepts ("&Couper"), refuses ("&Pas de coupe") or stops
// the run ("Annuler"). The user's word list can be edited from it, after
// which the suggestions are computed again.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/NotSet.h"
#include "platform/framework/Controls.h"
#include "platform/framework/controls/Buttons.h"
#include "shell/BaseForms.h"

class TManualHyphForm;

class THyphenationBox : public TCustomControl {
public:
    THyphenationBox(TComponent* owner, TManualHyphForm* form);

    // "Not yet set", before the first selection.
    static constexpr int32_t SelectionNotSet = NotSet;

    std::vector<int32_t> CharPositions;
    std::string Word;
    std::vector<int32_t> Points;
    int32_t MinBefore = 0;
    int32_t MinAfter = 0;
    int32_t Selection() const { return FSelection; }

    // Takes the word and its suggestions, measures the characters and selects
    // each allowed suggestion in turn (the last one stays selected).
    void SetWord(const std::string& word, const std::vector<int32_t>& points, int32_t minBefore, int32_t minAfter);
    // Selects each allowed suggestion in list order; -1 when none is allowed.
    void SelectSuggestions();
    bool Allowed(int32_t point) const;
    void SetSelection(int32_t point);
    int32_t WordWidth() const { return CharPositions.empty() ? 0 : CharPositions.back(); }
    int32_t TextHeight();
    // The x of a gap's line (the gap after the first i characters).
    int32_t GapX(int32_t i) const { return CharPositions[static_cast<size_t>(i)] + 3; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    TManualHyphForm* FForm;
    int32_t FSelection = SelectionNotSet;
};

class TManualHyphForm : public TEldravinForm {
public:
    explicit TManualHyphForm(TComponent* owner);

    THyphenationBox* Box;
    TLabel* Lbl1;
    TLabel* Lbl2;
    TButton* YesBtn;
    TButton* NoBtn;
    TButton* CustomizeBtn;
    TButton* CancelBtn;
    int32_t LanguageId() const { return FLanguageId; }

    // Fills the box and lays the form out.
    void Prepare(const std::string& word, int32_t languageId, const std::vector<int32_t>& points,
                 int32_t minBefore, int32_t minAfter);
    // The box's selection changed: "&Couper" follows it.
    void SelectionChanged(int32_t selection);
    void CustomizeBtnClick();

private:
    void Arrange();
    int32_t FLanguageId = 0;
};

// Asks where a word is to be broken: false when the user cancelled the run;
// otherwise true with the chosen point, or -1 when the word is not broken.
bool ExecuteManualHyphenation(const std::string& word, int32_t languageId, const std::vector<int32_t>& points,
                              int32_t minBefore, int32_t minAfter, int32_t& chosen);

// Forgets where the dialog was last left (it then opens at its first place).
void ResetManualHyphPosition();
