#include "shell/calc/InsertIdentifierForm.h"

#include "document/calc/Evaluator.h"
#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"
#include "layout/CaretDisplay.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>

namespace {

// Rows shown at once; the list scrolls beyond them.
constexpr int32_t VisibleRows = 7;
// Space after the widest name and the widest description.
constexpr int32_t ColumnGap = 10;
// The name's distance from the item's left edge.
constexpr int32_t NameIndent = 3;

// The program event of the function list.
constexpr int32_t FunctionListEvent = 2640;

TDocument* MainFrameDocument()
{
    return MainForm ? MainForm->GetActiveDocument() : nullptr;
}

}  // namespace

TInsertIdentifierForm::TInsertIdentifierForm(int32_t x, int32_t y) : TPopupStayOnTopForm(nullptr)
{
    TargetDocument = MainFrameDocument;
    SetColor(clWindow);

    FListBox = new TFunctionListBox(this);
    FListBox->SetName("ListBox");
    FListBox->Style = TListBoxStyle::lbOwnerDrawFixed;
    FListBox->SetParent(this);
    FListBox->SetAlign(TAlign::alClient);
    FListBox->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                  TOwnerDrawState state) { ListDrawItem(canvas, index, rect, state); };
    FListBox->OnKeyPress = [this](TControl*, char& key) { ListKeyPress(key); };
    FListBox->OnDblClick = [this](TControl*) { InsertSelected(); };

    FItems = FunctionPopupItems();
    for (const TFunctionItem& item : FItems)
        FListBox->Items().Add(item.Name);

    MeasureColumns();
    PlaceOnScreen(x, y);

    // The function chosen last, else the first.
    const int32_t last = OptionsHolder ? OptionsHolder->SelectedFunc : 0;
    int32_t initial = 0;
    if (last != 0)
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].Function == last)
                initial = static_cast<int32_t>(i);
    FListBox->SetItemIndex(initial);
    SetActiveControl(FListBox);
}

TInsertIdentifierForm::~TInsertIdentifierForm()
{
    const int32_t function = SelectedFunction();
    if (function != 0 && OptionsHolder)
        OptionsHolder->SelectedFunc = function;
}

int32_t TInsertIdentifierForm::SelectedFunction() const
{
    if (!FListBox)
        return 0;
    const int32_t index = FListBox->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FItems.size()))
        return 0;
    return FItems[static_cast<size_t>(index)].Function;
}

void TInsertIdentifierForm::MeasureColumns()
{
    // The list's window context measures with the list's real font.
    FListBox->HandleNeeded();
    TCanvas& canvas = FListBox->Canvas();
    canvas.Font().Assign(FListBox->Font());
    const TFontStyles regular = canvas.Font().Style();
    canvas.Font().SetStyle(regular | fsBold);
    int32_t names = 0;
    for (const TFunctionItem& item : FItems)
        names = std::max(names, canvas.TextWidth(item.Name));
    canvas.Font().SetStyle(regular);
    int32_t descriptions = 0;
    for (const TFunctionItem& item : FItems)
        descriptions = std::max(descriptions, canvas.TextWidth(EvaluatorFunctionDescription(item.Function)));
    FNameWidth = names + ColumnGap;
    FDescriptionWidth = descriptions + ColumnGap;
}

void TInsertIdentifierForm::PlaceOnScreen(int32_t x, int32_t y)
{
    const int32_t rowsHeight = VisibleRows * FListBox->ItemHeight();
    int32_t width = FNameWidth + FDescriptionWidth;
    if (FListBox->Items().Count() > VisibleRows)
        width += GetSystemMetrics(SM_CXVSCROLL);
    const int32_t height = rowsHeight + 4;
    const int32_t screenWidth = Screen ? Screen->Width() : 0;
    const int32_t screenHeight = Screen ? Screen->Height() : 0;
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (x < 0)
        x = 0;
    // The whole window stays on the screen, its 4-pixel frame included.
    if (y + height > screenHeight)
        y = screenHeight - height;
    if (y < 0)
        y = 0;
    SetBounds(x, y, width, height);
}

void TInsertIdentifierForm::ListDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state)
{
    if (index < 0 || index >= static_cast<int32_t>(FItems.size()))
        return;
    const TFunctionItem& item = FItems[static_cast<size_t>(index)];
    const bool selected = (state & odSelected) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : clWindow);
    canvas.Font().Assign(FListBox->Font());
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    canvas.FillRect(rect);
    const TFontStyles regular = canvas.Font().Style();
    canvas.Font().SetStyle(regular | fsBold);
    canvas.TextOut(rect.Left + NameIndent, rect.Top, item.Name);
    canvas.Font().SetStyle(regular);
    canvas.TextOut(rect.Left + FNameWidth, rect.Top, EvaluatorFunctionDescription(item.Function));
}

void TInsertIdentifierForm::ListKeyPress(char& key)
{
    const char typed = key;
    key = 0;
    if (typed == '\r') {
        InsertSelected();
        return;
    }
    if (typed == '\x1b') {
        Release();
        return;
    }
    if (static_cast<uint8_t>(typed) <= ' ')
        return;
    const int32_t current = FListBox->ItemIndex();
    const int32_t found = FunctionTypeAhead(FItems, current, FTypedPrefix, typed);
    if (found != current && found >= 0) {
        FListBox->SetItemIndex(found);
        FListBox->Invalidate();
    }
}

void TInsertIdentifierForm::InsertSelected()
{
    const int32_t function = SelectedFunction();
    if (function == 0)
        return;
    TDocument* document = TargetDocument ? TargetDocument() : nullptr;
    if (!document)
        return;
    try {
        document->InsertFunctionCall(function);
    } catch (...) {
        Release();
        throw;
    }
    Release();
}

TInsertIdentifierForm* ShowInsertIdentifierForm(int32_t x, int32_t y)
{
    auto* form = new TInsertIdentifierForm(x, y);
    form->Show();
    return form;
}

TInsertIdentifierForm* ShowInsertIdentifierFormAtCaret(TDocument& document)
{
    ScrollToCaret(document, 0);
    // The caret's left edge and bottom, from document to window coordinates.
    TPoint point{document.Caret.X - document.ViewOrigin.X,
                 document.Caret.Y + document.Caret.Height - document.ViewOrigin.Y};
    if (auto* window = dynamic_cast<TDocumentForm*>(document.View()))
        point = window->ClientToScreen(point);
    TInsertIdentifierForm* form = ShowInsertIdentifierForm(point.X, point.Y);
    if (BaseFormServices().FireProgramEvent)
        BaseFormServices().FireProgramEvent(FunctionListEvent);
    return form;
}
