#include "events/PlayerLeaveEvent.h"

#include <core/ClientStateTable.h>
#include <data/ZRKServer.h>
#include <data/ZRKSession.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

gui::ParamList* PlayerLeaveEvent::fillParams()
{
    clearParams();
    ZRKServer* server = getZRKServer();
    ZRKSession* session = GameServices::session();
    if (server && session)
        session->teleport(server->getCurrentZone().getStringVal("name", ""), core::ClientStateTable::kPlayerHall,
                          std::string());
    return paramList();
}

void PlayerLeaveEvent::callback(gui::ParamHandle params)
{
    std::string room;
    if (!readParam("room_name", params, room))
        return;
    if (ZRKSession* session = GameServices::session())
        session->leave(room);
}

} // namespace zrk
} // namespace kavri3D
