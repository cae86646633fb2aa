// Room and chat messages reach every listener of the relay, through the session.
#include <gtest/gtest.h>
#include <data/ZRKSession.h>
#include <server/ZRKGameServer.h>

#include "rooms/ChatMsgRoomCallback.h"

using namespace kavri3D;
using zrk::ChatMsgRoomCallback;

namespace {
struct Heard {
    std::vector<std::string> lines;
    ChatMsgRoomCallback::Listener listener(const std::string& who)
    {
        return [this, who](const std::string& a, const std::string& b, bool flag) {
            lines.push_back(who + " " + a + " " + b + (flag ? " 1" : " 0"));
        };
    }
};
} // namespace

TEST(ChatMsgRoomCallback, EveryListenerInOrderEmptyOnesSkippedFlagsPassedOrSet)
{
    Heard heard;
    ChatMsgRoomCallback relay;
    relay.onMemberMessage("r", "nobody listens", false); // no listeners: nothing
    relay.addListener(heard.listener("a"));
    relay.addListener(ChatMsgRoomCallback::Listener());
    relay.addListener(heard.listener("b"));
    relay.onMemberMessage("r1", "hi", false);
    relay.onMessage("bob", "", "yo");
    const std::vector<std::string> expected = {"a r1 hi 0", "b r1 hi 0", "a bob yo 1", "b bob yo 1"};
    EXPECT_EQ(heard.lines, expected);
}

TEST(ChatMsgRoomCallback, SessionDeliversToEveryRegisteredRelayUntilOneIsRemoved)
{
    zrk::ZRKSession session(zrk::ZRKGameServer::start("res/server"));
    session.login("hero", "hero123", [](core::ISession*, int) {});
    session.update(0);
    Heard heard;
    ChatMsgRoomCallback first, second;
    first.addListener(heard.listener("first"));
    second.addListener(heard.listener("second"));
    const std::string room = session.decorateRoom("r1");
    session.addMsgRoomCallback(room, &first);
    session.addMsgRoomCallback(room, &second);

    session.getMsgClient()->receiveRoomMessage(room, "one", true);
    session.getMsgClient()->receiveUserMessage("bob", "psst");
    session.update(0);
    session.removeMsgRoomCallback(&first);
    session.getMsgClient()->receiveRoomMessage(room, "two");
    session.update(0);
    session.removeMsgRoomCallback(&second);

    const std::vector<std::string> expected = {"first " + room + " one 1", "second " + room + " one 1",
                                               "first bob psst 1", "second bob psst 1", "second " + room + " two 0"};
    EXPECT_EQ(heard.lines, expected);
}
