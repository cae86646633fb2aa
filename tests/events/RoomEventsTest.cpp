// The room events against the embedded server: joining by level band and password, opening a
// room by mode class, the room view's cards, the start's verdicts, the maps, and a kick that
// ends in the hall.
#include "EventsFixture.h"

#include <algorithm>
#include <core/TimerManager.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKBots.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRoomRequest.h>
#include <scene/PartShapes.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKRoster.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKGameServer.h>
#include <gui/MapInfList.h>
#include <gui/PlayerCard.h>
#include <gui/Room.h>
#include <json/reader.h>
#include <yake/Time.h>

#include "callbacks/FastJoinCallbackEvent.h"
#include "events/ChangeMapEvent.h"
#include "events/ChangeTeamEvent.h"
#include "events/LoginGoEvent.h"
#include "events/MapListEvent.h"
#include "events/PlayerLeaveEvent.h"
#include "events/PlayerStartEvent.h"
#include "events/PositionLockEvent.h"
#include "events/RoomCreateEvent.h"
#include "events/RoomFlow.h"
#include "events/RoomJoinEvent.h"
#include "events/RoomListenEvent.h"
#include "events/RoomLoadingEvent.h"
#include "events/TickPlayerEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct RoomFixture : EventsFixture {
    ZRKRoleRes roleRes;
    LoginGoEvent login{page, dispatcher};

    RoomFixture()
    {
        roleRes.load();
        enterState("logon");
        for (const char* state : {"room", "playerhall", "zrk_personalroom", "battle", "battle_newbie"})
            machine().addState(state, boost::make_shared<zrktest::RecordingState>());
        core::TimerManager::instance().clear();
        yake::native::setManualClock(true);
        setParam("username", std::string("hero"));
        setParam("password", std::string("hero123"));
        setParam("lock", true);
        act(login);
        frames(10);
        bool joined = false;
        ZRKServerRequest::joinZone(1, [&](bool error, const std::string&) { joined = !error; });
        frames(3);
        EXPECT_TRUE(joined);
        machine().changeState("playerhall");
        frames(1);
    }
    ~RoomFixture() override
    {
        RoleManager::destroyInstance();
        core::TimerManager::instance().clear();
        yake::native::setManualClock(false);
    }
    ZRKLobby& lobby() { return session->getGameServer()->core().lobby(); }
    std::string state() { return machine().currentStateName(); }
    static gui::Room roomRow(const std::string& name, int lv, bool password, int members = 1, int seats = 8)
    {
        gui::Room r;
        r.name = name.c_str();
        r.lv = lv;
        r.password = password;
        r.members = members;
        r.seats = seats;
        r.mode = 1;
        return r;
    }
    template <class T> static const T* value(gui::ParamList* list, const std::string& name)
    {
        for (const gui::ParamNode* n : *list)
            if (n->name == name)
                return boost::any_cast<T>(&n->value);
        return nullptr;
    }
    void createForm(int mode, const std::string& password, int seats = 4)
    {
        setParam("mode", mode);
        setParam("title", std::string("Hero's game"));
        setParam("password", password);
        setParam("place", std::string("1"));
        setParam("mebMax", seats);
        setParam("wind", true);
    }
    /// Opens a room of mode 1 with that many seats as the player, with a role on every seat;
    /// true once the player sits in it.
    bool openRoom(int seats)
    {
        for (const char* seat : RoomListenEvent::kSeatNames)
            RoleManager::instance().createRole(seat, nullptr);
        RoomCreateEvent create(page, dispatcher);
        createForm(1, "", seats);
        act(create);
        frames(4);
        return state() == "zrk_personalroom";
    }
    const ZRKRequestInfo* lastRequest(const std::string& op)
    {
        const auto& history = ZRKRequestBroker::getSingleton().history();
        for (auto it = history.rbegin(); it != history.rend(); ++it)
            if (it->op == op)
                return &*it;
        return nullptr;
    }
};

} // namespace

