// The guild shop, the arena shop and the gift: each asks, sends what its box asked about, shows
// what was paid (the guild's credit, arena points, the gift's medals at the member rule) and
// reports refusals as each shop does; lines it cannot price send nothing.
#include "ShopLoginFixture.h"

#include <data/SpConfig.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <gui/ShopData.h>
#include <lan/ZRKLan.h>

#include "callbacks/ArenaShopPayCallbackEvent.h"
#include "callbacks/GiftPayCallbackEvent.h"
#include "callbacks/GuildShopPayCallbackEvent.h"
#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct PayFixture : zrktest::ShopLoginFixture {
    GuildShopPayCallbackEvent guild{page, dispatcher};
    ArenaShopPayCallbackEvent arena{page, dispatcher};
    GiftPayCallbackEvent gift{page, dispatcher};

    PayFixture()
    {
        SpConfig::getConfig().setBoolVal("platform_bluedrill", false);
        logInAsHero();
    }
    static gui::ShopData item(int sId, int price, int type, int expire, int count, int itemClass = 2, int chosen = 0)
    {
        gui::ShopData l = line(sId, price, type, expire, count, chosen);
        l.ic_id = itemClass;
        return l;
    }
    void giveMedals(long long n)
    {
        std::string refusal;
        ASSERT_TRUE(session->getGameServer()->core().world().addMoney("hero", ZRKWorld::Medals, n, refusal));
        // The game learns of it as it would: its next look at the player.
        ZRKUserRequest::queryUserInfo0("", [](bool, const std::string&) {});
        frames(3);
    }
    void giftForm(const std::deque<gui::ShopData>& cart, int receiver, const std::string& message, int money)
    {
        setParam("carlist", cart);
        setParam("rpc_id", receiver);
        setParam("msg", message);
        setParam("money", money);
    }
};

} // namespace

TEST_F(PayFixture, TheFiguresOfTheGuildCreditAndTheGiftsMedals)
{
    EXPECT_EQ(GuildShopPayCallbackEvent::contribution(item(1, 200, 1, 0, 3, 2), 600), 90);
    EXPECT_EQ(GuildShopPayCallbackEvent::contribution(item(1, 200, 1, 0, 3, 5), 600), 100);
    EXPECT_EQ(GuildShopPayCallbackEvent::contribution(item(1, 100, 1, 0, 1), 100), 15);
    EXPECT_EQ(GuildShopPayCallbackEvent::contribution(item(1, 7, 1, 0, 1), 7), 1);
    EXPECT_EQ(GuildShopPayCallbackEvent::contribution(item(1, 6, 1, 0, 1), 6), 0);
    SpConfig::getConfig().setBoolVal("platform_bluedrill", true);
    const GiftPayCallbackEvent::Cart cart{item(1, 500, 1, 0, 1), item(2, 101, 3, 0, 1), item(3, 9, 2, 0, 1)};
    EXPECT_EQ(gift.medals(cart, true), 81);
    EXPECT_EQ(gift.medals(cart, false), 101);
}

