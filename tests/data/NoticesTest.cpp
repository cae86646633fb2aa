// What the server pushes unasked reaches the game on the frame thread, in order: through the
// room callbacks, the message client and the room's state object, which a late subscriber
// still hears. What the game says reaches the server and comes back to whoever is meant.
#include <gtest/gtest.h>

#include <data/MsgChatCallback.h>
#include <data/MsgRoomCallback.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKLobby.h>
#include <data/ZRKNotice.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKTransport.h>
#include <tinyxml.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// Everything that reaches the game, in one list, in the order it arrived.
struct Arrivals : core::MsgRoomCallback, core::MsgChatCallback {
    std::vector<std::string> seen;
    void onEnterRoom(const std::string& room, int code, const std::string&) override
    {
        seen.push_back("enter " + room + " " + std::to_string(code));
    }
    void onLeaveRoom(const std::string& room) override { seen.push_back("left " + room); }
    void onMemberJoin(const std::string&, const std::string& member, bool self) override
    {
        seen.push_back("join " + member + (self ? " (me)" : ""));
    }
    void onMemberLeave(const std::string&, const std::string& member) override { seen.push_back("leave " + member); }
    void onMemberPresence(const std::string& member) override { seen.push_back("presence " + member); }
    void onMemberMessage(const std::string&, const std::string& text, bool self) override
    {
        seen.push_back(std::string(self ? "I said " : "said ") + text);
    }
    void onRoomInfo(const std::string& room, const TiXmlNode* node) override
    {
        const TiXmlElement* e = node ? node->ToElement() : nullptr;
        seen.push_back("info " + room + " " + (e && e->Attribute("title") ? e->Attribute("title") : "?"));
    }
    void onMessage(const std::string& from, const std::string&, const std::string& text) override
    {
        seen.push_back("chat " + from + ": " + text);
    }
    void handleSpecialEvent(const TiXmlNode* node) override
    {
        const TiXmlElement* e = node ? node->ToElement() : nullptr;
        seen.push_back(std::string("special ") + (e ? e->Value() : "?") + " from " +
                       (e && e->Attribute("from") ? e->Attribute("from") : "?"));
    }
};

class NoticesTest : public zrktest::HeroOnServer {
protected:
    NoticesTest()
    {
        config.bots = 3; // Anvil, Brisk and Cobalt, in the world but not about yet: the clock stands
        startServer();
        session->setMsgRoomSceneCallback(&arrivals);
        logInHero(1);
    }
    ZRKLobby& lobby() { return server->core().lobby(); }
    /// Enters the room and ticks until the answer is in.
    void enter(const std::string& room, const std::string& password = std::string())
    {
        core::XmlConfigHelper entry;
        entry.setStringVal("password", password);
        session->enter(room, entry);
        tick(2);
    }

    datatest::ManualClock clock;
    Arrivals arrivals;
};

/// The signals of a room state, written down as they fire.
struct RoomSignals {
    std::vector<std::string> seen;
    boost::signals2::scoped_connection params, state, players, destroyed;
    void follow(ZRKRoomState& room, bool now)
    {
        params = room.subscribeToParamSignal(
            [this](bool first, bool dress) {
                seen.push_back(std::string("params") + (first ? " first" : "") + (dress ? " dress" : ""));
            },
            now);
        state = room.subscribeToRoomStateSignal(
            [this, &room](core::XmlConfigHelper& next) {
                seen.push_back("state " + std::to_string(room.getState().getIntVal("state", -1)) + " to " +
                               std::to_string(next.getIntVal("state", -1)));
            },
            now);
        players = room.subscribeToPlayerStateSignal(
            [this](const std::string& name, int bits) {
                seen.push_back("player " + name + " " + std::to_string(bits));
            },
            now);
        destroyed = room.subscribeToDestroySignal([this]() { seen.push_back("destroyed"); });
    }
};

} // namespace

