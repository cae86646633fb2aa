// The tutorial, headless: "rookie" has done no lesson, so the log-in takes him into lesson 0;
// each lesson is played to its end and the server keeps how far he came.
#include <boost/pointer_cast.hpp>
#include <cmath>
#include <map>
#include <set>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/KeyBridge.h>
#include <core/KeyInput.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <gui/IGuideView.h>
#include <land/DollConstants.h>
#include <land/WeaponState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <CEGUI/CEGUI.h>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "battle/ShotAsTold.h"
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/NewbieAI0.h"
#include "battle/tutorial/TutorialPickTask.h"
#include "battle/tutorial/TutorialStep.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct TutorialGame : zrktest::WholeGame {};

const std::string kRookieRun = zrktest::loggedInRun("rookie", true);

/// While the step's question is up: the answers are tried in turn (the `tries`th now), as
/// their clicks reach them; true when a question was up.
bool answerQuestion(BattleRoomNewbie& room, int& tries)
{
    if (!room.isAsking())
        return false;
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* box = root ? root->getChildRecursive("QuestionBox") : nullptr;
    int count = 0;
    while (box && box->getChildRecursive(CEGUI::String(("Answer" + std::to_string(count)).c_str())))
        ++count;
    if (count == 0)
        return true;
    CEGUI::Window* answer = box->getChildRecursive(CEGUI::String(("Answer" + std::to_string(tries++ % count)).c_str()));
    CEGUI::WindowEventArgs args(answer);
    answer->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    return true;
}

/// Plays the running lesson as a player would: clicks on the explanation steps, walks (W) to
/// the marked place, jumps (J), starts the rage (R), takes weapon 2 in hand. Tasks that need a
/// well-aimed shot ("hit", "aim", "bop") are marked done after `patience` frames; `forced`
/// counts them. `unarmed` (when given) counts the "hit" steps the figure came to with nothing to shoot.
/// With a `shooter`, the shooting steps ("hit", "bop") are played as their line says instead,
/// at fifty frames a second, and never marked done.
bool playLesson(zrktest::GameRun& game, BattleRoomNewbie& room, int& steps, int& forced, int patience = 40,
                int* unarmed = nullptr, zrktest::ShotAsTold* shooter = nullptr)
{
    core::KeyInput* keys = core::KeyInput::getSingletonPtr();
    int last = -1, frames = 0, tries = 0;
    std::string held;
    // The lesson's first step came in with the land; it counts too.
    const int entered = room.getStepsEntered() - (room.getStepIndex() >= 0 ? 1 : 0);
    const bool done = game.framesUntil(
        [&] {
            const int index = room.getStepIndex();
            if (index != last) {
                if (keys && !held.empty())
                    keys->injectKeyUp(core::KeyInput::KC_W);
                held.clear();
                last = index;
                frames = 0;
                if (shooter)
                    shooter->letGo();
            }
            if (index < 0)
                return true;
            ++frames;
            const TutorialStep* step = TutorialStep::at(index);
            const std::string task = step && step->task ? step->task : "";
            const bool shooting = shooter && (task == "hit" || task == "bop");
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", shooting ? 50 : 4);
            if (shooting) {
                if (!answerQuestion(room, tries))
                    shooter->frame(index);
                return false;
            }
            if (answerQuestion(room, tries)) {
                // the question first
            } else if (step && (step->flags & BattleRoomNewbie::STEP_CLICK))
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
            if (unarmed && task == "hit" && frames == 3 && room.getLand() && room.getLand()->getMyDoll())
                *unarmed += room.getLand()->getMyDoll()->isArmed() ? 0 : 1;
            if ((task == "hit" || task == "aim" || task == "bop") && frames == patience) {
                room.setStepDone();
                ++forced;
            }
            yake::native::advanceTime(0.25);
            return false;
        },
        4000);
    steps = room.getStepsEntered() - entered;
    return done;
}

