// The lobby's events against the embedded server: the area list and its level limits, entering
// a zone, the hall's room order, its players and its chat.
#include "EventsFixture.h"

#include <core/TimerManager.h>
#include <data/MsgClient.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKServerRequest.h>
#include <gui/AreaData.h>
#include <gui/ChannelType.h>
#include <gui/Room.h>
#include <gui/RoleAttr.h>
#include <yake/Time.h>
#include <yake/Vector.h>

#include "events/AreaGoEvent.h"
#include "events/AreaLoadingEvent.h"
#include "events/AreaRandomMembersEvent.h"
#include "events/BattleSendMsgEvent.h"
#include "events/ChatLoadingEvent.h"
#include "events/ChatMsgListenEvent.h"
#include "events/ChatSendMsgEvent.h"
#include "events/HallEixtEvent.h"
#include "events/HallFriendListMgr.h"
#include "events/HallFriendListRefeshEvent.h"
#include "events/HallRoomListRefeshEvent.h"
#include "events/LoginGoEvent.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct LobbyFixture : EventsFixture {
    LoginGoEvent login{page, dispatcher};
    boost::shared_ptr<zrktest::RecordingState> room, hall;

    LobbyFixture()
    {
        enterState("logon");
        room = boost::make_shared<zrktest::RecordingState>();
        hall = boost::make_shared<zrktest::RecordingState>();
        machine().addState("room", room);
        machine().addState("playerhall", hall);
        core::TimerManager::instance().clear();
        yake::native::setManualClock(true);
    }
    ~LobbyFixture() override
    {
        core::TimerManager::instance().clear();
        yake::native::setManualClock(false);
    }
    bool logged(const std::string& text) const
    {
        for (const yake::logging::LogRecord& r : log.captured())
            if (r.text.find(text) != std::string::npos)
                return true;
        return false;
    }
    void logIn() { logInAsHero(login); }
    ZRKGameData& data() { return session->getGameData(); }
    void setView(const std::string& name, const Json::Value& value)
    {
        Json::Value views;
        views[name] = value;
        data().applyViews(views);
    }
    std::vector<int> raised() { return control->raisedIds(); }
    template <class T> static std::vector<const T*> values(gui::ParamList* list, const std::string& name)
    {
        std::vector<const T*> out;
        for (const gui::ParamNode* n : *list)
            if (n->name == name)
                out.push_back(boost::any_cast<T>(&n->value));
        return out;
    }
    static Json::Value roomRecord(int id, bool fight, int lv, int mode)
    {
        Json::Value r;
        r["id"] = id;
        r["fight"] = fight;
        r["lv"] = lv;
        r["mode"] = mode;
        r["password"] = false;
        r["g_war"] = false;
        return r;
    }
};

} // namespace

TEST_F(LobbyFixture, TheAreaListsTheZonesAndEntersOneWithinItsLimit)
{
    logIn();
    AreaLoadingEvent loading(page, dispatcher);
    AreaGoEvent go(page, dispatcher);
    act(loading);
    frames(3);
    EXPECT_EQ(count(raised(), 14), 1u);
    gui::ParamList* zones = loading.fillParams();
    ASSERT_EQ(zones->size(), 4u);
    EXPECT_EQ(zones->front()->name, "a1");
    const gui::AreaData* plains = boost::any_cast<gui::AreaData>(&zones->front()->value);
    ASSERT_NE(plains, nullptr);
    EXPECT_EQ(plains->zoneName, "plains");
    EXPECT_EQ(zones->front()->size, static_cast<int>(sizeof(gui::AreaData)));
    const gui::AreaData* rookies = boost::any_cast<gui::AreaData>(&(*zones)[2]->value);
    ASSERT_NE(rookies, nullptr);
    EXPECT_EQ(rookies->levelLimit, 10);

    // A level-11 player is refused "rookies" without asking the server; level 10 gets in.
    setView("pc", [] {
        Json::Value pc;
        pc["pc_lv"] = 11;
        return pc;
    }());
    control->clearRaised();
    setParam("z_id", rookies->zoneId);
    setParam("cryRoomName", std::string("rookies_cry"));
    act(go);
    EXPECT_EQ(count(raised(), 13), 1u);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_NE(lastBox()->text.find("10"), std::string::npos);
    EXPECT_TRUE(ZRKRequestBroker::getSingleton().unanswered().empty());
    setView("pc", [] {
        Json::Value pc;
        pc["pc_lv"] = 10;
        return pc;
    }());
    act(go);
    frames(5);
    EXPECT_EQ(machine().currentStateName(), "playerhall");
    EXPECT_EQ(values<std::string>(go.fillParams(), "zone_name").front()
                  ? *values<std::string>(go.fillParams(), "zone_name").front()
                  : "",
              "rookies");
    EXPECT_EQ(ZRKServerRequest::getServer()->getCurrentZone().getStringVal("name", ""), "rookies");
}

