#include "platform/framework/Graphic.h"

#include "platform/runtime/FileStream.h"
#include "platform/runtime/Stream.h"

bool TGraphic::AssignTo(TGraphic&) const
{
    return false;
}

void TGraphic::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (!source.AssignTo(*this))
        throw EConvertError("Impossible d'affecter une image " + source.ClassName() + " à une image " + ClassName());
}

void TGraphic::ReadData(TStream& stream)
{
    const uint32_t size = stream.ReadDWord();
    if (size > static_cast<uint64_t>(stream.Size() - stream.Position()))
        throw EReadError("Erreur de lecture du flux");
    TMemoryStream data;
    data.CopyFrom(stream, size);
    data.SetPosition(0);
    LoadFromStream(data);
}

void TGraphic::WriteData(TStream& stream)
{
    TMemoryStream data;
    SaveToStream(data);
    stream.WriteDWord(static_cast<uint32_t>(data.Size()));
    data.SetPosition(0);
    stream.CopyFrom(data, data.Size());
}

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent != FTransparent) {
        FTransparent = transparent;
        Changed();
    }
}

void TGraphic::SetModified(bool modified)
{
    if (modified)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed()
{
    FModified = true;
    if (OnChange)
        OnChange(*this);
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}