/// Clicks on the trainers' words and answers their questions until a step with the task comes
/// up; false when none does within `limit` frames.
bool talkOnTo(zrktest::GameRun& game, BattleRoomNewbie& room, const std::string& task, int limit)
{
    int tries = 0;
    return game.framesUntil(
        [&] {
            const TutorialStep* step = TutorialStep::at(room.getStepIndex());
            if (step && step->task && task == step->task)
                return true;
            if (!answerQuestion(room, tries))
                room.onMouseDown(CEGUI::EventArgs());
            yake::native::advanceTime(0.25);
            return false;
        },
        limit);
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
    std::vector<std::string> troubles;
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        yake::logging::logger::instance().startCapture();
        ASSERT_TRUE(intoFirstLesson(game, room));
        // The lesson's room is the game's own: the server is asked nothing about it.
        for (const auto& r : yake::logging::logger::instance().captured())
            if (r.text.find("refused") != std::string::npos || r.text.find("did not take") != std::string::npos)
                troubles.push_back(r.text);
        yake::logging::logger::instance().stopCapture();
        during = game.stateName();
        lesson = room->getLesson();
        // The trainers stand with the health and energy their lesson gives them.
        ZRKPlayerSim* trainer = room->getLand() ? room->getLand()->getDoll("__npc_tutor1") : nullptr;
        ASSERT_NE(trainer, nullptr);
        trainerHealth = {trainer->getBattle().xhp, trainer->getBattle().hp, trainer->getBattle().xsp,
                         trainer->getBattle().fsp};
        EXPECT_TRUE(playLesson(game, *room, steps, forced));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400)) << game.stateName();
        back = game.stateName();
        game.framesUntil([&] { return session->getGameServer()->core().world().player("rookie")->newbieTask >= 1; },
                         100);
        task = session->getGameServer()->core().world().player("rookie")->newbieTask;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(during, "battle_newbie");
    EXPECT_EQ(troubles, std::vector<std::string>());
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
    int aiShots = -1, unarmed = 0;
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        int n = 0, forced = 0;
        playLesson(game, *room, n, forced);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400));
        for (int lesson = 1; lesson <= 4; ++lesson) {
            ASSERT_TRUE(session->teleport("", "battle_newbie", "adv=" + std::to_string(lesson) + "&prev=room"));
            ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800)) << "lesson " << lesson;
            n = 0;
            playLesson(game, *room, n, forced, lesson == 2 ? 240 : 40, &unarmed);
            if (lesson == 2)
                if (auto ai = boost::dynamic_pointer_cast<NewbieAI0>(room->findAI("ai0")))
                    aiShots = ai->getShots();
            steps.push_back(n);
            game.framesUntil([&] { return game.stateName() == "room"; }, 400);
            backs.push_back(game.stateName());
            game.framesUntil(
                [&] { return session->getGameServer()->core().world().player("rookie")->newbieTask > lesson; }, 100);
            tasks.push_back(static_cast<int>(session->getGameServer()->core().world().player("rookie")->newbieTask));
        }
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(steps, (std::vector<int>{17, 5, 10, 9}));
    EXPECT_EQ(tasks, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(backs, (std::vector<std::string>{"room", "room", "room", "room"}));
    EXPECT_GT(aiShots, 0); // lesson 2's opponent fires from its passive doll
    EXPECT_EQ(unarmed, 0); // every step that asks for a shot finds shells in the lent weapon
}

// At every shooting step of lessons 1 to 4 the rookie does only what the line under the step's
// words says (the key it names for turning or for the barrel, Space for the time it tells) and
// the target falls to the first shot so laid: no step is marked done for him but the aiming one.
TEST_F(TutorialGame, EveryShootingStepFallsToTheFirstShotLaidAsItsLineSays)
{
    std::vector<int> steps;
    std::map<int, int> tries;
    std::set<std::string> lines;
    int forced = 0;
    float markedOff = 0.0f; // the most the gauge's mark stood off the time told (seconds of Space)
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        int n = 0;
        playLesson(game, *room, n, forced);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400));
        forced = 0;
        core::KeyInput* keys = core::KeyInput::getSingletonPtr();
        ASSERT_NE(keys, nullptr);
        zrktest::ShotAsTold shooter(*room, 50, [&](zrktest::ShotAsTold::Key key, bool down) {
            static const int kScans[] = {core::KeyInput::KC_A, core::KeyInput::KC_D, core::KeyInput::KC_UP,
                                         core::KeyInput::KC_DOWN, core::KeyInput::KC_SPACE};
            if (down)
                keys->injectKeyDown(kScans[key]);
            else
                keys->injectKeyUp(kScans[key]);
            // As Space goes down the force gauge marks the force the line tells.
            ZRKPlayerSim* me = room->getLand() ? room->getLand()->getMyDoll() : nullptr;
            const std::string line = room->getGuide() ? room->getGuide()->getLine() : "";
            const std::size_t at = line.find("about ");
            if (key == zrktest::ShotAsTold::Fire && down && me && at != std::string::npos)
                markedOff =
                    std::max(markedOff, std::fabs(std::strtof(line.c_str() + at + 6, nullptr) -
                                                  static_cast<float>(me->getPlayerBattle().markForce) /
                                                      (DollConstants::CTRL_FORCE_MAX / DollConstants::CHARGE_SECONDS)));
        });
        for (int lesson = 1; lesson <= 4; ++lesson) {
            ASSERT_TRUE(session->teleport("", "battle_newbie", "adv=" + std::to_string(lesson) + "&prev=room"));
            ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800)) << "lesson " << lesson;
            n = 0;
            playLesson(game, *room, n, forced, 40, nullptr, &shooter);
            steps.push_back(n);
            ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400)) << "lesson " << lesson;
        }
        tries = shooter.shots;
        lines = shooter.lines;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(steps, (std::vector<int>{17, 5, 10, 9}));
    EXPECT_EQ(forced, 1); // lesson 1's aiming step alone
    EXPECT_EQ(tries, (std::map<int, int>{{36, 1}, {43, 1}, {62, 1}, {92, 1}, {96, 1}, {122, 1}}));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("raise or lower"), std::string::npos) << line;
    EXPECT_LE(markedOff, 0.051f);
}

