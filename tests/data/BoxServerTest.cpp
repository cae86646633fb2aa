// The server's boxes and bag items. Prize boxes after a battle: offers at each player's own
// prices, one free box per player who stayed, a stale id or a refused price changing nothing,
// the award told first in the player's list, the server's players opening theirs, and nothing
// after the window closes. Bag items: boxes, rank cards (price, a lower card, the rank back
// after its days), sorting, recycling all or nothing, and function items. Every test ends with
// a look at the world: no slot holding two items, no count below 1, no money below 0.
#include <gtest/gtest.h>

#include <data/ZRKBagLayout.h>
#include <server/ZRKBattleOps.h>
#include <server/ZRKBoxOps.h>
#include <server/ZRKBoxes.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKJson.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <server/ZRKServerCall.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <fstream>
#include <json/json.h>
#include <map>
#include <support/TestEnv.h>
#include <util/JsonText.h>
#include <yake/Time.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The entries of an award list as the battle view gives it back (a list, or an object of them).
std::vector<Json::Value> entries(const Json::Value& list)
{
    std::vector<Json::Value> out;
    if (list.isArray() || list.isObject())
        for (const Json::Value& v : list)
            out.push_back(v);
    return out;
}

/// A whole number of a view, as a number or its text.
long long whole(const Json::Value& v)
{
    long long out = -1;
    return ZRKServerCall::readNumber(v, out) ? out : -1;
}

long long number(ZRKWorld& world, const std::string& sql)
{
    ZRKDatabase::Statement& q = world.db().prepare(sql);
    const long long v = q.step() ? q.integer(0) : -1;
    q.reset();
    return v;
}

/// What would make the world unsound; empty when it is sound.
std::string worldFault(ZRKWorld& world)
{
    if (number(world, "SELECT count(*) FROM (SELECT 1 FROM inventory GROUP BY player, slot HAVING count(*) > 1)") != 0)
        return "a slot holds two items";
    if (number(world, "SELECT count(*) FROM inventory WHERE count < 1") != 0)
        return "a count below 1";
    if (number(world, "SELECT count(*) FROM players WHERE money1 < 0 OR money2 < 0 OR money3 < 0") != 0)
        return "money below 0";
    return std::string();
}

// ---- Prize boxes, through the client's session ----

class PrizeBoxTest : public zrktest::HeroOnServer {
protected:
    PrizeBoxTest()
    {
        config.bots = 3;
        config.seed = 5;
        startServer();
        logInHero(2);
    }
    ~PrizeBoxTest() override { EXPECT_EQ(worldFault(core().world()), ""); }
    ZRKServerCore& core() { return server->core(); }
    long long money(int kind) { return core().world().player("hero")->money[kind]; }
    /// Hero's battle against a bot, won (or lost) by hero: the offers are out.
    std::string finish(bool heroWins)
    {
        const std::string name = core().startBotBattle("hero", 1, "1", 7);
        tick();
        roomAsk("reportLoad", name);
        ZRKRoomState* room = ZRKRoomRequest::getRoomState(name, false, false);
        const int team = room->findPlayer("hero")->getBattleState().getIntVal("team", -1);
        roomAsk("reportBattleOver", name, heroWins ? team : 1 - team);
        tick();
        return name;
    }
    std::vector<core::XmlConfigHelper> offers(const std::string& name)
    {
        std::list<core::XmlConfigHelper> boxes = ZRKRoomRequest::getRoomState(name, false, false)->getBoxes();
        return std::vector<core::XmlConfigHelper>(boxes.begin(), boxes.end());
    }
    std::pair<bool, std::string> open(int index, int id)
    {
        std::pair<bool, std::string> out{true, "unanswered"};
        bool done = false;
        ZRKRoomRequest::openBox({{"idx", std::to_string(index)}, {"id", std::to_string(id)}},
                                [&](bool error, const std::string& text) {
                                    out = {error, text};
                                    done = true;
                                });
        pump.until([&] { return done; }, 10, "the answer");
        tick();
        return out;
    }

    datatest::ManualClock clock;
};

} // namespace

