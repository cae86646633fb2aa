#include "data/ZRKRoomState.h"

#include <yake/Logger.h>
#include "data/ZRKJson.h"
#include "data/ZRKNotice.h"

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKRoomState");
} // namespace
namespace zrk {

ZRKRoomState::ZRKRoomState(const std::string& roomName, const std::string& selfId)
    : mRoomName(roomName), mSelfId(selfId)
{
}

ZRKRoomState::~ZRKRoomState()
{
    mReplays.clear();
    mParamSignal.disconnect_all_slots();
    mRoomStateSignal.disconnect_all_slots();
    mPlayerStateSignal.disconnect_all_slots();
    mDestroySignal.disconnect_all_slots();
}

bool ZRKRoomState::getSlotFlag(int seat) const { return seat >= 0 && seat < kSlotCount && mSlotFlags[seat]; }

boost::shared_ptr<ZRKPlayerState> ZRKRoomState::getPlayer(int seat) const
{
    if (seat < 0 || seat >= kSlotCount || mSeats[seat].empty())
        return boost::shared_ptr<ZRKPlayerState>();
    return findPlayer(mSeats[seat]);
}

int ZRKRoomState::getSeatOf(const std::string& name) const
{
    if (name.empty())
        return -1;
    for (int s = 0; s < kSlotCount; ++s)
        if (mSeats[s] == name)
            return s;
    return -1;
}

std::list<core::XmlConfigHelper> ZRKRoomState::getBoxes() const { return boxesOf(mState); }

std::list<core::XmlConfigHelper> ZRKRoomState::boxesOf(const core::XmlConfigHelper& roomState)
{
    std::list<core::XmlConfigHelper> boxes;
    const Json::Value state = ZRKJson::fromView(roomState);
    const Json::Value& list = ZRKJson::member(state, "boxes");
    if (list.isArray() || list.isObject())
        for (const Json::Value& box : list)
            if (box.isObject() && boxes.size() < 64)
                boxes.push_back(ZRKJson::toView(box));
    return boxes;
}

boost::shared_ptr<ZRKPlayerState> ZRKRoomState::getSelfState() const { return findPlayer(mSelfId); }

boost::shared_ptr<ZRKPlayerState> ZRKRoomState::findPlayer(const std::string& name) const
{
    auto it = mPlayers.find(name);
    return it == mPlayers.end() ? boost::shared_ptr<ZRKPlayerState>() : it->second;
}

boost::shared_ptr<ZRKPlayerState>& ZRKRoomState::playerOf(const std::string& name)
{
    boost::shared_ptr<ZRKPlayerState>& p = mPlayers[name];
    if (!p)
        p.reset(new ZRKPlayerState(name));
    return p;
}

boost::signals2::connection ZRKRoomState::subscribeToParamSignal(const ParamSignal::slot_type& slot, bool now)
{
    boost::signals2::connection c = mParamSignal.connect(slot);
    if (now && mHasParams)
        mReplays.emplace_back(c, [slot]() mutable { slot(true, true); });
    return c;
}

boost::signals2::connection ZRKRoomState::subscribeToRoomStateSignal(const RoomStateSignal::slot_type& slot, bool now)
{
    boost::signals2::connection c = mRoomStateSignal.connect(slot);
    if (now && mHasState)
        mReplays.emplace_back(c, [this, slot]() mutable {
            core::XmlConfigHelper state = mState;
            slot(state);
        });
    return c;
}

boost::signals2::connection ZRKRoomState::subscribeToPlayerStateSignal(const PlayerStateSignal::slot_type& slot,
                                                                       bool now)
{
    boost::signals2::connection c = mPlayerStateSignal.connect(slot);
    if (now)
        mReplays.emplace_back(c, [this, slot]() mutable {
            for (const auto& p : mPlayers)
                slot(p.first, ZRKNotice::Joined | ZRKNotice::Looks);
        });
    return c;
}

boost::signals2::connection ZRKRoomState::subscribeToDestroySignal(const DestroySignal::slot_type& slot)
{
    return mDestroySignal.connect(slot);
}

void ZRKRoomState::deliverReplays()
{
    if (mReplays.empty())
        return;
    std::vector<std::pair<boost::signals2::connection, boost::function<void()>>> due;
    due.swap(mReplays); // a replay may subscribe again: that one waits for the next frame
    for (const auto& r : due)
        if (r.first.connected())
            fire("replay", r.second);
}

void ZRKRoomState::fire(const char* what, const boost::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string(what) + " listener failed: " + e.what());
    }
}

