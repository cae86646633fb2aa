#pragma once
#include <boost/signals2/connection.hpp>
#include <data/ZRKRequestOwner.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// "Enter" on the area page: joins the chosen zone and takes the player to its hall, then keeps
/// the hall's player list fresh while the zone's members come and go.
class AreaGoEvent : public BaseEvent {
public:
    /// A burst of joins and leaves refreshes the list once, this long after the last.
    static constexpr unsigned kRefreshDelayMs = 100;

    AreaGoEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~AreaGoEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::AreaGo; }

    void onReply(bool error, const std::string& text);
    void onZoneMembers(const std::string& member, bool joined);
    void refreshHallPlayers();

    bool isRefreshPending() const { return mRefreshTimer != -1; }

private:
    std::string mZoneName;
    std::string mCryRoomName;
    std::string mGuildRoomName;
    boost::signals2::scoped_connection mZoneMembers;
    long mRefreshTimer = -1;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
