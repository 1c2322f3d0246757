// The format palette: the built-in items, the palette window driven by keys
// and clicks (items added, named, edited in the character dialog, moved,
// deleted), the palette saved in the user's folders and read back by the
// next run; matching the copied format; the floating palette applying an
// item with one click; how items are drawn.
#include "DialogTesting.h"

#include "dialogs/FontFormatForm.h"
#include "dialogs/FormatPalette.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "platform/framework/ModalTesting.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"

namespace {

class FormatPaletteTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        DeleteFile(TFormatPalette::PaletteFileToWrite());
        CharFormatClipboard() = {};
    }
    void TearDown() override
    {
        FreeFormatPalette();
        DeleteFile(TFormatPalette::PaletteFileToWrite());
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        CharFormatClipboard() = {};
        DialogTest::TearDown();
    }
    static std::vector<std::string> Names(TFormatPalette& palette)
    {
        std::vector<std::string> names;
        for (int32_t i = 1; i <= palette.ItemCount(); ++i)
            names.push_back(palette.Item(i).DisplayName);
        return names;
    }
    TCharFormat FormatAt(int32_t paragraph, int32_t offset)
    {
        TCharFormat format;
        Doc->GetCharFormatAt({paragraph, offset}, format);
        return format;
    }
};

}  // namespace

// With no palette file the palette is the built-in one; the window adds,
// names, edits and deletes items; the palette is written in the user's data
// folder (never beside the program) at the end of the run, and the next run
// reads it back. With "dss" nothing is written.
TEST_F(FormatPaletteTest, EditedInItsWindowAndKeptAcrossRuns)
{
    ASSERT_FALSE(FileExists(TFormatPalette::PaletteFileToWrite()));
    {
        TFormatPalette& palette = GetFormatPalette();
        const std::vector<std::string> builtIn = {
            "Gras", "Italique", "Gras italique", "Rouge gras", "Souligné", "Barré", "Arial", "Verdana",
            "Times New Roman", "Police 8pt", "Police 10pt", "Police 12pt", "Police 14pt", "condensé", "étendu",
            "Adresse Internet"};
        ASSERT_EQ(Names(palette), builtIn);
        EXPECT_EQ(palette.Item(1).CharFormat[cfBold], 1);
        EXPECT_EQ(palette.Item(1).CharFormat[cfItalic], NotSet);
        EXPECT_EQ(palette.Item(3).CharFormat[cfItalic], 1);
        EXPECT_EQ(palette.Item(5).CharFormat[cfUnderline], 1);
        EXPECT_EQ(palette.Item(10).CharFormat[cfSize], 16);
        EXPECT_LT(palette.Item(14).CharFormat[cfLetterSpacing], 0);
        EXPECT_GT(palette.Item(15).CharFormat[cfLetterSpacing], 0);
        EXPECT_FALSE(palette.Modified);

        palette.ShowPalette();
        EXPECT_TRUE(palette.Modified);
        TFormatPaletteForm& f = *palette.PaletteForm();
        ASSERT_TRUE(RunUntil([&] { return f.Visible() && f.HandleAllocated(); }));
        EXPECT_EQ(f.HelpTopic(), 10500);
        EXPECT_EQ(f.SelectedIndex(), 0);
        EXPECT_EQ(f.NameEdit->Text(), "Gras");
        EXPECT_FALSE(f.MoveUpBtn->Enabled());
        Click(*f.AddItemBtn);
        Click(*f.AddItemBtn);
        EXPECT_EQ(palette.Item(17).DisplayName, "Modèle de format 1");
        EXPECT_EQ(palette.Item(18).DisplayName, "Modèle de format 2");
        EXPECT_EQ(f.SelectedIndex(), 17);
        EXPECT_FALSE(f.MoveDownBtn->Enabled());
        // The last item deleted: the new last one is selected.
        Click(*f.DeleteItemBtn);
        EXPECT_EQ(palette.ItemCount(), 17);
        EXPECT_EQ(f.SelectedIndex(), 16);
        Retype(*f.NameEdit, "Titre encadre");
        // An emptied name edit leaves the name alone.
        Retype(*f.NameEdit, "");
        EXPECT_EQ(palette.Item(17).DisplayName, "Titre encadre");
        bool edited = false;
        DuringNextModal([&](TForm& form) {
            auto& d = dynamic_cast<TFontFormatForm&>(form);
            EXPECT_EQ(d.HelpTopic(), 9100);
            // Grey (not set) first goes to clear, then to checked.
            for (TCheckBox* box : {d.BoldChkBx, d.ItalicChkBx}) {
                Press(*box);
                Press(*box);
            }
            Keys.Tap("Enter");
            edited = true;
        });
        Click(*f.EditParamsBtn);
        ASSERT_TRUE(RunUntil([&] { return edited; }));
        EXPECT_EQ(palette.Item(17).CharFormat[cfBold], 1);
        EXPECT_EQ(palette.Item(17).CharFormat[cfItalic], 1);
        EXPECT_EQ(palette.Item(17).CharFormat[cfSize], NotSet);
        EXPECT_FALSE(f.ParamsMemo->Text().empty());
        // Moved up one place, and back.
        Click(*f.MoveUpBtn);
        EXPECT_EQ(f.SelectedIndex(), 15);
        EXPECT_EQ(palette.Item(16).DisplayName, "Titre encadre");
        EXPECT_EQ(palette.Item(17).DisplayName, "Adresse Internet");
        Click(*f.MoveDownBtn);
        Snapshot(f, "format-palette.png");
        Click(*f.CloseBtn);
        FreeFormatPalette();
    }
    const std::string written = TFormatPalette::PaletteFileToWrite();
    EXPECT_TRUE(FileExists(written));
    EXPECT_EQ(written.rfind(IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)), 0), 0u) << written;
    EXPECT_FALSE(FileExists(IncludeTrailingPathDelimiter(GetProgramFolder()) + DefaultPaletteFileName));
    {
        TFormatPalette& palette = GetFormatPalette();
        ASSERT_EQ(palette.ItemCount(), 17);
        EXPECT_EQ(palette.Item(17).DisplayName, "Titre encadre");
        EXPECT_EQ(palette.Item(17).CharFormat[cfBold], 1);
        EXPECT_EQ(palette.Item(5).DisplayName, "Souligné");
        FreeFormatPalette();
    }
    // With "dss" the palette shown and changed is not written.
    const int64_t size = GetFileSize(written);
    SetProgramArguments(std::vector<std::string>{"eldravin", "-dss"});
    {
        TFormatPalette& palette = GetFormatPalette();
        palette.ShowPalette();
        palette.PaletteForm()->DeleteItemBtnClick();
        EXPECT_EQ(palette.ItemCount(), 16);
        FreeFormatPalette();
    }
    EXPECT_EQ(GetFileSize(written), size);
    TFormatPalette again;
    EXPECT_EQ(again.ItemCount(), 17);
}

