// The server's game rooms on the test clock: opening one (and its password rules), the
// entry codes, the server's players filling a room a player sits in and getting ready, the
// owner's start and its refusals, kicks, shut seats, map changes and the owner passing on.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include <data/ZRKGameData.h>
#include <data/ZRKNotice.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKBots.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKWeaponLib.h>
#include <server/ZRKWorld.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// A request's arguments, in order.
Json::Value argsOf(std::initializer_list<Json::Value> values)
{
    Json::Value out(Json::arrayValue);
    for (const Json::Value& v : values)
        out.append(v);
    return out;
}

class RoomFlowServerTest : public zrktest::HeroOnServer {
protected:
    RoomFlowServerTest()
    {
        config.bots = 8;
        startServer();
        logInHero(2);
        answer(ZRKServerRequest::joinZone(1, track()));
    }
    /// Seconds of play, a frame every half second.
    void play(double seconds) { halfSeconds.frames(static_cast<int>(std::ceil(seconds * 2))); }
    /// A frame after half a second of the game's clock.
    zrktest::FramePump halfSeconds{[this] {
        clock.advance(0.5);
        tick();
        return true;
    }};
    std::pair<bool, std::string> create(const std::string& password, int seats = 4, int mode = 1,
                                        const std::string& place = "1")
    {
        core::XmlConfigHelper room;
        room.setIntVal("mode", mode);
        room.setStringVal("title", "Hero's game");
        room.setStringVal("password", password);
        room.setStringVal("place", place);
        room.setIntVal("max", seats);
        room.setBoolVal("wind", true);
        return answer(ZRKServerRequest::createRoom(room, track()));
    }
    ZRKLobby& lobby() { return server->core().lobby(); }
    std::string heroRoom() { return lobby().gameRoomOf("hero"); }
    const ZRKLobby::Room& room() { return *lobby().findRoom(heroRoom()); }
    int battleValue(const std::string& player, const char* key)
    {
        const Json::Value& v = room().battle.at(player)[key];
        return v.isInt() ? v.asInt() : -1;
    }
    /// Plays until the room is full and everyone in it ready, or a minute has passed.
    zrktest::FramePump::Waited fillAndReady()
    {
        halfSeconds.frames(1);
        return halfSeconds.until(
            [&] {
                const int max = room().params["max"].asInt();
                return static_cast<int>(lobby().seated(heroRoom()).size()) == max &&
                       lobby().startRefusal(heroRoom(), "hero").empty();
            },
            119, "hero's room full and ready");
    }

    /// Another player in the game on a connection of his own ("rookie", in hero's zone): the
    /// reply to his request, "!" before the text when refused.
    std::string rookie(const char* op, const Json::Value& args = Json::Value(Json::arrayValue))
    {
        if (!rookieConnection) {
            rookieConnection = server->core().connect();
            Json::Value login;
            login["name"] = "rookie";
            login["password"] = "rookie123";
            rookieSays("login", login);
            rookieSays("joinZone", argsOf({1}));
        }
        return rookieSays(op, args);
    }
    /// rookie sits down in hero's room.
    bool rookieIn(const std::string& name)
    {
        rookie("queryZones");
        return lobby().enter("rookie", name, "") == ZRKLobby::Entered;
    }
    /// hero opens a room for two, rookie sits down ready, and both are in the battle.
    void fightRookie(std::string& name)
    {
        ASSERT_FALSE(create("", 2).first);
        name = heroRoom();
        ASSERT_TRUE(rookieIn(name));
        ASSERT_EQ(rookie("changeReadyState", argsOf({true})), "");
        ASSERT_FALSE(answer(ZRKRoomRequest::beginGame(track())).first);
        tick();
        ASSERT_TRUE(lobby().reportLoaded(name, "hero"));
        ASSERT_TRUE(lobby().reportLoaded(name, "rookie"));
        ASSERT_EQ(room().state["state"].asInt(), 2);
    }
    std::string rookieSays(const char* op, const Json::Value& args)
    {
        ZRKRequestInfo request;
        request.handle = ++rookieHandle;
        request.op = op;
        request.args = args;
        server->core().handle(rookieConnection, ZRKMessage::request(request));
        std::vector<ZRKMessage> out;
        server->core().take(rookieConnection, out);
        for (const ZRKMessage& m : out)
            if (m.type == ZRKMessage::Notice && m.op == ZRKNotice::name(ZRKNotice::Message))
                rookieHeard.push_back(m.room + ": " + m.member + ": " + m.text);
        for (auto it = out.rbegin(); it != out.rend(); ++it)
            if (it->type == ZRKMessage::Reply)
                return (it->error ? "!" : "") + it->text;
        return "<none>";
    }
    /// Hero's room battle from the start to the room's fight (every land loaded).
    bool startAndLoad()
    {
        if (answer(ZRKRoomRequest::beginGame(track())).first)
            return false;
        tick();
        return lobby().reportLoaded(heroRoom(), "hero") && room().state["state"].asInt() == 2;
    }
    /// rookie, put out of a room, is free: he opens a room of his own and leaves it, sits down
    /// in the drill ground, gets ready there and leaves it; in no game room after. Empty when
    /// all of it went, else what failed.
    std::string rookieRoamsFreely()
    {
        Json::Value tree;
        tree["mode"] = 1;
        tree["title"] = "Rookie's game";
        tree["place"] = "1";
        tree["max"] = 2;
        if (rookie("createRoom", argsOf({tree})) != "")
            return "his room was not opened";
        const std::string own = lobby().gameRoomOf("rookie");
        if (own.empty() || own == heroRoom())
            return "he sits in " + own;
        if (rookie("leave", argsOf({own})) != "0" || !lobby().gameRoomOf("rookie").empty())
            return "he did not leave his own room";
        if (rookie("enter", argsOf({"drill", ""})) != "0" || lobby().gameRoomOf("rookie") != "drill")
            return "he did not sit down in the drill ground";
        if (rookie("changeReadyState", argsOf({true})) != "")
            return "he did not get ready";
        const Json::Value& ready = lobby().findRoom("drill")->battle.at("rookie")["ready"];
        if (!ready.isInt() || ready.asInt() != 1)
            return "the drill ground does not hold him ready";
        if (rookie("leave", argsOf({"drill"})) != "0" || !lobby().gameRoomOf("rookie").empty())
            return "he did not leave the drill ground";
        return std::string();
    }
    std::pair<bool, std::string> backFromBattle()
    {
        return answer(ZRKRoomRequest::backFromBattle(heroRoom(), track()));
    }
    long rookieConnection = 0;
    long rookieHandle = 0;
    std::vector<std::string> rookieHeard; ///< "room: who: line" of each room line told to rookie

