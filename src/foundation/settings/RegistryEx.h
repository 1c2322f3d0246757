#pragma once
// The settings store on the registry: keys are Prefix + name below the current
// user's root, opened (and created when missing) from the root whatever key was
// current before.
#include <memory>

#include "foundation/settings/SettingsStorage.h"
#include "platform/win/Registry.h"

class TRegistryEx : public TSettingsStorage {
public:
    TRegistryEx();
    // On a given registry store (tests play two program instances with it).
    explicit TRegistryEx(TRegistryStore& store);
    ~TRegistryEx() override;

    bool KeyExists(const std::string& name) override;
    void OpenKey(const std::string& name) override;
    // A value that is absent, or stored with another type than the one read,
    // gives the default.
    bool ReadBool(const std::string& name, bool def) override;
    int32_t ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum) override;
    std::string ReadString(const std::string& name, const std::string& def) override;
    void WriteBool(const std::string& name, bool value) override;
    void WriteInteger(const std::string& name, int32_t value) override;
    void WriteString(const std::string& name, const std::string& value) override;

    // Writes the changes to the settings file now; ERegistryException when it
    // cannot. Freeing the store writes them too, but cannot report a failure.
    void Flush();

    TRegistry& Registry() { return *FRegistry; }

private:
    std::string KeyPath(const std::string& name) const;

    std::unique_ptr<TRegistry> FRegistry;
};