TEST_F(LobbyFixture, AZoneWithoutLimitAdmitsAnyLevelAndNoCryRoomIsEntered)
{
    logIn();
    AreaGoEvent go(page, dispatcher);
    Json::Value zones(Json::arrayValue);
    for (int i = 1; i <= 101; ++i) {
        Json::Value z;
        z["z_id"] = i;
        z["z_name"] = "zone" + std::to_string(i);
        z["pc_level"] = i == 1 ? 0 : 10;
        zones.append(z);
    }
    setView("zones", zones);
    AreaLoadingEvent loading(page, dispatcher);
    gui::ParamList* list = loading.fillParams();
    ASSERT_EQ(list->size(), 101u);
    EXPECT_EQ(list->back()->name, "a101");

    setView("pc", [] {
        Json::Value pc;
        pc["pc_lv"] = 60;
        return pc;
    }());
    setParam("z_id", 1); // pc_level 0 here; the server's zone 1 ("plains") has none either
    act(go);
    frames(5);
    EXPECT_EQ(machine().currentStateName(), "playerhall");
    for (const ZRKRequestInfo& r : ZRKRequestBroker::getSingleton().history())
        EXPECT_FALSE(r.op == "enter" && r.params.find("_cry") != std::string::npos) << "no cry room was named";

    // Missing or wrong-typed z_id: logged, nothing sent.
    const std::size_t sent = ZRKRequestBroker::getSingleton().history().size();
    setParam("z_id", std::string("1"));
    act(go);
    EXPECT_EQ(ZRKRequestBroker::getSingleton().history().size(), sent);
    EXPECT_TRUE(logged("z_id ParamNode type error"));
}

TEST_F(LobbyFixture, TheAreaShowsPlayersAboutOnTheFirstArrivalBeforeAnyRoom)
{
    logIn();
    playFrames(20, 1.0); // the server's own players come into the zones
    ASSERT_EQ(ZRKRoomRequest::getRoomState(std::string(), false, false), nullptr); // in no room yet
    AreaRandomMembersEvent members(page, dispatcher);
    control->clearRaised();
    act(members);
    frames(3);
    EXPECT_EQ(count(raised(), 15), 1u);
    gui::ParamList* filled = members.fillParams();
    ASSERT_EQ(filled->size(), 1u);
    const auto* roles = values<std::vector<gui::RoleAttr>>(filled, "roles").front();
    ASSERT_NE(roles, nullptr);
    ASSERT_FALSE(roles->empty());
    EXPECT_EQ(roles->size(), data().server().getZoneRandomMembers().size());
    for (const gui::RoleAttr& role : *roles) {
        EXPECT_NE(role.member_name, "hero");
        EXPECT_FALSE(role.pc_nickname.empty()) << role.member_name;
    }

    // On a screen that is no room, the reply shows nothing.
    enterState("zrk_createchar");
    control->clearRaised();
    act(members);
    frames(3);
    EXPECT_EQ(count(raised(), 15), 0u);
}

TEST_F(LobbyFixture, ABurstOfMembershipChangesRefreshesThePlayersOnce)
{
    logIn();
    HallFriendListMgr manager(page, dispatcher);
    HallFriendListRefeshEvent list30(page, dispatcher, 30);
    {
        auto go = std::make_unique<AreaGoEvent>(page, dispatcher);
        setParam("z_id", 1);
        act(*go);
        frames(5);
        ASSERT_EQ(machine().currentStateName(), "playerhall");
        ZRKServer& server = data().server();
        control->clearRaised();
        server.onRoomMember("plains", "a", true);
        yake::native::advanceTime(0.03);
        server.onRoomMember("plains", "b", true);
        yake::native::advanceTime(0.03);
        server.onRoomMember("plains", "a", false);
        EXPECT_TRUE(go->isRefreshPending());
        yake::native::advanceTime(0.2);
        core::TimerManager::instance().update();
        EXPECT_EQ(count(raised(), 30), 1u);
        EXPECT_FALSE(go->isRefreshPending());
        // Gone with its timer pending: nothing reaches it.
        server.onRoomMember("plains", "c", true);
        ASSERT_TRUE(go->isRefreshPending());
    }
    yake::native::advanceTime(0.2);
    core::TimerManager::instance().update();
    data().server().onRoomMember("plains", "d", true); // its connection went with it
    EXPECT_EQ(core::TimerManager::instance().pending(), 0u);
}

