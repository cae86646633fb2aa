// The battle's side towards the player, headless: the camera's mouse bindings and when the
// mouse turns the view, the Escape question by time and its answers (giving up goes back to the room), the focus
// suspend and the radar.
#include <gtest/gtest.h>
#include <cmath>
#include <core/BlackBoard.h>
#include <core/Camera.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <land/DollConstants.h>
#include <land/ZRKPlayerSim.h>
#include <server/ZRKWorld.h>

#include "BattleServerFixture.h"
#include "services/GameServices.h"
#include "shell/Application.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using namespace yake::input;

namespace {

struct BattleInputTest : zrktest::BattleServerFixture {
    core::BlackBoard board;
    core::GuiManager cursor;
    Application app{nullptr, "game.exe"};
    core::Frame mainFrame{app};
    GameServices::FrameLoan loan{mainFrame};

    core::Camera& camera() { return *room->getCameraController(); }
    const core::Frame::BoxRecord* lastBox() const
    {
        return mainFrame.getMessageBoxes().empty() ? nullptr : &mainFrame.getMessageBoxes().back();
    }
};

} // namespace

TEST_F(BattleInputTest, TheMouseTurnsTheViewOnlyWhileTheDollMayNotActAndPitchesWithinLimits)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    EXPECT_EQ(cursor.cursorCapture(), 2);
    EXPECT_TRUE(room->isDragCursor());
    ASSERT_TRUE(room->getDragCursorModule());
    EXPECT_TRUE(room->dragCursorDetect());
    EXPECT_EQ(camera().getInputController(2)->bindCount(), 2u);
    EXPECT_EQ(camera().getInputController(3)->bindCount(), 4u);
    EXPECT_EQ(camera().getInputController(4)->bindCount(), 6u);
    EXPECT_EQ(camera().getInputController(5)->bindCount(), 2u);
    EXPECT_EQ(camera().getInputController(6), nullptr);
    core::CameraControllerTP& tp = *camera().getCameraControllerTP();
    EXPECT_FLOAT_EQ(tp.getDistance(), 20.0f);
    EXPECT_NEAR(tp.getPitchUp(), 75.0f * 3.14159265f / 180.0f, 1e-5);

    // Before the fight the doll may not act: the mouse turns the view.
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    frame();
    EXPECT_TRUE(room->isFreeRotate());
    EXPECT_FALSE(tp.isTrackingOrientation());
    EXPECT_TRUE(room->isCameraOwn());
    const float yaw = tp.getYaw();
    cursor.injectMouseMove(60.0f, 0.0f, 0.0f);
    frame();
    EXPECT_NE(tp.getYaw(), yaw);
    // Pitch: a long way down stops at the limit.
    cursor.injectMouseMove(0.0f, -100000.0f, 0.0f);
    frame();
    EXPECT_NEAR(std::fabs(tp.getPitch()), 75.0f * 3.14159265f / 180.0f, 1e-4);

    // Its turn, waiting for the player: the camera follows the doll, the mouse does not turn it.
    ZRKLand* land = room->getLand();
    ASSERT_TRUE(land->isFighting() || land->beginSimulator());
    until([&] { return (land->getActingDoll() == me && me->isWaiting()) || land->isFinished(); }, 4000, 0.1f);
    ASSERT_TRUE(me->isWaiting());
    frame(0.01f);
    EXPECT_FALSE(room->isFreeRotate());
    EXPECT_FALSE(camera().getInputController(2)->isActionEnabled(ACTIONID_ROTATE_LEFT));
    EXPECT_TRUE(tp.isTrackingOrientation());
    const float heading = tp.getYaw();
    cursor.injectMouseMove(60.0f, 0.0f, 0.0f);
    frame(0.01f);
    EXPECT_FLOAT_EQ(tp.getYaw(), heading);
    // With its controller off it may not act again.
    me->getController().enable(false);
    frame(0.01f);
    EXPECT_TRUE(room->isFreeRotate());
    me->getController().enable(true);

    // A free cursor moves nothing.
    room->suspendInput();
    EXPECT_EQ(cursor.cursorCapture(), 0);
    const float pitch = tp.getPitch();
    cursor.injectMouseMove(0.0f, 500.0f, 0.0f);
    camera().update();
    EXPECT_FLOAT_EQ(tp.getPitch(), pitch);
    frame(); // back in the window: captured again
    EXPECT_EQ(cursor.cursorCapture(), 2);
    EXPECT_TRUE(room->isDragCursor());

    room->onExit();
    EXPECT_EQ(cursor.cursorCapture(), 0); // as the battle found it
}

