// The battle's loadout against the embedded server: the ammo bag's weapons lent for the
// battle, a staged duplicate's own arms, and the bags exactly as they were afterwards.
#include <gtest/gtest.h>
#include <data/ZRKInventory.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKWorld.h>
#include <data/ZRKUserRequest.h>
#include <list>
#include <land/DollConstants.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Logger.h>

#include "BattleServerFixture.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::bag;
using zrktest::BagContents;

namespace {
struct BattleLoadoutTest : zrktest::BattleServerFixture {};
} // namespace

TEST_F(BattleLoadoutTest, TheAmmoBagsSetIsLentForTheBattleAndTheBagsComeBackExactly)
{
    const BagContents main = bag(1), weapons = bag(2), props = bag(5);
    ASSERT_FALSE(main.empty());
    ASSERT_EQ(weapons.size(), 2u);
    ASSERT_EQ(props.size(), 2u);

    enterAndLoad("bag=1&set=ca2&prev=zrk_personalroom");
    // The bag's own set replaces the one named; each weapon carries its item's shells.
    ASSERT_EQ(room->getWeaponSet().size(), 6u);
    EXPECT_EQ(room->getWeaponSet()[1], BattleRoom::WeaponEntry("10002", 3));
    EXPECT_EQ(room->getWeaponSet()[0], BattleRoom::WeaponEntry("10001", 0));
    EXPECT_TRUE(room->areBagsPulled());
    EXPECT_TRUE(bag(1).empty());
    EXPECT_TRUE(bag(5).empty());
    const BagContents lent = bag(2);
    ASSERT_EQ(lent.size(), 6u);
    EXPECT_EQ(*lent.begin(), std::make_tuple(std::string("10001"), 21, std::string("__lid_BattleGiven0")));
    EXPECT_EQ(*lent.rbegin(), std::make_tuple(std::string("10006"), 26, std::string("__lid_BattleGiven5")));

    // The own doll fights with them; the bots keep the battle's arms.
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    ASSERT_NE(me, nullptr);
    const std::vector<WeaponState>& slots = me->getWeaponBag()->getSlots();
    EXPECT_EQ(slots[0].name, "10001");
    EXPECT_EQ(slots[1].name, "10002");
    EXPECT_EQ(slots[1].getCount(), 3);
    EXPECT_EQ(slots[5].name, "10006");
    EXPECT_TRUE(slots[6].empty());
    for (const auto& doll : room->getLand()->getAllDoll()) {
        if (doll.second != me) {
            EXPECT_EQ(doll.second->getWeaponBag()->getSlots()[0].name, "1");
        }
    }

    room->onExit();
    EXPECT_EQ(bag(1), main);
    EXPECT_EQ(bag(2), weapons);
    EXPECT_EQ(bag(5), props);
    EXPECT_EQ(ZRKUserRequest::getCa_id(), 1);
    room->onExit(); // a second teardown changes nothing
    EXPECT_EQ(bag(2), weapons);
}

// The server tells the inventory again in the middle of the battle (a box opened at half time):
// the bag proper it holds then is not doubled when the battle gives back what it took aside.
TEST_F(BattleLoadoutTest, BagsComeBackOnceWhenTheServerToldTheInventoryMidBattle)
{
    const BagContents main = bag(1), weapons = bag(2), props = bag(5);
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    ASSERT_NE(inventory, nullptr);
    std::list<core::XmlConfigHelper> told;
    ZRKUserRequest::getBagItems(inventory, 1, told);
    ASSERT_FALSE(told.empty());
    enterAndLoad("bag=1&set=ca2&prev=zrk_personalroom");
    ASSERT_TRUE(bag(1).empty());
    for (const core::XmlConfigHelper& item : told)
        inventory->addItem(item);
    room->onExit();
    EXPECT_EQ(bag(1), main);
    std::list<core::XmlConfigHelper> back;
    ZRKUserRequest::getBagItems(inventory, 1, back);
    EXPECT_EQ(back.size(), told.size()); // each item once
    EXPECT_EQ(bag(2), weapons);
    EXPECT_EQ(bag(5), props);
}

