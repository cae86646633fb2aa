#include <gtest/gtest.h>

#include <data/ZRKArenaRequest.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKGuardRequest.h>
#include <data/ZRKGuildRequest.h>
#include <data/ZRKHonorRequest.h>
#include <data/ZRKJobRequest.h>
#include <data/ZRKPcBluRequest.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <support/TestEnv.h>
#include <yake/Time.h>
#include "DataTestKit.h"
#include "support/FramePump.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

class GameServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        yake::native::setManualClock(true);
        yake::native::setTime(10.0);
    }
    void TearDown() override { yake::native::setManualClock(false); }

    void tick(int frames = 1) { pump.frames(frames); }
    /// A frame of the game: the server answers, replies reach their completions.
    zrktest::FramePump pump{[this] {
        session.update(1.f / 60);
        return true;
    }};
    /// Logs in and returns the result code, ticking until it arrives.
    int login(const std::string& name, const std::string& password)
    {
        int code = -100;
        EXPECT_TRUE(session.login(name, password, [&](core::ISession* s, int c) {
            EXPECT_EQ(s, &session);
            code = c;
        }));
        pump.until([&] { return code != -100; }, 5, "the log-in\'s answer");
        return code;
    }
    /// The log-in chain of the game: user information, default look, then the batch.
    void loadPlayer(const std::string& name)
    {
        int replies = 0;
        auto count = [&](bool, const std::string&) { ++replies; };
        ZRKServerRequest::queryMaster(ZRKReply());
        ZRKServerRequest::queryItemClasses(ZRKReply());
        ZRKUserRequest::queryUserInfo0("", count);
        ZRKUserRequest::queryUserDefState(name, count);
        ZRKUserRequest::queryUserInventory(0, count);
        ZRKUserRequest::queryPcStats(count);
        ZRKTaskRequest::getPcQuestList(false, count);
        ZRKHonorRequest::queryPcTitle(count);
        ZRKGuildRequest::queryPlayerGuild("{pcid:0}\n", count);
        ZRKRosterRequest::queryMyRoster(count);
        ZRKArenaRequest::queryMyArena(count);
        ZRKGuardRequest::queryPlayerGuard(count);
        ZRKJobRequest::getPcPurposeList(count);
        ZRKPcBluRequest::getPcBluDrillList(count);
        tick(2);
        EXPECT_EQ(replies, 12);
    }

    ZRKSession session{ZRKGameServer::start("res/server")};
};

} // namespace

TEST_F(GameServerTest, LogInAnswersFromTheAccounts)
{
    EXPECT_EQ(login("hero", "wrong"), 1);
    EXPECT_FALSE(session.isOnline());
    EXPECT_EQ(login("nobody", "x"), 1);
    EXPECT_EQ(login("elsewhere", "elsewhere123"), 2);
    EXPECT_EQ(login("hero", "hero123"), 0);
    EXPECT_TRUE(session.isOnline());
    EXPECT_EQ(session.getUID(), "hero");
    EXPECT_FALSE(session.getSID().empty());
    EXPECT_NE(ZRKServerRequest::getServer(), nullptr);
}

TEST_F(GameServerTest, AnswersOneFrameLaterNeverInsideTheCall)
{
    bool done = false;
    session.login("hero", "hero123", [&](core::ISession*, int) { done = true; });
    EXPECT_FALSE(session.login("hero", "hero123", [](core::ISession*, int) { ADD_FAILURE(); })); // one at a time
    EXPECT_FALSE(done);
    tick();
    EXPECT_TRUE(done);
}

TEST_F(GameServerTest, PlayerWithCharacterAndNewbieTaskDone)
{
    ASSERT_EQ(login("hero", "hero123"), 0);
    loadPlayer("hero");
    EXPECT_EQ(ZRKUserRequest::getUserInfo("hero").getIntVal("pc_id", 0), 1001);
    EXPECT_EQ(ZRKUserRequest::getUserSetting("hero").getIntVal("pc_newbie_task", 0), 7);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0), 9);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_rank", 0), 5);
    EXPECT_EQ(ZRKUserRequest::getUserDefState().getStringVal("def_sex", ""), "boy");
    // The quit confirmation's figures: two quests in progress and one item in the temporary bag.
    EXPECT_EQ(ZRKTaskRequest::getQuestLib()->getDoingNum(48), 2);
    std::list<core::XmlConfigHelper> bag;
    EXPECT_EQ(ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), bag, 11, false), 1);
    EXPECT_EQ(bag.front().getIntVal("i_id", 0), 5001);
    EXPECT_GT(ZRKUserRequest::getStatsLib()->size(), 0u);
    EXPECT_EQ(ZRKServerRequest::getServer()->getItemLib()->find("3001").getStringVal("i_name", ""), "Field Jacket");

    // Libraries refresh from the server too.
    EXPECT_EQ(ZRKJobRequest::getPurposeLib()->size(), 0u);
    ZRKJobRequest::getPurposeLib()->refresh();
    ZRKServerRequest::getServer()->getNpcLib()->refresh();
    tick(2);
    EXPECT_EQ(ZRKJobRequest::getPurposeLib()->find("1").getStringVal("name", ""), "Win a battle");
    EXPECT_EQ(ZRKServerRequest::getServer()->getNpcLib()->size(), 1u);
}

