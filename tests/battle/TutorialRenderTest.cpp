// The tutorial in the game window, played with the keys and the mouse as the X server hands
// them to it, as a new player would: "rookie" logs in into lesson 0 and plays it through
// (clicks on the trainers' words, answers the questions, W/A/D to the marked place and over the
// crate, J to jump), tries a double click and the window's close on the way, and is back in the
// lobby with the lesson kept. "Help" on the area page, then in the hall, starts lesson 1 (the
// hall dropping out first); Escape leaves it. Lesson 1 once more, played to its end (the view
// raised by the mouse at the aiming step, each shot laid by the keys just as the line under
// the step's words says), then lesson 2 against a doll that shoots back; the world keeps each. The test reads the
// game's state to steer and aim, as a player reads the screen. The sanitizer build plays lesson 0 only. Pictures:
// tutorial-guide.png (the move step: the guide's text, the marker, the two trainers), tutorial-crate.png (the
// crate step: the yellow post where the crate lies).
#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <Ogre.h>
#include <cmath>
#include <cstdlib>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <core/GuiManager.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideView.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <set>
#include <yake/Time.h>

#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/LessonPlayer.h"
#include "battle/tutorial/TutorialMarkerTask.h"
#include "battle/tutorial/TutorialPickTask.h"
#include "battle/tutorial/TutorialStep.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "render/PngProbe.h"
#include "services/GameServices.h"
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

#if defined(__SANITIZE_ADDRESS__)
const bool kAllLessons = false; // the sanitizer build plays lesson 0: the others take it too long
#else
const bool kAllLessons = true;
#endif

bool guideBlue(int r, int g, int b) { return r < 60 && g > 20 && g < 80 && b > 50 && b < 120; }
bool guideGold(int r, int g, int b) { return r > 190 && g > 140 && g < 210 && b < 110; }
bool bright(int r, int g, int b) { return r > 200 && g > 200 && b > 170; }
bool markerYellow(int r, int g, int b) { return r > 150 && g > 120 && b < 90 && r > b + 90; }

/// The "Help" button of a shown page, clicked by the real pointer; false without it.
bool clickHelp(zrktest::XWindowInput& input, const char* page)
{
    CEGUI::Window* shown = zrktest::shownPage(page);
    if (!shown || !shown->isChild("Help"))
        return false;
    zrktest::clickOn(input, shown->getChild("Help"));
    return true;
}

} // namespace

using TutorialRender = zrktest::GameOnScreen;

