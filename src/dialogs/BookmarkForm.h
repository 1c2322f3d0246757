#pragma once
// The "Signets" dialog: adds a bookmark at the selection, renames, deletes
// and goes to the bookmarks of a document; in pick mode it only chooses the
// name of an existing bookmark (the hyperlink dialog's "Signet..."). The
// changes of one opening are joined into one undo step.
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"

#include <string>

class TDocument;

// The first character of a bookmark name that names may not hold (a word
// delimiter other than "_", or a quotation mark); 0 when there is none.
char FindDisallowedBookmarkChar(const std::string& name);
// The name with each character names may not hold replaced by "_".
std::string ReplaceDisallowedBookmarkChars(const std::string& name);

class TBookmarkForm : public TEldravinForm {
public:
    TBookmarkForm(TComponent* owner, TDocument& document, bool pickOnly);

    TEdit* NameEdit;
    TListBox* NameLstBx;
    TRadioButton* SortByNameRadBtn;
    TRadioButton* SortByPositionRadBtn;
    TButton* AddBtn;
    TButton* RenameBtn;
    TButton* DelBtn;
    TButton* CloseBtn;
    TButton* ChooseBtn;
    TButton* CancelBtn;

    bool PickOnly() const { return FPickOnly; }
    // The name chosen in pick mode.
    const std::string& ChosenName() const { return FChosenName; }
    // The document operations made in this opening.
    int32_t OperationCount() const { return FOperationCount; }

    void NameEditChange();
    void NameEditKeyDown(uint16_t& key);
    void NameLstBxClick();
    void NameLstBxDblClick();
    void SortByRadBtnClick();
    void AddBtnClick();
    void RenameBtnClick();
    void DelBtnClick();
    void ChooseBtnClick();

private:
    void FillList();
    void Refuse(const std::string& text, bool warning);
    // Joins the operation just recorded to the earlier ones of this opening.
    void JoinToEarlier();
    int32_t ListIndexOf(const std::string& name) const;
    int32_t SortOrder() const;

    TDocument& FDocument;
    bool FPickOnly;
    bool FActive = false;
    int32_t FOperationCount = 0;
    std::string FChosenName;
};

// Shows the dialog on the document. Pick mode: true with the chosen name.
// Managing mode: afterwards (whatever the result) hyperlinks to bookmarks no
// longer present are offered for deactivation.
bool ExecuteBookmarkDialog(TDocument& document, bool pickOnly, std::string& name);
