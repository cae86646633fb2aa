#include "land/ZRKLand.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <core/KeyInput.h>
#include <limits>
#include <utility>
#include <util/BattleAwards.h>
#include <yake/Logger.h>
#include "land/Ballistics.h"
#include "land/ILandRoom.h"
#include "land/StateHash.h"
#include "land/ZRKBotAI.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerAI.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;

namespace {

ZRKLand::RoomSource theRoomSource;

void landLog(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "land", text); }

// The step as the float it is, so that a frame of 0.01f is exactly one step.
constexpr double kStep = static_cast<double>(DollConstants::STEP);
constexpr std::uint64_t kRoomPollSteps = 25;
constexpr float kPi = 3.14159265358979f;
constexpr std::size_t kMaxBlasts = 64;
constexpr std::size_t kMaxShells = 256;

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


// Map records nest lists and records; a settings view holds them as paths.
void viewOf(const Json::Value& v, const std::string& path, core::XmlConfigHelper& view, int depth)
{
    if (depth > 8)
        return;
    if (v.isObject()) {
        for (const std::string& name : v.getMemberNames())
            if (!name.empty() && name.find('/') == std::string::npos)
                viewOf(v[name], path.empty() ? name : path + "/" + name, view, depth + 1);
    } else if (v.isArray()) {
        for (Json::ArrayIndex i = 0; i < v.size() && i < 256; ++i)
            viewOf(v[i], path + "/" + std::to_string(i), view, depth + 1);
    } else if (!path.empty() && (v.isString() || v.isNumeric() || v.isBool())) {
        view.setStringVal(path, v.asString());
    }
}

bool finiteAim(const Vector3& v)
{
    return v.isFinite() && std::fabs(v.x) <= DollConstants::AIM_LIMIT && std::fabs(v.y) <= DollConstants::AIM_LIMIT &&
           std::fabs(v.z) <= DollConstants::AIM_LIMIT;
}

} // namespace

void ZRKLand::setRoomSource(const RoomSource& source) { theRoomSource = source; }

ZRKLand::ZRKLand(core::GrafixClientState* owner) : mOwner(owner) {}

ZRKLand::~ZRKLand()
{
    *mAlive = false;
    for (auto& doll : mDollStore)
        doll->attachAI(boost::shared_ptr<ZRKPlayerAI>());
}

// --- building ---------------------------------------------------------------------------

bool ZRKLand::create()
{
    if (!mRoom && theRoomSource)
        mRoom = theRoomSource();
    if (!mRoom) {
        landLog(3, "no room state: the battle cannot be built");
        return false;
    }
    LandSetup setup;
    std::string reason;
    if (!LandSetup::fromRoom(*mRoom, setup, reason)) {
        landLog(3, "the battle cannot be built: " + reason);
        return false;
    }
    return create(setup);
}

bool ZRKLand::create(const LandSetup& setup)
{
    if (mCreated) {
        landLog(3, "the battle is built already");
        return false;
    }
    if (setup.seats.empty() || !setup.findSeat(setup.myPlayerId)) {
        landLog(3, "the battle cannot be built: no seat for the player \"" + setup.myPlayerId + "\"");
        return false;
    }
    mSetup = setup;
    if (!mSetup.map.isObject())
        mSetup.map = Json::Value(Json::objectValue);
    for (const auto& item : mSetup.items)
        mItems.add(item.first, item.second);
    mRandom.seed(mSetup.seed);
    if (!build())
        return false;
    mCreated = true;
    registerWithUpdatableManager();
    return true;
}

bool ZRKLand::build()
{
    LandRecord map(mSetup.map, "map " + mSetup.place);
    mField.build(map.child("terrain"), mRandom);
    mWind = mSetup.wind;

    const Json::Value& nodes = map.child("nodes").value();
    if (nodes.isObject())
        for (const std::string& name : nodes.getMemberNames()) {
            Vector3 p;
            bool hasY = false;
            if (!vectorOf(nodes[name], p, hasY)) {
                LandRecord::warn("map " + mSetup.place + " node " + name + " is not a position; it is left out");
                continue;
            }
            if (!hasY)
                p.y = mField.getHeight(p.x, p.z);
            mNodes[name].setPosition(p);
        }

    for (const LandSetup::Seat& seat : mSetup.seats)
        addDoll(seat);
    buildNpcs();

    const Json::Value& items = map.array("items");
    for (Json::ArrayIndex i = 0; i < items.size() && i < 64; ++i) {
        LandRecord r(items[i], "map " + mSetup.place + " item");
        MapItem m;
        m.name = r.getString("name", "");
        bool hasY = false;
        if (m.name.empty() || !vectorOf(r.has("pos") ? r.value()["pos"] : Json::Value(), m.position, hasY)) {
            LandRecord::warn("map " + mSetup.place + " item " + std::to_string(i) + " has no name or place; left out");
            continue;
        }
        if (!hasY)
            m.position.y = mField.getHeight(m.position.x, m.position.z);
        m.hp = r.getInt("hp", 100, 1, 1000000);
        mMapItems.push_back(m);
    }
    return true;
}

ZRKPlayerSim* ZRKLand::addDoll(const LandSetup::Seat& seat)
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

    mDollStore.emplace_back(new ZRKPlayerSim(this, seat.playerId, seat.team, seat.index, battle, seat.state));
    ZRKPlayerSim* doll = mDollStore.back().get();
    doll->mNickname = seat.nickname;
    doll->mPlayerBattle.level = seat.level;
    // Turn order starts by seat, shuffled a little by the battle's seed.
    doll->mPlayerBattle.delay = seat.index * 5 + static_cast<int>(mRandom.below(40));
    doll->getController().enable(seat.playerId == mSetup.myPlayerId);
    buildWeapons(*doll, seat);
    buildProps(*doll, seat);
    mDolls[seat.playerId] = doll;
    mSeatOrder.push_back(doll);
    std::stable_sort(mSeatOrder.begin(), mSeatOrder.end(),
                     [](const ZRKPlayerSim* a, const ZRKPlayerSim* b) { return a->getSeat() < b->getSeat(); });
    placeOnSpawn(*doll);
    if (seat.bot)
        doll->attachAI(boost::make_shared<ZRKBotAI>(seat.botSkill));
    return doll;
}

void ZRKLand::buildWeapons(ZRKPlayerSim& doll, const LandSetup::Seat& seat)
{
    std::vector<std::string> ids = seat.weapons;
    if (ids.empty())
        ids.push_back("0"); // the built-in cannon
    auto& slots = doll.mWeapons.getSlots();
    for (std::size_t i = 0; i < ids.size() && i < slots.size(); ++i)
        buildWeapon(slots[i], ids[i]);
}

void ZRKLand::refWeaponState(WeaponState& w)
{
    if (w.name.empty())
        return;
    if (!mItems.has(w.name) && mRoom)
        mItems.add(w.name, mRoom->getItemRecord(w.name));
    buildWeapon(w, w.name);
}

