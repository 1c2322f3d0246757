// The save-as-web-page dialog driven by the keyboard and the mouse: picture
// names, formats, the picture folder and numbering boxes, cancelling that
// puts the settings back, the page it has written, and its picture.
#include "formats/RtfFixtures.h"
#include "formats/WebFormDocuments.h"

#include "foundation/MessageAnswers.h"
#include "formats/html/SaveAsWebForm.h"
#include "imaging/ImagingUnits.h"
#include "imaging/PngImage.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/ModalTesting.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Stream.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <cstdio>

namespace {

// A PNG of a coloured square with a mark, as an RTF picture group.
std::string PngPictureGroup(uint32_t color, int32_t side)
{
    TPNGImage png;
    png.SetPixelFormat(TPixelFormat::pf24bit);
    png.SetSize(side, side);
    png.Canvas().Brush().SetColor(color);
    png.Canvas().FillRect(TRect{0, 0, side, side});
    png.Canvas().Brush().SetColor(0);
    png.Canvas().FillRect(TRect{side / 4, side / 4, side / 2, side / 2});
    TStringStream stream;
    png.SaveToStream(stream);
    std::string hex;
    char pair[3];
    for (unsigned char c : stream.DataString()) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        hex += pair;
    }
    const std::string twips = std::to_string(side * 15);
    return "{\\pict\\pngblip\\picw" + std::to_string(side) + "\\pich" + std::to_string(side) + "\\picwgoal" + twips +
           "\\pichgoal" + twips + " " + hex + "}";
}

class SaveAsWebFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitApplication();
        InitializeImagingUnits();
        FSaved = WebExportSettings();
        WebExportSettings() = TWebExportSettings{};
        Folder = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\info{\\title Le titre}}"
                                "\\pard Deux images : " +
                                PngPictureGroup(0x0000FF, 48) + " et " + PngPictureGroup(0x00C000, 32) +
                                ".\\par}";
        Document = ReadRtfDocument(rtf);
        ASSERT_TRUE(Document);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        Document.reset();
        FinalizeImagingUnits();
        WebExportSettings() = FSaved;
    }

    void TypeWord(const std::string& upperLetters)
    {
        for (char c : upperLetters)
            Keys.Tap(std::string(1, c));
    }

    TRtfManagersScope Managers;
    TDocumentPtr Document;
    std::string Folder;
    TTestMouse Mouse;
    TTestKeyboard Keys;

private:
    TWebExportSettings FSaved;
};

