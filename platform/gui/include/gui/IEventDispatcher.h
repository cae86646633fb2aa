#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

class ICallBackEvent;

/// Keeps the game's events by id. `raise` tells the GUI an event has fresh data; the GUI
/// then calls that event's fillParams.
class IEventDispatcher {
public:
    virtual ~IEventDispatcher() = default;
    virtual void raise(int eventId) = 0;
    /// Takes ownership: registered events live with the dispatcher for the rest of the run.
    virtual void registerEvent(ICallBackEvent* event) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