void ZRKLand::buildWeapon(WeaponState& w, const std::string& id)
{
    LandRecord r = mItems.record(id);
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

void ZRKLand::buildProps(ZRKPlayerSim& doll, const LandSetup::Seat& seat)
{
    for (const std::string& id : seat.props)
        doll.mProps.addItem(id, 1);
}

void ZRKLand::buildNpcs()
{
    LandRecord map(mSetup.map, "map " + mSetup.place);
    const Json::Value& npcs = map.array("npcs");
    for (Json::ArrayIndex i = 0; i < npcs.size() && i < 64; ++i) {
        LandRecord r(npcs[i], "map " + mSetup.place + " npc");
        const std::string name = std::string(ZRKNpcState::kPrefix) + r.getString("name", std::to_string(i));
        Vector3 p;
        bool hasY = false;
        if (mNpcs.count(name) || !vectorOf(r.has("pos") ? r.value()["pos"] : Json::Value(), p, hasY)) {
            LandRecord::warn("map " + mSetup.place + " npc " + name + " has no place or is there twice; left out");
            continue;
        }
        boost::shared_ptr<ZRKBattleState> battle = boost::make_shared<ZRKBattleState>();
        battle->xhp = battle->hp = r.getInt("hp", 500, 1, 1000000);
        battle->xfury = DollConstants::DEFAULT_FURY;
        mNpcStore.emplace_back(new ZRKNpcSim(this, name, 2, battle));
        ZRKNpcSim* npc = mNpcStore.back().get();
        npc->getState().getInfo().setStringVal("npc_name", r.getString("npc_name", name));
        if (mSetup.tactic == 9) {
            // A PVE battle's NPCs fight back: turns by delay, played by the bot AI.
            buildWeapon(npc->mWeapon, r.getString("weapon", "1"));
            npc->mDelay = 20 + static_cast<int>(i) * 5 + static_cast<int>(mRandom.below(40));
            npc->attachAI(boost::make_shared<ZRKBotAI>(r.getInt("skill", 50, 0, 100)));
        } else {
            npc->setFlag(SIM_PASSIVE);
        }
        if (!hasY)
            p.y = mField.getHeight(p.x, p.z);
        npc->getMovable().setPosition(p);
        mNpcs[name] = npc;
    }
}

Vector3 ZRKLand::nodePosition(const std::string& name, bool& found) const
{
    auto it = mNodes.find(name);
    found = it != mNodes.end();
    return found ? it->second.getPosition() : Vector3();
}

void ZRKLand::placeOnSpawn(ZRKPlayerSim& doll)
{
    LandRecord map(mSetup.map, "map " + mSetup.place);
    const Json::Value& list = map.child("spawns").array(std::to_string(doll.getColour()));
    const int half = std::max((mSetup.slotCount + 1) / 2, 1);
    const int index = doll.getSeat() % half;
    Vector3 p;
    bool hasY = false;
    bool placed = false;
    if (!doll.mAltSpawnNode.empty()) {
        p = nodePosition(doll.mAltSpawnNode, placed);
        hasY = placed;
    }
    if (!placed && list.size() > 0)
        placed = vectorOf(list[static_cast<Json::ArrayIndex>(index) % list.size()], p, hasY);
    if (!placed) {
        // The two sides face each other across the field.
        const float size = mField.getSize();
        const float side = doll.getColour() == 1 ? -0.3f : 0.3f;
        p = Vector3(side * size, 0.0f, (-0.3f + 0.6f * (index + 0.5f) / half) * size);
    }
    const float halfSize = mField.getHalfSize() * 0.9f;
    p.x = std::min(std::max(p.x, -halfSize), halfSize);
    p.z = std::min(std::max(p.z, -halfSize), halfSize);
    if (mField.getHeight(p.x, p.z) < mField.getWater() + 2.0f)
        mField.raise(p.x, p.z, 8.0f, mField.getWater() + 3.0f); // nobody starts in the water
    if (!hasY || p.y < mField.getHeight(p.x, p.z))
        p.y = mField.getHeight(p.x, p.z);
    doll.getMovable().setPosition(p);
    doll.lookAt(Vector3(0.0f, p.y, 0.0f));
}

// --- loading ----------------------------------------------------------------------------

boost::signals2::connection ZRKLand::subscribeToLoadSignal(const LoadSignal::slot_type& slot)
{
    return mLoadSignal.connect(slot);
}

void ZRKLand::setLoadState(int state)
{
    if (state == mLoadState)
        return;
    const int previous = mLoadState;
    mLoadState = state;
    try {
        mLoadSignal(previous, state);
    } catch (const std::exception& e) {
        landLog(3, std::string("a load state listener failed: ") + e.what());
    }
}

void ZRKLand::advanceLoading(float dt)
{
    auto alive = mAlive;
    switch (mLoadState) {
    case LOAD_NONE:
        setLoadState(LOAD_LOADOUT);
        return;
    case LOAD_LOADOUT: {
        mLoadProgress = std::min(mLoadProgress + 25, 101);
        for (const ZRKPlayerSim* doll : mSeatOrder) {
            core::EventPtr e = makeEvent(6514);
            e->attrs().setAttr("playerId", doll->getId());
            e->attrs().setAttr("lower", mLoadProgress >= 100 ? 101 : mLoadProgress);
            e->attrs().setAttr("upper", mLoadProgress >= 100 ? 101 : std::min(mLoadProgress + 25, 100));
            e->attrs().setAttr("speed", 0.05f);
            post(e);
        }
        if (mLoadProgress >= 100) {
            setLoadState(LOAD_LOADED);
            if (*alive && mRoom)
                mRoom->reportLoaded(mSetup.myPlayerId);
        }
        return;
    }
    case LOAD_LOADED: {
        if (mRoom) {
            core::XmlConfigHelper values = mRoom->getRoomValues();
            const int state = values.getIntVal("state", 0);
            if (state == ROOM_ABORTED) {
                setLoadState(LOAD_FAILED);
                return;
            }
            if (state != ROOM_FIGHTING)
                return;
            Vector3 wind;
            const std::string text = values.getStringVal("wind", "");
            if (!text.empty() && LandSetup::parseVector(text, wind) && wind.length() <= 100.0f) {
                mWind = Vector3(wind.x, 0.0f, wind.z);
                mSetup.windChanges = mWind != Vector3::ZERO;
            }
        }
        setLoadState(LOAD_READY);
        if (!*alive)
            return;
        LandRecord map(mSetup.map, "map " + mSetup.place);
        core::EventPtr e = makeEvent(6507);
        e->attrs().setAttr("prompt", map.getString("guide", ""));
        e->attrs().setAttr("timeout", map.getReal("guide_time", 3.0f, 0.0f, 60.0f));
        post(e);
        return;
    }
    default:
        return;
    }
}

bool ZRKLand::beginSimulator()
{
    if (mLoadState != LOAD_READY || mFighting)
        return false;
    mFighting = true;
    mTimeBegin = std::max(mLoadTime, 0.001f);
    // A stage of a fixed-play dungeon tells its number, for its tip.
    if (ZRKPlayerSim* me = getMyDoll())
        if (mFixPlay == 1 && mSetup.dungeon > 2000) {
            core::EventPtr e = makeEvent(6510);
            e->attrs().setAttr("fp_notice", mSetup.dungeon);
            postStatus(*me, e);
        }
    return true;
}

void ZRKLand::setComboHide(bool hide)
{
    if (hide == mComboHide)
        return;
    mComboHide = hide;
    if (ZRKPlayerSim* me = getMyDoll())
        postStatus(*me, "carom_hide");
}

void ZRKLand::followRoom()
{
    if (!mRoom)
        return;
    core::XmlConfigHelper values = mRoom->getRoomValues();
    const int state = values.getIntVal("state", 0);
    // Each of the room's turns is told once.
    auto tell = [&](int roomState, bool sync, bool abort) {
        if (!mToldRoomStates.insert(roomState).second)
            return;
        core::EventPtr e = makeEvent(6508);
        e->attrs().setAttr("sync", sync);
        if (abort)
            e->attrs().setAttr("sabort", true);
        post(e);
    };
    if (state == ROOM_ABORTED && !isFinished())
        tell(state, false, true);
    else if (state == ROOM_CLOSED && mLoadState >= LOAD_OVER)
        tell(state, false, false);
    else if (state == ROOM_RESYNC)
        tell(state, true, false);

    // A player who left the room leaves the battle: the doll is marked gone, not killed.
    for (ZRKPlayerSim* doll : mSeatOrder) {
        if (doll->mAngelSeq == -2 || doll->getId() == mSetup.myPlayerId)
            continue;
        const int seat = doll->getSeat();
        if (seat < mRoom->getSlotCount() && mRoom->getSeatPlayer(seat) == doll->getId())
            continue;
        doll->mAngelSeq = -2;
        doll->setFlag(SIM_OUT);
        doll->freeze();
        doll->mActive = false;
        postBubble(*doll);
    }
}

// --- the frame and the step --------------------------------------------------------------

void ZRKLand::update(float dt)
{
    if (!mCreated)
        return;
    if (!std::isfinite(dt) || dt < 0.0f)
        dt = 0.0f;
    dt = std::min(dt, 1.0f);
    auto alive = mAlive;
    if (!mFighting) {
        mLoadTime += dt;
        advanceLoading(dt);
        if (*alive)
            followRoom();
        return;
    }
    if (mLoadState >= LOAD_OVER) {
        // Over, the land steps no more; the closing room is still told.
        mRoomPoll += dt;
        if (mRoomPoll >= 0.25f) {
            mRoomPoll = 0.0f;
            followRoom();
        }
        return;
    }
    mAccumulator += dt;
    int steps = 0;
    while (mAccumulator >= kStep && steps < DollConstants::MAX_STEPS_PER_FRAME && mLoadState < LOAD_OVER) {
        mAccumulator -= kStep;
        ++steps;
        step();
        if (!*alive)
            return;
    }
    if (mAccumulator >= kStep || mLoadState >= LOAD_OVER)
        mAccumulator = std::fmod(mAccumulator, kStep); // a frame this long drops its excess
}

void ZRKLand::step()
{
    ++mSteps;
    // The room is followed on the land's clock, every quarter second of it: who left the
    // room leaves the battle at the same step whatever the frame rate.
    if (mSteps % kRoomPollSteps == 0) {
        auto alive = mAlive;
        followRoom();
        if (!*alive)
            return;
    }
    const float t = getTimeFighting();
    if (mResultTime >= 0.0f) {
        if (t >= mResultTime + DollConstants::RESULT_SECONDS)
            setLoadState(LOAD_OVER);
        return;
    }
    const float now = getTimeNow();
    for (ZRKPlayerSim* doll : mSeatOrder) {
        doll->clampBattle(); // whoever wrote the numbers, health stays within 0 and its maximum
        for (WeaponState& w : doll->mWeapons.getSlots())
            if (!w.empty())
                w.shared->readiness = (w.cdTime > 0.0f && w.lastUse >= 0.0f) ? std::min(1.0f, (t - w.lastUse) / w.cdTime) : 1.0f;
        const WeaponState* w = doll->getCurrentWeaponState();
        doll->mWeapons.setCDSeconds(w && w->lastUse >= 0.0f ? w->lastUse + w->cdTime - t : 0.0f);
        for (SkillState& s : doll->mSkills)
            if (s.state == 1 && now >= s.start + s.duration)
                s.state = s.num_cur > 0 ? 0 : 2;
    }
    if (!mActing && !mActingNpc)
        nextTurn();
    if (ZRKPlayerSim* me = getMyDoll())
        readKeys(*me);
    for (ZRKPlayerSim* doll : mSeatOrder)
        stepDoll(*doll);
    for (auto& npc : mNpcStore)
        if (!npc->isEnded()) {
            npc->clampBattle();
            settle(*npc);
        }
    if (mActing && mActing->mAI && !mActing->isDead() && mActing->isFlagSet(SIM_MAY_FIRE))
        mActing->mAI->think();
    if (mActingNpc && mActingNpc->mAI && !mActingNpc->isDead())
        mActingNpc->mAI->think();
    stepShells();
    pickCrates();

    if (mActing) {
        ZRKPlayerSim* a = mActing;
        const bool shotLanded = a->mFired && !mShots.count(mActingShot);
        if (a->isDead() || !a->mActive)
            endTurn();
        else if (shotLanded && mSettleUntil >= 0.0f && t >= mSettleUntil) {
            if (a->isFlagSet(SIM_TUTOR_B)) {
                // A lesson keeps the turn with the player: he may fire again.
                a->mFired = false;
                a->setFlag(SIM_MAY_FIRE);
                a->mPhase = PHASE_IDLE;
                mSettleUntil = -1.0f;
            } else
                endTurn();
        } else if (!a->mFired && t - mTurnStart >= DollConstants::TURN_SECONDS &&
                   !(mSetup.mode == ROOM_MODE_PRACTICE && a->isLocal()))
            endTurn();
    } else if (mActingNpc) {
        ZRKNpcSim* n = mActingNpc;
        const bool shotLanded = n->mFired && !mShots.count(mActingShot);
        if (n->isDead() || n->isEnded() || (shotLanded && mSettleUntil >= 0.0f && t >= mSettleUntil) ||
            (!n->mFired && t - mTurnStart >= DollConstants::TURN_SECONDS))
            endNpcTurn();
    }
    checkEnd();

    // What scripts hung on the own doll goes out with its next status.
    if (ZRKPlayerSim* me = getMyDoll())
        if (me->mSimEvent.size())
            postStatus(*me, std::string());
}

bool ZRKLand::mayAct(const ZRKPlayerSim& doll) const
{
    return mFighting && !isFinished() && mResultTime < 0.0f && mActing == &doll && !doll.isDead() &&
           doll.isFlagSet(SIM_MAY_FIRE) && doll.mActive;
}

void ZRKLand::readKeys(ZRKPlayerSim& doll)
{
    core::KeyInput* keys = mKeysSet ? mKeys : core::KeyInput::getSingletonPtr();
    if (!keys)
        return;
    std::vector<core::KeyInput::KeyEvent> events = keys->takeEvents();
    if (!doll.getController().isEnabled() || doll.isDead() || doll.mAI)
        return; // keys meant for a doll that may not move are dropped, not kept for later
    for (const core::KeyInput::KeyEvent& e : events) {
        if (!e.down) {
            if (e.scan == core::KeyInput::KC_SPACE)
                doll.releaseFire();
            continue;
        }
        if (e.scan >= core::KeyInput::KC_1 && e.scan <= core::KeyInput::KC_9)
            doll.changeWeapon(e.scan - core::KeyInput::KC_1, false);
        else if (e.scan >= core::KeyInput::KC_Z && e.scan <= core::KeyInput::KC_B)
            doll.useProp(e.scan - core::KeyInput::KC_Z);
        else if (e.scan >= core::KeyInput::KC_F1 && e.scan <= core::KeyInput::KC_F4)
            doll.useSkill(e.scan - core::KeyInput::KC_F1);
        else if (e.scan == core::KeyInput::KC_SPACE)
            doll.holdFire();
        else if (e.scan == core::KeyInput::KC_J)
            doll.jump();
        else if (e.scan == core::KeyInput::KC_R && doll.mRageArmed) {
            // A script armed the rage: it lasts till the next shot.
            doll.mRageArmed = false;
            doll.mFuryShot = true;
            doll.setFlag(SIM_FURY_READY);
        }
    }
    auto held = [&](int scan) { return keys->isKeyDown(scan) ? 1.0f : 0.0f; };
    doll.setMoveInput(held(core::KeyInput::KC_W) - held(core::KeyInput::KC_S));
    doll.setTurnInput(held(core::KeyInput::KC_A) - held(core::KeyInput::KC_D));
    doll.setPitchInput(held(core::KeyInput::KC_UP) - held(core::KeyInput::KC_DOWN));
}

void ZRKLand::settle(ZRKBasicSim& sim)
{
    const float dt = DollConstants::STEP;
    Vector3 p = sim.getPosition();
    const float ground = mField.getHeight(p.x, p.z);
    if (p.y > ground + 0.01f || sim.mFallSpeed > 0.0f) {
        sim.mFallSpeed -= DollConstants::GRAVITY * dt;
        p.y += sim.mFallSpeed * dt;
        if (p.y <= ground) {
            p.y = ground;
            sim.mFallSpeed = 0.0f;
            sim.mJumping = false;
        }
    } else {
        p.y = std::max(ground, mField.getBottom() - 100.0f);
        sim.mFallSpeed = 0.0f;
    }
    if (sim.isImmuneSet(IMMUNE_WATER) && p.y < mField.getWater()) {
        p.y = mField.getWater(); // held up: it walks on the water
        sim.mFallSpeed = 0.0f;
    }
    sim.getMovable().setPosition(p);
    if (p.y < mField.getWater() - 0.5f && !sim.isFlagSet(SIM_OUT))
        kill(sim, mField.getHeight(p.x, p.z) > -999.0f && getTimeFighting() - sim.mLastHitTime < 10.0f ? sim.mLastHitter : "",
             true);
}

void ZRKLand::stepDoll(ZRKPlayerSim& doll)
{
    if (!doll.mActive || doll.mAngelSeq == -2)
        return;
    const float dt = DollConstants::STEP;
    const float t = getTimeFighting();
    settle(doll);
    if (doll.isFlagSet(SIM_OUT))
        return;
    if (doll.isFlagSet(SIM_DOWN)) {
        if (doll.mCountingAgonal && doll.getInvincible() != INVINCIBLE_UNDYING && doll.mDownTime >= 0.0f &&
            t - doll.mDownTime >= DollConstants::AGONAL_SECONDS)
            kill(doll, doll.mLastHitter, false);
        return;
    }
    if (!mayAct(doll))
        return;
    if (doll.mTurnInput != 0.0f && !doll.mCharging)
        doll.setHeading(doll.mHeading + doll.mTurnInput * DollConstants::TURN_SPEED * dt);
    if (doll.mPitchInput != 0.0f) {
        doll.mPitch = std::min(90.0f, std::max(0.0f, doll.mPitch + doll.mPitchInput * DollConstants::PITCH_SPEED * dt));
        doll.mPlayerBattle.pitch = static_cast<int>(std::lround(doll.mPitch));
    }
    if (doll.mCharging) {
        doll.mCharge = std::min(DollConstants::CTRL_FORCE_MAX,
                                doll.mCharge + DollConstants::CTRL_FORCE_MAX / DollConstants::CHARGE_SECONDS * dt);
        const int was = doll.mPlayerBattle.force;
        doll.mPlayerBattle.force = static_cast<int>(std::lround(doll.mCharge));
        const int mark = doll.mPlayerBattle.markForce;
        if (mark > 0 && was < mark && doll.mPlayerBattle.force >= mark)
            postStatus(doll, "hold_ok"); // the charge reached the suggested force
        if (doll.mAutoCharging && doll.mPlayerBattle.markForce > 0 && doll.mCharge >= doll.mPlayerBattle.markForce)
            doll.releaseFire();
        return;
    }
    if (doll.mMoveInput == 0.0f) {
        if (doll.mPhase == PHASE_MOVE)
            doll.mPhase = PHASE_IDLE;
        return;
    }
    ZRKBattleState& b = doll.getBattle();
    const float dist = DollConstants::MOVE_SPEED * dt;
    const float cost = dist * DollConstants::MOVE_ENERGY * doll.mEnergyFactor;
    if (b.sp <= 0 || cost > b.sp + doll.mEnergyCarry) {
        doll.mPhase = PHASE_IDLE;
        doll.mMoveInput = 0.0f;
        if (!doll.mSpWanted) {
            doll.mSpWanted = true;
            postStatus(doll, "sp_wanted");
        }
        return;
    }
    Vector3 p = doll.getPosition();
    const Vector3 dir = Ballistics::direction(doll.mHeading, 0.0f) * doll.mMoveInput;
    Vector3 next = p + dir * dist;
    const float edge = mField.getHalfSize() - 1.0f;
    if (std::fabs(next.x) > edge || std::fabs(next.z) > edge) {
        doll.mPhase = PHASE_IDLE;
        return; // the edge of the world: no further
    }
    const float ground = mField.getHeight(next.x, next.z);
    if (ground > p.y + 1.5f) {
        doll.mPhase = PHASE_IDLE;
        return; // too steep to climb
    }
    if (ground >= p.y - 1.0f)
        next.y = ground; // walking follows the ground; a drop is left to the fall
    else
        next.y = p.y;
    doll.getMovable().setPosition(next);
    doll.mPhase = PHASE_MOVE;
    // Energy is whole; its fractions carry over.
    doll.mEnergyCarry -= cost;
    while (doll.mEnergyCarry < 0.0f) {
        doll.mEnergyCarry += 1.0f;
        --b.sp;
    }
    b.clamp();
    doll.mEnergySpent += cost;
}

// --- turns -------------------------------------------------------------------------------

void ZRKLand::nextTurn()
{
    if (mResultTime >= 0.0f)
        return;
    // The lowest delay acts next, a doll before an NPC of the same delay. A doll holds a turn
    // when a player or an AI plays it; an NPC when an AI does.
    ZRKPlayerSim* next = nullptr;
    for (ZRKPlayerSim* doll : mSeatOrder) {
        if (!doll->mActive || doll->isDead() || doll->mAngelSeq == -2)
            continue;
        // A passive doll takes no turn of its own; an AI may still play it.
        if (doll->isFlagSet(SIM_PASSIVE) && !doll->mAI)
            continue;
        if (!doll->mAI && doll->getPlayerId().empty())
            continue;
        // A lesson's scripted dolls stand still unless an AI plays them.
        if (mSetup.mode == ROOM_MODE_PRACTICE && !doll->mAI && !doll->isLocal())
            continue;
        if (!next || doll->mPlayerBattle.delay < next->mPlayerBattle.delay)
            next = doll;
    }
    ZRKNpcSim* nextNpc = nullptr;
    for (auto& npc : mNpcStore) {
        if (!npc->mAI || npc->isDead() || npc->isEnded() || npc->isFlagSet(SIM_PASSIVE))
            continue;
        if ((!nextNpc || npc->mDelay < nextNpc->mDelay) && (!next || npc->mDelay < next->mPlayerBattle.delay))
            nextNpc = npc.get();
    }
    if (!next && !nextNpc)
        return;
    ++mTurn;
    if (mTurn > 1)
        newWind();
    mTurnStart = getTimeFighting();
    mSettleUntil = -1.0f;
    mActingShot = 0;
    if (nextNpc) {
        mActingNpc = nextNpc;
        nextNpc->mFired = false;
        postBubble(*nextNpc);
        return;
    }
    mActing = next;
    next->setFlag(SIM_MAY_FIRE);
    next->mFired = false;
    next->mTurnDelay = 0;
    next->mFiredDelay = 0;
    next->mSpWanted = false;
    next->mEnergySpent = 0.0f;
    next->mEnergyCarry = 0.0f;
    next->energyRefullReset();
    next->mPhase = PHASE_IDLE;
    if (next->isLocal())
        mCamera = CAMERA_ATTACH;
    // Low on health at the start of the own turn: a reminder of the healing props.
    const ZRKBattleState& b = next->getBattle();
    postStatus(*next, b.hp * 10 < b.xhp * 3 && next->mProps.hasEffect(PROP_HEAL) ? "hp_wanted" : "");
    postBubble(*next);
}

void ZRKLand::endTurn()
{
    ZRKPlayerSim* doll = mActing;
    if (!doll)
        return;
    mActing = nullptr;
    int delay = doll->mFired ? DollConstants::DELAY_TURN + doll->mFiredDelay : DollConstants::DELAY_IDLE;
    delay += doll->mTurnDelay + static_cast<int>(doll->mEnergySpent / 10.0f);
    doll->mPlayerBattle.delay += delay;
    doll->resetFlag(SIM_MAY_FIRE);
    doll->freeze();
    if (!doll->isDead())
        doll->mPhase = PHASE_IDLE;
    if (doll->isLocal())
        _cameraLeaveRoam();
    postStatus(*doll, std::string());
    postBubble(*doll);
}

void ZRKLand::endNpcTurn()
{
    ZRKNpcSim* npc = mActingNpc;
    if (!npc)
        return;
    mActingNpc = nullptr;
    npc->mDelay += npc->mFired ? DollConstants::DELAY_TURN + npc->mWeapon.delay : DollConstants::DELAY_IDLE;
    if (!npc->isEnded())
        postBubble(*npc);
}

float ZRKLand::getTurnTimeLeft() const
{
    if (!mActing && !mActingNpc)
        return 0.0f;
    return std::max(0.0f, DollConstants::TURN_SECONDS - (getTimeFighting() - mTurnStart));
}

void ZRKLand::newWind()
{
    if (!mSetup.windChanges)
        return;
    LandRecord map(mSetup.map, "map " + mSetup.place);
    const float most = map.getReal("wind_max", DollConstants::WIND_MAX, 0.0f, 50.0f);
    const float power = mRandom.uniform() * most;
    const float angle = mRandom.uniform() * 2.0f * kPi;
    mWind = Vector3(std::sin(angle) * power, 0.0f, std::cos(angle) * power);
}

Vector3 ZRKLand::getWindDir() const
{
    Vector3 d = mWind;
    return d.normalise() > 1e-6f ? d : Vector3::ZERO;
}

float ZRKLand::getWindPowerHUD() const { return std::round(getWindPower() * 10.0f) / 10.0f; }

// --- shots and shells --------------------------------------------------------------------

float ZRKLand::weaponSpeed(const WeaponState& w) const { return w.speed * DollConstants::HIT_FACTOR_BULLET_SPEED; }

bool ZRKLand::fire(ZRKPlayerSim& doll)
{
    WeaponState* w = doll.getCurrentWeaponState();
    if (!w || (w->limited && w->getCount() <= 0)) {
        postStatus(doll, "bullet_wanted");
        return false;
    }
    if (doll.mWeapons.getCD() > 0) {
        postStatus(doll, "cd_wanted");
        return false;
    }
    const float t = getTimeFighting();
    const int shot = mNextShot++;
    ShotRecord record;
    record.owner = doll.getId();
    record.bot = doll.mAI != nullptr;
    int flags = 0;
    float multiplier = 1.0f;
    if (doll.mFuryShot) {
        flags |= HIT_ULTIMATE;
        multiplier *= 2.0f;
    }
    if (doll.mPower)
        multiplier *= 1.5f;

    if (w->kind == WEAPON_CLOSE) {
        // A close weapon strikes at once whoever stands in its fan.
        const float range = w->settings.getRealVal("i_shot_range", 15.0f);
        const float fan = w->settings.getRealVal("i_hit_range", DollConstants::HIT_CLOSE_FAN);
        mShots[shot] = record;
        for (ZRKPlayerSim* other : mSeatOrder) {
            if (other == &doll || other->isFlagSet(SIM_OUT))
                continue;
            Vector3 d = other->getPosition() - doll.getPosition();
            const float dist = d.length();
            if (dist > range || dist < 1e-4f)
                continue;
            const float angle = std::fabs(std::remainder(Ballistics::headingOf(d) - doll.mHeading, 2.0f * kPi));
            if (angle * 180.0f / kPi > fan * 0.5f)
                continue;
            const bool enemy = other->getColour() != doll.getColour();
            const int amount = static_cast<int>(std::lround(w->damage * multiplier * (1.0f - dist / (range + 1.0f))));
            if (enemy && amount > 0) {
                mShots[shot].hurtEnemy = true;
                mShots[shot].flags |= HIT_GOOD;
            }
            damage(*other, amount, doll.getId(), flags | (enemy ? HIT_GOOD : 0));
        }
        mShots[shot].shells = 0;
    } else {
        const float speed = weaponSpeed(*w);
        const float share = std::min(std::max(doll.mPlayerBattle.force / DollConstants::CTRL_FORCE_MAX, 0.0f), 1.0f);
        const float v = speed * (DollConstants::CTRL_FORCE_F_V_MIN + (1.0f - DollConstants::CTRL_FORCE_F_V_MIN) * share);
        const float pitch = doll.mPlayerBattle.pitch * kPi / 180.0f;
        std::vector<float> headings{doll.mHeading};
        if (doll.mTriple) {
            headings = {doll.mHeading - 0.05f, doll.mHeading, doll.mHeading + 0.05f};
            flags |= HIT_SPLIT;
        }
        Vector3 gun;
        Quaternion orientation;
        doll.getGunPoint(gun, orientation);
        for (float heading : headings) {
            if (mShells.size() >= kMaxShells)
                break;
            const Vector3 dir = Ballistics::direction(heading, pitch);
            mShells.push_back(makeShell(doll.getId(), shot, *w, gun + dir * DollConstants::GUN_MUZZLE, dir * v, flags,
                                        multiplier, !doll.isImmuneSet(IMMUNE_WIND)));
            ++record.shells;
        }
        mShots[shot] = record;
    }
    w->lastUse = t;
    w->shared->readiness = w->cdTime > 0.0f ? 0.0f : 1.0f;
    if (w->limited)
        w->setCount(w->getCount() - 1);
    doll.resetFlag(SIM_MAY_FIRE);
    doll.mFired = true;
    doll.mFiredDelay = w->delay;
    doll.mPhase = PHASE_FLIGHT;
    if (doll.mFuryShot)
        doll.resetFlag(SIM_FURY_READY);
    doll.mTriple = doll.mPower = doll.mFuryShot = false;
    doll.removeBuffIcon(SKILL_TRIPLE);
    doll.removeBuffIcon(SKILL_POWER);
    doll.removeBuffIcon(SKILL_FURY);
    ++doll.mPlayerBattle.shots;
    if (record.bot)
        ++mBotShots;
    if (&doll == mActing)
        mActingShot = shot;
    if (doll.isLocal())
        mCamera = CAMERA_ROAM;
    postStatus(doll, "bullet_shot");
    postBubble(doll);
    if (mShots[shot].shells == 0)
        finishShot(shot);
    return true;
}

ZRKLand::Shell ZRKLand::makeShell(const std::string& owner, int shot, WeaponState& w, const Vector3& from,
                                  const Vector3& velocity, int flags, float multiplier, bool wind)
{
    Shell s;
    s.id = mNextShell++;
    s.shot = shot;
    s.owner = owner;
    s.weapon = w.name;
    s.damage = w.damage;
    s.radius = w.radius;
    s.crater = w.crater;
    s.flags = flags;
    s.multiplier = multiplier;
    s.position = from;
    s.velocity = velocity;
    s.wind = wind;
    s.weaponShared = w.shared;
    ++w.shared->busy;
    return s;
}

bool ZRKLand::fireNpc(ZRKNpcSim& npc, int pitch, float share)
{
    if (mActingNpc != &npc || npc.mFired || npc.isDead() || npc.mWeapon.empty() || mResultTime >= 0.0f ||
        !std::isfinite(share) || pitch < 0 || pitch > 90 || mShells.size() >= kMaxShells)
        return false;
    WeaponState& w = npc.mWeapon;
    share = std::min(std::max(share, 0.0f), 1.0f);
    const float v = weaponSpeed(w) * (DollConstants::CTRL_FORCE_F_V_MIN + (1.0f - DollConstants::CTRL_FORCE_F_V_MIN) * share);
    const Vector3 dir = Ballistics::direction(npc.mHeading, pitch * kPi / 180.0f);
    const int shot = mNextShot++;
    ShotRecord record;
    record.owner = npc.getId();
    record.bot = true;
    record.shells = 1;
    mShots[shot] = record;
    mShells.push_back(makeShell(npc.getId(), shot, w, npc.getGunPoint() + dir * DollConstants::GUN_MUZZLE, dir * v, 0, 1.0f,
                                !npc.isImmuneSet(IMMUNE_WIND)));
    w.lastUse = getTimeFighting();
    npc.mFired = true;
    mActingShot = shot;
    ++mBotShots;
    postBubble(npc);
    return true;
}

bool ZRKLand::areFoes(const ZRKBasicSim& a, const ZRKBasicSim& b) const
{
    if (isPve())
        return (getNpc(a.getId()) != nullptr) != (getNpc(b.getId()) != nullptr);
    return a.getColour() != b.getColour();
}

int ZRKLand::launchShell(const std::string& owner, const Vector3& from, const Vector3& velocity)
{
    if (!finiteAim(from) || !finiteAim(velocity) || mShells.size() >= kMaxShells)
        return 0;
    Shell s;
    s.id = mNextShell++;
    s.shot = mNextShot++;
    s.owner = owner;
    s.damage = 100;
    s.radius = 15.0f;
    s.crater = 6.0f;
    s.position = from;
    s.velocity = velocity;
    if (ZRKPlayerSim* doll = getDoll(owner))
        if (const WeaponState* w = doll->getCurrentWeaponState()) {
            s.weapon = w->name;
            s.damage = w->damage;
            s.radius = w->radius;
            s.crater = w->crater;
        }
    ShotRecord record;
    record.owner = owner;
    record.shells = 1;
    mShots[s.shot] = record;
    mShells.push_back(s);
    return s.id;
}

void ZRKLand::stepShells()
{
    const float dt = DollConstants::STEP;
    std::vector<Shell> flying;
    flying.reserve(mShells.size());
    std::vector<std::pair<Shell, std::pair<Vector3, std::string>>> landed;
    std::vector<Shell> lost;
    for (Shell& s : mShells) {
        const Vector3 from = s.position;
        Ballistics::step(s.position, s.velocity, Ballistics::acceleration(mWind, s.wind), dt);
        s.age += dt;
        const Vector3 seg = s.position - from;
        const float segLen2 = seg.squaredLength();
        // The earliest of: a doll's body, the ground.
        float best = 2.0f;
        std::string direct;
        auto tryBody = [&](const ZRKBasicSim& sim) {
            if (sim.isFlagSet(SIM_OUT) || (sim.getId() == s.owner && s.age < DollConstants::SHELL_ARM_SECONDS))
                return;
            const Vector3 c = sim.getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f);
            float u = segLen2 > 0.0f ? (c - from).dotProduct(seg) / segLen2 : 0.0f;
            u = std::min(std::max(u, 0.0f), 1.0f);
            if ((from + seg * u).squaredDistance(c) < DollConstants::HIT_ACTOR_RADIUS * DollConstants::HIT_ACTOR_RADIUS &&
                u < best) {
                best = u;
                direct = sim.getId();
            }
        };
        for (const ZRKPlayerSim* doll : mSeatOrder)
            if (doll->mActive && doll->mAngelSeq != -2)
                tryBody(*doll);
        for (const auto& npc : mNpcStore)
            if (!npc->isEnded())
                tryBody(*npc);
        if (s.position.y <= mField.getHeight(s.position.x, s.position.z)) {
            float lo = 0.0f, hi = 1.0f;
            for (int k = 0; k < 10; ++k) {
                const float mid = 0.5f * (lo + hi);
                const Vector3 p = from + seg * mid;
                if (p.y <= mField.getHeight(p.x, p.z))
                    hi = mid;
                else
                    lo = mid;
            }
            if (hi < best) {
                best = hi;
                direct.clear();
            }
        }
        if (best <= 1.0f) {
            landed.push_back({s, {from + seg * best, direct}});
        } else if (s.age > DollConstants::SHELL_MAX_SECONDS || s.position.y < mField.getBottom() - 200.0f ||
                   !s.position.isFinite()) {
            lost.push_back(s);
        } else {
            flying.push_back(s);
        }
    }
    mShells.swap(flying);
    for (auto& l : landed) {
        if (l.first.weaponShared)
            --l.first.weaponShared->busy;
        explode(l.first, l.second.first, l.second.second);
    }
    for (const Shell& s : lost)
        if (s.weaponShared)
            --s.weaponShared->busy;
    for (auto& l : landed)
        if (--mShots[l.first.shot].shells <= 0)
            finishShot(l.first.shot);
    for (const Shell& s : lost)
        if (--mShots[s.shot].shells <= 0)
            finishShot(s.shot);
}

