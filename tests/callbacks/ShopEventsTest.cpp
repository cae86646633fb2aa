// The shop's events against the embedded server's shop: the members' price rule, the price card
// of an item on two entries, the try-on of the preview character, the checkout's question, its
// request text and its cost box for members and others, the renewal, and the refusals that send
// nothing.
#include "ShopLoginFixture.h"
#include "support/TestEnv.h"

#include <core/DialogBoxResult.h>
#include <data/SpConfig.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKUserRequest.h>
#include <gui/ShopData.h>
#include <lan/ZRKLan.h>

#include "callbacks/ArmStrongLoadCallbackEvent.h"
#include "callbacks/BusinessLoadCallbackEvent.h"
#include "callbacks/ShopCheckoutCallbackEvent.h"
#include "callbacks/ShopItemCallbackEvent.h"
#include "callbacks/ShopPricesCallbackEvent.h"
#include "callbacks/ShopPricing.h"
#include "callbacks/ShopRenewalCallbackEvent.h"
#include "callbacks/ShopTryOnCallbackEvent.h"
#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct ShopFixture : zrktest::ShopLoginFixture {
    ShopPricesCallbackEvent prices{page, dispatcher};
    ShopTryOnCallbackEvent tryOn{page, dispatcher};
    ShopCheckoutCallbackEvent checkout{page, dispatcher};
    ShopRenewalCallbackEvent renewal{page, dispatcher};

    ShopFixture() { setMembers(false); }
    /// Members pay less, on the client and the server alike.
    void setMembers(bool on, const std::string& factor = "0.8")
    {
        SpConfig::getConfig().setBoolVal("platform_bluedrill", on);
        ZRKLan::getConfig().setStringVal("auction/bluebrill_Dis", factor);
        if (session)
            session->getGameServer()->core().shop().setMemberPricing(on, 0.8f);
    }
    long long money(const char* kind) { return ZRKUserRequest::getPc_id().getIntVal(kind, -1); }
};

} // namespace

TEST_F(ShopFixture, MembersPayTheSinglePrecisionPriceOnlyWhileThePlatformHasMembers)
{
    const std::pair<int, int> table[] = {{0, 0}, {1, 1}, {5, 4}, {99, 80}, {100, 80}, {101, 81}, {1001, 801}};
    for (const auto& row : table)
        EXPECT_EQ(blueDrillPrice(row.first), row.second) << row.first;
    EXPECT_EQ(discountPrice(250, true), 250); // the platform has no members
    setMembers(true);
    EXPECT_TRUE(isBlueDrillEnabled());
    EXPECT_EQ(discountPrice(250, true), 200);
    EXPECT_EQ(discountPrice(250, false), 250);
    for (const char* bad : {"x", "0", "-1", "1.5", ""}) {
        setMembers(true, bad);
        EXPECT_EQ(discountPrice(100, true), 80) << bad;
    }
    setMembers(true, "0.5");
    EXPECT_EQ(discountPrice(101, true), 51);
}

TEST_F(ShopFixture, ThePriceCardMergesTheEntriesOfAnItemAndAnUnlistedOneHasNoOptions)
{
    logInAsHero();
    setParam("i_id", 3102);
    act(prices);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 78), 1u);
    const auto* card = value<gui::ShopData>(prices.fillParams(), "prices");
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->prices.size(), 3u);
    EXPECT_EQ(card->s_id, 3); // the head of the second entry
    EXPECT_EQ(card->si_sales_count, 4);
    EXPECT_EQ(card->prices[2].s_buy_type, 3);
    EXPECT_EQ(card->i_name, "Scout Coat");
    EXPECT_EQ(card->ic_id, 3);
    setParam("i_id", 4242);
    act(prices);
    frames(3);
    const auto* none = value<gui::ShopData>(prices.fillParams(), "prices");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->s_id, 4242);
    EXPECT_EQ(none->i_id, 4242);
    EXPECT_TRUE(none->prices.empty());
    // A failed load is logged on its channel and raises nothing.
    control->clearRaised();
    session->getGameServer()->setModeFor("queryShop", ZRKGameServer::Fail);
    act(prices);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 78), 0u);
    EXPECT_EQ(log.countCaptured("cb", "ShopPricesCallbackEvent::handleShop encounter the server is busy"), 1u);
}

