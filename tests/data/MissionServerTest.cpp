// A mission on the server: the rooms of mode 9 fight the duplicate's crews, stage after stage
// in the same room (the half time, the room rebuilding, the next stage's start), then the
// mission's boxes; its revives are the mission's; a private mission is its maker's alone and
// starts by itself; what a mission room cannot ask for is refused.
#include <algorithm>
#include <gtest/gtest.h>

#include <data/ZRKJson.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServerRequest.h>
#include <server/ZRKBattleOps.h>
#include <server/ZRKBots.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKLobbyBattles.h>
#include <server/ZRKPrizeBoxes.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <util/MissionRule.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

class MissionServerTest : public zrktest::HeroOnServer {
protected:
    MissionServerTest()
    {
        config.bots = 6;
        config.seed = 3;
        startServer();
        logInHero(2);
        answer(ZRKServerRequest::joinZone(1, track()));
        play(5.5); // the server's players come online
    }
    ZRKServerCore& core() { return server->core(); }
    ZRKLobby& lobby() { return core().lobby(); }
    std::string heroRoom() { return lobby().gameRoomOf("hero"); }
    const ZRKLobby::Room& room() { return *lobby().findRoom(heroRoom()); }
    /// The room as hero's client holds it.
    ZRKRoomState* heroView() { return ZRKRoomRequest::getRoomState(heroRoom(), false, false); }
    int stateOf(const std::string& name) { return ZRKLobby::stateOf(*lobby().findRoom(name)); }

    /// A room of the mode on the place for `seats`; the creation tree's further values as given.
    std::pair<bool, std::string> create(int mode, const std::string& place, int seats = 4,
                                        const std::vector<std::pair<std::string, std::string>>& more = {})
    {
        core::XmlConfigHelper tree;
        tree.setIntVal("mode", mode);
        tree.setStringVal("title", "Hero's mission");
        tree.setStringVal("password", "");
        tree.setStringVal("place", place);
        tree.setIntVal("max", seats);
        tree.setBoolVal("wind", false);
        for (const auto& kv : more)
            tree.setStringVal(kv.first, kv.second);
        return answer(ZRKServerRequest::createRoom(tree, track()));
    }
    /// Seconds of play, a frame every half second.
    void play(double seconds)
    {
        for (int i = 0; i < static_cast<int>(seconds * 2 + 0.5); ++i) {
            clock.advance(0.5);
            tick();
        }
    }
    /// Hero's room started and every land loaded.
    void startAndLoad()
    {
        ASSERT_FALSE(answer(ZRKRoomRequest::beginGame(track())).first);
        tick();
        ASSERT_TRUE(lobby().reportLoaded(heroRoom(), "hero"));
        ASSERT_EQ(stateOf(heroRoom()), 2);
    }
    void reportOver(int winner)
    {
        const std::pair<bool, std::string> over =
            roomAsk("reportBattleOver", heroRoom(), winner, Json::Value(Json::arrayValue));
        ASSERT_FALSE(over.first) << over.second;
        tick();
    }
    Json::Value params() { return ZRKJson::fromView(heroView()->getParams()); }
    Json::Value state() { return ZRKJson::fromView(heroView()->getState()); }
    long long coins(const std::string& player) { return core().world().player(player)->money[ZRKWorld::Coins]; }

    datatest::ManualClock clock;
};

} // namespace

