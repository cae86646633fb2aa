#include <algorithm>
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <data/MsgChatCallback.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <memory>

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct RecordingState : core::ClientState {
    std::vector<std::string> entered;
    void onEnter(const std::string& params) override { entered.push_back(params); }
};

/// A room screen that records what reaches it.
struct RoomListener : core::MsgRoomCallback, core::MsgChatCallback {
    std::vector<std::string> seen;
    void onEnterRoom(const std::string& room, int code, const std::string&) override
    {
        seen.push_back("enter " + room + " " + std::to_string(code));
    }
    void onLeaveRoom(const std::string& room) override { seen.push_back("leave " + room); }
    void onMemberMessage(const std::string& room, const std::string& text, bool) override
    {
        seen.push_back(room + ": " + text);
    }
    void onMessage(const std::string& from, const std::string&, const std::string& text) override
    {
        seen.push_back("chat " + from + ": " + text);
    }
};

class SessionTest : public ::testing::Test {
protected:
    void loginHero()
    {
        int code = -1;
        session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
        session.update(0);
        ASSERT_EQ(code, 0);
    }
    ZRKSession session{ZRKGameServer::start("res/server")};
};

} // namespace

TEST_F(SessionTest, TeleportChangesTheClientStateThroughTheMachine)
{
    EXPECT_FALSE(session.teleport("", "room", "")); // no engine, no machine: nothing to change
    core::Engine engine;
    auto room = boost::make_shared<RecordingState>();
    auto newbie = boost::make_shared<RecordingState>();
    core::ClientStateMachine* machine = engine.getClientStateMachine();
    machine->addState("room", room);
    machine->addState("battle_newbie", newbie);

    session.teleportAdv("battle_newbie", "adv=0&prev=room");
    engine.update(0);
    EXPECT_EQ(machine->currentStateName(), "battle_newbie");
    ASSERT_EQ(newbie->entered.size(), 1u);
    EXPECT_EQ(newbie->entered[0], "adv=0&prev=room");

    EXPECT_TRUE(session.teleport("r1", "room", ""));
    EXPECT_FALSE(session.teleport("", "no_such_state", ""));
    engine.update(0);
    EXPECT_EQ(machine->currentStateName(), "room");
    EXPECT_EQ(session.getCurrentRoom(), "r1");
}

TEST_F(SessionTest, ConnectionSignalOnLossAndLogOutAndGoDeadQuits)
{
    std::vector<int> states;
    boost::signals2::scoped_connection c = session.subscribeToConnectionSignal([&](core::ISession* s, int state) {
        EXPECT_EQ(s, &session);
        states.push_back(state);
    });
    loginHero();
    session.dropConnection();
    EXPECT_FALSE(session.isOnline());
    session.dropConnection(); // already offline: told once
    ASSERT_EQ(states.size(), 1u);
    EXPECT_NE(states[0], 0);

    loginHero();
    core::Engine engine;
    session.goDead();
    EXPECT_FALSE(session.isOnline());
    EXPECT_EQ(states.size(), 2u);
    EXPECT_TRUE(core::DefaultFsmHelper::getSingleton().isQuitRequested());
}

TEST_F(SessionTest, LogOutDuringLogInMeansTheSlotNeverRuns)
{
    bool called = false;
    session.login("hero", "hero123", [&](core::ISession*, int) { called = true; });
    session.logout();
    session.update(0);
    session.update(0);
    EXPECT_FALSE(called);
    EXPECT_FALSE(session.isOnline());
}

TEST_F(SessionTest, RoomCallbacksGetTheirRoomsMessagesUntilTheyGo)
{
    loginHero();
    core::MsgClient* client = session.getMsgClient();
    const std::string addr = client->roomAddress("plains");
    EXPECT_EQ(addr, "plains@conference.zrk");
    EXPECT_EQ(client->roomAddress(addr), addr);
    EXPECT_EQ(session.undecorateRoomUser(addr + "/rookie"), "rookie");
    EXPECT_EQ(session.undecorateUser(session.decorateUser("rookie")), "rookie");

    RoomListener joined, elsewhere, scene;
    auto gone = std::make_unique<RoomListener>();
    session.addMsgRoomCallback(addr, &joined);
    session.addMsgRoomCallback(addr, &joined); // registered once
    session.addMsgRoomCallback(client->roomAddress("canyon"), &elsewhere);
    session.addMsgRoomCallback(addr, gone.get());
    session.setMsgRoomSceneCallback(&scene);

    session.enter("plains", "");
    client->receiveRoomMessage("plains", "hello");
    client->receiveUserMessage("rookie@zrk", "psst");
    EXPECT_TRUE(joined.seen.empty()); // arrivals wait for the frame
    gone.reset();                     // a screen that goes before its messages arrive
    session.update(0);
    session.update(0);
    EXPECT_EQ(joined.seen, (std::vector<std::string>{"plains: hello", "chat rookie@zrk: psst", "enter plains 0"}));
    EXPECT_EQ(scene.seen, joined.seen);
    EXPECT_EQ(elsewhere.seen, std::vector<std::string>{"chat rookie@zrk: psst"});
    const std::vector<std::string> members = session.getSiteInfo(addr).members;
    EXPECT_EQ(std::count(members.begin(), members.end(), addr + "/hero"), 1); // the hall's others may be there too

    session.removeMsgRoomCallback(&joined);
    session.leave("plains");
    session.update(0);
    EXPECT_EQ(joined.seen.size(), 3u);
    EXPECT_EQ(scene.seen.back(), "leave plains");
}

