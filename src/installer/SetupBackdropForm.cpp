#include "installer/SetupBackdropForm.h"

#include "installer/InstallUtils.h"
#include "installer/MainDlgForm.h"
#include "platform/framework/Canvas.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/win/Geometry.h"

namespace {

constexpr int32_t GradientWidth = 378;
constexpr int32_t GradientHeight = 96;

// Colours as the window layer spells them: 0x00BBGGRR.
constexpr TColor Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<TColor>(r | g << 8 | b << 16);
}

int ScreenBitsPerPixel()
{
    HDC dc = GetScreenDC();
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(dc);
    return bits;
}

} // namespace

TSetupBackdropForm::TSetupBackdropForm(TComponent* owner, TAttachedFiles& files) : TForm(owner), FFiles(files)
{
    SetName("SetupBackdropForm");
    SetCaption(SetupTitle);
    SetBorderStyle(TFormBorderStyle::bsNone);
    if (ScreenBitsPerPixel() < 17) {
        SetColor(Rgb(0, 0, 128));
    } else {
        SetColor(Rgb(0, 0, 208));
        FBitmap = std::make_unique<TBitmap>();
        FBitmap->SetPixelFormat(TPixelFormat::pf24bit);
        FBitmap->SetSize(GradientWidth, GradientHeight);
        for (int32_t y = 0; y < GradientHeight; ++y) {
            uint8_t* line = FBitmap->ScanLine(y);
            for (int32_t x = 0; x < GradientWidth; ++x) {
                const int32_t d = std::max(MulDiv(255, x, GradientWidth), MulDiv(255, y, GradientHeight));
                line[x * 3 + 0] = 208;                            // blue
                line[x * 3 + 1] = static_cast<uint8_t>(255 - d);  // green
                line[x * 3 + 2] = static_cast<uint8_t>(255 - d);  // red
            }
        }
    }
    SetWindowState(TWindowState::wsMaximized);
    SetEnabled(false);
    OnCloseQuery = [this](TForm*, bool& canClose) { canClose = FCloseAllowed; };
    FTimer = new TTimer(this);
    FTimer->SetInterval(10);
    FTimer->SetOnTimer([this](TTimer*) { WMTimer(); });
}

TSetupBackdropForm::~TSetupBackdropForm() = default;

void TSetupBackdropForm::Paint()
{
    TForm::Paint();
    TCanvas& c = Canvas();
    if (FBitmap)
        c.Draw(0, 0, *FBitmap);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.Font().SetName("Arial");
    c.Font().SetSize(24);
    c.Font().SetStyle(fsBold | fsItalic);
    c.Font().SetColor(FBitmap ? Rgb(0, 0, 160) : Rgb(0, 0, 255));
    c.TextOut(23, 19, "Eldravin Brightfold");
    c.Font().SetColor(clWhite);
    c.TextOut(19, 15, "Eldravin Brightfold");
}

void TSetupBackdropForm::WMTimer()
{
    FTimer->SetEnabled(false);
    {
        TMainDlgForm wizard(nullptr, FFiles);
        FWizardResult = wizard.ShowModal();
        if (wizard.InstallStarted()) {
            wizard.SaveInstallSettings();
            SaveInstallLog();  // a log that cannot be written is no reason to fail
            EndInstallLog();
        }
    }
    FCloseAllowed = true;
    Close();
}
