// The server's quests and stat points: a battle's end moves the running quests on by what the
// player did, a done quest pays once (money, experience with its levels' stat points, the
// chosen object in the first free bag slot), every refusal leaves the world as it was, and the
// player hears of points and levels through the avatar notice.
#include <gtest/gtest.h>

#include <boost/signals2/connection.hpp>
#include <core/AvatarManager.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <json/json.h>
#include <support/TestEnv.h>
#include "DataTestKit.h"
#include "support/HeroOnServer.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

typedef std::pair<bool, std::string> Answer;

class QuestTest : public zrktest::HeroOnServer {
protected:
    explicit QuestTest(const std::string& database = ":memory:")
    {
        config.bots = 2;
        config.seed = 3;
        config.database = database;
        start();
    }
    void start()
    {
        startServer();
        logInHero(2);
        notices = ZRKUserRequest::getAvatarManager()->subscribeToUpdateSignal(
            [this](const std::string& who, int flags) { told.push_back(who + "/" + std::to_string(flags)); });
    }
    ZRKWorld& world() { return session->getGameServer()->core().world(); }
    template <class Send> Answer ask(Send send)
    {
        Answer out{true, "unanswered"};
        bool done = false;
        send([&](bool error, const std::string& text) {
            out = {error, text};
            done = true;
        });
        pump.until([&] { return done; }, 10, "the answer");
        tick();
        return out;
    }
    Answer claim(const std::string& text)
    {
        return ask([&](ZRKReply r) { ZRKTaskRequest::rewardQuest(text, r); });
    }
    /// Hero's battle against bots to its end, with what the land counted of him.
    void battle(bool heroWins, int hits, int kills)
    {
        Json::Value counted(Json::arrayValue);
        Json::Value& me = counted.append(Json::Value(Json::objectValue));
        me["uid"] = "hero";
        me["hits"] = hits;
        me["kills"] = kills;
        battle(heroWins, counted);
    }
    void battle(bool heroWins, const Json::Value& counted)
    {
        ZRKServerCore& core = session->getGameServer()->core();
        const std::string name = core.startBotBattle("hero", 1, "1", 7);
        ASSERT_FALSE(name.empty());
        tick();
        ask([&](ZRKReply r) { ZRKRequestBroker::call("ZRKRoomRequest", "reportLoad", r, name); });
        const int team = ZRKRoomRequest::getRoomState(name, false, false)
                             ->findPlayer("hero")
                             ->getBattleState()
                             .getIntVal("team", -1);
        ask([&](ZRKReply r) {
            ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleOver", r, name, heroWins ? team : 1 - team, counted);
        });
        // Left by the player, the next battle can start.
        session->leave(name);
        tick(2);
    }
    /// q_id -> (state, progress) as the world keeps them.
    std::map<long long, std::pair<long long, long long>> quests()
    {
        std::map<long long, std::pair<long long, long long>> out;
        for (const ZRKWorld::Quest& q : world().questRows("hero"))
            out[q.id] = {q.state, q.progress};
        return out;
    }
    /// What a refused claim must leave alone.
    std::string snapshot()
    {
        const ZRKWorld::Player* p = world().player("hero");
        std::string out = std::to_string(p->money[0]) + "/" + std::to_string(p->exp) + "/" + std::to_string(p->lv) +
                          "/" + std::to_string(p->points) + "/" + std::to_string(world().items("hero").size());
        for (const auto& q : quests())
            out += " " + std::to_string(q.first) + ":" + std::to_string(q.second.first) + ":" +
                   std::to_string(q.second.second);
        return out;
    }
    void setQuest(long long id, long long state, long long progress = 0)
    {
        ZRKWorld::Quest q;
        q.id = id;
        q.state = state;
        q.progress = progress;
        ASSERT_TRUE(world().setQuest("hero", q));
    }

    datatest::ManualClock clock;
    boost::signals2::scoped_connection notices;
    std::vector<std::string> told;
};

} // namespace