TEST_F(LobbyFixture, ThreeMembersTwoAvatarsAndTheArenaList)
{
    logIn();
    HallFriendListMgr manager(page, dispatcher);
    HallFriendListRefeshEvent list(page, dispatcher, 34);
    setView("zone", [] {
        Json::Value z;
        z["name"] = "plains";
        return z;
    }());
    core::MsgClient* client = session->getMsgClient();
    for (const char* who : {"ann", "bob", "cy"})
        client->receiveMemberJoin(session->decorateRoom("plains"), session->decorateRoom("plains") + "/" + who);
    Json::Value views;
    views["userInfo/ann"]["pc_nickname"] = "Ann";
    views["userInfo/cy"]["pc_nickname"] = "Cy";
    data().applyViews(views);
    ASSERT_TRUE(HallFriendListMgr::rebuildFromZone());
    gui::ParamList* filled = list.fillParams();
    ASSERT_EQ(filled->size(), 2u);
    const auto* roles = values<std::vector<gui::RoleAttr>>(filled, "roles").front();
    const auto* members = values<yake::Vector<std::string>>(filled, "members").front();
    ASSERT_TRUE(roles && members);
    EXPECT_EQ(*members, (yake::Vector<std::string>{"ann", "bob", "cy"}));
    ASSERT_EQ(roles->size(), 2u);
    EXPECT_EQ((*roles)[0].pc_nickname, "Ann");
    EXPECT_EQ((*roles)[1].member_name, "cy");
    EXPECT_EQ((*filled)[0]->size, 2);
    EXPECT_EQ((*filled)[1]->size, 3);

    // Asked for names: 30 outside an arena whatever the list's own id, 34 inside one.
    control->clearRaised();
    gui::ParamNode uids;
    uids.name = "uid_lst";
    uids.value = yake::Vector<std::string>{"bob"};
    control->setPageParam(kLogin, uids);
    act(list);
    frames(3);
    EXPECT_EQ(count(raised(), 30), 1u);
    EXPECT_EQ(count(raised(), 34), 0u);
    setView("zone", [] {
        Json::Value z;
        z["name"] = "plains";
        z["arena"] = true;
        return z;
    }());
    act(list);
    frames(3);
    EXPECT_EQ(count(raised(), 34), 1u);
}

TEST_F(LobbyFixture, RoomsAreOrderedIdleFirstThenLevelModeAndId)
{
    logIn();
    HallRoomListRefeshEvent refresh(page, dispatcher, 20);
    Json::Value rooms(Json::arrayValue);
    rooms.append(roomRecord(1, true, 1, 1));   // fighting: last
    rooms.append(roomRecord(2, false, 30, 1)); // idle, high level
    rooms.append(roomRecord(3, false, 5, 3));
    rooms.append(roomRecord(4, false, 5, 9));
    rooms.append(roomRecord(5, false, 5, 1));
    rooms.append(roomRecord(7, false, 5, 42)); // outside the table: ranks 0
    rooms.append(roomRecord(6, false, 5, 0));
    Json::Value bare;
    bare["id"] = 8;
    bare["max"] = 8;
    bare["occ"] = 5;
    bare["meb"] = 3;
    rooms.append(bare); // no fight, password or g_war: fighting, locked, a guild war
    setView("rooms", rooms);
    std::vector<int> order;
    const auto rows = values<gui::Room>(refresh.fillParams(), "room");
    for (const gui::Room* r : rows)
        order.push_back(r->id);
    EXPECT_EQ(order, (std::vector<int>{6, 7, 5, 4, 3, 2, 8, 1})); // 8 has level 0
    const gui::Room* last = rows[6];
    EXPECT_TRUE(last->password && last->fight && last->g_war);
    EXPECT_EQ(last->members, 3);
    EXPECT_EQ(last->seats, 6);

    // Against the server: the plains' rooms, then 20 raised.
    setParam("z_id", 1);
    AreaGoEvent go(page, dispatcher);
    act(go);
    frames(5);
    yake::native::advanceTime(120);
    frames(3);
    control->clearRaised();
    act(refresh);
    frames(3);
    EXPECT_EQ(count(raised(), 20), 1u);
}

