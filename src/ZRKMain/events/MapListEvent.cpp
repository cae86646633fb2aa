#include "events/MapListEvent.h"

#include <data/ZRKServer.h>
#include <gui/MapInfList.h>
#include <vector>

namespace kavri3D {
namespace zrk {

void MapListEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("mode", params);
    const int* mode = node ? boost::any_cast<int>(&node->value) : nullptr;
    if (!mode)
        return;
    mMaps.clear();
    // Without a server the list stays empty; the GUI still hears of it.
    if (ZRKServer* server = getZRKServer())
        server->getMapLib()->getList(server->getCurrentZoneId(), *mode, mMaps);
    raiseEvent(*mode == 9 ? gui::EventId::PveMapList : gui::EventId::MapList);
}

gui::ParamList* MapListEvent::fillParams()
{
    clearParams();
    std::vector<gui::MapInfList> maps;
    for (const MapConfig& map : mMaps) {
        if (!map.view.getBoolVal("visible", true))
            continue;
        gui::MapInfList record;
        record.name = map.view.getStringVal("name", "");
        record.description = map.view.getStringVal("desc", "");
        record.thumbnail = map.view.getStringVal("thumbnail", "");
        record.disable = map.view.getBoolVal("disable", true);
        record.mapId = map.id;
        record.level = map.view.getIntVal("pc_lv", 0);
        record.spare = map.pve; // a mission's stages, which its arrows go through
        maps.push_back(record);
    }
    addCollection("maps", maps);
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
