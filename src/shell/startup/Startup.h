#pragma once
// The program's run, from the entry routine: start-up creates the global
// managers in a fixed order, handles the switches that end the run, loads the
// settings, creates and shows the main frame and opens the command-line
// documents; the message loop runs; shutdown saves the settings and frees
// everything in the reverse order; the end of run shows a downloaded update
// and deletes the program's temporary files.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSettingsStorage;

// The silent end of a start-up step that ends the run.
enum class TStartResult : uint8_t { Running, Quit, Failed };

class TProgramRun {
public:
    TProgramRun();
    // Frees what a failed start-up left.
    ~TProgramRun();
    TProgramRun(const TProgramRun&) = delete;
    TProgramRun& operator=(const TProgramRun&) = delete;

    // Start-up up to the message loop. Quit: a one-shot switch ended the run;
    // Failed: a failure was reported ("Anomalie :||%s.") and what was made is
    // freed without saving the settings.
    TStartResult Start();
    // The message loop, until the application terminates.
    void RunMessageLoop();
    // Saves the settings and frees everything, in the shutdown order.
    void Shutdown();
    // Shows the downloaded update, deletes the temporary files and ends the
    // framework's modules. Runs after every kind of run.
    void EndOfRun();

    // The whole run; the process's exit code (0, or 1 after a failure).
    int Run();

private:
    void FreeAfterFailure();
    std::unique_ptr<TSettingsStorage> FStore;
    bool FStarted = false;
    bool FModulesUp = false;
};

// The steps the current run took, in order, by name ("options holder",
// "shared managers", "main frame", ...; freed objects as "free ..."). Tests read it.
std::vector<std::string>& StartupTrace();
// Called with each step's name as it is traced; an exception it raises is a
// failure of that step (tests use it to fail a run at a chosen step).
void SetStartupObserver(std::function<void(const std::string& step)> observer);

// The frame is shown only after the start-up documents were handled.
extern bool DeferredShow;
// The session name of the switch "sn".
const std::string& SessionName();
