#include "land/LandBuilder.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdlib>
#include <set>
#include "land/ILandRoom.h"
#include "land/LandRecord.h"
#include "land/PropBag.h"
#include "land/ZRKBotAI.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

namespace {

bool vectorOf(const Json::Value& v, Vector3& out, bool& hasY)
{
    if (!v.isArray() || (v.size() != 2 && v.size() != 3))
        return false;
    double c[3] = {0, 0, 0};
    for (Json::ArrayIndex i = 0; i < v.size(); ++i)
        if (!LandRecord::toReal(v[i], c[i]) || std::fabs(c[i]) > 1e5)
            return false;
    hasY = v.size() == 3;
    out = hasY ? Vector3(float(c[0]), float(c[1]), float(c[2])) : Vector3(float(c[0]), 0.0f, float(c[1]));
    return true;
}

} // namespace

bool LandBuilder::build()
{
    const LandSetup& setup = mLand.mSetup;
    HeightField& field = mLand.mField;
    LandRecord map(setup.map, "map " + setup.place);
    field.build(map.child("terrain"), mLand.mRandom);
    mLand.mWind = setup.wind;

    const Json::Value& nodes = map.child("nodes").value();
    if (nodes.isObject())
        for (const std::string& name : nodes.getMemberNames()) {
            Vector3 p;
            bool hasY = false;
            if (!vectorOf(nodes[name], p, hasY)) {
                LandRecord::warn("map " + setup.place + " node " + name + " is not a position; it is left out");
                continue;
            }
            if (!hasY)
                p.y = field.getHeight(p.x, p.z);
            mLand.mNodes[name].setPosition(p);
        }

    for (const LandSetup::Seat& seat : setup.seats)
        addDoll(seat);
    buildNpcs();

    const Json::Value& items = map.array("items");
    for (Json::ArrayIndex i = 0; i < items.size() && i < 64; ++i) {
        LandRecord r(items[i], "map " + setup.place + " item");
        ZRKLand::MapItem m;
        m.name = r.getString("name", "");
        bool hasY = false;
        if (m.name.empty() || !vectorOf(r.has("pos") ? r.value()["pos"] : Json::Value(), m.position, hasY)) {
            LandRecord::warn("map " + setup.place + " item " + std::to_string(i) + " has no name or place; left out");
            continue;
        }
        if (!hasY)
            m.position.y = field.getHeight(m.position.x, m.position.z);
        m.hp = r.getInt("hp", 100, 1, 1000000);
        mLand.mMapItems.push_back(m);
    }
    return true;
}

ZRKPlayerSim* LandBuilder::addDoll(const LandSetup::Seat& seat)
{
    boost::shared_ptr<ZRKBattleState> battle = seat.battle ? seat.battle : boost::make_shared<ZRKBattleState>();
    if (battle->xhp <= 0) {
        battle->xhp = DollConstants::DEFAULT_HP;
        battle->hp = battle->xhp;
    }
    if (battle->xsp <= 0) {
        battle->xsp = DollConstants::DEFAULT_SP;
        battle->sp = battle->xsp;
    }
    if (battle->xfury <= 0)
        battle->xfury = DollConstants::DEFAULT_FURY;
    battle->clamp();

    mLand.mDollStore.emplace_back(new ZRKPlayerSim(&mLand, seat.playerId, seat.team, seat.index, battle, seat.state));
    ZRKPlayerSim* doll = mLand.mDollStore.back().get();
    doll->mNickname = seat.nickname;
    doll->mPlayerBattle.level = seat.level;
    // Turn order starts by seat, shuffled a little by the battle's seed.
    doll->mPlayerBattle.delay = seat.index * 5 + static_cast<int>(mLand.mRandom.below(40));
    doll->getController().enable(seat.playerId == mLand.mSetup.myPlayerId);
    buildWeapons(*doll, seat);
    buildProps(*doll, seat);
    mLand.mDolls[seat.playerId] = doll;
    std::vector<ZRKPlayerSim*>& seatOrder = mLand.mSeatOrder;
    seatOrder.push_back(doll);
    std::stable_sort(seatOrder.begin(), seatOrder.end(),
                     [](const ZRKPlayerSim* a, const ZRKPlayerSim* b) { return a->getSeat() < b->getSeat(); });
    placeOnSpawn(*doll);
    if (seat.bot)
        doll->attachAI(boost::make_shared<ZRKBotAI>(seat.botSkill));
    return doll;
}

