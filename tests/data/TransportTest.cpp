// The one link to the server: plain messages that survive the way as text (and refuse to be
// half read), arguments that keep every character, and a link that can be slow, out of order
// or all text without the game noticing more than it should.
#include <gtest/gtest.h>

#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKMessage.h>
#include <data/ZRKParamText.h>
#include <data/ZRKParams.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>

#include "support/FramePump.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {
const std::string kEveryCharacter = "a,b[c]d{e}f:g\"h\\i'j k\nl\tm/\xc3\xa9\xe2\x82\xac n";
} // namespace

TEST(Messages, EveryKindSurvivesTheWayAsTextAndHalfAMessageIsNone)
{
    ZRKRequestInfo info;
    info.handle = 42;
    info.kind = "ZRKUserRequest";
    info.op = "queryUserInfo";
    info.args = ZRKParamText::list(kEveryCharacter, true, 7);
    info.params = ZRKParamText::make(info.args);
    Json::Value views;
    views["userInfo/x"]["nick"] = kEveryCharacter;
    const ZRKMessage sent[] = {ZRKMessage::request(info), ZRKMessage::reply(42, true, kEveryCharacter, views),
                               ZRKMessage::notice("message", "plains", "Anvil", Json::Value(), kEveryCharacter)};
    for (const ZRKMessage& m : sent) {
        ZRKMessage back;
        ASSERT_TRUE(ZRKMessage::fromText(m.toText(), back)) << m.toText();
        EXPECT_EQ(back.toJson(), m.toJson());
    }
    EXPECT_EQ(sent[0].args[0].asString(), kEveryCharacter);

    ZRKMessage untouched = sent[2];
    const std::string whole = sent[0].toText();
    const std::string broken[] = {"",
                                  whole.substr(0, whole.size() / 2),
                                  "{\"type\":\"reply\"}",
                                  "{\"type\":\"request\",\"handle\":\"5\",\"op\":\"x\"}",
                                  "{\"type\":\"shout\",\"op\":\"x\"}",
                                  "{\"type\":\"notice\",\"op\":\"join\",\"room\":5}",
                                  "[1,2,3]",
                                  std::string(2 * 1024 * 1024, ' ')};
    for (const std::string& text : broken)
        EXPECT_FALSE(ZRKMessage::fromText(text, untouched)) << text.substr(0, 60);
    EXPECT_EQ(untouched.toJson(), sent[2].toJson());
}

TEST(Messages, ArgumentsKeepEveryCharacterThatTheTextLoses)
{
    ZRKRequestBroker broker;
    ZRKUserRequest::queryUserInfo(kEveryCharacter, true, ZRKReply());
    ASSERT_EQ(broker.history().size(), 1u);
    const ZRKRequestInfo& sent = broker.history()[0];
    EXPECT_EQ(sent.params.find('"'), std::string::npos); // the text keeps its old form
    EXPECT_EQ(sent.args[0].asString(), kEveryCharacter);
    EXPECT_EQ(sent.args[1].asBool(), true);

    // Texts the game builds itself are read back as well as their form allows.
    EXPECT_EQ(ZRKParams::readText("{pcid:0}\n")["pcid"].asInt(), 0);
    const Json::Value list = ZRKParams::readText("[hero,0,true,{a:[1,x y]}]\n");
    ASSERT_TRUE(list.isArray());
    EXPECT_EQ(list[0].asString(), "hero");
    EXPECT_TRUE(list[1].isInt());
    EXPECT_TRUE(list[2].isBool());
    EXPECT_EQ(list[3]["a"][1].asString(), "x y");
    EXPECT_EQ(ZRKParams::readText("{\"fuid\":\"a,b\"}\n")["fuid"].asString(), "a,b"); // quoted kinds are JSON
    EXPECT_TRUE(ZRKParams::readText("{a:1,b}").isNull());
    EXPECT_TRUE(ZRKParams::readText(std::string(100, '[') + std::string(100, ']')).isNull());
    EXPECT_TRUE(ZRKParams::readText(std::string(300 * 1024, 'x')).isNull());

    // The history the tests read is bounded, so a long run does not grow.
    for (std::size_t i = 0; i < ZRKRequestBroker::kHistory + 10; ++i)
        broker.send("K", "op", "", ZRKReply());
    EXPECT_EQ(broker.history().size(), ZRKRequestBroker::kHistory);
}

namespace {
struct Link : ::testing::Test {
    ZRKSession session{ZRKGameServer::start("res/server")};
    ZRKGameServer& server = *session.getGameServer();
    int loginIn(int frames)
    {
        int code = -1;
        session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
        pump.until([&] { return code != -1; }, frames, "the log-in's answer");
        return code;
    }
    /// A frame of the game: the server answers, replies reach their completions.
    zrktest::FramePump pump{[this] {
        session.update(0);
        return true;
    }};
};
} // namespace

TEST_F(Link, LatencyInFramesDelaysEveryAnswer)
{
    server.setLatency(3);
    int code = -1;
    session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
    pump.until([&] { return code != -1; }, 10, "the log-in's answer");
    const long frames = pump.framesRun();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(frames, 3);
}

TEST_F(Link, OutOfOrderTheServerTakesThemLastFirstAndEachReplyStillFindsItsRequest)
{
    ASSERT_EQ(loginIn(2), 0);
    server.setOutOfOrder(true);
    auto moves = [](int from, int to) {
        core::XmlConfigHelper p;
        p.setIntVal("slot_from", from);
        p.setIntVal("slot_to", to);
        return p;
    };
    std::vector<std::string> done;
    ZRKUserRequest::changeSlot(
        moves(61, 77), [&](bool e, const std::string&) { done.push_back(e ? "first refused" : "first moved"); });
    ZRKUserRequest::changeSlot(
        moves(77, 78), [&](bool e, const std::string&) { done.push_back(e ? "second refused" : "second moved"); });
    session.update(0);
    // Taken the other way round, the second found nothing in slot 77; completions run in sending order.
    EXPECT_EQ(done, (std::vector<std::string>{"first moved", "second refused"}));
}

TEST_F(Link, AllAsTextTheLogInChainAnswersTheSame)
{
    server.setThroughText(true);
    ASSERT_EQ(loginIn(2), 0);
    int replies = 0;
    ZRKUserRequest::queryUserInfo0("", [&](bool e, const std::string&) { replies += e ? 100 : 1; });
    ZRKUserRequest::queryUserInventory(0, [&](bool e, const std::string&) { replies += e ? 100 : 1; });
    session.update(0);
    EXPECT_EQ(replies, 2);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getStringVal("pc_nickname", ""), "Hero");
    EXPECT_EQ(ZRKUserRequest::getInventory()->items().size(), 31u);
}

TEST_F(Link, ASecondLogInOfALoggedInAccountIsRefused)
{
    ASSERT_EQ(loginIn(2), 0);
    // Another client of the same server holds the rookie.
    ZRKServerCore& core = server.core();
    const long other = core.connect();
    ZRKRequestInfo login;
    login.handle = 1;
    login.op = "login";
    login.args["name"] = "rookie";
    login.args["password"] = "rookie123";
    core.handle(other, ZRKMessage::request(login));
    int code = -1;
    session.login("rookie", "rookie123", [&](core::ISession*, int c) { code = c; });
    session.update(0);
    EXPECT_EQ(code, 2);
    // The same client logging in again simply replaces its own log-in.
    session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
    session.update(0);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(server.getAccount(), "hero");
}
