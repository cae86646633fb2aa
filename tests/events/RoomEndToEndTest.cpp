// The whole game, headless: "hero" logs in, enters a zone's hall, opens a room with the create
// form, the server's own players fill it and get ready, he starts, every seat is in battle on
// the server and the game moves to its battle.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/KeyInput.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/BattleRoom.h"
#include "services/GameServices.h"
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <yake/Time.h>

#include "support/GameRun.h"
#include "support/GamePages.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

using namespace kavri3D::zrk;

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

std::string label(CEGUI::Window* room, const char* seat)
{
    return room->getChild("Seats")->getChild(seat)->getText().c_str();
}

} // namespace

using RoomEndToEnd = zrktest::WholeGame;

TEST_F(RoomEndToEnd, HeroOpensARoomTheBotsFillItAndHeStartsTheBattle)
{
    zrktest::ManualClock clock;
    std::string roomState, battleState, firstLabel, roomName;
    std::vector<std::string> seated, inBattle;
    int roomStateValue = -1;
    bool shut = false;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        // A room for two a side, with a password typed into the masked field.
        hall->getChild("NewTitle")->setText("Hero's game");
        zrktest::pick(hall, "Seats4");
        hall->getChild("NewPassword")->setText("abc123");
        zrktest::click(hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120)) << game.stateName();
        roomState = game.stateName();
        CEGUI::Window* room = zrktest::pageWindow(9);
        ASSERT_NE(room, nullptr);
        ASSERT_TRUE(game.framesUntil([&] { return label(room, "Label_red0").find("owner") != std::string::npos; }, 60));
        firstLabel = label(room, "Label_red0");
        ZRKServerCore& server = session->getGameServer()->core();
        roomName = server.lobby().gameRoomOf("hero");
        ASSERT_FALSE(roomName.empty());
        // The server's players come in one every few seconds and get ready a little later.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                const ZRKLobby::Room* r = server.lobby().findRoom(roomName);
                if (!r || server.lobby().seated(roomName).size() < 4)
                    return false;
                return server.lobby().startRefusal(roomName, "hero").empty() &&
                       label(room, "Label_blue1").find("ready") != std::string::npos;
            },
            600));
        seated = server.lobby().seated(roomName);
        zrktest::click(room->getChild("Start"));
        game.framesUntil([&] { return game.stateName() == "battle"; }, 120);
        battleState = game.stateName();
        if (const ZRKLobby::Room* r = server.lobby().findRoom(roomName)) {
            for (const std::string& p : server.lobby().seated(roomName))
                if (r->battle.count(p) && r->battle.at(p)["fight"].isInt() && r->battle.at(p)["fight"].asInt() == 1)
                    inBattle.push_back(p);
            roomStateValue = r->state["state"].isInt() ? r->state["state"].asInt() : -1;
            shut = server.lobby().enter("Anvil", roomName, "abc123") == ZRKLobby::NoAccess ||
                   server.lobby().gameRoomOf("Anvil") == roomName;
        }
    }));
    EXPECT_EQ(roomState, "zrk_personalroom");
    EXPECT_NE(firstLabel.find("owner"), std::string::npos) << firstLabel;
    EXPECT_EQ(seated.size(), 4u);
    EXPECT_EQ(battleState, "battle");
    EXPECT_EQ(inBattle, seated);
    EXPECT_TRUE(roomStateValue == 0 || roomStateValue == 2) << roomStateValue; // started, or every land loaded
    EXPECT_TRUE(shut);
}

TEST_F(RoomEndToEnd, HeroLeavesTheRoomHeOpenedItClosesAndTheHallComesBack)
{
    zrktest::ManualClock clock;
    std::string roomName, back;
    bool closed = false, hallShown = false;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        zrktest::click(hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120));
        ZRKServerCore& server = session->getGameServer()->core();
        roomName = server.lobby().gameRoomOf("hero");
        CEGUI::Window* room = zrktest::pageWindow(9);
        ASSERT_NE(room, nullptr);
        zrktest::click(room->getChild("Leave"));
        game.framesUntil([&] { return game.stateName() == "playerhall"; }, 120);
        back = game.stateName();
        game.frames(3);
        closed = !roomName.empty() && server.lobby().findRoom(roomName) == nullptr;
        hallShown = hall->isVisible() && !room->isVisible();
    }));
    EXPECT_EQ(back, "playerhall");
    EXPECT_TRUE(closed) << roomName;
    EXPECT_TRUE(hallShown);
}