void ZRKLand::explode(const Shell& shell, const Vector3& at, const std::string& direct)
{
    if (shell.crater > 0.0f)
        mField.crater(at, shell.crater, shell.crater * 0.5f);
    if (mBlasts.size() >= kMaxBlasts)
        mBlasts.erase(mBlasts.begin());
    mBlasts.push_back(Blast{shell.shot, at, shell.radius});

    core::EventPtr effect = makeEvent(6506);
    effect->attrs().setAttr("flash", false);
    effect->attrs().setAttr("pid", std::string("explosion"));
    effect->attrs().setAttr("key", "blast" + std::to_string(shell.shot));
    effect->attrs().setAttr("duration", 2.0f);
    EffectPlacement placement;
    placement.position = at;
    placement.scale = Vector3::UNIT_SCALE * std::max(shell.radius / 10.0f, 0.1f);
    effect->attrs().setAttr("mi", placement);
    post(effect);

    const ZRKBasicSim* owner = getDoll(shell.owner);
    if (!owner)
        owner = getNpc(shell.owner);
    ShotRecord& record = mShots[shell.shot];
    auto blast = [&](ZRKBasicSim& target) {
        if (target.isFlagSet(SIM_OUT) || shell.radius <= 0.0f)
            return;
        const Vector3 centre = target.getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f);
        const float d = target.getId() == direct ? 0.0f : at.distance(centre);
        if (d >= shell.radius)
            return;
        // Damage falls off linearly from the centre to the edge of the blast.
        float amount = shell.damage * shell.multiplier * (1.0f - d / shell.radius);
        int flags = shell.flags;
        if (d < shell.radius * 0.2f)
            flags |= HIT_PERFECT;
        if (mRandom.uniform() < 0.1f) {
            flags |= HIT_CRITICAL;
            amount *= 1.5f;
        }
        const int whole = static_cast<int>(std::lround(amount));
        const bool enemy = !owner || areFoes(*owner, target);
        if (enemy && whole > 0) {
            flags |= HIT_GOOD;
            record.hurtEnemy = true;
        }
        record.flags |= flags;
        damage(target, whole, shell.owner, flags);
    };
    for (ZRKPlayerSim* doll : mSeatOrder)
        if (doll->mActive && doll->mAngelSeq != -2)
            blast(*doll);
    for (auto& npc : mNpcStore)
        if (!npc->isEnded())
            blast(*npc);
    for (MapItem& item : mMapItems) {
        const float d = at.distance(item.position);
        if (item.hp > 0 && d < shell.radius)
            item.hp -= static_cast<int>(std::lround(shell.damage * (1.0f - d / shell.radius)));
    }
}