TEST_F(RoomFixture, TheLevelBandAsksOrRefusesAndTheBoxJoinsTheRoomItAskedAbout)
{
    int low = 0, high = 0;
    RoomJoinEvent::levelBand(12, Json::Value(), low, high);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(7, 17));
    Json::Value doc;
    doc["room_lv"][0][0] = 1;
    doc["room_lv"][0][1] = "high"; // not a pair of whole numbers: the default band
    RoomJoinEvent::levelBand(1, doc, low, high);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(1, 6));

    RoomJoinEvent join(page, dispatcher);
    // Hero (level 9, band [4, 14]) and the drill ground of level 1: asked first.
    setParam("room", roomRow("drill", 1, false));
    act(join);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_TRUE(frame.getOpenMessageBox()->choice);
    EXPECT_EQ(lastRequest("enter"), nullptr);
    EXPECT_TRUE(frame.pressMessageBoxButton(1)); // "no": nothing happens
    frames(2);
    EXPECT_EQ(lastRequest("enter"), nullptr);
    // A new choice ends the box still open; the second box, answered yes, joins what it asked about.
    act(join);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    setParam("room", roomRow("full", 40, false, 8, 8));
    act(join);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(frame.getOpenMessageBox()->choice); // the choice box went; the full room's box stands
    EXPECT_EQ(lastBox()->text, text("layout/room/text/tip3"));
    setParam("room", roomRow("drill", 1, false));
    act(join);
    ASSERT_TRUE(frame.pressMessageBoxButton(0));
    frames(4);
    EXPECT_EQ(state(), "zrk_personalroom");
    EXPECT_EQ(lobby().gameRoomOf("hero"), "drill");
    EXPECT_TRUE(*value<bool>(join.fillParams(), "isEnter"));
    // The beginners' cap: a level-2 player and a level-6 room.
    Json::Value pc;
    pc["pc_lv"] = 2;
    Json::Value views;
    views["pc"] = pc;
    session->getGameData().applyViews(views);
    setParam("room", roomRow("officers", 6, true));
    act(join);
    EXPECT_NE(lastBox()->text.find("6"), std::string::npos) << lastBox()->text;
}

TEST_F(RoomFixture, EntryAnswersRaiseEighteenAndThePasswordIsNeverLogged)
{
    RoomJoinEvent join(page, dispatcher);
    setParam("room", roomRow("officers", 5, true));
    setParam("room_pwd", std::string("brasss"));
    control->clearRaised();
    act(join);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("error/room_password_wrong"));
    EXPECT_EQ(count(control->raisedIds(), 18), 1u);
    EXPECT_FALSE(*value<bool>(join.fillParams(), "isEnter"));
    setParam("room", roomRow("nowhere", 5, false));
    act(join);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("error/room_no_access"));
    setParam("room", roomRow("officers", 5, true));
    setParam("room_pwd", std::string("brass"));
    act(join);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 18), 3u);
    EXPECT_EQ(state(), "zrk_personalroom");
    EXPECT_EQ(lobby().gameRoomOf("hero"), "officers");
    for (const yake::logging::LogRecord& r : log.captured())
        EXPECT_EQ(r.text.find("brass"), std::string::npos) << r.text;
}

TEST_F(RoomFixture, CreationBuildsItsRequestByModeClassAndEntersTheNewRoom)
{
    RoomCreateEvent create(page, dispatcher);
    // The tutorials start at once, the screens handed over.
    createForm(1002, "");
    act(create);
    frames(2);
    EXPECT_EQ(state(), "battle_newbie");
    EXPECT_EQ(session->getLastTeleport(), "battle_newbie");
    EXPECT_EQ(lastRequest("createRoom"), nullptr);
    machine().changeState("playerhall");
    frames(1);
    // Private PVE rooms: mode 9 on place 201 with its first or third dungeon; above 2000 on that place.
    for (int mode : {1003, 1004, 2005, 2000}) {
        createForm(mode, "");
        ZRKRequestBroker::getSingleton().clearHistory();
        act(create);
        const ZRKRequestInfo* sent = lastRequest("createRoom");
        ASSERT_NE(sent, nullptr);
        const Json::Value& tree = sent->args[0];
        EXPECT_EQ(tree["mode"].asString(), mode == 2000 ? "2000" : "9") << mode;
        EXPECT_EQ(tree["place"].asString(), mode == 2000 ? "1" : mode == 2005 ? "2005" : "201") << mode;
        EXPECT_EQ(tree["d_id"].asString(), mode == 1003 ? "1" : mode == 1004 ? "3" : "") << mode;
        EXPECT_EQ(tree.isMember("private"), mode != 2000) << mode;
        frames(3);
        const std::string made = lobby().gameRoomOf("hero");
        if (!made.empty())
            lobby().leave("hero", made);
        machine().changeState("playerhall");
        frames(2);
    }
    // Refused: the server's text for the GUI, 21 raised.
    control->clearRaised();
    createForm(1, "no spaces");
    act(create);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 21), 1u);
    EXPECT_EQ(*value<std::string>(create.fillParams(), "room_error"), text("error/password_format"));
    // Made and entered: the new room's values.
    createForm(1, "Secret42");
    act(create);
    frames(4);
    EXPECT_EQ(state(), "zrk_personalroom");
    const std::string made = lobby().gameRoomOf("hero");
    ASSERT_FALSE(made.empty());
    gui::ParamList* values = create.fillParams();
    EXPECT_EQ(*value<std::string>(values, "room_name"), made);
    EXPECT_EQ(*value<int>(values, "lmode"), 1);
    EXPECT_EQ(value<std::string>(values, "room_error"), nullptr);
    for (const yake::logging::LogRecord& r : log.captured())
        EXPECT_EQ(r.text.find("Secret42"), std::string::npos) << r.text;
}