TEST_F(QuestTest, ABattlesEndMovesEachRunningQuestOnByItsGoal)
{
    setQuest(2, ZRKWorld::QuestRunning, 3);
    setQuest(3, ZRKWorld::QuestRunning);
    battle(false, 4, 1);
    // Lost: "wins" stays, "hits" counts the hits, "battles" the battle.
    std::map<long long, std::pair<long long, long long>> q = quests();
    EXPECT_EQ(q[1], std::make_pair(16LL, 0LL));
    EXPECT_EQ(q[2], std::make_pair(16LL, 7LL));
    EXPECT_EQ(q[3], std::make_pair(16LL, 1LL));

    battle(true, 9, 0);
    q = quests();
    EXPECT_EQ(q[1], std::make_pair(32LL, 1LL));
    EXPECT_EQ(q[2], std::make_pair(32LL, 10LL)); // capped at its goal
    EXPECT_EQ(q[3], std::make_pair(16LL, 2LL));
    // The reporter's own list came with the answer.
    int done = ZRKTaskRequest::getQuestLib()->getDoingNum(32);
    EXPECT_EQ(done, 2);

    // A done quest stays done; a counted list that is no list counts nothing but the battle.
    battle(false, Json::Value("hits"));
    q = quests();
    EXPECT_EQ(q[2], std::make_pair(32LL, 10LL));
    EXPECT_EQ(q[3], std::make_pair(16LL, 3LL));
}

TEST_F(QuestTest, ADoneQuestPaysOnceAndEveryRefusalChangesNothing)
{
    battle(true, 0, 0);
    ASSERT_EQ(quests()[1].first, 32);
    const ZRKWorld::Player before = *world().player("hero");
    const int slot = world().freeSlot("hero", false);
    ASSERT_GT(slot, 0);

    // Refused: a running or unknown quest, an object not offered, none chosen where one must be,
    // a list of two, words for the id.
    setQuest(3, ZRKWorld::QuestRunning);
    const std::string start = snapshot();
    EXPECT_EQ(claim("{items:[],q_id:3}\n"), Answer(true, "That quest is not done yet."));
    EXPECT_EQ(claim("{items:[],q_id:99}\n"), Answer(true, "You have no such quest."));
    EXPECT_EQ(claim("{items:[7201],q_id:1}\n"), Answer(true, "Choose one of the objects the quest offers."));
    EXPECT_EQ(claim("{items:[],q_id:1}\n"), Answer(true, "Choose one of the objects the quest offers."));
    EXPECT_TRUE(claim("{items:[3002,2301],q_id:1}\n").first);
    EXPECT_TRUE(claim("{items:[],q_id:one}\n").first);
    EXPECT_TRUE(claim("[1]\n").first);
    EXPECT_EQ(snapshot(), start);

    told.clear();
    EXPECT_EQ(claim("{items:[3002],q_id:1}\n").first, false);
    const ZRKWorld::Player after = *world().player("hero");
    EXPECT_EQ(after.money[ZRKWorld::Coins], before.money[ZRKWorld::Coins] + 200);
    EXPECT_EQ(after.exp, before.exp + 700);
    // 2600 and the battle's award and 700 pass 3200: level 10 and its 3 points.
    EXPECT_EQ(after.lv, 10);
    EXPECT_EQ(after.points, before.points + 3);
    EXPECT_EQ(quests()[1].first, 64);
    std::map<int, long long> bag;
    for (const ZRKWorld::Item& i : world().items("hero"))
        bag[i.slot] = i.id;
    EXPECT_EQ(bag[slot], 3002);
    // The game's views: the new bag, the slot changed, the level told.
    std::vector<int> dirty;
    ZRKUserRequest::getDirtySlots(dirty, true);
    EXPECT_EQ(dirty, std::vector<int>{slot});
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0), 10);
    EXPECT_EQ(told, std::vector<std::string>{"hero/2"});

    const std::string paid = snapshot();
    EXPECT_EQ(claim("{items:[3002],q_id:1}\n"), Answer(true, "The reward of that quest was paid already."));
    EXPECT_EQ(snapshot(), paid);

    // A quest that offers no object pays without one, and takes none.
    EXPECT_EQ(claim("{items:[5],q_id:2}\n"), Answer(true, "Choose one of the objects the quest offers."));
    EXPECT_FALSE(claim("{items:[],q_id:2}\n").first);
    EXPECT_EQ(world().player("hero")->money[ZRKWorld::Coins], after.money[ZRKWorld::Coins] + 300);
}

