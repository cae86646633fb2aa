// The server's own players (res/server/bots.json): how many, their names, seed and pace, read
// at start; then half an hour of their doings in a world and lobby of the fixtures.
#include <cstdint>
#include <cstdlib>
#include <server/ZRKBots.h>
#include <server/ZRKLobby.h>
#include <server/ZRKWorld.h>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ZRKWorld* world = [] {
        zrkfuzz::FuzzSupport::quiet();
        ZRKWorld* w = new ZRKWorld; // one world for the run: seeding it is the slow part
        if (!w->open(":memory:", "res/server", false))
            std::abort();
        return w;
    }();
    const std::string file = zrkfuzz::FuzzSupport::write("bots.json", data, size);

    ZRKLobby lobby{ZRKLobby::Sink(), ZRKLobby::CardSource()};
    lobby.load("res/server");
    lobby.loadZones("res/server/lobby.json");
    {
        ZRKBots bots(*world, lobby);
        if (!bots.load(file, -1)) {
            if (bots.size() != 0)
                std::abort(); // a broken file: no players of its own
            return 0;
        }
        if (bots.size() > 10000)
            std::abort();
        if (bots.size() > 300)
            return 0; // a crowd only tests the count's bound; its doings are those of a few
        bots.start(0.0);
        if (!world->document("lib/bbrSlots").isArray())
            std::abort(); // the guests' level slots are always a list, empty at worst
        for (double t = 0; t <= 1800; t += 60)
            bots.tick(t);
        if (bots.onlineCount() > bots.size() || lobby.onlineCount() > bots.size())
            std::abort();
        for (std::size_t i = 0; i < bots.size(); ++i)
            if (bots.at(i).name.empty())
                std::abort();
    }
    return 0;
}
