// The toolbar rows on a frame: the default toolbars at both button sizes,
// rows hidden and shown, the overflow into the more-commands popup, buttons
// that follow their commands, the double Ctrl press, and the settings file
// at start-up and shutdown.
#include "ToolbarTesting.h"

#include "platform/win/Windows.h"
#include "shell/toolbars/ToolbarButtonImages.h"

#include <functional>
#include <tuple>

namespace {

constexpr TCommandId sep = cmToolbarSeparator;

}  // namespace

class ToolbarManagerTest : public ToolbarFixture {};

TEST_F(ToolbarManagerTest, TheDefaultRowsStandOnTheFrameAtBothButtonSizes)
{
    OpenRtf("{\\rtf1 Texte}");
    Manager->RebuildToolbars();
    for (int row : {0, 1, 2}) {
        SCOPED_TRACE(row);
        ASSERT_EQ(Manager->Row(row).size(), 1u);
        EXPECT_EQ(Ids(*Manager->Row(row).front()), Manager->Settings().Toolbar(row).Commands);
        const TToolBar& bar = *Manager->Row(row).front();
        const TToolButton& last = *bar.Buttons(bar.ButtonCount() - 1);
        EXPECT_LE(last.Left() + last.Width(), 1100 - 12);
    }
    EXPECT_TRUE(Manager->Row(tbPreview).empty());
    EXPECT_TRUE(Manager->Row(tbHeaderFooter).empty());
    const int32_t small = Manager->Row(0).front()->Height();
    EXPECT_EQ(Manager->GetDockedHeight(), 3 * small);

    // Controls stand in the place of their items, at their widths; drop-down
    // buttons are half as wide again.
    TToolButton* style = Manager->FindItem(209050);
    ASSERT_TRUE(style && style->Control);
    EXPECT_EQ(style->Control->Width(), 110);
    EXPECT_EQ(style->Control->Left(), style->Left());
    EXPECT_EQ(Manager->FindItem(212200)->Width(), 44);
    EXPECT_EQ(Manager->FindItem(704)->Style, TToolButtonStyle::tbsDropDown);
    EXPECT_EQ(Manager->FindItem(704)->Width(), 23 + 11);
    EXPECT_EQ(Manager->FindItem(12120)->Width(), 23);
    EXPECT_EQ(Manager->FindItem(12120)->ImageIndex, Manager->GetButtonImages().IndexOfCommand(12120));
    SavePng(*Frame, "toolbars-small.png");

    Manager->Settings().LargeButtons = true;
    Manager->RebuildToolbars();
    EXPECT_EQ(Manager->FindItem(12120)->Width(), 46);
    EXPECT_EQ(Manager->FindItem(12120)->Height(), 44);
    EXPECT_GT(Manager->GetDockedHeight(), 3 * small);
    ASSERT_NE(Manager->GetButtonImages().LargeNormal(), nullptr);
    EXPECT_EQ(Manager->Row(0).front()->Images, Manager->GetButtonImages().LargeNormal());
    Frame->SetHeight(400);
    SavePng(*Frame, "toolbars-large.png");
}