TEST_F(RoomFixture, TheViewHandsOutTheCardsAndTheStartTurnsVerdictsIntoBoxes)
{
    EXPECT_EQ(RoomFlow::idFor(RoomFlow::View, 5), 37);
    EXPECT_EQ(RoomFlow::idFor(RoomFlow::Seats, 5), 0);
    EXPECT_EQ(RoomFlow::idFor(RoomFlow::Gone, 8), 101);
    EXPECT_EQ(RoomFlow::idFor(RoomFlow::Seats, 9), 92);
    RoomCreateEvent create(page, dispatcher);
    RoomListenEvent listen(page, dispatcher);
    EXPECT_EQ(RoomListenEvent::instance(), &listen);
    createForm(1, "", 4);
    act(create);
    frames(4);
    ASSERT_EQ(state(), "zrk_personalroom");
    setParam("uid", std::string("hero"));
    control->clearRaised();
    act(listen);
    frames(2);
    EXPECT_TRUE(RoomListenEvent::isListening());
    EXPECT_GE(count(control->raisedIds(), 38), 1u);
    gui::ParamList* values = listen.fillParams();
    const auto* cards = value<std::vector<gui::PlayerCard>>(values, "players");
    ASSERT_NE(cards, nullptr);
    ASSERT_EQ(cards->size(), 8u);
    EXPECT_TRUE((*cards)[0].occupied);
    EXPECT_TRUE((*cards)[0].owner);
    EXPECT_EQ(std::string((*cards)[0].nickname.c_str()), "Hero");
    EXPECT_FALSE((*cards)[1].occupied);
    EXPECT_EQ((*cards)[1].valueC, 1);
    EXPECT_FALSE((*cards)[1].slotOff);
    EXPECT_TRUE((*cards)[2].slotOff); // a room of four shuts the seats beyond
    EXPECT_EQ(*value<int>(values, "my_pos"), 0);
    EXPECT_EQ(*value<int>(values, "mapid"), 1);
    EXPECT_EQ(*value<std::string>(values, "owner"), "hero");
    // Poses that are no weapons are logged, nothing else.
    RoomListenEvent::showDemoPose("red1", "x+y");
    RoomListenEvent::showDemoPose("red1", "12+");

    PlayerStartEvent start(page, dispatcher);
    setParam("flags", 1);
    act(start);
    EXPECT_EQ(lastBox()->text, text("msg/player_team_equ"));
    for (int flags : {6, -1}) {
        setParam("flags", flags);
        act(start);
        EXPECT_EQ(lastBox()->text, text("error/unknow_wrong"));
    }
    EXPECT_EQ(lastRequest("beginGame"), nullptr);
    control->clearRaised();
    setParam("flags", 0); // the page's verdict, but the server knows he is alone
    act(start);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("msg/player_team_noperson"));
    EXPECT_EQ(count(control->raisedIds(), 42), 0u);

    MapListEvent maps(page, dispatcher);
    setParam("mode", 1);
    act(maps);
    EXPECT_EQ(count(control->raisedIds(), 62), 1u);
    const auto* list = value<std::vector<gui::MapInfList>>(maps.fillParams(), "maps");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[1].name, "Red Canyon");
    EXPECT_EQ((*list)[1].level, 5);
    EXPECT_EQ((*list)[2].name, "Far Shores"); // the news' new map, offered where Red Canyon is
    EXPECT_TRUE((*list)[2].spare.empty());    // no stages: a map of its own
    ChangeMapEvent change(page, dispatcher);
    setParam("mapinf", (*list)[1]);
    act(change);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 63), 1u);
    EXPECT_EQ(*value<int>(listen.fillParams(), "mapid"), 2);
    // A PVE change without its index sends nothing.
    setParam("mode", 9);
    act(change);
    EXPECT_EQ(lastRequest("changeMapPVE"), nullptr);
}