void ZRKLand::finishShot(int shot)
{
    auto it = mShots.find(shot);
    if (it == mShots.end())
        return;
    ShotRecord record = it->second;
    mShots.erase(it);
    ZRKPlayerSim* owner = getDoll(record.owner);
    if (shot == mActingShot)
        mSettleUntil = getTimeFighting() + DollConstants::SETTLE_SECONDS;
    if (!owner)
        return;
    ComboBullet& combo = mCombos[owner->getId()];
    if (record.hurtEnemy) {
        ++owner->mPlayerBattle.hits;
        if (record.bot)
            ++mBotHits;
        ++combo.count;
        combo.time = getTimeNow();
    } else {
        record.flags |= HIT_BLANK;
        combo.count = 0;
    }
    if (owner->isLocal()) {
        core::EventPtr e = makeEvent(6510);
        e->attrs().setAttr("hit", record.flags);
        if (combo.count >= 2) {
            // A run of hits pays energy.
            const int bonus = 50 * (combo.count - 1);
            owner->getBattle().sp += bonus;
            owner->clampBattle();
            core::EventPtr gains = makeEvent(6503);
            gains->attrs().setAttr("playerId", owner->getId());
            gains->getParams().setIntVal("sp", bonus);
            gains->getParams().setBoolVal("combo", true);
            post(gains);
        }
        postStatus(*owner, e);
        _cameraLeaveRoam();
    }
}

