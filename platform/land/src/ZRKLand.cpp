#include "land/ZRKLand.h"

#include <algorithm>
#include <cmath>
#include "land/ILandRoom.h"
#include "land/LandAiming.h"
#include "land/LandBuilder.h"
#include "land/LandCrates.h"
#include "land/LandEnd.h"
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/LandMotion.h"
#include "land/LandRecord.h"
#include "land/LandShots.h"
#include "land/LandTurns.h"
#include "land/StateHash.h"
#include "land/ZRKBotAI.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerAI.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

namespace {

using yake::logging::Severity;

ZRKLand::RoomSource theRoomSource;

// The step as the float it is, so that a frame of 0.01f is exactly one step.
constexpr double kStep = static_cast<double>(DollConstants::STEP);
constexpr std::uint64_t kRoomPollSteps = 25;

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

} // namespace

void ZRKLand::setRoomSource(const RoomSource& source) { theRoomSource = source; }

ZRKLand::ZRKLand(core::GrafixClientState* owner)
    : mOwner(owner), mAiming(new LandAiming(*this)), mBuilder(new LandBuilder(*this)), mCrates(new LandCrates(*this)),
      mEnd(new LandEnd(*this)), mEvents(new LandEvents(*this)), mHarm(new LandHarm(*this)),
      mMotion(new LandMotion(*this)), mShots(new LandShots(*this)), mTurns(new LandTurns(*this))
{
}

ZRKLand::~ZRKLand()
{
    mLife.end();
    for (auto& doll : mDollStore)
        doll->attachAI(boost::shared_ptr<ZRKPlayerAI>());
}

// --- building ---------------------------------------------------------------------------

bool ZRKLand::create()
{
    if (!mRoom && theRoomSource)
        mRoom = theRoomSource();
    if (!mRoom) {
        LandEvents::log(Severity::Error, "no room state: the battle cannot be built");
        return false;
    }
    LandSetup setup;
    std::string reason;
    if (!LandSetup::fromRoom(*mRoom, setup, reason)) {
        LandEvents::log(Severity::Error, "the battle cannot be built: " + reason);
        return false;
    }
    return create(setup);
}

bool ZRKLand::create(const LandSetup& setup)
{
    if (mCreated) {
        LandEvents::log(Severity::Error, "the battle is built already");
        return false;
    }
    if (setup.seats.empty() || !setup.findSeat(setup.myPlayerId)) {
        LandEvents::log(Severity::Error,
                        "the battle cannot be built: no seat for the player \"" + setup.myPlayerId + "\"");
        return false;
    }
    mSetup = setup;
    if (!mSetup.map.isObject())
        mSetup.map = Json::Value(Json::objectValue);
    for (const auto& item : mSetup.items)
        mItems.add(item.first, item.second);
    mRandom.seed(mSetup.seed);
    if (!builder().build())
        return false;
    // Made for the room's rebuild (the next stage of a mission, whose values the room holds
    // already): that rebuild is this land's own, not one to follow.
    if (mRoom && mRoom->getRoomValues().getIntVal("state", 0) == ROOM_RESYNC)
        mToldRoomStates.insert(ROOM_RESYNC);
    mCreated = true;
    registerWithUpdatableManager();
    return true;
}

void ZRKLand::refWeaponState(WeaponState& w)
{
    if (w.name.empty())
        return;
    if (!mItems.has(w.name) && mRoom)
        mItems.add(w.name, mRoom->getItemRecord(w.name));
    builder().buildWeapon(w, w.name);
}

Vector3 ZRKLand::nodePosition(const std::string& name, bool& found) const
{
    auto it = mNodes.find(name);
    found = it != mNodes.end();
    return found ? it->second.getPosition() : Vector3();
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
        LandEvents::log(Severity::Error, std::string("a load state listener failed: ") + e.what());
    }
}

