// Rooms of the other kinds in the real game window, by the mouse and the keys alone. "hero" has
// a room refused (a blank in its password, said under the form), then opens a mission for two,
// picks its second stage with the arrow, starts, finds the battle on that stage fought against
// the fort's crews (their bubbles, the waves on the bar), gives it up and leaves for the hall. In the arena zone he
// talks in the hall, opens a room, talks in it and leaves it.
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <chrono>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <lan/ZRKLan.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <thread>
#include <util/MissionRule.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "services/GameServices.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::clickOn;
using zrktest::shownPage;

namespace {

std::string textOf(CEGUI::Window* w) { return w ? w->getText().c_str() : std::string(); }

/// Whether the room's line of the owner's room is what the test looks for.
bool holds(CEGUI::Window* w, const std::string& part) { return textOf(w).find(part) != std::string::npos; }

} // namespace

using RoomKindsOnScreen = zrktest::GameOnScreen;

TEST_F(RoomKindsOnScreen, ARefusedRoomSaysWhyThenAMissionIsPlayedOnTheStagePickedAndLeft)
{
    zrktest::ManualClock clock;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        ZRKLobby& lobby = server.lobby();
        CEGUI::Window* hall = zrktest::enterFirstZoneByMouse(game, input);
        ASSERT_NE(hall, nullptr);

        // A password with a blank: refused, said under the form, the hall as it was.
        zrktest::retype(input, hall->getChild("NewPassword"), U"pass word");
        clickOn(input, hall->getChild("Mode9"));
        clickOn(input, hall->getChild("Seats2"));
        game.frames(2);
        clickOn(input, hall->getChild("Create"));
        const std::string refusal = ZRKLan::getMsg("error/password_format");
        ASSERT_TRUE(game.framesUntil([&] { return textOf(hall->getChild("CreateNote")) == refusal; }, 60))
            << textOf(hall->getChild("CreateNote"));
        EXPECT_EQ(game.stateName(), "playerhall");
        EXPECT_EQ(lobby.gameRoomOf("hero"), "");

        // Without it the mission opens: its owner seated, its map at the first stage. (A moment
        // later, as a player's hand: two clicks on one place within a third of a second are a
        // double click, which presses no button.)
        EXPECT_EQ(textOf(hall->getChild("NewPassword")), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        clickOn(input, hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120))
            << game.stateName() << "; the form says " << textOf(hall->getChild("CreateNote"));
        CEGUI::Window* room = shownPage("RoomPage");
        const std::string name = lobby.gameRoomOf("hero");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(lobby.findRoom(name)->params["mode"].asInt(), 9);
        CEGUI::Window* owner = room->getChild("Seats")->getChild("Label_red0");
        ASSERT_TRUE(game.framesUntil([&] { return holds(owner, "owner"); }, 60)) << textOf(owner);
        EXPECT_EQ(textOf(room->getChild("RoomTitle")), "My room");
        ASSERT_TRUE(game.framesUntil([&] { return holds(room->getChild("MapName"), "stage 1 of 3"); }, 60))
            << textOf(room->getChild("MapName"));
        EXPECT_FALSE(room->getChild("Start")->isDisabled());

        // The arrow picks the second stage.
        clickOn(input, room->getChild("MapNext"));
        ASSERT_TRUE(game.framesUntil([&] { return holds(room->getChild("MapName"), "stage 2 of 3"); }, 60))
            << textOf(room->getChild("MapName"));
        EXPECT_EQ(lobby.findRoom(name)->params["d_id"].asInt(), 2);

        // The server's player sits down and gets ready; the battle is the stage picked.
        ASSERT_TRUE(game.playUntil(
            [&] {
                return lobby.seated(name).size() == 2 && lobby.startRefusal(name, "hero").empty() &&
                       holds(room->getChild("Seats")->getChild("Label_blue0"), "ready");
            },
            400, 0.5));
        clickOn(input, room->getChild("Start"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "battle"; }, 120));
        auto battle = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        ASSERT_TRUE(battle);
        ASSERT_TRUE(game.playUntil([&] { return battle->getLand() && battle->getLand()->isFighting(); }, 600, 0.25));
        ZRKLand& land = *battle->getLand();
        EXPECT_EQ(land.getZRKDs().getIntVal("d_id", -1), 2);
        EXPECT_EQ(land.getZRKDs().getIntVal("ds_id", -1), 1); // the form's 0 is the first stage

        // A mission: the fort's crews against both players, in three waves. The first wave's
        // crews carry their bubbles and the bar tells the wave and the crews standing.
        EXPECT_EQ(land.getTacticId(), core::MissionRule::kTactic);
        std::vector<ZRKNpcSim*> first;
        for (const auto& n : land.getAllNpc())
            first.push_back(n.second);
        ASSERT_EQ(first.size(), 2u);
        const auto bubbled = [](ZRKNpcSim* npc) {
            return npc->getPlayerRef() && BattleRoom::getBubble(*npc->getPlayerRef()) != nullptr;
        };
        CEGUI::Window* bar = nullptr;
        ASSERT_TRUE(game.framesUntil(
            [&] {
                bar = shownPage("BattlePanel");
                return bar && holds(bar->getChild("Status"), "wave 1 of 3, crews 2") && bubbled(first[0]) &&
                       bubbled(first[1]);
            },
            20))
            << (bar ? textOf(bar->getChild("Status")) : std::string("no bar"));
        // The wave put down (as shells would), the next takes the field: their bubbles come,
        // the fallen crews' go, and the bar tells the second wave.
        for (ZRKNpcSim* npc : first)
            npc->setFlag(SIM_OUT);
        ASSERT_TRUE(game.playUntil([&] { return land.getCurrentScenario() == 1; }, 40, 0.25));
        ASSERT_TRUE(game.framesUntil(
            [&] {
                int standing = 0;
                bool all = true;
                for (const auto& n : land.getAllNpc())
                    if (!n.second->isDead()) {
                        ++standing;
                        all = all && bubbled(n.second);
                    }
                all = all && standing > 0;
                return all && holds(bar->getChild("Status"), "wave 2 of 3");
            },
            20))
            << textOf(bar->getChild("Status"));
        for (ZRKNpcSim* npc : first)
            EXPECT_FALSE(bubbled(npc)) << npc->getId();

        // Given up by Escape's question, back in the room; then out to the hall.
        bool asked = false;
        ASSERT_TRUE(game.playUntil(
            [&] {
                if (game.stateName() == "zrk_personalroom")
                    return true;
                core::Frame* frame = GameServices::frame();
                if (frame && frame->getMessageBoxWindow()) {
                    clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
                } else if (!asked && battle->getLand() && battle->getLand()->isFighting()) {
                    input.key(XK_Escape);
                    asked = true;
                }
                return false;
            },
            1200, 0.25))
            << game.stateName();
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120));
        clickOn(input, shownPage("RoomPage")->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120)) << game.stateName();
        EXPECT_EQ(lobby.gameRoomOf("hero"), "");
        EXPECT_EQ(lobby.findRoom(name), nullptr);
    });
    EXPECT_TRUE(ok);
}

