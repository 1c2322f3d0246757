// The sound pack reader: module directories (well-formed, truncated, with
// lengths that do not fit), samples and their events, the description, waves
// inflated once, and damaged waves that leave the sample unusable.
#include "SoundTesting.h"

#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "shell/BaseForms.h"
#include "shell/ShellTesting.h"

#include <gtest/gtest.h>

namespace {

class SoundPackTest : public ::testing::Test {
protected:
    void SetUp() override { Dir = MakeTestDir("soundpack"); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = Dir + "/" + name;
        WriteTestFile(path, bytes);
        return path;
    }
    std::string Dir;
    TScriptedAnswers Answers;
};

std::string Invalid(const std::string& path)
{
    return "Le fichier \"" + path + "\" n'est pas un module additionnel valide.";
}

}  // namespace

// Which directories open: the element lengths are checked against the file
// and against their own header (a name longer than its element, an element
// too short for its type and name length are refused).
TEST_F(SoundPackTest, DirectoriesOpenOnlyWhenEveryElementFits)
{
    const std::string one = Element("AUTHORINFO", "abc");
    std::string longName = one;
    longName[5] = 14;  // one byte longer than the element holds
    std::string shortElement;
    PutLE32(shortElement, 1);
    shortElement += '\0';
    shortElement += '\0';
    std::string huge;
    PutLE32(huge, 0xFFFFFFF0u);
    huge += std::string("\0\0", 2);
    const struct {
        const char* Name;
        std::string Bytes;
        bool Opens;
        size_t Elements;
    } cases[] = {
        {"signature only", Signature(), true, 0},
        {"three bytes", Signature().substr(0, 3), false, 0},
        {"other signature", std::string("RIFF") + one, false, 0},
        {"element to the end", Signature() + one, true, 1},
        {"element one byte short", Signature() + one.substr(0, one.size() - 1), false, 0},
        {"element and a stray byte", Signature() + one + "x", false, 0},
        {"name longer than its element", Signature() + longName, false, 0},
        {"element without room for its header", Signature() + shortElement, false, 0},
        {"length beyond the file", Signature() + huge, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Answers.Texts.clear();
        const std::string path = Write("case.esn", c.Bytes);
        TDataPlugin plugin;
        EXPECT_EQ(plugin.Open(path, SoundPackSignature), c.Opens);
        if (c.Opens) {
            ASSERT_NE(plugin.Elements(), nullptr);
            EXPECT_EQ(plugin.Elements()->Items().size(), c.Elements);
            EXPECT_TRUE(Answers.Texts.empty());
        } else {
            EXPECT_EQ(Answers.Texts, std::vector<std::string>{Invalid(path)});
        }
    }
}

TEST_F(SoundPackTest, AMissingFileAsksToRetryAndCancelLeavesTheSchemeInvalid)
{
    const std::string path = Dir + "/absent.esn";
    Answers.Script = {mrRetry, mrCancel};
    TSoundScheme scheme(path);
    EXPECT_FALSE(scheme.Valid());
    const std::string ask = "Impossible d'ouvrir le fichier \"" + path + "\".";
    EXPECT_EQ(Answers.Texts, (std::vector<std::string>{ask, ask}));
    EXPECT_FALSE(scheme.HasSound(200));

    // An empty name is the empty scheme: valid, silent, without a word.
    Answers.Texts.clear();
    TSoundScheme none("");
    EXPECT_TRUE(none.Valid());
    EXPECT_EQ(none.Plugin(), nullptr);
    EXPECT_TRUE(Answers.Texts.empty());
}

// Event names are found without regard to case; unknown names and samples
// without a wave stay in the list, unusable; the later of two samples for
// one event plays; the description turns "||" into a line break.
TEST_F(SoundPackTest, SamplesNameTheirEventsAndTheLastOneForAnEventWins)
{
    const std::string bytes = Signature() + Element("AUTHORINFO", "Sons de test||par Jeanne") +
                              Element("OTHER", "ignored") + SoundElement("type_key_a", WaveImage("aa")) +
                              SoundElement("NO_SUCH_EVENT", WaveImage("bb")) +
                              Element("SOUND", Element("EVENT", "OPENDOC")) +
                              SoundElement("START", WaveImage("first")) + SoundElement("START", WaveImage("second"));
    TSoundScheme scheme(Write("pack.esn", bytes));
    ASSERT_TRUE(scheme.Valid());
    EXPECT_TRUE(Answers.Texts.empty());
    ASSERT_EQ(scheme.Samples().size(), 5u);
    EXPECT_EQ(scheme.Samples()[0]->EventId(), 12100);
    EXPECT_EQ(scheme.Samples()[1]->EventName(), "NO_SUCH_EVENT");
    EXPECT_EQ(scheme.Samples()[1]->EventId(), -1);
    EXPECT_EQ(scheme.Samples()[2]->EventId(), -1);
    EXPECT_TRUE(scheme.HasSound(12100));
    EXPECT_FALSE(scheme.HasSound(2020));
    EXPECT_EQ(scheme.Plugin()->GetAuthorInfo(), "Sons de test\r\npar Jeanne");

    const std::vector<uint8_t>* start = scheme.GetSoundData(200);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(*start, Bytes(WaveImage("second")));
    // Inflated once, kept.
    EXPECT_EQ(scheme.GetSoundData(200), start);
}

// A wave whose zlib data is damaged, or that inflates beyond the cap, makes
// its sample unusable without raising; the other samples still play.
TEST_F(SoundPackTest, ADamagedWaveMakesItsSampleUnusable)
{
    std::string corrupt = Zlib(WaveImage(std::string(400, 'x')));
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() / 2 + 1] ^= 0x55;
    const std::string truncated = Zlib(WaveImage(std::string(400, 'y'))).substr(0, 12);
    const std::string oversized = Zlib(std::string(static_cast<size_t>(MaxWaveDataSize) + 1, '\0'));
    const std::string bytes = Signature() + Element("SOUND", Element("EVENT", "COPY") + Element("WAVE", corrupt)) +
                              Element("SOUND", Element("EVENT", "CUT") + Element("WAVE", truncated)) +
                              Element("SOUND", Element("EVENT", "PASTE") + Element("WAVE", oversized)) +
                              SoundElement("UNDO", WaveImage("ok"));
    TSoundScheme scheme(Write("damaged.esn", bytes));
    ASSERT_TRUE(scheme.Valid());
    for (int32_t id : {2320, 2360, 2340}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(scheme.HasSound(id));
        EXPECT_EQ(scheme.GetSoundData(id), nullptr);
        EXPECT_FALSE(scheme.HasSound(id));
    }
    ASSERT_NE(scheme.GetSoundData(2540), nullptr);
    EXPECT_EQ(*scheme.GetSoundData(2540), Bytes(WaveImage("ok")));
}

