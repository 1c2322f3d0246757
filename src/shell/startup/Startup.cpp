#include "shell/startup/Startup.h"
#include "shell/toolbars/ToolbarStartup.h"

#include "docwindow/ClipboardManager.h"
#include "docwindow/DocumentForm.h"
#include "formats/DocFiler.h"
#include "formats/html/HtmlExport.h"
#include "formats/DocDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/SharedManagers.h"
#include "foundation/SystemMessageBox.h"
#include "foundation/drawing/StatusBarIcons.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/SettingsStorage.h"
#include "imaging/ImagingUnits.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Host.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/StringList.h"
#include "proofing/AutocorrectLangOptions.h"
#include "layout/PaintSettings.h"
#include "proofing/SpellCheckSystem.h"
#include "shell/proofing/SpellCheckManager.h"
#include "shell/BaseForms.h"
#include "shell/ThemeServices.h"
#include "shell/commands/CommandManager.h"
#include "shell/commands/HotKeyManager.h"
#include "shell/commands/OptionalMessages.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/about/AboutBox.h"
#include "shell/about/VersionInfo.h"
#include "shell/frame/MainForm.h"
#include "shell/help/HelpManager.h"
#include "shell/help/TipsForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/sound/SoundManager.h"
#include "shell/startup/InstanceLock.h"
#include "shell/startup/ProgramHosts.h"
#include "shell/system/InstanceLink.h"
#include "shell/system/ShellRegistration.h"
#include "shell/system/UpdateCheck.h"

#include <algorithm>
#include <cstdio>

bool DeferredShow = false;

namespace {

std::vector<std::string> g_Trace;
std::string g_SessionName;
// The desktop's message box, which first answers a switched-off optional
// message with its stored answer instead of showing it.
class TProgramMessageBox : public TSystemMessageBox {
public:
    int32_t Answer(const TMessageRequest& request) override
    {
        int32_t result = 0;
        if (OptionsHolder && OptionalMsgPresetAnswer(OptionsHolder->OptionalMsgs, request, result))
            return result;
        return TSystemMessageBox::Answer(request);
    }
};

TProgramMessageBox g_SystemMessageBox;
bool g_InstalledSystemBox = false;

std::function<void(const std::string&)> g_Observer;

void Trace(const char* step)
{
    g_Trace.emplace_back(step);
    if (g_Observer)
        g_Observer(g_Trace.back());
}

// The end of the desktop session or a termination signal: the frame asks
// like Exit does, and only when everything may close does the loop end.
// A request during start-up waits until the frame exists; one after the
// loop has ended is already being done.
enum class TRunPhase : uint8_t { Starting, Running, Ending };
TRunPhase g_Phase = TRunPhase::Ending;
bool g_TerminationPending = false;

void TerminationRequested()
{
    if (g_Phase == TRunPhase::Starting) {
        g_TerminationPending = true;
        return;
    }
    if (g_Phase != TRunPhase::Running || !MainForm || !Application || Application->Terminated())
        return;
    if (SendMessage(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0) != 0)
        Application->Terminate();
}

// The command line's documents as full paths against the folder the program
// started in: loading the options makes the stored folder current.
std::vector<std::string> CommandLineDocuments()
{
    std::vector<std::string> names;
    if (TStringList* args = DocumentArgs())
        for (int32_t i = 0; i < args->Count(); ++i)
            names.push_back(ExpandFileName(args->Strings(i)));
    return names;
}

void ShowFrame()
{
    MainForm->UpdateFrameLayout();
    MainForm->Show();
    BuildToolbars();
}

}  // namespace

std::vector<std::string>& StartupTrace()
{
    return g_Trace;
}

void SetStartupObserver(std::function<void(const std::string& step)> observer)
{
    g_Observer = std::move(observer);
}

const std::string& SessionName()
{
    return g_SessionName;
}

TProgramRun::TProgramRun() = default;

TProgramRun::~TProgramRun()
{
    if (FStarted)
        FreeAfterFailure();
}

