// Missions played in the game window by the mouse and the keys, on test worlds of their own
// (MissionWorld: one weak crew where hero's first shot lands, no further wave, two stages).
// Hero opens a mission room from the hall's form, turns the map to the "Test Yard", starts, and
// puts the crew down with Space; the bar tells the one wave and the crew falling; the
// half-time page says the first stage is won; the server rebuilds the battle on the second
// stage, which he wins too; the stage boxes come and he opens his own with the X server's
// pointer, and the world holds its prize. Then the form's missions played alone: the fort's
// first straight into its battle (down there, Y buys the mission's revive), and the Fort Raid
// (made the test's own) as a fixed play.
#include <CEGUI/CEGUI.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <chrono>
#include <filesystem>
#include <set>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKPrizeBoxes.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <util/MissionRule.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/EvtDollHandler.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "services/GameServices.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/MissionWorld.h"
#include "support/TestEnv.h"
#include "support/WorldHoldings.h"
#include "PrizeBoxScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::clickOn;
using zrktest::middleOf;
using zrktest::shownPage;

namespace {

std::string textOf(CEGUI::Window* w) { return w ? w->getText().c_str() : std::string(); }

bool holds(CEGUI::Window* w, const std::string& part) { return textOf(w).find(part) != std::string::npos; }

/// The battle bar's status line; null while the bar is not up.
CEGUI::Window* barStatus()
{
    CEGUI::Window* bar = shownPage("BattlePanel");
    return bar && bar->isChild("Status") ? bar->getChild("Status") : nullptr;
}

/// On an X server of its own (its pointer is the server's), from an installation whose server
/// files hold the test's world.
struct MissionRender : zrktest::PrizeBoxesOnOwnX {
    zrktest::InstallationCopy copy;
    zrktest::MissionWorld world;

    void SetUp() override
    {
        copy.ownServerFiles();
        ASSERT_TRUE(world.write(copy.program));
        zrktest::PrizeBoxesOnOwnX::SetUp();
    }

    /// Plays the battle on the game's clock and fires on each of hero's turns as a player does
    /// (Space down, and up a twentieth of a second later, at the pitch he starts with) until the
    /// crew is down; false when it still stands after three of his turns. (A press that comes
    /// before the figure may act is not kept: the next turn fires again.)
    bool putDown(zrktest::GameRun& game, BattleRoom& room, ZRKNpcSim& crew)
    {
        const auto mine = [&] {
            ZRKLand* land = room.getLand();
            return land && land->isFighting() && land->getMyDoll() && land->getActingDoll() == land->getMyDoll();
        };
        for (int turn = 0; turn < 3 && !crew.isDead(); ++turn) {
            if (!game.playUntil([&] { return crew.isDead() || mine(); }, 400, 0.25))
                return false;
            if (crew.isDead())
                break;
            input.keyEvent(XK_space, true);
            game.frames(1);
            yake::native::advanceTime(0.05);
            game.frames(1);
            input.keyEvent(XK_space, false);
            game.frames(1);
            game.playUntil([&] { return crew.isDead() || !mine(); }, 80, 0.25);
        }
        return game.playUntil([&] { return crew.isDead(); }, 40, 0.25); // the last shell's flight
    }
};

} // namespace

