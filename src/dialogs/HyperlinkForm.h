#pragma once
// The hyperlink dialog: inserts a hyperlink at the selection, edits the one
// at the caret, or removes it. It runs the document operations itself. A
// target is a file or web address, or "#" and a bookmark of the document.
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "shell/BaseForms.h"

#include "document/model/TextPosition.h"

#include <string>

class TDocument;
class TField;

// The text shown instead of the link text when the selection holds objects,
// fields, breaks or mixed formatting.
extern const char* const SelectedPortionText;

// The file name relative to the folder (which ends with a separator): "../"
// for each folder to climb. A name that shares no folder with it but the
// root stays as it is.
std::string RelativeFileName(const std::string& folder, const std::string& fileName);

class THyperlinkForm : public TStandardDialogForm {
public:
    THyperlinkForm(TComponent* owner, TDocument& document);

    TEdit* TextEdit;
    TEdit* TipEdit;
    TEdit* URLEdit;
    TButton* ChooseFileBtn;
    TButton* BookmarkBtn;
    TButton* RemoveBtn;
    TOpenDialog* OpenDlg;

    // The hyperlink being edited; null for a new one.
    TField* Link() const { return FLink; }
    // The link text is the selection as it stands.
    bool TextFromSelection() const { return FTextFromSelection; }

    void ChooseFileBtnClick();
    void BookmarkBtnClick();
    void RemoveBtnClick();
    void DialogButtonClick(TControl* sender) override;
    // Restores the selection widened on opening.
    void RestoreSelection();

private:
    bool Accept();

    TDocument& FDocument;
    TField* FLink = nullptr;
    bool FTextFromSelection = false;
    bool FWidened = false;
    TTextPosition FOldStart{};
    TTextPosition FOldEnd{};
};

// Runs the dialog on the document; true when it closed with OK.
bool ExecuteHyperlinkDialog(TDocument& document);
