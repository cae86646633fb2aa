#pragma once
#include <vector>
#include "data/ZRKMessage.h"

namespace kavri3D {
namespace zrk {

/// The one link between the game and its server. The game hands requests in; each frame it
/// takes out what the server sent since (replies and notices, in the order sent). Nothing
/// but plain messages crosses it, so the server may live in this process or another.
class ZRKTransport {
public:
    virtual ~ZRKTransport() = default;
    /// Hands a request to the server.
    virtual void send(ZRKMessage request) = 0;
    /// One frame of the link: appends what arrived from the server, in order.
    virtual void receive(std::vector<ZRKMessage>& out) = 0;
};

} // namespace zrk
} // namespace kavri3D
