// The lobby file (res/server/lobby.json) as the server reads it at start: its zones, each with
// its hall and cry room, the titles and lines of its own players; then players going in and
// out of the zones within their level limits.
#include <cstdint>
#include <cstdlib>
#include <server/ZRKLobby.h>
#include <set>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string file = zrkfuzz::FuzzSupport::write("lobby.json", data, size);

    ZRKLobby lobby{ZRKLobby::Sink(), ZRKLobby::CardSource()};
    const bool read = lobby.loadZones(file);
    if (!read && !lobby.zones().empty())
        std::abort(); // a broken file gives no zones
    std::set<int> ids;
    for (const ZRKLobby::Zone& z : lobby.zones()) {
        if (z.name.empty() || !ids.insert(z.id).second || z.max < 0)
            std::abort(); // every zone named, once by its id
        if (!lobby.findRoom(z.name) || !lobby.findRoom(z.name + "_cry"))
            std::abort(); // and its hall and cry room stand
    }
    if (read && lobby.roomTitles().empty())
        std::abort(); // the server's players always have a title to open rooms with

    int n = 0;
    for (const ZRKLobby::Zone& z : lobby.zones())
        for (int level : {1, z.pcLevel, z.pcLevel + 1}) {
            const std::string player = "p" + std::to_string(n++); // each comes from no zone
            lobby.setOnline(player, true, true);
            std::string refusal;
            const bool joined = lobby.joinZone(player, z.id, level, refusal);
            const bool admitted = lobby.admits(z.name, level) && lobby.admits(z.name + "_cry", level);
            if (joined != (admitted && z.max > 0))
                std::abort(); // the zone and its halls keep one limit
            if (joined && lobby.zoneOf(player) != &z)
                std::abort();
            if (!joined && refusal.empty())
                std::abort();
            if (admitted)
                lobby.enter(player, z.name, std::string());
            lobby.setOnline(player, false, true);
            if (!lobby.roomsOf(player).empty() || lobby.zoneOf(player))
                std::abort(); // gone offline, the player is in no room and no zone
        }
    return 0;
}
