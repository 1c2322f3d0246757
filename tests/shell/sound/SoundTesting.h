#pragma once
// What the sound tests share: a sink that records what would play, small wave
// images, and sound packs put together element by element.
#include "foundation/Compression.h"
#include "platform/win/Sound.h"
#include "shell/sound/SoundPack.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Records each sound started instead of playing it. Playing says whether the
// last sound is still "playing" (a test sets it).
class TRecordingSink : public TSoundSink {
public:
    struct TPlayed {
        std::string FileName;  // empty for a sound from memory
        std::vector<uint8_t> Samples;
        bool Waited;
    };
    TRecordingSink() : FPrevious(SetSoundSink(this)) {}
    ~TRecordingSink() override { SetSoundSink(FPrevious); }
    bool Start(const TWaveSound& sound, bool wait) override
    {
        Played.push_back({sound.FileName, sound.Samples, wait});
        return true;
    }
    void Stop() override
    {
        ++Stops;
        StillPlaying = false;
    }
    bool Playing() override { return StillPlaying; }

    std::vector<TPlayed> Played;
    int Stops = 0;
    bool StillPlaying = false;

private:
    TSoundSink* FPrevious;
};

inline void PutLE32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A mono 8-bit wave of the given sample bytes at 8 kHz.
inline std::string WaveImage(const std::string& samples)
{
    std::string fmt;
    fmt += std::string("\x01\x00\x01\x00", 4);  // PCM, one channel
    PutLE32(fmt, 8000);
    PutLE32(fmt, 8000);
    fmt += std::string("\x01\x00\x08\x00", 4);  // block align 1, 8 bits
    std::string body = "WAVEfmt ";
    PutLE32(body, static_cast<uint32_t>(fmt.size()));
    body += fmt + "data";
    PutLE32(body, static_cast<uint32_t>(samples.size()));
    body += samples;
    std::string image = "RIFF";
    PutLE32(image, static_cast<uint32_t>(body.size()));
    return image + body;
}

inline std::string Zlib(const std::string& bytes)
{
    void* out = nullptr;
    int32_t size = 0;
    CompressMemoryBlock(bytes.data(), static_cast<int32_t>(bytes.size()), cmpDefault, out, size);
    std::string result(static_cast<const char*>(out), static_cast<size_t>(size));
    std::free(out);
    return result;
}

// One element: its length, type 0, the name and the data.
inline std::string Element(const std::string& name, const std::string& data)
{
    std::string out;
    PutLE32(out, static_cast<uint32_t>(2 + name.size() + data.size()));
    out += '\0';
    out += static_cast<char>(name.size());
    return out + name + data;
}

inline std::string Signature()
{
    std::string out;
    PutLE32(out, SoundPackSignature);
    return out;
}

inline std::string SoundElement(const std::string& event, const std::string& wave)
{
    return Element("SOUND", Element("EVENT", event) + Element("WAVE", Zlib(wave)));
}

// A pack with a description and one sound per (event name, samples) pair.
inline std::string SoundPack(const std::string& author, const std::vector<std::pair<std::string, std::string>>& sounds)
{
    std::string out = Signature() + Element("AUTHORINFO", author);
    for (const auto& [event, samples] : sounds)
        out += SoundElement(event, WaveImage(samples));
    return out;
}

inline std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}
