#include "shell/proofing/ManualHyphForm.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/StringRoutines.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/HyphManager.h"
#include "platform/framework/bars/StatusBar.h"
#include "shell/frame/MainForm.h"
#include "shell/proofing/HyphenationForms.h"

#include <algorithm>
#include <memory>

namespace {

// Where the user left the dialog last, for the next word; unset at start.
bool gPositionSet = false;
int32_t gLastLeft = 0;
int32_t gLastBottom = 0;

constexpr int32_t kButtonWidth = 90;
constexpr int32_t kButtonHeight = 23;

}  // namespace

void ResetManualHyphPosition()
{
    gPositionSet = false;
}

// --- THyphenationBox --------------------------------------------------------------------

THyphenationBox::THyphenationBox(TComponent* owner, TManualHyphForm* form) : TCustomControl(owner), FForm(form)
{
    Font().SetName("Arial");
    Font().SetSize(12);
    Font().SetStyle(fsBold);
    SetColor(clBtnFace);
    // The program's cursor 1 (the hand that points at a gap).
    SetCursor(1);
}

int32_t THyphenationBox::TextHeight()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    return canvas.TextHeight("Ag");
}

void THyphenationBox::SetWord(const std::string& word, const std::vector<int32_t>& points, int32_t minBefore,
                              int32_t minAfter)
{
    Word = word;
    Points = points;
    MinBefore = minBefore;
    MinAfter = minAfter;
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    CharPositions.assign(1, 0);
    for (char c : Word)
        CharPositions.push_back(CharPositions.back() + canvas.TextWidth(std::string(1, c)) + 1);
    SelectSuggestions();
}

void THyphenationBox::SelectSuggestions()
{
    bool any = false;
    for (int32_t point : Points)
        if (Allowed(point)) {
            SetSelection(point);
            any = true;
        }
    if (!any && FSelection == SelectionNotSet)
        SetSelection(-1);
}

bool THyphenationBox::Allowed(int32_t point) const
{
    return MinBefore < point && point <= static_cast<int32_t>(Word.size()) - MinAfter;
}

void THyphenationBox::SetSelection(int32_t point)
{
    if (point != -1) {
        // Brought into the allowed range (the lower bound wins a word too short for both).
        point = std::min(point, static_cast<int32_t>(Word.size()) - MinAfter);
        point = std::max(point, MinBefore + 1);
        point = std::clamp(point, 0, static_cast<int32_t>(Word.size()));
    }
    if (point == FSelection)
        return;
    FSelection = point;
    Invalidate();
    if (FForm)
        FForm->SelectionChanged(point);
}

void THyphenationBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || CharPositions.size() < 2)
        return;
    const int32_t gapX = x - 4;
    for (int32_t i = static_cast<int32_t>(Word.size()) - 2; i >= 0; --i) {
        if (CharPositions[static_cast<size_t>(i)] > gapX)
            continue;
        // The nearer gap wins; a tie goes to the left gap.
        if (CharPositions[static_cast<size_t>(i) + 1] - gapX < gapX - CharPositions[static_cast<size_t>(i)])
            SetSelection(i + 1);
        else
            SetSelection(i);
        return;
    }
}

