// The tutorial in the game window, played with the keys and the mouse as the X server hands
// them to it: "rookie" logs in into lesson 0 and plays it through (clicks on the trainers'
// words, W to the marked place and over the crate, J to jump), is back in the lobby, asks for
// help once the world has him at lesson 2 and fights "ai0", who shoots back.
// Pictures: tutorial-guide.png (the move step: the guide's text, the marker, the two trainers),
// tutorial-opponent.png (ai0's shell in the air).
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <data/ZRKGameServer.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKWorld.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideView.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "battle/BattleRoomNewbie.h"
#include "battle/NewbieAI0.h"
#include "battle/TutorialMarkerTask.h"
#include "battle/TutorialStep.h"
#include "render/PngProbe.h"
#include "services/GameServices.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/XWindowInput.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kShowHelpEvent = 85;

/// Where a point of the scene is drawn in the window; false when it is behind the camera or
/// outside the view.
bool onScreen(Ogre::Camera* camera, const yake::math::Vector3& at, int w, int h, int& x, int& y)
{
    if (!camera)
        return false;
    const Ogre::Vector3 p(at.x, at.y, at.z);
    const Ogre::Vector3 eye = camera->getViewMatrix() * p;
    if (eye.z >= 0.0f)
        return false;
    const Ogre::Vector3 clip = camera->getProjectionMatrix() * eye;
    x = static_cast<int>((clip.x * 0.5f + 0.5f) * static_cast<float>(w));
    y = static_cast<int>((0.5f - clip.y * 0.5f) * static_cast<float>(h));
    return x >= 0 && x < w && y >= 0 && y < h;
}

/// What the player does in one lesson: which steps he saw, how he got through them.
struct Played {
    int steps = 0;
    int clicks = 0;  ///< clicks sent to the window
    int forced = 0;  ///< aimed steps marked done after a wait
    int answers = 0; ///< answers clicked in the steps' question boxes
    bool ended = false;
};

/// The step's question box while it is up, else null.
CEGUI::Window* openQuestion()
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* box = root ? root->getChildRecursive("QuestionBox") : nullptr;
    return box && box->isEffectiveVisible() ? box : nullptr;
}

/// Plays the running lesson with the window's input. `eachFrame` sees every frame with the
/// step's index and how many frames it has run.
Played playByWindow(zrktest::GameRun& game, BattleRoomNewbie& room, zrktest::XWindowInput& input, int cx, int cy,
                    const std::function<void(int, int)>& eachFrame, int patience)
{
    Played played;
    int last = -1, frames = 0;
    bool holdingW = false, holdingSpace = false;
    const int entered = room.getStepsEntered() - (room.getStepIndex() >= 0 ? 1 : 0);
    played.ended = game.framesUntil([&] {
        const int index = room.getStepIndex();
        if (index != last) {
            if (holdingW)
                input.keyEvent(XK_w, false);
            if (holdingSpace)
                input.keyEvent(XK_space, false);
            holdingW = holdingSpace = false;
            last = index;
            frames = 0;
        }
        if (index < 0 || game.stateName() != "battle_newbie")
            return true;
        ++frames;
        eachFrame(index, frames);
        if (CEGUI::Window* box = openQuestion()) {
            // A question on the way: the player tries the answers in turn till the right one
            // closes the box.
            if (frames % 4 == 0) {
                int count = 0;
                while (box->getChildRecursive(CEGUI::String(("Answer" + std::to_string(count)).c_str())))
                    ++count;
                if (count > 0) {
                    CEGUI::Window* answer =
                        box->getChildRecursive(CEGUI::String(("Answer" + std::to_string(played.answers % count)).c_str()));
                    const CEGUI::Rectf r = answer->getUnclippedOuterRect().get();
                    input.click(static_cast<int>((r.left() + r.right()) / 2), static_cast<int>((r.top() + r.bottom()) / 2));
                    ++played.answers;
                }
            }
            return false;
        }
        const TutorialStep* step = TutorialStep::at(index);
        const std::string task = step && step->task ? step->task : "";
        if (step && (step->flags & BattleRoomNewbie::STEP_CLICK)) {
            // The trainer talks: a click once his words have been up a moment.
            if (frames % 4 == 0) {
                input.click(cx, cy);
                ++played.clicks;
            }
        } else if ((task == "move" || task == "pick") && !holdingW) {
            input.keyEvent(XK_w, true);
            holdingW = true;
        } else if (task == "jump" && frames % 4 == 2) {
            input.keyEvent(XK_j, true);
            input.keyEvent(XK_j, false);
        } else if (task == "hit") {
            // Raise the barrel a little, hold fire for a second, let go.
            const int beat = frames % 16;
            if (beat == 1)
                input.keyEvent(XK_Up, true);
            if (beat == 2)
                input.keyEvent(XK_Up, false);
            if (beat == 3) {
                input.keyEvent(XK_space, true);
                holdingSpace = true;
            }
            if (beat == 7) {
                input.keyEvent(XK_space, false);
                holdingSpace = false;
            }
            if (frames == patience) {
                room.setStepDone();
                ++played.forced;
            }
        }
        return false;
    }, 3000);
    if (holdingW)
        input.keyEvent(XK_w, false);
    played.steps = room.getStepsEntered() - entered;
    return played;
}

