// The character map and the symbol window, driven by real keys and clicks:
// hit testing and navigation, the magnified cell on screen, inserting into a
// document (a symbol font's character in its field) with undo, picking for
// another dialog under a glyph filter, and the last symbol kept across a
// restart through the settings store.
#include "dialogs/InsertSymbolForm.h"

#include "DialogTesting.h"
#include "document/fields/Field.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Files.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int32_t kFrench = 0x040C;
constexpr int32_t kGreek = 0x0408;

class CharMapTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
        FPrevious = OptionsHolder;
        OptionsHolder = &FOptions;
    }
    void TearDown() override
    {
        FreeInsertSymbolForm();
        OptionsHolder = FPrevious;
        DialogTest::TearDown();
    }
    // The window, shown, inserting into the test's document.
    TInsertSymbolForm& Window()
    {
        TInsertSymbolForm* form = ShowInsertSymbolForm();
        form->TargetDocument = [this] { return Doc.get(); };
        EXPECT_TRUE(RunUntil([&] { return form->HandleAllocated() && IsWindowVisible(form->Handle()); }));
        return *form;
    }
    TPoint CellCentre(TCharMapControl& map, uint8_t c)
    {
        const TRect r = map.CellRect(c);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    // The colour of a pixel of a control, grabbed from the screen.
    COLORREF PixelOf(TWinControl& control, TPoint p)
    {
        RunPending();
        TBitmap grab;
        EXPECT_TRUE(RunUntil([&] { return GrabWindow(control.Handle(), grab) && grab.Width() > 0; }));
        return ColorToRGB(grab.Canvas().Pixels(p.X, p.Y));
    }
    int32_t SymbolFieldCount()
    {
        int32_t count = 0;
        for (const auto& field : Doc->RangeObjects())
            count += field->Type == 57 ? 1 : 0;
        return count;
    }

    TOptionsHolder FOptions;

private:
    TOptionsHolder* FPrevious = nullptr;
};

}  // namespace

// A point anywhere is brought into the grid: beyond the last cell at the
// bottom right is 255, right of the grid column 27, above it row 0.
TEST_F(CharMapTest, PointsOutsideTheGridMapToTheNearestCell)
{
    TCharMapControl& map = *Window().CharMap;
    const TRect grid = map.GridRect();
    EXPECT_EQ(map.Width(), 28 * map.CellWidth() + 1 + 20);
    EXPECT_EQ(map.Height(), 8 * map.CellHeight() + 1 + 20);
    struct {
        TPoint Point;
        int Expected;
    } const cases[] = {
        {{grid.Right + 50, grid.Bottom + 50}, 255},
        {{grid.Right + 5, grid.Top + 1}, 32 + 27},
        {{0, 0}, 32},
        {{grid.Left + map.CellWidth() + 1, grid.Top + map.CellHeight() + 1}, 32 + 28 + 1},
        {{grid.Left + 1, grid.Bottom - 2}, 32 + 7 * 28},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(map.CharAtPoint(c.Point), c.Expected);
    }
}

// Arrow keys, Home, End, Page Up and Page Down on the focused map; every move
// selects magnified, a move out of 32 to 255 does nothing.
TEST_F(CharMapTest, KeysMoveTheSelectionWithinTheGrid)
{
    TInsertSymbolForm& form = Window();
    TCharMapControl& map = *form.CharMap;
    Focus(map);
    struct {
        int Start;
        const char* Key;
        int Expected;
    } const cases[] = {
        {255, "Right", 255}, {40, "Up", 40},    {33, "PgDn", 229},  {100, "Down", 128}, {100, "Up", 72},
        {32, "Left", 32},    {60, "Home", 32},  {60, "End", 255},   {229, "PgUp", 33},  {40, "PgUp", 40},
        {230, "PgDn", 230},  {41, "Right", 42}, {250, "Down", 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + " from " + std::to_string(c.Start));
        map.SelectChar(static_cast<uint8_t>(c.Start), false);
        Keys.Tap(c.Key);
        EXPECT_EQ(map.SelectedChar(), c.Expected);
        EXPECT_EQ(map.Magnified(), c.Expected != c.Start);
    }
    // The window's status follows: the character code is what "Insérer" inserts.
    EXPECT_TRUE(form.InsertBtn->Enabled());
}

