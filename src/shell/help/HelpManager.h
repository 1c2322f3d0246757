#pragma once
// The help manager: help requests name a help context id; the help index
// table among the program's resources ("HELPINDEXTABLE") turns the id into a
// page of the program's help, which is a folder of HTML pages beside the
// program ("Aide", its pages under "html"). Pages open in the desktop's web
// browser; where the desktop cannot open pages the program runs on without
// help.
//
// The browser's window is the desktop's, not ours: there is no help window to
// find, place or remember, so the stored help-window placement stays as it is.
#include <cstdint>
#include <string>

#include "platform/runtime/Resources.h"

class THelpManager {
public:
    THelpManager();
    ~THelpManager();
    THelpManager(const THelpManager&) = delete;
    THelpManager& operator=(const THelpManager&) = delete;

    // Whether help can be shown: the desktop opens pages (else the offer to
    // fetch a browser's help support, and false) and the help folder exists
    // (else a warning, and false). Quiet skips the messages; a missing
    // folder then counts as present.
    bool EnsureEngine();
    // Shows the page of a help context id; an id not in the table shows
    // nothing and fires no event.
    void ShowTopic(int32_t helpContext);
    void ShowContents();
    void ShowIndex();
    // The page of a help context id ("" when the table has none).
    std::string PageOfContext(int32_t helpContext) const;
    // The browser's window is the desktop's: nothing to save.
    void SaveHelpWindowPlacement() {}

    // The help folder (its pages under "html").
    std::string HelpFile;
    bool Quiet = false;

private:
    // Opens "html/" + page with the anchor after "#", then fires "HELP".
    void ShowPage(const std::string& page);
    TResourceData FIndexTable;
};

// The program's help manager, made on first use.
THelpManager& GetHelpManager();
// Frees it (shutdown).
void FreeHelpManager();

// Where the desktop cannot open pages, this page tells how to set a browser up.
extern const char* const HelpEngineDownloadURL;
