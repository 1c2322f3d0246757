#pragma once
// The system's message box as an answerer of the message-box service: it shows
// each request in the desktop's message box, over the active form, and
// returns the modal result of the button chosen. The application shell
// installs it for the requests its own message form does not show (and
// before that form exists); tests install their own answerers instead.
#include <cstdint>

#include "foundation/MessageDlg.h"

// The MB_ flags that show a request: the button set (the smallest system set
// that holds every button asked for) and the icon of its type.
uint32_t SystemMessageBoxFlags(const TMessageRequest& request);

class TSystemMessageBox : public TMessageAnswerer {
public:
    int32_t Answer(const TMessageRequest& request) override;
};
