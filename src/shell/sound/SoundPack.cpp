#include "shell/sound/SoundPack.h"

#include "foundation/Compression.h"
#include "foundation/MessageDlg.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Sound.h"
#include "shell/BaseForms.h"
#include "shell/commands/ProgramEvents.h"

#include <algorithm>

// --- Elements ---------------------------------------------------------------------

void TDPElement::Seek() const
{
    Plugin->Stream()->SetPosition(DataStart);
}

void TDPElement::Read(void* buffer) const
{
    Seek();
    Plugin->Stream()->ReadBuffer(buffer, Size());
}

std::string TDPElement::ReadText() const
{
    std::string text(static_cast<size_t>(Size()), '\0');
    if (!text.empty())
        Read(text.data());
    return text;
}

TDPElementList::TDPElementList(int32_t rangeStart, int32_t rangeEnd, TDataPlugin* plugin) : FPlugin(plugin)
{
    TStream& stream = *plugin->Stream();
    int64_t p = rangeStart;
    while (p < rangeEnd) {
        // The length, the type byte and the name length must lie inside the range.
        if (rangeEnd - p < 6)
            throw EDataPluginError();
        stream.SetPosition(p);
        const uint32_t length = stream.ReadDWord();
        // An element holds at least its type and name length, and its name.
        if (length < 2 || length > static_cast<uint64_t>(rangeEnd - p - 4))
            throw EDataPluginError();
        auto element = std::make_unique<TDPElement>();
        element->Plugin = plugin;
        element->ElementType = stream.ReadByte();
        const uint8_t nameLength = stream.ReadByte();
        if (nameLength > length - 2)
            throw EDataPluginError();
        element->Name.resize(nameLength);
        if (nameLength)
            stream.ReadBuffer(element->Name.data(), nameLength);
        element->DataStart = static_cast<int32_t>(p + 6 + nameLength);
        element->DataEnd = static_cast<int32_t>(p + 4 + length);
        FItems.push_back(std::move(element));
        p += 4 + static_cast<int64_t>(length);
    }
}

const TDPElement* TDPElementList::Find(const std::string& name) const
{
    for (const auto& item : FItems)
        if (item->Name == name)
            return item.get();
    return nullptr;
}

std::string TDPElementList::ReadText(const std::string& name, const std::string& def) const
{
    const TDPElement* element = Find(name);
    return element ? element->ReadText() : def;
}

// --- Module files -------------------------------------------------------------------

TDataPlugin::TDataPlugin() = default;
TDataPlugin::~TDataPlugin() = default;

bool TDataPlugin::Open(const std::string& fileName, uint32_t signature)
{
    FFileName = fileName;
    FElements.reset();
    FStream.reset();
    for (;;) {
        try {
            FStream = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
            break;
        } catch (const EStreamError&) {
            if (ShowMessageDlg(Format("Impossible d'ouvrir le fichier \"%s\".", {fileName}), mtError,
                               mbRetry | mbCancel) != mrRetry)
                return false;
        }
    }
    bool valid = false;
    try {
        const int64_t size = FStream->Size();
        // Positions are 32-bit: a larger file is no module of ours.
        if (size >= 4 && size <= INT32_MAX && FStream->ReadDWord() == signature) {
            FElements = std::make_unique<TDPElementList>(4, static_cast<int32_t>(size), this);
            valid = true;
        }
    } catch (const EDataPluginError&) {
    } catch (const EStreamError&) {
    }
    if (!valid) {
        FElements.reset();
        ShowError(Format("Le fichier \"%s\" n'est pas un module additionnel valide.", {fileName}));
    }
    return valid;
}

