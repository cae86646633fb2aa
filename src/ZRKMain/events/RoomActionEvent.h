#pragma once
#include "events/BaseEvent.h"
#include <data/ZRKRequestInfo.h>
#include <data/ZRKRequestOwner.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// What the room's actions (team, kick, ready, start, seat lock) share: nothing
/// handed to the GUI, one request at a time as the player acts, its reply
/// raising the action's own id, a refusal logged under the action's class and shown in a box
/// with the server's words (nothing raised).
class RoomActionEvent : public BaseEvent {
public:
    RoomActionEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override { return emptyParams(); }
    virtual void onReply(bool error, const std::string& text);

protected:
    /// The completion of this action's request: onReply while the event lives.
    ZRKReply reply();
    long track(long handle) { return mRequests.track(handle); }

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
