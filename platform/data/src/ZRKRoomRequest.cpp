#include "data/ZRKRoomRequest.h"

#include "data/ZRKGameData.h"
#include "data/ZRKSession.h"

namespace kavri3D {
namespace zrk {

ZRKRoomState* ZRKRoomRequest::getRoomState(const std::string& name, bool, bool)
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    if (!data)
        return nullptr;
    if (!name.empty())
        return data->roomState(name);
    ZRKSession* session = ZRKSession::getSingletonPtr();
    ZRKRoomState* current = session ? data->roomState(session->getCurrentRoom()) : nullptr;
    return current ? current : data->latestRoomState();
}

ZRKRoomState* getZRKRoomState() { return ZRKRoomRequest::getRoomState(std::string(), false, false); }

} // namespace zrk
} // namespace kavri3D
