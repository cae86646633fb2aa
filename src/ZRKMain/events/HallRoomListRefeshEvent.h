#pragma once
#include <data/ZRKRequestOwner.h>
#include <util/XmlConfigHelper.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The hall's room list: asks the server for the zone's rooms and hands them out as "room"
/// rows, rooms not fighting first, then by level, mode and id.
class HallRoomListRefeshEvent : public BaseEvent {
public:
    HallRoomListRefeshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return givenId(); }

    void onReply(bool error, const std::string& text);
    /// Whether room a is listed before room b.
    static bool roomBefore(const core::XmlConfigHelper& a, const core::XmlConfigHelper& b);
    /// Where a mode sorts among rooms of one level; a mode outside 0 to 10 ranks 0.
    static int modeRank(int mode);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
