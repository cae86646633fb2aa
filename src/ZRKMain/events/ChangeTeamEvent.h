#pragma once
#include "events/RoomActionEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// Moves the player to a free seat of the other team.
class ChangeTeamEvent : public RoomActionEvent {
public:
    ChangeTeamEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : RoomActionEvent(page, dispatcher) {}

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChangeTeam; }
};

} // namespace zrk
} // namespace kavri3D
