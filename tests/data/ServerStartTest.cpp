#include <gtest/gtest.h>

#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKServerStart.h>
#include <data/ZRKSession.h>
#include <support/FramePump.h>
#include <support/TestEnv.h>
#include <yake/Time.h>

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

ZRKServerConfig inMemory()
{
    ZRKServerConfig config;
    config.folder = "res/server";
    config.bots = 2;
    config.seed = 7;
    return config;
}

int logIn(ZRKSession& session, const std::string& name, const std::string& password)
{
    int code = -100;
    EXPECT_TRUE(session.login(name, password, [&](core::ISession*, int c) { code = c; }));
    zrktest::FramePump([&] {
        session.update(1.f / 60);
        return true;
    }).until([&] { return code != -100; }, 5, "the log-in's answer");
    return code;
}

} // namespace

// The world opened on its own thread serves the session as one opened in place: a log-in, the
// bots placed, and the start time the caller read.
TEST(ServerStart, ACoreBuiltOnItsOwnThreadServesTheSessionThatTakesIt)
{
    yake::native::setManualClock(true);
    yake::native::setTime(42.0);
    ZRKServerStart start(inMemory(), yake::native::getTime());
    std::unique_ptr<ZRKServerCore> core = start.take();
    ASSERT_NE(core, nullptr);
    EXPECT_TRUE(core->isReady());
    EXPECT_EQ(start.take(), nullptr) << "a core is taken once";

    ZRKSession session(std::make_unique<ZRKGameServer>(std::move(core)));
    ASSERT_NE(session.getGameServer(), nullptr);
    EXPECT_TRUE(session.getGameServer()->isReady());
    EXPECT_EQ(logIn(session, "hero", "wrong"), 1);
    EXPECT_EQ(logIn(session, "hero", "hero123"), 0);
    EXPECT_EQ(session.getUID(), "hero");
    yake::native::setManualClock(false);
}

// A start nobody takes (the window failed after it began) is waited for and dropped whole;
// a session given no core (its start's was taken already) plays against no server.
TEST(ServerStart, AStartNobodyTakesIsDroppedAndANullCoreMeansNoServer)
{
    for (int i = 0; i < 3; ++i)
        ZRKServerStart dropped(inMemory(), 0.0);
    ZRKServerStart taken(inMemory(), 0.0);
    ASSERT_NE(taken.take(), nullptr);
    ZRKSession session(ZRKGameServer::take(taken));
    EXPECT_EQ(session.getGameServer(), nullptr);
}

// The link a session is handed: none for an empty folder, else the server itself, ready, with
// nothing to tell the player about a fresh world in memory.
TEST(ServerStart, TheLinkToTheServerIsNoneWithoutFixturesAndTheServerWithThem)
{
    EXPECT_EQ(ZRKGameServer::start(std::string()), nullptr);
    ZRKServerConfig noFolder = inMemory();
    noFolder.folder.clear();
    EXPECT_EQ(ZRKGameServer::start(noFolder), nullptr);

    std::unique_ptr<ZRKGameServer> server = ZRKGameServer::start(inMemory());
    ASSERT_NE(server, nullptr);
    EXPECT_TRUE(server->isReady());
    EXPECT_FALSE(server->worldIsNewer());
    EXPECT_EQ(server->worldWarning(), "");
    ZRKGameServer* raw = server.get();
    ZRKSession session(std::move(server));
    EXPECT_EQ(session.getGameServer(), raw);
    session.setTransport(nullptr);
    EXPECT_EQ(session.getGameServer(), nullptr) << "another link is no embedded server";
}
