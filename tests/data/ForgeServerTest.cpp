// The server's forge with a fixed seed: a preview changes nothing, a perform takes the money
// and one of each stone and draws once at the preview's chance, the same seed replays, bad
// requests and a closed forge are refused leaving the world as it was, and a run killed in a
// stream of performs loses nothing it answered. Every test ends with a look at the world:
// no slot holding two items, no count below 1, no money below 0.
#include <gtest/gtest.h>

#include <server/ZRKDatabase.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <server/ZRKWorldInventory.h>
#include <fstream>
#include <json/json.h>
#include <support/TestEnv.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kCoat = 65, kCannon = 66, kScoutCoat = 67, kStones = 68, kFineStones = 69, kLuck = 70, kSafety = 71;
const int kRuby = 75;

/// The fixtures in a folder of the test's own, with forge.json as the test wants it.
struct Fixtures {
    zrktest::TempDir dir;
    explicit Fixtures(const std::function<void(Json::Value&)>& edit = nullptr)
    {
        for (const char* f : {"accounts.json", "bots.json", "itemclasses.json", "libs.json", "lobby.json", "maps.json",
                              "master.json", "players.json", "rooms.json", "forge.json"})
            zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
        if (edit) {
            Json::Value forge;
            std::ifstream("res/server/forge.json") >> forge;
            edit(forge);
            zrktest::writeFile(dir.file("forge.json"), Json::FastWriter().write(forge));
        }
    }
    ZRKServerConfig config(std::uint64_t seed = 42) const
    {
        ZRKServerConfig c;
        c.folder = dir.path();
        c.bots = 0;
        c.seed = seed;
        return c;
    }
};

/// Every level at one chance and one price.
std::function<void(Json::Value&)> levelsAt(double rate, int cost)
{
    return [rate, cost](Json::Value& forge) {
        for (Json::Value& level : forge["enhance"]["levels"]) {
            level["rate"] = rate;
            level["cost"] = cost;
        }
        forge["stones"]["7001"]["enhance"] = 0.0;
    };
}

/// Hero logged in on a server of its own; requests answered at once.
struct Forge {
    explicit Forge(const ZRKServerConfig& config = Fixtures().config()) : core(config, 0)
    {
        connection = core.connect();
        Json::Value args;
        args["name"] = "hero";
        args["password"] = "hero123";
        ask("login", args);
    }
    ~Forge() { EXPECT_EQ(worldFault(), "") << "the world is unsound"; }

    /// (error, views) of one request.
    ZRKMessage ask(const std::string& op, const Json::Value& args)
    {
        return datatest::ask(core, connection, ++handle, op, args);
    }
    static Json::Value list(std::initializer_list<int> slots)
    {
        Json::Value l(Json::arrayValue);
        for (int s : slots)
            l.append(s);
        return l;
    }
    static Json::Value enhanceArgs(int item, std::initializer_list<int> stones, std::initializer_list<int> luck,
                                   std::initializer_list<int> safe, bool withSafe = true)
    {
        Json::Value a;
        a["pci_slot"] = item;
        a["eh_stone"] = list(stones);
        a["luck_stone"] = list(luck);
        if (withSafe)
            a["safe_stone"] = list(safe);
        return a;
    }
    /// Everything the forge may change, as one text: the items and the money.
    std::string snapshot()
    {
        std::string out;
        ZRKDatabase::Statement& q = core.world().db().prepare(
            "SELECT slot, i_id, count, lv, pci_str, pci_luck, pci_dex, pci_vit, mix_times, mix_max, enh_f, attr_x "
            "FROM inventory WHERE player = 'hero' ORDER BY slot");
        while (q.step()) {
            for (int c = 0; c < 11; ++c)
                out += std::to_string(q.integer(c)) + ",";
            out += q.text(11) + ";";
        }
        q.reset();
        ZRKDatabase::Statement& m =
            core.world().db().prepare("SELECT money1, money2, money3 FROM players WHERE name = 'hero'");
        if (m.step())
            out += "money " + std::to_string(m.integer(0)) + "," + std::to_string(m.integer(1)) + "," +
                   std::to_string(m.integer(2));
        m.reset();
        return out;
    }
    /// Writes to the world behind its back, and makes it read again.
    void exec(const std::string& sql)
    {
        EXPECT_TRUE(core.world().db().exec(sql)) << sql;
        core.world().forgetRead();
    }
    long long number(const std::string& sql)
    {
        ZRKDatabase::Statement& q = core.world().db().prepare(sql);
        const long long v = q.step() ? q.integer(0) : -1;
        q.reset();
        return v;
    }
    long long item(int slot, const char* column)
    {
        return number(std::string("SELECT ") + column +
                      " FROM inventory WHERE player = 'hero' AND slot = " + std::to_string(slot));
    }
    /// What would make the world unsound; empty when it is sound.
    std::string worldFault()
    {
        if (number("SELECT count(*) FROM (SELECT 1 FROM inventory GROUP BY player, slot HAVING count(*) > 1)") != 0)
            return "a slot holds two items";
        if (number("SELECT count(*) FROM inventory WHERE count < 1") != 0)
            return "a count below 1";
        if (number("SELECT count(*) FROM players WHERE money1 < 0 OR money2 < 0 OR money3 < 0") != 0)
            return "money below 0";
        if (number("SELECT count(*) FROM inventory WHERE lv < 0 OR lv > 12") > 0)
            return "a level out of range";
        return std::string();
    }

