#pragma once
// The optional messages: thirty-two questions and notices that the user may
// switch off, giving the answer the program is to take in their place. The
// answers live in the options' answer buffer, one byte per message id: 0 the
// message is shown; bit 7 set, it is not, and the low seven bits are the
// index of the answer to take.
//
// The message box asks these through ShowMessageDlgPreset with the message
// id: its host offers the id's buttons (OptionalMsgButtons) and tells whether
// the id is switched off (OptionalMsgSilenced); the message form then returns
// the stored answer at once (OptionalMsgPresetAnswer) instead of showing it.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/MessageDlg.h"

struct TOptionalMessage {
    const char* Text;  // "||" for a line break, "%s" and "%d" filled by the caller
    uint16_t Answers;  // bit N: answer N of the answer table is offered
};
extern const TOptionalMessage OptionalMessages[OptionalMessageCount];

// The answers: 0 "&Oui", 1 "&Non", 2 "OK", 3 "Annuler", 4 "A&bandonner",
// 5 "&Réessayer", 6 "I&gnorer", 7 "To&ut", 8 "Non à &tout", 9 "Ou&i à tout",
// 10 "&Aide".
constexpr int OptionalAnswerCount = 11;
extern const char* const OptionalAnswerCaptions[OptionalAnswerCount];
// The modal result an answer stands for (answer 10, help, gives 0).
int32_t OptionalAnswerResult(int answer);
// The message-box button of an answer.
TMsgDlgButtons OptionalAnswerButton(int answer);

// The buttons a message offers. Raises EInternalError for an id out of range.
TMsgDlgButtons OptionalMsgButtons(uint8_t id);
// The message is switched off: its byte has bit 7 set and holds an answer the
// message offers. A buffer too short for the id, or a stored answer the
// message does not offer, shows the message.
bool OptionalMsgSilenced(const std::vector<uint8_t>& answers, uint8_t id);
// The modal result of the stored answer of a switched-off message.
int32_t OptionalMsgStoredResult(const std::vector<uint8_t>& answers, uint8_t id);
// What the message form does first with a request: when it carries an optional
// message that is switched off, result becomes the stored answer's and true is
// returned (the message is not shown); otherwise false.
bool OptionalMsgPresetAnswer(const std::vector<uint8_t>& answers, const TMessageRequest& request, int32_t& result);

// The message as the dialog's list shows it: "||" as a blank, "%s" as "###",
// "%d" as "#"; with lineBreaks, "||" becomes a line break instead (the hint).
std::string OptionalMsgDisplayText(uint8_t id, bool lineBreaks);

// Runs the "Messages facultatifs" dialog on a copy of the answers; on OK the
// copy is written back. True when OK was pressed.
bool ExecuteOptionalMsgDialog(std::vector<uint8_t>& answers);
