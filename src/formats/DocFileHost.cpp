#include "formats/DocFileHost.h"

#include "platform/runtime/FileNames.h"

namespace {

TDocFileHost* g_Host = nullptr;

}  // namespace

std::string TDocFileHost::DocTemplate(int32_t slot)
{
    return slot == 4 || slot == 5 ? "Plain.rtf" : "Normal.rtf";
}

std::string TDocFileHost::DisplayFileName(const std::string& fileName, int32_t /*width*/)
{
    return ExtractFileName(fileName);
}

TDocFileHost& DocFileHost()
{
    static TDocFileHost factory;
    return g_Host ? *g_Host : factory;
}

TDocFileHost* SetDocFileHost(TDocFileHost* host)
{
    TDocFileHost* previous = g_Host;
    g_Host = host;
    return previous;
}