TEST_F(PrizeBoxTest, AWinnerOpensOneFreeBoxOfHisSideThenPaysAndAStaleIdCostsNothing)
{
    const std::string name = finish(true);
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(name, false, false);
    const core::XmlConfigHelper& battle = room->getSelfState()->getBattleState();
    EXPECT_EQ(battle.getIntVal("flags", -1), 0x1);
    EXPECT_EQ(battle.getIntVal("boxCount", -1), 1);
    std::vector<core::XmlConfigHelper> boxes = offers(name);
    ASSERT_EQ(boxes.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(boxes[i].getIntVal("b_buy_type", -1) == 0, i < 4) << i; // his side free, the others priced

    // Another's side for free is no offer: the id names box 5 at its price.
    const long long coins = money(ZRKWorld::Coins);
    EXPECT_TRUE(open(5, boxes[1].getIntVal("b_id", 0)).first);
    EXPECT_EQ(money(ZRKWorld::Coins), coins);

    const long long items = number(core().world(), "SELECT count(*) FROM inventory WHERE player = 'hero'");
    const long long exp = core().world().player("hero")->exp;
    ASSERT_FALSE(open(1, boxes[1].getIntVal("b_id", 0)).first);
    EXPECT_EQ(battle.getIntVal("boxCount", -1), 0);
    const std::vector<Json::Value> award = entries(ZRKJson::fromView(battle)["award"]);
    ASSERT_FALSE(award.empty());
    EXPECT_EQ(whole(award[0]["bi_index"]), 2);
    const int type = whole(award[0]["bi_type"]);
    const long long num = whole(award[0]["bi_num"]);
    // What the box held is in the world: money, experience or an item in the bag.
    if (type == 1) {
        EXPECT_EQ(money(ZRKWorld::Coins), coins + num);
    } else if (type == 5) {
        EXPECT_EQ(core().world().player("hero")->exp, exp + num);
    } else if (type == 6) {
        EXPECT_EQ(number(core().world(), "SELECT count(*) FROM inventory WHERE player = 'hero'"), items + 1);
    }

    // The opening is used: his other boxes are priced now, under new ids; the old id costs nothing.
    std::vector<core::XmlConfigHelper> after = offers(name);
    EXPECT_EQ(after[1].getIntVal("b_type", 0), 2);
    EXPECT_NE(after[0].getIntVal("b_id", 0), boxes[0].getIntVal("b_id", 0));
    EXPECT_GT(after[0].getIntVal("b_buy_type", 0), 0);
    const long long before = money(after[0].getIntVal("b_buy_type", 1) - 1);
    EXPECT_TRUE(open(0, boxes[0].getIntVal("b_id", 0)).first);
    EXPECT_TRUE(open(1, after[1].getIntVal("b_id", 0)).first); // opened already
    EXPECT_EQ(money(after[0].getIntVal("b_buy_type", 1) - 1), before);

    // Priced: exactly its price (and what it held), or refused whole without the money.
    const int kind = after[0].getIntVal("b_buy_type", 1);
    const int price = after[0].getIntVal("b_price", 0);
    core().world().db().exec("UPDATE players SET money" + std::to_string(kind) + " = " + std::to_string(price - 1) +
                             " WHERE name = 'hero'");
    core().world().forgetRead();
    EXPECT_TRUE(open(0, after[0].getIntVal("b_id", 0)).first);
    EXPECT_EQ(money(kind - 1), price - 1);
    core().world().db().exec("UPDATE players SET money" + std::to_string(kind) + " = " + std::to_string(price) +
                             " WHERE name = 'hero'");
    core().world().forgetRead();
    ASSERT_FALSE(open(0, after[0].getIntVal("b_id", 0)).first);
    const std::vector<Json::Value> second = entries(ZRKJson::fromView(battle)["award"]);
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(whole(second[0]["bi_index"]), 1);
    EXPECT_EQ(whole(second[1]["bi_index"]), 2); // the earlier one follows
    const bool paidInKind = whole(second[0]["bi_type"]) == kind;
    EXPECT_EQ(money(kind - 1), paidInKind ? whole(second[0]["bi_num"]) : 0);
}

TEST_F(PrizeBoxTest, ALoserOpensTheOtherHalfTheBotOpensItsOwnAndTheWindowCloses)
{
    const std::string name = finish(false);
    std::vector<core::XmlConfigHelper> boxes = offers(name);
    ASSERT_EQ(boxes.size(), 8u);
    EXPECT_GT(boxes[0].getIntVal("b_buy_type", 0), 0);
    EXPECT_EQ(boxes[4].getIntVal("b_buy_type", -1), 0);
    // The bot won: it opens one of the first four within its seconds.
    clock.advance(16.0);
    core().tick(yake::native::getTime());
    tick(2);
    int openedByBot = 0;
    for (const core::XmlConfigHelper& b : offers(name))
        openedByBot += b.getIntVal("b_type", 0) == 2;
    EXPECT_EQ(openedByBot, 1);
    EXPECT_EQ(offers(name)[4].getIntVal("b_type", 0), 1);
    // Past the half time and its count-down, the offers are gone.
    clock.advance(ZRKBattleOps::kCloseSeconds);
    core().tick(yake::native::getTime());
    tick(2);
    EXPECT_TRUE(open(4, boxes[4].getIntVal("b_id", 0)).first);
    EXPECT_EQ(core().prizeBoxes().size(), 0u);
}

TEST(PrizeBoxes, OneSeedDrawsOneLootAndTheLeaverHasNoFreeBox)
{
    ZRKBoxes boxes;
    std::string why;
    ASSERT_TRUE(boxes.load("res/server/boxes.json", why)) << why;
    std::map<std::string, ZRKPrizeBoxes::Fighter> fighters;
    fighters["a"].flags = ZRKPrizeBoxes::kWon;
    fighters["a"].openings = 1;
    fighters["b"].flags = ZRKPrizeBoxes::kLeft;
    auto draw = [&](std::uint64_t seed) {
        ZRKPrizeBoxes prizes;
        core::RandomNumber random(seed);
        const ZRKPrizeBoxes::Battle& b = prizes.open(boxes, "r", false, 0.0, 22.0, fighters, random);
        std::string out;
        for (const auto& o : b.offers)
            out +=
                std::to_string(o.loot.type) + ":" + std::to_string(o.loot.id) + ":" + std::to_string(o.loot.num) + ";";
        EXPECT_GT(ZRKPrizeBoxes::priceFor(boxes, b, "b", 4).kind, 0);
        EXPECT_EQ(ZRKPrizeBoxes::freeBoxOf(b, "a"), 0);
        return out;
    };
    EXPECT_EQ(draw(3), draw(3));
    EXPECT_NE(draw(3) + draw(4) + draw(5), draw(3) + draw(3) + draw(3));
}

TEST(PrizeBoxes, BrokenNumbersCloseTheBoxes)
{
    ZRKBoxes boxes;
    std::string why;
    Json::Value doc;
    std::ifstream("res/server/boxes.json") >> doc;
    ASSERT_TRUE(boxes.read(doc, why)) << why;
    for (auto edit : std::vector<std::function<void(Json::Value&)>>{
             [](Json::Value& d) { d["prize"]["offers"] = 9; },
             [](Json::Value& d) { d["prize"]["prices"][0]["kind"] = 4; },
             [](Json::Value& d) { d["prize"]["prices"][0]["kind"] = 0; },
             [](Json::Value& d) { d["prize"]["loot"][0]["num"] = -1; },
             [](Json::Value& d) { d["prize"]["loot"][4].removeMember("id"); },
             [](Json::Value& d) { d["unlock_rank"]["param"] = Json::Value(Json::arrayValue); },
             [](Json::Value& d) { d["unlock_rank"]["param"][0] = 1e99; },
             [](Json::Value& d) { d["bag_boxes"]["x1"] = d["bag_boxes"]["5001"]; },
             [](Json::Value& d) { d["functions"]["5102"]["slots"] = 0; },
         }) {
        Json::Value bad = doc;
        edit(bad);
        EXPECT_FALSE(boxes.read(bad, why));
        EXPECT_FALSE(boxes.isOpen());
    }
    // The client's settings price the cards as the server does.
    std::ifstream settings("res/lan/settings.json");
    Json::Value lan;
    settings >> lan;
    ASSERT_TRUE(boxes.read(doc, why));
    Json::Value param;
    std::string error;
    ASSERT_TRUE(core::JsonText::parse(lan["pc_item/unlock_rank/param"].asString(), param, error));
    for (Json::ArrayIndex i = 0; i < 6; ++i)
        EXPECT_EQ(param[i].asInt64(), boxes.unlockParam()[i]);
    EXPECT_EQ(lan["pc_item/unlock_rank/day"].asInt64(), boxes.unlockDays());
}

// ---- Bag items, straight at the server ----

namespace {

/// Hero logged in on a server of its own; requests answered at once.
struct Bag {
    explicit Bag(const ZRKServerConfig& c = config()) : core(c, 0)
    {
        connection = core.connect();
        Json::Value args;
        args["name"] = "hero";
        args["password"] = "hero123";
        ask("login", args);
    }
    ~Bag() { EXPECT_EQ(worldFault(core.world()), ""); }
    static ZRKServerConfig config()
    {
        ZRKServerConfig c;
        c.bots = 0;
        c.seed = 42;
        c.database = ":memory:";
        return c;
    }
    ZRKMessage ask(const std::string& op, const Json::Value& args)
    {
        ZRKRequestInfo r;
        r.handle = ++handle;
        r.op = op;
        r.args = args;
        core.handle(connection, ZRKMessage::request(r));
        std::vector<ZRKMessage> out;
        core.take(connection, out);
        return out.empty() ? ZRKMessage() : out.back();
    }
    static Json::Value list(std::initializer_list<int> slots)
    {
        Json::Value l(Json::arrayValue);
        for (int s : slots)
            l.append(s);
        return l;
    }
    long long n(const std::string& sql) { return number(core.world(), sql); }
    long long item(int slot, const char* column)
    {
        return n(std::string("SELECT ") + column +
                 " FROM inventory WHERE player = 'hero' AND slot = " + std::to_string(slot));
    }
    long long money(int kind) { return core.world().player("hero")->money[kind]; }
    void exec(const std::string& sql)
    {
        EXPECT_TRUE(core.world().db().exec(sql)) << sql;
        core.world().forgetRead();
    }
    std::string snapshot()
    {
        std::string out;
        ZRKDatabase::Statement& q =
            core.world().db().prepare("SELECT slot, i_id, count FROM inventory WHERE player = 'hero' ORDER BY slot");
        while (q.step())
            out += std::to_string(q.integer(0)) + ":" + std::to_string(q.integer(1)) + "x" +
                   std::to_string(q.integer(2)) + ";";
        q.reset();
        const ZRKWorld::Player* p = core.world().player("hero");
        return out + " " + std::to_string(p->money[0]) + "," + std::to_string(p->money[1]) + "," +
               std::to_string(p->money[2]) + " rank " + std::to_string(p->rank);
    }
    /// Each item kind's total count.
    std::map<long long, long long> counts()
    {
        std::map<long long, long long> out;
        ZRKDatabase::Statement& q =
            core.world().db().prepare("SELECT i_id, count FROM inventory WHERE player = 'hero'");
        while (q.step())
            out[q.integer(0)] += q.integer(1);
        q.reset();
        return out;
    }

    ZRKServerCore core;
    long connection = 0;
    long handle = 0;
};

const int kBronzeBoxes = 81, kSilverBox = 82, kLieutenantCard = 83, kCorporalCard = 84, kFreshStart = 85,
          kBiggerBag = 86, kNewName = 87;

} // namespace

TEST(BagItems, ABoxGivesItsLootInOrderAndUsesOneAndWhatIsNoBoxIsRefused)
{
    Bag bag;
    const long long coins = bag.money(ZRKWorld::Coins);
    ZRKMessage opened = bag.ask("queryBagOpenBox", Bag::list({kBronzeBoxes}));
    ASSERT_FALSE(opened.error) << opened.text;
    const Json::Value& rows = opened.views["open_box"]["Item"];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["bi_type"].asInt(), 1);
    EXPECT_EQ(rows[2]["bi_id"].asInt(), 7002);
    EXPECT_EQ(bag.money(ZRKWorld::Coins), coins + 300);
    EXPECT_EQ(bag.item(kBronzeBoxes, "count"), 1);
    EXPECT_EQ(bag.item(77, "i_id"), 7002); // the first free slot of the bag
    EXPECT_FALSE(opened.views["bagOpenBox"]["ERR"].asBool());

    const std::string before = bag.snapshot();
    for (const Json::Value& bad : {Bag::list({61}), Bag::list({201}), Bag::list({-5}), Bag::list({100}),
                                   Json::Value("4294967377"), Json::Value(Json::arrayValue)}) {
        ZRKMessage refused = bag.ask("queryBagOpenBox", bad);
        EXPECT_TRUE(refused.error);
        EXPECT_TRUE(refused.views["bagOpenBox"]["ERR"].asBool());
    }
    EXPECT_EQ(bag.snapshot(), before);
    // A full bag: the item goes to the temporary bag.
    bag.exec("UPDATE inventory SET count = 2 WHERE player = 'hero' AND slot = 81");
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot) SELECT 'hero', 7201, 1, s.v FROM "
             "(WITH RECURSIVE r(v) AS (SELECT 61 UNION ALL SELECT v + 1 FROM r WHERE v < 90) SELECT v FROM r) s "
             "WHERE s.v NOT IN (SELECT slot FROM inventory WHERE player = 'hero')");
    ASSERT_FALSE(bag.ask("queryBagOpenBox", Bag::list({kBronzeBoxes})).error);
    EXPECT_EQ(bag.item(202, "i_id"), 7002);
    EXPECT_EQ(bag.item(kBronzeBoxes, "count"), 1);
    // The last box frees its slot, where its item goes.
    ASSERT_FALSE(bag.ask("queryBagOpenBox", Bag::list({kBronzeBoxes})).error);
    EXPECT_EQ(bag.item(kBronzeBoxes, "i_id"), 7002);
}

