#include <gtest/gtest.h>

#include <data/ZRKGameData.h>
#include <data/ZRKParamText.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRequestOwner.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKRosterRequest.h>
#include <lan/ZRKLan.h>
#include <memory>
#include <vector>
#include <yake/Time.h>

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// Records every completion it gets.
struct Calls {
    std::vector<std::pair<bool, std::string>> got;
    ZRKReply reply()
    {
        return [this](bool error, const std::string& text) { got.emplace_back(error, text); };
    }
};

class BrokerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        yake::native::setManualClock(true);
        yake::native::setTime(100.0);
    }
    void TearDown() override { yake::native::setManualClock(false); }

    ZRKRequestBroker broker;
    ZRKGameData data;
    Calls calls;
};

} // namespace

TEST(ParamTextTest, CompactWithoutQuotesAndQuotedKinds)
{
    Json::Value v;
    v["b"] = "x";
    v["a"] = 1;
    EXPECT_EQ(ZRKParamText::make(v), "{a:1,b:x}\n"); // members in name order, one newline
    EXPECT_EQ(ZRKParamText::makeQuoted(v), "{\"a\":1,\"b\":\"x\"}\n");
    EXPECT_EQ(ZRKParamText::pack(0, false, std::string("hero")), "[0,false,hero]\n");
    Json::Value nested;
    nested["s"] = "say \"hi\"";
    EXPECT_EQ(ZRKParamText::make(nested), "{s:say \\hi\\}\n"); // every quote goes, escaped ones too

    // The roster, guild-invitation and function-item texts reach the server as written.
    ZRKRequestBroker broker;
    const std::string quoted = ZRKParamText::makeQuoted(v);
    ZRKRosterRequest::queryAddRoster(quoted, ZRKReply());
    ZRKUserRequest::queryUseFunItem(quoted, ZRKReply());
    ZRKUserRequest::queryUserInventory(0, ZRKReply());
    ASSERT_EQ(broker.history().size(), 3u);
    EXPECT_EQ(broker.history()[0].params, quoted);
    EXPECT_EQ(broker.history()[1].params, quoted);
    EXPECT_EQ(broker.history()[2].op, "queryUserInventory");
    EXPECT_EQ(broker.history()[2].params, "[0]\n");
}

TEST_F(BrokerTest, CompletesOnceWithExactArgumentsOnTheNextUpdate)
{
    long h = ZRKUserRequest::queryPcStats([&](bool error, const std::string& text) {
        calls.got.emplace_back(error, text);
        // The views of the reply are in place when the completion runs.
        EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0), 9);
    });
    ASSERT_NE(h, 0);
    EXPECT_TRUE(broker.isPending(h));
    Json::Value views;
    views["pc"]["pc_lv"] = 9;
    EXPECT_TRUE(broker.complete(h, false, "fine", views));
    EXPECT_FALSE(broker.complete(h, true, "again")); // one answer per request
    EXPECT_TRUE(calls.got.empty());                  // never inside the answering call
    broker.update();
    ASSERT_EQ(calls.got.size(), 1u);
    EXPECT_EQ(calls.got[0], std::make_pair(false, std::string("fine")));
    broker.update();
    EXPECT_EQ(calls.got.size(), 1u);
    EXPECT_FALSE(broker.isPending(h));
}

TEST_F(BrokerTest, CompletionsRunInSendingOrderAndMaySendMore)
{
    long second = 0;
    long first = broker.send("K", "first", "", [&](bool, const std::string&) {
        calls.got.emplace_back(false, "first");
        second = broker.send("K", "chained", "", calls.reply());
    });
    long other = broker.send("K", "other", "", calls.reply());
    broker.complete(other, true, "o");
    broker.complete(first, false, "f");
    broker.update();
    ASSERT_EQ(calls.got.size(), 2u);
    EXPECT_EQ(calls.got[0].second, "first");
    EXPECT_EQ(calls.got[1], std::make_pair(true, std::string("o")));
    EXPECT_TRUE(broker.isPending(second)); // the chained request waits for its own answer
}

TEST_F(BrokerTest, CancelledAndOwnerlessCompletionsNeverRun)
{
    long h = broker.send("K", "a", "", calls.reply());
    EXPECT_TRUE(broker.cancel(h));
    EXPECT_FALSE(broker.complete(h, false, "late"));

    struct Screen {
        ZRKRequestOwner requests;
        int* hits;
        void onReply(bool, const std::string&) { ++*hits; }
    };
    int hits = 0;
    auto screen = std::make_unique<Screen>();
    screen->hits = &hits;
    Screen* raw = screen.get();
    long guarded =
        broker.send("K", "b", "", screen->requests.guard([raw](bool e, const std::string& t) { raw->onReply(e, t); }));
    long tracked =
        screen->requests.track(broker.send("K", "c", "", [raw](bool e, const std::string& t) { raw->onReply(e, t); }));
    broker.complete(guarded, false, "x");
    screen.reset(); // the screen goes while its replies are on their way
    EXPECT_FALSE(broker.isPending(tracked));
    EXPECT_FALSE(broker.complete(tracked, false, "y"));
    broker.update();
    EXPECT_EQ(hits, 0);
    EXPECT_TRUE(calls.got.empty());
}

