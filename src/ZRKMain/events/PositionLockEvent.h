#pragma once
#include "events/RoomActionEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// The owner opens or shuts an empty seat.
class PositionLockEvent : public RoomActionEvent {
public:
    PositionLockEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : RoomActionEvent(page, dispatcher) {}

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PositionLock; }
};

} // namespace zrk
} // namespace kavri3D
