#include "platform/win/Sound.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileStream.h"

#include <algorithm>
#include <cstring>

TSoundSink& DesktopSoundSink();  // qt/QtSound.cpp

namespace {

TSoundSink* g_Sink = nullptr;

TSoundSink& Sink()
{
    return g_Sink ? *g_Sink : DesktopSoundSink();
}

uint32_t Get32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Sound files larger than this are not taken into memory.
constexpr int64_t MaxWaveFileSize = 256 * 1024 * 1024;

bool ReadWaveFile(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        const int64_t size = file.Size();
        if (size < 12 || size > MaxWaveFileSize)
            return false;
        bytes.resize(static_cast<size_t>(size));
        file.ReadBuffer(bytes.data(), size);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

bool ParseWaveImage(const void* data, size_t size, TWaveSound& sound)
{
    const auto* p = static_cast<const uint8_t*>(data);
    if (!p || size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return false;
    // Writers get the RIFF size wrong now and then: the chunks are read up to
    // the smaller of it and the image's end, and a chunk that does not fit
    // there (a wave cut short) is refused.
    const uint64_t riffEnd = 8 + static_cast<uint64_t>(Get32(p + 4));
    const size_t end = static_cast<size_t>(std::min<uint64_t>(riffEnd, size));
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= end) {
        const uint8_t* chunk = p + pos;
        const uint32_t length = Get32(chunk + 4);
        if (length > end - pos - 8)
            return false;
        const uint8_t* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16)
                return false;
            const uint16_t tag = Get16(body);
            sound.Channels = Get16(body + 2);
            sound.SamplesPerSec = Get32(body + 4);
            sound.BitsPerSample = Get16(body + 14);
            if (tag != 1 || sound.Channels < 1 || sound.Channels > 2 ||
                (sound.BitsPerSample != 8 && sound.BitsPerSample != 16) || sound.SamplesPerSec < 1 ||
                sound.SamplesPerSec > 384000)
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            const size_t frame = static_cast<size_t>(sound.Channels) * (sound.BitsPerSample / 8);
            sound.Samples.assign(body, body + (length - length % frame));
            return true;
        }
        // Chunks are padded to an even length.
        pos += 8 + static_cast<size_t>(length) + (length & 1);
    }
    return false;
}

TSoundSink* SetSoundSink(TSoundSink* sink)
{
    TSoundSink* previous = g_Sink;
    g_Sink = sink;
    return previous;
}

bool PlaySound(const void* sound, size_t size, uint32_t flags)
{
    TSoundSink& sink = Sink();
    if (!sound) {
        sink.Stop();
        return true;
    }
    if ((flags & SND_NOSTOP) && sink.Playing())
        return false;
    TWaveSound wave;
    if (flags & SND_FILENAME) {
        const std::string fileName(static_cast<const char*>(sound));
        std::vector<uint8_t> bytes;
        if (!ReadWaveFile(fileName, bytes) || !ParseWaveImage(bytes.data(), bytes.size(), wave))
            return false;
        wave.FileName = fileName;
    } else if (flags & SND_MEMORY) {
        if (!ParseWaveImage(sound, size, wave))
            return false;
    } else {
        // Sounds named by system alias are not carried.
        return false;
    }
    sink.Stop();
    return sink.Start(wave, !(flags & SND_ASYNC));
}