// --- harm and help -----------------------------------------------------------------------

void ZRKLand::damage(ZRKBasicSim& target, int amount, const std::string& hitter, int flags)
{
    if (target.isFlagSet(SIM_OUT) || amount <= 0)
        return;
    const int inv = target.getInvincible();
    if (inv == INVINCIBLE_DAMAGE || inv == INVINCIBLE_SHIELD || target.isImmuneSet(IMMUNE_DAMAGE))
        return;
    ZRKBattleState& b = target.getBattle();
    const int before = b.hp;
    b.hp -= amount;
    b.clamp();
    if (target.isImmuneSet(IMMUNE_WATER) && before > 0 && b.hp < 1)
        b.hp = 1; // a lesson cannot be lost
    const int taken = before - b.hp;
    target.mLastHitter = hitter;
    target.mLastHitTime = getTimeFighting();
    ZRKPlayerSim* by = getDoll(hitter);
    if (by && by != &target && by->getColour() != target.getColour()) {
        by->mPlayerBattle.damage += taken;
        gainFury(*by, taken / 4);
    }
    gainFury(target, b.fsp > 0 ? b.fsp : taken / 2);
    postHit(target, -amount, flags, hitter, "");
    postBubble(target);
    if (ZRKPlayerSim* doll = getDoll(target.getId()))
        if (doll->isLocal()) {
            core::EventPtr e = makeEvent(6510);
            e->attrs().setAttr("hp", b.hp);
            postStatus(*doll, e);
        }
    if (b.hp == 0 && !target.isFlagSet(SIM_DOWN))
        goDown(target, hitter);
}

