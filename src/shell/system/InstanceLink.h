#pragma once
// The single-instance link: a second start hands its work (restore, a new
// document, files to open or print) to the instance that already runs
// instead of opening a second frame. Each running instance answers requests
// on a socket private to the user; a request is a command code and an
// optional text (a file name, the session text), the answer a number.
#include <cstdint>
#include <string>

enum TInstanceCommand : uint8_t {
    icRestore = 0,
    icStartedWithoutDocuments = 1,
    icCanTakeWork = 2,
    icOpenFile = 3,
    icPrintFile = 4,
    icWindowState = 5,
    icSessionCheck = 6,
    icMinimize = 7,
    icBackToTray = 8,
};

// Search modes: 0 any instance; 1 and 3 one that can take work; 2 and 4 one
// hidden in the system tray.
using TInstanceSearchMode = uint8_t;

// The first running instance that satisfies the mode (its link address), or
// empty.
std::string FindInstanceWindow(TInstanceSearchMode mode);
// Sends a command to a found instance; its answer (0 when it cannot be reached).
int32_t SendInstanceCommand(const std::string& instance, TInstanceCommand code, int32_t parameter = 0);
int32_t SendInstanceCommandText(const std::string& instance, TInstanceCommand code, const std::string& text);
bool IsTrayInstanceRunning();
// The sender, run once during start-up: true when a running instance took
// this start's work (the start then ends).
bool HandOffToRunningInstance();

// The receiver: this instance's answer to a request (the main frame's
// handling of the link's message).
int32_t WMInstanceCommand(uint8_t code, const std::string& text);

// Opens this instance's end of the link; requests are answered as the event
// loop runs. A failure leaves the instance without a link (it still runs).
void StartInstanceLink();
void StopInstanceLink();
