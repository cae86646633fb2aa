// "res/server/maps.json", the battle maps: read as the battle reads them, then each of the
// first few maps fought on by two bots for a few seconds of land time. Whatever the map says
// (no ground to stand on, spawns in the water, nodes and NPCs anywhere), the dolls stay finite
// and their health in bounds.
#include <boost/make_shared.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <land/LandBotRoom.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

void fight(const Json::Value& maps, const std::string& place)
{
    auto room = boost::make_shared<LandBotRoom>(LandBotRoom::battle(7, 2, place, true, 60));
    room->setMaps(maps);
    ZRKLand land(nullptr);
    land.useRoom(room);
    if (!land.create())
        return;
    for (int i = 0; i < 20 && land.getLoadState() != LOAD_READY; ++i)
        land.update(0.1f);
    land.beginSimulator();
    for (int i = 0; i < 40 && !land.isFinished(); ++i) {
        land.update(0.25f);
        for (const auto& d : land.getAllDoll()) {
            const ZRKBattleState& b = d.second->getBattle();
            if (!d.second->getPosition().isFinite() || b.hp < 0 || b.hp > b.xhp) {
                std::fprintf(stderr, "doll %s left the world or its health its bounds on map %s\n", d.first.c_str(),
                             place.c_str());
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const Json::Value maps = LandBotRoom::readMaps(zrkfuzz::FuzzSupport::write("maps.json", data, size));
    if (!maps.isObject())
        return 0;
    int fought = 0;
    for (const std::string& place : maps.getMemberNames()) {
        if (++fought > 3)
            break;
        fight(maps, place);
    }
    return 0;
}