TEST_F(QuestTest, AFullBagRefusesTheObjectAndKeepsTheQuestToClaimLater)
{
    battle(true, 0, 0);
    // Hero's first sixteen slots are taken: a bag of sixteen is full.
    ASSERT_TRUE(world().db().exec("UPDATE players SET settings = '{\"pc_bag_slot\": 16}' WHERE name = 'hero'"));
    world().forgetRead();
    ASSERT_EQ(world().freeSlot("hero", false), 0);
    const std::string start = snapshot();
    EXPECT_EQ(claim("{items:[3002],q_id:1}\n"), Answer(true, "The bag has no free slot for the reward."));
    EXPECT_EQ(snapshot(), start);

    // Room made, the same quest pays.
    ASSERT_TRUE(world().db().exec("UPDATE players SET settings = '{\"pc_bag_slot\": 20}' WHERE name = 'hero'"));
    world().forgetRead();
    const std::size_t items = world().items("hero").size();
    EXPECT_FALSE(claim("{items:[2301],q_id:1}\n").first);
    EXPECT_EQ(quests()[1].first, 64);
    EXPECT_EQ(world().items("hero").size(), items + 1);
}

TEST_F(QuestTest, PointsSpentTellThePlayerAndTooManyOrHugeOnesChangeNothing)
{
    auto points = [&](const std::string& text) {
        return ask([&](ZRKReply r) { ZRKUserRequest::addStatsPoint(text, r); });
    };
    EXPECT_FALSE(points("{dex:1,luk:1,str:1,vit:1}\n").first);
    // The notice brought the new "pc": the page reads it when 17 refreshes it.
    EXPECT_EQ(told, std::vector<std::string>{"hero/2"});
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_points", -1), 1);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_luk", -1), 1);

    told.clear();
    const std::string start = snapshot();
    EXPECT_EQ(points("{dex:0,luk:0,str:2,vit:0}\n"), Answer(true, "You do not have that many stat points."));
    EXPECT_TRUE(points("{dex:4294967295,luk:0,str:0,vit:0}\n").first);
    EXPECT_TRUE(points("{dex:0,luk:0,str:0}\n").first);
    // Nothing spent, nothing told.
    EXPECT_FALSE(points("{dex:0,luk:0,str:0,vit:0}\n").first);
    EXPECT_EQ(snapshot(), start);
    EXPECT_TRUE(told.empty());
}

TEST(QuestWorld, PointsAndQuestProgressOutlastTheRun)
{
    zrktest::TempDir dir;
    ZRKServerConfig config;
    config.database = dir.file("world.db");
    config.bots = 0;
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(config.database, config.folder, false));
        ZRKWorld::Quest q;
        q.id = 3;
        q.state = ZRKWorld::QuestRunning;
        q.progress = 4;
        ASSERT_TRUE(world.setQuest("hero", q));
        const long long add[4] = {0, 2, 0, 1};
        std::string refusal;
        ASSERT_TRUE(world.addAbilities("hero", add, refusal));
    }
    ZRKWorld again;
    ASSERT_TRUE(again.open(config.database, config.folder, false));
    EXPECT_EQ(again.player("hero")->points, 2);
    EXPECT_EQ(again.player("hero")->abilities[1], 4);
    EXPECT_EQ(again.quests("hero")[2]["progress"].asInt(), 4);
}

TEST(QuestWorld, AWorldOfTheLastSchemaGetsItsQuestsProgress)
{
    zrktest::TempDir dir;
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
        // Schema 5: the quests knew no progress.
        ASSERT_TRUE(
            world.db().exec("CREATE TABLE q5 AS SELECT player, q_id, state FROM quests; DROP TABLE quests; "
                            "ALTER TABLE q5 RENAME TO quests; UPDATE meta SET value = '5' WHERE key = 'schema'"));
    }
    datatest::LogCapture log;
    ZRKWorld world;
    ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
    EXPECT_FALSE(world.wasMovedAside());
    ASSERT_EQ(world.questRows("hero").size(), 3u);
    EXPECT_EQ(world.questRows("hero")[0].state, 16);
    EXPECT_EQ(world.questRows("hero")[0].progress, 0);
}
