// The spelling menu of the document window's context menu. Until the spelling
// manager serves the window there is no spelling mark at the caret, and the
// ordinary text menu is shown.
#include "docwindow/DocumentForm.h"

void TDocumentForm::PopupContextMenu() {}

bool TDocumentForm::IsSpellingMarkAtCaret()
{
    return false;
}

bool TDocumentForm::IsSpellingMenuAtCaret()
{
    return false;
}
