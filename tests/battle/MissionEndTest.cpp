// The box screens after a battle, in the whole game run headless on the game's clock: a mission
// whose server answers the end three seconds late still brings the mission's stage boxes (never
// the players' eight), and a players' battle brings its box screen within about twelve seconds
// of its end, where hero opens his free box.
#include <CEGUI/CEGUI.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKPrizeBoxes.h>
#include <server/ZRKServerCore.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "support/BotBattle.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/WholeGame.h"
#include "support/WorldHoldings.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::shownPage;

namespace {

using BoxScreensAfterTheEnd = zrktest::WholeGame;

/// The box screen's page by its name with its first box; null while it is not up.
CEGUI::Window* boxScreen(const char* name)
{
    CEGUI::Window* page = shownPage(name);
    return page && page->getChildRecursive("Box0") ? page : nullptr;
}

} // namespace

TEST_F(BoxScreensAfterTheEnd, AMissionWhoseServerAnswersThreeSecondsLateStillBringsTheStageBoxes)
{
    zrktest::ManualClock clock;
    EXPECT_TRUE(play(zrktest::loggedInRun("hero", true), [&](zrktest::GameRun& game) {
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        zrktest::pick(hall, "Mode1003");
        zrktest::click(hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle"; }, 200, "the mission"));
        auto room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        ASSERT_TRUE(room);
        ASSERT_TRUE(game.playUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
        ZRKLand& land = *room->getLand();

        // Every wave put down (as shells would) while the server answers twelve frames, three
        // seconds, late.
        session->getGameServer()->setLatency(12);
        ASSERT_TRUE(game.playUntil(
            [&] {
                for (const auto& n : land.getAllNpc())
                    n.second->setFlag(SIM_OUT);
                return land.getLoadState() >= LOAD_RESULT;
            },
            200, 0.25))
            << "the mission is not won";
        const float resultAt = land.getTimeNow();
        ASSERT_TRUE(game.playUntil([&] { return land.getLoadState() >= LOAD_OVER; }, 100, 0.25));
        // The result stood until the answer came, and not as long as the mission's ten seconds.
        EXPECT_GE(land.getTimeNow() - resultAt, 2.5f);
        EXPECT_LT(land.getTimeNow() - resultAt, 9.0f);
        session->getGameServer()->setLatency(1);

        ASSERT_TRUE(game.playUntil([] { return boxScreen("StageBoxPage") || boxScreen("OpenBoxPage"); }, 200, 0.25))
            << game.stateName();
        EXPECT_NE(boxScreen("StageBoxPage"), nullptr);
        EXPECT_EQ(boxScreen("OpenBoxPage"), nullptr);
        EXPECT_EQ(room->getHalfTimeStage(), 2);
    }));
}

TEST_F(BoxScreensAfterTheEnd, APlayersBattleBringsItsBoxScreenWithinTwelveSecondsAndHeroOpensHisFreeBox)
{
    EXPECT_TRUE(play(zrktest::loggedInRun("hero", true), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        boost::shared_ptr<BattleRoom> room;
        zrktest::enterBotBattle(game, *session, 1, 5, room);
        if (!room)
            return;
        ASSERT_TRUE(game.playUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
        ZRKLand& land = *room->getLand();
        EXPECT_NE(land.getTacticId(), 9);
        // The bot is out: hero's side wins.
        for (const auto& doll : land.getAllDoll())
            if (doll.first != land.getMyUID())
                doll.second->setFlag(SIM_OUT);
        ASSERT_TRUE(game.playUntil([&] { return land.getLoadState() >= LOAD_RESULT; }, 100, 0.25));
        // Two seconds of the battle's time on the result, then the box screen ten seconds after
        // the end: about twelve in all.
        const float resultAt = land.getTimeNow();
        ASSERT_TRUE(game.playUntil([&] { return land.getLoadState() >= LOAD_OVER; }, 100, 0.25));
        EXPECT_LE(land.getTimeNow() - resultAt, 2.5f);
        const double overAt = yake::native::getTime();
        ASSERT_TRUE(game.playUntil([] { return boxScreen("OpenBoxPage") != nullptr; }, 80, 0.25)) << game.stateName();
        EXPECT_LE(yake::native::getTime() - overAt, 11.0); // ten seconds, and the frames that tell it
        EXPECT_EQ(boxScreen("StageBoxPage"), nullptr);

        // His free box, as its button takes the click.
        ZRKPrizeBoxes::Battle* offers = server.prizeBoxes().find("battle_hero");
        ASSERT_TRUE(offers);
        const std::string me = land.getMyUID();
        const int index = ZRKPrizeBoxes::freeBoxOf(*offers, me);
        ASSERT_GE(index, 0);
        const ZRKBoxes::Award loot = offers->offers[static_cast<std::size_t>(index)].loot;
        const long long before = zrktest::held(server, me, loot);
        zrktest::click(boxScreen("OpenBoxPage")->getChildRecursive("Box" + std::to_string(index)));
        ASSERT_TRUE(game.framesUntil(
            [&] {
                ZRKPrizeBoxes::Battle* b = server.prizeBoxes().find("battle_hero");
                return b && b->offers[static_cast<std::size_t>(index)].openedBy == me;
            },
            40))
            << "his box stays shut";
        game.frames(4);
        EXPECT_EQ(zrktest::held(server, me, loot), before + loot.num);
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
}
