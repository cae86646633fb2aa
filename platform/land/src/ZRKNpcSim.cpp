#include "land/ZRKNpcSim.h"

#include "land/ZRKBotAI.h"

namespace kavri3D {
namespace zrk {

ZRKNpcSim::ZRKNpcSim(ZRKLand* land, const std::string& name, int colour, boost::shared_ptr<ZRKBattleState> battle)
    : ZRKBasicSim(land, name, colour, battle), mState(name)
{
}

ZRKNpcSim::~ZRKNpcSim()
{
    if (mAI)
        mAI->detach();
}

void ZRKNpcSim::attachAI(const boost::shared_ptr<ZRKBotAI>& ai)
{
    if (mAI)
        mAI->detach();
    mAI = ai;
    if (mAI)
        mAI->attachNpc(this);
}

yake::math::Vector3 ZRKNpcSim::getGunPoint() const
{
    return getPosition() + yake::math::Vector3(0.0f, DollConstants::GUN_HEIGHT, 0.0f);
}

bool ZRKNpcSim::isDead() const { return ZRKBasicSim::isDead() || mState.getBattleState().state >= BATTLE_KILLED; }

} // namespace zrk
} // namespace kavri3D
