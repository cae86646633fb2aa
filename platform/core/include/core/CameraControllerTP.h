#pragma once

namespace Ogre {
class Camera;
}

namespace kavri3D {
namespace core {

/// A camera's angles: yaw about the world's up axis and pitch above (positive) or below the
/// horizon, kept within limits.
class PitchYawCameraState {
public:
    /// The farthest the camera may look down and up, in radians (both positive).
    void setPitchLimits(float down, float up);
    float getPitchDown() const { return mPitchDown; }
    float getPitchUp() const { return mPitchUp; }
    float getPitch() const { return mPitch; }
    float getYaw() const { return mYaw; }
    void setPitch(float radians);
    void setYaw(float radians);

private:
    float mPitchDown = 1.5f;
    float mPitchUp = 1.5f;
    float mPitch = 0.35f;
    float mYaw = 0.0f;
};

/// The third-person camera: it looks at a target from behind at a distance, turned by the
/// mouse or, while it tracks the target's orientation, by the target's heading.
class CameraControllerTP : public PitchYawCameraState {
public:
    /// Radians per pixel of mouse motion, world units per wheel step.
    static constexpr float kTurnPerPixel = 0.005f;
    static constexpr float kZoomPerStep = 2.0f;

    void trackOrientaion(bool track) { mTrack = track; }
    bool isTrackingOrientation() const { return mTrack; }
    /// Keeps the distance within [min, max] while `limit` is on.
    void limitDistance(bool limit, float min, float max);
    float getDistance() const { return mDistance; }
    /// What the camera looks at: a point and the heading (radians about up) it faces.
    void setTarget(float x, float y, float z, float heading);
    /// Turns and zooms by the amounts of the actions (pixels, wheel steps).
    void apply(float yaw, float pitch, float zoom);
    /// Where the eye is for the current angles and distance.
    void getEye(float& x, float& y, float& z) const;
    /// Puts the OGRE camera's node at the eye looking at the target.
    void place(Ogre::Camera* camera) const;

private:
    void clampDistance();

    bool mTrack = true;
    bool mLimit = false;
    float mMin = 5.0f, mMax = 200.0f;
    float mDistance = 40.0f;
    float mTarget[3] = {0, 0, 0};
    float mHeading = 0.0f;
};

} // namespace core
} // namespace kavri3D
