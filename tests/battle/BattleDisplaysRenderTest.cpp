// The battle's displays in the game window (under Xvfb): the loading screen with eight rows,
// the fight with the head bubbles, the sight charging its force ring and the wind vane, and
// the suspend panel. Pictures: loading-screen.png, battle-displays.png, suspend-panel.png.
#include <CEGUI/CEGUI.h>
#include <cairo.h>
#include <core/BlackBoard.h>
#include <core/EventManager.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>
#include <filesystem>
#include <Ogre.h>
#include <iostream>
#include <gtest/gtest.h>
#include <land/PlayerBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/hud/VaneSnapShotScene.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "battle/hud/ZRKSuspendPanel.h"
#include "rooms/SnapShotEx.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// Pixels of a PNG near a colour (each channel within `tolerance`) inside a rectangle.
struct Pixels {
    cairo_surface_t* surface;
    explicit Pixels(const std::string& file) : surface(cairo_image_surface_create_from_png(file.c_str())) {}
    ~Pixels() { cairo_surface_destroy(surface); }
    bool ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
    int width() const { return ok() ? cairo_image_surface_get_width(surface) : 0; }
    int height() const { return ok() ? cairo_image_surface_get_height(surface) : 0; }
    unsigned at(int x, int y) const
    {
        const unsigned char* p =
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
        return unsigned(p[2]) << 16 | unsigned(p[1]) << 8 | p[0];
    }
    int near(unsigned rgb, int x0, int y0, int x1, int y1, int tolerance = 40) const
    {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(height(), y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width(), x1); ++x) {
                const unsigned p = at(x, y);
                bool close = true;
                for (int s = 0; s < 24; s += 8)
                    close = close && std::abs(int(p >> s & 0xFF) - int(rgb >> s & 0xFF)) <= tolerance;
                n += close;
            }
        return n;
    }
};

} // namespace

using BattleDisplaysRender = zrktest::GameOnScreen;

