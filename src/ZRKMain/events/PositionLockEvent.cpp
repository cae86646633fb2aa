#include "events/PositionLockEvent.h"

#include <data/ZRKRoomRequest.h>

namespace kavri3D {
namespace zrk {

void PositionLockEvent::callback(gui::ParamHandle params)
{
    bool locked = false;
    int seat = -1;
    if (!readParam("isLock", params, locked) || !readParam("pos", params, seat))
        return;
    track(ZRKRoomRequest::changeSlotFlag(seat, !locked, reply()));
}

} // namespace zrk
} // namespace kavri3D
