// The help manager: help context ids and the help menu's commands become
// pages of the help folder opened in the browser (the URL handed to the
// desktop is checked, not opened), with the "HELP" event; unknown ids,
// a missing help folder and a desktop that cannot open pages.
#include "foundation/settings/CmdLineSwitches.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/win/DesktopPages.h"
#include "shell/ShellTesting.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/help/HelpManager.h"

#include <gtest/gtest.h>

namespace {

class TEventLog : public TEventHandler {
public:
    void HandleEvent(TEventId id) override { Ids.push_back(id); }
    std::vector<TEventId> Ids;
};

class HelpManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = MakeTestDir("help");
        SetURL(true);
        GetHelpManager().HelpFile = Dir + "/Aide";
        ASSERT_TRUE(ForceDirectories(Dir + "/Aide/html"));
    }
    void TearDown() override
    {
        FreeHelpManager();
        SetURLOpener(nullptr);
    }
    void SetURL(bool desktopCanOpen)
    {
        SetURLOpener(
            [this](const std::string& url) {
                Urls.push_back(url);
                return true;
            },
            desktopCanOpen);
    }
    std::string Page(const std::string& page) { return "file://" + Dir + "/Aide/html/" + page; }

    std::string Dir;
    std::vector<std::string> Urls;
    TScriptedAnswers Answers;
    TEventLog Events;
};

}  // namespace

TEST_F(HelpManagerTest, ContextIdsAndHelpCommandsOpenTheirPages)
{
    THelpManager& help = GetHelpManager();
    help.ShowTopic(24550);       // a dialog's topic: a part of a page
    help.ShowTopic(100070);      // the keyboard shortcuts command's topic
    help.ShowTopic(22001);       // the second tab page of a dialog
    help.ShowContents();
    help.ShowIndex();
    EXPECT_EQ(Urls, (std::vector<std::string>{Page("_general_settings.htm#Measurements"), Page("hotkeys.htm"),
                                              Page("_customize_toolbars.htm"), Page("contents.htm"),
                                              Page("index.htm")}));
    EXPECT_EQ(Events.Ids, (std::vector<TEventId>(5, 8300)));
    EXPECT_TRUE(Answers.Texts.empty());

    // An id the table does not know: nothing, not even the event.
    Urls.clear();
    Events.Ids.clear();
    help.ShowTopic(24551);
    EXPECT_TRUE(Urls.empty());
    EXPECT_TRUE(Events.Ids.empty());
}

TEST_F(HelpManagerTest, MissingHelpAndAMissingBrowserAreReportedAtEveryRequest)
{
    THelpManager& help = GetHelpManager();
    help.HelpFile = Dir + "/Absente";
    help.ShowTopic(2500);
    help.ShowTopic(2500);
    const std::string missing =
        "Impossible de trouver le fichier d'aide\r\n\"" + Dir + "/Absente\".\r\nIl est peut-\xEAtre n\xE9" "cessaire de le "
        "r\xE9installer.";
    EXPECT_EQ(Answers.Texts, (std::vector<std::string>{missing, missing}));
    // Asking quietly (as for the help window) does not count a missing folder.
    help.Quiet = true;
    EXPECT_TRUE(help.EnsureEngine());
    help.Quiet = false;

    // No way to open pages: the offer to fetch one, refused; no page, no event.
    Answers.Texts.clear();
    SetURL(false);
    Answers.Script = {mrNo};
    help.ShowContents();
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_EQ(Answers.Texts[0].rfind("Impossible de lancer le moteur d'aide HTML.", 0), 0u);
    EXPECT_TRUE(Urls.empty());
    EXPECT_TRUE(Events.Ids.empty());
}
