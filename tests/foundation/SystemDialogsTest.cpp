// The system's dialogs behind the foundation's services: the system message
// box answering the message-box service, the folder browser, and the hint of
// a control whose text does not fit.
#include "foundation/ShellHelpers.h"
#include "foundation/StringRoutines.h"
#include "foundation/SystemMessageBox.h"
#include "platform/framework/Forms.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/FileNames.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

namespace {

class SystemDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
};

TEST_F(SystemDialogsTest, SystemMessageBoxButtonsAndIcons)
{
    struct TCase {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        uint32_t Flags;
    };
    const TCase cases[] = {
        {mtInformation, mbOK, MB_OK | MB_ICONINFORMATION},
        {mtConfirmation, mbYesNo, MB_YESNO | MB_ICONQUESTION},
        {mtWarning, mbYesNoCancel, MB_YESNOCANCEL | MB_ICONWARNING},
        {mtError, mbOK | mbCancel, MB_OKCANCEL | MB_ICONERROR},
        {mtError, mbAbort | mbRetry | mbIgnore, MB_ABORTRETRYIGNORE | MB_ICONERROR},
        {mtCustom, mbRetry | mbCancel, MB_RETRYCANCEL},
        {mtConfirmation, mbYes | mbNo | mbYesToAll, MB_YESNO | MB_ICONQUESTION},  // nearest system set
    };
    for (const TCase& c : cases) {
        TMessageRequest r;
        r.Type = c.Type;
        r.Buttons = c.Buttons;
        EXPECT_EQ(SystemMessageBoxFlags(r), c.Flags) << int(c.Type) << " " << c.Buttons;
    }
}

TEST_F(SystemDialogsTest, TheSystemBoxAnswersTheMessageService)
{
    TSystemMessageBox box;
    TMessageAnswerer* previous = SetMessageAnswerer(&box);
    std::string shown;
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) {
        EXPECT_EQ(a.Kind, "message");
        shown = a.Text;
        a.ButtonText = "&Non";
    });
    // "||" breaks the line; 1252 text reaches the box as Unicode.
    EXPECT_EQ(ShowMessageDlg("Enregistrer les modifications ?||Le document a changé.", mtConfirmation, mbYesNo), mrNo);
    EXPECT_EQ(shown, "Enregistrer les modifications ?\r\nLe document a chang\xC3\xA9.");
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) { a.ButtonText = "OK"; });
    EXPECT_EQ(MessageBox(0, "Texte", "Titre", MB_OK), IDOK);
    SetMessageAnswerer(previous);
}

TEST_F(SystemDialogsTest, BrowseForFolderGivesTheFolderWithoutSeparator)
{
    const std::string dir = MakeTestDir("Dossier \xC3\xA9t\xC3\xA9");
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) {
        EXPECT_EQ(a.Kind, "folder");
        EXPECT_EQ(a.Text, "Choisir un dossier");
        a.FileName = dir;
    });
    std::string folder = "inchangé";
    ASSERT_TRUE(BrowseForFolder("Choisir un dossier", "", folder));
    EXPECT_EQ(folder, ProgramFileName(dir));
    EXPECT_NE(folder.back(), '/');
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) { a.Accept = false; });
    EXPECT_FALSE(BrowseForFolder("Choisir un dossier", dir, folder));
    EXPECT_EQ(folder, ProgramFileName(dir));
}

TEST_F(SystemDialogsTest, OpenDialogFiltersTypeChangeAndDefaultExtension)
{
    const std::string dir = MakeTestDir("ouvrir");
    WriteTestFile(dir + "/lettre.rtf", "{\\rtf1}");
    TOpenDialog open(nullptr);
    open.Filter = "Documents RTF|*.rtf|Textes|*.txt;*.asc|Tous les fichiers|*.*";
    open.FilterIndex = 2;
    open.InitialDir = ProgramFileName(dir);
    std::vector<int32_t> typeChanges;
    open.OnTypeChange = [&](TComponent*) { typeChanges.push_back(open.FilterIndex); };
    std::vector<std::string> filters;
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) {
        EXPECT_EQ(a.Kind, "open");
        filters = a.Filters;
        a.FilterIndex = 1;
        a.FileName = dir + "/lettre.rtf";
    });
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(filters, (std::vector<std::string>{"Documents RTF (*.rtf)", "Textes (*.txt *.asc)",
                                                 "Tous les fichiers (*.*)"}));
    EXPECT_EQ(typeChanges, (std::vector<int32_t>{1}));
    EXPECT_EQ(open.FilterIndex, 1);
    EXPECT_EQ(open.FileName, ProgramFileName(dir + "/lettre.rtf"));

    TSaveDialog save(nullptr);
    save.Filter = open.Filter;
    save.DefaultExt = "rtf";
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) {
        EXPECT_EQ(a.Kind, "save");
        a.FileName = dir + "/nouveau";
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, ProgramFileName(dir + "/nouveau.rtf"));
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) { a.Accept = false; });
    EXPECT_FALSE(save.Execute());
}

TEST_F(SystemDialogsTest, ColorDialogKeepsColourAndCustomColours)
{
    TColorDialog dialog(nullptr);
    dialog.Color = clRed;
    dialog.CustomColors().Add("ColorA=102030");
    AnswerNextSystemDialog([&](TSystemDialogAnswer& a) {
        EXPECT_EQ(a.Kind, "color");
        a.Rgb = 0x336699;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color, RGB(0x33, 0x66, 0x99));
    EXPECT_EQ(dialog.CustomColors().Values("ColorA"), "102030");
    EXPECT_EQ(dialog.CustomColors().Count(), 16);
}

TEST_F(SystemDialogsTest, HintOnlyForATruncatedText)
{
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetAutoSize(false);
    label->SetCaption("Un texte assez long pour ne pas tenir");
    label->SetWidth(40);
    SetHintIfTextTruncated(*label);
    EXPECT_EQ(label->Hint(), label->Caption());
    label->SetWidth(1000);
    SetHintIfTextTruncated(*label);
    EXPECT_EQ(label->Hint(), "");
}

} // namespace