    datatest::ManualClock clock;
};

} // namespace

TEST_F(RoomFlowServerTest, PasswordsAreLettersAndDigitsUpToSixteenAndNeverLogged)
{
    datatest::LogCapture log;
    const auto odd = create("pass word");
    EXPECT_TRUE(odd.first);
    EXPECT_EQ(odd.second, "The password may hold up to 16 letters and digits.");
    EXPECT_TRUE(create("abcdefghij1234567").first); // 17
    EXPECT_TRUE(heroRoom().empty());
    ASSERT_FALSE(create("Secret42").first);
    EXPECT_FALSE(heroRoom().empty());
    EXPECT_EQ(getZRKServer()->getCurrentRoom().getStringVal("name", ""), heroRoom());
    EXPECT_FALSE(log.anyHolds("Secret42"));
    EXPECT_FALSE(log.anyHolds("pass word"));
    // One room per player: a second one is refused while he sits in the first.
    EXPECT_EQ(create("").second, "Leave your room before you open or join another.");
    // The room shows that it has a password, never which.
    EXPECT_TRUE(room().params["password"].asBool());
    EXPECT_EQ(Json::FastWriter().write(room().params).find("Secret42"), std::string::npos);
}

TEST_F(RoomFlowServerTest, EntryCodesForRightWrongAndMissingPasswordsAFullAndAStartedRoom)
{
    ASSERT_FALSE(create("Secret42", 2).first);
    const std::string name = heroRoom();
    lobby().setOnline("guest1", true, false);
    lobby().setOnline("guest2", true, false);
    EXPECT_EQ(lobby().enter("guest1", name, "secret42"), ZRKLobby::WrongPassword);
    EXPECT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::WrongPassword);
    EXPECT_EQ(lobby().enter("guest1", name, "Secret42"), ZRKLobby::Entered);
    EXPECT_EQ(lobby().enter("guest2", name, "Secret42"), ZRKLobby::NoAccess); // two seats: full
    lobby().setReady(name, "guest1", true);
    ASSERT_EQ(lobby().beginBattle(name, "hero", 7, 3), "");
    lobby().leave("guest1", name);
    EXPECT_EQ(lobby().enter("guest2", name, "Secret42"), ZRKLobby::NoAccess); // its battle runs
}

