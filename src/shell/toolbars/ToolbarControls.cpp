#include "shell/toolbars/ToolbarControls.h"

#include "document/model/Document.h"
#include "foundation/NotSet.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/controls/ToolBars.h"
#include "shell/toolbars/ToolbarMenus.h"
#include "platform/runtime/SysUtils.h"
#include "shell/toolbars/ControlCommands.h"
#include "shell/toolbars/ToolbarManager.h"

#include <algorithm>

const int32_t UnderlineKinds[UnderlineKindCount] = {0, 2, 1, 3, 6, 4, 20, 7, 23, 39, 55, 9, 25, 10, 26, 11, 27, 43};
const int32_t ZoomEntryValues[ZoomEntryCount] = {500, 250, 200, 150, 100, 75, 50, 25, 10,
                                                 1 << 16, 2 << 16, 3 << 16, 4 << 16};
const int32_t FontSizeEntries[FontSizeEntryCount] = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

namespace {

const char* const ZoomModeNames[4] = {"Largeur de page", "Largeur du texte", "Pages entières", "Deux pages"};

// The look of an underline kind: its basic line and its variants.
struct TUnderlineLook {
    int Basic;  // 1 single, 2 words, 3 double, 4 dotted, 6 thick, 7 dashes, 9 dash-dot, 10 dash-dot-dot, 11 wave
    bool Heavy;
    bool Long;
};

TUnderlineLook LookOf(int32_t kind)
{
    return {kind & 0x0F, (kind & 0x10) != 0, (kind & 0x20) != 0};
}

std::string BasicUnderlineName(int basic)
{
    switch (basic) {
    case 0: return "Aucun";
    case 1: return "Simple";
    case 2: return "Mots seulement";
    case 3: return "Double";
    case 4: return "Pointillé";
    case 6: return "Épais";
    case 7: return "Tirets";
    case 9: return "Trait-point";
    case 10: return "Trait-point-point";
    case 11: return "Ondulé";
    default: return "Soulignement";
    }
}

void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, int32_t kind, TColor colour)
{
    const TUnderlineLook look = LookOf(kind);
    if (look.Basic == 0)
        return;
    const int32_t y = (rect.Top + rect.Bottom) / 2;
    const int32_t thick = look.Heavy || look.Basic == 6 ? 2 : 1;
    canvas.Brush().SetColor(colour);
    auto dash = [&](int32_t x0, int32_t x1, int32_t yy) { canvas.FillRect({x0, yy, std::min(x1, rect.Right - 4), yy + thick}); };
    const int32_t left = rect.Left + 4, right = rect.Right - 4;
    switch (look.Basic) {
    case 2:
        for (int32_t x = left; x < right; x += 14)
            dash(x, x + 9, y);
        break;
    case 3:
        dash(left, right, y - 2);
        dash(left, right, y + 1);
        break;
    case 4:
        for (int32_t x = left; x < right; x += 3)
            dash(x, x + 1 + (look.Long ? 1 : 0), y);
        break;
    case 7:
        for (int32_t x = left; x < right; x += look.Long ? 10 : 6)
            dash(x, x + (look.Long ? 7 : 4), y);
        break;
    case 9:
        for (int32_t x = left; x < right; x += 9)
            dash(x, x + 4, y), dash(x + 6, x + 7, y);
        break;
    case 10:
        for (int32_t x = left; x < right; x += 12)
            dash(x, x + 4, y), dash(x + 6, x + 7, y), dash(x + 9, x + 10, y);
        break;
    case 11:
        for (int32_t x = left; x < right; ++x) {
            const int32_t dy = (x / 2) % 2;
            dash(x, x + 1, y + dy);
            if (look.Long)
                dash(x, x + 1, y + dy + 3);
        }
        break;
    default:
        dash(left, right, y);
        break;
    }
}

