#include "events/ChatLoadingEvent.h"

#include <data/ZRKServerRequest.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
// "idle" tells the chat box whether it shows the zone's own room (5) or another (1).
const int kZoneRoom = 5;
const int kOtherRoom = 1;
} // namespace

ChatLoadingEvent::ChatLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

gui::ParamList* ChatLoadingEvent::fillParams()
{
    clearParams();
    addString("room_name", mRoomName);
    addInt("canuse", mCanUse);
    ZRKServer* server = getZRKServer();
    const bool zoneRoom = server && server->getCurrentZone().getStringVal("name", "") == mRoomName;
    addInt("idle", zoneRoom ? kZoneRoom : kOtherRoom);
    return paramList();
}

void ChatLoadingEvent::callback(gui::ParamHandle params)
{
    if (ZRKServer* server = getZRKServer())
        mRoomName = server->getCurrentZone().getStringVal("name", "");
    const gui::ParamNode* canUse = findParam("canuse", params);
    const int* value = canUse ? boost::any_cast<int>(&canUse->value) : nullptr;
    if (!value) {
        writeLog(kLogTrace, "ChatLoadingEvent", "canuse paramnode is null");
        return;
    }
    mCanUse = *value;
    if (!readOptional("room_name", params, mRoomName))
        return;
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
