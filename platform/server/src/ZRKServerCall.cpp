#include "server/ZRKServerCall.h"

#include <cerrno>
#include <cstdlib>
#include <yake/Logger.h>
#include "server/ZRKServerCore.h"
#include "server/ZRKWorld.h"

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKGameServer");
} // namespace
namespace zrk {

ZRKServerCall::ZRKServerCall(ZRKServerCore& s, long c, const ZRKMessage& r, const std::string& a, const std::string& p)
    : server(s), connection(c), request(r), account(a), player(p)
{
}

ZRKWorld& ZRKServerCall::world() { return server.world(); }

ZRKLobby& ZRKServerCall::lobby() { return server.lobby(); }

std::shared_ptr<const Json::Value> ZRKServerCall::card(const std::string& name)
{
    return world().sharedPlayerView(name, ZRKWorld::CardView);
}

const Json::Value& ZRKServerCall::arg(unsigned i) const
{
    const Json::Value& args = request.args;
    return args.isArray() && i < args.size() ? args[i] : Json::Value::nullSingleton();
}

void ZRKServerCall::share(const std::string& name, const std::shared_ptr<const Json::Value>& view)
{
    if (view)
        shared[name] = view;
}

void ZRKServerCall::refuse(const std::string& key, const std::string& why)
{
    error = true;
    text = server.text(key);
    views = Json::Value();
    shared.clear();
    std::string line = request.op + " refused" + (player.empty() ? std::string() : " for " + player) + ": " + why;
    if (!server.ops().isSecret(request.op) && request.params.size() <= 200)
        line += " (" + request.params.substr(0, request.params.find_last_not_of('\n') + 1) + ")";
    logLine(Severity::Notice, line);
}

bool ZRKServerCall::readNumber(const Json::Value& v, long long& out)
{
    if (v.isInt64()) {
        out = v.asInt64();
        return true;
    }
    if (!v.isString())
        return false;
    const std::string t = v.asString();
    if (t.empty() || t.size() > 18)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(t.c_str(), &end, 10);
    if (errno || !end || *end != '\0' || !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-'))
        return false;
    out = n;
    return true;
}

bool ZRKServerCall::readText(const Json::Value& v, std::string& out)
{
    if (!v.isString())
        return false;
    out = v.asString();
    return true;
}

} // namespace zrk
} // namespace kavri3D
