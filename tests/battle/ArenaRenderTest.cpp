// An arena battle in the game window: hero fights one of the server's players in a room of the
// arena zone, firing by keys on his turns, and the result screen lists the arena points among
// the awards, as many as the world then holds more. Picture: battle-arena-awards.png.
#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <filesystem>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "support/BotBattle.h"
#include "support/FireOnTurns.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

using ArenaRender = zrktest::GameOnScreen;

/// The result screen's award lines.
std::vector<std::string> awardLines()
{
    std::vector<std::string> out;
    CEGUI::Window* page = zrktest::shownPage("BattleOverPage");
    for (int i = 0; page && page->isChild("Award" + std::to_string(i) + "Name"); ++i)
        out.push_back(page->getChild("Award" + std::to_string(i) + "Name")->getText().c_str());
    return out;
}

} // namespace

TEST_F(ArenaRender, AnArenaBattlesResultScreenListsTheArenaPointsTheWorldThenHolds)
{
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/battle-arena-awards.png";
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    long long before = -1, after = -1;
    std::vector<std::string> lines;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([&] { return session->isOnline(); }, 240));
        ZRKWorld& world = session->getGameServer()->core().world();
        auto points = [&] {
            const Json::Value& v = ZRKWorld::Player::doc(world.player("hero")->settings)["pc_arena_point"];
            return v.isInt64() ? v.asInt64() : 0;
        };
        before = points();
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 1, 5, room, "zrk_personalroom", 4, "arena");
        if (!room)
            return;
        ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
        // On his turns hero raises the barrel, holds fire and lets go, until the battle is over.
        zrktest::FireOnTurns firing;
        const bool over = game.framesUntil(
            [&] {
                ZRKLand* land = room->getLand();
                ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
                firing.frame(input, me && land->getActingDoll() == me);
                return zrktest::shownPage("BattleOverPage") != nullptr;
            },
            4000);
        ASSERT_TRUE(over) << "the battle never ended";
        // The server's awards reach the screen: the points among them.
        game.framesUntil(
            [&] {
                lines = awardLines();
                return points() != before && std::any_of(lines.begin(), lines.end(),
                                                         [](const std::string& l) { return l.find("Points") == 0; });
            },
            200);
        after = points();
        graphics->writeScreenshot(shot);
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    ASSERT_GT(after, before);
    const std::string expected = "Points  x" + std::to_string(after - before);
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
        << "the award lines: " << ::testing::PrintToString(lines);
    EXPECT_TRUE(after - before == 50 || after - before == 20) << after - before; // the winner's or the loser's
}