// A "SOUND" element whose nested directory is damaged stops the reading: the
// scheme is not valid.
TEST_F(SoundPackTest, ADamagedSampleDirectoryLeavesTheSchemeInvalid)
{
    std::string inner = Element("EVENT", "START");
    inner[0] = 100;  // runs past its "SOUND" element
    TSoundScheme scheme(Write("nested.esn", Signature() + Element("SOUND", inner) + SoundElement("EXIT", "x")));
    EXPECT_FALSE(scheme.Valid());
    EXPECT_FALSE(scheme.HasSound(220));
}

TEST_F(SoundPackTest, APackMissingFromTheCurrentFolderIsTakenFromTheProgramFolder)
{
    InitBaseForms();
    const std::string name = "sound-pack-test-program-folder.esn";
    const std::string inProgramFolder = ProgramFolder() + name;
    WriteTestFile(inProgramFolder, SoundPack("", {{"START", "s"}}));
    EXPECT_EQ(ResolvePackFileName(Dir + "/" + name), inProgramFolder);
    {
        TSoundScheme scheme(Dir + "/" + name);
        EXPECT_TRUE(scheme.Valid());
        EXPECT_TRUE(scheme.HasSound(200));
    }
    EXPECT_TRUE(DeleteFile(inProgramFolder));
    // A file that exists where it is named stays as named.
    const std::string here = Write(name, Signature());
    EXPECT_EQ(ResolvePackFileName(here), here);
}
