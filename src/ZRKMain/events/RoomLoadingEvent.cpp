#include "events/RoomLoadingEvent.h"

#include <data/ZRKSession.h>

#include "services/GameServices.h"
#include "events/RoomFlow.h"

namespace kavri3D {
namespace zrk {

RoomLoadingEvent::RoomLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

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
    // A view without its room's name, zone or mode ends here: the last room's mode is not this one's.
    for (const char* needed : {"room_name", "zone_name", "room_mode"})
        if (!findParam(needed, params))
            return;
    if (!readParam("room_name", params, mRoomName) || !readParam("zone_name", params, zone) ||
        !readParam("room_mode", params, mRoomMode))
        return;
    // The zone's chat room: the room has its own. Left once; coming back from a battle the
    // player is in the room, not in the hall.
    if (ZRKSession* session = GameServices::session())
        if (!zone.empty() && session->isIn(zone))
            session->leave(zone);
    raiseEvent(RoomFlow::idFor(RoomFlow::View, mRoomMode));
}

} // namespace zrk
} // namespace kavri3D
