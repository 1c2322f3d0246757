// The print dialog, the two-sided wizard and the turn-over prompt driven by
// real input under the offscreen platform, with pictures of each in the test
// output; and the previewer's pages.
#include "PrintFixtures.h"

#include "document/model/EngineWorkBuffer.h"
#include "layout/print/DocPreviewer.h"
#include "layout/print/PrintDialog.h"
#include "layout/print/TwoSidedForms.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/ModalTesting.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/framework/controls/Lists.h"
#include "platform/testing/WindowTesting.h"
#include "platform/win/Windows.h"

#include <cstring>

namespace {

class PrintDialogTest : public PrintTest {
protected:
    void SetUp() override
    {
        InitApplication();
        FSavedOptions = PrintOptions();
        PrintOptions() = TPrintOptions{};
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        PrintOptions() = FSavedOptions;
    }
    // A picture of the form in the test output.
    void Picture(TForm& form, const std::string& name)
    {
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        RunPending();
        ASSERT_TRUE(GrabWindow(form.Handle(), grab));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name + ".png"));
    }
    TPoint Middle(TControl* control)
    {
        return {control->Width() / 2, control->Height() / 2};
    }
    void Click(TWinControl* control) { Mouse.Click(control->Handle(), Middle(control)); }
    TTestMouse Mouse;
    TTestKeyboard Keys;

private:
    TPrintOptions FSavedOptions;
};

TPrintDialogForm& Dialog(TForm& form)
{
    return dynamic_cast<TPrintDialogForm&>(form);
}

TEST_F(PrintDialogTest, ChoosingPagesAndOrder)
{
    MarkedPages(3);
    std::vector<std::string> printers;
    std::string allCaption;
    TMessageAnswers answers;
    answers.Expect("Le choix de pages n'est pas correct.", mrOk);
    DuringNextModal([&](TForm& form) {
        TPrintDialogForm& d = Dialog(form);
        for (int32_t i = 0; i < d.PrinterCombo->Items().Count(); ++i)
            printers.push_back(d.PrinterCombo->Items().Strings(i));
        allCaption = d.AllRadio->Caption();
        Picture(form, "print-dialog");
        // Entering the page list chooses "P&ages :".
        Click(d.PagesEdit);
        EXPECT_TRUE(d.PagesRadio->Checked());
        d.PagesEdit->SetText("3-1");
        Click(d.OkBtn);
        // Refused: the dialog stays, the list has the focus.
        EXPECT_EQ(form.ModalResult(), mrNone);
        EXPECT_TRUE(d.PagesEdit->Focused());
        d.PagesEdit->SetText("3;1");
        Click(d.ReverseChk);
        d.CopiesEdit->SetText("2");
        Click(d.OkBtn);
    });
    TPrintChoices choices;
    choices.OutputFile = TestOutputDir() + "/print-dialog.pdf";
    ASSERT_TRUE(RunPrintDialog(*Doc, choices));
    EXPECT_NE(std::find(printers.begin(), printers.end(), PdfPrinterName), printers.end());
    EXPECT_EQ(allCaption, "&Toutes les pages (3)");
    EXPECT_EQ(choices.Ranges, (std::vector<TPageRange>{{2, 2}, {0, 0}}));
    EXPECT_TRUE(choices.ReverseOrder);
    EXPECT_EQ(choices.Copies, 2);
    EXPECT_EQ(choices.PrinterName, GetDefaultPrinterName());
    EXPECT_EQ(PrintOptions().PrinterName, choices.PrinterName);
}

