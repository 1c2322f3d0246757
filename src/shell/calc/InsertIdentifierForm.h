#pragma once
// The function popup: a borderless list under the caret offering the
// evaluator's functions with their descriptions. Enter or a double click
// writes the chosen name with its parentheses into the active document (around
// the selection, or with the caret between them) as one undoable operation;
// the last chosen function is remembered in the "SelectedFunc" setting.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document/calc/FunctionInsertion.h"
#include "platform/framework/controls/Lists.h"
#include "shell/BaseForms.h"

class TDocument;

// The popup's list: Enter and Escape are its own keys, not the form's.
class TFunctionListBox : public TListBox {
public:
    using TListBox::TListBox;
    bool WantsKey(uint16_t key) const override { return key == VK_RETURN || key == VK_ESCAPE; }
};

class TInsertIdentifierForm : public TPopupStayOnTopForm {
public:
    // Made without owner at the screen point (x, y), moved so that it stays
    // on the screen, with the last chosen function selected.
    TInsertIdentifierForm(int32_t x, int32_t y);
    // Stores the selected item's function as the "SelectedFunc" setting.
    ~TInsertIdentifierForm() override;

    TFunctionListBox* ListBox() const { return FListBox; }
    const std::vector<TFunctionItem>& FunctionItems() const { return FItems; }
    // The function of the selected item; 0 when none is selected.
    int32_t SelectedFunction() const;
    int32_t NameWidth() const { return FNameWidth; }
    int32_t DescriptionWidth() const { return FDescriptionWidth; }
    const std::string& TypedPrefix() const { return FTypedPrefix; }

    // Where the function is written: the active document of the main frame
    // unless a caller says otherwise.
    std::function<TDocument*()> TargetDocument;

    // Writes the selected function into the target document and releases the
    // popup; nothing without a selected item or a document.
    void InsertSelected();

private:
    void MeasureColumns();
    void PlaceOnScreen(int32_t x, int32_t y);
    void ListDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state);
    void ListKeyPress(char& key);

    TFunctionListBox* FListBox = nullptr;
    std::string FTypedPrefix;
    int32_t FNameWidth = 0;
    int32_t FDescriptionWidth = 0;
    std::vector<TFunctionItem> FItems;
};

// Makes the popup at the screen point and shows it without waiting.
TInsertIdentifierForm* ShowInsertIdentifierForm(int32_t x, int32_t y);
// The "Insérer une fonction" command: scrolls the document's view to the
// caret, opens the popup under the caret's left edge (converted to the screen
// through the document window) and fires the function-list program event.
TInsertIdentifierForm* ShowInsertIdentifierFormAtCaret(TDocument& document);
