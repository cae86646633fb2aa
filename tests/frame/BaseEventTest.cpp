// The base of the GUI events: the values handed to the GUI and the parameters read back.
#include <gtest/gtest.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiPage.h>
#include <json/value.h>
#include <map>
#include <yake/Logger.h>

#include "events/BaseEvent.h"

using namespace kavri3D;
using zrk::gui::ParamList;
using zrk::gui::ParamNode;

namespace {

class FakePage : public zrk::gui::IGuiPage {
public:
    CEGUI::Window* getRootWindow() override { return nullptr; }
    ParamNode* getParam(const std::string& name, zrk::gui::ParamHandle params) override
    {
        lastHandle = params;
        auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    }
    int getKind() const override { return 6; }
    void set(const std::string& name, const boost::any& value)
    {
        values[name].name = name;
        values[name].value = value;
    }
    std::map<std::string, ParamNode> values;
    zrk::gui::ParamHandle lastHandle = 0;
};

class FakeDispatcher : public zrk::gui::IEventDispatcher {
public:
    void raise(int id) override { raised.push_back(id); }
    void registerEvent(zrk::gui::ICallBackEvent*) override {}
    std::vector<int> raised;
};

struct Seat {
    int number;
    char team[8];
};

/// Hands out one value of each kind, and on the player's action reads a room name (required),
/// a level (required) and a display name (optional) before raising its id.
class RoomPickEvent : public zrk::BaseEvent {
public:
    using BaseEvent::BaseEvent;
    ParamList* fillParams() override
    {
        clearParams();
        addInt("count", count);
        addUInt("uid", 7u);
        addBool("ready", true);
        addString("name", name);
        addRecord("seat", Seat{3, "red"});
        addCollection("names", std::vector<std::string>{"a", "b", "c"});
        addPointer("table", &table);
        addJson("json", &json);
        return paramList();
    }
    void callback(zrk::gui::ParamHandle params) override
    {
        if (!readParam("room", params, room) || !readParam("level", params, level) ||
            !readOptional("show_name", params, showName))
            return;
        raiseEvent(getEventId());
    }
    int getEventId() override { return 18; }

    int count = 1;
    std::string name;
    std::map<int, std::string> table;
    Json::Value json;
    std::string room;
    int level = -1;
    std::string showName = "default";
};

class EmptyEvent : public zrk::BaseEvent {
public:
    using BaseEvent::BaseEvent;
    ParamList* fillParams() override
    {
        clearParams();
        return paramList();
    }
    void callback(zrk::gui::ParamHandle) override {}
    int getEventId() override { return 61; }
};

/// A hall list event: one class, two screens, told its id by the panel.
class HallListEvent : public EmptyEvent {
public:
    using EmptyEvent::EmptyEvent;
    int getEventId() override { return givenId(); }
};

struct EventFixture : ::testing::Test {
    FakePage page;
    FakeDispatcher dispatcher;
    RoomPickEvent event{&page, &dispatcher};
    yake::logging::logger& log = yake::logging::logger::instance();

    EventFixture()
    {
        log.enableAllSeverities();
        log.startCapture();
    }
    ~EventFixture() override { log.stopCapture(); }
};

} // namespace

TEST_F(EventFixture, FillersSetTheTypeCodesAndSizesTheGuiExpects)
{
    ParamList* list = event.fillParams();
    ASSERT_NE(list, nullptr);
    struct Expect {
        const char* name;
        int type;
        int size;
    };
    const Expect expected[] = {
        {"count", 0, 4}, {"uid", 0, 4},    {"ready", 3, 1}, {"name", 5, 0}, {"seat", 7, int(sizeof(Seat))},
        {"names", 7, 3}, {"table", 7, -1}, {"json", 7, 4}};
    ASSERT_EQ(list->size(), std::size(expected));
    for (std::size_t i = 0; i < list->size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ((*list)[i]->name, expected[i].name);
        EXPECT_EQ((*list)[i]->type, expected[i].type);
        EXPECT_EQ((*list)[i]->size, expected[i].size);
    }
    EXPECT_EQ(boost::any_cast<unsigned>((*list)[1]->value), 7u);
    typedef std::map<int, std::string> Table;
    EXPECT_EQ(boost::any_cast<Table*>((*list)[6]->value), &event.table);
    EXPECT_EQ(boost::any_cast<const Json::Value*>((*list)[7]->value), &event.json);
}

TEST_F(EventFixture, FillingAgainFreesTheOldNodesAndHandsOutFreshValues)
{
    ParamList* first = event.fillParams();
    event.count = 5;
    event.name = "Xü"; // sized in bytes, not characters
    ParamList* second = event.fillParams();
    EXPECT_EQ(first, second);
    ASSERT_EQ(second->size(), 8u);
    EXPECT_EQ(boost::any_cast<int>((*second)[0]->value), 5);
    EXPECT_EQ((*second)[3]->size, 3);

    EmptyEvent empty(&page, &dispatcher);
    ParamList* none = empty.fillParams();
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->empty());
}

