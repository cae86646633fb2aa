#include "events/HallRoomListLoadingEvent.h"

#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

HallRoomListLoadingEvent::HallRoomListLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

gui::ParamList* HallRoomListLoadingEvent::fillParams()
{
    clearParams();
    addString("zone_name", mZoneName);
    return paramList();
}

void HallRoomListLoadingEvent::callback(gui::ParamHandle)
{
    ZRKServer* server = getZRKServer();
    mZoneName = server ? server->getCurrentZone().getStringVal("name", "") : std::string();
    if (ZRKSession* session = GameServices::session())
        session->enter(mZoneName, std::string());
    if (server && server->isArenaZone()) {
        mRequests.track(ZRKServerRequest::queryArenaState(
            mRequests.guard([this](bool error, const std::string& text) { onArenaState(error, text); })));
        return;
    }
    raiseEvent(givenId());
}

void HallRoomListLoadingEvent::onArenaState(bool, const std::string&) { raiseEvent(givenId()); }

} // namespace zrk
} // namespace kavri3D