TEST_F(RoomFlowServerTest, ARoomMadeAloneFillsBalancedGetsReadyAndTheOwnerStartsIt)
{
    ASSERT_FALSE(create("", 4).first);
    EXPECT_EQ(lobby().startRefusal(heroRoom(), "hero"), "msg/player_team_noperson");
    const auto alone = answer(ZRKRoomRequest::beginGame(track()));
    EXPECT_TRUE(alone.first);
    EXPECT_EQ(alone.second, "Each team needs at least one player.");
    ASSERT_TRUE(fillAndReady());
    const std::vector<std::string> seated = lobby().seated(heroRoom());
    ASSERT_EQ(seated.size(), 4u);
    EXPECT_EQ(room().seats[0], "hero");
    int red = 0;
    for (int s = 0; s < 4; ++s)
        red += room().seats[s].empty() ? 0 : 1;
    EXPECT_EQ(red, 2);
    // A bot is not the owner: its start is refused.
    EXPECT_EQ(lobby().beginBattle(heroRoom(), seated[1], 1, 0), "error/room_owner_only");
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->getState().getIntVal("state", -1), 1);
    ASSERT_FALSE(answer(ZRKRoomRequest::beginGame(track())).first);
    tick();
    for (const std::string& p : seated) {
        EXPECT_EQ(battleValue(p, "fight"), 1) << p;
        EXPECT_EQ(battleValue(p, "bot"), p == "hero" ? -1 : 1) << p; // the battle plays the server's own
    }
    // How good a shot each of them is, for the battle's aim.
    const Json::Value& skill = server->core().world().playerView(seated[1], ZRKWorld::SettingsView)["pc_bot_skill"];
    ASSERT_TRUE(skill.isInt());
    EXPECT_GE(skill.asInt(), 0);
    EXPECT_LE(skill.asInt(), 100);
    EXPECT_EQ(state->getState().getIntVal("state", -1), 0); // the bots loaded, the player not yet
    EXPECT_FALSE(state->getParams().getStringVal("seed", "").empty());
    EXPECT_EQ(state->getParams().getStringVal("place", ""), "1");
    EXPECT_TRUE(lobby().reportLoaded(heroRoom(), "hero"));
    tick();
    EXPECT_EQ(state->getState().getIntVal("state", -1), 2);
}

TEST_F(RoomFlowServerTest, StartsAreRefusedForUnreadyPlayersAndUnequalTeams)
{
    ASSERT_FALSE(create("", 3).first);
    const std::string name = heroRoom();
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::Entered);
    EXPECT_EQ(lobby().startRefusal(name, "hero"), "msg/player_ready");
    lobby().setReady(name, "guest1", true);
    EXPECT_EQ(lobby().startRefusal(name, "hero"), "");
    lobby().setOnline("guest2", true, false);
    ASSERT_EQ(lobby().enter("guest2", name, ""), ZRKLobby::Entered);
    lobby().setReady(name, "guest2", true);
    EXPECT_EQ(lobby().startRefusal(name, "hero"), "msg/player_team_equ"); // 2 against 1 in mode 1
    const auto refused = answer(ZRKRoomRequest::beginGame(track()));
    EXPECT_EQ(refused.second, "Both teams need the same number of players.");
}

TEST_F(RoomFlowServerTest, AKickedBotStaysOutAndSeatsShutAndMapsChangeByTheOwnerOnly)
{
    ASSERT_FALSE(create("", 4).first);
    ASSERT_TRUE(fillAndReady());
    const std::string name = heroRoom();
    const int seat = 4;
    const std::string kicked = room().seats[seat];
    ASSERT_FALSE(kicked.empty());
    ASSERT_FALSE(answer(ZRKRoomRequest::kick(seat, track())).first);
    EXPECT_TRUE(room().seats[seat].empty());
    // The seat stays empty while shut; a bot comes only once it is open again, never the kicked one.
    ASSERT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(seat, false, track())).first);
    play(20);
    EXPECT_TRUE(room().seats[seat].empty());
    EXPECT_TRUE(answer(ZRKRoomRequest::changeSlotFlag(0, false, track())).first); // his own, taken seat
    ASSERT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(seat, true, track())).first);
    play(20);
    EXPECT_EQ(lobby().seated(name).size(), 4u);
    for (const std::string& p : lobby().seated(name))
        EXPECT_NE(p, kicked);
    // Maps: one of the zone and mode within his level; not one above it, nor a PVE map, nor none.
    EXPECT_FALSE(answer(ZRKRoomRequest::changeMap(2, track())).first);
    EXPECT_EQ(room().params["place"].asString(), "2");
    EXPECT_TRUE(answer(ZRKRoomRequest::changeMap(201, track())).first);
    EXPECT_TRUE(answer(ZRKRoomRequest::changeMap(999, track())).first);
    EXPECT_EQ(lobby().changePlace(name, lobby().seated(name)[1], "1", -1), "error/room_owner_only");
    EXPECT_EQ(room().params["place"].asString(), "2");
}

