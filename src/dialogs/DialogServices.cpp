#include "dialogs/DialogServices.h"

TDialogServices& DialogServices()
{
    static TDialogServices services;
    return services;
}

TStyleDialogServices& StyleDialogServices()
{
    static TStyleDialogServices services;
    return services;
}