void DrawColourSwatch(TCanvas& canvas, const TRect& r, int32_t index)
{
    canvas.Brush().SetColor(index == 0 ? clWindow : static_cast<TColor>(BasicColor(index)));
    canvas.FillRect(r);
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FrameRect(r);
    if (index == 0) {
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Right, r.Top - 1);
    }
}

const char* DisplayName(const TStyle& style)
{
    return style.Name.c_str();
}

}  // namespace

std::string UnderlineKindName(int32_t index)
{
    const TUnderlineLook look = LookOf(UnderlineKinds[index]);
    std::string name = BasicUnderlineName(look.Basic);
    if (look.Long)
        name += look.Basic == 11 ? " double" : " long";
    if (look.Heavy)
        name += " épais";
    return name;
}

std::string FormatHalfPoints(int32_t halfPoints)
{
    std::string text = IntToStr(halfPoints / 2);
    if (halfPoints % 2)
        text += ",5";
    return text;
}

const char* GeneralMenuResource(TCommandId id)
{
    switch (id) {
    case 100: return "NEW";
    case 120: return "OPEN";
    case 200: return "SAVEDOCAS";
    case 300: return "EMAIL";
    case 1260: return "FAVORITES";
    case 3645: return "FIND";
    case 3646: return "REPLACE";
    case 4020: return "CASE";
    case 3580: return "SYMBOL";
    case 3600: return "INSPIC";
    case 3620: return "INSFILE";
    default: return nullptr;
    }
}

TToolbarComboBox::TToolbarComboBox(TComponent* owner, TCommandId id) : TComboBox(owner), CommandId(id) {}

void TToolbarComboBox::KeyDown(uint16_t& key, TShiftState shift)
{
    if (!DroppedDown() && key == VK_RETURN) {
        key = 0;
        if (OnInput)
            OnInput(*this);
        return;
    }
    if (!DroppedDown() && key == VK_ESCAPE) {
        key = 0;
        if (OnEscape)
            OnEscape(*this);
        return;
    }
    TComboBox::KeyDown(key, shift);
}

void TToolbarComboBox::Select()
{
    TComboBox::Select();
    if (OnInput)
        OnInput(*this);
}

TToolbarComboBox* CreateToolbarControl(TToolBar& bar, TCommandId id)
{
    auto* box = new TToolbarComboBox(&bar, id);
    box->SetParent(&bar);
    box->DropDownCount = 12;
    int32_t width = 55;
    switch (id) {
    case 206100:
        for (int i = 0; i < 9; ++i)
            box->Items().Add(IntToStr(ZoomEntryValues[i]) + "%");
        for (const char* name : ZoomModeNames)
            box->Items().Add(name);
        break;
    case 209050:
        width = 110;
        box->SetSorted(true);
        break;
    case 212100:
        width = 120;
        if (TFontManager* fonts = GetFontManager())
            fonts->GetFontNames(box->Items());
        break;
    case 212200:
        width = 44;
        for (int32_t size : FontSizeEntries)
            box->Items().Add(IntToStr(size));
        break;
    case 212300:
        width = 38;
        box->Style = TComboBoxStyle::csOwnerDrawFixed;
        box->DropDownCount = 35;
        for (int32_t i = 0; i <= BasicColorCount; ++i)
            box->Items().Add(BasicColorName(i));
        box->OnDrawItem = [](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state) {
            canvas.Brush().SetColor((state & odSelected) && !(state & odComboBoxEdit) ? clHighlight : clWindow);
            canvas.FillRect(rect);
            if (index >= 0)
                DrawColourSwatch(canvas, {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2}, index);
        };
        break;
    case 212400:
        width = 80;
        box->Style = TComboBoxStyle::csOwnerDrawFixed;
        box->DropDownCount = 10;
        for (int32_t i = 0; i < UnderlineKindCount; ++i)
            box->Items().Add(UnderlineKindName(i));
        box->OnDrawItem = [](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state) {
            const bool selected = (state & odSelected) && !(state & odComboBoxEdit);
            canvas.Brush().SetColor(selected ? clHighlight : clWindow);
            canvas.FillRect(rect);
            if (index >= 0)
                DrawUnderlineSample(canvas, rect, UnderlineKinds[index], selected ? clHighlightText : clWindowText);
        };
        break;
    default:
        break;
    }
    box->SetWidth(width);
    return box;
}

