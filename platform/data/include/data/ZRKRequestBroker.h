#pragma once
#include "data/ZRKSharedViews.h"
#include <boost/signals2.hpp>
#include <deque>
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <util/Singleton.h>
#include "data/ZRKParamText.h"
#include "data/ZRKParams.h"
#include "data/ZRKRequestInfo.h"

class TiXmlDocument;
class TiXmlNode;

namespace kavri3D {
namespace zrk {

/// Carries every request of the game to the game server and its reply back. A request stays
/// pending until someone (the embedded server or a test) completes it with an error flag, a
/// text and the result views; its completion then runs once, from the next update on the
/// frame thread, never inside the call that sent it. A request not answered within the
/// timeout completes once with an error.
class ZRKRequestBroker : public Singleton<ZRKRequestBroker> {
public:
    typedef boost::signals2::signal<void(const ZRKRequestInfo&)> SentSignal;

    /// Why a request ended: what its completion cannot say, since a time-out and a refusal
    /// both arrive as an error with a text, and a dropped request's completion never runs.
    enum class End {
        Unknown,  ///< never sent, or ended too long ago to be remembered
        Pending,  ///< not ended yet
        Answered, ///< the server answered and the completion ran without error
        Refused,  ///< the server answered with an error
        TimedOut, ///< no answer came in time; the completion ran with the time-out text
        Dropped,  ///< cancelled before its completion ran: by its sender, or as its owner went
        Count
    };
    static const char* endName(End end);

    ZRKRequestBroker();
    ~ZRKRequestBroker();

    /// Sends one request; returns its handle (never 0).
    long send(const std::string& kind, const std::string& op, const ZRKParams& params, const ZRKReply& done);

    /// The request operations' one entry: sends through the live broker, or logs and returns
    /// 0 without one (no completion then ever runs).
    static long post(const char* kind, const char* op, const ZRKParams& params, const ZRKReply& done);
    /// An operation's arguments as the parameter text (a JSON array of them) and as values.
    template <class... Args>
    static long call(const char* kind, const char* op, const ZRKReply& done, const Args&... args)
    {
        const Json::Value list = ZRKParamText::list(args...);
        return post(kind, op, ZRKParams::exact(ZRKParamText::make(list), list), done);
    }

    /// The completion of the request never runs; false when it is not pending.
    bool cancel(long handle);
    void cancelAll();

    /// Answers a pending request. The views (an object of view name to value) replace the
    /// named result views just before the completion runs. False when the handle is not
    /// pending or was answered already.
    bool complete(long handle, bool error, const std::string& text, const Json::Value& views = Json::Value());
    /// The same, taking the views over.
    bool complete(long handle, bool error, const std::string& text, Json::Value&& views);
    /// The same, with views handed over whole besides.
    bool complete(long handle, bool error, const std::string& text, Json::Value&& views, ZRKSharedViews&& shared);
    /// Answers the oldest unanswered request of the operation; false when there is none.
    bool completeOldest(const std::string& op, bool error, const std::string& text,
                        const Json::Value& views = Json::Value());

    /// Times out overdue requests, then runs the completions of the answered ones in the
    /// order they were sent.
    void update();

    /// Seconds a request may wait for its answer; 0 or less waits for ever.
    void setTimeout(double seconds) { mTimeout = seconds; }
    double getTimeout() const { return mTimeout; }

    bool isPending(long handle) const { return mRequests.count(handle) > 0; }
    /// Requests still waiting for an answer, oldest first.
    std::vector<ZRKRequestInfo> unanswered() const;
    /// The requests sent since the last clearHistory, oldest first; only the latest
    /// kHistory are kept, so a long run does not grow.
    const std::deque<ZRKRequestInfo>& history() const { return mHistory; }
    void clearHistory() { mHistory.clear(); }
    /// Why the request of this handle ended; only the latest kEnds ends are remembered.
    End endOf(long handle) const;

    /// Told of each request as it is sent (the embedded server listens here).
    boost::signals2::connection subscribeToSent(const SentSignal::slot_type& slot) { return mSent.connect(slot); }

    /// The data of the reply whose completion runs now, as an XML document whose root element
    /// holds each of its views as elements (a list as repeated elements of its name); null
    /// outside a completion. Made when first asked for, within limits of depth and size.
    const TiXmlNode* currentData() const;

    /// What a request that got no answer in time completes with: the player reads it.
    static std::string timeoutText();
    static constexpr const char* kTimeoutKey = "error/request_timeout";
    static constexpr std::size_t kHistory = 4096;
    static constexpr std::size_t kEnds = 1024;

private:
    void recordEnd(long handle, End end);

    struct Pending {
        ZRKRequestInfo info;
        ZRKReply done;
        bool answered = false;
        bool error = false;
        bool timedOut = false;
        std::string text;
        Json::Value views;
        ZRKSharedViews shared;
    };

    const Json::Value* mCurrentViews = nullptr;          ///< the running completion's reply views
    mutable std::shared_ptr<TiXmlDocument> mCurrentData; ///< made from them when asked for
    std::map<long, Pending> mRequests;                   // by handle: handles grow, so this is sending order
    std::deque<ZRKRequestInfo> mHistory;
    std::map<long, End> mEnds;  ///< the latest ends by handle
    std::deque<long> mEndOrder; ///< their handles in the order they ended, to forget the oldest
    SentSignal mSent;
    long mNextHandle = 1;
    double mTimeout = 30.0;
};

/// The live broker's currentData(); null without a broker or outside a completion.
const TiXmlNode* reqCurrentData();

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKRequestBroker);
