#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of the lobby: the zones, joining one, its game rooms and members.
class ZRKLobbyOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
