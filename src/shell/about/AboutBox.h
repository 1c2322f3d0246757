#pragma once
// The splash window shown while the program starts, and the About box of the
// help menu: borderless windows with the program's pictures ("SPLASH" and
// "ABOUT", JPEG resources) and, in the About box, the product and credit text.
#include <memory>
#include <string>

#include "shell/BaseForms.h"

class TGraphic;

// The JPEG picture of a "JPEG" resource; null when the resource is missing.
std::unique_ptr<TGraphic> LoadJpegResource(const std::string& name);

class TSplashWindow : public TEldravinForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TSplashWindow(TComponent* owner);
    ~TSplashWindow() override;
    TGraphic* Picture() const { return FPicture.get(); }

protected:
    void Paint() override;
    void WMEraseBkgnd(TMessage& m);

private:
    std::unique_ptr<TGraphic> FPicture;
};

// The About text: the version line, the encryption strength (128 bits, or
// 256 with the strength option) and the credit lines, "\r" between lines.
std::string AboutText(const std::string& fileVersion, bool cipherStrength256);

class TAboutForm : public TEldravinForm {
public:
    explicit TAboutForm(TComponent* owner);
    ~TAboutForm() override;
    const std::string& Text() const { return FText; }

protected:
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    std::unique_ptr<TGraphic> FPicture;
    std::string FText;
};

// Creates the splash window, shows it and paints it at once.
void ShowSplashWindow();
// Frees the splash window when it exists.
void ReleaseSplashWindow();
TSplashWindow* SplashWindow();
// Shows the About box modally and frees it.
void ShowAboutBox();
