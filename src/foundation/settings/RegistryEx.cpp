#include "foundation/settings/RegistryEx.h"

TRegistryEx::TRegistryEx() : FRegistry(std::make_unique<TRegistry>()) {}

TRegistryEx::TRegistryEx(TRegistryStore& store) : FRegistry(std::make_unique<TRegistry>(store)) {}

TRegistryEx::~TRegistryEx() = default;

std::string TRegistryEx::KeyPath(const std::string& name) const
{
    // From the root, not from the key that happens to be current.
    std::string path = Prefix + name;
    if (path.empty() || path[0] != '\\')
        path.insert(path.begin(), '\\');
    return path;
}

bool TRegistryEx::KeyExists(const std::string& name)
{
    return FRegistry->KeyExists(KeyPath(name));
}

void TRegistryEx::OpenKey(const std::string& name)
{
    FRegistry->OpenKey(KeyPath(name), true);
}

bool TRegistryEx::ReadBool(const std::string& name, bool def)
{
    if (FRegistry->GetDataType(name) != rdInteger)
        return def;
    return FRegistry->ReadInteger(name) != 0;
}

int32_t TRegistryEx::ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum)
{
    if (FRegistry->GetDataType(name) != rdInteger)
        return def;
    const int32_t value = FRegistry->ReadInteger(name);
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

std::string TRegistryEx::ReadString(const std::string& name, const std::string& def)
{
    const TRegDataType type = FRegistry->GetDataType(name);
    if (type != rdString && type != rdExpandString)
        return def;
    return FRegistry->ReadString(name);
}

void TRegistryEx::WriteBool(const std::string& name, bool value)
{
    FRegistry->WriteBool(name, value);
}

void TRegistryEx::WriteInteger(const std::string& name, int32_t value)
{
    FRegistry->WriteInteger(name, value);
}

void TRegistryEx::WriteString(const std::string& name, const std::string& value)
{
    FRegistry->WriteString(name, value);
}

void TRegistryEx::Flush()
{
    FRegistry->Flush();
}
