// The server's shop: the catalogue as seeded (bad entries left out), purchases paid exactly by
// the cost box's figures for members and others, items landing in the first free slots (props
// on their stack), every refusal leaving the world as it was, a repeated purchase id paying
// once, renewals of live and expired items, and a buyer killed twenty times mid-purchase
// leaving money plus ledger equal to what he had.
#include <gtest/gtest.h>

#include <server/ZRKDatabase.h>
#include <data/ZRKParams.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <json/json.h>
#include <support/TestEnv.h>
#include <unistd.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const long long kDec7 = 1796601600; // 2026-12-07 00:00:00 UTC

/// Hero logged in on a server of its own, its date set; requests answered at once.
struct Shop {
    explicit Shop(const ZRKServerConfig& config = defaults()) : core(config, 0)
    {
        core.setWallTime(kDec7);
        connection = core.connect();
        Json::Value args;
        args["name"] = "hero";
        args["password"] = "hero123";
        ask("login", args);
    }
    ~Shop()
    {
        EXPECT_EQ(number("SELECT count(*) FROM (SELECT 1 FROM inventory GROUP BY player, slot HAVING count(*) > 1)"),
                  0);
        EXPECT_EQ(number("SELECT count(*) FROM players WHERE money1 < 0 OR money2 < 0 OR money3 < 0"), 0);
    }
    static ZRKServerConfig defaults()
    {
        ZRKServerConfig c;
        c.bots = 0;
        c.seed = 7;
        return c;
    }
    ZRKMessage ask(const std::string& op, const Json::Value& args)
    {
        return datatest::ask(core, connection, ++handle, op, args);
    }
    /// A purchase (or renewal) of the text as the client sends it, under the id.
    ZRKMessage buy(const std::string& text, const std::string& id, const char* op = "shopCheckout")
    {
        Json::Value args(Json::objectValue);
        args["lines"] = ZRKParams::readText(text);
        args["purchase"] = id;
        return ask(op, args);
    }
    long long number(const std::string& sql)
    {
        ZRKDatabase::Statement& q = core.world().db().prepare(sql);
        const long long n = q.step() ? q.integer(0) : -1;
        q.reset();
        return n;
    }
    std::vector<long long> money()
    {
        return {number("SELECT money1 FROM players WHERE name = 'hero'"),
                number("SELECT money2 FROM players WHERE name = 'hero'"),
                number("SELECT money3 FROM players WHERE name = 'hero'")};
    }
    /// Every item and the money, as one text.
    std::string snapshot()
    {
        std::string out;
        ZRKDatabase::Statement& q = core.world().db().prepare(
            "SELECT slot, i_id, count, buy_time, expiry_day FROM inventory WHERE player = 'hero' ORDER BY slot");
        while (q.step())
            out += std::to_string(q.integer(0)) + ":" + std::to_string(q.integer(1)) + "x" +
                   std::to_string(q.integer(2)) + " " + q.text(3) + "/" + std::to_string(q.integer(4)) + ";";
        q.reset();
        for (long long m : money())
            out += " " + std::to_string(m);
        return out + " ledger " + std::to_string(number("SELECT count(*) FROM purchases"));
    }
    std::string item(int slot)
    {
        ZRKDatabase::Statement& q = core.world().db().prepare(
            "SELECT i_id, count, buy_time, expiry_day FROM inventory WHERE player = 'hero' AND slot = ?");
        q.bind(1, static_cast<long long>(slot));
        std::string out;
        if (q.step())
            out = std::to_string(q.integer(0)) + "x" + std::to_string(q.integer(1)) + " " + q.text(2) + "/" +
                  std::to_string(q.integer(3));
        q.reset();
        return out;
    }

    ZRKServerCore core;
    long connection = 0;
    long handle = 0;
};

} // namespace

