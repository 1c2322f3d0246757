#pragma once
// The process-wide host of the windowing backend: it must exist before any
// window, font, device context or clipboard is used, and is torn down last.
#include <functional>

// Starts the host. Headless uses the offscreen platform (tests, CI, the one-shot
// switches that never show a window).
void StartPlatformHost(int& argc, char** argv, bool headless);
void StopPlatformHost();
bool PlatformHostRunning();

// Runs the event loop until QuitPlatformHost; returns the exit code.
int RunPlatformHost();
void QuitPlatformHost(int exitCode = 0);

// Processes pending events once (used by modal loops and tests).
void ProcessPlatformEvents();

// The desktop asks the program to end (the session ends, or the process is
// sent SIGTERM or SIGHUP): the handler runs on the user-interface thread from
// the event loop, never inside the signal. Without a handler the signal ends
// the process as it would by default. An empty handler removes it.
void SetTerminationRequestHandler(std::function<void()> handler);
