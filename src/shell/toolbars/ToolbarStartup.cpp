#include "shell/toolbars/ToolbarStartup.h"

#include "dialogs/FontFormatForm.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "shell/ThemeServices.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/toolbars/ControlCommands.h"
#include "shell/toolbars/ToolbarManager.h"

void CreateToolbarManager()
{
    if (ToolbarManager || !CommandManager || !MainForm)
        return;
    auto* manager = new TToolbarManager(*CommandManager);
    ToolbarManager = manager;
    manager->Frame = MainForm;
    manager->FullScreen = [] { return MainForm && MainForm->FullScreen; };
    manager->MouseMode = [] { return MainForm ? static_cast<int32_t>(MainForm->MouseMode) : 0; };
    manager->PainterCharFormat = &CharFormatClipboard().Format;
    manager->FocusActiveDocument = [] {
        if (!MainForm)
            return;
        if (TForm* child = MainForm->ActiveMDIChild())
            child->SetFocus();
    };
    manager->FrameLayout = [] {
        if (MainForm)
            MainForm->RequestLayout();
    };
    manager->Settings().ThemesInForce = [] { return ThemeServices && ThemeServices->GetThemesEnabled(); };
    manager->Runner().ArrangeDocumentWindow = [](TDocument&) {
        if (MainForm)
            MainForm->RequestLayout();
    };
    manager->DontLoadSettings = HasSwitch(clsDontLoadSettings);
    manager->DontSaveSettings = HasSwitch(clsDontSaveSettings);
    manager->LoadSettings(ResolveInProgramFolder(GetSwitchValue(clsToolbarSettingsFileName, DefaultToolbarSettingsFile)));
    manager->CreateDropDownMenus(MainForm);
    // The rows follow the frame's width.
    MainForm->OnResize = [previous = MainForm->OnResize, width = int32_t{-1}](TControl* sender) mutable {
        if (previous)
            previous(sender);
        if (ToolbarManager && MainForm && MainForm->Width() != width) {
            width = MainForm->Width();
            ToolbarManager->RebuildToolbars();
        }
    };
}

void BuildToolbars()
{
    if (ToolbarManager)
        ToolbarManager->RebuildToolbars();
}

void FreeToolbarManager()
{
    if (!ToolbarManager)
        return;
    if (MainForm)
        MainForm->OnResize = nullptr;
    delete ToolbarManager;
    ToolbarManager = nullptr;
}
