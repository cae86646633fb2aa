// The box screen after a battle answers every click of the X server's own pointer: two boxes
// clicked at once open the first and ask the player to wait for it; the opened box, clicked,
// says what it held and asks no price; a priced box's question goes with the screen when the
// half time ends, and nothing is bought behind it.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKPrizeBoxes.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "services/GameServices.h"
#include "support/GameRun.h"
#include "PrizeBoxScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

CEGUI::Window* boxPage()
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    return root ? root->getChildRecursive("OpenBoxPage") : nullptr;
}

using zrktest::middleOf;
CEGUI::Window* boxButton(int index) { return zrktest::prizeBoxButton(index); }

/// What the box screen says above its boxes; empty without the screen.
std::string note()
{
    CEGUI::Window* page = boxPage();
    CEGUI::Window* line = page && page->isEffectiveVisible() ? page->getChildRecursive("Opening") : nullptr;
    return line ? line->getText().c_str() : std::string();
}

using PrizeBoxAnswers = zrktest::PrizeBoxesOnOwnX;

} // namespace

TEST_F(PrizeBoxAnswers, AClickWhileABoxOpensWaitsAnOpenedBoxSaysWhatItHeldAndThePriceGoesWithTheScreen)
{
    bool waited = false, askedWhileOpening = false, secondOpened = true, heldAsked = true, priceAsked = false;
    bool priceOutlived = true, paidOpened = true;
    std::string heldNote, expectedHeld, expectedEnd;
    std::vector<long long> moneyBefore, moneyAfter;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& world = session->getGameServer()->core();
        boost::shared_ptr<BattleRoom> room;
        zrktest::winToBoxScreen(game, *session, room);
        if (!room || HasFatalFailure())
            return;
        ZRKLand* land = room->getLand();
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 30);
        game.frames(3);
        const std::string me = land->getMyUID();
        ZRKPrizeBoxes::Battle* offers = world.prizeBoxes().find("battle_hero");
        ASSERT_TRUE(offers);
        const int freeIndex = ZRKPrizeBoxes::freeBoxOf(*offers, me);
        ASSERT_GE(freeIndex, 0);
        int paidIndex = -1;
        for (int i = 0; i < 4 && paidIndex < 0; ++i)
            if (i != freeIndex && offers->offers[static_cast<std::size_t>(i)].openedBy.empty())
                paidIndex = i;
        ASSERT_GE(paidIndex, 0);
        const ZRKBoxes::Award loot = offers->offers[static_cast<std::size_t>(freeIndex)].loot;
        auto opened = [&](int index) {
            ZRKPrizeBoxes::Battle* b = world.prizeBoxes().find("battle_hero");
            return b && b->offers[static_cast<std::size_t>(index)].openedBy == me;
        };
        auto money = [&] {
            const ZRKWorld::Player* p = world.world().player(me);
            return std::vector<long long>{p->money[0], p->money[1], p->money[2]};
        };
        core::Frame* frame = GameServices::frame();

        // His free box, and at once a priced one: the first opens, the second waits for it.
        int x = 0, y = 0, px = 0, py = 0;
        ASSERT_TRUE(middleOf(boxButton(freeIndex), x, y));
        ASSERT_TRUE(middleOf(boxButton(paidIndex), px, py));
        input.warpPointer(x, y);
        ASSERT_TRUE(input.clickAtPointer());
        input.warpPointer(px, py);
        ASSERT_TRUE(input.clickAtPointer());
        ASSERT_TRUE(game.framesUntil(
            [&] {
                waited = waited || note() == "Wait: the box you chose is being opened.";
                askedWhileOpening = askedWhileOpening || frame->getMessageBoxWindow() != nullptr;
                return opened(freeIndex);
            },
            40, "the free box opened"));
        game.frames(4);
        secondOpened = opened(paidIndex);

        // The pointer onto the opened box: it says what it held, and asks no price.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                CEGUI::Window* label = boxButton(freeIndex) ? boxButton(freeIndex)->getChild("Label") : nullptr;
                return label && std::string(label->getText().c_str()).find(": ") != std::string::npos;
            },
            40, "the opened box's prize on its label"));
        moneyBefore = money();
        ASSERT_TRUE(middleOf(boxButton(freeIndex), x, y));
        input.warpPointer(x, y);
        game.frames(3);
        ASSERT_TRUE(input.clickAtPointer());
        game.frames(3);
        heldNote = note();
        expectedHeld = "Box " + std::to_string(freeIndex + 1) + " held ";
        expectedEnd = " x" + std::to_string(loot.num) + ": you opened it.";
        heldAsked = frame->getMessageBoxWindow() != nullptr;

        // The priced box asks its price; the half time ends before the answer, and the
        // question goes with the screen.
        ASSERT_TRUE(middleOf(boxButton(paidIndex), px, py));
        input.warpPointer(px, py);
        game.frames(3);
        ASSERT_TRUE(input.clickAtPointer());
        priceAsked = game.framesUntil([&] { return frame->getMessageBoxWindow() != nullptr; }, 20);
        ASSERT_TRUE(priceAsked);
        const int question = frame->getOpenMessageBox()->id;
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.25);
                return !room->getBoxPanel() || !room->getBoxPanel()->isShown();
            },
            400, "the end of the half time"));
        // Looked at as the screen goes, before the game moves on to anything else.
        game.frames(2);
        for (const core::Frame::BoxRecord& b : frame->getMessageBoxes())
            if (b.id == question)
                priceOutlived = b.open;
        game.frames(2);
        paidOpened = opened(paidIndex);
        moneyAfter = money();
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(waited) << "the second click was not told to wait";
    EXPECT_FALSE(askedWhileOpening) << "a price was asked while the first box opened";
    EXPECT_FALSE(secondOpened);
    EXPECT_EQ(heldNote.rfind(expectedHeld, 0), 0u) << heldNote;
    EXPECT_NE(heldNote.find(expectedEnd), std::string::npos) << heldNote;
    EXPECT_FALSE(heldAsked) << "the opened box asked a price";
    EXPECT_TRUE(priceAsked);
    EXPECT_FALSE(priceOutlived) << "the price question stayed after the box screen";
    EXPECT_FALSE(paidOpened);
    EXPECT_EQ(moneyAfter, moneyBefore) << "nothing was bought behind the closed screen";
}