TEST_F(RoomFixture, PutOutOfTheRoomThePlayerEndsInTheHall)
{
    RoomJoinEvent join(page, dispatcher);
    RoomListenEvent listen(page, dispatcher);
    dispatcher->registerEvent(new PlayerLeaveEvent(page, dispatcher));
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", "officers", "brass"), ZRKLobby::Entered); // the owner
    setParam("room", roomRow("officers", 5, true));
    setParam("room_pwd", std::string("brass"));
    act(join);
    frames(3);
    ASSERT_EQ(state(), "zrk_personalroom");
    setParam("uid", std::string("hero"));
    act(listen);
    frames(2);
    ASSERT_TRUE(RoomListenEvent::isListening());
    const ZRKLobby::Room* officers = lobby().findRoom("officers");
    int seat = -1;
    for (int s = 0; s < ZRKLobby::kSeats; ++s)
        if (officers->seats[s] == "hero")
            seat = s;
    ASSERT_TRUE(lobby().kick("officers", "guest1", seat));
    frames(4);
    EXPECT_EQ(state(), "playerhall");
    EXPECT_FALSE(RoomListenEvent::isListening());
    EXPECT_EQ(listen.fillParams()->size(), 0u); // no room: nothing to show
}

TEST_F(RoomFixture, FailedHungAndGarbledRepliesLeaveEveryRoomEventStanding)
{
    ZRKGameServer* server = session->getGameServer();
    for (ZRKGameServer::Mode mode : {ZRKGameServer::Fail, ZRKGameServer::Garbage, ZRKGameServer::Hang}) {
        RoomCreateEvent create(page, dispatcher);
        RoomJoinEvent join(page, dispatcher);
        PlayerStartEvent start(page, dispatcher);
        ChangeMapEvent change(page, dispatcher);
        MapListEvent maps(page, dispatcher);
        server->setMode(mode);
        createForm(1, "Secret42");
        act(create);
        setParam("room", roomRow("officers", 5, true));
        setParam("room_pwd", std::string("brass"));
        act(join);
        setParam("flags", 0);
        act(start);
        gui::MapInfList map;
        map.mapId = 2;
        setParam("mapinf", map);
        setParam("mode", 1);
        act(change);
        act(maps);
        frames(4);
        EXPECT_EQ(state(), "playerhall") << ZRKGameServer::modeName(mode);
        (void)create.fillParams();
        (void)join.fillParams();
        (void)change.fillParams();
        (void)maps.fillParams();
        // The events go with requests still open: their late answers reach nothing.
    }
    server->setMode(ZRKGameServer::Answer);
    frames(4);
    for (const yake::logging::LogRecord& r : log.captured()) {
        EXPECT_EQ(r.text.find("Secret42"), std::string::npos) << r.text;
        EXPECT_EQ(r.text.find("brass"), std::string::npos) << r.text;
    }
}

TEST_F(RoomFixture, TheRoomsSignalsAfterTheListenerIsGoneReachNothing)
{
    ASSERT_TRUE(openRoom(4));
    {
        RoomListenEvent listen(page, dispatcher);
        setParam("uid", std::string("hero"));
        act(listen);
        frames(1);
    }
    EXPECT_EQ(RoomListenEvent::instance(), nullptr);
    // Seats change, the battle starts, the room goes: no listener hears any of it.
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", lobby().gameRoomOf("hero"), ""), ZRKLobby::Entered);
    lobby().setReady(lobby().gameRoomOf("hero"), "guest1", true);
    ASSERT_EQ(lobby().beginBattle(lobby().gameRoomOf("hero"), "hero", 3, 1), "");
    lobby().closeRoom(lobby().gameRoomOf("hero"));
    frames(4);
    EXPECT_EQ(state(), "zrk_personalroom"); // nobody moved the player
}

