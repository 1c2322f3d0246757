#include "dialogs/DialogServices.h"

TDialogServices& DialogServices()
{
    static TDialogServices services;
    return services;
}