TStartResult TProgramRun::Start()
{
    g_Trace.clear();
    DeferredShow = false;
    g_Phase = TRunPhase::Starting;
    g_TerminationPending = false;
    SetTerminationRequestHandler(&TerminationRequested);

    // 1. Every module's initialisation.
    if (!Application)
        InitApplication();
    InitThemeServices();
    InitializeImagingUnits();
    InitBaseForms();
    AcquireInstanceLock();
    SetOtherInstanceQuery(&OtherInstanceRunning);
    // Messages go to the desktop's message box unless someone (a test)
    // already answers them.
    if (TMessageAnswerer* previous = SetMessageAnswerer(nullptr)) {
        SetMessageAnswerer(previous);
    } else {
        SetMessageAnswerer(&g_SystemMessageBox);
        g_InstalledSystemBox = true;
    }
    FModulesUp = true;
    Trace("modules");

    // 2. The version text.
    ReadVersionInfo();
    Trace("version");
    // 3. The sound manager; help requests of the forms go to the help
    // manager (made on first use) and their events to the event manager.
    if (!SoundManager)
        SoundManager = new TSoundManager();
    BaseFormServices().ShowHelpTopic = [](int32_t topic) { GetHelpManager().ShowTopic(topic); };
    BaseFormServices().FireProgramEvent = [](int32_t eventId) { FireEvent(eventId); };
    Trace("sound manager");
    // 4. The command line: start mode and documents (with the text tables).
    InitializeTextTables();
    const std::vector<std::string> documents = CommandLineDocuments();
    Trace("command line");
    // 5. The clipboard manager, on the application's window.
    CreateClipboardManager(Application->Handle());
    Trace("clipboard manager");
    // 6. The spelling settings.
    CreateSpellSettings();
    Trace("spelling settings");
    // 7. The autocorrect option manager is made on first use by its accessor.

    FStarted = true;
    try {
        // 8 to 11. The one-shot switches do their work, in this order, and
        // end the run. The spelling systems switch has no handler in this
        // version: a run asked for it must not look done. The setup program
        // starts these runs with nobody at the desktop to answer a box, so
        // that refusal goes to the error output and the run ends with a
        // failure code (after the other switches did their work).
        bool quit = false;
        bool refused = false;
        if (HasSwitch(clsAssociate)) {
            HandleAssociateSwitch(GetSwitchValue(clsAssociate, ""));
            quit = true;
        }
        if (HasSwitch(clsInstallSpellChecker)) {
            std::fprintf(stderr, "Eldravin : le commutateur \"%s\" n'est pas pris en charge par cette version.\n",
                         CmdLineSwitchShortNames[clsInstallSpellChecker]);
            refused = true;
        }
        if (HasSwitch(clsUninstall)) {
            Application->SetTitle("Désinstallation d'Eldravin");
            UninstallProgram();
            quit = true;
        }
        if (quit || refused) {
            FreeAfterFailure();
            return refused ? TStartResult::Failed : TStartResult::Quit;
        }
        // 12. With "st", an instance already in the tray ends this start.
        if (HasSwitch(clsSystemTray) && IsTrayInstanceRunning()) {
            FreeAfterFailure();
            return TStartResult::Quit;
        }
        // 13. The session name.
        g_SessionName = GetSessionName();
        // 14. Without "st", a running instance may take this start's work.
        if (!HasSwitch(clsSystemTray) && HandOffToRunningInstance()) {
            FreeAfterFailure();
            return TStartResult::Quit;
        }
        // This instance answers later starts from now on.
        StartInstanceLink();

        // 15. The options holder and the store to load from.
        OptionsHolder = new TOptionsHolder();
        InstallProgramHosts();
        FStore = OpenSettingsStorageForLoad();
        // A language's autocorrection options are read from the same store
        // when the language is first asked for.
        GetAutocorrectLangOptionsManager().SetStoreSource([] { return OpenSettingsStorageForLoad(); });
        FStore->OpenKey("General");
        OptionsHolder->ShowSplash = FStore->ReadBool("ShowSplash", true);
        // The shortcut overrides wait in the holder for the shortcut manager.
        OptionsHolder->HotKeyOverrides = FStore->ReadBinary("General\\HotKeyOverrides_fr");
        Trace("options holder");

        // 16. The splash window.
        const bool systemTray = HasSwitch(clsSystemTray);
        if (!systemTray && OptionsHolder->ShowSplash)
            ShowSplashWindow();
        // 17. Program event 200 (start).
        FireEvent(200);

        // 18. The shared managers of the foundation, and the layout services.
        CreateSharedManagers();
        CreateLineLayout();
        CreateDocumentLayout();
        Trace("shared managers");

        // 19. The application title.
        Application->SetTitle(g_SessionName.empty() ? std::string(ProgramTitle)
                                                    : std::string(ProgramTitle) + " - <" + g_SessionName + ">");
        // 20. The toolbar manager is made here once it exists.

        // 21. The main frame becomes the application's main form.
        MainForm = new TMainForm(Application);
        MainForm->SetName("MainForm");
        Application->SetMainForm(MainForm);
        InstallDocumentForms();
        Trace("main frame");
        // The command manager reads the frame and its active document; the
        // menus built next are bound to it. Edit messages reach it from the
        // command forms (the frame) and the document windows only.
        CreateCommandManager(*MainForm);
        BaseFormServices().TranslateEditMessage = [](TMessage& message) {
            return CommandManager && CommandManager->TranslateEditMessage(message);
        };
        SetDocumentEditMessageTranslator(BaseFormServices().TranslateEditMessage);
        Trace("command manager");
        StartHotKeyManager();
        CreateToolbarManager();

        // 22. The stored menu layout and the last run's version.
        FStore->OpenKey("Internal\\Menus");
        OptionsHolder->ShowHotKeys = FStore->ReadBool("ShowHotKeys", true);
        OptionsHolder->MainMenuLayout = FStore->ReadBinary("Internal\\Menus\\MainMenu_Fr");
        FStore->OpenKey("Internal");
        OptionsHolder->LastRunVer = FStore->ReadInteger("LastRunVer", INT32_MIN, CurrentVersionNumber(), INT32_MAX);
        // 23. The menus.
        MainForm->BuildMenus();
        MainForm->PrepareMenus();
        Trace("menus");
        // 24. The toolbar popups come with the toolbar manager.

        // 25. The find-and-replace window joins here; the document dispatcher
        // and the format registry.
        DocDispatcher = new TDocDispatcher();
        CreateFormatRegistry();
        CreateDocFiler();
        Trace("document dispatcher");

        // 26. All options; the store is freed.
        OptionsHolder->Load(*FStore);
        FStore.reset();
        if (TSC_Settings* spelling = GetSpellSettings()) {
            std::string systems;
            for (const std::string& s : OptionsHolder->SpellSystems)
                systems += (systems.empty() ? "" : ";") + s;
            spelling->SetSystemsText(systems);
        }
        ProgramSpellSettings().Flags = static_cast<uint16_t>(OptionsHolder->Spell_Flags);
        ProgramSpellSettings().SuggestQuality = static_cast<uint8_t>(OptionsHolder->SuggestQuality);
        PaintSettings().CheckAsYouType = (ProgramSpellSettings().Flags & scCheckAsYouType) != 0;
        PaintSettings().ShowSpellingErrors = (ProgramSpellSettings().Flags & scUnderlineMisspellings) != 0;
        const TSize screen = GetScreenSize();
        MainForm->SetBounds(OptionsHolder->MainWnd_x, OptionsHolder->MainWnd_y,
                            std::min(OptionsHolder->MainWnd_cx, screen.cx), std::min(OptionsHolder->MainWnd_cy, screen.cy));
        MainForm->SetWindowState(OptionsHolder->MainWnd_State == 2   ? TWindowState::wsMaximized
                                 : OptionsHolder->MainWnd_State == 1 ? TWindowState::wsMinimized
                                                                     : TWindowState::wsNormal);
        MainForm->UpdateRecoveryTimer(OptionsHolder->AutoSave);
        Trace("options loaded");
        // 27. The toolbars.
        BuildToolbars();

        // 28. Recovery copies an earlier run left behind are collected; the
        // dispatcher offers them with the start-up documents.
        DocDispatcher->CollectRecoveryCopies();
        const bool backupsFound = !DocDispatcher->RecoveryCopies().empty();
        // 29. Shown now, or only after the start-up documents.
        const bool reloadList = OptionsHolder->ReloadDocs && !OptionsHolder->DocsToReload.empty();
        DeferredShow = systemTray || (!backupsFound && !reloadList && StartMode() == smNoDocuments);
        if (!DeferredShow) {
            ShowFrame();
            Trace("frame shown");
        }
        // 30. Full screen ("fs"): command 7000 through the command manager
        // (it does nothing while the view commands' handler is not there).
        if (HasSwitch(clsFullScreen) && CommandManager)
            CommandManager->ExecuteCommand(7000);
        // 31. In print mode the splash goes before the documents print.
        if (StartMode() == smPrintDocuments)
            ReleaseSplashWindow();

        // 32. The start-up documents, after the offer of the recovery copies.
        // Reopening the documents of the last run comes with the dispatcher's
        // reopen list.
        DocDispatcher->HandleStartupDocuments(documents,
                                              !HasSwitch(clsDontCreateNewDoc) && OptionsHolder->NewDocAtStartUp);
        MainForm->UpdateDocumentCaptions();
        Trace("documents");
        // 33. The system tray ("st") joins with the tray icon.

        // 34. The deferred start-up message.
        PostMessage(MainForm->Handle(), WM_DEFERREDSTARTUP, 0, 0);
        // 35. The splash window goes.
        ReleaseSplashWindow();
        // 36. The layout, and the deferred show.
        MainForm->UpdateFrameLayout();
        if (DeferredShow) {
            ShowFrame();
            MainForm->UpdateFrameLayout();
            Trace("frame shown");
        }
        // 37. The system-wide hot keys come with the shortcut manager.
        g_Phase = TRunPhase::Running;
        if (g_TerminationPending) {
            g_TerminationPending = false;
            TerminationRequested();
        }
        return TStartResult::Running;
    } catch (const EAbort&) {
        FreeAfterFailure();
        return TStartResult::Quit;
    } catch (const std::exception& e) {
        // Reported once; the settings store stays as it was.
        const std::string message = e.what();
        FreeAfterFailure();
        try {
            ShowError("Anomalie :||" + message + ".");
        } catch (const std::exception&) {
        }
        return TStartResult::Failed;
    }
}

