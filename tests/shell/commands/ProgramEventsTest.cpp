// Program events: the name table and its lookup, and events passed on to the
// handlers in the order they were made.
#include "shell/commands/ProgramEvents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

class TLogHandler : public TEventHandler {
public:
    TLogHandler(std::vector<std::pair<int, TEventId>>& log, int tag) : FLog(log), FTag(tag) {}
    void HandleEvent(TEventId eventId) override
    {
        FLog.emplace_back(FTag, eventId);
        if (OnEvent)
            OnEvent(eventId);
    }
    std::function<void(TEventId)> OnEvent;

private:
    std::vector<std::pair<int, TEventId>>& FLog;
    int FTag;
};

TEST(ProgramEvents, NameTable)
{
    for (int i = 1; i < EventNameCount; ++i)
        EXPECT_LT(std::strcmp(EventNames[i - 1].Name, EventNames[i].Name), 0) << EventNames[i].Name;
    // Every name is found with its id, the first and last included.
    for (const TEventName& e : EventNames)
        EXPECT_EQ(GetEventIdByName(e.Name), e.Id) << e.Name;
    const std::pair<const char*, TEventId> cases[] = {
        {"ABOUT", 9000},
        {"WARNINGMSG", 1000},
        {"type_key_a", 12100},
        {"Type_Key_Z", 12125},
        {"TYPE_KEY_7", 12207},
        {"TYPE_CAPSLOCK", 12420},
        {"TYPE_CAPS_NUM_LOCK_WARNING", 12470},
        {"START", 200},
        {"EXIT", 220},
        {"TYPE KEY A", -1},
        {"", -1},
        {"ABOUTX", -1},
        {"\xC9XIT", -1},  // only ASCII letters are folded
    };
    for (const auto& [name, id] : cases)
        EXPECT_EQ(GetEventIdByName(name), id) << name;
}

TEST(ProgramEvents, HandlersHearEveryEventInTheOrderTheyWereMade)
{
    const size_t before = EventManager().Handlers().size();
    std::vector<std::pair<int, TEventId>> log;
    FireEvent(2000);  // nobody listening: nothing happens
    {
        TLogHandler first(log, 1);
        auto second = std::make_unique<TLogHandler>(log, 2);
        FireEvent(200);
        FireEvent(77777);  // not in the table: passed on as it is
        EXPECT_EQ(log, (std::vector<std::pair<int, TEventId>>{{1, 200}, {2, 200}, {1, 77777}, {2, 77777}}));
        // A handler freed by another while an event is passed on is not called.
        log.clear();
        first.OnEvent = [&](TEventId) { second.reset(); };
        FireEvent(220);
        EXPECT_EQ(log, (std::vector<std::pair<int, TEventId>>{{1, 220}}));
        // A handler made during an event hears the next one.
        std::unique_ptr<TLogHandler> third;
        first.OnEvent = [&](TEventId) {
            if (!third)
                third = std::make_unique<TLogHandler>(log, 3);
        };
        log.clear();
        FireEvent(1000);
        FireEvent(1001);
        EXPECT_EQ(log, (std::vector<std::pair<int, TEventId>>{{1, 1000}, {1, 1001}, {3, 1001}}));
    }
    EXPECT_EQ(EventManager().Handlers().size(), before);
}

}  // namespace
