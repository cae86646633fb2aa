#pragma once
#include <gui/EventId.h>
#include "rooms/BasicRoom.h"

namespace kavri3D {
namespace zrk {

/// What the area, the hall and the personal room share: they step the background scene and
/// the GUI animator each frame, and tell the GUI plug-in which screen is current. A missing
/// animator or dispatcher is skipped, never followed.
class LobbyRoom : public BasicRoom {
protected:
    /// Steps the backdrop and the animator; the area also ticks it and keeps its idle running.
    void stepLobby(float dt, bool tickAnimator);
    /// Raises an id on the plug-in's dispatcher; false without one.
    bool raiseGuiEvent(int eventId);
    /// Plays an animator effect by name; false without an animator.
    bool playAnimation(const std::string& name);
};

} // namespace zrk
} // namespace kavri3D
