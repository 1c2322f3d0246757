#include "shell/sound/SoundManager.h"

#include "foundation/MessageDlg.h"
#include "foundation/ShellHelpers.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/IniFile.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Sound.h"
#include "shell/options/OptionsHolder.h"
#include "shell/sound/SoundPack.h"

#include <algorithm>

TSoundManager* SoundManager = nullptr;

namespace {

constexpr const char* DefaultSoundSettingsFile = "Eldravin.esd";

bool HasValue(TIniFile& ini, const std::string& name)
{
    const std::string absent("\x01\x02");
    return ini.ReadString(name, absent) != absent;
}

}  // namespace

std::string SoundSettingsFileName()
{
    return ResolveInProgramFolder(GetSwitchValue(clsSoundSettingsFileName, DefaultSoundSettingsFile));
}

// --- Settings -------------------------------------------------------------------------

void TSoundSettings::SetDefaults()
{
    SoundScheme.clear();
    DisabledEvents.clear();
    Overrides.clear();
}

void TSoundSettings::Assign(const TSoundSettings& source)
{
    SoundScheme = source.SoundScheme;
    DisabledEvents = source.DisabledEvents;
    Overrides = source.Overrides;
}

void TSoundSettings::Load(const std::string& fileName)
{
    TIniFile ini(fileName, false);
    ini.OpenKey("General Settings");
    SoundScheme = ini.ReadString("SoundScheme", "");
    ini.OpenKey("Disabled Events");
    DisabledEvents.clear();
    const int32_t disabled = ini.ReadInteger("Count", 0, 0, INT32_MAX);
    // A count beyond the entries present ends at the first missing one: an
    // absent entry reads as 0, which names no event, and a damaged count of
    // two thousand million must not be followed.
    for (int32_t i = 0; i < disabled && HasValue(ini, IntToStr(i)); ++i)
        DisabledEvents.push_back(ini.ReadInteger(IntToStr(i), 0, 0, INT32_MAX));
    ini.OpenKey("Overrides");
    Overrides.clear();
    const int32_t overrides = ini.ReadInteger("Count", 0, 0, INT32_MAX);
    for (int32_t i = 0; i < overrides && (HasValue(ini, IntToStr(i)) || HasValue(ini, "Wav" + IntToStr(i))); ++i) {
        const int32_t id = ini.ReadInteger(IntToStr(i), 0, 0, INT32_MAX);
        const std::string file = ini.ReadString("Wav" + IntToStr(i), "");
        if (!file.empty())
            Overrides.push_back({file, id});
    }
}

void TSoundSettings::Save(const std::string& fileName) const
{
    TIniFile ini(fileName, true);
    ini.OpenKey("General Settings");
    ini.WriteString("SoundScheme", SoundScheme);
    ini.OpenKey("Disabled Events");
    ini.WriteInteger("Count", static_cast<int32_t>(DisabledEvents.size()));
    for (size_t i = 0; i < DisabledEvents.size(); ++i)
        ini.WriteInteger(IntToStr(static_cast<int32_t>(i)), DisabledEvents[i]);
    ini.OpenKey("Overrides");
    ini.WriteInteger("Count", static_cast<int32_t>(Overrides.size()));
    for (size_t i = 0; i < Overrides.size(); ++i) {
        ini.WriteInteger(IntToStr(static_cast<int32_t>(i)), Overrides[i].EventId);
        ini.WriteString("Wav" + IntToStr(static_cast<int32_t>(i)), Overrides[i].WaveFile);
    }
    ini.Flush();
}

TEventId OverrideEventId(TEventId eventId)
{
    if (eventId == 13100)
        return 13000;
    if (eventId >= 12000 && eventId <= 12450)
        return 12000;
    return eventId;
}

std::string TSoundSettings::GetOverride(TEventId eventId) const
{
    const TSoundOverride* line = FindOverride(OverrideEventId(eventId));
    return line ? line->WaveFile : std::string();
}

const TSoundOverride* TSoundSettings::FindOverride(TEventId eventId) const
{
    for (const TSoundOverride& line : Overrides)
        if (line.EventId == eventId)
            return &line;
    return nullptr;
}

void TSoundSettings::SetOverride(TEventId eventId, const std::string& waveFile)
{
    ClearOverride(eventId);
    Overrides.push_back({waveFile, eventId});
}

void TSoundSettings::ClearOverride(TEventId eventId)
{
    std::erase_if(Overrides, [&](const TSoundOverride& line) { return line.EventId == eventId; });
}

