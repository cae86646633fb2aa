#pragma once
#include "events/RoomActionEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// Toggles the player's ready flag.
class PlayerReadyEvent : public RoomActionEvent {
public:
    PlayerReadyEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : RoomActionEvent(page, dispatcher) {}

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PlayerReady; }
};

} // namespace zrk
} // namespace kavri3D