    ZRKServerCore core;
    long connection = 0;
    long handle = 0;
};

} // namespace

TEST(ForgeServer, APreviewPricesAndChangesNothingAndThePerformTakesMoneyAndOneOfEachStone)
{
    Forge forge;
    const std::string before = forge.snapshot();
    ZRKMessage preview =
        forge.ask("queryIfEnhance", Forge::enhanceArgs(kCoat, {kStones, kFineStones}, {kLuck}, {}, false));
    ASSERT_FALSE(preview.error) << preview.text;
    const Json::Value& p = preview.views["forge/ifEnhance"];
    EXPECT_TRUE(p["can"].asBool());
    EXPECT_EQ(p["money"].asInt(), 200);
    EXPECT_NEAR(p["rate1"].asDouble(), 0.7 + 0.05 + 0.1 + 0.1, 1e-9);
    EXPECT_NEAR(p["rate1"].asDouble() + p["rate2"].asDouble() + p["rate3"].asDouble(), 1.0, 1e-9);
    EXPECT_EQ(p["rate2"].asDouble(), 0.0);
    EXPECT_EQ(p["nValue"].asInt(), 3);
    ZRKMessage safe = forge.ask("queryIfEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {kSafety}));
    EXPECT_EQ(safe.views["forge/ifEnhance"]["rate3"].asDouble(), 0.0);
    EXPECT_EQ(forge.snapshot(), before);

    ZRKMessage done = forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones, kFineStones}, {kLuck}, {kSafety}));
    ASSERT_FALSE(done.error) << done.text;
    const Json::Value& r = done.views["forge/enhance"];
    EXPECT_FALSE(r["ERR"].asBool());
    EXPECT_FALSE(r["MSG"].asString().empty());
    const long long level = forge.item(kCoat, "lv");
    EXPECT_EQ(r["nValue"].asInt64(), level);
    EXPECT_EQ(level, r["result"].asInt() == 1 ? 3 : 2);
    EXPECT_EQ(forge.item(kCoat, "enh_f"), level == 3 ? 4 + 3 : 4);
    EXPECT_EQ(forge.number("SELECT money1 FROM players WHERE name = 'hero'"), 1200 - 200);
    EXPECT_EQ(forge.item(kStones, "count"), 4);
    EXPECT_EQ(forge.item(kFineStones, "count"), 1);
    EXPECT_EQ(forge.item(kLuck, "count"), 1);
    EXPECT_EQ(forge.item(kSafety, "count"), -1); // the last one: its slot is free
    // The answer carries the new bag.
    bool coatShown = false;
    for (const Json::Value& i : done.views["inventory"]["items"])
        coatShown = coatShown || (i["pci_slot"].asInt() == kCoat && i["pci_lv"].asInt64() == level);
    EXPECT_TRUE(coatShown);
}