// A mission room asks only for what its map holds: a duplicate of the map's list, a stage of
// the duplicate (0 the first), and no other kind of room asks for a duplicate at all; a seat
// beyond the room's size stays shut.
TEST_F(MissionServerTest, WhatAMissionRoomCannotAskForIsRefused)
{
    const std::string noStage = "That stage cannot be played here.";
    EXPECT_EQ(create(9, "201", 4, {{"d_id", "7"}}).second, noStage);
    EXPECT_EQ(create(9, "201", 4, {{"d_id", "2001"}}).second, noStage);              // a duplicate of another place
    EXPECT_EQ(create(9, "201", 4, {{"d_id", "2"}, {"ds_id", "3"}}).second, noStage); // two stages only
    EXPECT_EQ(create(9, "201", 4, {{"d_id", "1"}, {"ds_id", "2"}}).second, noStage); // one, without stages
    EXPECT_EQ(create(9, "201", 4, {{"d_id", "x"}}).second, noStage);
    EXPECT_EQ(create(1, "1", 4, {{"d_id", "1"}}).second, noStage);
    EXPECT_EQ(create(1, "1", 4, {{"ds_id", "0"}}).second, noStage);
    EXPECT_EQ(create(1, "1", 4, {{"private", "true"}}).second,
              "Rooms are opened for Team, Duel, Melee, Arena or Mission play only.");
    EXPECT_TRUE(heroRoom().empty());

    // The last stage of a duplicate is asked for by its number; 0 is its first.
    ASSERT_FALSE(create(9, "201", 4, {{"d_id", "2"}, {"ds_id", "2"}}).first);
    EXPECT_EQ(room().params["d_id"].asInt(), 2);
    EXPECT_EQ(room().params["ds_id"].asInt(), 2);
    // Another duplicate of the map is fought from its first stage; another map keeps one of its own.
    ASSERT_FALSE(answer(ZRKRoomRequest::changeMapPVE(201, 2, track())).first);
    EXPECT_EQ(room().params["d_id"].asInt(), 3);
    EXPECT_EQ(room().params["ds_id"].asInt(), 0);
    ASSERT_FALSE(answer(ZRKRoomRequest::changeMap(201, track())).first);
    EXPECT_EQ(room().params["d_id"].asInt(), 3);

    // A room of four has seats 0, 1, 4 and 5: the others stay shut, asked however.
    for (int seat : {2, 3, 6, 7}) {
        EXPECT_EQ(answer(ZRKRoomRequest::changeSlotFlag(seat, true, track())).second, "The room has no such seat.")
            << seat;
        EXPECT_FALSE(room().open[seat]) << seat;
    }
    EXPECT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(5, false, track())).first);
    EXPECT_FALSE(room().open[5]);
    EXPECT_FALSE(answer(ZRKRoomRequest::changeSlotFlag(5, true, track())).first);
    EXPECT_TRUE(room().open[5]);
    lobby().leave("hero", heroRoom());

    // A players' room has no duplicate to change to.
    ASSERT_FALSE(create(1, "1", 2).first);
    EXPECT_EQ(answer(ZRKRoomRequest::changeMapPVE(1, 0, track())).second, noStage);
    EXPECT_FALSE(room().params.isMember("d_id"));
}