void ZRKLand::advanceLoading(float dt)
{
    const std::weak_ptr<void> alive = mLife.token();
    switch (mLoadState) {
    case LOAD_NONE:
        setLoadState(LOAD_LOADOUT);
        return;
    case LOAD_LOADOUT: {
        mLoadProgress = std::min(mLoadProgress + 25, 101);
        for (const ZRKPlayerSim* doll : mSeatOrder) {
            core::EventPtr e = events().make(LandEventId::LoadProgress);
            e->attrs().setAttr("playerId", doll->getId());
            e->attrs().setAttr("lower", mLoadProgress >= 100 ? 101 : mLoadProgress);
            e->attrs().setAttr("upper", mLoadProgress >= 100 ? 101 : std::min(mLoadProgress + 25, 100));
            e->attrs().setAttr("speed", 0.05f);
            events().post(e);
        }
        if (mLoadProgress >= 100) {
            setLoadState(LOAD_LOADED);
            if (!alive.expired())
                reportLoadedWhenStarted();
        }
        return;
    }
    case LOAD_LOADED: {
        reportLoadedWhenStarted();
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
        if (alive.expired())
            return;
        LandRecord map(mSetup.map, "map " + mSetup.place);
        core::EventPtr e = events().make(LandEventId::GuideText);
        e->attrs().setAttr("prompt", map.getString("guide", ""));
        e->attrs().setAttr("timeout", map.getReal("guide_time", 3.0f, 0.0f, 60.0f));
        events().post(e);
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
            core::EventPtr e = events().make(LandEventId::OwnStatus);
            e->attrs().setAttr("fp_notice", mSetup.dungeon);
            events().postStatus(*me, e);
        }
    return true;
}

void ZRKLand::setComboHide(bool hide)
{
    if (hide == mComboHide)
        return;
    mComboHide = hide;
    if (ZRKPlayerSim* me = getMyDoll())
        events().postStatus(*me, "carom_hide");
}

void ZRKLand::followRoom()
{
    if (!mRoom)
        return;
    core::XmlConfigHelper values = mRoom->getRoomValues();
    const int state = values.getIntVal("state", 0);
    // Each of the room's turns is told once.
    auto tell = [&](int roomState, bool sync, bool abort) {
        if (roomState >= 0 && !mToldRoomStates.insert(roomState).second)
            return;
        core::EventPtr e = events().make(LandEventId::SyncOrAbort);
        e->attrs().setAttr("sync", sync);
        if (abort)
            e->attrs().setAttr("sabort", true);
        events().post(e);
    };
    if (state == ROOM_ABORTED && !isFinished())
        tell(state, false, true);
    else if (state == ROOM_CLOSED && mLoadState >= LOAD_OVER)
        tell(state, false, false);
    else if (state == ROOM_RESYNC)
        tell(state, true, false);
    else if (state == ROOM_STARTING && isFinished() && !mSeedChangeTold &&
             values.getStringVal("seed", "") != std::to_string(mSetup.seed)) {
        // The server started the next battle while this one's rebuild went unseen.
        mSeedChangeTold = true;
        tell(-1, true, false);
    }

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
        events().postBubble(*doll);
        // Everyone reads why the figure went.
        if (!isFinished())
            _reportMsg2(doll->getId(), "msg/bf_left", {doll->getNickname()}, -1, 0, 1);
    }
}

// --- the frame and the step --------------------------------------------------------------

void ZRKLand::reportLoadedWhenStarted()
{
    // While the room rebuilds, the battle this land is for has not started: the server counts
    // a load only once it has.
    if (mLoadReported || !mRoom || mRoom->getRoomValues().getIntVal("state", 0) == ROOM_RESYNC)
        return;
    mLoadReported = true;
    mRoom->reportLoaded(mSetup.myPlayerId);
}

