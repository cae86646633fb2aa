#pragma once
#include "events/BaseEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// Leaves the room; asked for its values when the room went away, it takes the
/// player back to the zone's hall.
class PlayerLeaveEvent : public BaseEvent {
public:
    PlayerLeaveEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PlayerLeave; }
};

} // namespace zrk
} // namespace kavri3D
