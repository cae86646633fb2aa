// The server's lobby: zones a player joins within their limits, game rooms its own players
// open, fill, fight in and close on the clock, and their lines in the halls, in the shape the
// chat boxes read.
#include <gtest/gtest.h>
#include <set>

#include <server/ZRKBots.h>
#include <data/ZRKChatLine.h>
#include <server/ZRKLobby.h>
#include <data/ZRKNotice.h>
#include <server/ZRKServerCore.h>
#include <json/json.h>
#include <support/TestEnv.h>
#include "DataTestKit.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The embedded server with "hero" logged in on a connection.
struct Lobby {
    explicit Lobby(int bots = -1, const std::string& folder = "res/server")
    {
        ZRKServerConfig config;
        config.bots = bots;
        config.folder = folder;
        core.reset(new ZRKServerCore(config, 0.0));
        connection = core->connect();
        Json::Value args;
        args["name"] = "hero";
        args["password"] = "hero123";
        ask("login", args);
    }
    /// One request; its reply.
    ZRKMessage ask(const std::string& op, const Json::Value& args = Json::Value())
    {
        ZRKRequestInfo request;
        request.handle = ++handle;
        request.op = op;
        request.args = args;
        core->handle(connection, ZRKMessage::request(request));
        std::vector<ZRKMessage> out;
        core->take(connection, out);
        for (const ZRKMessage& m : out) {
            if (m.type == ZRKMessage::Reply && m.handle == handle)
                return m;
            heard.push_back(m);
        }
        ADD_FAILURE() << "no reply to " << op;
        return ZRKMessage();
    }
    static Json::Value list(const Json::Value& v)
    {
        Json::Value l(Json::arrayValue);
        l.append(v);
        return l;
    }
    int zoneId(const std::string& name)
    {
        for (const ZRKLobby::Zone& z : core->lobby().zones())
            if (z.name == name)
                return z.id;
        return -1;
    }
    void run(double from, double to)
    {
        for (double t = from; t <= to; t += 1) {
            core->tick(t);
            std::vector<ZRKMessage> out;
            core->take(connection, out);
            heard.insert(heard.end(), out.begin(), out.end());
        }
    }
    std::unique_ptr<ZRKServerCore> core;
    long connection = 0;
    long handle = 0;
    std::vector<ZRKMessage> heard;
};

std::string roomsText(const ZRKMessage& reply) { return Json::FastWriter().write(reply.views["rooms"]); }

} // namespace

TEST(LobbyWorld, ZonesAdmitByLevelAndCountWhoIsIn)
{
    Lobby lobby;
    lobby.run(1, 10); // the server's own players come in
    const ZRKMessage zones = lobby.ask("queryZones");
    ASSERT_FALSE(zones.error);
    ASSERT_EQ(zones.views["zones"].size(), 4u);
    int occupied = 0;
    for (const Json::Value& z : zones.views["zones"]) {
        for (const char* key : {"z_id", "z_name", "pc_level", "max", "occ"})
            EXPECT_TRUE(z.isMember(key)) << key;
        occupied += z["occ"].asInt();
    }
    EXPECT_EQ(occupied, 12); // every bot stands in one zone

    // Unknown zone, a level above the limit, a full zone: refused with the text to show.
    EXPECT_TRUE(lobby.ask("joinZone", Lobby::list(99)).error);
    ZRKLobby& world = lobby.core->lobby();
    std::string refusal;
    EXPECT_TRUE(world.joinZone("Anvil", lobby.zoneId("rookies"), 10, refusal));
    EXPECT_FALSE(world.joinZone("Brisk", lobby.zoneId("rookies"), 11, refusal));
    EXPECT_EQ(refusal, "error/area_noaccess");

    const ZRKMessage joined = lobby.ask("joinZone", Lobby::list(lobby.zoneId("plains")));
    ASSERT_FALSE(joined.error) << joined.text;
    EXPECT_EQ(joined.views["zone"]["name"].asString(), "plains");
    const ZRKLobby::Zone* plains = world.zoneOf("hero");
    ASSERT_NE(plains, nullptr);
    EXPECT_EQ(plains->members.count("hero"), 1u);
    // Another zone takes the player out of this one.
    ASSERT_FALSE(lobby.ask("joinZone", Lobby::list(lobby.zoneId("canyon"))).error);
    EXPECT_EQ(plains->members.count("hero"), 0u);
}

