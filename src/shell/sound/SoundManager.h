#pragma once
// The sound manager: the program's event handler for sounds. For each program
// event it plays the user's own wave file for the event, else the event's
// sound from the current sound pack, else, for the four message-box events,
// the system's message beep. The user's choices are the sound settings, kept
// in an INI file of their own (".esd", "Eldravin.esd" in the program folder
// unless the switch "ssfn" names another).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/commands/ProgramEvents.h"

class TSoundScheme;

struct TSoundOverride {
    std::string WaveFile;
    TEventId EventId = 0;
};

class TSoundSettings {
public:
    // The pack file as chosen (possibly with its folder); empty: no pack.
    std::string SoundScheme;
    // Events that play nothing (ids as fired, not mapped).
    std::vector<TEventId> DisabledEvents;
    // The user's own wave files, one line per event after editing.
    std::vector<TSoundOverride> Overrides;
    // Only modified settings are written back at exit.
    bool Modified = false;

    void SetDefaults();
    // Copies everything but Modified.
    void Assign(const TSoundSettings& source);
    void Load(const std::string& fileName);
    // Raises the file's write error.
    void Save(const std::string& fileName) const;

    // The wave file for an event: a double click is served by the click's
    // wave, every typing event from 12000 to 12450 by the default key's (the
    // two typing warnings keep their own). Empty when there is none.
    std::string GetOverride(TEventId eventId) const;
    // The line stored for exactly that id, or nullptr.
    const TSoundOverride* FindOverride(TEventId eventId) const;
    void SetOverride(TEventId eventId, const std::string& waveFile);
    void ClearOverride(TEventId eventId);
    bool IsDisabled(TEventId eventId) const;
    void SetDisabled(TEventId eventId, bool disabled);
};

// The id whose own wave serves an event.
TEventId OverrideEventId(TEventId eventId);

class TSoundManager : public TEventHandler {
public:
    // Joins the event list; loads the settings file unless "dls" is given or
    // the file is missing (then the defaults). The pack is opened by the
    // first event that would play.
    TSoundManager();
    // Stops the sound, writes modified settings (unless "dss") and leaves the
    // event list.
    ~TSoundManager() override;

    void HandleEvent(TEventId eventId) override;
    // Builds the scheme from the settings again; a damaged pack is reported
    // and the user chooses between keeping its name and dropping it.
    void LoadScheme();
    void UnloadScheme();
    // Brackets nest; no event plays inside one.
    void SuspendSounds() { ++SuspendCount; }
    void ResumeSounds() { --SuspendCount; }
    bool HasSchemeSound(TEventId eventId);
    bool IsTypingSoundEnabled() const;
    // Plays a wave file by name, or else the wave image; whether it was accepted.
    bool PlaySample(const std::string& waveFile, const std::vector<uint8_t>* waveData);

    TSoundScheme* Scheme() const { return FScheme.get(); }
    bool Loaded() const { return FLoaded; }
    TSoundSettings& Settings() { return FSettings; }
    const std::string& SettingsFileName() const { return FSettingsFileName; }

    int32_t SuspendCount = 0;
    // Sounds start asynchronously while set; shutdown clears it so that the
    // exit sound plays to its end.
    bool PlayAsync = true;
    // A one-shot request that the next sound not cut off the one playing.
    bool DontInterrupt = false;

private:
    bool FLoaded = false;
    std::unique_ptr<TSoundScheme> FScheme;
    TSoundSettings FSettings;
    std::string FSettingsFileName;
};

// The program's one sound manager, made early in start-up and freed late in
// shutdown; nullptr outside that span.
extern TSoundManager* SoundManager;

// The sound settings file the switches name, as a full path.
std::string SoundSettingsFileName();
