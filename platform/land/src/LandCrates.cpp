#include "land/LandCrates.h"

#include <cmath>
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

bool LandCrates::add(const std::string& id, const ZRKSceneItem& item, const std::string& where)
{
    if (id.empty())
        return false;
    bool found = false;
    Vector3 p = mLand.nodePosition(where, found);
    if (!found) {
        if (!LandSetup::parseVector(where, p) || !mLand.mField.inside(p.x, p.z))
            return false;
        p.y = mLand.mField.getHeight(p.x, p.z);
    }
    Crate c;
    c.item = item;
    c.position = p;
    mCrates[id] = c;
    return true;
}

void LandCrates::updateMarks()
{
    mCrateMarks.clear();
    for (const auto& c : mCrates)
        mCrateMarks.push_back(ZRKLand::CrateMark{c.first, c.second.position});
}

const ZRKLand::CrateMark* LandCrates::mark(const std::string& id) const
{
    for (const ZRKLand::CrateMark& m : mCrateMarks)
        if (m.name == id)
            return &m;
    return nullptr;
}

void LandCrates::pick()
{
    for (auto it = mCrates.begin(); it != mCrates.end();) {
        ZRKPlayerSim* picker = nullptr;
        for (ZRKPlayerSim* doll : mLand.mSeatOrder) {
            if (!doll->mActive || doll->isDead())
                continue;
            const Vector3 d = doll->getPosition() - it->second.position;
            if (d.x * d.x + d.z * d.z < 16.0f && std::fabs(d.y) < 6.0f) {
                picker = doll;
                break;
            }
        }
        if (!picker) {
            ++it;
            continue;
        }
        const ZRKSceneItem item = it->second.item;
        it = mCrates.erase(it);
        if (item.kind == 2) {
            for (WeaponState& w : picker->mWeapons.getSlots())
                if (!w.empty() && w.limited)
                    w.setCount(w.shellMax);
        } else {
            mLand.harm().heal(*picker, item.value > 0 ? item.value : picker->getBattle().xhp / 4, "");
        }
        if (picker->isLocal()) {
            core::EventPtr e = mLand.events().make(LandEventId::ItemGained);
            e->attrs().setAttr("id", "si_" + std::to_string(item.kind));
            mLand.events().post(e);
        }
        updateMarks();
    }
}

} // namespace zrk
} // namespace kavri3D