TEST_F(ToolbarManagerTest, RowsShowByTheirFlagInForceAndOnlyWithCommands)
{
    TToolbarSettings& s = Manager->Settings();
    struct TCase {
        const char* Name;
        std::function<void()> Set;
        std::vector<int> Rows;
    };
    const TCase cases[] = {
        {"defaults", [] {}, {0, 1, 2}},
        {"standard hidden", [&] { s.Toolbar(tbStandard).Visible = false; }, {1, 2}},
        {"formatting emptied", [&] { s.Toolbar(tbFormatting).Commands.clear(); }, {0, 2}},
        {"print preview", [&] { Manager->PreviewMode = true; }, {3}},
        {"full screen: only the header row can show",
         [&] {
             FullScreen = true;
             s.Toolbar(tbHeaderFooter).Visible = true;
         },
         {4}},
        {"alternative set", [&] { Manager->AlternativeSet = true; }, {0, 1, 2}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.SetDefaults();
        Manager->PreviewMode = false;
        Manager->AlternativeSet = false;
        FullScreen = false;
        c.Set();
        Manager->RebuildToolbars();
        std::vector<int> shown;
        for (int row = 0; row < ToolbarCount; ++row) {
            EXPECT_EQ(Manager->IsRowVisible(row), !Manager->Row(row).empty()) << row;
            if (!Manager->Row(row).empty())
                shown.push_back(row);
        }
        EXPECT_EQ(shown, c.Rows);
        for (int row : shown)
            EXPECT_EQ(Ids(*Manager->Row(row).front()), s.Toolbar(row).CurrentCommands());
    }
}

TEST_F(ToolbarManagerTest, WhatDoesNotFitGoesToTheMorePopupWithTheSwitchButtonKept)
{
    OpenRtf("{\\rtf1 Texte}");
    Frame->SetWidth(400);
    Manager->RebuildToolbars();
    const auto& row = Manager->Row(tbStandard);
    ASSERT_GE(row.size(), 2u);
    TToolBar& first = *row.front();
    const std::vector<TCommandId> shown = Ids(first);
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[shown.size() - 1], cmMoreButtons);
    EXPECT_EQ(shown[shown.size() - 2], cmSwitchToolbarCommandSet);
    int32_t used = 0;
    for (int32_t i = 0; i < first.ButtonCount(); ++i)
        used += first.Buttons(i)->Width();
    EXPECT_LE(used, 400 - 12);

    // The rest of the list, without separators and without the switch button,
    // continues in the popup.
    const TCommandList& list = Manager->Settings().Toolbar(tbStandard).Commands;
    std::vector<TCommandId> expected;
    for (size_t i = shown.size() - 2; i < list.size(); ++i)
        if (list[i] != sep && list[i] != cmSwitchToolbarCommandSet)
            expected.push_back(list[i]);
    std::vector<TCommandId> rest;
    for (size_t i = 1; i < row.size(); ++i)
        for (TCommandId id : Ids(*row[i]))
            rest.push_back(id);
    EXPECT_EQ(rest, expected);
    TAdditionalCommands_Form* popup = Manager->Popup(tbStandard);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(row[1]->Parent(), popup);
    EXPECT_FALSE(popup->Visible());

    // A click on the more-commands button opens the popup under it, its right
    // edge on the button's; Esc hides it and releases the button.
    TToolButton* more = first.Buttons(first.ButtonCount() - 1);
    Mouse.Click(first.Handle(), {more->Left() + more->Width() / 2, more->Top() + 5});
    ASSERT_TRUE(RunUntil([&] { return popup->Visible(); }));
    EXPECT_TRUE(more->Down());
    const TPoint corner = more->ClientToScreen({more->Width(), more->Height()});
    EXPECT_EQ(popup->Left() + popup->Width(), corner.X);
    EXPECT_EQ(popup->Top(), corner.Y + 2);
    EXPECT_EQ(popup->ClientWidth(), row[1]->Width() + 6);
    SavePng(*popup, "toolbars-more-popup.png");
    popup->SetFocus();
    RunPending();
    Keys.Tap("Esc");
    EXPECT_TRUE(RunUntil([&] { return !popup->Visible(); }));
    EXPECT_FALSE(more->Down());

    // Running a command closes the popups.
    Manager->ShowMorePopup(tbStandard);
    ASSERT_TRUE(popup->Visible());
    Context.Doc.Modified = true;
    Manager->RefreshToolbarStates();
    TToolButton* inPopup = nullptr;
    for (int32_t i = 0; i < row[1]->ButtonCount() && !inPopup; ++i)
        if (row[1]->Buttons(i)->Enabled() && !row[1]->Buttons(i)->Control)
            inPopup = row[1]->Buttons(i);
    ASSERT_NE(inPopup, nullptr);
    Mouse.Click(row[1]->Handle(), {inPopup->Left() + 5, inPopup->Top() + 5});
    EXPECT_TRUE(RunUntil([&] { return !popup->Visible(); }));
    ASSERT_FALSE(Handler.Ran.empty());
    EXPECT_EQ(Handler.Ran.back(), static_cast<TCommandId>(inPopup->Tag));
}

