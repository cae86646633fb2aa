#pragma once
#include "events/BaseEvent.h"
#include <boost/signals2/connection.hpp>
#include <data/MsgRoomCallback.h>
#include <data/ZRKRequestOwner.h>
#include <string>

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// Joins the room the player chose in the hall's list: the player's level band
/// decides whether it goes at once, asks first or is refused; the session's
/// answer teleports into the room or shows why not, and raises 18 either way.
class RoomJoinEvent : public BaseEvent, public core::MsgRoomCallback {
public:
    RoomJoinEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~RoomJoinEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RoomJoin; }
    /// The choice box's answer for the room it asked about.
    virtual void onConfirm(core::DialogBoxResult& result, int roomId, const std::string& roomName, int mode,
                           bool hasPassword, const std::string& password);
    virtual void joinRoom();
    void onEnterRoom(const std::string& room, int code, const std::string& params) override;

    /// The [low, high] room levels a player of that level joins without asking.
    static void levelBand(int level, const Json::Value& defState, int& low, int& high);

private:
    bool mEntered = false;
    int mRoomId = 0;
    std::string mRoomName;
    bool mHasPassword = false;
    std::string mPassword; ///< only until the entry's answer is in
    int mRoomMode = 1;
    boost::signals2::scoped_connection mBoxConnection;
    ZRKRequestOwner mRequests; // last: goes first, so no answer reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
