#pragma once
#include "land/GameSummary.h"
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// The end of a battle: a side with nobody standing loses (in a PVE battle the players are one
/// side against the NPCs), at the time limit the side with more health wins; the decision
/// stops the turns and the shells, books the result and the awards and names the MVP.
class LandEnd {
public:
    explicit LandEnd(ZRKLand& land) : mLand(land) {}
    LandEnd(const LandEnd&) = delete;
    LandEnd& operator=(const LandEnd&) = delete;

    /// Decides the battle when it is over (a practice never is).
    void check();
    bool decided() const { return mResultTime >= 0.0f; }
    /// Fight time of the decision; below 0 before.
    float resultTime() const { return mResultTime; }
    const GameSummary& summary() const { return mSummary; }
    /// Kills scored by the team.
    int teamScore(int team) const;

private:
    void decide(int winner, bool timeUp, bool playersAsOne);

    ZRKLand& mLand;
    float mResultTime = -1.0f;
    GameSummary mSummary;
};

} // namespace zrk
} // namespace kavri3D
