// The server's friends and guilds: rosters built from the world with the mutual mark, requests
// answered by the server's own players a few seconds later and by accounts through their own
// rosters, both rosters told of each change, refusals that leave the world as it was, the
// look-up by nickname, another player's bag, and invitations into a guild of limited size.
#include <gtest/gtest.h>

#include <server/ZRKDatabase.h>
#include <server/ZRKGuilds.h>
#include <data/ZRKNotice.h>
#include <server/ZRKRoster.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <json/json.h>
#include <support/TestEnv.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The embedded server (with its own players) and two accounts logged in: hero and rookie.
struct Friends {
    Friends()
    {
        ZRKServerConfig config;
        config.seed = 3;
        core.reset(new ZRKServerCore(config, 0.0));
        for (const char* name : {"hero", "rookie"}) {
            const long c = connection[name] = core->connect();
            Json::Value args;
            args["name"] = name;
            args["password"] = std::string(name) + "123";
            ask(c, "login", args);
        }
        heard.clear();
    }
    ZRKMessage ask(long c, const std::string& op, const Json::Value& args = Json::Value())
    {
        ZRKRequestInfo request;
        request.handle = ++handle;
        request.op = op;
        request.args = args;
        core->handle(c, ZRKMessage::request(request));
        return collect(c, handle);
    }
    ZRKMessage ask(const std::string& player, const std::string& op, const Json::Value& args = Json::Value())
    {
        return ask(connection[player], op, args);
    }
    /// Takes the connection's messages: notices are kept by player, the reply to `h` returned.
    ZRKMessage collect(long c, long h)
    {
        std::vector<ZRKMessage> out;
        core->take(c, out);
        ZRKMessage reply;
        for (const ZRKMessage& m : out)
            if (m.type == ZRKMessage::Reply && m.handle == h)
                reply = m;
            else
                heard[c].push_back(m);
        return reply;
    }
    /// Every connection's messages so far.
    void takeAll()
    {
        for (const auto& c : connection)
            collect(c.second, -1);
    }
    /// Runs the server's clock on to `to`, a second at a time.
    void runTo(double to)
    {
        for (; now <= to; now += 1.0) {
            core->tick(now);
            takeAll();
        }
    }
    /// The roster of the player's last roster notice, by fuid: "group/pep".
    std::map<std::string, std::string> toldRoster(const std::string& player)
    {
        takeAll();
        std::map<std::string, std::string> out;
        const ZRKMessage* last = nullptr;
        for (const ZRKMessage& m : heard[connection[player]])
            if (m.type == ZRKMessage::Notice && m.op == ZRKNotice::name(ZRKNotice::Roster))
                last = &m;
        if (last)
            for (const Json::Value& e : last->args["views"]["roster"])
                out[e["fuid"].asString()] = std::to_string(e["group"].asInt()) + "/" + std::to_string(e["pep"].asInt());
        return out;
    }
    std::size_t rosterNotices(const std::string& player)
    {
        takeAll();
        std::size_t n = 0;
        for (const ZRKMessage& m : heard[connection[player]])
            n += m.type == ZRKMessage::Notice && m.op == ZRKNotice::name(ZRKNotice::Roster);
        return n;
    }
    static Json::Value add(const std::string& fuid, int group)
    {
        Json::Value v;
        v["fuid"] = fuid;
        v["fgroup"] = group;
        return v;
    }
    static Json::Value byPcId(long long pcId, int group = -1)
    {
        Json::Value v;
        v["fpcid"] = static_cast<Json::Int64>(pcId);
        if (group >= 0)
            v["fgroup"] = group;
        return v;
    }
    static Json::Value want(long long gid, long long pcId)
    {
        Json::Value v;
        v["gid"] = static_cast<Json::Int64>(gid);
        v["pcid"] = static_cast<Json::Int64>(pcId);
        v["wt"] = 1;
        return v;
    }
    std::string lists(const std::string& player)
    {
        return Json::FastWriter().write(ZRKWorld::Player::doc(core->world().player(player)->lists));
    }
    std::string settings(const std::string& player)
    {
        return Json::FastWriter().write(ZRKWorld::Player::doc(core->world().player(player)->settings));
    }

    std::unique_ptr<ZRKServerCore> core;
    std::map<std::string, long> connection;
    std::map<long, std::vector<ZRKMessage>> heard;
    long handle = 0;
    double now = 1.0;
};

const long long kCobalt = 900002; // the third of the server's players (bots.json)
const long long kDune = 900003;

} // namespace

