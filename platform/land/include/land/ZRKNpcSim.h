#pragma once
#include "land/ZRKBasicSim.h"
#include "land/ZRKNpcState.h"

namespace kavri3D {
namespace zrk {

/// An NPC of the map: a fighter that takes hits but no turns (the targets of a PVE battle).
class ZRKNpcSim : public ZRKBasicSim {
public:
    ZRKNpcSim(ZRKLand* land, const std::string& name, int colour, boost::shared_ptr<ZRKBattleState> battle);

    ZRKNpcState& getState() { return mState; }
    const ZRKNpcState& getState() const { return mState; }
    /// Its parameters ("npc_name" ...).
    const core::XmlConfigHelper& getInfo() const { return mState.getInfo(); }
    bool isDead() const;
    /// Gone from the battle (dead and its figure removed, or removed by the map).
    bool isEnded() const { return mEnded; }
    void setEnded(bool ended) { mEnded = ended; }

private:
    ZRKNpcState mState;
    bool mEnded = false;
};

} // namespace zrk
} // namespace kavri3D
