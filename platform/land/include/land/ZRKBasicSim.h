#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <core/PlayerController.h>
#include <core/RtObjectAttrMap.h>
#include <yake/Movable.h>
#include "land/DollBuffIcon.h"
#include "land/DollConstants.h"
#include "land/ZRKBattleState.h"

namespace kavri3D {
namespace core {
class BasicPlayer;
class RandomNumber;
} // namespace core
namespace zrk {

class ZRKLand;

/// What every fighter of a battle has, doll or NPC: a place in the world, its numbers, its
/// flags and phase, immunities, buffs, and the figure the scene draws for it (none headless
/// without a scene). The land owns it and steps it.
class ZRKBasicSim {
public:
    typedef std::map<long, DollBuffIcon> BuffIcons;

    ZRKBasicSim(ZRKLand* land, const std::string& id, int colour, boost::shared_ptr<ZRKBattleState> battle);
    virtual ~ZRKBasicSim();
    ZRKBasicSim(const ZRKBasicSim&) = delete;
    ZRKBasicSim& operator=(const ZRKBasicSim&) = delete;

    ZRKLand* getLand() const { return mLand; }
    const std::string& getId() const { return mId; }
    /// The figure the scene made for the sim (its attribute map carries the head bubble).
    const boost::shared_ptr<core::BasicPlayer>& getPlayerRef() const { return mPlayer; }
    void setPlayerRef(const boost::shared_ptr<core::BasicPlayer>& player) { mPlayer = player; }
    int getColour() const { return mColour; }
    ZRKBattleState& getBattle() { return *mBattle; }
    const ZRKBattleState& getBattle() const { return *mBattle; }
    const boost::shared_ptr<ZRKBattleState>& getBattlePtr() const { return mBattle; }

    std::uint32_t getFlags() const { return mFlags; }
    bool isFlagSet(std::uint32_t flag) const { return (mFlags & flag) != 0; }
    void setFlag(std::uint32_t flag) { mFlags |= flag; }
    void resetFlag(std::uint32_t flag) { mFlags &= ~flag; }
    int getPhase() const { return mPhase; }
    /// Down or out.
    bool isDead() const;

    /// Its turn, free to act (not moving, not charging, not down).
    virtual bool isWaiting() const;
    bool isMoving() const { return mPhase == PHASE_MOVE; }
    /// Stops walking, turning and charging where it is.
    virtual void freeze();
    /// Stands idle (the end of an animation the tutorial started).
    void stand();
    /// Turns to face the point (its horizontal direction); false for a point not finite or
    /// too far away to mean anything.
    bool lookAt(const yake::math::Vector3& point);
    /// Turns by the angle (radians, about the up axis); false when it is not finite or huge.
    bool yaw(float radians);
    float getHeading() const { return mHeading; }

    void setEnergyConsumeFactor(float factor);
    float getEnergyConsumeFactor() const { return mEnergyFactor; }
    /// A new energy pool of n (maximum and current).
    void drillEnergy2(int n);
    /// Energy back to full.
    void energyRefullReset();
    /// Forgets the energy spent this turn (it then adds no delay).
    void energyConsumeReset() { mEnergySpent = 0.0f; }
    float getEnergySpent() const { return mEnergySpent; }

    void setImmune(int bits) { mImmune |= bits; }
    void clearImmune(int bits) { mImmune &= ~bits; }
    /// 1 when any of the bits is set, else 0.
    int isImmuneSet(int bits) const { return (mImmune & bits) ? 1 : 0; }
    /// Kind 0 ends it; 1, 2 no damage; 3 cannot be killed. Seconds below 0: until ended.
    void invincible(int kind, float seconds);
    int getInvincible() const;

    const BuffIcons& getBuffIcons() const { return mBuffs; }
    void setBuffIcon(long key, int state, const std::string& image);
    void removeBuffIcon(long key) { mBuffs.erase(key); }
    /// Attributes the next status event of the sim carries (set "fury" = true and the like).
    core::RtObjectAttrMap& getSimEvent() { return mSimEvent; }
    /// The battle's one random source.
    core::RandomNumber& getShootRng();

    virtual yake::Movable& getMovable() { return mMovable; }
    const yake::Movable& getMovable() const { return mMovable; }
    const yake::math::Vector3& getPosition() const { return mMovable.getPosition(); }
    core::PlayerController& getController() { return mController; }
    const core::PlayerController& getController() const { return mController; }
    const std::string& getPlayerId() const { return mController.getPlayerId(); }

protected:
    // The land and its parts step the sim.
    friend class ZRKLand;
    friend class LandEvents;
    friend class LandHarm;
    friend class LandMotion;
    friend class LandShots;
    friend class LandTurns;
    void setHeading(float radians);
    /// hp, sp and fury back within their maxima.
    void clampBattle() { mBattle->clamp(); }

    ZRKLand* mLand;
    std::string mId;
    int mColour;
    boost::shared_ptr<ZRKBattleState> mBattle;
    boost::shared_ptr<core::BasicPlayer> mPlayer;
    std::uint32_t mFlags = 0;
    int mPhase = 0;
    float mHeading = 0.0f;
    yake::Movable mMovable;
    float mFallSpeed = 0.0f;
    bool mJumping = false; ///< in the air by its own jump
    float mEnergyFactor = 1.0f;
    float mEnergySpent = 0.0f;
    int mImmune = 0;
    int mInvincibleKind = 0;
    float mInvincibleUntil = -1.0f; ///< land fight time; -1 until ended
    BuffIcons mBuffs;
    core::RtObjectAttrMap mSimEvent;
    core::PlayerController mController;
    std::string mLastHitter;
    float mLastHitTime = -100.0f;
    float mDownTime = -1.0f;
};

} // namespace zrk
} // namespace kavri3D