TEST(ForgeServer, TenThousandPerformsAtThirtyPercentSucceedAboutThatOftenAndTheSeedReplaysThem)
{
    Fixtures fixtures(levelsAt(0.3, 0));
    auto run = [&fixtures](std::uint64_t seed, int performs) {
        Forge forge(fixtures.config(seed));
        forge.exec("UPDATE inventory SET count = 20000 WHERE player = 'hero' AND slot = 68");
        std::vector<int> outcomes;
        const Json::Value args = Forge::enhanceArgs(kCoat, {kStones}, {}, {kSafety});
        Json::Value noSafety = args;
        noSafety["safe_stone"] = Json::Value(Json::arrayValue);
        int gains = 0;
        for (int i = 0; i < performs; ++i) {
            ZRKMessage m = forge.ask("queryEnhance", noSafety);
            if (m.error)
                return std::vector<int>{-1, i};
            outcomes.push_back(m.views["forge/enhance"]["result"].asInt());
            // Down to level 0 now and then, so the top level is never reached.
            if (m.views["forge/enhance"]["nValue"].asInt() >= 10)
                forge.exec("UPDATE inventory SET lv = 0, enh_f = 0 WHERE player = 'hero' AND slot = 65");
            gains += outcomes.back() == 1;
        }
        EXPECT_EQ(forge.item(kStones, "count"), 20000 - performs); // one stone each
        if (performs == 10000) {
            EXPECT_GE(gains, 2800);
            EXPECT_LE(gains, 3200);
        }
        return outcomes;
    };
    const std::vector<int> first = run(7, 10000);
    ASSERT_EQ(first.size(), 10000u);
    // The same seed and the same requests draw the same outcomes; another seed does not.
    EXPECT_EQ(run(7, 1000), std::vector<int>(first.begin(), first.begin() + 1000));
    EXPECT_NE(run(8, 200), std::vector<int>(first.begin(), first.begin() + 200));
}

TEST(ForgeServer, BadRequestsAreRefusedReadablyAndLeaveTheWorldAsItWas)
{
    Forge forge;
    const std::string before = forge.snapshot();
    Json::Value thousand(Json::arrayValue);
    for (int i = 0; i < 1000; ++i)
        thousand.append(kStones);
    Json::Value tooMany = Forge::enhanceArgs(kCoat, {kStones}, {}, {});
    tooMany["eh_stone"] = thousand;
    Json::Value huge = Forge::enhanceArgs(kCoat, {kStones}, {}, {});
    huge["pci_slot"] = Json::Int64(99999999999999LL);
    Json::Value text = Forge::enhanceArgs(kCoat, {kStones}, {}, {});
    text["eh_stone"][0] = "sixty-eight";
    const std::vector<std::pair<std::string, Json::Value>> enhances = {
        {"no stones", Forge::enhanceArgs(kCoat, {}, {}, {})},
        {"a thousand stones", tooMany},
        {"a slot named past its count", Forge::enhanceArgs(kCoat, {kFineStones, kFineStones, kFineStones}, {}, {})},
        {"the item itself", Forge::enhanceArgs(kCoat, {kCoat}, {}, {})},
        {"a worn slot", Forge::enhanceArgs(3, {kStones}, {}, {})},
        {"an empty slot", Forge::enhanceArgs(kCoat, {77}, {}, {})},
        {"a slot out of the bag", Forge::enhanceArgs(kCoat, {9999}, {}, {})},
        {"a negative slot", Forge::enhanceArgs(-5, {kStones}, {}, {})},
        {"a huge slot", huge},
        {"a slot as text", text},
        {"the wrong kind", Forge::enhanceArgs(kCoat, {kRuby}, {}, {})},
        {"a luck stone as safety", Forge::enhanceArgs(kCoat, {kStones}, {}, {kLuck})},
        {"two luck stones", Forge::enhanceArgs(kCoat, {kStones}, {kLuck, kLuck}, {})},
        {"a stone to enhance", Forge::enhanceArgs(kStones, {kFineStones}, {}, {})},
        {"no object", Json::Value(Json::arrayValue)},
    };
    for (const auto& bad : enhances) {
        for (const char* op : {"queryIfEnhance", "queryEnhance"}) {
            ZRKMessage m = forge.ask(op, bad.second);
            EXPECT_TRUE(m.error) << bad.first << " " << op;
            const Json::Value& v = m.views[std::string(op) == "queryEnhance" ? "forge/enhance" : "forge/ifEnhance"];
            EXPECT_TRUE(v["ERR"].asBool()) << bad.first;
            EXPECT_FALSE(v["MSG"].asString().empty()) << bad.first;
            EXPECT_NE(v["MSG"].asString().find(' '), std::string::npos) << "a readable text, not a key: " << bad.first;
        }
    }
    auto mixArgs = [](int a, long long type, int b, int luck) {
        Json::Value l(Json::arrayValue);
        l.append(a);
        l.append(Json::Int64(type));
        l.append(b);
        l.append(luck);
        return l;
    };
    for (long long type : {0LL, -1LL, 99LL, 4294967297LL})
        EXPECT_TRUE(forge.ask("queryMix", mixArgs(kCoat, type, kScoutCoat, -1)).error) << type;
    EXPECT_TRUE(forge.ask("queryMix", mixArgs(kCoat, 1, kCannon, -1)).error); // a cannon into a coat
    EXPECT_TRUE(forge.ask("queryMix", mixArgs(kCoat, 1, kCoat, -1)).error);
    Json::Value enchase = Forge::list({kCoat, kRuby, 0, 0, 0, 0}); // hole 1 holds a topaz
    EXPECT_TRUE(forge.ask("queryEnchase", enchase).error);
    EXPECT_TRUE(forge.ask("queryEnchase", Forge::list({kCoat, 0, 0, 0, kRuby, 0})).error); // the coat has 3 holes
    EXPECT_TRUE(forge.ask("queryEnchase", Forge::list({kCoat, 0, kStones, 0, 0, 0})).error);
    EXPECT_TRUE(forge.ask("queryEnchase", Forge::list({kCoat, 0, kRuby, 0, 0})).error);
    Json::Value refine;
    refine["metal"] = Forge::list({72, 73, 75});
    refine["luck_stone"] = Json::Value(Json::arrayValue);
    EXPECT_TRUE(forge.ask("queryRefine", refine).error);
    refine["metal"] = Forge::list({72, 73});
    EXPECT_TRUE(forge.ask("queryRefine", refine).error);
    EXPECT_EQ(forge.snapshot(), before);
}

