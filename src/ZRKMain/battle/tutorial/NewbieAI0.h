#pragma once
#include <land/ZRKPlayerAI.h>
#include <yake/Vector3.h>

namespace kavri3D {
namespace zrk {

class ZRKPlayerSim;

/// The tutorial's opponent: every 3 s, on its doll's turn, it turns to the player and fires a
/// shell that lands 3 units short of him, most shots spoiled by a random miss.
class NewbieAI0 : public ZRKPlayerAI {
public:
    void attach(ZRKPlayerSim* sim) override;
    /// The doll goes: the registry outlives it.
    void detach() override { mSim = nullptr; }
    void notify(int) override {}
    void think() override;

    /// Turns the sim about the up axis to the direction when it is off by more than maxAngle.
    static void turnToward(ZRKPlayerSim& sim, yake::math::Vector3 direction, float maxAngle);

    ZRKPlayerSim* getSim() const { return mSim; }
    int getState() const { return mState; }
    float getNextThink() const { return mNextThink; }
    void setAccuracy(int percent) { mAccuracy = percent; }
    int getShots() const { return mShots; }
    /// The pitch (radians) and force word of the last shot.
    float getLastPitch() const { return mLastPitch; }
    int getLastForce() const { return mLastForce; }

private:
    ZRKPlayerSim* mSim = nullptr;
    int mAccuracy = 10;
    int mState = 0;
    float mNextThink = -1.0f;
    float mInterval = 3.0f;
    int mShots = 0;
    float mLastPitch = 0.0f;
    int mLastForce = 0;
};

} // namespace zrk
} // namespace kavri3D