bool guideBlue(int r, int g, int b) { return r < 60 && g > 20 && g < 80 && b > 50 && b < 120; }
bool guideGold(int r, int g, int b) { return r > 190 && g > 140 && g < 210 && b < 110; }
bool bright(int r, int g, int b) { return r > 200 && g > 200 && b > 170; }
bool shellGrey(int r, int g, int b) { return r + g + b < 130 && b < r + 15 && g < r + 15; }
bool markerYellow(int r, int g, int b) { return r > 150 && g > 120 && b < 90 && r > b + 90; }

} // namespace

TEST(TutorialRender, RookiePlaysLessonZeroByWindowInputThenLessonTwoFromHelpAgainstAi0)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    zrktest::GameHome home;
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string guideShot = std::string(ZRK_SHOTS_DIR) + "/tutorial-guide.png";
    const std::string opponentShot = std::string(ZRK_SHOTS_DIR) + "/tutorial-opponent.png";
    std::filesystem::remove(guideShot);
    std::filesystem::remove(opponentShot);

    Played lesson0, lesson2;
    std::string guideText, afterLesson0, afterLesson2;
    long boxBlue = -1, boxGold = -1, boxText = -1, markerPixels = -1, shellPixels = -1;
    int trainersSeen = 0, lessonFromHelp = -1, aiShots = -1, trainerHp = -1;
    long long task0 = -1, task2 = -1;
    bool guideTaken = false, opponentTaken = false;
    const bool ok = zrktest::GameRun::run(
        "game.exe zrk://play?ln=rookie&lp=rookie123&ls=1 /LowIntegrity=1 /unpaced=1 /mutex=0", [&](zrktest::GameRun& game) {
            core::GraphicsSystem* g = game.getRenderWindow()->getGraphics();
            ASSERT_NE(g, nullptr);
            zrktest::XWindowInput input(g->getRenderWindow());
            ASSERT_TRUE(input.valid());
            auto* session = dynamic_cast<ZRKSession*>(game.session());
            ASSERT_TRUE(session);
            ZRKWorld& world = session->getGameServer()->core().world();
            const int w = static_cast<int>(g->getRenderWindow()->getWidth());
            const int h = static_cast<int>(g->getRenderWindow()->getHeight());
            Ogre::Camera* camera = g->getRenderWindow()->getViewport(0)->getCamera();

            // A new player's log-in leads into his first lesson.
            yake::native::setManualClock(true);
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle_newbie"; }, 600)) << game.stateName();
            auto room = boost::dynamic_pointer_cast<BattleRoomNewbie>(game.stateMachine()->getState("battle_newbie"));
            ASSERT_TRUE(room);
            ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800));
            ASSERT_EQ(room->getLesson(), 0);

            lesson0 = playByWindow(game, *room, input, w / 2, h / 2, [&](int index, int frames) {
                const TutorialStep* step = TutorialStep::at(index);
                if (guideTaken || !step || !step->task || std::string(step->task) != "move")
                    return;
                auto* marker = dynamic_cast<TutorialMarkerTask*>(room->findTask("move"));
                ZRKLand* land = room->getLand();
                const yake::Movable* target = land ? land->_getNodeMovable("T1") : nullptr;
                // The move step once the camera is behind the player: the guide says where to
                // go, the marker's post stands there, a trainer waits beside the path.
                int mx = 0, my = 0, seen = 0;
                if (!marker || marker->getMarkerId() == -1 || !target || frames < 4 ||
                    !onScreen(camera, target->getPosition() + yake::math::Vector3(0, 3, 0), w, h, mx, my))
                    return;
                for (const char* id : {"__npc_tutor1", "__npc_tutor2"})
                    if (ZRKPlayerSim* trainer = land->getDoll(id)) {
                        int x = 0, y = 0;
                        seen += onScreen(camera, trainer->getPosition() + yake::math::Vector3(0, 1, 0), w, h, x, y) ? 1 : 0;
                        trainerHp = trainer->getBattle().xhp;
                    }
                if (seen < 1)
                    return;
                trainersSeen = seen;
                guideText = room->getGuide() ? room->getGuide()->getShownText() : "";
                guideTaken = g->writeScreenshot(guideShot);
                CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                CEGUI::Window* box = root ? root->getChildRecursive("TutorialGuide") : nullptr;
                if (guideTaken && box) {
                    const CEGUI::Rectf r = box->getUnclippedOuterRect().get();
                    const int x0 = static_cast<int>(r.left()), y0 = static_cast<int>(r.top());
                    const int x1 = static_cast<int>(r.right()), y1 = static_cast<int>(r.bottom());
                    boxBlue = zrktest::countPixels(guideShot, x0, y0, x1, y1, guideBlue);
                    boxGold = zrktest::countPixels(guideShot, x0, y0, x1, y1, guideGold);
                    boxText = zrktest::countPixels(guideShot, x0, y0, x1, y1, bright);
                    // The post rises over the far field, above the guide's board (whose rim is
                    // gold too).
                    markerPixels = zrktest::countPixels(guideShot, mx - 20, 0, mx + 20, y0 - 1, markerYellow);
                }
            }, 0);
            ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400)) << game.stateName();
            afterLesson0 = game.stateName();
            game.framesUntil([&] { return world.player("rookie")->newbieTask >= 1; }, 100);
            task0 = world.player("rookie")->newbieTask;

            // The world has him at lesson 2 now; once the game knows, help starts it.
            world.raiseNewbieTask("rookie", 2);
            bool refreshed = false;
            ZRKUserRequest::queryUserInfo(session->getUID(), true, true, [&](bool, const std::string&) { refreshed = true; });
            ASSERT_TRUE(game.framesUntil([&] { return refreshed; }, 100));
            gui::IGuiManager* gui = GameServices::guiManager();
            ASSERT_TRUE(gui && gui->getControl());
            gui->getControl()->callback(kShowHelpEvent, 0);
            ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle_newbie" && room->getStepIndex() >= 0; }, 800));
            lessonFromHelp = room->getLesson();

            lesson2 = playByWindow(game, *room, input, w / 2, h / 2, [&](int, int) {
                ZRKLand* land = room->getLand();
                auto ai = boost::dynamic_pointer_cast<NewbieAI0>(room->findAI("ai0"));
                if (opponentTaken || !land || !ai || !ai->getSim())
                    return;
                for (const ZRKLand::Shell& shell : land->getShells()) {
                    int x = 0, y = 0;
                    if (shell.owner != ai->getSim()->getId() || shell.age < 0.4f ||
                        !onScreen(camera, shell.position, w, h, x, y))
                        continue;
                    opponentTaken = g->writeScreenshot(opponentShot);
                    // The shell's grey ball, neither the green field nor the blue night sky.
                    shellPixels = zrktest::countPixels(opponentShot, x - 12, y - 12, x + 12, y + 12, shellGrey);
                    break;
                }
            }, 240);
            if (auto ai = boost::dynamic_pointer_cast<NewbieAI0>(room->findAI("ai0")))
                aiShots = ai->getShots();
            game.framesUntil([&] { return game.stateName() == "room"; }, 400);
            afterLesson2 = game.stateName();
            game.framesUntil([&] { return world.player("rookie")->newbieTask >= 3; }, 100);
            task2 = world.player("rookie")->newbieTask;
            yake::native::setManualClock(false);
        });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    // Lesson 0 by the window's keys and clicks alone.
    EXPECT_TRUE(lesson0.ended);
    EXPECT_EQ(lesson0.steps, 12);
    EXPECT_GE(lesson0.answers, 2); // its two questions answered by clicks
    EXPECT_GT(lesson0.clicks, 0);
    EXPECT_EQ(lesson0.forced, 0);
    EXPECT_EQ(afterLesson0, "room");
    EXPECT_EQ(task0, 1);
    // The move step as the player sees it.
    EXPECT_TRUE(guideTaken);
    EXPECT_EQ(guideText, "Walk to the marked place: W and S walk, A and D turn.");
    EXPECT_GT(boxBlue, 2000); // the guide's board
    EXPECT_GT(boxGold, 200);  // its rim and the trainer's badge
    EXPECT_GT(boxText, 100);  // the words on it
    EXPECT_GT(markerPixels, 20); // the yellow post over the marked place
    EXPECT_GE(trainersSeen, 1);
    EXPECT_EQ(trainerHp, 50); // the trainers' health as the lesson gave it
    // Lesson 2 from help, against ai0.
    EXPECT_EQ(lessonFromHelp, 2);
    EXPECT_TRUE(lesson2.ended);
    EXPECT_EQ(lesson2.steps, 5);
    EXPECT_GT(lesson2.clicks, 0);
    EXPECT_LE(lesson2.forced, 1); // the one aimed step, when no shot of his hits in time
    EXPECT_GT(aiShots, 0);
    EXPECT_TRUE(opponentTaken);
    EXPECT_GT(shellPixels, 20);
    EXPECT_EQ(afterLesson2, "room");
    EXPECT_EQ(task2, 3);
}
