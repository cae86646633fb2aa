#pragma once
#include "rooms/ZRKRole.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// The character of the player's own seat in the room the listener follows.
class OwnSeatRole {
public:
    /// The role named `demo` when there is one (a seat showing a weapon), else
    /// the own seat's; null when the player holds no seat of the current room.
    static ZRKRolePtr find(const std::string& demo);
    /// Copies the player's own dressed character onto that seat; false when there
    /// is none.
    static bool copyOwnLook(const std::string& demo);
};

} // namespace zrk
} // namespace kavri3D