TEST(BagItems, ARankCardCostsItsPriceLendsTheRankAndTheEarnedOneComesBack)
{
    Bag bag;
    // Hero is rank 5; the card lends 6: 3 x (36 - 25) = 33 medals, and he has 5.
    const std::string before = bag.snapshot();
    EXPECT_TRUE(bag.ask("queryBagUnlockRank", Bag::list({kLieutenantCard})).error);
    EXPECT_EQ(bag.snapshot(), before);
    EXPECT_TRUE(bag.ask("queryBagUnlockRank", Bag::list({kCorporalCard})).error); // below his rank
    EXPECT_EQ(bag.snapshot(), before);
    bag.exec("UPDATE players SET money3 = 33 WHERE name = 'hero'");
    ZRKMessage lent = bag.ask("queryBagUnlockRank", Bag::list({kLieutenantCard}));
    ASSERT_FALSE(lent.error) << lent.text;
    EXPECT_EQ(bag.money(ZRKWorld::Medals), 0);
    EXPECT_EQ(bag.core.world().player("hero")->rank, 6);
    EXPECT_EQ(bag.item(kLieutenantCard, "count"), -1);
    EXPECT_EQ(lent.views["pc"]["pc_rank"].asInt(), 6);
    // Not yet: the days run; then the rank he earned.
    bag.core.advanceWallTime(29 * 86400.0);
    ZRKBoxOps::returnRank(bag.core, "hero");
    EXPECT_EQ(bag.core.world().player("hero")->rank, 6);
    bag.core.advanceWallTime(2 * 86400.0);
    ZRKBoxOps::returnRank(bag.core, "hero");
    EXPECT_EQ(bag.core.world().player("hero")->rank, 5);
    EXPECT_FALSE(bag.core.world().player("hero")->settings->isMember("pc_rank_until"));
}

