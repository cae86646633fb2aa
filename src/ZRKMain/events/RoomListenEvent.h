#pragma once
#include "events/BaseEvent.h"
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <data/ZRKRequestOwner.h>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace core {
class XmlConfigHelper;
}
namespace zrk {
class ZRKPlayerState;
class ZRKRole;

/// Follows the room the player sits in: keeps the seats' characters dressed,
/// hands the GUI the eight seat cards, moves the player into the battle when
/// the room starts one and cleans up when the room goes away. One lives with
/// the room panel; the personal room reaches it through instance().
class RoomListenEvent : public BaseEvent {
public:
    static const char* const kSeatNames[8];

    RoomListenEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~RoomListenEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RoomListen; }

    /// The live listener; null when none.
    static RoomListenEvent* instance();
    /// Whether the listener follows a room (seat dressing and the bag's room
    /// steps run only then).
    static bool isListening();
    static void setListening(bool listening);

    void refreshRoom(bool first, bool dress);
    void onRoomState(core::XmlConfigHelper& state);
    void onPlayerState(const std::string& name, int bits);
    void onRoomDestroyed();
    void dressSeat(ZRKPlayerState* player, int seat, int ownSeat);
    void emptySeat(int seat);
    /// Poses a seat's character with a weapon: "id" or "id+level"; "0" or ""
    /// poses nothing.
    static void showDemoPose(const std::string& seatRole, const std::string& pose);
    /// The seat of a player in the current room; 0 (logged with `what`) when
    /// outside 0 to 7.
    static int seatOrFirst(int seat, const char* what);

private:
    void disconnectAll();
    void raiseByMode(int which);
    /// A guest's seat from his default look as held and the level slots of his level; his
    /// outfit becomes the player's equipment list.
    void dressGuest(ZRKRole& role, ZRKPlayerState& player, int seat);
    /// The guest's default look came: his seat again, if the same player still sits there.
    void redressGuest(int seat, int pcId);

    std::map<std::string, int> mFriends;
    std::string mUid;
    std::vector<int> mSeatPlayers;
    std::vector<std::string> mSeatPoses;
    std::vector<int> mAskedLook; ///< per seat, the player whose default look was asked for
    boost::signals2::scoped_connection mParamConnection;
    boost::signals2::scoped_connection mStateConnection;
    boost::signals2::scoped_connection mPlayerConnection;
    boost::signals2::scoped_connection mDestroyConnection;
    ZRKRequestOwner mRequests; ///< last: the looks asked for never reach a listener going away
};

} // namespace zrk
} // namespace kavri3D