TEST_F(TutorialRender, RookiePlaysLessonZeroByWindowInputThenHelpOnTheAreaPageAndInTheHallStartsTheNext)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string guideShot = std::string(ZRK_SHOTS_DIR) + "/tutorial-guide.png";
    std::filesystem::remove(guideShot);
    const std::string crateShot = std::string(ZRK_SHOTS_DIR) + "/tutorial-crate.png";
    std::filesystem::remove(crateShot);

    std::vector<Played> lessons;
    std::vector<int> lessonNumbers, tasks;
    std::vector<std::string> backTo;
    std::string guideText;
    long boxBlue = -1, boxGold = -1, boxText = -1, markerPixels = -1;
    long cratePostPixels = -1; // yellow over the crate's place while he walks to it
    std::string crateWords;
    int trainersSeen = 0, trainerHp = -1, doubleClickSteps = -1, effectPlays = -1, opponentShots = -1;
    bool guideTaken = false, quitAsked = false, stillInLesson = false, curtainSeen = false;
    bool aimed = false, passedAim = false; // lesson 1's dummy brought under the sight
    // While the question is up: the mouse is free, W walks nobody, nothing of the battle covers it.
    bool stoodStill = true, coveredByBattle = false, mouseHeld = false;
    int askedFrames = 0;
    // What the screen shows at the steps that teach: the energy bar falling while he walks to
    // the crate, the guide asking for the answer while a question waits, the view holding still
    // when the mouse moves at a trainer's words, the dummy in view when the aiming step begins,
    // the fury bar full and the rage waiting for R, the force told at the shooting steps, and
    // the leave question saying what leaving a lesson does.
    int spAtCrate = -1, spLowest = -1, asksForAnswer = 0, saysClick = 0;
    bool viewHeld = false, viewTried = false, dummyInView = false, furyShown = false, rageWaited = false;
    bool rageStarted = false, forceTold = false;
    std::string leaveQuestion, bubbleOverGuide;
    const auto ownNumber = [](const char* name) {
        CEGUI::Window* own = BattleRoom::hudWindow("BattlePanel/Own");
        const std::string text = own ? own->getText().c_str() : "";
        const std::size_t at = text.find(std::string(name) + " ");
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::string(name).size() + 1);
    };
    const bool ok = play(zrktest::loggedInRun("rookie"), [&](zrktest::GameRun& game) {
        ZRKWorld& world = session->getGameServer()->core().world();
        const int w = static_cast<int>(graphics->getRenderWindow()->getWidth());
        const int h = static_cast<int>(graphics->getRenderWindow()->getHeight());
        Ogre::Camera* camera = graphics->getRenderWindow()->getViewport(0)->getCamera();
        gui::IGuiManager* gui = GameServices::guiManager();
        ASSERT_TRUE(gui && gui->getControl());

        // A new player's log-in leads into his first lesson.
        zrktest::ManualClock clock;
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle_newbie"; }, 600)) << game.stateName();
        auto room = boost::dynamic_pointer_cast<BattleRoomNewbie>(game.stateMachine()->getState("battle_newbie"));
        ASSERT_TRUE(room);
        ASSERT_TRUE(game.framesUntil([&] { return room->getStepIndex() >= 0; }, 800));
        Player player(game, *room, input, camera, w, h);
        const auto finished = [&](const Played& played, const std::string& back, int lesson) {
            lessons.push_back(played);
            game.framesUntil([&] { return game.stateName() == back; }, 400);
            backTo.push_back(game.stateName());
            game.framesUntil([&] { return world.player("rookie")->newbieTask > lesson; }, 100);
            tasks.push_back(static_cast<int>(world.player("rookie")->newbieTask));
        };

        lessonNumbers.push_back(room->getLesson());
        Played lesson0 = player.play([&](int index, int frames) {
            const TutorialStep* step = TutorialStep::at(index);
            core::Frame* frame = GameServices::frame();
            if (index == 0 && frames == 5) {
                // A double click past the gate moves on one step, not two.
                player.clickCentre();
                player.clickCentre();
                game.frames(1);
                doubleClickSteps = room->getStepIndex() - index;
                return;
            }
            if (index == 1 && frames == 5 && !quitAsked && frame) {
                // The window's close asks whether to quit; "Cancel" plays on.
                input.close();
                game.frames(1);
                CEGUI::Window* box = frame->getMessageBoxWindow();
                quitAsked = frame->getOpenMessageBox() != nullptr && box && box->isChild("Button1");
                if (quitAsked)
                    zrktest::clickOn(input, box->getChild("Button1"));
                game.frames(2);
                stillInLesson = game.stateName() == "battle_newbie" && !frame->getOpenMessageBox();
                return;
            }
            if (step && step->task && std::string(step->task) == "pick") {
                const int sp = ownNumber("SP");
                if (frames == 2)
                    spAtCrate = sp;
                if (sp >= 0 && (spLowest < 0 || sp < spLowest))
                    spLowest = sp;
                // The words send him to the yellow post: it stands where the crate lies, the
                // only thing drawn there (the land keeps the crate as a mark).
                auto* pick = dynamic_cast<TutorialPickTask*>(room->findTask("pick"));
                ZRKLand* land = room->getLand();
                const ZRKLand::CrateMark* crate = pick && land ? land->getCrateMark(pick->getCrateId()) : nullptr;
                int cx = 0, cy = 0;
                CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                CEGUI::Window* box = root ? root->getChildRecursive("TutorialGuide") : nullptr;
                if (cratePostPixels < 0 && frames >= 4 && crate && box &&
                    onScreen(camera, crate->position, w, h, cx, cy) && graphics->writeScreenshot(crateShot)) {
                    crateWords = room->getGuide() ? room->getGuide()->getShownText() : "";
                    // The strip over the crate's place, less the guide's board (its rim is gold).
                    const CEGUI::Rectf r = box->getUnclippedOuterRect().get();
                    const int top = static_cast<int>(r.top()), bottom = static_cast<int>(r.bottom());
                    cratePostPixels =
                        zrktest::countPixels(crateShot, cx - 20, 0, cx + 20, std::min(cy, top - 1), markerYellow);
                    if (cy > bottom)
                        cratePostPixels +=
                            zrktest::countPixels(crateShot, cx - 20, bottom + 1, cx + 20, cy, markerYellow);
                }
            }
            if (room->isAsking() && room->getGuide()) {
                const std::string words = room->getGuide()->getShownText();
                asksForAnswer += words.find("Answer the question") != std::string::npos ? 1 : 0;
                saysClick += words.find("Click to go on") != std::string::npos ? 1 : 0;
            }
            if (step && step->flags == 0x61 && frames == 3 && !room->isAsking() && !viewTried && camera) {
                // The mouse moved while the trainer talks: the view stays where it is.
                viewTried = true;
                const Ogre::Quaternion before = camera->getDerivedOrientation();
                XEvent ev{};
                ev.type = MotionNotify;
                ev.xmotion.x = w / 2 + 200;
                ev.xmotion.y = h / 2 + 150;
                input.send(ev, PointerMotionMask);
                game.frames(2);
                viewHeld = before.equals(camera->getDerivedOrientation(), Ogre::Radian(0.001f));
            }
            if (room->isAsking()) {
                ZRKPlayerSim* me = room->getLand() ? room->getLand()->getMyDoll() : nullptr;
                if (me && frames % 4 == 1) {
                    const yake::math::Vector3 before = me->getPosition();
                    input.keyEvent(XK_w, true);
                    game.frames(2);
                    input.keyEvent(XK_w, false);
                    // Only while the box is still up: an answer clicked before may have closed it.
                    if (room->isAsking() && room->getStepIndex() == index) {
                        ++askedFrames;
                        stoodStill = stoodStill && (me->getPosition() - before).length() < 0.01f;
                        auto* sight = room->getSightingPanel();
                        CEGUI::Window* bubbles = BattleRoom::hudWindow("BubbleContainer");
                        coveredByBattle = coveredByBattle || (sight && sight->isVisible()) ||
                                          (bubbles && bubbles->isEffectiveVisible());
                        const core::GuiManager* pointer = core::GuiManager::getSingletonPtr();
                        mouseHeld = mouseHeld || (pointer && pointer->cursorCapture() != 0);
                    }
                }
            }
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
            guideTaken = graphics->writeScreenshot(guideShot);
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
        });
        finished(lesson0, "room", 0);

        // "Help" on the area page starts the next lesson; the player leaves it by Escape
        // and the question's "OK", back to where he came from.
        const auto helpThenLeave = [&](const char* page, const std::string& from) {
            ASSERT_TRUE(game.framesUntil([&] { return zrktest::shownPage(page) != nullptr; }, 300)) << page;
            const int plays = gui->getControl()->callCount("effect.play");
            ASSERT_TRUE(clickHelp(input, page)) << page;
            game.frames(1);
            CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
            curtainSeen = curtainSeen || (root && root->getChildRecursive("EffectCurtain"));
            effectPlays += gui->getControl()->callCount("effect.play") - plays;
            ASSERT_TRUE(
                game.framesUntil([&] { return game.stateName() == "battle_newbie" && room->getStepIndex() >= 0; }, 800))
                << "help from " << page;
            lessonNumbers.push_back(room->getLesson());
            core::Frame* frame = GameServices::frame();
            ASSERT_TRUE(frame);
            game.frames(2);
            input.key(XK_Escape);
            ASSERT_TRUE(game.framesUntil([&] { return frame->getMessageBoxWindow() != nullptr; }, 20));
            if (const core::Frame::BoxRecord* box = frame->getOpenMessageBox())
                leaveQuestion = box->text;
            game.frames(1);
            zrktest::clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
            game.framesUntil([&] { return game.stateName() == from; }, 400);
            backTo.push_back(game.stateName());
            tasks.push_back(static_cast<int>(world.player("rookie")->newbieTask));
        };
        if (!kAllLessons)
            return;
        effectPlays = 0;
        helpThenLeave("AreaPage", "room");
        // Into the first zone's hall by the mouse, where "Help" drops the hall out first.
        ASSERT_TRUE(game.framesUntil([] { return zrktest::shownPage("AreaPage") != nullptr; }, 300));
        CEGUI::Window* area = zrktest::shownPage("AreaPage");
        auto* zones = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
        ASSERT_TRUE(game.framesUntil([&] { return zones->getRowCount() > 0; }, 60));
        const CEGUI::Rectf list = zones->getListRenderArea();
        const CEGUI::Rectf outer = zones->getUnclippedOuterRect().get();
        input.click(static_cast<int>(outer.left() + list.left() + 20),
                    static_cast<int>(outer.top() + list.top() + zones->getHighestRowItemHeight(0) / 2 + 1));
        game.frames(1);
        zrktest::clickOn(input, area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "playerhall"; }, 120)) << game.stateName();
        helpThenLeave("RoomListPage", "playerhall");
        // Lesson 1 from the hall's "Help" once more, played to its end: at its aiming step
        // the dummy stands high, so the view comes up by the mouse and A and D turn in taps;
        // then the dummy is shot (out at its last health), the rage started by R, the
        // dummy shot again. Then "Help" brings lesson 2, a fight with a doll that shoots
        // back, played to its end too.
        for (int lesson : {1, 2}) {
            ASSERT_TRUE(game.framesUntil([&] { return zrktest::shownPage("RoomListPage") != nullptr; }, 600)) << lesson;
            game.frames(2);
            ASSERT_TRUE(clickHelp(input, "RoomListPage"));
            ASSERT_TRUE(
                game.framesUntil([&] { return game.stateName() == "battle_newbie" && room->getStepIndex() >= 0; }, 800))
                << "lesson " << lesson;
            lessonNumbers.push_back(room->getLesson());
            const int aimStep = 32;
            ASSERT_EQ(std::string(TutorialStep::at(aimStep)->task), "aim");
            const Played played = player.play(
                [&](int index, int frames) {
                    aimed = aimed || (index == aimStep && room->isSightActive());
                    if (index == aimStep + 1 && frames == 2) {
                        // Once the dummy is in the sight the rookie looks up at the sky: the
                        // shooting step shows the dummy all the same.
                        XEvent ev{};
                        ev.type = MotionNotify;
                        ev.xmotion.x = w / 2;
                        ev.xmotion.y = h / 2 + 300;
                        input.send(ev, PointerMotionMask);
                    }
                    ZRKLand* here = room->getLand();
                    ZRKPlayerSim* me = here ? here->getMyDoll() : nullptr;
                    if (index == aimStep && frames == 6 && here) {
                        // The dummy stands in the view when the step begins, below the guide.
                        ZRKPlayerSim* dummy = nullptr;
                        for (const auto& d : here->getAllDoll())
                            if (me && d.second != me && d.second->getColour() != me->getColour())
                                dummy = d.second;
                        CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                        CEGUI::Window* box = root ? root->getChildRecursive("TutorialGuide") : nullptr;
                        int x = 0, y = 0;
                        dummyInView =
                            dummy && box &&
                            onScreen(camera, dummy->getPosition() + yake::math::Vector3(0, 1.5f, 0), w, h, x, y) &&
                            y > box->getUnclippedOuterRect().get().bottom();
                        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/tutorial-aim.png");
                        // No head bubble covers the guide's words.
                        for (const auto& d : here->getAllDoll())
                            if (auto bubble = d.second->getPlayerRef()
                                                  ? BattleRoom::getBubble(*d.second->getPlayerRef())
                                                  : boost::shared_ptr<BattleRoom::ZRKBubblePanel>())
                                if (box && bubble->getWindow() && bubble->getWindow()->isEffectiveVisible() &&
                                    bubble->getWindow()->getUnclippedOuterRect().get().top() <
                                        box->getUnclippedOuterRect().get().bottom() - 1.0f)
                                    bubbleOverGuide = d.first;
                    }
                    if (index == 40 && me) {
                        if (frames == 1) {
                            furyShown = ownNumber("Fury") == me->getBattle().xfury && me->getBattle().xfury > 0;
                            rageWaited = !me->isFlagSet(SIM_FURY_READY);
                        }
                        rageStarted = rageStarted || me->isFlagSet(SIM_FURY_READY);
                    }
                    const TutorialStep* row = TutorialStep::at(index);
                    if (row && row->task && std::string(row->task) == "hit" && room->getGuide())
                        forceTold = forceTold || room->getGuide()->getLine().find("Space") != std::string::npos;
                    passedAim = passedAim || index > aimStep;
                    ZRKLand* land = room->getLand();
                    ZRKPlayerSim* target = land && index >= 60 ? land->getDoll(room->seatName(0)) : nullptr;
                    if (target)
                        opponentShots = std::max(opponentShots, target->getPlayerBattle().shots);
                },
                -1, 20000);
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            finished(played, "playerhall", lesson);
        }
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(lessons.size(), kAllLessons ? 3u : 1u);
    EXPECT_EQ(lessonNumbers[0], 0);
    EXPECT_TRUE(lessons[0].ended);
    EXPECT_EQ(lessons[0].steps, 12);
    EXPECT_GT(lessons[0].clicks, 0);
    // The world keeps lesson 0 once; "Help" then brings lesson 1, whichever page it is on, and
    // a lesson left early is not kept; lessons 1 and 2 played to their ends are kept, each once.
    const std::size_t visits = kAllLessons ? 5u : 1u;
    std::vector<int> lessonsStarted = {0, 1, 1, 1, 2};
    std::vector<std::string> cameBackTo = {"room", "room", "playerhall", "playerhall", "playerhall"};
    std::vector<int> kept = {1, 1, 1, 2, 3};
    lessonsStarted.resize(visits);
    cameBackTo.resize(visits);
    kept.resize(visits);
    EXPECT_EQ(tasks, kept);
    EXPECT_EQ(lessonNumbers, lessonsStarted);
    EXPECT_EQ(backTo, cameBackTo);
    // Lesson 0 by the window's keys and clicks alone.
    EXPECT_EQ(doubleClickSteps, 1);
    EXPECT_TRUE(quitAsked);
    EXPECT_TRUE(stillInLesson);
    EXPECT_GE(lessons[0].answers, 2); // its two questions answered by clicks
    EXPECT_GT(askedFrames, 0);
    EXPECT_TRUE(stoodStill);
    EXPECT_FALSE(coveredByBattle);
    EXPECT_FALSE(mouseHeld);
    EXPECT_GT(spAtCrate, 0);
    EXPECT_LT(spLowest, spAtCrate) << "the energy bar did not fall while he walked to the crate";
    EXPECT_GT(asksForAnswer, 0);
    EXPECT_EQ(saysClick, 0);
    EXPECT_TRUE(viewTried);
    EXPECT_TRUE(viewHeld) << "the mouse turned the view while the trainer talked";
    // The move step as the player sees it.
    EXPECT_TRUE(guideTaken);
    EXPECT_EQ(guideText, "Walk to the marked place: W and S walk, A and D turn.");
    EXPECT_GT(boxBlue, 2000);    // the guide's board
    EXPECT_GT(boxGold, 200);     // its rim and the trainer's badge
    EXPECT_GT(boxText, 100);     // the words on it
    EXPECT_GT(markerPixels, 20); // the yellow post over the marked place
    // The crate step's words name what is drawn at the crate: the yellow post.
    EXPECT_NE(crateWords.find("yellow post"), std::string::npos) << crateWords;
    EXPECT_GT(cratePostPixels, 20);
    EXPECT_GE(trainersSeen, 1);
    EXPECT_EQ(trainerHp, 50); // the trainers' health as the lesson gave it
    if (!kAllLessons)
        return;
    EXPECT_TRUE(curtainSeen); // the hall dropped out
    EXPECT_NE(leaveQuestion.find("not counted as done"), std::string::npos) << leaveQuestion;
    EXPECT_EQ(leaveQuestion.find("defeat"), std::string::npos) << leaveQuestion;
    EXPECT_TRUE(dummyInView) << "the dummy was not in the view when the aiming step began (tutorial-aim.png)";
    EXPECT_EQ(bubbleOverGuide, "") << "a head bubble covers the guide's words";
    EXPECT_TRUE(furyShown);
    EXPECT_TRUE(rageWaited) << "the rage started before R";
    EXPECT_TRUE(rageStarted);
    EXPECT_TRUE(forceTold);
    EXPECT_TRUE(aimed);
    EXPECT_TRUE(passedAim);
    EXPECT_EQ(effectPlays, 1);
    for (std::size_t i = 1; i < lessons.size(); ++i)
        EXPECT_TRUE(lessons[i].ended) << "lesson " << i;
    EXPECT_EQ(lessons[1].steps, 17);
    EXPECT_EQ(lessons[2].steps, 5);
    // Each target fell to the first shot laid as the line under the step's words said, and at
    // each of his turns it stood in view below the guide box, its bubble over it.
    EXPECT_EQ(lessons[1].shots, (std::map<int, int>{{36, 1}, {43, 1}}));
    EXPECT_EQ(lessons[2].shots, (std::map<int, int>{{62, 1}}));
    for (std::size_t i = 1; i < lessons.size(); ++i) {
        EXPECT_GT(lessons[i].turnsSeen, 0) << "lesson " << i;
        EXPECT_EQ(lessons[i].unframed, "") << "lesson " << i;
    }
    EXPECT_GT(opponentShots, 0); // lesson 2's doll fired back while he fought it
}
