// The sound manager as the program's sound handler: events fired through the
// event manager play the user's own waves, the pack's sounds or the message
// beeps (a recording sink stands in for the audio output); suspension,
// disabled events, the two play flags, switching packs, a damaged pack or
// sound, and the settings file.
#include "SoundTesting.h"

#include "foundation/ShellHelpers.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/win/Registry.h"
#include "shell/ShellTesting.h"
#include "shell/sound/SoundManager.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<uint32_t> g_Beeps;

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = MakeTestDir("soundmanager");
        SettingsFile = Dir + "/Sons.esd";
        SetProgramArguments(std::vector<std::string>{"eldravin", "-ssfn", SettingsFile});
        g_Beeps.clear();
        FPreviousBeep = SetBeepHandler([](uint32_t kind) { g_Beeps.push_back(kind); });
        PackA = Write("a.esn", SoundPack("Module A", {{"OPENDOC", "open-a"}, {"START", "start-a"}}));
        PackB = Write("b.esn", SoundPack("Module B", {{"OPENDOC", "open-b"}}));
        Click = Write("clic.wav", WaveImage("click"));
        Key = Write("touche.wav", WaveImage("key"));
    }
    void TearDown() override
    {
        Manager.reset();
        SetBeepHandler(FPreviousBeep);
        SetProgramArguments(std::vector<std::string>{"eldravin"});
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        WriteTestFile(Dir + "/" + name, bytes);
        return Dir + "/" + name;
    }
    TSoundManager& Make()
    {
        Manager = std::make_unique<TSoundManager>();
        return *Manager;
    }
    // What the sink played since the last call: file names, or the samples
    // of sounds from memory.
    std::vector<std::string> Heard()
    {
        std::vector<std::string> heard;
        for (const auto& p : Sink.Played)
            heard.push_back(p.FileName.empty() ? std::string(p.Samples.begin(), p.Samples.end()) : p.FileName);
        Sink.Played.clear();
        return heard;
    }

    std::string Dir, SettingsFile, PackA, PackB, Click, Key;
    TRecordingSink Sink;
    TScriptedAnswers Answers;
    std::unique_ptr<TSoundManager> Manager;

private:
    TBeepHandler FPreviousBeep = nullptr;
};

void AssignSystemSound(const char* event)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(std::string("\\AppEvents\\Schemes\\Apps\\.Default\\System") + event + "\\.Current", true));
    reg.WriteString("", "/usr/share/sounds/beep.wav");
}

}  // namespace

// Events fired anywhere reach the manager: the pack's sound plays, the pack
// is opened by the first event only; a pack switched in plays its own sounds.
TEST_F(SoundManagerTest, ProgramEventsPlayTheSoundsOfTheCurrentPack)
{
    TSoundManager& m = Make();
    m.Settings().SoundScheme = PackA;
    EXPECT_FALSE(m.Loaded());
    FireEvent(2020);
    EXPECT_TRUE(m.Loaded());
    FireEvent(200);
    FireEvent(2040);  // the pack has nothing for it
    EXPECT_EQ(Heard(), (std::vector<std::string>{"open-a", "start-a"}));
    ASSERT_EQ(Sink.Played.size(), 0u);

    m.Settings().SoundScheme = PackB;
    m.LoadScheme();
    FireEvent(2020);
    FireEvent(200);
    EXPECT_EQ(Heard(), std::vector<std::string>{"open-b"});
    EXPECT_TRUE(Answers.Texts.empty());
}

// Own waves are found through the id mapping: typing events share the
// default key's wave, a double click the click's; the two typing warnings
// and an own wave stored for the double click itself are not mapped.
TEST_F(SoundManagerTest, OwnWavesServeTheEventsMappedToThem)
{
    TSoundManager& m = Make();
    m.Settings().Overrides = {{Key, 12000}, {Click, 13000}, {Write("double.wav", WaveImage("dbl")), 13100}};
    const struct {
        TEventId Event;
        std::string Wave;
    } cases[] = {
        {12000, Key}, {12116, Key}, {12300, Key}, {12450, Key}, {12470, ""},
        {12500, ""},  {13000, Click}, {13100, Click},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Event);
        EXPECT_EQ(m.Settings().GetOverride(c.Event), c.Wave);
        FireEvent(c.Event);
        EXPECT_EQ(Heard(), c.Wave.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.Wave});
    }
}

