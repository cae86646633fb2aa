#include "server/ZRKGameServer.h"

#include <algorithm>
#include <yake/Logger.h>
#include <yake/Time.h>
#include "data/ZRKNotice.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerStart.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKGameServer");

/// Every value turned into junk of the wrong type, keeping the shape's top level.
Json::Value garble(const Json::Value& v)
{
    if (v.isObject()) {
        Json::Value out(Json::objectValue);
        for (const std::string& name : v.getMemberNames())
            out[name] = garble(v[name]);
        return out;
    }
    if (v.isArray())
        return Json::Value("#garbage#");
    return Json::Value(Json::arrayValue); // a list where a value belongs
}

} // namespace

const char* ZRKGameServer::modeName(Mode mode)
{
    static const char* const names[ModeCount] = {"answer", "fail", "hang", "garbage"};
    return mode >= 0 && mode < ModeCount ? names[mode] : "?";
}

ZRKGameServer::ZRKGameServer(const ZRKServerConfig& config)
    : ZRKGameServer(std::make_unique<ZRKServerCore>(config, yake::native::getTime()))
{
}

ZRKGameServer::ZRKGameServer(std::unique_ptr<ZRKServerCore> core)
    : mCore(std::move(core)), mConnection(mCore->connect())
{
}

ZRKGameServer::~ZRKGameServer() = default;

std::unique_ptr<ZRKGameServer> ZRKGameServer::start(const ZRKServerConfig& config)
{
    return config.folder.empty() ? nullptr : std::make_unique<ZRKGameServer>(config);
}

std::unique_ptr<ZRKGameServer> ZRKGameServer::start(const std::string& folder)
{
    ZRKServerConfig config;
    config.folder = folder;
    return start(config);
}

std::unique_ptr<ZRKGameServer> ZRKGameServer::take(ZRKServerStart& start)
{
    std::unique_ptr<ZRKServerCore> core = start.take();
    return core ? std::make_unique<ZRKGameServer>(std::move(core)) : nullptr;
}

bool ZRKGameServer::isReady() const { return mCore->isReady(); }

bool ZRKGameServer::worldIsNewer() const { return mCore->worldIsNewer(); }

const std::string& ZRKGameServer::getFolder() const { return mCore->config().folder; }

const std::string& ZRKGameServer::getAccount() const { return mCore->accountOf(mConnection); }

std::string ZRKGameServer::worldWarning() const
{
    if (mCore->worldInUse())
        return "error/srv_world_in_use";
    return mCore->worldWasReset() ? "error/srv_data_reset" : std::string();
}

void ZRKGameServer::clearModes()
{
    mMode = Answer;
    mModes.clear();
}

ZRKGameServer::Mode ZRKGameServer::modeOf(const std::string& op) const
{
    auto it = mModes.find(op);
    return it == mModes.end() ? mMode : it->second;
}

bool ZRKGameServer::cross(ZRKMessage& message) const
{
    if (!mThroughText)
        return true;
    ZRKMessage read;
    if (!ZRKMessage::fromText(message.toText(), read)) {
        logLine(Severity::Error, "a message did not survive the way as text");
        return false;
    }
    message = std::move(read);
    return true;
}

void ZRKGameServer::send(ZRKMessage request)
{
    if (cross(request))
        mArrivals.push_back(Arrival{std::move(request), mFrame});
}

void ZRKGameServer::dropClient()
{
    mCore->disconnect(mConnection);
    mConnection = mCore->connect();
    mArrivals.clear();
    mDropped = true;
}

void ZRKGameServer::answer(const ZRKMessage& request, std::vector<ZRKMessage>& out)
{
    const Mode mode = modeOf(request.op);
    if (mode == Hang)
        return;
    if (mode == Fail) {
        out.push_back(ZRKMessage::reply(request.handle, true, mFailText));
        return;
    }
    const std::size_t from = out.size();
    mCore->handle(mConnection, request);
    mCore->take(mConnection, out);
    if (mode == Garbage)
        for (std::size_t i = from; i < out.size(); ++i)
            if (out[i].type == ZRKMessage::Reply && out[i].handle == request.handle) {
                for (const auto& s : out[i].shared)
                    out[i].views[s.first] = *s.second;
                out[i].shared.clear();
                out[i].error = false;
                out[i].text = garbageText();
                out[i].views = garble(out[i].views);
            }
}

void ZRKGameServer::receive(std::vector<ZRKMessage>& out)
{
    ++mFrame;
    const std::size_t from = out.size();
    if (mDropped) {
        mDropped = false;
        out.push_back(ZRKMessage::notice(ZRKNotice::name(ZRKNotice::Dropped), std::string(), std::string()));
    }
    mCore->tick(yake::native::getTime());
    mCore->take(mConnection, out);
    mDue.clear();
    mLater.clear();
    for (Arrival& a : mArrivals)
        (a.frame + mLatency <= mFrame ? mDue : mLater).push_back(std::move(a));
    mArrivals.swap(mLater);
    if (mReversed)
        std::reverse(mDue.begin(), mDue.end());
    for (const Arrival& a : mDue)
        answer(a.request, out);
    mDue.clear();
    for (std::size_t i = from; i < out.size(); ++i) {
        if (out[i].type == ZRKMessage::Reply)
            ++mAnswered;
        if (!cross(out[i]))
            out[i] = ZRKMessage(); // an unreadable message is dropped on arrival
    }
    out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                             [](const ZRKMessage& m) { return m.type == ZRKMessage::Request; }),
              out.end());
}

} // namespace zrk
} // namespace kavri3D