void ZRKRoomState::seat(const std::string& name, int seat)
{
    for (std::string& s : mSeats)
        if (s == name)
            s.clear();
    if (seat >= 0 && seat < kSlotCount)
        mSeats[seat] = name;
}

void ZRKRoomState::setParams(const Json::Value& params, bool dress)
{
    if (params.isObject())
        ZRKJson::refill(mParams, params);
    const bool first = !mHasParams;
    mHasParams = true;
    fire("parameter", [this, first, dress]() { mParamSignal(first, dress || first); });
}

void ZRKRoomState::applyInfo(const Json::Value& info)
{
    if (!info.isObject() || mDestroyed)
        return;
    if (info["id"].isInt())
        mRoomId = info["id"].asInt();
    if (info["moderator"].isString())
        mModerator = info["moderator"].asString();
    const Json::Value& seats = info["seats"];
    const Json::Value& slots = info["slots"];
    for (int s = 0; s < kSlotCount; ++s) {
        const Json::ArrayIndex i = static_cast<Json::ArrayIndex>(s);
        mSeats[s] = seats.isArray() && i < seats.size() && seats[i].isString() ? seats[i].asString() : std::string();
        mSlotFlags[s] = !(slots.isArray() && i < slots.size() && slots[i].isBool()) || slots[i].asBool();
    }
    const Json::Value& players = info["players"];
    if (players.isObject())
        for (const std::string& name : players.getMemberNames())
            playerOf(name)->apply(players[name]);
    if (info["state"].isObject()) {
        ZRKJson::refill(mState, info["state"]);
        mHasState = true;
    }
    setParams(info["params"], true);
}

void ZRKRoomState::applyJoin(const std::string& name, const Json::Value& card)
{
    if (mDestroyed || name.empty())
        return;
    const bool isNew = !findPlayer(name);
    int bits = playerOf(name)->apply(card) | (isNew ? ZRKNotice::Joined : 0);
    const Json::Value& battle = card.isObject() ? card["battle"] : Json::Value::nullSingleton();
    if (battle.isObject() && battle["seat"].isInt())
        seat(name, battle["seat"].asInt());
    if (!bits)
        return; // told again what was known
    fire("player-state", [this, name, bits]() { mPlayerStateSignal(name, bits); });
    setParams(Json::Value(), true);
}

void ZRKRoomState::applyLeave(const std::string& name)
{
    if (mDestroyed || !findPlayer(name))
        return;
    seat(name, -1);
    mPlayers.erase(name);
    fire("player-state", [this, name]() { mPlayerStateSignal(name, ZRKNotice::Left); });
    setParams(Json::Value(), true);
}

void ZRKRoomState::applySeat(const std::string& name, int to, const Json::Value& battle)
{
    if (mDestroyed || !findPlayer(name))
        return;
    seat(name, to);
    Json::Value card;
    card["battle"] = battle;
    // A new seat (or team) dresses the seat anew, as a changed look does.
    const int bits = playerOf(name)->apply(card) | ZRKNotice::Moved | ZRKNotice::Looks;
    fire("player-state", [this, name, bits]() { mPlayerStateSignal(name, bits); });
    setParams(Json::Value(), true);
}

void ZRKRoomState::applyHost(const std::string& name)
{
    if (mDestroyed)
        return;
    mModerator = name;
    setParams(Json::Value(), false);
}

void ZRKRoomState::applyPlayer(const std::string& name, const Json::Value& battle, int bits)
{
    if (mDestroyed || !findPlayer(name))
        return;
    Json::Value card;
    card["battle"] = battle;
    const int changed = playerOf(name)->apply(card) | bits;
    fire("player-state", [this, name, changed]() { mPlayerStateSignal(name, changed); });
}

void ZRKRoomState::applyState(const Json::Value& state, const Json::Value& params)
{
    if (mDestroyed || !state.isObject())
        return;
    // The listeners compare the new state with the one still held.
    core::XmlConfigHelper next = ZRKJson::toView(state);
    fire("room-state", [this, &next]() { mRoomStateSignal(next); });
    ZRKJson::refill(mState, state);
    mHasState = true;
    if (params.isObject())
        setParams(params, false);
}

void ZRKRoomState::destroy()
{
    if (mDestroyed)
        return;
    mDestroyed = true;
    mReplays.clear();
    fire("destroy", [this]() { mDestroySignal(); });
}

} // namespace zrk
} // namespace kavri3D