void ZRKLand::heal(ZRKBasicSim& target, int amount, const std::string& type)
{
    if (target.isDead() || amount <= 0)
        return;
    ZRKBattleState& b = target.getBattle();
    const int before = b.hp;
    b.hp += amount;
    b.clamp();
    if (b.hp == before)
        return;
    postHit(target, b.hp - before, 0, "", type);
    postBubble(target);
}

void ZRKLand::gainFury(ZRKBasicSim& sim, int amount)
{
    ZRKBattleState& b = sim.getBattle();
    if (amount > 0) {
        b.fury += amount;
        b.clamp();
    }
    if (b.xfury > 0 && b.fury >= b.xfury)
        sim.setFlag(SIM_FURY_READY);
}

void ZRKLand::goDown(ZRKBasicSim& target, const std::string& hitter)
{
    ZRKPlayerSim* doll = getDoll(target.getId());
    if (!doll) {
        kill(target, hitter, false);
        return;
    }
    // A pacemaker in the bag brings its holder back at once.
    for (PropState& p : doll->mProps.getSlots())
        if (!p.empty() && (p.effect & PROP_PACEMAKER)) {
            --p.count;
            doll->getBattle().hp = std::max(1, doll->getBattle().xhp * 3 / 10);
            postHit(*doll, doll->getBattle().hp, 0, "", "");
            postBubble(*doll);
            return;
        }
    // A doll that counts no death throes (a lesson's dummy or scripted foe) would lie down for
    // ever and hold back whoever waits for its end: its last health puts it out at once. A doll
    // that may not die stays down, to be rescued.
    if (!doll->mCountingAgonal && doll->getInvincible() != INVINCIBLE_UNDYING) {
        kill(*doll, hitter, false);
        return;
    }
    doll->setFlag(SIM_DOWN);
    doll->resetFlag(SIM_FURY_READY);
    doll->freeze();
    doll->mPhase = doll->mAgonal ? PHASE_AGONAL : PHASE_DOWN;
    doll->mDownTime = getTimeFighting();
    core::EventPtr e = makeEvent(6112);
    e->attrs().setAttr("uid", doll->getId());
    post(e);
    postStatus(*doll, std::string());
    postBubble(*doll);
}

void ZRKLand::kill(ZRKBasicSim& target, const std::string& killer, bool drowned)
{
    if (target.isFlagSet(SIM_OUT))
        return;
    target.getBattle().hp = 0;
    target.setFlag(SIM_OUT | SIM_DOWN);
    target.resetFlag(SIM_MAY_FIRE | SIM_FURY_READY);
    target.mPhase = PHASE_OUT;
    target.freeze();
    if (ZRKNpcSim* npc = getNpc(target.getId())) {
        npc->getState().getBattleState().state = BATTLE_KILLED;
        core::EventPtr e = makeEvent(6513);
        e->attrs().setAttr("name", npc->getId());
        post(e);
        return;
    }
    ZRKPlayerSim* doll = getDoll(target.getId());
    if (!doll)
        return;
    doll->mPlayerBattle.state = BATTLE_KILLED;
    ++doll->mPlayerBattle.deaths;
    ZRKPlayerSim* by = getDoll(killer);
    if (by && by != doll && by->getColour() != doll->getColour()) {
        ++by->mPlayerBattle.kills;
        if (by->isLocal())
            postStatus(*by, "killCount");
    }
    core::EventPtr e = makeEvent(drowned || killer.empty() ? 6114 : 6113);
    e->attrs().setAttr("uid", doll->getId());
    e->attrs().setAttr("killer", killer);
    post(e);
    postStatus(*doll, std::string());
    postBubble(*doll);
}

bool ZRKLand::reviveDoll(const std::string& id, bool fullHealth, bool notify)
{
    ZRKPlayerSim* doll = getDoll(id);
    if (!doll || !doll->isDead() || doll->mAngelSeq == -2)
        return false;
    doll->resetFlag(SIM_DOWN | SIM_OUT);
    doll->mPlayerBattle.state = BATTLE_FIGHTING;
    doll->mPhase = PHASE_IDLE;
    doll->mAgonal = false;
    doll->mDownTime = -1.0f;
    doll->mRevivedStep = mSteps;
    ZRKBattleState& b = doll->getBattle();
    b.hp = fullHealth ? b.xhp : std::max(1, b.xhp / 2);
    b.clamp();
    if (notify) {
        postStatus(*doll, std::string());
        postBubble(*doll);
    }
    return true;
}

// --- crates, nodes, items ----------------------------------------------------------------

bool ZRKLand::_addCrate(const std::string& id, const ZRKSceneItem& item, const std::string& where)
{
    if (id.empty())
        return false;
    bool found = false;
    Vector3 p = nodePosition(where, found);
    if (!found) {
        if (!LandSetup::parseVector(where, p) || !mField.inside(p.x, p.z))
            return false;
        p.y = mField.getHeight(p.x, p.z);
    }
    Crate c;
    c.item = item;
    c.position = p;
    mCrates[id] = c;
    return true;
}

void ZRKLand::_updateCrateMarks()
{
    mCrateMarks.clear();
    for (const auto& c : mCrates)
        mCrateMarks.push_back(CrateMark{c.first, c.second.position});
}

const ZRKLand::CrateMark* ZRKLand::getCrateMark(const std::string& id) const
{
    for (const CrateMark& m : mCrateMarks)
        if (m.name == id)
            return &m;
    return nullptr;
}

void ZRKLand::pickCrates()
{
    for (auto it = mCrates.begin(); it != mCrates.end();) {
        ZRKPlayerSim* picker = nullptr;
        for (ZRKPlayerSim* doll : mSeatOrder) {
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
            heal(*picker, item.value > 0 ? item.value : picker->getBattle().xhp / 4, "");
        }
        if (picker->isLocal()) {
            core::EventPtr e = makeEvent(6502);
            e->attrs().setAttr("id", "si_" + std::to_string(item.kind));
            post(e);
        }
        _updateCrateMarks();
    }
}

int ZRKLand::_countLoadedItem(const std::string& name) const
{
    int n = 0;
    for (const MapItem& m : mMapItems)
        n += (m.name == name && m.hp > 0) ? 1 : 0;
    return n;
}

const yake::Movable* ZRKLand::_getNodeMovable(const std::string& name) const
{
    auto it = mNodes.find(name);
    return it == mNodes.end() ? nullptr : &it->second;
}

bool ZRKLand::spawnPlayerNode(const std::string& id, const std::string& node)
{
    ZRKPlayerSim* doll = getDoll(id);
    bool found = false;
    Vector3 p = nodePosition(node, found);
    if (!doll || !found)
        return false;
    p.y = std::max(p.y, mField.getHeight(p.x, p.z));
    doll->getMovable().setPosition(p);
    doll->mFallSpeed = 0.0f;
    return true;
}

