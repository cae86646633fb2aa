#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of friends and guilds: the roster and its edits, the look-up by
/// nickname, and a guild's invitation ("want").
class ZRKSocialOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
