#include "core/Camera.h"

namespace kavri3D {
namespace core {

using namespace yake::input;

InputController* Camera::getInputController(int index)
{
    return index >= 0 && index < static_cast<int>(mControllers.size()) ? &mControllers[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

void Camera::onMouseMove(float dx, float dy, float wheel)
{
    for (InputController& c : mControllers)
        c.onMouseMove(dx, dy, wheel);
}

void Camera::update()
{
    InputController& turn = mControllers[mMode == 3 ? 4 : 2];
    InputController& pitch = mControllers[mMode == 3 ? 5 : 3];
    float yaw = turn.takeAction(ACTIONID_ROTATE_LEFT) - turn.takeAction(ACTIONID_ROTATE_RIGHT);
    float up = pitch.takeAction(ACTIONID_PITCH_UP) - pitch.takeAction(ACTIONID_PITCH_DOWN);
    float zoom = pitch.takeAction(ACTIONID_REVERSE) - pitch.takeAction(ACTIONID_FORWARD);
    if (mMode == 3) {
        yaw += turn.takeAction(ACTIONID_STRAFE_LEFT) - turn.takeAction(ACTIONID_STRAFE_RIGHT);
        up += turn.takeAction(ACTIONID_FORWARD) - turn.takeAction(ACTIONID_REVERSE);
    }
    // The other controllers' amounts are not this mode's: they go.
    for (InputController& c : mControllers)
        c.restart();
    mTP.apply(yaw, up, zoom);
}

} // namespace core
} // namespace kavri3D
