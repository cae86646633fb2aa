#include "events/ChangeTeamEvent.h"

#include <data/ZRKRoomRequest.h>

namespace kavri3D {
namespace zrk {

void ChangeTeamEvent::callback(gui::ParamHandle) { track(ZRKRoomRequest::changeTeam(reply())); }

} // namespace zrk
} // namespace kavri3D