TEST_F(NoticesTest, EnteringARoomBuildsItsStateOnceAndALateSubscriberStillHearsIt)
{
    ASSERT_TRUE(session->isOnline());
    lobby().enter("Anvil", "drill", ""); // another player is there first, and its host
    enter("drill");
    const std::string drill = session->decorateRoom("drill");
    EXPECT_EQ(arrivals.seen, (std::vector<std::string>{"join " + drill + "/Anvil", "info " + drill + " Drill ground",
                                                       "join " + drill + "/hero (me)", "enter drill 0"}));
    ZRKRoomState* room = ZRKRoomRequest::getRoomState("", false, false);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room, getZRKRoomState());
    EXPECT_EQ(room->getRoomName(), "drill");
    EXPECT_EQ(room->getModerator(), "Anvil");
    EXPECT_EQ(room->getSeatOf("Anvil"), 0);
    EXPECT_EQ(room->getSeatOf("hero"), 4); // the other side, which had fewer
    EXPECT_EQ(room->getParams().getIntVal("mode", 0), 1);
    ASSERT_TRUE(room->getSelfState());
    EXPECT_EQ(room->getSelfState()->getUserSettings().getStringVal("pc_nickname", ""), "Hero");
    EXPECT_EQ(room->getPlayer(0)->getUserInfo().getIntVal("a_id", -1), 0); // one of the server's own

    // Subscribed after it all arrived: told on the next frame, never inside the call.
    RoomSignals late;
    late.follow(*room, true);
    EXPECT_TRUE(late.seen.empty());
    tick();
    EXPECT_EQ(late.seen,
              (std::vector<std::string>{"params first dress", "state 1 to 1", "player Anvil 3", "player hero 3"}));
    tick();
    EXPECT_EQ(late.seen.size(), 4u); // once
}

TEST_F(NoticesTest, RoomChangesArriveInOrderOnTheFrameAndChangeTheStateInPlace)
{
    enter("drill");
    ZRKRoomState* room = getZRKRoomState();
    ASSERT_NE(room, nullptr);
    RoomSignals signals;
    signals.follow(*room, false);
    arrivals.seen.clear();
    boost::shared_ptr<ZRKPlayerState> anvil;

    lobby().enter("Anvil", "drill", "");
    lobby().setReady("drill", "Anvil", true);
    lobby().changeTeam("drill", "Anvil");
    lobby().startBattle("drill", 77, -3);
    EXPECT_TRUE(signals.seen.empty()); // nothing inside the server's doing: all on the frame
    EXPECT_EQ(room->getSeatOf("Anvil"), -1);
    tick();
    EXPECT_EQ(signals.seen, (std::vector<std::string>{"player Anvil 3", "params dress", "player Anvil 8",
                                                      "player Anvil 34", "params dress", "state 1 to 0", "params"}));
    EXPECT_EQ(arrivals.seen, std::vector<std::string>{"join " + session->decorateRoom("drill") + "/Anvil"});
    EXPECT_EQ(room->getSeatOf("Anvil"), 1); // from blue to red, where a seat was free
    anvil = room->getPlayer(1);
    ASSERT_TRUE(anvil);
    EXPECT_EQ(anvil->getBattleState().getIntVal("ready", 0), 1);
    EXPECT_EQ(room->getState().getIntVal("state", -1), 0);
    EXPECT_EQ(room->getParams().getIntVal("seed", 0), 77);
    EXPECT_EQ(room->getParams().getIntVal("wind", 0), -3);
    EXPECT_EQ(room->getParams().getStringVal("place", ""), "1");

    // Fought and closed, the room takes players in again.
    for (const std::string& p : lobby().seated("drill"))
        lobby().reportLoaded("drill", p);
    lobby().finishBattle("drill", 0.0);
    lobby().closeDue(1.0);
    tick();

    // The host leaves: the next in the room is host; the one who left is gone from its seat.
    signals.seen.clear();
    ASSERT_EQ(room->getModerator(), "hero");
    lobby().enter("Brisk", "drill", "");
    tick();
    lobby().kick("drill", "hero", room->getSeatOf("Brisk"));
    tick();
    EXPECT_EQ(room->getSeatOf("Brisk"), -1);
    EXPECT_EQ(arrivals.seen.back(), "leave " + session->decorateRoom("drill") + "/Brisk");
    EXPECT_EQ(anvil->getBattleState().getIntVal("ready", 0), 1); // a player's state object stays the same one

    // Put out by the host: the room is gone for this player, its state with it.
    lobby().leave("hero", "drill");
    lobby().enter("hero", "drill", "");
    tick();
    room = getZRKRoomState();
    ASSERT_NE(room, nullptr);
    ASSERT_EQ(room->getModerator(), "Anvil");
    signals.follow(*room, false);
    signals.seen.clear();
    lobby().kick("drill", "Anvil", room->getSeatOf("hero"));
    tick();
    EXPECT_EQ(signals.seen, std::vector<std::string>{"destroyed"});
    EXPECT_EQ(getZRKRoomState(), nullptr);
    EXPECT_EQ(arrivals.seen.back(), "left drill");
}