TEST_F(RoomFlowServerTest, TheOwnerPassesInSeatOrderAndAMadeRoomClosesWithItsMaker)
{
    // A standing room has no maker: its owner passes on.
    lobby().setOnline("guest1", true, false);
    lobby().setOnline("guest2", true, false);
    ASSERT_EQ(lobby().enter("hero", "drill", ""), ZRKLobby::Entered);
    ASSERT_EQ(lobby().enter("guest1", "drill", ""), ZRKLobby::Entered); // blue
    ASSERT_EQ(lobby().enter("guest2", "drill", ""), ZRKLobby::Entered); // red, seat 1
    lobby().leave("hero", "drill");
    EXPECT_EQ(lobby().findRoom("drill")->moderator, "guest2");
    lobby().leave("guest2", "drill");
    lobby().leave("guest1", "drill");
    // The room hero made goes when he leaves it, with whoever sat there.
    ASSERT_FALSE(create("", 4).first);
    const std::string name = heroRoom();
    ASSERT_EQ(lobby().enter("guest1", name, ""), ZRKLobby::Entered);
    ASSERT_TRUE(lobby().leave("hero", name));
    EXPECT_EQ(lobby().findRoom(name), nullptr);
    EXPECT_EQ(lobby().gameRoomOf("guest1"), "");
}

TEST_F(RoomFlowServerTest, TheControlAddsReadiesAndRemovesBotsAtOnceAndPutsThePlayerOut)
{
    ASSERT_FALSE(create("", 8).first);
    const std::string name = heroRoom();
    play(5.5); // the server's players come online (one may come in by itself meanwhile)
    ZRKBots& bots = server->core().bots();
    const std::size_t before = lobby().seated(name).size();
    EXPECT_EQ(bots.fillRoom(name, 3), 3);
    EXPECT_EQ(lobby().seated(name).size(), before + 3);
    EXPECT_EQ(bots.readyAll(name), static_cast<int>(before + 2));
    for (const std::string& p : lobby().seated(name)) {
        if (p != "hero") {
            EXPECT_EQ(battleValue(p, "ready"), 1) << p;
        }
    }
    EXPECT_EQ(bots.removeAll(name), static_cast<int>(before + 2));
    EXPECT_EQ(lobby().seated(name), std::vector<std::string>{"hero"});
    ASSERT_TRUE(lobby().putOut(name, "hero"));
    tick(2);
    EXPECT_EQ(heroRoom(), "");
    EXPECT_EQ(ZRKRoomRequest::getRoomState(name, false, false), nullptr); // the client's room is gone too
}

TEST_F(RoomFlowServerTest, ATeamChangeMovesThePlayerToAFreeSeatAndTellsTheSeatsAnew)
{
    ASSERT_FALSE(create("", 4).first);
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(state, nullptr);
    int bits = 0;
    boost::signals2::scoped_connection heard = state->subscribeToPlayerStateSignal(
        [&](const std::string& who, int b) { bits |= who == "hero" ? b : 0; }, false);
    ASSERT_FALSE(answer(ZRKRoomRequest::changeTeam(track())).first);
    tick();
    EXPECT_EQ(room().seats[4], "hero");
    EXPECT_EQ(state->getSeatOf("hero"), 4);
    EXPECT_TRUE(bits & 0x2) << bits;
    // The other team has no free open seat once the blue side is shut and taken.
    ASSERT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(5, false, track())).first);
    ASSERT_FALSE(answer(ZRKRoomRequest::changeTeam(track())).first); // back to red: seat 0 is free
    EXPECT_EQ(room().seats[0], "hero");
}

TEST_F(RoomFlowServerTest, TheServersPlayersComeInTheirOutfitsOrAsGuestsWithTheirLevelSlots)
{
    ASSERT_FALSE(create("", 8).first);
    const std::string name = heroRoom();
    play(5.5);
    server->core().bots().fillRoom(name, 7);
    tick(2);
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(state, nullptr);
    int accounts = 0, guests = 0;
    std::string guest;
    for (int seat = 1; seat < 8; ++seat) {
        boost::shared_ptr<ZRKPlayerState> bot = state->getPlayer(seat);
        if (!bot)
            continue;
        const bool account = bot->getUserInfo().getIntVal("a_id", 0) != 0;
        EXPECT_EQ(bot->getUserSettings().getIntVal("a_id", 0), bot->getUserInfo().getIntVal("a_id", 0));
        // Only those with an account are told what they wear; the room dresses guests itself.
        EXPECT_EQ(!bot->getEquipments().empty(), account) << seat;
        for (const core::Equipment& worn : bot->getEquipments())
            EXPECT_FALSE(worn.getItem().empty() || worn.getKind().empty());
        (account ? accounts : guests) += 1;
        if (!account)
            guest = bot->getUserInfo().getStringVal("a_username", "");
    }
    EXPECT_GT(accounts + guests, 0);
    // The file's share of them has an account and an outfit of its look; the rest are guests.
    accounts = guests = 0;
    ZRKBots& bots = server->core().bots();
    for (std::size_t i = 0; i < bots.size(); ++i) {
        const ZRKWorld::Player* p = server->core().world().player(bots.at(i).name);
        ASSERT_NE(p, nullptr);
        const Json::Value& looks = ZRKWorld::Player::doc(p->looks);
        const bool account = looks["a_id"].isInt() && looks["a_id"].asInt() != 0;
        EXPECT_EQ(account, looks["equipment"].isArray() && looks["equipment"].size() > 0) << p->name;
        (account ? accounts : guests) += 1;
    }
    EXPECT_GT(accounts, 0);
    EXPECT_GT(guests, 0);

    // A guest's default look is kept under his name, never in place of the own one.
    ASSERT_FALSE(answer(ZRKUserRequest::queryUserDefState("", track())).first);
    const std::string ownSex = ZRKUserRequest::getUserDefState().getStringVal("def_sex", "");
    ASSERT_FALSE(answer(ZRKUserRequest::queryUserDefState(guest, track())).first);
    EXPECT_FALSE(ZRKUserRequest::getUserDefState(guest).getStringVal("def_sex", "").empty());
    EXPECT_EQ(ZRKUserRequest::getUserDefState().getStringVal("def_sex", ""), ownSex);

    // The level slots: the player id picks the set, the level the band; whole triples only.
    ZRKUserRequest::getBBRSlotLib()->refresh();
    tick(2);
    auto slots = [](int pcId, int level) {
        std::vector<int> out;
        ZRKUserRequest::getBBRSlots(out, pcId, level);
        return out;
    };
    EXPECT_EQ(slots(0, 0), std::vector<int>());
    EXPECT_EQ(slots(0, 14), (std::vector<int>{3, 2001, 0, 6, 2201, 0}));
    EXPECT_EQ(slots(4, 15), (std::vector<int>{1, 2101, 0, 4, 2401, 0}));
    EXPECT_EQ(slots(1, 12), (std::vector<int>{3, 3101, 0, 5, 3002, 0}));
    EXPECT_EQ(slots(-1, 1), (std::vector<int>{3, 2001, 0, 6, 2201, 0}));
}

