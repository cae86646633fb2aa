#include "events/RoomLoadingEvent.h"

#include <data/ZRKSession.h>

#include "services/GameServices.h"
#include "events/RoomFlow.h"

namespace kavri3D {
namespace zrk {

RoomLoadingEvent::RoomLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{}

gui::ParamList* RoomLoadingEvent::fillParams()
{
    clearParams();
    addInt("room_id", mRoomId);
    addString("room_name", mRoomName);
    addNode("mode_name", mRoomMode, -1, gui::ParamNode::Integer);
    return paramList();
}

void RoomLoadingEvent::callback(gui::ParamHandle params)
{
    int id = -1;
    if (!readParam("room_id", params, id))
        return;
    std::string zone;
    mRoomId = id;
    mRoomName.clear();
    if (!readOptional("room_name", params, mRoomName) || !readOptional("zone_name", params, zone) ||
        !readOptional("room_mode", params, mRoomMode))
        return;
    if (ZRKSession* session = GameServices::session())
        if (!zone.empty())
            session->leave(zone); // the zone's chat room: the room has its own
    raiseEvent(RoomFlow::idFor(RoomFlow::View, mRoomMode));
}

} // namespace zrk
} // namespace kavri3D
