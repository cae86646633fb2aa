#include "data/ZRKRequestBroker.h"

#include <lan/ZRKLan.h>

#include <tinyxml.h>
#include <yake/Logger.h>
#include <yake/Time.h>
#include "data/ZRKGameData.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKRequestBroker);

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKData");

// A reply's data as XML goes no deeper and no larger than a reply of the game's ever is.
const int kMaxDataDepth = 32;
const std::size_t kMaxDataElements = 100000;

const char* const kEndNames[] = {"unknown", "pending", "answered", "refused", "timed out", "dropped"};
static_assert(sizeof(kEndNames) / sizeof(kEndNames[0]) == static_cast<std::size_t>(ZRKRequestBroker::End::Count),
              "every end of a request has a name");

std::string scalarText(const Json::Value& v)
{
    if (v.isString())
        return v.asString();
    if (v.isBool())
        return v.asBool() ? "true" : "false";
    if (v.isInt64())
        return std::to_string(v.asInt64());
    if (v.isUInt64())
        return std::to_string(v.asUInt64());
    if (v.isDouble()) {
        Json::FastWriter writer;
        std::string text = writer.write(v);
        return text.substr(0, text.find('\n'));
    }
    return std::string();
}

/// The value as elements of that name under the parent: a list as repeated elements, an object
/// as an element of elements, anything else as an element of its text. False once a limit is hit.
bool addElements(TiXmlNode& parent, const std::string& name, const Json::Value& v, int depth, std::size_t& left)
{
    if (depth > kMaxDataDepth || name.empty())
        return false;
    if (v.isArray()) {
        for (const Json::Value& entry : v)
            if (!addElements(parent, name, entry, depth + 1, left))
                return false;
        return true;
    }
    if (left == 0)
        return false;
    --left;
    TiXmlElement* e = parent.LinkEndChild(new TiXmlElement(name.c_str()))->ToElement();
    if (v.isObject()) {
        for (auto it = v.begin(); it != v.end(); ++it)
            if (!addElements(*e, it.name(), *it, depth + 1, left))
                return false;
        return true;
    }
    const std::string text = scalarText(v);
    if (!text.empty())
        e->LinkEndChild(new TiXmlText(text.c_str()));
    return true;
}
} // namespace

ZRKRequestBroker::ZRKRequestBroker() = default;

// Pending completions are dropped, not run: their owners may already be gone.
ZRKRequestBroker::~ZRKRequestBroker() { mSent.disconnect_all_slots(); }

long ZRKRequestBroker::send(const std::string& kind, const std::string& op, const ZRKParams& params,
                            const ZRKReply& done)
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
        logLine(Severity::Error, "request listener failed on " + op + ": " + e.what());
    }
    return handle;
}

long ZRKRequestBroker::post(const char* kind, const char* op, const ZRKParams& params, const ZRKReply& done)
{
    ZRKRequestBroker* broker = getSingletonPtr();
    if (!broker) {
        logLine(Severity::Error, std::string("no game session: ") + kind + "::" + op + " not sent");
        return 0;
    }
    return broker->send(kind, op, params, done);
}

const char* ZRKRequestBroker::endName(End end)
{
    const auto index = static_cast<std::size_t>(end);
    return index < static_cast<std::size_t>(End::Count) ? kEndNames[index] : "?";
}

ZRKRequestBroker::End ZRKRequestBroker::endOf(long handle) const
{
    if (isPending(handle))
        return End::Pending;
    auto it = mEnds.find(handle);
    return it == mEnds.end() ? End::Unknown : it->second;
}

void ZRKRequestBroker::recordEnd(long handle, End end)
{
    if (mEndOrder.size() >= kEnds) {
        mEnds.erase(mEndOrder.front());
        mEndOrder.pop_front();
    }
    mEnds[handle] = end;
    mEndOrder.push_back(handle);
}

bool ZRKRequestBroker::cancel(long handle)
{
    if (mRequests.erase(handle) == 0)
        return false;
    recordEnd(handle, End::Dropped);
    return true;
}

void ZRKRequestBroker::cancelAll()
{
    for (const auto& entry : mRequests)
        recordEnd(entry.first, End::Dropped);
    mRequests.clear();
}

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, const Json::Value& views)
{
    return complete(handle, error, text, Json::Value(views));
}

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, Json::Value&& views)
{
    return complete(handle, error, text, std::move(views), ZRKSharedViews());
}

bool ZRKRequestBroker::complete(long handle, bool error, const std::string& text, Json::Value&& views,
                                ZRKSharedViews&& shared)
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

bool ZRKRequestBroker::completeOldest(const std::string& op, bool error, const std::string& text,
                                      const Json::Value& views)
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

std::string ZRKRequestBroker::timeoutText() { return ZRKLan::getMsg(kTimeoutKey); }

void ZRKRequestBroker::update()
{
    const double now = yake::native::getTime();
    std::vector<long> due;
    for (auto& entry : mRequests) {
        Pending& p = entry.second;
        if (!p.answered && mTimeout > 0 && now - p.info.sentAt >= mTimeout) {
            logLine(Severity::Warning, "no answer to " + p.info.kind + "::" + p.info.op);
            complete(entry.first, true, timeoutText());
            p.timedOut = true;
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
        const End end = p.timedOut ? End::TimedOut : p.error ? End::Refused : End::Answered;
        recordEnd(handle, end);
        // Views and completion alike stand behind the barrier: a reply the data cannot take
        // ends this request, never the frame.
        try {
            if (!p.views.isNull() || !p.shared.empty())
                if (ZRKGameData* data = ZRKGameData::getSingletonPtr()) {
                    data->applyViews(Json::Value(p.views));
                    data->applyViews(p.shared);
                }
            // The reply's data stays readable while its completion runs, and not after.
            struct Current {
                ZRKRequestBroker& broker;
                ~Current()
                {
                    broker.mCurrentViews = nullptr;
                    broker.mCurrentData.reset();
                }
            } current{*this};
            mCurrentViews = &p.views;
            mCurrentData.reset();
            if (p.done)
                p.done(p.error, p.text);
        } catch (const std::exception& e) {
            logLine(Severity::Error, "completion of " + p.info.op + " (" + endName(end) + ") failed: " + e.what());
        } catch (...) {
            logLine(Severity::Error, "completion of " + p.info.op + " (" + endName(end) + ") failed");
        }
    }
}

const TiXmlNode* ZRKRequestBroker::currentData() const
{
    if (!mCurrentViews)
        return nullptr;
    if (!mCurrentData) {
        mCurrentData = std::make_shared<TiXmlDocument>();
        TiXmlElement* root = mCurrentData->LinkEndChild(new TiXmlElement("data"))->ToElement();
        std::size_t left = kMaxDataElements;
        if (mCurrentViews->isObject())
            for (auto it = mCurrentViews->begin(); it != mCurrentViews->end(); ++it)
                if (!addElements(*root, it.name(), *it, 1, left)) {
                    logLine(Severity::Warning,
                            "a reply's data goes deeper or further than it may: the rest is left out");
                    break;
                }
    }
    return mCurrentData.get();
}

const TiXmlNode* reqCurrentData()
{
    const ZRKRequestBroker* broker = ZRKRequestBroker::getSingletonPtr();
    return broker ? broker->currentData() : nullptr;
}

} // namespace zrk
} // namespace kavri3D
