#pragma once
#include <yake/Vector3.h>
#include "land/ZRKPlayerAI.h"

namespace kavri3D {
namespace zrk {

class ZRKBasicSim;

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
    void detach() override;
    void think() override;

    int getSkill() const { return mSkill; }
    ZRKPlayerSim* getSim() const { return mSim; }
    /// The enemy nearest to the doll (none when all are down).
    static ZRKBasicSim* nearestEnemy(const ZRKPlayerSim& sim);

private:
    void shoot();

    ZRKPlayerSim* mSim = nullptr;
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