TEST_F(SaveAsWebFormTest, RenamingFormatsAndTheFolderBoxThenThePage)
{
    WebExportSettings().RestartNumbering = true;
    TSaveAsWebForm form(nullptr, *Document, Folder + "/page.htm");
    ASSERT_EQ(form.ImgLstBx->Items().Count(), 2);
    EXPECT_EQ(form.ImgLstBx->Items().Strings(0), "Image00001.png");
    EXPECT_EQ(form.ImgLstBx->Items().Strings(1), "Image00002.png");
    EXPECT_EQ(form.TitleEdit->Text(), "Le titre");
    std::string shownAfterRename;
    DuringNextModal([&](TForm&) {
        // The first picture renamed "photo": the extension is added.
        const TRect first = form.ImgLstBx->ItemRect(0);
        Mouse.Click(form.ImgLstBx->Handle(), {first.Left + 40, first.Top + 8});
        Mouse.Click(form.ImgFileNameEdit->Handle(), {20, 8});
        Keys.Tap("Home");
        Keys.Chord({"Shift"}, "End");
        TypeWord("PHOTO");
        Keys.Tap("Tab");
        EXPECT_EQ(form.Images()[0]->FileName, "photo.png");
        // The second given the same name: the first takes the next free name.
        const TRect second = form.ImgLstBx->ItemRect(1);
        Mouse.Click(form.ImgLstBx->Handle(), {second.Left + 40, second.Top + 8});
        EXPECT_EQ(form.ImgFileNameEdit->Text(), "Image00002.png");
        Mouse.Click(form.ImgFileNameEdit->Handle(), {20, 8});
        Keys.Tap("Home");
        Keys.Chord({"Shift"}, "End");
        TypeWord("PHOTO");
        Keys.Tap("Tab");
        EXPECT_EQ(form.Images()[1]->FileName, "photo.png");
        EXPECT_EQ(form.Images()[0]->FileName, "Image00001.png");
        shownAfterRename = form.ImgLstBx->Items().Strings(0) + "," + form.ImgLstBx->Items().Strings(1);
        // An invalid name is refused with its message; the old name stays.
        TMessageAnswers answers;
        answers.Expect("Eldravin n'a pas pu créer le fichier", mrOk);
        Mouse.Click(form.ImgFileNameEdit->Handle(), {20, 8});
        Keys.Tap("Home");
        Keys.Chord({"Shift"}, "End");
        Keys.Chord({"Shift"}, "Num*");  // '*'
        Keys.Tap("Tab");
        EXPECT_EQ(form.Images()[1]->FileName, "photo.png");
        // JPG for the selected picture.
        form.ImgFmtCmbBx->SetItemIndex(ifJpeg);
        form.ImgFmtCmbBxClick();
        EXPECT_EQ(form.Images()[1]->FileName, "photo.jpg");
        EXPECT_TRUE(form.Images()[1]->IsProduced(ifJpeg));
        // Unchecking numbering, then asking for a folder of their own:
        // numbering is checked again, the stored choice stays off.
        Mouse.Click(form.ImgNumChkBx->Handle(), {6, 8});
        EXPECT_FALSE(WebExportSettings().RestartNumbering);
        Mouse.Click(form.SepFldrChkBx->Handle(), {6, 8});
        EXPECT_TRUE(WebExportSettings().SeparateFolder);
        EXPECT_TRUE(form.ImgNumChkBx->Checked());
        EXPECT_FALSE(WebExportSettings().RestartNumbering);
        EXPECT_EQ(form.Images()[0]->FileName, "Image00001.png");
        EXPECT_EQ(form.Images()[1]->FileName, "Image00002.jpg");
        // A picture of the dialog for people to look at.
        RunPending();
        TBitmap grab;
        EXPECT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        RunPending();
        ASSERT_TRUE(GrabWindow(form.Handle(), grab));
        EXPECT_EQ(grab.Width(), form.Width());
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/save-as-web-page-dialog.png"));
        Mouse.Click(form.SaveBtn->Handle(), {10, 10});
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(shownAfterRename, "Image00001.png,photo.png");

    // The page the command writes with the dialog's pictures.
    THtmlExportParams html;
    html.PageFileName = form.PageFileName();
    html.Title = form.PageTitle();
    html.Images = &form.Images();
    ASSERT_EQ(WriteWebPage(*Document, html), 0);
    const std::string page = ReadTestFile(Folder + "/page.htm");
    EXPECT_NE(page.find("<img border=0 src=\"page_fichiers/Image00001.png\" width=48 height=48>"), std::string::npos)
        << page;
    EXPECT_NE(page.find("src=\"page_fichiers/Image00002.jpg\" width=32 height=32>"), std::string::npos);
    EXPECT_TRUE(FileExists(Folder + "/page_fichiers/Image00001.png"));
    EXPECT_TRUE(FileExists(Folder + "/page_fichiers/Image00002.jpg"));
}

TEST_F(SaveAsWebFormTest, CancelPutsTheSettingsBack)
{
    WebExportSettings().Keywords = "avant";
    WebExportSettings().PictureCounter = 41;
    AnswerNextSystemDialog([this](TSystemDialogAnswer& answer) {
        EXPECT_EQ(answer.Kind, "save");
        answer.FileName = Folder + "/cancelled.htm";
    });
    DuringNextModal([&](TForm& shown) {
        auto& form = dynamic_cast<TSaveAsWebForm&>(shown);
        // The counter numbered the two pictures; the boxes change settings.
        EXPECT_EQ(form.Images()[0]->FileName, "Image00042.png");
        Mouse.Click(form.SepFldrChkBx->Handle(), {6, 8});
        EXPECT_TRUE(WebExportSettings().SeparateFolder);
        form.KeywordsEdit->SetFocus();
        TypeWord("APRES");
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(SaveAsWebPage(*Document));
    EXPECT_EQ(WebExportSettings().Keywords, "avant");
    EXPECT_FALSE(WebExportSettings().SeparateFolder);
    EXPECT_EQ(WebExportSettings().PictureCounter, 41);
    EXPECT_FALSE(FileExists(Folder + "/cancelled.htm"));
}

TEST_F(SaveAsWebFormTest, DocumentWithoutPicturesShowsAnEmptyListAndStillWrites)
{
    TDocumentPtr plain = ReadRtfDocument("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard Sans image.\\par}");
    ASSERT_TRUE(plain);
    AnswerNextSystemDialog([this](TSystemDialogAnswer& answer) { answer.FileName = Folder + "/plain.htm"; });
    DuringNextModal([&](TForm& shown) {
        auto& form = dynamic_cast<TSaveAsWebForm&>(shown);
        EXPECT_EQ(form.ImgLstBx->Items().Count(), 0);
        EXPECT_FALSE(form.ImgFileNameEdit->Enabled());
        Keys.Tap("Enter");
    });
    EXPECT_TRUE(SaveAsWebPage(*plain));
    EXPECT_NE(ReadTestFile(Folder + "/plain.htm").find("<p>Sans image.</p>"), std::string::npos);
}

}  // namespace
