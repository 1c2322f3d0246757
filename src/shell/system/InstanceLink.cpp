#include "shell/system/InstanceLink.h"

#include "formats/DocDispatcher.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/StringList.h"
#include "platform/win/LocalLink.h"
#include "shell/BaseForms.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/startup/Startup.h"

#include <cstdio>

namespace {

constexpr int32_t MaxDocumentsForWork = 50;

std::string SessionText(const std::string& name)
{
    return "Session: " + name;
}

bool Satisfies(const std::string& instance, TInstanceSearchMode mode)
{
    switch (mode) {
    case 1:
    case 3:
        return SendInstanceCommand(instance, icCanTakeWork) != 0;
    case 2:
    case 4:
        return SendInstanceCommand(instance, icWindowState) == 2;
    default: {
        // Any instance that answers at all.
        int32_t answer = 0;
        return SendLocalLinkRequest(instance, icWindowState, "", answer);
    }
    }
}

bool FrameBusy()
{
    return MainForm->HasFlag(ffCommandRunning) || MainForm->HasFlag(ffOpeningDocument);
}

int32_t WindowStateAnswer()
{
    if (MainForm->HasFlag(ffInSystemTray))
        return 2;
    return MainForm->WindowState() == TWindowState::wsMinimized ? 1 : 0;
}

}  // namespace

std::string FindInstanceWindow(TInstanceSearchMode mode)
{
    for (const std::string& instance : LocalLinkSockets())
        if (Satisfies(instance, mode))
            return instance;
    return {};
}

int32_t SendInstanceCommand(const std::string& instance, TInstanceCommand code, int32_t parameter)
{
    (void)parameter;  // no command carries a number
    int32_t answer = 0;
    return SendLocalLinkRequest(instance, code, "", answer) ? answer : 0;
}

int32_t SendInstanceCommandText(const std::string& instance, TInstanceCommand code, const std::string& text)
{
    int32_t answer = 0;
    return SendLocalLinkRequest(instance, code, text, answer) ? answer : 0;
}

bool IsTrayInstanceRunning()
{
    return !FindInstanceWindow(4).empty();
}

bool HandOffToRunningInstance()
{
    TInstanceSearchMode mode = 2;
    switch (StartMode()) {
    case smNoDocuments: mode = 2; break;
    case smOpenDocuments: mode = 1; break;
    case smPrintDocuments:
        if (HasSwitch(clsPrintTo) || HasSwitch(clsNoPrintDialog))
            return false;
        mode = 3;
        break;
    }
    const std::string instance = FindInstanceWindow(mode);
    if (instance.empty())
        return false;
    if (SendInstanceCommandText(instance, icSessionCheck, SessionText(GetSessionName())) == 0)
        return false;
    const int32_t state = SendInstanceCommand(instance, icWindowState);
    SendInstanceCommand(instance, icRestore);
    if (mode == 1 || mode == 3) {
        // The running instance comes to the front by itself on the desktop:
        // there is no foreground lock to lift here.
        if (TStringList* args = DocumentArgs())
            for (int32_t i = 0; i < args->Count(); ++i)
                SendInstanceCommandText(instance, mode == 1 ? icOpenFile : icPrintFile,
                                        ExpandFileName(args->Strings(i)));
        if (mode == 3) {
            if (state == 1)
                SendInstanceCommand(instance, icMinimize);
            else if (state == 2)
                SendInstanceCommand(instance, icBackToTray);
        }
    } else if (!HasSwitch(clsDontCreateNewDoc)) {
        SendInstanceCommand(instance, icStartedWithoutDocuments);
    }
    return true;
}

int32_t WMInstanceCommand(uint8_t code, const std::string& text)
{
    // An instance still starting, ending, saving after a failure, or started
    // to print takes no orders.
    if (!MainForm || !DocDispatcher || !Application || Application->Terminated() || EmergencySaveInProgress ||
        StartMode() == smPrintDocuments)
        return 0;
    switch (code) {
    case icRestore:
        // Coming back from the tray is the tray icon's business once it exists.
        if (MainForm->WindowState() == TWindowState::wsMinimized)
            MainForm->SetWindowState(TWindowState::wsNormal);
        Application->Restore();
        Application->BringToFront();
        return 0;
    case icStartedWithoutDocuments:
        if (OptionsHolder && OptionsHolder->NewDocAtStartUp && DocDispatcher->Count() == 0) {
            if (CommandManager)
                CommandManager->ExecuteCommand(100);
            else
                DocDispatcher->NewDocument();
        }
        if (OptionsHolder && OptionsHolder->AdviseAtStartUp && DocDispatcher->Count() <= 1)
            MainForm->Flags |= ffShowTipsAtIdle;
        return 0;
    case icCanTakeWork:
        return MainForm->Enabled() && DocDispatcher->Count() < MaxDocumentsForWork && !FrameBusy() ? 1 : 0;
    case icOpenFile:
    case icPrintFile: {
        if (text.empty())
            return 0;
        // Printing comes with the print service; until then the file is opened.
        TDocument* document = DocDispatcher->OpenDocument(text);
        MainForm->UpdateDocumentCaptions();
        Application->BringToFront();
        return document ? 1 : 0;
    }
    case icWindowState:
        return WindowStateAnswer();
    case icSessionCheck:
        return text == SessionText(SessionName()) ? 1 : 0;
    case icMinimize:
        Application->Minimize();
        return 0;
    case icBackToTray:
        // The tray icon does not exist yet: the instance is minimised instead,
        // or ends when another instance already waits in the tray.
        if (IsTrayInstanceRunning())
            Application->Terminate();
        else
            Application->Minimize();
        return 0;
    default:
        return 0;
    }
}

void StartInstanceLink()
{
    std::string error;
    if (!StartLocalLinkServer(&WMInstanceCommand, error))
        std::fprintf(stderr, "Eldravin : %s\n", error.c_str());
}

void StopInstanceLink()
{
    StopLocalLinkServer();
}