TEST_F(ShopFixture, TryingOnDressesThePreviewInTheItemsAndTheLooksIdleActions)
{
    logInAsHero();
    ZRKRolePtr view = RoleManager::instance().createRole("showview", nullptr);
    setParam("iids", std::map<std::string, std::string>{
                         {"coat", "3001"}, {"suite", "2101"}, {"hand", "x9"}, {"back", "99999999999"}});
    setParam("armlock", false);
    act(tryOn);
    EXPECT_EQ(view->getSlotModels().at("coat"), "boy_coat_02");
    EXPECT_EQ(view->getSlotModels().at("suite"), "boy_suite_01");
    EXPECT_EQ(view->getSlotModels().at("looks"), "suite01_sf");
    EXPECT_FALSE(view->getSlotModels().count("hand"));
    EXPECT_EQ(view->getIdleActions(), (std::vector<std::string>{"boy_walk", "boy_wave", "boy_stretch"})); // 1 to 3
    // A suite without looks sets none; a weapon held: its pose, which the library has.
    setParam("iids", std::map<std::string, std::string>{{"suite", "3001"}});
    setParam("armlock", true);
    setParam("armiid", 6001);
    act(tryOn);
    EXPECT_FALSE(view->getSlotModels().count("looks"));
    // Missing or mistyped values change nothing.
    setParam("armiid", std::string("6001"));
    setParam("iids", std::map<std::string, std::string>{{"coat", "3102"}});
    act(tryOn);
    EXPECT_EQ(view->getSlotModels().count("coat"), 0u);
    EXPECT_EQ(log.countCaptured("ShopTryOnCallbackEvent", "armiid ParamNode type error"), 1u);
}

TEST_F(ShopFixture, TheCheckoutAsksWithTheFiguresSendsTheCartAndShowsWhatItCost)
{
    logInAsHero();
    setMembers(true);
    // The cart of the example: two lines of coins and one of medals.
    setParam("carlist",
             std::deque<gui::ShopData>{line(1, 100, 1, 30, 1), line(2, 100, 1, 0, 2), line(3, 101, 3, 0, 1)});
    act(checkout);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->text, "Pay 300 coins, 0 coupons and 101 medals (members 81)?");
    frame.pressMessageBoxButton(1);
    frames(2);
    EXPECT_TRUE(sent("shopCheckout").empty()); // the second button buys nothing
    // A real cart of the shop: a jacket for 30 days and the wings, which members pay 4 medals for.
    setParam("carlist", std::deque<gui::ShopData>{line(101, 300, 1, 30, 1), line(501, 5, 3, 30, 1)});
    act(checkout);
    // A second cart while the box is open replaces the question; the answer buys what it showed.
    setParam("carlist", std::deque<gui::ShopData>{line(701, 2, 2, 0, 3)});
    act(checkout);
    EXPECT_EQ(lastBox()->text, "Pay 0 coins, 6 coupons and 0 medals (members 0)?");
    setParam("carlist", std::deque<gui::ShopData>{line(101, 300, 1, 30, 1), line(501, 5, 3, 30, 1)});
    act(checkout);
    const std::size_t boxes = frame.getMessageBoxes().size();
    frame.pressMessageBoxButton(0);
    setParam("carlist", std::deque<gui::ShopData>{}); // a later cart does not change what the reply sums
    frames(3);
    EXPECT_EQ(sent("shopCheckout"),
              std::vector<std::string>{"[{s_expire:30,s_id:101,s_num:1},{s_expire:30,s_id:501,s_num:1}]\n"});
    ASSERT_EQ(frame.getMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(lastBox()->text, "Total: 300 coins, 0 coupons, 4 medals");
    EXPECT_EQ(count(control->raisedIds(), 81), 1u);
    EXPECT_EQ(money("pc_money1"), 900);
    EXPECT_EQ(money("pc_money3"), 1);
    const auto* bought = value<std::vector<gui::BagData>>(checkout.fillParams(), "buyed");
    ASSERT_NE(bought, nullptr);
    ASSERT_EQ(bought->size(), 2u);
    EXPECT_EQ((*bought)[0].i_id, 3001);
    EXPECT_EQ((*bought)[0].i_name, "Field Jacket");
    EXPECT_EQ((*bought)[0].pci_expiry_day, 30);
    EXPECT_GT((*bought)[0].pci_buy_time, 0);
}

