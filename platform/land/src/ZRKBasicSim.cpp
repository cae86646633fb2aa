#include "land/ZRKBasicSim.h"

#include <cmath>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;

ZRKBasicSim::ZRKBasicSim(ZRKLand* land, const std::string& id, int colour, boost::shared_ptr<ZRKBattleState> battle)
    : mLand(land), mId(id), mColour(colour),
      mBattle(battle ? battle : boost::shared_ptr<ZRKBattleState>(new ZRKBattleState)), mController(id)
{
}

ZRKBasicSim::~ZRKBasicSim() = default;

bool ZRKBasicSim::isDead() const { return (mFlags & (SIM_DOWN | SIM_OUT)) != 0; }

bool ZRKBasicSim::isWaiting() const { return false; }

void ZRKBasicSim::freeze()
{
    if (mPhase == PHASE_MOVE)
        mPhase = PHASE_IDLE;
}

void ZRKBasicSim::stand()
{
    if (!isDead())
        mPhase = PHASE_IDLE;
}

void ZRKBasicSim::setHeading(float radians)
{
    // Keep the heading in -pi..pi so it stays exact over a long battle.
    float h = std::fmod(radians, 2.0f * static_cast<float>(M_PI));
    if (h > static_cast<float>(M_PI))
        h -= 2.0f * static_cast<float>(M_PI);
    if (h < -static_cast<float>(M_PI))
        h += 2.0f * static_cast<float>(M_PI);
    mHeading = h;
    mMovable.setOrientation(Quaternion::fromAngleAxis(h, Vector3::UNIT_Y));
}

bool ZRKBasicSim::lookAt(const Vector3& point)
{
    if (!point.isFinite() || std::fabs(point.x) > DollConstants::AIM_LIMIT ||
        std::fabs(point.z) > DollConstants::AIM_LIMIT)
        return false;
    Vector3 d = point - getPosition();
    if (d.x * d.x + d.z * d.z < 1e-8f)
        return true;
    setHeading(std::atan2(d.x, d.z));
    return true;
}

bool ZRKBasicSim::yaw(float radians)
{
    if (!std::isfinite(radians) || std::fabs(radians) > 1000.0f)
        return false;
    setHeading(mHeading + radians);
    return true;
}

void ZRKBasicSim::setEnergyConsumeFactor(float factor)
{
    if (std::isfinite(factor) && factor >= 0.0f && factor <= 1000.0f)
        mEnergyFactor = factor;
}

void ZRKBasicSim::drillEnergy2(int n)
{
    mBattle->xsp = std::max(0, std::min(n, 1000000));
    mBattle->sp = mBattle->xsp;
}

void ZRKBasicSim::energyRefullReset() { mBattle->sp = mBattle->xsp; }

void ZRKBasicSim::invincible(int kind, float seconds)
{
    if (kind <= INVINCIBLE_NONE || kind > INVINCIBLE_UNDYING) {
        mInvincibleKind = INVINCIBLE_NONE;
        mInvincibleUntil = -1.0f;
        return;
    }
    mInvincibleKind = kind;
    mInvincibleUntil =
        (std::isfinite(seconds) && seconds >= 0.0f && mLand) ? mLand->getTimeFighting() + seconds : -1.0f;
}

int ZRKBasicSim::getInvincible() const
{
    if (mInvincibleKind != INVINCIBLE_NONE && mInvincibleUntil >= 0.0f && mLand &&
        mLand->getTimeFighting() >= mInvincibleUntil)
        return INVINCIBLE_NONE;
    return mInvincibleKind;
}

void ZRKBasicSim::setBuffIcon(long key, int state, const std::string& image)
{
    DollBuffIcon& b = mBuffs[key];
    b.state = state;
    b.image = image;
}

core::RandomNumber& ZRKBasicSim::getShootRng() { return mLand->getRandomNumber(); }

} // namespace zrk
} // namespace kavri3D
