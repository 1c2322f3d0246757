// Entry point of the word processor.
#include "imaging/ImagingUnits.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Host.h"

#include <cstdio>

int main(int argc, char** argv)
{
    try {
        StartPlatformHost(argc, argv, false);
        // Every module's initialisation: the picture classes register with
        // the picture registry under their file extensions.
        InitializeImagingUnits();
        FinalizeImagingUnits();
        StopPlatformHost();
        return 0;
    } catch (const EAbort&) {
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "Anomalie : %s.\n", e.Message().c_str());
        return 1;
    }
}
