#include "events/PlayerStartEvent.h"

#include <data/ZRKRoomRequest.h>
#include <lan/ZRKLan.h>

#include "callbacks/RefusalBox.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The box of a verdict that keeps the battle from starting; null for the go
/// (0).
const char* refusalKey(int flags)
{
    switch (flags) {
    case 0:
        return nullptr;
    case 1:
        return "msg/player_team_equ";
    case 2:
        return "msg/player_ready";
    case 3:
        return "msg/player_team_noperson";
    case 4:
        return "msg/gwarmsg";
    case 5:
        return "msg/gwarmsg1";
    default:
        return "error/unknow_wrong";
    }
}

} // namespace

void PlayerStartEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("flags", params);
    const int* flags = node ? boost::any_cast<int>(&node->value) : nullptr;
    if (!flags)
        return;
    if (const char* key = refusalKey(*flags)) {
        RefusalBox::show(ZRKLan::getMsg(key));
        return;
    }
    track(ZRKRoomRequest::beginGame(reply()));
}

} // namespace zrk
} // namespace kavri3D