TEST(BagItems, SortingKeepsEveryCountAndRecyclingIsAllOrNothing)
{
    Bag bag;
    // Two stacks of one kind that fit one, and an item of the temporary bag.
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot, count) VALUES('hero', 7001, 1, 79, 3)");
    const std::map<long long, long long> counts = bag.counts();
    ASSERT_FALSE(bag.ask("bagRange", Json::Value(Json::arrayValue)).error);
    EXPECT_EQ(bag.counts(), counts);
    EXPECT_EQ(bag.item(201, "i_id"), -1); // the temporary bag came in
    EXPECT_EQ(bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 7001"), 1);
    EXPECT_EQ(bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND slot >= 61 AND slot < 61 + "
                    "(SELECT count(*) FROM inventory WHERE player = 'hero' AND slot >= 61)"),
              bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND slot >= 61")); // no gaps
    EXPECT_EQ(bag.item(1, "i_id"), -1);
    EXPECT_EQ(bag.item(3, "i_id"), 2001); // worn items stay

    // Recycle: a slot named twice, an empty one or one outside the bag refuses the whole list.
    const int gloves = static_cast<int>(bag.n("SELECT slot FROM inventory WHERE player = 'hero' AND i_id = 3002"));
    const int lace = static_cast<int>(bag.n("SELECT slot FROM inventory WHERE player = 'hero' AND i_id = 3003"));
    const std::string before = bag.snapshot();
    for (const Json::Value& bad :
         {Bag::list({gloves, gloves}), Bag::list({gloves, 90}), Bag::list({gloves, 3}), Json::Value(Json::arrayValue)})
        EXPECT_TRUE(bag.ask("bagDrop", bad).error);
    EXPECT_EQ(bag.snapshot(), before);
    const long long coins = bag.money(ZRKWorld::Coins);
    ASSERT_FALSE(bag.ask("bagDrop", Bag::list({gloves, lace})).error);
    EXPECT_EQ(bag.money(ZRKWorld::Coins), coins + 40 + 60);
    EXPECT_EQ(bag.item(gloves, "i_id"), -1);
    EXPECT_EQ(bag.item(lace, "i_id"), -1);
}

