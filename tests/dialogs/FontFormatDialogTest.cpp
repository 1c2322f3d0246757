// The character dialog over a selection with mixed formats, driven by keys
// and clicks, its result applied, undone and redone; the rules between its
// attributes; exact letter spacing; an unknown font name; and the preview,
// laid out and painted by the real layout.
#include "DialogTesting.h"

#include "dialogs/FontFormatForm.h"
#include "platform/framework/ModalTesting.h"
#include "platform/gdi/Gdi.h"

namespace {

class FontFormatDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
    }
    TCharFormat FormatAt(int32_t paragraph, int32_t offset)
    {
        TCharFormat format;
        Doc->GetCharFormatAt({paragraph, offset}, format);
        return format;
    }
    // The rows and columns of the preview that hold dark ink.
    static TRect InkBounds(TBitmap& bitmap)
    {
        TRect bounds{bitmap.Width(), bitmap.Height(), -1, -1};
        TCanvas& canvas = bitmap.Canvas();
        for (int32_t y = 2; y < bitmap.Height() - 2; ++y)
            for (int32_t x = 2; x < bitmap.Width() - 2; ++x) {
                const COLORREF c = GetPixel(canvas.Handle(), x, y) & 0xFFFFFF;
                if ((c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80) {
                    bounds.Left = std::min(bounds.Left, x);
                    bounds.Top = std::min(bounds.Top, y);
                    bounds.Right = std::max(bounds.Right, x + 1);
                    bounds.Bottom = std::max(bounds.Bottom, y + 1);
                }
            }
        return bounds;
    }
};

}  // namespace

// "Gras" is grey over text half bold; size, bold, colour, spacing and
// kerning are changed through the keyboard and the mouse, applied as one
// operation, undone and redone.
TEST_F(FontFormatDialogTest, MixedSelectionEditedAppliedUndoneAndRedone)
{
    Build({"Gras et maigre" + std::string(kMark)});
    {
        TTextRange bold{{0, 0}, {0, 4}};
        TCharFormat format;
        ClearCharFormat(format);
        format[cfBold] = 1;
        uint8_t flags = 0;
        Doc->NoUndo = 1;
        Doc->ExecuteOperation(docFormatText, {&bold, &format, &flags});
        Doc->NoUndo = 0;
    }
    Select(0, 0, 0, 14);
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TFontFormatForm&>(form);
        EXPECT_EQ(f.Caption(), "Police");
        EXPECT_EQ(f.HelpTopic(), 9000);
        EXPECT_EQ(f.BoldChkBx->State(), TCheckBoxState::cbGrayed);
        EXPECT_EQ(f.ItalicChkBx->State(), TCheckBoxState::cbUnchecked);
        EXPECT_EQ(f.FontSizeEdit->Text(), "12");
        EXPECT_EQ(f.PredefinedFontSizesLstBx->ItemIndex(), 6);
        EXPECT_FALSE(f.FontNameEdit->Text().empty());
        // Choosing 14 in the list rewrites the edit; typing 13,5 gives 27 half-points.
        ChooseListItem(*f.PredefinedFontSizesLstBx, 7);
        EXPECT_EQ(f.FontSizeEdit->Text(), "14");
        EXPECT_EQ(f.Format()[cfSize], 28);
        Retype(*f.FontSizeEdit, "13,5");
        EXPECT_EQ(f.Format()[cfSize], 27);
        EXPECT_EQ(f.PredefinedFontSizesLstBx->ItemIndex(), -1);
        // Grey, then the framework's next states.
        Press(*f.BoldChkBx);
        Press(*f.BoldChkBx);
        EXPECT_EQ(f.BoldChkBx->State(), TCheckBoxState::cbChecked);
        ChooseItem(*f.ColorsCmbBx, 6);
        ShowPage(*f.PageControl, 1);
        ChooseItem(*f.IntervalTypeCmbBx, 1);
        EXPECT_EQ(f.Format()[cfLetterSpacing], 20);
        EXPECT_EQ(f.IntervalValueUpDnEdit->Text(), "1 pt");
        ChooseItem(*f.IntervalTypeCmbBx, 2);
        EXPECT_EQ(f.Format()[cfLetterSpacing], -20);
        EXPECT_EQ(f.IntervalValueUpDnEdit->Text(), "-1 pt");
        Press(*f.KerningChkBx);
        EXPECT_EQ(f.Format()[cfKerning], 27);
        EXPECT_EQ(f.KerningUpDnEdit->Text(), "13,5");
        Snapshot(f, "font-dialog.png");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(FormatTextWithDialog(*Doc));
    for (int32_t offset : {0, 6, 13}) {
        const TCharFormat f = FormatAt(0, offset);
        EXPECT_EQ(f[cfBold], 1) << offset;
        EXPECT_EQ(f[cfSize], 27) << offset;
        EXPECT_EQ(f[cfColor], 6) << offset;
        EXPECT_EQ(f[cfLetterSpacing], -20) << offset;
        EXPECT_EQ(f[cfKerning], 27) << offset;
        EXPECT_EQ(f[cfItalic], 0) << offset;
    }
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// The attributes that exclude each other, white text with relief, exact
// letter spacing left untouched, and slot 21 always returned not set.
TEST_F(FontFormatDialogTest, AttributeRules)
{
    Build({"Texte" + std::string(kMark)});
    TCharFormat format = DefaultCharFormat();
    format[cfLetterSpacing] = 1;  // 0,05 pt
    format[cfLanguage] = 0x040C;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TFontFormatForm&>(form);
        Press(*f.SupChkBx);
        Press(*f.SubChkBx);
        EXPECT_EQ(f.Format()[cfVerticalPosition], 2);
        EXPECT_FALSE(f.SupChkBx->Checked());
        Press(*f.EmbossChkBx);
        EXPECT_EQ(f.ColorsCmbBx->ItemIndex(), 8);  // "Blanc"
        Press(*f.EmbossChkBx);
        EXPECT_EQ(f.ColorsCmbBx->ItemIndex(), 0);  // "Automatique"
        Press(*f.EngraveChkBx);
        Press(*f.ShadChkBx);
        EXPECT_FALSE(f.EngraveChkBx->Checked());
        EXPECT_EQ(f.ColorsCmbBx->ItemIndex(), 0);
        Press(*f.StrikeChkBx);
        Press(*f.DblStrikeChkBx);
        EXPECT_FALSE(f.StrikeChkBx->Checked());
        Press(*f.SmallCapsChkBx);
        Press(*f.AllCapsChkBx);
        EXPECT_FALSE(f.SmallCapsChkBx->Checked());
        ShowPage(*f.PageControl, 1);
        EXPECT_EQ(f.IntervalTypeCmbBx->ItemIndex(), 1);
        EXPECT_EQ(f.IntervalValueUpDnEdit->Text(), "0,05 pt");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteFontFormatDialog(format, 0, 9000));
    EXPECT_EQ(format[cfVerticalPosition], 2);
    EXPECT_EQ(format[cfEmboss], 0);
    EXPECT_EQ(format[cfEngrave], 0);
    EXPECT_EQ(format[cfShadow], 1);
    EXPECT_EQ(format[cfStrikeOut], 0);
    EXPECT_EQ(format[cfDoubleStrikeOut], 1);
    EXPECT_EQ(format[cfSmallCaps], 0);
    EXPECT_EQ(format[cfAllCaps], 1);
    EXPECT_EQ(format[cfLetterSpacing], 1);
    EXPECT_EQ(format[cfLanguage], NotSet);
}

