#include "events/AreaLoadingEvent.h"

#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/AreaData.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

AreaLoadingEvent::AreaLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

gui::ParamList* AreaLoadingEvent::fillParams()
{
    clearParams();
    ZRKServer* server = getZRKServer();
    if (!server)
        return paramList();
    const std::list<core::XmlConfigHelper> zones = server->getZones();
    int counter = 1;
    for (const core::XmlConfigHelper& zone : zones) {
        gui::AreaData area;
        area.zoneId = zone.getIntVal("z_id", 0);
        area.zoneName = zone.getStringVal("z_name", "");
        area.levelLimit = zone.getIntVal("pc_level", 0);
        area.capacity = zone.getIntVal("max", 0);
        area.occupancy = zone.getIntVal("occ", 0);
        addRecord("a" + std::to_string(counter++), area);
    }
    return paramList();
}

void AreaLoadingEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::queryZones(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
    mRequests.track(ZRKUserRequest::transMoney(ZRKReply()));
    mRequests.track(ZRKUserRequest::transItem(ZRKReply()));
}

void AreaLoadingEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogTrace, "AreaLoadingEvent", text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