TEST_F(RoomFixture, SeatsWearTheServersOutfitsOrAGuestsLookAndLevelSlotsOnceItCame)
{
    EquipRes equipment;
    equipment.load();
    ASSERT_TRUE(openRoom(8));
    RoomListenEvent listen(page, dispatcher);
    setParam("uid", std::string("hero"));
    act(listen);
    frames(2);
    playFrames(12, 0.5); // the server's players come online
    const std::string name = lobby().gameRoomOf("hero");
    session->getGameServer()->core().bots().fillRoom(name, 7);
    frames(1);
    listen.fillParams(); // the cards are out: from now on only a look that comes re-dresses a seat
    frames(4);
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(room, nullptr);
    int accounts = 0, guests = 0;
    for (int seat = 1; seat < 8; ++seat) {
        boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(seat);
        if (!player)
            continue;
        ZRKRolePtr role = RoleManager::instance().getRole(RoomListenEvent::kSeatNames[seat]);
        const core::XmlConfigHelper settings = player->getUserSettings();
        const std::string look = settings.getIntVal("c_id", 0) == 1 ? "boy" : "girl";
        EXPECT_EQ(role->getLook(), look);
        EXPECT_EQ(equipment.getSeatEquipment(RoomListenEvent::kSeatNames[seat]), player->getEquipments());
        if (player->getUserInfo().getIntVal("a_id", 0) != 0) {
            ++accounts;
            EXPECT_FALSE(player->getEquipments().empty());
            // What the server says he wears, over the look's parts it leaves bare: a figure
            // with a head, never a lone suit.
            const core::EquipmentList worn = role->getEquipment();
            const core::EquipmentList named = player->getEquipments();
            ASSERT_GE(worn.size(), named.size());
            EXPECT_TRUE(std::equal(named.begin(), named.end(), worn.begin()));
            bool face = false, hair = false;
            for (const core::Equipment& e : worn) {
                const std::string slot = core::PartShapes::slotOf(e.getKind(), e.getItem());
                face = face || slot == "face";
                hair = hair || slot == "hair";
            }
            EXPECT_TRUE(face && hair) << RoomListenEvent::kSeatNames[seat];
            continue;
        }
        ++guests;
        // A guest: the parts of his default look (which came after his card), then his level slots.
        const core::XmlConfigHelper def =
            ZRKUserRequest::getUserDefState(player->getUserInfo().getStringVal("a_username", ""));
        ASSERT_FALSE(def.getStringVal("def_sex", "").empty());
        const Json::Value& parts = roleRes.getDefState()[look];
        std::vector<std::string> items;
        for (const char* part : {"hair", "face", "coat", "glove", "shoes"})
            items.push_back(parts[part][def.getIntVal(std::string("def_") + part, 0)].asString());
        EXPECT_EQ(role->getDefaultItems(), items) << seat;
        std::vector<int> slots;
        ZRKUserRequest::getBBRSlots(slots, settings.getIntVal("pc_id", 0), settings.getIntVal("pc_lv", 0));
        ASSERT_FALSE(slots.empty());
        for (std::size_t i = 0; i + 2 < slots.size(); i += 3)
            EXPECT_EQ(role->getSlotModels().at(ZRKRole::getSlotName(slots[i])), equipment.getModel(slots[i + 1]));
        EXPECT_EQ(player->getEquipments(), role->getEquipment()); // his outfit is the player's list now
    }
    EXPECT_GT(accounts + guests, 3);
    EXPECT_GT(guests, 0);
}

TEST_F(RoomFixture, AGuestsLookThatComesAfterTheListenerWentReachesNothing)
{
    ASSERT_TRUE(openRoom(8));
    {
        EquipRes equipment;
        RoomListenEvent listen(page, dispatcher);
        setParam("uid", std::string("hero"));
        act(listen);
        frames(1);
        session->getGameServer()->core().bots().fillRoom(lobby().gameRoomOf("hero"), 7);
        frames(1); // the seats are dressed and their looks asked for
    }
    frames(4);
    EXPECT_EQ(state(), "zrk_personalroom");
}

namespace {
std::pair<int, int> band(int level, const Json::Value& doc = Json::Value())
{
    int low = 0, high = 0;
    RoomJoinEvent::levelBand(level, doc, low, high);
    return {low, high};
}
} // namespace

