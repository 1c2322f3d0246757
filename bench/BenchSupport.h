#pragma once
// What several benchmark programs share: the generated test document, the
// peak memory of the process and the managers a document needs.
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/StyleManager.h"
#include "platform/runtime/Folders.h"

#include <sys/resource.h>

#include <cstdlib>
#include <string>

// The generated RTF document of that many pages, written into the temporary
// folder by the shared generator.
inline std::string GeneratedFile(int pages)
{
    const std::string path = GetTempPath() + "eldravin-bench-" + std::to_string(pages) + ".rtf";
    const std::string command = std::string("python3 '") + ELDRAVIN_SHARED_DIR + "/bench/gen_rtf.py' " +
                                std::to_string(pages) + " 1 > '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::abort();
    return path;
}

// The largest resident size of the process so far, in megabytes.
inline double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The font, colour and style managers for the length of a benchmark.
struct TManagers {
    TManagers()
    {
        CreateFontManager();
        CreateColorManager();
        CreateStyleManager();
    }
    ~TManagers()
    {
        FreeStyleManager();
        FreeColorManager();
        FreeFontManager();
    }
    TManagers(const TManagers&) = delete;
    TManagers& operator=(const TManagers&) = delete;
};
