#include "land/ZRKNpcSim.h"

namespace kavri3D {
namespace zrk {

ZRKNpcSim::ZRKNpcSim(ZRKLand* land, const std::string& name, int colour, boost::shared_ptr<ZRKBattleState> battle)
    : ZRKBasicSim(land, name, colour, battle), mState(name)
{
}

bool ZRKNpcSim::isDead() const { return ZRKBasicSim::isDead() || mState.getBattleState().state >= BATTLE_KILLED; }

} // namespace zrk
} // namespace kavri3D