namespace {

/// A seat picked on the room page, as the mouse's click on its portrait picks it.
void pickSeat(CEGUI::Window* room, const char* seat)
{
    CEGUI::Window* picture = room->getChild("Seats")->getChild(std::string("Picture_") + seat);
    CEGUI::MouseEventArgs args(picture);
    args.button = CEGUI::LeftButton;
    picture->fireEvent(CEGUI::Window::EventMouseClick, args, CEGUI::Window::EventNamespace);
}

} // namespace

TEST_F(RoomEndToEnd, AfterTheBattleAndAfterGivingOneUpHeroIsBackInHisRoomWithTheServerAgreeing)
{
    zrktest::ManualClock clock;
    std::string roomName, afterEnd, afterGiveUp, clientRoom, teamSeat;
    int stateAfterEnd = -1, stateAfterGiveUp = -1, turns = 0;
    bool clientIn = false, asked = false;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        ZRKLobby& lobby = server.lobby();
        server.setBattleSeed(5);
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        zrktest::pick(hall, "Seats2");
        zrktest::click(hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120));
        roomName = lobby.gameRoomOf("hero");
        CEGUI::Window* room = zrktest::pageWindow(9);
        ASSERT_NE(room, nullptr);
        auto battle = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        ASSERT_TRUE(battle);
        auto fight = [&](bool giveUp) {
            ASSERT_TRUE(game.playUntil(
                [&] { return lobby.seated(roomName).size() == 2 && lobby.startRefusal(roomName, "hero").empty(); }, 400,
                0.5));
            game.frames(2);
            zrktest::click(room->getChild("Start"));
            ASSERT_TRUE(game.playUntil([&] { return battle->getLand() && battle->getLand()->isFighting(); }, 600));
            kavri3D::core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
            int held = 0;
            ZRKPlayerSim* last = nullptr;
            ASSERT_TRUE(game.playUntil(
                [&] {
                    ZRKLand* land = battle->getLand();
                    kavri3D::core::KeyInput* keys = kavri3D::core::KeyInput::getSingletonPtr();
                    if (!land || !keys)
                        return game.stateName() == "zrk_personalroom";
                    ZRKPlayerSim* me = land->getMyDoll();
                    ZRKPlayerSim* acting = land->getActingDoll();
                    if (acting && acting != last)
                        ++turns;
                    last = acting;
                    kavri3D::core::Frame* frame = GameServices::frame();
                    if (giveUp && frame && frame->getOpenMessageBox()) {
                        asked = true;
                        frame->pressMessageBoxButton(0); // "leave"
                        return false;
                    }
                    if (giveUp && !asked && turns >= 2 && acting != me && land->isFighting()) {
                        // Escape, as the window's key reaches the GUI.
                        CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(CEGUI::Key::Escape);
                        CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyUp(CEGUI::Key::Escape);
                        return false;
                    }
                    if (me && acting == me) {
                        if (++held == 2)
                            keys->injectKeyDown(kavri3D::core::KeyInput::KC_SPACE);
                        else if (held == 6)
                            keys->injectKeyUp(kavri3D::core::KeyInput::KC_SPACE);
                    } else {
                        held = 0;
                    }
                    return game.stateName() == "zrk_personalroom";
                },
                4000))
                << game.stateName();
            game.frames(3);
        };
        fight(false);
        afterEnd = lobby.gameRoomOf("hero");
        stateAfterEnd = lobby.findRoom(roomName) ? lobby.findRoom(roomName)->state["state"].asInt() : -1;
        clientRoom = session->getCurrentRoom();
        clientIn = session->isIn(roomName);
        // The room's buttons answer again: the server's player on blue0 is put out (another comes).
        const std::string before = lobby.findRoom(roomName) ? lobby.findRoom(roomName)->seats[4] : std::string();
        pickSeat(room, "blue0");
        zrktest::click(room->getChild("Kick"));
        game.frames(4);
        teamSeat = lobby.findRoom(roomName) && lobby.findRoom(roomName)->seats[4] != before ? "kicked" : before;
        fight(true);
        afterGiveUp = lobby.gameRoomOf("hero");
        stateAfterGiveUp = lobby.findRoom(roomName) ? lobby.findRoom(roomName)->state["state"].asInt() : -1;
    }));
    EXPECT_FALSE(roomName.empty());
    EXPECT_EQ(afterEnd, roomName);
    EXPECT_EQ(stateAfterEnd, 1);
    EXPECT_EQ(clientRoom, roomName);
    EXPECT_TRUE(clientIn);
    EXPECT_EQ(teamSeat, "kicked");
    EXPECT_TRUE(asked);
    EXPECT_EQ(afterGiveUp, roomName);
    EXPECT_EQ(stateAfterGiveUp, 1);
    EXPECT_GT(turns, 2);
}

