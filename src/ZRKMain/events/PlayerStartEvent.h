#pragma once
#include "events/RoomActionEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// The owner's start: the GUI's verdict on the room's rules becomes the request
/// or the matching box.
class PlayerStartEvent : public RoomActionEvent {
public:
    PlayerStartEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : RoomActionEvent(page, dispatcher) {}

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PlayerStart; }
};

} // namespace zrk
} // namespace kavri3D
