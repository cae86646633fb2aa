#pragma once
#include "events/RoomActionEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// The owner puts the player of a seat out of the room.
class TickPlayerEvent : public RoomActionEvent {
public:
    TickPlayerEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : RoomActionEvent(page, dispatcher) {}

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::TickPlayer; }
};

} // namespace zrk
} // namespace kavri3D
