#pragma once
// What the format dialog tests share: a document built from texts (the
// editing fixture), the application, the copied paragraph format, typing on
// the French keyboard, clicks, page changes and grabs of the dialogs into
// test-output.
#include "document/FormattingFixtures.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/TabManager.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/testing/FormInput.h"
#include "platform/testing/Testing.h"
#include "shell/ShellTesting.h"

#include <gtest/gtest.h>

// The shell's side of message boxes, as far as the dialogs need it: the
// optional messages offer Yes and No.
class TTestMessageHost : public TMessageDlgHost {
public:
    bool ApplicationTerminating() override { return false; }
    std::string ApplicationTitle() override { return "Eldravin"; }
    void BeginMessage() override {}
    void EndMessage() override {}
    TMsgDlgButtons PresetButtons(uint8_t) override { return mbYesNo; }
    bool PresetSilenced(uint8_t) override { return false; }
    void FireProgramEvent(int32_t) override {}
    void MessageShown() override {}
};

class DialogTest : public EditingTest {
protected:
    void SetUp() override
    {
        InitApplication();
        CreateParFormatingStateClipboard();
        FPreviousHost = SetMessageDlgHost(&FHost);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        FreeParFormatingStateClipboard();
        SetMessageDlgHost(FPreviousHost);
        if (FLayout) {
            Doc.reset();
            FreeDocumentLayout();
            FreeLineLayout();
            FreeSharedManagers();
            DefaultCharFormat()[cfFont] = FSavedFonts[0];
            PresetCharFormat()[cfFont] = FSavedFonts[1];
            PresetBoldCharFormat()[cfFont] = FSavedFonts[2];
        }
    }
    // The program's managers (fonts, colours, measurements) and the real
    // layout, with a document made under them.
    void EnableLayout()
    {
        FSavedFonts[0] = DefaultCharFormat()[cfFont];
        FSavedFonts[1] = PresetCharFormat()[cfFont];
        FSavedFonts[2] = PresetBoldCharFormat()[cfFont];
        CreateSharedManagers();
        GetColorManager()->UseDefaultPalette();
        CreateLineLayout();
        CreateDocumentLayout();
        FLayout = true;
        Doc = std::make_unique<TDocument>(false);
    }
    void Type(const std::string& text) { TypeIntoFocus(Keys, text); }
    void Focus(TWinControl& control) { FocusControl(control); }
    void Retype(TCustomEdit& edit, const std::string& text) { RetypeEdit(Keys, edit, text); }
    void Click(TControl& control) { ClickControl(Mouse, control); }
    // Moves a closed drop-down list to an item with the arrow keys.
    void ChooseItem(TComboBox& combo, int32_t item)
    {
        Focus(combo);
        for (int guard = 0; guard < 64 && combo.ItemIndex() != item; ++guard)
            Keys.Tap(combo.ItemIndex() < item ? "Down" : "Up");
        ASSERT_EQ(combo.ItemIndex(), item);
    }
    void ChooseListItem(TListBox& list, int32_t item)
    {
        Focus(list);
        if (list.ItemIndex() < 0)
            Keys.Tap("Down");
        for (int guard = 0; guard < 256 && list.ItemIndex() != item; ++guard)
            Keys.Tap(list.ItemIndex() < item ? "Down" : "Up");
        ASSERT_EQ(list.ItemIndex(), item);
    }
    void ShowPage(TPageControl& pages, int32_t index)
    {
        const TRect tab = pages.TabRect(index);
        Mouse.Click(pages.Handle(), {(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2});
        ASSERT_TRUE(RunUntil([&] { return pages.ActivePageIndex() == index; }));
    }
    void Snapshot(TForm& form, const std::string& name)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name));
    }

    TTestMouse Mouse;
    TTestKeyboard Keys;
    TScriptedAnswers Answers;

    // The document as the dump shows it, laid out first (pagination fills
    // values of the page parameters that the dump shows).
    std::string State()
    {
        if (FLayout)
            Doc->PaginateAll();
        return DumpAll(*Doc);
    }
    // Checks or clears a check box, or chooses a radio button, with the space bar.
    void Press(TWinControl& button)
    {
        Focus(button);
        Keys.Tap("Space");
    }

private:
    TTestMessageHost FHost;
    TMessageDlgHost* FPreviousHost = nullptr;
    bool FLayout = false;
    int32_t FSavedFonts[3] = {};
};
