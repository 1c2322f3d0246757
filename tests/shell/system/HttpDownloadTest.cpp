// Downloads from a server on the loopback address: whole, without a length,
// resumed after a cut, started again when the resource changed (the file
// then holds exactly the new resource), given up, and the questions of a
// worker thread answered by the user-interface thread.
#include "LocalHttpServer.h"
#include "shell/ShellTesting.h"
#include "shell/system/HttpDownload.h"

#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

std::string Pattern(size_t size, char seed)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(seed + static_cast<char>(i * 7 % 61));
    return s;
}

std::string ReadAllBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Answers from a script and lets a test act when a message comes.
class THookedAnswers : public TMessageAnswerer {
public:
    THookedAnswers() : FPrevious(SetMessageAnswerer(this)) {}
    ~THookedAnswers() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        if (OnMessage)
            OnMessage(request.Text);
        if (Script.empty())
            return mrOk;
        const int32_t answer = Script.front();
        Script.pop_front();
        return answer;
    }
    std::deque<int32_t> Script;
    std::vector<std::string> Texts;
    std::function<void(const std::string&)> OnMessage;

private:
    TMessageAnswerer* FPrevious;
};

struct TDownloadCase {
    const char* Name;
    TServedResource First;
    // The resource as it is when the user answers the first question (none: unchanged).
    bool Changes;
    TServedResource Second;
    std::deque<int32_t> Answers;
    bool Complete;
    // What the file must hold at the end (ignored when the download fails).
    bool ExpectSecondBody;
    const char* RangeAsked;  // a Range header the server must have seen, or ""
    size_t Messages;
};

}  // namespace

class HttpDownloadTest : public ShellWindowTest {};

TEST_F(HttpDownloadTest, DownloadsResumesAndStartsAgainAsTheServerAnswers)
{
    const std::string body = Pattern(5000, 'a');
    const std::string shorter = Pattern(2000, 'A');
    const std::string sameLengthOther = Pattern(5000, '0');
    auto res = [](std::string b, std::string etag, bool length, bool range, int64_t cut) {
        TServedResource r;
        r.Body = std::move(b);
        r.ETag = std::move(etag);
        r.SendLength = length;
        r.HonourRange = range;
        r.CutAfter = cut;
        return r;
    };
    const TDownloadCase cases[] = {
        {"whole", res(body, "\"v1\"", true, true, -1), false, {}, {}, true, false, "", 0},
        // No length: the download still goes through (the bar only shows activity).
        {"no length", res(body, "\"v1\"", false, true, -1), false, {}, {}, true, false, "", 0},
        {"resumed", res(body, "\"v1\"", true, true, 3000), false, {}, {mrRetry}, true, false, "bytes=3000-", 1},
        // The resource was replaced by a shorter one: no byte of the old one stays.
        {"changed, shorter", res(body, "\"v1\"", true, true, 3000), true, res(shorter, "\"v2\"", true, true, -1),
         {mrRetry}, true, true, "bytes=3000-", 1},
        // Same length, other content: the validator tells, and everything is fetched again.
        {"changed, same length", res(body, "\"v1\"", true, true, 3000), true,
         res(sameLengthOther, "\"v2\"", true, true, -1), {mrRetry}, true, true, "bytes=3000-", 1},
        {"no ranges", res(body, "\"v1\"", true, false, 3000), false, {}, {mrRetry}, true, false, "bytes=3000-", 1},
        {"given up", res(body, "\"v1\"", true, true, 3000), false, {}, {mrAbort}, false, false, "", 2},
    };
    const std::string dir = MakeTestDir("download");
    for (const TDownloadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLocalHttpServer server;
        server.Set("files/update.bin", c.First);
        THookedAnswers answers;
        answers.Script = c.Answers;
        if (c.Changes)
            answers.OnMessage = [&](const std::string&) { server.Set("files/update.bin", c.Second); };
        const std::string file = dir + "/update.bin";
        // A longer file of an earlier attempt: the download must not keep its tail.
        WriteTestFile(file, Pattern(9000, 'z'));

        const bool complete = DownloadUrlToFile(server.Host(), "files/update.bin", file, false);
        EXPECT_EQ(complete, c.Complete);
        EXPECT_EQ(answers.Texts.size(), c.Messages);
        if (c.Complete) {
            EXPECT_EQ(ReadAllBytes(file), c.ExpectSecondBody ? c.Second.Body : c.First.Body);
        } else {
            EXPECT_FALSE(FileExists(file)) << "a partial file stays";
        }
        if (*c.RangeAsked) {
            EXPECT_TRUE(Contains(server.Requests(), std::string("Range: ") + c.RangeAsked));
        }
    }
}