// A press selects magnified and the selection follows the held button; the
// magnified cell covers its neighbours on screen; a double click drops the
// magnification and inserts the character at the document's caret.
TEST_F(CharMapTest, MouseDragMagnifiesAndDoubleClickInserts)
{
    Build({"AB" + std::string(kMark)});
    Doc->SetSelection(0, 1, 0, 1);
    TInsertSymbolForm& form = Window();
    form.SelectSymbol("Arial", kFrench, 32);
    TCharMapControl& map = *form.CharMap;
    const HWND window = map.Handle();

    Mouse.Press(window, CellCentre(map, 65));
    EXPECT_EQ(map.SelectedChar(), 65);
    EXPECT_TRUE(map.Magnified());
    EXPECT_TRUE(map.Focused());
    Mouse.Move(window, CellCentre(map, 0xE9));
    EXPECT_EQ(map.SelectedChar(), 0xE9);
    Mouse.Move(window, {map.Width() + 40, -40});
    EXPECT_EQ(map.SelectedChar(), 32 + 27);
    Mouse.Move(window, CellCentre(map, 0xE9));
    Mouse.Release(window, CellCentre(map, 0xE9));
    EXPECT_TRUE(map.Magnified());

    // The magnified cell is highlighted over the middle of its right neighbour.
    const TRect neighbour = map.CellRect(0xEA);
    const COLORREF highlight = ColorToRGB(clHighlight);
    EXPECT_EQ(PixelOf(map, {neighbour.Left + 3, neighbour.Top + 2}), highlight);
    Snapshot(form, "symbol-window-magnified.png");
    EXPECT_EQ(PixelOf(map, {neighbour.Right - 2, neighbour.Bottom - 2}), ColorToRGB(clWindow));

    const std::string before = State();
    Mouse.Click(window, CellCentre(map, 0xE9));
    Mouse.Click(window, CellCentre(map, 0xE9));
    EXPECT_FALSE(map.Magnified());
    EXPECT_EQ(Doc->Paragraphs(0).GetPlainChars().Size(), 4);
    EXPECT_EQ(Doc->Paragraphs(0).GetPlainChars().Data()[1], 0xE9);
    EXPECT_EQ(SymbolFieldCount(), 0);
    Undo().Undo();
    EXPECT_EQ(State(), before);
}

// Choosing "Symbol" hides the language controls and inserts its character in
// a symbol field with charset 2, undone in one step; a text font with the
// Greek language draws the Greek code page and inserts with that charset.
TEST_F(CharMapTest, SymbolFontAndTextFontInsertTheirWay)
{
    Build({"AB" + std::string(kMark)});
    Doc->SetSelection(0, 1, 0, 1);
    TInsertSymbolForm& form = Window();
    form.SelectSymbol("Liberation Sans", kFrench, 65);
    EXPECT_TRUE(form.LangCmbBx->Visible());
    const int32_t symbol = form.FontCmbBx->Items().IndexOf("Symbol");
    ASSERT_GE(symbol, 0);
    ChooseItem(*form.FontCmbBx, symbol);
    EXPECT_EQ(form.CharMap->FontName, "Symbol");
    EXPECT_EQ(form.CharMap->Charset(), 2);
    EXPECT_FALSE(form.LangCmbBx->Visible());
    EXPECT_FALSE(form.LangLbl->Visible());

    form.CharMap->SelectChar(0xB7, false);
    const std::string before = State();
    Click(*form.InsertBtn);
    EXPECT_EQ(SymbolFieldCount(), 1);
    EXPECT_EQ(Doc->Paragraphs(0).GetPlainChars().Data()[1], 0xB7);
    Undo().Undo();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(SymbolFieldCount(), 0);

    // A text font with Greek.
    ChooseItem(*form.FontCmbBx, form.FontCmbBx->Items().IndexOf("Liberation Sans"));
    EXPECT_TRUE(form.LangCmbBx->Visible());
    int32_t greek = -1;
    for (int32_t i = 0; i < form.LangCmbBx->Items().Count(); ++i)
        if (IntFromObject(form.LangCmbBx->Items().Objects(i)) == kGreek)
            greek = i;
    ASSERT_GE(greek, 0);
    ChooseItem(*form.LangCmbBx, greek);
    EXPECT_EQ(form.CharMap->Language, kGreek);
    EXPECT_EQ(form.CharMap->Charset(), 161);
    EXPECT_EQ(form.InsertCharset(), 161);
    form.CharMap->SelectChar(0xE1, true);
    Snapshot(form, "symbol-window-greek.png");
    Click(*form.InsertBtn);
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(Doc->Paragraphs(0));
    ASSERT_NE(GetFontManager()->FindFont(formats[1][cfFont]), nullptr);
    EXPECT_EQ(GetFontManager()->FindFont(formats[1][cfFont])->RequestedCharset, 161);
    EXPECT_EQ(SymbolFieldCount(), 0);
}

