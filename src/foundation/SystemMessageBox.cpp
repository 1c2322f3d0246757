#include "foundation/SystemMessageBox.h"

#include "platform/framework/dialogs/CommonDialogs.h"

uint32_t SystemMessageBoxFlags(const TMessageRequest& request)
{
    const TMsgDlgButtons b = request.Buttons;
    uint32_t flags;
    if (b & (mbYes | mbNo | mbYesToAll | mbNoToAll | mbAll))
        flags = (b & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (b & (mbAbort | mbIgnore))
        flags = MB_ABORTRETRYIGNORE;
    else if (b & mbRetry)
        flags = MB_RETRYCANCEL;
    else if (b & mbCancel)
        flags = MB_OKCANCEL;
    else
        flags = MB_OK;
    switch (request.Type) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    default: break;
    }
    return flags;
}

int32_t TSystemMessageBox::Answer(const TMessageRequest& request)
{
    // The box's button IDs are the modal results of the same buttons.
    return MessageBox(DialogOwnerWindow(), request.Text, request.Caption, SystemMessageBoxFlags(request));
}