TEST_F(ToolbarManagerTest, EveryButtonIsEnabledAndPressedAsItsCommand)
{
    TDocument& doc = OpenRtf("{\\rtf1 Texte}");
    (void)doc;
    struct TCase {
        const char* Name;
        std::function<void(TCommandDocState&, TCommandFrameState&)> Set;
        // Spot checks: command, enabled, pressed.
        std::vector<std::tuple<TCommandId, bool, bool>> Expect;
    };
    const TCase cases[] = {
        {"plain unmodified document",
         [](TCommandDocState& d, TCommandFrameState&) {
             d.CharFormat[cfBold] = 0;
             d.ParFormat[pfAlignment] = 0;
         },
         {{180, false, false}, {12120, true, false}, {9080, true, true}, {9081, true, false}, {3840, false, false}}},
        {"modified, bold, centred, can undo",
         [](TCommandDocState& d, TCommandFrameState&) {
             d.Modified = true;
             d.CanUndo = true;
             d.CharFormat[cfBold] = 1;
             d.ParFormat[pfAlignment] = 1;
         },
         {{180, true, false}, {12120, true, true}, {9080, true, false}, {9081, true, true}, {3840, true, false}}},
        {"mixed bold, selection",
         [](TCommandDocState& d, TCommandFrameState&) {
             d.SelectionEmpty = false;
             d.CharFormat[cfBold] = NotSet;
         },
         {{12120, true, false}, {3420, true, false}, {3340, true, false}}},
        {"format brush on",
         [](TCommandDocState&, TCommandFrameState& f) { f.MouseMode = 2; },
         {{702, true, true}, {701, true, false}}},
        {"no document", nullptr, {{180, false, false}, {12120, false, false}, {100, true, false}}},
    };
    Manager->RebuildToolbars();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Context.Doc = TCommandDocState{};
        Context.Frame = TCommandFrameState{};
        Context.Active = c.Set ? Doc.get() : nullptr;
        if (c.Set)
            c.Set(Context.Doc, Context.Frame);
        Manager->RefreshToolbarStates();
        int checked = 0;
        for (int row = 0; row < ToolbarCount; ++row)
            for (TToolBar* bar : Manager->Row(row))
                for (int32_t i = 0; i < bar->ButtonCount(); ++i) {
                    TToolButton& b = *bar->Buttons(i);
                    const auto id = static_cast<TCommandId>(b.Tag);
                    if (id == sep || id == cmMoreButtons || id == cmSwitchToolbarCommandSet || b.Control)
                        continue;
                    EXPECT_EQ(b.Enabled(), Commands->IsCommandEnabled(id)) << id;
                    EXPECT_EQ(b.Down(), Commands->GetCommandState(id) == 0) << id;
                    ++checked;
                }
        EXPECT_GT(checked, 50);
        for (const auto& [id, enabled, down] : c.Expect) {
            TToolButton* b = Manager->FindItem(id);
            ASSERT_NE(b, nullptr) << id;
            EXPECT_EQ(b->Enabled(), enabled) << id;
            EXPECT_EQ(b->Down(), down) << id;
        }
    }
    Context.Active = Doc.get();
    Context.Doc = TCommandDocState{};
    Context.Doc.ParFormat[pfAlignment] = 1;
    Manager->RefreshToolbarStates();
    SavePng(*Frame, "toolbars-centred-states.png");
}

TEST_F(ToolbarManagerTest, AClickRunsTheCommandAndPressesARadioLikeButtonAtOnce)
{
    OpenRtf("{\\rtf1 Texte}");
    Manager->RebuildToolbars();
    TToolButton* bold = Manager->FindItem(12120);
    TToolButton* right = Manager->FindItem(9082);
    ASSERT_TRUE(bold && right);
    Mouse.Click(bold->Parent()->Handle(), {bold->Left() + 8, bold->Top() + 8});
    ASSERT_TRUE(RunUntil([&] { return !Handler.Ran.empty(); }));
    EXPECT_EQ(Handler.Ran.back(), 12120);
    // The recording handler changes nothing: the radio-like button is down
    // from the click until the states are refreshed from the command.
    bool downInHandler = false;
    struct TPeek : TCommandHandler {
        TToolButton* Button;
        bool* Seen;
        void HandleCommand(TCommandManager&, TCommandId) override { *Seen = Button->Down(); }
    } peek;
    peek.Button = right;
    peek.Seen = &downInHandler;
    Commands->SetBlockHandler(TCommandBlock::Paragraph, &peek);
    Mouse.Click(right->Parent()->Handle(), {right->Left() + 8, right->Top() + 8});
    ASSERT_TRUE(RunUntil([&] { return downInHandler; }));
    Commands->SetBlockHandler(TCommandBlock::Paragraph, &Handler);
    // While the manager is not ready a click runs nothing.
    Manager->Ready = false;
    Handler.Ran.clear();
    Mouse.Click(bold->Parent()->Handle(), {bold->Left() + 8, bold->Top() + 8});
    RunPending();
    EXPECT_TRUE(Handler.Ran.empty());
}

