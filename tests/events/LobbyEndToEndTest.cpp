// The whole game, headless: "hero" logs in by himself, picks a zone on the area page with the
// mouse, sees its rooms, its players and a line of one of the server's players in the hall,
// and leaves back to the areas.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <core/ClientStateMachine.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <yake/Time.h>

#include "support/GameRun.h"
#include "support/GamePages.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

std::vector<std::string> column(CEGUI::MultiColumnList& list, unsigned col)
{
    std::vector<std::string> out;
    for (unsigned r = 0; r < list.getRowCount(); ++r)
        if (CEGUI::ListboxItem* item = list.getItemAtGridReference(CEGUI::MCLGridRef(r, col)))
            out.push_back(item->getText().c_str());
    return out;
}

std::vector<std::string> lines(CEGUI::Listbox& box)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < box.getItemCount(); ++i)
        out.push_back(box.getListboxItemFromIndex(i)->getText().c_str());
    return out;
}

} // namespace

using LobbyEndToEnd = zrktest::WholeGame;

TEST_F(LobbyEndToEnd, HeroEntersAZoneSeesRoomsPlayersAndALineAndLeaves)
{
    zrktest::ManualClock clock;
    std::vector<std::string> zones, rooms, players, chat;
    std::string hallState, backState;
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 300));
        CEGUI::Window* area = zrktest::pageWindow(0);
        ASSERT_NE(area, nullptr);
        auto* zoneList = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
        ASSERT_TRUE(game.framesUntil([&] { return zoneList->getRowCount() > 0; }, 60));
        EXPECT_TRUE(area->isVisible());
        zones = column(*zoneList, 0);
        // The first zone, "plains": select its row and press "Enter".
        zoneList->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
        zrktest::click(area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "playerhall"; }, 60));
        hallState = game.stateName();
        CEGUI::Window* hall = zrktest::pageWindow(8);
        CEGUI::Window* online = zrktest::pageWindow(4);
        ASSERT_TRUE(hall && online);
        auto* roomList = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Rooms"));
        auto* chatBox = static_cast<CEGUI::Listbox*>(hall->getChild("Chat"));
        auto* playerBox = static_cast<CEGUI::Listbox*>(online->getChild("Players"));
        // A few minutes of the hall: the bots open rooms and talk.
        game.framesUntil(
            [&] {
                yake::native::advanceTime(1.0);
                return roomList->getRowCount() > 0 && chatBox->getItemCount() > 0 && playerBox->getItemCount() > 1;
            },
            600);
        EXPECT_TRUE(hall->isVisible());
        EXPECT_TRUE(online->isVisible());
        rooms = column(*roomList, 0);
        chat = lines(*chatBox);
        players = lines(*playerBox);
        zrktest::click(hall->getChild("Leave"));
        game.framesUntil([&] { return game.stateName() == "room"; }, 60);
        backState = game.stateName();
        game.frames(2);
        EXPECT_FALSE(hall->isVisible());
        EXPECT_TRUE(area->isVisible());
    }));
    ASSERT_FALSE(zones.empty());
    EXPECT_EQ(zones.front(), "plains");
    EXPECT_EQ(hallState, "playerhall");
    EXPECT_FALSE(rooms.empty());
    ASSERT_FALSE(chat.empty());
    EXPECT_NE(chat.front().find(": "), std::string::npos) << chat.front(); // "nickname: text"
    EXPECT_EQ(chat.front().find('{'), std::string::npos) << chat.front();
    EXPECT_GT(players.size(), 1u);
    EXPECT_EQ(backState, "room");
}
