#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of the game's data: master data, item classes and templates, the data libraries.
class ZRKDataOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
