#pragma once
#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <string>

namespace kavri3D {
namespace core {

/// A state of the game client (log-on, area, battle...). The machine enters and leaves it;
/// while it is current its onFrame runs once per frame.
class ClientState : public boost::enable_shared_from_this<ClientState> {
public:
    virtual ~ClientState() = default;

    /// `params` is the parameter text of the change of state (may be empty).
    virtual void onEnter(const std::string& params) {}
    virtual void onExit() {}
    virtual void onFrame(float dt) {}

    const std::string& getName() const { return mName; }
    void setName(const std::string& name) { mName = name; }

private:
    std::string mName;
};

typedef boost::shared_ptr<ClientState> ClientStatePtr;

} // namespace core
} // namespace kavri3D
