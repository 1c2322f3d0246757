#include "shell/SmallControls.h"

#include "foundation/MessageDlg.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/runtime/SysUtils.h"
#include "shell/BaseForms.h"

#include <algorithm>
#include <cstdlib>

// --- TScrollBar95 -----------------------------------------------------------------------

const TMessageMap& TScrollBar95::ClassMessageMap()
{
    static const TMessageMap map{&TScrollBar::ClassMessageMap(),
                                 {MessageEntry<&TScrollBar95::WMCancelMode95>(WM_CANCELMODE),
                                  MessageEntry<&TScrollBar95::WMCaptureChanged>(WM_CAPTURECHANGED)}};
    return map;
}

TScrollBar95::TScrollBar95(TComponent* owner) : TScrollBar(owner)
{
    FPageSize = 18;
}

void TScrollBar95::SetPageSize(int32_t pageSize)
{
    FPageSize = pageSize;
    if (HandleAllocated()) {
        SCROLLINFO info;
        info.fMask = SIF_PAGE;
        info.nPage = static_cast<uint32_t>(std::max(0, pageSize));
        SetScrollInfo(Handle(), SB_CTL, info, true);
    }
}

void TScrollBar95::CNScroll(TMessage& m)
{
    const uint16_t code = LoWord(m.WParam);
    int32_t pos = Position();
    switch (code) {
    case SB_LINEUP: pos -= SmallChange; break;
    case SB_LINEDOWN: pos += SmallChange; break;
    case SB_PAGEUP: pos -= LargeChange; break;
    case SB_PAGEDOWN: pos += LargeChange; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The message's 16 bits cannot hold the position: the bar tells it whole.
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        GetScrollInfo(Handle(), SB_CTL, &info);
        pos = info.nTrackPos;
        if (code == SB_THUMBTRACK && OnTrackBarDragEvent)
            OnTrackBarDragEvent(this, pos);
        break;
    }
    case SB_TOP: pos = Min(); break;
    case SB_BOTTOM: pos = Max(); break;
    default: m.Result = 0; return;
    }
    if (!HandleAllocated())
        return;
    SetParams(std::clamp(pos, Min(), Max()), Min(), Max());
    m.Result = 0;
}

void TScrollBar95::WMCancelMode95(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    if (OnCancelMode)
        OnCancelMode(this);
}

void TScrollBar95::WMCaptureChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    if (!(HandleAllocated() && GetCapture() == Handle()) && OnCancelMode)
        OnCancelMode(this);
}

// --- TAdvComboBox -----------------------------------------------------------------------

const TMessageMap& TAdvComboBox::ClassMessageMap()
{
    static const TMessageMap map{&TCustomComboBox::ClassMessageMap(),
                                 {MessageEntry<&TAdvComboBox::CNCommandAdv>(CN_COMMAND)}};
    return map;
}

TAdvComboBox::TAdvComboBox(TComponent* owner) : TComboBox(owner)
{
}

void TAdvComboBox::KeyDown(uint16_t& key, TShiftState shift)
{
    // The arrow keys open a closed list rather than change the selection.
    if ((key == VK_UP || key == VK_DOWN) && !DroppedDown()) {
        if (OnKeyDown)
            OnKeyDown(this, key, shift);
        if (key == 0)
            return;
        SetDroppedDown(true);
        key = 0;
        return;
    }
    TComboBox::KeyDown(key, shift);
}

