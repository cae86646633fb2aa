// The Quests and Stats tabs of the player page in the real game window: "hero" wins a battle
// against a bot, opens the Quests tab with the mouse and finds "First Shot" done; he picks it,
// picks the gloves and claims them (shots/quests.png): the quest is rewarded, the gloves lie in
// his bag and the level reached gives him three more stat points, which he spends on the Stats
// tab.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D::zrk;
using zrktest::clickOn;
using zrktest::shownPage;

namespace {

std::string cell(CEGUI::Window* list, unsigned row, unsigned column)
{
    auto* mcl = static_cast<CEGUI::MultiColumnList*>(list);
    if (row >= mcl->getRowCount())
        return std::string();
    CEGUI::ListboxItem* item = mcl->getItemAtGridReference(CEGUI::MCLGridRef(row, column));
    return item ? item->getText().c_str() : std::string();
}

long long questState(ZRKWorld& world, long long id)
{
    for (const ZRKWorld::Quest& q : world.questRows("hero"))
        if (q.id == id)
            return q.state;
    return -1;
}

} // namespace

using QuestsOnScreen = zrktest::GameOnScreen;

TEST_F(QuestsOnScreen, HeroWinsABattleThenClaimsFirstShotAndSpendsTheLevelsPoints)
{
    std::string before, after, info, objects, line, statsBefore, stats;
    long long stateAfter = -1, gloves = 0, points = -1, strength = -1, coins = -1;
    std::vector<std::string> unfinished; // rows done or rewarded whose progress falls short of the goal
    bool shot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ZRKServerCore& server = session->getGameServer()->core();
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300));

        // A battle against a bot, won: the server hears its end as the battle room tells it.
        const std::string room = server.startBotBattle("hero", 1, "1", 5);
        ASSERT_EQ(room, "battle_hero");
        game.frames(2);
        bool told = false;
        ZRKRequestBroker::call("ZRKRoomRequest", "reportLoad", ZRKReply(), room);
        game.frames(2);
        const int team =
            ZRKRoomRequest::getRoomState(room, false, false)->findPlayer("hero")->getBattleState().getIntVal("team", 0);
        ZRKRequestBroker::call(
            "ZRKRoomRequest", "reportBattleOver", [&](bool error, const std::string&) { told = !error; }, room, team);
        ASSERT_TRUE(game.framesUntil([&] { return told; }, 30));
        session->leave(room);
        game.frames(2);
        ASSERT_EQ(questState(server.world(), 1), ZRKWorld::QuestDone);

        CEGUI::Window* page = openPlayerPage(game, input);
        ASSERT_NE(page, nullptr);
        game.frames(3);
        clickOn(input, page->getChild("Tab_Quests"));
        CEGUI::Window* pane = page->getChild("Pane_Quests");
        CEGUI::Window* list = pane->getChild("QuestList");
        ASSERT_TRUE(
            game.framesUntil([&] { return pane->isEffectiveVisible() && cell(list, 0, 2) == "Done: claim it"; }, 60))
            << cell(list, 0, 0) << " / " << cell(list, 0, 2);
        before = cell(list, 0, 0) + " | " + cell(list, 0, 1) + " | " + cell(list, 0, 2);

        // The quest, then the gloves, as the mouse picks them.
        zrktest::clickRow(input, list, 0);
        game.frames(2);
        auto* offered = static_cast<CEGUI::Listbox*>(pane->getChild("Objects"));
        ASSERT_EQ(offered->getItemCount(), 2u);
        objects = std::string(offered->getListboxItemFromIndex(0)->getText().c_str()) + ", " +
                  offered->getListboxItemFromIndex(1)->getText().c_str();
        zrktest::clickLine(input, offered, 0);
        game.frames(2);
        info = pane->getChild("QuestInfo")->getText().c_str();
        game.frames(2);
        clickOn(input, pane->getChild("Claim"));
        ASSERT_TRUE(game.framesUntil([&] { return cell(list, 0, 2) == "Rewarded"; }, 60)) << cell(list, 0, 2);
        game.frames(8); // the level's effect and the bag refreshed
        after = cell(list, 0, 2);
        game.framesUntil(
            [&] {
                return std::string(page->getChild("Attributes")->getText().c_str())
                           .find("Coins " + std::to_string(server.world().player("hero")->money[ZRKWorld::Coins])) !=
                       std::string::npos;
            },
            60);
        line = page->getChild("Attributes")->getText().c_str();
        coins = server.world().player("hero")->money[ZRKWorld::Coins];
        for (unsigned r = 0; r < static_cast<CEGUI::MultiColumnList*>(list)->getRowCount(); ++r) {
            const std::string state = cell(list, r, 2), goal = cell(list, r, 1);
            const std::size_t colon = goal.find(": "), slash = goal.find('/');
            if ((state == "Rewarded" || state == "Done: claim it") && colon != std::string::npos &&
                slash != std::string::npos && goal.substr(colon + 2, slash - colon - 2) != goal.substr(slash + 1))
                unfinished.push_back(cell(list, r, 0) + " | " + goal + " | " + state);
        }
        stateAfter = questState(server.world(), 1);
        for (const ZRKWorld::Item& i : server.world().items("hero"))
            gloves += i.id == 3002 && i.slot == 77;
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/quests.png");

        // The level's points go onto strength on the Stats tab.
        clickOn(input, page->getChild("Tab_Stats"));
        CEGUI::Window* statsPane = page->getChild("Pane_Stats");
        ASSERT_TRUE(game.framesUntil([&] { return statsPane->isEffectiveVisible(); }, 20));
        statsBefore = statsPane->getChild("Points")->getText().c_str();
        zrktest::retype(input, statsPane->getChild("Add_str"), U"3");
        game.frames(2);
        clickOn(input, statsPane->getChild("Apply"));
        game.framesUntil([&] { return server.world().player("hero")->abilities[0] == 6; }, 60);
        game.frames(4);
        stats = statsPane->getChild("Points")->getText().c_str();
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/stats.png");
        points = server.world().player("hero")->points;
        strength = server.world().player("hero")->abilities[0];
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(before, "First Shot | Wins: 1/1 | Done: claim it");
    EXPECT_EQ(objects, "Sand Gloves, Desert Gloves");
    EXPECT_NE(info.find("200 coins, 700 exp"), std::string::npos) << info;
    EXPECT_EQ(after, "Rewarded");
    // The page heard of the level and the money (17).
    EXPECT_EQ(line.substr(0, 23), "Hero  Lv 10  Rank 5  Co") << line;
    EXPECT_EQ(statsBefore, "Free stat points: 8");
    EXPECT_EQ(stateAfter, ZRKWorld::QuestRewarded);
    // The header holds the coins the world holds after the reward, without the page reopened.
    EXPECT_NE(line.find("Coins " + std::to_string(coins) + " "), std::string::npos) << line << " / " << coins;
    EXPECT_EQ(unfinished, std::vector<std::string>{});
    EXPECT_EQ(gloves, 1);
    EXPECT_TRUE(shot);
    // Five points at the start and three with level 10, three of them spent.
    EXPECT_EQ(strength, 6);
    EXPECT_EQ(points, 5);
    EXPECT_EQ(stats, "Free stat points: 5");
}