TEST(ShopServer, TheCatalogueKeepsSoundEntriesAndLeavesOutTheRest)
{
    Shop shop;
    const ZRKMessage reply = shop.ask("queryShop", Json::Value(Json::arrayValue));
    ASSERT_FALSE(reply.error) << reply.text;
    const Json::Value& entries = reply.views["shop"];
    ASSERT_EQ(entries.size(), 18u);
    EXPECT_TRUE(entries[15]["prices"].isArray()); // listed without prices: shown, not sold
    EXPECT_TRUE(entries[15]["prices"].empty());
    EXPECT_EQ(entries[1]["i_id"].asInt(), 3102); // one item, two entries
    EXPECT_EQ(entries[2]["i_id"].asInt(), 3102);
    EXPECT_EQ(entries[0]["prices"][1]["s_expire"].asInt(), 0);
    EXPECT_EQ(shop.ask("queryShopItem", Json::Value(Json::arrayValue)).views["shopItem"][3]["i_id"].asInt(), 2101);

    zrktest::TempDir dir;
    for (const char* f : {"accounts.json", "bots.json", "itemclasses.json", "libs.json", "lobby.json", "maps.json",
                          "master.json", "players.json", "rooms.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    zrktest::writeFile(dir.file("shop.json"), R"({"entries": [
        {"s_id": 1, "i_id": 99999, "si_sale_type": 0, "si_rcmd": 0, "si_new": 0, "si_sales_count": 0,
         "prices": [{"s_id": 1, "s_price": 1, "s_buy_type": 1, "s_expire": 0}]},
        {"s_id": "2", "i_id": 3001, "si_sale_type": 0, "si_rcmd": 0, "si_new": 0, "si_sales_count": 0,
         "prices": [{"s_id": 2, "s_price": 1, "s_buy_type": 1, "s_expire": 0}]},
        {"s_id": 3, "i_id": 3001, "si_sale_type": 0, "si_rcmd": 0, "si_new": 0, "si_sales_count": 0,
         "prices": [{"s_id": 3, "s_price": 1.5, "s_buy_type": 1, "s_expire": 0}, {"s_id": 4, "s_price": 2, "s_buy_type": 1, "s_expire": 0}]},
        {"s_id": 5, "i_id": 3001, "si_sale_type": 0, "si_rcmd": 0, "si_new": 0, "si_sales_count": 0,
         "prices": [{"s_id": 5, "s_price": -1, "s_buy_type": 1, "s_expire": 0}]},
        7]})");
    datatest::LogCapture log;
    ZRKServerConfig config = Shop::defaults();
    config.folder = dir.path();
    Shop odd(config);
    const Json::Value kept = odd.ask("queryShop", Json::Value(Json::arrayValue)).views["shop"];
    ASSERT_EQ(kept.size(), 1u);
    ASSERT_EQ(kept[0]["prices"].size(), 1u);
    EXPECT_EQ(kept[0]["prices"][0]["s_id"].asInt(), 4);
    EXPECT_TRUE(log.anyHolds("no item 99999"));
}

TEST(ShopServer, ACartIsPaidAsTheBoxSaysAndLandsInTheFirstFreeSlots)
{
    for (bool pricing : {true, false}) {
        Shop shop;
        shop.core.shop().setMemberPricing(pricing, 0.8f);
        // A jacket for 30 days (300 coins), three repair kits (6 coupons), wings for 30 days (5
        // medals, 4 for a member such as hero while members pay less).
        const ZRKMessage reply = shop.buy(
            "[{s_expire:30,s_id:101,s_num:1},{s_expire:0,s_id:701,s_num:3},{s_expire:30,s_id:501,s_num:1}]\n", "a1");
        ASSERT_FALSE(reply.error) << reply.text;
        EXPECT_EQ(shop.money(), (std::vector<long long>{900, 24, pricing ? 1 : 0}));
        EXPECT_EQ(shop.number("SELECT cost3 FROM purchases WHERE id = 'a1'"), pricing ? 4 : 5);
        // Hero's bag holds slots 61 to 80, the first free being 77; his kits stack on slot 51.
        EXPECT_EQ(shop.item(77), "3001x1 2026-12-07 00:00:00/30");
        EXPECT_EQ(shop.item(51), "4001x6 /0");
        EXPECT_EQ(shop.item(78), "2401x1 2026-12-07 00:00:00/30");
        const Json::Value& bought = reply.views["buyed"];
        ASSERT_EQ(bought.size(), 3u);
        EXPECT_EQ(bought[1]["pci_slot"].asInt(), 51);
        EXPECT_EQ(bought[1]["pci_num"].asInt(), 6);
        EXPECT_EQ(reply.views["pc"]["pc_money1"].asInt(), 900);
        EXPECT_TRUE(reply.views["inventory"]["items"].isArray());
    }
}

TEST(ShopServer, EveryRefusalLeavesTheWorldAsItWas)
{
    Shop shop;
    const std::string before = shop.snapshot();
    const char* const refused[] = {
        "[{s_expire:0,s_id:502,s_num:1}]\n",  // 100 medals: hero has 5
        "[{s_expire:0,s_id:202,s_num:5}]\n",  // five coats: four free slots
        "[{s_expire:0,s_id:801,s_num:1}]\n",  // another shop's entry
        "[{s_expire:0,s_id:901,s_num:1}]\n",  // a money kind never sold
        "[{s_expire:30,s_id:102,s_num:1}]\n", // an option with other days
        "[{s_expire:30,s_id:101,s_num:0}]\n", // no pieces
        "[{s_expire:30,s_id:101,s_num:-5}]\n",
        "[{s_expire:30,s_id:101,s_num:100}]\n",
        "[{s_expire:30,s_id:101,s_num:1.5}]\n",           // no whole number
        "[{s_expire:30,s_id:101,s_num:1000000000000}]\n", // past 32 bits
        "[{s_expire:30,s_id:101}]\n",                     // a key missing
        "[{s_expire:30,s_id:101,s_num:1,s_num:1}]\n",     // a key twice
        "[{s_expire:30,s_id:101,s_num:1,pci_slot:3}]\n",  // a key too many
        "[{s_expire:30,s_id:{a:1},s_num:1}]\n",           // nested
        "[{\"s_expire\":30,\"s_id\":101,\"s_num\":1,\"s_num\":2}]\n",
        "{s_expire:30,s_id:101,s_num:1}\n", // no list
        "[{s_expire:30,s_id:101,s_num:1},[1]]\n",
        "",
    };
    for (const char* text : refused) {
        const ZRKMessage reply = shop.buy(text, std::string("r") + std::to_string(shop.handle));
        EXPECT_TRUE(reply.error) << text;
        EXPECT_FALSE(reply.text.empty() || reply.text.find('/') != std::string::npos) << reply.text; // a readable text
        EXPECT_EQ(shop.snapshot(), before) << text;
    }
    std::string many = "[";
    for (int i = 0; i < 10000; ++i)
        many += std::string(i ? "," : "") + "{s_expire:0,s_id:701,s_num:1}";
    EXPECT_TRUE(shop.buy(many + "]\n", "many").error);
    Json::Value noId(Json::objectValue);
    noId["lines"] = ZRKParams::readText("[{s_expire:30,s_id:101,s_num:1}]\n");
    EXPECT_TRUE(shop.ask("shopCheckout", noId).error);
    EXPECT_EQ(shop.snapshot(), before);
    // An empty cart buys nothing and says so.
    const ZRKMessage none = shop.buy("[]\n", "empty");
    EXPECT_FALSE(none.error) << none.text;
    EXPECT_EQ(none.views["buyed"].size(), 0u);
}

TEST(ShopServer, ARepeatedPurchaseIdGetsTheFirstAnswerAndPaysOnce)
{
    Shop shop;
    const ZRKMessage first = shop.buy("[{s_expire:7,s_id:201,s_num:2}]\n", "same-1");
    ASSERT_FALSE(first.error) << first.text;
    const std::string after = shop.snapshot();
    const ZRKMessage again = shop.buy("[{s_expire:7,s_id:201,s_num:2}]\n", "same-1");
    EXPECT_FALSE(again.error);
    EXPECT_EQ(again.views["buyed"], first.views["buyed"]);
    EXPECT_EQ(shop.snapshot(), after);
    EXPECT_EQ(shop.money()[0], 1000);
}

TEST(ShopServer, RenewingCountsFromTheLaterOfNowAndTheItemsEnd)
{
    Shop shop;
    // Hero's jacket in slot 61 was bought on 2026-11-30 for 30 days: live on 12-07.
    const ZRKMessage live = shop.buy("[{pci_slot:61,s_expire:30,s_id:101,s_num:1}]\n", "n1", "shopRenewval");
    ASSERT_FALSE(live.error) << live.text;
    EXPECT_EQ(shop.item(61), "3001x1 2026-11-30 18:45:00/60");
    EXPECT_EQ(shop.money()[0], 900);
    // Long after its end: the days count from now.
    shop.core.setWallTime(kDec7 + 90 * 86400);
    ASSERT_FALSE(shop.buy("[{pci_slot:61,s_expire:30,s_id:101,s_num:1}]\n", "n2", "shopRenewval").error);
    EXPECT_EQ(shop.item(61), "3001x1 2027-03-07 00:00:00/30");
    const std::string before = shop.snapshot();
    for (const char* text :
         {"[{pci_slot:62,s_expire:30,s_id:101,s_num:1}]\n", // no timed item there
          "[{pci_slot:61,s_expire:0,s_id:102,s_num:1}]\n",  // a permanent option
          "[{pci_slot:61,s_expire:7,s_id:201,s_num:1}]\n",  // another item's option
          "[{pci_slot:61,s_expire:30,s_id:101,s_num:2}]\n", // not its count
          "[{pci_slot:61,s_expire:30,s_id:101,s_num:1},{pci_slot:61,s_expire:30,s_id:101,s_num:1}]\n"})
        EXPECT_TRUE(shop.buy(text, std::string("x") + std::to_string(shop.handle), "shopRenewval").error) << text;
    EXPECT_EQ(shop.snapshot(), before);
}

TEST(ShopServer, ABuyerKilledMidPurchaseLosesNothingAndPaysForAllHeHas)
{
    zrktest::TempDir dir;
    ZRKServerConfig config = Shop::defaults();
    config.database = dir.file("world.db");
    long long seedCoupons = 0;
    {
        Shop first(config);
        first.core.world().db().exec("UPDATE players SET money2 = 100000 WHERE name = 'hero'");
        first.core.world().forgetRead();
        seedCoupons = first.money()[1];
    }
    for (int run = 0; run < 20; ++run) {
        const long answered = datatest::answeredBeforeKill(
            [&](const std::function<void(long)>& told) {
                Shop shop(config);
                for (long n = 1;; ++n)
                    if (!shop.buy("[{s_expire:0,s_id:701,s_num:1}]\n",
                                  "k" + std::to_string(run) + "-" + std::to_string(n))
                             .error)
                        told(n);
                    else
                        _exit(6); // a purchase refused: the helper reports the child stopping
            },
            1 + run % 3);
        EXPECT_NE(answered, -1);
    }
    Shop after(config);
    const long long spent = after.number("SELECT coalesce(sum(cost2), 0) FROM purchases");
    EXPECT_EQ(after.money()[1] + spent, seedCoupons);
    // Every purchase bought one kit: the kits are the seed's three and one per ledger row.
    EXPECT_EQ(after.number("SELECT sum(count) FROM inventory WHERE player = 'hero' AND i_id = 4001"),
              3 + after.number("SELECT count(*) FROM purchases"));
    EXPECT_GT(after.number("SELECT count(*) FROM purchases"), 0);
}

TEST(ShopServer, AWorldWithoutALedgerIsBroughtUpAndSells)
{
    zrktest::TempDir dir;
    ZRKServerConfig config = Shop::defaults();
    config.database = dir.file("world.db");
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(config.database, "res/server", false));
        ASSERT_TRUE(world.db().exec("DROP TABLE purchases"));
        ASSERT_TRUE(world.db().exec("UPDATE meta SET value = '4' WHERE key = 'schema'"));
    }
    datatest::LogCapture log;
    Shop shop(config);
    EXPECT_EQ(log.containing("ZRKWorld",
                             "the world of schema 4 was brought up to " + std::to_string(ZRKWorld::kSchemaVersion)),
              1u);
    EXPECT_FALSE(shop.buy("[{s_expire:0,s_id:701,s_num:1}]\n", "up-1").error);
    EXPECT_EQ(shop.number("SELECT count(*) FROM purchases"), 1);
}

