// The end of a battle with the GUI plug-in: the result screen's records, the half-time stages
// with their box panels and award slots, and leaving towards each return state.
#include <gtest/gtest.h>
#include <algorithm>
#include <gui/IBattlePanel.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiControl.h>
#include <lan/ZRKLan.h>
#include <yake/Logger.h>
#include <land/ZRKPlayerSim.h>

#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include "BattleServerFixture.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct BattleEndTest : zrktest::BattleServerFixture {
    gui::IGuiManager* gui()
    {
        gui::IGuiManager* manager = nullptr;
        return loader.createGuiManager(&manager) ? manager : nullptr;
    }
    bool raised(int id)
    {
        const std::vector<int> ids = gui()->getControl()->raisedIds();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }
    /// Gives the battle's seats awards as the server would ("award" of their battle values).
    void award(const std::string& player, int index, int type, int id, int num)
    {
        ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
        Json::Value battle = ZRKJson::fromView(state->findPlayer(player)->getBattleState());
        Json::Value a;
        a["bi_index"] = index;
        a["bi_type"] = type;
        a["bi_id"] = id;
        a["bi_num"] = num;
        battle["award"] = Json::Value(Json::arrayValue);
        battle["award"].append(a);
        state->applyPlayer(player, battle, 0);
    }
};

} // namespace

TEST_F(BattleEndTest, TheBattlePanelOpensAtTheFightAndTheEndRaisesTheResultEvents)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    auto* host = static_cast<gui::IBattlePanelHost*>(gui()->getPanelHost("Battle"));
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(room->getBattlePanel(), host);
    room->forwardGuiCall(-1, "hero", "Hero", "hello", false); // reaches the panel's lines
    gui()->getControl()->clearRaised();
    room->onBattleOver();
    EXPECT_TRUE(raised(17));
    EXPECT_TRUE(raised(103));
    EXPECT_TRUE(room->getLand()->hasPodium());
    EXPECT_TRUE(room->isTimerPending(3)); // "ds_next" 0: the box opening in ten seconds
}

TEST_F(BattleEndTest, HalfTimeStagesOpenTheirBoxPanelsWithSlotsPerSeat)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    award("hero", 2, 6, 4001, 1);
    frames(2);
    gui()->getControl()->clearRaised();
    room->onHalfTime(0);
    EXPECT_EQ(room->getBoxPanel(), gui()->getBoxOpenView());
    EXPECT_FLOAT_EQ(room->getBoxPanelEnd() - room->getBoxPanelStart(), 12.0f);
    const std::vector<int> handled = gui()->getControl()->handledIds();
    EXPECT_NE(std::find(handled.begin(), handled.end(), 97), handled.end());
    const std::vector<BattleRoom::AwardSlot>& slots = room->getAwardSlots();
    ASSERT_EQ(slots.size(), 8u);
    EXPECT_EQ(slots[0].playerId, "hero");
    EXPECT_TRUE(slots[0].me);
    EXPECT_EQ(slots[0].index, 1);
    EXPECT_EQ(slots[0].award.bi_id, 4001);
    EXPECT_EQ(slots[0].award.name, "Repair Kit");
    ASSERT_TRUE(slots[0].award.item);
    EXPECT_EQ(slots[0].award.item->i_id, 4001);
    EXPECT_TRUE(slots[1].playerId.empty()); // an empty seat
    EXPECT_EQ(slots[1].index, -1);
    EXPECT_EQ(slots[1].award.bi_type, 0);
    EXPECT_FALSE(slots[4].me);
    EXPECT_EQ(slots[4].index, -1); // a player without an opened box

    room->onHalfTime(1); // the stage between the fights: no box panel
    EXPECT_EQ(room->getBoxPanel(), nullptr);
    EXPECT_EQ(room->getBoxPanelStart(), -1.0f);
    room->onHalfTime(2);
    EXPECT_EQ(room->getBoxPanel(), gui()->getPveBoxOpenView());
    EXPECT_FLOAT_EQ(room->getBoxPanelEnd() - room->getBoxPanelStart(), 15.0f);
    room->onHalfTime(7); // no such stage: nothing further
    EXPECT_EQ(room->getHalfTimeStage(), 2);
}