TEST_F(SoundManagerTest, SuspendedAndDisabledEventsStaySilent)
{
    TSoundManager& m = Make();
    m.Settings().SoundScheme = PackA;
    m.Settings().Overrides = {{Key, 12000}};
    m.SuspendSounds();
    FireEvent(2020);
    EXPECT_FALSE(m.Loaded());  // the pack is not even opened
    m.ResumeSounds();

    m.Settings().DisabledEvents = {12000, 2020};
    EXPECT_FALSE(m.IsTypingSoundEnabled());
    FireEvent(12000);
    FireEvent(2020);
    EXPECT_TRUE(Heard().empty());
    // The letter keys have their own entries: still on, with the default key's wave.
    FireEvent(12100);
    EXPECT_EQ(Heard(), std::vector<std::string>{Key});
}

// Without wave or pack sound only the message events sound, through the
// system beep, and only when the user's sound scheme gives the beep a sound.
TEST_F(SoundManagerTest, MessageEventsWithoutSoundBeep)
{
    for (const char* event : {"Exclamation", "Hand", "Asterisk", "Question"})
        AssignSystemSound(event);
    Make();
    for (TEventId id : {1000, 1001, 1002, 1003, 2020})
        FireEvent(id);
    EXPECT_EQ(g_Beeps, (std::vector<uint32_t>{BeepExclamation, BeepHand, BeepAsterisk, BeepQuestion}));
    EXPECT_TRUE(Heard().empty());
}

// Playing synchronously waits for the end; "do not interrupt" refuses to
// start over a sound still playing (and stays set), and is cleared by the
// sound it lets start.
TEST_F(SoundManagerTest, ThePlayFlagsReachTheOutput)
{
    TSoundManager& m = Make();
    m.Settings().SoundScheme = PackA;
    FireEvent(200);
    ASSERT_EQ(Sink.Played.size(), 1u);
    EXPECT_FALSE(Sink.Played[0].Waited);
    m.PlayAsync = false;
    FireEvent(200);
    ASSERT_EQ(Sink.Played.size(), 2u);
    EXPECT_TRUE(Sink.Played[1].Waited);
    m.PlayAsync = true;
    Heard();

    m.DontInterrupt = true;
    Sink.StillPlaying = true;
    const int stops = Sink.Stops;
    FireEvent(12100);  // no sound for it: the flag stays
    FireEvent(200);
    EXPECT_TRUE(Heard().empty());
    EXPECT_EQ(Sink.Stops, stops);  // the playing sound was not cut off
    EXPECT_TRUE(m.DontInterrupt);
    Sink.StillPlaying = false;
    FireEvent(200);
    EXPECT_EQ(Heard(), std::vector<std::string>{"start-a"});
    EXPECT_FALSE(m.DontInterrupt);
}

// A damaged pack is reported, then the user keeps its name for later (Yes)
// or drops it (No); the program goes on with own waves and beeps.
TEST_F(SoundManagerTest, ADamagedPackIsReportedAndCanBeDropped)
{
    const std::string damaged = Write("damaged.esn", "not a pack");
    const std::string invalid = "Le fichier \"" + damaged + "\" n'est pas un module additionnel valide.";
    const std::string question = "Le fichier \"" + damaged +
                                 "\" est alt\xE9r\xE9 ou n'est pas un module additionnel valide.\r\nSouhaitez-vous "
                                 "conserver ce module additionnel pour renouveler votre tentative plus tard ?";
    TSoundManager& m = Make();
    m.Settings().SoundScheme = damaged;
    m.Settings().Overrides = {{Click, 13000}};
    Answers.Script = {mrOk, mrYes};
    FireEvent(200);
    EXPECT_EQ(Answers.Texts, (std::vector<std::string>{invalid, question}));
    EXPECT_EQ(m.Settings().SoundScheme, damaged);
    EXPECT_FALSE(m.Settings().Modified);
    ASSERT_NE(m.Scheme(), nullptr);
    EXPECT_TRUE(m.Scheme()->Valid());
    FireEvent(13000);
    EXPECT_EQ(Heard(), std::vector<std::string>{Click});

    Answers.Texts.clear();
    Answers.Script = {mrOk, mrNo};
    m.LoadScheme();
    EXPECT_EQ(Answers.Texts.size(), 2u);
    EXPECT_EQ(m.Settings().SoundScheme, "");
    EXPECT_TRUE(m.Settings().Modified);
    // The empty pack asks nothing.
    Answers.Texts.clear();
    m.LoadScheme();
    EXPECT_TRUE(Answers.Texts.empty());

    // A pack whose file opens but holds a damaged sample asks the question only.
    Answers.Texts.clear();
    Answers.Script = {mrYes};
    m.Settings().SoundScheme = Write("sample.esn", Signature() + Element("SOUND", "\x05"));
    m.LoadScheme();
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_NE(Answers.Texts[0].find("est alt\xE9r\xE9"), std::string::npos);
}