void ZRKLand::update(float dt)
{
    if (!mCreated)
        return;
    if (!std::isfinite(dt) || dt < 0.0f)
        dt = 0.0f;
    dt = std::min(dt, 1.0f);
    const std::weak_ptr<void> alive = mLife.token();
    if (!mFighting) {
        mLoadTime += dt;
        advanceLoading(dt);
        if (!alive.expired())
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
        if (alive.expired())
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
        const std::weak_ptr<void> alive = mLife.token();
        followRoom();
        if (alive.expired())
            return;
    }
    if (end().decided()) {
        if (resultDone())
            setLoadState(LOAD_OVER);
        return;
    }
    const float t = getTimeFighting();
    const float now = getTimeNow();
    for (ZRKPlayerSim* doll : mSeatOrder) {
        doll->clampBattle(); // whoever wrote the numbers, health stays within 0 and its maximum
        for (WeaponState& w : doll->mWeapons.getSlots())
            if (!w.empty())
                w.shared->readiness =
                    (w.cdTime > 0.0f && w.lastUse >= 0.0f) ? std::min(1.0f, (t - w.lastUse) / w.cdTime) : 1.0f;
        const WeaponState* w = doll->getCurrentWeaponState();
        doll->mWeapons.setCDSeconds(w && w->lastUse >= 0.0f ? w->lastUse + w->cdTime - t : 0.0f);
        for (SkillState& s : doll->mSkills)
            if (s.state == 1 && now >= s.start + s.duration)
                s.state = s.num_cur > 0 ? 0 : 2;
    }
    LandTurns& turn = turns();
    if (!turn.acting() && !turn.actingNpc())
        turn.next();
    if (ZRKPlayerSim* me = getMyDoll())
        motion().readKeys(*me);
    for (ZRKPlayerSim* doll : mSeatOrder)
        motion().stepDoll(*doll);
    for (ZRKNpcSim* npc : mFieldNpcs)
        if (!npc->isEnded()) {
            npc->clampBattle();
            motion().settle(*npc);
        }
    ZRKPlayerSim* acting = turn.acting();
    if (acting && acting->mAI && !acting->isDead() && acting->isFlagSet(SIM_MAY_FIRE))
        acting->mAI->think();
    ZRKNpcSim* actingNpc = turn.actingNpc();
    if (actingNpc && actingNpc->mAI && !actingNpc->isDead())
        actingNpc->mAI->think();
    shots().step();
    crates().pick();
    turn.endIfOver();
    advanceWaves();
    end().check();

    // What scripts hung on the own doll goes out with its next status.
    if (ZRKPlayerSim* me = getMyDoll())
        if (me->mSimEvent.size())
            events().postStatus(*me, std::string());
}

bool ZRKLand::resultDone()
{
    const float shown = getTimeFighting() - end().resultTime();
    if (mSetup.tactic != 9)
        return shown >= DollConstants::RESULT_SECONDS;
    // A mission's result stays until the server has answered it (its boxes, or the next stage
    // at half time), so the end shows what comes; a server that stays silent is waited for a while.
    if (shown >= DollConstants::MISSION_RESULT_SECONDS)
        return true;
    if (!mRoom || mSteps % kRoomPollSteps != 0)
        return false;
    const core::XmlConfigHelper values = mRoom->getRoomValues();
    return values.hasKey("boxes") || values.hasKey("ds_next");
}

void ZRKLand::advanceWaves()
{
    if (mSetup.tactic != 9)
        return;
    for (;;) {
        for (const ZRKNpcSim* npc : mFieldNpcs)
            if (!npc->isDead() && !npc->isEnded())
                return; // the wave in the field still fights
        if (!hasWaveToCome())
            return;
        // The next wave takes the field, its turns counted from the players' now.
        ++mWave;
        int now = 0;
        bool any = false;
        for (const ZRKPlayerSim* doll : mSeatOrder)
            if (doll->mActive && !doll->isDead() && (!any || doll->mPlayerBattle.delay < now)) {
                now = doll->mPlayerBattle.delay;
                any = true;
            }
        // The fallen of the wave before are gone from the battle; they stay among the NPCs seen.
        for (ZRKNpcSim* npc : mFieldNpcs)
            npc->setEnded(true);
        mFieldNpcs = mWaves[static_cast<std::size_t>(mWave)];
        for (ZRKNpcSim* npc : mFieldNpcs) {
            npc->mDelay += now;
            mNpcs[npc->getId()] = npc;
        }
        for (ZRKNpcSim* npc : mFieldNpcs)
            events().postBubble(*npc);
    }
}

bool ZRKLand::mayAct(const ZRKPlayerSim& doll) const
{
    return mFighting && !isFinished() && !end().decided() && turns().acting() == &doll && !doll.isDead() &&
           doll.isFlagSet(SIM_MAY_FIRE) && doll.mActive;
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
    ZRKPlayerSim* doll = builder().addDoll(seat);
    doll->mActive = false; // until the caller activates it
    ZRKPlayerSim* acting = turns().acting();
    doll->mPlayerBattle.delay = acting ? acting->mPlayerBattle.delay + 1 : doll->mPlayerBattle.delay;
    return doll;
}