TEST_F(RoomFixture, QuickJoinBandsHoldAtTheEdgesAndMalformedTablesGiveTheComputedBand)
{
    EXPECT_EQ(band(1), std::make_pair(1, 6));
    EXPECT_EQ(band(48), std::make_pair(43, 50));
    EXPECT_EQ(band(60), std::make_pair(55, 55));
    EXPECT_EQ(band(0), std::make_pair(1, 5));
    EXPECT_EQ(band(-2147483647 - 1), std::make_pair(1, 1)); // no wrap at the ends of an int
    EXPECT_EQ(band(1000000000), std::make_pair(999999995, 999999995));
    Json::Value doc;
    zrktest::parseJson(R"({"room_lv": [[1,3],[1,4],[2,9]]})", doc);
    EXPECT_EQ(band(3, doc), std::make_pair(2, 9));
    EXPECT_EQ(band(4, doc), std::make_pair(1, 9)); // above the table: computed
    for (const char* table : {R"({"room_lv": [[1,3],[1,4],[1]]})", R"({"room_lv": "x"})", R"({"room_lv": [1,1,1]})",
                              R"({"room_lv": [["a",2],["a",2],["a",2]]})", R"({"room_lv": {}})", R"([])"}) {
        Json::Value bad;
        ASSERT_TRUE(zrktest::parseJson(table, bad)) << table;
        EXPECT_EQ(band(3, bad), std::make_pair(1, 8)) << table;
    }
}

TEST_F(RoomFixture, QuickJoinOffersFoundRoomsWithinTheBandInOrderAndARowJoins)
{
    FastJoinCallbackEvent quick(page, dispatcher);
    // Found rooms as a reply may bring them: hero is level 9, band [4, 14].
    Json::Value views;
    zrktest::parseJson(R"({"roomsFind": [
        {"id": 5, "lv": 14, "occ": 3, "max": 6, "title": "edge \u00e9", "name": "r5", "mode": 2, "password": false, "fight": false},
        {"id": 6, "lv": 15, "name": "r6"}, {"id": 7, "lv": 3, "name": "r7"}, {"id": "x", "lv": "x", "name": 4},
        {"id": 8, "lv": 4, "name": "r8"}, 17, "room"]})",
                       views);
    session->getGameData().applyViews(views);
    const auto* rows = value<std::vector<gui::Room>>(quick.fillParams(), "room_lst");
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0].id, 5);
    EXPECT_EQ((*rows)[0].members, 3); // taken seats and size as found
    EXPECT_EQ((*rows)[0].seats, 6);
    EXPECT_EQ((*rows)[0].title, CEGUI::String(reinterpret_cast<const CEGUI::utf8*>("edge \xc3\xa9")));
    EXPECT_EQ((*rows)[0].mode, 2);
    EXPECT_FALSE((*rows)[0].password);
    EXPECT_FALSE((*rows)[0].fight);
    EXPECT_EQ((*rows)[1].id, 8);
    EXPECT_TRUE((*rows)[1].password); // missing: taken as locked and fighting
    EXPECT_TRUE((*rows)[1].fight);

    // A failed match raises the event all the same and leaves the list empty.
    session->getGameServer()->setModeFor("quickMatch", ZRKGameServer::Fail);
    control->clearRaised();
    act(quick);
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{106});
    EXPECT_TRUE(value<std::vector<gui::Room>>(quick.fillParams(), "room_lst")->empty());
    session->getGameServer()->clearModes();

    // A bot's waiting room of hero's level is found; locked and fighting rooms are not.
    ZRKLobby::RoomOffer offer;
    offer.title = "bots";
    offer.lv = 9;
    lobby().setOnline("Anvil", true, false);
    lobby().setOnline("Brisk", true, false);
    const std::string open = lobby().openRoom("Anvil", "plains", offer);
    offer.password = "secret";
    const std::string locked = lobby().openRoom("Brisk", "plains", offer);
    ASSERT_FALSE(open.empty());
    ASSERT_FALSE(locked.empty());
    control->clearRaised();
    act(quick);
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{106});
    rows = value<std::vector<gui::Room>>(quick.fillParams(), "room_lst");
    ASSERT_NE(rows, nullptr);
    std::vector<std::string> names;
    for (const gui::Room& r : *rows)
        names.push_back(r.name.c_str());
    EXPECT_NE(std::find(names.begin(), names.end(), open), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), locked), names.end());
    for (const gui::Room& r : *rows)
        if (r.name == open.c_str()) {
            RoomJoinEvent join(page, dispatcher);
            setParam("room", r);
            act(join);
            frames(4);
        }
    EXPECT_EQ(lobby().gameRoomOf("hero"), open);
}

