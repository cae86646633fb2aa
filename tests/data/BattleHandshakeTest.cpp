// A battle's hand-shake with the server: started for a player with the server's own players,
// loaded by everyone before it is fought, its awards written back once, and closed a little
// after it ended.
#include <gtest/gtest.h>

#include <server/ZRKBattleOps.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKJson.h>
#include <server/ZRKLobby.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <util/BattleAwards.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

class BattleHandshakeTest : public zrktest::HeroOnServer {
protected:
    BattleHandshakeTest()
    {
        config.bots = 3;
        startServer();
        logInHero(2);
    }
    ZRKServerCore& core() { return server->core(); }
    long long coins(const std::string& player) { return core().world().player(player)->money[ZRKWorld::Coins]; }
    long long exp(const std::string& player) { return core().world().player(player)->exp; }
    /// A started battle of hero against one bot, loaded and being fought.
    std::string fight()
    {
        const std::string name = core().startBotBattle("hero", 1, "1", 7);
        tick();
        roomAsk("reportLoad", name);
        return name;
    }
    /// Another player on a connection of its own: the reply's text ("!" and the text when refused).
    std::string stranger(const char* op, const Json::Value& args)
    {
        if (!strangerConnection) {
            strangerConnection = core().connect();
            Json::Value login;
            login["name"] = "rookie";
            login["password"] = "rookie123";
            strangerSays("login", login);
        }
        return strangerSays(op, args);
    }
    std::string strangerSays(const char* op, const Json::Value& args)
    {
        ZRKRequestInfo request;
        request.handle = ++strangerHandle;
        request.op = op;
        request.args = args;
        core().handle(strangerConnection, ZRKMessage::request(request));
        std::vector<ZRKMessage> out;
        core().take(strangerConnection, out);
        return out.empty() ? "<none>" : (out.back().error ? "!" : "") + out.back().text;
    }
    long strangerConnection = 0;
    long strangerHandle = 0;

    datatest::ManualClock clock;
};

} // namespace

TEST_F(BattleHandshakeTest, EveryoneLoadsThenItIsFoughtAwardedOnceAndClosedTenSecondsLater)
{
    ASSERT_TRUE(session->isOnline());
    const long long before = coins("hero");
    const std::string name = core().startBotBattle("hero", 1, "1", 99);
    ASSERT_EQ(name, "battle_hero");
    tick();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(name, false, false);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->getParams().getStringVal("seed", ""), "99");
    EXPECT_EQ(room->getParams().getStringVal("place", ""), "1");
    EXPECT_FALSE(room->getParams().getStringVal("wind", "").empty());
    EXPECT_EQ(room->getState().getIntVal("state", -1), 0); // the bot loaded; the player has not
    const std::string bot = core().lobby().seated(name).back();
    EXPECT_NE(bot, "hero");
    EXPECT_EQ(room->findPlayer(bot)->getBattleState().getIntVal("bot", 0), 1);

    // Nobody may end a battle that is not being fought, nor load one of another room.
    roomAsk("reportBattleOver", name, 0);
    EXPECT_EQ(coins("hero"), before);
    EXPECT_TRUE(roomAsk("reportLoad", "drill").first);
    EXPECT_TRUE(roomAsk("reportLoad", Json::Value(5)).first);

    EXPECT_FALSE(roomAsk("reportLoad", name).first);
    EXPECT_EQ(room->getState().getIntVal("state", -1), 2);
    EXPECT_TRUE(roomAsk("reportBattleOver", name, "one").first); // a winner that is no number
    EXPECT_EQ(coins("hero"), before);

    const long long botBefore = coins(bot);
    const int heroTeam = room->findPlayer("hero")->getBattleState().getIntVal("team", -1);
    EXPECT_FALSE(roomAsk("reportBattleOver", name, heroTeam).first);
    EXPECT_EQ(coins("hero"), before + core::BattleAwards::amount(true, core::BattleAwards::Coins));
    EXPECT_EQ(coins(bot), botBefore + core::BattleAwards::amount(false, core::BattleAwards::Coins));
    const Json::Value award = ZRKJson::fromView(room->findPlayer("hero")->getBattleState())["award"];
    ASSERT_FALSE(award.isNull());
    // A second report (another client's) writes nothing more.
    roomAsk("reportBattleOver", name, 1 - heroTeam);
    EXPECT_EQ(coins("hero"), before + core::BattleAwards::amount(true, core::BattleAwards::Coins));

    clock.advance(ZRKBattleOps::kCloseSeconds - 1.0);
    tick();
    EXPECT_EQ(room->getState().getIntVal("state", -1), 2);
    clock.advance(1.5);
    tick(2);
    EXPECT_EQ(room->getState().getIntVal("state", -1), 3);

    // Left by the player, the finished battle can be started again.
    session->leave(name);
    tick(2);
    EXPECT_EQ(core().startBotBattle("hero", 1, "1", 100), name);
}

