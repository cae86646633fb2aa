// The battle room against the embedded server: entry, the start-up gate, the load states,
// the guide text before the fight, the end with its awards and the way back.
#include <gtest/gtest.h>
#include <core/BlackBoard.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <core/TimerManager.h>
#include <core/Updatable.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerConfig.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKJson.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "battle/BattleLandRoom.h"
#include "battle/BattleRoom.h"
#include "battle/EvtLandHandler.h"
#include "BattleServerFixture.h"
#include "services/GameServices.h"
#include "shell/Application.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The battle room with "hero" and a bot battle of the embedded server (see the fixture).
class BattleRoomTest : public zrktest::BattleServerFixture {
protected:
    ZRKServerCore& server() { return session->getGameServer()->core(); }
    /// Starts the bot battle and enters the room's scene as the teleport would.
    void enterBattle(const std::string& params = "bag=2&set=ca1&prev=zrk_personalroom")
    {
        ASSERT_EQ(server().startBotBattle("hero", 1, "1", 7), "battle_hero");
        frame();
        room.reset(new BattleRoom);
        room->onEnter(params);
        room->onEnterRoom("battle_hero", 0, params);
    }
};

/// The battle room with the game's main frame, whose boxes the test reads.
class GivenUpBattleTest : public BattleRoomTest {
protected:
    int serverState() { return server().lobby().findRoom("battle_hero")->state["state"].asInt(); }
    core::BlackBoard board;
    Application app{nullptr, "game.exe"};
    core::Frame mainFrame{app};
    GameServices::FrameLoan loan{mainFrame};
};

} // namespace

TEST_F(BattleRoomTest, EntryReadsTheBagAndTheWayBackAndARoomIsAdaptedForTheLand)
{
    enterBattle("bag=2&set=ca9&prev=playerhall");
    EXPECT_EQ(room->getName(), "battle");
    EXPECT_EQ(room->getAmmoBag(), 2);
    EXPECT_EQ(ZRKUserRequest::getCa_id(), 2);
    EXPECT_EQ(room->getReturnState(), "playerhall");
    EXPECT_FALSE(room->queryFlag());

    BattleLandRoom land("battle_hero");
    EXPECT_EQ(land.getSlotCount(), 8);
    EXPECT_EQ(land.getSeatPlayer(0), "hero");
    EXPECT_EQ(land.getMyPlayerId(), "hero");
    EXPECT_EQ(land.getRoomValues().getStringVal("seed", ""), "7");
    EXPECT_EQ(land.getRoomValues().getStringVal("wind", "").find(" 0 0"),
              land.getRoomValues().getStringVal("wind", "").size() - 4);
    EXPECT_TRUE(land.getMapRecord("1").isObject());
    EXPECT_TRUE(land.getItemRecord("1").isObject());
    const std::string bot = land.getSeatPlayer(4);
    ASSERT_FALSE(bot.empty());
    EXPECT_TRUE(land.getPlayerSettings(bot).getBoolVal("pc_bot", false));
    EXPECT_FALSE(land.getPlayerSettings("hero").getBoolVal("pc_bot", true));
    EXPECT_FALSE(land.getPlayerState(bot)->getUserSettings().getBoolVal("pc_bot", false)); // a copy was marked

    // A room that went away answers as an empty one.
    BattleLandRoom gone("no_such_room");
    EXPECT_EQ(gone.getSlotCount(), 0);
    EXPECT_EQ(gone.getSeatPlayer(0), "");
    EXPECT_FALSE(gone.getPlayerState("hero"));
    EXPECT_TRUE(gone.getPlayerWeapons("hero").empty());
    gone.reportLoaded("hero"); // nothing is sent

    // Leaving gives the ammo bag back.
    room->onExit();
    EXPECT_EQ(ZRKUserRequest::getCa_id(), 1);
}

TEST_F(BattleRoomTest, ABagThatIsNotOneTwoOrThreeCountsAsThreeAndHugeTextsAreRefused)
{
    yake::logging::logger::instance().startCapture();
    enterBattle("bag=x&prev=room");
    EXPECT_EQ(room->getAmmoBag(), 3);
    room->onEnterRoom("battle_hero", 0, "bag=2&bag=9&prev=" + std::string(10000, 'a'));
    EXPECT_EQ(room->getAmmoBag(), 3); // refused whole
    EXPECT_EQ(room->getReturnState(), "room");
    EXPECT_GE(yake::logging::logger::instance().countCaptured("room", "ammo bag \"x\" is not 1, 2 or 3: bag 3 is used"),
              1u);
    yake::logging::logger::instance().stopCapture();
}

