#pragma once
// Message boxes. Every message, warning, error and question of the program goes
// through ShowMessageDlg. Showing it is the business of an answerer: the
// application shell installs the program's message form at start-up, and tests
// install answerers that reply as the test says. Around the dialog the shell's
// host keeps the application consistent (its state word, the foreground popup,
// the event sounds, the status bar); without a host those steps have nothing to
// act on and are skipped.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/ModalResults.h"  // the modal results buttons answer

// Message type: the framework's dialog types.
enum TMsgDlgType : uint8_t {
    mtWarning = 0,
    mtError = 1,
    mtInformation = 2,
    mtConfirmation = 3,
    mtCustom = 4,  // 4 and above: other kinds, which play no sound
};

// Button set: bit N stands for button N of this list.
using TMsgDlgButtons = uint16_t;
constexpr TMsgDlgButtons mbYes = 0x0001;
constexpr TMsgDlgButtons mbNo = 0x0002;
constexpr TMsgDlgButtons mbOK = 0x0004;
constexpr TMsgDlgButtons mbCancel = 0x0008;
constexpr TMsgDlgButtons mbAbort = 0x0010;
constexpr TMsgDlgButtons mbRetry = 0x0020;
constexpr TMsgDlgButtons mbIgnore = 0x0040;
constexpr TMsgDlgButtons mbAll = 0x0080;
constexpr TMsgDlgButtons mbNoToAll = 0x0100;
constexpr TMsgDlgButtons mbYesToAll = 0x0200;
constexpr TMsgDlgButtons mbHelp = 0x0400;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbYesCancel = mbYes | mbCancel;

// No optional-message preset.
constexpr uint8_t NoMessagePreset = 255;
constexpr int OptionalMessageCount = 32;

// Where a message appears: the program's message form, or the system's message
// box (while the application is terminating, and for ShowErrorBox).
enum class TMessageBoxKind : uint8_t { MessageForm, SystemBox };

// One message as it is shown: line breaks already real, "&" doubled for the
// message form.
struct TMessageRequest {
    TMessageBoxKind Kind = TMessageBoxKind::MessageForm;
    std::string Text;
    // The system box: the application's title, or empty; the message form:
    // the caption its caller gives, empty for the form's own.
    std::string Caption;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = mbOK;
    uint8_t Preset = NoMessagePreset;
};

// Shows a message and returns the modal result of the button chosen.
class TMessageAnswerer {
public:
    virtual ~TMessageAnswerer() = default;
    virtual int32_t Answer(const TMessageRequest& request) = 0;
};

// The application shell's side of a message box.
class TMessageDlgHost {
public:
    virtual ~TMessageDlgHost() = default;
    // The application's message loop has received the quit message.
    virtual bool ApplicationTerminating() = 0;
    virtual std::string ApplicationTitle() = 0;
    // Before the dialog: saves the options' state word and clears its bit 0x400,
    // brings the last active popup forward (unless terminating) and remembers
    // whether the application's window is visible.
    virtual void BeginMessage() = 0;
    // After the dialog: hides the application's window again when it was
    // hidden, restores the state word.
    virtual void EndMessage() = 0;
    // The button set that an optional-message preset offers, and whether the
    // user silenced it.
    virtual TMsgDlgButtons PresetButtons(uint8_t preset) = 0;
    virtual bool PresetSilenced(uint8_t preset) = 0;
    // Fires a program event (the sound manager plays its sound).
    virtual void FireProgramEvent(int32_t eventId) = 0;
    // When the main frame exists: clears status-bar panel 6, asks the frame to
    // lay itself out again and flags the active document's window for repaint.
    virtual void MessageShown() = 0;
};

// Install the answerer and the host (nullptr removes); each returns the previous one.
TMessageAnswerer* SetMessageAnswerer(TMessageAnswerer* answerer);
TMessageDlgHost* SetMessageDlgHost(TMessageDlgHost* host);

// While set, no message is shown or queued; ShowMessageDlg returns 2.
void SetMessagesQuiet(bool quiet);
bool MessagesQuiet();

// The preset of the message being shown; NoMessagePreset at all other times.
uint8_t CurrentMessagePreset();

// Shows the text ("||" for line breaks) and returns the modal result. Raises
// EInternalError when no answerer is installed: a question nobody can answer is
// a program fault, never a silent "Cancel".
int32_t ShowMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// The same with a caption of its own for the message form.
int32_t ShowMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                       const std::string& caption);
// An optional message: the preset's button set (from the host, which raises
// EInternalError when there is none or the preset is out of range).
int32_t ShowMessageDlgPreset(const std::string& text, TMsgDlgType type, uint8_t preset);
void ShowInformation(const std::string& text);
void ShowWarning(const std::string& text);
void ShowError(const std::string& text);
// The system message box with the error icon and no caption of its own.
void ShowErrorBox(const std::string& text);

// A message to show later, when the main frame gets to it.
struct TQueuedMessage {
    std::string Text;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = mbOK;
    uint8_t Flag = NoMessagePreset;  // the main frame reads it as the preset to show the message with
};
// Appends to the deferred messages unless messages are quiet.
void QueueMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, uint8_t flag);
// Takes the deferred messages in order, leaving none (the main frame shows them).
std::vector<TQueuedMessage> TakeQueuedMessages();