TEST(ForgeServer, MoneyExactlyEnoughPassesAndOneShortIsRefused)
{
    Forge forge;
    forge.exec("UPDATE players SET money1 = 199 WHERE name = 'hero'");
    const Json::Value args = Forge::enhanceArgs(kCoat, {kStones}, {}, {kSafety});
    ZRKMessage preview = forge.ask("queryIfEnhance", args);
    EXPECT_FALSE(preview.views["forge/ifEnhance"]["can"].asBool());
    EXPECT_FALSE(preview.views["forge/ifEnhance"]["MSG"].asString().empty());
    const std::string before = forge.snapshot();
    EXPECT_TRUE(forge.ask("queryEnhance", args).error);
    EXPECT_EQ(forge.snapshot(), before);
    forge.exec("UPDATE players SET money1 = 200 WHERE name = 'hero'");
    EXPECT_TRUE(forge.ask("queryIfEnhance", args).views["forge/ifEnhance"]["can"].asBool());
    EXPECT_FALSE(forge.ask("queryEnhance", args).error);
    EXPECT_EQ(forge.number("SELECT money1 FROM players WHERE name = 'hero'"), 0);
}

TEST(ForgeServer, TheSafetyStoneKeepsTheLevelAndTheTopLevelCannotGoOn)
{
    Fixtures fixtures(levelsAt(0.0, 10));
    Forge forge(fixtures.config());
    forge.exec("UPDATE inventory SET count = 5 WHERE player = 'hero' AND slot = 71");
    EXPECT_FALSE(forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {kSafety})).error);
    EXPECT_EQ(forge.item(kCoat, "lv"), 2);
    EXPECT_EQ(forge.item(kCoat, "enh_f"), 4);
    EXPECT_FALSE(forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {})).error);
    EXPECT_EQ(forge.item(kCoat, "lv"), 1); // lost one, and what that level added
    EXPECT_EQ(forge.item(kCoat, "enh_f"), 2);
    forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {}));
    forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {}));
    EXPECT_EQ(forge.item(kCoat, "lv"), 0); // never below 0
    EXPECT_EQ(forge.item(kCoat, "enh_f"), 0);

    forge.exec("UPDATE inventory SET lv = 12 WHERE player = 'hero' AND slot = 65");
    ZRKMessage top = forge.ask("queryIfEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {}, false));
    EXPECT_FALSE(top.error);
    EXPECT_FALSE(top.views["forge/ifEnhance"]["can"].asBool());
    EXPECT_TRUE(forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {})).error);
    EXPECT_EQ(forge.item(kCoat, "lv"), 12);
}

