#include "shell/help/HelpManager.h"

#include "foundation/MessageDlg.h"
#include "foundation/ShellHelpers.h"
#include "foundation/resources/ResourceStrings.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/DesktopPages.h"
#include "shell/BaseForms.h"
#include "shell/commands/ProgramEvents.h"

#include <memory>

const char* const HelpEngineDownloadURL = "http://www.eldravin.fr/aide/navigateur.htm";

namespace {

std::unique_ptr<THelpManager>& Instance()
{
    static std::unique_ptr<THelpManager> manager;
    return manager;
}

// The pages the contents and the index of the help are.
constexpr const char* ContentsPage = "contents.htm";
constexpr const char* IndexPage = "index.htm";

}  // namespace

THelpManager::THelpManager()
    : HelpFile(ProgramFolder() + "Aide"), FIndexTable(LoadResourceData("HELPINDEXTABLE", "HELPINDEXTABLE"))
{
}

THelpManager::~THelpManager() = default;

bool THelpManager::EnsureEngine()
{
    if (!DesktopCanOpenURLs()) {
        if (!Quiet &&
            ShowMessageDlg("Impossible de lancer le moteur d'aide HTML. Il est possible que ce moteur ne soit pas "
                           "correctement installé ou configuré sur votre PC.||Nous vous recommandons de vous rendre "
                           "sur notre site pour y télécharger la toute dernière version de ce moteur d'aide "
                           "HTML.||Voulez-vous télécharger cette toute dernière version du moteur d'aide HTML tout "
                           "de suite ?",
                           mtWarning, mbYesNo) == mrYes)
            OpenHyperlinkTarget(HelpEngineDownloadURL);
        return false;
    }
    if (!Quiet && !DirectoryExists(HelpFile)) {
        ShowWarning(Format("Impossible de trouver le fichier d'aide||\"%s\".||Il est peut-être nécessaire de le "
                           "réinstaller.",
                           {HelpFile}));
        return false;
    }
    return true;
}

std::string THelpManager::PageOfContext(int32_t helpContext) const
{
    if (helpContext < 0)
        return {};
    return LookupIndexedString(FIndexTable, static_cast<uint32_t>(helpContext));
}

void THelpManager::ShowPage(const std::string& page)
{
    const size_t hash = page.find('#');
    const std::string file = HelpFile + "/html/" + page.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : page.substr(hash + 1);
    OpenURLOnDesktop(FileURL(file, anchor));
    FireEvent(8300);
}

void THelpManager::ShowTopic(int32_t helpContext)
{
    if (!EnsureEngine())
        return;
    const std::string page = PageOfContext(helpContext);
    if (page.empty())
        return;
    ShowPage(page);
}

void THelpManager::ShowContents()
{
    if (EnsureEngine())
        ShowPage(ContentsPage);
}

void THelpManager::ShowIndex()
{
    if (EnsureEngine())
        ShowPage(IndexPage);
}

THelpManager& GetHelpManager()
{
    if (!Instance())
        Instance() = std::make_unique<THelpManager>();
    return *Instance();
}

void FreeHelpManager()
{
    Instance().reset();
}
