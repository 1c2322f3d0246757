#include "shell/about/AboutBox.h"

#include "imaging/JpegImage.h"
#include "platform/framework/Graphic.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/Stream.h"
#include "shell/about/VersionInfo.h"
#include "shell/options/OptionsHolder.h"

#include <cstdio>

namespace {

TSplashWindow* g_Splash = nullptr;

constexpr TColor kSilver = static_cast<TColor>(0xC0C0C0);
constexpr TColor kNavy = static_cast<TColor>(0x800000);

// A read-only stream over a resource's bytes.
class TResourceStream : public TCustomMemoryStream {
public:
    explicit TResourceStream(const TResourceData& data)
    {
        SetPointer(const_cast<uint8_t*>(data.Data), static_cast<int64_t>(data.Size));
    }
    int32_t Write(const void*, int32_t) override { return 0; }
};

void DrawFrame(TCanvas& canvas, const TRect& rect, TColor color)
{
    canvas.Brush().SetColor(color);
    canvas.FrameRect(rect);
}

}  // namespace

std::unique_ptr<TGraphic> LoadJpegResource(const std::string& name)
{
    const TResourceData data = FindResourceData("JPEG", name);
    if (!data)
        return nullptr;
    auto picture = std::make_unique<TJPEGImage>();
    TResourceStream stream(data);
    picture->LoadFromStream(stream);
    return picture;
}

// --- splash ----------------------------------------------------------------------------

const TMessageMap& TSplashWindow::ClassMessageMap()
{
    static const TMessageMap map{&TEldravinForm::ClassMessageMap(),
                                 {MessageEntry<&TSplashWindow::WMEraseBkgnd>(WM_ERASEBKGND)}};
    return map;
}

TSplashWindow::TSplashWindow(TComponent* owner) : TEldravinForm(owner), FPicture(LoadJpegResource("SPLASH"))
{
    SetBorderStyle(TFormBorderStyle::bsNone);
    Position = TPosition::poScreenCenter;
    if (FPicture)
        SetClientSize(FPicture->Width(), FPicture->Height());
    else
        SetClientSize(400, 250);
}

TSplashWindow::~TSplashWindow()
{
    BeginDestroy();
}

void TSplashWindow::WMEraseBkgnd(TMessage& m)
{
    // The picture covers the window: no background first.
    m.Result = 1;
}

void TSplashWindow::Paint()
{
    TCanvas& canvas = Canvas();
    if (FPicture)
        canvas.Draw(0, 0, *FPicture);
    DrawFrame(canvas, ClientRect(), kSilver);
}

void ShowSplashWindow()
{
    if (g_Splash)
        return;
    g_Splash = new TSplashWindow(nullptr);
    g_Splash->Show();
    g_Splash->Update();
}

void ReleaseSplashWindow()
{
    delete g_Splash;
    g_Splash = nullptr;
}

TSplashWindow* SplashWindow()
{
    return g_Splash;
}

// --- About box -------------------------------------------------------------------------

std::string AboutText(const std::string& fileVersion, bool cipherStrength256)
{
    char head[160];
    std::snprintf(head, sizeof head, "Eldravin Brightfold (version: %s)\rPuissance de cryptage : %d bits\r",
                  fileVersion.c_str(), cipherStrength256 ? 256 : 128);
    return std::string(head) +
           "\r"
           "Corvel Softworks, Inc.\r"
           "Vérification orthographique : moteur d'orthographe externe et ses dictionnaires\r"
           "Chiffrement : algorithme de flux PC1\r"
           "Images JPEG : bibliothèque JPEG de l'Independent JPEG Group ; compression : zlib de Jean-loup Gailly "
           "et Mark Adler\r"
           "Version française : l'équipe Eldravin\r";
}

TAboutForm::TAboutForm(TComponent* owner) : TEldravinForm(owner), FPicture(LoadJpegResource("ABOUT"))
{
    SetBorderStyle(TFormBorderStyle::bsNone);
    Position = TPosition::poScreenCenter;
    KeyPreview = true;
    SetClientSize(424, 319);
    SetColor(clWindow);
    FText = AboutText(FileVersionText(), OptionsHolder && OptionsHolder->CipherStrength);
}

TAboutForm::~TAboutForm()
{
    BeginDestroy();
}

void TAboutForm::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    if (FPicture)
        canvas.Draw(10, 10, *FPicture);
    // The text, line by line, in its box at 161, 10 (253 x 243).
    const TRect box{161, 10, 161 + 253, 10 + 243};
    int32_t y = box.Top;
    size_t start = 0;
    while (start < FText.size() && y < box.Bottom) {
        size_t end = FText.find('\r', start);
        if (end == std::string::npos)
            end = FText.size();
        const std::string line = FText.substr(start, end - start);
        canvas.TextRect(box, box.Left, y, line);
        y += canvas.TextHeight("Ag");
        start = end + 1;
    }
    DrawFrame(canvas, ClientRect(), kNavy);
}

void TAboutForm::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        SetModalResult(mrOk);
        key = 0;
        return;
    }
    TEldravinForm::KeyDown(key, shift);
}

void TAboutForm::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TEldravinForm::MouseUp(button, shift, x, y);
    SetModalResult(mrOk);
}

void ShowAboutBox()
{
    // The "ABOUT" event (9000) goes to the event manager once it exists.
    TEldravinForm::Execute<TAboutForm>();
}