TEST_F(TutorialGame, ARookieWhoWandersBeforeTheCrateKeepsTheEnergyToReachItAndPicksItUp)
{
    int lowest = 1 << 30, stuckFrames = 0, pickFrames = 0;
    bool picked = false;
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        core::KeyInput* keys = core::KeyInput::getSingletonPtr();
        ASSERT_NE(keys, nullptr);
        int tries = 0;
        // Clicked and walked on to the crate's step.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                const TutorialStep* step = TutorialStep::at(room->getStepIndex());
                if (step && step->task && std::string(step->task) == "pick")
                    return true;
                const bool walk = step && step->task && std::string(step->task) == "move";
                if (walk && !keys->isKeyDown(core::KeyInput::KC_W))
                    keys->injectKeyDown(core::KeyInput::KC_W);
                else if (!walk && keys->isKeyDown(core::KeyInput::KC_W))
                    keys->injectKeyUp(core::KeyInput::KC_W);
                if (!answerQuestion(*room, tries))
                    room->onMouseDown(CEGUI::EventArgs());
                yake::native::advanceTime(0.25);
                return false;
            },
            200));
        const int pickIndex = room->getStepIndex();
        ZRKPlayerSim* me = room->getLand()->getMyDoll();
        ASSERT_NE(me, nullptr);
        // Forty seconds of walking in circles: far more than the step's energy pays for.
        keys->injectKeyDown(core::KeyInput::KC_W);
        keys->injectKeyDown(core::KeyInput::KC_A);
        // Each frame, how low the energy went and whether the doll stood.
        zrktest::FramePump walking([&] {
            const yake::math::Vector3 before = me->getPosition();
            const bool ran = game.frames(1);
            yake::native::advanceTime(0.25);
            lowest = std::min(lowest, me->getBattle().sp);
            stuckFrames += (me->getPosition() - before).length() < 0.01f ? 1 : 0;
            return ran;
        });
        walking.until([&] { return room->getStepIndex() != pickIndex; }, 160, "the pick step over");
        keys->injectKeyUp(core::KeyInput::KC_A);
        // Then straight for the crate, turning towards it on the way.
        auto* pick = dynamic_cast<TutorialPickTask*>(room->findTask("pick"));
        ASSERT_NE(pick, nullptr);
        picked = game.framesUntil(
            [&] {
                if (room->getStepIndex() != pickIndex)
                    return true;
                const ZRKLand::CrateMark* crate = room->getLand()->getCrateMark(pick->getCrateId());
                if (!crate)
                    return false;
                const yake::math::Vector3 d = crate->position - me->getPosition();
                float error = std::atan2(d.x, d.z) - me->getHeading();
                while (error > 3.14159f)
                    error -= 6.28318f;
                while (error < -3.14159f)
                    error += 6.28318f;
                keys->injectKeyUp(core::KeyInput::KC_A);
                keys->injectKeyUp(core::KeyInput::KC_D);
                if (std::fabs(error) > 0.1f)
                    keys->injectKeyDown(error > 0 ? core::KeyInput::KC_A : core::KeyInput::KC_D);
                ++pickFrames;
                yake::native::advanceTime(0.25);
                return false;
            },
            400);
        keys->injectKeyUp(core::KeyInput::KC_W);
        keys->injectKeyUp(core::KeyInput::KC_A);
        keys->injectKeyUp(core::KeyInput::KC_D);
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_LT(lowest, 300 / 4); // the bar went down as he walked
    EXPECT_LT(stuckFrames, 8);  // and never left him standing for long
    EXPECT_TRUE(picked);
}

