// The envelope dialog driven by real input under the offscreen platform: a
// recipient typed and joined to the document (undone after), the size list
// with its custom entry, the distance labels, the validation messages and
// the reprint mode chosen when the caret stands in an envelope; a picture of
// the dialog in the test output; addresses chosen in the address books.
#include "PrintFixtures.h"

#include "../../platform/framework/ModalTesting.h"
#include "document/editing/EnvelopeSettings.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "formats/DocFiler.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/SharedManagersHost.h"
#include "layout/print/EnvelopeForm.h"
#include "layout/print/addressbook/AddressChooser.h"
#include "platform/runtime/Folders.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/testing/WindowTesting.h"

#include <filesystem>

namespace {

// Lengths shown in millimetres.
class TMillimetres : public TSharedManagersHost {
public:
    uint8_t MeasurementUnit() override { return muMillimeter; }
};

class EnvelopeFormTest : public PrintTest {
protected:
    void SetUp() override
    {
        InitApplication();
        CreateDocFiler();
        EnvelopeSettings() = {};
        FPreviousUnits = SetSharedManagersHost(&FUnits);
        A4(Doc->Sections(0));
        Doc->RecalcPageExtents();
        Doc->NoUndo = 0;
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        SetSharedManagersHost(FPreviousUnits);
        EnvelopeSettings() = {};
        FreeDocFiler();
    }
    void Picture(TForm& form, const std::string& name)
    {
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        RunPending();
        ASSERT_TRUE(GrabWindow(form.Handle(), grab));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name + ".png"));
    }
    void Click(TControl* control)
    {
        TWinControl* window = dynamic_cast<TWinControl*>(control);
        TPoint at{control->Width() / 2, control->Height() / 2};
        if (!window) {
            window = control->Parent();
            at = {control->Left() + at.X, control->Top() + at.Y};
        }
        Mouse.Click(window->Handle(), at);
        RunPending();
    }
    // Types letters, spaces, "é", "è" and line breaks on the AZERTY keyboard.
    void Type(const std::string& text)
    {
        for (char c : text) {
            if (c == ' ')
                Keys.Tap("Space");
            else if (c == '\n')
                Keys.Tap("Enter");
            else if (c == '\xE9')
                Keys.Tap("2");
            else if (c == '\xE8')
                Keys.Tap("7");
            else if (c >= 'A' && c <= 'Z')
                Keys.Chord({"Shift"}, std::string(1, c));
            else
                Keys.Tap(std::string(1, static_cast<char>(c - 'a' + 'A')));
        }
        RunPending();
    }
    TTestMouse Mouse;
    TTestKeyboard Keys;

private:
    TMillimetres FUnits;
    TSharedManagersHost* FPreviousUnits = nullptr;
};

TEnvelopeForm& Form(TForm& form)
{
    return dynamic_cast<TEnvelopeForm&>(form);
}

std::string PlainText(const TParagraph& paragraph)
{
    std::string text;
    const TMemory& chars = paragraph.GetPlainChars();
    for (int32_t i = 0; i < chars.Size(); ++i)
        if (chars.Data()[i] >= 32)
            text += static_cast<char>(chars.Data()[i]);
    return text;
}

}  // namespace

