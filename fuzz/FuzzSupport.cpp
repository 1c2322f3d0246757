#include "FuzzSupport.h"

#include "document/model/Document.h"
#include "formats/DocumentFile.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "imaging/ImagingUnits.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/runtime/Host.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

extern "C" const char* __asan_default_options()
{
    // Libraries of the windowing host keep allocations for the whole run.
    return "detect_leaks=0";
}

void FuzzSetup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    std::string dir = (fs::temp_directory_path() / "eldravin-fuzz-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        std::abort();
    for (const char* sub : {"config", "tmp", "xdg-config", "runtime"})
        fs::create_directories(fs::path(dir) / sub);
    fs::permissions(fs::path(dir) / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setenv("ELDRAVIN_CONFIG_DIR", (fs::path(dir) / "config").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (fs::path(dir) / "xdg-config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (fs::path(dir) / "runtime").c_str(), 1);
    setenv("TMPDIR", (fs::path(dir) / "tmp").c_str(), 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    static int argc = 1;
    static char name[] = "eldravin-fuzz";
    static char* argv[] = {name, nullptr};
    StartPlatformHost(argc, argv, true);
    InitializeImagingUnits();
    CreateFontManager();
    CreateColorManager();
    CreateKerningPairsManager();
    CreateMeasurementsManager();
    CreateStyleManager();
    CreateParFormatingStateClipboard();
    CreateLineLayout();
    CreateDocumentLayout();
    // The windowing host goes before the libraries' own statics do: torn down
    // from its static destructor it would touch what they already freed.
    static std::string folder = dir;
    std::atexit([] {
        FreeDocumentLayout();
        FreeLineLayout();
        FreeParFormatingStateClipboard();
        FreeStyleManager();
        FreeMeasurementsManager();
        FreeKerningPairsManager();
        FreeColorManager();
        FreeFontManager();
        FinalizeImagingUnits();
        StopPlatformHost();
        std::error_code ec;
        fs::remove_all(folder, ec);
    });
}

bool FuzzLoad(TDocument& document, const uint8_t* data, size_t size, int32_t coding)
{
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = coding;
    request.Buffer = data;
    request.BufferSize = static_cast<int32_t>(size);
    return LoadFromFile(document, request);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSetup();
    return 0;
}
