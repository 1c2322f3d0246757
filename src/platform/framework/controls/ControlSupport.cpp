#include "platform/framework/controls/ControlSupport.h"

#include "platform/runtime/CodePages.h"

LRESULT NotifyParent(TWinControl& control, UINT msg, WPARAM wParam)
{
    // A control without a window yet (text set before it is shown) is told
    // directly, without making one.
    TWinControl* parent = control.Parent();
    if (control.HandleAllocated() && parent && parent->HandleAllocated())
        return SendMessage(parent->Handle(), msg, wParam, static_cast<LPARAM>(control.Handle()));
    return control.Perform(CN_BASE + msg, wParam,
                           static_cast<LPARAM>(control.HandleAllocated() ? control.Handle() : HWND_NONE));
}

std::string StripAccelChars(const std::string& caption)
{
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out += '&';
            ++i;
            if (i < caption.size() && caption[i] != '&')
                out += caption[i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

char AccelCharOf(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return 0;
}

namespace {
char Upper1252(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 0x20);
    return c;
}
} // namespace

bool IsAccel(char ch, const std::string& caption)
{
    const char a = AccelCharOf(caption);
    return a != 0 && Upper1252(a) == Upper1252(ch);
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        if (rect.Width() < 2 || rect.Height() < 2)
            return;
        canvas.Brush().SetColor(topLeft);
        canvas.FillRect({rect.Left, rect.Top, rect.Right - 1, rect.Top + 1});
        canvas.FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom - 1});
        canvas.Brush().SetColor(bottomRight);
        canvas.FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
        canvas.FillRect({rect.Right - 1, rect.Top, rect.Right, rect.Bottom});
        rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
    }
}

void DrawRaisedFrame(TCanvas& canvas, TRect rect)
{
    Frame3D(canvas, rect, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(canvas, rect, clBtnFace, clBtnShadow, 1);
}

void DrawSunkenFrame(TCanvas& canvas, TRect rect)
{
    Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
    Frame3D(canvas, rect, cl3DDkShadow, clBtnFace, 1);
}

void DrawCaption(TCanvas& canvas, const TRect& rect, const std::string& caption, bool enabled, bool centerX,
                 bool centerY)
{
    const std::string text = StripAccelChars(caption);
    const TSize size = canvas.TextExtent(text.empty() ? std::string("Ag") : text);
    const int32_t x = centerX ? rect.Left + (rect.Width() - size.cx) / 2 : rect.Left;
    const int32_t y = centerY ? rect.Top + (rect.Height() - size.cy) / 2 : rect.Top;
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const TColor color = canvas.Font().Color();
    if (!enabled) {
        canvas.Font().SetColor(clBtnHighlight);
        canvas.TextRect(rect, x + 1, y + 1, text);
        canvas.Font().SetColor(clGrayText);
    }
    canvas.TextRect(rect, x, y, text);
    canvas.Font().SetColor(color);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}
