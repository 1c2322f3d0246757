#pragma once
// Sound packs: add-on module files (".esn") that carry one compressed wave per
// program event and a description text.
//
// A module file is the 32-bit signature, then a directory of elements back to
// back up to the end of the file. An element is its length L (unsigned 32-bit:
// the bytes that follow it), a type byte, the name length N, the name (N bytes,
// case-sensitive) and the data (L - 2 - N bytes). An element's data may itself
// be a directory, without signature, filling the data exactly. All integers
// are little-endian.
//
// A sound pack's top level holds "AUTHORINFO" (the description, "||" for line
// breaks) and "SOUND" elements; each "SOUND" holds "EVENT" (the event name) and
// "WAVE" (a zlib stream of a whole wave file).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;
class TDataPlugin;

constexpr uint32_t SoundPackSignature = 0xAFE54C04;
// A wave that inflates beyond this is taken as damaged.
constexpr int32_t MaxWaveDataSize = 64 * 1024 * 1024;

class TDPElement {
public:
    std::string Name;
    uint8_t ElementType = 0;
    int32_t DataStart = 0;  // first data byte
    int32_t DataEnd = 0;    // one past the last
    TDataPlugin* Plugin = nullptr;

    int32_t Size() const { return DataEnd - DataStart; }
    void Seek() const;
    // Reads the data (Size bytes) into buffer.
    void Read(void* buffer) const;
    std::string ReadText() const;
};

// Raised when a directory cannot be read: an element that runs past its range,
// a name longer than its element, an element too short for its header.
class EDataPluginError : public std::exception {
public:
    const char* what() const noexcept override { return "invalid module directory"; }
};

class TDPElementList {
public:
    // Reads the directory between the two file positions; raises
    // EDataPluginError (or the stream's read error) when it is damaged.
    TDPElementList(int32_t rangeStart, int32_t rangeEnd, TDataPlugin* plugin);
    const TDPElement* Find(const std::string& name) const;
    std::string ReadText(const std::string& name, const std::string& def) const;
    const std::vector<std::unique_ptr<TDPElement>>& Items() const { return FItems; }

private:
    std::vector<std::unique_ptr<TDPElement>> FItems;
    TDataPlugin* FPlugin;
};

class TDataPlugin {
public:
    TDataPlugin();
    ~TDataPlugin();
    // Opens and indexes the file. A file that cannot be opened asks to retry
    // (error, Retry and Cancel); a wrong signature or a damaged directory is
    // reported as "n'est pas un module additionnel valide". False on both.
    bool Open(const std::string& fileName, uint32_t signature);
    // The "AUTHORINFO" text with "||" as CR LF; empty when there is none.
    std::string GetAuthorInfo() const;

    const std::string& FileName() const { return FFileName; }
    TStream* Stream() const { return FStream.get(); }
    const TDPElementList* Elements() const { return FElements.get(); }

private:
    std::string FFileName;
    std::unique_ptr<TStream> FStream;
    std::unique_ptr<TDPElementList> FElements;
};

// The file name itself, or, when it does not exist but the program folder
// holds a file of its name part, that one.
std::string ResolvePackFileName(const std::string& fileName);

class TSoundScheme;

class TSoundSample {
public:
    explicit TSoundSample(TSoundScheme* scheme) : FScheme(scheme) {}
    // Reads the sample from its "SOUND" element; false when its nested
    // directory is damaged.
    bool Load(const TDPElement& element);
    // The inflated wave (inflated on first request); nullptr when the sample
    // has none or its wave is damaged, which makes the sample unusable.
    const std::vector<uint8_t>* WaveData();

    TSoundScheme* Scheme() const { return FScheme; }
    const std::string& EventName() const { return FEventName; }
    int32_t EventId() const { return FEventId; }

private:
    std::unique_ptr<TDPElementList> FElements;
    std::unique_ptr<std::vector<uint8_t>> FWaveData;
    const TDPElement* FWaveElement = nullptr;
    std::string FEventName;
    TSoundScheme* FScheme;
    int32_t FEventId = -1;  // -1: unusable
};

class TSoundScheme {
public:
    // Builds the scheme from a pack file; an empty name gives a valid scheme
    // without sounds.
    explicit TSoundScheme(const std::string& fileName);
    ~TSoundScheme();
    bool HasSound(int32_t eventId) const;
    // The wave image of the event's sample (the last one in the file for an
    // event given twice), or nullptr.
    const std::vector<uint8_t>* GetSoundData(int32_t eventId);

    bool Valid() const { return FValid; }
    TDataPlugin* Plugin() const { return FPlugin.get(); }
    const std::vector<std::unique_ptr<TSoundSample>>& Samples() const { return FSamples; }

private:
    TSoundSample* FindSample(int32_t eventId) const;
    std::vector<std::unique_ptr<TSoundSample>> FSamples;
    std::unique_ptr<TDataPlugin> FPlugin;
    bool FValid = false;
};