void THyphenationBox::Paint()
{
    TCanvas& c = Canvas();
    const int32_t w = Width();
    const int32_t h = Height();
    const auto length = static_cast<int32_t>(Word.size());
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.Brush().SetColor(clBtnFace);
    c.FillRect({0, 0, w, h});
    // The allowed gaps on white.
    if (CharPositions.size() == static_cast<size_t>(length) + 1) {
        const int32_t first = MinBefore + 1;
        const int32_t last = length - MinAfter;
        const int32_t x1 = MinBefore < 1 ? 3 : (first <= length ? CharPositions[static_cast<size_t>(first)] + 4 : w - 4);
        const int32_t x2 = MinAfter < 1 ? w - 4 : (last >= 0 ? CharPositions[static_cast<size_t>(last)] + 4 : 3);
        if (x2 > x1) {
            c.Brush().SetColor(clWhite);
            c.FillRect({x1, 3, x2, h - 3});
        }
    }
    // The sunken border.
    auto edge = [&](int32_t inset, TColor topLeft, TColor bottomRight) {
        c.Pen().SetColor(topLeft);
        c.MoveTo(inset, h - inset - 1);
        c.LineTo(inset, inset);
        c.LineTo(w - inset - 1, inset);
        c.Pen().SetColor(bottomRight);
        c.LineTo(w - inset - 1, h - inset - 1);
        c.LineTo(inset - 1, h - inset - 1);
    };
    c.Brush().SetColor(clBtnFace);
    c.FrameRect({0, 0, w, h});
    edge(1, RGB(128, 128, 128), RGB(255, 255, 255));
    edge(2, RGB(64, 64, 64), RGB(192, 192, 192));
    // The suggestions.
    c.Pen().SetColor(RGB(255, 0, 0));
    for (int32_t point : Points)
        if (point >= 0 && point <= length && static_cast<size_t>(point) < CharPositions.size()) {
            c.MoveTo(GapX(point), 3);
            c.LineTo(GapX(point), h - 3);
        }
    // The word, a character at a time.
    c.Font().Assign(Font());
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    const int32_t y = (h - c.TextHeight("Ag")) / 2;
    for (int32_t i = 1; i <= length && static_cast<size_t>(i) < CharPositions.size(); ++i)
        c.TextOut(CharPositions[static_cast<size_t>(i) - 1] + 4, y, std::string(1, Word[static_cast<size_t>(i) - 1]));
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    // The selection: an arrowhead at the top and at the bottom, and a line between.
    if (FSelection >= 0 && static_cast<size_t>(FSelection) < CharPositions.size()) {
        const int32_t x = GapX(FSelection);
        const TColor blue = RGB(0, 0, 255);
        c.Pen().SetColor(blue);
        const int32_t runs[4] = {9, 7, 5, 3};
        for (int32_t row = 0; row < 4; ++row) {
            const int32_t half = runs[row] / 2;
            c.MoveTo(x - half, row);
            c.LineTo(x + half + 1, row);
            c.MoveTo(x - half, h - 1 - row);
            c.LineTo(x + half + 1, h - 1 - row);
        }
        c.MoveTo(x, 4);
        c.LineTo(x, 7);
        c.MoveTo(x, h - 5);
        c.LineTo(x, h - 8);
        const bool suggested = std::find(Points.begin(), Points.end(), FSelection) != Points.end();
        c.Pen().SetColor(suggested ? RGB(255, 0, 0) : blue);
        c.MoveTo(x, 7);
        c.LineTo(x, h - 7);
    }
}

// --- TManualHyphForm --------------------------------------------------------------------

TManualHyphForm::TManualHyphForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("ManualHyphForm");
    SetHelpTopic(37520);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientSize(4 * kButtonWidth + 3 * 5 + 20, 150);
    Lbl1 = new TLabel(this);
    Lbl1->SetName("Lbl1");
    Lbl1->SetParent(this);
    Lbl1->SetLeft(10);
    Lbl1->SetTop(10);
    Lbl1->SetCaption("Cliquez là où vous voulez couper le mot :");
    Box = new THyphenationBox(this, this);
    Box->SetName("Box");
    Box->SetParent(this);
    Lbl2 = new TLabel(this);
    Lbl2->SetName("Lbl2");
    Lbl2->SetParent(this);
    Lbl2->SetCaption("Les lignes rouges indiquent où Eldravin suggère de couper le mot.");
    auto button = [this](const std::string& name, const std::string& caption) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(this);
        b->SetCaption(caption);
        b->SetBounds(0, 0, kButtonWidth, kButtonHeight);
        return b;
    };
    YesBtn = button("YesBtn", "&Couper");
    YesBtn->ModalResult = mrYes;
    NoBtn = button("NoBtn", "&Pas de coupe");
    NoBtn->ModalResult = mrNo;
    CustomizeBtn = button("CustomizeBtn", "P&ersonnaliser...");
    CustomizeBtn->OnClick = [this](TControl*) { CustomizeBtnClick(); };
    CancelBtn = button("CancelBtn", "Annuler");
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
    YesBtn->SetTabOrder(0);
    NoBtn->SetTabOrder(1);
    CustomizeBtn->SetTabOrder(2);
    CancelBtn->SetTabOrder(3);
}

