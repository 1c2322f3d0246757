#pragma once
// The style dialogs: "Styles du document" edits a working copy of a
// document's style sheet (new, changed, re-based by dragging, deleted and
// imported styles), "Caractéristiques du style" edits one style, and
// "Importer des styles" picks styles of another document or template.
#include "dialogs/DialogServices.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/managers/Style.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"

#include <memory>
#include <string>
#include <vector>

class TDocument;

constexpr int32_t MaxStyleNameLength = 255;

// --- "Caractéristiques du style" --------------------------------------------------

class TEditStyleForm : public TStandardDialogForm {
public:
    // style: the object edited in place (the caller's copy); index: its place
    // in its owner list.
    TEditStyleForm(TComponent* owner, TStyle& style, int32_t index, bool nameAlwaysEditable);

    TEdit* StyleNameEdit;
    TComboBox* BasedOnComboBox;
    TComboBox* NextStyleComboBox;
    TEdit* HotKeyEdit;
    TLabel* DescriptionStrLabel;
    TButton* FontFormatBtn;
    TButton* ParagraphFormatBtn;
    TButton* TabsBtn;

    void StyleNameEditChange();
    void BasedOnComboBoxChange();
    void NextStyleComboBoxChange();
    void FontFormatBtnClick();
    void ParagraphFormatBtnClick();
    void TabsBtnClick();
    void DialogButtonClick(TControl* sender) override;
    // The checks of OK; false with the message shown.
    bool Validate();

private:
    void Refresh();
    // The style index behind a combo box item (-1: "Aucun(e)").
    int32_t ComboStyle(const TComboBox& combo, int32_t item) const;
    int32_t ComboItemOf(const TComboBox& combo, int32_t styleIndex) const;

    TStyle& FStyle;
    TStyleList& FList;
    int32_t FIndex;
    std::vector<int32_t> FDescendants;
    std::vector<int32_t> FBasedOnStyles;
    std::vector<int32_t> FNextStyles;
    int32_t FStartHotKey;
    bool FUpdating = false;
};

bool ExecuteEditStyleDialog(TStyle& style, int32_t index, bool nameAlwaysEditable);

// --- "Importer des styles" ----------------------------------------------------------

class TImportStylesForm : public TEldravinForm {
public:
    TImportStylesForm(TComponent* owner, TStyleList& destination);
    ~TImportStylesForm() override;

    TListBox* SourceStyleListListBox;
    TListBox* StylesToImportListBox;
    TButton* ImportStylesBtn;
    TButton* CancelBtn;

    void SourceStyleListListBoxClick();
    void ImportStylesBtnClick();

    // The source document chosen (open or loaded) and the style indexes picked.
    TDocument* Source() const;
    const std::vector<int32_t>& Chosen() const { return FChosen; }
    // Hands over a loaded source (null for an open document).
    std::unique_ptr<TDocument> TakeLoaded() { return std::move(FLoaded); }

private:
    std::vector<TStyleSource> FSources;
    std::unique_ptr<TDocument> FLoaded;
    TDocument* FSource = nullptr;
    std::vector<int32_t> FListed;
    std::vector<int32_t> FChosen;
};

// On OK fills the request (source list, chosen indexes) and hands over a
// loaded source document (the caller frees it; none for an open document).
bool ExecuteImportStylesDialog(TStyleList& destination, TImportStylesInfo& request,
                               std::unique_ptr<TDocument>& loadedSource);

// --- "Styles du document" ---------------------------------------------------------

// The program option that shows the styles as a flat list.
bool& StyleListViewAsList();

class TEditStyleListForm : public TStandardDialogForm {
public:
    // The working list is edited; info's StyleIndex marks the selection's style.
    TEditStyleListForm(TComponent* owner, TStyleList& working, TFormatStyleListInfo& info);

    TListBox* StyleTreeView;
    TRadioButton* ViewAsTreeRadioBtn;
    TRadioButton* ViewAsListRadioBtn;
    TLabel* StyleDescriptionStrLabel;
    TButton* NewStyleBtn;
    TButton* EditStyleBtn;
    TButton* DeleteStyleBtn;
    TButton* ImportStylesBtn;

    // The style selected in the tree.
    int32_t SelectedStyle() const;
    // The style of a tree row and its depth.
    int32_t RowStyle(int32_t row) const { return FRows.at(static_cast<size_t>(row)).Style; }
    int32_t RowLevel(int32_t row) const { return FRows.at(static_cast<size_t>(row)).Level; }
    int32_t RowOf(int32_t style) const;

    void StyleTreeViewChange();
    void StyleViewRadioBtnsClick();
    void NewStyleBtnClick();
    void EditStyleBtnClick();
    void DeleteStyleBtnClick();
    void ImportStylesBtnClick();
    void DialogButtonClick(TControl* sender) override;
    // Drag and drop of a style onto its new base.
    bool CanDrop(int32_t dragged, int32_t target) const;
    void DropOn(int32_t dragged, int32_t target);
    // The whole list's check before it is accepted.
    bool ValidateList();

private:
    struct TRow {
        int32_t Style;
        int32_t Level;
    };
    void BuildTree(int32_t select);
    void AddBranch(int32_t parent, int32_t level, const std::vector<int32_t>& sorted);
    void ShowDescription();
    void MarkChanged(int32_t index, bool withDescendants);
    bool EditStyle(int32_t index, bool nameAlwaysEditable);

    TStyleList& FList;
    TFormatStyleListInfo& FInfo;
    std::vector<TRow> FRows;
    int32_t FDragged = -1;
};

// Edits a copy of the document's styles. On OK or "Appliquer" (true), info
// holds the working list when styles were deleted or changed or their number
// differs (else none), the deleted and changed starting indexes, and the
// style to apply (-1 after OK).
bool ExecuteEditStyleListDialog(TFormatStyleListInfo& info, TStyleList& styles);

// The style command: the dialog on the document's styles, its result applied
// to the selection as one undoable change. True when the dialog closed with
// OK or "Appliquer".
bool FormatStylesWithDialog(TDocument& document);
