#pragma once

namespace kavri3D {
namespace zrk {

class ZRKPlayerSim;

/// A computer player for one doll. The land calls think every step while the doll waits for
/// its shot; attach and detach come with ZRKPlayerSim::attachAI.
class ZRKPlayerAI {
public:
    virtual ~ZRKPlayerAI() = default;
    virtual void attach(ZRKPlayerSim* sim) = 0;
    virtual void detach() {}
    virtual void notify(int what) {}
    virtual void think() = 0;
};

} // namespace zrk
} // namespace kavri3D