TEST_F(BattleRoomTest, LoadingWaitsForTheDelayAndTheParametersWhicheverComesLast)
{
    enterBattle();
    room->onRoomReady("battle_hero");
    ASSERT_NE(room->getLand(), nullptr);
    EXPECT_TRUE(room->isTimerPending(0));
    EXPECT_FALSE(room->areParamsReceived());
    frame(0.01f); // the parameters are replayed on the next frame, before the delay
    EXPECT_TRUE(room->areParamsReceived());
    EXPECT_EQ(room->getLand()->getLoadState(), LOAD_NONE);
    frames(3);
    EXPECT_FALSE(room->isTimerPending(0));
    EXPECT_NE(room->getLand()->getLoadState(), LOAD_NONE);

    // The other way round: the delay first, then the parameters start it at once, once.
    room->createLand();
    ZRKLand* land = room->getLand();
    yake::native::advanceTime(0.2);
    core::TimerManager::instance().update();
    EXPECT_TRUE(land->getSetup().seats.empty()); // not built: no parameters yet
    room->onRoomParam(true, true);
    ASSERT_EQ(land->getSetup().seats.size(), 2u);
    room->onRoomParam(true, true); // once per land: a second build would be refused with a log line
    room->startLoading();
    EXPECT_EQ(room->getLand(), land);
}

TEST_F(BattleRoomTest, TheGuideTextStartsTheFightAfterItsTimeAndTheEndBringsAwardsAndTheWayBack)
{
    enterBattle();
    room->onRoomReady("battle_hero");
    ASSERT_TRUE(until([&] { return room->getLand() && room->getLand()->getLoadState() == LOAD_READY; }, 200));
    EXPECT_EQ(server().lobby().findRoom("battle_hero")->state["state"].asInt(), 2);
    // The land's guide text waits its time, then the simulator runs.
    ASSERT_TRUE(until([&] { return room->isTimerPending(1); }, 5));
    EXPECT_FALSE(room->getLand()->isFighting());
    ASSERT_TRUE(until([&] { return room->getLand()->isFighting(); }, 200));

    // The fight runs to its end: the own doll loses every turn it does nothing.
    const long long coins = server().world().player("hero")->money[ZRKWorld::Coins];
    ASSERT_TRUE(until([&] { return room->isBattleOverShown(); }, 40000, 0.1f));
    EXPECT_TRUE(room->isResultReported());
    EXPECT_GT(server().world().player("hero")->money[ZRKWorld::Coins], coins);
    frames(3);
    ASSERT_FALSE(room->getAwards().empty());
    EXPECT_EQ(room->getAwards().front().bi_type, 1);
    EXPECT_EQ(room->getAwards().front().bi_num, server().world().player("hero")->money[ZRKWorld::Coins] - coins);
    EXPECT_TRUE(room->getLand()->hasPodium());

    // Ten seconds later the server closes the battle; the land tells it and the room leaves.
    ASSERT_TRUE(until([&] { return !room->hasScene(); }, 400, 0.1f));
    EXPECT_EQ(session->getLastTeleport(), "zrk_personalroom");
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(room->isTimerPending(i));
    EXPECT_EQ(room->getLand(), nullptr);
}

TEST_F(BattleRoomTest, LandEventsReachTheRoomAndBadOnesAreConsumedWithALogLine)
{
    enterBattle("prev=room");
    room->onRoomReady("battle_hero");
    EvtLandHandler handler(*room);
    core::Event other(6600);
    EXPECT_FALSE(handler.handle(other));

    yake::logging::logger::instance().startCapture();
    core::Event bad(6507);
    bad.attrs().setAttr("prompt", 5);
    EXPECT_TRUE(handler.handle(bad));
    EXPECT_EQ(yake::logging::logger::instance().countCaptured(
                  "EvtLandHandler",
                  "land event 6507 not handled: boost::bad_any_cast: failed conversion using boost::any_cast"),
              1u);
    yake::logging::logger::instance().stopCapture();

    // Guide text before the land has loaded waits; a negative time-out counts as 0.
    core::Event guide(6507);
    guide.attrs().setAttr("prompt", std::string());
    guide.attrs().setAttr("timeout", -4.0f);
    EXPECT_TRUE(handler.handle(guide));
    EXPECT_TRUE(room->isGuideWaiting());
    EXPECT_EQ(room->getGuideDuration(), 0.0f);

    // 6508 without "sync": the leave, once, 100 ms later.
    core::Event end(6508);
    end.attrs().setAttr("sync", false);
    EXPECT_TRUE(handler.handle(end));
    EXPECT_TRUE(handler.handle(end));
    EXPECT_TRUE(room->isTimerPending(4));
    frames(3);
    EXPECT_FALSE(room->hasScene());
    EXPECT_EQ(session->getLastTeleport(), "room");
    room->onExit(); // a second teardown is harmless
}

