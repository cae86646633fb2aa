// The whole game logging in by itself against the embedded server: once loaded the way the
// launcher loads it, once in this process to look at where it arrives.
#include <core/ClientStateMachine.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <yake/Configuration.h>
#include <win32/Windows.h>

#include "support/GameModule.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

namespace {

struct AutoLoginRun : zrktest::WholeGame {
    std::string file(const char* name) const { return dataFile(name); }
};

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

} // namespace

// Started with credentials, the GUI logs in on the first frame of the log-on state; the
// player's data sends him on to the area choice.
TEST_F(AutoLoginRun, HeroLogsInByHimselfAndIsSentOnToTheAreaChoice)
{
    bool online = false;
    std::string asked, state;
    bool roomExists = false;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        game.framesUntil([&] { return game.stateName() == "room"; }, 240);
        online = session->isOnline();
        asked = session->getLastTeleport();
        state = game.stateName();
        roomExists = game.stateMachine()->getState("room") != nullptr;
    }));
    EXPECT_TRUE(online);
    EXPECT_EQ(asked, "room");
    EXPECT_TRUE(roomExists);
    EXPECT_EQ(state, "room");
}

TEST_F(AutoLoginRun, ThroughGameEntryTheRunEndsWellAndRemembersTheName)
{
    {
        zrktest::GameModule module;
        ASSERT_TRUE(module.loaded()) << module.error();
        EXPECT_EQ(module.run(win32WideFromUtf8(std::string(kHeroRun) + " /quitAfterFrames=120")), 0);
    }

    yake::Configuration written;
    ASSERT_NO_THROW(written.readFromXML(file("ZRK_Main.xml"), ""));
    EXPECT_EQ(written.get("kavri3D/app/player/name", ""), "hero");
    EXPECT_EQ(written.get("kavri3D/app/player/lock", ""), "true");
}
