// A battle's hand-shake with the server: started for a player with the server's own players,
// loaded by everyone before it is fought, its awards written back once, and closed a little
// after it ended.
#include <gtest/gtest.h>

#include <data/ZRKBattleOps.h>
#include <data/ZRKGameData.h>
#include <data/ZRKGameServer.h>
#include <data/ZRKJson.h>
#include <data/ZRKLobby.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKWorld.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

class BattleHandshakeTest : public ::testing::Test {
protected:
    BattleHandshakeTest()
    {
        config.bots = 3;
        session.reset(new ZRKSession(config));
        server = session->getGameServer();
        session->login("hero", "hero123", [](core::ISession*, int) {});
        tick(2);
    }
    void tick(int frames = 1)
    {
        for (int i = 0; i < frames; ++i)
            session->update(0);
    }
    ZRKServerCore& core() { return server->core(); }
    long long coins(const std::string& player) { return core().world().player(player)->money[ZRKWorld::Coins]; }
    /// Sends a request and ticks until it is answered; the error flag and the text.
    std::pair<bool, std::string> ask(const char* op, const Json::Value& a, const Json::Value& b = Json::Value())
    {
        std::pair<bool, std::string> out{true, "unanswered"};
        bool done = false;
        auto reply = [&](bool error, const std::string& text) {
            out = {error, text};
            done = true;
        };
        if (b.isNull())
            ZRKRequestBroker::call("ZRKRoomRequest", op, reply, a);
        else
            ZRKRequestBroker::call("ZRKRoomRequest", op, reply, a, b);
        for (int i = 0; i < 10 && !done; ++i)
            tick();
        return out;
    }

    datatest::ManualClock clock;
    ZRKServerConfig config;
    std::unique_ptr<ZRKSession> session;
    ZRKGameServer* server = nullptr;
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
    ask("reportBattleOver", name, 0);
    EXPECT_EQ(coins("hero"), before);
    EXPECT_TRUE(ask("reportLoad", "drill").first);
    EXPECT_TRUE(ask("reportLoad", Json::Value(5)).first);

    EXPECT_FALSE(ask("reportLoad", name).first);
    EXPECT_EQ(room->getState().getIntVal("state", -1), 2);
    EXPECT_TRUE(ask("reportBattleOver", name, "one").first); // a winner that is no number
    EXPECT_EQ(coins("hero"), before);

    const long long botBefore = coins(bot);
    const int heroTeam = room->findPlayer("hero")->getBattleState().getIntVal("team", -1);
    EXPECT_FALSE(ask("reportBattleOver", name, heroTeam).first);
    EXPECT_EQ(coins("hero"), before + ZRKBattleOps::kWinCoins);
    EXPECT_EQ(coins(bot), botBefore + ZRKBattleOps::kLoseCoins);
    const Json::Value award = ZRKJson::fromView(room->findPlayer("hero")->getBattleState())["award"];
    ASSERT_FALSE(award.isNull());
    // A second report (another client's) writes nothing more.
    ask("reportBattleOver", name, 1 - heroTeam);
    EXPECT_EQ(coins("hero"), before + ZRKBattleOps::kWinCoins);

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