// Adding to an empty palette numbers the items from 1; deleting the only
// item leaves no selection and nothing to edit.
TEST_F(FormatPaletteTest, EmptyPaletteAddAndDelete)
{
    TFormatPalette& palette = GetFormatPalette();
    while (palette.ItemCount() > 0)
        palette.DeleteItem(1);
    palette.ShowPalette();
    TFormatPaletteForm& f = *palette.PaletteForm();
    EXPECT_EQ(f.SelectedIndex(), -1);
    EXPECT_FALSE(f.NameEdit->Enabled());
    EXPECT_FALSE(f.EditParamsBtn->Enabled());
    EXPECT_FALSE(f.DeleteItemBtn->Enabled());
    EXPECT_FALSE(f.SavePaletteBtn->Enabled());
    Click(*f.AddItemBtn);
    EXPECT_EQ(Names(palette), (std::vector<std::string>{"Modèle de format 1"}));
    EXPECT_TRUE(RunUntil([&] { return f.NameEdit->Focused(); }));
    Click(*f.DeleteItemBtn);
    EXPECT_EQ(palette.ItemCount(), 0);
    EXPECT_EQ(f.SelectedIndex(), -1);
    EXPECT_FALSE(f.NameEdit->Enabled());
    EXPECT_TRUE(f.NameEdit->Text().empty());
    EXPECT_FALSE(f.EditParamsBtn->Enabled());
    // The built-in palette comes back with its button.
    Click(*f.BuiltInPaletteBtn);
    EXPECT_EQ(palette.ItemCount(), 16);
    EXPECT_EQ(f.SelectedIndex(), 0);
}

