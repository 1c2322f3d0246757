#pragma once
// What the shell's window tests share: the application made and the forms
// left freed, scripts run inside the next modal loop, and answerers that
// record the messages shown or answer them from a script.
#include <deque>
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

// Answers messages from a script (OK when it runs out) and keeps their texts.
class TScriptedAnswers : public TMessageAnswerer {
public:
    TScriptedAnswers() : FPrevious(SetMessageAnswerer(this)) {}
    ~TScriptedAnswers() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        if (Script.empty())
            return mrOk;
        const int32_t answer = Script.front();
        Script.pop_front();
        return answer;
    }
    std::deque<int32_t> Script;
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
