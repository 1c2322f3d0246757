#include "platform/framework/controls/Edits.h"

#include "platform/framework/Forms.h"
#include "platform/framework/controls/ControlSupport.h"

#include <algorithm>
#include <vector>

namespace {

// The lines of a text: start offsets and lengths (CR LF or LF separates).
struct TLineSpan {
    int32_t Start;
    int32_t Length;
};

std::vector<TLineSpan> SplitLines(const std::string& text, bool multiLine)
{
    std::vector<TLineSpan> lines;
    if (!multiLine) {
        lines.push_back({0, static_cast<int32_t>(text.size())});
        return lines;
    }
    int32_t start = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(text.size()); ++i) {
        if (text[static_cast<size_t>(i)] == '\n') {
            int32_t end = i;
            if (end > start && text[static_cast<size_t>(end - 1)] == '\r')
                --end;
            lines.push_back({start, end - start});
            start = i + 1;
        }
    }
    lines.push_back({start, static_cast<int32_t>(text.size()) - start});
    return lines;
}

constexpr int32_t Margin = 3;

} // namespace

const TMessageMap& TCustomEdit::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TCustomEdit::CNCommand>(CN_COMMAND),
                                  MessageEntry<&TCustomEdit::WMSetFocus>(WM_SETFOCUS),
                                  MessageEntry<&TCustomEdit::WMKillFocus>(WM_KILLFOCUS)}};
    return map;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
    FColor = clWindow;
    FWidth = 121;
    FHeight = 21;
    FCursor = crIBeam;
}

TCustomEdit::~TCustomEdit()
{
    BeginDestroy();
    if (HandleAllocated() && CaretWindow() == Handle())
        DestroyCaret();
}

void TCustomEdit::SetText(const std::string& text)
{
    std::string t = text;
    if (!MultiLine())
        t = t.substr(0, t.find_first_of("\r\n"));
    if (MaxLength > 0 && static_cast<int32_t>(t.size()) > MaxLength)
        t.resize(static_cast<size_t>(MaxLength));
    if (t == FCaption)
        return;
    TWinControl::SetCaption(t);
    const auto n = static_cast<int32_t>(FCaption.size());
    FSelStart = FSelEnd = FCaret = std::min(FSelStart, n);
    Invalidate();
    PlaceCaret();
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, EN_CHANGE));
}

void TCustomEdit::SetSelection(int32_t anchor, int32_t caret)
{
    const auto n = static_cast<int32_t>(FCaption.size());
    anchor = std::clamp(anchor, 0, n);
    caret = std::clamp(caret, 0, n);
    FCaret = caret;
    FSelStart = std::min(anchor, caret);
    FSelEnd = std::max(anchor, caret);
    Invalidate();
    PlaceCaret();
}

void TCustomEdit::SetSelStart(int32_t pos)
{
    SetSelection(pos, pos);
}

void TCustomEdit::SetSelLength(int32_t length)
{
    SetSelection(FSelStart, FSelStart + std::max(0, length));
}

std::string TCustomEdit::SelText() const
{
    return FCaption.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelEnd - FSelStart));
}

void TCustomEdit::SelectAll()
{
    SetSelection(0, static_cast<int32_t>(FCaption.size()));
}

void TCustomEdit::SetSelText(const std::string& text)
{
    std::string t = FCaption;
    std::string insert = text;
    if (MaxLength > 0) {
        const auto room = static_cast<size_t>(std::max(0, MaxLength - static_cast<int32_t>(t.size()) + SelLength()));
        if (insert.size() > room)
            insert.resize(room);
    }
    t.replace(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelEnd - FSelStart), insert);
    const int32_t caret = FSelStart + static_cast<int32_t>(insert.size());
    FSelStart = FSelEnd = FCaret = caret;
    TWinControl::SetCaption(t);
    Modified = true;
    Invalidate();
    PlaceCaret();
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, EN_CHANGE));
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& m)
{
    if (HiWord(m.WParam) == EN_CHANGE)
        Change();
}

void TCustomEdit::WMSetFocus(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    if (!HandleAllocated())
        return;
    Canvas().Font().Assign(Font());
    FLineHeight = Canvas().TextHeight("Ag");
    CreateCaret(Handle(), nullptr, 1, FLineHeight);
    PlaceCaret();
    ShowCaret(Handle());
    if (!MultiLine())
        SelectAll();
}

void TCustomEdit::WMKillFocus(TMessage& m)
{
    if (HandleAllocated() && CaretWindow() == Handle())
        DestroyCaret();
    Inherited(ClassMessageMap(), m);
    Invalidate();
}

std::string TCustomEdit::ShownText() const
{
    if (PasswordChar == 0 || MultiLine())
        return FCaption;
    return std::string(FCaption.size(), PasswordChar);
}

TPoint TCustomEdit::PointOf(int32_t offset)
{
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    const std::string shown = ShownText();
    const auto lines = SplitLines(shown, MultiLine());
    for (size_t i = 0; i < lines.size(); ++i) {
        const TLineSpan& l = lines[i];
        if (offset <= l.Start + l.Length || i + 1 == lines.size()) {
            const int32_t x = c.TextWidth(std::string_view(shown).substr(static_cast<size_t>(l.Start),
                                                                             static_cast<size_t>(offset - l.Start)));
            return {Margin + x, Margin + static_cast<int32_t>(i) * FLineHeight};
        }
    }
    return {Margin, Margin};
}