TEST_F(BattleInputTest, EscapeAsksByTheTimeOfTheFightAndASecondEscapeClosesTheQuestion)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    EXPECT_FALSE(room->onEscapeKey(2)); // other keys are not the room's
    ASSERT_TRUE(room->onEscapeKey(1));
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "warning/escape1"); // before the fight's first minute is over
    EXPECT_EQ(lastBox()->titleKey, "warning/title");
    EXPECT_TRUE(room->isMessageBoxOpen());
    EXPECT_EQ(cursor.cursorCapture(), 0);
    EXPECT_FALSE(room->getLand()->getMyDoll()->getController().isEnabled());

    EXPECT_FALSE(room->onEscapeKey(1)); // closes it
    EXPECT_FALSE(room->isMessageBoxOpen());
    EXPECT_FALSE(lastBox()->open);
    EXPECT_EQ(cursor.cursorCapture(), 2);
    EXPECT_TRUE(room->getLand()->getMyDoll()->getController().isEnabled());

    // A minute into the fight the question says what leaving loses (no defeat is kept).
    ASSERT_TRUE(room->getLand()->isFighting() || room->getLand()->beginSimulator());
    ZRKLand* land = room->getLand();
    until([&] { return land->getTimeNow() - land->getTimeBegin() > 60.0f || land->isFinished(); }, 2000, 0.1f);
    if (!land->isFinished()) {
        ASSERT_TRUE(room->onEscapeKey(1));
        // A duel: nobody else is on his side to fight on.
        EXPECT_EQ(lastBox()->textKey, "warning/escape_late_alone");
        EXPECT_EQ(lastBox()->text.find("defeat"), std::string::npos);
        // Confirming gives the battle up: back to the room it came from, as at its end.
        ASSERT_TRUE(mainFrame.pressMessageBoxButton(0));
        EXPECT_FALSE(room->hasScene());
        EXPECT_EQ(session->getLastTeleport(), "zrk_personalroom");
    }
}

// Late in a battle of two a side, leaving says the side fights on without him while anyone
// else is left on it, and nothing of a side once his partner is out.
TEST_F(BattleInputTest, TheLateQuestionSpeaksOfTheSideOnlyWhileSomeoneElseIsLeftOnIt)
{
    enterAndLoad("bag=1&prev=zrk_personalroom", Json::Value(), 3);
    ZRKLand* land = room->getLand();
    ZRKPlayerSim* me = land->getMyDoll();
    ASSERT_NE(me, nullptr);
    ZRKPlayerSim* partner = nullptr;
    for (const auto& doll : land->getAllDoll()) {
        doll.second->invincible(INVINCIBLE_UNDYING, -1.0f); // the minute is fought out whoever shoots
        if (doll.second != me && doll.second->getColour() == me->getColour())
            partner = doll.second;
    }
    ASSERT_NE(partner, nullptr);
    ASSERT_TRUE(land->isFighting() || land->beginSimulator());
    ASSERT_TRUE(until([&] { return land->getTimeNow() - land->getTimeBegin() > 60.0f || land->isFinished(); }, 2000,
                      0.1f, "a minute of the fight"));
    ASSERT_FALSE(land->isFinished());
    ASSERT_TRUE(room->onEscapeKey(1));
    EXPECT_EQ(lastBox()->textKey, "warning/escape_late");
    EXPECT_FALSE(room->onEscapeKey(1)); // plays on
    partner->setFlag(SIM_OUT);
    ASSERT_TRUE(room->onEscapeKey(1));
    EXPECT_EQ(lastBox()->textKey, "warning/escape_late_alone");
    EXPECT_FALSE(room->onEscapeKey(1));
}