void TManualHyphForm::Prepare(const std::string& word, int32_t languageId, const std::vector<int32_t>& points,
                              int32_t minBefore, int32_t minAfter)
{
    FLanguageId = languageId;
    SetCaption(Format("Coupe de mots manuelle : %s", {HyphLanguageName(languageId)}));
    SetFontCharsetForLocale(Box->Font(), static_cast<LCID>(languageId));
    Box->HandleNeeded();
    Box->SetWord(word, points, minBefore, minAfter);
    Arrange();
}

void TManualHyphForm::Arrange()
{
    const int32_t wordWidth = Box->WordWidth();
    const int32_t boxWidth = wordWidth + 8;
    const int32_t boxHeight = Box->TextHeight() + 8;
    const int32_t left = std::max(Lbl1->Left(), (ClientWidth() - (wordWidth + 6)) / 2);
    if (ClientWidth() < 2 * left + boxWidth)
        SetClientSize(2 * left + boxWidth, ClientHeight());
    Box->SetBounds(left, Lbl1->Top() + Lbl1->Height() + 10, boxWidth, boxHeight);
    int32_t lowest = Box->Top() + Box->Height();
    const bool suggestions = !Box->Points.empty();
    Lbl2->SetVisible(suggestions);
    Lbl2->SetLeft(Lbl1->Left());
    Lbl2->SetTop(lowest + 10);
    if (suggestions)
        lowest = Lbl2->Top() + Lbl2->Height();
    const int32_t top = lowest + 20;
    int32_t x = ClientWidth() - 10;
    for (TButton* b : {CancelBtn, CustomizeBtn, NoBtn, YesBtn}) {
        x -= b->Width();
        b->SetBounds(x, top, b->Width(), b->Height());
        x -= 5;
    }
    SetClientSize(ClientWidth(), top + kButtonHeight + 10);
}

void TManualHyphForm::SelectionChanged(int32_t selection)
{
    YesBtn->SetEnabled(selection != -1);
    YesBtn->SetDefault(selection != -1);
    NoBtn->SetDefault(selection == -1);
}

void TManualHyphForm::CustomizeBtnClick()
{
    TLanguageHyphData& data = GetHyphManager().GetLanguageData(FLanguageId);
    // The word as the patterns would break it, for the user to correct.
    const std::string lower = AnsiLowerCase(Box->Word);
    std::string text;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (std::find(Box->Points.begin(), Box->Points.end(), static_cast<int32_t>(i)) != Box->Points.end() && i > 0)
            text += '-';
        text += lower[i];
    }
    if (!ExecuteCustomizeAutoHyph(data.UserWords, data.UserHyphenatedWords, FLanguageId, text))
        return;
    data.Modified = true;
    std::vector<int32_t> points;
    data.GetHyphenationPoints(Box->Word, points);
    Box->Points = points;
    Box->SelectSuggestions();
    Box->Invalidate();
}

bool ExecuteManualHyphenation(const std::string& word, int32_t languageId, const std::vector<int32_t>& points,
                              int32_t minBefore, int32_t minAfter, int32_t& chosen)
{
    auto form = std::make_unique<TManualHyphForm>(nullptr);
    form->Prepare(word, languageId, points, minBefore, minAfter);
    if (gPositionSet) {
        form->SetLeft(gLastLeft);
        form->SetTop(gLastBottom - form->Height());
    } else if (MainForm) {
        // Centred over the bottom of the main window, above its status bar,
        // then raised by 15 % of its client height.
        const TPoint origin = MainForm->ClientOrigin();
        int32_t bottom = origin.Y + MainForm->ClientHeight();
        if (MainForm->StatusBar() && MainForm->StatusBar()->Visible())
            bottom -= MainForm->StatusBar()->Height();
        form->SetLeft(origin.X + (MainForm->ClientWidth() - form->Width()) / 2);
        form->SetTop(bottom - form->Height() - MulDivPercent(MainForm->ClientHeight(), 15));
    } else {
        form->Position = TPosition::poScreenCenter;
    }
    const TModalResult result = form->ShowModal();
    gLastLeft = form->Left();
    gLastBottom = form->Top() + form->Height();
    gPositionSet = true;
    if (result == mrYes) {
        chosen = form->Box->Selection();
        return true;
    }
    if (result == mrNo) {
        chosen = -1;
        return true;
    }
    return false;
}
