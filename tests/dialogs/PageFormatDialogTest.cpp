// The page setup dialog driven by keys and clicks: orientation, margins and
// mirrored margins changed, applied to the document, undone and redone;
// values left alone come back exactly; the custom paper size listed only
// while it is the match; a margin above 40 % of the paper refused.
#include "DialogTesting.h"

#include "dialogs/PageFormatForm.h"
#include "foundation/managers/PaperSizes.h"
#include "platform/framework/ModalTesting.h"

namespace {

class PageFormatDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
    }
    // Presses OK; a question left (a printer's margins) fails the test and cancels.
    void PressOK(TForm& form)
    {
        Keys.Tap("Enter");
        RunPending();
        if (form.ModalResult() == mrNone) {
            ADD_FAILURE() << "the dialog stayed open" << (Answers.Texts.empty() ? "" : ": " + Answers.Texts.back());
            Keys.Tap("Esc");
        }
    }
};

}  // namespace

TEST_F(PageFormatDialogTest, OrientationAndMarginsAppliedUndoneAndRedone)
{
    Build({"Un" + std::string(kMark), "Deux" + std::string(kMark)});
    TPageParams& live = Doc->Sections(0).PageParams;
    live[ppTopMargin] = 1418;  // shows 2,5 cm, which is 1417 twips
    const TPageParams original = live;
    const int32_t a4 = FindPaperSize(original[ppPaperWidth], original[ppPaperHeight]);
    ASSERT_NE(a4, CustomPaperSize);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TPageFormatForm&>(form);
        EXPECT_EQ(f.Caption(), "Mise en page");
        EXPECT_EQ(f.HelpTopic(), 4000);
        EXPECT_EQ(f.TopMarginUpDownEdit->Text(), "2,5 cm");
        ShowPage(*f.PageControl, 1);
        EXPECT_EQ(f.PredefinedPageInfosComboBox->ItemIndex(), a4);
        Press(*f.LandscapePageOrientationRadioBtn);
        EXPECT_EQ(f.Params()[ppPaperWidth], original[ppPaperHeight]);
        EXPECT_EQ(f.Params()[ppPaperHeight], original[ppPaperWidth]);
        EXPECT_EQ(f.PredefinedPageInfosComboBox->ItemIndex(), a4);
        ShowPage(*f.PageControl, 0);
        Retype(*f.LeftMarginUpDownEdit, "3");
        Press(*f.MirrorMarginChkBx);
        EXPECT_EQ(f.LeftMarginLabel->Caption(), "&Intérieure :");
        EXPECT_EQ(f.RightMarginLabel->Caption(), "&Extérieure :");
        Snapshot(f, "page-setup-dialog.png");
        EXPECT_TRUE(WriteBitmapPng(f.PreviewBitmap(), TestOutputDir() + "/page-setup-preview.png"));
        PressOK(f);
    });
    ASSERT_TRUE(PageSetupWithDialog(*Doc));
    const TPageParams& changed = Doc->Sections(0).PageParams;
    EXPECT_EQ(changed[ppPaperWidth], original[ppPaperHeight]);
    EXPECT_EQ(changed[ppPaperHeight], original[ppPaperWidth]);
    EXPECT_EQ(changed[ppOrientation] & 0xFF, 1);
    EXPECT_EQ(changed[ppLeftMargin], 1701);
    EXPECT_EQ(changed[ppTopMargin], 1418);
    EXPECT_EQ(changed[ppRightMargin], original[ppRightMargin]);
    EXPECT_TRUE(HasMirroredMargins(changed));
    // The stored values (value 3 and the derived ones are the layout's).
    auto stored = [](const TPageParams& p) {
        std::vector<int32_t> values(p.Values, p.Values + 3);
        values.insert(values.end(), p.Values + ppLeftMargin, p.Values + ppReserved8 + 1);
        values.insert(values.end(), p.Values + ppTextWidth, p.Values + TPageParams::Count);
        return values;
    };
    const TPageParams after = changed;
    Undo().Undo();
    EXPECT_EQ(stored(Doc->Sections(0).PageParams), stored(original));
    Undo().Redo();
    EXPECT_EQ(stored(Doc->Sections(0).PageParams), stored(after));
}

TEST_F(PageFormatDialogTest, CustomSizeAndMarginLimit)
{
    Build({"Un" + std::string(kMark)});
    TPageParams params;
    Doc->GetCaretPageParams(params);
    const TPageParams original = params;
    uint8_t scope = 255;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TPageFormatForm&>(form);
        ShowPage(*f.PageControl, 1);
        TComboBox& paper = *f.PredefinedPageInfosComboBox;
        EXPECT_EQ(paper.Items().Count(), CustomPaperSize);
        Retype(*f.PageWidthUpDownEdit, "10");
        EXPECT_EQ(paper.Items().Count(), CustomPaperSize + 1);
        EXPECT_EQ(paper.ItemIndex(), CustomPaperSize);
        EXPECT_EQ(paper.Items().Strings(CustomPaperSize), GetPaperSizeName(CustomPaperSize, false));
        ChooseItem(paper, 0);
        EXPECT_EQ(paper.Items().Count(), CustomPaperSize);
        EXPECT_EQ(f.Params()[ppPaperWidth], PaperSizes(0).Width);
        ShowPage(*f.PageControl, 0);
        Retype(*f.LeftMarginUpDownEdit, "50");
        ShowPage(*f.PageControl, 2);
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 1; }));
        EXPECT_EQ(Answers.Texts[0].rfind("Le nombre doit être compris entre 0 cm et ", 0), 0u) << Answers.Texts[0];
        EXPECT_EQ(f.PageControl->ActivePageIndex(), 0);
        EXPECT_EQ(f.ModalResult(), mrNone);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecutePageFormatDialog(*Doc, params, scope));
    EXPECT_EQ(params, original);
    EXPECT_EQ(scope, 255);
}