TEST_F(TutorialGame, TheGuideHearsEveryKeyButShakesOnlyForKeysTheStepDoesNotUseAndAHeldKeyOrEscapeMovesNoTalkOn)
{
    std::vector<int> talk;    // the step after: a fresh W, W repeating, W pressed again
    std::vector<int> escaped; // steps gone on and shakes after Escape at the trainer's words
    int walkNudges = -1, otherNudges = -1;
    float walked = -1.0f;
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        CEGUI::GUIContext* ctx = &CEGUI::System::getSingleton().getDefaultGUIContext();
        gui::IGuideView* guide = room->getGuide();
        ASSERT_NE(guide, nullptr);
        const auto press = [&](int scan, const char* typed) { core::KeyBridge::keyDown(ctx, scan, typed); };
        const auto release = [&](int scan) { core::KeyBridge::keyUp(ctx, scan); };
        const auto wait = [&](int frames) { game.playFrames(frames, 0.25); };
        // The trainers talk (steps 0-2): a W pressed after their words have been up goes on...
        wait(4);
        const int first = room->getStepIndex();
        press(CEGUI::Key::W, "w");
        talk.push_back(room->getStepIndex() - first);
        // ...but W held on repeats presses: the next words stay up till it is let go and pressed again.
        wait(4);
        press(CEGUI::Key::W, "w");
        press(CEGUI::Key::W, "w");
        talk.push_back(room->getStepIndex() - first);
        release(CEGUI::Key::W);
        wait(1);
        press(CEGUI::Key::W, "w");
        release(CEGUI::Key::W);
        talk.push_back(room->getStepIndex() - first);
        // Escape is no answer to the trainer: his words stay up and the guide does not shake.
        wait(4);
        const int talking = room->getStepIndex(), shakes = guide->getNudgeCount();
        press(CEGUI::Key::Escape, "");
        release(CEGUI::Key::Escape);
        wait(1);
        escaped = {room->getStepIndex() - talking, guide->getNudgeCount() - shakes};
        // On to the walk to the marked place.
        ASSERT_TRUE(talkOnTo(game, *room, "move", 40));
        ZRKPlayerSim* me = room->getLand()->getMyDoll();
        ASSERT_NE(me, nullptr);
        const yake::math::Vector3 start = me->getPosition();
        const int nudges = guide->getNudgeCount();
        // Walking and turning is what the step asks: no shake.
        press(CEGUI::Key::W, "w");
        for (int scan : {CEGUI::Key::A, CEGUI::Key::D}) {
            press(scan, scan == CEGUI::Key::A ? "a" : "d");
            wait(1);
            release(scan);
        }
        wait(4);
        press(CEGUI::Key::W, "w"); // W held, repeating
        release(CEGUI::Key::W);
        walkNudges = guide->getNudgeCount() - nudges;
        walked = (me->getPosition() - start).length();
        // A key the step has no use for shakes the guide.
        press(CEGUI::Key::K, "k");
        release(CEGUI::Key::K);
        otherNudges = guide->getNudgeCount() - nudges;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(talk, (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(escaped, (std::vector<int>{0, 0}));
    EXPECT_EQ(walkNudges, 0);
    EXPECT_GT(walked, 0.5f);
    EXPECT_EQ(otherNudges, 1);
}

// The shooting steps keep a way on: a dummy that loses its last health is out at once, so the
// step waiting for the hit ends; a lent weapon shot empty is loaded again before the next try.
TEST_F(TutorialGame, AShotDummyIsOutAtOnceAndALentWeaponShotEmptyIsLoadedAgain)
{
    int hitStep = -1, afterHit = -1, dummyState = -1, loaded = -1, full = -1;
    bool armed = false;
    EXPECT_TRUE(play(kRookieRun, [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoomNewbie> room;
        ASSERT_TRUE(intoFirstLesson(game, room));
        int n = 0, forced = 0;
        playLesson(game, *room, n, forced);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400));
        ASSERT_TRUE(session->teleport("", "battle_newbie", "adv=3&prev=room"));
        ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800));
        // The trainers' words clicked on, up to the first dummy's step.
        ASSERT_TRUE(talkOnTo(game, *room, "hit", 200));
        hitStep = room->getStepIndex();
        ZRKLand* land = room->getLand();
        ZRKPlayerSim* me = land->getMyDoll();
        ZRKPlayerSim* dummy = land->getDoll(room->seatName(0));
        ASSERT_TRUE(me && dummy);
        // Every shell spent on misses.
        WeaponState* weapon = me->getCurrentWeaponState();
        ASSERT_NE(weapon, nullptr);
        full = weapon->shellMax;
        weapon->setCount(0);
        yake::native::advanceTime(0.25);
        game.frames(1);
        loaded = weapon->getCount();
        armed = me->isArmed();
        // A shell on the dummy's head: its one point of health gone, it is out, the step done.
        land->launchShell(me->getId(), dummy->getPosition() + yake::math::Vector3(0, 30, 0),
                          yake::math::Vector3(0, -30, 0));
        game.framesUntil(
            [&] {
                yake::native::advanceTime(0.25);
                return room->getStepIndex() != hitStep;
            },
            40);
        afterHit = room->getStepIndex();
        dummyState = dummy->getPlayerBattle().state;
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_EQ(hitStep, 92);
    EXPECT_GT(full, 0);
    EXPECT_EQ(loaded, full);
    EXPECT_TRUE(armed);
    EXPECT_EQ(dummyState, BATTLE_KILLED);
    EXPECT_EQ(afterHit, 93);
}