TEST_F(NoticesTest, PasswordsAreCheckedByTheServerAndNeverShownAnywhere)
{
    const std::string password = "p,w]d{x}:\"q\\ '\t\n\xc3\xa9[ ]";
    ZRKLobby::Room vault;
    vault.name = "vault";
    vault.password = password;
    vault.standing = true;
    vault.params["title"] = "Vault";
    lobby().addRoom(vault);
    datatest::LogCapture log;
    enter("vault", password.substr(0, password.size() - 1));
    enter("officers", "brass");
    enter("nowhere");
    enter("vault", password);
    EXPECT_EQ(arrivals.seen.back(), "enter vault 0");
    std::vector<std::string> answers;
    for (const std::string& s : arrivals.seen)
        if (s.compare(0, 6, "enter ") == 0)
            answers.push_back(s);
    EXPECT_EQ(answers,
              (std::vector<std::string>{"enter vault 10", "enter officers 0", "enter nowhere 9", "enter vault 0"}));
    EXPECT_FALSE(log.anyHolds(password));
    EXPECT_FALSE(log.anyHolds("brass"));
    EXPECT_FALSE(getZRKRoomState()->getParams().getStringVal("password", "").find("brass") != std::string::npos);
    EXPECT_TRUE(getZRKRoomState()->getParams().getBoolVal("password", false) ==
                false); // the vault asks none of hero now
    // The room keeps a keyed hash of its password, never the password itself.
    const ZRKLobby::Room* kept = lobby().findRoom("vault");
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->password.empty());
    EXPECT_EQ(kept->password.find(password), std::string::npos);
    EXPECT_EQ(lobby().enter("Anvil", "vault", kept->password), ZRKLobby::WrongPassword); // the key opens nothing
    EXPECT_EQ(lobby().seatOurs("Brisk", "vault"), ZRKLobby::Entered);                    // the server seats its own
}

TEST_F(NoticesTest, WhatIsSaidReachesWhoIsMeantWithEveryCharacter)
{
    const std::string line = "hi, [all] {of} you: \"quoted\" \\ back\nnext\t\xc3\xa9";
    enter("plains");
    session->addMsgRoomCallback(session->decorateRoom("plains"), &arrivals);
    lobby().enter("Anvil", "plains", "");
    tick();
    arrivals.seen.clear();
    session->getMsgClient()->sendRoomMessage(session->decorateRoom("plains"), "", line);
    lobby().say("Anvil", "plains", "gg");
    tick(2);
    EXPECT_EQ(arrivals.seen, (std::vector<std::string>{"said gg", "I said " + line}));

    // A private line: the server says whether the other is there; one from another reaches us.
    lobby().setOnline("Anvil", true, false);
    session->getMsgClient()->sendUserMessage(line, session->decorateUser("Anvil"), "");
    tick(2);
    EXPECT_TRUE(ZRKServerRequest::getServer()->getOnline().getBoolVal("online", false));
    session->getMsgClient()->sendUserMessage(line, session->decorateUser("nobody"), "");
    tick(2);
    EXPECT_FALSE(ZRKServerRequest::getServer()->getOnline().getBoolVal("online", true));
    arrivals.seen.clear();
    lobby().whisper("Anvil", "hero", line);
    lobby().setOnline("Brisk", true, false);
    tick();
    EXPECT_EQ(arrivals.seen, (std::vector<std::string>{"chat Anvil@zrk: " + line, "presence Brisk@zrk"}));
    EXPECT_TRUE(ZRKServerRequest::getServer()->isPlayerOnline("Brisk"));
    lobby().setOnline("Brisk", false, false);
    tick();
    EXPECT_FALSE(ZRKServerRequest::getServer()->isPlayerOnline("Brisk"));
}

TEST_F(NoticesTest, ADroppedConnectionTakesTheSessionOfflineAsALoss)
{
    std::vector<int> states;
    boost::signals2::scoped_connection c =
        session->subscribeToConnectionSignal([&](core::ISession*, int state) { states.push_back(state); });
    enter("drill");
    RoomSignals signals;
    signals.follow(*getZRKRoomState(), false);
    server->dropClient();
    tick();
    EXPECT_FALSE(session->isOnline());
    EXPECT_EQ(states, std::vector<int>{ZRKSession::Lost});
    EXPECT_EQ(signals.seen, std::vector<std::string>{"destroyed"});
    EXPECT_EQ(getZRKRoomState(), nullptr);
    EXPECT_TRUE(server->core().lobby().findRoom("drill")->members.empty()); // the server let the player go too

    // The player logs in again on a new connection; logging out is no loss.
    session->login("hero", "hero123", [](core::ISession*, int) {});
    tick();
    ASSERT_TRUE(session->isOnline());
    session->logout();
    EXPECT_EQ(states, (std::vector<int>{ZRKSession::Lost, ZRKSession::LoggedOut}));
    EXPECT_FALSE(ZRKSession::isLoss(ZRKSession::LoggedOut));
}

