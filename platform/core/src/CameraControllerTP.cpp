#include "core/CameraControllerTP.h"

#include <OgreCamera.h>
#include <OgreSceneNode.h>
#include <algorithm>
#include <cmath>

namespace kavri3D {
namespace core {

namespace {
bool finite(float v) { return std::isfinite(v); }
} // namespace

void PitchYawCameraState::setPitchLimits(float down, float up)
{
    if (finite(down) && finite(up)) {
        mPitchDown = std::fabs(down);
        mPitchUp = std::fabs(up);
    }
    setPitch(mPitch);
}

void PitchYawCameraState::setPitch(float radians)
{
    if (finite(radians))
        mPitch = std::min(std::max(radians, -mPitchDown), mPitchUp);
}

void PitchYawCameraState::setYaw(float radians)
{
    if (finite(radians))
        mYaw = std::remainder(radians, 6.283185307f);
}

void CameraControllerTP::limitDistance(bool limit, float min, float max)
{
    mLimit = limit && finite(min) && finite(max) && min <= max;
    if (mLimit) {
        mMin = min;
        mMax = max;
    }
    clampDistance();
}

void CameraControllerTP::clampDistance()
{
    if (mLimit)
        mDistance = std::min(std::max(mDistance, mMin), mMax);
    mDistance = std::min(std::max(mDistance, 1.0f), 1000.0f);
}

void CameraControllerTP::setTarget(float x, float y, float z, float heading)
{
    if (!finite(x) || !finite(y) || !finite(z) || !finite(heading))
        return;
    mTarget[0] = x;
    mTarget[1] = y;
    mTarget[2] = z;
    mHeading = heading;
    if (mTrack)
        setYaw(heading);
}

void CameraControllerTP::apply(float yaw, float pitch, float zoom)
{
    if (!mTrack)
        setYaw(getYaw() + yaw * kTurnPerPixel);
    setPitch(getPitch() + pitch * kTurnPerPixel);
    if (finite(zoom))
        mDistance += zoom * kZoomPerStep;
    clampDistance();
}

void CameraControllerTP::getEye(float& x, float& y, float& z) const
{
    // Behind the target along its heading, raised by the pitch.
    const float c = std::cos(getPitch());
    x = mTarget[0] - std::sin(getYaw()) * c * mDistance;
    y = mTarget[1] + std::sin(getPitch()) * mDistance;
    z = mTarget[2] - std::cos(getYaw()) * c * mDistance;
}

void CameraControllerTP::place(Ogre::Camera* camera) const
{
    Ogre::SceneNode* node = camera ? camera->getParentSceneNode() : nullptr;
    if (!node)
        return;
    float x, y, z;
    getEye(x, y, z);
    node->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
    node->setPosition(x, y, z);
    node->lookAt(Ogre::Vector3(mTarget[0], mTarget[1], mTarget[2]), Ogre::Node::TS_WORLD);
}

} // namespace core
} // namespace kavri3D