TEST_F(PayFixture, TheGuildShopAsksSendsTheItemItAskedAboutAndShowsTheCredit)
{
    giveMedals(195);
    setParam("guildshop", item(1201, 100, 1, 0, 1, 1));
    act(guild);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    // The question names what is paid.
    EXPECT_NE(frame.getOpenMessageBox()->text.find("for 100 medals?"), std::string::npos)
        << frame.getOpenMessageBox()->text;
    // A second request while the box is open replaces the question; the answer buys what it showed.
    setParam("guildshop", item(1201, 100, 1, 0, 2, 1));
    act(guild);
    setParam("guildshop", item(1201, 100, 1, 0, 1, 1));
    act(guild);
    frame.pressMessageBoxButton(0);
    setParam("guildshop", item(1201, 9999, 1, 0, 3, 1)); // later values change nothing
    frames(3);
    EXPECT_EQ(sent("guildshoppay"), std::vector<std::string>{"[{s_expire:0,s_id:1201,s_num:1}]\n"});
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->text, "Cost: 0 coins, 0 coupons, 100 medals; guild contribution +15");
    EXPECT_EQ(control->raisedIds(), std::vector<int>{82});
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_money3", -1), 100);
    const auto* bought = boost::any_cast<std::vector<gui::BagData>>(&guild.fillParams()->front()->value);
    ASSERT_NE(bought, nullptr);
    ASSERT_EQ(bought->size(), 1u);
    EXPECT_EQ((*bought)[0].i_id, 5004);

    // A failed guild purchase is logged and said; the second button sends nothing.
    control->clearRaised();
    const std::size_t boxes = frame.getMessageBoxes().size();
    setParam("guildshop", item(501, 5, 3, 30, 1)); // an ordinary offer
    act(guild);
    frame.pressMessageBoxButton(0);
    frames(3);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes + 2); // the question and the refusal
    EXPECT_EQ(lastBox()->text, text("shop/bad_cart"));
    EXPECT_EQ(log.countCaptured("GuildShopPayCallbackEvent", "the guild purchase failed: " + text("shop/bad_cart")),
              1u);
    act(guild);
    frame.pressMessageBoxButton(1);
    frames(3);
    EXPECT_EQ(sent("guildshoppay").size(), 2u);
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(PayFixture, TheArenaShopShowsThePointsPaidAndTheServersRefusal)
{
    setParam("arenashop", item(1301, 50, 2, 30, 4, 3));
    act(arena);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_NE(frame.getOpenMessageBox()->text.find("for 200 arena points?"), std::string::npos)
        << frame.getOpenMessageBox()->text;
    frame.pressMessageBoxButton(0);
    frames(3);
    EXPECT_EQ(sent("arenashoppay"), std::vector<std::string>{"[{s_expire:30,s_id:1301,s_num:4}]\n"});
    EXPECT_EQ(lastBox()->text, "Price: 200 arena points");
    EXPECT_EQ(control->raisedIds(), std::vector<int>{83});
    control->clearRaised();
    act(arena); // 100 points left: short
    frame.pressMessageBoxButton(0);
    frames(3);
    EXPECT_EQ(lastBox()->text, "You do not have enough arena points.");
    EXPECT_EQ(lastBox()->title, text("warning/title"));
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(PayFixture, AGiftGoesToTheReceiverWithItsMessageAndARefusalIsLoggedAndShown)
{
    const std::deque<gui::ShopData> wings{item(501, 5, 3, 30, 1, 3)};
    giftForm(wings, 1002, "For \"you\"", 5);
    act(gift);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_EQ(frame.getOpenMessageBox()->text, "Send this gift for 5 medals?");
    giftForm(std::deque<gui::ShopData>{}, 0, "", 0); // the form changes after the box opened
    frame.pressMessageBoxButton(0);
    frames(3);
    ASSERT_EQ(sent("giftCheckout").size(), 1u);
    const ZRKRequestInfo& request = ZRKRequestBroker::getSingleton().history().back();
    EXPECT_EQ(request.args["receiver"].asInt(), 1002);
    EXPECT_EQ(request.args["message"].asString(), "For \"you\"");
    EXPECT_EQ(request.args["money"].asInt(), 5);
    EXPECT_EQ(lastBox()->text, "Total: 5 medals");
    EXPECT_EQ(control->raisedIds(), std::vector<int>{84});
    EXPECT_EQ(session->getGameServer()->core().world().items("rookie").back().id, 2401);

    control->clearRaised();
    giveMedals(10);
    giftForm(wings, 1002, std::string(10000, 'x'), 5);
    act(gift);
    frame.pressMessageBoxButton(0);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("shop/bad_message"));
    EXPECT_EQ(log.countCaptured("GiftPayCallbackEvent", text("shop/bad_message")), 1u);
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_EQ(session->getGameServer()->core().world().player("hero")->money[ZRKWorld::Medals], 10); // nothing charged
}

TEST_F(PayFixture, LinesThatCannotBePricedOrMissingParametersSendNothing)
{
    const std::size_t boxes = frame.getMessageBoxes().size();
    for (int chosen : {-1, 1}) {
        setParam("guildshop", item(1201, 100, 1, 0, 1, 1, chosen));
        act(guild);
        setParam("arenashop", item(1301, 50, 2, 30, 1, 3, chosen));
        act(arena);
        giftForm({item(501, 5, 3, 30, 1), item(501, 5, 3, 30, 1, 3, chosen)}, 1002, "", 10);
        act(gift);
    }
    setParam("arenashop", item(1301, 0x7FFFFFFF, 2, 30, 2));
    act(arena);
    setParam("rpc_id", std::string("1002")); // mistyped
    act(gift);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes);
}

TEST_F(PayFixture, AnswersAfterTheEventsAreGoneReachNothing)
{
    {
        GuildShopPayCallbackEvent goneGuild(page, dispatcher);
        setParam("guildshop", item(1201, 100, 1, 0, 1, 1));
        act(goneGuild);
        frame.pressMessageBoxButton(0);
        ArenaShopPayCallbackEvent goneArena(page, dispatcher);
        setParam("arenashop", item(1301, 50, 2, 30, 1, 3));
        act(goneArena); // its box stays open past the event
    }
    frame.pressMessageBoxButton(0);
    frames(4);
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_TRUE(sent("arenashoppay").empty());
}
