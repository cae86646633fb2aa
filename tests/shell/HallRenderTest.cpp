// The hall in the real game window: "hero" logs in by himself, chooses the plains on the area
// page with the mouse, and the hall shows its rooms, its players and the chat; the picture goes
// to the build's shots/hall.png (scripts/shots copies it into docs/).
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>
#include <yake/Time.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

using zrktest::ManualClock;

using HallOnScreen = zrktest::GameOnScreen;

TEST_F(HallOnScreen, HeroChoosesTheFirstAreaWithTheMouseAndSeesTheHall)
{
    ManualClock clock; // the server's players keep the game's time, which the test moves on
    std::size_t rooms = 0, lines = 0, players = 0;
    bool shot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil(zrktest::zonesListed, 300, "the zones on the area page"));
        CEGUI::Window* area = shownPage("AreaPage");
        auto* zones = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
        // The first row sits under the header: a click a little below the list's top.
        const CEGUI::Rectf outer = zones->getUnclippedOuterRect().get();
        const CEGUI::Rectf list = zones->getListRenderArea();
        input.click(static_cast<int>(outer.left() + list.left() + 20), static_cast<int>(outer.top() + list.top() + 8));
        game.frames(3);
        ASSERT_NE(zones->getFirstSelectedItem(), nullptr);
        clickOn(input, area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        CEGUI::Window* hall = shownPage("RoomListPage");
        CEGUI::Window* online = shownPage("OnlinePlayersPage");
        ASSERT_TRUE(hall && online);
        auto* roomList = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Rooms"));
        auto* chat = static_cast<CEGUI::Listbox*>(hall->getChild("Chat"));
        auto* playerList = static_cast<CEGUI::Listbox*>(online->getChild("Players"));
        // The server's players need a few minutes of its clock to open rooms and talk.
        game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                return roomList->getRowCount() >= 3 && chat->getItemCount() >= 2 && playerList->getItemCount() > 1;
            },
            1500);
        rooms = roomList->getRowCount();
        lines = chat->getItemCount();
        players = playerList->getItemCount();
        game.frames(5);
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/hall.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_GT(rooms, 0u);
    EXPECT_GT(lines, 0u);
    EXPECT_GT(players, 1u);
    EXPECT_TRUE(shot);
}
