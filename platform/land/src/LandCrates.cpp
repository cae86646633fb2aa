#include "land/LandCrates.h"

#include <algorithm>
#include <cmath>
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/LandRecord.h"
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

namespace {
/// Kinds of crate a map may drop, and tries for a dry spot before a crate is not dropped.
constexpr int kMaxKinds = 4;
constexpr int kSpotTries = 8;
} // namespace

void LandCrates::seed(std::uint64_t seed)
{
    // Mixed apart from the land's own stream: a map with crates draws the same winds.
    mRandom.seed(seed ^ 0xC2A7E5D1B4F60913ull);
}

void LandCrates::drop(int turn)
{
    LandRecord crates = LandRecord(mLand.mSetup.map, "map " + mLand.mSetup.place).child("crates");
    const int most = crates.getInt("most", 0, 0, 8);
    if (most <= 0)
        return;
    const HeightField& field = mLand.mField;
    // Where they fall: the record's area, else the field but its outer tenth.
    const float half = field.getHalfSize() * 0.9f;
    LandRecord area = crates.child("area");
    const float x0 = area.getReal("x0", -half, -half, half), x1 = area.getReal("x1", half, -half, half);
    const float z0 = area.getReal("z0", -half, -half, half), z1 = area.getReal("z1", half, -half, half);
    const Json::Value& kinds = crates.array("kinds");
    const Json::ArrayIndex count = std::min<Json::ArrayIndex>(kinds.size(), kMaxKinds);
    bool dropped = false;
    for (Json::ArrayIndex i = 0; i < count && static_cast<int>(mCrates.size()) < most; ++i) {
        LandRecord k(kinds[i], "map " + mLand.mSetup.place + " crate kind");
        const int kind = k.getInt("kind", 0, 0, 2);
        const float odds = k.getReal("odds", 0.0f, 0.0f, 1.0f);
        if (kind <= 0 || mRandom.uniform() >= odds)
            continue;
        for (int t = 0; t < kSpotTries; ++t) {
            const float x = mRandom.range(std::min(x0, x1), std::max(x0, x1));
            const float z = mRandom.range(std::min(z0, z1), std::max(z0, z1));
            if (!field.inside(x, z) || field.getHeight(x, z) <= field.getWater())
                continue; // water takes a crate
            Crate c;
            c.item.kind = kind;
            c.item.value = k.getInt("value", 0, 0, 100000);
            c.position = Vector3(x, field.getHeight(x, z), z);
            mCrates["crate" + std::to_string(turn) + "_" + std::to_string(i)] = c;
            dropped = true;
            break;
        }
    }
    if (dropped)
        updateMarks();
}

void LandCrates::pick()
{
    for (auto& c : mCrates) // a crate stays on the ground a shell dug out under it
        c.second.position.y = mLand.mField.getHeight(c.second.position.x, c.second.position.z);
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