// A pack sound that cannot be inflated is silent, never raises into the
// action that fired the event, and leaves the pack's other sounds playing.
TEST_F(SoundManagerTest, ADamagedSoundIsSilentAndHarmless)
{
    std::string wave = Zlib(WaveImage(std::string(300, 'w')));
    wave.resize(wave.size() - 30);
    wave += std::string(30, '\x7F');
    const std::string pack = Write("mixed.esn", Signature() +
                                                    Element("SOUND", Element("EVENT", "SAVEDOC") +
                                                                         Element("WAVE", wave)) +
                                                    SoundElement("START", WaveImage("start")) +
                                                    SoundElement("PRINTDOC", "not a wave"));
    TSoundManager& m = Make();
    m.Settings().SoundScheme = pack;
    EXPECT_NO_THROW(FireEvent(2060));
    EXPECT_NO_THROW(FireEvent(2080));  // inflates, but is no wave: the output refuses it
    EXPECT_TRUE(Heard().empty());
    EXPECT_FALSE(m.Scheme()->HasSound(2060));
    FireEvent(200);
    EXPECT_EQ(Heard(), std::vector<std::string>{"start"});
    EXPECT_TRUE(Answers.Texts.empty());
}

// The settings file: written only when modified (at the manager's end),
// read back by the next manager, in the documented layout.
TEST_F(SoundManagerTest, SettingsAreKeptInTheirFileWhenModified)
{
    {
        TSoundManager& m = Make();
        m.Settings().SoundScheme = PackA;
        m.Settings().DisabledEvents = {12000, 2020};
        m.Settings().Overrides = {{Click, 13000}};
        Manager.reset();
        EXPECT_FALSE(FileExists(SettingsFile));  // not modified: nothing written
    }
    {
        TSoundManager& m = Make();
        m.Settings().SoundScheme = PackA;
        m.Settings().DisabledEvents = {12000, 2020};
        m.Settings().Overrides = {{Click, 13000}, {Key, 12000}};
        m.Settings().Modified = true;
        Manager.reset();
    }
    EXPECT_EQ(ReadTestFile(SettingsFile),
              "[General Settings]\r\nSoundScheme=" + PackA +
                  "\r\n\r\n[Disabled Events]\r\nCount=2\r\n0=12000\r\n1=2020\r\n\r\n[Overrides]\r\nCount=2\r\n0=13000\r\nWav0=" +
                  Click + "\r\n1=12000\r\nWav1=" + Key + "\r\n");
    TSoundManager& m = Make();
    EXPECT_EQ(m.Settings().SoundScheme, PackA);
    EXPECT_EQ(m.Settings().DisabledEvents, (std::vector<TEventId>{12000, 2020}));
    ASSERT_EQ(m.Settings().Overrides.size(), 2u);
    EXPECT_EQ(m.Settings().GetOverride(13100), Click);
    EXPECT_FALSE(m.Settings().Modified);

    // "dls": the defaults, whatever the file holds.
    Manager.reset();
    SetProgramArguments(std::vector<std::string>{"eldravin", "-dls", "-ssfn", SettingsFile});
    EXPECT_EQ(Make().Settings().SoundScheme, "");
}

// Counts far beyond the entries stored end at the first missing entry;
// values out of range are clamped; an own wave without a file is dropped.
TEST_F(SoundManagerTest, DamagedCountsInTheSettingsFileAreNotFollowed)
{
    WriteTestFile(SettingsFile, "[Disabled Events]\r\nCount=2147483647\r\n0=-5\r\n1=2020\r\n"
                                "[Overrides]\r\nCount=2000000000\r\n0=13000\r\nWav0=\r\n1=12000\r\nWav1=" +
                                    Key + "\r\n");
    TSoundManager& m = Make();
    EXPECT_EQ(m.Settings().DisabledEvents, (std::vector<TEventId>{0, 2020}));
    ASSERT_EQ(m.Settings().Overrides.size(), 1u);
    EXPECT_EQ(m.Settings().Overrides[0].EventId, 12000);
}