TEST_F(MissionRender, HeroPutsTheCrewDownOnBothStagesMeetsTheHalfTimeAndOpensHisStageBoxWithThePointer)
{
    zrktest::ManualClock clock;
    const auto began = std::chrono::steady_clock::now();
    const std::string shots = ZRK_SHOTS_DIR;
    std::filesystem::create_directories(shots);
    bool sawOneWave = false, sawCrewFall = false, bubbled = false;
    const bool ok = play(
        zrktest::loggedInRun("hero"),
        [&](zrktest::GameRun& game) {
            ZRKServerCore& server = session->getGameServer()->core();
            ZRKLobby& lobby = server.lobby();
            CEGUI::Window* hall = zrktest::enterFirstZoneByMouse(game, input);
            ASSERT_NE(hall, nullptr);

            // A mission room for two, turned from the Training Fort to the test's yard.
            clickOn(input, hall->getChild("Mode9"));
            clickOn(input, hall->getChild("Seats2"));
            game.frames(2);
            clickOn(input, hall->getChild("Create"));
            ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120))
                << "the form says " << textOf(hall->getChild("CreateNote"));
            CEGUI::Window* roomPage = shownPage("RoomPage");
            const std::string name = lobby.gameRoomOf("hero");
            ASSERT_FALSE(name.empty());
            ASSERT_TRUE(game.framesUntil([&] { return holds(roomPage->getChild("MapName"), "stage 1 of"); }, 60))
                << textOf(roomPage->getChild("MapName"));
            clickOn(input, roomPage->getChild("MapPrev"));
            ASSERT_TRUE(game.framesUntil([&] { return holds(roomPage->getChild("MapName"), "Test Yard"); }, 60))
                << textOf(roomPage->getChild("MapName"));
            EXPECT_EQ(lobby.findRoom(name)->params["place"].asString(), world.place);
            EXPECT_EQ(lobby.findRoom(name)->params["d_id"].asInt(), world.dungeon);

            // Started alone (the clock stands: nobody else has sat down), on a seed of the test's.
            server.random().seed(11);
            clickOn(input, roomPage->getChild("Start"));
            ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle"; }, 120, "the battle"))
                << "the server says \"" << lobby.startRefusal(name, "hero") << "\"; the box says \""
                << (GameServices::frame() && GameServices::frame()->getMessageBoxWindow()
                        ? textOf(GameServices::frame()->getMessageBoxWindow())
                        : std::string())
                << "\"";
            auto room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
            ASSERT_TRUE(room);

            for (int stage = 1; stage <= 2; ++stage) {
                SCOPED_TRACE("stage " + std::to_string(stage));
                ASSERT_TRUE(game.playUntil(
                    [&] {
                        ZRKLand* land = room->getLand();
                        return land && land->isFighting() && land->getZRKDs().getIntVal("ds_id", -1) == stage;
                    },
                    600, 0.25))
                    << "the stage's fight";
                ZRKLand& land = *room->getLand();
                EXPECT_EQ(land.getTacticId(), core::MissionRule::kTactic);
                // Nothing of the stage before stands over this one's fight.
                EXPECT_EQ(shownPage("BattleOverPage"), nullptr);
                EXPECT_EQ(shownPage("HalfTimePage"), nullptr);
                ASSERT_EQ(land.getAllNpc().size(), 1u);
                ZRKNpcSim* crew = land.getAllNpc().begin()->second;
                // The crew has its bubble, by its name; the bar tells the one wave and its crew.
                game.frames(2);
                {
                    // Looked at, not held: the bubble goes with the battle's end.
                    boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble =
                        crew->getPlayerRef() ? BattleRoom::getBubble(*crew->getPlayerRef())
                                             : boost::shared_ptr<BattleRoom::ZRKBubblePanel>();
                    CEGUI::Window* bubbleRoot = bubble ? bubble->getWindow() : nullptr;
                    bubbled =
                        bubbled || (bubbleRoot && bubbleRoot->isEffectiveVisible() && bubbleRoot->isChild("name") &&
                                    holds(bubbleRoot->getChild("name"), world.crewName));
                }
                ASSERT_TRUE(game.framesUntil([] { return holds(barStatus(), "wave 1 of 1, crews 1"); }, 20))
                    << textOf(barStatus());
                sawOneWave = true;
                if (stage == 1)
                    graphics->writeScreenshot(shots + "/mission-fight.png");

                // His shot at the pitch he starts with, let go at once: the crew falls.
                ASSERT_TRUE(putDown(game, *room, *crew)) << "the crew stands";
                sawCrewFall = sawCrewFall || game.framesUntil([] { return holds(barStatus(), "crews 0"); }, 8);

                if (stage == 1) {
                    // Won with a stage to come: the half-time page, then the server's next stage.
                    ASSERT_TRUE(game.playUntil([] { return shownPage("HalfTimePage") != nullptr; }, 200, 0.25))
                        << game.stateName();
                    CEGUI::Window* halfTime = shownPage("HalfTimePage");
                    EXPECT_FALSE(crew->getPlayerRef() && BattleRoom::getBubble(*crew->getPlayerRef()))
                        << "the crew's bubble stands over the half time";
                    EXPECT_EQ(textOf(halfTime->getChild("Won")), "Stage 1 of Test Drill is won!");
                    EXPECT_EQ(textOf(halfTime->getChild("Next")), "Next comes stage 2 of Test Drill.");
                    EXPECT_EQ(shownPage("BattleOverPage"), nullptr) << "the result stands behind the half time";
                    EXPECT_EQ(shownPage("StageBoxPage"), nullptr);
                    EXPECT_EQ(shownPage("OpenBoxPage"), nullptr);
                    graphics->writeScreenshot(shots + "/mission-half-time.png");
                }
            }

            // The last stage won: the stage boxes; his free box opened by the pointer.
            ASSERT_TRUE(game.playUntil(
                [] {
                    CEGUI::Window* boxes = shownPage("StageBoxPage");
                    return boxes && boxes->getChildRecursive("Box0");
                },
                200, 0.25))
                << game.stateName();
            EXPECT_EQ(shownPage("HalfTimePage"), nullptr);
            ZRKPrizeBoxes::Battle* offers = server.prizeBoxes().find(name);
            ASSERT_TRUE(offers);
            const std::string me = room->getLand()->getMyUID();
            const int index = ZRKPrizeBoxes::freeBoxOf(*offers, me);
            ASSERT_GE(index, 0);
            const ZRKBoxes::Award loot = offers->offers[static_cast<std::size_t>(index)].loot;
            const long long before = zrktest::held(server, me, loot);
            int x = 0, y = 0;
            ASSERT_TRUE(middleOf(shownPage("StageBoxPage")->getChildRecursive("Box" + std::to_string(index)), x, y));
            input.warpPointer(x, y);
            game.frames(4);
            ASSERT_TRUE(input.clickAtPointer());
            ASSERT_TRUE(game.framesUntil(
                [&] {
                    ZRKPrizeBoxes::Battle* b = server.prizeBoxes().find(name);
                    return b && b->offers[static_cast<std::size_t>(index)].openedBy == me;
                },
                40))
                << "his box stays shut";
            game.frames(4);
            EXPECT_EQ(zrktest::held(server, me, loot), before + loot.num);
            graphics->writeScreenshot(shots + "/mission-stage-boxes.png");
        },
        copy.program);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(sawOneWave);
    EXPECT_TRUE(sawCrewFall);
    EXPECT_TRUE(bubbled);
    std::cout << "the mission took "
              << std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began).count()
              << " s" << std::endl;
}