void TAdvComboBox::CNCommandAdv(TMessage& m)
{
    switch (HiWord(m.WParam)) {
    case CBN_SELCHANGE:
        if (DroppedDown())
            return;  // changes inside the open list wait for its closing
        if (CancelPending) {
            CancelPending = false;
            return;
        }
        break;
    case CBN_DROPDOWN:
        CancelPending = false;
        FIndexAtDrop = ItemIndex();
        FTextAtDrop = Text();
        if (BaseFormServices().FireProgramEvent)
            BaseFormServices().FireProgramEvent(TOOLBAR_COMBOBOX_LISTDROP);
        break;
    case CBN_SELENDCANCEL:
        // The text returns to what it was before the list opened.
        CancelPending = true;
        if (FIndexAtDrop >= 0)
            SetItemIndex(FIndexAtDrop);
        else
            TCustomComboBox::SetText(FTextAtDrop);
        if (OnToolBar && HandleAllocated()) {
            PostMessage(Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessage(Handle(), WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(KEYDATA_PREVIOUSDOWN | KEYDATA_RELEASED));
        }
        return;
    default:
        break;
    }
    Inherited(ClassMessageMap(), m);
}

// --- TComboBoxHint ----------------------------------------------------------------------

TComboBoxHint::TComboBoxHint(TComponent* owner, TCustomComboBox* comboBox, TPaintProc paintProc, int32_t width,
                             int32_t height)
    : THintWindow(owner), FComboBox(comboBox), FPaint(std::move(paintProc)), FHintWidth(width), FHintHeight(height)
{
    comboBox->OnDropDown = [this](TControl*) { ShowHint(); };
    comboBox->OnCloseUp = [this](TControl*) { HideHint(); };
}

TComboBoxHint::~TComboBoxHint()
{
    BeginDestroy();
    if (FShown && Application)
        Application->OnIdle = FReplacedIdle;
}

void TComboBoxHint::ShowHint()
{
    // Beside the open list (which opens after the drop-down notification),
    // at its right, or at its left when the right would pass the screen's edge.
    const TPoint below = FComboBox->ClientToScreen({0, FComboBox->Height()});
    int32_t x = below.X + FComboBox->Width();
    if (x + FHintWidth > GetScreenSize().cx)
        x = below.X - FHintWidth;
    SetColor(clInfoBk);
    FLastItem = -1;
    ActivateHint(Bounds(x, below.Y, FHintWidth, FHintHeight), "");
    if (!FShown && Application) {
        FReplacedIdle = Application->OnIdle;
        Application->OnIdle = [this](TApplication* app, bool& done) {
            const int32_t item = FComboBox->HighlightIndex();
            if (item != FLastItem)
                Invalidate();
            if (FReplacedIdle)
                FReplacedIdle(app, done);
        };
    }
    FShown = true;
}

void TComboBoxHint::HideHint()
{
    if (FShown && Application)
        Application->OnIdle = FReplacedIdle;
    FReplacedIdle = nullptr;
    FShown = false;
    ReleaseHandle();
}

void TComboBoxHint::Paint()
{
    FLastItem = FComboBox->HighlightIndex();
    if (!FPaint) {
        THintWindow::Paint();
        return;
    }
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    FPaint(*this, c, FLastItem);
}

// --- TValidationEdit --------------------------------------------------------------------

TValidationEdit::TValidationEdit(TComponent* owner) : TEdit(owner)
{
    FWidth = 70;
}

std::string TValidationEdit::FormatValue(int32_t value) const
{
    const int64_t v = value;
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (FDigits > 0) {
        if (static_cast<int32_t>(digits.size()) < FDigits + 1)
            digits.insert(0, static_cast<size_t>(FDigits + 1) - digits.size(), '0');
        digits.insert(digits.size() - static_cast<size_t>(FDigits), 1, FormatSettings().DecimalSeparator);
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == FormatSettings().DecimalSeparator)
            digits.pop_back();
    }
    return (v < 0 ? "-" : "") + digits + FTail;
}

std::string TValidationEdit::GetNumberText(const std::string& source) const
{
    std::string text = source;
    if (!FTrimmedTail.empty())
        if (const size_t at = text.find(FTrimmedTail); at != std::string::npos)
            text.erase(at, FTrimmedTail.size());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    int32_t parsed = 0;
    if (OnTextToValue && OnTextToValue(text, parsed))
        return std::to_string(parsed);
    if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    if (FDigits < 1)
        return text;
    size_t sep = text.find(FormatSettings().DecimalSeparator);
    if (sep == std::string::npos)
        sep = text.find(',');
    if (sep == std::string::npos)
        sep = text.find('.');
    if (sep == std::string::npos)
        return text + std::string(static_cast<size_t>(FDigits), '0');
    if (sep == 0 || (sep == 1 && text[0] == '-')) {
        text.insert(sep, 1, '0');
        ++sep;
    }
    // Digits beyond the decimals are cut, not rounded.
    std::string fraction = text.substr(sep + 1, static_cast<size_t>(FDigits));
    fraction.append(static_cast<size_t>(FDigits) - fraction.size(), '0');
    return text.substr(0, sep) + fraction;
}