TEST_F(RoomKindsOnScreen, InTheArenaHeroTalksInTheHallOpensARoomTalksThereAndLeavesIt)
{
    zrktest::ManualClock clock;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKLobby& lobby = session->getGameServer()->core().lobby();
        ASSERT_TRUE(game.framesUntil(zrktest::zonesListed, 300, "the zones on the area page"));
        CEGUI::Window* area = shownPage("AreaPage");
        auto* zones = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
        unsigned arena = zones->getRowCount();
        for (unsigned r = 0; r < zones->getRowCount(); ++r)
            if (std::string(zones->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str()) == "arena")
                arena = r;
        ASSERT_LT(arena, zones->getRowCount());
        zrktest::clickRow(input, zones, arena);
        game.frames(3);
        clickOn(input, area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        CEGUI::Window* hall = shownPage("RoomListPage");
        ASSERT_TRUE(game.framesUntil([&] { return holds(hall, "Rooms of arena"); }, 60)) << textOf(hall);
        ASSERT_NE(lobby.zoneOf("hero"), nullptr);
        EXPECT_EQ(lobby.zoneOf("hero")->name, "arena");

        // The hall's chat is the arena's: his line comes back in it.
        zrktest::retype(input, hall->getChild("ChatInput"), U"hi arena");
        input.key(XK_Return);
        const auto heard = [&](const std::string& line) {
            const std::vector<std::string> lines = zrktest::listLines(hall->getChild("Chat"));
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        EXPECT_TRUE(game.framesUntil([&] { return heard("Hero: hi arena"); }, 60));

        // A room of his own: its page has its name and title, its chat hears him.
        zrktest::retype(input, hall->getChild("NewTitle"), U"Arena duel");
        clickOn(input, hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120)) << game.stateName();
        CEGUI::Window* room = shownPage("RoomPage");
        const std::string name = lobby.gameRoomOf("hero");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(lobby.findRoom(name)->zone, "arena");
        ASSERT_TRUE(game.framesUntil([&] { return holds(room->getChild("RoomTitle"), "Arena duel"); }, 60))
            << textOf(room->getChild("RoomTitle"));
        zrktest::retype(input, room->getChild("ChatLine"), U"ready when you are");
        input.key(XK_Return);
        EXPECT_TRUE(
            game.framesUntil([&] { return textOf(room->getChild("ChatHeard")) == "Hero: ready when you are"; }, 60))
            << textOf(room->getChild("ChatHeard"));

        // Leave leaves that room: back in the arena's hall.
        clickOn(input, room->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120)) << game.stateName();
        game.frames(3);
        EXPECT_EQ(lobby.gameRoomOf("hero"), "");
        EXPECT_EQ(lobby.findRoom(name), nullptr);
        ASSERT_NE(lobby.zoneOf("hero"), nullptr);
        EXPECT_EQ(lobby.zoneOf("hero")->name, "arena");
        // The title bar names the zone beside the player's money.
        hall = shownPage("RoomListPage");
        EXPECT_TRUE(game.framesUntil([&] { return holds(hall, "Rooms of arena") && holds(hall, "Coins "); }, 60))
            << textOf(hall);
    });
    EXPECT_TRUE(ok);
}