TEST_F(RoomFlowServerTest, WeaponsShowTheirEnhancedModelAndTheHeldPose)
{
    ZRKWeaponLib* weapons = getZRKServer()->getWeaponLib();
    EXPECT_FALSE(weapons->findWeapon("1")); // nothing before the library came
    weapons->refresh();
    tick(2);
    const WeaponInfoPtr cannon = weapons->findWeapon("1");
    ASSERT_TRUE(cannon);
    EXPECT_EQ(ZRKWeaponLib::getEnhWeaponPID(cannon, 0), "weapon_cannon");
    EXPECT_EQ(ZRKWeaponLib::getEnhWeaponPID(cannon, 4), "weapon_cannon");
    EXPECT_EQ(ZRKWeaponLib::getEnhWeaponPID(cannon, 12), "weapon_cannon_glow");
    EXPECT_EQ(ZRKWeaponLib::getEnhWeaponPID(WeaponInfoPtr(), 3), "");
    EXPECT_EQ(WeaponConfig::findAnimation(cannon->animations, 'a', 0), 0);
    EXPECT_EQ(WeaponConfig::findAnimation(cannon->animations, 'b', 0), 1);
    EXPECT_EQ(WeaponConfig::findAnimation(cannon->animations, 'a', 1), -1);
    EXPECT_EQ(WeaponConfig::findAnimation(std::vector<WeaponInfo::Animation>(), 'a', 0), -1);
    EXPECT_FALSE(weapons->findWeapon("999"));
    // A library sent broken gives what it can: no weapon, or one without its broken parts.
    Json::Value views;
    views["lib/weapon"]["7"] = "cannon";
    views["lib/weapon"]["8"]["model"] = 5;
    views["lib/weapon"]["8"]["enh"]["x"] = "m";
    views["lib/weapon"]["8"]["enh"]["99999"] = "m";
    views["lib/weapon"]["8"]["enh"]["3"] = 4;
    views["lib/weapon"]["8"]["animations"][0]["name"] = "pose";
    views["lib/weapon"]["8"]["animations"][0]["kind"] = "ab";
    views["lib/weapon"]["8"]["animations"][1] = 97;
    views["lib/weapon"]["8"]["animations"][2]["name"] = "held";
    views["lib/weapon"]["8"]["animations"][2]["kind"] = 97;
    views["lib/weapon"]["8"]["animations"][2]["variant"] = "x";
    ZRKGameData::getSingleton().applyViews(views);
    EXPECT_FALSE(weapons->findWeapon("7"));
    const WeaponInfoPtr odd = weapons->findWeapon("8");
    ASSERT_TRUE(odd);
    EXPECT_EQ(ZRKWeaponLib::getEnhWeaponPID(odd, 9), "");
    ASSERT_EQ(odd->animations.size(), 1u);
    EXPECT_EQ(WeaponConfig::findAnimation(odd->animations, 'a', 0), 0);
}