void TProgramRun::RunMessageLoop()
{
    Application->Run();
}

void TProgramRun::Shutdown()
{
    g_Phase = TRunPhase::Ending;
    if (!FStarted)
        return;
    // 39. The desktop-wide keys; the tray icon goes here once it exists.
    if (HotKeyManager)
        HotKeyManager->UnregisterGlobalHotKeys();
    // 40. The settings.
    try {
        if (OptionsHolder)
            SaveSettings(*OptionsHolder);
        Trace("settings saved");
    } catch (const std::exception& e) {
        ShowError("Anomalie :||" + std::string(e.what()) + ".");
    }
    FreeAfterFailure();
}

void TProgramRun::FreeAfterFailure()
{
    FStarted = false;
    g_Phase = TRunPhase::Ending;
    FStore.reset();
    ReleaseSplashWindow();
    // 41. In the shutdown order: the format registry, the document
    // dispatcher (with its documents), the options holder, the main frame.
    FreeFormatRegistry();
    if (DocDispatcher) {
        delete DocDispatcher;
        DocDispatcher = nullptr;
        Trace("free document dispatcher");
    }
    if (OptionsHolder) {
        delete OptionsHolder;
        OptionsHolder = nullptr;
        Trace("free options holder");
    }
    if (GetClipboardManager()) {
        FreeClipboardManager();
        Trace("free clipboard manager");
    }
    FreeDocFiler();
    SetDocumentViewFactory(nullptr);
    FreeHotKeyManager();
    // The toolbars use the command manager and stand on the frame: they go first.
    FreeToolbarManager();
    // The command manager reads the frame: it goes first.
    if (CommandManager) {
        BaseFormServices().TranslateEditMessage = nullptr;
        SetDocumentEditMessageTranslator(nullptr);
        FreeCommandManager();
        Trace("free command manager");
    }
    if (MainForm) {
        if (Application && Application->MainForm() == MainForm)
            Application->SetMainForm(nullptr);
        delete MainForm;
        MainForm = nullptr;
        Trace("free main frame");
    }
    RemoveProgramHosts();
    // 42. The shared managers, after the last window.
    FreeDocumentLayout();
    FreeLineLayout();
    FreeSharedManagers();
    FreeStatusBarIcons();
    Trace("free shared managers");
    // 43. Program event 220 (exit), its sound played to its end.
    if (SoundManager)
        SoundManager->PlayAsync = false;
    FireEvent(220);
    if (SoundManager)
        SoundManager->PlayAsync = true;
    // 44. The spelling settings, the help manager, the tips, the command-line
    // documents, the sound manager.
    FreeSpellCheckManager();
    FreeSpellGlobals();
    BaseFormServices().ShowHelpTopic = nullptr;
    FreeHelpManager();
    FreeTipsData();
    FreeDocumentArgs();
    Trace("free spelling and command line");
    if (SoundManager) {
        delete SoundManager;
        SoundManager = nullptr;
        Trace("free sound manager");
    }
}