TEST(BagItems, SortMergesStacksWhateverTheirBuyTimesAndKeepsTimedOnesApart)
{
    Bag bag;
    // Hero's five stones of slot 68 (never bought), and two bought one at a time.
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot, count, buy_time) VALUES('hero', 7001, 1, 79, 1, "
             "'2026-12-05 10:00:00')");
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot, count, buy_time) VALUES('hero', 7001, 1, 80, 1, "
             "'2026-12-01 09:00:00')");
    // Two fine stones for 30 days beside his two that last.
    for (int slot : {77, 78})
        bag.exec(
            "INSERT INTO inventory(player, i_id, bag, slot, count, buy_time, expiry_day) VALUES('hero', 7002, 1, " +
            std::to_string(slot) + ", 1, '2026-12-06 08:00:00', 30)");
    ASSERT_FALSE(bag.ask("bagRange", Json::Value(Json::arrayValue)).error);
    EXPECT_EQ(bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 7001"), 1);
    EXPECT_EQ(bag.n("SELECT count FROM inventory WHERE player = 'hero' AND i_id = 7001"), 7);
    ZRKDatabase::Statement& q =
        bag.core.world().db().prepare("SELECT buy_time FROM inventory WHERE player = 'hero' AND i_id = 7001");
    ASSERT_TRUE(q.step());
    EXPECT_EQ(q.text(0), "2026-12-01 09:00:00") << "the stack is as old as its first piece bought";
    q.reset();
    EXPECT_EQ(bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 7002"), 3);
    EXPECT_EQ(bag.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 7002 AND expiry_day = 30 AND "
                    "count = 1"),
              2);
}