TEST_F(BattleLoadoutTest, AnOrdinaryBattleArmsTheFigureFromHisOwnBagsAndTouchesNothing)
{
    // Started from the room page: no ammo bag named. The figure takes the weapons of the current
    // ammo bag (hero's Cannon and Mortar, the Mortar flying as the battle's mortar) and the
    // props of his props bag with their stacks (three Repair Kits healing as a kit does, two
    // Field Dressings); the inventory stays as it is and the others keep the battle's arms.
    const BagContents weapons = bag(2), props = bag(5);
    enterAndLoad("prev=room");
    EXPECT_TRUE(room->getWeaponSet().empty());
    EXPECT_FALSE(room->areBagsPulled());
    EXPECT_EQ(bag(2), weapons);
    EXPECT_EQ(bag(5), props);
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    ASSERT_NE(me, nullptr);
    const std::vector<WeaponState>& slots = me->getWeaponBag()->getSlots();
    EXPECT_EQ(slots[0].name, "6001");
    EXPECT_EQ(slots[1].name, "6002");
    EXPECT_TRUE(slots[2].empty());
    EXPECT_EQ(slots[0].damage, 240);         // the middle of its 180 to 300
    EXPECT_FLOAT_EQ(slots[1].speed, 100.0f); // a mortar's flight, not the shop's number
    const std::vector<PropState>& own = me->getCurrentPropBag()->getSlots();
    ASSERT_EQ(own[0].id, "4001");
    EXPECT_EQ(own[0].count, 3);
    EXPECT_NE(own[0].effect & PROP_HEAL, 0);
    EXPECT_EQ(own[0].hp, 100);
    EXPECT_EQ(own[1].id, "5002");
    EXPECT_EQ(own[1].count, 2);
    for (const auto& doll : room->getLand()->getAllDoll())
        if (doll.second != me) {
            EXPECT_EQ(doll.second->getWeaponBag()->getSlots()[0].name, "1");
            EXPECT_EQ(doll.second->getCurrentPropBag()->getSlots()[0].id, "51");
        }
    room->onExit();
    EXPECT_EQ(bag(2), weapons);
    EXPECT_EQ(bag(5), props);
}

TEST_F(BattleLoadoutTest, AnAmmoBagWithoutAWeaponFightsWithTheBattlesOwnArms)
{
    // A rookie's bag holds no weapon: he still fights, with the cannon, mortar, rifle and blade.
    ZRKUserRequest::setCa_id(3);
    ASSERT_TRUE(bag(4).empty());
    enterAndLoad("prev=room");
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->getWeaponBag()->getSlots()[0].name, "1");
    EXPECT_EQ(me->getWeaponBag()->getSlots()[3].name, "4");
    EXPECT_EQ(me->getCurrentPropBag()->getSlots()[0].id, "4001"); // his props all the same
    room->onExit();
}

TEST_F(BattleLoadoutTest, AStagedDuplicateForcesFixedPlayAndLendsTheStagesOwnArms)
{
    Json::Value stage;
    stage["d_id"] = 2001;
    stage["ds_id"] = 1;
    enterAndLoad("bag=3&prev=zrk_personalroom", stage);
    EXPECT_TRUE(room->isSpecialDuplicate());
    EXPECT_EQ(room->getLand()->getFixPlay(), 1); // the combo state's reset comes first
    ASSERT_EQ(room->getWeaponSet().size(), 2u);
    EXPECT_EQ(room->getWeaponSet()[0].first, "10002");
    const BagContents lent = bag(4);
    ASSERT_EQ(lent.size(), 2u);
    EXPECT_EQ(*lent.begin(), std::make_tuple(std::string("10002"), 41, std::string("__lid_BattleGiven0")));
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), 4, items);
    EXPECT_EQ(items.front().getIntVal("shellNum", 0), 3);
    EXPECT_EQ(items.front().getIntVal("itemCd", 0), 2);
    EXPECT_EQ(items.front().getIntVal("shootRange", 0), 400);
    // The stage's props are items (a repair kit, a field dressing), lent under the local ids from 51.
    EXPECT_EQ(bag(5), (BagContents{{"4001", 51, "51"}, {"5002", 52, "52"}}));
    EXPECT_EQ(room->getLand()->getMyDoll()->getWeaponBag()->getSlots()[0].name, "10002");
    // The stage's shells: the lent weapon of counted shells can fire.
    EXPECT_EQ(room->getLand()->getMyDoll()->getWeaponBag()->getSlots()[0].getCount(), 3);
    EXPECT_TRUE(room->getLand()->getMyDoll()->isArmed()); // the weapon in hand
    EXPECT_NE(room->getLand()->getMyDoll()->getCurrentPropBag()->findItemByName("5002"), PropBag::kNotFound);
    room->onExit();
    EXPECT_TRUE(bag(4).empty());
    EXPECT_EQ(bag(5).size(), 2u);
    EXPECT_EQ(bag(5).count(std::make_tuple(std::string("4001"), 51, std::string("51"))), 0u);
}

TEST_F(BattleLoadoutTest, AStageWithoutUsableArmsKeepsTheBagsEmptyWithALogLine)
{
    yake::logging::logger::instance().startCapture();
    Json::Value stage;
    stage["d_id"] = 2001;
    stage["ds_id"] = 9;
    enterAndLoad("bag=1&prev=room", stage);
    EXPECT_GE(
        yake::logging::logger::instance().countCaptured("room", "stage 9 of duplicate 2001 has no usable \"ds_ai\""),
        1u);
    yake::logging::logger::instance().stopCapture();
    EXPECT_TRUE(bag(2).empty()); // the set of the bag is not used either
    EXPECT_TRUE(bag(5).empty());
    EXPECT_EQ(room->getWeaponSet().size(), 6u);
}