void ZRKLand::_preloadDollWeapon(const std::string& uid)
{
    if (ZRKPlayerSim* doll = getDoll(uid))
        for (const WeaponState& w : doll->mWeapons.getSlots())
            if (!w.empty())
                mPreloadWeapons.insert(w.name);
}

void ZRKLand::_cameraLeaveRoam()
{
    if (mCamera == CAMERA_ROAM)
        mCamera = CAMERA_ATTACH;
}

// --- aiming ------------------------------------------------------------------------------

int ZRKLand::_targetUnderTrajectory(const Vector3& gun, const Vector3& target, float pitch, float speed) const
{
    if (!finiteAim(gun) || !finiteAim(target) || !std::isfinite(pitch) || std::fabs(pitch) > kPi / 2 ||
        !std::isfinite(speed) || speed <= 0.0f || speed > DollConstants::AIM_LIMIT)
        return TRAJECTORY_TOO_FAR;
    const Vector3 accel = Ballistics::acceleration(Vector3::ZERO, false);
    Vector3 v;
    float flight = 0.0f;
    if (!Ballistics::solveLaunch(gun, target, pitch, accel, v, flight) || v.length() > speed * 1.0001f)
        return TRAJECTORY_TOO_FAR;
    // The last tenth of the flight comes down at the target: its own ground does not count.
    const int samples = 32;
    for (int i = 1; i < samples * 9 / 10; ++i) {
        const Vector3 p = Ballistics::positionAt(gun, v, accel, flight * i / samples);
        if (mField.inside(p.x, p.z) && mField.getHeight(p.x, p.z) > p.y + 0.5f)
            return TRAJECTORY_BLOCKED;
    }
    return TRAJECTORY_REACHABLE;
}

bool ZRKLand::_calcProjectileV(ZRKBasicSim* sim, const std::string& weapon, float pitch, float muzzle, const Vector3& gun,
                               const Vector3& target, bool wind, Vector3& velocity) const
{
    if (!finiteAim(gun) || !finiteAim(target) || !std::isfinite(pitch) || std::fabs(pitch) > kPi / 2 ||
        !std::isfinite(muzzle) || muzzle < 0.0f || muzzle > 100.0f)
        return false;
    const bool withWind = wind && !(sim && sim->isImmuneSet(IMMUNE_WIND));
    const Vector3 accel = Ballistics::acceleration(mWind, withWind);
    // The shell leaves at the muzzle, whose place depends on the direction: a few rounds settle it.
    Vector3 from = gun, v;
    float flight = 0.0f;
    for (int round = 0; round < 4; ++round) {
        if (!Ballistics::solveLaunch(from, target, pitch, accel, v, flight))
            return false;
        from = gun + v.normalisedCopy() * muzzle;
    }
    // A weapon the land knows cannot throw faster than its full charge.
    float most = 0.0f;
    if (ZRKPlayerSim* doll = sim ? getDoll(sim->getId()) : nullptr)
        for (const WeaponState& w : doll->mWeapons.getSlots())
            if (!w.empty() && w.name == weapon)
                most = weaponSpeed(w);
    if (most <= 0.0f && mItems.has(weapon))
        most = mItems.record(weapon).getReal("i_speed", 120.0f, 1.0f, 10000.0f) * DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (most > 0.0f && v.length() > most * 1.0001f)
        return false;
    velocity = v;
    return true;
}

std::string ZRKLand::_hitPlayerByRay() const
{
    ZRKPlayerSim* me = getMyDoll();
    if (!me)
        return std::string();
    Vector3 gun;
    Quaternion orientation;
    me->getGunPoint(gun, orientation);
    const Vector3 dir = orientation * Vector3::UNIT_Z;
    const WeaponState* w = me->mWeapons.getSlots().size() > static_cast<std::size_t>(std::max(me->mPlayerBattle.weapon, 0))
                               ? &me->mWeapons.getSlots()[static_cast<std::size_t>(std::max(me->mPlayerBattle.weapon, 0))]
                               : nullptr;
    const float range = (w && !w->empty()) ? std::min(w->settings.getRealVal("i_shot_range", 400.0f), 2000.0f) : 400.0f;
    const float r2 = DollConstants::HIT_ACTOR_RADIUS * DollConstants::HIT_ACTOR_RADIUS;
    for (float s = 0.0f; s <= range; s += 1.0f) {
        const Vector3 p = gun + dir * s;
        if (mField.inside(p.x, p.z) && mField.getHeight(p.x, p.z) > p.y)
            return std::string(); // the ground stops the sight
        for (const ZRKPlayerSim* doll : mSeatOrder)
            if (doll != me && !doll->isFlagSet(SIM_OUT) && doll->mAngelSeq != -2 &&
                p.squaredDistance(doll->getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f)) < r2)
                return doll->getId();
        for (const auto& npc : mNpcStore)
            if (!npc->isEnded() && !npc->isDead() &&
                p.squaredDistance(npc->getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f)) < r2)
                return npc->getId();
    }
    return std::string();
}

// --- the end -----------------------------------------------------------------------------

void ZRKLand::checkEnd()
{
    if (mResultTime >= 0.0f || mSetup.mode == ROOM_MODE_PRACTICE)
        return;
    const float t = getTimeFighting();
    // Sides: the two teams; against the NPCs of a PVE battle, all players are one side.
    const bool pve = mSetup.tactic == 9 && !mNpcs.empty();
    std::set<int> sides, standing;
    for (const ZRKPlayerSim* doll : mSeatOrder) {
        // A side whose players all left has lost.
        const int side = pve ? 0 : doll->getColour();
        sides.insert(side);
        // Down is not out: a doll may still be revived until its time runs out.
        if (doll->mActive && doll->mAngelSeq != -2 && !doll->isFlagSet(SIM_OUT))
            standing.insert(side);
    }
    if (pve) {
        sides.insert(2);
        for (const auto& npc : mNpcStore)
            if (!npc->isDead() && !npc->isEnded())
                standing.insert(2);
    }
    if (t >= DollConstants::BATTLE_SECONDS) {
        std::map<int, int> hp;
        for (const ZRKPlayerSim* doll : mSeatOrder)
            if (doll->mAngelSeq != -2)
                hp[doll->getColour()] += doll->getBattle().hp;
        int winner = -1, best = -1;
        bool tie = false;
        for (const auto& h : hp) {
            if (h.second > best) {
                best = h.second;
                winner = h.first;
                tie = false;
            } else if (h.second == best) {
                tie = true;
            }
        }
        decide(tie ? -1 : winner, true, false);
        return;
    }
    if (sides.size() >= 2 && standing.size() <= 1) {
        int winner = standing.empty() ? -1 : *standing.begin();
        if (pve && winner == 0)
            winner = getMyDoll() ? getMyDoll()->getColour() : 0; // the players won
        decide(winner == 2 ? -1 : winner, false, pve);
    }
}

void ZRKLand::decide(int winner, bool timeUp, bool playersAsOne)
{
    const float t = getTimeFighting();
    mResultTime = t;
    if (mActing) {
        mActing->resetFlag(SIM_MAY_FIRE);
        mActing->freeze();
        mActing = nullptr;
    }
    mActingNpc = nullptr;
    for (const Shell& s : mShells)
        if (s.weaponShared)
            --s.weaponShared->busy;
    mShells.clear();
    mShots.clear();
    mSummary = GameSummary();
    mSummary.winner = winner;
    mSummary.seconds = t;
    mSummary.timeUp = timeUp;
    for (ZRKPlayerSim* doll : mSeatOrder) {
        PlayerBattleState& pb = doll->mPlayerBattle;
        const bool won = playersAsOne ? winner >= 0 : doll->getColour() == winner;
        if (won)
            pb.flags |= BATTLE_WON;
        pb.count = (pb.flags & BATTLE_LEFT) ? 0 : 1; // a box for everyone who stayed to the end
        GameSummary::Entry e;
        e.uid = doll->getId();
        e.team = doll->getColour();
        e.shots = pb.shots;
        e.hits = pb.hits;
        e.damage = pb.damage;
        e.kills = pb.kills;
        e.deaths = pb.deaths;
        e.hp = doll->getBattle().hp;
        mSummary.entries.push_back(e);
        // Awards: the game's one rule for the doll's side, as the server books it.
        pb.awards.clear();
        for (const core::BattleAwards::Award& a : core::BattleAwards::of(won)) {
            core::XmlConfigHelper award;
            award.setIntVal("bi_type", a.type);
            award.setIntVal("bi_id", 0);
            award.setIntVal("bi_num", static_cast<int>(a.num));
            award.setIntVal("bi_index", -1);
            pb.awards.push_back(award);
        }
    }
    GameSummary::Entry* mvp = nullptr;
    for (GameSummary::Entry& e : mSummary.entries)
        if (!mvp || e.kills * 1000 + e.damage > mvp->kills * 1000 + mvp->damage)
            mvp = &e;
    if (mvp && (mvp->kills > 0 || mvp->damage > 0))
        mvp->text = "mvp";
    setLoadState(LOAD_RESULT);
}

int ZRKLand::getTeamScore(int team) const
{
    int score = 0;
    for (const ZRKPlayerSim* doll : mSeatOrder)
        if (doll->getColour() == team)
            score += doll->mPlayerBattle.kills;
    return score;
}