// A font name that is not installed is asked about; declining keeps the
// dialog open with the name; a size out of range is refused.
TEST_F(FontFormatDialogTest, UnknownFontAndSizeOutOfRange)
{
    Build({"Texte" + std::string(kMark)});
    TCharFormat format = DefaultCharFormat();
    const TCharFormat original = format;
    Answers.Script = {mrNo};
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TFontFormatForm&>(form);
        const std::string installed = f.FontNameEdit->Text();
        Retype(*f.FontNameEdit, "Inexistante");
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 1; }));
        EXPECT_EQ(Answers.Texts[0], "La police \"Inexistante\" est absente de la liste des polices installées. "
                                    "Voulez-vous utiliser cette police quand même ?");
        EXPECT_EQ(f.ModalResult(), mrNone);
        EXPECT_EQ(f.FontNameEdit->Text(), "Inexistante");
        Retype(*f.FontNameEdit, installed);
        Retype(*f.FontSizeEdit, "2000");
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 2; }));
        EXPECT_EQ(Answers.Texts[1], "Le nombre doit être compris entre 1 et 1000.");
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteFontFormatDialog(format, 0, 9000));
    EXPECT_EQ(format, original);
}

// The preview is the sample laid out and painted by the layout: centred,
// growing with the size.
TEST_F(FontFormatDialogTest, PreviewPaintsTheSampleWithTheFormat)
{
    Build({"Texte" + std::string(kMark)});
    TCharFormat format = DefaultCharFormat();
    TFontFormatForm form(nullptr, format, 9000, 0);
    form.SelectedText = "Exemple";
    form.DrawPreview();
    const TRect small = InkBounds(form.PreviewBitmap());
    ASSERT_GT(small.Right, small.Left);
    // The sample and its rules sit about the middle.
    const int32_t middle = (small.Left + small.Right) / 2;
    EXPECT_NEAR(middle, form.PreviewBitmap().Width() / 2, 4);
    EXPECT_TRUE(WriteBitmapPng(form.PreviewBitmap(), TestOutputDir() + "/font-preview-12.png"));
    format[cfSize] = 72;
    TFontFormatForm larger(nullptr, format, 9000, 0);
    larger.SelectedText = "Exemple";
    larger.DrawPreview();
    const TRect large = InkBounds(larger.PreviewBitmap());
    EXPECT_GT(large.Bottom - large.Top, 2 * (small.Bottom - small.Top));
    EXPECT_TRUE(WriteBitmapPng(larger.PreviewBitmap(), TestOutputDir() + "/font-preview-36.png"));
}
