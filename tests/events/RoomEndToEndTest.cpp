// The whole game, headless: "hero" logs in, enters a zone's hall, opens a room with the create
// form, the server's own players fill it and get ready, he starts, every seat is in battle on
// the server and the game moves to its battle.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <data/ZRKGameServer.h>
#include <data/ZRKLobby.h>
#include <data/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <yake/Time.h>

#include "support/GameRun.h"
#include "support/GamePages.h"
#include "support/TestEnv.h"

using namespace kavri3D::zrk;

namespace {

const char* kHeroRun = "game.exe zrk://play?ln=hero&lp=hero123&ls=1 /LowIntegrity=1 /headless=1 /unpaced=1 /mutex=0";

std::string label(CEGUI::Window* room, const char* seat)
{
    return room->getChild("Seats")->getChild(seat)->getText().c_str();
}

} // namespace

TEST(RoomEndToEnd, HeroOpensARoomTheBotsFillItAndHeStartsTheBattle)
{
    zrktest::TempDir runtime, home;
    zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.path());
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", home.path());
    zrktest::ManualClock clock;
    std::string roomState, battleState, firstLabel, roomName;
    std::vector<std::string> seated, inBattle;
    int roomStateValue = -1;
    bool shut = false;
    EXPECT_TRUE(zrktest::GameRun::run(kHeroRun, [&](zrktest::GameRun& game) {
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ASSERT_NE(session, nullptr);
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        // A room for two a side, with a password typed into the masked field.
        hall->getChild("NewTitle")->setText("Hero's game");
        hall->getChild("NewSeats")->setText("4");
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

TEST(RoomEndToEnd, HeroLeavesTheRoomHeOpenedItClosesAndTheHallComesBack)
{
    zrktest::TempDir runtime, home;
    zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.path());
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", home.path());
    zrktest::ManualClock clock;
    std::string roomName, back;
    bool closed = false, hallShown = false;
    EXPECT_TRUE(zrktest::GameRun::run(kHeroRun, [&](zrktest::GameRun& game) {
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ASSERT_NE(session, nullptr);
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
