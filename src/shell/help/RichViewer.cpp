#include "shell/help/RichViewer.h"

#include "platform/framework/Bitmap.h"
#include "platform/gdi/Drawing.h"
#include "platform/win/SysColors.h"

#include <algorithm>

bool ApplyRichCode(char code, TRichStyle& style)
{
    switch (code) {
    case 'd': style = TRichStyle(); break;
    case 'b': style.Bold = !style.Bold; break;
    case 'i': style.Italic = !style.Italic; break;
    case 'u': style.Underline = !style.Underline; break;
    case 's': style.StrikeOut = !style.StrikeOut; break;
    case 'r': style.Reverse = !style.Reverse; break;
    case 'A': style.Color = clDefault; break;
    case 'R': style.Color = 0x0000FF; break;
    case 'B': style.Color = 0xFF0000; break;
    case 'G': style.Color = 0x008000; break;
    case 'F': style.Color = 0xFF00FF; break;
    default: return false;
    }
    return true;
}

TRichViewer::TRichViewer(TComponent* owner) : TCustomControl(owner) {}

TRichViewer::~TRichViewer() = default;

void TRichViewer::SetText(const std::string& text)
{
    FText = text;
    FLinesBuilt = false;
    FLines.clear();
    Invalidate();
}

void TRichViewer::Resize()
{
    TCustomControl::Resize();
    FLinesBuilt = false;
}

void TRichViewer::SelectFont(TCanvas& canvas, const TRichStyle& style) const
{
    TFont& font = canvas.Font();
    font.SetName(FontName);
    font.SetSize(FontSize);
    font.SetStyle(static_cast<TFontStyles>((style.Bold ? fsBold : 0) | (style.Italic ? fsItalic : 0) |
                                           (style.Underline ? fsUnderline : 0) |
                                           (style.StrikeOut ? fsStrikeOut : 0)));
    font.SetColor(style.Color == clDefault ? static_cast<TColor>(GetSysColor(COLOR_WINDOWTEXT)) : style.Color);
}

const std::vector<std::unique_ptr<TMessageLine>>& TRichViewer::Lines()
{
    if (!FLinesBuilt) {
        TBitmap scratch;
        scratch.SetSize(1, 1);
        BuildLines(scratch.Canvas());
    }
    return FLines;
}

// Each line takes characters while they fit the width; markup takes no width;
// "^p" ends the line; a line too long breaks after the last blank that fits
// (or, with none, before the character that does not fit).
void TRichViewer::BuildLines(TCanvas& canvas)
{
    FLines.clear();
    SelectFont(canvas, TRichStyle());
    FLineHeight = canvas.TextHeight("Ag") + 2;
    const int32_t available = std::max(Width() - Margin - 4, 1);
    const auto size = static_cast<int32_t>(FText.size());
    TRichStyle style;
    int32_t pos = 0;
    while (pos < size) {
        auto line = std::make_unique<TMessageLine>();
        line->Start = pos;
        line->Style = style;
        line->Height = FLineHeight;
        int32_t width = 0;
        int32_t breakAfterBlank = -1;  // position after the last blank that fit
        TRichStyle styleAtBreak;
        int32_t i = pos;
        while (i < size) {
            if (FText[static_cast<size_t>(i)] == '^') {
                if (i + 1 >= size) {
                    i = size;
                    break;
                }
                const char code = FText[static_cast<size_t>(i) + 1];
                i += 2;
                if (code == 'p')
                    break;
                ApplyRichCode(code, style);
                continue;
            }
            SelectFont(canvas, style);
            const int32_t w = canvas.TextWidth(std::string_view(&FText[static_cast<size_t>(i)], 1));
            if (width + w > available && i > pos) {
                if (breakAfterBlank > pos) {
                    i = breakAfterBlank;
                    style = styleAtBreak;
                }
                break;
            }
            width += w;
            ++i;
            if (FText[static_cast<size_t>(i) - 1] == ' ') {
                breakAfterBlank = i;
                styleAtBreak = style;
            }
        }
        line->Count = i - pos;
        FLines.push_back(std::move(line));
        pos = i;
    }
    FLinesBuilt = true;
}

std::vector<TRichRun> TRichViewer::LineRuns(int32_t index)
{
    const auto& lines = Lines();
    std::vector<TRichRun> runs;
    if (index < 0 || index >= static_cast<int32_t>(lines.size()))
        return runs;
    const TMessageLine& line = *lines[static_cast<size_t>(index)];
    TRichStyle style = line.Style;
    const int32_t end = line.Start + line.Count;
    for (int32_t i = line.Start; i < end; ++i) {
        const char c = FText[static_cast<size_t>(i)];
        if (c == '^') {
            if (i + 1 < end)
                ApplyRichCode(FText[static_cast<size_t>(i) + 1], style);
            ++i;
            continue;
        }
        if (runs.empty() || !(runs.back().Style == style))
            runs.push_back({std::string(), style});
        runs.back().Text += c;
    }
    return runs;
}

void TRichViewer::Paint()
{
    const int32_t w = Width();
    const int32_t h = Height();
    if (w <= 0 || h <= 0)
        return;
    TBitmap buffer;
    buffer.SetSize(w, h);
    TCanvas& c = buffer.Canvas();
    if (!FLinesBuilt)
        BuildLines(c);
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.Brush().SetColor(static_cast<TColor>(GetSysColor(COLOR_WINDOW)));
    c.FillRect({0, 0, w, h});
    if (OnDrawRichViewerHeader)
        OnDrawRichViewerHeader(*this, c);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    int32_t y = Header;
    for (int32_t index = 0; index < static_cast<int32_t>(FLines.size()) && y < h; ++index) {
        int32_t x = Margin;
        for (const TRichRun& run : LineRuns(index)) {
            SelectFont(c, run.Style);
            const int32_t runWidth = c.TextWidth(run.Text);
            c.TextOut(x, y, run.Text);
            if (run.Style.Reverse)
                InvertRect(c.Handle(), {x, y, x + runWidth, y + FLineHeight});
            x += runWidth;
        }
        y += FLines[static_cast<size_t>(index)]->Height;
    }
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas().CopyRect({0, 0, w, h}, c, {0, 0, w, h});
}