TEST(FriendsServer, ABotAddedByNicknameAcceptsAFewSecondsLaterAndTheFriendshipTurnsMutual)
{
    Friends f;
    Json::Value nick(Json::arrayValue);
    nick.append("cOBALT");
    const ZRKMessage byNick = f.ask("hero", "queryUserByNick", nick);
    ASSERT_FALSE(byNick.error) << byNick.text;
    EXPECT_EQ(byNick.views["uid"].asString(), "Cobalt");

    const ZRKMessage added = f.ask("hero", "queryAddRoster", Friends::add("Cobalt", 1));
    ASSERT_FALSE(added.error) << added.text;
    EXPECT_EQ(f.toldRoster("hero")["Cobalt"], "1/0"); // asked, not yet answered
    EXPECT_EQ(f.toldRoster("hero")["rookie"], "0/0"); // the fixture's entry stays
    EXPECT_EQ(f.core->social().pending(), 1u);

    f.runTo(1.0);
    EXPECT_EQ(ZRKRoster::groupOf(f.core->world(), "Cobalt", "hero"), -1); // not at once
    f.runTo(7.0);
    EXPECT_EQ(f.toldRoster("hero")["Cobalt"], "1/1");
    EXPECT_TRUE(ZRKRoster::mutual(f.core->world(), "hero", "Cobalt"));
    EXPECT_EQ(f.core->social().pending(), 0u);
    // The roster query builds the entry from the world.
    const ZRKMessage roster = f.ask("hero", "queryMyRoster");
    Json::Value cobalt;
    for (const Json::Value& e : roster.views["roster"])
        if (e["fuid"] == "Cobalt")
            cobalt = e;
    EXPECT_EQ(cobalt["f_pc_id"].asInt64(), kCobalt);
    EXPECT_EQ(cobalt["nick"].asString(), "Cobalt");
    EXPECT_EQ(cobalt["pep"].asInt(), 1);
    EXPECT_TRUE(cobalt["f_lv"].asInt() >= 1 && cobalt["f_cid"].asInt() >= 1);
}

TEST(FriendsServer, AnAccountFindsTheAskerAmongItsOthersAndAnswersByMovingHimToItsFriends)
{
    Friends f;
    ASSERT_FALSE(f.ask("hero", "queryDelRoster", Friends::byPcId(1002)).error); // the fixture's "rookie" entry
    ASSERT_FALSE(f.ask("hero", "queryAddRoster", Friends::add("rookie", 1)).error);
    EXPECT_EQ(f.toldRoster("rookie")["hero"], "3/0");
    EXPECT_EQ(f.toldRoster("hero")["rookie"], "1/0");
    // Rookie says yes: both rosters are told, each marks the other mutual.
    ASSERT_FALSE(f.ask("rookie", "queryUptRoster", Friends::byPcId(1001, 1)).error);
    EXPECT_EQ(f.toldRoster("rookie")["hero"], "1/1");
    EXPECT_EQ(f.toldRoster("hero")["rookie"], "1/1");
    // Hero drops him: rookie's mark goes.
    ASSERT_FALSE(f.ask("hero", "queryDelRoster", Friends::byPcId(1002)).error);
    EXPECT_EQ(f.toldRoster("hero").count("rookie"), 0u);
    EXPECT_EQ(f.toldRoster("rookie")["hero"], "1/0");
}

TEST(FriendsServer, OneOfOursAsksAndWaitsAmongTheOthersUntilThePlayerMovesHim)
{
    Friends f;
    ASSERT_TRUE(f.core->social().askPlayer("Dune", "hero"));
    EXPECT_EQ(f.toldRoster("hero")["Dune"], "3/0");
    EXPECT_FALSE(f.core->social().askPlayer("Dune", "hero")); // once
    ASSERT_FALSE(f.ask("hero", "queryUptRoster", Friends::byPcId(kDune, 1)).error);
    EXPECT_EQ(f.toldRoster("hero")["Dune"], "1/1");
    EXPECT_EQ(f.core->social().pending(), 0u); // he counted hero a friend already
}

TEST(FriendsServer, OursAskNowAndThenOnTheirOwn)
{
    Friends f;
    f.runTo(2000.0);
    std::size_t asking = 0;
    for (const ZRKRoster::Entry& e : ZRKRoster::entries(f.core->world(), "hero"))
        asking += e.group == ZRKRoster::Asking;
    EXPECT_GE(asking, 1u);
    EXPECT_GE(f.rosterNotices("hero"), asking);
}

