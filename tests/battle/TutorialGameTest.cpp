// The tutorial, headless: "rookie" has done no lesson, so the log-in takes him into lesson 0;
// each lesson is played to its end and the server keeps how far he came.
#include <boost/pointer_cast.hpp>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/KeyInput.h>
#include <data/ZRKGameServer.h>
#include <data/ZRKSession.h>
#include <data/ZRKWorld.h>
#include <gtest/gtest.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <CEGUI/CEGUI.h>
#include <yake/Time.h>

#include "battle/BattleRoomNewbie.h"
#include "battle/NewbieAI0.h"
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

/// Plays the running lesson as a player would: clicks on the explanation steps, walks (W) to
/// the marked place, jumps (J), starts the rage (R), takes weapon 2 in hand. Tasks that need a
/// well-aimed shot ("hit", "aim", "bop") are marked done after `patience` frames; `forced`
/// counts them.
bool playLesson(zrktest::GameRun& game, BattleRoomNewbie& room, int& steps, int& forced, int patience = 40)
{
    core::KeyInput* keys = core::KeyInput::getSingletonPtr();
    int last = -1, frames = 0;
    std::string held;
    // The lesson's first step came in with the land; it counts too.
    const int entered = room.getStepsEntered() - (room.getStepIndex() >= 0 ? 1 : 0);
    const bool done = game.framesUntil([&] {
        const int index = room.getStepIndex();
        if (index != last) {
            if (keys && !held.empty())
                keys->injectKeyUp(core::KeyInput::KC_W);
            held.clear();
            last = index;
            frames = 0;

        }
        if (index < 0)
            return true;
        ++frames;
        const TutorialStep* step = TutorialStep::at(index);
        const std::string task = step && step->task ? step->task : "";
        if (step && (step->flags & BattleRoomNewbie::STEP_CLICK))
            room.onMouseDown(CEGUI::EventArgs());
        else if (keys && (task == "move" || task == "pick") && held.empty()) {
            keys->injectKeyDown(core::KeyInput::KC_W);
            held = "W";
        } else if (keys && task == "jump" && frames % 4 == 2) {
            keys->injectKeyDown(core::KeyInput::KC_J);
            keys->injectKeyUp(core::KeyInput::KC_J);
        } else if (keys && task == "fury" && frames % 4 == 2) {
            keys->injectKeyDown(core::KeyInput::KC_R);
            keys->injectKeyUp(core::KeyInput::KC_R);
        } else if (keys && task == "arm" && frames % 4 == 2) {
            keys->injectKeyDown(core::KeyInput::KC_1 + 1);
            keys->injectKeyUp(core::KeyInput::KC_1 + 1);
        } else if (keys && (task == "hit" || task == "bop") && frames % 20 == 2) {
            keys->injectKeyDown(core::KeyInput::KC_SPACE);
        } else if (keys && (task == "hit" || task == "bop") && frames % 20 == 5) {
            keys->injectKeyUp(core::KeyInput::KC_SPACE);
        }
        if ((task == "hit" || task == "aim" || task == "bop") && frames == patience) {
            room.setStepDone();
            ++forced;
        }
        yake::native::advanceTime(0.25);
        return false;
    }, 4000);
    steps = room.getStepsEntered() - entered;
    return done;
}

/// Simulated time, four frames a second; the log-in leads into lesson 0's first step.
bool intoFirstLesson(zrktest::GameRun& game, boost::shared_ptr<BattleRoomNewbie>& room)
{
    yake::native::setManualClock(true);
    core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
    if (!game.framesUntil([&] { return game.stateName() == "battle_newbie"; }, 400))
        return false;
    room = boost::dynamic_pointer_cast<BattleRoomNewbie>(game.stateMachine()->getState("battle_newbie"));
    return room && game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800);
}

} // namespace

TEST_F(TutorialGame, RookieLogsInIntoLessonZeroPlaysItAndIsBackInTheLobby)
{
    std::string during, back;
    int steps = 0, lesson = -1, forced = 0;
    long long task = -1;
    std::vector<int> trainerHealth;
    EXPECT_TRUE(zrktest::GameRun::run(kRookieRun, [&](zrktest::GameRun& game) {
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ASSERT_NE(session, nullptr);
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        during = game.stateName();
        lesson = room->getLesson();
        // The trainers stand with the health and energy their lesson gives them.
        ZRKPlayerSim* trainer = room->getLand() ? room->getLand()->getDoll("__npc_tutor1") : nullptr;
        ASSERT_NE(trainer, nullptr);
        trainerHealth = {trainer->getBattle().xhp, trainer->getBattle().hp, trainer->getBattle().xsp, trainer->getBattle().fsp};
        EXPECT_TRUE(playLesson(game, *room, steps, forced));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400)) << game.stateName();
        back = game.stateName();
        game.framesUntil([&] { return session->getGameServer()->core().world().player("rookie")->newbieTask >= 1; }, 100);
        task = session->getGameServer()->core().world().player("rookie")->newbieTask;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(during, "battle_newbie");
    EXPECT_EQ(lesson, 0);
    EXPECT_EQ(trainerHealth, (std::vector<int>{50, 50, 1000, 45}));
    EXPECT_EQ(steps, 12);
    EXPECT_EQ(forced, 0); // lesson 0 is played by the keys alone
    EXPECT_EQ(back, "room");
    EXPECT_EQ(task, 1);
}

TEST_F(TutorialGame, LessonsOneToFourFromTheLobbyRaiseTheProgressAndAi0ShootsBack)
{
    std::vector<int> steps, tasks;
    std::vector<std::string> backs;
    int aiShots = -1;
    EXPECT_TRUE(zrktest::GameRun::run(kRookieRun, [&](zrktest::GameRun& game) {
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ASSERT_NE(session, nullptr);
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        int n = 0, forced = 0;
        playLesson(game, *room, n, forced);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400));
        for (int lesson = 1; lesson <= 4; ++lesson) {
            ASSERT_TRUE(session->teleport("", "battle_newbie", "adv=" + std::to_string(lesson) + "&prev=room"));
            ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800)) << "lesson " << lesson;
            n = 0;
            playLesson(game, *room, n, forced, lesson == 2 ? 240 : 40);
            if (lesson == 2)
                if (auto ai = boost::dynamic_pointer_cast<NewbieAI0>(room->findAI("ai0")))
                    aiShots = ai->getShots();
            steps.push_back(n);
            game.framesUntil([&] { return game.stateName() == "room"; }, 400);
            backs.push_back(game.stateName());
            game.framesUntil([&] { return session->getGameServer()->core().world().player("rookie")->newbieTask > lesson; }, 100);
            tasks.push_back(static_cast<int>(session->getGameServer()->core().world().player("rookie")->newbieTask));
        }
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(steps, (std::vector<int>{17, 5, 10, 9}));
    EXPECT_EQ(tasks, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(backs, (std::vector<std::string>{"room", "room", "room", "room"}));
    EXPECT_GT(aiShots, 0); // lesson 2's opponent fires from its passive doll
}