TEST_F(RoomEndToEnd, TheRoomPagesLockTeamKickReadyAndStartButtonsReachTheServer)
{
    zrktest::ManualClock clock;
    bool shut = false, opened = false, moved = false, movedBack = false, kicked = false, started = false, ready = false;
    std::string kickedBot;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        ZRKLobby& lobby = session->getGameServer()->core().lobby();
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        // Ready: hero as a guest in another player's room, joined from the hall's list.
        lobby.setOnline("guest1", true, false);
        ZRKLobby::RoomOffer offer;
        offer.title = "Guest's game";
        offer.seats = 4;
        offer.lv = static_cast<int>(session->getGameServer()->core().world().player("hero")->lv);
        const std::string guestRoom = lobby.openRoom("guest1", lobby.zoneOf("hero")->name, offer);
        ASSERT_FALSE(guestRoom.empty());
        auto* rooms = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Rooms"));
        int row = -1;
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                for (unsigned r = 0; r < rooms->getRowCount(); ++r)
                    if (std::string(rooms->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str()) ==
                        "Guest's game")
                        row = static_cast<int>(r);
                return row >= 0;
            },
            100));
        rooms->setItemSelectState(CEGUI::MCLGridRef(static_cast<unsigned>(row), 0), true);
        zrktest::click(hall->getChild("Join"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120));
        CEGUI::Window* room = zrktest::pageWindow(9);
        ASSERT_NE(room, nullptr);
        game.frames(3);
        zrktest::click(room->getChild("Ready"));
        ready = game.framesUntil(
            [&] {
                const ZRKLobby::Room* r = lobby.findRoom(guestRoom);
                return r && r->battle.count("hero") && r->battle.at("hero")["ready"] == 1;
            },
            20);
        zrktest::click(room->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "playerhall"; }, 120));
        game.frames(3);
        zrktest::pick(hall, "Seats4");
        zrktest::click(hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120));
        const std::string name = lobby.gameRoomOf("hero");
        game.frames(3);
        // Lock: the open, empty seat blue1 is shut, then opened again.
        pickSeat(room, "blue1");
        zrktest::click(room->getChild("Lock"));
        shut = game.framesUntil([&] { return !lobby.findRoom(name)->open[5]; }, 20);
        game.frames(2);
        zrktest::click(room->getChild("Lock"));
        opened = game.framesUntil([&] { return lobby.findRoom(name)->open[5]; }, 20);
        // Team: over to blue and back.
        zrktest::click(room->getChild("Team"));
        auto heroSeat = [&] {
            for (int s = 0; s < ZRKLobby::kSeats; ++s)
                if (lobby.findRoom(name)->seats[s] == "hero")
                    return s;
            return -1;
        };
        moved = game.framesUntil([&] { return heroSeat() >= 4; }, 20);
        game.frames(2);
        zrktest::click(room->getChild("Team"));
        movedBack = game.framesUntil([&] { return heroSeat() >= 0 && heroSeat() < 4; }, 20);
        // Kick: the server's player on blue0 is put out once he sat down.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                return !lobby.findRoom(name)->seats[4].empty();
            },
            400));
        game.frames(3);
        kickedBot = lobby.findRoom(name)->seats[4];
        pickSeat(room, "blue0");
        zrktest::click(room->getChild("Kick"));
        kicked = game.framesUntil([&] { return lobby.findRoom(name)->seats[4] != kickedBot; }, 20);
        // Start, once the room is full and ready again.
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                return lobby.seated(name).size() == 4 && lobby.startRefusal(name, "hero").empty();
            },
            600));
        game.frames(3);
        zrktest::click(room->getChild("Start"));
        started = game.framesUntil([&] { return game.stateName() == "battle"; }, 60);
    }));
    EXPECT_TRUE(ready);
    EXPECT_TRUE(shut);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(moved);
    EXPECT_TRUE(movedBack);
    EXPECT_TRUE(kicked) << kickedBot;
    EXPECT_TRUE(started);
}
