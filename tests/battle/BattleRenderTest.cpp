// A short battle in the game window: "hero" logs in, the server starts him a battle against
// one of its own players, he aims and fires by keys (the mouse moves over the window too) and
// ends on the result screen. Pictures: battle-aim.png while charging, battle-awards.png with
// the result.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Camera.h>
#include <core/GraphicsSystem.h>
#include <core/GuiManager.h>
#include <core/GrafixClientState.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <gui/IBattleOver.h>
#include <gui/IGuiManager.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/BattleServerFixture.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

void mouseMove(zrktest::XWindowInput& input, int x, int y)
{
    XEvent ev{};
    ev.type = MotionNotify;
    ev.xmotion.x = x;
    ev.xmotion.y = y;
    input.send(ev, PointerMotionMask);
}

} // namespace

using BattleRender = zrktest::GameOnScreen;

TEST_F(BattleRender, AShortBattleIsAimedFiredAndEndsOnTheResultScreen)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string aimShot = std::string(ZRK_SHOTS_DIR) + "/battle-aim.png";
    const std::string awardsShot = std::string(ZRK_SHOTS_DIR) + "/battle-awards.png";
    double aimLight = -1, awardsLight = -1;
    bool aimed = false, resultShown = false, turned = false, freeWhileWaiting = false;
    float yawBefore = 0.0f;
    int escape = 0;
    bool asked = false, freedWhileAsked = false, closedAgain = false;
    int shots = 0;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([&] { return session->isOnline(); }, 240));
        // The log-in goes on to the area choice first; the battle starts from there.
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 1, 5, room);
        if (!room)
            return;
        ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));

        // The cursor is captured: the pointer is kept in the window's middle and its motion
        // steers the camera.
        core::GuiManager* cursor = core::GuiManager::getSingletonPtr();
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(cursor->cursorCapture(), 2);
        const int cx = static_cast<int>(graphics->getRenderWindow()->getWidth() / 2);
        const int cy = static_cast<int>(graphics->getRenderWindow()->getHeight() / 2);
        core::CameraControllerTP* camera = room->getCameraController()->getCameraControllerTP();

        // On his turns hero raises the barrel, holds fire, and lets go; on the others' turns
        // he looks around with the mouse.
        int held = 0, frame = 0;
        auto gui = [&]() -> gui::IBattleOver* {
            gui::IGuiManager* m = room->getGuiManager();
            return m ? static_cast<gui::IBattleOver*>(m->getBattleOverView()) : nullptr;
        };
        game.framesUntil(
            [&] {
                ++frame;
                ZRKLand* land = room->getLand();
                ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
                // The question is looked at, and closed, on the very next frames, whoever's
                // turn it is by then: hero's own turn may begin while it is open.
                if (escape == 1) {
                    asked = room->isMessageBoxOpen();
                    freedWhileAsked = cursor->cursorCapture() == 0;
                    input.keyEvent(XK_Escape, true);
                    input.keyEvent(XK_Escape, false);
                    escape = 2;
                    return false;
                }
                if (escape == 2) {
                    closedAgain = !room->isMessageBoxOpen() && cursor->cursorCapture() == 2;
                    escape = 3;
                }
                if (me && land->getActingDoll() == me) {
                    ++held;
                    if (held == 1)
                        input.keyEvent(XK_Up, true);
                    if (held == 3) {
                        input.keyEvent(XK_Up, false);
                        input.keyEvent(XK_space, true);
                    }
                    if (held == 6 && !aimed) {
                        aimed = graphics->writeScreenshot(aimShot);
                        aimLight = graphics->nonBlackShare();
                    }
                    if (held == 8) {
                        input.keyEvent(XK_space, false);
                        ++shots;
                    }
                } else {
                    held = 0;
                    // Once, Escape asks whether to leave; a second Escape plays on.
                    if (escape == 0 && land && land->isFighting()) {
                        input.keyEvent(XK_Escape, true);
                        input.keyEvent(XK_Escape, false);
                        escape = 1;
                        return false;
                    }
                    // While the others act the mouse looks around.
                    if (frame % 4 == 0) {
                        freeWhileWaiting = freeWhileWaiting || room->isFreeRotate();
                        yawBefore = camera->getYaw();
                        mouseMove(input, cx + 40, cy + 2);
                    } else if (frame % 4 == 2 && room->isFreeRotate()) {
                        turned = turned || camera->getYaw() != yawBefore;
                    }
                }
                resultShown = gui() && gui()->isShown();
                return resultShown;
            },
            4000);
        game.frames(2);
        if (resultShown) {
            EXPECT_TRUE(graphics->writeScreenshot(awardsShot));
            awardsLight = graphics->nonBlackShare();
        }
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_GT(shots, 0);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(freedWhileAsked);
    EXPECT_TRUE(closedAgain);
    EXPECT_TRUE(freeWhileWaiting); // while the others act, the mouse turns the view
    EXPECT_TRUE(turned);
    EXPECT_TRUE(aimed);
    EXPECT_GT(aimLight, 0.5);
    EXPECT_TRUE(resultShown);
    EXPECT_GT(awardsLight, 0.5);
}