TEST_F(ShopFixture, CartsTheShopCannotPriceSendNothingAndAFailedPurchaseSaysWhy)
{
    logInAsHero();
    const std::size_t boxes = frame.getMessageBoxes().size();
    gui::ShopData beyond = line(101, 300, 1, 30, 1, 1), below = line(101, 300, 1, 30, 1, -1);
    for (const std::deque<gui::ShopData>& cart :
         {std::deque<gui::ShopData>{beyond}, std::deque<gui::ShopData>{below},
          std::deque<gui::ShopData>{line(101, 300, 1, 30, 0)}, std::deque<gui::ShopData>{line(101, 300, 1, 30, -5)},
          std::deque<gui::ShopData>{line(101, 0x7FFFFFFF, 1, 30, 2)},
          std::deque<gui::ShopData>{line(101, 0x7FFFFFFF, 1, 30, 1), line(101, 1, 1, 30, 1)}}) {
        setParam("carlist", cart);
        act(checkout);
    }
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes);
    // An empty cart still asks, and sends an empty list.
    setParam("carlist", std::deque<gui::ShopData>{});
    act(checkout);
    EXPECT_EQ(lastBox()->text, "Pay 0 coins, 0 coupons and 0 medals?");
    frame.pressMessageBoxButton(0);
    frames(3);
    EXPECT_EQ(sent("shopCheckout"), std::vector<std::string>{"[]\n"});
    // The server refuses what it does not sell: logged and said in a box, nothing raised.
    setParam("carlist", std::deque<gui::ShopData>{line(999, 1, 1, 0, 1)});
    act(checkout);
    const std::size_t asked = frame.getMessageBoxes().size();
    frame.pressMessageBoxButton(0);
    control->clearRaised();
    frames(3);
    ASSERT_EQ(frame.getMessageBoxes().size(), asked + 1);
    EXPECT_EQ(lastBox()->text, text("shop/bad_cart"));
    EXPECT_EQ(lastBox()->title, text("warning/title"));
    EXPECT_EQ(count(control->raisedIds(), 81), 0u);
    EXPECT_EQ(log.countCaptured("ShopCheckoutCallbackEvent", "the purchase failed: " + text("shop/bad_cart")), 1u);
}

TEST_F(ShopFixture, RenewingSendsTheChosenOptionAndRefreshesTheAttributesBeforeTheBag)
{
    logInAsHero();
    gui::ShopData jacket = line(102, 900, 1, 0, 1);
    jacket.prices.insert(jacket.prices.begin(), line(101, 300, 1, 30, 1).prices[0]);
    jacket.chosen = 1;
    setParam("prices", jacket);
    setParam("pci_slot", 61);
    setParam("pci_num", 1);
    act(renewal); // a permanent option: the server refuses, the box says so
    frames(3);
    EXPECT_EQ(sent("shopRenewval"), std::vector<std::string>{"[{pci_slot:61,s_expire:0,s_id:102,s_num:1}]\n"});
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->title, text("error/renew"));
    EXPECT_EQ(control->raisedIds(), std::vector<int>{77}) << "the bag's line hears of the refusal";
    control->clearRaised();
    jacket.chosen = 0;
    setParam("prices", jacket);
    act(renewal);
    frames(3);
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{17, 8}));
    EXPECT_EQ(money("pc_money1"), 900);
    for (int chosen : {-1, 2}) {
        jacket.chosen = chosen;
        setParam("prices", jacket);
        act(renewal);
    }
    EXPECT_EQ(sent("shopRenewval").size(), 2u);
}

TEST_F(ShopFixture, RepliesAfterTheEventsAreGoneReachNothing)
{
    logInAsHero();
    {
        ShopPricesCallbackEvent gone(page, dispatcher);
        ShopItemCallbackEvent items(page, dispatcher);
        setParam("i_id", 3001);
        act(gone);
        act(items);
        ShopCheckoutCallbackEvent buying(page, dispatcher);
        setParam("carlist", std::deque<gui::ShopData>{line(101, 300, 1, 30, 1)});
        act(buying);
        frame.pressMessageBoxButton(0);
    }
    control->clearRaised();
    frames(4);
    EXPECT_TRUE(control->raisedIds().empty());
}

namespace {

std::vector<int> shopIds(const std::vector<gui::ShopData>* list)
{
    std::vector<int> ids;
    if (list)
        for (const gui::ShopData& r : *list)
            ids.push_back(r.s_id);
    return ids;
}

} // namespace