TEST(ForgeServer, RefineUsesTheMetalsEitherWayAndAFullBagCannotTakeTheProduct)
{
    Forge forge;
    Json::Value refine;
    refine["metal"] = Forge::list({72, 73, 74});
    refine["luck_stone"] = Json::Value(Json::arrayValue);
    ZRKMessage preview = forge.ask("queryIfRefine", refine);
    EXPECT_TRUE(preview.views["forge/ifRefine"]["can"].asBool());
    EXPECT_EQ(preview.views["forge/ifRefine"]["desc"].asString(), "Steel Ingot");
    ZRKMessage done = forge.ask("queryRefine", refine);
    ASSERT_FALSE(done.error) << done.text;
    EXPECT_EQ(forge.item(72, "count"), 1);
    EXPECT_EQ(forge.item(74, "count"), -1);
    const int slot = done.views["forge/refine"]["slot"].asInt();
    if (done.views["forge/refine"]["result"].asInt() == 1) {
        EXPECT_EQ(slot, 73); // the first slot free once the metals were used
        EXPECT_EQ(forge.item(73, "i_id"), 7102);
    } else {
        EXPECT_EQ(slot, 0);
        EXPECT_EQ(forge.item(73, "count"), -1);
    }

    // A bag with no slot free even after the metals are used: the product has nowhere to go.
    Forge full;
    full.exec("UPDATE inventory SET count = 2 WHERE player = 'hero' AND slot IN (72, 73, 74)");
    for (int s : {77, 78, 79, 80, 88, 89, 90})
        full.exec("INSERT INTO inventory(player, i_id, bag, slot) VALUES('hero', 7201, 1, " + std::to_string(s) + ")");
    const std::string before = full.snapshot();
    EXPECT_FALSE(full.ask("queryIfRefine", refine).views["forge/ifRefine"]["can"].asBool());
    EXPECT_TRUE(full.ask("queryRefine", refine).error);
    EXPECT_EQ(full.snapshot(), before);
}

TEST(ForgeServer, OneStackOfFourRefinesThreeAndAStackOfTwoCannotStandForThree)
{
    Forge forge;
    forge.exec("UPDATE inventory SET count = 4 WHERE player = 'hero' AND slot = 72");
    Json::Value refine;
    refine["metal"] = Forge::list({72, 72, 72});
    refine["luck_stone"] = Json::Value(Json::arrayValue);
    ZRKMessage preview = forge.ask("queryIfRefine", refine);
    ASSERT_FALSE(preview.error) << preview.text;
    EXPECT_TRUE(preview.views["forge/ifRefine"]["can"].asBool());
    const long long money = forge.number("SELECT money1 FROM players WHERE name = 'hero'");
    ZRKMessage done = forge.ask("queryRefine", refine);
    ASSERT_FALSE(done.error) << done.text;
    EXPECT_EQ(forge.item(72, "count"), 1); // three of the four used, once each
    EXPECT_EQ(forge.number("SELECT money1 FROM players WHERE name = 'hero'"),
              money - preview.views["forge/ifRefine"]["money"].asInt64()); // what the preview said it costs
    if (done.views["forge/refine"]["result"].asInt() == 1) {
        EXPECT_EQ(forge.item(done.views["forge/refine"]["slot"].asInt(), "i_id"), 7102);
    }

    // The last piece of a stack named three times: the product takes the slot it leaves.
    forge.exec("UPDATE inventory SET count = 3 WHERE player = 'hero' AND slot = 72");
    forge.exec("DELETE FROM inventory WHERE player = 'hero' AND slot >= 77 AND slot < 93");
    for (int s = 77; s < 93; ++s)
        forge.exec("INSERT INTO inventory(player, i_id, bag, slot) VALUES('hero', 7201, 1, " + std::to_string(s) + ")");
    EXPECT_TRUE(forge.ask("queryIfRefine", refine).views["forge/ifRefine"]["can"].asBool());

    Forge two;
    const std::string before = two.snapshot();
    for (const char* op : {"queryIfRefine", "queryRefine"}) {
        ZRKMessage m = two.ask(op, refine);
        EXPECT_TRUE(m.error) << op;
        EXPECT_NE(m.text.find(' '), std::string::npos) << "a readable text, not a key: " << m.text;
    }
    EXPECT_EQ(two.snapshot(), before);
}