TEST_F(BattleRender, TheWindowDestroyedFromOutsideWhileLoadingOrFightingEndsTheRunCleanly)
{
    for (const bool fighting : {false, true}) {
        freshHome();
        bool endedByItself = false;
        const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
            // The game's clock, four frames a second, as the battle above plays.
            boost::shared_ptr<BattleRoom> room;
            zrktest::enterBotBattle(game, *session, 1, 5, room);
            if (!room)
                return;
            if (fighting)
                ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
            else
                ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle"; }, 100));
            ASSERT_TRUE(input.destroyFromOutside());
            endedByItself = !game.frames(100);
        });
        yake::native::setManualClock(false);
        EXPECT_TRUE(ok) << (fighting ? "fighting" : "loading");
        EXPECT_TRUE(endedByItself) << (fighting ? "fighting" : "loading");
        EXPECT_TRUE(std::filesystem::exists(dataFile("ZRK_Main.xml"))) << (fighting ? "fighting" : "loading");
    }
}

// A Repair Kit used by Z on hero's turn, then the battle given up by Escape and Enter: the
// world holds one kit fewer once he is back in his room, and the battle's end told afterwards
// with the kit named again takes nothing more.
TEST_F(BattleRender, AKitUsedThenEscapeAndEnterLeaveTheWorldOneKitFewerOnce)
{
    long long before = -1, afterLeaving = -1, afterReport = -1;
    int used = -1;
    std::string backTo;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        const auto kits = [&server]() { return zrktest::heldInWorld(server, "hero", 5, 4001); };
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 1, 5, room);
        if (!room)
            return;
        before = kits();
        ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
        ZRKLand* land = room->getLand();
        ZRKPlayerSim* me = land->getMyDoll();
        ASSERT_NE(me, nullptr);
        ASSERT_TRUE(game.framesUntil([&] { return land->getActingDoll() == me && me->isWaiting(); }, 2000))
            << "hero's turn";
        // Z takes the kit of the props bar's first place.
        input.key(XK_z);
        ASSERT_TRUE(game.framesUntil([&] { return !me->getPropsUsed().empty(); }, 20)) << "the kit used";
        used = me->getPropsUsed().at("4001");
        input.key(XK_Escape);
        ASSERT_TRUE(game.framesUntil([&] { return room->isMessageBoxOpen(); }, 20)) << "the leave question";
        input.key(XK_Return);
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() != "battle"; }, 200)) << "out of the battle";
        backTo = game.stateName();
        game.framesUntil([&] { return kits() == before - 1; }, 20, "the kit taken");
        afterLeaving = kits();
        bool answered = false;
        zrktest::tellEndWithPropsUsed("battle_hero", "4001", 1,
                                      [&answered](bool, const std::string&) { answered = true; });
        game.framesUntil([&] { return answered; }, 20, "the end report answered");
        afterReport = kits();
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_EQ(before, 3);
    EXPECT_EQ(used, 1);
    EXPECT_EQ(backTo, "zrk_personalroom");
    EXPECT_EQ(afterLeaving, before - 1);
    EXPECT_EQ(afterReport, before - 1);
}