TEST(LobbyWorld, TheRoomListChangesAsBotsOpenJoinFightAndLeave)
{
    Lobby lobby;
    lobby.run(1, 5);
    ASSERT_FALSE(lobby.ask("joinZone", Lobby::list(lobby.zoneId("plains"))).error);
    // Every zone's rooms change within half a minute; the plains are checked.
    std::string before = roomsText(lobby.ask("queryRooms", Lobby::list("")));
    bool changed = false;
    for (double t = 6; t <= 36 && !changed; t += 1) {
        lobby.run(t, t);
        changed = roomsText(lobby.ask("queryRooms", Lobby::list(""))) != before;
    }
    EXPECT_TRUE(changed);
    lobby.run(37, 600);
    const Json::Value rooms = lobby.ask("queryRooms", Lobby::list("")).views["rooms"];
    std::size_t total = 0;
    for (const ZRKLobby::Zone& z : lobby.core->lobby().zones())
        total += lobby.core->lobby().roomsIn(z.name).size();
    EXPECT_GT(total, 0u);
    for (const Json::Value& r : rooms) {
        for (const char* key : {"id", "meb", "max", "occ", "title", "name", "mode", "password", "fight", "lv",
                                "g_red_id", "g_green_id", "g_war"})
            EXPECT_TRUE(r.isMember(key)) << key;
        EXPECT_GE(r["max"].asInt(), 2);
        EXPECT_LE(r["max"].asInt(), 8);
        EXPECT_GE(r["meb"].asInt(), 1); // an emptied room is closed
        // "name" is what joining enters.
        EXPECT_NE(lobby.core->lobby().findRoom(r["name"].asString()), nullptr);
    }
}

TEST(LobbyWorld, BotLinesAndOwnLinesComeAsChatLines)
{
    Lobby lobby;
    ASSERT_FALSE(lobby.ask("enter", Lobby::list("plains")).error);
    lobby.run(1, 400);
    std::size_t botLines = 0;
    for (const ZRKMessage& m : lobby.heard)
        if (m.op == ZRKNotice::name(ZRKNotice::Message) && m.room == "plains" && m.member != "hero") {
            Json::Value v;
            ASSERT_TRUE(zrktest::parseJson(m.text, v)) << m.text;
            EXPECT_EQ(v["Sender"]["uname"].asString(), m.member);
            EXPECT_TRUE(v["Content"].isString());
            ++botLines;
        }
    EXPECT_GT(botLines, 0u);

    lobby.heard.clear();
    const std::string mine = ZRKChatLine::make("hero", "hero", "0", "hello \"all\"");
    Json::Value args(Json::arrayValue);
    args.append("plains");
    args.append(mine);
    lobby.ask("sendRoomMessage", args);
    bool back = false;
    for (const ZRKMessage& m : lobby.heard)
        back = back || (m.op == ZRKNotice::name(ZRKNotice::Message) && m.member == "hero" && m.text == mine);
    EXPECT_TRUE(back);

    // A private line to one of the server's players is answered.
    lobby.heard.clear();
    const ZRKLobby::Zone* zone = nullptr;
    for (const ZRKLobby::Zone& z : lobby.core->lobby().zones())
        if (!z.members.empty())
            zone = &z;
    ASSERT_NE(zone, nullptr);
    Json::Value whisper(Json::arrayValue);
    whisper.append(*zone->members.begin());
    whisper.append("hi");
    lobby.ask("sendUserMessage", whisper);
    bool answered = false;
    for (const ZRKMessage& m : lobby.heard)
        answered = answered || (m.op == ZRKNotice::name(ZRKNotice::Chat) && m.member == *zone->members.begin());
    EXPECT_TRUE(answered);
}