TEST(BagItems, AnItemLeftJustPastTheBagsEndIsNoBagItem)
{
    Bag bag;
    // Hero's bag proper ends at slot 90: a box and a function item lying at 91 are out of reach.
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot, count) VALUES('hero', 5001, 1, 91, 1)");
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot, count) VALUES('hero', 5101, 1, 92, 1)");
    const std::string before = bag.snapshot();
    EXPECT_TRUE(bag.ask("bagDrop", Bag::list({91})).error);
    EXPECT_TRUE(bag.ask("queryBagOpenBox", Bag::list({91})).error);
    Json::Value use(Json::arrayValue);
    use[0]["slot"] = 92;
    use[0]["type"] = 1;
    EXPECT_TRUE(bag.ask("queryUseFunItem", use).error);
    EXPECT_EQ(bag.snapshot(), before);
    // The bag's last slot is one of it.
    bag.exec("UPDATE inventory SET slot = 90 WHERE player = 'hero' AND slot = 91");
    EXPECT_FALSE(bag.ask("bagDrop", Bag::list({90})).error);
}

TEST(BagItems, ARefusalAfterAWriteUndoesItSortKeepsStackSizesAndNoSlotPastABagsEndIsTaken)
{
    Bag bag;
    // Both bags full: the box is used up and its coins given before its stone finds no room.
    bag.exec("UPDATE inventory SET count = 2 WHERE player = 'hero' AND slot = 81");
    bag.exec("INSERT INTO inventory(player, i_id, bag, slot) SELECT 'hero', 7201, 1, s.v FROM "
             "(WITH RECURSIVE r(v) AS (SELECT 61 UNION ALL SELECT v + 1 FROM r WHERE v < 260) SELECT v FROM r) s "
             "WHERE (s.v < 121 OR s.v >= 201) AND s.v NOT IN (SELECT slot FROM inventory WHERE player = 'hero')");
    const std::string full = bag.snapshot();
    ZRKMessage refused = bag.ask("queryBagOpenBox", Bag::list({kBronzeBoxes}));
    EXPECT_TRUE(refused.error);
    EXPECT_NE(refused.text.find(' '), std::string::npos) << "a readable text: " << refused.text;
    EXPECT_EQ(bag.snapshot(), full) << "the box and its coins came back";
    EXPECT_EQ(bag.item(kBronzeBoxes, "count"), 2);

    // Sorting merges stacks up to their sub-class's size (boxes: 10), never past it.
    Bag sorted;
    sorted.exec("UPDATE inventory SET count = 7 WHERE player = 'hero' AND slot = 81");
    sorted.exec("INSERT INTO inventory(player, i_id, bag, slot, count) VALUES('hero', 5001, 1, 79, 6)");
    sorted.exec("INSERT INTO inventory(player, i_id, bag, slot, count) VALUES('hero', 5001, 1, 80, 9)");
    const std::map<long long, long long> counts = sorted.counts();
    ASSERT_FALSE(sorted.ask("bagRange", Json::Value(Json::arrayValue)).error);
    EXPECT_EQ(sorted.counts(), counts);
    EXPECT_EQ(sorted.n("SELECT max(count) FROM inventory WHERE player = 'hero' AND i_id = 5001"), 10);
    EXPECT_EQ(sorted.n("SELECT count(*) FROM inventory WHERE player = 'hero' AND i_id = 5001"), 3); // 10, 10, 2

    // The first slot past each bag's end takes nothing: worn, the weapon bags, the props, the
    // bag proper as big as the player's, the temporary bag.
    Bag moves;
    moves.exec(
        "UPDATE players SET settings = json_set(coalesce(settings, '{}'), '$.pc_bag_slot', 30) WHERE name = 'hero'");
    const std::string before = moves.snapshot();
    auto move = [&moves](int from, int to) {
        Json::Value m(Json::arrayValue);
        m[0]["slot_from"] = from;
        m[0]["slot_to"] = to;
        return moves.ask("changeSlot", m);
    };
    for (const auto& past : std::vector<std::pair<int, int>>{
             {3, 13}, {21, 30}, {21, 40}, {21, 50}, {51, 61 + 30}, {62, 61 + 30}, {62, 261}, {62, 0}})
        EXPECT_TRUE(move(past.first, past.second).error) << past.first << " to " << past.second;
    EXPECT_EQ(moves.snapshot(), before);
    // ... while the last slot of each is a place.
    EXPECT_FALSE(move(62, 61 + 29).error);
}