namespace {

/// The Fort Raid (place and fixed play 2001) made the test's own: one weak crew, two stages,
/// each lending its own weapon (see MissionWorld), not offered to public rooms.
struct MissionAloneRender : MissionRender {
    MissionAloneRender()
    {
        world.place = "2001";
        world.dungeon = 2001;
        world.visible = false;
    }
    /// The weapons in the own figure's hands and the ammo bag's items, as ids.
    static std::multiset<std::string> armed(ZRKLand& land)
    {
        std::multiset<std::string> ids;
        if (ZRKPlayerSim* me = land.getMyDoll())
            for (const WeaponState& w : me->getWeaponBag()->getSlots())
                if (!w.empty())
                    ids.insert(w.name);
        return ids;
    }
    /// The weapons a stage of the world's duplicate lends.
    std::multiset<std::string> lent(int stage) const
    {
        std::vector<BattleRoom::StageWeapon> weapons;
        std::vector<std::string> props;
        const Json::Value s = world.duplicateRecord()["stages"][stage - 1];
        BattleRoom::readStageArms(s["ds_ai"].asString(), weapons, props);
        std::multiset<std::string> ids;
        for (const BattleRoom::StageWeapon& w : weapons)
            ids.insert(w.id);
        return ids;
    }
};

/// The NPC dialog's window when it is up; null otherwise.
CEGUI::Window* npcDialog() { return shownPage("npcDlg"); }

} // namespace

