#pragma once

namespace yake {
namespace input {

/// The mouse's axes as bindings name them: x, y, the (unused) z and the wheel.
enum MouseMoveAxis { MMA_X = 0, MMA_Y = 1, MMA_Z = 2, MMA_WHEEL = 3 };
/// Which way along the axis a binding listens: 0 towards smaller values, 1 towards larger.
enum MouseMoveDirection { MMD_DECREASING = 0, MMD_INCREASING = 1 };

/// What an input controller's bindings drive.
enum ActionId {
    ACTIONID_NONE = 0,
    ACTIONID_FORWARD,
    ACTIONID_REVERSE,
    ACTIONID_STRAFE_LEFT,
    ACTIONID_STRAFE_RIGHT,
    ACTIONID_ROTATE_LEFT,
    ACTIONID_ROTATE_RIGHT,
    ACTIONID_PITCH_UP,
    ACTIONID_PITCH_DOWN,
    ACTIONID_COUNT
};

} // namespace input
} // namespace yake