TEST_F(RoomFlowServerTest, AfterItsBattleTheRoomWaitsForThePlayerAndThenForTheNextStart)
{
    ASSERT_FALSE(create("", 2).first);
    const std::string name = heroRoom();
    ASSERT_TRUE(fillAndReady());
    ASSERT_TRUE(startAndLoad());
    // The battle is decided and closes; the player's screen still shows its end: the room waits.
    bool reported = false;
    ZRKRequestBroker::call(
        "ZRKRoomRequest", "reportBattleOver", [&](bool error, const std::string&) { reported = !error; }, name, 0,
        Json::Value(Json::arrayValue));
    tick(3);
    ASSERT_TRUE(reported);
    play(30);
    EXPECT_EQ(room().state["state"].asInt(), 3);
    EXPECT_EQ(heroRoom(), name); // the battle's end puts nobody out of the room
    // Back in the room: it waits for the next battle, nobody ready, nobody fighting.
    ASSERT_FALSE(backFromBattle().first);
    tick();
    EXPECT_EQ(room().state["state"].asInt(), 1);
    EXPECT_FALSE(room().params["fight"].asBool());
    const std::string bot = room().seats[4];
    ASSERT_FALSE(bot.empty());
    EXPECT_EQ(battleValue(bot, "ready"), 0);
    EXPECT_EQ(battleValue(bot, "fight"), 0);
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->getState().getIntVal("state", -1), 1); // the client hears it too
    // The server's player gets ready again, and the owner starts a second battle.
    ASSERT_TRUE(fillAndReady());
    ASSERT_TRUE(startAndLoad());
    // Given up midway: the battle no screen plays is over at once, without awards.
    const long long coins = server->core().world().player("hero")->money[ZRKWorld::Coins];
    ASSERT_FALSE(backFromBattle().first);
    EXPECT_EQ(room().state["state"].asInt(), 1);
    EXPECT_EQ(server->core().world().player("hero")->money[ZRKWorld::Coins], coins);
    EXPECT_EQ(heroRoom(), name);
    // Only a seated player's screen counts.
    lobby().leave("hero", name);
    EXPECT_TRUE(answer(ZRKRoomRequest::backFromBattle(name, track())).first);
}

TEST_F(RoomFlowServerTest, ABattleWithAnotherPlayersScreenInItGoesOnWhenOneComesBack)
{
    std::string name;
    ASSERT_NO_FATAL_FAILURE(fightRookie(name));
    ASSERT_FALSE(backFromBattle().first);
    EXPECT_EQ(room().state["state"].asInt(), 2); // rookie still fights it
    EXPECT_EQ(rookie("backFromBattle", argsOf({name})), "");
    EXPECT_EQ(room().state["state"].asInt(), 1);
}

TEST_F(RoomFlowServerTest, NobodyButTheOwnerKicksShutsSeatsOrStarts)
{
    ASSERT_FALSE(create("", 4).first);
    const std::string name = heroRoom();
    ASSERT_TRUE(rookieIn(name));
    const int seat = lobby().findRoom(name)->seats[4] == "rookie" ? 4 : 1;
    ASSERT_EQ(room().seats[seat], "rookie");
    EXPECT_EQ(rookie("kick", argsOf({0})), "!Only the room's owner may do that.");
    EXPECT_EQ(rookie("changeSlotFlag", argsOf({5, false})), "!Only the room's owner may do that.");
    EXPECT_EQ(rookie("beginGame"), "!Only the room's owner may do that.");
    EXPECT_EQ(room().seats[0], "hero");
    EXPECT_TRUE(room().open[5]);
    EXPECT_EQ(room().state["state"].asInt(), 1);
    // The owner may.
    ASSERT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(5, false, track())).first);
    EXPECT_FALSE(room().open[5]);
    ASSERT_FALSE(answer(ZRKRoomRequest::kick(seat, track())).first);
    EXPECT_TRUE(room().seats[seat].empty());
}

TEST_F(RoomFlowServerTest, TheZoneStaysWhileThePlayerIsInOneOfItsRoomsAndGoesWithItsHall)
{
    const std::string zone = lobby().zoneOf("hero")->name;
    ASSERT_EQ(lobby().enter("hero", zone, ""), ZRKLobby::Entered);
    ASSERT_FALSE(create("", 2).first);
    const std::string name = heroRoom();
    // The room page leaves the hall's chat: the player is still in the zone.
    ASSERT_TRUE(lobby().leave("hero", zone));
    ASSERT_NE(lobby().zoneOf("hero"), nullptr);
    // Out of the room and back in the hall, he opens another, and quick joins find rooms.
    ASSERT_TRUE(lobby().leave("hero", name));
    ASSERT_EQ(lobby().enter("hero", zone, ""), ZRKLobby::Entered);
    ASSERT_FALSE(create("", 2).first);
    ASSERT_TRUE(lobby().leave("hero", heroRoom()));
    EXPECT_FALSE(answer(ZRKServerRequest::quickMatch(track())).first);
    // Leaving the hall for the area leaves the zone.
    ASSERT_TRUE(lobby().leave("hero", zone));
    EXPECT_EQ(lobby().zoneOf("hero"), nullptr);
}

