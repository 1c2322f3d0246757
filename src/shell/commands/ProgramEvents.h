#pragma once
// Program events: notable moments of the program (start and exit, message
// boxes, document and editing actions, formatting, ruler drags, typing, mouse
// clicks, help and tips) are announced by an event id fired through the one
// program-wide event manager, which passes it to every handler on its list.
// The sound manager is such a handler; so is anything else that wants to hear
// events. Nobody waits for or receives an answer, and an event with no
// handler on the list goes nowhere.
#include <cstdint>
#include <string>
#include <vector>

using TEventId = int32_t;

struct TEventName {
    TEventId Id;
    const char* Name;  // upper-case ASCII, words joined by "_"
};
// Sorted by name in ascending byte order, for the search by halving.
constexpr int EventNameCount = 110;
extern const TEventName EventNames[EventNameCount];

// A listener: it joins the event manager's list when it is made and leaves it
// when it is freed.
class TEventHandler {
public:
    TEventHandler();
    virtual ~TEventHandler();
    TEventHandler(const TEventHandler&) = delete;
    TEventHandler& operator=(const TEventHandler&) = delete;
    virtual void HandleEvent(TEventId eventId) = 0;
};

class TEventManager {
public:
    void AddHandler(TEventHandler* handler);
    // Removes the first occurrence.
    void RemoveHandler(TEventHandler* handler);
    // Calls every handler in the order they were added. A handler that leaves
    // the list while an event is passed on (it is freed, or frees another)
    // is not called any more; one that joins hears the next event.
    void Broadcast(TEventId eventId);
    const std::vector<TEventHandler*>& Handlers() const { return FHandlers; }

private:
    std::vector<TEventHandler*> FHandlers;
};

// The program-wide event manager.
TEventManager& EventManager();
// Broadcast on the program-wide manager.
void FireEvent(TEventId eventId);
// The id of an event name (ASCII letters compared without regard to case), or
// -1 when the table has no such name.
TEventId GetEventIdByName(const std::string& name);