TEST_F(BattleHandshakeTest, NoBattleForAPlayerWhoIsNotOnline)
{
    datatest::LogCapture log;
    EXPECT_EQ(core().startBotBattle("nobody", 1, "1", 1), "");
    EXPECT_EQ(log.containing("ZRKGameServer", "no bot battle for nobody"), 1u);
}

TEST_F(BattleHandshakeTest, ARunningBattleTakesNobodyInAndAStrangersEndReportChangesNothing)
{
    const std::string name = fight();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(name, false, false);
    ASSERT_NE(room, nullptr);
    ASSERT_EQ(room->getState().getIntVal("state", -1), 2);
    const long long heroCoins = coins("hero"), rookieCoins = coins("rookie");
    Json::Value enter(Json::arrayValue);
    enter.append(name);
    EXPECT_EQ(stranger("enter", enter), "9");
    EXPECT_EQ(core().lobby().seated(name).size(), 2u);
    Json::Value over(Json::arrayValue);
    over.append(name);
    over.append(0);
    EXPECT_EQ(stranger("reportBattleOver", over)[0], '!');
    EXPECT_EQ(stranger("reportLoad", enter)[0], '!');
    tick();
    EXPECT_EQ(coins("hero"), heroCoins);
    EXPECT_EQ(coins("rookie"), rookieCoins);
    EXPECT_FALSE(core().lobby().findRoom(name)->finished);
    EXPECT_EQ(room->getState().getIntVal("state", -1), 2);
    // The battle's own player still ends it, and only its players are paid.
    EXPECT_FALSE(roomAsk("reportBattleOver", name, 0).first);
    EXPECT_TRUE(core().lobby().findRoom(name)->finished);
    EXPECT_NE(coins("hero"), heroCoins);
    EXPECT_EQ(coins("rookie"), rookieCoins);
}

TEST_F(BattleHandshakeTest, AwardsLostToAFailedCommitAreWrittenByTheNextReportAndOnlyOnce)
{
    const std::string name = fight();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(name, false, false);
    ASSERT_NE(room, nullptr);
    const int heroTeam = room->findPlayer("hero")->getBattleState().getIntVal("team", -1);
    const long long coinsBefore = coins("hero"), expBefore = exp("hero");

    core().world().db().refuseCommits(1);
    EXPECT_TRUE(roomAsk("reportBattleOver", name, heroTeam).first); // told it failed
    EXPECT_EQ(coins("hero"), coinsBefore);
    EXPECT_EQ(exp("hero"), expBefore);
    EXPECT_FALSE(core().lobby().findRoom(name)->finished);
    EXPECT_TRUE(ZRKJson::fromView(room->findPlayer("hero")->getBattleState())["award"].isNull());

    EXPECT_FALSE(roomAsk("reportBattleOver", name, heroTeam).first);
    const long long won = core::BattleAwards::amount(true, core::BattleAwards::Coins);
    EXPECT_EQ(coins("hero"), coinsBefore + won);
    EXPECT_EQ(exp("hero"), expBefore + core::BattleAwards::amount(true, core::BattleAwards::Experience));
    // What the result screen reads is what the world wrote.
    const Json::Value award = ZRKJson::fromView(room->findPlayer("hero")->getBattleState())["award"];
    ASSERT_EQ(award.size(), core::BattleAwards::of(true).size());
    long long shownCoins = 0;
    for (const Json::Value& a : award)
        if (a["bi_type"].asString() == "1")
            shownCoins = std::stoll(a["bi_num"].asString());
    EXPECT_EQ(shownCoins, won);
    // Late, repeated, for a battle nobody knows: nothing more.
    roomAsk("reportBattleOver", name, heroTeam);
    clock.advance(ZRKBattleOps::kCloseSeconds + 1);
    tick(2);
    roomAsk("reportBattleOver", name, heroTeam);
    EXPECT_TRUE(roomAsk("reportBattleOver", "battle_nobody", 0).first);
    EXPECT_EQ(coins("hero"), coinsBefore + won);
}