TEST_F(RoomFixture, AQuickMatchAnsweredAfterTheEventIsGoneReachesNothing)
{
    {
        FastJoinCallbackEvent gone(page, dispatcher);
        act(gone);
    }
    control->clearRaised();
    frames(3);
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(RoomFixture, APrivateDungeonIsFoughtWithTheBagTheOwnAvatarNames)
{
    bool known = false;
    ZRKUserRequest::queryUserInfo("hero", true, [&](bool error, const std::string&) { known = !error; });
    frames(3);
    ASSERT_TRUE(known);
    ASSERT_TRUE(ZRKUserRequest::getAvatar());
    EXPECT_EQ(ZRKUserRequest::getAvatar()->getUserSettings().getIntVal("ca_id2", 0), 1);
    auto battle = boost::dynamic_pointer_cast<zrktest::RecordingState>(machine().getState("battle"));
    ASSERT_TRUE(battle);
    RoomCreateEvent create(page, dispatcher);
    createForm(1003, "");
    act(create);
    frames(4);
    EXPECT_EQ(state(), "battle");
    ASSERT_FALSE(battle->entered.empty());
    EXPECT_EQ(battle->entered.back(), "bag=1&set=1&prev=playerhall");
}

TEST_F(RoomFixture, TheRoomViewTellsItsModeAndAViewWithoutOneEndsThere)
{
    RoomLoadingEvent loading(page, dispatcher);
    setParams({{"room_id", 7}, {"room_name", std::string("plains_7")}, {"zone_name", std::string()}, {"room_mode", 9}});
    takeRaised();
    act(loading);
    EXPECT_EQ(takeRaised(), std::vector<int>{91});
    EXPECT_EQ(*value<int>(loading.fillParams(), "mode_name"), 9);
    // Another room's view without its mode: nothing raised, and no mode kept from the last room.
    setParams({{"room_id", 8}, {"room_name", std::string("plains_8")}, {"zone_name", std::string()}});
    act(loading);
    EXPECT_TRUE(takeRaised().empty());
    // The zone's hall is left once: coming back from a battle the player is no longer in it.
    const std::string zone = lobby().zoneOf("hero")->name;
    ASSERT_EQ(lobby().enter("hero", zone, ""), ZRKLobby::Entered);
    long entered = session->enter(zone, std::string());
    (void)entered;
    frames(3);
    ASSERT_TRUE(session->isIn(zone));
    ZRKRequestBroker::getSingleton().clearHistory();
    setParams({{"room_id", 8}, {"room_name", std::string("plains_8")}, {"zone_name", zone}, {"room_mode", 1}});
    act(loading);
    EXPECT_NE(lastRequest("leave"), nullptr);
    EXPECT_FALSE(session->isIn(zone));
    ZRKRequestBroker::getSingleton().clearHistory();
    act(loading);
    EXPECT_EQ(lastRequest("leave"), nullptr);
}

TEST_F(RoomFixture, SeatCardsMarkTheRostersFriends)
{
    ASSERT_TRUE(openRoom(2));
    const std::string name = lobby().gameRoomOf("hero");
    // rookie is on hero's roster, in the friend group (1); the roster comes to the client.
    std::string refusal;
    ASSERT_TRUE(ZRKRoster::put(session->getGameServer()->core().world(), "hero", "rookie", 1, refusal)) << refusal;
    bool asked = false;
    ZRKRosterRequest::queryMyRoster([&](bool error, const std::string&) { asked = !error; });
    frames(3);
    ASSERT_TRUE(asked);
    lobby().setOnline("rookie", true, false);
    ASSERT_EQ(lobby().enter("rookie", name, ""), ZRKLobby::Entered);
    frames(3);
    RoomListenEvent listen(page, dispatcher);
    setParams({{"uid", std::string("hero")}});
    act(listen);
    frames(2);
    const auto* cards = value<std::vector<gui::PlayerCard>>(listen.fillParams(), "players");
    ASSERT_NE(cards, nullptr);
    ASSERT_EQ(cards->size(), 8u);
    int rookieFlag = -1, heroFlag = -1;
    for (std::size_t seat = 0; seat < cards->size(); ++seat)
        if ((*cards)[seat].occupied)
            (seat == 0 ? heroFlag : rookieFlag) = (*cards)[seat].friendFlag;
    EXPECT_EQ(rookieFlag, 1);
    EXPECT_EQ(heroFlag, 0);
}

TEST_F(RoomFixture, RefusedTeamLockAndKickSayTheServersTrueReasonAndRaiseNothing)
{
    ASSERT_TRUE(openRoom(2)); // seats 0 (hero) and 4 open, the rest shut
    const std::string name = lobby().gameRoomOf("hero");
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::Entered);
    ChangeTeamEvent team(page, dispatcher);
    PositionLockEvent lock(page, dispatcher);
    TickPlayerEvent kick(page, dispatcher);
    control->clearRaised();
    act(team);
    frames(3);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->text, text("error/room_team_full"));
    setParams({{"isLock", false}, {"pos", 4}});
    act(lock);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("error/room_seat_taken"));
    setParams({{"pos", 1}});
    act(kick);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("error/room_seat_empty")); // he owns the room: the seat is the reason
    for (int id : {44, 45, 46})
        EXPECT_EQ(count(control->raisedIds(), id), 0u) << id;
    // What goes through raises its id and shows nothing more.
    const std::size_t boxes = frame.getMessageBoxes().size();
    setParams({{"pos", 4}});
    act(kick);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 45), 1u);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes);
}