// The copied format matches items slot for slot; of two equal items the
// later one is named. A click in the floating palette formats the selection
// at once; without a selection it turns the format brush on, loaded with
// the item.
TEST_F(FormatPaletteTest, MatchingAndFloatingPaletteClicks)
{
    Build({"Texte du document" + std::string(kMark)});
    TFormatPalette& palette = GetFormatPalette();
    std::vector<int32_t> commands;
    palette.ActiveDocument = [&] { return Doc.get(); };
    palette.RunCommand = [&](int32_t command) { commands.push_back(command); };
    palette.FormatBrushActive = [] { return false; };
    palette.FormatBrushEnabled = [] { return true; };

    EXPECT_EQ(palette.FindMatchingItem(), -1);
    const int32_t copy = palette.AddItem();
    palette.Item(copy).CharFormat = palette.Item(1).CharFormat;
    palette.Item(copy).Name = palette.Item(copy).DisplayName = "Gras aussi";
    CharFormatClipboard().Format = palette.Item(1).CharFormat;
    CharFormatClipboard().HasFormat = 1;
    EXPECT_TRUE(palette.ItemMatchesCurrentFormat(1));
    EXPECT_FALSE(palette.ItemMatchesCurrentFormat(2));
    EXPECT_EQ(palette.FindMatchingItem(), copy);
    EXPECT_EQ(palette.GetMatchingItemName(), "Gras aussi");
    CharFormatClipboard().HasFormat = 0;
    EXPECT_FALSE(palette.ItemMatchesCurrentFormat(1));

    palette.FloatingEnabled = true;
    palette.FloatingShown = true;
    palette.UpdateFloatingPalette();
    TFloatingFormatPaletteForm* floating = palette.FloatingForm();
    ASSERT_NE(floating, nullptr);
    ASSERT_TRUE(RunUntil([&] { return floating->Visible() && floating->HandleAllocated(); }));
    EXPECT_EQ(floating->ItemListBox->Items().Count(), palette.ItemCount());
    Snapshot(*floating, "floating-format-palette.png");
    auto clickRow = [&](int32_t row) {
        const TRect r = floating->ItemListBox->ItemRect(row);
        Mouse.Click(floating->ItemListBox->Handle(), {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    };
    Select(0, 0, 0, 5);
    clickRow(1);  // "Italique"
    EXPECT_EQ(FormatAt(0, 2)[cfItalic], 1);
    EXPECT_EQ(FormatAt(0, 7)[cfItalic], 0);
    EXPECT_TRUE(CharFormatClipboard().HasFormat);
    EXPECT_TRUE(commands.empty());
    Caret(0, 8);
    clickRow(0);  // "Gras"
    EXPECT_EQ(commands, (std::vector<int32_t>{cmdFormatBrush}));
    EXPECT_EQ(CharFormatClipboard().Format[cfBold], 1);
    EXPECT_EQ(FormatAt(0, 8)[cfBold], 0);
    // Closing the floating palette turns "shown" off.
    floating->Close();
    EXPECT_FALSE(palette.FloatingShown);
}

// Sizing the floating palette snaps it to whole rows of 23 pixels.
TEST(FloatingPaletteSizeTest, SnapsToWholeRows)
{
    struct Case {
        int32_t Height, NonClient, Snapped;
    };
    const Case cases[] = {
        {20 + 46, 20, 46 + 20 + 4},  // exactly two rows
        {20 + 57, 20, 46 + 20 + 4},  // 11 over: down
        {20 + 58, 20, 69 + 20 + 4},  // 12 over: up
        {20 + 5, 20, 23 + 20 + 4},   // never less than one row
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFloatingFormatPaletteForm::SnapHeight(c.Height, c.NonClient), c.Snapped) << c.Height;
}

// Items are drawn readable: a symbol font gives way to the default font and
// sizes stay between 4 and 14 points; a selected item wears the selection
// colour around it.
TEST_F(FormatPaletteTest, ItemsDrawnReadable)
{
    TFormatPalette& palette = GetFormatPalette();
    const int32_t symbol = GetFontManager()->GetFontIndex("Symbol", 2, false, 0);
    const int32_t item = palette.AddItem();
    palette.Item(item).CharFormat[cfFont] = symbol;
    palette.Item(item).CharFormat[cfSize] = 144;
    const TCharFormat drawn = palette.DrawingFormat(item);
    EXPECT_EQ(drawn[cfFont], DefaultCharFormat()[cfFont]);
    EXPECT_EQ(drawn[cfSize], 28);
    palette.Item(item).CharFormat[cfSize] = 4;
    EXPECT_EQ(palette.DrawingFormat(item)[cfSize], 8);
    EXPECT_EQ(palette.DrawingFormat(1)[cfSize], 22);
    EXPECT_EQ(palette.DrawingFormat(1)[cfBold], 1);

    int32_t narrow = 0;
    int32_t wide = 0;
    palette.DrawItem(11, nullptr, {}, false, false, narrow);  // "Police 10pt"
    palette.DrawItem(13, nullptr, {}, false, false, wide);    // "Police 14pt"
    EXPECT_GT(wide, narrow);
    TBitmap bitmap;
    bitmap.SetSize(160, PaletteItemHeight);
    int32_t width = 0;
    palette.DrawItem(1, &bitmap.Canvas(), {0, 0, 160, PaletteItemHeight}, true, false, width);
    EXPECT_EQ(bitmap.Canvas().Pixels(0, 10), ColorToRGB(clHighlight));
    EXPECT_EQ(bitmap.Canvas().Pixels(2, 10), ColorToRGB(clHighlight));
    EXPECT_EQ(bitmap.Canvas().Pixels(5, 3), ColorToRGB(clWindow));
    EXPECT_TRUE(WriteBitmapPng(bitmap, TestOutputDir() + "/format-palette-item.png"));
}