// A mission starts with its one player, fights with tactic 9 its duplicate's first stage, and
// goes on stage by stage in the same room: "ds_next" 1 at once, the room rebuilding (state 5)
// about twenty seconds later for half a second, then the next stage started as any battle on a
// seed of its own. After the last stage, "ds_next" 2 and a free box for each fighter; the
// server's players open theirs only after hero has opened his.
TEST_F(MissionServerTest, AMissionIsFoughtStageByStageThenEndsWithABoxForEachFighter)
{
    ASSERT_FALSE(create(9, "201", 4, {{"d_id", "2"}}).first);
    const std::string name = heroRoom();
    EXPECT_EQ(lobby().startRefusal(name, "hero"), ""); // alone, on one team
    ASSERT_EQ(core().bots().fillRoom(name, 3), 3);
    ASSERT_EQ(core().bots().readyAll(name), 3);
    ASSERT_NO_FATAL_FAILURE(startAndLoad());
    EXPECT_EQ(params()["tactic"].asString(), "9");
    EXPECT_EQ(params()["d_id"].asString(), "2");
    EXPECT_EQ(params()["ds_id"].asString(), "1");
    const std::string firstSeed = params()["seed"].asString();
    const long long coinsBefore = coins("hero");

    // Stage 1 won by a bot's side (team 1): every player won together.
    ASSERT_NO_FATAL_FAILURE(reportOver(1));
    EXPECT_TRUE(room().battle.at("hero")["win"].asBool());
    EXPECT_GT(coins("hero"), coinsBefore);
    EXPECT_EQ(state()["ds_next"].asString(), "1");
    EXPECT_FALSE(state().isMember("boxes"));
    EXPECT_EQ(core().prizeBoxes().find(name), nullptr);
    play(ZRKBattleOps::kNextStageSeconds - 1.0);
    EXPECT_EQ(stateOf(name), 2);
    play(1.0);
    ASSERT_EQ(stateOf(name), 5);
    EXPECT_EQ(state()["state"].asString(), "5");
    // The next stage's values come with the rebuild: each client's land is built for it.
    EXPECT_EQ(params()["ds_id"].asString(), "2");
    const std::string nextSeed = params()["seed"].asString();
    EXPECT_NE(nextSeed, firstSeed);
    EXPECT_FALSE(lobby().reportLoaded(name, "hero")); // not before the stage has started
    clock.advance(ZRKLobbyBattles::kRebuildHoldSeconds - 0.1);
    tick();
    EXPECT_EQ(stateOf(name), 5); // held: every client's land sees it
    clock.advance(0.2);
    tick();
    ASSERT_EQ(stateOf(name), 0);
    EXPECT_EQ(params()["ds_id"].asString(), "2");
    EXPECT_EQ(params()["d_id"].asString(), "2");
    EXPECT_EQ(params()["tactic"].asString(), "9");
    EXPECT_EQ(params()["seed"].asString(), nextSeed);
    EXPECT_FALSE(state().isMember("ds_next"));
    EXPECT_EQ(lobby().seated(name).size(), 4u);
    ASSERT_TRUE(lobby().reportLoaded(name, "hero")); // the server's players loaded at once
    ASSERT_EQ(stateOf(name), 2);

    // The last stage won: the mission's end.
    ASSERT_NO_FATAL_FAILURE(reportOver(0));
    EXPECT_EQ(state()["ds_next"].asString(), "2");
    const std::list<core::XmlConfigHelper> offers = heroView()->getBoxes();
    ASSERT_EQ(offers.size(), 4u); // more fighters than boxes.json's three
    for (const core::XmlConfigHelper& o : offers)
        EXPECT_EQ(o.getIntVal("b_buy_type", -1), 0);
    ZRKPrizeBoxes::Battle* boxes = core().prizeBoxes().find(name);
    ASSERT_NE(boxes, nullptr);
    auto opened = [&] {
        int n = 0;
        for (const ZRKPrizeBoxes::Offer& o : core().prizeBoxes().find(name)->offers)
            n += o.openedBy.empty() ? 0 : 1;
        return n;
    };
    play(ZRKBattleOps::kPveCloseSeconds - ZRKPrizeBoxes::kBotLastSeconds - 1.0);
    EXPECT_EQ(opened(), 0); // the server's players wait for hero
    const std::string firstId = offers.front().getStringVal("b_id", "");
    ASSERT_FALSE(answer(ZRKRoomRequest::openBox({{"idx", "0"}, {"id", firstId}}, track())).first);
    tick(2);
    EXPECT_EQ(opened(), 4);
    for (const ZRKPrizeBoxes::Offer& o : core().prizeBoxes().find(name)->offers)
        EXPECT_FALSE(o.openedBy.empty());
    play(ZRKPrizeBoxes::kBotLastSeconds + 1.0);
    EXPECT_EQ(stateOf(name), 3);

    // Back in the room, the next mission starts from the first stage again.
    ASSERT_FALSE(answer(ZRKRoomRequest::backFromBattle(name, track())).first);
    ASSERT_EQ(stateOf(name), 1);
    EXPECT_EQ(room().params["ds_id"].asInt(), 0);
    ASSERT_EQ(core().bots().readyAll(name), 3);
    ASSERT_NO_FATAL_FAILURE(startAndLoad());
    EXPECT_EQ(params()["ds_id"].asString(), "1");
}