// --- room, map, lookups ------------------------------------------------------------------

ZRKPlayerSim* ZRKLand::getMyDoll() const { return getDoll(mSetup.myPlayerId); }

ZRKPlayerSim* ZRKLand::getDoll(const std::string& id) const
{
    auto it = mDolls.find(id);
    return it == mDolls.end() ? nullptr : it->second;
}

ZRKNpcSim* ZRKLand::getNpc(const std::string& name) const
{
    auto it = mNpcs.find(name);
    return it == mNpcs.end() ? nullptr : it->second;
}

ZRKPlayerSim* ZRKLand::createLocal(const std::string& playerId)
{
    if (ZRKPlayerSim* doll = getDoll(playerId))
        return doll;
    if (!mCreated || !mRoom)
        return nullptr;
    LandSetup::Seat seat;
    if (!LandSetup::seatFromRoom(*mRoom, playerId, seat))
        return nullptr;
    for (const std::vector<std::string>* list : {&seat.weapons, &seat.props})
        for (const std::string& id : *list)
            if (!mItems.has(id))
                mItems.add(id, mRoom->getItemRecord(id));
    mSetup.seats.push_back(seat);
    ZRKPlayerSim* doll = addDoll(seat);
    doll->mActive = false; // until the caller activates it
    doll->mPlayerBattle.delay = mActing ? mActing->mPlayerBattle.delay + 1 : doll->mPlayerBattle.delay;
    return doll;
}

int ZRKLand::getMyCarom() const
{
    auto it = mCombos.find(mSetup.myPlayerId);
    return it == mCombos.end() ? 0 : it->second.count;
}

core::XmlConfigHelper ZRKLand::getZRKDs() const
{
    core::XmlConfigHelper ds;
    ds.setIntVal("d_id", mSetup.dungeon);
    ds.setIntVal("ds_id", mSetup.stage);
    return ds;
}

core::XmlConfigHelper ZRKLand::getMapInfo() const
{
    core::XmlConfigHelper info;
    LandRecord map(mSetup.map, "map " + mSetup.place);
    for (const char* key : {"name", "music", "intro", "guide"})
        if (map.has(key))
            info.setStringVal(key, map.getString(key, ""));
    return info;
}

core::XmlConfigHelper ZRKLand::getMapConfig() const
{
    core::XmlConfigHelper view;
    viewOf(mSetup.map, std::string(), view, 0);
    return view;
}

core::XmlConfigHelper ZRKLand::getRadarConfig() const
{
    LandRecord radar = LandRecord(mSetup.map, "map " + mSetup.place).child("radar");
    LandRecord box = radar.child("box");
    const float half = mField.getHalfSize();
    core::XmlConfigHelper view;
    const char* keys[6] = {"x0", "y0", "z0", "x1", "y1", "z1"};
    const float defaults[6] = {-half, -50.0f, -half, half, 300.0f, half};
    for (int i = 0; i < 6; ++i)
        view.setRealVal(std::string("radar/box/<xmlattr>/") + keys[i], box.getReal(keys[i], defaults[i], -1e5f, 1e5f));
    view.setIntVal("image/<xmlattr>/w", radar.getInt("w", 256, 1, 4096));
    view.setIntVal("image/<xmlattr>/h", radar.getInt("h", 256, 1, 4096));
    view.setStringVal("image", radar.getString("image", ""));
    return view;
}

int ZRKLand::getSkillConfig(int skill) const
{
    LandRecord skills = LandRecord(mSetup.map, "map " + mSetup.place).child("skills");
    return skills.getInt(std::to_string(skill), 1, -1000, 1000);
}

float ZRKLand::hasSweepState() const
{
    return LandRecord(mSetup.map, "map " + mSetup.place).getReal("sweep", 0.0f, 0.0f, 600.0f);
}

std::vector<ZRKLand::Blast> ZRKLand::takeBlasts()
{
    std::vector<Blast> out;
    out.swap(mBlasts);
    return out;
}

std::uint64_t ZRKLand::stateHash() const
{
    StateHash h;
    h.add(mSteps).add(mRandom.getState()).add(static_cast<std::uint64_t>(mTurn));
    h.addFloat(mWind.x).addFloat(mWind.z).add(mField.hash());
    for (const ZRKPlayerSim* d : mSeatOrder) {
        const Vector3& p = d->getPosition();
        h.addFloat(p.x).addFloat(p.y).addFloat(p.z).addFloat(d->mHeading);
        const ZRKBattleState& b = d->getBattle();
        for (int v : {b.hp, b.sp, b.fury, d->mPlayerBattle.delay, d->mPlayerBattle.pitch, d->mPlayerBattle.force,
                      d->mPlayerBattle.kills, static_cast<int>(d->getFlags())})
            h.add(static_cast<std::uint32_t>(v));
    }
    for (const auto& npc : mNpcStore) {
        const Vector3& p = npc->getPosition();
        h.addFloat(p.x).addFloat(p.y).addFloat(p.z).addFloat(npc->mHeading);
        h.add(static_cast<std::uint32_t>(npc->getBattle().hp)).add(static_cast<std::uint32_t>(npc->mDelay));
    }
    for (const Shell& s : mShells)
        h.addFloat(s.position.x).addFloat(s.position.y).addFloat(s.position.z);
    h.add(static_cast<std::uint64_t>(mSummary.winner + 2));
    return h.value();
}

// --- events ------------------------------------------------------------------------------

core::EventPtr ZRKLand::makeEvent(int type) const { return boost::make_shared<LandAnyEvent>(type); }

void ZRKLand::addEventPreview(int type, const EventPreview& preview)
{
    if (preview)
        mPreviews[type].push_back(preview);
}

void ZRKLand::post(const core::EventPtr& event)
{
    auto it = mPreviews.find(event->getType());
    if (it != mPreviews.end()) {
        const std::vector<EventPreview> previews = it->second;
        for (const EventPreview& preview : previews) {
            try {
                if (preview(this, *event) != 0)
                    return;
            } catch (const std::exception& e) {
                landLog(3, "preview of event " + std::to_string(event->getType()) + " failed: " + e.what());
            }
        }
    }
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->post(event);
}

void ZRKLand::postStatus(ZRKPlayerSim& doll, const std::string& attr)
{
    if (!doll.isLocal())
        return;
    core::EventPtr e = makeEvent(6510);
    if (!attr.empty())
        e->attrs().setAttr(attr, true);
    postStatus(doll, e);
}

void ZRKLand::postStatus(ZRKPlayerSim& doll, const core::EventPtr& event)
{
    if (!doll.isLocal()) {
        doll.mSimEvent.clear();
        return;
    }
    if (doll.mSimEvent.getAttrAs<bool>("fury", false))
        doll.mRageArmed = true;
    for (const auto& a : doll.mSimEvent.all())
        if (!event->attrs().hasAttr(a.first))
            event->attrs().setAttr(a.first, a.second);
    doll.mSimEvent.clear();
    post(event);
}

void ZRKLand::postBubble(const ZRKBasicSim& sim)
{
    const bool npc = getNpc(sim.getId()) != nullptr;
    core::EventPtr e = makeEvent(npc ? 6512 : 6511);
    e->attrs().setAttr(npc ? "name" : "playerId", sim.getId());
    post(e);
}

void ZRKLand::postHit(const ZRKBasicSim& target, int health, int flags, const std::string& hitter, const std::string& type)
{
    core::EventPtr e = makeEvent(6501);
    e->attrs().setAttr("playerId", target.getId());
    core::XmlConfigHelper& p = e->getParams();
    p.setStringVal("type", type);
    p.setIntVal("hit", flags);
    p.setIntVal("level", 1);
    p.setIntVal("health", health);
    p.setStringVal("hitter", hitter);
    post(e);
}

void ZRKLand::_reportMsg2(const std::string& uid, const std::string& msg, const std::vector<std::string>& argv, int team,
                          int local, int res)
{
    core::EventPtr e = makeEvent(6505);
    if (!uid.empty())
        e->attrs().setAttr("uid", uid);
    e->attrs().setAttr("team", team);
    e->attrs().setAttr("msg", msg);
    if (!argv.empty())
        e->attrs().setAttr("argv", argv);
    if (local)
        e->attrs().setAttr("local", true);
    if (res)
        e->attrs().setAttr("res", true);
    post(e);
}

void ZRKLand::_notifyEvent(const core::XmlConfigHelper& params)
{
    std::string name = params.getSection();
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    if (name == "Notify_killer") {
        const std::string killer = params.getStringVal("killer", "");
        const ZRKPlayerSim* by = getDoll(killer);
        _reportMsg2(killer, "msg/bf_killed", {by ? by->getNickname() : killer, params.getStringVal("deadPerson", "")},
                    -1, 0, 1);
    } else if (name == "use_pacemaker") {
        ZRKPlayerSim* me = getMyDoll();
        if (me && me->isFlagSet(SIM_DOWN) && !me->isFlagSet(SIM_OUT) && !isFinished() &&
            params.getIntVal("num", -1) == mMyRevives && reviveDoll(me->getId(), false, true))
            ++mMyRevives;
    } else {
        landLog(4, "notice \"" + name + "\" means nothing to the battle");
    }
}

} // namespace zrk
} // namespace kavri3D