// Two boxes opened by one player: a slot each, so each box keeps its label and the player's
// rows name both; the battle's own awards (no box) make none.
TEST_F(BattleEndTest, EachBoxOpenedKeepsASlotOfItsOwn)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
    Json::Value battle = ZRKJson::fromView(state->findPlayer("hero")->getBattleState());
    battle["award"] = Json::Value(Json::arrayValue);
    for (const int box : {4, 2}) { // the newest first, as the server tells it
        Json::Value a;
        a["bi_index"] = box;
        a["bi_type"] = 6;
        a["bi_id"] = 4001;
        a["bi_num"] = box;
        battle["award"].append(a);
    }
    Json::Value coins;
    coins["bi_type"] = 1;
    coins["bi_id"] = 0;
    coins["bi_num"] = 100;
    battle["award"].append(coins);
    state->applyPlayer("hero", battle, 0);
    frames(2);
    yake::logging::logger::instance().startCapture();
    room->onHalfTime(0);
    for (const yake::logging::LogRecord& line : yake::logging::logger::instance().captured())
        EXPECT_EQ(line.text.find("no screen named"), std::string::npos) << line.text; // the box screen is one
    yake::logging::logger::instance().stopCapture();
    std::vector<int> boxes;
    for (const BattleRoom::AwardSlot& slot : room->getAwardSlots())
        if (slot.playerId == "hero") {
            EXPECT_TRUE(slot.me);
            EXPECT_EQ(slot.award.bi_num, slot.index + 1);
            boxes.push_back(slot.index);
        }
    EXPECT_EQ(boxes, (std::vector<int>{1, 3}));
}

TEST_F(BattleEndTest, LeavingGoesBackByTheReturnStateAndTheArenaAttribute)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    session->setAttr("_arena", std::string("arena_7"));
    room->leaveRoom();
    EXPECT_FALSE(room->hasScene());
    EXPECT_FALSE(session->hasAttr("_arena")); // used once
    EXPECT_EQ(session->getLastTeleport(), "zrk_personalroom");
    EXPECT_EQ(ZRKUserRequest::getCa_id(), 1);
    frames(3); // back in the battle's room, which waits for its next battle
    EXPECT_EQ(session->getGameServer()->core().lobby().gameRoomOf("hero"), "battle_hero");
    EXPECT_EQ(session->getGameServer()->core().lobby().findRoom("battle_hero")->state["state"].asInt(), 1);

    enterAndLoad("prev=room");
    gui()->getControl()->clearRaised();
    room->leaveRoom();
    EXPECT_TRUE(raised(59)); // no backdrop to wait for: told at once
    EXPECT_EQ(session->getLastTeleport(), "room");
    frames(3);

    enterAndLoad("prev=playerhall");
    gui()->getControl()->clearRaised();
    room->leaveRoom();
    EXPECT_TRUE(raised(16));
    EXPECT_EQ(session->getLastTeleport(), "playerhall");
    const std::vector<std::string> pages = gui()->getControl()->shownPages();
    EXPECT_NE(std::find(pages.begin(), pages.end(), "bottombar"), pages.end());
}

TEST_F(BattleEndTest, AwardRecordsNameTheirKindAndItems)
{
    enterAndLoad("prev=room");
    const BattleRoom::AwardBoxItem coins = room->fillAwardRecord(0, 1, 40);
    EXPECT_EQ(coins.name, ZRKLan::getMsg("msg/award_zaobi"));
    EXPECT_EQ(coins.icon, "block/coin1");
    EXPECT_TRUE(coins.counted);
    const BattleRoom::AwardBoxItem item = room->fillAwardRecord(10001, 6, 1);
    EXPECT_EQ(item.name, "Field Cannon");
    EXPECT_EQ(item.icon, "");
    EXPECT_FALSE(item.counted);
    EXPECT_EQ(room->fillAwardRecord(0, 42, 1).name, ZRKLan::getMsg("msg/award_nothing"));
}