TEST_F(BattleRoomTest, ResyncBuildsANewLandAndKillsThePendingTimers)
{
    enterBattle();
    room->onRoomReady("battle_hero");
    ASSERT_TRUE(until([&] { return room->getLand() && room->getLand()->getLoadState() == LOAD_READY; }, 200));
    room->scheduleLeave();
    // The land is known by its life: a new one may well sit where the old one was freed.
    const std::weak_ptr<void> first = room->getLand()->getLife();
    core::Event sync(6508);
    sync.attrs().setAttr("sync", true);
    EvtLandHandler(*room).handle(sync);
    ASSERT_NE(room->getLand(), nullptr);
    EXPECT_TRUE(first.expired());
    EXPECT_FALSE(room->getLand()->getLife().expired());
    EXPECT_EQ(room->getLand()->getLoadState(), LOAD_NONE); // loads afresh
    EXPECT_FALSE(room->isTimerPending(4));
    EXPECT_TRUE(room->isTimerPending(0));
    frames(10);
    EXPECT_TRUE(room->hasScene()); // the killed leave never came
}

TEST_F(GivenUpBattleTest, ALandTooLateForTheServersDeadlineTellsTheBattleWasGivenUpAndGoesBack)
{
    enterBattle("prev=room");
    // hero's machine is slow: the server gives the battle up before his land is even made.
    ASSERT_TRUE(pumpOf(1.0f).until([&] { return serverState() == 4; },
                                   static_cast<int>(ZRKServerConfig::kLoadSeconds) + 10, "the battle given up"));
    room->onRoomReady("battle_hero");
    ASSERT_TRUE(until([&] { return !room->hasScene(); }, 100, 0.05f, "the battle left"));
    ASSERT_FALSE(mainFrame.getMessageBoxes().empty());
    EXPECT_EQ(mainFrame.getMessageBoxes().back().textKey, "warning/srv_abort");
    EXPECT_EQ(session->getLastTeleport(), "room");
    // The room waits for its next start.
    EXPECT_TRUE(until([&] { return serverState() == 1; }, 100));
}

TEST(BattleAwards, CurrenciesMergeByKindAndComeBeforeItemsMergedById)
{
    Json::Value awards(Json::arrayValue);
    auto add = [&](int type, int id, int num) {
        Json::Value a;
        a["bi_type"] = type;
        a["bi_id"] = id;
        a["bi_num"] = num;
        awards.append(a);
    };
    add(6, 900, 1);
    add(1, 0, 100);
    add(5, 0, 7);
    add(6, 12, 2);
    add(1, 0, 30);
    add(6, 900, 2);
    awards.append("not an award");
    BattleRoom room;
    const std::vector<BattleRoom::AwardBoxItem> merged = room.mergeAwards(awards);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0].bi_type, 1);
    EXPECT_EQ(merged[0].bi_num, 130);
    EXPECT_EQ(merged[1].bi_type, 5);
    EXPECT_EQ(merged[2].bi_id, 12);
    EXPECT_EQ(merged[3].bi_id, 900);
    EXPECT_EQ(merged[3].bi_num, 3);
    EXPECT_FALSE(merged[3].counted);
    EXPECT_TRUE(room.mergeAwards(Json::Value()).empty());
}

TEST(BattleAwards, SumsOfHugeAwardsHoldAtTheLimitAndNumbersPastItCountAsNone)
{
    Json::Value awards(Json::arrayValue);
    for (Json::Int64 num : {Json::Int64(2147483647), Json::Int64(2147483647), Json::Int64(1)}) {
        Json::Value a;
        a["bi_type"] = 1;
        a["bi_num"] = num;
        awards.append(a);
    }
    for (Json::Int num : {-2147483647 - 1, -5}) {
        Json::Value a;
        a["bi_type"] = 2;
        a["bi_num"] = num;
        awards.append(a);
    }
    Json::Value past;
    past["bi_type"] = 3;
    past["bi_num"] = Json::UInt64(18446744073709551615ull);
    awards.append(past);
    BattleRoom room;
    const std::vector<BattleRoom::AwardBoxItem> merged = room.mergeAwards(awards);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].bi_num, 2147483647);
    EXPECT_EQ(merged[1].bi_num, -2147483647 - 1);
    EXPECT_EQ(merged[2].bi_num, 0);
}