TEST(ForgeServer, MixPassesTheBonusesAndEnchaseSetsGemsWithoutADraw)
{
    Fixtures fixtures([](Json::Value& forge) { forge["mix"]["1"]["rate"] = 1.0; });
    Forge forge(fixtures.config());
    auto mixArgs = [](int type, int luck) {
        Json::Value l = Forge::list({kCoat, type, kScoutCoat, luck});
        return l;
    };
    ZRKMessage preview = forge.ask("queryIfMix", mixArgs(1, kLuck));
    EXPECT_EQ(preview.views["forge/ifMix"]["rate_f"].asInt(), 100);
    ZRKMessage done = forge.ask("queryMix", mixArgs(1, -1));
    ASSERT_FALSE(done.error) << done.text;
    EXPECT_EQ(forge.item(kCoat, "pci_str"), 3);
    EXPECT_EQ(forge.item(kCoat, "pci_vit"), 0); // type 1 passes strength alone
    EXPECT_EQ(forge.item(kCoat, "mix_times"), 1);
    EXPECT_EQ(forge.item(kScoutCoat, "count"), -1);
    EXPECT_EQ(forge.item(kLuck, "count"), 2);

    ZRKMessage ifSet = forge.ask("queryIfEnchase", Forge::list({kCoat, 0, kRuby, 0, 0, 0}));
    EXPECT_EQ(ifSet.views["forge/ifEnchase"]["ecf"].asString(), "strength +2");
    EXPECT_EQ(ifSet.views["forge/ifEnchase"]["money"].asInt(), 80);
    const long long money = forge.number("SELECT money1 FROM players WHERE name = 'hero'");
    ZRKMessage set = forge.ask("queryEnchase", Forge::list({kCoat, 0, kRuby, 0, 0, 0}));
    ASSERT_FALSE(set.error) << set.text;
    EXPECT_EQ(forge.item(kCoat, "pci_str"), 5);
    EXPECT_EQ(forge.item(kRuby, "count"), -1);
    EXPECT_EQ(forge.number("SELECT money1 FROM players WHERE name = 'hero'"), money - 80);
    EXPECT_EQ(forge.number("SELECT attr_x = '7202,7201,0' FROM inventory WHERE player = 'hero' AND slot = 65"), 1);
    EXPECT_TRUE(forge.ask("queryEnchase", Forge::list({kCoat, 0, 76, 0, 0, 0})).error); // that hole is taken now
}

TEST(ForgeServer, EveryHoledItemShowsOneEntryPerHoleAndTheGemsSetInThem)
{
    Forge forge;
    // The ember coat (three holes, a topaz in the first) as seeded; the ember cannon's two
    // holes were never written; a coat without holes keeps its empty text.
    std::map<long long, std::string> shown;
    const Json::Value& bag = forge.core.world().inventoryView("hero");
    for (const Json::Value& item : bag["items"])
        shown[item["pci_slot"].asInt()] = item["attr_x"].asString();
    EXPECT_EQ(shown[kCoat], "7202,0,0");
    EXPECT_EQ(shown[kCannon], "0,0");
    EXPECT_EQ(shown[kScoutCoat], "");
    // What cannot be a gem's id is an empty hole; entries past the holes are not shown.
    Json::Value threeHoles;
    threeHoles["i_holes"] = 3;
    EXPECT_EQ(ZRKWorldInventory::holesText("7202,x", threeHoles), "7202,0,0");
    EXPECT_EQ(ZRKWorldInventory::holesText("1,2,3,4,5", threeHoles), "1,2,3");
    EXPECT_EQ(ZRKWorldInventory::holesText(",,-4", threeHoles), "0,0,0");
    threeHoles["i_holes"] = 99;
    EXPECT_EQ(ZRKWorldInventory::holesText("", threeHoles), "0,0,0,0,0");
    EXPECT_EQ(ZRKWorldInventory::holesText("junk", Json::Value()), "junk");
}