TEST_F(PrintDialogTest, BookletsForceTwoSidedAndTheirOwnPagesPerSide)
{
    MarkedPages(3);
    DuringNextModal([&](TForm& form) {
        TPrintDialogForm& d = Dialog(form);
        EXPECT_EQ(d.PagesPerSheetCombo->Items().Count(), 6);
        EXPECT_EQ(d.PagesPerSheetLbl->Caption(), "Pages par &feuille :");
        EXPECT_TRUE(d.CollateChk->Enabled());
        Click(d.BookletChk);
        EXPECT_EQ(d.PagesPerSheetCombo->Items().CommaText(), "\"2 pages\",\"4 pages\",\"8 pages\",\"16 pages\"");
        EXPECT_EQ(d.PagesPerSheetCombo->ItemIndex(), 0);
        EXPECT_TRUE(d.TwoSidedChk->Checked());
        EXPECT_FALSE(d.TwoSidedChk->Enabled());
        EXPECT_TRUE(d.BookletCombo->Enabled());
        EXPECT_TRUE(d.CutGridChk->Enabled());
        EXPECT_EQ(d.PagesPerSheetLbl->Caption(), "Pages sur une fa&ce :");
        EXPECT_FALSE(d.CollateChk->Enabled());
        Picture(form, "print-dialog-booklet");
        // Clearing it gives back what there was.
        Click(d.BookletChk);
        EXPECT_EQ(d.PagesPerSheetCombo->Items().Count(), 6);
        EXPECT_FALSE(d.TwoSidedChk->Checked());
        EXPECT_TRUE(d.TwoSidedChk->Enabled());
        EXPECT_TRUE(d.CollateChk->Enabled());
        Keys.Tap("Esc");
    });
    TPrintChoices choices;
    EXPECT_FALSE(RunPrintDialog(*Doc, choices));
}

// "Rect&o verso" with a printer never set up: the user is told, the wizard
// asks, and the answers are remembered under the printer's name.
TEST_F(PrintDialogTest, FirstTwoSidedUseSetsThePrinterUp)
{
    MarkedPages(2);
    TMessageAnswers answers;
    answers.Expect("Ces paramètres n'ont pas encore été définis pour l'imprimante", mrOk);
    std::string wizardCaption, secondPage, lastButton;
    DuringNextModal([&](TForm& form) {
        TPrintDialogForm& d = Dialog(form);
        Click(d.TwoSidedChk);
        EXPECT_EQ(d.PagesPerSheetLbl->Caption(), "Pages sur une fa&ce :");
        DuringNextModal([&](TForm& wizardForm) {
            auto& w = dynamic_cast<TTwoSidePrnOptFrm&>(wizardForm);
            wizardCaption = w.Caption();
            EXPECT_FALSE(w.BackBtn->Enabled());
            Picture(wizardForm, "two-sided-wizard");
            Click(w.NextBtn);  // not a duplex printer (the default)
            RunPending();
            secondPage = w.ActivePage()->Name();
            Click(w.PrintsToTopRadBtn);
            EXPECT_TRUE(w.PrintsToTopRadBtn->Checked());
            EXPECT_EQ(w.Settings.FeedMode, 1);
            Click(w.NextBtn);
            RunPending();
            Click(w.OutputTopPrintedRadBtn);
            lastButton = w.NextBtn->Caption();
            Picture(wizardForm, "two-sided-wizard-output");
            Click(w.NextBtn);
        });
        Click(d.OkBtn);
    });
    TPrintChoices choices;
    choices.OutputFile = TestOutputDir() + "/print-two-sided-dialog.pdf";
    ASSERT_TRUE(RunPrintDialog(*Doc, choices));
    const std::string printer = GetDefaultPrinterName();
    EXPECT_EQ(wizardCaption, "\"" + printer + "\" : options d'impression recto verso");
    EXPECT_EQ(secondPage, "NonDuplexTabSheet1");
    EXPECT_EQ(lastButton, "OK");
    EXPECT_TRUE(choices.TwoSided);
    EXPECT_EQ(choices.Duplex, (TDuplexSettings{0, 0, 3}));
    EXPECT_EQ(PrintOptions().PrnDuplexInfoEx, printer + "||003");
    EXPECT_TRUE(PrintOptions().TwoSided);
}

TEST_F(PrintDialogTest, TurnOverPrompt)
{
    std::string step1, step2;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TTwoSidePrintFrm&>(form);
        EXPECT_EQ(f.Caption(), "Impression recto verso (Bureau)");
        EXPECT_EQ(f.PageControl->ActivePage(), f.Step2TabSheet);
        step2 = f.Step2Lbl->Caption();
        Picture(form, "two-sided-turn-over");
        Click(f.OkBtn);
    });
    EXPECT_TRUE(AskTurnOverStack("Bureau", 3, 1, {0, 0, 1}));
    EXPECT_NE(step2.find("Quand le lot de 3 page(s)"), std::string::npos) << step2;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TTwoSidePrintFrm&>(form);
        step1 = f.Step1Lbl->Caption();
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(AskTurnOverStack("Bureau", 2, 0, {0, 0, 0}));
    EXPECT_NE(step1.find("Veuillez placer 2 feuille(s)"), std::string::npos) << step1;
}

