#pragma once
// What the autocorrection window tests share: the application, the
// autocorrection options back at their defaults, the program options, typing
// on the French keyboard and clicks.
#include "foundation/settings/RegistryEx.h"
#include "platform/framework/controls/Edits.h"
#include "platform/testing/Testing.h"
#include "proofing/AutocorrectLangOptions.h"
#include "shell/ShellTesting.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <memory>

class AutocorrectWindowTest : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        GetAutocorrectLangOptionsManager().Clear();
        GetAutocorrectLangOptionsManager().SetStoreSource(nullptr);
        GetAutocorrectLangOptionsManager().Switches = TAutocorrectSwitches();
        FPrevious = OptionsHolder;
        OptionsHolder = &Options;
    }
    void TearDown() override
    {
        OptionsHolder = FPrevious;
        GetAutocorrectLangOptionsManager().Clear();
        ShellWindowTest::TearDown();
    }
    // Types into the focused control: letters, digits (numeric pad), blanks,
    // "." (numeric pad) and "-".
    void Type(const std::string& text)
    {
        for (char c : text) {
            if (c >= 'a' && c <= 'z')
                Keys.Tap(std::string(1, static_cast<char>(c - 'a' + 'A')));
            else if (c >= 'A' && c <= 'Z')
                Keys.Chord({"Shift"}, std::string(1, c));
            else if (c >= '0' && c <= '9')
                Keys.Tap("Num" + std::string(1, c));
            else if (c == ' ')
                Keys.Tap("Space");
            else if (c == '.')
                Keys.Tap("Num.");
            else if (c == '-')
                Keys.Tap("6");
        }
    }
    void Focus(TWinControl& control)
    {
        control.SetFocus();
        ASSERT_TRUE(RunUntil([&] { return control.Focused(); }));
    }
    void Retype(TCustomEdit& edit, const std::string& text)
    {
        Focus(edit);
        edit.SelectAll();
        Keys.Tap("Del");
        Type(text);
    }
    void Click(TControl& control)
    {
        if (auto* window = dynamic_cast<TWinControl*>(&control))
            Mouse.Click(window->Handle(), {control.Width() / 2, control.Height() / 2});
        else
            Mouse.Click(control.Parent()->Handle(),
                        {control.Left() + control.Width() / 2, control.Top() + control.Height() / 2});
    }
    void Snapshot(TForm& form, const std::string& name)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name));
    }
    // The options saved to the store and read again by a fresh manager.
    TAutocorrectLangOptions& SavedAndReadBack(LANGID language)
    {
        {
            TRegistryEx store;
            GetAutocorrectLangOptionsManager().SaveToStorage(store);
            store.Flush();
        }
        GetAutocorrectLangOptionsManager().Clear();
        GetAutocorrectLangOptionsManager().SetStoreSource(
            [] { return std::unique_ptr<TSettingsStorage>(std::make_unique<TRegistryEx>()); });
        return GetAutocorrectLangOptionsManager().GetLangOptions(language);
    }

    TOptionsHolder Options;
    TScriptedAnswers Answers;

private:
    TOptionsHolder* FPrevious = nullptr;
};
