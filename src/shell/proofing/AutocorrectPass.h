#pragma once
// Autocorrection over a document on request. The whole-document pass walks
// the text word by word and, for each change, asks in a small modeless popup
// whether to keep it while the change blinks in the text; a silent variant
// turns web addresses into links without asking; the range variant corrects
// a freshly inserted text without asking.
#include <cstdint>
#include <string>

#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/runtime/Locale.h"
#include "shell/BaseForms.h"

class TDocument;
struct TTextRange;

// The popup's results.
constexpr uint8_t acrNone = 0;
constexpr uint8_t acrAccept = 1;
constexpr uint8_t acrAcceptAll = 2;
constexpr uint8_t acrAcceptEverything = 3;
constexpr uint8_t acrReject = 4;
constexpr uint8_t acrRejectAll = 5;
constexpr uint8_t acrCancel = 6;

// The popup's blink timer.
constexpr uintptr_t AutocorrectBlinkTimer = 13;

class TAutocorrectForm : public TEldravinForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TAutocorrectForm(TComponent* owner);

    TSpeedButton* AddExceptSpdBtn;
    TSpeedButton* OptSpdBtn;
    TLabel* Correct2Lbl;
    TButton* AcceptBtn;
    TButton* AcceptAllBtn;
    TButton* AutoCorrectAllBtn;
    TButton* RejectBtn;
    TButton* RejectAllBtn;
    TButton* CancelBtn;

    // 1 while the blink shows the text as it was before the change.
    uint8_t BlinkState = 0;
    uint8_t BlinkTick = 0;
    LANGID Language = 0;
    // The word the exceptions button adds.
    std::string Word;
    uint8_t Busy = 0;
    uint8_t Result = acrNone;
    // The document whose last change blinks.
    TDocument* Document = nullptr;

    void BtnClick(uint8_t result);
    void AddExceptSpdBtnClick();
    void OptionsSpdBtnClick();
    // One tick of the blink: the change is undone at 6 and redone at 0.
    void BlinkStep();
    // Stops the blink with the corrected text standing.
    void StopBlink();

protected:
    void DoClose(TCloseAction& action) override;
    void WMTimer(TMessage& m);
};

// Shows the popup (made on first use and kept for the run) for a change of
// the document; result 1 to 6, or 0 in busy mode when nothing was pressed.
uint8_t ShowAutocorrectPopup(TDocument* document, const std::string& word, LANGID language,
                             const std::string& description, bool busy);
// The popup when it was made, else null.
TAutocorrectForm* AutocorrectPopup();
void FreeAutocorrectPopup();

// The text that tells what a change of a kind does (lines split by carriage
// returns), after the engine made it.
std::string AutocorrectChangeDescription(int32_t kind, LANGID language);

// The whole-document pass; silent: the whole body, web addresses only, no
// question. Returns the number of changes kept.
int32_t AutocorrectDocument(TDocument& document, bool silent = false);
// The kinds of the mask over the words of a range, without asking.
void AutocorrectRange(TDocument& document, const TTextRange& range, uint16_t kinds);