// Given up midway, the props he used leave the world at once, not only with the battle's end
// (which he no longer reports); an end report told afterwards takes nothing more.
TEST_F(BattleInputTest, GivenUpMidwayTheKitHeUsedLeavesTheWorldOnceAndAnEndReportTakesNothingMore)
{
    ZRKServerCore& server = session->getGameServer()->core();
    const auto kitsInWorld = [&server]() { return zrktest::heldInWorld(server, "hero", 5, 4001); };
    const long long before = kitsInWorld();
    ASSERT_EQ(before, 3);
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ZRKLand* land = room->getLand();
    ZRKPlayerSim* me = land->getMyDoll();
    ASSERT_NE(me, nullptr);
    ASSERT_TRUE(land->isFighting() || land->beginSimulator());
    ASSERT_TRUE(until([&] { return land->getActingDoll() == me && me->isWaiting() && me->useProp(0); }, 2000, 0.05f,
                      "a kit used on hero's turn"));
    EXPECT_EQ(me->getPropsUsed().at("4001"), 1);
    ASSERT_TRUE(room->onEscapeKey(1));
    ASSERT_TRUE(mainFrame.pressMessageBoxButton(0));
    EXPECT_FALSE(room->hasScene());
    ASSERT_TRUE(until([&] { return kitsInWorld() == before - 1; }, 10, 0.05f, "the kit taken"));
    frames(2);
    EXPECT_EQ(kitsInWorld(), before - 1);
    EXPECT_EQ(zrktest::heldInClientBag(5, 4001), before - 1); // the client's bag heard it too
    zrktest::tellEndWithPropsUsed("battle_hero", "4001", 1);
    frames(3);
    EXPECT_EQ(kitsInWorld(), before - 1);
}

TEST_F(BattleInputTest, TheLeaveQuestionGoesUnansweredWithTheBattle)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ASSERT_TRUE(room->onEscapeKey(1));
    ASSERT_TRUE(lastBox() && lastBox()->open);
    const std::string before = session->getLastTeleport();
    room.reset(); // the battle goes while its question is up
    EXPECT_FALSE(lastBox()->open);
    EXPECT_FALSE(mainFrame.pressMessageBoxButton(0)); // nothing is left to answer
    EXPECT_EQ(session->getLastTeleport(), before);    // and nobody was taken anywhere
}

TEST_F(BattleInputTest, TheLeaveQuestionGoesUnansweredWithTheScene)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ASSERT_TRUE(room->onEscapeKey(1));
    const std::string before = session->getLastTeleport();
    room->onExit(); // the room stays, its scene goes
    EXPECT_FALSE(lastBox()->open);
    EXPECT_FALSE(room->isMessageBoxOpen());
    EXPECT_FALSE(mainFrame.pressMessageBoxButton(0));
    EXPECT_EQ(session->getLastTeleport(), before);
}

TEST_F(BattleInputTest, TheRadarMapsTheWorldBoxOntoItsPicture)
{
    BattleRoom idle;
    yake::math::Vector3 p(10.0f, 5.0f, 20.0f);
    EXPECT_FALSE(idle.projectToRadar(p)); // not known yet: untouched
    EXPECT_EQ(p.x, 10.0f);

    enterAndLoad("prev=room");
    ASSERT_TRUE(room->isRadarLoaded());
    yake::math::Vector3 centre(0.0f, 0.0f, 0.0f), corner(240.0f, 0.0f, -240.0f);
    ASSERT_TRUE(room->projectToRadar(centre));
    EXPECT_FLOAT_EQ(centre.x, 128.0f);
    EXPECT_FLOAT_EQ(centre.y, 128.0f);
    ASSERT_TRUE(room->projectToRadar(corner));
    EXPECT_FLOAT_EQ(corner.x, 256.0f);
    EXPECT_FLOAT_EQ(corner.y, 0.0f);
    room->resyncBattle(); // a new land reads the radar again
    EXPECT_FALSE(room->isRadarLoaded());
}
