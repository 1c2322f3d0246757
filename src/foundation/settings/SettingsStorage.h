#pragma once
// The program's settings store. `TSettingsStorage` is navigated like the
// registry: open a key (a section of an INI file), then read or write named
// values in it. Every read takes a default, returned whenever the store has
// nothing usable, so a missing, empty or foreign store never fails a load.
//
// A bare TSettingsStorage is the null store: every read gives its default and
// writes go nowhere (settings neither loaded nor saved). TRegistryEx keeps the
// values in the registry, TIniFile in an INI file of the program's own dialect.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TSettingsStorage {
public:
    TSettingsStorage() = default;
    virtual ~TSettingsStorage() = default;
    TSettingsStorage(const TSettingsStorage&) = delete;
    TSettingsStorage& operator=(const TSettingsStorage&) = delete;

    // Put in front of every key or section name that is opened or tested.
    std::string Prefix;

    virtual bool KeyExists(const std::string& name);
    virtual void OpenKey(const std::string& name);
    virtual bool ReadBool(const std::string& name, bool def);
    // The stored value clamped to [minimum, maximum]; the default (unclamped) when absent.
    virtual int32_t ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum);
    virtual std::string ReadString(const std::string& name, const std::string& def);
    virtual void WriteBool(const std::string& name, bool value);
    virtual void WriteInteger(const std::string& name, int32_t value);
    virtual void WriteString(const std::string& name, const std::string& value);

    // A text of any length kept in the key of that name as "Count" and pieces
    // "0", "1", ... of about 512 characters. The key stays current afterwards.
    // Reading stops at the first missing piece.
    std::string ReadLongString(const std::string& name, const std::string& def);
    void WriteLongString(const std::string& name, const std::string& text);

    // A byte block kept as a long string of hexadecimal digits. Empty when absent.
    std::vector<uint8_t> ReadBinary(const std::string& name);
    // Reads a block of a known size: false (buffer untouched) when the value is
    // absent; a shorter stored block fills the rest of the buffer with zeros.
    bool ReadBinary(const std::string& name, void* buffer, size_t size);
    void WriteBinary(const std::string& name, const void* block, size_t size);
};

// Cuts a text into the pieces WriteLongString stores: 512 characters, the cut
// moved on while it would fall next to a blank or control character.
std::vector<std::string> SplitLongString(const std::string& text);