TEST_F(RoomFlowServerTest, APlayerInADuelOfOursMakesItTwoAgainstOneAndOneOfOursGivesUpItsSeat)
{
    play(6); // the server's players come online into their halls
    const ZRKLobby::Zone& zone = *lobby().zoneOf("hero");
    std::vector<std::string> ours;
    for (const ZRKLobby::Zone& z : lobby().zones())
        for (const std::string& m : z.members)
            if (m != "hero" && lobby().gameRoomOf(m).empty() && server->core().bots().find(m))
                ours.push_back(m);
    ASSERT_GE(ours.size(), 2u);
    ZRKLobby::RoomOffer duel;
    duel.title = "Artillery duel";
    duel.seats = 3;
    duel.mode = 1;
    const std::string name = lobby().openRoom(ours[0], zone.name, duel);
    ASSERT_FALSE(name.empty());
    ASSERT_EQ(lobby().seatOurs(ours[1], name), ZRKLobby::Entered);
    ASSERT_EQ(lobby().enter("hero", name, ""), ZRKLobby::Entered); // two against one
    halfSeconds.until(
        [&] {
            return lobby().seated(name).size() == 2 &&
                   lobby().startRefusal(name, lobby().findRoom(name)->moderator).empty();
        },
        60, "two seated and the room ready to start");
    ASSERT_NE(lobby().findRoom(name), nullptr);
    const std::vector<std::string> seated = lobby().seated(name);
    EXPECT_EQ(seated.size(), 2u);
    EXPECT_NE(std::find(seated.begin(), seated.end(), "hero"), seated.end());
    EXPECT_EQ(lobby().startRefusal(name, lobby().findRoom(name)->moderator), "");
    play(20); // nobody comes back to make it uneven again
    EXPECT_EQ(lobby().seated(name).size(), 2u);
}

TEST_F(RoomFlowServerTest, TheRoomsChatIsAddressedByItsNameOrItsNumber)
{
    ASSERT_FALSE(create("", 2).first);
    const ZRKLobby::Room& r = room();
    EXPECT_EQ(lobby().nameOf(std::to_string(r.id)), r.name);
    EXPECT_EQ(lobby().nameOf(r.name), r.name);
    EXPECT_EQ(lobby().nameOf("99999"), "");
    EXPECT_EQ(lobby().nameOf("12345678901234"), "");
    EXPECT_EQ(lobby().nameOf(""), "");
    // The card others see carries the ammo bag of a private dungeon.
    EXPECT_EQ(server->core().world().playerView("hero", ZRKWorld::CardView)["ca_id2"].asInt(), 1);
}

TEST_F(RoomFlowServerTest, OnlyTheKindsOfRoomThePlayerCanComeBackFromAreOpenedAMissionOnItsStages)
{
    // A room of any other number would have no view, no seats and no way back on his screen.
    for (int mode : {0, 4, 5, 10, 2000, -1}) {
        const auto refused = create("", 4, mode);
        EXPECT_TRUE(refused.first) << mode;
        EXPECT_EQ(refused.second, "Rooms are opened for Team, Duel, Melee, Arena or Mission play only.") << mode;
        EXPECT_TRUE(heroRoom().empty()) << mode;
    }
    // A mission is played on a map of stages, from its first; a map of its kind is asked for.
    EXPECT_EQ(create("", 2, 9, "1").second, "That map cannot be played here.");
    ASSERT_FALSE(create("", 2, 9, "201").first);
    EXPECT_EQ(room().params["place"].asString(), "201");
    EXPECT_EQ(room().params["d_id"].asInt(), 1);
    EXPECT_EQ(room().seats[0], "hero");
    EXPECT_EQ(room().moderator, "hero");
    // Its arrows pick a stage by its index.
    ASSERT_FALSE(answer(ZRKRoomRequest::changeMapPVE(201, 1, track())).first);
    EXPECT_EQ(room().params["d_id"].asInt(), 2);
    EXPECT_TRUE(answer(ZRKRoomRequest::changeMapPVE(201, 3, track())).first);
    lobby().leave("hero", heroRoom());
    // Every other offered kind opens on its first map; Far Shores is one of them.
    for (int mode : {1, 2, 3, 8}) {
        ASSERT_FALSE(create("", 2, mode).first) << mode;
        EXPECT_EQ(room().params["mode"].asInt(), mode);
        EXPECT_FALSE(answer(ZRKRoomRequest::changeMap(3, track())).first) << mode;
        EXPECT_EQ(room().params["place"].asString(), "3");
        EXPECT_TRUE(answer(ZRKRoomRequest::changeMap(201, track())).first) << mode;
        lobby().leave("hero", heroRoom());
    }
}

