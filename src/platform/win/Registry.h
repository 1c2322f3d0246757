#pragma once
// The registry as the program sees it: a tree of keys below a few predefined
// roots, each key holding named, typed values. `TRegistry` navigates it like the
// framework's registry object: a root, a current key opened by path (absolute
// with a leading "\", otherwise relative to the current key), typed reads and
// writes in the current key, lists of sub-keys and values, deletion.
//
// The tree lives in the settings file of TRegistryStore; changes are written to
// it when the registry object is freed or flushed. Names of keys and values are
// compared ignoring case and keep the case they were created with.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/RegistryStore.h"

class TStrings;

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int32_t DataSize = 0;
};

class TRegistry {
public:
    // On the store of the user's configuration folder, root HKEY_CURRENT_USER.
    TRegistry();
    // On a given store (tests use it to play two program instances).
    explicit TRegistry(TRegistryStore& store);
    // Writes pending changes; a failure here is silent (call Flush to learn of it).
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    // Closes the current key.
    void SetRootKey(HKEY root);
    bool HasCurrentKey() const { return FOpen; }
    // Path of the current key below the root, without a leading backslash.
    std::string CurrentPath() const;

    // Makes the key current; with canCreate a missing key (and its parents) is made.
    bool OpenKey(const std::string& key, bool canCreate);
    // Makes an existing key current; writes into it then fail.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool CreateKey(const std::string& key);
    // Deletes the key with its sub-keys and values; false when it does not exist.
    bool DeleteKey(const std::string& key);
    bool KeyExists(const std::string& key);
    bool HasSubKeys();
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();
    // The same into a string list, which is cleared first.
    void GetKeyNames(TStrings& strings);
    void GetValueNames(TStrings& strings);

    // Values of the current key. The empty name is the key's default value.
    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    bool GetDataInfo(const std::string& name, TRegDataInfo& info);
    // rdUnknown when the value does not exist.
    TRegDataType GetDataType(const std::string& name);
    // Size in bytes as stored (strings count their terminating zero); -1 when absent.
    int32_t GetDataSize(const std::string& name);

    // The empty string when absent; ERegistryException for a value that is no string.
    std::string ReadString(const std::string& name);
    // ERegistryException when absent or not an integer.
    int32_t ReadInteger(const std::string& name);
    bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
    // Copies a binary value into the buffer and returns its size; 0 when absent.
    // ERegistryException for a value of another type or larger than the buffer.
    // The part of the buffer beyond the value is zero-filled.
    int32_t ReadBinaryData(const std::string& name, void* buffer, int32_t bufSize);

    // ERegistryException without a current key or in a key opened read-only.
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteBinaryData(const std::string& name, const void* buffer, int32_t size);

    // Writes the changes made so far to the settings file; ERegistryException on failure.
    void Flush();

private:
    bool Resolve(const std::string& key, TRegistryStore::TPath& path) const;
    void Write(const std::string& name, const TRegValue& value);
    bool Get(const std::string& name, TRegValue& value);

    TRegistryStore& FStore;
    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FOpen = false;
    bool FReadOnly = false;
    TRegistryStore::TPath FCurrent;  // below the root
};
