#include "shell/frame/ButtonBar.h"

#include "document/model/Document.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/FileNames.h"

#include <algorithm>

namespace {

// The group of the document buttons: exactly one is down.
constexpr int32_t DocumentButtonGroup = 1;
constexpr int32_t ScrollButtonWidth = 14;

std::string EscapeAmpersands(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

}  // namespace

std::string ShortenButtonCaption(const std::string& name, int32_t width,
                                 const std::function<int32_t(const std::string&)>& textWidth)
{
    if (textWidth(name) <= width - 28)
        return name;
    std::string text = name;
    while (!text.empty() && textWidth(text + "...") > width - 38) {
        // An escaped ampersand goes as one.
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "&&") == 0)
            text.resize(text.size() - 2);
        else
            text.pop_back();
    }
    return text + "...";
}

TButtonBarButton::TButtonBarButton(TComponent* owner, TForm* window, TDocument* document)
    : TSpeedButton(owner), Window(window), Document(document)
{
    GroupIndex = DocumentButtonGroup;
    FWidth = ButtonBarButtonWidth;
    FHeight = ButtonBarButtonHeight;
    const std::string file = document && !document->FileName.empty() ? ExtractFileName(document->FileName)
                                                                      : std::string("Nouveau document");
    Name = EscapeAmpersands(file);
}

void TButtonBarButton::ShortenCaption(int32_t width, bool force,
                                      const std::function<int32_t(const std::string&)>& textWidth)
{
    if (width == FCaptionWidth && !force)
        return;
    FCaptionWidth = width;
    SetCaption(ShortenButtonCaption(Name, width, textWidth));
}

TButtonBar::TButtonBar(TComponent* owner) : TCustomControl(owner)
{
    FColor = clBtnFace;
    FWidth = 80;
    FHeight = ButtonBarHeight + ButtonBarSeparatorHeight;
    FVisible = false;
    FSeparator = new TBevel(this);
    FSeparator->Shape = TBevelShape::bsTopLine;
    FSeparator->SetParent(this);
    FScrollBack = new TSpeedButton(this);
    FScrollForward = new TSpeedButton(this);
    int32_t direction = -1;
    for (TSpeedButton* button : {FScrollBack, FScrollForward}) {
        button->Tag = direction;
        button->SetCaption(direction < 0 ? "3" : "4");  // the arrows of the symbol font
        button->Font().SetName("Marlett");
        button->Font().SetSize(10);
        button->SetParent(this);
        button->SetVisible(false);
        button->OnClick = [this, button](TControl*) { ScrollButtons(static_cast<int32_t>(button->Tag)); };
        direction = 1;
    }
    Relayout(false);
}

TButtonBar::~TButtonBar() = default;

void TButtonBar::AddDocument(TForm* window, TDocument* document)
{
    auto* button = new TButtonBarButton(this, window, document);
    button->Flat = FFlat;
    button->SetVisible(false);
    button->SetParent(this);
    button->OnClick = [this, button](TControl*) {
        if (OnActivateDocument)
            OnActivateDocument(button);
    };
    FButtons.push_back(button);
    Relayout(false);
}

void TButtonBar::RemoveDocument(int32_t index)
{
    if (index < 0 || index >= ButtonCount())
        return;
    TButtonBarButton* button = FButtons[static_cast<size_t>(index)];
    FButtons.erase(FButtons.begin() + index);
    delete button;
    if (FActiveIndex == index)
        FActiveIndex = -1;
    else if (FActiveIndex > index)
        --FActiveIndex;
    Relayout(false);
}

int32_t TButtonBar::IndexOfDocument(const TDocument* document) const
{
    for (int32_t i = ButtonCount() - 1; i >= 0; --i)
        if (FButtons[static_cast<size_t>(i)]->Document == document)
            return i;
    return -1;
}

void TButtonBar::SetActiveIndex(int32_t index, bool force)
{
    FActiveIndex = index;
    Relayout(force);
}

void TButtonBar::UpdateFlatButtons(bool flat)
{
    FFlat = flat;
    for (TButtonBarButton* button : FButtons)
        button->Flat = flat;
    Invalidate();
}

void TButtonBar::SetBarAlign(TButtonBarAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    Relayout(true);
}

void TButtonBar::Resize()
{
    TCustomControl::Resize();
    if (!FInLayout)
        Relayout(false);
}

