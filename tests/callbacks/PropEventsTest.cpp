// The room's props: the props shop's list made once from the battle props of the ordinary sale,
// the props cart bought a piece a line, the strip of the props bag's ten slots, and replies that
// fail or come after the events are gone.
#include "ShopLoginFixture.h"

#include <data/ZRKRequestBroker.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>
#include <gui/ShopData.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "callbacks/PropCheckoutCallbackEvent.h"
#include "callbacks/PropLoadCallbackEvent.h"
#include "callbacks/PropShopLoadCallbackEvent.h"
#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct PropFixture : zrktest::ShopLoginFixture {
    PropShopLoadCallbackEvent shop{page, dispatcher};
    PropCheckoutCallbackEvent checkout{page, dispatcher};
    PropLoadCallbackEvent strip{page, dispatcher};

    PropFixture() { logInAsHero(); }
    std::vector<gui::BagData> bag()
    {
        const auto* list = value<std::vector<gui::BagData>>(strip.fillParams(), "bagList");
        return list ? *list : std::vector<gui::BagData>();
    }
};

} // namespace

TEST_F(PropFixture, ThePropsShopListsBattlePropsOfTheOrdinarySaleOnceAndKeepsTheList)
{
    act(shop);
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{103});
    const auto* list = value<std::vector<gui::ShopData>>(shop.fillParams(), "shoplist");
    ASSERT_NE(list, nullptr);
    std::vector<int> ids;
    for (const gui::ShopData& p : *list)
        ids.push_back(p.i_id);
    // Neither the banner (sub-class 25) nor the guild's tonic (sale type 1).
    EXPECT_EQ(ids, (std::vector<int>{4001, 5002}));
    EXPECT_EQ((*list)[0].i_name, "Repair Kit");
    EXPECT_EQ((*list)[0].prices.size(), 1u);
    EXPECT_EQ((*list)[0].prices[0].s_id, 701);
    // Another shop reply changes nothing: the list is the first one.
    Json::Value views;
    zrktest::parseJson(R"({"shop": [{"s_id": 1, "i_id": 5002, "si_sale_type": 0, "prices": []}]})", views);
    session->getGameData().applyViews(views);
    EXPECT_EQ(value<std::vector<gui::ShopData>>(shop.fillParams(), "shoplist")->size(), 2u);
}

TEST_F(PropFixture, TheCartBuysAPieceALineAndTheStripShowsTheTenSlots)
{
    setParam("roleid", 1001);
    act(strip);
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{105});
    std::vector<gui::BagData> slots = bag();
    ASSERT_EQ(slots.size(), 10u);
    EXPECT_EQ(slots[0].pci_slot, 51);
    EXPECT_EQ(slots[0].i_id, 4001);
    EXPECT_EQ(slots[0].pci_num, 3);
    EXPECT_EQ(slots[2].pci_slot, 53); // an empty slot
    EXPECT_EQ(slots[2].i_id, 0);
    EXPECT_EQ(slots[2].pci_buy_time, -1);
    EXPECT_EQ(slots[9].pci_slot, 60);

    control->clearRaised();
    setParam("prop", std::vector<gui::ShopData>{line(701, 0, 0, 0, 5), line(1001, 0, 0, 0, 9)});
    act(checkout);
    frames(3);
    EXPECT_EQ(sent("shopPropsCheckout"),
              std::vector<std::string>{"[{s_expire:0,s_id:701,s_num:1},{s_expire:0,s_id:1001,s_num:1}]\n"});
    EXPECT_EQ(control->raisedIds(), std::vector<int>{104});
    const auto* bought = value<std::vector<gui::BagData>>(checkout.fillParams(), "buyed");
    ASSERT_NE(bought, nullptr);
    ASSERT_EQ(bought->size(), 2u);
    EXPECT_EQ((*bought)[0].i_id, 4001);
    EXPECT_EQ((*bought)[0].pci_num, 4);
    // The strip, loaded again after the purchase, shows the bought props in their slots.
    act(strip);
    frames(3);
    slots = bag();
    EXPECT_EQ(slots[0].pci_num, 4);
    EXPECT_EQ(slots[1].i_id, 5002);
    EXPECT_EQ(slots[1].pci_num, 3);
}

TEST_F(PropFixture, CartsWithoutTheirOptionSendNothingAndARefusalShowsTheServersText)
{
    for (int chosen : {-1, 1}) {
        setParam("prop", std::vector<gui::ShopData>{line(701, 0, 0, 0, 1), line(1001, 0, 0, 0, 1, chosen)});
        act(checkout);
    }
    setParam("prop", std::string("not a cart"));
    act(checkout);
    frames(3);
    EXPECT_TRUE(sent("shopPropsCheckout").empty());
    setParam("prop", std::vector<gui::ShopData>{line(1101, 0, 0, 0, 1)}); // the banner is no prop of the rooms
    act(checkout);
    frames(3);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->text, text("shop/bad_cart"));
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(PropFixture, TheStripKeepsToSlotsFiftyOneToSixty)
{
    Json::Value views;
    zrktest::parseJson(R"({"inventory": {"time": 5, "pc_id": 1001, "items": [
        {"lid": 1, "i_id": 4001, "bag": 5, "pci_slot": 50}, {"lid": 2, "i_id": 4001, "bag": 5, "pci_slot": 51},
        {"lid": 3, "i_id": 5002, "bag": 5, "pci_slot": 60, "pci_num": 7}, {"lid": 4, "i_id": 4001, "bag": 5, "pci_slot": 61}]}})",
                       views);
    session->getGameData().applyViews(views);
    const std::vector<gui::BagData> slots = bag();
    ASSERT_EQ(slots.size(), 10u);
    EXPECT_EQ(slots.front().pci_slot, 51);
    EXPECT_EQ(slots.front().i_id, 4001);
    EXPECT_EQ(slots.back().pci_slot, 60);
    EXPECT_EQ(slots.back().pci_num, 7);
}

TEST_F(PropFixture, RepliesThatFailOrComeAfterTheEventsAreGoneRaiseNothing)
{
    session->getGameServer()->setMode(ZRKGameServer::Fail);
    setParam("roleid", 1001);
    act(shop);
    act(strip);
    frames(3);
    EXPECT_TRUE(control->raisedIds().empty());
    session->getGameServer()->setMode(ZRKGameServer::Answer);
    {
        PropShopLoadCallbackEvent goneShop(page, dispatcher);
        PropLoadCallbackEvent goneStrip(page, dispatcher);
        PropCheckoutCallbackEvent goneCheckout(page, dispatcher);
        act(goneShop);
        act(goneStrip);
        setParam("prop", std::vector<gui::ShopData>{line(701, 0, 0, 0, 1)});
        act(goneCheckout);
    }
    frames(4);
    EXPECT_TRUE(control->raisedIds().empty());
}