TEST_F(LobbyFixture, RoomsWithCutTitlesAndOverflowingCountsReadSafely)
{
    logIn();
    HallRoomListRefeshEvent refresh(page, dispatcher, 20);
    Json::Value rooms(Json::arrayValue);
    Json::Value r;
    r["id"] = 1;
    r["title"] = "ab\xE4\xB8"; // a character cut at the end
    r["name"] = "\xF0\x9F";    // and a name that is nothing but one
    r["max"] = 2147483647;
    r["occ"] = -2147483647 - 1;
    r["meb"] = 2147483647;
    rooms.append(r);
    setView("rooms", rooms);
    const auto rows = values<gui::Room>(refresh.fillParams(), "room");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->title.length(), 3u);
    EXPECT_EQ(std::string(rows[0]->title.c_str()), "ab\xEF\xBF\xBD");
    EXPECT_EQ(rows[0]->name.length(), 1u);
    EXPECT_EQ(rows[0]->seats, 2147483647); // held at the limit, never wrapped below zero
}

TEST_F(LobbyFixture, LeavingTheHallLeavesItsRoomsAndGoesBackToTheAreas)
{
    logIn();
    enterState("playerhall");
    HallEixtEvent leave(page, dispatcher, 23);
    act(leave); // no zone_name
    EXPECT_TRUE(logged("zone_name paramNode is null"));
    EXPECT_EQ(count(raised(), 23), 0u);
    setParam("zone_name", std::string("plains"));
    act(leave);
    EXPECT_EQ(count(raised(), 23), 1u);
    frames(2);
    EXPECT_EQ(machine().currentStateName(), "room");
}

TEST_F(LobbyFixture, ChatSendsOnRoomChannelsAndToOnePlayer)
{
    logIn();
    ChatSendMsgEvent send(page, dispatcher);
    setParam("string", std::string("hello"));
    setParam("rid", std::string("plains"));
    core::MsgClient* client = session->getMsgClient();
    for (int channel : {1, 2, 16, 32, 4, 3, 64}) {
        const std::size_t before = client->sent().size();
        control->clearRaised();
        setParam("channel", static_cast<gui::ChannelType>(channel));
        act(send);
        const bool room = channel == 1 || channel == 2 || channel == 16 || channel == 32;
        EXPECT_EQ(client->sent().size(), before + (room ? 1 : 0)) << channel;
        EXPECT_EQ(count(raised(), 27), room ? 1u : 0u) << channel;
    }
    setParam("channel", gui::ChannelPrivate);
    setParam("toUid", std::string(""));
    act(send);
    EXPECT_FALSE(*values<bool>(send.fillParams(), "success").front());
    setParam("toUid", std::string("Anvil"));
    act(send);
    EXPECT_TRUE(*values<bool>(send.fillParams(), "success").front());
    EXPECT_EQ(client->sent().back().to, session->decorateUser("Anvil"));
}

TEST_F(LobbyFixture, TheListenerHandsOutEachLineAndLeavesTheSessionWithTheEvent)
{
    logIn();
    {
        ChatMsgListenEvent listen(page, dispatcher);
        setParam("isRemoveListen", true);
        setParam("currentrid", std::string("plains"));
        setParam("guild_name", std::string(""));
        setParam("cry_name", std::string("plains_cry"));
        act(listen);
        EXPECT_EQ(session->getMsgClient()->callbackCount(session->decorateRoom("plains")), 1u);
        session->getMsgClient()->receiveRoomMessage(session->decorateRoom("plains"), std::string(10000, 'x'));
        frames(1);
        EXPECT_EQ(count(raised(), 26), 1u);
        EXPECT_EQ(values<std::string>(listen.fillParams(), "json").front()->size(), 10000u);
    }
    EXPECT_EQ(session->getMsgClient()->callbackCount(session->decorateRoom("plains")), 0u);
    session->getMsgClient()->receiveRoomMessage(session->decorateRoom("plains"), "late");
    frames(1); // nothing reaches the event that went
}

TEST_F(LobbyFixture, ChatLoadingKeepsTheZoneWithoutARoomName)
{
    logIn();
    ChatLoadingEvent chat(page, dispatcher);
    setView("zone", [] {
        Json::Value z;
        z["name"] = "plains";
        return z;
    }());
    act(chat); // no canuse
    EXPECT_TRUE(logged("canuse paramnode is null"));
    setParam("canuse", 1);
    act(chat);
    EXPECT_EQ(count(raised(), 25), 1u);
    gui::ParamList* list = chat.fillParams();
    EXPECT_EQ(*values<std::string>(list, "room_name").front(), "plains");
    EXPECT_EQ(*values<int>(list, "idle").front(), 5);
}
