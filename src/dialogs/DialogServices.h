#pragma once
// What the format dialogs call of the shell: the change of the default
// template behind their "Par dé&faut..." buttons. Empty until the shell
// installs it; the buttons are disabled meanwhile.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDocument;

struct TDialogServices {
    // Asks the question; on Yes runs apply on the default template document
    // and saves the template. True when the template was changed.
    std::function<bool(const std::string& question, const std::function<void(TDocument& templateDocument)>& apply)>
        ChangeDefaultTemplate;
};
TDialogServices& DialogServices();

// --- Style import and shortcuts -----------------------------------------------
// A document or template the style import dialog offers: an open document
// (Open set, never freed by the dialog) or a template loaded on demand.
struct TStyleSource {
    std::string Caption;  // "Modèle "..."" or "Document "...""
    TDocument* Open = nullptr;
    std::function<std::unique_ptr<TDocument>()> Load;
};
struct TStyleDialogServices {
    // The open documents and templates, the destination document left out.
    std::function<std::vector<TStyleSource>(TDocument& destination)> ListStyleSources;
    // The command a shortcut is bound to ("" for none), and its removal.
    std::function<std::string(int32_t hotKey)> FindCommandByHotKey;
    std::function<void(int32_t hotKey)> RemoveCommandHotKey;
    // A shortcut without Ctrl that the program keeps for itself.
    std::function<bool(int32_t hotKey)> IsReservedHotKey;
};
TStyleDialogServices& StyleDialogServices();
