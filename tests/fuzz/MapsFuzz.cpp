// "res/server/maps.json", the battle maps: read as the battle reads them, then each of the
// first few maps fought on by two bots for a few seconds of land time, as a players' battle and
// as a mission (its crews in waves). Whatever the map says (no ground to stand on, spawns in
// the water, nodes and NPCs anywhere, waves of anything), the dolls stay finite, their health
// in bounds, and the wave in the field one of the map's.
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

void fight(const Json::Value& maps, const std::string& place, bool mission)
{
    auto room = boost::make_shared<LandBotRoom>(LandBotRoom::battle(7, 2, place, true, 60));
    room->setMaps(maps);
    if (mission)
        room->setValue("tactic", "9");
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
        if (land.getCurrentScenario() < 0 || land.getCurrentScenario() >= land.getScenarioCount() ||
            land.getScenarioCount() > DollConstants::MAX_WAVES ||
            land.getAllNpc().size() > static_cast<std::size_t>(DollConstants::MAX_NPCS_PER_WAVE)) {
            std::fprintf(stderr, "wave %d of %d with %zu crews on map %s\n", land.getCurrentScenario(),
                         land.getScenarioCount(), land.getAllNpc().size(), place.c_str());
            std::abort();
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
        fight(maps, place, false);
        fight(maps, place, true);
    }
    return 0;
}
