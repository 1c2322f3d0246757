// Wave images taken apart before they play, and PlaySound's flags over a
// recording sink: what plays, from a file or memory, waiting or not, and
// refused while another sound plays when it must not be interrupted.
#include "platform/testing/Testing.h"
#include "platform/win/Sound.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Chunk(const std::string& id, const std::string& body)
{
    std::string s = id;
    Put32(s, static_cast<uint32_t>(body.size()));
    return s + body + (body.size() % 2 ? std::string(1, '\0') : std::string());
}

std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    std::string f;
    f += static_cast<char>(tag & 0xFF);
    f += static_cast<char>(tag >> 8);
    f += static_cast<char>(channels);
    f += '\0';
    Put32(f, rate);
    Put32(f, rate * channels * bits / 8);
    f += static_cast<char>(channels * bits / 8);
    f += '\0';
    f += static_cast<char>(bits);
    f += '\0';
    return f;
}

std::string Riff(const std::string& chunks, int32_t sizeAdjust = 0)
{
    std::string s = "RIFF";
    Put32(s, static_cast<uint32_t>(4 + chunks.size() + sizeAdjust));
    return s + "WAVE" + chunks;
}

class TSink : public TSoundSink {
public:
    TSink() : FPrevious(SetSoundSink(this)) {}
    ~TSink() override { SetSoundSink(FPrevious); }
    bool Start(const TWaveSound& sound, bool wait) override
    {
        Played.push_back(std::string(sound.Samples.begin(), sound.Samples.end()) + (wait ? "/wait" : "/async"));
        Busy = true;
        return true;
    }
    void Stop() override { Busy = false; }
    bool Playing() override { return Busy; }
    std::vector<std::string> Played;
    bool Busy = false;

private:
    TSoundSink* FPrevious;
};

}  // namespace

TEST(Sound, WaveImagesAreCheckedBeforeTheyPlay)
{
    const std::string pcm8 = Chunk("fmt ", Format(1, 1, 8000, 8));
    const struct {
        const char* Name;
        std::string Image;
        bool Plays;
        std::string Samples;
    } cases[] = {
        {"mono 8 bits", Riff(pcm8 + Chunk("data", "abc")), true, "abc"},
        {"other chunks first", Riff(Chunk("LIST", "info!") + pcm8 + Chunk("data", "xy")), true, "xy"},
        {"stereo 16 bits, partial frame dropped",
         Riff(Chunk("fmt ", Format(1, 2, 44100, 16)) + Chunk("data", "1234567")), true, "1234"},
        {"RIFF size one too large", Riff(pcm8 + Chunk("data", "ab"), 1), true, "ab"},
        {"data cut short", Riff(pcm8 + Chunk("data", "abcdef")).substr(0, 47), false, ""},
        {"RIFF size ends inside the data", Riff(pcm8 + Chunk("data", "abcdef"), -4), false, ""},
        {"data before its format", Riff(Chunk("data", "ab") + pcm8), false, ""},
        {"ADPCM", Riff(Chunk("fmt ", Format(2, 1, 8000, 4)) + Chunk("data", "ab")), false, ""},
        {"no wave at all", "RIFF\x04\0\0\0AVI ", false, ""},
        {"empty", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TWaveSound wave;
        EXPECT_EQ(ParseWaveImage(c.Image.data(), c.Image.size(), wave), c.Plays);
        if (c.Plays) {
            EXPECT_EQ(std::string(wave.Samples.begin(), wave.Samples.end()), c.Samples);
        }
    }
}

TEST(Sound, PlaySoundFlags)
{
    TSink sink;
    const std::string image = Riff(Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", "mem"));
    const std::string file = MakeTestDir("sound") + "/son.wav";
    WriteTestFile(file, Riff(Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", "file")));

    EXPECT_TRUE(PlaySound(image.data(), image.size(), SND_MEMORY | SND_ASYNC | SND_NODEFAULT));
    EXPECT_TRUE(PlaySound(file.c_str(), 0, SND_FILENAME | SND_NODEFAULT));
    // While one plays, a sound that must not interrupt it is refused.
    EXPECT_FALSE(PlaySound(image.data(), image.size(), SND_MEMORY | SND_ASYNC | SND_NOSTOP));
    EXPECT_TRUE(PlaySound(nullptr, 0, 0));
    EXPECT_FALSE(sink.Busy);
    EXPECT_TRUE(PlaySound(image.data(), image.size(), SND_MEMORY | SND_ASYNC | SND_NOSTOP));
    EXPECT_FALSE(PlaySound((file + "x").c_str(), 0, SND_FILENAME | SND_ASYNC));
    EXPECT_FALSE(PlaySound("SystemAsterisk", 0, SND_ASYNC));
    EXPECT_EQ(sink.Played, (std::vector<std::string>{"mem/async", "file/wait", "mem/async"}));
}
