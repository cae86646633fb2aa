#pragma once
#include <yake/Vector3.h>
#include "land/ZRKPlayerAI.h"

namespace kavri3D {
namespace zrk {

class ZRKBasicSim;
class ZRKNpcSim;
struct WeaponState;

/// The server's bots as they play here: on its turn a bot faces the nearest enemy, works out
/// the launch velocity that reaches it with the wind, and spoils the shot by its skill (a
/// skill of 60 spoils about 40 of 100 shots): aimed a little off and 15 to 30 % too strong or
/// too weak. With no shot to be had it walks towards the enemy first, round what stopped its
/// last walk. Every chance comes from the battle's generator, so a seed replays its game.
class ZRKBotAI : public ZRKPlayerAI {
public:
    /// Seconds a bot looks before it shoots.
    static constexpr float kThinkSeconds = 1.0f;
    /// Seconds of one walk towards the enemy.
    static constexpr float kWalkSeconds = 1.5f;
    static constexpr int kMaxWalks = 2;

    explicit ZRKBotAI(int skill);

    void attach(ZRKPlayerSim* sim) override;
    /// Plays an NPC's turns instead of a doll's: it aims and fires the NPC's gun, never walks.
    void attachNpc(ZRKNpcSim* npc);
    void detach() override;
    void think() override;

    int getSkill() const { return mSkill; }
    ZRKPlayerSim* getSim() const { return mSim; }
    ZRKNpcSim* getNpc() const { return mNpc; }
    /// The foe nearest to the sim (none when all are down).
    static ZRKBasicSim* nearestEnemy(const ZRKBasicSim& sim);

private:
    /// A shot: pitch in whole degrees, share of a full charge, the launch velocity, and
    /// whether the skill spoils it.
    struct Shot {
        int pitch = -1;
        float share = 0.0f;
        yake::math::Vector3 velocity;
        bool miss = false;
    };

    /// A new turn of the land: the bot looks before it acts; false when it is the same turn.
    bool startTurn(float t);
    void thinkNpc();
    /// The shot from the gun that reaches the enemy (aimed a little off when the skill
    /// misses); false when no pitch reaches it.
    bool aim(ZRKBasicSim& shooter, const WeaponState& weapon, const yake::math::Vector3& gun, const ZRKBasicSim& enemy,
             Shot& shot);
    /// A missed shot 15 to 30 % too strong or too weak; the share within 0 and 1.
    void spoil(Shot& shot);
    void shoot();

    ZRKPlayerSim* mSim = nullptr;
    ZRKNpcSim* mNpc = nullptr;
    int mSkill;
    int mTurn = -1;
    float mShootAt = 0.0f;
    float mWalkUntil = -1.0f;
    float mWalkStart = 0.0f;
    bool mBlocked = false; ///< the last walk was stopped before its time
    int mWalks = 0;
};

} // namespace zrk
} // namespace kavri3D
