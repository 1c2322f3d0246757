// The tab stop dialogs driven by keys and clicks: stops added (the position
// asked in the nested dialog, a unit typed), changed in kind and leader,
// deleted; the table and the default interval applied to the selected
// paragraphs, undone and redone; the 50-stop limit; a table emptied.
#include "DialogTesting.h"

#include "dialogs/TabStopForms.h"
#include "platform/framework/ModalTesting.h"

namespace {

class TabStopDialogsTest : public DialogTest {
protected:
    int32_t TableOf(std::initializer_list<TTabStop> stops)
    {
        TTabTable table;
        for (TTabStop stop : stops)
            table.AddTab(stop);
        return Doc->TabManager().AddTable(table);
    }
    // Opens "Position du taquet" with the button and types the position.
    void AskPosition(TButton& button, const std::string& typed)
    {
        bool asked = false;
        DuringNextModal([&](TForm& form) {
            auto& f = dynamic_cast<TEditTabStopForm&>(form);
            EXPECT_EQ(f.Caption(), "Position du taquet");
            Retype(*f.TabStopUpDownEdit, typed);
            asked = true;
            Keys.Tap("Enter");
        });
        Click(button);
        ASSERT_TRUE(RunUntil([&] { return asked; }));
    }
};

}  // namespace

TEST_F(TabStopDialogsTest, TableEditedAppliedUndoneAndRedone)
{
    Build({"Un deux" + std::string(kMark), "Trois quatre" + std::string(kMark)});
    const int32_t table = TableOf({PackTabStop(1440, tkLeft, 0), PackTabStop(2880, tkRight, 1)});
    for (int32_t p = 0; p < 2; ++p)
        Doc->Paragraphs(p).Format[pfTabTable] = table;
    Select(0, 1, 1, 2);
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditTabsForm&>(form);
        EXPECT_EQ(f.Caption(), "Tabulations");
        ASSERT_EQ(f.TabStopListBox->Items().Count(), 2);
        EXPECT_EQ(f.TabStopListBox->Items().Strings(0), "2,54 cm");
        EXPECT_EQ(f.TabStopListBox->Items().Strings(1), "5,08 cm");
        EXPECT_EQ(f.TabStopListBox->ItemIndex(), 0);
        EXPECT_TRUE(f.LeftAlignmentRadioBtn->Checked());
        ChooseListItem(*f.TabStopListBox, 1);
        EXPECT_TRUE(f.RightAlignmentRadioBtn->Checked());
        EXPECT_TRUE(f.DotsLeaderRadioBtn->Checked());
        // A bar stop shows no leader; back to a left stop it has its old one.
        Press(*f.BarAlignmentRadioBtn);
        EXPECT_FALSE(f.DotsLeaderRadioBtn->Enabled());
        EXPECT_FALSE(f.DotsLeaderRadioBtn->Checked());
        Press(*f.LeftAlignmentRadioBtn);
        EXPECT_TRUE(f.DotsLeaderRadioBtn->Checked());
        // A stop where one stands adds nothing and selects it.
        AskPosition(*f.AddTabStopBtn, "1 pouce");
        EXPECT_EQ(f.TabStopListBox->Items().Count(), 2);
        EXPECT_EQ(f.TabStopListBox->ItemIndex(), 0);
        AskPosition(*f.AddTabStopBtn, "3");
        ASSERT_EQ(f.TabStopListBox->Items().Count(), 3);
        EXPECT_EQ(f.TabStopListBox->ItemIndex(), 1);
        EXPECT_EQ(f.Table().Stops(1), PackTabStop(1701, tkLeft, 0));
        // Moved onto the stop at 5,08 cm, the two merge into that one.
        AskPosition(*f.EditTabStopBtn, "5,08");
        ASSERT_EQ(f.TabStopListBox->Items().Count(), 2);
        EXPECT_EQ(f.TabStopListBox->ItemIndex(), 1);
        Retype(*f.DefaultTabStopUpDownEdit, "1,5");
        Snapshot(f, "tabs-dialog.png");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(FormatTabsWithDialog(*Doc));
    EXPECT_EQ(Doc->TabManager().DefaultInterval(), 850);
    const TTabTable* result = Doc->TabManager().Tables(Doc->Paragraphs(0).Format[pfTabTable]);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->StopList(), (std::vector<TTabStop>{PackTabStop(1440, tkLeft, 0), PackTabStop(2880, tkLeft, 1)}));
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfTabTable], Doc->Paragraphs(0).Format[pfTabTable]);
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Doc->TabManager().DefaultInterval(), 720);
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// Fifty stops: "Ajouter..." names the limit and opens nothing.
TEST_F(TabStopDialogsTest, FiftyStopsAreTheLimit)
{
    Build({"Texte" + std::string(kMark)});
    TTabTable full;
    for (int32_t i = 1; i <= MaxTabStops; ++i)
        full.AddTab(PackTabStop(i * 100, tkLeft, 0));
    TTabsDialogRecord record{};
    record[0] = 720;
    record[1] = Doc->TabManager().AddTable(full);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditTabsForm&>(form);
        Click(*f.AddTabStopBtn);
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 1; }));
        EXPECT_EQ(Answers.Texts[0],
                  "Le nombre de taquets de tabulation dans une table de tabulations ne peut pas dépasser 50.");
        EXPECT_EQ(f.Table().Count(), MaxTabStops);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteEditTabsDialog(record, Doc->TabManager(), NotSet, false));
}

// Deleting the last stop disables the buttons and returns table -1; with
// the interval hidden (a style's tabs) value 0 comes back as it was.
TEST_F(TabStopDialogsTest, EmptiedTableWithHiddenInterval)
{
    Build({"Texte" + std::string(kMark)});
    TTabsDialogRecord record{};
    record[0] = 1234;
    record[1] = TableOf({PackTabStop(1000, tkDecimal, 2)});
    record[13] = 77;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditTabsForm&>(form);
        EXPECT_FALSE(f.DefaultTabStopUpDownEdit->Visible());
        EXPECT_TRUE(f.DecimalAlignmentRadioBtn->Checked());
        EXPECT_TRUE(f.HyphenLeaderRadioBtn->Checked());
        Click(*f.DeleteTabStopBtn);
        EXPECT_EQ(f.TabStopListBox->Items().Count(), 0);
        EXPECT_FALSE(f.LeftAlignmentRadioBtn->Enabled());
        EXPECT_FALSE(f.NoneLeaderRadioBtn->Enabled());
        EXPECT_FALSE(f.EditTabStopBtn->Enabled());
        EXPECT_FALSE(f.DeleteTabStopBtn->Enabled());
        Focus(*f.TabStopListBox);
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteEditTabsDialog(record, Doc->TabManager(), NotSet, true));
    EXPECT_EQ(record[0], 1234);
    EXPECT_EQ(record[1], -1);
    EXPECT_EQ(record[13], 77);
}
