#include "platform/framework/GraphicsObjects.h"

#include <cstdlib>

#include "platform/gdi/Gdi.h"

namespace {

int32_t ScaleRounded(int32_t value, int32_t numerator, int32_t denominator)
{
    if (denominator == 0)
        return 0;
    const int64_t p = static_cast<int64_t>(value) * numerator;
    const int64_t q = (2 * std::llabs(p) + std::llabs(static_cast<int64_t>(denominator))) /
                      (2 * std::llabs(static_cast<int64_t>(denominator)));
    return static_cast<int32_t>(((p < 0) != (denominator < 0)) ? -q : q);
}

}  // namespace

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    if (color == clNone || color == clDefault)
        return 0;
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

int32_t ScreenPixelsPerInch()
{
    HDC screen = GetScreenDC();
    const int32_t ppi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    ReleaseDC(screen);
    return ppi > 0 ? ppi : 96;
}

void TGraphicsObject::Changed()
{
    if (OnChange)
        OnChange(*this);
}

// --- TFont ---------------------------------------------------------------------

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch())
{
    FHeight = -ScaleRounded(8, FPixelsPerInch, 72);
}

TFont::~TFont()
{
    DeleteObject(FHandle);
}

void TFont::Invalidate()
{
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TFont::Assign(const TFont& source)
{
    if (&source == this)
        return;
    FName = source.FName;
    FHeight = ScaleRounded(source.FHeight, FPixelsPerInch, source.FPixelsPerInch);
    FStyle = source.FStyle;
    FColor = source.FColor;
    FCharset = source.FCharset;
    FPitch = source.FPitch;
    Invalidate();
}

LOGFONT TFont::LogFont() const
{
    LOGFONT lf;
    lf.lfHeight = FHeight;
    lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
    lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfPitchAndFamily = FPitch == TFontPitch::fpFixed      ? FIXED_PITCH
                          : FPitch == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                             : DEFAULT_PITCH;
    lf.lfFaceName = FName;
    return lf;
}

HFONT TFont::Handle()
{
    if (!FHandle)
        FHandle = CreateFontIndirect(LogFont());
    return FHandle;
}

void TFont::SetName(const std::string& name)
{
    if (name.empty() || name == FName)
        return;
    FName = name;
    Invalidate();
}

int32_t TFont::Size() const
{
    return -ScaleRounded(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int32_t points)
{
    SetHeight(-ScaleRounded(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(int32_t height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    Invalidate();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Invalidate();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TFont::SetCharset(uint8_t charset)
{
    if (charset == FCharset)
        return;
    FCharset = charset;
    Invalidate();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == FPitch)
        return;
    FPitch = pitch;
    Invalidate();
}

void TFont::SetPixelsPerInch(int32_t ppi)
{
    if (ppi > 0)
        FPixelsPerInch = ppi;
}

// --- TPen ----------------------------------------------------------------------

TPen::~TPen()
{
    DeleteObject(FHandle);
}

void TPen::Invalidate()
{
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TPen::Assign(const TPen& source)
{
    if (&source == this)
        return;
    FColor = source.FColor;
    FWidth = source.FWidth;
    FStyle = source.FStyle;
    FMode = source.FMode;
    Invalidate();
}

HPEN TPen::Handle()
{
    if (!FHandle) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FHandle = CreatePen(styles[static_cast<int>(FStyle)], FWidth, ColorToRGB(FColor));
    }
    return FHandle;
}

void TPen::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Invalidate();
}

void TPen::SetWidth(int32_t width)
{
    if (width < 0 || width == FWidth)
        return;
    FWidth = width;
    Invalidate();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Invalidate();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == FMode)
        return;
    FMode = mode;
    Changed();
}

int TPen::Rop2() const
{
    static const int modes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,        R2_NOT,     R2_COPYPEN,   R2_NOTCOPYPEN,
                                R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                                R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,     R2_NOTXORPEN};
    return modes[static_cast<int>(FMode)];
}

// --- TBrush --------------------------------------------------------------------

TBrush::~TBrush()
{
    DeleteObject(FHandle);
}

void TBrush::Invalidate()
{
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TBrush::Assign(const TBrush& source)
{
    if (&source == this)
        return;
    FColor = source.FColor;
    FStyle = source.FStyle;
    Invalidate();
}

HBRUSH TBrush::Handle()
{
    if (!FHandle) {
        switch (FStyle) {
        case TBrushStyle::bsSolid: FHandle = CreateSolidBrush(ColorToRGB(FColor)); break;
        case TBrushStyle::bsClear: FHandle = GetStockBrush(NULL_BRUSH); break;
        default:
            FHandle = CreateHatchBrush(static_cast<int>(FStyle) - static_cast<int>(TBrushStyle::bsHorizontal) +
                                           HS_HORIZONTAL,
                                       ColorToRGB(FColor));
            break;
        }
    }
    return FHandle;
}

void TBrush::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    if (FStyle == TBrushStyle::bsClear)
        FStyle = TBrushStyle::bsSolid;
    Invalidate();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Invalidate();
}