TEST_F(BattleLoadoutTest, LentWeaponsTakeTheFirstGapAndABagHoldsNineAtMost)
{
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    auto item = [](int slot, const std::string& lid) {
        core::XmlConfigHelper i;
        i.setIntVal("i_id", 6001);
        i.setIntVal("pci_slot", slot);
        i.setStringVal("lid", lid);
        return i;
    };
    // Bag 3 (slots 31 to 39) with 31, 32 and 34 taken: two count, the gap takes the weapon.
    inventory->addItem(item(31, "a"));
    inventory->addItem(item(32, "b"));
    inventory->addItem(item(34, "c"));
    BattleRoom battle;
    EXPECT_EQ(battle.addBattleWeapon("10001", 1, 0, -1, -1, -1), 2);
    EXPECT_EQ(bag(3).count(std::make_tuple(std::string("10001"), 33, std::string("__lid_BattleGiven2"))), 1u);
    for (int slot = 35; slot <= 39; ++slot)
        inventory->addItem(item(slot, "s" + std::to_string(slot)));
    EXPECT_EQ(battle.addBattleWeapon("10002", 1, 0, -1, -1, -1), 9);
    EXPECT_EQ(bag(3).size(), 9u); // nothing added to a full bag
    // Removing by local id keeps to the bag asked for; an empty id names nothing.
    EXPECT_EQ(inventory->removeItemByLID("a", 2), 0);
    EXPECT_EQ(inventory->removeItemByLID("", -1), 0);
    EXPECT_EQ(inventory->removeItemByLID("a", 3), 1);
}

TEST(BattleStageArms, AStagesTextLendsSixPropsAtMostAndMistypedValuesCountAsZero)
{
    std::vector<BattleRoom::StageWeapon> weapons;
    std::vector<std::string> props;
    ASSERT_TRUE(BattleRoom::readStageArms(
        R"({"weapon": [{"id": 10002, "cd": 2, "shellnum": 3, "range": 400}, {"id": "10003"}, 5],
            "prop": [{"id": 51}, {"id": 52}, {"id": 53}, {"id": 54}, {"id": 55}, {"id": 56}, {"id": 57}]})",
        weapons, props));
    ASSERT_EQ(weapons.size(), 2u);
    EXPECT_EQ(weapons[0].id, "10002");
    EXPECT_EQ(weapons[0].shellNum, 3);
    EXPECT_EQ(weapons[1].id, "0"); // an id as text is no id
    EXPECT_EQ(props, (std::vector<std::string>{"51", "52", "53", "54", "55", "56"}));
    EXPECT_FALSE(BattleRoom::readStageArms("not json", weapons, props));
    EXPECT_TRUE(weapons.empty());
    EXPECT_FALSE(BattleRoom::readStageArms("[1, 2]", weapons, props));
    EXPECT_FALSE(BattleRoom::readStageArms(std::string(40, '[') + std::string(40, ']'), weapons, props));
    EXPECT_FALSE(BattleRoom::readStageArms(std::string(20000, ' ') + "{}", weapons, props));
}

TEST_F(BattleLoadoutTest, RepairKitsBoughtBeforeTheBattleAreUsedInItAndTheWorldHoldsFewer)
{
    // Two more Repair Kits from the room page's props shop: five in the props bag.
    ZRKServerCore& server = session->getGameServer()->core();
    const auto kitsInWorld = [&server]() { return zrktest::heldInWorld(server, "hero", 5, 4001); };
    bool bought = false;
    ZRKUserRequest::shopPropsCheckout("[{s_expire:0,s_id:701,s_num:2}]",
                                      [&bought](bool error, const std::string&) { bought = !error; });
    frames(3);
    ASSERT_TRUE(bought);
    ASSERT_EQ(kitsInWorld(), 5);

    enterAndLoad("prev=room");
    ZRKLand* land = room->getLand();
    ZRKPlayerSim* me = land->getMyDoll();
    ASSERT_NE(me, nullptr);
    ASSERT_EQ(me->getCurrentPropBag()->getSlots()[0].count, 5);
    // Z on his turn: one kit used.
    EXPECT_TRUE(until([&] { return land->isFighting() && me->useProp(0); }, 2000, 0.05f, "hero's turn with a kit"));
    EXPECT_EQ(me->getCurrentPropBag()->getSlots()[0].count, 4);
    EXPECT_EQ(me->getPropsUsed().at("4001"), 1);
    // The bot goes out: the battle is hero's, and its end tells the server what he used.
    for (const auto& doll : land->getAllDoll())
        if (doll.second != me)
            doll.second->setFlag(SIM_OUT);
    EXPECT_TRUE(until([&] { return room->isResultReported(); }, 400, 0.05f, "the result told"));
    frames(4);
    EXPECT_EQ(kitsInWorld(), 4);
    EXPECT_EQ(zrktest::heldInClientBag(5, 4001), 4); // the client's bag heard it too

    // The report told again takes nothing more; a report from outside the battle nothing.
    zrktest::tellEndWithPropsUsed("battle_hero", "4001", 2);
    frames(3);
    EXPECT_EQ(kitsInWorld(), 4);
    room->onExit();
}