TEST_F(EventFixture, AMissingRequiredParameterLogsOnceAndEndsTheAction)
{
    page.set("level", 3); // "room" is missing, and read first
    event.callback(42);
    EXPECT_EQ(page.lastHandle, 42u);
    ASSERT_EQ(log.captured().size(), 1u);
    EXPECT_EQ(log.countCaptured("RoomPickEvent", "room paramNode is null"), 1u);
    EXPECT_EQ(log.captured()[0].severity, 6u);
    EXPECT_TRUE(dispatcher.raised.empty());
    EXPECT_EQ(event.level, -1);
}

TEST_F(EventFixture, AWrongTypedOrEmptyParameterIsLoggedAndEndsTheActionWithoutThrowing)
{
    page.set("room", 12); // an int where a name is read
    page.set("level", 3);
    EXPECT_NO_THROW(event.callback(1));
    EXPECT_EQ(log.countCaptured("RoomPickEvent", "room ParamNode type error"), 1u);

    page.set("room", std::string("r1"));
    page.set("level", boost::any()); // a node without a value
    event.callback(1);
    EXPECT_EQ(log.countCaptured("RoomPickEvent", "level ParamNode type error"), 1u);

    page.set("level", 3);
    page.set("show_name", true); // optional, but present with another type
    event.callback(1);
    EXPECT_EQ(log.countCaptured("RoomPickEvent", "show_name ParamNode type error"), 1u);
    EXPECT_EQ(log.captured().size(), 3u);
    EXPECT_TRUE(dispatcher.raised.empty());
}

TEST_F(EventFixture, AMissingOptionalParameterKeepsItsDefault)
{
    page.set("room", std::string("r1"));
    page.set("level", 3);
    event.callback(1);
    EXPECT_EQ(event.room, "r1");
    EXPECT_EQ(event.level, 3);
    EXPECT_EQ(event.showName, "default");
    EXPECT_EQ(dispatcher.raised, std::vector<int>({18}));
    EXPECT_TRUE(log.captured().empty());

    // Without a page every parameter is missing.
    RoomPickEvent orphan(nullptr, nullptr);
    orphan.callback(1);
    EXPECT_EQ(log.countCaptured("RoomPickEvent", "room paramNode is null"), 1u);
}

TEST(HallEvents, EachInstanceAnswersTheIdItWasGiven)
{
    FakePage page;
    FakeDispatcher dispatcher;
    HallListEvent friends(&page, &dispatcher, 29), arena(&page, &dispatcher, 33);
    EXPECT_EQ(friends.getEventId(), 29);
    EXPECT_EQ(arena.getEventId(), 33);
}

// A text comes from a file a translator edits: one typo must show as written, never write
// past a buffer (each of these did, or overflowed, or asked for gigabytes).
namespace {
struct Texts : zrk::BaseEvent {
    using zrk::BaseEvent::formatMsg;
};
} // namespace

TEST(FormatMsg, MalformedPatternsComeBackAsWrittenAndGoodOnesAreFilled)
{
    const std::vector<std::string> args{"rookie", "a ring"};
    const std::string thirtyDigits = "%123456789012345678901234567890%";
    for (const std::string& pattern :
         {std::string("%|%%"), std::string("%0_-"), std::string("%|1$2147483647|"), thirtyDigits,
          std::string("%|1$12345|"), std::string("100% sure %"), std::string("%|3$"), std::string("%|5000|%|5000|")}) {
        EXPECT_EQ(Texts::formatMsg(pattern, args), pattern);
        EXPECT_EQ(Texts::formatMsg(pattern, {}), pattern);
    }

    EXPECT_EQ(Texts::formatMsg("%1% offers %2%", args), "rookie offers a ring");
    EXPECT_EQ(Texts::formatMsg("%2% gets %1%", args), "a ring gets rookie");
    EXPECT_EQ(Texts::formatMsg("%s: %s", args), "rookie: a ring");
    EXPECT_EQ(Texts::formatMsg("[%|1$8|] 50%%", args), "[  rookie] 50%");
    EXPECT_EQ(Texts::formatMsg("%|2$9999|", args).size(), 9999u); // the widest a text may pad
    // Only the count of arguments may disagree with the text.
    EXPECT_EQ(Texts::formatMsg("%1% and %2%", {"one"}), "one and ");
    EXPECT_EQ(Texts::formatMsg("only %1%", {"a", "b"}), "only a");
    EXPECT_EQ(Texts::formatMsg("no placeholders", args), "no placeholders");
}