void LandBuilder::buildWeapons(ZRKPlayerSim& doll, const LandSetup::Seat& seat)
{
    std::vector<std::string> ids = seat.weapons;
    if (ids.empty())
        ids.push_back("0"); // the built-in cannon
    auto& slots = doll.mWeapons.getSlots();
    for (std::size_t i = 0; i < ids.size() && i < slots.size(); ++i)
        buildWeapon(slots[i], ids[i]);
}

void LandBuilder::buildWeapon(WeaponState& w, const std::string& id)
{
    LandRecord r = mLand.mItems.record(id);
    w.name = id;
    w.itemId = std::atoi(id.c_str());
    w.kind = r.getInt("i_type", WEAPON_ARCING, WEAPON_ARCING, WEAPON_CLOSE);
    w.speed = r.getReal("i_speed", 120.0f, 1.0f, 10000.0f);
    w.damage = r.getInt("i_damage", 300, 0, 100000);
    w.radius = r.getReal("i_radius", 20.0f, 0.5f, 500.0f);
    w.crater = r.getReal("i_crater", 10.0f, 0.0f, 200.0f);
    w.delay = r.getInt("i_delay", 100, 0, 10000);
    w.cdTime = r.getReal("i_cd_time", 0.0f, 0.0f, 600000.0f) * 0.001f;
    w.shellMax = r.getInt("i_shell_num", 0, 0, 999);
    w.limited = w.shellMax > 0;
    w.setCount(w.shellMax);
    w.settings = r.toView();
    // Readers of the settings see the values the land uses, defaults included.
    w.settings.setRealVal("i_speed", w.speed);
    w.settings.setRealVal("i_cd_time", w.cdTime * 1000.0f);
    w.settings.setIntVal("i_shell_num", w.shellMax);
    if (!w.settings.hasKey("i_shot_range"))
        w.settings.setRealVal("i_shot_range", w.kind == WEAPON_CLOSE ? 15.0f : 400.0f);
}

void LandBuilder::buildProps(ZRKPlayerSim& doll, const LandSetup::Seat& seat)
{
    const ILandRoom* room = mLand.getZRKRoom();
    for (const std::string& id : seat.props)
        doll.mProps.addItem(id, room ? PropBag::carried(room->getPlayerPropCount(seat.playerId, id)) : 1);
}

void LandBuilder::buildNpcs()
{
    const LandSetup& setup = mLand.mSetup;
    LandRecord map(setup.map, "map " + setup.place);
    const bool mission = setup.tactic == 9;
    // A mission's crews come in waves: the map's "npcs" first, then each list of its
    // "scenario". Every wave is built now, so the battle's draws do not hang on when one comes.
    std::vector<const Json::Value*> waves = {&map.array("npcs")};
    const Json::Value& scenario = map.array("scenario");
    for (Json::ArrayIndex w = 0; mission && w < scenario.size(); ++w) {
        if (static_cast<int>(waves.size()) >= DollConstants::MAX_WAVES) {
            LandRecord::warn("map " + setup.place + " has more waves than a battle takes; the rest are left out");
            break;
        }
        waves.push_back(&scenario[w]);
    }
    std::set<std::string> names;
    for (const Json::Value* wave : waves) {
        mLand.mWaves.emplace_back();
        if (!wave->isArray()) {
            LandRecord::warn("map " + setup.place + " has a wave that is no list of crews; it comes empty");
            continue;
        }
        for (Json::ArrayIndex i = 0; i < wave->size() && i < DollConstants::MAX_NPCS_PER_WAVE; ++i)
            if (ZRKNpcSim* npc = buildNpc((*wave)[i], static_cast<int>(i), names))
                mLand.mWaves.back().push_back(npc);
    }
    mLand.mWave = 0;
    mLand.mFieldNpcs = mLand.mWaves.front();
    for (ZRKNpcSim* npc : mLand.mFieldNpcs)
        mLand.mNpcs[npc->getId()] = npc;
}