void TButtonBar::Relayout(bool force)
{
    if (FInLayout)
        return;
    FInLayout = true;
    const int32_t n = ButtonCount();
    const bool separator = FAlign != bbBottom;
    FSeparator->SetVisible(separator);
    FSeparator->SetBounds(0, 0, Width(), ButtonBarSeparatorHeight);
    const int32_t start = separator ? ButtonBarSeparatorHeight + 2 : 2;
    const bool horizontal = FAlign == bbTop || FAlign == bbBottom;
    bool scrolling = false;
    int32_t buttonWidth = ButtonBarButtonWidth;
    if (horizontal) {
        SetHeight(start + ButtonBarButtonHeight + 2);
        const int32_t width = Width();
        if (n * 80 + 4 < width) {
            FShownCount = std::max(std::min(n, (width - 4) / 80), 1);
            buttonWidth = std::min((width - 32) / FShownCount, 160);
            FFirstVisible = 0;
        } else {
            const bool crowded = static_cast<int64_t>(n) * 80 + 4 >= 3 * static_cast<int64_t>(width);
            FShownCount = std::max((width - 32) / (crowded ? 60 : 80), 1);
            buttonWidth = (width - 32) / FShownCount;
            scrolling = true;
        }
    } else {
        SetWidth(ButtonBarWidth);
        if (n * ButtonBarButtonHeight + start + 2 >= Height()) {
            FShownCount = std::max((Height() - (start + 28)) / ButtonBarButtonHeight, 1);
            scrolling = true;
        } else {
            FShownCount = std::max(n, 1);
            FFirstVisible = 0;
        }
    }
    if (scrolling) {
        if (FFirstVisible > n - FShownCount)
            FFirstVisible = std::max(n - FShownCount, 0);
        if (force && FActiveIndex >= 0) {
            if (FActiveIndex < FFirstVisible)
                FFirstVisible = FActiveIndex;
            else if (FActiveIndex >= FFirstVisible + FShownCount)
                FFirstVisible = FActiveIndex - FShownCount + 1;
        }
        FFirstVisible = std::clamp(FFirstVisible, 0, std::max(n - FShownCount, 0));
    }
    // The scroll buttons: after the buttons in a horizontal bar, below them in a vertical one.
    FScrollBack->SetVisible(scrolling);
    FScrollForward->SetVisible(scrolling);
    if (scrolling) {
        if (horizontal) {
            FScrollBack->SetBounds(Width() - 2 * ScrollButtonWidth - 2, start, ScrollButtonWidth, ButtonBarButtonHeight);
            FScrollForward->SetBounds(Width() - ScrollButtonWidth - 2, start, ScrollButtonWidth, ButtonBarButtonHeight);
        } else {
            const int32_t top = start + FShownCount * ButtonBarButtonHeight + 2;
            FScrollBack->SetBounds(2, top, ScrollButtonWidth, ButtonBarButtonHeight);
            FScrollForward->SetBounds(2 + ScrollButtonWidth, top, ScrollButtonWidth, ButtonBarButtonHeight);
        }
        FScrollBack->SetEnabled(FFirstVisible > 0);
        FScrollForward->SetEnabled(FFirstVisible + FShownCount < n);
    }
    // The buttons' captions are measured in their font on the bar's canvas.
    TCanvas& canvas = Canvas();
    const auto textWidth = [&](const std::string& text) { return canvas.TextWidth(text); };
    for (int32_t i = 0; i < n; ++i) {
        TButtonBarButton* button = FButtons[static_cast<size_t>(i)];
        const int32_t slot = i - FFirstVisible;
        const bool shown = slot >= 0 && slot < FShownCount;
        if (shown) {
            if (horizontal)
                button->SetBounds(2 + slot * buttonWidth, start, buttonWidth, ButtonBarButtonHeight);
            else
                button->SetBounds(2, start + slot * ButtonBarButtonHeight, ButtonBarButtonWidth, ButtonBarButtonHeight);
            canvas.Font().Assign(button->Font());
            button->ShortenCaption(button->Width(), force, textWidth);
        }
        button->SetVisible(shown);
        button->SetDown(i == FActiveIndex);
    }
    FLaidOut = true;
    FInLayout = false;
}

void TButtonBar::ScrollButtons(int32_t direction)
{
    const int32_t n = ButtonCount();
    const int32_t step = FShownCount > 1 ? FShownCount - 1 : 1;
    FFirstVisible = std::clamp(FFirstVisible + direction * step, 0, std::max(n - FShownCount, 0));
    Relayout(false);
}