// The previewer: the first page of a corpus file, at 100 % and fitted into a
// size; a second file replaces the first; a failed load leaves the previewer
// empty and another load's work buffer as it was.
TEST_F(PrintDialogTest, PreviewerPaintsTheFirstPage)
{
    const std::string file = SharedDir() + "/corpus/rtf/poi/message.rtf";
    ELDRAVIN_NEED_SHARED(file);
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    TDocPreviewer previewer;
    ASSERT_TRUE(previewer.LoadFromFile(file, ciDetect));
    TBitmap full;
    previewer.Draw(nullptr, full);
    const TPageParams& params = previewer.Document()->Sections(0).PageParams;
    EXPECT_EQ(full.Width(), std::min(params[ppPaperWidthDevice] + 20, GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(full.Height(), std::min(params[ppPaperHeightDevice] + 20, GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_LE(full.Width(), GetSystemMetrics(SM_CXSCREEN));
    // Ink on the page: some pixels are neither the page nor the surround.
    int dark = 0;
    for (int32_t y = 10; y < full.Height(); y += 2)
        for (int32_t x = 10; x < full.Width() - 10; x += 2)
            dark += (ColorToRGB(full.Canvas().Pixels(x, y)) & 0xFF) < 0x80;
    EXPECT_GT(dark, 50);
    EXPECT_TRUE(WriteBitmapPng(full, TestOutputDir() + "/preview-message.png"));

    TBitmap small;
    const TSize size{240, 320};
    previewer.Draw(&size, small);
    EXPECT_EQ(small.Width(), 240);
    EXPECT_EQ(small.Height(), 320);
    EXPECT_TRUE(WriteBitmapPng(small, TestOutputDir() + "/preview-message-small.png"));
    const TSize huge{100000, 100000};
    TBitmap bounded;
    previewer.Draw(&huge, bounded);
    EXPECT_LE(bounded.Width(), 8192);

    const TDocument* first = previewer.Document();
    ASSERT_TRUE(previewer.LoadFromFile(SharedDir() + "/corpus/rtf/abiword-exported/hello_world.abw.exp.raw.rtf",
                                       ciDetect));
    EXPECT_NE(previewer.Document(), first);

    uint8_t* buffer = AllocEngineWorkBuffer();
    std::memset(buffer, 0x5A, EngineWorkBufferSize);
    EXPECT_FALSE(previewer.LoadFromFile(TestOutputDir() + "/absent.rtf", ciDetect));
    EXPECT_FALSE(previewer.Loaded());
    EXPECT_EQ(previewer.Document(), nullptr);
    buffer = AllocEngineWorkBuffer();
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_EQ(buffer[EngineWorkBufferSize / 2], 0x5A);
}

}  // namespace

namespace {

// The print command: the dialog, the file of the PDF printer asked for with
// the save dialog, then the pages.
TEST_F(PrintDialogTest, PrintCommandAsksForTheFileAndPrints)
{
    ELDRAVIN_NEED_POPPLER();
    MarkedPages(2);
    PrintOptions().PrinterName = PdfPrinterName;
    const std::string out = TestOutputDir() + "/print-command.pdf";
    std::remove(out.c_str());
    bool toFile = false;
    DuringNextModal([&](TForm& form) {
        TPrintDialogForm& d = Dialog(form);
        toFile = d.PrintToFileChk->Checked();
        Click(d.OkBtn);
    });
    std::string kind;
    AnswerNextSystemDialog([&](TSystemDialogAnswer& answer) {
        kind = answer.Kind;
        answer.FileName = out;
    });
    PrintDocument(*Doc);
    EXPECT_TRUE(toFile);
    EXPECT_EQ(kind, "save");
    EXPECT_EQ(PdfMarkers(out), (std::vector<int>{1, 2}));
}

}  // namespace