TEST(BagItems, EveryBagEndsWhereItsLastSlotIs)
{
    // Each bag's first and last slot, and the slots just outside it.
    const std::vector<std::pair<int, int>> slots{{0, -1},   {1, 0},    {12, 0},   {13, -1},  {20, -1}, {21, 2},
                                                 {29, 2},   {30, -1},  {31, 3},   {39, 3},   {40, -1}, {41, 4},
                                                 {49, 4},   {50, -1},  {51, 5},   {60, 5},   {61, 1},  {120, 1},
                                                 {121, -1}, {200, -1}, {201, 11}, {260, 11}, {261, -1}};
    for (const auto& s : slots)
        EXPECT_EQ(ZRKBagLayout::bagOf(s.first), s.second) << "slot " << s.first;
}

TEST(BagItems, ARecycleRefusedAfterItsFirstWriteGivesEverythingBack)
{
    Bag bag;
    const int gloves = static_cast<int>(bag.n("SELECT slot FROM inventory WHERE player = 'hero' AND i_id = 3002"));
    const int lace = static_cast<int>(bag.n("SELECT slot FROM inventory WHERE player = 'hero' AND i_id = 3003"));
    const std::string before = bag.snapshot();
    // The lace's slot goes the moment the gloves are recycled: the server has taken the gloves
    // when it finds nothing left to take in the second slot.
    bag.exec("CREATE TEMP TRIGGER lace_goes AFTER DELETE ON inventory WHEN old.player = 'hero' AND old.slot = " +
             std::to_string(gloves) +
             " BEGIN DELETE FROM inventory WHERE player = 'hero' AND slot = " + std::to_string(lace) + "; END");
    ZRKMessage went = bag.ask("bagDrop", Bag::list({gloves, lace}));
    EXPECT_TRUE(went.error);
    EXPECT_EQ(bag.snapshot(), before) << "the gloves came back with the refusal";
    bag.exec("DROP TRIGGER lace_goes");

    // Both items taken, then the coins cannot be paid: both come back, and no coin is paid.
    bag.exec("CREATE TEMP TRIGGER no_pay BEFORE UPDATE OF money1 ON players BEGIN SELECT RAISE(ABORT, 'closed'); END");
    ZRKMessage unpaid = bag.ask("bagDrop", Bag::list({gloves, lace}));
    EXPECT_TRUE(unpaid.error);
    EXPECT_EQ(bag.snapshot(), before);
    bag.exec("DROP TRIGGER no_pay");
    EXPECT_FALSE(bag.ask("bagDrop", Bag::list({gloves, lace})).error);
    EXPECT_EQ(bag.item(gloves, "i_id"), -1);
}

