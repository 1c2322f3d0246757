// Joins the shortcut manager to the main frame and the options at start-up.
#include "shell/commands/HotKeyManager.h"

#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"

void StartHotKeyManager()
{
    CreateHotKeyManager();
    if (OptionsHolder)
        HotKeyManager->SetOverrideBytes(OptionsHolder->HotKeyOverrides);
    HotKeyManager->OnOverridesChanged = [](const std::vector<uint8_t>& bytes) {
        if (OptionsHolder)
            OptionsHolder->HotKeyOverrides = bytes;
    };
    HotKeyManager->FrameWindow = [] { return MainForm ? MainForm->Handle() : HWND_NONE; };
    HotKeyManager->FrameFullScreen = [] { return MainForm && MainForm->FullScreen; };
    HotKeyManager->ActiveInputDocument = []() -> TDocument* {
        TDocument* document = MainForm ? MainForm->GetActiveDocument() : nullptr;
        auto* window = document ? dynamic_cast<TDocumentForm*>(document->View()) : nullptr;
        return window && window->CanHandleInput() ? document : nullptr;
    };
    HotKeyManager->RegisterGlobalHotKeys();
}