TEST_F(ShopFixture, TheGeneralListHasPricedEntriesAndTheStrengtheningListItsClassWithOrWithoutPrices)
{
    BusinessLoadCallbackEvent business{page, dispatcher};
    ArmStrongLoadCallbackEvent arms{page, dispatcher};
    // Before the catalogue came: empty lists, not a failure.
    EXPECT_TRUE(shopIds(value<std::vector<gui::ShopData>>(business.fillParams(), "shoplist")).empty());
    logInAsHero();
    act(business);
    act(arms);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 73), 1u);
    EXPECT_EQ(count(control->raisedIds(), 74), 1u);
    gui::ParamList* general = business.fillParams();
    ASSERT_EQ(general->size(), 1u);
    const auto* shop = value<std::vector<gui::ShopData>>(general, "shoplist");
    // 9, 13, 14 and 18 are other shops'; 16 and 17 have no prices.
    EXPECT_EQ(shopIds(shop), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 15}));
    const auto* strong = value<std::vector<gui::ShopData>>(arms.fillParams(), "strlist");
    EXPECT_EQ(shopIds(strong), (std::vector<int>{15, 16}));
    ASSERT_EQ(strong->size(), 2u);
    EXPECT_EQ((*strong)[0].prices.size(), 1u);
    EXPECT_EQ((*strong)[0].prices[0].s_price, 80);
    EXPECT_TRUE((*strong)[1].prices.empty());
    EXPECT_EQ((*strong)[1].i_name, "Iron Ore");
    EXPECT_EQ((*strong)[1].ic_id, 4);
    const gui::ShopData& first = shop->front();
    EXPECT_EQ(first.i_id, 3001);
    EXPECT_EQ(first.ca_id, first.item.ca_id);
    ASSERT_EQ(first.prices.size(), 2u);
    EXPECT_EQ(first.prices[1].s_id, 102);
    EXPECT_EQ(first.prices[1].s_price, 900);
    // A failed load raises nothing and keeps the lists.
    control->clearRaised();
    session->getGameServer()->setModeFor("queryShop", ZRKGameServer::Fail);
    act(arms);
    frames(3);
    EXPECT_EQ(count(control->raisedIds(), 74), 0u);
    EXPECT_EQ(shopIds(value<std::vector<gui::ShopData>>(arms.fillParams(), "strlist")), (std::vector<int>{15, 16}));
}

struct PreviewFixture : ShopFixture {
    zrktest::TempDir dir;
    BusinessLoadCallbackEvent business{page, dispatcher};
    PreviewFixture()
    {
        // Five animations for the boy (mood and three idle actions), two for the girl; wrong types read as "".
        zrktest::writeFile(dir.file("defstate.json"), R"({
            "boy": {"hair": ["bh0", "bh1"], "face": ["bf0"], "coat": ["bc0", 7], "glove": ["bg0"], "shoes": ["bs0"],
                    "animation": ["b_stand", "b_walk", "b_wave", "b_spin", "b_look"]},
            "girl": {"hair": ["gh0"], "face": ["gf0"], "coat": ["gc0"], "glove": ["gg0"], "shoes": "none",
                     "animation": ["g_stand", "g_walk"]}})");
        roleRes.load(dir.file("defstate.json"));
    }
};

TEST_F(PreviewFixture, TheGeneralShopDressesThePreviewOfABoyInHisDefaultLook)
{
    ZRKRolePtr view = RoleManager::instance().createRole("showview", nullptr);
    logInAsHero(); // the hero is of kind 1
    act(business);
    frames(3);
    EXPECT_EQ(view->getMood(), "b_stand");
    EXPECT_EQ(view->getIdleActions(), (std::vector<std::string>{"b_walk", "b_wave", "b_spin"}));
    ASSERT_FALSE(view->getDefaultItems().empty());
    EXPECT_EQ(view->getDefaultItems().front().substr(0, 2), "bh");
}

TEST_F(PreviewFixture, AnyOtherKindIsDressedAsAGirlAndNoPreviewIsNoFault)
{
    logInWith(login, "rookie", "rookie123"); // kind 2
    act(business);                           // no preview yet: nothing dressed, nothing fails
    frames(3);
    ZRKRolePtr view = RoleManager::instance().createRole("showview", nullptr);
    act(business);
    frames(3);
    EXPECT_EQ(view->getMood(), "g_stand");
    EXPECT_EQ(view->getIdleActions(), (std::vector<std::string>{"g_walk"}));
    // The rookie's hair and face choices lie past this catalogue's lists and it has no shoes: left out.
    EXPECT_EQ(view->getDefaultItems(), (std::vector<std::string>{"gc0", "gg0"}));
    EXPECT_EQ(count(control->raisedIds(), 73), 2u);
}
