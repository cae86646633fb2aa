#pragma once
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// Turn order: the doll or NPC of the lowest delay acts next, its turn ends when its shot
/// has landed and settled, it ran out of time or it is down; each turn after the first may
/// bring a new wind.
class LandTurns {
public:
    explicit LandTurns(ZRKLand& land) : mLand(land) {}
    LandTurns(const LandTurns&) = delete;
    LandTurns& operator=(const LandTurns&) = delete;

    ZRKPlayerSim* acting() const { return mActing; }
    ZRKNpcSim* actingNpc() const { return mActingNpc; }
    int number() const { return mTurn; }
    float timeLeft() const;

    /// Gives the turn to the next in line, when anyone may act.
    void next();
    /// Ends the acting doll's or NPC's turn once it is over (a step's last look at it).
    void endIfOver();
    /// Nobody acts any more (the battle was decided).
    void stop();

    /// The acting one's shot: its turn ends once this shot has landed and settled.
    int actingShot() const { return mActingShot; }
    void setActingShot(int shot) { mActingShot = shot; }
    /// The acting one's shot has landed: the turn settles from now.
    void shotLanded();

private:
    void endTurn();
    void endNpcTurn();
    void newWind();

    ZRKLand& mLand;
    ZRKPlayerSim* mActing = nullptr;
    ZRKNpcSim* mActingNpc = nullptr;
    int mTurn = 0;
    float mTurnStart = 0.0f;
    float mSettleUntil = -1.0f;
    int mActingShot = 0;
};

} // namespace zrk
} // namespace kavri3D