int32_t TCustomEdit::OffsetAt(int32_t x, int32_t y)
{
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    const std::string shown = ShownText();
    const auto lines = SplitLines(shown, MultiLine());
    const int32_t row = std::clamp((y - Margin) / std::max(1, FLineHeight), 0, static_cast<int32_t>(lines.size()) - 1);
    const TLineSpan& l = lines[static_cast<size_t>(row)];
    for (int32_t i = 0; i < l.Length; ++i) {
        const int32_t left = c.TextWidth(std::string_view(shown).substr(static_cast<size_t>(l.Start), static_cast<size_t>(i)));
        const int32_t right =
            c.TextWidth(std::string_view(shown).substr(static_cast<size_t>(l.Start), static_cast<size_t>(i + 1)));
        if (x - Margin < (left + right) / 2)
            return l.Start + i;
    }
    return l.Start + l.Length;
}

void TCustomEdit::PlaceCaret()
{
    if (!HandleAllocated() || CaretWindow() != Handle())
        return;
    const TPoint p = PointOf(FCaret);
    SetCaretPos(p.X, p.Y);
}

void TCustomEdit::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(r);
    DrawSunkenFrame(c, r);
    c.Font().Assign(Font());
    FLineHeight = c.TextHeight("Ag");
    if (!Enabled())
        c.Font().SetColor(clGrayText);
    const std::string shown = ShownText();
    const auto lines = SplitLines(shown, MultiLine());
    const TRect inner{2, 2, Width() - 2, Height() - 2};
    for (size_t i = 0; i < lines.size(); ++i) {
        const TLineSpan& l = lines[i];
        const int32_t y = Margin + static_cast<int32_t>(i) * FLineHeight;
        const std::string_view line = std::string_view(shown).substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Length));
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.TextRect(inner, Margin, y, line);
        // The selection, in the highlight colours, when the edit has the focus.
        const int32_t s = std::max(FSelStart, l.Start), e = std::min(FSelEnd, l.Start + l.Length);
        if (Focused() && s < e) {
            const int32_t x0 = Margin + c.TextWidth(line.substr(0, static_cast<size_t>(s - l.Start)));
            c.Brush().SetStyle(TBrushStyle::bsSolid);
            c.Brush().SetColor(clHighlight);
            const TColor ink = c.Font().Color();
            c.Font().SetColor(clHighlightText);
            const std::string_view part = line.substr(static_cast<size_t>(s - l.Start), static_cast<size_t>(e - s));
            const TRect band{x0, y, x0 + c.TextWidth(part), y + FLineHeight};
            TRect clipped = band;
            clipped.Right = std::min(clipped.Right, inner.Right);
            c.TextRect(clipped, x0, y, part);
            c.Font().SetColor(ink);
        }
        c.Brush().SetStyle(TBrushStyle::bsSolid);
    }
}

void TCustomEdit::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const auto n = static_cast<int32_t>(FCaption.size());
    const bool extend = (shift & ssShift) != 0;
    const int32_t anchor = FCaret == FSelStart ? FSelEnd : FSelStart;
    auto moveTo = [&](int32_t pos) { SetSelection(extend ? anchor : pos, pos); };
    const auto lines = SplitLines(FCaption, MultiLine());
    size_t row = 0;
    while (row + 1 < lines.size() && FCaret > lines[row].Start + lines[row].Length)
        ++row;
    switch (key) {
    case VK_LEFT: moveTo(SelLength() && !extend ? FSelStart : std::max(0, FCaret - 1)); break;
    case VK_RIGHT: moveTo(SelLength() && !extend ? FSelEnd : std::min(n, FCaret + 1)); break;
    case VK_HOME: moveTo(lines[row].Start); break;
    case VK_END: moveTo(lines[row].Start + lines[row].Length); break;
    case VK_UP:
    case VK_DOWN: {
        if (!MultiLine())
            return;
        const TPoint p = PointOf(FCaret);
        moveTo(OffsetAt(p.X, p.Y + (key == VK_UP ? -FLineHeight : FLineHeight)));
        break;
    }
    case VK_DELETE:
        if (ReadOnly)
            return;
        if (!SelLength())
            SetSelection(FCaret, std::min(n, FCaret + (FCaption.compare(static_cast<size_t>(FCaret), 2, "\r\n") == 0 ? 2 : 1)));
        SetSelText("");
        break;
    default: return;
    }
    key = 0;
}

void TCustomEdit::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (key == 0 || ReadOnly)
        return;
    const auto u = static_cast<unsigned char>(key);
    if (u == VK_BACK) {
        if (!SelLength() && FCaret > 0)
            SetSelection(FCaret, FCaret - (FCaret >= 2 && FCaption.compare(static_cast<size_t>(FCaret - 2), 2, "\r\n") == 0 ? 2 : 1));
        SetSelText("");
    } else if (u == '\r') {
        if (MultiLine())
            SetSelText("\r\n");
    } else if (u == '\t') {
        if (MultiLine() && WantTabs())
            SetSelText("\t");
    } else if (u >= 32) {
        SetSelText(std::string(1, key));
    }
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        const int32_t pos = OffsetAt(x, y);
        SetSelection((shift & ssShift) ? (FCaret == FSelStart ? FSelEnd : FSelStart) : pos, pos);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner)
{
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner), FLines(std::make_unique<TStringList>())
{
    FWidth = 185;
    FHeight = 89;
    FLines->OnChange = [this](TStringList&) {
        if (FSyncing)
            return;
        std::string text = FLines->Text();
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
            text.resize(text.size() - 2);
        else if (!text.empty() && text.back() == '\n')
            text.pop_back();
        FSyncing = true;
        SetText(text);
        FSyncing = false;
    };
}

TStrings& TMemo::Lines()
{
    return *FLines;
}

void TMemo::Change()
{
    if (!FSyncing) {
        FSyncing = true;
        FLines->SetText(FCaption);
        FSyncing = false;
    }
    TCustomEdit::Change();
}
