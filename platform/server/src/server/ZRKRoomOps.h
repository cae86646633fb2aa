#pragma once
#include <cstddef>

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's side of a game room before its battle: opening one, the seats, teams, ready
/// flags, kicks, the map, the avatar notices and the owner's start.
class ZRKRoomOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// The longest password a room takes (letters and digits).
    static constexpr std::size_t kPasswordMax = 16;
};

} // namespace zrk
} // namespace kavri3D