TEST_F(SessionTest, FailedRoomEntryNeverReadsAsAccepted)
{
    loginHero();
    RoomListener listener;
    session.addMsgRoomCallback(session.decorateRoom("r9"), &listener);
    session.getGameServer()->setModeFor("enter", ZRKGameServer::Fail);
    session.enter("r9", "");
    session.update(0);
    session.update(0);
    ASSERT_EQ(listener.seen.size(), 1u);
    EXPECT_EQ(listener.seen[0], "enter r9 1");
    EXPECT_TRUE(session.getSiteInfo(session.decorateRoom("r9")).members.empty());
}

TEST_F(SessionTest, SessionGoingAwayDropsPendingReplies)
{
    auto s = std::make_unique<ZRKSession>(ZRKGameServer::start("res/server"));
    bool called = false;
    s->login("hero", "hero123", [&](core::ISession*, int) { called = true; });
    s.reset();
    EXPECT_FALSE(called);
    EXPECT_EQ(ZRKRequestBroker::getSingletonPtr(), nullptr);
}

namespace {
/// A state whose scene hears the room messages from the moment it is entered.
struct SceneState : core::ClientState, core::MsgRoomCallback {
    ZRKSession* session = nullptr;
    std::vector<std::string> seen;
    void onEnter(const std::string&) override { session->setMsgRoomSceneCallback(this); }
    void onExit() override { session->setMsgRoomSceneCallback(nullptr); }
    void onEnterRoom(const std::string& room, int code, const std::string& params) override
    {
        seen.push_back("enter " + room + " " + std::to_string(code) + " " + params);
    }
    void onRoomReady(const std::string& room) override { seen.push_back("ready " + room); }
};
} // namespace

TEST_F(SessionTest, TheStateATeleportEntersHearsItsParametersThenThatTheRoomIsReady)
{
    core::Engine engine;
    auto battle = boost::make_shared<SceneState>();
    battle->session = &session;
    engine.getClientStateMachine()->addState("battle", battle);
    ASSERT_TRUE(session.teleport("b1", "battle", "bag=1&prev=room"));
    session.update(0);
    EXPECT_TRUE(battle->seen.empty()); // not entered yet
    engine.update(0);
    session.update(0);
    EXPECT_TRUE(battle->seen.empty()); // a frame later, never inside the change
    session.update(0);
    EXPECT_EQ(battle->seen, (std::vector<std::string>{"enter b1 0 bag=1&prev=room", "ready b1"}));
    session.update(0);
    EXPECT_EQ(battle->seen.size(), 2u); // once
    engine.getClientStateMachine()->shutdown();
}

TEST_F(SessionTest, ALogInGoesToTheServerTheSettingsNameAndOnlyTheBuiltInOneAnswers)
{
    core::BlackBoard board;
    ZRKLobby& lobby = session.getGameServer()->core().lobby();
    board.setString("kavri3D/app/net/Host", "127.0.0.2");
    board.setString("kavri3D/app/net/Port", "7140");
    int code = -1, calls = 0;
    auto slot = [&](core::ISession*, int c) {
        code = c;
        ++calls;
    };
    ASSERT_TRUE(session.login("hero", "hero123", slot));
    EXPECT_TRUE(session.isLoggingIn());
    EXPECT_FALSE(session.login("hero", "hero123", slot)); // one at a time, as ever
    EXPECT_EQ(calls, 0);                                  // told from the next frame
    session.update(0);
    session.update(0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(session.isOnline());
    EXPECT_FALSE(lobby.isOnline("hero"));
    EXPECT_TRUE(session.getBroker().history().empty()); // nothing went to the built-in server

    // Given up before the frame: the slot never runs.
    ASSERT_TRUE(session.login("hero", "hero123", slot));
    session.logout();
    session.update(0);
    EXPECT_EQ(calls, 1);

    board.setString("kavri3D/app/net/Host", "127.0.0.1");
    board.setString("kavri3D/app/net/Port", "0");
    loginHero();
    EXPECT_TRUE(lobby.isOnline("hero"));
}