TEST_F(RoomFlowServerTest, RefusedTeamsLocksAndKicksTellTheirTrueReason)
{
    ASSERT_FALSE(create("", 2).first); // red seat 0 and blue seat 4; the rest shut
    const std::string name = heroRoom();
    ASSERT_TRUE(rookieIn(name));
    ASSERT_EQ(room().seats[4], "rookie");
    EXPECT_EQ(answer(ZRKRoomRequest::changeTeam(track())).second, "The other team has no free seat.");
    EXPECT_EQ(answer(ZRKRoomRequest::changeSlotFlag(4, false, track())).second, "That seat is taken.");
    EXPECT_EQ(answer(ZRKRoomRequest::kick(1, track())).second, "Nobody sits in that seat now.");
    EXPECT_EQ(answer(ZRKRoomRequest::kick(0, track())).second, "You cannot put yourself out of your room.");
    EXPECT_TRUE(answer(ZRKRoomRequest::kick(99, track())).first);
    ASSERT_FALSE(answer(ZRKRoomRequest::kick(4, track())).first);
    // The seat just emptied: the owner is told that, never that he is no owner.
    EXPECT_EQ(answer(ZRKRoomRequest::kick(4, track())).second, "Nobody sits in that seat now.");
    EXPECT_EQ(room().moderator, "hero");
}

TEST_F(RoomFlowServerTest, AKickedPlayerIsOutOfTheRoomAndOpensJoinsReadiesAndLeavesOthers)
{
    ASSERT_FALSE(create("", 4).first);
    const std::string name = heroRoom();
    ASSERT_TRUE(rookieIn(name));
    const int seat = room().seats[4] == "rookie" ? 4 : 1;
    ASSERT_EQ(room().seats[seat], "rookie");
    ASSERT_FALSE(answer(ZRKRoomRequest::kick(seat, track())).first);
    EXPECT_EQ(lobby().gameRoomOf("rookie"), "");
    for (const std::string& in : lobby().roomsOf("rookie"))
        EXPECT_NE(in, name);
    EXPECT_EQ(room().battle.count("rookie"), 0u);
    EXPECT_EQ(rookieRoamsFreely(), "");
    // Logged out and in again, the same.
    lobby().setOnline("rookie", false, true);
    EXPECT_TRUE(lobby().roomsOf("rookie").empty());
}

TEST_F(RoomFlowServerTest, APlayerKickedFromABattleIsPaidNothingForItAndPlaysOnElsewhere)
{
    std::string name;
    ASSERT_NO_FATAL_FAILURE(fightRookie(name));
    const ZRKWorld::Player& before = *server->core().world().player("rookie");
    const long long coins = before.money[ZRKWorld::Coins], exp = before.exp;
    const long long heroCoins = server->core().world().player("hero")->money[ZRKWorld::Coins];
    // Put out midway; the battle is decided for his side all the same.
    ASSERT_FALSE(answer(ZRKRoomRequest::kick(4, track())).first);
    EXPECT_EQ(lobby().gameRoomOf("rookie"), "");
    bool reported = false;
    ZRKRequestBroker::call(
        "ZRKRoomRequest", "reportBattleOver", [&](bool error, const std::string&) { reported = !error; }, name, 1,
        Json::Value(Json::arrayValue));
    tick(3);
    ASSERT_TRUE(reported);
    EXPECT_EQ(server->core().world().player("rookie")->money[ZRKWorld::Coins], coins);
    EXPECT_EQ(server->core().world().player("rookie")->exp, exp);
    EXPECT_GT(server->core().world().player("hero")->money[ZRKWorld::Coins], heroCoins); // the one who stayed
    EXPECT_EQ(rookieRoamsFreely(), "");
}

TEST_F(RoomFlowServerTest, WhoComesIntoAHallHearsWhatWasSaidThereLast)
{
    const std::string zone = lobby().zoneOf("hero")->name;
    lobby().setOnline("guest1", true, false);
    ASSERT_EQ(lobby().enter("guest1", zone, ""), ZRKLobby::Entered);
    for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(lobby().say("guest1", zone, "line " + std::to_string(i)));
    rookie("queryZones");
    rookieHeard.clear();
    ASSERT_EQ(rookie("enter", argsOf({zone, ""})), "0");
    std::vector<std::string> expected;
    for (int i = 15 - static_cast<int>(ZRKLobby::kHallLinesKept); i < 15; ++i)
        expected.push_back(zone + ": guest1: line " + std::to_string(i));
    EXPECT_EQ(rookieHeard, expected);
    // A game room keeps nothing of its chat for those who come later.
    ASSERT_FALSE(create("", 4).first);
    ASSERT_TRUE(lobby().say("hero", heroRoom(), "hello"));
    rookieHeard.clear();
    ASSERT_EQ(rookie("enter", argsOf({heroRoom(), ""})), "0");
    EXPECT_TRUE(rookieHeard.empty());
}
