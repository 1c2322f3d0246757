#include "shell/about/VersionInfo.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/Resources.h"
#include "shell/options/OptionsHolder.h"

const char* const ProgramTitle = "Eldravin 1.5";

namespace {
std::string g_FileVersion;
std::string g_VersionText;
}  // namespace

void ReadVersionInfo()
{
    // The version resource holds "Name=value" lines; the program reads the
    // file version of its string table.
    const TResourceData data = FindResourceData("VERSION", "VERSIONINFO");
    if (!data)
        throw EInternalError("La ressource de version du programme est absente.");
    std::string text(data.View());
    std::string value;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("FileVersion=", 0) == 0)
            value = line.substr(12);
        start = end + 1;
    }
    // The value is stored without its terminating zero.
    if (const size_t nul = value.find('\0'); nul != std::string::npos)
        value.resize(nul);
    g_FileVersion = value;
    g_VersionText = MakeVersionText(value);
}

const std::string& FileVersionText()
{
    return g_FileVersion;
}

const std::string& VersionText()
{
    return g_VersionText;
}

std::string MakeVersionText(const std::string& fileVersion)
{
    return fileVersion.substr(0, fileVersion.find('.')) + ".x Brightfold";
}

int32_t GetVersionNumber(const std::string& text)
{
    return VersionNumberOf(text);
}

int32_t CurrentVersionNumber()
{
    return VersionNumberOf(g_FileVersion);
}
