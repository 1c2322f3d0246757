#pragma once
// What the format dialogs call of the shell: the change of the default
// template behind their "Par dé&faut..." buttons. Empty until the shell
// installs it; the buttons are disabled meanwhile.
#include <functional>
#include <string>

class TDocument;

struct TDialogServices {
    // Asks the question; on Yes runs apply on the default template document
    // and saves the template. True when the template was changed.
    std::function<bool(const std::string& question, const std::function<void(TDocument& templateDocument)>& apply)>
        ChangeDefaultTemplate;
};
TDialogServices& DialogServices();
