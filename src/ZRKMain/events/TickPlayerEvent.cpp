#include "events/TickPlayerEvent.h"

#include <data/ZRKRoomRequest.h>

namespace kavri3D {
namespace zrk {

void TickPlayerEvent::callback(gui::ParamHandle params)
{
    int seat = -1;
    if (!readParam("pos", params, seat))
        return;
    track(ZRKRoomRequest::kick(seat, reply()));
}

} // namespace zrk
} // namespace kavri3D
