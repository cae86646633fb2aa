// A new character on the embedded server: the name rules and their texts, the one character
// per account, the default look kept for the own character only, and a world that keeps the
// character for the next log-in and the next run while the fixtures stay as they were.
#include <gtest/gtest.h>

#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <filesystem>
#include <map>
#include <fstream>
#include <lan/ZRKLan.h>
#include <sstream>
#include <support/TestEnv.h>
#include "DataTestKit.h"
#include "support/FramePump.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string textOf(const char* key)
{
    ZRKLan lan("res/lan");
    return ZRKLan::getMsg(key);
}

/// One account's session and what its requests answer.
struct Account {
    Account(const std::string& name, const std::string& password, const ZRKServerConfig& config)
        : session(ZRKGameServer::start(config))
    {
        session.login(name, password, [this](core::ISession*, int c) { code = c; });
        tick();
    }
    void tick(int frames = 1) { pump.frames(frames); }
    /// A frame of the game: the server answers, replies reach their completions.
    zrktest::FramePump pump{[this] {
        session.update(0);
        return true;
    }};
    std::pair<bool, std::string> create(const std::string& sex, const std::string& nick)
    {
        std::pair<bool, std::string> got{true, "<no reply>"};
        ZRKUserRequest::queryUserCreateChar(sex, nick, [&got](bool e, const std::string& t) { got = {e, t}; });
        tick();
        return got;
    }
    std::pair<bool, std::string> registerLook(long long pcId, int hair)
    {
        core::XmlConfigHelper look;
        look.setStringVal("pc_id", std::to_string(pcId));
        look.setIntVal("def_hair", hair);
        for (const char* part : {"def_face", "def_coat", "def_glove", "def_shoes"})
            look.setIntVal(part, 1);
        std::pair<bool, std::string> got{true, "<no reply>"};
        ZRKUserRequest::regDefState(look, [&got](bool e, const std::string& t) { got = {e, t}; });
        tick();
        return got;
    }
    core::XmlConfigHelper defState()
    {
        ZRKUserRequest::queryUserDefState("", ZRKReply());
        tick();
        return ZRKUserRequest::getUserDefState();
    }
    ZRKSession session;
    int code = -1;
};

ZRKServerConfig quietWorld(const std::string& database = ":memory:")
{
    ZRKServerConfig config;
    config.database = database;
    config.bots = 0;
    return config;
}

} // namespace

TEST(CreateCharServer, EachRefusalCarriesItsTextAndMakesNothing)
{
    const std::string sixteen = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                                "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    const struct {
        std::string sex, nick;
        const char* key;
    } refusals[] = {
        {"1", "", "error/role_name_empty"},
        {"1", std::string(17, 'a'), "error/role_name_long"},
        {"1", sixteen + "\xC3\xA9", "error/role_name_long"},
        {"1", "   ", "error/role_name_bad"},
        {"1", "a b", "error/role_name_bad"},
        {"1", "bad\xC3", "error/role_name_bad"},      // cut short
        {"1", "\xC0\xAF", "error/role_name_bad"},     // overlong
        {"1", "\xED\xA0\x80", "error/role_name_bad"}, // a surrogate
        {"1", "x'; DROP", "error/role_name_bad"},
        {"1", "HERO", "error/role_name_taken"}, // the fixture's "Hero", letter case aside
        {"3", "Fine", "error/srv_bad_request"},
    };
    Account nochar("nochar", "nochar123", quietWorld());
    ASSERT_EQ(nochar.code, 0);
    for (const auto& r : refusals) {
        const auto got = nochar.create(r.sex, r.nick);
        EXPECT_TRUE(got.first) << r.nick;
        EXPECT_EQ(got.second, textOf(r.key)) << r.nick;
    }
    EXPECT_EQ(nochar.session.getGameServer()->core().world().player("nochar")->pcId, 0);

    // Sixteen characters beyond ASCII are a name; so is "_" and "-".
    const auto made = nochar.create("2", sixteen);
    EXPECT_FALSE(made.first) << made.second;
    // One character per account.
    const auto again = nochar.create("1", "Another_one-2");
    EXPECT_TRUE(again.first);
    EXPECT_EQ(again.second, textOf("error/role_exists"));
}

TEST(CreateCharServer, TheCharacterIsThereAtTheNextLogInAndItsLookIsItsOwnOnly)
{
    zrktest::TempDir dir;
    const ZRKServerConfig config = quietWorld(dir.file("world.db"));
    long long pcId = 0;
    {
        Account nochar("nochar", "nochar123", config);
        const auto made = nochar.create("2", "Newbie");
        ASSERT_FALSE(made.first) << made.second;
        const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
        pcId = pc.getIntVal("pc_id", 0);
        EXPECT_GT(pcId, 1003); // above every fixture player's
        EXPECT_EQ(pc.getStringVal("pc_nickname", ""), "Newbie");
        EXPECT_EQ(pc.getIntVal("pc_lv", 0), 1);
        EXPECT_EQ(pc.getIntVal("pc_newbie_task", -1), 0);
        EXPECT_EQ(ZRKUserRequest::getUserInfo("nochar").getIntVal("c_id", 0), 2);
        EXPECT_EQ(ZRKUserRequest::getUserSetting("nochar").getStringVal("pc_nickname", ""), "Newbie");
        // Taken now, by whoever asks: this run's names count too.
        EXPECT_EQ(nochar.create("1", "nEWBIE").second, textOf("error/role_exists"));

        EXPECT_TRUE(nochar.registerLook(1001, 2).first); // the hero's character is not this one's
        const auto kept = nochar.registerLook(pcId, 2);
        EXPECT_FALSE(kept.first) << kept.second;
        EXPECT_EQ(nochar.defState().getIntVal("def_hair", -1), 2);
        EXPECT_EQ(nochar.defState().getStringVal("def_sex", ""), "girl");
    }
    {
        Account hero("hero", "hero123", config);
        EXPECT_EQ(hero.create("1", "Newbie").second, textOf("error/role_exists"));
        EXPECT_EQ(hero.defState().getIntVal("def_hair", -1), 0); // untouched by the other's try
    }
    // The next run: the same character, and its name still taken for others.
    Account nochar("nochar", "nochar123", config);
    ZRKUserRequest::queryUserInfo0("", ZRKReply());
    nochar.tick();
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_id", 0), pcId);
    EXPECT_EQ(nochar.defState().getIntVal("def_hair", -1), 2);
}

TEST(CreateCharServer, TheFixturesStayAsTheyWere)
{
    std::map<std::string, std::string> before;
    for (const auto& f : std::filesystem::directory_iterator("res/server"))
        before[f.path().string()] = readAll(f.path().string());
    zrktest::TempDir dir;
    {
        Account nochar("nochar", "nochar123", quietWorld(dir.file("world.db")));
        ASSERT_FALSE(nochar.create("1", "Keeper").first);
    }
    std::map<std::string, std::string> after;
    for (const auto& f : std::filesystem::directory_iterator("res/server"))
        after[f.path().string()] = readAll(f.path().string());
    EXPECT_EQ(before, after);
}
