#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "land/PlayerBattleState.h"
#include "land/PropBag.h"
#include "land/SkillState.h"
#include "land/WeaponBag.h"
#include "land/ZRKBasicSim.h"

namespace kavri3D {
namespace zrk {

class ZRKPlayerAI;
class ZRKPlayerState;

/// A player's doll: its weapons, props and skills, its aim (pitch, force) and its turn. Keys
/// of the own doll, a bot or a script give it commands; they work during its turn.
class ZRKPlayerSim : public ZRKBasicSim {
public:
    ZRKPlayerSim(ZRKLand* land, const std::string& id, int colour, int seat, boost::shared_ptr<ZRKBattleState> battle,
                 boost::shared_ptr<ZRKPlayerState> state);
    ~ZRKPlayerSim() override;

    /// The player's data state (none when the room keeps none).
    const boost::shared_ptr<ZRKPlayerState>& getState() const { return mState; }
    PlayerBattleState& getPlayerBattle() { return mPlayerBattle; }
    const PlayerBattleState& getPlayerBattle() const { return mPlayerBattle; }
    std::vector<SkillState>& getSkillStates() { return mSkills; }
    int getSeat() const { return mSeat; }
    const std::string& getNickname() const { return mNickname; }

    bool isWaiting() const override;
    void freeze() override;

    // Weapons and props.
    /// Takes the weapon of the slot in hand; false for an empty slot or while charging
    /// (`force` changes even while charging).
    bool changeWeapon(int index, bool force);
    int getCurrentWeaponType() const;
    WeaponState* getCurrentWeaponState();
    WeaponBag* getCurrentWeaponBag() { return &mWeapons; }
    core::XmlConfigHelper getCurrentWeaponSetting();
    PropBag* getCurrentPropBag() { return &mProps; }
    /// The props used up in this battle, by item id, in id order: what the end of the battle
    /// tells the server to take from the player's bag.
    const std::map<std::string, int>& getPropsUsed() const { return mPropsUsed; }
    /// One of the prop in that slot is used up (its count already taken down).
    void countPropUsed(const PropState& prop);
    /// Loaded with a weapon that has shells left.
    bool isArmed() const;
    /// The weapon slots (the battle's loadout sets their shell counts).
    WeaponBag* getWeaponBag() { return &mWeapons; }
    /// Empties the weapon slots.
    void clearWeaponBags();
    /// Fills the weapon slots anew from what the room now gives the player.
    void initBattleWeapons();
    /// Fills the prop slots anew from what the room now gives the player.
    void buildPropBag();

    // Aim and fire.
    /// The gun's position and its orientation (heading, then pitch).
    void getGunPoint(yake::math::Vector3& position, yake::math::Quaternion& orientation) const;
    /// Sets the pitch in whole degrees (0..90); false beyond that.
    bool pitching2(int degrees);
    /// The force the aim assist suggests, as a share of a full charge (0..1); false for a
    /// share that is not a number.
    bool promptForce(float share);
    /// Charging then lets go by itself at the suggested force.
    void setAutoCharging(bool on) { mAutoCharging = on; }
    bool isAutoCharging() const { return mAutoCharging; }
    /// Fires at the force of its battle state now; false when it may not fire.
    bool fireNow();
    /// Stands and waits: no walking, turning or charging.
    void wait();
    /// Jumps when on the ground.
    bool jump();
    bool isJumping() const { return mJumping; }
    static constexpr float kJumpSpeed = 12.0f; ///< upward speed a jump starts with

    // Keys of the own doll, or a bot's hands.
    void setMoveInput(float dir) { mMoveInput = dir > 0 ? 1.0f : (dir < 0 ? -1.0f : 0.0f); }
    void setTurnInput(float dir) { mTurnInput = dir > 0 ? 1.0f : (dir < 0 ? -1.0f : 0.0f); }
    void setPitchInput(float dir) { mPitchInput = dir > 0 ? 1.0f : (dir < 0 ? -1.0f : 0.0f); }
    /// Starts charging (Space held).
    bool holdFire();
    /// Fires at the charged force (Space let go).
    bool releaseFire();
    bool isCharging() const { return mCharging; }
    /// Uses the prop of the slot (Z X C V B are slots 0..4).
    bool useProp(int slot);
    /// Uses the skill of the index (F1..F4 are 0..3).
    /// R: a full fury bar (or a rage a script armed) starts the rage: the bar is spent, sim flag
    /// SIM_FURY_READY says the rage is on, and the next shot is a fury shot. False when there
    /// is no rage to start or one is on.
    bool startRage();
    bool useSkill(int index);

