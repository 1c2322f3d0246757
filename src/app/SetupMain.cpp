// Entry point of the setup program: it carries the files it installs behind
// its own image.
#include "foundation/SystemMessageBox.h"
#include "installer/SetupProgram.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Host.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    try {
        StartPlatformHost(argc, argv, false);
        std::vector<std::string> args(argv + 1, argv + argc);
        InitApplication();
        TSystemMessageBox messageBox;
        TMessageAnswerer* previous = SetMessageAnswerer(&messageBox);
        const int code = RunSetup(GetModuleFileName(), args);
        SetMessageAnswerer(previous);
        DoneApplication();
        StopPlatformHost();
        return code;
    } catch (const EAbort&) {
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "Anomalie : %s.\n", e.Message().c_str());
        return 1;
    }
}
