// The document model's host in the program: the dialogs that the document
// asks for through it. Every other service keeps the host's factory answer
// until the shell gives one of its own here.
#include "document/model/DocumentHost.h"
#include "shell/proofing/ManualHyphForm.h"
#include "shell/startup/ProgramHosts.h"

namespace {

class TShellDocumentHost : public TDocumentHost {
public:
    bool ExecuteManualHyphenation(const std::string& word, int32_t language, const std::vector<int32_t>& points,
                                  int32_t minBefore, int32_t minAfter, int32_t& chosen) override
    {
        return ::ExecuteManualHyphenation(word, language, points, minBefore, minAfter, chosen);
    }
};

TShellDocumentHost* g_DocumentHost = nullptr;
TDocumentHost* g_PreviousDocumentHost = nullptr;

}  // namespace

void InstallShellDocumentHost()
{
    if (g_DocumentHost)
        return;
    g_DocumentHost = new TShellDocumentHost;
    g_PreviousDocumentHost = SetDocumentHost(g_DocumentHost);
}

void RemoveShellDocumentHost()
{
    if (!g_DocumentHost)
        return;
    SetDocumentHost(g_PreviousDocumentHost);
    delete g_DocumentHost;
    g_DocumentHost = nullptr;
}
