// The server's own players: the same ones every run of a seed, online and chatting in their
// halls at the pace bots.json sets, and players of the world like any other.
#include <gtest/gtest.h>
#include <set>

#include <server/ZRKBots.h>
#include <server/ZRKLobby.h>
#include <data/ZRKNotice.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <support/TestEnv.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// A server with a logged-in listener in every hall, and what it heard over an hour.
struct Hour {
    explicit Hour(int bots = -1)
    {
        ZRKServerConfig config;
        config.bots = bots;
        core.reset(new ZRKServerCore(config, 0.0));
        connection = core->connect();
        ZRKRequestInfo login;
        login.handle = 1;
        login.op = "login";
        login.args["name"] = "hero";
        login.args["password"] = "hero123";
        core->handle(connection, ZRKMessage::request(login));
        for (const std::string& hall : core->lobby().halls())
            core->lobby().enter("hero", hall, "");
        std::vector<ZRKMessage> start;
        core->take(connection, start);
    }
    /// Steps the hour a second at a time, keeping the chat and presence notices heard.
    void run(double seconds = 3600)
    {
        for (double t = 1; t <= seconds; t += 1) {
            core->tick(t);
            std::vector<ZRKMessage> out;
            core->take(connection, out);
            for (const ZRKMessage& m : out) {
                if (m.op == ZRKNotice::name(ZRKNotice::Message))
                    lines.push_back(std::to_string(static_cast<int>(t)) + " " + m.member + "@" + m.room + ": " +
                                    m.text);
                if (m.op == ZRKNotice::name(ZRKNotice::Presence))
                    ++presence;
            }
            if (t == 10)
                onlineAt10 = core->bots().onlineCount();
        }
    }
    std::unique_ptr<ZRKServerCore> core;
    long connection = 0;
    std::vector<std::string> lines;
    int presence = 0;
    std::size_t onlineAt10 = 0;
};

} // namespace

TEST(ServerPlayers, TheSameSeedGivesTheSamePlayersDoingTheSameThings)
{
    Hour first, second;
    first.run();
    second.run();
    ASSERT_EQ(first.core->bots().size(), 12u);
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.presence, second.presence);
    ZRKWorld::Player a, b;
    ASSERT_TRUE(first.core->world().loadPlayer("Lumen", a));
    ASSERT_TRUE(second.core->world().loadPlayer("Lumen", b));
    EXPECT_EQ(a.lv, b.lv);
    EXPECT_EQ(a.cId, b.cId);
    EXPECT_TRUE(a.bot);
    EXPECT_EQ(a.accountId, 0); // no account: the room screens dress such a player from its look
    EXPECT_GE(a.lv, 1);
    EXPECT_LE(a.lv, 30);
}