bool TSoundSettings::IsDisabled(TEventId eventId) const
{
    return std::find(DisabledEvents.begin(), DisabledEvents.end(), eventId) != DisabledEvents.end();
}

void TSoundSettings::SetDisabled(TEventId eventId, bool disabled)
{
    if (disabled && !IsDisabled(eventId))
        DisabledEvents.push_back(eventId);
    else if (!disabled)
        std::erase(DisabledEvents, eventId);
}

// --- Manager ------------------------------------------------------------------------------

TSoundManager::TSoundManager() : FSettingsFileName(SoundSettingsFileName())
{
    if (!HasSwitch(clsDontLoadSettings) && FileExists(FSettingsFileName))
        FSettings.Load(FSettingsFileName);
    else
        FSettings.SetDefaults();
}

TSoundManager::~TSoundManager()
{
    UnloadScheme();
    if (FSettings.Modified && !HasSwitch(clsDontSaveSettings)) {
        // Nobody is left to tell about a settings file that cannot be written.
        try {
            FSettings.Save(FSettingsFileName);
        } catch (const std::exception&) {
        }
    }
}

void TSoundManager::HandleEvent(TEventId eventId)
{
    if (SuspendCount != 0 || FSettings.IsDisabled(eventId))
        return;
    if (!FLoaded)
        LoadScheme();
    const std::string wave = FSettings.GetOverride(eventId);
    if (!wave.empty()) {
        // A wave file that cannot be played stays silent here.
        PlaySample(wave, nullptr);
        return;
    }
    if (const std::vector<uint8_t>* data = FScheme->GetSoundData(eventId)) {
        PlaySample("", data);
        return;
    }
    switch (eventId) {
    case 1000: PlaySystemBeep(BeepExclamation); break;
    case 1001: PlaySystemBeep(BeepHand); break;
    case 1002: PlaySystemBeep(BeepAsterisk); break;
    case 1003: PlaySystemBeep(BeepQuestion); break;
    default: break;
    }
}

bool TSoundManager::PlaySample(const std::string& waveFile, const std::vector<uint8_t>* waveData)
{
    if (!DontInterrupt)
        PlaySound(nullptr, 0, 0);
    uint32_t flags = SND_NODEFAULT;
    if (PlayAsync)
        flags |= SND_ASYNC;
    if (DontInterrupt)
        flags |= SND_NOSTOP | SND_NOWAIT;
    bool played;
    if (!waveFile.empty())
        played = PlaySound(waveFile.c_str(), 0, flags | SND_FILENAME);
    else if (waveData && !waveData->empty())
        played = PlaySound(waveData->data(), waveData->size(), flags | SND_MEMORY);
    else
        played = false;
    if (played && DontInterrupt)
        DontInterrupt = false;
    return played;
}

void TSoundManager::UnloadScheme()
{
    if (!FLoaded)
        return;
    PlaySound(nullptr, 0, 0);
    FScheme.reset();
    FLoaded = false;
}

void TSoundManager::LoadScheme()
{
    UnloadScheme();
    // The messages below fire message events of their own, which must neither
    // sound nor build the scheme again.
    SuspendSounds();
    try {
        FScheme = std::make_unique<TSoundScheme>(FSettings.SoundScheme);
        if (!FScheme->Valid()) {
            const int32_t answer = ShowMessageDlg(
                Format("Le fichier \"%s\" est altéré ou n'est pas un module additionnel valide.||Souhaitez-vous "
                       "conserver ce module additionnel pour renouveler votre tentative plus tard ?",
                       {FSettings.SoundScheme}),
                mtWarning, mbYesNo);
            if (answer == mrNo) {
                FSettings.SoundScheme.clear();
                FSettings.Modified = true;
            }
            FScheme = std::make_unique<TSoundScheme>("");
        }
    } catch (...) {
        if (!FScheme || !FScheme->Valid())
            FScheme = std::make_unique<TSoundScheme>("");
        ResumeSounds();
        FLoaded = true;
        throw;
    }
    ResumeSounds();
    FLoaded = true;
}

bool TSoundManager::HasSchemeSound(TEventId eventId)
{
    if (!FLoaded)
        LoadScheme();
    return FScheme->HasSound(eventId);
}

bool TSoundManager::IsTypingSoundEnabled() const
{
    return !FSettings.IsDisabled(12000);
}
