// The whole game, headless: "hero" (level 9) presses the hall's "Quick join" while the only
// open room is far above his level. The found list stays empty and the page says why; once a
// room of his level opens, the next quick join lists it and the words go.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <lan/ZRKLan.h>

#include "support/GameRun.h"
#include "support/GamePages.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

using namespace kavri3D::zrk;

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

} // namespace

using QuickJoinEndToEnd = zrktest::WholeGame;

TEST_F(QuickJoinEndToEnd, NoRoomForHisLevelSaysSoAndARoomOfHisLevelIsFound)
{
    zrktest::ManualClock clock;
    std::string expected, noteWhenNone, noteWhenFound, highRoom, ownLevelRoom;
    int rowsWhenNone = -1, rowsWhenFound = -1;
    std::vector<std::string> openRooms;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        CEGUI::Window* hall = zrktest::enterFirstZone(game);
        ASSERT_NE(hall, nullptr);
        expected = ZRKLan::getMsg("msg/quick_join_none");
        auto* found = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Found"));
        CEGUI::Window* note = hall->getChild("QuickJoinNote");
        ZRKLobby& lobby = session->getGameServer()->core().lobby();
        const std::string zone = "plains";
        ZRKLobby::RoomOffer offer;
        offer.title = "veterans";
        offer.lv = 25;
        lobby.setOnline("Anvil", true, false);
        highRoom = lobby.openRoom("Anvil", zone, offer);
        for (const ZRKLobby::Room* r : lobby.roomsIn(zone))
            if (lobby.quickJoinable(*r))
                openRooms.push_back(r->name);
        zrktest::click(hall->getChild("QuickJoin"));
        game.framesUntil([&] { return !note->getText().empty(); }, 60);
        rowsWhenNone = static_cast<int>(found->getRowCount());
        noteWhenNone = note->getText().c_str();

        offer.title = "juniors";
        offer.lv = 9;
        lobby.setOnline("Brisk", true, false);
        ownLevelRoom = lobby.openRoom("Brisk", zone, offer);
        zrktest::click(hall->getChild("QuickJoin"));
        game.framesUntil([&] { return found->getRowCount() > 0; }, 60);
        rowsWhenFound = static_cast<int>(found->getRowCount());
        noteWhenFound = note->getText().c_str();
    }));
    ASSERT_FALSE(highRoom.empty());
    EXPECT_EQ(openRooms, std::vector<std::string>{highRoom}); // the server had one room to offer, above his band
    EXPECT_NE(expected, "msg/quick_join_none");               // the key has a text of its own
    EXPECT_EQ(rowsWhenNone, 0);
    EXPECT_EQ(noteWhenNone, expected);
    ASSERT_FALSE(ownLevelRoom.empty());
    EXPECT_EQ(rowsWhenFound, 1);
    EXPECT_EQ(noteWhenFound, "");
}
