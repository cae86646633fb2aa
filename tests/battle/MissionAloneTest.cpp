// A mission played alone, in the whole game run headless: "hero" picks the Training Fort's first
// mission on the hall's form and is in its battle without a room page; down in it he is offered
// the mission's revives at the mission's prices, which the world takes, and no sixth one is
// offered or sold.
#include <CEGUI/CEGUI.h>
#include <core/EventManager.h>
#include <data/ZRKMapLib.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <util/MissionRule.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/EvtDollHandler.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/WholeGame.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

using MissionAlone = zrktest::WholeGame;

std::string promptOf(EvtDollHandler& doll)
{
    CEGUI::Window* panel = doll.getRevivePanel();
    return panel && panel->isChild("prompt") ? panel->getChild("prompt")->getText().c_str() : std::string("(none)");
}

} // namespace

TEST_F(MissionAlone, FromTheFormStraightIntoTheMissionWhereTheRevivesAreTheMissionsAndTheWorldTakesTheirPrice)
{
    zrktest::ManualClock clock;
    EXPECT_TRUE(play(zrktest::loggedInRun("hero", true), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        zrktest::pick(hall, "Mode1003");
        zrktest::click(hall->getChild("Create"));
        // No room page on the way: the battle comes up.
        bool roomPage = false;
        ASSERT_TRUE(game.framesUntil(
            [&] {
                roomPage =
                    roomPage || zrktest::shownPage("RoomPage") != nullptr || game.stateName() == "zrk_personalroom";
                return game.stateName() == "battle";
            },
            200, "the mission's battle"));
        EXPECT_FALSE(roomPage);
        auto room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        ASSERT_TRUE(room);
        ASSERT_TRUE(game.playUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
        ZRKLand& land = *room->getLand();
        // The fort's first duplicate, its first stage, fought as a mission.
        const MapConfig fort = ZRKServerRequest::getServer()->getMapLib()->getMap(201);
        ASSERT_FALSE(fort.pve.empty());
        EXPECT_EQ(land.getZRKDs().getIntVal("d_id", -1), fort.pve[0]);
        EXPECT_EQ(land.getZRKDs().getIntVal("ds_id", -1), 1);
        EXPECT_EQ(land.getTacticId(), core::MissionRule::kTactic);
        const std::string name = room->getBattleRoomName();
        const ZRKLobby::Room* kept = server.lobby().findRoom(name);
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->params["place"].asString(), "201");

        // Down, five times: each offer is the mission's next price, and Y pays it to the world.
        ZRKPlayerSim* me = land.getMyDoll();
        ASSERT_NE(me, nullptr);
        EvtDollHandler& doll = *room->getDollHandler();
        ZRKWorld& world = server.world();
        const struct {
            int money; ///< 0 coins, 1 coupons
            long long price;
            const char* said;
        } kRevives[] = {{0, 50, "50 Coins"},
                        {0, 100, "100 Coins"},
                        {1, 10, "10 Coupons"},
                        {1, 10, "10 Coupons"},
                        {1, 10, "10 Coupons"}};
        core::Event down(6510), up(6510);
        int left = 5;
        for (const auto& revive : kRevives) {
            SCOPED_TRACE(std::string("the revive for ") + revive.said);
            me->setFlag(SIM_DOWN);
            doll.handle(down);
            ASSERT_NE(doll.getRevivePanel(), nullptr);
            EXPECT_NE(promptOf(doll).find(revive.said), std::string::npos) << promptOf(doll);
            EXPECT_NE(promptOf(doll).find("Revives left: " + std::to_string(left)), std::string::npos)
                << promptOf(doll);
            const long long before = world.player("hero")->money[revive.money];
            EXPECT_TRUE(doll.onReviveKey(EvtDollHandler::kReviveKey));
            EXPECT_FALSE(me->isFlagSet(SIM_DOWN));
            ASSERT_TRUE(game.framesUntil([&] { return world.player("hero")->money[revive.money] != before; }, 20,
                                         "the price paid"));
            EXPECT_EQ(world.player("hero")->money[revive.money], before - revive.price);
            doll.handle(up);
            --left;
        }
        // The sixth: not offered, and not sold to a client that asks all the same.
        me->setFlag(SIM_DOWN);
        doll.handle(down);
        EXPECT_EQ(doll.getRevivePanel(), nullptr);
        const long long coins = world.player("hero")->money[0], coupons = world.player("hero")->money[1];
        bool answered = false, refused = false;
        ZRKRequestBroker::call(
            "ZRKRoomRequest", "buyRevive",
            [&](bool error, const std::string&) {
                answered = true;
                refused = error;
            },
            name, 1, 50);
        ASSERT_TRUE(game.framesUntil([&] { return answered; }, 20, "the server's answer"));
        EXPECT_TRUE(refused);
        EXPECT_EQ(world.player("hero")->money[0], coins);
        EXPECT_EQ(world.player("hero")->money[1], coupons);
        me->resetFlag(SIM_DOWN);
        doll.handle(up);
    }));
}
