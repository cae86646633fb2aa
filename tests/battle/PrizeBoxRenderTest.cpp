// The prize boxes after a battle in the game window: "hero" wins a bot battle, the half time
// brings up the box screen, he clicks a box of his side (free) and then another (priced: he
// confirms the price), and each shows what was in it. Picture: prize-box.png.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "services/GameServices.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

CEGUI::Window* boxButton(int index)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* page = root ? root->getChildRecursive("OpenBoxPage") : nullptr;
    return page ? page->getChildRecursive("Box" + std::to_string(index)) : nullptr;
}

/// Clicks the middle of a CEGUI window with the X mouse.
bool clickOn(zrktest::XWindowInput& input, CEGUI::Window* w)
{
    if (!w || !w->isEffectiveVisible())
        return false;
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    input.click(static_cast<int>((r.left() + r.right()) / 2), static_cast<int>((r.top() + r.bottom()) / 2));
    return true;
}

} // namespace

using PrizeBoxRender = zrktest::GameOnScreen;

TEST_F(PrizeBoxRender, AfterABotBattleHeroOpensHisFreeBoxAndAPaidOne)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/prize-box.png";
    bool shown = false, freeOpened = false, paidAsked = false, paidOpened = false, pictured = false;
    long long couponsBefore = -1, couponsAfter = -1, couponsWon = 0;
    int openedByHero = 0;
    double light = -1;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 1, 5, room);
        if (!room)
            return;
        ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));

        // The bot is out: hero's side wins.
        ZRKLand* land = room->getLand();
        for (const auto& doll : land->getAllDoll())
            if (doll.first != land->getMyUID())
                doll.second->setFlag(SIM_OUT);
        // The half time comes ten seconds after the end; its box screen counts down twelve.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.25);
                return room->getBoxPanel() && room->getBoxPanel()->isShown() && boxButton(0);
            },
            400))
            << "stage " << room->getHalfTimeStage() << " panel " << (room->getBoxPanel() != nullptr) << " shown "
            << (room->getBoxPanel() && room->getBoxPanel()->isShown()) << " state " << game.stateName();
        shown = true;
        const std::string me = land->getMyUID();
        auto opened = [&](int index) {
            ZRKPrizeBoxes::Battle* b = server.prizeBoxes().find("battle_hero");
            return b && b->offers[static_cast<std::size_t>(index)].openedBy == me;
        };
        ASSERT_TRUE(server.prizeBoxes().find("battle_hero")) << "no offers";
        // The player takes his time over the boxes: the count-down runs at the screen's pace.
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 30);
        game.frames(3);
        freeOpened = clickOn(input, boxButton(0)) && game.framesUntil([&] { return opened(0); }, 40);
        game.frames(4);
        couponsBefore = server.world().player("hero")->money[ZRKWorld::Coupons];
        // Box 1 is priced now (coupons): the price is asked, and confirmed.
        core::Frame* frame = GameServices::frame();
        paidAsked = clickOn(input, boxButton(1)) && game.framesUntil([&] { return frame->getOpenMessageBox(); }, 20);
        if (paidAsked) {
            frame->pressMessageBoxButton(0);
            paidOpened = game.framesUntil([&] { return opened(1); }, 40);
        }
        game.frames(6);
        couponsAfter = server.world().player("hero")->money[ZRKWorld::Coupons];
        const ZRKPrizeBoxes::Battle* offers = server.prizeBoxes().find("battle_hero");
        ASSERT_TRUE(offers) << "the offers closed early; the battle is " << game.stateName();
        for (const auto& o : offers->offers)
            openedByHero += o.openedBy == me;
        couponsWon = offers->offers[1].loot.type == 2 ? offers->offers[1].loot.num : 0;
        pictured = graphics->writeScreenshot(shot);
        light = graphics->nonBlackShare();
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(freeOpened);
    EXPECT_TRUE(paidAsked);
    EXPECT_TRUE(paidOpened);
    EXPECT_EQ(openedByHero, 2);
    EXPECT_EQ(couponsAfter, couponsBefore - 20 + couponsWon); // the price of box 2, and what it held
    EXPECT_TRUE(pictured);
    EXPECT_GT(light, 0.3);
}