TEST(ServerPlayers, TheyComeOnlineAndChatAtTheirPace)
{
    Hour hour;
    hour.run();
    EXPECT_EQ(hour.onlineAt10, 12u); // all in within the first seconds
    // Lines every 40 to 180 seconds while online: for 12 players over an hour, between what the
    // slowest pace gives for the shortest stay and what the fastest gives all hour.
    EXPECT_GE(hour.lines.size(), 12u * 600 / 180);
    EXPECT_LE(hour.lines.size(), 12u * 3600 / 40 + 12);
    EXPECT_GT(hour.presence, 12); // some went away and came back within the hour
    ASSERT_FALSE(hour.lines.empty());
    const std::string line = hour.lines.front();
    EXPECT_NE(line.find(": "), std::string::npos);

    // A different seed, different doings.
    zrktest::TempDir dir;
    for (const char* f : {"itemclasses.json", "master.json", "libs.json", "players.json", "accounts.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    std::string bots = zrktest::readFile("res/server/bots.json");
    bots.replace(bots.find("20240611"), 8, "12345678");
    zrktest::writeFile(dir.file("bots.json"), bots);
    ZRKServerConfig config;
    config.folder = dir.path();
    ZRKServerCore other(config, 0.0);
    other.tick(3600);
    ZRKWorld::Player mine, theirs;
    std::size_t differ = 0;
    for (const char* name : {"Anvil", "Brisk", "Cobalt", "Dune", "Ember", "Flint"})
        if (hour.core->world().loadPlayer(name, mine) && other.world().loadPlayer(name, theirs))
            differ += mine.lv != theirs.lv ? 1 : 0;
    EXPECT_GT(differ, 0u);
}

TEST(ServerPlayers, ManyPlayersAndABrokenFileOfThem)
{
    Hour many(200);
    EXPECT_EQ(many.core->bots().size(), 200u);
    many.run(10);
    EXPECT_EQ(many.core->bots().onlineCount(), 200u);
    EXPECT_NE(many.core->bots().find("Harrow17"), nullptr); // names repeat with a number

    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("bots.json"), "{\"count\": [5], \"seed\": \"x\", \"names\": 7}");
    ZRKWorld world;
    ASSERT_TRUE(world.open(":memory:", "res/server", false));
    ZRKLobby lobby{ZRKLobby::Sink(), ZRKLobby::CardSource()};
    ZRKBots bots(world, lobby);
    EXPECT_TRUE(bots.load(dir.file("bots.json"))); // readable, only its values unusable: none then
    EXPECT_EQ(bots.size(), 0u);
    zrktest::writeFile(dir.file("bots.json"), "{\"count\": 3,");
    datatest::LogCapture log;
    EXPECT_FALSE(bots.load(dir.file("bots.json")));
    EXPECT_EQ(log.containing("ZRKBots", "no players of its own"), 1u);
}

TEST(ServerPlayers, NoneAboveAZonesLevelEntersItsHallOrItsRooms)
{
    Hour hour(40);
    ZRKLobby& lobby = hour.core->lobby();
    ZRKBots& bots = hour.core->bots();
    int over = 0;
    for (std::size_t i = 0; i < bots.size(); ++i)
        over += bots.levelOf(bots.at(i).name) > 10 ? 1 : 0;
    ASSERT_GT(over, 0); // some of ours are above the rookies' limit of 10
    std::size_t within = 0;
    for (double t = 1; t <= 1800; t += 1) {
        hour.core->tick(t);
        std::vector<const ZRKLobby::Room*> rooms = lobby.roomsIn("rookies");
        for (const char* hall : {"rookies", "rookies_cry"})
            if (const ZRKLobby::Room* r = lobby.findRoom(hall))
                rooms.push_back(r);
        for (const ZRKLobby::Room* r : rooms)
            for (const std::string& m : r->members)
                if (bots.find(m)) {
                    ++within;
                    ASSERT_LE(bots.levelOf(m), 10) << m << " in " << r->name << " at " << t;
                }
    }
    EXPECT_GT(within, 0u); // those within the limit still come
}

TEST(ServerPlayers, OneOfOursNeverGoesOffLineFromABattleItFights)
{
    // Hero's battle against two of ours runs for three hours: each stays on line and in its
    // seat the whole time, though it would have gone and come back many times in its hall.
    Hour hour;
    ZRKServerCore& core = *hour.core;
    core.tick(10);
    const std::string room = core.startBotBattle("hero", 2, "1", 7);
    ASSERT_EQ(room, "battle_hero");
    ASSERT_TRUE(core.lobby().reportLoaded(room, "hero"));
    std::vector<std::string> ours;
    for (const std::string& p : core.lobby().seated(room))
        if (core.bots().find(p))
            ours.push_back(p);
    ASSERT_EQ(ours.size(), 2u);
    int presence = 0;
    for (double t = 11; t <= 3 * 3600; t += 1) {
        core.tick(t);
        for (const std::string& bot : ours) {
            ASSERT_TRUE(core.lobby().isOnline(bot)) << bot << " went off line at " << t;
            ASSERT_TRUE(core.lobby().isFighter(room, bot)) << bot << " left the battle at " << t;
        }
        std::vector<ZRKMessage> out;
        core.take(hour.connection, out);
        for (const ZRKMessage& m : out)
            presence += m.op == ZRKNotice::name(ZRKNotice::Presence) ? 1 : 0;
    }
    EXPECT_GT(presence, 0); // the others came and went meanwhile
    // The battle over and the room waiting again, they go when their time comes.
    ASSERT_TRUE(core.lobby().backFromBattle(room, "hero"));
    std::set<std::string> wentAway;
    for (double t = 3 * 3600 + 1; t <= 5 * 3600; t += 1) {
        core.tick(t);
        for (const std::string& bot : ours)
            if (!core.lobby().isOnline(bot))
                wentAway.insert(bot);
    }
    EXPECT_EQ(wentAway.size(), ours.size());
}
