#pragma once
#include <boost/shared_ptr.hpp>
#include "land/WeaponState.h"
#include "land/ZRKBasicSim.h"
#include "land/ZRKNpcState.h"

namespace kavri3D {
namespace zrk {

class ZRKBotAI;

/// An NPC of the map: a fighter that takes hits; in a PVE battle it also takes turns by its
/// delay, as the players do, and shoots its gun through the bot AI.
class ZRKNpcSim : public ZRKBasicSim {
public:
    ZRKNpcSim(ZRKLand* land, const std::string& name, int colour, boost::shared_ptr<ZRKBattleState> battle);
    ~ZRKNpcSim() override;

    ZRKNpcState& getState() { return mState; }
    const ZRKNpcState& getState() const { return mState; }
    /// Its parameters ("npc_name" ...).
    const core::XmlConfigHelper& getInfo() const { return mState.getInfo(); }
    bool isDead() const;
    /// Gone from the battle (dead and its figure removed, or removed by the map).
    bool isEnded() const { return mEnded; }
    void setEnded(bool ended) { mEnded = ended; }

    /// The AI that plays its turns (none: it takes no turns).
    const boost::shared_ptr<ZRKBotAI>& getAI() const { return mAI; }
    void attachAI(const boost::shared_ptr<ZRKBotAI>& ai);
    /// Its gun (the map's "weapon" for it, the cannon by default).
    WeaponState& getWeapon() { return mWeapon; }
    /// Its place in the turn order: the lowest delay acts next.
    int getDelay() const { return mDelay; }
    /// Where its shells leave from.
    yake::math::Vector3 getGunPoint() const;
    bool hasFired() const { return mFired; }

private:
    friend class ZRKLand;
    friend class LandBuilder;
    friend class LandShots;
    friend class LandTurns;

    ZRKNpcState mState;
    bool mEnded = false;
    boost::shared_ptr<ZRKBotAI> mAI;
    WeaponState mWeapon;
    int mDelay = 0;
    bool mFired = false; ///< fired this turn
};

} // namespace zrk
} // namespace kavri3D