TEST(FriendsServer, RefusedEditsChangeNothingAndAreLogged)
{
    Friends f;
    datatest::LogCapture log;
    const std::string before = f.lists("hero");
    const Json::Value refused[] = {Friends::add("hero", 1), Friends::add("nobody", 1), Friends::add("Cobalt", 7),
                                   Friends::add(std::string(10000, 'x'), 1), Friends::add("nochar", 1)};
    for (const Json::Value& args : refused)
        EXPECT_TRUE(f.ask("hero", "queryAddRoster", args).error) << Json::FastWriter().write(args).substr(0, 60);
    EXPECT_TRUE(f.ask("hero", "queryUptRoster", Friends::byPcId(kCobalt, 1)).error); // not on the roster
    EXPECT_TRUE(f.ask("hero", "queryDelRoster", Friends::byPcId(kCobalt)).error);
    EXPECT_TRUE(f.ask("hero", "queryDelRoster", Json::Value("garbage")).error);
    EXPECT_EQ(f.lists("hero"), before);
    EXPECT_EQ(f.rosterNotices("hero"), 0u);
    EXPECT_GE(log.containing("ZRKGameServer", "queryAddRoster refused"), 5u);

    // The 201st entry.
    Json::Value lists = ZRKWorld::Player::doc(f.core->world().player("hero")->lists);
    lists["roster"] = Json::Value(Json::arrayValue);
    for (int i = 0; i < 200; ++i) {
        Json::Value e;
        e["fuid"] = "ghost" + std::to_string(i);
        e["group"] = 1;
        lists["roster"].append(e);
    }
    ASSERT_TRUE(f.core->world().setLists("hero", lists));
    const std::string full = f.lists("hero");
    const ZRKMessage over = f.ask("hero", "queryAddRoster", Friends::add("Cobalt", 1));
    EXPECT_TRUE(over.error);
    EXPECT_EQ(over.text, "A list of friends holds at most 200 players.");
    EXPECT_EQ(f.lists("hero"), full);
    f.runTo(10.0);
    EXPECT_EQ(ZRKRoster::groupOf(f.core->world(), "Cobalt", "hero"), -1);

    // Hero's own list takes the friend before the friend's full list refuses the asking: his
    // entry goes back with the refusal, and nobody is told.
    Json::Value hers = ZRKWorld::Player::doc(f.core->world().player("rookie")->lists);
    hers["roster"] = lists["roster"];
    ASSERT_TRUE(f.core->world().setLists("rookie", hers));
    ASSERT_TRUE(f.core->world().setLists("hero", Json::Value(Json::objectValue)));
    const std::string emptied = f.lists("hero"), hersBefore = f.lists("rookie");
    const std::size_t told = f.rosterNotices("hero");
    const ZRKMessage theirsFull = f.ask("hero", "queryAddRoster", Friends::add("rookie", 1));
    EXPECT_TRUE(theirsFull.error);
    EXPECT_NE(theirsFull.text.find(' '), std::string::npos) << theirsFull.text;
    EXPECT_EQ(f.lists("hero"), emptied);
    EXPECT_EQ(f.lists("rookie"), hersBefore);
    EXPECT_EQ(ZRKRoster::groupOf(f.core->world(), "hero", "rookie"), -1);
    EXPECT_EQ(f.rosterNotices("hero"), told);
}

TEST(FriendsServer, BlacklistingAsksNothing)
{
    Friends f;
    ASSERT_FALSE(f.ask("hero", "queryAddRoster", Friends::add("Cobalt", 2)).error);
    ASSERT_FALSE(f.ask("hero", "queryAddRoster", Friends::add("rookie", 2)).error);
    f.runTo(20.0);
    EXPECT_EQ(ZRKRoster::groupOf(f.core->world(), "Cobalt", "hero"), -1);
    EXPECT_EQ(ZRKRoster::groupOf(f.core->world(), "rookie", "hero"), -1);
    EXPECT_EQ(f.toldRoster("hero")["Cobalt"], "2/0");
}

TEST(FriendsServer, TheNicknameLookUpIgnoresLetterCaseAndFindsNobodyForNonsense)
{
    Friends f;
    for (const char* nick : {"HERO", "hero", "Hero"}) {
        Json::Value args(Json::arrayValue);
        args.append(nick);
        EXPECT_EQ(f.ask("rookie", "queryUserByNick", args).views["uid"].asString(), "hero") << nick;
    }
    for (const std::string& nick :
         {std::string("Nobody"), std::string(""), std::string(10000, 'a'), std::string("\"'\xff\xfe")}) {
        Json::Value args(Json::arrayValue);
        args.append(nick);
        const ZRKMessage reply = f.ask("rookie", "queryUserByNick", args);
        EXPECT_TRUE(reply.error);
        EXPECT_EQ(reply.text, "That player cannot be found.");
    }
}

