// The player's road round the game in the real window, by the mouse and the keys alone: "hero"
// picks the plains, opens a room for two, the server's player fills it, he starts, plays the
// battle to its end by keys, opens a prize box and is back in his room with its buttons
// working; a second battle he gives up by Escape's question, back in the room again; he
// leaves for the hall, opens a room again (there he changes team, shuts an empty seat, turns
// the map and talks) and leaves it, joins a room of the server's players (there he gets ready)
// and leaves it, and quick joins one. At every step the server and the game agree on his room
// and zone. The battles are fought on a fixed seed, so each 1 v 1 takes a few turns; the test
// counts turns, never seconds. The sanitizer build plays the first battle's end back to the room.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKPrizeBoxes.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gui/IBattleOver.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <land/ZRKLand.h>
#include <land/DollConstants.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "services/GameServices.h"
#include "support/FireOnTurns.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::clickOn;
using zrktest::clickRow;
using zrktest::shownPage;

namespace {

#if defined(__SANITIZE_ADDRESS__)
const bool kWholeRoad = false;
#else
const bool kWholeRoad = true;
#endif

// The seed every battle of the road is fought on: hero and the server's player meet in a few turns.
const unsigned kSeed = 5;

/// Where the server and the game each have the player.
struct Where {
    std::string serverRoom, clientRoom, serverZone, clientZone, state;
    int roomState = -1;
    bool clientIn = false;
};

Where whereIs(zrktest::GameRun& game, ZRKSession& session)
{
    Where w;
    ZRKLobby& lobby = session.getGameServer()->core().lobby();
    w.serverRoom = lobby.gameRoomOf("hero");
    if (const ZRKLobby::Zone* z = lobby.zoneOf("hero"))
        w.serverZone = z->name;
    if (const ZRKLobby::Room* r = lobby.findRoom(w.serverRoom))
        w.roomState = r->state["state"].isInt() ? r->state["state"].asInt() : -1;
    w.clientRoom = session.getCurrentRoom();
    w.clientIn = !w.serverRoom.empty() && session.isIn(w.serverRoom);
    if (ZRKServer* server = getZRKServer())
        w.clientZone = server->getCurrentZone().getStringVal("name", "");
    w.state = game.stateName();
    return w;
}

std::string seatLine(CEGUI::Window* room, const char* label)
{
    return room->getChild("Seats")->getChild(label)->getText().c_str();
}

/// The page's title bar shows hero's level, experience and coins as the world holds them
/// (a battle's awards come back while the page is up: a few frames are given).
::testing::AssertionResult headerShowsWorld(zrktest::GameRun& game, ZRKServerCore& server, const char* pageName)
{
    std::string title, wanted;
    const bool same = game.framesUntil(
        [&] {
            CEGUI::Window* page = shownPage(pageName);
            const ZRKWorld::Player* hero = server.world().player("hero");
            if (!page || !hero)
                return false;
            title = page->getText().c_str();
            wanted = "Lv " + std::to_string(hero->lv) + "  Exp " + std::to_string(hero->exp) + "  ";
            const std::string coins = "Coins " + std::to_string(hero->money[0]) + " ";
            return title.find(wanted) != std::string::npos && title.find(coins) != std::string::npos;
        },
        60);
    if (same)
        return ::testing::AssertionSuccess();
    const ZRKWorld::Player* hero = server.world().player("hero");
    return ::testing::AssertionFailure() << pageName << " shows \"" << title << "\"; the world holds level "
                                         << (hero ? hero->lv : -1) << ", exp " << (hero ? hero->exp : -1) << ", coins "
                                         << (hero ? hero->money[0] : -1);
}

} // namespace

using RoadOnScreen = zrktest::GameOnScreen;