TEST_F(GameServerTest, NewbieAndCharacterlessAccounts)
{
    ASSERT_EQ(login("rookie", "rookie123"), 0);
    loadPlayer("rookie");
    EXPECT_NE(ZRKUserRequest::getUserInfo("rookie").getIntVal("pc_id", 0), 0);
    EXPECT_EQ(ZRKUserRequest::getUserSetting("rookie").getIntVal("pc_newbie_task", -1), 0);
    EXPECT_EQ(ZRKTaskRequest::getQuestLib()->getDoingNum(48), 0);

    session.logout();
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", -1), -1); // nothing of the last player stays
    ASSERT_EQ(login("nochar", "nochar123"), 0);
    loadPlayer("nochar");
    EXPECT_EQ(ZRKUserRequest::getUserInfo("nochar").getIntVal("pc_id", -1), 0);
}

TEST_F(GameServerTest, FailingHangingAndGarbageServer)
{
    ZRKGameServer* server = session.getGameServer();
    ASSERT_NE(server, nullptr);
    server->setModeFor("login", ZRKGameServer::Fail);
    EXPECT_EQ(login("hero", "hero123"), 3);
    server->setModeFor("login", ZRKGameServer::Garbage);
    EXPECT_EQ(login("hero", "hero123"), 3);
    server->clearModes();
    ASSERT_EQ(login("hero", "hero123"), 0);

    // Garbage: the reply arrives with wrong-typed values; readers fall back to defaults.
    server->setMode(ZRKGameServer::Garbage);
    loadPlayer("hero");
    EXPECT_EQ(ZRKUserRequest::getUserInfo("hero").getIntVal("pc_id", 0), 0);
    EXPECT_EQ(ZRKUserRequest::getInventory()->items().size(), 0u);
    EXPECT_EQ(ZRKTaskRequest::getQuestLib()->getDoingNum(48), 0);

    // Failing: every completion gets the error and the server's text.
    server->setMode(ZRKGameServer::Fail);
    server->setFailText("maintenance");
    std::pair<bool, std::string> got;
    ZRKUserRequest::queryPcStats([&](bool e, const std::string& t) { got = {e, t}; });
    tick();
    EXPECT_EQ(got, std::make_pair(true, std::string("maintenance")));

    // Hanging: nothing arrives until the timeout.
    server->setMode(ZRKGameServer::Hang);
    session.getBroker().setTimeout(2.0);
    int calls = 0;
    ZRKUserRequest::queryPcStats([&](bool e, const std::string&) { calls += e ? 1 : 100; });
    tick(3);
    EXPECT_EQ(calls, 0);
    yake::native::advanceTime(2.0);
    tick();
    EXPECT_EQ(calls, 1);
}

TEST_F(GameServerTest, UnknownRequestIsAnErrorNotASuccess)
{
    datatest::LogCapture log;
    std::pair<bool, std::string> got;
    ZRKRequestBroker::post("ZRKShopRequest", "noSuchThing", "[]\n", [&](bool e, const std::string& t) {
        got = {e, t};
    });
    tick();
    EXPECT_TRUE(got.first);
    EXPECT_EQ(got.second, "An unknown error occurred."); // a text to show, never a bare key
    EXPECT_EQ(log.count("ZRKGameServer", "no handler for the request ZRKShopRequest::noSuchThing"), 1u);
    // Player data asked before anyone logged in is refused as well.
    ZRKUserRequest::queryUserInventory(0, [&](bool e, const std::string& t) { got = {e, t}; });
    tick();
    EXPECT_EQ(got, std::make_pair(true, std::string("Please log in first.")));
}

TEST(GameServerFixtureTest, BrokenFixtureStopsTheSeedingAndTheServerRefusesEverything)
{
    zrktest::TempDir dir;
    for (const char* f : {"itemclasses.json", "master.json", "libs.json", "players.json"})
        zrktest::writeFile(dir.file(f), zrktest::readFile(std::string("res/server/") + f));
    zrktest::writeFile(dir.file("accounts.json"), "{\"accounts\": {\"a\": {\"password\": 5, \"player\": \"hero\"}}}");
    datatest::LogCapture log;
    ZRKSession session(ZRKGameServer::start(dir.path()));
    EXPECT_FALSE(session.getGameServer()->isReady());
    EXPECT_EQ(log.containing("ZRKWorld", "accounts.json: account a"), 1u) << "one line naming the file and the entry";

    int code = -1;
    session.login("a", "5", [&](core::ISession*, int c) { code = c; });
    std::pair<bool, std::string> got;
    ZRKServerRequest::queryMaster([&](bool e, const std::string& t) { got = {e, t}; });
    session.update(0);
    EXPECT_EQ(code, 3); // the game goes on offline, as with a server it cannot reach
    EXPECT_TRUE(got.first);
    EXPECT_FALSE(session.isOnline());

    // Fixtures too large or too deep are broken fixtures too, not a crash.
    zrktest::writeFile(dir.file("accounts.json"), std::string(200000, '[') + std::string(200000, ']'));
    ZRKSession deep(ZRKGameServer::start(dir.path()));
    EXPECT_FALSE(deep.getGameServer()->isReady());
    zrktest::writeFile(dir.file("accounts.json"), "{\"accounts\": {}, \"pad\": \"" + std::string(1100000, 'x') + "\"}");
    ZRKSession large(ZRKGameServer::start(dir.path()));
    EXPECT_FALSE(large.getGameServer()->isReady());
}