TEST(FriendsServer, AnotherPlayersBagComesApartFromTheOwn)
{
    Friends f;
    Json::Value args(Json::arrayValue);
    args.append("hero");
    args.append(1001);
    args.append(false);
    const ZRKMessage other = f.ask("rookie", "queryUserInventory", args);
    ASSERT_FALSE(other.error) << other.text;
    EXPECT_TRUE(other.view("inventory").isNull());
    EXPECT_GT(other.view("inventory1")["items"].size(), 20u);
    args[1] = 1002; // the player id of another character
    EXPECT_TRUE(f.ask("rookie", "queryUserInventory", args).error);
}

TEST(FriendsServer, ABotInvitedIntoTheGuildJoinsAndAFullGuildTakesNobody)
{
    Friends f;
    ZRKGuilds::Guild guild;
    ASSERT_TRUE(ZRKGuilds::find(f.core->world(), 1, guild));
    EXPECT_EQ(guild.members, (std::vector<std::string>{"hero", "Anvil", "Brisk"}));
    EXPECT_EQ(guild.max, 6);

    const ZRKMessage ok = f.ask("hero", "queryWant", Friends::want(1, kCobalt));
    ASSERT_FALSE(ok.error) << ok.text;
    EXPECT_EQ(ok.views["guildError"]["ERR"].asInt(), 0);
    EXPECT_EQ(ZRKGuilds::guildOf(f.core->world(), "Cobalt"), 0); // not at once
    f.runTo(7.0);
    EXPECT_EQ(ZRKGuilds::guildOf(f.core->world(), "Cobalt"), 1);
    EXPECT_NE(f.settings("Cobalt").find("\"g_name\":\"Iron Wolves\""), std::string::npos);

    // Refusals: each with its code and a readable text, nothing changed.
    struct Case {
        std::string who;
        Json::Value args;
        int code;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"hero", Friends::want(9, kDune), 2, "There is no such guild."},
        {"rookie", Friends::want(1, kDune), 3, "Only members of the guild can invite players into it."},
        {"hero", Friends::want(1, 4242), 4, "That player cannot be found."},
        {"hero", Friends::want(1, kCobalt), 5, "That player is in a guild already."},
        {"hero", Friends::want(1, 900000), 5, "That player is in a guild already."}, // a founder
    };
    for (const Case& c : cases) {
        const ZRKMessage r = f.ask(c.who, "queryWant", c.args);
        EXPECT_TRUE(r.error);
        EXPECT_EQ(r.views["guildError"]["ERR"].asInt(), c.code);
        EXPECT_EQ(r.views["guildError"]["MSG"].asString(), c.text);
        EXPECT_EQ(r.text, c.text);
    }
    // Two more fill it to six; the next is refused, and one invited while it filled stays out.
    for (long long pcId : {kDune, 900004LL, 900005LL})
        EXPECT_FALSE(f.ask("hero", "queryWant", Friends::want(1, pcId)).error);
    f.runTo(20.0);
    ASSERT_TRUE(ZRKGuilds::find(f.core->world(), 1, guild));
    EXPECT_EQ(guild.members.size(), 6u);
    const ZRKMessage full = f.ask("hero", "queryWant", Friends::want(1, 900006));
    EXPECT_EQ(full.views["guildError"]["ERR"].asInt(), 6);
    EXPECT_EQ(full.text, "The guild has no room for another member.");
}

TEST(FriendsServer, FriendsAndGuildMembersLastAcrossARestart)
{
    zrktest::TempDir dir;
    ZRKServerConfig config;
    config.database = dir.file("world.db");
    config.reset = true;
    config.seed = 3;
    {
        ZRKServerCore core(config, 0.0);
        std::string refusal;
        ZRKDatabase::Transaction t(core.world().db());
        ASSERT_TRUE(ZRKRoster::put(core.world(), "hero", "Cobalt", ZRKRoster::Friend, refusal)) << refusal;
        ASSERT_TRUE(ZRKGuilds::join(core.world(), 1, "Dune", refusal)) << refusal;
        ASSERT_TRUE(t.commit());
    }
    config.reset = false;
    ZRKServerCore again(config, 0.0);
    EXPECT_EQ(ZRKRoster::groupOf(again.world(), "hero", "Cobalt"), ZRKRoster::Friend);
    EXPECT_EQ(ZRKGuilds::guildOf(again.world(), "Dune"), 1);
}