// The server prices each revive itself from the game's table ("0, 3, 1, 100, 1, 200": three
// allowed, 100 coins, then 200), whatever the client names, and sells no fourth; the count is
// the battle's: the next battle of the room sells three again.
TEST_F(BattleHandshakeTest, RevivesArePricedByTheServerAndEndAtTheTablesNumber)
{
    ASSERT_TRUE(core().revives().setTable(false, "0, 3, 1, 100, 1, 200"));
    const std::string name = fight();
    auto buy = [&](const Json::Value& currency, const Json::Value& cost) {
        std::pair<bool, std::string> out{true, "unanswered"};
        bool done = false;
        ZRKRequestBroker::call(
            "ZRKRoomRequest", "buyRevive",
            [&](bool error, const std::string& text) {
                out = {error, text};
                done = true;
            },
            name, currency, cost);
        pump.until([&] { return done; }, 10, "the answer");
        return out;
    };
    const long long start = coins("hero");
    const long long medals = core().world().player("hero")->money[ZRKWorld::Medals];
    EXPECT_FALSE(buy(1, 0).first); // a free revive asked: the table's price taken
    EXPECT_EQ(coins("hero"), start - 100);
    EXPECT_FALSE(buy(3, -50).first); // another currency, a gift asked: the table's again
    EXPECT_EQ(coins("hero"), start - 300);
    EXPECT_EQ(core().world().player("hero")->money[ZRKWorld::Medals], medals);
    EXPECT_FALSE(buy(Json::Value(), Json::Value()).first); // no price named at all
    EXPECT_EQ(coins("hero"), start - 500);
    {
        datatest::LogCapture log;
        EXPECT_TRUE(buy(1, 100).first);
        EXPECT_EQ(log.containing("ZRKGameServer", "buyRevive refused for hero: hero has no revive left"), 1u);
    }
    EXPECT_EQ(coins("hero"), start - 500);
    // Someone who does not fight there buys nothing in it.
    Json::Value args(Json::arrayValue);
    args.append(name);
    EXPECT_EQ(stranger("buyRevive", args).substr(0, 1), "!");

    roomAsk("reportBattleOver", name, 0);
    session->leave(name);
    tick(2);
    clock.advance(ZRKBattleOps::kCloseSeconds + 1.0);
    tick(2);
    ASSERT_EQ(core().startBotBattle("hero", 1, "1", 8), name);
    tick();
    roomAsk("reportLoad", name);
    const long long again = coins("hero");
    EXPECT_FALSE(buy(1, 0).first);
    EXPECT_EQ(coins("hero"), again - 100);
}

// A player who gives the battle up reports the props he used: they leave his props bag at
// once, from as many stacks of a prop as it takes and never beyond what he holds; a second
// report, or the end report after it, takes nothing more. A report that is no short list is
// refused, and so is one from someone who does not fight there.
TEST_F(BattleHandshakeTest, AGivenUpBattlesPropsLeaveTheBagOnceFromEveryStackAndNeverBeyondWhatIsHeld)
{
    ZRKWorld& world = core().world();
    ZRKWorld::Item second; // a second stack of Repair Kits beside the three of slot 51
    second.id = 4001;
    second.slot = 53;
    second.count = 2;
    ASSERT_TRUE(world.addItem("hero", second));
    const auto stacks = [&world](long long id) {
        std::vector<long long> counts;
        for (const ZRKWorld::Item& i : world.items("hero"))
            if (i.bag == 5 && i.id == id)
                counts.push_back(i.count);
        return counts;
    };
    ASSERT_EQ(stacks(4001), (std::vector<long long>{3, 2}));
    ASSERT_EQ(stacks(5002), (std::vector<long long>{2}));
    const std::string name = fight();
    Json::Value used(Json::arrayValue);
    used.append(Json::Value(Json::objectValue));
    used[0]["i_id"] = "4001";
    used[0]["num"] = 4; // the first stack and one of the second
    used.append(Json::Value(Json::objectValue));
    used[1]["i_id"] = 5002;
    used[1]["num"] = 9; // more than he holds

    Json::Value tooLong(Json::arrayValue);
    for (int i = 0; i < 17; ++i)
        tooLong.append(used[0]);
    EXPECT_TRUE(roomAsk("reportBattleLeft", name, tooLong).first);
    EXPECT_TRUE(roomAsk("reportBattleLeft", name, "4001").first);
    Json::Value args(Json::arrayValue);
    args.append(name);
    args.append(used);
    EXPECT_EQ(stranger("reportBattleLeft", args).substr(0, 1), "!");
    EXPECT_EQ(stacks(4001), (std::vector<long long>{3, 2})); // nothing taken by any of them

    EXPECT_FALSE(roomAsk("reportBattleLeft", name, used).first);
    EXPECT_EQ(stacks(4001), (std::vector<long long>{1}));
    EXPECT_EQ(stacks(5002), (std::vector<long long>()));
    // Told again, or the battle's end told with the same props: nothing more.
    EXPECT_FALSE(roomAsk("reportBattleLeft", name, used).first);
    bool told = false;
    ZRKRequestBroker::call(
        "ZRKRoomRequest", "reportBattleOver", [&told](bool error, const std::string&) { told = !error; }, name, 0,
        Json::Value(Json::arrayValue), used);
    pump.until([&] { return told; }, 10, "the end told");
    EXPECT_EQ(stacks(4001), (std::vector<long long>{1}));
    EXPECT_EQ(stacks(5002), (std::vector<long long>()));
}
