#pragma once
#include <string>
#include <vector>
#include "data/ZRKMessage.h"

namespace kavri3D {
namespace zrk {

class ZRKGameServer;

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
    /// The game server built into the module, when this link is it (tests steer it).
    virtual ZRKGameServer* gameServer() { return nullptr; }
    /// The message key of what the player is told once about the server's world (set aside
    /// and started afresh, or in use by another game); empty when nothing.
    virtual std::string worldWarning() const { return std::string(); }
};

} // namespace zrk
} // namespace kavri3D