TEST(ForgeServer, AMissingBrokenOrMistypedForgeFileClosesTheForgeWithOneLine)
{
    for (const std::string& content :
         {std::string(), std::string("{not json"), std::string("{\"enhance\": 5}"), std::string("[]")}) {
        Fixtures fixtures;
        if (content.empty())
            std::remove(fixtures.dir.file("forge.json").c_str());
        else
            zrktest::writeFile(fixtures.dir.file("forge.json"), content);
        datatest::LogCapture log;
        Forge forge(fixtures.config());
        EXPECT_EQ(log.containing("ZRKGameServer", "the forge is closed"), 1u) << content;
        const std::string before = forge.snapshot();
        ZRKMessage m = forge.ask("queryEnhance", Forge::enhanceArgs(kCoat, {kStones}, {}, {}));
        EXPECT_TRUE(m.error);
        EXPECT_EQ(m.views["forge/enhance"]["MSG"].asString(), "The forge is closed.");
        EXPECT_EQ(forge.snapshot(), before);
    }
}

TEST(ForgeServer, ARunKilledInAStreamOfPerformsLosesNothingItAnswered)
{
    Fixtures fixtures(levelsAt(0.5, 0));
    zrktest::TempDir dir;
    ZRKServerConfig config = fixtures.config();
    config.database = dir.file("world.db");
    const long answered = datatest::answeredBeforeKill(
        [&config](const std::function<void(long)>& tell) {
            Forge forge(config);
            forge.exec("UPDATE inventory SET count = 1000000 WHERE player = 'hero' AND slot IN (68, 71)");
            const Json::Value args = Forge::enhanceArgs(kCoat, {kStones}, {}, {kSafety});
            for (long n = 1;; ++n) {
                ZRKMessage m = forge.ask("queryEnhance", args);
                if (m.error)
                    _exit(3);
                tell(n);
                if (m.views["forge/enhance"]["nValue"].asInt() >= 10)
                    forge.exec("UPDATE inventory SET lv = 0 WHERE player = 'hero' AND slot = 65");
            }
        },
        300);
    ASSERT_GE(answered, 300);

    config.seed = 1;
    Forge after(config);
    EXPECT_FALSE(after.core.worldWasReset());
    const long long stones = 1000000 - after.item(kStones, "count");
    const long long safety = 1000000 - after.item(kSafety, "count");
    EXPECT_GE(stones, answered);     // nothing answered is lost
    EXPECT_LE(stones, answered + 1); // at most the one on its way
    EXPECT_EQ(stones, safety);       // never half of one
}

TEST(ForgeServer, AWorldOfTheLastSchemaIsBroughtUpWithItsItems)
{
    zrktest::TempDir dir;
    ZRKServerConfig config = Fixtures().config();
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
        // What the world looked like before the items kept the forge's changes.
        for (const char* c : {"pci_str", "pci_luck", "pci_dex", "pci_vit", "mix_times", "mix_max", "enh_f", "attr_x"})
            ASSERT_TRUE(world.db().exec(std::string("ALTER TABLE inventory DROP COLUMN ") + c));
        ASSERT_TRUE(world.db().exec("UPDATE meta SET value = '3' WHERE key = 'schema'"));
        ASSERT_TRUE(world.db().exec("UPDATE inventory SET lv = 7 WHERE slot = 65 AND player = 'hero'"));
    }
    datatest::LogCapture log;
    ZRKWorld world;
    ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
    EXPECT_FALSE(world.wasMovedAside());
    EXPECT_EQ(log.containing("ZRKWorld",
                             "the world of schema 3 was brought up to " + std::to_string(ZRKWorld::kSchemaVersion)),
              1u);
    bool found = false;
    for (const ZRKWorld::Item& i : world.items("hero"))
        if (i.slot == 65) {
            found = true;
            EXPECT_EQ(i.lv, 7);
            EXPECT_EQ(i.enhF, 0);
        }
    EXPECT_TRUE(found);
}
