#pragma once
// The two forms of two-sided printing: the wizard in which the user
// describes a printer once (does it print both sides itself; if not, on
// which side of the fed sheet it prints and how the sheets come out), and
// the prompt that asks to load blank sheets or to put the printed stack back.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "layout/print/PrintOrder.h"
#include "platform/framework/Forms.h"

class TButton;
class TLabel;
class TPageControl;
class TTabSheet;
class TRadioButton;
class TWrappedText;

class TTwoSidePrnOptFrm : public TForm {
public:
    TTwoSidePrnOptFrm(TComponent* owner, const std::string& printerName, const TDuplexSettings& settings);
    ~TTwoSidePrnOptFrm() override;

    TLabel* MainLbl;
    TPageControl* PageControl;
    TTabSheet* MainTabSheet;
    TTabSheet* NonDuplexTabSheet1;
    TTabSheet* NonDuplexTabSheet2;
    TTabSheet* DuplexTabSheet;
    TRadioButton* NonDuplexRadBtn;
    TRadioButton* DuplexRadBtn;
    TRadioButton* PrintsToTopRadBtn;
    TRadioButton* PrintsToBtmRadBtn;
    TButton* TipBtn;
    TRadioButton* OutputTopPrintedRadBtn;
    TRadioButton* OutputTopBlankRadBtn;
    TRadioButton* BookRadBtn;
    TRadioButton* TabletRadBtn;
    TButton* BackBtn;
    TButton* NextBtn;
    TButton* CancelBtn;

    TDuplexSettings Settings;
    TTabSheet* ActivePage() const { return FPage; }

private:
    void ShowPage(TTabSheet* page);
    void RefreshForm();
    TTabSheet* FPage = nullptr;
    bool FRefreshing = false;
    std::vector<std::unique_ptr<TWrappedText>> FTexts;
};

// Runs the wizard; the settings change only when it ends with OK.
bool EditTwoSidePrinterOptions(TDuplexSettings& settings, const std::string& printerName);

class TTwoSidePrintFrm : public TForm {
public:
    TTwoSidePrintFrm(TComponent* owner, const std::string& printerName, int32_t sheets, int32_t step,
                     const TDuplexSettings& settings);
    ~TTwoSidePrintFrm() override;
    TPageControl* PageControl;
    TTabSheet* Step1TabSheet;
    TTabSheet* Step2TabSheet;
    TLabel* Step1Lbl;
    TLabel* Step2Lbl;
    TButton* TipBtn;
    TButton* OkBtn;
    TButton* CancelBtn;

private:
    std::vector<std::unique_ptr<TWrappedText>> FTexts;
};

// The turn-over prompt on the page of the step (0 or 1); true on OK.
bool AskTurnOverStack(const std::string& printerName, int32_t sheets, int32_t step, const TDuplexSettings& settings);
