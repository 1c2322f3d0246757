#pragma once
// The frame's document bar: one toggle button per open document, in the
// order of opening, that activates its document with a click; it stands at
// the top, the bottom, the left or the right of the frame and scrolls with
// two arrow buttons when its buttons do not fit.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/framework/controls/ExtCtrls.h"

class TDocument;
class TForm;
class TPopupMenu;

// Where the bar stands (the options' values).
enum TButtonBarAlign : uint8_t { bbTop = 1, bbBottom = 2, bbLeft = 3, bbRight = 4 };

// Sizes at 96 dots per inch.
constexpr int32_t ButtonBarButtonHeight = 22;
constexpr int32_t ButtonBarHeight = 26;
constexpr int32_t ButtonBarWidth = 114;
constexpr int32_t ButtonBarButtonWidth = 110;
constexpr int32_t ButtonBarSeparatorHeight = 2;

// The caption of a button of the width: the name when it fits in width - 28
// pixels; else characters taken off its end (an escaped "&&" as one) until
// it fits in width - 38, followed by "...".
std::string ShortenButtonCaption(const std::string& name, int32_t width,
                                 const std::function<int32_t(const std::string&)>& textWidth);

class TButtonBarButton : public TSpeedButton {
public:
    TButtonBarButton(TComponent* owner, TForm* window, TDocument* document);
    TForm* Window;
    TDocument* Document;
    // The document's file name without its folder ("&" escaped).
    std::string Name;
    // Shortens the caption to the width (nothing when the width is unchanged
    // unless forced), measured with the text width given.
    void ShortenCaption(int32_t width, bool force, const std::function<int32_t(const std::string&)>& textWidth);

private:
    int32_t FCaptionWidth = -1;
};

class TButtonBar : public TCustomControl {
public:
    explicit TButtonBar(TComponent* owner);
    ~TButtonBar() override;

    void AddDocument(TForm* window, TDocument* document);
    void RemoveDocument(int32_t index);
    // Searched from the last; -1 when none.
    int32_t IndexOfDocument(const TDocument* document) const;
    void SetActiveIndex(int32_t index, bool force);
    int32_t ActiveIndex() const { return FActiveIndex; }
    void UpdateFlatButtons(bool flat);
    void SetBarAlign(TButtonBarAlign align);
    TButtonBarAlign BarAlign() const { return FAlign; }
    void Relayout(bool force);
    // Moves the first visible button by a page of buttons (direction -1 or 1).
    void ScrollButtons(int32_t direction);

    int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }
    TButtonBarButton* Buttons(int32_t index) const { return FButtons.at(static_cast<size_t>(index)); }
    int32_t FirstVisible() const { return FFirstVisible; }
    int32_t ShownCount() const { return FShownCount; }
    TSpeedButton* ScrollBack() const { return FScrollBack; }
    TSpeedButton* ScrollForward() const { return FScrollForward; }
    TBevel* Separator() const { return FSeparator; }
    // A click on a document's button.
    std::function<void(TButtonBarButton* button)> OnActivateDocument;

protected:
    void Resize() override;

private:
    std::vector<TButtonBarButton*> FButtons;
    TBevel* FSeparator;
    TSpeedButton* FScrollBack;
    TSpeedButton* FScrollForward;
    int32_t FFirstVisible = 0;
    int32_t FActiveIndex = -1;
    int32_t FShownCount = 0;
    bool FLaidOut = false;
    bool FFlat = false;
    bool FInLayout = false;
    TButtonBarAlign FAlign = bbTop;
};
