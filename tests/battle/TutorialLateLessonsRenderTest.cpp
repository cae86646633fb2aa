// The last two lessons in the game window, played with the keys and the mouse as the X server
// hands them to the game: "rookie", whose world holds three lessons done, clicks "Help" on the
// area page and plays lesson 3 (a dummy to shoot in the wind, weapon 2 taken in hand, a second
// dummy), then "Help" once more for lesson 4 (the rope on its post shot through, the trainer
// saved). At each shooting step he does only what the line under the step's words says (turn,
// barrel, how long to hold Space) by the keys; the test asserts the hits, what the screen shows
// of the target at each of his turns, and the lesson the world keeps after each.
// Picture: tutorial-rope.png (lesson 4: the rope's post on the field, before it is shot).
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gui/IGuideView.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>

#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/LessonPlayer.h"
#include "battle/tutorial/TutorialStep.h"
#include "render/PngProbe.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::onScreen;
using zrktest::Played;
using zrktest::Player;

namespace {

bool ropeBrown(int r, int g, int b) { return r > 120 && r < 230 && g > 80 && g < 170 && b < 110 && r > b + 60; }

} // namespace

using TutorialRender = zrktest::GameOnScreen;

TEST_F(TutorialRender, RookiePlaysTheLastTwoLessonsByWindowInputAndTheWorldKeepsEach)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer build plays lesson 0 only";
#endif
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string ropeShot = std::string(ZRK_SHOTS_DIR) + "/tutorial-rope.png";
    std::filesystem::remove(ropeShot);

    std::vector<Played> lessons;
    std::vector<int> lessonNumbers, tasks;
    std::vector<std::string> backTo;
    int armedWith = -1; // the weapon in hand when lesson 3's second dummy is shot
    bool secondFramed = false, ropeForceTold = false;
    float windAtShot = -1.0f; // the wind lesson 3 blows while he shoots
    long ropePixels = -1;
    bool ropeShown = false, ropeGone = false;
    const bool ok = play(zrktest::loggedInRun("rookie"), [&](zrktest::GameRun& game) {
        ZRKWorld& world = session->getGameServer()->core().world();
        // Three lessons done before: his log-in leads to the area page, not into a lesson.
        ASSERT_TRUE(world.raiseNewbieTask("rookie", 3));
        const int w = static_cast<int>(graphics->getRenderWindow()->getWidth());
        const int h = static_cast<int>(graphics->getRenderWindow()->getHeight());
        Ogre::Camera* camera = graphics->getRenderWindow()->getViewport(0)->getCamera();
        zrktest::ManualClock clock;
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
        ASSERT_TRUE(game.framesUntil([] { return zrktest::shownPage("AreaPage") != nullptr; }, 600))
            << game.stateName();
        auto room = boost::dynamic_pointer_cast<BattleRoomNewbie>(game.stateMachine()->getState("battle_newbie"));
        ASSERT_TRUE(room);
        Player player(game, *room, input, camera, w, h);

        for (int lesson : {3, 4}) {
            // "Help" on the area page starts the lesson the world says is next.
            ASSERT_TRUE(game.framesUntil([] { return zrktest::shownPage("AreaPage") != nullptr; }, 600)) << lesson;
            game.frames(2);
            CEGUI::Window* area = zrktest::shownPage("AreaPage");
            ASSERT_TRUE(area && area->isChild("Help"));
            zrktest::clickOn(input, area->getChild("Help"));
            ASSERT_TRUE(
                game.framesUntil([&] { return game.stateName() == "battle_newbie" && room->getStepIndex() >= 0; }, 800))
                << "lesson " << lesson;
            lessonNumbers.push_back(room->getLesson());
            const Played played = player.play(
                [&](int index, int frames) {
                    ZRKLand* land = room->getLand();
                    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
                    const TutorialStep* step = TutorialStep::at(index);
                    const std::string task = step && step->task ? step->task : "";
                    if (!me)
                        return;
                    if (task == "hit" && me->isCharging()) {
                        armedWith = me->getPlayerBattle().weapon;
                        windAtShot = land->getWindPower();
                    }
                    // The weapon bar frames the weapon in hand: the second, once 2 took it.
                    if (lesson == 3 && index == 96 && frames == 3) {
                        CEGUI::Window* second = BattleRoom::hudWindow("BattlePanel/PlayFrm/Arm1");
                        CEGUI::Window* first = BattleRoom::hudWindow("BattlePanel/PlayFrm/BigArmFrm");
                        secondFramed = second && first &&
                                       std::string(second->getProperty("FrameColours").c_str()).find("FFFFD040") !=
                                           std::string::npos &&
                                       std::string(first->getProperty("FrameColours").c_str()).find("FFFFD040") ==
                                           std::string::npos &&
                                       !second->getProperty("Image").empty();
                    }
                    if (task == "bop" && room->getGuide())
                        ropeForceTold = ropeForceTold || room->getGuide()->getLine().find("Space") != std::string::npos;
                    const auto& items = land->getMapItems();
                    if (lesson == 4 && index > 122 && !items.empty())
                        ropeGone = items[0].hp <= 0;
                    if (task != "bop" || ropeShown || !me->isCharging() || items.empty())
                        return;
                    // The rope's post as the player sees it while he charges his shot: the
                    // strip from its foot to its top, less what the guide's board covers.
                    int x = 0, foot = 0, top = 0;
                    onScreen(camera, items[0].position + yake::math::Vector3(0, 8, 0), w, h, x, top);
                    if (!onScreen(camera, items[0].position, w, h, x, foot))
                        return;
                    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                    CEGUI::Window* board = root ? root->getChildRecursive("TutorialGuide") : nullptr;
                    const CEGUI::Rectf covered = board && board->isEffectiveVisible()
                                                     ? board->getUnclippedOuterRect().get()
                                                     : CEGUI::Rectf(0, 0, 0, 0);
                    ropeShown = graphics->writeScreenshot(ropeShot);
                    if (!ropeShown)
                        return;
                    top = std::max(0, top);
                    ropePixels = zrktest::countPixels(ropeShot, x - 8, top, x + 8,
                                                      std::min(foot, static_cast<int>(covered.top()) - 1), ropeBrown);
                    if (foot > covered.bottom())
                        ropePixels +=
                            zrktest::countPixels(ropeShot, x - 8, std::max(top, static_cast<int>(covered.bottom()) + 1),
                                                 x + 8, foot, ropeBrown);
                },
                -1, 20000);
            lessons.push_back(played);
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            game.framesUntil([&] { return game.stateName() == "room"; }, 400);
            backTo.push_back(game.stateName());
            game.framesUntil([&] { return world.player("rookie")->newbieTask > lesson; }, 100);
            tasks.push_back(static_cast<int>(world.player("rookie")->newbieTask));
        }
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(lessons.size(), 2u);
    EXPECT_EQ(lessonNumbers, (std::vector<int>{3, 4}));
    EXPECT_TRUE(lessons[0].ended);
    EXPECT_TRUE(lessons[1].ended);
    EXPECT_EQ(lessons[0].steps, 10);
    EXPECT_EQ(lessons[1].steps, 9);
    // Each target fell to the first shot laid as the line under the step's words said, and at
    // each of his turns it stood in view below the guide box, its bubble over it.
    EXPECT_EQ(lessons[0].shots, (std::map<int, int>{{92, 1}, {96, 1}}));
    EXPECT_EQ(lessons[1].shots, (std::map<int, int>{{122, 1}}));
    for (const Played& played : lessons) {
        EXPECT_GT(played.turnsSeen, 0);
        EXPECT_EQ(played.unframed, "");
    }
    // Each lesson finished is kept once, and he is back on the area page after each.
    EXPECT_EQ(tasks, (std::vector<int>{4, 5}));
    EXPECT_EQ(backTo, (std::vector<std::string>{"room", "room"}));
    EXPECT_EQ(armedWith, 1);      // the second dummy fell to weapon 2, taken in hand by its key
    EXPECT_TRUE(secondFramed);    // and the weapon bar shows it in hand, with its picture
    EXPECT_TRUE(ropeForceTold);   // the rope's step tells how long to hold Space
    EXPECT_GT(windAtShot, 0.01f); // in the wind lesson 3 blows
    EXPECT_TRUE(ropeShown);
    EXPECT_GT(ropePixels, 20); // the post stands where the rope is
    EXPECT_TRUE(ropeGone);
}