void TProgramRun::EndOfRun()
{
    // 45. The update the update check downloaded is shown to the user (in
    // the desktop's file manager, for the package manager); a downloaded
    // program is never run from here.
    if (!PendingInstaller.empty()) {
        ShellOpen(ExtractFilePath(PendingInstaller));
        PendingInstaller.clear();
    }
    // 46. The program's temporary files, unless another instance still runs.
    DeleteOldTempFiles();
    Trace("temporary files");
    if (!FModulesUp)
        return;
    FModulesUp = false;
    StopInstanceLink();
    SetOtherInstanceQuery(nullptr);
    ReleaseInstanceLock();
    if (g_InstalledSystemBox) {
        SetMessageAnswerer(nullptr);
        g_InstalledSystemBox = false;
    }
    SetTerminationRequestHandler(nullptr);
    // A quit request the loop did not take any more belongs to this run.
    TMsg stale;
    while (PeekMessage(&stale, HWND_NONE, WM_QUIT, WM_QUIT, true)) {
    }
    DoneBaseForms();
    FinalizeImagingUnits();
    DoneThemeServices();
    DoneApplication();
}

int TProgramRun::Run()
{
    const TStartResult result = Start();
    if (result == TStartResult::Running) {
        RunMessageLoop();
        Shutdown();
    }
    EndOfRun();
    return result == TStartResult::Failed ? 1 : 0;
}
