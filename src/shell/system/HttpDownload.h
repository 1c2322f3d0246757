#pragma once
// Downloading one resource from the vendor's web server into a local file,
// with retry prompts when the connection fails and resumption at the byte
// where an interrupted transfer stopped. It runs on the user-interface thread
// (the update list) or on a worker thread (the installer); a worker never
// shows a message itself but hands each question to the user-interface
// thread through the shared request record and waits for the answer.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "foundation/MessageDlg.h"

enum TUiRequestState : uint8_t {
    ursIdle = 0,
    ursRunning = 1,   // a download runs on the worker
    ursPaused = 2,    // the user-interface thread shows a dialog; the worker waits
    ursDone = 3,      // complete, or the user asked to stop
    ursFailed = 4,
    ursPending = 5,   // the worker waits for the answer to a question
    ursAnswered = 6,
};

// The record a worker and the user-interface thread share. Every field is
// read and written under the lock; waiting sides sleep on the condition
// instead of spinning. The progress counters are atomics the dialog's timer
// copies into its progress bar (a worker never touches a control).
class TUiRequest {
public:
    TUiRequestState State();
    void SetState(TUiRequestState state);
    // Sets the state only when it is still `expected`; true when it was.
    bool ChangeState(TUiRequestState expected, TUiRequestState state);

    // The worker's side: posts the question and waits for its answer.
    int32_t Ask(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
    // The worker's side: waits while the user-interface thread has it paused.
    void WaitWhilePaused();
    // The worker's side: once not paused, moves from `expected` to `state`.
    bool WorkerChangeState(TUiRequestState expected, TUiRequestState state);

    // The user-interface side: takes the pending question (false when none).
    bool TakeQuestion(std::string& text, TMsgDlgType& type, TMsgDlgButtons& buttons);
    void SetAnswer(int32_t answer);

    std::atomic<int64_t> Position{0};
    // The length to show; -1 while it is unknown (the bar shows activity only).
    std::atomic<int64_t> Maximum{-1};

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    TUiRequestState FState = ursIdle;
    std::string FText;
    TMsgDlgType FType = mtInformation;
    TMsgDlgButtons FButtons = mbOK;
    int32_t FAnswer = 0;
};

extern TUiRequest UiRequest;

// True on the thread that runs the application's windows.
bool OnUserInterfaceThread();

// Shows the message on the user-interface thread, or hands it to that thread
// through UiRequest from any other thread; the modal result.
int32_t AskUser(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// The connection-failure prompt; true means Retry.
bool ConfirmConnectionRetry(const std::string& host);

// GET of host + "/" + path into fileName. host is "scheme://name[:port]";
// a bare name means https. With progress set, UiRequest's counters follow the
// transfer. True when the whole resource was received (and, when the server
// gave a length, exactly that many bytes); otherwise the file is deleted.
bool DownloadUrlToFile(const std::string& host, const std::string& path, const std::string& fileName,
                       bool progress);

// The address a download of path from host fetches.
std::string DownloadUrl(const std::string& host, const std::string& path);
