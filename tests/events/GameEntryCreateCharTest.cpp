// A new player through the whole game: logged in by itself as "nochar", sent to character
// creation, the creation page types the name given on the command line and presses Create,
// and the new character goes on (to the areas, while the tutorial is not there). The world
// keeps the character for the next run.
#include <core/ClientStateMachine.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <win32/Windows.h>

#include "support/GameModule.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

namespace {

struct NewPlayerRun : zrktest::WholeGame {
    std::string file(const char* name) const { return dataFile(name); }
};

const char* kNewbieRun =
    "game.exe zrk://play?ln=nochar&lp=nochar123&ls=1 /nickname=Newbie /LowIntegrity=1 /headless=1 /unpaced=1 /mutex=0";

} // namespace

TEST_F(NewPlayerRun, TheCreationPageMakesTheCharacterAndThePlayerGoesOn)
{
    std::vector<std::string> states;
    std::string asked;
    kavri3D::zrk::ZRKWorld::Player made;
    bool found = false;
    EXPECT_TRUE(play(kNewbieRun, [&](zrktest::GameRun& game) {
        boost::signals2::scoped_connection seen = game.stateMachine()->subscribeToFsmState(
            [&states](kavri3D::core::ClientStateMachine& m) { states.push_back(m.currentStateName()); });
        game.framesUntil(
            [&] { return session->getLastTeleport() != "" && session->getLastTeleport() != "zrk_createchar"; }, 600);
        asked = session->getLastTeleport();
        found = session->getGameServer()->core().world().loadPlayer("nochar", made);
    }));
    EXPECT_NE(std::find(states.begin(), states.end(), "zrk_createchar"), states.end());
    // A new character goes on to the tutorial's first lesson.
    EXPECT_EQ(asked, "battle_newbie");
    ASSERT_TRUE(found);
    EXPECT_EQ(made.nick, "Newbie");
    EXPECT_GT(made.pcId, 1003);
    EXPECT_EQ(made.lv, 1);
    EXPECT_EQ(made.newbieTask, 0);
}

TEST_F(NewPlayerRun, ThroughGameEntryTheRunEndsWellAndTheWorldKeepsTheCharacter)
{
    {
        zrktest::GameModule module;
        ASSERT_TRUE(module.loaded()) << module.error();
        EXPECT_EQ(module.run(win32WideFromUtf8(std::string(kNewbieRun) + " /quitAfterFrames=200")), 0);
    }

    kavri3D::zrk::ZRKWorld world;
    ASSERT_TRUE(world.open(file("ZRK_World.db"), "res/server", false));
    const kavri3D::zrk::ZRKWorld::Player* made = world.player("nochar");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->nick, "Newbie");
}
