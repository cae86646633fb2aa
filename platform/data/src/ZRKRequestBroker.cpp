#include "data/ZRKRequestBroker.h"

#include <yake/Logger.h>
#include <yake/Time.h>
#include "data/ZRKGameData.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKRequestBroker);

namespace kavri3D {
namespace zrk {

namespace {
void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKData", text); }
} // namespace

ZRKRequestBroker::ZRKRequestBroker() = default;

// Pending completions are dropped, not run: their owners may already be gone.
ZRKRequestBroker::~ZRKRequestBroker() { mSent.disconnect_all_slots(); }

long ZRKRequestBroker::send(const std::string& kind, const std::string& op, const ZRKParams& params, const ZRKReply& done)
{
    Pending p;
    p.info.handle = mNextHandle++;
    p.info.kind = kind;
    p.info.op = op;
    p.info.params = params.text();
    p.info.args = params.args();
    p.info.sentAt = yake::native::getTime();
    p.done = done;
    const long handle = p.info.handle;
    if (mHistory.size() >= kHistory)
        mHistory.pop_front();
    mHistory.push_back(p.info);
    mRequests.emplace(handle, std::move(p));
    // The history's entry stays put while a listener sends more (a deque keeps its elements).
    const ZRKRequestInfo& info = mHistory.back();
    try {
        mSent(info);
    } catch (const std::exception& e) {
        logLine(3, "request listener failed on " + op + ": " + e.what());
    }
    return handle;
}

long ZRKRequestBroker::post(const char* kind, const char* op, const ZRKParams& params, const ZRKReply& done)
{
    ZRKRequestBroker* broker = getSingletonPtr();
    if (!broker) {
        logLine(3, std::string("no game session: ") + kind + "::" + op + " not sent");
        return 0;
    }
    return broker->send(kind, op, params, done);
}

bool ZRKRequestBroker::cancel(long handle) { return mRequests.erase(handle) > 0; }

void ZRKRequestBroker::cancelAll() { mRequests.clear(); }

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, const Json::Value& views)
{
    return complete(handle, error, text, Json::Value(views));
}

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, Json::Value&& views)
{
    return complete(handle, error, text, std::move(views), ZRKSharedViews());
}

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, Json::Value&& views, ZRKSharedViews&& shared)
{
    auto it = mRequests.find(handle);
    if (it == mRequests.end() || it->second.answered)
        return false;
    it->second.answered = true;
    it->second.error = error;
    it->second.text = text;
    it->second.views = std::move(views);
    it->second.shared = std::move(shared);
    return true;
}

bool ZRKRequestBroker::completeOldest(const std::string& op, bool error, const std::string& text, const Json::Value& views)
{
    for (auto& entry : mRequests)
        if (!entry.second.answered && entry.second.info.op == op)
            return complete(entry.first, error, text, views);
    return false;
}

std::vector<ZRKRequestInfo> ZRKRequestBroker::unanswered() const
{
    std::vector<ZRKRequestInfo> out;
    for (const auto& entry : mRequests)
        if (!entry.second.answered)
            out.push_back(entry.second.info);
    return out;
}

void ZRKRequestBroker::update()
{
    const double now = yake::native::getTime();
    std::vector<long> due;
    for (auto& entry : mRequests) {
        Pending& p = entry.second;
        if (!p.answered && mTimeout > 0 && now - p.info.sentAt >= mTimeout) {
            logLine(4, "no answer to " + p.info.kind + "::" + p.info.op);
            complete(entry.first, true, timeoutText());
        }
        if (p.answered)
            due.push_back(entry.first);
    }
    // A completion may send, cancel or complete other requests: each is looked up afresh.
    for (long handle : due) {
        auto it = mRequests.find(handle);
        if (it == mRequests.end())
            continue;
        Pending p = std::move(it->second);
        mRequests.erase(it);
        if (!p.views.isNull() || !p.shared.empty())
            if (ZRKGameData* data = ZRKGameData::getSingletonPtr()) {
                data->applyViews(std::move(p.views));
                data->applyViews(p.shared);
            }
        if (!p.done)
            continue;
        try {
            p.done(p.error, p.text);
        } catch (const std::exception& e) {
            logLine(3, "completion of " + p.info.op + " failed: " + e.what());
        } catch (...) {
            logLine(3, "completion of " + p.info.op + " failed");
        }
    }
}

} // namespace zrk
} // namespace kavri3D
