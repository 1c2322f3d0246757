#pragma once
// Answers the program's message boxes in a test. While an object of this class
// lives, every message box goes to it: each question the test expects is
// matched by a part of its text and answered as the test says; a question the
// test did not expect fails the test (and is answered Cancel), unless the test
// gave an answer for all others. Questions expected but never asked fail the
// test when the object goes away. Usable from the tests of every subsystem:
//   #include "foundation/MessageAnswers.h"
//   TMessageAnswers answers;
//   answers.Expect("enregistrer les modifications", mrNo);
#include "foundation/MessageDlg.h"
#include "platform/runtime/CodePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class TMessageAnswers : public TMessageAnswerer {
public:
    TMessageAnswers() : FPrevious(SetMessageAnswerer(this)) {}
    ~TMessageAnswers() override
    {
        SetMessageAnswerer(FPrevious);
        for (const TExpected& e : FExpected)
            ADD_FAILURE() << "message box never asked: " << Utf8FromAnsi(e.Part);
    }
    TMessageAnswers(const TMessageAnswers&) = delete;
    TMessageAnswers& operator=(const TMessageAnswers&) = delete;

    // The next question must hold `part` in its text; it is answered `result`.
    TMessageAnswers& Expect(std::string part, int32_t result)
    {
        FExpected.push_back({std::move(part), result});
        return *this;
    }
    // Questions beyond the expected ones are answered `result` without failing.
    TMessageAnswers& AnswerOthers(int32_t result)
    {
        FOthers = result;
        return *this;
    }
    // Every message shown, in order, as the message box received it.
    const std::vector<TMessageRequest>& Asked() const { return FAsked; }

    int32_t Answer(const TMessageRequest& request) override
    {
        FAsked.push_back(request);
        if (!FExpected.empty()) {
            const TExpected next = FExpected.front();
            FExpected.pop_front();
            EXPECT_NE(request.Text.find(next.Part), std::string::npos)
                << "message box asked \"" << Utf8FromAnsi(request.Text) << "\", expected one holding \""
                << Utf8FromAnsi(next.Part) << "\"";
            return next.Result;
        }
        if (FOthers)
            return *FOthers;
        ADD_FAILURE() << "unexpected message box: " << Utf8FromAnsi(request.Text);
        return mrCancel;
    }

private:
    struct TExpected {
        std::string Part;
        int32_t Result;
    };
    TMessageAnswerer* FPrevious;
    std::deque<TExpected> FExpected;
    std::optional<int32_t> FOthers;
    std::vector<TMessageRequest> FAsked;
};

// While an object of this class lives, message-box presets (the questions a
// user may silence) offer Yes and No and none is silenced.
class TYesNoPresetHost : public TMessageDlgHost {
public:
    TYesNoPresetHost() : FPrevious(SetMessageDlgHost(this)) {}
    ~TYesNoPresetHost() override { SetMessageDlgHost(FPrevious); }
    TYesNoPresetHost(const TYesNoPresetHost&) = delete;
    TYesNoPresetHost& operator=(const TYesNoPresetHost&) = delete;
    bool ApplicationTerminating() override { return false; }
    std::string ApplicationTitle() override { return "Eldravin"; }
    void BeginMessage() override {}
    void EndMessage() override {}
    TMsgDlgButtons PresetButtons(uint8_t) override { return mbYesNo; }
    bool PresetSilenced(uint8_t) override { return false; }
    void FireProgramEvent(int32_t) override {}
    void MessageShown() override {}

private:
    TMessageDlgHost* FPrevious;
};
