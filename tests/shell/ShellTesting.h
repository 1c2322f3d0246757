#pragma once
// What the shell's window tests share: the application made and the forms
// left freed, scripts run inside the next modal loop, and an answerer that
// records the messages shown.
#include <functional>
#include <string>
#include <vector>

#include "foundation/MessageDlg.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ModalTesting.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <memory>

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
