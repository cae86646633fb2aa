#pragma once
#include "events/BaseEvent.h"
#include <data/MsgRoomCallback.h>
#include <data/ZRKRequestOwner.h>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The room-creation dialog of the hall: asks the server for the room and
/// enters it as room joining does. The tutorial modes (1001, 1002) start the
/// offline battle at once; private PVE modes (1003 to 1999, above 2000) go
/// straight into battle once entered.
class RoomCreateEvent : public BaseEvent, public core::MsgRoomCallback {
public:
    RoomCreateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~RoomCreateEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RoomCreate; }
    virtual void onReply(bool error, const std::string& text);
    void onEnterRoom(const std::string& room, int code, const std::string& params) override;

private:
    /// 22 in an arena zone, else 21.
    int resultId() const;
    /// The request tree for the dialog's values; false (logged) when one is
    /// missing.
    bool buildRequest(gui::ParamHandle params, int mode, core::XmlConfigHelper& request);

    std::string mPassword; ///< only until the entry's answer is in
    std::string mErrorText;
    int mRequestedMode = -1;
    ZRKRequestOwner mRequests; // last: goes first, so no answer reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
