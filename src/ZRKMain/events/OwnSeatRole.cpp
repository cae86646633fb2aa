#include "events/OwnSeatRole.h"

#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>

#include "services/GameServices.h"
#include "events/RoomListenEvent.h"
#include "rooms/RoleManager.h"

namespace kavri3D {
namespace zrk {

ZRKRolePtr OwnSeatRole::find(const std::string& demo)
{
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ZRKSession* session = GameServices::session();
    if (!room || !session)
        return ZRKRolePtr();
    const int seat = room->getSeatOf(session->getUID());
    if (seat < 0 || seat >= 8)
        return ZRKRolePtr();
    if (!demo.empty())
        if (ZRKRolePtr shown = RoleManager::instance().getRole(demo))
            return shown;
    return RoleManager::instance().getRole(RoomListenEvent::kSeatNames[seat]);
}

bool OwnSeatRole::copyOwnLook(const std::string& demo)
{
    ZRKRolePtr seat = find(demo);
    ZRKRolePtr own = RoleManager::instance().getRole("myrole");
    if (!seat || !own)
        return false;
    seat->copyFrom(*own);
    return true;
}

} // namespace zrk
} // namespace kavri3D
