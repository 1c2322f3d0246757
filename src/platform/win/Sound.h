#pragma once
// Wave sounds: PlaySound with the original platform's flags, over the
// desktop's audio output. A sound is a RIFF wave image (from a file or from
// memory); only uncompressed PCM plays. One sound plays at a time: a new one
// stops the one playing unless SND_NOSTOP asks otherwise.
//
// Where there is no audio device the sounds are accepted and stay silent. A
// test installs a sink of its own to see what would play.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t SND_SYNC = 0x0000;
constexpr uint32_t SND_ASYNC = 0x0001;
constexpr uint32_t SND_NODEFAULT = 0x0002;
constexpr uint32_t SND_MEMORY = 0x0004;
constexpr uint32_t SND_NOSTOP = 0x0010;
constexpr uint32_t SND_NOWAIT = 0x2000;
constexpr uint32_t SND_FILENAME = 0x20000;

// A wave image taken apart: its PCM format and its samples.
struct TWaveSound {
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint16_t BitsPerSample = 0;
    std::vector<uint8_t> Samples;
    // Where it came from: the file name, or empty for a sound from memory.
    std::string FileName;
};

// Reads a RIFF wave image: "RIFF", its size, "WAVE", then chunks, among them
// "fmt " (PCM: format tag 1, 1 or 2 channels, 8 or 16 bits, a rate from 1 Hz
// to 384 kHz) and "data". False for anything else: a chunk that runs past the
// end of the image or of the RIFF size, another encoding.
bool ParseWaveImage(const void* data, size_t size, TWaveSound& sound);

// Where sounds go: the desktop's audio output, or a test's recorder.
class TSoundSink {
public:
    virtual ~TSoundSink() = default;
    // Starts the sound; with wait, returns when it has ended. False when the
    // output refuses it.
    virtual bool Start(const TWaveSound& sound, bool wait) = 0;
    virtual void Stop() = 0;
    virtual bool Playing() = 0;
};
// Installs a sink (nullptr: the desktop's again); returns the previous one
// (nullptr when the desktop's was in use).
TSoundSink* SetSoundSink(TSoundSink* sink);

// Plays a wave: with SND_FILENAME, sound is a file name (a 1252 program
// string); with SND_MEMORY, sound points to a wave image of size bytes; a null
// sound stops the sound playing. SND_ASYNC returns at once, otherwise the call
// returns when the sound has ended. SND_NOSTOP fails while a sound plays.
// False when the file cannot be read or is no playable wave, or the output
// refuses it.
bool PlaySound(const void* sound, size_t size, uint32_t flags);