    // Down, revived, killed.
    /// The agonal phase: down, it waits for rescue instead of the count to death. In a lesson
    /// it also lays a standing doll down (not one revived this very step).
    void dying(bool agonal);
    void setCountingAgonal(bool counting) { mCountingAgonal = counting; }
    bool isCountingAgonal() const { return mCountingAgonal; }

    bool isUnderControl() const;
    bool isLocal() const;
    /// -1 playing; -2 gone from the battle (its figure goes too).
    int getAngelSeq() const { return mAngelSeq; }
    /// -2 marks a player who left the battle.
    void setAngelSeq(int seq) { mAngelSeq = seq; }
    void setAngelPID(const std::string& look) { mAngelLook = look; }
    const std::string& getAngelPID() const { return mAngelLook; }
    void setAltHitAnimation(const std::string& name) { mAltHitAnimation = name; }
    const std::string& getAltHitAnimation() const { return mAltHitAnimation; }
    void setAltSpawnNode(const std::string& node) { mAltSpawnNode = node; }
    const std::string& getAltSpawnNode() const { return mAltSpawnNode; }
    /// The AI that plays the doll from now on (none: nobody). The previous one is detached.
    void attachAI(const boost::shared_ptr<ZRKPlayerAI>& ai);
    const boost::shared_ptr<ZRKPlayerAI>& getAI() const { return mAI; }
    /// Comes into play (a doll made after the battle began).
    virtual void activate();
    bool isActive() const { return mActive; }

    int getSingleKillCount() const { return mSingleKills; }
    void setSingleKillCount(int n) { mSingleKills = n; }
    bool getSingleBloodLess() const { return mBloodLess; }
    void setSingleBloodLess(bool b) { mBloodLess = b; }

private:
    friend class ZRKLand;
    friend class LandAiming;
    friend class LandBuilder;
    friend class LandCrates;
    friend class LandEnd;
    friend class LandEvents;
    friend class LandHarm;
    friend class LandMotion;
    friend class LandShots;
    friend class LandTurns;
    bool mayFireInLesson() const;

    int mSeat;
    std::string mNickname;
    boost::shared_ptr<ZRKPlayerState> mState;
    PlayerBattleState mPlayerBattle;
    std::vector<SkillState> mSkills;
    WeaponBag mWeapons;
    PropBag mProps;
    std::map<std::string, int> mPropsUsed;
    boost::shared_ptr<ZRKPlayerAI> mAI;

    float mPitch = 45.0f; ///< degrees, held keys move it smoothly
    float mMoveInput = 0.0f;
    float mTurnInput = 0.0f;
    float mPitchInput = 0.0f;
    bool mCharging = false;
    float mCharge = 0.0f; ///< 0..CTRL_FORCE_MAX
    bool mAutoCharging = false;
    bool mCountingAgonal = true;
    bool mAgonal = false;
    int mAngelSeq = -1;
    std::string mAngelLook;
    std::string mAltHitAnimation;
    std::string mAltSpawnNode;
    bool mActive = true;
    int mSingleKills = 0;
    bool mBloodLess = false;

    // The turn's extras.
    int mTurnDelay = 0;        ///< delay the turn's props and skills added
    int mFiredDelay = 0;       ///< delay of the weapon it fired this turn
    float mEnergyCarry = 0.0f; ///< fractions of energy walked, not yet taken
    bool mFired = false;
    bool mRageArmed = false;            ///< a script set "fury": R starts the rage
    std::uint64_t mRevivedStep = ~0ull; ///< the land step of the last revival
    bool mTriple = false;               ///< the next shot splits in three
    bool mPower = false;                ///< the next shot hurts half as much again
    bool mFuryShot = false;             ///< the next shot is a fury shot
    bool mSpWanted = false;             ///< "sp_wanted" told this turn
};

} // namespace zrk
} // namespace kavri3D