TEST_F(BrokerTest, UnansweredRequestTimesOutOnceWithAnError)
{
    // The player reads the time-out: a text of the game's, not a word of the broker's.
    ZRKLan lan("res/lan");
    ASSERT_NE(ZRKRequestBroker::timeoutText(), ZRKRequestBroker::kTimeoutKey);
    EXPECT_NE(ZRKRequestBroker::timeoutText().find(' '), std::string::npos);
    broker.setTimeout(5.0);
    long h = broker.send("K", "slow", "", calls.reply());
    yake::native::advanceTime(4.9);
    broker.update();
    EXPECT_TRUE(calls.got.empty());
    yake::native::advanceTime(0.2);
    broker.update();
    ASSERT_EQ(calls.got.size(), 1u);
    EXPECT_TRUE(calls.got[0].first);
    EXPECT_EQ(calls.got[0].second, ZRKRequestBroker::timeoutText());
    EXPECT_FALSE(broker.complete(h, false, "too late"));
    broker.update();
    EXPECT_EQ(calls.got.size(), 1u);
}

TEST_F(BrokerTest, ThrowingCompletionDoesNotStopTheOthers)
{
    long a = broker.send("K", "a", "", [](bool, const std::string&) { throw std::runtime_error("boom"); });
    long b = broker.send("K", "b", "", calls.reply());
    broker.complete(a, false, "");
    broker.complete(b, false, "b");
    EXPECT_NO_THROW(broker.update());
    EXPECT_EQ(calls.got.size(), 1u);
}

TEST_F(BrokerTest, EachRequestRemembersWhyItEnded)
{
    using End = ZRKRequestBroker::End;
    ZRKLan lan("res/lan");
    broker.setTimeout(5.0);
    long answered = broker.send("K", "answered", "", calls.reply());
    long refused = broker.send("K", "refused", "", calls.reply());
    long slow = broker.send("K", "slow", "", calls.reply());
    long cancelled = broker.send("K", "cancelled", "", calls.reply());
    long lateCancel = broker.send("K", "lateCancel", "", calls.reply());
    long orphan = 0;
    {
        ZRKRequestOwner screen;
        orphan = screen.track(broker.send("K", "orphan", "", screen.guard(calls.reply())));
    } // the screen goes with its request unanswered
    long inside = broker.send("K", "inside", "", [&](bool, const std::string&) {
        // The completion already reads its own end.
        EXPECT_EQ(broker.endOf(inside), End::Answered);
    });
    EXPECT_EQ(broker.endOf(answered), End::Pending);

    broker.complete(answered, false, "fine");
    broker.complete(refused, true, "no such room");
    broker.complete(inside, false, "");
    broker.complete(lateCancel, false, "on its way");
    EXPECT_EQ(broker.endOf(answered), End::Pending); // answered, but its completion has yet to run
    broker.cancel(cancelled);
    broker.cancel(lateCancel); // the answer came, the completion never runs
    yake::native::advanceTime(5.0);
    broker.update();
    long closing = broker.send("K", "closing", "", calls.reply());
    broker.cancelAll(); // the session closes

    EXPECT_EQ(broker.endOf(answered), End::Answered);
    EXPECT_EQ(broker.endOf(refused), End::Refused);
    EXPECT_EQ(broker.endOf(slow), End::TimedOut);
    EXPECT_EQ(broker.endOf(cancelled), End::Dropped);
    EXPECT_EQ(broker.endOf(lateCancel), End::Dropped);
    EXPECT_EQ(broker.endOf(orphan), End::Dropped);
    // The refusal and the time-out reached their completions alike: an error and a text.
    ASSERT_EQ(calls.got.size(), 3u);
    EXPECT_TRUE(calls.got[1].first);
    EXPECT_TRUE(calls.got[2].first);
    EXPECT_EQ(broker.endOf(closing), End::Dropped);
    EXPECT_EQ(broker.endOf(0), End::Unknown);
    EXPECT_EQ(broker.endOf(closing + 100), End::Unknown);
    EXPECT_STREQ(ZRKRequestBroker::endName(End::TimedOut), "timed out");
}

TEST_F(BrokerTest, OnlyTheLatestEndsAreRemembered)
{
    using End = ZRKRequestBroker::End;
    const long first = broker.send("K", "first", "", calls.reply());
    broker.complete(first, true, "refused");
    broker.update();
    long last = first;
    for (std::size_t i = 0; i < ZRKRequestBroker::kEnds; ++i) {
        last = broker.send("K", "more", "", calls.reply());
        broker.cancel(last);
    }
    // Exactly the latest kEnds are kept: the oldest gave way to the newest.
    EXPECT_EQ(broker.endOf(first), End::Unknown);
    EXPECT_EQ(broker.endOf(first + 1), End::Dropped);
    EXPECT_EQ(broker.endOf(last), End::Dropped);
}

TEST(BrokerlessTest, RequestWithoutSessionIsDroppedNotCrashed)
{
    ASSERT_EQ(ZRKRequestBroker::getSingletonPtr(), nullptr);
    EXPECT_EQ(ZRKUserRequest::queryPcStats(ZRKReply()), 0);
    EXPECT_EQ(ZRKUserRequest::getInventory(), nullptr);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", -1), -1);
}