TEST_F(HttpDownloadTest, AServerThatCannotBeReachedIsAskedAboutOnceAndAbortDeletesNothingElse)
{
    // A port nobody listens on: the silent switch to a direct connection,
    // then one question; Abort ends with the cancellation message.
    int port = 0;
    {
        TLocalHttpServer closed;
        port = std::stoi(closed.Host().substr(closed.Host().rfind(':') + 1));
    }
    THookedAnswers answers;
    answers.Script = {mrAbort};
    const std::string file = MakeTestDir("download-refused") + "/list.txt";
    EXPECT_FALSE(DownloadUrlToFile("http://127.0.0.1:" + std::to_string(port), "x", file, false));
    ASSERT_EQ(answers.Texts.size(), 2u);
    EXPECT_NE(answers.Texts[0].find("Impossible de se connecter au site"), std::string::npos);
    EXPECT_NE(answers.Texts[1].find("Vous venez d'annuler la mise à jour"), std::string::npos);
    EXPECT_FALSE(FileExists(file));
}

TEST_F(HttpDownloadTest, AWorkerHandsItsQuestionToTheUserInterfaceThreadAndGoesOnWithTheAnswer)
{
    const std::string body = Pattern(4000, 'k');
    TLocalHttpServer server;
    TServedResource r;
    r.Body = body;
    r.CutAfter = 1500;
    server.Set("big.bin", r);
    const std::string file = MakeTestDir("download-worker") + "/big.bin";

    UiRequest.SetState(ursRunning);
    std::atomic<bool> done{false};
    bool complete = false;
    std::thread worker([&] {
        complete = DownloadUrlToFile(server.Host(), "big.bin", file, true);
        done = true;
    });
    // The user-interface side: the question arrives through the record.
    std::string text;
    TMsgDlgType type = mtInformation;
    TMsgDlgButtons buttons = 0;
    // Taking the question changes the record: the condition takes it once.
    bool asked = false;
    RunUntil([&] { return asked || (asked = UiRequest.TakeQuestion(text, type, buttons)); }, 30000);
    if (asked) {
        EXPECT_NE(text.find("a été interrompue"), std::string::npos);
        EXPECT_EQ(buttons, mbAbort | mbRetry);
        UiRequest.SetAnswer(mrRetry);
    }
    const bool ended = RunUntil([&] { return done.load(); }, 30000);
    if (!ended) {
        UiRequest.SetState(ursDone);
        if (UiRequest.TakeQuestion(text, type, buttons))
            UiRequest.SetAnswer(mrAbort);
    }
    worker.join();
    ASSERT_TRUE(asked);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(complete);
    EXPECT_EQ(UiRequest.State(), ursDone);
    EXPECT_EQ(UiRequest.Position.load(), 4000);
    EXPECT_EQ(UiRequest.Maximum.load(), 4000);
    EXPECT_EQ(ReadAllBytes(file), body);
    UiRequest.SetState(ursIdle);
}

TEST_F(HttpDownloadTest, StoppingWhileTheWorkersQuestionWaitsEndsTheDownloadWithoutAnAnswer)
{
    TLocalHttpServer server;
    TServedResource r;
    r.Body = Pattern(4000, 's');
    r.CutAfter = 1500;
    server.Set("big.bin", r);
    const std::string file = MakeTestDir("download-stopped") + "/big.bin";

    UiRequest.SetState(ursRunning);
    std::atomic<bool> done{false};
    bool complete = true;
    std::thread worker([&] {
        complete = DownloadUrlToFile(server.Host(), "big.bin", file, true);
        done = true;
    });
    // The question waits; the user closes the window instead of answering.
    const bool pending = RunUntil([&] { return UiRequest.State() == ursPending; }, 30000);
    UiRequest.SetState(ursDone);
    const bool ended = RunUntil([&] { return done.load(); }, 30000);
    if (!ended)
        UiRequest.SetAnswer(mrAbort);  // never leave the worker behind
    worker.join();
    EXPECT_TRUE(pending);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(complete);
    EXPECT_FALSE(FileExists(file)) << "a partial file stays";
    UiRequest.SetState(ursIdle);
}
