#pragma once
#include <boost/signals2/connection.hpp>
#include <vector>
#include "core/CameraControllerTP.h"
#include "core/InputController.h"

namespace Ogre {
class Camera;
}

namespace kavri3D {
namespace core {

/// A client state's camera: the third-person controller and the input controllers whose mouse
/// bindings steer it. Controllers 2 and 3 (turn; pitch and zoom) steer it in the ordinary
/// modes, 4 and 5 in mode 3.
class Camera {
public:
    static constexpr int kControllers = 6;

    Camera() : mControllers(kControllers) {}

    CameraControllerTP* getCameraControllerTP() { return &mTP; }
    /// By index; null for one that does not exist.
    InputController* getInputController(int index);
    std::vector<InputController>& getInputControllers() { return mControllers; }
    int getMode() const { return mMode; }
    void setMode(int mode) { mMode = mode; }
    /// Mouse motion for every controller.
    void onMouseMove(float dx, float dy, float wheel);
    /// Applies what the controllers of the mode gathered.
    void update();
    void place(Ogre::Camera* camera) const { mTP.place(camera); }

private:
    CameraControllerTP mTP;
    std::vector<InputController> mControllers;
    int mMode = 0;
};

} // namespace core
} // namespace kavri3D
