// What a client may ask of the server about game rooms: the first line names the operation, the
// rest is its argument list as JSON. Whatever comes, the server answers it, keeps its rooms
// whole and its players seated at most once, and the server's own players go on playing.
#include <algorithm>
#include <cstdint>
#include <data/ZRKJson.h>
#include <server/ZRKLobby.h>
#include <data/ZRKMessage.h>
#include <server/ZRKServerCore.h>
#include <memory>
#include <set>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct World {
    std::unique_ptr<ZRKServerCore> core;
    long connection = 0;
    double now = 10.0;
    long handle = 1;

    World()
    {
        ZRKServerConfig config;
        config.bots = 8;
        core.reset(new ZRKServerCore(config, now));
        connection = core->connect();
        core->logIn(connection, "hero", "hero");
        send("joinZone", Json::Value(Json::arrayValue).append(1));
    }
    void send(const std::string& op, const Json::Value& args)
    {
        ZRKRequestInfo info;
        info.handle = handle++;
        info.kind = "ZRKRoomRequest";
        info.op = op;
        info.args = args;
        core->handle(connection, ZRKMessage::request(info));
        std::vector<ZRKMessage> out;
        core->take(connection, out);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static World world; // one server for the run: the rooms it keeps are part of what is tried
    const std::string input = zrkfuzz::FuzzSupport::text(data, size);
    const std::size_t line = input.find('\n');
    const std::string op = input.substr(0, std::min(line, std::size_t(64)));
    static const std::set<std::string> ops = {
        "createRoom", "enter",          "leave",     "changeTeam",   "kick",         "changeReadyState",
        "beginGame",  "changeSlotFlag", "changeMap", "changeMapPVE", "notifyAvatar", "reportLoad"};
    if (!ops.count(op))
        return 0;
    world.send(op, ZRKJson::parse(line == std::string::npos ? std::string() : input.substr(line + 1)));
    world.now += 1.5;
    world.core->tick(world.now);
    // Every room keeps each player on one seat at most.
    ZRKLobby& lobby = world.core->lobby();
    for (const ZRKLobby::Zone& zone : lobby.zones())
        for (const ZRKLobby::Room* r : lobby.roomsIn(zone.name)) {
            std::set<std::string> seen;
            for (const std::string& s : r->seats)
                if (!s.empty() && !seen.insert(s).second)
                    __builtin_trap();
        }
    return 0;
}
