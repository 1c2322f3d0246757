#include "shell/startup/ProgramHosts.h"

#include "foundation/MessageDlg.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/SharedManagersHost.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"
#include "shell/commands/OptionalMessages.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"

namespace {

class TShellMessageDlgHost : public TMessageDlgHost {
public:
    bool ApplicationTerminating() override;
    std::string ApplicationTitle() override;
    void BeginMessage() override;
    void EndMessage() override;
    // The optional messages' button sets and answers are the optional-message
    // table's; until it is joined here a preset is a fault of its caller.
    TMsgDlgButtons PresetButtons(uint8_t preset) override;
    bool PresetSilenced(uint8_t preset) override;
    void FireProgramEvent(int32_t eventId) override;
    void MessageShown() override;

private:
    bool FApplicationWasVisible = true;
};

class TShellSharedManagersHost : public TSharedManagersHost {
public:
    uint8_t MeasurementUnit() override;
    bool FavouriteFontsOnly() override;
    const TColorScheme* OptionsColorScheme() override;
    void ColorsChanged() override;
};

}  // namespace

// --- message boxes -----------------------------------------------------------------------

bool TShellMessageDlgHost::ApplicationTerminating()
{
    return Application && Application->Terminated();
}

std::string TShellMessageDlgHost::ApplicationTitle()
{
    return Application ? Application->Title() : std::string();
}

void TShellMessageDlgHost::BeginMessage()
{
    FApplicationWasVisible = !MainForm || MainForm->Visible();
}

void TShellMessageDlgHost::EndMessage()
{
    if (MainForm && !FApplicationWasVisible && MainForm->Visible())
        MainForm->Hide();
}

TMsgDlgButtons TShellMessageDlgHost::PresetButtons(uint8_t preset)
{
    return OptionalMsgButtons(preset);
}

bool TShellMessageDlgHost::PresetSilenced(uint8_t preset)
{
    return OptionsHolder && OptionalMsgSilenced(OptionsHolder->OptionalMsgs, preset);
}

void TShellMessageDlgHost::FireProgramEvent(int32_t eventId)
{
    // Program events reach their listeners (the sounds) through the event
    // manager; an event nobody listens to goes nowhere.
    FireEvent(eventId);
}

void TShellMessageDlgHost::MessageShown()
{
    if (!MainForm)
        return;
    MainForm->StatusBar()->Panels(6).SetText("");
    MainForm->RequestLayout();
}

// --- shared managers ---------------------------------------------------------------------

uint8_t TShellSharedManagersHost::MeasurementUnit()
{
    return OptionsHolder ? static_cast<uint8_t>(OptionsHolder->Measurements) : 0;
}

bool TShellSharedManagersHost::FavouriteFontsOnly()
{
    return OptionsHolder && OptionsHolder->FavFonts;
}

const TColorScheme* TShellSharedManagersHost::OptionsColorScheme()
{
    return OptionsHolder ? OptionsHolder->ColorScheme.get() : nullptr;
}

void TShellSharedManagersHost::ColorsChanged()
{
    if (!MainForm)
        return;
    for (int i = 0; i < MainForm->MDIChildCount(); ++i)
        MainForm->MDIChildren(i)->Invalidate();
}

// --- installation -------------------------------------------------------------------------

namespace {
struct THosts {
    TShellMessageDlgHost Messages;
    TShellSharedManagersHost Managers;
    TMessageDlgHost* PreviousMessages = nullptr;
    TSharedManagersHost* PreviousManagers = nullptr;
};
THosts* g_Hosts = nullptr;
}  // namespace

void InstallProgramHosts()
{
    if (g_Hosts)
        return;
    g_Hosts = new THosts;
    g_Hosts->PreviousMessages = SetMessageDlgHost(&g_Hosts->Messages);
    InstallShellDocFileHost();
    InstallShellDocumentHost();
    g_Hosts->PreviousManagers = SetSharedManagersHost(&g_Hosts->Managers);
}

void RemoveProgramHosts()
{
    if (!g_Hosts)
        return;
    SetMessageDlgHost(g_Hosts->PreviousMessages);
    RemoveShellDocFileHost();
    RemoveShellDocumentHost();
    SetSharedManagersHost(g_Hosts->PreviousManagers);
    delete g_Hosts;
    g_Hosts = nullptr;
}
