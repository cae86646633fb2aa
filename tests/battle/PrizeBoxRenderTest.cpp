// The prize boxes after a battle in the game window: "hero" wins a seeded bot battle, the half
// time brings up the box screen, and he opens boxes as a player does: the X server's own pointer
// is moved onto a box (the game hears the motion from the server), it stays where it was put (no
// capture pulls it back), and the button goes down and up there. His free box opens and its prize
// is in the world; a priced one asks first, and once he confirms the world holds that prize too.
// Picture: prize-box.png.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKPrizeBoxes.h>
#include <server/ZRKWorld.h>
#include <cstdlib>
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
#include "support/WorldHoldings.h"
#include "PrizeBoxScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

using zrktest::held;
using zrktest::middleOf;
CEGUI::Window* boxButton(int index) { return zrktest::prizeBoxButton(index); }

} // namespace

// The pointer is the X server's own, one for every window on it: the game plays on a server of
// its own.
using PrizeBoxRender = zrktest::PrizeBoxesOnOwnX;

TEST_F(PrizeBoxRender, AfterABotBattleHeroOpensHisFreeBoxAndAPaidOneWithTheXPointer)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/prize-box.png";
    bool shown = false, pointerStays = false, freeOpened = false, paidAsked = false, paidOpened = false;
    bool pictured = false;
    long long freeBefore = -1, freeAfter = -1, freeWon = 0, paidBefore = -1, paidAfter = -1, paidWon = 0;
    long long priceBefore = -1, priceAfter = -1, price = 0;
    int freeIndex = -1, paidIndex = -1, pointerX = -1, pointerY = -1, boxX = -1, boxY = -1;
    double light = -1;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        // The bot is out: hero's side wins, and the half time's box screen comes up.
        boost::shared_ptr<BattleRoom> room;
        zrktest::winToBoxScreen(game, *session, room);
        if (!room || HasFatalFailure())
            return;
        ZRKLand* land = room->getLand();
        shown = true;
        const std::string me = land->getMyUID();
        ZRKPrizeBoxes::Battle* offers = server.prizeBoxes().find("battle_hero");
        ASSERT_TRUE(offers) << "no offers";
        auto opened = [&](int index) {
            ZRKPrizeBoxes::Battle* b = server.prizeBoxes().find("battle_hero");
            return b && b->offers[static_cast<std::size_t>(index)].openedBy == me;
        };
        // The player takes his time over the boxes: the count-down runs at the screen's pace.
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 30);
        game.frames(3);
        int x = 0, y = 0;
        // His side's free box: the pointer goes onto it, stays there, and the button goes down.
        freeIndex = ZRKPrizeBoxes::freeBoxOf(*offers, me);
        ASSERT_GE(freeIndex, 0) << "no free box for hero";
        const ZRKBoxes::Award freeLoot = offers->offers[static_cast<std::size_t>(freeIndex)].loot;
        freeWon = freeLoot.num;
        freeBefore = held(server, me, freeLoot);
        ASSERT_TRUE(middleOf(boxButton(freeIndex), boxX, boxY));
        input.warpPointer(boxX, boxY);
        game.frames(6);
        pointerStays =
            input.pointer(pointerX, pointerY) && std::abs(pointerX - boxX) <= 1 && std::abs(pointerY - boxY) <= 1;
        ASSERT_TRUE(pointerStays) << "the pointer was put at " << boxX << "," << boxY << " and stands at " << pointerX
                                  << "," << pointerY;
        freeOpened = input.clickAtPointer() && game.framesUntil([&] { return opened(freeIndex); }, 40);
        game.frames(4);
        freeAfter = held(server, me, freeLoot);

        // Another closed box of his side is priced now: the price is asked, and confirmed with
        // the box's own button, the pointer put on it.
        offers = server.prizeBoxes().find("battle_hero");
        ASSERT_TRUE(offers) << "the offers closed early; the battle is " << game.stateName();
        for (int i = 0; i < 4 && paidIndex < 0; ++i)
            if (i != freeIndex && offers->offers[static_cast<std::size_t>(i)].openedBy.empty())
                paidIndex = i;
        ASSERT_GE(paidIndex, 0);
        const ZRKBoxes::Award paidLoot = offers->offers[static_cast<std::size_t>(paidIndex)].loot;
        paidWon = paidLoot.num;
        const ZRKPrizeBoxes::Price asked = ZRKPrizeBoxes::priceFor(server.boxes(), *offers, me, paidIndex);
        ASSERT_GT(asked.kind, 0) << "box " << paidIndex << " is free for hero";
        price = asked.price;
        priceBefore = server.world().player(me)->money[asked.kind - 1];
        paidBefore = held(server, me, paidLoot);
        core::Frame* frame = GameServices::frame();
        ASSERT_TRUE(middleOf(boxButton(paidIndex), x, y));
        input.warpPointer(x, y);
        game.frames(4);
        paidAsked = input.clickAtPointer() && game.framesUntil([&] { return frame->getMessageBoxWindow(); }, 20);
        if (paidAsked && middleOf(frame->getMessageBoxWindow()->getChild("Button0"), x, y)) {
            input.warpPointer(x, y);
            game.frames(4);
            paidOpened = input.clickAtPointer() && game.framesUntil([&] { return opened(paidIndex); }, 40);
        }
        game.frames(6);
        priceAfter = server.world().player(me)->money[asked.kind - 1];
        paidAfter = held(server, me, paidLoot);
        if (paidLoot.type == asked.kind) {
            // The price and the prize are of one money.
            paidAfter += price;
            priceAfter -= paidWon;
        }
        pictured = graphics->writeScreenshot(shot);
        light = graphics->nonBlackShare();
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(pointerStays);
    EXPECT_TRUE(freeOpened) << "box " << freeIndex;
    EXPECT_EQ(freeAfter, freeBefore + freeWon) << "the world does not hold the free box's prize";
    EXPECT_TRUE(paidAsked);
    EXPECT_TRUE(paidOpened) << "box " << paidIndex;
    EXPECT_EQ(paidAfter, paidBefore + paidWon) << "the world does not hold the priced box's prize";
    EXPECT_EQ(priceAfter, priceBefore - price) << "the world did not take the box's price";
    EXPECT_TRUE(pictured);
    EXPECT_GT(light, 0.3);
}