namespace {
/// A whole-number setting of a player as the world holds it.
long long setting(Shop& shop, const char* player, const char* key)
{
    const ZRKWorld::Player* p = shop.core.world().player(player);
    const Json::Value& s = p ? ZRKWorld::Player::doc(p->settings) : Json::Value::nullSingleton();
    return s.isObject() && s[key].isInt64() ? s[key].asInt64() : -1;
}
Json::Value gift(int receiver, const std::string& message, int money, const std::string& text, const std::string& id)
{
    Json::Value args(Json::objectValue);
    args["lines"] = ZRKParams::readText(text);
    args["purchase"] = id;
    args["receiver"] = receiver;
    args["message"] = message;
    args["money"] = money;
    return args;
}
} // namespace

TEST(ShopServer, PropsSellOnlyBattlePropsOfTheOrdinaryShopOntoTheirStack)
{
    Shop shop;
    const std::string before = shop.snapshot();
    for (const char* cart : {"[{s_expire:0,s_id:1101,s_num:1}]\n",  // a banner: sub-class 25
                             "[{s_expire:30,s_id:101,s_num:1}]\n",  // a jacket: no prop
                             "[{s_expire:0,s_id:1201,s_num:1}]\n"}) // the guild's tonic
        EXPECT_TRUE(shop.buy(cart, std::string("p") + std::to_string(cart[20]), "shopPropsCheckout").error) << cart;
    EXPECT_EQ(shop.snapshot(), before);
    const ZRKMessage ok =
        shop.buy("[{s_expire:0,s_id:701,s_num:2},{s_expire:0,s_id:1001,s_num:1}]\n", "props-1", "shopPropsCheckout");
    ASSERT_FALSE(ok.error) << ok.text;
    EXPECT_EQ(shop.item(51).substr(0, 6), "4001x5"); // on the kit's stack
    EXPECT_EQ(shop.item(52).substr(0, 6), "5002x3");
    EXPECT_EQ(shop.money(), (std::vector<long long>{1180, 26, 5}));
    // The ordinary checkout still sells the banner into the props bag.
    EXPECT_FALSE(shop.buy("[{s_expire:0,s_id:1101,s_num:1}]\n", "banner").error);
    EXPECT_EQ(shop.item(53).substr(0, 6), "5025x1");
}