TEST_F(RoomFixture, ARoomOfEveryOfferedModeIsEnteredStartedAndLeftBackToTheHall)
{
    for (const char* seat : RoomListenEvent::kSeatNames)
        RoleManager::instance().createRole(seat, nullptr);
    dispatcher->registerEvent(new PlayerLeaveEvent(page, dispatcher));
    auto* leave = dynamic_cast<PlayerLeaveEvent*>(control->findEvent(40));
    ASSERT_NE(leave, nullptr);
    lobby().setOnline("guest1", true, false);
    for (int mode : {1, 2, 3, 8, 9}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        RoomCreateEvent create(page, dispatcher);
        RoomListenEvent listen(page, dispatcher);
        createForm(mode, "", 2);
        setParam("place", std::string(mode == 9 ? "201" : "1"));
        act(create);
        frames(4);
        ASSERT_EQ(state(), "zrk_personalroom");
        const std::string name = lobby().gameRoomOf("hero");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(*value<int>(create.fillParams(), "mode"), mode);
        setParams({{"uid", std::string("hero")}});
        act(listen);
        frames(2);
        // The seats are told by the mode's own id, with the owner seated.
        control->clearRaised();
        ASSERT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::Entered);
        lobby().setReady(name, "guest1", true);
        frames(3);
        EXPECT_GE(count(control->raisedIds(), RoomFlow::idFor(RoomFlow::Seats, mode)), 1u);
        const auto* cards = value<std::vector<gui::PlayerCard>>(listen.fillParams(), "players");
        ASSERT_NE(cards, nullptr);
        EXPECT_TRUE((*cards)[0].owner && (*cards)[0].occupied);
        EXPECT_EQ(*value<int>(listen.fillParams(), "mapid"), mode == 9 ? 201 : 1);
        // Started: the client goes into the battle.
        PlayerStartEvent start(page, dispatcher);
        setParams({{"flags", 0}});
        act(start);
        frames(4);
        EXPECT_EQ(state(), "battle");
        // Back in the room, then out: the room goes with its maker and the mode's "gone" leads to
        // the hall (the page answers 101 and 93 with the leave's values, as 40 is answered).
        machine().changeState("zrk_personalroom");
        frames(1);
        bool back = false;
        ZRKRoomRequest::backFromBattle(name, [&](bool error, const std::string&) { back = !error; });
        frames(3);
        ASSERT_TRUE(back);
        control->clearRaised();
        setParams({{"room_name", name}});
        act(*leave);
        frames(4);
        EXPECT_EQ(lobby().findRoom(name), nullptr);
        EXPECT_EQ(count(control->raisedIds(), RoomFlow::idFor(RoomFlow::Gone, mode)), 1u);
        if (mode == 8 || mode == 9)
            leave->fillParams();
        frames(2);
        EXPECT_EQ(state(), "playerhall");
        EXPECT_EQ(lobby().gameRoomOf("hero"), "");
    }
}

TEST_F(RoomFixture, ASeatsNicknameReachesTheCardAsWellFormedText)
{
    ASSERT_TRUE(openRoom(2));
    const std::string name = lobby().gameRoomOf("hero");
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::Entered);
    frames(3);
    RoomListenEvent listen(page, dispatcher);
    setParams({{"uid", std::string("hero")}});
    act(listen);
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(room, nullptr);
    const int seat = room->getSeatOf("guest1");
    ASSERT_GE(seat, 0);
    Json::Value card;
    card["settings"]["pc_nickname"] = "Ann\xC3"; // cut in the middle of a letter
    room->getPlayer(seat)->apply(card);
    const auto* cards = value<std::vector<gui::PlayerCard>>(listen.fillParams(), "players");
    ASSERT_NE(cards, nullptr);
    EXPECT_EQ(std::string((*cards)[static_cast<std::size_t>(seat)].nickname.c_str()), "Ann\xEF\xBF\xBD");
}
