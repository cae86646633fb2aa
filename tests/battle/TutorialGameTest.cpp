// The tutorial, headless: "rookie" has done no lesson, so the log-in takes him into lesson 0;
// each lesson is played to its end and the server keeps how far he came.
#include <boost/pointer_cast.hpp>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <data/ZRKGameServer.h>
#include <data/ZRKSession.h>
#include <data/ZRKWorld.h>
#include <gtest/gtest.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <CEGUI/CEGUI.h>
#include <yake/Time.h>

#include "battle/BattleRoomNewbie.h"
#include "battle/TutorialStep.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct TutorialGame : ::testing::Test {
    zrktest::TempDir runtime, data;
    zrktest::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path()};
    zrktest::ScopedEnv dataEnv{"XDG_DATA_HOME", data.path()};
};

const char* kRookieRun = "game.exe zrk://play?ln=rookie&lp=rookie123&ls=1 /LowIntegrity=1 /headless=1 /unpaced=1 /mutex=0";

/// Plays the running lesson: clicks on the explanation steps, and does what the task steps ask
/// through `act` (which returns true once it has done it).
bool playLesson(zrktest::GameRun& game, BattleRoomNewbie& room, int& steps)
{
    int last = -1;
    return game.framesUntil([&] {
        const int index = room.getStepIndex();
        if (index < 0)
            return true;
        if (index != last) {
            last = index;
            ++steps;
        }
        const TutorialStep* step = TutorialStep::at(index);
        yake::native::advanceTime(0.25);
        if (step && (step->flags & BattleRoomNewbie::STEP_CLICK))
            room.onMouseDown(CEGUI::EventArgs());
        else if (step && step->task && *step->task)
            room.setStepDone(); // stand-in for the player until the tasks play themselves
        return false;
    }, 4000);
}

} // namespace

TEST_F(TutorialGame, RookieLogsInIntoLessonZeroPlaysItAndIsBackInTheLobby)
{
    std::string during, back;
    int steps = 0, lesson = -1;
    long long task = -1;
    EXPECT_TRUE(zrktest::GameRun::run(kRookieRun, [&](zrktest::GameRun& game) {
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ASSERT_NE(session, nullptr);
        yake::native::setManualClock(true);
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle_newbie"; }, 400)) << game.stateName();
        auto room = boost::dynamic_pointer_cast<BattleRoomNewbie>(game.stateMachine()->getState("battle_newbie"));
        ASSERT_TRUE(room);
        ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800))
            << " land " << (room->getLand() != nullptr) << " load " << (room->getLand() ? room->getLand()->getLoadState() : -1);
        during = game.stateName();
        lesson = room->getLesson();
        EXPECT_TRUE(playLesson(game, *room, steps));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400)) << game.stateName();
        back = game.stateName();
        game.framesUntil([&] { return session->getGameServer()->core().world().player("rookie")->newbieTask >= 1; }, 100);
        task = session->getGameServer()->core().world().player("rookie")->newbieTask;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(during, "battle_newbie");
    EXPECT_EQ(lesson, 0);
    EXPECT_EQ(steps, 12);
    EXPECT_EQ(back, "room");
    EXPECT_EQ(task, 1);
}