void ShowControlValue(TToolbarComboBox& box, TDocument* document, const TCharFormat* painterFormat)
{
    if (box.Focused() || box.DroppedDown())
        return;
    const TCharFormat* format = painterFormat ? painterFormat : document ? &document->SelCharFormat : nullptr;
    std::string text;
    int32_t index = -1;
    switch (box.CommandId) {
    case 206100:
        if (document)
            text = IntToStr(document->Zoom()) + "%";
        break;
    case 209050: {
        if (!document)
            break;
        std::vector<std::string> names;
        for (int32_t i = 0; i < document->Styles().Count(); ++i)
            names.push_back(DisplayName(document->Styles()[i]));
        std::sort(names.begin(), names.end());
        std::vector<std::string> shown;
        for (int32_t i = 0; i < box.Items().Count(); ++i)
            shown.push_back(box.Items().Strings(i));
        if (names != shown) {
            box.Items().Clear();
            for (const std::string& name : names)
                box.Items().Add(name);
        }
        const int32_t styleIndex = document->SelParFormat[pfStyle];
        if (const TStyle* style = styleIndex == NotSet ? nullptr : document->Styles().Find(styleIndex))
            text = DisplayName(*style);
        break;
    }
    case 212100:
        if (format && (*format)[cfFont] != NotSet)
            if (TFontManager* fonts = GetFontManager())
                if (const TRegisteredFont* font = fonts->FindFont((*format)[cfFont]))
                    text = font->FaceName;
        break;
    case 212200:
        if (format && (*format)[cfSize] != NotSet && (*format)[cfSize] > 0)
            text = FormatHalfPoints((*format)[cfSize]);
        break;
    case 212300:
        if (format && (*format)[cfColor] != NotSet && (*format)[cfColor] >= 0 && (*format)[cfColor] <= BasicColorCount)
            index = (*format)[cfColor];
        if (box.ItemIndex() != index)
            box.SetItemIndex(index);
        return;
    case 212400:
        if (format && (*format)[cfUnderline] != NotSet) {
            const int32_t* end = UnderlineKinds + UnderlineKindCount;
            const int32_t* found = std::find(UnderlineKinds, end, (*format)[cfUnderline]);
            index = found == end ? -1 : static_cast<int32_t>(found - UnderlineKinds);
        }
        if (box.ItemIndex() != index)
            box.SetItemIndex(index);
        return;
    default:
        return;
    }
    if (box.Text() != text)
        box.SetText(text);
}

bool ReadControlInput(TToolbarComboBox& box, TDocument* document, bool painter, TControlValue& value)
{
    const int32_t chosen = box.ItemIndex();
    switch (box.CommandId) {
    case 206100:
        if (chosen >= 0 && box.Text() == box.Items().Strings(chosen)) {
            value.Int = ZoomEntryValues[chosen];
            return true;
        }
        value.Int = ParseZoomText(box.Text());
        return value.Int != 0;
    case 212200:
        if (Trim(box.Text()).empty()) {
            if (painter) {
                value.Int = NotSet;
                return true;
            }
            if (document && document->SelCharFormat[cfSize] == NotSet)
                return false;
        }
        value.Int = ParseSizeText(box.Text());
        return value.Int != 0;
    case 209050:
    case 212100:
        value.Text = box.Text();
        return true;
    case 212300:
        value.Int = chosen;
        return chosen >= 0;
    case 212400:
        value.Int = chosen >= 0 ? UnderlineKinds[chosen] : -1;
        return true;
    default:
        return false;
    }
}