TEST_F(RoadOnScreen, HeroGoesRoundFromTheHallThroughTwoBattlesBackToTheHallAndIntoOtherRooms)
{
    zrktest::ManualClock clock;
    std::vector<std::string> failures;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        ZRKLobby& lobby = server.lobby();
        server.setBattleSeed(kSeed);
        auto run = [&](const std::function<bool()>& done, int frames, double step = 0.25) {
            return game.playUntil(done, frames, step);
        };

        // The area page: the first zone by the mouse.
        ASSERT_TRUE(game.framesUntil(zrktest::zonesListed, 300, "the zones on the area page"));
        CEGUI::Window* area = shownPage("AreaPage");
        clickRow(input, area->getChild("Zones"), 0);
        game.frames(3);
        clickOn(input, area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        CEGUI::Window* hall = shownPage("RoomListPage");
        const std::string zone = whereIs(game, *session).serverZone;
        ASSERT_FALSE(zone.empty());

        // A room for two (or another size), chosen on the create form.
        auto openRoom = [&](const char* seats = "Seats2") -> std::string {
            clickOn(input, hall->getChild(seats));
            game.frames(2);
            clickOn(input, hall->getChild("Create"));
            if (!game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120))
                return std::string();
            return lobby.gameRoomOf("hero");
        };
        const std::string name = openRoom();
        ASSERT_FALSE(name.empty()) << game.stateName();
        CEGUI::Window* room = shownPage("RoomPage");
        // The server's player sits down and gets ready.
        auto filledAndReady = [&] {
            return run(
                [&] {
                    return lobby.seated(name).size() == 2 && lobby.startRefusal(name, "hero").empty() &&
                           seatLine(room, "Label_blue0").find("ready") != std::string::npos;
                },
                400, 0.5);
        };
        ASSERT_TRUE(filledAndReady());

        // Start, and the battle by keys: on his turns hero raises the barrel and fires.
        auto battle = [&](bool giveUp, int& turns) -> bool {
            clickOn(input, room->getChild("Start"));
            if (!game.framesUntil([&] { return game.stateName() == "battle"; }, 120)) {
                ADD_FAILURE() << "Start led to " << game.stateName() << "; " << lobby.startRefusal(name, "hero");
                return false;
            }
            auto br = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
            if (!br || !run([&] { return br->getLand() && br->getLand()->isFighting(); }, 600)) {
                ADD_FAILURE() << "the battle did not begin";
                return false;
            }
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            turns = 0;
            zrktest::FireOnTurns firing;
            ZRKPlayerSim* lastActing = nullptr;
            bool asked = false;
            return game.framesUntil(
                [&] {
                    if (game.stateName() != "battle")
                        return true;
                    ZRKLand* land = br->getLand();
                    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
                    ZRKPlayerSim* acting = land ? land->getActingDoll() : nullptr;
                    if (acting && acting != lastActing)
                        ++turns;
                    lastActing = acting;
                    if (giveUp && turns >= 2 && acting != me && !asked) {
                        input.key(XK_Escape);
                        asked = true;
                        return false;
                    }
                    if (asked) {
                        core::Frame* frame = GameServices::frame();
                        if (frame && frame->getMessageBoxWindow())
                            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
                        return false;
                    }
                    firing.frame(input, me && acting == me);
                    if (land && land->getLoadState() >= LOAD_OVER)
                        return true;
                    return false;
                },
                3000);
        };
        int turns = 0;
        ASSERT_TRUE(battle(false, turns));
        EXPECT_GT(turns, 1);
        EXPECT_LE(turns, 40) << "the seed's fight is short";
        // The result, then the box screen: hero opens a box with the mouse.
        auto br = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        int boxIndex = -1;
        if (kWholeRoad && game.stateName() == "battle") {
            const bool boxes = run(
                [&] {
                    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                    CEGUI::Window* page = root ? root->getChildRecursive("OpenBoxPage") : nullptr;
                    return br->getBoxPanel() && br->getBoxPanel()->isShown() && page && page->getChildRecursive("Box0");
                },
                200);
            EXPECT_TRUE(boxes);
            if (boxes) {
                // The player takes his time over the boxes: the count-down runs at the screen's pace.
                core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 30);
                game.frames(3);
                CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
                // A box of hero's side, still closed: his free one.
                const ZRKPrizeBoxes::Battle* offers = server.prizeBoxes().find(name);
                boxIndex = offers ? ZRKPrizeBoxes::freeBoxOf(*offers, "hero") : -1;
                ASSERT_GE(boxIndex, 0) << "no free box for hero";
                clickOn(input,
                        root->getChildRecursive("OpenBoxPage")->getChildRecursive("Box" + std::to_string(boxIndex)));
                EXPECT_TRUE(game.framesUntil(
                    [&] {
                        ZRKPrizeBoxes::Battle* b = server.prizeBoxes().find(name);
                        return b && b->offers[static_cast<std::size_t>(boxIndex)].openedBy == "hero";
                    },
                    40));
                core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            }
        }
        // The battle closes: back in the room, on both sides.
        ASSERT_TRUE(run([&] { return game.stateName() == "zrk_personalroom" && shownPage("RoomPage"); }, 400))
            << game.stateName();
        game.frames(3);
        Where back = whereIs(game, *session);
        EXPECT_EQ(back.serverRoom, name);
        EXPECT_EQ(back.clientRoom, name);
        EXPECT_TRUE(back.clientIn);
        EXPECT_EQ(back.roomState, 1);
        EXPECT_EQ(back.serverZone, zone);
        EXPECT_EQ(back.clientZone, zone);
        room = shownPage("RoomPage");
        ASSERT_NE(room, nullptr);
        EXPECT_TRUE(headerShowsWorld(game, server, "RoomPage")) << "after the first battle";
        std::filesystem::create_directories(ZRK_SHOTS_DIR);
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/road-back-in-room.png");
        // The room's buttons work again: the server's player on blue0, picked by its
        // portrait, is put out by "Kick" (another comes in his place).
        const std::string bot = lobby.findRoom(name) ? lobby.findRoom(name)->seats[4] : std::string();
        clickOn(input, room->getChild("Seats")->getChild("Picture_blue0"));
        game.frames(2);
        clickOn(input, room->getChild("Kick"));
        EXPECT_TRUE(game.framesUntil([&] { return lobby.findRoom(name) && lobby.findRoom(name)->seats[4] != bot; }, 60))
            << "Kick after the battle";
        if (!kWholeRoad)
            return;

        // A second battle, given up midway by Escape's question: back in the room.
        ASSERT_TRUE(filledAndReady());
        int second = 0;
        ASSERT_TRUE(battle(true, second));
        ASSERT_TRUE(run([&] { return game.stateName() == "zrk_personalroom" && shownPage("RoomPage"); }, 200))
            << game.stateName();
        game.frames(3);
        back = whereIs(game, *session);
        EXPECT_EQ(back.serverRoom, name);
        EXPECT_EQ(back.clientRoom, name);
        EXPECT_EQ(back.roomState, 1) << "a battle no player's screen is in is over";
        room = shownPage("RoomPage");
        ASSERT_NE(room, nullptr);
        EXPECT_TRUE(headerShowsWorld(game, server, "RoomPage")) << "after the battle given up";

        // Leave: the hall, in the zone on both sides; the room he made is gone.
        clickOn(input, room->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120)) << game.stateName();
        game.frames(3);
        back = whereIs(game, *session);
        EXPECT_EQ(back.state, "playerhall");
        EXPECT_EQ(back.serverRoom, "");
        EXPECT_EQ(back.serverZone, zone);
        EXPECT_EQ(back.clientZone, zone);
        EXPECT_EQ(lobby.findRoom(name), nullptr);
        EXPECT_TRUE(headerShowsWorld(game, server, "RoomListPage")) << "in the hall after two battles";

        // Another room of his own, for four: as its owner he changes team, shuts an empty seat
        // picked by its cell, turns to the next map and says a line; then he leaves it.
        hall = shownPage("RoomListPage");
        const std::string again = openRoom("Seats4");
        EXPECT_FALSE(again.empty()) << "the hall opens rooms after a battle";
        if (!again.empty()) {
            room = shownPage("RoomPage");
            CEGUI::Window* seats = room->getChild("Seats");
            clickOn(input, room->getChild("Team"));
            EXPECT_TRUE(game.framesUntil([&] { return lobby.findRoom(again)->seats[4] == "hero"; }, 60)) << "Team";
            clickOn(input, seats->getChild("Label_red1"));
            game.frames(2);
            clickOn(input, room->getChild("Lock"));
            EXPECT_TRUE(game.framesUntil(
                [&] { return !lobby.findRoom(again)->open[1] && seatLine(room, "Label_red1") == "(shut)"; }, 60))
                << "Lock: " << seatLine(room, "Label_red1");
            EXPECT_TRUE(lobby.findRoom(again)->open[0]) << "Lock shut another seat than the one picked";
            clickOn(input, room->getChild("MapNext"));
            EXPECT_TRUE(game.framesUntil(
                [&] {
                    return lobby.findRoom(again)->params["place"].asString() == "2" &&
                           std::string(room->getChild("MapName")->getText().c_str()) == "Map: Red Canyon";
                },
                60))
                << "the map arrow: " << room->getChild("MapName")->getText().c_str();
            zrktest::retype(input, room->getChild("ChatLine"), U"gl hf");
            input.key(XK_Return);
            EXPECT_TRUE(game.framesUntil(
                [&] { return std::string(room->getChild("ChatHeard")->getText().c_str()) == "Hero: gl hf"; }, 60))
                << "the room's chat: " << room->getChild("ChatHeard")->getText().c_str();
            clickOn(input, room->getChild("Leave"));
            ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        }

        // A room of the server's players from the hall's list: joined and left.
        hall = shownPage("RoomListPage");
        auto* rooms = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Rooms"));
        int row = -1;
        std::string botRoom;
        // A row of the list that can only be one room: a waiting room of the server's
        // players, its title shared by no other room of the zone.
        auto scan = [&] {
            row = -1;
            for (unsigned r = 0; r < rooms->getRowCount() && r < 6; ++r) {
                const std::string title = rooms->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str();
                const ZRKLobby::Room* only = nullptr;
                int same = 0;
                for (const ZRKLobby::Room* candidate : lobby.roomsIn(zone))
                    if (candidate->params["title"].asString() == title) {
                        ++same;
                        only = candidate;
                    }
                if (same == 1 && lobby.quickJoinable(*only) && !only->members.empty()) {
                    row = static_cast<int>(r);
                    botRoom = only->name;
                    return true;
                }
            }
            return false;
        };
        run(scan, 400, 2.0);
        game.frames(3); // the list as it stands now
        ASSERT_TRUE(scan()) << "no room of the server's players to join";
        // The row under the pointer, clicked until the list shows it picked (a click may
        // meet the list being filled again).
        int pickedRow = -1;
        for (int attempt = 0; attempt < 4 && pickedRow != row; ++attempt) {
            game.frames(2);
            ASSERT_TRUE(scan());
            clickRow(input, rooms, static_cast<unsigned>(row));
            game.frames(2);
            CEGUI::ListboxItem* picked = rooms->getFirstSelectedItem();
            pickedRow = picked ? static_cast<int>(rooms->getItemRowIndex(picked)) : -1;
        }
        EXPECT_EQ(pickedRow, row) << "the pointer picked another row";
        clickOn(input, hall->getChild("Join"));
        // A room outside hero's level band asks first: he goes in.
        core::Frame* frame = GameServices::frame();
        if (game.framesUntil([&] { return frame->getMessageBoxWindow() != nullptr || shownPage("RoomPage"); }, 20) &&
            frame->getMessageBoxWindow())
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120))
            << game.stateName() << " " << botRoom << " " << (frame->getOpenMessageBox() ? "a box is up" : "");
        game.frames(3);
        back = whereIs(game, *session);
        EXPECT_FALSE(back.serverRoom.empty());
        EXPECT_EQ(back.clientRoom, back.serverRoom);
        // Not its owner: he gets ready.
        clickOn(input, shownPage("RoomPage")->getChild("Ready"));
        EXPECT_TRUE(game.framesUntil(
            [&] {
                const ZRKLobby::Room* in = lobby.findRoom(back.serverRoom);
                return in && in->battle.count("hero") && in->battle.at("hero")["ready"].asInt() == 1;
            },
            60))
            << "Ready";
        clickOn(input, shownPage("RoomPage")->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        game.frames(3);
        EXPECT_EQ(whereIs(game, *session).serverRoom, "");
        EXPECT_EQ(whereIs(game, *session).serverZone, zone);

        // Quick join: a room found for his level, entered by its row.
        hall = shownPage("RoomListPage");
        auto* found = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Found"));
        ASSERT_TRUE(run(
            [&] {
                clickOn(input, hall->getChild("QuickJoin"));
                game.frames(2);
                return found->getRowCount() > 0;
            },
            200, 2.0));
        clickRow(input, found, 0);
        if (game.framesUntil([&] { return frame->getMessageBoxWindow() != nullptr || shownPage("RoomPage"); }, 20) &&
            frame->getMessageBoxWindow())
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120)) << game.stateName();
        game.frames(3);
        back = whereIs(game, *session);
        EXPECT_FALSE(back.serverRoom.empty());
        EXPECT_EQ(back.clientRoom, back.serverRoom);
        EXPECT_EQ(back.serverZone, zone);
    });
    EXPECT_TRUE(ok);
}