TEST_F(EnvelopeFormTest, TypedRecipientJoinedToTheDocument)
{
    Para("Lettre" + kMark);
    Doc->PaginateAll();
    EnvelopeSettings().RetAddr = "Eldravin SA||1 place Carnot";
    DuringNextModal([&](TForm& form) {
        TEnvelopeForm& f = Form(form);
        EXPECT_TRUE(f.AddresseeRadBtn1->Checked());
        EXPECT_EQ(f.RetAddrMemo->Text(), "Eldravin SA\r\n1 place Carnot");
        Click(f.DelivAddrMemo);
        Type("Mme Hélène Roux\nrue des Lilas");
        EXPECT_EQ(f.DelivAddrMemo->Text(), "Mme Hélène Roux\r\nrue des Lilas");

        // The factory size is C6; 230 x 120 mm is none of the list: the custom
        // entry comes, and goes again when a listed size is chosen.
        EXPECT_EQ(f.SizeCmbBx->Items().Count(), 22);
        EXPECT_EQ(f.SizeCmbBx->ItemIndex(), 16 - 13);
        f.WidthUpDnEdt->SetText("230");
        f.HeightUpDnEdt->SetText("120 mm");
        EXPECT_EQ(EnvelopeSettings().Width, 13039);
        ASSERT_EQ(f.SizeCmbBx->Items().Count(), 23);
        EXPECT_EQ(f.SizeCmbBx->ItemIndex(), 22);
        EXPECT_EQ(f.SizeCmbBx->Items().Strings(22), "Taille personnalisée");
        f.SizeCmbBx->SetItemIndex(24 - 13);
        f.ControlChange(f.SizeCmbBx);
        EXPECT_EQ(f.SizeCmbBx->Items().Count(), 22);
        EXPECT_EQ(EnvelopeSettings().Width, 12472);
        EXPECT_EQ(EnvelopeSettings().Height, 6236);
        // 220 x 110 mm typed selects its row.
        f.WidthUpDnEdt->SetText("230");
        f.WidthUpDnEdt->SetText("220");
        f.HeightUpDnEdt->SetText("110");
        EXPECT_EQ(f.SizeCmbBx->ItemIndex(), 24 - 13);
        // Half the width of a 220 mm envelope.
        f.DelivLeftEdt->SetText("50");
        EXPECT_EQ(EnvelopeSettings().DA_Left, 5000);
        EXPECT_EQ(f.DelivLeftLbl->Caption(), "de la largeur (110 mm)");
        Picture(form, "envelope-dialog");
        Click(f.AddToDocBtn);
    });
    ShowEnvelopeForm(Doc.get());

    ASSERT_EQ(Doc->SectionCount(), 2);
    const TSection& envelope = Doc->GetSectionOfParagraph(Doc->StoryLast(stBody));
    EXPECT_EQ(envelope.PageParams[ppPaperWidth], 12472);
    std::vector<std::string> texts;
    for (int32_t p = envelope.FirstParagraph; p <= envelope.LastParagraph; ++p)
        texts.push_back(PlainText(Doc->Paragraphs(p)));
    EXPECT_EQ(texts, (std::vector<std::string>{"Eldravin SA", "1 place Carnot", "Mme Hélène Roux", "rue des Lilas"}));
    EXPECT_EQ(Doc->Paragraphs(envelope.FirstParagraph + 2).Format[pfLeftIndent], 6236);
    EXPECT_EQ(EnvelopeSettings().LastAddr, "Mme Hélène Roux||rue des Lilas");

    Doc->UndoManager().Undo();
    EXPECT_EQ(Doc->SectionCount(), 1);
    EXPECT_EQ(PlainText(Doc->Paragraphs(Doc->StoryLast(stBody))), "Lettre");
}

TEST_F(EnvelopeFormTest, InputIsCheckedInOrder)
{
    Para("Lettre" + kMark);
    TMessageAnswers answers;
    answers.Expect("Veuillez spécifier un destinataire, s'il vous plaît.", mrOk);
    answers.Expect("Aucune adresse n'est sélectionnée.", mrOk);
    answers.Expect("Veuillez spécifier un expéditeur, ou bien cocher la case \"Omettre\".", mrOk);
    answers.Expect("Veuillez entrer une valeur comprise entre 0 et 20.", mrOk);
    bool accepted = false;
    DuringNextModal([&](TForm& form) {
        TEnvelopeForm& f = Form(form);
        EXPECT_FALSE(f.ValidateEnvelopeInput());
        EXPECT_TRUE(f.DelivAddrMemo->Focused());
        Click(f.AddresseeRadBtn2);
        EXPECT_FALSE(f.ValidateEnvelopeInput());
        f.Addresses = {{"Ami", "Paul\r\nLyon"}};
        EXPECT_FALSE(f.ValidateEnvelopeInput());
        EXPECT_TRUE(f.OmitChkBx->Focused());
        // With "&Omettre" an empty sender is accepted; a sender top of 30 % is not.
        Click(f.OmitChkBx);
        EXPECT_TRUE(EnvelopeSettings().OmitRetAddr);
        f.RetTopEdt->SetText("30");
        EXPECT_FALSE(f.ValidateEnvelopeInput());
        f.RetTopEdt->SetText("20");
        accepted = f.ValidateEnvelopeInput();
        Click(f.CloseBtn);
    });
    ShowEnvelopeForm(Doc.get());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Doc->SectionCount(), 1);
}