// A lost stage ends the mission at once, with its boxes; the server's players, whom no player
// waits for, open theirs in the last seconds before the close.
TEST_F(MissionServerTest, ALostStageEndsTheMissionAndTheServersPlayersOpenInTheLastSeconds)
{
    ASSERT_FALSE(create(9, "201", 2, {{"d_id", "3"}}).first);
    const std::string name = heroRoom();
    ASSERT_EQ(core().bots().fillRoom(name, 1), 1);
    ASSERT_EQ(core().bots().readyAll(name), 1);
    ASSERT_NO_FATAL_FAILURE(startAndLoad());
    ASSERT_NO_FATAL_FAILURE(reportOver(-1));
    EXPECT_EQ(state()["ds_next"].asString(), "2");
    ZRKPrizeBoxes::Battle* boxes = core().prizeBoxes().find(name);
    ASSERT_NE(boxes, nullptr);
    EXPECT_EQ(boxes->offers.size(), 3u);
    lobby().setOnline("hero", false, true); // hero goes: he will not open his
    play(ZRKBattleOps::kPveCloseSeconds - ZRKPrizeBoxes::kBotLastSeconds - 0.5);
    int opened = 0;
    for (const ZRKPrizeBoxes::Offer& o : core().prizeBoxes().find(name)->offers)
        opened += o.openedBy.empty() ? 0 : 1;
    EXPECT_EQ(opened, 0);
    play(ZRKPrizeBoxes::kBotLastSeconds);
    ZRKPrizeBoxes::Battle* still = core().prizeBoxes().find(name);
    opened = 0;
    for (const ZRKPrizeBoxes::Offer& o : still ? still->offers : std::vector<ZRKPrizeBoxes::Offer>())
        opened += o.openedBy.empty() ? 0 : 1;
    EXPECT_EQ(opened, 1);
}

// Revives are priced as the mission's ("battle/pve_pacemaker") in exactly the rooms of mode 9,
// as the players' in every other room, and each sells no more than its table allows.
TEST_F(MissionServerTest, RevivesAreTheMissionsInExactlyTheMissionRooms)
{
    ASSERT_TRUE(core().revives().setTable(false, "0, 3, 1, 100"));
    ASSERT_TRUE(core().revives().setTable(true, "0, 5, 1, 50"));
    for (int mode : {9, 1}) {
        ASSERT_FALSE(create(mode, mode == 9 ? "201" : "1", 2).first) << mode;
        const std::string name = heroRoom();
        if (mode == 1) {
            ASSERT_EQ(core().bots().fillRoom(name, 1), 1);
            ASSERT_EQ(core().bots().readyAll(name), 1);
        }
        ASSERT_NO_FATAL_FAILURE(startAndLoad());
        const long long before = coins("hero");
        int sold = 0;
        while (sold < 10 && !roomAsk("buyRevive", name).first)
            ++sold;
        EXPECT_EQ(sold, mode == 9 ? 5 : 3) << mode;
        EXPECT_EQ(before - coins("hero"), mode == 9 ? 5 * 50 : 3 * 100) << mode;
        lobby().leave("hero", name);
    }
}