TEST_F(BattleDisplaysRender, LoadingScreenFightDisplaysAndSuspendPanelShowInTheWindow)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string loadingShot = std::string(ZRK_SHOTS_DIR) + "/loading-screen.png";
    const std::string displaysShot = std::string(ZRK_SHOTS_DIR) + "/battle-displays.png";
    const std::string suspendShot = std::string(ZRK_SHOTS_DIR) + "/suspend-panel.png";
    const std::string vaneA = std::string(ZRK_SHOTS_DIR) + "/vane-a.png";
    const std::string vaneB = std::string(ZRK_SHOTS_DIR) + "/vane-b.png";
    int rows = 0, seated = 0, bubbles = 0, locked = 0, sightMode = -1, force = -1;
    bool loadingSaved = false, displaysSaved = false, suspendSaved = false, vaneSaved = false, clickedAway = false;
    int windowW = 0, windowH = 0;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        windowW = static_cast<int>(graphics->getRenderWindow()->getWidth());
        windowH = static_cast<int>(graphics->getRenderWindow()->getHeight());
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 7, 11, room);
        if (!room)
            return;
        ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isLoaded(); }, 400));
        ASSERT_TRUE(game.framesUntil([&] { return !room->getProgressPanel(); }, 10)); // the room's own went

        // The loading screen as it stands while the players load: rows half way, one done.
        {
            boost::shared_ptr<BattleRoom::ZRKProgressPanel> panel(new BattleRoom::ZRKProgressPanel(room.get()));
            ASSERT_TRUE(panel->createWindow());
            panel->fillPlayers();
            rows = static_cast<int>(panel->getRows().size());
            ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
            for (int seat = 0; seat < state->getSlotCount(); ++seat)
                seated += state->getPlayer(seat) ? 1 : 0;
            int n = 0;
            for (const auto& row : panel->getRows()) {
                core::Event e(6514);
                e.attrs().setAttr("playerId", state->getPlayer(row.seat)->getID());
                e.attrs().setAttr("lower", n == 2 ? 101 : 20 + 9 * n);
                e.attrs().setAttr("upper", 90);
                e.attrs().setAttr("speed", 0.5f);
                panel->handle(e);
                ++n;
            }
            // A quarter second each: the countdown ticks too.
            zrktest::FramePump([&] {
                panel->update(0);
                return game.frames(1);
            }).frames(12);
            loadingSaved = graphics->writeScreenshot(loadingShot);
            panel->destroyWindow();
        }

        // The fight: on hero's turn he holds fire until the ring is half way round.
        ZRKLand* land = room->getLand();
        ASSERT_TRUE(land->isFighting() || land->beginSimulator() || true);
        ZRKPlayerSim* me = land->getMyDoll();
        ASSERT_NE(me, nullptr);
        game.framesUntil(
            [&] {
                BattleRoom::ZRKSightingPanel* sight = room->getSightingPanel();
                return land->isFinished() ||
                       (land->getActingDoll() == me && me->isWaiting() && sight && sight->isVisible());
            },
            4000);
        // Half way through a charge, the assist's mark ahead of it.
        me->getPlayerBattle().force = 450;
        me->getPlayerBattle().markForce = 700;
        game.frames(1);
        force = me->getPlayerBattle().force;
        if (BattleRoom::ZRKSightingPanel* sight = room->getSightingPanel())
            sightMode = sight->getMode();
        for (const auto& d : land->getAllDoll())
            if (d.second->getPlayerRef())
                if (auto bubble = d.second->getPlayerRef()->getAttrAs<boost::shared_ptr<BattleRoom::ZRKBubblePanel>>(
                        "zrk_bubble", boost::shared_ptr<BattleRoom::ZRKBubblePanel>())) {
                    ++bubbles;
                    locked += bubble->isLocked();
                }
        displaysSaved = graphics->writeScreenshot(displaysShot);

        // The vane turns with the wind: its picture for two winds.
        if (core::SnapShotEx* vane = room->getVaneSnapShot()) {
            room->updateVane(yake::math::Vector3(1, 0, 0), yake::math::Vector3(0, 0, 1));
            const bool a = vane->saveToFile(vaneA);
            room->updateVane(yake::math::Vector3(0, 0, -1), yake::math::Vector3(0, 0, 1));
            vaneSaved = a && vane->saveToFile(vaneB);
        }

        // The window loses the focus: the suspend panel; a click on it plays on.
        room->suspendInput();
        game.frames(2);
        suspendSaved = graphics->writeScreenshot(suspendShot);
        if (BattleRoom::ZRKSuspendPanel* panel = room->getSuspendPanel())
            panel->onMouseUp(CEGUI::EventArgs());
        game.frames(2);
        clickedAway = !room->getSuspendPanel() && room->isDragCursor();
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_GE(seated, 4);
    EXPECT_EQ(rows, seated); // a row per seated player
    EXPECT_EQ(bubbles, seated);
    EXPECT_LE(locked, 1); // the assist marks one enemy at most
    EXPECT_GT(force, 0);
    EXPECT_LT(force, 1000);
    EXPECT_EQ(sightMode, 1);
    EXPECT_TRUE(clickedAway);

    ASSERT_TRUE(loadingSaved);
    Pixels loading(loadingShot);
    ASSERT_TRUE(loading.ok());
    // The own row's gold background, the progress bars' green and the frame's gold.
    EXPECT_GT(loading.near(0x5A4312, 0, 0, loading.width(), loading.height(), 25), 1000);
    EXPECT_GT(loading.near(0x3FD060, 0, 0, loading.width(), loading.height(), 40), 300);
    EXPECT_GT(loading.near(0xD9A93A, 0, 0, loading.width(), loading.height(), 30), 1000);

    ASSERT_TRUE(displaysSaved);
    Pixels displays(displaysShot);
    ASSERT_TRUE(displays.ok());
    // The force ring's red in the sight at the window's middle.
    const int cx = displays.width() / 2, cy = displays.height() / 2;
    EXPECT_GT(displays.near(0xFB0400, cx - 48, cy - 48, cx + 48, cy + 48, 50), 40);

    ASSERT_TRUE(vaneSaved);
    Pixels a(vaneA), b(vaneB);
    ASSERT_TRUE(a.ok() && b.ok());
    const int orangeA = a.near(0x9C6B13, 0, 0, a.width(), a.height(), 60);
    EXPECT_GT(orangeA, 50); // the arrow is there
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differ += a.at(x, y) != b.at(x, y);
    EXPECT_GT(differ, 100); // and turned with the wind

    ASSERT_TRUE(suspendSaved);
    Pixels suspend(suspendShot);
    ASSERT_TRUE(suspend.ok());
    // The white words in the middle: the battle goes on.
    EXPECT_GT(suspend.near(0xFFFFFF, cx - 240, cy - 40, cx + 240, cy + 40, 40), 300);
}
