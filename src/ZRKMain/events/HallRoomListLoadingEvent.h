#pragma once
#include <data/ZRKRequestOwner.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The hall's room list comes up: the player enters the zone's room (and, in an arena, the
/// arena's state is fetched first).
class HallRoomListLoadingEvent : public BaseEvent {
public:
    HallRoomListLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return givenId(); }

    void onArenaState(bool error, const std::string& text);

private:
    std::string mZoneName;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