TEST_F(ToolbarManagerTest, PressingCtrlTwiceWithinTheDoubleClickTimeSwitchesTheCommandSet)
{
    Manager->RebuildToolbars();
    uint32_t now = 1000;
    Manager->TickSource = [&] { return now; };
    const uint32_t dbl = GetDoubleClickTime();
    auto press = [&](uint32_t gap) {
        now += gap;
        Manager->HandleKeyDown(VK_CONTROL, ssCtrl);
        Manager->HandleKeyUp(VK_CONTROL, 0);
    };
    press(0);
    EXPECT_EQ(Manager->ToggleState, 2);
    press(dbl + 1);  // too late: counts as a first press again
    EXPECT_FALSE(Manager->AlternativeSet);
    EXPECT_EQ(Manager->ToggleState, 2);
    press(dbl / 2);
    EXPECT_TRUE(Manager->AlternativeSet);
    EXPECT_EQ(Manager->ToggleState, 0);
    EXPECT_EQ(Ids(*Manager->Row(tbFormatting).front()).front(), 12161);

    // Another key between the presses, Ctrl with Shift, and full-screen mode
    // switch nothing.
    press(0);
    Manager->HandleKeyDown('A', ssCtrl);
    Manager->HandleKeyUp('A', ssCtrl);
    press(10);
    EXPECT_TRUE(Manager->AlternativeSet);
    Manager->ToggleState = 0;
    press(0);
    Manager->HandleKeyDown(VK_CONTROL, ssCtrl | ssShift);
    Manager->HandleKeyUp(VK_CONTROL, ssShift);
    EXPECT_TRUE(Manager->AlternativeSet);
    Manager->ToggleState = 0;
    FullScreen = true;
    press(0);
    press(10);
    EXPECT_TRUE(Manager->AlternativeSet);
}

TEST_F(ToolbarManagerTest, TheSettingsFileIsReadAtStartAndWrittenAtTheEndWhenModified)
{
    const std::string dir = MakeTestDir("tbfile");
    const std::string path = dir + "/Eldravin.ets";

    // A damaged file gives the defaults.
    WriteTestFile(path, std::string("\x89PNG\r\n\x1A\n\0\0\0", 11));
    MakeManager(path);
    EXPECT_EQ(Manager->Settings().Toolbar(tbStandard).Commands, DefaultToolbarCommands(tbStandard, false));
    EXPECT_TRUE(Manager->Settings().Toolbar(tbStandard).Visible);

    // A stored file is read; the retired id it holds marks the settings
    // modified, so the file is written again at the end without it.
    WriteTestFile(path, "[General Settings]\nLargeButtons=1\n[STANDARD]\nCommands=000000640000181F\n");
    MakeManager(path);
    EXPECT_TRUE(Manager->Settings().LargeButtons);
    EXPECT_EQ(Manager->Settings().Toolbar(tbStandard).Commands, (TCommandList{100}));
    EXPECT_TRUE(Manager->Settings().Modified);
    Manager.reset();
    EXPECT_NE(ReadText(path).find("Commands=00000064\n"), std::string::npos);

    // "dls" ignores the file; "dss" leaves it alone even when modified.
    const std::string before = ReadTestFile(path);
    Manager = std::make_unique<TToolbarManager>(*Commands);
    Manager->DontLoadSettings = true;
    Manager->DontSaveSettings = true;
    Manager->LoadSettings(path);
    EXPECT_FALSE(Manager->Settings().LargeButtons);
    Manager->Settings().Modified = true;
    Manager.reset();
    EXPECT_EQ(ReadTestFile(path), before);
}