ZRKNpcSim* LandBuilder::buildNpc(const Json::Value& record, int index, std::set<std::string>& names)
{
    const LandSetup& setup = mLand.mSetup;
    LandRecord r(record, "map " + setup.place + " npc");
    const std::string name = std::string(ZRKNpcState::kPrefix) + r.getString("name", std::to_string(index));
    Vector3 p;
    bool hasY = false;
    if (names.count(name) || !vectorOf(r.has("pos") ? r.value()["pos"] : Json::Value(), p, hasY)) {
        LandRecord::warn("map " + setup.place + " npc " + name + " has no place or is there twice; left out");
        return nullptr;
    }
    names.insert(name);
    boost::shared_ptr<ZRKBattleState> battle = boost::make_shared<ZRKBattleState>();
    battle->xhp = battle->hp = r.getInt("hp", 500, 1, 1000000);
    battle->xfury = DollConstants::DEFAULT_FURY;
    mLand.mNpcStore.emplace_back(new ZRKNpcSim(&mLand, name, 2, battle));
    ZRKNpcSim* npc = mLand.mNpcStore.back().get();
    npc->getState().getInfo().setStringVal("npc_name", r.getString("npc_name", name));
    if (setup.tactic == 9) {
        // A PVE battle's NPCs fight back: turns by delay, played by the bot AI.
        const std::string weapon = r.getString("weapon", "1");
        if (!mLand.mItems.has(weapon) && mLand.getZRKRoom())
            mLand.mItems.add(weapon, mLand.getZRKRoom()->getItemRecord(weapon));
        buildWeapon(npc->mWeapon, weapon);
        npc->mDelay = 20 + index * 5 + static_cast<int>(mLand.mRandom.below(40));
        npc->attachAI(boost::make_shared<ZRKBotAI>(r.getInt("skill", 50, 0, 100)));
    } else {
        npc->setFlag(SIM_PASSIVE);
    }
    if (!hasY)
        p.y = mLand.mField.getHeight(p.x, p.z);
    npc->getMovable().setPosition(p);
    return npc;
}

void LandBuilder::placeOnSpawn(ZRKPlayerSim& doll)
{
    const LandSetup& setup = mLand.mSetup;
    HeightField& field = mLand.mField;
    LandRecord map(setup.map, "map " + setup.place);
    const Json::Value& list = map.child("spawns").array(std::to_string(doll.getColour()));
    const int half = std::max((setup.slotCount + 1) / 2, 1);
    const int index = doll.getSeat() % half;
    Vector3 p;
    bool hasY = false;
    bool placed = false;
    if (!doll.mAltSpawnNode.empty()) {
        p = mLand.nodePosition(doll.mAltSpawnNode, placed);
        hasY = placed;
    }
    if (!placed && list.size() > 0)
        placed = vectorOf(list[static_cast<Json::ArrayIndex>(index) % list.size()], p, hasY);
    if (!placed) {
        // The two sides face each other across the field.
        const float size = field.getSize();
        const float side = doll.getColour() == 1 ? -0.3f : 0.3f;
        p = Vector3(side * size, 0.0f, (-0.3f + 0.6f * (index + 0.5f) / half) * size);
    }
    const float halfSize = field.getHalfSize() * 0.9f;
    p.x = std::min(std::max(p.x, -halfSize), halfSize);
    p.z = std::min(std::max(p.z, -halfSize), halfSize);
    if (field.getHeight(p.x, p.z) < field.getWater() + 2.0f)
        field.raise(p.x, p.z, 8.0f, field.getWater() + 3.0f); // nobody starts in the water
    if (!hasY || p.y < field.getHeight(p.x, p.z))
        p.y = field.getHeight(p.x, p.z);
    doll.getMovable().setPosition(p);
    doll.lookAt(Vector3(0.0f, p.y, 0.0f));
}

} // namespace zrk
} // namespace kavri3D
