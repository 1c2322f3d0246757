#pragma once
// What the autocorrection window tests share: the application, the
// autocorrection options back at their defaults, the program options, typing
// on the French keyboard and clicks.
#include "foundation/settings/RegistryEx.h"
#include "platform/framework/controls/Edits.h"
#include "platform/testing/FormInput.h"
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
    void Type(const std::string& text) { TypeIntoFocus(Keys, text); }
    void Focus(TWinControl& control) { FocusControl(control); }
    void Retype(TCustomEdit& edit, const std::string& text) { RetypeEdit(Keys, edit, text); }
    void Click(TControl& control) { ClickControl(Mouse, control); }
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
