#pragma once
// The "Messages facultatifs" dialog: one checked line per optional message
// (checked: the message is shown); for a message switched off, the answer the
// program takes in its place.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"

class TOptionalMsgForm : public TStandardDialogForm {
public:
    explicit TOptionalMsgForm(TComponent* owner);

    TLabel* ListLbl;
    TCheckListBox* ChkLstBx;
    TLabel* AnswerLbl;
    TComboBox* AnswerCmbBx;

    // Takes a copy of the answers (at least one byte per message) and fills the list.
    void Prepare(const std::vector<uint8_t>& answers);
    // The edited copy.
    const std::vector<uint8_t>& Answers() const { return FAnswers; }
    // Whether the line of an item was cut to fit the list.
    bool Shortened(int32_t index) const;

    void ChkLstBxClick();
    void ChkLstBxClickCheck();
    void ChkLstBxMouseMove(int32_t x, int32_t y);
    void AnswerCmbBxChange();

private:
    uint8_t SelectedId() const;
    // Shows the selected message's answer choice (or disables it).
    void RefreshSelection();
    std::vector<uint8_t> FAnswers;
    std::vector<bool> FShortened;
    // The answers the combo box lists, in its order.
    std::vector<int> FListedAnswers;
    int32_t FHintItem = -1;
    // Changes made while filling and refreshing are not the user's.
    bool FUpdating = false;
};