TEST(LobbyWorld, ALineQuotesEveryValue)
{
    EXPECT_EQ(ZRKChatLine::make("7", "Ann", "1", "hi"),
              "{\"Channel\":\"1\",\"Sender\":{\"uid\":\"7\",\"uname\":\"Ann\"},\"team\":\"1\",\"Content\":\"hi\"}");
    Json::Value v;
    ASSERT_TRUE(zrktest::parseJson(ZRKChatLine::make("7", "A\",\"x\":\"y", "1", "say \"no\""), v));
    EXPECT_FALSE(v.isMember("x"));
    EXPECT_EQ(v["Sender"]["uname"].asString(), "A\",\"x\":\"y");
    EXPECT_EQ(v["Content"].asString(), "say \"no\"");
}

TEST(LobbyWorld, AMissingOrBrokenLobbyFileLeavesNoZones)
{
    zrktest::TempDir dir;
    for (const char* f : {"itemclasses.json", "master.json", "libs.json", "players.json", "accounts.json", "bots.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    {
        Lobby lobby(-1, dir.path());
        EXPECT_TRUE(lobby.core->lobby().zones().empty());
        EXPECT_EQ(lobby.ask("queryZones").views["zones"].size(), 0u);
        lobby.run(1, 60); // bots without zones open no rooms, and nothing breaks
    }
    zrktest::writeFile(dir.file("lobby.json"), "{\"zones\": [{\"z_id\": \"x\"}, 3, {\"z_id\": 1, \"z_name\": \"ok\"}");
    Lobby broken(-1, dir.path());
    EXPECT_TRUE(broken.core->lobby().zones().empty());
    zrktest::writeFile(dir.file("lobby.json"),
                       "{\"zones\": [{\"z_id\": \"x\"}, 3, {\"z_id\": 1, \"z_name\": \"ok\", \"max\": \"many\"}]}");
    Lobby partly(-1, dir.path());
    ASSERT_EQ(partly.core->lobby().zones().size(), 1u);
    EXPECT_EQ(partly.core->lobby().zones()[0].max, 100);
}

TEST(LobbyWorld, LeavingAZonesHallTakesThePlayerOutOfItsCount)
{
    Lobby lobby;
    ASSERT_FALSE(lobby.ask("joinZone", Lobby::list(lobby.zoneId("plains"))).error);
    ASSERT_FALSE(lobby.ask("enter", Lobby::list("plains")).error);
    const auto countOf = [&](const char* name) {
        const ZRKMessage zones = lobby.ask("queryZones");
        for (const Json::Value& z : zones.views["zones"])
            if (z["z_name"].asString() == name)
                return z["occ"].asInt();
        return -1;
    };
    const int in = countOf("plains");
    ASSERT_GT(in, 0);
    ASSERT_FALSE(lobby.ask("leave", Lobby::list("plains")).error);
    EXPECT_EQ(countOf("plains"), in - 1);
    EXPECT_EQ(lobby.core->lobby().zoneOf("hero"), nullptr);
}

TEST(LobbyWorld, PlayersAboutComeFromEveryZoneOnTheAreaAndFromHisOwnInIt)
{
    Lobby lobby;
    lobby.run(1, 10); // the server's own players come in
    ZRKLobby& world = lobby.core->lobby();
    const auto sample = [&] {
        const ZRKMessage reply = lobby.ask("queryRandomAsList", Json::Value(Json::arrayValue));
        EXPECT_FALSE(reply.error) << reply.text;
        std::vector<std::string> names;
        for (const Json::Value& v : reply.views["zoneRandom"])
            names.push_back(v.asString());
        return names;
    };
    // On the area he stands in no zone: players of the zones, never himself.
    const std::vector<std::string> about = sample();
    ASSERT_EQ(about.size(), 8u);
    std::set<std::string> zones;
    for (const std::string& name : about) {
        const ZRKLobby::Zone* zone = world.zoneOf(name);
        ASSERT_NE(zone, nullptr) << name;
        zones.insert(zone->name);
        EXPECT_NE(name, "hero");
    }
    EXPECT_GT(zones.size(), 1u);
    EXPECT_EQ(sample(), about); // the same players for the same zones

    // In a zone: only its own players.
    ASSERT_FALSE(lobby.ask("joinZone", Lobby::list(lobby.zoneId("plains"))).error);
    const std::vector<std::string> plains = sample();
    ASSERT_FALSE(plains.empty());
    for (const std::string& name : plains) {
        ASSERT_NE(world.zoneOf(name), nullptr);
        EXPECT_EQ(world.zoneOf(name)->name, "plains") << name;
        EXPECT_NE(name, "hero");
    }
}

TEST(LobbyWorld, APrivateLineToNobodyIsRefusedWithTheTextToShow)
{
    Lobby lobby;
    Json::Value whisper(Json::arrayValue);
    whisper.append("Nobody");
    whisper.append("hi");
    const ZRKMessage reply = lobby.ask("sendUserMessage", whisper);
    EXPECT_TRUE(reply.error);
    EXPECT_EQ(reply.text, "That player cannot be found.");
}

TEST(LobbyWorld, TheOwnCardCarriesTheCharacterAsEveryOtherOne)
{
    Lobby lobby;
    const ZRKMessage own = lobby.ask("queryUserInfo0", Lobby::list("zrk"));
    ASSERT_FALSE(own.error) << own.text;
    const Json::Value& card = own.view("userInfo/hero");
    EXPECT_EQ(card["pc_nickname"].asString(), "Hero");
    EXPECT_EQ(card["pc_lv"].asInt(), 9);
    EXPECT_EQ(card["a_username"].asString(), "hero");
    const ZRKMessage other = lobby.ask("queryMembers", Lobby::list(Lobby::list("hero")));
    EXPECT_EQ(Json::FastWriter().write(other.view("userInfo/hero")), Json::FastWriter().write(card));
}

TEST(LobbyWorld, AnotherPlayersSettingsCarryTheLookHeChoseForHisDoll)
{
    Lobby lobby;
    const ZRKMessage other = lobby.ask("queryUserInfo", Lobby::list("rookie"));
    ASSERT_FALSE(other.error) << other.text;
    const Json::Value& settings = other.view("userSetting/rookie");
    EXPECT_EQ(settings["def_hair"].asInt(), 1); // rookie's own choices, not the first of each
    EXPECT_EQ(settings["def_face"].asInt(), 1);
    EXPECT_EQ(settings["def_coat"].asInt(), 0);
    // A look changed is shown to the others at once.
    Json::Value looks = Json::Value(Json::objectValue);
    for (const char* part : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
        looks[part] = 2;
    looks["def_hair"] = "not an index"; // a look that went wrong keeps that part out
    ASSERT_TRUE(lobby.core->world().setLooks("rookie", looks));
    const Json::Value again = lobby.ask("queryUserInfo", Lobby::list("rookie")).view("userSetting/rookie");
    EXPECT_EQ(again["def_coat"].asInt(), 2);
    EXPECT_FALSE(again.isMember("def_hair"));
}

TEST(LobbyWorld, AZoneAboveThePlayersLevelIsRefusedByEveryWayIntoItsHallAndRooms)
{
    Lobby lobby(0);
    ASSERT_TRUE(lobby.core->setGrade("hero", 11, 0)); // the rookies take up to level 10
    EXPECT_TRUE(lobby.ask("joinZone", Lobby::list(lobby.zoneId("rookies"))).error);
    for (const char* hall : {"rookies", "rookies_cry", "rookies@conference.zrk"}) {
        EXPECT_EQ(lobby.ask("enter", Lobby::list(hall)).text, "9") << hall;
        Json::Value line(Json::arrayValue);
        line.append("rookies");
        line.append("hi");
        EXPECT_TRUE(lobby.ask("sendRoomMessage", line).error);
    }
    // A game room of the zone keeps the zone's limit too.
    ZRKLobby::RoomOffer offer;
    offer.title = "newbies";
    lobby.core->lobby().setOnline("Anvil", true, false);
    const std::string room = lobby.core->lobby().openRoom("Anvil", "rookies", offer);
    ASSERT_FALSE(room.empty());
    EXPECT_EQ(lobby.ask("enter", Lobby::list(room)).text, "9");
    EXPECT_TRUE(lobby.core->lobby().roomsOf("hero").empty());
    // Within the limit, the hall by name lets the player in.
    ASSERT_TRUE(lobby.core->setGrade("hero", 10, 0));
    EXPECT_EQ(lobby.ask("enter", Lobby::list("rookies")).text, "0");
    EXPECT_EQ(lobby.ask("enter", Lobby::list("plains")).text, "0");
}