std::string TDataPlugin::GetAuthorInfo() const
{
    if (!FElements)
        return {};
    std::string text = FElements->ReadText("AUTHORINFO", "");
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '|' && i + 1 < text.size() && text[i + 1] == '|') {
            result += "\r\n";
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string ResolvePackFileName(const std::string& fileName)
{
    if (!FileExists(fileName)) {
        const std::string inProgramFolder = ProgramFolder() + ExtractFileName(fileName);
        if (FileExists(inProgramFolder))
            return inProgramFolder;
    }
    return fileName;
}

// --- Samples and schemes ---------------------------------------------------------------

bool TSoundSample::Load(const TDPElement& element)
{
    try {
        FElements = std::make_unique<TDPElementList>(element.DataStart, element.DataEnd, element.Plugin);
    } catch (const EDataPluginError&) {
        FElements.reset();
        return false;
    } catch (const EStreamError&) {
        FElements.reset();
        return false;
    }
    FEventName = FElements->ReadText("EVENT", "");
    FEventId = GetEventIdByName(FEventName);
    if (FEventId != -1) {
        FWaveElement = FElements->Find("WAVE");
        if (!FWaveElement)
            FEventId = -1;
    }
    return true;
}

const std::vector<uint8_t>* TSoundSample::WaveData()
{
    if (FWaveData)
        return FWaveData.get();
    if (!FWaveElement || FEventId == -1)
        return nullptr;
    // A damaged wave (bad zlib data, a read error, a wave larger than the cap)
    // makes the sample unusable; it never reaches the action that fired the
    // event.
    try {
        TStream& stream = *FWaveElement->Plugin->Stream();
        FWaveElement->Seek();
        TZDecompressionStream inflater(stream);
        inflater.InputLimit = FWaveElement->Size();
        auto data = std::make_unique<std::vector<uint8_t>>();
        constexpr int32_t BlockSize = 16384;
        for (;;) {
            const size_t at = data->size();
            if (at > static_cast<size_t>(MaxWaveDataSize))
                throw EDecompressionError("Son trop volumineux");
            data->resize(at + BlockSize);
            const int32_t got = inflater.Read(data->data() + at, BlockSize);
            data->resize(at + static_cast<size_t>(std::max(got, 0)));
            if (got <= 0)
                break;
        }
        if (data->size() > static_cast<size_t>(MaxWaveDataSize))
            throw EDecompressionError("Son trop volumineux");
        // A stream cut short inflates to a part of a wave: only a whole,
        // playable wave image is kept.
        TWaveSound wave;
        if (!ParseWaveImage(data->data(), data->size(), wave))
            throw EDecompressionError("Son altéré");
        FWaveData = std::move(data);
    } catch (const std::exception&) {
        FEventId = -1;
        return nullptr;
    }
    return FWaveData.get();
}

TSoundScheme::TSoundScheme(const std::string& fileName)
{
    if (fileName.empty()) {
        FValid = true;
        return;
    }
    FPlugin = std::make_unique<TDataPlugin>();
    if (!FPlugin->Open(ResolvePackFileName(fileName), SoundPackSignature))
        return;
    for (const auto& element : FPlugin->Elements()->Items()) {
        if (element->Name != "SOUND")
            continue;
        FSamples.push_back(std::make_unique<TSoundSample>(this));
        if (!FSamples.back()->Load(*element))
            return;
    }
    FValid = true;
}

TSoundScheme::~TSoundScheme()
{
    FSamples.clear();
    FPlugin.reset();
}

TSoundSample* TSoundScheme::FindSample(int32_t eventId) const
{
    if (!FValid || !FPlugin || eventId == -1)
        return nullptr;
    for (auto it = FSamples.rbegin(); it != FSamples.rend(); ++it)
        if ((*it)->EventId() == eventId)
            return it->get();
    return nullptr;
}

bool TSoundScheme::HasSound(int32_t eventId) const
{
    return FindSample(eventId) != nullptr;
}

const std::vector<uint8_t>* TSoundScheme::GetSoundData(int32_t eventId)
{
    TSoundSample* sample = FindSample(eventId);
    return sample ? sample->WaveData() : nullptr;
}