bool TValidationEdit::ParseNumberText(const std::string& numberText, int32_t& value) const
{
    // Decimal digits with an optional sign only: hexadecimal forms ("$10",
    // "x10") that the runtime's integer reader takes are no numbers here.
    size_t i = 0;
    if (i < numberText.size() && (numberText[i] == '-' || numberText[i] == '+'))
        ++i;
    if (i == numberText.size())
        return false;
    for (size_t j = i; j < numberText.size(); ++j)
        if (numberText[j] < '0' || numberText[j] > '9')
            return false;
    int64_t v = 0;
    for (size_t j = i; j < numberText.size(); ++j) {
        v = v * 10 + (numberText[j] - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (numberText[0] == '-')
        v = -v;
    if (v > 2147483647LL)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool TValidationEdit::IsValueValid() const
{
    int32_t v = 0;
    if (!ParseNumberText(GetNumberText(Text()), v))
        return false;
    return !RangeCheck || (v >= Min && v <= Max);
}

void TValidationEdit::ReportInvalidValue()
{
    TForm* form = ParentForm();
    for (TWinControl* p = Parent(); p && p != form; p = p->Parent())
        if (auto* sheet = dynamic_cast<TTabSheet*>(p)) {
            if (sheet->PageControl())
                sheet->PageControl()->SetActivePage(sheet);
            break;
        }
    if (CanFocus())
        SetFocus();
    int32_t v = 0;
    if (!ParseNumberText(GetNumberText(Text()), v))
        ShowWarning("Le nombre spécifié n'est pas valide.");
    else if (RangeCheck && (v < Min || v > Max))
        ShowWarning(Format("Le nombre doit être compris entre %s et %s.", {FormatValue(Min), FormatValue(Max)}));
}

void TValidationEdit::RewriteText()
{
    const bool enabled = ChangeEventsEnabled;
    ChangeEventsEnabled = false;
    SetText(FEmpty ? std::string() : FormatValue(FValue));
    ChangeEventsEnabled = enabled;
}

void TValidationEdit::SetValue(int32_t value)
{
    if (RangeCheck && (value < Min || value > Max))
        return;
    int32_t current = 0;
    if (!FEmpty && ParseNumberText(GetNumberText(Text()), current) && current == value)
        return;
    FValue = value;
    FEmpty = false;
    RewriteText();
    if (OnValueChanged)
        OnValueChanged(this);
}

void TValidationEdit::SetEmpty(bool empty)
{
    FEmpty = empty;
    RewriteText();
}

void TValidationEdit::SetNrOfDigitsAfterSeparator(int32_t digits)
{
    FDigits = std::max(0, digits);
    RewriteText();
}

void TValidationEdit::SetTailString(const std::string& tail)
{
    FTail = tail;
    const size_t first = tail.find_first_not_of(' ');
    FTrimmedTail = first == std::string::npos ? std::string() : tail.substr(first);
    RewriteText();
}

void TValidationEdit::ApplyText()
{
    int32_t v = 0;
    if (IsValueValid() && ParseNumberText(GetNumberText(Text()), v))
        FValue = v;
    FEmpty = false;
}

void TValidationEdit::Change()
{
    TEdit::Change();
    if (!ChangeEventsEnabled)
        return;
    ApplyText();
    if (OnValueChanged)
        OnValueChanged(this);
}

// --- TUpDownEdit ------------------------------------------------------------------------

TUpDownEdit::TUpDownEdit(TComponent* owner) : TValidationEdit(owner), FUpDown(new TUpDown(this))
{
    FUpDown->TabStop = false;
    FUpDown->OnClick = [this](TControl*, TUDBtnType button) {
        Step(button == TUDBtnType::btNext ? Increment : -Increment);
    };
}

void TUpDownEdit::PlaceUpDown()
{
    if (!Parent())
        return;
    FUpDown->SetParent(Parent());
    FUpDown->SetBounds(Left() + Width(), Top(), 16, Height());
    FUpDown->SetEnabled(Enabled());
    FUpDown->SetVisible(Visible());
}

void TUpDownEdit::SetParent(TWinControl* parent)
{
    TValidationEdit::SetParent(parent);
    if (!Destroying())
        PlaceUpDown();
}

void TUpDownEdit::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    TValidationEdit::SetBounds(left, top, width, height);
    if (FUpDown)
        PlaceUpDown();
}

void TUpDownEdit::SetEnabled(bool enabled)
{
    TValidationEdit::SetEnabled(enabled);
    FUpDown->SetEnabled(enabled);
}

void TUpDownEdit::SetVisible(bool visible)
{
    TValidationEdit::SetVisible(visible);
    FUpDown->SetVisible(visible);
}

void TUpDownEdit::Step(int32_t delta)
{
    if (delta == 0)
        return;
    const bool plus = !Text().empty() && Text()[0] == '+';
    const int64_t v = Value();
    const int64_t d = std::abs(static_cast<int64_t>(delta));
    int64_t next = v - v % d + delta;  // the remainder keeps the value's sign
    if (delta > 0)
        next = std::min<int64_t>(next, Max);
    else
        next = std::max<int64_t>(next, Min);
    const bool events = ChangeEventsEnabled;
    ChangeEventsEnabled = false;
    SetValue(static_cast<int32_t>(next));
    ChangeEventsEnabled = events;
    if (plus && (Text().empty() || Text()[0] != '+')) {
        ChangeEventsEnabled = false;
        SetText("+" + Text());
        ChangeEventsEnabled = events;
    }
    if (OnStep)
        OnStep(this);
}

void TUpDownEdit::KeyDown(uint16_t& key, TShiftState shift)
{
    int64_t unit = 1;
    for (int32_t i = 0; i < NrOfDigitsAfterSeparator(); ++i)
        unit *= 10;
    switch (key) {
    case VK_UP: Step(Increment); break;
    case VK_DOWN: Step(-Increment); break;
    case VK_PRIOR: Step(static_cast<int32_t>(unit)); break;
    case VK_NEXT: Step(static_cast<int32_t>(-unit)); break;
    default: TValidationEdit::KeyDown(key, shift); return;
    }
    key = 0;
}