TEST(ShopServer, BoughtStonesJoinTheirStackUpToItsSizeAndTimedPiecesStayApart)
{
    Shop shop;
    shop.core.world().db().exec("DELETE FROM inventory WHERE player = 'hero' AND i_id = 7001");
    shop.core.world().db().exec("UPDATE players SET money1 = 100000 WHERE name = 'hero'");
    shop.core.world().forgetRead();
    // Two stones, a day later three more: one stack of five, as old as its first piece.
    ASSERT_FALSE(shop.buy("[{s_expire:0,s_id:1401,s_num:2}]\n", "stones-1").error);
    EXPECT_EQ(shop.item(68), "7001x2 2026-12-07 00:00:00/0");
    shop.core.setWallTime(kDec7 + 86400);
    const ZRKMessage more = shop.buy("[{s_expire:0,s_id:1401,s_num:3}]\n", "stones-2");
    ASSERT_FALSE(more.error) << more.text;
    EXPECT_EQ(shop.item(68), "7001x5 2026-12-07 00:00:00/0");
    EXPECT_EQ(shop.number("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 7001"), 1);
    ASSERT_EQ(more.views["buyed"].size(), 1u);
    EXPECT_EQ(more.views["buyed"][0]["pci_num"].asInt(), 5);
    // A stack takes pieces up to its sub-class's size (99); the rest start the next stack.
    ASSERT_FALSE(shop.buy("[{s_expire:0,s_id:1401,s_num:99}]\n", "stones-3").error);
    EXPECT_EQ(shop.item(68), "7001x99 2026-12-07 00:00:00/0");
    EXPECT_EQ(shop.item(77), "7001x5 2026-12-08 00:00:00/0");
    // A stack that carries a bonus is a piece of its own: a bought stone goes beside it.
    shop.core.world().db().exec("UPDATE inventory SET pci_luck = 1 WHERE player = 'hero' AND slot = 77");
    shop.core.world().forgetRead();
    ASSERT_FALSE(shop.buy("[{s_expire:0,s_id:1401,s_num:1}]\n", "stones-4").error);
    EXPECT_EQ(shop.item(77), "7001x5 2026-12-08 00:00:00/0");
    EXPECT_EQ(shop.item(78), "7001x1 2026-12-08 00:00:00/0");

    // Stones sold for days go one a slot, each with its own time.
    zrktest::TempDir dir;
    for (const char* f : {"accounts.json", "bots.json", "itemclasses.json", "libs.json", "lobby.json", "maps.json",
                          "master.json", "players.json", "rooms.json", "forge.json", "boxes.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    zrktest::writeFile(dir.file("shop.json"), R"({"entries": [
        {"s_id": 1, "i_id": 7001, "si_sale_type": 0, "si_rcmd": 0, "si_new": 0, "si_sales_count": 0,
         "prices": [{"s_id": 1, "s_price": 1, "s_buy_type": 1, "s_expire": 30}]}]})");
    ZRKServerConfig config = Shop::defaults();
    config.folder = dir.path();
    Shop timed(config);
    ASSERT_FALSE(timed.buy("[{s_expire:30,s_id:1,s_num:2}]\n", "timed-1").error);
    EXPECT_EQ(timed.item(68), "7001x5 /0");
    EXPECT_EQ(timed.item(77), "7001x1 2026-12-07 00:00:00/30");
    EXPECT_EQ(timed.item(78), "7001x1 2026-12-07 00:00:00/30");
}

TEST(ShopServer, TheGuildShopSellsOneLineToMembersForMedalsAndCreditsTheGuild)
{
    Shop shop;
    std::string refusal;
    ASSERT_TRUE(shop.core.world().addMoney("hero", ZRKWorld::Medals, 195, refusal));
    // Its option sells only through the guild's request, one line at a time.
    EXPECT_TRUE(shop.buy("[{s_expire:0,s_id:1201,s_num:1}]\n", "g0").error);
    EXPECT_TRUE(shop.buy("[{s_expire:0,s_id:501,s_num:1}]\n", "g1", "guildshoppay").error);
    EXPECT_TRUE(
        shop.buy("[{s_expire:0,s_id:1201,s_num:1},{s_expire:0,s_id:1201,s_num:1}]\n", "g2", "guildshoppay").error);
    const ZRKMessage ok = shop.buy("[{s_expire:0,s_id:1201,s_num:1}]\n", "g3", "guildshoppay");
    ASSERT_FALSE(ok.error) << ok.text;
    EXPECT_EQ(shop.money(), (std::vector<long long>{1200, 30, 100})); // full price in medals, not coins
    EXPECT_EQ(setting(shop, "hero", "g_contribution"), 55);           // 40 + 15
    EXPECT_EQ(shop.item(53).substr(0, 6), "5004x1");
    // Out of the guild, nothing is sold.
    Json::Value settings = ZRKWorld::Player::doc(shop.core.world().player("hero")->settings);
    settings["g_id"] = 0;
    ASSERT_TRUE(shop.core.world().setSettings("hero", settings));
    const std::string before = shop.snapshot();
    const ZRKMessage refused = shop.buy("[{s_expire:0,s_id:1201,s_num:1}]\n", "g4", "guildshoppay");
    EXPECT_TRUE(refused.error);
    EXPECT_EQ(refused.text, "Only members of a guild can buy in the guild shop.");
    EXPECT_EQ(shop.snapshot(), before);
}

TEST(ShopServer, TheArenaShopTakesArenaPointsAndRefusesWhenTheyAreShort)
{
    Shop shop;
    EXPECT_TRUE(shop.buy("[{s_expire:30,s_id:1301,s_num:1}]\n", "a0").error); // not through the ordinary shop
    const ZRKMessage ok = shop.buy("[{s_expire:30,s_id:1301,s_num:4}]\n", "a1", "arenashoppay");
    ASSERT_FALSE(ok.error) << ok.text;
    EXPECT_EQ(setting(shop, "hero", "pc_arena_point"), 100); // 300 - 4 x 50
    EXPECT_EQ(shop.money(), (std::vector<long long>{1200, 30, 5}));
    const std::string before = shop.snapshot();
    const ZRKMessage short_ = shop.buy("[{s_expire:30,s_id:1301,s_num:3}]\n", "a2", "arenashoppay");
    EXPECT_TRUE(short_.error);
    EXPECT_EQ(short_.text, "You do not have enough arena points.");
    EXPECT_EQ(shop.snapshot(), before);
    EXPECT_EQ(setting(shop, "hero", "pc_arena_point"), 100);
}

TEST(ShopServer, AGiftOfMedalLinesLandsInTheReceiversBagEvenABots)
{
    ZRKServerConfig config = Shop::defaults();
    config.bots = 2;
    Shop shop(config);
    const std::string wings = "[{s_expire:30,s_id:501,s_num:1}]\n";
    const std::string before = shop.snapshot();
    for (const Json::Value& bad :
         {gift(1002, "hi", 5, "[{s_expire:30,s_id:101,s_num:1}]\n", "x1"),     // coins: no gift line
          gift(0, "hi", 5, wings, "x2"), gift(424242, "hi", 5, wings, "x3"),   // nobody
          gift(1002, "hi", 4, wings, "x4"), gift(1002, "hi", -1, wings, "x5"), // dearer than shown
          gift(1002, std::string(201, 'a'), 5, wings, "x6"), gift(1002, std::string(10000, '"'), 5, wings, "x7"),
          gift(1002, "bad \xff\xfe", 5, wings, "x8")})
        EXPECT_TRUE(shop.ask("giftCheckout", bad).error) << bad.toStyledString();
    EXPECT_EQ(shop.snapshot(), before);
    // An id no player has says so, not that a player cannot receive gifts.
    EXPECT_EQ(shop.ask("giftCheckout", gift(424242, "hi", 5, wings, "x9")).text, "No player has that id.");
    const std::string message = std::string(199, 'a') + "\xc3\xa9"; // 200 characters
    const ZRKMessage ok = shop.ask("giftCheckout", gift(1002, message, 5, wings, "g1"));
    ASSERT_FALSE(ok.error) << ok.text;
    EXPECT_EQ(ok.views["buyed"][0]["gift_message"].asString(), message);
    EXPECT_EQ(shop.money(), (std::vector<long long>{1200, 30, 0}));
    EXPECT_EQ(shop.number("SELECT count(*) FROM inventory WHERE player = 'rookie' AND i_id = 2401"), 1);
    EXPECT_EQ(shop.number("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 2401"), 0);
    std::string refusal;
    ASSERT_TRUE(shop.core.world().addMoney("hero", ZRKWorld::Medals, 5, refusal));
    const std::string bot = shop.core.world().playerOfCharacter(900000);
    ASSERT_FALSE(bot.empty());
    ASSERT_FALSE(shop.ask("giftCheckout", gift(900000, "", 5, wings, "g2")).error);
    EXPECT_EQ(shop.number("SELECT count(*) FROM inventory WHERE player = '" + bot + "' AND i_id = 2401"), 1);
}
