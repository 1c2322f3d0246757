#include "platform/win/Registry.h"

#include "platform/runtime/StringList.h"

#include <cstring>

namespace {

const char* RootName(HKEY root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    default: return nullptr;
    }
}

[[noreturn]] void RaiseTypeError(const std::string& name)
{
    throw ERegistryException("Type de données incorrect pour \"" + name + "\".");
}

[[noreturn]] void RaiseReadError(const std::string& name)
{
    throw ERegistryException("Impossible de lire la valeur \"" + name + "\" du registre.");
}

[[noreturn]] void RaiseWriteError(const std::string& name)
{
    throw ERegistryException("Impossible d'écrire la valeur \"" + name + "\" dans le registre.");
}

int32_t DataSize(const TRegValue& v)
{
    const auto n = static_cast<int32_t>(v.Data.size());
    return (v.Type == rdString || v.Type == rdExpandString) ? n + 1 : n;
}

}  // namespace

TRegistry::TRegistry() : FStore(TRegistryStore::Default()) {}

TRegistry::TRegistry(TRegistryStore& store) : FStore(store) {}

TRegistry::~TRegistry()
{
    try {
        FStore.Flush();
    } catch (const Exception&) {
        // The changes stay pending in the store; a later flush may still write them.
    }
}

void TRegistry::SetRootKey(HKEY root)
{
    CloseKey();
    FRootKey = root;
}

std::string TRegistry::CurrentPath() const
{
    std::string path;
    for (const std::string& name : FCurrent) {
        if (!path.empty())
            path += '\\';
        path += name;
    }
    return path;
}

bool TRegistry::Resolve(const std::string& key, TRegistryStore::TPath& path) const
{
    const char* root = RootName(FRootKey);
    if (!root)
        return false;
    path.assign(1, root);
    const bool relative = key.empty() || key[0] != '\\';
    if (relative && FOpen)
        path.insert(path.end(), FCurrent.begin(), FCurrent.end());
    std::string name;
    for (char ch : key) {
        if (ch == '\\') {
            if (!name.empty())
                path.push_back(name);
            name.clear();
        } else {
            name += ch;
        }
    }
    if (!name.empty())
        path.push_back(name);
    return true;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    TRegistryStore::TPath path;
    if (!Resolve(key, path))
        return false;
    if (canCreate)
        FStore.CreateKey(path);
    else if (path.size() > 1 && !FStore.KeyExists(path))
        return false;
    FCurrent.assign(path.begin() + 1, path.end());
    FOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    if (!OpenKey(key, false))
        return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    FOpen = false;
    FReadOnly = false;
    FCurrent.clear();
}

bool TRegistry::CreateKey(const std::string& key)
{
    TRegistryStore::TPath path;
    if (!Resolve(key, path))
        return false;
    FStore.CreateKey(path);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    TRegistryStore::TPath path;
    return Resolve(key, path) && FStore.DeleteKey(path);
}

bool TRegistry::KeyExists(const std::string& key)
{
    TRegistryStore::TPath path;
    if (!Resolve(key, path))
        return false;
    return path.size() == 1 || FStore.KeyExists(path);
}

bool TRegistry::HasSubKeys()
{
    return !GetKeyNames().empty();
}

std::vector<std::string> TRegistry::GetKeyNames()
{
    TRegistryStore::TPath path;
    if (!FOpen || !Resolve({}, path))
        return {};
    return FStore.KeyNames(path);
}

std::vector<std::string> TRegistry::GetValueNames()
{
    TRegistryStore::TPath path;
    if (!FOpen || !Resolve({}, path))
        return {};
    return FStore.ValueNames(path);
}

void TRegistry::GetKeyNames(TStrings& strings)
{
    strings.Clear();
    for (const std::string& name : GetKeyNames())
        strings.Add(name);
}

void TRegistry::GetValueNames(TStrings& strings)
{
    strings.Clear();
    for (const std::string& name : GetValueNames())
        strings.Add(name);
}

bool TRegistry::Get(const std::string& name, TRegValue& value)
{
    TRegistryStore::TPath path;
    return FOpen && Resolve({}, path) && FStore.GetValue(path, name, value);
}

void TRegistry::Write(const std::string& name, const TRegValue& value)
{
    TRegistryStore::TPath path;
    if (!FOpen || FReadOnly || !Resolve({}, path))
        RaiseWriteError(name);
    FStore.SetValue(path, name, value);
}

bool TRegistry::ValueExists(const std::string& name)
{
    TRegValue v;
    return Get(name, v);
}

bool TRegistry::DeleteValue(const std::string& name)
{
    TRegistryStore::TPath path;
    if (!FOpen || FReadOnly || !Resolve({}, path))
        return false;
    return FStore.DeleteValue(path, name);
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info)
{
    TRegValue v;
    if (!Get(name, v)) {
        info = TRegDataInfo();
        return false;
    }
    info.RegData = v.Type;
    info.DataSize = DataSize(v);
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name)
{
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int32_t TRegistry::GetDataSize(const std::string& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

std::string TRegistry::ReadString(const std::string& name)
{
    TRegValue v;
    if (!Get(name, v))
        return {};
    if (v.Type != rdString && v.Type != rdExpandString)
        RaiseTypeError(name);
    return v.Data;
}

int32_t TRegistry::ReadInteger(const std::string& name)
{
    TRegValue v;
    if (!Get(name, v))
        RaiseReadError(name);
    if (v.Type != rdInteger || v.Data.size() != 4)
        RaiseTypeError(name);
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(static_cast<uint8_t>(v.Data[i])) << (8 * i);
    return static_cast<int32_t>(u);
}

int32_t TRegistry::ReadBinaryData(const std::string& name, void* buffer, int32_t bufSize)
{
    TRegValue v;
    if (!Get(name, v))
        return 0;
    const auto size = static_cast<int32_t>(v.Data.size());
    if ((v.Type != rdBinary && v.Type != rdUnknown) || size > bufSize)
        RaiseTypeError(name);
    if (size > 0)
        std::memcpy(buffer, v.Data.data(), static_cast<size_t>(size));
    if (bufSize > size)
        std::memset(static_cast<char*>(buffer) + size, 0, static_cast<size_t>(bufSize - size));
    return size;
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    Write(name, {rdString, value});
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value)
{
    Write(name, {rdExpandString, value});
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    Write(name, {rdInteger, data});
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int32_t size)
{
    std::string data;
    if (size > 0)
        data.assign(static_cast<const char*>(buffer), static_cast<size_t>(size));
    Write(name, {rdBinary, data});
}

void TRegistry::Flush()
{
    FStore.Flush();
}
