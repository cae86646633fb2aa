#include "events/PlayerReadyEvent.h"

#include <data/ZRKRoomRequest.h>

namespace kavri3D {
namespace zrk {

void PlayerReadyEvent::callback(gui::ParamHandle params)
{
    bool ready = false;
    if (!readParam("isReady", params, ready))
        return;
    // The page tells what the flag is: the request turns it over.
    track(ZRKRoomRequest::changeReadyState(!ready, reply()));
}

} // namespace zrk
} // namespace kavri3D
