// The columns dialog driven by keys and clicks: a count raised, widths made
// unequal and scrolled through, applied to the document, undone and redone;
// the spacing that a typed width gives equal columns; the presets framed
// when they match and applied by a click.
#include "DialogTesting.h"

#include "dialogs/ColumnEditForm.h"
#include "platform/framework/ModalTesting.h"

namespace {

class ColumnsDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
        Build({"Un" + std::string(kMark), "Deux" + std::string(kMark)});
        // A text width of 16000 twips.
        TPageParams& page = Doc->Sections(0).PageParams;
        page[ppPaperWidth] = 18000;
        page[ppLeftMargin] = page[ppRightMargin] = 1000;
        page[ppTextWidth] = 16000;
    }
    TSectionSettings& Settings() { return Doc->Sections(0).Settings; }
};

}  // namespace

TEST_F(ColumnsDialogTest, CountAndWidthsAppliedUndoneAndRedone)
{
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TColumnEditForm&>(form);
        EXPECT_EQ(f.Caption(), "Colonnes");
        EXPECT_EQ(f.ColCountUpDownEdit->Text(), "1");
        EXPECT_EQ(f.MatchingPreset(), 0);
        Retype(*f.ColCountUpDownEdit, "5");
        EXPECT_EQ(f.Settings()[ssColumnCount], 5);
        EXPECT_TRUE(f.WidthEdits[0]->Enabled());
        EXPECT_FALSE(f.WidthEdits[1]->Enabled());
        EXPECT_FALSE(f.ColumnsScrollBar->Enabled());
        Press(*f.EqualWidthChkBx);
        EXPECT_EQ(f.Settings()[ssEqualColumns], 0);
        EXPECT_TRUE(f.WidthEdits[1]->Enabled());
        EXPECT_TRUE(f.ColumnsScrollBar->Visible());
        EXPECT_TRUE(f.ColumnsScrollBar->Enabled());
        // Columns 3 to 5: the last has no spacing edit.
        f.ColumnsScrollBar->SetPosition(2);
        EXPECT_EQ(f.FirstShownColumn(), 2);
        EXPECT_EQ(f.ColLabels[0]->Caption(), "3 :");
        EXPECT_FALSE(f.SpacingEdits[2]->Visible());
        Retype(*f.WidthEdits[0], "2");
        EXPECT_EQ(f.Settings()[TSectionSettings::ColumnValue(2, crWidth)], 1134);
        Snapshot(f, "columns-dialog.png");
        EXPECT_TRUE(WriteBitmapPng(f.PreviewBitmap(), TestOutputDir() + "/columns-preview.png"));
        Click(*f.OKBtn);
    });
    ASSERT_TRUE(ExecuteColumnsDialog(*Doc));
    EXPECT_EQ(Settings()[ssColumnCount], 5);
    EXPECT_EQ(Settings()[ssEqualColumns], 0);
    // The widths were fitted to the text width with their gaps.
    int32_t total = 0;
    for (int32_t c = 0; c < 5; ++c)
        total += Settings()[TSectionSettings::ColumnValue(c, crWidth)] +
                 (c < 4 ? Settings()[TSectionSettings::ColumnValue(c, crSpacing)] : 0);
    EXPECT_NEAR(total, 16000, 5);
    EXPECT_EQ(Settings()[ssBreakKind], DefaultSectionSettings()[ssBreakKind]);
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// Equal widths over 16000 twips of text and 3 columns: a first column of
// 5000 twips leaves 500 twips between columns; the other edits are disabled.
TEST_F(ColumnsDialogTest, TypedWidthGivesEqualColumnsTheirSpacing)
{
    Settings()[ssColumnCount] = 3;
    Settings()[ssEqualColumns] = 1;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TColumnEditForm&>(form);
        EXPECT_EQ(f.MatchingPreset(), 2);
        EXPECT_FALSE(f.SpacingEdits[1]->Enabled());
        Retype(*f.WidthEdits[0], "8,82");
        EXPECT_EQ(f.Settings()[ssColumnSpacing], 500);
        EXPECT_EQ(f.MatchingPreset(), -1);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteColumnsDialog(*Doc));
    EXPECT_EQ(Settings()[ssColumnSpacing], DefaultSectionSettings()[ssColumnSpacing]);
}

// Two thirds and one third of the text less 720 twips, with a 720-twip gap:
// "Droite" is framed; a click on "Deux" takes its layout.
TEST_F(ColumnsDialogTest, PresetsMatchAndApply)
{
    // A text width whose thirds are whole twips, so that the widths fill it.
    TPageParams& page = Doc->Sections(0).PageParams;
    page[ppPaperWidth] = 18020;
    page[ppTextWidth] = 16020;
    Settings()[ssColumnCount] = 2;
    Settings()[ssEqualColumns] = 0;
    Settings()[TSectionSettings::ColumnValue(0, crWidth)] = (16020 - 720) * 2 / 3;
    Settings()[TSectionSettings::ColumnValue(0, crSpacing)] = 720;
    Settings()[TSectionSettings::ColumnValue(1, crWidth)] = (16020 - 720) / 3;
    Settings()[TSectionSettings::ColumnValue(1, crSpacing)] = 0;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TColumnEditForm&>(form);
        EXPECT_EQ(f.MatchingPreset(), 4);
        Click(*f.Presets[1]);
        EXPECT_EQ(f.Settings()[ssColumnCount], 2);
        EXPECT_EQ(f.Settings()[ssEqualColumns], 1);
        EXPECT_EQ(f.MatchingPreset(), 1);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteColumnsDialog(*Doc));
}
