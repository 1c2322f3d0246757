#pragma once
// The setup's backdrop: a borderless maximised window with a gradient and the
// product's title, disabled for input. Its one-shot timer runs the wizard
// modally; after the wizard the settings and the install log are saved when
// the installation started, and the backdrop closes.
#include <memory>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Timer.h"

class TAttachedFiles;

class TSetupBackdropForm : public TForm {
public:
    TSetupBackdropForm(TComponent* owner, TAttachedFiles& files);
    ~TSetupBackdropForm() override;

    // The gradient (nullptr on a screen of 16 bits per pixel or fewer).
    TBitmap* Gradient() const { return FBitmap.get(); }
    // What the wizard ended with (mrNone until it ended).
    TModalResult WizardResult() const { return FWizardResult; }
    bool WizardDone() const { return FCloseAllowed; }

protected:
    void Paint() override;

private:
    void WMTimer();
    TAttachedFiles& FFiles;
    std::unique_ptr<TBitmap> FBitmap;
    TTimer* FTimer;
    bool FCloseAllowed = false;
    TModalResult FWizardResult = mrNone;
};
