#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of the logged-in player: information, look, bag, record, lists; stat points and moving items.
class ZRKPlayerOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
