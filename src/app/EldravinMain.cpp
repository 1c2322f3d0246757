// Entry point of the word processor.
#include "foundation/settings/CmdLineSwitches.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Host.h"
#include "shell/startup/Startup.h"

#include <cstdio>

int main(int argc, char** argv)
{
    try {
        StartPlatformHost(argc, argv, false);
        SetProgramArguments(argc, argv);
        int exitCode = 0;
        {
            TProgramRun run;
            exitCode = run.Run();
        }
        StopPlatformHost();
        return exitCode;
    } catch (const EAbort&) {
        return 0;
    } catch (const std::exception& e) {
        // A failure before the program's message boxes exist.
        std::fprintf(stderr, "Anomalie : %s.\n", e.what());
        return 1;
    }
}