int ZRKLand::getMyCarom() const
{
    const std::map<std::string, ComboBullet>& combos = shots().combos();
    auto it = combos.find(mSetup.myPlayerId);
    return it == combos.end() ? 0 : it->second.count;
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

std::uint64_t ZRKLand::stateHash() const
{
    StateHash h;
    h.add(mSteps).add(mRandom.getState()).add(static_cast<std::uint64_t>(turns().number()));
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
    for (const Shell& s : shots().shells())
        h.addFloat(s.position.x).addFloat(s.position.y).addFloat(s.position.z);
    h.add(static_cast<std::uint64_t>(end().summary().winner + 2)).add(static_cast<std::uint64_t>(mWave));
    return h.value();
}

// --- what the parts answer --------------------------------------------------------------

ZRKPlayerSim* ZRKLand::getActingDoll() const { return turns().acting(); }

ZRKNpcSim* ZRKLand::getActingNpc() const { return turns().actingNpc(); }

int ZRKLand::getTurnNumber() const { return turns().number(); }

float ZRKLand::getTurnTimeLeft() const { return turns().timeLeft(); }

Vector3 ZRKLand::getWindDir() const
{
    Vector3 d = mWind;
    return d.normalise() > 1e-6f ? d : Vector3::ZERO;
}

float ZRKLand::getWindPowerHUD() const { return std::round(getWindPower() * 10.0f) / 10.0f; }

bool ZRKLand::fireNpc(ZRKNpcSim& npc, int pitch, float share) { return shots().fireNpc(npc, pitch, share); }

bool ZRKLand::areFoes(const ZRKBasicSim& a, const ZRKBasicSim& b) const
{
    if (isPve())
        return (getNpc(a.getId()) != nullptr) != (getNpc(b.getId()) != nullptr);
    return a.getColour() != b.getColour();
}

int ZRKLand::launchShell(const std::string& owner, const Vector3& from, const Vector3& velocity)
{
    return shots().launch(owner, from, velocity);
}

const std::vector<ZRKLand::Shell>& ZRKLand::getShells() const { return shots().shells(); }

std::vector<ZRKLand::Blast> ZRKLand::takeBlasts() { return shots().takeBlasts(); }

std::map<std::string, ZRKLand::ComboBullet>& ZRKLand::getPlayerCombo() { return shots().combos(); }

int ZRKLand::getBotShots() const { return shots().botShots(); }

int ZRKLand::getBotHits() const { return shots().botHits(); }

bool ZRKLand::reviveDoll(const std::string& id, bool fullHealth, bool notify)
{
    return harm().revive(id, fullHealth, notify);
}

bool ZRKLand::_addCrate(const std::string& id, const ZRKSceneItem& item, const std::string& where)
{
    return crates().add(id, item, where);
}

void ZRKLand::_updateCrateMarks() { crates().updateMarks(); }

const ZRKLand::CrateMark* ZRKLand::getCrateMark(const std::string& id) const { return crates().mark(id); }

const std::vector<ZRKLand::CrateMark>& ZRKLand::getCrateMarks() const { return crates().marks(); }

bool ZRKLand::_hasCrate(const std::string& id) const { return crates().has(id); }

int ZRKLand::_targetUnderTrajectory(const Vector3& gun, const Vector3& target, float pitch, float speed) const
{
    return aiming().targetUnderTrajectory(gun, target, pitch, speed);
}

bool ZRKLand::_calcProjectileV(ZRKBasicSim* sim, const std::string& weapon, float pitch, float muzzle,
                               const Vector3& gun, const Vector3& target, bool wind, Vector3& velocity) const
{
    return aiming().projectileVelocity(sim, weapon, pitch, muzzle, gun, target, wind, velocity);
}

std::string ZRKLand::_hitPlayerByRay() const { return aiming().hitByRay(); }

const GameSummary& ZRKLand::getSummary() const { return end().summary(); }

int ZRKLand::getTeamScore(int team) const { return end().teamScore(team); }

// --- nodes, map items, camera ----------------------------------------------------------

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

// --- events ------------------------------------------------------------------------------

void ZRKLand::addEventPreview(int type, const EventPreview& preview) { events().addPreview(type, preview); }

void ZRKLand::_reportMsg2(const std::string& uid, const std::string& msg, const std::vector<std::string>& argv,
                          int team, int local, int res)
{
    events().postMessage(uid, msg, argv, team, local, res);
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
        LandEvents::log(Severity::Warning, "notice \"" + name + "\" means nothing to the battle");
    }
}

} // namespace zrk
} // namespace kavri3D