TEST_F(MissionAloneRender, TheFormsMissionsAloneGoStraightIntoBattleAndFortRaidLendsEachStagesArmsWithoutARevive)
{
    zrktest::ManualClock clock;
    bool dialogShown = false, tipShown = false;
    std::string portrait, loadingPicture[3];
    const bool ok = play(
        zrktest::loggedInRun("hero"),
        [&](zrktest::GameRun& game) {
            ZRKServerCore& server = session->getGameServer()->core();
            CEGUI::Window* hall = zrktest::enterFirstZoneByMouse(game, input);
            ASSERT_NE(hall, nullptr);
            bool roomPage = false;
            const auto intoBattle = [&] {
                roomPage = roomPage || shownPage("RoomPage") != nullptr || game.stateName() == "zrk_personalroom";
                return game.stateName() == "battle";
            };

            // The fort's first mission alone: no room page, the battle on its first duplicate's
            // first stage. Given up by Escape's question, back in the hall.
            clickOn(input, hall->getChild("Mode1003"));
            game.frames(2);
            clickOn(input, hall->getChild("Create"));
            ASSERT_TRUE(game.framesUntil(intoBattle, 200, "the battle"));
            EXPECT_FALSE(roomPage);
            auto room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
            ASSERT_TRUE(room);
            ASSERT_TRUE(game.playUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400, 0.25));
            const Json::Value fortMap = server.lobby().findRoom(room->getBattleRoomName())->params;
            EXPECT_EQ(fortMap["place"].asString(), "201");
            EXPECT_EQ(room->getLand()->getZRKDs().getIntVal("d_id", -1), 1); // the fort's first PVE id
            EXPECT_EQ(room->getLand()->getZRKDs().getIntVal("ds_id", -1), 1);
            EXPECT_EQ(room->getLand()->getFixPlay(), 0);
            // Down in it: the mission's first revive is offered, and Y in the window buys it at
            // the price the panel says.
            {
                ZRKLand& land = *room->getLand();
                ZRKPlayerSim* me = land.getMyDoll();
                ASSERT_NE(me, nullptr);
                me->setFlag(SIM_DOWN);
                core::EventManager::getSingleton().post(core::EventPtr(new core::Event(6510)));
                ASSERT_TRUE(game.framesUntil([&] { return room->getDollHandler()->getRevivePanel() != nullptr; }, 20));
                CEGUI::Window* panel = room->getDollHandler()->getRevivePanel();
                EXPECT_TRUE(holds(panel->getChild("prompt"), "50 Coins")) << textOf(panel->getChild("prompt"));
                ZRKWorld& world = server.world();
                const long long coins = world.player("hero")->money[ZRKWorld::Coins];
                input.key(XK_y);
                ASSERT_TRUE(game.framesUntil([&] { return land.getMyReviveNum() == 1; }, 40)) << "not revived";
                EXPECT_FALSE(me->isFlagSet(SIM_DOWN));
                ASSERT_TRUE(game.framesUntil([&] { return world.player("hero")->money[ZRKWorld::Coins] != coins; }, 40,
                                             "the price paid"));
                EXPECT_EQ(coins - world.player("hero")->money[ZRKWorld::Coins], 50);
                core::EventManager::getSingleton().post(core::EventPtr(new core::Event(6510)));
                game.frames(3);
            }
            input.key(XK_Escape);
            ASSERT_TRUE(game.framesUntil(
                [] { return GameServices::frame() && GameServices::frame()->getMessageBoxWindow(); }, 20));
            clickOn(input, GameServices::frame()->getMessageBoxWindow()->getChild("Button0"));
            ASSERT_TRUE(game.playUntil([] { return shownPage("RoomListPage") != nullptr; }, 200, 0.25))
                << game.stateName();
            hall = shownPage("RoomListPage");
            EXPECT_EQ(server.lobby().gameRoomOf("hero"), "");

            // Fort Raid alone: a fixed play. Each stage's loading screen has its picture, its NPC
            // speaks with the first portrait, the growth road's tip comes, and the bag holds
            // exactly the stage's weapons.
            clickOn(input, hall->getChild("Mode2001"));
            game.frames(2);
            roomPage = false;
            clickOn(input, hall->getChild("Create"));
            ASSERT_TRUE(game.framesUntil(intoBattle, 200, "the raid's battle"));
            EXPECT_FALSE(roomPage);
            room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
            ASSERT_TRUE(room);
            for (int stage = 1; stage <= 2; ++stage) {
                SCOPED_TRACE("stage " + std::to_string(stage));
                // Small steps: the NPC's words stand a second before the fight.
                ASSERT_TRUE(game.playUntil(
                    [&] {
                        ZRKLand* land = room->getLand();
                        if (!land || land->getZRKDs().getIntVal("ds_id", -1) != stage)
                            return false;
                        if (room->getProgressPanel() && loadingPicture[stage].empty())
                            loadingPicture[stage] = room->getProgressPanel()->getPicture();
                        if (CEGUI::Window* dialog = npcDialog()) {
                            dialogShown = dialogShown || !textOf(dialog->getChild("txt")).empty();
                            portrait = dialog->getChild("portrait")->getProperty("Image").c_str();
                        }
                        return land->isFighting();
                    },
                    1200, 0.05))
                    << "the stage's fight";
                ZRKLand& land = *room->getLand();
                EXPECT_EQ(land.getFixPlay(), 1);
                EXPECT_EQ(armed(land), lent(stage));
                tipShown = tipShown || game.framesUntil(
                                           [] {
                                               CEGUI::Window* tip = shownPage("GrowthTip");
                                               return tip && holds(tip, "Growth road stage 1");
                                           },
                                           20);
                if (stage == 1) {
                    ASSERT_TRUE(putDown(game, *room, *land.getAllNpc().begin()->second)) << "the crew stands";
                }
            }
            // Down in a fixed play: no revive is offered.
            ZRKPlayerSim* me = room->getLand()->getMyDoll();
            me->setFlag(SIM_DOWN);
            core::EventManager::getSingleton().post(core::EventPtr(new core::Event(6510)));
            game.frames(3);
            EXPECT_EQ(room->getDollHandler()->getRevivePanel(), nullptr);
            EXPECT_EQ(shownPage("RevivePanel"), nullptr);
            me->resetFlag(SIM_DOWN);
        },
        copy.program);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(portrait, "npcDialog/FpHead1");
    EXPECT_TRUE(tipShown);
    EXPECT_EQ(loadingPicture[1], "bgscene.jpg");
    EXPECT_EQ(loadingPicture[2], "PG_Frame.jp2");
}
