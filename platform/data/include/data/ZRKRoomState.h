#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2.hpp>
#include <json/json.h>
#include <list>
#include <map>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "data/ZRKPlayerState.h"

namespace kavri3D {
namespace zrk {

/// A room the player is in, as the game knows it: its parameters, its state, its eight seats
/// with their players and slot flags, and its host. Built once, when the server first
/// describes the room; every notice about it changes it in place and fires its signals, on the
/// frame thread, in the order the notices came.
class ZRKRoomState {
public:
    /// (first: the room's first parameters; dress: players or seats changed)
    typedef boost::signals2::signal<void(bool, bool)> ParamSignal;
    /// The new state, before it replaces the one getState gives.
    typedef boost::signals2::signal<void(core::XmlConfigHelper&)> RoomStateSignal;
    /// (player, change bits of ZRKNotice::PlayerChange)
    typedef boost::signals2::signal<void(const std::string&, int)> PlayerStateSignal;
    typedef boost::signals2::signal<void()> DestroySignal;
    static constexpr int kSlotCount = 8;

    ZRKRoomState(const std::string& roomName, const std::string& selfId);
    virtual ~ZRKRoomState();
    ZRKRoomState(const ZRKRoomState&) = delete;
    ZRKRoomState& operator=(const ZRKRoomState&) = delete;

    virtual core::XmlConfigHelper getParams() const { return mParams; }
    virtual core::XmlConfigHelper getState() const { return mState; }
    virtual const std::string& getRoomName() const { return mRoomName; }
    virtual bool getSlotFlag(int seat) const;
    /// The seat's player; empty for an empty seat or one outside 0 to 7.
    virtual boost::shared_ptr<ZRKPlayerState> getPlayer(int seat) const;
    /// The seat of a player; -1 when the player holds none.
    virtual int getSeatOf(const std::string& name) const;
    int getRoomId() const { return mRoomId; }
    const std::string& getModerator() const { return mModerator; }
    int getSlotCount() const { return kSlotCount; }
    /// The boxes the room offers at a staged battle's half time (state "boxes": "b_id",
    /// "b_type", "b_buy_type", "b_price"), in order.
    std::list<core::XmlConfigHelper> getBoxes() const;
    /// The same, of a room state (as the room-state signal hands over the one coming).
    static std::list<core::XmlConfigHelper> boxesOf(const core::XmlConfigHelper& roomState);
    boost::shared_ptr<ZRKPlayerState> getSelfState() const;
    boost::shared_ptr<ZRKPlayerState> findPlayer(const std::string& name) const;
    bool hasParams() const { return mHasParams; }
    bool isDestroyed() const { return mDestroyed; }

    /// With `now` true the slot is also told what is known already (a subscriber that comes
    /// after the notices still hears them), on the next frame, never inside this call.
    boost::signals2::connection subscribeToParamSignal(const ParamSignal::slot_type& slot, bool now);
    boost::signals2::connection subscribeToRoomStateSignal(const RoomStateSignal::slot_type& slot, bool now);
    boost::signals2::connection subscribeToPlayerStateSignal(const PlayerStateSignal::slot_type& slot, bool now);
    boost::signals2::connection subscribeToDestroySignal(const DestroySignal::slot_type& slot);

    // What the notices say, in the order they came.
    /// The whole room: "id", "params", "state", "moderator", "seats", "slots", "players".
    void applyInfo(const Json::Value& info);
    void applyJoin(const std::string& name, const Json::Value& card);
    void applyLeave(const std::string& name);
    void applySeat(const std::string& name, int seat, const Json::Value& battle);
    void applyHost(const std::string& name);
    void applyPlayer(const std::string& name, const Json::Value& battle, int bits);
    /// The room's state changes (a battle starts); its parameters with it when given.
    void applyState(const Json::Value& state, const Json::Value& params);
    /// The room is gone for this player: the destroy signal, once.
    void destroy();

    /// Tells the late subscribers what they asked to hear; the session calls it each frame.
    void deliverReplays();

private:
    friend class ZRKRoomStateProxy; // the tutorial's local room writes its own state
    void fire(const char* what, const boost::function<void()>& call);
    boost::shared_ptr<ZRKPlayerState>& playerOf(const std::string& name);
    void seat(const std::string& name, int seat);
    void setParams(const Json::Value& params, bool dress);

    std::string mRoomName;
    std::string mSelfId;
    int mRoomId = 0;
    std::string mModerator;
    core::XmlConfigHelper mParams;
    core::XmlConfigHelper mState;
    bool mHasParams = false;
    bool mHasState = false;
    bool mDestroyed = false;
    std::string mSeats[kSlotCount];
    bool mSlotFlags[kSlotCount] = {true, true, true, true, true, true, true, true};
    std::map<std::string, boost::shared_ptr<ZRKPlayerState>> mPlayers;
    std::vector<std::pair<boost::signals2::connection, boost::function<void()>>> mReplays;
    ParamSignal mParamSignal;
    RoomStateSignal mRoomStateSignal;
    PlayerStateSignal mPlayerStateSignal;
    DestroySignal mDestroySignal;
};

} // namespace zrk
} // namespace kavri3D
