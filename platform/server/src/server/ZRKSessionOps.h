#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of log-in and log-out, rooms of the message server and what is said in them.
class ZRKSessionOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
