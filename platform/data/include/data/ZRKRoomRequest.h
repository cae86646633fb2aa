#pragma once
#include <string>
#include "data/ZRKRoomState.h"

namespace kavri3D {
namespace zrk {

/// Requests about the room the player is in, and its state object.
/// Each request completes later, from the frame update, with (error, text).
class ZRKRoomRequest {
public:
    /// The state of the named room, or for an empty name of the current room (the latest room
    /// the player entered when the current one is a hall); null when the player is in none.
    /// The two flags are the callers' and change nothing here.
    static ZRKRoomState* getRoomState(const std::string& name, bool, bool);
};

/// The state of the current room, as ZRKRoomRequest::getRoomState("", false, false) gives it.
ZRKRoomState* getZRKRoomState();

} // namespace zrk
} // namespace kavri3D