// Picking with a filter: a rejected character is blank, disables "Insérer"
// and a double click on it does not close; an admitted one is returned, Esc
// returns 0; afterwards the window shows the user's own font again.
TEST_F(CharMapTest, PickingHonoursTheGlyphFilter)
{
    TInsertSymbolForm& form = Window();
    form.SelectSymbol("Arial", kFrench, 70);
    form.Hide();
    TGlyphFilter filter{};
    for (int c = '0'; c <= '9'; ++c)
        filter[static_cast<size_t>(c)] = true;
    bool stayedOpen = false;
    bool blank = false;
    DuringNextModal([&](TForm& f) {
        auto& pick = dynamic_cast<TInsertSymbolForm&>(f);
        EXPECT_TRUE(pick.PickMode());
        EXPECT_FALSE(pick.FontCmbBx->Visible());
        EXPECT_EQ(pick.CharMap->FontName, "Times New Roman");
        TCharMapControl& map = *pick.CharMap;
        // 'A' is rejected: its cell is blank (no ink of the window text).
        const TRect cell = map.CellRect('A');
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(map.Handle(), grab) && grab.Width() > 0; }));
        blank = true;
        for (int32_t y = cell.Top + 2; y < cell.Bottom - 2; ++y)
            for (int32_t x = cell.Left + 2; x < cell.Right - 2; ++x)
                blank = blank && ColorToRGB(grab.Canvas().Pixels(x, y)) == ColorToRGB(clWindow);
        Mouse.Click(map.Handle(), CellCentre(map, 'A'));
        Mouse.Click(map.Handle(), CellCentre(map, 'A'));
        RunPending();
        stayedOpen = pick.ModalResult() == mrNone && !pick.InsertBtn->Enabled();
        Mouse.Click(map.Handle(), CellCentre(map, '7'));
        EXPECT_TRUE(pick.InsertBtn->Enabled());
        Snapshot(pick, "symbol-window-picking.png");
        Mouse.Click(map.Handle(), CellCentre(map, '7'));
    });
    EXPECT_EQ(PickSymbolChar("Times New Roman", kFrench, &filter), '7');
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(blank);
    EXPECT_FALSE(form.PickMode());
    EXPECT_EQ(form.CharMap->FontName, "Arial");
    EXPECT_EQ(form.CharMap->SelectedChar(), 70);
    EXPECT_FALSE(form.CharMap->GlyphFilter.has_value());
    EXPECT_EQ(FOptions.InsSymbol_Font, "Arial");

    DuringNextModal([&](TForm&) { Keys.Tap("Esc"); });
    EXPECT_EQ(PickSymbolChar("Arial", kFrench, nullptr), 0);
}

// The font, language and character chosen come back after a restart: the
// options are written to the settings store and read by a new run.
TEST_F(CharMapTest, TheLastSymbolSurvivesARestart)
{
    {
        TInsertSymbolForm& form = Window();
        ChooseItem(*form.FontCmbBx, form.FontCmbBx->Items().IndexOf("Liberation Sans"));
        for (int32_t i = 0; i < form.LangCmbBx->Items().Count(); ++i)
            if (IntFromObject(form.LangCmbBx->Items().Objects(i)) == kGreek)
                ChooseItem(*form.LangCmbBx, i);
        Focus(*form.CharMap);
        Keys.Tap("End");
        Keys.Tap("Left");
        EXPECT_EQ(form.CharMap->SelectedChar(), 254);
        FreeInsertSymbolForm();
    }
    SaveSettingsToRegistry(FOptions);
    TOptionsHolder next;
    {
        std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
        next.Load(*store);
    }
    EXPECT_EQ(next.InsSymbol_Font, "Liberation Sans");
    EXPECT_EQ(next.InsSymbol_Lang, kGreek);
    EXPECT_EQ(next.InsSymbol_Symbol, 254);
    OptionsHolder = &next;
    TInsertSymbolForm& form = Window();
    EXPECT_EQ(form.CharMap->FontName, "Liberation Sans");
    EXPECT_EQ(form.CharMap->Language, kGreek);
    EXPECT_EQ(form.CharMap->SelectedChar(), 254);
    EXPECT_EQ(form.FontCmbBx->Items().Strings(form.FontCmbBx->ItemIndex()), "Liberation Sans");
    FreeInsertSymbolForm();
    OptionsHolder = &FOptions;
}

// "Enregistrer comme insert" writes an RTF file in "Symboles" of the clip
// library, named after the font and code (and language for a text font), or
// after the special character's entry, whose command makes its content.
TEST_F(CharMapTest, SymbolsAreSavedAsInserts)
{
    FOptions.ClipLibFolder = TestOutputDir() + "/inserts";
    TInsertSymbolForm& form = Window();
    form.SelectSymbol("Symbol", kFrench, 0xB7);
    Click(*form.SaveAsInsertBtn);
    const std::string folder = FOptions.ClipLibFolder + "/Symboles/";
    EXPECT_TRUE(FileExists(folder + "Symbol (#183).rtf"));
    EXPECT_EQ(FOptions.RecentClip, folder + "Symbol (#183).rtf");
    form.SelectSymbol("Arial", kGreek, 0xE1);
    EXPECT_EQ(form.SaveAsInsert(),
              folder + "Arial (#225, langue - " + GetLocaleLanguageName(kGreek) + ").rtf");

    std::vector<int32_t> commands;
    form.RunCommand = [&](int32_t command) { commands.push_back(command); };
    ShowPage(*form.PageControl, 1);
    ChooseListItem(*form.SpecialLstBx, 4);
    Snapshot(form, "symbol-window-special.png");
    Click(*form.SaveAsInsertBtn);
    EXPECT_EQ(commands, std::vector<int32_t>{3007});
    EXPECT_TRUE(FileExists(folder + "Espace ins\xE9" "cable.rtf"));
    // "Insérer" on this page runs the entry's command.
    Click(*form.InsertBtn);
    EXPECT_EQ(commands, (std::vector<int32_t>{3007, 3007}));
}