namespace {
/// A link that hands over the messages a test scripts, as a server elsewhere might send them.
struct ScriptedLink : ZRKTransport {
    std::vector<ZRKMessage>* next;
    explicit ScriptedLink(std::vector<ZRKMessage>* n) : next(n) {}
    void send(ZRKMessage) override {}
    void receive(std::vector<ZRKMessage>& out) override
    {
        out.insert(out.end(), next->begin(), next->end());
        next->clear();
    }
};
} // namespace

namespace {
/// A session whose server is elsewhere: the test scripts what arrives (`next`), and the room
/// "r1"'s listener hears it.
struct NoticesFromElsewhere : ::testing::Test {
    ZRKSession session{nullptr};
    std::vector<ZRKMessage> next;
    Arrivals arrivals;
    NoticesFromElsewhere()
    {
        session.setTransport(std::unique_ptr<ZRKTransport>(new ScriptedLink(&next)));
        session.addMsgRoomCallback(session.decorateRoom("r1"), &arrivals);
    }
};
} // namespace

TEST_F(NoticesFromElsewhere, InvitationsClosedRoomsAndNoticesOfNoKnownKind)
{
    Json::Value info;
    info["params"]["title"] = "One";
    info["seats"][0] = "hero";
    info["players"]["hero"]["settings"]["pc_nickname"] = "Hero";
    Json::Value invite;
    invite["room"] = "r1";
    next.push_back(ZRKMessage::notice("roomInfo", "r1", ""));
    next.back().args = info;
    next.push_back(ZRKMessage::notice("invite", "", "Anvil", invite));
    next.push_back(ZRKMessage::notice("noSuchNotice", "r1", "x"));
    next.push_back(ZRKMessage::notice("seat", "nowhere", "x")); // about a room the player is not in
    datatest::LogCapture log;
    session.update(0);
    ZRKRoomState* room = ZRKRoomRequest::getRoomState("r1", false, false);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->getPlayer(0)->getUserSettings().getStringVal("pc_nickname", ""), "Hero");
    EXPECT_EQ(log.containing("ZRKNotices", "no known kind"), 1u);
    EXPECT_EQ(arrivals.seen, (std::vector<std::string>{"info r1@conference.zrk One", "special invite from Anvil"}));

    bool destroyed = false;
    boost::signals2::scoped_connection c = room->subscribeToDestroySignal([&]() {
        destroyed = true;
        EXPECT_NE(ZRKRoomRequest::getRoomState("r1", false, false), nullptr); // still there while it is told
    });
    next.push_back(ZRKMessage::notice("roomGone", "r1", ""));
    session.update(0);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ZRKRoomRequest::getRoomState("r1", false, false), nullptr);
    EXPECT_EQ(arrivals.seen.back(), "left r1");
}

// Found by fuzzing: a description's or an invitation's parameters holding an empty name beside
// another one aborted the game inside TinyXML (its assertion stays on in the system's build).
// Each name and text is checked first; what is not whole text (cut letters, a NUL) is left out,
// the rest arrives.
TEST_F(NoticesFromElsewhere, ParametersWithAnEmptyNameOrBrokenTextNeverReachTinyXml)
{
    Json::Value info;
    info["params"][""] = "nameless";
    info["params"]["title"] = "One";
    info["params"]["\xC3"] = "a name cut inside its letter";
    info["params"]["note"] = std::string("cut \xE2\x9C", 6);
    // A NUL ends a name or a text early where TinyXML reads it: a name begun by one is empty.
    info["params"][std::string("\0late", 5)] = "nameless to TinyXML";
    info["params"]["motto"] = std::string("half\0hidden", 11);
    Json::Value invite;
    invite[""] = "nameless";
    invite["room"] = "r1";
    next.push_back(ZRKMessage::notice("roomInfo", "r1", ""));
    next.back().args = info;
    next.push_back(ZRKMessage::notice("invite", "", "Anvil", invite));
    datatest::LogCapture log;
    session.update(0);
    EXPECT_EQ(arrivals.seen, (std::vector<std::string>{"info r1@conference.zrk One", "special invite from Anvil"}));
    EXPECT_EQ(log.containing("ZRKNotices", "left out"), 6u);
}
