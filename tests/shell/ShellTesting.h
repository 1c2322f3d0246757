#pragma once
// What the shell's window tests share: the application made and the forms
// left freed, scripts run inside the next modal loop, and an answerer that
// records the messages shown.
#include <functional>
#include <string>
#include <vector>

#include "foundation/MessageDlg.h"
#include "platform/framework/Forms.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <memory>

// Runs script inside the next modal loop, once its form is shown and active.
inline void DuringNextModal(std::function<void(TForm& form)> script)
{
    // The idle handler asks to be called again until the modal form shows;
    // should it never show, the loop is ended (mrAbort) so the test fails
    // instead of waiting for ever.
    auto tries = std::make_shared<int>(0);
    Application->OnIdle = [script, tries](TApplication* app, bool& done) {
        TForm* form = nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Modal())
                form = Screen->Forms(i);
        if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) {
            done = ++*tries > 100000;
            if (done && form)
                form->SetModalResult(mrAbort);
            return;
        }
        const auto run = script;  // the handler (and what it holds) goes now
        app->OnIdle = nullptr;
        run(*form);
        done = false;  // the loop looks at what the script did before it waits
    };
}

// Answers every message with OK and keeps its text.
class TRecordedMessages : public TMessageAnswerer {
public:
    TRecordedMessages() : FPrevious(SetMessageAnswerer(this)) {}
    ~TRecordedMessages() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        return mrOk;
    }
    std::vector<std::string> Texts;

private:
    TMessageAnswerer* FPrevious;
};

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
    }
    TTestMouse Mouse;
    TTestKeyboard Keys;
};