TEST_F(EnvelopeFormTest, CaretInAnEnvelopeChoosesTheReprint)
{
    // A new document with a letter and its envelope, the caret on the letter.
    Doc = std::make_unique<TDocument>(true);
    Doc->InitNewDocument();
    TMemory letter;
    letter.Append("Lettre", 6);
    uint8_t flags = 0;
    Doc->ExecuteOperation(docInsertText, {&letter, &flags});
    BuildEnvelopes(*Doc, {"Paul\r\nLyon"}, "");
    Doc->PaginateAll();
    Doc->GoToPosition(0, 0);
    bool reprint = false;
    int32_t caret = -1;
    DuringNextModal([&](TForm& form) {
        TEnvelopeForm& f = Form(form);
        reprint = f.AddresseeRadBtn3->Checked();
        caret = Doc->Caret.Paragraph;
        EXPECT_FALSE(f.OptionsGrp->Visible());
        Picture(form, "envelope-dialog-reprint");
        Click(f.CloseBtn);
    });
    ShowEnvelopeForm(Doc.get());
    // Not found on the letter's page, then found on the last page.
    EXPECT_TRUE(reprint);
    EXPECT_EQ(caret, Doc->StoryLast(stBody));
    EXPECT_EQ(PlainText(Doc->Paragraphs(0)), "Lettre");
}

// Several addresses chosen from the desktop's vCard store for the
// envelopes, which are then joined to the document one section each.
TEST_F(EnvelopeFormTest, AddressesChosenFromTheBooksMakeOneEnvelopeEach)
{
    namespace fs = std::filesystem;
    const std::string data = GetUserFolder(TUserFolder::ufData);
    AddressBookSettings().HostFolder = TestOutputDir() + "/chooser-books";
    fs::remove_all(AddressBookSettings().HostFolder);
    fs::create_directories(AddressBookSettings().HostFolder);
    fs::create_directories(data + "/contacts");
    SaveAddressBook(AddressBookSettings().HostFolder + "/Famille.txt", {{"Mamie", "Lucie Martin\r\n29200 Brest"}});
    WriteTestFile(data + "/contacts/p.vcf",
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Fran\xC3\xA7ois P\xC3\xA9rez\r\n"
                  "ADR;TYPE=HOME:;;7 rue de l'\xC3\x89glise;Rennes;;35000;\r\n"
                  "ADR;TYPE=WORK:;;2 place de la Gare;Rennes;;35000;\r\nEND:VCARD\r\n");

    TEnvAddressList chosen;
    std::vector<std::string> books, titles;
    DuringNextModal([&](TForm& form) {
        auto& chooser = dynamic_cast<TEditAddrBookFrm&>(form);
        EXPECT_EQ(chooser.Caption(), "Choisir des adresses");
        for (int32_t i = 0; i < chooser.BookCmbBx->Items().Count(); ++i)
            books.push_back(chooser.BookCmbBx->Items().Strings(i));
        chooser.BookCmbBx->SetItemIndex(1);
        chooser.LoadBook(1);
        for (int32_t i = 0; i < chooser.AddrLstBx->Items().Count(); ++i)
            titles.push_back(chooser.AddrLstBx->Items().Strings(i));
        chooser.AddrLstBx->SetSelected(0, true);
        chooser.AddrLstBx->SetSelected(1, true);
        Picture(form, "address-chooser");
        Click(chooser.OkBtn);
    });
    ASSERT_TRUE(SelectAddresses(true, chosen));
    EXPECT_EQ(books, (std::vector<std::string>{"Famille", "Contacts (vCard)"}));
    EXPECT_EQ(titles, (std::vector<std::string>{"François Pérez (domicile)", "François Pérez (travail)"}));
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[1].Address, "François Pérez\r\n2 place de la Gare\r\n35000 Rennes");
    EXPECT_EQ(AddressBookSettings().LastAddrBook, data + "/contacts");

    Para("Lettre" + kMark);
    DuringNextModal([&](TForm& form) {
        TEnvelopeForm& f = Form(form);
        f.Addresses = chosen;
        Click(f.AddresseeRadBtn2);
        f.UpdateControls();
        EXPECT_EQ(f.MailListCountLbl->Caption(), "2 adresse(s) sélectionnée(s)");
        Click(f.OmitChkBx);
        Click(f.AddToDocBtn);
    });
    ShowEnvelopeForm(Doc.get());
    EXPECT_EQ(Doc->SectionCount(), 3);
    Doc->PaginateAll();
    EXPECT_EQ(Doc->CountEnvelopePages(), 2);
    fs::remove_all(data + "/contacts");
    AddressBookSettings() = {};
}