// A private mission: its maker's alone (unlisted, nobody else comes in, none of the server's
// players either), started by itself at once on the place's duplicate and its first stage, and
// closed once its battle is over and its maker is back from it.
TEST_F(MissionServerTest, APrivateMissionIsItsMakersAloneStartsByItselfAndClosesAfterItsBattle)
{
    ASSERT_FALSE(create(9, "2001", 4, {{"d_id", "2001"}, {"ds_id", "0"}, {"private", "true"}}).first);
    const std::string name = heroRoom();
    ASSERT_FALSE(name.empty());
    tick();
    EXPECT_EQ(stateOf(name), 0); // started: hero's client enters straight into the battle
    EXPECT_EQ(params()["ds_id"].asString(), "1");
    EXPECT_EQ(params()["d_id"].asString(), "2001");
    EXPECT_EQ(params()["tactic"].asString(), "9");
    EXPECT_EQ(lobby().enter("hero", name, ""), ZRKLobby::Entered); // his client's entry after the reply
    EXPECT_EQ(heroRoom(), name);

    // Unseen and shut to everyone else, also before its battle is on (a private room another
    // maker opened, not started yet).
    lobby().setOnline("maker", true, true);
    ZRKLobby::RoomOffer offer;
    offer.mode = 9;
    offer.place = "201";
    offer.priv = true;
    const std::string waiting = lobby().openRoom("maker", lobby().zoneOf("hero")->name, offer);
    ASSERT_FALSE(waiting.empty());
    ASSERT_EQ(stateOf(waiting), 1);
    for (const std::string& other : {name, waiting}) {
        for (const ZRKLobby::Zone& z : lobby().zones())
            for (const ZRKLobby::Room* r : lobby().roomsIn(z.name))
                EXPECT_NE(r->name, other);
        EXPECT_FALSE(lobby().quickJoinable(*lobby().findRoom(other)));
        lobby().setOnline("guest", true, true);
        EXPECT_EQ(lobby().enter("guest", other, ""), ZRKLobby::NoAccess) << other;
        EXPECT_EQ(lobby().seatOurs(core().bots().at(0).name, other), ZRKLobby::NoAccess) << other;
        EXPECT_EQ(core().bots().fillRoom(other, 2), 0) << other;
    }
    play(30.0);
    EXPECT_EQ(lobby().seated(name), std::vector<std::string>({"hero"}));
    EXPECT_EQ(lobby().seated(waiting), std::vector<std::string>({"maker"}));

    // Fought and lost; hero back from it: the room is gone.
    ASSERT_TRUE(lobby().reportLoaded(name, "hero"));
    ASSERT_NO_FATAL_FAILURE(reportOver(-1));
    ASSERT_FALSE(answer(ZRKRoomRequest::backFromBattle(name, track())).first);
    tick(2);
    EXPECT_EQ(lobby().findRoom(name), nullptr);
    EXPECT_TRUE(heroRoom().empty());
    // A private mission on the Training Fort plays the duplicate asked for.
    ASSERT_FALSE(create(9, "201", 4, {{"d_id", "3"}, {"ds_id", "0"}, {"private", "1"}}).first);
    EXPECT_EQ(room().params["d_id"].asInt(), 3);
    EXPECT_EQ(stateOf(heroRoom()), 0);
}

// The one rule the server and the game share: which rooms fight missions, and where the
// create form's private missions are fought.
TEST(MissionRule, MissionsAreExactlyModeNineAndThePrivateNumbersNameTheirPlace)
{
    EXPECT_TRUE(core::MissionRule::isMission(9));
    for (int mode : {0, 1, 2, 3, 8, 10, 1003, 2001})
        EXPECT_FALSE(core::MissionRule::isMission(mode)) << mode;
    EXPECT_EQ(core::MissionRule::tacticOf(9), 9);
    EXPECT_EQ(core::MissionRule::tacticOf(1), 0);
    struct Case {
        int m;
        const char* place;
        int index;
    };
    for (const Case c :
         {Case{1003, "201", 0}, Case{1004, "201", 2}, Case{1999, "201", 2}, Case{2001, "2001", 0},
          Case{2005, "2005", 0}, Case{2000, "", -1}, Case{1002, "", -1}, Case{1001, "", -1}, Case{9, "", -1}}) {
        EXPECT_EQ(core::MissionRule::isPrivateMission(c.m), c.index >= 0) << c.m;
        EXPECT_EQ(core::MissionRule::privatePlace(c.m), c.place) << c.m;
        EXPECT_EQ(core::MissionRule::privateDungeonIndex(c.m), c.index) << c.m;
    }
    EXPECT_EQ(core::MissionRule::stageOf(0), 1);
    EXPECT_EQ(core::MissionRule::stageOf(-1), 1);
    EXPECT_EQ(core::MissionRule::stageOf(2), 2);
    EXPECT_NE(ZRKLobbyBattles::nextStageSeed(7, 2), 7u);
    EXPECT_EQ(ZRKLobbyBattles::nextStageSeed(7, 2), ZRKLobbyBattles::nextStageSeed(7, 2));
}