TEST(BagItems, FunctionItemsResetPointsGrowTheBagAndRenameUnderTheNameRules)
{
    Bag bag;
    auto use = [&](int slot, int type, const std::string& param) {
        Json::Value u;
        u["slot"] = slot;
        u["type"] = type;
        u["param"] = param;
        Json::Value args(Json::arrayValue);
        args.append(u);
        return bag.ask("queryUseFunItem", args);
    };
    const std::string before = bag.snapshot();
    EXPECT_TRUE(use(kFreshStart, 2, "").error); // the item does not do that
    EXPECT_TRUE(use(kBiggerBag, 2, "").views["useFunItem"]["ERR"].asBool() == false);
    EXPECT_EQ(bag.core.world().bagSlots(*bag.core.world().player("hero")), 35);
    EXPECT_NE(bag.snapshot(), before);

    ASSERT_FALSE(use(kFreshStart, 1, "").error);
    const ZRKWorld::Player* p = bag.core.world().player("hero");
    EXPECT_EQ(p->points, 5 + 3 + 2 + 1 + 0);
    EXPECT_EQ(p->abilities[0] + p->abilities[1] + p->abilities[2] + p->abilities[3], 0);

    const std::string named = bag.snapshot();
    EXPECT_TRUE(use(kNewName, 3, "").error);
    EXPECT_TRUE(use(kNewName, 3, "bad name!").error);
    EXPECT_TRUE(use(kNewName, 3, "HEROINE").error); // taken, as letters fold
    EXPECT_EQ(bag.snapshot(), named);
    ASSERT_FALSE(use(kNewName, 3, "Captain").error);
    EXPECT_EQ(bag.core.world().player("hero")->nick, "Captain");
    EXPECT_EQ(bag.item(kNewName, "count"), -1);
}

TEST(BagItems, WithoutSoundNumbersEveryBoxRequestIsRefusedAndNothingChanges)
{
    zrktest::TempDir dir;
    for (const char* f : {"accounts.json", "bots.json", "itemclasses.json", "libs.json", "lobby.json", "maps.json",
                          "master.json", "players.json", "rooms.json", "forge.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    zrktest::writeFile(dir.file("boxes.json"), "{\"prize\": {\"offers\": 80}}");
    ZRKServerConfig config = Bag::config();
    config.folder = dir.path();
    Bag bag(config);
    ZRKServerCore& core = bag.core;
    EXPECT_FALSE(core.boxes().isOpen());
    const long long items = number(core.world(), "SELECT count(*) FROM inventory WHERE player = 'hero'");
    for (const char* op : {"queryBagOpenBox", "queryBagUnlockRank"}) {
        ZRKMessage refused = bag.ask(op, Bag::list({kBronzeBoxes}));
        EXPECT_TRUE(refused.error) << op;
        EXPECT_EQ(refused.text, core.text("box/closed"));
    }
    EXPECT_EQ(number(core.world(), "SELECT count(*) FROM inventory WHERE player = 'hero'"), items);
}
