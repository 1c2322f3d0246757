#pragma once
// TComponent: the owner tree of the class framework. An owner frees the
// components it owns when it is freed (the last made first), and components
// that asked for it are told when another goes away, so that they drop their
// references to it.
#include <cstdint>
#include <string>
#include <vector>

class TComponent {
public:
    // What Notification reports. A member type, so that code that also uses
    // the document's operations (a global TOperation) sees no clash.
    enum class TOperation : uint8_t { opInsert, opRemove };

    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
    // The owned component of that name (case-insensitive), or nullptr.
    TComponent* FindComponent(const std::string& name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    intptr_t Tag = 0;

    // Asks to be told (Notification with opRemove) when component is freed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);
    // True from the start of the destructor on.
    bool Destroying() const { return FDestroying; }

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    // Call first thing in a destructor of a derived class whose clean-up may
    // reach code that asks Destroying.
    void BeginDestroy() { FDestroying = true; }

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    std::string FName;
    bool FDestroying = false;
};
